// Containers for other controls: scroll boxes and frames.
#pragma once
#include "classlib/gui/windows_api.h"

#include "classlib/gui/controls.h"

// A bordered window of our own class holding other controls.
class TScrollBox : public TWinControl {
public:
    explicit TScrollBox(TComponent* owner);
    const char* ClassName() const override { return "TScrollBox"; }
    bool HasProperty(const AnsiString& name) const override;
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
protected:
    void CreateParams(TCreateParams& params) override;
private:
    TBorderStyle FBorderStyle = bsSingle;
};

// A borderless window of our own class: a group of controls made to be placed on forms.
class TCustomFrame : public TWinControl {
public:
    explicit TCustomFrame(TComponent* owner);
    const char* ClassName() const override { return "TCustomFrame"; }
    bool HasProperty(const AnsiString& name) const override;
};
