// The skin reader, the caches and the drawing utilities over real GDI under Wine: loading rules,
// cache pieces, the lazily bound queries with a failing lookup, and GDI objects given back
// (Wine's GDI table fills near 65,000 objects, so a leak in a routine called 66,000 times shows).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstddef>
#include <vector>

#include "classlib/fileio.h"
#include "skin/skin_bitmap_win.h"
#include "skin/skin_engine_intf.h"
#include "skin/skin_registry_win.h"
#include "skin/skin_res_win.h"
#include "skin/skin_utils_win.h"
#include "tests/support/tempdir.h"

namespace {

std::string BuildPath(std::string p) {
    for (char& c : p)
        if (c == '/') c = '\\';
    return "Z:" + p;
}

const std::string kDefaultSkin = BuildPath(SKIN_DEFAULT_FILE);
std::string Fixture(const std::string& name) { return BuildPath(std::string(SKIN_FIXTURE_DIR) + "/" + name); }

TColor PixelOf(TBitmap* bitmap, int x, int y) {
    TSkinPixels p = PixelsFromBitmap(bitmap);
    return static_cast<TColor>(p.At(x, y));
}

TEST(SkinReaderWin, LoadSkinRules) {
    int loads = 0;
    TlumSkinReader reader("", "");
    reader.OnLoad = [&](TObject* sender) {
        EXPECT_EQ(sender, &reader);
        ++loads;
    };
    reader.LoadSkin(kDefaultSkin, "");
    EXPECT_TRUE(reader.GetLoaded());
    EXPECT_EQ(loads, 1);
    const TColor form = reader.GetSkinColor(SKIN2_FORMCOLOR);
    EXPECT_NE(form, -1);
    EXPECT_EQ(reader.GetSkinColor(128 + 2), form);   // the index is masked
    EXPECT_EQ(reader.GetSkinColor(32), -1);          // past the colour group
    EXPECT_EQ(reader.GetSkinPosition(SKIN2_TITLEBARREGIONMAXY), 3);
    EXPECT_TRUE(reader.GetSkinBool(SKIN2_TITLEBARNEEDREGION));
    EXPECT_FALSE(reader.GetSkinBool(SKIN2_TITLEFIVESECT));
    ASSERT_NE(reader.GetSkinBitmap(SKIN2_TITLEBAR1), nullptr);
    EXPECT_EQ(reader.GetSkinBitmap(SKIN2_TITLEBAR1)->GetTransparentColor(), reader.GetSkinColor(SKIN2_TRANSCOLOR));
    // The track bar's transparent corners take the form colour.
    EXPECT_EQ(PixelOf(reader.GetSkinBitmap(SKIN2_TRACKBAR), 0, 0), static_cast<TColor>(ColorToRGB(form)));
    EXPECT_NE(PixelOf(reader.GetSkinBitmap(SKIN2_TRACKBAR), 1, 1), static_cast<TColor>(ColorToRGB(form)));

    // A missing file: no skin, no error, OnLoad still fires.
    reader.LoadSkin("Z:\\no\\such\\skin.lsk", "");
    EXPECT_FALSE(reader.GetLoaded());
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(reader.GetSkinBitmap(SKIN2_TITLEBAR1), nullptr);
    EXPECT_EQ(reader.GetSkinColor(SKIN2_FORMCOLOR), -1);
    EXPECT_EQ(reader.GetSkinPosition(SKIN2_TITLEBARICONPOSX), -1);

    // A bad file or a wrong password: the exception reaches the caller, OnLoad does not fire.
    for (const auto& [file, password, message] :
         {std::make_tuple("ordinary_zip.lsk", "", "Failed to read skin file!"),
          std::make_tuple("password.lsk", "", "Wrong password!")}) {
        reader.LoadSkin(kDefaultSkin, "");
        try {
            reader.LoadSkin(Fixture(file), password);
            ADD_FAILURE() << file;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message, message);
        }
        EXPECT_FALSE(reader.GetLoaded());
        EXPECT_EQ(reader.GetFileReader(), nullptr);
    }
    EXPECT_EQ(loads, 4);
    // A skin without a transparent colour or a track bar loads, nothing recoloured.
    reader.LoadSkin(Fixture("container_extras.lsk"), "");
    EXPECT_TRUE(reader.GetLoaded());
    EXPECT_EQ(reader.GetSkinBitmap(SKIN2_BUTTON)->GetTransparentMode(), tmAuto);
}

