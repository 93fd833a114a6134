// Skins of tab controls, track bars, progress bars, up-downs, status bars and grids with the
// default skin, on a plain form: what each shows, read back from the screen against the skin's
// own pictures and colours, under real mouse input; settings given back; teardown without leaks.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/bar_controls.h"
#include "classlib/gui/common_controls.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/grids.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/image_list.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_registry_win.h"
#include "skin/skin_res_win.h"
#include "skin/skin_std_ctrl_grid_win.h"
#include "skin/skin_std_ctrl_range_win.h"
#include "skin/skin_std_ctrl_register_win.h"
#include "skin/skin_std_ctrl_tabs_win.h"
#include "skin/skin_utils_win.h"
#include "tests/skin/support/skin_test_support.h"
#include "tests/support/tempdir.h"

namespace {

const auto* kEnv = ::testing::AddGlobalTestEnvironment(new TSkinGuiEnvironment(RegisterStdControlSkins));

void MoveTo(HWND wnd, int x, int y) { ::MoveTo(ScreenPoint(wnd, x, y)); }

void Redraw(TWinControl* control) {
    RedrawWindow(control->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    Pump(20);
}

// The whole window as the screen shows it.
COLORREF WindowPixel(HWND wnd, int x, int y) {
    TWindowDC dc(wnd, TWindowDC::daWindow);
    return GetPixel(dc.Get(), x, y);
}

COLORREF SkinPixel(TSkinBitmapKey key, int k, int n, int x, int y) {
    TBitmap part;
    EXPECT_TRUE(Host().Engine->GetSkinBitmapPart(key, &part, k, n));
    return ColorToRGB(part.GetCanvas()->GetPixel(x, y));
}
COLORREF Rgb(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)); }

class SkinStdBars : public TSkinFormTest {
protected:
    SkinStdBars() : TSkinFormTest("TBarsTestForm", 300, 60, 520, 420) {}
    void TearDown() override {
        Skins.clear();
        TSkinFormTest::TearDown();
    }
    // Skins the control as the skin window does: made, then given the skin's colours.
    TlumSkinControlVCL* Skin(TControl* control) {
        Skins.push_back(FindSkinControlClass(control, &SkinWindow));
        EXPECT_NE(Skins.back(), nullptr) << control->ClassName();
        if (Skins.back()) Skins.back()->ApplySkinColours();
        return Skins.back().get();
    }
    std::vector<std::unique_ptr<TlumSkinControlVCL>> Skins;
};

RECT TabRect(TCustomTabControl* tabs, int index) {
    RECT r{};
    SendMessageA(tabs->GetHandle(), TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return r;
}

// Where pixel (1, 1) of the tab as drawn on top lands once it is turned to its side.
POINT TabCorner(const RECT& r, TTabPosition position) {
    switch (position) {
    case tpBottom: return POINT{r.right - 2, r.bottom - 2};
    case tpLeft: return POINT{r.left + 1, r.bottom - 2};
    case tpRight: return POINT{r.right - 2, r.top + 1};
    default: return POINT{r.left + 1, r.top + 1};
    }
}

}  // namespace

TEST_F(SkinStdBars, EachControlGetsItsSkin) {
    struct {
        TControl* Control;
        const char* Skin;
    } cases[] = {
        {Add<TDrawGrid>(10, 10, 100, 60), "TlumSkinGrid"},
        {Add<TTabControl>(10, 80, 100, 60), "TlumSkinTabControl"},
        {Add<TPageControl>(120, 80, 100, 60), "TlumSkinTabControl"},
        {Add<TTrackBar>(10, 150, 100, 30), "TlumSkinTrackBar"},
        {Add<TProgressBar>(10, 190, 100, 14), "TlumSkinProgressBar"},
        {Add<TUpDown>(120, 10, 17, 30), "TlumSkinUpDown"},
        {Add<TStatusBar>(10, 220, 200, 20), "TlumSkinStatusBar"},
    };
    for (const auto& c : cases) {
        auto skin = FindSkinControlClass(c.Control, &SkinWindow);
        ASSERT_NE(skin, nullptr) << c.Skin;
        EXPECT_STREQ(skin->ClassName(), c.Skin);
        EXPECT_EQ(skin->WantsParentColor(), std::string(c.Skin) == "TlumSkinStatusBar") << c.Skin;
    }
}

