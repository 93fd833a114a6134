#include "tests/gui/gui_test_support.h"

#include "classlib/gui/bitmap.h"

bool PumpUntil(const std::function<bool()>& cond, int timeoutMs) {
    DWORD start = GetTickCount();
    while (!cond()) {
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return cond();
        Application->ProcessMessages();
        if (cond()) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(int ms) {
    DWORD start = GetTickCount();
    while (static_cast<int>(GetTickCount() - start) < ms) {
        Application->ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

CaughtErrors::CaughtErrors() {
    Application->OnException = [this](TObject*, const Exception& e) { Messages.push_back(e.Message); };
}

CaughtErrors::~CaughtErrors() { Application->OnException = nullptr; }

namespace {
struct DialogSearch {
    std::string caption;
    HWND found = nullptr;
};
BOOL CALLBACK FindDialogProc(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<DialogSearch*>(p);
    char cls[64] = {0}, text[512] = {0};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, text, sizeof text);
    if (std::string(cls) == "#32770" && IsWindowVisible(w) && (s->caption.empty() || s->caption == text)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}
BOOL CALLBACK CollectTexts(HWND w, LPARAM p) {
    auto* out = reinterpret_cast<std::string*>(p);
    char cls[64] = {0}, text[1024] = {0};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, text, sizeof text);
    if (_stricmp(cls, "Static") == 0 && text[0]) {
        if (!out->empty()) *out += "|";
        *out += text;
    }
    return TRUE;
}
}  // namespace

HWND FindDialog(const std::string& caption) {
    DialogSearch s{caption};
    EnumThreadWindows(GetCurrentThreadId(), FindDialogProc, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::string DialogTexts(HWND dialog) {
    std::string out;
    EnumChildWindows(dialog, CollectTexts, reinterpret_cast<LPARAM>(&out));
    return out;
}

std::string ArtifactPath(const std::string& name) {
    std::string dir = "Z:" PW_ARTIFACT_DIR;
    for (char& c : dir)
        if (c == '/') c = '\\';
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir + "\\" + name;
}

void SaveWindowShot(HWND window, const std::string& path) {
    RECT r;
    GetWindowRect(window, &r);
    TBitmap shot(r.right - r.left, r.bottom - r.top);
    shot.SetPixelFormat(pf24bit);
    HDC screen = GetDC(nullptr);
    BitBlt(shot.GetCanvas()->GetHandle(), 0, 0, shot.GetWidth(), shot.GetHeight(), screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    shot.SaveToFile(path);
}
