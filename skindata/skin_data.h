// The skin-data components: TgwCompressedStoredSkin holds one skin in compressed form,
// TgwSkinData is the loaded skin that the family's controls read.
//
// Loading (TgwSkinData::LoadCompressedStoredSkin) inflates the stored skin, takes its
// pictures, parses the INI text into the fixed sections and the descriptor lists, and tells
// the application about it through BroadcastSkinMessage: 1225 before anything is cleared,
// 1226 and 1227 once the load completed. A load that fails leaves the skin cleared and Empty
// and sends neither 1226 nor 1227; the exception goes to the caller.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "classlib/bmp_format.h"
#include "classlib/classes.h"
#include "classlib/inifiles.h"
#include "skindata/resource_strings.h"
#include "skindata/skin_descriptors.h"
#include "skindata/skin_sections.h"

// Messages of the family (WPARAM the TgwSkinData, LPARAM 1000).
constexpr unsigned WM_SKINDATA_CHANGING = 1225;   // a load starts
constexpr unsigned WM_SKINDATA_CHANGED = 1226;    // a load completed
constexpr unsigned WM_SKINDATA_CHANGED2 = 1227;   // right after 1226
constexpr unsigned WM_SKINDATA_STRINGS = 1274;    // ResourceStrData was assigned
constexpr intptr_t kSkinDataMessageTag = 1000;

// True when all five sections VERSION, PICTURES, FORMINFO, SKINOBJECTS, SKINCONTROLS exist.
bool IsValidSkinIni(const TCustomIniFile& ini);

class TgwCompressedStoredSkin : public TComponent {
public:
    explicit TgwCompressedStoredSkin(TComponent* owner);
    const char* ClassName() const override { return "TgwCompressedStoredSkin"; }

    AnsiString Description;
    const AnsiString& GetFileName() const { return FFileName; }
    void SetFileName(const AnsiString& v) { FFileName = v; }
    const AnsiString& GetCompressedFileName() const { return FCompressedFileName; }
    void SetCompressedFileName(const AnsiString& v) { FCompressedFileName = v; }

    bool IsEmpty() { return FCompressedData.GetSize() == 0; }
    TMemoryStream& CompressedData() { return FCompressedData; }
    // Inflates the whole data into target; more than kMaxStoredSkinSize raises.
    void DecompressToStream(TStream* target);
    // Builds the data from an INI file and the BMP files it names (beside it). An INI that
    // lacks one of the five sections changes nothing; a missing picture raises, with the
    // data already cleared.
    void BuildFromIniFile(const AnsiString& path);
    // Takes the data from a compressed skin file; a version above 3 leaves it empty, a bad
    // size raises with the data empty.
    void LoadFromCompressedFile(const AnsiString& path);

private:
    AnsiString FFileName, FCompressedFileName;
    TMemoryStream FCompressedData;
};

class TgwSkinData : public TComponent {
public:
    explicit TgwSkinData(TComponent* owner);
    ~TgwSkinData() override;
    const char* ClassName() const override { return "TgwSkinData"; }

    bool EnableSkinEffects = true;
    TgwCompressedStoredSkin* GetCompressedStoredSkin() const { return FCompressedStoredSkin; }
    // Stores the reference and, when not null, loads it.
    void SetCompressedStoredSkin(TgwCompressedStoredSkin* value);
    TgwResourceStrData* GetResourceStrData() const { return FResourceStrData; }
    // Stores the reference and broadcasts WM_SKINDATA_STRINGS (also for null).
    void SetResourceStrData(TgwResourceStrData* value);

    bool Empty = true;
    std::vector<std::unique_ptr<TgwDataSkinObject>> SkinObjectList;
    std::vector<std::unique_ptr<TgwDataSkinControl>> SkinControlList;
    TBmpImage Picture, InactivePicture, Mask;
    std::vector<TBmpImage> ActivePictureList;
    TStringList ActivePictureNames;
    AnsiString PictureName, InactivePictureName, MaskName;
    AnsiString SkinName, SkinAuthor, AuthorEmail, AuthorURL, SkinComments;
    TgwFormInfo FormInfo;
    TgwDataSkinPopupWindow PopupWindow;
    TgwDataSkinHintWindow HintWindow;
    TgwSkinColors SkinColors;

    // Index in SkinControlList of the first descriptor with this section name (exact), or -1.
    int GetControlIndex(const AnsiString& sectionName) const;
    void ClearSkinLists();
    void ClearSkin();
    void LoadCompressedStoredSkin(TgwCompressedStoredSkin* stored);
    void LoadFormInfo(const TCustomIniFile& ini) { FormInfo.LoadFromIni(ini, !MaskName.empty()); }
    void LoadSkinObjects(const TCustomIniFile& ini);
    void LoadSkinControls(const TCustomIniFile& ini);

    // "name:kind" → name and kind; both empty when there is no ":".
    static void SplitSectionAndKind(const AnsiString& text, AnsiString& sectionName, AnsiString& kind);

    // Sends msg to the owner form first, then to every other form of Screen in order, making
    // the window of a form that has none; forms being destroyed are skipped (BroadcastToForms).
    virtual void BroadcastSkinMessage(unsigned msg);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void LoadStoredSkin(TgwCompressedStoredSkin* stored);
    TgwCompressedStoredSkin* FCompressedStoredSkin = nullptr;
    TgwResourceStrData* FResourceStrData = nullptr;
};
