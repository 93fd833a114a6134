// Writing archives: header fields, encryption headers, the end record, replacing an
// archive, and runs that fail or meet files that change under them. The archives are
// read back from their bytes (zip_writer_support.h) and through the reader.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif


#include "classlib/file_find.h"
#include "tests/ziparchive/zip_writer_support.h"
#include "ziparchive/arc_zip.h"
#include "ziparchive/crc32.h"
#include "ziparchive/file_utils.h"
#include "ziparchive/multi_zip_info.h"

namespace {

const std::string kTrail = "\x81\x5C";
const std::string kGbk = "\xD6\xD0\xCE\xC4";
// An archive with no entries: the end record alone.
const std::string kEmptyArchive = std::string("PK\x05\x06", 4) + std::string(18, '\0');

std::vector<std::string> ZkzFiles(const std::string& dir) { return FilesIn(dir, "ZKZ*"); }

class WriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        site = WinDir(tmp) + "site\\";
        archive = WinDir(tmp) + "out.zip";
        temp = WinDir(tmp) + "temp\\";
        ForceDirectories(temp);
        zip.SetTempPath(temp);
        zip.SetOEMConvert(oemNever);
        zip.OnHandleMessage = [this](TObject*, int id, const AnsiString& text, const AnsiString& name, uint32_t,
                                     int& answer) {
            messages.push_back(IntToStr(id) + " " + name);
            EXPECT_FALSE(text.empty());
            answer = 1;
        };
    }
    int ZipSite(const std::string& password, int level) {
        UseBuilderSettings(zip, site, archive, password, level);
        return zip.Zip();
    }
    TRawArchive Parsed() { return ParseArchive(ReadFileBytes(archive)); }
    // The run's first progress event changes the file, as another program would; the flag
    // tells whether it happened. The calling thread reads the files itself, so the change
    // falls between its readings (workers would have read ahead already: their own case is
    // in zip_parallel_writer_test.cpp).
    std::shared_ptr<bool> ChangeOnFirstProgress(const std::string& path, std::function<void(TFileStream&)> change) {
        zip.SetWorkerThreads(1);
        auto done = std::make_shared<bool>(false);
        zip.OnFilePercentDone = [path, change, done](TObject*, int) {
            if (*done) return;
            *done = true;
            TFileStream f(path, fmOpenReadWrite | fmShareDenyNone);
            change(f);
        };
        return done;
    }

    TempDir tmp;
    std::string site, archive, temp;
    TArcZip zip{nullptr};
    std::vector<std::string> messages;
};

struct TLevelCase {
    int Level;
    const char* Password;
    uint16_t Flag;
    uint16_t Method;
};

class HeaderFieldsTest : public WriterTest, public ::testing::WithParamInterface<TLevelCase> {};

