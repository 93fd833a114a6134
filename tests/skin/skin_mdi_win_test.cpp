// Skinned MDI frames and children: both answer the skin's query; a maximised child's control
// buttons with their glyph cells, and what they do; the merged menu bar by GroupIndex; the
// window list; cascade and tile as the skin lays them out; a zoomed child's caption; and
// teardown in every order.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/menus.h"
#include "classlib/gui/panel.h"
#include "classlib/gui/window_proc_hook.h"
#include "skin/skin_bitmap_win.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_messages.h"
#include "skin/skin_utils_win.h"
#include "skin/skin_window_vcl_win.h"
#include "tests/skin/support/skin_test_support.h"
#include "tests/support/tempdir.h"

namespace {

const auto* kEnv = ::testing::AddGlobalTestEnvironment(new TSkinGuiEnvironment);

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const AnsiString& caption, uint8_t group) {
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    item->SetGroupIndex(group);
    parent->Add(item);
    return item;
}

// The skinned MDI frame: the engine's form and the program's main form.
class TMdiFrame : public TForm {
public:
    explicit TMdiFrame(TComponent* owner) : TForm(owner) {
        SetCaption("MDI frame");
        SetBounds(10, 10, 700, 500);
        SetFormStyle(fsMDIForm);
        Menu = new TMainMenu(this);
        AddItem(this, Menu->GetItems(), "File", 0);
        Window = AddItem(this, Menu->GetItems(), "Window", 5);
        AddItem(this, Window, "Cascade", 0);
        AddItem(this, Menu->GetItems(), "Help", 9);
        SetMenu(Menu);
        SetWindowMenu(Window);
        const std::string bytes = ReadWholeFile(SKIN_DEFAULT_FILE);
        Engine = new TlumSkinEngine(this);
        Engine->SetActive(true);
        Engine->ReadSkinData(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }
    TMainMenu* Menu;
    TMenuItem* Window;
    TlumSkinEngine* Engine;
};

class TMdiChild : public TForm {
public:
    TMdiChild(TComponent* owner, const AnsiString& caption, bool withMenu, bool withHelp = true) : TForm(owner) {
        SetFormStyle(fsMDIChild);
        SetCaption(caption);
        SetBounds(0, 0, 240, 160);
        if (withMenu) {
            Menu = new TMainMenu(this);
            AddItem(this, Menu->GetItems(), "Edit", 1);
            if (withHelp) AddItem(this, Menu->GetItems(), "Child help", 9);
            SetMenu(Menu);
        }
    }
    TMainMenu* Menu = nullptr;
};

struct TMdiSet {
    // Without children: the test makes its own.
    explicit TMdiSet(bool withChildren = true) {
        Application->CreateForm(Frame);
        Frame->Show();
        if (!withChildren) {
            ProcessMessagesAWhile();
            return;
        }
        A = new TMdiChild(Application, "Child A", false);
        A->Show();
        B = new TMdiChild(Application, "Child B", true);
        B->Show();
        ProcessMessagesAWhile();
    }
    ~TMdiSet() {
        delete B;
        delete A;
        delete Frame;
        ProcessMessagesAWhile();
    }
    TlumSkinWindowVCL* Skin(TForm* form) const {
        return dynamic_cast<TlumSkinWindowVCL*>(Frame->Engine->FindSkinWindow(form->GetHandle()));
    }
    std::vector<std::string> BarCaptions() const {
        std::vector<std::string> captions;
        TlumSkinMenuBar* bar = Skin(Frame)->GetMenuBar();
        if (!bar->GetVisible()) return captions;
        for (int i = 0; i < bar->ButtonCount(); ++i)
            captions.push_back(bar->Buttons(i)->GetMenuItem() ? bar->Buttons(i)->GetMenuItem()->GetCaption() : "?");
        return captions;
    }
    TMdiFrame* Frame = nullptr;
    TMdiChild* A = nullptr;
    TMdiChild* B = nullptr;
};

RECT InClient(TForm* child) {
    RECT r;
    GetWindowRect(child->GetHandle(), &r);
    MapWindowPoints(nullptr, GetParent(child->GetHandle()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

TEST(SkinMdi, FrameAndChildrenAreSkinned) {
    TMdiSet s;
    EXPECT_EQ(SendMessageA(s.Frame->GetHandle(), WM_SKIN_QUERY, 0, 0), 1);
    EXPECT_EQ(SendMessageA(s.A->GetHandle(), WM_SKIN_QUERY, 0, 0), 1);
    EXPECT_EQ(SendMessageA(s.B->GetHandle(), WM_SKIN_QUERY, 0, 0), 1);
    ASSERT_NE(s.Skin(s.Frame), nullptr);
    EXPECT_TRUE(s.Skin(s.Frame)->IsMDIForm());
    EXPECT_TRUE(s.Skin(s.B)->IsMDIChild());
    EXPECT_TRUE(IsFormActive(s.Frame));
    EXPECT_TRUE(IsFormActive(s.B));
    EXPECT_FALSE(IsFormActive(s.A));
    // The children's caption height is the frame's native one, through the client.
    EXPECT_GT(SendMessageA(s.Frame->GetClientHandle(), WM_SKIN_CAPTIONHEIGHT, 0, 0), 0);
}

TEST(SkinMdi, MergedMenuBarFollowsTheActiveChildByGroupIndex) {
    TMdiSet s;
    ProcessMessagesAWhile();
    // Frame groups 0, 5, 9; child groups 1, 9: the frame's 9 gives way, the child's items go
    // after the last frame item of a group below 1.
    EXPECT_EQ(s.BarCaptions(), (std::vector<std::string>{"File", "Edit", "Child help", "Window"}));
    s.A->Show();   // a child without a menu: the frame's alone
    ProcessMessagesAWhile();
    EXPECT_EQ(s.BarCaptions(), (std::vector<std::string>{"File", "Window", "Help"}));
    s.B->Show();
    ProcessMessagesAWhile();
    EXPECT_EQ(s.BarCaptions(), (std::vector<std::string>{"File", "Edit", "Child help", "Window"}));
    delete s.B;
    s.B = nullptr;
    ProcessMessagesAWhile();
    EXPECT_EQ(s.BarCaptions(), (std::vector<std::string>{"File", "Window", "Help"}));
}

TEST(SkinMdi, MaximisedChildShowsTheControlButtonsAndTheyAct) {
    TMdiSet s;
    TlumSkinWindowVCL* frame = s.Skin(s.Frame);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(frame->GetControlButton(i)->GetVisible());
    s.B->SetWindowState(wsMaximized);
    ProcessMessagesAWhile();
    const intptr_t tags[3] = {-1381, -1382, -1383};
    TBitmap cells;
    cells.LoadFromResourceName(GetModuleHandleA(nullptr), "LUMSKIN_MDI_CONTROLER");
    for (int i = 0; i < 3; ++i) {
        TlumSkinMenuBarControlButton* button = frame->GetControlButton(i);
        EXPECT_TRUE(button->GetVisible()) << i;
        EXPECT_EQ(button->GetTag(), tags[i]);
        // Close shows cell 3, restore cell 2, minimise cell 1.
        TBitmap cell;
        ExtractSlice(&cells, &cell, 3, 3 - i);
        ASSERT_EQ(button->GetGlyph()->GetWidth(), 16);
        int same = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                same += button->GetGlyph()->GetCanvas()->GetPixel(x, y) == cell.GetCanvas()->GetPixel(x, y);
        EXPECT_EQ(same, 256) << "glyph of button " << i;
    }
    // A zoomed child has no caption rows of its own.
    RECT window, client;
    GetWindowRect(s.B->GetHandle(), &window);
    POINT origin{0, 0};
    ClientToScreen(s.B->GetHandle(), &origin);
    GetClientRect(s.Frame->GetClientHandle(), &client);
    POINT clientOrigin{0, 0};
    ClientToScreen(s.Frame->GetClientHandle(), &clientOrigin);
    EXPECT_EQ(origin.y, clientOrigin.y);

    frame->GetControlButton(1)->Click();   // restore
    EXPECT_FALSE(IsZoomed(s.B->GetHandle()));
    EXPECT_FALSE(frame->GetControlButton(0)->GetVisible());
    s.B->SetWindowState(wsMaximized);
    ProcessMessagesAWhile();
    frame->GetControlButton(2)->Click();   // minimise
    EXPECT_TRUE(IsIconic(s.B->GetHandle()));
    s.A->SetWindowState(wsMaximized);
    ProcessMessagesAWhile();
    ASSERT_TRUE(frame->GetControlButton(0)->GetVisible());
    s.A->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
    bool freed = false;
    s.A->OnDestroy = [&freed](TObject*) { freed = true; };
    frame->GetControlButton(0)->Click();   // close
    for (int i = 0; i < 20 && !freed; ++i) ProcessMessagesAWhile();
    EXPECT_TRUE(freed);
    s.A = nullptr;
}

TEST(SkinMdi, WindowListChecksTheActiveChildAndRestoresAMinimisedOne) {
    TMdiSet s;
    ProcessMessagesAWhile();
    TlumSkinWindowVCL* frame = s.Skin(s.Frame);
    const std::vector<TMenuItem*>& list = frame->GetWindowListItems();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]->GetCaption(), "-");
    EXPECT_EQ(list[1]->GetCaption(), "Child A");
    EXPECT_EQ(list[2]->GetCaption(), "Child B");
    EXPECT_FALSE(list[1]->GetChecked());
    EXPECT_TRUE(list[2]->GetChecked());
    EXPECT_EQ(list[1]->GetParent(), s.Frame->Window);

    s.A->SetWindowState(wsMinimized);
    ProcessMessagesAWhile();
    frame->RebuildWindowList();
    ASSERT_EQ(frame->GetWindowListItems().size(), 3u);
    frame->GetWindowListItems()[1]->Click();
    ProcessMessagesAWhile();
    EXPECT_FALSE(IsIconic(s.A->GetHandle()));
    EXPECT_EQ(s.Frame->GetActiveMDIChild(), s.A);

    // A hidden child is not listed.
    s.B->Hide();
    ProcessMessagesAWhile();
    EXPECT_EQ(frame->GetWindowListItems().size(), 2u);
}

TEST(SkinMdi, CascadeAndTileAsTheSkinLaysThemOut) {
    TMdiSet s;
    const int cw = s.Frame->GetClientWidth(), ch = s.Frame->GetClientHeight();
    s.Frame->Cascade();
    // Bottom first: A (made first) lies under B.
    RECT a = InClient(s.A), b = InClient(s.B);
    EXPECT_EQ(a.left, 0);
    EXPECT_EQ(a.top, 0);
    EXPECT_EQ(b.left, 22);
    EXPECT_EQ(b.top, 22);
    EXPECT_EQ(b.right - b.left, static_cast<int>(std::lround(0.8 * cw)));
    EXPECT_EQ(b.bottom - b.top, static_cast<int>(std::lround(0.6 * ch)));

    // Every top and bottom aligned control takes its height, shown or not.
    auto* hiddenStrip = new TPanel(s.Frame);
    hiddenStrip->SetAlign(alBottom);
    hiddenStrip->SetHeight(30);
    hiddenStrip->SetVisible(false);
    hiddenStrip->SetParent(s.Frame);
    int available = ch;
    for (int i = 0; i < s.Frame->ControlCount(); ++i) {
        TControl* c = s.Frame->Controls(i);
        if (c->GetAlign() == alTop || c->GetAlign() == alBottom) available -= c->GetHeight();
    }
    struct Case {
        TTileMode mode;
        RECT first, second;   // bottom child, then the one above it
    };
    const int h = available / 2, w = cw / 2;
    const Case cases[] = {
        {tbHorizontal, {0, 0, cw - 4, h - 2}, {0, h - 2, cw - 4, 2 * (h - 2)}},
        {tbVertical, {0, 0, w - 2, available - 4}, {w - 2, 0, 2 * (w - 2), available - 4}},
    };
    for (const Case& c : cases) {
        s.Frame->SetTileMode(c.mode);
        s.Frame->Tile();
        // The z-order after the tile decides which comes first.
        RECT first = InClient(s.A), second = InClient(s.B);
        if (first.left > second.left || first.top > second.top) std::swap(first, second);
        EXPECT_EQ(first.left, c.first.left) << c.mode;
        EXPECT_EQ(first.top, c.first.top) << c.mode;
        EXPECT_EQ(first.right, c.first.right) << c.mode;
        EXPECT_EQ(first.bottom, c.first.bottom) << c.mode;
        EXPECT_EQ(second.left, c.second.left) << c.mode;
        EXPECT_EQ(second.top, c.second.top) << c.mode;
    }

    // One child left to tile: 2 less per row or column; 25 less height below minimised ones.
    struct Single {
        bool minimiseA;   // else A goes
        TTileMode mode;
        RECT expected;
    };
    const int below = available - 25;
    const Single singles[] = {
        {true, tbHorizontal, {0, 0, cw - 4, below - 4}},
        {true, tbVertical, {0, 0, cw - 4, below - 4}},
        {false, tbHorizontal, {0, 0, cw - 4, available - 4}},
        {false, tbVertical, {0, 0, cw - 4, available - 4}},
    };
    s.A->SetWindowState(wsMinimized);
    ProcessMessagesAWhile();
    for (const Single& c : singles) {
        if (!c.minimiseA && s.A) {
            delete s.A;
            s.A = nullptr;
            ProcessMessagesAWhile();
        }
        s.Frame->SetTileMode(c.mode);
        s.Frame->Tile();
        const RECT r = InClient(s.B);
        EXPECT_EQ(r.left, c.expected.left) << c.mode << c.minimiseA;
        EXPECT_EQ(r.top, c.expected.top) << c.mode << c.minimiseA;
        EXPECT_EQ(r.right, c.expected.right) << c.mode << c.minimiseA;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.mode << c.minimiseA;
    }
}

// The control buttons and the merged bar when a child goes through the client.
TEST(SkinMdi, DestroyingAChildLeavesButtonsAndBarToWhatRemains) {
    {   // the last child, maximised
        TMdiSet s;
        TlumSkinWindowVCL* frame = s.Skin(s.Frame);
        delete s.A;
        s.A = nullptr;
        s.B->SetWindowState(wsMaximized);
        ProcessMessagesAWhile();
        ASSERT_TRUE(frame->GetControlButton(0)->GetVisible());
        delete s.B;
        s.B = nullptr;
        ProcessMessagesAWhile();
        for (int i = 0; i < 3; ++i) EXPECT_FALSE(frame->GetControlButton(i)->GetVisible()) << i;
        EXPECT_EQ(s.BarCaptions(), (std::vector<std::string>{"File", "Window", "Help"}));
    }
    {   // one of two, maximised: the other takes over maximised, with its menu and the buttons
        TMdiSet s;
        TlumSkinWindowVCL* frame = s.Skin(s.Frame);
        s.A->Show();
        s.A->SetWindowState(wsMaximized);
        ProcessMessagesAWhile();
        ASSERT_EQ(s.Frame->GetActiveMDIChild(), s.A);
        ASSERT_TRUE(frame->GetControlButton(0)->GetVisible());
        delete s.A;
        s.A = nullptr;
        ProcessMessagesAWhile();
        ASSERT_EQ(s.Frame->GetActiveMDIChild(), s.B);
        EXPECT_TRUE(IsZoomed(s.B->GetHandle()));
        EXPECT_EQ(s.BarCaptions(), (std::vector<std::string>{"File", "Edit", "Child help", "Window"}));
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(frame->GetControlButton(i)->GetVisible()) << i;
    }
}

// A skin load and the engine off and on again unskin and reskin the frame: a maximised child
// keeps its buttons, and they still act.
TEST(SkinMdi, ControlButtonsSurviveAReskin) {
    TMdiSet s;
    const std::string bytes = ReadWholeFile(SKIN_DEFAULT_FILE);
    const std::vector<uint8_t> skin(bytes.begin(), bytes.end());
    const std::function<void()> reskins[] = {
        [&] { s.Frame->Engine->ReadSkinData(skin); },
        [&] {
            s.Frame->Engine->SetActive(false);
            ProcessMessagesAWhile();
            s.Frame->Engine->SetActive(true);
        },
    };
    for (size_t k = 0; k < std::size(reskins); ++k) {
        s.B->SetWindowState(wsMaximized);
        ProcessMessagesAWhile();
        reskins[k]();
        ProcessMessagesAWhile();
        TlumSkinWindowVCL* frame = s.Skin(s.Frame);
        ASSERT_TRUE(IsZoomed(s.B->GetHandle())) << k;
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(frame->GetControlButton(i)->GetVisible()) << k << " " << i;
        frame->GetControlButton(1)->Click();   // restore
        EXPECT_FALSE(IsZoomed(s.B->GetHandle())) << k;
        EXPECT_FALSE(frame->GetControlButton(0)->GetVisible()) << k;
    }
}

// A plain form beside the frame counts as active by its own activation, not the client's.
TEST(SkinMdi, PlainFormInAnMdiApplicationIsActiveWhenActivated) {
    TMdiSet s;
    auto dialog = std::make_unique<TForm>(Application);
    dialog->SetCaption("Dialog");
    dialog->SetBounds(100, 100, 200, 120);
    dialog->Show();
    s.Frame->Engine->UnskinWindow(dialog->GetHandle());   // no skin window answers for it
    SetForegroundWindow(dialog->GetHandle());
    SetActiveWindow(dialog->GetHandle());
    ProcessMessagesAWhile();
    ASSERT_TRUE(dialog->Active());
    ASSERT_LE(SendMessageA(dialog->GetHandle(), WM_SKIN_ISACTIVE, 0, 0), 0);
    EXPECT_TRUE(IsFormActive(dialog.get()));
    SetActiveWindow(s.Frame->GetHandle());
    ProcessMessagesAWhile();
    EXPECT_FALSE(IsFormActive(dialog.get()));
    EXPECT_TRUE(IsFormActive(s.B));
    EXPECT_FALSE(IsFormActive(s.A));
}

TEST(SkinMdi, TeardownInEveryOrder) {
    const long gdi = LiveGdiObjectCount();
    {   // children first
        TMdiSet s;
    }
    {   // the frame (with the engine) while its children are open
        TMdiSet s;
        s.B->SetWindowState(wsMaximized);
        ProcessMessagesAWhile();
        delete s.Frame;
        s.Frame = nullptr;
        ProcessMessagesAWhile();
        delete s.B;
        delete s.A;
        s.A = s.B = nullptr;
    }
    {   // the engine before the forms
        TMdiSet s;
        delete s.Frame->Engine;
        ProcessMessagesAWhile();
        EXPECT_EQ(SendMessageA(s.B->GetHandle(), WM_SKIN_QUERY, 0, 0), 0);
        EXPECT_EQ(SendMessageA(s.Frame->GetHandle(), WM_SKIN_QUERY, 0, 0), 0);
    }
    ProcessMessagesAWhile();
    EXPECT_EQ(LiveGdiObjectCount(), gdi);
}

TEST(SkinMdi, ControlButtonsAnswerTheRealCursor) {
    TMdiSet s;
    SetWindowPos(s.Frame->GetHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    s.B->SetWindowState(wsMaximized);
    ProcessMessagesAWhile();
    TlumSkinWindowVCL* frame = s.Skin(s.Frame);
    TlumSkinMenuBarControlButton* restore = frame->GetControlButton(1);
    ASSERT_TRUE(restore->GetVisible());
    const COLORREF before = ClientPixel(restore->GetHandle(), 0, 0);
    MoveTo(ScreenPoint(restore->GetHandle(), 9, 9), 100);
    EXPECT_TRUE(restore->GetHot());
    EXPECT_EQ(ClientPixel(restore->GetHandle(), 0, 0), RGB(0, 0, 0)) << "a hot button is framed black";
    EXPECT_NE(before, RGB(0, 0, 0));
    Press();
    Release(100);
    EXPECT_FALSE(IsZoomed(s.B->GetHandle()));
    EXPECT_FALSE(restore->GetVisible());
    MoveTo(ScreenPoint(s.Frame->GetHandle(), -50, -50), 50);

    s.B->SetWindowState(wsMaximized);
    ProcessMessagesAWhile();
    TlumSkinMenuBarControlButton* minimise = frame->GetControlButton(2);
    MoveTo(ScreenPoint(minimise->GetHandle(), 9, 9), 100);
    Press();
    Release(100);
    EXPECT_TRUE(IsIconic(s.B->GetHandle()));
    MoveTo(ScreenPoint(s.Frame->GetHandle(), -50, -50), 50);
}

TEST(SkinMdi, ZoomedChildLeavesItsCaptionToTheFrameWhichRepaints) {
    TMdiSet s;
    int repaints = 0;
    TWindowProcHook counter(s.Frame, [&repaints, &counter](TMessage& m) {
        if (m.Msg == WM_SKIN_NCREPAINT) ++repaints;
        counter.Previous(m);
    });
    s.B->SetWindowState(wsMaximized);
    ProcessMessagesAWhile();
    s.Skin(s.B)->PaintFrame();
    ProcessMessagesAWhile();
    EXPECT_GT(repaints, 0) << "a zoomed child asks the frame to repaint";

    // Spoil the frame's caption; the message paints it again.
    HWND h = s.Frame->GetHandle();
    HDC dc = GetWindowDC(h);
    const COLORREF caption = GetPixel(dc, 60, 8);
    RECT strip{0, 0, 200, 16};
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &strip, magenta);
    DeleteObject(magenta);
    EXPECT_EQ(GetPixel(dc, 60, 8), RGB(255, 0, 255));
    SendMessageA(h, WM_SKIN_NCREPAINT, 0, 0);
    EXPECT_EQ(GetPixel(dc, 60, 8), caption);
    ReleaseDC(h, dc);

    // The child's client starts at the top of the frame's client: no caption rows show.
    POINT origin{0, 0}, clientOrigin{0, 0};
    ClientToScreen(s.B->GetHandle(), &origin);
    ClientToScreen(s.Frame->GetClientHandle(), &clientOrigin);
    EXPECT_EQ(origin.y, clientOrigin.y);
}

// With the probe skin every frame part is one colour of its own: a screen pixel names the part.
TEST(SkinMdi, ProbeSkinPaintsTheFrameAndAChild) {
    TMdiSet s;
    const std::string bytes = ReadWholeFile(SKIN_PROBE_FILE);
    s.Frame->Engine->ReadSkinData(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    s.Frame->SetTileMode(tbVertical);
    s.Frame->Tile();
    SetWindowPos(s.Frame->GetHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetCursorPos(1000, 760);
    for (TForm* form : {static_cast<TForm*>(s.Frame), static_cast<TForm*>(s.A), static_cast<TForm*>(s.B)})
        RedrawWindow(form->GetHandle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ProcessMessagesAWhile();
    GdiFlush();
    TlumSkinEngine* engine = s.Frame->Engine;
    auto solid = [engine](uint8_t key) {
        const TSkinPixels p = PixelsFromBitmap(engine->GetSkinBitmap(key));
        return static_cast<COLORREF>(p.At(p.Width / 2, p.Height / 2));
    };
    const int bottom = PixelsFromBitmap(engine->GetSkinBitmap(SKIN2_FORMBOTTOMBORDER1)).Height;
    HDC screen = GetDC(nullptr);
    for (TForm* form : {static_cast<TForm*>(s.Frame), static_cast<TForm*>(s.A)}) {
        RECT r;
        GetWindowRect(form->GetHandle(), &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        const std::string name = form->GetCaption();
        EXPECT_EQ(GetPixel(screen, r.left, r.top + h / 2), solid(SKIN2_FORMLEFTBORDER)) << name;
        EXPECT_EQ(GetPixel(screen, r.right - 1, r.top + h / 2), solid(SKIN2_FORMRIGHTBORDER)) << name;
        EXPECT_EQ(GetPixel(screen, r.left + w / 2, r.bottom - 1 - bottom / 2), solid(SKIN2_FORMBOTTOMBORDER2)) << name;
        EXPECT_EQ(GetPixel(screen, r.left + w / 2, r.top + 1), solid(SKIN2_TITLEBAR2)) << name;
    }
    ReleaseDC(nullptr, screen);
}

// The frame's skin takes menu shortcuts for the active child's menu and its own, whichever of
// its windows has the keyboard.
TEST(SkinMdi, ShortcutsReachTheActiveChildsMenuAndTheFrames) {
    TMdiSet s;
    int childClicks = 0, frameClicks = 0;
    TMenuItem* copy = AddItem(s.B, s.B->Menu->GetItems()->Items(0), "Copy", 0);
    copy->SetShortCut(MakeShortCut('K', scCtrl));
    copy->OnClick = [&childClicks](TObject*) { ++childClicks; };
    TMenuItem* open = AddItem(s.Frame, s.Frame->Menu->GetItems()->Items(0), "Open", 0);
    open->SetShortCut(MakeShortCut('J', scCtrl));
    open->OnClick = [&frameClicks](TObject*) { ++frameClicks; };
    ProcessMessagesAWhile();

    BYTE saved[256], state[256];
    GetKeyboardState(saved);
    memcpy(state, saved, sizeof state);
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    auto press = [](HWND target, char key) {
        PostMessageA(target, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
        Application->ProcessMessages();
    };
    press(s.B->GetHandle(), 'K');
    press(s.B->GetHandle(), 'J');
    EXPECT_EQ(childClicks, 1);
    EXPECT_EQ(frameClicks, 1);
    s.A->Show();   // a child without a menu: the frame's shortcuts only
    ProcessMessagesAWhile();
    SetKeyboardState(state);
    press(s.A->GetHandle(), 'K');
    press(s.A->GetHandle(), 'J');
    SetKeyboardState(saved);
    EXPECT_EQ(childClicks, 1);
    EXPECT_EQ(frameClicks, 2);
}

TEST(SkinMdi, ChildrenSkinnedTogetherLeaveTheFrameTheActiveChildsMenuOnly) {
    struct Case {
        bool activeIsB;
        std::vector<std::string> bar;
    };
    const Case cases[] = {
        {false, {"File", "Window", "Help"}},
        {true, {"File", "Edit", "Child help", "Window"}},
    };
    for (const Case& c : cases) {
        TMdiSet s;
        TMdiChild* active = c.activeIsB ? s.B : s.A;
        active->Show();
        ProcessMessagesAWhile();
        s.Frame->Engine->SetSkinAllForms(false);
        ProcessMessagesAWhile();
        ASSERT_EQ(SendMessageA(s.B->GetHandle(), WM_SKIN_QUERY, 0, 0), 0);

        std::vector<WPARAM> menuSenders;
        TWindowProcHook frameHook(s.Frame, [&](TMessage& m) {
            if (m.Msg == WM_SKIN_MDICHILDMENU) menuSenders.push_back(m.WParam);
            frameHook.Previous(m);
        });
        std::vector<LPARAM> activatedA, activatedB;
        TWindowProcHook hookA(s.A, [&](TMessage& m) {
            if (m.Msg == WM_MDIACTIVATE) activatedA.push_back(m.LParam);
            hookA.Previous(m);
        });
        TWindowProcHook hookB(s.B, [&](TMessage& m) {
            if (m.Msg == WM_MDIACTIVATE) activatedB.push_back(m.LParam);
            hookB.Previous(m);
        });
        s.Frame->Engine->SetSkinAllForms(true);
        ProcessMessagesAWhile();
        ASSERT_EQ(SendMessageA(s.B->GetHandle(), WM_SKIN_QUERY, 0, 0), 1);

        // Only the active child hands over its menu: the last-created one re-activated all.
        const auto activeHandle = reinterpret_cast<LPARAM>(active->GetHandle());
        ASSERT_FALSE(menuSenders.empty()) << c.activeIsB;
        for (WPARAM sender : menuSenders) EXPECT_EQ(sender, reinterpret_cast<WPARAM>(active)) << c.activeIsB;
        EXPECT_EQ(std::count(activatedA.begin(), activatedA.end(), activeHandle), 1) << c.activeIsB;
        EXPECT_EQ(std::count(activatedB.begin(), activatedB.end(), activeHandle), 1) << c.activeIsB;
        EXPECT_EQ(s.BarCaptions(), c.bar) << c.activeIsB;
        EXPECT_EQ(IsFormActive(s.A), !c.activeIsB);
        EXPECT_EQ(IsFormActive(s.B), c.activeIsB);
    }
}

TEST(SkinMdi, ControlButtonsKeepTheirPlaceFromTheRightEdgeAtEverySize) {
    TMdiSet s;
    TlumSkinWindowVCL* frame = s.Skin(s.Frame);
    s.B->SetWindowState(wsMaximized);
    ProcessMessagesAWhile();
    const int right = s.Frame->Engine->Metrics().RightBorder + 26;
    const int bar = frame->GetMenuBarHeight();
    ASSERT_GT(bar, 0);
    for (int width : {700, 520}) {
        s.Frame->SetWidth(width);
        ProcessMessagesAWhile();
        ASSERT_EQ(s.Frame->GetWidth(), width);
        for (int i = 0; i < 3; ++i) {
            TlumSkinMenuBarControlButton* button = frame->GetControlButton(i);
            EXPECT_TRUE(button->GetVisible()) << width << " " << i;
            EXPECT_EQ(button->GetLeft(), width - right - 18 * i) << width << " " << i;
            EXPECT_EQ(button->GetTop(), 1 - std::min(18, bar) + bar) << width << " " << i;
            EXPECT_LE(button->GetLeft() + button->GetWidth(), s.Frame->GetClientWidth()) << width << " " << i;
        }
    }
}

// Children made one after the other, and the first activated (and maximised) before any
// message runs: when the children's posts arrive, the bar keeps the active child's menu.
TEST(SkinMdi, MergedBarShowsTheActiveChildsMenuWhenTheChildrensPostsComeLate) {
    enum TMenuKind { kNoMenu, kEdit, kEditAndHelp };
    struct Case {
        TMenuKind first, second;
        bool maximise;
        std::vector<std::string> bar;
    };
    const Case cases[] = {
        {kNoMenu, kEditAndHelp, false, {"File", "Window", "Help"}},
        {kEdit, kEditAndHelp, true, {"File", "Edit", "Window", "Help"}},
        {kEditAndHelp, kNoMenu, false, {"File", "Edit", "Child help", "Window"}},
        {kEditAndHelp, kNoMenu, true, {"File", "Edit", "Child help", "Window"}},
    };
    for (const Case& c : cases) {
        const std::string row = std::to_string(c.first) + "/" + std::to_string(c.second) + (c.maximise ? " max" : "");
        TMdiSet s(false);
        s.A = new TMdiChild(Application, "Child A", c.first != kNoMenu, c.first == kEditAndHelp);
        s.A->Show();
        s.B = new TMdiChild(Application, "Child B", c.second != kNoMenu, c.second == kEditAndHelp);
        s.B->Show();
        s.A->Show();
        if (c.maximise) s.A->SetWindowState(wsMaximized);
        ProcessMessagesAWhile();
        ASSERT_EQ(s.Frame->GetActiveMDIChild(), s.A) << row;
        EXPECT_EQ(s.BarCaptions(), c.bar) << row;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(s.Skin(s.Frame)->GetControlButton(i)->GetVisible(), c.maximise) << row;
    }
}

namespace {

// The items the window item's drop-down (the menu the bar drops) shows checked, by caption:
// skinned, they are drawn by their owner, which the item data names.
std::vector<std::string> CheckedInWindowMenu(TMdiFrame* frame) {
    std::vector<std::string> checked;
    HMENU menu = frame->Window->GetHandle();
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_DATA;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info) || !(info.fState & MFS_CHECKED)) continue;
        const TMenuItem* item = TMenuItem::FindByCommand(static_cast<UINT>(info.dwItemData));
        checked.push_back(item ? item->GetCaption() : "?");
    }
    return checked;
}

}  // namespace

// Children without menus never change the bar; the window list's check still follows each
// activation, whichever way it comes.
TEST(SkinMdi, WindowListCheckFollowsTheActiveChildWithoutMenus) {
    struct Way {
        const char* name;
        std::function<void(TMdiSet&, TMdiChild*)> activate;
    };
    const Way ways[] = {
        {"Show", [](TMdiSet&, TMdiChild* child) { child->Show(); }},
        {"client", [](TMdiSet& s, TMdiChild* child) {
             SendMessageA(s.Frame->GetClientHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
         }},
        {"next", [](TMdiSet& s, TMdiChild*) { s.Frame->Next(); }},
    };
    for (const Way& way : ways) {
        TMdiSet s(false);
        s.A = new TMdiChild(Application, "Child A", false);
        s.A->Show();
        s.B = new TMdiChild(Application, "Child B", false);
        s.B->Show();
        ProcessMessagesAWhile();
        ASSERT_EQ(CheckedInWindowMenu(s.Frame), std::vector<std::string>{"Child B"}) << way.name;
        for (TMdiChild* child : {s.A, s.B, s.A}) {
            way.activate(s, child);
            ProcessMessagesAWhile();
            ASSERT_EQ(s.Frame->GetActiveMDIChild(), child) << way.name;
            EXPECT_EQ(CheckedInWindowMenu(s.Frame), std::vector<std::string>{child->GetCaption()}) << way.name;
            EXPECT_EQ(s.BarCaptions(), (std::vector<std::string>{"File", "Window", "Help"})) << way.name;
        }
    }
}
