// libFuzzer target: the skin file's Deflate decoder and container parser on arbitrary bytes.
// Any input must end in a result or the reader's exception, never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "skin/sk2_container.h"
#include "skin/skin_inflate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string out;
    InflateBytes(data, size, out, 1 << 20);
    try {
        ParseSk2Container(data, size);
    } catch (const Exception&) {
    }
    return 0;
}
