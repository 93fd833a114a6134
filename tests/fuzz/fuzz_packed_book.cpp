// The tail of a packed book: archive size, settings length, the scrambled settings and the
// archive copied out, over any bytes.
#include "packedbook/packed_book.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream book;
    if (size) book.WriteBuffer(data, static_cast<int32_t>(size));
    TBookTail tail;
    LocateBookTail(&book, tail);
    TBookSettings settings;
    ReadBookSettings(&book, settings);
    TMemoryStream archive;
    ExtractBookArchive(&book, &archive);
    return 0;
}
