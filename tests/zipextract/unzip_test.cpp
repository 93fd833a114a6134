// Whole extraction runs of TArcUnZip::UnZip over archives built in the test: contents,
// dates and attributes, passwords, selection and events, overwrite rules, hostile names,
// and damaged entries that must fail without leaving a file behind.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <filesystem>
#include <set>

#include "classlib/fileio.h"
#include "ziparchive/arc_unzip.h"
#include "ziparchive/file_utils.h"
#include "ziparchive/zip_crypt.h"
#include "zipextract/file_stamps.h"
#include "zipextract/unzip_run.h"
#include "tests/support/tempdir.h"
#include "tests/zipextract/zip_builder.h"

namespace fs = std::filesystem;

namespace {

std::string Text(size_t n, int salt = 0) {
    std::string s;
    for (size_t i = 0; s.size() < n; ++i) s += "line " + std::to_string(i * 7 + salt) + " of a page\n";
    s.resize(n);
    return s;
}

void WriteBytes(const std::string& name, const std::string& bytes) {
    TFileStream f(name, fmCreate);
    if (!bytes.empty()) f.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

std::string ReadBytes(const std::string& name) {
    TFileStream f(name, fmOpenRead | fmShareDenyNone);
    std::string s(static_cast<size_t>(f.GetSize()), '\0');
    if (!s.empty()) f.ReadBuffer(&s[0], static_cast<int32_t>(s.size()));
    return s;
}

class UnZipTest : public ::testing::Test {
protected:
    UnZipTest() : Base(ReplaceSingleByteChar(Tmp.Path(), '/', '\\')), Dest(Base + "out"), Zip(nullptr) {
        Zip.OnSkippingFile = [this](TObject*, TSkipReason r, const AnsiString& name, int, bool&) {
            Events.push_back("skip " + std::to_string(r) + " " + name);
        };
        Zip.OnBadCRC = [this](TObject*, int32_t, int32_t, int index) {
            Events.push_back("badcrc " + std::to_string(index));
        };
        Zip.OnHandleMessage = [this](TObject*, int id, const AnsiString&, const AnsiString&, uint32_t, int& answer) {
            Events.push_back("message " + std::to_string(id));
            answer = 2;
        };
    }

    // Writes the archive and sets the component up the way the player does.
    void Archive(const std::vector<TTestEntry>& entries, std::vector<TPlacement>* where = nullptr) {
        Bytes = BuildZip(entries, where);
        WriteBytes(Base + "a.zip", Bytes);
        Zip.SetZipName(Base + "a.zip");
        Zip.SetDestDir(Dest);
        Zip.SetRecreateDirs(true);
        Zip.SetRetainAttributes(true);
        Zip.SetDoAll(true);
        Zip.SetOverwriteMode(Always);
    }
    void Rewrite() {
        Zip.SetZipName("");
        WriteBytes(Base + "a.zip", Bytes);
        Zip.SetZipName(Base + "a.zip");
    }

    std::string Out(const std::string& name) const { return Dest + "\\" + name; }

    // Every file and folder below the scratch folder, relative, with "/" separators.
    std::set<std::string> Tree() const {
        std::set<std::string> all;
        for (const auto& e : fs::recursive_directory_iterator(fs::path(Tmp.Path())))
            all.insert(fs::relative(e.path(), fs::path(Tmp.Path())).generic_string());
        return all;
    }

    TempDir Tmp;
    const std::string Base;
    const std::string Dest;
    TArcUnZip Zip;
    std::string Bytes;
    std::vector<std::string> Events;
};

TEST_F(UnZipTest, ExtractsContentsDatesAndFolders) {
    const std::string big = Text(300000);
    Archive({
        {"index.htm", Text(5000)},
        {"docs/", ""},
        {"docs/a.txt", big, 0},
        {"docs/deep/b.bin", std::string(70000, '\x5A'), 8},
        {"empty.txt", "", 0},
        {"\xD6\xD0\xCE\xC4/\xB1\xED.htm", "gbk page"},
    });
    int starts = 0, ends = 0;
    Zip.OnStartUnZip = [&](TObject*, int, AnsiString&, bool&) { ++starts; };
    Zip.OnEndUnZip = [&](TObject*, int, const AnsiString&) { ++ends; };
    int totalSeen = -1;
    int64_t bytesSeen = -1;
    Zip.OnStartUnZipInfo = [&](TObject*, int files, int64_t bytes, bool&) {
        totalSeen = files;
        bytesSeen = bytes;
    };
    int lastPercent = -1, maxPercent = 0;
    Zip.OnTotalPercentDone = [&](TObject*, int p) {
        EXPECT_GE(p, lastPercent);
        lastPercent = p;
        maxPercent = std::max(maxPercent, p);
    };
    EXPECT_EQ(Zip.UnZip(), 6);
    EXPECT_EQ(Events, std::vector<std::string>());
    EXPECT_EQ(totalSeen, 6);
    EXPECT_EQ(bytesSeen, static_cast<int64_t>(5000 + big.size() + 70000 + 8));
    EXPECT_EQ(maxPercent, 100);
    EXPECT_EQ(starts, 5);   // folders fire no per-entry events
    EXPECT_EQ(ends, 5);
    EXPECT_EQ(ReadBytes(Out("index.htm")), Text(5000));
    EXPECT_EQ(ReadBytes(Out("docs\\a.txt")), big);
    EXPECT_EQ(ReadBytes(Out("docs\\deep\\b.bin")), std::string(70000, '\x5A'));
    EXPECT_EQ(ReadBytes(Out("empty.txt")), "");
    EXPECT_EQ(ReadBytes(Out("\xD6\xD0\xCE\xC4\\\xB1\xED.htm")), "gbk page");
    EXPECT_EQ(GetFileDosDateTime(Out("docs\\a.txt")), 0x5A8E5B2Cu);
    EXPECT_EQ(GetFileDosDateTime(Out("empty.txt")), 0x5A8E5B2Cu);
}

TEST_F(UnZipTest, WithoutRecreateDirsEverythingLandsInDestDir) {
    Archive({{"docs/", ""}, {"docs/a.txt", "a"}, {"b.txt", "b"}});
    Zip.SetRecreateDirs(false);
    EXPECT_EQ(Zip.UnZip(), 3);   // the folder entry still counts
    EXPECT_EQ(ReadBytes(Out("a.txt")), "a");
    EXPECT_EQ(ReadBytes(Out("b.txt")), "b");
    EXPECT_FALSE(DirectoryExists(Out("docs")));
}

TEST_F(UnZipTest, PasswordsAndCheckBytes) {
    const std::string page = Text(90000, 1);
    Archive({
        {"crc_check.htm", page, 8, true, "secret"},
        {"time_check.htm", page, 8, true, "secret", true},   // data descriptor: check byte from the time
        {"stored.bin", std::string(40000, 'q'), 0, true, "secret"},
        {"stored_dd.bin", "tiny", 0, true, "secret", true},
        {"plain.txt", "not encrypted"},
    });
    Zip.Password = "secret";
    EXPECT_EQ(Zip.UnZip(), 5);
    EXPECT_EQ(Events, std::vector<std::string>());
    EXPECT_EQ(ReadBytes(Out("crc_check.htm")), page);
    EXPECT_EQ(ReadBytes(Out("time_check.htm")), page);
    EXPECT_EQ(ReadBytes(Out("stored.bin")), std::string(40000, 'q'));
    EXPECT_EQ(ReadBytes(Out("stored_dd.bin")), "tiny");
}

TEST_F(UnZipTest, EmptyPasswordStillDeciphers) {
    Archive({{"s.bin", "stored and encrypted", 0, true, ""}, {"d.htm", Text(3000), 8, true, ""}});
    EXPECT_EQ(Zip.UnZip(), 2);
    EXPECT_EQ(ReadBytes(Out("s.bin")), "stored and encrypted");
    EXPECT_EQ(ReadBytes(Out("d.htm")), Text(3000));
}

TEST_F(UnZipTest, WrongPasswordSkipsAndBadPasswordCanRetry) {
    Archive({{"a.htm", Text(2000), 8, true, "right"}, {"b.htm", "plain"}});
    Zip.Password = "wrong";
    EXPECT_EQ(Zip.UnZip(), 1);
    EXPECT_EQ(Events, std::vector<std::string>({"skip 0 a.htm"}));
    EXPECT_FALSE(FileExists(Out("a.htm")));

    Events.clear();
    int asked = 0;
    Zip.OnBadPassword = [&](TObject*, int, AnsiString& pw) {
        ++asked;
        pw = "right";
    };
    Zip.Password = "wrong";
    EXPECT_EQ(Zip.UnZip(), 2);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ReadBytes(Out("a.htm")), Text(2000));
}

// A password that passes the check byte (about one in 256) deciphers to garbage: the entry
// fails, nothing stays behind, and where the garbage reaches the CRC check OnBadPassword may
// supply the right one for a retry.
TEST_F(UnZipTest, WrongPasswordPassingTheCheckByteFails) {
    const std::string page = Text(50000, 2);
    for (uint16_t method : {uint16_t(8), uint16_t(0)}) {
        TTestEntry e{"p.htm", page, method, true, "right"};
        const uint32_t crc = Crc32(page);
        std::vector<TPlacement> where;
        const std::string z = BuildZip({e}, &where);
        const std::string encrypted = z.substr(static_cast<size_t>(where[0].Data), 12);
        std::string impostor;
        for (int i = 0; impostor.empty(); ++i) {
            std::string header = encrypted;
            TZipKeys k;
            std::string candidate = "guess" + std::to_string(i);
            k.InitKeys(candidate);
            k.DecryptBuffer(&header[0], 12);
            if (static_cast<uint8_t>(header[11]) == (crc >> 24)) impostor = candidate;
        }
        Archive({e});
        Zip.Password = impostor;
        std::vector<std::string> failures;
        TUnZipRun run(Zip, false);
        run.OnEntryFailed = [&](int, const AnsiString& why) { failures.push_back(why); };
        if (method == 0) {
            EXPECT_EQ(run.UnZip(), 0) << method;
            EXPECT_EQ(Events.back(), "skip 0 p.htm");
        } else {
            // The garbage is no Deflate stream: with no other password to try, corrupt data
            // ends the run.
            EXPECT_THROW(run.UnZip(), EZCompressionError);
        }
        EXPECT_EQ(failures.size(), 1u) << method;
        EXPECT_FALSE(FileExists(Out("p.htm"))) << method;

        // Stored garbage fails its CRC, and the handler's password is tried; garbage that is
        // no Deflate stream ends the run before any CRC, handler or not.
        int asked = 0;
        Zip.OnBadPassword = [&](TObject*, int, AnsiString& pw) {
            ++asked;
            pw = "right";
        };
        Zip.Password = impostor;
        if (method == 0) {
            EXPECT_EQ(Zip.UnZip(), 1);
            EXPECT_EQ(asked, 1);
            EXPECT_EQ(ReadBytes(Out("p.htm")), page);
        } else {
            EXPECT_THROW(Zip.UnZip(), EZCompressionError);
            EXPECT_EQ(asked, 0);
            EXPECT_FALSE(FileExists(Out("p.htm")));
        }
        Zip.OnBadPassword = nullptr;
        RemoveFile(Out("p.htm"));
    }
}

TEST_F(UnZipTest, AttributesOnlyFromDosAndNtfsHostsAndOnlyTheSafeBits) {
    Archive({
        {"ro_dos.txt", "r", 8, false, "", false, 0x5A8E5B2Cu, 0, 0x21},
        {"ro_ntfs.txt", "r", 8, false, "", false, 0x5A8E5B2Cu, 11, 0x01},
        {"ro_unix.txt", "r", 8, false, "", false, 0x5A8E5B2Cu, 3, (0100444u << 16) | 0x01},
        {"dir_bit.txt", "d", 8, false, "", false, 0x5A8E5B2Cu, 0, 0x10},
        {"odd_bits.txt", "o", 8, false, "", false, 0x5A8E5B2Cu, 0, 0x1102},
    });
    EXPECT_EQ(Zip.UnZip(), 5);
    EXPECT_TRUE(file_stamps::GetFileAttr(Out("ro_dos.txt")) & file_stamps::faReadOnly);
    EXPECT_TRUE(file_stamps::GetFileAttr(Out("ro_ntfs.txt")) & file_stamps::faReadOnly);
    EXPECT_FALSE(file_stamps::GetFileAttr(Out("ro_unix.txt")) & file_stamps::faReadOnly);
    // The directory bit of a damaged attribute field does not turn a file into anything else.
    EXPECT_EQ(ReadBytes(Out("dir_bit.txt")), "d");
    EXPECT_FALSE(file_stamps::GetFileAttr(Out("dir_bit.txt")) & file_stamps::faDirectory);
#ifdef _WIN32
    // Hidden is kept; temporary (0x100) and offline (0x1000) are not taken from an archive.
    EXPECT_EQ(file_stamps::GetFileAttr(Out("odd_bits.txt")) & 0x1102, 0x02);
#endif

    Zip.SetRetainAttributes(false);
    for (const char* n : {"ro_dos.txt", "ro_ntfs.txt"}) file_stamps::SetFileAttr(Out(n), 0);
    for (const char* n : {"ro_dos.txt", "ro_ntfs.txt", "ro_unix.txt", "dir_bit.txt", "odd_bits.txt"}) RemoveFile(Out(n));
    EXPECT_EQ(Zip.UnZip(), 5);
    EXPECT_FALSE(file_stamps::GetFileAttr(Out("ro_dos.txt")) & file_stamps::faReadOnly);
}

TEST_F(UnZipTest, SelectionByFilesList) {
    Archive({{"index.htm", "i"}, {"Pics/A.HTM", "a"}, {"pics/b.png", "b"}, {"c.txt", "c"}});
    Zip.SetDoAll(false);
    Zip.GetFilesList()->Add("*.HTM");
    EXPECT_EQ(Zip.UnZip(), 2);
    EXPECT_TRUE(FileExists(Out("index.htm")));
    EXPECT_TRUE(FileExists(Out("Pics\\A.HTM")));
    EXPECT_FALSE(FileExists(Out("pics\\b.png")));
    EXPECT_EQ(Zip.GetFilesList()->Count(), 0);   // cleared by the run
    EXPECT_EQ(Zip.UnZip(), 0);                   // so a second run selects nothing
    Zip.GetFilesList()->Add("pics\\*");
    EXPECT_EQ(Zip.UnZip(), 2);
}

TEST_F(UnZipTest, StopNowSkipAndCompletion) {
    Archive({{"a.txt", "a"}, {"b.txt", "b"}});
    int completed = -1;
    Zip.OnUnZipComplete = [&](TObject*, int n) { completed = n; };
    Zip.OnStartUnZipInfo = [](TObject*, int, int64_t, bool& stop) { stop = true; };
    EXPECT_EQ(Zip.UnZip(), 0);
    EXPECT_EQ(completed, 0);
    EXPECT_FALSE(FileExists(Out("a.txt")));

    Zip.OnStartUnZipInfo = nullptr;
    Zip.OnStartUnZip = [](TObject*, int index, AnsiString&, bool& skip) { skip = index == 0; };
    EXPECT_EQ(Zip.UnZip(), 1);
    EXPECT_EQ(completed, 1);
    EXPECT_FALSE(FileExists(Out("a.txt")));
    EXPECT_TRUE(FileExists(Out("b.txt")));
}

TEST_F(UnZipTest, OverwriteRules) {
    Archive({{"f.txt", "from the archive"}});
    ForceDirectories(Dest);
    auto existing = [&](uint32_t dos) {
        WriteBytes(Out("f.txt"), "existing");
        file_stamps::SetFileDosDate(Out("f.txt"), dos);
    };
    struct {
        TUZOverwriteMode Mode;
        uint32_t ExistingDate;
        bool Replaced;
    } cases[] = {
        {Never, 0x5A8E5B2Cu, false},
        {ifNewer, 0x5A8E5B2Cu, false},   // equal dates
        {ifOlder, 0x5A8E5B2Cu, false},
        {ifNewer, 0x4A8E5B2Cu, true},    // the existing file is years older
        {ifOlder, 0x4A8E5B2Cu, false},
        {ifOlder, 0x6A8E5B2Cu, true},
        {Prompt, 0x5A8E5B2Cu, false},    // the message answers No
        {Always, 0x5A8E5B2Cu, true},
    };
    for (const auto& c : cases) {
        existing(c.ExistingDate);
        Events.clear();
        Zip.SetOverwriteMode(c.Mode);
        EXPECT_EQ(Zip.UnZip(), c.Replaced ? 1 : 0) << int(c.Mode);
        EXPECT_EQ(ReadBytes(Out("f.txt")), c.Replaced ? "from the archive" : "existing") << int(c.Mode);
        if (!c.Replaced) {
            EXPECT_EQ(Events.back(), "skip 1 " + Out("f.txt")) << int(c.Mode);
        }
    }
    existing(0x5A8E5B2Cu);
    Zip.SetOverwriteMode(Prompt);
    Zip.OnPromptForOverwrite = [](TObject*, bool& yes, int, AnsiString&) { yes = true; };
    EXPECT_EQ(Zip.UnZip(), 1);
}

// No entry name writes outside the destination folder: such entries are skipped through
// OnSkippingFile and the rest extracts.
TEST_F(UnZipTest, HostileNamesWriteNothingOutside) {
    // An absolute name pointing at the scratch folder itself, in the form of this platform.
    const std::string absolute = ReplaceSingleByteChar(Base, '\\', '/') + "abs.txt";
    const std::vector<std::string> hostile = {
        "../x1.txt", "a/../../x2.txt", "..\\x3.txt", "sub/..\\..\\x4.txt", "\\\\srv\\share\\x5.txt",
        "//srv/share/x6.txt", "a:b", "sub/c:d.txt", "CON", "sub/NUL.txt", "com1.htm", "x/lpt1/y.txt",
        "../", "sub/../../dir/", "a/\x01/x.txt",
    };
    std::vector<TTestEntry> entries;
    for (const std::string& n : hostile) entries.push_back({n, "evil"});
    entries.push_back({"C:/x7.txt", "drive stripped"});
    entries.push_back({absolute, "absolute stripped"});
    entries.push_back({"good.txt", "good"});
    Archive(entries);
    EXPECT_EQ(Zip.UnZip(), 3);
    int skipped = 0;
    for (const std::string& e : Events) skipped += e.rfind("skip 8 ", 0) == 0;
    EXPECT_EQ(skipped, static_cast<int>(hostile.size()));
    EXPECT_EQ(ReadBytes(Out("good.txt")), "good");
    EXPECT_EQ(ReadBytes(Out("x7.txt")), "drive stripped");
    // Everything that exists lies in the destination folder (and the archive beside it).
    for (const std::string& p : Tree()) EXPECT_TRUE(p == "a.zip" || p.rfind("out", 0) == 0) << p;
    EXPECT_FALSE(FileExists(Base + "abs.txt"));
}

// A name longer than the system takes (here 12,000 folders deep) is refused as unsafe before
// any folder of it is made; the rest extracts.
TEST_F(UnZipTest, NamesPastThePathLimitAreRefused) {
    std::string deep;
    for (int i = 0; i < 12000; ++i) deep += "d/";
    Archive({{deep + "x.txt", "deep"}, {deep, ""}, {"good.txt", "good"}});
    EXPECT_EQ(Zip.UnZip(), 1);
    ASSERT_EQ(Events.size(), 2u);
    for (const std::string& e : Events) EXPECT_EQ(e.substr(0, 9), "skip 8 d" + std::string(1, e[8]));
    EXPECT_EQ(Tree(), std::set<std::string>({"a.zip", "out", "out/good.txt"}));
}

// Declared sizes (zip64, up to 2^64 - 1) add up without overflow: the total stops at the
// largest value.
TEST_F(UnZipTest, DeclaredSizesSaturateTheTotal) {
    std::vector<TTestEntry> entries = {{"a.bin", "a"}, {"b.bin", "b"}, {"c.txt", "c"}};
    entries[0].DeclaredSize = INT64_MAX - 5;
    entries[1].DeclaredSize = INT64_MAX - 5;
    Archive(entries);
    int64_t total = -1;
    Zip.OnStartUnZipInfo = [&](TObject*, int, int64_t bytes, bool&) { total = bytes; };
    int lastPercent = 0;
    Zip.OnTotalPercentDone = [&](TObject*, int p) { lastPercent = p; };
    EXPECT_EQ(Zip.UnZip(), 1);
    EXPECT_EQ(total, INT64_MAX);
    EXPECT_GE(lastPercent, 0);
    EXPECT_LE(lastPercent, 100);
    EXPECT_EQ(AddDeclaredSize(INT64_MAX - 1, 2), INT64_MAX);
    EXPECT_EQ(AddDeclaredSize(7, -3), 7);
}

TEST_F(UnZipTest, HandlerCannotRedirectOutside) {
    Archive({{"a.txt", "a"}});
    Zip.OnStartUnZip = [&](TObject*, int, AnsiString& name, bool&) { name = Base + "outside.txt"; };
    EXPECT_EQ(Zip.UnZip(), 0);
    EXPECT_FALSE(FileExists(Base + "outside.txt"));
    EXPECT_EQ(Events, std::vector<std::string>({"skip 8 " + Base + "outside.txt"}));
}

// Damaged entries fail one by one, are reported, leave no file, and the rest extracts.
TEST_F(UnZipTest, DamagedEntriesFailWithoutLeftovers) {
    const std::string page = Text(80000, 3);
    std::vector<TPlacement> where;
    std::vector<TTestEntry> entries = {
        {"flipped.htm", page},
        {"wrong_crc.htm", page},
        {"huge_declared.htm", "tiny"},
        {"short_encrypted.bin", "four", 0},
        {"bad_local.htm", page},
        {"method9.bin", "x", 9},
        {"readonly_bad_crc.txt", "r", 8, false, "", false, 0x5A8E5B2Cu, 0, 0x21},
        {"good.htm", page},
    };
    entries[6].DeclaredCrc = Crc32("r") ^ 0x80;
    entries[1].DeclaredCrc = Crc32(page) ^ 1;
    entries[2].DeclaredSize = int64_t(1) << 32;   // 4 GiB over four bytes
    entries[5].RawCompressed = "x";
    Archive(entries, &where);
    Bytes[static_cast<size_t>(where[0].Data + where[0].DataLength / 2)] ^= 0x55;
    Bytes[static_cast<size_t>(where[4].LocalHeader)] = 'Q';
    // Flagged encrypted, but its four bytes cannot even hold the encryption header.
    Bytes[static_cast<size_t>(where[3].LocalHeader + 6)] |= 1;
    Bytes[static_cast<size_t>(where[3].CentralHeader + 8)] |= 1;
    Rewrite();
    // Nothing is set aside for the declared size: the file holds what was written so far.
    AnsiString current;
    int64_t largest = 0;
    Zip.OnStartUnZip = [&](TObject*, int, AnsiString& name, bool&) { current = name; };
    Zip.OnFilePercentDone = [&](TObject*, int) { largest = std::max(largest, FileSizeByName(current)); };
    std::vector<std::string> failures;
    TUnZipRun run(Zip, false);
    run.OnEntryFailed = [&](int index, const AnsiString& why) {
        failures.push_back(Zip.Entry(index)->GetFileName() + ": " + why);
    };
    EXPECT_EQ(run.UnZip(), 2);
    EXPECT_LE(largest, static_cast<int64_t>(page.size()));
    std::string all;
    for (const std::string& f : failures) all += f + "\n";
    EXPECT_EQ(failures.size(), 6u) << all;
    EXPECT_EQ(ReadBytes(Out("good.htm")), page);
    // A local header whose signature alone is damaged still leads to its data.
    EXPECT_EQ(ReadBytes(Out("bad_local.htm")), page);
    // A read-only attribute is never applied before the check, so a bad file can always go.
    for (const char* n : {"flipped.htm", "wrong_crc.htm", "huge_declared.htm", "short_encrypted.bin", "method9.bin",
                          "readonly_bad_crc.txt"})
        EXPECT_FALSE(FileExists(Out(n))) << n;
    EXPECT_EQ(Tree(), std::set<std::string>({"a.zip", "out", "out/bad_local.htm", "out/good.htm"}));
    EXPECT_NE(std::find(Events.begin(), Events.end(), "message 197"), Events.end());
}

// An entry of a method this engine does not carry: the notice, then the check as for any
// entry: an empty one is done, one with data fails its CRC and leaves no file, an encrypted
// one goes the password's way (another password is asked for, then it is skipped).
TEST_F(UnZipTest, UnknownMethodIsToldThenChecked) {
    std::vector<TTestEntry> entries = {
        {"empty.bin", "", 9}, {"data.bin", "x", 9}, {"secret.bin", "y", 9, true, "pw"}, {"good.htm", "kept"}};
    Archive(entries);
    Zip.Password = "pw";
    Zip.OnEndUnZip = [this](TObject*, int i, const AnsiString&) { Events.push_back("end " + std::to_string(i)); };
    int asked = 0;
    Zip.OnBadPassword = [&](TObject*, int i, AnsiString& pw) {
        Events.push_back("password " + std::to_string(i));
        if (++asked == 1) pw = "another";
    };
    EXPECT_EQ(Zip.UnZip(), 2);
    // The second password already fails the check byte.
    EXPECT_EQ(Events, std::vector<std::string>({"message 197", "end 0", "message 197", "badcrc 1", "message 197",
                                                "password 2", "password 2", "skip 0 secret.bin", "end 3"}));
    EXPECT_EQ(Tree(), std::set<std::string>({"a.zip", "out", "out/empty.bin", "out/good.htm"}));
    EXPECT_EQ(ReadBytes(Out("empty.bin")), "");
}

// The notice of an unknown method comes once the entry's file is made, with workers as
// without; the file goes again after the check.
TEST_F(UnZipTest, UnknownMethodNoticeComesWithTheFileMade) {
    Archive({{"first.htm", Text(20000, 1)}, {"data.bin", "x", 9}, {"last.htm", Text(300, 2)}});
    for (int workers : {0, 1, 8}) {
        SCOPED_TRACE(workers);
        fs::remove_all(fs::path(Tmp.Path()) / "out");
        std::vector<std::string> told;
        Zip.OnHandleMessage = [&](TObject*, int id, const AnsiString&, const AnsiString&, uint32_t, int&) {
            told.push_back(std::to_string(id) + (FileExists(Out("data.bin")) ? " file made" : " no file") +
                           (FileExists(Out("first.htm")) ? ", first there" : ""));
        };
        TUnZipRun run(Zip, false);
        run.SetWorkers(workers);
        EXPECT_EQ(run.UnZip(), 2);
        EXPECT_EQ(told, std::vector<std::string>({"197 file made, first there"}));
        EXPECT_EQ(Tree(), std::set<std::string>({"a.zip", "out", "out/first.htm", "out/last.htm"}));
    }
}

#ifdef _WIN32
// A run of entries without data (folders, skipped files) still pumps the calling thread's
// queue: a message posted as the entries begin is taken before the run ends.
TEST_F(UnZipTest, MessagesArePumpedBetweenEntriesWithoutData) {
    Archive({{"a/", ""}, {"b/", ""}, {"c/", ""}, {"skipped.htm", "s"}});
    Zip.SetDoProcessMessages(true);
    Zip.OnStartUnZip = [](TObject*, int, AnsiString&, bool& skip) { skip = true; };
    Zip.OnStartUnZipInfo = [](TObject*, int, int64_t, bool&) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
        PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
        Sleep(40);   // longer than the pumps' interval
    };
    bool waiting = true;
    Zip.OnUnZipComplete = [&](TObject*, int) {
        MSG m;
        waiting = PeekMessageA(&m, nullptr, WM_APP, WM_APP, PM_NOREMOVE) != 0;
    };
    EXPECT_EQ(Zip.UnZip(), 3);
    EXPECT_FALSE(waiting);
}
#endif

