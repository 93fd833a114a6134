#include "builder/packing_form.h"

#include "builder/design_font.h"
#include "builder/main_form.h"
#include "builder/pack_files_win.h"
#include "builder/pack_paths.h"
#include "builder/pack_thread.h"
#include "classlib/fileio.h"
#include "classlib/gui/dialogs.h"

AnsiString OutputPath;
AnsiString TempArchivePath;

const char kPackedText[] = "打包完成,输出文件：";
const char kFailedText[] = "打包失败";

TForm2* Form2 = nullptr;

TForm2::TForm2(TComponent* owner) : TForm(owner) {
    SetLeft(381);
    SetTop(331);
    SetBorderIcons(0);   // no system menu: the author cannot close it
    SetBorderStyle(bsSingle);
    SetCaption("正在打包...");
    SetClientHeight(18);
    SetClientWidth(405);
    SetColor(clBtnFace);
    UseDesignFont(GetFont());
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    OnCloseQuery = [this](TObject* sender, bool& canClose) { FormCloseQuery(sender, canClose); };
    OnShow = [this](TObject* sender) { FormShow(sender); };

    Panel1 = new TPanel(this);
    Panel1->SetParent(this);
    Panel1->SetBounds(0, 0, 405, 18);
    Panel1->SetAlign(alClient);
    Panel1->SetTabOrder(0);

    ProgressBar1 = new TProgressBar(this);
    ProgressBar1->SetParent(Panel1);
    ProgressBar1->SetAlign(alClient);
    ProgressBar1->SetMin(0);
    ProgressBar1->SetMax(100);
    ProgressBar1->SetTabOrder(0);

    Timer1 = new TTimer(this);
    Timer1->SetEnabled(false);
    Timer1->SetInterval(1000);
    Timer1->OnTimer = [this](TObject* sender) { Timer1Timer(sender); };

    ArcZip1 = new TArcZip(this);
    ArcZip1->SetOverwriteMode(Always);
    ArcZip1->SetRecurse(true);
    ArcZip1->SetStorePaths(true);
    ArcZip1->SetRelativePaths(true);
    ArcZip1->GetMultiZipInfo()->SetBlockSize(1457600);
}

TForm2::~TForm2() {
    // No thread may outlive the window whose component it uses.
    if (FThread) FThread->WaitFor();
}

void TForm2::FormShow(TObject*) {
    ProgressBar1->SetPosition(ProgressBar1->GetMin());
    Timer1->SetEnabled(true);
    FThreadDone = false;
    FFailure.clear();
    OutputPath = BookPathOf(SiteFolder);
    TempArchivePath = ChooseTempArchivePath(GetDriversFolder(), GetUserTempFolder(), FileNameWithoutExt(OutputPath));
    try {
        WaitForPacker();
        FThread = std::make_unique<qvpackthread>(this);
        FThread->Start();
    } catch (const Exception& e) {
        // Without a thread nobody would close the window: close it through the queue, once the
        // modal loop runs.
        FThread.reset();
        FThreadDone = true;
        FFailure = e.Message;
        PostMessageA(GetHandle(), WM_CLOSE, 0, 0);
    }
}

void TForm2::Timer1Timer(TObject*) {
    const int p = ProgressBar1->GetPosition();
    if (p < ProgressBar1->GetMax() - 1)
        ProgressBar1->SetPosition(p + 1);
    else
        ProgressBar1->SetPosition(ProgressBar1->GetMin() + 1);
    // A thread that ended without handing the window back (it could not reach the main
    // thread) leaves the closing to us.
    if (!FThreadDone && FThread && FThread->Finished()) FinishFromThread(kFailedText);
}

void TForm2::FinishFromThread(const AnsiString& failure) {
    Timer1->SetEnabled(false);
    ProgressBar1->SetPosition(ProgressBar1->GetMax());
    FFailure = failure;
    FThreadDone = true;
    Close();
}

bool TForm2::PackerRunning() const { return FThread && !FThread->Finished(); }

void TForm2::FormCloseQuery(TObject*, bool& canClose) { canClose = FThreadDone; }

void TForm2::FormClose(TObject*, TCloseAction&) {
    Timer1->SetEnabled(false);
    try {
        if (!TempArchivePath.empty() && FileExists(TempArchivePath)) RemoveFile(TempArchivePath);
    } catch (...) {
    }
    if (FFailure.empty())
        ShowMessage(AnsiString(kPackedText) + "\r\n\r\n" + OutputPath);
    else
        ShowMessage(AnsiString(kFailedText) + "\r\n\r\n" + FFailure);
}

void TForm2::WaitForPacker() {
    if (!FThread) return;
    FThread->WaitFor();
    FThread.reset();
}
