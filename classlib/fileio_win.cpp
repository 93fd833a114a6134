// File routines over the Win32 ANSI API.
#include <windows.h>

#include "classlib/fileio.h"

static HANDLE H(THandle h) { return reinterpret_cast<HANDLE>(h); }

THandle FileOpen(const AnsiString& name, uint32_t mode) {
    static const DWORD access[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    static const DWORD share[5] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
    if ((mode & 3) > 2 || ((mode & 0xF0) >> 4) > 4) return INVALID_FILE_HANDLE;
    HANDLE h = CreateFileA(name.c_str(), access[mode & 3], share[(mode & 0xF0) >> 4], nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? INVALID_FILE_HANDLE : reinterpret_cast<THandle>(h);
}

THandle FileCreate(const AnsiString& name) {
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? INVALID_FILE_HANDLE : reinterpret_cast<THandle>(h);
}

int32_t FileRead(THandle h, void* buffer, int32_t count) {
    DWORD n = 0;
    if (count <= 0) return 0;
    if (!ReadFile(H(h), buffer, static_cast<DWORD>(count), &n, nullptr)) return -1;
    return static_cast<int32_t>(n);
}

int32_t FileWrite(THandle h, const void* buffer, int32_t count) {
    DWORD n = 0;
    if (count <= 0) return 0;
    if (!WriteFile(H(h), buffer, static_cast<DWORD>(count), &n, nullptr)) return -1;
    return static_cast<int32_t>(n);
}

int64_t FileSeek(THandle h, int64_t offset, int origin) {
    if (origin < 0 || origin > 2) return -1;
    LARGE_INTEGER dist, result;
    dist.QuadPart = offset;
    if (!SetFilePointerEx(H(h), dist, &result, static_cast<DWORD>(origin))) return -1;
    return result.QuadPart;
}

bool FileTruncateHere(THandle h) { return SetEndOfFile(H(h)) != 0; }
bool FileFlush(THandle h) { return FlushFileBuffers(H(h)) != 0; }
void FileClose(THandle h) { CloseHandle(H(h)); }

bool FileExists(const AnsiString& name) {
    DWORD a = GetFileAttributesA(name.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const AnsiString& name) {
    DWORD a = GetFileAttributesA(name.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const AnsiString& name) { return DeleteFileA(name.c_str()) != 0; }
bool RenameFile(const AnsiString& from, const AnsiString& to) { return MoveFileA(from.c_str(), to.c_str()) != 0; }
bool CreateDir(const AnsiString& name) { return CreateDirectoryA(name.c_str(), nullptr) != 0; }
bool RemoveDir(const AnsiString& name) { return RemoveDirectoryA(name.c_str()) != 0; }

bool ForceDirectories(const AnsiString& name) {
    AnsiString dir = ExcludeTrailingPathDelimiter(name);
    if (dir.empty() || DirectoryExists(dir)) return !dir.empty();
    AnsiString parent = ExtractFilePath(dir);
    // Stop at a drive ("C:\") or share root, which cannot be created.
    if (!parent.empty() && parent != dir && ExcludeTrailingPathDelimiter(parent) != ExtractFileDrive(dir))
        if (!ForceDirectories(parent)) return false;
    return CreateDir(dir) || DirectoryExists(dir);
}

int64_t FileSizeByName(const AnsiString& name) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &d)) return -1;
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return (static_cast<int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }
