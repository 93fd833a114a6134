// The packed-book format: settings scrambling, splitting, writing a book onto a stub and
// reading it back, and the reader's checks of a damaged tail.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "packedbook/book_constants.h"
#include "packedbook/packed_book.h"
#include "classlib/fileio.h"
#include "tests/support/tempdir.h"
#include "tests/ziparchive/scratch_files.h"

namespace {

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng() & 0xFF);
    return s;
}

std::string U32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
    return s;
}

// A book assembled by hand: stub, archive, Z, hex, L.
std::string Book(const std::string& stub, const std::string& archive, const std::string& hex) {
    return stub + archive + U32(static_cast<uint32_t>(archive.size())) + hex + U32(static_cast<uint32_t>(hex.size()));
}

std::string WithSettingsLength(std::string book, uint32_t l) { return book.substr(0, book.size() - 4) + U32(l); }

TBookSettings SampleSettings() {
    TBookSettings s;
    s.WindowHeight = "600";
    s.WindowWidth = "800";
    s.HomePage = "\xD6\xF7\xD2\xB3\\\x81\x5C" "index.htm";   // a GBK folder, a name whose trail byte is "\"
    return s;
}

bool SameSettings(const TBookSettings& a, const TBookSettings& b) {
    return a.WindowHeight == b.WindowHeight && a.WindowWidth == b.WindowWidth && a.Reserved2 == b.Reserved2 &&
           a.Reserved3 == b.Reserved3 && a.Reserved4 == b.Reserved4 && a.HomePage == b.HomePage;
}

TEST(SettingsText, ScrambleIsKeyedByteIndexAndUpperCaseHex) {
    EXPECT_EQ(ScrambleSettings(""), "");
    std::string zeros(17, '\0');
    std::string hex = ScrambleSettings(zeros);
    ASSERT_EQ(hex.size(), 34u);
    for (size_t i = 0; i < zeros.size(); ++i) {
        char expect[3];
        snprintf(expect, sizeof expect, "%02X", BookSettingsKey[i % 8]);
        EXPECT_EQ(hex.substr(2 * i, 2), expect) << "byte " << i;   // byte 8 uses key byte 0 again
    }
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
}

TEST(SettingsText, RoundTripOverEveryByteValueAndLength) {
    std::string all;
    for (int v = 0; v < 256; ++v) all += static_cast<char>(v);
    EXPECT_EQ(UnscrambleSettings(ScrambleSettings(all)), all);
    for (size_t len : {0u, 1u, 8u, 9u, 17u}) {
        for (int start = 0; start < 256; ++start) {   // every byte value at every key position
            std::string plain;
            for (size_t i = 0; i < len; ++i) plain += static_cast<char>((start + static_cast<int>(i) * 37) & 0xFF);
            ASSERT_EQ(UnscrambleSettings(ScrambleSettings(plain)), plain) << "length " << len << " start " << start;
        }
    }
}

TEST(SettingsText, UnscrambleEdgeCases) {
    EXPECT_EQ(UnscrambleSettings(""), "");
    EXPECT_EQ(UnscrambleSettings("A"), "");
    std::string hex = ScrambleSettings("hello");
    EXPECT_EQ(UnscrambleSettings(hex + "F"), "hello");           // a trailing odd character is ignored
    std::string lower = hex;
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(UnscrambleSettings(lower), "hello");               // lower-case digits are hex too
    for (const char* bad : {"G0", "0x", " 1", "-1", "1-", "$1"}) {
        EXPECT_THROW(UnscrambleSettings(bad), EConvertError) << bad;
    }
}

