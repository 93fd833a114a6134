// The output file of one entry: created (a read-only file in the way cleared first when the
// component allows it), and at the end either kept with the entry's date and attributes or
// deleted. Safe on worker threads: nothing here touches the component.
#pragma once
#include <cstdint>
#include <memory>

#include "ziparchive/buffered_stream.h"
#include "ziparchive/header_record.h"

struct TEntryFileOptions {
    int32_t BufferSize = 8192;
    bool FlushOnClose = false;
    bool ReplaceReadOnly = false;
    bool RetainAttributes = true;
};

// Creates (or truncates) Name, set to Entry's uncompressed size as far as its data can give
// it (a declared size far beyond that is not set aside); null when it cannot be created.
std::unique_ptr<TLFNFileStream> CreateEntryFile(const AnsiString& name, const TZipHeaderInfo& entry,
                                                const TEntryFileOptions& options);

// Flushes and closes Out. A kept file gets the entry's date (and, from DOS and NTFS hosts
// with RetainAttributes, its safe attribute bits) first; a file not kept is deleted. A
// failed flush deletes the file and raises ECantWriteUCF. Nothing happens when Out is null.
void CloseEntryFile(std::unique_ptr<TLFNFileStream>& out, const AnsiString& name, bool keep,
                    const TZipHeaderInfo& entry, const TEntryFileOptions& options);
