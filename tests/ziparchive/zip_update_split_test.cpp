// Updating archives and writing split sets, checked against tools no one here wrote:
// Info-ZIP zip -u / -f make the reference merges, 7z and Info-ZIP read our part files, and
// ours reads Info-ZIP's split sets and 7-Zip's UTF-8 names. Native build only (the tools
// are Linux programs); a missing tool skips its test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <set>

#include "classlib/file_find.h"
#include "tests/ziparchive/tool_run.h"
#include "tests/ziparchive/zip_writer_support.h"
#include "ziparchive/arc_zip.h"
#include "ziparchive/multi_zip_info.h"

namespace {

bool HaveTool(const char* name) { return RunTool(std::string("command -v ") + name).Status == 0; }

#define REQUIRE_TOOL(name) \
    if (!HaveTool(name)) GTEST_SKIP() << name << " is not installed"

std::string Native(const std::string& winPath) { return ReplaceSingleByteChar(winPath, '\\', '/'); }
std::string Q(const std::string& winPath) { return "'" + Native(winPath) + "'"; }

std::vector<std::string> Names(const TRawArchive& a) {
    std::vector<std::string> n;
    for (const TRawEntry& e : a.Entries) n.push_back(e.Name);
    return n;
}

// A site, an Info-ZIP archive of it, a copy for ours, and the two merges compared.
class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        site = WinDir(tmp) + "site\\";
        theirs = WinDir(tmp) + "theirs.zip";
        ours = WinDir(tmp) + "ours.zip";
        const int64_t old = time(nullptr) - 3600;
        MakeTree(site, {{"a.htm", TextBytes(20000, 1)},
                        {"b.css", TextBytes(3000, 2)},
                        {"img\\c.jpg", RandomBytes(40000, 3)},
                        {"img\\d.gif", "GIF89a"},
                        {"e.js", TextBytes(9000, 5)}});
        for (const char* f : {"a.htm", "b.css", "img\\c.jpg", "img\\d.gif", "e.js"}) SetFileWriteTime(site + f, old);
    }
    // Info-ZIP makes the old archive (with Options) and we take a copy of it.
    void MakeOld(const std::string& options) {
        ASSERT_EQ(RunTool("cd " + Q(site) + " && zip -q -r -D " + options + " " + Q(theirs) + " .").Status, 0);
        WriteFileBytes(ours, ReadFileBytes(theirs));
    }
    int OurMerge(TZipAction action, const std::string& password = "") {
        TArcZip zip(nullptr);
        zip.SetTempPath(WinDir(tmp));
        UseBuilderSettings(zip, site, ours, password, 6);
        zip.SetZipAction(action);
        zip.OnUpdate = [&](TObject*, TUpdateAction a, int) { (a == uaKeeping ? kept : replaced)++; };
        const int n = zip.Zip();
        endEntries = zip.GetEndRecord()->GetTotalEntries();
        return n;
    }
    void ExpectSameAsInfoZip(const std::string& zipOptions) {
        ASSERT_EQ(RunTool("cd " + Q(site) + " && zip -q -r -D " + zipOptions + " " + Q(theirs) + " .").Status, 0);
        const TRawArchive t = ParseArchive(ReadFileBytes(theirs)), o = ParseArchive(ReadFileBytes(ours));
        ASSERT_EQ(o.Error, "");
        // The old entries in their order; the new ones after them (in folder-walk order,
        // which differs between the two programs).
        std::vector<std::string> on = Names(o), tn = Names(t);
        ASSERT_EQ(on.size(), tn.size());
        const size_t oldCount = std::min<size_t>(5, on.size());
        EXPECT_TRUE(std::equal(on.begin(), on.begin() + oldCount, tn.begin()));
        std::sort(on.begin() + oldCount, on.end());
        std::sort(tn.begin() + oldCount, tn.end());
        EXPECT_EQ(on, tn);
        EXPECT_TRUE(ZkzFiles().empty());
    }
    std::vector<std::string> ZkzFiles() { return FilesIn(WinDir(tmp), "ZKZ*"); }

    TempDir tmp;
    std::string site, theirs, ours;
    int kept = 0, replaced = 0;
    uint64_t endEntries = 0;
};

TEST_F(UpdateTest, TwoNewFilesAndFiveKeptEntriesAsZipU) {
    REQUIRE_TOOL("zip");
    MakeOld("");
    const TRawArchive before = ParseArchive(ReadFileBytes(ours));
    WriteFileBytes(theirs + ".old", ReadFileBytes(ours));
    MakeTree(site, {{"new1.txt", "one"}, {"img\\new2.txt", "two"}});
    EXPECT_EQ(OurMerge(zaUpdate), 2);
    EXPECT_EQ(endEntries, 7u);
    EXPECT_EQ(kept, 5);
    ExpectSameAsInfoZip("-u");

    // Kept entries: data and local extra field byte for byte, the name's bytes as stored.
    const std::string was = ReadFileBytes(theirs + ".old");
    const std::string now = ReadFileBytes(ours);
    const TRawArchive after = ParseArchive(now);
    ASSERT_EQ(after.Entries.size(), 7u);
    for (size_t i = 0; i < before.Entries.size(); ++i) {
        const TRawEntry &b = before.Entries[i], &a = after.Entries[i];
        SCOPED_TRACE(b.Name);
        EXPECT_EQ(a.LocalName, b.LocalName);
        EXPECT_EQ(a.LocalExtra, b.LocalExtra);
        EXPECT_EQ(a.Crc, b.Crc);
        EXPECT_EQ(a.CompressedSize, b.CompressedSize);
        EXPECT_EQ(now.substr(a.DataOffset, a.CompressedSize), was.substr(b.DataOffset, b.CompressedSize));
    }
    EXPECT_EQ(RunTool("unzip -tq " + Q(ours)).Status, 0);
}

