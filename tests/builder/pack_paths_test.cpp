// The checks of "start packing" and the names derived from the folder: which message a pair
// of choices gets, the home page made relative, and the book's and temporary archive's names.
// Paths hold GBK characters whose trail byte is "\" (0x5C) or an ASCII letter.
#include <gtest/gtest.h>

#include "builder/pack_paths.h"
#include "packedbook/packed_book.h"

namespace {

// 乗 = 81 5C: a character whose second byte is "\".
const std::string kTrail = "\x81\x5C";
// 亖 = 81 41 and 亗 = 81 61: characters whose second bytes are "A" and "a".
const std::string kUpperA = "\x81\x41";
const std::string kLowerA = "\x81\x61";

struct CheckCase {
    const char* Label;
    std::string Folder, HomePage;
    TPackCheck Expect;
    std::string SiteFolder, Relative;   // expected on pcOk
};

TEST(PackRequest, ChecksInOrderAndMakesTheHomePageRelative) {
    const CheckCase cases[] = {
        {"nothing chosen", "", "", pcNoFolder, "", ""},
        {"no folder, a home page", "", "D:\\site\\index.htm", pcNoFolder, "", ""},
        {"a relative folder", "site", "site\\index.htm", pcNoFolder, "", ""},
        {"no home page", "D:\\site", "", pcNoHomePage, "", ""},
        {"drive root", "C:\\", "C:\\index.htm", pcRootFolder, "", ""},
        {"drive without separator", "C:", "C:\\index.htm", pcRootFolder, "", ""},
        {"drive root with slash", "c:/", "c:/index.htm", pcRootFolder, "", ""},
        {"share root", "\\\\server\\share", "\\\\server\\share\\index.htm", pcRootFolder, "", ""},
        {"share root with separator", "\\\\server\\share\\", "\\\\server\\share\\a.htm", pcRootFolder, "", ""},
        {"folder of a share", "\\\\server\\share\\site", "\\\\server\\share\\site\\a.htm", pcOk,
         "\\\\server\\share\\site\\", "a.htm"},
        {"case ignored", "D:\\site", "D:\\Site\\index.htm", pcOk, "D:\\site\\", "index.htm"},
        {"sub-folder", "D:\\site", "D:\\site\\docs\\a.htm", pcOk, "D:\\site\\", "docs\\a.htm"},
        {"folder ends in separator", "D:\\site\\", "d:\\SITE\\a.htm", pcOk, "D:\\site\\", "a.htm"},
        {"slash and backslash alike", "D:/site/", "D:\\site\\a.htm", pcOk, "D:/site/", "a.htm"},
        {"outside the folder", "D:\\site", "D:\\other\\index.htm", pcNoHomePage, "D:\\site\\", ""},
        {"a longer sibling folder", "D:\\site", "D:\\site2\\index.htm", pcNoHomePage, "", ""},
        {"the folder itself", "D:\\site", "D:\\site\\", pcNoHomePage, "", ""},
        {"a folder below", "D:\\site", "D:\\site\\docs\\", pcNoHomePage, "", ""},
        // The folder's text is removed as a prefix only: a second occurrence inside stays.
        {"folder text repeated", "D:\\a", "D:\\a\\D:\\a\\x.htm", pcOk, "D:\\a\\", "D:\\a\\x.htm"},
        // Ends in a character whose trail byte is "\": a separator is still added.
        {"trail byte is not a separator", "D:\\" + kTrail, "D:\\" + kTrail + "\\i.htm", pcOk,
         "D:\\" + kTrail + "\\", "i.htm"},
        {"trail byte not taken for the separator", "D:\\" + kTrail, "D:\\" + kTrail + "i.htm", pcNoHomePage, "", ""},
        // Trail bytes that are letters are not folded: 亖 and 亗 are different characters.
        {"trail letters keep their case", "D:\\" + kUpperA, "D:\\" + kLowerA + "\\i.htm", pcNoHomePage, "", ""},
        {"same double-byte folder", "D:\\" + kUpperA, "d:\\" + kUpperA + "\\i.htm", pcOk, "D:\\" + kUpperA + "\\",
         "i.htm"},
    };
    for (const CheckCase& c : cases) {
        TPackRequest r;
        EXPECT_EQ(CheckPackRequest(c.Folder, c.HomePage, r), c.Expect) << c.Label;
        // The folder is kept once it has passed, even when the home page is refused.
        if (!c.SiteFolder.empty()) {
            EXPECT_EQ(r.SiteFolder, c.SiteFolder) << c.Label;
        }
        if (c.Expect == pcOk) {
            EXPECT_EQ(r.HomePage, c.Relative) << c.Label;
        }
    }
}

TEST(PackRequest, RootFolders) {
    for (const char* root : {"C:", "C:\\", "c:/", "\\", "/", "\\\\server\\share", "\\\\server\\share\\", "\\\\server"})
        EXPECT_TRUE(IsRootFolder(root)) << root;
    for (std::string folder : {std::string("C:\\a"), std::string("C:\\a\\"), std::string("\\\\s\\share\\a"),
                               "C:\\" + kTrail, "\\\\s\\" + kTrail + "\\a"})
        EXPECT_FALSE(IsRootFolder(folder)) << folder;
    EXPECT_FALSE(IsRootFolder(""));
}

TEST(PackRequest, BookAndTemporaryNames) {
    EXPECT_EQ(BookPathOf("D:\\site\\"), "D:\\site.exe");
    EXPECT_EQ(BookPathOf("D:/site/"), "D:/site.exe");
    EXPECT_EQ(BookPathOf("D:\\" + kTrail + "\\"), "D:\\" + kTrail + ".exe");   // the whole character stays
    EXPECT_EQ(BookPathOf("D:\\my.exe.site\\"), "D:\\my.exe.site.exe");

    EXPECT_EQ(FileNameWithoutExt("D:\\site.exe"), "site");
    EXPECT_EQ(FileNameWithoutExt("D:\\my.exe.site.exe"), "my.site.exe");   // the first occurrence goes
    EXPECT_EQ(FileNameWithoutExt("D:\\" + kTrail + ".exe"), kTrail);
    EXPECT_EQ(FileNameWithoutExt("D:\\noext"), "noext");
}

TEST(PackedBookSize, CountsStubArchiveLengthsAndHexText) {
    TBookSettings s;
    s.WindowHeight = "600";
    s.WindowWidth = "800";
    s.HomePage = "\xD6\xF7\xD2\xB3\\index.htm";
    const int64_t hex = static_cast<int64_t>(ScrambleSettings(JoinSettings(s)).size());
    EXPECT_EQ(PackedBookSize(1000, 22, s), 1000 + 22 + 8 + hex);
    // A book of exactly MaxPackedBookSize is the largest the player can read.
    EXPECT_EQ(PackedBookSize(MaxPackedBookSize - 30 - hex, 22, s), MaxPackedBookSize);
}

}  // namespace
