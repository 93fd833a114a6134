// The bitmap reader over any bytes.
#include "classlib/bmp_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream in;
    if (size) in.WriteBuffer(data, static_cast<int32_t>(size));
    in.SetPosition(0);
    try {
        ReadBmp(in);
    } catch (const Exception&) {
    }
    return 0;
}
