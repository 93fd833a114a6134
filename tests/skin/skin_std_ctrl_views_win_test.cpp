// Skins of tool bars, labels, date-time pickers, extended combo boxes and list views with the
// default skin, on a plain form: the looks read back from the screen against the skin's own
// colours, real mouse input for hot, pressed and dropped states, settings and handlers given
// back, and teardown in either order without leaking.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/date_time_picker.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/image_list.h"
#include "classlib/gui/list_controls.h"
#include "classlib/gui/list_view.h"
#include "classlib/gui/standard_controls.h"
#include "classlib/gui/tool_bar.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_registry_win.h"
#include "skin/skin_std_ctrl_listview_win.h"
#include "skin/skin_std_ctrl_picker_win.h"
#include "skin/skin_std_ctrl_register_win.h"
#include "skin/skin_std_ctrl_toolbar_win.h"
#include "tests/skin/support/skin_test_support.h"

namespace {

const auto* kEnv = ::testing::AddGlobalTestEnvironment(new TSkinGuiEnvironment(RegisterStdControlSkins));

// Real input here settles a little longer than elsewhere.
constexpr int kSettle = 40;

COLORREF SkinRGB(TSkinColorKey key) { return ColorToRGB(Host().Engine->GetSkinColor(key)); }
COLORREF FormRGB() { return ColorToRGB(Host().Engine->GetFormColor()); }

void Redraw(HWND wnd) {
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(40);
}

int UpDownChildren(HWND parent, bool visibleOnly) {
    int n = 0;
    for (HWND c = FindWindowExA(parent, nullptr, UPDOWN_CLASSA, nullptr); c;
         c = FindWindowExA(parent, c, UPDOWN_CLASSA, nullptr))
        if (!visibleOnly || IsWindowVisible(c)) ++n;
    return n;
}

class SkinStdViews : public TSkinFormTest {
protected:
    SkinStdViews() : TSkinFormTest("TViewsTestForm", 300, 60, 460, 360) {}
    void SetUp() override {
        Host().Engine->SetActive(true);
        TSkinFormTest::SetUp();
    }
    void TearDown() override {
        TSkinFormTest::TearDown();
        Host().Engine->SetActive(true);
    }
    template <class TSkin>
    std::unique_ptr<TSkin> Skin(TControl* control) {
        auto skin = FindSkinControlClass(control, &SkinWindow);
        EXPECT_NE(skin, nullptr) << control->ClassName();
        auto* typed = dynamic_cast<TSkin*>(skin.get());
        EXPECT_NE(typed, nullptr) << (skin ? skin->ClassName() : "none");
        if (!typed) return nullptr;
        skin.release();
        typed->ApplySkinColours();
        return std::unique_ptr<TSkin>(typed);
    }
    TToolBar* AddToolBar(TToolButton*& plain, TToolButton*& dropDown) {
        auto* bar = Add<TToolBar>(0, 0, 300, 30);
        plain = new TToolButton(Form.get());
        plain->SetParent(bar);
        dropDown = new TToolButton(Form.get());
        dropDown->SetStyle(tbsDropDown);
        dropDown->SetParent(bar);
        return bar;
    }
};

}  // namespace

TEST_F(SkinStdViews, RegisteredRowsPickTheseSkins) {
    struct {
        TControl* Control;
        const char* Skin;
    } cases[] = {
        {Add<TToolBar>(0, 0, 200, 30), "TlumSkinToolBar"},
        {Add<TDateTimePicker>(10, 40, 120, 24), "TlumSkinDateTimePicker"},
        {Add<TListView>(10, 70, 200, 100), "TlumSkinListView"},
        {Add<TComboBoxEx>(10, 180, 120, 24), "TlumSkinComboBoxEx"},
        {Add<TLabel>(10, 210, 80, 16), "TlumSkinLabel"},
    };
    for (const auto& c : cases) {
        auto skin = FindSkinControlClass(c.Control, &SkinWindow);
        ASSERT_NE(skin, nullptr) << c.Skin;
        EXPECT_STREQ(skin->ClassName(), c.Skin);
        skin->Restore();
    }
}

