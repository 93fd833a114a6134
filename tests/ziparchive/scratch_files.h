// Scratch-folder paths in Windows form ("\" separators) and whole-file helpers that go
// through the class library, so that the native build maps those paths as the code does.
#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "classlib/classes.h"
#include "classlib/file_find.h"
#include "tests/support/tempdir.h"

inline std::string WinDir(const TempDir& d) { return ReplaceSingleByteChar(d.Path(), '/', '\\'); }

inline void WriteFileBytes(const std::string& name, const std::string& bytes) {
    TFileStream f(name, fmCreate);
    f.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

// The names in Dir that match Mask ("." and ".." left out), sorted.
inline std::vector<std::string> FilesIn(const std::string& dir, const std::string& mask) {
    std::vector<std::string> names;
    TSearchRec rec;
    if (FindFirst(dir + mask, faAnyFile, rec) == 0) {
        do
            if (rec.Name != "." && rec.Name != "..") names.push_back(rec.Name);
        while (FindNext(rec) == 0);
        FindClose(rec);
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string ReadFileBytes(const std::string& name) {
    TFileStream f(name, fmOpenRead | fmShareDenyNone);
    std::string s(static_cast<size_t>(f.GetSize()), '\0');
    f.ReadBuffer(&s[0], static_cast<int32_t>(s.size()));
    return s;
}

// Whether files with code page 936 names can be made in Dir. Wine needs a Unix locale with
// a UTF-8 character set for that (zh_CN.UTF-8); without one such names cannot exist.
inline bool CanUseGbkNames(const std::string& dir) {
    const std::string probe = dir + "\xD6\xD0\x81\x5C.probe";   // 中乗
    try {
        WriteFileBytes(probe, "p");
    } catch (const Exception&) {
        return false;
    }
    bool ok = ReadFileBytes(probe) == "p";
    RemoveFile(probe);
    return ok;
}

// Names for tests that run once with plain names and once with code page 936 names:
// Trail is one character whose trail byte is "\" (乗 = 81 5C), Wide two ordinary ones (中文).
struct TTestNames {
    const char* Label;
    std::string Trail;
    std::string Wide;
    bool Gbk;
};

inline std::vector<TTestNames> TestNameSets() {
    return {{"Plain", "ts", "zw", false}, {"Gbk", "\x81\x5C", "\xD6\xD0\xCE\xC4", true}};
}

inline std::string TestNamesLabel(const ::testing::TestParamInfo<TTestNames>& info) { return info.param.Label; }

// For fixtures over TestNameSets(): the GBK run is skipped where such names cannot exist.
#define SKIP_IF_GBK_UNAVAILABLE()                                                                  \
    do {                                                                                           \
        TempDir probeDir;                                                                          \
        if (GetParam().Gbk && !CanUseGbkNames(WinDir(probeDir)))                                   \
            GTEST_SKIP() << "files with code page 936 names cannot be created here (under Wine " \
                            "this needs a zh_CN.UTF-8 Unix locale)";                              \
    } while (0)
