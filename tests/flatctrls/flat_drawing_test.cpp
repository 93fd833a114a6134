// Frames, disabled glyphs and the default spin glyphs, checked pixel by pixel on bitmaps.
#include <gtest/gtest.h>

#include "classlib/gui/bitmap.h"
#include "flatctrls/flat_drawing.h"

namespace {

constexpr TColor kTop = 0x0000FF, kBottom = 0xFF0000, kPaper = 0xFFFFFF;

TColor Pixel(TBitmap& b, int x, int y) { return b.GetCanvas()->GetPixel(x, y) & 0xFFFFFF; }

TEST(DrawFrameRingsTest, TwoRingsTakeTheirSidesAndCorners) {
    TBitmap b(10, 8);
    b.GetCanvas()->GetBrush()->SetColor(kPaper);
    b.GetCanvas()->FillRect(TRect(0, 0, 10, 8));
    DrawFrameRings(b.GetCanvas(), TRect(0, 0, 10, 8), kTop, kBottom, 2);

    struct Expect { int x, y; TColor c; const char* where; };
    const Expect cases[] = {
        {0, 0, kTop, "outer top-left"},      {5, 0, kTop, "outer top"},         {0, 4, kTop, "outer left"},
        {9, 0, kBottom, "outer top-right"},  {9, 4, kBottom, "outer right"},    {0, 7, kBottom, "outer bottom-left"},
        {5, 7, kBottom, "outer bottom"},     {9, 7, kBottom, "outer bottom-right"},
        {1, 1, kTop, "inner top-left"},      {4, 1, kTop, "inner top"},         {8, 1, kBottom, "inner top-right"},
        {1, 6, kBottom, "inner bottom-left"}, {8, 6, kBottom, "inner bottom-right"},
        {2, 2, kPaper, "inside"},            {7, 5, kPaper, "inside"},
    };
    for (const auto& e : cases)
        EXPECT_EQ(Pixel(b, e.x, e.y), e.c) << e.where << " (" << e.x << "," << e.y << ")";
}

// Black ink on a magenta ground.
std::unique_ptr<TBitmap> InkGlyph() {
    auto b = std::make_unique<TBitmap>(6, 5);
    b->GetCanvas()->GetBrush()->SetColor(clFuchsia);
    b->GetCanvas()->FillRect(TRect(0, 0, 6, 5));
    for (int x = 1; x <= 3; ++x)
        b->GetCanvas()->SetPixel(x, 1, clBlack);
    b->GetCanvas()->SetPixel(2, 2, clBlack);
    return b;
}

TEST(MakeDisabledGlyphTest, InkTurnsShadowWithHighlightBelowRight) {
    auto glyph = InkGlyph();
    const TColor shadow = 0x404040, highlight = 0xF0F0F0, back = 0xC0C0C0;
    auto disabled = MakeDisabledGlyph(glyph.get(), clBlack, back, true, shadow, highlight);
    ASSERT_EQ(disabled->GetWidth(), 6);
    ASSERT_EQ(disabled->GetHeight(), 5);
    EXPECT_EQ(Pixel(*disabled, 1, 1), shadow);
    EXPECT_EQ(Pixel(*disabled, 2, 2), shadow);     // ink wins over the highlight under it
    EXPECT_EQ(Pixel(*disabled, 4, 2), highlight);  // below-right of (3, 1)
    EXPECT_EQ(Pixel(*disabled, 3, 3), highlight);  // below-right of (2, 2)
    EXPECT_EQ(Pixel(*disabled, 0, 0), back);
    EXPECT_EQ(Pixel(*disabled, 5, 4), back);
    EXPECT_EQ(Pixel(*disabled, 0, 4), back);
}

TEST(MakeDisabledGlyphTest, WithoutHighlightOnlyTheShadowIsDrawn) {
    auto glyph = InkGlyph();
    auto disabled = MakeDisabledGlyph(glyph.get(), clBlack, 0xC0C0C0, false, 0x404040, 0xF0F0F0);
    EXPECT_EQ(Pixel(*disabled, 1, 1), 0x404040);
    EXPECT_EQ(Pixel(*disabled, 4, 2), 0xC0C0C0);
}

TEST(FlatGlyphResources, UpAndDownArrowsAreLinkedIn) {
    for (const char* name : {"FlatUp", "FlatDown"}) {
        HBITMAP handle = LoadBitmapA(GetModuleHandleA(nullptr), name);
        ASSERT_NE(handle, nullptr) << name;
        TBitmap glyph;
        glyph.SetHandle(handle);
        EXPECT_EQ(glyph.GetWidth(), 7) << name;
        EXPECT_EQ(glyph.GetHeight(), 5) << name;
        // The ground (bottom-left pixel) differs from the arrow's middle pixel.
        EXPECT_NE(Pixel(glyph, 0, 4), Pixel(glyph, 3, 2)) << name;
    }
}

TEST(CalcButtonLayoutOnCanvas, MeasuresTheCaptionInTheCanvasFont) {
    TBitmap b(10, 10);
    TCanvas* canvas = b.GetCanvas();
    SIZE size = canvas->TextExtent("Spin");
    TBitmap glyph(32, 16);
    TButtonLayoutResult r = CalcButtonLayout(canvas, TRect(0, 0, 100, 40), TPoint(0, 0), "Spin", &glyph, 2, -1, 4,
                                             blGlyphLeft);
    EXPECT_EQ(r.TextBounds.Width(), size.cx);
    EXPECT_EQ(r.TextBounds.Height(), size.cy);
    // Centred as a whole: margin, 16-pixel glyph, 4 spacing, text.
    const int margin = (100 - (16 + 4 + size.cx) + 1) / 2;
    EXPECT_EQ(r.GlyphPos.X, margin);
    EXPECT_EQ(r.GlyphPos.Y, (40 - 16 + 1) / 2);
    EXPECT_EQ(r.TextBounds.Left, margin + 16 + 4);

    TButtonLayoutResult none = CalcButtonLayout(canvas, TRect(0, 0, 100, 40), TPoint(0, 0), "", nullptr, 1, -1, 4,
                                                blGlyphLeft);
    EXPECT_EQ(none.TextBounds.Width(), 0);
    EXPECT_EQ(none.TextBounds.Height(), 0);
}

}  // namespace
