// INI value formats, the fixed skin sections and the resource strings.
#include <gtest/gtest.h>

#include "skindata/gw_utils.h"
#include "skindata/resource_strings.h"
#include "skindata/skin_sections.h"
#include "tests/skindata/ini_support.h"

TEST(GwUtils, ParsePointAndRect) {
    struct Case { const char* text; TRect expected; } rects[] = {
        {"1,2,3,4", TRect(1, 2, 3, 4)},
        {" 10 , 20 ,30,40", TRect(10, 20, 30, 40)},
        {"-5,3,-7,a1b2", TRect(5, 3, 7, 12)},          // signs and letters dropped
        {"1,2,3,4,5,6", TRect(1, 2, 3, 4)},            // extra fields ignored
        {"1,2,3,4,", TRect(1, 2, 3, 4)},
        {"2147483647,0,0,0", TRect(2147483647, 0, 0, 0)},
    };
    for (const Case& c : rects) EXPECT_EQ(ParseRect(c.text), c.expected) << c.text;
    EXPECT_EQ(ParsePoint("10, 20"), TPoint(10, 20));
    EXPECT_EQ(ParsePoint("a1b2,7"), TPoint(12, 7));
    EXPECT_EQ(ParsePoint("1,2,3"), TPoint(1, 2));
    for (const char* bad : {"", "1", "1,2,3", "1,,3,4", "1,2,3,x", "2147483648,0,0,0", "99999999999999999999,1,1,1"})
        EXPECT_THROW(ParseRect(bad), EConvertError) << bad;
    for (const char* bad : {"", "5", ",5", "5,", "4294967296,1"}) EXPECT_THROW(ParsePoint(bad), EConvertError) << bad;
}