// Data that goes on past the stored size: what was written up to it stays when its CRC is
// the stored one (the whole first block here), else the file goes as for any CRC mismatch.
TEST_F(UnZipTest, DataPastTheStoredSizeIsDecidedByTheCrc) {
    const std::string page = Text(40000, 5);
    const std::string block = page.substr(0, 32768);
    std::vector<TTestEntry> entries = {{"whole_block.htm", page}, {"short.htm", page}, {"last.htm", "last"}};
    entries[0].DeclaredSize = 32768;
    entries[0].DeclaredCrc = Crc32(block);
    entries[1].DeclaredSize = 500;
    entries[1].DeclaredCrc = Crc32(page.substr(0, 500));
    Archive(entries);
    for (int workers : {0, 8}) {
        SCOPED_TRACE(workers);
        fs::remove_all(fs::path(Tmp.Path()) / "out");
        Events.clear();
        TUnZipRun run(Zip, false);
        run.SetWorkers(workers);
        EXPECT_EQ(run.UnZip(), 2);
        EXPECT_EQ(ReadBytes(Out("whole_block.htm")), block);
        EXPECT_EQ(Events, std::vector<std::string>({"badcrc 1"}));
        EXPECT_EQ(Tree(), std::set<std::string>({"a.zip", "out", "out/last.htm", "out/whole_block.htm"}));
    }
}

