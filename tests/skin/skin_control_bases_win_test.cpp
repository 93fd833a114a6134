// The shared skin bases on class-library controls with the default skin: the drop-down button
// panel and the scroll-bar overlays against every order of going (skin, control, panel), which
// controls get overlays, painting that never makes a window, and a failing skin step that
// leaves the control its message.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/date_time_picker.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/grids.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/input_controls.h"
#include "classlib/gui/list_controls.h"
#include "classlib/gui/list_view.h"
#include "classlib/gui/panel.h"
#include "classlib/gui/scroll_boxes.h"
#include "classlib/gui/standard_controls.h"
#include "skin/skin_control_bases_win.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_keys.h"
#include "skin/skin_utils_win.h"
#include "skin/skin_registry_win.h"
#include "tests/skin/support/skin_test_support.h"

namespace {

const auto* kEnv = ::testing::AddGlobalTestEnvironment(new TSkinGuiEnvironment);

template <class TSkin>
std::unique_ptr<TSkin> MakeSkin(TControl* control, TlumSkinWindowIntf* window) {
    auto skin = std::make_unique<TSkin>(control, window);
    skin->Install();
    skin->ApplySkinColours();
    return skin;
}

class SkinBases : public ::testing::Test {
protected:
    void SetUp() override {
        Host();
        Form = std::make_unique<TPlainTestForm>("TBasesTestForm");
        Form->SetBounds(420, 60, 420, 320);
        Form->Show();
    }
    template <class T>
    T* Add(int left, int top, int width, int height) {
        auto* c = new T(Form.get());
        c->SetParent(Form.get());
        c->SetBounds(left, top, width, height);
        return c;
    }
    std::unique_ptr<TPlainTestForm> Form;
    TTestSkinWindow SkinWindow;
};

// A masked edit made multi-line: still no overlays.
class TMultiLineMaskEdit : public TCustomMaskEdit {
public:
    explicit TMultiLineMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
protected:
    void CreateParams(TCreateParams& params) override {
        TCustomMaskEdit::CreateParams(params);
        params.Style |= ES_MULTILINE;
    }
};

int PanelsOwnedByEngine() {
    int n = 0;
    for (int i = 0; i < Host().Engine->ComponentCount(); ++i) {
        TComponent* c = Host().Engine->GetComponent(i);
        n += dynamic_cast<TlumSkinInternalComboButton*>(c) != nullptr || dynamic_cast<TlumSkinInternalScrollBar*>(c) != nullptr;
    }
    return n;
}

}  // namespace

TEST_F(SkinBases, ComboButtonGoesWithWhicheverGoesFirst) {
    enum TFirst { skinFirst, controlFirst, panelFirst };
    for (TFirst first : {skinFirst, controlFirst, panelFirst}) {
        auto* edit = Add<TEdit>(20, 20, 160, 24);
        edit->HandleNeeded();
        const int before = PanelsOwnedByEngine();
        auto skin = MakeSkin<TlumSkinExtComboboxLikeControl>(edit, &SkinWindow);
        TlumSkinInternalComboButton* panel = skin->GetComboButton();
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->GetParent(), edit);
        EXPECT_EQ(panel->GetAlign(), alRight);
        EXPECT_EQ(panel->GetWidth(), 16);
        EXPECT_EQ(PanelsOwnedByEngine(), before + 1);
        SendMessageA(edit->GetHandle(), WM_SKIN_REPAINT, 0, 0);
        switch (first) {
        case skinFirst:
            skin->Restore();
            EXPECT_EQ(skin->GetComboButton(), nullptr);
            skin.reset();
            delete edit;
            break;
        case controlFirst:
            delete edit;
            EXPECT_EQ(panel->GetHostControl(), nullptr);
            skin.reset();
            break;
        case panelFirst:
            delete panel;   // as the engine does when it goes
            EXPECT_EQ(skin->GetComboButton(), nullptr);
            skin->Restore();
            skin.reset();
            delete edit;
            break;
        }
        EXPECT_EQ(PanelsOwnedByEngine(), before) << first;
    }
}

