// The zlib stream classes against the real zlib library in both directions.
#include <gtest/gtest.h>

#include <random>
#include <zlib.h>

#include "skindata/gw_zlib_streams.h"

namespace {

std::string Bytes(TMemoryStream& m) { return std::string(reinterpret_cast<const char*>(m.Memory()), m.GetSize()); }

std::string ZlibCompress(const std::string& data, int level) {
    uLongf size = compressBound(data.size());
    std::string out(size, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(data.data()),
                        data.size(), level),
              Z_OK);
    out.resize(size);
    return out;
}

std::string ZlibUncompress(const std::string& packed, size_t size) {
    std::string out(size + 1, '\0');
    uLongf got = out.size();
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(&out[0]), &got, reinterpret_cast<const Bytef*>(packed.data()),
                         packed.size()),
              Z_OK);
    out.resize(got);
    return out;
}

std::string Decompress(const std::string& packed) {
    TStringStream src(packed);
    TMemoryStream dst;
    DecompressStream(&dst, &src);
    return Bytes(dst);
}

struct Input { const char* label; std::string data; };

std::vector<Input> Inputs() {
    std::mt19937 rng(17);
    auto random = [&](size_t n) {
        std::string s(n, '\0');
        for (char& c : s) c = static_cast<char>(rng());
        return s;
    };
    std::string text;
    while (text.size() < (1u << 20)) text += "[SKINCONTROLS]\r\ncount=3\r\n0=a:panel\r\nfontname=Arial " + std::to_string(text.size()) + "\r\n";
    return {{"empty", ""},          {"one byte", "x"},         {"4095 B", random(4095)}, {"4096 B", random(4096)},
            {"4097 B", random(4097)}, {"1 MiB random", random(1u << 20)}, {"1 MiB text", text}};
}

}  // namespace

TEST(ZlibStreams, CompressStreamIsReadByZlib) {
    for (const Input& in : Inputs()) {
        TStringStream src(in.data);
        TMemoryStream dst;
        CompressStream(&src, &dst);
        EXPECT_EQ(ZlibUncompress(Bytes(dst), in.data.size()), in.data) << in.label;
        EXPECT_EQ(Decompress(Bytes(dst)), in.data) << in.label;
    }
}

TEST(ZlibStreams, DecompressStreamReadsZlibAtEveryLevel) {
    for (const Input& in : Inputs())
        for (int level : {0, 1, 6, 9}) EXPECT_EQ(Decompress(ZlibCompress(in.data, level)), in.data) << in.label << " level " << level;
}

TEST(ZlibStreams, LevelIndexesAndWrongWayOperations) {
    for (int index : {0, 1, 2, 3}) {
        TMemoryStream empty;
        EXPECT_NO_THROW(TCompressionStream(index, &empty));
        EXPECT_EQ(ZlibUncompress(Bytes(empty), 0), "") << index;   // freed: a whole stream of nothing
    }
    TMemoryStream sink;
    for (int index : {-1, 4}) EXPECT_THROW(TCompressionStream(index, &sink), ECompressionError);

    TCompressionStream z(3, &sink);
    char b[4] = {};
    try {
        z.Read(b, 4);
        FAIL() << "read from a compression stream";
    } catch (const ECompressionError& e) {
        EXPECT_EQ(e.Message, "Invalid stream operation");
    }
    z.WriteBuffer("abc", 3);
    EXPECT_EQ(z.GetPosition(), 3);
    EXPECT_THROW(z.SetPosition(0), ECompressionError);
    z.Finish();
    EXPECT_THROW(z.WriteBuffer("d", 1), ECompressionError);
    EXPECT_EQ(ZlibUncompress(Bytes(sink), 3), "abc");

    TStringStream packed(ZlibCompress("abc", 6));
    TDecompressionStream d(&packed);
    try {
        d.Write("x", 1);
        FAIL() << "write to a decompression stream";
    } catch (const EDecompressionError& e) {
        EXPECT_EQ(e.Message, "Invalid stream operation");
    }
}

