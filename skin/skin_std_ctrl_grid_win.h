// The grid skin (skinned frame and scroll bars, headings in the form colour) and the status bar
// skin (the size grip drawn flat over the bar's own painting).
#pragma once
#include "classlib/gui/windows_api.h"

#include "skin/skin_control_bases_win.h"

class TlumSkinGrid : public TlumSkinScrollWinControl {
public:
    using TlumSkinScrollWinControl::TlumSkinScrollWinControl;
    const char* ClassName() const override { return "TlumSkinGrid"; }
    void SaveOriginal() override;
    void ApplySkinColours() override;
    // Gives the headings their colour back.
    void Restore() override;

private:
    TColor FOriginalFixedColor = clBtnFace;   // the grid's heading colour before the skin
};

class TlumSkinStatusBar : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinStatusBar"; }
    void Paint() override;
    bool WantsParentColor() override { return true; }
};
