#include "flatctrls/hsl_utils.h"

#include <algorithm>
#include <cmath>

namespace {

// Nearest integer, halves to the even neighbour, whatever the FPU rounding mode is.
long RoundHalfEven(double x) {
    double f = std::floor(x);
    double diff = x - f;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(f, 2.0) != 0.0))
        f += 1.0;
    return static_cast<long>(f);
}

int ToByte(double unit) {
    double scaled = unit * 255.0;
    if (!(scaled > 0.0))   // also catches NaN
        return 0;
    if (scaled >= 255.0)
        return 255;
    return static_cast<int>(RoundHalfEven(scaled));
}

// The model's three values as exact fractions of the byte components, so that the
// integer scale rounds true halves (which floating point would blur) to even.
struct HslFractions {
    int hueNum = 0, hueDen = 0;   // hue = hueNum / hueDen in [0, 1)
    int satNum = 0, satDen = 0;
    int lumNum = 0;               // luminance = lumNum / 510
};

HslFractions ToHslFractions(int32_t rgb) {
    uint32_t c = static_cast<uint32_t>(rgb);
    int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    int mx = std::max({r, g, b});
    int mn = std::min({r, g, b});
    HslFractions f;
    f.lumNum = mx + mn;
    if (mx == mn)
        return f;
    int d = mx - mn;
    f.satNum = d;
    f.satDen = mx + mn < 255 ? mx + mn : 510 - mx - mn;
    if (mx == r)
        f.hueNum = g - b;
    else if (mx != g)
        f.hueNum = 4 * d + r - g;
    else
        f.hueNum = 2 * d + b - r;
    f.hueDen = 6 * d;
    if (f.hueNum < 0)
        f.hueNum += f.hueDen;
    return f;
}

// num / den for num >= 0, den > 0, halves to the even neighbour.
int DivRoundHalfEven(int num, int den) {
    int q = num / den, r = num % den;
    if (2 * r > den || (2 * r == den && (q & 1)))
        ++q;
    return q;
}

int32_t MakeRGB(int r, int g, int b) {
    return static_cast<int32_t>(static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 |
                                static_cast<uint32_t>(b) << 16);
}

double HueToUnit(double m1, double m2, double h) {
    if (h < 0.0)
        h += 1.0;
    else if (h > 1.0)
        h -= 1.0;
    if (6.0 * h < 1.0)
        return m1 + (m2 - m1) * h * 6.0;
    if (2.0 * h < 1.0)
        return m2;
    if (3.0 * h < 2.0)
        return m1 + (m2 - m1) * (2.0 / 3.0 - h) * 6.0;
    return m1;
}

}  // namespace

void RGBToHSL(int32_t rgb, double& hue, double& saturation, double& luminance) {
    HslFractions f = ToHslFractions(rgb);
    hue = f.hueDen ? double(f.hueNum) / f.hueDen : 0.0;
    saturation = f.satDen ? double(f.satNum) / f.satDen : 0.0;
    luminance = f.lumNum / 510.0;
}

int32_t HSLToRGB(double hue, double saturation, double luminance) {
    if (saturation == 0.0) {
        int v = ToByte(luminance);
        return MakeRGB(v, v, v);
    }
    double m2 = luminance <= 0.5 ? luminance * (1.0 + saturation)
                                 : luminance + saturation - luminance * saturation;
    double m1 = 2.0 * luminance - m2;
    return MakeRGB(ToByte(HueToUnit(m1, m2, hue + 1.0 / 3.0)), ToByte(HueToUnit(m1, m2, hue)),
                   ToByte(HueToUnit(m1, m2, hue - 1.0 / 3.0)));
}

void RGBToHSLRange(int32_t rgb, int& hue, int& saturation, int& luminance) {
    HslFractions f = ToHslFractions(rgb);
    hue = f.hueDen ? DivRoundHalfEven(f.hueNum * (HSLRange - 1), f.hueDen) : 0;
    saturation = f.satDen ? DivRoundHalfEven(f.satNum * HSLRange, f.satDen) : 0;
    luminance = DivRoundHalfEven(f.lumNum * HSLRange, 510);
}

int32_t HSLRangeToRGB(int hue, int saturation, int luminance) {
    return HSLToRGB(hue / double(HSLRange - 1), saturation / double(HSLRange), luminance / double(HSLRange));
}