// The archive comment survives an update by a component that had not read the archive
// before (a program's fresh component), as it does zip -u; a comment that OnStartZipInfo
// gives the new archive takes its place.
TEST_F(UpdateTest, TheArchiveCommentIsKept) {
    REQUIRE_TOOL("zip");
    REQUIRE_TOOL("unzip");
    MakeOld("");
    const std::string comment = "Second printing, 2026";
    ASSERT_EQ(RunTool("printf '%s' '" + comment + "' | zip -zq " + Q(ours)).Status, 0);
    MakeTree(site, {{"new1.txt", "one"}});
    EXPECT_EQ(OurMerge(zaUpdate), 1);
    EXPECT_EQ(ParseArchive(ReadFileBytes(ours)).Comment, comment);
    const TToolRun z = RunTool("unzip -z " + Q(ours));
    EXPECT_EQ(z.Status, 0);
    EXPECT_NE(z.Output.find(comment), std::string::npos) << z.Output;
    EXPECT_EQ(RunTool("unzip -tq " + Q(ours)).Status, 0);

    MakeTree(site, {{"new2.txt", "two"}});
    TArcZip zip(nullptr);
    zip.SetTempPath(WinDir(tmp));
    UseBuilderSettings(zip, site, ours, "", 6);
    zip.OnStartZipInfo = [](TObject*, int, int64_t, TEndCentral& e, bool&) { e.SetComment("Third printing"); };
    EXPECT_EQ(zip.Zip(), 1);
    EXPECT_EQ(ParseArchive(ReadFileBytes(ours)).Comment, "Third printing");
    EXPECT_NE(RunTool("unzip -z " + Q(ours)).Output.find("Third printing"), std::string::npos);
}

// A component that holds the archive's directory (it wrote the archive, or opened it and
// read its comment) while another program adds or changes the comment: its next update
// keeps the comment as it is on disk, not the one it held.
TEST_F(UpdateTest, ACommentChangedOnDiskAfterTheDirectoryWasReadIsKept) {
    REQUIRE_TOOL("zip");
    REQUIRE_TOOL("unzip");
    struct TRow {
        const char* Label;
        bool Wrote;           // else opened
        const char* Before;   // the comment when the component reads the archive
        const char* After;    // the comment another program leaves
    } rows[] = {{"wrote it, comment added", true, "", "Added by another program"},
                {"wrote it, comment changed", true, "First words", "Other words, and more of them"},
                {"opened it, comment added", false, "", "Added by another program"},
                {"opened it, comment changed", false, "First words", "Other words, and more of them"}};
    int n = 0;
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Label);
        MakeOld("");
        const auto setComment = [&](const std::string& text) {
            ASSERT_EQ(RunTool("printf '%s' '" + text + "' | zip -zq " + Q(ours)).Status, 0);
        };
        if (*row.Before) setComment(row.Before);
        TArcZip zip(nullptr);
        zip.SetTempPath(WinDir(tmp));
        if (row.Wrote) {
            UseBuilderSettings(zip, site, ours, "", 6);
            zip.Zip();
        } else {
            zip.SetZipName(ours);
            zip.OpenZip();
            EXPECT_EQ(zip.ZipComment(), row.Before);
            zip.CloseZip();
        }
        setComment(row.After);
        const std::string added = "new" + std::to_string(++n) + ".txt";
        MakeTree(site, {{added, "new"}});
        UseBuilderSettings(zip, site, ours, "", 6);
        EXPECT_GE(zip.Zip(), 1);
        const TToolRun z = RunTool("unzip -z " + Q(ours));
        EXPECT_EQ(z.Status, 0);
        EXPECT_NE(z.Output.find(row.After), std::string::npos) << z.Output;
        if (*row.Before) {
            EXPECT_EQ(z.Output.find(row.Before), std::string::npos) << z.Output;
        }
        EXPECT_EQ(ParseArchive(ReadFileBytes(ours)).Comment, row.After);
        EXPECT_EQ(RunTool("unzip -tq " + Q(ours)).Status, 0);
    }
}

