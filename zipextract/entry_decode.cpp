#include "zipextract/entry_decode.h"

#include <new>

#include "ziparchive/arc_exceptions.h"
#include "zipextract/bit_input.h"
#include "zipextract/entry_decoders.h"
#include "zipextract/legacy_decoders.h"

namespace {
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodShrink = 1;
constexpr uint16_t kMethodReduce1 = 2;
constexpr uint16_t kMethodReduce4 = 5;
constexpr uint16_t kMethodImplode = 6;
constexpr uint16_t kMethodDeflate = 8;
}  // namespace

bool IsKnownMethod(uint16_t method) {
    return method == kMethodStored || method == kMethodDeflate || method == kMethodShrink ||
           (method >= kMethodReduce1 && method <= kMethodReduce4) || method == kMethodImplode;
}

TDataFailure DecodeEntryData(TEntryInput& input, TEntryOutput& output, const TEntryMethod& entry, AnsiString& reason) {
    reason.clear();
    const uint16_t method = entry.Method;
    // Anything newer than Deflate is not carried by this engine.
    if (!IsKnownMethod(method)) return dfUnknownMethod;
    try {
        if (method == kMethodStored) {
            CopyStoredEntry(input, output);
        } else if (method == kMethodDeflate) {
            InflateEntry(input, output);
        } else {
            TBitInput bits(input);
            try {
                if (method == kMethodShrink)
                    Unshrink(bits, output);
                else if (method == kMethodImplode)
                    Explode(bits, output, entry.Flag, entry.UncompressedSize, entry.CompressedSize);
                else
                    Unreduce(bits, output, method - kMethodReduce1 + 1, entry.UncompressedSize);
            } catch (const std::bad_alloc&) {
                return dfOutOfMemory;
            }
        }
    } catch (const EBiggerThanUncompressed&) {
        return dfTooLong;
    } catch (const EEntryDataEnded&) {
        return dfEndsEarly;
    } catch (const ELegacyDataError& e) {
        reason = e.Message;
        return dfCorrupt;
    }
    return dfNone;
}
