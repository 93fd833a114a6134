// The reader component: defaults, the setters that keep options consistent, copying, the
// indexed accessors, messages, split part names, next-disk requests and the encryption
// header.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/ziparchive/archive_builder.h"
#include "tests/ziparchive/scratch_files.h"
#include "ziparchive/arc_unzip.h"
#include "ziparchive/arc_zip.h"

namespace {

// A component holding the directory of an in-memory archive.
std::unique_ptr<TArcUnZip> ReaderOf(const std::string& bytes, std::unique_ptr<TMemoryStream>& keep) {
    auto z = std::make_unique<TArcUnZip>(nullptr);
    keep.reset(MemoryStreamOf(bytes));
    z->ReadZip(keep.get());
    return z;
}

TEST(ArcUnZip, DefaultsAndFixedVersion) {
    TArcUnZip z(nullptr);
    EXPECT_EQ(z.GetThisVersion(), 305);
    z.SetThisVersion(1);
    EXPECT_EQ(z.GetThisVersion(), 305);
    z.SetThisBuild(9);
    EXPECT_EQ(z.GetThisBuild(), 1);
    EXPECT_EQ(z.GetBufferSize(), 8192);
    EXPECT_EQ(z.GetNumberOfParts(), 1u);
    EXPECT_TRUE(z.GetCheckDiskLabels());
    EXPECT_TRUE(z.GetDoProcessMessages());
    EXPECT_TRUE(z.GetRetainAttributes());
    EXPECT_EQ(z.GetOEMConvert(), oemAlways);
    EXPECT_EQ(z.GetCurrentHeader()->OEMConvert, oemAlways);
    EXPECT_EQ(z.GetOverwriteMode(), Prompt);
    EXPECT_EQ(z.GetIncompleteZipMode(), izAssumeMulti);
    EXPECT_EQ(z.GetSortMode(), ByNone);
    EXPECT_EQ(z.GetMultiMode(), mmNone);
    EXPECT_EQ(z.EntryCount(), 0);
    z.SetOEMConvert(oemFlexible);
    EXPECT_EQ(z.GetCurrentHeader()->OEMConvert, oemFlexible);
}

TEST(ArcUnZip, ZipNameKeepsTheDirectoryForTheSameNameAndSplitsTheBase) {
    TempDir dir;
    const std::string name = WinDir(dir) + "Arc.ZIP";
    WriteFileBytes(name, BuildArchive({{"a.txt", "aaa"}}).Bytes);
    TArcUnZip z(nullptr);
    z.SetZipName(name);
    z.OpenZip();
    TSortedZip* list = z.GetPhysicalList();
    ASSERT_NE(list, nullptr);
    z.SetZipName(WinDir(dir) + "arc.zip");   // the same file, other case
    EXPECT_EQ(z.GetPhysicalList(), list);
    z.SetZipName(WinDir(dir) + "other.zip");
    EXPECT_EQ(z.GetPhysicalList(), nullptr);
    EXPECT_EQ(z.GetArchiveStream(), nullptr);

    z.SetZipName("C:\\data\\x.y.zip");
    EXPECT_EQ(z.GetSplitBaseName(), "C:\\data\\x");
    z.SetZipName("C:\\a.b\\noext");
    EXPECT_EQ(z.GetSplitBaseName(), "C:\\a.b\\noext");
}

// A name that differs only in the case of its letters keeps the directory read, for the
// double-byte letters of the code page as for ASCII ones; different characters whose
// trail bytes differ only as ASCII letters do are another name. Reader and writer alike.
TEST(ArcUnZip, ZipNameComparesLettersOfTheCodePageIgnoringCase) {
    struct TRow {
        const char* Label;
        std::string Read, Set;
        bool Kept;
    } rows[] = {
        {"ASCII letters", "Arc.ZIP", "arc.zip", true},
        {"fullwidth Latin", "Ａrc.zip", "ａrc.zip", true},
        {"Greek", "ΑΒΓ.zip", "αβγ.zip", true},
        {"Cyrillic", "ЯЖ.zip", "яж.zip", true},
        {"another fullwidth letter", "Ａ.zip", "Ｂ.zip", false},
        {"trail bytes A and a", "\x81\x41.zip", "\x81\x61.zip", false},
    };
    TempDir dir;
    if (!CanUseGbkNames(WinDir(dir))) GTEST_SKIP() << "code page 936 names cannot be made here";
    for (const TRow& row : rows) {
        for (bool writer : {false, true}) {
            SCOPED_TRACE(std::string(row.Label) + (writer ? ", writer" : ", reader"));
            const std::string name = WinDir(dir) + row.Read;
            WriteFileBytes(name, BuildArchive({{"a.txt", "aaa"}}).Bytes);
            std::unique_ptr<TArcUnZip> z = writer ? std::make_unique<TArcZip>(nullptr) : std::make_unique<TArcUnZip>(nullptr);
            z->SetZipName(name);
            z->OpenZip();
            TSortedZip* list = z->GetPhysicalList();
            ASSERT_NE(list, nullptr);
            z->SetZipName(WinDir(dir) + row.Set);
            EXPECT_EQ(z->GetPhysicalList() == list, row.Kept);
            EXPECT_EQ(z->GetZipName(), WinDir(dir) + (row.Kept ? row.Read : row.Set));
            RemoveFile(name);
        }
    }
}

TEST(ArcUnZip, DestAndRootDirsAndRelativePaths) {
    TArcUnZip z(nullptr);
    z.SetDestDir("C:\\out\\");
    EXPECT_EQ(z.GetDestDir(), "C:\\out");
    z.SetDestDir("C:\\");
    EXPECT_EQ(z.GetDestDir(), "C:");
    z.SetDestDir("C:\\\x81\x5C");   // ends in a trail byte 0x5C, not in "\"
    EXPECT_EQ(z.GetDestDir(), "C:\\\x81\x5C");

    z.SetRootDir("C:\\site");
    EXPECT_EQ(z.GetRootDir(), "C:\\site\\");
    ASSERT_EQ(z.GetRelativePathList()->Count(), 1);
    EXPECT_EQ(z.GetRelativePathList()->Get(0), "C:\\site\\");
    z.SetRootDir("");
    ASSERT_EQ(z.GetRelativePathList()->Count(), 1);
    EXPECT_EQ(z.GetRelativePathList()->Get(0), "");

    z.GetRelativePathList()->Clear();
    z.GetRelativePathList()->Add("c:\\a\\");
    z.GetRelativePathList()->Add("C:\\A\\B\\");
    AnsiString path = "C:\\A\\B\\f.txt";
    EXPECT_EQ(z.StripRelativePath(path), "B\\f.txt");
    AnsiString other = "D:\\x";
    EXPECT_EQ(z.StripRelativePath(other), "D:\\x");
    // Double-byte letters that differ only in case match too.
    z.GetRelativePathList()->Clear();
    z.GetRelativePathList()->Add("C:\\ｓｉｔｅ\\");
    AnsiString wide = "C:\\ＳＩＴＥ\\f.txt";
    EXPECT_EQ(z.StripRelativePath(wide), "f.txt");
}

#ifndef _WIN32
// Without a user (the native build) every dialog counts as cancelled.
TEST(ArcUnZip, CancelledDialogsRaiseUserCanceled) {
    TArcUnZip z(nullptr);
    z.SetZipName("keep.zip");
    try {
        z.SetZipName("/tmp/?");
        FAIL();
    } catch (const EUserCanceled& e) {
        EXPECT_EQ(e.Message, "User canceled setting zip file name.");
    }
    EXPECT_EQ(z.GetZipName(), "keep.zip");
    try {
        z.SetDestDir("?");
        FAIL();
    } catch (const EUserCanceled& e) {
        EXPECT_EQ(e.Message, "User canceled Set Desination Directory");
    }
    EXPECT_EQ(z.HandleMessage(184, "text", "", 1), 2);
}
#endif

TEST(ArcUnZip, IndexedAccessorsAndComments) {
    std::unique_ptr<TMemoryStream> m;
    auto built = BuildArchive({{"d/one.txt", "1", ""}, {"two.txt", "22", "second note"}}, "archive note");
    auto z = ReaderOf(built.Bytes, m);
    ASSERT_EQ(z->EntryCount(), 2);
    EXPECT_EQ(z->Filename(0), "one.txt");
    for (int bad : {-1, 2}) {
        try {
            z->Filename(bad);
            FAIL() << bad;
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message, "Index " + std::to_string(bad) + " is out of range");
        }
    }
    // Comments come from the directory when first asked for; loading is no modification.
    EXPECT_FALSE(z->Entry(1)->CommentLoaded());
    EXPECT_EQ(z->GetEndRecord()->CommentLength, 12);
    EXPECT_FALSE(z->GetEndRecord()->FModified);
    z->SetFileComment(0, "new");
    EXPECT_TRUE(z->GetEndRecord()->FModified);
    EXPECT_EQ(z->Entry(0)->GetComment(), "new");