// Hover, press and the drop-down button's separator, with the real cursor.
TEST_F(SkinStdViews, ToolBarButtonsShowHotAndPressedLooks) {
    TToolButton *plain, *dropDown;
    TToolBar* bar = AddToolBar(plain, dropDown);
    auto skin = Skin<TlumSkinToolBar>(bar);
    ASSERT_NE(skin, nullptr);
    Redraw(Form->GetHandle());
    HWND wnd = bar->GetHandle();
    const TRect p = plain->GetBoundsRect();
    const TRect d = dropDown->GetBoundsRect();
    ASSERT_GT(d.Width(), 14);

    MoveTo(ScreenPoint(wnd, p.Left + p.Width() / 2, p.Top + p.Height() / 2), kSettle);
    EXPECT_EQ(ClientPixel(wnd, p.Left + 3, p.Top + 3), SkinRGB(SKIN2_TOOLBARONCOLOR)) << "hot face";
    EXPECT_EQ(ClientPixel(wnd, p.Left, p.Top + 3), SkinRGB(SKIN2_TOOLBARBORDERCOLOR)) << "hot frame";
    // Held down the button is selected; the system may drop the hot flag while it holds the
    // mouse, which leaves the hot look: a skin face either way.
    Press(kSettle);
    const COLORREF held = ClientPixel(wnd, p.Left + 3, p.Top + 3);
    EXPECT_TRUE(held == SkinRGB(SKIN2_TOOLBARDOWNCOLOR) || held == SkinRGB(SKIN2_TOOLBARONCOLOR)) << "held face";
    Release(kSettle);
    // Hot and selected together: the pressed look.
    bool defaultDraw = true;
    skin->DrawButton(bar, plain, cdsHot | cdsSelected, defaultDraw);
    EXPECT_FALSE(defaultDraw);
    EXPECT_EQ(ClientPixel(wnd, p.Left + 3, p.Top + 3), SkinRGB(SKIN2_TOOLBARDOWNCOLOR)) << "pressed face";
    EXPECT_EQ(ClientPixel(wnd, p.Left, p.Top + 3), SkinRGB(SKIN2_TOOLBARBORDERCOLOR)) << "pressed frame";

    MoveTo(ScreenPoint(wnd, d.Left + 4, d.Top + d.Height() / 2), kSettle);
    for (int y : {d.Top + 1, d.Top + d.Height() / 2 - 2, d.Bottom - 2})
        EXPECT_EQ(ClientPixel(wnd, d.Right - 14, y), RGB(0, 0, 0)) << "separator at y " << y;
    EXPECT_EQ(ClientPixel(wnd, d.Right - 13, d.Top + 3), SkinRGB(SKIN2_TOOLBARONCOLOR));
    EXPECT_EQ(ClientPixel(wnd, d.Right - 15, d.Top + 3), SkinRGB(SKIN2_TOOLBARONCOLOR));

    // Off the bar the buttons are the bar's own again: no skin face anywhere on them.
    MoveTo(ScreenPoint(Form->GetHandle(), 200, 300), kSettle);
    EXPECT_NE(ClientPixel(wnd, p.Left + 3, p.Top + 3), SkinRGB(SKIN2_TOOLBARONCOLOR));
    skin->Restore();
}

