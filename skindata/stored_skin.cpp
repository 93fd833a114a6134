#include "skindata/stored_skin.h"

#include <algorithm>

#include "classlib/little_endian.h"

namespace {

constexpr int64_t kBmpFileHeaderSize = 14;

int64_t BytesLeft(TStream& s) { return s.GetSize() - s.GetPosition(); }

// One BMP file at the stream's position, taken whole by its own bfSize, so that the next
// item starts right after it whatever the picture's headers say. Its pixels are taken from
// the budget that all pictures of the skin share.
TBmpImage ReadBmpImage(TStream& s, uint64_t& pixelBudget) {
    const int64_t start = s.GetPosition();
    uint8_t header[kBmpFileHeaderSize];
    s.ReadBuffer(header, sizeof header);
    const uint32_t size = GetLE32(header + 2);
    if (size < kBmpFileHeaderSize || size > static_cast<uint64_t>(BytesLeft(s) + kBmpFileHeaderSize))
        throw EReadError(Format("Bitmap size %u runs past the stored skin", size));
    TMemoryStream image;
    image.SetSize(size);
    std::copy(header, header + sizeof header, image.Memory());
    s.ReadBuffer(image.Memory() + kBmpFileHeaderSize, static_cast<int32_t>(size - kBmpFileHeaderSize));
    image.SetPosition(0);
    TBmpImage bmp = ReadBmp(image, pixelBudget);
    const uint64_t cost = LoadedPictureCost(bmp);   // the pixels fit; the rest may still not
    if (cost > pixelBudget) throw EInvalidGraphic("Bitmap image is not valid");
    pixelBudget -= cost;
    s.SetPosition(start + size);
    return bmp;
}

TBmpImage ReadPictureEntry(TStream& s, uint64_t& pixelBudget) {
    uint8_t flag;
    s.ReadBuffer(&flag, 1);
    return flag == 0 ? ReadBmpImage(s, pixelBudget) : TBmpImage();
}

void WritePictureEntry(TStream& s, const TBmpImage& image) {
    const uint8_t flag = BmpIsEmpty(image) ? 1 : 0;
    s.WriteBuffer(&flag, 1);
    if (flag == 0) WriteBmp(s, image);
}

}  // namespace

int32_t ReadLEInt32(TStream& stream) {
    uint8_t b[4];
    stream.ReadBuffer(b, 4);
    return static_cast<int32_t>(GetLE32(b));
}

void WriteLEInt32(TStream& stream, int32_t value) {
    uint8_t b[4];
    PutLE32(b, static_cast<uint32_t>(value));
    stream.WriteBuffer(b, 4);
}

bool ReadStoredSkin(TStream& s, TgwStoredSkin& skin) {
    skin = TgwStoredSkin();
    skin.Version = ReadLEInt32(s);
    if (skin.Version > kStoredSkinVersion) return false;
    uint64_t pixelBudget = kMaxStoredSkinPixels;   // dropped pictures cost their decoding too
    skin.Picture = ReadPictureEntry(s, pixelBudget);
    skin.InactivePicture = ReadPictureEntry(s, pixelBudget);
    skin.Mask = ReadPictureEntry(s, pixelBudget);
    if (skin.Version == 2) {
        ReadPictureEntry(s, pixelBudget);
        ReadPictureEntry(s, pixelBudget);
    }
    const int32_t n = ReadLEInt32(s);
    // Each picture takes at least its file header: refuse a count the bytes cannot hold
    // before reserving anything for it.
    if (n > 0 && n > BytesLeft(s) / kBmpFileHeaderSize)
        throw EReadError(Format("Stored skin counts %d active pictures but %lld bytes are left", n,
                                static_cast<long long>(BytesLeft(s))));
    for (int32_t i = 0; i < n; ++i) skin.ActivePictures.push_back(ReadBmpImage(s, pixelBudget));
    const int64_t left = BytesLeft(s);
    skin.IniText.resize(static_cast<size_t>(left > 0 ? left : 0));
    if (!skin.IniText.empty()) s.ReadBuffer(&skin.IniText[0], static_cast<int32_t>(skin.IniText.size()));
    if (LoadedIniTextCost(skin.IniText) > pixelBudget)
        throw EReadError(Format("The stored skin's INI text of %lld bytes takes more memory than it may",
                                static_cast<long long>(skin.IniText.size())));
    return true;
}

uint64_t LoadedPictureCost(const TBmpImage& image) {
    return sizeof(TBmpImage) + image.Palette.size() * sizeof(uint32_t) + image.Bits.size();
}

uint64_t LoadedIniTextCost(const AnsiString& text) {
    // Each line becomes a string of the list, then a key and a value of the INI and the key
    // again in its index; lines end in CR LF, CR or LF, as the string list splits them.
    uint64_t lines = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        if (text[i] == '\r' || text[i] == '\n' || i + 1 == text.size()) ++lines;
    }
    constexpr uint64_t kLineCost = 8 * sizeof(AnsiString);
    return 3 * static_cast<uint64_t>(text.size()) + lines * kLineCost;
}

int64_t StoredPictureSize(const TBmpImage& image) {
    return BmpIsEmpty(image) ? 0 : static_cast<int64_t>(BmpFileSize(image));
}

void WriteStoredSkin(TStream& s, const TgwStoredSkin& skin) {
    WriteLEInt32(s, kStoredSkinVersion);
    WritePictureEntry(s, skin.Picture);
    WritePictureEntry(s, skin.InactivePicture);
    WritePictureEntry(s, skin.Mask);
    WriteLEInt32(s, static_cast<int32_t>(skin.ActivePictures.size()));
    for (const TBmpImage& image : skin.ActivePictures) WriteBmp(s, image);
    if (!skin.IniText.empty()) s.WriteBuffer(skin.IniText.data(), static_cast<int32_t>(skin.IniText.size()));
}

bool ReadCompressedSkinFile(TStream& file, TMemoryStream& data, int32_t* version) {
    data.Clear();
    const int32_t v = ReadLEInt32(file);
    if (version) *version = v;
    if (v > kStoredSkinVersion) return false;
    const int32_t size = ReadLEInt32(file);
    if (size <= 0 || size > BytesLeft(file))
        throw EReadError(Format("Compressed skin size %d does not fit the file", size));
    try {
        data.CopyFrom(&file, size);
    } catch (...) {
        data.Clear();
        throw;
    }
    data.SetPosition(0);
    return true;
}

void WriteCompressedSkinFile(TStream& file, TMemoryStream& data) {
    WriteLEInt32(file, kStoredSkinVersion);
    WriteLEInt32(file, static_cast<int32_t>(data.GetSize()));
    data.SaveToStream(&file);
}
