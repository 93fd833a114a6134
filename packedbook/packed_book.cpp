#include "packedbook/packed_book.h"

#include "classlib/little_endian.h"

#include <algorithm>
#include <memory>

#include "packedbook/book_constants.h"
#include "classlib/fileio.h"

namespace {
const char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads the u32 at Offset; false on a short read.
bool ReadU32At(TStream* s, int64_t offset, uint32_t& v) {
    uint8_t b[4];
    s->Seek(offset, soBeginning);
    if (s->Read(b, 4) != 4) return false;
    v = GetLE32(b);
    return true;
}
}  // namespace

AnsiString ScrambleSettings(const AnsiString& text) {
    AnsiString hex;
    hex.reserve(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        uint8_t b = static_cast<uint8_t>(text[i]) ^ BookSettingsKey[i % 8];
        hex += kHexDigits[b >> 4];
        hex += kHexDigits[b & 0x0F];
    }
    return hex;
}

AnsiString UnscrambleSettings(const AnsiString& hex) {
    AnsiString text;
    const size_t pairs = hex.size() / 2;
    text.reserve(pairs);
    for (size_t i = 0; i < pairs; ++i) {
        int hi = HexValue(hex[2 * i]), lo = HexValue(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) throw EConvertError("'$" + hex.substr(2 * i, 2) + "' is not a valid integer value");
        text += static_cast<char>((hi << 4 | lo) ^ BookSettingsKey[i % 8]);
    }
    return text;
}

std::vector<AnsiString> SplitText(const AnsiString& text, const AnsiString& separator) {
    std::vector<AnsiString> fields;
    if (separator.empty()) return {text};
    size_t pos = 0;
    for (;;) {
        size_t hit = text.find(separator, pos);
        if (hit == AnsiString::npos) break;
        fields.push_back(text.substr(pos, hit - pos));
        pos = hit + separator.size();
    }
    fields.push_back(text.substr(pos));
    return fields;
}

AnsiString JoinSettings(const TBookSettings& s) {
    const AnsiString sep = SettingsSeparator;
    return s.WindowHeight + sep + s.WindowWidth + sep + s.Reserved2 + sep + s.Reserved3 + sep + s.Reserved4 + sep +
           s.HomePage;
}

bool ParseSettings(const AnsiString& text, TBookSettings& settings) {
    std::vector<AnsiString> f = SplitText(text);
    if (f.size() != static_cast<size_t>(SettingsFieldCount)) return false;
    settings = TBookSettings{f[0], f[1], f[2], f[3], f[4], f[5]};
    return true;
}

int64_t PackedBookSize(int64_t stubSize, int64_t archiveSize, const TBookSettings& settings) {
    return stubSize + archiveSize + 8 + 2 * static_cast<int64_t>(JoinSettings(settings).size());
}

bool WritePackedFile(const AnsiString& zipPath, const AnsiString& outputPath, const TBookSettings& settings) {
    try {
        const AnsiString hex = ScrambleSettings(JoinSettings(settings));
        if (hex.size() > MaxSettingsHexLength) return false;
        // Freed in reverse order of creation: output, archive, text.
        TStringStream text(hex);
        TFileStream archive(zipPath, fmOpenRead | fmShareExclusive);
        TFileStream output(outputPath, fmOpenWrite | fmShareExclusive);
        const int64_t stubSize = output.Seek(0, soEnd);
        const int64_t archiveSize = archive.GetSize();
        if (PackedBookSize(stubSize, archiveSize, settings) > MaxPackedBookSize) return false;

        output.CopyFrom(&archive, 0);
        uint8_t len[4];
        PutLE32(len, static_cast<uint32_t>(archiveSize));
        output.WriteBuffer(len, 4);
        output.CopyFrom(&text, 0);
        PutLE32(len, static_cast<uint32_t>(hex.size()));
        output.WriteBuffer(len, 4);
        return true;
    } catch (...) {
        return false;
    }
}

bool LocateBookTail(TStream* book, TBookTail& tail) {
    try {
        const int64_t size = book->GetSize();
        if (size < 8 || size > MaxPackedBookSize) return false;
        uint32_t l = 0, z = 0;
        if (!ReadU32At(book, size - 4, l)) return false;
        if ((l & 1) || l > MaxSettingsHexLength || static_cast<int64_t>(l) + 8 > size) return false;
        if (!ReadU32At(book, size - 8 - l, z)) return false;
        if (z < MinBookArchiveSize || static_cast<int64_t>(z) > size - l - 8) return false;
        tail.SettingsLength = l;
        tail.SettingsOffset = size - 4 - l;
        tail.ArchiveSize = z;
        tail.ArchiveOffset = size - 8 - l - static_cast<int64_t>(z);
        return true;
    } catch (...) {
        return false;
    }
}

bool ReadBookSettings(TStream* book, TBookSettings& settings) {
    try {
        TBookTail tail;
        if (!LocateBookTail(book, tail)) return false;
        AnsiString hex(tail.SettingsLength, '\0');
        book->Seek(tail.SettingsOffset, soBeginning);
        if (tail.SettingsLength && book->Read(&hex[0], static_cast<int32_t>(tail.SettingsLength)) !=
                                       static_cast<int32_t>(tail.SettingsLength))
            return false;
        return ParseSettings(UnscrambleSettings(hex), settings);
    } catch (...) {
        return false;   // a pair that is not hexadecimal, or an unreadable file
    }
}

bool ReadBookSettings(const AnsiString& bookPath, TBookSettings& settings) {
    try {
        TFileStream book(bookPath, fmOpenRead | fmShareDenyNone);
        return ReadBookSettings(&book, settings);
    } catch (...) {
        return false;
    }
}

bool ExtractBookArchive(TStream* book, TStream* output) {
    try {
        TBookTail tail;
        if (!LocateBookTail(book, tail)) return false;
        book->Seek(tail.ArchiveOffset, soBeginning);
        std::vector<uint8_t> buf(64 * 1024);
        int64_t left = tail.ArchiveSize;
        while (left > 0) {
            int32_t n = static_cast<int32_t>(std::min<int64_t>(left, static_cast<int64_t>(buf.size())));
            if (book->Read(buf.data(), n) != n) return false;
            if (output->Write(buf.data(), n) != n) return false;
            left -= n;
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool ExtractBookArchive(const AnsiString& bookPath, const AnsiString& archivePath) {
    bool ok = false, created = false;
    try {
        TFileStream book(bookPath, fmOpenRead | fmShareDenyNone);
        TFileStream output(archivePath, fmCreate);
        created = true;
        ok = ExtractBookArchive(&book, &output);
    } catch (...) {
        ok = false;
    }
    if (!ok && created) RemoveFile(archivePath);
    return ok;
}