// Flat, Transparent, Color and the application's custom-draw handlers come back on every way
// the skin leaves; a handler the application set meanwhile is kept.
TEST_F(SkinStdViews, ToolBarGivesBackSettingsAndHandlers) {
    enum TWay { wUnskin, wRestore, wFreeOnly, wReplacedMeanwhile };
    const struct {
        const char* Name;
        TWay Way;
    } ways[] = {{"skin taken off", wUnskin}, {"restored", wRestore}, {"freed without restore", wFreeOnly},
                {"application replaced its handler", wReplacedMeanwhile}};
    for (const auto& w : ways) {
        TToolButton *plain, *dropDown;
        TToolBar* bar = AddToolBar(plain, dropDown);
        bar->SetTransparent(true);
        bar->SetColor(clRed);
        int appDraws = 0, appButtonDraws = 0, laterDraws = 0;
        bar->OnCustomDraw = [&](TToolBar*, const TRect&, bool&) { ++appDraws; };
        bar->OnCustomDrawButton = [&](TToolBar*, TToolButton*, TCustomDrawState, bool&) { ++appButtonDraws; };
        auto skin = Skin<TlumSkinToolBar>(bar);
        ASSERT_NE(skin, nullptr);
        EXPECT_TRUE(bar->GetFlat());
        EXPECT_FALSE(bar->GetTransparent());
        EXPECT_EQ(bar->GetColor(), Host().Engine->GetSkinColor(SKIN2_TOOLBARSTARTCOLOR));
        EXPECT_TRUE(skin->HandlersInstalled());
        Redraw(bar->GetHandle());
        EXPECT_EQ(appDraws, 0) << w.Name;

        bool settingsBack = true;
        switch (w.Way) {
        case wUnskin:
            Host().Engine->SetActive(false);
            skin->ApplySkinColours();
            break;
        case wRestore: skin->Restore(); break;
        case wFreeOnly: settingsBack = false; break;
        case wReplacedMeanwhile:
            bar->OnCustomDraw = [&](TToolBar*, const TRect&, bool&) { ++laterDraws; };
            skin->Restore();
            break;
        }
        skin.reset();
        Host().Engine->SetActive(true);
        if (settingsBack) {
            EXPECT_FALSE(bar->GetFlat()) << w.Name;
            EXPECT_TRUE(bar->GetTransparent()) << w.Name;
            EXPECT_EQ(bar->GetColor(), clRed) << w.Name;
        }
        Redraw(bar->GetHandle());
        if (w.Way == wReplacedMeanwhile) {
            EXPECT_GT(laterDraws, 0) << w.Name;
            EXPECT_EQ(appDraws, 0) << w.Name;
        } else {
            EXPECT_GT(appDraws, 0) << w.Name;
        }
        EXPECT_GT(appButtonDraws, 0) << w.Name;
        delete bar;
    }
}

TEST_F(SkinStdViews, LabelTakesTheSkinFontColourEvenWhenButtonsKeepTheirs) {
    const TColor skinned = Host().Engine->GetSkinColor(SKIN2_CONTROLFONTCOLOR);
    const TColor designed = skinned == clRed ? clBlue : clRed;
    for (bool noChange : {false, true}) {
        Host().Engine->SetNoChangeButtonsFontColor(noChange);
        for (bool unskinByRestore : {false, true}) {
            auto* label = Add<TLabel>(10, 10, 100, 16);
            label->GetFont()->SetColor(designed);
            auto skin = Skin<TlumSkinLabel>(label);
            ASSERT_NE(skin, nullptr);
            EXPECT_TRUE(skin->WantsParentColor());
            EXPECT_EQ(label->GetFont()->GetColor(), skinned) << noChange;
            if (unskinByRestore) {
                skin->Restore();
            } else {
                Host().Engine->SetActive(false);
                skin->ApplySkinColours();
            }
            EXPECT_EQ(label->GetFont()->GetColor(), designed) << noChange << unskinByRestore;
            Host().Engine->SetActive(true);
            skin.reset();
            delete label;
        }
    }
    Host().Engine->SetNoChangeButtonsFontColor(false);
}

