// Value formats of the skin-data family inside INI text, and small point and rectangle tests.
//
// Points and rectangles are comma-separated decimal numbers ("x,y", "left,top,right,bottom");
// flags are 1 (true) or anything else; font styles and alignments are written by name;
// a string list is a count under NAME + "count" and items under "0", "1", ... .
#pragma once
#include <cstdint>
#include <vector>

#include "classlib/classes.h"
#include "classlib/inifiles.h"
#include "classlib/types.h"

TRect NullRect();
// Width or height below 1.
bool RectIsEmpty(const TRect& r);
// Either coordinate 0.
bool PointIsUnset(const TPoint& p);

// Only the digits of each comma-separated field count (signs and other characters are
// dropped), so coordinates are never negative. Fields past the second (fourth) are ignored;
// a missing or digitless field, or one past the 32-bit range, raises EConvertError.
TPoint ParsePoint(const AnsiString& text);
TRect ParseRect(const AnsiString& text);

TRect ReadIniRect(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key);
TPoint ReadIniPoint(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key);
bool ReadIniBool(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key);
// Style names found anywhere in the text (case-sensitive): "fsbold", "fsitalic", ... .
TFontStyles ReadIniFontStyles(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key);
// "tacenter" (also when missing) and "taleftjustify"; any other text is right-justify.
TAlignment ReadIniAlignment(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key);
// A list longer than this cannot be meant: a skin lists tens of items.
constexpr int32_t kMaxIniListCount = 65536;
// The keys a list of `count` items visits, in ascending order: every index below the count,
// a missing key reading as empty. A count above kMaxIniListCount visits only the decimal keys
// the section holds below it, so damage costs no more than the section's own size.
std::vector<int32_t> IniListIndexes(const TCustomIniFile& ini, const AnsiString& section, int32_t count);
// Appends the items of list `name` (count under name + "count") to `list`, missing ones empty.
void ReadIniStrings(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& name, TStrings* list);

void WriteIniRect(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, const TRect& r);
void WriteIniPoint(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, const TPoint& p);
void WriteIniBool(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, bool value);
void WriteIniFontStyles(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, TFontStyles styles);
void WriteIniAlignment(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, TAlignment a);

// The window system's multi-monitor entry points, looked up once (null where missing, and
// always null outside Windows). Nothing here calls them.
struct TgwMonitorFunctions {
    void* User32 = nullptr;
    void* MonitorFromWindow = nullptr;
    void* GetMonitorInfoA = nullptr;
    bool IsNT = false;
};
const TgwMonitorFunctions& GetMonitorFunctions();
