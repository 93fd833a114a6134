#include "tools/pagewrap_driver/remote_windows.h"

#include <cstring>

namespace {

struct TopSearch {
    DWORD pid;
    std::string className, caption;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTopWindow(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<TopSearch*>(p);
    if (!IsWindowVisible(w)) return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (s->pid && owner != s->pid) return TRUE;
    if (WindowClass(w) != s->className) return TRUE;
    if (!s->caption.empty() && WindowText(w) != s->caption) return TRUE;
    s->found = w;
    return FALSE;
}

BOOL CALLBACK CollectChild(HWND w, LPARAM p) {
    reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
    return TRUE;
}

// An environment block: the caller's variables with the extra ones put in (replacing any of
// the same name), each "name=value\0", ending with one more "\0".
std::string EnvironmentBlock(const TEnvironment& extra) {
    std::vector<std::string> vars;
    if (char* env = GetEnvironmentStringsA()) {
        for (const char* v = env; *v; v += std::strlen(v) + 1) {
            std::string var = v;
            bool replaced = false;
            for (const auto& e : extra)
                if (var.size() > e.first.size() && var[e.first.size()] == '=' &&
                    _strnicmp(var.c_str(), e.first.c_str(), e.first.size()) == 0)
                    replaced = true;
            if (!replaced) vars.push_back(var);
        }
        FreeEnvironmentStringsA(env);
    }
    for (const auto& e : extra) vars.push_back(e.first + "=" + e.second);
    std::string block;
    for (const auto& v : vars) block += v + '\0';
    block += '\0';
    return block;
}

}  // namespace

HANDLE StartProgram(const std::string& program, const std::string& args, const TEnvironment& extra, DWORD& pid) {
    std::string command = "\"" + program + "\"" + (args.empty() ? "" : " " + args);
    std::string env = EnvironmentBlock(extra);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, &env[0], nullptr, &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    pid = pi.dwProcessId;
    return pi.hProcess;
}

bool WaitForExit(HANDLE process, int timeoutMs) {
    return WaitForSingleObject(process, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
}

HWND WaitForTopWindow(DWORD pid, const std::string& className, const std::string& caption, int timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        TopSearch s{pid, className, caption};
        EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return nullptr;
        Sleep(20);
    }
}

HWND WaitForMessageBox(DWORD pid, int timeoutMs) { return WaitForTopWindow(pid, "#32770", "", timeoutMs); }

std::string DialogText(HWND dialog) {
    std::string text;
    for (HWND w : Descendants(dialog)) {
        if (_stricmp(WindowClass(w).c_str(), "Static") != 0) continue;
        const std::string t = WindowText(w);
        if (t.empty()) continue;
        if (!text.empty()) text += "\n";
        text += t;
    }
    return text;
}

bool DismissMessageBox(HWND box) {
    HWND ok = GetDlgItem(box, IDOK);
    if (!ok) ok = GetDlgItem(box, IDCANCEL);
    const WPARAM id = ok ? static_cast<WPARAM>(GetDlgCtrlID(ok)) : IDOK;
    return PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(ok)) != 0;
}

bool WaitForWindowGone(HWND window, int timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

std::string WindowClass(HWND window) {
    char name[256] = {0};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string WindowText(HWND window) {
    // WM_GETTEXT reaches into edits of other programs (GetWindowText would not).
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return std::string();
    std::string text(length + 1, '\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                             5000, &got))
        return std::string();
    text.resize(got < length ? got : length);
    return text;
}

bool SetRemoteText(HWND window, const std::string& text) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                               &result) != 0;
}

void PressButton(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::string ConvertText(const std::string& text, UINT from, UINT to) {
    if (text.empty()) return text;
    const int n = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    const int m = WideCharToMultiByte(to, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(m), '\0');
    WideCharToMultiByte(to, 0, wide.data(), n, &out[0], m, nullptr, nullptr);
    return out;
}

std::string FullWindowsPath(const std::string& path) {
    char full[MAX_PATH + 1] = {0};
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return n > 0 && n <= MAX_PATH ? std::string(full, n) : path;
}
