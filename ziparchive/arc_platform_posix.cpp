#include <sys/stat.h>

#include <ctime>

#include "ziparchive/arc_platform.h"

namespace arc_platform {

TFileStamp FileStampOf(THandle handle) {
    TFileStamp s;
    struct stat st;
    if (handle == INVALID_FILE_HANDLE || fstat(static_cast<int>(handle), &st) != 0) return s;
    s.Valid = true;
    s.Size = st.st_size;
    s.WriteTime = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    struct tm lt;
    time_t t = st.st_mtim.tv_sec;
    if (localtime_r(&t, &lt)) {
        TDateTime d, tm;
        if (TryEncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, d) &&
            TryEncodeTime(lt.tm_hour, lt.tm_min, lt.tm_sec & ~1, 0, tm))
            s.Date = d + tm;
    }
    return s;
}

// No one to ask: a prompt with a Cancel or No button answers with it.
int ShowMessageBox(const AnsiString&, const AnsiString&, uint32_t flags) {
    switch (flags & 0x0F) {
    case 1: case 3: case 5: return 2;   // IDCANCEL
    case 4: return 7;                   // IDNO
    default: return 1;                  // IDOK
    }
}

bool PromptForFileName(const AnsiString&, const AnsiString&, const AnsiString&, AnsiString&) { return false; }
bool PromptForDirectory(AnsiString&) { return false; }

TDefaultCursor::TDefaultCursor() = default;
TDefaultCursor::~TDefaultCursor() = default;

}  // namespace arc_platform
