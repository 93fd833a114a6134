// Check boxes, radio buttons, group boxes, speed buttons and scroll bars: what reaches the
// window, what a click or a scroll does, and which siblings follow.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/bar_controls.h"
#include "classlib/gui/button_controls.h"
#include "classlib/gui/common_controls.h"
#include "classlib/gui/date_time_picker.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/grids.h"
#include "classlib/gui/image_list.h"
#include "classlib/gui/list_controls.h"
#include "classlib/gui/list_view.h"
#include "classlib/gui/panel.h"
#include "classlib/gui/speed_button.h"
#include "classlib/gui/standard_controls.h"
#include "classlib/gui/tool_bar.h"
#include "tests/gui/gui_test_support.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override { Application->Initialize(); }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

LONG_PTR StyleOf(TWinControl* c) { return GetWindowLongPtrA(c->GetHandle(), GWL_STYLE); }

std::string WindowClassOf(TWinControl* c) {
    char name[64] = {0};
    GetClassNameA(c->GetHandle(), name, sizeof name);
    return name;
}

class ClassControls : public ::testing::Test {
protected:
    void SetUp() override {
        form.SetClientWidth(400);
        form.SetClientHeight(300);
        form.Show();
    }
    template <class T>
    T* Add(TWinControl* parent, int left = 0, int top = 0) {
        auto* c = new T(&form);
        c->SetParent(parent);
        c->SetLeft(left);
        c->SetTop(top);
        return c;
    }
    TForm form{nullptr};
};

}  // namespace

TEST_F(ClassControls, CheckBoxStepsThroughGrayedOnlyWhenAllowed) {
    struct Case {
        bool allowGrayed;
        std::vector<TCheckBoxState> states;   // after each click
    };
    const Case cases[] = {
        {false, {cbChecked, cbUnchecked, cbChecked}},
        {true, {cbGrayed, cbChecked, cbUnchecked, cbGrayed}},
    };
    for (const Case& c : cases) {
        auto* box = Add<TCheckBox>(&form);
        box->SetAllowGrayed(c.allowGrayed);
        int clicks = 0;
        box->OnClick = [&](TObject*) { ++clicks; };
        EXPECT_EQ(WindowClassOf(box), "Button");
        for (TCheckBoxState expected : c.states) {
            SendMessageA(box->GetHandle(), BM_CLICK, 0, 0);
            EXPECT_EQ(box->GetState(), expected) << "allowGrayed " << c.allowGrayed;
            EXPECT_EQ(SendMessageA(box->GetHandle(), BM_GETCHECK, 0, 0), static_cast<LRESULT>(expected));
        }
        EXPECT_EQ(clicks, static_cast<int>(c.states.size()));
        delete box;
    }
}

