#include "flatctrls/flat_colors.h"

#include "flatctrls/hsl_utils.h"
#include "flatctrls/system_colors.h"

int32_t ShiftColor(int32_t base, int32_t current, uint8_t amount, bool darken) {
    if (amount == 0)
        return current;
    int hue, saturation, luminance;
    RGBToHSLRange(ResolveSystemColor(base), hue, saturation, luminance);
    luminance += 10;
    if (darken) {
        luminance -= amount;
        if (luminance < 0)
            luminance = 0;
    } else {
        // The cap is 100 of 240, not the top of the scale: the controls' light shades rely on it.
        luminance += amount;
        if (luminance > 100)
            luminance = 100;
    }
    return HSLRangeToRGB(hue, saturation, luminance);
}
