// Archives written by the writer, checked by tools that no one here wrote: Python's
// zipfile reads every entry back byte for byte (tests/ziparchive/zip_check.py), Info-ZIP
// unzip and 7z test them. Native build only: the tools are Linux programs. (Under Wine
// the same checks run on ziptool's archives: ziptool_create_test.py.)
#include <gtest/gtest.h>

#include "tests/ziparchive/tool_run.h"
#include "tests/ziparchive/zip_writer_support.h"
#include "ziparchive/arc_zip.h"

namespace {

const std::string kTrail = "\x81\x5C";
const std::string kGbk = "\xD6\xD0\xCE\xC4";

// Runs zip_check.py with unzip and 7z; the folder and archive as native paths.
TToolRun CheckArchive(const std::string& archive, const std::string& folder, const std::string& password) {
    std::string cmd = "python3 '" PW_SOURCE_DIR "/tests/ziparchive/zip_check.py' --tools '" + archive + "' '" +
                      folder + "'";
    if (!password.empty()) cmd += " --password '" + password + "'";
    return RunTool(cmd);
}

#define EXPECT_TOOLS_ACCEPT(archive, folder, password)                           \
    do {                                                                          \
        TToolRun r_ = CheckArchive(archive, folder, password);               \
        if (r_.Status == 77) GTEST_SKIP() << r_.Output;                          \
        EXPECT_EQ(r_.Status, 0) << r_.Output;                                    \
    } while (0)

std::string Native(const std::string& winPath) { return ReplaceSingleByteChar(winPath, '\\', '/'); }

struct TToolCase {
    int Level;
    const char* Password;
};

class ToolsAcceptTest : public ::testing::TestWithParam<TToolCase> {};

TEST_P(ToolsAcceptTest, NestedFoldersEmptyFilesAndGbkNames) {
    const TToolCase c = GetParam();
    TempDir tmp;
    const std::string site = WinDir(tmp) + "site\\", archive = WinDir(tmp) + "out.zip";
    MakeTree(site, {{"index.htm", TextBytes(300000)},
                    {"zero.txt", ""},
                    {"css\\style.css", TextBytes(7000, 3)},
                    {"img\\photo.jpg", RandomBytes(250000)},
                    {"img\\deep\\er\\tiny.gif", "GIF89a"},
                    {kGbk + "\\" + kTrail + kGbk + ".htm", TextBytes(1000, 5)},
                    {kTrail + "\\" + kTrail, RandomBytes(70000, 9)}});
    TArcZip zip(nullptr);
    UseBuilderSettings(zip, site, archive, c.Password, c.Level);
    ASSERT_EQ(zip.Zip(), 7);
    EXPECT_TOOLS_ACCEPT(Native(archive), Native(site), c.Password);
}

INSTANTIATE_TEST_SUITE_P(Levels, ToolsAcceptTest,
                         ::testing::Values(TToolCase{0, ""}, TToolCase{1, ""}, TToolCase{6, ""}, TToolCase{9, ""},
                                           TToolCase{0, "p@ss word"}, TToolCase{1, "secret"},
                                           TToolCase{6, "secret"}, TToolCase{9, "secret"}),
                         [](const ::testing::TestParamInfo<TToolCase>& i) {
                             return "Level" + std::to_string(i.param.Level) + (*i.param.Password ? "Password" : "");
                         });

// More than 65535 entries: the counts live in the zip64 end record.
TEST(ToolsAccept, ManyEntriesNeedTheZip64EndRecord) {
    TempDir tmp;
    const std::string site = WinDir(tmp) + "many\\", archive = WinDir(tmp) + "many.zip";
    const int kFolders = 66, kPerFolder = 1000;
    for (int d = 0; d < kFolders; ++d) {
        const std::string dir = site + "d" + std::to_string(d) + "\\";
        ForceDirectories(dir);
        for (int f = 0; f < kPerFolder; ++f) {
            const std::string name = "f" + std::to_string(f) + ".txt";
            WriteFileBytes(dir + name, name);
        }
    }
    TArcZip zip(nullptr);
    UseBuilderSettings(zip, site, archive, "pw", 0);
    ASSERT_EQ(zip.Zip(), kFolders * kPerFolder);
    EXPECT_EQ(zip.GetEndRecord()->GetTotalEntries(), uint64_t(kFolders * kPerFolder));

    const TRawArchive a = ParseArchive(ReadFileBytes(archive));
    ASSERT_EQ(a.Error, "");
    EXPECT_TRUE(a.HasZip64End);
    EXPECT_EQ(a.TotalEntries, uint64_t(kFolders * kPerFolder));

    TArcUnZip r(nullptr);
    r.SetZipName(archive);
    r.OpenZip();
    EXPECT_EQ(r.EntryCount(), kFolders * kPerFolder);
    EXPECT_EQ(r.GetEndRecord()->TotalEntriesField, 0xFFFF);
    EXPECT_EQ(r.GetEndRecord()->GetTotalEntries(), uint64_t(kFolders * kPerFolder));
    EXPECT_TOOLS_ACCEPT(Native(archive), Native(site), "pw");
}

class TZip64Zip : public TArcZip {
public:
    TZip64Zip() : TArcZip(nullptr) {}
    bool NeedsLocalZip64(int64_t) const override { return true; }
};

// Local headers with the zip64 block (written as for a file near 4 GiB) read as usual.
TEST(ToolsAccept, LocalZip64Headers) {
    TempDir tmp;
    const std::string site = WinDir(tmp) + "site\\", archive = WinDir(tmp) + "z64.zip";
    MakeTree(site, {{"a.htm", TextBytes(90000)}, {"b.bin", RandomBytes(90000)}, {"zero", ""}});
    TZip64Zip zip;
    UseBuilderSettings(zip, site, archive, "secret", 6);
    ASSERT_EQ(zip.Zip(), 3);
    EXPECT_TOOLS_ACCEPT(Native(archive), Native(site), "secret");
}

}  // namespace
