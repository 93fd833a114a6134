// TFlatSpeedButton: a windowless flat button with a one-pixel frame, a background that
// lights up under the mouse, a glyph strip of up to four images and a caption. It works as
// a push button, as a sticky button of a group (GroupIndex) and as a dialog button
// (ModalResult), and follow an action (Action). One timer, shared by all flat speed buttons, notices when the mouse has
// left the button it is tracking.
#pragma once
#include <cstdint>
#include <memory>

#include "classlib/gui/bitmap.h"
#include "classlib/gui/controls.h"
#include "classlib/gui/forms.h"
#include "flatctrls/button_layout.h"

class TFlatSpeedButton : public TGraphicControl {
public:
    // When the background is painted: always (tmNone), only under the mouse
    // (tmNotFocused), never (tmAlways).
    enum TTransparentMode : uint8_t { tmAlways, tmNotFocused, tmNone };
    enum TButtonState : uint8_t { bsUp = 0, bsDisabled = 1, bsDown = 2, bsExclusive = 3 };

    explicit TFlatSpeedButton(TComponent* owner);
    ~TFlatSpeedButton() override;
    const char* ClassName() const override { return "TFlatSpeedButton"; }

    TTransparentMode GetTransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode mode);
    bool GetAllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool value);
    TColor GetColorFocused() const { return FFocusedColor; }
    void SetColorFocused(TColor color) { SetLookColor(FFocusedColor, color); }
    TColor GetColorDown() const { return FDownColor; }
    void SetColorDown(TColor color) { SetLookColor(FDownColor, color); }
    TColor GetColorBorder() const { return FBorderColor; }
    void SetColorBorder(TColor color) { SetLookColor(FBorderColor, color); }
    TColor GetColorHighLight() const { return FHighlightColor; }
    void SetColorHighLight(TColor color) { SetLookColor(FHighlightColor, color); }
    TColor GetColorShadow() const { return FShadowColor; }
    void SetColorShadow(TColor color) { SetLookColor(FShadowColor, color); }
    uint8_t GetAdvColorFocused() const { return FAdvColorFocused; }
    void SetAdvColorFocused(uint8_t amount) { SetAdvAmount(FAdvColorFocused, amount); }
    uint8_t GetAdvColorDown() const { return FAdvColorDown; }
    void SetAdvColorDown(uint8_t amount) { SetAdvAmount(FAdvColorDown, amount); }
    uint8_t GetAdvColorBorder() const { return FAdvColorBorder; }
    void SetAdvColorBorder(uint8_t amount) { SetAdvAmount(FAdvColorBorder, amount); }
    // Derives ColorFocused, ColorDown and ColorBorder from Color (which then follows the parent).
    bool GetUseAdvColors() const { return FUseAdvColors; }
    void SetUseAdvColors(bool value);
    int GetGroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int index);
    // Sticky state; always false outside a group.
    bool GetDown() const { return FDown; }
    void SetDown(bool value);
    // The image strip (a copy is kept). A strip whose width is a multiple of its height sets
    // NumGlyphs to the number of squares (1 when there would be more than four).
    TBitmap* GetGlyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* glyph);
    TButtonLayout GetLayout() const { return FLayout; }
    void SetLayout(TButtonLayout layout);
    // -1 centres; smaller values are refused.
    int GetMargin() const { return FMargin; }
    void SetMargin(int margin);
    // Held within 1..4.
    int GetNumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int count);
    TModalResult GetModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult result) { FModalResult = result; }
    int GetSpacing() const { return FSpacing; }
    void SetSpacing(int spacing);

    TButtonState GetState() const { return FState; }
    bool GetMouseInControl() const { return FMouseInControl; }

    // Gives the parent form this button's ModalResult (when there is a form), then OnClick.
    void Click() override;

protected:
    void WndProc(TMessage& message) override;
    // Besides what every control takes from its action: an empty glyph becomes the action's
    // image (from its list's Images) on a fuchsia background, transparent like any glyph.
    void ActionChange(TObject* sender, bool checkDefaults) override;
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    // Repaints in the look the mouse position calls for.
    void UpdateTracking();
    void CalcAdvColors();

    TButtonState FState = bsUp;
    bool FDragging = false;
    bool FMouseInControl = false;
    TPoint FGlyphPos;
    TRect FTextBounds;

private:
    void SetLookColor(TColor& field, TColor color);
    void SetAdvAmount(uint8_t& field, uint8_t amount);
    void MouseEnterHandling();
    void MouseLeaveHandling();
    void TrackMouse();
    void StopTracking();
    void UpdateExclusive();
    void ButtonPressed(TMessage& m);
    void PaintGlyph(TCanvas* canvas, TColor transparentColor);
    bool IsUnderCursor();

    TTransparentMode FTransparentMode = tmNone;
    bool FAllowAllUp = false;
    TColor FFocusedColor = 0xE1EAEB;
    TColor FDownColor = 0xC5D6D9;
    TColor FBorderColor = 0x8396A0;
    TColor FHighlightColor = clWhite;
    TColor FShadowColor = clBlack;
    uint8_t FAdvColorFocused = 10;
    uint8_t FAdvColorDown = 10;
    uint8_t FAdvColorBorder = 50;
    bool FUseAdvColors = false;
    int FGroupIndex = 0;
    bool FDown = false;
    std::unique_ptr<TBitmap> FGlyph;
    TButtonLayout FLayout = blGlyphTop;
    int FMargin = -1;
    int FNumGlyphs = 1;
    TModalResult FModalResult = mrNone;
    int FSpacing = 4;
};
