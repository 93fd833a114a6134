// Writing one entry: the local header (written first with provisional values and again
// once the sizes and CRC are known), the encryption header, the data stored or
// raw-Deflate compressed, and the entry record that joins the central directory.
#include <zlib.h>

#include <cstring>

#include "classlib/file_find.h"
#include "ziparchive/arc_zip.h"
#include "ziparchive/archive_output_stream.h"
#include "ziparchive/entry_prefetch.h"
#include "ziparchive/file_utils.h"
#include "ziparchive/raw_deflater.h"
#include "ziparchive/writer_platform.h"

namespace {
constexpr int32_t kDeflateBufferSize = 0xFFFF;
constexpr int32_t kStoreBufferSize = 0x8000;
constexpr int32_t kCrcBufferSize = 8192;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagMaximum = 0x0002;
constexpr uint16_t kFlagFast = 0x0004;
const char kFileChangedText[] = "The file changed while it was being zipped; the archive holds the bytes read";
const char kHeaderLengthChanged[] = "Local header changed its length";

// zlib's CRC-32 is the archive's CRC-32, computed several bytes at a time. The writer
// keeps the running (not yet inverted) value, as the reader's own routine does.
uint32_t UpdateRunningCrc(uint32_t running, const void* buffer, int32_t count) {
    return ~static_cast<uint32_t>(crc32(~running, static_cast<const Bytef*>(buffer), static_cast<uInt>(count)));
}

uint16_t LevelFlags(int packLevel) {
    if (packLevel <= 2) return kFlagFast;
    if (packLevel >= 8) return kFlagMaximum;
    return 0;
}
}  // namespace

bool TArcZip::NeedsLocalZip64(int64_t sizeAtOpen) const {
    // The most the entry can take: Deflate's stored-block fallback adds a few bytes per
    // 16 KiB block, the encryption header 12. Reads never go beyond the size at open.
    const uint64_t worst = static_cast<uint64_t>(sizeAtOpen) + (static_cast<uint64_t>(sizeAtOpen) >> 8) + 1024;
    return worst >= kMarker32;
}

bool TArcZip::ZipOneFile(const AnsiString& path, TPrefetchedEntry* ready) {
    if (EndsWithChar(path, '\\')) return ZipFolderEntry(path);
    if (ready && !ready->Ready) ready = nullptr;
    for (;;) {
        switch (ZipFileEntry(path, ready)) {
        case erWritten:
            return true;
        case erSkipped:
            return false;
        case erChanged: {
            // Its bytes differ from the first reading, whose CRC the encryption header
            // carries: the entry would fail its password check. It is taken out again.
            DropEntryOutput();
            bool retry = false;
            if (OnSkippingFile) OnSkippingFile(this, srFileOpenError, path, -1, retry);
            if (!retry) return false;
            FEntryHeader = std::make_unique<TZipHeaderInfo>();
            FEntryHeader->OEMConvert = FOEMConvert;
            ready = nullptr;
            break;
        }
        }
    }
}

bool TArcZip::ZipFolderEntry(const AnsiString& path) {
    TZipHeaderInfo& h = *FEntryHeader;
    AnsiString dir, name;
    MakeStoredName(path, dir, name);
    if (dir.empty()) return false;   // the root folder itself has no name of its own
    h.SetFileName(name);
    h.SetDirectory(dir);
    TSearchRec rec;
    if (FindFirst(DropLastChar(path), FSearchAttributes | faDirectory, rec) == 0) {
        FindClose(rec);
        h.DateTime = rec.Time;
        const uint32_t attr = writer_platform::FileGetAttr(path);
        if (attr != writer_platform::kInvalidAttributes) h.ExternalAttributes = attr;
    } else {
        h.DateTime = DateTimeToFileDate(Now());
    }
    h.SetUncompressedSize(0);
    h.SetCompressedSize(0);
    h.CompressionMethod = 0;
    h.InternalAttributes = 0;
    h.CRC32 = 0;
    h.SetDiskNumberStart(FCurrentDisk);
    h.SetRelativeOffset(FOutputStream->GetPosition());

    if (!EntryAccepted(path, 0)) return false;
    PlaceLocalHeader();
    if (OnEndZip) OnEndZip(this, path, 0, 0, 0);
    return true;
}

