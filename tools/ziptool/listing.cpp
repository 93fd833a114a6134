// ziptool's listing: the directory read by the archive library, in central directory order.
#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "tools/ziptool/listing.h"
#include "ziparchive/arc_unzip.h"
#include "ziparchive/file_utils.h"
#include "classlib/little_endian.h"
#include "ziparchive/stream_read.h"
#include "ziparchive/zip_signatures.h"

namespace {

bool ReadAt(TStream* s, int64_t pos, void* buffer, int32_t count) {
    if (pos < 0) return false;
    s->Seek(pos, soBeginning);
    return ReadExactly(s, buffer, count);
}

// The name bytes of the header the entry was read from: its central header, or for a
// directory rebuilt from local headers its local header.
std::string StoredName(TStream* s, const TZipHeaderInfo& h) {
    uint8_t rec[kCentralHeaderFixed];
    std::string name;
    if (ReadAt(s, h.CentralHeaderPosition, rec, kCentralHeaderFixed) && GetLE32(rec) == ZipSignatures().Central) {
        name.resize(GetLE16(rec + 28));
        if (name.empty() || ReadAt(s, h.CentralHeaderPosition + kCentralHeaderFixed, &name[0], static_cast<int32_t>(name.size())))
            return name;
    }
    if (ReadAt(s, h.GetRelativeOffset(), rec, kLocalHeaderFixed) && GetLE32(rec) == ZipSignatures().Local) {
        name.resize(GetLE16(rec + 26));
        if (name.empty() || ReadAt(s, h.GetRelativeOffset() + kLocalHeaderFixed, &name[0], static_cast<int32_t>(name.size())))
            return name;
    }
    return ToZipSlashes(h.FullName());
}

}  // namespace

std::string ListArchive(const AnsiString& zipName) {
    TArcUnZip zip(nullptr);
    zip.SetOEMConvert(oemNever);
    zip.SetZipName(zipName);
    zip.SetKeepZipOpen(true);
    zip.OpenZip();

    std::vector<TZipHeaderInfo*> entries;
    for (int i = 0; i < zip.EntryCount(); ++i) entries.push_back(zip.Entry(i));
    // Central directory order; records rebuilt from local headers alone (no central header,
    // position 0) follow in archive order.
    auto key = [](const TZipHeaderInfo* h) {
        return h->CentralHeaderPosition > 0 ? h->CentralHeaderPosition : INT64_MAX;
    };
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const TZipHeaderInfo* a, const TZipHeaderInfo* b) { return key(a) < key(b); });

    std::string out;
    char line[96];
    for (const TZipHeaderInfo* h : entries) {
        std::snprintf(line, sizeof line, "%" PRId64 "\t%" PRId64 "\t%08" PRIx32 "\t%u\t", h->GetUncompressedSize(),
                      h->GetCompressedSize(), h->CRC32, static_cast<unsigned>(h->CompressionMethod));
        out += line;
        out += StoredName(zip.GetArchiveStream(), *h);
        out += '\n';
    }
    return out;
}
