// Colours, fonts, pens, brushes and the drawing surface (TCanvas) over GDI.
#pragma once
#include "classlib/gui/windows_api.h"

#include <cstdint>
#include <functional>
#include <vector>

#include "classlib/classes.h"
#include "classlib/gui/handles.h"
#include "classlib/types.h"

class TBitmap;

// A colour: 0x00BBGGRR, or a system colour (0x80000000 | COLOR_xxx), or clNone/clDefault.
using TColor = int32_t;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index)); }

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clLtGray = 0xC0C0C0,
                 clDkGray = 0x808080, clWhite = 0xFFFFFF, clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6,
                 clCream = 0xF0FBFF, clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF, clDefault = 0x20000000;
constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR), clBackground = SystemColor(COLOR_BACKGROUND),
                 clActiveCaption = SystemColor(COLOR_ACTIVECAPTION),
                 clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION), clMenu = SystemColor(COLOR_MENU),
                 clWindow = SystemColor(COLOR_WINDOW), clWindowFrame = SystemColor(COLOR_WINDOWFRAME),
                 clMenuText = SystemColor(COLOR_MENUTEXT), clWindowText = SystemColor(COLOR_WINDOWTEXT),
                 clCaptionText = SystemColor(COLOR_CAPTIONTEXT), clActiveBorder = SystemColor(COLOR_ACTIVEBORDER),
                 clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER),
                 clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE), clHighlight = SystemColor(COLOR_HIGHLIGHT),
                 clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT), clBtnFace = SystemColor(COLOR_BTNFACE),
                 clBtnShadow = SystemColor(COLOR_BTNSHADOW), clGrayText = SystemColor(COLOR_GRAYTEXT),
                 clBtnText = SystemColor(COLOR_BTNTEXT),
                 clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT),
                 clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT), cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW),
                 cl3DLight = SystemColor(COLOR_3DLIGHT), clInfoText = SystemColor(COLOR_INFOTEXT),
                 clInfoBk = SystemColor(COLOR_INFOBK), clHotLight = SystemColor(26),
                 clGradientActiveCaption = SystemColor(27), clGradientInactiveCaption = SystemColor(28),
                 clMenuHighlight = SystemColor(29), clMenuBar = SystemColor(30);

// System colours become their current RGB value; others pass unchanged.
COLORREF ColorToRGB(TColor color);

RECT ToRECT(const TRect& r);
TRect FromRECT(const RECT& r);
POINT ToPOINT(const TPoint& p);
TPoint FromPOINT(const POINT& p);

// The GDI objects and DCs our holders have alive now (LiveGdiObjectCount of handles.h).
int LiveGdiObjects();

// A GDI object description that makes its handle when first asked and tells its owner of changes.
class TGraphicsObject : public TPersistent {
public:
    ~TGraphicsObject() override;
    const char* ClassName() const override { return "TGraphicsObject"; }
    std::function<void(TObject*)> OnChange;
protected:
    // Forgets the handle, tells the listener (which deselects the old object), then deletes it.
    void Changed();
    TGdiObject<HGDIOBJ> FObject;
};

enum TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };

class TFont : public TGraphicsObject {
public:
    TFont();
    const char* ClassName() const override { return "TFont"; }
    void Assign(TPersistent* source) override;
    // The font handle, made on demand; valid until the font changes.
    HFONT GetHandle();
    // Takes over an existing font: its description becomes the font's, and the handle is the
    // font's own from now on (deleted with it or when the font changes).
    void SetHandle(HFONT font);

    const AnsiString& GetName() const { return FName; }
    void SetName(const AnsiString& name);
    // Negative: character height in pixels; positive: cell height.
    int GetHeight() const { return FHeight; }
    void SetHeight(int height);
    // Points at the screen's resolution.
    int GetSize() const;
    void SetSize(int points);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor color);
    TFontStyles GetStyle() const { return FStyle; }
    void SetStyle(TFontStyles style);
    uint8_t GetCharset() const { return FCharset; }
    void SetCharset(uint8_t charset);
    TFontPitch GetPitch() const { return FPitch; }
    void SetPitch(TFontPitch pitch);
    bool SameAs(const TFont& other) const;
