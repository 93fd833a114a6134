#include "skin/skin_window_win.h"

#include <windowsx.h>

#include <algorithm>

#include "skin/skin_engine_win.h"
#include "skin/skin_utils_win.h"

namespace {

constexpr int kButtonCells = 18;
enum : int { kCloseCell = 16, kMaxCell = 7, kRestoreCell = 10, kMinCell = 13 };

TRect WindowBox(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return TRect(0, 0, r.right - r.left, r.bottom - r.top);
}

}  // namespace

TlumSkinWindow::TlumSkinWindow(HWND window, bool fromHook, TlumSkinEngine* engine)
    : FWnd(window), FEngine(engine), FFromHook(fromHook) {}

TlumSkinWindow::~TlumSkinWindow() {
    if (!FHook) return;
    FHook->Unhook();
    FHook.reset();
    if (FGone || !IsWindow(FWnd)) return;
    // Give back exactly what skinning changed: the region we set, and the native frame.
    if (FRegionSet) SetWindowRgn(FWnd, nullptr, TRUE);
    SetWindowPos(FWnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TlumSkinEngineIntf* TlumSkinWindow::GetEngine() const { return FEngine; }

bool TlumSkinWindow::Drawing() const { return FSkinned && !FGone && FEngine->IsSkinActive(); }

void TlumSkinWindow::ApplyToWindow() {
    if (!FHook) FHook = std::make_unique<TSubclassHook>(FWnd, [this](TMessage& m) { WindowProc(m); });
    FSkinned = FEngine->GetActive();
    FUpdatingFrame = true;
    SetWindowPos(FWnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    FUpdatingFrame = false;
    UpdateRegion();
    RedrawWindow(FWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TlumSkinWindow::SetSkinned(bool value) {
    if (FSkinned == value || !FHook) {
        FSkinned = value;
        return;
    }
    FSkinned = value;
    ApplyToWindow();
    FSkinned = value;
}

// A rectangle (or nothing) set only while skinned; the native frame gets its own shape back.
void TlumSkinWindow::UpdateRegion() {
    if (FUpdatingFrame) return;
    if (!Drawing()) {
        if (FRegionSet) SetWindowRgn(FWnd, nullptr, TRUE);
        FRegionSet = false;
        return;
    }
    const TSkinMetrics& m = FEngine->Metrics();
    TRect box = WindowBox(FWnd);
    TBitmap* caption = FEngine->GetSkinBitmap(SKIN2_TITLEBAR1);
    TBitmap* bottom = FEngine->GetSkinBitmap(SKIN2_FORMBOTTOMBORDER1);
    const bool captionRegion = caption && FEngine->GetSkinBool(SKIN2_TITLEBARNEEDREGION);
    const bool bottomRegion = bottom && FEngine->GetSkinBool(SKIN2_BOTTOMBORDERNEEDREGION);
    if (!captionRegion && !bottomRegion) {
        if (FRegionSet) SetWindowRgn(FWnd, nullptr, TRUE);
        FRegionSet = false;
        return;
    }
    FRegionSet = BuildWindowRegion(FWnd, caption, bottom, captionRegion, bottomRegion, m.TitleRegionMinY,
                                   m.TitleRegionMaxY, m.BottomRegionMinY, m.BottomRegionMaxY, m.TransparentColor,
                                   box.Bottom, box.Right);
}

TRect TlumSkinWindow::ClientArea() const {
    const TSkinMetrics& m = FEngine->Metrics();
    TRect box = WindowBox(FWnd);
    return TRect(m.LeftBorder, m.CaptionHeight, std::max<int>(m.LeftBorder, box.Right - m.RightBorder),
                 std::max<int>(m.CaptionHeight, box.Bottom - m.BottomBorder));
}

TRect TlumSkinWindow::ButtonRect(int fromRight) const {
    const TSkinMetrics& m = FEngine->Metrics();
    TBitmap* buttons = FEngine->GetSkinBitmap(SKIN2_TITLEBUTTONS);
    const int cw = buttons ? buttons->GetWidth() / kButtonCells : 0;
    const int ch = buttons ? buttons->GetHeight() : 0;
    const int x = WindowBox(FWnd).Right - m.ButtonX - cw - fromRight * (cw + 2);
    return TRect(x, m.ButtonY, x + cw, m.ButtonY + ch);
}

LRESULT TlumSkinWindow::HitTest(int x, int y) const {
    const TSkinMetrics& m = FEngine->Metrics();
    TRect box = WindowBox(FWnd);
    const LONG style = GetWindowLongA(FWnd, GWL_STYLE);
    const bool sizable = (style & WS_THICKFRAME) != 0;
    auto inside = [x, y](const TRect& r) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; };
    if (inside(ClientArea())) return HTCLIENT;
    if (y < m.CaptionHeight) {
        int slot = 0;
        if (inside(ButtonRect(slot++))) return HTCLOSE;
        if (style & WS_MAXIMIZEBOX && inside(ButtonRect(slot++))) return HTMAXBUTTON;
        if (style & WS_MINIMIZEBOX && inside(ButtonRect(slot))) return HTMINBUTTON;
        if (sizable && y < 4) return x < 8 ? HTTOPLEFT : x >= box.Right - 8 ? HTTOPRIGHT : HTTOP;
        return HTCAPTION;
    }
    if (!sizable) return HTBORDER;
    if (y >= box.Bottom - m.BottomBorder) return x < 8 ? HTBOTTOMLEFT : x >= box.Right - 8 ? HTBOTTOMRIGHT : HTBOTTOM;
    return x < m.LeftBorder ? HTLEFT : HTRIGHT;
}

// Composed off screen in one buffer and copied in one go; every GDI object is held by an owner.
void TlumSkinWindow::PaintFrame() {
    if (!Drawing()) return;
    const TSkinMetrics& m = FEngine->Metrics();
    const TRect box = WindowBox(FWnd);
    if (box.Right <= 0 || box.Bottom <= 0) return;
    TBitmap frame;
    frame.SetSize(box.Right, box.Bottom);
    TCanvas* canvas = frame.GetCanvas();
    canvas->GetBrush()->SetColor(m.FormColor == -1 ? clBtnFace : m.FormColor);
    canvas->FillRect(box);
    auto draw = [&](uint8_t key, const TRect& r) {
        TBitmap* b = FEngine->GetSkinBitmap(key);
        if (b && !b->Empty() && r.Right > r.Left && r.Bottom > r.Top) canvas->StretchDraw(r, b);
    };
    TBitmap* left = FEngine->GetSkinBitmap(SKIN2_TITLEBAR1);
    TBitmap* right = FEngine->GetSkinBitmap(SKIN2_TITLEBAR3);
    const int lw = left ? std::min(left->GetWidth(), box.Right) : 0;
    const int rw = right ? std::min(right->GetWidth(), box.Right - lw) : 0;
    draw(SKIN2_TITLEBAR1, TRect(0, 0, lw, m.CaptionHeight));
    draw(SKIN2_TITLEBAR2, TRect(lw, 0, box.Right - rw, m.CaptionHeight));
    draw(SKIN2_TITLEBAR3, TRect(box.Right - rw, 0, box.Right, m.CaptionHeight));
    draw(SKIN2_FORMLEFTBORDER, TRect(0, m.CaptionHeight, m.LeftBorder, box.Bottom - m.BottomBorder));
    draw(SKIN2_FORMRIGHTBORDER, TRect(box.Right - m.RightBorder, m.CaptionHeight, box.Right, box.Bottom - m.BottomBorder));
    draw(SKIN2_FORMBOTTOMBORDER1, TRect(0, box.Bottom - m.BottomBorder, box.Right, box.Bottom));

    char text[260] = {};
    GetWindowTextA(FWnd, text, sizeof text);
    canvas->GetBrush()->SetStyle(bsClear);
    SetCaptionFont(canvas->GetFont());
    canvas->GetFont()->SetColor(m.TitleFontColor == -1 ? clWhite : m.TitleFontColor);
    canvas->TextOut(m.IconX + 4, m.CaptionTop, text);

    TBitmap cell;
    const LONG style = GetWindowLongA(FWnd, GWL_STYLE);
    int slot = 0;
    auto button = [&](int number) {
        TRect r = ButtonRect(slot++);
        if (r.Right <= r.Left || !FEngine->GetSkinBitmapPart(SKIN2_TITLEBUTTONS, &cell, number, kButtonCells)) return;
        // The cells' corners are the skin's transparent colour: the caption shows through.
        if (m.TransparentColor != -1) {
            cell.SetTransparentMode(tmFixed);
            cell.SetTransparentColor(m.TransparentColor);
            cell.SetTransparent(true);
        }
        canvas->Draw(r.Left, r.Top, &cell);
    };
    button(kCloseCell);
    if (style & WS_MAXIMIZEBOX) button(IsZoomed(FWnd) ? kRestoreCell : kMaxCell);
    if (style & WS_MINIMIZEBOX) button(kMinCell);

    TWindowDC dc(FWnd, TWindowDC::daWindow);
    if (!dc) return;
    const TRect client = ClientArea();
    ExcludeClipRect(dc.Get(), client.Left, client.Top, client.Right, client.Bottom);
    BitBlt(dc.Get(), 0, 0, box.Right, box.Bottom, canvas->GetHandle(), 0, 0, SRCCOPY);
}

void TlumSkinWindow::WindowProc(TMessage& message) {
    if (message.Msg == WM_SKIN_QUERY) {
        message.Result = Drawing() ? 1 : 0;
        return;
    }
    if (message.Msg == WM_NCDESTROY) {
        // The hook lets go of the destroyed window; the engine frees this skin later.
        FHook->Previous(message);
        FGone = true;
        return;
    }
    if (!Drawing()) {
        FHook->Previous(message);
        return;
    }
    switch (message.Msg) {
    case WM_SKIN_ISACTIVE:
        message.Result = FActive ? 1 : 2;
        return;
    case WM_NCCALCSIZE: {
        const TSkinMetrics& m = FEngine->Metrics();
        RECT* r = reinterpret_cast<RECT*>(message.LParam);   // first rectangle in either form
        r->left += m.LeftBorder;
        r->top += m.CaptionHeight;
        r->right = std::max(r->left, r->right - m.RightBorder);
        r->bottom = std::max(r->top, r->bottom - m.BottomBorder);
        message.Result = 0;
        return;
    }
    case WM_NCHITTEST: {
        RECT r{};
        GetWindowRect(FWnd, &r);
        message.Result = HitTest(GET_X_LPARAM(message.LParam) - r.left, GET_Y_LPARAM(message.LParam) - r.top);
        return;
    }
    case WM_NCPAINT:
        PaintFrame();
        message.Result = 0;
        return;
    case WM_NCACTIVATE:
        FActive = message.WParam != 0;
        PaintFrame();
        message.Result = TRUE;
        return;
    case WM_NCLBUTTONDOWN:
        // The native handler would draw its own buttons over ours: run the button at once.
        if (message.WParam == HTCLOSE) {
            PostMessageA(FWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            return;
        }
        if (message.WParam == HTMINBUTTON) {
            PostMessageA(FWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return;
        }
        if (message.WParam == HTMAXBUTTON) {
            PostMessageA(FWnd, WM_SYSCOMMAND, IsZoomed(FWnd) || IsIconic(FWnd) ? SC_RESTORE : SC_MAXIMIZE, 0);
            return;
        }
        break;
    case WM_SETTEXT:
    case WM_SIZE:
        FHook->Previous(message);
        if (message.Msg == WM_SIZE) UpdateRegion();
        PaintFrame();
        return;
    default:
        break;
    }
    FHook->Previous(message);
}
