// Reading an archive's directory into entry records: the end record, the central headers
// (from the archive, a further disk or part, or the ".zfc" configuration file), the rescan
// of local headers that rebuilds a damaged directory, and the next-disk requests.
#include <unordered_map>
#include <vector>

#include "ziparchive/arc_unzip.h"
#include "ziparchive/file_utils.h"
#include "ziparchive/pump_throttle.h"
#include "ziparchive/stream_read.h"
#include "ziparchive/zip_signatures.h"

namespace {

constexpr int64_t kExeRescanStart = 14000;   // past the stub of a self-extracting archive
constexpr int kRescanPumpInterval = 10240;
constexpr int kDataDescriptorSize = 16;
constexpr uint32_t kMaxDiskNumber = 999;

// Delivers a stream's bytes one at a time from a block buffer.
class TByteScanner {
public:
    explicit TByteScanner(TStream* s) : FStream(s), FBuffer(65536) {}
    bool Next(uint8_t& b) {
        if (FPos == FLen) {
            int32_t n = ReadUpTo(FStream, FBuffer.data(), static_cast<int32_t>(FBuffer.size()));
            if (n <= 0) return false;
            FLen = static_cast<size_t>(n);
            FPos = 0;
        }
        b = FBuffer[FPos++];
        ++Consumed;
        return true;
    }
    int64_t Consumed = 0;

private:
    TStream* FStream;
    std::vector<uint8_t> FBuffer;
    size_t FPos = 0;
    size_t FLen = 0;
};

// An end record that names impossible disks counts as not found.
bool PlausibleEndRecord(const TEndCentral& e) {
    return e.GetThisDisk() <= kMaxDiskNumber && e.GetCentralStartDisk() <= kMaxDiskNumber &&
           e.GetThisDisk() >= e.GetCentralStartDisk();
}

bool FindEndRecord(TEndCentral& e, TStream* s) {
    e.ClearEndCentral();
    return e.ReadEndCentral(s) && PlausibleEndRecord(e);
}

// In a single-file archive, an entry's local header, name and data must lie inside the file.
bool EntryFitsIn(const TZipHeaderInfo& h, int64_t size) {
    const int64_t offset = h.GetRelativeOffset();
    const int64_t packed = h.GetCompressedSize();
    if (offset < 0 || packed < 0 || offset > size) return false;
    const int64_t dataStart = offset + kLocalHeaderFixed + h.FileNameLength;
    return dataStart <= size && packed <= size - dataStart;
}

// A ".zfc" file is trusted only when it is what the writer makes: the central records of
// an archive on more than one disk, then its end record, and nothing else.
bool ConfigurationFits(const TEndCentral& e, int64_t size) {
    if (e.GetThisDisk() == 0 || e.CommentPosition + e.CommentLength != size) return false;
    const int64_t recordsEnd =
        e.Zip64Locator() ? static_cast<int64_t>(e.Zip64Locator()->Zip64Offset) : e.CommentPosition - kEndCentralSize;
    return static_cast<uint64_t>(recordsEnd) == e.GetCentralSize();
}

AnsiString NameKey(const TZipHeaderInfo& h) { return UpperCase(h.FullName()); }

}  // namespace

void TArcUnZip::OpenZip() {
    if (!FArchiveStream)
        FArchiveStream =
            std::make_unique<TLFNFileStream>(FZipName, FBufferSize, false, fmOpenRead | fmShareDenyWrite);
    // The directory read before still holds when the file has the same size and write time.
    if (FPhysicalList && arc_platform::FileStampOf(FArchiveStream->GetFileHandle()) == FArchiveStamp) return;
    ReadZip(FArchiveStream.get());
}

void TArcUnZip::CloseZip() {
    if (!FKeepZipOpen) FArchiveStream.reset();
}

void TArcUnZip::ClearZip() {
    ForgetDirectory();
    FNumberOfParts = 1;
    SetMultiMode(mmNone);
    FZipName.clear();
}

TDateTime TArcUnZip::ArchiveFileDate(TStream* stream, arc_platform::TFileStamp* stamp) const {
    arc_platform::TFileStamp s;
    if (auto* f = dynamic_cast<TLFNFileStream*>(stream)) s = arc_platform::FileStampOf(f->GetFileHandle());
    if (stamp) *stamp = s;
    return s.Date;
}

void TArcUnZip::SortEntries(TZipSortMode mode) {
    FSortedView.reset();
    if (mode == ByNone || !FPhysicalList) {
        FSortedList = FPhysicalList.get();
    } else {
        auto view = std::make_unique<TSortedZip>(dupAccept);
        view->SetOwnsObjects(false);
        view->SortMode = mode;
        for (int32_t i = 0; i < FPhysicalList->GetCount(); ++i) view->Add(FPhysicalList->GetItem(i));
        FSortedView = std::move(view);
        FSortedList = FSortedView.get();
    }
    FSortMode = mode;
}

