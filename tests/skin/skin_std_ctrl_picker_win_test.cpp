// The date-time pickers' skinned up-down on a main form that its engine skins as the programs'
// forms are skinned, read from the screen: a real press shows the held half in the skin's down
// colour and the release (or the mouse taken away) gives the normal look back, at more than one
// size; a disabled picker's arrows have the disabled look, and follow the picker when it is
// enabled or disabled while skinned. Real mouse input: runs alone.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstddef>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/date_time_picker.h"
#include "classlib/gui/forms.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_keys.h"
#include "skin/skin_std_ctrl_picker_win.h"
#include "skin/skin_std_ctrl_range_win.h"
#include "tests/skin/support/skin_test_support.h"
#include "tests/support/tempdir.h"

namespace {

const auto* kEnv = ::testing::AddGlobalTestEnvironment(new TSkinGuiEnvironment);

// One picker with up-down buttons: a time picker or a date picker in up-down mode, of a size.
struct TPickerCase {
    const char* Name;
    TDateTimeKind Kind;
    int Width, Height;
};
const TPickerCase kPickers[] = {
    {"time, 160 x 24", dtkTime, 160, 24},
    {"time, 220 x 40", dtkTime, 220, 40},
    {"date up-down, 160 x 24", dtkDate, 160, 24},
    {"date up-down, 220 x 40", dtkDate, 220, 40},
};

// A main form holding one picker of each case, loaded with its engine and shown as the
// programs' main forms are; the pickers given as enabled or not before the skin sees them.
struct TPickerForm {
    explicit TPickerForm(bool enabled) : Form(new TForm(nullptr)) {
        Form->SetBounds(200, 100, 420, 300);
        int top = 10;
        for (const TPickerCase& c : kPickers) {
            auto* picker = new TDateTimePicker(Form.get());
            picker->SetParent(Form.get());
            picker->SetBounds(10, top, c.Width, c.Height);
            picker->SetKind(c.Kind);
            if (c.Kind == dtkDate) picker->SetDateMode(dmUpDown);
            picker->SetEnabled(enabled);
            Pickers.push_back(picker);
            top += c.Height + 12;
        }
        const std::string bytes = ReadWholeFile(SKIN_DEFAULT_FILE);
        Form->BeginLoading();
        Engine = new TlumSkinEngine(Form.get());
        Engine->SetActive(true);
        Engine->ReadSkinData(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        Form->FinishLoading();
        Form->Show();
        HWND h = Form->GetHandle();
        SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(h);
        MoveTo(POINT{1000, 760});
        ProcessMessagesAWhile();
    }
    // The skin's up-down over the picker's native one.
    static TlumSkinInternalUpDown* UpDownOf(TDateTimePicker* picker) {
        for (int i = 0; i < picker->ComponentCount(); ++i)
            if (auto* u = dynamic_cast<TlumSkinInternalUpDown*>(picker->GetComponent(i))) return u;
        return nullptr;
    }
    std::unique_ptr<TForm> Form;
    TlumSkinEngine* Engine;
    std::vector<TDateTimePicker*> Pickers;
};

COLORREF Rgb(TColor c) { return static_cast<COLORREF>(ColorToRGB(c)); }

// A point inside a button, off its border and its arrow.
POINT Inside(const TRect& r) { return POINT{r.Left + 2, r.Top + 2}; }

// The arrow looks that a button's inside shows: black pixels (enabled) and grey ones with their
// white shadow (disabled).
struct TArrowInk {
    int Black = 0, Grey = 0, White = 0;
};
TArrowInk InkIn(HWND wnd, const TRect& r) {
    TArrowInk ink;
    HDC dc = GetDC(wnd);
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
        for (int x = r.Left + 1; x < r.Right - 1; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            ink.Black += c == RGB(0, 0, 0);
            ink.Grey += c == RGB(128, 128, 128);
            ink.White += c == RGB(255, 255, 255);
        }
    ReleaseDC(wnd, dc);
    return ink;
}

void ExpectLook(HWND wnd, const TRect& button, bool enabled, const std::string& what) {
    const TArrowInk ink = InkIn(wnd, button);
    if (enabled) {
        EXPECT_GT(ink.Black, 0) << what << ": no enabled arrow";
        EXPECT_EQ(ink.Grey, 0) << what;
    } else {
        EXPECT_EQ(ink.Black, 0) << what << ": an enabled arrow";
        EXPECT_GT(ink.Grey, 0) << what;
        EXPECT_GT(ink.White, 0) << what;
    }
}

}  // namespace

// Each half of each picker's up-down, pressed with the real mouse: held it shows the down
// colour (the other half not); released, or with the mouse taken from it while held (as when a
// window of the program takes it), both halves show the form colour again; and the press reached
// the picker's own up-down, which stepped the field clicked before.
TEST(SkinPickerUpDown, RealPressAndReleaseGiveTheNormalLookBack) {
    TPickerForm f(true);
    const COLORREF down = Rgb(f.Engine->GetSkinColor(SKIN2_TOOLBARDOWNCOLOR));
    const COLORREF face = Rgb(f.Engine->GetFormColor());
    ASSERT_NE(down, face);
    HWND form = f.Form->GetHandle();
    for (size_t i = 0; i < f.Pickers.size(); ++i) {
        TDateTimePicker* picker = f.Pickers[i];
        ASSERT_EQ(SendMessageA(picker->GetHandle(), WM_SKIN_QUERY, 0, 0), 1) << kPickers[i].Name;
        TlumSkinInternalUpDown* upDown = TPickerForm::UpDownOf(picker);
        ASSERT_NE(upDown, nullptr) << kPickers[i].Name;
        HWND wnd = upDown->GetHandle();
        ASSERT_TRUE(IsWindowVisible(wnd)) << kPickers[i].Name;
        ASSERT_EQ(SendMessageA(wnd, WM_SKIN_QUERY, 0, 0), 1) << kPickers[i].Name;
        TRect first, second;
        TlumSkinUpDown::ButtonRects(upDown->GetWidth(), upDown->GetHeight(), true, first, second);
        for (bool upper : {true, false})
            for (bool taken : {false, true}) {
                const std::string name = std::string(kPickers[i].Name) + (upper ? ", up" : ", down") +
                                         (taken ? ", mouse taken" : ", released");
                const TRect held = upper ? first : second, other = upper ? second : first;
                // The user's way: a field clicked first (the picker steps the field it has selected).
                MoveTo(ScreenPoint(picker->GetHandle(), 12, picker->GetClientHeight() / 2));
                Press();
                Release();
                const TDateTime before = picker->GetDateTime();
                MoveTo(ScreenPoint(wnd, held.Left + held.Width() / 2, held.Top + held.Height() / 2));
                Press(60);
                EXPECT_EQ(ClientPixel(wnd, Inside(held).x, Inside(held).y), down) << name;
                EXPECT_EQ(ClientPixel(wnd, Inside(other).x, Inside(other).y), face) << name;
                if (taken) {
                    SetCapture(form);
                    Pump(60);
                    EXPECT_EQ(ClientPixel(wnd, Inside(held).x, Inside(held).y), face) << name << ": still drawn held";
                }
                Release(60);
                if (taken) ReleaseCapture();
                Pump(60);
                EXPECT_EQ(ClientPixel(wnd, Inside(held).x, Inside(held).y), face) << name << ": still drawn held";
                EXPECT_EQ(ClientPixel(wnd, Inside(other).x, Inside(other).y), face) << name;
                EXPECT_NE(picker->GetDateTime(), before) << name << ": the picker did not step";
                // Away from the control the look stays normal.
                MoveTo(POINT{1000, 760}, 60);
                EXPECT_EQ(ClientPixel(wnd, Inside(held).x, Inside(held).y), face) << name;
            }
    }
}

// A picker disabled before it is skinned, or while it is, draws its arrows grey with a white
// shadow; enabled again, black. The enabled state is the picker's, not the up-down's own.
TEST(SkinPickerUpDown, ArrowsFollowThePickersEnabledState) {
    for (bool enabledAtStart : {false, true}) {
        TPickerForm f(enabledAtStart);
        for (bool enabled : {enabledAtStart, !enabledAtStart, enabledAtStart}) {
            for (TDateTimePicker* picker : f.Pickers) picker->SetEnabled(enabled);
            ProcessMessagesAWhile();
            for (size_t i = 0; i < f.Pickers.size(); ++i) {
                const std::string name = std::string(kPickers[i].Name) + (enabledAtStart ? ", enabled at start" : ", disabled at start") +
                                         (enabled ? ", now enabled" : ", now disabled");
                TlumSkinInternalUpDown* upDown = TPickerForm::UpDownOf(f.Pickers[i]);
                ASSERT_NE(upDown, nullptr) << name;
                HWND wnd = upDown->GetHandle();
                TRect first, second;
                TlumSkinUpDown::ButtonRects(upDown->GetWidth(), upDown->GetHeight(), true, first, second);
                ExpectLook(wnd, first, enabled, name + ", up");
                ExpectLook(wnd, second, enabled, name + ", down");
            }
        }
    }
}

// What may happen to a picker while a half of its up-down is held with the real mouse, on a
// form with pickers beside it: disabled (the arrows turn grey at once, the release gives the
// normal look back), destroyed (the release finds nothing of it, the other pickers still work)
// or its engine freed (the native up-down is back, unhooked, and steps the picker by itself).
TEST(SkinPickerUpDown, WhatHappensWhileAHalfIsHeld) {
    enum TWhile { wDisabled, wDestroyed, wEngineFreed };
    const struct {
        const char* Name;
        TWhile What;
    } kRows[] = {{"disabled", wDisabled}, {"destroyed", wDestroyed}, {"engine freed", wEngineFreed}};
    for (const auto& row : kRows)
        for (size_t i = 0; i < std::size(kPickers); ++i) {
            const std::string name = std::string(row.Name) + ", " + kPickers[i].Name;
            TPickerForm f(true);
            const COLORREF face = Rgb(f.Engine->GetFormColor());
            TDateTimePicker* picker = f.Pickers[i];
            TlumSkinInternalUpDown* upDown = TPickerForm::UpDownOf(picker);
            ASSERT_NE(upDown, nullptr) << name;
            HWND wnd = upDown->GetHandle();
            HWND native = FindWindowExA(picker->GetHandle(), nullptr, "msctls_updown32", nullptr);
            if (native == wnd) native = FindWindowExA(picker->GetHandle(), native, "msctls_updown32", nullptr);
            ASSERT_NE(native, nullptr) << name;
            TRect first, second;
            TlumSkinUpDown::ButtonRects(upDown->GetWidth(), upDown->GetHeight(), true, first, second);
            MoveTo(ScreenPoint(wnd, first.Left + first.Width() / 2, first.Top + first.Height() / 2));
            Press(60);
            ASSERT_EQ(GetCapture(), native) << name;
            switch (row.What) {
            case wDisabled:
                picker->SetEnabled(false);
                Pump(60);
                ExpectLook(wnd, first, false, name + ", held");
                Release(60);
                EXPECT_EQ(ClientPixel(wnd, Inside(first).x, Inside(first).y), face) << name << ": still drawn held";
                ExpectLook(wnd, first, false, name + ", released");
                ExpectLook(wnd, second, false, name + ", released");
                break;
            case wDestroyed: {
                delete picker;
                f.Pickers.erase(f.Pickers.begin() + static_cast<std::ptrdiff_t>(i));
                Pump(60);
                EXPECT_FALSE(IsWindow(native)) << name;
                Release(60);
                EXPECT_EQ(GetCapture(), nullptr) << name;
                // A neighbour's up-down still lets go after a press.
                TlumSkinInternalUpDown* other = TPickerForm::UpDownOf(f.Pickers[0]);
                ASSERT_NE(other, nullptr) << name;
                HWND otherWnd = other->GetHandle();
                MoveTo(ScreenPoint(otherWnd, first.Left + first.Width() / 2, first.Top + first.Height() / 2));
                Press(60);
                Release(60);
                EXPECT_EQ(ClientPixel(otherWnd, Inside(first).x, Inside(first).y), face) << name << ": neighbour drawn held";
                break;
            }
            case wEngineFreed: {
                delete f.Engine;
                f.Engine = nullptr;
                Pump(60);
                EXPECT_EQ(TPickerForm::UpDownOf(picker), nullptr) << name;
                EXPECT_TRUE(IsWindowVisible(native)) << name;
                Release(60);
                EXPECT_EQ(GetCapture(), nullptr) << name;
                // The native up-down alone steps the picker: a press and release of its own.
                MoveTo(ScreenPoint(picker->GetHandle(), 12, picker->GetClientHeight() / 2));
                Press();
                Release();
                const TDateTime before = picker->GetDateTime();
                RECT r;
                GetClientRect(native, &r);
                MoveTo(ScreenPoint(native, r.right / 2, r.bottom / 4));
                Press(60);
                Release(60);
                EXPECT_NE(picker->GetDateTime(), before) << name << ": the native up-down did not step";
                break;
            }
            }
            MoveTo(POINT{1000, 760});
        }
}
