#include "classlib/gui/button_controls.h"

#include <algorithm>

#include "classlib/gui/gui_internal.h"
#include "classlib/gui/handles.h"

using gui_internal::NameIn;

// ---- TCustomCheckBox -----------------------------------------------------------------------

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csSetCaption | csDoubleClicks;
    FTabStop = true;
    FWidth = 97;
    FHeight = 17;
}

bool TCustomCheckBox::HasProperty(const AnsiString& name) const { return NameIn(name, {"Color", "ParentColor"}); }

void TCustomCheckBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClassName = "BUTTON";
    // Not an automatic box: the state steps here, so AllowGrayed decides whether grayed comes.
    p.Style |= BS_3STATE | (FAlignment == taLeftJustify ? BS_LEFTTEXT : 0);
}

void TCustomCheckBox::HandleCreated() { SendMessageA(FHandle, BM_SETCHECK, FState, 0); }

void TCustomCheckBox::SetState(TCheckBoxState state) {
    if (state == FState) return;
    FState = state;
    if (HandleAllocated()) SendMessageA(FHandle, BM_SETCHECK, state, 0);
    if (!IsLoading()) Click();
}

void TCustomCheckBox::Toggle() {
    switch (FState) {
        case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
        case cbGrayed: SetState(cbChecked); break;
        default: SetState(cbUnchecked); break;
    }
}

void TCustomCheckBox::SetAlignment(TAlignment a) {
    if (a == taCenter || a == FAlignment) return;
    FAlignment = a;
    RecreateWnd();
}

void TCustomCheckBox::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == BN_CLICKED) Toggle();
        return;
    }
    TWinControl::WndProc(m);
}

// ---- TRadioButton ------------------------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csSetCaption | csDoubleClicks;
    FWidth = 113;
    FHeight = 17;
}

bool TRadioButton::HasProperty(const AnsiString& name) const { return NameIn(name, {"Color", "ParentColor"}); }

void TRadioButton::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClassName = "BUTTON";
    // Not an automatic radio button: the system's would look for its group by window order.
    p.Style |= BS_RADIOBUTTON | (FAlignment == taLeftJustify ? BS_LEFTTEXT : 0);
}

void TRadioButton::HandleCreated() { SendMessageA(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0); }

void TRadioButton::SetChecked(bool v) {
    if (v == FChecked) return;
    FChecked = v;
    SetTabStop(v);
    if (HandleAllocated()) SendMessageA(FHandle, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!v) return;
    if (FParent) {
        for (int i = 0; i < FParent->ControlCount(); ++i) {
            auto* sibling = dynamic_cast<TRadioButton*>(FParent->Controls(i));
            if (sibling && sibling != this) sibling->SetChecked(false);
        }
    }
    if (!IsLoading()) Click();
}

void TRadioButton::SetAlignment(TAlignment a) {
    if (a == taCenter || a == FAlignment) return;
    FAlignment = a;
    RecreateWnd();
}

void TRadioButton::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        switch (HIWORD(m.WParam)) {
            case BN_CLICKED: SetChecked(true); break;
            case BN_DOUBLECLICKED: DblClick(); break;
            default: break;
        }
        return;
    }
    TWinControl::WndProc(m);
}

// ---- TCustomGroupBox ----------------------------------------------------------------------------

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks | csReplicatable;
    FWidth = 185;
    FHeight = 105;
}

bool TCustomGroupBox::HasProperty(const AnsiString& name) const { return NameIn(name, {"Color", "ParentColor"}); }

void TCustomGroupBox::CreateParams(TCreateParams& p) {
    TCustomControl::CreateParams(p);
    p.ClassStyle &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

int TCustomGroupBox::CaptionHeight() const {
    TWindowDC screen(nullptr);
    TSelectObject font(screen.Get(), FFont->GetHandle());
    TEXTMETRICA tm{};
    GetTextMetricsA(screen.Get(), &tm);
    return tm.tmHeight;
}

void TCustomGroupBox::AdjustClientRect(TRect& rect) const {
    rect.Top += CaptionHeight();
    rect = rect.Inflate(-2, -2);
}

void TCustomGroupBox::Paint() {
    TCanvas* canvas = GetCanvas();
    TRect client = GetClientRect();
    canvas->GetBrush()->SetColor(FColor);
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(client);
    canvas->SetFont(FFont.get());
    int h = canvas->TextHeight("0");
    RECT frame{0, h / 2 - 1, client.Width(), client.Height()};
    DrawEdge(canvas->GetHandle(), &frame, FCtl3D ? EDGE_ETCHED : BDR_SUNKENOUTER, FCtl3D ? BF_RECT : BF_RECT | BF_MONO);
    AnsiString text = GetText();
    if (text.empty()) return;
    bool rightToLeft = FBiDiMode != bdLeftToRight;
    UINT flags = DT_SINGLELINE | (rightToLeft ? DT_RTLREADING : 0);
    TRect r(0, 0, 0, h);
    canvas->DrawText(text, r, flags | DT_CALCRECT);
    int w = r.Width();
    r.Left = rightToLeft ? client.Width() - 8 - w : 8;
    r.Right = r.Left + w;
    if (!FEnabled) canvas->GetFont()->SetColor(clGrayText);
    canvas->GetBrush()->SetColor(FColor);
    canvas->DrawText(text, r, flags);
}

void TCustomGroupBox::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CM_TEXTCHANGED:
        case CM_ENABLEDCHANGED:
            Invalidate();
            return;
        case CM_FONTCHANGED:
            TCustomControl::WndProc(m);
            Realign();
            return;
        default:
            break;
    }
    TCustomControl::WndProc(m);
}
