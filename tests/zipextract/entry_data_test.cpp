// The data path of the extraction engine on memory streams: block input with its bounds,
// bit input, output with size limit, CRC and progress, the stored copy with deciphering on
// the output side and raw inflation, including damaged and short data.
#include <gtest/gtest.h>

#include <random>

#include "ziparchive/arc_exceptions.h"
#include "ziparchive/zip_crypt.h"
#include "zipextract/bit_input.h"
#include "zipextract/entry_decoders.h"
#include "tests/zipextract/zip_builder.h"

namespace {

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
}

std::string Text(size_t n) {
    std::string s;
    for (size_t i = 0; s.size() < n; ++i) s += "line " + std::to_string(i) + " of the text\n";
    s.resize(n);
    return s;
}

// A memory stream holding Bytes, positioned at 0.
struct TSource {
    explicit TSource(const std::string& bytes) {
        if (!bytes.empty()) Stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
        Stream.SetPosition(0);
    }
    TMemoryStream Stream;
};

std::string Contents(TMemoryStream& m) { return std::string(reinterpret_cast<const char*>(m.Memory()), m.GetSize()); }

// Runs one decoder over Packed and returns what it wrote.
struct TDecodeRun {
    TEntryInput Input;
    TEntryOutput Output;
    TMemoryStream Target;
    std::vector<int> Blocks;   // sizes of the blocks the input read

    void Run(bool deflate, const std::string& packed, int64_t declaredSize, TBlockDecrypter inputDecrypt = {},
             TBlockDecrypter outputDecrypt = {}) {
        TSource src(packed);
        Input.StartEntry(&src.Stream, static_cast<int64_t>(packed.size()), {}, std::move(inputDecrypt), {});
        Output.StartEntry(&Target, declaredSize, std::move(outputDecrypt), {});
        if (deflate)
            InflateEntry(Input, Output);
        else
            CopyStoredEntry(Input, Output);
    }
};

}  // namespace

TEST(EntryInput, BlocksAreBoundedByTheEntry) {
    // The archive holds more than the entry: only the entry's bytes are read, in blocks of 32768.
    const std::string bytes = RandomBytes(70000, 1);
    TSource src(bytes + "trailing bytes of the next record");
    TEntryInput in;
    in.StartEntry(&src.Stream, 70000, {}, {}, {});
    std::string got;
    std::vector<int32_t> sizes;
    for (int32_t n; (n = in.LoadBlock()) > 0;) {
        sizes.push_back(n);
        got.append(reinterpret_cast<const char*>(in.Block()), static_cast<size_t>(n));
    }
    EXPECT_EQ(sizes, (std::vector<int32_t>{32768, 32768, 4464}));
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(in.LoadBlock(), 0);
}

TEST(EntryInput, ReadInputByteStopsAtTheEntryEnd) {
    TSource src("abcdef");
    TEntryInput in;
    in.StartEntry(&src.Stream, 3, {}, {}, {});
    uint8_t b = 0;
    std::string got;
    while (in.ReadInputByte(b) == 8) got += static_cast<char>(b);
    EXPECT_EQ(got, "abc");
    b = 'x';
    EXPECT_EQ(in.ReadInputByte(b), 0);
    EXPECT_EQ(b, 'x');   // unchanged
}

TEST(EntryInput, ArchiveEndingInsideTheEntryFails) {
    TSource src(RandomBytes(100, 2));
    TEntryInput in;
    in.StartEntry(&src.Stream, 5000, {}, {}, {});
    EXPECT_THROW(in.LoadBlock(), EFatalUnzipError);
    std::string buf(5000, '\0');
    TSource src2(RandomBytes(100, 2));
    in.StartEntry(&src2.Stream, 5000, {}, {}, {});
    EXPECT_THROW(in.ReadRaw(reinterpret_cast<uint8_t*>(&buf[0]), 5000), EFatalUnzipError);
}

TEST(EntryInput, SpannedEntryContinuesOnTheNextDisk) {
    const std::string bytes = RandomBytes(50000, 3);
    TSource first(bytes.substr(0, 20000)), second(bytes.substr(20000));
    TEntryInput in;
    int asked = 0;
    in.StartEntry(&first.Stream, 50000, [&]() -> TStream* {
        ++asked;
        return &second.Stream;
    }, {}, {});
    std::string got;
    for (int32_t n; (n = in.LoadBlock()) > 0;) got.append(reinterpret_cast<const char*>(in.Block()), static_cast<size_t>(n));
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(asked, 1);
}

