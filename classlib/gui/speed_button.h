// The windowless speed button.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "classlib/gui/bitmap.h"
#include "classlib/gui/controls.h"

// A windowless button with a glyph and a caption. With a GroupIndex it stays down when clicked
// and the other speed buttons of its parent with the same GroupIndex come up; with AllowAllUp a
// click on the down one raises it.
class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;
    const char* ClassName() const override { return "TSpeedButton"; }

    bool GetDown() const { return FDown; }
    // Ignored without a GroupIndex; the down one of a group without AllowAllUp stays down.
    void SetDown(bool v);
    int GetGroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int v);
    bool GetAllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool v);
    // Flat: no frame until the mouse is over the button.
    bool GetFlat() const { return FFlat; }
    void SetFlat(bool v);
    // The glyph holds NumGlyphs pictures side by side: up, disabled, pressed, down.
    TBitmap* GetGlyph() const { return FGlyph.get(); }
    // A copy of the picture; a strip of square pictures sets NumGlyphs to their count (up to 4).
    void SetGlyph(TBitmap* glyph);
    int GetNumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int v);
    TButtonLayout GetLayout() const { return FLayout; }
    void SetLayout(TButtonLayout v);
    // Space around the glyph; -1 centres.
    int GetMargin() const { return FMargin; }
    void SetMargin(int v);
    int GetSpacing() const { return FSpacing; }
    void SetSpacing(int v);
    // The left button is held down over the button.
    bool IsPressed() const { return FPressed; }
    bool IsMouseInControl() const { return FMouseInControl; }

protected:
    void Paint() override;
    void WndProc(TMessage& message) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
private:
    // Raises the other down buttons of the group.
    void UpdateExclusive();
    void DrawGlyph(const TRect& client, const TPoint& at);
    std::unique_ptr<TBitmap> FGlyph;
    int FNumGlyphs = 1;
    bool FDown = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FFlat = false;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    bool FPressed = false;
    bool FMouseInControl = false;
};

// Where a button puts its glyph and caption inside an area of the given size: side by side (or one
// above the other) along the layout, centred across it. A margin or spacing of -1 centres.
struct TGlyphCaptionPlaces {
    TPoint GlyphAt;
    TPoint TextAt;
};
TGlyphCaptionPlaces PlaceGlyphAndCaption(const TPoint& area, const TPoint& glyphSize, const TPoint& textSize,
                                         TButtonLayout layout, int margin, int spacing);
