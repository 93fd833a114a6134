// The ".bmp" reader and writer on byte level: accepted variants and refused damage.
#include <gtest/gtest.h>

#include <cstring>

#include "classlib/bmp_format.h"

namespace {

void Put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// A bitmap file with a BITMAPINFOHEADER; palette entries as 0x00RRGGBB.
std::string MakeBmp(int32_t w, int32_t h, uint16_t bits, uint32_t compression, const std::vector<uint32_t>& palette,
                    const std::string& pixels, uint32_t offsetOverride = 0, uint32_t clrUsed = 0) {
    std::string head;
    uint32_t offset = offsetOverride ? offsetOverride : 14 + 40 + static_cast<uint32_t>(palette.size()) * 4;
    Put16(head, 0x4D42);
    Put32(head, offset + static_cast<uint32_t>(pixels.size()));
    Put32(head, 0);
    Put32(head, offset);
    Put32(head, 40);
    Put32(head, static_cast<uint32_t>(w));
    Put32(head, static_cast<uint32_t>(h));
    Put16(head, 1);
    Put16(head, bits);
    Put32(head, compression);
    Put32(head, 0);
    Put32(head, 0);
    Put32(head, 0);
    Put32(head, clrUsed);
    Put32(head, 0);
    for (uint32_t c : palette) Put32(head, c);
    while (head.size() < offset) head += '\0';
    return head + pixels;
}

TBmpImage Read(const std::string& bytes) {
    TStringStream s(bytes);
    return ReadBmp(s);
}

}  // namespace

TEST(BmpFormat, ReadsPalettedAndTrueColourPictures) {
    // 2 x 2, 1 bit: rows padded to 4 bytes, bottom row first.
    TBmpImage mono = Read(MakeBmp(2, 2, 1, 0, {0x000000, 0xFFFFFF}, std::string("\x80\0\0\0\x40\0\0\0", 8)));
    EXPECT_EQ(mono.Width, 2);
    EXPECT_EQ(mono.Height, 2);
    EXPECT_FALSE(mono.TopDown);
    EXPECT_EQ(mono.Palette, (std::vector<uint32_t>{0x000000, 0xFFFFFF}));
    EXPECT_EQ(mono.Bits.size(), 8u);

    // Top-down 24-bit, 3 pixels wide: 9 bytes + 3 padding a row.
    TBmpImage tc = Read(MakeBmp(3, -1, 24, 0, {}, std::string(12, '\x11')));
    EXPECT_TRUE(tc.TopDown);
    EXPECT_EQ(tc.Height, 1);
    EXPECT_EQ(tc.Stride(), 12u);

    // The pixel offset may point past a gap; an offset of 0 means "after the palette".
    TBmpImage gap = Read(MakeBmp(1, 1, 32, 0, {}, std::string("\1\2\3\4", 4), 100));
    EXPECT_EQ(gap.Bits, std::vector<uint8_t>({1, 2, 3, 4}));
    std::string zeroOffset = MakeBmp(1, 1, 32, 0, {}, std::string("\5\6\7\x08", 4));
    zeroOffset[10] = zeroOffset[11] = zeroOffset[12] = zeroOffset[13] = 0;
    EXPECT_EQ(Read(zeroOffset).Bits, std::vector<uint8_t>({5, 6, 7, 8}));

    // Bit fields of a 16-bit picture follow the header.
    std::string fields = MakeBmp(1, 1, 16, 3, {0xF800, 0x07E0, 0x001F}, std::string("\xFF\xFF\0\0", 4));
    TBmpImage f = Read(fields);
    EXPECT_EQ(f.Masks[0], 0xF800u);
    EXPECT_EQ(f.Masks[2], 0x001Fu);
}

TEST(BmpFormat, RefusesDamagedOrHostileHeaders) {
    std::string good = MakeBmp(2, 2, 8, 0, std::vector<uint32_t>(256, 0), std::string(8, '\0'));
    EXPECT_NO_THROW(Read(good));
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"not BM", "XM" + good.substr(2)},
        {"short pixels", good.substr(0, good.size() - 1)},
        {"short palette", good.substr(0, 14 + 40 + 100)},
        {"zero width", MakeBmp(0, 2, 8, 0, {}, std::string(8, '\0'))},
        {"huge height", MakeBmp(1, 100000, 8, 0, {}, "")},
        {"huge sides within the limits", MakeBmp(30000, 30000, 32, 0, {}, "")},
        {"bad bit count", MakeBmp(1, 1, 7, 0, {}, std::string(4, '\0'))},
        {"run-length compressed", MakeBmp(1, 1, 8, 1, {}, std::string(4, '\0'))},
        {"more colours than bits allow", MakeBmp(1, 1, 1, 0, {}, std::string(4, '\0'), 0, 3)},
        {"empty", ""},
    };
    for (const Case& c : cases) EXPECT_THROW(Read(c.bytes), EInvalidGraphic) << c.what;
}

TEST(BmpFormat, WritesWhatItReads) {
    TBmpImage img;
    img.Width = 3;
    img.Height = 2;
    img.BitCount = 8;
    img.Palette = {0x123456, 0xABCDEF};
    img.Bits.assign(img.Stride() * 2, 1);
    TMemoryStream s;
    WriteBmp(s, img);
    s.SetPosition(0);
    TBmpImage back = ReadBmp(s);
    EXPECT_EQ(back.Width, 3);
    EXPECT_EQ(back.Palette, img.Palette);
    EXPECT_EQ(back.Bits, img.Bits);
    img.Bits.pop_back();
    EXPECT_THROW(WriteBmp(s, img), EInvalidGraphic);
}
