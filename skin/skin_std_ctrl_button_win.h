// Skins of the class library's push buttons, check boxes and radio buttons. The button skin
// takes the whole button over (face, focus rectangle, caption, and the clicks, since it keeps
// presses and Enter/Space key-downs from the native button); the check and radio skins paint
// only the box or circle and leave text and behaviour to the control.
#pragma once
#include "classlib/gui/windows_api.h"

#include "skin/skin_control_bases_win.h"

class TlumSkinButton : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinButton"; }
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void Paint() override;
    void MouseDown() override;
    void MouseUp() override;
    void KeyDown(int key) override;
    void KeyUp(int key) override;
    void SaveOriginal() override;
    void Restore() override;

private:
    void Click();
    // A press began on this button while its form was active; it clicks when released inside.
    bool FMouseArmed = false;
    // A key went down on the button since the last key release.
    bool FKeyArmed = false;
    // The last release happened inside the button.
    bool FReleasedInside = false;
};

// The box of a check box (cells: 1 checked, 2 grayed, 3 unchecked; 4..6 the same disabled).
class TlumSkinCheckBox : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinCheckBox"; }
    void AfterMessage(TMessage& message) override;
    void Paint() override;
    void ApplySkinColours() override;
    void SaveOriginal() override;
    static int Cell(uint8_t state, bool enabled);

private:
    TColor FOriginalFontColor = clWindowText;   // the control's font colour before the skin
};

// The circle of a radio button (cells: 1 checked, 2 unchecked; 3, 4 the same disabled).
class TlumSkinRadioButton : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinRadioButton"; }
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void Paint() override;
    void ApplySkinColours() override;
    void SaveOriginal() override;
    static int Cell(bool checked, bool enabled);

private:
    TColor FOriginalFontColor = clWindowText;   // the control's font colour before the skin
};

