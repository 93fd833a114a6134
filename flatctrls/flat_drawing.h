// Drawing routines shared by the flat controls: one-pixel frames, the greyed image of a
// disabled glyph, and a button's glyph and caption placement measured on a canvas.
#pragma once
#include <memory>

#include "classlib/gui/bitmap.h"
#include "classlib/gui/graphics.h"
#include "flatctrls/button_layout.h"

// width nested one-pixel rings: topColor on the left and top sides, bottomColor on the right
// and bottom sides (which also take the top-right and bottom-left corners).
void DrawFrameRings(TCanvas* canvas, TRect rect, TColor topColor, TColor bottomColor, int width);

// A greyed copy of glyph: pixels of maskColor are drawn in shadowColor (and, with
// drawHighlight, in highlightColor one pixel down and right), everything else is backColor.
std::unique_ptr<TBitmap> MakeDisabledGlyph(TBitmap* glyph, TColor maskColor, TColor backColor, bool drawHighlight,
                                           TColor shadowColor, TColor highlightColor);

// CalcButtonLayout with the caption measured as one line in the canvas's font; glyph may be null.
TButtonLayoutResult CalcButtonLayout(TCanvas* canvas, const TRect& client, TPoint offset, const AnsiString& caption,
                                     TBitmap* glyph, int numGlyphs, int margin, int spacing, TButtonLayout layout);
