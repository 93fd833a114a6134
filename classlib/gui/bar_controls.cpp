#include "classlib/gui/bar_controls.h"

#include <commctrl.h>

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

// ---- TTrackBar -----------------------------------------------------------------------------

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks;
    FTabStop = true;
    FWidth = 150;
    FHeight = 45;
}

void TTrackBar::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClassName = TRACKBAR_CLASSA;
    p.Style |= TBS_ENABLESELRANGE | (FOrientation == trVertical ? TBS_VERT : TBS_HORZ);
    if (FTickStyle == tsNone) p.Style |= TBS_NOTICKS;
    if (FTickStyle == tsAuto) p.Style |= TBS_AUTOTICKS;
    if (FTickMarks == tmBoth) p.Style |= TBS_BOTH;
    if (FTickMarks == tmTopLeft) p.Style |= TBS_TOP;   // TBS_LEFT for a vertical bar: the same bit
}

void TTrackBar::HandleCreated() { WriteSettings(); }

void TTrackBar::WriteSettings() {
    if (!HandleAllocated()) return;
    SendMessageA(FHandle, TBM_SETRANGEMIN, FALSE, FMin);
    SendMessageA(FHandle, TBM_SETRANGEMAX, FALSE, FMax);
    SendMessageA(FHandle, TBM_SETTICFREQ, static_cast<WPARAM>(FFrequency), 0);
    SendMessageA(FHandle, TBM_SETLINESIZE, 0, FLineSize);
    SendMessageA(FHandle, TBM_SETPAGESIZE, 0, FPageSize);
    if (FSelStart < FSelEnd)
        SendMessageA(FHandle, TBM_SETSEL, FALSE, MAKELPARAM(FSelStart, FSelEnd));
    else
        SendMessageA(FHandle, TBM_CLEARSEL, FALSE, 0);
    SendMessageA(FHandle, TBM_SETPOS, TRUE, FPosition);
}

void TTrackBar::SetOrientation(TTrackBarOrientation v) {
    if (v == FOrientation) return;
    FOrientation = v;
    if (!IsLoading()) SetBounds(FLeft, FTop, FHeight, FWidth);
    RecreateWnd();
}

void TTrackBar::SetMin(int v) {
    FMin = v;
    if (FMax < FMin) FMax = FMin;
    WriteSettings();
    SetPosition(FPosition);
}

void TTrackBar::SetMax(int v) {
    FMax = v;
    if (FMin > FMax) FMin = FMax;
    WriteSettings();
    SetPosition(FPosition);
}

int TTrackBar::GetPosition() const {
    if (HandleAllocated()) return static_cast<int>(SendMessageA(FHandle, TBM_GETPOS, 0, 0));
    return FPosition;
}

void TTrackBar::SetPosition(int v) {
    v = std::min(std::max(v, FMin), FMax);
    if (HandleAllocated()) SendMessageA(FHandle, TBM_SETPOS, TRUE, v);
    if (v == FPosition) return;
    FPosition = v;
    Changed();
}

void TTrackBar::SetFrequency(int v) {
    FFrequency = std::max(v, 1);
    WriteSettings();
}

void TTrackBar::SetLineSize(int v) {
    FLineSize = v;
    WriteSettings();
}

void TTrackBar::SetPageSize(int v) {
    FPageSize = v;
    WriteSettings();
}

void TTrackBar::SetSelStart(int v) {
    FSelStart = v;
    WriteSettings();
    Invalidate();
}

void TTrackBar::SetSelEnd(int v) {
    FSelEnd = v;
    WriteSettings();
    Invalidate();
}

void TTrackBar::SetTickStyle(TTickStyle v) {
    if (v == FTickStyle) return;
    FTickStyle = v;
    RecreateWnd();
}

void TTrackBar::SetTickMarks(TTickMark v) {
    if (v == FTickMarks) return;
    FTickMarks = v;
    RecreateWnd();
}

void TTrackBar::SetTick(int value) {
    if (HandleAllocated()) SendMessageA(FHandle, TBM_SETTIC, 0, value);
}

void TTrackBar::Changed() {
    if (OnChange) OnChange(this);
}

void TTrackBar::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CN_HSCROLL:
        case CN_VSCROLL: {
            int position = static_cast<int>(SendMessageA(FHandle, TBM_GETPOS, 0, 0));
            if (position != FPosition) {
                FPosition = position;
                Changed();
            }
            m.Result = 0;
            return;
        }
        default:
            break;
    }
    TWinControl::WndProc(m);
}

// ---- TCustomUpDown -----------------------------------------------------------------------------

TCustomUpDown::TCustomUpDown(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csCaptureMouse | csDoubleClicks;
    FWidth = GetSystemMetrics(SM_CXVSCROLL);
    FHeight = 25;
}

