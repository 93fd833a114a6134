#include "skin/skin_std_ctrl_scroll_win.h"

#include "classlib/gui/bar_controls.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/handles.h"
#include "skin/skin_ctrl_helpers_win.h"
#include "skin/skin_res_win.h"
#include "skin/skin_utils_win.h"

// ---- the overlay

TlumSkinInternalScrollBar2::TlumSkinInternalScrollBar2(TComponent* owner, TlumSkinScrollBar* skin, TScrollBar* host)
    : TCustomPanel(owner), FHostControl(host), FOverlayBitmap(std::make_unique<TBitmap>()), FSkin(skin) {
    SetBevelOuter(bvNone);
    if (FHostControl) FHostControl->FreeNotification(this);
}

TlumSkinInternalScrollBar2::~TlumSkinInternalScrollBar2() {
    BeginDestroy();
    if (FHostControl) FHostControl->RemoveFreeNotification(this);
    FHostControl = nullptr;
    if (FSkin && FSkin->FOverlay == this) FSkin->FOverlay = nullptr;
    FSkin = nullptr;
}

void TlumSkinInternalScrollBar2::Notification(TComponent* component, TOperation operation) {
    TCustomPanel::Notification(component, operation);
    if (operation == opRemove && component == FHostControl) FHostControl = nullptr;
}

void TlumSkinInternalScrollBar2::Paint() {
    if (FOverlayBitmap->Empty()) {
        // Nothing drawn yet (or the skin leaves the bar native): the bar underneath shows.
        SetVisible(false);
        TCustomPanel::Paint();
        return;
    }
    GetCanvas()->Draw(0, 0, FOverlayBitmap.get());
}

void TlumSkinInternalScrollBar2::WndProc(TMessage& m) {
    if (m.Msg == WM_ERASEBKGND) {
        m.Result = 1;
        return;
    }
    TCustomPanel::WndProc(m);
    if (m.Msg != WM_LBUTTONDOWN && m.Msg != WM_LBUTTONUP && m.Msg != WM_MOUSEMOVE) return;
    HWND host = FHostControl ? FHostControl->GetHandleIfAllocated() : nullptr;
    if (!host) return;
    POINT p = MessageCursor();
    ::ScreenToClient(host, &p);
    const LPARAM at = MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
    if (m.Msg == WM_MOUSEMOVE) {
        m.Result = SendMessageA(host, m.Msg, m.WParam, at);
        return;
    }
    ReleaseCapture();
    SendMessageA(host, m.Msg, MK_LBUTTON, at);
}

// ---- the skin

TlumSkinScrollBar::~TlumSkinScrollBar() { FreeOverlay(); }

void TlumSkinScrollBar::FreeOverlay() {
    TlumSkinInternalScrollBar2* overlay = FOverlay;
    FOverlay = nullptr;
    if (!overlay) return;
    overlay->ForgetSkin();
    delete overlay;
}

void TlumSkinScrollBar::RestoreControlStyle() {
    if (!FStyleSaved) return;
    FStyleSaved = false;
    if (TControl* bar = GetControl()) bar->SetControlStyle(FOriginalStyle);
}

void TlumSkinScrollBar::SaveOriginal() {
    TlumSkinControlVCL::SaveOriginal();
    FOverlay = nullptr;
    auto* bar = dynamic_cast<TScrollBar*>(GetControl());
    if (!bar) return;
    FOriginalStyle = bar->GetControlStyle();
    FStyleSaved = true;
    bar->SetControlStyle(FOriginalStyle | csAcceptsControls);
    TWinControl* parent = bar->GetParent();
    if (!parent) parent = GetParentForm(bar);
    if (!parent) return;   // nothing to lay an overlay on: the native bar shows
    auto* overlay = new TlumSkinInternalScrollBar2(dynamic_cast<TComponent*>(FEngine), this, bar);
    FOverlay = overlay;
    try {
        overlay->SetParent(parent);
        overlay->SetBounds(bar->GetLeft(), bar->GetTop(), bar->GetWidth(), bar->GetHeight());
        overlay->SetVisible(true);
        overlay->BringToFront();
        overlay->Repaint();
    } catch (...) {
        FreeOverlay();
    }
}

void TlumSkinScrollBar::ApplySkinColours() {
    TlumSkinControlVCL::ApplySkinColours();
    TControl* bar = GetControl();
    if (FOverlay) FOverlay->SetVisible(FEngine && FEngine->IsSkinActive() && bar && bar->GetVisible());
}

void TlumSkinScrollBar::AfterMessage(TMessage& m) {
    TlumSkinControlVCL::AfterMessage(m);
    switch (m.Msg) {
    case SBM_SETSCROLLINFO:
    case WM_SETFOCUS:   // our controls hear of focus here rather than through CM_GOTFOCUS
    case WM_KILLFOCUS:
    case CM_GOTFOCUS:
    case CM_LOSTFOCUS:
    case WM_MOVE:   // the overlay follows a moved or resized bar
    case WM_SIZE: Repaint(); break;
    case CM_VISIBLECHANGED:
        if (FOverlay && GetControl()) FOverlay->SetVisible(GetControl()->GetVisible());
        break;
    default: break;
    }
}

void TlumSkinScrollBar::Restore() {
    TlumSkinControlVCL::Restore();
    RestoreControlStyle();
    FreeOverlay();
}

void TlumSkinScrollBar::Paint() {
    if (!FEngine || !FEngine->GetDrawScrollBar() || !FOverlay) return;
    auto* bar = dynamic_cast<TScrollBar*>(GetControl());
    HWND wnd = GetControlHandle();
    if (!bar || !wnd) return;
    const int width = bar->GetWidth(), height = bar->GetHeight();
    if (width <= 0 || height <= 0) {
        FOverlay->SetVisible(false);   // nothing to cover; no stale picture left beside it
        return;
    }
    FOverlay->SetBounds(bar->GetLeft(), bar->GetTop(), width, height);
    TBitmap* bitmap = FOverlay->GetOverlayBitmap();
    bitmap->SetSize(FOverlay->GetWidth(), FOverlay->GetHeight());
    FOverlay->BringToFront();
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    if (!LUMSkinUtils::GetScrollBarInfo(wnd, OBJID_CLIENT, &info)) return;
    TCanvas* canvas = bitmap->GetCanvas();
    FillRectColor(canvas, TRect(0, 0, bitmap->GetWidth(), bitmap->GetHeight()), SkinColor(this, SKIN2_SCROLLBARCOLOR));
    const bool vertical = bar->GetKind() == sbVertical;
    const TRect thumb = vertical ? TRect(0, info.xyThumbTop, width, info.xyThumbBottom)
                                 : TRect(info.xyThumbTop, 0, info.xyThumbBottom, height);
    PaintSkinScrollBar(canvas, FEngine, bar->GetClientRect(), thumb, true, vertical);
    if (bar->Focused()) {
        canvas->GetBrush()->SetStyle(bsSolid);
        canvas->DrawFocusRect(thumb.Inflate(-1, -1));
    }
    // The overlay hides itself while it has nothing drawn; now it has.
    if (!FOverlay->GetVisible() && bar->GetVisible()) FOverlay->SetVisible(true);
    HWND overlayWnd = FOverlay->GetHandleIfAllocated();
    if (!overlayWnd) return;
    TWindowDC dc(overlayWnd);
    if (dc) BitBlt(dc.Get(), 0, 0, bitmap->GetWidth(), bitmap->GetHeight(), canvas->GetHandle(), 0, 0, SRCCOPY);
}
