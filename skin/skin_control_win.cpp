#include "skin/skin_control_win.h"

#include <commctrl.h>

#include "classlib/gui/handles.h"


TlumSkinControl::TlumSkinControl(TlumSkinWindowIntf* skinWindow)
    : FSkinWindow(skinWindow), FEngine(skinWindow ? skinWindow->GetEngine() : nullptr) {}

namespace {

// Draws the text centred on one line, in the font's colour (grey when disabled), over the DC.
template <class Draw>
void DrawCentredText(HDC dc, TFont* font, bool enabled, bool pressed, const TRect& textRect, Draw draw) {
    TSelectObject selected(dc, font ? static_cast<HGDIOBJ>(font->GetHandle()) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    const TColor color = enabled ? (font ? font->GetColor() : clBtnText) : TColor(0x808080);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(color)));
    RECT r{textRect.Left, textRect.Top, textRect.Right, textRect.Bottom};
    if (pressed) OffsetRect(&r, 1, 1);
    draw(dc, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace

void TlumSkinControl::PaintBitmapAndText(TBitmap* bitmap, const AnsiString& text, TRect textRect, TFont* font) {
    HWND wnd = GetControlHandle();
    if (!wnd || !bitmap) return;
    TWindowDC dc(wnd);
    if (!dc) return;
    const TRect r = GetRect();
    BitBlt(dc.Get(), r.Left, r.Top, r.Width(), r.Height(), bitmap->GetCanvas()->GetHandle(), r.Left, r.Top, SRCCOPY);
    if (text.empty()) return;
    DrawCentredText(dc.Get(), font, IsEnabled(), FMouseState & msPressed, textRect, [&](HDC h, RECT& rc, UINT flags) {
        DrawTextA(h, text.c_str(), -1, &rc, flags);
    });
}

void TlumSkinControl::PaintBitmapAndTextW(TBitmap* bitmap, const std::wstring& text, TRect textRect, TFont* font) {
    HWND wnd = GetControlHandle();
    if (!wnd || !bitmap) return;
    TWindowDC dc(wnd);
    if (!dc) return;
    const TRect r = GetRect();
    BitBlt(dc.Get(), r.Left, r.Top, r.Width(), r.Height(), bitmap->GetCanvas()->GetHandle(), r.Left, r.Top, SRCCOPY);
    if (text.empty()) return;
    DrawCentredText(dc.Get(), font, IsEnabled(), FMouseState & msPressed, textRect, [&](HDC h, RECT& rc, UINT flags) {
        DrawTextW(h, text.c_str(), -1, &rc, flags);
    });
}

void TlumSkinControl::PaintBitmapAt(TBitmap* bitmap, const TPoint& pos) {
    HWND wnd = GetControlHandle();
    if (!wnd || !bitmap) return;
    TWindowDC dc(wnd);
    if (!dc) return;
    TCanvas canvas;
    canvas.SetHandle(dc.Get());
    canvas.Draw(pos.X, pos.Y, bitmap);
    canvas.SetHandle(nullptr);
}

void TlumSkinControl::FreeSkin(std::unique_ptr<TlumSkinControl> skin) {
    if (!skin) return;
    if (skin->FMessageDepth == 0) return;   // freed here, by the unique_ptr
    skin->FStopped = true;
    skin->FFreePending = true;
    skin.release();   // the message under way frees it when it returns
}

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
    TWinControl* win = GetWinControl();
    return win ? win->GetHandleIfAllocated() : nullptr;
}

bool TlumSkinControlVCL::IsEnabled() {
    TControl* control = GetControl();
    return control && control->GetEnabled();
}

void TlumSkinControlVCL::ControlWindowProc(TMessage& message) {
    const bool engineGoing = !FEngine || FEngine->IsEngineDestroying();
    if (engineGoing && message.Msg == CM_INVALIDATE) return;
    if (FFreePending) {   // on its way out: the control has its messages to itself
        CallPrevious(message);
        return;
    }
    // Skinned, whatever the engine's state, for as long as the hook is in.
    if (message.Msg == WM_SKIN_QUERY) {
        message.Result = 1;
        return;
    }
    if (Passive() || FHostControl->GetTag() == FEngine->GetDisabledTag()) {
        CallPrevious(message);
        return;
    }
    TMessageScope scope(this);
    bool pass = true;
    try {
        pass = BeforeMessage(message);
    } catch (...) {
        pass = true;
    }
    if (!scope.Alive()) return;   // freed by its own step: its hook is gone with it
    if (pass) CallPrevious(message);
    if (!scope.Alive()) return;
    try {
        if (!FStopped) AfterMessage(message);
    } catch (...) {
    }
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
    if (FFreePending) {   // on its way out: the window has its messages to itself
        CallPrevious(m);
        return;
    }
    if (m.Msg == WM_SKIN_QUERY) {
        m.Result = 1;
        return;
    }
    if (Passive()) {
        CallPrevious(m);
        return;
    }
    // A failing skin step is skipped; the window still gets its message exactly once. A skin
    // freed by its own step touches nothing of itself afterwards.
    TMessageScope scope(this);
    const HWND wnd = FWnd;
    bool pass = true;
    try {
        pass = BeforeMessage(m);
    } catch (...) {
        pass = true;
    }
    if (!scope.Alive()) {
        if (pass && IsWindow(wnd)) m.Result = DefSubclassProc(wnd, m.Msg, m.WParam, m.LParam);
        return;
    }
    if (pass) CallPrevious(m);
    if (!scope.Alive()) return;
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
