// One entry's data through the decoder of its method, on whichever thread runs it: the
// input and the output are started by the caller, and the data's own failures come back as
// a result rather than an exception.
#pragma once
#include <cstdint>

#include "classlib/sysutils.h"
#include "zipextract/entry_input.h"
#include "zipextract/entry_output.h"

// What went wrong with an entry's data.
// dfUnknownMethod: nothing was decoded, and the CRC check decides as for any entry;
// dfOutOfMemory: an older method's decode tables could not be had.
enum TDataFailure { dfNone, dfCorrupt, dfEndsEarly, dfTooLong, dfUnknownMethod, dfOutOfMemory };

struct TEntryMethod {
    uint16_t Method = 0;
    uint16_t Flag = 0;               // general purpose flags (the implode options)
    int64_t UncompressedSize = 0;
    int64_t CompressedSize = 0;      // after any encryption header
};

// A method this engine decodes.
bool IsKnownMethod(uint16_t method);

// Decodes Input into Output. Data of the older methods that is corrupt or ends early, data
// longer than the stored size, and decode tables that cannot be had give their failure (a
// corrupt stream's own words in Reason); a method this engine does not carry gives
// dfUnknownMethod with nothing written. Anything else ends the run and is raised: corrupt
// Deflate data (EZCompressionError), an archive that ends before the entry's data does
// (EFatalUnzipError), a short write, an unreadable archive.
TDataFailure DecodeEntryData(TEntryInput& input, TEntryOutput& output, const TEntryMethod& entry, AnsiString& reason);
