// The reader's prompts under Wine: the dialogs' system libraries are loaded only when a
// dialog is shown, the dialog appears, and cancelling it raises EUserCanceled.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "ziparchive/arc_unzip.h"
#include "tests/support/tempdir.h"

namespace {

struct TDialogSearch {
    DWORD Thread;
    HWND Dialog;
};

BOOL CALLBACK FindDialog(HWND wnd, LPARAM data) {
    auto* search = reinterpret_cast<TDialogSearch*>(data);
    char cls[16] = "";
    GetClassNameA(wnd, cls, sizeof cls);
    if (GetWindowThreadProcessId(wnd, nullptr) != search->Thread || lstrcmpA(cls, "#32770") != 0 ||
        !IsWindowVisible(wnd))
        return TRUE;
    search->Dialog = wnd;
    return FALSE;
}

// Runs Prompt on this thread while a second thread cancels the first dialog it shows.
// True when a dialog appeared; Caption is its title.
bool CancelFirstDialog(const std::function<void()>& prompt, std::string& caption) {
    const DWORD thread = GetCurrentThreadId();
    std::atomic<bool> done{false};
    HWND dialog = nullptr;
    std::thread canceller([&] {
        while (!done) {
            if (!dialog) {
                TDialogSearch search{thread, nullptr};
                EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
                if (search.Dialog) {
                    char text[256] = "";
                    GetWindowTextA(search.Dialog, text, sizeof text);
                    caption = text;
                    dialog = search.Dialog;
                }
            }
            if (dialog) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            Sleep(dialog ? 200 : 20);
        }
    });
    prompt();
    done = true;
    canceller.join();
    return dialog != nullptr;
}

TEST(ReaderPrompts, OpenFileDialogIsLoadedWhenShownAndCancelRaises) {
    // Nothing of the common dialogs is in the process before a prompt: a program of the
    // archive library does not start Wine's desktop just by running.
    EXPECT_EQ(GetModuleHandleA("comdlg32.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleA("comctl32.dll"), nullptr);
    TempDir tmp;
    TArcUnZip z(nullptr);
    z.SetZipName("keep.zip");
    std::string caption;
    EXPECT_TRUE(CancelFirstDialog([&] { EXPECT_THROW(z.SetZipName(tmp.Path() + "?"), EUserCanceled); }, caption));
    EXPECT_EQ(caption, ArcLoadStr(msgOpenZipFile));
    EXPECT_EQ(z.GetZipName(), "keep.zip");
    EXPECT_NE(GetModuleHandleA("comdlg32.dll"), nullptr);
}

TEST(ReaderPrompts, FolderBrowserCancelRaises) {
    TempDir tmp;
    TArcUnZip z(nullptr);
    z.SetDestDir(tmp.Path() + "kept");
    std::string caption;
    EXPECT_TRUE(CancelFirstDialog([&] { EXPECT_THROW(z.SetDestDir("?"), EUserCanceled); }, caption));
    EXPECT_EQ(z.GetDestDir(), tmp.Path() + "kept");
}

}  // namespace
