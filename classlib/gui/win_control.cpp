// TWinControl: the object behind a window, and the window procedures that lead to it.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "classlib/gui/application.h"
#include "classlib/gui/controls.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/gui_internal.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/lifecycle.h"
#include "classlib/thread_sync.h"

namespace {

const UINT_PTR kSubclassId = 0x5057;   // ours among the window's subclasses

// Our windows and their controls. A window property would do, but under Wine every look at
// one is a round trip to the server, and every message that reaches one of our windows looks.
class TControlTable {
public:
    void Add(HWND wnd, TWinControl* control) {
        std::lock_guard<TLightMutex> guard(FLock);
        FControls[wnd] = control;
    }
    void Remove(HWND wnd, const TWinControl* control) {
        std::lock_guard<TLightMutex> guard(FLock);
        const auto it = FControls.find(wnd);
        if (it != FControls.end() && it->second == control) FControls.erase(it);
    }
    TWinControl* Find(HWND wnd) {
        std::lock_guard<TLightMutex> guard(FLock);
        const auto it = FControls.find(wnd);
        return it == FControls.end() ? nullptr : it->second;
    }

private:
    TLightMutex FLock;   // windows of other threads are looked up too (hooks)
    std::unordered_map<HWND, TWinControl*> FControls;
};

// Never freed: windows may still go while static objects are destroyed at the program's end.
TControlTable& ControlTable() {
    static TControlTable* table = new TControlTable;
    return *table;
}

// The control whose window of our own class is being made (its first messages arrive before
// CreateWindowEx returns).
thread_local TWinControl* tlsCreating = nullptr;

}  // namespace

HINSTANCE gui_internal::Instance() { return GetModuleHandleA(nullptr); }

void gui_internal::EnsureCommonControls() {
    static bool done = false;
    if (done) return;
    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX),
                             ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES |
                                 ICC_BAR_CLASSES | ICC_USEREX_CLASSES | ICC_DATE_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&icc);
    done = true;
}

TWinControl* FindControl(HWND wnd) { return wnd ? ControlTable().Find(wnd) : nullptr; }

// The two window procedures: one for the classes we register, one for subclassed system windows.
struct WindowRouting {
    static LRESULT CALLBACK OwnClassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        TWinControl* c = FindControl(wnd);
        if (!c) {
            c = tlsCreating;
            if (!c) return DefWindowProcA(wnd, msg, wParam, lParam);
            tlsCreating = nullptr;
            c->Attach(wnd);
        }
        return c->Route(msg, wParam, lParam);
    }

    static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
        auto* c = reinterpret_cast<TWinControl*>(ref);
        if (!c || c->FHandle != wnd) return DefSubclassProc(wnd, msg, wParam, lParam);
        return c->Route(msg, wParam, lParam);
    }
};

LRESULT TWinControl::Route(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m;
    m.Msg = msg;
    m.WParam = wParam;
    m.LParam = lParam;
    ++FSubclassDepth;
    try {
        Dispatch(m);
    } catch (...) {
        Application->HandleException(this);
    }
    --FSubclassDepth;
    if (msg == WM_NCDESTROY) Detach();
    return m.Result;
}

void TWinControl::Attach(HWND wnd) {
    FHandle = wnd;
    ControlTable().Add(wnd, this);
}

void TWinControl::Detach() {
    if (!FHandle) return;
    ControlTable().Remove(FHandle, this);
    if (FSubclassed) RemoveWindowSubclass(FHandle, WindowRouting::SubclassProc, kSubclassId);
    FHandle = nullptr;
    FTrackingMouse = false;
}

void TWinControl::DefaultHandler(TMessage& m) {
    if (!FHandle) return;
    if (FSubclassed) {
        // Inside our subclass procedure the chain continues; elsewhere (Perform) the class's own
        // procedure answers.
        if (FSubclassDepth > 0)
            m.Result = DefSubclassProc(FHandle, m.Msg, m.WParam, m.LParam);
        else
            m.Result = CallWindowProcA(FClassWndProc, FHandle, m.Msg, m.WParam, m.LParam);
    } else {
        m.Result = DefWindowProcA(FHandle, m.Msg, m.WParam, m.LParam);
    }
}

