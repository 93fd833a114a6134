#include "skin/skin_window_wnd_win.h"

#include <algorithm>
#include <string>

#include "classlib/gui/panel.h"
#include "classlib/sysutils.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_hook_win.h"
#include "skin/skin_registry_win.h"
#include "skin/skin_utils_win.h"

namespace {

std::string UpperClassName(HWND window) {
    char buffer[100] = {};
    int length = GetClassNameA(window, buffer, sizeof buffer);
    return UpperCase(AnsiString(buffer, length > 0 ? static_cast<size_t>(length) : 0));
}

bool AnswersSkinQuery(HWND window) { return SendMessageA(window, WM_SKIN_QUERY, 0, 0) == 1; }

}  // namespace

TlumSkinWindowWnd::TlumSkinWindowWnd(bool fromHook, TlumSkinEngine* engine) : TlumSkinWindow(fromHook, engine) {}

TlumSkinWindowWnd::~TlumSkinWindowWnd() { Teardown(); }

void TlumSkinWindowWnd::Attach(HWND handle) {
    FWnd = handle;
    FFileDialog = FFolderBrowser = FSizeAdjusted = false;
    FHook = std::make_unique<TSubclassHook>(handle, [this](TMessage& m) { HookProc(m); });
}

void TlumSkinWindowWnd::Detach() {
    FInnerHook.reset();
    FInnerDialog = nullptr;
    FHook.reset();
    if (!FGone && IsWindow(FWnd))
        SetWindowPos(FWnd, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TlumSkinWindowWnd::CallOriginalProc(TMessage& m) {
    if (FHook) FHook->Previous(m);
}

void TlumSkinWindowWnd::HookProc(TMessage& m) {
    if (m.Msg == WM_NCDESTROY) {
        WindowGone(m);
        return;
    }
    SkinWindowProc(m);
}

void TlumSkinWindowWnd::WindowGone(TMessage& m) {
    CallOriginalProc(m);
    FGone = true;
    SetLastDestroyedDialog(FWnd);
    ReleaseFromEngine();   // frees this object: nothing may follow
}

void TlumSkinWindowWnd::SaveOriginalState() {
    RECT client{};
    GetClientRect(FWnd, &client);
    FNativeClientWidth = client.right - client.left;
    FNativeClientHeight = client.bottom - client.top;
    POINT origin{0, 0};
    ClientToScreen(FWnd, &origin);
    RECT box{};
    GetWindowRect(FWnd, &box);
    FNativeCaptionHeight = origin.y - box.top;
    FNativeBottomHeight = 4;
    FNativeSideWidth = 4;
    ScanInnerDialog();
}

void TlumSkinWindowWnd::SkinChildren() {
    for (HWND child = GetTopWindow(FWnd); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!(GetWindowLongA(child, GWL_STYLE) & WS_CHILD) || AnswersSkinQuery(child)) continue;
        try {
            std::unique_ptr<TlumSkinControlWnd> skin = FindSkinWndClass(child, this);
            if (skin) FChildSkins.push_back(std::move(skin));
        } catch (...) {
            // That child keeps its own look.
        }
    }
}

void TlumSkinWindowWnd::Resize(int addWidth, int addHeight) {
    RECT box{};
    GetWindowRect(FWnd, &box);
    FResizing = true;
    std::shared_ptr<bool> alive = FAlive;
    SetWindowPos(FWnd, nullptr, 0, 0, box.right - box.left + addWidth, box.bottom - box.top + addHeight,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (*alive) FResizing = false;
}

// Skinned: no system menu and no menu in the frame, and the window grown by the skin's side
// borders, and by its caption and bottom border less the native caption area. Unskinned:
// exactly that taken back; everything else stays as it is now.
void TlumSkinWindowWnd::SetSkinnedImpl() {
    RepaintChildren();
    if (FSkinned && !FApplied) {
        const TSkinMetrics& m = FEngine->Metrics();
        FSavedStyle = GetWindowLongA(FWnd, GWL_STYLE);
        FSavedMenu = GetMenu(FWnd);
        if (FSavedMenu) SetMenu(FWnd, nullptr);
        SetWindowLongA(FWnd, GWL_STYLE, FSavedStyle & ~WS_SYSMENU);
        FAddedWidth = m.LeftBorder + m.RightBorder;
        FAddedHeight = CaptionHeight() + std::max<int>(4, m.BottomBorder) - FNativeCaptionHeight;
        FApplied = true;
        Resize(FAddedWidth, FAddedHeight);
    } else if (!FSkinned && FApplied) {
        FApplied = false;
        const LONG style = GetWindowLongA(FWnd, GWL_STYLE);
        SetWindowLongA(FWnd, GWL_STYLE, (style & ~WS_SYSMENU) | (FSavedStyle & WS_SYSMENU));
        if (FSavedMenu && IsMenu(FSavedMenu)) SetMenu(FWnd, FSavedMenu);
        FSavedMenu = nullptr;
        RemoveRegion();
        Resize(-FAddedWidth, -FAddedHeight);
        FAddedWidth = FAddedHeight = 0;
    }
}

bool TlumSkinWindowWnd::BeforeMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_SYSCOMMAND:
        if ((m.WParam & 0xFFF0) == SC_CLOSE) {
            PostMessageA(FWnd, WM_COMMAND, IDCANCEL, 0);
            return false;
        }
        return true;
    case WM_SHOWWINDOW:
        ScanInnerDialog();
        return true;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        if (!FEngine->GetFormBrush()) return true;
        SetBkMode(reinterpret_cast<HDC>(m.WParam), TRANSPARENT);
        m.Result = reinterpret_cast<LRESULT>(FEngine->GetFormBrush());
        return false;
    case WM_SIZE:
        if (FFolderBrowser || (FFileDialog && IsVista())) {
            UpdateRegion();
            return false;
        }
        return true;
    default:
        return true;
    }
}

