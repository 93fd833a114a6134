#include "skin/skin_control_win.h"

#include <commctrl.h>

namespace {
// Our subclass id: the address of this variable is unique in the process.
const char kSubclassTag = 0;
const UINT_PTR kSubclassId = reinterpret_cast<UINT_PTR>(&kSubclassTag);
}  // namespace

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
    : TlumSkinControl(skinWindow), FHostControl(control), FForward(std::make_shared<TForwardState>()) {}

void TlumSkinControlVCL::Install() {
    FForward->Skin = this;
    FForward->Previous = FHostControl->WindowProc;
    FHostControl->WindowProc = SkinForwarder{FForward};
    FMouseState = 0;
    FStopped = false;
    SaveOriginal();
}

TlumSkinControlVCL::~TlumSkinControlVCL() {
    if (!FForward->Skin) return;   // never installed
    const SkinForwarder* current = FHostControl ? FHostControl->WindowProc.target<SkinForwarder>() : nullptr;
    if (current && current->State == FForward) FHostControl->WindowProc = FForward->Previous;
    FForward->Skin = nullptr;
}

void TlumSkinControlVCL::SkinForwarder::operator()(TMessage& message) const {
    if (State->Skin)
        State->Skin->ControlWindowProc(message);
    else if (State->Previous)
        State->Previous(message);
}

HWND TlumSkinControlVCL::GetControlHandle() {
    TWinControl* win = dynamic_cast<TWinControl*>(FHostControl);
    return win ? win->GetHandle() : nullptr;
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

void TlumSkinControlWnd::Install() {
    FSubclassed = SetWindowSubclass(FWnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
    FMouseState = 0;
    FStopped = false;
    SaveOriginal();
}

TlumSkinControlWnd::~TlumSkinControlWnd() {
    if (FSubclassed && IsWindow(FWnd)) RemoveWindowSubclass(FWnd, SubclassProc, kSubclassId);
    FSubclassed = false;
    FWnd = nullptr;
}

LRESULT TlumSkinControlWnd::CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(FWnd, msg, wParam, lParam);
}

LRESULT TlumSkinControlWnd::HandleWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0};
    if (Passive()) return CallPrevious(msg, wParam, lParam);
    // Nothing may leave a window procedure: a failing skin step is skipped, the control
    // still gets its message exactly once.
    bool pass = true;
    try {
        pass = BeforeMessage(m);
    } catch (...) {
        pass = true;
    }
    if (pass) m.Result = CallPrevious(m.Msg, m.WParam, m.LParam);
    try {
        if (!FStopped) AfterMessage(m);
    } catch (...) {
    }
    return m.Result;
}

LRESULT CALLBACK TlumSkinControlWnd::SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                                  DWORD_PTR data) {
    auto* skin = reinterpret_cast<TlumSkinControlWnd*>(data);
    if (msg == WM_NCDESTROY) {
        // The window goes first: unhook now, the skin object finds it gone later.
        RemoveWindowSubclass(window, SubclassProc, id);
        skin->FSubclassed = false;
        return DefSubclassProc(window, msg, wParam, lParam);
    }
    return skin->HandleWindowProc(msg, wParam, lParam);
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
