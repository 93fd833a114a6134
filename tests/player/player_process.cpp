#include "tests/player/player_process.h"

#include <algorithm>
#include <vector>

#include "classlib/sysutils.h"
#include "player/location_report_win.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/tempdir.h"

bool WaitUntil(const std::function<bool()>& cond, int timeoutMs) {
    const DWORD start = GetTickCount();
    while (!cond()) {
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return cond();
        Sleep(20);
    }
    return true;
}

namespace {

// The caller's environment with TEMP, TMP and the location report variable replaced.
std::vector<char> PlayerEnvironment(const std::string& tempFolder, const std::string& locationFile) {
    std::vector<std::string> vars;
    if (char* block = GetEnvironmentStringsA()) {
        for (const char* p = block; *p; p += strlen(p) + 1) {
            const std::string v = p;
            const std::string key = UpperCase(v.substr(0, v.find('=', 1)));
            if (key == "TEMP" || key == "TMP" || key == kLocationFileVariable) continue;
            vars.push_back(v);
        }
        FreeEnvironmentStringsA(block);
    }
    vars.push_back("TEMP=" + tempFolder);
    vars.push_back("TMP=" + tempFolder);
    vars.push_back(std::string(kLocationFileVariable) + "=" + locationFile);
    std::vector<char> env;
    for (const auto& v : vars) {
        env.insert(env.end(), v.begin(), v.end());
        env.push_back('\0');
    }
    env.push_back('\0');
    return env;
}

struct WindowSearch {
    DWORD pid;
    const char* className;   // nullptr: any class
    bool visibleOnly;
    HWND found = nullptr;
};

BOOL CALLBACK FindPlayerWindow(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<WindowSearch*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != s->pid || (s->visibleOnly && !IsWindowVisible(w))) return TRUE;
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (s->className && strcmp(cls, s->className) != 0) return TRUE;
    s->found = w;
    return FALSE;
}

BOOL CALLBACK CollectStatic(HWND w, LPARAM p) {
    char cls[32] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (_stricmp(cls, "Static") != 0) return TRUE;
    char text[1024] = {};
    GetWindowTextA(w, text, sizeof text);
    if (!*text) return TRUE;
    auto* out = reinterpret_cast<std::string*>(p);
    if (!out->empty()) *out += "|";
    *out += text;
    return TRUE;
}

}  // namespace

PlayerRun::PlayerRun(const std::string& book, const std::string& tempFolder, const std::string& currentFolder,
                     const std::string& locationFile)
    : FLocationFile(locationFile) {
    std::vector<char> env = PlayerEnvironment(tempFolder, locationFile);
    std::string command = "\"" + book + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(book.c_str(), &command[0], nullptr, nullptr, FALSE, 0, env.data(), currentFolder.c_str(), &si,
                        &pi))
        return;
    CloseHandle(pi.hThread);
    FProcess = pi.hProcess;
    FPid = pi.dwProcessId;
}

PlayerRun::~PlayerRun() {
    if (!FProcess) return;
    if (WaitForSingleObject(FProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(FProcess, 99);
        WaitForSingleObject(FProcess, 5000);
    }
    CloseHandle(FProcess);
}

HWND PlayerRun::Window(const char* className, bool visibleOnly) const {
    WindowSearch s{FPid, className, visibleOnly};
    EnumWindows(FindPlayerWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND PlayerRun::WaitWindow(const char* className, int timeoutMs) const {
    HWND w = nullptr;
    WaitUntil([&] { return (w = Window(className)) != nullptr; }, timeoutMs);
    return w;
}

bool PlayerRun::AnyWindowVisible() const { return Window(nullptr) != nullptr; }

std::string PlayerRun::BoxText(HWND box) {
    std::string text;
    EnumChildWindows(box, CollectStatic, reinterpret_cast<LPARAM>(&text));
    return text;
}

void PlayerRun::Dismiss(HWND box) { PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

std::string PlayerRun::Location(int timeoutMs) const {
    HWND form = Window("TForm1");
    if (!form) return std::string();
    DeleteFileA(FLocationFile.c_str());
    PostMessageA(form, RegisterWindowMessageA(kReportLocationMessage), 0, 0);
    std::string text;
    WaitUntil(
        [&] {
            if (GetFileAttributesA(FLocationFile.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
            try {
                text = ReadWholeFile(FLocationFile);
            } catch (...) {
                return false;
            }
            return true;
        },
        timeoutMs);
    return text;
}

bool PlayerRun::WaitLocation(const std::string& file, int timeoutMs) const {
    const std::string want = NormaliseLocation(file);
    return WaitUntil([&] { return NormaliseLocation(Location(500)) == want; }, timeoutMs);
}

bool PlayerRun::WaitExit(int timeoutMs, DWORD* code) const {
    if (!FProcess || WaitForSingleObject(FProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return false;
    if (code) GetExitCodeProcess(FProcess, code);
    return true;
}

bool PlayerRun::CloseAndWait(int timeoutMs) {
    HWND form = Window("TForm1");
    if (!form) return false;
    PostMessageA(form, WM_CLOSE, 0, 0);
    return WaitExit(timeoutMs);
}

std::string NormaliseLocation(const std::string& location) {
    std::string s = location;
    if (LowerCase(s.substr(0, 5)) == "file:") {
        s = s.substr(5);
        s = s.substr(std::min(s.find_first_not_of('/'), s.size()));
    }
    s = ReplaceSingleByteChar(s, '/', '\\');
    return LowerCase(s);
}

void SaveScreenShot(const std::string& name) {
    Sleep(300);   // let the windows finish painting
    try {
        SaveWindowShot(GetDesktopWindow(), "Z:\\artefacts\\" + name + ".bmp");
    } catch (...) {
    }
}
