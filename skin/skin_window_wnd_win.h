// The skin of a top-level window that is not one of our forms: the system's dialogs (open-file
// dialog, folder browser, message boxes) and windows the hook hands over. It subclasses the
// window, skins its children by window class, paints dialog backgrounds with the skin's form
// brush and turns the close command into Cancel. The window keeps its client size: skinning
// grows the frame, and unskinning takes back exactly that.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "classlib/gui/window_proc_hook.h"
#include "skin/skin_window_win.h"

class TlumSkinWindowWnd : public TlumSkinWindow {
public:
    TlumSkinWindowWnd(bool fromHook, TlumSkinEngine* engine);
    ~TlumSkinWindowWnd() override;

    bool GetFileDialog() const { return FFileDialog; }
    bool GetFolderBrowser() const { return FFolderBrowser; }
    // The child "#32770" of a file dialog, subclassed once; nullptr when there is none.
    HWND GetInnerDialog() const { return FInnerDialog; }
    bool GetInnerSubclassed() const { return FInnerHook && FInnerHook->Window(); }

protected:
    void Attach(HWND handle) override;
    void Detach() override;
    void CallOriginalProc(TMessage& message) override;
    HWND GetWindowHandle() const override { return FWnd; }
    void SaveOriginalState() override;
    void SkinChildren() override;
    void SetSkinnedImpl() override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;

private:
    void HookProc(TMessage& message);
    void InnerDialogProc(TMessage& message);
    void ScanInnerDialog();
    // WM_NCDESTROY: the window's own procedure finishes, then the skin lets go and is freed.
    void WindowGone(TMessage& message);
    void Resize(int addWidth, int addHeight);

    HWND FWnd = nullptr;
    std::unique_ptr<TSubclassHook> FHook;
    std::unique_ptr<TSubclassHook> FInnerHook;
    HWND FInnerDialog = nullptr;
    HMENU FSavedMenu = nullptr;
    LONG FSavedStyle = 0;
    // What skinning added to the window's size, taken back by unskinning.
    int FAddedWidth = 0, FAddedHeight = 0;
    bool FApplied = false;
    bool FSizeAdjusted = false;
    bool FResizing = false;
    bool FFileDialog = false;
    bool FFolderBrowser = false;
};
