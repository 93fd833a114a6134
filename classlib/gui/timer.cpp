#include "classlib/gui/timer.h"

#include <map>

#include "classlib/gui/application.h"

namespace {
std::map<UINT_PTR, TTimer*> gTimers;   // main thread only
UINT_PTR gNextId = 1;
}  // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner), FId(gNextId++) {
    gTimers[FId] = this;
    UpdateTimer();
}

TTimer::~TTimer() {
    FEnabled = false;
    UpdateTimer();
    gTimers.erase(FId);
}

TTimer* TTimer::FromId(UINT_PTR id) {
    auto it = gTimers.find(id);
    return it == gTimers.end() ? nullptr : it->second;
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned ms) {
    if (ms == FInterval) return;
    FInterval = ms;
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    HWND wnd = Application->GetHandle();
    if (FRunning && wnd) KillTimer(wnd, FId);
    FRunning = false;
    if (FEnabled && FInterval > 0 && wnd) {
        if (!SetTimer(wnd, FId, FInterval, nullptr)) throw EOSError("Not enough timers available");
        FRunning = true;
    }
}

void TTimer::Timer() {
    if (!FEnabled || !OnTimer) return;
    try {
        OnTimer(this);
    } catch (...) {
        Application->HandleException(this);
    }
}