TEST(SettingsText, SplitCountsEmptyFields) {
    struct Case {
        const char* text;
        std::vector<std::string> fields;
    } cases[] = {
        {"", {""}},
        {"a", {"a"}},
        {"|_|", {"", ""}},
        {"600|_|800|_|0|_||_||_|index.htm", {"600", "800", "0", "", "", "index.htm"}},
        {"a|_||_|b", {"a", "", "b"}},
        {"a|_b|_|c", {"a|_b", "c"}},
        {"|_||_||_||_||_|", {"", "", "", "", "", ""}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitText(c.text), c.fields) << c.text;

    TBookSettings s;
    EXPECT_TRUE(ParseSettings("|_||_||_||_||_|", s));
    EXPECT_FALSE(ParseSettings("1|_|2|_|0|_||_|x", s));
    EXPECT_FALSE(ParseSettings("1|_|2|_|0|_||_||_|x|_|y", s));
    EXPECT_TRUE(ParseSettings(JoinSettings(SampleSettings()), s));
    EXPECT_TRUE(SameSettings(s, SampleSettings()));
}

TEST(BookTail, ReadsWhatTheLayoutHolds) {
    std::string archive = "PK" + RandomBytes(40, 1);
    std::string hex = ScrambleSettings(JoinSettings(SampleSettings()));
    std::string book = Book(RandomBytes(333, 2), archive, hex);
    TStringStream in(book);
    TBookTail tail;
    ASSERT_TRUE(LocateBookTail(&in, tail));
    EXPECT_EQ(tail.ArchiveOffset, 333);
    EXPECT_EQ(tail.ArchiveSize, archive.size());
    EXPECT_EQ(tail.SettingsLength, hex.size());
    TBookSettings s;
    ASSERT_TRUE(ReadBookSettings(&in, s));
    EXPECT_TRUE(SameSettings(s, SampleSettings()));
    TMemoryStream out;
    ASSERT_TRUE(ExtractBookArchive(&in, &out));
    EXPECT_EQ(std::string(out.Memory(), out.Memory() + out.GetSize()), archive);
}

// A stream of a given size that holds nothing but a chosen tail, and remembers the largest
// read asked of it: a reader that trusted a length would ask for (or allocate) a lot.
class TSparseBook : public TStream {
public:
    TSparseBook(int64_t size, std::string tail) : FSize(size), FTail(std::move(tail)) {}
    int32_t Read(void* buffer, int32_t count) override {
        if (count > LargestRead) LargestRead = count;
        int32_t n = 0;
        auto* out = static_cast<char*>(buffer);
        for (; n < count && FPos < FSize; ++n, ++FPos) {
            int64_t fromTail = FPos - (FSize - static_cast<int64_t>(FTail.size()));
            out[n] = fromTail >= 0 ? FTail[static_cast<size_t>(fromTail)] : 0;
        }
        return n;
    }
    int32_t Write(const void*, int32_t) override { return 0; }
    int64_t Seek(int64_t offset, int origin) override {
        int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? FPos : FSize;
        if (base + offset < 0) throw EStreamError("Seek error");
        return FPos = base + offset;
    }
    int32_t LargestRead = 0;
private:
    int64_t FSize;
    int64_t FPos = 0;
    std::string FTail;
};

TEST(BookTail, DamagedTailsAreReportedWithoutExceptionsOrLargeReads) {
    const std::string goodHex = ScrambleSettings(JoinSettings(SampleSettings()));
    const std::string archive(100, 'z');
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"file under 8 bytes", "1234567"},
        {"L beyond the file", std::string(10, 'x') + U32(1000)},
        {"L just past the file", std::string(20, 'x') + U32(18)},
        {"odd L", Book("stub", archive, goodHex + "A")},
        {"Z = 0", Book("stub", "", goodHex)},
        {"Z below an end record", Book("stub", std::string(21, 'z'), goodHex)},
        {"Z too large", "stub" + archive + U32(105) + goodHex + U32(static_cast<uint32_t>(goodHex.size()))},
        {"high bit set in L", WithSettingsLength(Book("stub", archive, goodHex), 0x80000000u | static_cast<uint32_t>(goodHex.size()))},
        {"high bit set in Z", "stub" + archive + U32(0x80000064u) + goodHex + U32(static_cast<uint32_t>(goodHex.size()))},
        {"L = 0xFFFFFFFE", WithSettingsLength(Book("stub", archive, goodHex), 0xFFFFFFFEu)},
        {"non-hex settings", Book("stub", archive, "ZZ" + goodHex.substr(2))},
        {"five fields", Book("stub", archive, ScrambleSettings("600|_|800|_|0|_||_|index.htm"))},
        {"seven fields", Book("stub", archive, ScrambleSettings("600|_|800|_|0|_||_||_|a|_|b"))},
        {"no settings", Book("stub", archive, "")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TStringStream in(c.bytes);
        TBookSettings s;
        TMemoryStream out;
        EXPECT_NO_THROW({
            EXPECT_FALSE(ReadBookSettings(&in, s));
        });
        TBookTail tail;
        bool located = false;
        EXPECT_NO_THROW(located = LocateBookTail(&in, tail));
        if (!located) {
            EXPECT_FALSE(ExtractBookArchive(&in, &out));
            EXPECT_EQ(out.GetSize(), 0);
        }
    }

    // A 1.5 GiB "file" whose tail claims a 1 GiB settings text: even and inside the file,
    // but no real book carries that much; nothing large is read.
    TSparseBook huge(1536LL << 20, U32(MinBookArchiveSize) + U32(1u << 30));
    TBookSettings s;
    EXPECT_FALSE(ReadBookSettings(&huge, s));
    EXPECT_LE(huge.LargestRead, 4);
}