// A real click on the drop-down panel reaches the control underneath, at the point it hit.
TEST_F(SkinBases, ComboButtonClicksReachTheHostWhereTheyHit) {
    auto* edit = Add<TEdit>(20, 20, 160, 24);
    edit->HandleNeeded();
    std::vector<std::pair<UINT, TPoint>> seen;
    edit->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { seen.push_back({WM_LBUTTONDOWN, {x, y}}); };
    edit->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int x, int y) { seen.push_back({WM_LBUTTONUP, {x, y}}); };
    auto skin = MakeSkin<TlumSkinExtComboboxLikeControl>(edit, &SkinWindow);
    ASSERT_NE(skin->GetComboButton(), nullptr);
    SetForegroundWindow(Form->GetHandle());
    Pump();
    POINT hit{8, 5};
    ClientToScreen(skin->GetComboButton()->GetHandle(), &hit);
    SetCursorPos(hit.x, hit.y);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    Pump();
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    Pump();
    POINT expected = hit;
    ScreenToClient(edit->GetHandle(), &expected);
    ASSERT_EQ(seen.size(), 2u);
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].first, i == 0 ? WM_LBUTTONDOWN : WM_LBUTTONUP);
        EXPECT_EQ(seen[i].second, TPoint(expected.x, expected.y));
    }
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(SkinBases, ScrollOverlaysOnlyForControlsWithTheirOwnBars) {
    struct {
        const char* Name;
        TWinControl* Control;
        bool Overlays;
    } cases[] = {
        {"memo", Add<TMemo>(10, 10, 150, 100), true},
        {"single-line edit", Add<TEdit>(10, 120, 150, 24), false},
        {"panel", Add<TPanel>(200, 10, 150, 100), true},
        {"multi-line masked edit", Add<TMultiLineMaskEdit>(200, 120, 150, 60), false},
    };
    for (const auto& c : cases) c.Control->HandleNeeded();
    ASSERT_NE(GetWindowLongA(cases[3].Control->GetHandle(), GWL_STYLE) & ES_MULTILINE, 0);
    for (const auto& c : cases) {
        auto skin = MakeSkin<TlumSkinScrollWinControl>(c.Control, &SkinWindow);
        EXPECT_EQ(skin->GetVertScrollBar() != nullptr, c.Overlays) << c.Name;
        EXPECT_EQ(skin->GetHorzScrollBar() != nullptr, c.Overlays) << c.Name;
        if (c.Overlays) {
            EXPECT_FALSE(skin->GetVertScrollBar()->GetHorizontal());
            EXPECT_TRUE(skin->GetHorzScrollBar()->GetHorizontal());
            EXPECT_EQ(skin->GetVertScrollBar()->GetParent(), Form.get());
        }
    }
}

// A control without a parent gets its overlays on the skin window's form; placed there later,
// its shown bar is covered by them.
TEST_F(SkinBases, ScrollOverlaysOfAControlWithoutParentLieOnTheSkinnedForm) {
    SkinWindow.Form = Form.get();
    auto memo = std::make_unique<TMemo>(nullptr);
    memo->SetBounds(10, 10, 150, 100);
    for (int i = 0; i < 40; ++i) memo->GetLines()->Add("line");
    memo->SetScrollBars(ssVertical);
    auto skin = MakeSkin<TlumSkinScrollWinControl>(memo.get(), &SkinWindow);
    ASSERT_NE(skin->GetVertScrollBar(), nullptr);
    ASSERT_NE(skin->GetHorzScrollBar(), nullptr);
    EXPECT_EQ(skin->GetVertScrollBar()->GetParent(), Form.get());
    EXPECT_EQ(skin->GetHorzScrollBar()->GetParent(), Form.get());
    memo->SetParent(Form.get());
    memo->HandleNeeded();
    SendMessageA(memo->GetHandle(), WM_SKIN_REPAINT, 0, 0);
    EXPECT_TRUE(skin->GetVertScrollBar()->GetVisible());
    EXPECT_FALSE(skin->GetVertScrollBar()->GetOverlayBitmap()->Empty());
    EXPECT_FALSE(skin->GetHorzScrollBar()->GetVisible());
    skin->Restore();
    skin.reset();
    SkinWindow.Form = nullptr;
}

