// The three older methods: shrink (1), reduce (2 to 5) and implode (6). Each takes its bits
// from the entry's bit input and writes through the entry's output, ending with the output
// flushed. Data that cannot be decoded raises ELegacyDataError; data that ends early raises
// EEntryDataEnded (from the bit input); output past the stored size raises
// EBiggerThanUncompressed (from the output); tables that cannot be had raise std::bad_alloc.
#pragma once
#include <cstdint>

#include "ziparchive/arc_exceptions.h"
#include "zipextract/bit_input.h"
#include "zipextract/entry_output.h"

PW_DECLARE_EXCEPTION(ELegacyDataError, EZCompressionError)

// Method 1: dynamic LZW with partial clearing; runs until fewer bits remain than one code.
void Unshrink(TBitInput& in, TEntryOutput& out);

// Methods 2 to 5 (Factor = method - 1): follower-set coded bytes with escaped matches.
void Unreduce(TBitInput& in, TEntryOutput& out, int factor, int64_t uncompressedSize);

// Method 6: Flags are the entry's general purpose flags (bit 1: 8 KB dictionary, bit 2: a
// literal tree); CompressedSize picks the width of the distance tree's first table.
void Explode(TBitInput& in, TEntryOutput& out, uint16_t flags, int64_t uncompressedSize, int64_t compressedSize);
