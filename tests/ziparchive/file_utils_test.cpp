// The archive library's small routines, on values and on real files (GBK names included).
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/time.h>
#include <unistd.h>
#endif

#include "classlib/classes.h"
#include "classlib/fileio.h"
#include "ziparchive/file_utils.h"
#include "ziparchive/pump_throttle.h"
#include "tests/ziparchive/scratch_files.h"

namespace {

uint32_t Dos(int year, int month, int day, int hour, int minute, int second) {
    return (static_cast<uint32_t>(year - 1980) << 25) | (static_cast<uint32_t>(month) << 21) |
           (static_cast<uint32_t>(day) << 16) | (static_cast<uint32_t>(hour) << 11) |
           (static_cast<uint32_t>(minute) << 5) | (static_cast<uint32_t>(second) / 2);
}

// "乗" is 81 5C: its trail byte is "\".
const std::string kTrailSlashName = "\x81\x5C";
const std::string kGbkName = "\xD6\xD0\xCE\xC4";   // 中文

void SetModified(const std::string& path, int year) {
#ifdef _WIN32
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = 6;
    st.wDay = 15;
    st.wHour = 12;
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
    CloseHandle(h);
#else
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = 5;
    t.tm_mday = 15;
    t.tm_hour = 12;
    t.tm_isdst = -1;
    struct timeval tv[2] = {{mktime(&t), 0}, {mktime(&t), 0}};
    ASSERT_EQ(utimes(ReplaceSingleByteChar(path, '\\', '/').c_str(), tv), 0);
#endif
}

TEST(RepairDosDateTime, ValidValuesPassAndBadFieldsClamp) {
    struct Case {
        uint32_t in, out;
    } cases[] = {
        {Dos(2004, 2, 29, 13, 45, 58), Dos(2004, 2, 29, 13, 45, 58)},
        {Dos(1980, 1, 1, 0, 0, 0), Dos(1980, 1, 1, 0, 0, 0)},
        {Dos(2099, 12, 31, 23, 59, 58), Dos(2099, 12, 31, 23, 59, 58)},
        {Dos(2001, 2, 31, 1, 2, 4), Dos(2001, 2, 31, 1, 2, 4)},   // the day is not checked against the month
        {0, Dos(1980, 1, 1, 0, 0, 0)},
        {0xFFFFFFFFu, Dos(2099, 12, 31, 23, 59, 58)},
        {Dos(2010, 0, 5, 10, 0, 0), Dos(2010, 1, 5, 10, 0, 0)},
        {Dos(2010, 13, 5, 10, 0, 0), Dos(2010, 12, 5, 10, 0, 0)},
        {Dos(2010, 3, 0, 10, 0, 0), Dos(2010, 3, 1, 10, 0, 0)},
        {Dos(2010, 3, 5, 24, 0, 0), Dos(2010, 3, 5, 23, 0, 0)},
        {Dos(2010, 3, 5, 1, 60, 0), Dos(2010, 3, 5, 1, 59, 0)},
        {Dos(2010, 3, 5, 1, 2, 60), Dos(2010, 3, 5, 1, 2, 58)},
        {Dos(2100, 3, 5, 1, 2, 4), Dos(2099, 3, 5, 1, 2, 4)},
    };
    for (const Case& c : cases) EXPECT_EQ(RepairDosDateTime(c.in), c.out) << std::hex << c.in;
}

TEST(RepairDosDateTime, DateTimeValuesBothWays) {
    EXPECT_EQ(EncodeDate(1980, 1, 1), 29221.0);
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    for (uint32_t v : {Dos(1980, 1, 1, 0, 0, 0), Dos(2000, 2, 29, 23, 59, 58), Dos(2099, 12, 31, 23, 59, 58),
                       Dos(2107, 12, 31, 12, 30, 30)})
        EXPECT_EQ(DateTimeToFileDate(FileDateToDateTime(v)), v) << std::hex << v;
    EXPECT_THROW(FileDateToDateTime(Dos(2001, 2, 29, 0, 0, 0)), EConvertError);
    EXPECT_EQ(DateTimeToFileDate(EncodeDate(1975, 6, 1)), Dos(1980, 1, 1, 0, 0, 0));
    int y, m, dd;
    DecodeDate(EncodeDate(2024, 12, 31), y, m, dd);
    EXPECT_EQ(y * 10000 + m * 100 + dd, 20241231);
}

TEST(SmallRoutines, PercentOfRoundsHalfToEven) {
    struct Case {
        int64_t part, whole, out;
    } cases[] = {
        {7, 0, 0}, {7, -3, 0}, {1, 3, 33}, {2, 3, 67}, {5, 2, 100}, {3, 3, 100}, {1, 8, 12}, {3, 8, 38},
        {1, 200, 0}, {3, 200, 2}, {0, 10, 0}, {INT64_MAX / 2, INT64_MAX, 50}, {INT64_MAX - 1, INT64_MAX, 100},
        // Negative parts (a damaged size) never divide by zero.
        {INT64_MIN + 1, 1, -100}, {-INT64_MAX, 3, -100}, {-1, 4, -25},
    };
    for (const Case& c : cases) EXPECT_EQ(PercentOf(c.part, c.whole), c.out) << c.part << "/" << c.whole;
}

// The first look is always due, however early on the clock; later ones only once a whole
// interval has passed since the last pump, however many looks came between.
TEST(SmallRoutines, PumpDueAtMostOncePerInterval) {
    using std::chrono::milliseconds;
    for (const TPumpClock::time_point start : {TPumpClock::time_point(milliseconds(3)), TPumpClock::now()}) {
        TPumpClock::time_point last;
        EXPECT_TRUE(PumpDue(last, start));
        EXPECT_EQ(last, start);
        EXPECT_FALSE(PumpDue(last, start));
        EXPECT_FALSE(PumpDue(last, start + milliseconds(19)));
        EXPECT_TRUE(PumpDue(last, start + milliseconds(20)));
        EXPECT_FALSE(PumpDue(last, start + milliseconds(39)));
        EXPECT_TRUE(PumpDue(last, start + milliseconds(45)));
        EXPECT_EQ(last, start + milliseconds(45));
    }
}

TEST(SmallRoutines, StringSlicesAndWildcards) {
    EXPECT_EQ(RightChars("abc", 5), "abc");
    EXPECT_EQ(RightChars("abcdef", 2), "ef");
    EXPECT_EQ(RightChars("abc", 0), "");
    EXPECT_EQ(LeftChars("abcdef", 2), "ab");
    EXPECT_EQ(LeftChars("ab", 9), "ab");
    EXPECT_EQ(Min64(-5, 3), -5);
    EXPECT_EQ(Max64(INT64_MIN, 0), 0);

    for (const char* s : {"*.txt", "a?c", "<a-c>x", "a>b", "a|b"}) EXPECT_TRUE(HasWildcards(s)) << s;
    for (std::string s : {std::string("plain.txt"), std::string(""), "x" + std::string("\x81\x7C") + ".txt"})
        EXPECT_FALSE(HasWildcards(s)) << s;   // 81 7C is one character whose trail byte is "|"

    EXPECT_EQ(PCharToString(nullptr), "");
    EXPECT_EQ(PCharToString("x"), "x");
    EXPECT_EQ(StringToNewPChar(""), nullptr);
    auto p = StringToNewPChar("abc");
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p.get(), "abc");
    char buf[8] = "abcdef";
    MoveBytes(buf + 1, buf, 4);
    EXPECT_STREQ(buf, "aabcdf");
}

