#include "flatctrls/spin_button.h"

namespace {
constexpr int kHalfWidth = 11;
}

TSpinButton::TSpinButton(TComponent* owner) : TWinControl(owner) {
    SetControlStyle((GetControlStyle() & ~(csAcceptsControls | csSetCaption)) | csFramed | csOpaque);
    FUpButton = CreateButton();
    FDownButton = CreateButton();
    SetUpGlyph(nullptr);
    SetDownGlyph(nullptr);
    SetBounds(GetLeft(), GetTop(), 21, 10);
    FFocusedButton = FUpButton;
}

TTimerSpeedButton* TSpinButton::CreateButton() {
    auto* button = new TTimerSpeedButton(this);
    button->OnClick = [this](TObject* sender) { BtnClick(sender); };
    button->OnMouseDown = [this](TObject* sender, TMouseButton b, TShiftState, int, int) { BtnMouseDown(sender, b); };
    button->SetVisible(true);
    button->SetEnabled(true);
    button->SetTimeBtnState(button->GetTimeBtnState() | TTimerSpeedButton::tbAllowTimer);
    button->SetParent(this);
    return button;
}

void TSpinButton::SetDefaultGlyph(TTimerSpeedButton* button, const char* resource, TButtonLayout layout) {
    TBitmap glyph;
    if (HBITMAP handle = LoadBitmapA(GetModuleHandleA(nullptr), resource))
        glyph.SetHandle(handle);
    button->SetGlyph(&glyph);
    button->SetNumGlyphs(1);
    button->SetMargin(2);
    button->SetLayout(layout);
}

void TSpinButton::SetUpGlyph(TBitmap* glyph) {
    if (glyph != nullptr)
        FUpButton->SetGlyph(glyph);
    else
        SetDefaultGlyph(FUpButton, "FlatUp", blGlyphTop);
}

void TSpinButton::SetDownGlyph(TBitmap* glyph) {
    if (glyph != nullptr)
        FDownButton->SetGlyph(glyph);
    else
        SetDefaultGlyph(FDownButton, "FlatDown", blGlyphBottom);
}

void TSpinButton::SetFocusControl(TWinControl* control) {
    if (FFocusControl == control)
        return;
    if (FFocusControl != nullptr)
        FFocusControl->RemoveFreeNotification(this);
    FFocusControl = control;
    if (control != nullptr)
        control->FreeNotification(this);
}

void TSpinButton::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == FFocusControl)
        FFocusControl = nullptr;
}

void TSpinButton::AdjustSize() {
    if (FUpButton == nullptr || FDownButton == nullptr || IsLoading())
        return;
    // Side by side, sharing one pixel column.
    FUpButton->SetBounds(0, 0, kHalfWidth, GetHeight());
    FDownButton->SetBounds(kHalfWidth - 1, 0, kHalfWidth, GetHeight());
}

void TSpinButton::SetBounds(int left, int top, int width, int height) {
    TWinControl::SetBounds(left, top, width, height);
    AdjustSize();
}

void TSpinButton::Loaded() {
    TWinControl::Loaded();
    AdjustSize();
}

void TSpinButton::BtnClick(TObject* sender) {
    if (sender == FUpButton && OnUpClick)
        OnUpClick(this);
    if (sender == FDownButton && OnDownClick)
        OnDownClick(this);
}

void TSpinButton::BtnMouseDown(TObject* sender, TMouseButton button) {
    if (button != mbLeft)
        return;
    SetFocusBtn(static_cast<TTimerSpeedButton*>(sender));
    if (FFocusControl != nullptr && FFocusControl->GetTabStop() && FFocusControl->CanFocus() &&
        !FFocusControl->Focused())
        FFocusControl->SetFocus();
    else if (GetTabStop() && CanFocus() && !Focused())
        SetFocus();
}

void TSpinButton::SetFocusBtn(TTimerSpeedButton* button) {
    if (button == FFocusedButton)
        return;
    const bool hasFocus = HandleAllocated() && Focused();
    if (hasFocus) {
        FFocusedButton->SetTimeBtnState(FFocusedButton->GetTimeBtnState() & ~TTimerSpeedButton::tbFocusRect);
        FFocusedButton->Invalidate();
    }
    FFocusedButton = button;
    if (hasFocus) {
        FFocusedButton->SetTimeBtnState(FFocusedButton->GetTimeBtnState() | TTimerSpeedButton::tbFocusRect);
        FFocusedButton->Invalidate();
    }
}

void TSpinButton::KeyDown(WORD& key, TShiftState shift) {
    switch (key) {
    case VK_SPACE:
        FFocusedButton->Click();
        break;
    case VK_UP:
        SetFocusBtn(FUpButton);
        FUpButton->Click();
        break;
    case VK_DOWN:
        SetFocusBtn(FDownButton);
        FDownButton->Click();
        break;
    default:
        break;
    }
    TWinControl::KeyDown(key, shift);
}

void TSpinButton::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TWinControl::WndProc(m);
        if (FFocusedButton != nullptr) {
            TTimerSpeedButton::TTimeBtnState state = FFocusedButton->GetTimeBtnState();
            if (m.Msg == WM_SETFOCUS)
                state |= TTimerSpeedButton::tbFocusRect;
            else
                state &= ~TTimerSpeedButton::tbFocusRect;
            FFocusedButton->SetTimeBtnState(state);
            FFocusedButton->Invalidate();
        }
        return;
    case WM_SIZE:
        TWinControl::WndProc(m);
        AdjustSize();
        return;
    default:
        TWinControl::WndProc(m);
    }
}
