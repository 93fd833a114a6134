// The skin reader's own Deflate decoder against real zlib: every level and strategy, sizes
// around the window's flush points, hand-made hostile streams, and seeded random damage.
#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <random>

#include "skin/skin_inflate.h"

namespace {

std::string Deflate(const std::string& data, int level, int strategy = Z_DEFAULT_STRATEGY) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy), Z_OK);
    std::string out(deflateBound(&z, data.size()) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// zlib's verdict: true and the output when the stream is complete and valid.
bool ZlibInflate(const std::string& packed, std::string& out, size_t limit) {
    z_stream z{};
    inflateInit2(&z, -15);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    z.avail_in = static_cast<uInt>(packed.size());
    out.assign(limit + 1, '\0');
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    int rc = inflate(&z, Z_FINISH);
    out.resize(z.total_out);
    inflateEnd(&z);
    return rc == Z_STREAM_END;
}

std::string Mixed(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < n) {
        if (rng() % 3 == 0) {
            for (int i = 0; i < 40; ++i) s += static_cast<char>(rng());
        } else {
            s += "skin window caption " + std::to_string(rng() % 1000) + "\n";
        }
    }
    s.resize(n);
    return s;
}

TInflateResult Inflate(const std::string& packed, std::string& out, uint64_t limit = 1u << 26,
                       std::string* why = nullptr) {
    return InflateBytes(packed.data(), packed.size(), out, limit, why);
}

void ExpectRoundTrip(const std::string& data, const std::string& packed) {
    std::string out;
    ASSERT_EQ(Inflate(packed, out), TInflateResult::Done) << "size " << data.size();
    ASSERT_EQ(out.size(), data.size());
    EXPECT_TRUE(out == data);
}

TEST(SkinInflate, EqualsZlibAtEveryLevelAndSize) {
    for (size_t size : {size_t(0), size_t(1), size_t(258), size_t(32768), size_t(65535), size_t(65536),
                        size_t(65537), size_t(100000), size_t(300 * 1024)}) {
        std::string data = Mixed(size, static_cast<unsigned>(size));
        for (int level = 0; level <= 9; ++level) ExpectRoundTrip(data, Deflate(data, level));
    }
}

TEST(SkinInflate, EqualsZlibForEachStrategy) {
    std::string data = Mixed(200000, 7) + std::string(70000, 'a');
    for (int strategy : {Z_FIXED, Z_HUFFMAN_ONLY, Z_RLE, Z_FILTERED}) ExpectRoundTrip(data, Deflate(data, 6, strategy));
}

// Stored blocks of almost 64 KB arrive at every window position; each piece must stop at the
// flush point instead of running past the window.
TEST(SkinInflate, LongStoredBlocksNearTheFlushPoint) {
    for (size_t size : {size_t(16385), size_t(65535), size_t(65536 + 7), size_t(3 * 65536 - 5)}) {
        std::mt19937 rng(static_cast<unsigned>(size));
        std::string data(size, '\0');
        for (char& c : data) c = static_cast<char>(rng());
        std::string packed = Deflate(data, 0);
        ExpectRoundTrip(data, packed);
        // The same after a short literal block, so the stored data starts off the flush boundary.
        std::string prefix(1000, 'x');
        ExpectRoundTrip(prefix + data, Deflate(prefix + data, 0));
    }
}

// A copy reaching exactly 32,768 bytes back, made right after the window has been flushed.
TEST(SkinInflate, FullDistanceAcrossAFlush) {
    std::mt19937 rng(3);
    std::string block(32768, '\0');
    for (char& c : block) c = static_cast<char>(rng());
    std::string data = std::string(65536 - 32768 + 100, 'q') + block + block + block;
    for (int level : {1, 6, 9}) ExpectRoundTrip(data, Deflate(data, level));
}

struct THostileCase {
    const char* Name;
    std::vector<uint8_t> Bytes;
    std::string Reason;
};

// Bits are listed as a sequence of (value, count) fields, first field in the lowest bits.
std::vector<uint8_t> PackBits(std::initializer_list<std::pair<uint32_t, int>> fields) {
    std::vector<uint8_t> out;
    uint64_t acc = 0;
    int n = 0;
    for (auto [value, count] : fields) {
        acc |= uint64_t(value) << n;
        n += count;
        while (n >= 8) {
            out.push_back(static_cast<uint8_t>(acc));
            acc >>= 8;
            n -= 8;
        }
    }
    if (n) out.push_back(static_cast<uint8_t>(acc));
    return out;
}

// A fixed-code symbol as its bits, most significant bit first as Deflate sends Huffman codes.
std::pair<uint32_t, int> Fixed(unsigned symbol) {
    unsigned code, len;
    if (symbol < 144) code = 0x30 + symbol, len = 8;
    else if (symbol < 256) code = 0x190 + symbol - 144, len = 9;
    else if (symbol < 280) code = symbol - 256, len = 7;
    else code = 0xC0 + symbol - 280, len = 8;
    unsigned rev = 0;
    for (unsigned i = 0; i < len; ++i) rev |= ((code >> i) & 1) << (len - 1 - i);
    return {rev, static_cast<int>(len)};
}

