// The packing window: a small progress bar shown modally while the packing thread makes the
// book. It cannot be closed while the thread runs; the thread closes it when it is done, and
// closing tells the author where the book is, or that packing failed and why.
#pragma once
#include <memory>

#include "classlib/gui/common_controls.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/panel.h"
#include "classlib/gui/timer.h"
#include "ziparchive/arc_zip.h"

class qvpackthread;

// Written by FormShow on the main thread before the thread starts, read by the thread.
extern AnsiString OutputPath;        // the book: the folder's path, then ".exe"
extern AnsiString TempArchivePath;   // the archive of the folder while the book is made

// Texts of the packing window (code page 936).
extern const char kPackedText[];   // packing done; the book's path follows
extern const char kFailedText[];   // packing failed; the reason follows

class TForm2 : public TForm {
public:
    explicit TForm2(TComponent* owner);
    ~TForm2() override;
    const char* ClassName() const override { return "TForm2"; }

    TPanel* Panel1;
    TProgressBar* ProgressBar1;
    TTimer* Timer1;
    TArcZip* ArcZip1;

    void FormShow(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void FormCloseQuery(TObject* sender, bool& canClose);
    void Timer1Timer(TObject* sender);

    // The thread is done with the window: timer off, bar full, the outcome kept for the close
    // message, and the window closed (main thread). Empty failure means the book is complete.
    void FinishFromThread(const AnsiString& failure);
    // Waits for a thread that has handed the window back (main thread).
    void WaitForPacker();
    bool PackerRunning() const;

private:
    std::unique_ptr<qvpackthread> FThread;
    bool FThreadDone = false;   // the thread has handed the window back
    AnsiString FFailure;        // why the run failed; empty on success
};

extern TForm2* Form2;