// In each position the selected tab shows the selected slice and the others the plain one,
// turned to their side; a real click selects and repaints.
TEST_F(SkinStdBars, TabsInFourPositionsShowTheirSlicesAndFollowClicks) {
    const COLORREF selectedPixel = SkinPixel(SKIN2_TABCONTROL, 1, 2, 1, 1);
    const COLORREF plainPixel = SkinPixel(SKIN2_TABCONTROL, 2, 2, 1, 1);
    ASSERT_NE(selectedPixel, plainPixel);
    for (TTabPosition position : {tpTop, tpBottom, tpLeft, tpRight}) {
        auto* tabs = Add<TTabControl>(20, 20, 300, 200);
        tabs->SetTabPosition(position);
        for (const char* text : {"One", "Two", "Three"}) tabs->GetTabs()->Add(text);
        tabs->SetTabIndex(0);
        int changes = 0;
        tabs->OnChange = [&](TObject*) { ++changes; };
        Skin(tabs);
        Redraw(tabs);
        HWND wnd = tabs->GetHandle();
        auto shown = [&](int index) {
            const POINT p = TabCorner(TabRect(tabs, index), position);
            return ClientPixel(wnd, p.x, p.y);
        };
        EXPECT_EQ(shown(0), selectedPixel) << int(position);
        EXPECT_EQ(shown(1), plainPixel) << int(position);

        const RECT second = TabRect(tabs, 1);
        MoveTo(wnd, (second.left + second.right) / 2, (second.top + second.bottom) / 2);
        Press();
        Release();
        Pump();
        EXPECT_EQ(tabs->GetTabIndex(), 1) << int(position);
        EXPECT_EQ(changes, 1) << int(position);
        EXPECT_EQ(shown(1), selectedPixel) << int(position);
        EXPECT_EQ(shown(0), plainPixel) << int(position);
        Skins.clear();
        delete tabs;
    }
}

// A caption of doubled ampersands is centred by the width of what shows: single ones.
TEST_F(SkinStdBars, DoubledAmpersandsAreCentredAsShown) {
    EXPECT_EQ(TlumSkinTabControl::ShownCaption("a&&b&&&&c&"), "a&b&&c&");
    auto* tabs = Add<TTabControl>(20, 20, 300, 120);
    tabs->GetTabs()->Add("&&&&&&&&");
    tabs->GetTabs()->Add("Other");
    tabs->SetTabIndex(1);
    Skin(tabs);
    Redraw(tabs);
    HWND wnd = tabs->GetHandle();
    const RECT r = TabRect(tabs, 0);
    // The first column, left to right, where the caption changes the tab's plain middle.
    int first = -1;
    for (int x = r.left + 3; x < r.right && first < 0; ++x)
        for (int y = r.top + 3; y < r.bottom - 4 && first < 0; ++y)
            if (ClientPixel(wnd, x, y) != ClientPixel(wnd, r.left + 2, y)) first = x - r.left;
    TBitmap measure;
    measure.GetCanvas()->GetFont()->Assign(tabs->GetFont());
    const int expected = ((r.right - r.left) - measure.GetCanvas()->TextWidth("&&&&")) / 2;
    EXPECT_GE(first, expected);
    EXPECT_LE(first, expected + 3);
}

// A tab shows the image the window names only when the list holds it, upright on the bottom too;
// a tab the window has beyond the control's texts is drawn plain, and the others still are.
TEST_F(SkinStdBars, TabsShowOnlyWhatTheirListsHold) {
    const COLORREF selectedPixel = SkinPixel(SKIN2_TABCONTROL, 1, 2, 1, 1);
    const COLORREF plainPixel = SkinPixel(SKIN2_TABCONTROL, 2, 2, 1, 1);
    auto* images = new TImageList(Form.get(), 16, 16);
    {
        TBitmap picture;   // red over blue: shows which way up it is drawn
        picture.SetSize(16, 16);
        FillRectColor(picture.GetCanvas(), TRect(0, 0, 16, 8), clRed);
        FillRectColor(picture.GetCanvas(), TRect(0, 8, 16, 16), clBlue);
        images->AddMasked(&picture, clFuchsia);
    }
    for (TTabPosition position : {tpTop, tpBottom}) {
        auto* tabs = Add<TTabControl>(20, 20, 300, 150);
        tabs->SetTabPosition(position);
        tabs->SetImages(images);
        tabs->GetTabs()->Add("Image");     // image 0
        tabs->GetTabs()->Add("Beyond");    // image 1: the list has none
        tabs->SetTabIndex(0);
        HWND wnd = tabs->GetHandle();
        char extra[] = "Extra";
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = extra;
        ASSERT_EQ(SendMessageA(wnd, TCM_INSERTITEMA, 2, reinterpret_cast<LPARAM>(&item)), 2);
        Skin(tabs);
        Redraw(tabs);
        for (int index : {0, 2}) {
            const POINT p = TabCorner(TabRect(tabs, index), position);
            EXPECT_EQ(ClientPixel(wnd, p.x, p.y), index == 0 ? selectedPixel : plainPixel) << int(position) << " " << index;
        }
        auto firstRow = [&](int index, COLORREF colour) {
            const RECT r = TabRect(tabs, index);
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    if (ClientPixel(wnd, x, y) == colour) return y;
            return -1;
        };
        const int red = firstRow(0, Rgb(clRed)), blue = firstRow(0, Rgb(clBlue));
        EXPECT_GE(red, 0) << int(position);
        EXPECT_GT(blue, red) << int(position);
        EXPECT_EQ(firstRow(1, Rgb(clRed)), -1) << int(position);
        EXPECT_EQ(firstRow(1, Rgb(clBlue)), -1) << int(position);
        Skins.clear();
        delete tabs;
    }
}

