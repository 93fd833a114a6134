#include <algorithm>

#include "zipextract/entry_decoders.h"

void CopyStoredEntry(TEntryInput& input, TEntryOutput& output) {
    while (input.CompressedLeft() > 0) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(kExtractBlockSize, input.CompressedLeft()));
        input.ReadRaw(output.Buffer(), n);
        output.SetCount(n);
        output.FlushOutput();
    }
}
