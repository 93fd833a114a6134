// FindFirst / FindNext / FindClose over opendir, for the native build. Entries come as
// Windows lists them here: "." and ".." first, then the names in byte order. A name pattern
// of "*" and "?" is matched without regard to ASCII case; "*.*" matches every name.
#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <vector>

#include "classlib/file_find.h"
#include "classlib/native_path_posix.h"

namespace {
const uint32_t kFilteredAttributes = faHidden | faSysFile | faVolumeID | faDirectory;
const int kNoMoreFiles = 18;     // ERROR_NO_MORE_FILES
const int kPathNotFound = 3;     // ERROR_PATH_NOT_FOUND
const int kFileNotFound = 2;     // ERROR_FILE_NOT_FOUND

struct TFindState {
    std::string Dir;   // with a trailing "/"
    std::vector<std::string> Names;
    size_t Next = 0;
};

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool Wild(const char* p, const char* n) {
    for (; *p; ++p, ++n) {
        if (*p == '*') {
            for (const char* k = n;; ++k) {
                if (Wild(p + 1, k)) return true;
                if (!*k) return false;
            }
        }
        if (!*n || (*p != '?' && Fold(*p) != Fold(*n))) return false;
    }
    return !*n;
}

bool NameMatches(const std::string& pattern, const std::string& name) {
    if (pattern == "*.*" || pattern == "*") return true;
    return Wild(pattern.c_str(), name.c_str());
}

uint32_t DosTime(time_t t) {
    std::tm tmv{};
    if (!localtime_r(&t, &tmv) || tmv.tm_year < 80) return 0x00210000;
    if (tmv.tm_year > 207) return 0xFF9FBF7D;
    int sec = tmv.tm_sec > 59 ? 59 : tmv.tm_sec;
    return (static_cast<uint32_t>(tmv.tm_year - 80) << 25) | (static_cast<uint32_t>(tmv.tm_mon + 1) << 21) |
           (static_cast<uint32_t>(tmv.tm_mday) << 16) | (static_cast<uint32_t>(tmv.tm_hour) << 11) |
           (static_cast<uint32_t>(tmv.tm_min) << 5) | (static_cast<uint32_t>(sec) / 2);
}

uint64_t Ticks(time_t t) { return (static_cast<uint64_t>(t) + 11644473600ULL) * 10000000ULL; }

// Fills Rec for one name; false when the entry vanished.
bool Describe(const TFindState& st, const std::string& name, TSearchRec& rec) {
    std::string full = st.Dir + name;
    struct stat ls, s;
    if (::lstat(full.c_str(), &ls) != 0) return false;
    s = ls;
    uint32_t attr = 0;
    if (S_ISLNK(ls.st_mode)) {
        attr |= faSymLink;
        if (::stat(full.c_str(), &s) != 0) s = ls;
    }
    if (S_ISDIR(s.st_mode)) attr |= faDirectory;
    else attr |= faArchive;
    if (!(s.st_mode & S_IWUSR)) attr |= faReadOnly;
    uint64_t size = S_ISDIR(s.st_mode) ? 0 : static_cast<uint64_t>(s.st_size);
    TWin32FindData& d = rec.FindData;
    d.dwFileAttributes = attr;
    d.ftCreationTime = Ticks(s.st_ctime);
    d.ftLastAccessTime = Ticks(s.st_atime);
    d.ftLastWriteTime = Ticks(s.st_mtime);
    d.nFileSizeHigh = static_cast<uint32_t>(size >> 32);
    d.nFileSizeLow = static_cast<uint32_t>(size);
    d.cFileName = name;
    d.cAlternateFileName.clear();
    rec.Time = DosTime(s.st_mtime);
    rec.Size = static_cast<int64_t>(size);
    rec.Attr = attr;
    rec.Name = name;
    return true;
}

int Advance(TSearchRec& rec) {
    auto* st = reinterpret_cast<TFindState*>(rec.FindHandle);
    while (st->Next < st->Names.size()) {
        const std::string& name = st->Names[st->Next++];
        if (Describe(*st, name, rec) && !(rec.Attr & rec.ExcludeAttr)) return 0;
    }
    return kNoMoreFiles;
}
}  // namespace

int FindFirst(const AnsiString& path, uint32_t attr, TSearchRec& rec) {
    rec.FindHandle = 0;
    rec.ExcludeAttr = ~attr & kFilteredAttributes;
    const std::string p = NativePath(path);
    if (p.empty() && !path.empty()) return kPathNotFound;   // a name with no spelling here
    size_t slash = p.find_last_of('/');
    auto st = std::make_unique<TFindState>();
    st->Dir = slash == std::string::npos ? std::string("./") : p.substr(0, slash + 1);
    std::string pattern = slash == std::string::npos ? p : p.substr(slash + 1);
    DIR* d = ::opendir(st->Dir.c_str());
    if (!d) return errno == ENOTDIR || errno == ENOENT ? kPathNotFound : kFileNotFound;
    std::vector<std::string> names;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != ".." && NameMatches(pattern, n)) names.push_back(n);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    if (NameMatches(pattern, ".")) st->Names.push_back(".");
    if (NameMatches(pattern, "..")) st->Names.push_back("..");
    st->Names.insert(st->Names.end(), names.begin(), names.end());
    rec.FindHandle = reinterpret_cast<intptr_t>(st.release());
    int r = Advance(rec);
    if (r != 0) {
        FindClose(rec);
        return kFileNotFound;
    }
    return 0;
}

int FindNext(TSearchRec& rec) {
    if (rec.FindHandle == 0) return kNoMoreFiles;
    return Advance(rec);
}

void FindClose(TSearchRec& rec) {
    delete reinterpret_cast<TFindState*>(rec.FindHandle);
    rec.FindHandle = 0;
}
