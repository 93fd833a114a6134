// One run of the writer: the output, the entries, the central directory and the end
// record, and putting the finished archive in place. A run that fails leaves no file of
// its own behind: neither a partial archive nor a temporary file.
#include <atomic>
#include <chrono>

#include "ziparchive/arc_zip.h"
#include "ziparchive/archive_output_stream.h"
#include "ziparchive/entry_prefetch.h"
#include "ziparchive/file_utils.h"
#include "ziparchive/parallel_pipeline.h"
#include "ziparchive/pump_throttle.h"
#include "ziparchive/raw_deflater.h"
#include "ziparchive/record_buffer.h"
#include "ziparchive/writer_platform.h"

namespace {
AnsiString CopyFailure(const AnsiString& source, const AnsiString& dest) {
    return ArcLoadStr(msgError) + ": " + ArcLoadStr(msgCouldNotCopy) + source + " -> " + dest;
}

// Once per run: entries written within one clock tick must not share header bytes. The
// clock, the component's address and a run counter are mixed (splitmix64); the system's
// random source is not asked: under Wine its first use starts a driver host.
uint32_t RunSeed(const void* component) {
    static std::atomic<uint64_t> runs{0};
    uint64_t x = static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    x ^= reinterpret_cast<uintptr_t>(component) + (++runs << 32);
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>(x ^ (x >> 31));
}
}  // namespace

int TArcZip::Zip() {
    struct TBusy {
        TArcZip& Self;
        bool Old;
        ~TBusy() { Self.ExchangeBusyFlag(Old); }
    } busy{*this, ExchangeBusyFlag(true)};
    const int count = ProcessFiles();
    if (OnZipComplete) OnZipComplete(this, count);
    return count;
}

int TArcZip::ProcessFiles() {
    int count = 0;
    FCancel = false;
    FPause = false;
    if (!FFilesList || Trim(FZipName).empty()) return 0;

    // Put back whatever happens: the flags, the sort mode and KeepZipOpen; the run's own
    // lists go and FilesList is emptied.
    struct TRunScope {
        TArcZip& Self;
        bool Busy, Reading, KeepOpen;
        TZipSortMode Sort;
        ~TRunScope() {
            Self.FKeepZipOpen = KeepOpen;
            Self.FSourceStream.reset();
            Self.FOutputStream.reset();
            Self.FEntryHeader.reset();
            Self.FNewEntriesByName.reset();
            Self.FNewEntries.reset();
            Self.FNewEndCentral.reset();
            Self.FDisposeList.reset();
            Self.FDeflater.reset();
            Self.FEntryTemp.reset();
            Self.FPartNames.clear();
            Self.FDataBuffer = std::vector<uint8_t>();
            Self.FDeflateOutput = std::vector<uint8_t>();
            Self.FSnapshot = std::vector<uint8_t>();
            try {
                Self.SortEntries(Sort);
            } catch (...) {
                Self.FSortMode = Sort;
            }
            Self.CloseZip();
            Self.ExchangeBusyFlag(Busy);
            Self.ExchangeUnzipFlag(Reading);
            Self.FFilesList->Clear();
        }
    } scope{*this, ExchangeBusyFlag(true), ExchangeUnzipFlag(false), FKeepZipOpen, FSortMode};
    // Refused settings end the run as any failure does: the list is emptied all the same.
    if (MultiPart()) CheckMultiPartSettings();

    FCurrentDisk = 0;
    FKeepZipOpen = true;
    SortEntries(ByNone);
    FRandom.seed(EncryptionSeed());
    FLastPump = TPumpClock::time_point();   // the run's first check pumps at once
    FWorkingOnTemp = false;
    FOutputCreated = false;
    FFinishFileName.clear();
    if (FDispose) FDisposeList = std::make_unique<TStringList>();
    // The new end record exists from the start: OnStartZipInfo hands it out. An archive
    // that is replaced keeps its comment, as does a comment set for it. The comment of a
    // directory held from before is only what the handler sees: the archive may have
    // changed on disk since, and its comment is taken once it is read again (below).
    FNewEndCentral = std::make_unique<TEndCentral>();
    const bool replacing = !MultiPart() && FileExists(FZipName);
    const bool commentSet = FEndRecord->FModified;
    if (replacing && FPhysicalList && FEndRecord->HasComment() && !FEndRecord->CommentLoaded()) ZipComment();
    if (FEndRecord->CommentLoaded() && (commentSet || replacing))
        FNewEndCentral->SetComment(FEndRecord->GetComment());
    const AnsiString heldComment = FNewEndCentral->HasComment() ? FNewEndCentral->GetComment() : AnsiString();

    try {
        if (FFilesList->Count() > 0) ExpandFilesList();
        if (FFilesList->Count() > 0 && OnStartZipInfo) {
            bool stopNow = false;
            OnStartZipInfo(this, FFilesList->Count(), FTotalBytes, *FNewEndCentral, stopNow);
            if (stopNow) throw EUserCanceled(msgCanceledZip);
        }

        if (MultiPart() || !FileExists(FZipName)) {
            FOutputFileName = FZipName;
            OpenOutput();
        } else {
            // The old archive stays untouched until the new one is complete: its entries
            // are merged into a temporary file that then takes its place.
            FWorkingOnTemp = true;
            FOutputFileName = MakeTempFileName(TempFolder());
            if (FOutputFileName.empty()) throw EFCreateError("Cannot create a temporary file in \"" + TempFolder() + "\"");
            FOutputCreated = true;
            OpenOutput();
            ReadOldDirectory();
            // The archive's comment as it is now, unless one was set for the new archive,
            // before the run or by OnStartZipInfo.
            const AnsiString handed = FNewEndCentral->HasComment() ? FNewEndCentral->GetComment() : AnsiString();
            if (!commentSet && handed == heldComment)
                FNewEndCentral->SetComment(FEndRecord->HasComment() ? ZipComment() : AnsiString());
            count += MergeExistingEntries();
        }

        count += ZipListedFiles();

        WriteCentralDirectory();
        WriteEndRecord();
        CloseOutput();
        if (FWorkingOnTemp) {
            ForgetDirectory();   // closes the old archive before it is replaced
            FinishZip();
        }
        if (MultiPart()) FinishMultiPart();
    } catch (...) {
        RemoveRunFiles();
        throw;
    }

    AdoptNewDirectory();
    if (FDisposeList) DisposeFiles();
    if (OnTotalPercentDone) OnTotalPercentDone(this, 100);
    // The archive is complete: a directory copy that cannot be saved does not undo it.
    if (MultiPart()) SaveConfigurationIfAsked();
    return count;
}

