// Skins of the standard window classes inside dialogs the system makes (open-file dialogs,
// folder browsers, message boxes): push buttons, check boxes, radio buttons, drop-down combo
// boxes, tab controls and tool bars, all driven through the window handle and its messages.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "classlib/gui/timer.h"
#include "skin/skin_control_bases_win.h"

// A push button painted from the skin's three button slices. The skin produces the clicks
// itself (the button's own procedure never sees a press): a press captures the mouse and a
// release inside the button clicks; Space clicks on its release. One BN_CLICKED per click.
class TlumSkinWndButton : public TlumSkinControlWnd {
public:
    using TlumSkinControlWnd::TlumSkinControlWnd;
    const char* ClassName() const override { return "TlumSkinWndButton"; }
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void Paint() override;
    void MouseDown() override;
    void MouseUp() override;
    void KeyDown(int key) override;
    void KeyUp(int key) override;
    void SaveOriginal() override;
    void Restore() override;
    // Runs on each tick of the repaint timer: drops the hot look once the cursor has left.
    void TimerTick();
    bool HasTimer() const { return FTimer != nullptr; }

private:
    void Click();
    bool CursorInside() const;
    bool FClicked = false;     // a press began on the button and has not been released yet
    bool FKeyArmed = false;    // Space went down on the button since its last release
    bool FFirstTickDone = false;
    std::unique_ptr<TTimer> FTimer;
};

// A drop-down combo box (for an extended combo box, the combo box inside it): skin frame and
// skinned button. Nothing is painted when the system cannot describe the combo box.
class TlumSkinWndComboBox : public TlumSkinBorderWndControl {
public:
    using TlumSkinBorderWndControl::TlumSkinBorderWndControl;
    const char* ClassName() const override { return "TlumSkinWndComboBox"; }
    void Paint() override;
};

// Check boxes and three-state boxes: the skin's box cell over the window's own box.
class TlumSkinWndCheckBox : public TlumSkinControlWnd {
public:
    using TlumSkinControlWnd::TlumSkinControlWnd;
    const char* ClassName() const override { return "TlumSkinWndCheckBox"; }
    void AfterMessage(TMessage& message) override;
    void Paint() override;
    // The cell (1..6) of the check-box bitmap for a BM_GETCHECK answer.
    static int Cell(LRESULT check, bool enabled);
};

class TlumSkinWndRadioButton : public TlumSkinControlWnd {
public:
    using TlumSkinControlWnd::TlumSkinControlWnd;
    const char* ClassName() const override { return "TlumSkinWndRadioButton"; }
    void AfterMessage(TMessage& message) override;
    void Paint() override;
    // The cell (1..4) of the radio-button bitmap for a BM_GETCHECK answer.
    static int Cell(LRESULT check, bool enabled);
};

// A tab control drawn whole from the skin; its tabs keep their size, and the tab height it had
// comes back when the skin goes.
class TlumSkinWndTabControl : public TlumSkinControlWnd {
public:
    using TlumSkinControlWnd::TlumSkinControlWnd;
    const char* ClassName() const override { return "TlumSkinWndTabControl"; }
    void SaveOriginal() override;
    void Restore() override;
    bool BeforeMessage(TMessage& message) override;
    void Paint() override;
    int32_t GetRememberedTabHeight() const { return FTabHeight; }

private:
    void PaintTab(TBitmap* buffer, int index, bool selected, const RECT& tab);
    int32_t FTabHeight = 0;   // height of tab 0 when the skin was made
};

// Tool bars are only flattened, on the 9x platform.
class TlumSkinWndToolbarWindow32 : public TlumSkinControlWnd {
public:
    using TlumSkinControlWnd::TlumSkinControlWnd;
    const char* ClassName() const override { return "TlumSkinWndToolbarWindow32"; }
    void SaveOriginal() override;
};

// The window-class rows of these skins (COMBOBOX, COMBOBOXEX32, BUTTON, BUTTON_CHECKBOX,
// BUTTON_RADIOBUTTON, SYSTABCONTROL32, TOOLBARWINDOW32); calling it again adds nothing.
void RegisterStdWndSkins();
