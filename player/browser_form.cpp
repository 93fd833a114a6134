#include "player/browser_form.h"

#include <algorithm>

#include "packedbook/packed_book.h"
#include "classlib/fileio.h"
#include "classlib/gui/application.h"
#include "classlib/gui/dialogs.h"
#include "player/folder_removal_win.h"
#include "player/loading_form.h"
#include "player/location_report_win.h"
#include "player/message_filter_win.h"
#include "player/window_size.h"
#include "player/work_paths.h"
#include "skin/program_skin_win.h"

AnsiString WindowHeight, WindowWidth, SettingsField2, SettingsField3, SettingsField4, HomePage;
AnsiString ProgramPath;
AnsiString WorkFolder;
AnsiString LoadStatus;
bool ArchiveCreated = false;

const char kDamagedBookText[] =
    "文件已经被破坏，无法浏览";
const char kLoadFailedText[] = "装载失败";

TForm1* Form1 = nullptr;

namespace {

TButton* NavigationButton(TForm1* form, TPanel* panel, int left, const char* caption, int tabOrder) {
    auto* b = new TButton(form);
    b->SetParent(panel);
    b->SetLeft(left);
    b->SetTop(8);
    b->SetWidth(75);
    b->SetHeight(25);
    b->SetCaption(caption);
    b->SetTabOrder(tabOrder);
    return b;
}

}  // namespace

TForm1::TForm1(TComponent* owner) : TForm(owner) {
    SetWidth(834);
    SetHeight(646);
    SetCaption("浏览　");
    SetColor(clHighlightText);
    SetCtl3D(false);
    GetFont()->SetCharset(DEFAULT_CHARSET);
    GetFont()->SetColor(clWindowText);
    GetFont()->SetHeight(-11);
    GetFont()->SetName("MS Sans Serif");
    GetFont()->SetStyle(0);
    SetPosition(poScreenCenter);
    SetWindowState(wsMaximized);
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnShow = [this](TObject* sender) { FormShow(sender); };
    OnCloseQuery = [this](TObject* sender, bool& canClose) { FormCloseQuery(sender, canClose); };

    Panel1 = new TPanel(this);
    Panel1->SetParent(this);
    Panel1->SetLeft(0);
    Panel1->SetTop(0);
    Panel1->SetWidth(GetClientWidth());
    Panel1->SetHeight(41);
    Panel1->SetAlign(alTop);
    Panel1->SetTabOrder(0);
    Button1 = NavigationButton(this, Panel1, 8, "刷新", 0);
    Button1->OnClick = [this](TObject* sender) { Button1Click(sender); };
    Button2 = NavigationButton(this, Panel1, 96, "后退", 1);
    Button2->OnClick = [this](TObject* sender) { Button2Click(sender); };
    Button3 = NavigationButton(this, Panel1, 184, "前进", 2);
    Button3->OnClick = [this](TObject* sender) { Button3Click(sender); };
    Button4 = NavigationButton(this, Panel1, 272, "停止", 3);
    Button4->OnClick = [this](TObject* sender) { Button4Click(sender); };

    WebBrowser1 = new TWebBrowser(this);
    WebBrowser1->SetParent(this);
    WebBrowser1->SetLeft(0);
    WebBrowser1->SetTop(41);
    WebBrowser1->SetWidth(GetClientWidth());
    WebBrowser1->SetHeight(GetClientHeight() - 41);
    WebBrowser1->SetAlign(alClient);
    WebBrowser1->SetTabOrder(1);
    WebBrowser1->OnNewWindow2 = [this](TObject* sender, IDispatch** ppDisp, bool& cancel) {
        WebBrowser1NewWindow2(sender, ppDisp, cancel);
    };
    lumSkinEngine1 = CreateProgramSkinEngine(this);
}

TForm1::~TForm1() {
    // A program told to end without closing its window still leaves nothing behind.
    RemoveWorkFiles(false);
}

void TForm1::FormCreate(TObject*) {
    InstallAppMessageFilter(this);
    FLocationReport = InstallLocationReport(this);
}

