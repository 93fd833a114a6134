// Extraction with worker threads against extraction on the calling thread alone: the same
// files and the same events in the same order, handlers that still rename and skip, damaged
// entries that fail alone, same-named entries written in archive order, hostile names that
// reach nothing outside, a cancel that ends between entries, and a run that ends at an entry
// leaving every entry after it as it was. Runs with no handler of single entries ("quiet")
// are the ones whose data goes to the workers.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <filesystem>
#include <map>
#include <set>

#include "classlib/fileio.h"
#include "ziparchive/arc_exceptions.h"
#include "ziparchive/arc_unzip.h"
#include "ziparchive/file_utils.h"
#include "zipextract/unzip_run.h"
#include "tests/support/tempdir.h"
#include "tests/zipextract/zip_builder.h"

namespace fs = std::filesystem;

namespace {

const int kWorkerCounts[] = {1, 2, 8};

std::string Page(size_t n, int salt) {
    std::string s;
    for (size_t i = 0; s.size() < n; ++i) s += "<p>paragraph " + std::to_string(i * 31 + salt) + " of a page</p>\n";
    s.resize(n);
    return s;
}

// Bytes that do not compress, different for every salt.
std::string Noise(size_t n, uint32_t salt) {
    std::string s(n, '\0');
    uint32_t x = 0x9E3779B9u ^ salt;
    for (char& c : s) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }
    return s;
}

// A book-like archive: folders, pages, a few large and incompressible files, empty files,
// stored and deflated, some encrypted with the password "pw".
std::vector<TTestEntry> Book(int files) {
    std::vector<TTestEntry> entries;
    entries.push_back({"css/", ""});
    for (int i = 0; i < files; ++i) {
        const std::string folder = i % 3 == 0 ? "" : (i % 3 == 1 ? "chapter" + std::to_string(i % 7) + "/" : "css/");
        TTestEntry e{folder + "f" + std::to_string(i) + ".htm", Page(static_cast<size_t>(100 + (i * 977) % 20000), i)};
        if (i % 17 == 5) e.Data = Noise(static_cast<size_t>(70000 + i * 13), static_cast<uint32_t>(i));
        if (i % 23 == 7) e.Data.clear();
        if (i % 5 == 2) e.Method = 0;
        if (i % 4 == 1) {
            e.Encrypt = true;
            e.Password = "pw";
            e.DataDescriptor = i % 8 == 1;
        }
        e.DosTime = 0x5A8E5B2Cu + static_cast<uint32_t>(i);
        entries.push_back(e);
    }
    return entries;
}

// No handler that is told of single entries: the run may hand the entries' data to workers.
void Quiet(TArcUnZip& zip) {
    zip.OnStartUnZip = nullptr;
    zip.OnEndUnZip = nullptr;
    zip.OnSkippingFile = nullptr;
    zip.OnBadCRC = nullptr;
    zip.OnFilePercentDone = nullptr;
    zip.OnTotalPercentDone = nullptr;
}

class ParallelExtractionTest : public ::testing::Test {
protected:
    ParallelExtractionTest() : Base(ReplaceSingleByteChar(Tmp.Path(), '/', '\\')) {}

    void Archive(const std::vector<TTestEntry>& entries, std::vector<TPlacement>* where = nullptr) {
        Bytes = BuildZip(entries, where);
        WriteWholeFile(Tmp.Path() + "a.zip", Bytes);
    }

