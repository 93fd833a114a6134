// A record assembled in memory as if written at Base: its position is Base plus the bytes
// so far (a local header and the zip64 locator record where they stand), so that it can
// be checked for room and then written in one piece.
#pragma once
#include <string>

#include "classlib/classes.h"

class TRecordBuffer : public TStream {
public:
    explicit TRecordBuffer(int64_t base) : FBase(base) {}
    const char* ClassName() const override { return "TRecordBuffer"; }
    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void* buffer, int32_t count) override {
        Data.append(static_cast<const char*>(buffer), static_cast<size_t>(count));
        return count;
    }
    int64_t Seek(int64_t, int) override { return FBase + static_cast<int64_t>(Data.size()); }
    std::string Data;

private:
    int64_t FBase;
};
