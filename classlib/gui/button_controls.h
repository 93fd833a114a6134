// Check boxes, radio buttons and group boxes.
#pragma once
#include "classlib/gui/windows_api.h"

#include "classlib/gui/controls.h"

enum TCheckBoxState : uint8_t { cbUnchecked, cbChecked, cbGrayed };

// A check box window of the system's button class. A click steps the state: unchecked, grayed
// (only with AllowGrayed), checked, and round again.
class TCustomCheckBox : public TWinControl {
public:
    explicit TCustomCheckBox(TComponent* owner);
    const char* ClassName() const override { return "TCustomCheckBox"; }
    bool HasProperty(const AnsiString& name) const override;
    bool GetChecked() const { return FState == cbChecked; }
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    TCheckBoxState GetState() const { return FState; }
    // A change of state fires OnClick (not while loading).
    void SetState(TCheckBoxState state);
    bool GetAllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool v) { FAllowGrayed = v; }
    // taRightJustify: the text right of the box; taLeftJustify: left of it.
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment a);
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void WndProc(TMessage& message) override;
    // The next state of a click.
    virtual void Toggle();
private:
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TAlignment FAlignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
public:
    explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
    const char* ClassName() const override { return "TCheckBox"; }
};

// A radio button window of the system's button class. Checking one unchecks the radio buttons
// beside it (same parent); only a checked one is a tab stop.
class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent* owner);
    const char* ClassName() const override { return "TRadioButton"; }
    bool HasProperty(const AnsiString& name) const override;
    bool GetChecked() const { return FChecked; }
    // Becoming checked fires OnClick (not while loading).
    void SetChecked(bool v);
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment a);
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void WndProc(TMessage& message) override;
private:
    bool FChecked = false;
    TAlignment FAlignment = taRightJustify;
};

// A frame with a caption in its top line that holds other controls.
class TCustomGroupBox : public TCustomControl {
public:
    explicit TCustomGroupBox(TComponent* owner);
    const char* ClassName() const override { return "TCustomGroupBox"; }
    bool HasProperty(const AnsiString& name) const override;
    // Below the caption line and inside the frame.
    void AdjustClientRect(TRect& rect) const override;
protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;
    void Paint() override;
private:
    int CaptionHeight() const;
};

class TGroupBox : public TCustomGroupBox {
public:
    explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
    const char* ClassName() const override { return "TGroupBox"; }
};