    // One run into a fresh folder "outN" with Workers workers (0: the calling thread alone);
    // the events are recorded in order.
    struct TResult {
        int Done = 0;
        std::vector<std::string> Events;
        std::map<std::string, std::string> Files;   // relative name -> bytes ("/" for a folder)
        std::set<std::string> Outside;              // anything below the scratch folder but the runs' own
        bool Canceled = false;
        bool WriteFailed = false;
        std::string Raised;   // any other error: its class and message
    };
    TResult Run(int workers, const std::function<void(TArcUnZip&, TResult&)>& setUp = nullptr,
                const std::function<void(const std::string& dest)>& prepare = nullptr) {
        const std::string dest = Base + "out" + std::to_string(workers) + RunTag;
        if (prepare) prepare(ReplaceSingleByteChar(dest, '\\', '/'));
        TArcUnZip zip(nullptr);
        zip.SetZipName(Base + "a.zip");
        zip.SetDestDir(dest);
        zip.SetRecreateDirs(true);
        zip.SetRetainAttributes(true);
        zip.SetDoAll(true);
        zip.SetOverwriteMode(Always);
        zip.Password = "pw";
        TResult r;
        auto rel = [&](const AnsiString& name) {
            return name.compare(0, dest.size(), dest) == 0 ? name.substr(dest.size()) : "!" + name;
        };
        // A start tells what the file of the last entry that ended holds on disk by then.
        AnsiString lastEnded;
        zip.OnStartUnZip = [&](TObject*, int i, AnsiString& name, bool&) {
            const std::string last = ReplaceSingleByteChar(lastEnded, '\\', '/');
            const std::string seen = lastEnded.empty() ? "" : fs::exists(last) ? std::to_string(fs::file_size(last)) : "none";
            r.Events.push_back("start " + std::to_string(i) + " " + rel(name) + " after " + seen);
        };
        zip.OnEndUnZip = [&](TObject*, int i, const AnsiString& name) {
            r.Events.push_back("end " + std::to_string(i) + " " + rel(name));
            lastEnded = name;
        };
        zip.OnSkippingFile = [&](TObject*, TSkipReason why, const AnsiString& name, int i, bool&) {
            r.Events.push_back("skip " + std::to_string(i) + " " + std::to_string(why) + " " + rel(name));
        };
        zip.OnBadCRC = [&](TObject*, int32_t, int32_t, int i) { r.Events.push_back("badcrc " + std::to_string(i)); };
        zip.OnFilePercentDone = [&](TObject*, int p) { r.Events.push_back("file% " + std::to_string(p)); };
        zip.OnTotalPercentDone = [&](TObject*, int p) { r.Events.push_back("total% " + std::to_string(p)); };
        zip.OnUnZipComplete = [&](TObject*, int n) { r.Events.push_back("complete " + std::to_string(n)); };
        if (setUp) setUp(zip, r);
        TUnZipRun run(zip, false);
        run.SetWorkers(workers);
        try {
            r.Done = run.UnZip();
        } catch (const EUserCanceled&) {
            r.Canceled = true;
        } catch (const ECantWriteUCF&) {
            r.WriteFailed = true;
        } catch (const Exception& e) {
            r.Raised = std::string(e.ClassName()) + " " + e.Message;
        }
        const fs::path root(ReplaceSingleByteChar(dest, '\\', '/'));
        if (fs::exists(root))
            for (const auto& e : fs::recursive_directory_iterator(root)) {
                const std::string name = fs::relative(e.path(), root).generic_string();
                r.Files[name] = e.is_directory() ? "/" : ReadWholeFile(e.path().string());
                if (!e.is_directory())
                    r.Files[name + " @"] = std::to_string(GetFileDosDateTime(ReplaceSingleByteChar(e.path().string(), '/', '\\')));
            }
        for (const auto& e : fs::directory_iterator(fs::path(Tmp.Path()))) {
            const std::string name = e.path().filename().string();
            if (name != "a.zip" && name.rfind("out", 0) != 0) r.Outside.insert(name);
        }
        return r;
    }

    // The first name whose file differs between two runs.
    static std::string Difference(const std::map<std::string, std::string>& a,
                                  const std::map<std::string, std::string>& b) {
        for (const auto& [name, bytes] : a)
            if (!b.count(name) || b.at(name) != bytes) return name;
        for (const auto& [name, bytes] : b)
            if (!a.count(name)) return name;
        return "";
    }

    TempDir Tmp;
    const std::string Base;
    std::string RunTag;   // tells runs into different folders apart
    std::string Bytes;
};

// The same files with the same dates, whatever the number of workers; with handlers of single
// entries the whole sequence of events is the one of the calling thread alone: every entry
// ends before the next starts, and a start finds the file of the entry before it complete.
TEST_F(ParallelExtractionTest, SameTreeAndEventsForAnyNumberOfWorkers) {
    std::vector<TPlacement> where;
    std::vector<TTestEntry> entries = Book(300);
    Archive(entries, &where);
    const TResult serial = Run(0);
    EXPECT_EQ(serial.Done, 301);
    EXPECT_EQ(serial.Files.at("chapter1/f1.htm"), entries[2].Data);
    const auto quiet = [](TArcUnZip& zip, TResult&) { Quiet(zip); };
    for (int workers : kWorkerCounts) {
        const TResult r = Run(workers);
        EXPECT_EQ(r.Done, serial.Done) << workers;
        EXPECT_TRUE(r.Files == serial.Files) << workers << ": " << Difference(r.Files, serial.Files);
        EXPECT_TRUE(r.Events == serial.Events) << workers;
        const TResult q = Run(workers, quiet);
        EXPECT_EQ(q.Done, serial.Done) << workers;
        EXPECT_TRUE(q.Files == serial.Files) << workers << " quiet: " << Difference(q.Files, serial.Files);
        EXPECT_TRUE(q.Events == std::vector<std::string>{"complete 301"}) << workers;
    }
    EXPECT_EQ(std::count(serial.Events.begin(), serial.Events.end(), "start 2 \\chapter1\\f1.htm after 100"), 1);
    // The last total progress event reaches 100.
    EXPECT_EQ(*std::find_if(serial.Events.rbegin(), serial.Events.rend(),
                            [](const std::string& e) { return e.rfind("total%", 0) == 0; }),
              "total% 100");
}

