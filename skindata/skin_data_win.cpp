#include "skindata/skin_data_win.h"

#include "skindata/stored_skin.h"

void TgwFormSkinData::BroadcastSkinMessage(unsigned msg) {
    // Pictures of an earlier load are stale from the moment a load starts.
    if (msg == WM_SKINDATA_CHANGING || msg == WM_SKINDATA_CHANGED) FBitmaps.clear();
    TgwSkinData::BroadcastSkinMessage(msg);
}

TBitmap* TgwFormSkinData::Bitmap(size_t slot, const TBmpImage& image) {
    if (FBitmaps.size() <= slot) FBitmaps.resize(slot + 1);
    if (!FBitmaps[slot]) {
        FBitmaps[slot] = std::make_unique<TBitmap>();
        if (!BmpIsEmpty(image)) {
            TMemoryStream bmp;
            WriteBmp(bmp, image);
            bmp.SetPosition(0);
            FBitmaps[slot]->LoadFromStream(&bmp);
        }
    }
    return FBitmaps[slot].get();
}

TBitmap* TgwFormSkinData::ActivePictureBitmap(int index) {
    if (index < 0 || static_cast<size_t>(index) >= ActivePictureList.size()) return nullptr;
    return Bitmap(3 + static_cast<size_t>(index), ActivePictureList[static_cast<size_t>(index)]);
}