// The output file is set to the entry's size before its data is written (not beyond what
// the data can give: a declared size of 4 GiB over a few bytes is not set aside).
TEST_F(UnZipTest, OutputFileIsSetToTheEntrySizeFirst) {
    const std::string page = Text(100000, 6);
    std::vector<TTestEntry> entries = {{"page.htm", page}, {"stored.htm", page, 0}, {"huge_declared.htm", "tiny"}};
    entries[2].DeclaredSize = int64_t(1) << 32;
    Archive(entries);
    AnsiString current;
    std::vector<int64_t> firstSizes;
    Zip.OnStartUnZip = [&](TObject*, int, AnsiString& name, bool&) {
        current = name;
        firstSizes.push_back(-1);
    };
    Zip.OnFilePercentDone = [&](TObject*, int) {
        if (firstSizes.back() < 0) firstSizes.back() = FileSizeByName(current);
    };
    TUnZipRun run(Zip, false);
    run.SetWorkers(0);
    EXPECT_EQ(run.UnZip(), 2);
    EXPECT_EQ(firstSizes, std::vector<int64_t>({100000, 100000, 0}));
    EXPECT_EQ(ReadBytes(Out("page.htm")), page);
    EXPECT_EQ(ReadBytes(Out("stored.htm")), page);
}

