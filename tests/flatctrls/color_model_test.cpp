// The HSL model on the 240 scale and the luminance shift of the flat controls. Expected
// values come from an exact rational evaluation of the conversion formulas.
#include <gtest/gtest.h>

#include "flatctrls/flat_colors.h"
#include "flatctrls/hsl_utils.h"
#include "flatctrls/system_colors.h"

namespace {

struct HslCase {
    const char* name;
    int32_t rgb;
    int hue, saturation, luminance;
};

TEST(HslModel, RgbToRangeTable) {
    const HslCase cases[] = {
        {"red", 0x0000FF, 0, 240, 120},
        {"green", 0x00FF00, 80, 240, 120},
        {"blue", 0xFF0000, 159, 240, 120},
        {"black", 0x000000, 0, 0, 0},
        {"white", 0xFFFFFF, 0, 0, 240},
        {"grey 128", 0x808080, 0, 0, 120},
        {"grey 127", 0x7F7F7F, 0, 0, 120},
        {"grey 64", 0x404040, 0, 0, 60},
        {"cyan, hue 119.5 to even", 0xFFFF00, 120, 240, 120},
        {"saturation 232.5 to even", 0x3F0501, 157, 232, 30},
        {"flat border colour", 0x8396A0, 26, 32, 137},
        {"flat colour", 0xE1EAEB, 36, 48, 216},
    };
    for (const auto& c : cases) {
        int h = -1, s = -1, l = -1;
        RGBToHSLRange(c.rgb, h, s, l);
        EXPECT_EQ(h, c.hue) << c.name;
        EXPECT_EQ(s, c.saturation) << c.name;
        EXPECT_EQ(l, c.luminance) << c.name;
    }
}

TEST(HslModel, GreyHasNoHueOrSaturationAndComesBack) {
    double h = -1, s = -1, l = -1;
    RGBToHSL(0x808080, h, s, l);
    EXPECT_EQ(h, 0.0);
    EXPECT_EQ(s, 0.0);
    EXPECT_DOUBLE_EQ(l, 128.0 / 255.0);
    EXPECT_EQ(HSLToRGB(h, s, l), 0x808080);
}

struct RangeToRgbCase {
    const char* name;
    int hue, saturation, luminance;
    int32_t rgb;
};

TEST(HslModel, RangeToRgbTable) {
    const RangeToRgbCase cases[] = {
        {"red", 0, 240, 120, 0x0000FF},
        {"hue 80 is not quite pure green", 80, 240, 120, 0x02FF00},
        {"hue 160", 160, 240, 120, 0xFF0004},
        {"hue 120", 120, 240, 120, 0xFFFC00},
        {"grey 42.5 to even", 0, 0, 40, 0x2A2A2A},
        {"grey 8.5 to even", 0, 0, 8, 0x080808},
        {"grey 25.5 to even", 0, 0, 24, 0x1A1A1A},
        {"grey 127.5 to even", 0, 0, 120, 0x808080},
        // Out-of-range arguments clamp each component instead of spilling into the next byte.
        {"luminance above the scale", 0, 0, 300, 0xFFFFFF},
        {"saturated, luminance above the scale", 0, 240, 250, 0xFFFFFF},
        {"saturation above the scale", 0, 300, 120, 0x0000FF},
        {"negative luminance", 0, 0, -20, 0x000000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HSLRangeToRGB(c.hue, c.saturation, c.luminance), c.rgb) << c.name;
}

TEST(HslModel, PrimaryRoundTripThroughReals) {
    for (int32_t rgb : {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00, 0x8396A0, 0x123456}) {
        double h, s, l;
        RGBToHSL(rgb, h, s, l);
        EXPECT_EQ(HSLToRGB(h, s, l), rgb) << std::hex << rgb;
    }
}

struct ShiftCase {
    const char* name;
    int32_t base, current;
    int amount;
    bool darken;
    int32_t expected;
};

TEST(ShiftColorTest, Table) {
    const ShiftCase cases[] = {
        {"amount 0 keeps the current colour", 0x123456, 0xABCDEF, 0, false, 0xABCDEF},
        {"amount 0 keeps it when darkening too", 0x123456, 0xABCDEF, 0, true, 0xABCDEF},
        {"focused colour from the flat colour", 0xE1EAEB, 0, 10, false, 0x557B80},
        {"border colour from the flat colour", 0xE1EAEB, 0, 50, true, 0xADC6C9},
        {"darken by less than the added 10", 0xE1EAEB, 0, 10, true, 0xE0EAEB},
        {"darken floors at black", 0x202020, 0, 200, true, 0x000000},
        {"darken white by 5 stays white", 0xFFFFFF, 0, 5, true, 0xFFFFFF},
        {"lighten red caps at 100", 0x0000FF, 0, 20, false, 0x0000D4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShiftColor(c.base, c.current, static_cast<uint8_t>(c.amount), c.darken), c.expected) << c.name;
}

TEST(ShiftColorTest, LighteningPastTheCapGivesLuminance100) {
    for (int32_t base : {0xFFFFFF, 0xE1EAEB, 0x808080, 0x0000FF, 0x00C000}) {
        int h, s, l;
        RGBToHSLRange(base, h, s, l);
        ASSERT_GT(l + 10 + 30, 100);
        int32_t shifted = ShiftColor(base, 0, 30, false);
        int h2, s2, l2;
        RGBToHSLRange(shifted, h2, s2, l2);
        EXPECT_NEAR(l2, 100, 1) << std::hex << base;   // back through bytes: within one step
    }
}

TEST(ShiftColorTest, SystemColourBaseIsResolvedFirst) {
    const int32_t clBtnFace = static_cast<int32_t>(0x8000000F);
    const int32_t face = ResolveSystemColor(clBtnFace);
    EXPECT_GE(face, 0);
    EXPECT_LE(face, 0xFFFFFF);
    EXPECT_EQ(ShiftColor(clBtnFace, 0, 10, false), ShiftColor(face, 0, 10, false));
    EXPECT_EQ(ShiftColor(clBtnFace, 0, 50, true), ShiftColor(face, 0, 50, true));
    EXPECT_EQ(ResolveSystemColor(0x123456), 0x123456);
}

}  // namespace
