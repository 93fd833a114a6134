// One extraction run of the reader component: opening the archive, selecting entries, the
// loop over the entries with the per-entry extraction (destination path, password check,
// overwrite rule, output file, decompression, CRC and size check, date and attributes),
// and the clean-up. TArcUnZip::UnZip runs one; a test of an archive runs one that decodes
// and checks every entry but writes nothing.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ziparchive/arc_unzip.h"
#include "ziparchive/buffered_stream.h"
#include "ziparchive/pump_throttle.h"
#include "zipextract/entry_input.h"
#include "zipextract/entry_output.h"

// Total + Size for the run's byte totals: declared sizes come from the archive (zip64 ones up
// to 2^64 - 1), so the sum stops at the largest value and a negative size counts as 0.
int64_t AddDeclaredSize(int64_t total, int64_t size);

class TUnZipRun {
public:
    // TestOnly: nothing is written, no folder is created, no existing file is looked at.
    TUnZipRun(TArcUnZip& owner, bool testOnly);
    TUnZipRun(const TUnZipRun&) = delete;
    TUnZipRun& operator=(const TUnZipRun&) = delete;

    // Extracts (or tests) the selected entries of ZipName; the number of entries done.
    int UnZip();

    // Told once for every entry that failed or was refused, with a one-line reason
    // (besides the component's own events).
    std::function<void(int index, const AnsiString& reason)> OnEntryFailed;

    // Counters of the run.
    int FilesToDo() const { return FFilesToDo; }
    int FilesDone() const { return FFilesDone; }
    int64_t TotalBytes() const { return FTotalBytes; }
    int64_t TotalDone() const { return FOutput.RunWritten(); }

private:
    // What went wrong with an entry's data.
    enum TDataFailure { dfNone, dfCorrupt, dfEndsEarly, dfTooLong, dfUnknownMethod };

    void OpenForUnZip();
    int UnZipFiles();
    void SelectEntries();
    void UnZipOneFile(int index);

    // Steps of one entry (entry_extraction.cpp).
    // Finds the entry's local header and the start of its data.
    enum TLocalHeader { lhFound, lhMissing, lhOtherName };
    TLocalHeader LocateEntryData(int64_t& dataStart);
    TStream* SeekArchive(int64_t position);
    enum TPasswordResult { pwAccepted, pwSkipped, pwDamaged };
    TPasswordResult CheckPassword(int index, int64_t dataStart);
    bool OverwriteAllowed(int index, AnsiString& fName);
    std::unique_ptr<TLFNFileStream> CreateOutput(int index, const AnsiString& fName);
    TDataFailure Decompress(TStream* target, int64_t dataStart);
    // Flushes and closes the output; a kept file gets its date and attributes first, a
    // file not kept is deleted. A failed flush deletes the file and raises ECantWriteUCF.
    void CloseOutput(std::unique_ptr<TLFNFileStream>& out, const AnsiString& fName, bool keep);
    void ReportDataFailure(int index, TDataFailure failure);
    // An entry whose data cannot be decoded at all: OnBadCRC, and out of the totals.
    void DamagedEntry(int index, uint32_t calcCrc, const AnsiString& why);
    void Skip(int index, TSkipReason reason, const AnsiString& name, const AnsiString& why);
    void SkipEntryTotals();
    void EntryFailed(int index, const AnsiString& why);
    void PumpMessages();
    TStream* NextDisk();

    TArcUnZip& FOwner;
    const bool FTestOnly;
    TEntryInput FInput;
    TEntryOutput FOutput;
    int64_t FTotalBytes = 0;
    int FFilesToDo = 0;
    int FFilesDone = 0;
    bool FRetryEntry = false;
    bool FSkipRetry = false;
    AnsiString FCandidate;
    AnsiString FCorruptReason;          // the decoder's own words for the last corrupt entry
    TPumpClock::time_point FLastPump;
    int64_t FArchiveSize = -1;          // of an archive in one file, for the run
    std::vector<uint8_t> FSkipBuffer;   // local name and extra field, read past
    AnsiString FKnownFolder;            // the folder of the last file written
};