// OnStartUnZip still decides for every entry: renamed entries land under their new names,
// skipped ones are not written, a redirect outside the destination is refused.
TEST_F(ParallelExtractionTest, HandlersStillRenameAndSkip) {
    Archive(Book(120));
    auto setUp = [this](TArcUnZip& zip, TResult&) {
        auto inner = zip.OnStartUnZip;
        zip.OnStartUnZip = [this, inner, &zip](TObject* s, int i, AnsiString& name, bool& skip) {
            if (i % 5 == 0) skip = true;
            if (i % 5 == 1) name = ChangeFileExt(name, ".renamed");
            if (i == 42) name = Base + "escaped.htm";
            inner(s, i, name, skip);
        };
    };
    const TResult serial = Run(0, setUp);
    EXPECT_EQ(serial.Files.count("chapter4/f4.htm"), 0u);   // entry 5, skipped
    EXPECT_EQ(serial.Files.count("f0.renamed"), 1u);         // entry 1, renamed
    for (int workers : kWorkerCounts) {
        const TResult r = Run(workers, setUp);
        EXPECT_EQ(r.Done, serial.Done) << workers;
        EXPECT_TRUE(r.Files == serial.Files) << workers;
        EXPECT_TRUE(r.Events == serial.Events) << workers;
        EXPECT_TRUE(r.Outside.empty()) << workers;
    }
}

// A damaged entry among sound ones fails alone, reported once and leaving no file; a file
// that cannot be created is skipped alone; the rest extracts.
TEST_F(ParallelExtractionTest, DamagedEntryFailsAlone) {
    std::vector<TPlacement> where;
    std::vector<TTestEntry> entries = Book(150);
    entries[20].DeclaredCrc = Crc32(entries[20].Data) ^ 1;   // chapter5/f19.htm
    Archive(entries, &where);
    Bytes[static_cast<size_t>(where[40].Data + where[40].DataLength / 2)] ^= 0x55;   // f39.htm, deflated
    WriteWholeFile(Tmp.Path() + "a.zip", Bytes);
    // A folder where entry 60's file (css/f59.htm) would go: it cannot be created.
    for (int workers : {0, 2, 8}) {
        fs::create_directories(fs::path(Tmp.Path()) / ("out" + std::to_string(workers)) / "css" / "f59.htm");
        const TResult r = Run(workers);
        EXPECT_EQ(r.Done, 151 - 3) << workers;
        EXPECT_EQ(r.Files.count("chapter5/f19.htm"), 0u) << workers;
        EXPECT_EQ(r.Files.count("f39.htm"), 0u) << workers;
        EXPECT_EQ(r.Files.at("css/f59.htm"), "/") << workers;
        EXPECT_EQ(r.Files.at("f60.htm"), entries[61].Data) << workers;
        EXPECT_EQ(std::count(r.Events.begin(), r.Events.end(), "badcrc 20"), 1) << workers;
        EXPECT_EQ(std::count(r.Events.begin(), r.Events.end(), "badcrc 40"), 1) << workers;
        EXPECT_EQ(std::count_if(r.Events.begin(), r.Events.end(),
                                [](const std::string& e) { return e.rfind("skip 60 ", 0) == 0; }),
                  1)
            << workers;
        RunTag = "q";
        fs::create_directories(fs::path(Tmp.Path()) / ("out" + std::to_string(workers) + "q") / "css" / "f59.htm");
        const TResult q = Run(workers, [](TArcUnZip& zip, TResult&) { Quiet(zip); });
        RunTag.clear();
        EXPECT_EQ(q.Done, r.Done) << workers;
        EXPECT_TRUE(q.Files == r.Files) << workers << ": " << Difference(q.Files, r.Files);
    }
}

