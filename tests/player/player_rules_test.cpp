// Where a book's files go and how its window is sized: the text rules, as tables.
#include <gtest/gtest.h>

#include "player/window_size.h"
#include "player/work_paths.h"

TEST(PlayerRules, TheTemporaryFolderMustBeAbsolute) {
    struct Row {
        const char* reported;
        const char* folder;
    } rows[] = {
        {"C:\\Temp\\", "C:\\Temp\\"},
        {"C:\\Temp", "C:\\Temp\\"},
        {"C:/Temp/", "C:/Temp/"},
        {"c:\\", "c:\\"},
        {"\\\\server\\share\\tmp", "\\\\server\\share\\tmp\\"},
        {"C:\\\xD6\xD0\xCE\xC4\xB1\x5C", "C:\\\xD6\xD0\xCE\xC4\xB1\x5C\\"},   // ends in a trail byte 0x5C
        {"", ""},
        {"Temp\\", ""},
        {"\\Temp\\", ""},
        {"C:Temp\\", ""},
        {"C:", ""},
        {"\\\\server\\", ""},
        {"\\\\\\share\\", ""},
        {"1:\\x\\", ""},
        {"C:\\Temp\\..\\", ""},
        {"C:\\Temp\\.\\x", ""},
        {"C:\\..", ""},
        {"\\\\server\\share\\..\\", ""},
        {"C:\\a..b\\", "C:\\a..b\\"},
    };
    for (const Row& r : rows) EXPECT_EQ(NormaliseTempFolder(r.reported), r.folder) << r.reported;
}

TEST(PlayerRules, WorkFoldersAreNamedAfterTheBookWithSuffixesForLaterClaims) {
    EXPECT_EQ(WorkFolderCandidate("C:\\T\\", "book.exe", 0), "C:\\T\\book.exe");
    EXPECT_EQ(WorkFolderCandidate("C:\\T\\", "book.exe", 1), "C:\\T\\book.exe-2");
    EXPECT_EQ(WorkFolderCandidate("C:\\T\\", "book.exe", 9), "C:\\T\\book.exe-10");
    EXPECT_EQ(TempArchivePath("C:\\T\\book.exe"), "C:\\T\\book.exe.tmp");
}

TEST(PlayerRules, OnlyAPlainNameDirectlyUnderTheTemporaryFolderIsAWorkFolder) {
    const char* temp = "C:\\Temp\\";
    struct Row {
        const char* folder;
        bool ok;
    } rows[] = {
        {"C:\\Temp\\book.exe", true},
        {"c:\\temp\\BOOK.EXE-2", true},
        {"C:\\Temp\\\xD6\xD0\xCE\xC4\xBB\x5C.exe", true},   // "\" as a trail byte is not a separator
        {"C:\\Temp\\\xBB\x5C", true},
        {"C:\\Temp\\", false},
        {"C:\\Temp", false},
        {"", false},
        {"C:\\", false},
        {"C:\\Temp\\a\\b", false},
        {"C:\\Temp\\a/b", false},
        {"C:\\Temp\\..", false},
        {"C:\\Temp\\.", false},
        {"C:\\Temp\\. .", false},
        {"C:\\Temp\\a:b", false},
        {"C:\\Temp\\a\tb", false},
        {"C:\\Temp\\\xBB", false},   // a lead byte without its trail byte
        {"C:\\Tempx\\book.exe", false},
        {"D:\\Temp\\book.exe", false},
        {"C:\\Other\\book.exe", false},
    };
    for (const Row& r : rows) EXPECT_EQ(IsWorkFolderUnder(r.folder, temp), r.ok) << r.folder;
    EXPECT_FALSE(IsWorkFolderUnder("book.exe", "")) << "no temporary folder, no work folder";
    EXPECT_FALSE(IsWorkFolderUnder("Temp\\book.exe", "Temp\\"));
    EXPECT_FALSE(IsWorkFolderUnder("C:\\Temp\\book.exe", "C:\\Temp"));
    EXPECT_FALSE(IsWorkFolderUnder("C:\\Temp\\..\\book.exe", "C:\\Temp\\..\\"));
}

