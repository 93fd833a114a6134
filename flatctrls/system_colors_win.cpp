#include "flatctrls/system_colors.h"

#include <windows.h>

int32_t ResolveSystemColor(int32_t color) {
    if (color < 0)
        return static_cast<int32_t>(GetSysColor(static_cast<int>(color & 0xFF)));
    return color;
}
