#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <mutex>

#include "classlib/native_path_posix.h"
#include "zipextract/file_stamps.h"

namespace file_stamps {

namespace {

bool DosToTime(uint32_t dos, time_t& when) {
    struct tm t = {};
    t.tm_sec = static_cast<int>((dos & 0x1F) * 2);
    t.tm_min = static_cast<int>((dos >> 5) & 0x3F);
    t.tm_hour = static_cast<int>((dos >> 11) & 0x1F);
    t.tm_mday = static_cast<int>((dos >> 16) & 0x1F);
    t.tm_mon = static_cast<int>((dos >> 21) & 0x0F) - 1;
    t.tm_year = static_cast<int>(dos >> 25) + 80;
    t.tm_isdst = -1;
    // mktime reads the time zone into shared state; extraction workers call this at once.
    static std::mutex zoneLock;
    {
        std::lock_guard<std::mutex> hold(zoneLock);
        when = mktime(&t);
    }
    return when != static_cast<time_t>(-1);
}

// Only the read-only bit has a counterpart: the owner's write permission.
mode_t ModeFor(mode_t mode, uint32_t attr) {
    mode &= 07777;
    return (attr & faReadOnly) ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
}

}  // namespace

bool SetHandleStamp(THandle handle, uint32_t dosDateTime, int32_t attributes) {
    const int fd = static_cast<int>(handle);
    time_t when;
    if (!DosToTime(dosDateTime, when)) return false;
    struct timespec times[2] = {{0, UTIME_OMIT}, {when, 0}};
    if (futimens(fd, times) != 0) return false;
    if (attributes < 0) return true;
    struct stat st;
    return fstat(fd, &st) == 0 && fchmod(fd, ModeFor(st.st_mode, static_cast<uint32_t>(attributes))) == 0;
}

bool SetFileDosDate(const AnsiString& name, uint32_t dosDateTime) {
    const int fd = open(NativePath(name).c_str(), O_WRONLY);
    if (fd < 0) return false;
    const bool ok = SetHandleStamp(fd, dosDateTime, -1);
    close(fd);
    return ok;
}

int32_t GetFileAttr(const AnsiString& name) {
    struct stat st;
    if (stat(NativePath(name).c_str(), &st) != 0) return -1;
    if (S_ISDIR(st.st_mode)) return static_cast<int32_t>(faDirectory);
    return static_cast<int32_t>(faArchive | ((st.st_mode & S_IWUSR) ? 0 : faReadOnly));
}

bool SetFileAttr(const AnsiString& name, uint32_t attr) {
    struct stat st;
    const AnsiString n = NativePath(name);
    return stat(n.c_str(), &st) == 0 && chmod(n.c_str(), ModeFor(st.st_mode, attr)) == 0;
}

}  // namespace file_stamps
