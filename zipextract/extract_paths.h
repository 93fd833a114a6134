// Where an extracted entry goes, and the checks that keep an archive's names from reaching
// outside the destination folder. Names are ANSI (code page 936) with "\" separators; every
// scan here is lead-byte aware, since a GBK trail byte can be 0x5C.
#pragma once
#include <vector>

#include "classlib/sysutils.h"

// A copy of Path without its last character when that is "\".
AnsiString StripTrailingBackslash(const AnsiString& path);

// Creates Path and every missing folder above it, outermost first, in a loop whatever the
// depth. One trailing separator is ignored, drive roots end the walk, and failures are
// ignored: a folder that could not be made shows up later as an output file that cannot be
// created. Made, when given, receives the folders this call created, outermost first.
void CreateDirPath(const AnsiString& path, std::vector<AnsiString>* made = nullptr);
inline void EnsureDir(const AnsiString& path) { CreateDirPath(path); }

// The longest path the system's file functions take, without the terminating zero.
#ifdef _WIN32
constexpr size_t kPathLimit = 259;   // MAX_PATH
#else
constexpr size_t kPathLimit = 4095;  // PATH_MAX
#endif

// False for a path too long to be created: such a name is refused as unsafe.
bool FitsPathLimit(const AnsiString& path);

// True when Path (relative; components separated by "\" or "/", a trailing separator
// allowed) stays below the folder it is joined to and names ordinary files only: no empty
// component, no component made of dots and spaces alone (".."), no ":" (drives and
// alternate data streams), no control character and no device name such as CON, NUL,
// COM1 or LPT1 (with or without an extension).
bool IsSafeRelativePath(const AnsiString& path);

// The folder an entry with the stored directory Dir ("\" separated, empty or ending in
// "\") is extracted into, ending in "\": DestDir + "\", and with RecreateDirs DestDir + "\"
// + Dir, where a leading drive ("X:") and a leading "\" of Dir are dropped, so that an
// absolute stored path lands below DestDir too. False when the rest of Dir is not a safe
// relative path (UNC names, "..", ":" and device names).
bool EntryDestFolder(const AnsiString& destDir, const AnsiString& dir, bool recreateDirs, AnsiString& folder);

// True when FullName lies below DestDir: it begins with DestDir + "\" (case ignored) and the
// rest is a safe relative path naming a file.
bool IsInsideFolder(const AnsiString& fullName, const AnsiString& destDir);
