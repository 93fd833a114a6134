#include "player/window_size.h"

bool WindowSizeFromSettings(const AnsiString& heightText, const AnsiString& widthText, int& height, int& width) {
    int32_t h = 0, w = 0;
    if (!TryStrToInt(heightText, h) || !TryStrToInt(widthText, w) || h <= 0 || w <= 0) return false;
    height = h;
    width = w;
    return true;
}
