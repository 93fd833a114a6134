#include "tools/pagewrap_driver/builder_window.h"

#include <algorithm>

const char kBuilderCaption[] = "PAGEWRAP1.1";
const char kStartCaption[] = "开始打包";

namespace {

RECT ScreenRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

}  // namespace

bool FindBuilderWindow(DWORD pid, int timeoutMs, TBuilderWindow& window) {
    window = TBuilderWindow();
    window.Form = WaitForTopWindow(pid, "TForm1", kBuilderCaption, timeoutMs);
    if (!window.Form) return false;
    // The page with the fields is the one shown: the two read-only edits are the folder (above)
    // and the home page; the two others are the spin edits, height left of width.
    std::vector<HWND> readOnly, numbers;
    for (HWND w : Descendants(window.Form)) {
        if (!IsWindowVisible(w)) continue;
        const std::string cls = WindowClass(w);
        if (_stricmp(cls.c_str(), "Button") == 0 && WindowText(w) == kStartCaption) window.StartButton = w;
        if (_stricmp(cls.c_str(), "Edit") != 0) continue;
        // (The spin edits are multi-line edits of one line; the memo is on the hidden page.)
        const LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE);
        (style & ES_READONLY ? readOnly : numbers).push_back(w);
    }
    if (readOnly.size() != 2 || numbers.size() != 2 || !window.StartButton) return false;
    std::sort(readOnly.begin(), readOnly.end(), [](HWND a, HWND b) { return ScreenRect(a).top < ScreenRect(b).top; });
    std::sort(numbers.begin(), numbers.end(), [](HWND a, HWND b) { return ScreenRect(a).left < ScreenRect(b).left; });
    window.FolderEdit = readOnly[0];
    window.HomePageEdit = readOnly[1];
    window.HeightEdit = numbers[0];
    window.WidthEdit = numbers[1];
    return true;
}

bool FillBuilder(const TBuilderWindow& window, const std::string& folder, const std::string& homePage,
                 const std::string& height, const std::string& width) {
    return SetRemoteText(window.FolderEdit, folder) && SetRemoteText(window.HomePageEdit, homePage) &&
           SetRemoteText(window.HeightEdit, height) && SetRemoteText(window.WidthEdit, width);
}

HWND StartPacking(const TBuilderWindow& window, int timeoutMs) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window.Form, &pid);
    PressButton(window.StartButton);
    return WaitForMessageBox(pid, timeoutMs);
}
