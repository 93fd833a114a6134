// Skin objects: one per skinned child control, sitting in the control's message path. It sees
// each message before the control's own procedure (and may withhold it) and again after it,
// where it tracks the hot and pressed state and repaints from the skin.
//
// Two ways in: TlumSkinControlVCL stacks a TWindowProcHook over a class-library control's
// WindowProc; TlumSkinControlWnd subclasses a raw window with a TSubclassHook. Both are made by
// a factory that calls Install() right after construction (virtual SaveOriginal runs there),
// and both give the control back exactly as they found it, whichever of skin, other hooks and
// control goes first.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>
#include <string>

#include "classlib/gui/bitmap.h"
#include "classlib/gui/controls.h"
#include "classlib/gui/window_proc_hook.h"
#include "skin/skin_engine_intf.h"

// BeginPaint and EndPaint around a skin's own answer to WM_PAINT, ended on every path (a window
// left invalid would be sent WM_PAINT for ever).
class TSkinPaintScope {
public:
    explicit TSkinPaintScope(HWND wnd) : FWnd(wnd) {
        if (FWnd) BeginPaint(FWnd, &FPaint);
    }
    ~TSkinPaintScope() {
        if (FWnd) EndPaint(FWnd, &FPaint);
    }
    TSkinPaintScope(const TSkinPaintScope&) = delete;
    TSkinPaintScope& operator=(const TSkinPaintScope&) = delete;

private:
    HWND FWnd;
    PAINTSTRUCT FPaint{};
};

class TlumSkinControl : public TObject {
public:
    explicit TlumSkinControl(TlumSkinWindowIntf* skinWindow);
    // A skin freed inside one of its own messages: the message path sees it and stops at once.
    ~TlumSkinControl() override { *FAlive = false; }
    // Frees a skin. One that is inside one of its own messages stops at once (no AfterMessage)
    // and is freed when that message returns.
    static void FreeSkin(std::unique_ptr<TlumSkinControl> skin);
    const char* ClassName() const override { return "TlumSkinControl"; }

    // True: pass the message on to the control's own procedure.
    virtual bool BeforeMessage(TMessage& message) { return true; }
    // State tracking and repaint, after the control's own procedure, until Restore.
    virtual void AfterMessage(TMessage& message);
    virtual void Paint() {}
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void MouseDown() {}
    virtual void MouseUp() {}
    virtual void KeyDown(int key) {}
    virtual void KeyUp(int key) {}
    virtual void ApplySkinColours() {}
    virtual void SaveOriginal() {}
    virtual void Restore() { FStopped = true; }
    virtual TRect GetRect() = 0;
    virtual HWND GetControlHandle() = 0;
    virtual bool IsEnabled() = 0;
    virtual bool WantsParentColor() { return false; }

    enum : uint8_t { msHot = 1, msPressed = 2 };
    uint8_t GetMouseState() const { return FMouseState; }
    bool GetStopped() const { return FStopped; }
    TlumSkinEngineIntf* GetEngine() const { return FEngine; }

    // The skins paint into an off-screen bitmap as large as the control and hand it here: it is
    // copied onto the window and the text drawn centred on one line over it (grey when
    // disabled, moved by (1, 1) when pressed). No window, no paint.
    void PaintBitmapAndText(TBitmap* bitmap, const AnsiString& text, TRect textRect, TFont* font);
    void PaintBitmapAndTextW(TBitmap* bitmap, const std::wstring& text, TRect textRect, TFont* font);
    // Draws the bitmap (with its transparency) at pos on the control's window.
    void PaintBitmapAt(TBitmap* bitmap, const TPoint& pos);

protected:
    // Paint, while the skin is active.
    void Repaint();
    bool Passive() const { return !FEngine || FEngine->IsEngineDestroying() || !FEngine->IsSkinActive(); }

    TlumSkinWindowIntf* FSkinWindow;
    TlumSkinEngineIntf* FEngine;
    uint8_t FMouseState = 0;
    bool FStopped = false;
    // Counts the skin's own messages under way; the outermost one frees a skin left to it.
    class TMessageScope {
    public:
        explicit TMessageScope(TlumSkinControl* skin) : FSkin(skin), FAlive(skin->FAlive) { ++skin->FMessageDepth; }
        ~TMessageScope() {
            if (!*FAlive) return;
            if (--FSkin->FMessageDepth == 0 && FSkin->FFreePending) delete FSkin;
        }
        TMessageScope(const TMessageScope&) = delete;
        TMessageScope& operator=(const TMessageScope&) = delete;
        bool Alive() const { return *FAlive; }

    private:
        TlumSkinControl* FSkin;
        std::shared_ptr<bool> FAlive;
    };
    // Cleared by the destructor; the message procedures hold a copy while they run.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
    int FMessageDepth = 0;
    bool FFreePending = false;
};

class TlumSkinControlVCL : public TlumSkinControl {
public:
    TlumSkinControlVCL(TControl* control, TlumSkinWindowIntf* skinWindow);
    // Takes the hook out of the control's chain, wherever it sits by now.
    ~TlumSkinControlVCL() override;
    const char* ClassName() const override { return "TlumSkinControlVCL"; }

    // Hooks into the control's WindowProc and calls SaveOriginal.
    void Install();
    void ControlWindowProc(TMessage& message);
    // The control; nullptr once it has been freed before the skin.
    TControl* GetControl() const { return FHook ? FHook->Control() : nullptr; }

    TRect GetRect() override;
    // The control's window when it has one; painting never makes one.
    HWND GetControlHandle() override;
    bool IsEnabled() override;

protected:
    void CallPrevious(TMessage& message) {
        if (FHook) FHook->Previous(message);
    }
    // The control as a windowed control (nullptr for a graphic control or once it is gone).
    TWinControl* GetWinControl() const { return dynamic_cast<TWinControl*>(GetControl()); }
    std::unique_ptr<TWindowProcHook> FHook;
    TControl* FHostControl;
};

class TlumSkinControlWnd : public TlumSkinControl {
public:
    TlumSkinControlWnd(HWND window, TlumSkinWindowIntf* skinWindow);
    // Removes the subclass while the window still exists (the hook lets go of a destroyed one).
    ~TlumSkinControlWnd() override;
    const char* ClassName() const override { return "TlumSkinControlWnd"; }

    // Subclasses the window and calls SaveOriginal.
    void Install();
    HWND GetWindow() const { return FWnd; }
    bool GetSubclassed() const { return FHook && FHook->Window(); }

    TRect GetRect() override;
    HWND GetControlHandle() override { return FWnd; }
    bool IsEnabled() override { return IsWindowEnabled(FWnd) != FALSE; }
    int GetWindowHeight();
    int GetWindowWidth();
    // At most 259 characters.
    AnsiString GetWindowCaption();

protected:
    void HandleWindowProc(TMessage& message);
    void CallPrevious(TMessage& message) {
        if (FHook) FHook->Previous(message);
    }
    HWND FWnd;
    std::unique_ptr<TSubclassHook> FHook;
};
