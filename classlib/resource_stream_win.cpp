#include "classlib/resource_stream.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

TResourceStream::TResourceStream(void* instance, const AnsiString& resName, const char* resType) {
    // FindResourceA compares string names without regard to case.
    auto module = static_cast<HMODULE>(instance ? instance : GetModuleHandleA(nullptr));
    HRSRC info = FindResourceA(module, resName.c_str(), resType);
    if (!info) throw EResNotFound("Resource " + resName + " not found");
    HGLOBAL data = LoadResource(module, info);
    const void* memory = data ? LockResource(data) : nullptr;
    if (!memory) throw EResNotFound("Resource " + resName + " cannot be loaded");
    FMemory = static_cast<const uint8_t*>(memory);
    FSize = SizeofResource(module, info);
}

int32_t TResourceStream::Read(void* buffer, int32_t count) {
    if (count <= 0 || FPosition >= FSize) return 0;
    const int64_t n = std::min<int64_t>(count, FSize - FPosition);
    std::memcpy(buffer, FMemory + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return static_cast<int32_t>(n);
}

int32_t TResourceStream::Write(const void*, int32_t) {
    throw EStreamError("Can't write to a read-only resource stream");
}

int64_t TResourceStream::Seek(int64_t offset, int origin) {
    switch (origin) {
    case soBeginning: FPosition = offset; break;
    case soCurrent: FPosition += offset; break;
    case soEnd: FPosition = FSize + offset; break;
    default: break;
    }
    if (FPosition < 0) FPosition = 0;
    return FPosition;
}

void TResourceStream::SetSize(int64_t) {
    throw EStreamError("Can't change the size of a resource stream");
}

void TResourceStream::SaveToStream(TStream* stream) {
    // The whole resource, wherever the position stands (a resource is far below 2 GiB).
    if (FSize > 0) stream->WriteBuffer(FMemory, static_cast<int32_t>(FSize));
}

void TResourceStream::SaveToFile(const AnsiString& fileName) {
    TFileStream file(fileName, fmCreate);
    SaveToStream(&file);
}
