// Descriptor kinds: every key round-trips through SaveToIni/LoadFromIni, keys are written in
// reading order but for the three swaps, and the special rules of some kinds hold.
#include <gtest/gtest.h>

#include <variant>

#include "skindata/skin_descriptors.h"
#include "tests/skindata/ini_support.h"

namespace {

template <class... F> struct Overloaded : F... { using F::operator()...; };
template <class... F> Overloaded(F...) -> Overloaded<F...>;

// Gives every field a value of its type that differs from the default and from the other
// fields (seed n).
void FillDistinct(TgwSkinDescriptor& d) {
    int n = 1;
    for (TgwKeyRef& k : d.KeyTable()) {
        ++n;
        std::visit(Overloaded{
                       [&](int32_t* v) { *v = 1000 + n; },
                       [&](AnsiString* v) { *v = "text" + std::to_string(n); },
                       [&](bool* v) { *v = true; },
                       [&](TPoint* v) { *v = TPoint(n, n + 1); },
                       [&](TRect* v) { *v = TRect(n, n + 1, n + 2, n + 3); },
                       [&](TFontStyles* v) { *v = static_cast<TFontStyles>(1 + n % 15); },
                       [&](TAlignment* v) { *v = n % 2 ? taLeftJustify : taRightJustify; },
                       [&](TgwMorphKind* v) { *v = static_cast<TgwMorphKind>(1 + n % 6); },
                       [&](TgwStdCommand* v) { *v = static_cast<TgwStdCommand>(n % 4 == 0 ? cmMinimizeToTray : n % 4); },
                   },
                   k.Target);
    }
}

AnsiString SectionText(const TMemIniFile& ini) {
    TStringList lines;
    ini.GetStrings(lines);
    return lines.GetText();
}

std::vector<AnsiString> KeyNames(TgwSkinDescriptor& d) {
    std::vector<AnsiString> names;
    for (const TgwKeyRef& k : d.KeyTable()) names.push_back(k.Name);
    return names;
}

std::unique_ptr<TgwSkinDescriptor> Create(bool control, const AnsiString& kind) {
    if (control) return CreateSkinControl(kind, "sec");
    return CreateSkinObject(kind, "sec");
}

}  // namespace

TEST(SkinDescriptors, EveryKindRoundTripsItsKeys) {
    // Keys per kind (bases included): a lost or doubled table line shows here.
    struct Count { bool control; const char* kind; size_t keys; } counts[] = {
        {true, "panel", 26},      {true, "expanel", 37},   {true, "menubutton", 26}, {true, "button", 25},
        {true, "checkradio", 27}, {true, "gauge", 21},     {true, "splitter", 12},   {true, "trackbar", 15},
        {true, "label", 13},      {true, "stdlabel", 8},   {true, "updown", 15},     {true, "grid", 27},
        {true, "tab", 28},        {true, "mainmenubar", 11}, {true, "controlbar", 11}, {true, "memo", 22},
        {true, "edit", 20},       {true, "checklistbox", 42}, {true, "listbox", 39}, {true, "combobox", 30},
        {true, "scrollbar", 26},  {true, "spinedit", 22},  {true, "scrollbox", 10},  {true, "treeview", 8},
        {true, "bevel", 5},       {true, "slider", 10},    {true, "listview", 8},    {true, "richedit", 8},
        {false, "menuitem", 27},  {false, "mainmenubaritem", 24}, {false, "stdbutton", 15},
        {false, "mainmenubarbutton", 15}, {false, "button", 10}, {false, "caption", 32}, {false, "animate", 14},
        {false, "userobject", 1},
    };
    ASSERT_EQ(SkinControlKinds().size(), 28u);
    ASSERT_EQ(SkinObjectKinds().size(), 8u);
    for (const Count& c : counts) {
        SCOPED_TRACE(c.kind);
        std::unique_ptr<TgwSkinDescriptor> saved = Create(c.control, c.kind);
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->KeyTable().size(), c.keys);
        FillDistinct(*saved);
        if (auto* animate = dynamic_cast<TgwDataSkinAnimate*>(saved.get())) animate->morphing = false;   // never kept
        TMemIniFile ini;
        ini.WriteString("sec", "stale", "erased by SaveToIni");
        saved->SaveToIni(ini);
        EXPECT_FALSE(ini.ValueExists("sec", "stale"));

        std::unique_ptr<TgwSkinDescriptor> loaded = Create(c.control, c.kind);
        loaded->LoadFromIni(ini);
        TMemIniFile again;
        loaded->SaveToIni(again);
        EXPECT_EQ(SectionText(again), SectionText(ini));

        // Written in reading order, except the three swaps.
        std::vector<AnsiString> order = KeyNames(*saved);
        auto move = [&](const char* name, const char* anchor, bool after) {
            order.erase(std::find(order.begin(), order.end(), name));
            auto at = std::find(order.begin(), order.end(), anchor);
            order.insert(after ? at + 1 : at, name);
        };
        if (AnsiString(c.kind) == "combobox") move("listboxname", "unenabledbuttonrect", true);
        if (AnsiString(c.kind) == "checkradio") move("framefontcolor", "activefontcolor", false);
        if (AnsiString(c.kind) == "checklistbox") move("uncheckimagerect", "checkimagerect", false);
        TStringList written;
        ini.ReadSection("sec", &written);
        ASSERT_EQ(static_cast<size_t>(written.Count()), order.size());
        for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(written.Get(static_cast<int>(i)), order[i]) << i;
    }
}