// ---- construction and destruction ----------------------------------------------------

TWinControl::TWinControl(TComponent* owner) : TControl(owner), FBrush(std::make_unique<TBrush>()) {
    FBrush->SetColor(FColor);
}

// The owner frees a control; a parent only shows it. Children still here when the parent goes
// belong to someone else: they lose their window and their parent, and live on.
TWinControl::~TWinControl() {
    BeginDestroy();
    DestroyComponents();
    DestroyHandle();
    while (!FControls.empty()) RemoveControl(FControls.back());
    if (FParent) FParent->RemoveControl(this);
}

// ---- windows --------------------------------------------------------------------------

HWND TWinControl::GetHandle() {
    if (!FHandle) CreateHandle();
    return FHandle;
}

HWND TWinControl::ParentWindow() const { return FParent ? FParent->FHandle : nullptr; }

void TWinControl::CreateParams(TCreateParams& p) {
    p.Caption = FText;
    p.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (FControlStyle & csAcceptsControls) p.Style |= WS_CLIPCHILDREN;
    if (FVisible) p.Style |= WS_VISIBLE;
    if (!FEnabled) p.Style |= WS_DISABLED;
    if (FTabStop) p.Style |= WS_TABSTOP;
    p.X = FLeft;
    p.Y = FTop;
    p.Width = FWidth;
    p.Height = FHeight;
    p.WndParent = ParentWindow();
    p.WinClassName = ClassName();
    p.ClassStyle = CS_HREDRAW | CS_VREDRAW | ((FControlStyle & csDoubleClicks) ? CS_DBLCLKS : 0);
}

void TWinControl::CreateHandle() {
    if (FHandle) return;
    if (FParent && !FParent->FHandle) {
        FParent->CreateHandle();   // makes ours too
        if (FHandle) return;
    }
    FControlState |= csCreating;
    try {
        CreateWnd();
    } catch (...) {
        FControlState &= ~csCreating;
        throw;
    }
    FControlState &= ~csCreating;
    if (FParent) SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->GetHandle()), 0);
    UpdateBounds();
    HandleCreated();
    for (size_t i = 0; i < FControls.size(); ++i)
        if (auto* w = dynamic_cast<TWinControl*>(FControls[i])) w->CreateHandle();
    Realign();
}

void TWinControl::CreateWnd() {
    TCreateParams p;
    CreateParams(p);
    if ((p.Style & WS_CHILD) && !p.WndParent)
        throw Exception("Control '" + GetName() + "' has no parent window");
    if (p.SystemClassName.empty()) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        if (!GetClassInfoExA(gui_internal::Instance(), p.WinClassName.c_str(), &wc)) {
            wc = WNDCLASSEXA{};
            wc.cbSize = sizeof wc;
            wc.style = p.ClassStyle;
            wc.lpfnWndProc = WindowRouting::OwnClassProc;
            wc.hInstance = gui_internal::Instance();
            wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
            wc.hIcon = LoadIconA(gui_internal::Instance(), "MAINICON");
            if (!wc.hIcon) wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
            wc.lpszClassName = p.WinClassName.c_str();
            if (!RegisterClassExA(&wc)) ThrowLastError(("RegisterClassEx " + p.WinClassName).c_str());
        }
    } else {
        gui_internal::EnsureCommonControls();
    }
    CreateWindowHandle(p);
}

void TWinControl::CreateWindowHandle(const TCreateParams& p) {
    static unsigned nextId = 100;
    HMENU id = (p.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nextId++ & 0x7FFF)) : nullptr;
    if (p.SystemClassName.empty()) {
        TWinControl* previous = tlsCreating;
        tlsCreating = this;
        HWND w = CreateWindowExA(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y, p.Width,
                                 p.Height, p.WndParent, id, gui_internal::Instance(), nullptr);
        tlsCreating = previous;
        if (!w) ThrowLastError(("CreateWindowEx " + p.WinClassName).c_str());
        if (!FHandle) Attach(w);
    } else {
        HWND w = CreateWindowExA(p.ExStyle, p.SystemClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y,
                                 p.Width, p.Height, p.WndParent, id, gui_internal::Instance(), nullptr);
        if (!w) ThrowLastError(("CreateWindowEx " + p.SystemClassName).c_str());
        FClassWndProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC));
        Attach(w);
        if (!SetWindowSubclass(w, WindowRouting::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
            Detach();
            DestroyWindow(w);
            throw EOSError("Cannot subclass window");
        }
        FSubclassed = true;
    }
}

