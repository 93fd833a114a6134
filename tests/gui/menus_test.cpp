// Menus on real windows: shortcut texts, shortcut matching, the item tree and its system menu,
// a form's menu bar, automatic hot keys, and a popup shown for real (owner-draw measuring and
// drawing, and a click chosen with the keyboard).
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/menus.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/menu_loop_action.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override { Application->Initialize(); }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

TMenuItem* NewItem(TMenuItem* parent, const AnsiString& caption, TShortCut shortCut = scNone) {
    auto* item = new TMenuItem(nullptr);
    item->SetCaption(caption);
    item->SetShortCut(shortCut);
    parent->Add(item);
    return item;
}

std::string MenuString(HMENU menu, int position) {
    char text[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

// Holds Ctrl / Shift down in this thread's key state while alive.
class HeldKeys {
public:
    explicit HeldKeys(std::vector<int> keys) {
        GetKeyboardState(FSaved);
        BYTE state[256];
        memcpy(state, FSaved, sizeof state);
        for (int k : keys) state[k] = 0x80;
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(FSaved); }

private:
    BYTE FSaved[256];
};

TMessage KeyMessage(UINT msg, WPARAM key, bool alt = false) {
    TMessage m;
    m.Msg = msg;
    m.WParam = key;
    m.LParam = 1 | (alt ? (1 << 29) : 0);
    return m;
}

}  // namespace

TEST(Menus, ShortCutToTextNamesModifiersInOrderAndKnownKeys) {
    const struct {
        TShortCut ShortCut;
        const char* Text;
    } cases[] = {
        {MakeShortCut('S', scCtrl), "Ctrl+S"},
        {MakeShortCut('7', scAlt), "Alt+7"},
        {MakeShortCut(VK_F2, scShift | scCtrl), "Shift+Ctrl+F2"},
        {MakeShortCut(VK_F12, scNone), "F12"},
        {MakeShortCut(VK_DELETE, scShift | scCtrl | scAlt), "Shift+Ctrl+Alt+Del"},
        {MakeShortCut(VK_INSERT, scCtrl), "Ctrl+Ins"},
        {MakeShortCut(VK_RETURN, scAlt), "Alt+Enter"},
        {MakeShortCut(VK_ESCAPE, scNone), "Esc"},
        {MakeShortCut(VK_BACK, scAlt), "Alt+BkSp"},
        {MakeShortCut(VK_PRIOR, scNone), "PgUp"},
        {MakeShortCut(VK_NEXT, scNone), "PgDn"},
        {MakeShortCut(VK_SPACE, scCtrl), "Ctrl+Space"},
        {MakeShortCut(VK_LEFT, scNone), "Left"},
        {scNone, ""},
        {MakeShortCut(VK_SHIFT, scCtrl), ""},   // a key without a name
    };
    for (const auto& c : cases) EXPECT_EQ(ShortCutToText(c.ShortCut), c.Text) << std::hex << c.ShortCut;
}

TEST(Menus, IsShortCutClicksTheMatchingEnabledVisibleItemAtAnyDepth) {
    TPopupMenu menu(nullptr);
    std::vector<std::string> clicked;
    auto track = [&clicked](TMenuItem* item) {
        item->OnClick = [&clicked, item](TObject* sender) {
            EXPECT_EQ(sender, item);
            clicked.push_back(item->GetCaption());
        };
    };
    TMenuItem* file = NewItem(menu.GetItems(), "File");
    track(NewItem(file, "Save", MakeShortCut('S', scCtrl)));
    TMenuItem* more = NewItem(file, "More");
    track(NewItem(more, "Deep", MakeShortCut(VK_F5, scNone)));
    track(NewItem(file, "Alt", MakeShortCut('X', scAlt)));
    TMenuItem* off = NewItem(file, "Off", MakeShortCut('D', scCtrl));
    track(off);
    off->SetEnabled(false);
    TMenuItem* hidden = NewItem(file, "Hidden", MakeShortCut('H', scCtrl));
    track(hidden);
    hidden->SetVisible(false);
    TMenuItem* closedBranch = NewItem(menu.GetItems(), "Closed");
    closedBranch->SetEnabled(false);
    track(NewItem(closedBranch, "Under", MakeShortCut('U', scCtrl)));

    const struct {
        TMessage Message;
        std::vector<int> Held;
        bool Taken;
        const char* Clicked;
    } cases[] = {
        {KeyMessage(WM_KEYDOWN, 'S'), {VK_CONTROL}, true, "Save"},
        {KeyMessage(WM_KEYDOWN, 'S'), {}, false, ""},                        // Ctrl not held
        {KeyMessage(WM_KEYDOWN, 'S'), {VK_CONTROL, VK_SHIFT}, false, ""},    // one modifier too many
        {KeyMessage(WM_KEYDOWN, VK_F5), {}, true, "Deep"},
        {KeyMessage(WM_SYSKEYDOWN, 'X', true), {}, true, "Alt"},
        {KeyMessage(WM_KEYUP, 'S'), {VK_CONTROL}, false, ""},
        {KeyMessage(WM_KEYDOWN, 'D'), {VK_CONTROL}, false, ""},              // disabled item
        {KeyMessage(WM_KEYDOWN, 'H'), {VK_CONTROL}, false, ""},              // invisible item
        {KeyMessage(WM_KEYDOWN, 'U'), {VK_CONTROL}, false, ""},              // under a disabled item
    };
    for (const auto& c : cases) {
        clicked.clear();
        HeldKeys held(c.Held);
        EXPECT_EQ(menu.IsShortCut(c.Message), c.Taken) << c.Message.WParam;
        EXPECT_EQ(clicked.empty() ? "" : clicked.front(), c.Clicked);
        EXPECT_LE(clicked.size(), 1u);
    }
}

TEST(Menus, ItemTreeMovesItemsRefusesCyclesAndForgetsFreedItems) {
    TPopupMenu menu(nullptr);
    TMenuItem* a = NewItem(menu.GetItems(), "A");
    TMenuItem* b = NewItem(menu.GetItems(), "B");
    TMenuItem* child = NewItem(a, "Child");
    EXPECT_EQ(child->GetParent(), a);
    EXPECT_EQ(child->GetParentMenu(), &menu);

    b->Add(child);   // moves
    EXPECT_EQ(a->Count(), 0);
    EXPECT_EQ(b->IndexOf(child), 0);
    EXPECT_THROW(child->Add(b), EMenuError);
    EXPECT_THROW(child->Add(child), EMenuError);
    EXPECT_THROW(b->Insert(5, new TMenuItem(&menu)), EMenuError);

    // Moving within one parent lands at the asked place.
    menu.GetItems()->Insert(2, a);
    EXPECT_EQ(menu.GetItems()->IndexOf(a), 1);

    const UINT command = child->GetCommand();
    EXPECT_EQ(menu.FindItem(command), child);
    delete b;   // frees its sub-items too
    EXPECT_EQ(menu.GetItems()->Count(), 1);
    EXPECT_EQ(TMenuItem::FindByCommand(command), nullptr);
    EXPECT_EQ(menu.FindItem(command), nullptr);

    // Delete takes an item out without freeing it.
    menu.GetItems()->Delete(0);
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(a->GetParentMenu(), nullptr);
    delete a;
}

TEST(Menus, SystemMenuFollowsTheItemsAndGetsAutomaticHotkeys) {
    TPopupMenu menu(nullptr);
    NewItem(menu.GetItems(), "Open");
    NewItem(menu.GetItems(), "Options");   // O is taken
    NewItem(menu.GetItems(), "&Print");
    NewItem(menu.GetItems(), "-");
    NewItem(menu.GetItems(), "文件(F)");
    TMenuItem* save = NewItem(menu.GetItems(), "Save", MakeShortCut('S', scCtrl));
    HMENU handle = menu.GetHandle();
    ASSERT_EQ(GetMenuItemCount(handle), 6);
    EXPECT_EQ(MenuString(handle, 0), "&Open");
    EXPECT_EQ(MenuString(handle, 1), "Op&tions");   // O is Open's, P is Print's
    EXPECT_EQ(MenuString(handle, 2), "&Print");
    EXPECT_EQ(MenuString(handle, 4), "文件(&F)");
    EXPECT_EQ(MenuString(handle, 5), "&Save\tCtrl+S");
    EXPECT_EQ(save->GetCaption(), "Save");   // the caption keeps its text

    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    save->SetEnabled(false);
    save->SetChecked(true);
    ASSERT_TRUE(GetMenuItemInfoA(handle, 5, TRUE, &info));
    EXPECT_TRUE(info.fState & MFS_DISABLED);
    EXPECT_TRUE(info.fState & MFS_CHECKED);
    GetMenuItemInfoA(handle, 3, TRUE, &info);
    EXPECT_TRUE(info.fType & MFT_SEPARATOR);

    save->SetVisible(false);
    EXPECT_EQ(GetMenuItemCount(handle), 5);
    menu.SetAutoHotkeys(maManual);
    EXPECT_EQ(MenuString(handle, 0), "Open");
    menu.SetOwnerDraw(true);
    GetMenuItemInfoA(handle, 0, TRUE, &info);
    EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
}

TEST(Menus, FormMenuBarRoutesCommandsAndSurvivesEitherBeingFreedFirst) {
    for (bool formFirst : {true, false}) {
        auto form = std::make_unique<TForm>(nullptr);
        auto* menu = new TMainMenu(form.get());
        TMenuItem* file = NewItem(menu->GetItems(), "File");
        int clicks = 0;
        NewItem(file, "Go")->OnClick = [&clicks](TObject*) { ++clicks; };
        SetFormMenu(form.get(), menu);
        HWND window = form->GetHandle();
        EXPECT_EQ(GetMenu(window), menu->GetHandle());
        EXPECT_EQ(GetFormMenu(form.get()), menu);

        SendMessageA(window, WM_COMMAND, file->Items(0)->GetCommand(), 0);
        EXPECT_EQ(clicks, 1);
        file->Items(0)->SetEnabled(false);
        SendMessageA(window, WM_COMMAND, file->Items(0)->GetCommand(), 0);
        EXPECT_EQ(clicks, 1);

        NewItem(menu->GetItems(), "Help");
        EXPECT_EQ(GetMenuItemCount(GetMenu(window)), 2);

        if (formFirst) {
            form.reset();   // frees the menu it owns
        } else {
            delete menu;
            EXPECT_EQ(GetMenu(window), nullptr);
            EXPECT_EQ(GetFormMenu(form.get()), nullptr);
            SendMessageA(window, WM_COMMAND, 1, 0);   // nobody there now
            form.reset();
        }
    }
}

TEST(Menus, PopupMeasuresAndDrawsOwnerDrawnItemsThroughItsWindow) {
    TPopupMenu menu(nullptr);
    menu.SetOwnerDraw(true);
    std::vector<std::string> measured, drawn;
    for (const char* caption : {"One", "-", "Two"}) {
        TMenuItem* item = NewItem(menu.GetItems(), caption);
        item->OnMeasureItem = [&measured, item](TObject* sender, TCanvas* canvas, int& width, int& height) {
            EXPECT_EQ(sender, item);
            EXPECT_TRUE(canvas->HandleAllocated());
            measured.push_back(item->GetCaption());
            width = 120;
            height = item->IsLine() ? 7 : 30;
        };
        item->OnDrawItem = [&drawn, item](TObject*, TCanvas* canvas, const TRect& rect, bool) {
            drawn.push_back(item->GetCaption());
            EXPECT_EQ(rect.Height(), item->IsLine() ? 7 : 30);
            canvas->FillRect(rect);
        };
    }
    bool popupSeen = false;
    menu.OnPopup = [&popupSeen](TObject*) { popupSeen = true; };
    RECT shown{};
    MenuLoopAction close([&shown] {
        if (HWND popup = FindWindowA("#32768", nullptr)) GetClientRect(popup, &shown);
        EndMenu();
    });
    menu.Popup(100, 100);
    EXPECT_TRUE(popupSeen);
    EXPECT_EQ(measured, (std::vector<std::string>{"One", "-", "Two"}));
    EXPECT_EQ(drawn, (std::vector<std::string>{"One", "-", "Two"}));
    EXPECT_GE(shown.bottom - shown.top, 30 + 7 + 30);
}

TEST(Menus, PopupClickRunsFromTheMessageLoopAndNeverReachesAFreedMenu) {
    auto menu = std::make_unique<TPopupMenu>(nullptr);
    int clicks = 0;
    NewItem(menu->GetItems(), "First")->OnClick = [&clicks](TObject*) { ++clicks; };
    HWND window = menu->GetWindowHandle();
    {
        // Down and Enter in the menu loop choose the first item.
        MenuLoopAction choose([] {
            HWND popup = FindWindowA("#32768", nullptr);
            PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
        });
        menu->Popup(50, 50);
    }
    EXPECT_TRUE(PumpUntil([&clicks] { return clicks == 1; }, 2000));

    // A command for an item of another menu is not this menu's.
    TPopupMenu other(nullptr);
    TMenuItem* foreign = NewItem(other.GetItems(), "Foreign");
    int foreignClicks = 0;
    foreign->OnClick = [&foreignClicks](TObject*) { ++foreignClicks; };
    SendMessageA(window, WM_COMMAND, foreign->GetCommand(), 0);
    EXPECT_EQ(foreignClicks, 0);

    // A click still queued when the menu goes is dropped with its window.
    PostMessageA(window, WM_COMMAND, menu->GetItems()->Items(0)->GetCommand(), 0);
    menu.reset();
    EXPECT_FALSE(IsWindow(window));
    PumpFor(100);
    EXPECT_EQ(clicks, 1);
}

TEST(Menus, ExceptionInAnItemEventStaysInsideTheWindowProcedure) {
    TPopupMenu menu(nullptr);
    NewItem(menu.GetItems(), "Bad")->OnClick = [](TObject*) { throw Exception("menu click failed"); };
    CaughtErrors errors;
    SendMessageA(menu.GetWindowHandle(), WM_COMMAND, menu.GetItems()->Items(0)->GetCommand(), 0);
    ASSERT_EQ(errors.Messages.size(), 1u);
    EXPECT_EQ(errors.Messages[0], "menu click failed");
}

TEST(Menus, OwnerDrawnItemsAnswerMenuCharWithTheirHotKeys) {
    TPopupMenu menu(nullptr);
    menu.SetOwnerDraw(true);
    NewItem(menu.GetItems(), "&Open");
    NewItem(menu.GetItems(), "-");
    NewItem(menu.GetItems(), "Save");         // automatic: S
    NewItem(menu.GetItems(), "E&xit")->SetEnabled(false);
    TMenuItem* more = NewItem(menu.GetItems(), "More");
    NewItem(more, "&Deep");
    HMENU handle = menu.GetHandle();
    HWND window = menu.GetWindowHandle();
    auto menuChar = [window](char key, HMENU in) {
        return SendMessageA(window, WM_MENUCHAR, MAKEWPARAM(key, MF_POPUP), reinterpret_cast<LPARAM>(in));
    };
    const struct {
        char Key;
        HMENU In;
        LRESULT Answer;
    } cases[] = {
        {'o', handle, MAKELRESULT(0, MNC_EXECUTE)},
        {'S', handle, MAKELRESULT(2, MNC_EXECUTE)},
        {'m', handle, MAKELRESULT(4, MNC_EXECUTE)},
        {'x', handle, 0},   // disabled: the system's answer (ignore)
        {'q', handle, 0},
        {'d', GetSubMenu(handle, 4), MAKELRESULT(0, MNC_EXECUTE)},
        {'o', GetSubMenu(handle, 4), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(menuChar(c.Key, c.In), c.Answer) << c.Key;

    menu.SetAutoHotkeys(maManual);
    EXPECT_EQ(menuChar('s', handle), 0);

    // A menu of another component is not answered for.
    TPopupMenu other(nullptr);
    NewItem(other.GetItems(), "&Foreign");
    EXPECT_EQ(menuChar('f', other.GetHandle()), 0);
}