// A date picker drops its calendar from the skinned button; a time picker gets the skin's
// up-down over its hidden native one; Tag 9998 keeps the native one alone.
TEST_F(SkinStdViews, PickersGetButtonOrUpDown) {
    const struct {
        const char* Name;
        TDateTimeKind Kind;
        TDTDateMode Mode;
        int Tag;
        bool Button, SkinUpDown;
    } cases[] = {
        {"date, calendar", dtkDate, dmComboBox, 0, true, false},
        {"date, up-down", dtkDate, dmUpDown, 0, false, true},
        {"time", dtkTime, dmComboBox, 0, false, true},
        {"time, Tag 9998", dtkTime, dmComboBox, 9998, false, false},
    };
    for (const auto& c : cases) {
        auto* picker = Add<TDateTimePicker>(20, 20, 160, 24);
        picker->SetKind(c.Kind);
        picker->SetDateMode(c.Mode);
        picker->SetTag(c.Tag);
        HWND wnd = picker->GetHandle();
        const int nativeUpDowns = UpDownChildren(wnd, true);
        auto skin = Skin<TlumSkinDateTimePicker>(picker);
        ASSERT_NE(skin, nullptr);
        Redraw(Form->GetHandle());
        TlumSkinInternalComboButton* button = skin->GetComboButton();
        EXPECT_EQ(button && button->GetVisible(), c.Button) << c.Name;
        TlumSkinInternalUpDown* upDown = skin->GetUpDown();
        EXPECT_EQ(upDown && upDown->GetVisible(), c.SkinUpDown) << c.Name;
        if (c.SkinUpDown) {
            ASSERT_NE(skin->NativeUpDown(), nullptr) << c.Name;
            EXPECT_FALSE(IsWindowVisible(skin->NativeUpDown())) << c.Name;
        }
        if (c.Tag == 9998) {
            EXPECT_EQ(upDown, nullptr);
            EXPECT_EQ(UpDownChildren(wnd, true), 1) << c.Name;
        }
        if (c.Button) {
            const TRect r = button->GetBoundsRect();
            MoveTo(ScreenPoint(wnd, r.Left + r.Width() / 2, r.Top + r.Height() / 2), kSettle);
            Press(kSettle);
            Release(kSettle);
            HWND calendar = reinterpret_cast<HWND>(SendMessageA(wnd, DTM_GETMONTHCAL, 0, 0));
            EXPECT_TRUE(calendar && IsWindowVisible(calendar)) << c.Name;
            keybd_event(VK_ESCAPE, 0, 0, 0);
            keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
            Pump();
        }
        if (c.SkinUpDown) {
            // A press on the skin's upper arrow steps the native up-down underneath.
            HWND native = skin->NativeUpDown();
            const LRESULT before = SendMessageA(native, UDM_GETPOS32, 0, 0);
            HWND own = upDown->GetHandle();
            MoveTo(ScreenPoint(own, upDown->GetWidth() / 2, 3), kSettle);
            Press(kSettle);
            Release(kSettle);
            EXPECT_NE(SendMessageA(native, UDM_GETPOS32, 0, 0), before) << c.Name;
        }
        // Whatever the skin hid or added is back as it was.
        skin->Restore();
        EXPECT_EQ(skin->GetComboButton(), nullptr);
        EXPECT_EQ(skin->GetUpDown(), nullptr);
        skin.reset();
        EXPECT_EQ(UpDownChildren(wnd, false), UpDownChildren(wnd, true)) << c.Name;
        EXPECT_EQ(UpDownChildren(wnd, true), nativeUpDowns) << c.Name;
        delete picker;
    }
}

// The frame and button in the skin's colours over the inner combo box; its arrow still drops
// the list; a simple one keeps the native look.
TEST_F(SkinStdViews, ComboBoxExPaintsFrameAndButtonAndStillDrops) {
    auto* ex = Add<TComboBoxEx>(20, 20, 160, 24);
    ex->SetStyle(csExDropDownList);
    ex->GetItems()->Add("one");
    ex->GetItems()->Add("two");
    auto skin = Skin<TlumSkinComboBoxEx>(ex);
    ASSERT_NE(skin, nullptr);
    Redraw(ex->GetHandle());
    HWND inner = ex->GetComboHandle();
    ASSERT_NE(inner, nullptr);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(inner, &info));
    const RECT b = info.rcButton;
    EXPECT_EQ(ClientPixel(inner, 0, 5), SkinRGB(SKIN2_CONTROLBORDERCOLOR)) << "frame";
    EXPECT_EQ(ClientPixel(inner, b.left, (b.top + b.bottom) / 2), SkinRGB(SKIN2_CONTROLBORDERCOLOR)) << "button line";
    EXPECT_EQ(ClientPixel(inner, b.right - 2, b.top + 1), SkinRGB(SKIN2_CONTROLCOLOR)) << "button face";

    MoveTo(ScreenPoint(inner, (b.left + b.right) / 2, (b.top + b.bottom) / 2), kSettle);
    Press(kSettle);
    Release(kSettle);
    EXPECT_TRUE(SendMessageA(inner, CB_GETDROPPEDSTATE, 0, 0)) << "arrow click drops the list";
    SendMessageA(inner, CB_SHOWDROPDOWN, FALSE, 0);
    Pump();
    skin->Restore();
    skin.reset();

    // Simple: what the screen shows with the skin is what it shows without.
    auto* simple = Add<TComboBoxEx>(20, 60, 160, 80);
    simple->SetStyle(csExSimple);
    HWND simpleInner = simple->GetComboHandle();
    Redraw(simple->GetHandle());
    const COLORREF native = ClientPixel(simpleInner, 0, 0);
    auto simpleSkin = Skin<TlumSkinComboBoxEx>(simple);
    Redraw(simple->GetHandle());
    EXPECT_EQ(ClientPixel(simpleInner, 0, 0), native);
    simpleSkin->Restore();
}

