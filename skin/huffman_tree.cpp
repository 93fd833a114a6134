#include "skin/huffman_tree.h"

bool THuffmanTree::BuildHuffmanTable(const uint8_t* lengths, unsigned firstExtraSymbol, const uint8_t* extraBits,
                                     unsigned count, unsigned firstIndex) {
    const unsigned kMax = 15;
    unsigned lengthCount[kMax + 1] = {};
    unsigned longest = 0;
    for (unsigned i = 0; i < count; ++i) {
        unsigned len = lengths[firstIndex + i];
        if (len > FMaxCodeLength) return false;
        ++lengthCount[len];
        if (len > longest) longest = len;
    }
    // Kraft check: more codes of a length than the shorter ones leave room for cannot be decoded.
    int64_t left = 1;
    for (unsigned len = 1; len <= FMaxCodeLength; ++len) {
        left = left * 2 - lengthCount[len];
        if (left < 0) return false;
    }
    FLongest = longest;
    FIndexMask = (1u << longest) - 1;
    FTable.assign(size_t(1) << longest, kUnreached);

    unsigned nextCode[kMax + 2] = {};
    unsigned code = 0;
    lengthCount[0] = 0;
    for (unsigned len = 1; len <= FMaxCodeLength; ++len) {
        code = (code + lengthCount[len - 1]) << 1;
        nextCode[len] = code;
    }
    for (unsigned symbol = 0; symbol < count; ++symbol) {
        unsigned len = lengths[firstIndex + symbol];
        if (len == 0) continue;
        unsigned value = nextCode[len]++;
        unsigned reversed = 0;
        for (unsigned b = 0; b < len; ++b) reversed |= ((value >> b) & 1u) << (len - 1 - b);
        unsigned extra = (extraBits && symbol >= firstExtraSymbol) ? extraBits[symbol - firstExtraSymbol] : 0;
        uint32_t entry = symbol | (uint32_t(len) << 16) | (uint32_t(extra) << 24);
        for (size_t index = reversed; index < FTable.size(); index += size_t(1) << len) FTable[index] = entry;
    }
    return true;
}
