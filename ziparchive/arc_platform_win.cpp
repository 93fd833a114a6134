#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "ziparchive/arc_platform.h"

namespace arc_platform {

namespace {

// The dialogs' system libraries are loaded when a dialog is shown, never linked: comdlg32
// brings in comctl32, whose start makes Wine launch its desktop process for every program
// of the archive library, console ones included. Loaded from the system folder by full
// path and kept for the life of the process.
template <typename TProc>
TProc SystemProc(const char* library, const char* name) {
    char dir[MAX_PATH + 1];
    const UINT n = GetSystemDirectoryA(dir, sizeof dir);
    if (n == 0 || n >= sizeof dir) return nullptr;
    const std::string path = std::string(dir, n) + "\\" + library;
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) return nullptr;
    // Through void(*)(): a procedure address may become any function pointer type.
    return reinterpret_cast<TProc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

TFileStamp FileStampOf(THandle handle) {
    TFileStamp s;
    HANDLE h = reinterpret_cast<HANDLE>(handle);
    LARGE_INTEGER size;
    FILETIME write;
    if (handle == INVALID_FILE_HANDLE || !GetFileSizeEx(h, &size) || !GetFileTime(h, nullptr, nullptr, &write))
        return s;
    s.Valid = true;
    s.Size = size.QuadPart;
    s.WriteTime = (static_cast<int64_t>(write.dwHighDateTime) << 32) | write.dwLowDateTime;
    FILETIME local;
    WORD dosDate = 0, dosTime = 0;
    if (FileTimeToLocalFileTime(&write, &local) && FileTimeToDosDateTime(&local, &dosDate, &dosTime)) {
        try {
            s.Date = FileDateToDateTime((static_cast<uint32_t>(dosDate) << 16) | dosTime);
        } catch (const EConvertError&) {
            s.Date = 0;
        }
    }
    return s;
}

int ShowMessageBox(const AnsiString& text, const AnsiString& caption, uint32_t flags) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), flags);
}

bool PromptForFileName(const AnsiString& title, const AnsiString& filter, const AnsiString& initialDir,
                       AnsiString& fileName) {
    // The filter's "|" separators become the zero bytes the dialog expects.
    std::vector<char> filt(filter.begin(), filter.end());
    for (char& c : filt)
        if (c == '|') c = '\0';
    filt.push_back('\0');
    filt.push_back('\0');
    char file[MAX_PATH + 1] = "";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = filt.data();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = initialDir.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING;
    static const auto getOpenFileName = SystemProc<decltype(&GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
    if (!getOpenFileName || !getOpenFileName(&ofn)) return false;
    fileName = file;
    return true;
}

namespace {
int CALLBACK BrowseCallback(HWND wnd, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data) SendMessageA(wnd, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}
}  // namespace

bool PromptForDirectory(AnsiString& dir) {
    static const auto coInitializeEx = SystemProc<decltype(&CoInitializeEx)>("ole32.dll", "CoInitializeEx");
    static const auto coUninitialize = SystemProc<decltype(&CoUninitialize)>("ole32.dll", "CoUninitialize");
    static const auto coTaskMemFree = SystemProc<decltype(&CoTaskMemFree)>("ole32.dll", "CoTaskMemFree");
    static const auto browseForFolder = SystemProc<decltype(&SHBrowseForFolderA)>("shell32.dll", "SHBrowseForFolderA");
    static const auto pathFromIdList =
        SystemProc<decltype(&SHGetPathFromIDListA)>("shell32.dll", "SHGetPathFromIDListA");
    if (!coInitializeEx || !coUninitialize || !coTaskMemFree || !browseForFolder || !pathFromIdList) return false;
    HRESULT co = coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    char display[MAX_PATH + 1] = "";
    BROWSEINFOA bi = {};
    bi.pszDisplayName = display;
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    bi.lpfn = BrowseCallback;
    bi.lParam = reinterpret_cast<LPARAM>(dir.c_str());
    bool ok = false;
    if (LPITEMIDLIST pidl = browseForFolder(&bi)) {
        char path[MAX_PATH + 1] = "";
        if (pathFromIdList(pidl, path)) {
            dir = path;
            ok = true;
        }
        coTaskMemFree(pidl);
    }
    if (SUCCEEDED(co)) coUninitialize();
    return ok;
}

TDefaultCursor::TDefaultCursor() : FOld(SetCursor(LoadCursor(nullptr, IDC_ARROW))) {}
TDefaultCursor::~TDefaultCursor() { SetCursor(static_cast<HCURSOR>(FOld)); }

}  // namespace arc_platform
