#include <windows.h>

#include "ziparchive/disk_io_win9x.h"

namespace disk_io_win9x {

namespace {
constexpr DWORD kVWin32DosDriveInfo = 6;   // VWIN32_DIOC_DOS_DRIVEINFO
constexpr uint32_t kGetExtFreeSpace = 0x7303;
constexpr uint32_t kCarryFlag = 1;
}  // namespace

bool IsWin95OSR2OrLater() {
    OSVERSIONINFOA v;
    ZeroMemory(&v, sizeof v);
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&v)) return false;
#pragma GCC diagnostic pop
    if (v.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS) return false;
    return v.dwMajorVersion > 4 ||
           (v.dwMajorVersion == 4 && (v.dwMinorVersion > 0 || LOWORD(v.dwBuildNumber) > 1080));
}

bool VWin32Call(TDevIoRegisters& registers, uint32_t controlCode) {
    registers.Flags = kCarryFlag;
    HANDLE device = CreateFileA("\\\\.\\vwin32", 0, 0, nullptr, 0, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (device == INVALID_HANDLE_VALUE) return false;
    // The device reads and writes the registers as seven consecutive 32-bit values.
    uint32_t block[7] = {registers.EBX, registers.EDX, registers.ECX, registers.EAX,
                         registers.EDI, registers.ESI, registers.Flags};
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(device, controlCode, block, sizeof block, block, sizeof block, &returned, nullptr);
    bool result;
    if (ok) {
        registers = TDevIoRegisters{block[0], block[1], block[2], block[3], block[4], block[5], block[6]};
        result = (registers.Flags & kCarryFlag) == 0;
    } else {
        registers.EAX = GetLastError();
        result = false;
    }
    CloseHandle(device);
    return result;
}

bool GetExtFreeSpace(const AnsiString& root, TExtFreeSpace& info) {
    // The block as the device fills it: 16-bit size and level, then 32-bit fields.
    uint8_t block[44] = {0};
    TDevIoRegisters r;
    r.EAX = kGetExtFreeSpace;
    // A 32-bit system's addresses: the call exists only on Windows 9x, a 32-bit system.
    r.EDX = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(root.c_str()));
    r.EDI = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block));
    r.ECX = sizeof block;
    if (!VWin32Call(r, kVWin32DosDriveInfo)) {
        SetLastError(r.EAX);
        return false;
    }
    auto u32 = [&](int at) {
        return static_cast<uint32_t>(block[at]) | (static_cast<uint32_t>(block[at + 1]) << 8) |
               (static_cast<uint32_t>(block[at + 2]) << 16) | (static_cast<uint32_t>(block[at + 3]) << 24);
    };
    info.Size = static_cast<uint16_t>(block[0] | (block[1] << 8));
    info.Level = static_cast<uint16_t>(block[2] | (block[3] << 8));
    info.SectorsPerCluster = u32(4);
    info.BytesPerSector = u32(8);
    info.AvailableClusters = u32(12);
    info.TotalClusters = u32(16);
    info.AvailablePhysSectors = u32(20);
    info.TotalPhysSectors = u32(24);
    info.AvailableAllocationUnits = u32(28);
    info.TotalAllocationUnits = u32(32);
    return true;
}

}  // namespace disk_io_win9x