uint32_t TArcZip::EncryptionSeed() { return RunSeed(this); }

int TArcZip::ZipListedFiles() {
    const int n = FFilesList->Count();
    std::vector<AnsiString> paths;
    paths.reserve(static_cast<size_t>(n > 0 ? n : 0));
    for (int i = 0; i < n; ++i) paths.push_back(FFilesList->Get(i));

    // Workers take the files' reading and compressing off this thread; multi-part runs
    // move entries across disks as they are written and keep to this thread.
    const unsigned threads = FWorkerThreads == 0 ? TOrderedPipeline::DefaultThreads(kMaxWorkerThreads)
                                                 : static_cast<unsigned>(FWorkerThreads);
    std::vector<TPrefetchedEntry> prefetched;
    std::atomic<int> level{FPackLevel};
    std::unique_ptr<TDeflaterPool> deflaters;
    // Declared before the pipeline: on a failure its workers still run until it is gone.
    TPrefetchSettings settings;
    std::unique_ptr<TOrderedPipeline> pipeline;
    if (threads > 1 && !MultiPart() && paths.size() > 1) {
        prefetched.resize(paths.size());
        deflaters = std::make_unique<TDeflaterPool>();
        std::vector<uint8_t> noCompress(paths.size());
        for (size_t i = 0; i < paths.size(); ++i) noCompress[i] = IsNoCompress(paths[i]);
        settings.Deflaters = deflaters.get();
        settings.Level = &level;
        settings.WholeReadLimit = kWholeReadLimit;
        settings.ChunkLimit = kWorkerChunkLimit;
        settings.Encrypted = !Password.empty();
        if (settings.Encrypted && !OnEncrypt) {
            // The header bytes each file gets when every file before it is written: the
            // generator's draws continue in order, one header per file (folders draw none).
            // Where a file is left out or retried, the calling thread sees other bytes
            // and encrypts itself.
            std::mt19937 ahead = FRandom;
            settings.Password = Password;
            settings.HeaderRandom.resize(paths.size() * (kEncryptionHeaderSize - 2));
            for (size_t i = 0; i < paths.size(); ++i)
                if (!EndsWithChar(paths[i], '\\'))
                    for (int b = 0; b < kEncryptionHeaderSize - 2; ++b)
                        settings.HeaderRandom[i * (kEncryptionHeaderSize - 2) + static_cast<size_t>(b)] =
                            EncryptionHeaderByte(ahead);
        }
        settings.DeflateBufferSize = 0xFFFF;
        settings.StoreBufferSize = 0x8000;
        settings.OpenSource = [this](const AnsiString& path) { return OpenSourceFile(path, 256 << 10); };
        pipeline = std::make_unique<TOrderedPipeline>(
            paths.size(), threads, 64u * threads, kWorkerMemory,
            [&paths, &prefetched, &settings, noCompress = std::move(noCompress)](size_t i, TOrderedPipeline& p) {
                if (EndsWithChar(paths[i], '\\')) return;   // folders are the calling thread's
                PrefetchEntry(paths[i], i, noCompress[i] != 0, settings, p, prefetched[i]);
            });
    }

    int count = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        const AnsiString& path = paths[i];
        TPrefetchedEntry* ready = nullptr;
        if (pipeline) {
            pipeline->WaitFor(i);
            ready = &prefetched[i];
        }
        FEntryHeader = std::make_unique<TZipHeaderInfo>();
        FEntryHeader->OEMConvert = FOEMConvert;
        FPrefetchPassword = settings.Password;
        const bool written = ZipOneFile(path, ready);
        // A level that OnStartZip set stays in force: the files not yet taken are packed at it.
        level.store(FPackLevel, std::memory_order_relaxed);
        if (pipeline) {
            prefetched[i] = TPrefetchedEntry();
            pipeline->Release(i);
        }
        if (!written) {
            FEntryHeader.reset();
            continue;
        }
        TZipHeaderInfo* h = FEntryHeader.release();
        FNewEntries->Add(h);
        FNewEntriesByName->Add(h);
        ++count;
        FNewEndCentral->SetTotalEntries(FNewEndCentral->GetTotalEntries() + 1);
        FNewEndCentral->SetEntriesThisDisk(FNewEndCentral->GetEntriesThisDisk() + 1);
        if (FDisposeList) FDisposeList->Add(path);
    }
    return count;
}

