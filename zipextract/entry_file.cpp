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
}  // namespace

std::unique_ptr<TLFNFileStream> CreateEntryFile(const AnsiString& name, const TEntryFileOptions& options) {
    auto create = [&]() {
        return std::make_unique<TLFNFileStream>(name, options.BufferSize, options.FlushOnClose, fmCreate);
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
