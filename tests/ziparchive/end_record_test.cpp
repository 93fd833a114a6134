// The end record and its zip64 companions: where the search finds them, what it refuses,
// the field accessors' marker rules, and writing.
#include <gtest/gtest.h>

#include <string>

#include "ziparchive/end_record.h"
#include "classlib/little_endian.h"
#include "ziparchive/zip_signatures.h"

namespace {

std::string EndRecordBytes(uint16_t thisDisk, uint16_t startDisk, uint16_t entries, uint32_t size, uint32_t offset,
                           const std::string& comment) {
    TLEWriter w;
    w.U32(0x06054B50);
    w.U16(thisDisk);
    w.U16(startDisk);
    w.U16(entries);
    w.U16(entries);
    w.U32(size);
    w.U32(offset);
    w.U16(static_cast<uint16_t>(comment.size()));
    return w.Data + comment;
}

std::string Zip64EndBytes(uint64_t entries, uint64_t offset) {
    TLEWriter w;
    w.U32(0x06064B50);
    w.U64(44);
    w.U16(45);
    w.U16(45);
    w.U32(0);
    w.U32(0);
    w.U64(entries);
    w.U64(entries);
    w.U64(100);
    w.U64(offset);
    return w.Data;
}

std::string LocatorBytes(uint64_t offset) {
    TLEWriter w;
    w.U32(0x07064B50);
    w.U32(0);
    w.U64(offset);
    w.U32(1);
    return w.Data;
}

bool ReadFrom(TEndCentral& e, const std::string& bytes) {
    TMemoryStream m;
    m.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    return e.ReadEndCentral(&m);
}

TEST(EndRecord, EmptyIsANewArchiveAndShortStreamsAreNone) {
    TEndCentral e;
    EXPECT_TRUE(ReadFrom(e, ""));
    for (size_t n = 1; n <= 21; ++n) EXPECT_FALSE(ReadFrom(e, std::string("PK\x05\x06", 4).substr(0, n) + std::string(n > 4 ? n - 4 : 0, '\0'))) << n;
}

TEST(EndRecord, ExactlyOneRecordIsFoundAtZero) {
    TEndCentral e;
    ASSERT_TRUE(ReadFrom(e, EndRecordBytes(0, 0, 3, 150, 1000, "")));
    EXPECT_EQ(e.GetTotalEntries(), 3u);
    EXPECT_EQ(e.GetCentralOffset(), 1000);
    EXPECT_EQ(e.CommentPosition, 22);
    EXPECT_EQ(e.Zip64EndRecord(), nullptr);
}

TEST(EndRecord, TheLastSignatureWinsAndTheLongestCommentIsReached) {
    // An end record inside the comment, 22 or more bytes before the end: that one is taken.
    std::string comment(65535, 'c');
    const std::string inner = EndRecordBytes(0, 0, 7, 1, 2, "");
    comment.replace(comment.size() - 22 - 100, 22, inner);
    TEndCentral e;
    ASSERT_TRUE(ReadFrom(e, std::string(500, 'x') + EndRecordBytes(0, 0, 3, 150, 1000, comment)));
    EXPECT_EQ(e.GetTotalEntries(), 7u);

    // The same comment without a signature: the real record, 65557 bytes from the end.
    std::string plain(65535, 'c');
    std::string file = std::string(500, 'x') + EndRecordBytes(0, 0, 3, 150, 1000, plain);
    ASSERT_TRUE(ReadFrom(e, file));
    EXPECT_EQ(e.GetTotalEntries(), 3u);
    EXPECT_EQ(e.CommentLength, 65535);
    EXPECT_EQ(e.CommentPosition, 522);
    // One byte more of comment and the record is out of reach.
    EXPECT_FALSE(ReadFrom(e, file + "c"));
}

TEST(EndRecord, Zip64RecordsAreTakenOnlyWhenSound) {
    const std::string prefix(100, 'p');
    const std::string z64 = Zip64EndBytes(70000, 0x123456789ull);
    const std::string eocd = EndRecordBytes(0, 0, 0xFFFF, 100, 0xFFFFFFFF, "");

    TEndCentral e;
    ASSERT_TRUE(ReadFrom(e, prefix + z64 + LocatorBytes(100) + eocd));
    ASSERT_NE(e.Zip64EndRecord(), nullptr);
    EXPECT_EQ(e.GetTotalEntries(), 70000u);
    EXPECT_EQ(e.GetCentralOffset(), 0x123456789LL);
    EXPECT_EQ(e.TotalDisks(), 1u);

    struct TCase {
        const char* What;
        std::string Bytes;
    } cases[] = {
        {"locator points past the end", prefix + z64 + LocatorBytes(1ull << 40) + eocd},
        {"locator points at no zip64 record", prefix + z64 + LocatorBytes(10) + eocd},
        {"zip64 record would overlap the locator", prefix + z64 + LocatorBytes(100 + 30) + eocd},
        {"offset wraps around", prefix + z64 + LocatorBytes(~0ull - 10) + eocd},
    };
    for (const TCase& c : cases) {
        TEndCentral bad;
        ASSERT_TRUE(ReadFrom(bad, c.Bytes)) << c.What;
        EXPECT_EQ(bad.Zip64EndRecord(), nullptr) << c.What;
        EXPECT_EQ(bad.Zip64Locator(), nullptr) << c.What;
        EXPECT_EQ(bad.GetTotalEntries(), 0xFFFFu) << c.What;
        EXPECT_EQ(bad.GetCentralOffset(), 0xFFFFFFFFLL) << c.What;
    }

    // The zip64 records of one archive never leak into the next one read.
    ASSERT_TRUE(ReadFrom(e, EndRecordBytes(0, 0, 0xFFFF, 100, 0xFFFFFFFF, "")));
    EXPECT_EQ(e.Zip64EndRecord(), nullptr);
}

TEST(EndRecord, AccessorsMoveLargeValuesToZip64) {
    TEndCentral e;
    e.SetTotalEntries(65534);
    EXPECT_EQ(e.TotalEntriesField, 65534);
    EXPECT_EQ(e.Zip64EndRecord(), nullptr);
    e.SetTotalEntries(65535);
    EXPECT_EQ(e.TotalEntriesField, 0xFFFF);
    EXPECT_EQ(e.GetTotalEntries(), 65535u);
    e.SetEntriesThisDisk(12);   // small, and copied into the existing zip64 record too
    EXPECT_EQ(e.Zip64EndRecord()->EntriesThisDisk, 12u);
    e.SetCentralSize(0x100000000ull);
    EXPECT_EQ(e.CentralSizeField, 0xFFFFFFFFu);
    EXPECT_EQ(e.GetCentralSize(), 0x100000000ull);
    e.SetCentralOffset(0x1FFFFFFFFLL);
    EXPECT_EQ(e.GetCentralOffset(), 0x1FFFFFFFFLL);
    e.SetThisDisk(0xFFFF);
    EXPECT_EQ(e.ThisDiskField, 0xFFFF);
    EXPECT_EQ(e.GetThisDisk(), 0xFFFFu);
}

TEST(EndRecord, WritingAddsZip64OnlyForMarkedFields) {
    TEndCentral e;
    e.SetTotalEntries(70000);
    e.SetEntriesThisDisk(70000);
    e.SetCentralSize(5000);
    e.SetCentralOffset(123);
    e.SetComment("hi");
    TMemoryStream m;
    m.Write("0123456789", 10);
    e.WriteEndCentral(&m);
    ASSERT_EQ(m.GetSize(), 10 + 56 + 20 + 22 + 2);
    TEndCentral back;
    m.Seek(0, soBeginning);
    ASSERT_TRUE(back.ReadEndCentral(&m));
    EXPECT_EQ(back.GetTotalEntries(), 70000u);
    EXPECT_EQ(back.GetCentralSize(), 5000u);
    EXPECT_EQ(back.Zip64Locator()->Zip64Offset, 10u);

    // All six fields below their markers: no zip64 records, even though one was read.
    back.SetTotalEntries(3);
    back.SetEntriesThisDisk(3);
    TMemoryStream m2;
    back.WriteEndCentral(&m2);
    EXPECT_EQ(m2.GetSize(), 22);   // the comment was never loaded: none is written
    EXPECT_EQ(back.Zip64EndRecord(), nullptr);
}

TEST(EndRecord, SignaturesCanBeChangedAndRestored) {
    SetZipSignatures(0x11111111, 0x22222222, 0x33333333);
    EXPECT_EQ(ZipSignatures().Local, 0x22222222u);
    EXPECT_EQ(ZipSignatures().LocalBytes[0], 0x22);
    TEndCentral e;
    TLEWriter w;
    w.U32(0x33333333);
    w.Bytes(std::string(18, '\0').data(), 18);
    EXPECT_TRUE(ReadFrom(e, w.Data));
    SetZipSignatures(0, 0, 0);
    EXPECT_EQ(ZipSignatures().Central, 0x02014B50u);
    EXPECT_EQ(ZipSignatures().Local, 0x04034B50u);
    EXPECT_EQ(ZipSignatures().EndCentral, 0x06054B50u);
    EXPECT_EQ(ZipSignatures().EndCentralFirstByte, 0x50);
    EXPECT_FALSE(ReadFrom(e, w.Data));
}

TEST(EndRecord, AssignCopiesRecordAndCommentButNotZip64) {
    TEndCentral a;
    a.SetTotalEntries(70000);
    a.SetComment("note");
    a.CommentPosition = 77;
    TEndCentral b;
    b.Assign(&a);
    EXPECT_EQ(b.TotalEntriesField, 0xFFFF);
    EXPECT_EQ(b.Zip64EndRecord(), nullptr);
    EXPECT_EQ(b.GetComment(), "note");
    EXPECT_EQ(b.CommentPosition, 77);
    EXPECT_EQ(b.EndCentralSize(), 26);
}

}  // namespace
