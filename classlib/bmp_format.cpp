#include "classlib/bmp_format.h"

#include <algorithm>
#include <new>

#include "classlib/little_endian.h"

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitFields = 3;

[[noreturn]] void Invalid() { throw EInvalidGraphic("Bitmap image is not valid"); }

// Run-length data can leave any part of a picture unwritten (end of line, delta, end of bitmap),
// so a few bytes could otherwise claim the largest picture. A fully encoded run gives at most 255
// pixels for 2 bytes, fewer than 128 decoded bytes per data byte; twice that leaves room for
// skipped areas. Small pictures are accepted whatever their data, as they cost little.
constexpr uint64_t kRleMaxBitsPerDataByte = 256;
constexpr uint64_t kRleFreeBits = 4u * 1024u * 1024u;

// Expands BI_RLE8 / BI_RLE4 data into bottom-up rows of img.Bits (already zeroed: pixels the
// data skips keep index 0). Every run is checked against the row before a pixel is written;
// writers such as ImageMagick encode the whole padded row, so a run may reach into the row's
// padding but not past it. Running off the data without an end of bitmap, while rows are
// still missing, is a short file.
void DecodeRle(const std::vector<uint8_t>& data, TBmpImage& img) {
    const bool four = img.BitCount == 4;
    const uint32_t stride = img.Stride();
    const uint32_t rowPixels = four ? stride * 2 : stride;   // pixels a stored row can hold
    const uint32_t height = static_cast<uint32_t>(img.Height);
    uint32_t x = 0, y = 0;   // y counts rows from the bottom, as they are stored
    size_t at = 0;
    auto put = [&](uint32_t index) {
        uint8_t& b = img.Bits[static_cast<size_t>(y) * stride + (four ? x / 2 : x)];
        if (!four)
            b = static_cast<uint8_t>(index);
        else if (x % 2 == 0)
            b = static_cast<uint8_t>((b & 0x0F) | (index << 4));
        else
            b = static_cast<uint8_t>((b & 0xF0) | (index & 0x0F));
        ++x;
    };
    auto fits = [&](uint32_t count) {
        if (y >= height || count > rowPixels - x) Invalid();
    };
    for (;;) {
        if (data.size() - at < 2) {
            if (y >= height && at == data.size()) return;   // every row given, no end marker
            Invalid();
        }
        uint32_t count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {   // encoded run: one index, or two alternating nibbles
            fits(count);
            for (uint32_t i = 0; i < count; ++i) put(four ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
            continue;
        }
        switch (value) {
            case 0:   // end of line
                x = 0;
                if (++y > height) Invalid();
                break;
            case 1:   // end of bitmap
                return;
            case 2: {   // delta: right and up
                if (data.size() - at < 2) Invalid();
                uint32_t dx = data[at], dy = data[at + 1];
                at += 2;
                if (dx > rowPixels - x || dy > height - y) Invalid();
                x += dx;
                y += dy;
                break;
            }
            default: {   // absolute run of `value` indexes, padded to a 16-bit boundary
                uint32_t bytes = four ? (value + 1) / 2 : value;
                uint32_t padded = (bytes + 1) & ~1u;
                if (data.size() - at < padded) Invalid();
                fits(value);
                for (uint32_t i = 0; i < value; ++i) {
                    uint32_t b = data[at + (four ? i / 2 : i)];
                    put(four ? (i % 2 == 0 ? b >> 4 : b & 0x0F) : b);
                }
                at += padded;
                break;
            }
        }
    }
}

class Reader {
public:
    explicit Reader(TStream& s) : FStream(s) {
        FStart = s.GetPosition();
        FLimit = s.GetSize() - FStart;
    }
    int64_t Offset() { return FStream.GetPosition() - FStart; }
    int64_t Left() { return FLimit - Offset(); }
    void Need(uint64_t n) {
        if (Left() < 0 || n > static_cast<uint64_t>(Left())) Invalid();
    }
    void Bytes(uint8_t* p, uint32_t n) {
        Need(n);
        if (n) FStream.ReadBuffer(p, static_cast<int32_t>(n));
    }
    uint32_t U8() { uint8_t b; Bytes(&b, 1); return b; }
    uint32_t U16() { uint8_t b[2]; Bytes(b, 2); return GetLE16(b); }
    uint32_t U32() { uint8_t b[4]; Bytes(b, 4); return GetLE32(b); }
    void Skip(uint64_t n) {
        Need(n);
        FStream.Seek(static_cast<int64_t>(n), soCurrent);
    }
private:
    TStream& FStream;
    int64_t FStart;
    int64_t FLimit;
};

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t b[2];
    PutLE16(b, static_cast<uint16_t>(v));
    out.insert(out.end(), b, b + 2);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t b[4];
    PutLE32(b, v);
    out.insert(out.end(), b, b + 4);
}

}  // namespace