// A directory record whose local header carries another name points at data that is not
// its entry's: that entry fails, the rest extracts.
TEST_F(UnZipTest, LocalHeaderNamingAnotherEntryFails) {
    std::vector<TPlacement> where;
    Archive({{"first.htm", Text(500, 1)}, {"second.htm", Text(500, 2)}}, &where);
    Bytes[static_cast<size_t>(where[0].LocalHeader + 30)] = 'F';   // "First.htm" in the local header only
    Rewrite();
    std::vector<std::string> failures;
    TUnZipRun run(Zip, false);
    run.OnEntryFailed = [&](int index, const AnsiString& why) { failures.push_back(why); };
    EXPECT_EQ(run.UnZip(), 1);
    EXPECT_EQ(failures, std::vector<std::string>({"the local header names another entry"}));
    EXPECT_EQ(Tree(), std::set<std::string>({"a.zip", "out", "out/second.htm"}));
}

// Corrupt Deflate data and an archive shorter than its recorded sizes end the run, with
// workers as without: the entries before stay, the failing one leaves no file, nothing after
// it is written, OnUnZipComplete reports the count reached and the error reaches the caller.
// The entry is reported with zlib's own words.
TEST_F(UnZipTest, CorruptDeflateOrShortArchiveEndsTheRun) {
    const std::string before = Text(70000, 1), after = Text(3000, 3);
    struct TCase {
        const char* Name;
        std::string Raw;          // the failing entry's data as stored (empty: cut the archive)
        bool Encrypted;
        const char* Why;
    };
    const std::vector<TCase> cases = {
        {"bad block type", "\x07", false, "corrupt compressed data (invalid block type)"},
        {"distance too far back", "\x82\x42", false, "corrupt compressed data (invalid distance too far back)"},
        {"encrypted, bad block type", "\x07", true, "wrong password or corrupt compressed data (invalid block type)"},
        {"stream cut short", DeflateRaw(Text(50000, 9)).substr(0, 100), false,
         "corrupt compressed data (compressed data ends before the stream does)"},
        {"archive cut short", "", false, "the archive ends before the entry does"},
    };
    for (const TCase& c : cases) {
        for (int workers : {0, 1, 8}) {
            SCOPED_TRACE(std::string(c.Name) + ", workers " + std::to_string(workers));
            fs::remove_all(fs::path(Tmp.Path()) / "out");
            Events.clear();
            std::vector<TTestEntry> entries = {{"before.htm", before}, {"bad.htm", Text(50000, 9)},
                                               {"after.htm", after}};
            entries[1].RawCompressed = c.Raw;
            entries[1].Encrypt = c.Encrypted;
            entries[1].Password = "pw";
            if (c.Raw.empty()) entries[1].Method = 0;
            std::vector<TPlacement> where;
            Archive(entries, &where);
            if (c.Raw.empty()) {
                // Sizes of 10 MB recorded for a stored entry: the archive ends long before.
                for (const int64_t field : {where[1].LocalHeader + 18, where[1].LocalHeader + 22,
                                            where[1].CentralHeader + 20, where[1].CentralHeader + 24})
                    for (int b = 0; b < 4; ++b)
                        Bytes[static_cast<size_t>(field + b)] = static_cast<char>((10000000u >> (8 * b)) & 0xFF);
                Rewrite();
            }
            Zip.Password = "pw";
            int completed = -1;
            Zip.OnUnZipComplete = [&](TObject*, int n) { completed = n; };
            std::vector<std::string> failures;
            TUnZipRun run(Zip, false);
            run.SetWorkers(workers);
            run.OnEntryFailed = [&](int index, const AnsiString& why) {
                failures.push_back(Zip.Filename(index) + ": " + why);
            };
            if (c.Raw.empty())
                EXPECT_THROW(run.UnZip(), EFatalUnzipError);
            else
                EXPECT_THROW(run.UnZip(), EZCompressionError);
            EXPECT_EQ(completed, 1);
            EXPECT_EQ(failures, std::vector<std::string>({std::string("bad.htm: ") + c.Why}));
            EXPECT_EQ(Tree(), std::set<std::string>({"a.zip", "out", "out/before.htm"}));
            EXPECT_EQ(ReadBytes(Out("before.htm")), before);
            EXPECT_EQ(Events, std::vector<std::string>()) << "no entry event of the failing entry";
            Zip.OnUnZipComplete = nullptr;
        }
    }
}

