#include "skin/skin_utils_win.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/forms.h"
#include "skin/skin_bitmap_win.h"
#include "skin/skin_engine_intf.h"
#include "skin/skin_keys.h"
#include "skin/skin_layout.h"
#include "skin/skin_pixels.h"

namespace LUMSkinUtils {
namespace {

struct TBindings {
    TProcLookup Lookup;
    HMODULE User32 = nullptr;
    FARPROC ScrollBarInfo = nullptr, ComboBoxInfo = nullptr, Ancestor = nullptr;
    bool Failed = false;
    ~TBindings() {
        if (User32) FreeLibrary(User32);
    }
};

TBindings& Bindings() {
    static TBindings bindings;
    return bindings;
}

// The entry point, bound on first use; nullptr (and every later call refused) when missing.
FARPROC Bind(FARPROC& slot, const char* name) {
    TBindings& b = Bindings();
    if (b.Failed) return nullptr;
    if (!slot) {
        if (b.Lookup) {
            slot = b.Lookup(name);
        } else {
            if (!b.User32) b.User32 = LoadLibraryA("User32.dll");
            slot = b.User32 ? GetProcAddress(b.User32, name) : nullptr;
        }
        if (!slot) b.Failed = true;
    }
    return slot;
}

}  // namespace

void SetProcLookup(TProcLookup lookup) {
    TBindings& b = Bindings();
    b.Lookup = std::move(lookup);
    b.ScrollBarInfo = b.ComboBoxInfo = b.Ancestor = nullptr;
    b.Failed = false;
}

BOOL GetScrollBarInfo(HWND window, LONG objectId, PSCROLLBARINFO info) {
    using TProc = BOOL(WINAPI*)(HWND, LONG, PSCROLLBARINFO);
    FARPROC p = Bind(Bindings().ScrollBarInfo, "GetScrollBarInfo");
    return p ? reinterpret_cast<TProc>(p)(window, objectId, info) : FALSE;
}

BOOL GetComboBoxInfo(HWND window, PCOMBOBOXINFO info) {
    using TProc = BOOL(WINAPI*)(HWND, PCOMBOBOXINFO);
    FARPROC p = Bind(Bindings().ComboBoxInfo, "GetComboBoxInfo");
    return p ? reinterpret_cast<TProc>(p)(window, info) : FALSE;
}

HWND GetAncestor(HWND window, UINT flags) {
    using TProc = HWND(WINAPI*)(HWND, UINT);
    FARPROC p = Bind(Bindings().Ancestor, "GetAncestor");
    return p ? reinterpret_cast<TProc>(p)(window, flags) : nullptr;
}

}  // namespace LUMSkinUtils

namespace {

struct TOsFlags {
    bool Win95 = false, Vista = false;
    TOsFlags() {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (!GetVersionExA(&info)) return;
#pragma GCC diagnostic pop
        Win95 = info.dwMajorVersion == 4 && info.dwMinorVersion == 0 && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
        Vista = info.dwMajorVersion == 6 && info.dwMinorVersion == 0 && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }
};

const TOsFlags& OsFlags() {
    static const TOsFlags flags;
    return flags;
}

// The metrics as systems before Vista lay them out (no padded border field): accepted everywhere.
constexpr UINT kLegacyNonClientMetricsSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);

bool ReadNonClientMetrics(NONCLIENTMETRICSA& metrics) {
    metrics = NONCLIENTMETRICSA{};
    metrics.cbSize = kLegacyNonClientMetricsSize;
    return SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kLegacyNonClientMetricsSize, &metrics, 0) != FALSE;
}

// The font takes the description and keeps the handle (and frees it with its next change);
// a handle it refused is ours to delete.
void TakeFont(TFont* font, const LOGFONTA& description) {
    HFONT handle = CreateFontIndirectA(&description);
    if (!handle) return;
    font->SetHandle(handle);
    if (font->GetHandle() != handle) DeleteObject(handle);
}

COLORREF Rgb(TColor color) { return ColorToRGB(color); }

// A solid fill without creating a brush.
void FillSolid(HDC dc, const RECT& r, COLORREF color) {
    COLORREF old = SetDCBrushColor(dc, color);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetDCBrushColor(dc, old);
}