TCustomUpDown::~TCustomUpDown() {
    if (FAssociate) FAssociate->RemoveFreeNotification(this);
}

void TCustomUpDown::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClassName = UPDOWN_CLASSA;
    p.Style |= UDS_SETBUDDYINT | UDS_NOTHOUSANDS | (FAlignButton == udRight ? UDS_ALIGNRIGHT : UDS_ALIGNLEFT);
    if (FOrientation == udHorizontal) p.Style |= UDS_HORZ;
    if (FArrowKeys) p.Style |= UDS_ARROWKEYS;
    if (FWrap) p.Style |= UDS_WRAP;
}

void TCustomUpDown::HandleCreated() {
    // The associate first: setting the position writes it into the associate.
    if (FAssociate) SendMessageA(FHandle, UDM_SETBUDDY, reinterpret_cast<WPARAM>(FAssociate->GetHandle()), 0);
    WriteSettings();
}

void TCustomUpDown::WriteSettings() {
    if (!HandleAllocated()) return;
    SendMessageA(FHandle, UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
    UDACCEL accel{0, static_cast<UINT>(std::max(FIncrement, 1))};
    SendMessageA(FHandle, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
    SendMessageA(FHandle, UDM_SETPOS32, 0, FPosition);
}

void TCustomUpDown::SetOrientation(TUDOrientation v) {
    if (v == FOrientation) return;
    FOrientation = v;
    if (!IsLoading()) SetBounds(FLeft, FTop, FHeight, FWidth);
    RecreateWnd();
}

void TCustomUpDown::SetMin(int v) {
    FMin = v;
    if (FMax < FMin) FMax = FMin;
    FPosition = std::min(std::max(FPosition, FMin), FMax);
    WriteSettings();
}

void TCustomUpDown::SetMax(int v) {
    FMax = v;
    if (FMin > FMax) FMin = FMax;
    FPosition = std::min(std::max(FPosition, FMin), FMax);
    WriteSettings();
}

int TCustomUpDown::GetPosition() const {
    if (!HandleAllocated()) return FPosition;
    // The window's value stands even when it reports that the associate's text is no number
    // (some systems report that for an up-down without associate too).
    return static_cast<int>(SendMessageA(FHandle, UDM_GETPOS32, 0, 0));
}

void TCustomUpDown::SetPosition(int v) {
    FPosition = std::min(std::max(v, FMin), FMax);
    if (HandleAllocated()) SendMessageA(FHandle, UDM_SETPOS32, 0, FPosition);
}

void TCustomUpDown::SetIncrement(int v) {
    FIncrement = v;
    WriteSettings();
}

void TCustomUpDown::SetWrap(bool v) {
    if (v == FWrap) return;
    FWrap = v;
    RecreateWnd();
}

void TCustomUpDown::SetArrowKeys(bool v) {
    if (v == FArrowKeys) return;
    FArrowKeys = v;
    RecreateWnd();
}

void TCustomUpDown::SetAlignButton(TUDAlignButton v) {
    if (v == FAlignButton) return;
    FAlignButton = v;
    RecreateWnd();
}

void TCustomUpDown::SetAssociate(TWinControl* control) {
    if (control == FAssociate) return;
    if (control == this) throw EInvalidOperation("An up-down cannot be associated with itself");
    ReplaceReference(FAssociate, control);
    if (!HandleAllocated()) return;
    SendMessageA(FHandle, UDM_SETBUDDY, control ? reinterpret_cast<WPARAM>(control->GetHandle()) : 0, 0);
    if (control) SendMessageA(FHandle, UDM_SETPOS32, 0, FPosition);
    UpdateBounds();
}

void TCustomUpDown::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == FAssociate) {
        FAssociate = nullptr;
        if (HandleAllocated()) SendMessageA(FHandle, UDM_SETBUDDY, 0, 0);
    }
}

void TCustomUpDown::ButtonClicked(TUDBtnType button) {
    if (OnClick) OnClick(this, button);
}

void TCustomUpDown::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CN_NOTIFY: {
            auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
            if (hdr->code == static_cast<UINT>(UDN_DELTAPOS)) FLastDelta = reinterpret_cast<NMUPDOWN*>(m.LParam)->iDelta;
            m.Result = 0;
            return;
        }
        case CN_HSCROLL:
        case CN_VSCROLL:
            if (LOWORD(m.WParam) == SB_THUMBPOSITION) {
                FPosition = GetPosition();
                ButtonClicked(FLastDelta >= 0 ? btNext : btPrev);
            }
            m.Result = 0;
            return;
        default:
            break;
    }
    TWinControl::WndProc(m);
}
