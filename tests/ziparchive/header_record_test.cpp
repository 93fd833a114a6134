// The entry record: its byte formats written and read back, the zip64 rules, the name
// split, and damaged records and extra fields (which must fail or be skipped without
// reading outside what they hold).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ziparchive/header_record.h"
#include "classlib/little_endian.h"

namespace {

std::string Bytes(TMemoryStream& m) {
    return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.GetSize()));
}

TMemoryStream* StreamOf(const std::string& bytes) {
    auto* m = new TMemoryStream;
    m->Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    m->Seek(0, soBeginning);
    return m;
}

uint16_t U16At(const std::string& b, size_t pos) { return GetLE16(reinterpret_cast<const uint8_t*>(b.data()) + pos); }
uint32_t U32At(const std::string& b, size_t pos) { return GetLE32(reinterpret_cast<const uint8_t*>(b.data()) + pos); }
uint64_t U64At(const std::string& b, size_t pos) { return GetLE64(reinterpret_cast<const uint8_t*>(b.data()) + pos); }

std::string Block(uint16_t tag, const std::string& data) {
    TLEWriter w;
    w.U16(tag);
    w.U16(static_cast<uint16_t>(data.size()));
    w.Bytes(data.data(), data.size());
    return w.Data;
}

// A central header as bytes, with the given name, extra field and marker fields.
std::string CentralBytes(const std::string& name, const std::string& extra, uint32_t csize = 10,
                         uint32_t usize = 20, uint32_t offset = 0, uint16_t disk = 0, const std::string& comment = "") {
    TLEWriter w;
    w.U32(0x02014B50);
    w.U16(20);   // made by MS-DOS
    w.U16(20);
    w.U16(0);
    w.U16(8);
    w.U32(0x52A3641E);
    w.U32(0xDEADBEEF);
    w.U32(csize);
    w.U32(usize);
    w.U16(static_cast<uint16_t>(name.size()));
    w.U16(static_cast<uint16_t>(extra.size()));
    w.U16(static_cast<uint16_t>(comment.size()));
    w.U16(disk);
    w.U16(1);
    w.U32(0x20);
    w.U32(offset);
    return w.Data + name + extra + comment;
}

std::string U64s(std::initializer_list<uint64_t> values) {
    TLEWriter w;
    for (uint64_t v : values) w.U64(v);
    return w.Data;
}

TEST(HeaderRecord, FreshHeaderWritesVersion20NoExtraAndItsOwnOffset) {
    TZipHeaderInfo h;
    h.SetFileName("a.txt");
    h.SetDirectory("dir");
    EXPECT_EQ(h.GetDirectory(), "dir\\");
    EXPECT_EQ(h.FileNameLength, 9);
    TMemoryStream m;
    m.Write("0123456789", 10);
    h.WriteLocalHeader(&m);
    std::string b = Bytes(m);
    EXPECT_EQ(h.GetRelativeOffset(), 10);
    EXPECT_EQ(U32At(b, 10), 0x04034B50u);
    EXPECT_EQ(U16At(b, 14), 20);
    EXPECT_EQ(U16At(b, 10 + 28), 0);   // extra length
    EXPECT_EQ(b.substr(40), "dir/a.txt");

    TZipHeaderInfo back;
    m.Seek(10, soBeginning);
    ASSERT_TRUE(back.ReadLocalHeader(&m));
    EXPECT_EQ(back.GetFileName(), "a.txt");
    EXPECT_EQ(back.GetDirectory(), "dir\\");
    EXPECT_EQ(back.GetRelativeOffset(), 10);
    EXPECT_EQ(m.GetPosition(), 40 + 9);
}