TEST_F(UpdateTest, NewerFilesReplaceTheirEntriesInPlace) {
    REQUIRE_TOOL("zip");
    MakeOld("");
    MakeTree(site, {{"b.css", "changed"}, {"z.txt", "new"}});
    SetFileWriteTime(site + "b.css", time(nullptr) + 60);
    EXPECT_EQ(OurMerge(zaUpdate), 2);
    EXPECT_EQ(replaced, 1);
    ExpectSameAsInfoZip("-u");
    const TRawArchive o = ParseArchive(ReadFileBytes(ours));
    EXPECT_EQ(FindEntry(o, "b.css")->UncompressedSize, 7u);
    EXPECT_EQ(Names(o).back(), "z.txt");
    EXPECT_EQ(RunTool("unzip -tq " + Q(ours)).Status, 0);
}

TEST_F(UpdateTest, FreshenReplacesOnlyNewerEntriesAsZipF) {
    REQUIRE_TOOL("zip");
    MakeOld("");
    MakeTree(site, {{"e.js", "changed"}, {"z.txt", "new"}});
    SetFileWriteTime(site + "e.js", time(nullptr) + 60);
    EXPECT_EQ(OurMerge(zaFreshen), 1);
    ExpectSameAsInfoZip("-f");
    EXPECT_EQ(endEntries, 5u);
}

TEST_F(UpdateTest, ReplaceRezipsEveryMatch) {
    REQUIRE_TOOL("zip");
    MakeOld("");
    EXPECT_EQ(OurMerge(zaReplace), 5);
    EXPECT_EQ(replaced, 5);
    EXPECT_EQ(kept, 0);
    EXPECT_EQ(RunTool("unzip -tq " + Q(ours)).Status, 0);
}

// zip -P entries carry flags 0x09: kept, they keep bit 3 and their descriptor, so that the
// check byte (from the time) still matches.
TEST_F(UpdateTest, KeptEncryptedEntriesStillPassThePasswordCheck) {
    REQUIRE_TOOL("zip");
    MakeOld("-P secret");
    MakeTree(site, {{"new.txt", "new"}});
    EXPECT_EQ(OurMerge(zaUpdate, "secret"), 1);
    const TRawArchive o = ParseArchive(ReadFileBytes(ours));
    ASSERT_EQ(o.Error, "");
    EXPECT_EQ(FindEntry(o, "a.htm")->Flag & 0x09, 0x09);
    const TToolRun t = RunTool("unzip -tq -P secret " + Q(ours));
    EXPECT_EQ(t.Status, 0) << t.Output;
    if (HaveTool("7z")) {
        EXPECT_EQ(RunTool("7z t -psecret " + Q(ours)).Status, 0);
    }
}

// Entries written with data descriptors (Python's zipfile on a stream that cannot seek)
// come out without them.
TEST_F(UpdateTest, PlainDescriptorEntriesLoseTheirDescriptors) {
    REQUIRE_TOOL("python3");
    const std::string script =
        "import zipfile,sys\n"
        "class W:\n"
        "  def __init__(s,f): s.f=f\n"
        "  def write(s,b): return s.f.write(b)\n"
        "  def flush(s): pass\n"
        "with open(sys.argv[1],'wb') as f:\n"
        "  with zipfile.ZipFile(W(f),'w',zipfile.ZIP_DEFLATED) as z:\n"
        "    z.write(sys.argv[2]+'/a.htm','a.htm'); z.write(sys.argv[2]+'/b.css','b.css')\n";
    WriteFileBytes(WinDir(tmp) + "mk.py", script);
    ASSERT_EQ(RunTool("python3 " + Q(WinDir(tmp) + "mk.py") + " " + Q(ours) + " " + Q(site)).Status, 0);
    ASSERT_EQ(ParseArchive(ReadFileBytes(ours)).Entries[0].Flag & 8, 8);
    EXPECT_EQ(OurMerge(zaUpdate), 3);   // the three files the archive lacks
    const TRawArchive o = ParseArchive(ReadFileBytes(ours));
    ASSERT_EQ(o.Error, "");
    EXPECT_EQ(FindEntry(o, "a.htm")->Flag & 8, 0);
    EXPECT_EQ(FindEntry(o, "a.htm")->LocalFlag & 8, 0);
    EXPECT_EQ(FindEntry(o, "a.htm")->LocalCrc, FindEntry(o, "a.htm")->Crc);
    if (HaveTool("unzip")) {
        EXPECT_EQ(RunTool("unzip -tq " + Q(ours)).Status, 0);
    }
}

// Our own entries with a zip64 block in the local header (as for files near 4 GiB) are
// kept with that block, its sizes standing for the header's.
TEST_F(UpdateTest, KeptLocalZip64BlocksStayAndStillRead) {
    REQUIRE_TOOL("unzip");
    class TZip64Zip : public TArcZip {
    public:
        TZip64Zip() : TArcZip(nullptr) {}
        bool NeedsLocalZip64(int64_t) const override { return true; }
    } first;
    UseBuilderSettings(first, site, ours, "", 6);
    ASSERT_EQ(first.Zip(), 5);
    const TRawArchive before = ParseArchive(ReadFileBytes(ours));
    MakeTree(site, {{"new.txt", "new"}});
    EXPECT_EQ(OurMerge(zaUpdate), 1);
    const TRawArchive after = ParseArchive(ReadFileBytes(ours));
    ASSERT_EQ(after.Error, "");
    EXPECT_EQ(FindEntry(after, "a.htm")->LocalExtra, FindEntry(before, "a.htm")->LocalExtra);
    EXPECT_EQ(FindEntry(after, "a.htm")->LocalCompressed32, 0xFFFFFFFFu);
    const TToolRun t = RunTool("unzip -tq " + Q(ours));
    EXPECT_EQ(t.Status, 0) << t.Output;
}

