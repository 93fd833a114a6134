// The directory reader over a set of two parts: the input's first two bytes say where the
// rest is cut, the bytes before the cut become the first part and the rest the last, so
// that central records, names and extra fields that run over a part boundary, and end
// records that claim what the parts do not hold, are read as a damaged set would be.
#include <string>

#include "tests/fuzz/read_directory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t rest = size - 2;
    // Every value is a cut: clamping would turn most values into an empty last part.
    const size_t cut = static_cast<size_t>(data[0] | (data[1] << 8)) % (rest + 1);
    WriteFuzzFile(data + 2, cut, "parts.zip.z01");
    const std::string path = WriteFuzzFile(data + 2 + cut, rest - cut, "parts.zip");
    ReadDirectoryEveryWay(path);
    return 0;
}