TEST(BookTail, LargestAcceptedSettingsAndSmallestArchive) {
    std::string hex = ScrambleSettings("1|_|2|_|0|_||_||_|" + std::string(MaxSettingsHexLength / 2 - 18, 'a'));
    ASSERT_EQ(hex.size(), MaxSettingsHexLength);
    std::string book = Book("", std::string(MinBookArchiveSize, 'e'), hex);
    TStringStream in(book);
    TBookSettings s;
    EXPECT_TRUE(ReadBookSettings(&in, s));
    TStringStream tooLong(Book("", std::string(MinBookArchiveSize, 'e'), hex + "00"));
    EXPECT_FALSE(ReadBookSettings(&tooLong, s));
}

// Runs once with a plain book name and once with a code page 936 one.
class PackedBookFiles : public ::testing::TestWithParam<TTestNames> {
protected:
    void SetUp() override { SKIP_IF_GBK_UNAVAILABLE(); }
    TempDir dir;
    std::string stub = RandomBytes(4096 + 7, 11);
    std::string archive = "PK\x03\x04" + RandomBytes(5000, 12);
    std::string stubPath = WinDir(dir) + GetParam().Wide + GetParam().Trail + ".exe";
    std::string zipPath = WinDir(dir) + GetParam().Wide + ".tmp";
};

TEST_P(PackedBookFiles, WriteThenReadBackThroughFiles) {
    WriteFileBytes(stubPath, stub);
    WriteFileBytes(zipPath, archive);
    ASSERT_TRUE(WritePackedFile(zipPath, stubPath, SampleSettings()));

    std::string book = ReadFileBytes(stubPath);
    const std::string hex = ScrambleSettings(JoinSettings(SampleSettings()));
    ASSERT_EQ(book.size(), stub.size() + archive.size() + 8 + hex.size());
    EXPECT_EQ(book.substr(0, stub.size()), stub);   // N - Z - L - 8 is exactly the stub
    EXPECT_EQ(book.substr(stub.size(), archive.size()), archive);
    EXPECT_EQ(book.substr(stub.size() + archive.size(), 4), U32(static_cast<uint32_t>(archive.size())));
    EXPECT_EQ(book.substr(book.size() - 4 - hex.size(), hex.size()), hex);
    EXPECT_EQ(book.substr(book.size() - 4), U32(static_cast<uint32_t>(hex.size())));

    TBookSettings s;
    ASSERT_TRUE(ReadBookSettings(stubPath, s));
    EXPECT_TRUE(SameSettings(s, SampleSettings()));
    std::string out = WinDir(dir) + "book.exe.tmp";
    ASSERT_TRUE(ExtractBookArchive(stubPath, out));
    EXPECT_EQ(ReadFileBytes(out), archive);
}

TEST_P(PackedBookFiles, FailuresReturnFalse) {
    WriteFileBytes(stubPath, stub);
    TBookSettings s = SampleSettings();
    EXPECT_FALSE(WritePackedFile(WinDir(dir) + "missing.zip", stubPath, s));
    EXPECT_EQ(ReadFileBytes(stubPath), stub);
    WriteFileBytes(zipPath, archive);
    EXPECT_FALSE(WritePackedFile(zipPath, WinDir(dir) + "no-stub.exe", s));   // the output is never created
    EXPECT_FALSE(FileExists(WinDir(dir) + "no-stub.exe"));

    EXPECT_FALSE(ReadBookSettings(WinDir(dir) + "missing.exe", s));
    std::string out = WinDir(dir) + "out.tmp";
    EXPECT_FALSE(ExtractBookArchive(stubPath, out));   // a bare stub is not a book
    EXPECT_FALSE(FileExists(out));                      // and leaves no partial archive
}

TEST_P(PackedBookFiles, RefusesABookOfTwoGigabytes) {
    {
        // A sparse stub just below 2 GiB: the tail would push the book past the limit.
        TFileStream f(stubPath, fmCreate);
        f.SetSize(0x7FFFFFFFLL - 1000);
    }
    WriteFileBytes(zipPath, archive);
    EXPECT_FALSE(WritePackedFile(zipPath, stubPath, SampleSettings()));
    EXPECT_EQ(FileSizeByName(stubPath), 0x7FFFFFFFLL - 1000);
}

INSTANTIATE_TEST_SUITE_P(Names, PackedBookFiles, ::testing::ValuesIn(TestNameSets()), TestNamesLabel);

}  // namespace
