// Reads from a stream that may deliver fewer bytes than asked for, at its end or where one
// volume stops: archive readers want "as much as is there" or "all of it", never a raise.
#pragma once
#include <cstdint>

#include "classlib/classes.h"

// Reads until Count bytes came or the stream delivers no more; returns how many came.
inline int32_t ReadUpTo(TStream* s, void* buffer, int32_t count) {
    int32_t got = 0;
    while (got < count) {
        int32_t n = s->Read(static_cast<uint8_t*>(buffer) + got, count - got);
        if (n <= 0) break;
        got += n;
    }
    return got;
}

inline bool ReadExactly(TStream* s, void* buffer, int32_t count) { return ReadUpTo(s, buffer, count) == count; }
