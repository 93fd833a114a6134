// TCustomForm and TScreen.
#include "classlib/gui/forms.h"

#include <algorithm>

#include "classlib/gui/application.h"
#include "classlib/gui/gui_internal.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/menus.h"

// ---- TScreen -------------------------------------------------------------------------------

int TScreen::GetWidth() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::GetHeight() const { return GetSystemMetrics(SM_CYSCREEN); }

int TScreen::GetPixelsPerInch() const {
    TWindowDC screen(nullptr);
    return screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
}

TRect TScreen::GetWorkAreaRect() const {
    RECT r{0, 0, GetWidth(), GetHeight()};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return FromRECT(r);
}

void TScreen::SetCursor(TCursor cursor) {
    if (cursor == FCursor) return;
    FCursor = cursor;
    POINT p;
    GetCursorPos(&p);
    // Let the window under the mouse choose again.
    SetCursorPos(p.x, p.y);
    if (cursor != crDefault) ::SetCursor(CursorHandle(cursor));
}

void TScreen::AddForm(TCustomForm* form) { FForms.push_back(form); }

void TScreen::SetActiveForm(TCustomForm* form) {
    if (form == FActiveForm) return;
    FActiveForm = form;
    if (OnActiveFormChange) OnActiveFormChange(this);
    FActiveFormWatchers(form);
}

void TScreen::SetActiveControl(TWinControl* control) {
    if (control == FActiveControl) return;
    FActiveControl = control;
    if (OnActiveControlChange) OnActiveControlChange(this);
}

TScreen::TScreen()
    : TComponent(nullptr),
      FLifecycle(ControlLifecycle().Add([this](TLifecycleEvent e, TControl* c) { ControlEvent(e, c); })) {}

void TScreen::ControlEvent(TLifecycleEvent event, TControl* control) {
    if (event == TLifecycleEvent::FocusChanged) {
        SetActiveControl(dynamic_cast<TWinControl*>(control));
        return;
    }
    if (event == TLifecycleEvent::Created) return;
    if (FActiveControl == control) FActiveControl = nullptr;
    if (FActiveForm == control) FActiveForm = nullptr;
    FForms.erase(std::remove_if(FForms.begin(), FForms.end(),
                                [control](TCustomForm* f) { return static_cast<TControl*>(f) == control; }),
                 FForms.end());
}

// ---- TCustomForm -----------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    BeginLoading();   // the derived constructor sets the stored properties
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    FVisible = false;
    FParentFont = false;
    FParentColor = false;
    FColor = clBtnFace;
    FBrush->SetColor(FColor);
    FWidth = 320;
    FHeight = 240;
    Screen->AddForm(this);
    FLifecycle = ControlLifecycle().Add([this](TLifecycleEvent e, TControl* c) { ControlEvent(e, c); });
}

TCustomForm::~TCustomForm() {
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            Application->HandleException(this);
        }
    }
    BeginDestroy();
    if (FFormStyle == fsMDIChild) {
        // While this is still an MDI child: its window goes through the client.
        DestroyComponents();
        DestroyHandle();
    }
}

void TCustomForm::AfterConstruction() {
    if (FConstructed) return;
    FConstructed = true;
    FinishLoading();
    DoCreate();
}

void TCustomForm::DoCreate() {
    if (!OnCreate) return;
    try {
        OnCreate(this);
    } catch (...) {
        Application->HandleException(this);
    }
}

DWORD TCustomForm::WindowStyle() const {
    DWORD s = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    switch (FBorderStyle) {
        case bsNone: s |= WS_POPUP; break;
        case bsSingle: case bsToolWindow: s |= WS_CAPTION | WS_BORDER; break;
        case bsSizeable: case bsSizeToolWin: s |= WS_CAPTION | WS_THICKFRAME; break;
        case bsDialog: s |= WS_POPUP | WS_CAPTION | DS_MODALFRAME; break;
    }
    if (FBorderStyle != bsNone && (FBorderIcons & biSystemMenu)) {
        s |= WS_SYSMENU;
        if (FBorderStyle != bsDialog && FBorderStyle != bsToolWindow && FBorderStyle != bsSizeToolWin) {
            if (FBorderIcons & biMinimize) s |= WS_MINIMIZEBOX;
            if (FBorderIcons & biMaximize) s |= WS_MAXIMIZEBOX;
        }
    }
    if (!FEnabled) s |= WS_DISABLED;
    return s;
}

