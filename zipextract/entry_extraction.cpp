// One entry: its data in the archive, the destination path and its checks, the per-entry
// events, the password check, the overwrite rule, the output file, the decompressor of its
// method, the CRC and size check, and only then the date and attributes.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "classlib/fileio.h"
#include "ziparchive/buffered_stream.h"
#include "ziparchive/file_utils.h"
#include "ziparchive/record_fields.h"
#include "classlib/little_endian.h"
#include "ziparchive/zip_signatures.h"
#include "zipextract/entry_decoders.h"
#include "zipextract/legacy_decoders.h"
#include "zipextract/extract_paths.h"
#include "zipextract/file_stamps.h"
#include "zipextract/unzip_run.h"

namespace {

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodShrink = 1;
constexpr uint16_t kMethodReduce1 = 2;
constexpr uint16_t kMethodReduce4 = 5;
constexpr uint16_t kMethodImplode = 6;
constexpr uint16_t kMethodDeflate = 8;
constexpr int kHostDos = 0;
constexpr int kHostNtfs = 11;
// Read-only, hidden, system and archive: the attributes an extracted file may take over.
constexpr uint32_t kRestoredAttributes = 0x27;
constexpr size_t kMaxPromptLength = 300;
constexpr int kIdYes = 6;
constexpr uint32_t kMbYesNo = 4;

}  // namespace

void TUnZipRun::SkipEntryTotals() {
    // A saturated total stays saturated: what was added cannot be told apart any more.
    const int64_t size = FOwner.GetCurrentHeader()->GetUncompressedSize();
    if (size > 0 && FTotalBytes < INT64_MAX) FTotalBytes -= std::min(size, FTotalBytes);
    --FFilesToDo;
}

void TUnZipRun::EntryFailed(int index, const AnsiString& why) {
    if (OnEntryFailed) OnEntryFailed(index, why);
}

void TUnZipRun::Skip(int index, TSkipReason reason, const AnsiString& name, const AnsiString& why) {
    if (FOwner.OnSkippingFile) FOwner.OnSkippingFile(&FOwner, reason, name, index, FSkipRetry);
    SkipEntryTotals();
    EntryFailed(index, why);
}

TStream* TUnZipRun::SeekArchive(int64_t position) {
    TStream* s = FOwner.GetArchiveStream();
    s->Seek(position, soBeginning);
    return s;
}

namespace {
bool ReadFully(TStream* s, void* buffer, int32_t count) {
    int32_t got = 0;
    while (got < count) {
        const int32_t n = s->Read(static_cast<uint8_t*>(buffer) + got, count - got);
        if (n <= 0) return false;
        got += n;
    }
    return true;
}
}  // namespace

TUnZipRun::TLocalHeader TUnZipRun::LocateEntryData(int64_t& dataStart) {
    TZipHeaderInfo* h = FOwner.GetCurrentHeader();
    const bool spanned = FOwner.GetEndRecord()->GetThisDisk() != 0;
    if (spanned && h->GetDiskNumberStart() != FOwner.GetCurrentDisk())
        FOwner.OpenNextDisk(static_cast<int>(h->GetDiskNumberStart()) + 1);
    const int64_t size = spanned || FArchiveSize < 0 ? FOwner.GetArchiveStream()->GetSize() : FArchiveSize;
    const int64_t offset = h->GetRelativeOffset();
    if (offset < 0 || offset > size - kLocalHeaderFixed) return lhMissing;
    TStream* s = SeekArchive(offset);
    uint8_t rec[kLocalHeaderFixed];
    if (!ReadFully(s, rec, kLocalHeaderFixed)) return lhMissing;
    const TRecordCursor r(rec, local_header::Size);
    if (r.U32(local_header::Signature) != ZipSignatures().Local) return lhMissing;
    // Name and extra field are read past rather than sought past: a seek would throw away
    // the read buffer that already holds the data.
    const int32_t nameLength = r.U16(local_header::NameLength);
    const int32_t skip = nameLength + r.U16(local_header::ExtraLength);
    FSkipBuffer.resize(static_cast<size_t>(skip));
    if (skip > 0 && !ReadFully(s, FSkipBuffer.data(), skip)) return lhMissing;
    // The directory points at another entry's header: its data is not this entry's.
    const AnsiString& recorded = h->GetStoredNameBytes();
    if (!recorded.empty() && (static_cast<size_t>(nameLength) != recorded.size() ||
                              std::memcmp(recorded.data(), FSkipBuffer.data(), recorded.size()) != 0))
        return lhOtherName;
    dataStart = offset + kLocalHeaderFixed + skip;
    return lhFound;
}

