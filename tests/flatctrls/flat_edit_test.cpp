// The flat edit's rings and colours on a shown form.
#include <gtest/gtest.h>

#include <vector>

#include "flat_form_fixture.h"
#include "flatctrls/flat_colors.h"
#include "flatctrls/flat_edit.h"

namespace {

constexpr TColor kBorder = 0x2040C0, kFlat = 0x30A050, kFocused = 0xE0C020;

// The whole window (non-client rings included) printed into a memory DC.
class PrintedWindow {
public:
    explicit PrintedWindow(HWND wnd) {
        RECT r;
        GetWindowRect(wnd, &r);
        width = r.right - r.left;
        height = r.bottom - r.top;
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        HBRUSH sentinel = CreateSolidBrush(RGB(1, 2, 3));
        FillRect(dc_, &all, sentinel);
        DeleteObject(sentinel);
        SendMessageA(wnd, WM_PRINT, reinterpret_cast<WPARAM>(dc_), PRF_NONCLIENT);
    }
    ~PrintedWindow() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    TColor At(int x, int y) const { return static_cast<TColor>(GetPixel(dc_, x, y)); }
    int width = 0, height = 0;

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

class FlatEditTest : public FlatFormTest {
protected:
    void SetUp() override {
        FlatFormTest::SetUp();
        edit = new TCustomFlatEdit(form);
        edit->SetParent(form);
        edit->SetBounds(20, 20, 121, 19);
        other = new TCustomFlatEdit(form);
        other->SetParent(form);
        other->SetBounds(20, 80, 121, 19);
        ShowForm();
        edit->SetColorBorder(kBorder);
        edit->SetColorFlat(kFlat);
        edit->SetColorFocused(kFocused);
    }

    // Outer ring in the border colour, the two inner ones in `inner`, on every side.
    void ExpectRings(const PrintedWindow& p, TColor inner, const char* look) {
        const int w = p.width, h = p.height;
        const struct { int x, y; TColor c; } points[] = {
            {0, 0, kBorder},         {w / 2, 0, kBorder},     {w - 1, h / 2, kBorder}, {w / 2, h - 1, kBorder},
            {0, h - 1, kBorder},     {1, 1, inner},           {w / 2, 1, inner},       {w - 2, h / 2, inner},
            {2, 2, inner},           {w / 2, h - 3, inner},   {w - 3, h - 3, inner},   {2, h / 2, inner},
        };
        for (const auto& pt : points)
            EXPECT_EQ(p.At(pt.x, pt.y), pt.c) << look << " at (" << pt.x << "," << pt.y << ")";
    }

    TCustomFlatEdit* edit = nullptr;
    TCustomFlatEdit* other = nullptr;
};

TEST_F(FlatEditTest, ClientAreaLeavesThreePixelsForTheRings) {
    RECT window, client;
    GetWindowRect(edit->GetHandle(), &window);
    GetClientRect(edit->GetHandle(), &client);
    EXPECT_EQ(client.right, (window.right - window.left) - 6);
    EXPECT_EQ(client.bottom, (window.bottom - window.top) - 6);
}

TEST_F(FlatEditTest, RingsFollowTheFocus) {
    other->SetFocus();
    Pump(30);
    ASSERT_FALSE(edit->Focused());
    {
        PrintedWindow p(edit->GetHandle());
        ExpectRings(p, kFlat, "flat");
    }
    EXPECT_EQ(edit->GetColor(), kFlat);

    edit->SetFocus();
    Pump(30);
    ASSERT_TRUE(edit->Focused());
    {
        PrintedWindow p(edit->GetHandle());
        ExpectRings(p, kFocused, "focused");
    }
    EXPECT_EQ(edit->GetColor(), kFocused);

    // The rings really drawn in the window's own device context.
    HDC dc = GetWindowDC(edit->GetHandle());
    EXPECT_EQ(static_cast<TColor>(GetPixel(dc, 0, 0)), kBorder);
    EXPECT_EQ(static_cast<TColor>(GetPixel(dc, 1, 1)), kFocused);
    ReleaseDC(edit->GetHandle(), dc);
}

TEST_F(FlatEditTest, MouseInsideShowsTheFocusedLookWhileTheProgramIsActive) {
    other->SetFocus();
    Pump(30);
    ASSERT_NE(GetActiveWindow(), nullptr);
    edit->Perform(CM_MOUSEENTER);
    {
        PrintedWindow p(edit->GetHandle());
        ExpectRings(p, kFocused, "hovered");
    }
    edit->Perform(CM_MOUSELEAVE);
    PrintedWindow p(edit->GetHandle());
    ExpectRings(p, kFlat, "left");
}

TEST_F(FlatEditTest, DisablingKeepsTheFlatRingsAndColour) {
    other->SetFocus();
    Pump(30);
    edit->SetEnabled(false);
    // clBtnFace is set and at once replaced by the redraw that follows.
    EXPECT_EQ(edit->GetColor(), kFlat);
    PrintedWindow p(edit->GetHandle());
    ExpectRings(p, kFlat, "disabled");
}

TEST_F(FlatEditTest, ParentColourReachesTheEditUntilColorFlatIsSet) {
    TCustomFlatEdit* fresh = new TCustomFlatEdit(form);
    fresh->SetParent(form);
    EXPECT_TRUE(fresh->GetParentColor());
    EXPECT_EQ(fresh->GetColorFlat(), form->GetColor());
    form->SetColor(0x123456);
    EXPECT_EQ(fresh->GetColorFlat(), 0x123456);

    fresh->SetColorFlat(0x00FF00);
    EXPECT_FALSE(fresh->GetParentColor());
    form->SetColor(0x654321);
    EXPECT_EQ(fresh->GetColorFlat(), 0x00FF00);

    fresh->SetParentColor(true);
    EXPECT_EQ(fresh->GetColorFlat(), 0x654321);
}

TEST_F(FlatEditTest, AdvancedColoursComeFromTheFlatColour) {
    form->SetColor(clBtnFace);
    edit->SetUseAdvColors(true);
    EXPECT_TRUE(edit->GetParentColor());
    EXPECT_EQ(edit->GetColorFlat(), clBtnFace);
    EXPECT_EQ(edit->GetColorFocused(), ShiftColor(clBtnFace, 0, 10, false));
    EXPECT_EQ(edit->GetColorBorder(), ShiftColor(clBtnFace, 0, 50, true));

    edit->SetAdvColorBorder(30);
    EXPECT_EQ(edit->GetColorBorder(), ShiftColor(clBtnFace, 0, 30, true));
    // Amount 0 keeps the colour it had.
    const TColor before = edit->GetColorFocused();
    edit->SetAdvColorFocused(0);
    EXPECT_EQ(edit->GetColorFocused(), before);

    form->SetColor(0x808080);
    EXPECT_EQ(edit->GetColorFlat(), 0x808080);
    EXPECT_EQ(edit->GetColorBorder(), ShiftColor(0x808080, 0, 30, true));
}

TEST_F(FlatEditTest, LoadedEditTakesItsFontHeightPlusSix) {
    TForm* loading = new TForm(form);
    TCustomFlatEdit* e = new TCustomFlatEdit(loading);
    e->SetParent(loading);
    e->SetBounds(0, 0, 121, 40);
    loading->AfterConstruction();
    EXPECT_EQ(e->GetHeight(), FontTextHeight(e->GetFont()) + 6);
}

}  // namespace
