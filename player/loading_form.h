// The loading window: a small borderless progress bar shown modally while the extraction
// thread unpacks the book. It cannot be closed while the thread runs; the thread closes it
// when it is done, and the close reports a failed load.
#pragma once
#include <memory>

#include "classlib/gui/common_controls.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/timer.h"
#include "ziparchive/arc_unzip.h"

class playthread;

class TForm3 : public TForm {
public:
    explicit TForm3(TComponent* owner);
    ~TForm3() override;
    const char* ClassName() const override { return "TForm3"; }

    TProgressBar* ProgressBar1;
    TTimer* Timer1;
    TArcUnZip* ArcUnZip1;

    void FormShow(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void FormCloseQuery(TObject* sender, bool& canClose);
    void Timer1Timer(TObject* sender);

    // Timer off, bar full.
    void FinishProgress();
    // The thread is done with the window: close it (main thread).
    void CloseFromThread();
    // Tells a thread still running to stop and waits for it, serving its synchronised calls
    // meanwhile. Main thread; safe to call when no thread was started.
    void WaitForLoader();
    bool LoaderRunning() const;

protected:
    void WndProc(TMessage& message) override;

private:
    std::unique_ptr<playthread> FThread;
    bool FThreadDone = false;   // the thread has handed the window back
};

extern TForm3* Form3;
