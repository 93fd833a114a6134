// TArcUnZip: the archive reader component. It holds the reader's configuration (published
// properties as GetX/SetX over FX fields, events as OnX), reads an archive's directory into
// entry records, and carries the state shared with the traditional encryption, the
// extraction engine (zipextract/) and the writer TArcZip, which derives from it.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "classlib/classes.h"
#include "classlib/date_time.h"
#include "ziparchive/arc_exceptions.h"
#include "ziparchive/arc_platform.h"
#include "ziparchive/buffered_stream.h"
#include "ziparchive/end_record.h"
#include "ziparchive/header_record.h"
#include "ziparchive/sorted_zip.h"
#include "ziparchive/zip_crypt.h"

enum TUZOverwriteMode : uint8_t { Prompt = 0, Always = 1, Never = 2, ifNewer = 3, ifOlder = 4 };
enum TIncompleteZipMode : uint8_t { izAssumeMulti = 0, izAssumeBad = 1, izAssumeNotAZip = 2 };
enum TSkipReason : uint8_t {
    srBadPassword = 0,
    srNoOverwrite = 1,
    srFileOpenError = 2,
    srCreateError = 3,
    srExcludeList = 4,
    srArchiveBitNotSet = 5,
    srNoFileToFreshen = 6,
    srSkippedInStartZip = 7,
    srUnsafeName = 8,   // a name that would reach outside the destination folder
};
enum TBlockMode : uint8_t { bmStandard = 0, bmClassic = 1 };
enum TSplitPartType : uint8_t { spFirst = 0, spMiddle = 1, spLast = 2 };
enum TMultiMode : uint8_t { mmNone = 0, mmSpan = 1, mmBlocks = 2 };

// Events: the first argument is the sender; an unassigned event means the default behaviour.
using TStartUnzipInfo = std::function<void(TObject* sender, int numFiles, int64_t totalBytes, bool& stopNow)>;
using TFilePercentDone = std::function<void(TObject* sender, int percent)>;
using TTotalPercentDone = std::function<void(TObject* sender, int percent)>;
using TStartUnZipEvent = std::function<void(TObject* sender, int fileIndex, AnsiString& fName, bool& skip)>;
using TEndUnZipEvent = std::function<void(TObject* sender, int fileIndex, const AnsiString& fName)>;
using TPromptForOverwrite = std::function<void(TObject* sender, bool& overWriteIt, int fileIndex, AnsiString& fName)>;
using TSkippingFile =
    std::function<void(TObject* sender, TSkipReason reason, const AnsiString& fName, int fileIndex, bool& retry)>;
using TBadPassword = std::function<void(TObject* sender, int fileIndex, AnsiString& newPassword)>;
using TBadCRC = std::function<void(TObject* sender, int32_t calcCRC, int32_t storedCRC, int fileIndex)>;
using TIncompleteZip = std::function<void(TObject* sender, TIncompleteZipMode& incompleteMode)>;
using TGetNextDisk = std::function<void(TObject* sender, int nextDisk, AnsiString& fName)>;
using TUnZipComplete = std::function<void(TObject* sender, int fileCount)>;
using TGetNextBuffer = std::function<void(TObject* sender, uint8_t*& buffer, const AnsiString& fName, int amountUsed,
                                          int bufferNum, bool& quit)>;
using TDecryptEvent = std::function<void(TObject* sender, uint8_t* buffer, int length, const AnsiString& password)>;
using TFileNameForSplitPartEvent =
    std::function<void(TObject* sender, AnsiString& fName, int partNum, TSplitPartType splitType)>;
using THandleMessageEvent = std::function<void(TObject* sender, int messageID, const AnsiString& msg1,
                                               const AnsiString& msg2, uint32_t flags, int& result)>;

class TArcUnZip : public TComponent {
public:
    static constexpr int kThisVersion = 305;
    static constexpr int kThisBuild = 1;
    // How often the next-disk request may name a file that is not there before the
    // request counts as cancelled.
    static constexpr int kMaxNextDiskTries = 10;

