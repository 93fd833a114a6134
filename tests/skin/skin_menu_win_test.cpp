// The engine's menus with our default skin on a real form: item sizes, painted pixels against
// the skin's own colours (gutter, selection, separator, check and item images, right-to-left),
// skinning and unskinning menus, the system-menu popup (items, enabling, clicks, a target
// freed while the menu is open), and no GDI object left behind by painting.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/menus.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_keys.h"
#include "skin/skin_menu_win.h"
#include "skin/skin_registry_win.h"
#include "skin/skin_utils_win.h"
#include "tests/support/menu_loop_action.h"
#include "tests/support/tempdir.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override { Application->Initialize(); }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

std::vector<uint8_t> DefaultSkin() {
    std::string bytes = ReadWholeFile(SKIN_DEFAULT_FILE);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// A main form with its engine loaded from the stored default skin.
class SkinMenus : public ::testing::Test {
protected:
    void SetUp() override {
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(100, 100, 320, 240);
        Form->BeginLoading();
        Engine = new TlumSkinEngine(Form.get());
        Engine->SetActive(true);
        Engine->SetBuiltIn(true);
        Engine->ReadSkinData(DefaultSkin());
        Form->FinishLoading();
        ASSERT_TRUE(Engine->IsSkinActive());
        Menus = Engine->Menus();
    }
    void TearDown() override { Form.reset(); }

    COLORREF Skin(uint8_t index) const { return ColorToRGB(Engine->GetSkinColor(index)); }

    TMenuItem* NewItem(TMenu* menu, const AnsiString& caption, TShortCut shortCut = scNone) {
        auto* item = new TMenuItem(nullptr);
        item->SetCaption(caption);
        item->SetShortCut(shortCut);
        menu->GetItems()->Add(item);
        return item;
    }

    std::unique_ptr<TForm> Form;
    TlumSkinEngine* Engine = nullptr;
    TlumSkinMenus* Menus = nullptr;
};

// A 24-bit picture of one painted item.
struct Painted {
    Painted(TMenuItem* item, int width, int height, bool selected) {
        Picture.SetPixelFormat(pf24bit);
        Picture.SetSize(width, height);
        item->DrawItem(Picture.GetCanvas(), TRect(0, 0, width, height), selected);
    }
    COLORREF At(int x, int y) { return static_cast<COLORREF>(Picture.GetCanvas()->GetPixel(x, y)); }
    TBitmap Picture;
};

TBitmap* SolidBitmap(TBitmap& b, int size, TColor color) {
    b.SetPixelFormat(pf24bit);
    b.SetSize(size, size);
    b.GetCanvas()->GetBrush()->SetColor(color);
    b.GetCanvas()->FillRect(TRect(0, 0, size, size));
    return &b;
}

struct FakeTarget : TlumSkinSysMenuTarget {
    explicit FakeTarget(TSysMenuButtons buttons) : Buttons(buttons) {}
    void DoMinimize() override { Calls.push_back("minimize"); }
    void DoMaxRestore() override { Calls.push_back("maxrestore"); }
    void DoClose() override { Calls.push_back("close"); }
    TSysMenuButtons PaintedCaptionButtons() const override { return Buttons; }
    TSysMenuButtons Buttons;
    std::vector<std::string> Calls;
};

void Pump() {
    MSG msg;
    for (int i = 0; i < 20; ++i) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

}  // namespace

TEST_F(SkinMenus, MeasuresItemsAtLeast21HighSeparators5AndBarItemsAsTheClassLibraryDoes) {
    TPopupMenu popup(nullptr);
    TMainMenu bar(nullptr);
    TMenuItem* top = NewItem(&bar, "File");
    auto* inner = new TMenuItem(nullptr);
    inner->SetCaption("Open");
    top->Add(inner);
    Menus->SkinMenu(&popup);
    Menus->SkinMenu(&bar);

    TBitmap surface(10, 10);
    TCanvas* canvas = surface.GetCanvas();
    SetMenuFont(canvas->GetFont());
    const struct {
        TMenuItem* Item;
        int Width, Height;
    } cases[] = {
        {NewItem(&popup, "Open"), canvas->TextWidth("Open") + 66, 21},
        {NewItem(&popup, "Save", MakeShortCut('S', scCtrl)),
         canvas->TextWidth("Save") + canvas->TextWidth("Ctrl+S") + 66, 21},
        {NewItem(&popup, "-"), canvas->TextWidth("-") + 66, 5},
        {inner, canvas->TextWidth("Open") + 66, 21},
        {top, canvas->TextWidth("File"), GetSystemMetrics(SM_CYMENU)},   // as the class library measures it
    };
    Menus->SkinMenu(&popup);
    for (const auto& c : cases) {
        int width = 77, height = 88;
        c.Item->MeasureItem(canvas, width, height);
        EXPECT_EQ(width, c.Width) << c.Item->GetCaption();
        EXPECT_EQ(height, c.Height) << c.Item->GetCaption();
    }
    // A font taller than 21 pixels sets the height.
    canvas->GetFont()->SetHeight(-40);
    int width = 0, height = 0;
    cases[0].Item->MeasureItem(canvas, width, height);
    EXPECT_EQ(height, canvas->TextHeight("Open"));
    EXPECT_GT(height, 21);
}

TEST_F(SkinMenus, PaintsGutterBackgroundSelectionAndSeparatorInTheSkinColours) {
    TPopupMenu popup(nullptr);
    TMenuItem* item = NewItem(&popup, "Open");
    TMenuItem* line = NewItem(&popup, "-");
    Menus->SkinMenu(&popup);
    const COLORREF gutterStart = Skin(SKIN2_LEFTBARSTARTCOLOR), gutterEnd = Skin(SKIN2_LEFTBARENDCOLOR);
    const COLORREF back = Skin(SKIN2_MENUITEMCOLOR);
    const COLORREF selected = Skin(SKIN2_SELECTEDMENUCOLOR), border = Skin(SKIN2_SELECTEDMENUBORDERCOLOR);
    ASSERT_NE(selected, back);
    ASSERT_NE(gutterStart, gutterEnd);   // the default skin's gutter is a gradient

    {
        Painted p(item, 200, 21, false);
        EXPECT_EQ(p.At(0, 19), gutterStart);
        EXPECT_EQ(p.At(25, 19), gutterEnd);
        EXPECT_EQ(p.At(26, 19), back);
        EXPECT_EQ(p.At(190, 19), back);
    }
    {
        Painted p(item, 200, 21, true);
        EXPECT_EQ(p.At(0, 0), border);
        EXPECT_EQ(p.At(199, 20), border);
        EXPECT_EQ(p.At(1, 19), selected);
        EXPECT_EQ(p.At(190, 19), selected);
    }
    item->SetEnabled(false);
    {
        Painted p(item, 200, 21, true);   // a disabled item shows no selection
        EXPECT_EQ(p.At(0, 19), gutterStart);
        EXPECT_EQ(p.At(190, 19), back);
    }
    {
        Painted p(line, 200, 5, true);
        const COLORREF rule = TlumSkinMenus::kSeparatorColor;
        EXPECT_EQ(p.At(0, 2), gutterStart);
        EXPECT_EQ(p.At(29, 2), back);
        EXPECT_EQ(p.At(30, 2), rule);
        EXPECT_EQ(p.At(197, 2), rule);
        EXPECT_EQ(p.At(198, 2), back);
        EXPECT_EQ(p.At(100, 3), back);
    }
    popup.SetBiDiMode(bdRightToLeft);
    {
        Painted p(line, 200, 5, false);
        EXPECT_EQ(p.At(199, 2), gutterStart);   // the gutter is on the right
        EXPECT_EQ(p.At(174, 2), gutterEnd);
        EXPECT_EQ(p.At(2, 2), TlumSkinMenus::kSeparatorColor);
        EXPECT_EQ(p.At(169, 2), TlumSkinMenus::kSeparatorColor);
        EXPECT_EQ(p.At(170, 2), back);
    }
}

TEST_F(SkinMenus, PaintsCheckMarksItemImagesAndBitmapsInTheGutter) {
    // The skin's own check mark replaces the resource's, as after every skin load.
    Engine->ApplyMenuCheckImage();
    ASSERT_EQ(MenuCheckedImages()->Count(), 1);
    TBitmap* skinCheck = Engine->GetSkinBitmap(SKIN2_CHECKEDMENUICON);
    ASSERT_NE(skinCheck, nullptr);
    const COLORREF checkInk = static_cast<COLORREF>(skinCheck->GetCanvas()->GetPixel(7, 11));

    TPopupMenu popup(nullptr);
    TImageList images(nullptr, 16, 16);
    TBitmap blue;
    images.AddMasked(SolidBitmap(blue, 16, clBlue), clFuchsia);
    popup.SetImages(&images);
    TMenuItem* item = NewItem(&popup, "Item");
    Menus->SkinMenu(&popup);
    const COLORREF back = Skin(SKIN2_MENUITEMCOLOR);
    TBitmap green;
    SolidBitmap(green, 8, clLime);

    const struct {
        const char* Name;
        bool Checked;
        int ImageIndex;
        bool WithBitmap;
        COLORREF Glyph;        // at the glyph's middle
        bool Framed;           // a black frame around an image
    } cases[] = {
        {"check mark without image", true, -1, false, checkInk, false},
        {"check mark for an index past the images", true, 5, false, checkInk, false},
        {"framed image", true, 0, false, 0xFF0000, true},
        {"plain image", false, 0, false, 0xFF0000, false},
        {"index past the images draws nothing", false, 5, false, 0xFFFFFFFF, false},
        {"bitmap without index", false, -1, true, 0x00FF00, false},
        {"index with a list wins over the bitmap", false, 5, true, 0xFFFFFFFF, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        item->SetChecked(c.Checked);
        item->SetImageIndex(c.ImageIndex);
        item->SetBitmap(c.WithBitmap ? &green : nullptr);
        Painted p(item, 200, 22, false);
        const COLORREF middle = p.At(4 + 7, 3 + 11);
        if (c.Glyph != 0xFFFFFFFF) {
            EXPECT_EQ(middle, c.Glyph);
        } else {
            EXPECT_NE(middle, 0xFF0000u);
            EXPECT_NE(middle, 0x00FF00u);
        }
        if (c.Framed) {
            EXPECT_EQ(p.At(2, 10), 0u);
            EXPECT_EQ(p.At(20, 19), 0u);
            EXPECT_EQ(p.At(3, 2), back);
        } else {
            EXPECT_NE(p.At(2, 10), 0u);
        }
    }
    // Without any list the check mark comes back.
    popup.SetImages(nullptr);
    item->SetChecked(true);
    item->SetImageIndex(0);
    item->SetBitmap(nullptr);
    Painted p(item, 200, 22, false);
    EXPECT_EQ(p.At(4 + 7, 3 + 11), checkInk);
}

TEST_F(SkinMenus, SkinAndUnskinSetAndClearTheEventsOfEveryItemAndTheEmptyImages) {
    TMainMenu bar(nullptr);
    TPopupMenu popup(nullptr);
    TMenuItem* file = NewItem(&bar, "File");
    auto* open = new TMenuItem(nullptr);
    file->Add(open);
    auto* recent = new TMenuItem(nullptr);
    open->Add(recent);
    NewItem(&popup, "Cut");
    const std::vector<TMenuItem*> all = {file, open, recent, popup.GetItems()->Items(0)};

    Menus->SkinMenu(&bar);
    Menus->SkinMenu(&popup);
    for (TMenuItem* item : all) {
        EXPECT_TRUE(item->OnDrawItem && item->OnMeasureItem) << item->GetCaption();
    }
    EXPECT_TRUE(bar.GetOwnerDraw() && popup.GetOwnerDraw());
    EXPECT_EQ(bar.GetImages(), EmptyMenuImages());
    EXPECT_EQ(popup.GetImages(), nullptr);

    Menus->UnskinMenu(&bar);
    Menus->UnskinMenu(&popup);
    for (TMenuItem* item : all) EXPECT_FALSE(item->OnDrawItem || item->OnMeasureItem);
    EXPECT_FALSE(bar.GetOwnerDraw() || popup.GetOwnerDraw());
    EXPECT_EQ(bar.GetImages(), nullptr);

    // A main menu's own images stay.
    TImageList own(nullptr);
    bar.SetImages(&own);
    Menus->SkinMenu(&bar);
    Menus->UnskinMenu(&bar);
    EXPECT_EQ(bar.GetImages(), &own);
}

TEST_F(SkinMenus, NotificationSkinsMenusAndItemsJoiningTheFormUnlessDisabledOrInactive) {
    auto* menu = new TPopupMenu(Form.get());
    NewItem(menu, "One");
    auto* tagged = new TPopupMenu(Form.get());
    tagged->SetTag(9999);
    auto* item = new TMenuItem(Form.get());

    Engine->MenuNotification(menu, opInsert);
    Engine->MenuNotification(tagged, opInsert);
    Engine->MenuNotification(item, opInsert);
    EXPECT_TRUE(menu->GetOwnerDraw());
    EXPECT_TRUE(menu->GetItems()->Items(0)->OnDrawItem != nullptr);
    EXPECT_FALSE(tagged->GetOwnerDraw());
    EXPECT_TRUE(item->OnDrawItem != nullptr);

    Engine->MenuNotification(menu, opRemove);
    EXPECT_FALSE(menu->GetOwnerDraw());
    EXPECT_FALSE(menu->GetItems()->Items(0)->OnDrawItem != nullptr);

    Engine->SetActive(false);
    Engine->MenuNotification(menu, opInsert);
    EXPECT_FALSE(menu->GetOwnerDraw());
}

TEST_F(SkinMenus, SystemMenuHasFourOwnerDrawnItemsThatFollowTheTexts) {
    TPopupMenu* popup = Engine->GetSystemMenuPopup();
    ASSERT_EQ(popup->GetItems()->Count(), 4);
    const char* texts[] = {"Mi&nimize", "Ma&ximize/Restore", "-", "&Close"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(popup->GetItems()->Items(i)->GetCaption(), texts[i]);
        EXPECT_TRUE(popup->GetItems()->Items(i)->OnDrawItem != nullptr);
    }
    EXPECT_TRUE(popup->GetOwnerDraw());
    EXPECT_EQ(popup->GetAutoHotkeys(), maManual);

    Engine->SetResSysMenuClose("关闭(&C)");
    Engine->SetResSysMenuMin("最小化(&N)");
    Engine->RenameSystemMenuItems();
    EXPECT_EQ(popup->GetItems()->Items(3)->GetCaption(), "关闭(&C)");
    EXPECT_EQ(popup->GetItems()->Items(0)->GetCaption(), "最小化(&N)");
    EXPECT_EQ(popup->GetItems()->Items(2)->GetCaption(), "-");

    // Measured through the popup's own window: three items of 21 and a separator of 5.
    HWND window = popup->GetWindowHandle();
    const struct {
        int Index;
        UINT Height;
    } sizes[] = {{0, 21}, {2, 5}, {3, 21}};
    for (const auto& s : sizes) {
        MEASUREITEMSTRUCT mis{};
        mis.CtlType = ODT_MENU;
        mis.itemID = popup->GetItems()->Items(s.Index)->GetCommand();
        mis.itemData = mis.itemID;
        EXPECT_EQ(SendMessageA(window, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis)), TRUE);
        EXPECT_EQ(mis.itemHeight, s.Height) << s.Index;
    }
}

TEST_F(SkinMenus, SystemMenuEnablesByTheTargetsButtonsAndClicksReachTheTarget) {
    TPopupMenu* popup = Engine->GetSystemMenuPopup();
    TMenuItem* items = popup->GetItems();
    const struct {
        TSysMenuButtons Buttons;
        bool Min, Max, Close;
    } cases[] = {
        {sbMinimizeShown | sbMaximizeShown | sbCloseShown, true, true, true},
        {sbCloseShown, false, false, true},
        {sbMinimizeShown, true, false, false},
        {0, false, false, false},
    };
    for (const auto& c : cases) {
        FakeTarget target(c.Buttons);
        Menus->SetSystemMenuTarget(&target);
        popup->OnPopup(popup);
        EXPECT_EQ(items->Items(0)->GetEnabled(), c.Min);
        EXPECT_EQ(items->Items(1)->GetEnabled(), c.Max);
        EXPECT_EQ(items->Items(3)->GetEnabled(), c.Close);
    }

    FakeTarget target(sbCloseShown);
    Menus->SetSystemMenuTarget(&target);
    popup->OnPopup(popup);
    for (int i : {0, 1, 3}) SendMessageA(popup->GetWindowHandle(), WM_COMMAND, items->Items(i)->GetCommand(), 0);
    EXPECT_EQ(target.Calls, (std::vector<std::string>{"close"}));   // the other two are disabled
    for (int i : {0, 1, 3}) items->Items(i)->Click();
    EXPECT_EQ(target.Calls, (std::vector<std::string>{"close", "minimize", "maxrestore", "close"}));

    // No target: clicks and the popup's enabling do nothing.
    Menus->SetSystemMenuTarget(nullptr);
    items->Items(3)->Click();
    popup->OnPopup(popup);
    EXPECT_EQ(target.Calls.size(), 4u);
}

TEST_F(SkinMenus, ATargetFreedWhileItsMenuIsOpenLeavesNoTargetBehind) {
    TPopupMenu* popup = Engine->GetSystemMenuPopup();
    auto target = std::make_unique<FakeTarget>(sbMinimizeShown | sbMaximizeShown | sbCloseShown);
    std::vector<std::string> calls;
    bool closeEnabled = false;
    {
        // While the menu is open its window goes; then Close is chosen.
        MenuLoopAction freeAndChoose([&] {
            closeEnabled = popup->GetItems()->Items(3)->GetEnabled();
            target.reset();
            HWND menu = FindWindowA("#32768", nullptr);
            PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
            PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        });
        Engine->ShowSystemMenu(target.get(), 120, 120);
    }
    Pump();
    EXPECT_TRUE(closeEnabled);
    EXPECT_EQ(Menus->GetSystemMenuTarget(), nullptr);

    // A second target replaces the first; freeing the first then leaves the second.
    FakeTarget first(0), second(0);
    Menus->SetSystemMenuTarget(&first);
    Menus->SetSystemMenuTarget(&second);
    {
        FakeTarget gone(0);
        Menus->SetSystemMenuTarget(&gone);
        Menus->SetSystemMenuTarget(&first);
    }
    EXPECT_EQ(Menus->GetSystemMenuTarget(), &first);
}

TEST_F(SkinMenus, PaintingThroughTheMenuWindowLeavesNoGdiObjectBehind) {
    TPopupMenu* popup = Engine->GetSystemMenuPopup();
    TMenuItem* item = popup->GetItems()->Items(0);
    item->SetChecked(true);
    item->SetDefault(true);
    TBitmap surface;
    surface.SetPixelFormat(pf24bit);
    surface.SetSize(200, 21);
    HDC dc = surface.GetCanvas()->GetHandle();
    HGDIOBJ fontBefore = GetCurrentObject(dc, OBJ_FONT);

    auto paintOnce = [&](bool selected) {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_MENU;
        dis.itemID = item->GetCommand();
        dis.itemData = item->GetCommand();
        dis.itemState = selected ? ODS_SELECTED : 0;
        dis.hDC = dc;
        dis.rcItem = RECT{0, 0, 200, 21};
        return SendMessageA(popup->GetWindowHandle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    };
    ASSERT_EQ(paintOnce(true), TRUE);
    EXPECT_EQ(surface.GetCanvas()->GetPixel(100, 19), static_cast<TColor>(Skin(SKIN2_SELECTEDMENUCOLOR)));
    const long live = LiveGdiObjectCount();
    for (int i = 0; i < 50; ++i) paintOnce(i % 2 == 0);
    EXPECT_EQ(LiveGdiObjectCount(), live);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), fontBefore);   // the DC gets its own font back
}
