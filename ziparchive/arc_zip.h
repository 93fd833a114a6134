// TArcZip: the archive writer component. It derives from the reader TArcUnZip and shares
// its archive name, file list, root folder, relative paths, password, sort mode, message
// pumping and events; it adds the compression level, the path storing rules, the
// multi-part settings, the exclude and no-compress lists and the writer's events.
// A caller sets the properties and calls Zip; the whole run happens inside that call.
//
// Files: arc_zip.cpp (the component: defaults, copying, coupled setters), zip_file_list.cpp
// (file list expansion and stored names), zip_run.cpp (one run: output, directory, end
// record, putting the archive in place), zip_entry_writer.cpp (one entry: headers, data,
// encryption), zip_update.cpp (merging an existing archive's entries), zip_multipart.cpp
// (spanned disks and part files, the ".zfc" directory copy).
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ziparchive/arc_unzip.h"
#include "ziparchive/buffered_stream.h"
#include "ziparchive/multi_zip_info.h"
#include "ziparchive/stored_path.h"

class TRawDeflater;
struct TPrefetchedEntry;

enum TZipAction : uint8_t { zaUpdate = 0, zaReplace = 1, zaFreshen = 2 };
enum TUpdateAction : uint8_t { uaReplacing = 0, uaKeeping = 1 };

// Events: the first argument is the sender; an unassigned event means the default behaviour.
using TStartZipInfo = std::function<void(TObject* sender, int numFiles, int64_t totalBytes,
                                         TEndCentral& endCentralRecord, bool& stopNow)>;
using TStartZipEvent =
    std::function<void(TObject* sender, const AnsiString& fName, TZipHeaderInfo& zipHeader, bool& skip)>;
using TEndZipFileEvent = std::function<void(TObject* sender, const AnsiString& fName, int64_t uncompressedSize,
                                            int64_t compressedSize, int64_t currentZipSize)>;
using TZipComplete = std::function<void(TObject* sender, int fileCount)>;
using TNoSuchFileEvent = std::function<void(TObject* sender, const AnsiString& fName)>;
using TOnRecursingFile = std::function<void(TObject* sender, const AnsiString& fName)>;
using TDisposeEvent = std::function<void(TObject* sender, const AnsiString& fName, bool& skip)>;
using TDeleteEvent = std::function<void(TObject* sender, const AnsiString& fName, bool& skip)>;
using TUpdateEvent = std::function<void(TObject* sender, TUpdateAction udAction, int fileIndex)>;
using TPrepareNextDisk = std::function<void(TObject* sender, int diskNum)>;
using TEncryptEvent = std::function<void(TObject* sender, uint8_t* buffer, int length, const AnsiString& password)>;
using TOnStartSpanCopy = std::function<void(TObject* sender, const AnsiString& fName, int64_t fileSize)>;
using TOnGetNextStreamEvent = std::function<void(TObject* sender, TStream*& stream, AnsiString& nextFileName)>;

class TArcZip : public TArcUnZip {
public:
    // The search attribute bits behind the four Include properties.
    static constexpr uint32_t kReadOnlyBit = 0x01;
    static constexpr uint32_t kHiddenBit = 0x02;
    static constexpr uint32_t kSysFileBit = 0x04;
    static constexpr uint32_t kArchiveBit = 0x20;
    // Message id of a source file whose size changed while it was zipped.
    static constexpr int kMsgFileChanged = 208;
    // With a password, files up to this size are read once into memory (the CRC goes into
    // the encryption header before the data); larger ones are read twice.
    static constexpr int64_t kWholeReadLimit = 4 << 20;

    explicit TArcZip(TComponent* owner);
    ~TArcZip() override;
    const char* ClassName() const override { return "TArcZip"; }

    void Assign(TPersistent* source) override;
    void Loaded() override;

    // Writes the archive; the number of entries zipped (new ones and replacements; entries
    // kept from an existing ZipName are not counted). An existing archive is merged per
    // ZipAction and replaced once the new one is complete. With MultiMode mmBlocks or
    // mmSpan the archive is written across part files or disks (no merging then).
    int Zip();

