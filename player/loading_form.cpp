#include "player/loading_form.h"

#include "classlib/gui/application.h"
#include "classlib/gui/dialogs.h"
#include "player/browser_form.h"
#include "player/play_thread.h"

TForm3* Form3 = nullptr;

namespace {
// Posted to the window once its thread runs: the browser's HTML engine starts while the
// archive is extracted.
constexpr UINT kPreloadEngineMessage = WM_APP + 1;
}  // namespace

TForm3::TForm3(TComponent* owner) : TForm(owner) {
    SetLeft(364);
    SetTop(279);
    SetBorderIcons(0);
    SetBorderStyle(bsNone);
    SetClientHeight(16);
    SetClientWidth(401);
    SetColor(clScrollBar);
    SetCtl3D(false);
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    OnShow = [this](TObject* sender) { FormShow(sender); };
    OnCloseQuery = [this](TObject* sender, bool& canClose) { FormCloseQuery(sender, canClose); };

    ProgressBar1 = new TProgressBar(this);
    ProgressBar1->SetParent(this);
    ProgressBar1->SetLeft(0);
    ProgressBar1->SetTop(0);
    ProgressBar1->SetWidth(401);
    ProgressBar1->SetHeight(16);
    ProgressBar1->SetAlign(alClient);
    ProgressBar1->SetMin(0);
    ProgressBar1->SetMax(100);

    Timer1 = new TTimer(this);
    Timer1->SetEnabled(false);
    Timer1->SetInterval(1000);
    Timer1->OnTimer = [this](TObject* sender) { Timer1Timer(sender); };

    ArcUnZip1 = new TArcUnZip(this);
    ArcUnZip1->SetOverwriteMode(Always);
}

TForm3::~TForm3() {
    // No thread may outlive the window whose component it uses.
    WaitForLoader();
}

void TForm3::FormShow(TObject*) {
    Timer1->SetEnabled(true);
    FThreadDone = false;
    try {
        FThread = std::make_unique<playthread>();
        FThread->Start();
        PostMessageA(GetHandle(), kPreloadEngineMessage, 0, 0);
    } catch (...) {
        // Without a thread nobody would close the window: close it through the queue, once the
        // modal loop runs.
        FThread.reset();
        LoadStatus = "error";
        FThreadDone = true;
        PostMessageA(GetHandle(), WM_CLOSE, 0, 0);
    }
}

void TForm3::WndProc(TMessage& m) {
    if (m.Msg != kPreloadEngineMessage) {
        TForm::WndProc(m);
        return;
    }
    // The window is painted first: the engine's start-up may keep this thread busy a while.
    UpdateWindow(GetHandle());
    if (Form1 && Form1->WebBrowser1) Form1->WebBrowser1->PreloadHtmlEngine();
}

void TForm3::Timer1Timer(TObject*) {
    const int p = ProgressBar1->GetPosition();
    if (p < ProgressBar1->GetMax() - 1)
        ProgressBar1->SetPosition(p + 1);
    else
        ProgressBar1->SetPosition(ProgressBar1->GetMin() + 1);
    // A thread that ended without handing the window back (it could not reach the main
    // thread) leaves the closing to us.
    if (!FThreadDone && FThread && FThread->Finished()) {
        if (LoadStatus.empty()) LoadStatus = "error";
        CloseFromThread();
    }
}

void TForm3::FinishProgress() {
    Timer1->SetEnabled(false);
    ProgressBar1->SetPosition(ProgressBar1->GetMax());
}

void TForm3::CloseFromThread() {
    FThreadDone = true;
    Close();
}

bool TForm3::LoaderRunning() const { return FThread && !FThread->Finished(); }

void TForm3::FormCloseQuery(TObject*, bool& canClose) { canClose = FThreadDone || !LoaderRunning(); }

void TForm3::FormClose(TObject*, TCloseAction&) {
    Timer1->SetEnabled(false);
    if (LoadStatus == "error") ShowMessage(kLoadFailedText);
}

void TForm3::WaitForLoader() {
    if (!FThread) return;
    FThread->Terminate();
    ArcUnZip1->SetCancel(true);   // the run ends at the next entry
    FThread->WaitFor();
    FThread.reset();
}
