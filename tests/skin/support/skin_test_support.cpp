#include "tests/skin/support/skin_test_support.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "classlib/gui/application.h"
#include "tests/support/tempdir.h"

void TSkinGuiEnvironment::SetUp() {
    Application->Initialize();
    if (FRegisterSkins) FRegisterSkins();
}

TSkinEngineHost::TSkinEngineHost() : Form(new TForm(nullptr)) {
    std::string bytes = ReadWholeFile(SKIN_DEFAULT_FILE);
    Form->BeginLoading();
    Engine = new TlumSkinEngine(Form.get());
    Engine->SetActive(true);
    Engine->SetSkinAllForms(false);
    Engine->SetSkinDialogs(false);
    Engine->SetBuiltIn(true);
    Engine->ReadSkinData(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    Form->FinishLoading();
}

TSkinEngineHost& Host() {
    static TSkinEngineHost host;
    return host;
}

TSkinnedMainForm::TSkinnedMainForm(int left, int top, int width, int height) : Form(new TForm(nullptr)) {
    std::string bytes = ReadWholeFile(SKIN_DEFAULT_FILE);
    Form->SetBounds(left, top, width, height);
    Form->BeginLoading();
    Engine = new TlumSkinEngine(Form.get());
    Engine->SetActive(true);
    Engine->ReadSkinData(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    Form->FinishLoading();
    Form->Show();
}

void ProcessMessagesAWhile() {
    for (int i = 0; i < 5; ++i) {
        Application->ProcessMessages();
        Sleep(10);
    }
}

int FilesIn(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        if (std::string(data.cFileName) != "." && std::string(data.cFileName) != "..") ++count;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
}

void PlayInput(const std::vector<std::function<void()>>& steps, int delayMs) {
    std::atomic<bool> done{false};
    std::thread input([&] {
        for (const auto& step : steps) {
            step();
            Sleep(static_cast<DWORD>(delayMs));
        }
        done = true;
    });
    while (!done) {
        Application->ProcessMessages();
        Sleep(5);
    }
    input.join();
    ProcessMessagesAWhile();
}

void Pump(int ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() < end);
}

void MoveTo(POINT screen, int settleMs) {
    SetCursorPos(screen.x, screen.y);
    mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
    Pump(settleMs);
}

void Press(int settleMs) {
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    Pump(settleMs);
}

void Release(int settleMs) {
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    Pump(settleMs);
}

void Key(BYTE vk, bool down, int settleMs) {
    keybd_event(vk, 0, down ? 0 : KEYEVENTF_KEYUP, 0);
    Pump(settleMs);
}

POINT ScreenPoint(HWND wnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(wnd, &p);
    return p;
}

COLORREF ClientPixel(HWND wnd, int x, int y) {
    HDC dc = GetDC(wnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(wnd, dc);
    return c;
}

std::vector<int> ShownCells(HWND wnd, int x0, int y0, TSkinBitmapKey key, int cells) {
    const TColor trans = Host().Engine->Metrics().TransparentColor;
    HDC dc = GetDC(wnd);
    std::vector<int> shown;
    for (int k = 1; k <= cells; ++k) {
        TBitmap cell;
        Host().Engine->GetSkinBitmapPart(key, &cell, k, cells);
        bool same = !cell.Empty();
        for (int y = 0; y < cell.GetHeight() && same; ++y)
            for (int x = 0; x < cell.GetWidth() && same; ++x) {
                const TColor c = cell.GetCanvas()->GetPixel(x, y);
                same = c == trans || ColorToRGB(c) == GetPixel(dc, x0 + x, y0 + y);
            }
        if (same) shown.push_back(k);
    }
    ReleaseDC(wnd, dc);
    return shown;
}

bool Shows(const std::vector<int>& cells, int cell) { return std::find(cells.begin(), cells.end(), cell) != cells.end(); }

void TSkinFormTest::SetUp() {
    Host();
    Form = std::make_unique<TPlainTestForm>(FFormClass);
    Form->SetBounds(FBounds.left, FBounds.top, FBounds.right, FBounds.bottom);
    Form->Show();
    if (FTopmost) SetWindowPos(Form->GetHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(Form->GetHandle());
    Pump();
}