// Flags, method, sizes and CRC for each level with and without a password; the local
// header (written twice) agrees with the central one; a 0-byte file; the check bytes.
TEST_P(HeaderFieldsTest, LocalAndCentralHeadersAgree) {
    const TLevelCase c = GetParam();
    const std::string text = TextBytes(200000), noise = RandomBytes(70000);
    MakeTree(site, {{"index.htm", text}, {"img\\n.bin", noise}, {"zero.txt", ""}, {kGbk + "\\" + kTrail, "x"}});
    ASSERT_EQ(ZipSite(c.Password, c.Level), 4);
    const std::string bytes = ReadFileBytes(archive);
    const TRawArchive a = ParseArchive(bytes);
    ASSERT_EQ(a.Error, "");
    ASSERT_EQ(a.Entries.size(), 4u);
    EXPECT_FALSE(a.HasZip64End);
    const std::map<std::string, std::string> content = {
        {"index.htm", text}, {"img/n.bin", noise}, {"zero.txt", ""}, {kGbk + "/" + kTrail, "x"}};
    const bool encrypted = *c.Password != 0;
    for (const TRawEntry& e : a.Entries) {
        SCOPED_TRACE(e.Name);
        ASSERT_EQ(content.count(e.Name), 1u);
        const std::string& data = content.at(e.Name);
        EXPECT_EQ(e.Flag, c.Flag);
        EXPECT_EQ(e.Method, c.Method);
        EXPECT_EQ(e.Crc, Crc32Of(data.data(), data.size()));
        EXPECT_EQ(e.UncompressedSize, data.size());
        EXPECT_EQ(e.LocalFlag, e.Flag);
        EXPECT_EQ(e.LocalMethod, e.Method);
        EXPECT_EQ(e.LocalCrc, e.Crc);
        EXPECT_EQ(e.LocalCompressed32, e.CompressedSize);
        EXPECT_EQ(e.LocalUncompressed32, e.UncompressedSize);
        EXPECT_EQ(e.LocalName, e.Name);
        EXPECT_EQ(e.LocalExtra, "");
        if (c.Method == 0) {
            EXPECT_EQ(e.CompressedSize, data.size() + (encrypted ? 12 : 0));
        }
        if (data.empty()) {
            EXPECT_EQ(e.CompressedSize, (encrypted ? 12u : 0u) + (c.Method == 8 ? 2u : 0u));
        }
        if (encrypted) {
            const std::string h = DecryptedHeader(bytes, e, c.Password);
            EXPECT_EQ(static_cast<uint8_t>(h[10]), static_cast<uint8_t>(e.Crc >> 16));
            EXPECT_EQ(static_cast<uint8_t>(h[11]), static_cast<uint8_t>(e.Crc >> 24));
        }
    }
    // The data is what the headers say: stored entries hold the file itself.
    if (c.Method == 0 && !encrypted) {
        const TRawEntry* e = FindEntry(a, "index.htm");
        EXPECT_EQ(bytes.substr(e->DataOffset, e->CompressedSize), text);
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, HeaderFieldsTest,
                         ::testing::Values(TLevelCase{0, "", 0x0004, 0}, TLevelCase{1, "", 0x0004, 8},
                                           TLevelCase{6, "", 0x0000, 8}, TLevelCase{9, "", 0x0002, 8},
                                           TLevelCase{0, "pw", 0x0005, 0}, TLevelCase{1, "pw", 0x0005, 8},
                                           TLevelCase{6, "pw", 0x0001, 8}, TLevelCase{9, "pw", 0x0003, 8}),
                         [](const ::testing::TestParamInfo<TLevelCase>& i) {
                             return "Level" + std::to_string(i.param.Level) + (*i.param.Password ? "Password" : "");
                         });

TEST_F(WriterTest, EncryptionHeadersDifferBetweenEntries) {
    std::map<std::string, std::string> files;
    for (int i = 0; i < 24; ++i) files["f" + std::to_string(i) + ".txt"] = "same content";
    MakeTree(site, files);
    ASSERT_EQ(ZipSite("secret", 6), 24);
    const std::string bytes = ReadFileBytes(archive);
    std::set<std::string> randomParts;
    for (const TRawEntry& e : Parsed().Entries) randomParts.insert(DecryptedHeader(bytes, e, "secret").substr(0, 10));
    EXPECT_EQ(randomParts.size(), 24u);
}

TEST_F(WriterTest, EmptyTreeGivesTheBareEndRecord) {
    ForceDirectories(site + "sub");
    bool started = false;
    zip.OnStartZipInfo = [&](TObject*, int, int64_t, TEndCentral&, bool&) { started = true; };
    EXPECT_EQ(ZipSite("pw", 6), 0);
    EXPECT_FALSE(started);
    EXPECT_EQ(ReadFileBytes(archive).size(), 22u);
    EXPECT_EQ(Parsed().Error, "");
}

TEST_F(WriterTest, EventsOfOneRunAndTheDirectoryAfterIt) {
    MakeTree(site, {{"a.txt", TextBytes(300000)}, {"b.txt", "b"}});
    std::vector<std::string> events;
    zip.OnStartZipInfo = [&](TObject* s, int n, int64_t total, TEndCentral& end, bool&) {
        EXPECT_EQ(s, &zip);
        EXPECT_EQ(n, 2);
        EXPECT_EQ(total, 300001);
        end.SetComment("made by the test");   // the record handed out is the one written
        events.push_back("info");
    };
    zip.OnStartZip = [&](TObject*, const AnsiString& n, TZipHeaderInfo& h, bool&) {
        events.push_back("start " + ExtractFileName(n));
        EXPECT_EQ(h.GetFileName(), ExtractFileName(n));
    };
    zip.OnEndZip = [&](TObject*, const AnsiString& n, int64_t u, int64_t c, int64_t size) {
        events.push_back("end " + ExtractFileName(n));
        EXPECT_GT(size, c);
        EXPECT_EQ(u, ExtractFileName(n) == "a.txt" ? 300000 : 1);
    };
    int lastTotal = -1;
    zip.OnTotalPercentDone = [&](TObject*, int p) {
        EXPECT_GE(p, lastTotal);
        lastTotal = p;
    };
    zip.OnZipComplete = [&](TObject*, int n) { events.push_back("complete " + std::to_string(n)); };
    EXPECT_EQ(ZipSite("", 6), 2);
    EXPECT_EQ(events, (std::vector<std::string>{"info", "start a.txt", "end a.txt", "start b.txt", "end b.txt",
                                                "complete 2"}));
    EXPECT_EQ(lastTotal, 100);
    EXPECT_EQ(Parsed().Comment, "made by the test");
    EXPECT_EQ(zip.GetFilesList()->Count(), 0);
    // The reader's directory is the new archive's.
    ASSERT_EQ(zip.EntryCount(), 2);
    EXPECT_EQ(zip.GetEndRecord()->GetTotalEntries(), 2u);
    EXPECT_EQ(zip.ZipComment(), "made by the test");
    zip.SetZipName(UpperCase(archive));   // the same name in other case keeps it
    EXPECT_EQ(zip.EntryCount(), 2);
    zip.SetZipName(archive + ".other");
    EXPECT_EQ(zip.EntryCount(), 0);
}

TEST_F(WriterTest, NoCompressListStoresMatchingFiles) {
    MakeTree(site, {{"a.htm", TextBytes(5000)}, {"p.png", TextBytes(5000)}});
    zip.GetNoCompressList()->Add("*.PNG");
    ASSERT_EQ(ZipSite("pw", 9), 2);
    const TRawArchive a = Parsed();
    EXPECT_EQ(FindEntry(a, "p.png")->Method, 0);
    EXPECT_EQ(FindEntry(a, "p.png")->Flag, 0x0003);
    EXPECT_EQ(FindEntry(a, "a.htm")->Method, 8);
}

TEST_F(WriterTest, DuplicateStoredNamesAreSkipped) {
    MakeTree(site, {{"a\\x.txt", "1"}, {"b\\x.txt", "2"}});
    zip.SetZipName(archive);
    zip.SetRootDir(site);
    zip.GetFilesList()->Add(site + "a\\x.txt");
    zip.GetFilesList()->Add(site + "b\\x.txt");
    std::vector<TSkipReason> reasons;
    zip.OnSkippingFile = [&](TObject*, TSkipReason r, const AnsiString&, int, bool&) { reasons.push_back(r); };
    EXPECT_EQ(zip.Zip(), 1);   // without StorePaths both are "x.txt"
    EXPECT_EQ(reasons, (std::vector<TSkipReason>{srNoOverwrite}));
    EXPECT_EQ(Parsed().Entries.size(), 1u);
}

TEST_F(WriterTest, FolderEntriesAndDisposeOfSources) {
    MakeTree(site, {{"keep.txt", "k"}, {"gone.txt", "g"}, {"sub\\s.txt", "s"}, {"empty\\", ""}});
    UseBuilderSettings(zip, site, archive, "pw", 6);
    zip.SetAddDirEntriesOnRecurse(true);
    zip.SetDispose(true);
    zip.OnDisposeFile = [](TObject*, const AnsiString& n, bool& skip) { skip = ExtractFileName(n) == "keep.txt"; };
    EXPECT_EQ(zip.Zip(), 5);
    const TRawArchive a = Parsed();
    const TRawEntry* folder = FindEntry(a, "empty/");
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Method, 0);
    EXPECT_EQ(folder->Flag, 0);   // nothing is encrypted in a folder entry
    EXPECT_EQ(folder->CompressedSize, 0u);
    EXPECT_NE(folder->ExternalAttributes & faDirectory, 0u);
    EXPECT_NE(FindEntry(a, "sub/"), nullptr);
    EXPECT_TRUE(FileExists(site + "keep.txt"));
    EXPECT_FALSE(FileExists(site + "gone.txt"));
    EXPECT_FALSE(FileExists(site + "sub\\s.txt"));
}

