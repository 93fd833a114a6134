#include "classlib/gui/bar_controls.h"

#include <algorithm>

// ---- TScrollBar --------------------------------------------------------------------------

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csFramed | csDoubleClicks;
    FTabStop = true;
    FWidth = 121;
    FHeight = GetSystemMetrics(SM_CYHSCROLL);
}

void TScrollBar::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClassName = "SCROLLBAR";
    p.Style |= FKind == sbVertical ? SBS_VERT : SBS_HORZ;
}

void TScrollBar::HandleCreated() { UpdateScrollInfo(); }

void TScrollBar::UpdateScrollInfo() {
    if (!HandleAllocated()) return;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = FMin;
    si.nMax = FMax + (FPageSize > 0 ? FPageSize - 1 : 0);
    si.nPage = static_cast<UINT>(FPageSize);
    si.nPos = FPosition;
    SetScrollInfo(FHandle, SB_CTL, &si, TRUE);
}

void TScrollBar::SetKind(TScrollBarKind v) {
    if (v == FKind) return;
    FKind = v;
    if (!IsLoading()) SetBounds(FLeft, FTop, FHeight, FWidth);
    RecreateWnd();
}

void TScrollBar::SetParams(int position, int min, int max) {
    if (max < min) throw EInvalidOperation("Scroll bar property out of range");
    position = std::min(std::max(position, min), max);
    bool moved = position != FPosition;
    FMin = min;
    FMax = max;
    FPosition = position;
    UpdateScrollInfo();
    if (moved) Change();
}

void TScrollBar::SetPageSize(int v) {
    v = std::max(v, 0);
    if (v == FPageSize) return;
    FPageSize = v;
    UpdateScrollInfo();
}

void TScrollBar::Change() {
    if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(WORD code) {
    int position = FPosition;
    switch (code) {
        case SB_LINEUP: position -= FSmallChange; break;
        case SB_LINEDOWN: position += FSmallChange; break;
        case SB_PAGEUP: position -= FLargeChange; break;
        case SB_PAGEDOWN: position += FLargeChange; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: {
            // The 32-bit track position (the message carries only 16 bits).
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_TRACKPOS;
            if (GetScrollInfo(FHandle, SB_CTL, &si)) position = si.nTrackPos;
            break;
        }
        case SB_TOP: position = FMin; break;
        case SB_BOTTOM: position = FMax; break;
        default: return;
    }
    SetPosition(position);
}

void TScrollBar::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CN_HSCROLL:
        case CN_VSCROLL:
            Scroll(LOWORD(m.WParam));
            m.Result = 0;
            return;
        default:
            break;
    }
    TWinControl::WndProc(m);
}
