#include "ziparchive/end_record.h"

#include <algorithm>
#include <vector>

#include "classlib/little_endian.h"
#include "ziparchive/record_fields.h"
#include "ziparchive/stream_read.h"
#include "ziparchive/zip_signatures.h"

namespace {
// The end record plus the longest comment it can carry.
constexpr int64_t kEndSearchSpan = kEndCentralSize + kMaxArchiveComment;
}  // namespace

TZip64EndCentral::TZip64EndCentral() : Signature(kZip64EndCentralSig) {}
TZip64Locator::TZip64Locator() : Signature(kZip64LocatorSig) {}

TEndCentral::TEndCentral() { ClearEndCentral(); }
TEndCentral::~TEndCentral() = default;

void TEndCentral::ClearEndCentral() {
    Signature = ZipSignatures().EndCentral;
    ThisDiskField = CentralStartDiskField = EntriesThisDiskField = TotalEntriesField = 0;
    CentralSizeField = CentralOffsetField = 0;
    CommentLength = 0;
    FZipComment.reset();
    CommentPosition = 0;
    FModified = false;
}

void TEndCentral::Assign(TPersistent* source) {
    auto* src = dynamic_cast<TEndCentral*>(source);
    if (!src) {
        TPersistent::Assign(source);
        return;
    }
    if (src == this) return;
    Signature = src->Signature;
    ThisDiskField = src->ThisDiskField;
    CentralStartDiskField = src->CentralStartDiskField;
    EntriesThisDiskField = src->EntriesThisDiskField;
    TotalEntriesField = src->TotalEntriesField;
    CentralSizeField = src->CentralSizeField;
    CentralOffsetField = src->CentralOffsetField;
    CommentLength = src->CommentLength;
    FZipComment = (src->CommentLength != 0 && src->FZipComment) ? std::make_unique<AnsiString>(*src->FZipComment)
                                                                 : nullptr;
    CommentPosition = src->CommentPosition;
}

void TEndCentral::AssignTo(TPersistent* dest) {
    if (auto* d = dynamic_cast<TEndCentral*>(dest))
        d->Assign(this);
    else
        TPersistent::AssignTo(dest);
}

const AnsiString& TEndCentral::GetComment() const {
    static const AnsiString empty;
    return FZipComment ? *FZipComment : empty;
}

void TEndCentral::SetComment(const AnsiString& text) {
    AnsiString t = text.substr(0, kMaxArchiveComment);
    FZipComment = t.empty() ? nullptr : std::make_unique<AnsiString>(t);
    CommentLength = static_cast<uint16_t>(t.size());
}

void TEndCentral::SetCommentFromArchive(const AnsiString& text) { FZipComment = std::make_unique<AnsiString>(text); }

TZip64EndCentral& TEndCentral::Zip64EndRecordMake() {
    if (!FZip64EOC) FZip64EOC = std::make_unique<TZip64EndCentral>();
    return *FZip64EOC;
}

void TEndCentral::FreeZip64Records() {
    FZip64EOC.reset();
    FZip64EOCL.reset();
}

uint32_t TEndCentral::GetThisDisk() const {
    return (ThisDiskField == 0xFFFF && FZip64EOC) ? FZip64EOC->ThisDisk : ThisDiskField;
}

void TEndCentral::SetThisDisk(uint32_t v) {
    if (v > 0xFFFE) {
        Zip64EndRecordMake().ThisDisk = v;
        ThisDiskField = 0xFFFF;
    } else {
        ThisDiskField = static_cast<uint16_t>(v);
    }
}

uint32_t TEndCentral::GetCentralStartDisk() const {
    return (CentralStartDiskField == 0xFFFF && FZip64EOC) ? FZip64EOC->CentralStartDisk : CentralStartDiskField;
}

void TEndCentral::SetCentralStartDisk(uint32_t v) {
    if (v > 0xFFFE) {
        Zip64EndRecordMake().CentralStartDisk = v;
        CentralStartDiskField = 0xFFFF;
    } else {
        CentralStartDiskField = static_cast<uint16_t>(v);
    }
}

uint64_t TEndCentral::GetEntriesThisDisk() const {
    return (EntriesThisDiskField == 0xFFFF && FZip64EOC) ? FZip64EOC->EntriesThisDisk : EntriesThisDiskField;
}