TEST_F(SkinStdBars, TrackBarDragMovesPositionAndSlider) {
    auto* bar = Add<TTrackBar>(20, 40, 300, 40);
    bar->SetMax(10);
    auto* skin = static_cast<TlumSkinTrackBar*>(Skin(bar));
    ASSERT_NE(skin->GetChannelBitmap(), nullptr);
    Redraw(bar);
    HWND wnd = bar->GetHandle();
    auto thumbRect = [&] {
        RECT r{};
        SendMessageA(wnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&r));
        return r;
    };
    // The slider as the skin shows it: its picture stretched to the thumb.
    auto sliderCentre = [&](const RECT& t) {
        TBitmap slider, sized;
        Host().Engine->GetSkinBitmapPart(SKIN2_TRACKBARSLIDER, &slider, 0, 0);
        sized.SetPixelFormat(pf24bit);
        sized.SetSize(t.right - t.left, t.bottom - t.top);
        StretchDrawBitmap(&slider, sized.GetCanvas(), TRect(0, 0, sized.GetWidth(), sized.GetHeight()));
        return Rgb(sized.GetCanvas()->GetPixel(sized.GetWidth() / 2, sized.GetHeight() / 3));
    };
    const RECT before = thumbRect();
    const COLORREF slider = sliderCentre(before);
    EXPECT_EQ(ClientPixel(wnd, (before.left + before.right) / 2, before.top + (before.bottom - before.top) / 3), slider);

    RECT channel{};
    SendMessageA(wnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    MoveTo(wnd, (before.left + before.right) / 2, (before.top + before.bottom) / 2);
    Press();
    MoveTo(wnd, channel.left + (channel.right - channel.left) * 3 / 4, (before.top + before.bottom) / 2);
    Release();
    Pump();
    EXPECT_GE(bar->GetPosition(), 6);
    EXPECT_LE(bar->GetPosition(), 9);
    const RECT after = thumbRect();
    EXPECT_GT(after.left, before.left + 100);
    EXPECT_EQ(ClientPixel(wnd, (after.left + after.right) / 2, after.top + (after.bottom - after.top) / 3), slider);
    EXPECT_NE(ClientPixel(wnd, (before.left + before.right) / 2, before.top + (before.bottom - before.top) / 3), slider);

    // Without a skin the bar keeps its own look: no channel picture, its own painting.
    Host().Engine->SetActive(false);
    skin->ApplySkinColours();
    EXPECT_EQ(skin->GetChannelBitmap(), nullptr);
    Host().Engine->SetActive(true);
}

