#include "skin/skin_inflate.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "skin/huffman_tree.h"

namespace {

// RFC 1951 length and distance tables; symbols past the defined ones are refused before use,
// the padding only keeps the tree builder's lookups inside the arrays.
const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t kLengthExtra[31] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
                                  3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, 0, 0};
const uint16_t kDistBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t kDistExtra[32] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6,
                                7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 0, 0};
const uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
constexpr unsigned kFirstLengthSymbol = 257;
constexpr unsigned kEndOfBlock = 256;

struct TFixedTrees {
    THuffmanTree Literals{15};
    THuffmanTree Distances{15};
    TFixedTrees() {
        uint8_t lengths[288];
        for (unsigned i = 0; i < 288; ++i) lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
        Literals.BuildHuffmanTable(lengths, kFirstLengthSymbol, kLengthExtra, 288);
        uint8_t dist[32];
        std::memset(dist, 5, sizeof dist);
        Distances.BuildHuffmanTable(dist, 0, kDistExtra, 32);
    }
};

// Built on first use, shared read-only afterwards.
const TFixedTrees& FixedTrees() {
    static const TFixedTrees trees;
    return trees;
}

struct TInflateError {
    const char* Reason;
};

// Least-significant-bit-first reader over a 64-bit buffer. Peeking past the input gives zero
// bits (a code near the end may be shorter than the peek); consuming them is an error.
class TBitInput {
public:
    explicit TBitInput(TStream& source) : FSource(source), FBuffer(kInflateInputSize) {}

    uint64_t Peek(unsigned count) {
        if (FBitCount < count) Refill();
        return count == 64 ? FBits : FBits & ((uint64_t(1) << count) - 1);
    }
    void Drop(unsigned count) {
        if (count > FBitCount) throw TInflateError{"unexpected end of data"};
        FBits >>= count;
        FBitCount -= count;
    }
    uint32_t Take(unsigned count) {
        uint32_t value = static_cast<uint32_t>(Peek(count));
        Drop(count);
        return value;
    }
    void AlignToByte() { Drop(FBitCount % 8); }

    // Whole bytes: first those left in the bit buffer, then straight from the input.
    int32_t TakeBytes(uint8_t* out, int32_t count) {
        int32_t done = 0;
        while (done < count && FBitCount >= 8) out[done++] = static_cast<uint8_t>(Take(8));
        while (done < count) {
            if (FPos == FEnd && !Fill()) throw TInflateError{"unexpected end of data"};
            int32_t piece = std::min(count - done, FEnd - FPos);
            std::memcpy(out + done, FBuffer.data() + FPos, piece);
            FPos += piece;
            done += piece;
        }
        return done;
    }

private:
    bool Fill() {
        FPos = 0;
        FEnd = FSource.Read(FBuffer.data(), kInflateInputSize);
        if (FEnd < 0) FEnd = 0;
        return FEnd > 0;
    }
    void Refill() {
        while (FBitCount <= 56) {
            if (FPos == FEnd && !Fill()) return;
            FBits |= uint64_t(FBuffer[FPos++]) << FBitCount;
            FBitCount += 8;
        }
    }

    TStream& FSource;
    std::vector<uint8_t> FBuffer;
    int32_t FPos = 0;
    int32_t FEnd = 0;
    uint64_t FBits = 0;
    unsigned FBitCount = 0;
};

// Output window: at least 32 KB of history stays below the position after every flush, and a
// copy of up to 258 bytes from a position below 65,536 never runs past the end.
class TWindowOutput {
public:
    TWindowOutput(TStream& output, uint64_t maxOutput) : FOutput(output), FMax(maxOutput), FWindow(kInflateWindowSize) {}

    uint64_t Total() const { return FFlushed + FPos; }
    int32_t Room() const { return 65536 - FPos; }