namespace {

TBmpImage ReadBmpChecked(TStream& stream, uint64_t maxBits) {
    Reader r(stream);
    TBmpImage img;
    if (r.U16() != 0x4D42) Invalid();   // "BM"
    r.U32();                            // file size: often wrong in the wild, not relied on
    r.U32();                            // reserved
    uint32_t bitsOffset = r.U32();
    uint32_t headerSize = r.U32();
    int64_t width, height;
    uint32_t planes, clrUsed = 0, imageSize = 0;
    bool core = headerSize == kCoreHeaderSize;
    if (core) {
        width = r.U16();
        height = r.U16();
        planes = r.U16();
        img.BitCount = static_cast<uint16_t>(r.U16());
    } else {
        if (headerSize < kInfoHeaderSize || headerSize > 1024) Invalid();
        width = static_cast<int32_t>(r.U32());
        height = static_cast<int32_t>(r.U32());
        planes = r.U16();
        img.BitCount = static_cast<uint16_t>(r.U16());
        img.Compression = r.U32();
        imageSize = r.U32();
        r.U32();   // horizontal resolution
        r.U32();   // vertical resolution
        clrUsed = r.U32();
        r.U32();   // important colours
        uint32_t extra = headerSize - kInfoHeaderSize;
        if (img.Compression == kBiBitFields && extra >= 12) {
            for (uint32_t& m : img.Masks) m = r.U32();
            extra -= 12;
        }
        r.Skip(extra);
    }
    if (planes != 1) Invalid();
    switch (img.BitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: Invalid();
    }
    const bool rle = img.Compression == kBiRle8 || img.Compression == kBiRle4;
    if (img.Compression == kBiBitFields) {
        if (img.BitCount != 16 && img.BitCount != 32) Invalid();
        if (headerSize == kInfoHeaderSize)
            for (uint32_t& m : img.Masks) m = r.U32();
    } else if (rle) {
        // run-length data is stored bottom-up only, 8 bits for RLE8 and 4 for RLE4
        if (img.BitCount != (img.Compression == kBiRle8 ? 8 : 4) || height < 0) Invalid();
    } else if (img.Compression != kBiRgb) {
        Invalid();
    }
    if (height < 0) {
        img.TopDown = true;
        height = -height;
    }
    if (width <= 0 || height <= 0 || width > kBmpMaxSide || height > kBmpMaxSide) Invalid();
    img.Width = static_cast<int32_t>(width);
    img.Height = static_cast<int32_t>(height);

    uint32_t colours = 0;
    if (img.BitCount <= 8) {
        uint32_t full = 1u << img.BitCount;
        colours = clrUsed == 0 ? full : clrUsed;
        if (colours > full) Invalid();
    } else if (clrUsed > 256) {
        Invalid();
    } else {
        colours = clrUsed;   // an optional palette after true-colour pixels' header: skipped below
    }
    uint32_t entrySize = core ? 3 : 4;
    r.Need(static_cast<uint64_t>(colours) * entrySize);
    for (uint32_t i = 0; i < colours; ++i) {
        uint32_t b = r.U8(), g = r.U8(), red = r.U8();
        if (!core) r.U8();
        if (img.BitCount <= 8) img.Palette.push_back((red << 16) | (g << 8) | b);
    }

    uint64_t bitsSize = static_cast<uint64_t>(img.Stride()) * static_cast<uint64_t>(img.Height);
    if (bitsSize > std::min(kBmpMaxBits, maxBits)) Invalid();
    // The pixels start at the stated offset when it lies past the headers; a smaller offset
    // (0 in some writers) means right after the palette.
    int64_t here = r.Offset();
    if (bitsOffset > here) r.Skip(bitsOffset - static_cast<uint64_t>(here));
    if (rle) {
        // the compressed size is the header's image size; writers that leave it 0 mean the rest
        uint64_t dataSize = imageSize ? imageSize : static_cast<uint64_t>(std::max<int64_t>(r.Left(), 0));
        r.Need(dataSize);
        std::vector<uint8_t> data(static_cast<size_t>(dataSize));
        r.Bytes(data.data(), static_cast<uint32_t>(dataSize));
        if (bitsSize > std::max(kRleFreeBits, dataSize * kRleMaxBitsPerDataByte)) Invalid();
        img.Bits.assign(static_cast<size_t>(bitsSize), 0);
        DecodeRle(data, img);
        img.Compression = kBiRgb;   // the pixels are now plain rows
        return img;
    }
    r.Need(bitsSize);
    img.Bits.resize(static_cast<size_t>(bitsSize));
    r.Bytes(img.Bits.data(), static_cast<uint32_t>(bitsSize));
    return img;
}

}  // namespace

