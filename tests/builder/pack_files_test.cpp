// The files of a packing run: the player stub read from the program's resources, where the
// temporary archive goes (and that it never exists beforehand), and the book put in place by a
// rename that an open old book refuses.
#include <gtest/gtest.h>

#include <windows.h>

#include "builder/pack_files_win.h"
#include "classlib/fileio.h"
#include "classlib/resource_stream.h"
#include "tests/builder/held_file.h"
#include "tests/support/tempdir.h"
#include "tests/ziparchive/scratch_files.h"

namespace {

// The resource this test program carries (see CMakeLists): the bytes of TEST_STUB_FILE.
std::string StubBytes() { return ReadWholeFile(TEST_STUB_FILE); }

TEST(ResourceStream, ReadsAResourceByNamesOfAnyCase) {
    const std::string stub = StubBytes();
    ASSERT_FALSE(stub.empty());
    for (const char* name : {"teststub", "TESTSTUB", "TestStub"}) {
        TResourceStream s(nullptr, name, "exefile");
        ASSERT_EQ(s.GetSize(), static_cast<int64_t>(stub.size())) << name;
        std::string bytes(stub.size(), '\0');
        s.ReadBuffer(&bytes[0], static_cast<int32_t>(bytes.size()));
        EXPECT_EQ(bytes, stub) << name;
        EXPECT_EQ(s.Read(&bytes[0], 1), 0);   // at the end
    }
    TResourceStream s(nullptr, "TESTSTUB", "EXEFILE");
    s.Seek(-4, soEnd);
    char tail[4];
    s.ReadBuffer(tail, 4);
    EXPECT_EQ(std::string(tail, 4), stub.substr(stub.size() - 4));
    EXPECT_THROW(s.WriteBuffer("x", 1), EStreamError);
    EXPECT_THROW(TResourceStream(nullptr, "qvplay-missing", "exefile"), EResNotFound);
}

TEST(PlayerResource, SavedWholeOrNotAtAll) {
    TempDir dir;
    const std::string out = WinDir(dir) + "\xCA\xE9\x81\x5C.exe";   // 书乗.exe
    WriteFileBytes(out, "an older, longer file that the stub replaces");
    ASSERT_TRUE(ExtractPlayerResource("exefile", "teststub", out));
    EXPECT_EQ(ReadFileBytes(out), StubBytes());

    const std::string missing = WinDir(dir) + "missing.exe";
    EXPECT_FALSE(ExtractPlayerResource("exefile", "nosuchstub", missing));
    EXPECT_FALSE(FileExists(missing));
    EXPECT_FALSE(ExtractPlayerResource("exefile", "teststub", WinDir(dir) + "no\\such\\folder\\a.exe"));
}

TEST(TempArchive, PreferredFolderFirstAndNeverAnExistingFile) {
    TempDir preferred, fallback;
    const std::string stale = WinDir(preferred) + "site.tmp";
    WriteFileBytes(stale, "an archive left by an earlier run");
    const std::string path = ChooseTempArchivePath(WinDir(preferred), WinDir(fallback), "site");
    EXPECT_EQ(path, stale);
    EXPECT_FALSE(FileExists(path));   // the stale archive is gone: it would be updated, not replaced
}

TEST(TempArchive, FallsBackToAUniqueNameWhenThePreferredFolderCannotTakeIt) {
    TempDir dir, fallback;
    // A file where the folder should be: nothing can be created below it.
    const std::string blocked = WinDir(dir) + "drivers";
    WriteFileBytes(blocked, "not a folder");
    const std::string a = ChooseTempArchivePath(blocked + "\\", WinDir(fallback), "site");
    ASSERT_FALSE(a.empty());
    EXPECT_EQ(a.compare(0, WinDir(fallback).size(), WinDir(fallback)), 0) << a;
    EXPECT_FALSE(FileExists(a));
    WriteFileBytes(a, "taken");
    const std::string b = ChooseTempArchivePath(blocked + "\\", WinDir(fallback), "site");
    EXPECT_NE(a, b);
    EXPECT_FALSE(FileExists(b));

    // A stale archive that another program holds open cannot be removed: fall back as well.
    const std::string stale = WinDir(dir) + "site.tmp";
    WriteFileBytes(stale, "held");
    HeldFile held(stale);
    ASSERT_TRUE(held.Held());
    const std::string c = ChooseTempArchivePath(WinDir(dir), WinDir(fallback), "site");
    EXPECT_EQ(c.compare(0, WinDir(fallback).size(), WinDir(fallback)), 0) << c;

    EXPECT_EQ(ChooseTempArchivePath(blocked + "\\", blocked + "\\", "site"), "");
}

TEST(TempArchive, DriversFolderOfTheWindowsDirectory) {
    const std::string drivers = GetDriversFolder();
    ASSERT_GE(drivers.size(), 9u);
    EXPECT_EQ(drivers.substr(drivers.size() - 9), "\\drivers\\");
    EXPECT_TRUE(DirectoryExists(drivers.substr(0, drivers.size() - 1)));
    EXPECT_TRUE(EndsWithChar(GetUserTempFolder(), '\\'));
}

TEST(BookInPlace, ReplacesAnOldBookUnlessItIsHeldOpen) {
    TempDir dir;
    const std::string book = WinDir(dir) + "site.exe";
    const std::string partial = WinDir(dir) + "site.exe.1.tmp";
    WriteFileBytes(book, "old book");
    WriteFileBytes(partial, "new book");
    {
        HeldFile held(book);   // a running book is held open the same way
        ASSERT_TRUE(held.Held());
        EXPECT_FALSE(ReplaceFileByRename(partial, book));
    }
    EXPECT_EQ(ReadFileBytes(book), "old book");
    EXPECT_EQ(ReadFileBytes(partial), "new book");
    EXPECT_TRUE(ReplaceFileByRename(partial, book));
    EXPECT_EQ(ReadFileBytes(book), "new book");
    EXPECT_FALSE(FileExists(partial));
}

TEST(UniqueNames, NameNoExistingFile) {
    TempDir dir;
    for (int i = 0; i < 20; ++i) {
        const std::string name = UniqueFileName(WinDir(dir), "site.exe.", ".tmp");
        ASSERT_FALSE(name.empty());
        EXPECT_FALSE(FileExists(name));
        EXPECT_EQ(name.compare(0, WinDir(dir).size() + 9, WinDir(dir) + "site.exe."), 0) << name;
        WriteFileBytes(name, "x");
    }
}

}  // namespace
