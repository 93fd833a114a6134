#include "classlib/gui/labeled_edit.h"

TBoundLabel::TBoundLabel(TLabeledEdit* edit) : TCustomLabel(edit) {
    SetName("SubLabel");
}

TLabeledEdit::TLabeledEdit(TComponent* owner) : TCustomEdit(owner) {
    FEditLabel = new TBoundLabel(this);
    FEditLabel->SetFocusControl(this);
}

void TLabeledEdit::PlaceLabel() {
    if (!FEditLabel) return;
    int w = FEditLabel->GetWidth(), h = FEditLabel->GetHeight();
    switch (FLabelPosition) {
        case lpAbove: FEditLabel->SetBounds(FLeft, FTop - h - FLabelSpacing, w, h); break;
        case lpBelow: FEditLabel->SetBounds(FLeft, FTop + FHeight + FLabelSpacing, w, h); break;
        case lpLeft: FEditLabel->SetBounds(FLeft - w - FLabelSpacing, FTop + (FHeight - h) / 2, w, h); break;
        case lpRight: FEditLabel->SetBounds(FLeft + FWidth + FLabelSpacing, FTop + (FHeight - h) / 2, w, h); break;
    }
}

void TLabeledEdit::SetLabelPosition(TLabelPosition v) {
    FLabelPosition = v;
    PlaceLabel();
}

void TLabeledEdit::SetLabelSpacing(int v) {
    FLabelSpacing = v;
    PlaceLabel();
}

void TLabeledEdit::SetBounds(int left, int top, int width, int height) {
    TCustomEdit::SetBounds(left, top, width, height);
    PlaceLabel();
}

void TLabeledEdit::SetParent(TWinControl* parent) {
    TCustomEdit::SetParent(parent);
    if (FEditLabel) {
        FEditLabel->SetParent(parent);
        FEditLabel->SetVisible(FVisible);
        PlaceLabel();
    }
}

void TLabeledEdit::SetVisible(bool visible) {
    TCustomEdit::SetVisible(visible);
    if (FEditLabel) FEditLabel->SetVisible(visible);
}

void TLabeledEdit::SetEnabled(bool enabled) {
    TCustomEdit::SetEnabled(enabled);
    if (FEditLabel) FEditLabel->SetEnabled(enabled);
}

void TLabeledEdit::Notification(TComponent* component, TOperation operation) {
    TCustomEdit::Notification(component, operation);
    if (operation == opRemove && component == FEditLabel) FEditLabel = nullptr;
}
