// The POSIX spelling of a Windows-style path, for the native build of the byte-level core.
#pragma once
#include "classlib/sysutils.h"

// "\" becomes "/", except a trail byte of a double-byte character. A "/" that is a trail byte
// belongs to a character on Windows but would separate names here: such a path names no file
// of this system and comes back empty, so that every call on it fails.
AnsiString NativePath(const AnsiString& path);
