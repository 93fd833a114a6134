#include "player/message_filter.h"

using namespace message_filter;

bool FilterPlayerMessage(uint32_t message, uint64_t wParam, int ctrlState, bool& ctrlDown) {
    bool swallow = false;
    if (message == kWmKeyDown) {
        if (wParam == kVkControl) ctrlDown = true;
        if (wParam >= kVkF2 && wParam <= kVkF12) swallow = true;
    } else if (message == kWmKeyUp && wParam == kVkControl) {
        ctrlDown = false;
    }
    if (ctrlState == kCtrlUp || ctrlState == kCtrlHeld) ctrlDown = ctrlState == kCtrlHeld;
    if (message == kWmContextMenu || message == kWmRButtonDown || message == kWmRButtonDblClk) swallow = true;
    if (ctrlDown && message == kWmKeyDown && wParam >= kVkA && wParam <= kVkZ && wParam != kVkV) swallow = true;
    return swallow;
}
