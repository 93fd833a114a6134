#include "flatctrls/system_colors.h"

// Without a window system the classic Windows scheme stands in for the user's colours.
int32_t ResolveSystemColor(int32_t color) {
    if (color >= 0)
        return color;
    static const int32_t scheme[] = {
        0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
        0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
        0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
        0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0xFF9933, 0xF0F0F0,
    };
    unsigned index = static_cast<unsigned>(color) & 0xFF;
    return index < sizeof scheme / sizeof scheme[0] ? scheme[index] : 0;
}
