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

// Count bytes of text at Position (a comment); a text cut short by the end of the stream
// keeps what is there. The stream's position is put back.
inline AnsiString ReadTextAt(TStream* s, int64_t position, uint16_t count) {
    const int64_t saved = s->GetPosition();
    AnsiString text(count, '\0');
    s->Seek(position, soBeginning);
    text.resize(static_cast<size_t>(ReadUpTo(s, count ? &text[0] : nullptr, count)));
    s->Seek(saved, soBeginning);
    return text;
}
