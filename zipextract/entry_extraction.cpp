// One entry: its data in the archive, the destination path and its checks, the per-entry
// events, the password check, the overwrite rule, the output file, the decompressor of its
// method, the CRC and size check, and only then the date and attributes.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>

#include "classlib/fileio.h"
#include "ziparchive/buffered_stream.h"
#include "ziparchive/file_utils.h"
#include "ziparchive/record_fields.h"
#include "classlib/little_endian.h"
#include "zipextract/entry_decoders.h"
#include "zipextract/extract_paths.h"
#include "zipextract/file_stamps.h"
#include "zipextract/unzip_run.h"

namespace {

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflate = 8;
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
    // An archive that cannot give the 30 bytes cannot be read on: the run ends.
    if (offset < 0 || offset > size - kLocalHeaderFixed) throw EReadError("Stream read error");
    TStream* s = SeekArchive(offset);
    uint8_t rec[kLocalHeaderFixed];
    if (!ReadFully(s, rec, kLocalHeaderFixed)) throw EReadError("Stream read error");
    // The signature is not looked at: the name check below tells a header that is not this
    // entry's, and a damaged signature alone does not make the data unusable.
    const TRecordCursor r(rec, local_header::Size);
    // Name and extra field are read past rather than sought past: a seek would throw away
    // the read buffer that already holds the data.
    const int32_t nameLength = r.U16(local_header::NameLength);
    const int32_t skip = nameLength + r.U16(local_header::ExtraLength);
    FSkipBuffer.resize(static_cast<size_t>(skip));
    if (skip > 0 && !ReadFully(s, FSkipBuffer.data(), skip)) throw EFatalUnzipError(msgPrematureEnd);
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
    // The header is read once, as the entry's data is (a part of a set may end inside it),
    // and deciphered afresh for each password tried.
    FInput.StartEntry(SeekArchive(dataStart), h->GetCompressedSize(), PartsOfSet(), {}, {});
    uint8_t stored[kEncryptionHeaderSize];
    if (!FInput.ReadHeader(stored, kEncryptionHeaderSize)) return pwDamaged;
    FCandidate = FOwner.Password;
    while (FCandidate == FOwner.Password) {
        uint8_t header[kEncryptionHeaderSize];
        std::memcpy(header, stored, sizeof header);
        if (FOwner.DecryptHeader(FOwner.Password, header) == expected) {
            h->SetCompressedSize(h->GetCompressedSize() - kEncryptionHeaderSize);
            return pwAccepted;
        }
        FCandidate = FOwner.Password;
        if (FOwner.OnBadPassword) FOwner.OnBadPassword(&FOwner, index, FCandidate);
        if (FCandidate == FOwner.Password) break;
        FOwner.Password = FCandidate;
    }
    EndInTurn(index, [this, index, name = h->FullName()] { Skip(index, srBadPassword, name, "wrong password"); });
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
    if (!overwrite)
        EndInTurn(index, [this, index, fName] { Skip(index, srNoOverwrite, fName, "existing file not replaced"); });
    return overwrite;
}

TDataFailure TUnZipRun::Decompress(TStream* target, int64_t dataStart, AnsiString& corruptReason) {
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
    // Past its encryption header, an entry's data goes on where the header ended, on the
    // part the header ended in.
    FInput.StartEntry(SeekArchive(encrypted ? FInput.DataPosition() : dataStart), h->GetCompressedSize(),
                      PartsOfSet(),
                      stored ? TBlockDecrypter() : decrypt, [this] { PumpMessages(); });
    FEntryReported = 0;
    FOutput.StartEntry(target, size, stored ? decrypt : TBlockDecrypter(),
                       [this, size](int64_t done, int64_t) { ReportProgress(done, size); });
    FOwner.SetRunningCrc(0xFFFFFFFFu);
    const TDataFailure failure = DecodeEntryData(
        FInput, FOutput, {h->CompressionMethod, h->Flag, size, h->GetCompressedSize()}, corruptReason);
    FOwner.SetRunningCrc(FOutput.RunningCrc());
    return failure;
}

void TUnZipRun::ReportProgress(int64_t written, int64_t size) {
    FTotalDone += written - FEntryReported;
    FEntryReported = written;
    if (FOwner.OnFilePercentDone) FOwner.OnFilePercentDone(&FOwner, static_cast<int>(PercentOf(written, size)));
    if (FOwner.OnTotalPercentDone)
        FOwner.OnTotalPercentDone(&FOwner, static_cast<int>(PercentOf(FTotalDone, FTotalBytes)));
}

void TUnZipRun::DamagedEntry(int index, uint32_t calcCrc, const AnsiString& why) {
    if (FOwner.OnBadCRC)
        FOwner.OnBadCRC(&FOwner, static_cast<int32_t>(calcCrc), static_cast<int32_t>(FOwner.GetCurrentHeader()->CRC32),
                        index);
    --FFilesToDo;
    EntryFailed(index, why);
}

