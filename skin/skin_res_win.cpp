#include "skin/skin_res_win.h"

#include "skin/skin_bitmap_win.h"
#include "skin/skin_engine_intf.h"
#include "skin/skin_utils_win.h"

namespace {

TSkinCacheBitmap Cached(const TSkinPixels& pixels) {
    return pixels.Empty() ? nullptr : BitmapFromPixels(pixels);
}

TSkinPixels Turned(TSkinPixels pixels, void (*turn)(TSkinPixels&)) {
    turn(pixels);
    return pixels;
}

}  // namespace

void TlumSkinScrollBtnRes::Clear() {
    for (auto* set : {&FVertArrows, &FHorzArrows})
        for (auto& b : *set) b.reset();
    for (auto* set : {&FVertThumbs, &FHorzThumbs})
        for (auto& b : *set) b.reset();
    FWholeV.reset();
    FWholeH.reset();
    FThumbWidth = 0;
    FWholeThumb = false;
}

void TlumSkinScrollBtnRes::Rebuild() {
    Clear();
    if (!FReader || !FReader->GetLoaded()) return;
    const int32_t transparent = FReader->GetSkinColor(SKIN2_TRANSCOLOR);
    const TColor scrollColor = FReader->GetSkinColor(SKIN2_SCROLLBARCOLOR);
    const int32_t scrollRgb = scrollColor == -1 ? -1 : static_cast<int32_t>(ColorToRGB(scrollColor));
    auto recolour = [&](TSkinPixels p) {
        ReplaceColor(p, transparent, scrollRgb);
        return p;
    };

    const TSkinPixels up = PixelsFromBitmap(FReader->GetSkinBitmap(SKIN2_SCROLLBARUPBUTTON));
    const TSkinPixels down = PixelsFromBitmap(FReader->GetSkinBitmap(SKIN2_SCROLLBARDOWNBUTTON));
    TSkinPixels arrows[6];
    for (int k = 1; k <= 3; ++k) {
        if (!up.Empty()) ExtractSlice(&up, arrows[k - 1], 3, k);
        if (!down.Empty()) ExtractSlice(&down, arrows[k + 2], 3, k);
    }
    TBitmap* thumbBitmap = FReader->GetSkinBitmap(SKIN2_SCROLLBAR);
    // Without a thumb bitmap the arrows keep their own colours.
    for (int i = 0; i < 6; ++i) {
        TSkinPixels arrow = thumbBitmap ? recolour(arrows[i]) : arrows[i];
        FVertArrows[i] = Cached(arrow);
        FHorzArrows[i] = Cached(Turned(arrow, RotateLeft90));
    }
    if (!thumbBitmap) return;

    const TSkinPixels thumb = PixelsFromBitmap(thumbBitmap);
    FWholeThumb = IsWholeThumb(&thumb, scrollColor);
    if (FWholeThumb) {
        FWholeV = Cached(thumb);
        FWholeH = Cached(Turned(thumb, RotateLeft90));
    }
    std::vector<TSkinPixels> pieces = CutScrollThumb(thumb);
    for (size_t i = 0; i < pieces.size(); ++i) {
        TSkinPixels piece = recolour(pieces[i]);
        FVertThumbs[i] = Cached(piece);
        FHorzThumbs[i] = Cached(Turned(piece, RotateLeft90));
    }
    FThumbWidth = FVertThumbs[0] ? FVertThumbs[0]->GetWidth() : 0;
}

void TlumSkinTabRes::Rebuild() {
    for (auto& b : FBitmaps) b.reset();
    if (!FReader) return;
    TSkinPixels sources[3];
    sources[0] = PixelsFromBitmap(FReader->GetSkinBitmap(SKIN2_TABCONTROLLINE));
    const TSkinPixels tabs = PixelsFromBitmap(FReader->GetSkinBitmap(SKIN2_TABCONTROL));
    if (!tabs.Empty()) {
        ExtractSlice(&tabs, sources[1], 2, 2);   // the tab that is not selected
        ExtractSlice(&tabs, sources[2], 2, 1);   // the selected tab
    }
    for (int s = 0; s < 3; ++s) {
        FBitmaps[size_t(4 * s)] = Cached(sources[s]);
        FBitmaps[size_t(4 * s + 1)] = Cached(Turned(sources[s], RotateLeft90));
        FBitmaps[size_t(4 * s + 2)] = Cached(Turned(sources[s], Rotate180));
        FBitmaps[size_t(4 * s + 3)] = Cached(Turned(sources[s], RotateRight90));
    }
}