TEST(EntryInput, EncryptedBlocksAreDecipheredAcrossBlockBorders) {
    const std::string plain = RandomBytes(40000, 4);
    std::string packed = plain;
    TZipKeys enc;
    enc.InitKeys("pw");
    enc.EncryptBuffer(&packed[0], packed.size());
    TZipKeys dec;
    dec.InitKeys("pw");
    TSource src(packed);
    TEntryInput in;
    in.StartEntry(&src.Stream, static_cast<int64_t>(packed.size()), {},
                  [&](uint8_t* b, int32_t n) { dec.DecryptBuffer(b, static_cast<size_t>(n)); }, {});
    std::string got;
    for (int32_t n; (n = in.LoadBlock()) > 0;) got.append(reinterpret_cast<const char*>(in.Block()), static_cast<size_t>(n));
    EXPECT_EQ(got, plain);
}

TEST(BitInput, BitsComeFromTheLowEndInOrder) {
    TSource src(std::string("\xB5\x3C\xFF\x01", 4));
    TEntryInput in;
    in.StartEntry(&src.Stream, 4, {}, {}, {});
    TBitInput bits(in);
    bits.Reset();
    EXPECT_EQ(bits.ReadBits(0), 0u);
    EXPECT_EQ(bits.ReadBits(3), 0x5u);     // 0xB5 = 1011 0101: low three bits 101
    EXPECT_EQ(bits.ReadBits(5), 0x16u);    // the rest of 0xB5
    EXPECT_EQ(bits.ReadBits(16), 0xFF3Cu);
    EXPECT_EQ(bits.ReadBits(8), 0x01u);

    // The same on a bit buffer of the caller's.
    TSource src2(std::string("\xB5\x3C", 2));
    in.StartEntry(&src2.Stream, 2, {}, {}, {});
    bits.Reset();
    uint32_t buf = 0;
    int count = 0;
    bits.NeedBits(3, buf, count);
    EXPECT_EQ(count, 8);   // whole bytes
    EXPECT_EQ(buf & kBitMasks[3], 0x5u);
    TBitInput::DumpBits(3, buf, count);
    bits.NeedBits(13, buf, count);
    EXPECT_EQ(buf & kBitMasks[13], 0x3CB5u >> 3);
    TBitInput::DumpBits(13, buf, count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(kBitMasks[16], 0xFFFF);
    EXPECT_EQ(kBitMasks[9], 0x01FF);
}

TEST(BitInput, EndOfDataGivesAFewZeroBytesThenFails) {
    TSource src(std::string("\x0F", 1));
    TEntryInput in;
    in.StartEntry(&src.Stream, 1, {}, {}, {});
    TBitInput bits(in);
    bits.Reset();
    EXPECT_EQ(bits.ReadBits(8), 0x0Fu);
    for (int i = 0; i < TBitInput::kZeroPadBytes; ++i) EXPECT_EQ(bits.ReadBits(8), 0u);
    EXPECT_TRUE(bits.EndOfInput());
    // A decoder that keeps asking for bits is stopped instead of spinning on zeros.
    // It is the entry's data that ended, not the archive: the entry fails, the run goes on.
    EXPECT_THROW(bits.ReadBits(8), EEntryDataEnded);
    uint32_t buf = 0;
    int count = 0;
    EXPECT_THROW(bits.NeedBits(8, buf, count), EEntryDataEnded);
}

TEST(EntryOutput, CrcSizeLimitAndProgress) {
    TMemoryStream target;
    TEntryOutput out;
    std::vector<std::pair<int64_t, int64_t>> progress;
    out.StartEntry(&target, 40000, {}, [&](int64_t e, int64_t r) { progress.push_back({e, r}); });
    const std::string data = RandomBytes(40000, 5);
    for (char c : data) out.PutOutputByte(static_cast<uint8_t>(c));
    out.FlushOutput();
    EXPECT_EQ(Contents(target), data);
    EXPECT_EQ(out.Crc(), Crc32(data));
    EXPECT_EQ(out.Written(), 40000);
    ASSERT_EQ(progress.size(), 2u);   // a full buffer, then the rest
    EXPECT_EQ(progress[0].first, 32768);
    EXPECT_EQ(progress[1].first, 40000);
    // One byte past the stored size: the block is refused whole.
    out.PutOutputByte('x');
    EXPECT_THROW(out.FlushOutput(), EBiggerThanUncompressed);
    EXPECT_EQ(target.GetSize(), 40000);
    EXPECT_EQ(out.RunWritten(), 40000);
}

TEST(EntryOutput, EmptyEntryHasCrcZero) {
    TEntryOutput out;
    out.StartEntry(nullptr, 0, {}, {});
    out.FlushOutput();
    EXPECT_EQ(out.Crc(), 0u);
    EXPECT_EQ(out.Written(), 0);
}

TEST(StoredCopy, BlockBordersAndSizes) {
    for (size_t n : {size_t(0), size_t(1), size_t(32767), size_t(32768), size_t(32769), size_t(100000)}) {
        const std::string data = RandomBytes(n, static_cast<unsigned>(n));
        TDecodeRun run;
        run.Run(false, data, static_cast<int64_t>(n));
        EXPECT_EQ(Contents(run.Target), data) << n;
        EXPECT_EQ(run.Output.Crc(), Crc32(data)) << n;
    }
}

TEST(StoredCopy, EncryptedBytesAreDecipheredOnOutput) {
    const std::string data = RandomBytes(70000, 6);
    std::string packed = data;
    TZipKeys enc;
    enc.InitKeys("");   // an empty password still enciphers
    enc.EncryptBuffer(&packed[0], packed.size());
    TZipKeys dec;
    dec.InitKeys("");
    TDecodeRun run;
    run.Run(false, packed, 70000, {}, [&](uint8_t* b, int32_t n) { dec.DecryptBuffer(b, static_cast<size_t>(n)); });
    EXPECT_EQ(Contents(run.Target), data);
}

TEST(Inflate, DecodesTextAndRandomData) {
    for (const std::string& data : {Text(300000), RandomBytes(100000, 7), std::string()}) {
        TDecodeRun run;
        run.Run(true, DeflateRaw(data), static_cast<int64_t>(data.size()));
        EXPECT_EQ(Contents(run.Target), data);
        EXPECT_EQ(run.Output.Crc(), Crc32(data));
    }
}

TEST(Inflate, EncryptedInputIsDecipheredBeforeInflation) {
    const std::string data = Text(100000);
    std::string packed = DeflateRaw(data);
    TZipKeys enc;
    enc.InitKeys("secret");
    enc.EncryptBuffer(&packed[0], packed.size());
    TZipKeys dec;
    dec.InitKeys("secret");
    TDecodeRun run;
    run.Run(true, packed, static_cast<int64_t>(data.size()),
            [&](uint8_t* b, int32_t n) { dec.DecryptBuffer(b, static_cast<size_t>(n)); });
    EXPECT_EQ(Contents(run.Target), data);
}

TEST(Inflate, DamagedOrShortDataFails) {
    const std::string data = Text(200000);
    const std::string packed = DeflateRaw(data);
    // Cut short: the entry's bytes run out before the Deflate stream ends (no endless loop);
    // a cut stream is corrupt Deflate data.
    for (size_t keep : {size_t(0), size_t(1), packed.size() / 2, packed.size() - 1}) {
        TDecodeRun run;
        EXPECT_THROW(run.Run(true, packed.substr(0, keep), static_cast<int64_t>(data.size())), EZCompressionError)
            << keep;
    }
    // An invalid block type in the first byte: the component's "error", zlib's words kept.
    {
        std::string bad = packed;
        bad[0] = static_cast<char>(bad[0] | 0x06);
        TDecodeRun run;
        try {
            run.Run(true, bad, static_cast<int64_t>(data.size()));
            ADD_FAILURE() << "no error";
        } catch (const EInflateDataError& e) {
            EXPECT_EQ(e.Message, "error");
            EXPECT_STREQ(e.ClassName(), "EZCompressionError");
            EXPECT_EQ(e.Detail, "invalid block type");
        }
    }
    // More output than the stored size.
    {
        TDecodeRun run;
        EXPECT_THROW(run.Run(true, packed, 1000), EBiggerThanUncompressed);
    }
}

TEST(Inflate, FlippedBytesNeverHangOrPassUnnoticed) {
    const std::string data = Text(60000);
    const std::string packed = DeflateRaw(data);
    std::mt19937 rng(8);
    for (int round = 0; round < 200; ++round) {
        std::string bad = packed;
        bad[rng() % (bad.size() - 1)] ^= static_cast<char>(1 + rng() % 255);
        TDecodeRun run;
        try {
            run.Run(true, bad, static_cast<int64_t>(data.size()));
            // Decoded to the end: then size or CRC tells the damage.
            EXPECT_TRUE(run.Output.Written() != static_cast<int64_t>(data.size()) || run.Output.Crc() != Crc32(data))
                << round;
        } catch (const EArcZipException&) {
        } catch (const EZLibError&) {
        }
    }
}