TEST(SmallRoutines, SlashConversionStepsOverDoubleByteCharacters) {
    std::string name = "dir\\" + kTrailSlashName + "\\a/b\\" + kGbkName;
    std::vector<char> z(name.begin(), name.end());
    z.push_back(0);
    ToZipSlashes(z.data());
    EXPECT_EQ(std::string(z.data()), "dir/" + kTrailSlashName + "/a/b/" + kGbkName);
    EXPECT_EQ(ToZipSlashes(name), std::string(z.data()));
    ToDosSlashes(z.data());
    EXPECT_EQ(std::string(z.data()), "dir\\" + kTrailSlashName + "\\a\\b\\" + kGbkName);
    EXPECT_EQ(ToDosSlashes(std::string("a/b/c")), "a\\b\\c");
}

// Runs once with plain names and once with code page 936 names.
class FileRoutines : public ::testing::TestWithParam<TTestNames> {
protected:
    void SetUp() override { SKIP_IF_GBK_UNAVAILABLE(); }
    TempDir d;
    const std::string trail = GetParam().Trail;   // ends in a trail byte "\" for the GBK run
    const std::string wide = GetParam().Wide;
};

TEST_P(FileRoutines, DirExistsLooksWithoutChangingTheCurrentDirectory) {
    std::string dir = WinDir(d) + trail;
    ASSERT_TRUE(CreateDir(dir));
    std::string before = GetDriveDir(0);
    EXPECT_TRUE(DirExists(dir));
    EXPECT_TRUE(DirExists(dir + "\\"));
    EXPECT_TRUE(DirExistsByName(WinDir(d)));
    EXPECT_EQ(GetDriveDir(0), before);
    EXPECT_FALSE(DirExists(dir + "x"));
    EXPECT_FALSE(DirExists(""));
    WriteFileBytes(dir + "\\f.txt", "1");
    EXPECT_FALSE(DirExists(dir + "\\f.txt"));
    EXPECT_TRUE(FileExistsByName(dir + "\\f.txt"));
    EXPECT_FALSE(FileExistsByName(dir));
}

