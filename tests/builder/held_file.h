// Holds a file open with no sharing, as a running book or another program would.
#pragma once
#include <windows.h>

#include <string>

class HeldFile {
public:
    explicit HeldFile(const std::string& path)
        : FHandle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldFile() {
        if (FHandle != INVALID_HANDLE_VALUE) CloseHandle(FHandle);
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool Held() const { return FHandle != INVALID_HANDLE_VALUE; }

private:
    HANDLE FHandle;
};
