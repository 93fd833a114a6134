// The spin button on its own: keys, focus and a click handler that fails while repeating.
#include <gtest/gtest.h>

#include "flat_form_fixture.h"
#include "flatctrls/spin_button.h"

namespace {

class SpinButtonTest : public FlatFormTest {
protected:
    void SetUp() override {
        FlatFormTest::SetUp();
        spin = new TSpinButton(form);
        spin->SetParent(form);
        spin->SetBounds(20, 20, 21, 14);
        spin->SetTabStop(true);
        spin->OnUpClick = [this](TObject*) { ++ups; };
        spin->OnDownClick = [this](TObject*) { ++downs; };
        ShowForm();
    }
    void TearDown() override {
        Application->OnException = nullptr;
        FlatFormTest::TearDown();
    }
    TSpinButton* spin = nullptr;
    int ups = 0, downs = 0;
};

TEST_F(SpinButtonTest, HalvesSitSideBySideWithTheDefaultArrows) {
    EXPECT_EQ(spin->GetUpButton()->GetBoundsRect(), TRect(0, 0, 11, 14));
    EXPECT_EQ(spin->GetDownButton()->GetBoundsRect(), TRect(10, 0, 21, 14));
    EXPECT_FALSE(spin->GetUpGlyph()->Empty());
    EXPECT_FALSE(spin->GetDownGlyph()->Empty());
    EXPECT_EQ(spin->GetUpButton()->GetLayout(), blGlyphTop);
    EXPECT_EQ(spin->GetDownButton()->GetLayout(), blGlyphBottom);
    EXPECT_EQ(spin->GetUpButton()->GetMargin(), 2);
}

TEST_F(SpinButtonTest, ArrowKeysAndSpaceClickTheFocusedHalf) {
    spin->SetFocus();
    Pump(20);
    ASSERT_TRUE(spin->Focused());
    EXPECT_NE(spin->GetFocusedButton()->GetTimeBtnState() & TTimerSpeedButton::tbFocusRect, 0);
    HWND wnd = spin->GetHandle();
    PostMessageA(wnd, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageA(wnd, WM_KEYDOWN, VK_SPACE, 1);
    PostMessageA(wnd, WM_KEYDOWN, VK_UP, 1);
    Pump(20);
    EXPECT_EQ(downs, 2);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(spin->GetFocusedButton(), spin->GetUpButton());
}

TEST_F(SpinButtonTest, FailingClickStopsTheRepeatAndIsReported) {
    int reports = 0;
    Application->OnException = [&reports](TObject*, const Exception&) { ++reports; };
    spin->OnUpClick = [](TObject*) { throw Exception("step failed"); };
    PostMouse(spin->GetHandle(), WM_LBUTTONDOWN, 5, 7, MK_LBUTTON);
    Pump(800);
    EXPECT_EQ(reports, 1);   // the first repeat failed and the timer stopped
    PostMouse(spin->GetHandle(), WM_LBUTTONUP, 5, 7, 0);
    Pump(20);
    EXPECT_EQ(reports, 2);   // the click on release fails once more, and is reported too
}

TEST_F(SpinButtonTest, ForgetsAFocusControlThatGoesAway) {
    TWinControl* target = new TWinControl(form);
    spin->SetFocusControl(target);
    delete target;
    EXPECT_EQ(spin->GetFocusControl(), nullptr);
}

}  // namespace
