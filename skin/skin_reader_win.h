// The skin file reader with its bitmaps as TBitmap, and TlumSkinReader, which answers the
// engine's lookups by key index.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "classlib/gui/bitmap.h"
#include "skin/sk2_container.h"
#include "skin/skin_keys.h"

class Tsk2SkinFileReader : public TObject {
public:
    // Reads the skin file; raises Exception("Wrong password!" / "Failed to read skin file!").
    Tsk2SkinFileReader(const AnsiString& fileName, const AnsiString& password);
    // The same from a whole skin file in memory.
    Tsk2SkinFileReader(const std::vector<uint8_t>& skinFile, const AnsiString& password);
    ~Tsk2SkinFileReader() override;
    const char* ClassName() const override { return "Tsk2SkinFileReader"; }

    // The reader's own bitmap, or nullptr.
    TBitmap* GetBitmap(const AnsiString& name) const;
    int32_t GetInteger(const AnsiString& name) const { return FData.GetInteger(name); }
    int32_t GetBool(const AnsiString& name) const { return FData.GetByte(name); }
    // Every bitmap becomes transparent-capable with this fixed colour.
    void SetTransparentColor(TColor color);
    int BitmapCount() const { return static_cast<int>(FBitmaps.size()); }

private:
    explicit Tsk2SkinFileReader(TSk2SkinData data);
    TSk2SkinData FData;   // names and values; the pictures live in FBitmaps
    std::vector<std::unique_ptr<TBitmap>> FBitmaps;
};

class TlumSkinReader : public TObject {
public:
    TlumSkinReader(const AnsiString& fileName, const AnsiString& password);
    const char* ClassName() const override { return "TlumSkinReader"; }

    // Loads a skin file (a missing one leaves no skin, not an error); the reader's exceptions
    // reach the caller with no skin loaded and OnLoad not fired.
    void LoadSkin(const AnsiString& fileName, const AnsiString& password);
    // Loads a whole skin file held in memory, with the same rules and events.
    void LoadSkinData(const std::vector<uint8_t>& skinFile, const AnsiString& password);
    bool GetLoaded() const { return FLoaded; }
    Tsk2SkinFileReader* GetFileReader() const { return FFileReader.get(); }

    // Lookups by group-relative index (masked with 0x7F); missing: nullptr, -1, -1, false.
    TBitmap* GetSkinBitmap(uint8_t index) const;
    TColor GetSkinColor(uint8_t index) const;
    int32_t GetSkinPosition(uint8_t index) const;
    bool GetSkinBool(uint8_t index) const;

    std::function<void(TObject*)> OnLoad;

private:
    void Adopt(std::unique_ptr<Tsk2SkinFileReader> reader);
    std::unique_ptr<Tsk2SkinFileReader> FFileReader;
    bool FLoaded = false;
};