void FrameSolid(HDC dc, const RECT& r, COLORREF color) {
    COLORREF old = SetDCBrushColor(dc, color);
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetDCBrushColor(dc, old);
}

// One piece from source to dest (stretched when the sizes differ), optionally leaving
// the transparent colour's pixels alone.
void DrawPiece(HDC dest, const TRect& d, HDC source, const TRect& s, bool transparent, COLORREF key) {
    if (d.IsEmpty() || s.IsEmpty()) return;
    if (transparent) {
        TransparentBlt(dest, d.Left, d.Top, d.Width(), d.Height(), source, s.Left, s.Top, s.Width(), s.Height(), key);
    } else {
        int oldMode = SetStretchBltMode(dest, COLORONCOLOR);
        StretchBlt(dest, d.Left, d.Top, d.Width(), d.Height(), source, s.Left, s.Top, s.Width(), s.Height(), SRCCOPY);
        SetStretchBltMode(dest, oldMode);
    }
}

void DrawPieces(TBitmap* bitmap, TCanvas* canvas, const std::vector<TSkinPiece>& pieces, bool transparent,
                TColor key) {
    if (pieces.empty()) return;
    HDC dest = canvas->GetHandle();
    HDC source = bitmap->GetCanvas()->GetHandle();
    const bool keyed = transparent && key != -1;
    for (const TSkinPiece& p : pieces) DrawPiece(dest, p.Dest, source, p.Source, keyed, keyed ? Rgb(key) : 0);
}

bool Drawable(TBitmap* bitmap, TCanvas* canvas) { return bitmap && canvas && !bitmap->Empty(); }

void Triangle(TCanvas* canvas, const POINT (&points)[3], COLORREF color) {
    HDC dc = canvas->GetHandle();
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    COLORREF oldPenColor = SetDCPenColor(dc, color), oldBrushColor = SetDCBrushColor(dc, color);
    Polygon(dc, points, 3);
    SetDCPenColor(dc, oldPenColor);
    SetDCBrushColor(dc, oldBrushColor);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

// The arrow's three points at (x, y), and the disabled look's white shadow one pixel right and
// down under a grey arrow.
void DrawArrow(TCanvas* canvas, int x, int y, bool enabled, const POINT (&shape)[3]) {
    if (!canvas) return;
    POINT at[3], shadow[3];
    for (int i = 0; i < 3; ++i) {
        at[i] = {x + shape[i].x, y + shape[i].y};
        shadow[i] = {at[i].x + 1, at[i].y + 1};
    }
    if (enabled) {
        Triangle(canvas, at, RGB(0, 0, 0));
    } else {
        Triangle(canvas, shadow, RGB(255, 255, 255));
        Triangle(canvas, at, RGB(128, 128, 128));
    }
}

}  // namespace

bool IsWin95() { return OsFlags().Win95; }
bool IsVista() { return OsFlags().Vista; }

void SetCaptionFont(TFont* font) {
    NONCLIENTMETRICSA metrics;
    if (font && ReadNonClientMetrics(metrics)) TakeFont(font, metrics.lfCaptionFont);
}

void SetMenuFont(TFont* font) {
    NONCLIENTMETRICSA metrics;
    if (font && ReadNonClientMetrics(metrics)) {
        TakeFont(font, metrics.lfMenuFont);
        font->SetColor(clMenuText);
    }
}

AnsiString FitText(TCanvas* canvas, const AnsiString& text, int width) {
    return FitText(text, width, [canvas](const AnsiString& s) { return canvas->TextWidth(s); });
}

void SplitRGB(TColor color, uint8_t& r, uint8_t& g, uint8_t& b) {
    COLORREF c = Rgb(color);
    r = GetRValue(c);
    g = GetGValue(c);
    b = GetBValue(c);
}

TColor InvertColor(TColor color) {
    uint8_t r, g, b;
    SplitRGB(color, r, g, b);
    return MakeRGB(255 - r, 255 - g, 255 - b);
}

void ReplaceColor(TBitmap* bitmap, TColor from, TColor to) {
    if (!bitmap) return;
    TSkinPixels pixels = PixelsFromBitmap(bitmap);
    ReplaceColor(pixels, from == -1 ? -1 : static_cast<int32_t>(Rgb(from)), static_cast<int32_t>(Rgb(to)));
    AssignPixels(bitmap, pixels);
}

