#include "flatctrls/button_layout.h"

#include <algorithm>

TButtonLayoutResult CalcButtonLayout(const TRect& client, TPoint offset, TPoint textSize,
                                     TPoint glyphStrip, int numGlyphs, int margin, int spacing,
                                     TButtonLayout layout) {
    const TPoint clientSize{client.Width(), client.Height()};
    const int images = std::clamp(numGlyphs, 1, 4);
    const TPoint glyphSize{glyphStrip.X / images, glyphStrip.Y};
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;

    TPoint glyphPos, textPos;
    // Across the layout's axis both items are centred.
    if (horizontal) {
        glyphPos.Y = (clientSize.Y - glyphSize.Y + 1) / 2;
        textPos.Y = (clientSize.Y - textSize.Y + 1) / 2;
    } else {
        glyphPos.X = (clientSize.X - glyphSize.X + 1) / 2;
        textPos.X = (clientSize.X - textSize.X + 1) / 2;
    }

    if (textSize.X == 0 || glyphSize.X == 0)
        spacing = 0;

    // Along the axis.
    const int client1 = horizontal ? clientSize.X : clientSize.Y;
    const int glyph1 = horizontal ? glyphSize.X : glyphSize.Y;
    const int text1 = horizontal ? textSize.X : textSize.Y;
    if (margin == -1 && spacing == -1) {
        margin = (client1 - (glyph1 + text1)) / 3;
        spacing = margin;
    } else if (margin == -1) {
        margin = (client1 - (glyph1 + spacing + text1) + 1) / 2;
    } else if (spacing == -1) {
        spacing = (client1 - margin - glyph1 - text1) / 2;
    }

    // Glyph first (left or top) from the start of the axis, else from its end.
    int glyphAlong, textAlong;
    if (layout == blGlyphLeft || layout == blGlyphTop) {
        glyphAlong = margin;
        textAlong = glyphAlong + glyph1 + spacing;
    } else {
        glyphAlong = client1 - margin - glyph1;
        textAlong = glyphAlong - spacing - text1;
    }
    (horizontal ? glyphPos.X : glyphPos.Y) = glyphAlong;
    (horizontal ? textPos.X : textPos.Y) = textAlong;

    TButtonLayoutResult r;
    r.GlyphPos = {glyphPos.X + client.Left + offset.X, glyphPos.Y + client.Top + offset.Y};
    const int left = textPos.X + client.Left + offset.X;
    const int top = textPos.Y + client.Top + offset.Y;
    r.TextBounds = {left, top, left + textSize.X, top + textSize.Y};
    return r;
}