TEST(HeaderRecord, LargeSizeGoesToZip64InBothHeadersByTheirOwnRules) {
    TZipHeaderInfo h;
    h.SetFileName("big");
    h.SetUncompressedSize(0x123456789LL);
    h.SetCompressedSize(1000);
    EXPECT_EQ(h.UncompressedSizeField, 0xFFFFFFFFu);
    EXPECT_EQ(h.GetUncompressedSize(), 0x123456789LL);

    TMemoryStream local;
    h.WriteLocalHeader(&local);
    std::string lb = Bytes(local);
    EXPECT_EQ(U16At(lb, 4), 45);
    EXPECT_EQ(U32At(lb, 18), 0xFFFFFFFFu);   // both size fields hold the marker
    EXPECT_EQ(U32At(lb, 22), 0xFFFFFFFFu);
    EXPECT_EQ(U16At(lb, 28), 20);            // one zip64 block: 4 + 16
    EXPECT_EQ(U16At(lb, 33), 1);
    EXPECT_EQ(U16At(lb, 35), 16);
    EXPECT_EQ(U64At(lb, 37), 0x123456789ull);
    EXPECT_EQ(U64At(lb, 45), 1000u);

    TMemoryStream central;
    h.WriteCentralHeader(&central, nullptr);
    std::string cb = Bytes(central);
    EXPECT_EQ(U16At(cb, 6), 45);
    EXPECT_EQ(U32At(cb, 20), 1000u);
    EXPECT_EQ(U16At(cb, 30), 12);   // only the marked uncompressed size
    EXPECT_EQ(U64At(cb, 46 + 3 + 4), 0x123456789ull);

    TZipHeaderInfo back;
    TStream* s = &central;
    central.Seek(0, soBeginning);
    ASSERT_TRUE(back.ReadCentralHeader(s, nullptr));
    EXPECT_EQ(back.GetUncompressedSize(), 0x123456789LL);
    EXPECT_EQ(back.GetCompressedSize(), 1000);
    EXPECT_EQ(back.Zip64BlockLength, 12);
    EXPECT_EQ(central.GetPosition(), 46 + 3);   // left at the extra field
}

TEST(HeaderRecord, OffsetAndDiskBeyondTheirFieldsRoundTrip) {
    TZipHeaderInfo h;
    h.SetFileName("x");
    h.SetRelativeOffset(5LL << 32);
    h.SetDiskNumberStart(70000);
    EXPECT_EQ(h.Zip64ExtraSize(true), 12);
    TMemoryStream m;
    h.WriteCentralHeader(&m, nullptr);
    TZipHeaderInfo back;
    TStream* s = &m;
    m.Seek(0, soBeginning);
    ASSERT_TRUE(back.ReadCentralHeader(s, nullptr));
    EXPECT_EQ(back.GetRelativeOffset(), 5LL << 32);
    EXPECT_EQ(back.GetDiskNumberStart(), 70000u);
}

// Stored names split at their last real separator (a directory entry ends in one) and are
// written back unchanged. 乗 (81 5C) ends in the byte of "\": it is no separator.
TEST(HeaderRecord, NamesSplitAtRealSeparatorsAndWriteBackUnchanged) {
    struct TCase {
        const char* Stored;
        const char* Directory;
        const char* FileName;
    } cases[] = {
        {"top/mid/", "top\\mid\\", ""},
        {"plain.txt", "", "plain.txt"},
        {"\xD6\xD0\x81\x5C/\x81\x5C.txt", "\xD6\xD0\x81\x5C\\", "\x81\x5C.txt"},
    };
    for (const TCase& c : cases) {
        std::unique_ptr<TMemoryStream> m(StreamOf(CentralBytes(c.Stored, "")));
        TStream* s = m.get();
        TZipHeaderInfo h;
        h.OEMConvert = oemNever;
        ASSERT_TRUE(h.ReadCentralHeader(s, nullptr)) << c.Stored;
        EXPECT_EQ(h.GetDirectory(), c.Directory);
        EXPECT_EQ(h.GetFileName(), c.FileName);
        TMemoryStream out;
        h.WriteCentralHeader(&out, nullptr);
        EXPECT_EQ(Bytes(out).substr(46), c.Stored);
    }

    TZipHeaderInfo d;
    d.SetDirectory("\xD6\xD0\x81\x5C");
    EXPECT_EQ(d.GetDirectory(), "\xD6\xD0\x81\x5C\\");
    d.SetDirectory("");
    EXPECT_EQ(d.GetDirectory(), "");
}

TEST(HeaderRecord, RewriteKeepsOtherBlocksAndRenewsOrDropsZip64) {
    const std::string ut = Block(0x5455, "\x01\x02\x03\x04\x05");
    const std::string ux = Block(0x7875, std::string(11, 'u'));
    const std::string z64 = Block(1, U64s({0x100000000ull}));
    std::string raw = CentralBytes("f", ut + z64 + ux, 10, 0xFFFFFFFF);
    std::unique_ptr<TMemoryStream> src(StreamOf(raw));
    TStream* s = src.get();
    TZipHeaderInfo h;
    ASSERT_TRUE(h.ReadCentralHeader(s, nullptr));
    EXPECT_EQ(h.GetUncompressedSize(), 0x100000000LL);
    EXPECT_EQ(h.Zip64BlockLength, 12);

    // Still large: the old zip64 block is replaced by a fresh one at the end.
    TMemoryStream out;
    h.WriteCentralHeader(&out, src.get());
    std::string b = Bytes(out);
    EXPECT_EQ(U16At(b, 30), ut.size() + ux.size() + 12);
    EXPECT_EQ(b.substr(47), ut + ux + z64);

    // Small again: no zip64 block at all.
    h.SetUncompressedSize(20);
    TMemoryStream out2;
    h.WriteCentralHeader(&out2, src.get());
    std::string b2 = Bytes(out2);
    EXPECT_EQ(U16At(b2, 30), ut.size() + ux.size());
    EXPECT_EQ(b2.substr(47), ut + ux);
    EXPECT_FALSE(h.HasZip64Record());
}

