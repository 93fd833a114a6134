#include "skin/skin_pixels.h"

#include <algorithm>

namespace {

uint32_t FromRgbQuad(uint32_t rgb) {   // 0x00RRGGBB -> 0x00BBGGRR
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

// Scales a masked field to 8 bits.
uint32_t MaskedByte(uint32_t value, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    uint32_t max = mask >> shift;
    return ((value & mask) >> shift) * 255 / max;
}

uint32_t PixelAt(const TBmpImage& image, const uint8_t* row, int x) {
    switch (image.BitCount) {
    case 1:
    case 4:
    case 8: {
        unsigned bits = image.BitCount;
        unsigned bitPos = unsigned(x) * bits;
        unsigned index = (row[bitPos / 8] >> (8 - bits - bitPos % 8)) & ((1u << bits) - 1);
        return index < image.Palette.size() ? FromRgbQuad(image.Palette[index]) : 0;
    }
    case 16: {
        uint32_t v = row[2 * x] | (uint32_t(row[2 * x + 1]) << 8);
        bool fields = image.Compression == 3;
        uint32_t r = MaskedByte(v, fields ? image.Masks[0] : 0x7C00), g = MaskedByte(v, fields ? image.Masks[1] : 0x03E0),
                 b = MaskedByte(v, fields ? image.Masks[2] : 0x001F);
        return r | (g << 8) | (b << 16);
    }
    case 24: return row[3 * x + 2] | (uint32_t(row[3 * x + 1]) << 8) | (uint32_t(row[3 * x]) << 16);
    default: {
        const uint8_t* p = row + 4 * x;
        if (image.Compression == 3) {
            uint32_t v = p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
            return MaskedByte(v, image.Masks[0]) | (MaskedByte(v, image.Masks[1]) << 8) |
                   (MaskedByte(v, image.Masks[2]) << 16);
        }
        return p[2] | (uint32_t(p[1]) << 8) | (uint32_t(p[0]) << 16);
    }
    }
}

}  // namespace

TSkinPixels::TSkinPixels(int width, int height, uint32_t fill)
    : Width(std::max(width, 0)), Height(std::max(height, 0)), Colors(size_t(Width) * Height, fill) {}

TSkinPixels PixelsFromBmp(const TBmpImage& image) {
    TSkinPixels pixels(image.Width, image.Height);
    const uint32_t stride = image.Stride();
    for (int y = 0; y < pixels.Height; ++y) {
        int stored = image.TopDown ? y : pixels.Height - 1 - y;
        const uint8_t* row = image.Bits.data() + size_t(stored) * stride;
        for (int x = 0; x < pixels.Width; ++x) pixels.At(x, y) = PixelAt(image, row, x);
    }
    return pixels;
}

TBmpImage BmpFromPixels(const TSkinPixels& pixels) {
    TBmpImage image;
    image.Width = pixels.Width;
    image.Height = pixels.Height;
    image.BitCount = 24;
    const uint32_t stride = image.Stride();
    image.Bits.assign(size_t(stride) * pixels.Height, 0);
    for (int y = 0; y < pixels.Height; ++y) {
        uint8_t* row = image.Bits.data() + size_t(pixels.Height - 1 - y) * stride;
        for (int x = 0; x < pixels.Width; ++x) {
            uint32_t c = pixels.At(x, y);
            row[3 * x] = static_cast<uint8_t>(c >> 16);
            row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(c);
        }
    }
    return image;
}

void ExtractSlice(const TSkinPixels* source, TSkinPixels& target, int n, int k) {
    if (!source) return;
    if (n <= 0 || k < 1 || k > n) {
        target = TSkinPixels();
        return;
    }
    const int width = source->Width / n, left = (k - 1) * width;
    TSkinPixels slice(width, source->Height);
    for (int y = 0; y < slice.Height; ++y)
        for (int x = 0; x < width; ++x) slice.At(x, y) = source->At(left + x, y);
    target = std::move(slice);
}

TSkinPixels CopyRows(const TSkinPixels& source, int first, int count) {
    TSkinPixels rows(source.Width, count);
    for (int y = 0; y < rows.Height; ++y)
        if (first + y >= 0 && first + y < source.Height)
            for (int x = 0; x < rows.Width; ++x) rows.At(x, y) = source.At(x, first + y);
    return rows;
}

void RotateLeft90(TSkinPixels& pixels) {
    TSkinPixels turned(pixels.Height, pixels.Width);
    for (int y = 0; y < pixels.Height; ++y)
        for (int x = 0; x < pixels.Width; ++x) turned.At(y, pixels.Width - 1 - x) = pixels.At(x, y);
    pixels = std::move(turned);
}

void Rotate180(TSkinPixels& pixels) { std::reverse(pixels.Colors.begin(), pixels.Colors.end()); }

void RotateRight90(TSkinPixels& pixels) {
    TSkinPixels turned(pixels.Height, pixels.Width);
    for (int y = 0; y < pixels.Height; ++y)
        for (int x = 0; x < pixels.Width; ++x) turned.At(pixels.Height - 1 - y, x) = pixels.At(x, y);
    pixels = std::move(turned);
}

void ReplaceColor(TSkinPixels& pixels, int32_t from, int32_t to) {
    if (from < 0 || from > 0xFFFFFF) return;   // a missing colour matches nothing
    for (uint32_t& c : pixels.Colors)
        if (c == static_cast<uint32_t>(from)) c = static_cast<uint32_t>(to) & 0xFFFFFF;
}

TThumbRows ScrollThumbRows(int h) {
    auto clipped = [h](int first, int height) {
        int from = std::clamp(first, 0, std::max(h, 0)), to = std::clamp(first + height, 0, std::max(h, 0));
        return TThumbPiece{from, std::max(to - from, 0), height};
    };
    TThumbRows rows;
    rows.Pieces[0] = clipped(0, 3);
    rows.Pieces[4] = clipped(h - 3, 3);
    const int f = (h - 6) / 3;
    if (f > 0) {
        rows.Pieces[1] = clipped(4, f);
        rows.Pieces[2] = clipped(f + 4, h - 2 * f - 6);
        rows.Pieces[3] = clipped(h - f - 3, f);
    } else {
        for (int i = 1; i <= 3; ++i) rows.Pieces[i] = TThumbPiece{0, 0, 1};
    }
    return rows;
}

std::vector<TSkinPixels> CutScrollThumb(const TSkinPixels& thumb) {
    TThumbRows rows = ScrollThumbRows(thumb.Height);
    std::vector<TSkinPixels> pieces;
    for (const TThumbPiece& piece : rows.Pieces) {
        TSkinPixels cut(thumb.Width, piece.Height);
        for (int y = 0; y < piece.Count; ++y)
            for (int x = 0; x < thumb.Width; ++x) cut.At(x, y) = thumb.At(x, piece.First + y);
        pieces.push_back(std::move(cut));
    }
    return pieces;
}

bool IsWholeThumb(const TSkinPixels* thumb, int32_t scrollBarColor) {
    return thumb && scrollBarColor == 0xCBCBCB && thumb->Height == 33 && thumb->Contains(1, 10) &&
           thumb->At(1, 10) == 0xB23901;
}

namespace {

// One band of a border bitmap: whole rows above and below the scanned band, opaque runs within.
void AddBandRects(std::vector<TRect>& rects, const TSkinPixels& bitmap, int minY, int maxY, int32_t transparent,
                  int width, int shift) {
    const int h = bitmap.Height;
    int first = minY == -1 ? 0 : minY;
    int end = minY >= maxY ? h : maxY + 1;
    first = std::clamp(first, 0, h);   // band limits outside the bitmap are clamped to it
    end = std::clamp(end, first, h);
    if (first >= 1) rects.push_back(TRect(0, shift, width, shift + first));
    for (int y = first; y < end; ++y) {
        int x = 0;
        while (x < bitmap.Width) {
            if (static_cast<int32_t>(bitmap.At(x, y)) == transparent) {
                ++x;
                continue;
            }
            int start = x;
            while (x < bitmap.Width && static_cast<int32_t>(bitmap.At(x, y)) != transparent) ++x;
            rects.push_back(TRect(start, shift + y, x, shift + y + 1));
        }
    }
    if (end < h) rects.push_back(TRect(0, shift + end, width, shift + h));
}

}  // namespace

std::vector<TRect> WindowRegionRects(const TRegionSpec& s) {
    std::vector<TRect> rects;
    const bool caption = s.CaptionNeedsRegion && s.Caption;
    const bool bottom = s.BottomNeedsRegion && s.Bottom;
    const int t = caption ? s.Caption->Height : 0;
    const int b = bottom ? s.Bottom->Height : 0;
    if (caption) AddBandRects(rects, *s.Caption, s.CaptionMinY, s.CaptionMaxY, s.TransparentColor, s.Width, 0);
    rects.push_back(TRect(0, t, s.Width, s.Height - b));
    if (bottom)
        AddBandRects(rects, *s.Bottom, s.BottomMinY, s.BottomMaxY, s.TransparentColor, s.Width, s.Height - b);
    else
        rects.push_back(TRect(0, s.Height - b, s.Width, s.Height));
    return rects;
}
