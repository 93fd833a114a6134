// A skinned top-level window: it subclasses the window, takes over the frame (size, hit test,
// painting from the skin's bitmaps) and gives back exactly what it changed when it goes.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "classlib/gui/handles.h"
#include "classlib/gui/window_proc_hook.h"
#include "skin/skin_engine_intf.h"

class TlumSkinEngine;

class TlumSkinWindow : public TlumSkinWindowIntf {
public:
    TlumSkinWindow(HWND window, bool fromHook, TlumSkinEngine* engine);
    // Unhooks and gives the frame back while the window lives.
    ~TlumSkinWindow() override;

    // Subclasses the window and redraws its frame in the skin.
    void ApplyToWindow();
    // Off: the window draws its own frame again (the subclass stays, passing everything on).
    void SetSkinned(bool value);
    bool GetSkinned() const { return FSkinned; }
    HWND GetHandle() const { return FWnd; }
    // The window is gone (WM_NCDESTROY): the engine drops this skin at its next look.
    bool GetWindowGone() const { return FGone; }
    bool GetFromHook() const { return FFromHook; }

    // TlumSkinWindowIntf
    TlumSkinEngineIntf* GetEngine() const override;
    void SetAnimationOrProgress(bool value) override { FAnimationOrProgress = value; }

    // The frame, in window coordinates.
    TRect ClientArea() const;
    // The caption buttons shown (close, maximise, minimise from the right), in window coordinates.
    TRect ButtonRect(int fromRight) const;
    LRESULT HitTest(int x, int y) const;
    void PaintFrame();

private:
    void WindowProc(TMessage& message);
    bool Drawing() const;
    void UpdateRegion();

    HWND FWnd;
    TlumSkinEngine* FEngine;
    std::unique_ptr<TSubclassHook> FHook;
    bool FFromHook;
    bool FSkinned = false;
    bool FActive = true;
    bool FGone = false;
    bool FRegionSet = false;
    bool FUpdatingFrame = false;
    bool FAnimationOrProgress = false;
};