// An entry whose local header is not where the directory says fails the run; the old
// archive stays as it was and no temporary file is left.
TEST_F(UpdateTest, ADamagedOldEntryLeavesTheArchiveUntouched) {
    REQUIRE_TOOL("zip");
    MakeOld("");
    std::string bytes = ReadFileBytes(ours);
    const TRawArchive a = ParseArchive(bytes);
    bytes[a.Entries[2].LocalOffset] = 'X';
    WriteFileBytes(ours, bytes);
    MakeTree(site, {{"new.txt", "new"}});
    EXPECT_THROW(OurMerge(zaUpdate), EArcZipException);
    EXPECT_EQ(ReadFileBytes(ours), bytes);
    EXPECT_TRUE(ZkzFiles().empty());
}

// The file meant to replace an entry cannot be read: the old entry stays, reported.
TEST_F(UpdateTest, ASkippedReplacementKeepsTheOldEntry) {
    REQUIRE_TOOL("zip");
    MakeOld("");
    SetFileWriteTime(site + "b.css", time(nullptr) + 60);
    TArcZip zip(nullptr);
    zip.SetTempPath(WinDir(tmp));
    UseBuilderSettings(zip, site, ours, "", 6);
    std::vector<std::string> skipped;
    zip.OnStartZip = [](TObject*, const AnsiString&, TZipHeaderInfo&, bool& skip) { skip = true; };
    zip.OnSkippingFile = [&](TObject*, TSkipReason, const AnsiString& n, int, bool&) { skipped.push_back(n); };
    EXPECT_EQ(zip.Zip(), 0);
    EXPECT_EQ(skipped.size(), 1u);
    EXPECT_EQ(ParseArchive(ReadFileBytes(ours)).Entries.size(), 5u);
}

// ---- split sets ---------------------------------------------------------------------------

class SplitTest : public ::testing::Test {
protected:
    void SetUp() override {
        site = WinDir(tmp) + "site\\";
        out = WinDir(tmp) + "out\\";
        ForceDirectories(out);
        archive = out + "set.zip";
        zip.SetTempPath(WinDir(tmp));
    }
    int ZipSplit(int64_t block, const std::string& password = "", int level = 0) {
        UseBuilderSettings(zip, site, archive, password, level);
        zip.GetMultiZipInfo()->SetBlockSize(block);
        zip.SetMultiMode(mmBlocks);
        return zip.Zip();
    }
    std::vector<std::string> Parts() { return FilesIn(out, "*"); }
    // Our parts under Info-ZIP's names: set.zip.z01 -> set.z01.
    void RenameToInfoZip() {
        for (const std::string& p : Parts())
            if (p.size() > 8 && p.substr(0, 9) == "set.zip.z") RenameFile(out + p, out + "set." + p.substr(8));
    }
    TToolRun SevenZipTest(const std::string& password = "") {
        return RunTool("7z t " + (password.empty() ? std::string() : "-p" + password + " ") + Q(archive));
    }

    TempDir tmp;
    std::string site, out, archive;
    TArcZip zip{nullptr};
};

TEST_F(SplitTest, OursReadBy7zAndInfoZipWithAnEntryAcrossTwoBoundaries) {
    REQUIRE_TOOL("7z");
    const std::string big = RandomBytes(150000, 11);
    MakeTree(site, {{"a.txt", TextBytes(5000)}, {"big.bin", big}, {"sub\\c.txt", TextBytes(3000, 4)}});
    EXPECT_EQ(ZipSplit(65536), 3);
    EXPECT_EQ(Parts(), (std::vector<std::string>{"set.zip", "set.zip.z01", "set.zip.z02"}));
    EXPECT_EQ(zip.GetZipName(), archive);
    EXPECT_EQ(zip.GetNumberOfParts(), 3u);
    for (const std::string& p : Parts()) EXPECT_LE(FileSizeByName(out + p), 65536) << p;
    EXPECT_EQ(ReadFileBytes(out + "set.zip.z01").substr(0, 4), std::string("PK\x07\x08", 4));

    // Ours reads its own set back.
    {
        TArcUnZip r(nullptr);
        r.SetZipName(archive);
        r.SetDestDir(WinDir(tmp) + "ours");
        r.SetRecreateDirs(true);
        r.SetDoAll(true);
        r.SetOverwriteMode(Always);
        EXPECT_EQ(r.UnZip(), 3);
        EXPECT_EQ(ReadFileBytes(WinDir(tmp) + "ours\\big.bin"), big);
    }
    RenameToInfoZip();
    const TToolRun t = SevenZipTest();
    EXPECT_EQ(t.Status, 0) << t.Output;
    EXPECT_EQ(RunTool("cd " + Q(WinDir(tmp)) + " && mkdir x7 && cd x7 && 7z x -y " + Q(archive)).Status, 0);
    EXPECT_EQ(ReadFileBytes(WinDir(tmp) + "x7\\big.bin"), big);
    if (HaveTool("zip")) {
        const TToolRun sf = RunTool("zip -sf " + Q(archive));
        for (const char* n : {"a.txt", "big.bin", "sub/c.txt"}) EXPECT_NE(sf.Output.find(n), std::string::npos) << sf.Output;
    }
}