TEST(SkinReaderWin, Caches) {
    TlumSkinReader reader(kDefaultSkin, "");
    TlumSkinScrollBtnRes scroll;
    TlumSkinTabRes tabs;
    TlumSkinProgressBarRes progress;
    scroll.SetReader(&reader);
    tabs.SetReader(&reader);
    progress.SetReader(&reader);

    for (int i = 1; i <= 6; ++i) {
        ASSERT_NE(scroll.GetVertArrow(i), nullptr) << i;
        EXPECT_EQ(scroll.GetVertArrow(i)->GetWidth(), 17);
        ASSERT_NE(scroll.GetHorzArrow(i), nullptr) << i;
    }
    EXPECT_EQ(scroll.GetVertArrow(7), nullptr);
    const int heights[5] = {3, 9, 9, 9, 3};   // a thumb 33 rows high
    for (int i = 1; i <= 5; ++i) {
        ASSERT_NE(scroll.GetVertThumb(i), nullptr);
        EXPECT_EQ(scroll.GetVertThumb(i)->GetHeight(), heights[i - 1]);
        EXPECT_EQ(scroll.GetHorzThumb(i)->GetWidth(), heights[i - 1]);   // turned left
    }
    EXPECT_EQ(scroll.GetThumbWidth(), 17);
    EXPECT_FALSE(scroll.GetWholeThumb());
    // The thumb's transparent corners take the scroll-bar colour.
    EXPECT_EQ(PixelOf(scroll.GetVertThumb(1), 0, 0), static_cast<TColor>(ColorToRGB(reader.GetSkinColor(SKIN2_SCROLLBARCOLOR))));

    ASSERT_NE(tabs.GetBitmap(0), nullptr);
    EXPECT_EQ(tabs.GetBitmap(0)->GetWidth(), 10);   // the line, unturned
    EXPECT_EQ(tabs.GetBitmap(1)->GetWidth(), 2);    // turned left
    EXPECT_EQ(tabs.GetBitmap(4)->GetWidth(), 30);   // one tab cell
    EXPECT_EQ(tabs.GetBitmap(9)->GetHeight(), 30);
    EXPECT_EQ(progress.GetWidth1(), 3);
    EXPECT_EQ(progress.GetWidth4(), 3);
    EXPECT_EQ(progress.GetVertPiece(2)->GetHeight(), 8);

    // No skin: the scroll and progress caches are empty; the tab cache still builds (empty pieces).
    reader.LoadSkin("Z:\\no\\such.lsk", "");
    scroll.SetReader(&reader);
    tabs.SetReader(&reader);
    progress.SetReader(&reader);
    EXPECT_EQ(scroll.GetVertArrow(1), nullptr);
    EXPECT_EQ(scroll.GetThumbWidth(), 0);
    EXPECT_EQ(tabs.GetBitmap(0), nullptr);
    EXPECT_EQ(progress.GetHorzPiece(1), nullptr);
}

TEST(SkinReaderWin, LazyBindingWithAFailingLookup) {
    HWND desktop = GetDesktopWindow();
    LUMSkinUtils::SetProcLookup(nullptr);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    LUMSkinUtils::GetComboBoxInfo(desktop, &info);             // bound, fails on a non-combo window
    EXPECT_EQ(LUMSkinUtils::GetAncestor(desktop, GA_PARENT), nullptr);
    HWND child = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(LUMSkinUtils::GetAncestor(child, GA_ROOT), child);   // still working after another bound

    int asked = 0;
    LUMSkinUtils::SetProcLookup([&](const char* name) -> FARPROC {
        ++asked;
        return std::string(name) == "GetComboBoxInfo" ? nullptr : GetProcAddress(GetModuleHandleA("user32.dll"), name);
    });
    EXPECT_EQ(LUMSkinUtils::GetAncestor(child, GA_ROOT), child);
    EXPECT_EQ(LUMSkinUtils::GetComboBoxInfo(child, &info), FALSE);
    // One failed binding switches all three off, without asking again.
    EXPECT_EQ(LUMSkinUtils::GetAncestor(child, GA_ROOT), nullptr);
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    EXPECT_EQ(LUMSkinUtils::GetScrollBarInfo(child, OBJID_VSCROLL, &bar), FALSE);
    EXPECT_EQ(asked, 2);
    LUMSkinUtils::SetProcLookup(nullptr);
    EXPECT_EQ(LUMSkinUtils::GetAncestor(child, GA_ROOT), child);
    DestroyWindow(child);
}

