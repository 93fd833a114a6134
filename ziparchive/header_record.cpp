#include "ziparchive/header_record.h"

#include <vector>

#include "ziparchive/file_utils.h"
#include "classlib/little_endian.h"
#include "ziparchive/stream_read.h"
#include "ziparchive/zip_signatures.h"

TZipHeaderInfo::TZipHeaderInfo() { ClearHeader(); }
TZipHeaderInfo::~TZipHeaderInfo() = default;

void TZipHeaderInfo::ClearHeader() {
    VersionMadeBy = 45;
    VersionNeeded = 20;
    Flag = 0;
    CompressionMethod = 8;
    DateTime = 0;
    CRC32 = 0xFFFFFFFFu;
    CompressedSizeField = 0;
    UncompressedSizeField = 0;
    FileNameLength = 0;
    CentralExtraLength = 0;
    LocalExtraLength = 0;
    CommentLength = 0;
    DiskNumberStartField = 0;
    InternalAttributes = 1;
    ExternalAttributes = 0x20;
    RelativeOffsetField = 0;
    CentralHeaderPosition = 0;
    FFileName.clear();
    FDirectory.clear();
    FZip64.reset();
    FComment.reset();
    MatchFlag = 0;
    EntryState = 0;
    Selected = 0;
    OEMConvert = oemNever;
}

void TZipHeaderInfo::Assign(TPersistent* source) {
    auto* src = dynamic_cast<TZipHeaderInfo*>(source);
    if (!src) {
        TPersistent::Assign(source);
        return;
    }
    if (src == this) return;
    VersionMadeBy = src->VersionMadeBy;
    VersionNeeded = src->VersionNeeded;
    Flag = src->Flag;
    CompressionMethod = src->CompressionMethod;
    DateTime = src->DateTime;
    CRC32 = src->CRC32;
    FZip64.reset();
    CompressedSizeField = UncompressedSizeField = RelativeOffsetField = 0;
    DiskNumberStartField = 0;
    SetCompressedSize(src->GetCompressedSize());
    SetUncompressedSize(src->GetUncompressedSize());
    SetRelativeOffset(src->GetRelativeOffset());
    SetDiskNumberStart(src->GetDiskNumberStart());
    CentralExtraLength = src->CentralExtraLength;
    LocalExtraLength = src->LocalExtraLength;
    InternalAttributes = src->InternalAttributes;
    ExternalAttributes = src->ExternalAttributes;
    CentralHeaderPosition = src->CentralHeaderPosition;
    FFileName = src->FFileName;
    FDirectory = src->FDirectory;
    FileNameLength = src->FileNameLength;
    CommentLength = src->CommentLength;
    FComment = src->FComment ? std::make_unique<AnsiString>(*src->FComment) : nullptr;
    MatchFlag = src->MatchFlag;
    EntryState = src->EntryState;
    Selected = src->Selected;
}

void TZipHeaderInfo::AssignTo(TPersistent* dest) {
    if (auto* d = dynamic_cast<TZipHeaderInfo*>(dest))
        d->Assign(this);
    else
        TPersistent::AssignTo(dest);
}

void TZipHeaderInfo::SetFileName(const AnsiString& name) {
    if (name != FFileName) FFileName = name;
    FileNameLength = static_cast<uint16_t>(FDirectory.size() + FFileName.size());
}

void TZipHeaderInfo::SetDirectory(const AnsiString& dir) {
    AnsiString d = dir;
    if (!d.empty() && !EndsWithChar(d, '\\')) d += '\\';
    if (d != FDirectory) FDirectory = d;
    FileNameLength = static_cast<uint16_t>(FDirectory.size() + FFileName.size());
}

void TZipHeaderInfo::SplitName(const AnsiString& fullName) {
    int cut = LastDelimiter("\\", fullName);
    FDirectory = fullName.substr(0, static_cast<size_t>(cut + 1));
    FFileName = fullName.substr(static_cast<size_t>(cut + 1));
}

TZip64Record& TZipHeaderInfo::Zip64Record() {
    if (!FZip64) FZip64 = std::make_unique<TZip64Record>();
    return *FZip64;
}

