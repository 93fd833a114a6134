// The builder from its window to an open book: pagewrap.exe runs as its own process and is
// worked from outside as its author would (texts put in its edits and spin edits, "开始打包"
// pressed, the message read and answered); the book it writes is checked byte by byte and
// then opened in the player. Runs inside the sandbox of run_in_sandbox.sh: drive Z: holds the
// programs, the sample site's files (flat, with a list of where they belong) and every case's
// folders; both programs get a temporary folder there.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>

#include "builder/main_form.h"
#include "builder/pack_files_win.h"
#include "packedbook/packed_book.h"
#include "builder/packing_form.h"
#include "classlib/fileio.h"
#include "tests/builder/held_file.h"
#include "tests/player/sandbox_paths.h"
#include "tools/pagewrap_driver/builder_window.h"
#include "tools/pagewrap_driver/player_window.h"

namespace {

constexpr char kBuilder[] = "Z:\\pagewrap.exe";
constexpr char kPlayer[] = "Z:\\qvplay.exe";
// Where each file of the sample site belongs, one UTF-8 path a line (made by the build).
constexpr char kSiteList[] = "Z:\\sample-site.txt";
// The site's folder: 示例 and 癨 (B0 5C), a character whose second byte is "\".
constexpr char kSiteName[] = "\xCA\xBE\xC0\xFD\xB0\x5C";
// "正在打包..."
constexpr char kPackingCaption[] = "\xD5\xFD\xD4\xDA\xB4\xF2\xB0\xFC...";
constexpr int kPackTimeoutMs = 120000;

// Copies the sample site into folder (which must not exist yet); the relative paths of its files.
std::vector<std::string> CopySampleSite(const std::string& folder) {
    std::vector<std::string> files;
    std::ifstream list(kSiteList, std::ios::binary);
    std::string line;
    CreateDirectoryA(folder.c_str(), nullptr);
    while (std::getline(list, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::string relative = ReplaceSingleByteChar(ConvertText(line, CP_UTF8, CP_ACP), '/', '\\');
        const std::string target = folder + "\\" + relative;
        ForceDirectories(ExtractFilePath(target));
        if (!CopyFileA(("Z:\\" + ExtractFileName(relative)).c_str(), target.c_str(), TRUE)) return {};
        files.push_back(relative);
    }
    return files;
}

// The files below folder (relative paths, sub-folders walked) with their bytes.
void ListTree(const std::string& folder, const std::string& prefix, std::map<std::string, std::string>& out) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListTree(folder + "\\" + name, prefix + name + "\\", out);
        else
            out[prefix + name] = ReadWholeFile(folder + "\\" + name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

std::map<std::string, std::string> Tree(const std::string& folder) {
    std::map<std::string, std::string> out;
    ListTree(folder, "", out);
    return out;
}

// Names directly in folder.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = fd.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

// One run of the builder with its temporary folder in the case's folders.
// The skin engine's question to a window: is it skinned (1)?
const UINT kSkinQuery = 0x2AAA;

class BuilderRun {
public:
    explicit BuilderRun(const std::string& tempFolder) {
        FProcess = StartProgram(kBuilder, "", {{"TEMP", tempFolder}, {"TMP", tempFolder}}, FPid);
        if (FProcess) FFound = FindBuilderWindow(FPid, 20000, Window);
    }
    ~BuilderRun() {
        if (!FProcess) return;
        if (Window.Form) PostMessageA(Window.Form, WM_CLOSE, 0, 0);
        if (!WaitForExit(FProcess, 10000)) TerminateProcess(FProcess, 99);
        CloseHandle(FProcess);
    }
    BuilderRun(const BuilderRun&) = delete;
    BuilderRun& operator=(const BuilderRun&) = delete;

    bool Ready() const { return FFound; }
    DWORD Pid() const { return FPid; }

    // Fills the fields, presses "开始打包" and answers the message; its text, or "(no message)".
    std::string Pack(const std::string& folder, const std::string& homePage, const std::string& height = "0",
                     const std::string& width = "0") {
        if (!FillBuilder(Window, folder, homePage, height, width)) return "(texts not taken)";
        return Answer(StartPacking(Window, kPackTimeoutMs));
    }

    // Reads and answers the message box, and waits until the main window takes input again.
    std::string Answer(HWND box) {
        if (!box) return "(no message)";
        const std::string text = DialogText(box);
        LastBoxSkinned = SendMessageA(box, kSkinQuery, 0, 0) == 1;
        DismissMessageBox(box);
        WaitForWindowGone(box, 10000);
        const DWORD start = GetTickCount();
        while (!IsWindowEnabled(Window.Form) && GetTickCount() - start < 10000) Sleep(20);
        return text;
    }

    TBuilderWindow Window;
    bool LastBoxSkinned = false;

private:
    HANDLE FProcess = nullptr;
    DWORD FPid = 0;
    bool FFound = false;
};

std::string Lower(std::string s) { return LowerCase(ReplaceSingleByteChar(s, '/', '\\')); }

bool EndsWithText(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && Lower(s.substr(s.size() - tail.size())) == Lower(tail);
}

class BuilderWindow : public ::testing::Test {
protected:
    BuilderWindow() : Case(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

    void SetUp() override {
        Site = Case.Root() + kSiteName;
        Book = Site + ".exe";
        SiteFiles = CopySampleSite(Site);
        ASSERT_FALSE(SiteFiles.empty()) << "the sample site was not copied";
    }

    // Nothing of a run stays in the temporary folders or beside the book.
    void ExpectNoTemporaryFiles(const std::vector<std::string>& expectedInRoot) {
        EXPECT_EQ(Names(Case.Tmp()), std::vector<std::string>{"sentinel.txt"});
        EXPECT_FALSE(FileExists(GetDriversFolder() + kSiteName + ".tmp"));
        EXPECT_EQ(Names(Case.Root()), expectedInRoot);
        EXPECT_TRUE(Case.SentinelsIntact());
    }

    std::vector<std::string> RootWithBook() const {
        std::vector<std::string> names{"books", "cwd", "src", "tmp", kSiteName, std::string(kSiteName) + ".exe"};
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> RootWithoutBook() const {
        std::vector<std::string> names{"books", "cwd", "src", "tmp", kSiteName};
        std::sort(names.begin(), names.end());
        return names;
    }

    // Packs the site (home page index.htm) while another program holds file open; the message.
    std::string PackWhileHeld(const std::string& file) {
        HeldFile held(file);
        if (!held.Held()) return "(the file could not be held)";
        BuilderRun builder(Case.Tmp());
        if (!builder.Ready()) return "(no builder window)";
        return builder.Pack(Site, Site + "\\index.htm");
    }

    static std::string PackedMessage(const std::string& book) {
        return std::string(kPackedText) + "\r\n\r\n" + book;
    }
    static bool IsFailure(const std::string& message) {
        return message.compare(0, std::strlen(kFailedText), kFailedText) == 0;
    }

    CaseFolders Case;
    std::string Site, Book;
    std::vector<std::string> SiteFiles;
};

TEST_F(BuilderWindow, ChecksTheChoicesBeforePacking) {
    BuilderRun builder(Case.Tmp());
    ASSERT_TRUE(builder.Ready());
    const std::string home = Site + "\\index.htm";
    struct {
        const char* Label;
        std::string Folder, HomePage;
        const char* Message;
    } cases[] = {
        {"nothing chosen", "", "", kChooseFolderText},
        {"no folder", "", home, kChooseFolderText},
        {"no home page", Site, "", kChooseHomePageText},
        {"home page outside the folder", Site, Case.Cwd() + "sentinel.txt", kChooseHomePageText},
        {"home page in a folder of a longer name", Site, Site + "2\\index.htm", kChooseHomePageText},
        {"home page that does not exist", Site, Site + "\\missing.htm", kChooseHomePageText},
        {"a drive's root", "Z:\\", "Z:\\pagewrap.exe", kRootFolderText},
        {"a folder that does not exist", Case.Root() + "missing", Case.Root() + "missing\\index.htm",
         kChooseFolderText},
    };
    for (const auto& c : cases) EXPECT_EQ(builder.Pack(c.Folder, c.HomePage), c.Message) << c.Label;
    ExpectNoTemporaryFiles(RootWithoutBook());
}

TEST_F(BuilderWindow, PacksTheSampleSiteIntoABookThatOpensInThePlayer) {
    {
        BuilderRun builder(Case.Tmp());
        ASSERT_TRUE(builder.Ready());
        // The window, its buttons, check boxes, edits, panels, tab control and status bar, and
        // the message box wear the skin (tab sheets, static texts and the flat spin buttons
        // have no skin of their own).
        EXPECT_EQ(SendMessageA(builder.Window.Form, kSkinQuery, 0, 0), 1);
        std::set<std::string> kinds;
        for (HWND control : Descendants(builder.Window.Form)) {
            const std::string kind = WindowClass(control);
            if (kind != "Button" && kind != "Edit" && kind != "TPanel" && kind != "SysTabControl32" &&
                kind != "msctls_statusbar32")
                continue;
            kinds.insert(kind);
            EXPECT_EQ(SendMessageA(control, kSkinQuery, 0, 0), 1) << kind;
        }
        EXPECT_EQ(kinds.size(), 5u);
        // The folder's part of the home page in other letters' case is removed all the same.
        ASSERT_EQ(builder.Pack(Site, UpperCase(Site) + "\\index.htm", "480", "640"), PackedMessage(Book));
        EXPECT_TRUE(builder.LastBoxSkinned);
        TBookSettings s;
        ASSERT_TRUE(ReadBookSettings(Book, s));
        EXPECT_EQ(s.WindowHeight, "480");
        EXPECT_EQ(s.WindowWidth, "640");
        ExpectNoTemporaryFiles(RootWithBook());

        // Again with other sizes and a home page in a sub-folder: the book is replaced.
        const std::string chapter = "\xD5\xC2\xBD\xDA\\\xB5\xDA\xD2\xBB\xD5\xC2.htm";   // 章节\第一章.htm
        ASSERT_EQ(builder.Pack(Site, Site + "\\" + chapter, "600", "800"), PackedMessage(Book));
        ASSERT_TRUE(ReadBookSettings(Book, s));
        EXPECT_EQ(s.WindowHeight, "600");
        EXPECT_EQ(s.WindowWidth, "800");
        EXPECT_EQ(s.HomePage, chapter);
        // And back to the first choice, with the book checked byte by byte below.
        ASSERT_EQ(builder.Pack(Site, Site + "\\index.htm", "480", "640"), PackedMessage(Book));
    }
    ExpectNoTemporaryFiles(RootWithBook());

    // The tail: the six fields in order, then the archive, and before it exactly the player.
    TBookSettings s;
    ASSERT_TRUE(ReadBookSettings(Book, s));
    EXPECT_EQ(JoinSettings(s), "480|_|640|_|0|_||_||_|index.htm");
    const std::string book = ReadWholeFile(Book);
    TFileStream stream(Book, fmOpenRead | fmShareDenyNone);
    TBookTail tail;
    ASSERT_TRUE(LocateBookTail(&stream, tail));
    EXPECT_EQ(book.substr(0, static_cast<size_t>(tail.ArchiveOffset)), ReadWholeFile(kPlayer));
    EXPECT_EQ(book.substr(static_cast<size_t>(tail.ArchiveOffset), 4), std::string("PK\x03\x04", 4));

    // The book opens in the player, which shows the home page from the extracted site.
    const std::string work = Case.Tmp() + kSiteName + ".exe";
    DWORD pid = 0;
    HANDLE player = StartProgram(Book, "",
                                 {{"TEMP", Case.Tmp()}, {"TMP", Case.Tmp()},
                                  {"QVPLAY_LOCATION_FILE", Case.LocationFile()}},
                                 pid);
    ASSERT_NE(player, nullptr);
    HWND window = WaitForPlayerWindow(pid, 20000);
    ASSERT_NE(window, nullptr);
    const std::string location = WaitForPlayerLocation(window, Case.LocationFile(), 20000);
    EXPECT_TRUE(EndsWithText(location, work + "\\index.htm")) << location;
    const auto extracted = Tree(work);
    const auto original = Tree(Site);
    EXPECT_EQ(extracted.size(), SiteFiles.size());
    EXPECT_TRUE(extracted == original) << "the extracted site differs from the packed one";
    EXPECT_TRUE(extracted.count("\xD5\xC2\xBD\xDA\\\xB5\xDA\xD2\xBB\xD5\xC2.htm"));   // 章节\第一章.htm

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitForExit(player, 20000));
    if (!WaitForExit(player, 0)) TerminateProcess(player, 99);
    CloseHandle(player);
    ExpectNoTemporaryFiles(RootWithBook());
}

TEST_F(BuilderWindow, AnOpenOldBookIsKeptAndThePackingFails) {
    WriteWholeFile(Book, "the old book");
    const std::string message = PackWhileHeld(Book);
    EXPECT_TRUE(IsFailure(message)) << message;
    EXPECT_NE(message.find(Book), std::string::npos) << message;
    EXPECT_EQ(ReadWholeFile(Book), "the old book");
    ExpectNoTemporaryFiles(RootWithBook());
}

TEST_F(BuilderWindow, AFileThatCannotBeReadFailsThePacking) {
    const std::string message = PackWhileHeld(Site + "\\style.css");
    EXPECT_TRUE(IsFailure(message)) << message;
    EXPECT_NE(message.find("style.css"), std::string::npos) << message;
    EXPECT_FALSE(FileExists(Book)) << "a book without one of its files is not written";
    ExpectNoTemporaryFiles(RootWithoutBook());
}

// The sandbox's Windows folder gets a file where its "drivers" folder would be, so that no
// temporary archive can be made there; the file goes again at the end.
class DriversFolderBlocked {
public:
    DriversFolderBlocked() : FPath(GetDriversFolder()) {
        FPath.pop_back();
        if (!RemoveDirectoryA(FPath.c_str()) && GetFileAttributesA(FPath.c_str()) != INVALID_FILE_ATTRIBUTES) return;
        WriteWholeFile(FPath, "not a folder");
        FBlocked = true;
    }
    ~DriversFolderBlocked() {
        if (FBlocked) DeleteFileA(FPath.c_str());
    }
    bool Blocked() const { return FBlocked; }

private:
    std::string FPath;
    bool FBlocked = false;
};

TEST_F(BuilderWindow, WithoutADriversFolderTheArchiveGoesToTheTemporaryFolder) {
    DriversFolderBlocked blocked;
    if (!blocked.Blocked()) GTEST_SKIP() << "the drivers folder is in use and cannot be replaced";
    {
        BuilderRun builder(Case.Tmp());
        ASSERT_TRUE(builder.Ready());
        EXPECT_EQ(builder.Pack(Site, Site + "\\index.htm"), PackedMessage(Book));
    }
    TBookSettings s;
    EXPECT_TRUE(ReadBookSettings(Book, s));
    ExpectNoTemporaryFiles(RootWithBook());

    // Nowhere to put it at all: the run fails and says so.
    BuilderRun builder(Case.Root() + "missing\\");
    ASSERT_TRUE(builder.Ready());
    EXPECT_TRUE(IsFailure(builder.Pack(Site, Site + "\\index.htm")));
}

TEST_F(BuilderWindow, ThePackingWindowStaysUntilItsThreadIsDone) {
    // Enough data that cannot be compressed to keep the thread busy for a while.
    std::string noise(48u << 20, '\0');
    std::mt19937 random(7);
    for (size_t i = 0; i + 4 <= noise.size(); i += 4) {
        const uint32_t r = random();
        std::memcpy(&noise[i], &r, 4);
    }
    WriteWholeFile(Site + "\\noise.bin", noise);

    {
        BuilderRun builder(Case.Tmp());
        ASSERT_TRUE(builder.Ready());
        ASSERT_TRUE(FillBuilder(builder.Window, Site, Site + "\\index.htm", "0", "0"));
        PressButton(builder.Window.StartButton);
        HWND packing = WaitForTopWindow(builder.Pid(), "TForm2", kPackingCaption, 20000);
        ASSERT_NE(packing, nullptr);
        EXPECT_EQ(GetWindowLongPtrA(packing, GWL_STYLE) & WS_SYSMENU, 0) << "no system menu, no close button";
        PostMessageA(packing, WM_CLOSE, 0, 0);
        PostMessageA(packing, WM_SYSCOMMAND, SC_CLOSE, 0);
        Sleep(300);
        EXPECT_EQ(WaitForMessageBox(builder.Pid(), 0), nullptr) << "no message while the thread runs (closing the window would bring one)";
        EXPECT_TRUE(IsWindowVisible(packing)) << "the packing window closed while its thread ran";
        EXPECT_EQ(builder.Answer(WaitForMessageBox(builder.Pid(), kPackTimeoutMs)), PackedMessage(Book));
        EXPECT_FALSE(IsWindowVisible(packing));
    }
    TBookSettings s;
    EXPECT_TRUE(ReadBookSettings(Book, s));
    ExpectNoTemporaryFiles(RootWithBook());
}

}  // namespace
