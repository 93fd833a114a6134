// The POSIX half of the file utilities, for the native build: no message queue, no volume
// labels, one code page.
#include <iconv.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "classlib/native_path_posix.h"
#include "ziparchive/file_utils.h"
#include "ziparchive/file_utils_platform.h"

bool ProcessWindowMessages() { return false; }

namespace {
// The upper-case form of a text of code page 936: ASCII letters, and the double-byte
// letters whose small and capital forms sit at a fixed distance in their row.
std::string UpperCase936(const AnsiString& s) {
    struct TRow {
        unsigned char Lead, SmallFirst, SmallLast, Distance;
    } static const kRows[] = {
        {0xA3, 0xE1, 0xFA, 0x20},   // fullwidth Latin
        {0xA6, 0xC1, 0xD8, 0x20},   // Greek
        {0xA7, 0xD1, 0xF1, 0x30},   // Cyrillic
    };
    std::string out(s);
    for (size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (IsLeadByte(c) && i + 1 < out.size()) {
            const auto t = static_cast<unsigned char>(out[i + 1]);
            for (const TRow& r : kRows)
                if (c == r.Lead && t >= r.SmallFirst && t <= r.SmallLast) out[i + 1] = static_cast<char>(t - r.Distance);
            ++i;
        } else if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 0x20);
        }
    }
    return out;
}
}  // namespace

int AnsiCompareText(const AnsiString& a, const AnsiString& b) {
    const int r = UpperCase936(a).compare(UpperCase936(b));
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

AnsiString GetDriveDir(int) {
    std::vector<char> buf(4096);
    if (!getcwd(buf.data(), buf.size())) return AnsiString();
    return IncludeTrailingPathDelimiter(AnsiString(buf.data()));
}

AnsiString MakeTempFileName(const AnsiString& dir) {
    AnsiString name = ReplaceSingleByteChar(IncludeTrailingPathDelimiter(dir) + "ZKZXXXXXX", '\\', '/');
    std::vector<char> buf(name.begin(), name.end());
    buf.push_back(0);
    int fd = mkstemp(buf.data());
    if (fd < 0) return AnsiString();
    close(fd);
    return AnsiString(buf.data());
}

bool SetDiskLabel(const AnsiString&, const AnsiString&) { return false; }
bool IsRemovableDrive(const AnsiString&) { return false; }
AnsiString GetDiskLabel(const AnsiString&) { return AnsiString(); }

AnsiString AnsiToOemString(const AnsiString& s) { return s; }
AnsiString OemToAnsiString(const AnsiString& s) { return s; }

// The ANSI code page of the Windows programs is 936: iconv's GBK, one character at a time
// so that each one GBK lacks becomes SUB on its own.
AnsiString Utf8ToAnsiString(const AnsiString& s) {
    AnsiString out;
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return AnsiString(s.size(), kUnrepresentableChar);
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char lead = static_cast<unsigned char>(s[i]);
        size_t len = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (len > s.size() - i) len = s.size() - i;
        // A sequence cut short by a byte that does not continue it ends at that byte.
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) len = k;
        char in[4], conv[8];
        std::memcpy(in, s.data() + i, len);
        char* inp = in;
        char* outp = conv;
        size_t inLeft = len, outLeft = sizeof conv;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
            out += kUnrepresentableChar;
        else
            out.append(conv, sizeof conv - outLeft);
        i += len;
    }
    iconv_close(cd);
    return out;
}
void OemRoundTrip(AnsiString&) {}

namespace file_utils_platform {

TCriticalErrorGuard::TCriticalErrorGuard() {}
TCriticalErrorGuard::~TCriticalErrorGuard() {}

bool SameFile(const AnsiString& source, const AnsiString& dest) {
    struct stat a, b;
    if (stat(NativePath(source).c_str(), &a) != 0 || stat(NativePath(dest).c_str(), &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace file_utils_platform
