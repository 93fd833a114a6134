#include "ziparchive/zip_crypt.h"

#include "ziparchive/crc32.h"

void TZipKeys::InitKeys(const std::string& password) {
    Key0 = 0x12345678u;
    Key1 = 0x23456789u;
    Key2 = 0x34567890u;
    for (unsigned char c : password) UpdateKeys(c);
}

void TZipKeys::UpdateKeys(uint8_t c) {
    Key0 = UpdateCrcByte(Key0, c);
    Key1 = (Key1 + (Key0 & 0xFF)) * 134775813u + 1u;   // unsigned: wraps modulo 2^32
    Key2 = UpdateCrcByte(Key2, static_cast<uint8_t>(Key1 >> 24));
}

// The buffer loops work on a local copy of the keys: written through a byte pointer, which
// may alias anything, the members would be stored and reloaded for every byte.
void TZipKeys::DecryptBuffer(void* buffer, size_t count) {
    TZipKeys k = *this;
    uint8_t* p = static_cast<uint8_t*>(buffer);
    for (size_t i = 0; i < count; ++i) p[i] = k.DecryptOne(p[i]);
    *this = k;
}

void TZipKeys::EncryptBuffer(void* buffer, size_t count) {
    TZipKeys k = *this;
    uint8_t* p = static_cast<uint8_t*>(buffer);
    for (size_t i = 0; i < count; ++i) p[i] = k.EncryptByte(p[i]);
    *this = k;
}

uint8_t TZipKeys::DecryptHeader(const std::string& password, uint8_t header[kEncryptionHeaderSize]) {
    InitKeys(password);
    DecryptBuffer(header, kEncryptionHeaderSize);
    return header[kEncryptionHeaderSize - 1];
}