// Entries of one name are written in archive order: the last one wins, or with OverwriteMode
// Never the first one stays; a file whose name is later needed as a folder is written first.
TEST_F(ParallelExtractionTest, SameNamesKeepArchiveOrder) {
    std::vector<TTestEntry> entries;
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 30; ++i)
            entries.push_back({(round == 1 ? "PAGE" : "page") + std::to_string(i) + ".htm",
                               Page(static_cast<size_t>(40000 + 1000 * round), round * 100 + i)});
    entries.push_back({"a", "a file"});
    entries.push_back({"a/b.htm", "below a file"});
    Archive(entries);
    for (TUZOverwriteMode mode : {Always, Never}) {
        auto setUp = [mode](TArcUnZip& zip, TResult&) { zip.SetOverwriteMode(mode); };
        fs::remove_all(fs::path(Tmp.Path()) / "out0");
        const TResult serial = Run(0, setUp);
        EXPECT_EQ(serial.Files.at("a"), "a file");
        for (int workers : kWorkerCounts) {
            fs::remove_all(fs::path(Tmp.Path()) / ("out" + std::to_string(workers)));
            const TResult r = Run(workers, setUp);
            EXPECT_EQ(r.Done, serial.Done) << workers << " mode " << static_cast<int>(mode);
            EXPECT_TRUE(r.Files == serial.Files) << workers << " mode " << static_cast<int>(mode);
            EXPECT_TRUE(r.Events == serial.Events) << workers << " mode " << static_cast<int>(mode);
            RunTag = "q";
            fs::remove_all(fs::path(Tmp.Path()) / ("out" + std::to_string(workers) + "q"));
            const TResult q = Run(workers, [mode](TArcUnZip& zip, TResult&) {
                zip.SetOverwriteMode(mode);
                Quiet(zip);
            });
            RunTag.clear();
            EXPECT_EQ(q.Done, serial.Done) << workers << " mode " << static_cast<int>(mode);
            EXPECT_TRUE(q.Files == serial.Files) << workers << " mode " << static_cast<int>(mode) << ": "
                                                 << Difference(q.Files, serial.Files);
        }
    }
}

// Hostile names and a handler redirecting outside write nothing outside the destination,
// with workers as without.
TEST_F(ParallelExtractionTest, HostileNamesWriteNothingOutside) {
    std::vector<TTestEntry> entries;
    for (const char* n : {"../x1.txt", "a/../../x2.txt", "..\\x3.txt", "\\\\srv\\share\\x4.txt", "sub/c:d.txt",
                          "CON", "x/lpt1/y.txt", "../", "sub/../../dir/"})
        entries.push_back({n, "evil"});
    for (int i = 0; i < 40; ++i) entries.push_back({"ok" + std::to_string(i) + ".htm", Page(3000, i)});
    Archive(entries);
    auto setUp = [this](TArcUnZip& zip, TResult&) {
        auto inner = zip.OnStartUnZip;
        zip.OnStartUnZip = [this, inner](TObject* s, int i, AnsiString& name, bool& skip) {
            if (i == 20) name = Base + "redirected.htm";
            if (i == 21) name = Base + "out8\\..\\up.htm";
            inner(s, i, name, skip);
        };
    };
    for (int workers : {0, 8}) {
        const TResult r = Run(workers, setUp);
        EXPECT_EQ(r.Done, 38) << workers;
        EXPECT_TRUE(r.Outside.empty()) << workers;
        EXPECT_EQ(r.Files.size(), 2u * 38) << workers;   // each file with its date
    }
}

// A cancel asked for by a handler ends the run between entries: the entries already started
// end as they would have, nothing after them is written, and the run raises EUserCanceled.
TEST_F(ParallelExtractionTest, CancelEndsBetweenEntries) {
    Archive(Book(200));
    auto setUp = [](TArcUnZip& zip, TResult&) {
        auto inner = zip.OnStartUnZip;
        zip.OnStartUnZip = [inner, &zip](TObject* s, int i, AnsiString& name, bool& skip) {
            if (i == 90) zip.SetCancel(true);
            inner(s, i, name, skip);
        };
    };
    const TResult serial = Run(0, setUp);
    EXPECT_TRUE(serial.Canceled);
    for (int workers : kWorkerCounts) {
        const TResult r = Run(workers, setUp);
        EXPECT_TRUE(r.Canceled) << workers;
        EXPECT_TRUE(r.Files == serial.Files) << workers;
        EXPECT_TRUE(r.Events == serial.Events) << workers;
    }
}

