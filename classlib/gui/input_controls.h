// Edits of special input: masked edits and hot key boxes.
#pragma once
#include "classlib/gui/windows_api.h"

#include "classlib/gui/standard_controls.h"

// An edit window for text of a fixed shape (the mask itself is not part of this class library).
class TCustomMaskEdit : public TCustomEdit {
public:
    explicit TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}
    const char* ClassName() const override { return "TCustomMaskEdit"; }
};

// A hot key window of the system class, where a key combination is typed.
class TCustomHotKey : public TWinControl {
public:
    explicit TCustomHotKey(TComponent* owner);
    const char* ClassName() const override { return "TCustomHotKey"; }
    bool HasProperty(const AnsiString& name) const override;
protected:
    void CreateParams(TCreateParams& params) override;
};
