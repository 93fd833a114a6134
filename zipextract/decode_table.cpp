#include "zipextract/decode_table.h"

#include <algorithm>
#include <atomic>
#include <new>

namespace {

std::atomic<bool> gFailAllocations{false};

// The Len low bits of Code in reverse order: codes arrive first bit first, and tables are
// indexed by the bits as they sit in the bit buffer.
uint32_t Reverse(uint32_t code, int len) {
    uint32_t r = 0;
    for (int i = 0; i < len; ++i, code >>= 1) r = (r << 1) | (code & 1);
    return r;
}

TDecodeEntry EntryFor(int symbol, int s, const uint16_t* base, const uint8_t* extra, int bits) {
    TDecodeEntry e;
    e.Bits = static_cast<uint8_t>(bits);
    if (symbol < s) {
        e.Op = symbol < 256 ? kOpLiteral : kOpEnd;
        e.Value = static_cast<uint32_t>(symbol);
    } else if (base && extra) {
        e.Op = extra[symbol - s];
        e.Value = base[symbol - s];
    }
    return e;
}

}  // namespace

TBuildResult BuildDecodeTable(const uint8_t* lengths, int n, int s, const uint16_t* base, const uint8_t* extra,
                              TDecodeTable& table, int lookupBits) {
    table.Entries.clear();
    table.LookupBits = 0;
    if (n < 0 || n > kMaxCodes) return brInvalid;
    int counts[kMaxCodeBits + 1] = {};
    for (int i = 0; i < n; ++i) {
        if (lengths[i] > kMaxCodeBits) return brInvalid;
        ++counts[lengths[i]];
    }
    counts[0] = 0;
    int minLen = 0, maxLen = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len)
        if (counts[len]) {
            if (!minLen) minLen = len;
            maxLen = len;
        }
    if (maxLen == 0) return brBuilt;   // no codes at all: an empty table

    // Over-subscribed lengths cannot be decoded; an incomplete set leaves invalid entries.
    int32_t left = 1;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
        left = (left << 1) - counts[len];
        if (left < 0) return brInvalid;
    }
    const int root = std::clamp(lookupBits, minLen, maxLen);

    // Canonical codes: shorter codes first, symbols in order within a length.
    uint32_t next[kMaxCodeBits + 2] = {};
    for (int len = 1, code = 0; len <= kMaxCodeBits; ++len) {
        code = (code + counts[len - 1]) << 1;
        next[len] = static_cast<uint32_t>(code);
    }
    std::vector<uint32_t> codes(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        if (lengths[i]) codes[static_cast<size_t>(i)] = Reverse(next[lengths[i]]++, lengths[i]);

    try {
        if (gFailAllocations.load(std::memory_order_relaxed)) throw std::bad_alloc();
        // Each first-table slot that longer codes share gets one sub-table as wide as the
        // longest of them needs.
        const uint32_t rootSize = 1u << root, rootMask = rootSize - 1;
        std::vector<uint8_t> subWidth(rootSize, 0);
        for (int i = 0; i < n; ++i)
            if (lengths[i] > root) {
                uint8_t& w = subWidth[codes[static_cast<size_t>(i)] & rootMask];
                w = std::max<uint8_t>(w, static_cast<uint8_t>(lengths[i] - root));
            }
        table.Entries.assign(rootSize, TDecodeEntry());
        for (uint32_t slot = 0; slot < rootSize; ++slot) {
            if (!subWidth[slot]) continue;
            TDecodeEntry& link = table.Entries[slot];
            link.Op = static_cast<uint8_t>(kOpLiteral + subWidth[slot]);
            link.Bits = static_cast<uint8_t>(root);
            link.Value = static_cast<uint32_t>(table.Entries.size());
            table.Entries.resize(table.Entries.size() + (size_t{1} << subWidth[slot]));
        }
        for (int i = 0; i < n; ++i) {
            const int len = lengths[i];
            if (!len) continue;
            const uint32_t code = codes[static_cast<size_t>(i)];
            if (len <= root) {
                // Every slot whose low Len bits are the code.
                const TDecodeEntry e = EntryFor(i, s, base, extra, len);
                for (uint32_t k = code; k < rootSize; k += 1u << len) table.Entries[k] = e;
                continue;
            }
            const uint32_t slot = code & rootMask;
            const int width = subWidth[slot];
            const int rest = len - root;
            const TDecodeEntry e = EntryFor(i, s, base, extra, rest);
            const uint32_t start = table.Entries[slot].Value;
            for (uint32_t k = code >> root; k < (1u << width); k += 1u << rest) table.Entries[start + k] = e;
        }
    } catch (const std::bad_alloc&) {
        table.Entries.clear();
        return brNoMemory;
    }
    table.LookupBits = root;
    return left > 0 ? brIncomplete : brBuilt;
}

void FailDecodeTableAllocations(bool fail) { gFailAllocations.store(fail, std::memory_order_relaxed); }

int ReadBitLengths(TBitInput& in, uint32_t& buf, int& count, uint8_t* lengths, int n) {
    in.NeedBits(8, buf, count);
    const int runs = static_cast<int>(buf & 0xFF) + 1;
    TBitInput::DumpBits(8, buf, count);
    int filled = 0;
    for (int r = 0; r < runs; ++r) {
        in.NeedBits(8, buf, count);
        const int run = static_cast<int>((buf >> 4) & 0x0F) + 1;
        const uint8_t len = static_cast<uint8_t>((buf & 0x0F) + 1);
        TBitInput::DumpBits(8, buf, count);
        if (run > n - filled) return kBadBitLengths;
        std::fill(lengths + filled, lengths + filled + run, len);
        filled += run;
    }
    return filled == n ? 0 : kBadBitLengths;
}
