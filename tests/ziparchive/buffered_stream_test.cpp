// The buffered stream against a plain in-memory model, its documented corner cases, what it
// does when the inner stream refuses bytes, and the file stream over real (GBK) names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "classlib/fileio.h"
#include "ziparchive/buffered_stream.h"
#include "tests/ziparchive/scratch_files.h"

namespace {

std::string Contents(TMemoryStream& m) {
    return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.GetSize()));
}

void Put(TStream& s, const std::string& bytes) {
    ASSERT_EQ(s.Write(bytes.data(), static_cast<int32_t>(bytes.size())), static_cast<int32_t>(bytes.size()));
}

std::string Get(TStream& s, int32_t n) {
    std::string out(static_cast<size_t>(n), '\0');
    int32_t got = s.Read(&out[0], n);
    out.resize(static_cast<size_t>(std::max(got, 0)));
    return out;
}

// What a byte stream should do, kept as plainly as possible.
struct TModel {
    std::string Data;
    int64_t Pos = 0;
    std::string Read(int32_t n) {
        if (Pos >= static_cast<int64_t>(Data.size())) return "";
        std::string r = Data.substr(static_cast<size_t>(Pos), static_cast<size_t>(n));
        Pos += static_cast<int64_t>(r.size());
        return r;
    }
    void Write(const std::string& b) {
        if (b.empty()) return;
        if (Pos + static_cast<int64_t>(b.size()) > static_cast<int64_t>(Data.size()))
            Data.resize(static_cast<size_t>(Pos) + b.size(), '\0');
        Data.replace(static_cast<size_t>(Pos), b.size(), b);
        Pos += static_cast<int64_t>(b.size());
    }
    void SetSize(int64_t n) {
        Data.resize(static_cast<size_t>(n), '\0');
        Pos = std::min(Pos, n);
    }
};

TEST(BufferedStream, MatchesAnInMemoryModelOverRandomOperations) {
    for (int32_t bufferSize : {1, 3, 7, 16}) {
        for (unsigned seed = 1; seed <= 40; ++seed) {
            SCOPED_TRACE("buffer " + std::to_string(bufferSize) + " seed " + std::to_string(seed));
            std::mt19937 rng(seed * 7919 + static_cast<unsigned>(bufferSize));
            auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
            TMemoryStream inner;
            TModel model;
            {
                TS_BufferStream s(&inner, bufferSize);
                for (int step = 0; step < 300; ++step) {
                    const int64_t size = static_cast<int64_t>(model.Data.size());
                    switch (pick(0, 6)) {
                    case 0:
                    case 1: {
                        int32_t n = pick(0, 3 * bufferSize + 2);
                        ASSERT_EQ(Get(s, n), model.Read(n)) << "read " << n << " at step " << step;
                        break;
                    }
                    case 2:
                    case 3: {
                        std::string b(static_cast<size_t>(pick(0, 3 * bufferSize + 2)), '\0');
                        for (char& c : b) c = static_cast<char>(pick(0, 255));
                        ASSERT_EQ(s.Write(b.data(), static_cast<int32_t>(b.size())), static_cast<int32_t>(b.size()));
                        model.Write(b);
                        break;
                    }
                    case 4: {
                        int origin = pick(0, 2);
                        int64_t target;
                        if (origin == soBeginning) target = pick(0, static_cast<int>(size) + 5);
                        else if (origin == soCurrent) target = model.Pos + pick(-static_cast<int>(model.Pos), 6);
                        else target = size - pick(0, static_cast<int>(size));
                        int64_t offset = origin == soBeginning ? target
                                         : origin == soCurrent ? target - model.Pos
                                                               : (pick(0, 1) ? size - target : target - size);
                        ASSERT_EQ(s.Seek(offset, origin), target) << "seek " << offset << "," << origin;
                        model.Pos = target;
                        break;
                    }
                    case 5:
                        ASSERT_EQ(s.GetSize(), size) << "step " << step;
                        ASSERT_EQ(s.GetPosition(), model.Pos);
                        break;
                    case 6: {
                        if (pick(0, 3)) break;   // size changes are rarer
                        int64_t n = pick(0, static_cast<int>(size) + 4);
                        s.SetSize(n);
                        model.SetSize(n);
                        ASSERT_EQ(s.GetPosition(), model.Pos);
                        break;
                    }
                    }
                }
                s.Flush();
                ASSERT_EQ(Contents(inner), model.Data);
            }
            ASSERT_EQ(Contents(inner), model.Data);
        }
    }
}