void TArcUnZip::ReadZip(TStream* stream) {
    struct TRestoreFlag {
        TArcUnZip* Self;
        bool Old;
        ~TRestoreFlag() { Self->FReadingFlag = Old; }
    } restore{this, ExchangeUnzipFlag(true)};

    FArchiveDate = ArchiveFileDate(stream, &FArchiveStamp);
    FSortedView.reset();
    FSortedList = nullptr;
    FPhysicalList.reset();
    FRescanned = false;   // a directory read anew may be rebuilt anew

    TEndCentral& e = *FEndRecord;
    TStream* s = stream;
    std::unique_ptr<TLFNFileStream> config;
    bool fromConfig = false;
    bool found = FindEndRecord(e, s);
    if (!found && !FZipName.empty()) {
        AnsiString configName = ChangeFileExt(FZipName, ".zfc");
        if (FileExists(configName)) {
            config = std::make_unique<TLFNFileStream>(configName, FBufferSize, false, fmOpenRead);
            if (FindEndRecord(e, config.get()) && ConfigurationFits(e, config->GetSize())) {
                fromConfig = true;
                found = true;
                s = config.get();
            } else {
                config.reset();
                e.ClearEndCentral();
            }
        }
    }

    bool spanned = false;
    if (found) {
        spanned = e.GetThisDisk() != 0;
        FCurrentDisk = fromConfig ? 0 : e.GetThisDisk();
        FNumberOfParts = e.GetThisDisk() + 1;
        if (spanned) {
            if (GetMultiMode() == mmNone) {
                bool removable = FZipName.size() >= 3 && FZipName[1] == ':' && IsRemovableDrive(FZipName.substr(0, 3));
                SetMultiMode(removable ? mmSpan : mmBlocks);
            }
        } else {
            SetMultiMode(mmNone);
        }
        if (e.GetTotalEntries() > 0) {
            if (spanned && !fromConfig && e.GetCentralStartDisk() != FCurrentDisk)
                s = stream = OpenNextDisk(static_cast<int>(e.GetCentralStartDisk()) + 1);
            int64_t start = fromConfig ? 0 : e.GetCentralOffset();
            // A directory said to start outside the file is read from its end: the first
            // header then fails and the damaged-directory path takes over.
            const int64_t size = s->GetSize();
            if (start < 0 || start > size) start = size;
            s->Seek(start, soBeginning);
        }
    } else {
        if (OnInCompleteZip) OnInCompleteZip(this, FIncompleteZipMode);
        switch (FIncompleteZipMode) {
        case izAssumeNotAZip:
            throw ENotAZipFile(msgNotAZipFile);
        case izAssumeMulti:
            throw EIncompleteZip(msgIncompleteZip);
        case izAssumeBad:
            if (!RescanLocalHeaders(stream)) {
                ClearZip();
                throw EBadZipFile(msgNotAZipFile);
            }
            break;
        }
    }

    if (!FPhysicalList) {
        FPhysicalList = std::make_unique<TSortedZip>(dupError);
        FSortedList = FPhysicalList.get();
    }
    FNumberOfParts = e.GetThisDisk() + 1;

    // After a rescan the central records only complete the records found; they are
    // matched by name, each record at most once.
    std::unordered_multimap<AnsiString, TZipHeaderInfo*> byName;
    auto indexRescanned = [&]() {
        byName.clear();
        for (int32_t k = 0; k < FPhysicalList->GetCount(); ++k) {
            TZipHeaderInfo* h = FPhysicalList->Header(k);
            byName.emplace(NameKey(*h), h);
        }
    };
    if (FRescanned) indexRescanned();

    auto restartAfterRescan = [&]() {
        if (GetMultiMode() != mmNone || !RescanLocalHeaders(stream)) {
            ClearZip();
            throw EBadZipFile(msgNotAZipFile);
        }
        config.reset();
        fromConfig = false;
        s = stream;
        indexRescanned();
    };

    TZipHeaderInfo* previous = nullptr;   // the record read last, for the extra-length retry
    uint32_t previousDisk = 0;            // the disk or part it ended on
    // The bounds check needs the file's size; taking it per record would seek to the end
    // and back and drop the read buffer every time, so it is taken once.
    int64_t archiveSize = -1;
    TPumpClock::time_point lastPump;
    for (uint64_t i = 0; i < e.GetTotalEntries();) {
        if (PumpDue(lastPump, TPumpClock::now())) PumpMessages();
        auto h = std::make_unique<TZipHeaderInfo>();
        h->OEMConvert = FOEMConvert;
        TNextDiskHandler nextDisk;
        if (spanned && !FRescanned && !fromConfig)
            nextDisk = [this]() { return OpenNextDisk(static_cast<int>(FCurrentDisk) + 2); };
        const bool checkBounds = !spanned && !fromConfig && !FRescanned;
        auto readOne = [&]() {
            if (!h->ReadCentralHeader(s, nextDisk)) return false;
            if (!checkBounds) return true;
            if (archiveSize < 0) archiveSize = s->GetSize();
            if (!EntryFitsIn(*h, archiveSize)) {
                s->Seek(h->CentralHeaderPosition, soBeginning);
                return false;
            }
            return true;
        };
        bool ok = readOne();
        // The record before may have claimed an extra field it does not have. Moving back
        // over it makes sense only within its own disk or part and its own bytes: a read
        // that went on to the next part has nothing of that record behind it.
        if (!ok && previous && previous->StoredCentralExtraLength != 0 && FCurrentDisk == previousDisk &&
            s->GetPosition() - previous->StoredCentralExtraLength >= previous->CentralExtraPosition) {
            const int64_t here = s->GetPosition();
            const uint16_t extra = previous->StoredCentralExtraLength;
            s->Seek(here - extra, soBeginning);
            ok = readOne();
            if (ok) {
                previous->CentralExtraLength = previous->StoredCentralExtraLength = 0;
                previous->Zip64BlockLength = 0;
            } else {
                s->Seek(here, soBeginning);
            }
        }
        if (!ok) {
            if (FRescanned) break;
            restartAfterRescan();
            i = 0;
            previous = nullptr;
            continue;
        }

        const uint16_t extraLength = h->CentralExtraLength;
        const uint16_t commentLength = h->CommentLength;
        TZipHeaderInfo* record = h.get();
        if (!FRescanned) {
            try {
                FPhysicalList->Add(h.get());
                h.release();
            } catch (const EListError&) {
                // Two records at one place: the directory is not to be trusted.
                restartAfterRescan();
                i = 0;
                previous = nullptr;
                continue;
            }
        } else {
            auto it = byName.find(NameKey(*h));
            if (it != byName.end()) {
                TZipHeaderInfo* existing = it->second;
                byName.erase(it);
                const int64_t localOffset = existing->GetRelativeOffset();
                existing->Assign(h.get());
                existing->CentralHeaderPosition = h->CentralHeaderPosition;
                existing->CentralExtraPosition = h->CentralExtraPosition;
                existing->StoredCentralExtraLength = h->StoredCentralExtraLength;
                existing->Zip64BlockLength = h->Zip64BlockLength;
                existing->SetRelativeOffset(localOffset);
                record = existing;
            } else {
                record = nullptr;   // no such entry among the local headers: dropped
            }
        }

        // Past the extra field and the comment (a spanned archive loads the comment now,
        // while its disk is in the drive).
        const int64_t extraEnd = s->GetPosition() + extraLength;
        if (spanned && record && commentLength != 0) {
            record->SetCommentFromArchive(ReadTextAt(s, extraEnd, commentLength));
            s->Seek(extraEnd + commentLength, soBeginning);
        } else {
            s->Seek(extraEnd + commentLength, soBeginning);
        }
        previous = record;
        previousDisk = FCurrentDisk;
        ++i;
    }

    if (spanned && e.HasComment() && !e.CommentLoaded()) {
        TStream* source = s;
        if (!fromConfig && e.GetThisDisk() != FCurrentDisk) source = OpenNextDisk(static_cast<int>(e.GetThisDisk()) + 1);
        e.SetCommentFromArchive(ReadTextAt(source, e.CommentPosition, e.CommentLength));
    }

    FCurrentDisk = fromConfig ? 0 : e.GetThisDisk();
    e.FModified = false;
    SortEntries(FSortMode);
}

