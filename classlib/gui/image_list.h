// A list of same-sized images with masks (the system's image list).
#pragma once
#include "classlib/gui/windows_api.h"
#include <commctrl.h>

#include "classlib/classes.h"
#include "classlib/gui/bitmap.h"

class TImageList : public TComponent {
public:
    TImageList(TComponent* owner, int width = 16, int height = 16);
    ~TImageList() override;
    const char* ClassName() const override { return "TImageList"; }
    int GetWidth() const { return FWidth; }
    int GetHeight() const { return FHeight; }
    // Empties the list and gives its images a new size.
    void SetSize(int width, int height);
    int Count() const;
    // Adds the bitmap's images (cut by the list's width); pixels of maskColor become transparent.
    // Returns the index of the first one.
    int AddMasked(TBitmap* image, TColor maskColor);
    // Adds with an explicit monochrome mask (nullptr: no transparency).
    int Add(TBitmap* image, TBitmap* mask);
    void Delete(int index);
    void Clear();
    // Draws image index at (x, y); a disabled image is drawn greyed.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
    HIMAGELIST GetHandle();
private:
    void CreateList();
    void DrawDisabled(HDC dc, int x, int y, int index);
    HIMAGELIST FHandle = nullptr;
    int FWidth, FHeight;
};

// A button's only picture in its disabled look: put in an image list masked by the colour of
// its pixel (0, 0), so that its background stays the button's, and drawn disabled from there.
void DrawDisabledPicture(TCanvas* canvas, int x, int y, TBitmap* picture);
