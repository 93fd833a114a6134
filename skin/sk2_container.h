// The skin container "SKINDATA.SK2": a 24-byte header and a chain of 77-byte entries naming
// bitmaps, integers, bytes and texts, read field by field into four lists.
#pragma once
#include <cstdint>
#include <vector>

#include "classlib/bmp_format.h"
#include "classlib/sysutils.h"

// The reader's two messages.
extern const char* const kSkinReadFailedMessage;      // "Failed to read skin file!"
extern const char* const kSkinWrongPasswordMessage;   // "Wrong password!"

constexpr uint32_t kSk2HeaderSize = 24;
constexpr uint32_t kSk2EntrySize = 77;
constexpr uint32_t kSk2NameSize = 64;
// What one container may keep once read (decoded pixels, texts and values together), and what
// its bitmaps may read of entry data. Entries may all name one data range, so without these a
// small file could claim memory and time entry after entry; real skins keep well under 1 MiB.
constexpr uint64_t kSk2MaxDecodedBytes = 64u * 1024u * 1024u;

enum TSk2EntryKind : uint8_t { skBitmap = 0, skInteger = 1, skByte = 2, skText = 3 };

struct TSk2Bitmap {
    AnsiString Name;
    TBmpImage Image;
};

// One "name=value" line of the integer, byte or text list.
struct TSk2Value {
    AnsiString Name;
    AnsiString Value;
};

// The four lists in container order. Lookups ignore ASCII case; the first of equal names wins.
struct TSk2SkinData {
    std::vector<TSk2Bitmap> Bitmaps;
    std::vector<TSk2Value> Integers;
    std::vector<TSk2Value> Bytes;
    std::vector<TSk2Value> Texts;

    const TBmpImage* FindBitmap(const AnsiString& name) const;
    // -1 when missing or not a decimal number.
    int32_t GetInteger(const AnsiString& name) const;
    // 0 when missing.
    int32_t GetByte(const AnsiString& name) const;
    const AnsiString* FindText(const AnsiString& name) const;
};

// Raises Exception(kSkinReadFailedMessage) on any malformed header, entry, offset, size,
// bitmap, a chain that comes back to an entry it has already passed, or entries that would
// keep or read more than kSk2MaxDecodedBytes (refused before the picture that would pass it is decoded).
TSk2SkinData ParseSk2Container(const uint8_t* data, size_t size);

// Extracts "SKINDATA.SK2" from the skin file into tempName, reads it and deletes it whatever
// happens. Raises Exception with kWrongPasswordMessage or kSkinReadFailedMessage.
TSk2SkinData LoadSk2SkinFile(const AnsiString& fileName, const AnsiString& password, const AnsiString& tempName);
// The same from a whole skin file in memory; nothing is written to disk.
TSk2SkinData LoadSk2SkinData(const uint8_t* data, size_t size, const AnsiString& password);
