// MDI frames and children on real windows: the client, children made inside it, activation,
// the window states, cascade and tile, the window menu, closing, the MDI keys of the message
// loop, and teardown in either order leaving no window or GDI object behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/menus.h"
#include "tests/gui/gui_test_support.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override { Application->Initialize(); }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

// A frame with a main menu "File" / "Window", the second being its window menu.
class TFrameForm : public TForm {
public:
    explicit TFrameForm(TComponent* owner) : TForm(owner) {
        SetCaption("MDI frame");
        SetBounds(20, 20, 640, 480);
        SetFormStyle(fsMDIForm);
        Menu = new TMainMenu(this);
        auto* file = new TMenuItem(this);
        file->SetCaption("&File");
        Menu->GetItems()->Add(file);
        auto* exit = new TMenuItem(this);
        exit->SetCaption("E&xit");
        file->Add(exit);
        Window = new TMenuItem(this);
        Window->SetCaption("&Window");
        Menu->GetItems()->Add(Window);
        auto* cascade = new TMenuItem(this);
        cascade->SetCaption("&Cascade");
        Window->Add(cascade);
        SetMenu(Menu);
        SetWindowMenu(Window);
    }
    TMainMenu* Menu;
    TMenuItem* Window;
};

class TChildForm : public TForm {
public:
    TChildForm(TComponent* owner, const AnsiString& caption) : TForm(owner) {
        SetFormStyle(fsMDIChild);
        SetCaption(caption);
        SetBounds(0, 0, 200, 150);
    }
};

int CountThreadWindows() {
    struct Counter {
        static BOOL CALLBACK Child(HWND, LPARAM p) { ++*reinterpret_cast<int*>(p); return TRUE; }
        static BOOL CALLBACK Top(HWND w, LPARAM p) {
            ++*reinterpret_cast<int*>(p);
            EnumChildWindows(w, Child, p);
            return TRUE;
        }
    };
    int n = 0;
    EnumThreadWindows(GetCurrentThreadId(), Counter::Top, reinterpret_cast<LPARAM>(&n));
    return n;
}

