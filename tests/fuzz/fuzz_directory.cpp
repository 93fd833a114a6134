// The directory reader over any bytes: the listing of ziptool, then the directory rebuilt
// from local headers when the end record is missing, sorted in every order.
#include "tests/fuzz/fuzz_support.h"
#include "tools/ziptool/listing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteFuzzFile(data, size);
    try {
        ListArchive(path);
    } catch (const Exception& e) {
        ExpectArchiveFailure(e);
    }
    TArcUnZip zip(nullptr);
    QuietReader(zip);
    try {
        zip.SetZipName(path);
        zip.OpenZip();
        for (int mode = ByName; mode <= ByNone; ++mode) zip.SortEntries(static_cast<TZipSortMode>(mode));
    } catch (const Exception& e) {
        ExpectArchiveFailure(e);
    }
    return 0;
}
