// Placement of a glyph and a caption inside a button: plain arithmetic, so that the
// drawing code only has to measure the caption and paint at the results.
#pragma once

#include "classlib/types.h"

struct TButtonLayoutResult {
    TPoint GlyphPos;
    TRect TextBounds;   // zero-sized at the text position when there is no caption
};

// client: the button's client rectangle; offset: (1, 1) while pressed.
// textSize: the caption measured as one line (0, 0 without a caption).
// glyphStrip: the whole image strip's width and height (0, 0 without a glyph); each image
//   is glyphStrip.X / numGlyphs wide, numGlyphs being held within 1..4.
// margin -1 centres; spacing -1 spreads the free space.
TButtonLayoutResult CalcButtonLayout(const TRect& client, TPoint offset, TPoint textSize,
                                     TPoint glyphStrip, int numGlyphs, int margin, int spacing,
                                     TButtonLayout layout);
