// Finding files by name pattern (FindFirst / FindNext / FindClose), in the manner of the
// class library. The system's order of entries is kept; "." and ".." are reported as the
// system reports them.
#pragma once
#include <cstdint>

#include "classlib/sysutils.h"

// Attribute bits of found entries (the Windows FILE_ATTRIBUTE_* values).
enum : uint32_t {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
    faNormal = 0x80,
    faSymLink = 0x400,   // reparse point (symbolic link or junction)
    faAnyFile = 0x3F,
};

// What the system reports for one entry (WIN32_FIND_DATAA, field by field).
struct TWin32FindData {
    uint32_t dwFileAttributes = 0;
    uint64_t ftCreationTime = 0;     // FILETIME as one 64-bit count of 100 ns since 1601 (UTC)
    uint64_t ftLastAccessTime = 0;
    uint64_t ftLastWriteTime = 0;
    uint32_t nFileSizeHigh = 0;
    uint32_t nFileSizeLow = 0;
    AnsiString cFileName;
    AnsiString cAlternateFileName;   // 8.3 name, empty when the system has none
};

struct TSearchRec {
    uint32_t Time = 0;        // last write, local, DOS date-time
    int64_t Size = 0;
    uint32_t Attr = 0;
    AnsiString Name;
    uint32_t ExcludeAttr = 0;
    intptr_t FindHandle = 0;  // owned by the search; released by FindClose
    TWin32FindData FindData;
};

// FindFirst: 0 when an entry was found (Rec filled), else a system error code; when it
// fails there is nothing to close. Entries with a hidden, system, volume or directory bit
// that Attr does not ask for are passed over. FindNext: 0 or an error code at the end.
int FindFirst(const AnsiString& path, uint32_t attr, TSearchRec& rec);
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);
