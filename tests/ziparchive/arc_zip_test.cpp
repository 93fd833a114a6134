// The writer component: defaults and linked setters, stored paths, and the expansion of
// the file list on real folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "classlib/file_find.h"
#include "tests/ziparchive/zip_writer_support.h"
#include "ziparchive/arc_zip.h"
#include "ziparchive/stored_path.h"
#include "ziparchive/writer_platform.h"

namespace {

const std::string kTrail = "\x81\x5C";          // a character whose trail byte is "\"
const std::string kGbk = "\xD6\xD0\xCE\xC4";    // two ordinary double-byte characters

TEST(TMultiZipInfo, DefaultsAndAssign) {
    TMultiZipInfo a;
    EXPECT_EQ(a.GetBlockSize(), 1457600);
    EXPECT_EQ(a.GetFirstBlockSize(), 0);
    EXPECT_EQ(a.GetSaveOnFirstDisk(), 0);
    EXPECT_FALSE(a.GetSaveZipInfoOnFirstDisk());
    EXPECT_EQ(a.GetMultiMode(), mmNone);
    EXPECT_TRUE(a.GetCheckDiskLabels());
    EXPECT_TRUE(a.GetWriteDiskLabels());

    TMultiZipInfo b;
    b.SetBlockSize(100);
    b.SetFirstBlockSize(50);
    b.SetSaveOnFirstDisk(7);
    b.SetSaveZipInfoOnFirstDisk(true);
    b.SetMultiMode(mmBlocks);
    b.SetCheckDiskLabels(false);
    b.SetWriteDiskLabels(false);
    a.Assign(&b);
    EXPECT_EQ(a.GetBlockSize(), 100);
    EXPECT_EQ(a.GetFirstBlockSize(), 50);
    EXPECT_EQ(a.GetSaveOnFirstDisk(), 7);
    EXPECT_TRUE(a.GetSaveZipInfoOnFirstDisk());
    EXPECT_EQ(a.GetMultiMode(), mmBlocks);
    EXPECT_FALSE(a.GetCheckDiskLabels());
    EXPECT_FALSE(a.GetWriteDiskLabels());

    TStringList other;
    EXPECT_THROW(a.Assign(&other), EConvertError);
}

TEST(TArcZip, NewComponentDefaults) {
    TArcZip z(nullptr);
    EXPECT_STREQ(z.ClassName(), "TArcZip");
    EXPECT_EQ(z.GetPackLevel(), 6);
    EXPECT_FALSE(z.GetRecurse());
    EXPECT_FALSE(z.GetDispose());
    EXPECT_FALSE(z.GetStorePaths());
    EXPECT_FALSE(z.GetRelativePaths());
    EXPECT_FALSE(z.GetStoreVolumes());
    EXPECT_EQ(z.GetZipAction(), zaUpdate);
    EXPECT_FALSE(z.GetStore83Names());
    EXPECT_EQ(z.GetTempPath(), "");
    EXPECT_EQ(z.GetExcludeList()->Count(), 0);
    EXPECT_EQ(z.GetNoCompressList()->Count(), 0);
    EXPECT_TRUE(z.GetIncludeReadOnlyFiles());
    EXPECT_TRUE(z.GetIncludeArchiveFiles());
    EXPECT_FALSE(z.GetIncludeHiddenFiles());
    EXPECT_FALSE(z.GetIncludeSysFiles());
    EXPECT_EQ(z.GetSearchAttributes(), 0x39u);
    EXPECT_EQ(z.SourceOpenMode, 0x40u);
    EXPECT_EQ(z.GetMultiZipInfo()->GetBlockSize(), 1457600);
    EXPECT_EQ(z.GetMultiMode(), mmNone);
    EXPECT_TRUE(z.GetCheckDiskLabels());
}

TEST(TArcZip, LinkedSetters) {
    {
        TArcZip z(nullptr);
        z.SetRelativePaths(true);
        EXPECT_TRUE(z.GetStorePaths());
        EXPECT_TRUE(z.GetRecurse());
        z.SetStoreVolumes(true);
        z.SetStorePaths(false);
        EXPECT_FALSE(z.GetRelativePaths());
        EXPECT_FALSE(z.GetStoreVolumes());
        EXPECT_TRUE(z.GetRecurse());
    }
    {
        TArcZip z(nullptr);
        z.SetStoreVolumes(true);
        EXPECT_TRUE(z.GetStorePaths());
        z.SetStoreVolumes(false);
        EXPECT_TRUE(z.GetStorePaths());   // never touched by clearing StoreVolumes
        z.SetRelativePaths(true);
        z.SetRelativePaths(false);
        EXPECT_TRUE(z.GetStorePaths());
        EXPECT_TRUE(z.GetRecurse());
    }
    {
        TArcZip z(nullptr);
        z.SetIncludeHiddenFiles(true);
        z.SetIncludeSysFiles(true);
        EXPECT_EQ(z.GetSearchAttributes(), 0x3Fu);
        z.SetIncludeReadOnlyFiles(false);
        z.SetIncludeArchiveFiles(false);
        EXPECT_EQ(z.GetSearchAttributes(), 0x1Eu);
    }
}

TEST(TArcZip, MultiPartPropertiesLiveInMultiZipInfo) {
    TArcZip z(nullptr);
    z.SetMultiMode(mmBlocks);
    EXPECT_EQ(z.GetMultiZipInfo()->GetMultiMode(), mmBlocks);
    z.SetCheckDiskLabels(false);
    EXPECT_FALSE(z.GetMultiZipInfo()->GetCheckDiskLabels());

    TMultiZipInfo stored;
    stored.SetMultiMode(mmSpan);
    stored.SetCheckDiskLabels(true);
    z.SetMultiZipInfo(&stored);
    z.Loaded();
    EXPECT_EQ(z.GetMultiMode(), mmSpan);
    EXPECT_TRUE(z.GetCheckDiskLabels());
}

TEST(TArcZip, AssignCopiesWriterSettingsButNotSearchAttributes) {
    TArcZip src(nullptr), dst(nullptr);
    src.SetPackLevel(9);
    src.SetRelativePaths(true);
    src.SetZipAction(zaReplace);
    src.SetTempPath("T:\\tmp\\");
    src.GetExcludeList()->Add("*.bak");
    src.GetNoCompressList()->Add("*.png");
    src.GetMultiZipInfo()->SetBlockSize(99);
    src.SetIncludeHiddenFiles(true);
    int fired = 0;
    src.OnZipComplete = [&](TObject*, int) { ++fired; };
    src.OnRecursingFile = [&](TObject*, const AnsiString&) { ++fired; };
    dst.Assign(&src);
    EXPECT_EQ(dst.GetPackLevel(), 9);
    EXPECT_TRUE(dst.GetRelativePaths());
    EXPECT_TRUE(dst.GetStorePaths());
    EXPECT_EQ(dst.GetZipAction(), zaReplace);
    EXPECT_EQ(dst.GetTempPath(), "T:\\tmp\\");
    EXPECT_EQ(dst.GetExcludeList()->Get(0), "*.bak");
    EXPECT_EQ(dst.GetNoCompressList()->Get(0), "*.png");
    EXPECT_EQ(dst.GetMultiZipInfo()->GetBlockSize(), 99);
    EXPECT_FALSE(dst.GetIncludeHiddenFiles());
    EXPECT_TRUE(static_cast<bool>(dst.OnZipComplete));
    EXPECT_FALSE(static_cast<bool>(dst.OnRecursingFile));
}

// ---- stored paths -------------------------------------------------------------------------

TEST(StoredDirectory, Table) {
    TStringList site;
    site.Add("C:\\site\\");
    TStringList gbkRoot;
    gbkRoot.Add("C:\\" + kTrail + "\\");
    TStringList noSlash;
    noSlash.Add("C:\\ab");
    TStringList wideSite;
    wideSite.Add("C:\\ｓｉｔｅ\\");
    struct Case {
        const char* label;
        std::string path;
        bool store, relative, volumes;
        const TStrings* list;
        std::string want;
    } cases[] = {
        {"no paths", "C:\\data\\x.txt", false, false, false, nullptr, ""},
        {"folder without drive", "C:\\data\\x.txt", true, false, false, nullptr, "data\\"},
        {"folder with drive", "C:\\data\\x.txt", true, false, true, nullptr, "C:\\data\\"},
        {"drive root", "C:\\x.txt", true, false, false, nullptr, ""},
        {"drive root kept", "C:\\x.txt", true, false, true, nullptr, "C:\\"},
        {"UNC share", "\\\\server\\share\\d\\x.txt", true, false, false, nullptr, "d\\"},
        {"relative", "C:\\site\\img\\a.gif", true, true, false, &site, "img\\"},
        {"relative top", "C:\\site\\index.htm", true, true, false, &site, ""},
        {"relative other case", "c:\\SITE\\img\\a.gif", true, true, false, &site, "img\\"},
        {"relative, double-byte letters in other case", "C:\\ＳＩＴＥ\\img\\a.gif", true, true, false, &wideSite,
         "img\\"},
        // A path outside the root keeps its folder: the prefix is compared, not just cut.
        {"outside the root", "D:\\other\\x.txt", true, true, false, &site, "other\\"},
        {"outside, shorter", "C:\\s\\x.txt", true, true, false, &site, "s\\"},
        {"folder entry", "C:\\site\\img\\", true, true, false, &site, "img\\"},
        {"GBK root", "C:\\" + kTrail + "\\" + kGbk + "\\a.txt", true, true, false, &gbkRoot, kGbk + "\\"},
        {"GBK trail in folder", "C:\\" + kTrail + "\\a.txt", true, false, false, nullptr, kTrail + "\\"},
        {"GBK trail as last byte of name", "C:\\d\\" + kTrail, true, false, false, nullptr, "d\\"},
        // A prefix that would end inside a double-byte character does not match.
        {"prefix splits a character", "C:\\a\x81\x62\\x.txt", true, true, false, &noSlash, "a\x81\x62\\"},
    };
    for (const Case& c : cases) {
        TStoredPathRules r;
        r.StorePaths = c.store;
        r.RelativePaths = c.relative;
        r.StoreVolumes = c.volumes;
        r.RelativePathList = c.list;
        EXPECT_EQ(StoredDirectory(c.path, r), c.want) << c.label;
    }
}

TEST(TArcZip, BuildStoredPathAndStoredNameFollowOneRule) {
    TArcZip z(nullptr);
    z.SetOEMConvert(oemNever);
    z.SetRootDir("C:\\site");
    z.SetRelativePaths(true);
    AnsiString dir, name;
    for (const std::string& path : {std::string("C:\\site\\img\\a.gif"), std::string("D:\\elsewhere\\b.txt"),
                                    std::string("C:\\site\\") + kTrail + "\\c.htm"}) {
        z.MakeStoredName(path, dir, name);
        EXPECT_EQ(dir, z.BuildStoredPath(path)) << path;
        EXPECT_EQ(name, ExtractFileName(path)) << path;
    }
    EXPECT_EQ(z.BuildStoredPath("D:\\elsewhere\\b.txt"), "elsewhere\\");
    z.MakeStoredName("C:\\site\\img\\", dir, name);
    EXPECT_EQ(dir, "img\\");
    EXPECT_EQ(name, "");
}

// ---- file list expansion --------------------------------------------------------------------

class FileListTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = WinDir(tmp) + "site\\";
        MakeTree(root, {{"index.htm", "i"},
                        {"a.txt", "aa"},
                        {"old.bak", "b"},
                        {"img\\a.gif", "gif"},
                        {"img\\deep\\b.txt", "bbb"},
                        {"empty\\", ""},
                        {kGbk + kTrail + "\\" + kTrail + ".txt", "g"}});
        zip.SetOEMConvert(oemNever);
        zip.SetRootDir(root);
        zip.OnRecursingFile = [this](TObject*, const AnsiString& n) { met.push_back(n); };
        zip.OnNoSuchFile = [this](TObject*, const AnsiString& n) { missing.push_back(n); };
        zip.OnSkippingFile = [this](TObject*, TSkipReason r, const AnsiString& n, int index, bool&) {
            skipped.push_back(n);
            reasons.push_back(r);
            EXPECT_EQ(index, -1);
        };
    }
    std::set<std::string> Listed() const {
        std::set<std::string> s;
        for (int i = 0; i < zip.GetFilesList()->Count(); ++i) s.insert(zip.GetFilesList()->Get(i));
        return s;
    }

    TempDir tmp;
    std::string root;
    TArcZip zip{nullptr};
    std::vector<std::string> met, missing, skipped;
    std::vector<TSkipReason> reasons;
};