TBmpImage ReadBmp(TStream& stream) { return ReadBmp(stream, kBmpMaxBits); }

TBmpImage ReadBmp(TStream& stream, uint64_t maxBits) {
    try {
        return ReadBmpChecked(stream, maxBits);
    } catch (const std::bad_alloc&) {
        Invalid();   // a picture too big for this machine is one it cannot read
    }
}

namespace {
// Where WriteBmp puts the pixels: after both headers, the bit-field masks and the palette.
uint32_t WrittenPixelOffset(const TBmpImage& img) {
    return kFileHeaderSize + kInfoHeaderSize + (img.Compression == kBiBitFields ? 12 : 0) +
           static_cast<uint32_t>(img.Palette.size()) * 4;
}
}  // namespace

uint64_t BmpFileSize(const TBmpImage& img) { return WrittenPixelOffset(img) + img.Bits.size(); }

void WriteBmp(TStream& stream, const TBmpImage& img) {
    if (img.Width <= 0 || img.Height <= 0) throw EInvalidGraphic("Bitmap image is not valid");
    uint64_t bitsSize = static_cast<uint64_t>(img.Stride()) * static_cast<uint64_t>(img.Height);
    if (img.Bits.size() != bitsSize) throw EInvalidGraphic("Bitmap image is not valid");
    bool fields = img.Compression == kBiBitFields;
    uint32_t offset = WrittenPixelOffset(img);
    std::vector<uint8_t> head;
    Put16(head, 0x4D42);
    Put32(head, static_cast<uint32_t>(offset + bitsSize));
    Put32(head, 0);
    Put32(head, offset);
    Put32(head, kInfoHeaderSize);
    Put32(head, static_cast<uint32_t>(img.Width));
    Put32(head, static_cast<uint32_t>(img.TopDown ? -img.Height : img.Height));
    Put16(head, 1);
    Put16(head, img.BitCount);
    Put32(head, fields ? kBiBitFields : kBiRgb);
    Put32(head, static_cast<uint32_t>(bitsSize));
    Put32(head, 3780);   // 96 dots per inch
    Put32(head, 3780);
    Put32(head, static_cast<uint32_t>(img.Palette.size()));
    Put32(head, 0);
    if (fields)
        for (uint32_t m : img.Masks) Put32(head, m);
    for (uint32_t c : img.Palette) {
        head.push_back(static_cast<uint8_t>(c));
        head.push_back(static_cast<uint8_t>(c >> 8));
        head.push_back(static_cast<uint8_t>(c >> 16));
        head.push_back(0);
    }
    stream.WriteBuffer(head.data(), static_cast<int32_t>(head.size()));
    stream.WriteBuffer(img.Bits.data(), static_cast<int32_t>(img.Bits.size()));
}
