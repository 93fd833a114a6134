// The disk unit of the Windows 9x family: the extended free-space call of the VWIN32
// device, which alone reports the true cluster size of a FAT32 drive there. Windows only;
// on every other system GetClusterSize asks GetDiskFreeSpaceA.
#pragma once
#include <cstdint>

#include "classlib/sysutils.h"

namespace disk_io_win9x {

// The seven 32-bit registers VWIN32 takes and returns, in the device's order.
struct TDevIoRegisters {
    uint32_t EBX = 0, EDX = 0, ECX = 0, EAX = 0, EDI = 0, ESI = 0, Flags = 0;
};

// The extended free-space block of DOS function 7303h (44 bytes).
struct TExtFreeSpace {
    uint16_t Size = 0;
    uint16_t Level = 0;
    uint32_t SectorsPerCluster = 0;
    uint32_t BytesPerSector = 0;
    uint32_t AvailableClusters = 0;
    uint32_t TotalClusters = 0;
    uint32_t AvailablePhysSectors = 0;
    uint32_t TotalPhysSectors = 0;
    uint32_t AvailableAllocationUnits = 0;
    uint32_t TotalAllocationUnits = 0;
    uint32_t Reserved[2] = {0, 0};
};

// Windows 95 OSR2 (4.0 build 1081) or later of the 9x family.
bool IsWin95OSR2OrLater();
// Passes Registers to the VWIN32 device; true when the call succeeded with the carry clear.
bool VWin32Call(TDevIoRegisters& registers, uint32_t controlCode);
// DOS function 7303h on Root (for example "A:\\"); false with the last error set on failure.
bool GetExtFreeSpace(const AnsiString& root, TExtFreeSpace& info);

}  // namespace disk_io_win9x
