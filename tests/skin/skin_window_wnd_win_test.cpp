// Skins of windows that are not our forms: the system's message box, open-file dialog and
// folder browser skinned as they are activated and let go when they end; the close command
// as Cancel; a file dialog's inner dialog subclassed once and released; and a dialog given
// back exactly (style, size, shape) when the engine goes while it is open.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/dialogs.h"
#include "classlib/gui/forms.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_hook_win.h"
#include "skin/skin_window_wnd_win.h"
#include "tests/skin/support/dialog_template.h"
#include "tests/skin/support/skin_test_support.h"

namespace {

const auto* kEnv = ::testing::AddGlobalTestEnvironment(new TSkinGuiEnvironment);

// A shown form with its engine, loaded as the programs' main forms load theirs.
struct TSkinnedForm : TSkinnedMainForm {
    TSkinnedForm() : TSkinnedMainForm(60, 60, 320, 240) {}
};

LRESULT Query(HWND window) { return SendMessageA(window, WM_SKIN_QUERY, 0, 0); }

// The native caption area: from the window's top to its client area.
int CaptionArea(HWND window) {
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    RECT box{};
    GetWindowRect(window, &box);
    return origin.y - box.top;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Runs the probe on the first visible dialog of this thread while the code under test sits in
// the dialog's own message loop; the probe ends the dialog.
class TDialogProbe {
public:
    explicit TDialogProbe(std::function<void(HWND)> probe) : FProbe(std::move(probe)) {
        Current = this;
        FTimer = SetTimer(nullptr, 0, 100, Tick);
    }
    ~TDialogProbe() {
        KillTimer(nullptr, FTimer);
        Current = nullptr;
    }
    HWND Dialog() const { return FDialog; }

private:
    static BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
        if (IsWindowVisible(window) && ClassOf(window) == "#32770") {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TDialogProbe* self = Current;
        if (!self || self->FDialog) return;
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) return;
        // Give the dialog a few rounds to settle (the file dialog fills itself after showing).
        if (++self->FTicks < 3) return;
        self->FDialog = dialog;
        self->FProbe(dialog);
    }
    static inline TDialogProbe* Current = nullptr;
    std::function<void(HWND)> FProbe;
    UINT_PTR FTimer = 0;
    HWND FDialog = nullptr;
    int FTicks = 0;
};

}  // namespace