// Freshening takes only the files whose names the existing archive holds. (The archive is
// then replaced by those entries: merging old entries is not part of this writer.)
TEST_F(WriterTest, FreshenZipsOnlyNamesTheArchiveHolds) {
    MakeTree(site, {{"a.txt", "a"}, {"sub\\b.txt", "b"}});
    ASSERT_EQ(ZipSite("", 6), 2);
    MakeTree(site, {{"c.txt", "c"}, {"a.txt", "newer a"}});
    SetFileWriteTime(site + "a.txt", time(nullptr) + 60);
    std::vector<std::string> skipped;
    zip.OnSkippingFile = [&](TObject*, TSkipReason r, const AnsiString& n, int, bool&) {
        EXPECT_EQ(r, srNoFileToFreshen);
        skipped.push_back(ExtractFileName(n));
    };
    UseBuilderSettings(zip, site, archive, "", 6);
    zip.SetZipAction(zaFreshen);
    EXPECT_EQ(zip.Zip(), 1);   // a.txt is newer; sub/b.txt is kept as it was
    EXPECT_EQ(skipped, (std::vector<std::string>{"c.txt"}));
    const TRawArchive a = Parsed();
    EXPECT_EQ(a.Entries.size(), 2u);
    EXPECT_EQ(FindEntry(a, "a.txt")->UncompressedSize, 7u);
    EXPECT_NE(FindEntry(a, "sub/b.txt"), nullptr);
}

// ---- replacing an archive, and runs that fail ------------------------------------------

TEST_F(WriterTest, ExistingArchiveIsReplacedOnlyWhenTheNewOneIsComplete) {
    const std::string old = kEmptyArchive;
    WriteFileBytes(archive, old);
    MakeTree(site, {{"a.txt", TextBytes(100000)}, {"b.txt", "b"}});
    int seen = 0;
    zip.OnEndZip = [&](TObject*, const AnsiString&, int64_t, int64_t, int64_t) {
        ++seen;
        EXPECT_EQ(ReadFileBytes(archive), old);
        EXPECT_EQ(ZkzFiles(temp).size(), 1u);
    };
    EXPECT_EQ(ZipSite("pw", 6), 2);
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(Parsed().Entries.size(), 2u);
    EXPECT_TRUE(ZkzFiles(temp).empty());
}

