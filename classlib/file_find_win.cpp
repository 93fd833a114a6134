// FindFirst / FindNext / FindClose over FindFirstFileA.
#include <windows.h>

#include "classlib/file_find.h"

namespace {
const uint32_t kFilteredAttributes = faHidden | faSysFile | faVolumeID | faDirectory;

uint64_t Ticks(const FILETIME& ft) { return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

// Local DOS date-time of a file time; times before 1980 become 1 January 1980.
uint32_t DosTime(const FILETIME& ft) {
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&ft, &local)) return 0x00210000;
    if (!FileTimeToDosDateTime(&local, &date, &time)) {
        SYSTEMTIME st;
        if (FileTimeToSystemTime(&local, &st) && st.wYear >= 2108) return 0xFF9FBF7D;   // 2107-12-31 23:59:58
        return 0x00210000;
    }
    return (static_cast<uint32_t>(date) << 16) | time;
}

void Fill(const WIN32_FIND_DATAA& fd, TSearchRec& rec) {
    TWin32FindData& d = rec.FindData;
    d.dwFileAttributes = fd.dwFileAttributes;
    d.ftCreationTime = Ticks(fd.ftCreationTime);
    d.ftLastAccessTime = Ticks(fd.ftLastAccessTime);
    d.ftLastWriteTime = Ticks(fd.ftLastWriteTime);
    d.nFileSizeHigh = fd.nFileSizeHigh;
    d.nFileSizeLow = fd.nFileSizeLow;
    d.cFileName = fd.cFileName;
    d.cAlternateFileName = fd.cAlternateFileName;
    rec.Time = DosTime(fd.ftLastWriteTime);
    rec.Size = static_cast<int64_t>((static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow);
    rec.Attr = fd.dwFileAttributes;
    rec.Name = fd.cFileName;
}

// Steps past entries whose attributes the caller did not ask for.
int Accept(HANDLE h, WIN32_FIND_DATAA& fd, TSearchRec& rec) {
    while (fd.dwFileAttributes & rec.ExcludeAttr)
        if (!FindNextFileA(h, &fd)) return static_cast<int>(GetLastError());
    Fill(fd, rec);
    return 0;
}
}  // namespace

int FindFirst(const AnsiString& path, uint32_t attr, TSearchRec& rec) {
    rec.ExcludeAttr = ~attr & kFilteredAttributes;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(path.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) {
        rec.FindHandle = 0;
        return static_cast<int>(GetLastError());
    }
    rec.FindHandle = reinterpret_cast<intptr_t>(h);
    int r = Accept(h, fd, rec);
    if (r != 0) FindClose(rec);
    return r;
}

int FindNext(TSearchRec& rec) {
    if (rec.FindHandle == 0) return ERROR_NO_MORE_FILES;
    HANDLE h = reinterpret_cast<HANDLE>(rec.FindHandle);
    WIN32_FIND_DATAA fd;
    if (!FindNextFileA(h, &fd)) return static_cast<int>(GetLastError());
    return Accept(h, fd, rec);
}

void FindClose(TSearchRec& rec) {
    if (rec.FindHandle != 0) ::FindClose(reinterpret_cast<HANDLE>(rec.FindHandle));
    rec.FindHandle = 0;
}
