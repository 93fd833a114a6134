#include "flatctrls/flat_drawing.h"

namespace {
// Brush where the source is white, destination where it is black.
constexpr DWORD ROP_DSPDxax = 0x00E20746;

void PaintThroughMask(TCanvas* target, TBitmap* mask, TColor color, int x, int y) {
    target->GetBrush()->SetColor(color);
    HDC dc = target->GetHandle();
    HGDIOBJ oldBrush = SelectObject(dc, target->GetBrush()->GetHandle());
    // Monochrome to colour: black bits take the text colour, white ones the background colour.
    COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    BitBlt(dc, x, y, mask->GetWidth(), mask->GetHeight(), mask->GetCanvas()->GetHandle(), 0, 0, ROP_DSPDxax);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
    SelectObject(dc, oldBrush);
}
}  // namespace

void DrawFrameRings(TCanvas* canvas, TRect rect, TColor topColor, TColor bottomColor, int width) {
    Frame3D(canvas, rect, topColor, bottomColor, width);
}

std::unique_ptr<TBitmap> MakeDisabledGlyph(TBitmap* glyph, TColor maskColor, TColor backColor, bool drawHighlight,
                                           TColor shadowColor, TColor highlightColor) {
    const int width = glyph->GetWidth(), height = glyph->GetHeight();
    auto result = std::make_unique<TBitmap>(width, height);

    TBitmap mask;
    mask.Assign(glyph);
    mask.SetHandleType(bmDDB);
    mask.GetCanvas()->GetBrush()->SetColor(maskColor);
    if (mask.GetMonochrome()) {
        mask.GetCanvas()->GetFont()->SetColor(clWhite);
        mask.SetMonochrome(false);
        mask.GetCanvas()->GetBrush()->SetColor(clWhite);
    }
    mask.SetMonochrome(true);

    TCanvas* canvas = result->GetCanvas();
    canvas->GetBrush()->SetColor(backColor);
    canvas->FillRect(TRect(0, 0, width, height));
    if (drawHighlight)
        PaintThroughMask(canvas, &mask, highlightColor, 1, 1);
    PaintThroughMask(canvas, &mask, shadowColor, 0, 0);
    return result;
}

TButtonLayoutResult CalcButtonLayout(TCanvas* canvas, const TRect& client, TPoint offset, const AnsiString& caption,
                                     TBitmap* glyph, int numGlyphs, int margin, int spacing, TButtonLayout layout) {
    TPoint textSize;
    if (!caption.empty()) {
        TRect bounds(0, 0, client.Width(), 0);
        canvas->DrawText(caption, bounds, DT_CALCRECT | DT_SINGLELINE);
        textSize = TPoint(bounds.Width(), bounds.Height());
    }
    TPoint strip;
    if (glyph != nullptr)
        strip = TPoint(glyph->GetWidth(), glyph->GetHeight());
    return CalcButtonLayout(client, offset, textSize, strip, numGlyphs, margin, spacing, layout);
}
