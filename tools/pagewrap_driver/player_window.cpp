#include "tools/pagewrap_driver/player_window.h"

#include <fstream>
#include <sstream>

const char kPlayerCaption[] = "浏览　";

HWND WaitForPlayerWindow(DWORD pid, int timeoutMs) { return WaitForTopWindow(pid, "TForm1", kPlayerCaption, timeoutMs); }

std::string WaitForPlayerLocation(HWND player, const std::string& reportFile, int timeoutMs) {
    const UINT message = RegisterWindowMessageA("qvplay.ReportLocation");
    const DWORD start = GetTickCount();
    std::string location;
    for (;;) {
        DeleteFileA(reportFile.c_str());
        DWORD_PTR answered = 0;
        if (SendMessageTimeoutA(player, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &answered) && answered) {
            std::ifstream in(reportFile, std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            location = text.str();
        }
        if (!location.empty() && _stricmp(location.c_str(), "about:blank") != 0) break;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) break;
        Sleep(50);
    }
    DeleteFileA(reportFile.c_str());
    return location;
}