void TlumSkinProgressBarRes::Rebuild() {
    for (auto* set : {&FHorz, &FVert})
        for (auto& b : *set) b.reset();
    FWidth1 = FWidth4 = 0;
    if (!FReader || !FReader->GetLoaded()) return;
    for (int i = 0; i < 4; ++i) {
        TSkinPixels piece = PixelsFromBitmap(FReader->GetSkinBitmap(static_cast<uint8_t>(SKIN2_PROGRESSBAR1 + i)));
        FHorz[size_t(i)] = Cached(piece);
        FVert[size_t(i)] = Cached(Turned(piece, RotateLeft90));
    }
    FWidth1 = FHorz[0] ? FHorz[0]->GetWidth() : 0;
    FWidth4 = FHorz[3] ? FHorz[3]->GetWidth() : 0;
}

namespace {

// The piece (less its first rows or columns) copied onto the whole destination, stretched to
// it: the thumb is as wide as the bar, whatever width the skin's pieces have.
void CopyWhole(TCanvas* canvas, TBitmap* piece, const TRect& dest, int skipRows, int skipCols) {
    if (!piece) return;
    const TRect source(skipCols, skipRows, piece->GetWidth(), piece->GetHeight());
    if (source.IsEmpty() || dest.IsEmpty()) return;
    canvas->CopyRect(dest, piece->GetCanvas(), source);
}

// A thumb too short for its middle gives an upside-down span: nothing to draw there.
void Stretch(TCanvas* canvas, TBitmap* piece, const TRect& dest) {
    if (piece && !dest.IsEmpty()) StretchDrawBitmap(piece, canvas, dest);
}

}  // namespace

void PaintSkinScrollBar(TCanvas* canvas, TlumSkinEngineIntf* engine, const TRect& r, const TRect& t,
                        bool withThumb, bool vertical) {
    if (!canvas || !engine || !engine->GetScrollBtnRes()) return;
    TlumSkinScrollBtnRes& res = *engine->GetScrollBtnRes();
    FillRectColor(canvas, r, engine->GetSkinColor(SKIN2_SCROLLBARCOLOR));
    if (vertical) {
        Stretch(canvas, res.GetVertArrow(1), TRect(r.Left, r.Top, r.Right, r.Top + r.Width()));
        Stretch(canvas, res.GetVertArrow(4), TRect(r.Left, r.Bottom - r.Width(), r.Right, r.Bottom));
    } else {
        Stretch(canvas, res.GetHorzArrow(1), TRect(r.Left, r.Top, r.Left + r.Height(), r.Bottom));
        Stretch(canvas, res.GetHorzArrow(4), TRect(r.Right - r.Height(), r.Top, r.Right, r.Bottom));
    }
    if (!withThumb) return;
    const int d = vertical ? t.Height() : t.Width();
    const int m = d - 6;
    if (res.GetWholeThumb() && d > 15) {
        if (vertical)
            DrawThreePartV(res.GetWholeThumbV(), canvas, t, 0);
        else
            DrawThreePartH(res.GetWholeThumbH(), canvas, t, 0, false);
        return;
    }
    auto piece = [&](int i) { return vertical ? res.GetVertThumb(i) : res.GetHorzThumb(i); };
    auto extent = [&](TBitmap* b) { return b ? (vertical ? b->GetHeight() : b->GetWidth()) : 0; };
    // Along the bar: a span [from, to) as a rectangle across the whole thumb.
    auto span = [&](int from, int to) {
        return vertical ? TRect(t.Left, from, t.Right, to) : TRect(from, t.Top, to, t.Bottom);
    };
    const int start = vertical ? t.Top : t.Left, end = vertical ? t.Bottom : t.Right;
    TBitmap* first = piece(1);
    TBitmap* last = piece(5);
    CopyWhole(canvas, first, span(start, start + extent(first)), 0, 0);
    const int skip = std::max(0, extent(last) - d / 2);
    CopyWhole(canvas, last, span(end - extent(last), end), vertical ? skip : 0, vertical ? 0 : skip);
    TBitmap* middle = piece(3);
    if (extent(middle) >= m) {
        Stretch(canvas, middle, span(start + 3, end - 3));
        return;
    }
    const int e = (m - extent(middle)) / 2;
    CopyWhole(canvas, middle, span(start + e + 3, start + e + 3 + extent(middle)), 0, 0);
    Stretch(canvas, piece(4), span(start + e + 3 + extent(middle), end - 3));
    Stretch(canvas, piece(2), span(start + 3, start + e + 3));
}
