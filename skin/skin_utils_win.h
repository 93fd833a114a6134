// Drawing and window routines every skinned window and control uses (the unit LUMSkinUtils):
// regions from caption bitmaps, nine- and three-part stretching, slices and rotations, colour
// replacement, gradients, arrows and frames, system fonts, and three window functions bound
// lazily because older systems lack them. Every routine gives back each GDI object it makes.
#pragma once
#include "classlib/gui/windows_api.h"

#include <functional>

#include "classlib/gui/bitmap.h"
#include "classlib/gui/controls.h"
#include "classlib/gui/graphics.h"
#include "skin/skin_text.h"

namespace LUMSkinUtils {

// Finds a User32 entry point by name. The default loads "User32.dll" on first need; tests put
// a failing lookup here. Setting a lookup forgets every binding made so far and the failure flag.
using TProcLookup = std::function<FARPROC(const char* name)>;
void SetProcLookup(TProcLookup lookup);

// The system functions of these names; 0 without calling anything once any binding failed.
BOOL GetScrollBarInfo(HWND window, LONG objectId, PSCROLLBARINFO info);
BOOL GetComboBoxInfo(HWND window, PCOMBOBOXINFO info);
HWND GetAncestor(HWND window, UINT flags);

}  // namespace LUMSkinUtils

bool IsWin95();
bool IsVista();

// The system caption / menu font; on failure the font stays as it was.
void SetCaptionFont(TFont* font);
void SetMenuFont(TFont* font);
// The text, or its shortest prefix plus "..." that reaches width, as the canvas measures it.
AnsiString FitText(TCanvas* canvas, const AnsiString& text, int width);

inline TColor MakeRGB(uint8_t r, uint8_t g, uint8_t b) { return r + g * 256 + b * 65536; }
void SplitRGB(TColor color, uint8_t& r, uint8_t& g, uint8_t& b);
TColor InvertColor(TColor color);
// Right and bottom edges count as inside.
inline bool PointInRect(int x, int y, const TRect& r) { return x >= r.Left && x <= r.Right && y >= r.Top && y <= r.Bottom; }
inline bool PointInRect(const TPoint& p, const TRect& r) { return PointInRect(p.X, p.Y, r); }

// Bitmap work through the pixels (24 bits a pixel afterwards).
void ReplaceColor(TBitmap* bitmap, TColor from, TColor to);
void ExtractSlice(TBitmap* source, TBitmap* target, int n, int k);
void RotateLeft90(TBitmap* bitmap);
void Rotate180(TBitmap* bitmap);
void RotateRight90(TBitmap* bitmap);

void FrameRectColor(TCanvas* canvas, const TRect& r, TColor color);
void FillRectColor(TCanvas* canvas, const TRect& r, TColor color);
// One-pixel frame (and an inner one) on the whole-window DC; the DC is released.
void DrawWindowBorder(HWND window, TColor color, TColor inner, bool withInner);
void DrawControlBorder(TWinControl* control, TColor color, TColor inner, bool withInner);
void DrawMenuSeparator(TCanvas* canvas, const TRect& r, TColor color, bool gutterLeft, int gutterWidth);

void DrawComboArrow(TCanvas* canvas, int x, int y, bool enabled);
void DrawArrowUp(TCanvas* canvas, int x, int y, bool enabled);
void DrawArrowLeft(TCanvas* canvas, int x, int y, bool enabled);
void DrawArrowRight(TCanvas* canvas, int x, int y, bool enabled);

void StretchDrawBitmap(TBitmap* bitmap, TCanvas* canvas, const TRect& r);
void GradientFillV(TCanvas* canvas, const TRect& r, TColor top, TColor bottom);
void GradientFillH(TCanvas* canvas, const TRect& r, TColor left, TColor right);
void DrawThreePartH(TBitmap* bitmap, TCanvas* canvas, const TRect& r, TColor transparentColor, bool transparent);
void DrawThreePartV(TBitmap* bitmap, TCanvas* canvas, const TRect& r, int capHeight);
void DrawThreePartHCaps(TBitmap* bitmap, TCanvas* canvas, const TRect& r, int capWidth);
// Pieces go from (0, 0) of the canvas; the rectangle gives only the size.
void DrawNinePart(TBitmap* bitmap, TCanvas* canvas, const TRect& r, TColor transparentColor, bool transparent);

// Sets the window's region from its caption and bottom bitmaps (the window owns it after);
// false, with nothing left behind, when no region could be set.
bool BuildWindowRegion(HWND window, TBitmap* caption, TBitmap* bottom, bool captionNeedsRegion, bool bottomNeedsRegion,
                       int captionMinY, int captionMaxY, int bottomMinY, int bottomMaxY, TColor transparentColor,
                       int height, int width);

class TCustomForm;
// Whether the form counts as active for the skins: its own answer to WM_SKIN_ISACTIVE when it
// gives one (1 active, another positive value inactive); else, while the application has the
// active window, the main form always and any other form when it is the active window.
bool IsFormActive(TCustomForm* form);

// The first form of the screen whose window this is, or nullptr.
TCustomForm* FindFormByHandle(HWND window);
// The work area of the monitor nearest to the main form (the system's work area when there is
// no main form or no monitor), without its last row.
void GetWorkArea(TRect& rect);
void SetControlBounds(TControl* control, const TRect& rect);

class TlumSkinEngineIntf;
// The control's outer two pixels on every side in colour, and the skin's border colour down
// its left edge.
void DrawSkinBorderBands(TControl* control, TlumSkinEngineIntf* engine, TColor color);