void TlumSkinWindowWnd::AfterMessage(TMessage& m) {
    if (m.Msg != WM_SIZE || FResizing) return;
    // A file dialog squeezed flat by its own layout gets the skin's frame height once more.
    RECT client{};
    GetClientRect(FWnd, &client);
    if (!FSizeAdjusted && !IsZoomed(FWnd) && client.bottom < FNativeClientHeight &&
        client.right * 2 > FNativeClientWidth * 3) {
        FSizeAdjusted = true;
        const int grow =
            CaptionHeight() + GetMenuBarHeight() + FEngine->Metrics().BottomBorder - FNativeCaptionHeight;
        std::shared_ptr<bool> alive = FAlive;
        Resize(0, grow);
        if (!*alive) return;
    }
    UpdateRegion();
}

// The file dialog's template lives in a child dialog: it gets the same backgrounds. Scanned at
// every showing, subclassed once.
void TlumSkinWindowWnd::ScanInnerDialog() {
    bool shellView = false, toolBar = false, listBox = false;
    HWND inner = nullptr;
    for (HWND child = GetTopWindow(FWnd); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string name = UpperClassName(child);
        if (name == "SHELLDLL_DEFVIEW") shellView = true;
        else if (name == "TOOLBARWINDOW32") toolBar = true;
        else if (name == "LISTBOX") listBox = true;
        else if (name == "SHBROWSEFORFOLDER SHELLNAMESPACE CONTROL") FFolderBrowser = true;
        else if (name == "SCROLLBAR" && FFolderBrowser) ShowWindow(child, SW_HIDE);
        else if (name == "#32770") {
            inner = child;
            break;
        }
    }
    FFileDialog = shellView && toolBar && listBox;
    if (inner && GetInnerSubclassed() && FInnerDialog == inner) return;
    FInnerHook.reset();
    FInnerDialog = inner;
    if (!inner) return;
    FInnerHook = std::make_unique<TSubclassHook>(inner, [this](TMessage& m) { InnerDialogProc(m); });
    // A template made of our own panels takes the skin's form colour too.
    const TColor formColor = FEngine->GetFormColor();
    if (formColor == -1) return;
    for (HWND child = GetTopWindow(inner); child; child = GetWindow(child, GW_HWNDNEXT)) {
        TWinControl* panel = UpperClassName(child) == "TPANEL" ? FindControl(child) : nullptr;
        if (!panel) continue;
        panel->SetColor(formColor);
        for (int i = 0; i < panel->ControlCount(); ++i)
            if (auto* inside = dynamic_cast<TPanel*>(panel->Controls(i))) inside->SetColor(formColor);
    }
}

void TlumSkinWindowWnd::InnerDialogProc(TMessage& m) {
    HBRUSH brush = FEngine->GetFormBrush();
    if (!brush || !Drawing()) {
        FInnerHook->Previous(m);
        return;
    }
    switch (m.Msg) {
    case WM_CTLCOLORDLG:
        m.Result = reinterpret_cast<LRESULT>(brush);
        return;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(m.WParam), TRANSPARENT);
        m.Result = reinterpret_cast<LRESULT>(brush);
        return;
    default:
        FInnerHook->Previous(m);
    }
}
