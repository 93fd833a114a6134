// The player stub run on books made here, watched from outside: extraction into the
// temporary folder, navigation, window size, clean-up on close, the damaged-book and failed-
// load messages, and two copies of one book at once. Runs only inside the sandbox.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "packedbook/book_constants.h"
#include "player/browser_form.h"
#include "tests/player/book_maker.h"
#include "tests/player/player_process.h"
#include "tests/player/sandbox_paths.h"

namespace {

constexpr int kLoadTimeoutMs = 30000;
constexpr int kExitTimeoutMs = 15000;

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(rng());
    return s;
}

// A small site: pages in sub-folders, binary data, an empty file, a read-only file and a name
// whose second byte is "\" in code page 936.
FileList SitePages() {
    return {
        {"index.htm", "<html><body><h1>index</h1><a href=\"sub/page.htm\">page</a></body></html>"},
        {"sub\\page.htm", "<html><body>page</body></html>"},
        {"sub\\deep\\data.bin", RandomBytes(150000, 7)},
        {"empty.txt", ""},
        {"readonly.txt", "read only"},
        {"\xB1\x5C.htm", "<html>gbk</html>"},
    };
}

class PlayerBook : public ::testing::Test {
protected:
    PlayerBook() : Case(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

    // Writes the pages, zips them with the book password (or another) and makes the book.
    std::string MakeSiteBook(const std::string& name, const FileList& pages, const TBookSettings& settings,
                             const std::string& password = BookArchivePassword) {
        const std::string src = Case.Src() + name + "\\";
        CreateDirectoryA(src.c_str(), nullptr);
        WriteFiles(src, pages);
        for (const auto& p : pages)
            if (p.first == "readonly.txt") SetFileAttributesA((src + p.first).c_str(), FILE_ATTRIBUTE_READONLY);
        const std::string archive = Case.Root() + name + ".zip";
        EXPECT_TRUE(ZipFolder(src, archive, password));
        const std::string book = Case.Books() + name;
        EXPECT_TRUE(MakeBook(kStub, archive, book, settings));
        return book;
    }
    std::unique_ptr<PlayerRun> Start(const std::string& book) {
        auto run = std::make_unique<PlayerRun>(book, Case.Tmp(), Case.Cwd(), Case.LocationFile());
        EXPECT_TRUE(run->Started());
        return run;
    }
    static TBookSettings Settings(const std::string& height, const std::string& width, const std::string& home) {
        TBookSettings s;
        s.WindowHeight = height;
        s.WindowWidth = width;
        s.HomePage = home;
        return s;
    }

    // Closes the browser window; the program ends and this run's files are gone, nothing else.
    void CloseAndExpectNothingLeft(PlayerRun& run, const std::string& work) {
        ASSERT_TRUE(run.CloseAndWait(kExitTimeoutMs));
        EXPECT_FALSE(PathExists(work));
        EXPECT_FALSE(PathExists(work + ".tmp"));
        EXPECT_TRUE(Case.SentinelsIntact());
    }

    CaseFolders Case;
};

TEST_F(PlayerBook, ExtractsNavigatesMaximisedAndRemovesItsFilesOnClose) {
    const FileList pages = SitePages();
    const std::string book = MakeSiteBook("book.exe", pages, Settings("0", "0", "index.htm"));
    auto run = Start(book);
    const std::string work = Case.Tmp() + "book.exe";

    ASSERT_TRUE(run->WaitLocation(work + "\\index.htm", kLoadTimeoutMs)) << run->Location();
    HWND form = run->WaitWindow("TForm1", 5000);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(run->Window("TForm3"), nullptr) << "the loading window is closed";
    EXPECT_TRUE(IsZoomed(form));
    EXPECT_TRUE(HoldsFiles(work + "\\", pages));
    const DWORD ro = GetFileAttributesA((work + "\\readonly.txt").c_str());
    EXPECT_TRUE(ro != INVALID_FILE_ATTRIBUTES && (ro & FILE_ATTRIBUTE_READONLY)) << "attributes are kept";
    EXPECT_TRUE(PathExists(work + ".tmp")) << "the temporary archive exists while the book runs";
    SaveScreenShot("player_maximised");

    CloseAndExpectNothingLeft(*run, work);
}

TEST_F(PlayerBook, OpensAtTheBooksSizeAndJoinsAHomePageThatBeginsWithASeparator) {
    // The book's file name holds a character whose second byte is "\"; a temporary archive
    // left by an earlier run is replaced.
    const std::string name = "\xD6\xD0\xCE\xC4\xBB\x5C.exe";
    const FileList pages = SitePages();
    const std::string book = MakeSiteBook(name, pages, Settings("600", "800", "\\sub\\page.htm"));
    const std::string work = Case.Tmp() + name;
    WriteWholeFile(work + ".tmp", "left over from an earlier run");
    auto run = Start(book);

    ASSERT_TRUE(run->WaitLocation(work + "\\sub\\page.htm", kLoadTimeoutMs)) << run->Location();
    HWND form = run->WaitWindow("TForm1", 5000);
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(IsZoomed(form));
    RECT r{};
    GetWindowRect(form, &r);
    EXPECT_EQ(r.bottom - r.top, 600);
    EXPECT_EQ(r.right - r.left, 800);
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_TRUE(HoldsFiles(work + "\\", pages));
    SaveScreenShot("player_600x800");

    CloseAndExpectNothingLeft(*run, work);
}

TEST_F(PlayerBook, SizesThatAreNotPositiveNumbersMaximise) {
    for (const auto& size : {std::make_pair("abc", "800"), std::make_pair("600", ""), std::make_pair("-600", "800")}) {
        const std::string name = std::string("size") + (size.first[0] == '-' ? "neg" : size.first) + ".exe";
        const std::string book = MakeSiteBook(name, {{"index.htm", "x"}}, Settings(size.first, size.second, "index.htm"));
        auto run = Start(book);
        ASSERT_TRUE(run->WaitLocation(Case.Tmp() + name + "\\index.htm", kLoadTimeoutMs)) << name;
        HWND form = run->WaitWindow("TForm1", 5000);
        ASSERT_NE(form, nullptr);
        EXPECT_TRUE(IsZoomed(form)) << size.first << " x " << size.second;
        CloseAndExpectNothingLeft(*run, Case.Tmp() + name);
    }
}

// Books whose tail cannot be read: the message, and nothing deleted anywhere, not even a
// folder that carries the work folder's name.
struct DamagedBook {
    const char* name;
    std::string (*tail)();   // what follows the stub
};

std::string Bare() { return std::string(); }
std::string FiveFields() { return BookTail(RandomBytes(300, 3), ScrambleSettings("0|_|0|_|0|_||_|index.htm")); }
std::string SevenFields() {
    return BookTail(RandomBytes(300, 3), ScrambleSettings("0|_|0|_|0|_||_||_|index.htm|_|x"));
}
std::string NotHex() { return BookTail(RandomBytes(300, 3), "ZZ" + ScrambleSettings("0|_|0|_|0|_||_||_|a.htm")); }
// Lengths that point far outside the file.
std::string Huge() { return std::string("\xF0\xFF\xFF\x7F\xF0\xFF\xFF\x7F", 8); }

class DamagedBooks : public PlayerBook, public ::testing::WithParamInterface<DamagedBook> {};

TEST_P(DamagedBooks, ShowTheDamagedMessageEndAndDeleteNothing) {
    const DamagedBook& c = GetParam();
    const std::string book = Case.Books() + c.name;
    ASSERT_TRUE(MakeBookWithTail(kStub, book, c.tail()));
    // A folder and an archive of the work folder's names, which this run did not make.
    const std::string work = Case.Tmp() + c.name;
    CreateDirectoryA(work.c_str(), nullptr);
    WriteWholeFile(work + "\\keep.htm", "keep");
    WriteWholeFile(work + ".tmp", "keep");

    auto run = Start(book);
    HWND box = run->WaitWindow("#32770", kLoadTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(PlayerRun::BoxText(box), kDamagedBookText);
    EXPECT_EQ(run->Window("TForm1"), nullptr) << "the browser window is not shown";
    EXPECT_EQ(run->Window("TForm3"), nullptr) << "no loading window";
    if (c.tail == Bare) SaveScreenShot("player_damaged_book");
    PlayerRun::Dismiss(box);
    DWORD code = 1;
    ASSERT_TRUE(run->WaitExit(kExitTimeoutMs, &code)) << "the program ends";
    EXPECT_EQ(code, 0u);

    EXPECT_TRUE(PathExists(work + "\\keep.htm"));
    EXPECT_EQ(ReadWholeFile(work + ".tmp"), "keep");
    EXPECT_TRUE(Case.SentinelsIntact());
    EXPECT_TRUE(PathExists(book));
}

INSTANTIATE_TEST_SUITE_P(Tails, DamagedBooks,
                         ::testing::Values(DamagedBook{"bare.exe", Bare}, DamagedBook{"five.exe", FiveFields},
                                           DamagedBook{"seven.exe", SevenFields}, DamagedBook{"nothex.exe", NotHex},
                                           DamagedBook{"huge.exe", Huge}),
                         [](const ::testing::TestParamInfo<DamagedBook>& info) {
                             std::string n = info.param.name;
                             return n.substr(0, n.find('.'));
                         });

// The load fails: the message, the loading window closes, the browser window stays up empty,
// and closing it removes only what this run made.
TEST_F(PlayerBook, ALockedTemporaryArchiveEndsWithLoadFailed) {
    const std::string book = MakeSiteBook("locked.exe", SitePages(), Settings("0", "0", "index.htm"));
    const std::string work = Case.Tmp() + "locked.exe";
    WriteWholeFile(work + ".tmp", "held by another program");
    HANDLE held = CreateFileA((work + ".tmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    auto run = Start(book);
    HWND box = run->WaitWindow("#32770", kLoadTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(PlayerRun::BoxText(box), kLoadFailedText);
    SaveScreenShot("player_load_failed");
    PlayerRun::Dismiss(box);
    HWND form = run->WaitWindow("TForm1", 5000);
    ASSERT_NE(form, nullptr) << "the browser window stays up";
    EXPECT_TRUE(WaitUntil([&] { return run->Window("TForm3") == nullptr; }, 5000)) << "the loading window closed";
    EXPECT_NE(NormaliseLocation(run->Location()), NormaliseLocation(work + "\\index.htm"));

    ASSERT_TRUE(run->CloseAndWait(kExitTimeoutMs));
    CloseHandle(held);
    EXPECT_EQ(ReadWholeFile(work + ".tmp"), "held by another program") << "not this run's archive";
    EXPECT_FALSE(PathExists(work)) << "this run's folder goes";
    EXPECT_TRUE(Case.SentinelsIntact());
}

enum class FailureKind { WrongPassword, NotAnArchive, CorruptData };

struct FailedExtraction {
    const char* name;
    FailureKind kind;
};

class FailedExtractions : public PlayerBook, public ::testing::WithParamInterface<FailedExtraction> {};

TEST_P(FailedExtractions, EndWithLoadFailedAndCleanUp) {
    const FailedExtraction& c = GetParam();
    std::string book = Case.Books() + c.name;
    switch (c.kind) {
    case FailureKind::WrongPassword:
        book = MakeSiteBook(c.name, SitePages(), Settings("0", "0", "index.htm"), "not the password");
        break;
    case FailureKind::NotAnArchive:
        ASSERT_TRUE(MakeBookWithTail(kStub, book,
                                     BookTail(RandomBytes(4096, 11), ScrambleSettings("0|_|0|_|0|_||_||_|index.htm"))));
        break;
    case FailureKind::CorruptData: {
        // Bytes changed amid an entry's data: the rest of it deciphers to garbage, which is no
        // Deflate stream, and corrupt data ends the extraction.
        const std::string src = Case.Src() + "corrupt\\";
        CreateDirectoryA(src.c_str(), nullptr);
        WriteFiles(src, {{"index.htm", "<html>index</html>"}, {"broken.bin", RandomBytes(60000, 5)}});
        const std::string archive = Case.Root() + "corrupt.zip";
        ASSERT_TRUE(ZipFolder(src, archive, BookArchivePassword));
        std::string bytes = ReadWholeFile(archive);
        const size_t name = bytes.find("broken.bin");
        ASSERT_NE(name, std::string::npos);
        ASSERT_LT(name + 30000, bytes.size());
        for (size_t i = name + 20000; i < name + 20064; ++i) bytes[i] = static_cast<char>(~bytes[i]);
        ASSERT_TRUE(MakeBookWithTail(kStub, book, BookTail(bytes, ScrambleSettings("0|_|0|_|0|_||_||_|index.htm"))));
        break;
    }
    }
    const std::string work = Case.Tmp() + c.name;
    auto run = Start(book);
    HWND box = run->WaitWindow("#32770", kLoadTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(PlayerRun::BoxText(box), kLoadFailedText);
    PlayerRun::Dismiss(box);
    ASSERT_NE(run->WaitWindow("TForm1", 5000), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return run->Window("TForm3") == nullptr; }, 5000));
    CloseAndExpectNothingLeft(*run, work);
}

INSTANTIATE_TEST_SUITE_P(Archives, FailedExtractions,
                         ::testing::Values(FailedExtraction{"wrongpw.exe", FailureKind::WrongPassword},
                                           FailedExtraction{"notzip.exe", FailureKind::NotAnArchive},
                                           FailedExtraction{"corrupt.exe", FailureKind::CorruptData}),
                         [](const ::testing::TestParamInfo<FailedExtraction>& info) {
                             switch (info.param.kind) {
                             case FailureKind::WrongPassword: return std::string("WrongPassword");
                             case FailureKind::NotAnArchive: return std::string("NotAnArchive");
                             default: return std::string("CorruptData");
                             }
                         });

TEST_F(PlayerBook, APartialExtractionStillNavigates) {
    FileList pages = {{"index.htm", "<html>index</html>"}, {"broken.bin", RandomBytes(60000, 5)}};
    const std::string src = Case.Src() + "partial\\";
    CreateDirectoryA(src.c_str(), nullptr);
    WriteFiles(src, pages);
    const std::string archive = Case.Root() + "partial.zip";
    ASSERT_TRUE(ZipFolder(src, archive, BookArchivePassword));
    // broken.bin's recorded CRC is wrong (its low byte, not the one the password is checked
    // against): the entry fails alone, the rest extracts.
    std::string bytes = ReadWholeFile(archive);
    const size_t local = bytes.find("broken.bin"), central = bytes.rfind("broken.bin");
    ASSERT_NE(local, std::string::npos);
    ASSERT_NE(local, central);
    bytes[local - 30 + 14] = static_cast<char>(bytes[local - 30 + 14] ^ 0x5A);
    bytes[central - 46 + 16] = static_cast<char>(bytes[central - 46 + 16] ^ 0x5A);
    const std::string book = Case.Books() + "partial.exe";
    ASSERT_TRUE(MakeBookWithTail(kStub, book, BookTail(bytes, ScrambleSettings("0|_|0|_|0|_||_||_|index.htm"))));

    auto run = Start(book);
    const std::string work = Case.Tmp() + "partial.exe";
    ASSERT_TRUE(run->WaitLocation(work + "\\index.htm", kLoadTimeoutMs)) << run->Location();
    EXPECT_EQ(run->Window("#32770"), nullptr) << "no failure reported";
    EXPECT_EQ(ReadWholeFile(work + "\\index.htm"), pages[0].second);
    CloseAndExpectNothingLeft(*run, work);
}

TEST_F(PlayerBook, TwoCopiesOfOneBookKeepTheirOwnPages) {
    const FileList pages = SitePages();
    const std::string book = MakeSiteBook("twice.exe", pages, Settings("0", "0", "index.htm"));
    const std::string first = Case.Tmp() + "twice.exe", second = Case.Tmp() + "twice.exe-2";

    auto one = Start(book);
    ASSERT_TRUE(one->WaitLocation(first + "\\index.htm", kLoadTimeoutMs)) << one->Location();
    auto two = Start(book);
    ASSERT_TRUE(two->WaitLocation(second + "\\index.htm", kLoadTimeoutMs)) << two->Location();

    ASSERT_TRUE(one->CloseAndWait(kExitTimeoutMs));
    EXPECT_FALSE(PathExists(first));
    EXPECT_TRUE(HoldsFiles(second + "\\", pages)) << "the second copy's pages are untouched";
    EXPECT_TRUE(PathExists(second + ".tmp"));

    CloseAndExpectNothingLeft(*two, second);
}

// The program is asked to end while the book is still being extracted: the browser window
// closes once the loading is done, the end of the program waits for the thread; either way
// the program ends by itself and leaves nothing behind.
class EndingWhileLoading : public PlayerBook, public ::testing::WithParamInterface<bool> {};

TEST_P(EndingWhileLoading, EndsCleanly) {
    const bool quit = GetParam();
    FileList pages = {{"index.htm", "<html>index</html>"}};
    for (int i = 0; i < 40; ++i) pages.emplace_back("data\\part" + std::to_string(i) + ".bin", RandomBytes(250000, i));
    const std::string name = quit ? "quit.exe" : "close.exe";
    const std::string book = MakeSiteBook(name, pages, Settings("0", "0", "index.htm"));
    const std::string work = Case.Tmp() + name;
    auto run = Start(book);
    HWND loading = run->WaitWindow("TForm3", kLoadTimeoutMs);
    ASSERT_NE(loading, nullptr);
    if (quit) {
        PostThreadMessageA(GetWindowThreadProcessId(loading, nullptr), WM_QUIT, 0, 0);
    } else {
        HWND form = run->Window("TForm1", false);
        ASSERT_NE(form, nullptr);
        PostMessageA(form, WM_CLOSE, 0, 0);
    }
    DWORD code = 1;
    ASSERT_TRUE(run->WaitExit(kLoadTimeoutMs, &code)) << "the program ends by itself";
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(PathExists(work));
    EXPECT_FALSE(PathExists(work + ".tmp"));
    EXPECT_TRUE(Case.SentinelsIntact());
}

INSTANTIATE_TEST_SUITE_P(Requests, EndingWhileLoading, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "QuitMessage" : "CloseTheBrowserWindow");
                         });

}  // namespace
