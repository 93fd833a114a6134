// The older decompressors over any bytes. The first byte picks the decoder (shrink, reduce
// with factor 1 to 4, implode with each combination of its two flags), the next two the
// declared size; the rest is the entry's data.
#include "zipextract/legacy_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int which = data[0] % 9;
    const int64_t declared = 1 + ((data[1] | (data[2] << 8)) << 3);
    TMemoryStream source;
    if (size > 3) source.WriteBuffer(data + 3, static_cast<int32_t>(size - 3));
    source.SetPosition(0);
    TEntryInput input;
    input.StartEntry(&source, static_cast<int64_t>(size - 3), {}, {}, {});
    TEntryOutput output;
    output.StartEntry(nullptr, declared, {}, {});
    TBitInput bits(input);
    try {
        if (which == 0)
            Unshrink(bits, output);
        else if (which <= 4)
            Unreduce(bits, output, which, declared);
        else
            Explode(bits, output, static_cast<uint16_t>((which - 5) << 1), declared, static_cast<int64_t>(size - 3));
    } catch (const Exception&) {
    }
    return 0;
}
