// The Windows half of the file utilities.
#include <windows.h>

#include <vector>

#include "ziparchive/file_utils.h"
#include "ziparchive/file_utils_platform.h"

int AnsiCompareText(const AnsiString& a, const AnsiString& b) {
    const int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                                 static_cast<int>(b.size()));
    return r == 0 ? CompareText(a, b) : r - CSTR_EQUAL;
}

bool ProcessWindowMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));   // the application's loop must still see it
            return true;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return false;
}

AnsiString GetDriveDir(int drive) {
    char buf[MAX_PATH + 1];
    DWORD n;
    if (drive <= 0) {
        n = GetCurrentDirectoryA(sizeof(buf), buf);
    } else {
        char spec[4] = {static_cast<char>('A' + drive - 1), ':', '.', 0};
        n = GetFullPathNameA(spec, sizeof(buf), buf, nullptr);
    }
    if (n == 0 || n >= sizeof(buf)) return AnsiString();
    return IncludeTrailingPathDelimiter(AnsiString(buf, n));
}

AnsiString MakeTempFileName(const AnsiString& dir) {
    char buf[MAX_PATH + 1];
    if (GetTempFileNameA(dir.c_str(), "ZKZ", 0, buf) == 0) return AnsiString();
    return buf;
}

bool SetDiskLabel(const AnsiString& root, const AnsiString& label) {
    // Set in one call: clearing first with a null label crashes some systems (Wine 8), and
    // a new label replaces the old one anyway.
    return SetVolumeLabelA(root.c_str(), label.c_str()) != 0;
}

bool IsRemovableDrive(const AnsiString& root) {
    UINT t = GetDriveTypeA(root.c_str());
    return t == DRIVE_REMOVABLE || t == DRIVE_CDROM;
}

AnsiString GetDiskLabel(const AnsiString& root) {
    char name[MAX_PATH + 1] = {0};
    if (!GetVolumeInformationA(root.c_str(), name, sizeof(name), nullptr, nullptr, nullptr, nullptr, 0))
        return AnsiString();
    AnsiString label = name;
    while (label.size() > 13) label = DropLastChar(label);   // never half a double-byte character
    return label;
}

AnsiString AnsiToOemString(const AnsiString& s) {
    if (s.empty()) return s;
    std::vector<char> out(s.size() + 1, 0);
    CharToOemBuffA(s.c_str(), out.data(), static_cast<DWORD>(s.size()));
    return AnsiString(out.data(), s.size());
}

AnsiString OemToAnsiString(const AnsiString& s) {
    if (s.empty()) return s;
    std::vector<char> out(s.size() + 1, 0);
    OemToCharBuffA(s.c_str(), out.data(), static_cast<DWORD>(s.size()));
    return AnsiString(out.data(), s.size());
}

void OemRoundTrip(AnsiString& s) { s = OemToAnsiString(AnsiToOemString(s)); }

AnsiString Utf8ToAnsiString(const AnsiString& s) {
    if (s.empty()) return s;
    // Invalid sequences become U+FFFD, which no ANSI code page holds: both end as SUB.
    const int wide = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (wide <= 0) return AnsiString(s.size(), kUnrepresentableChar);
    std::vector<wchar_t> w(static_cast<size_t>(wide));
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), wide);
    const char sub[2] = {kUnrepresentableChar, 0};
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), wide, nullptr, 0, sub, nullptr);
    if (n <= 0) return AnsiString(static_cast<size_t>(wide), kUnrepresentableChar);
    AnsiString out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), wide, &out[0], n, sub, nullptr);
    return out;
}

namespace file_utils_platform {

TCriticalErrorGuard::TCriticalErrorGuard() : FOldMode(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
TCriticalErrorGuard::~TCriticalErrorGuard() { SetErrorMode(FOldMode); }

static bool Identify(const AnsiString& name, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE h = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return ok;
}

bool SameFile(const AnsiString& source, const AnsiString& dest) {
    BY_HANDLE_FILE_INFORMATION a, b;
    if (!Identify(source, a) || !Identify(dest, b)) return false;
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace file_utils_platform