TEST(SkinReaderWin, FontsFromTheSystemMetrics) {
    TFont font;
    SetCaptionFont(&font);
    SetMenuFont(&font);
    EXPECT_EQ(font.GetColor(), clMenuText);
    EXPECT_FALSE(font.GetName().empty());
}

TEST(SkinReaderWin, MenuCheckedResourceIsOurs) {
    TImageList* images = MenuCheckedImages();
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(images->Count(), 1);
    EXPECT_EQ(EmptyMenuImages()->Count(), 0);
    TBitmap mdi;
    mdi.LoadFromResourceName(GetModuleHandleA(nullptr), "LUMSKIN_MDI_CONTROLER");
    EXPECT_EQ(mdi.GetWidth(), 48);
    EXPECT_EQ(mdi.GetHeight(), 16);
}

// The nine-part drawing of a small bitmap lands where the layout says, with the corner's
// transparent pixels left alone.
TEST(SkinReaderWin, NinePartDrawing) {
    TSkinPixels source(11, 11, 0x0000FF);
    source.At(0, 0) = 0xFF00FF;
    std::unique_ptr<TBitmap> bitmap = BitmapFromPixels(source);
    TBitmap target(40, 30);
    target.SetPixelFormat(pf24bit);
    FillRectColor(target.GetCanvas(), TRect(0, 0, 40, 30), 0x00FF00);
    DrawNinePart(bitmap.get(), target.GetCanvas(), TRect(0, 0, 40, 30), 0xFF00FF, true);
    TSkinPixels drawn = PixelsFromBitmap(&target);
    EXPECT_EQ(drawn.At(0, 0), 0x00FF00u);    // transparent corner pixel
    EXPECT_EQ(drawn.At(1, 1), 0x0000FFu);
    EXPECT_EQ(drawn.At(20, 15), 0x0000FFu);  // centre
    EXPECT_EQ(drawn.At(39, 29), 0x0000FFu);
}

// Push buttons are drawn nine-part from their cells. In every skin of ours, each cell drawn at a
// button's size has both sides unbroken from top to bottom: the left side is stretched from the
// cell's middle row, which a cell of even height lacks.
TEST(SkinReaderWin, ButtonCellsDrawWithUnbrokenSides) {
    constexpr TColor kBackground = 0x00FF00;   // a colour no skin of ours uses
    for (const char* file : {SKIN_DEFAULT_FILE, SKIN_SLATE_FILE, SKIN_JADE_FILE}) {
        TlumSkinReader reader(BuildPath(file), "");
        TBitmap* strip = reader.GetSkinBitmap(SKIN2_BUTTON);
        ASSERT_NE(strip, nullptr) << file;
        for (int k = 1; k <= 3; ++k) {
            TBitmap cell;
            ExtractSlice(strip, &cell, 3, k);
            for (const TRect bounds : {TRect(0, 0, 75, 25), TRect(0, 0, 105, 41)}) {
                TBitmap target(bounds.Width(), bounds.Height());
                target.SetPixelFormat(pf24bit);
                FillRectColor(target.GetCanvas(), bounds, kBackground);
                DrawNinePart(&cell, target.GetCanvas(), bounds, reader.GetSkinColor(SKIN2_TRANSCOLOR), true);
                const TSkinPixels drawn = PixelsFromBitmap(&target);
                for (int y = 2; y < bounds.Height() - 2; ++y) {
                    ASSERT_NE(drawn.At(1, y), static_cast<uint32_t>(kBackground)) << file << " cell " << k << " row " << y;
                    ASSERT_NE(drawn.At(bounds.Width() - 2, y), static_cast<uint32_t>(kBackground))
                        << file << " cell " << k << " row " << y;
                }
            }
        }
    }
}