// Two zip64 blocks, and a block that runs past the end of the field: the length written
// is the length of what follows, so the next header is where the directory says.
TEST(HeaderRecord, RewrittenExtraLengthIsTheLengthWritten) {
    const std::string keep = Block(0x6666, "keep");
    const std::string z64 = Block(1, U64s({0x100000000ull}));
    std::string overrun = Block(0x7777, "abc");
    overrun[2] = 40;   // claims 40 bytes, holds 3
    std::string raw = CentralBytes("f", keep + z64 + z64 + overrun, 10, 0xFFFFFFFF);
    std::unique_ptr<TMemoryStream> src(StreamOf(raw));
    TStream* s = src.get();
    TZipHeaderInfo h;
    ASSERT_TRUE(h.ReadCentralHeader(s, nullptr));

    TMemoryStream out;
    h.WriteCentralHeader(&out, src.get());
    h.WriteCentralHeader(&out, src.get());
    out.Seek(0, soBeginning);
    TStream* o = &out;
    TZipHeaderInfo first, second;
    ASSERT_TRUE(first.ReadCentralHeader(o, nullptr));
    out.Seek(first.CentralExtraLength + first.CommentLength, soCurrent);
    ASSERT_TRUE(second.ReadCentralHeader(o, nullptr));
    EXPECT_EQ(second.GetUncompressedSize(), 0x100000000LL);
    EXPECT_EQ(first.CentralExtraLength, keep.size() + 12);
    EXPECT_EQ(out.GetSize(), 2 * (46 + 1 + static_cast<int64_t>(keep.size()) + 12));
}

TEST(HeaderRecord, CommentWrittenOnlyWithItsBytes) {
    std::string raw = CentralBytes("f", "", 10, 20, 0, 0, "hello");
    std::unique_ptr<TMemoryStream> src(StreamOf(raw));
    TStream* s = src.get();
    TZipHeaderInfo h;
    ASSERT_TRUE(h.ReadCentralHeader(s, nullptr));
    EXPECT_TRUE(h.HasComment());
    EXPECT_FALSE(h.CommentLoaded());

    TMemoryStream withSource;   // the bytes come from the source archive
    h.WriteCentralHeader(&withSource, src.get());
    EXPECT_EQ(Bytes(withSource).substr(47), "hello");
    EXPECT_EQ(U16At(Bytes(withSource), 32), 5);

    TMemoryStream without;      // nowhere to take them from: no comment, no dangling length
    h.WriteCentralHeader(&without, nullptr);
    EXPECT_EQ(U16At(Bytes(without), 32), 0);
    EXPECT_EQ(without.GetSize(), 47);

    h.SetComment("new");
    TMemoryStream set;
    h.WriteCentralHeader(&set, nullptr);
    EXPECT_EQ(Bytes(set).substr(47), "new");
}

// Info-ZIP's streamed entries: sizes marked in the local header and a 20-byte zip64 block,
// here behind another block.
TEST(HeaderRecord, LocalZip64FoundByTagBehindOtherBlocks) {
    TLEWriter w;
    w.U32(0x04034B50);
    w.U16(45);
    w.U16(8);
    w.U16(8);
    w.U32(0x52A3641E);
    w.U32(0x11223344);
    w.U32(0xFFFFFFFF);
    w.U32(0xFFFFFFFF);
    const std::string extra = Block(0x5455, "\x03\x01\x02\x03\x04") + Block(1, U64s({5000, 123}) + std::string(4, '\0'));
    w.U16(1);
    w.U16(static_cast<uint16_t>(extra.size()));
    std::string raw = w.Data + "-" + extra;
    std::unique_ptr<TMemoryStream> m(StreamOf(raw));
    TZipHeaderInfo h;
    ASSERT_TRUE(h.ReadLocalHeader(m.get()));
    EXPECT_EQ(h.GetUncompressedSize(), 5000);
    EXPECT_EQ(h.GetCompressedSize(), 123);
    EXPECT_EQ(h.LocalExtraLength, extra.size());
    EXPECT_EQ(m->GetPosition(), 31);
}