    // ---- published configuration ----------------------------------------------------
    void SetZipName(const AnsiString& value) override;
    int GetPackLevel() const { return FPackLevel; }
    void SetPackLevel(int v) { FPackLevel = v; }
    bool GetRecurse() const { return FRecurse; }
    void SetRecurse(bool v) { FRecurse = v; }
    bool GetDispose() const { return FDispose; }
    void SetDispose(bool v) { FDispose = v; }
    bool GetStorePaths() const { return FStorePaths; }
    void SetStorePaths(bool v);         // False also clears StoreVolumes and RelativePaths
    bool GetRelativePaths() const { return FRelativePaths; }
    void SetRelativePaths(bool v);      // True also sets StorePaths and Recurse
    bool GetStoreVolumes() const { return FStoreVolumes; }
    void SetStoreVolumes(bool v);       // True also sets StorePaths
    TZipAction GetZipAction() const { return FZipAction; }
    void SetZipAction(TZipAction v) { FZipAction = v; }
    TMultiZipInfo* GetMultiZipInfo() const { return FMultiZipInfo.get(); }
    void SetMultiZipInfo(TMultiZipInfo* v) { FMultiZipInfo->Assign(v); }
    bool GetStore83Names() const { return FStore83Names; }
    void SetStore83Names(bool v) { FStore83Names = v; }
    const AnsiString& GetTempPath() const { return FTempPath; }
    void SetTempPath(const AnsiString& v) { FTempPath = v; }
    bool GetSkipIfArchiveBitNotSet() const { return FSkipIfArchiveBitNotSet; }
    void SetSkipIfArchiveBitNotSet(bool v) { FSkipIfArchiveBitNotSet = v; }
    bool GetResetArchiveBitOnZip() const { return FResetArchiveBitOnZip; }
    void SetResetArchiveBitOnZip(bool v) { FResetArchiveBitOnZip = v; }
    TStrings* GetExcludeList() const { return FExcludeList.get(); }
    void SetExcludeList(TStrings* v) { FExcludeList->Assign(v); }
    TStrings* GetNoCompressList() const { return FNoCompressList.get(); }
    void SetNoCompressList(TStrings* v) { FNoCompressList->Assign(v); }
    bool GetAddDirEntriesOnRecurse() const { return FAddDirEntriesOnRecurse; }
    void SetAddDirEntriesOnRecurse(bool v) { FAddDirEntriesOnRecurse = v; }
    bool GetIncludeHiddenFiles() const { return (FSearchAttributes & kHiddenBit) != 0; }
    void SetIncludeHiddenFiles(bool v) { SetSearchBit(kHiddenBit, v); }
    bool GetIncludeSysFiles() const { return (FSearchAttributes & kSysFileBit) != 0; }
    void SetIncludeSysFiles(bool v) { SetSearchBit(kSysFileBit, v); }
    bool GetIncludeReadOnlyFiles() const { return (FSearchAttributes & kReadOnlyBit) != 0; }
    void SetIncludeReadOnlyFiles(bool v) { SetSearchBit(kReadOnlyBit, v); }
    bool GetIncludeArchiveFiles() const { return (FSearchAttributes & kArchiveBit) != 0; }
    void SetIncludeArchiveFiles(bool v) { SetSearchBit(kArchiveBit, v); }

    // The multi-part properties of the reader live in MultiZipInfo.
    bool GetCheckDiskLabels() const override;
    void SetCheckDiskLabels(bool v) override;
    TMultiMode GetMultiMode() const override;
    void SetMultiMode(TMultiMode v) override;

    TStartZipInfo OnStartZipInfo;
    TStartZipEvent OnStartZip;
    TEndZipFileEvent OnEndZip;
    TZipComplete OnZipComplete;
    TNoSuchFileEvent OnNoSuchFile;
    TOnRecursingFile OnRecursingFile;
    TDisposeEvent OnDisposeFile;
    TDeleteEvent OnDeleteEntry;
    TUpdateEvent OnUpdate;
    TPrepareNextDisk OnPrepareNextDisk;
    TEncryptEvent OnEncrypt;
    TOnStartSpanCopy OnStartSpanCopy;
    TOnGetNextStreamEvent OnGetNextStream;