    explicit TArcUnZip(TComponent* owner);
    ~TArcUnZip() override;
    const char* ClassName() const override { return "TArcUnZip"; }

    void Assign(TPersistent* source) override;
    virtual void Loaded();

    // ---- published configuration ----------------------------------------------------
    int GetThisVersion() const { return FThisVersion; }
    void SetThisVersion(int) { FThisVersion = kThisVersion; }
    int GetThisBuild() const { return FThisBuild; }
    void SetThisBuild(int) { FThisBuild = kThisBuild; }
    const AnsiString& GetZipName() const { return FZipName; }
    // A name ending in "?" asks the user for the archive. A different name forgets the
    // directory read so far.
    virtual void SetZipName(const AnsiString& value);
    const AnsiString& GetDestDir() const { return FDestDir; }
    void SetDestDir(const AnsiString& value);   // "?" asks the user; one trailing "\" is dropped
    const AnsiString& GetRootDir() const { return FRootDir; }
    void SetRootDir(const AnsiString& value);   // also makes it the one relative path
    TStrings* GetRelativePathList() const { return FRelativePathList.get(); }
    void SetRelativePathList(TStrings* value) { FRelativePathList->Assign(value); }
    TZipSortMode GetSortMode() const { return FSortMode; }
    void SetSortMode(TZipSortMode value);
    bool GetRecreateDirs() const { return FRecreateDirs; }
    void SetRecreateDirs(bool v) { FRecreateDirs = v; }
    TUZOverwriteMode GetOverwriteMode() const { return FOverwriteMode; }
    void SetOverwriteMode(TUZOverwriteMode v) { FOverwriteMode = v; }
    TStrings* GetFilesList() const { return FFilesList.get(); }
    void SetFilesList(TStrings* value) { FFilesList->Assign(value); }
    bool GetDoAll() const { return FDoAll; }
    void SetDoAll(bool v) { FDoAll = v; }
    TIncompleteZipMode GetIncompleteZipMode() const { return FIncompleteZipMode; }
    void SetIncompleteZipMode(TIncompleteZipMode v) { FIncompleteZipMode = v; }
    bool GetKeepZipOpen() const { return FKeepZipOpen; }
    void SetKeepZipOpen(bool v) { FKeepZipOpen = v; }
    bool GetDoProcessMessages() const { return FDoProcessMessages; }
    void SetDoProcessMessages(bool v) { FDoProcessMessages = v; }
    bool GetRetainAttributes() const { return FRetainAttributes; }
    void SetRetainAttributes(bool v) { FRetainAttributes = v; }
    bool GetReplaceReadOnly() const { return FReplaceReadOnly; }
    void SetReplaceReadOnly(bool v) { FReplaceReadOnly = v; }
    bool GetFlushFilesOnClose() const { return FFlushFilesOnClose; }
    void SetFlushFilesOnClose(bool v) { FFlushFilesOnClose = v; }
    TBlockMode GetBlockMode() const { return FBlockMode; }
    void SetBlockMode(TBlockMode v) { FBlockMode = v; }
    TOEMConvert GetOEMConvert() const { return FOEMConvert; }
    void SetOEMConvert(TOEMConvert v);

    TStartUnzipInfo OnStartUnZipInfo;
    TFilePercentDone OnFilePercentDone;
    TTotalPercentDone OnTotalPercentDone;
    TStartUnZipEvent OnStartUnZip;
    TEndUnZipEvent OnEndUnZip;
    TPromptForOverwrite OnPromptForOverwrite;
    TSkippingFile OnSkippingFile;
    TBadPassword OnBadPassword;
    TBadCRC OnBadCRC;
    TIncompleteZip OnInCompleteZip;
    TGetNextDisk OnGetNextDisk;
    TUnZipComplete OnUnZipComplete;
    TGetNextBuffer OnGetNextBuffer;   // declared for a buffered mode that nothing switches on
    TDecryptEvent OnDecrypt;
    TFileNameForSplitPartEvent OnFileNameForSplitPart;
    THandleMessageEvent OnHandleMessage;