void TEndCentral::SetEntriesThisDisk(uint64_t v) {
    if (v > 0xFFFE) {
        Zip64EndRecordMake().EntriesThisDisk = v;
        EntriesThisDiskField = 0xFFFF;
    } else {
        EntriesThisDiskField = static_cast<uint16_t>(v);
        if (FZip64EOC) FZip64EOC->EntriesThisDisk = v;
    }
}

uint64_t TEndCentral::GetTotalEntries() const {
    return (TotalEntriesField == 0xFFFF && FZip64EOC) ? FZip64EOC->TotalEntries : TotalEntriesField;
}

void TEndCentral::SetTotalEntries(uint64_t v) {
    if (v > 0xFFFE) {
        Zip64EndRecordMake().TotalEntries = v;
        TotalEntriesField = 0xFFFF;
    } else {
        TotalEntriesField = static_cast<uint16_t>(v);
        if (FZip64EOC) FZip64EOC->TotalEntries = v;
    }
}

uint64_t TEndCentral::GetCentralSize() const {
    return (CentralSizeField == 0xFFFFFFFFu && FZip64EOC) ? FZip64EOC->CentralSize : CentralSizeField;
}

void TEndCentral::SetCentralSize(uint64_t v) {
    if (v >= 0xFFFFFFFFu) {
        Zip64EndRecordMake().CentralSize = v;
        CentralSizeField = 0xFFFFFFFFu;
    } else {
        CentralSizeField = static_cast<uint32_t>(v);
        if (FZip64EOC) FZip64EOC->CentralSize = v;
    }
}

int64_t TEndCentral::GetCentralOffset() const {
    if (CentralOffsetField == 0xFFFFFFFFu && FZip64EOC) return static_cast<int64_t>(FZip64EOC->CentralOffset);
    return CentralOffsetField;
}

void TEndCentral::SetCentralOffset(int64_t v) {
    if (static_cast<uint64_t>(v) >= 0xFFFFFFFFu) {
        Zip64EndRecordMake().CentralOffset = static_cast<uint64_t>(v);
        CentralOffsetField = 0xFFFFFFFFu;
    } else {
        CentralOffsetField = static_cast<uint32_t>(v);
    }
}

bool TEndCentral::ReadEndCentral(TStream* stream) {
    // The zip64 records always belong to the archive just read, never to an earlier one.
    FreeZip64Records();
    const int64_t size = stream->GetSize();
    if (size < kEndCentralSize) return size == 0;

    const int64_t n = std::min(kEndSearchSpan, size);
    std::vector<uint8_t> tail(static_cast<size_t>(n));
    stream->Seek(size - n, soBeginning);
    if (!ReadExactly(stream, tail.data(), static_cast<int32_t>(n))) return false;

    const uint32_t sig = ZipSignatures().EndCentral;
    const uint8_t first = ZipSignatures().EndCentralFirstByte;
    int64_t hit = -1;
    for (int64_t i = n - kEndCentralSize; i >= 0; --i) {
        if (tail[static_cast<size_t>(i)] == first && GetLE32(&tail[static_cast<size_t>(i)]) == sig) {
            hit = i;
            break;
        }
    }
    if (hit < 0) return false;

    namespace f = end_central;
    const TRecordCursor r(&tail[static_cast<size_t>(hit)], static_cast<size_t>(n - hit));
    Signature = sig;
    ThisDiskField = r.U16(f::ThisDisk);
    CentralStartDiskField = r.U16(f::CentralStartDisk);
    EntriesThisDiskField = r.U16(f::EntriesThisDisk);
    TotalEntriesField = r.U16(f::TotalEntries);
    CentralSizeField = r.U32(f::CentralSize);
    CentralOffsetField = r.U32(f::CentralOffset);
    CommentLength = r.U16(f::CommentLength);
    FZipComment.reset();
    const int64_t recordPos = size - n + hit;
    CommentPosition = recordPos + kEndCentralSize;

    if (hit >= kZip64LocatorSize) {
        namespace lf = zip64_locator;
        const TRecordCursor l(&tail[static_cast<size_t>(hit - kZip64LocatorSize)], lf::Size);
        if (l.U32(lf::Signature) == kZip64LocatorSig) {
            auto loc = std::make_unique<TZip64Locator>();
            loc->Zip64Disk = l.U32(lf::Zip64Disk);
            loc->Zip64Offset = l.U64(lf::Zip64Offset);
            loc->TotalDisks = l.U32(lf::TotalDisks);
            // The zip64 end record must lie wholly before the locator and carry its signature;
            // anything else is a damaged or foreign locator, and the 32-bit record stands alone.
            // A locator within the file's first 56 bytes leaves no room for the record: the
            // limit is then negative and no offset passes (unsigned, it would let any pass).
            const int64_t locatorPos = recordPos - kZip64LocatorSize;
            const int64_t lastRecordStart = locatorPos - kZip64EndCentralSize;
            if (lastRecordStart >= 0 && loc->Zip64Offset <= static_cast<uint64_t>(lastRecordStart)) {
                namespace zf = zip64_end;
                uint8_t z[zf::Size];
                const TRecordCursor zr(z, zf::Size);
                stream->Seek(static_cast<int64_t>(loc->Zip64Offset), soBeginning);
                if (ReadExactly(stream, z, zf::Size) && zr.U32(zf::Signature) == kZip64EndCentralSig) {
                    auto e = std::make_unique<TZip64EndCentral>();
                    e->RecordSize = zr.U64(zf::RecordSize);
                    e->VersionMadeBy = zr.U16(zf::VersionMadeBy);
                    e->VersionNeeded = zr.U16(zf::VersionNeeded);
                    e->ThisDisk = zr.U32(zf::ThisDisk);
                    e->CentralStartDisk = zr.U32(zf::CentralStartDisk);
                    e->EntriesThisDisk = zr.U64(zf::EntriesThisDisk);
                    e->TotalEntries = zr.U64(zf::TotalEntries);
                    e->CentralSize = zr.U64(zf::CentralSize);
                    e->CentralOffset = zr.U64(zf::CentralOffset);
                    FZip64EOC = std::move(e);
                    FZip64EOCL = std::move(loc);
                }
            }
        }
    }
    return true;
}

