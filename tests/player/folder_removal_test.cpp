// The player's clean-up primitives and its claim on a work folder, in process. They delete
// folder trees, so they run only inside the sandbox.
#include <gtest/gtest.h>

#include "player/folder_removal_win.h"
#include "player/work_folder_win.h"
#include "tests/player/book_maker.h"
#include "tests/player/sandbox_paths.h"

namespace {

class FolderRemoval : public ::testing::Test {
protected:
    FolderRemoval() : Case(std::string("removal_") + ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

    // A tree with sub-folders, and read-only, hidden and system files and folders.
    std::string MakeTree(const std::string& name) {
        const std::string tree = Case.Root() + name;
        CreateDirectoryA(tree.c_str(), nullptr);
        WriteFiles(tree + "\\", {{"a.htm", "a"},
                                 {"sub\\b.htm", "b"},
                                 {"sub\\deeper\\c.bin", "c"},
                                 {"sub\\ro\\locked.txt", "ro"},
                                 {"\xB1\x5C\\d.htm", "d"}});
        SetFileAttributesA((tree + "\\a.htm").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        SetFileAttributesA((tree + "\\sub\\deeper\\c.bin").c_str(), FILE_ATTRIBUTE_SYSTEM);
        SetFileAttributesA((tree + "\\sub\\ro\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        SetFileAttributesA((tree + "\\sub\\ro").c_str(), FILE_ATTRIBUTE_READONLY);
        return tree;
    }

    CaseFolders Case;
};

TEST_F(FolderRemoval, TheSecondPassRemovesWhateverIsLeftReadOnlyFilesIncluded) {
    const std::string tree = MakeTree("tree");
    EXPECT_TRUE(DeleteFolderTree(tree));
    EXPECT_FALSE(PathExists(tree));
    EXPECT_TRUE(DeleteFolderTree(tree)) << "a folder that is gone counts as removed";
    EXPECT_TRUE(Case.SentinelsIntact());
}

TEST_F(FolderRemoval, ShellDeleteThenSecondPassLeaveNothing) {
    const std::string tree = MakeTree("tree");
    ShellDeleteFolder(tree);
    DeleteFolderTree(tree);
    EXPECT_FALSE(PathExists(tree));
    EXPECT_TRUE(Case.SentinelsIntact());
}

TEST_F(FolderRemoval, RootsRelativePathsAndWildcardsAreRefused) {
    const std::string cwd = Case.Cwd();
    ASSERT_TRUE(SetCurrentDirectoryA(cwd.c_str()));
    WriteFiles(cwd, {{"inner\\keep.txt", "keep"}});
    const std::string up = cwd + "inner\\..\\..";   // the case's folder, through ".."
    for (const std::string& path : {std::string(), std::string("\\"), std::string("/"), std::string("Z:"),
                                    std::string("Z:\\"), std::string("C:\\"), std::string("inner"),
                                    std::string("..\\cwd"), std::string("Z:inner"), std::string("Z:\\*"),
                                    std::string("Z:\\removal_*"), up}) {
        EXPECT_FALSE(DeleteFolderTree(path)) << path;
        EXPECT_FALSE(ShellDeleteFolder(path)) << path;
    }
    SetCurrentDirectoryA("Z:\\");
    EXPECT_TRUE(PathExists(cwd + "inner\\keep.txt"));
    EXPECT_TRUE(Case.SentinelsIntact());
    EXPECT_TRUE(PathExists("Z:\\qvplay.exe"));
}

TEST_F(FolderRemoval, AFileIsNotAFolderTree) {
    const std::string file = Case.Root() + "file.exe";
    WriteWholeFile(file, "x");
    EXPECT_FALSE(DeleteFolderTree(file));
    EXPECT_TRUE(PathExists(file));
}

TEST_F(FolderRemoval, ALinkedFolderIsRemovedAsALinkNotFollowed) {
    const std::string outside = Case.Root() + "outside";
    WriteFiles(Case.Root(), {{"outside\\precious.txt", "precious"}});
    const std::string tree = MakeTree("tree");
    const std::string link = tree + "\\link";
    if (!CreateSymbolicLinkA(link.c_str(), outside.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)) {
        DeleteFolderTree(tree);
        GTEST_SKIP() << "this system makes no folder links (error " << GetLastError() << ")";
    }
    const DWORD a = GetFileAttributesA(link.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_REPARSE_POINT)) {
        DeleteFolderTree(tree);
        GTEST_SKIP() << "the link does not read back as a reparse point";
    }
    EXPECT_TRUE(DeleteFolderTree(tree));
    EXPECT_FALSE(PathExists(tree));
    EXPECT_EQ(ReadWholeFile(outside + "\\precious.txt"), "precious");
}

TEST_F(FolderRemoval, TheTemporaryFolderIsAbsoluteAndEndsInASeparator) {
    const AnsiString temp = GetTempFolder();
    ASSERT_GE(temp.size(), 3u);
    EXPECT_EQ(temp[1], ':');
    EXPECT_EQ(temp.back(), '\\');
}

TEST_F(FolderRemoval, AWorkFolderInUseIsPassedOverForASuffixedOne) {
    const std::string temp = Case.Tmp();
    TWorkFolderClaim first, second;
    ASSERT_TRUE(first.Claim(temp, "book.exe"));
    EXPECT_EQ(first.GetFolder(), temp + "book.exe");
    EXPECT_TRUE(IsFolder(temp + "book.exe"));
    ASSERT_TRUE(second.Claim(temp, "BOOK.EXE")) << "the same folder in other letters";
    EXPECT_EQ(second.GetFolder(), temp + "BOOK.EXE-2");
    EXPECT_TRUE(IsFolder(temp + "BOOK.EXE-2"));

    first.Release();
    TWorkFolderClaim third;
    ASSERT_TRUE(third.Claim(temp, "book.exe")) << "a released folder is free again";
    EXPECT_EQ(third.GetFolder(), temp + "book.exe");
}

TEST_F(FolderRemoval, NamesTakenByFilesOrLinksArePassedOver) {
    const std::string temp = Case.Tmp();
    WriteWholeFile(temp + "file.exe", "a file with the folder's name");
    TWorkFolderClaim claim;
    ASSERT_TRUE(claim.Claim(temp, "file.exe"));
    EXPECT_EQ(claim.GetFolder(), temp + "file.exe-2");
    EXPECT_EQ(ReadWholeFile(temp + "file.exe"), "a file with the folder's name");

    CreateDirectoryA((temp + "dir.exe.tmp").c_str(), nullptr);   // no room for the temporary archive
    TWorkFolderClaim other;
    ASSERT_TRUE(other.Claim(temp, "dir.exe"));
    EXPECT_EQ(other.GetFolder(), temp + "dir.exe-2");

    TWorkFolderClaim none;
    EXPECT_FALSE(none.Claim("", "x.exe"));
    EXPECT_FALSE(none.Claim(temp, ""));
    EXPECT_FALSE(none.Claim(temp, "..")) << "not a plain name";
    EXPECT_FALSE(none.Claim("relative\\", "x.exe"));
}

}  // namespace
