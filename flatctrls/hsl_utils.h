// Colours in the hue-saturation-luminance model, as reals (0..1) and on the integer
// scale the flat controls use (hue 0..239, saturation and luminance 0..240).
// Colours are RGB values with red in the low byte; system colours must be resolved
// before they get here.
#pragma once
#include <cstdint>

constexpr int HSLRange = 240;

void RGBToHSL(int32_t rgb, double& hue, double& saturation, double& luminance);
// Components outside 0..255 (from out-of-range arguments) are clamped.
int32_t HSLToRGB(double hue, double saturation, double luminance);

// Hue is scaled by HSLRange - 1, saturation and luminance by HSLRange; halves round to even.
void RGBToHSLRange(int32_t rgb, int& hue, int& saturation, int& luminance);
int32_t HSLRangeToRGB(int hue, int saturation, int luminance);
