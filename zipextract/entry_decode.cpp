#include "zipextract/entry_decode.h"

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

TDataFailure DecodeEntryData(TEntryInput& input, TEntryOutput& output, const TEntryMethod& entry, AnsiString& reason) {
    reason.clear();
    try {
        TBitInput bits(input);
        const uint16_t method = entry.Method;
        if (method == kMethodStored) {
            CopyStoredEntry(input, output);
        } else if (method == kMethodDeflate) {
            InflateEntry(input, output);
        } else if (method == kMethodShrink) {
            Unshrink(bits, output);
        } else if (method >= kMethodReduce1 && method <= kMethodReduce4) {
            Unreduce(bits, output, method - kMethodReduce1 + 1, entry.UncompressedSize);
        } else if (method == kMethodImplode) {
            Explode(bits, output, entry.Flag, entry.UncompressedSize, entry.CompressedSize);
        } else {
            // Anything newer than Deflate is not carried by this engine.
            return dfUnknownMethod;
        }
    } catch (const EBiggerThanUncompressed&) {
        return dfTooLong;
    } catch (const EFatalUnzipError&) {
        return dfEndsEarly;
    } catch (const EZCompressionError& e) {
        reason = e.Message;
        return dfCorrupt;
    }
    return dfNone;
}
