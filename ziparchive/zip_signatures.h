// The four-byte record signatures that every reader and writer compares and writes.
// Process-wide; SetZipSignatures(0, 0, 0) selects the standard ones (the start-up state).
#pragma once
#include <cstdint>

constexpr uint32_t kStdCentralSig = 0x02014B50u;     // "PK" 1 2
constexpr uint32_t kStdLocalSig = 0x04034B50u;       // "PK" 3 4
constexpr uint32_t kStdEndCentralSig = 0x06054B50u;  // "PK" 5 6
constexpr uint32_t kZip64EndCentralSig = 0x06064B50u;
constexpr uint32_t kZip64LocatorSig = 0x07064B50u;

struct TZipSignatures {
    uint32_t Central = kStdCentralSig;
    uint32_t Local = kStdLocalSig;
    uint32_t EndCentral = kStdEndCentralSig;
    uint8_t LocalBytes[4] = {0x50, 0x4B, 0x03, 0x04};  // for byte-wise scans
    uint8_t EndCentralFirstByte = 0x50;
};

const TZipSignatures& ZipSignatures();
void SetZipSignatures(uint32_t central, uint32_t local, uint32_t endCentral);
