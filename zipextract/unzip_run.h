// One extraction run of the reader component: opening the archive, selecting entries, the
// loop over the entries with the per-entry extraction (destination path, password check,
// overwrite rule, output file, decompression, CRC and size check, date and attributes),
// and the clean-up. TArcUnZip::UnZip runs one; a test of an archive runs one that decodes
// and checks every entry but writes nothing.
//
// Every event runs on the calling thread, and each entry's events (OnStartUnZip to its end)
// come before the next entry's. Workers decode entries' data only when no handler that is told
// of single entries is assigned (OnStartUnZip, OnEndUnZip, OnBadCRC, OnSkippingFile, the
// progress events, OnDecrypt, OnBadPassword): the calling thread then goes on with the next
// entries' start (checks, folders) while a worker decodes, checks and writes, and it takes the
// entries back in archive order. An entry whose file is already there, an overwrite prompt and
// an entry that may bring a notice (an unknown or older method) wait until every entry before
// theirs has ended, and no entry after theirs begins before they end. A run that ends at an entry (a
// failure, a handler that raised, a cancel) leaves the same files, folders and count as
// without workers: the entries in flight before it end first, those after it are abandoned,
// their new files and the folders made for them go again, and no file that was there before
// the run has been touched by them. A cancel asked for while the workers are busy ends the run
// before the next entry taken back.
#pragma once
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "ziparchive/arc_unzip.h"
#include "ziparchive/buffered_stream.h"
#include "ziparchive/pump_throttle.h"
#include "zipextract/entry_decode.h"
#include "zipextract/entry_file.h"
#include "zipextract/entry_input.h"
#include "zipextract/entry_output.h"

class TExtractWorkers;

// Total + Size for the run's byte totals: declared sizes come from the archive (zip64 ones up
// to 2^64 - 1), so the sum stops at the largest value and a negative size counts as 0.
int64_t AddDeclaredSize(int64_t total, int64_t size);

class TUnZipRun {
public:
    // TestOnly: nothing is written, no folder is created, no existing file is looked at.
    TUnZipRun(TArcUnZip& owner, bool testOnly);
    ~TUnZipRun();
    TUnZipRun(const TUnZipRun&) = delete;
    TUnZipRun& operator=(const TUnZipRun&) = delete;

    // Extracts (or tests) the selected entries of ZipName; the number of entries done.
    int UnZip();

    // Worker threads for the entries' data (default: as many as cores, at most 8). With 0,
    // or for a spanned archive, or with a handler of single entries assigned (see above), each
    // entry is done whole before the next begins.
    void SetWorkers(int count) { FWorkerCount = count < 0 ? 0 : count; }

    // Told once for every entry that failed or was refused, with a one-line reason
    // (besides the component's own events).
    std::function<void(int index, const AnsiString& reason)> OnEntryFailed;

    // Counters of the run.
    int FilesToDo() const { return FFilesToDo; }
    int FilesDone() const { return FFilesDone; }
    int64_t TotalBytes() const { return FTotalBytes; }
    int64_t TotalDone() const { return FTotalDone; }

private:
    struct TExtractJob;
    struct TWorkerState;

    void OpenForUnZip();
    int UnZipFiles();
    void SelectEntries();
    void UnZipOneFile(int index);

