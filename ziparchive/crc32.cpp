#include "ziparchive/crc32.h"

uint32_t UpdateCrc32(uint32_t crc, const void* buffer, size_t count) {
    const uint8_t* p = static_cast<const uint8_t*>(buffer);
    for (size_t i = 0; i < count; ++i) crc = UpdateCrcByte(crc, p[i]);
    return crc;
}
