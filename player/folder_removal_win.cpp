#include "player/folder_removal_win.h"

#include "classlib/gui/windows_api.h"
#include <shellapi.h>

#include <vector>

namespace {

// Clears the attributes that keep a file or folder from being deleted.
void MakeDeletable(const AnsiString& path, DWORD attributes) {
    const DWORD blocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & blocking))
        SetFileAttributesA(path.c_str(), attributes & ~blocking);
}

void RemoveTree(const AnsiString& folder, int depth) {
    // Deeper than any path that fits in MAX_PATH: something is wrong, stop here.
    if (depth > MAX_PATH / 2) return;
    const AnsiString base = IncludeTrailingPathDelimiter(folder);
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((base + "*.*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const AnsiString name = fd.cFileName;
            if (name == "." || name == "..") continue;
            const AnsiString path = base + name;
            MakeDeletable(path, fd.dwFileAttributes);
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileA(path.c_str());
            } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                RemoveDirectoryA(path.c_str());   // the link only, not what it points at
            } else {
                RemoveTree(path, depth + 1);
            }
        } while (FindNextFileA(find, &fd));
        FindClose(find);
    }
    MakeDeletable(folder, GetFileAttributesA(folder.c_str()));
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

bool ShellDeleteFolder(const AnsiString& folder) {
    if (!IsRemovablePath(folder)) return false;
    // pFrom is a list ending in two NULs.
    std::vector<char> from(folder.begin(), folder.end());
    from.push_back('\0');
    from.push_back('\0');
    SHFILEOPSTRUCTA op{};
    op.hwnd = nullptr;
    op.wFunc = FO_DELETE;
    op.pFrom = from.data();
    op.pTo = nullptr;
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

bool DeleteFolderTree(const AnsiString& folder) {
    if (!IsRemovablePath(folder)) return false;
    const AnsiString path = ExcludeTrailingPathDelimiter(folder);
    const DWORD a = GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return true;
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) return false;   // a file of that name is not ours to delete
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveDirectoryA(path.c_str());
    } else {
        RemoveTree(path, 0);
    }
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}