TEST(PlayerRules, OnlyPlainFoldersBelowARootMayBeRemoved) {
    for (const char* path : {"C:\\a", "C:\\a\\", "C:/a/b", "Z:\\\xB1\x5C", "Z:\\\xB1\x5C\\x", "\\\\server\\share\\folder",
                             "C:\\a..b\\c"})
        EXPECT_TRUE(IsRemovablePath(path)) << path;
    for (const char* path : {"", "\\", "\\\\", "/", "C:", "C:\\", "C:/", "C:\\\\", "a", "a\\b", ".\\a", "..", "C:a",
                             "\\a", "\\\\server\\share", "\\\\server\\share\\", "C:\\*", "C:\\a*", "C:\\a\\?",
                             "C:\\a\\..", "C:\\a\\..\\..", "C:\\.", "C:\\a\\.\\b", "C:\\a\\\\b", "C:\\a:b",
                             "C:\\\xB1"})
        EXPECT_FALSE(IsRemovablePath(path)) << path;
}

TEST(PlayerRules, TheHomePageIsJoinedWithOneSeparator) {
    EXPECT_EQ(HomePageAddress("C:\\T\\b.exe", "index.htm"), "C:\\T\\b.exe\\index.htm");
    EXPECT_EQ(HomePageAddress("C:\\T\\b.exe", "\\index.htm"), "C:\\T\\b.exe\\index.htm");
    EXPECT_EQ(HomePageAddress("C:\\T\\b.exe", "sub\\p.htm"), "C:\\T\\b.exe\\sub\\p.htm");
    EXPECT_EQ(HomePageAddress("C:\\T\\b.exe", ""), "C:\\T\\b.exe\\");
    const std::string longPage(300, 'p');
    EXPECT_EQ(HomePageAddress("C:\\T\\b.exe", longPage), "C:\\T\\b.exe\\" + longPage);
}

TEST(PlayerRules, TheMutexNameIgnoresCaseAndKeepsFoldersApart) {
    const AnsiString a = WorkFolderMutexName("C:\\Temp\\book.exe");
    EXPECT_EQ(a, WorkFolderMutexName("c:\\TEMP\\BOOK.EXE"));
    EXPECT_NE(a, WorkFolderMutexName("C:\\Temp\\book.exe-2"));
    EXPECT_NE(a, WorkFolderMutexName("C:\\Temp\\other.exe"));
    EXPECT_EQ(a.rfind("Local\\", 0), 0u);
    EXPECT_EQ(a.find('\\', 6), AnsiString::npos) << "one separator only, after the namespace";
}

TEST(PlayerRules, OnlyTwoPositiveNumbersGiveASizedWindow) {
    struct Row {
        const char* height;
        const char* width;
        bool sized;
        int h, w;
    } rows[] = {
        {"600", "800", true, 600, 800},
        {" 600 ", "800", true, 600, 800},
        {"0", "0", false, 0, 0},
        {"600", "0", false, 0, 0},
        {"0", "800", false, 0, 0},
        {"600", "", false, 0, 0},
        {"", "800", false, 0, 0},
        {"abc", "800", false, 0, 0},
        {"600", "80x", false, 0, 0},
        {"-600", "800", false, 0, 0},
        {"600", "-1", false, 0, 0},
        {"99999999999", "800", false, 0, 0},
    };
    for (const Row& r : rows) {
        int h = 0, w = 0;
        EXPECT_EQ(WindowSizeFromSettings(r.height, r.width, h, w), r.sized) << r.height << " x " << r.width;
        if (r.sized) {
            EXPECT_EQ(h, r.h);
            EXPECT_EQ(w, r.w);
        }
    }
}
