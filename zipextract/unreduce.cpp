// Methods 2 to 5, reduce: bytes coded through the follower sets of the byte before them,
// then expanded by the escape byte 144 into literals and matches over a 16 KB window.
#include <algorithm>

#include "zipextract/legacy_decoders.h"
#include "zipextract/sliding_window.h"

namespace {

constexpr uint8_t kEscape = 144;
constexpr int kMaxFollowers = 64;

// Bits needed to index a follower set of N bytes (N = 0 to 64).
int FollowerIndexBits(int n) {
    if (n == 0) return 8;
    int bits = 1;
    while ((1 << bits) < n) ++bits;
    return bits;
}

struct TFollowerSets {
    uint8_t Bytes[256][kMaxFollowers];
    uint8_t Length[256];

    // Sets are stored for byte values 255 down to 0: a 6-bit length, then the bytes.
    explicit TFollowerSets(TBitInput& in) {
        for (int value = 255; value >= 0; --value) {
            Length[value] = static_cast<uint8_t>(in.ReadBits(6));
            for (int i = 0; i < Length[value]; ++i) Bytes[value][i] = static_cast<uint8_t>(in.ReadBits(8));
        }
    }

    // The next byte after Last.
    uint8_t Next(TBitInput& in, uint8_t last) const {
        const int n = Length[last];
        if (n == 0 || in.ReadBits(1)) return static_cast<uint8_t>(in.ReadBits(8));
        const uint32_t index = in.ReadBits(FollowerIndexBits(n));
        // An index past the set names no byte: the data is damaged.
        if (index >= static_cast<uint32_t>(n)) throw ELegacyDataError("follower index outside its set");
        return Bytes[last][index];
    }
};

}  // namespace

void Unreduce(TBitInput& in, TEntryOutput& out, int factor, int64_t uncompressedSize) {
    if (factor < 1 || factor > 4) throw ELegacyDataError("bad reduce factor");
    const uint32_t lengthMask = 0xFFu >> factor;     // 0x7F, 0x3F, 0x1F, 0x0F
    const int distanceShift = 8 - factor;            // 7, 6, 5, 4
    const uint32_t distanceMask = (1u << factor) - 1;  // 0x01, 0x03, 0x07, 0x0F

    const TFollowerSets sets(in);
    TSlidingWindow window(out, kReduceWindow);
    uint8_t last = 0;
    int state = 0;
    uint32_t v = 0, length = 0;
    while (window.Total() < uncompressedSize) {
        const uint8_t c = sets.Next(in, last);
        last = c;
        switch (state) {
        case 0:
            if (c == kEscape)
                state = 1;
            else
                window.Put(c);
            break;
        case 1:
            if (c == 0) {
                window.Put(kEscape);
                state = 0;
                break;
            }
            v = c;
            length = v & lengthMask;
            state = length == lengthMask ? 2 : 3;
            break;
        case 2:
            length += c;
            state = 3;
            break;
        default: {
            const uint32_t distance = ((v >> distanceShift) & distanceMask) * 256 + c + 1;
            window.Copy(distance, std::min<int64_t>(length + 3, uncompressedSize - window.Total()));
            state = 0;
            break;
        }
        }
    }
    out.FlushOutput();
}