// A local header that cannot be read (the archive cut after its directory was read, or a
// header whose name and extra field run past the end) ends the run as the archive's read
// error, with workers as without. A damaged signature alone is not looked at: the entry
// extracts.
TEST_F(UnZipTest, UnreadableLocalHeaderEndsTheRun) {
    const std::string before = Text(70000, 1), middle = Text(3000, 2), after = Text(300, 3);
    enum TDamage { dmCutAfterDirectory, dmExtraPastTheEnd, dmSignature };
    struct TCase {
        const char* Name;
        TDamage Damage;
        const char* Why;   // empty: the run goes through
    };
    std::vector<TCase> cases = {
        {"extra field past the end", dmExtraPastTheEnd, "the archive ends before the entry does"},
        {"bad signature", dmSignature, ""},
    };
#ifndef _WIN32
    // The archive is open without write sharing under Windows.
    cases.push_back({"cut after the directory", dmCutAfterDirectory, "the archive cannot be read where the entry lies"});
#endif
    for (const TCase& c : cases) {
        for (int workers : {0, 1, 8}) {
            SCOPED_TRACE(std::string(c.Name) + ", workers " + std::to_string(workers));
            fs::remove_all(fs::path(Tmp.Path()) / "out");
            std::vector<TPlacement> where;
            Archive({{"before.htm", before, 0}, {"middle.htm", middle}, {"after.htm", after}}, &where);
            if (c.Damage == dmExtraPastTheEnd) {
                Bytes[static_cast<size_t>(where[1].LocalHeader + 28)] = '\xFF';
                Bytes[static_cast<size_t>(where[1].LocalHeader + 29)] = '\xFF';
            } else if (c.Damage == dmSignature) {
                Bytes[static_cast<size_t>(where[1].LocalHeader)] = 'Q';
            }
            Rewrite();
            if (c.Damage == dmCutAfterDirectory)
                Zip.OnStartUnZipInfo = [&](TObject*, int, int64_t, bool&) {
                    fs::resize_file(fs::path(Tmp.Path()) / "a.zip", static_cast<uintmax_t>(where[1].LocalHeader + 10));
                };
            int completed = -1;
            Zip.OnUnZipComplete = [&](TObject*, int n) { completed = n; };
            std::vector<std::string> failures;
            TUnZipRun run(Zip, false);
            run.SetWorkers(workers);
            run.OnEntryFailed = [&](int index, const AnsiString& why) {
                failures.push_back(Zip.Filename(index) + ": " + why);
            };
            if (c.Damage == dmSignature) {
                EXPECT_EQ(run.UnZip(), 3);
                EXPECT_EQ(completed, 3);
                EXPECT_EQ(ReadBytes(Out("middle.htm")), middle);
            } else {
                if (c.Damage == dmCutAfterDirectory)
                    EXPECT_THROW(run.UnZip(), EReadError);
                else
                    EXPECT_THROW(run.UnZip(), EFatalUnzipError);
                EXPECT_EQ(completed, 1);
                EXPECT_EQ(failures, std::vector<std::string>({std::string("middle.htm: ") + c.Why}));
                EXPECT_EQ(Tree(), std::set<std::string>({"a.zip", "out", "out/before.htm"}));
            }
            Zip.OnUnZipComplete = nullptr;
            Zip.OnStartUnZipInfo = nullptr;
        }
    }
}