RECT ChildRectInClient(TCustomForm* child) {
    RECT r;
    GetWindowRect(child->GetHandle(), &r);
    MapWindowPoints(nullptr, GetParent(child->GetHandle()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string WindowClass(HWND w) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

std::vector<std::string> MenuTexts(HMENU menu) {
    std::vector<std::string> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}

// A frame made the main form, with two children shown in it; freed in the order a test picks.
struct MdiSet {
    MdiSet() {
        Application->CreateForm(Frame);
        Frame->Show();
        A = new TChildForm(Application, "Child A");
        A->Show();
        B = new TChildForm(Application, "Child B");
        B->Show();
        PumpFor(50);
    }
    ~MdiSet() {
        delete B;
        delete A;
        delete Frame;
    }
    TFrameForm* Frame = nullptr;
    TChildForm* A = nullptr;
    TChildForm* B = nullptr;
};

}  // namespace

TEST(Mdi, FrameHoldsTheClientAndChildrenAreMadeInsideIt) {
    MdiSet s;
    HWND client = s.Frame->GetClientHandle();
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(WindowClass(client), "MDIClient");
    EXPECT_EQ(GetParent(client), s.Frame->GetHandle());
    for (TCustomForm* child : {static_cast<TCustomForm*>(s.A), static_cast<TCustomForm*>(s.B)}) {
        EXPECT_EQ(GetParent(child->GetHandle()), client);
        EXPECT_TRUE(GetWindowLongPtrA(child->GetHandle(), GWL_EXSTYLE) & WS_EX_MDICHILD);
        EXPECT_TRUE(IsWindowVisible(child->GetHandle()));
    }
    // The client fills the frame's client area.
    RECT frameClient, clientRect;
    GetClientRect(s.Frame->GetHandle(), &frameClient);
    GetWindowRect(client, &clientRect);
    EXPECT_EQ(clientRect.right - clientRect.left, frameClient.right);
    EXPECT_EQ(clientRect.bottom - clientRect.top, frameClient.bottom);

    ASSERT_EQ(s.Frame->MDIChildCount(), 2);
    EXPECT_EQ(s.Frame->MDIChildren(0), s.A);
    EXPECT_EQ(s.Frame->MDIChildren(1), s.B);
    EXPECT_THROW(s.Frame->MDIChildren(2), EListError);
    EXPECT_EQ(s.Frame->GetActiveMDIChild(), s.B);
    s.Frame->Next();
    EXPECT_EQ(s.Frame->GetActiveMDIChild(), s.A);
    s.Frame->Previous();
    EXPECT_EQ(s.Frame->GetActiveMDIChild(), s.B);
    s.A->Show();
    EXPECT_EQ(s.Frame->GetActiveMDIChild(), s.A);
}

TEST(Mdi, ChildWithoutAnMdiFrameIsRefused) {
    TForm* plain = nullptr;
    Application->CreateForm(plain);
    auto child = std::make_unique<TChildForm>(Application, "Orphan");
    CaughtErrors errors;
    EXPECT_THROW(child->Show(), EInvalidOperation);
    child.reset();
    delete plain;
}

TEST(Mdi, WindowMenuListsTheChildrenAndChoosingOneActivatesIt) {
    MdiSet s;
    HMENU window = s.Frame->Window->GetHandle();
    ASSERT_NE(window, nullptr);
    std::vector<std::string> texts = MenuTexts(window);
    ASSERT_GE(texts.size(), 4u) << "Cascade, a line, then one item per child";
    EXPECT_EQ(texts[0], "&Cascade");
    EXPECT_NE(std::find(texts.begin(), texts.end(), "&1 Child A"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "&2 Child B"), texts.end());

    // A change of the menu makes its handles anew: the client lists the children in the new one.
    auto* tile = new TMenuItem(s.Frame);
    tile->SetCaption("&Tile");
    s.Frame->Window->Add(tile);
    texts = MenuTexts(s.Frame->Window->GetHandle());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "&1 Child A"), texts.end());

    // The first child's item carries the client's first child number.
    SendMessageA(s.Frame->GetHandle(), WM_COMMAND, 0xFF00, 0);
    EXPECT_EQ(s.Frame->GetActiveMDIChild(), s.A);
}

TEST(Mdi, WindowStatesFollowAndTheFrameKnowsAMaximisedChild) {
    MdiSet s;
    s.B->SetWindowState(wsMaximized);
    EXPECT_TRUE(IsZoomed(s.B->GetHandle()));
    EXPECT_EQ(s.B->GetWindowState(), wsMaximized);
    BOOL maximised = FALSE;
    SendMessageA(s.Frame->GetClientHandle(), WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised));
    EXPECT_TRUE(maximised);
    s.B->SetWindowState(wsNormal);
    EXPECT_FALSE(IsZoomed(s.B->GetHandle()));
    s.B->SetWindowState(wsMinimized);
    EXPECT_TRUE(IsIconic(s.B->GetHandle()));
    EXPECT_EQ(s.B->GetWindowState(), wsMinimized);
    s.Frame->ArrangeIcons();
    EXPECT_TRUE(IsIconic(s.B->GetHandle()));
    s.B->SetWindowState(wsNormal);
    EXPECT_FALSE(IsIconic(s.B->GetHandle()));
}

TEST(Mdi, CascadeAndTileLayTheChildrenOut) {
    MdiSet s;
    s.Frame->Cascade();
    RECT a = ChildRectInClient(s.A), b = ChildRectInClient(s.B);
    EXPECT_NE(a.left, b.left);
    EXPECT_NE(a.top, b.top);
    EXPECT_EQ(a.right - a.left, b.right - b.left);

    RECT client;
    GetClientRect(s.Frame->GetClientHandle(), &client);
    s.Frame->SetTileMode(tbHorizontal);
    s.Frame->Tile();
    a = ChildRectInClient(s.A);
    b = ChildRectInClient(s.B);
    EXPECT_EQ(a.left, 0);
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(a.right - a.left, client.right);
    EXPECT_NE(a.top, b.top) << "one above the other";

    s.Frame->SetTileMode(tbVertical);
    s.Frame->Tile();
    a = ChildRectInClient(s.A);
    b = ChildRectInClient(s.B);
    EXPECT_EQ(a.top, 0);
    EXPECT_EQ(b.top, 0);
    EXPECT_EQ(a.bottom - a.top, client.bottom);
    EXPECT_NE(a.left, b.left) << "side by side";
}

