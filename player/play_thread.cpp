#include "player/play_thread.h"

#include "packedbook/book_constants.h"
#include "packedbook/packed_book.h"
#include "classlib/fileio.h"
#include "player/browser_form.h"
#include "player/loading_form.h"
#include "player/work_paths.h"

bool CopyArchiveOut(const AnsiString& source, const AnsiString& target) {
    try {
        // An archive left by an earlier run of this book goes first; the copy then creates the
        // file anew (exclusively) and removes a partial one when it fails.
        if (FileExists(target)) RemoveFile(target);
        return ExtractBookArchive(source, target);
    } catch (...) {
        return false;
    }
}

void NavigateHome() { Form1->WebBrowser1->Navigate(HomePageAddress(WorkFolder, HomePage)); }

bool playthread::ExtractArchive(TArcUnZip* zip) {
    zip->SetZipName(TempArchivePath(WorkFolder));
    zip->SetDestDir(WorkFolder);
    zip->SetRecreateDirs(true);
    zip->SetRetainAttributes(true);
    zip->SetDoAll(true);
    zip->Password = BookArchivePassword;
    // A program that is ending stops the run at the next entry: the window that ends it asks
    // the component to cancel, and a request that came before the run began (which clears
    // the flag) is asked again here. No handler of the entries is assigned, so that the
    // entries' data is decoded on worker threads.
    const TStartUnzipInfo inner = zip->OnStartUnZipInfo;
    zip->OnStartUnZipInfo = [this, zip, inner](TObject* sender, int files, int64_t bytes, bool& stop) {
        if (inner) inner(sender, files, bytes, stop);
        if (Terminated()) zip->SetCancel(true);
    };
    int extracted = 0;
    try {
        extracted = zip->UnZip();
    } catch (...) {
        // The run has closed the archive on its way out; the clean-up can delete it.
        zip->OnStartUnZipInfo = inner;
        throw;
    }
    zip->OnStartUnZipInfo = inner;   // the handler refers to this thread, which is about to end
    // Some pages are better than none: only a run that extracted nothing at all has failed.
    return extracted > 0 || zip->EntryCount() == 0;
}

void playthread::Execute() {
    bool ok = false;
    try {
        ok = CopyArchiveOut(ProgramPath, TempArchivePath(WorkFolder));
        ArchiveCreated = ok;
        if (ok && !Terminated()) ok = ExtractArchive(Form3->ArcUnZip1);
    } catch (...) {
        ok = false;
    }
    if (!ok) LoadStatus = "error";
    try {
        Synchronize([this, ok] {
            if (Terminated()) return;   // the program is ending and no longer shows anything
            Form3->FinishProgress();
            if (ok) {
                try {
                    NavigateHome();
                } catch (...) {
                    LoadStatus = "error";
                }
            }
            Form3->CloseFromThread();
        });
    } catch (...) {
        // The loading window's timer notices the ended thread and closes the window.
    }
}
