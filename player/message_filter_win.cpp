#include "player/message_filter_win.h"

#include "player/message_filter.h"

namespace {
bool gCtrlDown = false;   // main thread only: the message event runs in its loops
}

void AppMessageFilter(TMsg& msg, bool& handled) {
    int ctrl = GetKeyState(VK_CONTROL) < 0 ? message_filter::kCtrlHeld : message_filter::kCtrlUp;
    if (FilterPlayerMessage(msg.message, static_cast<uint64_t>(msg.wParam), ctrl, gCtrlDown)) handled = true;
}

TApplicationEvents* InstallAppMessageFilter(TComponent* owner) {
    auto* events = new TApplicationEvents(owner);
    events->OnMessage = AppMessageFilter;
    return events;
}

void ClearCtrlDown() { gCtrlDown = false; }

bool GetCtrlDown() { return gCtrlDown; }
