// The skinned form's menu bar: it stands for the main menu in the client area with the controls
// moved down once, and unskinning gives back the native menu, the places and the size; menu
// shortcuts and Alt with an item's hot key work through the application's messages without
// displacing the program's own key filter; the bar's colours and its hot button come from the
// skin; the application's own size limits stay; a recreated form tells its listeners and stays
// skinned with its bar; items and the menu freed while skinned are forgotten. Real keyboard
// input: runs alone.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/menus.h"
#include "classlib/gui/standard_controls.h"
#include "classlib/gui/tool_bar.h"
#include "classlib/gui/window_proc_hook.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_keys.h"
#include "skin/skin_utils_win.h"
#include "skin/skin_window_vcl_win.h"
#include "tests/skin/support/skin_test_support.h"
#include "tests/support/tempdir.h"

namespace {

const auto* kEnv = ::testing::AddGlobalTestEnvironment(new TSkinGuiEnvironment);

// The engine's form, loaded as the programs' main forms load theirs.
struct TSkinnedForm : TSkinnedMainForm {
    TSkinnedForm() : TSkinnedMainForm(20, 20, 240, 160) {}
};

LRESULT Query(HWND window) { return SendMessageA(window, WM_SKIN_QUERY, 0, 0); }

// A form with "&File" (Open Ctrl+O, Exit), "&Edit" (Copy) and "&Help" (no sub-items) and a
// button at top 10; the menu is its bar before the skin sees it.
struct TMenuForm {
    explicit TMenuForm(int ownMinWidth = 0) : Form(new TForm(nullptr)) {
        Form->GetConstraints()->SetMinWidth(ownMinWidth);
        Form->SetBounds(300, 200, 360, 240);
        Form->SetCaption("menu form");
        Menu = new TMainMenu(Form.get());
        TMenuItem* file = Item(Menu->GetItems(), "&File");
        Open = Item(file, "&Open", &OpenClicks);
        Open->SetShortCut(MakeShortCut('O', scCtrl));
        Item(file, "E&xit");
        TMenuItem* edit = Item(Menu->GetItems(), "&Edit");
        Item(edit, "&Copy", &CopyClicks);
        Item(Menu->GetItems(), "&Help", &HelpClicks);
        Button = new TButton(Form.get());
        Button->SetParent(Form.get());
        Button->SetBounds(10, 10, 80, 24);
        Form->SetMenu(Menu);
        RECT client{};
        ::GetClientRect(Form->GetHandle(), &client);
        NativeClientHeight = client.bottom;
    }
    TMenuItem* Item(TMenuItem* parent, const char* caption, int* clicks = nullptr) {
        auto* item = new TMenuItem(Form.get());
        item->SetCaption(caption);
        if (clicks) item->OnClick = [clicks](TObject*) { ++*clicks; };
        parent->Add(item);
        return item;
    }
    HWND Show() {
        Form->Show();
        HWND h = Form->GetHandle();
        SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(h);
        ProcessMessagesAWhile();
        return h;
    }
    int ClientHeight() const {
        RECT client{};
        ::GetClientRect(Form->GetHandle(), &client);
        return client.bottom;
    }
    std::unique_ptr<TForm> Form;
    TMainMenu* Menu;
    TMenuItem* Open;
    TButton* Button;
    int NativeClientHeight = 0;
    int OpenClicks = 0, CopyClicks = 0, HelpClicks = 0;
};

TlumSkinWindowVCL* SkinOf(TlumSkinEngine* engine, HWND h) {
    return dynamic_cast<TlumSkinWindowVCL*>(engine->FindSkinWindow(h));
}

// Real input from a second thread while this one runs the messages (an open menu runs its own
// loop until a key or click ends it).
void RunInput(const std::vector<std::function<void()>>& steps) { PlayInput(steps, 80); }

std::function<void()> KeyStep(BYTE key, bool down) {
    return [=] { keybd_event(key, 0, down ? 0 : KEYEVENTF_KEYUP, 0); };
}

void Type(const std::vector<std::pair<BYTE, bool>>& keys) {
    std::vector<std::function<void()>> steps;
    for (const auto& key : keys) steps.push_back(KeyStep(key.first, key.second));
    RunInput(steps);
}

// A left click at a point of the window's client area.
std::vector<std::function<void()>> ClickAt(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    return {[=] {
                mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (p.x * 65536 + w - 1) / w, (p.y * 65536 + h - 1) / h, 0, 0);
                SetCursorPos(p.x, p.y);
            },
            [] { mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0); }, [] { mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0); }};
}

