// An edit with a label that stays beside it.
#pragma once
#include "classlib/gui/standard_controls.h"

enum TLabelPosition : uint8_t { lpAbove, lpBelow, lpLeft, lpRight };

class TLabeledEdit;

// The label of a labeled edit (owned by the edit, on the edit's parent).
class TBoundLabel : public TCustomLabel {
public:
    explicit TBoundLabel(TLabeledEdit* edit);
    const char* ClassName() const override { return "TBoundLabel"; }
};

class TLabeledEdit : public TCustomEdit {
public:
    explicit TLabeledEdit(TComponent* owner);
    const char* ClassName() const override { return "TLabeledEdit"; }
    TBoundLabel* GetEditLabel() const { return FEditLabel; }
    TLabelPosition GetLabelPosition() const { return FLabelPosition; }
    void SetLabelPosition(TLabelPosition v);
    int GetLabelSpacing() const { return FLabelSpacing; }
    void SetLabelSpacing(int v);
    void SetBounds(int left, int top, int width, int height) override;
    void SetParent(TWinControl* parent) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    // Places the label by the edit again.
    void PlaceLabel();
protected:
    void Notification(TComponent* component, TOperation operation) override;
private:
    TBoundLabel* FEditLabel = nullptr;
    TLabelPosition FLabelPosition = lpAbove;
    int FLabelSpacing = 3;
};
