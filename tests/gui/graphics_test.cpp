// Canvases and bitmaps: drawing, pixels, monochrome conversion, transparency, ".bmp" streams.
#include <gtest/gtest.h>

#include "classlib/bmp_format.h"
#include "classlib/gui/bitmap.h"
#include "classlib/gui/graphics.h"
#include "classlib/gui/handles.h"

TEST(Bitmap, DrawsAndReadsBackPixels) {
    TBitmap b(20, 10);
    EXPECT_EQ(b.GetCanvas()->GetPixel(0, 0) & 0xFFFFFF, 0xFFFFFF);   // new pictures are white
    b.GetCanvas()->GetBrush()->SetColor(clBlue);
    b.GetCanvas()->FillRect(TRect(0, 0, 10, 10));
    b.GetCanvas()->GetPen()->SetColor(clRed);
    b.GetCanvas()->MoveTo(0, 9);
    b.GetCanvas()->LineTo(20, 9);
    EXPECT_EQ(b.GetCanvas()->GetPixel(5, 5), clBlue);
    EXPECT_EQ(b.GetCanvas()->GetPixel(15, 5), clWhite);
    EXPECT_EQ(b.GetCanvas()->GetPixel(15, 9), clRed);
    auto* row = static_cast<uint32_t*>(b.ScanLine(5));
    EXPECT_EQ(row[5] & 0xFFFFFF, 0x0000FFu);   // BGRA in memory: blue in the low byte
    b.SetSize(30, 10);                          // keeps the old picture
    EXPECT_EQ(b.GetCanvas()->GetPixel(5, 5), clBlue);
    EXPECT_EQ(b.GetCanvas()->GetPixel(25, 5), clWhite);
}

TEST(Bitmap, MonochromeConversionUsesTheCanvasColours) {
    TBitmap b(4, 1);
    TCanvas* c = b.GetCanvas();
    c->SetPixel(0, 0, clFuchsia);
    c->SetPixel(1, 0, clBlack);
    c->SetPixel(2, 0, clFuchsia);
    c->SetPixel(3, 0, clGreen);
    c->GetBrush()->SetColor(clFuchsia);   // this colour becomes white, the rest black
    b.SetMonochrome(true);
    EXPECT_TRUE(b.GetMonochrome());
    EXPECT_EQ(b.GetHandleType(), bmDDB);
    EXPECT_EQ(c->GetPixel(0, 0), clWhite);
    EXPECT_EQ(c->GetPixel(1, 0), clBlack);
    EXPECT_EQ(c->GetPixel(3, 0), clBlack);
    c->GetFont()->SetColor(clRed);        // black becomes the font colour ...
    c->GetBrush()->SetColor(clBlue);      // ... and white the brush colour
    b.SetMonochrome(false);
    EXPECT_FALSE(b.GetMonochrome());
    EXPECT_EQ(c->GetPixel(0, 0), clBlue);
    EXPECT_EQ(c->GetPixel(1, 0), clRed);
}

TEST(Bitmap, TransparentDrawLeavesTheBackground) {
    TBitmap glyph(3, 3);
    glyph.GetCanvas()->GetBrush()->SetColor(clLime);
    glyph.GetCanvas()->FillRect(TRect(0, 0, 3, 3));
    glyph.GetCanvas()->SetPixel(1, 1, clNavy);
    glyph.SetTransparent(true);
    EXPECT_EQ(glyph.GetTransparentColor(), clLime);   // the bottom-left pixel
    TBitmap target(5, 5);
    target.GetCanvas()->GetBrush()->SetColor(clYellow);
    target.GetCanvas()->FillRect(TRect(0, 0, 5, 5));
    target.GetCanvas()->Draw(1, 1, &glyph);
    EXPECT_EQ(target.GetCanvas()->GetPixel(2, 2), clNavy);
    EXPECT_EQ(target.GetCanvas()->GetPixel(1, 1), clYellow);
    glyph.SetTransparent(false);
    target.GetCanvas()->Draw(1, 1, &glyph);
    EXPECT_EQ(target.GetCanvas()->GetPixel(1, 1), clLime);
}

TEST(Bitmap, StreamsRoundTripAndMalformedDataIsRefused) {
    TBitmap b(7, 3);
    b.SetPixelFormat(pf24bit);
    b.GetCanvas()->SetPixel(6, 2, clRed);
    b.GetCanvas()->SetPixel(0, 0, clTeal);
    TMemoryStream s;
    b.SaveToStream(&s);
    s.SetPosition(0);
    TBitmap c;
    c.LoadFromStream(&s);
    EXPECT_EQ(c.GetWidth(), 7);
    EXPECT_EQ(c.GetHeight(), 3);
    EXPECT_EQ(c.GetPixelFormat(), pf24bit);
    EXPECT_EQ(c.GetCanvas()->GetPixel(6, 2), clRed);
    EXPECT_EQ(c.GetCanvas()->GetPixel(0, 0), clTeal);

    TMemoryStream cut;
    cut.Write(s.Memory(), static_cast<int32_t>(s.GetSize() - 1));
    cut.SetPosition(0);
    EXPECT_THROW(c.LoadFromStream(&cut), EInvalidGraphic);
    EXPECT_EQ(c.GetWidth(), 7);   // the old picture stays

    TBitmap copy;
    copy.Assign(&c);
    c.GetCanvas()->SetPixel(6, 2, clBlue);
    EXPECT_EQ(copy.GetCanvas()->GetPixel(6, 2), clRed);   // a real copy
}

