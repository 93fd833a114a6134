// A shown form for the flat-control tests, with helpers to let its messages run and to read
// the pixels it draws.
#pragma once
#include <gtest/gtest.h>

#include "classlib/gui/application.h"
#include "classlib/gui/forms.h"

class FlatFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        SetCursorPos(0, 0);   // away from every control: no hover looks
        form = new TForm(nullptr);
        form->SetBounds(60, 60, 420, 300);
        form->SetCaption("flat controls");
    }

    void TearDown() override {
        delete form;
        Pump(20);
    }

    // Ends the form's construction (its controls are Loaded) and shows it in front.
    void ShowForm() {
        form->AfterConstruction();
        form->Show();
        SetForegroundWindow(form->GetHandle());
        Pump(150);
    }

    // Handles the program's messages (timers included) for the given time.
    static void Pump(DWORD ms) {
        const ULONGLONG end = GetTickCount64() + ms;
        do {
            Application->ProcessMessages();
            Sleep(1);
        } while (GetTickCount64() < end);
    }

    // Posts a mouse message to a window at a point of its client area and lets it run.
    static void PostMouse(HWND wnd, UINT msg, int x, int y, WPARAM keys) {
        PostMessageA(wnd, msg, keys, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
        Application->ProcessMessages();
    }

    // Paints a window now and reads one pixel of its client area from the screen.
    static COLORREF ClientPixel(HWND wnd, int x, int y) {
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        HDC dc = GetDC(wnd);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(wnd, dc);
        return c;
    }

    TForm* form = nullptr;
};