void TForm1::FormShow(TObject*) {
    ClearCtrlDown();
    LoadStatus.clear();
    ArchiveCreated = false;

    ProgramPath = Application->GetExeName();
    TBookSettings settings;
    if (ProgramPath.empty() || !ReadBookSettings(ProgramPath, settings)) {
        // Nothing has been created; the window is not shown and the program ends.
        ShowMessage(kDamagedBookText);
        Application->Terminate();
        Hide();
        return;
    }
    WindowHeight = settings.WindowHeight;
    WindowWidth = settings.WindowWidth.empty() ? AnsiString("0") : settings.WindowWidth;
    SettingsField2 = settings.Reserved2;
    SettingsField3 = settings.Reserved3;
    SettingsField4 = settings.Reserved4;
    HomePage = settings.HomePage;

    FTempFolder = GetTempFolder();
    auto claim = std::make_unique<TWorkFolderClaim>();
    if (FTempFolder.empty() || !claim->Claim(FTempFolder, ExtractFileName(ProgramPath))) {
        // No folder to extract into: the window stays up, empty, as after a failed load.
        SizeWindow();
        LoadStatus = "error";
        ShowMessage(kLoadFailedText);
        return;
    }
    FClaim = std::move(claim);
    WorkFolder = FClaim->GetFolder();

    SizeWindow();
    ShowLoadingWindow();
    if (FCloseRequested) PostMessageA(GetHandle(), WM_CLOSE, 0, 0);
}

void TForm1::SizeWindow() {
    int height = 0, width = 0;
    if (!WindowSizeFromSettings(WindowHeight, WindowWidth, height, width)) {
        SetWindowState(wsMaximized);
        return;
    }
    SetWindowState(wsNormal);
    SetHeight(height);
    SetWidth(width);
    // Centred on the screen, as the window's position asks; the size was set after the
    // window was placed.
    const TRect area = Screen->GetWorkAreaRect();
    const int left = area.Left + std::max(0, (area.Width() - GetWidth()) / 2);
    const int top = area.Top + std::max(0, (area.Height() - GetHeight()) / 2);
    SetBounds(left, top, GetWidth(), GetHeight());
}

void TForm1::ShowLoadingWindow() {
    struct Loading {
        TForm1* form;
        explicit Loading(TForm1* f) : form(f) { form->FLoading = true; }
        ~Loading() {
            // Whatever ended the modal loop, the thread is gone before the window goes on.
            Form3->WaitForLoader();
            form->FLoading = false;
        }
    } loading(this);
    Form3->ShowModal();
}

void TForm1::FormCloseQuery(TObject*, bool& canClose) {
    if (FClosing) {
        canClose = false;
    } else if (FLoading) {
        // The book is being extracted: close once the loading window is done.
        FCloseRequested = true;
        canClose = false;
    }
}

void TForm1::FormClose(TObject*, TCloseAction&) {
    FClosing = true;
    RemoveWorkFiles(true);
}

void TForm1::Button1Click(TObject*) {
    try {
        WebBrowser1->Refresh();
    } catch (...) {
    }
}

void TForm1::Button2Click(TObject*) {
    try {
        WebBrowser1->GoBack();
    } catch (...) {
    }
}

void TForm1::Button3Click(TObject*) {
    try {
        WebBrowser1->GoForward();
    } catch (...) {
    }
}

void TForm1::Button4Click(TObject*) { WebBrowser1->Stop(); }

void TForm1::WebBrowser1NewWindow2(TObject*, IDispatch**, bool& cancel) { cancel = true; }

void TForm1::ReleaseBrowserHold() {
    if (!WebBrowser1->HandleAllocated()) return;
    try {
        WebBrowser1->Navigate("about:blank");
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 2000) {
            Application->ProcessMessages();
            if (SameText(WebBrowser1->GetLocationURL(), "about:blank")) break;
            Sleep(10);
        }
        Application->ProcessMessages();
    } catch (...) {
    }
}

void TForm1::RemoveWorkFiles(bool releaseBrowser) {
    if (FFilesRemoved) return;
    FFilesRemoved = true;
    if (!FClaim || !FClaim->Claimed()) return;
    const AnsiString folder = FClaim->GetFolder();
    if (!IsWorkFolderUnder(folder, FTempFolder)) return;
    if (releaseBrowser) ReleaseBrowserHold();
    try {
        const AnsiString archive = TempArchivePath(folder);
        if (ArchiveCreated && FileExists(archive)) RemoveFile(archive);
    } catch (...) {
    }
    const DWORD a = GetFileAttributesA(folder.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT))
        ShellDeleteFolder(folder);
    DeleteFolderTree(folder);
    FClaim->Release();
}
