// The archive writer against the raw codec, in one process: TArcZip zipping a folder as
// the builder does (Deflate level N, password, relative paths) against zlib's raw Deflate
// at the same level plus the traditional encryption of the same files held in memory, one
// Deflate stream per file as in the archive.
//
// usage: writer_throughput FOLDER ARCHIVE [--password P] [--level N] [--runs N] [--threads N]
// Prints the median time of each over the runs with its spread (fastest to slowest) and
// the ratio of the medians (writer / raw). --threads sets the writer's worker threads (0,
// the default, one per core; 1 none); the raw codec runs on one thread.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/corpus_files.h"
#include "classlib/classes.h"
#include "tools/ziptool/builder_settings.h"
#include "ziparchive/arc_zip.h"
#include "ziparchive/zip_crypt.h"

namespace {

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Raw Deflate of each file plus the encryption of its output; the compressed total.
int64_t RawCodec(const std::vector<std::string>& files, int level, const std::string& password) {
    int64_t total = 0;
    std::vector<uint8_t> out;
    for (const std::string& data : files) {
        z_stream z{};
        if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw Exception("deflateInit2");
        out.resize(deflateBound(&z, static_cast<uLong>(data.size())) + 12);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        z.avail_in = static_cast<uInt>(data.size());
        z.next_out = out.data() + 12;
        z.avail_out = static_cast<uInt>(out.size() - 12);
        if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw Exception("deflate");
        const size_t n = 12 + z.total_out;
        deflateEnd(&z);
        if (!password.empty()) {
            TZipKeys keys;
            keys.InitKeys(password);
            keys.EncryptBuffer(out.data(), n);
        }
        total += static_cast<int64_t>(n);
    }
    return total;
}

int64_t Writer(const AnsiString& folder, const AnsiString& archive, int level, const std::string& password,
               int threads) {
    RemoveFile(archive);
    TArcZip zip(nullptr);
    UseBuilderSettings(zip, folder, archive, password, level);
    zip.SetWorkerThreads(threads);
    zip.Zip();
    return FileSizeByName(archive);
}

struct TTimes {
    std::vector<double> Runs;
    double Median() {
        std::sort(Runs.begin(), Runs.end());
        const size_t n = Runs.size();
        return n % 2 ? Runs[n / 2] : (Runs[n / 2 - 1] + Runs[n / 2]) / 2;
    }
    double Min() { return *std::min_element(Runs.begin(), Runs.end()); }
    double Max() { return *std::max_element(Runs.begin(), Runs.end()); }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: writer_throughput FOLDER ARCHIVE [--password P] [--level N] [--runs N]\n");
        return 2;
    }
    const AnsiString folder = IncludeTrailingPathDelimiter(argv[1]), archive = argv[2];
    std::string password;
    int level = 6, runs = 3, threads = 0;
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--password") password = argv[i + 1];
        else if (a == "--level") level = StrToInt(argv[i + 1]);
        else if (a == "--runs") runs = std::max(1, StrToInt(argv[i + 1]));
        else if (a == "--threads") threads = std::max(0, StrToInt(argv[i + 1]));
    }
    try {
        int64_t bytes = 0;
        const std::vector<std::string> files = LoadFolder(folder, bytes);
        TTimes raw, writer;
        int64_t rawOut = 0, archiveSize = 0;
        for (int r = 0; r < runs; ++r) {
            auto t0 = std::chrono::steady_clock::now();
            rawOut = RawCodec(files, level, password);
            raw.Runs.push_back(Seconds(std::chrono::steady_clock::now() - t0));
            t0 = std::chrono::steady_clock::now();
            archiveSize = Writer(folder, archive, level, password, threads);
            writer.Runs.push_back(Seconds(std::chrono::steady_clock::now() - t0));
        }
        const double mb = static_cast<double>(bytes) / 1e6;
        std::printf("corpus                         %zu files, %.1f MB; median of %d (fastest-slowest)\n", files.size(),
                    mb, runs);
        std::printf("raw Deflate %d + encryption     %.3f s (%.3f-%.3f)  %6.1f MB/s  (%.1f MB out, one thread)\n", level,
                    raw.Median(), raw.Min(), raw.Max(), mb / raw.Median(), static_cast<double>(rawOut) / 1e6);
        std::printf("writer (TArcZip.Zip)           %.3f s (%.3f-%.3f)  %6.1f MB/s  (%.1f MB archive, threads %s)\n",
                    writer.Median(), writer.Min(), writer.Max(), mb / writer.Median(),
                    static_cast<double>(archiveSize) / 1e6, threads == 0 ? "per core" : std::to_string(threads).c_str());
        std::printf("writer / raw                   %.3f\n", writer.Median() / raw.Median());
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "writer_throughput: %s\n", e.Message.c_str());
        return 1;
    }
}
