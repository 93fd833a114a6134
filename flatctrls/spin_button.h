// TSpinButton: a small window holding an up and a down TTimerSpeedButton side by side.
// Pressing either moves the focus to FocusControl (an edit, usually) and fires OnUpClick or
// OnDownClick, repeatedly while held.
#pragma once

#include "classlib/gui/controls.h"
#include "flatctrls/timer_speed_button.h"

class TSpinButton : public TWinControl {
public:
    explicit TSpinButton(TComponent* owner);
    const char* ClassName() const override { return "TSpinButton"; }

    // nullptr restores the default arrow ("FlatUp" / "FlatDown" bitmap resources).
    TBitmap* GetUpGlyph() const { return FUpButton->GetGlyph(); }
    void SetUpGlyph(TBitmap* glyph);
    TBitmap* GetDownGlyph() const { return FDownButton->GetGlyph(); }
    void SetDownGlyph(TBitmap* glyph);
    int GetUpNumGlyphs() const { return FUpButton->GetNumGlyphs(); }
    void SetUpNumGlyphs(int count) { FUpButton->SetNumGlyphs(count); }
    int GetDownNumGlyphs() const { return FDownButton->GetNumGlyphs(); }
    void SetDownNumGlyphs(int count) { FDownButton->SetNumGlyphs(count); }
    TWinControl* GetFocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* control);

    TTimerSpeedButton* GetUpButton() const { return FUpButton; }
    TTimerSpeedButton* GetDownButton() const { return FDownButton; }
    TTimerSpeedButton* GetFocusedButton() const { return FFocusedButton; }

    void SetBounds(int left, int top, int width, int height) override;

    TNotifyEvent OnUpClick, OnDownClick;

protected:
    void WndProc(TMessage& message) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    TTimerSpeedButton* CreateButton();
    void BtnClick(TObject* sender);
    void BtnMouseDown(TObject* sender, TMouseButton button);
    void SetFocusBtn(TTimerSpeedButton* button);
    void AdjustSize();
    void SetDefaultGlyph(TTimerSpeedButton* button, const char* resource, TButtonLayout layout);

    TTimerSpeedButton* FUpButton = nullptr;
    TTimerSpeedButton* FDownButton = nullptr;
    TTimerSpeedButton* FFocusedButton = nullptr;
    TWinControl* FFocusControl = nullptr;
};
