#include "classlib/gui/grids.h"

#include <algorithm>

#include "classlib/gui/gui_internal.h"

using gui_internal::NameIn;

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner) {
    FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
    FTabStop = true;
    FWidth = 320;
    FHeight = 120;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
}

bool TCustomGrid::HasProperty(const AnsiString& name) const {
    return NameIn(name, {"BorderStyle", "BevelEdges", "Color", "ParentColor"});
}

void TCustomGrid::CreateParams(TCreateParams& p) {
    TCustomControl::CreateParams(p);
    p.Style |= WS_HSCROLL | WS_VSCROLL;
    if (FBorderStyle == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomGrid::HandleCreated() { UpdateScrollBars(); }

int TCustomGrid::ColLeft(int col) const {
    int step = FDefaultColWidth + FGridLineWidth;
    if (col < FFixedCols) return col * step;
    return FFixedCols * step + (col - FLeftCol) * step;
}

int TCustomGrid::RowTop(int row) const {
    int step = FDefaultRowHeight + FGridLineWidth;
    if (row < FFixedRows) return row * step;
    return FFixedRows * step + (row - FTopRow) * step;
}

int TCustomGrid::VisibleCols() const {
    int step = std::max(1, FDefaultColWidth + FGridLineWidth);
    return std::max(1, (GetClientWidth() - FFixedCols * step) / step);
}

int TCustomGrid::VisibleRows() const {
    int step = std::max(1, FDefaultRowHeight + FGridLineWidth);
    return std::max(1, (GetClientHeight() - FFixedRows * step) / step);
}

TRect TCustomGrid::CellRect(int col, int row) const {
    if (col < 0 || col >= FColCount || row < 0 || row >= FRowCount) return TRect();
    if ((col >= FFixedCols && col < FLeftCol) || (row >= FFixedRows && row < FTopRow)) return TRect();
    int left = ColLeft(col), top = RowTop(row);
    if (left >= GetClientWidth() || top >= GetClientHeight()) return TRect();
    return TRect(left, top, left + FDefaultColWidth, top + FDefaultRowHeight);
}

bool TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const {
    if (x < 0 || y < 0) return false;
    int colStep = std::max(1, FDefaultColWidth + FGridLineWidth), rowStep = std::max(1, FDefaultRowHeight + FGridLineWidth);
    int fixedWidth = FFixedCols * colStep, fixedHeight = FFixedRows * rowStep;
    col = x < fixedWidth ? x / colStep : FLeftCol + (x - fixedWidth) / colStep;
    row = y < fixedHeight ? y / rowStep : FTopRow + (y - fixedHeight) / rowStep;
    return col < FColCount && row < FRowCount;
}

void TCustomGrid::Paint() {
    TCanvas* canvas = GetCanvas();
    TRect client = GetClientRect();
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(FColor);
    canvas->FillRect(client);
    canvas->SetFont(FFont.get());
    auto visibleCells = [&](int fixed, int first, int count, auto edge, int limit, auto&& each) {
        for (int i = 0; i < count; ++i) {
            if (i >= fixed && i < first) continue;
            if (edge(i) >= limit) break;
            each(i);
        }
    };
    visibleCells(FFixedRows, FTopRow, FRowCount, [this](int r) { return RowTop(r); }, client.Bottom, [&](int row) {
        visibleCells(FFixedCols, FLeftCol, FColCount, [this](int c) { return ColLeft(c); }, client.Right, [&](int col) {
            TRect r = CellRect(col, row);
            TGridDrawState state = 0;
            if (col < FFixedCols || row < FFixedRows) state |= gdFixed;
            else if (col == FCol && row == FRow) state |= gdSelected | (Focused() ? gdFocused : 0);
            if (FGridLineWidth > 0) {
                canvas->GetBrush()->SetColor(clBtnShadow);
                canvas->FillRect(TRect(r.Left, r.Top, r.Right + FGridLineWidth, r.Bottom + FGridLineWidth));
            }
            canvas->GetBrush()->SetColor((state & gdFixed) ? FFixedColor : (state & gdSelected) ? clHighlight : FColor);
            canvas->FillRect(r);
            if (state & gdFixed) {
                RECT edge = ToRECT(r);
                DrawEdge(canvas->GetHandle(), &edge, BDR_RAISEDINNER, BF_RECT);
            }
            DrawCell(col, row, r, state);
        });
    });
}

void TCustomGrid::FocusCell(int col, int row) {
    col = std::min(std::max(col, FFixedCols), FColCount - 1);
    row = std::min(std::max(row, FFixedRows), FRowCount - 1);
    FCol = col;
    FRow = row;
    if (FCol < FLeftCol) FLeftCol = FCol;
    if (FCol >= FLeftCol + VisibleCols()) FLeftCol = FCol - VisibleCols() + 1;
    if (FRow < FTopRow) FTopRow = FRow;
    if (FRow >= FTopRow + VisibleRows()) FTopRow = FRow - VisibleRows() + 1;
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::UpdateScrollBars() {
    if (!HandleAllocated()) return;
    auto set = [this](int bar, int fixed, int count, int visible, int first) {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
        si.nMin = fixed;
        si.nMax = std::max(fixed, count - 1);
        si.nPage = static_cast<UINT>(visible);
        si.nPos = first;
        SetScrollInfo(FHandle, bar, &si, TRUE);
    };
    set(SB_HORZ, FFixedCols, FColCount, VisibleCols(), FLeftCol);
    set(SB_VERT, FFixedRows, FRowCount, VisibleRows(), FTopRow);
}

void TCustomGrid::Scroll(int bar, WORD code) {
    bool horizontal = bar == SB_HORZ;
    int& first = horizontal ? FLeftCol : FTopRow;
    int fixed = horizontal ? FFixedCols : FFixedRows;
    int count = horizontal ? FColCount : FRowCount;
    int page = horizontal ? VisibleCols() : VisibleRows();
    int position = first;
    switch (code) {
        case SB_LINEUP: --position; break;
        case SB_LINEDOWN: ++position; break;
        case SB_PAGEUP: position -= page; break;
        case SB_PAGEDOWN: position += page; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: {
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_TRACKPOS;
            if (GetScrollInfo(FHandle, bar, &si)) position = si.nTrackPos;
            break;
        }
        case SB_TOP: position = fixed; break;
        case SB_BOTTOM: position = count - page; break;
        default: return;
    }
    position = std::max(fixed, std::min(position, count - page));
    if (position == first) return;
    first = position;
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        int col, row;
        if (MouseToCell(x, y, col, row) && col >= FFixedCols && row >= FFixedRows) FocusCell(col, row);
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomGrid::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (m.LParam == 0) {
                Scroll(m.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(m.WParam));
                return;
            }
            break;
        case WM_SIZE:
            TCustomControl::WndProc(m);
            UpdateScrollBars();
            return;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            TCustomControl::WndProc(m);
            Invalidate();
            return;
        default:
            break;
    }
    TCustomControl::WndProc(m);
}

void TCustomGrid::SetColCount(int v) {
    FColCount = std::max(v, 1);
    FFixedCols = std::min(FFixedCols, FColCount - 1);
    FocusCell(FCol, FRow);
}

void TCustomGrid::SetRowCount(int v) {
    FRowCount = std::max(v, 1);
    FFixedRows = std::min(FFixedRows, FRowCount - 1);
    FocusCell(FCol, FRow);
}

void TCustomGrid::SetFixedCols(int v) {
    if (v < 0 || v >= FColCount) throw EInvalidOperation("Fixed column count must be less than column count");
    FFixedCols = v;
    FLeftCol = std::max(FLeftCol, v);
    FocusCell(FCol, FRow);
}

void TCustomGrid::SetFixedRows(int v) {
    if (v < 0 || v >= FRowCount) throw EInvalidOperation("Fixed row count must be less than row count");
    FFixedRows = v;
    FTopRow = std::max(FTopRow, v);
    FocusCell(FCol, FRow);
}

void TCustomGrid::SetDefaultColWidth(int v) {
    FDefaultColWidth = std::max(v, 0);
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetDefaultRowHeight(int v) {
    FDefaultRowHeight = std::max(v, 0);
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor v) {
    if (v == FFixedColor) return;
    FFixedColor = v;
    Invalidate();
}

void TCustomGrid::SetGridLineWidth(int v) {
    FGridLineWidth = std::max(v, 0);
    Invalidate();
}

void TCustomGrid::SetBorderStyle(TBorderStyle v) {
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    RecreateWnd();
}

void TDrawGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
    if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}