COLORREF ScreenPixel(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    HDC dc = GetDC(nullptr);
    const COLORREF c = GetPixel(dc, p.x, p.y);
    ReleaseDC(nullptr, dc);
    return c;
}

bool Near(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 8 && std::abs(GetGValue(a) - GetGValue(b)) <= 8 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 8;
}

}  // namespace

TEST(SkinMenuBar, StandsForTheMainMenuAndUnskinningGivesEverythingBack) {
    TSkinnedForm main;
    TMenuForm f;
    // A menu tagged to keep its own look keeps its own owner-drawing through skin and unskin.
    auto* own = new TPopupMenu(f.Form.get());
    own->SetTag(9999);
    own->SetOwnerDraw(true);
    HMENU native = GetMenu(f.Form->GetHandle());
    ASSERT_NE(native, nullptr);
    HWND h = f.Show();
    ASSERT_EQ(Query(h), 1);
    // Skinned twice over: the controls move down once.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        TlumSkinWindowVCL* skin = SkinOf(main.Engine, h);
        ASSERT_NE(skin, nullptr);
        TlumSkinMenuBar* bar = skin->GetMenuBar();
        const int barHeight = bar->GetHeight();
        EXPECT_EQ(GetMenu(h), nullptr);
        EXPECT_TRUE(bar->GetVisible());
        EXPECT_TRUE(IsWindowVisible(bar->GetHandle()));
        EXPECT_EQ(bar->GetTop(), 0);
        EXPECT_GT(barHeight, 10);
        EXPECT_EQ(SendMessageA(h, WM_SKIN_MENUBARHEIGHT, 0, 0), barHeight);
        ASSERT_EQ(bar->ButtonCount(), 3);
        EXPECT_EQ(bar->Buttons(0)->GetCaption(), "&File");
        EXPECT_EQ(bar->Buttons(1)->GetCaption(), "&Edit");
        EXPECT_EQ(bar->Buttons(2)->GetCaption(), "&Help");
        EXPECT_EQ(f.Button->GetTop(), 10 + barHeight);
        EXPECT_EQ(f.ClientHeight(), f.NativeClientHeight + barHeight);
        EXPECT_TRUE(f.Menu->GetOwnerDraw());
        EXPECT_TRUE(own->GetOwnerDraw());

        main.Engine->UnskinWindow(h);
        ProcessMessagesAWhile();
        EXPECT_EQ(Query(h), 0);
        EXPECT_EQ(GetMenu(h), f.Menu->GetHandle());
        EXPECT_EQ(f.Form->GetMenu(), f.Menu);
        EXPECT_EQ(f.Button->GetTop(), 10);
        EXPECT_EQ(f.ClientHeight(), f.NativeClientHeight);
        EXPECT_FALSE(f.Menu->GetOwnerDraw());
        EXPECT_TRUE(own->GetOwnerDraw());
        // The menu answers its commands through the form again.
        SendMessageA(h, WM_COMMAND, f.Open->GetCommand(), 0);
        EXPECT_EQ(f.OpenClicks, 1);
        f.OpenClicks = 0;

        main.Engine->SkinWindow(h, false);
        ProcessMessagesAWhile();
        ASSERT_EQ(Query(h), 1);
    }
}

TEST(SkinMenuBar, ShortcutsAndAltHotKeysWorkBesideTheProgramsKeyFilter) {
    TSkinnedForm main;
    // The program's own filter comes first; swallowing a key keeps it from the menu.
    for (bool swallow : {false, true}) {
        SCOPED_TRACE(swallow);
        int filterSaw = 0;
        Application->OnMessage = [&](TMsg& msg, bool& handled) {
            if (msg.message != WM_KEYDOWN || msg.wParam != 'O') return;
            ++filterSaw;
            handled = swallow;
        };
        TMenuForm f;
        HWND h = f.Show();
        ASSERT_EQ(Query(h), 1);
        ASSERT_EQ(GetMenu(h), nullptr);
        Type({{VK_CONTROL, true}, {'O', true}, {'O', false}, {VK_CONTROL, false}});
        EXPECT_EQ(filterSaw, 1);
        EXPECT_EQ(f.OpenClicks, swallow ? 0 : 1);
        // Alt+E opens "&Edit" below its button; C picks "&Copy" from the owner-drawn items.
        Type({{VK_MENU, true}, {'E', true}, {'E', false}, {VK_MENU, false}, {'C', true}, {'C', false}});
        EXPECT_EQ(f.CopyClicks, 1);
        Application->OnMessage = nullptr;
    }
}

