// The integer spin edit on a shown form: typing, pasting, arrow keys, limits, and the spin
// button's repeat while held.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "flat_form_fixture.h"
#include "flatctrls/flat_spin_edit.h"

namespace {

class SpinEditTest : public FlatFormTest {
protected:
    void SetUp() override {
        FlatFormTest::SetUp();
        spin = new TFlatSpinEditInteger(form);
        spin->SetParent(form);
        spin->SetBounds(20, 20, 121, 20);
        other = new TFlatSpinEditInteger(form);
        other->SetParent(form);
        other->SetBounds(20, 80, 121, 20);
        ShowForm();
        spin->SetFocus();
        Pump(30);
    }

    HWND Edit() { return spin->GetHandle(); }

    void PostKey(UINT msg, WPARAM key) {
        PostMessageA(Edit(), msg, key, 1);
        Pump(10);
    }
    void Type(char c) { PostKey(WM_CHAR, static_cast<unsigned char>(c)); }

    static bool PutOnClipboard(HWND owner, const char* text) {
        if (!OpenClipboard(owner))
            return false;
        EmptyClipboard();
        size_t n = std::strlen(text) + 1;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, n);
        std::memcpy(GlobalLock(block), text, n);
        GlobalUnlock(block);
        bool ok = SetClipboardData(CF_TEXT, block) != nullptr;
        CloseClipboard();
        return ok;
    }

    TFlatSpinEditInteger* spin = nullptr;
    TFlatSpinEditInteger* other = nullptr;
};