// A field that holds its marker but has no zip64 record reads as the marker itself:
// a value no archive of that size can satisfy, so the bounds checks of the readers catch it.
int64_t TZipHeaderInfo::GetRelativeOffset() const {
    if (RelativeOffsetField != kMarker32 || !FZip64) return RelativeOffsetField;
    return static_cast<int64_t>(FZip64->RelativeOffset);
}

void TZipHeaderInfo::SetRelativeOffset(int64_t v) {
    if (static_cast<uint64_t>(v) >= kMarker32) {
        Zip64Record().RelativeOffset = static_cast<uint64_t>(v);
        RelativeOffsetField = kMarker32;
    } else {
        RelativeOffsetField = static_cast<uint32_t>(v);
    }
}

int64_t TZipHeaderInfo::GetCompressedSize() const {
    if (CompressedSizeField != kMarker32 || !FZip64) return CompressedSizeField;
    return static_cast<int64_t>(FZip64->CompressedSize);
}

void TZipHeaderInfo::SetCompressedSize(int64_t v) {
    if (static_cast<uint64_t>(v) >= kMarker32) {
        Zip64Record().CompressedSize = static_cast<uint64_t>(v);
        CompressedSizeField = kMarker32;
    } else {
        CompressedSizeField = static_cast<uint32_t>(v);
    }
}

int64_t TZipHeaderInfo::GetUncompressedSize() const {
    if (UncompressedSizeField != kMarker32 || !FZip64) return UncompressedSizeField;
    return static_cast<int64_t>(FZip64->UncompressedSize);
}

void TZipHeaderInfo::SetUncompressedSize(int64_t v) {
    if (static_cast<uint64_t>(v) >= kMarker32) {
        Zip64Record().UncompressedSize = static_cast<uint64_t>(v);
        UncompressedSizeField = kMarker32;
    } else {
        UncompressedSizeField = static_cast<uint32_t>(v);
    }
}

uint32_t TZipHeaderInfo::GetDiskNumberStart() const {
    if (DiskNumberStartField != kMarker16 || !FZip64) return DiskNumberStartField;
    return FZip64->DiskNumberStart;
}

void TZipHeaderInfo::SetDiskNumberStart(uint32_t v) {
    if (v >= kMarker16) {
        Zip64Record().DiskNumberStart = v;
        DiskNumberStartField = kMarker16;
    } else {
        DiskNumberStartField = static_cast<uint16_t>(v);
    }
}

const AnsiString& TZipHeaderInfo::GetComment() const {
    static const AnsiString empty;
    return FComment ? *FComment : empty;
}

void TZipHeaderInfo::SetComment(const AnsiString& text) {
    // A comment field holds at most 65535 bytes.
    AnsiString t = text.substr(0, 0xFFFF);
    if (t.empty()) {
        FComment.reset();
        CommentLength = 0;
    } else {
        FComment = std::make_unique<AnsiString>(t);
        CommentLength = static_cast<uint16_t>(t.size());
    }
}

void TZipHeaderInfo::SetCommentFromArchive(const AnsiString& text) {
    FComment = std::make_unique<AnsiString>(text);
}

int TZipHeaderInfo::Zip64ExtraSize(bool central) const {
    int z = 0;
    if (UncompressedSizeField == kMarker32) z += 8;
    if (CompressedSizeField == kMarker32 || (!central && UncompressedSizeField == kMarker32)) z += 8;
    if (RelativeOffsetField == kMarker32) z += 8;
    if (DiskNumberStartField == kMarker16) z += 4;
    return z;
}

namespace {
std::string Zip64Block(const TZipHeaderInfo& h, bool central) {
    TLEWriter w;
    w.U16(kZip64Tag);
    w.U16(static_cast<uint16_t>(h.Zip64ExtraSize(central)));
    if (h.UncompressedSizeField == kMarker32) w.U64(static_cast<uint64_t>(h.GetUncompressedSize()));
    if (h.CompressedSizeField == kMarker32 || (!central && h.UncompressedSizeField == kMarker32))
        w.U64(static_cast<uint64_t>(h.GetCompressedSize()));
    if (h.RelativeOffsetField == kMarker32) w.U64(static_cast<uint64_t>(h.GetRelativeOffset()));
    if (h.DiskNumberStartField == kMarker16) w.U32(h.GetDiskNumberStart());
    return w.Data;
}
}  // namespace

