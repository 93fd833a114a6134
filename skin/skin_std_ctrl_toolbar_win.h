// Skins of the class library's tool bars and labels. The tool bar skin draws the bar's
// background and its hot, pressed and checked buttons through the bar's custom-draw events;
// the application's own handlers of those events are kept and put back when the skin goes.
// The label skin only gives the label the skin's font colour.
#pragma once
#include "classlib/gui/windows_api.h"

#include "classlib/gui/tool_bar.h"
#include "skin/skin_control_bases_win.h"

class TlumSkinToolBar : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    // Takes its handlers off a tool bar that still has them (a skin freed without Restore).
    ~TlumSkinToolBar() override;
    const char* ClassName() const override { return "TlumSkinToolBar"; }
    void SaveOriginal() override;
    void ApplySkinColours() override;
    // Gives back Flat, Transparent, Color and the application's custom-draw handlers.
    void Restore() override;
    bool WantsParentColor() override { return true; }

    // The background: the skin's tool-bar bitmap stretched, else its two colours as a gradient.
    void DrawBackground(TToolBar* bar, const TRect& rect, bool& defaultDraw);
    void DrawButton(TToolBar* bar, TToolButton* button, TCustomDrawState state, bool& defaultDraw);
    // Whether the bar's custom-draw events lead to this skin now.
    bool HandlersInstalled() const;

private:
    enum TButtonLook { blHot, blPressed };
    void DrawButtonLook(TToolBar* bar, TToolButton* button, TImageList* images, TButtonLook look);
    void InstallHandlers(TToolBar* bar);
    // Puts the application's handlers back where ours still sit.
    void RemoveHandlers(TToolBar* bar);
    void GiveBackSettings(TToolBar* bar);
    TToolBar* GetToolBar() const { return dynamic_cast<TToolBar*>(GetControl()); }

    bool FOriginalFlat = false;
    bool FOriginalTransparent = false;
    TColor FOriginalColor = clBtnFace;
    bool FSaved = false;
    TToolBarCustomDrawEvent FOriginalCustomDraw;
    TToolBarCustomDrawButtonEvent FOriginalCustomDrawButton;
};

class TlumSkinLabel : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinLabel"; }
    void SaveOriginal() override;
    // The skin's font colour while the skin is on, whatever NoChangeButtonsFontColor says.
    void ApplySkinColours() override;
    // Gives the kept font colour back.
    void Restore() override;
    bool WantsParentColor() override { return true; }

private:
    TColor FOriginalFontColor = clWindowText;
    bool FSaved = false;
};