TEST(BufferedStream, ReadWriteInterleaving) {
    TMemoryStream inner;
    TS_BufferStream s(&inner, 8);
    Put(s, "0123456789");
    EXPECT_EQ(s.Seek(0, soBeginning), 0);
    EXPECT_EQ(Contents(inner), "0123456789");   // reached the inner stream before the seek
    EXPECT_EQ(Get(s, 3), "012");
    Put(s, "ab");                                // lands right after what was read
    EXPECT_EQ(Get(s, 2), "56");                  // pending bytes go first, reading goes on after them
    EXPECT_EQ(Contents(inner), "012ab56789");
    EXPECT_EQ(Get(s, 100), "789");
    Put(s, "XY");                                // at the end: appended
    s.Flush();
    EXPECT_EQ(Contents(inner), "012ab56789XY");

    s.Seek(0, soBeginning);
    Put(s, "ABCDEFGH");                          // exactly one buffer
    EXPECT_EQ(Get(s, 2), "89");
    EXPECT_EQ(Contents(inner), "ABCDEFGH89XY");
}

TEST(BufferedStream, SeekAndSize) {
    TMemoryStream inner;
    Put(inner, std::string(100, 'x'));
    inner.Seek(0, soBeginning);
    TS_BufferStream s(&inner, 16);
    EXPECT_EQ(s.Seek(22, soEnd), 78);
    EXPECT_EQ(s.Seek(-22, soEnd), 78);
    EXPECT_EQ(s.Seek(0, soEnd), 100);
    Put(s, "12345");
    EXPECT_EQ(inner.GetSize(), 100);             // still buffered
    EXPECT_EQ(s.GetSize(), 105);                 // but counted
    EXPECT_EQ(s.GetPosition(), 105);
    try {
        s.Seek(0, 3);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message, "Invalid seek origin (3)");
    }
    EXPECT_THROW(s.Seek(-1, soBeginning), Exception);
    EXPECT_THROW(s.Seek(-200, soEnd), Exception);
    EXPECT_EQ(s.GetPosition(), 105);
}

TEST(BufferedStream, SetSizeDealsWithTheBufferFirst) {
    TMemoryStream inner;
    {
        TS_BufferStream s(&inner, 64);
        Put(s, "0123456789");                    // pending, inner still empty
        s.SetSize(4);
        EXPECT_EQ(s.GetSize(), 4);
    }
    EXPECT_EQ(Contents(inner), "0123");          // the pending bytes did not come back later

    TMemoryStream inner2;
    Put(inner2, "abcdefghijklmnopqrst");
    inner2.Seek(0, soBeginning);
    TS_BufferStream s(&inner2, 16);
    EXPECT_EQ(Get(s, 3), "abc");                 // 16 bytes read ahead
    s.SetSize(10);
    Put(s, "XY");                                // still at the logical position
    s.Flush();
    EXPECT_EQ(Contents(inner2), "abcXYfghij");
}

TEST(BufferedStream, PutBackAndEvents) {
    TMemoryStream inner;
    Put(inner, "hello world");
    inner.Seek(0, soBeginning);
    TS_BufferStream s(&inner, 4);
    int fills = 0, flushes = 0;
    s.OnFillBuffer = [&](TObject* sender) { EXPECT_EQ(sender, &s); ++fills; };
    s.OnFlushBuffer = [&](TObject*) { ++flushes; };
    try {
        s.PutBackByte('x');
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.Message, "Putback overflow");
    }
    EXPECT_EQ(Get(s, 2), "he");
    s.PutBackByte('E');
    EXPECT_EQ(Get(s, 3), "Ell");
    EXPECT_EQ(fills, 1);
    EXPECT_EQ(Get(s, 100), "o world");
    EXPECT_EQ(fills, 4);                         // two more blocks and the empty one at the end
    Put(s, "12345678");
    EXPECT_EQ(flushes, 2);
}

// Record readers step back and forth over the bytes just read: a seek among the bytes read
// ahead is served from the buffer, without reading the file again, except after a byte was
// put back, which the file does not hold.
TEST(BufferedStream, SeeksAmongTheBytesReadAheadKeepTheBuffer) {
    TMemoryStream inner;
    Put(inner, "hello world, again");
    inner.Seek(0, soBeginning);
    TS_BufferStream s(&inner, 8);
    int fills = 0;
    s.OnFillBuffer = [&](TObject*) { ++fills; };
    EXPECT_EQ(Get(s, 5), "hello");
    EXPECT_EQ(s.Seek(1, soBeginning), 1);
    EXPECT_EQ(Get(s, 3), "ell");
    EXPECT_EQ(s.Seek(3, soCurrent), 7);
    EXPECT_EQ(s.GetPosition(), 7);
    EXPECT_EQ(Get(s, 1), "o");
    EXPECT_EQ(s.Seek(8, soBeginning), 8);         // the end of the buffer: the next read refills
    EXPECT_EQ(fills, 1);
    EXPECT_EQ(Get(s, 4), "rld,");
    EXPECT_EQ(fills, 2);
    s.PutBackByte('D');
    EXPECT_EQ(s.Seek(10, soBeginning), 10);
    EXPECT_EQ(Get(s, 2), "d,");                   // the file's byte, not the one put back
    EXPECT_EQ(s.Seek(2, soBeginning), 2);         // before the buffer: read from the file
    Put(s, "LL");
    EXPECT_EQ(s.GetPosition(), 4);
    EXPECT_EQ(Get(s, 3), "o w");
    s.Flush();
    EXPECT_EQ(Contents(inner), "heLLo world, again");
}

