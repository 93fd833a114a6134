// Caches of skin bitmaps cut, turned and recoloured once per skin load, so that painting only
// copies: scroll-bar parts, tab-control parts and progress-bar parts.
#pragma once
#include <array>
#include <memory>

#include "classlib/gui/bitmap.h"
#include "skin/skin_reader_win.h"

class TlumSkinEngineIntf;

class TlumSkinRes : public TObject {
public:
    const char* ClassName() const override { return "TlumSkinRes"; }
    // Remembers the reader (not owned) and rebuilds from it.
    void SetReader(TlumSkinReader* reader) {
        FReader = reader;
        Rebuild();
    }
    TlumSkinReader* GetReader() const { return FReader; }
    virtual void Rebuild() {}
protected:
    TlumSkinReader* FReader = nullptr;
};

// Cache pictures are handed out for drawing; nullptr when a piece is empty.
using TSkinCacheBitmap = std::unique_ptr<TBitmap>;

class TlumSkinScrollBtnRes : public TlumSkinRes {
public:
    const char* ClassName() const override { return "TlumSkinScrollBtnRes"; }
    void Rebuild() override;
    // 1-3 up (normal, hot, pressed), 4-6 down; horizontal: the same turned left.
    TBitmap* GetVertArrow(int index) const { return Get(FVertArrows, index); }
    TBitmap* GetHorzArrow(int index) const { return Get(FHorzArrows, index); }
    // 1 top cap, 2 upper, 3 middle, 4 lower, 5 bottom cap; horizontal: turned left.
    TBitmap* GetVertThumb(int index) const { return Get(FVertThumbs, index); }
    TBitmap* GetHorzThumb(int index) const { return Get(FHorzThumbs, index); }
    int GetThumbWidth() const { return FThumbWidth; }
    bool GetWholeThumb() const { return FWholeThumb; }
    TBitmap* GetWholeThumbV() const { return FWholeV.get(); }
    TBitmap* GetWholeThumbH() const { return FWholeH.get(); }
private:
    template <size_t N>
    static TBitmap* Get(const std::array<TSkinCacheBitmap, N>& set, int index) {
        return index >= 1 && index <= int(N) ? set[size_t(index - 1)].get() : nullptr;
    }
    void Clear();
    std::array<TSkinCacheBitmap, 6> FVertArrows, FHorzArrows;
    std::array<TSkinCacheBitmap, 5> FVertThumbs, FHorzThumbs;
    TSkinCacheBitmap FWholeV, FWholeH;
    int FThumbWidth = 0;
    bool FWholeThumb = false;
};

class TlumSkinTabRes : public TlumSkinRes {
public:
    const char* ClassName() const override { return "TlumSkinTabRes"; }
    void Rebuild() override;
    // 0-3 the line (unturned, left, 180, right); 4-7 the unselected tab; 8-11 the selected tab.
    TBitmap* GetBitmap(int index) const {
        return index >= 0 && index < 12 ? FBitmaps[size_t(index)].get() : nullptr;
    }
private:
    std::array<TSkinCacheBitmap, 12> FBitmaps;
};

class TlumSkinProgressBarRes : public TlumSkinRes {
public:
    const char* ClassName() const override { return "TlumSkinProgressBarRes"; }
    void Rebuild() override;
    // 1-4 as in the skin; vertical: turned left.
    TBitmap* GetHorzPiece(int index) const { return index >= 1 && index <= 4 ? FHorz[size_t(index - 1)].get() : nullptr; }
    TBitmap* GetVertPiece(int index) const { return index >= 1 && index <= 4 ? FVert[size_t(index - 1)].get() : nullptr; }
    int GetWidth1() const { return FWidth1; }
    int GetWidth4() const { return FWidth4; }
private:
    std::array<TSkinCacheBitmap, 4> FHorz, FVert;
    int FWidth1 = 0, FWidth4 = 0;
};

// A whole scroll bar from the engine's scroll-bar cache: arrows at both ends, then the thumb.
void PaintSkinScrollBar(TCanvas* canvas, TlumSkinEngineIntf* engine, const TRect& bar, const TRect& thumb,
                        bool withThumb, bool vertical);
