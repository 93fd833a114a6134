// TControl, the windowless controls, control canvases and the control-finding routines.
#include "classlib/gui/controls.h"

#include <algorithm>

#include "classlib/gui/actions.h"
#include "classlib/gui/application.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/gui_internal.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/lifecycle.h"

namespace {
// A windowless control holding the capture (its parent's window has the system capture).
TControl* gCaptureControl = nullptr;
std::vector<TControlCanvas*> gCanvasesWithDC;
}  // namespace

TShiftState KeysToShiftState(WPARAM keys) {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TShiftState KeyboardShiftState() {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

HCURSOR CursorHandle(TCursor cursor) {
    LPCSTR id = IDC_ARROW;
    switch (cursor) {
        case crNone: return nullptr;
        case crCross: id = IDC_CROSS; break;
        case crIBeam: id = IDC_IBEAM; break;
        case crSizeNESW: id = IDC_SIZENESW; break;
        case crSizeNS: case crVSplit: id = IDC_SIZENS; break;
        case crSizeNWSE: id = IDC_SIZENWSE; break;
        case crSizeWE: case crHSplit: id = IDC_SIZEWE; break;
        case crUpArrow: id = IDC_UPARROW; break;
        case crHourGlass: case crSQLWait: id = IDC_WAIT; break;
        case crNo: case crNoDrop: id = IDC_NO; break;
        case crAppStart: id = IDC_APPSTARTING; break;
        case crHelp: id = IDC_HELP; break;
        case crHandPoint: id = IDC_HAND; break;
        case crSizeAll: id = IDC_SIZEALL; break;
        default: break;
    }
    return LoadCursorA(nullptr, id);
}

// ---- finding controls ----------------------------------------------------------------

TWinControl* FindVCLWindow(const TPoint& screenPos) {
    HWND h = WindowFromPoint(ToPOINT(screenPos));
    while (h) {
        if (TWinControl* c = FindControl(h)) return c;
        h = GetAncestor(h, GA_PARENT);
    }
    return nullptr;
}

TControl* FindDragTarget(const TPoint& screenPos, bool allowDisabled) {
    TWinControl* w = FindVCLWindow(screenPos);
    if (!w) return nullptr;
    TControl* c = w->ControlAtPos(w->ScreenToClient(screenPos), allowDisabled);
    return c ? c : w;
}

TCustomForm* GetParentForm(TControl* control) {
    while (control && control->GetParent()) control = control->GetParent();
    return dynamic_cast<TCustomForm*>(control);
}

TControl* GetCaptureControl() {
    TWinControl* w = FindControl(GetCapture());
    if (w && gCaptureControl && gCaptureControl->GetParent() == w) return gCaptureControl;
    return w;
}

void SetCaptureControl(TControl* control) {
    gCaptureControl = nullptr;
    ReleaseCapture();
    if (!control) return;
    auto* w = dynamic_cast<TWinControl*>(control);
    if (!w) {
        if (!control->GetParent()) return;
        gCaptureControl = control;
        w = control->GetParent();
    }
    SetCapture(w->GetHandle());
}

// A windowless control that goes away no longer holds the capture.
static const TSubscription gCaptureForgetsControls = ControlLifecycle().Add([](TLifecycleEvent e, TControl* c) {
    if ((e == TLifecycleEvent::Destroying || e == TLifecycleEvent::Destroyed) && gCaptureControl == c)
        gCaptureControl = nullptr;
});

// ---- TControl -------------------------------------------------------------------------

TControl::TControl(TComponent* owner) : TComponent(owner), FFont(std::make_unique<TFont>()) {
    // Once destruction has begun the object is coming apart: its own handlers no longer run.
    WindowProc = [this](TMessage& m) {
        if (IsDestroying())
            DefaultHandler(m);
        else
            WndProc(m);
    };
    FFont->OnChange = [this](TObject*) { FontChanged(); };
    ControlLifecycle()(TLifecycleEvent::Created, this);
}

TControl::~TControl() {
    BeginDestroy();
    FActionLink.reset();
    DestroyComponents();
    if (FParent) FParent->RemoveControl(this);
    FWindowProcChain.OwnerGone();
    ControlLifecycle()(TLifecycleEvent::Destroyed, this);
}

void TControl::Destroying() { ControlLifecycle()(TLifecycleEvent::Destroying, this); }

void TControl::Dispatch(TMessage& m) {
    if (WindowProc)
        FWindowProcChain.Call(m);
    else if (IsDestroying())
        DefaultHandler(m);
    else
        WndProc(m);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m;
    m.Msg = msg;
    m.WParam = wParam;
    m.LParam = lParam;
    Dispatch(m);
    return m.Result;
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
            HandleMouseMessage(m);
            return;
        case WM_SETTEXT:
            if (dynamic_cast<TWinControl*>(this) && static_cast<TWinControl*>(this)->HandleAllocated()) break;
            FText = m.LParam ? reinterpret_cast<const char*>(m.LParam) : "";
            m.Result = TRUE;
            return;
        case WM_GETTEXTLENGTH:
            if (dynamic_cast<TWinControl*>(this) && static_cast<TWinControl*>(this)->HandleAllocated()) break;
            m.Result = static_cast<LRESULT>(FText.size());
            return;
        case WM_GETTEXT:
            if (dynamic_cast<TWinControl*>(this) && static_cast<TWinControl*>(this)->HandleAllocated()) break;
            if (m.WParam > 0 && m.LParam) {
                size_t n = std::min<size_t>(FText.size(), static_cast<size_t>(m.WParam) - 1);
                std::copy(FText.begin(), FText.begin() + static_cast<std::ptrdiff_t>(n), reinterpret_cast<char*>(m.LParam));
                reinterpret_cast<char*>(m.LParam)[n] = 0;
                m.Result = static_cast<LRESULT>(n);
            }
            return;
        case CM_MOUSEENTER:
            if (m.LParam == 0 && OnMouseEnter) OnMouseEnter(this);
            return;
        case CM_MOUSELEAVE:
            if (m.LParam == 0 && OnMouseLeave) OnMouseLeave(this);
            return;
        case CM_VISIBLECHANGED:
        case CM_ENABLEDCHANGED:
        case CM_TEXTCHANGED:
        case CM_COLORCHANGED:
        case CM_FONTCHANGED:
            Invalidate();
            return;
        case CM_PARENTFONTCHANGED:
            if (FParentFont && FParent) {
                FAdoptingParentFont = true;
                FFont->Assign(FParent->GetFont());
                FAdoptingParentFont = false;
            }
            return;
        case CM_PARENTCOLORCHANGED:
            if (FParentColor && FParent && FColor != FParent->GetColor()) {
                FColor = FParent->GetColor();
                Perform(CM_COLORCHANGED);
            }
            return;
        case CM_HITTEST:
            m.Result = HTCLIENT;
            return;
        default:
            break;
    }
    DefaultHandler(m);
}

void TControl::HandleMouseMessage(TMessage& m) {
    if (!(FControlStyle & csDoubleClicks)) {
        if (m.Msg == WM_LBUTTONDBLCLK) m.Msg = WM_LBUTTONDOWN;
        else if (m.Msg == WM_RBUTTONDBLCLK) m.Msg = WM_RBUTTONDOWN;
        else if (m.Msg == WM_MBUTTONDBLCLK) m.Msg = WM_MBUTTONDOWN;
    }
    DefaultHandler(m);
    int x = m.XPos(), y = m.YPos();
    TShiftState shift = KeysToShiftState(m.WParam);
    switch (m.Msg) {
        case WM_MOUSEMOVE:
            MouseMove(shift, x, y);
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (FControlStyle & csCaptureMouse) SetMouseCapture(true);
            if (m.Msg == WM_LBUTTONDBLCLK) {
                if (FControlStyle & csClickEvents) DblClick();
                shift |= ssDouble;
            } else if (FControlStyle & csClickEvents) {
                FControlState |= csClicked;
            }
            MouseDown(mbLeft, shift, x, y);
            break;
        case WM_LBUTTONUP: {
            if (FControlStyle & csCaptureMouse) SetMouseCapture(false);
            bool clicked = (FControlState & csClicked) != 0;
            FControlState &= ~csClicked;
            if (clicked && GetClientRect().Contains(TPoint(x, y))) Click();
            MouseUp(mbLeft, shift, x, y);
            break;
        }
        case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK:
        case WM_RBUTTONUP: case WM_MBUTTONUP: {
            TMouseButton button = m.Msg <= WM_RBUTTONDBLCLK ? mbRight : mbMiddle;
            if (m.Msg == WM_RBUTTONUP || m.Msg == WM_MBUTTONUP)
                MouseUp(button, shift, x, y);
            else
                MouseDown(button, (m.Msg == WM_RBUTTONDBLCLK || m.Msg == WM_MBUTTONDBLCLK) ? shift | ssDouble : shift, x, y);
            break;
        }
        default:
            break;
    }
}

void TControl::Click() {
    if (OnClick)
        OnClick(this);
    else if (FActionLink)
        FActionLink->Execute(this);
}

// ---- the control's action --------------------------------------------------------------------

TBasicAction* TControl::GetAction() const { return FActionLink ? FActionLink->GetAction() : nullptr; }

void TControl::SetAction(TBasicAction* action) {
    TBasicAction* old = GetAction();
    if (old && old != action) old->RemoveFreeNotification(this);
    if (!action) {
        FActionLink.reset();
        FControlStyle &= ~csActionClient;
        return;
    }
    FControlStyle |= csActionClient;
    if (!FActionLink) FActionLink = CreateActionLink();
    FActionLink->SetAction(action);
    FActionLink->OnChange = [this](TObject* sender) {
        if (sender == GetAction()) ActionChange(sender, false);
    };
    // The click now runs the action; an OnClick assigned later takes it back. A loading action
    // keeps the handler the form already gave.
    if (!action->IsLoading()) OnClick = nullptr;
    ActionChange(action, action->IsLoading());
    action->FreeNotification(this);
}

std::unique_ptr<TControlActionLink> TControl::CreateActionLink() { return std::make_unique<TControlActionLink>(this); }

void TControl::ActionChange(TObject* sender, bool checkDefaults) {
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action) return;
    if (!checkDefaults || GetCaption().empty() || GetCaption() == GetName()) SetCaption(action->GetCaption());
    if (!checkDefaults || GetEnabled()) SetEnabled(action->GetEnabled());
    if (!checkDefaults || GetHint().empty()) SetHint(action->GetHint());
    if (!checkDefaults || GetVisible()) SetVisible(action->GetVisible());
}