TEST(Mdi, ClosingAChildMinimisesItUnlessToldToFreeIt) {
    MdiSet s;
    s.B->Close();
    PumpFor(20);
    EXPECT_TRUE(IsIconic(s.B->GetHandle())) << "caMinimize is an MDI child's default";
    EXPECT_EQ(s.Frame->MDIChildCount(), 2);

    // The system's close command reaches Close too.
    s.A->SetBorderIcons(biSystemMenu | biMaximize);   // no minimise button: nothing happens
    s.A->Show();
    SendMessageA(s.A->GetHandle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsIconic(s.A->GetHandle()));
    EXPECT_EQ(s.Frame->MDIChildCount(), 2);

    bool destroyed = false;
    s.A->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
    s.A->OnDestroy = [&destroyed](TObject*) { destroyed = true; };
    s.A->Close();
    ASSERT_TRUE(PumpUntil([&] { return destroyed; }));
    s.A = nullptr;
    EXPECT_EQ(s.Frame->MDIChildCount(), 1);
    EXPECT_EQ(s.Frame->MDIChildren(0), s.B);
    EXPECT_EQ(s.Frame->GetActiveMDIChild(), s.B);
    std::vector<std::string> texts = MenuTexts(s.Frame->Window->GetHandle());
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "&1 Child A"), texts.end());
}

TEST(Mdi, MessageLoopTranslatesTheMdiKeys) {
    MdiSet s;
    ASSERT_EQ(s.Frame->GetActiveMDIChild(), s.B);
    BYTE saved[256], state[256];
    GetKeyboardState(saved);
    memcpy(state, saved, sizeof state);
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    PostMessageA(s.B->GetHandle(), WM_KEYDOWN, VK_F6, 1);   // Ctrl+F6: the next child
    Application->ProcessMessages();
    SetKeyboardState(saved);
    EXPECT_EQ(s.Frame->GetActiveMDIChild(), s.A);
}

TEST(Mdi, TeardownInEveryOrderLeavesNothingBehind) {
    const int windows = CountThreadWindows();
    const long gdi = LiveGdiObjectCount();
    {   // children before the frame
        MdiSet s;
        s.B->SetWindowState(wsMaximized);
    }
    EXPECT_EQ(CountThreadWindows(), windows);
    {   // the frame with its children open: they lose their windows and live on until freed
        MdiSet s;
        delete s.Frame;
        s.Frame = nullptr;
        EXPECT_FALSE(s.A->HandleAllocated());
        EXPECT_FALSE(s.B->HandleAllocated());
        EXPECT_EQ(Application->GetMainForm(), nullptr);
    }
    EXPECT_EQ(CountThreadWindows(), windows);
    {   // children owned by the frame go with it
        TFrameForm* frame = nullptr;
        Application->CreateForm(frame);
        frame->Show();
        (new TChildForm(frame, "Owned 1"))->Show();
        auto* second = new TChildForm(frame, "Owned 2");
        second->Show();
        second->SetWindowState(wsMaximized);
        EXPECT_EQ(frame->MDIChildCount(), 2);
        delete frame;
    }
    PumpFor(20);
    EXPECT_EQ(CountThreadWindows(), windows);
    EXPECT_EQ(LiveGdiObjectCount(), gdi);
}