std::unique_ptr<TS_BufferStream> TArcZip::CreateOutputStream(const AnsiString& fileName) {
    return std::make_unique<TArchiveOutputStream>(fileName, FBufferSize, FFlushFilesOnClose);
}

AnsiString TArcZip::TempFolder() const {
    return DirExists(FTempPath) ? FTempPath : writer_platform::SystemTempDir();
}

void TArcZip::OpenOutput() {
    if (MultiPart()) {
        OpenFirstVolume();
    } else {
        FOutputStream = CreateOutputStream(FOutputFileName);
        FOutputCreated = true;
    }
    FDataOut = FOutputStream.get();
    const int32_t room = FFilesList->Count() + EntryCount();
    FNewEntriesByName = std::make_unique<TSortedZip>(dupAccept);
    FNewEntriesByName->SortMode = ByName;
    FNewEntriesByName->SetOwnsObjects(false);
    FNewEntriesByName->SetItemCapacity(room);
    FNewEntries = std::make_unique<TSortedZip>(dupAccept);
    FNewEntries->SortMode = ByNone;
    FNewEntries->SetItemCapacity(room);
    FNewEndCentral->SetTotalEntries(0);
    FNewEndCentral->SetEntriesThisDisk(0);
    FNewEndCentral->FModified = false;
}

void TArcZip::WriteCentralDirectory() {
    TStream* oldArchive = FWorkingOnTemp ? FArchiveStream.get() : nullptr;
    FNewEndCentral->SetCentralOffset(FOutputStream->GetPosition());
    FNewEndCentral->SetCentralStartDisk(FCurrentDisk);
    // Entries on this disk: the records on the disk that ends the directory.
    FNewEndCentral->SetEntriesThisDisk(0);
    uint64_t size = 0;
    for (int32_t i = 0; i < FNewEntries->GetCount(); ++i) {
        TZipHeaderInfo* h = FNewEntries->Header(i);
        TRecordBuffer record(0);
        h->WriteCentralHeader(&record, oldArchive);
        // A directory that does not fit goes on to the next part; when it starts there,
        // it starts at that part's beginning.
        if (MultiPart() && RoomLeft() < static_cast<int64_t>(record.Data.size())) {
            NextVolume();
            if (RoomLeft() < static_cast<int64_t>(record.Data.size())) throw ENotEnoughRoom(msgNotEnoughRoom);
            if (i == 0) {
                FNewEndCentral->SetCentralOffset(FOutputStream->GetPosition());
                FNewEndCentral->SetCentralStartDisk(FCurrentDisk);
            }
        }
        const int64_t pos = FOutputStream->GetPosition();
        WriteRecord(record.Data);
        h->CentralHeaderPosition = pos;
        // The new archive is now where this record's extra field is found again.
        h->CentralExtraPosition = pos + kCentralHeaderFixed + h->FileNameLength;
        h->StoredCentralExtraLength = h->CentralExtraLength;
        FNewEndCentral->SetEntriesThisDisk(FNewEndCentral->GetEntriesThisDisk() + 1);
        size += record.Data.size();
    }
    FNewEndCentral->SetCentralSize(size);
}