// Positions far apart (a product beyond 32 bits), empty and inverted ranges, positions outside.
TEST_F(SkinStdBars, ProgressFillLengthIsClampedAndWide) {
    struct {
        int Position, Min, Max, Length, Fill;
    } cases[] = {
        {50, 0, 100, 200, 100},          {0, 0, 0, 200, 0},       {5, 10, 10, 200, 0},
        {100, 0, 100, 200, 200},         {150, 0, 100, 200, 200}, {-5, 0, 100, 200, 0},
        {INT_MAX, INT_MIN, INT_MAX, 1000, 1000}, {0, INT_MIN, INT_MAX, 1000, 500},
        {1000000, 0, 2000000, 4000, 2000}, {50, 0, 100, 0, 0},     {50, 0, 100, -8, 0},
        {5, 10, 0, 200, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TlumSkinProgressBar::FillLength(c.Position, c.Min, c.Max, c.Length), c.Fill)
            << c.Position << " in " << c.Min << ".." << c.Max << " over " << c.Length;
}

// The fill piece (2) and the rest (3) as the screen shows them, across a bar's middle.
TEST_F(SkinStdBars, ProgressShowsItsFillFromTheSkinsPieces) {
    TlumSkinProgressBarRes& res = *Host().Engine->GetProgressBarRes();
    const int w1 = res.GetWidth1(), w4 = res.GetWidth4();
    const int thickness = res.GetHorzPiece(2)->GetHeight();
    const COLORREF fill = Rgb(res.GetHorzPiece(2)->GetCanvas()->GetPixel(0, thickness / 2));
    const COLORREF rest = Rgb(res.GetHorzPiece(3)->GetCanvas()->GetPixel(0, thickness / 2));
    ASSERT_NE(fill, rest);
    struct {
        const char* Name;
        bool Vertical;
        int Min, Max, Position;
        int FillFrom, FillTo;   // along the bar from its start (left, or bottom), in percent
    } cases[] = {
        {"empty range", false, 5, 5, 5, 0, 0},
        {"full", false, 0, 100, 100, 0, 100},
        {"half", false, 0, 100, 50, 0, 50},
        {"vertical half from below", true, 0, 100, 50, 0, 50},
        {"vertical full", true, 0, 100, 100, 0, 100},
        {"wide range, full", false, INT_MIN, INT_MAX, INT_MAX, 0, 100},
    };
    const int length = 200;
    for (const auto& c : cases) {
        auto* bar = Add<TProgressBar>(20, 40, c.Vertical ? thickness : length, c.Vertical ? length : thickness);
        bar->SetOrientation(c.Vertical ? pbVertical : pbHorizontal);
        bar->SetMin(c.Min);
        bar->SetMax(c.Max);
        bar->SetPosition(c.Position);
        Skin(bar);
        Redraw(bar);
        HWND wnd = bar->GetHandle();
        const int inner = length - w1 - w4;
        auto at = [&](int along) {   // along the inner part, from its start
            return c.Vertical ? WindowPixel(wnd, thickness / 2, length - w1 - 1 - along)
                              : WindowPixel(wnd, w1 + along, thickness / 2);
        };
        const int fillEnd = inner * c.FillTo / 100;
        if (fillEnd > 2) {
            EXPECT_EQ(at(1), fill) << c.Name;
            EXPECT_EQ(at(fillEnd - 2), fill) << c.Name;
        }
        if (fillEnd < inner - 2) {
            EXPECT_EQ(at(fillEnd + 1), rest) << c.Name;
            EXPECT_EQ(at(inner - 2), rest) << c.Name;
        }
        // The position moves on: the fill follows at once.
        if (c.Max - c.Min == 100 && c.Position == 50) {
            bar->SetPosition(100);
            Pump(20);
            EXPECT_EQ(at(inner - 2), fill) << c.Name << " after SetPosition";
        }
        Skins.clear();
        delete bar;
    }
    // A bar shorter than its two ends shows only its ends (no middle running backwards), and a
    // bar of no size paints nothing.
    for (int width : {w1 + w4 - 1, 0}) {
        auto* bar = Add<TProgressBar>(20, 40, width, thickness);
        bar->SetPosition(100);
        Skin(bar);
        Redraw(bar);
        for (int x = 0; x < width; ++x) EXPECT_NE(WindowPixel(bar->GetHandle(), x, thickness / 2), rest) << x;
        Skins.clear();
        delete bar;
    }
}

// The held button shows the skin's down colour with its arrow one pixel on; the position moves.
// Released, or with the mouse taken from the up-down while held, it looks normal again.
TEST_F(SkinStdBars, UpDownHeldHalfShowsTheDownColour) {
    const COLORREF down = Rgb(Host().Engine->GetSkinColor(SKIN2_TOOLBARDOWNCOLOR));
    const COLORREF face = Rgb(Host().Engine->GetFormColor());
    ASSERT_NE(down, face);
    struct {
        const char* Name;
        TUDOrientation Orientation;
        int Width, Height;
        bool First;   // the up or left button
        int Step;
    } cases[] = {
        {"vertical, down", udVertical, 20, 40, false, -1},
        {"vertical, up", udVertical, 20, 40, true, 1},
        {"horizontal, left", udHorizontal, 40, 20, true, -1},
    };
    for (bool taken : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(taken ? "mouse taken" : "released");
            auto* upDown = Add<TUpDown>(40, 40, 0, 0);
            upDown->SetOrientation(c.Orientation);
            upDown->SetBounds(40, 40, c.Width, c.Height);
            upDown->SetPosition(5);
            auto* skin = static_cast<TlumSkinUpDown*>(Skin(upDown));
            Redraw(upDown);
            HWND wnd = upDown->GetHandle();
            TRect first, second;
            TlumSkinUpDown::ButtonRects(c.Width, c.Height, c.Orientation == udVertical, first, second);
            const TRect held = c.First ? first : second, other = c.First ? second : first;
            // A point inside a button, off its arrow.
            auto inside = [](const TRect& r) { return POINT{r.Left + 2, r.Top + 2}; };
            EXPECT_EQ(ClientPixel(wnd, inside(held).x, inside(held).y), face) << c.Name;
            MoveTo(wnd, (held.Left + held.Right) / 2, (held.Top + held.Bottom) / 2);
            Press();
            EXPECT_EQ(skin->GetHitButton(), c.First ? -1 : 1) << c.Name;
            EXPECT_EQ(ClientPixel(wnd, inside(held).x, inside(held).y), down) << c.Name;
            EXPECT_EQ(ClientPixel(wnd, inside(other).x, inside(other).y), face) << c.Name;
            if (taken) {
                SetCapture(Form->GetHandle());
                Pump();
                EXPECT_EQ(skin->GetHitButton(), 0) << c.Name;
                EXPECT_EQ(ClientPixel(wnd, inside(held).x, inside(held).y), face) << c.Name << ": still drawn held";
            }
            Release();
            if (taken) ReleaseCapture();
            Pump();
            EXPECT_EQ(skin->GetHitButton(), 0) << c.Name;
            EXPECT_EQ(ClientPixel(wnd, inside(held).x, inside(held).y), face) << c.Name;
            EXPECT_EQ(upDown->GetPosition() - 5 > 0 ? 1 : upDown->GetPosition() - 5 < 0 ? -1 : 0, c.Step) << c.Name;
            Skins.clear();
            delete upDown;
        }
    }
}

