// How long an in-memory INI takes to read a long list: a section of N keys "0" .. "N-1"
// (65,536 by default, written backwards so that no lookup finds its key first) parsed from
// text, then every item read by its index as the skin data reads its lists. Prints the
// parse time and the lookup time in milliseconds (wall clock, best of the runs).
//
// usage: ini_list_speed [KEYS] [--runs N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "classlib/inifiles.h"

int main(int argc, char** argv) {
    int keys = 65536, runs = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else
            keys = std::atoi(argv[i]);
    }
    TStringList lines;
    lines.Add("[list]");
    lines.Add("count=" + IntToStr(keys));
    for (int i = keys - 1; i >= 0; --i) lines.Add(IntToStr(i) + "=item" + IntToStr(i));
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    double parse = 1e300, lookup = 1e300;
    for (int r = 0; r < runs; ++r) {
        const auto start = Clock::now();
        TMemIniFile ini;
        ini.SetStrings(lines);
        const auto parsed = Clock::now();
        size_t found = 0;
        for (int i = 0; i < ini.ReadInteger("list", "count", 0); ++i)
            found += ini.ReadString("list", IntToStr(i), AnsiString()).size();
        const auto read = Clock::now();
        if (found == 0) return 1;
        parse = std::min(parse, ms(parsed - start));
        lookup = std::min(lookup, ms(read - parsed));
    }
    std::printf("%d keys: parse %.1f ms, read every key %.1f ms\n", keys, parse, lookup);
    return 0;
}