// Where a caption goes in its column: too wide for a right-aligned column it starts 4 pixels
// in and ends in "..."; an image index the list does not have draws no image.
TEST_F(SkinStdViews, HeaderCaptionPlaces) {
    TImageList images(nullptr, 16, 16);
    TBitmap one;
    one.SetSize(16, 16);
    images.AddMasked(&one, clFuchsia);
    TCanvas* canvas = Form->GetCanvas();
    const TRect item(100, 0, 180, 20);
    const AnsiString wide = "a caption far too wide for its column";
    const AnsiString narrow = "ab";
    const int t = canvas->TextWidth(narrow);
    const struct {
        const char* Name;
        TAlignment Alignment;
        AnsiString Caption;
        int ImageIndex;
        int X;
        bool Shortened, WithImage;
    } cases[] = {
        {"right, too wide", taRightJustify, wide, -1, 104, true, false},
        {"centre, too wide", taCenter, wide, -1, 104, true, false},
        {"left", taLeftJustify, narrow, -1, 104, false, false},
        {"right", taRightJustify, narrow, -1, 100 + 80 - 6 - t - 2, false, false},
        {"right, image", taRightJustify, narrow, 0, 100 + 80 - 6 - t - 16 - 2 + 18, false, true},
        {"left, image", taLeftJustify, narrow, 0, 104 + 18, false, true},
        {"left, image index out of the list", taLeftJustify, narrow, 5, 104, false, false},
    };
    TListView* view = Add<TListView>(10, 10, 200, 100);
    for (const auto& c : cases) {
        TListColumn* column = view->GetColumns()->Add();
        column->SetCaption(c.Caption);
        column->SetAlignment(c.Alignment);
        column->SetImageIndex(c.ImageIndex);
        const auto place = TlumSkinListView::PlaceCaption(canvas, column, item, &images);
        EXPECT_EQ(place.X, c.X) << c.Name;
        EXPECT_EQ(place.WithImage, c.WithImage) << c.Name;
        if (c.Shortened) {
            ASSERT_GE(place.Text.size(), 3u) << c.Name;
            EXPECT_EQ(place.Text.substr(place.Text.size() - 3), "...") << c.Name;
        } else {
            EXPECT_EQ(place.Text, c.Caption) << c.Name;
        }
    }
}

