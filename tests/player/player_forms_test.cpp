// The player's windows in process: their stored layout and texts, the refused new window, the
// loading window's marquee, and a loading window that cannot be closed while its thread runs.
// Nothing here claims a work folder, so nothing is ever removed.
#include <gtest/gtest.h>

#include <exdispid.h>

#include <atomic>
#include <tuple>

#include "packedbook/book_constants.h"
#include "classlib/gui/application.h"
#include "player/browser_form.h"
#include "player/loading_form.h"
#include "tests/gui/gui_test_support.h"
#include "tests/player/book_maker.h"
#include "tests/support/tempdir.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override { Application->Initialize(); }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

class PlayerForms : public ::testing::Test {
protected:
    void SetUp() override {
        Form1 = new TForm1(nullptr);
        Form3 = new TForm3(nullptr);
    }
    void TearDown() override {
        delete Form3;
        Form3 = nullptr;
        delete Form1;
        Form1 = nullptr;
    }
};

TEST_F(PlayerForms, TheBrowserWindowAsStored) {
    EXPECT_EQ(Form1->GetCaption(), "\xE4\xAF\xC0\xC0\xA1\xA1");
    EXPECT_EQ(Form1->GetWidth(), 834);
    EXPECT_EQ(Form1->GetHeight(), 646);
    EXPECT_EQ(Form1->GetWindowState(), wsMaximized);
    EXPECT_EQ(Form1->GetPosition(), poScreenCenter);
    EXPECT_EQ(Form1->GetColor(), clHighlightText);
    EXPECT_FALSE(Form1->GetCtl3D());
    EXPECT_EQ(Form1->GetFont()->GetName(), "MS Sans Serif");
    EXPECT_EQ(Form1->GetFont()->GetHeight(), -11);
    EXPECT_EQ(Form1->Panel1->GetAlign(), alTop);
    EXPECT_EQ(Form1->Panel1->GetHeight(), 41);
    EXPECT_EQ(Form1->WebBrowser1->GetAlign(), alClient);
    EXPECT_EQ(Form1->WebBrowser1->GetParent(), Form1);
    struct {
        TButton* button;
        int left;
        const char* caption;
    } buttons[] = {{Form1->Button1, 8, "\xCB\xA2\xD0\xC2"},
                   {Form1->Button2, 96, "\xBA\xF3\xCD\xCB"},
                   {Form1->Button3, 184, "\xC7\xB0\xBD\xF8"},
                   {Form1->Button4, 272, "\xCD\xA3\xD6\xB9"}};
    for (const auto& b : buttons) {
        EXPECT_EQ(b.button->GetParent(), Form1->Panel1);
        EXPECT_EQ(b.button->GetBoundsRect(), Bounds(b.left, 8, 75, 25)) << b.caption;
        EXPECT_EQ(b.button->GetCaption(), b.caption);
    }
}

TEST_F(PlayerForms, TheLoadingWindowAsStored) {
    EXPECT_EQ(Form3->GetBorderStyle(), bsNone);
    EXPECT_EQ(Form3->GetBorderIcons(), 0);
    EXPECT_EQ(Form3->GetClientWidth(), 401);
    EXPECT_EQ(Form3->GetClientHeight(), 16);
    EXPECT_EQ(Form3->GetLeft(), 364);
    EXPECT_EQ(Form3->GetTop(), 279);
    EXPECT_EQ(Form3->GetColor(), clScrollBar);
    EXPECT_EQ(Form3->ProgressBar1->GetAlign(), alClient);
    EXPECT_EQ(Form3->ProgressBar1->GetMin(), 0);
    EXPECT_EQ(Form3->ProgressBar1->GetMax(), 100);
    EXPECT_FALSE(Form3->Timer1->GetEnabled());
    EXPECT_EQ(Form3->Timer1->GetInterval(), 1000u);
    EXPECT_EQ(Form3->ArcUnZip1->GetOverwriteMode(), Always);
}