// zip -s 0 joins a set that unzip -t then tests; zip 3.0 loses data of an entry that
// crosses more than one boundary, so here each crosses at most one.
TEST_F(SplitTest, InfoZipJoinsOursWhenNoEntryCrossesTwoBoundaries) {
    REQUIRE_TOOL("zip");
    MakeTree(site, {{"a.bin", RandomBytes(50000, 1)}, {"b.bin", RandomBytes(50000, 2)}, {"c.txt", "c"}});
    EXPECT_EQ(ZipSplit(65536, "pw"), 3);
    RenameToInfoZip();
    const std::string joined = WinDir(tmp) + "joined.zip";
    const TToolRun j = RunTool("zip -q -s 0 " + Q(archive) + " --out " + Q(joined));
    ASSERT_EQ(j.Status, 0) << j.Output;
    const TToolRun t = RunTool("unzip -tq -P pw " + Q(joined));
    EXPECT_EQ(t.Status, 0) << t.Output;
}

// Info-ZIP's own split sets (64 KiB parts), plain and encrypted, extracted by ours.
TEST_F(SplitTest, OursExtractsInfoZipSplitSets) {
    REQUIRE_TOOL("zip");
    const std::string big = RandomBytes(200000, 5);
    MakeTree(site, {{"big.bin", big}, {"t.txt", TextBytes(70000)}});
    for (const std::string password : {"", "secret"}) {
        SCOPED_TRACE("password '" + password + "'");
        const std::string set = WinDir(tmp) + "iz" + password + ".zip";
        const TToolRun z = RunTool("cd " + Q(site) + " && zip -q -r -D -s 64k " +
                             (password.empty() ? std::string() : "-P " + password + " ") + Q(set) + " .");
        ASSERT_EQ(z.Status, 0) << z.Output;
        TArcUnZip r(nullptr);
        r.SetZipName(set);
        r.Password = password;
        r.SetDestDir(WinDir(tmp) + "x" + password);
        r.SetRecreateDirs(true);
        r.SetDoAll(true);
        r.SetOverwriteMode(Always);
        EXPECT_EQ(r.UnZip(), 2);
        EXPECT_EQ(ReadFileBytes(WinDir(tmp) + "x" + password + "\\big.bin"), big);
    }
}

// The first part holds at most FirstBlockSize - SaveOnFirstDisk bytes, the others BlockSize;
// a directory that does not fit continues on the next part.
TEST_F(SplitTest, FirstPartLimitsAndADirectoryAcrossParts) {
    std::map<std::string, std::string> files;
    for (int i = 0; i < 900; ++i) files["d\\a-rather-long-folder-name\\f" + std::to_string(i) + ".txt"] = "x";
    files["big.bin"] = RandomBytes(100000, 3);
    MakeTree(site, files);
    zip.GetMultiZipInfo()->SetFirstBlockSize(100000);
    zip.GetMultiZipInfo()->SetSaveOnFirstDisk(1000);
    EXPECT_EQ(ZipSplit(65536), 901);
    EXPECT_LE(FileSizeByName(out + "set.zip.z01"), 99000);
    EXPECT_GT(FileSizeByName(out + "set.zip.z01"), 90000);
    for (const std::string& p : Parts()) EXPECT_LE(FileSizeByName(out + p), 65536 + (p == "set.zip.z01" ? 34464 : 0));
    const TEndCentral& e = *zip.GetEndRecord();
    EXPECT_LT(e.GetCentralStartDisk(), e.GetThisDisk());   // the directory spans parts
    EXPECT_LT(e.GetEntriesThisDisk(), e.GetTotalEntries());

    TArcUnZip r(nullptr);
    r.SetZipName(archive);
    r.OpenZip();
    EXPECT_EQ(r.EntryCount(), 901);
    if (HaveTool("7z")) {
        RenameToInfoZip();
        const TToolRun t = SevenZipTest();
        EXPECT_EQ(t.Status, 0) << t.Output;
    }
}