// The duplicate test (a name already written in this run) and OnStartZip; false after the
// skip event, with the entry's size taken off the total and the source closed.
bool TArcZip::EntryAccepted(const AnsiString& path, int64_t size) {
    TZipHeaderInfo& h = *FEntryHeader;
    int32_t index = 0;
    TSkipReason reason = srNoOverwrite;
    bool skip = FNewEntriesByName->Search(static_cast<TObject*>(&h), index);
    if (!skip && OnStartZip) {
        OnStartZip(this, path, h, skip);
        reason = srSkippedInStartZip;
    }
    if (!skip) return true;
    FTotalBytes -= size;
    FSourceStream.reset();
    bool retry = false;
    if (OnSkippingFile) OnSkippingFile(this, reason, path, -1, retry);
    return false;
}

std::unique_ptr<TLFNFileStream> TArcZip::OpenSourceFile(const AnsiString& path, int32_t bufferSize) const {
    return std::make_unique<TLFNFileStream>(path, bufferSize, false, SourceOpenMode);
}

bool TArcZip::UsablePrefetch(const AnsiString& path, const TPrefetchedEntry& ready) const {
    // The level, the no-compress list or the mode may have been changed by a handler since
    // the workers started: then the file is zipped as the settings say now.
    const bool store = FPackLevel == 0 || IsNoCompress(path);
    const bool twoReadings = !Password.empty() && ready.Stamp.Size > kWholeReadLimit;
    return ready.Ready && !MultiPart() && ready.Stored == store && (store || ready.Level == FPackLevel) &&
           ready.TwoReadings == twoReadings;
}

bool TArcZip::OpenSource(const AnsiString& path) {
    for (;;) {
        try {
            FSourceStream = OpenSourceFile(path, FBufferSize);
            return true;
        } catch (const EStreamError&) {
            // Locked or gone since the list was made: reported, and the run goes on.
        }
        bool retry = false;
        if (OnSkippingFile) OnSkippingFile(this, srFileOpenError, path, -1, retry);
        if (!retry) return false;
    }
}

