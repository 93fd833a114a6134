// Method 1, shrink: LZW with codes of 9 to 13 bits, code 256 as the escape for a wider code
// (256, 1) and for a partial clear (256, 2) that frees every code no other code builds on.
#include <vector>

#include "zipextract/legacy_decoders.h"

namespace {

constexpr int kFirstCodeSize = 9;
constexpr int kMaxCodeSize = 13;
constexpr uint32_t kCodes = 1u << kMaxCodeSize;   // 8192
constexpr uint32_t kControl = 256;
constexpr uint32_t kFirstFree = 257;
constexpr int16_t kFree = -1;
constexpr int16_t kMarked = 0x4000;   // above any code: set only during a partial clear
// The longest string a code can stand for is one byte per code in the table.
constexpr size_t kStackSize = kCodes;

class TShrinkTable {
public:
    TShrinkTable() : FPrefix(kCodes, kFree), FSuffix(kCodes, 0) {
        for (uint32_t c = 0; c < kControl; ++c) {
            FPrefix[c] = 0;
            FSuffix[c] = static_cast<uint8_t>(c);
        }
    }

    bool IsFree(uint32_t code) const { return FPrefix[code] == kFree; }

    // Pushes the string of Code onto Stack (last byte first); its first byte, or -1 when
    // the string is damaged or longer than the stack. A free code, read or met inside the
    // chain, stands for the string being defined: the final character, then the old code's
    // string. Met a second time it would lead there again for ever: damage.
    int Decode(uint32_t code, uint32_t oldCode, uint8_t finalChar, std::vector<uint8_t>& stack, size_t& top) const {
        bool tookOldCode = false;
        while (code >= kFirstFree) {
            if (top == 0) return -1;
            if (IsFree(code)) {
                if (tookOldCode) return -1;
                tookOldCode = true;
                stack[--top] = finalChar;
                code = oldCode;
                continue;
            }
            stack[--top] = FSuffix[code];
            code = static_cast<uint32_t>(FPrefix[code]);
        }
        if (code == kControl || top == 0) return -1;
        stack[--top] = FSuffix[code];
        return FSuffix[code];
    }

    void Add(uint32_t prefix, uint8_t suffix) {
        if (FNextFree >= kCodes) return;   // a full table takes nothing until a clear
        FPrefix[FNextFree] = static_cast<int16_t>(prefix);
        FSuffix[FNextFree] = suffix;
        do ++FNextFree;
        while (FNextFree < kCodes && !IsFree(FNextFree));
    }

    // Frees every code above 256 that is no other code's prefix.
    void PartialClear() {
        for (uint32_t c = kFirstFree; c < kCodes; ++c)
            if (!IsFree(c)) FPrefix[c] |= kMarked;
        for (uint32_t c = kFirstFree; c < kCodes; ++c) {
            if (IsFree(c)) continue;
            const uint32_t prefix = static_cast<uint32_t>(FPrefix[c] & ~kMarked);
            if (prefix >= kFirstFree && !IsFree(prefix)) FPrefix[prefix] &= ~kMarked;
        }
        FNextFree = kCodes;
        for (uint32_t c = kCodes; c-- > kFirstFree;) {
            if (IsFree(c)) {
                FNextFree = c;
            } else if (FPrefix[c] & kMarked) {
                FPrefix[c] = kFree;
                FNextFree = c;
            }
        }
    }

private:
    std::vector<int16_t> FPrefix;   // kFree for a free code
    std::vector<uint8_t> FSuffix;
    uint32_t FNextFree = kFirstFree;
};

}  // namespace

void Unshrink(TBitInput& in, TEntryOutput& out) {
    int codeSize = kFirstCodeSize;
    // Only whole codes of the entry's own bits are decoded, never the padding after them.
    auto nextCode = [&](uint32_t& code) {
        in.FillBitBuffer();
        if (in.BitCount() < codeSize) return false;
        code = in.ReadBits(codeSize);
        return true;
    };

    uint32_t oldCode;
    if (!nextCode(oldCode)) {
        out.FlushOutput();
        return;
    }
    if (oldCode >= kControl) throw ELegacyDataError("shrink data starts with a string code");
    uint8_t finalChar = static_cast<uint8_t>(oldCode);
    out.PutOutputByte(finalChar);

    TShrinkTable table;
    std::vector<uint8_t> stack(kStackSize);
    uint32_t code;
    while (nextCode(code)) {
        if (code == kControl) {
            uint32_t sub;
            if (!nextCode(sub)) break;
            if (sub == 1 && codeSize < kMaxCodeSize)
                ++codeSize;
            else if (sub == 2)
                table.PartialClear();
            continue;
        }
        size_t top = kStackSize;
        const int first = table.Decode(code, oldCode, finalChar, stack, top);
        if (first < 0) throw ELegacyDataError("shrink code refers to a free code");
        finalChar = static_cast<uint8_t>(first);
        for (size_t i = top; i < kStackSize; ++i) out.PutOutputByte(stack[i]);
        table.Add(oldCode, finalChar);
        oldCode = code;
    }
    out.FlushOutput();
}
