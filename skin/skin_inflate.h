// Raw Deflate (RFC 1951) decoder of the skin reader: input read in 16 KB pieces, output through
// a 65,794-byte window flushed in 32 KB pieces, fixed-code tables built once per process.
#pragma once
#include <cstdint>
#include <string>

#include "classlib/classes.h"

enum class TInflateResult : uint8_t {
    Done = 0,       // the final block ended
    Failed = 1,     // malformed stream, input ended early, or the output stream refused bytes
    TooLong = 2,    // the stream produced more than the allowed output
};

constexpr int32_t kInflateInputSize = 16384;
constexpr int32_t kInflateWindowSize = 65536 + 258;
constexpr int32_t kInflateFlushSize = 32768;

// Decodes from the source's position to the end of the final block, writing to output.
// Never writes more than maxOutput bytes: a stream that would is stopped with TooLong.
// message (when given) receives a short reason on failure.
TInflateResult InflateStream(TStream& source, TStream& output, uint64_t maxOutput, std::string* message = nullptr);

// The same over memory (tests and tools).
TInflateResult InflateBytes(const void* data, size_t size, std::string& output, uint64_t maxOutput,
                            std::string* message = nullptr);
