// The writer with worker threads reading and compressing ahead: the archive's bytes and
// the sequence of events (all on the calling thread) are those of a run without workers,
// for every setting and for the runs that meet trouble: a cancel, a file that cannot be
// read, files that grow or shrink while they are read, a disk that fills up.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "tests/ziparchive/zip_writer_support.h"
#include "ziparchive/arc_zip.h"
#include "ziparchive/buffered_stream.h"
#include "ziparchive/crc32.h"
#ifndef _WIN32
#include "tests/ziparchive/tool_run.h"
#endif

namespace {

const unsigned kThreadCounts[] = {1, 2, 8};
const int64_t kFixedTime = 1600000000;   // every file and folder of the tree, so runs compare

// A source that another program changes under the writer: as soon as the writer first
// reads it (it grows or shrinks), or when the writer goes back to its start to read it
// again (its first bytes are rewritten).
enum TChange { chGrow, chShrink, chRewrite };

class TChangingSource : public TLFNFileStream {
public:
    TChangingSource(const AnsiString& name, int32_t bufferSize, uint32_t mode, TChange change)
        : TLFNFileStream(name, bufferSize, false, mode), FName(name), FChange(change) {}
    int32_t Read(void* buffer, int32_t count) override {
        if (!FChanged && FChange != chRewrite) Change();
        FReadSome = true;
        return TLFNFileStream::Read(buffer, count);
    }
    int64_t Seek(int64_t offset, int origin) override {
        if (!FChanged && FChange == chRewrite && FReadSome && offset == 0 && origin == soBeginning) Change();
        return TLFNFileStream::Seek(offset, origin);
    }

private:
    void Change() {
        FChanged = true;
        TFileStream f(FName, fmOpenReadWrite | fmShareDenyNone);
        switch (FChange) {
        case chGrow:
            f.Seek(0, soEnd);
            f.WriteBuffer("more", 4);
            break;
        case chShrink:
            f.SetSize(1000);
            break;
        case chRewrite:
            f.WriteBuffer("changed", 7);
            break;
        }
    }

