// Hooks over a window's message path that put back what they changed, in any order.
//
// TWindowProcHook stacks over a control's WindowProc (see TProcHook in classlib/proc_chain.h):
// its handler sees each message first and passes it on with Previous. Hooks on one control may
// be removed in any order, from inside their own handler too; a hook whose control is freed
// first becomes inert (Control() turns nullptr) and never touches it again.
//
// TSubclassHook does the same for a window that is not ours (no TControl behind it) with
// SetWindowSubclass: one subclass id per hook object, removed by its destructor and when the
// window gets WM_NCDESTROY (which the handler still sees). No exception leaves either hook's
// handler: the application's handler reports it.
#pragma once
#include "classlib/gui/windows_api.h"

#include <functional>
#include <memory>

#include "classlib/gui/messages.h"
#include "classlib/proc_chain.h"

class TControl;

class TWindowProcHook : public TProcHook<TMessage> {
public:
    TWindowProcHook(TControl* control, Proc handler);
    // The hooked control, or nullptr once the hook is removed or the control is gone.
    TControl* Control() const { return Attached() ? FControl : nullptr; }

private:
    TControl* FControl;
};

class TSubclassHook {
public:
    using Proc = std::function<void(TMessage&)>;
    // Raises EOSError when the window cannot be subclassed.
    TSubclassHook(HWND wnd, Proc handler);
    ~TSubclassHook();
    TSubclassHook(const TSubclassHook&) = delete;
    TSubclassHook& operator=(const TSubclassHook&) = delete;

    // Passes the message on to the window's previous procedure (nothing once unhooked).
    void Previous(TMessage& m) const;
    // The hooked window, or nullptr once the hook is removed or the window destroyed.
    HWND Window() const { return FWnd; }
    void Unhook();

private:
    static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR ref);
    HWND FWnd;
    Proc FHandler;
    // Cleared by the destructor: a handler that frees its own hook is not touched afterwards.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};
