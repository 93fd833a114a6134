// Multi-level Huffman decode tables for the implode method: a first table indexed by
// LookupBits bits and sub-tables for longer codes, all in one array and linked by index.
// Also the run-length coded bit-length lists that describe implode's trees.
#pragma once
#include <cstdint>
#include <vector>

#include "zipextract/bit_input.h"

// Operation values of a table entry.
constexpr uint8_t kOpInvalid = 99;   // no code leads here
constexpr uint8_t kOpLiteral = 16;   // Value is a literal symbol
constexpr uint8_t kOpEnd = 15;       // Value is a symbol of 256 or more
// 0 to 14: Value is a base to which that many extra bits are added;
// 16 + n (n = 1 to 16): Value is the index of a sub-table taking n more bits.

struct TDecodeEntry {
    uint8_t Op = kOpInvalid;
    uint8_t Bits = 0;     // code bits this entry consumes at its level
    uint32_t Value = 0;   // symbol, base or sub-table index
};

struct TDecodeTable {
    std::vector<TDecodeEntry> Entries;   // first table at 0, sub-tables after it
    int LookupBits = 0;                  // width of the first table (0: empty code set)
};

enum TBuildResult { brBuilt = 0, brIncomplete = 1, brInvalid = 2, brNoMemory = 3 };

constexpr int kMaxCodeBits = 16;
constexpr int kMaxCodes = 288;

// Builds Table for the N code lengths in Lengths (0 = unused, at most 16 bits). Symbols below
// S are literals; symbol S + i takes Base[i] and Extra[i]. LookupBits is the wished width
// of the first table; it is clamped to the shortest and longest length used.
TBuildResult BuildDecodeTable(const uint8_t* lengths, int n, int s, const uint16_t* base, const uint8_t* extra,
                              TDecodeTable& table, int lookupBits);

// Tests: every table allocation fails from now on (true) or no longer (false), on every
// thread, so that the out-of-memory path can be seen.
void FailDecodeTableAllocations(bool fail);

constexpr int kBadBitLengths = 4;

// Reads a run-length coded list of N bit lengths (a byte giving the number of run bytes
// minus 1, then runs of count high nibble + 1 and length low nibble + 1) through the caller's
// bit buffer. 0, or kBadBitLengths when a run passes N or the runs fall short of it; a run
// that passes N is refused before anything of it is stored.
int ReadBitLengths(TBitInput& in, uint32_t& buf, int& count, uint8_t* lengths, int n);
