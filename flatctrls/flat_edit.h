// TCustomFlatEdit: a single-line edit without the system's 3-D border. It keeps three
// pixels on every side as non-client area and paints three rings there itself: the outer
// one in ColorBorder, the inner two in ColorFlat, or in ColorFocused while the edit has the
// focus or the mouse is over it.
#pragma once
#include <cstdint>

#include "classlib/gui/standard_controls.h"

class TCustomFlatEdit : public TCustomEdit {
public:
    explicit TCustomFlatEdit(TComponent* owner);
    const char* ClassName() const override { return "TCustomFlatEdit"; }

    TColor GetColorFocused() const { return FFocusedColor; }
    void SetColorFocused(TColor color) { SetRingColor(FFocusedColor, color); }
    TColor GetColorBorder() const { return FBorderColor; }
    void SetColorBorder(TColor color) { SetRingColor(FBorderColor, color); }
    // Setting the flat colour ends ParentColor.
    TColor GetColorFlat() const { return FFlatColor; }
    void SetColorFlat(TColor color);
    uint8_t GetAdvColorFocused() const { return FAdvColorFocused; }
    void SetAdvColorFocused(uint8_t amount) { SetAdvAmount(FAdvColorFocused, amount); }
    uint8_t GetAdvColorBorder() const { return FAdvColorBorder; }
    void SetAdvColorBorder(uint8_t amount) { SetAdvAmount(FAdvColorBorder, amount); }
    // Derives ColorFocused and ColorBorder from ColorFlat (and makes ColorFlat follow the parent).
    bool GetUseAdvColors() const { return FUseAdvColors; }
    void SetUseAdvColors(bool value);
    // ColorFlat follows the parent's Color. (The edit's own Color is its background, set by
    // every redraw of the border.)
    bool GetParentColor() const { return FParentFlatColor; }
    void SetParentColor(bool value);

    void RedrawBorder();
    // Paints the rings on a device context covering the whole window (also used for WM_PRINT).
    void DrawBorder(HDC dc);
    void CalcAdvColors();
    // Height := the font's text height + 6.
    void AdjustHeight();

protected:
    void WndProc(TMessage& message) override;
    void HandleCreated() override;
    void Loaded() override;

    TColor FFocusedColor;
    TColor FBorderColor;
    TColor FFlatColor;
    uint8_t FAdvColorFocused = 10;
    uint8_t FAdvColorBorder = 50;
    bool FUseAdvColors = false;
    bool FParentFlatColor = false;
    bool FMouseInControl = false;

private:
    void SetRingColor(TColor& field, TColor color);
    void SetAdvAmount(uint8_t& field, uint8_t amount);
    void ParentOrSystemColorChanged();
    bool ShowsFocusedLook();
};

// Text height of a font as the screen measures it (GetTextMetricsA's tmHeight).
int FontTextHeight(TFont* font);
