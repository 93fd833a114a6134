// The class library's own folder-selection dialog: a folder-name box the user may type into,
// and the folders of the current one to walk through. Only user32 and the file layer are
// used, so that the archive library, which offers it to console programs too, does not bring
// in the common controls (under Wine their start launches the desktop process).
#include "classlib/gui/dialogs.h"

#include <algorithm>
#include <vector>

#include "classlib/fileio.h"
#include "classlib/sysutils.h"

namespace {

enum : int { kNameLabel = 100, kNameEdit, kFolderLabel, kFolderList };

// A dialog template laid out in memory: DLGTEMPLATE, then each DLGITEMTEMPLATE on a DWORD
// boundary; texts are set in WM_INITDIALOG (they are ANSI, the template's would be UTF-16).
class TTemplate {
public:
    TTemplate(WORD cx, WORD cy) {
        DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
        Dword(style);
        Dword(0);
        FCountAt = FWords.size();
        Words({0, 0, 0, cx, cy});
        Words({0, 0, 0});   // no menu, the dialog class, empty caption
        Word(9);
        for (const char* f = "MS Shell Dlg"; *f; ++f) Word(static_cast<WORD>(*f));
        Word(0);
    }
    void Item(DWORD style, WORD x, WORD y, WORD cx, WORD cy, int id, WORD atom) {
        if (FWords.size() % 2) Word(0);
        Dword(WS_CHILD | WS_VISIBLE | style);
        Dword(0);
        Words({x, y, cx, cy,
               static_cast<WORD>(id), 0xFFFF, atom, 0, 0});
        ++FWords[FCountAt];
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(FWords.data()); }

private:
    void Word(WORD w) { FWords.push_back(w); }
    void Words(std::initializer_list<WORD> ws) { FWords.insert(FWords.end(), ws); }
    void Dword(DWORD d) { Words({LOWORD(d), HIWORD(d)}); }
    std::vector<WORD> FWords;   // WORD-aligned by the vector, DWORD-aligned by new
    size_t FCountAt = 0;
};

enum : WORD { kButton = 0x80, kEdit = 0x81, kStatic = 0x82, kListBox = 0x83 };

struct TSelectState {
    AnsiString Folder;   // the folder whose sub-folders the list shows
    AnsiString Chosen;
    TSelectDirOpts Options;
};

AnsiString WindowText(HWND w) {
    int n = GetWindowTextLengthA(w);
    std::string s(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
    GetWindowTextA(w, &s[0], n + 1);
    s.resize(static_cast<size_t>(n > 0 ? n : 0));
    return s;
}

// A path as the user typed it, made absolute against the listed folder; no trailing "\"
// except on a drive's root.
AnsiString Absolute(const AnsiString& folder, const AnsiString& typed) {
    AnsiString t = Trim(typed);
    if (t.empty()) return t;
    bool rooted = t[0] == '\\' || t[0] == '/' || (t.size() >= 2 && t[1] == ':');
    AnsiString joined = rooted ? t : IncludeTrailingPathDelimiter(folder) + t;
    char full[MAX_PATH * 2] = "";
    DWORD n = GetFullPathNameA(joined.c_str(), sizeof full, full, nullptr);
    AnsiString out = n > 0 && n < sizeof full ? AnsiString(full) : joined;
    if (out.size() > 3) out = ExcludeTrailingPathDelimiter(out);
    return out;
}

void FillFolders(HWND dialog, TSelectState& s) {
    HWND list = GetDlgItem(dialog, kFolderList);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((IncludeTrailingPathDelimiter(s.Folder) + "*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..") names.push_back(name);
        } while (FindNextFileA(find, &fd));
        FindClose(find);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_LESS_THAN;
    });
    if (s.Folder.size() > 3) names.insert(names.begin(), "..");
    for (const std::string& n : names) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(n.c_str()));
    SetDlgItemTextA(dialog, kNameEdit, s.Folder.c_str());
}

