// The stored-skin stream of the skin-data family and the compressed skin file around it.
//
// Stored skin (little-endian, the content of the compressed data):
//   i32 version                written as 3; readers accept up to 3
//   3 picture entries          Picture, InactivePicture, Mask: u8 flag, then when the flag
//                              is 0 a whole BMP file (its header's bfSize gives its length);
//                              any other flag means no picture and nothing follows
//   2 more entries             only in version 2, read and dropped
//   i32 n                      active pictures, then n BMP files without flags
//   the rest                   the skin's INI text, lines ending in CR LF
// Compressed skin file: i32 version (up to 3), i32 size, then size bytes of zlib data.
//
// Every field read is checked: a short field, a count or size past the bytes left, or a
// malformed picture raises an Exception descendant, never a crash or a huge allocation. The
// pictures and the INI text share one budget (kMaxStoredSkinPixels); a picture that would pass
// it is refused with the bitmap reader's EInvalidGraphic before its pixels are allocated, an
// INI text with EReadError before it is split into lines.
#pragma once
#include <cstdint>
#include <vector>

#include "classlib/bmp_format.h"
#include "classlib/classes.h"

constexpr int32_t kStoredSkinVersion = 3;
// Largest stored skin accepted once inflated; a build that would pass it is refused with the
// inflater's own message, so that nothing is written that cannot be loaded.
constexpr int64_t kMaxStoredSkinSize = 64 * 1024 * 1024;
// Memory that the pictures and the INI text of one stored skin may take together once read
// (see LoadedPictureCost, LoadedIniTextCost). A run-length picture of a few bytes can stand for
// megabytes, and a line of two bytes costs a string in a list and a key in the INI, so the
// count of bytes alone bounds nothing.
constexpr uint64_t kMaxStoredSkinPixels = 64u * 1024u * 1024u;

struct TgwStoredSkin {
    int32_t Version = kStoredSkinVersion;
    TBmpImage Picture, InactivePicture, Mask;   // a 0 x 0 image is "no picture"
    std::vector<TBmpImage> ActivePictures;
    AnsiString IniText;
};

inline bool BmpIsEmpty(const TBmpImage& image) { return image.Width <= 0 || image.Height <= 0; }

// Reads a stored skin from the stream's position to its end. A version above 3 reads
// nothing more and returns false (only Version is set).
bool ReadStoredSkin(TStream& stream, TgwStoredSkin& skin);
// Writes version 3, the three entries, the active pictures and the INI text.
void WriteStoredSkin(TStream& stream, const TgwStoredSkin& skin);

// Bytes the picture takes in a stored skin as WriteStoredSkin writes it (0 for no picture).
int64_t StoredPictureSize(const TBmpImage& image);
// What the picture, and the INI text once split into lines and parsed, take from the budget.
uint64_t LoadedPictureCost(const TBmpImage& image);
uint64_t LoadedIniTextCost(const AnsiString& text);

// Reads a compressed skin file into `data` (emptied first); returns false and leaves the data
// empty for a version above 3. A size of 0 or less, or past the end of the file, raises
// EReadError.
bool ReadCompressedSkinFile(TStream& file, TMemoryStream& data, int32_t* version = nullptr);
void WriteCompressedSkinFile(TStream& file, TMemoryStream& data);

// Fields of the stored forms, checked.
int32_t ReadLEInt32(TStream& stream);
void WriteLEInt32(TStream& stream, int32_t value);
