// File routines over POSIX calls, for the native build of the byte-level core.
// Sharing modes have no meaning here; "\" is accepted as a separator.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "classlib/fileio.h"
#include "classlib/native_path_posix.h"

AnsiString NativePath(const AnsiString& path) {
    AnsiString out = path;
    for (size_t i = 0; i < out.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(out[i])) && i + 1 < out.size()) {
            if (out[++i] == '/') return AnsiString();
            continue;
        }
        if (out[i] == '\\') out[i] = '/';
    }
    return out;
}

THandle FileOpen(const AnsiString& name, uint32_t mode) {
    static const int flags[3] = {O_RDONLY, O_WRONLY, O_RDWR};
    if ((mode & 3) > 2) return INVALID_FILE_HANDLE;
    int fd = ::open(NativePath(name).c_str(), flags[mode & 3]);
    if (fd < 0) return INVALID_FILE_HANDLE;
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return INVALID_FILE_HANDLE;
    }
    return fd;
}

THandle FileCreate(const AnsiString& name) {
    int fd = ::open(NativePath(name).c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    return fd < 0 ? INVALID_FILE_HANDLE : fd;
}

int32_t FileRead(THandle h, void* buffer, int32_t count) {
    if (count <= 0) return 0;
    ssize_t n = ::read(static_cast<int>(h), buffer, static_cast<size_t>(count));
    return n < 0 ? -1 : static_cast<int32_t>(n);
}

int32_t FileWrite(THandle h, const void* buffer, int32_t count) {
    if (count <= 0) return 0;
    ssize_t n = ::write(static_cast<int>(h), buffer, static_cast<size_t>(count));
    return n < 0 ? -1 : static_cast<int32_t>(n);
}

int64_t FileSeek(THandle h, int64_t offset, int origin) {
    static const int whence[3] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (origin < 0 || origin > 2) return -1;
    off_t r = ::lseek(static_cast<int>(h), static_cast<off_t>(offset), whence[origin]);
    return r < 0 ? -1 : static_cast<int64_t>(r);
}

bool FileTruncateHere(THandle h) {
    off_t pos = ::lseek(static_cast<int>(h), 0, SEEK_CUR);
    return pos >= 0 && ::ftruncate(static_cast<int>(h), pos) == 0;
}

bool FileFlush(THandle h) { return ::fsync(static_cast<int>(h)) == 0; }
void FileClose(THandle h) { ::close(static_cast<int>(h)); }

bool FileExists(const AnsiString& name) {
    struct stat st;
    return ::stat(NativePath(name).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const AnsiString& name) {
    struct stat st;
    return ::stat(NativePath(name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(const AnsiString& name) { return ::unlink(NativePath(name).c_str()) == 0; }

bool RenameFile(const AnsiString& from, const AnsiString& to) {
    if (FileExists(to) || DirectoryExists(to)) return false;   // MoveFile does not replace
    return ::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

bool CreateDir(const AnsiString& name) { return ::mkdir(NativePath(name).c_str(), 0755) == 0; }
bool RemoveDir(const AnsiString& name) { return ::rmdir(NativePath(name).c_str()) == 0; }

bool ForceDirectories(const AnsiString& name) {
    AnsiString dir = ExcludeTrailingPathDelimiter(NativePath(name));
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    if (dir.empty() || DirectoryExists(dir)) return !dir.empty();
    size_t slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !ForceDirectories(dir.substr(0, slash))) return false;
    return CreateDir(dir) || DirectoryExists(dir);
}

int64_t FileSizeByName(const AnsiString& name) {
    struct stat st;
    if (::stat(NativePath(name).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return static_cast<int64_t>(st.st_size);
}

// Code page 936: lead bytes are 0x81..0xFE.
bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
