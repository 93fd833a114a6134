// The portable half of the file utilities; the system services they need sit behind
// file_utils_platform.h and in file_utils_win.cpp / file_utils_posix.cpp.
#include "ziparchive/file_utils.h"

#include <cctype>
#include <cstring>
#include <limits>
#include <vector>

#include "classlib/classes.h"
#include "classlib/file_find.h"
#include "classlib/fileio.h"
#include "ziparchive/file_utils_platform.h"

using file_utils_platform::TCriticalErrorGuard;

bool DirExists(const AnsiString& path) { return !path.empty() && DirectoryExists(path); }
bool DirExistsByName(const AnsiString& path) { return DirExists(path); }
bool FileExistsByName(const AnsiString& path) { return FileExists(path); }

void MoveBytes(void* dest, const void* source, size_t count) {
    if (count) std::memmove(dest, source, count);
}

int64_t PercentOf(int64_t part, int64_t whole) {
    if (whole <= 0) return 0;
    if (part >= whole) return 100;
    bool negative = part < 0;
    uint64_t p = negative ? 0 - static_cast<uint64_t>(part) : static_cast<uint64_t>(part);
    uint64_t w = static_cast<uint64_t>(whole);
    if (p >= w) return -100;   // only a negative part gets here; the scaling below needs p < w
    while (p > std::numeric_limits<uint64_t>::max() / 100) {   // keep p * 100 in range
        p >>= 1;
        w >>= 1;
    }
    uint64_t num = p * 100, q = num / w, r = num % w;
    if (r > w - r || (r == w - r && (q & 1))) ++q;   // half to even
    int64_t result = static_cast<int64_t>(q);
    return negative ? -result : result;
}

// Replaces single-byte From by To, stepping over double-byte characters.
static void ReplaceChar(char* s, char from, char to) {
    if (!s) return;
    for (; *s; ++s) {
        if (IsLeadByte(static_cast<unsigned char>(*s)) && s[1]) {
            ++s;
            continue;
        }
        if (*s == from) *s = to;
    }
}

void ToZipSlashes(char* s) { ReplaceChar(s, '\\', '/'); }
void ToDosSlashes(char* s) { ReplaceChar(s, '/', '\\'); }

AnsiString ToZipSlashes(const AnsiString& s) { return ReplaceSingleByteChar(s, '\\', '/'); }
AnsiString ToDosSlashes(const AnsiString& s) { return ReplaceSingleByteChar(s, '/', '\\'); }

AnsiString RightChars(const AnsiString& s, int n) {
    if (n <= 0) return AnsiString();
    if (static_cast<size_t>(n) >= s.size()) return s;
    return s.substr(s.size() - static_cast<size_t>(n));
}

AnsiString LeftChars(const AnsiString& s, int n) {
    if (n <= 0) return AnsiString();
    return s.substr(0, static_cast<size_t>(n));
}

bool HasWildcards(const AnsiString& s) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
            ++i;   // a trail byte may be 0x7C ("|")
            continue;
        }
        if (std::strchr("*<>?|", s[i]) && s[i]) return true;
    }
    return false;
}

AnsiString PCharToString(const char* s) { return s ? AnsiString(s) : AnsiString(); }

std::unique_ptr<char[]> StringToNewPChar(const AnsiString& s) {
    if (s.empty()) return nullptr;
    std::unique_ptr<char[]> p(new char[s.size() + 1]);
    std::memcpy(p.get(), s.c_str(), s.size() + 1);
    return p;
}

uint32_t RepairDosDateTime(uint32_t v) {
    uint32_t sec2 = v & 0x1F, minute = (v >> 5) & 0x3F, hour = (v >> 11) & 0x1F;
    uint32_t day = (v >> 16) & 0x1F, month = (v >> 21) & 0x0F, year = v >> 25;   // years since 1980
    const uint32_t kMaxYear = 2099 - 1980;
    if (sec2 * 2 <= 59 && minute <= 59 && hour <= 23 && year <= kMaxYear && day != 0 && month >= 1 && month <= 12)
        return v;
    if (hour > 23) hour = 23;
    if (minute > 59) minute = 59;
    if (sec2 * 2 > 59) sec2 = 29;
    if (year > kMaxYear) year = kMaxYear;
    if (month == 0) month = 1;
    if (month > 12) month = 12;
    if (day == 0) day = 1;
    return (year << 25) | (month << 21) | (day << 16) | (hour << 11) | (minute << 5) | sec2;
}

