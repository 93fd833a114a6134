#include "skin/skin_std_ctrl_grid_win.h"

#include "classlib/gui/common_controls.h"
#include "classlib/gui/grids.h"
#include "classlib/gui/handles.h"
#include "skin/skin_utils_win.h"

// ---- grids

void TlumSkinGrid::SaveOriginal() {
    TlumSkinScrollWinControl::SaveOriginal();
    if (auto* grid = dynamic_cast<TCustomGrid*>(GetControl())) FOriginalFixedColor = grid->GetFixedColor();
}

// The heading colour is read once, before the skin: a colour set by an earlier skin load is not
// the grid's own.
void TlumSkinGrid::ApplySkinColours() {
    TlumSkinScrollWinControl::ApplySkinColours();
    auto* grid = dynamic_cast<TCustomGrid*>(GetControl());
    if (!grid) return;
    const bool active = FEngine && FEngine->IsSkinActive();
    grid->SetFixedColor(active ? SkinColor(this, SKIN2_FORMCOLOR) : FOriginalFixedColor);
}

void TlumSkinGrid::Restore() {
    if (auto* grid = dynamic_cast<TCustomGrid*>(GetControl())) grid->SetFixedColor(FOriginalFixedColor);
    TlumSkinScrollWinControl::Restore();
}

// ---- status bars

void TlumSkinStatusBar::Paint() {
    auto* bar = dynamic_cast<TCustomStatusBar*>(GetControl());
    HWND wnd = GetControlHandle();
    if (!bar || !wnd || !bar->GetSizeGrip()) return;
    const int width = bar->GetWidth(), height = bar->GetHeight();
    if (width <= 0 || height <= 0) return;
    TWindowDC dc(wnd);
    if (!dc) return;
    TCanvas canvas;
    canvas.SetHandle(dc.Get());
    const TColor color = bar->GetColor();
    const TRect g(width - 16, height - 15, width - 1, height - 1);
    FillRectColor(&canvas, g, color);
    canvas.GetPen()->SetColor(clInactiveCaption);
    canvas.GetPen()->SetWidth(1);
    canvas.MoveTo(g.Left + 1, g.Bottom);
    canvas.LineTo(g.Right, g.Top);
    for (int i = 0; i < 3; ++i) {
        canvas.MoveTo(g.Left + 4 * i + 5, g.Bottom);
        canvas.LineTo(g.Right, g.Top + 4 * i + 4);
    }
    if (height - 15 > 3) FillRectColor(&canvas, TRect(width - 16, 3, width - 1, height - 15), color);
    FillRectColor(&canvas, TRect(width - 20, 3, width - 16, height - 1), color);
    canvas.SetHandle(nullptr);
}