void ExtractSlice(TBitmap* source, TBitmap* target, int n, int k) {
    if (!source || !target) return;
    const TSkinPixels pixels = PixelsFromBitmap(source);
    TSkinPixels slice;
    ExtractSlice(&pixels, slice, n, k);
    AssignPixels(target, slice);
}

namespace {
void Turn(TBitmap* bitmap, void (*turn)(TSkinPixels&)) {
    if (!bitmap || bitmap->Empty()) return;
    TSkinPixels pixels = PixelsFromBitmap(bitmap);
    turn(pixels);
    AssignPixels(bitmap, pixels);
}
}  // namespace

void RotateLeft90(TBitmap* bitmap) { Turn(bitmap, RotateLeft90); }
void Rotate180(TBitmap* bitmap) { Turn(bitmap, Rotate180); }
void RotateRight90(TBitmap* bitmap) { Turn(bitmap, RotateRight90); }

void FrameRectColor(TCanvas* canvas, const TRect& r, TColor color) {
    if (canvas) FrameSolid(canvas->GetHandle(), ToRECT(r), Rgb(color));
}

void FillRectColor(TCanvas* canvas, const TRect& r, TColor color) {
    if (canvas) FillSolid(canvas->GetHandle(), ToRECT(r), Rgb(color));
}