TEST_F(FileListTest, RecursionPrefixesOverrideRecurse) {
    zip.SetRecurse(false);
    zip.GetFilesList()->Add(">" + root + "*.txt");
    zip.ExpandFilesList();
    EXPECT_EQ(Listed(), (std::set<std::string>{root + "a.txt", root + "img\\deep\\b.txt",
                                                root + kGbk + kTrail + "\\" + kTrail + ".txt"}));
    EXPECT_EQ(zip.GetTotalBytes(), 2 + 3 + 1);

    zip.GetFilesList()->Clear();
    zip.SetRecurse(true);
    zip.GetFilesList()->Add("|" + root + "*.txt");
    zip.ExpandFilesList();
    EXPECT_EQ(Listed(), (std::set<std::string>{root + "a.txt"}));
}

TEST_F(FileListTest, WholeTreeWithoutAndWithFolderEntries) {
    zip.SetRecurse(true);
    zip.GetFilesList()->Add(root + "*.*");
    zip.ExpandFilesList();
    EXPECT_EQ(Listed().size(), 6u);
    EXPECT_EQ(Listed().count(root + "img\\"), 0u);
    // Every name met, folders included, was announced.
    EXPECT_NE(std::find(met.begin(), met.end(), root + "img\\"), met.end());
    EXPECT_EQ(met.size(), 6u + 4u);

    zip.GetFilesList()->Clear();
    zip.SetAddDirEntriesOnRecurse(true);
    zip.GetFilesList()->Add(root + "*.*");
    zip.ExpandFilesList();
    EXPECT_EQ(Listed().size(), 6u + 4u);
    EXPECT_EQ(Listed().count(root + "empty\\"), 1u);
}

