#include "skindata/skin_data.h"

#include "skindata/gw_utils.h"
#include "skindata/skin_broadcast.h"
#include "skindata/gw_zlib_streams.h"
#include "skindata/stored_skin.h"

bool IsValidSkinIni(const TCustomIniFile& ini) {
    for (const char* s : {"VERSION", "PICTURES", "FORMINFO", "SKINOBJECTS", "SKINCONTROLS"})
        if (!ini.SectionExists(s)) return false;
    return true;
}

// ---- TgwCompressedStoredSkin -------------------------------------------------------------

TgwCompressedStoredSkin::TgwCompressedStoredSkin(TComponent* owner) : TComponent(owner) {}

void TgwCompressedStoredSkin::DecompressToStream(TStream* target) {
    DecompressStream(target, &FCompressedData, kMaxStoredSkinSize);
}

void TgwCompressedStoredSkin::BuildFromIniFile(const AnsiString& path) {
    TStringList lines;
    lines.LoadFromFile(path);
    TMemIniFile ini;
    ini.SetStrings(lines);
    if (!IsValidSkinIni(ini)) return;

    const AnsiString folder = ExtractFilePath(path);
    FCompressedData.Clear();
    // Loading refuses a stored skin that inflates past kMaxStoredSkinSize; building refuses it
    // alike, with the same message, as soon as the pictures read so far pass it.
    // The same goes for the memory that loading lets the pictures and the text take.
    int64_t storedSize = 4 + 3 + 4;   // version, three flags, the active count
    uint64_t loadedCost = 0;
    auto keep = [&](int64_t bytes, uint64_t cost) {
        storedSize += bytes;
        loadedCost += cost;
        if (storedSize > kMaxStoredSkinSize || loadedCost > kMaxStoredSkinPixels)
            throw ECompressionError("decompressed data too large");
    };
    auto keepPicture = [&](const TBmpImage& image) { keep(StoredPictureSize(image), LoadedPictureCost(image)); };
    auto load = [&](const AnsiString& name) {
        if (name.empty()) return TBmpImage();
        TFileStream f(folder + name, fmOpenRead | fmShareDenyWrite);
        TBmpImage image = ReadBmp(f);
        keepPicture(image);
        return image;
    };
    TgwStoredSkin skin;
    skin.Picture = load(ini.ReadString("PICTURES", "picture", AnsiString()));
    skin.InactivePicture = load(ini.ReadString("PICTURES", "inactivepicture", AnsiString()));
    skin.Mask = load(ini.ReadString("PICTURES", "mask", AnsiString()));
    TStringList active;
    ReadIniStrings(ini, "PICTURES", "activepictures", &active);
    for (int i = 0; i < active.Count(); ++i) {
        TFileStream f(folder + active.Get(i), fmOpenRead | fmShareDenyWrite);
        skin.ActivePictures.push_back(ReadBmp(f));
        keepPicture(skin.ActivePictures.back());
    }
    skin.IniText = lines.GetText();
    keep(static_cast<int64_t>(skin.IniText.size()), LoadedIniTextCost(skin.IniText));

    TMemoryStream raw;
    WriteStoredSkin(raw, skin);
    CompressStream(&raw, &FCompressedData);
}

void TgwCompressedStoredSkin::LoadFromCompressedFile(const AnsiString& path) {
    FCompressedData.Clear();
    TFileStream f(path, fmOpenRead | fmShareDenyWrite);
    ReadCompressedSkinFile(f, FCompressedData);
}

// ---- TgwSkinData ---------------------------------------------------------------------------

TgwSkinData::TgwSkinData(TComponent* owner) : TComponent(owner) {}

TgwSkinData::~TgwSkinData() {
    Empty = true;
    ClearSkinLists();
    SetCompressedStoredSkin(nullptr);
    if (FResourceStrData) FResourceStrData->RemoveFreeNotification(this);
}

void TgwSkinData::SetCompressedStoredSkin(TgwCompressedStoredSkin* value) {
    if (FCompressedStoredSkin) FCompressedStoredSkin->RemoveFreeNotification(this);
    FCompressedStoredSkin = value;
    if (!value) return;
    value->FreeNotification(this);
    LoadCompressedStoredSkin(value);
}

void TgwSkinData::SetResourceStrData(TgwResourceStrData* value) {
    ReplaceReference(FResourceStrData, value);
    BroadcastSkinMessage(WM_SKINDATA_STRINGS);
}

void TgwSkinData::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    // Forget the reference only: the component is going away, nothing is reloaded or told.
    if (component == FCompressedStoredSkin) FCompressedStoredSkin = nullptr;
    if (component == FResourceStrData) FResourceStrData = nullptr;
}

int TgwSkinData::GetControlIndex(const AnsiString& sectionName) const {
    for (size_t i = 0; i < SkinControlList.size(); ++i)
        if (SkinControlList[i]->SectionName == sectionName) return static_cast<int>(i);
    return -1;
}

