#include "classlib/gui/window_proc_hook.h"

#include <commctrl.h>

#include "classlib/gui/application.h"
#include "classlib/gui/controls.h"
#include "classlib/gui/handles.h"

TWindowProcHook::TWindowProcHook(TControl* control, Proc handler)
    : TProcHook<TMessage>(control->WindowProcChain(), std::move(handler)), FControl(control) {}

TSubclassHook::TSubclassHook(HWND wnd, Proc handler) : FWnd(wnd), FHandler(std::move(handler)) {
    if (!SetWindowSubclass(wnd, SubclassProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this)))
        ThrowLastError("SetWindowSubclass");
}

TSubclassHook::~TSubclassHook() {
    *FAlive = false;
    Unhook();
}

void TSubclassHook::Unhook() {
    if (!FWnd) return;
    RemoveWindowSubclass(FWnd, SubclassProc, reinterpret_cast<UINT_PTR>(this));
    FWnd = nullptr;
}

void TSubclassHook::Previous(TMessage& m) const {
    if (FWnd) m.Result = DefSubclassProc(FWnd, m.Msg, m.WParam, m.LParam);
}

LRESULT CALLBACK TSubclassHook::SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR ref) {
    auto* self = reinterpret_cast<TSubclassHook*>(ref);
    TMessage m;
    m.Msg = msg;
    m.WParam = wParam;
    m.LParam = lParam;
    std::shared_ptr<bool> alive = self->FAlive;
    try {
        if (self->FHandler) {
            Proc handler = self->FHandler;
            handler(m);
        } else {
            self->Previous(m);
        }
    } catch (...) {
        Application->HandleException(nullptr);
    }
    if (*alive && msg == WM_NCDESTROY) self->Unhook();
    return m.Result;
}
