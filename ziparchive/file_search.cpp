#include "ziparchive/file_search.h"

#include <cstring>

#include "ziparchive/file_utils.h"

// ---- TSearchData ------------------------------------------------------------------------

TSearchData::TSearchData(const AnsiString& dir, uint32_t attr, const AnsiString& pattern)
    : Dir(IncludeTrailingPathDelimiter(dir)), Pattern(pattern) {
    FindResult = FindFirst(Dir + "*.*", attr, SearchRec);
    FirstFailed = FindResult != 0;
}

TSearchData::~TSearchData() {
    if (!FirstFailed) FindClose(SearchRec);
}

bool TSearchData::FindNextEntry() {
    if (FindResult == 0) FindResult = FindNext(SearchRec);
    return FindResult == 0;
}

// ---- TDirSearch -------------------------------------------------------------------------

namespace {
bool IsDotEntry(const AnsiString& name) { return name == "." || name == ".."; }
bool IsDirectory(const TSearchRec& rec) { return (rec.Attr & faDirectory) != 0; }
bool IsReparsePoint(const TSearchRec& rec) { return (rec.Attr & faSymLink) != 0; }

// Byte index of the first wildcard character, stepping over double-byte characters.
size_t FirstWildcard(const AnsiString& s) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
            ++i;
            continue;
        }
        if (std::strchr("*<>?|", s[i]) && s[i]) return i;
    }
    return AnsiString::npos;
}

// Splits at every "\" that is a character of its own; empty pieces are dropped.
std::vector<AnsiString> SplitPath(const AnsiString& s) {
    std::vector<AnsiString> parts;
    AnsiString cur;
    for (size_t i = 0; i < s.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
            cur += s.substr(i, 2);
            ++i;
        } else if (s[i] == '\\') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += s[i];
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}
}  // namespace

TDirSearch::TDirSearch(const AnsiString& dir, uint32_t attr, bool recurse, const AnsiString& pattern)
    : FPattern(pattern), FRecurse(recurse), FAttr(attr) {
    AnsiString start = IncludeTrailingPathDelimiter(dir);
    size_t wild = FirstWildcard(start);
    if (wild != AnsiString::npos) {
        // The start directory ends at the last "\" before the first wildcard.
        AnsiString head = start.substr(0, wild);
        AnsiString base = ExtractFilePath(head);
        AnsiString rest = start.substr(base.size());
        FWildDirs = std::make_unique<TStringList>();
        for (const AnsiString& part : SplitPath(rest)) FWildDirs->Add(part);
        FWildDirCount = FWildDirs->Count();
        FWildIndex = 0;
        start = base;
    }
    PushLevel(start, FWildDirCount > 0 ? FWildDirs->Get(0) : FPattern);
}

TDirSearch::~TDirSearch() = default;

void TDirSearch::PushLevel(const AnsiString& dir, const AnsiString& pattern) {
    auto level = std::make_unique<TSearchData>(dir, FAttr, pattern);
    level->WildLevel = static_cast<int>(FLevels.size()) < FWildDirCount;
    FLevels.push_back(std::move(level));
}

void TDirSearch::PopLevel() {
    bool wild = FLevels.back()->WildLevel;
    FLevels.pop_back();
    if (wild && FWildIndex > 0) --FWildIndex;
}

bool TDirSearch::NextFile(TSearchRec& searchRec, AnsiString& path) {
    path.clear();
    while (!FLevels.empty()) {
        TSearchData* level = FLevels.back().get();
        if (!level->HasEntry()) {
            PopLevel();
            if (FLevels.empty()) break;
            FLevels.back()->FindNextEntry();
            continue;
        }
        const TSearchRec& rec = level->SearchRec;
        const AnsiString& name = rec.Name;

        if (level->WildLevel) {
            if (IsDirectory(rec) && !IsDotEntry(name) && !IsReparsePoint(rec) && IsMatch(level->Pattern, name)) {
                int next = GetLevel() + 1;
                ++FWildIndex;
                PushLevel(level->Dir + name + "\\", next < FWildDirCount ? FWildDirs->Get(next) : FPattern);
            } else {
                level->FindNextEntry();
            }
            continue;
        }

        if (IsDirectory(rec)) {
            if (!FRecurse || IsDotEntry(name)) {
                level->FindNextEntry();
                continue;
            }
            searchRec = rec;
            path = level->Dir + name + "\\";
            if (IsReparsePoint(rec))
                level->FindNextEntry();   // a link may lead back up the tree: never entered
            else
                PushLevel(path, FPattern);   // the parent moves on when this level is done
            return true;
        }

        bool noExtension = name.find('.') == AnsiString::npos;
        if (IsMatch(FPattern, noExtension ? name + "." : name)) {
            searchRec = rec;
            path = level->Dir + name;
            level->FindNextEntry();
            return true;
        }
        level->FindNextEntry();
    }
    return false;
}

