// Reading a directory: incomplete archives and the modes that decide about them, the
// rebuild from local headers, records that need a second try, spanned archives, the
// sorted views and when an open archive is read again.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include "tests/ziparchive/archive_builder.h"
#include "tests/ziparchive/scratch_files.h"
#include "ziparchive/arc_unzip.h"
#include "classlib/little_endian.h"

namespace {

const std::vector<TBuildEntry> kThree = {{"one.txt", "first"}, {"dir/two.txt", "second entry"}, {"three.txt", "3"}};

std::vector<std::string> Names(TArcUnZip& z) {
    std::vector<std::string> out;
    for (int i = 0; i < z.EntryCount(); ++i) out.push_back(z.Entry(i)->FullName());
    return out;
}

// Reads bytes as the archive named `name` (the name only decides the rescan start).
void ReadAs(TArcUnZip& z, const std::string& name, const std::string& bytes, std::unique_ptr<TMemoryStream>& keep) {
    z.SetZipName(name);
    keep.reset(MemoryStreamOf(bytes));
    z.ReadZip(keep.get());
}

TEST(DirectoryReader, EndRecordMissingFollowsTheIncompleteMode) {
    auto built = BuildArchive(kThree);
    const std::string noEnd = built.Bytes.substr(0, static_cast<size_t>(built.EndOffset));
    std::unique_ptr<TMemoryStream> m;

    TArcUnZip z(nullptr);
    try {
        ReadAs(z, "a.zip", noEnd, m);
        FAIL();
    } catch (const EIncompleteZip& e) {
        EXPECT_EQ(e.Message, "Incomplete Zip File");
    }
    z.SetIncompleteZipMode(izAssumeNotAZip);
    try {
        ReadAs(z, "a.zip", noEnd, m);
        FAIL();
    } catch (const ENotAZipFile& e) {
        EXPECT_EQ(e.Message, "Not a valid zip file!");
    }
    // The handler runs first and may choose the rebuild from local headers.
    int calls = 0;
    z.OnInCompleteZip = [&](TObject*, TIncompleteZipMode& mode) {
        ++calls;
        mode = izAssumeBad;
    };
    ReadAs(z, "a.zip", noEnd, m);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(z.GetRescanned());
    EXPECT_EQ(Names(z), (std::vector<std::string>{"one.txt", "dir\\two.txt", "three.txt"}));
    EXPECT_EQ(z.Entry(1)->GetUncompressedSize(), 12);

    // Nothing to rebuild from: a bad archive, and the component is cleared.
    try {
        ReadAs(z, "a.zip", std::string(5000, 'x'), m);
        FAIL();
    } catch (const EBadZipFile& e) {
        EXPECT_EQ(e.Message, "Not a valid zip file!");
    }
    EXPECT_EQ(z.GetZipName(), "");
    EXPECT_EQ(z.EntryCount(), 0);
}

TEST(DirectoryReader, ImpossibleDiskNumbersCountAsNoEndRecord) {
    auto built = BuildArchive(kThree);
    const size_t e = static_cast<size_t>(built.EndOffset);
    struct TCase {
        const char* What;
        uint16_t ThisDisk, StartDisk;
    } cases[] = {{"this disk 1000", 1000, 0}, {"start disk 1000", 1000, 1000}, {"this disk below start", 1, 2}};
    for (const TCase& c : cases) {
        std::string b = built.Bytes;
        PutLE16(reinterpret_cast<uint8_t*>(&b[e + 4]), c.ThisDisk);
        PutLE16(reinterpret_cast<uint8_t*>(&b[e + 6]), c.StartDisk);
        TArcUnZip z(nullptr);
        std::unique_ptr<TMemoryStream> m;
        EXPECT_THROW(ReadAs(z, "a.zip", b, m), EIncompleteZip) << c.What;
    }
}

// A self-extractor whose stub holds a little archive of its own; the offsets of the real
// archive were not moved. An ".exe" is rescanned from byte 14000 and finds the real
// entries; anything else is rescanned from the start and stops with the stub's archive.
TEST(DirectoryReader, SelfExtractorRescanStartsAt14000) {
    std::string stub = BuildArchive({{"stub.txt", "inside the stub"}}).Bytes;
    stub.resize(14000, '\0');
    const std::string file = stub + BuildArchive(kThree).Bytes;

    TArcUnZip exe(nullptr);
    std::unique_ptr<TMemoryStream> m;
    ReadAs(exe, "book.EXE", file, m);
    EXPECT_TRUE(exe.GetRescanned());
    EXPECT_EQ(Names(exe), (std::vector<std::string>{"one.txt", "dir\\two.txt", "three.txt"}));
    EXPECT_EQ(exe.Entry(0)->GetRelativeOffset(), 14000);
    EXPECT_GT(exe.Entry(2)->CentralHeaderPosition, 14000);   // completed from the central records

    TArcUnZip zip(nullptr);
    ReadAs(zip, "book.zip", file, m);
    EXPECT_EQ(Names(zip), std::vector<std::string>{"stub.txt"});
}

TEST(DirectoryReader, RescanSkipsImplausibleVersionsAndStopsAtDataPastTheEnd) {
    auto built = BuildArchive(kThree);
    std::string b = built.Bytes.substr(0, static_cast<size_t>(built.EndOffset));
    // The first header's version-needed high byte 10: not a header.
    b[5] = 10;
    // The last header claims far more data than the file holds.
    PutLE32(reinterpret_cast<uint8_t*>(&b[static_cast<size_t>(built.LocalOffsets[2]) + 18]), 0xFFFFFFF0u);
    TArcUnZip z(nullptr);
    z.SetIncompleteZipMode(izAssumeBad);
    std::unique_ptr<TMemoryStream> m;
    ReadAs(z, "a.zip", b, m);
    EXPECT_EQ(Names(z), (std::vector<std::string>{"dir\\two.txt", "three.txt"}));
}

TEST(DirectoryReader, WrongExtraLengthIsRetriedAndForgotten) {
    auto built = BuildArchive(kThree);
    std::string b = built.Bytes;
    PutLE16(reinterpret_cast<uint8_t*>(&b[static_cast<size_t>(built.CentralPositions[0]) + 30]), 6);
    TArcUnZip z(nullptr);
    std::unique_ptr<TMemoryStream> m;
    ReadAs(z, "a.zip", b, m);
    EXPECT_FALSE(z.GetRescanned());
    ASSERT_EQ(z.EntryCount(), 3);
    EXPECT_EQ(z.Entry(0)->CentralExtraLength, 0);
    EXPECT_EQ(z.Entry(0)->StoredCentralExtraLength, 0);
    EXPECT_EQ(z.Entry(2)->GetFileName(), "three.txt");
}

TEST(DirectoryReader, DamagedDirectoriesAreRebuiltOrRefused) {
    auto built = BuildArchive(kThree);
    const auto& cp = built.CentralPositions;
    struct TCase {
        const char* What;
        std::string Bytes;
        bool Rebuilt;
    };
    std::string dup = built.Bytes;
    PutLE32(reinterpret_cast<uint8_t*>(&dup[static_cast<size_t>(cp[1]) + 42]), static_cast<uint32_t>(built.LocalOffsets[0]));
    std::string outside = built.Bytes;
    PutLE32(reinterpret_cast<uint8_t*>(&outside[static_cast<size_t>(cp[2]) + 42]), 0x7FFFFFF0u);
    std::string huge = built.Bytes;
    PutLE32(reinterpret_cast<uint8_t*>(&huge[static_cast<size_t>(cp[2]) + 20]), 0xFFFFFFF0u);
    std::string count = built.Bytes;
    PutLE16(reinterpret_cast<uint8_t*>(&count[static_cast<size_t>(built.EndOffset) + 10]), 0xFFFF);
    std::string farDir = built.Bytes;
    PutLE32(reinterpret_cast<uint8_t*>(&farDir[static_cast<size_t>(built.EndOffset) + 16]), 0xFFFFFF00u);
    TCase cases[] = {
        {"two records at one offset", dup, true},
        {"a local header outside the file", outside, true},
        {"data running past the end", huge, true},
        {"more entries counted than held", count, true},
        {"directory said to start past the end", farDir, true},
        {"directory cut after two records",
         built.Bytes.substr(0, static_cast<size_t>(cp[2])) + built.Bytes.substr(static_cast<size_t>(built.EndOffset)),
         true},
        {"no local headers at all", built.Bytes.substr(static_cast<size_t>(built.CentralOffset)), false},
    };
    for (const TCase& c : cases) {
        TArcUnZip z(nullptr);
        std::unique_ptr<TMemoryStream> m;
        if (!c.Rebuilt) {
            EXPECT_THROW(ReadAs(z, "a.zip", c.Bytes, m), EBadZipFile) << c.What;
            continue;
        }
        ReadAs(z, "a.zip", c.Bytes, m);
        EXPECT_TRUE(z.GetRescanned()) << c.What;
        EXPECT_EQ(Names(z), (std::vector<std::string>{"one.txt", "dir\\two.txt", "three.txt"})) << c.What;
        EXPECT_EQ(z.Entry(1)->GetRelativeOffset(), built.LocalOffsets[1]) << c.What;
    }
}

TEST(DirectoryReader, EmptyFileIsAnEmptyArchive) {
    TempDir dir;
    const std::string name = WinDir(dir) + "empty.zip";
    WriteFileBytes(name, "");
    TArcUnZip z(nullptr);
    z.SetZipName(name);
    z.OpenZip();
    EXPECT_EQ(z.EntryCount(), 0);
    ASSERT_NE(z.GetSortedList(), nullptr);
    const std::string shortName = WinDir(dir) + "short.zip";
    WriteFileBytes(shortName, std::string(21, '\0'));
    TArcUnZip y(nullptr);
    y.SetZipName(shortName);
    EXPECT_THROW(y.OpenZip(), EIncompleteZip);
}

TEST(DirectoryReader, SortViewsShareTheRecords) {
    TArcUnZip z(nullptr);
    std::unique_ptr<TMemoryStream> m;
    ReadAs(z, "a.zip", BuildArchive({{"b", "22"}, {"c", "1"}, {"a", "333"}}).Bytes, m);
    EXPECT_EQ(z.GetSortedList(), z.GetPhysicalList());
    z.SetSortMode(ByName);
    EXPECT_NE(z.GetSortedList(), z.GetPhysicalList());
    EXPECT_FALSE(z.GetSortedList()->GetOwnsObjects());
    EXPECT_EQ(Names(z), (std::vector<std::string>{"a", "b", "c"}));
    z.SortEntries(ByUnCompressedSize);
    EXPECT_EQ(Names(z), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(z.GetSortedList()->Header(0), z.GetPhysicalList()->Header(2));
    z.SortEntries(ByNone);
    EXPECT_EQ(z.GetSortedList(), z.GetPhysicalList());
    EXPECT_EQ(Names(z), (std::vector<std::string>{"b", "c", "a"}));
}

// Two parts of a split archive: the central directory begins in the first part and one
// header is cut by the part boundary. The directory's order is not the data's order, and
// entries carry comments: each comment must land on its own entry.
TEST(DirectoryReader, SplitArchiveAcrossPartsWithComments) {
    TempDir dir;
    const std::vector<TBuildEntry> entries = {
        {"a.txt", "alpha", ""}, {"b.txt", "bravo!", "comment of b"}, {"c.txt", "charlie", "comment of c"}};
    auto built = BuildArchive(entries, "the archive comment", "", {2, 0, 1});
    const std::string& b = built.Bytes;
    // Part 1 ends 20 bytes into the second central header.
    const size_t cut = static_cast<size_t>(built.CentralPositions[1]) + 20;
    std::string part2 = b.substr(cut);
    const size_t e = static_cast<size_t>(built.EndOffset - static_cast<int64_t>(cut));
    PutLE16(reinterpret_cast<uint8_t*>(&part2[e + 4]), 1);   // this disk
    PutLE16(reinterpret_cast<uint8_t*>(&part2[e + 6]), 0);   // directory starts on disk 0
    WriteFileBytes(WinDir(dir) + "arc.zip.z01", b.substr(0, cut));
    WriteFileBytes(WinDir(dir) + "arc.zip", part2);

    TArcUnZip z(nullptr);
    z.SetZipName(WinDir(dir) + "arc.zip");
    z.OpenZip();
    EXPECT_EQ(z.GetMultiMode(), mmBlocks);
    EXPECT_EQ(z.GetNumberOfParts(), 2u);
    EXPECT_EQ(z.GetCurrentDisk(), 1u);
    ASSERT_EQ(Names(z), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(z.Entry(i)->CommentLoaded() || !z.Entry(i)->HasComment()) << i;
    EXPECT_EQ(z.Entry(0)->GetComment(), "");
    EXPECT_EQ(z.Entry(1)->GetComment(), "comment of b");
    EXPECT_EQ(z.Entry(2)->GetComment(), "comment of c");
    EXPECT_EQ(z.Entry(1)->GetUncompressedSize(), 6);
    EXPECT_TRUE(z.GetEndRecord()->CommentLoaded());
    EXPECT_EQ(z.GetEndRecord()->GetComment(), "the archive comment");
    EXPECT_EQ(z.GetZipName(), WinDir(dir) + "arc.zip");

    // A missing part is a file error of the class library, not a crash.
    RemoveFile(WinDir(dir) + "arc.zip.z01");
    TArcUnZip y(nullptr);
    y.SetZipName(WinDir(dir) + "arc.zip");
    EXPECT_THROW(y.OpenZip(), EFOpenError);
}

// Gives every central record an extra field of `bytes` bytes (one block of a tag no reader
// knows), moving what follows.
void AddCentralExtra(TBuiltArchive& a, uint16_t bytes) {
    std::string extra(bytes, '\0');
    PutLE16(reinterpret_cast<uint8_t*>(&extra[0]), 0xCAFE);
    PutLE16(reinterpret_cast<uint8_t*>(&extra[2]), static_cast<uint16_t>(bytes - 4));
    for (size_t k = a.CentralPositions.size(); k-- > 0;) {
        const size_t at = static_cast<size_t>(a.CentralPositions[k]);
        const uint16_t name = GetLE16(reinterpret_cast<const uint8_t*>(&a.Bytes[at + 28]));
        PutLE16(reinterpret_cast<uint8_t*>(&a.Bytes[at + 30]), bytes);
        a.Bytes.insert(at + 46 + name, extra);
        for (size_t j = k + 1; j < a.CentralPositions.size(); ++j) a.CentralPositions[j] += bytes;
    }
    const int64_t grown = static_cast<int64_t>(bytes) * static_cast<int64_t>(a.CentralPositions.size());
    a.EndOffset += grown;
    uint8_t* end = reinterpret_cast<uint8_t*>(&a.Bytes[static_cast<size_t>(a.EndOffset)]);
    PutLE32(end + 12, GetLE32(end + 12) + static_cast<uint32_t>(grown));
}

// A damaged two-part set: the first part holds the records that exist and ends `cut` bytes
// into one more, the second holds only the end record, which claims `claimed` entries.
// Whatever the extra fields and the cut, the reader refuses it as a bad archive and
// forgets it.
TEST(DirectoryReader, DamagedPartSetIsABadArchive) {
    struct Row {
        const char* label;
        uint16_t extra;   // extra field of each real record
        size_t cut;       // bytes of the missing record on the first part
        uint16_t claimed;
    };
    const Row rows[] = {
        {"extra longer than what the second part gives, part ends between records", 32, 0, 4},
        {"extra longer than what the second part gives, part ends after the signature", 32, 4, 4},
        {"extra longer than what the second part gives, part ends inside the fixed part", 24, 20, 9},
        {"short extra, part ends inside the fixed part", 8, 20, 4},
        {"no extra, part ends after the signature", 0, 4, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        TempDir dir;
        auto built = BuildArchive(kThree);
        if (row.extra) AddCentralExtra(built, row.extra);
        std::string part1 = built.Bytes.substr(0, static_cast<size_t>(built.EndOffset));
        std::string missing(46, '\0');
        PutLE32(reinterpret_cast<uint8_t*>(&missing[0]), 0x02014B50);
        part1 += missing.substr(0, row.cut);
        std::string part2 = built.Bytes.substr(static_cast<size_t>(built.EndOffset));
        uint8_t* end = reinterpret_cast<uint8_t*>(&part2[0]);
        PutLE16(end + 4, 1);    // this disk
        PutLE16(end + 6, 0);    // the directory starts on the first
        PutLE16(end + 8, 0);    // no records on this disk
        PutLE16(end + 10, row.claimed);
        WriteFileBytes(WinDir(dir) + "arc.zip.z01", part1);
        WriteFileBytes(WinDir(dir) + "arc.zip", part2);

        TArcUnZip z(nullptr);
        z.SetZipName(WinDir(dir) + "arc.zip");
        EXPECT_THROW(z.OpenZip(), EBadZipFile);
        EXPECT_EQ(z.EntryCount(), 0);
        EXPECT_EQ(z.GetZipName(), "");
    }
}

void SetWriteTime(const std::string& name, int64_t unixSeconds, int nanos) {
#ifdef _WIN32
    HANDLE h = CreateFileA(name.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const uint64_t t = (static_cast<uint64_t>(unixSeconds) + 11644473600ull) * 10000000ull + nanos / 100;
    FILETIME ft{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
    CloseHandle(h);
#else
    std::string native = name;
    for (char& c : native)
        if (c == '\\') c = '/';
    struct timespec ts[2] = {{unixSeconds, nanos}, {unixSeconds, nanos}};
    ASSERT_EQ(utimensat(AT_FDCWD, native.c_str(), ts, 0), 0);
#endif
}

// The directory is read again only when the file changed: the same DOS time (2-second
// grain) is not enough to call it unchanged, nor the same time with another size.
TEST(DirectoryReader, OpenZipReadsAgainOnlyWhenTheFileChanged) {
    TempDir dir;
    const std::string name = WinDir(dir) + "s.zip";
    const int64_t t0 = 1600000000;   // an even second
    WriteFileBytes(name, BuildArchive({{"a", "1"}}).Bytes);
    SetWriteTime(name, t0, 0);

    TArcUnZip z(nullptr);
    z.SetZipName(name);
    z.OpenZip();
    z.CloseZip();
    TSortedZip* first = z.GetPhysicalList();
    z.OpenZip();
    EXPECT_EQ(z.GetPhysicalList(), first) << "unchanged file read twice";
    z.CloseZip();

    // Same size, one second later: the same DOS date-time.
    WriteFileBytes(name, BuildArchive({{"b", "1"}}).Bytes);
    SetWriteTime(name, t0 + 1, 0);
    z.OpenZip();
    z.CloseZip();
    EXPECT_EQ(Names(z), std::vector<std::string>{"b"});

    // Another size, the very same time.
    WriteFileBytes(name, BuildArchive({{"cc", "1"}}).Bytes);
    SetWriteTime(name, t0 + 1, 0);
    z.OpenZip();
    z.CloseZip();
    EXPECT_EQ(Names(z), std::vector<std::string>{"cc"});
}

TEST(DirectoryReader, ClearZipReturnsToTheClosedState) {
    TempDir dir;
    const std::string name = WinDir(dir) + "c.zip";
    WriteFileBytes(name, BuildArchive(kThree).Bytes);
    TArcUnZip z(nullptr);
    z.SetZipName(name);
    z.SetKeepZipOpen(true);
    z.OpenZip();
    z.CloseZip();
    EXPECT_NE(z.GetArchiveStream(), nullptr);   // kept open
    z.ClearZip();
    EXPECT_EQ(z.GetArchiveStream(), nullptr);
    EXPECT_EQ(z.EntryCount(), 0);
    EXPECT_EQ(z.GetZipName(), "");
    EXPECT_TRUE(z.GetKeepZipOpen());
    EXPECT_FALSE(z.GetReadingFlag());
}

#ifdef _WIN32
// A memory stream that counts the pumps of the message queue made while it is read: it
// keeps one thread message waiting and notices on a later read that a pump took it.
class TPumpCountingStream : public TMemoryStream {
public:
    explicit TPumpCountingStream(const std::string& bytes) {
        Write(bytes.data(), static_cast<int32_t>(bytes.size()));
        Seek(0, soBeginning);
    }
    int32_t Read(void* buffer, int32_t count) override {
        MSG m;
        if (!PeekMessageA(&m, nullptr, kMarker, kMarker, PM_NOREMOVE)) {
            if (FPosted) ++Pumps;
            FPosted = PostThreadMessageA(GetCurrentThreadId(), kMarker, 0, 0) != FALSE;
        }
        return TMemoryStream::Read(buffer, count);
    }
    int Pumps = 0;

private:
    static constexpr UINT kMarker = WM_APP + 7;
    bool FPosted = false;
};

// Records and rebuilt records pump the queue now and then (the caller's windows stay
// alive), not once per record: under Wine every look at the queue costs a server call.
TEST(DirectoryReader, ReadingPumpsMessagesThrottled) {
    constexpr int kEntries = 3000;
    std::vector<TBuildEntry> entries;
    for (int i = 0; i < kEntries; ++i) entries.emplace_back("page" + std::to_string(i) + ".htm", "x");
    const TBuiltArchive built = BuildArchive(entries);
    const std::string noDirectory = built.Bytes.substr(0, static_cast<size_t>(built.CentralOffset));
    for (const bool rebuilt : {false, true}) {
        SCOPED_TRACE(rebuilt ? "rebuilt from the local headers" : "central directory");
        TArcUnZip z(nullptr);
        z.SetIncompleteZipMode(izAssumeBad);
        TPumpCountingStream stream(rebuilt ? noDirectory : built.Bytes);
        z.ReadZip(&stream);
        ASSERT_EQ(z.EntryCount(), kEntries);
        EXPECT_GE(stream.Pumps, 1);
        EXPECT_LT(stream.Pumps, kEntries / 10);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
}
#endif

}  // namespace

namespace {

// A zip64 locator in a file's first bytes leaves no room for the record it points to:
// whatever offset it holds, the end record stands alone and the damaged directory is
// refused with an archive error, read through a file stream (which, unlike a memory
// stream, raises on a seek before the start).
TEST(DirectoryReader, Zip64LocatorAtTheStartOfAFileIsAnArchiveError) {
    TempDir dir;
    const std::string name = WinDir(dir) + "tiny.zip";
    auto locator = [](uint64_t offset) {
        TLEWriter w;
        w.U32(0x07064B50);
        w.U32(0);
        w.U64(offset);
        w.U32(1);
        return w.Data;
    };
    TLEWriter end;   // one entry, its directory of 46 bytes at offset 0
    end.U32(0x06054B50);
    end.U16(0);
    end.U16(0);
    end.U16(1);
    end.U16(1);
    end.U32(46);
    end.U32(0);
    end.U16(0);
    for (const size_t lead : {size_t{0}, size_t{10}, size_t{35}})
        for (const uint64_t offset : {~0ull, ~0ull - 15, 1ull << 63, ~0ull - 55, 1ull << 40, 0ull}) {
            const std::string bytes = std::string(lead, 'x') + locator(offset) + end.Data;
            WriteFileBytes(name, bytes);
            TArcUnZip z(nullptr);
            z.SetIncompleteZipMode(izAssumeBad);
            z.SetZipName(name);
            try {
                z.OpenZip();
                ADD_FAILURE() << bytes.size() << " bytes, offset " << offset << ": read";
            } catch (const EArcZipException&) {
            } catch (const Exception& e) {
                ADD_FAILURE() << bytes.size() << " bytes, offset " << offset << ": " << e.ClassName() << " "
                              << e.Message;
            }
        }
}

// Damage of every kind at random places: the reader ends with a directory, one of the
// archive exceptions, or (for a record that claims further parts) the file error of a
// missing part, never with anything else, and under the sanitisers never reads
// outside what it was given.
TEST(DirectoryReader, RandomDamageEndsInADirectoryOrAnArchiveError) {
    const auto sound = BuildArchive({{"a.txt", "alpha", "note"}, {"d/b.txt", std::string(300, 'b')}, {"c", ""}},
                                    "archive comment");
    std::mt19937 rng(5);
    int read = 0, refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string b = sound.Bytes;
        const int edits = 1 + static_cast<int>(rng() % 6);
        for (int k = 0; k < edits; ++k) {
            const size_t at = rng() % b.size();
            switch (rng() % 4) {
            case 0: b[at] = static_cast<char>(rng()); break;
            case 1: b[at] = static_cast<char>(0xFF); break;
            case 2: b.erase(at, rng() % 40); break;
            default: b.insert(at, std::string(rng() % 40, static_cast<char>(rng()))); break;
            }
            if (b.empty()) b = "x";
        }
        TArcUnZip z(nullptr);
        z.SetIncompleteZipMode(static_cast<TIncompleteZipMode>(round % 3));
        std::unique_ptr<TMemoryStream> m;
        try {
            ReadAs(z, round % 2 ? "a.zip" : "a.exe", b, m);
            for (int i = 0; i < z.EntryCount(); ++i) z.Entry(i)->GetUncompressedSize();
            ++read;
        } catch (const EArcZipException&) {
            ++refused;
        } catch (const EFOpenError&) {
            ++refused;
        }
    }
    EXPECT_GT(read, 0);
    EXPECT_GT(refused, 0);
}

}  // namespace
