// The ".bmp" reader and writer on byte level: accepted variants and refused damage.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "classlib/bmp_format.h"
#include "tests/support/tempdir.h"

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

// The colour (0x00RRGGBB) of a pixel, x from the left and y from the top, whatever the depth.
uint32_t PixelAt(const TBmpImage& img, int x, int y) {
    int row = img.TopDown ? y : img.Height - 1 - y;
    const uint8_t* p = img.Bits.data() + static_cast<size_t>(row) * img.Stride();
    switch (img.BitCount) {
        case 4: return img.Palette.at(x % 2 ? p[x / 2] & 0x0F : p[x / 2] >> 4);
        case 8: return img.Palette.at(p[x]);
        case 24: p += x * 3; return (uint32_t{p[2]} << 16) | (p[1] << 8) | p[0];
        default: ADD_FAILURE() << "depth " << img.BitCount; return 0;
    }
}

// Every pixel, top row first, as 0x00RRGGBB.
std::vector<uint32_t> Pixels(const TBmpImage& img) {
    std::vector<uint32_t> out;
    for (int y = 0; y < img.Height; ++y)
        for (int x = 0; x < img.Width; ++x) out.push_back(PixelAt(img, x, y));
    return out;
}

// A run-length picture whose palette maps index i to colour i.
std::string MakeRle(int32_t w, int32_t h, uint16_t bits, const std::string& data) {
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < (1u << bits); ++i) palette.push_back(i);
    return MakeBmp(w, h, bits, bits == 8 ? 1 : 2, palette, data);
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
        {"run-length at the wrong depth", MakeBmp(1, 1, 24, 1, {}, std::string("\1\0\0\1", 4))},
        {"run-length stored top-down", MakeRle(1, -1, 8, std::string("\1\0\0\1", 4))},
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

TEST(BmpFormat, RunLengthEscapesExpandBottomUp) {
    struct Case {
        const char* what;
        int32_t w, h;
        uint16_t bits;
        std::string data;
        std::vector<uint32_t> pixels;   // top row first
    } cases[] = {
        {"RLE8 encoded runs, end of line, end of bitmap", 3, 2, 8,
         std::string("\x03\x05\0\0\x02\x07\x01\x09\0\x01", 10), {7, 7, 9, 5, 5, 5}},
        {"RLE8 odd absolute run with its pad byte", 3, 1, 8, std::string("\0\x03\x01\x02\x03\0\0\x01", 8),
         {1, 2, 3}},
        {"RLE8 delta skips pixels, which stay index 0", 4, 3, 8,
         std::string("\x01\x04\0\x02\x02\x01\x01\x06\0\x01", 10), {0, 0, 0, 0, 0, 0, 0, 6, 4, 0, 0, 0}},
        {"RLE8 end of bitmap early leaves the rest at index 0", 2, 2, 8, std::string("\x01\x03\0\x01", 4),
         {0, 0, 3, 0}},
        {"RLE8 rows all given, no end marker", 2, 1, 8, std::string("\x02\x04\0\0", 4), {4, 4}},
        {"RLE4 encoded run alternates the two nibbles", 5, 1, 4, std::string("\x05\x12\0\x01", 4),
         {1, 2, 1, 2, 1}},
        {"RLE4 absolute run of 5 nibbles: 3 bytes and a pad byte", 5, 2, 4,
         std::string("\0\0\0\x05\x34\x56\x70\0\0\x01", 10), {3, 4, 5, 6, 7, 0, 0, 0, 0, 0}},
        {"RLE4 delta then a run at an odd column", 4, 1, 4, std::string("\0\x02\x01\0\x02\xAB\0\x01", 8),
         {0, 10, 11, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TBmpImage img;
        ASSERT_NO_THROW(img = Read(MakeRle(c.w, c.h, c.bits, c.data)));
        EXPECT_EQ(img.Compression, 0u) << "expanded into plain rows";
        EXPECT_EQ(img.BitCount, c.bits);
        EXPECT_EQ(img.Bits.size(), static_cast<size_t>(img.Stride()) * c.h);
        EXPECT_EQ(Pixels(img), c.pixels);   // the palette maps index i to colour i
    }
}

TEST(BmpFormat, RefusesDamagedRuns) {
    // Each picture is 4 x 2: a run or delta may reach into the row's padding (8-bit rows of 4
    // pixels have none; 4-bit rows hold 8 nibbles) but never beyond the row or above the top.
    struct Case {
        const char* what;
        uint16_t bits;
        std::string data;
    } cases[] = {
        {"encoded run past the row", 8, std::string("\x05\x01\0\x01", 4)},
        {"encoded run past the row's padding (4-bit)", 4, std::string("\x09\x11\0\x01", 4)},
        {"second run overflows the row", 8, std::string("\x03\x01\x02\x01\0\x01", 6)},
        {"absolute run past the row", 8, std::string("\0\x05\1\2\3\4\5\0\0\x01", 10)},
        {"run above the top row", 8, std::string("\0\0\0\0\x01\x01\0\x01", 8)},
        {"third end of line leaves the picture", 8, std::string("\0\0\0\0\0\0\0\x01", 8)},
        {"delta past the right edge", 8, std::string("\0\x02\x05\0\0\x01", 6)},
        {"delta above the top", 8, std::string("\0\x02\0\x03\0\x01", 6)},
        {"delta then a run off the row", 8, std::string("\0\x02\x03\0\x02\x01\0\x01", 8)},
        {"data ends inside a delta", 8, std::string("\0\x02\x01", 3)},
        {"data ends inside an absolute run", 8, std::string("\0\x04\1\2", 4)},
        {"absolute run without its pad byte", 4, std::string("\0\x05\x12\x34\x50", 5)},
        {"data ends before the rows do", 8, std::string("\x04\x01\0\0", 4)},
        {"data ends on half an escape", 8, std::string("\x04\x01\0", 3)},
        {"no data at all", 8, ""},
    };
    for (const Case& c : cases) EXPECT_THROW(Read(MakeRle(4, 2, c.bits, c.data)), EInvalidGraphic) << c.what;

    // The image size field bounds the data: a picture that claims more than it holds is short.
    std::string claims = MakeRle(4, 2, 8, std::string("\x04\x01\0\0\x04\x02\0\x01", 8));
    EXPECT_NO_THROW(Read(claims));
    claims[34] = 9;   // biSizeImage
    EXPECT_THROW(Read(claims), EInvalidGraphic);
    claims[34] = 4;   // stops after the first row: the second is missing
    EXPECT_THROW(Read(claims), EInvalidGraphic);
}

TEST(BmpFormat, RunLengthPictureMustBeBackedByItsData) {
    // 32768 x 8192 whose data is only an end of bitmap: 1,080 bytes claiming 256 MiB of pixels
    std::string tiny = MakeRle(32768, 8192, 8, std::string("\0\x01", 2));
    ASSERT_EQ(tiny.size(), 1080u);
    EXPECT_THROW(Read(tiny), EInvalidGraphic);
    EXPECT_THROW(Read(MakeRle(32768, 8192, 4, std::string("\0\x01", 2))), EInvalidGraphic);

    // a big picture whose every row is encoded in runs of 255 is read in full
    const int w = 4096, h = 2048;
    std::string rows;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; x += 255) {
            rows += static_cast<char>(std::min(255, w - x));
            rows += static_cast<char>(y % 7);
        }
        rows += std::string("\0\0", 2);
    }
    rows += std::string("\0\x01", 2);
    TBmpImage img;
    ASSERT_NO_THROW(img = Read(MakeRle(w, h, 8, rows)));
    EXPECT_EQ(PixelAt(img, w - 1, 0), uint32_t((h - 1) % 7));
    EXPECT_EQ(PixelAt(img, 0, h - 1), 0u);

    // a small picture may leave everything to the end of bitmap
    ASSERT_NO_THROW(img = Read(MakeRle(1024, 1024, 8, std::string("\0\x01", 2))));
    EXPECT_EQ(PixelAt(img, 1023, 0), 0u);
}

