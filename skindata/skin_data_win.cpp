#include "skindata/skin_data_win.h"

#include <algorithm>

#include "classlib/gui/forms.h"
#include "skindata/stored_skin.h"

namespace {

bool IsLiveForm(TCustomForm* form) {
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i) == form) return !form->IsDestroying() && form->HandleAllocated();
    return false;
}

}  // namespace

void TgwFormSkinData::BroadcastSkinMessage(unsigned msg) {
    // Pictures of an earlier load are stale from the moment a load starts.
    if (msg == WM_SKINDATA_CHANGING || msg == WM_SKINDATA_CHANGED) FBitmaps.clear();
    // A form's handler may free forms: deliver to a snapshot, checking each before sending.
    std::vector<TCustomForm*> forms;
    auto* owner = dynamic_cast<TCustomForm*>(GetOwner());
    if (owner) forms.push_back(owner);
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i) != owner) forms.push_back(Screen->Forms(i));
    for (TCustomForm* form : forms) {
        if (!IsLiveForm(form)) continue;
        SendMessageA(form->GetHandle(), msg, reinterpret_cast<WPARAM>(static_cast<TgwSkinData*>(this)),
                     static_cast<LPARAM>(kSkinDataMessageTag));
    }
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
