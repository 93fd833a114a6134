#include <windows.h>

#include "ziparchive/writer_platform.h"

namespace writer_platform {

uint32_t FileGetAttr(const AnsiString& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a == INVALID_FILE_ATTRIBUTES ? kInvalidAttributes : static_cast<uint32_t>(a);
}

bool FileSetAttr(const AnsiString& path, uint32_t attr) { return SetFileAttributesA(path.c_str(), attr) != 0; }

AnsiString SystemTempDir() {
    char buf[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof buf, buf);
    if (n == 0 || n > MAX_PATH) return AnsiString();
    return IncludeTrailingPathDelimiter(AnsiString(buf, n));
}

bool ReplaceByRename(const AnsiString& source, const AnsiString& dest) {
    // No MOVEFILE_COPY_ALLOWED: a copy that fails half-way would take the old file with it.
    return MoveFileExA(source.c_str(), dest.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace writer_platform