// A stream whose bytes sit beyond 4 GiB: positions are 64-bit throughout.
class THighStream : public TMemoryStream {
public:
    static constexpr int64_t kBase = 6LL << 30;
    int64_t Seek(int64_t offset, int origin) override {
        if (origin == soBeginning) return TMemoryStream::Seek(offset - kBase, soBeginning) + kBase;
        return TMemoryStream::Seek(offset, origin) + kBase;
    }
};

TEST(HeaderRecord, LocalHeaderBeyond4GiBKeepsItsOffset) {
    TZipHeaderInfo h;
    h.SetFileName("far");
    THighStream m;
    m.Seek(THighStream::kBase, soBeginning);
    h.WriteLocalHeader(&m);
    EXPECT_EQ(h.GetRelativeOffset(), THighStream::kBase);
    TZipHeaderInfo back;
    m.Seek(THighStream::kBase, soBeginning);
    ASSERT_TRUE(back.ReadLocalHeader(&m));
    EXPECT_EQ(back.GetRelativeOffset(), THighStream::kBase);
    EXPECT_EQ(back.RelativeOffsetField, 0xFFFFFFFFu);
}

TEST(HeaderRecord, DamagedExtraFieldsNeverReadOutside) {
    // Sizes, offset and disk marked; the zip64 block holds only the uncompressed size.
    std::string raw = CentralBytes("f", Block(1, U64s({77})), 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFF);
    std::unique_ptr<TMemoryStream> m(StreamOf(raw));
    TStream* s = m.get();
    TZipHeaderInfo h;
    ASSERT_TRUE(h.ReadCentralHeader(s, nullptr));
    EXPECT_EQ(h.GetUncompressedSize(), 77);
    EXPECT_EQ(h.GetCompressedSize(), 0xFFFFFFFFLL);   // missing values stay at their markers
    EXPECT_EQ(h.GetRelativeOffset(), 0xFFFFFFFFLL);

    // A zip64 block claiming more than the field holds is no block.
    std::string bad = Block(1, U64s({77}));
    bad[2] = 60;
    raw = CentralBytes("f", bad, 10, 0xFFFFFFFF);
    m.reset(StreamOf(raw));
    s = m.get();
    TZipHeaderInfo g;
    ASSERT_TRUE(g.ReadCentralHeader(s, nullptr));
    EXPECT_FALSE(g.HasZip64Record());
    EXPECT_EQ(g.GetUncompressedSize(), 0xFFFFFFFFLL);   // marker without a record reads as the marker
}

TEST(HeaderRecord, ShortOrForeignRecordsFailAndLeaveTheStreamAtTheirStart) {
    const std::string good = CentralBytes("name.txt", Block(0x5455, "12345"), 10, 20, 0, 0, "c");
    struct TCase {
        const char* What;
        std::string Bytes;
    } cases[] = {
        {"empty", ""},
        {"45 bytes", good.substr(0, 45)},
        {"wrong signature", "PK\x03\x04" + good.substr(4)},
        {"name cut short", good.substr(0, 46 + 4)},
        {"extra field cut short", good.substr(0, 46 + 8 + 5)},
        // zip64 values above 2^63 - 1 are no file position or size: damage.
        {"zip64 compressed size 2^63 + 1",
         CentralBytes("n", Block(1, U64s({5, (1ull << 63) + 1})), 0xFFFFFFFF, 0xFFFFFFFF)},
        {"zip64 uncompressed size 2^64 - 1", CentralBytes("n", Block(1, U64s({~0ull})), 10, 0xFFFFFFFF)},
        {"zip64 offset 2^63", CentralBytes("n", Block(1, U64s({1ull << 63})), 10, 20, 0xFFFFFFFF)},
    };
    for (const TCase& c : cases) {
        std::unique_ptr<TMemoryStream> m(StreamOf("xyz" + c.Bytes));
        m->Seek(3, soBeginning);
        TStream* s = m.get();
        TZipHeaderInfo h;
        EXPECT_FALSE(h.ReadCentralHeader(s, nullptr)) << c.What;
        EXPECT_EQ(m->GetPosition(), 3) << c.What;
    }
    std::unique_ptr<TMemoryStream> m(StreamOf("PK\x03\x04" + std::string(20, '\0')));
    TZipHeaderInfo h;
    EXPECT_FALSE(h.ReadLocalHeader(m.get()));
    EXPECT_EQ(m->GetPosition(), 0);

    // A local header with a huge zip64 size (what a directory rebuild reads) fails too.
    TLEWriter w;
    w.U32(0x04034B50);
    w.U16(45);
    w.U16(0);
    w.U16(8);
    w.U32(0);
    w.U32(0);
    w.U32(0xFFFFFFFF);
    w.U32(0xFFFFFFFF);
    w.U16(1);
    w.U16(20);
    std::unique_ptr<TMemoryStream> huge(StreamOf(w.Data + "n" + Block(1, U64s({1, (1ull << 63) + 1}))));
    EXPECT_FALSE(h.ReadLocalHeader(huge.get()));
    EXPECT_EQ(huge->GetPosition(), 0);
}

