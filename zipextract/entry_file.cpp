#include "zipextract/entry_file.h"

#include "classlib/fileio.h"
#include "ziparchive/arc_exceptions.h"
#include "ziparchive/file_utils.h"
#include "zipextract/file_stamps.h"

namespace {
constexpr int kHostDos = 0;
constexpr int kHostNtfs = 11;
// Read-only, hidden, system and archive: the attributes an extracted file may take over.
constexpr uint32_t kRestoredAttributes = 0x27;
// The most bytes one byte of Deflate data expands to (a little over 1032 to 1).
constexpr int64_t kMaxExpansion = 1033;
constexpr uint16_t kMethodStored = 0;

// The size the file is set to before its data: the uncompressed size, unless the data
// cannot possibly give that much.
int64_t SizeToSetAside(const TZipHeaderInfo& entry) {
    const int64_t packed = entry.GetCompressedSize(), size = entry.GetUncompressedSize();
    if (packed <= 0 || size <= 0) return 0;
    const int64_t most = entry.CompressionMethod == kMethodStored ? packed
                         : packed > INT64_MAX / kMaxExpansion   ? INT64_MAX
                                                                : packed * kMaxExpansion;
    return size <= most ? size : 0;
}
}  // namespace

std::unique_ptr<TLFNFileStream> CreateEntryFile(const AnsiString& name, const TZipHeaderInfo& entry,
                                                const TEntryFileOptions& options) {
    auto create = [&]() {
        auto out = std::make_unique<TLFNFileStream>(name, options.BufferSize, options.FlushOnClose, fmCreate);
        // Set aside at once; a disk too full for it shows up as a failed write.
        if (const int64_t size = SizeToSetAside(entry)) {
            try {
                out->SetSize(size);
            } catch (const Exception&) {
            }
            out->Seek(0, soBeginning);
        }
        return out;
    };
    try {
        return create();
    } catch (const EFCreateError&) {
        const int32_t attr = file_stamps::GetFileAttr(name);
        if (options.ReplaceReadOnly && attr >= 0 && (attr & file_stamps::faReadOnly)) {
            try {
                file_stamps::SetFileAttr(name, static_cast<uint32_t>(attr) & ~file_stamps::faReadOnly);
                return create();
            } catch (const Exception&) {
            }
        }
    } catch (const Exception&) {
    }
    return nullptr;
}

void CloseEntryFile(std::unique_ptr<TLFNFileStream>& out, const AnsiString& name, bool keep,
                    const TZipHeaderInfo& entry, const TEntryFileOptions& options) {
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
        const int host = entry.VersionMadeBy >> 8;
        // Only DOS and NTFS hosts keep DOS attributes in the low bits.
        const bool attributes = options.RetainAttributes && (host == kHostDos || host == kHostNtfs);
        file_stamps::SetHandleStamp(out->GetFileHandle(), RepairDosDateTime(entry.DateTime),
                                    attributes ? static_cast<int32_t>(entry.ExternalAttributes & kRestoredAttributes)
                                               : -1);
    }
    out.reset();
    if (!keep || !written) RemoveFile(name);
    if (!written) throw ECantWriteUCF(msgCantWriteUncompressed);
}