void TZipHeaderInfo::WriteZip64Extra(TStream* stream, bool central) {
    std::string b = Zip64Block(*this, central);
    stream->WriteBuffer(b.data(), static_cast<int32_t>(b.size()));
}

void TZipHeaderInfo::NameToOem(AnsiString& name) {
    switch (OEMConvert) {
    case oemNever:
        break;
    case oemAlways:
        name = AnsiToOemString(name);
        break;
    case oemFlexible: {
        AnsiString oem = AnsiToOemString(name);
        AnsiString back = OemToAnsiString(oem);
        if (back == name) {
            name = oem;
        } else {
            VersionMadeBy = static_cast<uint16_t>((VersionMadeBy & 0x00FF) | 0x0B00);   // stored as ANSI (NTFS)
        }
        break;
    }
    }
}

void TZipHeaderInfo::NameFromOem(AnsiString& name) const {
    if (OEMConvert == oemAlways || (OEMConvert == oemFlexible && (VersionMadeBy & 0x0B00) != 0x0B00))
        name = OemToAnsiString(name);
}

AnsiString TZipHeaderInfo::StoredName() {
    AnsiString name = ToZipSlashes(FDirectory + FFileName);
    NameToOem(name);
    return name.substr(0, 0xFFFF);
}

void TZipHeaderInfo::WriteLocalHeader(TStream* stream) {
    SetRelativeOffset(stream->GetPosition());
    AnsiString name = StoredName();
    int z = Zip64ExtraSize(false);
    VersionNeeded = z > 0 ? 45 : 20;
    TLEWriter w;
    w.U32(ZipSignatures().Local);
    w.U16(VersionNeeded);
    w.U16(Flag);
    w.U16(CompressionMethod);
    w.U32(DateTime);
    w.U32(CRC32);
    w.U32(UncompressedSizeField == kMarker32 ? kMarker32 : CompressedSizeField);
    w.U32(UncompressedSizeField);
    FileNameLength = static_cast<uint16_t>(name.size());
    w.U16(FileNameLength);
    w.U16(static_cast<uint16_t>(LocalExtraLength + (z > 0 ? z + 4 : 0)));
    w.Bytes(name.data(), name.size());
    if (z > 0) w.Data += Zip64Block(*this, false);
    stream->WriteBuffer(w.Data.data(), static_cast<int32_t>(w.Data.size()));
}

void TZipHeaderInfo::WriteCentralHeader(TStream* dest, TStream* sourceArchive) {
    AnsiString name = StoredName();
    int z = Zip64ExtraSize(true);
    VersionNeeded = z > 0 ? 45 : 20;

    // The extra field is assembled first so that the length written is the length that
    // follows: the old blocks except zip64 (whole blocks only), then a fresh zip64 block.
    std::string extra;
    if (StoredCentralExtraLength != 0 && sourceArchive) {
        std::vector<uint8_t> old(StoredCentralExtraLength);
        sourceArchive->Seek(CentralExtraPosition, soBeginning);
        size_t got = static_cast<size_t>(ReadUpTo(sourceArchive, old.data(), StoredCentralExtraLength));
        for (size_t pos = 0; pos + 4 <= got;) {
            uint16_t tag = GetLE16(&old[pos]);
            size_t size = GetLE16(&old[pos + 2]);
            if (pos + 4 + size > got) break;
            if (tag != kZip64Tag) extra.append(reinterpret_cast<const char*>(&old[pos]), 4 + size);
            pos += 4 + size;
        }
    }
    std::string zip64 = z > 0 ? Zip64Block(*this, true) : std::string();
    if (extra.size() + zip64.size() > 0xFFFF) extra.clear();
    extra += zip64;
    CentralExtraLength = static_cast<uint16_t>(extra.size());
    if (z == 0) FZip64.reset();

    // The comment: the text held, else the bytes still in the source archive; a length
    // is never written without its bytes.
    AnsiString comment;
    if (FComment) {
        comment = *FComment;
    } else if (CommentLength != 0 && sourceArchive) {
        comment.resize(CommentLength);
        sourceArchive->Seek(CentralExtraPosition + StoredCentralExtraLength, soBeginning);
        if (ReadUpTo(sourceArchive, &comment[0], CommentLength) != CommentLength) comment.clear();
    }
    CommentLength = static_cast<uint16_t>(comment.size());

    TLEWriter w;
    w.U32(ZipSignatures().Central);
    w.U16(VersionMadeBy);
    w.U16(VersionNeeded);
    w.U16(Flag);
    w.U16(CompressionMethod);
    w.U32(DateTime);
    w.U32(CRC32);
    w.U32(CompressedSizeField);
    w.U32(UncompressedSizeField);
    FileNameLength = static_cast<uint16_t>(name.size());
    w.U16(FileNameLength);
    w.U16(CentralExtraLength);
    w.U16(CommentLength);
    w.U16(DiskNumberStartField);
    w.U16(InternalAttributes);
    w.U32(ExternalAttributes);
    w.U32(RelativeOffsetField);
    w.Bytes(name.data(), name.size());
    w.Data += extra;
    w.Data += comment;
    dest->WriteBuffer(w.Data.data(), static_cast<int32_t>(w.Data.size()));
}

