// Skins of standard windows in a plain test window (buttons, check boxes, radio buttons, combo
// boxes, tab controls), made through the window-class table with the default skin: clicks from
// real mouse and keyboard input, the skin's own pixels on screen, what goes back on unskin, and
// teardown in either order without leaking GDI objects.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/handles.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_registry_win.h"
#include "skin/skin_std_wnd_win.h"
#include "skin/skin_utils_win.h"
#include "tests/skin/support/skin_test_support.h"

namespace {

const auto* kEnv = ::testing::AddGlobalTestEnvironment(new TSkinGuiEnvironment([] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&icc);
    RegisterStdWndSkins();
}));

// Standard windows here get a little longer to settle than forms.
constexpr int kPump = 60;

// A plain top-level window that counts the BN_CLICKED notifications of its children.
std::map<int, int> gClicks;

LRESULT CALLBACK ParentProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) ++gClicks[LOWORD(wParam)];
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

struct TTestWindow {
    TTestWindow() {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = ParentProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "SkinStdWndTestParent";
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            registered = RegisterClassA(&wc) != 0;
        }
        Wnd = CreateWindowExA(0, "SkinStdWndTestParent", "test", WS_POPUP | WS_VISIBLE, 420, 60, 420, 320, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
        SetForegroundWindow(Wnd);
        gClicks.clear();
    }
    ~TTestWindow() {
        if (IsWindow(Wnd)) DestroyWindow(Wnd);
    }
    HWND Child(const char* cls, DWORD style, int id, int x, int y, int w, int h, const char* text = "") {
        return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, Wnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    }
    HWND Wnd;
};

}  // namespace

TEST(SkinStdWnd, RegistrationMakesSevenRowsOnce) {
    const int rows = SkinWndClassCount();
    RegisterStdWndSkins();
    EXPECT_EQ(SkinWndClassCount(), rows);
    EXPECT_GE(rows, 7);
}

