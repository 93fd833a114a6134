#include <gtest/gtest.h>

#include "classlib/inifiles.h"
#include "tests/support/tempdir.h"

namespace {

TMemIniFile IniFromText(const AnsiString& text) {
    TStringList lines;
    lines.SetText(text);
    TMemIniFile ini;
    ini.SetStrings(lines);
    return ini;
}

}  // namespace

TEST(MemIniFile, ReadingRules) {
    TMemIniFile ini = IniFromText(
        "orphan=before any section\r\n"
        "[Alpha]\r\n"
        "  key  =  spaced value  \r\n"
        "; comment=ignored\r\n"
        "no equals sign\r\n"
        "Key=second, shadowed\r\n"
        "empty=\r\n"
        "hex=$1F\r\n"
        "hex0x=0x10\r\n"
        "neg=-42\r\n"
        "bad=12a\r\n"
        "[ beta ]\r\n"
        "x=1\r\n"
        "[ALPHA]\r\n"
        "late=continues alpha\r\n");
    struct Case { const char* section; const char* key; const char* expected; } cases[] = {
        {"alpha", "KEY", "spaced value"},   // first match wins, names case-insensitive
        {"Alpha", "empty", ""},
        {"Alpha", "comment", "<missing>"},
        {"Alpha", "no equals sign", "<missing>"},
        {"Alpha", "orphan", "<missing>"},
        {"Beta", "x", "1"},
        {"alpha", "late", "continues alpha"},
        {"gamma", "x", "<missing>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, "<missing>"), c.expected) << c.section << "/" << c.key;

    struct IntCase { const char* key; int32_t expected; } ints[] = {
        {"hex", 31}, {"hex0x", 16}, {"neg", -42}, {"bad", 7}, {"empty", 7}, {"missing", 7},
    };
    for (const IntCase& c : ints) EXPECT_EQ(ini.ReadInteger("alpha", c.key, 7), c.expected) << c.key;

    TStringList keys;
    ini.ReadSection("ALPHA", &keys);
    EXPECT_EQ(keys.GetText(), "key\r\nKey\r\nempty\r\nhex\r\nhex0x\r\nneg\r\nbad\r\nlate\r\n");
    EXPECT_EQ(ini.KeyCount("alpha"), 8);
    EXPECT_TRUE(ini.ValueExists("beta", "X"));
    EXPECT_FALSE(ini.ValueExists("beta", "y"));
}

TEST(MemIniFile, WritingEraseAndFileRoundTrip) {
    TempDir dir;
    const AnsiString name = dir / "skin.ini";
    {
        TMemIniFile ini(name);   // a missing file gives an empty INI
        EXPECT_FALSE(ini.SectionExists("s"));
        ini.WriteString("s", "a", "1");
        ini.WriteInteger("S", "b", -5);
        ini.WriteString("s", "A", "2");   // replaces the first match
        ini.WriteBool("t", "flag", true);
        ini.WriteString("gone", "k", "v");
        ini.EraseSection("GONE");
        ini.DeleteKey("s", "b");
        ini.UpdateFile();
    }
    EXPECT_EQ(ReadWholeFile(name), "[s]\r\na=2\r\n\r\n[t]\r\nflag=1\r\n");
    TMemIniFile again(name);
    EXPECT_EQ(again.ReadString("s", "a", ""), "2");
    EXPECT_TRUE(again.ReadBool("t", "flag", false));
    EXPECT_FALSE(again.SectionExists("gone"));
}

TEST(MemIniFile, LookupsFollowEditsAndTheTextOrderStays) {
    TMemIniFile ini = IniFromText(
        "[b]\r\nk=first\r\nK=second\r\nother=o\r\n"
        "[a]\r\nx=1\r\n"
        "[B]\r\nk=third\r\n");
    struct Step {
        const char* Label;
        void (*Edit)(TMemIniFile&);
        const char* ReadsK;   // what [b] k reads after the step
        const char* Text;     // the whole INI written out after the step
    } steps[] = {
        {"as read", [](TMemIniFile&) {}, "first", "[b]\r\nk=first\r\nK=second\r\nother=o\r\nk=third\r\n\r\n[a]\r\nx=1\r\n"},
        {"write the first of equal keys", [](TMemIniFile& i) { i.WriteString("B", "K", "new"); }, "new",
         "[b]\r\nk=new\r\nK=second\r\nother=o\r\nk=third\r\n\r\n[a]\r\nx=1\r\n"},
        {"delete it: the next one reads", [](TMemIniFile& i) { i.DeleteKey("b", "k"); }, "second",
         "[b]\r\nK=second\r\nother=o\r\nk=third\r\n\r\n[a]\r\nx=1\r\n"},
        {"delete a key before others", [](TMemIniFile& i) { i.DeleteKey("b", "K"); }, "third",
         "[b]\r\nother=o\r\nk=third\r\n\r\n[a]\r\nx=1\r\n"},
        {"erase a section before another", [](TMemIniFile& i) { i.EraseSection("B"); }, "<missing>",
         "[a]\r\nx=1\r\n"},
        {"a new section goes last", [](TMemIniFile& i) { i.WriteString("b", "k", "again"); }, "again",
         "[a]\r\nx=1\r\n\r\n[b]\r\nk=again\r\n"},
    };
    for (const Step& s : steps) {
        s.Edit(ini);
        EXPECT_EQ(ini.ReadString("b", "k", "<missing>"), s.ReadsK) << s.Label;
        EXPECT_EQ(ini.ReadString("A", "X", "<missing>"), "1") << s.Label;
        TStringList lines;
        ini.GetStrings(lines);
        EXPECT_EQ(lines.GetText(), s.Text) << s.Label;
    }
}

TEST(MemIniFile, LongListsReadEveryKeyInOrder) {
    const int count = 65536;
    AnsiString text = "[list]\r\ncount=65536\r\n";
    for (int i = count - 1; i >= 0; --i) text += IntToStr(i) + "=v" + IntToStr(i) + "\r\n";   // stored backwards
    TMemIniFile ini = IniFromText(text);
    EXPECT_EQ(ini.KeyCount("list"), count + 1);
    for (int i = 0; i < count; ++i)
        if (ini.ReadString("LIST", IntToStr(i), "") != "v" + IntToStr(i)) FAIL() << "key " << i;
    TStringList keys;
    ini.ReadSection("list", &keys);
    EXPECT_EQ(keys.Get(1), "65535");
    EXPECT_EQ(keys.Get(count), "0");
}