    // ---- unpublished state ------------------------------------------------------------
    AnsiString Password;   // not copied by Assign

    virtual bool GetCheckDiskLabels() const { return FCheckDiskLabels; }
    virtual void SetCheckDiskLabels(bool v) { FCheckDiskLabels = v; }
    virtual TMultiMode GetMultiMode() const { return FMultiMode; }
    virtual void SetMultiMode(TMultiMode v) { FMultiMode = v; }

    uint32_t GetNumberOfParts() const { return FNumberOfParts; }
    uint32_t GetCurrentDisk() const { return FCurrentDisk; }
    int32_t GetBufferSize() const { return FBufferSize; }
    void SetBufferSize(int32_t v) { FBufferSize = v > 0 ? v : 8192; }
    TZipHeaderInfo* GetCurrentHeader() const { return FCurrentHeader.get(); }
    TSortedZip* GetPhysicalList() const { return FPhysicalList.get(); }
    TSortedZip* GetSortedList() const { return FSortedList; }
    TEndCentral* GetEndRecord() const { return FEndRecord.get(); }
    TLFNFileStream* GetArchiveStream() const { return FArchiveStream.get(); }
    TDateTime GetArchiveDate() const { return FArchiveDate; }
    const AnsiString& GetSplitBaseName() const { return FSplitBaseName; }
    bool GetRescanned() const { return FRescanned; }
    bool GetReadingFlag() const { return FReadingFlag; }
    bool GetBusyFlag() const { return FBusyFlag; }
    // Store a new value and return the old one; callers put the old value back when done.
    bool ExchangeUnzipFlag(bool v);
    bool ExchangeBusyFlag(bool v);

    void SetCancel(bool v) { FCancel = v; }
    bool GetCancel() const { return FCancel; }
    void SetPause(bool v) { FPause = v; }
    bool GetPause() const { return FPause; }
    // Sleeps a second and pumps messages, again and again while the pause request stays.
    void WaitWhilePaused();

    // ---- entries (index into SortedList; outside 0..EntryCount-1 raises EListError) ------
    int EntryCount() const;
    TZipHeaderInfo* Entry(int index) const;
    AnsiString Filename(int index) const;
    // The entry's date; a stored value that is no date gives the current date and time.
    TDateTime DateTime(int index) const;
    AnsiString FileComment(int index);
    void SetFileComment(int index, const AnsiString& text);
    AnsiString ZipComment();
    void SetZipComment(const AnsiString& text);

    // Removes the first line of RelativePathList that begins Path (ignoring case).
    AnsiString StripRelativePath(AnsiString& path) const;

    // OnHandleMessage when assigned, else a message box; the answer.
    int HandleMessage(int messageID, const AnsiString& msg1, const AnsiString& msg2, uint32_t flags);

    // ---- directory (directory_reader.cpp) -------------------------------------------------
    void OpenZip();    // opens ZipName and reads its directory unless the file is unchanged
    void CloseZip();   // frees the stream unless KeepZipOpen
    void ClearZip();   // back to the closed state; ZipName is emptied
    void ReadZip(TStream* stream);
    void SortEntries(TZipSortMode mode);
    TStream* OpenNextDisk(int n);   // 1-based; returns the new archive stream
    void GetSplitPartFileName(AnsiString& fName, int partNum, TSplitPartType splitType);
    void DefaultSplitPartName(AnsiString& fName, int partNum, TSplitPartType splitType) const;
    void GetNextDisk(int n, AnsiString& fName);
    bool VolumeLabelMatches(int n) const;

