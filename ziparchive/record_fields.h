// Fixed-size archive records read field by field: a bounds-checked little-endian cursor
// over a record's bytes, the field offsets of every record by name, and one walker over
// the blocks of an extra field.
#pragma once
#include <cstddef>
#include <cstdint>

#include "classlib/little_endian.h"

// A field that would run past the record's end reads as 0 and clears Ok(), so a short
// buffer can never be read beyond.
class TRecordCursor {
public:
    TRecordCursor(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
    uint16_t U16(size_t offset) const { return Fits(offset, 2) ? GetLE16(FData + offset) : 0; }
    uint32_t U32(size_t offset) const { return Fits(offset, 4) ? GetLE32(FData + offset) : 0; }
    uint64_t U64(size_t offset) const { return Fits(offset, 8) ? GetLE64(FData + offset) : 0; }
    bool Ok() const { return FOk; }

private:
    bool Fits(size_t offset, size_t width) const {
        if (offset <= FSize && width <= FSize - offset) return true;
        FOk = false;
        return false;
    }
    const uint8_t* FData;
    size_t FSize;
    mutable bool FOk = true;
};

namespace local_header {
enum : size_t {
    Signature = 0, VersionNeeded = 4, Flag = 6, Method = 8, DosDateTime = 10, Crc = 14,
    CompressedSize = 18, UncompressedSize = 22, NameLength = 26, ExtraLength = 28, Size = 30
};
}

namespace central_header {
enum : size_t {
    Signature = 0, VersionMadeBy = 4, VersionNeeded = 6, Flag = 8, Method = 10, DosDateTime = 12,
    Crc = 16, CompressedSize = 20, UncompressedSize = 24, NameLength = 28, ExtraLength = 30,
    CommentLength = 32, DiskNumberStart = 34, InternalAttributes = 36, ExternalAttributes = 38,
    RelativeOffset = 42, Size = 46
};
}

namespace end_central {
enum : size_t {
    Signature = 0, ThisDisk = 4, CentralStartDisk = 6, EntriesThisDisk = 8, TotalEntries = 10,
    CentralSize = 12, CentralOffset = 16, CommentLength = 20, Size = 22
};
}

namespace zip64_end {
enum : size_t {
    Signature = 0, RecordSize = 4, VersionMadeBy = 12, VersionNeeded = 14, ThisDisk = 16,
    CentralStartDisk = 20, EntriesThisDisk = 24, TotalEntries = 32, CentralSize = 40,
    CentralOffset = 48, Size = 56
};
}

namespace zip64_locator {
enum : size_t { Signature = 0, Zip64Disk = 4, Zip64Offset = 8, TotalDisks = 16, Size = 20 };
}

// One block of an extra field: its tag and its data.
struct TExtraBlock {
    uint16_t Tag;
    const uint8_t* Data;
    size_t Size;
    size_t Offset;   // of the block's header within the field
};

// Calls Visit(block) for each whole block in order until it returns true (found); a
// block that runs past the field's end ends the walk. True when Visit stopped it.
template <class TVisit>
bool WalkExtraField(const uint8_t* extra, size_t length, TVisit&& visit) {
    for (size_t pos = 0; pos + 4 <= length;) {
        const size_t size = GetLE16(extra + pos + 2);
        if (size > length - pos - 4) return false;
        if (visit(TExtraBlock{GetLE16(extra + pos), extra + pos + 4, size, pos})) return true;
        pos += 4 + size;
    }
    return false;
}
