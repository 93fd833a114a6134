// The fixed sections of a skin-data skin that describe the skinned window as a whole:
// [FORMINFO] (with the rules applied while reading it), [POPUPWINDOW], [HINTWINDOW] and
// [SKINCOLORS]. [VERSION] and [PICTURES] are plain strings read by the skin data itself.
#pragma once
#include <cstdint>

#include "classlib/inifiles.h"
#include "classlib/types.h"

// Colours as the skin stores them: $00BBGGRR, or $FF0000nn for system colour nn.
using TgwColor = int32_t;
constexpr TgwColor GwSystemColor(int index) { return static_cast<TgwColor>(0xFF000000u | static_cast<uint32_t>(index)); }
constexpr TgwColor gwclBtnFace = GwSystemColor(15), gwclBtnText = GwSystemColor(18), gwclWindow = GwSystemColor(5),
                   gwclWindowText = GwSystemColor(8), gwclHighlight = GwSystemColor(13),
                   gwclHighlightText = GwSystemColor(14), gwclBtnHighlight = GwSystemColor(20),
                   gwclBtnShadow = GwSystemColor(16);

// Effects for drawing an inactive window ("inactiveeffect").
enum TgwInactiveEffect : uint8_t { ieBrightness, ieDarkness, ieGrayscale, ieNoise, ieSplitBlur, ieInvert };
// Exact names; a missing key is ieBrightness, an unknown name ieGrayscale.
TgwInactiveEffect ReadInactiveEffect(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key);

// What every window frame of a skin names: the corner points that cut it from its picture
// and which edges stretch.
struct TgwFrameCorners {
    TPoint lefttoppoint, righttoppoint, leftbottompoint, rightbottompoint;
    bool leftstretch = false, rightstretch = false, topstretch = false, bottomstretch = false;

    void LoadCorners(const TCustomIniFile& ini, const AnsiString& section);
};

// [FORMINFO]: where the frame parts sit in the skin picture.
struct TgwFormInfo : TgwFrameCorners {
    TRect clientrect;
    int32_t bgpictureindex = -1;
    int32_t mdibgpictureindex = -1;
    TRect maskrectarea;
    TPoint hittestlefttoppoint, hittestrighttoppoint, hittestleftbottompoint, hittestrightbottompoint;
    TRect buttonsrect, captionrect;
    int32_t buttonsoffset = 0;
    bool buttonsinleft = false;
    bool mainmenupopupup = false;
    int32_t borderwidth = 0;
    int32_t formminwidth = 0;
    bool autorenderinginactiveimage = false;
    TgwInactiveEffect inactiveeffect = ieBrightness;

    // Reads the section; with a mask named, the mask area and unset hit-test points follow
    // the client rectangle and the corner points; the corners are then clamped to the client
    // rectangle unless they coincide.
    void LoadFromIni(const TCustomIniFile& ini, bool hasMask);
};

// What the popup and the hint window share: the pictures their frame is cut from, the frame's
// corner points and which edges stretch.
class TgwSkinWindowFrame : public TgwFrameCorners {
public:
    int32_t windowpictureindex = -1;
    int32_t maskpictureindex = -1;

protected:
    void LoadFrame(const TCustomIniFile& ini, const AnsiString& section);
};

// [POPUPWINDOW]
class TgwDataSkinPopupWindow : public TgwSkinWindowFrame {
public:
    TRect itemsrect;
    TgwColor scrollmarkercolor = 0;
    TgwColor scrollmarkeractivecolor = 0;

    void LoadFromIni(const TCustomIniFile& ini);
};

// [HINTWINDOW]
class TgwDataSkinHintWindow : public TgwSkinWindowFrame {
public:
    TRect clientrect;
    AnsiString fontname = "Arial";
    int32_t fontheight = 12;   // 14 once loaded without the key
    TFontStyles fontstyle = 0;
    TgwColor fontcolor = 0;

    void LoadFromIni(const TCustomIniFile& ini);
};

class TgwSkinColors {
public:
    TgwColor cbtnface = 0, cbtntext = 0, cwindow = 0, cwindowtext = 0, chighlight = 0, chighlighttext = 0,
             cbtnhighlight = 0, cbtnshadow = 0;

    // The system colours.
    void SetDefaultColors();
    // Overwrites all eight; a missing key reads as 0 (black), not as the system colour.
    void LoadFromIni(const TCustomIniFile& ini);
};
