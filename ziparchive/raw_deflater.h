// Raw Deflate (no zlib header or trailer) for the archive writer, over zlib: window bits
// -15, memory level 8, the default strategy.
#pragma once
#include <zlib.h>

class TRawDeflater {
public:
    // Level 1..9 (zlib's levels); raises EZCompressionError when zlib refuses.
    explicit TRawDeflater(int level);
    ~TRawDeflater();
    TRawDeflater(const TRawDeflater&) = delete;
    TRawDeflater& operator=(const TRawDeflater&) = delete;

    z_stream& Stream() { return FStream; }
    int Level() const { return FLevel; }
    // Ready for the next stream at the same level; the memory is kept.
    void Reset();
    // One deflate call; returns Z_OK, Z_STREAM_END or Z_BUF_ERROR (no progress possible),
    // raises EZCompressionError on any other negative result.
    int Deflate(int flush);

private:
    z_stream FStream{};
    int FLevel;
};
