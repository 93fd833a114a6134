#include "classlib/sysutils.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <vector>

AnsiString Format(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    AnsiString out;
    if (n > 0) {
        std::vector<char> buf(static_cast<size_t>(n) + 1);
        std::vsnprintf(buf.data(), buf.size(), fmt, ap2);
        out.assign(buf.data(), static_cast<size_t>(n));
    }
    va_end(ap2);
    return out;
}

AnsiString IntToStr(int64_t value) { return std::to_string(value); }

AnsiString IntToHex(uint64_t value, int digits) {
    static const char hex[] = "0123456789ABCDEF";
    AnsiString s;
    do {
        s.insert(s.begin(), hex[value & 15]);
        value >>= 4;
    } while (value != 0);
    while (static_cast<int>(s.size()) < digits) s.insert(s.begin(), '0');
    return s;
}

static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool TryStrToInt(const AnsiString& text, int32_t& value) {
    AnsiString s = Trim(text);
    size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && s[i] == '$') { hex = true; ++i; }
    else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) { hex = true; i += 2; }
    if (i >= s.size()) return false;
    uint64_t acc = 0;
    for (; i < s.size(); ++i) {
        int d = hex ? HexDigit(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
        if (d < 0) return false;
        acc = acc * (hex ? 16 : 10) + static_cast<uint64_t>(d);
        if (acc > 0xFFFFFFFFull) return false;
    }
    if (hex) {
        // Hex literals cover the whole 32-bit pattern, as the class library does.
        uint32_t bits = static_cast<uint32_t>(acc);
        value = static_cast<int32_t>(neg ? 0u - bits : bits);
        return true;
    }
    if (!neg && acc > 0x7FFFFFFFull) return false;
    if (neg && acc > 0x80000000ull) return false;
    value = neg ? static_cast<int32_t>(-static_cast<int64_t>(acc)) : static_cast<int32_t>(acc);
    return true;
}

int32_t StrToInt(const AnsiString& s) {
    int32_t v = 0;
    if (!TryStrToInt(s, v)) throw EConvertError("'" + s + "' is not a valid integer value");
    return v;
}

int32_t StrToIntDef(const AnsiString& s, int32_t def) {
    int32_t v = 0;
    return TryStrToInt(s, v) ? v : def;
}

// Case mapping touches single-byte ASCII letters only and steps over double-byte
// characters, whose trail bytes may look like letters.
static AnsiString MapCase(const AnsiString& s, bool upper) {
    AnsiString out = s;
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (IsLeadByte(c) && i + 1 < out.size()) { ++i; continue; }
        if (upper && c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 32);
        if (!upper && c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + 32);
    }
    return out;
}

AnsiString UpperCase(const AnsiString& s) { return MapCase(s, true); }
AnsiString LowerCase(const AnsiString& s) { return MapCase(s, false); }

int CompareText(const AnsiString& a, const AnsiString& b) {
    AnsiString la = UpperCase(a), lb = UpperCase(b);
    size_t n = la.size() < lb.size() ? la.size() : lb.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(la[i]), y = static_cast<unsigned char>(lb[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (la.size() == lb.size()) return 0;
    return la.size() < lb.size() ? -1 : 1;
}

bool SameText(const AnsiString& a, const AnsiString& b) { return CompareText(a, b) == 0; }

AnsiString Trim(const AnsiString& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

AnsiString StringReplaceAll(const AnsiString& s, const AnsiString& from, const AnsiString& to, bool ignoreCase) {
    if (from.empty()) return s;
    const AnsiString hay = ignoreCase ? UpperCase(s) : s;
    const AnsiString needle = ignoreCase ? UpperCase(from) : from;
    AnsiString out;
    size_t pos = 0;
    for (;;) {
        size_t hit = hay.find(needle, pos);
        if (hit == AnsiString::npos) break;
        out.append(s, pos, hit - pos);
        out += to;
        pos = hit + from.size();
    }
    out.append(s, pos, AnsiString::npos);
    return out;
}

int LastCharIndex(const AnsiString& s) {
    int last = -1;
    for (size_t i = 0; i < s.size(); ++i) {
        last = static_cast<int>(i);
        if (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ++i;
    }
    return last;
}

bool EndsWithChar(const AnsiString& s, char c) {
    int i = LastCharIndex(s);
    return i >= 0 && static_cast<size_t>(i) == s.size() - 1 && s[static_cast<size_t>(i)] == c;
}

AnsiString DropLastChar(const AnsiString& s) {
    int i = LastCharIndex(s);
    return i < 0 ? AnsiString() : s.substr(0, static_cast<size_t>(i));
}

int LastDelimiter(const AnsiString& chars, const AnsiString& s) {
    int found = -1;
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (IsLeadByte(c) && i + 1 < s.size()) { ++i; continue; }
        if (chars.find(static_cast<char>(c)) != AnsiString::npos) found = static_cast<int>(i);
    }
    return found;
}

AnsiString ExtractFilePath(const AnsiString& path) {
    int i = LastDelimiter("\\/:", path);
    return path.substr(0, static_cast<size_t>(i + 1));
}

AnsiString ExtractFileName(const AnsiString& path) {
    int i = LastDelimiter("\\/:", path);
    return path.substr(static_cast<size_t>(i + 1));
}

AnsiString ExtractFileExt(const AnsiString& path) {
    int i = LastDelimiter(".\\/:", path);
    if (i >= 0 && path[static_cast<size_t>(i)] == '.') return path.substr(static_cast<size_t>(i));
    return AnsiString();
}

AnsiString ExtractFileDrive(const AnsiString& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/')) {
        // "\\server\share": up to the separator after the share name.
        size_t n = 0, i = 2;
        for (; i < path.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(path[i]);
            if (IsLeadByte(c) && i + 1 < path.size()) { ++i; continue; }
            if (c == '\\' || c == '/') {
                if (++n == 2) break;
            }
        }
        return n >= 1 ? path.substr(0, i) : AnsiString();
    }
    return AnsiString();
}

AnsiString ChangeFileExt(const AnsiString& path, const AnsiString& ext) {
    int i = LastDelimiter(".\\/:", path);
    if (i < 0 || path[static_cast<size_t>(i)] != '.') return path + ext;
    return path.substr(0, static_cast<size_t>(i)) + ext;
}

AnsiString IncludeTrailingPathDelimiter(const AnsiString& path) {
    return EndsWithChar(path, '\\') ? path : path + "\\";
}

AnsiString ExcludeTrailingPathDelimiter(const AnsiString& path) {
    return EndsWithChar(path, '\\') ? DropLastChar(path) : path;
}

AnsiString ReplaceSingleByteChar(const AnsiString& s, char from, char to) {
    AnsiString out = s;
    for (size_t i = 0; i < out.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(out[i])) && i + 1 < out.size()) {
            ++i;
            continue;
        }
        if (out[i] == from) out[i] = to;
    }
    return out;
}