TEST(SkinReaderWin, WindowRegionFromTheCaption) {
    TlumSkinReader reader(kDefaultSkin, "");
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(BuildWindowRegion(window, reader.GetSkinBitmap(SKIN2_TITLEBAR1), nullptr, true, false, 0, 3, -1, -1,
                                  reader.GetSkinColor(SKIN2_TRANSCOLOR), 100, 200));
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(window, region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, 0));    // the rounded corner is cut away
    EXPECT_TRUE(PtInRegion(region, 10, 2));
    EXPECT_TRUE(PtInRegion(region, 199, 50));  // rows below the band are whole
    DeleteObject(region);
    DestroyWindow(window);
}

class TFakeEngine : public TlumSkinEngineIntf {
public:
    explicit TFakeEngine(TlumSkinScrollBtnRes* res) : Res(res) {}
    bool IsSkinActive() const override { return true; }
    bool IsEngineDestroying() const override { return false; }
    bool GetSkinDialogs() const override { return true; }
    intptr_t GetDisabledTag() const override { return 9999; }
    bool GetDrawScrollBar() const override { return true; }
    void SkinWindow(HWND, bool) override {}
    TColor GetSkinColor(uint8_t index) const override { return Res->GetReader()->GetSkinColor(index); }
    TlumSkinScrollBtnRes* GetScrollBtnRes() override { return Res; }
    TlumSkinScrollBtnRes* Res;
};

// A vertical bar 17 x 60 with its thumb at rows 17-40 (23 rows): up arrow in the top square,
// caps of 3 rows at both thumb ends, the 9-row middle piece centred, background below.
TEST(SkinReaderWin, PaintSkinScrollBarPlacesThePieces) {
    TlumSkinReader reader(kDefaultSkin, "");
    TlumSkinScrollBtnRes scroll;
    scroll.SetReader(&reader);
    TFakeEngine engine(&scroll);
    TBitmap target(17, 60);
    target.SetPixelFormat(pf24bit);
    PaintSkinScrollBar(target.GetCanvas(), &engine, TRect(0, 0, 17, 60), TRect(0, 17, 17, 40), true, true);
    TSkinPixels bar = PixelsFromBitmap(&target);
    TSkinPixels up = PixelsFromBitmap(scroll.GetVertArrow(1));
    TSkinPixels top = PixelsFromBitmap(scroll.GetVertThumb(1));
    TSkinPixels middle = PixelsFromBitmap(scroll.GetVertThumb(3));
    TSkinPixels bottom = PixelsFromBitmap(scroll.GetVertThumb(5));
    EXPECT_EQ(bar.At(8, 8), up.At(8, 8));
    EXPECT_EQ(bar.At(8, 17), top.At(8, 0));
    EXPECT_EQ(bar.At(8, 24 + 1), middle.At(8, 1));   // middle piece at 17 + (17 - 9) / 2 + 3
    EXPECT_EQ(bar.At(8, 39), bottom.At(8, 2));
    EXPECT_EQ(bar.At(8, 42), ColorToRGB(reader.GetSkinColor(SKIN2_SCROLLBARCOLOR)));
}

