#include "skin/skin_collection_win.h"

#include "skin/skin_engine_win.h"

TlumSkinCollectionItem::TlumSkinCollectionItem(TCollection* collection)
    : TCollectionItem(collection), FReader(std::make_unique<TlumSkinReader>("", "")) {}

TlumSkinCollectionItem::~TlumSkinCollectionItem() = default;

bool TlumSkinCollectionItem::HasSkinData() const { return !FSkinFile.empty() && FileExists(FSkinFile); }

void TlumSkinCollectionItem::WriteSkinData(TStream* stream) const {
    TFileStream file(FSkinFile, fmOpenRead | fmShareDenyWrite);
    stream->CopyFrom(&file, 0);
}

void TlumSkinCollectionItem::ReadSkinData(const std::vector<uint8_t>& skinFile) {
    FSkinData.clear();
    FReader->LoadSkinData(skinFile, FPassword);
    FSkinData = skinFile;
}

void TlumSkinCollectionItem::Assign(TPersistent* source) {
    auto* other = dynamic_cast<TlumSkinCollectionItem*>(source);
    if (!other) {
        TCollectionItem::Assign(source);
        return;
    }
    FSkinFile = other->FSkinFile;
    FPassword = other->FPassword;
    if (other->FSkinData.empty()) {
        FSkinData.clear();
        FReader = std::make_unique<TlumSkinReader>("", "");
    } else {
        ReadSkinData(other->FSkinData);
    }
    Changed(false);
}

TlumSkinCollection::TlumSkinCollection(TlumSkinEngine* engine)
    : TCollection([](TCollection* c) { return new TlumSkinCollectionItem(c); }), FEngine(engine) {}

TPersistent* TlumSkinCollection::GetOwner() const { return FEngine; }
