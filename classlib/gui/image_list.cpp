#include "classlib/gui/image_list.h"

#include "classlib/gui/gui_internal.h"
#include "classlib/gui/handles.h"

TImageList::TImageList(TComponent* owner, int width, int height)
    : TComponent(owner), FWidth(width), FHeight(height) {}

TImageList::~TImageList() {
    if (FHandle) ImageList_Destroy(FHandle);
}

void TImageList::CreateList() {
    if (FHandle) return;
    gui_internal::EnsureCommonControls();
    FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR32 | ILC_MASK, 4, 4);
    if (!FHandle) throw EOutOfMemory("Cannot create image list");
}

HIMAGELIST TImageList::GetHandle() {
    CreateList();
    return FHandle;
}

void TImageList::SetSize(int width, int height) {
    if (FHandle) ImageList_Destroy(FHandle);
    FHandle = nullptr;
    FWidth = width;
    FHeight = height;
}

int TImageList::Count() const { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }

int TImageList::AddMasked(TBitmap* image, TColor maskColor) {
    if (!image || image->Empty()) return -1;
    CreateList();
    // The list blackens the masked pixels of what it is given: hand it a copy, out of any DC.
    TBitmap copy;
    copy.Assign(image);
    copy.SetPixelFormat(pf32bit);
    HBITMAP h = copy.GetHandle();
    static_cast<TBitmapCanvas*>(copy.GetCanvas())->FreeContext();
    return ImageList_AddMasked(FHandle, h, ColorToRGB(maskColor));
}

int TImageList::Add(TBitmap* image, TBitmap* mask) {
    if (!image || image->Empty()) return -1;
    CreateList();
    TBitmap copy;
    copy.Assign(image);
    TBitmap maskCopy;
    if (mask) maskCopy.Assign(mask);
    HBITMAP h = copy.GetHandle();
    static_cast<TBitmapCanvas*>(copy.GetCanvas())->FreeContext();
    HBITMAP m = mask ? maskCopy.GetHandle() : nullptr;
    if (mask) static_cast<TBitmapCanvas*>(maskCopy.GetCanvas())->FreeContext();
    return ImageList_Add(FHandle, h, m);
}

void TImageList::Delete(int index) {
    if (FHandle) ImageList_Remove(FHandle, index);
}

void TImageList::Clear() {
    if (FHandle) ImageList_RemoveAll(FHandle);
}

void TImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
    if (!FHandle || !canvas || index < 0 || index >= Count()) return;
    HDC dc = canvas->GetHandle();
    if (enabled)
        ImageList_Draw(FHandle, index, dc, x, y, ILD_TRANSPARENT);
    else
        DrawDisabled(dc, x, y, index);
}

// The disabled look: the image's shape (its pixels that are neither masked out nor white) in the
// shadow colour over the same shape in the highlight colour one pixel right and down; the masked
// pixels keep what is underneath.
void TImageList::DrawDisabled(HDC dc, int x, int y, int index) {
    TMemoryDC colourDC, shapeDC;
    TBitmapHandle shape(CreateBitmap(FWidth, FHeight, 1, 1, nullptr));
    TBitmapHandle colour;
    {
        TWindowDC screen(nullptr);
        colour.Reset(CreateCompatibleBitmap(screen.Get(), FWidth, FHeight));
    }
    if (!colourDC || !shapeDC || !colour || !shape) return;
    TSelectObject colourIn(colourDC.Get(), colour.Get());
    TSelectObject shapeIn(shapeDC.Get(), shape.Get());
    PatBlt(colourDC.Get(), 0, 0, FWidth, FHeight, WHITENESS);
    ImageList_Draw(FHandle, index, colourDC.Get(), 0, 0, ILD_TRANSPARENT);
    // Colour to one bit: white (the background colour) becomes 1, everything else 0.
    SetBkColor(colourDC.Get(), RGB(255, 255, 255));
    BitBlt(shapeDC.Get(), 0, 0, FWidth, FHeight, colourDC.Get(), 0, 0, SRCCOPY);
    // Onto the canvas: the brush where the shape bit is 0, what was there where it is 1.
    constexpr DWORD kBrushWhereZero = 0x00B8074A;
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    const struct {
        int Offset;
        int SysColor;
    } passes[] = {{1, COLOR_BTNHIGHLIGHT}, {0, COLOR_BTNSHADOW}};
    for (const auto& pass : passes) {
        TSelectObject brush(dc, GetSysColorBrush(pass.SysColor));
        BitBlt(dc, x + pass.Offset, y + pass.Offset, FWidth, FHeight, shapeDC.Get(), 0, 0, kBrushWhereZero);
    }
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}

void DrawDisabledPicture(TCanvas* canvas, int x, int y, TBitmap* picture) {
    if (!canvas || !picture || picture->Empty()) return;
    TImageList list(nullptr, picture->GetWidth(), picture->GetHeight());
    const TColor background = picture->GetCanvas()->GetPixel(0, 0);
    list.Draw(canvas, x, y, list.AddMasked(picture, background), false);
}
