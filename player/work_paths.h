// Where a running book keeps its files: the work folder in the user's temporary folder (named
// after the book's file), the temporary archive beside it, and the home page inside it. Pure
// text rules, shared by the start-up, the clean-up and the extraction thread.
#pragma once
#include "classlib/sysutils.h"

// The temporary folder as the system reported it, with a "\" appended unless it ends in "\" or
// "/". Empty when the text is not an absolute folder (a drive with its root, or a
// \\server\share) or names a folder through "." or "..": a relative folder would put the
// book, and its removal, wherever the current folder happens to be.
AnsiString NormaliseTempFolder(const AnsiString& reported);

// The work folder tried at the attempt-th claim (0 first): tempFolder + fileName, then with
// "-2", "-3", ... appended for a book whose usual folder is held by another running copy.
AnsiString WorkFolderCandidate(const AnsiString& tempFolder, const AnsiString& fileName, int attempt);

// True when folder is tempFolder (which ends in a separator) followed by exactly one plain
// name: not empty, no "\", "/" or ":", no control character, not made of dots and spaces
// alone. Only such a folder is ever removed.
bool IsWorkFolderUnder(const AnsiString& folder, const AnsiString& tempFolder);

// True when path is an absolute folder (below a drive or share root) whose every component is
// a plain name, without wildcards: the only kind of path that the removal routines accept.
bool IsRemovablePath(const AnsiString& path);

// The temporary archive of a work folder.
inline AnsiString TempArchivePath(const AnsiString& workFolder) { return workFolder + ".tmp"; }

// The file the browser opens: workFolder + homePage when the home page begins with "\",
// otherwise workFolder + "\" + homePage.
AnsiString HomePageAddress(const AnsiString& workFolder, const AnsiString& homePage);

// The name of the mutex that marks a work folder as used by a running copy; spellings of the
// path that differ only in the case of ASCII letters share it.
AnsiString WorkFolderMutexName(const AnsiString& folder);
