#include "ziparchive/stored_path.h"

#include "ziparchive/file_utils.h"

namespace {
// True when byte index N of S starts a character (or is the end of S).
bool IsCharBoundary(const AnsiString& s, size_t n) {
    size_t i = 0;
    while (i < n) i += (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
    return i == n;
}

bool EndsWithDoubleBackslash(const AnsiString& s) {
    return EndsWithChar(s, '\\') && EndsWithChar(DropLastChar(s), '\\');
}
}  // namespace

bool CutPathPrefix(AnsiString& path, const AnsiString& prefix) {
    const size_t n = prefix.size();
    if (n > path.size() || !IsCharBoundary(path, n) || AnsiCompareText(prefix, path.substr(0, n)) != 0) return false;
    path.erase(0, n);
    return true;
}

AnsiString StoredDirectory(const AnsiString& path, const TStoredPathRules& rules) {
    if (!rules.StorePaths) return AnsiString();
    AnsiString dir = ExtractFilePath(path);
    if (!dir.empty() && !EndsWithChar(dir, '\\')) dir += '\\';
    while (EndsWithDoubleBackslash(dir)) dir = DropLastChar(dir);
    if (rules.RelativePaths && rules.RelativePathList) {
        for (int i = 0; i < rules.RelativePathList->Count(); ++i)
            if (CutPathPrefix(dir, rules.RelativePathList->Get(i))) break;
    }
    if (!rules.StoreVolumes && !dir.empty()) {
        dir.erase(0, ExtractFileDrive(dir).size());
        if (!dir.empty() && dir[0] == '\\') dir.erase(0, 1);
    }
    return dir;
}