TUnZipRun::TPasswordResult TUnZipRun::CheckPassword(int index, int64_t dataStart) {
    TZipHeaderInfo* h = FOwner.GetCurrentHeader();
    // With a data descriptor the writer did not know the CRC when it wrote the header, so
    // the check byte comes from the time.
    const int expected = h->HasDataDescriptor() ? static_cast<int>((h->DateTime >> 8) & 0xFF)
                                                : static_cast<int>(h->CRC32 >> 24);
    FCandidate = FOwner.Password;
    while (FCandidate == FOwner.Password) {
        const int check = FOwner.ReadEncryptionHeader(FOwner.Password, SeekArchive(dataStart));
        if (check < 0) return pwDamaged;   // shorter than its encryption header
        if (check == expected) return pwAccepted;
        FCandidate = FOwner.Password;
        if (FOwner.OnBadPassword) FOwner.OnBadPassword(&FOwner, index, FCandidate);
        if (FCandidate == FOwner.Password) break;
        FOwner.Password = FCandidate;
        h->SetCompressedSize(h->GetCompressedSize() + kEncryptionHeaderSize);
    }
    Skip(index, srBadPassword, h->FullName(), "wrong password");
    return pwSkipped;
}

bool TUnZipRun::OverwriteAllowed(int index, AnsiString& fName) {
    if (FOwner.GetOverwriteMode() == Always || !FileExists(fName)) return true;
    bool overwrite = false;
    switch (FOwner.GetOverwriteMode()) {
    case ifNewer:
        overwrite = FOwner.DateTime(index) > GetFileDateTime(fName);
        break;
    case ifOlder:
        overwrite = FOwner.DateTime(index) < GetFileDateTime(fName);
        break;
    case Prompt:
        if (FOwner.OnPromptForOverwrite) {
            FOwner.OnPromptForOverwrite(&FOwner, overwrite, index, fName);
        } else {
            AnsiString text = ArcLoadStr(msgReplaceExisting) + FOwner.Filename(index) + "?";
            if (text.size() > kMaxPromptLength) text.resize(kMaxPromptLength);
            overwrite = FOwner.HandleMessage(msgFileExistsAlert, text, ArcLoadStr(msgFileExistsAlert), kMbYesNo) ==
                        kIdYes;
        }
        break;
    default:   // Never
        break;
    }
    if (!overwrite) Skip(index, srNoOverwrite, fName, "existing file not replaced");
    return overwrite;
}

std::unique_ptr<TLFNFileStream> TUnZipRun::CreateOutput(int index, const AnsiString& fName) {
    auto create = [&]() {
        return std::make_unique<TLFNFileStream>(fName, FOwner.GetBufferSize(), FOwner.GetFlushFilesOnClose(),
                                                fmCreate);
    };
    try {
        return create();
    } catch (const EFCreateError&) {
        const int32_t attr = file_stamps::GetFileAttr(fName);
        if (FOwner.GetReplaceReadOnly() && attr >= 0 && (attr & file_stamps::faReadOnly)) {
            try {
                file_stamps::SetFileAttr(fName, static_cast<uint32_t>(attr) & ~file_stamps::faReadOnly);
                return create();
            } catch (const Exception&) {
            }
        }
    } catch (const Exception&) {
    }
    Skip(index, srCreateError, fName, "cannot create " + fName);
    return nullptr;
}