void TEndCentral::WriteEndCentral(TStream* stream) {
    TLEWriter w;
    if (FZip64EOC) {
        TZip64EndCentral& z = *FZip64EOC;
        if (!FZip64EOCL) FZip64EOCL = std::make_unique<TZip64Locator>();
        FZip64EOCL->Zip64Offset = static_cast<uint64_t>(stream->GetPosition());
        FZip64EOCL->Zip64Disk = GetThisDisk();
        FZip64EOCL->TotalDisks = GetThisDisk() + 1;
        // Fields below their markers are copied, widened; any marker calls for the records.
        bool anyMarker = false;
        if (ThisDiskField == 0xFFFF) anyMarker = true; else z.ThisDisk = ThisDiskField;
        if (CentralStartDiskField == 0xFFFF) anyMarker = true; else z.CentralStartDisk = CentralStartDiskField;
        if (EntriesThisDiskField == 0xFFFF) anyMarker = true; else z.EntriesThisDisk = EntriesThisDiskField;
        if (TotalEntriesField == 0xFFFF) anyMarker = true; else z.TotalEntries = TotalEntriesField;
        if (CentralSizeField == 0xFFFFFFFFu) anyMarker = true; else z.CentralSize = CentralSizeField;
        if (CentralOffsetField == 0xFFFFFFFFu) anyMarker = true; else z.CentralOffset = CentralOffsetField;
        if (anyMarker) {
            w.U32(z.Signature);
            w.U64(z.RecordSize);
            w.U16(z.VersionMadeBy);
            w.U16(z.VersionNeeded);
            w.U32(z.ThisDisk);
            w.U32(z.CentralStartDisk);
            w.U64(z.EntriesThisDisk);
            w.U64(z.TotalEntries);
            w.U64(z.CentralSize);
            w.U64(z.CentralOffset);
            w.U32(FZip64EOCL->Signature);
            w.U32(FZip64EOCL->Zip64Disk);
            w.U64(FZip64EOCL->Zip64Offset);
            w.U32(FZip64EOCL->TotalDisks);
        } else {
            FreeZip64Records();
        }
    }
    w.U32(Signature);
    w.U16(ThisDiskField);
    w.U16(CentralStartDiskField);
    w.U16(EntriesThisDiskField);
    w.U16(TotalEntriesField);
    w.U32(CentralSizeField);
    w.U32(CentralOffsetField);
    // The length written is the length of the bytes that follow.
    const AnsiString& comment = GetComment();
    CommentLength = static_cast<uint16_t>(std::min<size_t>(comment.size(), kMaxArchiveComment));
    w.U16(CommentLength);
    w.Bytes(comment.data(), CommentLength);
    stream->WriteBuffer(w.Data.data(), static_cast<int32_t>(w.Data.size()));
}