// The report view's header on screen in the skin's colours, native again after Restore; a
// list view hooks the header it has, and the one it gets later.
TEST_F(SkinStdViews, ReportHeaderPaintedInSkinColours) {
    auto* view = Add<TListView>(20, 20, 320, 150);
    view->SetViewStyle(vsReport);
    const char* captions[] = {"first", "a right-aligned caption far too wide", "third"};
    for (const char* caption : captions) {
        TListColumn* column = view->GetColumns()->Add();
        column->SetCaption(caption);
        column->SetWidth(80);
    }
    view->GetColumns()->Items(1)->SetAlignment(taRightJustify);
    auto skin = Skin<TlumSkinListView>(view);
    ASSERT_NE(skin, nullptr);
    HWND header = skin->GetHeader();
    ASSERT_NE(header, nullptr);
    Redraw(view->GetHandle());
    RECT client;
    GetClientRect(header, &client);
    RECT second;
    ASSERT_TRUE(SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second)));
    const int mid = (second.top + second.bottom) / 2;
    EXPECT_EQ(ClientPixel(header, second.left + 1, second.top + 1), FormRGB()) << "column face";
    EXPECT_EQ(ClientPixel(header, second.right - 1, mid), SkinRGB(SKIN2_CONTROLBORDERCOLOR)) << "separator";
    EXPECT_EQ(ClientPixel(header, client.right - 3, mid), FormRGB()) << "right of the last column";
    EXPECT_EQ(ClientPixel(header, 10, client.bottom - 1), SkinRGB(SKIN2_CONTROLBORDERCOLOR)) << "bottom line";
    // The too-wide caption starts 4 pixels in: nothing drawn before, text from there.
    bool textNearStart = false;
    for (int y = second.top + 1; y < second.bottom - 1; ++y) {
        for (int x = second.left; x < second.left + 4; ++x) EXPECT_EQ(ClientPixel(header, x, y), FormRGB()) << x << "," << y;
        for (int x = second.left + 4; x < second.left + 10; ++x) textNearStart |= ClientPixel(header, x, y) != FormRGB();
    }
    EXPECT_TRUE(textNearStart);

    // The header losing a column the view still lists: the columns it has are painted, the
    // rest of it is background.
    RECT third;
    ASSERT_TRUE(SendMessageA(header, HDM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&third)));
    SendMessageA(view->GetHandle(), LVM_DELETECOLUMN, 2, 0);
    ASSERT_EQ(view->GetColumns()->Count(), 3);
    Redraw(view->GetHandle());
    EXPECT_EQ(ClientPixel(header, second.right - 1, mid), SkinRGB(SKIN2_CONTROLBORDERCOLOR));
    EXPECT_EQ(ClientPixel(header, third.right - 1, mid), FormRGB());

    skin->Restore();
    EXPECT_EQ(skin->GetHeader(), nullptr);
    Redraw(view->GetHandle());
    EXPECT_NE(ClientPixel(header, second.right - 1, mid), SkinRGB(SKIN2_CONTROLBORDERCOLOR)) << "native again";
    skin.reset();

    auto* icons = Add<TListView>(20, 200, 200, 100);
    auto iconSkin = Skin<TlumSkinListView>(icons);
    ASSERT_NE(iconSkin, nullptr);
    Redraw(icons->GetHandle());
    EXPECT_EQ(iconSkin->GetHeader(), icons->GetHeaderHandle());
    // Made a report view (a new window with a header): the new header is taken on.
    icons->SetViewStyle(vsReport);
    icons->GetColumns()->Add()->SetCaption("column");
    Redraw(icons->GetHandle());
    ASSERT_NE(icons->GetHeaderHandle(), nullptr);
    EXPECT_EQ(iconSkin->GetHeader(), icons->GetHeaderHandle());
    EXPECT_EQ(ClientPixel(iconSkin->GetHeader(), 3, 3), FormRGB());
    iconSkin->Restore();
}

