#include "builder/pack_paths.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// "C:\..." or "\\server\share\...".
bool IsAbsolute(const AnsiString& path) {
    if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) return true;
    return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

}  // namespace

AnsiString WithTrailingSeparator(const AnsiString& folder) {
    if (EndsWithChar(folder, '\\') || EndsWithChar(folder, '/')) return folder;
    return folder + "\\";
}

bool IsRootFolder(const AnsiString& folder) {
    AnsiString f = folder;
    while (EndsWithChar(f, '\\') || EndsWithChar(f, '/')) f = DropLastChar(f);
    if (f.empty()) return !folder.empty();   // "\" or "/": the current drive's root
    if (f.size() >= 2 && IsSeparator(f[0]) && IsSeparator(f[1])) {
        // "\\server\share": a folder of a share has a third part.
        int separators = 0;
        for (size_t i = 2; i < f.size(); ++i) {
            if (IsLeadByte(static_cast<unsigned char>(f[i])) && i + 1 < f.size()) {
                ++i;
                continue;
            }
            if (IsSeparator(f[i])) ++separators;
        }
        return separators <= 1;
    }
    return f.size() == 2 && f[1] == ':';
}

bool RelativeHomePage(const AnsiString& folder, const AnsiString& homePage, AnsiString& relative) {
    // Walk both texts character by character: a double-byte character must match exactly, a
    // single byte matches when equal after folding ASCII letters (and "\" equals "/").
    size_t i = 0;
    while (i < folder.size()) {
        if (i >= homePage.size()) return false;
        const char a = folder[i], b = homePage[i];
        if (IsLeadByte(static_cast<unsigned char>(a))) {
            if (i + 1 >= folder.size() || i + 1 >= homePage.size()) return false;
            if (a != b || folder[i + 1] != homePage[i + 1]) return false;
            i += 2;
            continue;
        }
        if (IsLeadByte(static_cast<unsigned char>(b))) return false;
        const bool same = (IsSeparator(a) && IsSeparator(b)) || FoldAscii(a) == FoldAscii(b);
        if (!same) return false;
        ++i;
    }
    AnsiString rest = homePage.substr(i);
    // Nothing left, or a folder (ends in a separator): no page was chosen.
    if (rest.empty() || EndsWithChar(rest, '\\') || EndsWithChar(rest, '/')) return false;
    // A doubled separator after the folder names nothing of its own.
    if (IsSeparator(rest[0])) return false;
    relative = rest;
    return true;
}

TPackCheck CheckPackRequest(const AnsiString& folderText, const AnsiString& homePageText, TPackRequest& request) {
    if (folderText.empty()) return pcNoFolder;
    if (IsRootFolder(folderText)) return pcRootFolder;
    if (!IsAbsolute(folderText)) return pcNoFolder;
    request.SiteFolder = WithTrailingSeparator(folderText);
    AnsiString relative;
    if (homePageText.empty() || !RelativeHomePage(request.SiteFolder, homePageText, relative)) return pcNoHomePage;
    request.HomePage = relative;
    return pcOk;
}

AnsiString BookPathOf(const AnsiString& siteFolder) { return DropLastChar(siteFolder) + ".exe"; }

AnsiString FileNameWithoutExt(const AnsiString& path) {
    AnsiString name = ExtractFileName(path);
    const AnsiString ext = ExtractFileExt(name);
    if (ext.empty()) return name;
    const size_t at = name.find(ext);
    return name.erase(at, ext.size());
}
