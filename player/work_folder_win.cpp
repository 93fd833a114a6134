#include "player/work_folder_win.h"

#include "player/work_paths.h"

AnsiString GetTempFolder() {
    char reported[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof reported, reported);
    if (n == 0 || n >= sizeof reported) return AnsiString();
    // The full form: no "." or ".." from the environment, no drive-relative path.
    char full[MAX_PATH + 1];
    const DWORD m = GetFullPathNameA(reported, sizeof full, full, nullptr);
    if (m == 0 || m >= sizeof full) return AnsiString();
    return NormaliseTempFolder(AnsiString(full, m));
}

namespace {

constexpr DWORD kNoAttributes = INVALID_FILE_ATTRIBUTES;

bool IsPlainFolder(DWORD attributes) {
    return attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The folder can hold the book: it is a plain folder (made now if missing), and the temporary
// archive's name beside it is free or an ordinary file.
bool PrepareFolder(const AnsiString& folder) {
    DWORD a = GetFileAttributesA(folder.c_str());
    if (a == kNoAttributes) {
        if (!CreateDirectoryA(folder.c_str(), nullptr)) return false;
        a = GetFileAttributesA(folder.c_str());
    }
    if (!IsPlainFolder(a)) return false;
    const DWORD archive = GetFileAttributesA(TempArchivePath(folder).c_str());
    return archive == kNoAttributes || !(archive & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

}  // namespace

bool TWorkFolderClaim::Claim(const AnsiString& tempFolder, const AnsiString& fileName) {
    Release();
    if (tempFolder.empty() || fileName.empty()) return false;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        const AnsiString folder = WorkFolderCandidate(tempFolder, fileName, attempt);
        if (folder.size() > MAX_PATH - 16 || !IsWorkFolderUnder(folder, tempFolder)) return false;
        HANDLE mutex = CreateMutexA(nullptr, FALSE, WorkFolderMutexName(folder).c_str());
        if (!mutex) continue;
        if (GetLastError() == ERROR_ALREADY_EXISTS || !PrepareFolder(folder)) {
            CloseHandle(mutex);
            continue;
        }
        FMutex = mutex;
        FFolder = folder;
        return true;
    }
    return false;
}

void TWorkFolderClaim::Release() {
    if (FMutex) CloseHandle(FMutex);
    FMutex = nullptr;
    FFolder.clear();
}
