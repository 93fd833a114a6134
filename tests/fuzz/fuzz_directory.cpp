// The directory reader over any bytes: the listing of ziptool, then the directory rebuilt
// from local headers when the end record is missing, sorted in every order.
#include "tests/fuzz/read_directory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReadDirectoryEveryWay(WriteFuzzFile(data, size));
    return 0;
}