void TUnZipRun::ReportDataFailure(int index, TDataFailure failure, uint32_t crc, int64_t written,
                                  const AnsiString& corruptReason) {
    TZipHeaderInfo* h = FOwner.GetCurrentHeader();
    AnsiString why;
    switch (failure) {
    case dfCorrupt:
        why = corruptReason.empty() ? AnsiString("corrupt compressed data")
                                    : "corrupt compressed data (" + corruptReason + ")";
        break;
    case dfEndsEarly: why = "data ends before the entry does"; break;
    case dfTooLong: why = "more data than the stored size"; break;
    case dfUnknownMethod: why = Format("unsupported compression method %u", h->CompressionMethod); break;
    case dfOutOfMemory: why = "out of memory for the decode tables"; break;
    default:
        why = written != h->GetUncompressedSize()
                  ? Format("size mismatch (%lld bytes, stored %lld)", static_cast<long long>(written),
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
    if (AskAnotherPassword(index)) return;
    if (FOwner.OnSkippingFile) FOwner.OnSkippingFile(&FOwner, srBadPassword, h->FullName(), index, FSkipRetry);
    --FFilesToDo;
    EntryFailed(index, "wrong password or " + why);
}

bool TUnZipRun::AskAnotherPassword(int index) {
    FCandidate = FOwner.Password;
    if (FOwner.OnBadPassword) FOwner.OnBadPassword(&FOwner, index, FCandidate);
    if (FCandidate == FOwner.Password) return false;
    FOwner.Password = FCandidate;
    FRetryEntry = true;
    return true;
}

bool TUnZipRun::StartEntry(int index, AnsiString& fName, int64_t& dataStart) {
    FRetryEntry = false;
    TZipHeaderInfo* h = FOwner.GetCurrentHeader();
    h->Assign(FOwner.GetSortedList()->Header(index));
    const bool isDir = h->GetFileName().empty();

    AnsiString dir = h->GetDirectory();
    if (FOwner.GetRelativePathList()->Count() > 0) FOwner.StripRelativePath(dir);
    AnsiString folder;
    if (!EntryDestFolder(FOwner.GetDestDir(), dir, FOwner.GetRecreateDirs(), folder) ||
        (!isDir && !IsSafeRelativePath(h->GetFileName()))) {
        EndInTurn(index,
                  [this, index, name = h->FullName()] { Skip(index, srUnsafeName, name, "unsafe name, not extracted"); });
        return false;
    }
    // A name longer than the system takes cannot be written; it is refused before any folder
    // of it is made.
    if (!FTestOnly && !FitsPathLimit(folder + h->GetFileName())) {
        EndInTurn(index, [this, index, name = h->FullName()] {
            Skip(index, srUnsafeName, name, "name too long, not extracted");
        });
        return false;
    }
    if (isDir) {
        if (!FTestOnly && FOwner.GetRecreateDirs() && !DirExists(folder)) MakeFolder(folder);
        EndInTurn(index, [this] { ++FFilesDone; });
        return false;
    }

    const auto damaged = [this, index](const char* why) {
        EndInTurn(index, [this, index, why] { DamagedEntry(index, 0, why); });
    };
    TLocalHeader header;
    try {
        header = LocateEntryData(dataStart);
    } catch (...) {
        DataErrorEndsRun(index, std::current_exception());
        throw;
    }
    if (header == lhOtherName) {
        damaged("the local header names another entry");
        return false;
    }
    fName = folder + h->GetFileName();
    bool skip = false;
    if (FOwner.OnStartUnZip) FOwner.OnStartUnZip(&FOwner, index, fName, skip);
    if (skip) return false;
    if (!FTestOnly) {
        // The name as it will be written, whatever the handler made of it.
        if (!IsInsideFolder(fName, FOwner.GetDestDir()) || !FitsPathLimit(fName)) {
            EndInTurn(index, [this, index, fName] { Skip(index, srUnsafeName, fName, "unsafe name, not extracted"); });
            return false;
        }
        // Entries come folder by folder: the folder of the last file need not be looked at again.
        const AnsiString fileDir = ExtractFilePath(fName);
        if (fileDir != FKnownFolder) {
            if (!DirExists(fileDir)) MakeFolder(fileDir);
            FKnownFolder = fileDir;
        }
    }

    if (h->IsEncrypted()) {
        const TPasswordResult pw = CheckPassword(index, dataStart);
        if (pw == pwSkipped) return false;
        if (pw == pwDamaged) {
            damaged("shorter than its encryption header");
            return false;
        }
    }

    if (!FTestOnly) {
        if (FWorkers) {
            // Two entries of one name are written one after the other, as the archive orders them.
            FinishIfInFlight(fName);
            // A file already there is replaced only once every entry before it has ended: one of
            // them may still end the run, and the old file must then stay as it was.
            if (!FInFlight.empty() && FileExists(fName)) FinishInFlight();
        }
        if (!OverwriteAllowed(index, fName)) return false;
    }
    return true;
}

bool TUnZipRun::SoundData(TDataFailure failure, uint32_t crc, int64_t written, const TZipHeaderInfo& h) {
    // An entry of a method not carried yields no bytes: an empty one still checks out. Data
    // that goes on past the stored size keeps what was written up to it, and the check
    // decides on that.
    return (failure == dfNone || failure == dfUnknownMethod || failure == dfTooLong) &&
           written == h.GetUncompressedSize() && crc == h.CRC32;
}

void TUnZipRun::NoticeDataFailure(TDataFailure failure) {
    if (failure == dfOutOfMemory)
        FOwner.HandleMessage(msgInflateOutOfMemory, ArcLoadStr(msgInflateOutOfMemory), ArcLoadStr(msgError), 0);
}


void TUnZipRun::DataErrorEndsRun(int index, const std::exception_ptr& error) {
    AnsiString why;
    try {
        std::rethrow_exception(error);
    } catch (const EInflateDataError& e) {
        why = "corrupt compressed data (" + e.Detail + ")";
        // Deciphered with a password that passed the check byte but is wrong, the data is
        // garbage as well.
        if (FOwner.GetCurrentHeader()->IsEncrypted()) why = "wrong password or " + why;
    } catch (const EFatalUnzipError&) {
        why = "the archive ends before the entry does";
    } catch (const EReadError&) {
        why = "the archive cannot be read where the entry lies";
    } catch (const std::exception& e) {
        why = e.what();
    } catch (...) {
        why = "unexpected failure";
    }
    EntryFailed(index, why);
}

void TUnZipRun::EndEntry(int index, const AnsiString& fName, TDataFailure failure, uint32_t crc, int64_t written,
                         const AnsiString& corruptReason) {
    TZipHeaderInfo* h = FOwner.GetCurrentHeader();
    if (SoundData(failure, crc, written, *h)) {
        if (FOwner.OnEndUnZip) FOwner.OnEndUnZip(&FOwner, index, fName);
        ++FFilesDone;
        return;
    }
    ReportDataFailure(index, failure, crc, written, corruptReason);
}

void TUnZipRun::FinishEntry(int index, const AnsiString& fName, int64_t dataStart) {
    TZipHeaderInfo* h = FOwner.GetCurrentHeader();
    std::unique_ptr<TLFNFileStream> out;
    if (!FTestOnly) {
        out = CreateEntryFile(fName, *h, FFileOptions);
        if (!out) {
            Skip(index, srCreateError, fName, "cannot create " + fName);
            return;
        }
    }
    TDataFailure failure;
    AnsiString corruptReason;
    bool decoding = false;   // a failure of the data itself, not of a handler
    try {
        // Told once the entry's file is made, where its data would be decoded.
        if (!IsKnownMethod(h->CompressionMethod))
            FOwner.HandleMessage(msgUnknownMethod, ArcLoadStr(msgUnknownMethod), ArcLoadStr(msgZipError), 0);
        decoding = true;
        failure = Decompress(out.get(), dataStart, corruptReason);
        decoding = false;
        NoticeDataFailure(failure);
    } catch (...) {
        // The run ends (corrupt Deflate data, the archive ends early, disk full, a cancelled
        // disk prompt, the archive unreadable), but no partial file stays behind looking
        // complete.
        try {
            CloseEntryFile(out, fName, false, *h, FFileOptions);
        } catch (...) {
        }
        if (!decoding) throw;
        // Only a CRC mismatch is a wrong password's to retry: data that is no Deflate stream
        // ends the run, encrypted or not.
        DataErrorEndsRun(index, std::current_exception());
        throw;
    }
    CloseEntryFile(out, fName, SoundData(failure, FOutput.Crc(), FOutput.Written(), *h), *h, FFileOptions);
    EndEntry(index, fName, failure, FOutput.Crc(), FOutput.Written(), corruptReason);
}

void TUnZipRun::UnZipOneFile(int index) {
    AnsiString fName;
    int64_t dataStart = 0;
    if (!StartEntry(index, fName, dataStart)) return;
    const uint16_t method = FOwner.GetCurrentHeader()->CompressionMethod;
    if (FWorkers && (method == kMethodStored || method == kMethodDeflate)) {
        SubmitEntry(index, fName, dataStart);
        return;
    }
    // The notice of an unknown method, or of an older method's tables that cannot be had,
    // comes on this thread where the entry is: the entries before it end first, and none
    // after it has begun.
    if (FWorkers) FinishInFlight();
    FinishEntry(index, fName, dataStart);
}
