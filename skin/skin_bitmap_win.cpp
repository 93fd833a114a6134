#include "skin/skin_bitmap_win.h"

#include <cstring>

void AssignPixels(TBitmap* bitmap, const TSkinPixels& pixels) {
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(pixels.Width, pixels.Height);
    for (int y = 0; y < pixels.Height; ++y) {
        uint8_t* row = static_cast<uint8_t*>(bitmap->ScanLine(y));
        for (int x = 0; x < pixels.Width; ++x) {
            uint32_t c = pixels.At(x, y);
            row[3 * x] = static_cast<uint8_t>(c >> 16);
            row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(c);
        }
    }
}

std::unique_ptr<TBitmap> BitmapFromPixels(const TSkinPixels& pixels) {
    auto bitmap = std::make_unique<TBitmap>();
    AssignPixels(bitmap.get(), pixels);
    return bitmap;
}

TSkinPixels PixelsFromBitmap(TBitmap* bitmap) {
    if (!bitmap || bitmap->Empty()) return TSkinPixels();
    TBitmap copy;
    copy.Assign(bitmap);
    copy.SetPixelFormat(pf24bit);
    TSkinPixels pixels(copy.GetWidth(), copy.GetHeight());
    for (int y = 0; y < pixels.Height; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(copy.ScanLine(y));
        for (int x = 0; x < pixels.Width; ++x)
            pixels.At(x, y) = row[3 * x + 2] | (uint32_t(row[3 * x + 1]) << 8) | (uint32_t(row[3 * x]) << 16);
    }
    return pixels;
}
