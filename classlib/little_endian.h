// Little-endian fixed-width fields, read from and written to byte buffers one at a time,
// so that archive records never depend on the host's struct layout or byte order.
#pragma once
#include <cstdint>
#include <string>

inline uint16_t GetLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t GetLE64(const uint8_t* p) {
    return static_cast<uint64_t>(GetLE32(p)) | (static_cast<uint64_t>(GetLE32(p + 4)) << 32);
}

inline void PutLE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutLE64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Appends fields to a record being assembled in memory.
class TLEWriter {
public:
    void U16(uint16_t v) { uint8_t b[2]; PutLE16(b, v); Bytes(b, 2); }
    void U32(uint32_t v) { uint8_t b[4]; PutLE32(b, v); Bytes(b, 4); }
    void U64(uint64_t v) { uint8_t b[8]; PutLE64(b, v); Bytes(b, 8); }
    void Bytes(const void* p, size_t n) { Data.append(static_cast<const char*>(p), n); }
    std::string Data;
};