    AnsiString FName;
    TChange FChange;
    bool FChanged = false, FReadSome = false;
};

// The writer with a fixed seed for the encryption headers and sources that misbehave on
// request. The settings are made before the run; the workers only read them.
class TTestZip : public TArcZip {
public:
    TTestZip() : TArcZip(nullptr) {}
    AnsiString Unreadable, Growing, Shrinking, Rewritten;
    int64_t OutputLimit = -1;
    std::atomic<int> Opens{0};

protected:
    uint32_t EncryptionSeed() override { return 12345; }
    std::unique_ptr<TLFNFileStream> OpenSourceFile(const AnsiString& path, int32_t bufferSize) const override {
        const_cast<std::atomic<int>&>(Opens)++;
        const AnsiString name = ExtractFileName(path);
        if (name == Unreadable) throw EFOpenError("Cannot open file \"" + path + "\"");
        if (name == Growing) return std::make_unique<TChangingSource>(path, bufferSize, SourceOpenMode, chGrow);
        if (name == Shrinking) return std::make_unique<TChangingSource>(path, bufferSize, SourceOpenMode, chShrink);
        if (name == Rewritten) return std::make_unique<TChangingSource>(path, bufferSize, SourceOpenMode, chRewrite);
        return TArcZip::OpenSourceFile(path, bufferSize);
    }
    std::unique_ptr<TS_BufferStream> CreateOutputStream(const AnsiString& name) override {
        if (OutputLimit < 0) return TArcZip::CreateOutputStream(name);
        return std::make_unique<TLimitedOutput>(name, OutputLimit);
    }
};

// What one run did: its events in order, its result and the archive it left.
struct TRunRecord {
    std::vector<std::string> Events;
    std::string Outcome;
    std::string Archive;   // "absent" when no file was left
    bool AllOnCallingThread = true;
    bool TempFilesLeft = false;
};

class ParallelWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        site = WinDir(tmp) + "site\\";
        archive = WinDir(tmp) + "out.zip";
        temp = WinDir(tmp) + "temp\\";
        ForceDirectories(temp);
        // Text and incompressible files of many sizes, empty ones, a file that Deflate
        // leaves in several output blocks, one beyond the whole-read limit (read twice
        // with a password), a no-compress name, empty folders.
        for (int i = 0; i < 40; ++i) {
            const size_t size = static_cast<size_t>(i * i * 97 + (i % 3 == 0 ? 0 : 1));
            files["pages\\p" + std::to_string(i) + ".htm"] =
                i % 4 == 3 ? RandomBytes(size, i) : TextBytes(size, static_cast<uint32_t>(i));
        }
        files["pages\\big.htm"] = TextBytes(700000, 3);
        files["media\\clip.avi"] = RandomBytes(static_cast<size_t>(TArcZip::kWholeReadLimit) + 70000, 5);
        files["media\\photo.jpg"] = RandomBytes(90000, 6);
        files["media\\photo.gif"] = RandomBytes(3000, 8);
        files["zero.txt"] = "";
        files["empty\\"] = "";
        files["pages\\sub\\"] = "";
        files["pages\\grow.htm"] = TextBytes(120000, 11);
        files["pages\\shrink.htm"] = TextBytes(90000, 12);
        files["locked.css"] = TextBytes(5000, 13);
    }

    // The tree afresh, every time stamp fixed: each run starts from the same files.
    void ResetTree() {
        DeleteTree(site);
        MakeTree(site, files);
        for (const auto& f : files)
            if (!EndsWithChar(f.first, '\\')) SetFileWriteTime(site + f.first, kFixedTime);
        for (const auto& f : files)
            if (EndsWithChar(f.first, '\\')) SetFileWriteTime(DropLastChar(site + f.first), kFixedTime);
        for (const char* d : {"pages", "media", "pages\\sub", "empty"}) SetFileWriteTime(site + d, kFixedTime);
    }

    static void DeleteTree(const std::string& dir) {
        TSearchRec rec;
        if (FindFirst(dir + "*", faAnyFile, rec) == 0) {
            do {
                if (rec.Name == "." || rec.Name == "..") continue;
                if (rec.Attr & faDirectory)
                    DeleteTree(dir + rec.Name + "\\");
                else
                    RemoveFile(dir + rec.Name);
            } while (FindNext(rec) == 0);
            FindClose(rec);
        }
        RemoveDir(DropLastChar(dir));
    }

    // One run with Threads workers; Setup adds the case's own settings and handlers.
    TRunRecord Run(unsigned threads, const std::string& password, int level,
                   const std::function<void(TTestZip&, TRunRecord&)>& setup = nullptr) {
        ResetTree();
        RemoveFile(archive);
        TRunRecord r;
        TTestZip zip;
        zip.SetTempPath(temp);
        zip.SetOEMConvert(oemNever);
        UseBuilderSettings(zip, site, archive, password, level);
        zip.SetAddDirEntriesOnRecurse(true);
        zip.GetNoCompressList()->Add(".jpg");
        zip.SetWorkerThreads(static_cast<int>(threads));
        const std::thread::id caller = std::this_thread::get_id();
        auto log = [&r, caller](const std::string& s) {
            if (std::this_thread::get_id() != caller) r.AllOnCallingThread = false;
            r.Events.push_back(s);
        };
        auto name = [this](const AnsiString& path) { return path.substr(std::min(path.size(), site.size())); };
        zip.OnStartZipInfo = [&](TObject*, int n, int64_t total, TEndCentral&, bool&) {
            log("info " + std::to_string(n) + " " + std::to_string(total));
        };
        zip.OnStartZip = [&](TObject*, const AnsiString& p, TZipHeaderInfo&, bool&) { log("start " + name(p)); };
        zip.OnFilePercentDone = [&](TObject*, int p) { log("file " + std::to_string(p)); };
        zip.OnTotalPercentDone = [&](TObject*, int p) { log("total " + std::to_string(p)); };
        zip.OnEndZip = [&](TObject*, const AnsiString& p, int64_t u, int64_t c, int64_t size) {
            log("end " + name(p) + " " + std::to_string(u) + " " + std::to_string(c) + " " + std::to_string(size));
        };
        zip.OnSkippingFile = [&](TObject*, TSkipReason why, const AnsiString& p, int, bool&) {
            log("skip " + std::to_string(static_cast<int>(why)) + " " + name(p));
        };
        zip.OnNoSuchFile = [&](TObject*, const AnsiString& p) { log("no such file " + name(p)); };
        zip.OnHandleMessage = [&](TObject*, int id, const AnsiString&, const AnsiString& p, uint32_t, int& answer) {
            log("message " + std::to_string(id) + " " + name(p));
            answer = 1;
        };
        zip.OnZipComplete = [&](TObject*, int n) { log("complete " + std::to_string(n)); };
        if (setup) setup(zip, r);
        try {
            r.Outcome = "zipped " + std::to_string(zip.Zip());
        } catch (const Exception& e) {
            r.Outcome = std::string("failed: ") + e.Message;
        }
        r.Archive = FileExists(archive) ? ReadFileBytes(archive) : "absent";
        r.TempFilesLeft = !FilesIn(temp, "ZKZ*").empty();
        return r;
    }

    // Runs the case with each thread count; every run must match the one without workers.
    TRunRecord ExpectSameWithEveryThreadCount(const std::string& password, int level,
                                              const std::function<void(TTestZip&, TRunRecord&)>& setup = nullptr) {
        const TRunRecord one = Run(1, password, level, setup);
        EXPECT_TRUE(one.AllOnCallingThread);
        for (unsigned threads : kThreadCounts) {
            if (threads == 1) continue;
            SCOPED_TRACE(std::to_string(threads) + " threads");
            const TRunRecord many = Run(threads, password, level, setup);
            EXPECT_EQ(many.Outcome, one.Outcome);
            EXPECT_TRUE(many.Archive == one.Archive) << "archives differ";
            EXPECT_EQ(many.Events, one.Events);
            EXPECT_TRUE(many.AllOnCallingThread);
            EXPECT_FALSE(many.TempFilesLeft);
        }
        return one;
    }

    TempDir tmp;
    std::string site, archive, temp;
    std::map<std::string, std::string> files;
};

