#include "skin/skin_reader_win.h"

#include "classlib/fileio.h"
#include "skin/skin_bitmap_win.h"
#include "skin/skin_temp.h"

Tsk2SkinFileReader::Tsk2SkinFileReader(const AnsiString& fileName, const AnsiString& password)
    : Tsk2SkinFileReader(LoadSk2SkinFile(fileName, password, NewSkinTempName())) {}

Tsk2SkinFileReader::Tsk2SkinFileReader(const std::vector<uint8_t>& skinFile, const AnsiString& password)
    : Tsk2SkinFileReader(LoadSk2SkinData(skinFile.data(), skinFile.size(), password)) {}

Tsk2SkinFileReader::Tsk2SkinFileReader(TSk2SkinData data) : FData(std::move(data)) {
    try {
        for (TSk2Bitmap& entry : FData.Bitmaps) {
            TMemoryStream stream;
            WriteBmp(stream, entry.Image);
            stream.SetPosition(0);
            auto bitmap = std::make_unique<TBitmap>();
            bitmap->LoadFromStream(&stream);
            FBitmaps.push_back(std::move(bitmap));
            entry.Image = TBmpImage();   // the TBitmap holds the picture from here on
        }
    } catch (const std::exception&) {
        throw Exception(kSkinReadFailedMessage);
    }
}

Tsk2SkinFileReader::~Tsk2SkinFileReader() = default;

TBitmap* Tsk2SkinFileReader::GetBitmap(const AnsiString& name) const {
    AnsiString wanted = UpperCase(name);
    for (size_t i = 0; i < FData.Bitmaps.size(); ++i)
        if (UpperCase(FData.Bitmaps[i].Name) == wanted) return FBitmaps[i].get();
    return nullptr;
}

void Tsk2SkinFileReader::SetTransparentColor(TColor color) {
    for (auto& bitmap : FBitmaps) {
        bitmap->SetTransparentMode(tmFixed);
        bitmap->SetTransparentColor(color);
    }
}

TlumSkinReader::TlumSkinReader(const AnsiString& fileName, const AnsiString& password) {
    LoadSkin(fileName, password);
}

void TlumSkinReader::LoadSkin(const AnsiString& fileName, const AnsiString& password) {
    FFileReader.reset();
    FLoaded = false;
    if (FileExists(fileName)) Adopt(std::make_unique<Tsk2SkinFileReader>(fileName, password));
    if (OnLoad) OnLoad(this);
}

void TlumSkinReader::LoadSkinData(const std::vector<uint8_t>& skinFile, const AnsiString& password) {
    FFileReader.reset();
    FLoaded = false;
    Adopt(std::make_unique<Tsk2SkinFileReader>(skinFile, password));
    if (OnLoad) OnLoad(this);
}

void TlumSkinReader::Adopt(std::unique_ptr<Tsk2SkinFileReader> reader) {
    FFileReader = std::move(reader);
    try {
        const TColor transparent = GetSkinColor(SKIN2_TRANSCOLOR);
        // A skin without a transparent colour has no transparency (-1 is no system colour).
        if (transparent != -1) FFileReader->SetTransparentColor(transparent);
        const TColor form = GetSkinColor(SKIN2_FORMCOLOR);
        TBitmap* track = GetSkinBitmap(SKIN2_TRACKBAR);
        if (track && transparent != -1 && form != -1) {
            TSkinPixels pixels = PixelsFromBitmap(track);
            ReplaceColor(pixels, transparent, static_cast<int32_t>(ColorToRGB(form)));
            AssignPixels(track, pixels);
        }
    } catch (...) {
        FFileReader.reset();
        throw;
    }
    FLoaded = true;
}

TBitmap* TlumSkinReader::GetSkinBitmap(uint8_t index) const {
    const char* name = SkinKeyName(kgBitmap, index);
    return FFileReader && name ? FFileReader->GetBitmap(name) : nullptr;
}

TColor TlumSkinReader::GetSkinColor(uint8_t index) const {
    const char* name = SkinKeyName(kgColor, index);
    return FFileReader && name ? FFileReader->GetInteger(name) : -1;
}

int32_t TlumSkinReader::GetSkinPosition(uint8_t index) const {
    const char* name = SkinKeyName(kgPosition, index);
    return FFileReader && name ? FFileReader->GetInteger(name) : -1;
}

bool TlumSkinReader::GetSkinBool(uint8_t index) const {
    const char* name = SkinKeyName(kgBool, index);
    return FFileReader && name && FFileReader->GetBool(name) != 0;
}
