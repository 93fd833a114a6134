// The player's application-wide message filter: what it decides, as a plain function over
// message numbers and keys (the hook-up to the application is in message_filter_win.h).
//
// Readers must not reach a book's pages through the browser's own commands: the right mouse
// button, the context menu, the function keys F2 to F12 and Ctrl with a letter (Ctrl+V, paste,
// excepted) are swallowed; everything else passes.
#pragma once
#include <cstdint>

namespace message_filter {

// The numbers the filter looks at, as the system defines them.
constexpr uint32_t kWmContextMenu = 0x007B;
constexpr uint32_t kWmKeyDown = 0x0100;
constexpr uint32_t kWmKeyUp = 0x0101;
constexpr uint32_t kWmRButtonDown = 0x0204;
constexpr uint32_t kWmRButtonDblClk = 0x0206;
constexpr uint64_t kVkControl = 0x11;
constexpr uint64_t kVkF2 = 0x71;
constexpr uint64_t kVkF12 = 0x7B;
constexpr uint64_t kVkA = 0x41;
constexpr uint64_t kVkZ = 0x5A;
constexpr uint64_t kVkV = 0x56;

// What the keyboard said about Ctrl when the message was taken from the queue.
enum CtrlState : int { kCtrlUnknown = -1, kCtrlUp = 0, kCtrlHeld = 1 };

}  // namespace message_filter

// Looks at one queued message. ctrlDown is the filter's memory of the Ctrl key: a Ctrl key-down
// sets it, a Ctrl key-up clears it. When the keyboard's own state is known it has the last word,
// so that a Ctrl released (or pressed) while another program had the keyboard does not leave
// the flag wrong. Returns true when the message is to be swallowed.
bool FilterPlayerMessage(uint32_t message, uint64_t wParam, int ctrlState, bool& ctrlDown);
