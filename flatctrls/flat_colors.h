// Colour helpers of the flat controls. Colours are 32-bit values with red in the low
// byte; negative values are system colours.
#pragma once
#include <cstdint>

// The "advanced" colours: base's luminance (on the 240 scale) plus 10, then lightened by
// amount (capped at 100) or darkened by amount (floored at 0); hue and saturation kept.
// An amount of 0 keeps current, whatever base is.
int32_t ShiftColor(int32_t base, int32_t current, uint8_t amount, bool darken);