int64_t SearchRecSize(const TSearchRec& searchRec) {
    return static_cast<int64_t>((static_cast<uint64_t>(searchRec.FindData.nFileSizeHigh) << 32) |
                                searchRec.FindData.nFileSizeLow);
}

// ---- IsMatch ----------------------------------------------------------------------------

namespace {
// Characters as codes: a single byte as itself, a double-byte character as lead * 256 + trail.
using TCodes = std::vector<uint32_t>;

TCodes Decode(const AnsiString& s) {
    TCodes out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (IsLeadByte(c) && i + 1 < s.size()) {
            out.push_back((static_cast<uint32_t>(c) << 8) | static_cast<unsigned char>(s[++i]));
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// Internal result: the name ran out, so no later placement of an enclosing "*" can help.
const int kAbort = 7;

struct TCharClass {
    bool Negated = false;
    std::vector<std::pair<uint32_t, uint32_t>> Ranges;
    bool Contains(uint32_t c) const {
        bool in = false;
        for (const auto& r : Ranges)
            if (c >= r.first && c <= r.second) in = true;
        return in != Negated;
    }
};

class TMatcher {
public:
    TMatcher(const TCodes& pattern, const TCodes& name) : P(pattern), N(name) {}

    int Match(size_t p, size_t n) const {
        while (p < P.size()) {
            if (n == N.size()) return (P[p] == '*' && p + 1 == P.size()) ? mrMatch : kAbort;
            switch (P[p]) {
            case '?':
                ++p;
                ++n;
                break;
            case '<': {
                TCharClass cls;
                size_t after = 0;
                if (!ParseClass(p, cls, after)) return mrBadClass;
                if (!cls.Contains(N[n])) return mrClassMismatch;
                p = after;
                ++n;
                break;
            }
            case '*':
                return MatchStar(p, n);
            default:
                if (P[p] != N[n]) return mrCharMismatch;
                ++p;
                ++n;
            }
        }
        return n == N.size() ? mrMatch : mrPatternEnded;
    }

private:
    // "<", an optional "!" or "^", then characters and ranges a-b up to ">".
    bool ParseClass(size_t p, TCharClass& cls, size_t& after) const {
        size_t j = p + 1;
        if (j < P.size() && (P[j] == '!' || P[j] == '^')) {
            cls.Negated = true;
            ++j;
        }
        while (j < P.size() && P[j] != '>') {
            if (j + 2 < P.size() && P[j + 1] == '-' && P[j + 2] != '>') {
                cls.Ranges.emplace_back(P[j], P[j + 2]);   // a reversed range holds nothing
                j += 3;
            } else {
                cls.Ranges.emplace_back(P[j], P[j]);
                ++j;
            }
        }
        if (j >= P.size() || cls.Ranges.empty()) return false;
        after = j + 1;
        return true;
    }

    int MatchStar(size_t p, size_t n) const {
        // A run of "*" and "?": each "?" takes one more character.
        while (p < P.size() && (P[p] == '*' || P[p] == '?')) {
            if (P[p] == '?') {
                if (n == N.size()) return kAbort;
                ++n;
            }
            ++p;
        }
        if (p == P.size()) return mrMatch;
        if (P[p] == '<') {
            // A run of class members, then the rest of the pattern.
            TCharClass cls;
            size_t rest = 0;
            if (!ParseClass(p, cls, rest)) return mrBadClass;
            for (size_t k = n;; ++k) {
                int r = Match(rest, k);
                if (r == mrMatch || r == kAbort || r == mrBadClass) return r;
                if (k == N.size() || !cls.Contains(N[k])) return mrNameEnded;
            }
        }
        for (size_t k = n; k <= N.size(); ++k) {
            int r = Match(p, k);
            if (r == mrMatch || r == kAbort || r == mrBadClass) return r;
        }
        return kAbort;   // no placement fits; a later start for an outer "*" fits no better
    }

    const TCodes& P;
    const TCodes& N;
};
}  // namespace

TMatchResult MatchPattern(const AnsiString& pattern, const AnsiString& name) {
    TCodes p = Decode(LowerCase(pattern)), n = Decode(LowerCase(name));
    if (p.size() == 1 && p[0] == '*') return mrMatch;
    int r = TMatcher(p, n).Match(0, 0);
    return static_cast<TMatchResult>(r == kAbort ? mrNameEnded : r);
}

bool IsMatch(const AnsiString& pattern, const AnsiString& name) { return MatchPattern(pattern, name) == mrMatch; }
