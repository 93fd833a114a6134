// The program's main loop from start to end, in the shape the programs use it: a main form
// whose OnShow runs a modal window fed by a worker thread, then messages in Run, then closing
// the main form ends Run. A picture of the main form is saved as a test artefact.
#include <gtest/gtest.h>

#include "classlib/gui/application.h"
#include "classlib/gui/common_controls.h"
#include "classlib/gui/panel.h"
#include "classlib/gui/standard_controls.h"
#include "classlib/gui/thread.h"
#include "classlib/gui/timer.h"
#include "tests/gui/gui_test_support.h"

namespace {

constexpr UINT WM_PROBE = WM_APP + 20;

class TLoadingForm : public TForm {
public:
    explicit TLoadingForm(TComponent* owner) : TForm(owner) {
        SetBorderStyle(bsNone);
        SetBorderIcons(0);
        SetClientWidth(401);
        SetClientHeight(16);
        SetPosition(poScreenCenter);
        ProgressBar1 = new TProgressBar(this);
        ProgressBar1->SetParent(this);
        ProgressBar1->SetAlign(alClient);
    }
    TProgressBar* ProgressBar1;
};

class TWorker : public TThread {
public:
    TLoadingForm* Loading = nullptr;
protected:
    void Execute() override {
        for (int i = 1; i <= 3; ++i) {
            Sleep(30);
            Synchronize([this, i] { Loading->ProgressBar1->SetPosition(i * 30); });
        }
        Synchronize([this] {
            Loading->ProgressBar1->SetPosition(Loading->ProgressBar1->GetMax());
            Loading->Close();
        });
    }
};

class TMainForm : public TForm {
public:
    explicit TMainForm(TComponent* owner) : TForm(owner) {
        SetCaption("\xE4\xAF\xC0\xC0\xA1\xA1");
        SetColor(clHighlightText);
        SetWidth(500);
        SetHeight(300);
        SetPosition(poScreenCenter);
        Panel1 = new TPanel(this);
        Panel1->SetParent(this);
        Panel1->SetAlign(alTop);
        Panel1->SetHeight(41);
        const char* captions[] = {"\xCB\xA2\xD0\xC2", "\xBA\xF3\xCD\xCB", "\xC7\xB0\xBD\xF8", "\xCD\xA3\xD6\xB9"};
        for (int i = 0; i < 4; ++i) {
            auto* b = new TButton(this);
            b->SetParent(Panel1);
            b->SetBounds(8 + 88 * i, 8, 75, 25);
            b->SetCaption(captions[i]);
        }
        OnCreate = [this](TObject*) { Created = true; };
    }
    TPanel* Panel1;
    bool Created = false;
};

TMainForm* Form1 = nullptr;
TLoadingForm* Form3 = nullptr;

}  // namespace

TEST(Run, MainFormModalStartUpMessagesAndClose) {
    Application->Initialize();
    Application->CreateForm(Form1);
    Application->CreateForm(Form3);
    ASSERT_EQ(Application->GetMainForm(), Form1);
    EXPECT_TRUE(Form1->Created);
    EXPECT_EQ(Application->GetTitle(), "gui_application_run_test");

    int modalResult = -1;
    int barAtEnd = -1;
    Form1->OnShow = [&](TObject*) {
        TWorker worker;
        worker.Loading = Form3;
        Form3->OnShow = [&](TObject*) { worker.Start(); };
        modalResult = Form3->ShowModal();
        barAtEnd = Form3->ProgressBar1->GetPosition();
        worker.WaitFor();
        PostMessageA(Form1->GetHandle(), WM_PROBE, 0, 0);
    };
    bool closedMain = false;
    std::string shot = ArtifactPath("gui_main_form.bmp");
    Application->OnMessage = [&](TMsg& m, bool&) {
        if (m.message != WM_PROBE) return;
        // Let the window finish painting before the picture is taken.
        RedrawWindow(Form1->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        SaveWindowShot(Form1->GetHandle(), shot);
        Form1->OnClose = [&](TObject*, TCloseAction&) { closedMain = true; };
        PostMessageA(Form1->GetHandle(), WM_CLOSE, 0, 0);
    };
    TTimer watchdog(nullptr);   // a broken loop fails instead of hanging
    watchdog.SetInterval(20000);
    watchdog.OnTimer = [](TObject*) { Application->Terminate(); };
    Application->Run();
    EXPECT_TRUE(Application->GetTerminated());
    EXPECT_EQ(modalResult, mrCancel);
    EXPECT_EQ(barAtEnd, 100);
    EXPECT_TRUE(closedMain);
    EXPECT_TRUE(IsWindowVisible(Form1->GetHandle()));
    EXPECT_FALSE(IsWindowVisible(Form3->GetHandle()));
    EXPECT_TRUE(IsWindowEnabled(Form1->GetHandle()));
    DWORD attrs = GetFileAttributesA(shot.c_str());
    EXPECT_NE(attrs, INVALID_FILE_ATTRIBUTES) << "no picture at " << shot;
}
