// A scratch folder for one test, removed with everything in it at the end.
#pragma once
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder, ending in the platform's separator.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }
private:
    std::string path_;
};

// Whole-file helpers for tests.
std::string ReadWholeFile(const std::string& name);
void WriteWholeFile(const std::string& name, const std::string& bytes);