TEST_P(FileRoutines, FileTimes) {
    std::string file = WinDir(d) + wide + ".txt";
    WriteFileBytes(file, "x");
    SetModified(file, 2004);
    EXPECT_EQ(GetFileDosDateTime(file), Dos(2004, 6, 15, 12, 0, 0));
    TDateTime dt = GetFileDateTime(file);
    EXPECT_NEAR(dt, EncodeDate(2004, 6, 15) + EncodeTime(12, 0, 0, 0), 1e-6);

    // A folder named with a trail byte "\" and given with a trailing "\".
    std::string dir = WinDir(d) + trail;
    ASSERT_TRUE(CreateDir(dir));
    SetModified(dir, 2010);
    EXPECT_NEAR(GetFileDateTime(dir + "\\"), EncodeDate(2010, 6, 15) + EncodeTime(12, 0, 0, 0), 1e-6);

    SetModified(file, 1975);   // before DOS time begins
    EXPECT_EQ(GetFileDosDateTime(file), Dos(1980, 1, 1, 0, 0, 0));
    EXPECT_NEAR(GetFileDateTime(file), EncodeDate(1980, 1, 1), 1e-6);

    EXPECT_EQ(GetFileDosDateTime(WinDir(d) + "missing"), 0xFFFFFFFFu);
    EXPECT_NEAR(GetFileDateTime(WinDir(d) + "missing"), EncodeDate(2099, 12, 31) + EncodeTime(23, 59, 58, 0), 1e-6);
}

TEST_P(FileRoutines, MoveFileSameDriveReplacesTheTarget) {
    std::string src = WinDir(d) + wide + "src", dst = WinDir(d) + trail + "dst";
    WriteFileBytes(src, "new");
    WriteFileBytes(dst, "old");
    EXPECT_TRUE(MoveFileSameDrive(src, dst));
    EXPECT_FALSE(FileExists(src));
    EXPECT_EQ(ReadFileBytes(dst), "new");
    EXPECT_FALSE(FileExists(dst + "$$$"));

    // Across drives nothing is touched.
    WriteFileBytes(src, "again");
    EXPECT_FALSE(MoveFileSameDrive(src, "Q:\\elsewhere\\x.txt"));
    EXPECT_EQ(ReadFileBytes(src), "again");
    EXPECT_EQ(ReadFileBytes(dst), "new");

    // A missing source, or the same file twice, changes nothing either.
    EXPECT_FALSE(MoveFileSameDrive(WinDir(d) + "missing", dst));
    EXPECT_FALSE(MoveFileSameDrive(dst, dst));
    EXPECT_EQ(ReadFileBytes(dst), "new");
    EXPECT_FALSE(FileExists(dst + "$$$"));
}

