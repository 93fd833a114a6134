// The player's browser window seen from outside, and its test-only location report.
#pragma once
#include "tools/pagewrap_driver/remote_windows.h"

extern const char kPlayerCaption[];   // the browser window's caption

// The browser window of a running book (pid 0: any), waited for.
HWND WaitForPlayerWindow(DWORD pid, int timeoutMs);

// The address the player's browser shows, asked for until it is neither empty nor about:blank
// or timeoutMs has passed. The player must have been started with QVPLAY_LOCATION_FILE naming
// reportFile.
std::string WaitForPlayerLocation(HWND player, const std::string& reportFile, int timeoutMs);
