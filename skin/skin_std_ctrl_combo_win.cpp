#include "skin/skin_std_ctrl_combo_win.h"

#include "classlib/gui/handles.h"
#include "classlib/gui/list_controls.h"
#include "skin/skin_ctrl_helpers_win.h"
#include "skin/skin_utils_win.h"

void PaintSkinComboFrame(TCanvas* canvas, const TRect& client, const RECT& button, TColor border, TColor field,
                         TColor buttonFace, bool rightToLeft, bool enabled) {
    FrameRectColor(canvas, client, border);
    FrameRectColor(canvas, client.Inflate(-1, -1), field);
    const RECT& b = button;
    if (b.right <= b.left || b.bottom <= b.top) return;
    FillRectColor(canvas, TRect(b.left, b.top, b.right, b.bottom), buttonFace);
    const int lineX = rightToLeft ? b.right - 1 : b.left;
    canvas->GetPen()->SetColor(border);
    canvas->MoveTo(lineX, b.top - 1);
    canvas->LineTo(lineX, b.bottom + 1);
    const int width = b.right - b.left, height = b.bottom - b.top;
    DrawComboArrow(canvas, b.left + width / 2 - 3, height / 2, enabled);
}

void TlumSkinComboBox::Paint() {
    auto* combo = dynamic_cast<TCustomComboBox*>(GetControl());
    HWND wnd = GetControlHandle();
    if (!combo || !wnd || combo->GetStyle() == csSimple) return;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;   // the size differs between 32 and 64 bits; a wrong one fails
    if (!LUMSkinUtils::GetComboBoxInfo(wnd, &info)) return;
    const TColor border = SkinColor(this, SKIN2_CONTROLBORDERCOLOR);

    if (combo->GetDroppedDown() && info.hwndList && IsWindow(info.hwndList)) {
        RECT list{};
        GetWindowRect(info.hwndList, &list);
        TWindowDC screen(nullptr, TWindowDC::daWindow);
        if (screen) {
            TBrushHandle brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(border))));
            if (brush) FrameRect(screen.Get(), &list, brush.Get());
        }
    }

    TWindowDC dc(wnd);
    if (!dc) return;
    TBorrowedCanvas canvas(dc.Get());
    PaintSkinComboFrame(canvas.Get(), combo->GetClientRect(), info.rcButton, border, combo->GetColor(),
                        SkinColor(this, SKIN2_CONTROLCOLOR), combo->GetBiDiMode() == bdRightToLeft, combo->GetEnabled());
}
