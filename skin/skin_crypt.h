// CRC-32 (polynomial 0xEDB88320) and the traditional PKWARE cipher, as the skin reader needs
// them: kept inside the skin engine so that it depends on no archive library.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

uint32_t SkinCrc32(uint32_t crc, const void* data, size_t size);   // start with 0

class TSkinZipDecrypter {
public:
    explicit TSkinZipDecrypter(const std::string& password);
    uint8_t DecryptByte(uint8_t cipher);
    void Decrypt(uint8_t* data, size_t size) {
        for (size_t i = 0; i < size; ++i) data[i] = DecryptByte(data[i]);
    }
private:
    void UpdateKeys(uint8_t plain);
    uint32_t FKeys[3];
};
