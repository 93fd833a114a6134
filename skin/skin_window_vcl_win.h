// The skin of one of our forms: it stacks over the form's WindowProc, skins the controls the
// form owns through the control-class registry, keeps the form from being sized below the
// skin's caption, and skins the program's other forms when the main form is first shown.
// While skinned the form's main menu leaves the window and a skinned menu bar in the client
// area stands for it (the other controls move down by its height); an application message
// listener keeps the menu's shortcuts working. An MDI frame's bar merges the active child's
// menu, lists the children under its window menu and shows a maximised child's three control
// buttons; its MDI client lays the children out (skin_mdi_win.cpp). The skin lets go when the
// form's destruction begins, and a hook stacked over it keeps working whichever of the two
// goes first.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "classlib/gui/application_events.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/menus.h"
#include "classlib/gui/window_proc_hook.h"
#include "classlib/multicast.h"
#include "skin/skin_mdi_win.h"
#include "skin/skin_menu_bar_win.h"
#include "skin/skin_window_win.h"

class TlumSkinWindowVCL : public TlumSkinWindow {
public:
    TlumSkinWindowVCL(bool fromHook, TlumSkinEngine* engine);
    ~TlumSkinWindowVCL() override;

    // The skinned form; nullptr once it began to go.
    TCustomForm* GetForm() const override { return FForm; }

    bool HasFrame() override;
    HICON GetIconHandle() override;
    bool HasHelpButton() override;
    bool IsDialogFrame() override;
    bool HasIcon() override;
    bool HasCloseButton() override;
    bool HasMaxButton() override;
    bool HasMinButton() override;
    bool StartsAtOnce() override { return true; }
    // The menu bar's height while it is shown, else 0.
    int GetMenuBarHeight() override;
    // Computed once: the form's first tool bar sits right under the menu bar.
    bool HasToolBarUnderMenu() override;

    // The bar standing for the main menu (hidden without one).
    TlumSkinMenuBar* GetMenuBar() const { return FMenuBar.get(); }
    // The main menu the form had when skinning started, or nullptr.
    TMainMenu* GetSavedMenu() const { return FSavedMenu; }
    // One button per top-level item of the saved menu, when forced or when that menu is not
    // the one last built; none hides the bar.
    void RebuildMenuBar(bool force);

    // Skins the control and the controls it owns (see SkinChildren).
    void SkinControlTree(TControl* control);

    // ---- MDI (skin_mdi_win.cpp) ----
    bool IsMDIForm() override;
    bool IsMDIChild() override;
    // A frame's control buttons: 0 close (Tag -1381), 1 restore (-1382), 2 minimise (-1383).
    TlumSkinMenuBarControlButton* GetControlButton(int index) const;
    // The active child's menu merged into a frame's bar, or nullptr.
    TMainMenu* GetChildMenu() const { return FChildMenu; }
    // The items made for the window list under the frame's WindowMenu ("-" first).
    const std::vector<TMenuItem*>& GetWindowListItems() const { return FWindowListItems; }
    void RebuildWindowList();

protected:
    // Raises Exception "LUMSkin: Skinning form failed!" when no form has this handle.
    void Attach(HWND handle) override;
    void Detach() override;
    void CallOriginalProc(TMessage& message) override;
    HWND GetWindowHandle() const override;
    void SaveOriginalState() override;
    void SkinChildren() override;
    void SetSkinnedImpl() override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;

private:
    class TMenuWatch;
    // ---- MDI (skin_mdi_win.cpp) ----
    void AttachMDI();
    void DetachMDI();
    void SaveMDIState(HWND h);
    // The bar's items: the saved menu's, with the child menu merged by GroupIndex.
    void CollectBarItems(std::vector<TMenuItem*>& items, bool& images);
    bool MDIAfterMessage(TMessage& m);
    void MDIClientMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    static LRESULT CALLBACK MDIClientProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR ref);
    void ArrangeCascade();
    void ArrangeTile(bool horizontal);
    void PlaceControlButtons();
    void ReactivateChildrenIfLast();
    void ShowControlButtons(TCustomForm* child);
    void HideControlButtons();
    void FreeWindowList();
    void SetSkinnedMDI();
    HWND MainFormHandle() const;
    // The component that hears when the menus and window-list items go.
    TComponent* MenuWatch() const;

    // The application's messages: the saved menu's shortcuts and Alt with a bar item's hot key.
    void ShortcutMessage(TMsg& msg, bool& handled);
    // Moves the form's unaligned controls (not the bar) down by dy.
    void ShiftControls(int dy);
    void SkinOwnedMenus(bool skin);
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
    std::unique_ptr<TlumSkinMenuBar> FMenuBar;
    std::unique_ptr<TApplicationEvents> FAppEvents;
    std::unique_ptr<TMenuWatch> FMenuWatch;
    TMainMenu* FSavedMenu = nullptr;
    TMenu* FBuiltMenu = nullptr;
    int FShiftedBy = 0;   // the control shift made, undone once
    bool FToolBarUnderMenu = false, FToolBarUnderMenuKnown = false;
    // MDI
    HWND FMDIClient = nullptr;                  // the frame's client, subclassed
    std::unique_ptr<TlumSkinMenuBarControlButton> FControlButtons[3];
    TMainMenu* FChildMenu = nullptr;            // the active child's menu (watched)
    TMainMenu* FBuiltChildMenu = nullptr;
    std::vector<TMenuItem*> FWindowListItems;   // owned by the menu watch
    TColor FControlColor = clBtnFace, FControlEndColor = clBtnFace;
    bool FMDIMaximised = false;
    bool FMDIHidden = false;
};
