// Keys, the 24-bit pixel work, layout arithmetic and caption text helpers of the skin engine.
#include <gtest/gtest.h>

#include "skin/skin_keys.h"
#include "skin/skin_layout.h"
#include "skin/skin_pixels.h"
#include "skin/skin_text.h"

namespace {

TEST(SkinKeys, GroupsAndMasking) {
    struct {
        TSkinKeyGroup Group;
        uint8_t Index;
        const char* Name;   // nullptr: names no key
    } cases[] = {
        {kgColor, SKIN2_TRANSCOLOR, "SKIN2_TRANSCOLOR"},
        {kgColor, 128 + 2, "SKIN2_FORMCOLOR"},
        {kgColor, SKIN2_SIDECHANNELBORDERCOLOR, "SKIN2_SIDECHANNELBORDERCOLOR"},
        {kgColor, 32, nullptr},   // would be the first bitmap
        {kgBitmap, SKIN2_TITLEBAR1, "SKIN2_TITLEBAR1"},
        {kgBitmap, SKIN2_SCROLLBUTTON, "SKIN2_SCROLLBUTTON"},
        {kgBitmap, 34, nullptr},
        {kgPosition, SKIN2_BOTTOMREGIONMAXY, "SKIN2_BOTTOMREGIONMAXY"},
        {kgPosition, 9, nullptr},
        {kgBool, 128 + SKIN2_TITLEBARNEEDREGION, "SKIN2_TITLEBARNEEDREGION"},
        {kgBool, SKIN2_TABCONTROLTRANS, "SKIN2_TABCONTROLTRANS"},
        {kgBool, 9, nullptr},     // would run past the 84 names
        {kgBool, 0xFF, nullptr},
    };
    for (const auto& c : cases) {
        const char* name = SkinKeyName(c.Group, c.Index);
        if (c.Name)
            EXPECT_STREQ(name, c.Name) << int(c.Group) << "+" << int(c.Index);
        else
            EXPECT_EQ(name, nullptr) << int(c.Group) << "+" << int(c.Index);
    }
    EXPECT_EQ(SkinKeyGroupSize(kgColor) + SkinKeyGroupSize(kgBitmap) + SkinKeyGroupSize(kgPosition) +
                  SkinKeyGroupSize(kgBool),
              kSkinKeyCount);
}

// A picture whose every pixel tells its own position: colour = x + 16 * y.
TSkinPixels Numbered(int w, int h) {
    TSkinPixels p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.At(x, y) = uint32_t(x + 16 * y);
    return p;
}

TEST(SkinPixels, SlicesAndRotations) {
    TSkinPixels source = Numbered(7, 2), cell;
    ExtractSlice(&source, cell, 3, 2);   // cells of 2 columns; the 7th column belongs to none
    ASSERT_EQ(cell.Width, 2);
    ASSERT_EQ(cell.Height, 2);
    EXPECT_EQ(cell.At(0, 0), 2u);
    EXPECT_EQ(cell.At(1, 1), 3u + 16);
    ExtractSlice(&source, cell, 3, 4);
    EXPECT_TRUE(cell.Empty());
    TSkinPixels untouched = Numbered(1, 1);
    ExtractSlice(nullptr, untouched, 3, 1);
    EXPECT_EQ(untouched.Width, 1);

    TSkinPixels p = Numbered(3, 2);
    RotateLeft90(p);   // (x, y) -> (y, 2 - x)
    ASSERT_EQ(p.Width, 2);
    ASSERT_EQ(p.Height, 3);
    EXPECT_EQ(p.At(0, 2), 0u);
    EXPECT_EQ(p.At(1, 0), 2u + 16);
    RotateRight90(p);
    EXPECT_EQ(p.Colors, Numbered(3, 2).Colors);
    Rotate180(p);
    EXPECT_EQ(p.At(0, 0), 2u + 16);
    EXPECT_EQ(p.At(2, 1), 0u);
}

TEST(SkinPixels, ReplaceColorIgnoresAMissingColour) {
    TSkinPixels p(2, 1, 0xFF00FF);
    p.At(1, 0) = 0x123456;
    ReplaceColor(p, 0xFF00FF, 0x00FF00);
    EXPECT_EQ(p.At(0, 0), 0x00FF00u);
    EXPECT_EQ(p.At(1, 0), 0x123456u);
    ReplaceColor(p, -1, 0);
    EXPECT_EQ(p.At(1, 0), 0x123456u);
}

TEST(SkinPixels, BmpRoundTripKeepsColours) {
    TSkinPixels p = Numbered(5, 3);
    p.At(4, 2) = 0xB23901;
    TSkinPixels back = PixelsFromBmp(BmpFromPixels(p));
    EXPECT_EQ(back.Colors, p.Colors);
}

TEST(SkinPixels, ScrollThumbRows) {
    struct {
        int Height;
        TThumbPiece Pieces[5];
    } cases[] = {
        {33, {{0, 3, 3}, {4, 9, 9}, {13, 9, 9}, {21, 9, 9}, {30, 3, 3}}},
        {9, {{0, 3, 3}, {4, 1, 1}, {5, 1, 1}, {5, 1, 1}, {6, 3, 3}}},
        {6, {{0, 3, 3}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {3, 3, 3}}},
        // Under three rows the caps keep their height but copy only rows that exist.
        {2, {{0, 2, 3}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 2, 3}}},
        {0, {{0, 0, 3}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 3}}},
    };
    for (const auto& c : cases) {
        TThumbRows rows = ScrollThumbRows(c.Height);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(rows.Pieces[i].First, c.Pieces[i].First) << c.Height << " piece " << i + 1;
            EXPECT_EQ(rows.Pieces[i].Count, c.Pieces[i].Count) << c.Height << " piece " << i + 1;
            EXPECT_EQ(rows.Pieces[i].Height, c.Pieces[i].Height) << c.Height << " piece " << i + 1;
        }
    }
    std::vector<TSkinPixels> pieces = CutScrollThumb(Numbered(4, 33));
    ASSERT_EQ(pieces.size(), 5u);
    EXPECT_EQ(pieces[3].At(1, 0), 1u + 16 * 21);
    EXPECT_EQ(CutScrollThumb(Numbered(2, 2))[4].At(1, 1), 1u + 16);
}