    z->Entry(0)->DateTime = 0xFFFFFFFF;   // no date: the current time instead
    TDateTime before = Now();
    TDateTime t = z->DateTime(0);
    EXPECT_GE(t, before - 1.0 / 86400);
    EXPECT_LE(t, Now() + 1.0 / 86400);
}

TEST(ArcUnZip, CommentsLoadLazilyFromTheArchiveFile) {
    TempDir dir;
    const std::string name = WinDir(dir) + "c.zip";
    WriteFileBytes(name, BuildArchive({{"one.txt", "1", ""}, {"two.txt", "22", "second note"}}, "archive note").Bytes);
    TArcUnZip z(nullptr);
    z.SetZipName(name);
    z.OpenZip();
    z.CloseZip();
    EXPECT_EQ(z.GetArchiveStream(), nullptr);
    EXPECT_FALSE(z.Entry(1)->CommentLoaded());
    EXPECT_EQ(z.FileComment(1), "second note");
    EXPECT_EQ(z.FileComment(0), "");
    EXPECT_EQ(z.ZipComment(), "archive note");
    EXPECT_FALSE(z.GetEndRecord()->FModified);
    EXPECT_EQ(z.GetArchiveStream(), nullptr);   // closed again
    z.SetZipComment("archive note");
    EXPECT_FALSE(z.GetEndRecord()->FModified);
    z.SetZipComment("changed");
    EXPECT_TRUE(z.GetEndRecord()->FModified);
}