void TWinControl::DestroyHandle() {
    if (!FHandle) return;
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
    DestroyWnd();
}

void TWinControl::DestroyWnd() {
    if (!FHandle) return;
    if (!IsDestroying()) FText = GetText();
    FControlState |= csDestroyingHandle;
    HWND w = FHandle;
    DestroyWindow(w);
    Detach();   // in case the window was already gone
    FControlState &= ~csDestroyingHandle;
}

void TWinControl::RecreateWnd() {
    if (!FHandle) return;
    bool focused = Focused();
    bool shown = IsWindowVisible(FHandle) != FALSE;
    DestroyHandle();
    CreateHandle();
    if (shown && !IsWindowVisible(FHandle)) ShowWindow(FHandle, SW_SHOWNA);
    if (focused) ::SetFocus(FHandle);
    // Listeners on the window procedure (a form's skin) take up the new window.
    Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::UpdateBounds() {
    if (!FHandle || IsIconic(FHandle)) return;
    RECT r;
    if (!GetWindowRect(FHandle, &r)) return;
    HWND parent = (GetWindowLongPtrA(FHandle, GWL_STYLE) & WS_CHILD) ? ::GetParent(FHandle) : nullptr;
    if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    FLeft = r.left;
    FTop = r.top;
    FWidth = r.right - r.left;
    FHeight = r.bottom - r.top;
}

// ---- children ---------------------------------------------------------------------------

void TWinControl::InsertControl(TControl* c) {
    FControls.push_back(c);
    c->FParent = this;
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w) FTabList.push_back(w);
    c->Perform(CM_PARENTCOLORCHANGED);
    c->Perform(CM_PARENTFONTCHANGED);
    if (w && FHandle) {
        if (w->FHandle)
            ::SetParent(w->FHandle, FHandle);
        else
            w->CreateHandle();
    } else if (!w) {
        c->Invalidate();
    }
    if (c->FAlign != alNone) Realign();
}

void TWinControl::RemoveControl(TControl* c) {
    auto it = std::find(FControls.begin(), FControls.end(), c);
    if (it == FControls.end()) return;
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w)
        w->DestroyHandle();
    else
        c->Invalidate();
    it = std::find(FControls.begin(), FControls.end(), c);
    if (it != FControls.end()) FControls.erase(it);
    if (w) FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), w), FTabList.end());
    c->FParent = nullptr;
    if (c->FAlign != alNone && !IsDestroying()) Realign();
}

bool TWinControl::ContainsControl(TControl* c) const {
    while (c) {
        if (c == this) return true;
        c = c->GetParent();
    }
    return false;
}

TControl* TWinControl::ControlAtPos(const TPoint& pt, bool allowDisabled, bool allowWinControls) const {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
        if (windowed && !allowWinControls) continue;
        if (!c->FVisible || (!c->FEnabled && !allowDisabled)) continue;
        TPoint local(pt.X - c->FLeft, pt.Y - c->FTop);
        if (!c->GetBoundsRect().Contains(pt)) continue;
        if (c->Perform(CM_HITTEST, 0, MAKELPARAM(local.X, local.Y)) == 0) continue;
        return c;
    }
    return nullptr;
}

void TWinControl::Broadcast(TMessage& m) {
    std::vector<TControl*> list = FControls;
    for (TControl* c : list) {
        if (std::find(FControls.begin(), FControls.end(), c) == FControls.end()) continue;
        c->Dispatch(m);
        if (m.Result != 0) return;
    }
}

