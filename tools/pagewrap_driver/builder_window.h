// The builder's main window seen from outside: its edits, spin edits and the start button,
// found by class, style and place, and the steps of packing as the author takes them.
#pragma once
#include "tools/pagewrap_driver/remote_windows.h"

// Texts of the builder (code page 936).
extern const char kBuilderCaption[];   // the main window's caption
extern const char kStartCaption[];     // "开始打包"

struct TBuilderWindow {
    HWND Form = nullptr;
    HWND FolderEdit = nullptr;     // qvpath
    HWND HomePageEdit = nullptr;   // qvplay
    HWND HeightEdit = nullptr;     // chang
    HWND WidthEdit = nullptr;      // kuan
    HWND StartButton = nullptr;    // Button3
};

// The main window of a running builder (pid 0: any), waited for; false when it or one of its
// controls was not found.
bool FindBuilderWindow(DWORD pid, int timeoutMs, TBuilderWindow& window);

// Puts the texts in the folder and home-page edits and the numbers in the size edits, as the
// folder browser, the open dialog and typing would.
bool FillBuilder(const TBuilderWindow& window, const std::string& folder, const std::string& homePage,
                 const std::string& height, const std::string& width);

// Presses "开始打包" and waits for the message that ends the click (the packing window comes
// and goes in between). The message box is left open; nullptr when none came in time.
HWND StartPacking(const TBuilderWindow& window, int timeoutMs);