TEST(ArcUnZip, HandleMessageGoesToTheEvent) {
    TArcUnZip z(nullptr);
    int seenId = 0;
    AnsiString seenText;
    z.OnHandleMessage = [&](TObject* sender, int id, const AnsiString& msg1, const AnsiString&, uint32_t flags,
                            int& result) {
        EXPECT_EQ(sender, &z);
        seenId = id;
        seenText = msg1;
        result = flags == 1 ? 2 : 6;
    };
    EXPECT_EQ(z.HandleMessage(184, "Please insert disk 2", "", 1), 2);
    EXPECT_EQ(seenId, 184);
    EXPECT_EQ(seenText, "Please insert disk 2");
}

TEST(ArcUnZip, AssignCopiesTheConfigurationNamedForIt) {
    TArcUnZip a(nullptr), b(nullptr);
    a.SetZipName("x.zip");
    a.SetDestDir("C:\\out");
    a.SetRootDir("C:\\r");
    a.SetRecreateDirs(true);
    a.SetOverwriteMode(Always);
    a.GetFilesList()->Add("*.htm");
    a.SetDoAll(true);
    a.SetKeepZipOpen(true);
    a.SetDoProcessMessages(false);
    a.SetOEMConvert(oemNever);
    a.SetBlockMode(bmClassic);
    a.Password = "secret";
    bool fired = false;
    a.OnUnZipComplete = [&](TObject*, int) { fired = true; };
    a.OnHandleMessage = [](TObject*, int, const AnsiString&, const AnsiString&, uint32_t, int&) {};
    b.Assign(&a);
    EXPECT_EQ(b.GetZipName(), "x.zip");
    EXPECT_EQ(b.GetDestDir(), "C:\\out");
    EXPECT_EQ(b.GetRootDir(), "C:\\r\\");
    EXPECT_EQ(b.GetRelativePathList()->Get(0), "C:\\r\\");
    EXPECT_TRUE(b.GetRecreateDirs());
    EXPECT_EQ(b.GetOverwriteMode(), Always);
    EXPECT_EQ(b.GetFilesList()->Get(0), "*.htm");
    EXPECT_TRUE(b.GetDoAll());
    EXPECT_TRUE(b.GetKeepZipOpen());
    EXPECT_FALSE(b.GetDoProcessMessages());
    ASSERT_TRUE(static_cast<bool>(b.OnUnZipComplete));
    b.OnUnZipComplete(&b, 0);
    EXPECT_TRUE(fired);
    // Not copied:
    EXPECT_EQ(b.GetOEMConvert(), oemAlways);
    EXPECT_EQ(b.GetBlockMode(), bmStandard);
    EXPECT_EQ(b.Password, "");
    EXPECT_FALSE(static_cast<bool>(b.OnHandleMessage));
}