TUnZipRun::TDataFailure TUnZipRun::Decompress(TStream* target, int64_t dataStart) {
    TZipHeaderInfo* h = FOwner.GetCurrentHeader();
    const bool encrypted = h->IsEncrypted();
    TBlockDecrypter decrypt;
    if (encrypted) {
        if (FOwner.OnDecrypt)
            decrypt = [this](uint8_t* b, int32_t n) { FOwner.OnDecrypt(&FOwner, b, n, FOwner.Password); };
        else
            decrypt = [this](uint8_t* b, int32_t n) { FOwner.DecryptBuffer(b, static_cast<size_t>(n)); };
    }
    const bool stored = h->CompressionMethod == kMethodStored;
    const int64_t size = h->GetUncompressedSize();
    FInput.StartEntry(SeekArchive(dataStart + (encrypted ? kEncryptionHeaderSize : 0)), h->GetCompressedSize(),
                      FOwner.GetEndRecord()->GetThisDisk() != 0 ? TNextDiskStream([this] { return NextDisk(); })
                                                                : TNextDiskStream(),
                      stored ? TBlockDecrypter() : decrypt, [this] { PumpMessages(); });
    FOutput.StartEntry(target, size, stored ? decrypt : TBlockDecrypter(), [this, size](int64_t done, int64_t total) {
        if (FOwner.OnFilePercentDone) FOwner.OnFilePercentDone(&FOwner, static_cast<int>(PercentOf(done, size)));
        if (FOwner.OnTotalPercentDone)
            FOwner.OnTotalPercentDone(&FOwner, static_cast<int>(PercentOf(total, FTotalBytes)));
    });
    FOwner.SetRunningCrc(0xFFFFFFFFu);
    TDataFailure failure = dfNone;
    FCorruptReason.clear();
    try {
        TBitInput bits(FInput);
        const uint16_t method = h->CompressionMethod;
        if (method == kMethodStored) {
            CopyStoredEntry(FInput, FOutput);
        } else if (method == kMethodDeflate) {
            InflateEntry(FInput, FOutput);
        } else if (method == kMethodShrink) {
            Unshrink(bits, FOutput);
        } else if (method >= kMethodReduce1 && method <= kMethodReduce4) {
            Unreduce(bits, FOutput, method - kMethodReduce1 + 1, size);
        } else if (method == kMethodImplode) {
            Explode(bits, FOutput, h->Flag, size, h->GetCompressedSize());
        } else {
            // Anything newer than Deflate is not carried by this engine.
            FOwner.HandleMessage(msgUnknownMethod, ArcLoadStr(msgUnknownMethod), ArcLoadStr(msgZipError), 0);
            failure = dfUnknownMethod;
        }
    } catch (const EBiggerThanUncompressed&) {
        failure = dfTooLong;
    } catch (const EFatalUnzipError&) {
        failure = dfEndsEarly;
    } catch (const EZCompressionError& e) {
        failure = dfCorrupt;
        FCorruptReason = e.Message;
    }
    FOwner.SetRunningCrc(FOutput.RunningCrc());
    return failure;
}

void TUnZipRun::CloseOutput(std::unique_ptr<TLFNFileStream>& out, const AnsiString& fName, bool keep) {
    if (!out) return;
    bool written = true;
    if (keep) {
        try {
            out->Flush();
        } catch (const Exception&) {
            written = false;
        }
    }
    if (keep && written) {
        // Date and attributes only now that size and CRC have checked out, set on the open
        // file in one request after its last byte.
        TZipHeaderInfo* h = FOwner.GetCurrentHeader();
        const int host = h->VersionMadeBy >> 8;
        // Only DOS and NTFS hosts keep DOS attributes in the low bits.
        const bool attributes = FOwner.GetRetainAttributes() && (host == kHostDos || host == kHostNtfs);
        file_stamps::SetHandleStamp(out->GetFileHandle(), RepairDosDateTime(h->DateTime),
                                    attributes ? static_cast<int32_t>(h->ExternalAttributes & kRestoredAttributes)
                                               : -1);
    }
    out.reset();
    if (!keep || !written) RemoveFile(fName);
    if (!written) throw ECantWriteUCF(msgCantWriteUncompressed);
}

void TUnZipRun::DamagedEntry(int index, uint32_t calcCrc, const AnsiString& why) {
    if (FOwner.OnBadCRC)
        FOwner.OnBadCRC(&FOwner, static_cast<int32_t>(calcCrc), static_cast<int32_t>(FOwner.GetCurrentHeader()->CRC32),
                        index);
    --FFilesToDo;
    EntryFailed(index, why);
}

