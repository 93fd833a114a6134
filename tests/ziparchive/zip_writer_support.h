// Helpers of the writer tests: folder trees in scratch folders, the builder's writer
// settings, and a plain reader of the records an archive holds (local and central headers
// read straight from the bytes, so that the tests do not trust the code they check).
#pragma once
#include <algorithm>
#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include "classlib/classes.h"
#include "classlib/fileio.h"
#include "tests/ziparchive/scratch_files.h"
#include "tools/ziptool/builder_settings.h"
#include "ziparchive/arc_zip.h"
#include "ziparchive/buffered_stream.h"
#include "classlib/little_endian.h"
#include "ziparchive/zip_crypt.h"

// Sets a file's last-write time (seconds since 1970, UTC).
inline void SetFileWriteTime(const std::string& name, int64_t unixSeconds) {
#ifdef _WIN32
    HANDLE h = CreateFileA(name.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const uint64_t t = (static_cast<uint64_t>(unixSeconds) + 11644473600ull) * 10000000ull;
    FILETIME ft{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
    CloseHandle(h);
#else
    const std::string native = ReplaceSingleByteChar(name, '\\', '/');
    struct timespec ts[2] = {{static_cast<time_t>(unixSeconds), 0}, {static_cast<time_t>(unixSeconds), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, native.c_str(), ts, 0), 0);
#endif
}

// Files by path relative to Root ("\" separated); folders are made as needed. A path
// ending in "\" is an empty folder.
inline void MakeTree(const std::string& root, const std::map<std::string, std::string>& files) {
    for (const auto& f : files) {
        const std::string path = root + f.first;
        ForceDirectories(ExtractFilePath(path));
        if (!EndsWithChar(f.first, '\\')) WriteFileBytes(path, f.second);
    }
}

// Deterministic filler: text that compresses, bytes that do not.
inline std::string TextBytes(size_t n, uint32_t seed = 1) {
    static const char* const kWords[] = {"<div class=\"page\">", "the ", "archive ", "book ", "</div>\r\n",
                                         "<p>", "reader ", "\xD6\xD0\xCE\xC4 ", "</p>", "style "};
    std::string s;
    uint32_t x = seed;
    while (s.size() < n) {
        x = x * 1103515245u + 12345u;
        s += kWords[(x >> 16) % 10];
    }
    s.resize(n);
    return s;
}

inline std::string RandomBytes(size_t n, uint32_t seed = 7) {
    std::string s(n, '\0');
    uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
    for (size_t i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        s[i] = static_cast<char>(x >> 24);
    }
    return s;
}

// One entry as the archive's bytes tell it.
struct TRawEntry {
    std::string Name;   // stored bytes, "/" separated
    uint16_t Flag = 0, Method = 0, VersionNeeded = 0;
    uint32_t Crc = 0, DosTime = 0, ExternalAttributes = 0;
    uint64_t CompressedSize = 0, UncompressedSize = 0, LocalOffset = 0;
    std::string CentralExtra;
    // The local header.
    uint16_t LocalFlag = 0, LocalMethod = 0;
    uint32_t LocalCrc = 0, LocalCompressed32 = 0, LocalUncompressed32 = 0;
    std::string LocalName, LocalExtra;
    uint64_t DataOffset = 0;
};

struct TRawArchive {
    std::vector<TRawEntry> Entries;
    uint64_t TotalEntries = 0;
    bool HasZip64End = false;
    std::string Comment;
    std::string Error;   // empty when the archive parsed
};

// The zip64 block of an extra field, or empty.
inline std::string Zip64Block(const std::string& extra) {
    for (size_t pos = 0; pos + 4 <= extra.size();) {
        const auto* p = reinterpret_cast<const uint8_t*>(extra.data() + pos);
        const size_t size = GetLE16(p + 2);
        if (GetLE16(p) == 1) return extra.substr(pos + 4, size);
        pos += 4 + size;
    }
    return std::string();
}

inline TRawArchive ParseArchive(const std::string& b) {
    TRawArchive a;
    auto at = [&](uint64_t pos) { return reinterpret_cast<const uint8_t*>(b.data() + pos); };
    if (b.size() < 22) return a.Error = "too short", a;
    size_t end = b.size() - 22;
    while (end > 0 && GetLE32(at(end)) != 0x06054B50u) --end;
    if (GetLE32(at(end)) != 0x06054B50u) return a.Error = "no end record", a;
    uint64_t count = GetLE16(at(end + 10));
    uint64_t cdOffset = GetLE32(at(end + 16));
    a.Comment = b.substr(end + 22, GetLE16(at(end + 20)));
    if (end >= 20 && GetLE32(at(end - 20)) == 0x07064B50u) {
        const uint64_t z = GetLE64(at(end - 20 + 8));
        if (z + 56 > b.size() || GetLE32(at(z)) != 0x06064B50u) return a.Error = "bad zip64 locator", a;
        a.HasZip64End = true;
        count = GetLE64(at(z + 32));
        cdOffset = GetLE64(at(z + 48));
    }
    a.TotalEntries = count;
    uint64_t pos = cdOffset;
    for (uint64_t i = 0; i < count; ++i) {
        if (pos + 46 > b.size() || GetLE32(at(pos)) != 0x02014B50u) return a.Error = "bad central header", a;
        TRawEntry e;
        const uint8_t* c = at(pos);
        e.VersionNeeded = GetLE16(c + 6);
        e.Flag = GetLE16(c + 8);
        e.Method = GetLE16(c + 10);
        e.DosTime = GetLE32(c + 12);
        e.Crc = GetLE32(c + 16);
        e.CompressedSize = GetLE32(c + 20);
        e.UncompressedSize = GetLE32(c + 24);
        const uint16_t n = GetLE16(c + 28), x = GetLE16(c + 30), k = GetLE16(c + 32);
        e.ExternalAttributes = GetLE32(c + 38);
        e.LocalOffset = GetLE32(c + 42);
        e.Name = b.substr(pos + 46, n);
        e.CentralExtra = b.substr(pos + 46 + n, x);
        const std::string z = Zip64Block(e.CentralExtra);
        size_t zp = 0;
        auto next = [&](uint64_t& v) {
            if (zp + 8 <= z.size()) v = GetLE64(reinterpret_cast<const uint8_t*>(z.data() + zp));
            zp += 8;
        };
        if (e.UncompressedSize == 0xFFFFFFFFu) next(e.UncompressedSize);
        if (e.CompressedSize == 0xFFFFFFFFu) next(e.CompressedSize);
        if (e.LocalOffset == 0xFFFFFFFFu) next(e.LocalOffset);
        pos += 46 + n + x + k;
        if (e.LocalOffset + 30 > b.size() || GetLE32(at(e.LocalOffset)) != 0x04034B50u)
            return a.Error = "bad local header of " + e.Name, a;
        const uint8_t* l = at(e.LocalOffset);
        e.LocalFlag = GetLE16(l + 6);
        e.LocalMethod = GetLE16(l + 8);
        e.LocalCrc = GetLE32(l + 14);
        e.LocalCompressed32 = GetLE32(l + 18);
        e.LocalUncompressed32 = GetLE32(l + 22);
        const uint16_t ln = GetLE16(l + 26), lx = GetLE16(l + 28);
        e.LocalName = b.substr(e.LocalOffset + 30, ln);
        e.LocalExtra = b.substr(e.LocalOffset + 30 + ln, lx);
        e.DataOffset = e.LocalOffset + 30 + ln + lx;
        if (e.DataOffset + e.CompressedSize > cdOffset) return a.Error = "data of " + e.Name + " runs past", a;
        a.Entries.push_back(e);
    }
    return a;
}

inline const TRawEntry* FindEntry(const TRawArchive& a, const std::string& name) {
    for (const TRawEntry& e : a.Entries)
        if (e.Name == name) return &e;
    return nullptr;
}

// The 12 decrypted bytes of an entry's encryption header.
inline std::string DecryptedHeader(const std::string& archive, const TRawEntry& e, const std::string& password) {
    TZipKeys keys;
    keys.InitKeys(password);
    std::string h = archive.substr(e.DataOffset, 12);
    keys.DecryptBuffer(&h[0], h.size());
    return h;
}

// Writes through a file that refuses every byte after the first Limit.
class TLimitedFile : public TStream {
public:
    TLimitedFile(const AnsiString& name, int64_t limit) : FFile(name, fmCreate), FLimit(limit) {}
    int32_t Read(void* b, int32_t n) override { return FFile.Read(b, n); }
    int32_t Write(const void* b, int32_t n) override {
        const int64_t room = FLimit - FFile.GetPosition();
        if (room <= 0) return 0;
        return FFile.Write(b, static_cast<int32_t>(std::min<int64_t>(n, room)));
    }
    int64_t Seek(int64_t o, int origin) override { return FFile.Seek(o, origin); }
    void SetSize(int64_t n) override { FFile.SetSize(n); }

private:
    TFileStream FFile;
    int64_t FLimit;
};

// A writer output that ends in such a file.
class TLimitedOutput : public TS_BufferStream {
public:
    TLimitedOutput(const AnsiString& name, int64_t limit)
        : TS_BufferStream(nullptr, 4096), FFile(std::make_unique<TLimitedFile>(name, limit)) {
        FInnerStream = FFile.get();
    }
    ~TLimitedOutput() override {
        try {
            FinishWriting();
        } catch (...) {
        }
        FInnerStream = nullptr;
    }

private:
    std::unique_ptr<TLimitedFile> FFile;
};