void EnterFolder(HWND dialog, TSelectState& s) {
    HWND list = GetDlgItem(dialog, kFolderList);
    LRESULT i = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (i == LB_ERR) return;
    LRESULT n = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::string name(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&name[0]));
    name.resize(static_cast<size_t>(n > 0 ? n : 0));
    s.Folder = Absolute(s.Folder, name);
    FillFolders(dialog, s);
}

// OK: the typed folder, made when it is missing and the options allow; false keeps the dialog up.
bool Accept(HWND dialog, TSelectState& s) {
    AnsiString path = Absolute(s.Folder, WindowText(GetDlgItem(dialog, kNameEdit)));
    if (path.empty()) return false;
    if (!DirectoryExists(path)) {
        if (!(s.Options & sdAllowCreate)) {
            MessageBoxA(dialog, ("目录不存在：" + path).c_str(), "错误", MB_OK | MB_ICONERROR);
            return false;
        }
        if ((s.Options & sdPrompt) &&
            MessageBoxA(dialog, ("目录 " + path + " 不存在。要创建吗？").c_str(), "确认",
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        if ((s.Options & sdPerformCreate) && !ForceDirectories(path)) {
            MessageBoxA(dialog, ("无法创建目录：" + path).c_str(), "错误", MB_OK | MB_ICONERROR);
            return false;
        }
    }
    s.Chosen = path;
    return true;
}

INT_PTR CALLBACK SelectDirectoryProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* s = reinterpret_cast<TSelectState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    try {
        switch (msg) {
            case WM_INITDIALOG:
                SetWindowLongPtrA(dialog, DWLP_USER, lp);
                s = reinterpret_cast<TSelectState*>(lp);
                SetWindowTextA(dialog, "选择目录");
                SetDlgItemTextA(dialog, kNameLabel, "目录名(&N):");
                SetDlgItemTextA(dialog, kFolderLabel, "目录(&D):");
                SetDlgItemTextA(dialog, IDOK, "确定");
                SetDlgItemTextA(dialog, IDCANCEL, "取消");
                FillFolders(dialog, *s);
                return TRUE;
            case WM_COMMAND:
                if (LOWORD(wp) == kFolderList && HIWORD(wp) == LBN_DBLCLK) {
                    EnterFolder(dialog, *s);
                } else if (LOWORD(wp) == IDOK) {
                    if (Accept(dialog, *s)) EndDialog(dialog, IDOK);
                } else if (LOWORD(wp) == IDCANCEL) {
                    EndDialog(dialog, IDCANCEL);
                }
                return TRUE;
        }
    } catch (...) {
        // nothing may leave a dialog procedure; the dialog stays as it was
    }
    return FALSE;
}

}  // namespace

bool SelectDirectory(AnsiString& directory, TSelectDirOpts options, int helpCtx) {
    TSelectState state;
    state.Options = options;
    char current[MAX_PATH + 1] = "";
    DWORD n = GetCurrentDirectoryA(sizeof current, current);
    AnsiString here = n > 0 && n < sizeof current ? AnsiString(current) : AnsiString("C:\\");
    state.Folder = Absolute(here, directory.empty() ? here : directory);
    // Start in the nearest folder that exists.
    while (state.Folder.size() > 3 && !DirectoryExists(state.Folder))
        state.Folder = ExcludeTrailingPathDelimiter(ExtractFilePath(state.Folder));

    TTemplate t(220, 152);
    t.Item(SS_LEFT, 7, 7, 206, 9, kNameLabel, kStatic);
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 18, 206, 13, kNameEdit, kEdit);
    t.Item(SS_LEFT, 7, 37, 206, 9, kFolderLabel, kStatic);
    t.Item(LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 48, 206, 78, kFolderList, kListBox);
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 106, 131, 50, 14, IDOK, kButton);
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 163, 131, 50, 14, IDCANCEL, kButton);
    (void)helpCtx;   // no help file
    INT_PTR r = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), GetActiveWindow(), SelectDirectoryProc,
                                        reinterpret_cast<LPARAM>(&state));
    if (r != IDOK) return false;
    directory = state.Chosen;
    return true;
}
