// The extraction engine against the raw codec, in one process: TArcUnZip::UnZip extracting
// an archive as the player does (folders re-created, attributes kept, password), and the
// same run decoding without writing files, against the raw codec over the same entries held
// in memory: the traditional decryption, zlib's raw inflate and the CRC-32, block by block.
//
// usage: extract_throughput ARCHIVE DESTDIR [--password P] [--runs N] [--workers N]
// Each extraction goes into a fresh folder DESTDIR\runN or DESTDIR\serialN (which the caller
// removes), as the player's does. Prints the best time of each over the runs and the ratios to
// the raw codec; the engine runs with its worker threads and on the calling thread alone.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "classlib/classes.h"
#include "ziparchive/arc_unzip.h"
#include "classlib/little_endian.h"
#include "ziparchive/zip_crypt.h"
#include "zipextract/unzip_run.h"

namespace {

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct TRawEntry {
    std::string Packed;   // the entry's data as stored, encryption header included
    bool Encrypted = false;
    bool Deflated = false;
    uint32_t Crc = 0;
    int64_t Size = 0;
};

// Every file entry's stored bytes, read through the directory the reader builds.
std::vector<TRawEntry> LoadEntries(const AnsiString& archive, int64_t& total) {
    TArcUnZip zip(nullptr);
    zip.SetZipName(archive);
    zip.SetKeepZipOpen(true);
    zip.OpenZip();
    TStream* s = zip.GetArchiveStream();
    std::vector<TRawEntry> entries;
    total = 0;
    for (int i = 0; i < zip.EntryCount(); ++i) {
        TZipHeaderInfo* h = zip.Entry(i);
        if (h->GetFileName().empty()) continue;
        uint8_t local[kLocalHeaderFixed];
        s->Seek(h->GetRelativeOffset(), soBeginning);
        s->ReadBuffer(local, kLocalHeaderFixed);
        s->Seek(GetLE16(local + 26) + GetLE16(local + 28), soCurrent);
        TRawEntry e;
        e.Packed.resize(static_cast<size_t>(h->GetCompressedSize()));
        if (!e.Packed.empty()) s->ReadBuffer(&e.Packed[0], static_cast<int32_t>(e.Packed.size()));
        e.Encrypted = h->IsEncrypted();
        e.Deflated = h->CompressionMethod == 8;
        e.Crc = h->CRC32;
        e.Size = h->GetUncompressedSize();
        total += e.Size;
        entries.push_back(std::move(e));
    }
    return entries;
}

// Decryption, inflation and CRC of every entry, in 32768-byte blocks as an extractor
// works; throws when an entry does not check out.
void RawCodec(const std::vector<TRawEntry>& entries, const std::string& password) {
    constexpr size_t kBlock = 32768;
    std::vector<uint8_t> in(kBlock), out(kBlock);
    for (const TRawEntry& e : entries) {
        TZipKeys keys;
        size_t pos = 0;
        if (e.Encrypted) {
            uint8_t header[kEncryptionHeaderSize];
            std::copy(e.Packed.begin(), e.Packed.begin() + kEncryptionHeaderSize, header);
            keys.DecryptHeader(password, header);
            pos = kEncryptionHeaderSize;
        }
        uLong crc = crc32(0, nullptr, 0);
        z_stream z{};
        if (e.Deflated && inflateInit2(&z, -15) != Z_OK) throw Exception("inflateInit2");
        int result = Z_OK;
        while (pos < e.Packed.size() && result != Z_STREAM_END) {
            const size_t n = std::min(kBlock, e.Packed.size() - pos);
            std::copy(e.Packed.begin() + static_cast<std::ptrdiff_t>(pos),
                      e.Packed.begin() + static_cast<std::ptrdiff_t>(pos + n), in.begin());
            pos += n;
            if (e.Encrypted) keys.DecryptBuffer(in.data(), n);
            if (!e.Deflated) {
                crc = crc32(crc, in.data(), static_cast<uInt>(n));
                continue;
            }
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(n);
            do {
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(kBlock);
                result = inflate(&z, Z_NO_FLUSH);
                if (result < 0 && result != Z_BUF_ERROR) throw Exception("inflate");
                crc = crc32(crc, out.data(), static_cast<uInt>(kBlock - z.avail_out));
            } while (z.avail_out == 0 && result != Z_STREAM_END);
        }
        if (e.Deflated) inflateEnd(&z);
        if (static_cast<uint32_t>(crc) != e.Crc) throw Exception("raw codec: CRC mismatch");
    }
}

// Reading the archive's directory alone, as every run begins.
void ReadDirectory(const AnsiString& archive) {
    TArcUnZip zip(nullptr);
    zip.SetZipName(archive);
    zip.OpenZip();
    zip.CloseZip();
}

// UnZip (or, TestOnly, the same run writing nothing); the number of entries done. Workers
// below 0: the engine's default.
int Engine(const AnsiString& archive, const AnsiString& dest, const std::string& password, bool testOnly,
           int workers = -1) {
    TArcUnZip zip(nullptr);
    zip.SetZipName(archive);
    zip.SetDestDir(dest);
    zip.SetRecreateDirs(true);
    zip.SetRetainAttributes(true);
    zip.SetDoAll(true);
    zip.SetOverwriteMode(Always);
    zip.Password = password;
    int failed = 0;
    TUnZipRun run(zip, testOnly);
    if (workers >= 0) run.SetWorkers(workers);
    run.OnEntryFailed = [&](int, const AnsiString&) { ++failed; };
    const int done = run.UnZip();
    if (failed) throw Exception(Format("%d entries failed", failed));
    return done;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: extract_throughput ARCHIVE DESTDIR [--password P] [--runs N] [--workers N]\n");
        return 2;
    }
    const AnsiString archive = argv[1], dest = argv[2];
    std::string password;
    int runs = 3;
    int workers = -1;   // the engine's default
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--password") password = argv[i + 1];
        else if (a == "--runs") runs = std::max(1, StrToInt(argv[i + 1]));
        else if (a == "--workers") workers = std::max(0, StrToInt(argv[i + 1]));
    }
    try {
        int64_t bytes = 0;
        const std::vector<TRawEntry> entries = LoadEntries(archive, bytes);
        double raw = 1e30, directory = 1e30, tested = 1e30, extracted = 1e30, serialTested = 1e30,
               serialExtracted = 1e30;
        for (int r = 0; r < runs; ++r) {
            auto t0 = std::chrono::steady_clock::now();
            RawCodec(entries, password);
            raw = std::min(raw, Seconds(std::chrono::steady_clock::now() - t0));
            t0 = std::chrono::steady_clock::now();
            ReadDirectory(archive);
            directory = std::min(directory, Seconds(std::chrono::steady_clock::now() - t0));
            t0 = std::chrono::steady_clock::now();
            Engine(archive, dest, password, true, workers);
            tested = std::min(tested, Seconds(std::chrono::steady_clock::now() - t0));
            t0 = std::chrono::steady_clock::now();
            Engine(archive, dest + "\\run" + IntToStr(r), password, false, workers);
            extracted = std::min(extracted, Seconds(std::chrono::steady_clock::now() - t0));
            t0 = std::chrono::steady_clock::now();
            Engine(archive, dest, password, true, 0);
            serialTested = std::min(serialTested, Seconds(std::chrono::steady_clock::now() - t0));
            t0 = std::chrono::steady_clock::now();
            Engine(archive, dest + "\\serial" + IntToStr(r), password, false, 0);
            serialExtracted = std::min(serialExtracted, Seconds(std::chrono::steady_clock::now() - t0));
        }
        const double mb = static_cast<double>(bytes) / 1e6;
        std::printf("corpus                          %zu files, %.1f MB uncompressed\n", entries.size(), mb);
        std::printf("raw decrypt + inflate + CRC     %.3f s  %6.1f MB/s\n", raw, mb / raw);
        std::printf("reading the directory alone      %.3f s\n", directory);
        std::printf("engine, decoding only (test)    %.3f s  %6.1f MB/s  ratio %.3f (%.3f without the directory)\n",
                    tested, mb / tested, tested / raw, (tested - directory) / raw);
        std::printf("engine, extracting (UnZip)      %.3f s  %6.1f MB/s  ratio %.3f (%.3f without the directory)\n",
                    extracted, mb / extracted, extracted / raw, (extracted - directory) / raw);
        std::printf("  the same on the calling thread alone (no workers):\n");
        std::printf("engine, decoding only (test)    %.3f s  %6.1f MB/s\n", serialTested, mb / serialTested);
        std::printf("engine, extracting (UnZip)      %.3f s  %6.1f MB/s\n", serialExtracted, mb / serialExtracted);
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "extract_throughput: %s\n", e.Message.c_str());
        return 1;
    }
}