TEST_F(SkinBases, ScrollOverlaysLeftAloneAreFreedToo) {
    const int before = PanelsOwnedByEngine();
    auto* memo = Add<TMemo>(10, 10, 150, 100);
    for (int i = 0; i < 40; ++i) memo->GetLines()->Add("line");
    memo->SetScrollBars(ssBoth);
    memo->HandleNeeded();
    auto skin = MakeSkin<TlumSkinScrollWinControl>(memo, &SkinWindow);
    ASSERT_NE(skin->GetVertScrollBar(), nullptr);
    SendMessageA(memo->GetHandle(), WM_SKIN_REPAINT, 0, 0);
    // The vertical bar shows: its overlay covers it with the skin's bar.
    EXPECT_TRUE(skin->GetVertScrollBar()->GetVisible());
    EXPECT_FALSE(skin->GetVertScrollBar()->GetOverlayBitmap()->Empty());
    delete skin->GetHorzScrollBar();   // one overlay gone on its own
    EXPECT_EQ(skin->GetHorzScrollBar(), nullptr);
    skin->Restore();
    EXPECT_EQ(skin->GetVertScrollBar(), nullptr);
    EXPECT_EQ(PanelsOwnedByEngine(), before);
    skin.reset();
    delete memo;
}

// The skin frame goes only round controls that have a border: a BorderStyle of bsNone or an
// empty set of bevel edges leaves the control's own corner pixel, whatever kind it is.
TEST_F(SkinBases, FrameOnlyWhereTheControlHasABorder) {
    enum TSetting { sDefault, sNoBorderStyle, sNoBevelEdges };
    const struct {
        const char* Name;
        TWinControl* (*Make)(TWinControl* parent);
        TSetting Setting;
        bool Frame;
    } cases[] = {
        {"list box", [](TWinControl* p) -> TWinControl* { return new TListBox(p); }, sDefault, true},
        {"list box", [](TWinControl* p) -> TWinControl* { return new TListBox(p); }, sNoBorderStyle, false},
        {"list box", [](TWinControl* p) -> TWinControl* { return new TListBox(p); }, sNoBevelEdges, false},
        {"grid", [](TWinControl* p) -> TWinControl* { return new TDrawGrid(p); }, sDefault, true},
        {"grid", [](TWinControl* p) -> TWinControl* { return new TDrawGrid(p); }, sNoBorderStyle, false},
        {"grid", [](TWinControl* p) -> TWinControl* { return new TDrawGrid(p); }, sNoBevelEdges, false},
        {"list view", [](TWinControl* p) -> TWinControl* { return new TListView(p); }, sDefault, true},
        {"list view", [](TWinControl* p) -> TWinControl* { return new TListView(p); }, sNoBorderStyle, false},
        {"list view", [](TWinControl* p) -> TWinControl* { return new TListView(p); }, sNoBevelEdges, false},
        {"scroll box", [](TWinControl* p) -> TWinControl* { return new TScrollBox(p); }, sDefault, true},
        {"scroll box", [](TWinControl* p) -> TWinControl* { return new TScrollBox(p); }, sNoBorderStyle, false},
        {"scroll box", [](TWinControl* p) -> TWinControl* { return new TScrollBox(p); }, sNoBevelEdges, false},
        {"memo", [](TWinControl* p) -> TWinControl* { return new TMemo(p); }, sDefault, true},
        {"memo", [](TWinControl* p) -> TWinControl* { return new TMemo(p); }, sNoBorderStyle, false},
        {"edit", [](TWinControl* p) -> TWinControl* { return new TEdit(p); }, sNoBevelEdges, false},
        {"date picker", [](TWinControl* p) -> TWinControl* { return new TDateTimePicker(p); }, sDefault, true},
        {"date picker", [](TWinControl* p) -> TWinControl* { return new TDateTimePicker(p); }, sNoBevelEdges, false},
    };
    const COLORREF border = ColorToRGB(Host().Engine->GetSkinColor(SKIN2_CONTROLBORDERCOLOR));
    for (const auto& c : cases) {
        TWinControl* control = c.Make(Form.get());
        control->SetParent(Form.get());
        control->SetBounds(20, 20, 160, 100);
        control->SetColor(clWhite);
        if (c.Setting == sNoBorderStyle) {
            if (auto* x = dynamic_cast<TCustomListBox*>(control)) x->SetBorderStyle(bsNone);
            if (auto* x = dynamic_cast<TCustomGrid*>(control)) x->SetBorderStyle(bsNone);
            if (auto* x = dynamic_cast<TCustomListView*>(control)) x->SetBorderStyle(bsNone);
            if (auto* x = dynamic_cast<TScrollBox*>(control)) x->SetBorderStyle(bsNone);
            if (auto* x = dynamic_cast<TCustomEdit*>(control)) x->SetBorderStyle(bsNone);
        } else if (c.Setting == sNoBevelEdges) {
            ASSERT_TRUE(control->HasProperty("BevelEdges")) << c.Name;
            control->SetBevelEdges(0);
        }
        control->HandleNeeded();
        std::unique_ptr<TlumSkinControlVCL> skin = FindSkinControlClass(control, &SkinWindow);
        ASSERT_NE(skin, nullptr) << c.Name;
        skin->ApplySkinColours();
        HWND wnd = control->GetHandle();
        RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        Pump();
        HDC dc = GetWindowDC(wnd);
        const COLORREF corner = GetPixel(dc, 0, 0);
        ReleaseDC(wnd, dc);
        EXPECT_EQ(corner == border, c.Frame) << c.Name << ", setting " << c.Setting;
        skin->Restore();
        skin.reset();
        delete control;
    }
}