TEST_F(SpinEditTest, StartsAtZeroWithTheButtonInsideTheRightEdge) {
    EXPECT_EQ(spin->GetText(), "0");
    EXPECT_EQ(spin->GetValue(), 0);
    TSpinButton* button = spin->GetButton();
    EXPECT_EQ(button->GetParent(), spin);
    EXPECT_EQ(button->GetWidth(), 22);
    EXPECT_EQ(button->GetLeft(), spin->GetWidth() - 22 - 5);
    EXPECT_EQ(button->GetTop(), 0);
    EXPECT_EQ(button->GetHeight(), spin->GetHeight() - 6);
    EXPECT_EQ(button->GetUpButton()->GetLeft(), 0);
    EXPECT_EQ(button->GetDownButton()->GetLeft(), 10);
    EXPECT_EQ(button->GetUpButton()->GetWidth(), 11);
    RECT r{};
    SendMessageA(Edit(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    EXPECT_LE(r.right, spin->GetClientWidth() - 22 - 3);
}

TEST_F(SpinEditTest, LoadedHeightIsTheFontHeightPlusSeven) {
    EXPECT_EQ(spin->GetHeight(), FontTextHeight(spin->GetFont()) + 7);
}

TEST_F(SpinEditTest, RefusesALetterAndAcceptsADigit) {
    SendMessageA(Edit(), EM_SETSEL, 0, -1);
    Type('a');
    EXPECT_EQ(spin->GetText(), "0");
    Type('7');
    EXPECT_EQ(spin->GetText(), "7");
    Type('-');
    Type('x');
    Type('\r');
    EXPECT_EQ(spin->GetText(), "7-");
    // A double-byte character is refused, also one whose UTF-16 code ends in a digit's byte
    // (U+4E30, GBK B7 E1).
    Type('\xB7');
    Type('\xE1');
    EXPECT_EQ(spin->GetText(), "7-");
}

TEST_F(SpinEditTest, ArrowKeysStepByTheIncrement) {
    spin->SetIncrement(5);
    PostKey(WM_KEYDOWN, VK_UP);
    PostKey(WM_KEYDOWN, VK_UP);
    EXPECT_EQ(spin->GetValue(), 10);
    PostKey(WM_KEYDOWN, VK_DOWN);
    EXPECT_EQ(spin->GetValue(), 5);
}

TEST_F(SpinEditTest, LimitsClampWhenTheFocusLeaves) {
    spin->SetMinValue(1);
    spin->SetMaxValue(10);
    spin->SetText("25");
    other->SetFocus();
    Pump(20);
    EXPECT_EQ(spin->GetText(), "10");

    spin->SetFocus();
    spin->SetText("-3");
    other->SetFocus();
    Pump(20);
    EXPECT_EQ(spin->GetText(), "1");
}

TEST_F(SpinEditTest, TextThatIsNotANumberReadsAsMinValueAndStays) {
    spin->SetMinValue(1);
    spin->SetMaxValue(10);
    spin->SetText("abc");
    EXPECT_EQ(spin->GetValue(), 1);
    other->SetFocus();
    Pump(20);
    EXPECT_EQ(spin->GetText(), "abc");
}

TEST_F(SpinEditTest, EqualLimitsMeanNoLimit) {
    spin->SetValue(-12345);
    EXPECT_EQ(spin->GetText(), "-12345");
    other->SetFocus();
    Pump(20);
    EXPECT_EQ(spin->GetValue(), -12345);
}

TEST_F(SpinEditTest, EveryChangeOfTheValueIsReportedOnce) {
    int changes = 0;
    spin->OnChange = [&](TObject*) { ++changes; };
    spin->SetValue(7);
    EXPECT_EQ(changes, 1);
    spin->SetText("8");
    EXPECT_EQ(changes, 2);
    spin->SetValue(8);   // unchanged
    EXPECT_EQ(changes, 2);
    spin->UpClick(spin);
    EXPECT_EQ(changes, 3);
    Type('1');
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(spin->GetText().size(), 2u);
}

TEST_F(SpinEditTest, SteppingStopsAtTheEndsOfTheIntegerRange) {
    spin->SetValue(std::numeric_limits<int32_t>::max() - 1);
    spin->UpClick(spin);
    spin->UpClick(spin);
    EXPECT_EQ(spin->GetValue(), std::numeric_limits<int32_t>::max());
    spin->SetValue(std::numeric_limits<int32_t>::min());
    spin->DownClick(spin);
    EXPECT_EQ(spin->GetValue(), std::numeric_limits<int32_t>::min());
    spin->SetIncrement(std::numeric_limits<int32_t>::max());
    spin->DownClick(spin);
    EXPECT_EQ(spin->GetValue(), std::numeric_limits<int32_t>::min());
    spin->SetIncrement(std::numeric_limits<int32_t>::min());
    spin->SetValue(5);
    spin->DownClick(spin);   // 5 - (-2^31) does not fit
    EXPECT_EQ(spin->GetValue(), std::numeric_limits<int32_t>::max());
}

TEST_F(SpinEditTest, PasteOfNonDigitsIsRefused) {
    ASSERT_TRUE(PutOnClipboard(form->GetHandle(), "12ab"));
    SendMessageA(Edit(), EM_SETSEL, 0, -1);
    SendMessageA(Edit(), WM_PASTE, 0, 0);
    EXPECT_EQ(spin->GetText(), "0");
    ASSERT_TRUE(PutOnClipboard(form->GetHandle(), "4\r\n"));
    SendMessageA(Edit(), WM_PASTE, 0, 0);
    EXPECT_EQ(spin->GetText(), "0");

    ASSERT_TRUE(PutOnClipboard(form->GetHandle(), "-42"));
    SendMessageA(Edit(), EM_SETSEL, 0, -1);
    SendMessageA(Edit(), WM_PASTE, 0, 0);
    EXPECT_EQ(spin->GetText(), "-42");

    // Ctrl+V takes the same way.
    ASSERT_TRUE(PutOnClipboard(form->GetHandle(), "x1"));
    SendMessageA(Edit(), EM_SETSEL, 0, -1);
    Type('\x16');
    EXPECT_EQ(spin->GetText(), "-42");
}

TEST_F(SpinEditTest, ReadOnlyOnlyBeeps) {
    spin->SetReadOnly(true);
    PostKey(WM_KEYDOWN, VK_UP);
    spin->GetButton()->GetUpButton()->Click();
    EXPECT_EQ(spin->GetValue(), 0);
    ASSERT_TRUE(PutOnClipboard(form->GetHandle(), "5"));
    SendMessageA(Edit(), WM_PASTE, 0, 0);
    EXPECT_EQ(spin->GetText(), "0");
}

TEST_F(SpinEditTest, EditorDisabledRefusesTypingButTheButtonsStillStep) {
    spin->SetEditorEnabled(false);
    SendMessageA(Edit(), EM_SETSEL, 0, -1);
    Type('5');
    Type('\b');
    EXPECT_EQ(spin->GetText(), "0");
    spin->GetButton()->GetUpButton()->Click();
    EXPECT_EQ(spin->GetValue(), 1);
}

// Steps of the spin edit, timed from the moment the up button is pressed.
class SpinRepeatTest : public SpinEditTest {
protected:
    void SetUp() override {
        SpinEditTest::SetUp();
        spin->OnChange = [this](TObject*) { steps.push_back(GetTickCount64() - pressedAt); };
        TTimerSpeedButton* up = spin->GetButton()->GetUpButton();
        x = up->GetLeft() + up->GetWidth() / 2 - 1;
        y = up->GetTop() + up->GetHeight() / 2;
        // The pointer rests on the button, as it would for a user holding it.
        TPoint screen = spin->GetButton()->ClientToScreen(TPoint(x, y));
        SetCursorPos(screen.X, screen.Y);
        Pump(20);
    }

    void Press() {
        steps.clear();
        pressedAt = GetTickCount64();
        PostMouse(spin->GetButton()->GetHandle(), WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    }
    void Release(int atX) { PostMouse(spin->GetButton()->GetHandle(), WM_LBUTTONUP, atX, y, 0); }

    std::vector<ULONGLONG> steps;
    ULONGLONG pressedAt = 0;
    int x = 0, y = 0;
};

TEST_F(SpinRepeatTest, ShortClickStepsOnceOnRelease) {
    Press();
    Pump(50);
    EXPECT_TRUE(steps.empty());
    Release(x);
    Pump(20);
    EXPECT_EQ(steps.size(), 1u);
    EXPECT_EQ(spin->GetValue(), 1);
    EXPECT_TRUE(spin->Focused());
}

TEST_F(SpinRepeatTest, HoldingRepeatsAfter400ThenEvery100) {
    Press();
    Pump(1050);
    const size_t held = steps.size();
    // Steps near 400, 500, ... 1000 ms; timers may run late but never early.
    ASSERT_GE(held, 3u);
    EXPECT_LE(held, 7u);
    EXPECT_GE(steps[0], 390u);
    EXPECT_LT(steps[0], 800u);
    for (size_t i = 1; i < held; ++i) {
        EXPECT_GE(steps[i] - steps[i - 1], 85u) << "step " << i;
        EXPECT_LT(steps[i] - steps[i - 1], 350u) << "step " << i;
    }
    Release(x);
    Pump(20);
    EXPECT_EQ(steps.size(), held + 1);
    EXPECT_EQ(spin->GetValue(), static_cast<int32_t>(held + 1));
    // Nothing more once released.
    Pump(300);
    EXPECT_EQ(steps.size(), held + 1);
}

TEST_F(SpinRepeatTest, ReleasingOutsideAddsNoStep) {
    Press();
    Pump(200);
    // Dragged off the button: the repeat stops clicking while the pointer is away.
    PostMouse(spin->GetButton()->GetHandle(), WM_MOUSEMOVE, -30, y, MK_LBUTTON);
    Pump(500);
    Release(-30);
    Pump(50);
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ(spin->GetValue(), 0);
}

}  // namespace
