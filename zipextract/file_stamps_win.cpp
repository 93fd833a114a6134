#include <windows.h>

#include "zipextract/file_stamps.h"

namespace file_stamps {

bool SetHandleStamp(THandle handle, uint32_t dosDateTime, int32_t attributes) {
    FILETIME local, utc;
    if (!DosDateTimeToFileTime(static_cast<WORD>(dosDateTime >> 16), static_cast<WORD>(dosDateTime & 0xFFFF), &local) ||
        !LocalFileTimeToFileTime(&local, &utc))
        return false;
    FILE_BASIC_INFO info = {};   // zero times and attributes: left as they are
    info.LastWriteTime.LowPart = utc.dwLowDateTime;
    info.LastWriteTime.HighPart = static_cast<LONG>(utc.dwHighDateTime);
    // No attribute bit at all would mean "no change": say "normal" instead.
    if (attributes >= 0) info.FileAttributes = attributes ? static_cast<DWORD>(attributes) : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(reinterpret_cast<HANDLE>(handle), FileBasicInfo, &info, sizeof info) != 0;
}

bool SetFileDosDate(const AnsiString& name, uint32_t dosDateTime) {
    const THandle h = FileOpen(name, fmOpenWrite | fmShareDenyNone);
    if (h == INVALID_FILE_HANDLE) return false;
    const bool ok = SetHandleStamp(h, dosDateTime, -1);
    FileClose(h);
    return ok;
}

int32_t GetFileAttr(const AnsiString& name) {
    const DWORD a = GetFileAttributesA(name.c_str());
    return a == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<int32_t>(a);
}

bool SetFileAttr(const AnsiString& name, uint32_t attr) {
    return SetFileAttributesA(name.c_str(), attr ? attr : FILE_ATTRIBUTE_NORMAL) != 0;
}

}  // namespace file_stamps