void TgwSkinData::ClearSkinLists() {
    SkinObjectList.clear();
    SkinControlList.clear();
    PopupWindow.windowpictureindex = -1;
    HintWindow.windowpictureindex = -1;
    ActivePictureList.clear();
    ActivePictureNames.Clear();
    SkinColors.SetDefaultColors();
}

void TgwSkinData::ClearSkin() {
    ClearSkinLists();
    Picture = TBmpImage();
    Mask = TBmpImage();
    InactivePicture = TBmpImage();
    PictureName.clear();
    InactivePictureName.clear();
    MaskName.clear();
    Empty = true;
}

void TgwSkinData::BroadcastSkinMessage(unsigned msg) { BroadcastToForms(this, msg); }

void TgwSkinData::SplitSectionAndKind(const AnsiString& text, AnsiString& sectionName, AnsiString& kind) {
    sectionName.clear();
    kind.clear();
    size_t colon = text.find(':');
    if (colon == AnsiString::npos) return;
    sectionName = text.substr(0, colon);
    kind = text.substr(colon + 1);
}

namespace {

template <class Root, class Create>
void LoadDescriptors(const TCustomIniFile& ini, const AnsiString& section, std::vector<std::unique_ptr<Root>>& list,
                     Create create) {
    // A missing entry reads as empty and names no kind: skipped like any other.
    for (int32_t index : IniListIndexes(ini, section, ini.ReadInteger(section, "count", 0))) {
        AnsiString name, kind;
        TgwSkinData::SplitSectionAndKind(ini.ReadString(section, IntToStr(index), AnsiString()), name, kind);
        std::unique_ptr<Root> d = create(kind, name);
        if (!d) continue;   // a kind that names no class
        Root* added = d.get();
        list.push_back(std::move(d));
        added->LoadFromIni(ini);
    }
}

}  // namespace

void TgwSkinData::LoadSkinObjects(const TCustomIniFile& ini) {
    LoadDescriptors(ini, "SKINOBJECTS", SkinObjectList, CreateSkinObject);
}

void TgwSkinData::LoadSkinControls(const TCustomIniFile& ini) {
    LoadDescriptors(ini, "SKINCONTROLS", SkinControlList, CreateSkinControl);
}

void TgwSkinData::LoadCompressedStoredSkin(TgwCompressedStoredSkin* stored) {
    if (!stored || stored->IsEmpty()) return;
    Empty = true;
    BroadcastSkinMessage(WM_SKINDATA_CHANGING);
    ClearSkin();
    try {
        LoadStoredSkin(stored);
    } catch (...) {
        // Nothing of the failed skin stays behind, its texts and sections included.
        ClearSkin();
        SkinName.clear();
        SkinAuthor.clear();
        AuthorEmail.clear();
        AuthorURL.clear();
        SkinComments.clear();
        FormInfo = TgwFormInfo();
        PopupWindow = TgwDataSkinPopupWindow();
        HintWindow = TgwDataSkinHintWindow();
        throw;
    }
    if (Empty) return;   // a version this reader does not know: left cleared
    BroadcastSkinMessage(WM_SKINDATA_CHANGED);
    BroadcastSkinMessage(WM_SKINDATA_CHANGED2);
}

void TgwSkinData::LoadStoredSkin(TgwCompressedStoredSkin* stored) {
    TMemoryStream raw;
    stored->DecompressToStream(&raw);
    raw.SetPosition(0);
    TgwStoredSkin skin;
    if (!ReadStoredSkin(raw, skin)) return;
    Picture = std::move(skin.Picture);
    InactivePicture = std::move(skin.InactivePicture);
    Mask = std::move(skin.Mask);
    ActivePictureList = std::move(skin.ActivePictures);

    TStringList lines;
    lines.SetText(skin.IniText);
    TMemIniFile ini;
    ini.SetStrings(lines);

    SkinName = ini.ReadString("VERSION", "skinname", AnsiString());
    SkinAuthor = ini.ReadString("VERSION", "skinauthor", AnsiString());
    AuthorEmail = ini.ReadString("VERSION", "authoremail", AnsiString());
    AuthorURL = ini.ReadString("VERSION", "authorurl", AnsiString());
    SkinComments = ini.ReadString("VERSION", "skincomments", AnsiString());
    PictureName = ini.ReadString("PICTURES", "picture", AnsiString());
    InactivePictureName = ini.ReadString("PICTURES", "inactivepicture", AnsiString());
    MaskName = ini.ReadString("PICTURES", "mask", AnsiString());
    ReadIniStrings(ini, "PICTURES", "activepictures", &ActivePictureNames);

    LoadFormInfo(ini);
    PopupWindow.LoadFromIni(ini);
    HintWindow.LoadFromIni(ini);
    SkinColors.LoadFromIni(ini);
    LoadSkinObjects(ini);
    LoadSkinControls(ini);
    Empty = false;
}