// A handler that raises at an entry ends the run there, with workers as without: the entries
// before it end as they would have (their files stay, their events come, they count), nothing
// of that entry or after it is written, OnUnZipComplete reports the count reached and the
// exception reaches the caller.
TEST_F(ParallelExtractionTest, HandlerRaisingAtAnEntryKeepsTheEntriesBefore) {
    const int k = 91;   // f90.htm, 70 KB of noise, in the root folder
    const std::string name = "f90.htm";
    struct TCase {
        const char* Name;
        bool Prompt;          // OverwriteMode Prompt, with the entry's file already there
        bool UnknownMethod;   // the entry's method is 9
        std::function<void(TArcUnZip&)> SetUp;
    };
    const auto raise = [] { throw Exception("handler"); };
    const std::vector<TCase> cases = {
        {"OnStartUnZip", false, false,
         [&](TArcUnZip& zip) {
             auto inner = zip.OnStartUnZip;
             zip.OnStartUnZip = [inner, k, raise](TObject* s, int i, AnsiString& fName, bool& skip) {
                 inner(s, i, fName, skip);
                 if (i == k) raise();
             };
         }},
        {"OnPromptForOverwrite", true, false,
         [&](TArcUnZip& zip) { zip.OnPromptForOverwrite = [raise](TObject*, bool&, int, AnsiString&) { raise(); }; }},
        {"OnHandleMessage, overwrite prompt", true, false,
         [&](TArcUnZip& zip) {
             zip.OnHandleMessage = [raise](TObject*, int, const AnsiString&, const AnsiString&, uint32_t, int&) { raise(); };
         }},
        {"OnHandleMessage, unknown method", false, true,
         [&](TArcUnZip& zip) {
             zip.OnHandleMessage = [raise](TObject*, int, const AnsiString&, const AnsiString&, uint32_t, int&) { raise(); };
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<TTestEntry> entries = Book(200);
        ASSERT_EQ(entries[k].Name, name);
        if (c.UnknownMethod) {
            entries[k].Method = 9;
            entries[k].Data = "x";
        }
        Archive(entries);
        auto setUp = [&](TArcUnZip& zip, TResult&) {
            if (c.Prompt) zip.SetOverwriteMode(Prompt);
            c.SetUp(zip);
        };
        auto prepare = [&](const std::string& dest) {
            fs::remove_all(dest);
            if (!c.Prompt) return;
            fs::create_directories(dest);
            WriteWholeFile(dest + "/" + name, "old");
        };
        // The file put there beforehand carries the time it was made.
        const auto run = [&](int workers) {
            TResult r = Run(workers, setUp, prepare);
            r.Files.erase(name + " @");
            return r;
        };
        const TResult serial = run(0);
        EXPECT_EQ(serial.Raised, "Exception handler");
        EXPECT_EQ(serial.Files.at("css/f89.htm"), entries[k - 1].Data);   // the entry before
        EXPECT_EQ(serial.Files.count("f93.htm"), 0u);                     // one after
        EXPECT_EQ(serial.Files.count(name), c.Prompt ? 1u : 0u);
        if (c.Prompt) {
            EXPECT_EQ(serial.Files.at(name), "old");
        }
        const std::string complete = "complete " + std::to_string(k);   // the folder and the files before
        EXPECT_EQ(serial.Events.back(), complete);
        for (int workers : kWorkerCounts) {
            const TResult r = run(workers);
            EXPECT_EQ(r.Raised, serial.Raised) << workers;
            EXPECT_TRUE(r.Files == serial.Files) << workers << ": " << Difference(r.Files, serial.Files);
            EXPECT_TRUE(r.Events == serial.Events) << workers;
            EXPECT_EQ(r.Events.back(), complete) << workers;
        }
    }
}

// A failure of an entry still being decoded ends the run at that entry: the entries started
// behind it (a folder entry, a file not replaced, a file in a new folder) leave no count, no
// event of their end and nothing on disk, as on the calling thread alone.
TEST_F(ParallelExtractionTest, FailureInFlightUndoesTheEntriesBehindIt) {
    std::vector<TTestEntry> entries(5);
    entries[0].Name = "before.htm";
    entries[0].Data = Page(3000, 1);
    entries[1].Name = "bad.htm";
    entries[1].Data = Page(3000, 2);
    entries[1].RawCompressed = "\x07";   // a reserved block type
    entries[2].Name = "d/";
    entries[3].Name = "e/after.htm";
    entries[3].Data = "after";
    entries[4].Name = "exists.htm";
    entries[4].Data = "new";
    Archive(entries);
    auto setUp = [](TArcUnZip& zip, TResult&) { zip.SetOverwriteMode(Never); };
    auto prepare = [](const std::string& dest) {
        fs::remove_all(dest);
        fs::create_directories(dest);
        WriteWholeFile(dest + "/exists.htm", "old");
    };
    const auto run = [&](int workers) {
        TResult r = Run(workers, setUp, prepare);
        r.Files.erase("exists.htm @");
        r.Files.erase("before.htm @");
        std::vector<std::string> ends;
        for (const std::string& e : r.Events)
            if (e.rfind("start", 0) != 0 && e.rfind("file%", 0) != 0 && e.rfind("total%", 0) != 0) ends.push_back(e);
        r.Events = ends;
        return r;
    };
    const TResult serial = run(0);
    EXPECT_FALSE(serial.Raised.empty());
    EXPECT_TRUE((serial.Events == std::vector<std::string>{"end 0 \\before.htm", "complete 1"}));
    EXPECT_TRUE((serial.Files ==
                 std::map<std::string, std::string>{{"before.htm", entries[0].Data}, {"exists.htm", "old"}}));
    for (int workers : {1, 8}) {
        const TResult r = run(workers);
        EXPECT_EQ(r.Raised, serial.Raised) << workers;
        EXPECT_TRUE(r.Events == serial.Events) << workers << ": " << r.Events.size();
        EXPECT_TRUE(r.Files == serial.Files) << workers << ": " << Difference(r.Files, serial.Files);
    }
}

// A run that ends at an entry, whatever ends it, leaves every entry after it as it was before
// the run: a file that was there keeps its bytes and its date, no new file and no new folder
// stays; the entries before it are extracted, and the count and the exception are those of
// the calling thread alone. A cancel asked for by an end-side handler ends the run so too.
TEST_F(ParallelExtractionTest, EndedRunLeavesTheEntriesAfterItAsTheyWere) {
    const std::string old = "old contents";
    struct TCase {
        const char* Name;
        std::function<void(std::vector<TTestEntry>&)> Damage;   // to entry 1
        std::function<void(TArcUnZip&)> SetUp;                  // after Quiet
        std::function<void(const std::string& dest)> Prepare;
        const char* Outcome;   // what the run raises
    };
    const auto raiseAt1 = [](int i) {
        if (i == 1) throw Exception("handler");
    };
    std::vector<TCase> cases = {
        {"corrupt Deflate data", [](std::vector<TTestEntry>& e) { e[1].RawCompressed = "\x07"; }, nullptr, nullptr,
         "EZCompressionError"},
        {"the archive ends before the entry", [](std::vector<TTestEntry>& e) { e[1].Method = 0; }, nullptr, nullptr,
         "EFatalUnzipError"},
        {"OnEndUnZip raises", nullptr,
         [raiseAt1](TArcUnZip& zip) { zip.OnEndUnZip = [raiseAt1](TObject*, int i, const AnsiString&) { raiseAt1(i); }; },
         nullptr, "Exception"},
        {"OnBadCRC raises", [](std::vector<TTestEntry>& e) { e[1].DeclaredCrc = Crc32(e[1].Data) ^ 1; },
         [raiseAt1](TArcUnZip& zip) { zip.OnBadCRC = [raiseAt1](TObject*, int32_t, int32_t, int i) { raiseAt1(i); }; },
         nullptr, "Exception"},
        {"OnSkippingFile raises", nullptr,
         [raiseAt1](TArcUnZip& zip) {
             zip.OnSkippingFile = [raiseAt1](TObject*, TSkipReason, const AnsiString&, int i, bool&) { raiseAt1(i); };
         },
         [](const std::string& dest) { fs::create_directories(dest + "/bad.htm"); }, "Exception"},
        {"OnFilePercentDone raises", nullptr,
         [](TArcUnZip& zip) {
             auto calls = std::make_shared<int>(0);
             zip.OnFilePercentDone = [calls](TObject*, int) {
                 if (++*calls == 2) throw Exception("handler");
             };
         },
         nullptr, "Exception"},
        {"cancel from OnEndUnZip", nullptr,
         [](TArcUnZip& zip) {
             zip.OnEndUnZip = [&zip](TObject*, int i, const AnsiString&) {
                 if (i == 1) zip.SetCancel(true);
             };
         },
         nullptr, "EUserCanceled"},
        {"cancel from OnTotalPercentDone", nullptr,
         [](TArcUnZip& zip) {
             auto calls = std::make_shared<int>(0);
             zip.OnTotalPercentDone = [&zip, calls](TObject*, int) {
                 if (++*calls == 2) zip.SetCancel(true);
             };
         },
         nullptr, "EUserCanceled"},
        // A message handler leaves the entries' data to the workers.
        {"cancel from the notice of an unknown method",
         [](std::vector<TTestEntry>& e) {
             e[1].Method = 9;
             e[1].Data = "x";
         },
         [](TArcUnZip& zip) {
             zip.OnHandleMessage = [&zip](TObject*, int, const AnsiString&, const AnsiString&, uint32_t, int&) {
                 zip.SetCancel(true);
             };
         },
         nullptr, "EUserCanceled"},
        {"OnHandleMessage raises at the overwrite prompt", nullptr,
         [](TArcUnZip& zip) {
             zip.SetOverwriteMode(Prompt);
             zip.OnHandleMessage = [](TObject*, int, const AnsiString&, const AnsiString&, uint32_t, int&) {
                 throw Exception("handler");
             };
         },
         [](const std::string& dest) { WriteWholeFile(dest + "/bad.htm", "the user's"); }, "Exception"},
#ifndef _WIN32
        {"a full disk", nullptr, nullptr,
         [](const std::string& dest) { fs::create_symlink("/dev/full", fs::path(dest) / "bad.htm"); }, "ECantWriteUCF"},
#endif
    };
    for (const TCase& c : cases) {
        for (bool there : {false, true}) {
            SCOPED_TRACE(std::string(c.Name) + (there ? ", a file already there" : ""));
            std::vector<TTestEntry> entries = {{"before.htm", Page(3000, 1)}, {"bad.htm", Page(5000, 2)},
                                               {"d/", ""},                    {"e/after.htm", "after"},
                                               {"exists.htm", "new"},         {"f/g/deep.htm", Page(2000, 3)}};
            if (c.Damage) c.Damage(entries);
            std::vector<TPlacement> where;
            Archive(entries, &where);
            if (std::string(c.Name) == "the archive ends before the entry") {
                // The directory claims more stored bytes for bad.htm than the archive holds.
                for (int field : {20, 24}) {
                    const uint32_t huge = static_cast<uint32_t>(Bytes.size()) * 4;
                    std::memcpy(&Bytes[static_cast<size_t>(where[1].CentralHeader + field)], &huge, 4);
                }
                WriteWholeFile(Tmp.Path() + "a.zip", Bytes);
            }
            const fs::file_time_type oldTime = fs::last_write_time(Tmp.Path() + "a.zip") - std::chrono::hours(48);
            const auto prepare = [&](const std::string& dest) {
                fs::remove_all(dest);
                fs::create_directories(dest);
                if (there) {
                    WriteWholeFile(dest + "/exists.htm", old);
                    fs::last_write_time(dest + "/exists.htm", oldTime);
                }
                if (c.Prepare) c.Prepare(dest);
            };
            const auto setUp = [&](TArcUnZip& zip, TResult&) {
                Quiet(zip);
                if (c.SetUp) c.SetUp(zip);
            };
            const auto run = [&](int workers) {
                TResult r = Run(workers, setUp, prepare);
                if (r.Canceled) r.Raised = "EUserCanceled";
                if (r.WriteFailed) r.Raised = "ECantWriteUCF";
                r.Raised = r.Raised.substr(0, r.Raised.find(' '));
                if (r.Files.count("bad.htm @")) r.Files.erase("bad.htm @");   // stamped at different times
                return r;
            };
            const TResult serial = run(0);
            EXPECT_EQ(serial.Raised, c.Outcome);
            EXPECT_EQ(serial.Files.at("before.htm"), entries[0].Data);
            for (int workers : {0, 1, 8}) {
                const TResult r = workers == 0 ? serial : run(workers);
                EXPECT_EQ(r.Raised, serial.Raised) << workers;
                EXPECT_EQ(r.Events.back(), serial.Events.back()) << workers;   // the count reached
                EXPECT_TRUE(r.Files == serial.Files) << workers << ": " << Difference(r.Files, serial.Files);
                EXPECT_EQ(r.Files.count("d"), 0u) << workers;
                EXPECT_EQ(r.Files.count("e"), 0u) << workers;
                EXPECT_EQ(r.Files.count("f"), 0u) << workers;
                if (there) {
                    EXPECT_EQ(r.Files.count("exists.htm") ? r.Files.at("exists.htm") : "(gone)", old) << workers;
                    const fs::path kept = fs::path(Tmp.Path()) / ("out" + std::to_string(workers)) / "exists.htm";
                    EXPECT_TRUE(fs::exists(kept) && fs::last_write_time(kept) == oldTime) << workers;
                } else {
                    EXPECT_EQ(r.Files.count("exists.htm"), 0u) << workers;
                }
            }
        }
    }
}

// A prompt or a notice comes where its entry is, with workers as without: the entries before
// it are on disk whole, and nothing of the entries after it (their folders, their files) is.
TEST_F(ParallelExtractionTest, PromptsAndNoticesSeeOnlyTheEntriesBeforeTheirs) {
    const int k = 3;   // css/f2.htm; entry 5 is the first of the folder chapter4
    struct TCase {
        const char* Name;
        bool UnknownMethod;   // else: the entry's file is already there and OverwriteMode is Prompt
        bool Prompt;          // OnPromptForOverwrite, else OnHandleMessage
    };
    const TCase cases[] = {{"OnPromptForOverwrite", false, true},
                           {"OnHandleMessage, overwrite prompt", false, false},
                           {"OnHandleMessage, unknown method", true, false}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<TTestEntry> entries = Book(60);
        ASSERT_EQ(entries[k].Name, "css/f2.htm");
        if (c.UnknownMethod) {
            entries[k].Method = 9;
            entries[k].Data = "x";
        }
        Archive(entries);
        const auto prepare = [&](const std::string& dest) {
            fs::remove_all(dest);
            if (c.UnknownMethod) return;
            fs::create_directories(dest + "/css");
            WriteWholeFile(dest + "/css/f2.htm", "old");
        };
        const auto run = [&](int workers) {
            std::vector<std::string> seen;
            const auto look = [&seen](const std::string& dest) {
                std::set<std::string> tree;
                for (const auto& e : fs::recursive_directory_iterator(fs::path(ReplaceSingleByteChar(dest, '\\', '/'))))
                    tree.insert(e.path().generic_string() + (e.is_directory() ? " /" : " " + std::to_string(e.file_size())));
                seen.push_back(std::to_string(tree.size()));
                for (const std::string& name : tree) seen.push_back(name.substr(dest.size()));
            };
            const std::string dest = Base + "out" + std::to_string(workers);
            TResult r = Run(
                workers,
                [&](TArcUnZip& zip, TResult&) {
                    Quiet(zip);
                    zip.SetOverwriteMode(Prompt);
                    if (c.Prompt)
                        zip.OnPromptForOverwrite = [&](TObject*, bool& yes, int, AnsiString&) {
                            look(dest);
                            yes = true;
                        };
                    else
                        zip.OnHandleMessage = [&](TObject*, int, const AnsiString&, const AnsiString&, uint32_t,
                                                  int& answer) {
                            look(dest);
                            answer = 6;
                        };
                },
                prepare);
            EXPECT_EQ(r.Done, c.UnknownMethod ? 60 : 61) << workers;
            return seen;
        };
        const std::vector<std::string> serial = run(0);
        ASSERT_FALSE(serial.empty());
        EXPECT_EQ(std::count(serial.begin(), serial.end(), "/chapter4 /"), 0);
        for (int workers : {1, 8}) EXPECT_TRUE(run(workers) == serial) << workers;
    }
}

#ifndef _WIN32
// A write that fails (here a file that is the full device) ends the run as it would on the
// calling thread alone: the failing file is gone, and of the entries after it, which the
// workers may already have written, no file stays.
TEST_F(ParallelExtractionTest, FailedWriteEndsTheRunWithoutLeftovers) {
    Archive(Book(200));
    auto full = [](const std::string& dest) {
        fs::create_directories(fs::path(dest) / "chapter2");
        fs::create_symlink("/dev/full", fs::path(dest) / "chapter2" / "f100.htm");   // entry 101
    };
    const auto files = [](const TResult& r) {
        std::set<std::string> names;
        for (const auto& [name, bytes] : r.Files)
            if (bytes != "/" && name.find(" @") == std::string::npos) names.insert(name);
        return names;
    };
    const TResult serial = Run(0, nullptr, full);
    EXPECT_TRUE(serial.WriteFailed);
    EXPECT_EQ(serial.Files.count("chapter2/f100.htm"), 0u);
    EXPECT_EQ(serial.Files.count("f99.htm"), 1u);
    for (int workers : kWorkerCounts) {
        const TResult r = Run(workers, nullptr, full);
        EXPECT_TRUE(r.WriteFailed) << workers;
        EXPECT_TRUE(files(r) == files(serial)) << workers;
        EXPECT_EQ(r.Events.back(), serial.Events.back()) << workers;   // OnUnZipComplete, same count
    }
}
#endif

}  // namespace
