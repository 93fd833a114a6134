// TTimer: OnTimer every Interval milliseconds while Enabled, on the main thread.
#pragma once
#include "classlib/gui/windows_api.h"

#include <functional>

#include "classlib/classes.h"

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    const char* ClassName() const override { return "TTimer"; }
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    unsigned GetInterval() const { return FInterval; }
    void SetInterval(unsigned ms);
    // Runs on each tick while Enabled (errors are reported, the timer goes on).
    std::function<void(TObject*)> OnTimer;
    // Called by the application's window on each tick.
    void Timer();
    // The timer of a tick's identifier (used by the application's window).
    static TTimer* FromId(UINT_PTR id);
private:
    void UpdateTimer();
    bool FEnabled = true;
    unsigned FInterval = 1000;
    UINT_PTR FId = 0;
    bool FRunning = false;
};
