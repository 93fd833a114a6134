// The POSIX half of the file utilities, for the native build: no message queue, no volume
// labels, one code page.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "ziparchive/file_utils.h"
#include "ziparchive/file_utils_platform.h"

bool ProcessWindowMessages() { return false; }

AnsiString GetDriveDir(int) {
    std::vector<char> buf(4096);
    if (!getcwd(buf.data(), buf.size())) return AnsiString();
    return IncludeTrailingPathDelimiter(AnsiString(buf.data()));
}

AnsiString MakeTempFileName(const AnsiString& dir) {
    AnsiString name = ReplaceSingleByteChar(IncludeTrailingPathDelimiter(dir) + "ZKZXXXXXX", '\\', '/');
    std::vector<char> buf(name.begin(), name.end());
    buf.push_back(0);
    int fd = mkstemp(buf.data());
    if (fd < 0) return AnsiString();
    close(fd);
    return AnsiString(buf.data());
}

bool SetDiskLabel(const AnsiString&, const AnsiString&) { return false; }
bool IsRemovableDrive(const AnsiString&) { return false; }
AnsiString GetDiskLabel(const AnsiString&) { return AnsiString(); }

AnsiString AnsiToOemString(const AnsiString& s) { return s; }
AnsiString OemToAnsiString(const AnsiString& s) { return s; }
void OemRoundTrip(AnsiString&) {}

namespace file_utils_platform {

TCriticalErrorGuard::TCriticalErrorGuard() {}
TCriticalErrorGuard::~TCriticalErrorGuard() {}

static AnsiString Native(const AnsiString& name) { return ReplaceSingleByteChar(name, '\\', '/'); }

bool SameFile(const AnsiString& source, const AnsiString& dest) {
    struct stat a, b;
    if (stat(Native(source).c_str(), &a) != 0 || stat(Native(dest).c_str(), &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace file_utils_platform
