#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "classlib/file_find.h"
#include "classlib/native_path_posix.h"
#include "ziparchive/writer_platform.h"

namespace writer_platform {

uint32_t FileGetAttr(const AnsiString& path) {
    struct stat st;
    if (::stat(NativePath(path).c_str(), &st) != 0) return kInvalidAttributes;
    uint32_t attr = S_ISDIR(st.st_mode) ? faDirectory : faArchive;
    if (!(st.st_mode & S_IWUSR)) attr |= faReadOnly;
    return attr;
}

// Only the read-only bit has a meaning here.
bool FileSetAttr(const AnsiString& path, uint32_t attr) {
    struct stat st;
    const AnsiString p = NativePath(path);
    if (::stat(p.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    mode = (attr & faReadOnly) ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
    return ::chmod(p.c_str(), mode) == 0;
}

AnsiString SystemTempDir() {
    const char* t = getenv("TMPDIR");
    return IncludeTrailingPathDelimiter(AnsiString(t && *t ? t : "/tmp"));
}

bool ReplaceByRename(const AnsiString& source, const AnsiString& dest) {
    return ::rename(NativePath(source).c_str(), NativePath(dest).c_str()) == 0;
}

bool ReplaceKeepingAccess(const AnsiString& source, const AnsiString& dest) {
    const AnsiString from = NativePath(dest), to = NativePath(source);
    struct stat old, now;
    if (::stat(from.c_str(), &old) == 0 && ::stat(to.c_str(), &now) == 0) {
        // Owner and group first (a user may not give files away: then they stay the
        // user's); chown clears set-id bits that the mode then puts back.
        if ((old.st_uid != now.st_uid || old.st_gid != now.st_gid) && ::chown(to.c_str(), old.st_uid, old.st_gid) != 0) {
        }
        if ((now.st_mode & 07777) != (old.st_mode & 07777) && ::chmod(to.c_str(), old.st_mode & 07777) != 0) {
        }
    }
    return ReplaceByRename(source, dest);
}

// No drive letters here: the volume of the folder that holds Path.
namespace {
AnsiString ExistingFolderOf(const AnsiString& path) {
    AnsiString dir = NativePath(ExtractFilePath(path));
    return dir.empty() ? AnsiString(".") : dir;
}
}  // namespace

int64_t FreeSpaceOfDrive(const AnsiString& path) {
    struct statvfs v;
    if (::statvfs(ExistingFolderOf(path).c_str(), &v) != 0) return -1;
    return static_cast<int64_t>(v.f_bavail) * static_cast<int64_t>(v.f_frsize);
}

int64_t ClusterSize(const AnsiString& root) {
    struct statvfs v;
    if (::statvfs(ExistingFolderOf(root).c_str(), &v) != 0) throw EOSError("Cannot read the cluster size of " + root);
    return static_cast<int64_t>(v.f_frsize);
}

bool VolumeSerial(const AnsiString& path, uint32_t& serial) {
    struct stat st;
    if (::stat(ExistingFolderOf(path).c_str(), &st) != 0) return false;
    serial = static_cast<uint32_t>(st.st_dev);
    return true;
}

}  // namespace writer_platform