    void Literal(uint8_t byte) {
        FWindow[FPos++] = byte;
        Settle();
    }
    void Copy(unsigned length, unsigned distance) {
        if (distance > Total()) throw TInflateError{"distance too far back"};
        uint8_t* to = FWindow.data() + FPos;
        const uint8_t* from = to - distance;
        if (distance < length) {
            for (unsigned i = 0; i < length; ++i) to[i] = from[i];
        } else {
            std::memcpy(to, from, length);
        }
        FPos += length;
        Settle();
    }
    // A stored piece: at most Room() bytes, read straight into the window.
    void Stored(TBitInput& input, int32_t count) {
        input.TakeBytes(FWindow.data() + FPos, count);
        FPos += count;
        Settle();
    }
    void Finish() {
        Write(FWindow.data(), FPos);
        FFlushed += FPos;
        FPos = 0;
    }

private:
    void Settle() {
        if (Total() > FMax) throw TooLong();
        if (FPos >= 65536) {
            Write(FWindow.data(), kInflateFlushSize);
            std::memmove(FWindow.data(), FWindow.data() + kInflateFlushSize, FPos - kInflateFlushSize);
            FPos -= kInflateFlushSize;
            FFlushed += kInflateFlushSize;
        }
    }
    void Write(const uint8_t* data, int32_t count) {
        if (count > 0 && FOutput.Write(data, count) != count) throw TInflateError{"cannot write the output"};
    }

public:
    struct TooLong {};

private:
    TStream& FOutput;
    uint64_t FMax;
    std::vector<uint8_t> FWindow;
    int32_t FPos = 0;
    uint64_t FFlushed = 0;
};

void CopyStored(TBitInput& input, TWindowOutput& window) {
    input.AlignToByte();
    uint32_t length = input.Take(16);
    input.Take(16);   // NLEN, not checked
    while (length > 0) {
        int32_t piece = std::min<int32_t>(static_cast<int32_t>(length), window.Room());
        window.Stored(input, piece);
        length -= piece;
    }
}

void DecodeCodes(TBitInput& input, TWindowOutput& window, const THuffmanTree& literals, const THuffmanTree& distances) {
    const unsigned literalPeek = literals.LongestCode() + 5;
    const unsigned distancePeek = distances.LongestCode() + 14;
    for (;;) {
        uint64_t bits = input.Peek(literalPeek);
        uint32_t entry = literals.LookupHuffmanEntry(static_cast<uint32_t>(bits));
        if (entry == THuffmanTree::kUnreached) throw TInflateError{"invalid literal/length code"};
        unsigned symbol = THuffmanTree::Symbol(entry), codeLength = THuffmanTree::CodeLength(entry);
        if (symbol < kEndOfBlock) {
            input.Drop(codeLength);
            window.Literal(static_cast<uint8_t>(symbol));
            continue;
        }
        if (symbol == kEndOfBlock) {
            input.Drop(codeLength);
            return;
        }
        if (symbol > 285) throw TInflateError{"invalid literal/length code"};
        unsigned extra = THuffmanTree::ExtraBits(entry);
        unsigned length = kLengthBase[symbol - kFirstLengthSymbol] + static_cast<unsigned>((bits >> codeLength) & ((1u << extra) - 1));
        input.Drop(codeLength + extra);

        bits = input.Peek(distancePeek);
        entry = distances.LookupHuffmanEntry(static_cast<uint32_t>(bits));
        if (entry == THuffmanTree::kUnreached) throw TInflateError{"invalid distance code"};
        symbol = THuffmanTree::Symbol(entry);
        codeLength = THuffmanTree::CodeLength(entry);
        if (symbol > 29) throw TInflateError{"invalid distance code"};
        extra = THuffmanTree::ExtraBits(entry);
        unsigned distance = kDistBase[symbol] + static_cast<unsigned>((bits >> codeLength) & ((1u << extra) - 1));
        input.Drop(codeLength + extra);
        window.Copy(length, distance);
    }
}