TEST(SkinPixels, WholeThumbNeedsAllThreeConditions) {
    TSkinPixels thumb(4, 33);
    thumb.At(1, 10) = 0xB23901;
    EXPECT_TRUE(IsWholeThumb(&thumb, 0xCBCBCB));
    EXPECT_FALSE(IsWholeThumb(&thumb, 0xCBCBCA));
    TSkinPixels shorter(4, 32);
    shorter.At(1, 10) = 0xB23901;
    EXPECT_FALSE(IsWholeThumb(&shorter, 0xCBCBCB));
    thumb.At(1, 10) = 0xB23902;
    EXPECT_FALSE(IsWholeThumb(&thumb, 0xCBCBCB));
    TSkinPixels narrow(1, 33);   // no pixel at x 1
    EXPECT_FALSE(IsWholeThumb(&narrow, 0xCBCBCB));
    EXPECT_FALSE(IsWholeThumb(nullptr, 0xCBCBCB));
}

constexpr uint32_t K = 0xFF00FF;

TEST(SkinPixels, RegionRuns) {
    // Caption 6 x 4: row 0 transparent at both ends, row 1 only its last pixel opaque,
    // row 2 all transparent, row 3 opaque.
    TSkinPixels caption(6, 4, 0x202020);
    for (int x : {0, 5}) caption.At(x, 0) = K;
    for (int x = 0; x < 5; ++x) caption.At(x, 1) = K;
    for (int x = 0; x < 6; ++x) caption.At(x, 2) = K;
    TRegionSpec spec;
    spec.Caption = &caption;
    spec.CaptionNeedsRegion = true;
    spec.TransparentColor = K;
    spec.Width = 50;
    spec.Height = 40;
    std::vector<TRect> whole = {TRect(1, 0, 5, 1), TRect(5, 1, 6, 2), TRect(0, 3, 6, 4), TRect(0, 4, 50, 40),
                                TRect(0, 40, 50, 40)};
    EXPECT_EQ(WindowRegionRects(spec), whole);   // min y = max y = -1: every row scanned

    spec.CaptionMinY = 1;
    spec.CaptionMaxY = 2;   // scan rows 1-2 only: rows above and below are whole
    std::vector<TRect> band = {TRect(0, 0, 50, 1), TRect(5, 1, 6, 2), TRect(0, 3, 50, 4), TRect(0, 4, 50, 40),
                               TRect(0, 40, 50, 40)};
    EXPECT_EQ(WindowRegionRects(spec), band);

    spec.CaptionMinY = 2;
    spec.CaptionMaxY = 99;   // a band below the bitmap's end is clamped to it
    std::vector<TRect> clamped = {TRect(0, 0, 50, 2), TRect(0, 3, 6, 4), TRect(0, 4, 50, 40), TRect(0, 40, 50, 40)};
    EXPECT_EQ(WindowRegionRects(spec), clamped);

    // The bottom bitmap, shifted to the window's bottom; a missing transparent colour keeps all.
    TSkinPixels bottom(3, 2, K);
    spec.CaptionNeedsRegion = false;
    spec.Bottom = &bottom;
    spec.BottomNeedsRegion = true;
    spec.TransparentColor = -1;
    std::vector<TRect> keepAll = {TRect(0, 0, 50, 38), TRect(0, 38, 3, 39), TRect(0, 39, 3, 40)};
    EXPECT_EQ(WindowRegionRects(spec), keepAll);
}

