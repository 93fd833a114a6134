// One entry's data through the decoder of its method, on whichever thread runs it: the
// input and the output are started by the caller, and the data's own failures come back as
// a result rather than an exception.
#pragma once
#include <cstdint>

#include "classlib/sysutils.h"
#include "zipextract/entry_input.h"
#include "zipextract/entry_output.h"

// What went wrong with an entry's data.
enum TDataFailure { dfNone, dfCorrupt, dfEndsEarly, dfTooLong, dfUnknownMethod };

struct TEntryMethod {
    uint16_t Method = 0;
    uint16_t Flag = 0;               // general purpose flags (the implode options)
    int64_t UncompressedSize = 0;
    int64_t CompressedSize = 0;      // after any encryption header
};

// Decodes Input into Output. Corrupt data, data that ends early and data longer than the
// stored size give their failure (a corrupt stream's own words in Reason); a method this
// engine does not carry gives dfUnknownMethod with nothing written. Anything else (a short
// write, an unreadable archive) is raised.
TDataFailure DecodeEntryData(TEntryInput& input, TEntryOutput& output, const TEntryMethod& entry, AnsiString& reason);
