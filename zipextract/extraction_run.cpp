// The run around the entries: opening the archive (with the incomplete-archive retry),
// selecting entries, totals and run events, the loop with its retry, and the clean-up.
#include <cstdint>
#include <exception>

#include "ziparchive/file_search.h"
#include "ziparchive/file_utils.h"
#include "ziparchive/pump_throttle.h"
#include "zipextract/extract_paths.h"
#include "zipextract/unzip_run.h"

namespace {

// How often an incomplete archive is opened again while OnInCompleteZip keeps asking for
// it: a handler that changes nothing must not hold the run in an endless loop.
constexpr int kMaxIncompleteRetries = 10;

// Puts a Boolean of the component back on every way out of a scope.
class TRestoreFlag {
public:
    TRestoreFlag(TArcUnZip& owner, bool (TArcUnZip::*exchange)(bool), bool value)
        : FOwner(owner), FExchange(exchange), FOld((owner.*exchange)(value)) {}
    ~TRestoreFlag() { (FOwner.*FExchange)(FOld); }
    TRestoreFlag(const TRestoreFlag&) = delete;
    TRestoreFlag& operator=(const TRestoreFlag&) = delete;

private:
    TArcUnZip& FOwner;
    bool (TArcUnZip::*FExchange)(bool);
    bool FOld;
};

// Closes the archive stream even while KeepZipOpen is set.
void ForceCloseZip(TArcUnZip& owner) {
    const bool keep = owner.GetKeepZipOpen();
    owner.SetKeepZipOpen(false);
    owner.CloseZip();
    owner.SetKeepZipOpen(keep);
}

}  // namespace

int64_t AddDeclaredSize(int64_t total, int64_t size) {
    if (size <= 0) return total;
    return total > INT64_MAX - size ? INT64_MAX : total + size;
}

// Between entries and blocks, throttled.
void TUnZipRun::PumpMessages() {
    if (FOwner.GetDoProcessMessages()) ThrottledProcessMessages(FLastPump);
}

TNextDiskStream TUnZipRun::PartsOfSet() {
    if (FOwner.GetEndRecord()->GetThisDisk() == 0) return TNextDiskStream();
    return [this] { return NextDisk(); };
}

TStream* TUnZipRun::NextDisk() {
    // Past the last part too: the request for a disk that does not come (cancelled, or a
    // part file that is not there) ends the run.
    return FOwner.OpenNextDisk(static_cast<int>(FOwner.GetCurrentDisk()) + 2);
}

int TUnZipRun::UnZip() {
    TRestoreFlag busy(FOwner, &TArcUnZip::ExchangeBusyFlag, true);
    if (FOwner.GetDestDir() == "?") return 0;
    // The archive is closed on every way out, a directory that cannot be read included: the
    // caller may want to delete or replace the file at once.
    struct TCloseArchive {
        TArcUnZip& Owner;
        ~TCloseArchive() { Owner.CloseZip(); }
    } closeArchive{FOwner};
    OpenForUnZip();
    FOwner.OpenZip();
    return UnZipFiles();
}

void TUnZipRun::OpenForUnZip() {
    TRestoreFlag busy(FOwner, &TArcUnZip::ExchangeBusyFlag, true);
    TRestoreFlag reading(FOwner, &TArcUnZip::ExchangeUnzipFlag, true);
    try {
        for (int attempt = 1;; ++attempt) {
            try {
                FOwner.OpenZip();
                break;
            } catch (const EIncompleteZip&) {
                ForceCloseZip(FOwner);
                // The handler (called again inside the read) may have the last disk put in
                // or switch to rebuilding the directory.
                if (!FOwner.OnInCompleteZip || attempt >= kMaxIncompleteRetries) break;
            } catch (...) {
                FOwner.ClearZip();
                throw;
            }
        }
    } catch (...) {
        FOwner.CloseZip();
        throw;
    }
    FOwner.CloseZip();
}

