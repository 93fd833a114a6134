// TResourceStream: a read-only stream over a resource of a loaded module (Windows only).
#pragma once
#include "classlib/classes.h"

class TResourceStream : public TStream {
public:
    // The resource of the given name and type in instance (nullptr: the program itself). Names
    // and types are matched without regard to case; either may also be an integer identifier
    // made with MAKEINTRESOURCE. Raises EResNotFound when there is no such resource.
    TResourceStream(void* instance, const AnsiString& resName, const char* resType);
    const char* ClassName() const override { return "TResourceStream"; }

    int32_t Read(void* buffer, int32_t count) override;
    // A resource cannot be changed: raises EStreamError.
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    int64_t GetSize() override { return FSize; }
    void SetSize(int64_t newSize) override;

    const uint8_t* Memory() const { return FMemory; }
    void SaveToStream(TStream* stream);
    // Creates (or overwrites) the file with the resource's bytes.
    void SaveToFile(const AnsiString& fileName);

private:
    const uint8_t* FMemory = nullptr;
    int64_t FSize = 0;
    int64_t FPosition = 0;
};