TEST_F(ClassControls, CheckBoxKeepsItsStateWhenAlignmentRemakesTheWindow) {
    auto* box = Add<TCheckBox>(&form);
    box->SetState(cbGrayed);
    EXPECT_FALSE(StyleOf(box) & BS_LEFTTEXT);
    box->SetAlignment(taLeftJustify);
    EXPECT_TRUE(StyleOf(box) & BS_LEFTTEXT);
    EXPECT_EQ(SendMessageA(box->GetHandle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
    box->SetAlignment(taCenter);   // not a place for a box: ignored
    EXPECT_EQ(box->GetAlignment(), taLeftJustify);
    EXPECT_TRUE(dynamic_cast<TCustomCheckBox*>(box) != nullptr);
}

// Radio buttons exclude each other per parent, also inside a group box (whose window passes
// the buttons' notifications on).
TEST_F(ClassControls, RadioButtonsExcludeTheirSiblingsOnly) {
    auto* group = Add<TGroupBox>(&form, 0, 100);
    group->SetCaption("group");
    TRadioButton* outer[2] = {Add<TRadioButton>(&form, 0, 0), Add<TRadioButton>(&form, 0, 20)};
    TRadioButton* inner[2] = {Add<TRadioButton>(group, 8, 20), Add<TRadioButton>(group, 8, 40)};
    int clicks = 0;
    for (TRadioButton* r : inner) r->OnClick = [&](TObject*) { ++clicks; };
    outer[0]->SetChecked(true);
    SendMessageA(inner[1]->GetHandle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(inner[1]->GetChecked());
    EXPECT_TRUE(outer[0]->GetChecked()) << "another parent's button is left alone";
    SendMessageA(inner[0]->GetHandle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(inner[0]->GetChecked());
    EXPECT_FALSE(inner[1]->GetChecked());
    EXPECT_EQ(SendMessageA(inner[1]->GetHandle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(clicks, 2) << "only becoming checked clicks";
    SendMessageA(inner[0]->GetHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(StyleOf(inner[0]) & WS_TABSTOP);
    EXPECT_FALSE(StyleOf(inner[1]) & WS_TABSTOP);
    outer[1]->SetChecked(true);
    EXPECT_FALSE(outer[0]->GetChecked());
    EXPECT_TRUE(inner[0]->GetChecked());
}

TEST_F(ClassControls, GroupBoxPlacesAlignedChildrenBelowItsCaption) {
    auto* group = Add<TGroupBox>(&form);
    group->SetBounds(10, 10, 200, 120);
    auto* child = Add<TCheckBox>(group);
    child->SetAlign(alClient);
    EXPECT_GT(child->GetTop(), 8);
    EXPECT_LT(child->GetTop(), 30);
    EXPECT_LT(child->GetLeft() + child->GetWidth(), group->GetClientWidth());
    EXPECT_LT(child->GetTop() + child->GetHeight(), group->GetClientHeight());
    EXPECT_TRUE(group->HasProperty("Color"));
    EXPECT_FALSE(group->HasProperty("BorderStyle"));
}

namespace {

// Left-button press and release at points of the speed button's parent.
void PressAt(TWinControl* parent, TControl* button, int dx, int dy) {
    LPARAM at = MAKELPARAM(button->GetLeft() + 3, button->GetTop() + 3);
    LPARAM release = MAKELPARAM(button->GetLeft() + dx, button->GetTop() + dy);
    SendMessageA(parent->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(parent->GetHandle(), WM_LBUTTONUP, 0, release);
}

}  // namespace

TEST_F(ClassControls, SpeedButtonsClickOnReleaseAndKeepOneDownPerGroup) {
    TSpeedButton* b[3];
    for (int i = 0; i < 3; ++i) b[i] = Add<TSpeedButton>(&form, 10 + 30 * i, 10);
    int clicks = 0;
    for (TSpeedButton* x : b) x->OnClick = [&](TObject*) { ++clicks; };

    PressAt(&form, b[0], 5, 5);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(b[0]->GetDown()) << "without a group a button springs back";
    PressAt(&form, b[0], 200, 200);   // released elsewhere
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(b[0]->IsPressed());
    b[0]->SetDown(true);
    EXPECT_FALSE(b[0]->GetDown());

    for (TSpeedButton* x : b) x->SetGroupIndex(1);
    PressAt(&form, b[1], 5, 5);
    EXPECT_TRUE(b[1]->GetDown());
    PressAt(&form, b[2], 5, 5);
    EXPECT_TRUE(b[2]->GetDown());
    EXPECT_FALSE(b[1]->GetDown());
    PressAt(&form, b[2], 5, 5);
    EXPECT_TRUE(b[2]->GetDown()) << "the last down one stays down";
    b[2]->SetDown(false);
    EXPECT_TRUE(b[2]->GetDown());
    EXPECT_EQ(clicks, 4);

    b[0]->SetAllowAllUp(true);   // for the whole group
    PressAt(&form, b[2], 5, 5);
    EXPECT_FALSE(b[2]->GetDown());
    b[0]->SetDown(true);
    b[1]->SetDown(true);
    EXPECT_FALSE(b[0]->GetDown());
}

TEST_F(ClassControls, SpeedButtonTakesItsGlyphCountFromAStripOfSquares) {
    auto* button = Add<TSpeedButton>(&form);
    struct Case {
        int width, height, numGlyphs;
    };
    const Case cases[] = {{16, 16, 1}, {64, 16, 4}, {32, 16, 2}, {40, 16, 2}, {80, 16, 2}};
    for (const Case& c : cases) {
        TBitmap strip(c.width, c.height);
        button->SetGlyph(&strip);
        EXPECT_EQ(button->GetNumGlyphs(), c.numGlyphs) << c.width << "x" << c.height;
        EXPECT_EQ(button->GetGlyph()->GetWidth(), c.width);
    }
}

TEST_F(ClassControls, SpeedButtonPaintsGlyphPictureByState) {
    // A strip of four plain colours: up, disabled, pressed, down.
    const TColor colours[] = {clRed, clLime, clBlue, clYellow};
    TBitmap strip(64, 16);
    for (int i = 0; i < 4; ++i) {
        strip.GetCanvas()->GetBrush()->SetColor(colours[i]);
        strip.GetCanvas()->FillRect(TRect(i * 16, 0, i * 16 + 16, 16));
    }
    // The bottom-left pixel gives the transparent colour: keep it apart from the pictures.
    strip.GetCanvas()->GetBrush()->SetColor(clBlack);
    strip.GetCanvas()->FillRect(TRect(0, 15, 1, 16));
    auto* button = Add<TSpeedButton>(&form, 20, 20);
    button->SetBounds(20, 20, 40, 40);
    button->SetGlyph(&strip);
    button->SetGroupIndex(3);
    auto centre = [&] {
        form.Repaint();
        HDC dc = GetDC(form.GetHandle());
        COLORREF c = GetPixel(dc, 40, 40);
        ReleaseDC(form.GetHandle(), dc);
        return c;
    };
    EXPECT_EQ(centre(), ColorToRGB(clRed));
    button->SetDown(true);
    EXPECT_EQ(centre(), ColorToRGB(clYellow));
    button->SetEnabled(false);
    EXPECT_EQ(centre(), ColorToRGB(clLime));
}

// A disabled button with one picture shows it greyed over its face: the picture's background
// (the colour of its top-left pixel, olive or fuchsia) is left out.
TEST_F(ClassControls, SpeedButtonDisabledSinglePictureKeepsTheFace) {
    for (TColor background : {TColor(0x008080), TColor(0xFF00FF)}) {
        TBitmap glyph(16, 16);
        glyph.GetCanvas()->GetBrush()->SetColor(background);
        glyph.GetCanvas()->FillRect(TRect(0, 0, 16, 16));
        glyph.GetCanvas()->GetBrush()->SetColor(clBlack);
        glyph.GetCanvas()->FillRect(TRect(5, 5, 11, 11));
        auto* button = Add<TSpeedButton>(&form, 20, 20);
        button->SetBounds(20, 20, 40, 40);   // the picture at (32, 32)
        button->SetGlyph(&glyph);
        button->SetEnabled(false);
        form.Repaint();
        HDC dc = GetDC(form.GetHandle());
        for (POINT p : {POINT{1, 1}, POINT{14, 2}, POINT{2, 14}, POINT{14, 14}})
            EXPECT_EQ(GetPixel(dc, 32 + p.x, 32 + p.y), ColorToRGB(clBtnFace))
                << std::hex << background << " at " << p.x << "," << p.y;
        const COLORREF shape = GetPixel(dc, 40, 40);
        ReleaseDC(form.GetHandle(), dc);
        EXPECT_NE(shape, ColorToRGB(clBtnFace)) << std::hex << background;
        EXPECT_NE(shape, 0u) << std::hex << background;   // greyed, not as enabled
        delete button;
    }
}

TEST_F(ClassControls, ScrollBarMovesByItsStepsWithinRange) {
    auto* bar = Add<TScrollBar>(&form, 10, 200);
    EXPECT_EQ(WindowClassOf(bar), "ScrollBar");
    bar->SetParams(10, 0, 50);
    bar->SetSmallChange(2);
    bar->SetLargeChange(15);
    int changes = 0;
    bar->OnChange = [&](TObject*) { ++changes; };
    struct Step {
        WORD code;
        int position;
    };
    const Step steps[] = {{SB_LINEDOWN, 12}, {SB_LINEUP, 10}, {SB_PAGEDOWN, 25}, {SB_PAGEDOWN, 40},
                          {SB_PAGEDOWN, 50}, {SB_PAGEDOWN, 50}, {SB_TOP, 0},     {SB_LINEUP, 0},
                          {SB_BOTTOM, 50},   {SB_PAGEUP, 35},  {SB_ENDSCROLL, 35}};
    int moves = 0, last = 10;
    for (const Step& s : steps) {
        SendMessageA(form.GetHandle(), WM_HSCROLL, s.code, reinterpret_cast<LPARAM>(bar->GetHandle()));
        EXPECT_EQ(bar->GetPosition(), s.position) << "code " << s.code;
        EXPECT_EQ(GetScrollPos(bar->GetHandle(), SB_CTL), s.position);
        if (s.position != last) ++moves;
        last = s.position;
    }
    EXPECT_EQ(changes, moves) << "OnChange only when the position moves";
    bar->SetPosition(-5);
    EXPECT_EQ(bar->GetPosition(), 0);
    EXPECT_THROW(bar->SetMax(-1), EInvalidOperation);
    EXPECT_EQ(bar->GetMax(), 50);
}

TEST_F(ClassControls, ScrollBarKindTurnsTheBar) {
    auto* bar = Add<TScrollBar>(&form);
    bar->SetBounds(0, 0, 120, 17);
    bar->SetPosition(30);
    bar->SetKind(sbVertical);
    EXPECT_EQ(bar->GetWidth(), 17);
    EXPECT_EQ(bar->GetHeight(), 120);
    EXPECT_TRUE(StyleOf(bar) & SBS_VERT);
    EXPECT_EQ(GetScrollPos(bar->GetHandle(), SB_CTL), 30);
    SendMessageA(form.GetHandle(), WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(bar->GetHandle()));
    EXPECT_EQ(bar->GetPosition(), 31);
}

namespace {

// The item texts a list window holds.
std::vector<std::string> WindowItems(TCustomListControl* c) {
    std::vector<std::string> out;
    HWND w = c->GetHandle();
    char text[256];
    if (dynamic_cast<TCustomListBox*>(c)) {
        int n = static_cast<int>(SendMessageA(w, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            SendMessageA(w, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            out.push_back(text);
        }
    } else if (dynamic_cast<TCustomComboBoxEx*>(c)) {
        int n = static_cast<int>(SendMessageA(w, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            COMBOBOXEXITEMA item{};
            item.mask = CBEIF_TEXT;
            item.iItem = i;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(w, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            out.push_back(text);
        }
    } else {
        int n = static_cast<int>(SendMessageA(w, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            SendMessageA(w, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            out.push_back(text);
        }
    }
    return out;
}

TStrings* ItemsOf(TCustomListControl* c) {
    if (auto* box = dynamic_cast<TCustomListBox*>(c)) return box->GetItems();
    return static_cast<TCustomCombo*>(c)->GetItems();
}

}  // namespace

// Every change of the items reaches the window at once, and a new window gets them all back
// with the selection.
TEST_F(ClassControls, ListItemsFollowTheirWindow) {
    struct Case {
        const char* name;
        TCustomListControl* control;
        const char* windowClass;
    };
    auto* combo = Add<TComboBox>(&form, 0, 0);
    auto* ex = Add<TComboBoxEx>(&form, 0, 40);
    auto* list = Add<TListBox>(&form, 200, 0);
    const Case cases[] = {{"combo", combo, "ComboBox"}, {"combo ex", ex, "ComboBoxEx32"}, {"list", list, "ListBox"}};
    using Items = std::vector<std::string>;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WindowClassOf(c.control), c.windowClass);
        TStrings* items = ItemsOf(c.control);
        items->Add("b");
        items->Add("d");
        items->Insert(0, "a");
        items->Insert(2, "c");
        EXPECT_EQ(WindowItems(c.control), (Items{"a", "b", "c", "d"}));
        items->Put(1, "B");
        items->Delete(3);
        EXPECT_EQ(WindowItems(c.control), (Items{"a", "B", "c"}));
        c.control->SetItemIndex(2);
        EXPECT_EQ(c.control->GetItemIndex(), 2);
        c.control->SetItemIndex(7);
        EXPECT_EQ(c.control->GetItemIndex(), -1);
        c.control->SetItemIndex(1);
        c.control->RecreateWnd();
        EXPECT_EQ(WindowItems(c.control), (Items{"a", "B", "c"}));
        EXPECT_EQ(c.control->GetItemIndex(), 1);
        items->Put(0, "z");
        static_cast<TStringList*>(items)->Sort();   // several at once: the window is filled again
        EXPECT_EQ(WindowItems(c.control), (Items{"B", "c", "z"}));
        c.control->Clear();
        EXPECT_TRUE(WindowItems(c.control).empty());
        EXPECT_EQ(c.control->GetItemIndex(), -1);
    }
}

TEST_F(ClassControls, ComboBoxStylesAndSelectionEvents) {
    struct Case {
        TComboBoxStyle style;
        DWORD windowStyle;
    };
    const Case cases[] = {{csDropDown, CBS_DROPDOWN}, {csSimple, CBS_SIMPLE}, {csDropDownList, CBS_DROPDOWNLIST}};
    auto* combo = Add<TComboBox>(&form, 10, 10);
    combo->GetItems()->Add("one");
    combo->GetItems()->Add("two");
    combo->SetItemIndex(1);
    for (const Case& c : cases) {
        combo->SetStyle(c.style);
        EXPECT_EQ(StyleOf(combo) & 3, static_cast<LONG_PTR>(c.windowStyle)) << int(c.style);
        EXPECT_EQ(combo->GetItemIndex(), 1);
        EXPECT_EQ(combo->GetText(), "two");
    }
    std::vector<std::string> events;
    combo->OnClick = [&](TObject*) { events.push_back("click " + combo->GetText()); };
    combo->OnChange = [&](TObject*) { events.push_back("change"); };
    SendMessageA(combo->GetHandle(), CB_SETCURSEL, 0, 0);   // as the list does before it tells
    SendMessageA(form.GetHandle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo->GetHandle()), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo->GetHandle()));
    EXPECT_EQ(events, (std::vector<std::string>{"click one", "change"}));
}

// The tabs stand on the chosen side and leave the rest to aligned children; a click on a tab
// selects it.
TEST_F(ClassControls, TabControlPositionsAndClicks) {
    auto* tabs = Add<TTabControl>(&form);
    tabs->SetBounds(0, 0, 300, 200);
    tabs->GetTabs()->Add("first");
    tabs->GetTabs()->Add("second");
    tabs->GetTabs()->Add("third");
    tabs->SetTabIndex(1);
    auto* inside = Add<TPanel>(tabs);
    inside->SetAlign(alClient);
    struct Case {
        TTabPosition position;
        DWORD style;   // of TCS_BOTTOM | TCS_VERTICAL | TCS_RIGHT
        int TRect::*freeSide;   // the side of the panel that leaves room for the tabs
    };
    const Case cases[] = {{tpTop, 0, &TRect::Top},
                          {tpBottom, TCS_BOTTOM, &TRect::Bottom},
                          {tpLeft, TCS_VERTICAL, &TRect::Left},
                          {tpRight, TCS_VERTICAL | TCS_RIGHT, &TRect::Right}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.position));
        tabs->SetTabPosition(c.position);
        EXPECT_EQ(StyleOf(tabs) & (TCS_BOTTOM | TCS_VERTICAL | TCS_RIGHT), static_cast<LONG_PTR>(c.style));
        EXPECT_EQ(SendMessageA(tabs->GetHandle(), TCM_GETITEMCOUNT, 0, 0), 3);
        EXPECT_EQ(SendMessageA(tabs->GetHandle(), TCM_GETCURSEL, 0, 0), 1);
        TRect whole = tabs->GetClientRect(), panel = inside->GetBoundsRect();
        int room = std::abs(whole.*c.freeSide - panel.*c.freeSide);
        EXPECT_GT(room, 10) << "room for the tabs";
        for (int TRect::*side : {&TRect::Left, &TRect::Top, &TRect::Right, &TRect::Bottom}) {
            if (side == c.freeSide) continue;
            EXPECT_LT(std::abs(whole.*side - panel.*side), 10);
        }
    }
    tabs->SetTabPosition(tpTop);
    int changes = 0;
    tabs->OnChange = [&](TObject*) { ++changes; };
    RECT tab;
    SendMessageA(tabs->GetHandle(), TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&tab));
    EXPECT_EQ(tabs->IndexOfTabAt(tab.left + 3, tab.top + 3), 2);
    SendMessageA(tabs->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(tab.left + 3, tab.top + 3));
    SendMessageA(tabs->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(tab.left + 3, tab.top + 3));
    ASSERT_TRUE(PumpUntil([&] { return changes == 1; }));
    EXPECT_EQ(tabs->GetTabIndex(), 2);
    tabs->GetTabs()->Delete(2);
    EXPECT_EQ(tabs->GetTabIndex(), -1) << "the selected tab went";
    tabs->GetTabs()->Add("again");
    EXPECT_EQ(tabs->GetTabIndex(), -1);

    // A page control's tabs are its pages' captions.
    auto* pages = Add<TPageControl>(&form, 0, 210);
    for (const char* caption : {"one", "two"}) {
        auto* sheet = new TTabSheet(&form);
        sheet->SetPageControl(pages);
        sheet->SetCaption(caption);
    }
    pages->Pages(1)->SetCaption("second");
    EXPECT_EQ(pages->GetTabs()->GetText(), "one\r\nsecond\r\n");
    char text[32] = {0};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(pages->GetHandle(), TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, "second");
}

TEST_F(ClassControls, TrackBarKeepsPositionInRangeAndReportsMoves) {
    auto* track = Add<TTrackBar>(&form, 10, 10);
    track->SetMax(20);
    int changes = 0;
    track->OnChange = [&](TObject*) { ++changes; };
    track->SetPosition(25);
    EXPECT_EQ(track->GetPosition(), 20);
    EXPECT_EQ(SendMessageA(track->GetHandle(), TBM_GETPOS, 0, 0), 20);
    track->SetMin(5);
    track->SetPosition(0);
    EXPECT_EQ(track->GetPosition(), 5);
    EXPECT_EQ(changes, 2);
    SetFocus(track->GetHandle());
    SendMessageA(track->GetHandle(), WM_KEYDOWN, VK_RIGHT, 0);   // the window moves and tells
    EXPECT_EQ(track->GetPosition(), 6);
    EXPECT_EQ(changes, 3);
    track->SetSelStart(7);
    track->SetSelEnd(12);
    EXPECT_EQ(SendMessageA(track->GetHandle(), TBM_GETSELSTART, 0, 0), 7);
    EXPECT_EQ(SendMessageA(track->GetHandle(), TBM_GETSELEND, 0, 0), 12);
    track->SetBounds(10, 10, 150, 45);
    track->SetOrientation(trVertical);
    EXPECT_TRUE(StyleOf(track) & TBS_VERT);
    EXPECT_EQ(track->GetWidth(), 45);
    EXPECT_EQ(track->GetPosition(), 6);
}

TEST_F(ClassControls, UpDownStepsItsAssociateAndForgetsItWhenFreed) {
    auto* edit = Add<TEdit>(&form, 10, 10);
    auto* updown = Add<TUpDown>(&form);
    updown->SetMax(10);
    updown->SetIncrement(3);
    updown->SetPosition(4);
    updown->SetAssociate(edit);
    EXPECT_EQ(edit->GetText(), "4");
    EXPECT_NEAR(updown->GetLeft(), edit->GetLeft() + edit->GetWidth(), 2) << "sits right of its associate";
    std::vector<int> clicks;   // +1 next, -1 prev
    updown->OnClick = [&](TObject*, TUDBtnType b) { clicks.push_back(b == btNext ? 1 : -1); };
    HWND w = updown->GetHandle();
    auto press = [&](int y) {
        SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, y));
        SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(3, y));
    };
    press(2);                             // the upper arrow
    EXPECT_EQ(updown->GetPosition(), 7);
    press(updown->GetHeight() - 3);       // the lower arrow
    press(updown->GetHeight() - 3);
    EXPECT_EQ(updown->GetPosition(), 1);
    EXPECT_EQ(edit->GetText(), "1");
    EXPECT_EQ(clicks, (std::vector<int>{1, -1, -1}));
    delete edit;
    EXPECT_EQ(updown->GetAssociate(), nullptr);
    press(2);
    EXPECT_EQ(updown->GetPosition(), 4);
}

TEST_F(ClassControls, ToolButtonsFollowTheBarsWindowAndClick) {
    auto* bar = Add<TToolBar>(&form);
    TToolButton* b[4];
    const TToolButtonStyle styles[] = {tbsButton, tbsSeparator, tbsCheck, tbsCheck};
    for (int i = 0; i < 4; ++i) {
        b[i] = new TToolButton(&form);
        b[i]->SetStyle(styles[i]);
        b[i]->SetParent(bar);
    }
    b[2]->SetGrouped(true);
    b[3]->SetGrouped(true);
    EXPECT_EQ(WindowClassOf(bar), "ToolbarWindow32");
    ASSERT_EQ(SendMessageA(bar->GetHandle(), TB_BUTTONCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; ++i) {
        RECT r;
        SendMessageA(bar->GetHandle(), TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
        EXPECT_EQ(b[i]->GetBoundsRect(), FromRECT(r)) << i;
        EXPECT_EQ(b[i]->GetIndex(), i);
    }
    EXPECT_LT(b[1]->GetWidth(), b[0]->GetWidth()) << "a separator is narrow";

    std::vector<int> clicks;
    for (int i = 0; i < 4; ++i) b[i]->OnClick = [&clicks, i](TObject*) { clicks.push_back(i); };
    auto click = [&](int i) {
        TPoint at(b[i]->GetLeft() + 4, b[i]->GetTop() + 4);
        SendMessageA(bar->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.X, at.Y));
        SendMessageA(bar->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(at.X, at.Y));
    };
    click(0);
    click(2);
    EXPECT_TRUE(b[2]->GetDown());
    click(3);
    EXPECT_TRUE(b[3]->GetDown());
    EXPECT_FALSE(b[2]->GetDown()) << "one down in a group";
    EXPECT_EQ(clicks, (std::vector<int>{0, 2, 3}));
    b[2]->SetDown(true);
    EXPECT_FALSE(b[3]->GetDown());

    delete b[1];
    EXPECT_EQ(SendMessageA(bar->GetHandle(), TB_BUTTONCOUNT, 0, 0), 3);
    EXPECT_EQ(b[2]->GetIndex(), 1);
    delete bar;   // the buttons live on (the form owns them) and forget the bar
    EXPECT_EQ(b[0]->GetToolBar(), nullptr);
    EXPECT_EQ(b[0]->GetParent(), nullptr);
}

// With AutoSize each button is as wide as its own caption, in the bar's font; without, every
// button takes the widest caption's width and a short caption stands in a wide gap. Read from
// the screen: where the caption's ink ends inside its button.
TEST_F(ClassControls, AutoSizedToolButtonsAreAsWideAsTheirCaptions) {
    const char* captions[] = {"Go", "Arrange windows"};
    // No button hot under the mouse.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    for (int fontSize : {8, 14})
        for (bool autoSize : {false, true}) {
            SCOPED_TRACE(std::string(autoSize ? "auto size, " : "fixed, ") + std::to_string(fontSize) + " pt");
            auto* bar = Add<TToolBar>(&form);
            bar->GetFont()->SetSize(fontSize);
            bar->SetShowCaptions(true);
            bar->SetAutoSize(true);   // tall enough for the captions under the image place
            TToolButton* buttons[2];
            for (int i = 0; i < 2; ++i) {
                buttons[i] = new TToolButton(bar);
                buttons[i]->SetCaption(captions[i]);
                buttons[i]->SetAutoSize(autoSize);
                buttons[i]->SetParent(bar);
            }
            HWND h = bar->GetHandle();
            RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            PumpFor(50);
            HDC dc = GetDC(h);
            HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)));
            // Ink: what differs from the bar's empty end (captions may be drawn smoothed, in grey).
            const COLORREF face = GetPixel(dc, bar->GetClientWidth() - 2, 2);
            auto isInk = [face](COLORREF c) {
                return std::abs(GetRValue(c) - GetRValue(face)) + std::abs(GetGValue(c) - GetGValue(face)) +
                           std::abs(GetBValue(c) - GetBValue(face)) > 90;
            };
            int text[2], gap[2];
            for (int i = 0; i < 2; ++i) {
                SIZE size{};
                GetTextExtentPoint32A(dc, captions[i], static_cast<int>(strlen(captions[i])), &size);
                text[i] = size.cx;
                // The caption's rightmost ink, and the face left between it and the edge.
                const TRect r = buttons[i]->GetBoundsRect();
                int ink = -1, hidden = 0;
                for (int x = r.Left; x < r.Right; ++x)
                    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
                        const COLORREF c = GetPixel(dc, x, y);
                        if (c == CLR_INVALID)
                            ++hidden;
                        else if (isInk(c))
                            ink = x;
                    }
                ASSERT_EQ(hidden, 0) << captions[i] << ": not all of the button shows";
                ASSERT_GE(ink, r.Left) << captions[i] << ": no caption drawn";
                gap[i] = r.Right - 1 - ink;
            }
            SelectObject(dc, oldFont);
            ReleaseDC(h, dc);
            const int widths[2] = {buttons[0]->GetWidth(), buttons[1]->GetWidth()};
            EXPECT_GE(widths[1], text[1]);
            if (autoSize) {
                EXPECT_EQ(widths[1] - widths[0], text[1] - text[0]);
                EXPECT_LT(gap[0], 12);
                EXPECT_LT(gap[1], 12);
            } else {
                EXPECT_EQ(widths[0], widths[1]);
                EXPECT_GT(gap[0], (text[1] - text[0]) / 2);
            }
            EXPECT_EQ(buttons[1]->GetLeft(), buttons[0]->GetLeft() + widths[0]) << "side by side";
            delete bar;
        }
}

TEST_F(ClassControls, ToolBarCustomDrawsBackgroundAndButtons) {
    auto* bar = Add<TToolBar>(&form);
    bar->SetFlat(true);
    auto* button = new TToolButton(&form);
    button->SetStyle(tbsCheck);
    button->SetParent(bar);
    button->SetDown(true);
    int backgrounds = 0;
    std::vector<TCustomDrawState> states;
    bar->OnCustomDraw = [&](TToolBar* sender, const TRect& r, bool& defaultDraw) {
        EXPECT_EQ(sender, bar);
        EXPECT_EQ(r, bar->GetClientRect());
        ++backgrounds;
        defaultDraw = true;
    };
    bar->OnCustomDrawButton = [&](TToolBar*, TToolButton* which, TCustomDrawState state, bool& defaultDraw) {
        EXPECT_EQ(which, button);
        states.push_back(state);
        // The handler draws the button itself.
        bar->GetCanvas()->GetBrush()->SetColor(clRed);
        bar->GetCanvas()->FillRect(which->GetBoundsRect());
        defaultDraw = false;
    };
    bar->Repaint();
    ASSERT_GT(backgrounds, 0);
    ASSERT_FALSE(states.empty());
    EXPECT_TRUE(states.back() & cdsChecked);
    HDC dc = GetDC(bar->GetHandle());
    EXPECT_EQ(GetPixel(dc, button->GetLeft() + 3, button->GetTop() + 3), RGB(255, 0, 0));
    ReleaseDC(bar->GetHandle(), dc);
}

TEST_F(ClassControls, ToolWindowEdgesTakeTheirWidthFromTheClientArea) {
    auto* bar = Add<TToolBar>(&form);
    bar->SetAlign(alNone);
    bar->SetBounds(0, 0, 200, 40);
    struct Case {
        TEdgeBorders edges;
        int width, height;
    };
    const Case cases[] = {{ebTop, 200, 38}, {0, 200, 40}, {ebLeft | ebTop | ebRight | ebBottom, 196, 36}, {ebRight, 198, 40}};
    for (const Case& c : cases) {
        bar->SetEdgeBorders(c.edges);
        EXPECT_EQ(bar->GetClientRect(), TRect(0, 0, c.width, c.height)) << int(c.edges);
    }
    EXPECT_TRUE(bar->HasProperty("EdgeBorders"));
}

TEST_F(ClassControls, DateTimePickerKeepsItsValueThroughItsWindow) {
    auto* picker = Add<TDateTimePicker>(&form);
    TDateTime when = EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 10, 0);
    picker->SetDateTime(when);
    EXPECT_DOUBLE_EQ(picker->GetDateTime(), when);
    EXPECT_EQ(WindowClassOf(picker), "SysDateTimePick32");
    EXPECT_EQ(FindWindowExA(picker->GetHandle(), nullptr, UPDOWN_CLASSA, nullptr), nullptr) << "a date drops down";
    picker->SetKind(dtkTime);
    EXPECT_TRUE(StyleOf(picker) & DTS_TIMEFORMAT);
    EXPECT_NE(FindWindowExA(picker->GetHandle(), nullptr, UPDOWN_CLASSA, nullptr), nullptr) << "a time steps";
    EXPECT_DOUBLE_EQ(picker->GetDateTime(), when);
    picker->SetTime(EncodeTime(8, 0, 0, 0));
    EXPECT_DOUBLE_EQ(picker->GetDateTime(), EncodeDate(2024, 2, 29) + EncodeTime(8, 0, 0, 0));
    EXPECT_THROW(picker->SetDateTime(EncodeDate(1500, 1, 1)), EConvertError);
    EXPECT_DOUBLE_EQ(picker->GetDate(), EncodeDate(2024, 2, 29));
}