TEST_F(FileListTest, PlainNamesFolderEntriesAndMissingFiles) {
    zip.GetFilesList()->Add("a.txt");               // looked up in RootDir
    zip.GetFilesList()->Add(root + "img\\");        // a folder entry stays as it is
    zip.GetFilesList()->Add(root + "nothing.txt");  // reported, dropped
    zip.GetFilesList()->Add(root + "nofolder\\*.*");
    zip.ExpandFilesList();
    EXPECT_EQ(Listed(), (std::set<std::string>{root + "a.txt", root + "img\\"}));
    EXPECT_EQ(missing, (std::vector<std::string>{root + "nothing.txt", root + "nofolder\\*.*"}));
}

TEST_F(FileListTest, ExcludeListAndTheArchiveItself) {
    WriteFileBytes(root + "out.zip", "not yet an archive");
    zip.SetZipName(root + "OUT.ZIP");
    zip.SetRecurse(true);
    zip.GetExcludeList()->Add("*.BAK");
    zip.GetExcludeList()->Add(root + "img\\*");
    zip.GetFilesList()->Add(root + "*.*");
    zip.GetFilesList()->Add(root + "old.bak");
    zip.ExpandFilesList();
    std::set<std::string> got = Listed();
    EXPECT_EQ(got.count(root + "old.bak"), 0u);
    EXPECT_EQ(got.count(root + "img\\a.gif"), 0u);
    EXPECT_EQ(got.count(root + "img\\deep\\b.txt"), 0u);
    EXPECT_EQ(got.count(root + "out.zip"), 0u);   // dropped without an event
    EXPECT_EQ(got.count(root + "a.txt"), 1u);
    EXPECT_EQ(std::count(reasons.begin(), reasons.end(), srExcludeList), 4);
    EXPECT_EQ(std::count(skipped.begin(), skipped.end(), root + "out.zip"), 0);
}