TEST_F(SkinStdBars, StatusGripOnlyWithSizeGrip) {
    for (bool grip : {true, false}) {
        auto* bar = Add<TStatusBar>(0, 0, 200, 22);
        bar->SetAlign(alBottom);
        bar->SetSizeGrip(grip);
        bar->SetSimplePanel(true);
        bar->SetSimpleText("text");
        Skin(bar);
        Redraw(bar);
        HWND wnd = bar->GetHandle();
        const int w = bar->GetWidth(), h = bar->GetHeight();
        // A point on the grip's long diagonal, and one in the strip beside the grip.
        const COLORREF onLine = ClientPixel(wnd, w - 15 + 5, h - 1 - 5);
        const COLORREF beside = ClientPixel(wnd, w - 18, h / 2);
        if (grip) {
            EXPECT_EQ(onLine, Rgb(clInactiveCaption));
            EXPECT_EQ(beside, Rgb(bar->GetColor()));
        } else {
            EXPECT_NE(onLine, Rgb(clInactiveCaption));
        }
        Skins.clear();
        delete bar;
    }
}

// The heading colour is the grid's own, read once: a skin loaded again does not make the skin's
// colour the one given back.
TEST_F(SkinStdBars, GridHeadingColourComesBackAfterReloads) {
    const TColor own = clRed;
    const TColor skinned = Host().Engine->GetSkinColor(SKIN2_FORMCOLOR);
    ASSERT_NE(skinned, own);
    auto* grid = Add<TDrawGrid>(20, 20, 200, 120);
    grid->SetFixedColor(own);
    auto* skin = Skin(grid);
    EXPECT_EQ(grid->GetFixedColor(), skinned);
    skin->ApplySkinColours();   // a new skin loaded
    skin->ApplySkinColours();
    EXPECT_EQ(grid->GetFixedColor(), skinned);
    Host().Engine->SetActive(false);
    skin->ApplySkinColours();
    EXPECT_EQ(grid->GetFixedColor(), own);
    Host().Engine->SetActive(true);
    skin->ApplySkinColours();
    skin->Restore();
    EXPECT_EQ(grid->GetFixedColor(), own);
}

