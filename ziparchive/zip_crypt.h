// The traditional PKWARE stream cipher: three 32-bit keys driven by the password and by
// the plain bytes. One set of keys serves one entry at a time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr int kEncryptionHeaderSize = 12;

struct TZipKeys {
    uint32_t Key0 = 0x12345678u;
    uint32_t Key1 = 0x23456789u;
    uint32_t Key2 = 0x34567890u;

    // Resets the keys and feeds the password's bytes in order (an empty password feeds none).
    void InitKeys(const std::string& password);
    void UpdateKeys(uint8_t c);
    // One byte of keystream; only the low 16 bits of Key2 count. The keys do not move.
    uint8_t DecryptByte() const {
        uint32_t t = (Key2 & 0xFFFF) | 2;
        return static_cast<uint8_t>(((t * (t ^ 1)) & 0xFFFF) >> 8);
    }
    uint8_t DecryptOne(uint8_t c) {
        uint8_t p = static_cast<uint8_t>(c ^ DecryptByte());
        UpdateKeys(p);
        return p;
    }
    uint8_t EncryptByte(uint8_t p) {
        uint8_t c = static_cast<uint8_t>(p ^ DecryptByte());
        UpdateKeys(p);
        return c;
    }
    void DecryptBuffer(void* buffer, size_t count);
    void EncryptBuffer(void* buffer, size_t count);
    // InitKeys, then decrypts the 12-byte header in place; returns its last byte (the check byte).
    uint8_t DecryptHeader(const std::string& password, uint8_t header[kEncryptionHeaderSize]);
};