// The archive itself named in the other case of its double-byte letters is still itself.
TEST_F(FileListTest, TheArchiveItselfInOtherLetterCaseOfTheCodePage) {
    if (!CanUseGbkNames(WinDir(tmp))) GTEST_SKIP() << "code page 936 names cannot be made here";
    struct TRow {
        const char* Label;
        std::string OnDisk, Named;
    } rows[] = {{"fullwidth Latin", "ａｒｃ.zip", "ＡＲＣ.ZIP"}, {"Cyrillic", "яж.zip", "ЯЖ.zip"}};
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Label);
        WriteFileBytes(root + row.OnDisk, "not yet an archive");
        zip.SetZipName(root + row.Named);
        zip.SetRecurse(true);
        zip.GetFilesList()->Clear();
        zip.GetFilesList()->Add(root + "*.*");
        zip.ExpandFilesList();
        EXPECT_EQ(Listed().count(root + row.OnDisk), 0u);
        EXPECT_EQ(Listed().count(root + "a.txt"), 1u);
        RemoveFile(root + row.OnDisk);
    }
}

TEST_F(FileListTest, HiddenFilesNeedIncludeHiddenFiles) {
#ifndef _WIN32
    GTEST_SKIP() << "hidden files exist on Windows only";
#else
    ASSERT_TRUE(writer_platform::FileSetAttr(root + "a.txt", faHidden));
    zip.GetFilesList()->Add(root + "*.txt");
    zip.ExpandFilesList();
    EXPECT_EQ(Listed().count(root + "a.txt"), 0u);
    zip.GetFilesList()->Clear();
    zip.SetIncludeHiddenFiles(true);
    zip.GetFilesList()->Add(root + "*.txt");
    zip.ExpandFilesList();
    EXPECT_EQ(Listed().count(root + "a.txt"), 1u);
#endif
}

TEST_F(FileListTest, ArchiveBitTest) {
#ifndef _WIN32
    GTEST_SKIP() << "the archive attribute exists on Windows only";
#else
    ASSERT_TRUE(writer_platform::FileSetAttr(root + "a.txt", 0x80));   // normal: archive bit clear
    if (writer_platform::FileGetAttr(root + "a.txt") & TArcZip::kArchiveBit)
        GTEST_SKIP() << "this file system keeps no archive attribute (Wine reports it always set)";
    zip.SetSkipIfArchiveBitNotSet(true);
    zip.GetFilesList()->Add(root + "*.txt");
    zip.GetFilesList()->Add(root + "index.htm");
    zip.ExpandFilesList();
    EXPECT_EQ(Listed(), (std::set<std::string>{root + "index.htm"}));
    EXPECT_EQ(reasons, (std::vector<TSkipReason>{srArchiveBitNotSet}));
#endif
}

}  // namespace