TEST(ZlibStreams, ReadLengthsAndPositions) {
    std::string data;
    for (int i = 0; i < 20000; ++i) data += static_cast<char>('a' + i % 23);
    // The compressed data starts 5 bytes into the inner stream: a restart goes back there.
    TStringStream packed("front" + ZlibCompress(data, 9));
    packed.SetPosition(5);
    TDecompressionStream d(&packed);

    std::string buf(30000, '\0');
    EXPECT_EQ(d.Read(&buf[0], 10), 10);
    EXPECT_EQ(d.Read(&buf[0], -1), 0);
    EXPECT_EQ(d.GetPosition(), 10);
    EXPECT_EQ(d.Seek(100, soCurrent), 110);   // forward skip
    EXPECT_EQ(d.Seek(5000, soBeginning), 5000);
    EXPECT_EQ(d.Read(&buf[0], 3), 3);
    EXPECT_EQ(buf.substr(0, 3), data.substr(5000, 3));

    const char* invalid[] = {"backwards", "same place from start", "from end"};
    const std::pair<int64_t, int> bad[] = {{100, soBeginning}, {5003, soBeginning}, {0, soEnd}};
    for (int i = 0; i < 3; ++i) {
        try {
            d.Seek(bad[i].first, bad[i].second);
            ADD_FAILURE() << invalid[i];
        } catch (const EDecompressionError& e) {
            EXPECT_EQ(e.Message, "Invalid stream operation") << invalid[i];
        }
    }

    d.SetPosition(0);   // restart
    packed.SetPosition(0);   // someone else moves the inner stream between calls
    EXPECT_EQ(d.Read(&buf[0], 30000), 20000);   // over-long read: exactly the data
    EXPECT_EQ(buf.substr(0, 20000), data);
    EXPECT_EQ(d.Read(&buf[0], 10), 0);
    EXPECT_THROW(d.Seek(1, soCurrent), EReadError);   // skipping past the end
}

TEST(ZlibStreams, InnerStreamMovedBetweenWrites) {
    TMemoryStream inner;
    std::string data(50000, '\0');
    std::mt19937 rng(3);
    for (char& c : data) c = static_cast<char>(rng() % 7);
    {
        TCompressionStream z(1, &inner);
        for (size_t i = 0; i < data.size(); i += 1000) {
            z.WriteBuffer(&data[i], 1000);
            inner.SetPosition(0);   // the compression stream must put it back
        }
        z.Finish();
    }
    EXPECT_EQ(ZlibUncompress(Bytes(inner), data.size()), data);
}

TEST(ZlibStreams, DamagedInputRaises) {
    const std::string data(3000, 'q');
    const std::string packed = ZlibCompress(data, 9);
    // Every truncation of the data ends before zlib's end of stream.
    for (size_t cut = 0; cut < packed.size(); ++cut)
        EXPECT_THROW(Decompress(packed.substr(0, cut)), EDecompressionError) << "cut at " << cut;
    // Trailing bytes after the end are not data.
    EXPECT_EQ(Decompress(packed + "trailing junk"), data);

    // A stream that needs a preset dictionary.
    z_stream z{};
    ASSERT_EQ(deflateInit(&z, 9), Z_OK);
    ASSERT_EQ(deflateSetDictionary(&z, reinterpret_cast<const Bytef*>("dictionary"), 10), Z_OK);
    std::string out(200, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>("dictionary text"));
    z.avail_in = 15;
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    EXPECT_THROW(Decompress(out), EDecompressionError);

    // Whatever zlib finds wrong, the text is the same.
    std::string badHeader = packed, badBlock = packed, badCheck = packed;
    badHeader[0] = 0x77;                                  // header check fails
    badBlock[2] = static_cast<char>(badBlock[2] | 0x06);  // block type 3 does not exist
    badCheck[badCheck.size() - 1] ^= 0x55;                // Adler-32 differs
    for (const std::string* bad : {&badHeader, &badBlock, &badCheck}) {
        try {
            Decompress(*bad);
            ADD_FAILURE() << "damaged data read";
        } catch (const EDecompressionError& e) {
            EXPECT_EQ(e.Message, "compression error");
        }
    }

    // Output beyond a limit.
    TStringStream src(packed);
    TMemoryStream dst;
    EXPECT_THROW(DecompressStream(&dst, &src, 2999), EDecompressionError);
}

// A destination that takes at most `room` bytes.
class TFullStream : public TMemoryStream {
public:
    explicit TFullStream(int64_t room) : FRoom(room) {}
    int32_t Write(const void* buffer, int32_t count) override {
        int32_t n = static_cast<int32_t>(std::min<int64_t>(count, FRoom - GetSize()));
        return n > 0 ? TMemoryStream::Write(buffer, n) : 0;
    }
private:
    int64_t FRoom;
};

TEST(ZlibStreams, FinishReportsAFailedWrite) {
    // The end of the data cannot be written: Finish raises, and the stream can still be freed
    // (also while that exception unwinds).
    TFullStream full(5);
    EXPECT_THROW(
        {
            TCompressionStream z(3, &full);
            z.WriteBuffer("abc", 3);
            z.Finish();
        },
        EWriteError);
    // Never finished by its user: the destructor writes the end, so any zlib reads it back.
    const std::string data(10000, 'z');
    TMemoryStream sink;
    {
        TCompressionStream z(3, &sink);
        z.WriteBuffer(data.data(), static_cast<int32_t>(data.size()));
    }
    EXPECT_EQ(ZlibUncompress(Bytes(sink), data.size()), data);
    // ... and swallows a failure to write it, as a destructor cannot raise.
    TFullStream tight(5);
    EXPECT_NO_THROW({
        TCompressionStream z(3, &tight);
        z.WriteBuffer(data.data(), static_cast<int32_t>(data.size()));
    });
    EXPECT_EQ(tight.GetSize(), 5);
}
