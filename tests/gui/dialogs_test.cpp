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
