// libFuzzer target: loading a stored skin of the skin-data family. The first byte chooses
// what the rest is: 0, the compressed data as a form stores it (zlib stream, then the
// stored-skin stream inside); anything else, the stored-skin stream itself, which the target
// compresses first so that the fuzzer works on the format rather than on zlib's checksum.
// Any input must load or end in an Exception, never a crash, a hang or a huge allocation.
#include <cstddef>
#include <cstdint>
#include <vector>

#include <zlib.h>

#include "skindata/skin_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::vector<uint8_t> packed;
    if (data[0] == 0) {
        packed.assign(data + 1, data + size);
    } else {
        uLongf length = compressBound(static_cast<uLong>(size - 1));
        packed.resize(length);
        if (compress2(packed.data(), &length, data + 1, static_cast<uLong>(size - 1), 1) != Z_OK) return 0;
        packed.resize(length);
    }
    TgwCompressedStoredSkin stored(nullptr);
    if (!packed.empty()) stored.CompressedData().Write(packed.data(), static_cast<int32_t>(packed.size()));
    TgwSkinData skin(nullptr);
    try {
        skin.LoadCompressedStoredSkin(&stored);
    } catch (const Exception&) {
    }
    return 0;
}