void DrawWindowBorder(HWND window, TColor color, TColor inner, bool withInner) {
    RECT bounds;
    if (!GetWindowRect(window, &bounds)) return;
    HDC dc = GetWindowDC(window);
    if (!dc) return;
    RECT r = {0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
    FrameSolid(dc, r, Rgb(color));
    if (withInner) {
        InflateRect(&r, -1, -1);
        FrameSolid(dc, r, Rgb(inner));
    }
    ReleaseDC(window, dc);
}

void DrawControlBorder(TWinControl* control, TColor color, TColor inner, bool withInner) {
    if (control && control->HandleAllocated()) DrawWindowBorder(control->GetHandle(), color, inner, withInner);
}

void DrawMenuSeparator(TCanvas* canvas, const TRect& r, TColor color, bool gutterLeft, int gutterWidth) {
    if (!canvas) return;
    const int y = r.Top + 2;
    const int from = gutterLeft ? r.Left + gutterWidth + 4 : r.Left + 2;
    const int to = gutterLeft ? r.Right - 2 : r.Right - gutterWidth - 4;
    if (to > from) FillSolid(canvas->GetHandle(), RECT{from, y, to, y + 1}, Rgb(color));
}

void DrawComboArrow(TCanvas* canvas, int x, int y, bool enabled) {
    DrawArrow(canvas, x, y, enabled, {{0, 0}, {6, 0}, {3, 3}});
}
void DrawArrowUp(TCanvas* canvas, int x, int y, bool enabled) {
    DrawArrow(canvas, x, y, enabled, {{0, 0}, {-3, 3}, {3, 3}});
}
void DrawArrowLeft(TCanvas* canvas, int x, int y, bool enabled) {
    DrawArrow(canvas, x, y, enabled, {{0, 0}, {3, 3}, {3, -3}});
}
void DrawArrowRight(TCanvas* canvas, int x, int y, bool enabled) {
    DrawArrow(canvas, x, y, enabled, {{0, 0}, {0, 6}, {3, 3}});
}

void StretchDrawBitmap(TBitmap* bitmap, TCanvas* canvas, const TRect& r) {
    if (!Drawable(bitmap, canvas) || r.IsEmpty()) return;
    HDC dest = canvas->GetHandle();
    int oldMode = SetStretchBltMode(dest, HALFTONE);
    StretchBlt(dest, r.Left, r.Top, r.Width(), r.Height(), bitmap->GetCanvas()->GetHandle(), 0, 0, bitmap->GetWidth(),
               bitmap->GetHeight(), SRCCOPY);
    SetStretchBltMode(dest, oldMode);
}

void GradientFillV(TCanvas* canvas, const TRect& r, TColor top, TColor bottom) {
    if (!canvas || r.Height() <= 0) return;
    HDC dc = canvas->GetHandle();
    const COLORREF a = Rgb(top), b = Rgb(bottom);
    for (int y = r.Top; y < r.Bottom; ++y) {
        COLORREF c = y == r.Top ? a : y == r.Bottom - 1 ? b : GradientColor(a, b, y - r.Top - 1, r.Height());
        FillSolid(dc, RECT{r.Left, y, r.Right, y + 1}, c);
    }
}

void GradientFillH(TCanvas* canvas, const TRect& r, TColor left, TColor right) {
    if (!canvas || r.Width() <= 0) return;   // no width: nothing to divide by
    HDC dc = canvas->GetHandle();
    const COLORREF a = Rgb(left), b = Rgb(right);
    for (int x = r.Left; x < r.Right; ++x) {
        COLORREF c = x == r.Left ? a : x == r.Right - 1 ? b : GradientColor(a, b, x - r.Left, r.Width());
        FillSolid(dc, RECT{x, r.Top, x + 1, r.Bottom}, c);
    }
}

void DrawThreePartH(TBitmap* bitmap, TCanvas* canvas, const TRect& r, TColor transparentColor, bool transparent) {
    if (!Drawable(bitmap, canvas)) return;
    DrawPieces(bitmap, canvas, ThreePartHPieces(bitmap->GetWidth(), bitmap->GetHeight(), r), transparent,
               transparentColor);
}

void DrawThreePartV(TBitmap* bitmap, TCanvas* canvas, const TRect& r, int capHeight) {
    if (!Drawable(bitmap, canvas)) return;
    bitmap->SetPixelFormat(pf24bit);
    std::vector<TSkinPiece> pieces = ThreePartVPieces(bitmap->GetWidth(), bitmap->GetHeight(), r, capHeight);
    // The middle goes through the smoothing stretch; the caps are plain copies.
    for (const TSkinPiece& p : pieces) {
        if (p.Source.Top > 0 && p.Source.Bottom < bitmap->GetHeight()) {
            HDC dest = canvas->GetHandle();
            int oldMode = SetStretchBltMode(dest, HALFTONE);
            StretchBlt(dest, p.Dest.Left, p.Dest.Top, p.Dest.Width(), p.Dest.Height(), bitmap->GetCanvas()->GetHandle(),
                       p.Source.Left, p.Source.Top, p.Source.Width(), p.Source.Height(), SRCCOPY);
            SetStretchBltMode(dest, oldMode);
        } else {
            DrawPieces(bitmap, canvas, {p}, false, -1);
        }
    }
}

void DrawThreePartHCaps(TBitmap* bitmap, TCanvas* canvas, const TRect& r, int capWidth) {
    if (!Drawable(bitmap, canvas)) return;
    DrawPieces(bitmap, canvas, ThreePartHCapsPieces(bitmap->GetWidth(), bitmap->GetHeight(), r, capWidth), false, -1);
}

void DrawNinePart(TBitmap* bitmap, TCanvas* canvas, const TRect& r, TColor transparentColor, bool transparent) {
    if (!Drawable(bitmap, canvas) || r.Top >= r.Bottom) return;
    std::vector<TSkinPiece> pieces = NinePartPieces(bitmap->GetWidth(), bitmap->GetHeight(), r.Width(), r.Height());
    HDC dest = canvas->GetHandle();
    HDC source = bitmap->GetCanvas()->GetHandle();
    const bool keyed = transparentColor != -1;
    for (const TSkinPiece& p : pieces) {
        // Corners keep the caller's transparency choice; edges and centre are always keyed.
        bool useKey = keyed && (p.Mode == spStretch || transparent);
        DrawPiece(dest, p.Dest, source, p.Source, useKey, useKey ? Rgb(transparentColor) : 0);
    }
}

bool BuildWindowRegion(HWND window, TBitmap* caption, TBitmap* bottom, bool captionNeedsRegion, bool bottomNeedsRegion,
                       int captionMinY, int captionMaxY, int bottomMinY, int bottomMaxY, TColor transparentColor,
                       int height, int width) {
    const TSkinPixels captionPixels = captionNeedsRegion ? PixelsFromBitmap(caption) : TSkinPixels();
    const TSkinPixels bottomPixels = bottomNeedsRegion ? PixelsFromBitmap(bottom) : TSkinPixels();
    TRegionSpec spec;
    spec.Caption = captionNeedsRegion && caption ? &captionPixels : nullptr;
    spec.Bottom = bottomNeedsRegion && bottom ? &bottomPixels : nullptr;
    spec.CaptionNeedsRegion = spec.Caption != nullptr;
    spec.BottomNeedsRegion = spec.Bottom != nullptr;
    spec.CaptionMinY = captionMinY;
    spec.CaptionMaxY = captionMaxY;
    spec.BottomMinY = bottomMinY;
    spec.BottomMaxY = bottomMaxY;
    spec.TransparentColor = transparentColor == -1 ? -1 : static_cast<int32_t>(Rgb(transparentColor));
    spec.Height = height;
    spec.Width = width;
    std::vector<TRect> rects = WindowRegionRects(spec);
    rects.erase(std::remove_if(rects.begin(), rects.end(), [](const TRect& r) { return r.IsEmpty(); }), rects.end());

    // All rectangles in one region description: no temporary regions to give back.
    std::vector<uint8_t> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    RGNDATA* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(rects.size());
    data->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    data->rdh.rcBound = RECT{0, 0, width, height};
    RECT* out = reinterpret_cast<RECT*>(data->Buffer);
    for (size_t i = 0; i < rects.size(); ++i) out[i] = ToRECT(rects[i]);
    HRGN region = ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
    if (!region) return false;
    if (!SetWindowRgn(window, region, TRUE)) {
        DeleteObject(region);   // not taken by the window
        return false;
    }
    return true;
}

bool IsFormActive(TCustomForm* form) {
    if (!form) return false;
    if (HWND wnd = form->GetHandleIfAllocated()) {
        const LRESULT answer = SendMessageA(wnd, WM_SKIN_ISACTIVE, 0, 0);
        if (answer > 0) return answer == 1;
    }
    TCustomForm* mainForm = Application->GetMainForm();
    if (!mainForm) return form->Active();
    const bool mdiFrame = mainForm->GetFormStyle() == fsMDIForm;
    if (mdiFrame && form == mainForm) return true;
    if (!GetActiveWindow()) return false;   // the application is not the active one
    if (form == mainForm) return true;
    // A child of the frame counts when the client has it active; any other form by its own.
    if (mdiFrame && form->GetFormStyle() == fsMDIChild && mainForm->GetClientHandle() && form->GetHandleIfAllocated())
        return reinterpret_cast<HWND>(SendMessageA(mainForm->GetClientHandle(), WM_MDIGETACTIVE, 0, 0)) ==
               form->GetHandleIfAllocated();
    return form->Active();
}

TCustomForm* FindFormByHandle(HWND window) {
    if (!window) return nullptr;
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->GetHandleIfAllocated() == window) return Screen->Forms(i);
    return nullptr;
}

void GetWorkArea(TRect& rect) {
    RECT area{};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    TCustomForm* mainForm = Application->GetMainForm();
    HWND window = mainForm ? mainForm->GetHandleIfAllocated() : nullptr;
    HMONITOR monitor = window ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST) : nullptr;
    if (monitor && GetMonitorInfoA(monitor, &info))
        area = info.rcWork;
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    rect = TRect(area.left, area.top, area.right, area.bottom - 1);
}

void SetControlBounds(TControl* control, const TRect& rect) {
    control->SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
}

void DrawSkinBorderBands(TControl* control, TlumSkinEngineIntf* engine, TColor color) {
    TControlCanvas canvas(control);   // its DC goes back when it goes
    const int w = control->GetWidth(), h = control->GetHeight();
    for (const TRect& band : {TRect(0, 0, 2, h), TRect(0, h - 2, w, h), TRect(w - 2, 0, w, h), TRect(0, 0, w, 2)})
        FillRectColor(&canvas, band, color);
    canvas.GetPen()->SetColor(engine ? engine->GetSkinColor(SKIN2_CONTROLBORDERCOLOR) : clBlack);
    canvas.MoveTo(0, 0);
    canvas.LineTo(0, h);
}