// Painting asks for the control's window but never makes one.
TEST_F(SkinBases, PaintingNeverMakesAWindow) {
    auto* edit = new TEdit(Form.get());   // no parent yet: no window
    auto skin = MakeSkin<TlumSkinBorderWinControl>(edit, &SkinWindow);
    TBitmap bitmap(20, 20);
    skin->Paint();
    skin->PaintBitmapAndText(&bitmap, "text", TRect(0, 0, 20, 20), nullptr);
    skin->PaintBitmapAt(&bitmap, TPoint(0, 0));
    EXPECT_EQ(skin->GetControlHandle(), nullptr);
    EXPECT_FALSE(edit->HandleAllocated());
    skin.reset();
    delete edit;
}

namespace {
class TThrowingSkin : public TlumSkinBorderWinControl {
public:
    using TlumSkinBorderWinControl::TlumSkinBorderWinControl;
    bool BeforeMessage(TMessage& m) override {
        if (m.Msg == WM_SETTEXT) throw std::runtime_error("skin step failed");
        return true;
    }
    void AfterMessage(TMessage& m) override {
        if (m.Msg == WM_SETTEXT) throw std::runtime_error("skin step failed");
        TlumSkinBorderWinControl::AfterMessage(m);
    }
};
}  // namespace

TEST_F(SkinBases, AFailingSkinStepLeavesTheControlItsMessage) {
    auto* edit = Add<TEdit>(20, 20, 160, 24);
    auto skin = MakeSkin<TThrowingSkin>(edit, &SkinWindow);
    SetWindowTextA(edit->GetHandle(), "reached");
    char text[16] = {};
    GetWindowTextA(edit->GetHandle(), text, sizeof text);
    EXPECT_STREQ(text, "reached");
    EXPECT_EQ(SendMessageA(edit->GetHandle(), WM_SKIN_QUERY, 0, 0), 1);
    skin.reset();
    EXPECT_EQ(SendMessageA(edit->GetHandle(), WM_SKIN_QUERY, 0, 0), 0);
}

