#include "builder/pack_files_win.h"

#include <windows.h>

#include <atomic>

#include "classlib/fileio.h"
#include "classlib/resource_stream.h"

namespace {

AnsiString WithSeparator(const AnsiString& folder) {
    if (folder.empty() || EndsWithChar(folder, '\\') || EndsWithChar(folder, '/')) return folder;
    return folder + "\\";
}

// True when a new file can be made at path; the probe leaves nothing behind.
bool CanCreateFileAt(const AnsiString& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    if (FileExists(path)) RemoveFile(path);
    return !FileExists(path);
}

}  // namespace

AnsiString GetDriversFolder() {
    char buf[256] = {0};
    const UINT n = GetWindowsDirectoryA(buf, 255);
    AnsiString folder = n > 0 && n < 255 ? AnsiString(buf, n) : AnsiString();
    if (!EndsWithChar(folder, '/') && !EndsWithChar(folder, '\\')) folder += "\\";
    folder += "drivers";
    if (!DirectoryExists(folder)) CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

AnsiString GetUserTempFolder() {
    char buf[MAX_PATH + 1] = {0};
    const DWORD n = GetTempPathA(sizeof buf, buf);
    if (n == 0 || n > MAX_PATH) return AnsiString();
    return WithSeparator(AnsiString(buf, n));
}

AnsiString UniqueFileName(const AnsiString& folder, const AnsiString& prefix, const AnsiString& ext) {
    static std::atomic<unsigned> counter{0};
    const AnsiString base = WithSeparator(folder) + prefix + IntToHex(GetCurrentProcessId(), 4) + "-";
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const unsigned n = GetTickCount() ^ (++counter * 2654435761u);
        const AnsiString path = base + IntToHex(n, 8) + ext;
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND)
            return path;
    }
    return AnsiString();
}

AnsiString ChooseTempArchivePath(const AnsiString& preferredFolder, const AnsiString& fallbackFolder,
                                 const AnsiString& bookName) {
    if (!preferredFolder.empty()) {
        const AnsiString path = WithSeparator(preferredFolder) + bookName + ".tmp";
        if (FileExists(path)) RemoveFile(path);   // left by an earlier run
        if (!FileExists(path) && CanCreateFileAt(path)) return path;
    }
    if (fallbackFolder.empty()) return AnsiString();
    for (int attempt = 0; attempt < 10; ++attempt) {
        const AnsiString path = UniqueFileName(fallbackFolder, "pagewrap-", ".tmp");
        if (path.empty()) break;
        if (CanCreateFileAt(path)) return path;
    }
    return AnsiString();
}

bool ExtractPlayerResource(const char* resType, const char* resName, const AnsiString& fileName) {
    bool created = false;
    try {
        TResourceStream stub(nullptr, resName, resType);
        TFileStream file(fileName, fmCreate);
        created = true;
        stub.SaveToStream(&file);
        return true;
    } catch (...) {
    }
    if (created) RemoveFile(fileName);
    return false;
}

bool ReplaceFileByRename(const AnsiString& from, const AnsiString& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
