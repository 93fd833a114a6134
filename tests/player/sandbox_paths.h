// Folders of one test case on the sandbox's drive Z: (see run_in_sandbox.sh).
#pragma once
#include <windows.h>

#include <string>

#include "tests/support/tempdir.h"

// The player stub, copied to the drive by the sandbox script.
constexpr char kStub[] = "Z:\\qvplay.exe";
// A file at the drive's root that nothing may delete.
constexpr char kRootSentinel[] = "Z:\\root-sentinel.txt";

inline bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
inline bool IsFolder(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Z:\<case>\ with the sub-folders tmp\ (the player's TEMP), cwd\ (its current folder),
// books\ and src\ (the pages of a book).
class CaseFolders {
public:
    explicit CaseFolders(const std::string& name) : FRoot("Z:\\" + FolderName(name) + "\\") {
        for (const char* sub : {"", "tmp", "cwd", "books", "src"}) CreateDirectoryA((FRoot + sub).c_str(), nullptr);
        if (!PathExists(kRootSentinel)) WriteWholeFile(kRootSentinel, "root");
        WriteWholeFile(Tmp() + "sentinel.txt", "temp");
        WriteWholeFile(Cwd() + "sentinel.txt", "current");
    }
    const std::string& Root() const { return FRoot; }
    std::string Tmp() const { return FRoot + "tmp\\"; }
    std::string Cwd() const { return FRoot + "cwd\\"; }
    std::string Books() const { return FRoot + "books\\"; }
    std::string Src() const { return FRoot + "src\\"; }
    std::string LocationFile() const { return FRoot + "location.txt"; }
    // The sentinels are all where they were.
    bool SentinelsIntact() const {
        return PathExists(kRootSentinel) && PathExists(Tmp() + "sentinel.txt") && PathExists(Cwd() + "sentinel.txt");
    }

private:
    // A test's name as a folder name ("Suite/Case/param" has slashes).
    static std::string FolderName(std::string name) {
        for (char& c : name)
            if (c == '/' || c == '\\') c = '_';
        return name;
    }
    std::string FRoot;
};
