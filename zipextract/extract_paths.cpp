#include "zipextract/extract_paths.h"

#include <vector>

#include "classlib/fileio.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The components of Path between separators (lead-byte aware); a trailing separator ends
// the last component without adding an empty one.
std::vector<AnsiString> SplitComponents(const AnsiString& path) {
    std::vector<AnsiString> parts;
    AnsiString current;
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < path.size()) {
            current += c;
            current += path[++i];
            continue;
        }
        if (IsSeparator(c)) {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty() || parts.empty()) parts.push_back(current);
    return parts;
}

// Names the system opens as devices whatever folder they stand in; an extension does not
// change that ("nul.txt" is NUL).
bool IsDeviceName(const AnsiString& component) {
    AnsiString base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    base = UpperCase(base);
    static const char* const kPlain[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* name : kPlain)
        if (base == name) return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '0' && base[3] <= '9';
}

bool IsSafeComponent(const AnsiString& c) {
    if (c.empty()) return false;
    bool onlyDotsAndSpaces = true;
    for (size_t i = 0; i < c.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(c[i]);
        if (IsLeadByte(b) && i + 1 < c.size()) {
            ++i;
            onlyDotsAndSpaces = false;
            continue;
        }
        if (b < 0x20 || b == ':') return false;
        if (b != '.' && b != ' ') onlyDotsAndSpaces = false;
    }
    return !onlyDotsAndSpaces && !IsDeviceName(c);
}

}  // namespace

AnsiString StripTrailingBackslash(const AnsiString& path) {
    return EndsWithChar(path, '\\') ? DropLastChar(path) : path;
}

void CreateDirPath(const AnsiString& path, std::vector<AnsiString>* made) {
    AnsiString dir = StripTrailingBackslash(path);
    if (EndsWithChar(dir, '/')) dir = DropLastChar(dir);
    // The folders above Dir end where a separator stands (a drive's ":" stays with it). A
    // name may hold thousands of folders, so this is a loop, not a walk up by recursion.
    std::vector<size_t> ends;
    for (size_t i = 0; i < dir.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(dir[i]);
        if (IsLeadByte(c) && i + 1 < dir.size()) {
            ++i;
            continue;
        }
        if (IsSeparator(static_cast<char>(c)))
            ends.push_back(i);
        else if (c == ':')
            ends.push_back(i + 1);
    }
    ends.push_back(dir.size());
    // Innermost first, up to the first folder that exists; then made outermost first. Folders
    // beyond the path limit cannot exist and are not tried.
    size_t firstMissing = ends.size();
    while (firstMissing > 0) {
        const size_t end = ends[firstMissing - 1];
        if (end <= 2 || (end <= kPathLimit && DirectoryExists(dir.substr(0, end)))) break;
        --firstMissing;
    }
    for (size_t k = firstMissing; k < ends.size() && ends[k] <= kPathLimit; ++k)
        if (k == 0 || ends[k] != ends[k - 1]) {
            const AnsiString folder = dir.substr(0, ends[k]);
            if (CreateDir(folder) && made) made->push_back(folder);   // a failure shows up later
        }
}

bool FitsPathLimit(const AnsiString& path) { return path.size() <= kPathLimit; }

bool IsSafeRelativePath(const AnsiString& path) {
    if (path.empty()) return true;
    if (IsSeparator(path[0])) return false;
    for (const AnsiString& c : SplitComponents(path))
        if (!IsSafeComponent(c)) return false;
    return true;
}

bool EntryDestFolder(const AnsiString& destDir, const AnsiString& dir, bool recreateDirs, AnsiString& folder) {
    folder = destDir + "\\";
    if (!recreateDirs || dir.empty()) return true;
    AnsiString rest = dir;
    if (rest.size() >= 2 && rest[1] == ':') rest.erase(0, 2);
    if (!rest.empty() && IsSeparator(rest[0])) rest.erase(0, 1);
    // What is left must be relative: a second leading separator was a UNC name.
    if (!IsSafeRelativePath(rest)) return false;
    folder += rest;
    return true;
}

bool IsInsideFolder(const AnsiString& fullName, const AnsiString& destDir) {
    const AnsiString root = destDir + "\\";
    if (fullName.size() <= root.size() || CompareText(fullName.substr(0, root.size()), root) != 0) return false;
    const AnsiString rest = fullName.substr(root.size());
    return IsSafeRelativePath(rest) && !EndsWithChar(rest, '\\') && !EndsWithChar(rest, '/');
}
