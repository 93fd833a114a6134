#include "classlib/gui/handles.h"

#include <atomic>

#include "classlib/sysutils.h"

namespace {
std::atomic<long> gLiveGdiObjects{0};
}

void gui_internal::CountGdiObject(long delta) { gLiveGdiObjects += delta; }

long LiveGdiObjectCount() { return gLiveGdiObjects.load(); }

void ThrowLastError(const char* what) {
    DWORD code = GetLastError();
    char text[256] = {0};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) text[--n] = 0;
    throw EOSError(Format("%s failed (%lu)%s%s", what, static_cast<unsigned long>(code), n ? ": " : "", text));
}

TWindowDC::TWindowDC(HWND wnd, TArea area) : FWnd(wnd), FDC(area == daWindow ? GetWindowDC(wnd) : GetDC(wnd)) {
    if (FDC) gui_internal::CountGdiObject(1);
}

TWindowDC::~TWindowDC() {
    if (!FDC) return;
    ReleaseDC(FWnd, FDC);
    gui_internal::CountGdiObject(-1);
}

TMemoryDC::TMemoryDC(HDC compatible) : FDC(CreateCompatibleDC(compatible)) {
    if (FDC) gui_internal::CountGdiObject(1);
}

TMemoryDC::~TMemoryDC() {
    if (!FDC) return;
    DeleteDC(FDC);
    gui_internal::CountGdiObject(-1);
}
