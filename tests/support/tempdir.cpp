#include "tests/support/tempdir.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>

static void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = dir + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full + "\\");
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}

TempDir::TempDir() {
    char base[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof base, base);
    if (n == 0 || n > MAX_PATH) throw std::runtime_error("GetTempPathA failed");
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string p = std::string(base) + "pwtest" + std::to_string(GetCurrentProcessId()) + "_" +
                        std::to_string(++counter);
        if (CreateDirectoryA(p.c_str(), nullptr)) {
            path_ = p + "\\";
            return;
        }
    }
    throw std::runtime_error("cannot create a scratch folder");
}

TempDir::~TempDir() { RemoveTree(path_); }
#else
#include <cstdlib>
#include <ftw.h>
#include <unistd.h>

TempDir::TempDir() {
    char tmpl[] = "/tmp/pwtestXXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
    path_ = std::string(tmpl) + "/";
}

TempDir::~TempDir() {
    nftw(
        path_.c_str(), [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p); }, 16,
        FTW_DEPTH | FTW_PHYS);
}
#endif

std::string ReadWholeFile(const std::string& name) {
    std::ifstream f(name, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + name);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void WriteWholeFile(const std::string& name, const std::string& bytes) {
    std::ofstream f(name, std::ios::binary | std::ios::trunc);
    if (!f) throw std::runtime_error("cannot write " + name);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
