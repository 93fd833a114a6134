// Runs an action from a timer once a menu loop (a popup's or a menu bar's) is under way: the
// loop keeps the test's own code from running until it ends.
#pragma once
#include <windows.h>

#include <functional>
#include <utility>

struct MenuLoopAction {
    static std::function<void()>& Action() {
        static std::function<void()> action;
        return action;
    }
    static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        if (Action()) Action()();
    }
    explicit MenuLoopAction(std::function<void()> action, UINT delayMs = 200) {
        Action() = std::move(action);
        FTimer = SetTimer(nullptr, 0, delayMs, Fire);
    }
    ~MenuLoopAction() {
        KillTimer(nullptr, FTimer);
        Action() = nullptr;
    }
    UINT_PTR FTimer;
};
