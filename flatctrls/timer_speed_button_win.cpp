#include "flatctrls/timer_speed_button.h"

#include "classlib/gui/timer.h"

namespace {
constexpr unsigned kInitRepeatPause = 400;
constexpr unsigned kRepeatPause = 100;
}

TTimerSpeedButton::TTimerSpeedButton(TComponent* owner) : TFlatSpeedButton(owner) {}

TTimerSpeedButton::~TTimerSpeedButton() = default;

void TTimerSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TFlatSpeedButton::MouseDown(button, shift, x, y);
    if (FTimeBtnState & tbAllowTimer) {
        if (!FRepeatTimer) {
            FRepeatTimer = std::make_unique<TTimer>(nullptr);
            FRepeatTimer->SetEnabled(false);
        }
        FRepeatTimer->SetEnabled(false);
        FRepeatTimer->SetInterval(kInitRepeatPause);
        FRepeatTimer->OnTimer = [this](TObject*) { TimerExpired(); };
        FRepeatTimer->SetEnabled(true);
    }
}

void TTimerSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TFlatSpeedButton::MouseUp(button, shift, x, y);
    if (FRepeatTimer)
        FRepeatTimer->SetEnabled(false);
}

void TTimerSpeedButton::TimerExpired() {
    FRepeatTimer->SetInterval(kRepeatPause);
    if (FState == bsDown && GetMouseCapture()) {
        try {
            Click();
        } catch (...) {
            // The timer reports the error; a failing click must not repeat.
            FRepeatTimer->SetEnabled(false);
            throw;
        }
    }
}

void TTimerSpeedButton::Paint() {
    TFlatSpeedButton::Paint();
    if (FTimeBtnState & tbFocusRect) {
        TRect r = Bounds(0, 0, GetWidth(), GetHeight()).Inflate(-3, -3);
        if (FState == bsDown)
            r = r.Offset(1, 1);
        GetCanvas()->DrawFocusRect(r);
    }
}