TArcZip::TEntryResult TArcZip::ZipFileEntry(const AnsiString& path, TPrefetchedEntry* ready) {
    TZipHeaderInfo& h = *FEntryHeader;
    FEntryReady = ready;
    FEntryPreEncrypted = false;
    arc_platform::TFileStamp stamp;
    if (ready) {
        h.ExternalAttributes = ready->Attributes;
        stamp = ready->Stamp;
    } else {
        const uint32_t attr = writer_platform::FileGetAttr(path);
        if (attr == writer_platform::kInvalidAttributes || (attr & faDirectory)) {
            if (OnNoSuchFile) OnNoSuchFile(this, path);
            return erSkipped;
        }
        h.ExternalAttributes = attr;
        if (!OpenSource(path)) return erSkipped;
        stamp = arc_platform::FileStampOf(FSourceStream->GetFileHandle());
    }
    h.DateTime = DateTimeToFileDate(stamp.Valid ? stamp.Date : Now());
    FEntrySizeAtOpen = stamp.Valid ? stamp.Size : FSourceStream->GetSize();

    AnsiString dir, name;
    MakeStoredName(path, dir, name);
    h.SetFileName(name);
    h.SetDirectory(dir);
    h.InternalAttributes = 0;
    h.SetDiskNumberStart(FCurrentDisk);
    // OnStartZip sees where the entry goes (a part that is full moves it on later).
    h.SetRelativeOffset(FOutputStream->GetPosition());

    if (!EntryAccepted(path, FEntrySizeAtOpen)) return erSkipped;
    if (ready && !UsablePrefetch(path, *ready)) {
        // OnStartZip changed what the worker went by (the level, a list, the password):
        // this thread reads the file itself.
        ready = nullptr;
        FEntryReady = nullptr;
        if (!OpenSource(path)) return erSkipped;
        const arc_platform::TFileStamp now = arc_platform::FileStampOf(FSourceStream->GetFileHandle());
        FEntrySizeAtOpen = now.Valid ? now.Size : FSourceStream->GetSize();
    }

    // The header's length is fixed now: the zip64 block is in or out for good.
    FEntryZip64 = NeedsLocalZip64(FEntrySizeAtOpen);
    FEntryReadLimit = FEntrySizeAtOpen;
    FEntryBytesDone = 0;
    SetEntrySizes(FEntrySizeAtOpen, 0);
    int64_t headerLength = 0;
    if (MultiPart()) {
        // The data is made in a temporary file; the header goes onto the parts once the
        // sizes are known.
        FEntryTempName = MakeTempFileName(TempFolder());
        if (FEntryTempName.empty()) throw EFCreateError("Cannot create a temporary file in \"" + TempFolder() + "\"");
        FEntryTemp = std::make_unique<TArchiveOutputStream>(FEntryTempName, FBufferSize, false);
        FDataOut = FEntryTemp.get();
    } else {
        const int64_t offset = FOutputStream->GetPosition();
        // A worker's result knows the final values: the header is written once (going back
        // to rewrite it costs a flush and two seeks per entry).
        if (ready) SetFinalFields(*ready, !Password.empty());
        h.WriteLocalHeader(FOutputStream.get());
        headerLength = FOutputStream->GetPosition() - offset;
        FDataOut = FOutputStream.get();
    }

    const bool encrypted = !Password.empty();
    FFromSnapshot = false;
    FSourceGrew = false;
    if (ready) {
        // A worker read the file as PrecomputeCrc and the data loops would.
        FEntryReadLimit = ready->ReadLimit;
        FSourceGrew = ready->Grew;
        FFromSnapshot = true;
        if (encrypted) h.CRC32 = ready->FirstCrc;
    } else if (encrypted) {
        PrecomputeCrc();
    }
    if (encrypted) WriteEncryptionHeader(Password);
    FCrc = 0xFFFFFFFFu;
    const bool store = ready ? ready->Stored : FPackLevel == 0 || IsNoCompress(path);
    const int64_t produced = ready ? ReplayPrefetched(*ready) : store ? StoreEntry() : DeflateEntry();
    const int64_t bytesRead = FEntryBytesDone;
    const uint32_t crc = ready ? ready->Crc : FFromSnapshot ? h.CRC32 : ~FCrc;
    if (encrypted && (bytesRead != FEntryReadLimit || crc != h.CRC32)) return erChanged;

    // A file that shrank is stored as read; one that grew as it was at open. Either is told.
    uint8_t probe = 0;
    const bool grew = FFromSnapshot ? FSourceGrew : FSourceStream->Read(&probe, 1) > 0;
    if (bytesRead < FEntrySizeAtOpen || grew) ReportFileChanged(path);

    h.CompressionMethod = store ? 0 : 8;
    h.CRC32 = crc;
    h.Flag = static_cast<uint16_t>((encrypted ? kFlagEncrypted : 0) | LevelFlags(FPackLevel));
    const int64_t compressed = produced + (encrypted ? kEncryptionHeaderSize : 0);
    SetEntrySizes(bytesRead, compressed);
    if (MultiPart())
        PlaceSpannedEntry(path);
    else if (!ready)
        RewriteLocalHeader(headerLength);

    // The central record carries zip64 values only where they are needed.
    if (FEntryZip64) {
        FEntryZip64 = false;
        const int64_t relOffset = h.GetRelativeOffset();
        const uint32_t disk = h.GetDiskNumberStart();
        h.FreeZip64Record();
        h.UncompressedSizeField = h.CompressedSizeField = h.RelativeOffsetField = 0;
        h.DiskNumberStartField = 0;
        h.SetRelativeOffset(relOffset);
        h.SetDiskNumberStart(disk);
        SetEntrySizes(bytesRead, compressed);
    }

    FSourceStream.reset();
    if (FResetArchiveBitOnZip) ClearArchiveBit(path);
    if (OnEndZip) OnEndZip(this, path, bytesRead, compressed, FOutputStream->GetPosition());
    return erWritten;
}