// Assign with another archive's name: the target extracts that archive, also when it
// kept the old one open; the same name keeps the directory read.
TEST(ArcUnZip, AssignOfAnotherNameExtractsThatArchive) {
    TempDir dir;
    const std::string oldName = WinDir(dir) + "old.zip", newName = WinDir(dir) + "new.zip";
    WriteFileBytes(oldName, BuildArchive({{"old.txt", "old"}}).Bytes);
    WriteFileBytes(newName, BuildArchive({{"new.txt", "new"}, {"new2.txt", "new2"}}).Bytes);
    struct TRow {
        const char* Label;
        bool KeepZipOpen;
        std::string Source;
        std::vector<std::string> Extracted;
    } rows[] = {
        {"kept open, another archive", true, newName, {"new.txt", "new2.txt"}},
        {"closed, another archive", false, newName, {"new.txt", "new2.txt"}},
        {"kept open, the same archive", true, oldName, {"old.txt"}},
        {"closed, the same archive", false, oldName, {"old.txt"}},
    };
    int n = 0;
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Label);
        const std::string out = WinDir(dir) + "out" + std::to_string(++n) + "\\";
        ForceDirectories(out);
        TArcUnZip target(nullptr), source(nullptr);
        target.SetKeepZipOpen(row.KeepZipOpen);
        target.SetZipName(oldName);
        target.OpenZip();
        target.CloseZip();
        source.SetZipName(row.Source);
        source.SetKeepZipOpen(row.KeepZipOpen);
        source.SetDestDir(out);
        source.SetDoAll(true);
        source.SetOverwriteMode(Always);
        target.Assign(&source);
        EXPECT_EQ(target.UnZip(), static_cast<int>(row.Extracted.size()));
        EXPECT_EQ(FilesIn(out, "*"), row.Extracted);
        EXPECT_EQ(target.GetSplitBaseName(), ChangeFileExt(row.Source, ""));
    }
}

