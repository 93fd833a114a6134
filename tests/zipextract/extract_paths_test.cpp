// Destination paths of extracted entries and the name checks that keep them inside the
// destination folder.
#include <gtest/gtest.h>

#include "classlib/fileio.h"
#include "tests/support/tempdir.h"
#include "zipextract/extract_paths.h"

TEST(ExtractPaths, EntryFolderFollowsRecreateDirs) {
    struct {
        const char* Dest;
        const char* Dir;
        bool Recreate;
        const char* Folder;
    } cases[] = {
        {"C:\\out", "docs\\", true, "C:\\out\\docs\\"},
        {"C:\\out", "docs\\", false, "C:\\out\\"},
        {"C:\\out", "", true, "C:\\out\\"},
        // A drive and a leading "\" are dropped: absolute stored paths land below DestDir.
        {"C:\\out", "C:\\site\\img\\", true, "C:\\out\\site\\img\\"},
        {"C:\\out", "\\img\\", true, "C:\\out\\img\\"},
        {"C:\\out", "C:site\\", true, "C:\\out\\site\\"},
        {"C:", "a\\b\\", true, "C:\\a\\b\\"},
        {"C:\\out", "\xD6\xD0\xCE\xC4\x95\x5C\\", true, "C:\\out\\\xD6\xD0\xCE\xC4\x95\x5C\\"},
    };
    for (const auto& c : cases) {
        AnsiString folder;
        EXPECT_TRUE(EntryDestFolder(c.Dest, c.Dir, c.Recreate, folder)) << c.Dir;
        EXPECT_EQ(folder, c.Folder) << c.Dir;
    }
}

TEST(ExtractPaths, HostileDirectoriesAreRefused) {
    for (const char* dir : {"..\\", "a\\..\\..\\", "a\\..\\", "\\\\srv\\share\\", "C:\\..\\", "ab:c\\", "a\\C:\\",
                            "CON\\", "nul.txt\\", "com1\\", "LPT9.log\\", "a\\\\b\\", ". .\\", "...\\", ".\\",
                            "a\\\x01\\", "\\\\?\\C:\\", "\\\\.\\PhysicalDrive0\\", "/\\x\\"}) {
        AnsiString folder;
        EXPECT_FALSE(EntryDestFolder("C:\\out", dir, true, folder)) << dir;
        // Without RecreateDirs the stored folder plays no part.
        EXPECT_TRUE(EntryDestFolder("C:\\out", dir, false, folder)) << dir;
        EXPECT_EQ(folder, "C:\\out\\");
    }
}

TEST(ExtractPaths, FileNamesAndComponents) {
    for (const char* good : {"a.txt", "x..y", "a b", "com10", "console.txt", "lpt", "\xB1\x5C.htm", "sub\\a.txt"})
        EXPECT_TRUE(IsSafeRelativePath(good)) << good;
    for (const char* bad : {"..", "a:b", "CON", "con.txt", "Aux", "NUL .txt", "COM1", "clock$", "a\\..\\..\\x",
                            "\\x", "/x", "a\\\\x", "\x1F"})
        EXPECT_FALSE(IsSafeRelativePath(bad)) << bad;
}

TEST(ExtractPaths, FinalPathMustLieBelowTheDestination) {
    EXPECT_TRUE(IsInsideFolder("C:\\out\\a.txt", "C:\\out"));
    EXPECT_TRUE(IsInsideFolder("c:\\OUT\\sub\\a.txt", "C:\\out"));
    EXPECT_FALSE(IsInsideFolder("C:\\outside\\a.txt", "C:\\out"));
    EXPECT_FALSE(IsInsideFolder("C:\\out\\..\\a.txt", "C:\\out"));
    EXPECT_FALSE(IsInsideFolder("C:\\out\\", "C:\\out"));
    EXPECT_FALSE(IsInsideFolder("C:\\out\\sub\\", "C:\\out"));
    EXPECT_FALSE(IsInsideFolder("D:\\a.txt", "C:\\out"));
    EXPECT_FALSE(IsInsideFolder("C:\\out\\a.txt:stream", "C:\\out"));
    // A GBK name whose last byte is 0x5C names a file, not a folder.
    EXPECT_TRUE(IsInsideFolder("C:\\out\\\xB1\x5C", "C:\\out"));
}

TEST(ExtractPaths, StripTrailingBackslash) {
    EXPECT_EQ(StripTrailingBackslash("C:\\a\\"), "C:\\a");
    EXPECT_EQ(StripTrailingBackslash("C:\\a"), "C:\\a");
    EXPECT_EQ(StripTrailingBackslash("\xB1\x5C"), "\xB1\x5C");   // a trail byte, not a separator
    EXPECT_EQ(StripTrailingBackslash(""), "");
}

TEST(ExtractPaths, CreateDirPathMakesEveryLevel) {
    TempDir tmp;
    const std::string base = ReplaceSingleByteChar(tmp.Path(), '/', '\\');
    CreateDirPath(base + "a\\b\\c\\");
    EXPECT_TRUE(DirectoryExists(base + "a"));
    EXPECT_TRUE(DirectoryExists(base + "a\\b\\c"));
    CreateDirPath(base + "a\\b\\c");   // existing: nothing happens
    EXPECT_TRUE(DirectoryExists(base + "a\\b\\c"));
    // A file in the way: the failure is ignored here.
    std::string file = base + "f";
    {
        THandle h = FileCreate(file);
        ASSERT_NE(h, INVALID_FILE_HANDLE);
        FileClose(h);
    }
    EXPECT_NO_THROW(CreateDirPath(file + "\\x\\"));
    EXPECT_FALSE(DirectoryExists(file + "\\x"));
}

// Thousands of folders in one name: made in a loop (a walk up by recursion once overflowed the
// stack here), as deep as the path limit allows and no deeper.
TEST(ExtractPaths, CreateDirPathDeepNamesStopAtThePathLimit) {
    TempDir tmp;
    const std::string base = ReplaceSingleByteChar(tmp.Path(), '/', '\\');
    const std::string folder = "folder-of-a-long-way";
    std::string deep = base;
    for (int i = 0; i < 20000; ++i) deep += folder + "\\";
    CreateDirPath(deep);
    std::string deepest = base + folder;
    while (deepest.size() + 1 + folder.size() <= kPathLimit) deepest += "\\" + folder;
    EXPECT_TRUE(DirectoryExists(deepest));
    EXPECT_FALSE(DirectoryExists(deepest + "\\" + folder));
    EXPECT_TRUE(FitsPathLimit(deepest));
    EXPECT_FALSE(FitsPathLimit(std::string(kPathLimit + 1, 'x')));
}