// A skin without any of these pictures: nothing is drawn from them, nothing fails, the track bar
// keeps its own look; the default skin loaded again brings them back.
TEST_F(SkinStdBars, MissingSkinPicturesDrawNothingFromThem) {
    auto load = [](const std::string& file) {
        const std::string bytes = ReadWholeFile(file);
        Host().Engine->ReadSkinData(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    };
    load(std::string(SKIN_FIXTURE_DIR) + "/terminator_only.lsk");
    auto* tabs = Add<TTabControl>(10, 10, 200, 80);
    tabs->GetTabs()->Add("One");
    tabs->SetTabIndex(0);
    auto* track = Add<TTrackBar>(10, 100, 160, 40);
    auto* progress = Add<TProgressBar>(10, 150, 160, 14);
    progress->SetPosition(60);
    auto* upDown = Add<TUpDown>(220, 10, 17, 30);
    std::vector<TWinControl*> controls = {tabs, track, progress, upDown};
    for (TWinControl* c : controls) Skin(c);
    for (TWinControl* c : controls) Redraw(c);
    EXPECT_EQ(static_cast<TlumSkinTrackBar*>(Skins[1].get())->GetChannelBitmap(), nullptr);
    load(SKIN_DEFAULT_FILE);
    for (auto& s : Skins) s->ApplySkinColours();
    EXPECT_NE(static_cast<TlumSkinTrackBar*>(Skins[1].get())->GetChannelBitmap(), nullptr);
    for (TWinControl* c : controls) Redraw(c);
}

// Skins whose control goes first and controls whose skin goes first, painted and clicked, leave
// no GDI object behind and no skin answering the query; the grid gets its colour back.
TEST_F(SkinStdBars, TeardownInAnyOrderWithoutGrowth) {
    enum TOrder { oControlsFirst, oSkinsFirst, oSkinsFirstInactive };
    auto cycle = [&](TOrder order) {
        auto* grid = Add<TDrawGrid>(10, 10, 120, 80);
        grid->SetFixedColor(clLime);
        auto* tabs = Add<TTabControl>(140, 10, 160, 80);
        tabs->GetTabs()->Add("One");
        tabs->GetTabs()->Add("Two");
        tabs->SetTabIndex(0);
        auto* track = Add<TTrackBar>(10, 100, 160, 40);
        track->SetSelStart(2);
        track->SetSelEnd(6);
        auto* progress = Add<TProgressBar>(10, 150, 160, 14);
        progress->SetPosition(40);
        auto* upDown = Add<TUpDown>(200, 100, 17, 30);
        auto* status = Add<TStatusBar>(0, 0, 200, 22);
        status->SetAlign(alBottom);
        std::vector<TWinControl*> controls = {grid, tabs, track, progress, upDown, status};
        for (TWinControl* c : controls) {
            Skin(c);
            EXPECT_EQ(SendMessageA(c->GetHandle(), WM_SKIN_QUERY, 0, 0), 1) << c->ClassName();
        }
        track->SetFocus();
        RedrawWindow(Form->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        SendMessageA(upDown->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageA(upDown->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        SendMessageA(tabs->GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
        Pump(20);
        if (order == oControlsFirst) {
            for (TWinControl* c : controls) delete c;
            Skins.clear();
        } else {
            if (order == oSkinsFirstInactive) {   // the skin taken off first, as a switched-off engine does
                Host().Engine->SetActive(false);
                for (auto& s : Skins) s->ApplySkinColours();
                EXPECT_EQ(grid->GetFixedColor(), clLime);
            }
            for (auto& s : Skins) s->Restore();
            Host().Engine->SetActive(true);
            Skins.clear();
            EXPECT_EQ(grid->GetFixedColor(), clLime);
            for (TWinControl* c : controls) {
                EXPECT_EQ(SendMessageA(c->GetHandle(), WM_SKIN_QUERY, 0, 0), 0) << c->ClassName();
                delete c;
            }
        }
    };
    for (TOrder order : {oControlsFirst, oSkinsFirst, oSkinsFirstInactive}) cycle(order);
    const long live = LiveGdiObjectCount();
    for (int i = 0; i < 21; ++i) cycle(static_cast<TOrder>(i % 3));
    EXPECT_EQ(LiveGdiObjectCount(), live);
}