TEST(SkinWindowWnd, SystemDialogsAreSkinnedWhileShownAndTheirCloseCommandIsCancel) {
    TSkinnedForm form;
    HWND owner = form.Form->GetHandle();
    struct Case {
        const char* name;
        std::function<bool()> run;   // true: the dialog reported Cancel
    };
    const Case cases[] = {
        {"message box", [owner] { return MessageBoxA(owner, "text", "caption", MB_YESNOCANCEL) == IDCANCEL; }},
        {"open dialog",
         [] {
             TOpenDialog dialog(nullptr);
             return !dialog.Execute();
         }},
        {"folder browser",
         [] {
             AnsiString folder;
             return !SelectDirectory("folder", "", folder);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LRESULT query = -1;
        LONG style = 0;
        int skins = 0;
        TDialogProbe probe([&](HWND dialog) {
            query = Query(dialog);
            style = GetWindowLongA(dialog, GWL_STYLE);
            skins = form.Engine->SkinWindowCount();
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        EXPECT_TRUE(c.run());
        ASSERT_NE(probe.Dialog(), nullptr);
        EXPECT_EQ(query, 1);
        EXPECT_EQ(style & WS_SYSMENU, 0);
        EXPECT_EQ(skins, 2);
        // The dialog is gone and so is its skin; its handle is the last destroyed dialog.
        EXPECT_FALSE(IsWindow(probe.Dialog()));
        EXPECT_EQ(form.Engine->SkinWindowCount(), 1);
        EXPECT_EQ(form.Engine->FindSkinWindow(probe.Dialog()), nullptr);
        EXPECT_EQ(GetLastDestroyedDialog(), probe.Dialog());
    }
}

namespace {

UINT_PTR CALLBACK QuietHook(HWND, UINT, WPARAM, LPARAM) { return 0; }

}  // namespace

TEST(SkinWindowWnd, FileDialogInnerDialogIsSubclassedOnceAndReleasedWithTheSkin) {
    TSkinnedForm form;
    HBRUSH formBrush = form.Engine->GetFormBrush();
    ASSERT_NE(formBrush, nullptr);
    HWND inner = nullptr;
    LRESULT innerSkinned = 0, innerAfter = 0, queryAfter = -1;
    TDialogProbe probe([&](HWND dialog) {
        auto* skin = dynamic_cast<TlumSkinWindowWnd*>(form.Engine->FindSkinWindow(dialog));
        if (skin) {
            inner = skin->GetInnerDialog();
            // Every showing scans again; the inner dialog keeps one subclass.
            SendMessageA(dialog, WM_SHOWWINDOW, TRUE, 0);
            SendMessageA(dialog, WM_SHOWWINDOW, TRUE, 0);
        }
        HDC dc = GetDC(dialog);
        if (inner) innerSkinned = SendMessageA(inner, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), 0);
        form.Engine->UnskinWindow(dialog);
        if (inner) innerAfter = SendMessageA(inner, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), 0);
        ReleaseDC(dialog, dc);
        queryAfter = Query(dialog);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    char file[MAX_PATH] = {};
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = form.Form->GetHandle();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK;
    ofn.lpfnHook = QuietHook;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    ASSERT_NE(probe.Dialog(), nullptr);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(innerSkinned, reinterpret_cast<LRESULT>(formBrush));
    EXPECT_NE(innerAfter, reinterpret_cast<LRESULT>(formBrush));
    EXPECT_EQ(queryAfter, 0);
}

namespace {

// A small modeless dialog from an in-memory template: a caption with a close box, a static
// text and a button.
class TTemplateDialog : public TDialogTemplateWords {
public:
    TTemplateDialog() {
        Dword(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT);
        Dword(0);
        Word(2);   // items
        Word(40), Word(40), Word(180), Word(90);
        Word(0), Word(0);   // no menu, default class
        Text("dialog");
        Word(9);
        Text("Tahoma");
        Item(0x0082, 100, SS_LEFT | WS_CHILD | WS_VISIBLE, 10, 10, 120, 12, "static text");
        Item(0x0080, IDCANCEL, BS_PUSHBUTTON | WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 60, 50, 14, "Cancel");
    }
    HWND Create() {
        return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), Template(), nullptr, Proc, 0);
    }
    static inline int DestroySeen = 0;

private:
    void Item(WORD atom, WORD id, DWORD style, short x, short y, short cx, short cy, const char* text) {
        AlignItem();
        Dword(style);
        Dword(0);
        Word(x), Word(y), Word(cx), Word(cy), Word(id);
        Word(0xFFFF), Word(atom);
        Text(text);
        Word(0);
    }
    static INT_PTR CALLBACK Proc(HWND, UINT msg, WPARAM, LPARAM) {
        if (msg == WM_DESTROY) ++DestroySeen;
        return msg == WM_INITDIALOG;
    }
};

}  // namespace

TEST(SkinWindowWnd, DialogIsGivenBackExactlyWhicheverOfEngineAndDialogGoesFirst) {
    for (bool engineFirst : {true, false}) {
        SCOPED_TRACE(engineFirst ? "engine first" : "dialog first");
        TSkinnedForm form;
        TTemplateDialog dialogTemplate;
        HWND dialog = dialogTemplate.Create();
        ASSERT_NE(dialog, nullptr);
        RECT nativeBox{};
        GetWindowRect(dialog, &nativeBox);
        const int nativeCaption = CaptionArea(dialog);
        const LONG nativeStyle = GetWindowLongA(dialog, GWL_STYLE) | WS_VISIBLE;
        ShowWindow(dialog, SW_SHOW);   // activation: the hook skins it
        SetActiveWindow(dialog);
        ProcessMessagesAWhile();

        EXPECT_EQ(Query(dialog), 1);
        EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE), nativeStyle & ~WS_SYSMENU);
        // Grown by the skin's side borders, and by its caption and bottom border less the
        // native caption area.
        const TSkinMetrics& m = form.Engine->Metrics();
        RECT skinnedBox{};
        GetWindowRect(dialog, &skinnedBox);
        EXPECT_EQ(skinnedBox.left, nativeBox.left);
        EXPECT_EQ(skinnedBox.top, nativeBox.top);
        EXPECT_EQ(skinnedBox.right - skinnedBox.left, nativeBox.right - nativeBox.left + m.LeftBorder + m.RightBorder);
        EXPECT_EQ(skinnedBox.bottom - skinnedBox.top,
                  nativeBox.bottom - nativeBox.top + m.CaptionHeight + std::max<int>(4, m.BottomBorder) - nativeCaption);
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        EXPECT_NE(GetWindowRgn(dialog, region), ERROR);
        // Static texts and buttons are drawn on the skin's form colour.
        HDC dc = GetDC(dialog);
        EXPECT_EQ(SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(GetDlgItem(dialog, 100))),
                  reinterpret_cast<LRESULT>(form.Engine->GetFormBrush()));
        ReleaseDC(dialog, dc);
        // Asked again, or activated again: still one skin.
        form.Engine->SkinWindow(dialog, false);
        SetActiveWindow(form.Form->GetHandle());
        SetActiveWindow(dialog);
        ProcessMessagesAWhile();
        EXPECT_EQ(form.Engine->SkinWindowCount(), 2);

        const int destroySeen = TTemplateDialog::DestroySeen;
        if (engineFirst) {
            delete form.Engine;
            EXPECT_EQ(Query(dialog), 0);
            EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE), nativeStyle);
            RECT box{};
            GetWindowRect(dialog, &box);
            EXPECT_EQ(box.right - box.left, nativeBox.right - nativeBox.left);
            EXPECT_EQ(box.bottom - box.top, nativeBox.bottom - nativeBox.top);
            EXPECT_EQ(GetWindowRgn(dialog, region), ERROR);
            DestroyWindow(dialog);
        } else {
            DestroyWindow(dialog);
            EXPECT_EQ(form.Engine->SkinWindowCount(), 1);
            EXPECT_EQ(GetLastDestroyedDialog(), dialog);
        }
        // The dialog's own procedure saw its WM_DESTROY either way.
        EXPECT_EQ(TTemplateDialog::DestroySeen, destroySeen + 1);
        DeleteObject(region);
    }
}