// A temporary folder on another volume (tmpfs here): the archive cannot be renamed into
// place, so it is copied beside the old one first and that copy is renamed over it.
TEST_F(WriterTest, ReplacingFromAnotherVolumeCopiesBesideTheArchiveFirst) {
#ifdef _WIN32
    const std::string shm = "Z:\\dev\\shm\\";
#else
    const std::string shm = "/dev/shm/";
    struct stat a, b;
    if (stat(shm.c_str(), &a) != 0 || stat(tmp.Path().c_str(), &b) != 0 || a.st_dev == b.st_dev)
        GTEST_SKIP() << "no second volume for temporary files here";
#endif
    if (!DirectoryExists(shm)) GTEST_SKIP() << "no second volume for temporary files here";
    const std::string otherTemp = shm + "pwtest-writer-" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "\\";
    ASSERT_TRUE(ForceDirectories(otherTemp));
    WriteFileBytes(archive, kEmptyArchive);
    MakeTree(site, {{"a.txt", TextBytes(50000)}});
    zip.SetTempPath(otherTemp);
    bool tempUsed = false;
    zip.OnEndZip = [&](TObject*, const AnsiString&, int64_t, int64_t, int64_t) {
        tempUsed = ZkzFiles(otherTemp).size() == 1;
    };
    EXPECT_EQ(ZipSite("pw", 6), 1);
    EXPECT_TRUE(tempUsed);
    EXPECT_EQ(Parsed().Entries.size(), 1u);
    EXPECT_TRUE(ZkzFiles(otherTemp).empty());
    EXPECT_TRUE(ZkzFiles(WinDir(tmp)).empty());
    RemoveDir(otherTemp);
}

