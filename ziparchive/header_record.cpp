#include "ziparchive/header_record.h"

#include <vector>

#include "ziparchive/file_utils.h"
#include "classlib/little_endian.h"
#include "ziparchive/record_fields.h"
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
    FStoredNameBytes.clear();
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
    FStoredNameBytes = src->FStoredNameBytes;
    CentralExtraPosition = src->CentralExtraPosition;
    StoredCentralExtraLength = src->StoredCentralExtraLength;
    Zip64BlockLength = src->Zip64BlockLength;
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
    if (name != FFileName) {
        FFileName = name;
        FStoredNameBytes.clear();
    }
    FileNameLength = static_cast<uint16_t>(FDirectory.size() + FFileName.size());
}

void TZipHeaderInfo::SetDirectory(const AnsiString& dir) {
    AnsiString d = dir;
    if (!d.empty() && !EndsWithChar(d, '\\')) d += '\\';
    if (d != FDirectory) {
        FDirectory = d;
        FStoredNameBytes.clear();
    }
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

namespace {

// A size, offset or disk field holds its value, or its marker when the value stands in the
// zip64 record instead. A field that holds its marker but has no zip64 record reads as the
// marker itself: a value no archive of that size can satisfy, so the bounds checks of the
// readers catch it.
template <typename Field, typename Wide>
Wide MarkedValue(Field field, Field marker, const TZip64Record* zip64, Wide TZip64Record::*wide) {
    if (field != marker || !zip64) return field;
    return zip64->*wide;
}

// Stores value in the field, or in the header's zip64 record (made when needed) with the
// field's marker when the field is too narrow for it.
template <typename Field, typename Wide>
void StoreMarked(TZipHeaderInfo& header, Field& field, Field marker, Wide value, Wide TZip64Record::*wide) {
    if (value >= marker) {
        header.Zip64Record().*wide = value;
        field = marker;
    } else {
        field = static_cast<Field>(value);
    }
}

}  // namespace

int64_t TZipHeaderInfo::GetRelativeOffset() const {
    return static_cast<int64_t>(
        MarkedValue(RelativeOffsetField, kMarker32, FZip64.get(), &TZip64Record::RelativeOffset));
}

void TZipHeaderInfo::SetRelativeOffset(int64_t v) {
    StoreMarked(*this, RelativeOffsetField, kMarker32, static_cast<uint64_t>(v), &TZip64Record::RelativeOffset);
}

int64_t TZipHeaderInfo::GetCompressedSize() const {
    return static_cast<int64_t>(
        MarkedValue(CompressedSizeField, kMarker32, FZip64.get(), &TZip64Record::CompressedSize));
}

void TZipHeaderInfo::SetCompressedSize(int64_t v) {
    StoreMarked(*this, CompressedSizeField, kMarker32, static_cast<uint64_t>(v), &TZip64Record::CompressedSize);
}

int64_t TZipHeaderInfo::GetUncompressedSize() const {
    return static_cast<int64_t>(
        MarkedValue(UncompressedSizeField, kMarker32, FZip64.get(), &TZip64Record::UncompressedSize));
}

void TZipHeaderInfo::SetUncompressedSize(int64_t v) {
    StoreMarked(*this, UncompressedSizeField, kMarker32, static_cast<uint64_t>(v), &TZip64Record::UncompressedSize);
}

uint32_t TZipHeaderInfo::GetDiskNumberStart() const {
    return MarkedValue(DiskNumberStartField, kMarker16, FZip64.get(), &TZip64Record::DiskNumberStart);
}

void TZipHeaderInfo::SetDiskNumberStart(uint32_t v) {
    StoreMarked(*this, DiskNumberStartField, kMarker16, v, &TZip64Record::DiskNumberStart);
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
    if (!FStoredNameBytes.empty()) return FStoredNameBytes;
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
        WalkExtraField(old.data(), got, [&](const TExtraBlock& b) {
            if (b.Tag != kZip64Tag) extra.append(reinterpret_cast<const char*>(&old[b.Offset]), 4 + b.Size);
            return false;
        });
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

AnsiString TZipHeaderInfo::NameFromArchive(const AnsiString& stored, bool madeOnDos) const {
    if (Flag & kFlagUtf8Name) return ToDosSlashes(Utf8ToAnsiString(stored));
    AnsiString name = ToDosSlashes(stored);
    if (madeOnDos) NameFromOem(name);
    return name;
}

bool TZipHeaderInfo::SizesSound() const {
    return GetCompressedSize() >= 0 && GetUncompressedSize() >= 0 && GetRelativeOffset() >= 0;
}

void TZipHeaderInfo::FillFromCentral(const uint8_t* rec, const AnsiString& fullName) {
    namespace f = central_header;
    const TRecordCursor r(rec, f::Size);
    VersionMadeBy = r.U16(f::VersionMadeBy);
    VersionNeeded = r.U16(f::VersionNeeded);
    Flag = r.U16(f::Flag);
    CompressionMethod = r.U16(f::Method);
    DateTime = RepairDosDateTime(r.U32(f::DosDateTime));
    CRC32 = r.U32(f::Crc);
    CompressedSizeField = r.U32(f::CompressedSize);
    UncompressedSizeField = r.U32(f::UncompressedSize);
    FileNameLength = r.U16(f::NameLength);
    CentralExtraLength = r.U16(f::ExtraLength);
    CommentLength = r.U16(f::CommentLength);
    DiskNumberStartField = r.U16(f::DiskNumberStart);
    InternalAttributes = r.U16(f::InternalAttributes);
    ExternalAttributes = r.U32(f::ExternalAttributes);
    RelativeOffsetField = r.U32(f::RelativeOffset);
    CentralHeaderPosition = 0;
    SplitName(fullName);
    FComment.reset();
    MatchFlag = 0;
    Selected = 0;
}

void TZipHeaderInfo::FillFromLocal(const uint8_t* rec, const AnsiString& fullName) {
    namespace f = local_header;
    const TRecordCursor r(rec, f::Size);
    VersionMadeBy = 0;
    VersionNeeded = r.U16(f::VersionNeeded);
    Flag = r.U16(f::Flag);
    CompressionMethod = r.U16(f::Method);
    DateTime = RepairDosDateTime(r.U32(f::DosDateTime));
    CRC32 = r.U32(f::Crc);
    CompressedSizeField = r.U32(f::CompressedSize);
    UncompressedSizeField = r.U32(f::UncompressedSize);
    FileNameLength = r.U16(f::NameLength);
    LocalExtraLength = r.U16(f::ExtraLength);
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
    WalkExtraField(extra, length, [&](const TExtraBlock& b) {
        if (b.Tag != kZip64Tag) return false;
        const TRecordCursor d(b.Data, b.Size);
        size_t off = 0;
        auto next64 = [&](uint64_t& out) {
            out = off + 8 <= b.Size ? d.U64(off) : kMarker32;
            off += 8;
        };
        TZip64Record& r = Zip64Record();
        r.DataSize = static_cast<uint16_t>(b.Size);
        const bool u = UncompressedSizeField == kMarker32;
        const bool c = CompressedSizeField == kMarker32;
        if (central) {
            Zip64BlockLength = static_cast<uint16_t>(b.Size + 4);
            if (u) next64(r.UncompressedSize);
            if (c) next64(r.CompressedSize);
            if (RelativeOffsetField == kMarker32) next64(r.RelativeOffset);
            if (DiskNumberStartField == kMarker16) r.DiskNumberStart = off + 4 <= b.Size ? d.U32(off) : kMarker16;
        } else if (u || c) {
            uint64_t first = kMarker32, second = kMarker32;
            next64(first);
            next64(second);
            if (u) r.UncompressedSize = first;
            if (c) r.CompressedSize = (u || b.Size >= 16) ? second : first;
        }
        return true;
    });
}

void TZipHeaderInfo::ReadZip64Extra(TStream* stream) {
    std::vector<uint8_t> extra(CentralExtraLength);
    size_t got = static_cast<size_t>(ReadUpTo(stream, extra.data(), CentralExtraLength));
    TakeZip64Extra(extra.data(), got, true);
}

bool TZipHeaderInfo::ReadCentralHeader(TStream*& stream, const TNextDiskHandler& nextDisk) {
    namespace f = central_header;
    const int64_t p = stream->GetPosition();
    uint8_t rec[f::Size];
    int32_t got = ReadUpTo(stream, rec, f::Size);
    const TRecordCursor r(rec, f::Size);
    uint8_t sig[4];
    PutLE32(sig, ZipSignatures().Central);
    if (got < static_cast<int32_t>(f::Size) && nextDisk) {
        bool startsRight = true;
        for (int i = 0; i < got && i < 4; ++i) startsRight = startsRight && rec[i] == sig[i];
        if (got == 0 || startsRight) {
            stream = nextDisk();
            got += ReadUpTo(stream, rec + got, static_cast<int32_t>(f::Size) - got);
            if (got < static_cast<int32_t>(f::Size) || r.U32(f::Signature) != ZipSignatures().Central) return false;
        }
    }
    if (got < static_cast<int32_t>(f::Size) || r.U32(f::Signature) != ZipSignatures().Central) {
        stream->Seek(p, soBeginning);
        return false;
    }
    const uint16_t n = r.U16(f::NameLength);
    const uint16_t e = r.U16(f::ExtraLength);
    AnsiString stored(n, '\0');
    if (n != 0 && !ReadExactly(stream, &stored[0], n)) {
        stream->Seek(p, soBeginning);
        return false;
    }
    FillFromCentral(rec, AnsiString());
    SplitName(NameFromArchive(stored, (VersionMadeBy >> 8) == 0));   // made on MS-DOS: an OEM name
    FStoredNameBytes = stored;
    CentralHeaderPosition = p;
    CentralExtraPosition = stream->GetPosition();
    StoredCentralExtraLength = e;
    Zip64BlockLength = 0;
    if (e != 0) {
        std::vector<uint8_t> extra(e);
        if (!ReadExactly(stream, extra.data(), e)) {   // the directory ends inside this record
            stream->Seek(p, soBeginning);
            return false;
        }
        TakeZip64Extra(extra.data(), e, true);
        stream->Seek(CentralExtraPosition, soBeginning);
    }
    if (!SizesSound()) {
        stream->Seek(p, soBeginning);
        return false;
    }
    return true;
}

bool TZipHeaderInfo::ReadLocalHeader(TStream* stream) {
    namespace f = local_header;
    const int64_t p = stream->GetPosition();
    uint8_t rec[f::Size];
    const TRecordCursor r(rec, f::Size);
    if (!ReadExactly(stream, rec, f::Size) || r.U32(f::Signature) != ZipSignatures().Local) {
        stream->Seek(p, soBeginning);
        return false;
    }
    const uint16_t n = r.U16(f::NameLength);
    AnsiString stored(n, '\0');
    if (n != 0 && !ReadExactly(stream, &stored[0], n)) {
        stream->Seek(p, soBeginning);
        return false;
    }
    FillFromLocal(rec, AnsiString());
    SplitName(NameFromArchive(stored, true));
    FStoredNameBytes = stored;
    FZip64.reset();
    SetRelativeOffset(p);
    if (LocalExtraLength != 0) {
        const int64_t q = stream->GetPosition();
        std::vector<uint8_t> extra(LocalExtraLength);
        size_t got = static_cast<size_t>(ReadUpTo(stream, extra.data(), LocalExtraLength));
        TakeZip64Extra(extra.data(), got, false);
        stream->Seek(q, soBeginning);
    }
    if (!SizesSound()) {
        stream->Seek(p, soBeginning);
        return false;
    }
    return true;
}
