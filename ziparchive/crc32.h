// CRC-32 of the ZIP format (reflected polynomial 0xEDB88320, as in ISO 3309).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace crc_detail {
constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[n] = c;
    }
    return t;
}
}  // namespace crc_detail

// Built by the compiler: constant data in the program.
inline constexpr std::array<uint32_t, 256> CrcTable = crc_detail::MakeCrcTable();

inline uint32_t UpdateCrcByte(uint32_t crc, uint8_t b) { return CrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8); }

// Runs the table over a buffer; the caller starts from 0xFFFFFFFF and complements the end value.
uint32_t UpdateCrc32(uint32_t crc, const void* buffer, size_t count);

// The finished CRC-32 of one buffer.
inline uint32_t Crc32Of(const void* buffer, size_t count) { return ~UpdateCrc32(0xFFFFFFFFu, buffer, count); }
