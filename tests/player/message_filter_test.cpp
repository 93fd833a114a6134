// The player's message filter as a table: messages, keys and the Ctrl state.
#include <gtest/gtest.h>

#include "player/message_filter.h"

using namespace message_filter;

namespace {

constexpr uint32_t kWmChar = 0x0102, kWmSysKeyDown = 0x0104, kWmRButtonUp = 0x0205, kWmLButtonDown = 0x0201,
                   kWmMouseMove = 0x0200;

struct Row {
    const char* what;
    uint32_t message;
    uint64_t key;
    int ctrlState;
    bool ctrlBefore;
    bool swallow;
    bool ctrlAfter;
};

const Row kRows[] = {
    // Ctrl is remembered from its own key messages (the keyboard's state not known).
    {"Ctrl down sets the flag", kWmKeyDown, kVkControl, kCtrlUnknown, false, false, true},
    {"Ctrl repeat keeps it", kWmKeyDown, kVkControl, kCtrlUnknown, true, false, true},
    {"Ctrl up clears it", kWmKeyUp, kVkControl, kCtrlUnknown, true, false, false},
    {"a letter's release leaves it", kWmKeyUp, 'C', kCtrlUnknown, true, false, true},
    {"Ctrl+C", kWmKeyDown, 'C', kCtrlUnknown, true, true, true},
    {"Ctrl+A", kWmKeyDown, 'A', kCtrlUnknown, true, true, true},
    {"Ctrl+P", kWmKeyDown, 'P', kCtrlUnknown, true, true, true},
    {"Ctrl+N", kWmKeyDown, 'N', kCtrlUnknown, true, true, true},
    {"Ctrl+F", kWmKeyDown, 'F', kCtrlUnknown, true, true, true},
    {"Ctrl+Z (last letter)", kWmKeyDown, 'Z', kCtrlUnknown, true, true, true},
    {"Ctrl+V pastes", kWmKeyDown, 'V', kCtrlUnknown, true, false, true},
    {"Ctrl+@ is no letter", kWmKeyDown, 0x40, kCtrlUnknown, true, false, true},
    {"Ctrl+[ is no letter", kWmKeyDown, 0x5B, kCtrlUnknown, true, false, true},
    {"Ctrl+digit", kWmKeyDown, '1', kCtrlUnknown, true, false, true},
    {"a letter alone", kWmKeyDown, 'C', kCtrlUnknown, false, false, false},
    {"the character of Ctrl+C", kWmChar, 3, kCtrlUnknown, true, false, true},
    // Function keys.
    {"F1 (help) passes", kWmKeyDown, 0x70, kCtrlUnknown, false, false, false},
    {"F2", kWmKeyDown, kVkF2, kCtrlUnknown, false, true, false},
    {"F5 (refresh)", kWmKeyDown, 0x74, kCtrlUnknown, false, true, false},
    {"F12", kWmKeyDown, kVkF12, kCtrlUnknown, false, true, false},
    {"F13 passes", kWmKeyDown, 0x7C, kCtrlUnknown, false, false, false},
    {"F10 arrives as a system key and passes", kWmSysKeyDown, 0x79, kCtrlUnknown, false, false, false},
    {"F5's release passes", kWmKeyUp, 0x74, kCtrlUnknown, false, false, false},
    // The right button and the context menu.
    {"right button press", kWmRButtonDown, 2, kCtrlUnknown, false, true, false},
    {"right button double click", kWmRButtonDblClk, 2, kCtrlUnknown, false, true, false},
    {"right button release passes", kWmRButtonUp, 0, kCtrlUnknown, false, false, false},
    {"context menu", kWmContextMenu, 0, kCtrlUnknown, false, true, false},
    {"left button passes", kWmLButtonDown, 1, kCtrlUnknown, true, false, true},
    {"mouse move passes", kWmMouseMove, 0, kCtrlUnknown, false, false, false},
    // The keyboard's own state has the last word (Ctrl released or pressed in another program).
    {"Ctrl released elsewhere: letters pass again", kWmKeyDown, 'C', kCtrlUp, true, false, false},
    {"Ctrl pressed elsewhere: letters are swallowed", kWmKeyDown, 'C', kCtrlHeld, false, true, true},
    {"any message brings the flag in line", kWmMouseMove, 0, kCtrlUp, true, false, false},
    {"Ctrl down with the keyboard agreeing", kWmKeyDown, kVkControl, kCtrlHeld, false, false, true},
    {"Ctrl up with the keyboard agreeing", kWmKeyUp, kVkControl, kCtrlUp, true, false, false},
    {"Ctrl+V with Ctrl held", kWmKeyDown, 'V', kCtrlHeld, true, false, true},
    {"F5 with Ctrl held", kWmKeyDown, 0x74, kCtrlHeld, true, true, true},
};

}  // namespace

TEST(PlayerMessageFilter, Table) {
    for (const Row& r : kRows) {
        bool ctrl = r.ctrlBefore;
        EXPECT_EQ(FilterPlayerMessage(r.message, r.key, r.ctrlState, ctrl), r.swallow) << r.what;
        EXPECT_EQ(ctrl, r.ctrlAfter) << r.what;
    }
}

TEST(PlayerMessageFilter, ASequenceOfKeys) {
    // Ctrl held over several letters, then released: only the letters while held are swallowed.
    struct Step {
        uint32_t message;
        uint64_t key;
        bool swallow;
    } steps[] = {
        {kWmKeyDown, 'A', false}, {kWmKeyDown, kVkControl, false}, {kWmKeyDown, kVkControl, false},
        {kWmKeyDown, 'A', true},  {kWmKeyUp, 'A', false},           {kWmKeyDown, 'V', false},
        {kWmKeyDown, 'S', true},  {kWmKeyUp, kVkControl, false},    {kWmKeyDown, 'S', false},
    };
    bool ctrl = false;
    int i = 0;
    for (const Step& s : steps) EXPECT_EQ(FilterPlayerMessage(s.message, s.key, kCtrlUnknown, ctrl), s.swallow) << i++;
    EXPECT_FALSE(ctrl);
}
