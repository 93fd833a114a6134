#include <windows.h>

#include "skindata/gw_utils.h"

namespace {

TgwMonitorFunctions LookUp() {
    TgwMonitorFunctions f;
    // user32 is loaded by every GUI program; no reference of our own is taken.
    HMODULE user32 = GetModuleHandleA("user32.dll");
    f.User32 = reinterpret_cast<void*>(user32);
    if (user32) {
        f.MonitorFromWindow = reinterpret_cast<void*>(GetProcAddress(user32, "MonitorFromWindow"));
        f.GetMonitorInfoA = reinterpret_cast<void*>(GetProcAddress(user32, "GetMonitorInfoA"));
    }
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    f.IsNT = GetVersionExA(&vi) && vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
    return f;
}

}  // namespace

const TgwMonitorFunctions& GetMonitorFunctions() {
    static const TgwMonitorFunctions functions = LookUp();
    return functions;
}
