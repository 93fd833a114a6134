// The two methods the builder writes: stored (0) and Deflate (8). Both move whole blocks
// from the entry's input to its output and end with the output flushed.
#pragma once
#include "zipextract/entry_input.h"
#include "zipextract/entry_output.h"

// Method 0: the entry's bytes as they are (deciphered on the output side when encrypted).
void CopyStoredEntry(TEntryInput& input, TEntryOutput& output);

// Method 8: a raw Deflate stream through zlib. Corrupt data raises EZCompressionError; data
// that ends before the Deflate stream does raises EFatalUnzipError. The zlib state is
// released on every path.
void InflateEntry(TEntryInput& input, TEntryOutput& output);
