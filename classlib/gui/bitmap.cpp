#include "classlib/gui/bitmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/bmp_format.h"
#include "classlib/gui/handles.h"

namespace {

int BitsOf(TPixelFormat f) {
    switch (f) {
        case pf1bit: return 1;
        case pf4bit: return 4;
        case pf8bit: return 8;
        case pf15bit: case pf16bit: return 16;
        case pf24bit: return 24;
        default: return 32;
    }
}

TPixelFormat FormatOf(int bits) {
    switch (bits) {
        case 1: return pf1bit;
        case 4: return pf4bit;
        case 8: return pf8bit;
        case 16: return pf16bit;
        case 24: return pf24bit;
        case 32: return pf32bit;
        default: return pfCustom;
    }
}

// A BITMAPINFO with room for a full palette.
struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];

    DibInfo(int width, int height, int bits, DWORD compression = BI_RGB) {
        std::memset(this, 0, sizeof *this);
        header.biSize = sizeof(BITMAPINFOHEADER);
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = static_cast<WORD>(bits);
        header.biCompression = compression;
    }
    BITMAPINFO* Get() { return reinterpret_cast<BITMAPINFO*>(this); }
};

void SetGreyPalette(DibInfo& info, int bits) {
    int n = 1 << bits;
    for (int i = 0; i < n; ++i) {
        BYTE v = static_cast<BYTE>(n == 1 ? 0 : i * 255 / (n - 1));
        info.colours[i] = RGBQUAD{v, v, v, 0};
    }
    info.header.biClrUsed = static_cast<DWORD>(n);
}

}  // namespace

// ---- TBitmapCanvas ---------------------------------------------------------------

void TBitmapCanvas::CreateHandle() {
    auto dc = std::make_unique<TMemoryDC>();
    if (!*dc) return;
    HBITMAP image = FBitmap->GetHandle();
    FOldBitmap = image ? SelectObject(dc->Get(), image) : nullptr;
    SetHandle(dc->Get());
    FContext = std::move(dc);
}

void TBitmapCanvas::FreeContext() {
    HDC dc = FHandle;
    if (!dc) return;
    SetHandle(nullptr);
    if (FOldBitmap) SelectObject(dc, FOldBitmap);
    FOldBitmap = nullptr;
    FContext.reset();
}

// ---- TBitmap -----------------------------------------------------------------------

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) { SetSize(width, height); }

TBitmap::~TBitmap() { FCanvas.reset(); }

TCanvas* TBitmap::GetCanvas() {
    if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(this);
    return FCanvas.get();
}

void TBitmap::Changed() {
    if (OnChange) OnChange(this);
}