TEST(GwUtils, TypedReadersAndWriters) {
    TMemIniFile ini = IniFromText(
        "[s]\r\nb1=1\r\nb2=2\r\nbm=-1\r\nf1=fsBold\r\nf2=fsbold,fsunderline\r\nf3=fsunderline fsbold\r\n"
        "f4=fsstrikeoutfsitalic\r\na1=TACENTER\r\na2=taleftjustify\r\na3=tacenter\r\n"
        "lcount=3\r\n0=zero\r\n2=two\r\n");
    EXPECT_TRUE(ReadIniBool(ini, "s", "b1"));
    for (const char* k : {"b2", "bm", "missing"}) EXPECT_FALSE(ReadIniBool(ini, "s", k)) << k;
    EXPECT_EQ(ReadIniFontStyles(ini, "s", "f1"), 0);
    EXPECT_EQ(ReadIniFontStyles(ini, "s", "f2"), fsBold | fsUnderline);
    EXPECT_EQ(ReadIniFontStyles(ini, "s", "f3"), fsBold | fsUnderline);
    EXPECT_EQ(ReadIniFontStyles(ini, "s", "f4"), fsItalic | fsStrikeOut);
    EXPECT_EQ(ReadIniAlignment(ini, "s", "a1"), taRightJustify);
    EXPECT_EQ(ReadIniAlignment(ini, "s", "a2"), taLeftJustify);
    EXPECT_EQ(ReadIniAlignment(ini, "s", "a3"), taCenter);
    EXPECT_EQ(ReadIniAlignment(ini, "s", "missing"), taCenter);
    EXPECT_EQ(ReadIniPoint(ini, "s", "missing"), TPoint(0, 0));
    EXPECT_EQ(ReadIniRect(ini, "s", "missing"), NullRect());

    TStringList list;
    list.Add("kept");
    ReadIniStrings(ini, "s", "l", &list);   // not cleared first; missing "1" reads empty
    EXPECT_EQ(list.GetText(), "kept\r\nzero\r\n\r\ntwo\r\n");

    // Up to the longest list that can be meant every missing key reads empty; past it only the
    // keys present count, so a count of 2^31-1 ends at once.
    struct ListCase { const char* label; int32_t count; int expected; } lists[] = {
        {"short", 4, 4},
        {"longest meant", kMaxIniListCount, kMaxIniListCount},
        {"one past", kMaxIniListCount + 1, 3},
        {"2^31-1", 2147483647, 3},
        {"negative", -1, 0},
    };
    for (const ListCase& c : lists) {
        TMemIniFile ini2 = IniFromText("[s]\r\nlcount=" + IntToStr(c.count) + "\r\n0=a\r\n07=x\r\n9=b\r\n65536=c\r\n");
        TStringList got;
        ReadIniStrings(ini2, "s", "l", &got);
        ASSERT_EQ(got.Count(), c.expected) << c.label;
        if (c.expected == 0) continue;
        EXPECT_EQ(got.Get(0), "a") << c.label;
        if (c.expected == 3) {
            EXPECT_EQ(got.GetText(), "a\r\nb\r\nc\r\n") << c.label;   // "07" is not key 7
        }
        if (c.expected == 4) {
            EXPECT_EQ(got.GetText(), "a\r\n\r\n\r\n\r\n") << c.label;
        }
        if (c.expected == kMaxIniListCount) {
            EXPECT_EQ(got.Get(9), "b");
            EXPECT_EQ(got.Get(kMaxIniListCount - 1), "");
        }
    }

    TMemIniFile out;
    WriteIniRect(out, "w", "r", TRect(-1, 2, 3, 4));
    WriteIniPoint(out, "w", "p", TPoint(5, -6));
    WriteIniBool(out, "w", "b", true);
    WriteIniFontStyles(out, "w", "fs", fsStrikeOut | fsBold);
    WriteIniFontStyles(out, "w", "none", 0);
    WriteIniAlignment(out, "w", "a", taRightJustify);
    TStringList lines;
    out.GetStrings(lines);
    EXPECT_EQ(lines.GetText(), "[w]\r\nr=-1,2,3,4\r\np=5,-6\r\nb=1\r\nfs=fsbold,fsstrikeout\r\nnone=\r\na=tarightjustify\r\n");

    EXPECT_TRUE(RectIsEmpty(TRect(5, 5, 5, 9)));
    EXPECT_TRUE(RectIsEmpty(NullRect()));
    EXPECT_FALSE(RectIsEmpty(TRect(0, 0, 1, 1)));
    EXPECT_TRUE(RectIsEmpty(TRect(-2147483647 - 1, 0, 2147483647, 5)) == false);
    EXPECT_TRUE(PointIsUnset(TPoint(0, 7)));
    EXPECT_TRUE(PointIsUnset(TPoint(7, 0)));
    EXPECT_FALSE(PointIsUnset(TPoint(7, 7)));
}

