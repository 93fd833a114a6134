// The files of a packing run on disk: where the temporary archive goes, the player stub taken
// from the builder's resources, and putting a finished book in place.
#pragma once
#include "classlib/sysutils.h"

// The Windows directory's "drivers" sub-folder, created when missing (failure ignored); ends in "\".
AnsiString GetDriversFolder();
// The user's temporary folder, ending in "\" (empty when the system names none).
AnsiString GetUserTempFolder();

// A path in folder (which ends in a separator) that names no file yet: prefix, a number unique
// to this call, then ext. Empty when none could be found.
AnsiString UniqueFileName(const AnsiString& folder, const AnsiString& prefix, const AnsiString& ext);

// The temporary archive of a book called bookName: preferredFolder + bookName + ".tmp" when a
// file can be made there (an old one of that name is deleted first), otherwise a unique name in
// fallbackFolder. Empty when neither folder can take a file. No file of that name exists when
// this returns: the writer must make a new archive, never update an old one.
AnsiString ChooseTempArchivePath(const AnsiString& preferredFolder, const AnsiString& fallbackFolder,
                                 const AnsiString& bookName);

// Saves the resource of the given type and name of the running program to fileName (created or
// overwritten); true on success, false on any failure (a partial file is removed).
bool ExtractPlayerResource(const char* resType, const char* resName, const AnsiString& fileName);

// Puts the file from in place of to by renaming it, replacing an existing to. False when to
// cannot be replaced (for instance a running book, or a file another program holds open); from
// is then left as it is.
bool ReplaceFileByRename(const AnsiString& from, const AnsiString& to);
