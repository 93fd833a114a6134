// The tab control skin (page controls too): the whole control, page frame, tabs and the line
// under them, painted off screen from the skin in place of the control's own painting, in any
// of the four tab positions.
#pragma once
#include "classlib/gui/windows_api.h"

#include "skin/skin_control_bases_win.h"

class TCustomTabControl;

class TlumSkinTabControl : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinTabControl"; }
    bool BeforeMessage(TMessage& message) override;
    void Paint() override;
    // The caption as drawn ("&&" shows as "&"); its width centres it on the tab.
    static AnsiString ShownCaption(const AnsiString& caption);

private:
    void PaintTab(TCustomTabControl* tabs, TCanvas* target, int index, const TRect& rect, bool selected);
};
