// The entry list's orders: physical order refusing two entries at one place, the sort views
// with their tie rules, and sizes beyond 2 GiB.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/date_time.h"
#include "ziparchive/sorted_zip.h"

namespace {

TZipHeaderInfo* Entry(const std::string& dir, const std::string& name, int64_t offset = 0, int64_t csize = 0,
                      int64_t usize = 0, uint32_t dos = 0) {
    auto* h = new TZipHeaderInfo;
    h->SetDirectory(dir);
    h->SetFileName(name);
    h->SetRelativeOffset(offset);
    h->SetCompressedSize(csize);
    h->SetUncompressedSize(usize);
    h->DateTime = dos;
    return h;
}

std::vector<std::string> Names(const TSortedZip& l) {
    std::vector<std::string> out;
    for (int32_t i = 0; i < l.GetCount(); ++i) out.push_back(l.Header(i)->FullName());
    return out;
}

TEST(SortedZip, PhysicalOrderIsDiskThenOffsetAndRefusesOnePlaceTwice) {
    TSortedZip l(dupError);
    l.Add(Entry("", "c", 300));
    l.Add(Entry("", "a", 0));
    TZipHeaderInfo* other = Entry("", "d", 10);
    other->SetDiskNumberStart(1);
    l.Add(other);
    l.Add(Entry("", "b", 0x100000000LL));
    EXPECT_EQ(Names(l), (std::vector<std::string>{"a", "c", "b", "d"}));
    EXPECT_TRUE(l.IsZip64());

    std::unique_ptr<TZipHeaderInfo> dup(Entry("", "again", 300));
    EXPECT_THROW(l.Add(dup.get()), EListError);
    EXPECT_EQ(l.GetCount(), 4);
}

TEST(SortedZip, SizesCompareIn64BitsLargestFirst) {
    for (TZipSortMode mode : {ByCompressedSize, ByUnCompressedSize}) {
        TSortedZip l(dupAccept);
        l.SortMode = mode;
        // 3 GiB against 1 KiB: a signed 32-bit difference of the low halves orders these wrongly.
        const int64_t sizes[] = {1024, 3LL << 30, 5LL << 32, 0, (1LL << 31) + 5};
        for (int k = 0; k < 5; ++k) l.Add(Entry("", "e" + std::to_string(k), k * 100, sizes[k], sizes[k]));
        std::vector<std::string> want = {"e2", "e1", "e4", "e0", "e3"};
        EXPECT_EQ(Names(l), want) << mode;
    }
}

TEST(SortedZip, EqualDatesAndSizesKeepInsertionOrder) {
    TSortedZip l(dupAccept);
    l.SortMode = ByDate;
    const uint32_t newer = DateTimeToFileDate(EncodeDate(2020, 5, 1));
    const uint32_t older = DateTimeToFileDate(EncodeDate(2001, 1, 1));
    l.Add(Entry("", "first", 0, 0, 0, older));
    l.Add(Entry("", "second", 1, 0, 0, older));
    l.Add(Entry("", "new", 2, 0, 0, newer));
    l.Add(Entry("", "bad date", 3, 0, 0, 0xFFFFFFFF));   // no date: counts as the oldest
    EXPECT_EQ(Names(l), (std::vector<std::string>{"new", "first", "second", "bad date"}));
}

TEST(SortedZip, NamesIgnoreCaseAndTheLaterEqualGoesFirst) {
    TSortedZip l(dupAccept);
    l.SortMode = ByName;
    l.Add(Entry("sub", "b.txt"));
    l.Add(Entry("", "B.TXT"));
    l.Add(Entry("", "b.txt"));
    l.Add(Entry("", "a.txt"));
    EXPECT_EQ(Names(l), (std::vector<std::string>{"a.txt", "b.txt", "B.TXT", "sub\\b.txt"}));

    TSortedZip byFile(dupAccept);
    byFile.SortMode = ByFileName;
    byFile.Add(Entry("z", "a"));
    byFile.Add(Entry("a", "b"));
    EXPECT_EQ(Names(byFile), (std::vector<std::string>{"z\\a", "a\\b"}));

    TSortedZip byDir(dupAccept);
    byDir.SortMode = ByDirectoryName;
    byDir.Add(Entry("z", "a"));
    byDir.Add(Entry("a", "b"));
    EXPECT_EQ(Names(byDir), (std::vector<std::string>{"a\\b", "z\\a"}));
}

TEST(SortedZip, RateHighestPercentageFirst) {
    TSortedZip l(dupAccept);
    l.SortMode = ByRate;
    l.Add(Entry("", "half", 0, 50, 100));
    l.Add(Entry("", "full", 1, 100, 100));
    l.Add(Entry("", "tenth", 2, 10, 100));
    l.Add(Entry("", "empty", 3, 0, 0));
    EXPECT_EQ(Names(l), (std::vector<std::string>{"full", "half", "tenth", "empty"}));
}

}  // namespace
