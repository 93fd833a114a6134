#include "flatctrls/flat_edit.h"

#include <algorithm>

#include "classlib/gui/handles.h"
#include "flatctrls/flat_colors.h"

namespace {
constexpr int kRingWidth = 3;
}

int FontTextHeight(TFont* font) {
    TWindowDC screen(nullptr);
    if (!screen)
        return 0;
    TSelectObject selected(screen.Get(), font->GetHandle());
    TEXTMETRICA tm{};
    return GetTextMetricsA(screen.Get(), &tm) ? tm.tmHeight : 0;
}

TCustomFlatEdit::TCustomFlatEdit(TComponent* owner)
    : TCustomEdit(owner), FFocusedColor(clWhite), FBorderColor(0x8396A0), FFlatColor(0xE1EAEB) {
    TControl::SetParentFont(true);
    FParentFlatColor = true;
    SetAutoSize(false);
    SetCtl3D(false);
    SetBorderStyle(bsNone);
    SetControlStyle(GetControlStyle() & ~csFramed);
    SetBounds(0, 0, 121, 19);
    FUseAdvColors = false;
    FAdvColorFocused = 10;
    FAdvColorBorder = 50;
}

void TCustomFlatEdit::SetRingColor(TColor& field, TColor color) {
    field = color;
    RedrawBorder();
}

void TCustomFlatEdit::SetColorFlat(TColor color) {
    FParentFlatColor = false;
    SetRingColor(FFlatColor, color);
}

void TCustomFlatEdit::SetAdvAmount(uint8_t& field, uint8_t amount) {
    field = amount;
    if (FUseAdvColors) {
        CalcAdvColors();
        RedrawBorder();
    }
}

void TCustomFlatEdit::SetUseAdvColors(bool value) {
    if (value == FUseAdvColors)
        return;
    FUseAdvColors = value;
    SetParentColor(value);
    CalcAdvColors();
    RedrawBorder();
}

void TCustomFlatEdit::SetParentColor(bool value) {
    if (value == FParentFlatColor)
        return;
    FParentFlatColor = value;
    if (value && GetParent() != nullptr) {
        FFlatColor = GetParent()->GetColor();
        RedrawBorder();
    }
}

void TCustomFlatEdit::CalcAdvColors() {
    if (!FUseAdvColors)
        return;
    FFocusedColor = ShiftColor(FFlatColor, FFocusedColor, FAdvColorFocused, false);
    FBorderColor = ShiftColor(FFlatColor, FBorderColor, FAdvColorBorder, true);
}

void TCustomFlatEdit::AdjustHeight() {
    SetHeight(FontTextHeight(GetFont()) + 6);
}

bool TCustomFlatEdit::ShowsFocusedLook() {
    return HandleAllocated() && (Focused() || FMouseInControl);
}

void TCustomFlatEdit::RedrawBorder() {
    SetColor(ShowsFocusedLook() ? FFocusedColor : FFlatColor);
    HWND wnd = GetHandleIfAllocated();
    if (wnd == nullptr)
        return;
    TWindowDC dc(wnd, TWindowDC::daWindow);
    if (!dc)
        return;
    DrawBorder(dc.Get());
}

void TCustomFlatEdit::DrawBorder(HDC dc) {
    HWND wnd = GetHandleIfAllocated();
    if (wnd == nullptr)
        return;
    RECT r;
    GetWindowRect(wnd, &r);
    OffsetRect(&r, -r.left, -r.top);
    TBrushHandle border(CreateSolidBrush(ColorToRGB(FBorderColor)));
    TBrushHandle inner(CreateSolidBrush(ColorToRGB(ShowsFocusedLook() ? FFocusedColor : FFlatColor)));
    FrameRect(dc, &r, border.Get());
    for (int ring = 1; ring < kRingWidth; ++ring) {
        InflateRect(&r, -1, -1);
        FrameRect(dc, &r, inner.Get());
    }
}

void TCustomFlatEdit::ParentOrSystemColorChanged() {
    if (FUseAdvColors) {
        if (GetParent() != nullptr)
            FFlatColor = GetParent()->GetColor();
        CalcAdvColors();
    } else if (FParentFlatColor && GetParent() != nullptr) {
        FFlatColor = GetParent()->GetColor();
    }
    RedrawBorder();
}

void TCustomFlatEdit::HandleCreated() {
    TCustomEdit::HandleCreated();
    // The window's first size calculation may have run before our procedure saw it.
    SetWindowPos(GetHandleIfAllocated(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomFlatEdit::Loaded() {
    TCustomEdit::Loaded();
    AdjustHeight();
}

void TCustomFlatEdit::WndProc(TMessage& m) {
    switch (m.Msg) {
    case CM_SYSCOLORCHANGE:
    case CM_PARENTCOLORCHANGED:
        TCustomEdit::WndProc(m);
        ParentOrSystemColorChanged();
        return;
    case CM_MOUSEENTER:
        TCustomEdit::WndProc(m);
        if (GetActiveWindow() != nullptr) {
            FMouseInControl = true;
            RedrawBorder();
        }
        return;
    case CM_MOUSELEAVE:
        TCustomEdit::WndProc(m);
        FMouseInControl = false;
        RedrawBorder();
        return;
    case CM_ENABLEDCHANGED:
        TCustomEdit::WndProc(m);
        SetColor(GetEnabled() ? clWindow : clBtnFace);
        RedrawBorder();
        return;
    case CM_FONTCHANGED:
        TCustomEdit::WndProc(m);
        AdjustHeight();
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_NCPAINT:
        TCustomEdit::WndProc(m);
        RedrawBorder();
        return;
    case WM_NCCALCSIZE: {
        TCustomEdit::WndProc(m);
        // The first rectangle (also of NCCALCSIZE_PARAMS) is the client area.
        RECT* r = reinterpret_cast<RECT*>(m.LParam);
        r->left += kRingWidth;
        r->top += kRingWidth;
        r->right = std::max(r->left, r->right - kRingWidth);
        r->bottom = std::max(r->top, r->bottom - kRingWidth);
        return;
    }
    case WM_PRINT:
        TCustomEdit::WndProc(m);
        if (m.LParam & PRF_NONCLIENT)
            DrawBorder(reinterpret_cast<HDC>(m.WParam));
        return;
    default:
        TCustomEdit::WndProc(m);
    }
}
