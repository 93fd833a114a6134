// Spanned archives on a drive that Wine treats as a floppy (A:, set up by
// span_floppy_prefix.sh in a prefix of its own): disks are labelled PKBACK# 001, 002, ...,
// a fixed drive (D:) is not labelled, and the same disk offered again is asked for again a
// bounded number of times, never overwritten. The small disks are the writer's free-space
// query answered by the test.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/ziparchive/zip_writer_support.h"
#include "ziparchive/arc_zip.h"

namespace {

// Disks that hold Free bytes each.
class TSmallDisks : public TArcZip {
public:
    TSmallDisks() : TArcZip(nullptr) {}
    int64_t FreeSpaceOfZipDrive() override { return Free; }
    int64_t Free = 70000;
};

// The Unix folder behind a drive, as a Windows path through Z:.
std::string UnixFolder(const char* variable) {
    const char* v = std::getenv(variable);
    return v ? "Z:" + ReplaceSingleByteChar(v, '/', '\\') + "\\" : std::string();
}

std::string LabelFile(const std::string& folder) {
    const std::string name = folder + ".windows-label";
    return FileExists(name) ? Trim(ReadFileBytes(name)) : std::string("(none)");
}

class SpanTest : public ::testing::Test {
protected:
    void SetUp() override {
        floppy = UnixFolder("PW_SPAN_FLOPPY");
        fixed = UnixFolder("PW_SPAN_FIXED");
        if (floppy.empty() || fixed.empty()) GTEST_SKIP() << "run through span_floppy_prefix.sh";
        site = WinDir(tmp) + "site\\";
        MakeTree(site, {{"a.bin", RandomBytes(150000, 1)}, {"b.txt", TextBytes(2000)}});
        zip.SetTempPath(WinDir(tmp));
    }
    TempDir tmp;
    std::string floppy, fixed, site;
    TSmallDisks zip;
};

TEST_F(SpanTest, FloppyDisksAreLabelledInTurn) {
    std::vector<std::string> labelsBeforeDisk;
    // Each new disk is a folder of its own on the same drive (the file name is the same).
    zip.OnGetNextDisk = [](TObject*, int n, AnsiString& name) {
        name = n == 1 ? AnsiString("A:\\set.zip") : "A:\\disk" + IntToStr(n) + "\\set.zip";
        ForceDirectories(ExtractFilePath(name));
    };
    zip.OnPrepareNextDisk = [&](TObject*, int n) { labelsBeforeDisk.push_back(IntToStr(n) + " " + LabelFile(floppy)); };
    UseBuilderSettings(zip, site, "A:\\set.zip", "", 0);
    zip.SetMultiMode(mmSpan);
    EXPECT_EQ(zip.Zip(), 2);
    ASSERT_GE(labelsBeforeDisk.size(), 3u);
    EXPECT_EQ(labelsBeforeDisk[1], "2 PKBACK# 001");
    EXPECT_EQ(labelsBeforeDisk[2], "3 PKBACK# 002");
    EXPECT_EQ(LabelFile(floppy), "PKBACK# 00" + IntToStr(static_cast<int>(labelsBeforeDisk.size())));
    EXPECT_EQ(ReadFileBytes("A:\\set.zip").substr(0, 4), std::string("PK\x07\x08", 4));
}

TEST_F(SpanTest, AFixedDriveIsNotLabelled) {
    zip.OnGetNextDisk = [](TObject*, int n, AnsiString& name) {
        name = "D:\\disk" + IntToStr(n) + "\\set.zip";
        ForceDirectories(ExtractFilePath(name));
    };
    UseBuilderSettings(zip, site, "D:\\disk1\\set.zip", "", 0);
    zip.SetMultiMode(mmSpan);
    EXPECT_EQ(zip.Zip(), 2);
    EXPECT_EQ(LabelFile(fixed), "(none)");
}

// The disk just written offered again (same file, same volume): asked again, at most ten
// times, then the run is cancelled; the disk is never taken for the next one.
TEST_F(SpanTest, TheSameDiskOfferedAgainIsAskedForAgainABoundedNumberOfTimes) {
    int asked = 0;
    zip.OnGetNextDisk = [&](TObject*, int n, AnsiString& name) {
        if (n > 1) {
            ++asked;
            EXPECT_TRUE(FileExists("A:\\set.zip"));   // disk 1 is still there at every request
        }
        name = "A:\\set.zip";
    };
    UseBuilderSettings(zip, site, "A:\\set.zip", "", 0);
    zip.SetMultiMode(mmSpan);
    try {
        zip.Zip();
        ADD_FAILURE() << "no exception";
    } catch (const EUserCanceled& e) {
        EXPECT_EQ(e.Message, "User canceled Zip operation");
    }
    EXPECT_EQ(asked, TArcUnZip::kMaxNextDiskTries);
}

}  // namespace