TEST_F(SkinBases, CyclesLeaveNoGdiObjects) {
    auto cycle = [&](bool controlsFirst) {
        auto* combo = Add<TEdit>(10, 10, 150, 24);
        auto* memo = Add<TMemo>(10, 50, 150, 100);
        memo->SetScrollBars(ssBoth);
        auto comboSkin = MakeSkin<TlumSkinExtComboboxLikeControl>(combo, &SkinWindow);
        auto memoSkin = MakeSkin<TlumSkinScrollWinControl>(memo, &SkinWindow);
        RedrawWindow(Form->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        if (controlsFirst) {
            delete combo;
            delete memo;
            comboSkin.reset();
            memoSkin.reset();
        } else {
            comboSkin->Restore();
            memoSkin->Restore();
            comboSkin.reset();
            memoSkin.reset();
            delete combo;
            delete memo;
        }
    };
    cycle(true);
    cycle(false);
    const long live = LiveGdiObjectCount();
    const int panels = PanelsOwnedByEngine();
    for (int i = 0; i < 20; ++i) cycle(i % 2 == 0);
    EXPECT_EQ(LiveGdiObjectCount(), live);
    EXPECT_EQ(PanelsOwnedByEngine(), panels);
}

// The window routines the skins share: a form found by its window, the work area (the system's
// here: one monitor), bounds from a rectangle, points on a rectangle's edges, and the two-pixel
// bands with the skin's line down the left, at two sizes.
TEST_F(SkinBases, FormLookupWorkAreaBoundsAndBorderBands) {
    EXPECT_EQ(FindFormByHandle(Form->GetHandle()), Form.get());
    auto* panel = Add<TPanel>(10, 10, 50, 40);
    EXPECT_EQ(FindFormByHandle(panel->GetHandle()), nullptr);
    EXPECT_EQ(FindFormByHandle(nullptr), nullptr);

    RECT system{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &system, 0);
    TRect area;
    GetWorkArea(area);
    EXPECT_EQ(area, TRect(system.left, system.top, system.right, system.bottom - 1));

    const TRect r(20, 30, 60, 50);
    for (const TPoint& p : {TPoint(20, 30), TPoint(60, 50), TPoint(60, 30), TPoint(40, 40)})
        EXPECT_TRUE(PointInRect(p, r)) << p.X << ", " << p.Y;
    for (const TPoint& p : {TPoint(19, 30), TPoint(61, 50), TPoint(40, 51)}) EXPECT_FALSE(PointInRect(p, r)) << p.X;

    const COLORREF line = ColorToRGB(Host().Engine->GetSkinColor(SKIN2_CONTROLBORDERCOLOR));
    for (const TRect& bounds : {TRect(30, 60, 130, 120), TRect(200, 40, 260, 70)}) {
        SetControlBounds(panel, bounds);
        EXPECT_EQ(panel->GetBoundsRect(), bounds);
        ProcessMessagesAWhile();
        DrawSkinBorderBands(panel, Host().Engine, clRed);
        HWND h = panel->GetHandle();
        const int w = bounds.Width(), ht = bounds.Height();
        EXPECT_EQ(ClientPixel(h, 0, ht / 2), line) << "left line";
        EXPECT_EQ(ClientPixel(h, 1, ht / 2), ColorToRGB(clRed)) << "left band";
        for (const POINT& p : {POINT{w / 2, 0}, POINT{w / 2, 1}, POINT{w - 1, ht / 2}, POINT{w - 2, ht / 2},
                               POINT{w / 2, ht - 1}, POINT{w / 2, ht - 2}})
            EXPECT_EQ(ClientPixel(h, p.x, p.y), ColorToRGB(clRed)) << p.x << ", " << p.y;
        EXPECT_NE(ClientPixel(h, w / 2, ht / 2), ColorToRGB(clRed)) << "inside untouched";
    }
}
