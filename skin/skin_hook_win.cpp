#include "skin/skin_hook_win.h"

#include <cstring>
#include <string>

#include "classlib/sysutils.h"
#include "skin/skin_registry_win.h"

namespace {

struct THookState {
    HHOOK Hook = nullptr;
    TlumSkinEngineIntf* Engine = nullptr;
    HWND LastDestroyedDialog = nullptr;
};

THookState& State() {
    static THookState state;
    return state;
}

std::string ClassNameOf(HWND window) {
    char buffer[100] = {};
    int length = GetClassNameA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

bool AnswersSkinQuery(HWND window) { return SendMessageA(window, WM_SKIN_QUERY, 0, 0) != 0; }

// Returns true when the creation is to be refused.
bool OnCreate(TlumSkinEngineIntf* engine, HWND window, const CBT_CREATEWNDA* create) {
    if (!create || !create->lpcs) return false;
    if (UpperCase(ClassNameOf(window)) != "SCROLLBAR") return false;
    if (!(create->lpcs->style & SBS_SIZEGRIP) || !engine->IsSkinActive()) return false;
    return create->lpcs->dwExStyle != WS_EX_NOPARENTNOTIFY;
}

void OnActivate(TlumSkinEngineIntf* engine, HWND window) {
    const std::string name = ClassNameOf(window);
    if (name == "TTabDockHost" || name == "TConjoinDockHost") {
        if (!AnswersSkinQuery(window)) engine->SkinWindow(window, true);
    } else if (name == "TMessageForm" || name == "#32770") {
        THookState& s = State();
        if (window != s.LastDestroyedDialog && engine->GetSkinDialogs() && !AnswersSkinQuery(window))
            engine->SkinWindow(window, true);
        s.LastDestroyedDialog = nullptr;
    } else if (IsAutoSkinClass(name)) {
        if (!AnswersSkinQuery(window)) engine->SkinWindow(window, false);
    }
}

}  // namespace

bool InstallSkinHook(TlumSkinEngineIntf* engine) {
    THookState& s = State();
    if (s.Hook || !engine) return false;
    s.Hook = SetWindowsHookExA(WH_CBT, SkinCBTHook, nullptr, GetCurrentThreadId());
    if (!s.Hook) return false;
    s.Engine = engine;
    return true;
}

void RemoveSkinHook(TlumSkinEngineIntf* engine) {
    THookState& s = State();
    if (!engine || s.Engine != engine) return;
    if (s.Hook) UnhookWindowsHookEx(s.Hook);
    s.Hook = nullptr;
    s.Engine = nullptr;
}

TlumSkinEngineIntf* SkinHookEngine() { return State().Engine; }

void SetLastDestroyedDialog(HWND dialog) { State().LastDestroyedDialog = dialog; }
HWND GetLastDestroyedDialog() { return State().LastDestroyedDialog; }

LRESULT CALLBACK SkinCBTHook(int code, WPARAM wParam, LPARAM lParam) {
    THookState& s = State();
    // Nothing may leave the hook; a failing skin step never stops the window.
    try {
        TlumSkinEngineIntf* engine = s.Engine;
        if (engine && (code == HCBT_CREATEWND || code == HCBT_ACTIVATE) && engine->IsSkinActive()) {
            HWND window = reinterpret_cast<HWND>(wParam);
            if (code == HCBT_CREATEWND) {
                if (OnCreate(engine, window, reinterpret_cast<const CBT_CREATEWNDA*>(lParam))) return 1;
            } else {
                OnActivate(engine, window);
            }
        }
    } catch (...) {
    }
    return CallNextHookEx(s.Hook, code, wParam, lParam);
}