void DecodeDynamic(TBitInput& input, TWindowOutput& window) {
    unsigned hlit = input.Take(5) + 257;
    unsigned hdist = input.Take(5) + 1;
    unsigned hclen = input.Take(4) + 4;
    if (hlit > 286 || hdist > 30) throw TInflateError{"too many length or distance symbols"};

    uint8_t codeLengthLengths[19] = {};
    for (unsigned i = 0; i < hclen; ++i) codeLengthLengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(input.Take(3));
    THuffmanTree codeLengths(7);
    if (!codeLengths.BuildHuffmanTable(codeLengthLengths, 19, nullptr, 19))
        throw TInflateError{"invalid code lengths set"};

    uint8_t lengths[286 + 30] = {};
    const unsigned total = hlit + hdist;
    unsigned have = 0;
    while (have < total) {
        uint32_t entry = codeLengths.LookupHuffmanEntry(static_cast<uint32_t>(input.Peek(codeLengths.LongestCode())));
        if (entry == THuffmanTree::kUnreached) throw TInflateError{"invalid code lengths set"};
        input.Drop(THuffmanTree::CodeLength(entry));
        unsigned symbol = THuffmanTree::Symbol(entry);
        if (symbol < 16) {
            lengths[have++] = static_cast<uint8_t>(symbol);
            continue;
        }
        uint8_t value = 0;
        unsigned repeat;
        if (symbol == 16) {
            if (have == 0) throw TInflateError{"repeat with no previous length"};
            value = lengths[have - 1];
            repeat = 3 + input.Take(2);
        } else if (symbol == 17) {
            repeat = 3 + input.Take(3);
        } else {
            repeat = 11 + input.Take(7);
        }
        if (have + repeat > total) throw TInflateError{"repeat past the code lengths"};
        while (repeat--) lengths[have++] = value;
    }
    THuffmanTree literals(15), distances(15);
    if (!literals.BuildHuffmanTable(lengths, kFirstLengthSymbol, kLengthExtra, hlit))
        throw TInflateError{"invalid literal/lengths set"};
    if (!distances.BuildHuffmanTable(lengths, 0, kDistExtra, hdist, hlit)) throw TInflateError{"invalid distances set"};
    DecodeCodes(input, window, literals, distances);
}

}  // namespace

TInflateResult InflateStream(TStream& source, TStream& output, uint64_t maxOutput, std::string* message) {
    auto fail = [&](TInflateResult result, const char* reason) {
        if (message) *message = reason;
        return result;
    };
    try {
        TBitInput input(source);
        TWindowOutput window(output, maxOutput);
        const TFixedTrees& fixed = FixedTrees();
        bool final = false;
        while (!final) {
            final = input.Take(1) != 0;
            switch (input.Take(2)) {
            case 0: CopyStored(input, window); break;
            case 1: DecodeCodes(input, window, fixed.Literals, fixed.Distances); break;
            case 2: DecodeDynamic(input, window); break;
            default: return fail(TInflateResult::Failed, "invalid block type");
            }
        }
        window.Finish();
        return TInflateResult::Done;
    } catch (const TInflateError& e) {
        return fail(TInflateResult::Failed, e.Reason);
    } catch (const TWindowOutput::TooLong&) {
        return fail(TInflateResult::TooLong, "output larger than recorded");
    } catch (const std::exception&) {
        return fail(TInflateResult::Failed, "cannot read or write the data");
    }
}

TInflateResult InflateBytes(const void* data, size_t size, std::string& output, uint64_t maxOutput,
                            std::string* message) {
    TMemoryStream in, out;
    in.Write(data, static_cast<int32_t>(size));
    in.SetPosition(0);
    TInflateResult result = InflateStream(in, out, maxOutput, message);
    output.assign(reinterpret_cast<const char*>(out.Memory()), static_cast<size_t>(out.GetSize()));
    return result;
}