TEST(SkinInflate, HostileStreamsFailInsteadOfReadingOrWritingOutside) {
    const std::vector<THostileCase> cases = {
        {"empty input", {}, "unexpected end of data"},
        {"reserved block type 3", PackBits({{1, 1}, {3, 2}}), "invalid block type"},
        {"fixed literal/length 286", PackBits({{1, 1}, {1, 2}, Fixed(65), Fixed(286), {0, 5}, Fixed(256)}), "invalid literal/length code"},
        {"fixed literal/length 287", PackBits({{1, 1}, {1, 2}, Fixed(65), Fixed(287), {0, 5}, Fixed(256)}), "invalid literal/length code"},
        {"distance code 30", PackBits({{1, 1}, {1, 2}, Fixed(65), Fixed(257), {0x0F, 5}, Fixed(256)}), "invalid distance code"},
        {"distance code 31", PackBits({{1, 1}, {1, 2}, Fixed(65), Fixed(257), {0x1F, 5}, Fixed(256)}), "invalid distance code"},
        {"distance before the first byte", PackBits({{1, 1}, {1, 2}, Fixed(65), Fixed(257), {0x08, 5}, Fixed(256)}), "distance too far back"},
        {"no end of block", PackBits({{1, 1}, {1, 2}, Fixed(65), Fixed(66)}), "unexpected end of data"},
        {"no final block: endless empty stored blocks", PackBits({{0, 1}, {0, 2}, {0, 5}, {0, 16}, {0xFFFF, 16}}), "unexpected end of data"},
        {"stored block longer than the input", PackBits({{1, 1}, {0, 2}, {0, 5}, {100, 16}, {0xFF9B, 16}, {0x41, 8}}), "unexpected end of data"},
        {"HLIT above 286", PackBits({{1, 1}, {2, 2}, {30, 5}, {0, 5}, {15, 4}}), "too many length or distance symbols"},
        {"HDIST above 30", PackBits({{1, 1}, {2, 2}, {0, 5}, {30, 5}, {15, 4}}), "too many length or distance symbols"},
        // Code-length code: only symbol 16 (length 1) and 0 (length 1); first symbol is a repeat.
        {"repeat with no previous length",
         PackBits({{1, 1}, {2, 2}, {0, 5}, {0, 5}, {0, 4}, {1, 3}, {0, 3}, {0, 3}, {1, 3}, {1, 1}, {0, 2}}), "repeat with no previous length"},
        // Code-length code: symbols 18 and 0 of length 1; 138 zeros twice run past 258 lengths.
        {"zeros past HLIT + HDIST",
         PackBits({{1, 1}, {2, 2}, {0, 5}, {0, 5}, {0, 4}, {0, 3}, {0, 3}, {1, 3}, {1, 3}, {1, 1}, {127, 7}, {1, 1}, {127, 7}}), "repeat past the code lengths"},
        // Code-length code lengths: three symbols of length 1 cannot be a prefix code.
        {"over-subscribed code lengths", PackBits({{1, 1}, {2, 2}, {0, 5}, {0, 5}, {0, 4}, {1, 3}, {1, 3}, {1, 3}, {0, 3}}), "invalid code lengths set"},
    };
    for (const THostileCase& c : cases) {
        std::string packed(c.Bytes.begin(), c.Bytes.end()), out, why;
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Inflate(packed, out, 1u << 20, &why), TInflateResult::Failed) << c.Name;
        EXPECT_FALSE(why.empty()) << c.Name;
        EXPECT_EQ(why, c.Reason) << c.Name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << c.Name;
    }
}

TEST(SkinInflate, OutputPastTheLimitStopsWithTooLong) {
    std::string data = Mixed(200000, 9);
    std::string out;
    EXPECT_EQ(Inflate(Deflate(data, 6), out, data.size()), TInflateResult::Done);
    EXPECT_EQ(Inflate(Deflate(data, 6), out, data.size() - 1), TInflateResult::TooLong);
    EXPECT_LT(out.size(), data.size());
    EXPECT_EQ(Inflate(Deflate(std::string(1 << 20, 'z'), 9), out, 1000), TInflateResult::TooLong);
    EXPECT_LE(out.size(), 1000u);
}

// Flipped bits, dropped and inserted bytes and cut ends, seeded: the decoder answers 0, 1 or 2
// quickly and, when both it and zlib accept the stream, gives zlib's bytes.
TEST(SkinInflate, RandomDamageEndsCleanlyAndAgreesWithZlib) {
    std::mt19937 rng(20261210);
    std::vector<std::string> originals;
    for (int i = 0; i < 8; ++i) {
        std::string data = Mixed(100 + rng() % 40000, rng());
        originals.push_back(Deflate(data, i % 10, i == 5 ? Z_FIXED : Z_DEFAULT_STRATEGY));
    }
    int agreed = 0;
    auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < 20000; ++round) {
        std::string packed = originals[round % originals.size()];
        int damage = 1 + rng() % 4;
        for (int d = 0; d < damage && !packed.empty(); ++d) {
            size_t at = rng() % packed.size();
            switch (rng() % 4) {
            case 0: packed[at] = static_cast<char>(packed[at] ^ (1 << (rng() % 8))); break;
            case 1: packed[at] = static_cast<char>(rng()); break;
            case 2: packed.erase(at, 1 + rng() % 4); break;
            default: packed.resize(at); break;
            }
        }
        const size_t limit = 1 << 17;
        std::string ours, theirs;
        TInflateResult result = Inflate(packed, ours, limit);
        ASSERT_LE(static_cast<int>(result), 2);
        ASSERT_LE(ours.size(), limit);
        if (result == TInflateResult::Done && ZlibInflate(packed, theirs, limit) && theirs.size() <= limit) {
            ASSERT_TRUE(ours == theirs) << "round " << round;
            ++agreed;
        }
    }
    EXPECT_GT(agreed, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(300));
}

}  // namespace