TEST(SkinDescriptors, SpecialRulesAndDefaults) {
    TMemIniFile ini = IniFromText(
        "[s]\r\nlefttoppoint=3,4\r\nclientrect=1,2,3,4\r\nupbuttonrect=5,6,7,8\r\nmorphing=1\r\nmorphkind=mkpush\r\n"
        "command=cmminimizetotray\r\nhint=ignored by userobject\r\nskinrect=9,9,19,19\r\nstretcheffect=2\r\n"
        "[u]\r\nmorphkind=MKPUSH\r\ncommand=cmbogus\r\n");
    TgwDataSkinUpDownControl updown("s");
    updown.LoadFromIni(ini);
    EXPECT_EQ(updown.lefttoppoint, TPoint());
    EXPECT_EQ(updown.clientrect, TRect());
    EXPECT_EQ(updown.upbuttonrect, TRect(5, 6, 7, 8));
    EXPECT_FALSE(updown.stretcheffect);   // 2 is not 1
    updown.lefttoppoint = TPoint(1, 1);
    TMemIniFile out;
    updown.SaveToIni(out);
    EXPECT_EQ(out.ReadString("s", "lefttoppoint", ""), "0,0");

    TgwDataSkinAnimate animate("s");
    animate.LoadFromIni(ini);
    EXPECT_FALSE(animate.morphing);
    EXPECT_EQ(animate.morphkind, mkPush);
    EXPECT_EQ(animate.command, cmMinimizeToTray);
    EXPECT_EQ(animate.countframes, 1);
    EXPECT_EQ(animate.timerinterval, 50);

    TgwDataUserObject user("s");
    user.LoadFromIni(ini);
    EXPECT_EQ(user.skinrect, TRect(9, 9, 19, 19));
    EXPECT_EQ(user.hint, "");
    EXPECT_FALSE(user.morphing);
    EXPECT_EQ(user.activepictureindex, -1);
    TMemIniFile userOut;
    user.SaveToIni(userOut);
    EXPECT_EQ(SectionText(userOut), "[s]\r\nskinrect=9,9,19,19\r\n");

    TgwDataSkinStdButton button("u");
    button.LoadFromIni(ini);
    EXPECT_EQ(button.morphkind, mkDefault);           // exact compare
    EXPECT_EQ(button.command, cmMinimizeToTray);      // unknown command
    TgwDataSkinStdButton missing("none");
    missing.LoadFromIni(ini);
    EXPECT_EQ(missing.command, cmDefault);
    missing.command = cmMinimizeToTray;
    missing.SaveToIni(out);
    EXPECT_EQ(out.ReadString("none", "command", ""), "cmminimizetotray");

    // A stdlabel whose section is missing.
    TgwDataSkinStdLabelControl label("nowhere");
    label.LoadFromIni(ini);
    EXPECT_EQ(label.fontname, "Arial");
    EXPECT_EQ(label.fontheight, 14);
    EXPECT_EQ(label.fontstyle, 0);
    EXPECT_EQ(label.fontcolor, 0);
    EXPECT_EQ(label.activefontcolor, 0xFF0000);
    EXPECT_EQ(label.pictureindex, -1);
    EXPECT_EQ(label.skinrect, TRect());

    for (const char* kind : {"Panel", "PANEL", "", "nosuchkind"}) EXPECT_FALSE(CreateSkinControl(kind, "x")) << kind;
    EXPECT_EQ(SkinControlKind(*CreateSkinControl("button", "x")), "button");
    EXPECT_EQ(SkinObjectKind(*CreateSkinObject("button", "x")), "button");
    EXPECT_TRUE(dynamic_cast<TgwDataSkinButton*>(CreateSkinObject("button", "x").get()));
    EXPECT_TRUE(dynamic_cast<TgwDataSkinButtonControl*>(CreateSkinControl("button", "x").get()));
}