// Names flagged UTF-8 (bit 11) come out in the ANSI code page (936); a character it cannot
// hold becomes SUB, which extraction refuses as an unsafe name. The stored bytes stay.
TEST(HeaderRecord, Utf8FlaggedNamesAreReadIntoTheCodePage) {
    struct TCase {
        std::string Stored;
        std::string Read;
    } cases[] = {
        {"dir/\xE4\xB8\xAD\xE6\x96\x87.txt", "dir\\\xD6\xD0\xCE\xC4.txt"},   // 中文
        {"\xE0\xB8\x81.txt", "\x1A.txt"},                                     // Thai: not in 936
        {"bad\xC3.txt", "bad\x1A.txt"},                                          // cut sequence
    };
    for (const TCase& c : cases) {
        std::string rec = CentralBytes(c.Stored, "");
        rec[8] = 0x00;
        rec[9] = 0x08;   // flag bit 11
        std::unique_ptr<TMemoryStream> m(StreamOf(rec));
        TStream* s = m.get();
        TZipHeaderInfo h;
        h.OEMConvert = oemAlways;
        ASSERT_TRUE(h.ReadCentralHeader(s, nullptr));
        EXPECT_EQ(h.FullName(), c.Read);
        EXPECT_EQ(h.GetStoredNameBytes(), c.Stored);
    }
}

TEST(HeaderRecord, PartialRecordContinuesOnTheNextDisk) {
    const std::string rec = CentralBytes("across", "");
    std::unique_ptr<TMemoryStream> first(StreamOf(rec.substr(0, 20)));
    std::unique_ptr<TMemoryStream> second(StreamOf(rec.substr(20)));
    TStream* s = first.get();
    int calls = 0;
    TZipHeaderInfo h;
    h.OEMConvert = oemNever;
    ASSERT_TRUE(h.ReadCentralHeader(s, [&]() -> TStream* {
        ++calls;
        return second.get();
    }));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(s, second.get());
    EXPECT_EQ(h.GetFileName(), "across");
}

TEST(HeaderRecord, AssignCopiesTheEntryButNotTheConversionRule) {
    TZipHeaderInfo a;
    a.SetFileName("f.txt");
    a.SetDirectory("d");
    a.SetUncompressedSize(0x200000000LL);
    a.SetComment("note");
    a.CRC32 = 0x1234;
    a.OEMConvert = oemFlexible;
    a.MatchFlag = 1;
    TZipHeaderInfo b;
    b.OEMConvert = oemNever;
    b.Assign(&a);
    EXPECT_EQ(b.FullName(), "d\\f.txt");
    EXPECT_EQ(b.GetUncompressedSize(), 0x200000000LL);
    EXPECT_EQ(b.GetComment(), "note");
    EXPECT_EQ(b.CRC32, 0x1234u);
    EXPECT_EQ(b.MatchFlag, 1);
    EXPECT_EQ(b.OEMConvert, oemNever);
    a.SetComment("changed");
    EXPECT_EQ(b.GetComment(), "note");
}

TEST(HeaderRecord, ClearHeaderRestoresDefaults) {
    TZipHeaderInfo h;
    h.SetUncompressedSize(1LL << 40);
    h.CentralExtraPosition = 99;
    h.ClearHeader();
    EXPECT_EQ(h.VersionMadeBy, 45);
    EXPECT_EQ(h.CompressionMethod, 8);
    EXPECT_EQ(h.CRC32, 0xFFFFFFFFu);
    EXPECT_EQ(h.InternalAttributes, 1);
    EXPECT_EQ(h.ExternalAttributes, 0x20u);
    EXPECT_FALSE(h.HasZip64Record());
    EXPECT_EQ(h.CentralExtraPosition, 99);   // where the old extra field lies is kept
    EXPECT_EQ(h.LocalHeaderSize(), 30);
    EXPECT_EQ(h.CentralHeaderSize(), 46);
}

}  // namespace