// Thumbs in bars narrower and wider than the skin's 17-pixel pieces, long and shorter than the
// two caps: every pixel of the thumb comes from a piece, none is left in the bar's background
// (a colour of our own here, found in no piece), in both directions.
TEST(SkinReaderWin, PaintSkinScrollBarFillsTheWholeThumb) {
    class TMarkedEngine : public TFakeEngine {
    public:
        using TFakeEngine::TFakeEngine;
        TColor GetSkinColor(uint8_t index) const override {
            return index == SKIN2_SCROLLBARCOLOR ? TColor(0x030201) : TFakeEngine::GetSkinColor(index);
        }
    };
    TlumSkinReader reader(kDefaultSkin, "");
    TlumSkinScrollBtnRes scroll;
    scroll.SetReader(&reader);
    ASSERT_EQ(scroll.GetThumbWidth(), 17);
    TMarkedEngine engine(&scroll);
    const int kLength = 120, kThumbStart = 35;
    for (int width : {12, 30}) {
        for (int thumb : {4, 5, 23, 50}) {
            for (bool vertical : {true, false}) {
                TBitmap target(vertical ? width : kLength, vertical ? kLength : width);
                target.SetPixelFormat(pf24bit);
                const TRect bar(0, 0, target.GetWidth(), target.GetHeight());
                const TRect t = vertical ? TRect(0, kThumbStart, width, kThumbStart + thumb)
                                         : TRect(kThumbStart, 0, kThumbStart + thumb, width);
                PaintSkinScrollBar(target.GetCanvas(), &engine, bar, t, true, vertical);
                TSkinPixels shown = PixelsFromBitmap(&target);
                int unpainted = 0;
                for (int y = t.Top; y < t.Bottom; ++y)
                    for (int x = t.Left; x < t.Right; ++x) unpainted += shown.At(x, y) == 0x030201;
                EXPECT_EQ(unpainted, 0) << "bar " << width << ", thumb " << thumb << (vertical ? ", vertical" : ", horizontal");
                // The background itself is there just past the thumb.
                EXPECT_EQ(vertical ? shown.At(width / 2, t.Bottom + 1) : shown.At(t.Right + 1, width / 2), 0x030201u);
            }
        }
    }
}

// Every routine gives back what it makes. GetGuiResources is a stub under Wine, so the GDI table
// itself is the counter: it is filled with held regions up to a small headroom, then each routine
// runs more times than that headroom; one object left behind a call would fill the table, and the
// final CreateRectRgn / CreateCompatibleDC would fail.
class TGdiBallast {
public:
    explicit TGdiBallast(int headroom) {
        std::vector<HRGN> all;
        for (HRGN r; (r = CreateRectRgn(0, 0, 1, 1)) != nullptr && all.size() < 200000;) all.push_back(r);
        Capacity = static_cast<int>(all.size());
        while (!all.empty() && static_cast<int>(all.size()) > Capacity - headroom) {
            DeleteObject(all.back());
            all.pop_back();
        }
        Held = std::move(all);
    }
    ~TGdiBallast() {
        for (HRGN r : Held) DeleteObject(r);
    }
    int Capacity = 0;
    std::vector<HRGN> Held;
};

TEST(SkinReaderWin, NoGdiObjectLeftBehind) {
    TlumSkinReader reader(kDefaultSkin, "");
    TlumSkinScrollBtnRes scroll;
    scroll.SetReader(&reader);
    TFakeEngine engine(&scroll);
    TBitmap target(120, 60);
    TCanvas* canvas = target.GetCanvas();
    TBitmap* button = reader.GetSkinBitmap(SKIN2_BUTTON);
    TBitmap* thumb = reader.GetSkinBitmap(SKIN2_SCROLLBAR);
    TBitmap* caption = reader.GetSkinBitmap(SKIN2_TITLEBAR1);
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    TFont font;
    canvas->GetHandle();
    font.GetHandle();
    const int kHeadroom = 3000, kCalls = 3500;
    {
        TGdiBallast ballast(kHeadroom);
        ASSERT_GT(ballast.Capacity, 10000);
        for (int i = 0; i < kCalls; ++i) {
            DrawNinePart(button, canvas, TRect(0, 0, 60, 30), 0xFF00FF, true);
            DrawThreePartH(button, canvas, TRect(0, 0, 100, 22), 0xFF00FF, true);
            DrawThreePartV(thumb, canvas, TRect(0, 0, 17, 50), 0);
            DrawThreePartHCaps(button, canvas, TRect(0, 0, 100, 22), 5);
            StretchDrawBitmap(button, canvas, TRect(0, 0, 30, 30));
            GradientFillV(canvas, TRect(0, 0, 4, 3), 0x000000, 0xFFFFFF);
            GradientFillH(canvas, TRect(0, 0, 3, 2), 0x000000, 0xFFFFFF);
            FrameRectColor(canvas, TRect(0, 0, 10, 10), 0x123456);
            FillRectColor(canvas, TRect(0, 0, 10, 10), 0x123456);
            DrawComboArrow(canvas, 5, 5, i % 2 == 0);
            DrawArrowUp(canvas, 5, 5, i % 2 == 0);
            DrawArrowLeft(canvas, 5, 5, i % 2 == 0);
            DrawArrowRight(canvas, 5, 5, i % 2 == 0);
            DrawMenuSeparator(canvas, TRect(0, 0, 50, 6), 0x808080, true, 20);
            DrawWindowBorder(window, 0x00FF00, 0x0000FF, true);
            PaintSkinScrollBar(canvas, &engine, TRect(0, 0, 17, 60), TRect(0, 17, 17, 40), true, true);
            PaintSkinScrollBar(canvas, &engine, TRect(0, 0, 60, 17), TRect(17, 0, 40, 17), true, false);
            BuildWindowRegion(window, caption, nullptr, true, false, 0, 3, -1, -1, 0xFF00FF, 100, 200);
            SetCaptionFont(&font);
            SetMenuFont(&font);
        }
        for (int i = 0; i < 100; ++i) reader.LoadSkin(kDefaultSkin, "");   // 34 bitmaps a load
        HRGN region = CreateRectRgn(0, 0, 1, 1);
        HDC dc = CreateCompatibleDC(nullptr);
        EXPECT_NE(region, nullptr);
        EXPECT_NE(dc, nullptr);
        if (region) DeleteObject(region);
        if (dc) DeleteDC(dc);
    }
    DestroyWindow(window);
}

