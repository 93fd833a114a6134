// Entries on worker threads, for runs with no handler of single entries: the calling thread
// hands an entry whose start has run to the workers, which create its file, decode, decipher,
// check and write it, then close (or delete) it; the calling thread later takes the entries
// back in archive order, counts them and tells OnEntryFailed of those that failed. At most
// kWindow entries are in flight. The window is wide enough that an entry of many megabytes,
// which one worker deciphers byte by byte, does not hold the others up: the calling thread
// goes on handing in the entries behind it.
#include <algorithm>
#include <exception>

#include "classlib/fileio.h"
#include "ziparchive/arc_exceptions.h"
#include "ziparchive/file_utils.h"
#include "zipextract/extract_paths.h"
#include "zipextract/extract_workers.h"
#include "zipextract/unzip_run.h"

namespace {

constexpr size_t kWindow = 512;
constexpr uint16_t kMethodStored = 0;

// Names compared as the system compares them: ASCII letters without case.
AnsiString FoldName(const AnsiString& name) {
    AnsiString s = name;
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

}  // namespace

// One entry handed to the workers: what the calling thread decided, and what the worker found.
struct TUnZipRun::TExtractJob {
    int Index = 0;
    TZipHeaderInfo Header;   // the entry as the calling thread left it (sizes after the password check)
    AnsiString FName;
    AnsiString FoldedName;
    int64_t DataStart = 0;
    TZipKeys Keys;           // the cipher's state after the encryption header

