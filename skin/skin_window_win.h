// A skinned top-level window: the base of the form skin (TlumSkinWindowVCL) and the foreign
// window skin (TlumSkinWindowWnd). The base owns the non-client handling: frame size, hit test,
// caption and border painting from the skin's bitmaps, the hot and pressed caption buttons and
// the window's shape. The descendants hook the window, answer what kind of window it is and
// skin its children; they give back exactly what skinning changed.
//
// Life: the engine makes a descendant and calls Initialize (Attach, SkinChildren, SetSkinned).
// Skinning starts at once (StartsAtOnce), when the window is visible, or at its first WM_PAINT.
// A descendant's destructor calls Teardown first, while its own overrides still run.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>
#include <vector>

#include "classlib/gui/bitmap.h"
#include "classlib/gui/messages.h"
#include "skin/skin_control_win.h"
#include "skin/skin_engine_intf.h"

class TlumSkinEngine;

class TlumSkinWindow : public TlumSkinWindowIntf, public TlumSkinSysMenuTarget {
public:
    // Hot caption button.
    enum : int { hbNone = -1, hbIcon = 0, hbClose = 1, hbMaxRestore = 2, hbMinimize = 3, hbHelp = 4 };

    ~TlumSkinWindow() override;
    TlumSkinWindow(const TlumSkinWindow&) = delete;
    TlumSkinWindow& operator=(const TlumSkinWindow&) = delete;

    // Attach, SkinChildren, SetSkinned (the engine's IsSkinActive).
    void Initialize(HWND handle);
    // After each skin load: region flags and buffers from the skin, then paint and shape.
    void ApplyToWindow();
    // Skinned := value when the window is allowed; starts skinning when due.
    void SetSkinned(bool value);
    bool GetSkinned() const { return FSkinned; }
    bool GetStarted() const { return FStarted; }
    bool GetAllowed() const { return FAllowed; }
    bool GetFromHook() const { return FFromHook; }
    HWND GetHandle() const { return GetWindowHandle(); }
    // The window is destroyed (or its form is going): the engine drops this skin.
    bool GetWindowGone() const { return FGone; }
    bool GetHasCaption() const { return FHasCaption; }
    void SetHasCaption(bool value);
    bool GetHasBorder() const { return FHasBorder; }
    void SetHasBorder(bool value);
    int GetHotButton() const { return FHotButton; }
    bool GetAnimationOrProgress() const override { return FAnimationOrProgress; }
    int ChildSkinCount() const { return static_cast<int>(FChildSkins.size()); }

    // TlumSkinWindowIntf
    TlumSkinEngineIntf* GetEngine() const override;
    void SetAnimationOrProgress(bool value) override { FAnimationOrProgress = value; }

    // The skin's caption height while the caption is shown and skinned, else 0.
    int CaptionHeight() const;
    // A caption button's rectangle (window coordinates) as drawn at the last paint; empty when
    // it was not drawn.
    TRect ButtonRect(int button) const;
    void PaintFrame();
    void UpdateRegion();
    // A maximised MDI child: no caption, its client from the top.
    bool ZoomedMDIChild();

    // Caption-button actions, posted as WM_SYSCOMMAND; the system menu's items run them too.
    void DoClose() override;
    void DoHelp();
    void DoMinimize() override;
    // Iconic: maximise when the window has a maximise button, else restore; zoomed: restore;
    // otherwise maximise only when the maximise button was shown at the last paint.
    void DoMaxRestore() override;
    // The caption buttons drawn at the last paint: the system menu enables its items by them.
    TSysMenuButtons PaintedCaptionButtons() const override;
    // The engine's system menu, for this window, at (x, y) on the screen.
    void ShowSystemMenu(int x, int y);
    void ShowSystemMenuAtIcon();

    // What kind of window this is.
    virtual bool HasFrame() { return true; }
    virtual int GetMenuBarHeight() { return 0; }
    virtual HICON GetIconHandle() { return nullptr; }   // nullptr: the program's icon
    virtual bool HasHelpButton() { return false; }
    virtual bool IsMDIForm() { return false; }
    virtual bool IsMDIChild() { return false; }
    virtual bool IsDialogFrame() { return false; }
    virtual bool HasIcon() { return false; }
    virtual bool HasCloseButton() { return true; }
    virtual bool HasMaxButton() { return false; }
    virtual bool HasMinButton() { return false; }
    virtual bool StartsAtOnce() { return false; }
    virtual bool HasToolBarUnderMenu() { return false; }

protected:
    TlumSkinWindow(bool fromHook, TlumSkinEngine* engine);
    // The destructor's work; descendants call it first in their destructors.
    void Teardown();
    // The replacement window procedure; the descendants route their hook here.
    void SkinWindowProc(TMessage& message);
    // Skinning on or off (FSkinned says which), undoing exactly what the last "on" did.
    virtual void SetSkinnedImpl() = 0;
    virtual void CallOriginalProc(TMessage& message) = 0;
    virtual void SaveOriginalState() {}
    virtual void SkinChildren() = 0;
    virtual void UnskinChildren();
    virtual HWND GetWindowHandle() const = 0;
    // False withholds the message from the window.
    virtual bool BeforeMessage(TMessage& message) { return true; }
    virtual void AfterMessage(TMessage& message) {}
    virtual void Attach(HWND handle) = 0;
    virtual void Detach() = 0;
    // Drawn now: engine active, window allowed, skinned and started, window alive.
    bool Drawing() const;
    void RepaintChildren();
    // The window's procedure returned after the window went: the engine frees this skin.
    void ReleaseFromEngine();
    // Takes away the shape skinning gave the window.
    void RemoveRegion();
    // The window was destroyed under a skin that stays (its form makes a new one): the next
    // UpdateRegion shapes the new window.
    void ForgetRegion();

    TlumSkinEngine* FEngine;
    std::vector<std::unique_ptr<TlumSkinControl>> FChildSkins;
    // Set when the object must not be touched after a call that may free it.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
    int32_t FNativeClientWidth = 0, FNativeClientHeight = 0;
    int32_t FNativeCaptionHeight = 0, FNativeBottomHeight = 4, FNativeSideWidth = 4;
    int32_t FCaptionOffset = 0;
    bool FFromHook;
    bool FDestroying = false;
    bool FGone = false;
    bool FAllowed = true;
    bool FSkinned = false;
    bool FStarted = false;
    bool FActive = true;

private:
    void StartSkinning();
    void CalcSize(TMessage& message, const RECT& windowRect);
    void AdjustHitTest(TMessage& message);
    void PaintCaption(HDC dc, int width, const POINT& mouse);
    void PaintBorders(HDC dc, int width, int height);
    void PaintMenuBand(HDC dc, int x0, int x1, int top, int height);
    void TrackNonClientLeave();

    TBitmap FCaptionBuffer, FBottomBuffer;
    std::unique_ptr<TBitmap> FCaptionComposite, FBottomComposite;
    TRect FButtonRects[5];
    int FHotButton = hbNone;
    int FPressedButton = hbNone;
    int32_t FLeftmostButtonX = 10000;
    SIZE FRegionSize{-1, -1};
    bool FRegionSet = false;
    bool FInUpdateRegion = false;
    bool FHasCaption = true;
    bool FHasBorder = true;
    bool FPressed = false;
    bool FMaxShown = false, FMinShown = false, FCloseShown = false;
    bool FCaptionNeedsRegion = false, FBottomNeedsRegion = false;
    bool FAnimationOrProgress = false;
    bool FTornDown = false;
    bool FTrackingLeave = false;
};
