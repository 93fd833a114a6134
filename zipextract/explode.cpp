// Method 6, implode: literals (through a tree or as plain bytes) and matches of a length
// tree and a distance tree over a 4 KB or 8 KB dictionary. Codes are stored inverted, so
// each table lookup takes the complement of the buffered bits.
#include <algorithm>
#include <new>

#include "zipextract/decode_table.h"
#include "zipextract/legacy_decoders.h"
#include "zipextract/sliding_window.h"

namespace {

constexpr uint16_t kFlagBigDictionary = 0x02;
constexpr uint16_t kFlagLiteralTree = 0x04;
constexpr int kLiteralLookup = 9;
constexpr int kLengthLookup = 7;
// Above this many compressed bytes the distance tree is looked up 8 bits at a time.
constexpr int64_t kLargeEntry = 200000;
constexpr int kTreeCodes = 64;

struct TExplodeTables {
    uint16_t LengthBase[kTreeCodes];
    uint8_t LengthExtra[kTreeCodes];
    uint16_t DistanceBase[kTreeCodes];
    uint8_t DistanceExtra[kTreeCodes];

    TExplodeTables(bool literalTree, int lowDistanceBits) {
        for (int i = 0; i < kTreeCodes; ++i) {
            LengthBase[i] = static_cast<uint16_t>(i + (literalTree ? 3 : 2));
            LengthExtra[i] = i == kTreeCodes - 1 ? 8 : 0;   // the last length code carries a byte
            DistanceBase[i] = static_cast<uint16_t>((i << lowDistanceBits) + 1);
            DistanceExtra[i] = 0;
        }
    }
};

class TExploder {
public:
    explicit TExploder(TBitInput& in) : FIn(in) {}

    void ReadTree(int n, const uint16_t* base, const uint8_t* extra, int lookup, TDecodeTable& table) {
        uint8_t lengths[256];
        if (ReadBitLengths(FIn, FBuf, FCount, lengths, n) != 0) throw ELegacyDataError("bad bit-length list");
        const TBuildResult r = BuildDecodeTable(lengths, n, base ? 0 : n, base, extra, table, lookup);
        // An incomplete tree is refused as well: a code outside it would have no meaning.
        if (r == brNoMemory) throw std::bad_alloc();
        if (r != brBuilt || table.LookupBits == 0) throw ELegacyDataError("bad code lengths");
    }

    // One symbol of Table, with any extra bits added to its base.
    uint32_t Decode(const TDecodeTable& table) {
        int bits = table.LookupBits;
        uint32_t index = 0;
        for (;;) {
            FIn.NeedBits(bits, FBuf, FCount);
            const TDecodeEntry& e = table.Entries[index + (~FBuf & kBitMasks[bits])];
            if (e.Op == kOpInvalid) throw ELegacyDataError("invalid code");
            TBitInput::DumpBits(e.Bits, FBuf, FCount);
            if (e.Op > kOpLiteral) {
                bits = e.Op - kOpLiteral;
                index = e.Value;
                continue;
            }
            if (e.Op >= kOpEnd || e.Op == 0) return e.Value;
            return e.Value + Bits(e.Op);
        }
    }

    uint32_t Bits(int n) {
        FIn.NeedBits(n, FBuf, FCount);
        const uint32_t v = FBuf & kBitMasks[n];
        TBitInput::DumpBits(n, FBuf, FCount);
        return v;
    }

private:
    TBitInput& FIn;
    uint32_t FBuf = 0;
    int FCount = 0;
};

}  // namespace

void Explode(TBitInput& in, TEntryOutput& out, uint16_t flags, int64_t uncompressedSize, int64_t compressedSize) {
    const bool literalTree = (flags & kFlagLiteralTree) != 0;
    const int lowBits = (flags & kFlagBigDictionary) ? 7 : 6;
    const TExplodeTables t(literalTree, lowBits);
    TExploder x(in);
    TDecodeTable literals, lengths, distances;
    if (literalTree) x.ReadTree(256, nullptr, nullptr, kLiteralLookup, literals);
    x.ReadTree(kTreeCodes, t.LengthBase, t.LengthExtra, kLengthLookup, lengths);
    x.ReadTree(kTreeCodes, t.DistanceBase, t.DistanceExtra, compressedSize > kLargeEntry ? 8 : 7, distances);

    TSlidingWindow window(out, kExplodeWindow);
    while (window.Total() < uncompressedSize) {
        if (x.Bits(1)) {
            window.Put(static_cast<uint8_t>(literalTree ? x.Decode(literals) : x.Bits(8)));
            continue;
        }
        const uint32_t low = x.Bits(lowBits);
        const uint32_t distance = x.Decode(distances) + low;
        const uint32_t length = x.Decode(lengths);
        window.Copy(distance, std::min<int64_t>(length, uncompressedSize - window.Total()));
    }
    out.FlushOutput();
}