HBITMAP TBitmap::MakeImage(int width, int height, TPixelFormat format, TBitmapHandleType type, bool mono) {
    if (width <= 0 || height <= 0) return nullptr;
    if (mono) return CreateBitmap(width, height, 1, 1, nullptr);
    if (type == bmDDB) {
        TWindowDC screen(nullptr);
        return CreateCompatibleBitmap(screen.Get(), width, height);
    }
    int bits = BitsOf(format);
    DibInfo info(width, height, bits);
    if (bits <= 8) SetGreyPalette(info, bits);
    void* pixels = nullptr;
    HBITMAP b = CreateDIBSection(nullptr, info.Get(), DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (b && pixels) {
        // New pictures start white, as a cleared canvas would be.
        DIBSECTION ds;
        if (GetObjectA(b, sizeof ds, &ds) == sizeof ds)
            std::memset(pixels, 0xFF, static_cast<size_t>(ds.dsBm.bmWidthBytes) * static_cast<size_t>(height));
    }
    return b;
}

void TBitmap::SetImage(HBITMAP image, int width, int height) {
    if (FCanvas) FCanvas->FreeContext();
    FHandle.Reset(image);
    FWidth = image ? width : 0;
    FHeight = image ? height : 0;
}

void TBitmap::Convert(int width, int height, TPixelFormat format, TBitmapHandleType type, bool mono) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    HBITMAP image = MakeImage(width, height, format, type, mono);
    if (width > 0 && height > 0 && !image) throw EOutOfMemory("Out of system resources");
    if (image && FHandle) {
        TCanvas* canvas = GetCanvas();
        COLORREF brush = ColorToRGB(canvas->GetBrush()->GetColor());
        COLORREF font = ColorToRGB(canvas->GetFont()->GetColor());
        HDC src = canvas->GetHandle();
        TMemoryDC dst;
        TSelectObject selected(dst.Get(), image);
        HDC d = dst.Get();
        if (!mono && !FMonochrome) {
            // Areas beyond the old picture stay white.
            RECT all{0, 0, width, height};
            FillRect(d, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        }
        SetBkColor(src, brush);        // colour to monochrome: this colour becomes white
        SetTextColor(d, font);         // monochrome to colour: black becomes this
        SetBkColor(d, brush);          // ... and white this
        BitBlt(d, 0, 0, std::min(width, FWidth), std::min(height, FHeight), src, 0, 0, SRCCOPY);
    }
    SetImage(image, width, height);
    FPixelFormat = mono ? pf1bit : format;
    FHandleType = mono ? bmDDB : type;
    FMonochrome = mono;
    Changed();
}

void TBitmap::SetSize(int width, int height) {
    if (width == FWidth && height == FHeight) return;
    Convert(width, height, FPixelFormat, FHandleType, FMonochrome);
}

HBITMAP TBitmap::GetHandle() { return FHandle.Get(); }

void TBitmap::SetHandle(HBITMAP bitmap) {
    if (bitmap == FHandle.Get()) return;
    int w = 0, h = 0;
    BITMAP bm;
    if (bitmap && GetObjectA(bitmap, sizeof bm, &bm) >= static_cast<int>(sizeof bm)) {
        w = bm.bmWidth;
        h = bm.bmHeight;
        FMonochrome = bm.bmPlanes == 1 && bm.bmBitsPixel == 1 && !bm.bmBits;
        FHandleType = bm.bmBits ? bmDIB : bmDDB;
        FPixelFormat = FMonochrome ? pf1bit : FHandleType == bmDIB ? FormatOf(bm.bmBitsPixel) : pfDevice;
    }
    SetImage(bitmap, w, h);
    Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
    if (FCanvas) FCanvas->FreeContext();
    FWidth = FHeight = 0;
    return FHandle.Release();
}

void TBitmap::FreeImage() {
    SetImage(nullptr, 0, 0);
    Changed();
}

void TBitmap::SetMonochrome(bool value) {
    if (value == GetMonochrome()) return;
    Convert(FWidth, FHeight, value ? pf1bit : (FPixelFormat == pf1bit ? pfDevice : FPixelFormat),
            value ? bmDDB : bmDIB, value);
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == FPixelFormat && !FMonochrome) return;
    Convert(FWidth, FHeight, format, format == pfDevice ? FHandleType : bmDIB, false);
}

void TBitmap::SetHandleType(TBitmapHandleType type) {
    if (type == FHandleType) return;
    Convert(FWidth, FHeight, FPixelFormat, type, GetMonochrome() && type == bmDDB);
}

TColor TBitmap::GetTransparentColor() {
    if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
    if (Empty()) return clDefault;
    return static_cast<TColor>(::GetPixel(GetCanvas()->GetHandle(), 0, FHeight - 1) & 0xFFFFFF);
}