// A dialog that its own layout makes wide and flat (its client lower than it was and more than
// one and a half times as wide) is made taller once, by the skin's caption and bottom border
// less the native caption area; later sizes are left alone.
TEST(SkinWindowWnd, WideFlatDialogIsMadeTallerOnce) {
    TSkinnedForm form;
    TTemplateDialog dialogTemplate;
    HWND dialog = dialogTemplate.Create();
    ASSERT_NE(dialog, nullptr);
    RECT nativeClient{};
    GetClientRect(dialog, &nativeClient);
    const int nativeCaption = CaptionArea(dialog);
    ShowWindow(dialog, SW_SHOW);
    SetActiveWindow(dialog);
    ProcessMessagesAWhile();
    ASSERT_EQ(Query(dialog), 1);
    const TSkinMetrics& m = form.Engine->Metrics();
    RECT box{};
    GetWindowRect(dialog, &box);
    const int wide = box.right - box.left + nativeClient.right;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const int flat = box.bottom - box.top - 20 - 10 * round;
        SetWindowPos(dialog, nullptr, 0, 0, wide, flat, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ProcessMessagesAWhile();
        RECT now{};
        GetWindowRect(dialog, &now);
        EXPECT_EQ(now.right - now.left, wide);
        const int taller = round == 0 ? m.CaptionHeight + m.BottomBorder - nativeCaption : 0;
        EXPECT_EQ(now.bottom - now.top, flat + taller);
    }
    DestroyWindow(dialog);
}

TEST(SkinWindowWnd, EngineFreedWhileAMessageBoxIsOpenGivesItBack) {
    TSkinnedForm form;
    RECT skinnedBox{}, givenBack{};
    TSkinMetrics m;
    int nativeCaption = 0;
    LRESULT query = -1;
    LONG style = 0;
    int region = 0;
    TDialogProbe probe([&](HWND box) {
        GetWindowRect(box, &skinnedBox);
        m = form.Engine->Metrics();
        delete form.Engine;
        query = Query(box);
        style = GetWindowLongA(box, GWL_STYLE);
        HRGN r = CreateRectRgn(0, 0, 0, 0);
        region = GetWindowRgn(box, r);
        DeleteObject(r);
        GetWindowRect(box, &givenBack);
        nativeCaption = CaptionArea(box);
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(MessageBoxA(form.Form->GetHandle(), "text", "caption", MB_OKCANCEL), IDCANCEL);
    ASSERT_NE(probe.Dialog(), nullptr);
    EXPECT_EQ(query, 0);
    EXPECT_NE(style & WS_SYSMENU, 0);
    EXPECT_NE(style & WS_VISIBLE, 0);
    EXPECT_EQ(region, ERROR);
    // What skinning added is taken off again.
    EXPECT_EQ(skinnedBox.right - skinnedBox.left - (givenBack.right - givenBack.left), m.LeftBorder + m.RightBorder);
    EXPECT_EQ(skinnedBox.bottom - skinnedBox.top - (givenBack.bottom - givenBack.top),
              m.CaptionHeight + std::max<int>(4, m.BottomBorder) - nativeCaption);
}
