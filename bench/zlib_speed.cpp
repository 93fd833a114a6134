// The speed of the zlib the program is linked with: raw Deflate level 6 of every file of a
// folder held in memory, then Inflate of the result, on one thread. The times are the
// thread's CPU time, so that other work on a busy machine disturbs them little; bench/
// run_bench.sh runs it from a build with Debian's mingw zlib and one with the project's.
//
// usage: zlib_speed FOLDER [--runs N]
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

#include "bench/corpus_files.h"
#include "classlib/classes.h"

namespace {

double ThreadSeconds() {
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto value = [](const FILETIME& f) { return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return static_cast<double>(value(user) + value(kernel)) / 1e7;
#else
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
#endif
}

std::vector<std::string> DeflateAll(const std::vector<std::string>& files) {
    std::vector<std::string> out;
    for (const std::string& data : files) {
        z_stream z{};
        if (deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw Exception("deflateInit2");
        std::string packed(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        z.avail_in = static_cast<uInt>(data.size());
        z.next_out = reinterpret_cast<Bytef*>(&packed[0]);
        z.avail_out = static_cast<uInt>(packed.size());
        if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw Exception("deflate");
        packed.resize(z.total_out);
        deflateEnd(&z);
        out.push_back(std::move(packed));
    }
    return out;
}

void InflateAll(const std::vector<std::string>& packed, const std::vector<std::string>& files) {
    std::string plain;
    for (size_t i = 0; i < packed.size(); ++i) {
        z_stream z{};
        if (inflateInit2(&z, -15) != Z_OK) throw Exception("inflateInit2");
        plain.resize(files[i].size() + 1);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed[i].data()));
        z.avail_in = static_cast<uInt>(packed[i].size());
        z.next_out = reinterpret_cast<Bytef*>(&plain[0]);
        z.avail_out = static_cast<uInt>(plain.size());
        if (inflate(&z, Z_FINISH) != Z_STREAM_END || z.total_out != files[i].size()) throw Exception("inflate");
        inflateEnd(&z);
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zlib_speed FOLDER [--runs N]\n");
        return 2;
    }
    int runs = 5;
    for (int i = 2; i + 1 < argc; i += 2)
        if (std::string(argv[i]) == "--runs") runs = std::max(1, StrToInt(argv[i + 1]));
    try {
        int64_t bytes = 0;
        const std::vector<std::string> files = LoadFolder(IncludeTrailingPathDelimiter(argv[1]), bytes);
        std::vector<double> deflateTimes, inflateTimes;
        for (int r = 0; r < runs; ++r) {
            double t0 = ThreadSeconds();
            const std::vector<std::string> packed = DeflateAll(files);
            double t1 = ThreadSeconds();
            InflateAll(packed, files);
            double t2 = ThreadSeconds();
            deflateTimes.push_back(t1 - t0);
            inflateTimes.push_back(t2 - t1);
        }
        const double mb = static_cast<double>(bytes) / 1e6;
        auto line = [&](const char* what, const std::vector<double>& t) {
            std::printf("zlib %s %s  %.3f s CPU (%.3f-%.3f)  %6.1f MB/s\n", zlibVersion(), what, Median(t),
                        *std::min_element(t.begin(), t.end()), *std::max_element(t.begin(), t.end()), mb / Median(t));
        };
        line("deflate 6", deflateTimes);
        line("inflate  ", inflateTimes);
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "zlib_speed: %s\n", e.Message.c_str());
        return 1;
    }
}
