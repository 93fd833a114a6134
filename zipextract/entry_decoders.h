// The two methods the builder writes: stored (0) and Deflate (8). Both move whole blocks
// from the entry's input to its output and end with the output flushed.
#pragma once
#include <utility>

#include "ziparchive/arc_exceptions.h"
#include "zipextract/entry_input.h"
#include "zipextract/entry_output.h"

// Method 0: the entry's bytes as they are (deciphered on the output side when encrypted).
void CopyStoredEntry(TEntryInput& input, TEntryOutput& output);

// Corrupt Deflate data: the component's compression error ("error"), with zlib's own words
// kept for the report of the entry.
class EInflateDataError : public EZCompressionError {
public:
    explicit EInflateDataError(AnsiString detail) : EZCompressionError("error"), Detail(std::move(detail)) {}
    AnsiString Detail;
};

// Method 8: a raw Deflate stream through zlib. Corrupt data, and an entry whose bytes end
// before its Deflate stream does, raise EInflateDataError; an archive that ends before the
// entry's bytes do raises EFatalUnzipError. The zlib state is released on every path.
void InflateEntry(TEntryInput& input, TEntryOutput& output);