TEST(SkinLayout, NinePartPieces) {
    // h = 11: the left edge is stretched from row 5, the right edge from row 6.
    std::vector<TSkinPiece> p = NinePartPieces(11, 11, 40, 30);
    ASSERT_EQ(p.size(), 9u);
    EXPECT_EQ(p[0].Dest, TRect(0, 0, 5, 5));          // top-left, unscaled
    EXPECT_EQ(p[1].Source, TRect(0, 7, 5, 11));       // bottom-left keeps its bottom side
    EXPECT_EQ(p[1].Dest, TRect(0, 26, 5, 30));
    EXPECT_EQ(p[2].Source, TRect(0, 5, 5, 6));        // left edge from row 5
    EXPECT_EQ(p[5].Source, TRect(7, 6, 11, 7));       // right edge from row 6
    for (const TSkinPiece& piece : p) {
        EXPECT_FALSE(piece.Source.IsEmpty());
        EXPECT_FALSE(piece.Dest.IsEmpty());
    }
    // h = 10: the left edge's and the centre's sources are empty and are left out.
    std::vector<TSkinPiece> even = NinePartPieces(10, 10, 40, 30);
    ASSERT_EQ(even.size(), 7u);
    EXPECT_EQ(even[2].Source, TRect(6, 0, 10, 5));   // after both left corners: the top-right one
    // 3 pixels high: the top-left corner only.
    std::vector<TSkinPiece> flat = NinePartPieces(11, 11, 40, 3);
    ASSERT_EQ(flat.size(), 1u);
    EXPECT_EQ(flat[0].Dest, TRect(0, 0, 5, 1));
    // A bitmap 1 pixel high gives negative sources: nothing is drawn mirrored.
    for (const TSkinPiece& piece : NinePartPieces(11, 1, 40, 30)) {
        EXPECT_GT(piece.Source.Height(), 0);
        EXPECT_GT(piece.Dest.Height(), 0);
    }
    EXPECT_TRUE(NinePartPieces(0, 0, 40, 30).empty());
}

TEST(SkinLayout, ThreePartPieces) {
    std::vector<TSkinPiece> narrow = ThreePartHPieces(30, 8, TRect(5, 5, 12, 13));   // narrower than a cell
    ASSERT_EQ(narrow.size(), 1u);
    EXPECT_EQ(narrow[0].Source, TRect(0, 0, 7, 8));
    EXPECT_EQ(ThreePartHPieces(30, 8, TRect(0, 0, 100, 8)).size(), 3u);
    // A cap larger than half the bitmap leaves no middle: drawn without it, never mirrored.
    std::vector<TSkinPiece> v = ThreePartVPieces(4, 10, TRect(0, 0, 4, 40), 6);
    ASSERT_EQ(v.size(), 2u);
    EXPECT_TRUE(ThreePartVPieces(4, 9, TRect(-1, 0, 4, 40), 0).empty());
    std::vector<TSkinPiece> thirds = ThreePartVPieces(4, 9, TRect(0, 0, 4, 40), 0);
    ASSERT_EQ(thirds.size(), 3u);
    EXPECT_EQ(thirds[2].Source, TRect(0, 3, 4, 6));
    EXPECT_EQ(thirds[2].Dest, TRect(0, 3, 4, 37));
}

TEST(SkinLayout, GradientStepsAndZeroWidth) {
    EXPECT_EQ(GradientColor(0x000000, 0xFFFFFF, 0, 10), 0x000000u);
    EXPECT_EQ(GradientColor(0x000000, 0x0A0A0A, 5, 10), 0x050505u);
    EXPECT_EQ(GradientColor(0x0000FF, 0x000000, 1, 2), 0x000080u);   // -127.5 truncated toward zero
    EXPECT_EQ(GradientColor(0x112233, 0xFFFFFF, 3, 0), 0x112233u);   // no division by zero
}

// One pixel a byte, so widths are easy to read.
int ByteWidth(const AnsiString& s) { return static_cast<int>(s.size()); }

TEST(SkinText, FitTextKeepsGbkCharactersWhole) {
    EXPECT_EQ(FitText("abc", 3, ByteWidth), "abc");
    EXPECT_EQ(FitText("abcdefgh", 5, ByteWidth), "ab...");
    EXPECT_EQ(FitText("abcd", 3, ByteWidth), "a...");   // the first prefix that reaches the width
    // Four double-byte characters in code page 936: prefixes grow by whole characters.
    const AnsiString chinese = "中文标题";
    ASSERT_EQ(chinese.size(), 8u);
    EXPECT_EQ(FitText(chinese, 6, ByteWidth), "中文...");
    EXPECT_EQ(FitText(chinese, 7, ByteWidth), "中文...");
    EXPECT_EQ(FitText("a" + chinese, 5, ByteWidth), "a中...");
    EXPECT_EQ(FitText("ab", 1, ByteWidth), "a...");
    EXPECT_EQ(FitText("a", 0, ByteWidth), "a");   // no shorter prefix: the whole text
}

TEST(SkinText, ReplaceTextEnds) {
    EXPECT_EQ(RemoveAmpersands("&File && &Edit"), "File  Edit");
    EXPECT_EQ(ReplaceText("aabb", "ab", ""), "");          // searched again from the start
    EXPECT_EQ(ReplaceText("abc", "", "x"), "abc");         // empty pattern: unchanged
    EXPECT_EQ(ReplaceText("a-b-c", "-", "--"), "a--b--c");  // replacement holding the pattern
    EXPECT_EQ(ReplaceText("xyx", "x", "z"), "zyz");
}

}  // namespace
