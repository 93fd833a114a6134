// Removing a folder tree: the shell's silent delete, and a walk of our own as the second pass
// for whatever the shell left (read-only files included). Both refuse any path that
// IsRemovablePath rejects (empty, relative, a drive or share root, "." or ".." components,
// wildcards), whatever the caller passes; failures of single deletions are ignored.
#pragma once
#include "classlib/sysutils.h"
#include "player/work_paths.h"

// SHFileOperationA FO_DELETE, silent, no confirmation, no error UI, no recycle bin. False when
// the path was refused or the shell reported an error.
bool ShellDeleteFolder(const AnsiString& folder);
// Deletes every file and folder below folder and then folder itself. Read-only, hidden and
// system attributes are cleared first; a folder link (junction or symbolic link) is removed
// as a link, never followed. False when the path was refused or folder still exists.
bool DeleteFolderTree(const AnsiString& folder);