// A "disk" that takes only Room more bytes.
class TSmallDisk : public TMemoryStream {
public:
    int32_t Room = 0;
    int32_t Write(const void* buffer, int32_t count) override {
        int32_t n = std::min(count, Room);
        Room -= n;
        return TMemoryStream::Write(buffer, n);
    }
};

TEST(BufferedStream, AFullDiskIsNeverReportedAsWritten) {
    std::string data(100, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>('a' + i % 26);

    {   // Write counts only the bytes that got through.
        TSmallDisk disk;
        disk.Room = 40;
        TS_BufferStream s(&disk, 16);
        EXPECT_EQ(s.Write(data.data(), 100), 40);
        EXPECT_EQ(Contents(disk), data.substr(0, 40));
        s.WriteBuffer(data.data(), 10);          // fits the buffer...
        EXPECT_THROW(s.Flush(), EWriteError);    // ...and the owner learns it never reached the disk
    }
    {   // Pending bytes whose flush fails are kept and reported, not dropped.
        TSmallDisk disk;
        disk.Room = 5;
        TS_BufferStream s(&disk, 16);
        Put(s, data.substr(0, 10));
        EXPECT_THROW(s.Flush(), EWriteError);
        EXPECT_EQ(Contents(disk), data.substr(0, 5));
        EXPECT_THROW(s.Seek(0, soBeginning), Exception);
        char c;
        EXPECT_THROW(s.Read(&c, 1), EWriteError);
        disk.Room = 1000;                        // room again: nothing was lost
        s.Flush();
        EXPECT_EQ(Contents(disk), data.substr(0, 10));
    }
    {   // Older pending bytes are not dropped when a later write fails.
        TSmallDisk disk;
        disk.Room = 3;
        TS_BufferStream s(&disk, 8);
        Put(s, data.substr(0, 5));               // accepted into the buffer
        EXPECT_EQ(s.Write(data.data() + 5, 10), 0);   // the flush gets 3 of the 5 older bytes out
        EXPECT_THROW(s.SetSize(0), EWriteError);
        disk.Room = 1000;
        s.Flush();
        EXPECT_EQ(Contents(disk), data.substr(0, 5));
    }
}

class LFNFileStream : public ::testing::TestWithParam<TTestNames> {
protected:
    void SetUp() override { SKIP_IF_GBK_UNAVAILABLE(); }
};

TEST_P(LFNFileStream, RealFiles) {
    TempDir d;
    std::string name = WinDir(d) + GetParam().Wide + GetParam().Trail + ".zip";
    std::string data(20000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 31);
    {
        TLFNFileStream f(name, 8192, true, fmCreate);
        EXPECT_NE(f.GetFileHandle(), INVALID_FILE_HANDLE);
        EXPECT_EQ(f.GetFileName(), name);
        f.WriteBuffer(data.data(), static_cast<int32_t>(data.size()));
        EXPECT_EQ(f.GetSize(), 20000);
        f.Seek(100, soBeginning);
        f.WriteBuffer("ZZ", 2);
        f.Flush();
    }
    data[100] = data[101] = 'Z';
    EXPECT_EQ(ReadFileBytes(name), data);
    {
        TLFNFileStream f(name, 512, true, fmOpenRead | fmShareDenyWrite);
        EXPECT_EQ(f.GetSize(), 20000);
        f.Seek(-22, soEnd);
        std::string tail(22, '\0');
        f.ReadBuffer(&tail[0], 22);
        EXPECT_EQ(tail, data.substr(20000 - 22));
        f.Seek(0, soEnd);
        EXPECT_EQ(f.Write("x", 1), 1);           // buffered...
        EXPECT_THROW(f.Flush(), EWriteError);    // ...but a read-only file refuses it, and says so
    }
    EXPECT_EQ(ReadFileBytes(name), data);
    EXPECT_THROW(TLFNFileStream(WinDir(d) + "missing.zip", 8192, false, fmOpenRead), EFOpenError);
    EXPECT_THROW(TLFNFileStream(name, 0, false, fmOpenRead), EStreamError);
}

INSTANTIATE_TEST_SUITE_P(Names, LFNFileStream, ::testing::ValuesIn(TestNameSets()), TestNamesLabel);

}  // namespace
