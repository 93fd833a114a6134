// Skin objects: one per skinned child control, sitting in the control's message path. It sees
// each message before the control's own procedure (and may withhold it) and again after it,
// where it tracks the hot and pressed state and repaints from the skin.
//
// Two ways in: TlumSkinControlVCL replaces a class-library control's WindowProc with a
// forwarder; TlumSkinControlWnd subclasses a raw window with SetWindowSubclass. Both are made by
// a factory that calls Install() right after construction (virtual SaveOriginal runs there),
// and both give the control back exactly as they found it, in whatever order things go.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "classlib/gui/controls.h"
#include "skin/skin_engine_intf.h"

class TlumSkinControl : public TObject {
public:
    explicit TlumSkinControl(TlumSkinWindowIntf* skinWindow);
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

protected:
    // Paint, while the skin is active.
    void Repaint();
    bool Passive() const { return !FEngine || FEngine->IsEngineDestroying() || !FEngine->IsSkinActive(); }

    TlumSkinWindowIntf* FSkinWindow;
    TlumSkinEngineIntf* FEngine;
    uint8_t FMouseState = 0;
    bool FStopped = false;
};

class TlumSkinControlVCL : public TlumSkinControl {
public:
    TlumSkinControlVCL(TControl* control, TlumSkinWindowIntf* skinWindow);
    // Puts the saved WindowProc back while ours is still the control's; when someone hooked in
    // after us, our forwarder stays in their chain as a plain pass-through.
    ~TlumSkinControlVCL() override;
    const char* ClassName() const override { return "TlumSkinControlVCL"; }

    // Takes the control's WindowProc and calls SaveOriginal.
    void Install();
    void ControlWindowProc(TMessage& message);
    TControl* GetControl() const { return FHostControl; }

    TRect GetRect() override { return FHostControl->GetClientRect(); }
    HWND GetControlHandle() override;
    bool IsEnabled() override { return FHostControl->GetEnabled(); }

    // What sits in the control's WindowProc: forwards to the skin while it lives, else straight
    // to the procedure that was there before.
    struct TForwardState {
        TlumSkinControlVCL* Skin;
        std::function<void(TMessage&)> Previous;
    };
    struct SkinForwarder {
        std::shared_ptr<TForwardState> State;
        void operator()(TMessage& message) const;
    };

protected:
    void CallPrevious(TMessage& message) {
        if (FForward->Previous) FForward->Previous(message);
    }
    TControl* FHostControl;
    std::shared_ptr<TForwardState> FForward;
};

class TlumSkinControlWnd : public TlumSkinControl {
public:
    TlumSkinControlWnd(HWND window, TlumSkinWindowIntf* skinWindow);
    // Removes the subclass while the window still exists.
    ~TlumSkinControlWnd() override;
    const char* ClassName() const override { return "TlumSkinControlWnd"; }

    // Subclasses the window and calls SaveOriginal.
    void Install();
    HWND GetWindow() const { return FWnd; }
    bool GetSubclassed() const { return FSubclassed; }

    TRect GetRect() override;
    HWND GetControlHandle() override { return FWnd; }
    bool IsEnabled() override { return IsWindowEnabled(FWnd) != FALSE; }
    int GetWindowHeight();
    int GetWindowWidth();
    // At most 259 characters.
    AnsiString GetWindowCaption();

protected:
    LRESULT HandleWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam);
    HWND FWnd;
    bool FSubclassed = false;
private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
};