    // ---- unpublished state ------------------------------------------------------------
    uint32_t GetSearchAttributes() const { return FSearchAttributes; }
    void SetSearchAttributes(uint32_t v) { FSearchAttributes = v; }
    uint32_t SourceOpenMode = fmOpenRead | fmShareDenyNone;
    int64_t GetTotalBytes() const { return FTotalBytes; }
    // Worker threads that read and compress files ahead of the calling thread, which still
    // raises every event and writes the archive in order: 0 means one per core, at most
    // kMaxWorkerThreads; 1 means none (the calling thread does everything). The archive's
    // bytes do not depend on it.
    int GetWorkerThreads() const { return FWorkerThreads; }
    void SetWorkerThreads(int v) { FWorkerThreads = v < 0 ? 0 : v; }
    static constexpr int kMaxWorkerThreads = 8;
    // Memory the workers may hold at once (file contents and their compressed bytes), and
    // the largest file they take: a larger one is zipped by the calling thread as it reads.
    static constexpr uint64_t kWorkerMemory = 64u << 20;
    static constexpr int64_t kWorkerChunkLimit = 16 << 20;

    // ---- file list expansion and stored names (zip_file_list.cpp) -----------------------
    // Turns FilesList (names, folder entries ending in "\", wildcard patterns) into the
    // concrete files to zip, firing the skip events and summing TotalBytes.
    void ExpandFilesList();
    bool IsExcluded(const AnsiString& path) const;
    bool IsNoCompress(const AnsiString& path) const;
    // The directory under which Path is stored (and an existing entry is looked up).
    AnsiString BuildStoredPath(const AnsiString& path) const;
    // The stored directory and file name of Path ("\" separated).
    void MakeStoredName(const AnsiString& path, AnsiString& directory, AnsiString& fileName) const;

    // ---- updating (zip_update.cpp) ------------------------------------------------------------
    // Whether the file at Path would be stored under the current entry's name.
    bool EntryMatchesPath(const AnsiString& path) const;

    // ---- multi-part (zip_multipart.cpp) -------------------------------------------------------
    // Free bytes of the drive of ZipName; tests replace it to stand in for small disks.
    virtual int64_t FreeSpaceOfZipDrive();
    // Bytes per cluster of a drive root such as "A:\"; raises when the system cannot tell.
    virtual int64_t GetClusterSize(const AnsiString& root);
    // The capacity left on the current disk or part.
    int64_t RoomLeft() const;
    // Writes the new directory and end record to FileName (the ".zfc" copy of the directory);
    // EConfigFileSaveError when it cannot, and no partial file is left.
    void SaveZipConfiguration(const AnsiString& fileName);
    // The most disks or parts a set may have (the readers' limit).
    static constexpr uint32_t kMaxParts = 999;

protected:
    // ---- one run (zip_run.cpp) ------------------------------------------------------------
    int ProcessFiles();
    void OpenOutput();
    // The stream the archive is written through; tests replace it.
    virtual std::unique_ptr<TS_BufferStream> CreateOutputStream(const AnsiString& fileName);
    void WriteCentralDirectory();
    // The folder for temporary files: TempPath when it exists, else the system's.
    AnsiString TempFolder() const;
    void WriteEndRecord();
    // Flushes and closes the output (the current disk or part) and checks that the file
    // holds every byte written.
    void CloseOutput();
    // Puts a complete temporary archive in place of ZipName.
    void FinishZip();
    // Makes the new entries and end record the reader's directory.
    void AdoptNewDirectory();
    void DisposeFiles();

    // ---- updating (zip_update.cpp) ----------------------------------------------------------
    // Walks the old archive's entries in order: each is replaced by its file or kept; the
    // number of entries zipped anew.
    int MergeExistingEntries();
    // Copies the current old entry unchanged (its local header as stored, its data).
    void KeepEntry();
    // The file percentage runs from PercentDone to PercentDone + Count of PercentWhole
    // (0: of Count).
    void CopyBlocks(TStream* source, TStream* dest, int64_t count, int64_t percentDone = 0,
                    int64_t percentWhole = 0);
    // Reads the old archive's directory for merging; refuses a split archive.
    void ReadOldDirectory();

