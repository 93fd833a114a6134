// Builds an in-memory INI from text for the skin-data tests.
#pragma once
#include "classlib/inifiles.h"

inline TMemIniFile IniFromText(const AnsiString& text) {
    TStringList lines;
    lines.SetText(text);
    TMemIniFile ini;
    ini.SetStrings(lines);
    return ini;
}
