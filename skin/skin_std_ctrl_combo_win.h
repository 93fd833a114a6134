// Skin of the class library's combo boxes: a skin frame around the edit part and a flat skinned
// drop-down button drawn over the native one, which still does the dropping. A combo box with
// its list always shown (csSimple) keeps its native look.
#pragma once
#include "classlib/gui/windows_api.h"

#include "skin/skin_control_bases_win.h"

class TlumSkinComboBox : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinComboBox"; }
    void Paint() override;
};
