// Where the skin reader puts the container it extracts: the user's temporary folder, under a
// fresh GUID name so that two readers never share a file.
#pragma once
#include "classlib/sysutils.h"

// The temporary folder, ending in the path separator.
AnsiString GetSkinTempPath();
// GetSkinTempPath() plus a new GUID in its braced registry form, no extension.
AnsiString NewSkinTempName();
