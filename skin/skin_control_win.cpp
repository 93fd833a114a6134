#include "skin/skin_control_win.h"


TlumSkinControl::TlumSkinControl(TlumSkinWindowIntf* skinWindow)
    : FSkinWindow(skinWindow), FEngine(skinWindow ? skinWindow->GetEngine() : nullptr) {}

void TlumSkinControl::Repaint() {
    if (FEngine && FEngine->IsSkinActive()) Paint();
}

void TlumSkinControl::AfterMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_PAINT:
    case WM_ERASEBKGND:
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case WM_SETTEXT:
    case WM_SKIN_REPAINT:
    case WM_ENABLE: Repaint(); break;
    case CM_MOUSEENTER:
        FMouseState |= msHot;
        Repaint();
        MouseEnter();
        break;
    case CM_MOUSELEAVE:
        FMouseState &= static_cast<uint8_t>(~(msHot | msPressed));
        Repaint();
        MouseLeave();
        break;
    case WM_LBUTTONUP:
        FMouseState &= static_cast<uint8_t>(~msPressed);
        Repaint();
        MouseUp();
        break;
    case WM_LBUTTONDOWN:
        FMouseState |= msPressed;
        Repaint();
        MouseDown();
        break;
    case WM_KEYDOWN:
        if (m.WParam == VK_SPACE || m.WParam == VK_RETURN) FMouseState |= msPressed;
        Repaint();
        KeyDown(static_cast<int>(m.WParam));
        break;
    case WM_KEYUP:
        if (m.WParam == VK_SPACE || m.WParam == VK_RETURN) FMouseState &= static_cast<uint8_t>(~msPressed);
        Repaint();
        KeyUp(static_cast<int>(m.WParam));
        break;
    case WM_SKIN_QUERY: m.Result = 1; break;
    default: break;
    }
}

// ---- class-library controls

TlumSkinControlVCL::TlumSkinControlVCL(TControl* control, TlumSkinWindowIntf* skinWindow)
    : TlumSkinControl(skinWindow), FHostControl(control) {}

TlumSkinControlVCL::~TlumSkinControlVCL() = default;

void TlumSkinControlVCL::Install() {
    FHook = std::make_unique<TWindowProcHook>(FHostControl, [this](TMessage& m) { ControlWindowProc(m); });
    FMouseState = 0;
    FStopped = false;
    SaveOriginal();
}

TRect TlumSkinControlVCL::GetRect() {
    TControl* control = GetControl();
    return control ? control->GetClientRect() : TRect();
}

HWND TlumSkinControlVCL::GetControlHandle() {
    TWinControl* win = dynamic_cast<TWinControl*>(GetControl());
    return win ? win->GetHandle() : nullptr;
}

bool TlumSkinControlVCL::IsEnabled() {
    TControl* control = GetControl();
    return control && control->GetEnabled();
}

void TlumSkinControlVCL::ControlWindowProc(TMessage& message) {
    const bool engineGoing = !FEngine || FEngine->IsEngineDestroying();
    if (engineGoing && message.Msg == CM_INVALIDATE) return;
    if (Passive() || FHostControl->GetTag() == FEngine->GetDisabledTag()) {
        CallPrevious(message);
        return;
    }
    if (BeforeMessage(message)) CallPrevious(message);
    if (!FStopped) AfterMessage(message);
}

// ---- raw windows

TlumSkinControlWnd::TlumSkinControlWnd(HWND window, TlumSkinWindowIntf* skinWindow)
    : TlumSkinControl(skinWindow), FWnd(window) {}

TlumSkinControlWnd::~TlumSkinControlWnd() = default;

void TlumSkinControlWnd::Install() {
    try {
        FHook = std::make_unique<TSubclassHook>(FWnd, [this](TMessage& m) { HandleWindowProc(m); });
    } catch (const EOSError&) {
        FHook.reset();   // a window that cannot be subclassed keeps its own look
    }
    FMouseState = 0;
    FStopped = false;
    SaveOriginal();
}

void TlumSkinControlWnd::HandleWindowProc(TMessage& m) {
    if (Passive()) {
        CallPrevious(m);
        return;
    }
    // A failing skin step is skipped; the window still gets its message exactly once.
    bool pass = true;
    try {
        pass = BeforeMessage(m);
    } catch (...) {
        pass = true;
    }
    if (pass) CallPrevious(m);
    try {
        if (!FStopped) AfterMessage(m);
    } catch (...) {
    }
}

TRect TlumSkinControlWnd::GetRect() {
    RECT r{};
    GetWindowRect(FWnd, &r);
    return TRect(0, 0, r.right - r.left, r.bottom - r.top);
}

int TlumSkinControlWnd::GetWindowHeight() { return GetRect().Height(); }
int TlumSkinControlWnd::GetWindowWidth() { return GetRect().Width(); }

AnsiString TlumSkinControlWnd::GetWindowCaption() {
    char buffer[260] = {};
    int length = GetWindowTextA(FWnd, buffer, sizeof buffer);
    return AnsiString(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}
