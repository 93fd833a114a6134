// TBitmap: a picture held as a device-independent section (or, on request, a device-dependent
// or monochrome bitmap), with its own canvas, transparency, and ".bmp" streaming.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "classlib/classes.h"
#include "classlib/gui/graphics.h"

enum TPixelFormat : uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TBitmapHandleType : uint8_t { bmDIB, bmDDB };
enum TTransparentMode : uint8_t { tmAuto, tmFixed };

class TBitmapCanvas;

class TBitmap : public TPersistent {
public:
    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;
    const char* ClassName() const override { return "TBitmap"; }

    // A copy of the source's picture and settings; nullptr empties this bitmap.
    void Assign(TPersistent* source) override;

    int GetWidth() const { return FWidth; }
    int GetHeight() const { return FHeight; }
    // Resizing keeps the top-left part of the picture; new pixels are white.
    void SetWidth(int width) { SetSize(width, FHeight); }
    void SetHeight(int height) { SetSize(FWidth, height); }
    void SetSize(int width, int height);
    bool Empty() const { return FWidth <= 0 || FHeight <= 0; }

    // The bitmap handle (made on demand; nullptr while empty). It stays the bitmap's.
    HBITMAP GetHandle();
    // Takes over an existing bitmap (for instance from LoadBitmapA); the old picture is freed.
    void SetHandle(HBITMAP bitmap);
    // Hands the handle to the caller and leaves the bitmap empty.
    HBITMAP ReleaseHandle();

    TCanvas* GetCanvas();

    // Monochrome: one bit a pixel. Turning it on maps pixels of the canvas's brush colour to
    // white and all others to black; turning it off maps white to the brush colour and black to
    // the font colour (the usual colour conversions of a device context).
    bool GetMonochrome() const { return FMonochrome || FPixelFormat == pf1bit; }
    void SetMonochrome(bool value);
    TPixelFormat GetPixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat format);
    TBitmapHandleType GetHandleType() const { return FHandleType; }
    void SetHandleType(TBitmapHandleType type);

    bool GetTransparent() const { return FTransparent; }
    void SetTransparent(bool value) { FTransparent = value; Changed(); }
    // tmAuto: the bottom-left pixel's colour; tmFixed: the colour set here.
    TColor GetTransparentColor();
    void SetTransparentColor(TColor color);
    TTransparentMode GetTransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode mode) { FTransparentMode = mode; Changed(); }

    // ".bmp" data at the stream's position (EInvalidGraphic when malformed).
    void LoadFromStream(TStream* stream);
    void SaveToStream(TStream* stream);
    void LoadFromFile(const AnsiString& name);
    void SaveToFile(const AnsiString& name);
    // A bitmap resource of the module (EResNotFound when missing).
    void LoadFromResourceName(HINSTANCE instance, const AnsiString& name);
    void LoadFromResourceID(HINSTANCE instance, int id);

    // Start of a pixel row (0 = top) of a device-independent picture.
    void* ScanLine(int row);
    // Frees the picture; the bitmap becomes empty.
    void FreeImage();

    std::function<void(TObject*)> OnChange;

private:
    friend class TBitmapCanvas;
    void Changed();
    // Replaces the picture with one of the given kind and size, copying the old one over it.
    void Convert(int width, int height, TPixelFormat format, TBitmapHandleType type, bool mono);
    HBITMAP MakeImage(int width, int height, TPixelFormat format, TBitmapHandleType type, bool mono);
    void SetImage(HBITMAP image, int width, int height);

    TBitmapHandle FHandle;
    int FWidth = 0;
    int FHeight = 0;
    TPixelFormat FPixelFormat = pfDevice;
    TBitmapHandleType FHandleType = bmDIB;
    bool FMonochrome = false;
    bool FTransparent = false;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clDefault;
    std::unique_ptr<TBitmapCanvas> FCanvas;
};

// The canvas of a bitmap: a memory DC with the bitmap selected into it.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }
    const char* ClassName() const override { return "TBitmapCanvas"; }
    // Lets go of the DC (before the bitmap's picture is replaced).
    void FreeContext();
protected:
    void CreateHandle() override;
private:
    TBitmap* FBitmap;
    HGDIOBJ FOldBitmap = nullptr;
    std::unique_ptr<TMemoryDC> FContext;   // the DC the picture is selected into while drawing
};