TEST(SkinMenuBar, ClickedButtonOpensItsMenuOrClicksAnItemWithoutOne) {
    TSkinnedForm main;
    TMenuForm f;
    HWND h = f.Show();
    ASSERT_EQ(Query(h), 1);
    TlumSkinMenuBar* bar = SkinOf(main.Engine, h)->GetMenuBar();
    HWND barWindow = bar->GetHandle();
    auto centre = [&](int index) {
        const TRect r = bar->Buttons(index)->GetBoundsRect();
        return ClickAt(barWindow, r.Left + r.Width() / 2, r.Top + r.Height() / 2);
    };
    // "&File": its menu opens below the button; O picks "&Open".
    std::vector<std::function<void()>> steps = centre(0);
    steps.push_back(KeyStep('O', true));
    steps.push_back(KeyStep('O', false));
    RunInput(steps);
    EXPECT_EQ(f.OpenClicks, 1);
    // "&Help" has no menu: the click is the item's.
    RunInput(centre(2));
    EXPECT_EQ(f.HelpClicks, 1);
    EXPECT_EQ(f.OpenClicks, 1);
}

// Alt with the hot key of an item without sub-items only marks its button: Enter then clicks
// it, once, and the keys go back where they were. A press exactly at such a button's top-left
// point is the bar's own keyboard click and clicks nothing.
TEST(SkinMenuBar, AltHotKeyMarksAnItemWithoutSubItemsAndEnterClicksIt) {
    TSkinnedForm main;
    TMenuForm f;
    HWND h = f.Show();
    ASSERT_EQ(Query(h), 1);
    f.Button->SetFocus();
    HWND focus = f.Button->GetHandle();
    ASSERT_EQ(GetFocus(), focus);
    TlumSkinMenuBar* bar = SkinOf(main.Engine, h)->GetMenuBar();
    MoveTo(POINT{1000, 760});   // no button hot under the mouse, and the bar told so
    Pump(400);
    Type({{VK_MENU, true}, {'H', true}, {'H', false}, {VK_MENU, false}});
    EXPECT_EQ(f.HelpClicks, 0);
    EXPECT_EQ(bar->HotButton(), bar->Buttons(2));
    Type({{VK_RETURN, true}, {VK_RETURN, false}});
    EXPECT_EQ(f.HelpClicks, 1);
    EXPECT_EQ(GetFocus(), focus);

    const TRect r = bar->Buttons(2)->GetBoundsRect();
    RunInput(ClickAt(bar->GetHandle(), r.Left, r.Top));
    EXPECT_EQ(f.HelpClicks, 1);
    RunInput(ClickAt(bar->GetHandle(), r.Left + 2, r.Top + 2));
    EXPECT_EQ(f.HelpClicks, 2);
}

// A real click at a button's top-left point is no keyboard click: it leaves the focus and the
// keys with the form's control, and a button with sub-items still opens its menu.
TEST(SkinMenuBar, RealClickAtAButtonsCornerLeavesTheKeysWithTheForm) {
    TSkinnedForm main;
    TMenuForm f;
    auto* edit = new TEdit(f.Form.get());
    edit->SetParent(f.Form.get());
    edit->SetBounds(10, 60, 120, 24);
    HWND h = f.Show();
    ASSERT_EQ(Query(h), 1);
    edit->SetFocus();
    ASSERT_EQ(GetFocus(), edit->GetHandle());
    TlumSkinMenuBar* bar = SkinOf(main.Engine, h)->GetMenuBar();
    const TRect help = bar->Buttons(2)->GetBoundsRect();
    RunInput(ClickAt(bar->GetHandle(), help.Left, help.Top));
    EXPECT_EQ(f.HelpClicks, 0);
    EXPECT_EQ(GetFocus(), edit->GetHandle());
    Type({{'K', true}, {'K', false}});
    EXPECT_EQ(edit->GetText(), "k");

    const TRect file = bar->Buttons(0)->GetBoundsRect();
    std::vector<std::function<void()>> steps = ClickAt(bar->GetHandle(), file.Left, file.Top);
    steps.push_back(KeyStep('O', true));
    steps.push_back(KeyStep('O', false));
    RunInput(steps);
    EXPECT_EQ(f.OpenClicks, 1);
    EXPECT_EQ(edit->GetText(), "k");
}