namespace {

TMenuItem* AddMenuItem(TComponent* owner, TMenuItem* parent, const AnsiString& caption, uint8_t group) {
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    item->SetGroupIndex(group);
    parent->Add(item);
    return item;
}

// A child whose main menu has "&Edit" (group 1, with "&Undo") and "&Child help" (group 9).
class TMenuChildForm : public TChildForm {
public:
    TMenuChildForm(TComponent* owner, const AnsiString& caption) : TChildForm(owner, caption) {
        Menu = new TMainMenu(this);
        Edit = AddMenuItem(this, Menu->GetItems(), "&Edit", 1);
        Undo = AddMenuItem(this, Edit, "&Undo", 0);
        Undo->OnClick = [this](TObject*) { ++Undos; };
        AddMenuItem(this, Menu->GetItems(), "&Child help", 9);
        SetMenu(Menu);
    }
    TMainMenu* Menu;
    TMenuItem* Edit;
    TMenuItem* Undo;
    int Undos = 0;
};

std::vector<std::string> FrameBar(TCustomForm* frame) { return MenuTexts(GetMenu(frame->GetHandle())); }

}  // namespace

TEST(Mdi, FrameMenuBarMergesTheActiveChildsMenuByGroupIndex) {
    MdiSet s;
    s.Frame->Window->SetGroupIndex(5);
    AddMenuItem(s.Frame, s.Frame->Menu->GetItems(), "&Help", 9);
    const std::vector<std::string> own{"&File", "&Window", "&Help"};
    const std::vector<std::string> merged{"&File", "&Edit", "&Window", "&Child help"};
    EXPECT_EQ(FrameBar(s.Frame), own);

    auto* c = new TMenuChildForm(Application, "Child C");
    c->Show();
    PumpFor(50);
    ASSERT_EQ(s.Frame->GetActiveMDIChild(), c);
    // The child's group 9 replaces the frame's; its groups go in order among the frame's.
    EXPECT_EQ(FrameBar(s.Frame), merged);
    // The child's items answer from the frame's bar.
    SendMessageA(s.Frame->GetHandle(), WM_COMMAND, c->Undo->GetCommand(), 0);
    EXPECT_EQ(c->Undos, 1);
    EXPECT_EQ(MenuTexts(GetSubMenu(GetMenu(s.Frame->GetHandle()), 1)), std::vector<std::string>{"&Undo"});
    // The window menu still lists the children.
    const std::vector<std::string> windowList = MenuTexts(GetSubMenu(GetMenu(s.Frame->GetHandle()), 2));
    EXPECT_TRUE(std::any_of(windowList.begin(), windowList.end(),
                            [](const std::string& t) { return t.find("Child C") != std::string::npos; }));
    // A change of the child's menu shows at once.
    c->Edit->SetCaption("&Edit it");
    EXPECT_EQ(FrameBar(s.Frame)[1], "&Edit it");
    c->Edit->SetCaption("&Edit");

    s.A->Show();   // a child without a menu: the frame's own
    PumpFor(50);
    EXPECT_EQ(FrameBar(s.Frame), own);
    c->Show();
    PumpFor(50);
    EXPECT_EQ(FrameBar(s.Frame), merged);
    // A child that loses its menu gives the frame its own back; given one again, it shows.
    c->SetMenu(nullptr);
    EXPECT_EQ(FrameBar(s.Frame), own);
    c->SetMenu(c->Menu);
    EXPECT_EQ(FrameBar(s.Frame), merged);

    // The active child closed: the next active child's menu (none here).
    delete c;
    PumpFor(50);
    EXPECT_EQ(FrameBar(s.Frame), own);
    // The last child closed.
    delete s.A;
    delete s.B;
    s.A = s.B = nullptr;
    auto* last = new TMenuChildForm(Application, "Child D");
    last->Show();
    PumpFor(50);
    EXPECT_EQ(FrameBar(s.Frame), merged);
    delete last;
    PumpFor(50);
    EXPECT_EQ(FrameBar(s.Frame), own);
}

TEST(Mdi, MergedMenusTearDownInEitherOrder) {
    for (bool frameFirst : {false, true}) {
        MdiSet s;
        auto* c = new TMenuChildForm(Application, "Child C");
        c->Show();
        PumpFor(50);
        ASSERT_EQ(FrameBar(s.Frame).size(), 4u) << frameFirst;
        if (frameFirst) {
            delete s.Frame;
            s.Frame = nullptr;
            PumpFor(50);
            delete c;
        } else {
            delete c->Menu;   // the child's menu goes first
            EXPECT_EQ(FrameBar(s.Frame), (std::vector<std::string>{"&File", "&Window"}));
            delete c;
        }
        PumpFor(50);
    }
}

