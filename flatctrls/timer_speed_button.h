// TTimerSpeedButton: a flat speed button that repeats its click while it is held down
// (first after 400 ms, then every 100 ms), as the halves of a spin button do.
#pragma once
#include <cstdint>
#include <memory>

#include "flatctrls/flat_speed_button.h"

class TTimer;

class TTimerSpeedButton : public TFlatSpeedButton {
public:
    using TTimeBtnState = uint8_t;
    enum : TTimeBtnState { tbFocusRect = 1, tbAllowTimer = 2 };

    explicit TTimerSpeedButton(TComponent* owner);
    ~TTimerSpeedButton() override;
    const char* ClassName() const override { return "TTimerSpeedButton"; }

    TTimeBtnState GetTimeBtnState() const { return FTimeBtnState; }
    void SetTimeBtnState(TTimeBtnState state) { FTimeBtnState = state; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void TimerExpired();
    std::unique_ptr<TTimer> FRepeatTimer;
    TTimeBtnState FTimeBtnState = 0;
};