TEST(SkinStdWnd, ButtonClicksOncePerRealClick) {
    TTestWindow parent;
    HWND button = parent.Child("BUTTON", BS_PUSHBUTTON, 7, 20, 20, 120, 40, "");
    TTestSkinWindow skinWindow;
    auto skin = FindSkinWndClass(button, &skinWindow);
    ASSERT_NE(skin, nullptr);
    ASSERT_STREQ(skin->ClassName(), "TlumSkinWndButton");
    // Outside: the parent's bare background, which takes no capture of its own.
    const POINT inside = ScreenPoint(button, 60, 20), outside = ScreenPoint(parent.Wnd, 200, 200);

    struct Case {
        const char* Name;
        std::function<void()> Act;
        int Clicks;
    } cases[] = {
        {"click inside", [&] { MoveTo(inside); Press(); Release(); }, 1},
        {"double click", [&] { MoveTo(inside); Press(); Release(); Press(); Release(); }, 2},
        {"press, drag off, release", [&] { MoveTo(inside); Press(); MoveTo(outside); Release(); }, 0},
        {"drag off, then a press elsewhere released over it", [&] {
             MoveTo(inside); Press(); MoveTo(outside); Release();
             Press(); MoveTo(inside); Release();
         }, 0},
        {"press, off and back, release", [&] { MoveTo(inside); Press(); MoveTo(outside); MoveTo(inside); Release(); }, 1},
        {"space", [&] { SetFocus(button); Key(VK_SPACE, true); Key(VK_SPACE, false); }, 1},
        {"space held (repeats)", [&] {
             SetFocus(button);
             Key(VK_SPACE, true);
             Key(VK_SPACE, true);
             Key(VK_SPACE, false);
         }, 1},
        {"enter", [&] { SetFocus(button); Key(VK_RETURN, true); Key(VK_RETURN, false); }, 0},
    };
    for (const Case& c : cases) {
        gClicks.clear();
        c.Act();
        Pump(60);
        EXPECT_EQ(gClicks[7], c.Clicks) << c.Name;
    }
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(SkinStdWnd, ButtonShowsTheSkinSlices) {
    TTestWindow parent;
    TlumSkinEngine* engine = Host().Engine;
    TBitmap slices[3];
    for (int k = 0; k < 3; ++k) ASSERT_TRUE(engine->GetSkinBitmapPart(SKIN2_BUTTON, &slices[k], k + 1, 3));
    const int w = slices[0].GetWidth(), h = slices[0].GetHeight();
    // A spot of the top-left corner (drawn unscaled) where the three slices differ and none
    // is transparent, away from the focus rectangle.
    const TColor trans = engine->Metrics().TransparentColor;
    int sx = -1, sy = -1;
    for (int y = 0; y < h / 2 && sx < 0; ++y)
        for (int x = 0; x < w / 2 && sx < 0; ++x) {
            if (x == 5 || y == 5 || x == 6 || y == 6) continue;
            const TColor a = slices[0].GetCanvas()->GetPixel(x, y), b = slices[1].GetCanvas()->GetPixel(x, y),
                         c = slices[2].GetCanvas()->GetPixel(x, y);
            if (a != b && b != c && a != c && a != trans && b != trans && c != trans) sx = x, sy = y;
        }
    ASSERT_GE(sx, 0) << "the skin's button slices are alike in their corner";

    HWND button = parent.Child("BUTTON", BS_PUSHBUTTON, 7, 20, 20, 2 * w + 20, 2 * h + 10, "");
    HWND other = parent.Child("BUTTON", BS_PUSHBUTTON, 8, 20, 200, 60, 30, "");
    TTestSkinWindow skinWindow;
    skinWindow.AnimationOrProgress = true;   // no timer: the test moves the cursor itself
    auto skin = FindSkinWndClass(button, &skinWindow);
    ASSERT_NE(skin, nullptr);
    MoveTo(ScreenPoint(other, 5, 5));
    SendMessageA(button, WM_SKIN_REPAINT, 0, 0);
    Pump(kPump);
    auto shown = [&] { return ClientPixel(button, sx, sy); };
    EXPECT_EQ(shown(), ColorToRGB(slices[0].GetCanvas()->GetPixel(sx, sy))) << "normal";
    MoveTo(ScreenPoint(button, w, h));
    EXPECT_EQ(shown(), ColorToRGB(slices[1].GetCanvas()->GetPixel(sx, sy))) << "hot";
    Press();
    EXPECT_EQ(shown(), ColorToRGB(slices[2].GetCanvas()->GetPixel(sx, sy))) << "pressed";
    Release();
    Pump(kPump);
}

TEST(SkinStdWnd, CheckAndRadioBoxesShowTheirCells) {
    struct {
        LRESULT Check;
        bool Enabled;
        int CheckCell, RadioCell;
    } table[] = {
        {BST_CHECKED, true, 1, 1},  {BST_INDETERMINATE, true, 2, 1},  {BST_UNCHECKED, true, 3, 2},
        {BST_CHECKED, false, 4, 3}, {BST_INDETERMINATE, false, 5, 3}, {BST_UNCHECKED, false, 6, 4},
    };
    TTestWindow parent;
    HWND box = parent.Child("BUTTON", BS_AUTO3STATE, 3, 20, 20, 160, 24, "box");
    HWND radio = parent.Child("BUTTON", BS_AUTORADIOBUTTON, 4, 20, 80, 160, 24, "radio");
    TTestSkinWindow skinWindow;
    auto boxSkin = FindSkinWndClass(box, &skinWindow);
    auto radioSkin = FindSkinWndClass(radio, &skinWindow);
    ASSERT_NE(boxSkin, nullptr);
    ASSERT_NE(radioSkin, nullptr);
    ASSERT_STREQ(boxSkin->ClassName(), "TlumSkinWndCheckBox");
    ASSERT_STREQ(radioSkin->ClassName(), "TlumSkinWndRadioButton");
    for (const auto& row : table) {
        EXPECT_EQ(TlumSkinWndCheckBox::Cell(row.Check, row.Enabled), row.CheckCell);
        EXPECT_EQ(TlumSkinWndRadioButton::Cell(row.Check, row.Enabled), row.RadioCell);
        for (HWND w : {box, radio}) {
            EnableWindow(w, row.Enabled);
            SendMessageA(w, BM_SETCHECK, static_cast<WPARAM>(row.Check), 0);
            RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
        Pump(30);
        const auto boxCells = ShownCells(box, 0, 0, SKIN2_CHECKBOX, 6);
        const auto radioCells = ShownCells(radio, 0, 0, SKIN2_RADIOBUTTON, 4);
        EXPECT_TRUE(Shows(boxCells, row.CheckCell)) << "check " << row.Check << " " << row.Enabled;
        EXPECT_TRUE(Shows(radioCells, row.RadioCell)) << "radio " << row.Check << " " << row.Enabled;
        EXPECT_LE(boxCells.size(), 2u);
        EXPECT_LE(radioCells.size(), 2u);
    }
}

TEST(SkinStdWnd, ComboBoxIsFramedOnlyWhenTheSystemDescribesIt) {
    TTestWindow parent;
    const COLORREF border = ColorToRGB(Host().Engine->GetSkinColor(SKIN2_CONTROLBORDERCOLOR));
    TTestSkinWindow skinWindow;
    struct {
        const char* Name;
        bool LookupFails;
    } cases[] = {{"described", false}, {"GetComboBoxInfo fails", true}};
    for (const auto& c : cases) {
        HWND combo = parent.Child("COMBOBOX", CBS_DROPDOWNLIST, 5, 20, 20, 160, 200);
        Pump(30);
        HDC dc = GetWindowDC(combo);
        const COLORREF native = GetPixel(dc, 0, 0);
        ReleaseDC(combo, dc);
        if (c.LookupFails) LUMSkinUtils::SetProcLookup([](const char*) -> FARPROC { return nullptr; });
        auto skin = FindSkinWndClass(combo, &skinWindow);
        ASSERT_NE(skin, nullptr);
        RedrawWindow(combo, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        Pump(30);
        dc = GetWindowDC(combo);
        const COLORREF corner = GetPixel(dc, 0, 0);
        ReleaseDC(combo, dc);
        EXPECT_EQ(corner, c.LookupFails ? native : border) << c.Name;
        LUMSkinUtils::SetProcLookup(nullptr);
        skin.reset();
        DestroyWindow(combo);
    }
}

TEST(SkinStdWnd, TabHeightComesBackOnUnskin) {
    TTestWindow parent;
    HWND tabs = parent.Child(WC_TABCONTROLA, 0, 6, 20, 20, 300, 200);
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    for (const char* text : {"first", "second"}) {
        item.pszText = const_cast<char*>(text);
        SendMessageA(tabs, TCM_INSERTITEMA, 99, reinterpret_cast<LPARAM>(&item));
    }
    auto tabRect = [&](int i) {
        RECT r{};
        SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
        return r;
    };
    const RECT before = tabRect(0);
    TTestSkinWindow skinWindow;
    auto skin = FindSkinWndClass(tabs, &skinWindow);
    ASSERT_NE(skin, nullptr);
    auto* tabSkin = dynamic_cast<TlumSkinWndTabControl*>(skin.get());
    ASSERT_NE(tabSkin, nullptr);
    EXPECT_EQ(tabSkin->GetRememberedTabHeight(), before.bottom - before.top);
    RedrawWindow(tabs, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump(30);
    EXPECT_EQ(tabRect(0).bottom - tabRect(0).top, before.bottom - before.top) << "tabs keep their size";
    // Someone makes the tabs taller while skinned; the skin gives the height back.
    SendMessageA(tabs, TCM_SETITEMSIZE, 0, MAKELPARAM(80, (before.bottom - before.top) + 12));
    ASSERT_NE(tabRect(0).bottom - tabRect(0).top, before.bottom - before.top);
    skin->Restore();
    skin.reset();
    EXPECT_EQ(tabRect(0).bottom - tabRect(0).top, before.bottom - before.top);
}

TEST(SkinStdWnd, SkinQueryIsAnsweredWhileHooked) {
    TTestWindow parent;
    HWND button = parent.Child("BUTTON", BS_PUSHBUTTON, 7, 20, 20, 100, 30, "ok");
    EXPECT_EQ(SendMessageA(button, WM_SKIN_QUERY, 0, 0), 0);
    TTestSkinWindow skinWindow;
    auto skin = FindSkinWndClass(button, &skinWindow);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(SendMessageA(button, WM_SKIN_QUERY, 0, 0), 1);
    Host().Engine->SetActive(false);   // passing everything on, still skinned
    EXPECT_EQ(SendMessageA(button, WM_SKIN_QUERY, 0, 0), 1);
    Host().Engine->SetActive(true);
    skin.reset();
    EXPECT_EQ(SendMessageA(button, WM_SKIN_QUERY, 0, 0), 0);
}

// Skins whose window goes first and windows whose skin goes first, painted and clicked, leave
// no GDI object behind.
TEST(SkinStdWnd, TeardownInAnyOrderWithoutGrowth) {
    TTestSkinWindow skinWindow;
    auto cycle = [&](bool windowsFirst) {
        TTestWindow parent;
        std::vector<HWND> children = {
            parent.Child("BUTTON", BS_PUSHBUTTON, 1, 10, 10, 100, 30, "push"),
            parent.Child("BUTTON", BS_AUTOCHECKBOX, 2, 10, 50, 100, 20, "check"),
            parent.Child("BUTTON", BS_AUTORADIOBUTTON, 3, 10, 80, 100, 20, "radio"),
            parent.Child("COMBOBOX", CBS_DROPDOWN, 4, 10, 110, 100, 200),
            parent.Child(WC_TABCONTROLA, 0, 5, 150, 10, 200, 150),
        };
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>("tab");
        SendMessageA(children[4], TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        std::vector<std::unique_ptr<TlumSkinControlWnd>> skins;
        for (HWND child : children) skins.push_back(FindSkinWndClass(child, &skinWindow));
        for (auto& s : skins) ASSERT_NE(s, nullptr);
        RedrawWindow(parent.Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        SendMessageA(children[0], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(children[0], WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        Pump(200);   // a tick of the buttons' timer too
        if (windowsFirst) {
            DestroyWindow(parent.Wnd);
            skins.clear();
        } else {
            for (auto& s : skins) s->Restore();
            skins.clear();
            for (HWND child : children) EXPECT_EQ(SendMessageA(child, WM_SKIN_QUERY, 0, 0), 0);
        }
    };
    cycle(true);
    cycle(false);
    const long live = LiveGdiObjectCount();
    for (int i = 0; i < 20; ++i) cycle(i % 2 == 0);
    EXPECT_EQ(LiveGdiObjectCount(), live);
}

// A skin freed by one of its own steps, directly or left to the message under way, stops at
// once; the window keeps working and is given back.
namespace {
class TSelfFreeingSkin : public TlumSkinControlWnd {
public:
    TSelfFreeingSkin(HWND wnd, TlumSkinWindowIntf* skinWindow, std::unique_ptr<TlumSkinControlWnd>* holder,
                     bool deferred)
        : TlumSkinControlWnd(wnd, skinWindow), Holder(holder), Deferred(deferred) {}
    ~TSelfFreeingSkin() override { ++Freed; }
    bool BeforeMessage(TMessage& m) override {
        if (m.Msg != WM_SETTEXT) return true;
        if (Deferred) {
            FreeSkin(std::move(*Holder));
            EXPECT_EQ(Freed, 0);   // not yet: the message is under way
        } else {
            Holder->reset();
        }
        return true;
    }
    void AfterMessage(TMessage& m) override {
        ++AfterCalls;
        TlumSkinControlWnd::AfterMessage(m);
    }
    std::unique_ptr<TlumSkinControlWnd>* Holder;
    bool Deferred;
    static int AfterCalls, Freed;
};
int TSelfFreeingSkin::AfterCalls = 0;
int TSelfFreeingSkin::Freed = 0;
}  // namespace

TEST(SkinStdWnd, SkinFreedInsideItsOwnMessageStops) {
    for (bool deferred : {false, true}) {
        TTestWindow parent;
        HWND button = parent.Child("BUTTON", BS_PUSHBUTTON, 7, 20, 20, 100, 30, "old");
        TTestSkinWindow skinWindow;
        std::unique_ptr<TlumSkinControlWnd> holder;
        auto* skin = new TSelfFreeingSkin(button, &skinWindow, &holder, deferred);
        holder.reset(skin);
        skin->Install();
        TSelfFreeingSkin::AfterCalls = TSelfFreeingSkin::Freed = 0;
        SetWindowTextA(button, "new");
        EXPECT_EQ(holder, nullptr) << deferred;
        EXPECT_EQ(TSelfFreeingSkin::Freed, 1) << deferred;
        EXPECT_EQ(TSelfFreeingSkin::AfterCalls, 0) << deferred;
        char text[16] = {};
        GetWindowTextA(button, text, sizeof text);
        EXPECT_STREQ(text, "new") << deferred;   // the window still got its message
        EXPECT_EQ(SendMessageA(button, WM_SKIN_QUERY, 0, 0), 0) << deferred;
    }
}