namespace {

// A 4 x 2 run-length bitmap file over the palette black, red, lime, blue.
std::string RunLengthFile(uint16_t bits, const std::string& data) {
    std::string f;
    auto put = [&f](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) f += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    const uint32_t offset = 14 + 40 + 4 * 4;
    put(0x4D42, 2), put(offset + static_cast<uint32_t>(data.size()), 4), put(0, 4), put(offset, 4);
    put(40, 4), put(4, 4), put(2, 4), put(1, 2), put(bits, 2), put(bits == 8 ? 1 : 2, 4);
    put(static_cast<uint32_t>(data.size()), 4), put(0, 4), put(0, 4), put(4, 4), put(0, 4);
    for (uint32_t rgb : {0x000000u, 0xFF0000u, 0x00FF00u, 0x0000FFu}) put(rgb, 4);
    return f + data;
}

}  // namespace

// Run-length pictures (as skins may hold) load into a live bitmap that draws, at its own size
// and stretched.
TEST(Bitmap, RunLengthPicturesLoadAndDraw) {
    // Bottom row red red blue blue; top row lime red blue, then the end of the bitmap.
    const std::string rle8("\x02\x01\x02\x03\0\0\0\x03\x02\x01\x03\0\0\x01", 14);
    const std::string rle4("\x02\x11\x02\x33\0\0\0\x03\x21\x30\0\x01", 12);
    for (const auto& [name, file] : {std::pair<const char*, std::string>{"RLE8", RunLengthFile(8, rle8)},
                                     {"RLE4", RunLengthFile(4, rle4)}}) {
        SCOPED_TRACE(name);
        TMemoryStream s;
        s.Write(file.data(), static_cast<int32_t>(file.size()));
        s.SetPosition(0);
        TBitmap b;
        b.LoadFromStream(&s);
        ASSERT_EQ(b.GetWidth(), 4);
        ASSERT_EQ(b.GetHeight(), 2);
        const TColor top[] = {clLime, clRed, clBlue, clBlack}, bottom[] = {clRed, clRed, clBlue, clBlue};
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(b.GetCanvas()->GetPixel(x, 0), top[x]) << x;
            EXPECT_EQ(b.GetCanvas()->GetPixel(x, 1), bottom[x]) << x;
        }
        TBitmap target(12, 6);
        target.GetCanvas()->Draw(0, 0, &b);
        target.GetCanvas()->StretchDraw(TRect(4, 0, 12, 4), &b);
        EXPECT_EQ(target.GetCanvas()->GetPixel(0, 0), clLime);
        EXPECT_EQ(target.GetCanvas()->GetPixel(3, 1), clBlue);
        EXPECT_EQ(target.GetCanvas()->GetPixel(5, 1), clLime);    // doubled: two columns, two rows
        EXPECT_EQ(target.GetCanvas()->GetPixel(7, 1), clRed);
        EXPECT_EQ(target.GetCanvas()->GetPixel(11, 3), clBlue);
        EXPECT_EQ(target.GetCanvas()->GetPixel(4, 5), clWhite);   // below the stretched picture
    }
}

TEST(Canvas, TextAndFontChangesWhileSelected) {
    TBitmap b(100, 30);
    TCanvas* c = b.GetCanvas();
    c->GetFont()->SetHeight(-12);
    int narrow = c->TextWidth("WWWW");
    c->GetFont()->SetHeight(-24);   // replaces the font selected into the DC
    int wide = c->TextWidth("WWWW");
    EXPECT_GT(wide, narrow);
    c->GetFont()->SetColor(clRed);
    c->GetBrush()->SetStyle(bsClear);
    c->TextOut(0, 0, "WWWW");
    bool red = false;
    for (int x = 0; x < 60 && !red; ++x)
        for (int y = 0; y < 30 && !red; ++y) red = c->GetPixel(x, y) == clRed;
    EXPECT_TRUE(red);
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
}

TEST(Canvas, Frame3DDrawsTheRingsAndShrinks) {
    TBitmap b(6, 6);
    TRect r(0, 0, 6, 6);
    Frame3D(b.GetCanvas(), r, clWhite, clBlack, 1);
    EXPECT_EQ(r, TRect(1, 1, 5, 5));
    EXPECT_EQ(b.GetCanvas()->GetPixel(0, 0), clWhite);
    EXPECT_EQ(b.GetCanvas()->GetPixel(5, 5), clBlack);
    EXPECT_EQ(b.GetCanvas()->GetPixel(5, 0), clBlack);
}

TEST(Font, SetHandleTakesTheFontItIsGiven) {
    const long before = LiveGdiObjectCount();
    LOGFONTA lf{};
    lf.lfHeight = -15;
    lf.lfWeight = FW_BOLD;
    lstrcpyA(lf.lfFaceName, "Arial");
    HFONT given = CreateFontIndirectA(&lf);
    ASSERT_NE(given, nullptr);
    {
        TFont font;
        int changes = 0;
        font.OnChange = [&](TObject*) { ++changes; };
        font.SetHandle(given);
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(font.GetHandle(), given);   // no copy made
        EXPECT_EQ(font.GetHeight(), -15);
        EXPECT_EQ(font.GetStyle(), fsBold);
        EXPECT_EQ(LiveGdiObjectCount(), before + 1);
    }
    // Freed with the font: neither leaked nor left to the caller.
    EXPECT_EQ(GetObjectType(given), 0u);
    EXPECT_EQ(LiveGdiObjectCount(), before);
}
