// Small pieces the control skins share: a canvas over a window DC they do not own, and the
// cursor position of the message being handled, passed on to another window.
#pragma once
#include "classlib/gui/windows_api.h"

#include "classlib/gui/graphics.h"

// A canvas over a DC it does not own, let go on every path.
class TBorrowedCanvas {
public:
    explicit TBorrowedCanvas(HDC dc) { FCanvas.SetHandle(dc); }
    ~TBorrowedCanvas() { FCanvas.SetHandle(nullptr); }
    TBorrowedCanvas(const TBorrowedCanvas&) = delete;
    TBorrowedCanvas& operator=(const TBorrowedCanvas&) = delete;
    TCanvas* operator->() { return &FCanvas; }
    TCanvas* Get() { return &FCanvas; }

private:
    TCanvas FCanvas;
};

// The screen position of the message being handled; negative on monitors left of or above the
// primary one.
POINT MessageCursor();

// A point as the LPARAM of a mouse message.
LPARAM PointParam(const POINT& p);