struct TSettingCase {
    const char* Password;
    int Level;
    bool HugeFile;   // one file beyond the workers' limit, zipped by the calling thread
};

class ParallelSettingsTest : public ParallelWriterTest, public ::testing::WithParamInterface<TSettingCase> {};

TEST_P(ParallelSettingsTest, ArchiveAndEventsMatchTheRunWithoutWorkers) {
    const TSettingCase c = GetParam();
    if (c.HugeFile) files["media\\film.mp4"] = RandomBytes(static_cast<size_t>(TArcZip::kWorkerChunkLimit) + 1, 9);
    const TRunRecord one = ExpectSameWithEveryThreadCount(c.Password, c.Level);
    const size_t fileCount = std::count_if(files.begin(), files.end(),
                                           [](const auto& f) { return !EndsWithChar(f.first, '\\'); });
    EXPECT_EQ(one.Outcome, "zipped " + std::to_string(fileCount + 4));   // and four folders
    const TRawArchive a = ParseArchive(one.Archive);
    ASSERT_EQ(a.Error, "");
    for (const TRawEntry& e : a.Entries) {
        const std::string original = files[ReplaceSingleByteChar(e.Name, '/', '\\')];
        if (e.Name.back() != '/') {
            EXPECT_EQ(e.Crc, Crc32Of(original.data(), original.size())) << e.Name;
        }
    }
#ifndef _WIN32
    // Info-ZIP and 7-Zip test the archive the workers helped to write.
    const std::string native = ReplaceSingleByteChar(archive, '\\', '/');
    WriteFileBytes(archive, Run(8, c.Password, c.Level).Archive);
    const std::string pw = *c.Password ? std::string(" -P '") + c.Password + "'" : std::string();
    TToolRun unzip = RunTool("unzip -t -q" + pw + " '" + native + "'");
    if (unzip.Status == 127) GTEST_SKIP() << "unzip is not installed";
    EXPECT_EQ(unzip.Status, 0) << unzip.Output;
    TToolRun sevenZip = RunTool("7z t -p'" + std::string(c.Password) + "' '" + native + "'");
    if (sevenZip.Status != 127) {
        EXPECT_EQ(sevenZip.Status, 0) << sevenZip.Output;
    }
#endif
}

