// Recursive folder walking (TDirSearch, one TSearchData per level) and the case-insensitive
// wildcard matcher IsMatch shared by the writer and the extraction engine.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "classlib/classes.h"
#include "classlib/file_find.h"

// One level of a walk: the find handle of one directory.
class TSearchData : public TObject {
public:
    // Dir gets "\" appended when missing; every entry of Dir is listed ("*.*"), the
    // pattern stays with the level for the walker.
    TSearchData(const AnsiString& dir, uint32_t attr, const AnsiString& pattern);
    ~TSearchData() override;
    TSearchData(const TSearchData&) = delete;
    TSearchData& operator=(const TSearchData&) = delete;
    const char* ClassName() const override { return "TSearchData"; }
    // Moves to the next entry when one is current; true when an entry is current afterwards.
    bool FindNextEntry();
    bool HasEntry() const { return FindResult == 0; }

    AnsiString Dir;       // always ends in "\"
    AnsiString Pattern;
    bool WildLevel = false;   // matches directory names against a wildcard component
    int FindResult = 0;   // 0 = an entry is current
    bool FirstFailed = false;
    TSearchRec SearchRec;
};

class TDirSearch : public TObject {
public:
    // Dir may hold wildcards in its directory components (such as "C:\a\b*\c?\"): those
    // components are matched level by level before Pattern applies to files.
    TDirSearch(const AnsiString& dir, uint32_t attr, bool recurse, const AnsiString& pattern);
    ~TDirSearch() override;
    TDirSearch(const TDirSearch&) = delete;
    TDirSearch& operator=(const TDirSearch&) = delete;
    const char* ClassName() const override { return "TDirSearch"; }

    // The next entry, depth first, each directory (Path ending in "\") before its contents
    // when recursing. False with an empty Path when the walk is over. Reparse points
    // (links, junctions) are delivered but never entered.
    bool NextFile(TSearchRec& searchRec, AnsiString& path);

    int GetLevel() const { return static_cast<int>(FLevels.size()) - 1; }
    bool GetRecurse() const { return FRecurse; }
    const AnsiString& GetPattern() const { return FPattern; }

private:
    void PushLevel(const AnsiString& dir, const AnsiString& pattern);
    void PopLevel();

    std::vector<std::unique_ptr<TSearchData>> FLevels;   // grows with the depth of the tree
    AnsiString FPattern;
    bool FRecurse;
    std::unique_ptr<TStringList> FWildDirs;   // directory name patterns, or none
    int FWildDirCount = 0;
    int FWildIndex = -1;
    uint32_t FAttr;
};

// 64-bit size of a found entry.
int64_t SearchRecSize(const TSearchRec& searchRec);

// Results of the matcher.
enum TMatchResult : int {
    mrMatch = 1,
    mrPatternEnded = 2,    // the pattern ended before the name
    mrNameEnded = 3,       // the name ended before the pattern, or no placement of a "*" fits
    mrClassMismatch = 4,
    mrCharMismatch = 5,
    mrBadClass = 6,        // no closing ">", an empty class, or only the negation mark
};

// Case-insensitive wildcard test; "?" is one character (a double-byte character counts as
// one), "*" any run, "<...>" a class of characters and ranges ("!" or "^" first negates),
// "*" directly followed by a class a run of class members.
TMatchResult MatchPattern(const AnsiString& pattern, const AnsiString& name);
bool IsMatch(const AnsiString& pattern, const AnsiString& name);
