// The skin data as the application's forms see it: the pictures as bitmaps that can be drawn.
#pragma once
#include <memory>
#include <vector>

#include "classlib/gui/bitmap.h"
#include "skindata/skin_data.h"

class TgwFormSkinData : public TgwSkinData {
public:
    using TgwSkinData::TgwSkinData;
    const char* ClassName() const override { return "TgwSkinData"; }

    // Drops the bitmaps of the skin before a load, then broadcasts as every skin data does.
    void BroadcastSkinMessage(unsigned msg) override;

    // The loaded pictures as bitmaps (made when first asked after a load; empty when none).
    TBitmap* PictureBitmap() { return Bitmap(0, Picture); }
    TBitmap* InactivePictureBitmap() { return Bitmap(1, InactivePicture); }
    TBitmap* MaskBitmap() { return Bitmap(2, Mask); }
    TBitmap* ActivePictureBitmap(int index);

private:
    TBitmap* Bitmap(size_t slot, const TBmpImage& image);
    // Slots 0-2 the main pictures, then the active ones; emptied at every load.
    std::vector<std::unique_ptr<TBitmap>> FBitmaps;
};