// An update renames the new archive into place: it keeps the old archive's own
// permissions (its mode here, its attributes on Windows), whether the temporary file was
// made beside it or on another volume and copied beside it first.
TEST_F(WriterTest, AnUpdatedArchiveKeepsItsPermissions) {
    struct TPermission {
        const char* Label;
        uint32_t Value;
    };
#ifdef _WIN32
    const std::string shm = "Z:\\dev\\shm\\";
    // (Wine keeps no file without the archive bit: a plain "normal" file cannot be made.)
    const TPermission permissions[] = {{"archive", FILE_ATTRIBUTE_ARCHIVE},
                                       {"hidden", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
                                       {"system", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE},
                                       {"hidden and system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                                 FILE_ATTRIBUTE_ARCHIVE}};
    const auto get = [](const std::string& p) { return static_cast<uint32_t>(GetFileAttributesA(p.c_str())); };
    const auto set = [](const std::string& p, uint32_t v) { return SetFileAttributesA(p.c_str(), v) != 0; };
#else
    const std::string shm = "/dev/shm/";
    const TPermission permissions[] = {{"0600", 0600}, {"0644", 0644}, {"0664", 0664}, {"0640", 0640}};
    const auto get = [](const std::string& p) {
        struct stat st;
        return stat(ReplaceSingleByteChar(p, '\\', '/').c_str(), &st) == 0 ? static_cast<uint32_t>(st.st_mode & 07777)
                                                                           : 0xFFFFFFFFu;
    };
    const auto set = [](const std::string& p, uint32_t v) {
        return chmod(ReplaceSingleByteChar(p, '\\', '/').c_str(), static_cast<mode_t>(v)) == 0;
    };
#endif
    std::vector<std::pair<std::string, std::string>> temps = {{"temporary file beside it", temp}};
    const std::string otherTemp = shm + "pwtest-access-" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "\\";
    if (DirectoryExists(shm) && ForceDirectories(otherTemp)) temps.emplace_back("temporary file on another volume", otherTemp);
    int n = 0;
    for (const auto& t : temps) {
        for (const TPermission& p : permissions) {
            SCOPED_TRACE(t.first + ", " + p.Label);
            RemoveFile(archive);
            MakeTree(site, {{"a.txt", TextBytes(3000)}});
            ASSERT_EQ(ZipSite("pw", 6), 1);
            ASSERT_TRUE(set(archive, p.Value));
            ASSERT_EQ(get(archive), p.Value);
            MakeTree(site, {{"b" + std::to_string(++n) + ".txt", "b"}});
            zip.SetTempPath(t.second);
            EXPECT_EQ(ZipSite("pw", 6), 1);
            EXPECT_EQ(get(archive), p.Value);
            EXPECT_EQ(Parsed().Entries.size(), 2u);
            EXPECT_TRUE(ZkzFiles(t.second).empty());
            zip.SetTempPath(temp);
            RemoveFile(site + "b" + std::to_string(n) + ".txt");
            set(archive, permissions[0].Value);
        }
    }
    RemoveDir(otherTemp);
}

class TFailingZip : public TArcZip {
public:
    explicit TFailingZip(int64_t limit) : TArcZip(nullptr), FLimit(limit) {}
    std::unique_ptr<TS_BufferStream> CreateOutputStream(const AnsiString& name) override {
        return std::make_unique<TLimitedOutput>(name, FLimit);
    }

private:
    int64_t FLimit;
};

TEST_F(WriterTest, AWriteErrorLeavesNoArchiveAndNoTemporaryFile) {
    MakeTree(site, {{"a.txt", RandomBytes(200000)}, {"b.txt", TextBytes(50000)}, {"c.txt", "c"}});
    // Sizes that fail inside the first entry's data, in a later entry, in the central
    // directory and in the end record; a new archive, and an update of an existing one.
    ASSERT_EQ(ZipSite("pw", 6), 3);
    const std::string good = ReadFileBytes(archive);
    const int64_t full = static_cast<int64_t>(good.size());
    RemoveFile(archive);
    for (bool replacing : {false, true}) {
        for (int64_t limit : {int64_t(100), int64_t(150000), full - 80, full - 10}) {
            SCOPED_TRACE((replacing ? "updating, limit " : "new, limit ") + std::to_string(limit));
            // Updating the archive of the same files: every entry is kept, copied from the
            // old archive, until the writes fail.
            const std::string old = good;
            if (replacing) WriteFileBytes(archive, old);
            TFailingZip failing(limit);
            failing.SetTempPath(temp);
            bool completed = false;
            failing.OnZipComplete = [&](TObject*, int) { completed = true; };
            UseBuilderSettings(failing, site, archive, "pw", 6);
            EXPECT_THROW(failing.Zip(), Exception);
            EXPECT_FALSE(completed);
            EXPECT_EQ(failing.GetFilesList()->Count(), 0);
            if (replacing)
                EXPECT_EQ(ReadFileBytes(archive), old);
            else
                EXPECT_FALSE(FileExists(archive));
            EXPECT_TRUE(ZkzFiles(temp).empty());
            RemoveFile(archive);
        }
    }
}

TEST_F(WriterTest, CancelAndStopNowEndTheRunWithoutAnArchive) {
    MakeTree(site, {{"a.txt", TextBytes(300000)}});
    auto expectCanceled = [&](const std::string& text) {
        UseBuilderSettings(zip, site, archive, "", 6);
        try {
            zip.Zip();
            ADD_FAILURE() << "no exception";
        } catch (const EUserCanceled& e) {
            EXPECT_EQ(e.Message, text);
        }
        EXPECT_FALSE(FileExists(archive));
        EXPECT_EQ(zip.GetFilesList()->Count(), 0);
    };
    zip.OnFilePercentDone = [&](TObject*, int) { zip.SetCancel(true); };
    expectCanceled("User Aborted Operation");
    zip.OnFilePercentDone = nullptr;
    zip.OnStartZipInfo = [](TObject*, int, int64_t, TEndCentral&, bool& stop) { stop = true; };
    expectCanceled("User canceled Zip operation");
}

// A file in the archive's place that is no archive is neither merged nor overwritten.
TEST_F(WriterTest, AnExistingFileThatIsNoArchiveIsLeftAlone) {
    MakeTree(site, {{"a.txt", "a"}});
    WriteFileBytes(archive, "not an archive");
    UseBuilderSettings(zip, site, archive, "", 6);
    EXPECT_THROW(zip.Zip(), EArcZipException);
    EXPECT_EQ(ReadFileBytes(archive), "not an archive");
    EXPECT_TRUE(ZkzFiles(temp).empty());
}

// ---- files that change while they are zipped --------------------------------------------

TEST_F(WriterTest, AFileThatShrinksIsStoredAsReadAndReported) {
    const std::string data = TextBytes(200000);
    MakeTree(site, {{"a.txt", data}});
    ChangeOnFirstProgress(site + "a.txt", [](TFileStream& f) { f.SetSize(0x8000 + 100); });
    ASSERT_EQ(ZipSite("", 0), 1);
    EXPECT_EQ(messages, (std::vector<std::string>{"208 " + site + "a.txt"}));
    const TRawArchive a = Parsed();
    ASSERT_EQ(a.Error, "");
    const TRawEntry& e = a.Entries.at(0);
    const std::string stored = ReadFileBytes(archive).substr(e.DataOffset, e.CompressedSize);
    EXPECT_EQ(e.UncompressedSize, stored.size());
    EXPECT_EQ(e.Crc, Crc32Of(stored.data(), stored.size()));
    EXPECT_EQ(stored, data.substr(0, stored.size()));
}

TEST_F(WriterTest, AFileThatGrowsIsStoredAsAtOpenAndReported) {
    const std::string data = TextBytes(100000);
    MakeTree(site, {{"a.txt", data}});
    ChangeOnFirstProgress(site + "a.txt", [](TFileStream& f) {
        f.Seek(0, soEnd);
        f.WriteBuffer("more", 4);
    });
    ASSERT_EQ(ZipSite("", 0), 1);
    EXPECT_EQ(messages.size(), 1u);
    const TRawArchive a = Parsed();
    ASSERT_EQ(a.Error, "");
    const TRawEntry& e = a.Entries.at(0);
    EXPECT_EQ(e.UncompressedSize, data.size());
    EXPECT_EQ(e.Crc, Crc32Of(data.data(), data.size()));
}

// With a password the CRC is needed before the data. A small file is read once, whole, so
// a change while it is zipped cannot make its entry inconsistent.
TEST_F(WriterTest, ASmallFileIsZippedAsItWasReadWhole) {
    const std::string before = TextBytes(150000, 1), after = TextBytes(150000, 2);
    MakeTree(site, {{"a.txt", before}});
    auto changed = ChangeOnFirstProgress(
        site + "a.txt", [&](TFileStream& f) { f.WriteBuffer(after.data(), static_cast<int32_t>(after.size())); });
    ASSERT_EQ(ZipSite("pw", 6), 1);
    EXPECT_TRUE(*changed);
    EXPECT_EQ(Parsed().Entries.at(0).Crc, Crc32Of(before.data(), before.size()));
}

// A larger file is read twice: bytes that change in between would fail the check byte.
// The entry is taken out and reported; a retry writes it anew.
TEST_F(WriterTest, ALargeFileThatChangesBetweenTheTwoReadingsIsRetriedOrLeftOut) {
    const size_t size = static_cast<size_t>(TArcZip::kWholeReadLimit) + 100000;
    const std::string before = TextBytes(size, 1), after = TextBytes(size, 2);
    for (bool retry : {false, true}) {
        SCOPED_TRACE(retry ? "retry" : "skip");
        MakeTree(site, {{"a.txt", before}, {"b.txt", "bbb"}});
        ChangeOnFirstProgress(
            site + "a.txt", [&](TFileStream& f) { f.WriteBuffer(after.data(), static_cast<int32_t>(after.size())); });
        std::vector<TSkipReason> reasons;
        zip.OnSkippingFile = [&](TObject*, TSkipReason r, const AnsiString& n, int, bool& again) {
            reasons.push_back(r);
            EXPECT_EQ(n, site + "a.txt");
            again = retry;
        };
        ASSERT_EQ(ZipSite("pw", 1), retry ? 2 : 1);
        EXPECT_EQ(reasons, (std::vector<TSkipReason>{srFileOpenError}));
        const std::string bytes = ReadFileBytes(archive);
        const TRawArchive a = ParseArchive(bytes);
        ASSERT_EQ(a.Error, "");
        ASSERT_EQ(a.Entries.size(), retry ? 2u : 1u);
        EXPECT_EQ(a.Entries[0].LocalOffset, 0u);   // nothing of the dropped entry is left
        for (const TRawEntry& e : a.Entries) {
            const std::string h = DecryptedHeader(bytes, e, "pw");
            EXPECT_EQ(static_cast<uint8_t>(h[11]), static_cast<uint8_t>(e.Crc >> 24));
        }
        if (retry) {
            EXPECT_EQ(FindEntry(a, "a.txt")->Crc, Crc32Of(after.data(), after.size()));
        }
        RemoveFile(archive);
    }
}

TEST_F(WriterTest, ALockedFileIsReportedAndTheRunGoesOn) {
#ifndef _WIN32
    GTEST_SKIP() << "files are locked against reading on Windows only";
#else
    for (bool retry : {false, true}) {
        SCOPED_TRACE(retry ? "retry" : "skip");
        MakeTree(site, {{"a.txt", "aaa"}, {"locked.txt", "lll"}});
        HANDLE lock = CreateFileA((site + "locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        std::vector<TSkipReason> reasons;
        zip.OnSkippingFile = [&](TObject*, TSkipReason r, const AnsiString&, int, bool& again) {
            reasons.push_back(r);
            if (retry && lock != INVALID_HANDLE_VALUE) {
                CloseHandle(lock);
                lock = INVALID_HANDLE_VALUE;
                again = true;
            }
        };
        EXPECT_EQ(ZipSite("pw", 6), retry ? 2 : 1);
        EXPECT_EQ(reasons, (std::vector<TSkipReason>{srFileOpenError}));
        EXPECT_EQ(Parsed().Entries.size(), retry ? 2u : 1u);
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        RemoveFile(archive);
    }
#endif
}

// ---- zip64 ------------------------------------------------------------------------------

// Entries whose size at open could need zip64 carry the block in their local header from
// the first write on; small files are given it here to show the effect.
class TZip64Zip : public TArcZip {
public:
    TZip64Zip() : TArcZip(nullptr) {}
    bool NeedsLocalZip64(int64_t) const override { return true; }
};

TEST_F(WriterTest, LocalZip64BlockIsDecidedBeforeTheFirstWrite) {
    MakeTree(site, {{"a.txt", TextBytes(100000)}, {"zero.txt", ""}});
    TZip64Zip z64;
    z64.SetOEMConvert(oemNever);
    UseBuilderSettings(z64, site, archive, "pw", 6);
    ASSERT_EQ(z64.Zip(), 2);
    const std::string bytes = ReadFileBytes(archive);
    const TRawArchive a = ParseArchive(bytes);
    ASSERT_EQ(a.Error, "");
    for (const TRawEntry& e : a.Entries) {
        SCOPED_TRACE(e.Name);
        EXPECT_EQ(e.LocalCompressed32, 0xFFFFFFFFu);
        EXPECT_EQ(e.LocalUncompressed32, 0xFFFFFFFFu);
        const std::string z = Zip64Block(e.LocalExtra);
        ASSERT_EQ(z.size(), 16u);
        const auto* p = reinterpret_cast<const uint8_t*>(z.data());
        EXPECT_EQ(GetLE64(p), e.UncompressedSize);
        EXPECT_EQ(GetLE64(p + 8), e.CompressedSize);
        EXPECT_EQ(Zip64Block(e.CentralExtra), "");   // the central record needs none
        EXPECT_EQ(e.VersionNeeded, 20);
    }
    // The reader takes the values through its 64-bit accessors.
    TArcUnZip r(nullptr);
    r.SetZipName(archive);
    r.OpenZip();
    ASSERT_EQ(r.EntryCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const TRawEntry* e = FindEntry(a, r.Entry(i)->GetFileName());
        EXPECT_EQ(static_cast<uint64_t>(r.Entry(i)->GetCompressedSize()), e->CompressedSize);
    }
}

TEST(TArcZipZip64, OnlySizesNearFourGibibytesNeedTheLocalBlock) {
    struct TProbe : TArcZip {
        TProbe() : TArcZip(nullptr) {}
        bool Needs(int64_t n) const { return NeedsLocalZip64(n); }
    } z;
    EXPECT_FALSE(z.Needs(0));
    EXPECT_FALSE(z.Needs(int64_t(3) << 30));
    EXPECT_TRUE(z.Needs(0xFFFFFFFFll));
    EXPECT_TRUE(z.Needs(0xFFFFFFFFll - 1024));   // Deflate or the encryption header could cross it
    EXPECT_TRUE(z.Needs(int64_t(5) << 30));
}

// ---- the per-entry settings a handler may change ------------------------------------------

// The raw Deflate stream zlib makes of Data at Level, as the writer sets it up.
std::string RawDeflate(const std::string& data, int level) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

class PerEntryLevelTest : public WriterTest, public ::testing::WithParamInterface<int> {};

// OnStartZip sees where the entry's local header goes, and the PackLevel it sets is the
// level that entry is packed at (data, method and flags), with the workers reading ahead
// or without them.
TEST_P(PerEntryLevelTest, OnStartZipSeesTheOffsetAndChoosesTheLevel) {
    zip.SetWorkerThreads(GetParam());
    std::map<std::string, std::string> files;
    const std::map<std::string, int> levels = {{"a.txt", 1}, {"b.txt", 9}, {"c.txt", 0}, {"d.txt", 6},
                                               {"e.txt", 9}, {"f.txt", 9}};
    uint32_t seed = 1;
    for (const auto& l : levels) files[l.first] = TextBytes(150000, seed++);
    MakeTree(site, files);
    std::map<std::string, int64_t> offsets;
    zip.OnStartZip = [&](TObject*, const AnsiString&, TZipHeaderInfo& h, bool&) {
        offsets[h.GetFileName()] = h.GetRelativeOffset();
        zip.SetPackLevel(levels.at(h.GetFileName()));
    };
    ASSERT_EQ(ZipSite("", 6), 6);
    const std::string bytes = ReadFileBytes(archive);
    const TRawArchive a = ParseArchive(bytes);
    ASSERT_EQ(a.Error, "");
    ASSERT_EQ(a.Entries.size(), 6u);
    for (const TRawEntry& e : a.Entries) {
        SCOPED_TRACE(e.Name);
        const int level = levels.at(e.Name);
        EXPECT_EQ(offsets.at(e.Name), static_cast<int64_t>(e.LocalOffset));
        EXPECT_EQ(e.Method, level == 0 ? 0 : 8);
        EXPECT_EQ(e.Flag, level <= 2 ? 0x0004 : level >= 8 ? 0x0002 : 0);
        const std::string data = bytes.substr(e.DataOffset, e.CompressedSize);
        EXPECT_TRUE(data == (level == 0 ? files.at(e.Name) : RawDeflate(files.at(e.Name), level)));
    }
    EXPECT_EQ(offsets.at("a.txt"), 0);
}

INSTANTIATE_TEST_SUITE_P(Workers, PerEntryLevelTest, ::testing::Values(1, 4),
                         [](const ::testing::TestParamInfo<int>& i) {
                             return i.param == 1 ? std::string("CallingThread") : std::string("Workers");
                         });

// ---- patterns of the exclude and no-compress lists ------------------------------------------

// A pattern that holds "\" is matched against the whole path, any other against the file
// name alone; both lists follow the same rule.
TEST_F(WriterTest, ListPatternsMatchTheNameOrTheWholePath) {
    const std::vector<std::string> names = {"old.bak", "sub\\o2.bak", "logo.png", "img\\logo.png", "img\\b.gif",
                                            "a.htm"};
    std::map<std::string, std::string> files;
    for (const std::string& n : names) files[n] = TextBytes(3000);
    MakeTree(site, files);
    struct TCase {
        std::string Pattern;
        std::set<std::string> Matched;   // stored names
    } cases[] = {
        {"old.bak", {"old.bak"}},
        {"o*.bak", {"old.bak", "sub/o2.bak"}},
        {"?LD.BAK", {"old.bak"}},
        {"*.bak", {"old.bak", "sub/o2.bak"}},
        {"logo.png", {"logo.png", "img/logo.png"}},
        {"img", {}},
        {site + "img\\*", {"img/logo.png", "img/b.gif"}},
        {site + "IMG\\LOGO.PNG", {"img/logo.png"}},
        {"img\\logo.png", {}},   // a folder part: the whole path, which starts elsewhere
        {"*\\img\\*.png", {"img/logo.png"}},
    };
    for (const TCase& c : cases) {
        for (const bool exclude : {true, false}) {
            SCOPED_TRACE(c.Pattern + (exclude ? " excluded" : " not compressed"));
            zip.GetExcludeList()->Clear();
            zip.GetNoCompressList()->Clear();
            (exclude ? zip.GetExcludeList() : zip.GetNoCompressList())->Add(c.Pattern);
            RemoveFile(archive);
            ZipSite("", 6);
            std::set<std::string> matched, all;
            for (const TRawEntry& e : Parsed().Entries) {
                all.insert(e.Name);
                if (!exclude && e.Method == 0) matched.insert(e.Name);
            }
            if (exclude)
                for (const std::string& n : names)
                    if (!all.count(ReplaceSingleByteChar(n, '\\', '/'))) matched.insert(ReplaceSingleByteChar(n, '\\', '/'));
            EXPECT_EQ(matched, c.Matched);
        }
    }
}

// ---- part files: the events of the copy onto the parts and the first part's reserve --------

class PartFilesTest : public WriterTest {
protected:
    void SetUp() override {
        WriterTest::SetUp();
        out = WinDir(tmp) + "parts\\";
        ForceDirectories(out);
        archive = out + "set.zip";
    }
    std::string out;
};

// OnStartSpanCopy names the file the entry is made of and the size of its temporary file;
// the file percentage runs on from where compressing left it, once up to 100, through
// every part the entry's data crosses.
TEST_F(PartFilesTest, SpanCopyEventsAndFilePercentage) {
    const std::string big = RandomBytes(200000, 5);
    MakeTree(site, {{"big.bin", big}, {"small.txt", TextBytes(5000)}});
    UseBuilderSettings(zip, site, archive, "pw", 0);
    zip.GetMultiZipInfo()->SetBlockSize(65536);
    zip.SetMultiMode(mmBlocks);
    std::vector<std::pair<std::string, int64_t>> copies;
    std::map<std::string, std::vector<int>> percents;
    std::string current;
    zip.OnStartZip = [&](TObject*, const AnsiString& n, TZipHeaderInfo&, bool&) { current = n; };
    zip.OnStartSpanCopy = [&](TObject* s, const AnsiString& n, int64_t size) {
        EXPECT_EQ(s, &zip);
        copies.emplace_back(n, size);
    };
    zip.OnFilePercentDone = [&](TObject*, int p) { percents[current].push_back(p); };
    ASSERT_EQ(zip.Zip(), 2);

    TArcUnZip r(nullptr);
    r.SetZipName(archive);
    r.OpenZip();
    ASSERT_EQ(r.EntryCount(), 2);
    ASSERT_EQ(copies.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const TZipHeaderInfo& h = *r.Entry(i);
        SCOPED_TRACE(h.GetFileName());
        EXPECT_EQ(copies[static_cast<size_t>(i)].first, site + h.GetFileName());
        EXPECT_EQ(copies[static_cast<size_t>(i)].second, h.GetCompressedSize());   // with the 12 header bytes
        const std::vector<int>& p = percents[site + h.GetFileName()];
        ASSERT_FALSE(p.empty());
        EXPECT_TRUE(std::is_sorted(p.begin(), p.end()));
        EXPECT_EQ(p.back(), 100);
        EXPECT_EQ(std::count(p.begin(), p.end(), 100), 1);
        // Compressing ends at the half, and the copy goes on above where it left off.
        EXPECT_NE(std::find(p.begin(), p.end(), 50), p.end());
    }
}

// With SaveZipInfoOnFirstDisk the first part keeps room for a copy of the directory,
// estimated from the average stored-name length: folder entries count in it as files do.
TEST_F(PartFilesTest, FolderEntriesCountInTheFirstPartsReserve) {
    const std::string folder = site + "a-folder-with-a-rather-long-name-to-count\\";
    ForceDirectories(folder);
    MakeTree(site, {{"big.bin", RandomBytes(50000, 6)}});
    UseBuilderSettings(zip, site, archive, "", 0);
    zip.GetFilesList()->Clear();
    zip.GetFilesList()->Add(folder);
    zip.GetFilesList()->Add(site + "big.bin");
    zip.GetMultiZipInfo()->SetBlockSize(20000);
    zip.GetMultiZipInfo()->SetSaveZipInfoOnFirstDisk(true);
    zip.SetMultiMode(mmBlocks);
    ASSERT_EQ(zip.Zip(), 2);
    // Two entries, the average of their lengths less 2, a central header each, the end
    // record and 2048 bytes; the data fills the rest of the part exactly.
    const int64_t average = (static_cast<int64_t>(folder.size()) - 2 + static_cast<int64_t>((site + "big.bin").size()) - 2) / 2;
    const int64_t reserve = 2 * (average + 46) + 22 + 2048;
    EXPECT_EQ(FileSizeByName(out + "set.zip.z01"), 20000 - reserve);
    TArcUnZip r(nullptr);
    r.SetZipName(archive);
    r.OpenZip();
    EXPECT_EQ(r.EntryCount(), 2);
}

}  // namespace