// A time picker on a form that the engine skins, as the programs' forms are: the picker's own
// up-down is skinned like any up-down over the hidden native one, and all of it goes when the
// form is unskinned (or freed while skinned).
TEST_F(SkinStdViews, TimePickerSkinnedThroughTheEngineGetsASkinnedUpDown) {
    Form->SetName("PickerTestForm");
    for (bool unskinFirst : {true, false}) {
        auto* time = Add<TDateTimePicker>(20, 20, 160, 24);
        time->SetKind(dtkTime);
        HWND wnd = time->GetHandle();
        Host().Engine->SkinWindow(Form->GetHandle(), false);
        Pump();
        ASSERT_NE(Host().Engine->FindSkinWindow(Form->GetHandle()), nullptr);
        Redraw(Form->GetHandle());
        EXPECT_EQ(SendMessageA(wnd, WM_SKIN_QUERY, 0, 0), 1);
        TlumSkinInternalUpDown* upDown = nullptr;
        for (int i = 0; i < time->ComponentCount() && !upDown; ++i)
            upDown = dynamic_cast<TlumSkinInternalUpDown*>(time->GetComponent(i));
        ASSERT_NE(upDown, nullptr);
        EXPECT_TRUE(upDown->GetVisible());
        EXPECT_EQ(SendMessageA(upDown->GetHandle(), WM_SKIN_QUERY, 0, 0), 1);
        EXPECT_EQ(UpDownChildren(wnd, true), 1);   // the skin's, the native one hidden
        if (unskinFirst) {
            Host().Engine->UnskinWindow(Form->GetHandle());
            Pump();
            EXPECT_EQ(SendMessageA(wnd, WM_SKIN_QUERY, 0, 0), 0);
            EXPECT_EQ(UpDownChildren(wnd, false), 1);
            EXPECT_EQ(UpDownChildren(wnd, true), 1);
            delete time;
        } else {
            Form.reset();
            Pump();
            EXPECT_EQ(Host().Engine->FindSkinWindow(wnd), nullptr);
        }
    }
}

// Controls freed before their skins, skins freed first and the form freed first, painted,
// skinned and unskinned: the skin query goes back to the control's own answer, no panel or
// up-down is left, and no GDI object stays alive.
TEST_F(SkinStdViews, TeardownInAnyOrderWithoutGrowth) {
    enum TOrder { oControlsFirst, oSkinsFirst, oFormFirst };
    auto cycle = [&](TOrder order) {
        TToolButton *plain, *dropDown;
        auto* picker = Add<TDateTimePicker>(10, 40, 140, 24);
        auto* time = Add<TDateTimePicker>(160, 40, 140, 24);
        time->SetKind(dtkTime);
        auto* view = Add<TListView>(10, 70, 200, 100);
        view->SetViewStyle(vsReport);
        view->GetColumns()->Add()->SetCaption("column");
        auto* ex = Add<TComboBoxEx>(220, 70, 120, 24);
        std::vector<TControl*> controls = {AddToolBar(plain, dropDown), picker, time, view, ex,
                                           Add<TLabel>(220, 110, 80, 16)};
        std::vector<std::unique_ptr<TlumSkinControlVCL>> skins;
        for (TControl* c : controls) {
            skins.push_back(FindSkinControlClass(c, &SkinWindow));
            skins.back()->ApplySkinColours();
        }
        HWND header = view->GetHeaderHandle();
        Redraw(Form->GetHandle());
        for (int i = 1; i < 5; ++i)
            EXPECT_EQ(SendMessageA(static_cast<TWinControl*>(controls[i])->GetHandle(), WM_SKIN_QUERY, 0, 0), 1);
        Host().Engine->SetActive(false);
        for (auto& s : skins) s->ApplySkinColours();
        Host().Engine->SetActive(true);
        for (auto& s : skins) s->ApplySkinColours();
        Redraw(Form->GetHandle());
        if (order == oFormFirst) {
            Form.reset();
            skins.clear();
            SetUp();
        } else if (order == oControlsFirst) {
            for (TControl* c : controls) delete c;
            skins.clear();
        } else {
            for (auto& s : skins) s->Restore();
            skins.clear();
            for (int i = 1; i < 5; ++i)
                EXPECT_EQ(SendMessageA(static_cast<TWinControl*>(controls[i])->GetHandle(), WM_SKIN_QUERY, 0, 0), 0);
            EXPECT_EQ(picker->ControlCount(), 0);
            EXPECT_EQ(time->ControlCount(), 0);
            EXPECT_EQ(UpDownChildren(time->GetHandle(), true), 1);
            Redraw(header);
            for (TControl* c : controls) delete c;
        }
    };
    for (TOrder order : {oControlsFirst, oSkinsFirst, oFormFirst}) cycle(order);
    const long live = LiveGdiObjectCount();
    for (int i = 0; i < 21; ++i) cycle(static_cast<TOrder>(i % 3));
    EXPECT_EQ(LiveGdiObjectCount(), live);
}