    // ---- multi-part (zip_multipart.cpp) -----------------------------------------------------
    void CheckMultiPartSettings() const;
    // Names and opens the first disk or part and sets its room.
    void OpenFirstVolume();
    void NextVolume();
    void WriteDiskLabel();
    // Makes sure Count bytes fit on the current disk or part, moving on when they do not.
    void EnsureRoom(int64_t count);
    // Copies the current entry's data (of the file at Path) from its temporary file onto
    // the disks or parts.
    void SpanCopy(const AnsiString& path);
    // Writes a record assembled in memory, moving to the next volume first when it does not fit.
    void WriteRecord(const std::string& bytes);
    // The last part's final name (mmBlocks), the ".zfc" file and the part count.
    void FinishMultiPart();
    // With SaveZipInfoOnFirstDisk, the ".zfc" copy of a directory that spans disks.
    void SaveConfigurationIfAsked();
    // Opens File as the current disk or part.
    void OpenVolumeFile(const AnsiString& fileName);
    // Writes the current entry's local header where it fits (the next volume if need be).
    void PlaceLocalHeader();
    bool MultiPart() const { return GetMultiMode() != mmNone; }

    // The seed of the encryption headers' random bytes, taken once per run; tests replace it.
    virtual uint32_t EncryptionSeed();
    // Opens a source file for reading with SourceOpenMode. The worker threads call it too:
    // an override must be safe to call from several threads at once.
    virtual std::unique_ptr<TLFNFileStream> OpenSourceFile(const AnsiString& path, int32_t bufferSize) const;
    // Zips FilesList in order, each file through ZipOneFile, with workers reading and
    // compressing ahead when the run allows them; the number of entries written.
    int ZipListedFiles();

    // ---- one entry (zip_entry_writer.cpp) -------------------------------------------------
    // Ready: the file as a worker read and compressed it (null: the calling thread reads it).
    bool ZipOneFile(const AnsiString& path, TPrefetchedEntry* ready = nullptr);
    int64_t StoreEntry();
    int64_t DeflateEntry();
    int32_t ReadEntryData(void* buffer, int32_t count);
    void WriteEntryData(void* buffer, int32_t count);
    void PrecomputeCrc();
    void WriteEncryptionHeader(const AnsiString& password);
    // One random byte of an encryption header from the run's generator.
    static uint8_t EncryptionHeaderByte(std::mt19937& random);
    void ClearArchiveBit(const AnsiString& path);
    // Whether an entry of this size (at open) gets the zip64 block in its local header. It is
    // decided before the first write of the header, so that the header keeps its length
    // when it is written again with the final values.
    virtual bool NeedsLocalZip64(int64_t sizeAtOpen) const;

private:
    enum TEntryResult { erWritten, erSkipped, erChanged };

    void SetSearchBit(uint32_t bit, bool on);
    TStoredPathRules PathRules() const;
    // Freshening: whether the reader's directory holds an entry for Path.
    bool InArchiveDirectory(const AnsiString& path) const;
    bool KeepExpandedName(const AnsiString& name);
    bool IsRunOwnFile(const AnsiString& name) const;
    void CountNameLength(const AnsiString& name);
    void ExpandPattern(AnsiString pattern);
    void CheckCancel();

    bool ZipFolderEntry(const AnsiString& path);
    TEntryResult ZipFileEntry(const AnsiString& path, TPrefetchedEntry* ready);
    // Whether a worker's result can stand for the file as the calling thread would zip it now.
    bool UsablePrefetch(const AnsiString& path, const TPrefetchedEntry& ready) const;
    // The entry's data from a worker's result: the reads' progress events and the writes in
    // the order the calling thread's own loops would have made them.
    int64_t ReplayPrefetched(TPrefetchedEntry& ready);
    // Progress of N more source bytes read for the current entry.
    void CountEntryRead(int32_t n);
    bool OpenSource(const AnsiString& path);
    bool EntryAccepted(const AnsiString& path, int64_t size);
    void SetEntrySizes(int64_t uncompressedSize, int64_t compressedSize);
    // The method, CRC, flags and sizes of an entry a worker read and compressed.
    void SetFinalFields(const TPrefetchedEntry& ready, bool encrypted);
    void RewriteLocalHeader(int64_t headerLength);
    void DropEntryOutput();
    // Multi-part: the local header (once, with the final values) and the data onto the parts.
    void PlaceSpannedEntry(const AnsiString& path);
    void RemoveEntryTemp();
    uint8_t* DataBuffer(size_t size);
    void ReportFileChanged(const AnsiString& path);