    // ---- traditional encryption and CRC-32 -------------------------------------------------
    void InitKeys(const AnsiString& password) { FKeys.InitKeys(password); }
    void UpdateKeys(uint8_t c) { FKeys.UpdateKeys(c); }
    uint8_t DecryptByte() const { return FKeys.DecryptByte(); }
    uint8_t EncryptByte(uint8_t p) { return FKeys.EncryptByte(p); }
    void DecryptBuffer(void* buffer, size_t count) { FKeys.DecryptBuffer(buffer, count); }
    void EncryptBuffer(void* buffer, size_t count) { FKeys.EncryptBuffer(buffer, count); }
    uint8_t DecryptHeader(const AnsiString& password, uint8_t header[kEncryptionHeaderSize]) {
        return FKeys.DecryptHeader(password, header);
    }
    // Reads the 12-byte encryption header at the stream's position and returns its check
    // byte, lowering CurrentHeader's compressed size by 12. Returns -1 (and reads nothing,
    // changes nothing) when the entry is too short to hold a header, and -1 when the stream
    // ends inside the header: such an entry is damaged, never a short or huge read.
    int ReadEncryptionHeader(const AnsiString& password, TStream* stream);
    const TZipKeys& GetKeys() const { return FKeys; }
    void UpdateCrcBuffer(const void* buffer, size_t count);
    uint32_t GetRunningCrc() const { return FCrc; }
    void SetRunningCrc(uint32_t v) { FCrc = v; }

    // ---- extraction (built by the extraction engine in zipextract/) -----------------------
    // Extracts the selected entries of ZipName into DestDir; the number of files extracted.
    int UnZip();

protected:
    // Forgets the directory read so far and closes the archive.
    void ForgetDirectory();
    // Sets ZipName and the split base name that follows from it, nothing more.
    void TakeZipName(const AnsiString& name);
    // Rebuilds the directory from the local headers; false when none is found.
    bool RescanLocalHeaders(TStream* stream);
    void CheckIndex(int index) const;
    void PumpMessages() const;
    TDateTime ArchiveFileDate(TStream* stream, arc_platform::TFileStamp* stamp) const;

    int FThisVersion = kThisVersion;
    int FThisBuild = kThisBuild;
    AnsiString FZipName;
    AnsiString FDestDir;
    AnsiString FRootDir;
    std::unique_ptr<TStringList> FRelativePathList;
    TZipSortMode FSortMode = ByNone;
    bool FRecreateDirs = false;
    TUZOverwriteMode FOverwriteMode = Prompt;
    std::unique_ptr<TStringList> FFilesList;
    bool FDoAll = false;
    TIncompleteZipMode FIncompleteZipMode = izAssumeMulti;
    bool FKeepZipOpen = false;
    bool FDoProcessMessages = true;
    bool FRetainAttributes = true;
    bool FReplaceReadOnly = false;
    bool FFlushFilesOnClose = false;
    TBlockMode FBlockMode = bmStandard;
    TOEMConvert FOEMConvert = oemAlways;

    bool FCheckDiskLabels = true;
    TMultiMode FMultiMode = mmNone;
    uint32_t FNumberOfParts = 1;
    uint32_t FCurrentDisk = 0;
    int32_t FBufferSize = 8192;
    std::unique_ptr<TZipHeaderInfo> FCurrentHeader;
    std::unique_ptr<TSortedZip> FPhysicalList;   // owns the records, archive order
    TSortedZip* FSortedList = nullptr;           // FPhysicalList itself, or FSortedView
    std::unique_ptr<TSortedZip> FSortedView;     // a non-owning view in another order
    std::unique_ptr<TEndCentral> FEndRecord;
    std::unique_ptr<TLFNFileStream> FArchiveStream;
    TDateTime FArchiveDate = 0;
    arc_platform::TFileStamp FArchiveStamp;      // size and full time of the file read
    AnsiString FSplitBaseName;
    bool FRescanned = false;
    bool FReadingFlag = false;
    bool FBusyFlag = false;

    TZipKeys FKeys;
    uint32_t FCrc = 0;
    int64_t FTotalBytes = 0;
    // Asked for from another thread too (a window that is closing, a progress dialog).
    std::atomic<bool> FCancel{false};
    std::atomic<bool> FPause{false};
};
