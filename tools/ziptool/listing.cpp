// ziptool's listing: the directory read by the archive library, in central directory order.
#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "tools/ziptool/listing.h"
#include "ziparchive/arc_unzip.h"
#include "ziparchive/file_utils.h"

namespace {
// The name bytes of the header the entry was read from (its central header, or for a
// directory rebuilt from local headers its local header).
std::string StoredName(const TZipHeaderInfo& h) {
    const AnsiString& stored = h.GetStoredNameBytes();
    return stored.empty() ? ToZipSlashes(h.FullName()) : stored;
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
    // (A split set's positions belong to different parts: its list is in directory order.)
    if (zip.GetEndRecord()->GetThisDisk() == 0)
        std::stable_sort(entries.begin(), entries.end(),
                         [&](const TZipHeaderInfo* a, const TZipHeaderInfo* b) { return key(a) < key(b); });

    std::string out;
    char line[96];
    for (const TZipHeaderInfo* h : entries) {
        std::snprintf(line, sizeof line, "%" PRId64 "\t%" PRId64 "\t%08" PRIx32 "\t%u\t", h->GetUncompressedSize(),
                      h->GetCompressedSize(), h->CRC32, static_cast<unsigned>(h->CompressionMethod));
        out += line;
        out += StoredName(*h);
        out += '\n';
    }
    return out;
}
