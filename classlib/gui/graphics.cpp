#include "classlib/gui/graphics.h"

#include <cstring>

#include "classlib/gui/bitmap.h"
#include "classlib/gui/handles.h"

COLORREF ColorToRGB(TColor color) {
    if (color < 0) return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color);
}

RECT ToRECT(const TRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }
TRect FromRECT(const RECT& r) { return TRect(r.left, r.top, r.right, r.bottom); }
POINT ToPOINT(const TPoint& p) { return POINT{p.X, p.Y}; }
TPoint FromPOINT(const POINT& p) { return TPoint(p.x, p.y); }

// ---- TGraphicsObject ----------------------------------------------------------------

int LiveGdiObjects() { return static_cast<int>(LiveGdiObjectCount()); }

TGraphicsObject::~TGraphicsObject() = default;

void TGraphicsObject::Changed() {
    TGdiObject<HGDIOBJ> old(std::move(FObject));
    if (OnChange) OnChange(this);
}

// ---- TFont ------------------------------------------------------------------------

TFont::TFont() = default;

void TFont::Assign(TPersistent* source) {
    if (auto* f = dynamic_cast<TFont*>(source)) {
        if (SameAs(*f)) return;
        FName = f->FName;
        FHeight = f->FHeight;
        FColor = f->FColor;
        FStyle = f->FStyle;
        FCharset = f->FCharset;
        FPitch = f->FPitch;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

bool TFont::SameAs(const TFont& o) const {
    return FName == o.FName && FHeight == o.FHeight && FColor == o.FColor && FStyle == o.FStyle &&
           FCharset == o.FCharset && FPitch == o.FPitch;
}

HFONT TFont::GetHandle() {
    if (!FObject) {
        LOGFONTA lf;
        std::memset(&lf, 0, sizeof lf);
        lf.lfHeight = FHeight;
        lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (FStyle & fsItalic) ? 1 : 0;
        lf.lfUnderline = (FStyle & fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = (FStyle & fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = FCharset;
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = FPitch == fpFixed ? FIXED_PITCH : FPitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
        // Names that do not fit the field are cut (the system would refuse them anyway).
        strncpy(lf.lfFaceName, FName.c_str(), LF_FACESIZE - 1);
        FObject.Reset(CreateFontIndirectA(&lf));
        if (!FObject) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    return static_cast<HFONT>(FObject.Get());
}

void TFont::SetHandle(HFONT font) {
    LOGFONTA lf;
    if (!font || font == FObject.Get() || GetObjectA(font, sizeof lf, &lf) != sizeof lf) return;
    FName = lf.lfFaceName;
    FHeight = lf.lfHeight;
    FStyle = static_cast<TFontStyles>((lf.lfWeight >= FW_BOLD ? fsBold : 0) | (lf.lfItalic ? fsItalic : 0) |
                                      (lf.lfUnderline ? fsUnderline : 0) | (lf.lfStrikeOut ? fsStrikeOut : 0));
    FCharset = lf.lfCharSet;
    FPitch = (lf.lfPitchAndFamily & 3) == FIXED_PITCH ? fpFixed
             : (lf.lfPitchAndFamily & 3) == VARIABLE_PITCH ? fpVariable : fpDefault;
    // Ours now: freed with the font or at its next change. The old one goes once the listener
    // has let go of it.
    TGdiObject<HGDIOBJ> old(std::move(FObject));
    FObject.Reset(font);
    if (OnChange) OnChange(this);
}

void TFont::SetName(const AnsiString& name) {
    if (name.empty() || name == FName) return;
    FName = name;
    Changed();
}

void TFont::SetHeight(int height) {
    if (height == FHeight) return;
    FHeight = height;
    Changed();
}

static int ScreenPixelsPerInch() {
    TWindowDC screen(nullptr);
    int ppi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    return ppi > 0 ? ppi : 96;
}

int TFont::GetSize() const { return -MulDiv(FHeight, 72, ScreenPixelsPerInch()); }
void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72)); }

void TFont::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    // The handle does not hold the colour, but listeners repaint.
    if (OnChange) OnChange(this);
}

void TFont::SetStyle(TFontStyles style) {
    if (style == FStyle) return;
    FStyle = style;
    Changed();
}

void TFont::SetCharset(uint8_t charset) {
    if (charset == FCharset) return;
    FCharset = charset;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
    if (pitch == FPitch) return;
    FPitch = pitch;
    Changed();
}

// ---- TPen -------------------------------------------------------------------------

void TPen::Assign(TPersistent* source) {
    if (auto* p = dynamic_cast<TPen*>(source)) {
        FColor = p->FColor;
        FWidth = p->FWidth;
        FStyle = p->FStyle;
        FMode = p->FMode;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

HPEN TPen::GetHandle() {
    if (!FObject) {
        static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        FObject.Reset(CreatePen(styles[FStyle], FWidth, ColorToRGB(FColor)));
    }
    return static_cast<HPEN>(FObject.Get());
}

void TPen::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    Changed();
}

void TPen::SetWidth(int width) {
    if (width < 0 || width == FWidth) return;
    FWidth = width;
    Changed();
}

void TPen::SetStyle(TPenStyle style) {
    if (style == FStyle) return;
    FStyle = style;
    Changed();
}

void TPen::SetMode(TPenMode mode) {
    if (mode == FMode) return;
    FMode = mode;
    if (OnChange) OnChange(this);
}

int TPen::Rop2() const {
    static const int rops[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                               R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                               R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                               R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
    return rops[FMode];
}

// ---- TBrush -----------------------------------------------------------------------

void TBrush::Assign(TPersistent* source) {
    if (auto* b = dynamic_cast<TBrush*>(source)) {
        FColor = b->FColor;
        FStyle = b->FStyle;
        FBitmap = b->FBitmap;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

HBRUSH TBrush::GetHandle() {
    if (!FObject) {
        if (FBitmap && !FBitmap->Empty()) {
            FObject.Reset(CreatePatternBrush(FBitmap->GetHandle()));
        } else if (FStyle == bsClear) {
            return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        } else if (FStyle == bsSolid) {
            FObject.Reset(CreateSolidBrush(ColorToRGB(FColor)));
        } else {
            static const int hatches[] = {0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
            FObject.Reset(CreateHatchBrush(hatches[FStyle], ColorToRGB(FColor)));
        }
    }
    return static_cast<HBRUSH>(FObject.Get());
}

void TBrush::SetColor(TColor color) {
    if (color == FColor && FStyle != bsClear) return;
    FColor = color;
    if (FStyle == bsClear) FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
    if (style == FStyle) return;
    FStyle = style;
    Changed();
}

void TBrush::SetBitmap(TBitmap* bitmap) {
    FBitmap = bitmap;
    Changed();
}

// ---- TCanvas ----------------------------------------------------------------------

TCanvas::TCanvas() {
    FFont.OnChange = [this](TObject*) {
        // Take the font out of the DC before its handle is deleted.
        if (FFontSelected && FHandle) SelectObject(FHandle, FOldFont);
        FFontSelected = false;
    };
    FPen.OnChange = [this](TObject*) {
        if (FPenSelected && FHandle) SelectObject(FHandle, FOldPen);
        FPenSelected = false;
    };
    FBrush.OnChange = [this](TObject*) {
        if (FBrushSelected && FHandle) SelectObject(FHandle, FOldBrush);
        FBrushSelected = false;
    };
}

TCanvas::~TCanvas() { DeselectObjects(); }

void TCanvas::DeselectObjects() {
    if (!FHandle) return;
    if (FFontSelected) SelectObject(FHandle, FOldFont);
    if (FPenSelected) SelectObject(FHandle, FOldPen);
    if (FBrushSelected) SelectObject(FHandle, FOldBrush);
    FFontSelected = FPenSelected = FBrushSelected = false;
}

HDC TCanvas::GetHandle() {
    RequireHandle();
    return FHandle;
}

void TCanvas::SetHandle(HDC dc) {
    if (dc == FHandle) return;
    DeselectObjects();
    FHandle = dc;
}

void TCanvas::Refresh() { DeselectObjects(); }

void TCanvas::CreateHandle() {}

void TCanvas::RequireHandle() {
    if (!FHandle) CreateHandle();
    if (!FHandle) throw Exception("Canvas does not allow drawing");
}

void TCanvas::RequireFont() {
    RequireHandle();
    if (!FFontSelected) {
        FOldFont = SelectObject(FHandle, FFont.GetHandle());
        FFontSelected = true;
    }
    SetTextColor(FHandle, ColorToRGB(FFont.GetColor()));
}

void TCanvas::RequirePen() {
    RequireHandle();
    if (!FPenSelected) {
        FOldPen = SelectObject(FHandle, FPen.GetHandle());
        FPenSelected = true;
    }
    SetROP2(FHandle, FPen.Rop2());
}

void TCanvas::RequireBrush() {
    RequireHandle();
    if (!FBrushSelected) {
        FOldBrush = SelectObject(FHandle, FBrush.GetHandle());
        FBrushSelected = true;
    }
    UnrealizeObject(FBrush.GetHandle());
    SetBkColor(FHandle, ColorToRGB(FBrush.GetColor()));
    SetBkMode(FHandle, FBrush.GetStyle() == bsSolid ? OPAQUE : TRANSPARENT);
}

void TCanvas::Changed() {
    if (OnChange) OnChange(this);
}

TPoint TCanvas::GetPenPos() {
    RequireHandle();
    POINT p{0, 0};
    GetCurrentPositionEx(FHandle, &p);
    return FromPOINT(p);
}

TRect TCanvas::GetClipRect() {
    RequireHandle();
    RECT r{0, 0, 0, 0};
    GetClipBox(FHandle, &r);
    return FromRECT(r);
}

void TCanvas::MoveTo(int x, int y) {
    RequireHandle();
    MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    RequirePen();
    RequireBrush();
    ::LineTo(FHandle, x, y);
    Changed();
}

static std::vector<POINT> ToPoints(const std::vector<TPoint>& pts) {
    std::vector<POINT> out;
    out.reserve(pts.size());
    for (const TPoint& p : pts) out.push_back(ToPOINT(p));
    return out;
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    if (points.empty()) return;
    RequirePen();
    RequireBrush();
    std::vector<POINT> p = ToPoints(points);
    ::Polyline(FHandle, p.data(), static_cast<int>(p.size()));
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    if (points.empty()) return;
    RequirePen();
    RequireBrush();
    std::vector<POINT> p = ToPoints(points);
    ::Polygon(FHandle, p.data(), static_cast<int>(p.size()));
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    RequirePen();
    RequireBrush();
    ::Rectangle(FHandle, x1, y1, x2, y2);
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
    RequirePen();
    RequireBrush();
    ::RoundRect(FHandle, x1, y1, x2, y2, x3, y3);
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    RequirePen();
    RequireBrush();
    ::Ellipse(FHandle, x1, y1, x2, y2);
    Changed();
}

void TCanvas::FillRect(const TRect& r) {
    RequireBrush();
    RECT rc = ToRECT(r);
    ::FillRect(FHandle, &rc, FBrush.GetHandle());
    Changed();
}

void TCanvas::FrameRect(const TRect& r) {
    RequireBrush();
    RECT rc = ToRECT(r);
    ::FrameRect(FHandle, &rc, FBrush.GetHandle());
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& r) {
    RequireBrush();
    RECT rc = ToRECT(r);
    ::DrawFocusRect(FHandle, &rc);
    Changed();
}

void TCanvas::TextOut(int x, int y, const AnsiString& text) {
    RequireFont();
    RequireBrush();
    ::TextOutA(FHandle, x, y, text.data(), static_cast<int>(text.size()));
    Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const AnsiString& text) {
    RequireFont();
    RequireBrush();
    RECT rc = ToRECT(r);
    UINT opts = ETO_CLIPPED | (FBrush.GetStyle() == bsClear ? 0 : ETO_OPAQUE);
    ExtTextOutA(FHandle, x, y, opts, &rc, text.data(), static_cast<UINT>(text.size()), nullptr);
    Changed();
}

int TCanvas::DrawText(const AnsiString& text, TRect& r, UINT format) {
    RequireFont();
    RequireBrush();
    RECT rc = ToRECT(r);
    int h = ::DrawTextA(FHandle, text.data(), static_cast<int>(text.size()), &rc, format);
    r = FromRECT(rc);
    if (!(format & DT_CALCRECT)) Changed();
    return h;
}

SIZE TCanvas::TextExtent(const AnsiString& text) {
    RequireFont();
    SIZE s{0, 0};
    GetTextExtentPoint32A(FHandle, text.data(), static_cast<int>(text.size()), &s);
    return s;
}

void TCanvas::Draw(int x, int y, TBitmap* bitmap) {
    if (!bitmap || bitmap->Empty()) return;
    StretchDraw(Bounds(x, y, bitmap->GetWidth(), bitmap->GetHeight()), bitmap);
}

void TCanvas::StretchDraw(const TRect& r, TBitmap* bitmap) {
    if (!bitmap || bitmap->Empty()) return;
    RequireHandle();
    HDC src = bitmap->GetCanvas()->GetHandle();
    int w = bitmap->GetWidth(), h = bitmap->GetHeight();
    if (bitmap->GetMonochrome()) {
        // Monochrome pictures take this canvas's text and background colours.
        RequireFont();
        RequireBrush();
    }
    if (bitmap->GetTransparent()) {
        ::TransparentBlt(FHandle, r.Left, r.Top, r.Width(), r.Height(), src, 0, 0, w, h,
                         ColorToRGB(bitmap->GetTransparentColor()));
    } else {
        SetStretchBltMode(FHandle, COLORONCOLOR);
        ::StretchBlt(FHandle, r.Left, r.Top, r.Width(), r.Height(), src, 0, 0, w, h, FCopyMode);
    }
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect) {
    if (!source) return;
    RequireFont();
    RequireBrush();
    HDC src = source->GetHandle();
    SetStretchBltMode(FHandle, COLORONCOLOR);
    ::StretchBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), src, sourceRect.Left, sourceRect.Top,
                 sourceRect.Width(), sourceRect.Height(), FCopyMode);
    Changed();
}

TColor TCanvas::GetPixel(int x, int y) {
    RequireHandle();
    return static_cast<TColor>(::GetPixel(FHandle, x, y));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    RequireHandle();
    ::SetPixel(FHandle, x, y, ColorToRGB(color));
    Changed();
}

void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width) {
    TPen* pen = canvas->GetPen();
    pen->SetWidth(1);
    rect.Bottom--;
    rect.Right--;
    for (int i = 0; i < width; ++i) {
        pen->SetColor(topColor);
        canvas->Polyline({TPoint(rect.Left, rect.Bottom), TPoint(rect.Left, rect.Top), TPoint(rect.Right, rect.Top)});
        pen->SetColor(bottomColor);
        canvas->Polyline({TPoint(rect.Right, rect.Top), TPoint(rect.Right, rect.Bottom), TPoint(rect.Left - 1, rect.Bottom)});
        rect = rect.Inflate(-1, -1);
    }
    rect.Bottom++;
    rect.Right++;
}
