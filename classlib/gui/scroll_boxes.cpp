#include "classlib/gui/scroll_boxes.h"

#include "classlib/gui/gui_internal.h"

using gui_internal::NameIn;

TScrollBox::TScrollBox(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    FWidth = 185;
    FHeight = 41;
    FParentColor = false;
    FColor = clBtnFace;
    FBrush->SetColor(FColor);
}

bool TScrollBox::HasProperty(const AnsiString& name) const {
    return NameIn(name, {"BorderStyle", "BevelEdges", "Color", "ParentColor"});
}

void TScrollBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    if (FBorderStyle == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TScrollBox::SetBorderStyle(TBorderStyle v) {
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    RecreateWnd();
}

TCustomFrame::TCustomFrame(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    FWidth = 320;
    FHeight = 240;
}

bool TCustomFrame::HasProperty(const AnsiString& name) const { return NameIn(name, {"Color", "ParentColor"}); }
