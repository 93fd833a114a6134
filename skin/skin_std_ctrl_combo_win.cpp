#include "skin/skin_std_ctrl_combo_win.h"

#include "classlib/gui/handles.h"
#include "classlib/gui/list_controls.h"
#include "skin/skin_utils_win.h"

namespace {

// Detaches a borrowed DC from the canvas on every path.
struct TCanvasOnDC {
    TCanvasOnDC(TCanvas& canvas, HDC dc) : Canvas(canvas) { Canvas.SetHandle(dc); }
    ~TCanvasOnDC() { Canvas.SetHandle(nullptr); }
    TCanvasOnDC(const TCanvasOnDC&) = delete;
    TCanvasOnDC& operator=(const TCanvasOnDC&) = delete;
    TCanvas& Canvas;
};

}  // namespace

void TlumSkinComboBox::Paint() {
    auto* combo = dynamic_cast<TCustomComboBox*>(GetControl());
    HWND wnd = GetControlHandle();
    if (!combo || !wnd || combo->GetStyle() == csSimple) return;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;   // the size differs between 32 and 64 bits; a wrong one fails
    if (!LUMSkinUtils::GetComboBoxInfo(wnd, &info)) return;
    const TColor border = SkinColor(this, SKIN2_CONTROLBORDERCOLOR);

    TWindowDC dc(wnd);
    if (!dc) return;
    TCanvas canvas;
    TCanvasOnDC attached(canvas, dc.Get());
    const TRect client = combo->GetClientRect();
    FrameRectColor(&canvas, client, border);
    FrameRectColor(&canvas, client.Inflate(-1, -1), combo->GetColor());

    if (combo->GetDroppedDown() && info.hwndList && IsWindow(info.hwndList)) {
        RECT list{};
        GetWindowRect(info.hwndList, &list);
        TWindowDC screen(nullptr, TWindowDC::daWindow);
        if (screen) {
            TBrushHandle brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(border))));
            if (brush) FrameRect(screen.Get(), &list, brush.Get());
        }
    }

    const RECT& b = info.rcButton;
    if (b.right <= b.left || b.bottom <= b.top) return;
    FillRectColor(&canvas, TRect(b.left, b.top, b.right, b.bottom), SkinColor(this, SKIN2_CONTROLCOLOR));
    const int lineX = combo->GetBiDiMode() == bdRightToLeft ? b.right - 1 : b.left;
    canvas.GetPen()->SetColor(border);
    canvas.MoveTo(lineX, b.top - 1);
    canvas.LineTo(lineX, b.bottom + 1);
    const int width = b.right - b.left, height = b.bottom - b.top;
    DrawComboArrow(&canvas, b.left + width / 2 - 3, height / 2, combo->GetEnabled());
}
