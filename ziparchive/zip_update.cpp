// Updating an existing archive: the old entries, in their order, are either replaced by a
// file of FilesList (zaReplace always, zaUpdate and zaFreshen when the file is newer) or
// copied over unchanged; the files left in FilesList are added afterwards as new entries.
#include <unordered_map>
#include <vector>

#include "classlib/file_find.h"
#include "ziparchive/arc_zip.h"
#include "ziparchive/file_search.h"
#include "ziparchive/file_utils.h"
#include "ziparchive/pump_throttle.h"
#include "ziparchive/record_fields.h"
#include "ziparchive/stream_read.h"
#include "ziparchive/zip_signatures.h"

namespace {
constexpr int32_t kCopyBlockSize = 0x4000;
constexpr uint32_t kDataDescriptorSig = 0x08074B50u;
const char kSplitUpdateRefused[] =
    "A split or spanned archive cannot be updated: write it anew, or join its parts first";
const char kDamagedEntry[] = "Damaged archive entry, the archive was not changed: ";

// Lower case for names compared without regard to case: ASCII letters only, and never the
// trail byte of a double-byte character (GBK trail bytes include "A" to "Z").
AnsiString NameLowerCase(const AnsiString& s) {
    AnsiString out = s;
    for (size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (IsLeadByte(c) && i + 1 < out.size()) {
            ++i;
        } else if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c + ('a' - 'A'));
        }
    }
    return out;
}
}  // namespace

AnsiString TArcZip::StoredKey(const AnsiString& path) const {
    AnsiString p = path;
    if (FOEMConvert == oemAlways) OemRoundTrip(p);
    return NameLowerCase(BuildStoredPath(p) + ExtractFileName(p));
}

bool TArcZip::EntryMatchesPath(const AnsiString& path) const {
    return FEntryHeader && StoredKey(path) == NameLowerCase(FEntryHeader->FullName());
}

void TArcZip::ReadOldDirectory() {
    // Only the last part of a split set holds the end record, and this writer cannot
    // carry entries over from the other parts.
    {
        TLFNFileStream probe(FZipName, FBufferSize, false, fmOpenRead | fmShareDenyWrite);
        TEndCentral e;
        if (e.ReadEndCentral(&probe) && e.GetThisDisk() != 0) throw EArcZipException(kSplitUpdateRefused);
    }
    // Reading sets the reader's mode from the archive; the writer's own setting stays.
    const TMultiMode mode = GetMultiMode();
    try {
        OpenZip();
    } catch (...) {
        SetMultiMode(mode);
        throw;
    }
    SetMultiMode(mode);
}