void TWinControl::NotifyControls(UINT msg) {
    TMessage m;
    m.Msg = msg;
    std::vector<TControl*> list = FControls;
    for (TControl* c : list) {
        if (std::find(FControls.begin(), FControls.end(), c) == FControls.end()) continue;
        c->Perform(msg, 0, 0);
    }
}

void TWinControl::Realign() {
    if (FAlignLevel > 0) return;
    TRect r = GetClientRect();
    AdjustClientRect(r);
    ++FAlignLevel;
    try {
        AlignControls(nullptr, r);
    } catch (...) {
        --FAlignLevel;
        throw;
    }
    --FAlignLevel;
}

void TWinControl::AlignControls(TControl*, TRect& r) {
    static const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
    for (TAlign a : order) {
        std::vector<TControl*> list;
        for (TControl* c : FControls)
            if (c->FAlign == a && c->FVisible) list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [a](TControl* x, TControl* y) {
            switch (a) {
                case alTop: return x->FTop < y->FTop;
                case alBottom: return x->FTop + x->FHeight > y->FTop + y->FHeight;
                case alLeft: return x->FLeft < y->FLeft;
                case alRight: return x->FLeft + x->FWidth > y->FLeft + y->FWidth;
                default: return false;
            }
        });
        for (TControl* c : list) {
            int w = std::max(0, r.Width()), h = std::max(0, r.Height());
            switch (a) {
                case alTop:
                    c->SetBounds(r.Left, r.Top, w, c->FHeight);
                    r.Top += c->FHeight;
                    break;
                case alBottom:
                    c->SetBounds(r.Left, r.Bottom - c->FHeight, w, c->FHeight);
                    r.Bottom -= c->FHeight;
                    break;
                case alLeft:
                    c->SetBounds(r.Left, r.Top, c->FWidth, h);
                    r.Left += c->FWidth;
                    break;
                case alRight:
                    c->SetBounds(r.Right - c->FWidth, r.Top, c->FWidth, h);
                    r.Right -= c->FWidth;
                    break;
                default:
                    c->SetBounds(r.Left, r.Top, w, h);
                    break;
            }
        }
    }
}

// ---- geometry and state -----------------------------------------------------------------

void TWinControl::SetBounds(int left, int top, int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    if (FHandle) {
        // The window reports back through WM_WINDOWPOSCHANGED (fields, alignment, Resize).
        SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        bool sized = width != FWidth || height != FHeight;
        FLeft = left;
        FTop = top;
        FWidth = width;
        FHeight = height;
        if (sized) {
            Realign();
            if (!IsLoading()) Resize();
        }
    }
    RequestAlign();
}

TRect TWinControl::GetClientRect() const {
    if (FHandle) {
        RECT r;
        if (::GetClientRect(FHandle, &r)) return FromRECT(r);
    }
    return TControl::GetClientRect();
}

TPoint TWinControl::ClientOrigin() const {
    if (FHandle) {
        POINT p{0, 0};
        ::ClientToScreen(FHandle, &p);
        return FromPOINT(p);
    }
    return TControl::ClientOrigin();
}

bool TWinControl::Showing() const {
    if (FHandle) return IsWindowVisible(FHandle) != FALSE;
    return FVisible && (!FParent || FParent->Showing());
}

void TWinControl::SetVisible(bool visible) {
    if (visible == FVisible) return;
    FVisible = visible;
    if (FHandle) ShowWindow(FHandle, visible ? SW_SHOWNA : SW_HIDE);
    Perform(CM_VISIBLECHANGED, visible ? 1 : 0);
    RequestAlign();
}

void TWinControl::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    if (FHandle) EnableWindow(FHandle, enabled);
    Perform(CM_ENABLEDCHANGED);
}