void TArcZip::SetFinalFields(const TPrefetchedEntry& ready, bool encrypted) {
    TZipHeaderInfo& h = *FEntryHeader;
    h.CompressionMethod = ready.Stored ? 0 : 8;
    // With a password the header's check bytes come from the first reading; the entry is
    // taken out again when the data's CRC differs.
    h.CRC32 = encrypted ? ready.FirstCrc : ready.Crc;
    h.Flag = static_cast<uint16_t>((encrypted ? kFlagEncrypted : 0) | LevelFlags(FPackLevel));
    SetEntrySizes(ready.BytesRead,
                  static_cast<int64_t>(ready.Data.size()) + (encrypted ? kEncryptionHeaderSize : 0));
}

void TArcZip::SetEntrySizes(int64_t uncompressedSize, int64_t compressedSize) {
    TZipHeaderInfo& h = *FEntryHeader;
    if (FEntryZip64) {
        TZip64Record& r = h.Zip64Record();
        h.UncompressedSizeField = kMarker32;
        h.CompressedSizeField = kMarker32;
        r.UncompressedSize = static_cast<uint64_t>(uncompressedSize);
        r.CompressedSize = static_cast<uint64_t>(compressedSize);
    } else {
        h.SetUncompressedSize(uncompressedSize);
        h.SetCompressedSize(compressedSize);
    }
}

void TArcZip::RewriteLocalHeader(int64_t headerLength) {
    TStream* out = FOutputStream.get();
    const int64_t here = out->GetPosition();
    const int64_t offset = FEntryHeader->GetRelativeOffset();
    out->Seek(offset, soBeginning);
    FEntryHeader->WriteLocalHeader(out);
    if (out->GetPosition() - offset != headerLength) throw EArcZipException(kHeaderLengthChanged);
    out->Seek(here, soBeginning);
}

void TArcZip::PlaceSpannedEntry(const AnsiString& path) {
    const int64_t written = FEntryTemp->GetPosition();
    FEntryTemp->Flush();
    FEntryTemp.reset();
    FDataOut = nullptr;
    if (FileSizeByName(FEntryTempName) != written) throw ENotEnoughRoom(msgNotEnoughRoom);
    PlaceLocalHeader();
    SpanCopy(path);
    RemoveEntryTemp();
}

void TArcZip::RemoveEntryTemp() {
    FEntryTemp.reset();
    FDataOut = nullptr;
    if (!FEntryTempName.empty()) RemoveFile(FEntryTempName);
    FEntryTempName.clear();
}

void TArcZip::DropEntryOutput() {
    FSourceStream.reset();
    if (MultiPart()) {
        RemoveEntryTemp();
        FBytesDone -= FEntryBytesDone;
        return;
    }
    const int64_t offset = FEntryHeader->GetRelativeOffset();
    FOutputStream->Seek(offset, soBeginning);
    FOutputStream->SetSize(offset);
    FBytesDone -= FEntryBytesDone;
}

void TArcZip::ReportFileChanged(const AnsiString& path) {
    AnsiString text = ArcLoadStr(kMsgFileChanged);
    if (text.empty()) text = kFileChangedText;
    HandleMessage(kMsgFileChanged, text, path, 0);
}

// The run's data buffer, at least Size bytes.
uint8_t* TArcZip::DataBuffer(size_t size) {
    if (FDataBuffer.size() < size) FDataBuffer.resize(size);
    return FDataBuffer.data();
}