void TZipHeaderInfo::FillFromCentral(const uint8_t* rec, const AnsiString& fullName) {
    VersionMadeBy = GetLE16(rec + 4);
    VersionNeeded = GetLE16(rec + 6);
    Flag = GetLE16(rec + 8);
    CompressionMethod = GetLE16(rec + 10);
    DateTime = RepairDosDateTime(GetLE32(rec + 12));
    CRC32 = GetLE32(rec + 16);
    CompressedSizeField = GetLE32(rec + 20);
    UncompressedSizeField = GetLE32(rec + 24);
    FileNameLength = GetLE16(rec + 28);
    CentralExtraLength = GetLE16(rec + 30);
    CommentLength = GetLE16(rec + 32);
    DiskNumberStartField = GetLE16(rec + 34);
    InternalAttributes = GetLE16(rec + 36);
    ExternalAttributes = GetLE32(rec + 38);
    RelativeOffsetField = GetLE32(rec + 42);
    CentralHeaderPosition = 0;
    SplitName(fullName);
    FComment.reset();
    MatchFlag = 0;
    Selected = 0;
}

void TZipHeaderInfo::FillFromLocal(const uint8_t* rec, const AnsiString& fullName) {
    VersionMadeBy = 0;
    VersionNeeded = GetLE16(rec + 4);
    Flag = GetLE16(rec + 6);
    CompressionMethod = GetLE16(rec + 8);
    DateTime = RepairDosDateTime(GetLE32(rec + 10));
    CRC32 = GetLE32(rec + 14);
    CompressedSizeField = GetLE32(rec + 18);
    UncompressedSizeField = GetLE32(rec + 22);
    FileNameLength = GetLE16(rec + 26);
    LocalExtraLength = GetLE16(rec + 28);
    CommentLength = 0;
    DiskNumberStartField = 0;
    InternalAttributes = 0;
    ExternalAttributes = 0;
    RelativeOffsetField = 0;
    CentralHeaderPosition = 0;
    SplitName(fullName);
    FComment.reset();
}

// Walks the extra field block by block. Blocks that run past the field's end end the walk;
// a zip64 block shorter than the values it should hold leaves the missing ones at their
// markers. In a local header the zip64 block holds both sizes whenever either is marked.
void TZipHeaderInfo::TakeZip64Extra(const uint8_t* extra, size_t length, bool central) {
    if (central) Zip64BlockLength = 0;
    for (size_t pos = 0; pos + 4 <= length;) {
        uint16_t tag = GetLE16(extra + pos);
        size_t size = GetLE16(extra + pos + 2);
        if (pos + 4 + size > length) break;
        if (tag == kZip64Tag) {
            const uint8_t* d = extra + pos + 4;
            size_t off = 0;
            auto next64 = [&](uint64_t& out) {
                if (off + 8 <= size) {
                    out = GetLE64(d + off);
                    off += 8;
                } else {
                    out = kMarker32;
                }
            };
            TZip64Record& r = Zip64Record();
            r.DataSize = static_cast<uint16_t>(size);
            bool u = UncompressedSizeField == kMarker32;
            bool c = CompressedSizeField == kMarker32;
            if (central) {
                Zip64BlockLength = static_cast<uint16_t>(size + 4);
                if (u) next64(r.UncompressedSize);
                if (c) next64(r.CompressedSize);
                if (RelativeOffsetField == kMarker32) next64(r.RelativeOffset);
                if (DiskNumberStartField == kMarker16) {
                    if (off + 4 <= size)
                        r.DiskNumberStart = GetLE32(d + off);
                    else
                        r.DiskNumberStart = kMarker16;
                }
            } else if (u || c) {
                uint64_t first = kMarker32, second = kMarker32;
                next64(first);
                next64(second);
                if (u) r.UncompressedSize = first;
                if (c) r.CompressedSize = (u || size >= 16) ? second : first;
            }
            return;
        }
        pos += 4 + size;
    }
}

