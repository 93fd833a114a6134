#include <windows.h>

#include <vector>

#include "ziparchive/disk_io_win9x.h"
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

namespace {
// The file's access list as a self-relative descriptor; empty when it cannot be read.
std::vector<BYTE> AccessListOf(const AnsiString& path) {
    DWORD need = 0;
    GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &need);
    std::vector<BYTE> security(need);
    if (need == 0 || !GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, security.data(), need, &need))
        security.clear();
    return security;
}
}  // namespace

bool ReplaceKeepingAccess(const AnsiString& source, const AnsiString& dest) {
    const DWORD attr = GetFileAttributesA(dest.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return ReplaceByRename(source, dest);
    // The temporary file's access list came from its folder; the archive keeps its own. One
    // that is the same already is left alone: Wine makes a list set on a file into a Unix
    // mode that adds execute and group bits.
    const std::vector<BYTE> security = AccessListOf(dest);
    if (!security.empty() && security != AccessListOf(source))
        SetFileSecurityA(source.c_str(), DACL_SECURITY_INFORMATION, const_cast<BYTE*>(security.data()));
    constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE;
    const DWORD kept = attr & kKept;
    const DWORD before = kept & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(source.c_str(), before != 0 ? before : FILE_ATTRIBUTE_NORMAL);
    if (!ReplaceByRename(source, dest)) return false;
    if (kept != before) SetFileAttributesA(dest.c_str(), kept);
    return true;
}

namespace {
// "X:\" for a path with a drive letter; empty (the current drive) otherwise.
AnsiString DriveRoot(const AnsiString& path) {
    if (path.size() >= 2 && path[1] == ':' && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z')) return AnsiString(1, path[0]) + ":\\";
    return AnsiString();
}
}  // namespace

int64_t FreeSpaceOfDrive(const AnsiString& path) {
    const AnsiString root = DriveRoot(path);
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(root.empty() ? nullptr : root.c_str(), &available, nullptr, nullptr)) return -1;
    return static_cast<int64_t>(available.QuadPart);
}

int64_t ClusterSize(const AnsiString& root) {
    if (disk_io_win9x::IsWin95OSR2OrLater()) {
        disk_io_win9x::TExtFreeSpace info;
        if (disk_io_win9x::GetExtFreeSpace(root, info))
            return static_cast<int64_t>(info.SectorsPerCluster) * info.BytesPerSector;
    } else {
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
        if (GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
            return static_cast<int64_t>(sectorsPerCluster) * bytesPerSector;
    }
    throw EOSError("Cannot read the cluster size of " + root + " (system error " + IntToStr(GetLastError()) + ")");
}

bool VolumeSerial(const AnsiString& path, uint32_t& serial) {
    const AnsiString root = DriveRoot(path);
    DWORD s = 0;
    if (!GetVolumeInformationA(root.empty() ? nullptr : root.c_str(), nullptr, 0, &s, nullptr, nullptr, nullptr, 0))
        return false;
    serial = s;
    return true;
}

}  // namespace writer_platform