void TArcZip::PrecomputeCrc() {
    if (FEntryReadLimit <= kWholeReadLimit) {
        // A small file is read once, whole: its CRC and its data come from the same bytes.
        const size_t want = static_cast<size_t>(FEntryReadLimit) + 1;   // one more tells growth
        if (FSnapshot.size() < want) FSnapshot.resize(want);
        int64_t got = 0;
        while (got < static_cast<int64_t>(want)) {
            const int32_t n = FSourceStream->Read(FSnapshot.data() + got, static_cast<int32_t>(want - got));
            if (n <= 0) break;
            got += n;
        }
        FSourceGrew = got > FEntryReadLimit;
        FEntryReadLimit = Min64(got, FEntryReadLimit);
        FEntryHeader->CRC32 = ~UpdateRunningCrc(0xFFFFFFFFu, FSnapshot.data(), static_cast<int32_t>(FEntryReadLimit));
        FFromSnapshot = true;
        return;
    }
    uint8_t* buffer = DataBuffer(kCrcBufferSize);
    uint32_t running = 0xFFFFFFFFu;
    int64_t total = 0;
    while (total < FEntryReadLimit) {
        const int32_t want = static_cast<int32_t>(Min64(kCrcBufferSize, FEntryReadLimit - total));
        const int32_t n = FSourceStream->Read(buffer, want);
        if (n <= 0) break;
        running = UpdateRunningCrc(running, buffer, n);
        total += n;
    }
    FSourceStream->Seek(0, soBeginning);
    // The second reading stops where this one did: its CRC must come out the same.
    FEntryReadLimit = total;
    FEntryHeader->CRC32 = ~running;
}

uint8_t TArcZip::EncryptionHeaderByte(std::mt19937& random) { return static_cast<uint8_t>((random() % 0x7FFF) >> 7); }

void TArcZip::WriteEncryptionHeader(const AnsiString& password) {
    FKeys.InitKeys(password);
    uint8_t header[kEncryptionHeaderSize];
    for (int i = 0; i < kEncryptionHeaderSize - 2; ++i) header[i] = EncryptionHeaderByte(FRandom);
    const uint32_t crc = FEntryHeader->CRC32;
    header[10] = static_cast<uint8_t>(crc >> 16);
    header[11] = static_cast<uint8_t>(crc >> 24);
    TPrefetchedEntry* ready = FEntryReady;
    if (ready && ready->PreEncrypted && !OnEncrypt && password == FPrefetchPassword &&
        std::memcmp(header, ready->HeaderPlain, kEncryptionHeaderSize) == 0) {
        // The worker guessed this header: its cipher text is what this thread would make.
        FKeys = ready->DataKeys;
        FEntryPreEncrypted = true;
        if (FDataOut->Write(ready->HeaderCipher, kEncryptionHeaderSize) != kEncryptionHeaderSize)
            throw ENotEnoughRoom(msgNotEnoughRoom);
        return;
    }
    for (uint8_t& b : header) b = FKeys.EncryptByte(b);
    if (FDataOut->Write(header, kEncryptionHeaderSize) != kEncryptionHeaderSize)
        throw ENotEnoughRoom(msgNotEnoughRoom);
}

int32_t TArcZip::ReadEntryData(void* buffer, int32_t count) {
    const int64_t left = FEntryReadLimit - FEntryBytesDone;
    if (left <= 0 || count <= 0) return 0;
    int32_t n = static_cast<int32_t>(Min64(count, left));
    if (FFromSnapshot) {
        std::memcpy(buffer, FSnapshot.data() + FEntryBytesDone, static_cast<size_t>(n));
    } else {
        n = FSourceStream->Read(buffer, n);
        if (n <= 0) return 0;
        FCrc = UpdateRunningCrc(FCrc, buffer, n);
    }
    CountEntryRead(n);
    return n;
}