TEST_F(ClassControls, ListViewColumnsAndItemsReachTheWindow) {
    auto* view = Add<TListView>(&form);
    view->SetViewStyle(vsReport);
    const char* captions[] = {"名称", "大小"};
    for (const char* caption : captions) {
        TListColumn* column = view->GetColumns()->Add();
        column->SetCaption(caption);
        column->SetWidth(80);
    }
    view->GetColumns()->Items(1)->SetAlignment(taRightJustify);
    TListItem* item = view->GetItems()->Add();
    item->SetCaption("a.txt");
    item->GetSubItems()->Add("12");
    view->GetItems()->Add()->SetCaption("b.txt");
    HWND header = view->GetHeaderHandle();
    ASSERT_NE(header, nullptr);
    char text[64];
    GetClassNameA(header, text, sizeof text);
    EXPECT_STREQ(text, "SysHeader32");
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 2);
    auto columnText = [&](int i, int* width, int* format) {
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.pszText = text;
        col.cchTextMax = sizeof text;
        SendMessageA(view->GetHandle(), LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
        *width = col.cx;
        *format = col.fmt & LVCFMT_JUSTIFYMASK;
        return std::string(text);
    };
    auto itemText = [&](int i, int sub) {
        LVITEMA it{};
        it.iSubItem = sub;
        it.pszText = text;
        it.cchTextMax = sizeof text;
        SendMessageA(view->GetHandle(), LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&it));
        return std::string(text);
    };
    view->RecreateWnd();   // all of it again in a new window
    int width, format;
    EXPECT_EQ(columnText(1, &width, &format), "大小");
    EXPECT_EQ(width, 80);
    EXPECT_EQ(format, LVCFMT_RIGHT);
    EXPECT_EQ(SendMessageA(view->GetHandle(), LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(itemText(0, 1), "12");
    item->GetSubItems()->Put(0, "13");
    EXPECT_EQ(itemText(0, 1), "13");
    view->SetItemIndex(1);
    EXPECT_EQ(view->GetItemIndex(), 1);
    view->GetItems()->Delete(0);
    EXPECT_EQ(itemText(0, 0), "b.txt");

    auto* images = new TImageList(nullptr);
    view->SetSmallImages(images);
    EXPECT_EQ(SendMessageA(view->GetHandle(), LVM_GETIMAGELIST, LVSIL_SMALL, 0), reinterpret_cast<LRESULT>(images->GetHandle()));
    delete images;
    EXPECT_EQ(view->GetSmallImages(), nullptr);
    EXPECT_EQ(SendMessageA(view->GetHandle(), LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
}

TEST_F(ClassControls, DrawGridDrawsVisibleCellsAndSelectsByClick) {
    auto* grid = Add<TDrawGrid>(&form);
    grid->SetBounds(0, 0, 300, 150);
    grid->SetColCount(10);
    grid->SetRowCount(3);
    grid->SetFixedColor(clLime);
    std::vector<std::pair<int, int>> drawn;
    int fixedDrawn = 0;
    grid->OnDrawCell = [&](TObject*, int col, int row, const TRect& r, TGridDrawState state) {
        drawn.emplace_back(col, row);
        EXPECT_EQ(r, grid->CellRect(col, row));
        if (state & gdFixed) ++fixedDrawn;
        EXPECT_EQ((state & gdFixed) != 0, col == 0 || row == 0);
    };
    grid->Repaint();
    int visibleCols = (grid->GetClientWidth() + 64) / 65;   // the last one partly
    EXPECT_EQ(static_cast<int>(drawn.size()), 3 * visibleCols);
    EXPECT_EQ(fixedDrawn, visibleCols + 2);
    HDC dc = GetDC(grid->GetHandle());
    EXPECT_EQ(GetPixel(dc, 30, 10), RGB(0, 255, 0));
    ReleaseDC(grid->GetHandle(), dc);

    TRect cell = grid->CellRect(2, 1);
    int col = -1, row = -1;
    ASSERT_TRUE(grid->MouseToCell(cell.Left + 1, cell.Bottom - 1, col, row));
    EXPECT_EQ(std::make_pair(col, row), std::make_pair(2, 1));
    SendMessageA(grid->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cell.Left + 1, cell.Top + 1));
    SendMessageA(grid->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(cell.Left + 1, cell.Top + 1));
    EXPECT_EQ(grid->GetCol(), 2);
    EXPECT_EQ(grid->GetRow(), 1);
    grid->SetCol(9);   // off the right: the columns scroll
    EXPECT_GT(grid->GetLeftCol(), 1);
    EXPECT_EQ(grid->CellRect(1, 1), TRect());
    EXPECT_THROW(grid->SetFixedRows(3), EInvalidOperation);
}

TEST_F(ClassControls, ControlsSayWhatTheyPublish) {
    const char* names[] = {"BorderStyle", "BevelEdges", "EdgeBorders", "Color", "ParentColor"};
    struct Case {
        TControl* control;
        const char* published;   // one letter per name above: B, V, E, C, P
    };
    const Case cases[] = {
        {Add<TEdit>(&form), "BVCP"},      {Add<TPanel>(&form), "BCP"},      {Add<TButton>(&form), ""},
        {Add<TToolBar>(&form), "ECP"},    {Add<TComboBox>(&form), "VCP"},   {Add<TListView>(&form), "BVCP"},
        {Add<TDrawGrid>(&form), "BVCP"},  {Add<TGroupBox>(&form), "CP"},    {Add<TCheckBox>(&form), "CP"},
        {Add<TStatusBar>(&form), "CP"},   {Add<TTrackBar>(&form), ""},      {Add<TDateTimePicker>(&form), "VCP"},
    };
    const std::string letters = "BVECP";
    for (const Case& c : cases)
        for (size_t i = 0; i < letters.size(); ++i)
            EXPECT_EQ(c.control->HasProperty(names[i]), std::string(c.published).find(letters[i]) != std::string::npos)
                << c.control->ClassName() << " " << names[i];
}
