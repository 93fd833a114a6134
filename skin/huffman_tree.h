// Canonical Huffman codes of Deflate as one flat lookup table: every index whose low L bits
// are a code's (bit-reversed) value holds that code's entry, so a symbol costs one access.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class THuffmanTree {
public:
    // Entry layout: symbol in bits 0-15, code length in bits 16-23, extra-bit count in 24-31.
    static constexpr uint32_t kUnreached = 0xFFFFFFFFu;
    static uint32_t Symbol(uint32_t entry) { return entry & 0xFFFFu; }
    static unsigned CodeLength(uint32_t entry) { return (entry >> 16) & 0xFFu; }
    static unsigned ExtraBits(uint32_t entry) { return entry >> 24; }

    // maxCodeLength: 15 for literal/length and distance codes, 7 for the code-length code.
    explicit THuffmanTree(unsigned maxCodeLength) : FMaxCodeLength(maxCodeLength) {}

    // Builds the table from count code lengths starting at lengths[firstIndex]. Symbols at or
    // above firstExtraSymbol take their extra-bit count from extraBits[symbol - firstExtraSymbol]
    // (extraBits may be null: no extra bits). Returns false for lengths above the maximum and for
    // an over-subscribed set; an incomplete set is accepted, its unused entries stay unreached.
    bool BuildHuffmanTable(const uint8_t* lengths, unsigned firstExtraSymbol, const uint8_t* extraBits,
                           unsigned count, unsigned firstIndex = 0);

    // Entry for the next code; bits holds at least LongestCode() upcoming bits, first bit lowest.
    uint32_t LookupHuffmanEntry(uint32_t bits) const { return FTable[bits & FIndexMask]; }
    unsigned LongestCode() const { return FLongest; }

private:
    unsigned FMaxCodeLength;
    unsigned FLongest = 0;
    uint32_t FIndexMask = 0;
    std::vector<uint32_t> FTable{kUnreached};
};
