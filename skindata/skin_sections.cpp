#include "skindata/skin_sections.h"

#include <algorithm>

#include "skindata/gw_utils.h"

TgwInactiveEffect ReadInactiveEffect(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key) {
    static const char* const kNames[] = {"iebrightness", "iedarkness", "iegrayscale", "ienoise", "iesplitblur", "ieinvert"};
    AnsiString text = ini.ReadString(section, key, "iebrightness");
    for (int i = 0; i < 6; ++i)
        if (text == kNames[i]) return static_cast<TgwInactiveEffect>(i);
    return ieGrayscale;
}

void TgwFrameCorners::LoadCorners(const TCustomIniFile& ini, const AnsiString& s) {
    lefttoppoint = ReadIniPoint(ini, s, "lefttoppoint");
    righttoppoint = ReadIniPoint(ini, s, "righttoppoint");
    leftbottompoint = ReadIniPoint(ini, s, "leftbottompoint");
    rightbottompoint = ReadIniPoint(ini, s, "rightbottompoint");
    leftstretch = ReadIniBool(ini, s, "leftstretch");
    rightstretch = ReadIniBool(ini, s, "rightstretch");
    topstretch = ReadIniBool(ini, s, "topstretch");
    bottomstretch = ReadIniBool(ini, s, "bottomstretch");
}

void TgwFormInfo::LoadFromIni(const TCustomIniFile& ini, bool hasMask) {
    const AnsiString s = "FORMINFO";
    LoadCorners(ini, s);
    clientrect = ReadIniRect(ini, s, "clientrect");
    bgpictureindex = ini.ReadInteger(s, "bgpictureindex", -1);
    mdibgpictureindex = ini.ReadInteger(s, "mdibgpictureindex", -1);
    maskrectarea = ReadIniRect(ini, s, "maskrectarea");
    hittestlefttoppoint = ReadIniPoint(ini, s, "hittestlefttoppoint");
    hittestrighttoppoint = ReadIniPoint(ini, s, "hittestrighttoppoint");
    hittestleftbottompoint = ReadIniPoint(ini, s, "hittestleftbottompoint");
    hittestrightbottompoint = ReadIniPoint(ini, s, "hittestrightbottompoint");

    if (hasMask) {
        if (RectIsEmpty(maskrectarea)) {
            maskrectarea = clientrect;
        } else {
            maskrectarea.Left = std::min(maskrectarea.Left, clientrect.Left);
            maskrectarea.Top = std::min(maskrectarea.Top, clientrect.Top);
            maskrectarea.Right = std::max(maskrectarea.Right, clientrect.Right);
            maskrectarea.Bottom = std::max(maskrectarea.Bottom, clientrect.Bottom);
        }
        if (PointIsUnset(hittestlefttoppoint)) hittestlefttoppoint = lefttoppoint;
        if (PointIsUnset(hittestrighttoppoint)) hittestrighttoppoint = righttoppoint;
        if (PointIsUnset(hittestleftbottompoint)) hittestleftbottompoint = leftbottompoint;
        if (PointIsUnset(hittestrightbottompoint)) hittestrightbottompoint = rightbottompoint;
    }

    buttonsrect = ReadIniRect(ini, s, "buttonsrect");
    captionrect = ReadIniRect(ini, s, "captionrect");
    buttonsoffset = ini.ReadInteger(s, "buttonsoffset", 0);
    buttonsinleft = ReadIniBool(ini, s, "buttonsinleft");
    mainmenupopupup = ReadIniBool(ini, s, "mainmenupopupup");
    borderwidth = ini.ReadInteger(s, "borderwidth", 0);
    formminwidth = ini.ReadInteger(s, "formminwidth", 0);
    autorenderinginactiveimage = ReadIniBool(ini, s, "autorenderinginactiveimage");
    inactiveeffect = ReadInactiveEffect(ini, s, "inactiveeffect");

    // Corners that coincide describe no frame: leave them alone.
    if (rightbottompoint.X == lefttoppoint.X || rightbottompoint.Y == lefttoppoint.Y) return;
    const TRect& c = clientrect;
    lefttoppoint.X = std::max(lefttoppoint.X, c.Left);
    lefttoppoint.Y = std::max(lefttoppoint.Y, c.Top);
    righttoppoint.X = std::min(righttoppoint.X, c.Right);
    righttoppoint.Y = std::max(righttoppoint.Y, c.Top);
    leftbottompoint.X = std::max(leftbottompoint.X, c.Left);
    leftbottompoint.Y = std::min(leftbottompoint.Y, c.Bottom);
    rightbottompoint.X = std::min(rightbottompoint.X, c.Right);
    rightbottompoint.Y = std::min(rightbottompoint.Y, c.Bottom);
}

void TgwSkinWindowFrame::LoadFrame(const TCustomIniFile& ini, const AnsiString& s) {
    windowpictureindex = ini.ReadInteger(s, "windowpictureindex", -1);
    maskpictureindex = ini.ReadInteger(s, "maskpictureindex", -1);
    LoadCorners(ini, s);
}

void TgwDataSkinPopupWindow::LoadFromIni(const TCustomIniFile& ini) {
    const AnsiString s = "POPUPWINDOW";
    LoadFrame(ini, s);
    itemsrect = ReadIniRect(ini, s, "itemsrect");
    scrollmarkercolor = ini.ReadInteger(s, "scrollmarkercolor", 0);
    scrollmarkeractivecolor = ini.ReadInteger(s, "scrollmarkeractivecolor", 0);
}

void TgwDataSkinHintWindow::LoadFromIni(const TCustomIniFile& ini) {
    const AnsiString s = "HINTWINDOW";
    LoadFrame(ini, s);
    clientrect = ReadIniRect(ini, s, "clientrect");
    fontname = ini.ReadString(s, "fontname", "Arial");
    fontheight = ini.ReadInteger(s, "fontheight", 14);
    fontstyle = ReadIniFontStyles(ini, s, "fontstyle");
    fontcolor = ini.ReadInteger(s, "fontcolor", 0);
}

void TgwSkinColors::SetDefaultColors() {
    cbtnface = gwclBtnFace;
    cbtntext = gwclBtnText;
    cwindow = gwclWindow;
    cwindowtext = gwclWindowText;
    chighlight = gwclHighlight;
    chighlighttext = gwclHighlightText;
    cbtnhighlight = gwclBtnHighlight;
    cbtnshadow = gwclBtnShadow;
}

void TgwSkinColors::LoadFromIni(const TCustomIniFile& ini) {
    const AnsiString s = "SKINCOLORS";
    cbtnface = ini.ReadInteger(s, "cbtnface", 0);
    cbtntext = ini.ReadInteger(s, "cbtntext", 0);
    cwindow = ini.ReadInteger(s, "cwindow", 0);
    cwindowtext = ini.ReadInteger(s, "cwindowtext", 0);
    chighlight = ini.ReadInteger(s, "chighlight", 0);
    chighlighttext = ini.ReadInteger(s, "chighlighttext", 0);
    cbtnhighlight = ini.ReadInteger(s, "cbtnhighlight", 0);
    cbtnshadow = ini.ReadInteger(s, "cbtnshadow", 0);
}