// The run's last OnTotalPercentDone (100) comes once the set is complete, before its ".zfc"
// copy of the directory is written, also when that copy then cannot be written.
TEST_F(SplitTest, TheLastPercentComesBeforeTheConfigurationFile) {
    MakeTree(site, {{"a.bin", RandomBytes(90000, 1)}, {"b.txt", "b"}});
    const std::string zfc = out + "set.zfc";
    zip.GetMultiZipInfo()->SetSaveZipInfoOnFirstDisk(true);
    for (const bool blocked : {false, true}) {
        SCOPED_TRACE(blocked ? "the copy cannot be written" : "the copy is written");
        for (const std::string& p : Parts()) RemoveFile(out + p);
        if (blocked) {
            ASSERT_TRUE(ForceDirectories(zfc));   // a folder of its name
        }
        bool completeWithoutCopy = false;
        zip.OnTotalPercentDone = [&](TObject*, int p) {
            if (p == 100 && FileExists(archive) && !FileExists(zfc)) completeWithoutCopy = true;
        };
        if (blocked)
            EXPECT_THROW(ZipSplit(65536), EConfigFileSaveError);
        else
            EXPECT_EQ(ZipSplit(65536), 2);
        EXPECT_TRUE(completeWithoutCopy);
        EXPECT_EQ(FileExists(zfc), !blocked);
    }
    RemoveDir(zfc);
}

// The ".zfc" copy of the directory reads the set when the last part is damaged; one that
// does not hold exactly a directory of several disks is not trusted.
TEST_F(SplitTest, ConfigurationFileStandsInForADamagedLastPart) {
    MakeTree(site, {{"a.bin", RandomBytes(90000, 1)}, {"b.txt", "b"}});
    zip.GetMultiZipInfo()->SetSaveZipInfoOnFirstDisk(true);
    EXPECT_EQ(ZipSplit(65536), 2);
    const std::string zfc = out + "set.zfc";
    ASSERT_TRUE(FileExists(zfc));
    // The last part loses its end record.
    std::string last = ReadFileBytes(archive);
    WriteFileBytes(archive, last.substr(0, last.size() - 30));
    {
        TArcUnZip r(nullptr);
        r.SetZipName(archive);
        r.OpenZip();
        EXPECT_EQ(r.EntryCount(), 2);
    }
    const std::string good = ReadFileBytes(zfc);
    for (const std::string& stale : {good + "junk", good.substr(1)}) {
        WriteFileBytes(zfc, stale);
        TArcUnZip r(nullptr);
        r.SetZipName(archive);
        EXPECT_THROW(r.OpenZip(), EArcZipException);
    }
}

// Parts of any size are taken, as long as each header and record fits one part whole; a
// part too small for them, and sets that would need a thousandth part, are refused, and
// nothing of the run is left behind.
TEST_F(SplitTest, SmallPartsAreTakenAndTooSmallPartsAndTooManyPartsAreRefused) {
    const std::string data = RandomBytes(5000, 9);
    MakeTree(site, {{"a.bin", data}});
    EXPECT_EQ(ZipSplit(1000), 1);
    const std::vector<std::string> parts = Parts();
    EXPECT_EQ(parts.size(), 6u);
    for (const std::string& p : parts) EXPECT_LE(FileSizeByName(out + p), 1000) << p;
    {
        TArcUnZip r(nullptr);
        r.SetZipName(archive);
        r.SetDestDir(WinDir(tmp) + "small");
        r.SetDoAll(true);
        r.SetOverwriteMode(Always);
        EXPECT_EQ(r.UnZip(), 1);
        EXPECT_EQ(ReadFileBytes(WinDir(tmp) + "small\\a.bin"), data);
    }
    if (HaveTool("7z")) {
        RenameToInfoZip();
        const TToolRun t = SevenZipTest();
        EXPECT_EQ(t.Status, 0) << t.Output;
    }
    for (const std::string& p : Parts()) RemoveFile(out + p);

    // A first part of 2000 bytes before parts of 64 KiB.
    zip.GetMultiZipInfo()->SetFirstBlockSize(2000);
    EXPECT_EQ(ZipSplit(65536), 1);
    EXPECT_EQ(FileSizeByName(out + "set.zip.z01"), 2000);
    for (const std::string& p : Parts()) RemoveFile(out + p);

    // Room for the spanning signature but not for the local header (30 bytes and the name),
    // then not even for the signature.
    struct TCase {
        int64_t First, Block;
    } tooSmall[] = {{0, 40}, {3, 65536}};
    for (const TCase& c : tooSmall) {
        zip.GetMultiZipInfo()->SetFirstBlockSize(c.First);
        EXPECT_THROW(ZipSplit(c.Block), ENotEnoughRoom) << c.First << " " << c.Block;
        EXPECT_TRUE(Parts().empty()) << c.First << " " << c.Block;
    }
    zip.GetMultiZipInfo()->SetFirstBlockSize(0);

    MakeTree(site, {{"big.bin", RandomBytes(999 * 65536, 8)}});
    try {
        ZipSplit(65536);
        ADD_FAILURE() << "no exception";
    } catch (const EArcZipException& e) {
        EXPECT_NE(e.Message.find("999"), std::string::npos) << e.Message;
    }
    EXPECT_TRUE(Parts().empty());
    EXPECT_TRUE(FilesIn(WinDir(tmp), "ZKZ*").empty());
}