private:
    AnsiString FName = "MS Sans Serif";
    int FHeight = -11;
    TColor FColor = clWindowText;
    TFontStyles FStyle = 0;
    uint8_t FCharset = DEFAULT_CHARSET;
    TFontPitch FPitch = fpDefault;
};

enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode : uint8_t {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
    pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen : public TGraphicsObject {
public:
    const char* ClassName() const override { return "TPen"; }
    void Assign(TPersistent* source) override;
    HPEN GetHandle();
    TColor GetColor() const { return FColor; }
    void SetColor(TColor color);
    int GetWidth() const { return FWidth; }
    void SetWidth(int width);
    TPenStyle GetStyle() const { return FStyle; }
    void SetStyle(TPenStyle style);
    TPenMode GetMode() const { return FMode; }
    void SetMode(TPenMode mode);
    int Rop2() const;
private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};

enum TBrushStyle : uint8_t { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
public:
    const char* ClassName() const override { return "TBrush"; }
    void Assign(TPersistent* source) override;
    HBRUSH GetHandle();
    TColor GetColor() const { return FColor; }
    void SetColor(TColor color);
    TBrushStyle GetStyle() const { return FStyle; }
    void SetStyle(TBrushStyle style);
    // A pattern brush from the bitmap (not owned; must outlive the brush's use). nullptr ends it.
    TBitmap* GetBitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* bitmap);
private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
};

// A drawing surface over a device context. The base class draws on a DC it is given;
// descendants (control and bitmap canvases) make their own on demand.
class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;
    const char* ClassName() const override { return "TCanvas"; }

    HDC GetHandle();
    // Attaches a DC (0 detaches); the canvas's objects are put back out of the old one.
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return FHandle != nullptr; }

    TFont* GetFont() { return &FFont; }
    void SetFont(TFont* font) { FFont.Assign(font); }
    TPen* GetPen() { return &FPen; }
    void SetPen(TPen* pen) { FPen.Assign(pen); }
    TBrush* GetBrush() { return &FBrush; }
    void SetBrush(TBrush* brush) { FBrush.Assign(brush); }
    DWORD GetCopyMode() const { return FCopyMode; }
    void SetCopyMode(DWORD rop) { FCopyMode = rop; }
    TPoint GetPenPos();
    void SetPenPos(const TPoint& p) { MoveTo(p.X, p.Y); }
    TRect GetClipRect();

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);
    void Polygon(const std::vector<TPoint>& points);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void Ellipse(int x1, int y1, int x2, int y2);
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void DrawFocusRect(const TRect& r);
    void TextOut(int x, int y, const AnsiString& text);
    // Text clipped to the rectangle, drawn at (x, y).
    void TextRect(const TRect& r, int x, int y, const AnsiString& text);
    // DrawTextA with the canvas's font; returns the height drawn.
    int DrawText(const AnsiString& text, TRect& r, UINT format);
    SIZE TextExtent(const AnsiString& text);
    int TextWidth(const AnsiString& text) { return TextExtent(text).cx; }
    int TextHeight(const AnsiString& text) { return TextExtent(text).cy; }
    // Copies the bitmap; a transparent bitmap leaves its transparent colour's pixels alone.
    void Draw(int x, int y, TBitmap* bitmap);
    void StretchDraw(const TRect& r, TBitmap* bitmap);
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
    TColor GetPixel(int x, int y);
    void SetPixel(int x, int y, TColor color);

    // Puts back the DC's original objects and forgets the selected ones (they are chosen again).
    void Refresh();

    std::function<void(TObject*)> OnChange;

protected:
    // Makes a DC when one is asked for; the base canvas has none to make.
    virtual void CreateHandle();
    void RequireHandle();
    void RequireFont();
    void RequirePen();
    void RequireBrush();
    void DeselectObjects();
    void Changed();

    HDC FHandle = nullptr;
private:
    TFont FFont;
    TPen FPen;
    TBrush FBrush;
    DWORD FCopyMode = SRCCOPY;
    bool FFontSelected = false, FPenSelected = false, FBrushSelected = false;
    HGDIOBJ FOldFont = nullptr, FOldPen = nullptr, FOldBrush = nullptr;
};

// A raised or sunken one-pixel-wide frame, width times, shrinking the rectangle as it goes.
void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width);
