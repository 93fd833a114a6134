#include "classlib/gui/panel.h"

#include "classlib/gui/gui_internal.h"

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque | csDoubleClicks |
                    csReplicatable;
    FWidth = 185;
    FHeight = 41;
    FParentColor = false;
    FColor = clBtnFace;
    FBrush->SetColor(FColor);
}

bool TCustomPanel::HasProperty(const AnsiString& name) const {
    return gui_internal::NameIn(name, {"BorderStyle", "Color", "ParentColor"});
}

void TCustomPanel::CreateParams(TCreateParams& p) {
    TCustomControl::CreateParams(p);
    p.Style |= WS_CLIPCHILDREN;
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            p.ExStyle |= WS_EX_CLIENTEDGE;
        else
            p.Style |= WS_BORDER;
    }
}

void TCustomPanel::AdjustClientRect(TRect& rect) const {
    int inset = FBorderWidth;
    if (FBevelOuter != bvNone) inset += FBevelWidth;
    if (FBevelInner != bvNone) inset += FBevelWidth;
    rect = rect.Inflate(-inset, -inset);
}

void TCustomPanel::Paint() {
    TCanvas* canvas = GetCanvas();
    TRect r = GetClientRect();
    auto colours = [](TBevelCut cut, TColor& top, TColor& bottom) {
        top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
        bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
    };
    TColor top, bottom;
    if (FBevelOuter != bvNone) {
        colours(FBevelOuter, top, bottom);
        Frame3D(canvas, r, top, bottom, FBevelWidth);
    }
    Frame3D(canvas, r, FColor, FColor, FBorderWidth);
    if (FBevelInner != bvNone) {
        colours(FBevelInner, top, bottom);
        Frame3D(canvas, r, top, bottom, FBevelWidth);
    }
    canvas->GetBrush()->SetColor(FColor);
    canvas->FillRect(r);
    AnsiString text = GetText();
    if (text.empty()) return;
    canvas->GetBrush()->SetStyle(bsClear);
    canvas->SetFont(FFont.get());
    int h = canvas->TextHeight("W");
    r.Top = (r.Top + r.Bottom - h) / 2;
    r.Bottom = r.Top + h;
    static const UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    canvas->DrawText(text, r, DT_EXPANDTABS | DT_VCENTER | alignments[FAlignment]);
}

void TCustomPanel::WndProc(TMessage& m) {
    if (m.Msg == CM_TEXTCHANGED) {
        Invalidate();
        return;
    }
    if (m.Msg == CM_CTL3DCHANGED) {
        RecreateWnd();
        return;
    }
    TCustomControl::WndProc(m);
}

void TCustomPanel::SetBevelInner(TBevelCut v) {
    FBevelInner = v;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut v) {
    FBevelOuter = v;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelWidth(int v) {
    FBevelWidth = v < 1 ? 1 : v;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBorderWidth(int v) {
    FBorderWidth = v < 0 ? 0 : v;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle v) {
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    RecreateWnd();
}

void TCustomPanel::SetAlignment(TAlignment v) {
    FAlignment = v;
    Invalidate();
}
