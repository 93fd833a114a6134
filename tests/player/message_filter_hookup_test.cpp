// The filter as the application's message event, fed by real keyboard input (SendInput) into a
// focused edit: what the edit still receives is what the filter let through.
#include <gtest/gtest.h>

#include "classlib/gui/application.h"
#include "classlib/gui/standard_controls.h"
#include "classlib/gui/timer.h"
#include "player/message_filter_win.h"
#include "tests/gui/gui_test_support.h"

namespace {

void Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

void Tap(WORD vk) {
    Key(vk, false);
    Key(vk, true);
}

class FilterHookup : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        Form = new TForm(nullptr);
        InstallAppMessageFilter(Form);
        ClearCtrlDown();
        Form->SetPosition(poScreenCenter);
        Edit = new TEdit(Form);
        Edit->SetParent(Form);
        auto previous = Edit->WindowProc;
        Edit->WindowProc = [this, previous](TMessage& m) {
            if (m.Msg == WM_KEYDOWN) KeysDown.push_back(static_cast<int>(m.WParam));
            if (m.Msg == WM_RBUTTONDOWN || m.Msg == WM_CONTEXTMENU) ++RightClicks;
            previous(m);
        };
        Form->Show();
        SetForegroundWindow(Form->GetHandle());
        Edit->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return Edit->Focused(); }));
    }
    void TearDown() override {
        Key(VK_CONTROL, true);
        PumpFor(30);
        delete Form;
        Application->OnMessage = nullptr;
    }
    // Keys as the edit saw them, after letting the queue settle.
    std::vector<int> Seen() {
        PumpFor(60);
        std::vector<int> s;
        s.swap(KeysDown);
        return s;
    }
    TForm* Form = nullptr;
    TEdit* Edit = nullptr;
    std::vector<int> KeysDown;
    int RightClicks = 0;
};

}  // namespace

TEST_F(FilterHookup, LettersPassCtrlLettersAndFunctionKeysDoNot) {
    Tap('A');
    Tap('B');
    EXPECT_EQ(Seen(), (std::vector<int>{'A', 'B'}));
    EXPECT_EQ(Edit->GetText(), "ab");

    Key(VK_CONTROL, false);
    Tap('C');
    Tap('A');
    Tap('V');
    Key(VK_CONTROL, true);
    EXPECT_EQ(Seen(), (std::vector<int>{VK_CONTROL, 'V'}));
    EXPECT_FALSE(GetCtrlDown());

    Tap(VK_F5);
    Tap(VK_F1);
    Tap(VK_F12);
    Tap('X');
    EXPECT_EQ(Seen(), (std::vector<int>{VK_F1, 'X'}));
}

TEST_F(FilterHookup, RightButtonIsSwallowedAndHandledIsNeverCleared) {
    PostMessageA(Edit->GetHandle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    PostMessageA(Edit->GetHandle(), WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(5, 5));
    PostMessageA(Edit->GetHandle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Edit->GetHandle()), -1);
    PumpFor(60);
    EXPECT_EQ(RightClicks, 0);

    TMsg m{};
    m.message = WM_KEYDOWN;
    m.wParam = 'Q';
    bool handled = true;
    AppMessageFilter(m, handled);   // a message it lets through leaves an earlier verdict alone
    EXPECT_TRUE(handled);
}

TEST_F(FilterHookup, HoldsInAModalLoopToo) {
    TForm modal(nullptr);
    auto* edit = new TEdit(&modal);
    edit->SetParent(&modal);
    std::vector<int> seen;
    auto previous = edit->WindowProc;
    edit->WindowProc = [&, previous](TMessage& m) {
        if (m.Msg == WM_KEYDOWN) seen.push_back(static_cast<int>(m.WParam));
        previous(m);
    };
    modal.OnShow = [&](TObject*) { edit->SetFocus(); };
    TTimer keys(nullptr);
    keys.SetInterval(50);
    int step = 0;
    keys.OnTimer = [&](TObject*) {
        if (!edit->Focused()) return;
        switch (step++) {
            case 0: Tap(VK_F5); Tap('K'); break;
            case 1: Key(VK_CONTROL, false); Tap('P'); Key(VK_CONTROL, true); break;
            default: modal.SetModalResult(mrOk); break;
        }
    };
    EXPECT_EQ(modal.ShowModal(), mrOk);
    EXPECT_EQ(seen, (std::vector<int>{'K', VK_CONTROL}));
}
