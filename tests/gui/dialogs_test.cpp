// The system's open-file dialog and folder browser, driven as a user would; the message event
// keeps seeing messages while they are up.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "classlib/gui/application.h"
#include "classlib/gui/dialogs.h"
#include "classlib/gui/timer.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/tempdir.h"
#include "ziparchive/arc_exceptions.h"
#include "ziparchive/arc_unzip.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override { Application->Initialize(); }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

// Runs action on the dialog with the caption once it is up (and has had a moment to fill in).
class DialogDriver {
public:
    DialogDriver(const std::string& caption, std::function<void(HWND)> action) {
        FTimer.SetInterval(50);
        FTimer.OnTimer = [this, caption, action](TObject*) {
            HWND d = FindDialog(caption);
            if (!d || ++FSeen < 3) return;
            FTimer.SetEnabled(false);
            Done = true;
            action(d);
        };
    }
    bool Done = false;
private:
    TTimer FTimer{nullptr};
    int FSeen = 0;
};

struct Child {
    std::string cls;
    HWND found = nullptr;
};

BOOL CALLBACK FindChildClass(HWND w, LPARAM p) {
    auto* c = reinterpret_cast<Child*>(p);
    char name[64] = {0};
    GetClassNameA(w, name, sizeof name);
    if (_stricmp(name, c->cls.c_str()) == 0 && IsWindowVisible(w)) {
        c->found = w;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

TEST(OpenDialog, ReturnsTheChosenFileAndSeesCancel) {
    TempDir dir;
    WriteWholeFile(dir / "home.htm", "x");
    TOpenDialog dialog(nullptr);
    dialog.SetTitle("pick-a-page");
    dialog.SetInitialDir(dir.Path());
    int probes = 0;
    Application->OnMessage = [&](TMsg& m, bool&) {
        if (m.message == WM_APP + 30) ++probes;
    };
    DialogDriver ok("pick-a-page", [&](HWND d) {
        PostMessageA(d, WM_APP + 30, 0, 0);
        SetDlgItemTextA(d, 0x47C, "home.htm");   // the file name box
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_TRUE(SameText(dialog.GetFileName(), dir / "home.htm")) << dialog.GetFileName();
    EXPECT_EQ(dialog.GetFiles()->Count(), 1);
    EXPECT_EQ(probes, 1);
    Application->OnMessage = nullptr;

    DialogDriver cancel("pick-a-page", [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(cancel.Done);
}

TEST(SelectDirectory, OkGivesAFolderAndCancelNothing) {
    AnsiString chosen = "unchanged";
    DialogDriver cancel("", [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_FALSE(SelectDirectory("pick-a-folder", "", chosen));
    EXPECT_TRUE(cancel.Done);
    EXPECT_EQ(chosen, "unchanged");

    TempDir dir;
    DialogDriver ok("", [](HWND d) {
        Child tree{"SysTreeView32"};
        EnumChildWindows(d, FindChildClass, reinterpret_cast<LPARAM>(&tree));
        if (tree.found) {
            // Select the first folder under the root, as a click would.
            HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(tree.found, TVM_GETNEXTITEM, TVGN_ROOT, 0));
            SendMessageA(tree.found, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
            HTREEITEM first = reinterpret_cast<HTREEITEM>(SendMessageA(tree.found, TVM_GETNEXTITEM, TVGN_CHILD,
                                                                       reinterpret_cast<LPARAM>(root)));
            SendMessageA(tree.found, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first ? first : root));
        }
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    if (SelectDirectory("pick-a-folder", "", chosen)) {
        EXPECT_TRUE(DirectoryExists(chosen)) << chosen;
    } else {
        ADD_FAILURE() << "the folder browser returned nothing for a selected folder";
    }
    EXPECT_TRUE(ok.Done);
}

namespace {

constexpr const char* kSelectCaption = "选择目录";
constexpr const char* kConfirmCaption = "确认";

HWND ChildOf(HWND dialog, const char* cls) {
    Child c{cls};
    EnumChildWindows(dialog, FindChildClass, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

std::string EditText(HWND edit) {
    char text[MAX_PATH * 2] = "";
    SendMessageA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// Types text into the folder-name box of our folder dialog and presses OK, as a user would.
std::function<void(HWND)> TypeAndOk(const std::string& text) {
    return [text](HWND d) {
        HWND edit = ChildOf(d, "Edit");
        ASSERT_NE(edit, nullptr);
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    };
}

}  // namespace

// The class library's own folder dialog with the options allow create, perform create and
// prompt: a folder typed that does not exist is asked about, then made with its parents.
TEST(SelectDirectoryWithOptions, TypedNewFolderIsConfirmedAndMade) {
    TempDir dir;
    const std::string target = dir / "new\\deeper";
    AnsiString chosen = dir.Path();
    std::string question;
    DialogDriver type(kSelectCaption, TypeAndOk(target));
    DialogDriver confirm(kConfirmCaption, [&](HWND box) {
        question = DialogTexts(box);
        PostMessageA(box, WM_COMMAND, IDYES, 0);
    });
    ASSERT_TRUE(SelectDirectory(chosen, sdAllowCreate | sdPerformCreate | sdPrompt, 0));
    EXPECT_TRUE(type.Done);
    EXPECT_TRUE(confirm.Done);
    EXPECT_NE(question.find(target), std::string::npos) << question;
    EXPECT_TRUE(SameText(chosen, target)) << chosen;
    EXPECT_TRUE(DirectoryExists(target));
}

// Each option on its own: what is asked, what is made, what comes back.
TEST(SelectDirectoryWithOptions, EachOptionDoesItsPart) {
    struct Case {
        const char* what;
        TSelectDirOpts options;
        bool answerYes;     // to the prompt, when one comes
        bool expectPrompt;
        bool expectChosen;  // false: the dialog stays up and is cancelled
        bool expectMade;
    } cases[] = {
        {"make without asking", sdAllowCreate | sdPerformCreate, true, false, true, true},
        {"accept without making", sdAllowCreate | sdPrompt, true, true, true, false},
        {"prompt answered no: nothing made", sdAllowCreate | sdPerformCreate | sdPrompt, false, true, false, false},
        {"creation not allowed", sdPerformCreate | sdPrompt, true, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string target = dir / "typed";
        AnsiString chosen = dir.Path();
        bool prompted = false;
        // When the dialog stays up after OK, the user gives up and cancels it.
        std::unique_ptr<DialogDriver> giveUp;
        auto thenGiveUp = [&] {
            giveUp = std::make_unique<DialogDriver>(kSelectCaption,
                                                    [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
        };
        DialogDriver type(kSelectCaption, TypeAndOk(target));
        DialogDriver confirm(kConfirmCaption, [&](HWND box) {
            prompted = true;
            PostMessageA(box, WM_COMMAND, c.answerYes ? IDYES : IDNO, 0);
            if (!c.answerYes) thenGiveUp();
        });
        DialogDriver refused("错误", [&](HWND box) {
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            thenGiveUp();
        });
        bool ok = SelectDirectory(chosen, c.options, 0);
        EXPECT_EQ(ok, c.expectChosen);
        EXPECT_EQ(prompted, c.expectPrompt);
        EXPECT_EQ(refused.Done, !(c.options & sdAllowCreate));
        EXPECT_EQ(DirectoryExists(target), c.expectMade);
        if (c.expectChosen)
            EXPECT_TRUE(SameText(chosen, target)) << chosen;
        else
            EXPECT_EQ(chosen, dir.Path());
    }
}

// The folder list walks: a double click on a sub-folder lists it and puts it in the box; a
// name typed without a path is taken inside the listed folder.
TEST(SelectDirectoryWithOptions, ListWalksIntoFoldersAndRelativeNamesJoinIt) {
    TempDir dir;
    CreateDirectoryA((dir / "sub").c_str(), nullptr);
    CreateDirectoryA((dir / "sub\\inner").c_str(), nullptr);
    AnsiString chosen = dir.Path();
    std::string boxAfterWalk, listAfterWalk;
    DialogDriver walk(kSelectCaption, [&](HWND d) {
        HWND list = ChildOf(d, "ListBox");
        ASSERT_NE(list, nullptr);
        LRESULT at = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("sub"));
        ASSERT_NE(at, LB_ERR);
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
        boxAfterWalk = EditText(ChildOf(d, "Edit"));
        for (LRESULT i = 0, n = SendMessageA(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
            char item[MAX_PATH] = "";
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
            listAfterWalk += std::string(item) + "|";
        }
        RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        SaveWindowShot(d, ArtifactPath("select_directory.bmp"));
        TypeAndOk("made-here")(d);
    });
    ASSERT_TRUE(SelectDirectory(chosen, sdAllowCreate | sdPerformCreate, 0));
    EXPECT_TRUE(SameText(boxAfterWalk, dir / "sub")) << boxAfterWalk;
    EXPECT_EQ(listAfterWalk, "..|inner|");
    EXPECT_TRUE(SameText(chosen, dir / "sub\\made-here")) << chosen;
    EXPECT_TRUE(DirectoryExists(dir / "sub\\made-here"));
}

// The reader's "?" for its extraction folder goes through the same dialog: a typed new folder
// is confirmed and made and becomes DestDir; cancelling raises EUserCanceled with message 178.
TEST(SelectDirectoryWithOptions, ReaderAsksForItsDestinationFolder) {
    TempDir dir;
    TArcUnZip z(nullptr);
    z.SetDestDir(dir.Path());
    const std::string target = dir / "out";
    DialogDriver type(kSelectCaption, TypeAndOk(target));
    DialogDriver confirm(kConfirmCaption, [](HWND box) { PostMessageA(box, WM_COMMAND, IDYES, 0); });
    z.SetDestDir("?");
    EXPECT_TRUE(confirm.Done);
    EXPECT_TRUE(SameText(z.GetDestDir(), target)) << z.GetDestDir();
    EXPECT_TRUE(DirectoryExists(target));

    DialogDriver cancel(kSelectCaption, [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
    try {
        z.SetDestDir("?");
        ADD_FAILURE() << "no exception";
    } catch (const EUserCanceled& e) {
        EXPECT_EQ(e.Message, "User canceled Set Desination Directory");
    }
    EXPECT_TRUE(cancel.Done);
    EXPECT_TRUE(SameText(z.GetDestDir(), target)) << "a cancelled choice keeps the folder";
}
