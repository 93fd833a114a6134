// The history window of reduce and implode: every byte produced goes to the entry's output
// and into a circular window from which matches copy. Before the window has filled once, a
// match reaching back before the first byte copies zeros.
#pragma once
#include <cstdint>
#include <vector>

#include "zipextract/entry_output.h"

constexpr uint32_t kReduceWindow = 16384;
constexpr uint32_t kExplodeWindow = 32768;

class TSlidingWindow {
public:
    // Size is a power of two, larger than any distance the method can express.
    TSlidingWindow(TEntryOutput& out, uint32_t size) : FOut(out), FBytes(size, 0), FMask(size - 1) {}

    void Put(uint8_t b) {
        FBytes[static_cast<size_t>(FTotal & FMask)] = b;
        ++FTotal;
        FOut.PutOutputByte(b);
    }

    // Length bytes from Distance (1 or more) back; byte by byte, so that overlapping copies
    // repeat what they have just written.
    void Copy(uint32_t distance, int64_t length) {
        uint64_t from = FTotal - distance;   // wraps like the window itself
        for (int64_t i = 0; i < length; ++i) Put(FBytes[static_cast<size_t>(from++ & FMask)]);
    }

    // Bytes produced so far.
    int64_t Total() const { return static_cast<int64_t>(FTotal); }

private:
    TEntryOutput& FOut;
    std::vector<uint8_t> FBytes;
    uint64_t FMask;
    uint64_t FTotal = 0;
};