void TBitmap::SetTransparentColor(TColor color) {
    FTransparentColor = color;
    FTransparentMode = color == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::Assign(TPersistent* source) {
    if (!source) {
        FreeImage();
        return;
    }
    auto* b = dynamic_cast<TBitmap*>(source);
    if (!b) {
        TPersistent::Assign(source);
        return;
    }
    if (b == this) return;
    HBITMAP copy = nullptr;
    if (b->FHandle) {
        copy = static_cast<HBITMAP>(CopyImage(b->FHandle.Get(), IMAGE_BITMAP, 0, 0,
                                              b->FHandleType == bmDIB ? LR_CREATEDIBSECTION : 0));
        if (!copy) throw EOutOfMemory("Out of system resources");
    }
    SetImage(copy, b->FWidth, b->FHeight);
    FPixelFormat = b->FPixelFormat;
    FHandleType = b->FHandleType;
    FMonochrome = b->FMonochrome;
    FTransparent = b->FTransparent;
    FTransparentMode = b->FTransparentMode;
    FTransparentColor = b->FTransparentColor;
    Changed();
}

void TBitmap::LoadFromStream(TStream* stream) {
    TBmpImage img = ReadBmp(*stream);
    DibInfo info(img.Width, img.TopDown ? -img.Height : img.Height, img.BitCount,
                 img.Compression == 3 ? BI_BITFIELDS : BI_RGB);
    if (img.Compression == 3) {
        std::memcpy(info.colours, img.Masks, sizeof img.Masks);
    } else {
        for (size_t i = 0; i < img.Palette.size() && i < 256; ++i) {
            uint32_t c = img.Palette[i];
            info.colours[i] = RGBQUAD{static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16), 0};
        }
        info.header.biClrUsed = static_cast<DWORD>(img.Palette.size());
    }
    void* pixels = nullptr;
    TBitmapHandle b(CreateDIBSection(nullptr, info.Get(), DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!b || !pixels) throw EOutOfMemory("Out of system resources");
    std::memcpy(pixels, img.Bits.data(), img.Bits.size());
    SetImage(b.Release(), img.Width, img.Height);
    FPixelFormat = FormatOf(img.BitCount);
    FHandleType = bmDIB;
    FMonochrome = false;
    Changed();
}

void TBitmap::SaveToStream(TStream* stream) {
    if (Empty()) throw EInvalidGraphic("Bitmap image is empty");
    TBmpImage img;
    img.Width = FWidth;
    img.Height = FHeight;
    int bits = FMonochrome ? 1 : (FHandleType == bmDIB ? BitsOf(FPixelFormat) : 24);
    if (bits == 16) bits = 24;   // written as plain RGB
    img.BitCount = static_cast<uint16_t>(bits);
    DibInfo info(FWidth, FHeight, bits);
    img.Bits.resize(static_cast<size_t>(img.Stride()) * static_cast<size_t>(FHeight));
    if (FCanvas) FCanvas->FreeContext();   // GetDIBits wants the bitmap out of any DC
    TWindowDC screen(nullptr);
    int lines = GetDIBits(screen.Get(), FHandle.Get(), 0, static_cast<UINT>(FHeight), img.Bits.data(), info.Get(),
                          DIB_RGB_COLORS);
    if (lines != FHeight) throw EInvalidGraphic("Bitmap image is not valid");
    if (bits <= 8) {
        DWORD n = info.header.biClrUsed ? info.header.biClrUsed : (1u << bits);
        for (DWORD i = 0; i < n && i < 256; ++i) {
            const RGBQUAD& q = info.colours[i];
            img.Palette.push_back((static_cast<uint32_t>(q.rgbRed) << 16) | (q.rgbGreen << 8) | q.rgbBlue);
        }
    }
    WriteBmp(*stream, img);
}

void TBitmap::LoadFromFile(const AnsiString& name) {
    TFileStream f(name, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&f);
}

void TBitmap::SaveToFile(const AnsiString& name) {
    TFileStream f(name, fmCreate);
    SaveToStream(&f);
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const AnsiString& name) {
    HBITMAP b = static_cast<HBITMAP>(LoadImageA(instance, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!b) throw EResNotFound("Resource " + name + " not found");
    SetHandle(b);
}

void TBitmap::LoadFromResourceID(HINSTANCE instance, int id) {
    HBITMAP b = static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!b) throw EResNotFound(Format("Resource %d not found", id));
    SetHandle(b);
}

void* TBitmap::ScanLine(int row) {
    if (!FHandle || row < 0 || row >= FHeight) throw EInvalidGraphic("Scan line index out of range");
    DIBSECTION ds;
    if (GetObjectA(FHandle.Get(), sizeof ds, &ds) != sizeof ds || !ds.dsBm.bmBits)
        throw EInvalidGraphic("Bitmap is not device-independent");
    GdiFlush();
    auto* base = static_cast<uint8_t*>(ds.dsBm.bmBits);
    size_t stride = static_cast<size_t>(ds.dsBm.bmWidthBytes);
    bool topDown = ds.dsBmih.biHeight < 0;
    return base + stride * static_cast<size_t>(topDown ? row : FHeight - 1 - row);
}