bool TArcUnZip::RescanLocalHeaders(TStream* s) {
    FRescanned = true;
    FSortedView.reset();
    FSortedList = nullptr;
    FPhysicalList.reset();

    const int64_t size = s->GetSize();
    const int64_t start = SameText(ExtractFileExt(FZipName), ".exe") ? kExeRescanStart : 0;
    if (start >= size) return false;
    s->Seek(start, soBeginning);

    // The first local signature followed by a plausible version-needed field.
    const uint8_t* sig = ZipSignatures().LocalBytes;
    TPumpClock::time_point lastPump;
    auto pump = [&]() {
        if (PumpDue(lastPump, TPumpClock::now())) PumpMessages();
    };
    TByteScanner scan(s);
    int matched = 0;
    int64_t found = -1;
    uint8_t b = 0;
    while (found < 0) {
        if (!scan.Next(b)) return false;
        if (scan.Consumed % kRescanPumpInterval == 0) pump();
        if (b == sig[matched]) {
            if (++matched < 4) continue;
            matched = 0;
            uint8_t lo, hi;
            if (!scan.Next(lo) || !scan.Next(hi)) return false;
            if (hi < 10) found = start + scan.Consumed - 6;
        } else {
            matched = b == sig[0] ? 1 : 0;
        }
    }

    FPhysicalList = std::make_unique<TSortedZip>(dupError);
    FSortedList = FPhysicalList.get();
    int64_t p = found;
    while (p < size) {
        pump();
        s->Seek(p, soBeginning);
        auto h = std::make_unique<TZipHeaderInfo>();
        h->OEMConvert = FOEMConvert;
        if (!h->ReadLocalHeader(s)) break;
        const int64_t dataStart = p + h->LocalHeaderSize();
        const int64_t packed = h->GetCompressedSize();
        const bool fits = packed >= 0 && dataStart <= size && packed <= size - dataStart;
        FPhysicalList->Add(h.get());
        const bool descriptor = h->HasDataDescriptor();
        h.release();
        if (!fits) break;   // the data runs past the end: nothing can follow
        p = dataStart + packed + (descriptor ? kDataDescriptorSize : 0);
    }
    if (FPhysicalList->GetCount() == 0) return false;

    TEndCentral& e = *FEndRecord;
    e.SetThisDisk(0);
    e.SetCentralStartDisk(0);
    const int64_t end = p < size ? p : size;
    e.SetCentralOffset(end);
    e.SetEntriesThisDisk(static_cast<uint64_t>(FPhysicalList->GetCount()));
    e.SetTotalEntries(static_cast<uint64_t>(FPhysicalList->GetCount()));
    s->Seek(end, soBeginning);
    FCurrentDisk = 0;
    FNumberOfParts = 1;
    return true;
}

