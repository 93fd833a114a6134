// Skins of the class library's group boxes, panels and speed buttons. The group box gets a skin
// frame with its caption set into the top line; a panel only takes its parent's (the skinned
// form's) colour; a speed button is drawn flat in the skin's tool-bar colours.
#pragma once
#include "classlib/gui/windows_api.h"

#include "skin/skin_control_bases_win.h"

class TlumSkinGroupBox : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinGroupBox"; }
    void Paint() override;
    bool WantsParentColor() override { return true; }
};

// Painting is left to the panel.
class TlumSkinPanel : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinPanel"; }
    bool WantsParentColor() override { return true; }
};

// A speed button with the Tag 999999 keeps its own painting under a thin skin edge.
class TlumSkinSpeedButton : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinSpeedButton"; }
    bool BeforeMessage(TMessage& message) override;
    void Paint() override;
    static constexpr intptr_t NativeFaceTag = 999999;

private:
    // The button's own look: the tag above, or a glyph strip the skin cannot cut.
    bool KeepsNativeFace() const;
    void PaintFace(TCanvas* canvas);
};
