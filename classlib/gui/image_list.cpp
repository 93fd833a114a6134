#include "classlib/gui/image_list.h"

#include "classlib/gui/gui_internal.h"

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
        ImageList_DrawEx(FHandle, index, dc, x, y, 0, 0, CLR_NONE, GetSysColor(COLOR_BTNFACE), ILD_TRANSPARENT | ILD_BLEND50);
}