INSTANTIATE_TEST_SUITE_P(Settings, ParallelSettingsTest,
                         ::testing::Values(TSettingCase{"", 6, false}, TSettingCase{"secret", 6, false},
                                           TSettingCase{"secret", 0, false}, TSettingCase{"secret", 1, true},
                                           TSettingCase{"secret", 9, false}));

// Each incident with several threads ends as it does without workers: the same events up
// to the same point, the same outcome, the same archive or none, no temporary file.
struct TIncidentCase {
    const char* Label;
    std::function<void(TTestZip&, TRunRecord&)> Setup;
    const char* Outcome;   // a prefix of the run's outcome
    std::string Event;     // an event the run must raise (empty: none in particular)
    bool EventNeedsPassword = false;
};

TEST_F(ParallelWriterTest, IncidentsEndAsWithoutWorkers) {
    int progress = 0;
    const std::vector<TIncidentCase> cases = {
        {"cancel in the middle",
         [&progress](TTestZip& zip, TRunRecord& r) {
             progress = 0;
             auto logFile = zip.OnFilePercentDone;
             zip.OnFilePercentDone = [&zip, &progress, logFile](TObject* s, int p) {
                 logFile(s, p);
                 if (++progress == 40) zip.SetCancel(true);
             };
             (void)r;
         },
         "failed: User Aborted Operation", "file "},
        {"a file that cannot be read", [](TTestZip& zip, TRunRecord&) { zip.Unreadable = "locked.css"; }, "zipped",
         "skip " + std::to_string(static_cast<int>(srFileOpenError)) + " locked.css"},
        {"a file that grows while it is read", [](TTestZip& zip, TRunRecord&) { zip.Growing = "grow.htm"; }, "zipped",
         "message 208 pages\\grow.htm"},
        {"a file that shrinks while it is read", [](TTestZip& zip, TRunRecord&) { zip.Shrinking = "shrink.htm"; },
         "zipped", "message 208 pages\\shrink.htm"},
        {"a large file that changes between its two readings",
         [](TTestZip& zip, TRunRecord&) { zip.Rewritten = "clip.avi"; }, "zipped",
         "skip " + std::to_string(static_cast<int>(srFileOpenError)) + " media\\clip.avi", true},
        {"OnStartZip sets each file's level",
         [](TTestZip& zip, TRunRecord&) {
             auto logStart = zip.OnStartZip;
             zip.OnStartZip = [&zip, logStart](TObject* s, const AnsiString& p, TZipHeaderInfo& h, bool& skip) {
                 logStart(s, p, h, skip);
                 zip.SetPackLevel(static_cast<int>(p.size() % 10));   // 0 stores
             };
         },
         "zipped", ""},
        {"a full disk in the middle", [](TTestZip& zip, TRunRecord&) { zip.OutputLimit = 2000000; },
         "failed: Not enough room", ""},
        {"a full disk in the directory", [](TTestZip& zip, TRunRecord&) { zip.OutputLimit = 5198500; },
         "failed: Not enough room", ""},
    };
    for (const TIncidentCase& c : cases) {
        for (const char* password : {"", "secret"}) {
            SCOPED_TRACE(std::string(c.Label) + (*password ? ", with a password" : ""));
            const TRunRecord one = ExpectSameWithEveryThreadCount(password, 6, c.Setup);
            EXPECT_EQ(one.Outcome.substr(0, strlen(c.Outcome)), c.Outcome) << one.Outcome;
            if (!c.Event.empty() && (*password || !c.EventNeedsPassword)) {
                EXPECT_TRUE(std::any_of(one.Events.begin(), one.Events.end(),
                                        [&](const std::string& e) { return e.rfind(c.Event, 0) == 0; }))
                    << c.Event;
            }
            if (one.Outcome.rfind("failed", 0) == 0) {
                EXPECT_EQ(one.Archive, "absent");
            }
        }
    }
}

}  // namespace
