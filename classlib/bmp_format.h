// The Windows bitmap file format (".bmp"): reading and writing field by field, with every
// size checked against the bytes the stream really holds.
#pragma once
#include <cstdint>
#include <vector>

#include "classlib/classes.h"

PW_DECLARE_EXCEPTION(EInvalidGraphic, Exception)

struct TBmpImage {
    int32_t Width = 0;
    int32_t Height = 0;          // always positive here
    bool TopDown = false;        // rows stored top row first
    uint16_t BitCount = 0;       // 1, 4, 8, 16, 24 or 32
    uint32_t Compression = 0;    // 0 = plain RGB, 3 = bit fields (16 and 32 bits); RLE is expanded on reading
    uint32_t Masks[3] = {0, 0, 0};
    std::vector<uint32_t> Palette;   // 0x00RRGGBB entries (RGBQUAD byte order)
    std::vector<uint8_t> Bits;       // Stride() * Height bytes, rows padded to 4 bytes

    uint32_t Stride() const { return BmpStride(Width, BitCount); }
    static uint32_t BmpStride(int32_t width, uint16_t bitCount) {
        return static_cast<uint32_t>(((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4);
    }
};

// Largest picture accepted (either side), and largest pixel data in bytes.
constexpr int32_t kBmpMaxSide = 32768;
constexpr uint64_t kBmpMaxBits = 256u * 1024u * 1024u;

// Reads a bitmap file from the stream's position: file header, info header (core, info or
// a later version), palette, pixels. Raises EInvalidGraphic on anything malformed or short.
// Run-length pictures (BI_RLE8, BI_RLE4) come back expanded into plain bottom-up rows; a run or
// delta that leaves the picture, or data that ends before the picture does, is malformed; so is
// a large run-length picture whose data is far too small to describe it. A picture too big to
// hold in memory is refused with EInvalidGraphic too.
TBmpImage ReadBmp(TStream& stream);
// The same, refusing a picture whose pixel data would take more than maxBits bytes before any
// of it is allocated: readers of many pictures keep one budget for all of them this way.
TBmpImage ReadBmp(TStream& stream, uint64_t maxBits);
// Writes a bitmap file (BITMAPINFOHEADER form).
void WriteBmp(TStream& stream, const TBmpImage& image);
// The bytes WriteBmp writes for the image.
uint64_t BmpFileSize(const TBmpImage& image);
