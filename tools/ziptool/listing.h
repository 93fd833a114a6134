// The listing of `ziptool list`, kept apart from the program so that the native test suite
// can produce it too.
#pragma once
#include <string>

#include "classlib/sysutils.h"

// One line per entry in central directory order: SIZE TAB COMPRESSED TAB CRC32 TAB METHOD
// TAB NAME, sizes in decimal, the CRC as 8 lower-case hex digits, the name as stored.
// Raises the archive library's exceptions for an archive that cannot be read.
std::string ListArchive(const AnsiString& zipName);