void TArcZip::CountEntryRead(int32_t n) {
    FEntryBytesDone += n;
    FBytesDone += n;
    if (OnFilePercentDone) {
        // Multi-part: compressing is the first half of the entry's way, the copy the second.
        const int64_t percent = PercentOf(FEntryBytesDone, FEntrySizeAtOpen);
        OnFilePercentDone(this, static_cast<int>(MultiPart() ? percent / 2 : percent));
    }
    if (OnTotalPercentDone) OnTotalPercentDone(this, static_cast<int>(PercentOf(FBytesDone, FTotalBytes)));
}

int64_t TArcZip::ReplayPrefetched(TPrefetchedEntry& ready) {
    if (ready.PreEncrypted && !FEntryPreEncrypted) {
        // Encrypted after another header than this entry got: back to the plain bytes,
        // which WriteEntryData encrypts as it writes them.
        TZipKeys keys = ready.DataKeys;
        keys.DecryptBuffer(ready.Data.data(), ready.Data.size());
        ready.PreEncrypted = false;
    }
    uint8_t* data = ready.Data.data();
    int64_t total = 0;
    for (const int32_t step : ready.Steps) {
        if (step > 0) {
            CountEntryRead(step);
            continue;
        }
        WriteEntryData(data + total, -step);
        total -= step;
    }
    return total;
}

void TArcZip::WriteEntryData(void* buffer, int32_t count) {
    if (!Password.empty() && !FEntryPreEncrypted) {
        if (OnEncrypt)
            OnEncrypt(this, static_cast<uint8_t*>(buffer), count, Password);
        else
            FKeys.EncryptBuffer(buffer, static_cast<size_t>(count));
    }
    if (FDataOut->Write(buffer, count) != count) throw ENotEnoughRoom(msgNotEnoughRoom);
    CheckCancel();
}

int64_t TArcZip::StoreEntry() {
    uint8_t* buffer = DataBuffer(kStoreBufferSize);
    int64_t total = 0;
    for (;;) {
        const int32_t n = ReadEntryData(buffer, kStoreBufferSize);
        if (n == 0) break;
        WriteEntryData(buffer, n);
        total += n;
    }
    return total;
}

int64_t TArcZip::DeflateEntry() {
    uint8_t* in = DataBuffer(kDeflateBufferSize);
    if (FDeflateOutput.size() < kDeflateBufferSize) FDeflateOutput.resize(kDeflateBufferSize);
    uint8_t* out = FDeflateOutput.data();
    // Each entry is packed at the level in force for it (OnStartZip may have set it).
    if (FDeflater && FDeflater->Level() == FPackLevel)
        FDeflater->Reset();
    else
        FDeflater = std::make_unique<TRawDeflater>(FPackLevel);
    TRawDeflater& deflater = *FDeflater;
    z_stream& z = deflater.Stream();
    z.next_out = out;
    z.avail_out = kDeflateBufferSize;
    int flush = Z_NO_FLUSH;
    int64_t total = 0;
    for (;;) {
        if (z.avail_in == 0 && flush != Z_FINISH) {
            const int32_t n = ReadEntryData(in, kDeflateBufferSize);
            z.next_in = in;
            z.avail_in = static_cast<uInt>(n);
            if (n == 0) flush = Z_FINISH;
        }
        const int result = deflater.Deflate(flush);
        // With room left, Deflate has taken all the input: read on before writing.
        if (z.avail_out != 0 && flush != Z_FINISH) continue;
        const int32_t produced = kDeflateBufferSize - static_cast<int32_t>(z.avail_out);
        if (produced > 0) {
            WriteEntryData(out, produced);
            total += produced;
        }
        z.next_out = out;
        z.avail_out = kDeflateBufferSize;
        if (result == Z_STREAM_END) break;
    }
    return total;
}

void TArcZip::ClearArchiveBit(const AnsiString& path) {
    const uint32_t attr = writer_platform::FileGetAttr(path);
    if (attr != writer_platform::kInvalidAttributes && (attr & kArchiveBit))
        writer_platform::FileSetAttr(path, attr & ~kArchiveBit);
}