void TUnZipRun::SelectEntries() {
    FTotalBytes = 0;
    FTotalDone = 0;
    TSortedZip* list = FOwner.GetSortedList();
    const int count = list ? list->GetCount() : 0;
    FFilesToDo = count;
    TStrings* patterns = FOwner.GetFilesList();
    for (int i = 0; i < count; ++i) {
        PumpMessages();
        TZipHeaderInfo* h = list->Header(i);
        h->MatchFlag = FOwner.GetDoAll();
        const bool isDir = h->GetFileName().empty();
        if (isDir && !FOwner.GetRecreateDirs()) {
            h->MatchFlag = false;
        } else if (!FOwner.GetDoAll()) {
            const AnsiString name = LowerCase(h->GetDirectory() + h->GetFileName());
            for (int k = 0; k < patterns->Count() && !h->MatchFlag; ++k)
                h->MatchFlag = IsMatch(LowerCase(patterns->Get(k)), name);
        }
        if (h->MatchFlag)
            FTotalBytes = AddDeclaredSize(FTotalBytes, h->GetUncompressedSize());
        else
            --FFilesToDo;
    }
}

int TUnZipRun::UnZipFiles() {
    TRestoreFlag reading(FOwner, &TArcUnZip::ExchangeUnzipFlag, true);
    const bool keepOpen = FOwner.GetKeepZipOpen();
    FOwner.SetKeepZipOpen(true);   // the archive stays open from entry to entry
    FOwner.SetCancel(false);
    FOwner.SetPause(false);
    FSkipRetry = false;
    FFilesDone = 0;

    const bool spanned = FOwner.GetEndRecord()->GetThisDisk() != 0;
    const TZipSortMode oldSort = FOwner.GetSortMode();
    bool resorted = false;

    auto cleanUp = [&]() {
        FOwner.GetFilesList()->Clear();
        if (resorted) FOwner.SortEntries(oldSort);
        if (FOwner.OnUnZipComplete) FOwner.OnUnZipComplete(&FOwner, FFilesDone);
        FOwner.SetKeepZipOpen(keepOpen);
    };
    try {
        if (!FTestOnly && !FOwner.GetDestDir().empty() && !DirExists(FOwner.GetDestDir()))
            EnsureDir(FOwner.GetDestDir());
        // Entries of a spanned archive are taken in archive order, disk after disk.
        if (spanned && oldSort != ByNone) {
            FOwner.SortEntries(ByNone);
            resorted = true;
        }
        FArchiveSize = spanned ? -1 : FOwner.GetArchiveStream()->GetSize();
        SelectEntries();
        bool stopNow = false;
        if (FOwner.OnStartUnZipInfo) FOwner.OnStartUnZipInfo(&FOwner, FFilesToDo, FTotalBytes, stopNow);
        if (FFilesToDo > 0 && !stopNow) {
            FFileOptions = {FOwner.GetBufferSize(), FOwner.GetFlushFilesOnClose(), FOwner.GetReplaceReadOnly(),
                            FOwner.GetRetainAttributes()};
            StartWorkers();
            const int count = FOwner.GetSortedList()->GetCount();
            for (int i = 0; i < count; ++i) {
                if (!FOwner.GetDoAll() && !FOwner.GetSortedList()->Header(i)->MatchFlag) continue;
                PumpMessages();   // also through entries that write nothing
                do {
                    FOwner.WaitWhilePaused();
                    if (FOwner.GetCancel()) throw EUserCanceled(msgUserAborted);
                    UnZipOneFile(i);
                } while (FRetryEntry);
            }
            if (FWorkers) CollectAll();
            StopWorkers();
        }
    } catch (...) {
        // A cancel, a handler that raised, an entry that ended the run: the clean-up still
        // runs and reports the count reached.
        const std::exception_ptr error = EndWorkersAfterFailure(std::current_exception());
        cleanUp();
        std::rethrow_exception(error);
    }
    cleanUp();
    return FFilesDone;
}

int TArcUnZip::UnZip() { return TUnZipRun(*this, false).UnZip(); }
