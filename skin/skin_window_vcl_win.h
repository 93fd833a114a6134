// The skin of one of our forms: it stacks over the form's WindowProc, skins the controls the
// form owns through the control-class registry, keeps the form from being sized below the
// skin's caption, and skins the program's other forms when the main form is first shown.
// The form's menu bar and its shortcuts belong to the menu skin (GetMenuBarHeight is its
// seam); there is no MDI. The skin lets go when the form's destruction begins, and a hook
// stacked over it keeps working whichever of the two goes first.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "classlib/gui/forms.h"
#include "classlib/gui/window_proc_hook.h"
#include "classlib/multicast.h"
#include "skin/skin_window_win.h"

class TlumSkinWindowVCL : public TlumSkinWindow {
public:
    TlumSkinWindowVCL(bool fromHook, TlumSkinEngine* engine);
    ~TlumSkinWindowVCL() override;

    // The skinned form; nullptr once it began to go.
    TCustomForm* GetForm() const { return FForm; }

    bool HasFrame() override;
    HICON GetIconHandle() override;
    bool HasHelpButton() override;
    bool IsDialogFrame() override;
    bool HasIcon() override;
    bool HasCloseButton() override;
    bool HasMaxButton() override;
    bool HasMinButton() override;
    bool StartsAtOnce() override { return true; }

    // Skins the control and the controls it owns (see SkinChildren).
    void SkinControlTree(TControl* control);

protected:
    // Raises Exception "LUMSkin: Skinning form failed!" when no form has this handle.
    void Attach(HWND handle) override;
    void Detach() override;
    void CallOriginalProc(TMessage& message) override;
    HWND GetWindowHandle() const override;
    void SaveOriginalState() override;
    void SkinChildren() override;
    void SetSkinnedImpl() override;
    void AfterMessage(TMessage& message) override;

private:
    bool CaptionRule() const;
    void SetConstraints();
    void ClearConstraints();
    void FormEvent(TLifecycleEvent event, TControl* control);
    void FitZoomed();

    TCustomForm* FForm = nullptr;
    std::unique_ptr<TWindowProcHook> FHook;
    TSubscription FLifecycle;
    TColor FSavedColor = clBtnFace;
    bool FApplied = false;
    bool FHadSysMenu = false;
    bool FShowOnceDone = false;
    bool FMinWidthSet = false, FMinHeightSet = false;
    bool FFittingZoomed = false;
};