void TUnZipRun::ReportDataFailure(int index, TDataFailure failure) {
    TZipHeaderInfo* h = FOwner.GetCurrentHeader();
    const uint32_t crc = FOutput.Crc();
    AnsiString why;
    switch (failure) {
    case dfCorrupt:
        why = FCorruptReason.empty() ? AnsiString("corrupt compressed data")
                                     : "corrupt compressed data (" + FCorruptReason + ")";
        break;
    case dfEndsEarly: why = "data ends before the entry does"; break;
    case dfTooLong: why = "more data than the stored size"; break;
    case dfUnknownMethod:
        DamagedEntry(index, crc, Format("unsupported compression method %u", h->CompressionMethod));
        return;
    default:
        why = FOutput.Written() != h->GetUncompressedSize()
                  ? Format("size mismatch (%lld bytes, stored %lld)", static_cast<long long>(FOutput.Written()),
                           static_cast<long long>(h->GetUncompressedSize()))
                  : Format("CRC mismatch (%08X, stored %08X)", crc, h->CRC32);
        break;
    }
    if (!h->IsEncrypted()) {
        DamagedEntry(index, crc, why);
        return;
    }
    // Garbage from a wrong password that passed the check byte ends here too: the handler
    // may supply another password, and the run extracts the entry again.
    FCandidate = FOwner.Password;
    if (FOwner.OnBadPassword) FOwner.OnBadPassword(&FOwner, index, FCandidate);
    if (FCandidate != FOwner.Password) {
        FOwner.Password = FCandidate;
        FRetryEntry = true;
        return;
    }
    if (FOwner.OnSkippingFile) FOwner.OnSkippingFile(&FOwner, srBadPassword, h->FullName(), index, FSkipRetry);
    --FFilesToDo;
    EntryFailed(index, "wrong password or " + why);
}

void TUnZipRun::UnZipOneFile(int index) {
    FRetryEntry = false;
    TZipHeaderInfo* h = FOwner.GetCurrentHeader();
    h->Assign(FOwner.GetSortedList()->Header(index));
    const bool isDir = h->GetFileName().empty();

    AnsiString dir = h->GetDirectory();
    if (FOwner.GetRelativePathList()->Count() > 0) FOwner.StripRelativePath(dir);
    AnsiString folder;
    if (!EntryDestFolder(FOwner.GetDestDir(), dir, FOwner.GetRecreateDirs(), folder) ||
        (!isDir && !IsSafeRelativePath(h->GetFileName()))) {
        Skip(index, srUnsafeName, h->FullName(), "unsafe name, not extracted");
        return;
    }
    // A name longer than the system takes cannot be written; it is refused before any folder
    // of it is made.
    if (!FTestOnly && !FitsPathLimit(folder + h->GetFileName())) {
        Skip(index, srUnsafeName, h->FullName(), "name too long, not extracted");
        return;
    }
    if (isDir) {
        if (!FTestOnly && FOwner.GetRecreateDirs() && !DirExists(folder)) EnsureDir(folder);
        ++FFilesDone;
        return;
    }

    int64_t dataStart = 0;
    switch (LocateEntryData(dataStart)) {
    case lhFound: break;
    case lhMissing: DamagedEntry(index, 0, "no local header where the directory points"); return;
    case lhOtherName: DamagedEntry(index, 0, "the local header names another entry"); return;
    }
    AnsiString fName = folder + h->GetFileName();
    bool skip = false;
    if (FOwner.OnStartUnZip) FOwner.OnStartUnZip(&FOwner, index, fName, skip);
    if (skip) return;
    if (!FTestOnly) {
        // The name as it will be written, whatever the handler made of it.
        if (!IsInsideFolder(fName, FOwner.GetDestDir()) || !FitsPathLimit(fName)) {
            Skip(index, srUnsafeName, fName, "unsafe name, not extracted");
            return;
        }
        // Entries come folder by folder: the folder of the last file need not be looked at again.
        const AnsiString fileDir = ExtractFilePath(fName);
        if (fileDir != FKnownFolder) {
            if (!DirExists(fileDir)) EnsureDir(fileDir);
            FKnownFolder = fileDir;
        }
    }

    if (h->IsEncrypted()) {
        const TPasswordResult pw = CheckPassword(index, dataStart);
        if (pw == pwSkipped) return;
        if (pw == pwDamaged) {
            DamagedEntry(index, 0, "shorter than its encryption header");
            return;
        }
    }

    std::unique_ptr<TLFNFileStream> out;
    if (!FTestOnly) {
        if (!OverwriteAllowed(index, fName)) return;
        out = CreateOutput(index, fName);
        if (!out) return;
    }

    TDataFailure failure;
    try {
        failure = Decompress(out.get(), dataStart);
    } catch (...) {
        // The run ends (disk full, a cancelled disk prompt, the archive unreadable), but no
        // partial file stays behind looking complete.
        try {
            CloseOutput(out, fName, false);
        } catch (...) {
        }
        throw;
    }
    const bool sound = failure == dfNone && FOutput.Written() == h->GetUncompressedSize() && FOutput.Crc() == h->CRC32;
    CloseOutput(out, fName, sound);
    if (!sound) {
        ReportDataFailure(index, failure);
        return;
    }
    if (FOwner.OnEndUnZip) FOwner.OnEndUnZip(&FOwner, index, fName);
    ++FFilesDone;
}