    void RemoveRunFiles();
    // An entry key (lower-cased stored name) for the update look-ups.
    AnsiString StoredKey(const AnsiString& path) const;

    int FPackLevel = 6;
    bool FRecurse = false;
    bool FDispose = false;
    bool FStorePaths = false;
    bool FRelativePaths = false;
    bool FStoreVolumes = false;
    TZipAction FZipAction = zaUpdate;
    std::unique_ptr<TMultiZipInfo> FMultiZipInfo;
    bool FStore83Names = false;
    AnsiString FTempPath;
    bool FSkipIfArchiveBitNotSet = false;
    bool FResetArchiveBitOnZip = false;
    std::unique_ptr<TStringList> FExcludeList;
    std::unique_ptr<TStringList> FNoCompressList;
    bool FAddDirEntriesOnRecurse = false;
    uint32_t FSearchAttributes = 0x3F;
    int FWorkerThreads = 0;

    // State of one run.
    std::unique_ptr<TS_BufferStream> FOutputStream;
    TStream* FDataOut = nullptr;     // where entry data goes: the output or the entry's temporary file
    AnsiString FOutputFileName;
    bool FOutputCreated = false;     // this run made FOutputFileName: a failure deletes it
    AnsiString FFinishFileName;      // the copy made beside ZipName when the temporary folder is elsewhere
    std::unique_ptr<TLFNFileStream> FSourceStream;
    std::unique_ptr<TSortedZip> FNewEntriesByName;   // not owning
    std::unique_ptr<TSortedZip> FNewEntries;         // owning, archive order
    std::unique_ptr<TEndCentral> FNewEndCentral;
    std::unique_ptr<TZipHeaderInfo> FEntryHeader;
    std::unique_ptr<TStringList> FDisposeList;
    bool FWorkingOnTemp = false;
    int64_t FBytesDone = 0;          // of the run, for the total percentage
    int64_t FEntryBytesDone = 0;     // of the current entry
    int64_t FEntryReadLimit = 0;     // the current entry never reads beyond this
    int64_t FEntrySizeAtOpen = 0;
    bool FEntryZip64 = false;
    std::mt19937 FRandom;            // encryption header bytes; seeded once per run
    // Kept for the whole run: one Deflate state (reset per entry) and the data buffers.
    std::unique_ptr<TRawDeflater> FDeflater;
    std::vector<uint8_t> FDataBuffer;
    std::vector<uint8_t> FDeflateOutput;
    std::vector<uint8_t> FSnapshot;  // the whole of a small source file
    bool FFromSnapshot = false;
    TPrefetchedEntry* FEntryReady = nullptr;   // the worker's result for the current entry
    bool FEntryPreEncrypted = false;           // its data is cipher text already
    AnsiString FPrefetchPassword;              // the password the workers encrypt with
    bool FSourceGrew = false;
    std::chrono::steady_clock::time_point FLastPump;

    // Multi-part state of one run.
    int64_t FVolumeRoom = 0;                      // capacity of the current disk or part
    int64_t FNameLengthSum = 0;                   // average stored-name length, for the reserve
    std::unique_ptr<TS_BufferStream> FEntryTemp;  // the current entry's data, before the copy
    AnsiString FEntryTempName;
    std::vector<AnsiString> FPartNames;           // parts written by this run (mmBlocks)
    AnsiString FLastDiskName;                     // mmSpan: the disk written last, and its volume
    uint32_t FLastDiskSerial = 0;
    bool FLastDiskSerialKnown = false;
};
