#include "player/work_paths.h"

#include <cstdint>

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "X:\" or "\\server\share\" (a separator may be either slash).
bool IsAbsoluteFolder(const AnsiString& path) {
    if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) return true;
    if (path.size() < 5 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return false;
    // Server and share: two non-empty names.
    size_t i = 2;
    int names = 0;
    while (i < path.size() && names < 2) {
        size_t start = i;
        while (i < path.size() && !IsSeparator(path[i])) i += IsLeadByte(static_cast<unsigned char>(path[i])) ? 2 : 1;
        if (i == start) return false;
        ++names;
        if (i < path.size()) ++i;
    }
    return names == 2;
}

// One plain file-system name: no separator, drive colon or control character, and not a name
// that the system reads as "this folder" or "the one above" (dots and spaces alone).
bool IsPlainName(const AnsiString& name) {
    if (name.empty()) return false;
    bool onlyDotsAndSpaces = true;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (IsLeadByte(c)) {
            if (i + 1 >= name.size()) return false;   // a lead byte without its trail byte
            ++i;
            onlyDotsAndSpaces = false;
            continue;
        }
        if (c < 0x20 || c == '\\' || c == '/' || c == ':') return false;
        if (c != '.' && c != ' ') onlyDotsAndSpaces = false;
    }
    return !onlyDotsAndSpaces;
}

// Calls check on each component of path from byte from on, split at separators (lead-byte
// aware; a lead byte at the very end stays in the last component); false as soon as one fails.
template <class Check>
bool EachComponent(const AnsiString& path, size_t from, Check check) {
    size_t start = from, i = from;
    while (i < path.size()) {
        if (IsLeadByte(static_cast<unsigned char>(path[i]))) {
            i += 2;
        } else if (IsSeparator(path[i])) {
            if (!check(path.substr(start, i - start))) return false;
            start = ++i;
        } else {
            ++i;
        }
    }
    return check(path.substr(start));
}

// Every component after the root is a plain name ("." and ".." would let the folder stand for
// another one); empty ones, as after the last separator, are let be.
bool HasOnlyPlainComponents(const AnsiString& folder, size_t rootLength) {
    return EachComponent(folder, rootLength, [](const AnsiString& name) { return name.empty() || IsPlainName(name); });
}

// Length of the root of an absolute folder (ending in a separator): "X:\" or "\\server\share\".
size_t RootLength(const AnsiString& folder) {
    if (!IsSeparator(folder[0])) return 3;
    int separators = 0;
    size_t i = 0;
    for (; i < folder.size() && separators < 4; ++i) {
        if (IsLeadByte(static_cast<unsigned char>(folder[i]))) {
            ++i;
            continue;
        }
        if (IsSeparator(folder[i])) ++separators;
    }
    return i;
}

}  // namespace

bool IsRemovablePath(const AnsiString& path) {
    AnsiString p = path;
    if (EndsWithChar(p, '\\') || EndsWithChar(p, '/')) p = DropLastChar(p);
    const AnsiString folder = p + "\\";
    if (p.empty() || !IsAbsoluteFolder(folder)) return false;
    const size_t root = RootLength(folder);
    if (p.size() <= root) return false;   // the root itself
    // Plain names only (no empty ones), and no wildcard that would match more than one thing.
    return EachComponent(p, root, [](const AnsiString& name) {
        return IsPlainName(name) && name.find_first_of("*?") == AnsiString::npos;
    });
}

AnsiString NormaliseTempFolder(const AnsiString& reported) {
    if (reported.size() == 2 && reported[1] == ':') return AnsiString();   // the drive's current folder
    AnsiString folder = reported;
    if (!EndsWithChar(folder, '\\') && !EndsWithChar(folder, '/')) folder += '\\';
    if (!IsAbsoluteFolder(folder)) return AnsiString();
    return HasOnlyPlainComponents(folder, RootLength(folder)) ? folder : AnsiString();
}

AnsiString WorkFolderCandidate(const AnsiString& tempFolder, const AnsiString& fileName, int attempt) {
    AnsiString folder = tempFolder + fileName;
    if (attempt > 0) folder += "-" + IntToStr(attempt + 1);
    return folder;
}

bool IsWorkFolderUnder(const AnsiString& folder, const AnsiString& tempFolder) {
    if (tempFolder.empty() || NormaliseTempFolder(tempFolder) != tempFolder) return false;
    if (folder.size() <= tempFolder.size()) return false;
    if (!SameText(folder.substr(0, tempFolder.size()), tempFolder)) return false;
    return IsPlainName(folder.substr(tempFolder.size()));
}

AnsiString HomePageAddress(const AnsiString& workFolder, const AnsiString& homePage) {
    if (!homePage.empty() && homePage[0] == '\\') return workFolder + homePage;
    return workFolder + "\\" + homePage;
}

AnsiString WorkFolderMutexName(const AnsiString& folder) {
    // FNV-1a over the upper-cased path: object names cannot hold the path's "\" themselves.
    const AnsiString key = UpperCase(folder);
    uint64_t h = 0xCBF29CE484222325ull;
    for (char c : key) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001B3ull;
    }
    return "Local\\qvplay-" + IntToHex(h, 16);
}