TEST_F(PlayerForms, EveryNewBrowserWindowIsRefused) {
    IDispatch* sink = Form1->WebBrowser1->GetEventSink();
    if (!sink) {
        Form1->WebBrowser1->HandleNeeded();
        sink = Form1->WebBrowser1->GetEventSink();
    }
    ASSERT_NE(sink, nullptr) << "no web-browser control on this system";
    IDispatch* target = reinterpret_cast<IDispatch*>(0x1234);   // never called: only compared
    IDispatch* pp = target;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    args[0].vt = VT_BYREF | VT_BOOL;   // Cancel (arguments arrive last first)
    args[0].pboolVal = &cancel;
    args[1].vt = VT_BYREF | VT_DISPATCH;   // ppDisp
    args[1].ppdispVal = &pp;
    DISPPARAMS params{args, nullptr, 2, 0};
    EXPECT_EQ(sink->Invoke(DISPID_NEWWINDOW2, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(cancel, VARIANT_TRUE);
    EXPECT_EQ(pp, target) << "ppDisp is left alone";
}

TEST_F(PlayerForms, TheMarqueeRunsFromOneTo99AndRoundAgain) {
    Form3->ProgressBar1->SetPosition(0);
    Form3->Timer1Timer(Form3->Timer1);
    EXPECT_EQ(Form3->ProgressBar1->GetPosition(), 1);
    Form3->ProgressBar1->SetPosition(98);
    Form3->Timer1Timer(Form3->Timer1);
    EXPECT_EQ(Form3->ProgressBar1->GetPosition(), 99);
    Form3->Timer1Timer(Form3->Timer1);
    EXPECT_EQ(Form3->ProgressBar1->GetPosition(), 1);
    Form3->FinishProgress();
    EXPECT_EQ(Form3->ProgressBar1->GetPosition(), 100);
    EXPECT_FALSE(Form3->Timer1->GetEnabled());
}

// The thread extracts a book made here; a request to close the loading window arrives while
// the thread is still at work. The window closes only when the thread hands it back, after
// navigating to the home page.
TEST_F(PlayerForms, TheLoadingWindowWaitsForItsThread) {
    TempDir dir;
    WriteFiles(dir / "src\\", {{"index.htm", "<html>home</html>"}, {"sub\\p.htm", "p"}});
    ASSERT_TRUE(ZipFolder(dir / "src\\", dir / "book.zip", BookArchivePassword));
    WriteWholeFile(dir / "book.exe", "MZ not really a program");
    TBookSettings settings;
    settings.WindowHeight = settings.WindowWidth = "0";
    settings.HomePage = "index.htm";
    ASSERT_TRUE(WritePackedFile(dir / "book.zip", dir / "book.exe", settings));
    ProgramPath = dir / "book.exe";
    WorkFolder = dir / "work";
    HomePage = "index.htm";
    LoadStatus.clear();
    ArchiveCreated = false;

    std::atomic<bool> closeAsked{false}, threadWentOn{false};
    HWND loading = Form3->GetHandle();
    Form3->ArcUnZip1->OnStartUnZipInfo = [&](TObject*, int, int64_t, bool&) {
        PostMessageA(loading, WM_CLOSE, 0, 0);
        closeAsked = true;
        Sleep(800);   // the main thread handles the request meanwhile
        threadWentOn = true;
    };
    Form3->ShowModal();
    EXPECT_TRUE(closeAsked);
    EXPECT_TRUE(threadWentOn) << "the window closed while its thread was running";
    EXPECT_EQ(LoadStatus, "");
    EXPECT_TRUE(ArchiveCreated);
    EXPECT_EQ(ReadWholeFile(dir / "work\\index.htm"), "<html>home</html>");
    EXPECT_EQ(Form3->ProgressBar1->GetPosition(), 100);
    EXPECT_TRUE(PumpUntil([] { return LowerCase(Form1->WebBrowser1->GetLocationURL()).find("index.htm") !=
                                      AnsiString::npos; },
                          15000))
        << Form1->WebBrowser1->GetLocationURL();
    Form3->WaitForLoader();
    EXPECT_FALSE(Form3->LoaderRunning());
}

// The program ends while the thread extracts (here at the notice of an entry it cannot decode,
// with the entries before it written): the run stops at the next entry, the thread ends, no
// file of a later entry is left and the temporary archive is closed, so it can go.
TEST_F(PlayerForms, EndingWhileExtractingStopsTheRun) {
    TempDir dir;
    WriteFiles(dir / "src\\", {{"a.htm", "a"}, {"m.htm", "m"}, {"z1.htm", "z1"}, {"z2.htm", "z2"}});
    ASSERT_TRUE(ZipFolder(dir / "src\\", dir / "book.zip", BookArchivePassword));
    // m.htm gets a method no one knows (in its local and its central header).
    std::string zip = ReadWholeFile(dir / "book.zip");
    // The files of the entries before it, in archive order, are the ones that stay.
    FileList before;
    bool reached = false;
    for (const auto& [signature, method, name] : {std::tuple<std::string, size_t, size_t>{"PK\x03\x04", 8, 30},
                                                  std::tuple<std::string, size_t, size_t>{"PK\x01\x02", 10, 46}})
        for (size_t at = zip.find(signature); at != std::string::npos; at = zip.find(signature, at + 4)) {
            const std::string entry = zip.substr(at + name, zip.find(".htm", at + name) + 4 - (at + name));
            if (entry == "m.htm") zip[at + method] = 9;
            reached = reached || entry == "m.htm";
            if (method == 8 && !reached) before.push_back({entry, entry.substr(0, entry.size() - 4)});
        }
    ASSERT_TRUE(reached);
    WriteWholeFile(dir / "book.zip", zip);
    WriteWholeFile(dir / "book.exe", "MZ not really a program");
    TBookSettings settings;
    settings.HomePage = "a.htm";
    ASSERT_TRUE(WritePackedFile(dir / "book.zip", dir / "book.exe", settings));
    ProgramPath = dir / "book.exe";
    WorkFolder = dir / "work";
    HomePage = "a.htm";
    LoadStatus.clear();

    std::atomic<bool> told{false};
    TArcUnZip* unzip = Form3->ArcUnZip1;
    unzip->OnHandleMessage = [&](TObject*, int, const AnsiString&, const AnsiString&, uint32_t, int& answer) {
        told = true;
        for (int i = 0; i < 1000 && !unzip->GetCancel(); ++i) Sleep(10);   // the program is ending
        answer = 1;
    };
    Form3->FormShow(nullptr);
    for (int i = 0; i < 3000 && !told; ++i) Sleep(10);
    ASSERT_TRUE(told);
    Form3->WaitForLoader();
    EXPECT_FALSE(Form3->LoaderRunning());
    EXPECT_EQ(LoadStatus, "error");
    EXPECT_TRUE(HoldsFiles(dir / "work\\", before));
    EXPECT_TRUE(DeleteFileA((dir / "work.tmp").c_str()));
}

}  // namespace
