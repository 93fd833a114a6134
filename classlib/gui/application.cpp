// TApplication: the message loops of the main thread, the application-wide message event, the
// hidden window that serves timers and Synchronize, and exception reporting.
#include "classlib/gui/application.h"

#include <ole2.h>

#include <atomic>

#include "classlib/gui/gui_internal.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/thread.h"
#include "classlib/gui/timer.h"

const DWORD MainThreadID = GetCurrentThreadId();

bool IsMainThread() { return GetCurrentThreadId() == MainThreadID; }

namespace {

std::atomic<HWND> gUtilityWindow{nullptr};
bool gOleInitialized = false;

LRESULT CALLBACK UtilityWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case gui_internal::WM_PW_SYNC:
            CheckSynchronize();
            return 0;
        case WM_TIMER:
            if (TTimer* t = TTimer::FromId(wParam)) t->Timer();
            return 0;
        case gui_internal::WM_PW_RELEASE: {
            auto* form = reinterpret_cast<TCustomForm*>(lParam);
            for (int i = 0; i < Screen->FormCount(); ++i) {
                if (Screen->Forms(i) != form) continue;
                try {
                    delete form;
                } catch (...) {
                    Application->HandleException(Application);
                }
                break;
            }
            return 0;
        }
        default:
            return DefWindowProcA(wnd, msg, wParam, lParam);
    }
}

// Asks the actions of the visible controls inside a shown container to update themselves.
void UpdateActionsOf(TWinControl* container) {
    if (!container->Showing()) return;
    // By index: an update may add or remove controls.
    for (int i = 0; i < container->ControlCount(); ++i) {
        TControl* control = container->Controls(i);
        if ((control->GetControlStyle() & csActionClient) && control->GetVisible()) control->InitiateAction();
        if (i >= container->ControlCount() || container->Controls(i) != control) continue;
        if (auto* w = dynamic_cast<TWinControl*>(control)) UpdateActionsOf(w);
    }
}

// Screen first: the application's forms still use it while they are freed.
TScreen gScreen;
TApplication gApplication;

}  // namespace

TScreen* Screen = &gScreen;
TApplication* Application = &gApplication;

HWND gui_internal::UtilityWindow() { return gUtilityWindow.load(); }

// ---- TApplication --------------------------------------------------------------------------

TApplication::TApplication()
    : TComponent(nullptr),
      FLifecycle(ControlLifecycle().Add([this](TLifecycleEvent e, TControl* c) { ControlEvent(e, c); })) {}

void TApplication::ControlEvent(TLifecycleEvent event, TControl* control) {
    if (event != TLifecycleEvent::Destroying && event != TLifecycleEvent::Destroyed) return;
    if (FMouseControl == control) FMouseControl = nullptr;
    if (static_cast<TControl*>(FMainForm) == control) FMainForm = nullptr;
}

TSubscription TApplication::AddMessageListener(TMessageEvent listener) {
    return FMessageListeners.Add(std::move(listener));
}

TSubscription TApplication::AddIdleListener(TIdleEvent listener) { return FIdleListeners.Add(std::move(listener)); }

TSubscription TApplication::AddExceptionListener(TExceptionListener listener) {
    return FExceptionListeners.Add(std::move(listener));
}

TApplication::~TApplication() {
    // Free the forms while the application (and the screen) can still serve them.
    while (ComponentCount() > 0) delete GetComponent(ComponentCount() - 1);
    if (FHook) UnhookWindowsHookEx(FHook);
    FHook = nullptr;
    HWND util = gUtilityWindow.exchange(nullptr);
    if (util) DestroyWindow(util);
    if (gOleInitialized) OleUninitialize();
}

void TApplication::Initialize() {
    if (FInitialized) return;
    FInitialized = true;
    if (IsMainThread()) {
        gOleInitialized = SUCCEEDED(OleInitialize(nullptr));
        gui_internal::EnsureCommonControls();
        InstallMessageHook();
        GetHandle();
    }
}

HWND TApplication::GetHandle() {
    HWND w = gUtilityWindow.load();
    if (w || !IsMainThread()) return w;
    static const char kClass[] = "TPagewrapUtilWindow";
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(gui_internal::Instance(), kClass, &wc)) {
        wc = WNDCLASSEXA{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = UtilityWindowProc;
        wc.hInstance = gui_internal::Instance();
        wc.lpszClassName = kClass;
        if (!RegisterClassExA(&wc)) ThrowLastError("RegisterClassEx (application window)");
    }
    w = CreateWindowExA(0, kClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, gui_internal::Instance(), nullptr);
    if (!w) ThrowLastError("CreateWindowEx (application window)");
    gUtilityWindow.store(w);
    InstallMessageHook();
    return w;
}

void TApplication::InstallMessageHook() {
    if (FHook || !IsMainThread()) return;
    FHook = SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, MainThreadID);
    if (!FHook) ThrowLastError("SetWindowsHookEx (application message event)");
}

AnsiString TApplication::GetExeName() const {
    std::string buf(MAX_PATH + 1, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, &buf[0], static_cast<DWORD>(buf.size()));
        if (n == 0) return AnsiString();
        if (n < buf.size() - 1) {
            buf.resize(n);
            return buf;
        }
        if (buf.size() >= 32768) return AnsiString();
        buf.resize(buf.size() * 2);
    }
}

AnsiString TApplication::GetTitle() const {
    if (FTitleSet) return FTitle;
    AnsiString name = ExtractFileName(GetExeName());
    AnsiString ext = ExtractFileExt(name);
    return name.substr(0, name.size() - ext.size());
}