TEST(ArcUnZip, SplitPartNames) {
    TArcUnZip z(nullptr);
    struct TCase {
        TBlockMode Mode;
        int Part;
        TSplitPartType Type;
        const char* Want;
    } cases[] = {
        {bmStandard, 1, spFirst, "C:\\a\\arc.zip.z01"},
        {bmStandard, 7, spMiddle, "C:\\a\\arc.zip.z07"},
        {bmStandard, 9, spLast, "C:\\a\\arc.zip"},
        {bmClassic, 2, spMiddle, "C:\\a\\arc.002"},
        {bmClassic, 3, spLast, "C:\\a\\arc.003"},
    };
    for (const TCase& c : cases) {
        z.SetBlockMode(c.Mode);
        AnsiString name = "C:\\a\\arc";
        z.GetSplitPartFileName(name, c.Part, c.Type);
        EXPECT_EQ(name, c.Want);
    }
    z.OnFileNameForSplitPart = [](TObject*, AnsiString& name, int part, TSplitPartType) { name += "#" + IntToStr(part); };
    AnsiString name = "base";
    z.GetSplitPartFileName(name, 4, spMiddle);
    EXPECT_EQ(name, "base#4");
}

// A next-disk handler that keeps naming a file that is not there ends as a cancel.
TEST(ArcUnZip, NextDiskRequestsEnd) {
    TArcUnZip z(nullptr);
    z.SetZipName("first.zip");
    int calls = 0;
    z.OnGetNextDisk = [&](TObject*, int disk, AnsiString& name) {
        ++calls;
        EXPECT_EQ(disk, 2);
        name = "no-such-volume.zip";
    };
    try {
        z.OpenNextDisk(2);
        FAIL();
    } catch (const EUserCanceled& e) {
        EXPECT_EQ(e.Message, "User canceled loading new disk.");
    }
    EXPECT_EQ(calls, TArcUnZip::kMaxNextDiskTries);

    calls = 0;
    z.OnGetNextDisk = [&](TObject*, int, AnsiString& name) {
        ++calls;
        name.clear();
    };
    EXPECT_THROW(z.OpenNextDisk(2), EUserCanceled);
    EXPECT_EQ(calls, 1);
}

TEST(ArcUnZip, EncryptionHeaderNeedsTwelveBytesOfEntry) {
    TArcUnZip z(nullptr);
    // Twelve bytes that decrypt with "pw" to a header whose check byte is 0x5A.
    uint8_t header[kEncryptionHeaderSize] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0x5A};
    TZipKeys k;
    k.InitKeys("pw");
    k.EncryptBuffer(header, sizeof header);
    std::unique_ptr<TMemoryStream> m(MemoryStreamOf(std::string(reinterpret_cast<char*>(header), 12) + "data"));

    z.GetCurrentHeader()->SetCompressedSize(11);
    EXPECT_EQ(z.ReadEncryptionHeader("pw", m.get()), -1);
    EXPECT_EQ(m->GetPosition(), 0);
    EXPECT_EQ(z.GetCurrentHeader()->GetCompressedSize(), 11);

    z.GetCurrentHeader()->SetCompressedSize(16);
    EXPECT_EQ(z.ReadEncryptionHeader("pw", m.get()), 0x5A);
    EXPECT_EQ(z.GetCurrentHeader()->GetCompressedSize(), 4);

    // The stream ends inside the header.
    std::unique_ptr<TMemoryStream> shortStream(MemoryStreamOf("abc"));
    z.GetCurrentHeader()->SetCompressedSize(100);
    EXPECT_EQ(z.ReadEncryptionHeader("pw", shortStream.get()), -1);
    EXPECT_EQ(z.GetCurrentHeader()->GetCompressedSize(), 100);

    z.SetRunningCrc(0xFFFFFFFFu);
    z.UpdateCrcBuffer("123456789", 9);
    EXPECT_EQ(~z.GetRunningCrc(), 0xCBF43926u);
}

TEST(ArcUnZip, BusyAndReadingFlagsExchange) {
    TArcUnZip z(nullptr);
    EXPECT_FALSE(z.ExchangeBusyFlag(true));
    EXPECT_TRUE(z.ExchangeBusyFlag(false));
    EXPECT_FALSE(z.ExchangeUnzipFlag(true));
    EXPECT_TRUE(z.GetReadingFlag());
}

}  // namespace