TEST(SkinSections, FormInfoRules) {
    struct Case {
        const char* label;
        const char* ini;
        bool mask;
        TPoint lefttop, rightbottom, hittestlefttop;
        TRect maskarea;
    } cases[] = {
        {"no section", "", true, TPoint(0, 0), TPoint(0, 0), TPoint(0, 0), TRect()},
        {"mask area from client rect", "[FORMINFO]\r\nclientrect=5,12,30,18\r\nlefttoppoint=1,1\r\nrightbottompoint=1,1", true,
         TPoint(1, 1), TPoint(1, 1), TPoint(1, 1), TRect(5, 12, 30, 18)},
        {"mask area grows", "[FORMINFO]\r\nclientrect=5,12,30,18\r\nmaskrectarea=10,10,20,20", true, TPoint(0, 0),
         TPoint(0, 0), TPoint(0, 0), TRect(5, 10, 30, 20)},
        {"unset hit-test point replaced",
         "[FORMINFO]\r\nlefttoppoint=3,4\r\nrightbottompoint=3,9\r\nhittestlefttoppoint=0,7", true, TPoint(3, 4),
         TPoint(3, 9), TPoint(3, 4), TRect()},
        {"no mask, no replacement",
         "[FORMINFO]\r\nlefttoppoint=3,4\r\nrightbottompoint=3,9\r\nhittestlefttoppoint=0,7", false, TPoint(3, 4),
         TPoint(3, 9), TPoint(0, 7), TRect()},
        {"corners clamped",
         "[FORMINFO]\r\nlefttoppoint=2,3\r\nclientrect=5,6,100,80\r\nrightbottompoint=120,90", false, TPoint(5, 6),
         TPoint(100, 80), TPoint(0, 0), TRect()},
    };
    for (const Case& c : cases) {
        TgwFormInfo f;
        f.LoadFromIni(IniFromText(c.ini), c.mask);
        EXPECT_EQ(f.lefttoppoint, c.lefttop) << c.label;
        EXPECT_EQ(f.rightbottompoint, c.rightbottom) << c.label;
        EXPECT_EQ(f.hittestlefttoppoint, c.hittestlefttop) << c.label;
        EXPECT_EQ(f.maskrectarea, c.maskarea) << c.label;
        EXPECT_EQ(f.bgpictureindex, -1) << c.label;
        EXPECT_EQ(f.mdibgpictureindex, -1) << c.label;
    }
    struct Effect { const char* text; TgwInactiveEffect expected; } effects[] = {
        {nullptr, ieBrightness}, {"iedarkness", ieDarkness}, {"IEDARKNESS", ieGrayscale}, {"ieinvert", ieInvert}, {"", ieGrayscale}};
    for (const Effect& e : effects) {
        TgwFormInfo f;
        f.LoadFromIni(IniFromText(e.text ? AnsiString("[FORMINFO]\r\ninactiveeffect=") + e.text : AnsiString()), false);
        EXPECT_EQ(f.inactiveeffect, e.expected) << (e.text ? e.text : "missing");
    }
}

TEST(SkinSections, WindowsAndColours) {
    TgwDataSkinHintWindow hint;
    EXPECT_EQ(hint.fontheight, 12);
    hint.LoadFromIni(IniFromText(""));
    EXPECT_EQ(hint.fontheight, 14);
    EXPECT_EQ(hint.fontname, "Arial");
    EXPECT_EQ(hint.windowpictureindex, -1);

    TgwDataSkinPopupWindow popup;
    popup.LoadFromIni(IniFromText("[POPUPWINDOW]\r\nwindowpictureindex=2\r\nscrollmarkercolor=$FF0000\r\ntopstretch=1"));
    EXPECT_EQ(popup.windowpictureindex, 2);
    EXPECT_EQ(popup.maskpictureindex, -1);
    EXPECT_EQ(popup.scrollmarkercolor, 0xFF0000);
    EXPECT_TRUE(popup.topstretch);

    TgwSkinColors colors;
    EXPECT_EQ(colors.cbtnface, 0);
    colors.SetDefaultColors();
    EXPECT_EQ(static_cast<uint32_t>(colors.cbtnface), 0xFF00000Fu);
    EXPECT_EQ(static_cast<uint32_t>(colors.cbtnshadow), 0xFF000010u);
    colors.LoadFromIni(IniFromText("[SKINCOLORS]\r\ncbtntext=$123456"));
    EXPECT_EQ(colors.cbtnface, 0);   // missing: black, not the system colour
    EXPECT_EQ(colors.cbtntext, 0x123456);
}

TEST(ResourceStrings, DefaultsAndAssign) {
    TgwResourceStrData data(nullptr);
    TStrings* lines = data.GetResStrings();
    ASSERT_EQ(lines->Count(), 115);
    EXPECT_EQ(lines->Get(0), "MI_MINCAPTION=Mi&nimize");
    EXPECT_EQ(lines->Get(69), "FLV_LOOKIN=Look in: ");
    EXPECT_EQ(lines->Get(113), "FIND_REPLACE_All=Replace All");
    EXPECT_EQ(lines->Get(114), "FIND_REPLACE_CLOSE=Close");
    EXPECT_EQ(data.GetCharSet(), 1);
    TStringList two;
    two.Add("A=1");
    two.Add("B=2");
    data.SetResStrings(&two);
    EXPECT_EQ(data.GetResStrings(), lines);
    EXPECT_EQ(lines->GetText(), "A=1\r\nB=2\r\n");
}