// The caption and menu fonts keep the handle they are given: it describes the system's font,
// selects into a DC and measures text as a font made from the same description does; calling
// them many times leaves no GDI object behind.
TEST(SkinReaderWin, CaptionAndMenuFontsHoldLiveHandles) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0));
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    auto extent = [&](HFONT handle) {
        HGDIOBJ old = SelectObject(dc, handle);
        SIZE size{};
        const char text[] = "Caption of a skinned window";
        GetTextExtentPoint32A(dc, text, static_cast<int>(sizeof text - 1), &size);
        if (old && old != HGDI_ERROR) SelectObject(dc, old);
        return old && old != HGDI_ERROR ? size : SIZE{-1, -1};
    };
    struct TCase {
        const char* Name;
        void (*Set)(TFont*);
        const LOGFONTA& System;
    } cases[] = {{"caption", SetCaptionFont, metrics.lfCaptionFont}, {"menu", SetMenuFont, metrics.lfMenuFont}};
    for (const TCase& c : cases) {
        TFont skin;
        c.Set(&skin);
        LOGFONTA held{};
        ASSERT_EQ(GetObjectA(skin.GetHandle(), sizeof held, &held), static_cast<int>(sizeof held)) << c.Name;
        EXPECT_STREQ(held.lfFaceName, c.System.lfFaceName) << c.Name;
        EXPECT_EQ(held.lfHeight, c.System.lfHeight) << c.Name;
        EXPECT_EQ(held.lfWeight, c.System.lfWeight) << c.Name;

        TFont usual;
        usual.SetName(c.System.lfFaceName);
        usual.SetHeight(c.System.lfHeight);
        usual.SetStyle(c.System.lfWeight >= FW_BOLD ? TFontStyles(fsBold) : TFontStyles(0));
        usual.SetCharset(c.System.lfCharSet);
        const SIZE measured = extent(skin.GetHandle()), expected = extent(usual.GetHandle());
        EXPECT_GT(measured.cx, 0) << c.Name;
        EXPECT_EQ(measured.cx, expected.cx) << c.Name;
        EXPECT_EQ(measured.cy, expected.cy) << c.Name;
    }
    DeleteDC(dc);

    TFont font;
    font.GetHandle();
    const int kHeadroom = 300, kCalls = 400;
    {
        TGdiBallast ballast(kHeadroom);
        ASSERT_GT(ballast.Capacity, 10000);
        for (int i = 0; i < kCalls; ++i) {
            SetCaptionFont(&font);
            SetMenuFont(&font);
        }
        HRGN region = CreateRectRgn(0, 0, 1, 1);
        EXPECT_NE(region, nullptr);
        if (region) DeleteObject(region);
    }
    LOGFONTA last{};
    EXPECT_EQ(GetObjectA(font.GetHandle(), sizeof last, &last), static_cast<int>(sizeof last));
}


}  // namespace