TStream* TArcUnZip::OpenNextDisk(int n) {
    FArchiveStream.reset();
    AnsiString name;
    if (GetMultiMode() == mmBlocks) {
        TSplitPartType type = n == 1 ? spFirst : spMiddle;
        if (FReadingFlag && static_cast<uint32_t>(n) == FNumberOfParts) type = spLast;
        name = FSplitBaseName;
        GetSplitPartFileName(name, n, type);
        // Info-ZIP names its parts base.z01, base.z02, ... beside base.zip.
        if (!OnFileNameForSplitPart && FBlockMode == bmStandard && type != spLast && !FileExists(name)) {
            const AnsiString infoZip = FSplitBaseName + ".z" + Format("%2.2d", n);
            if (FileExists(infoZip)) name = infoZip;
        }
    } else {
        name = FZipName;
        for (int tries = 0;; ++tries) {
            // A request that keeps naming a missing file ends as a cancelled one.
            if (tries == kMaxNextDiskTries) throw EUserCanceled(kCanceledNewDiskText);
            GetNextDisk(n, name);
            if (!GetCheckDiskLabels() || name.empty() || VolumeLabelMatches(n)) {
                if (name.empty()) throw EUserCanceled(kCanceledNewDiskText);
                if (FileExists(name)) break;
            }
        }
    }
    FArchiveStream = std::make_unique<TLFNFileStream>(name, FBufferSize, false, fmOpenRead | fmShareDenyNone);
    FCurrentDisk = static_cast<uint32_t>(n - 1);
    FArchiveDate = ArchiveFileDate(FArchiveStream.get(), &FArchiveStamp);
    FZipName = name;   // a plain store: the setter would forget the directory being read
    return FArchiveStream.get();
}

void TArcUnZip::GetSplitPartFileName(AnsiString& fName, int partNum, TSplitPartType splitType) {
    if (OnFileNameForSplitPart)
        OnFileNameForSplitPart(this, fName, partNum, splitType);
    else
        DefaultSplitPartName(fName, partNum, splitType);
}

void TArcUnZip::DefaultSplitPartName(AnsiString& fName, int partNum, TSplitPartType splitType) const {
    if (FBlockMode == bmClassic)
        fName += "." + Format("%3.3d", partNum);
    else if (splitType == spLast)
        fName += ".zip";
    else
        fName += ".zip." + Format("z%2.2d", partNum);
}

void TArcUnZip::GetNextDisk(int n, AnsiString& fName) {
    if (OnGetNextDisk) {
        OnGetNextDisk(this, n, fName);
        return;
    }
    if (GetMultiMode() != mmSpan) return;
    arc_platform::TDefaultCursor arrow;
    AnsiString text = ArcLoadStr(msgInsertDisk) + IntToStr(n) + ArcLoadStr(msgOfMultiDiskSet);
    if (HandleMessage(msgInsertDisk, text.substr(0, 255), "", 1) == 2) fName.clear();
}

bool TArcUnZip::VolumeLabelMatches(int n) const {
    if (GetMultiMode() != mmSpan) return true;
    AnsiString label = LeftChars(GetDiskLabel(UpperCase(FZipName.substr(0, 3))), 11);
    return RightChars(label, 3) == Format("%3.3d", n);
}