void TControl::InitiateAction() {
    if (FActionLink) FActionLink->Update();
}

void TControl::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component != nullptr && component == GetAction()) SetAction(nullptr);
}
void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}
void TControl::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, b, s, x, y);
}
void TControl::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, b, s, x, y);
}
void TControl::MouseMove(TShiftState s, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, s, x, y);
}
void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == FParent) return;
    if (parent == this) throw Exception("A control cannot have itself as its parent");
    if (FParent) FParent->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    bool sized = width != FWidth || height != FHeight;
    Invalidate();
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    Invalidate();
    RequestAlign();
    if (sized && !IsLoading()) Resize();
}

TRect TControl::GetClientRect() const { return TRect(0, 0, FWidth, FHeight); }

void TControl::SetClientSize(int width, int height) {
    TRect c = GetClientRect();
    SetBounds(FLeft, FTop, FWidth - c.Width() + width, FHeight - c.Height() + height);
}

TPoint TControl::ClientOrigin() const {
    if (!FParent) return TPoint(FLeft, FTop);
    TPoint p = FParent->ClientOrigin();
    return TPoint(p.X + FLeft, p.Y + FTop);
}

TPoint TControl::ClientToScreen(const TPoint& p) const {
    TPoint o = ClientOrigin();
    return TPoint(p.X + o.X, p.Y + o.Y);
}

