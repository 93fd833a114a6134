// Times opening a book to its home page: from starting the book until its browser window
// reports an address other than about:blank (the player's location report, asked for every
// 50 ms), then closes the book and waits for its end. Runs the book RUNS times and prints
// every time, the median and the spread.
//
// usage: open_book_timer BOOK REPORT_FILE [RUNS]
// Run it only where the player's clean-up cannot reach anything of value (a sandbox prefix).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/pagewrap_driver/player_window.h"
#include "tools/pagewrap_driver/remote_windows.h"

namespace {
constexpr int kWait = 60000;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: open_book_timer BOOK REPORT_FILE [RUNS]\n");
        return 2;
    }
    const std::string book = argv[1], report = argv[2];
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        DWORD pid = 0;
        const auto t0 = std::chrono::steady_clock::now();
        HANDLE process = StartProgram(book, "", {{"QVPLAY_LOCATION_FILE", report}}, pid);
        if (!process) {
            std::fprintf(stderr, "open_book_timer: cannot start %s\n", book.c_str());
            return 1;
        }
        HWND player = WaitForPlayerWindow(pid, kWait);
        const std::string location = player ? WaitForPlayerLocation(player, report, kWait) : std::string();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (player) PostMessageA(player, WM_CLOSE, 0, 0);
        WaitForExit(process, kWait);
        CloseHandle(process);
        if (location.empty()) {
            std::fprintf(stderr, "open_book_timer: the book showed no page\n");
            return 1;
        }
        times.push_back(seconds);
        std::printf("  run %d: %.3f s (%s)\n", i + 1, seconds, location.c_str());
    }
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted.size() % 2 ? sorted[sorted.size() / 2]
                                            : (sorted[sorted.size() / 2 - 1] + sorted[sorted.size() / 2]) / 2;
    std::printf("median %.3f s, spread %.3f .. %.3f s over %d runs\n", median, sorted.front(), sorted.back(), runs);
    return 0;
}
