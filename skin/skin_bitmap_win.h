// Between the portable pixel pictures of the skin core and the class library's TBitmap.
#pragma once
#include <memory>

#include "classlib/gui/bitmap.h"
#include "skin/skin_pixels.h"

// A 24-bit bitmap holding the pixels.
std::unique_ptr<TBitmap> BitmapFromPixels(const TSkinPixels& pixels);
// The bitmap's pixels (nullptr or empty: an empty picture). The bitmap is left unchanged.
TSkinPixels PixelsFromBitmap(TBitmap* bitmap);
// Replaces the bitmap's picture with the pixels, as 24 bits a pixel.
void AssignPixels(TBitmap* bitmap, const TSkinPixels& pixels);
