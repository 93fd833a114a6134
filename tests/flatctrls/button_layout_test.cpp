// Glyph and caption placement inside a button.
#include <gtest/gtest.h>

#include "flatctrls/button_layout.h"

namespace {

struct LayoutCase {
    const char* name;
    TRect client;
    TPoint offset, textSize, glyphStrip;
    int numGlyphs, margin, spacing;
    TButtonLayout layout;
    TPoint glyph;
    TRect text;
};

TEST(CalcButtonLayoutTest, Table) {
    const LayoutCase cases[] = {
        {"default speed button, glyph only: no spacing, centred", {0, 0, 25, 25}, {0, 0}, {0, 0}, {16, 16},
         1, -1, 4, blGlyphTop, {5, 5}, {13, 21, 13, 21}},
        {"margin and spacing -1 split the free space in three", {0, 0, 100, 20}, {0, 0}, {40, 13}, {64, 16},
         4, -1, -1, blGlyphLeft, {14, 2}, {44, 4, 84, 17}},
        {"spacing -1 only, glyph right", {0, 0, 100, 20}, {0, 0}, {40, 13}, {16, 16}, 1, 3, -1, blGlyphRight,
         {81, 2}, {21, 4, 61, 17}},
        {"glyph bottom, moved by client origin and pressed offset", {10, 20, 40, 70}, {1, 1}, {20, 13}, {20, 8},
         2, -1, 4, blGlyphBottom, {21, 50}, {16, 33, 36, 46}},
        {"caption only: spacing dropped", {0, 0, 100, 20}, {0, 0}, {40, 13}, {0, 0}, 1, -1, 4, blGlyphLeft,
         {30, 10}, {30, 4, 70, 17}},
        {"glyph top with both -1", {0, 0, 40, 60}, {0, 0}, {30, 13}, {16, 16}, 1, -1, -1, blGlyphTop, {12, 10},
         {5, 36, 35, 49}},
        {"fixed margin and spacing", {0, 0, 80, 30}, {0, 0}, {30, 13}, {16, 16}, 1, 2, 5, blGlyphLeft, {2, 7},
         {23, 9, 53, 22}},
        {"no room: divisions round toward zero", {0, 0, 10, 10}, {0, 0}, {40, 13}, {16, 16}, 1, -1, -1,
         blGlyphLeft, {-15, -2}, {-14, -1, 26, 12}},
        {"zero images treated as one", {0, 0, 100, 100}, {0, 0}, {0, 0}, {64, 16}, 0, -1, -1, blGlyphTop,
         {18, 42}, {50, 58, 50, 58}},
        {"more than four images treated as four", {0, 0, 100, 100}, {0, 0}, {0, 0}, {64, 16}, 7, -1, -1,
         blGlyphTop, {42, 42}, {50, 58, 50, 58}},
        {"the spin button's up half", {0, 0, 11, 14}, {0, 0}, {0, 0}, {7, 5}, 1, 2, 4, blGlyphTop, {2, 2},
         {6, 7, 6, 7}},
        {"the spin button's down half", {0, 0, 11, 14}, {0, 0}, {0, 0}, {7, 5}, 1, 2, 4, blGlyphBottom, {2, 7},
         {6, 7, 6, 7}},
    };
    for (const auto& c : cases) {
        TButtonLayoutResult r =
            CalcButtonLayout(c.client, c.offset, c.textSize, c.glyphStrip, c.numGlyphs, c.margin, c.spacing, c.layout);
        EXPECT_EQ(r.GlyphPos.X, c.glyph.X) << c.name;
        EXPECT_EQ(r.GlyphPos.Y, c.glyph.Y) << c.name;
        EXPECT_EQ(r.TextBounds.Left, c.text.Left) << c.name;
        EXPECT_EQ(r.TextBounds.Top, c.text.Top) << c.name;
        EXPECT_EQ(r.TextBounds.Right, c.text.Right) << c.name;
        EXPECT_EQ(r.TextBounds.Bottom, c.text.Bottom) << c.name;
    }
}

}  // namespace