int TArcZip::MergeExistingEntries() {
    int zipped = 0;
    TStrings& files = *FFilesList;
    // The stored name of every file once: the old entries look theirs up by it.
    std::unordered_multimap<AnsiString, int> byKey;
    std::vector<bool> used(static_cast<size_t>(files.Count()), false);
    for (int j = 0; j < files.Count(); ++j) byKey.emplace(StoredKey(files.Get(j)), j);

    auto addHeader = [&]() {
        TZipHeaderInfo* h = FEntryHeader.release();
        FNewEntries->Add(h);
        FNewEntriesByName->Add(h);
        FNewEndCentral->SetTotalEntries(FNewEndCentral->GetTotalEntries() + 1);
        FNewEndCentral->SetEntriesThisDisk(FNewEndCentral->GetEntriesThisDisk() + 1);
    };

    const int32_t oldCount = FPhysicalList ? FPhysicalList->GetCount() : 0;
    for (int32_t i = 0; i < oldCount; ++i) {
        TZipHeaderInfo* old = FPhysicalList->Header(i);
        FEntryHeader = std::make_unique<TZipHeaderInfo>();
        FEntryHeader->Assign(old);
        FEntryHeader->OEMConvert = FOEMConvert;
        if (FCancel) throw EUserCanceled(msgUserAborted);

        // The first file of the list (in list order) stored under this entry's name.
        int match = -1;
        auto range = byKey.equal_range(NameLowerCase(old->FullName()));
        for (auto it = range.first; it != range.second; ++it)
            if (!used[static_cast<size_t>(it->second)] && (match < 0 || it->second < match)) match = it->second;

        bool keep = true;
        if (match >= 0) {
            used[static_cast<size_t>(match)] = true;
            const AnsiString path = files.Get(match);
            const uint32_t fileTime = GetFileDosDateTime(path);
            if (FZipAction != zaReplace && old->DateTime >= fileTime) {
                // Not newer than the entry: the entry stays; the file counts as done.
                if (FDisposeList) FDisposeList->Add(path);
                TSearchRec rec;
                if (FindFirst(path, faAnyFile, rec) == 0) {
                    FindClose(rec);
                    FTotalBytes += old->GetCompressedSize() - SearchRecSize(rec);
                }
            } else {
                FEntryHeader = std::make_unique<TZipHeaderInfo>();
                FEntryHeader->OEMConvert = FOEMConvert;
                if (OnUpdate) OnUpdate(this, uaReplacing, i);
                if (ZipOneFile(path)) {
                    addHeader();
                    ++zipped;
                    if (FDisposeList) FDisposeList->Add(path);
                    keep = false;
                } else {
                    // The file was skipped (and reported): the old entry stays rather than
                    // vanish from the archive.
                    FEntryHeader = std::make_unique<TZipHeaderInfo>();
                    FEntryHeader->Assign(old);
                    FEntryHeader->OEMConvert = FOEMConvert;
                }
            }
        }
        if (keep) {
            if (OnUpdate) OnUpdate(this, uaKeeping, i);
            KeepEntry();
            addHeader();
        }
    }
    FEntryHeader.reset();

    // The files that replaced or matched an entry leave the list; the rest are new.
    for (int j = files.Count() - 1; j >= 0; --j)
        if (used[static_cast<size_t>(j)]) files.Delete(j);
    return zipped;
}