DWORD TCustomForm::WindowExStyle() const {
    DWORD x = 0;
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) x |= WS_EX_TOOLWINDOW;
    if (FBorderStyle == bsDialog) x |= WS_EX_DLGMODALFRAME;
    if (FFormStyle == fsStayOnTop) x |= WS_EX_TOPMOST;
    if (FBorderStyle != bsNone && (FBorderIcons & biHelp) && !(FBorderIcons & (biMinimize | biMaximize)))
        x |= WS_EX_CONTEXTHELP;
    return x;
}

HWND TCustomForm::ParentWindow() const {
    if (FFormStyle == fsMDIChild) return MDIParentClient();
    if (FModalOwner) return FModalOwner;
    TCustomForm* main = Application->GetMainForm();
    if (main && main != this && main->HandleAllocated()) return main->GetHandleIfAllocated();
    return nullptr;
}

void TCustomForm::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style = WindowStyle();
    p.ExStyle = WindowExStyle();
    p.WndParent = ParentWindow();
    if (FFormStyle == fsMDIChild) {
        // Its own class: the window is made by the MDI client, which runs its procedure first.
        p.WinClassName = AnsiString(ClassName()) + "MDIChild";
        if (FVisible) p.Style |= WS_VISIBLE;
        p.ExStyle |= WS_EX_MDICHILD;
    }
    if (FPosition == poDefault || FPosition == poDefaultPosOnly) {
        p.X = CW_USEDEFAULT;
        p.Y = CW_USEDEFAULT;
    }
    if (FPosition == poDefault || FPosition == poDefaultSizeOnly) {
        p.Width = CW_USEDEFAULT;
        p.Height = CW_USEDEFAULT;
    }
}

void TCustomForm::CreateHandle() {
    AfterConstruction();
    if (HandleAllocated()) return;
    TWinControl::CreateHandle();
    if (!FIcon.Empty()) SetIcon(FIcon.GetHandle());
    ApplyPendingClientSize();
}