uint32_t GetFileDosDateTime(const AnsiString& path) {
    TSearchRec rec;
    if (FindFirst(path, faAnyFile, rec) != 0) return 0xFFFFFFFF;
    FindClose(rec);
    return rec.Time;   // the search clamps times before 1980 to 1 January 1980
}

TDateTime GetFileDateTime(const AnsiString& path) {
    AnsiString p = EndsWithChar(path, '\\') ? DropLastChar(path) : path;
    uint32_t v = RepairDosDateTime(GetFileDosDateTime(p));
    try {
        return FileDateToDateTime(v);
    } catch (const Exception&) {
        return Now();   // a clamped day that the month does not have
    }
}

bool MoveFileSameDrive(const AnsiString& source, const AnsiString& dest) {
    if (CompareText(ExtractFileDrive(source), ExtractFileDrive(dest)) != 0) return false;
    if (!FileExists(source) || file_utils_platform::SameFile(source, dest)) return false;
    TCriticalErrorGuard guard;
    AnsiString saved;
    if (FileExists(dest)) {
        saved = dest + "$$$";
        if (!RenameFile(dest, saved)) return false;
    }
    if (RenameFile(source, dest)) {
        if (!saved.empty()) RemoveFile(saved);
        return true;
    }
    if (!saved.empty()) RenameFile(saved, dest);   // put the old target back
    return false;
}

void CopyFileByName(const AnsiString& source, const AnsiString& dest) {
    const AnsiString failure = "Error: Could not copy from " + source + " -> " + dest;
    if (SameText(source, dest) || file_utils_platform::SameFile(source, dest)) throw Exception(failure);
    if (MoveFileSameDrive(source, dest)) return;
    TFileStream in(source, fmOpenRead);
    bool complete = false;
    {
        TFileStream out(dest, fmCreate);
        const int64_t size = in.GetSize();
        std::vector<uint8_t> buf(64 * 1024);
        int64_t copied = 0;
        for (;;) {
            int32_t n = in.Read(buf.data(), static_cast<int32_t>(buf.size()));
            if (n <= 0) break;
            if (out.Write(buf.data(), n) != n) break;
            copied += n;
        }
        complete = copied == size && copied == in.GetSize();
    }
    if (!complete) {
        RemoveFile(dest);
        throw Exception(failure);
    }
}

// The 8.3 name that the system reports for Path; false when it has none.
static bool LookupShortName(const AnsiString& path, AnsiString& shortName) {
    TSearchRec rec;
    if (FindFirst(path, faAnyFile, rec) != 0) return false;
    FindClose(rec);
    shortName = rec.FindData.cAlternateFileName;
    return !shortName.empty();
}

AnsiString ShortPathName(const AnsiString& path) {
    AnsiString p = path;
    if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':' && (p.size() == 2 || p[2] != '\\'))
        p.insert(2, "\\");
    bool trailing = EndsWithChar(p, '\\');
    if (trailing) p = DropLastChar(p);

    AnsiString result, written;
    size_t pos = 0;
    if (!p.empty() && p[0] == '\\') {
        result = written = "\\";
        pos = 1;
    } else if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
        result = written = p.substr(0, 2) + "\\";
        pos = 3;
    }
    while (pos < p.size()) {
        // Next "\" that is a character of its own, not the trail byte of a double-byte one.
        size_t end = pos;
        while (end < p.size() && p[end] != '\\')
            end += (IsLeadByte(static_cast<unsigned char>(p[end])) && end + 1 < p.size()) ? 2 : 1;
        AnsiString component = p.substr(pos, end - pos);
        written += component;
        AnsiString shortName;
        if (component.empty() || !LookupShortName(written, shortName) || shortName.empty())
            shortName = component;
        result += shortName + "\\";
        written += "\\";
        pos = end + 1;
    }
    if (p.empty()) return path;
    if (!trailing && EndsWithChar(result, '\\')) result = DropLastChar(result);
    return result;
}