void TArcZip::WriteEndRecord() {
    auto assemble = [&]() {
        FNewEndCentral->SetThisDisk(FCurrentDisk);
        TRecordBuffer record(FOutputStream->GetPosition());
        FNewEndCentral->WriteEndCentral(&record);
        return record.Data;
    };
    std::string bytes = assemble();
    if (MultiPart() && RoomLeft() < static_cast<int64_t>(bytes.size())) {
        NextVolume();
        bytes = assemble();   // the records name the disk they stand on
        if (RoomLeft() < static_cast<int64_t>(bytes.size())) throw ENotEnoughRoom(msgNotEnoughRoom);
    }
    WriteRecord(bytes);
    FNewEndCentral->CommentPosition = FOutputStream->GetPosition() - FNewEndCentral->CommentLength;
    if (GetMultiMode() == mmSpan) WriteDiskLabel();
}

void TArcZip::WriteRecord(const std::string& bytes) {
    if (FOutputStream->Write(bytes.data(), static_cast<int32_t>(bytes.size())) != static_cast<int32_t>(bytes.size()))
        throw ENotEnoughRoom(msgNotEnoughRoom);
}

void TArcZip::CloseOutput() {
    const int64_t written = FOutputStream->GetPosition();
    try {
        FOutputStream->Flush();
    } catch (const EWriteError&) {
        // The last buffered bytes did not fit: the disk is full, as for any other write.
        throw ENotEnoughRoom(msgNotEnoughRoom);
    }
    FOutputStream.reset();
    if (FileSizeByName(FOutputFileName) != written) throw ENotEnoughRoom(msgNotEnoughRoom);
}

void TArcZip::FinishZip() {
    // The updated archive keeps the old one's permissions, whichever way it is put in place.
    if (writer_platform::ReplaceKeepingAccess(FOutputFileName, FZipName)) {
        FOutputCreated = false;
        return;
    }
    // The temporary folder lies on another volume: copy the archive beside ZipName first,
    // so that the step that replaces the old archive is a rename.
    const int64_t size = FileSizeByName(FOutputFileName);
    AnsiString dir = ExtractFilePath(FZipName);
    FFinishFileName = MakeTempFileName(dir.empty() ? AnsiString(".") : dir);
    if (FFinishFileName.empty()) throw EArcZipException(CopyFailure(FOutputFileName, FZipName));
    CopyFileByName(FOutputFileName, FFinishFileName);
    if (FileSizeByName(FFinishFileName) != size) throw ENotEnoughRoom(msgNotEnoughRoom);
    if (!writer_platform::ReplaceKeepingAccess(FFinishFileName, FZipName))
        throw EArcZipException(CopyFailure(FFinishFileName, FZipName));
    FFinishFileName.clear();
    RemoveFile(FOutputFileName);
    FOutputCreated = false;
}

void TArcZip::RemoveRunFiles() {
    FSourceStream.reset();
    FOutputStream.reset();
    RemoveEntryTemp();
    // Every part this run wrote goes (a spanned run can reach only the disk in the drive).
    for (const AnsiString& part : FPartNames)
        if (part != FOutputFileName) RemoveFile(part);
    FPartNames.clear();
    if (FOutputCreated) RemoveFile(FOutputFileName);
    if (!FFinishFileName.empty()) RemoveFile(FFinishFileName);
    FOutputCreated = false;
    FFinishFileName.clear();
}

void TArcZip::AdoptNewDirectory() {
    FArchiveStream.reset();
    FEndRecord.swap(FNewEndCentral);
    FEndRecord->FModified = false;
    FSortedView.reset();
    FPhysicalList = std::move(FNewEntries);
    FSortedList = FPhysicalList.get();
    FSortMode = ByNone;
    FRescanned = false;
    FNumberOfParts = FCurrentDisk + 1;
    // The new file's identity, so that the next OpenZip does not read it again.
    try {
        FArchiveStream = std::make_unique<TLFNFileStream>(FZipName, FBufferSize, false, fmOpenRead | fmShareDenyWrite);
        FArchiveDate = ArchiveFileDate(FArchiveStream.get(), &FArchiveStamp);
    } catch (const Exception&) {
        FArchiveDate = 0;
        FArchiveStamp = arc_platform::TFileStamp();
    }
}

void TArcZip::DisposeFiles() {
    for (int i = 0; i < FDisposeList->Count(); ++i) {
        const AnsiString path = FDisposeList->Get(i);
        bool skip = false;
        if (OnDisposeFile) OnDisposeFile(this, path, skip);
        if (!skip) RemoveFile(path);
    }
    FDisposeList.reset();
}