void TCustomForm::SetIcon(HICON icon) {
    if (icon != FIcon.GetHandle()) FIcon.SetHandle(icon);
    if (!HandleAllocated()) return;
    SendMessageA(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(FHandle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

// Outer size for a client size, by this form's style.
static SIZE OuterSize(DWORD style, DWORD exStyle, int cw, int ch) {
    RECT r{0, 0, cw, ch};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void TCustomForm::ApplyPendingClientSize() {
    if (!HandleAllocated() || (FPendingClientWidth < 0 && FPendingClientHeight < 0)) return;
    RECT c;
    ::GetClientRect(FHandle, &c);
    int w = FWidth, h = FHeight;
    if (FPendingClientWidth >= 0) w += FPendingClientWidth - (c.right - c.left);
    if (FPendingClientHeight >= 0) h += FPendingClientHeight - (c.bottom - c.top);
    FPendingClientWidth = FPendingClientHeight = -1;
    SetBounds(FLeft, FTop, w, h);
}

void TCustomForm::SetClientSize(int width, int height) {
    if (HandleAllocated()) {
        TWinControl::SetClientSize(width, height);
        return;
    }
    FPendingClientWidth = width;
    FPendingClientHeight = height;
    SIZE s = OuterSize(WindowStyle(), WindowExStyle(), width, height);
    int pw = FPendingClientWidth, ph = FPendingClientHeight;
    SetBounds(FLeft, FTop, s.cx, s.cy);
    FPendingClientWidth = pw;
    FPendingClientHeight = ph;
}

TRect TCustomForm::GetClientRect() const {
    if (HandleAllocated()) return TWinControl::GetClientRect();
    SIZE frame = OuterSize(WindowStyle(), WindowExStyle(), 0, 0);
    int w = FPendingClientWidth >= 0 ? FPendingClientWidth : std::max(0, static_cast<int>(FWidth - frame.cx));
    int h = FPendingClientHeight >= 0 ? FPendingClientHeight : std::max(0, static_cast<int>(FHeight - frame.cy));
    return TRect(0, 0, w, h);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style) {
    if (style == FBorderStyle) return;
    FBorderStyle = style;
    if (HandleAllocated()) RecreateWnd();
    else if (FPendingClientWidth >= 0 || FPendingClientHeight >= 0) SetClientSize(GetClientWidth(), GetClientHeight());
}

void TCustomForm::SetBorderIcons(TBorderIcons icons) {
    if (icons == FBorderIcons) return;
    FBorderIcons = icons;
    if (HandleAllocated()) RecreateWnd();
    else if (FPendingClientWidth >= 0 || FPendingClientHeight >= 0) SetClientSize(GetClientWidth(), GetClientHeight());
}

void TCustomForm::SetFormStyle(TFormStyle style) {
    if (style == FFormStyle) return;
    const bool mdiChange = style == fsMDIForm || style == fsMDIChild || FFormStyle == fsMDIForm ||
                           FFormStyle == fsMDIChild;
    FFormStyle = style;
    if (mdiChange) {
        // The client, or the child's place in one, exists only from creation on.
        if (HandleAllocated()) RecreateWnd();
        return;
    }
    if (HandleAllocated())
        SetWindowPos(FHandle, style == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TWindowState TCustomForm::GetWindowState() const {
    if (HandleAllocated() && IsWindowVisible(FHandle)) {
        if (IsIconic(FHandle)) return wsMinimized;
        if (IsZoomed(FHandle)) return wsMaximized;
        return wsNormal;
    }
    return FWindowState;
}

void TCustomForm::SetWindowState(TWindowState state) {
    FWindowState = state;
    if (HandleAllocated() && IsWindowVisible(FHandle))
        ShowWindow(FHandle, state == wsMaximized ? SW_MAXIMIZE : state == wsMinimized ? SW_MINIMIZE : SW_RESTORE);
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    FActiveControl = control;
    if (control && HandleAllocated() && IsWindowVisible(FHandle) && GetActiveWindow() == FHandle &&
        control->CanFocus())
        ::SetFocus(control->GetHandle());
}

void TCustomForm::FocusChanged(TWinControl* control) {
    FActiveControl = control;
    if (control == FFocusedControl) return;
    TWinControl* old = FFocusedControl;
    FFocusedControl = control;
    if (old) old->Perform(CM_EXIT);
    if (FFocusedControl == control && control) control->Perform(CM_ENTER);
}

void TCustomForm::ControlEvent(TLifecycleEvent event, TControl* control) {
    switch (event) {
        case TLifecycleEvent::FocusChanged:
            if (control != this && !IsDestroying() && GetParentForm(control) == this)
                FocusChanged(static_cast<TWinControl*>(control));
            break;
        case TLifecycleEvent::Destroying:
        case TLifecycleEvent::Destroyed:
            if (FActiveControl == control) FActiveControl = nullptr;
            if (FFocusedControl == control) FFocusedControl = nullptr;
            break;
        case TLifecycleEvent::Created:
            break;
    }
}

bool TCustomForm::Active() const { return HandleAllocated() && GetActiveWindow() == FHandle; }

TCanvas* TCustomForm::GetCanvas() {
    if (!FCanvas) FCanvas = std::make_unique<TControlCanvas>(this);
    return FCanvas.get();
}

void TCustomForm::PaintWindow(HDC dc) {
    if (!OnPaint) return;
    GetCanvas();
    FCanvas->PaintOn(dc, [this] { Paint(); });
}

void TCustomForm::Paint() {
    if (OnPaint) OnPaint(this);
}

bool TCustomForm::Showing() const { return HandleAllocated() && IsWindowVisible(FHandle); }

// ---- showing and closing ------------------------------------------------------------------

void TCustomForm::PlaceOnShow() {
    TRect area(0, 0, Screen->GetWidth(), Screen->GetHeight());
    switch (FPosition) {
        case poMainFormCenter:
        case poOwnerFormCenter: {
            TCustomForm* main = Application->GetMainForm();
            if (main && main != this && main->Showing()) {
                area = main->GetBoundsRect();
                break;
            }
            [[fallthrough]];
        }
        case poScreenCenter:
        case poDesktopCenter:
            break;
        default:
            return;
    }
    SetBounds(area.Left + (area.Width() - FWidth) / 2, area.Top + (area.Height() - FHeight) / 2, FWidth, FHeight);
}

void TCustomForm::ShowWindowNow() {
    int cmd = SW_SHOWNORMAL;
    if (FWindowState == wsMaximized) cmd = SW_SHOWMAXIMIZED;
    else if (FWindowState == wsMinimized) cmd = SW_SHOWMINIMIZED;
    ShowWindow(FHandle, cmd);
    if (FFormStyle == fsMDIChild) {
        // The client activates its children; the frame is the one brought forward.
        if (HWND client = ::GetParent(FHandle)) SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(FHandle), 0);
        if (HWND frame = ::GetParent(::GetParent(FHandle))) SetForegroundWindow(frame);
        return;
    }
    SetForegroundWindow(FHandle);
}

void TCustomForm::Show() {
    SetVisible(true);
    if (HandleAllocated() && IsWindowVisible(FHandle))
        SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TCustomForm::SetVisible(bool visible) {
    if (visible) {
        if (FVisible && HandleAllocated() && IsWindowVisible(FHandle)) return;
        FVisible = true;
        AfterConstruction();
        HandleNeeded();
        PlaceOnShow();
        FFormState |= fsShowing;
        try {
            DoShow();
        } catch (...) {
            Application->HandleException(this);
        }
        FFormState &= ~fsShowing;
        if (!FVisible || !HandleAllocated()) return;   // hidden or freed while showing
        ShowWindowNow();
        if (!FActiveControl) SelectFirst();
    } else {
        if (!FVisible) return;
        FVisible = false;
        try {
            DoHide();
        } catch (...) {
            Application->HandleException(this);
        }
        if (HandleAllocated()) ShowWindow(FHandle, SW_HIDE);
    }
}

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}
void TCustomForm::DoHide() {
    if (OnHide) OnHide(this);
}
void TCustomForm::DoClose(TCloseAction& action) {
    if (OnClose) OnClose(this, action);
}
void TCustomForm::Activate() {
    if (OnActivate) OnActivate(this);
}
void TCustomForm::Deactivate() {
    if (OnDeactivate) OnDeactivate(this);
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close() {
    if (FFormState & fsModal) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    // An MDI child cannot hide from its frame: it shrinks to an icon, as the system's do.
    TCloseAction action = FFormStyle != fsMDIChild ? caHide : (FBorderIcons & biMinimize) ? caMinimize : caNone;
    DoClose(action);
    if (action == caNone) return;
    if (Application->GetMainForm() == this) {
        Application->Terminate();
        return;
    }
    if (action == caHide)
        Hide();
    else if (action == caMinimize)
        SetWindowState(wsMinimized);
    else
        Release();
}

void TCustomForm::CloseModal() {
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    if (action == caNone)
        FModalResult = mrNone;
    else if (action == caFree)
        Release();
}

void TCustomForm::Release() {
    HWND util = Application->GetHandle();
    if (util) PostMessageA(util, gui_internal::WM_PW_RELEASE, 0, reinterpret_cast<LPARAM>(this));
}

namespace {

struct TaskWindows {
    std::vector<HWND> list;
    static BOOL CALLBACK Disable(HWND w, LPARAM p) {
        auto* self = reinterpret_cast<TaskWindows*>(p);
        if (IsWindowVisible(w) && IsWindowEnabled(w)) {
            self->list.push_back(w);
            EnableWindow(w, FALSE);
        }
        return TRUE;
    }
    void DisableAll() { EnumThreadWindows(GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this)); }
    void EnableAll() {
        for (HWND w : list)
            if (IsWindow(w)) EnableWindow(w, TRUE);
        list.clear();
    }
};

}  // namespace

int TCustomForm::ShowModal() {
    if ((FVisible && HandleAllocated() && IsWindowVisible(FHandle)) || !FEnabled || (FFormState & fsModal))
        throw Exception("Cannot make a visible window modal");
    if (GetCapture()) SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    HWND active = GetActiveWindow();
    FFormState |= fsModal;
    FModalOwner = active && active != FHandle ? active : nullptr;
    if (HandleAllocated()) SetWindowLongPtrA(FHandle, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ParentWindow()));
    TaskWindows disabled;
    disabled.DisableAll();
    struct Restore {
        TCustomForm* form;
        TaskWindows& windows;
        HWND active;
        ~Restore() {
            form->FFormState &= ~fsModal;
            form->FModalOwner = nullptr;
            if (form->FVisible) form->Hide();
            windows.EnableAll();
            if (active && IsWindow(active)) SetActiveWindow(active);
        }
    } restore{this, disabled, active};
    Show();
    FModalResult = mrNone;
    do {
        Application->HandleMessage();
        if (Application->GetTerminated())
            FModalResult = mrCancel;
        else if (FModalResult != mrNone)
            CloseModal();
    } while (FModalResult == mrNone);
    return FModalResult;
}

// ---- messages -------------------------------------------------------------------------------

void TCustomForm::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_CLOSE:
            Close();
            return;
        case WM_GETMINMAXINFO: {
            DefaultHandler(m);
            auto* info = reinterpret_cast<MINMAXINFO*>(m.LParam);
            if (FConstraints.GetMinWidth() > 0) info->ptMinTrackSize.x = FConstraints.GetMinWidth();
            if (FConstraints.GetMinHeight() > 0) info->ptMinTrackSize.y = FConstraints.GetMinHeight();
            m.Result = 0;
            return;
        }
        case WM_SYSCOLORCHANGE:
            DefaultHandler(m);
            NotifyControls(CM_SYSCOLORCHANGE);
            return;
        case WM_MDIACTIVATE:
            // An MDI child's activation inside its frame.
            if (FFormStyle == fsMDIChild) {
                if (reinterpret_cast<HWND>(m.LParam) == FHandle) {
                    Activate();
                    MergeChildMenu(MDIFrameOf(this), this);
                } else if (reinterpret_cast<HWND>(m.WParam) == FHandle) {
                    Deactivate();
                    if (!m.LParam) MergeChildMenu(MDIFrameOf(this), nullptr);
                }
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(m.WParam) != WA_INACTIVE) {
                Screen->SetActiveForm(this);
                Activate();
                if (!HIWORD(m.WParam)) {
                    if (FActiveControl && FActiveControl->CanFocus() && FActiveControl->HandleAllocated()) {
                        ::SetFocus(FActiveControl->GetHandleIfAllocated());
                        return;
                    }
                }
            } else {
                Deactivate();
            }
            break;
        case CM_DIALOGKEY: {
            WORD key = static_cast<WORD>(m.WParam);
            switch (key) {
                case VK_TAB:
                    if (GetKeyState(VK_CONTROL) >= 0) {
                        SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
                        m.Result = 1;
                        return;
                    }
                    break;
                case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
                    if (FActiveControl && FActiveControl->GetParent()) {
                        FActiveControl->GetParent()->SelectNext(FActiveControl, key == VK_RIGHT || key == VK_DOWN,
                                                               false);
                        m.Result = 1;
                        return;
                    }
                    break;
                default:
                    break;
            }
            Broadcast(m);
            return;
        }
        default:
            break;
    }
    TWinControl::WndProc(m);
}

TMainMenu* TCustomForm::GetMenu() { return GetFormMenu(this); }
void TCustomForm::SetMenu(TMainMenu* menu) { SetFormMenu(this, menu); }

// ---- MDI ------------------------------------------------------------------------------------

namespace {

// The first command number the MDI client gives the window-menu items of its children (menu
// items of ours stay below it).
const UINT kFirstMDIChildId = 0xFF00;

// The MDI child whose window WM_MDICREATE is making (its first messages arrive before the
// client's answer).
thread_local TCustomForm* tlsMDICreating = nullptr;

}  // namespace

HWND TCustomForm::MDIParentClient() const {
    TCustomForm* main = Application->GetMainForm();
    if (!main || main == this || main->FFormStyle != fsMDIForm)
        throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
    main->HandleNeeded();
    if (!main->FClientHandle) throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
    return main->FClientHandle;
}

LRESULT CALLBACK TCustomForm::MDIChildClassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWinControl* c = FindControl(wnd);
    if (!c) {
        c = tlsMDICreating;
        if (!c) return DefMDIChildProcA(wnd, msg, wParam, lParam);
        tlsMDICreating = nullptr;
        c->Attach(wnd);
    }
    return c->Route(msg, wParam, lParam);
}

void TCustomForm::CreateWnd() {
    if (FFormStyle == fsMDIChild) {
        TCreateParams p;
        CreateParams(p);
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        if (!GetClassInfoExA(gui_internal::Instance(), p.WinClassName.c_str(), &wc)) {
            wc = WNDCLASSEXA{};
            wc.cbSize = sizeof wc;
            wc.style = p.ClassStyle;
            wc.lpfnWndProc = MDIChildClassProc;
            wc.hInstance = gui_internal::Instance();
            wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
            wc.hIcon = LoadIconA(gui_internal::Instance(), "MAINICON");
            if (!wc.hIcon) wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
            wc.lpszClassName = p.WinClassName.c_str();
            if (!RegisterClassExA(&wc)) ThrowLastError(("RegisterClassEx " + p.WinClassName).c_str());
        }
        CreateWindowHandle(p);
        return;
    }
    TWinControl::CreateWnd();
    if (FFormStyle == fsMDIForm) CreateMDIClient();
}

void TCustomForm::CreateWindowHandle(const TCreateParams& p) {
    if (FFormStyle != fsMDIChild) {
        TWinControl::CreateWindowHandle(p);
        return;
    }
    MDICREATESTRUCTA create{};
    create.szClass = p.WinClassName.c_str();
    create.szTitle = p.Caption.c_str();
    create.hOwner = gui_internal::Instance();
    create.x = p.X;
    create.y = p.Y;
    create.cx = p.Width;
    create.cy = p.Height;
    create.style = p.Style & ~static_cast<DWORD>(WS_POPUP);
    TCustomForm* previous = tlsMDICreating;
    tlsMDICreating = this;
    HWND w = reinterpret_cast<HWND>(
        SendMessageA(p.WndParent, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    tlsMDICreating = previous;
    if (!w) ThrowLastError(("WM_MDICREATE " + p.WinClassName).c_str());
    if (!FHandle) Attach(w);
}

void TCustomForm::CreateMDIClient() {
    CLIENTCREATESTRUCT create{};
    TMenu* menu = FWindowMenu ? FWindowMenu->GetParentMenu() : nullptr;
    create.hWindowMenu = menu && menu == GetMenu() ? FWindowMenu->GetHandle() : nullptr;
    create.idFirstChild = kFirstMDIChildId;
    RECT r;
    ::GetClientRect(FHandle, &r);
    FClientHandle = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL,
                                    0, 0, r.right, r.bottom, FHandle, nullptr, gui_internal::Instance(), &create);
    if (!FClientHandle) ThrowLastError("CreateWindowEx MDICLIENT");
    SetWindowPos(FClientHandle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::DestroyWnd() {
    if (FFormStyle == fsMDIChild && FHandle) {
        // Through the client, so that it forgets the child and its window-menu item.
        HWND client = ::GetParent(FHandle);
        if (!IsDestroying()) FText = GetText();
        FControlState |= csDestroyingHandle;
        TCustomForm* frame = MDIFrameOf(this);
        if (client) SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(FHandle), 0);
        // The frame's menu bar drops this one's menu for the next active child's.
        MergeActiveChildMenu(frame);
        if (FHandle && IsWindow(FHandle)) DestroyWindow(FHandle);
        Detach();
        FControlState &= ~csDestroyingHandle;
        return;
    }
    TWinControl::DestroyWnd();
    FClientHandle = nullptr;   // went with the frame
}

void TCustomForm::DefaultHandler(TMessage& m) {
    if (!FHandle) return;
    if (FFormStyle == fsMDIForm) {
        m.Result = DefFrameProcA(FHandle, FClientHandle, m.Msg, m.WParam, m.LParam);
        return;
    }
    if (FFormStyle == fsMDIChild) {
        m.Result = DefMDIChildProcA(FHandle, m.Msg, m.WParam, m.LParam);
        return;
    }
    TWinControl::DefaultHandler(m);
}

void TCustomForm::AlignControls(TControl* control, TRect& rect) {
    TWinControl::AlignControls(control, rect);
    // The client fills what the aligned controls leave.
    if (FClientHandle)
        SetWindowPos(FClientHandle, HWND_BOTTOM, rect.Left, rect.Top, std::max(0, rect.Width()),
                     std::max(0, rect.Height()), SWP_NOACTIVATE);
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == FWindowMenu) {
        FWindowMenu = nullptr;
        if (FClientHandle && !IsDestroying()) {
            SendMessageA(FClientHandle, WM_MDISETMENU, 0, 0);
            DrawMenuBar(FHandle);
        }
    }
}

void TCustomForm::SetWindowMenu(TMenuItem* item) {
    if (item == FWindowMenu) return;
    ReplaceReference(FWindowMenu, item);
    WindowMenuChanged();
}

void TCustomForm::WindowMenuChanged() {
    if (!FClientHandle) return;
    TMenu* menu = FWindowMenu ? FWindowMenu->GetParentMenu() : nullptr;
    HMENU windowMenu = menu && menu == GetMenu() ? FWindowMenu->GetHandle() : nullptr;
    SendMessageA(FClientHandle, WM_MDISETMENU, 0, reinterpret_cast<LPARAM>(windowMenu));
    DrawMenuBar(FHandle);
}

TCustomForm* TCustomForm::GetActiveMDIChild() const {
    if (!FClientHandle) return nullptr;
    auto active = reinterpret_cast<HWND>(SendMessageA(FClientHandle, WM_MDIGETACTIVE, 0, 0));
    return dynamic_cast<TCustomForm*>(FindControl(active));
}

int TCustomForm::MDIChildCount() const {
    int count = 0;
    if (!FClientHandle) return 0;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* f = Screen->Forms(i);
        if (f->FFormStyle == fsMDIChild && f->FHandle && ::GetParent(f->FHandle) == FClientHandle) ++count;
    }
    return count;
}

TCustomForm* TCustomForm::MDIChildren(int index) const {
    if (FClientHandle && index >= 0) {
        for (int i = 0; i < Screen->FormCount(); ++i) {
            TCustomForm* f = Screen->Forms(i);
            if (f->FFormStyle == fsMDIChild && f->FHandle && ::GetParent(f->FHandle) == FClientHandle && index-- == 0)
                return f;
        }
    }
    throw EListError("MDI child index out of bounds");
}

void TCustomForm::Cascade() {
    if (FClientHandle) SendMessageA(FClientHandle, WM_MDICASCADE, 0, 0);
}

void TCustomForm::Tile() {
    if (FClientHandle)
        SendMessageA(FClientHandle, WM_MDITILE, FTileMode == tbHorizontal ? MDITILE_HORIZONTAL : MDITILE_VERTICAL, 0);
}

void TCustomForm::ArrangeIcons() {
    if (FClientHandle) SendMessageA(FClientHandle, WM_MDIICONARRANGE, 0, 0);
}

void TCustomForm::Next() {
    if (FClientHandle) SendMessageA(FClientHandle, WM_MDINEXT, 0, 0);
}

void TCustomForm::Previous() {
    if (FClientHandle) SendMessageA(FClientHandle, WM_MDINEXT, 0, 1);
}