TEST(SkinMenuBar, ColoursAndHotButtonComeFromTheSkin) {
    TSkinnedForm main;
    TMenuForm f;
    HWND h = f.Show();
    ASSERT_EQ(Query(h), 1);
    TlumSkinMenuBar* bar = SkinOf(main.Engine, h)->GetMenuBar();
    TlumSkinEngine* e = main.Engine;
    EXPECT_EQ(bar->GetColor(), e->GetSkinColor(SKIN2_MENUBARSTARTCOLOR));
    HWND barWindow = bar->GetHandle();
    RedrawWindow(barWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ProcessMessagesAWhile();
    // The empty end of the bar: the skin's picture stretched, else its start colour on top.
    const int x = bar->GetWidth() - 3;
    TBitmap* picture = e->GetSkinBitmap(SKIN2_MENUBAR);
    COLORREF expected = static_cast<COLORREF>(e->GetSkinColor(SKIN2_MENUBARSTARTCOLOR));
    if (picture && !picture->Empty())
        expected = GetPixel(picture->GetCanvas()->GetHandle(), picture->GetWidth() - 1, 0);
    EXPECT_PRED2(Near, ScreenPixel(barWindow, x, 0), expected);

    // A hot button: Tag 888, the selected fill inside and its border around; the other 0.
    SendMessageA(barWindow, TB_SETHOTITEM, 0, 0);
    RedrawWindow(barWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ProcessMessagesAWhile();
    TToolButton* hot = bar->Buttons(0);
    EXPECT_EQ(hot->GetTag(), TlumSkinMenuBar::kHotTag);
    EXPECT_EQ(bar->Buttons(1)->GetTag(), 0);
    EXPECT_EQ(bar->Buttons(2)->GetTag(), 0);
    EXPECT_EQ(bar->HotButton(), hot);
    const TRect r = hot->GetBoundsRect();
    EXPECT_PRED2(Near, ScreenPixel(barWindow, r.Left + 2, r.Top + 2),
                 static_cast<COLORREF>(e->GetSkinColor(SKIN2_TOPSELECTEDMENUCOLOR)));
    EXPECT_PRED2(Near, ScreenPixel(barWindow, r.Left, r.Top + r.Height() / 2),
                 static_cast<COLORREF>(e->GetSkinColor(SKIN2_TOPSELECTEDMENUBORDERCOLOR)));
    SendMessageA(barWindow, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
    RedrawWindow(barWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ProcessMessagesAWhile();
    EXPECT_EQ(hot->GetTag(), 0);
}

// Each bar button is as wide as its own caption in the menu font. Seen hot under the real
// cursor, a short and a long caption each stand in a frame their own width (plus the same
// margin), not in the widest caption's.
TEST(SkinMenuBar, ButtonsAreAsWideAsTheirCaptions) {
    TSkinnedForm main;
    TMenuForm f;
    f.Item(f.Menu->GetItems(), "&Arrange every window");
    HWND h = f.Show();
    // Skinned again after the skin was taken off: the new bar's buttons size themselves too.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round ? "reskinned" : "first skinned");
        if (round) {
            main.Engine->UnskinWindow(h);
            ProcessMessagesAWhile();
            main.Engine->SkinWindow(h, false);
            ProcessMessagesAWhile();
        }
        ASSERT_EQ(Query(h), 1);
        TlumSkinMenuBar* bar = SkinOf(main.Engine, h)->GetMenuBar();
        ASSERT_EQ(bar->ButtonCount(), 4);
        HWND barWindow = bar->GetHandle();
        const COLORREF frame = static_cast<COLORREF>(ColorToRGB(main.Engine->GetSkinColor(SKIN2_TOPSELECTEDMENUBORDERCOLOR)));
        ASSERT_FALSE(Near(frame, static_cast<COLORREF>(ColorToRGB(main.Engine->GetSkinColor(SKIN2_TOPSELECTEDMENUCOLOR)))));
        TFont menuFont;
        SetMenuFont(&menuFont);
        struct {
            int Index;
            const char* Shown;   // the caption as drawn, without its hot-key mark
            int Text = 0, Width = 0;
        } cases[] = {{0, "File"}, {3, "Arrange every window"}};
        for (auto& c : cases) {
            SCOPED_TRACE(c.Shown);
            HDC dc = GetDC(barWindow);
            HGDIOBJ old = SelectObject(dc, menuFont.GetHandle());
            SIZE size{};
            GetTextExtentPoint32A(dc, c.Shown, static_cast<int>(strlen(c.Shown)), &size);
            SelectObject(dc, old);
            ReleaseDC(barWindow, dc);
            c.Text = size.cx;
            const TRect r = bar->Buttons(c.Index)->GetBoundsRect();
            MoveTo(ScreenPoint(barWindow, r.Left + r.Width() / 2, r.Top + r.Height() / 2));
            Pump(200);
            ASSERT_EQ(bar->HotButton(), bar->Buttons(c.Index));
            // The hot frame's left and right edge along the bar's middle row.
            int left = -1, right = -1;
            for (int x = 0; x < bar->GetWidth(); ++x)
                if (Near(ScreenPixel(barWindow, x, r.Top + r.Height() / 2), frame)) {
                    if (left < 0) left = x;
                    right = x;
                }
            ASSERT_GE(left, 0) << "no hot frame shown";
            c.Width = right - left + 1;
            EXPECT_EQ(c.Width, r.Width());
            EXPECT_GE(c.Width, c.Text);
            EXPECT_LT(c.Width - c.Text, 24) << "a short caption in a wide gap";
        }
        EXPECT_EQ(cases[1].Width - cases[0].Width, cases[1].Text - cases[0].Text);
        MoveTo(POINT{1000, 760});
        Pump(200);
    }
}

TEST(SkinMenuBar, SizeLimitsCountTheBarAndLeaveTheApplicationsOwn) {
    TSkinnedForm main;
    for (int ownMinWidth : {0, 500}) {
        SCOPED_TRACE(ownMinWidth);
        TMenuForm f(ownMinWidth);
        HWND h = f.Show();
        ASSERT_EQ(Query(h), 1);
        TSizeConstraints* c = f.Form->GetConstraints();
        const int barHeight = SkinOf(main.Engine, h)->GetMenuBarHeight();
        EXPECT_EQ(c->GetMinHeight(), barHeight + main.Engine->Metrics().CaptionHeight + 6);
        EXPECT_EQ(c->GetMinWidth(), ownMinWidth ? ownMinWidth : main.Engine->Metrics().MinFormWidth);
        main.Engine->UnskinWindow(h);
        EXPECT_EQ(c->GetMinHeight(), 0);
        EXPECT_EQ(c->GetMinWidth(), ownMinWidth);
    }
}

TEST(SkinMenuBar, RecreatedFormTellsItsListenersAndKeepsItsBar) {
    TSkinnedForm main;
    TMenuForm f;
    HWND old = f.Show();
    ASSERT_EQ(Query(old), 1);
    HWND seen = nullptr;
    int told = 0;
    TWindowProcHook listener(f.Form.get(), [&](TMessage& m) {
        if (m.Msg == CM_RECREATEWND) {
            ++told;
            seen = f.Form->GetHandleIfAllocated();
        }
        listener.Previous(m);
    });
    f.Form->SetBorderStyle(bsSingle);   // a new window for the same form
    ProcessMessagesAWhile();
    HWND h = f.Form->GetHandle();
    EXPECT_EQ(told, 1);
    EXPECT_EQ(seen, h);
    EXPECT_EQ(Query(h), 1);
    EXPECT_EQ(GetWindowLongA(h, GWL_STYLE) & WS_SYSMENU, 0);
    EXPECT_EQ(GetMenu(h), nullptr);
    TlumSkinMenuBar* bar = SkinOf(main.Engine, h)->GetMenuBar();
    EXPECT_TRUE(IsWindowVisible(bar->GetHandle()));
    EXPECT_EQ(f.Button->GetTop(), 10 + bar->GetHeight());
}

TEST(SkinMenuBar, ItemsAndMenuFreedWhileSkinnedAreForgotten) {
    TSkinnedForm main;
    TMenuForm f;
    HWND h = f.Show();
    ASSERT_EQ(Query(h), 1);
    TlumSkinWindowVCL* skin = SkinOf(main.Engine, h);
    TlumSkinMenuBar* bar = skin->GetMenuBar();
    ASSERT_EQ(bar->ButtonCount(), 3);
    delete f.Menu->GetItems()->Items(1);   // "&Edit"
    EXPECT_EQ(bar->Buttons(1)->GetMenuItem(), nullptr);
    EXPECT_FALSE(bar->Buttons(1)->GetVisible());
    SendMessageA(bar->GetHandle(), TB_SETHOTITEM, 1, 0);
    SendMessageA(bar->GetHandle(), CM_DIALOGCHAR, 'E', 1 << 29);   // nothing left to open
    ProcessMessagesAWhile();
    delete f.Menu;
    EXPECT_EQ(skin->GetSavedMenu(), nullptr);
    EXPECT_FALSE(bar->GetVisible());
    main.Engine->UnskinWindow(h);
    EXPECT_EQ(GetMenu(h), nullptr);
    EXPECT_EQ(f.Button->GetTop(), 10);
}

// Where the native frame is wider than the skin's side borders (the slate skin's are 3 pixels),
// the strip beside the menu bar shows the bar's band, the form colour below it; with a tool bar
// right under the menu, a grey and a white line follow the band.
TEST(SkinMenuBar, FrameBesideTheBarShowsItsBand) {
    TSkinnedForm main;
    const std::string slate = ReadWholeFile(SKIN_SLATE_FILE);
    main.Engine->ReadSkinData(std::vector<uint8_t>(slate.begin(), slate.end()));
    TlumSkinEngine* e = main.Engine;
    const TSkinMetrics& m = e->Metrics();
    ASSERT_LT(m.LeftBorder, 4);
    ASSERT_LT(m.RightBorder, 4);
    const COLORREF form = static_cast<COLORREF>(ColorToRGB(e->GetFormColor()));
    const COLORREF start = static_cast<COLORREF>(ColorToRGB(e->GetSkinColor(SKIN2_MENUBARSTARTCOLOR)));
    ASSERT_NE(start, form);
    for (bool toolBar : {false, true}) {
        SCOPED_TRACE(toolBar ? "tool bar under the menu" : "menu only");
        TMenuForm f;
        if (toolBar) {
            auto* bar = new TToolBar(f.Form.get());
            bar->SetParent(f.Form.get());
        }
        HWND h = f.Show();
        ASSERT_EQ(Query(h), 1);
        TlumSkinWindowVCL* skin = SkinOf(main.Engine, h);
        TlumSkinMenuBar* menuBar = skin->GetMenuBar();
        ASSERT_EQ(skin->HasToolBarUnderMenu(), toolBar);
        RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ProcessMessagesAWhile();
        RECT box{};
        GetWindowRect(h, &box);
        POINT origin{0, 0};
        ClientToScreen(h, &origin);
        const int bandTop = origin.y - box.top, barHeight = menuBar->GetHeight();
        auto framePixel = [&](int x, int y) {
            HDC dc = GetDC(nullptr);
            const COLORREF c = GetPixel(dc, box.left + x, box.top + y);
            ReleaseDC(nullptr, dc);
            return c;
        };
        const int width = box.right - box.left;
        for (int x : {m.LeftBorder, width - 4}) {
            SCOPED_TRACE(x);
            // The band as the bar itself shows it at its right end.
            for (int row : {1, barHeight / 2, barHeight - 2})
                EXPECT_PRED2(Near, framePixel(x, bandTop + row), ScreenPixel(menuBar->GetHandle(), menuBar->GetWidth() - 2, row))
                    << row;
            if (toolBar) {
                EXPECT_EQ(framePixel(x, bandTop + barHeight), RGB(0x80, 0x80, 0x80));
                EXPECT_EQ(framePixel(x, bandTop + barHeight + 1), RGB(0xFF, 0xFF, 0xFF));
            }
            EXPECT_EQ(framePixel(x, bandTop + barHeight + 10), form);
        }
    }
}