// An entry of a split archive whose recorded size runs past the last part asks for the
// part after it, as for any part; one that is not there ends the run with the file error.
TEST_F(UnZipTest, SpannedEntryPastTheLastPartAsksForTheNextPart) {
    std::vector<TPlacement> where;
    Archive({{"before.htm", "kept", 0}, {"long.bin", Text(3000, 7), 0}}, &where);
    // Sizes of 10 MB recorded for the stored entry: its data runs into the second part and on.
    for (const int64_t field : {where[1].LocalHeader + 18, where[1].LocalHeader + 22, where[1].CentralHeader + 20,
                                where[1].CentralHeader + 24})
        for (int b = 0; b < 4; ++b)
            Bytes[static_cast<size_t>(field + b)] = static_cast<char>((10000000u >> (8 * b)) & 0xFF);
    // Part 1: the entries; part 2 (the archive's own name): the directory, on disk 1.
    const size_t cut = static_cast<size_t>(where[0].CentralHeader);
    std::string last = Bytes.substr(cut);
    const size_t e = last.size() - 22;
    last[e + 4] = 1;                                     // this disk
    last[e + 6] = 1;                                     // the directory starts on disk 1
    for (int b = 0; b < 4; ++b) last[e + 16 + b] = 0;    // at its start
    WriteBytes(Base + "p1.zip", Bytes.substr(0, cut));
    WriteBytes(Base + "a.zip", last);
    std::vector<int> asked;
    Zip.SetZipName("");
    Zip.SetZipName(Base + "a.zip");
    Zip.OnFileNameForSplitPart = [&](TObject*, AnsiString& name, int part, TSplitPartType) {
        asked.push_back(part);
        name = part == 1 ? Base + "p1.zip" : part == 2 ? Base + "a.zip" : Base + "p" + std::to_string(part) + ".zip";
    };
    int completed = -1;
    Zip.OnUnZipComplete = [&](TObject*, int n) { completed = n; };
    asked.clear();
    EXPECT_THROW(Zip.UnZip(), EFOpenError);
    EXPECT_EQ(completed, 1);
    EXPECT_EQ(asked.back(), 3);
    EXPECT_EQ(ReadBytes(Out("before.htm")), "kept");
    EXPECT_FALSE(FileExists(Out("long.bin")));
}

