#include "skin/skin_crypt.h"

namespace {

struct TCrcTable {
    uint32_t Entries[256];
    TCrcTable() {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            Entries[n] = c;
        }
    }
};

const uint32_t* CrcTable() {
    static const TCrcTable table;
    return table.Entries;
}

inline uint32_t CrcByte(uint32_t crc, uint8_t b) { return CrcTable()[(crc ^ b) & 0xFF] ^ (crc >> 8); }

}  // namespace

uint32_t SkinCrc32(uint32_t crc, const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = CrcByte(crc, p[i]);
    return ~crc;
}

TSkinZipDecrypter::TSkinZipDecrypter(const std::string& password) : FKeys{0x12345678u, 0x23456789u, 0x34567890u} {
    for (unsigned char c : password) UpdateKeys(c);
}

void TSkinZipDecrypter::UpdateKeys(uint8_t plain) {
    FKeys[0] = CrcByte(FKeys[0], plain);
    FKeys[1] = (FKeys[1] + (FKeys[0] & 0xFF)) * 134775813u + 1;
    FKeys[2] = CrcByte(FKeys[2], static_cast<uint8_t>(FKeys[1] >> 24));
}

uint8_t TSkinZipDecrypter::DecryptByte(uint8_t cipher) {
    uint32_t temp = (FKeys[2] | 2) & 0xFFFF;
    uint8_t plain = cipher ^ static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
    UpdateKeys(plain);
    return plain;
}
