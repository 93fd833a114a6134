// The directory read of an archive file every way a user can ask for it: ziptool's listing,
// then the reader component opening it (rebuilding the directory from local headers when
// the end record is missing) and sorting it in every order. Bad bytes may only be refused.
#pragma once
#include <string>

#include "tests/fuzz/fuzz_support.h"
#include "tools/ziptool/listing.h"

inline void ReadDirectoryEveryWay(const std::string& path) {
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
}
