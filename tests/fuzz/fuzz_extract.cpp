// A whole extraction run over any bytes into a scratch folder. The file functions the
// library calls are wrapped at link time (--wrap): any change to the file system outside
// the destination folder while the run is going aborts at once.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "tests/fuzz/fuzz_support.h"
#include "zipextract/unzip_run.h"

namespace {

std::string gDestination;   // ends in "/"; empty while no run is going

// Path without "." and ".." components and repeated "/" (lexically; the run makes no links).
std::string Normalised(const std::string& path) {
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos) j = path.size();
        const std::string part = path.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out;
    for (const std::string& p : parts) out += "/" + p;
    return out + "/";
}

void Guard(const char* what, const char* path) {
    // An empty path names no file (the call fails): the file layer's answer to a name that
    // has no spelling on this system.
    if (gDestination.empty() || path[0] == '\0') return;
    const std::string p = path[0] == '/' ? path : std::filesystem::current_path().string() + "/" + path;
    if (Normalised(p).rfind(gDestination, 0) == 0 && Normalised(p) != gDestination) return;
    std::fprintf(stderr, "write outside the destination folder: %s(\"%s\")\n", what, path);
    std::abort();
}

}  // namespace

extern "C" {
int __real_open(const char* path, int flags, ...);
int __real_mkdir(const char* path, mode_t mode);
int __real_rename(const char* from, const char* to);
int __real_rmdir(const char* path);
int __real_unlink(const char* path);
int __real_chmod(const char* path, mode_t mode);

int __wrap_open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & O_CREAT) {
        va_list args;
        va_start(args, flags);
        mode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    if (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) Guard("open", path);
    return __real_open(path, flags, mode);
}
int __wrap_mkdir(const char* path, mode_t mode) {
    Guard("mkdir", path);
    return __real_mkdir(path, mode);
}
int __wrap_rename(const char* from, const char* to) {
    Guard("rename", from);
    Guard("rename", to);
    return __real_rename(from, to);
}
int __wrap_rmdir(const char* path) {
    Guard("rmdir", path);
    return __real_rmdir(path);
}
int __wrap_unlink(const char* path) {
    Guard("unlink", path);
    return __real_unlink(path);
}
int __wrap_chmod(const char* path, mode_t mode) {
    Guard("chmod", path);
    return __real_chmod(path, mode);
}
}

// The password of the encrypted seeds.
static const char kPassword[] = "fuzz";

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteFuzzFile(data, size);
    const std::string dest = FuzzScratchFolder() + "out";
    std::filesystem::remove_all(dest);
    std::filesystem::create_directory(dest);
    TArcUnZip zip(nullptr);
    QuietReader(zip);
    zip.SetDestDir(ReplaceSingleByteChar(dest, '/', '\\'));
    zip.SetRecreateDirs(true);
    zip.SetDoAll(true);
    zip.SetOverwriteMode(Always);
    zip.Password = kPassword;
    gDestination = Normalised(dest);
    try {
        zip.SetZipName(path);
        // One run through the workers, one on the calling thread alone.
        TUnZipRun threaded(zip, false);
        threaded.SetWorkers(2);
        threaded.UnZip();
        TUnZipRun serial(zip, true);
        serial.SetWorkers(0);
        serial.UnZip();
    } catch (const Exception& e) {
        ExpectArchiveFailure(e);
    }
    gDestination.clear();
    std::filesystem::remove_all(dest);
    return 0;
}