// Through the message path, so that whoever watches WindowProc sees invalidations too.
void TWinControl::Invalidate() { Perform(CM_INVALIDATE); }

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::Update() {
    if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::SetZOrder(bool topMost) {
    if (!FParent) {
        if (FHandle) SetWindowPos(FHandle, topMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                                  SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
    auto& list = FParent->FControls;
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) {
        list.erase(it);
        if (topMost) list.push_back(this); else list.insert(list.begin(), this);
    }
    if (FHandle)
        SetWindowPos(FHandle, topMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- focus and tab order ----------------------------------------------------------------

bool TWinControl::CanFocus() const {
    const TControl* c = this;
    TCustomForm* form = GetParentForm(const_cast<TWinControl*>(this));
    while (c) {
        if (!c->FVisible || !c->FEnabled) return false;
        if (c == form) break;
        c = c->GetParent();
    }
    return true;
}

bool TWinControl::Focused() const { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this) {
        form->RememberActiveControl(this);
        if (!form->HandleAllocated() || !IsWindowVisible(form->GetHandleIfAllocated())) return;
    }
    ::SetFocus(GetHandle());
}

void TWinControl::SetTabStop(bool value) {
    if (value == FTabStop) return;
    FTabStop = value;
    if (FHandle) {
        LONG_PTR s = GetWindowLongPtrA(FHandle, GWL_STYLE);
        SetWindowLongPtrA(FHandle, GWL_STYLE, value ? (s | WS_TABSTOP) : (s & ~static_cast<LONG_PTR>(WS_TABSTOP)));
    }
}

int TWinControl::GetTabOrder() const {
    if (!FParent) return -1;
    auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
    if (!FParent) return;
    auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (order < 0) order = 0;
    if (order > static_cast<int>(list.size())) order = static_cast<int>(list.size());
    list.insert(list.begin() + order, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
    for (TWinControl* w : FTabList) {
        list.push_back(w);
        w->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int n = static_cast<int>(list.size());
    auto found = std::find(list.begin(), list.end(), current);
    int start = found == list.end() ? (goForward ? n - 1 : 0) : static_cast<int>(found - list.begin());
    int i = start;
    do {
        if (goForward) {
            if (++i == n) i = 0;
        } else {
            if (i == 0) i = n;
            --i;
        }
        TWinControl* c = list[static_cast<size_t>(i)];
        if (c->CanFocus() && (!checkTabStop || c->FTabStop) && (!checkParent || c->FParent == this)) return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
    TWinControl* c = FindNextControl(current, goForward, checkTabStop, !checkTabStop);
    if (c) c->SetFocus();
}

void TWinControl::SelectFirst() {
    TWinControl* c = FindNextControl(nullptr, true, true, false);
    if (!c) c = FindNextControl(nullptr, true, false, false);
    if (c) c->SetFocus();
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

// ---- keyboard -----------------------------------------------------------------------------

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
}
void TWinControl::KeyUp(WORD& key, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(this, key, shift);
}
void TWinControl::KeyPress(char& key) {
    if (OnKeyPress) OnKeyPress(this, key);
}

// Key down or up: the form first when it previews keys, then the control; a key set to 0 is
// swallowed.
bool TWinControl::DoKey(TMessage& m, void (TWinControl::*handler)(WORD&, TShiftState)) {
    WORD key = static_cast<WORD>(m.WParam);
    TShiftState shift = KeyboardShiftState();
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->GetKeyPreview()) {
        (static_cast<TWinControl*>(form)->*handler)(key, shift);
        if (key == 0) return true;
    }
    (this->*handler)(key, shift);
    if (key == 0) return true;
    m.WParam = key;
    return false;
}

bool TWinControl::DoKeyPress(TMessage& m) {
    char key = static_cast<char>(m.WParam);
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->GetKeyPreview()) {
        static_cast<TWinControl*>(form)->KeyPress(key);
        if (key == 0) return true;
    }
    KeyPress(key);
    if (key == 0) return true;
    m.WParam = static_cast<unsigned char>(key);
    return false;
}

// Tab, arrows, Enter and Escape go to the form unless the control wants them itself.
void TWinControl::DialogKey(TMessage& m) {
    m.Result = 0;
    WORD key = static_cast<WORD>(m.WParam);
    LRESULT mask = 0;
    switch (key) {
        case VK_TAB:
            if (GetKeyState(VK_CONTROL) >= 0) mask = DLGC_WANTTAB;
            break;
        case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
            mask = DLGC_WANTARROWS;
            break;
        case VK_RETURN: case VK_EXECUTE: case VK_ESCAPE: case VK_CANCEL:
            mask = DLGC_WANTALLKEYS;
            break;
        default:
            break;
    }
    if (!mask || Perform(CM_WANTSPECIALKEY, key, 0) != 0 || (Perform(WM_GETDLGCODE, 0, 0) & mask) != 0) return;
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGKEY, key, m.LParam) != 0) m.Result = 1;
}

// ---- mouse ---------------------------------------------------------------------------------

bool TWinControl::IsControlMouseMsg(TMessage& m) {
    TControl* target = nullptr;
    TControl* capture = GetCaptureControl();
    if (capture && capture != this) {
        if (capture->GetParent() == this && !dynamic_cast<TWinControl*>(capture)) target = capture;
    } else if (!capture || capture == this) {
        target = ControlAtPos(TPoint(m.XPos(), m.YPos()), false);
    }
    if (!target) return false;
    LPARAM lp = MAKELPARAM(static_cast<WORD>(m.XPos() - target->GetLeft()),
                           static_cast<WORD>(m.YPos() - target->GetTop()));
    m.Result = target->Perform(m.Msg, m.WParam, lp);
    return true;
}

void TWinControl::SetCursorFromHit(TMessage& m) {
    if (reinterpret_cast<HWND>(m.WParam) == FHandle && LOWORD(m.LParam) == HTCLIENT) {
        TCursor cursor = Screen->GetCursor();
        if (cursor == crDefault) {
            POINT p;
            GetCursorPos(&p);
            TControl* c = ControlAtPos(ScreenToClient(FromPOINT(p)), false);
            cursor = (c && c->GetCursor() != crDefault) ? c->GetCursor() : FCursor;
        }
        if (cursor != crDefault) {
            ::SetCursor(CursorHandle(cursor));
            m.Result = TRUE;
            return;
        }
    }
    DefaultHandler(m);
}

// ---- painting -----------------------------------------------------------------------------

void TWinControl::PaintHandler(TMessage& m) {
    PAINTSTRUCT ps;
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    bool own = dc == nullptr;
    if (own) dc = BeginPaint(FHandle, &ps);
    try {
        int saved = SaveDC(dc);
        // Opaque windowless children paint their own area: keep the window from painting under them.
        for (TControl* c : FControls) {
            if (dynamic_cast<TWinControl*>(c) || !c->FVisible || !(c->FControlStyle & csOpaque)) continue;
            ExcludeClipRect(dc, c->FLeft, c->FTop, c->FLeft + c->FWidth, c->FTop + c->FHeight);
        }
        PaintWindow(dc);
        RestoreDC(dc, saved);
        PaintControls(dc, nullptr);
    } catch (...) {
        if (own) EndPaint(FHandle, &ps);
        throw;
    }
    if (own) EndPaint(FHandle, &ps);
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
    auto it = first ? std::find(FControls.begin(), FControls.end(), first) : FControls.begin();
    for (; it != FControls.end(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TWinControl*>(c) || !c->FVisible) continue;
        RECT r{c->FLeft, c->FTop, c->FLeft + c->FWidth, c->FTop + c->FHeight};
        if (!RectVisible(dc, &r)) continue;
        int saved = SaveDC(dc);
        POINT org;
        GetWindowOrgEx(dc, &org);
        SetWindowOrgEx(dc, org.x - c->FLeft, org.y - c->FTop, nullptr);
        IntersectClipRect(dc, 0, 0, c->FWidth, c->FHeight);
        try {
            c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        } catch (...) {
            RestoreDC(dc, saved);
            throw;
        }
        RestoreDC(dc, saved);
    }
}

// ---- messages ------------------------------------------------------------------------------

bool TWinControl::ReflectToChild(TMessage& m) {
    HWND child = nullptr;
    switch (m.Msg) {
        case WM_COMMAND:
        case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
        case WM_HSCROLL: case WM_VSCROLL:
            child = reinterpret_cast<HWND>(m.LParam);
            break;
        case WM_NOTIFY:
            if (m.LParam) child = reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom;
            break;
        case WM_DRAWITEM: {
            auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
            if (d && d->CtlType != ODT_MENU) child = d->hwndItem;
            break;
        }
        default:
            return false;
    }
    if (!child || child == FHandle) return false;
    TWinControl* c = FindControl(child);
    if (!c) return false;
    m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
    return true;
}

void TWinControl::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_PAINT:
            if (!FSubclassed) {
                PaintHandler(m);
                return;
            }
            break;
        case WM_ERASEBKGND:
            if (!FSubclassed) {
                RECT r;
                ::GetClientRect(FHandle, &r);
                ::FillRect(reinterpret_cast<HDC>(m.WParam), &r, FBrush->GetHandle());
                m.Result = 1;
                return;
            }
            break;
        case WM_COMMAND: case WM_NOTIFY: case WM_DRAWITEM: case WM_HSCROLL: case WM_VSCROLL:
        case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
            if (ReflectToChild(m)) return;
            break;
        case CN_CTLCOLORMSGBOX: case CN_CTLCOLOREDIT: case CN_CTLCOLORLISTBOX: case CN_CTLCOLORBTN:
        case CN_CTLCOLORDLG: case CN_CTLCOLORSCROLLBAR: case CN_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(m.WParam);
            SetTextColor(dc, ColorToRGB(FFont->GetColor()));
            SetBkColor(dc, ColorToRGB(FBrush->GetColor()));
            m.Result = reinterpret_cast<LRESULT>(FBrush->GetHandle());
            return;
        }
        case CN_KEYDOWN:
        case CN_SYSKEYDOWN:
            DialogKey(m);
            return;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (DoKey(m, &TWinControl::KeyDown)) return;
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            if (DoKey(m, &TWinControl::KeyUp)) return;
            break;
        case WM_CHAR:
            if (DoKeyPress(m)) return;
            break;
        case WM_SETFOCUS: {
            DefaultHandler(m);
            ControlLifecycle()(TLifecycleEvent::FocusChanged, this);
            return;
        }
        case WM_WINDOWPOSCHANGED:
            UpdateBounds();
            DefaultHandler(m);
            return;
        case WM_SIZE:
            DefaultHandler(m);
            Realign();
            if (!IsLoading()) Resize();
            return;
        case WM_SETCURSOR:
            SetCursorFromHit(m);
            return;
        case WM_MOUSEMOVE:
            if (!FTrackingMouse) {
                TRACKMOUSEEVENT t{sizeof(TRACKMOUSEEVENT), TME_LEAVE, FHandle, 0};
                FTrackingMouse = TrackMouseEvent(&t) != FALSE;
            }
            Application->UpdateMouseControl();
            if (IsControlMouseMsg(m)) return;
            break;
        case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
            if (IsControlMouseMsg(m)) return;
            break;
        case WM_MOUSELEAVE:
            FTrackingMouse = false;
            DefaultHandler(m);
            Application->UpdateMouseControl();
            return;
        case CM_DIALOGKEY:
            Broadcast(m);
            return;
        case CM_INVALIDATE:
            if (FHandle) InvalidateRect(FHandle, nullptr, (FControlStyle & csOpaque) ? FALSE : TRUE);
            return;
        case CM_ENTER:
            DoEnter();
            return;
        case CM_EXIT:
            DoExit();
            return;
        case CM_SYSCOLORCHANGE:
            NotifyControls(CM_SYSCOLORCHANGE);
            return;
        case CM_COLORCHANGED:
            FBrush->SetColor(FColor);
            NotifyControls(CM_PARENTCOLORCHANGED);
            Invalidate();
            return;
        case CM_FONTCHANGED:
            if (FHandle) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->GetHandle()), TRUE);
            NotifyControls(CM_PARENTFONTCHANGED);
            Invalidate();
            return;
        case CM_VISIBLECHANGED:
        case CM_ENABLEDCHANGED:
        case CM_TEXTCHANGED:
            return;   // the window itself shows the change
        default:
            break;
    }
    TControl::WndProc(m);
}
