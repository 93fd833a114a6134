// pagewrap_driver: works the builder's and the player's windows from the shell, one step per
// call, so that a script can take pictures in between (the main job does). Texts it prints
// are UTF-8; exit status 0 on success, 1 with a one-line reason otherwise.
//
//   pagewrap_driver fill FOLDER HOMEPAGE HEIGHT WIDTH   fill the builder's fields
//   pagewrap_driver start                               press "开始打包", print the message that
//                                                       ends the run (left open); 0 when packed
//   pagewrap_driver dismiss                             answer the builder's open message box
//   pagewrap_driver close-builder                       close the builder's main window
//   pagewrap_driver player-location REPORT_FILE         wait for a book's window and print the
//                                                       address it shows (the book was started
//                                                       with QVPLAY_LOCATION_FILE=REPORT_FILE)
//   pagewrap_driver close-player                        close the book's window
//   pagewrap_driver run NAME=VALUE... -- PROGRAM        run a program with these variables
//                                                       added to its environment (Wine takes
//                                                       TEMP and TMP from its registry, not
//                                                       from the shell) and wait for its end
// The windows' rectangles are printed as "rect LEFT TOP WIDTH HEIGHT".
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/pagewrap_driver/builder_window.h"
#include "tools/pagewrap_driver/player_window.h"

namespace {

const int kWindowWait = 30000;
const int kPackingWait = 300000;
const char kPackedPrefix[] = "打包完成";

int Fail(const std::string& reason) {
    std::fprintf(stderr, "pagewrap_driver: %s\n", reason.c_str());
    return 1;
}

void PrintRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    std::printf("rect %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
}

DWORD ProcessOf(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    return pid;
}

int CloseTopWindow(HWND w) {
    PostMessageA(w, WM_CLOSE, 0, 0);
    return WaitForWindowGone(w, kWindowWait) ? 0 : Fail("the window did not close");
}

int Run(int argc, char** argv) {
    if (argc < 2) return Fail("usage: pagewrap_driver fill|start|dismiss|close-builder|player-location|close-player|run");
    const std::string command = argv[1];
    if (command == "fill" && argc == 6) {
        TBuilderWindow window;
        if (!FindBuilderWindow(0, kWindowWait, window)) return Fail("no builder window");
        if (!FillBuilder(window, argv[2], argv[3], argv[4], argv[5])) return Fail("the builder did not take the texts");
        PrintRect(window.Form);
        return 0;
    }
    if (command == "start" && argc == 2) {
        TBuilderWindow window;
        if (!FindBuilderWindow(0, kWindowWait, window)) return Fail("no builder window");
        HWND box = StartPacking(window, kPackingWait);
        if (!box) return Fail("no message after packing");
        const std::string text = DialogText(box);
        std::printf("%s\n", AnsiToUtf8(text).c_str());
        PrintRect(window.Form);
        return text.compare(0, std::strlen(kPackedPrefix), kPackedPrefix) == 0 ? 0 : 1;
    }
    if (command == "dismiss" && argc == 2) {
        HWND form = WaitForTopWindow(0, "TForm1", kBuilderCaption, kWindowWait);
        if (!form) return Fail("no builder window");
        HWND box = WaitForMessageBox(ProcessOf(form), kWindowWait);
        if (!box) return Fail("no message box");
        DismissMessageBox(box);
        return WaitForWindowGone(box, kWindowWait) ? 0 : Fail("the message box stayed");
    }
    if (command == "close-builder" && argc == 2) {
        HWND form = WaitForTopWindow(0, "TForm1", kBuilderCaption, kWindowWait);
        return form ? CloseTopWindow(form) : Fail("no builder window");
    }
    if (command == "player-location" && argc == 3) {
        HWND player = WaitForPlayerWindow(0, kWindowWait);
        if (!player) return Fail("no book window");
        const std::string location = WaitForPlayerLocation(player, argv[2], kWindowWait);
        if (location.empty()) return Fail("the book showed no page");
        std::printf("%s\n", AnsiToUtf8(location).c_str());
        PrintRect(player);
        return 0;
    }
    if (command == "close-player" && argc == 2) {
        HWND player = WaitForPlayerWindow(0, kWindowWait);
        return player ? CloseTopWindow(player) : Fail("no book window");
    }
    if (command == "run") {
        TEnvironment env;
        int i = 2;
        for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
            const char* eq = std::strchr(argv[i], '=');
            if (!eq || eq == argv[i]) return Fail(std::string("not NAME=VALUE: ") + argv[i]);
            env.emplace_back(std::string(argv[i], static_cast<size_t>(eq - argv[i])), std::string(eq + 1));
        }
        if (i + 1 >= argc) return Fail("run: no program after --");
        std::string args;
        for (int j = i + 2; j < argc; ++j) args += (args.empty() ? "\"" : " \"") + std::string(argv[j]) + "\"";
        DWORD pid = 0;
        HANDLE process = StartProgram(argv[i + 1], args, env, pid);
        if (!process) return Fail(std::string("cannot start ") + argv[i + 1]);
        WaitForSingleObject(process, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(process, &code);
        CloseHandle(process);
        return static_cast<int>(code);
    }
    return Fail("unknown command or wrong arguments: " + command);
}

}  // namespace

int main(int argc, char** argv) {
    const int status = Run(argc, argv);
    std::fflush(stdout);
    return status;
}