#ifndef _WIN32
namespace {

bool Convert(const std::string& args) {
    std::string quoted;   // parentheses reach ImageMagick, not the shell
    for (char ch : args) {
        if (ch == '(' || ch == ')') quoted += '\\';
        quoted += ch;
    }
    return std::system(("/usr/bin/convert " + quoted + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

TEST(BmpFormat, RunLengthPicturesFromImageMagickMatchTheirTrueColourTwins) {
    if (std::system("test -x /usr/bin/convert") != 0) GTEST_SKIP() << "ImageMagick is not installed";
    TempDir dir;
    struct Case {
        const char* what;
        const char* source;   // ImageMagick's drawing of the picture
    } cases[] = {
        {"gradient in 16 colours, odd width", "-size 13x7 gradient:red-blue -colors 16"},
        {"plasma in many colours: short runs", "-size 40x9 plasma:fractal -colors 200"},
        {"runs longer than 255 pixels", "-size 300x3 xc:red -fill blue -draw 'point 5,1' -colors 4"},
        {"one pixel wide", "-size 1x5 gradient:green-yellow -colors 5"},
        {"one row", "-size 17x1 gradient:white-black -colors 8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string rle = dir / "rle.bmp", twin = dir / "twin.bmp";
        // one drawing, written twice: run-length paletted and 24-bit
        ASSERT_TRUE(Convert("-respect-parentheses " + std::string(c.source) +
                            " ( +clone -type Palette -compress RLE -write BMP3:" + rle +
                            " +delete ) -type TrueColor BMP3:" + twin));
        std::string raw = ReadWholeFile(rle);
        ASSERT_GE(raw.size(), 34u);
        ASSERT_EQ(raw[30], 1) << "ImageMagick wrote BI_RLE8";
        TBmpImage a = Read(raw), b = Read(ReadWholeFile(twin));
        ASSERT_EQ(b.BitCount, 24);
        EXPECT_EQ(a.Width, b.Width);
        EXPECT_EQ(a.Height, b.Height);
        EXPECT_EQ(Pixels(a), Pixels(b));
    }
}
#endif