    // Steps of one entry (entry_extraction.cpp).
    // Everything before the output file: checks, events, password, overwrite rule. False when
    // the entry ended there; otherwise FName and DataStart say where its data goes and lies.
    bool StartEntry(int index, AnsiString& fName, int64_t& dataStart);
    // The rest of the entry on the calling thread.
    void FinishEntry(int index, const AnsiString& fName, int64_t dataStart);
    // The outcome of an entry's data, in the component's events.
    void EndEntry(int index, const AnsiString& fName, TDataFailure failure, uint32_t crc, int64_t written,
                  const AnsiString& corruptReason);
    // Finds the entry's local header and the start of its data; an archive too short for it
    // raises.
    enum TLocalHeader { lhFound, lhOtherName };
    TLocalHeader LocateEntryData(int64_t& dataStart);
    TStream* SeekArchive(int64_t position);
    enum TPasswordResult { pwAccepted, pwSkipped, pwDamaged };
    TPasswordResult CheckPassword(int index, int64_t dataStart);
    bool OverwriteAllowed(int index, AnsiString& fName);
    TDataFailure Decompress(TStream* target, int64_t dataStart, AnsiString& corruptReason);
    // Progress events after a block: Written bytes of the entry so far.
    void ReportProgress(int64_t written, int64_t size);
    void ReportDataFailure(int index, TDataFailure failure, uint32_t crc, int64_t written,
                           const AnsiString& corruptReason);
    // Written bytes and CRC that make the entry's file one to keep.
    static bool SoundData(TDataFailure failure, uint32_t crc, int64_t written, const TZipHeaderInfo& h);
    // The notice of a failure the user is told of at once (decode tables out of memory).
    void NoticeDataFailure(TDataFailure failure);
    // Reports the entry whose data raised Error, which ends the run.
    void DataErrorEndsRun(int index, const std::exception_ptr& error);
    // OnBadPassword may give another password for the entry: true when it did (the entry
    // is then extracted again).
    bool AskAnotherPassword(int index);
    // An entry whose data cannot be decoded at all: OnBadCRC, and out of the totals.
    void DamagedEntry(int index, uint32_t calcCrc, const AnsiString& why);
    void Skip(int index, TSkipReason reason, const AnsiString& name, const AnsiString& why);
    void SkipEntryTotals();
    void EntryFailed(int index, const AnsiString& why);
    void PumpMessages();
    TStream* NextDisk();
    // For an entry's input: the next part of a set when its data runs past this one, none for
    // an archive in one file.
    TNextDiskStream PartsOfSet();
    // How an entry that ends before its data ends (its count, its skip or damage event): at
    // once, or with entries in flight, in its turn after them.
    void EndInTurn(int index, std::function<void()> end);
    // Creates a folder of an entry; an entry in flight whose file would stand in its way is
    // finished first.
    void MakeFolder(const AnsiString& path);

    // Entries in flight on the workers (parallel_extraction.cpp).
    // Handlers that would see the entries overlap: the run then goes entry by entry.
    bool HandlersSeeEntries() const;
    bool StartWorkers();
    void StopWorkers();
    void SubmitEntry(int index, const AnsiString& fName, int64_t dataStart);
    void RunJob(TExtractJob& job, TWorkerState& worker);
    void CollectOldest();
    void TakeBackOldest();
    void EndTakenBack(TExtractJob& job);
    void CollectAll();
    // Takes the oldest entry off the lists of entries in flight.
    void PopInFlight();
    // After a failure: waits for the entries in flight and deletes what they wrote, with no
    // events; they were started but not finished.
    void AbandonAll();
    // After Error ended the run: unless it came from taking an entry back (its data or its end
    // events), the entries in flight all come before the one that failed, so they end first as
    // they would have without workers; what stays in flight is abandoned; then the workers
    // end. The failure to raise: an entry's own failure met while ending them wins, as it
    // would have come first.
    std::exception_ptr EndWorkersAfterFailure(std::exception_ptr error);
    // Removes again the folders made for entries that were abandoned (those still empty).
    void RemoveAbandonedFolders();
    // Finishes the entries in flight first when one writes FName.
    void FinishIfInFlight(const AnsiString& fName);
    // Ends every entry in flight, keeping the current entry's header.
    void FinishInFlight();

    TArcUnZip& FOwner;
    const bool FTestOnly;
    TEntryInput FInput;
    TEntryOutput FOutput;
    TEntryFileOptions FFileOptions;
    int64_t FTotalBytes = 0;
    int64_t FTotalDone = 0;
    int64_t FEntryReported = 0;         // bytes of the current entry in progress events so far
    int FFilesToDo = 0;
    int FFilesDone = 0;
    int FWorkerCount;
    bool FRetryEntry = false;
    bool FSkipRetry = false;
    AnsiString FCandidate;
    TPumpClock::time_point FLastPump;
    int64_t FArchiveSize = -1;          // of an archive in one file, for the run
    std::vector<uint8_t> FSkipBuffer;   // local name and extra field, read past
    AnsiString FKnownFolder;            // the folder of the last file written

    AnsiString FWorkerZipName;                          // the archive the workers read
    std::deque<std::shared_ptr<TExtractJob>> FInFlight;  // archive order
    std::unordered_map<AnsiString, int> FInFlightNames;  // their names, folded: how many of each
    bool FCollectFailed = false;                        // taking an entry back raised
    bool FEndingRun = false;                            // a failure ends the run: no cancel looked at
    std::vector<AnsiString> FAbandonedFolders;          // made after an entry that failed, outermost first
    std::vector<std::unique_ptr<TWorkerState>> FWorkerStates;
    std::unique_ptr<TExtractWorkers> FWorkers;           // last: its threads end first
};