    bool CreateFailed = false;
    bool Kept = false;       // a sound file stays on disk
    TDataFailure Failure = dfNone;
    AnsiString CorruptReason;
    uint32_t Crc = 0;
    int64_t Written = 0;
    std::exception_ptr Error;        // ends the run when the entry's turn comes
    std::shared_ptr<TExtractWorkers::TTicket> Ticket;   // none for an entry that ends in its turn
    std::function<void()> End;       // that entry's end
    std::vector<AnsiString> FoldersMadeAfter;   // by the entries started after this one, outermost first
};

// A worker's own buffers and its own handle on the archive.
struct TUnZipRun::TWorkerState {
    TEntryInput Input;
    TEntryOutput Output;
    std::unique_ptr<TFileStream> Archive;
};

TUnZipRun::TUnZipRun(TArcUnZip& owner, bool testOnly)
    : FOwner(owner), FTestOnly(testOnly), FWorkerCount(TExtractWorkers::DefaultCount()) {}

TUnZipRun::~TUnZipRun() = default;

bool TUnZipRun::HandlersSeeEntries() const {
    // Each of these is told of one entry between its start and its end, or may look at the
    // files the entries before it wrote: it sees every entry done whole before the next one.
    // The overwrite prompt and the notices need no such care: they come only once the entries
    // before theirs have ended, and before any entry after theirs begins.
    return FOwner.OnStartUnZip || FOwner.OnEndUnZip || FOwner.OnBadCRC || FOwner.OnSkippingFile ||
           FOwner.OnFilePercentDone || FOwner.OnTotalPercentDone || FOwner.OnDecrypt || FOwner.OnBadPassword;
}

bool TUnZipRun::StartWorkers() {
    if (FWorkerCount <= 0 || FOwner.GetEndRecord()->GetThisDisk() != 0 || HandlersSeeEntries()) return false;
    FWorkerZipName = FOwner.GetZipName();
    FCollectFailed = false;
    FEndingRun = false;
    FAbandonedFolders.clear();
    FWorkers = std::make_unique<TExtractWorkers>(FWorkerCount);
    FWorkerStates.clear();
    for (int i = 0; i < FWorkers->Count(); ++i) FWorkerStates.push_back(std::make_unique<TWorkerState>());
    return true;
}

void TUnZipRun::StopWorkers() {
    FWorkers.reset();
    FWorkerStates.clear();
    FInFlight.clear();
    FInFlightNames.clear();
}

void TUnZipRun::PopInFlight() {
    if (!FInFlight.front()->Ticket) {
        FInFlight.pop_front();
        return;
    }
    const auto name = FInFlightNames.find(FInFlight.front()->FoldedName);
    if (name != FInFlightNames.end() && --name->second == 0) FInFlightNames.erase(name);
    FInFlight.pop_front();
}

void TUnZipRun::SubmitEntry(int index, const AnsiString& fName, int64_t dataStart) {
    auto job = std::make_shared<TExtractJob>();
    job->Index = index;
    job->Header.Assign(FOwner.GetCurrentHeader());
    job->FName = fName;
    job->FoldedName = FoldName(fName);
    job->DataStart = dataStart;
    job->Keys = FOwner.GetKeys();
    TExtractJob* j = job.get();
    job->Ticket = FWorkers->Submit([this, j](int worker) { RunJob(*j, *FWorkerStates[static_cast<size_t>(worker)]); });
    ++FInFlightNames[job->FoldedName];
    FInFlight.push_back(std::move(job));
    while (FInFlight.size() > kWindow) CollectOldest();
}

void TUnZipRun::EndInTurn(int index, std::function<void()> end) {
    if (!FWorkers || FInFlight.empty()) {
        end();
        return;
    }
    auto job = std::make_shared<TExtractJob>();
    job->Index = index;
    job->Header.Assign(FOwner.GetCurrentHeader());
    job->End = std::move(end);
    FInFlight.push_back(std::move(job));
    while (FInFlight.size() > kWindow) CollectOldest();
}

void TUnZipRun::MakeFolder(const AnsiString& path) {
    if (!FWorkers) {
        EnsureDir(path);
        return;
    }
    FinishIfInFlight(StripTrailingBackslash(path));
    // Made for an entry behind those in flight: it goes again when one of them ends the run.
    CreateDirPath(path, FInFlight.empty() ? nullptr : &FInFlight.back()->FoldersMadeAfter);
}

void TUnZipRun::RunJob(TExtractJob& job, TWorkerState& w) {
    std::unique_ptr<TLFNFileStream> out;
    try {
        if (!w.Archive) w.Archive = std::make_unique<TFileStream>(FWorkerZipName, fmOpenRead | fmShareDenyNone);
        if (!FTestOnly) {
            out = CreateEntryFile(job.FName, job.Header, FFileOptions);
            if (!out) {
                job.CreateFailed = true;
                return;
            }
        }
        const TZipHeaderInfo& h = job.Header;
        const bool encrypted = h.IsEncrypted();
        TBlockDecrypter decrypt;
        if (encrypted) decrypt = [&job](uint8_t* b, int32_t n) { job.Keys.DecryptBuffer(b, static_cast<size_t>(n)); };
        const bool stored = h.CompressionMethod == kMethodStored;
        const int64_t size = h.GetUncompressedSize();
        w.Archive->Seek(job.DataStart + (encrypted ? kEncryptionHeaderSize : 0), soBeginning);
        w.Input.StartEntry(w.Archive.get(), h.GetCompressedSize(), TNextDiskStream(),
                           stored ? TBlockDecrypter() : decrypt, nullptr);
        w.Output.StartEntry(out.get(), size, stored ? decrypt : TBlockDecrypter(), TOutputProgress());
        job.Failure = DecodeEntryData(w.Input, w.Output, {h.CompressionMethod, h.Flag, size, h.GetCompressedSize()},
                                      job.CorruptReason);
        job.Crc = w.Output.Crc();
        job.Written = w.Output.Written();
        const bool sound = SoundData(job.Failure, job.Crc, job.Written, h);
        CloseEntryFile(out, job.FName, sound, h, FFileOptions);
        job.Kept = sound && !FTestOnly;
    } catch (...) {
        job.Error = std::current_exception();
        // No partial file stays behind looking complete.
        try {
            CloseEntryFile(out, job.FName, false, job.Header, FFileOptions);
        } catch (...) {
        }
    }
}

void TUnZipRun::CollectOldest() {
    try {
        TakeBackOldest();
    } catch (...) {
        FCollectFailed = true;
        throw;
    }
}

void TUnZipRun::TakeBackOldest() {
    // A cancel asked for meanwhile (from another thread, or a message pumped while waiting)
    // ends the run before the next entry, as between entries on the calling thread alone: the
    // oldest in flight and those behind it are abandoned.
    if (!FEndingRun && FOwner.GetCancel()) throw EUserCanceled(msgUserAborted);
    std::shared_ptr<TExtractJob> job = FInFlight.front();
    // The job leaves the list only once its worker is done with it: a failure while waiting
    // (in the message pump) leaves it for AbandonAll to wait for.
    if (job->Ticket) FWorkers->Wait(job->Ticket, [this] { PumpMessages(); });
    PopInFlight();
    FOwner.GetCurrentHeader()->Assign(&job->Header);
    try {
        EndTakenBack(*job);
    } catch (...) {
        // The run ends at this entry: what the entries after it made must go.
        FAbandonedFolders.insert(FAbandonedFolders.end(), job->FoldersMadeAfter.begin(), job->FoldersMadeAfter.end());
        throw;
    }
}

void TUnZipRun::EndTakenBack(TExtractJob& job) {
    if (job.End) {
        job.End();
        return;
    }
    if (job.Error) {
        DataErrorEndsRun(job.Index, job.Error);
        std::rethrow_exception(job.Error);
    }
    if (job.CreateFailed) {
        Skip(job.Index, srCreateError, job.FName, "cannot create " + job.FName);
        return;
    }
    try {
        // What the calling thread alone would have raised at the entry's end: its file does
        // not stay.
        FTotalDone += job.Written;
        NoticeDataFailure(job.Failure);
    } catch (...) {
        if (job.Kept) RemoveFile(job.FName);
        throw;
    }
    FOwner.SetRunningCrc(~job.Crc);
    EndEntry(job.Index, job.FName, job.Failure, job.Crc, job.Written, job.CorruptReason);
}

void TUnZipRun::CollectAll() {
    while (!FInFlight.empty()) CollectOldest();
}

void TUnZipRun::AbandonAll() {
    while (!FInFlight.empty()) {
        std::shared_ptr<TExtractJob> job = FInFlight.front();
        if (job->Ticket) FWorkers->Wait(job->Ticket, nullptr);
        PopInFlight();
        if (job->Kept) RemoveFile(job->FName);
        FAbandonedFolders.insert(FAbandonedFolders.end(), job->FoldersMadeAfter.begin(), job->FoldersMadeAfter.end());
    }
}

void TUnZipRun::RemoveAbandonedFolders() {
    // Innermost first; a folder that holds anything (an older file, one the user put there)
    // stays.
    for (auto it = FAbandonedFolders.rbegin(); it != FAbandonedFolders.rend(); ++it) RemoveDir(*it);
    FAbandonedFolders.clear();
}

std::exception_ptr TUnZipRun::EndWorkersAfterFailure(std::exception_ptr error) {
    if (!FWorkers) return error;
    FEndingRun = true;
    if (!FCollectFailed) {
        try {
            CollectAll();
        } catch (...) {
            error = std::current_exception();
        }
    }
    try {
        AbandonAll();
        RemoveAbandonedFolders();
    } catch (...) {
    }
    StopWorkers();
    return error;
}

void TUnZipRun::FinishIfInFlight(const AnsiString& name) {
    const AnsiString folded = FoldName(name);
    // The name itself, or a folder above it, is the name of a file still being written. Every
    // backslash byte counts as a folder's end, the second byte of a double-byte character
    // too: a wrong match only finishes the entries in flight a little early.
    bool inFlight = FInFlightNames.count(folded) != 0;
    for (size_t i = 0; !inFlight && i < folded.size(); ++i)
        if (folded[i] == '\\') inFlight = FInFlightNames.count(folded.substr(0, i)) != 0;
    if (inFlight) FinishInFlight();
}

void TUnZipRun::FinishInFlight() {
    // The entry being started keeps its own header through the others' ends.
    TZipHeaderInfo current;
    current.Assign(FOwner.GetCurrentHeader());
    CollectAll();
    FOwner.GetCurrentHeader()->Assign(&current);
}