TEST_F(UnZipTest, TruncatedArchive) {
    const std::string page = Text(60000, 4);
    std::vector<TPlacement> where;
    Archive({{"a.htm", page}, {"b.htm", Text(60000, 5)}}, &where);
    Bytes.resize(static_cast<size_t>(where[1].Data + where[1].DataLength / 2));
    Rewrite();
    // No end record: an incomplete archive, and nothing is extracted.
    EXPECT_THROW(Zip.UnZip(), EIncompleteZip);
    EXPECT_EQ(Tree(), std::set<std::string>({"a.zip"}));
    // Rebuilt from the local headers: the whole entry extracts, the cut one ends the run.
    Zip.SetIncompleteZipMode(izAssumeBad);
    std::vector<std::string> failures;
    TUnZipRun run(Zip, false);
    run.OnEntryFailed = [&](int index, const AnsiString& why) { failures.push_back(Zip.Filename(index) + ": " + why); };
    EXPECT_THROW(run.UnZip(), EFatalUnzipError);
    EXPECT_EQ(failures, std::vector<std::string>({"b.htm: the archive ends before the entry does"}));
    EXPECT_EQ(ReadBytes(Out("a.htm")), page);
    EXPECT_FALSE(FileExists(Out("b.htm")));
}

// However a run ends, the archive is closed: the caller may delete it at once (an open
// handle blocks that on Windows).
TEST_F(UnZipTest, ArchiveIsClosedAfterEveryFailedRun) {
    const std::string page = Text(30000, 6);
    std::vector<TPlacement> where;
    Archive({{"a.htm", page}, {"b.htm", Text(20000, 7)}}, &where);
    const std::string whole = Bytes;
    const std::string cut = whole.substr(0, static_cast<size_t>(where[1].Data));   // no end record
    // Both stored CRCs wrong: every entry fails alone.
    std::string badCrc = whole;
    for (const TPlacement& p : where) {
        badCrc[static_cast<size_t>(p.LocalHeader + 14)] ^= 0x10;
        badCrc[static_cast<size_t>(p.CentralHeader + 16)] ^= 0x10;
    }
    // Data that is no Deflate stream ends the run.
    std::string corrupt = whole;
    corrupt[static_cast<size_t>(where[0].Data)] = '\x07';
    struct TCase {
        const char* Name;
        std::string Bytes;
        TIncompleteZipMode Mode;
        bool AskAgain;    // an incomplete-archive handler that changes nothing
        bool Raises;      // otherwise the run extracts nothing
    };
    const std::vector<TCase> cases = {
        {"incomplete", cut, izAssumeMulti, false, true},
        {"incomplete, asked again", cut, izAssumeMulti, true, true},
        {"not an archive", cut, izAssumeNotAZip, false, true},
        {"nothing to rebuild", std::string(5000, 'z'), izAssumeBad, false, true},
        {"every entry damaged", badCrc, izAssumeMulti, false, false},
        {"corrupt data", corrupt, izAssumeMulti, false, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Bytes = c.Bytes;
        Rewrite();
        Zip.SetIncompleteZipMode(c.Mode);
        Zip.OnInCompleteZip = nullptr;
        if (c.AskAgain) Zip.OnInCompleteZip = [](TObject*, TIncompleteZipMode&) {};
        bool raised = false;
        try {
            EXPECT_EQ(Zip.UnZip(), 0);
        } catch (const Exception&) {
            raised = true;
        }
        EXPECT_EQ(raised, c.Raises);
        EXPECT_EQ(Zip.GetArchiveStream(), nullptr);
        {
            TFileStream exclusive(Base + "a.zip", fmOpenReadWrite | fmShareExclusive);
        }
        EXPECT_TRUE(RemoveFile(Base + "a.zip"));
        EXPECT_FALSE(FileExists(Base + "a.zip"));
    }
}

TEST_F(UnZipTest, TestingWritesNothing) {
    std::vector<TPlacement> where;
    std::vector<TTestEntry> entries = {{"docs/", ""}, {"docs/a.htm", Text(1000)}, {"b.htm", Text(2000)}, {"../evil", "x"}};
    entries[2].DeclaredCrc = Crc32(entries[2].Data) ^ 0x21;
    Archive(entries, &where);
    std::vector<std::string> failures;
    TUnZipRun run(Zip, true);
    run.OnEntryFailed = [&](int index, const AnsiString&) { failures.push_back(Zip.Filename(index)); };
    EXPECT_EQ(run.UnZip(), 2);
    // A refused name is known before the data of earlier entries is: the order is not fixed.
    std::sort(failures.begin(), failures.end());
    EXPECT_EQ(failures, std::vector<std::string>({"b.htm", "evil"}));
    EXPECT_EQ(Tree(), std::set<std::string>({"a.zip"}));
}

}  // namespace