void TArcZip::KeepEntry() {
    namespace f = local_header;
    TZipHeaderInfo& h = *FEntryHeader;
    TStream* in = FArchiveStream.get();
    const int64_t archiveSize = in->GetSize();
    const int64_t offset = h.GetRelativeOffset();
    auto damaged = [&]() { return EBadZipFile(kDamagedEntry + ToZipSlashes(h.FullName())); };

    // The old local header, checked: its signature, and name, extra field and data inside
    // the archive.
    uint8_t rec[f::Size];
    const TRecordCursor r(rec, f::Size);
    if (offset < 0 || offset > archiveSize - static_cast<int64_t>(f::Size)) throw damaged();
    in->Seek(offset, soBeginning);
    if (!ReadExactly(in, rec, f::Size) || r.U32(f::Signature) != ZipSignatures().Local) throw damaged();
    const uint16_t nameLength = r.U16(f::NameLength);
    const uint16_t extraLength = r.U16(f::ExtraLength);
    const int64_t dataStart = offset + static_cast<int64_t>(f::Size) + nameLength + extraLength;
    const int64_t packed = h.GetCompressedSize();
    if (dataStart > archiveSize || packed < 0 || packed > archiveSize - dataStart) throw damaged();
    std::string nameAndExtra(static_cast<size_t>(nameLength) + extraLength, '\0');
    if (!nameAndExtra.empty() && !ReadExactly(in, &nameAndExtra[0], static_cast<int32_t>(nameAndExtra.size())))
        throw damaged();

    // An encrypted entry keeps its data descriptor: with flag bit 3 its check byte is the
    // high byte of the time, not of the CRC, and clearing the bit would fail every password.
    const bool descriptor = h.HasDataDescriptor() && h.IsEncrypted();
    if (!descriptor) h.Flag = static_cast<uint16_t>(h.Flag & ~kFlagDataDescriptor);
    h.LocalExtraLength = extraLength;

    // The local extra field as it was; its zip64 block (if any) takes the central sizes,
    // and one is added only when the sizes need it and there was none.
    std::string extra = nameAndExtra.substr(nameLength);
    const bool wide = h.GetCompressedSize() >= static_cast<int64_t>(kMarker32) ||
                      h.GetUncompressedSize() >= static_cast<int64_t>(kMarker32);
    // Only a block that holds both sizes can stand for them.
    const bool hadZip64 = WalkExtraField(reinterpret_cast<const uint8_t*>(extra.data()), extra.size(),
                                         [&](const TExtraBlock& b) {
                                             if (b.Tag != kZip64Tag || b.Size < 16) return false;
                                             uint8_t* d = reinterpret_cast<uint8_t*>(&extra[b.Offset + 4]);
                                             PutLE64(d, static_cast<uint64_t>(h.GetUncompressedSize()));
                                             PutLE64(d + 8, static_cast<uint64_t>(h.GetCompressedSize()));
                                             return true;
                                         });
    const bool zip64Sizes = wide || hadZip64;
    if (wide && !hadZip64) {
        TLEWriter z;
        z.U16(kZip64Tag);
        z.U16(16);
        z.U64(static_cast<uint64_t>(h.GetUncompressedSize()));
        z.U64(static_cast<uint64_t>(h.GetCompressedSize()));
        if (extra.size() + z.Data.size() > 0xFFFF) throw damaged();
        extra += z.Data;
    }

    TStream* out = FOutputStream.get();
    h.SetRelativeOffset(out->GetPosition());
    TLEWriter w;
    w.U32(ZipSignatures().Local);
    w.U16(r.U16(f::VersionNeeded));
    w.U16(h.Flag);
    w.U16(r.U16(f::Method));
    w.U32(r.U32(f::DosDateTime));
    w.U32(h.CRC32);
    w.U32(zip64Sizes ? kMarker32 : static_cast<uint32_t>(h.GetCompressedSize()));
    w.U32(zip64Sizes ? kMarker32 : static_cast<uint32_t>(h.GetUncompressedSize()));
    w.U16(nameLength);
    w.U16(static_cast<uint16_t>(extra.size()));
    w.Bytes(nameAndExtra.data(), nameLength);   // the name's bytes as stored
    w.Data += extra;
    out->WriteBuffer(w.Data.data(), static_cast<int32_t>(w.Data.size()));
    h.LocalExtraLength = static_cast<uint16_t>(extra.size());

    in->Seek(dataStart, soBeginning);
    CopyBlocks(in, out, packed);
    if (descriptor) {
        TLEWriter d;
        d.U32(kDataDescriptorSig);
        d.U32(h.CRC32);
        if (zip64Sizes) {
            d.U64(static_cast<uint64_t>(h.GetCompressedSize()));
            d.U64(static_cast<uint64_t>(h.GetUncompressedSize()));
        } else {
            d.U32(static_cast<uint32_t>(h.GetCompressedSize()));
            d.U32(static_cast<uint32_t>(h.GetUncompressedSize()));
        }
        out->WriteBuffer(d.Data.data(), static_cast<int32_t>(d.Data.size()));
    }
}

void TArcZip::CopyBlocks(TStream* source, TStream* dest, int64_t count, int64_t percentDone, int64_t percentWhole) {
    if (percentWhole == 0) percentWhole = count;
    uint8_t* buffer = DataBuffer(kCopyBlockSize);
    int64_t copied = 0;
    while (copied < count) {
        const int32_t n = static_cast<int32_t>(Min64(kCopyBlockSize, count - copied));
        if (!ReadExactly(source, buffer, n)) throw EFatalUnzipError(msgPrematureEnd);
        if (dest->Write(buffer, n) != n) throw ENotEnoughRoom(msgNotEnoughRoom);
        copied += n;
        FBytesDone += n;
        if (OnFilePercentDone) OnFilePercentDone(this, static_cast<int>(PercentOf(percentDone + copied, percentWhole)));
        if (OnTotalPercentDone) OnTotalPercentDone(this, static_cast<int>(PercentOf(FBytesDone, FTotalBytes)));
        if (FDoProcessMessages) ThrottledProcessMessages(FLastPump);
    }
}
