#include "ziparchive/sorted_zip.h"

#include "classlib/date_time.h"
#include "ziparchive/file_utils.h"

namespace {

TDateTime DateOf(const TZipHeaderInfo& h) {
    try {
        return FileDateToDateTime(h.DateTime);
    } catch (const EConvertError&) {
        return 0;
    }
}

// Larger first; never 0.
int LargerFirst(int64_t a, int64_t b) { return b > a ? 1 : -1; }

int Sign(int64_t d) { return d > 0 ? 1 : (d < 0 ? -1 : 0); }

}  // namespace

int32_t TSortedZip::Add(TObject* item) {
    int32_t r = zk::TSortedObjectList::Add(item);
    if (!FIsZip64) {
        auto* h = dynamic_cast<TZipHeaderInfo*>(item);
        if (h && h->HasZip64Record()) FIsZip64 = true;
    }
    return r;
}

int TSortedZip::Compare(const void* key1, const void* key2) const {
    const auto& a = *static_cast<const TZipHeaderInfo*>(static_cast<const TObject*>(key1));
    const auto& b = *static_cast<const TZipHeaderInfo*>(static_cast<const TObject*>(key2));
    switch (SortMode) {
    case ByName:
        return CompareText(a.FullName(), b.FullName());
    case ByFileName:
        return CompareText(a.GetFileName(), b.GetFileName());
    case ByDirectoryName:
        return CompareText(a.GetDirectory(), b.GetDirectory());
    case ByDate:
        return DateOf(b) > DateOf(a) ? 1 : -1;
    case ByCompressedSize:
        return LargerFirst(a.GetCompressedSize(), b.GetCompressedSize());
    case ByUnCompressedSize:
        return LargerFirst(a.GetUncompressedSize(), b.GetUncompressedSize());
    case ByRate:
        return Sign(PercentOf(b.GetCompressedSize(), b.GetUncompressedSize()) -
                    PercentOf(a.GetCompressedSize(), a.GetUncompressedSize()));
    case ByNone:
    default:
        if (a.GetDiskNumberStart() != b.GetDiskNumberStart())
            return a.GetDiskNumberStart() < b.GetDiskNumberStart() ? -1 : 1;
        if (a.GetRelativeOffset() != b.GetRelativeOffset())
            return a.GetRelativeOffset() < b.GetRelativeOffset() ? -1 : 1;
        return 0;
    }
}