void TApplication::FormCreated(TCustomForm* form) {
    form->AfterConstruction();
    if (!FMainForm) {
        FMainForm = form;
        form->HandleNeeded();
    }
}

void TApplication::Run() {
    InstallMessageHook();
    GetHandle();
    if (!FMainForm) return;
    if (FShowMainForm) {
        try {
            FMainForm->Show();
        } catch (...) {
            HandleException(this);
        }
    }
    while (!FTerminated) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
}

void TApplication::Terminate() {
    if (IsMainThread())
        PostQuitMessage(0);
    else
        PostThreadMessageA(MainThreadID, WM_QUIT, 0, 0);
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) Idle();
}

bool TApplication::ProcessMessage(MSG& msg) {
    bool main = IsMainThread();
    if (main) {
        InstallMessageHook();
        FSwallowed = false;
    }
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        if (main)
            FTerminated = true;
        else
            PostQuitMessage(static_cast<int>(msg.wParam));   // leave it for the worker's own loop
        return main;
    }
    if (main) {
        // The hook has already shown the message to OnMessage.
        if (FSwallowed) {
            FSwallowed = false;
            return true;
        }
        if (IsPreProcessMessage(msg) || IsMDIMsg(msg) || IsKeyMsg(msg)) return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

bool TApplication::RunMessageEvent(MSG& msg) {
    bool handled = false;
    try {
        if (OnMessage) OnMessage(msg, handled);
        if (!handled) FMessageListeners.CallUntil([&handled] { return handled; }, msg, handled);
    } catch (...) {
        HandleException(this);
    }
    return handled;
}

LRESULT CALLBACK TApplication::GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    TApplication* app = Application;
    HHOOK hook = app ? app->FHook : nullptr;
    if (code == HC_ACTION && wParam == PM_REMOVE && app && IsMainThread()) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        // The request to end the program is never the event's to swallow.
        bool handled = msg->message != WM_QUIT && app->RunMessageEvent(*msg);
        // The flag speaks of the message retrieved last: ours in ProcessMessage, or a system loop's.
        app->FSwallowed = handled;
        if (handled) {
            msg->message = WM_NULL;
            msg->wParam = 0;
            msg->lParam = 0;
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

bool TApplication::IsPreProcessMessage(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    for (HWND h = msg.hwnd; h; h = GetAncestor(h, GA_PARENT)) {
        if (TWinControl* c = FindControl(h)) return c->PreProcessMessage(msg);
    }
    return false;
}

bool TApplication::IsMDIMsg(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (!FMainForm || FMainForm->GetFormStyle() != fsMDIForm || !FMainForm->GetActiveMDIChild()) return false;
    HWND client = FMainForm->GetClientHandle();
    // Ctrl+F4, Ctrl+F6 and the child's system-menu keys.
    return client && IsChild(FMainForm->GetHandleIfAllocated(), msg.hwnd) && TranslateMDISysAccel(client, &msg);
}

bool TApplication::IsKeyMsg(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    TWinControl* c = FindControl(msg.hwnd);
    if (!c) return false;
    return c->Perform(CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

void TApplication::Idle() {
    UpdateMouseControl();
    TControlCanvas::FreeDeviceContexts();
    bool done = true;
    try {
        if (OnIdle) OnIdle(this, done);
        FIdleListeners(this, done);
        if (done) UpdateActions();
    } catch (...) {
        HandleException(this);
    }
    if (CheckSynchronize()) done = false;
    if (done) WaitMessage();
}

void TApplication::UpdateActions() {
    // Only forms the user can work with: a modal form's owners wait disabled.
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* form = Screen->Forms(i);
        HWND wnd = form->GetHandleIfAllocated();
        if (!wnd || !IsWindowVisible(wnd) || !IsWindowEnabled(wnd)) continue;
        form->InitiateAction();
        UpdateActionsOf(form);
    }
}

void TApplication::UpdateMouseControl() {
    if (!IsMainThread()) return;
    POINT p;
    if (!GetCursorPos(&p)) return;
    TControl* target = FindDragTarget(FromPOINT(p), true);
    if (target == FMouseControl) return;
    TControl* old = FMouseControl;
    FMouseControl = target;
    try {
        if (old) old->Perform(CM_MOUSELEAVE);
        if (target && FMouseControl == target) target->Perform(CM_MOUSEENTER);
    } catch (...) {
        HandleException(this);
    }
}

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) {
    HWND owner = GetActiveWindow();
    if (!owner) flags |= MB_TASKMODAL;
    InstallMessageHook();
    GetHandle();
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void TApplication::ShowException(const Exception& e) {
    MessageBox(e.Message, GetTitle(), MB_OK | MB_ICONSTOP);
}

void TApplication::ReportException(TObject* sender, const Exception& e) {
    bool taken = false;
    if (OnException) {
        OnException(sender, e);
        taken = true;
    }
    FExceptionListeners(sender, e, taken);
    if (!taken) ShowException(e);
}

void TApplication::HandleException(TObject* sender) {
    std::exception_ptr p = std::current_exception();
    if (!p) return;
    // Reporting must not raise again: whatever happens in here stays here.
    try {
        try {
            std::rethrow_exception(p);
        } catch (const EAbort&) {
            return;
        } catch (const Exception& e) {
            ReportException(sender, e);
        } catch (const std::exception& e) {
            ReportException(sender, Exception(e.what()));
        } catch (...) {
            ReportException(sender, Exception("Unknown exception"));
        }
    } catch (...) {
    }
}
