#include "skindata/gw_utils.h"

#include <algorithm>
#include <cstring>
#include <numeric>

TRect NullRect() { return TRect(0, 0, 0, 0); }

bool RectIsEmpty(const TRect& r) {
    return static_cast<int64_t>(r.Right) - r.Left < 1 || static_cast<int64_t>(r.Bottom) - r.Top < 1;
}

bool PointIsUnset(const TPoint& p) { return p.X == 0 || p.Y == 0; }

namespace {

// Splits at commas keeping only digits; fills `count` fields and ignores the rest.
void ParseFields(const AnsiString& text, int32_t* fields, int count) {
    AnsiString acc[4];
    int field = 0;
    for (char c : text) {
        if (c == ',') {
            if (++field >= count) break;
        } else if (c >= '0' && c <= '9') {
            acc[field] += c;
        }
    }
    for (int i = 0; i < count; ++i) fields[i] = StrToInt(acc[i]);
}

}  // namespace

TPoint ParsePoint(const AnsiString& text) {
    int32_t f[2];
    ParseFields(text, f, 2);
    return TPoint(f[0], f[1]);
}

TRect ParseRect(const AnsiString& text) {
    int32_t f[4];
    ParseFields(text, f, 4);
    return TRect(f[0], f[1], f[2], f[3]);
}

TRect ReadIniRect(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key) {
    return ParseRect(ini.ReadString(section, key, "0,0,0,0"));
}

TPoint ReadIniPoint(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key) {
    return ParsePoint(ini.ReadString(section, key, "0,0"));
}

bool ReadIniBool(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key) {
    return ini.ReadInteger(section, key, 0) == 1;
}

namespace {

struct StyleName { TFontStyles Style; const char* Name; };
const StyleName kStyleNames[] = {
    {fsBold, "fsbold"}, {fsItalic, "fsitalic"}, {fsUnderline, "fsunderline"}, {fsStrikeOut, "fsstrikeout"}};

struct AlignmentName { TAlignment Alignment; const char* Name; };
const AlignmentName kAlignmentNames[] = {
    {taLeftJustify, "taleftjustify"}, {taRightJustify, "tarightjustify"}, {taCenter, "tacenter"}};

}  // namespace

TFontStyles ReadIniFontStyles(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key) {
    AnsiString text = ini.ReadString(section, key, AnsiString());
    TFontStyles styles = 0;
    for (const StyleName& s : kStyleNames)
        if (text.find(s.Name) != AnsiString::npos) styles |= s.Style;
    return styles;
}

TAlignment ReadIniAlignment(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key) {
    AnsiString text = ini.ReadString(section, key, "tacenter");
    if (text == "tacenter") return taCenter;
    if (text == "taleftjustify") return taLeftJustify;
    return taRightJustify;
}

std::vector<int32_t> IniListIndexes(const TCustomIniFile& ini, const AnsiString& section, int32_t count) {
    std::vector<int32_t> indexes;
    if (count <= 0) return indexes;
    if (count <= kMaxIniListCount) {
        indexes.resize(static_cast<size_t>(count));
        std::iota(indexes.begin(), indexes.end(), 0);
        return indexes;
    }
    TStringList keys;
    ini.ReadSection(section, &keys);
    for (int i = 0; i < keys.Count(); ++i) {
        const AnsiString key = keys.Get(i);
        // Only the spelling IntToStr gives: "7", not "07" or "+7".
        if (key.empty() || key.size() > 10 || (key.size() > 1 && key[0] == '0')) continue;
        if (!std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
        int32_t index;
        if (TryStrToInt(key, index) && index < count) indexes.push_back(index);
    }
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    return indexes;
}

void ReadIniStrings(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& name, TStrings* list) {
    for (int32_t i : IniListIndexes(ini, section, ini.ReadInteger(section, name + "count", 0)))
        list->Add(ini.ReadString(section, IntToStr(i), AnsiString()));
}

void WriteIniRect(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, const TRect& r) {
    ini.WriteString(section, key, Format("%d,%d,%d,%d", r.Left, r.Top, r.Right, r.Bottom));
}

void WriteIniPoint(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, const TPoint& p) {
    ini.WriteString(section, key, Format("%d,%d", p.X, p.Y));
}

void WriteIniBool(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, bool value) {
    ini.WriteInteger(section, key, value ? 1 : 0);
}

void WriteIniFontStyles(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, TFontStyles styles) {
    AnsiString text;
    for (const StyleName& s : kStyleNames)
        if (styles & s.Style) text += (text.empty() ? "" : ",") + AnsiString(s.Name);
    ini.WriteString(section, key, text);
}

void WriteIniAlignment(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, TAlignment a) {
    for (const AlignmentName& n : kAlignmentNames)
        if (n.Alignment == a) {
            ini.WriteString(section, key, n.Name);
            return;
        }
    ini.WriteString(section, key, "tacenter");
}