namespace {

// The screen's pixels in a rectangle of screen coordinates.
std::vector<COLORREF> ScreenPixels(const RECT& r) {
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) pixels.push_back(GetPixel(screen, x, y));
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace

// The client puts a maximised child's system menu in front of the frame's bar and its
// minimise, restore and close buttons after it; every change of a frame item leaves them.
TEST(Mdi, MaximisedChildsButtonsStayOnTheFrameBarThroughItemChanges) {
    struct Change {
        const char* name;
        std::function<void(TFrameForm*)> apply;
    };
    const Change changes[] = {
        {"bar caption", [](TFrameForm* f) { f->Menu->GetItems()->Items(0)->SetCaption("&Files"); }},
        {"bar item disabled", [](TFrameForm* f) { f->Window->SetEnabled(false); }},
        {"sub-item caption", [](TFrameForm* f) { f->Menu->GetItems()->Items(0)->Items(0)->SetCaption("&Quit"); }},
        {"bar item added", [](TFrameForm* f) { AddMenuItem(f, f->Menu->GetItems(), "&Tools", 7); }},
    };
    for (int variant = 0; variant < 4; ++variant) {
        const bool childMenu = (variant & 1) != 0;
        // The system menu's item may carry the child's window as data (its icon is the child's).
        const bool windowData = (variant & 2) != 0;
        for (const Change& c : changes) {
            const std::string row = std::string(c.name) + (childMenu ? ", child with a menu" : ", child without") +
                                    (windowData ? ", window as data" : "");
            MdiSet s;
            TCustomForm* child = s.B;
            std::unique_ptr<TMenuChildForm> withMenu;
            if (childMenu) {
                withMenu = std::make_unique<TMenuChildForm>(Application, "Child C");
                withMenu->Show();
                child = withMenu.get();
            }
            HWND frame = s.Frame->GetHandle();
            SetWindowPos(frame, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            SetCursorPos(1000, 760);
            child->SetWindowState(wsMaximized);
            PumpFor(100);
            HMENU bar = GetMenu(frame);
            const int count = GetMenuItemCount(bar);
            HMENU system = GetSystemMenu(child->GetHandle(), FALSE);
            ASSERT_EQ(GetSubMenu(bar, 0), system) << row;
            if (windowData) {
                MENUITEMINFOA data{};
                data.cbSize = sizeof data;
                data.fMask = MIIM_DATA;
                data.dwItemData = reinterpret_cast<ULONG_PTR>(child->GetHandle());
                ASSERT_TRUE(SetMenuItemInfoA(bar, 0, TRUE, &data)) << row;
            }
            const int closeAt = count - 1;
            ASSERT_TRUE(GetMenuItemID(bar, closeAt) == SC_CLOSE || GetMenuItemID(bar, closeAt) == SC_MINIMIZE) << row;
            RECT item{};
            ASSERT_TRUE(GetMenuItemRect(frame, bar, static_cast<UINT>(closeAt), &item)) << row;
            const std::vector<COLORREF> shown = ScreenPixels(item);

            c.apply(s.Frame);
            PumpFor(100);
            bar = GetMenu(frame);
            EXPECT_EQ(GetMenuItemCount(bar), count + (std::string(c.name) == "bar item added" ? 1 : 0)) << row;
            EXPECT_EQ(GetSubMenu(bar, 0), system) << row;
            EXPECT_TRUE(IsMenu(system)) << row << ": the child's system menu is the child's";
            for (UINT command : {SC_MINIMIZE, SC_RESTORE, SC_CLOSE})
                EXPECT_NE(GetMenuState(bar, command, MF_BYCOMMAND), static_cast<UINT>(-1)) << row << " " << command;
            EXPECT_EQ(ScreenPixels(item), shown) << row << ": the button on the screen";
            // The frame's own items still answer between them.
            const std::vector<std::string> texts = FrameBar(s.Frame);
            EXPECT_TRUE(std::find(texts.begin(), texts.end(), "&Window") != texts.end()) << row;
        }
    }
}