TPoint TControl::ScreenToClient(const TPoint& p) const {
    TPoint o = ClientOrigin();
    return TPoint(p.X - o.X, p.Y - o.Y);
}

void TControl::SetVisible(bool visible) {
    if (visible == FVisible) return;
    FVisible = visible;
    Perform(CM_VISIBLECHANGED, visible ? 1 : 0);
    RequestAlign();
}

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    Perform(CM_ENABLEDCHANGED);
}

AnsiString TControl::GetText() const {
    auto* self = const_cast<TControl*>(this);
    auto len = static_cast<size_t>(self->Perform(WM_GETTEXTLENGTH));
    if (len == 0) return AnsiString();
    AnsiString buf(len + 1, '\0');
    auto got = static_cast<size_t>(self->Perform(WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(&buf[0])));
    buf.resize(std::min(got, len));
    return buf;
}

void TControl::SetText(const AnsiString& text) {
    if (GetText() == text) return;
    SetTextBuf(text);
    Perform(CM_TEXTCHANGED);
}

void TControl::SetTextBuf(const AnsiString& text) { Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); }

void TControl::FontChanged() {
    if (!FAdoptingParentFont) FParentFont = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool value) {
    FParentFont = value;
    if (value) Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetColor(TColor color) {
    FParentColor = false;
    if (color == FColor) return;
    FColor = color;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
    FParentColor = value;
    if (value) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetCtl3D(bool value) {
    if (value == FCtl3D) return;
    FCtl3D = value;
    Perform(CM_CTL3DCHANGED);
}

void TControl::SetAlign(TAlign align) {
    if (align == FAlign) return;
    FAlign = align;
    RequestAlign();
}

void TControl::SetBiDiMode(TBiDiMode mode) {
    if (mode == FBiDiMode) return;
    FBiDiMode = mode;
    Invalidate();
}

UINT TControl::DrawTextBiDiModeFlags(UINT flags) const {
    if (UseRightToLeftAlignment()) {
        // DT_LEFT is 0: left becomes DT_RIGHT, DT_RIGHT becomes left.
        if (flags & DT_RIGHT) flags &= ~static_cast<UINT>(DT_RIGHT);
        else if (!(flags & DT_CENTER)) flags |= DT_RIGHT;
    }
    if (UseRightToLeftReading()) flags |= DT_RTLREADING;
    return flags;
}

void TControl::SetCursor(TCursor cursor) {
    if (cursor == FCursor) return;
    FCursor = cursor;
    Perform(CM_CURSORCHANGED);
}

void TControl::RequestAlign() {
    if (FParent && FAlign != alNone) FParent->Realign();
}

bool TControl::GetMouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool value) {
    if (GetMouseCapture() == value) return;
    SetCaptureControl(value ? this : nullptr);
}

void TControl::Invalidate() {
    if (!FParent || !FParent->HandleAllocated()) return;
    RECT r = ToRECT(GetBoundsRect());
    InvalidateRect(FParent->GetHandleIfAllocated(), &r, (FControlStyle & csOpaque) ? FALSE : TRUE);
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::Update() {
    if (FParent) FParent->Update();
}

void TControl::SetZOrder(bool topMost) {
    if (!FParent) return;
    auto& list = FParent->FControls;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (topMost)
        list.push_back(this);
    else
        list.insert(list.begin(), this);
    Invalidate();
}

// ---- TGraphicControl ------------------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}
TGraphicControl::~TGraphicControl() = default;

TCanvas* TGraphicControl::GetCanvas() {
    if (!FCanvas) FCanvas = std::make_unique<TControlCanvas>(this);
    return FCanvas.get();
}

void TGraphicControl::WndProc(TMessage& m) {
    if (m.Msg == WM_PAINT && m.WParam) {
        // The parent paints its windowless children with the DC already moved and clipped.
        GetCanvas();
        FCanvas->PaintOn(reinterpret_cast<HDC>(m.WParam), [this] { Paint(); });
        return;
    }
    TControl::WndProc(m);
}

// ---- TCustomControl -----------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}
TCustomControl::~TCustomControl() = default;

TCanvas* TCustomControl::GetCanvas() {
    if (!FCanvas) FCanvas = std::make_unique<TControlCanvas>(this);
    return FCanvas.get();
}

void TCustomControl::PaintWindow(HDC dc) {
    GetCanvas();
    FCanvas->PaintOn(dc, [this] { Paint(); });
}

// ---- TControlCanvas -----------------------------------------------------------------------

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::PaintOn(HDC dc, const std::function<void()>& paint) {
    FreeHandle();
    SetHandle(dc);
    try {
        paint();
    } catch (...) {
        SetHandle(nullptr);
        throw;
    }
    SetHandle(nullptr);
}

void TControlCanvas::CreateHandle() {
    HWND wnd = nullptr;
    TPoint offset;
    TRect clip;
    if (auto* w = dynamic_cast<TWinControl*>(FControl)) {
        wnd = w->GetHandle();
    } else if (FControl->GetParent()) {
        wnd = FControl->GetParent()->GetHandle();
        offset = TPoint(FControl->GetLeft(), FControl->GetTop());
        clip = TRect(0, 0, FControl->GetWidth(), FControl->GetHeight());
    }
    if (!wnd) return;
    HDC dc = GetDCEx(wnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    if (!dc) return;
    if (!dynamic_cast<TWinControl*>(FControl)) {
        SetViewportOrgEx(dc, offset.X, offset.Y, nullptr);
        IntersectClipRect(dc, clip.Left, clip.Top, clip.Right, clip.Bottom);
    }
    FWindow = wnd;
    FOwnsDC = true;
    gui_internal::CountGdiObject(1);
    SetHandle(dc);
    gCanvasesWithDC.push_back(this);
}

void TControlCanvas::FreeHandle() {
    if (!FOwnsDC) return;
    HDC dc = FHandle;
    SetHandle(nullptr);
    ReleaseDC(FWindow, dc);
    gui_internal::CountGdiObject(-1);
    FOwnsDC = false;
    FWindow = nullptr;
    gCanvasesWithDC.erase(std::remove(gCanvasesWithDC.begin(), gCanvasesWithDC.end(), this), gCanvasesWithDC.end());
}

void TControlCanvas::FreeDeviceContexts() {
    while (!gCanvasesWithDC.empty()) gCanvasesWithDC.back()->FreeHandle();
}
