// Pieces shared by the files of the windowing layer only.
#pragma once
#include "classlib/gui/windows_api.h"

class TControl;

namespace gui_internal {

// Private messages of the application's hidden window.
constexpr UINT WM_PW_SYNC = WM_APP + 0x3A0;      // run pending Synchronize calls
constexpr UINT WM_PW_RELEASE = WM_APP + 0x3A1;   // lParam: a form to free

// The application's hidden window, or nullptr before the main thread made it (any thread).
HWND UtilityWindow();
// Makes sure the common control classes are registered.
void EnsureCommonControls();
// The module of the program (for window classes and resources).
HINSTANCE Instance();

}  // namespace gui_internal
