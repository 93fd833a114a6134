// The list of entry records: in physical order (disk, then local-header offset) or, as a
// view, in one of the sort orders of the reader.
#pragma once
#include <cstdint>

#include "ziparchive/header_record.h"
#include "ziparchive/object_lists.h"

enum TZipSortMode : uint8_t {
    ByName = 0,
    ByFileName = 1,
    ByDirectoryName = 2,
    ByDate = 3,
    ByCompressedSize = 4,
    ByUnCompressedSize = 5,
    ByRate = 6,
    ByNone = 7,
};

class TSortedZip : public zk::TSortedObjectList {
public:
    explicit TSortedZip(TDuplicates duplicates) : zk::TSortedObjectList(duplicates) {}
    const char* ClassName() const override { return "TSortedZip"; }

    int32_t Add(TObject* item) override;
    // Negative places key1 before key2. Date and size orders never answer 0, so equal
    // values keep their order of insertion.
    int Compare(const void* key1, const void* key2) const override;

    TZipHeaderInfo* Header(int32_t index) const { return static_cast<TZipHeaderInfo*>(GetItem(index)); }
    bool IsZip64() const { return FIsZip64; }

    TZipSortMode SortMode = ByNone;

private:
    bool FIsZip64 = false;
};
