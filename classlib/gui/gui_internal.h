// Pieces shared by the files of the windowing layer only.
#pragma once
#include "classlib/gui/windows_api.h"

#include <initializer_list>

#include "classlib/sysutils.h"

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

// Whether name is one of names (for HasProperty).
inline bool NameIn(const AnsiString& name, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (name == n) return true;
    return false;
}

}  // namespace gui_internal