void TZipHeaderInfo::ReadZip64Extra(TStream* stream) {
    std::vector<uint8_t> extra(CentralExtraLength);
    size_t got = static_cast<size_t>(ReadUpTo(stream, extra.data(), CentralExtraLength));
    TakeZip64Extra(extra.data(), got, true);
}

bool TZipHeaderInfo::ReadCentralHeader(TStream*& stream, const TNextDiskHandler& nextDisk) {
    const int64_t p = stream->GetPosition();
    uint8_t rec[kCentralHeaderFixed];
    int32_t got = ReadUpTo(stream, rec, kCentralHeaderFixed);
    uint8_t sig[4];
    PutLE32(sig, ZipSignatures().Central);
    if (got < kCentralHeaderFixed && nextDisk) {
        bool startsRight = true;
        for (int i = 0; i < got && i < 4; ++i) startsRight = startsRight && rec[i] == sig[i];
        if (got == 0 || startsRight) {
            stream = nextDisk();
            got += ReadUpTo(stream, rec + got, kCentralHeaderFixed - got);
            if (got < kCentralHeaderFixed || GetLE32(rec) != ZipSignatures().Central) return false;
        }
    }
    if (got < kCentralHeaderFixed || GetLE32(rec) != ZipSignatures().Central) {
        stream->Seek(p, soBeginning);
        return false;
    }
    const uint16_t n = GetLE16(rec + 28);
    const uint16_t e = GetLE16(rec + 30);
    AnsiString name(n, '\0');
    if (n != 0 && ReadUpTo(stream, &name[0], n) != n) {
        stream->Seek(p, soBeginning);
        return false;
    }
    name = ToDosSlashes(name);
    if ((GetLE16(rec + 4) >> 8) == 0) NameFromOem(name);   // made on MS-DOS: an OEM name
    FillFromCentral(rec, name);
    CentralHeaderPosition = p;
    CentralExtraPosition = stream->GetPosition();
    StoredCentralExtraLength = e;
    Zip64BlockLength = 0;
    if (e != 0) {
        std::vector<uint8_t> extra(e);
        if (ReadUpTo(stream, extra.data(), e) != e) {   // the directory ends inside this record
            stream->Seek(p, soBeginning);
            return false;
        }
        TakeZip64Extra(extra.data(), e, true);
        stream->Seek(CentralExtraPosition, soBeginning);
    }
    return true;
}

bool TZipHeaderInfo::ReadLocalHeader(TStream* stream) {
    const int64_t p = stream->GetPosition();
    uint8_t rec[kLocalHeaderFixed];
    if (ReadUpTo(stream, rec, kLocalHeaderFixed) != kLocalHeaderFixed || GetLE32(rec) != ZipSignatures().Local) {
        stream->Seek(p, soBeginning);
        return false;
    }
    const uint16_t n = GetLE16(rec + 26);
    AnsiString name(n, '\0');
    if (n != 0 && ReadUpTo(stream, &name[0], n) != n) {
        stream->Seek(p, soBeginning);
        return false;
    }
    name = ToDosSlashes(name);
    VersionMadeBy = 0;
    NameFromOem(name);
    FillFromLocal(rec, name);
    FZip64.reset();
    SetRelativeOffset(p);
    if (LocalExtraLength != 0) {
        const int64_t q = stream->GetPosition();
        std::vector<uint8_t> extra(LocalExtraLength);
        size_t got = static_cast<size_t>(ReadUpTo(stream, extra.data(), LocalExtraLength));
        TakeZip64Extra(extra.data(), got, false);
        stream->Seek(q, soBeginning);
    }
    return true;
}
