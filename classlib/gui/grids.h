// Grids: cells in rows and columns, drawn by the grid or by the program.
#pragma once
#include "classlib/gui/windows_api.h"

#include "classlib/gui/controls.h"

using TGridDrawState = uint8_t;
enum : TGridDrawState { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TDrawCellEvent = std::function<void(TObject* sender, int col, int row, const TRect& rect, TGridDrawState state)>;

// A window of our own class showing a grid of cells of DefaultColWidth by DefaultRowHeight.
// The first FixedCols columns and FixedRows rows are headings in FixedColor and stay in place
// while the rest scrolls; the current cell (Col, Row) is selected.
class TCustomGrid : public TCustomControl {
public:
    explicit TCustomGrid(TComponent* owner);
    const char* ClassName() const override { return "TCustomGrid"; }
    bool HasProperty(const AnsiString& name) const override;
    int GetColCount() const { return FColCount; }
    void SetColCount(int v);
    int GetRowCount() const { return FRowCount; }
    void SetRowCount(int v);
    // Kept below ColCount and RowCount.
    int GetFixedCols() const { return FFixedCols; }
    void SetFixedCols(int v);
    int GetFixedRows() const { return FFixedRows; }
    void SetFixedRows(int v);
    int GetDefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int v);
    int GetDefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int v);
    TColor GetFixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor v);
    int GetGridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int v);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    // The current cell (never a fixed one).
    int GetCol() const { return FCol; }
    void SetCol(int v) { FocusCell(v, FRow); }
    int GetRow() const { return FRow; }
    void SetRow(int v) { FocusCell(FCol, v); }
    // First scrollable column and row shown.
    int GetLeftCol() const { return FLeftCol; }
    int GetTopRow() const { return FTopRow; }
    // A cell's rectangle in the client area (empty when it is scrolled out of view).
    TRect CellRect(int col, int row) const;
    // The cell at a client point; false when there is none.
    bool MouseToCell(int x, int y, int& col, int& row) const;
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void Paint() override;
    void WndProc(TMessage& message) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    // Draws one cell; the grid has filled its background already.
    virtual void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {}
private:
    void FocusCell(int col, int row);
    void Scroll(int bar, WORD code);
    void UpdateScrollBars();
    int ColLeft(int col) const;
    int RowTop(int row) const;
    // Scrollable columns (rows) that fit beside the fixed ones.
    int VisibleCols() const;
    int VisibleRows() const;
    int FColCount = 5, FRowCount = 5;
    int FFixedCols = 1, FFixedRows = 1;
    int FDefaultColWidth = 64, FDefaultRowHeight = 24;
    TColor FFixedColor = clBtnFace;
    int FGridLineWidth = 1;
    TBorderStyle FBorderStyle = bsSingle;
    int FCol = 1, FRow = 1;
    int FLeftCol = 1, FTopRow = 1;
};

// A grid whose cells the program draws in OnDrawCell.
class TDrawGrid : public TCustomGrid {
public:
    explicit TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}
    const char* ClassName() const override { return "TDrawGrid"; }
    TDrawCellEvent OnDrawCell;
protected:
    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
};
