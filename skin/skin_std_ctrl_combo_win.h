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

// The combo skin's look on a canvas over a combo's window: a border with an inner line in the
// field's colour, and a flat drop-down button with its divider and arrow (when it has one).
void PaintSkinComboFrame(TCanvas* canvas, const TRect& client, const RECT& button, TColor border, TColor field,
                         TColor buttonFace, bool rightToLeft, bool enabled);
