#include "classlib/gui/dialogs.h"

#include <commdlg.h>
#include <ole2.h>
#include <shlobj.h>

#include <vector>

#include "classlib/gui/application.h"

// "a|b|c" becomes "a\0b\0c\0\0"; a "|" that is the second byte of a double-byte character stays.
static std::vector<char> FilterList(const AnsiString& filter) {
    std::vector<char> out;
    for (size_t i = 0; i < filter.size(); ++i) {
        auto c = static_cast<unsigned char>(filter[i]);
        if (IsLeadByte(c) && i + 1 < filter.size()) {
            out.push_back(filter[i]);
            out.push_back(filter[++i]);
            continue;
        }
        out.push_back(c == '|' ? '\0' : filter[i]);
    }
    out.push_back('\0');
    out.push_back('\0');
    return out;
}

bool TOpenDialog::Execute() { return RunDialog(false); }
bool TSaveDialog::Execute() { return RunDialog(true); }

bool TOpenDialog::RunDialog(bool save) {
    std::vector<char> filter = FilterList(FFilter);
    std::vector<char> file(64 * 1024, '\0');
    if (FFileName.size() < file.size()) std::copy(FFileName.begin(), FFileName.end(), file.begin());
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFilter = FFilter.empty() ? nullptr : filter.data();
    ofn.nFilterIndex = static_cast<DWORD>(FFilterIndex);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = FInitialDir.empty() ? nullptr : FInitialDir.c_str();
    ofn.lpstrTitle = FTitle.empty() ? nullptr : FTitle.c_str();
    ofn.lpstrDefExt = FDefaultExt.empty() ? nullptr : FDefaultExt.c_str();
    ofn.Flags = OFN_EXPLORER;
    if (FOptions & ofReadOnly) ofn.Flags |= OFN_READONLY;
    if (FOptions & ofOverwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (FOptions & ofHideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
    if (FOptions & ofNoChangeDir) ofn.Flags |= OFN_NOCHANGEDIR;
    if (FOptions & ofAllowMultiSelect) ofn.Flags |= OFN_ALLOWMULTISELECT;
    if (FOptions & ofPathMustExist) ofn.Flags |= OFN_PATHMUSTEXIST;
    if (FOptions & ofFileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
    if (FOptions & ofCreatePrompt) ofn.Flags |= OFN_CREATEPROMPT;
    if (FOptions & ofNoValidate) ofn.Flags |= OFN_NOVALIDATE;
    if (FOptions & ofEnableSizing) ofn.Flags |= OFN_ENABLESIZING;
    if (FOptions & ofDontAddToRecent) ofn.Flags |= OFN_DONTADDTORECENT;
    BOOL ok = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!ok) return false;
    FFilterIndex = static_cast<int>(ofn.nFilterIndex);
    FFiles.Clear();
    file.back() = '\0';
    const char* p = file.data();
    AnsiString first = p;
    p += first.size() + 1;
    if ((FOptions & ofAllowMultiSelect) && *p) {
        AnsiString dir = IncludeTrailingPathDelimiter(first);
        while (*p) {
            AnsiString name = p;
            FFiles.Add(dir + name);
            p += name.size() + 1;
        }
        FFileName = FFiles.Get(0);
    } else {
        FFileName = first;
        FFiles.Add(first);
    }
    return true;
}

bool SelectDirectory(const AnsiString& caption, const AnsiString& root, AnsiString& directory) {
    HRESULT init = CoInitialize(nullptr);
    bool ok = false;
    PIDLIST_ABSOLUTE rootList = nullptr;
    if (!root.empty()) {
        int n = MultiByteToWideChar(CP_ACP, 0, root.c_str(), -1, nullptr, 0);
        std::vector<wchar_t> w(static_cast<size_t>(n > 0 ? n : 1), L'\0');
        MultiByteToWideChar(CP_ACP, 0, root.c_str(), -1, w.data(), n);
        SHParseDisplayName(w.data(), nullptr, &rootList, 0, nullptr);
    }
    char display[MAX_PATH + 1] = {0};
    BROWSEINFOA bi{};
    bi.hwndOwner = GetActiveWindow();
    bi.pidlRoot = rootList;
    bi.pszDisplayName = display;
    bi.lpszTitle = caption.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&bi);
    if (chosen) {
        char path[MAX_PATH + 1] = {0};
        if (SHGetPathFromIDListA(chosen, path)) {
            directory = path;
            ok = true;
        }
        CoTaskMemFree(chosen);
    }
    if (rootList) CoTaskMemFree(rootList);
    if (SUCCEEDED(init)) CoUninitialize();
    return ok;
}
