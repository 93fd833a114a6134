// Check boxes, radio buttons, group boxes, speed buttons and scroll bars: what reaches the
// window, what a click or a scroll does, and which siblings follow.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/bar_controls.h"
#include "classlib/gui/button_controls.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/speed_button.h"
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
