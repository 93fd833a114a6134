// 24-bit pixel work on skin bitmaps, independent of the window system: slices, rotations,
// colour replacement, the rows of scroll-thumb pieces and the runs of a window region.
// Colours are Windows colour values (0x00BBGGRR); -1 (a missing skin colour) matches no pixel.
#pragma once
#include <cstdint>
#include <vector>

#include "classlib/bmp_format.h"
#include "classlib/types.h"

struct TSkinPixels {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Colors;   // Width * Height, top row first

    TSkinPixels() = default;
    TSkinPixels(int width, int height, uint32_t fill = 0xFFFFFF);
    bool Empty() const { return Width <= 0 || Height <= 0; }
    uint32_t At(int x, int y) const { return Colors[size_t(y) * Width + x]; }
    uint32_t& At(int x, int y) { return Colors[size_t(y) * Width + x]; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < Width && y < Height; }
};

// Any picture ReadBmp accepts, as colours; and back as a 24-bit bottom-up bitmap.
TSkinPixels PixelsFromBmp(const TBmpImage& image);
TBmpImage BmpFromPixels(const TSkinPixels& pixels);

// Cell k (from 1) of n equal cells side by side: width = source width / n. Nothing happens
// without a source; a cell outside 1..n leaves the target empty.
void ExtractSlice(const TSkinPixels* source, TSkinPixels& target, int n, int k);
// Rows [first, first + count) as a picture of the source's width; rows outside the source stay white.
TSkinPixels CopyRows(const TSkinPixels& source, int first, int count);

void RotateLeft90(TSkinPixels& pixels);    // (x, y) -> (y, width - 1 - x)
void Rotate180(TSkinPixels& pixels);       // (x, y) -> (width - 1 - x, height - 1 - y)
void RotateRight90(TSkinPixels& pixels);   // (x, y) -> (height - 1 - y, x)

void ReplaceColor(TSkinPixels& pixels, int32_t from, int32_t to);

// The five vertical pieces of a scroll thumb cut from a thumb bitmap of the given height.
// Pieces 2-4 of a thumb 6 rows high or less are one row high and copy nothing (Count 0).
struct TThumbPiece {
    int First;    // first source row
    int Count;    // source rows copied (clipped to the bitmap)
    int Height;   // height of the piece
};
struct TThumbRows {
    TThumbPiece Pieces[5];
};
TThumbRows ScrollThumbRows(int thumbHeight);
// The five pieces themselves, as wide as the thumb.
std::vector<TSkinPixels> CutScrollThumb(const TSkinPixels& thumb);

// The look that draws the thumb whole: the scroll colour 0xCBCBCB and a 33-row thumb whose pixel
// (1, 10) is 0xB23901.
bool IsWholeThumb(const TSkinPixels* thumb, int32_t scrollBarColor);

// Rectangles whose union is a skinned window's region (before combining).
struct TRegionSpec {
    const TSkinPixels* Caption = nullptr;
    const TSkinPixels* Bottom = nullptr;
    bool CaptionNeedsRegion = false;
    bool BottomNeedsRegion = false;
    int CaptionMinY = -1, CaptionMaxY = -1;
    int BottomMinY = -1, BottomMaxY = -1;
    int32_t TransparentColor = -1;
    int Height = 0;   // window height
    int Width = 0;    // window width
};
std::vector<TRect> WindowRegionRects(const TRegionSpec& spec);