TEST_P(FileRoutines, MoveFileSameDriveRestoresTheOldTargetWhenTheRenameFails) {
#ifdef _WIN32
    std::string src = WinDir(d) + "locked.txt", dst = WinDir(d) + wide + ".txt";
    WriteFileBytes(src, "new");
    WriteFileBytes(dst, "old");
    // Held open without delete sharing, the source cannot be renamed.
    HANDLE h = CreateFileA(src.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    bool moved = MoveFileSameDrive(src, dst);
    CloseHandle(h);
    if (moved) GTEST_SKIP() << "this system renames files that are open without delete sharing";
    EXPECT_EQ(ReadFileBytes(dst), "old");
    EXPECT_FALSE(FileExists(dst + "$$$"));
    EXPECT_EQ(ReadFileBytes(src), "new");
#else
    GTEST_SKIP() << "needs a rename that fails on an open file (Windows sharing rules)";
#endif
}

TEST_P(FileRoutines, CopyFileByName) {
    std::string src = WinDir(d) + trail + ".bin", dst = WinDir(d) + "copy.bin";
    std::string data(200000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
    WriteFileBytes(src, data);
    CopyFileByName(src, dst);   // same drive: moved
    EXPECT_FALSE(FileExists(src));
    EXPECT_EQ(ReadFileBytes(dst), data);

    std::string empty = WinDir(d) + "empty", emptyCopy = WinDir(d) + "empty2";
    WriteFileBytes(empty, "");
    EXPECT_NO_THROW(CopyFileByName(empty, emptyCopy));
    EXPECT_TRUE(FileExists(emptyCopy));
    EXPECT_EQ(FileSizeByName(emptyCopy), 0);

    try {
        CopyFileByName(dst, dst);
        FAIL() << "copying a file onto itself must raise";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message, "Error: Could not copy from " + dst + " -> " + dst);
    }
    EXPECT_EQ(ReadFileBytes(dst), data);
    EXPECT_THROW(CopyFileByName(WinDir(d) + "missing", WinDir(d) + "x"), Exception);
}

TEST_P(FileRoutines, CopyFileByNameAcrossDrivesCopies) {
#ifdef _WIN32
    // Under Wine Z: is the machine's root and the scratch folder lives on C:.
    std::string src = WinDir(d) + wide;
    if (toupper(static_cast<unsigned char>(src[0])) == 'Z' || !DirExists("Z:\\tmp\\"))
        GTEST_SKIP() << "no second drive with a scratch folder";
    std::string target = "Z:\\tmp\\" + std::string("pwcopy") + std::to_string(GetCurrentProcessId()) + wide;
    WriteFileBytes(src, "cross");
    CopyFileByName(src, target);
    EXPECT_EQ(ReadFileBytes(src), "cross");   // copied, not moved
    EXPECT_EQ(ReadFileBytes(target), "cross");
    RemoveFile(target);
#else
    GTEST_SKIP() << "one drive only";
#endif
}

TEST_P(FileRoutines, TempNamesAndShortPaths) {
    std::string name = MakeTempFileName(WinDir(d));
    ASSERT_FALSE(name.empty());
    EXPECT_TRUE(FileExists(name));
    EXPECT_EQ(ExtractFileName(ReplaceSingleByteChar(name, '/', '\\')).substr(0, 3), "ZKZ");
    EXPECT_NE(MakeTempFileName(WinDir(d)), name);

    // Names without a short form come back as written, separators as they were.
    EXPECT_EQ(ShortPathName("\\no\\such\\path\\"), "\\no\\such\\path\\");
    EXPECT_EQ(ShortPathName("\\no\\such\\path"), "\\no\\such\\path");
    EXPECT_EQ(ShortPathName("Q:no\\such"), "Q:\\no\\such");
    EXPECT_EQ(ShortPathName("rel\\" + trail + "\\x"), "rel\\" + trail + "\\x");

    std::string longName = WinDir(d) + wide + " rather long file name.text";
    WriteFileBytes(longName, "s");
    std::string shortPath = ShortPathName(longName);
    EXPECT_TRUE(FileExists(shortPath)) << shortPath;
#ifdef _WIN32
    std::string last = ExtractFileName(shortPath);
    if (last == wide + " rather long file name.text") GTEST_SKIP() << "the file system keeps no 8.3 names";
    EXPECT_LE(last.size(), 12u) << last;
#endif
}

INSTANTIATE_TEST_SUITE_P(Names, FileRoutines, ::testing::ValuesIn(TestNameSets()), TestNamesLabel);

TEST(SystemServices, MessagesLabelsAndCodePages) {
#ifdef _WIN32
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);   // give the thread a queue
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER + 1, 0, 0));
    EXPECT_FALSE(ProcessWindowMessages());
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    PostQuitMessage(7);
    EXPECT_TRUE(ProcessWindowMessages());
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));   // the quit is still there for the loop
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_LE(GetDiskLabel("C:\\").size(), 13u);
    EXPECT_FALSE(IsRemovableDrive("C:\\"));
#else
    EXPECT_FALSE(ProcessWindowMessages());
#endif
    std::string s = "Readme " + kGbkName + ".txt";
    std::string t = s;
    OemRoundTrip(t);
    EXPECT_EQ(t, s);   // code page 936 has the same OEM and ANSI forms
    EXPECT_EQ(OemToAnsiString(AnsiToOemString("plain ascii")), "plain ascii");
}

}  // namespace