// Disks of a spanned set that each offer Room bytes.
class TFixedRoomDisks : public TArcZip {
public:
    TFixedRoomDisks() : TArcZip(nullptr) {}
    int64_t FreeSpaceOfZipDrive() override { return Room; }
    int64_t Room = 0;
};

// Encrypted sets whose parts or disks end inside an entry's 12-byte encryption header: the
// header is read on from the next part as the data is. Part sizes 60 to 160 put a boundary
// after each of the header's first 11 bytes (counted from the parts themselves), in a set
// of part files and in one spanned over disks; stored entries are deciphered after
// reading, deflated ones before inflating, and a wrong password that OnBadPassword
// corrects deciphers the same header again. Every file comes out whole, and 7z tests the
// part files with each place of the cut.
TEST_F(SplitTest, EncryptionHeadersAcrossPartBoundariesExtractWhole) {
    const std::map<std::string, std::string> files = {
        {"a.txt", TextBytes(37)}, {"b.bin", RandomBytes(45, 4)}, {"c.txt", TextBytes(70, 3)}};
    MakeTree(site, files);
    const bool have7z = HaveTool("7z");
    struct TRow {
        const char* Label;
        int Level;
        // "pw" is right; another one is corrected by OnBadPassword. (Stored: a wrong password
        // that passes the check byte, 1 in 256, is then corrected after the CRC check.)
        const char* FirstPassword;
    } rows[] = {{"stored", 0, "pw"}, {"deflated", 6, "pw"}, {"stored, corrected password", 0, "wrong"}};
    const auto disk = [this](uint32_t n) { return out + "disk" + std::to_string(n) + "\\set.zip"; };
    for (const TMultiMode mode : {mmBlocks, mmSpan}) {
        for (const TRow& row : rows) {
            SCOPED_TRACE(std::string(mode == mmSpan ? "spanned, " : "part files, ") + row.Label);
            std::set<int64_t> headerBytesBeforeBoundary;
            for (int64_t partSize = 60; partSize <= 160; ++partSize) {
                SCOPED_TRACE("part size " + std::to_string(partSize));
                for (const std::string& p : Parts()) RemoveFile(out + p);
                for (uint32_t n = 1; FileExists(disk(n)); ++n) RemoveFile(disk(n));
                std::string last = archive;
                if (mode == mmBlocks) {
                    ASSERT_EQ(ZipSplit(partSize, "pw", row.Level), 3);
                } else {
                    TFixedRoomDisks span;
                    span.Room = partSize;
                    span.SetTempPath(WinDir(tmp));
                    UseBuilderSettings(span, site, disk(1), "pw", row.Level);
                    span.SetMultiMode(mmSpan);
                    span.OnGetNextDisk = [&](TObject*, int n, AnsiString& name) {
                        name = disk(static_cast<uint32_t>(n));
                        ForceDirectories(ExtractFilePath(name));
                    };
                    ASSERT_EQ(span.Zip(), 3);
                    for (uint32_t n = 1; FileExists(disk(n)); ++n) last = disk(n);
                }
                TArcUnZip r(nullptr);
                if (mode == mmSpan) {
                    r.SetMultiMode(mmSpan);
                    r.SetCheckDiskLabels(false);
                    r.OnGetNextDisk = [&](TObject*, int n, AnsiString& name) { name = disk(static_cast<uint32_t>(n)); };
                }
                r.SetZipName(last);
                r.OpenZip();
                const uint32_t parts = r.GetNumberOfParts();
                ASSERT_GT(parts, 1u);
                const auto partName = [&](uint32_t d) {
                    if (mode == mmSpan) return disk(d + 1);
                    char suffix[8];
                    std::snprintf(suffix, sizeof suffix, ".z%02u", d + 1);
                    return d + 1 == parts ? archive : archive + suffix;
                };
                const size_t cutsBefore = headerBytesBeforeBoundary.size();
                for (int i = 0; i < r.EntryCount(); ++i) {
                    const TZipHeaderInfo& h = *r.Entry(i);
                    const std::string part = ReadFileBytes(partName(h.GetDiskNumberStart()));
                    const auto* local = reinterpret_cast<const uint8_t*>(part.data() + h.GetRelativeOffset());
                    const int64_t dataStart = h.GetRelativeOffset() + 30 + GetLE16(local + 26) + GetLE16(local + 28);
                    const int64_t onThisPart = static_cast<int64_t>(part.size()) - dataStart;
                    if (onThisPart > 0 && onThisPart < kEncryptionHeaderSize) headerBytesBeforeBoundary.insert(onThisPart);
                }
                r.CloseZip();

                const std::string dest = WinDir(tmp) + "x\\";
                ForceDirectories(dest);
                r.SetDestDir(dest);
                r.SetDoAll(true);
                r.SetOverwriteMode(Always);
                // Each entry starts with the row's first password (once: not again when the
                // entry is extracted again with the corrected one).
                int started = -1;
                r.OnStartUnZip = [&](TObject*, int index, AnsiString&, bool&) {
                    if (index != started) r.Password = row.FirstPassword;
                    started = index;
                };
                r.OnBadPassword = [](TObject*, int, AnsiString& p) { p = "pw"; };
                int bad = 0;
                r.OnBadCRC = [&](TObject*, int32_t, int32_t, int) { ++bad; };
                int extracted = -1;
                EXPECT_NO_THROW(extracted = r.UnZip());
                EXPECT_EQ(extracted, 3);
                EXPECT_EQ(bad, 0);
                for (const auto& f : files) {
                    ASSERT_TRUE(FileExists(dest + f.first)) << f.first;
                    EXPECT_EQ(ReadFileBytes(dest + f.first), f.second) << f.first;
                    RemoveFile(dest + f.first);
                }
                // 7z once for each place of the cut.
                if (mode == mmBlocks && have7z && headerBytesBeforeBoundary.size() > cutsBefore) {
                    RenameToInfoZip();
                    const TToolRun t = SevenZipTest("pw");
                    EXPECT_EQ(t.Status, 0) << t.Output;
                }
            }
            EXPECT_EQ(headerBytesBeforeBoundary, (std::set<int64_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
        }
    }
}

// A set written into the folder it zips: a second run leaves out the first run's parts
// and its ".zfc", and its last part replaces the old one under the final name.
TEST_F(SplitTest, ASetInsideTheZippedFolderLeavesItsOwnFilesOut) {
    MakeTree(site, {{"a.bin", RandomBytes(90000, 1)}, {"b.txt", "b"}});
    out = site;
    archive = site + "set.zip";
    zip.GetMultiZipInfo()->SetSaveZipInfoOnFirstDisk(true);
    EXPECT_EQ(ZipSplit(65536), 2);
    ASSERT_TRUE(FileExists(site + "set.zfc"));
    std::vector<std::string> skipped;
    zip.OnSkippingFile = [&](TObject*, TSkipReason, const AnsiString& n, int, bool&) { skipped.push_back(n); };
    EXPECT_EQ(ZipSplit(65536), 2);
    EXPECT_TRUE(skipped.empty());
    TArcUnZip r(nullptr);
    r.SetZipName(archive);
    r.OpenZip();
    ASSERT_EQ(r.EntryCount(), 2);
    for (int i = 0; i < r.EntryCount(); ++i) EXPECT_NE(r.Entry(i)->GetFileName().substr(0, 3), "set");
}

TEST_F(SplitTest, FreshenAndUpdatingASplitArchiveAreRefused) {
    MakeTree(site, {{"a.bin", RandomBytes(90000, 1)}});
    EXPECT_EQ(ZipSplit(65536), 1);
    TArcZip again(nullptr);
    UseBuilderSettings(again, site, archive, "", 6);
    EXPECT_THROW(again.Zip(), EArcZipException);   // the last part of a set: no merging
    again.SetMultiMode(mmBlocks);
    UseBuilderSettings(again, site, archive, "", 6);
    again.SetZipAction(zaFreshen);
    EXPECT_THROW(again.Zip(), EArcZipException);
    EXPECT_EQ(again.GetMultiMode(), mmBlocks);
    // A run refused before it starts still leaves the list empty for the next one.
    EXPECT_EQ(again.GetFilesList()->Count(), 0);
}

// ---- names flagged UTF-8 ------------------------------------------------------------------

// 7-Zip writes non-ASCII names in UTF-8 with flag bit 11: they are read into code page
// 936; a name that code page cannot hold is skipped as unsafe and reported.
TEST(Utf8Names, SevenZipChineseNamesExtractUnderTheirCodePageNames) {
    REQUIRE_TOOL("7z");
    TempDir tmp;
    const std::string src = WinDir(tmp) + "src\\";
    ForceDirectories(src);
    WriteFileBytes(src + "\xE4\xB8\xAD\xE6\x96\x87.txt", "zhongwen");          // 中文.txt in UTF-8
    WriteFileBytes(src + "\xF0\x9F\x98\x80.txt", "smile");                      // U+1F600: no GBK form
    const std::string archive = WinDir(tmp) + "7z.zip";
    ASSERT_EQ(RunTool("cd " + Q(src) + " && 7z a -tzip " + Q(archive) + " .").Status, 0);
    TArcUnZip r(nullptr);
    r.SetZipName(archive);
    r.SetDestDir(WinDir(tmp) + "x");
    r.SetDoAll(true);
    r.SetOverwriteMode(Always);
    std::vector<TSkipReason> skipped;
    r.OnSkippingFile = [&](TObject*, TSkipReason why, const AnsiString&, int, bool&) { skipped.push_back(why); };
    EXPECT_EQ(r.UnZip(), 1);
    EXPECT_EQ(ReadFileBytes(WinDir(tmp) + "x\\\xD6\xD0\xCE\xC4.txt"), "zhongwen");   // 中文 in GBK
    EXPECT_EQ(skipped, (std::vector<TSkipReason>{srUnsafeName}));
}

}  // namespace
