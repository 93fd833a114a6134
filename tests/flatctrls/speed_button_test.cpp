// The flat speed button: glyph strips, groups, clicks and its painted looks.
#include <gtest/gtest.h>

#include "classlib/gui/actions.h"
#include "classlib/gui/panel.h"
#include "flat_form_fixture.h"
#include "flatctrls/flat_speed_button.h"

namespace {

std::unique_ptr<TBitmap> Strip(int width, int height) { return std::make_unique<TBitmap>(width, height); }

class SpeedButtonTest : public FlatFormTest {
protected:
    TFlatSpeedButton* AddButton(int left, int top) {
        auto* b = new TFlatSpeedButton(form);
        b->SetParent(form);
        b->SetBounds(left, top, 40, 30);
        b->OnClick = [this](TObject* sender) { clicks.push_back(sender); };
        return b;
    }
    // A press and release on the form at a point of the button (or beside it for the release).
    void ClickAt(TFlatSpeedButton* b, int upDx = 0) {
        HWND wnd = form->GetHandle();
        int x = b->GetLeft() + 10, y = b->GetTop() + 10;
        PostMouse(wnd, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        PostMouse(wnd, WM_LBUTTONUP, x + upDx, y, 0);
    }
    std::vector<TObject*> clicks;
};

TEST_F(SpeedButtonTest, GlyphStripSetsTheNumberOfImages) {
    TFlatSpeedButton* b = AddButton(10, 10);
    auto s = Strip(64, 16);
    b->SetGlyph(s.get());
    EXPECT_EQ(b->GetNumGlyphs(), 4);
    s = Strip(80, 16);   // five squares: more than a strip holds
    b->SetGlyph(s.get());
    EXPECT_EQ(b->GetNumGlyphs(), 1);
    b->SetNumGlyphs(3);
    s = Strip(40, 16);   // not a multiple of the height: kept
    b->SetGlyph(s.get());
    EXPECT_EQ(b->GetNumGlyphs(), 3);
    b->SetGlyph(nullptr);
    EXPECT_TRUE(b->GetGlyph()->Empty());
    EXPECT_EQ(b->GetNumGlyphs(), 3);
}

TEST_F(SpeedButtonTest, NumGlyphsAndMarginStayInRange) {
    TFlatSpeedButton* b = AddButton(10, 10);
    b->SetNumGlyphs(0);
    EXPECT_EQ(b->GetNumGlyphs(), 1);
    b->SetNumGlyphs(9);
    EXPECT_EQ(b->GetNumGlyphs(), 4);
    b->SetMargin(3);
    b->SetMargin(-5);
    EXPECT_EQ(b->GetMargin(), 3);
    b->SetMargin(-1);
    EXPECT_EQ(b->GetMargin(), -1);
}

TEST_F(SpeedButtonTest, PaintsEveryStateWithAnyGlyphStrip) {
    TFlatSpeedButton* b = AddButton(10, 10);
    b->SetCaption("&Go");
    int reports = 0;
    Application->OnException = [&reports](TObject*, const Exception&) { ++reports; };
    ShowForm();
    // Strips too narrow to hold one image per slot, and strips of every count, in both states.
    for (int width : {3, 16, 32, 48, 64}) {
        auto s = Strip(width, 16);
        b->SetGlyph(s.get());
        for (int n = 1; n <= 4; ++n) {
            b->SetNumGlyphs(n);
            b->SetEnabled(false);
            ClientPixel(form->GetHandle(), 20, 20);
            b->SetEnabled(true);
            ClientPixel(form->GetHandle(), 20, 20);
        }
    }
    Application->OnException = nullptr;
    EXPECT_EQ(reports, 0);
}

TEST_F(SpeedButtonTest, ReleasingOutsideDoesNotClick) {
    TFlatSpeedButton* b = AddButton(10, 10);
    ShowForm();
    ClickAt(b, 100);
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(b->GetState(), TFlatSpeedButton::bsUp);
    ClickAt(b);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0], b);
}

TEST_F(SpeedButtonTest, GroupKeepsOneButtonDown) {
    TFlatSpeedButton* a = AddButton(10, 10);
    TFlatSpeedButton* b = AddButton(60, 10);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    a->SetDown(true);
    ShowForm();
    ClickAt(b);
    EXPECT_TRUE(b->GetDown());
    EXPECT_FALSE(a->GetDown());
    EXPECT_EQ(a->GetState(), TFlatSpeedButton::bsUp);
    // Without AllowAllUp the down button stays down.
    ClickAt(b);
    EXPECT_TRUE(b->GetDown());
    EXPECT_EQ(clicks.size(), 2u);
    // A button outside any group never stays down.
    TFlatSpeedButton* c = AddButton(110, 10);
    c->SetDown(true);
    EXPECT_FALSE(c->GetDown());
}

TEST_F(SpeedButtonTest, AllowAllUpLetsTheLastButtonComeUp) {
    TFlatSpeedButton* a = AddButton(10, 10);
    TFlatSpeedButton* b = AddButton(60, 10);
    a->SetGroupIndex(2);
    b->SetGroupIndex(2);
    a->SetAllowAllUp(true);
    EXPECT_TRUE(b->GetAllowAllUp());   // the group shares it
    ShowForm();
    ClickAt(a);
    EXPECT_TRUE(a->GetDown());
    ClickAt(a);
    EXPECT_FALSE(a->GetDown());
}

TEST_F(SpeedButtonTest, ClickGivesTheFormItsModalResult) {
    TFlatSpeedButton* b = AddButton(10, 10);
    b->SetModalResult(mrOk);
    b->Click();
    EXPECT_EQ(form->GetModalResult(), mrOk);
}

TEST_F(SpeedButtonTest, ClickWithoutAFormStillClicks) {
    TPanel* loose = new TPanel(form);   // no parent: no form above the button
    auto* b = new TFlatSpeedButton(loose);
    b->SetParent(loose);
    b->SetModalResult(mrOk);
    int clicked = 0;
    b->OnClick = [&clicked](TObject*) { ++clicked; };
    b->Click();
    EXPECT_EQ(clicked, 1);
    auto* orphan = new TFlatSpeedButton(form);
    orphan->OnClick = [&clicked](TObject*) { ++clicked; };
    orphan->Click();
    EXPECT_EQ(clicked, 2);
    EXPECT_EQ(form->GetModalResult(), mrNone);
}

TEST_F(SpeedButtonTest, LooksOfUpDownAndDisabled) {
    TFlatSpeedButton* b = AddButton(10, 10);
    b->SetColor(0x00C000);
    b->SetColorDown(0xC00000);
    b->SetColorBorder(0x0000C0);
    b->SetColorShadow(0x101010);
    b->SetColorHighLight(0xF0F0F0);
    // A 4x4 black square on a white ground, one image.
    auto glyph = Strip(8, 8);
    glyph->GetCanvas()->GetBrush()->SetColor(clWhite);
    glyph->GetCanvas()->FillRect(TRect(0, 0, 8, 8));
    glyph->GetCanvas()->GetBrush()->SetColor(clBlack);
    glyph->GetCanvas()->FillRect(TRect(2, 2, 6, 6));
    b->SetGlyph(glyph.get());
    ShowForm();
    HWND wnd = form->GetHandle();
    // Glyph centred: (40 - 8 + 1) / 2 = 16 across, (30 - 8 + 1) / 2 = 11 down.
    const int gx = 10 + 16, gy = 10 + 11;

    EXPECT_EQ(ClientPixel(wnd, 10 + 5, 10 + 5), RGB(0, 0xC0, 0)) << "up background";
    EXPECT_EQ(ClientPixel(wnd, 10, 10 + 5), RGB(0xC0, 0, 0)) << "up frame";
    EXPECT_EQ(ClientPixel(wnd, gx + 3, gy + 3), RGB(0, 0, 0)) << "glyph ink";
    EXPECT_EQ(ClientPixel(wnd, gx, gy), RGB(0, 0xC0, 0)) << "glyph ground is transparent";

    PostMouse(wnd, WM_LBUTTONDOWN, 10 + 5, 10 + 5, MK_LBUTTON);
    EXPECT_EQ(b->GetState(), TFlatSpeedButton::bsDown);
    EXPECT_EQ(ClientPixel(wnd, 10 + 5, 10 + 5), RGB(0, 0, 0xC0)) << "down background";
    EXPECT_EQ(ClientPixel(wnd, 10, 10 + 5), RGB(0x10, 0x10, 0x10)) << "down frame, shadow on top-left";
    EXPECT_EQ(ClientPixel(wnd, 10 + 39, 10 + 5), RGB(0xF0, 0xF0, 0xF0)) << "down frame, light on bottom-right";
    EXPECT_EQ(ClientPixel(wnd, gx + 4, gy + 4), RGB(0, 0, 0)) << "glyph moved by one pixel";
    PostMouse(wnd, WM_LBUTTONUP, 10 + 5, 10 + 5, 0);

    b->SetEnabled(false);
    EXPECT_EQ(ClientPixel(wnd, 10 + 5, 10 + 5), RGB(0, 0xC0, 0)) << "disabled background";
    EXPECT_EQ(ClientPixel(wnd, gx + 3, gy + 3), GetSysColor(COLOR_BTNSHADOW)) << "greyed glyph ink";
    EXPECT_EQ(ClientPixel(wnd, gx + 6, gy + 6), GetSysColor(COLOR_BTNHIGHLIGHT)) << "greyed glyph highlight";
}

TEST_F(SpeedButtonTest, AcceleratorClicksAndDoubleClickNeedsDown) {
    TFlatSpeedButton* b = AddButton(10, 10);
    b->SetCaption("&Go");
    EXPECT_EQ(b->Perform(CM_DIALOGCHAR, 'x'), 0);
    EXPECT_TRUE(clicks.empty());
    ShowForm();
    EXPECT_EQ(b->Perform(CM_DIALOGCHAR, 'g'), 1);
    EXPECT_EQ(clicks.size(), 1u);
    b->SetEnabled(false);
    EXPECT_EQ(b->Perform(CM_DIALOGCHAR, 'g'), 0);
    b->SetEnabled(true);

    int doubles = 0;
    b->OnDblClick = [&doubles](TObject*) { ++doubles; };
    const LPARAM at = MAKELPARAM(5, 5);
    b->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    b->Perform(WM_LBUTTONUP, 0, at);
    EXPECT_EQ(doubles, 0);
    b->SetGroupIndex(3);
    b->SetDown(true);
    b->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    b->Perform(WM_LBUTTONUP, 0, at);
    EXPECT_EQ(doubles, 1);
}

TEST_F(SpeedButtonTest, HoverMovesFromButtonToButtonWithTheSharedTimer) {
    TFlatSpeedButton* a = AddButton(10, 10);
    TFlatSpeedButton* b = AddButton(60, 10);
    ShowForm();
    ASSERT_NE(GetActiveWindow(), nullptr);
    HWND wnd = form->GetHandle();
    auto hover = [&](TFlatSpeedButton* button) {
        TPoint p = form->ClientToScreen(TPoint(button->GetLeft() + 5, button->GetTop() + 5));
        SetCursorPos(p.X, p.Y);
        PostMouse(wnd, WM_MOUSEMOVE, button->GetLeft() + 5, button->GetTop() + 5, 0);
    };
    hover(a);
    EXPECT_TRUE(a->GetMouseInControl());
    hover(b);
    EXPECT_TRUE(b->GetMouseInControl());
    EXPECT_FALSE(a->GetMouseInControl());
    // Away from both: the timer notices within a tick or two.
    SetCursorPos(0, 0);
    Pump(350);
    EXPECT_FALSE(b->GetMouseInControl());
    EXPECT_FALSE(a->GetMouseInControl());
}

// An image list of one image of the given size: a red square inside a lime ground that the
// list masks out.
TImageList* RedSquareImages(TComponent* owner, int size) {
    auto* images = new TImageList(owner, size, size);
    TBitmap image(size, size);
    image.GetCanvas()->GetBrush()->SetColor(clLime);
    image.GetCanvas()->FillRect(TRect(0, 0, size, size));
    image.GetCanvas()->GetBrush()->SetColor(clRed);
    image.GetCanvas()->FillRect(TRect(4, 4, size - 4, size - 4));
    images->AddMasked(&image, clLime);
    return images;
}

TEST_F(SpeedButtonTest, AnEmptyGlyphShowsTheActionsImageOnTheButtonFace) {
    ShowForm();
    HWND wnd = form->GetHandle();
    for (int size : {16, 24}) {
        SCOPED_TRACE(size);
        TFlatSpeedButton* b = AddButton(10, 10);
        b->SetColor(0x00C000);
        auto* list = new TActionList(form);
        list->SetImages(RedSquareImages(form, size));
        auto* action = new TAction(form);
        action->SetActionList(list);
        action->SetImageIndex(0);
        b->SetAction(action);
        ASSERT_FALSE(b->GetGlyph()->Empty());
        EXPECT_EQ(b->GetGlyph()->GetWidth(), size);
        EXPECT_EQ(b->GetGlyph()->GetCanvas()->GetPixel(0, 0), clFuchsia) << "the image's ground";
        EXPECT_EQ(b->GetNumGlyphs(), 1);
        // Glyph centred in the 40 x 30 button.
        const int gx = 10 + (40 - size + 1) / 2, gy = 10 + (30 - size + 1) / 2;
        EXPECT_EQ(ClientPixel(wnd, gx + size / 2, gy + size / 2), RGB(0xFF, 0, 0)) << "the image";
        EXPECT_EQ(ClientPixel(wnd, gx + 1, gy + 1), RGB(0, 0xC0, 0)) << "fuchsia shows the face";
        EXPECT_EQ(ClientPixel(wnd, gx + size - 2, gy + size - 2), RGB(0, 0xC0, 0));
        delete b;
        delete action;
        delete list;
    }
}

TEST_F(SpeedButtonTest, TheActionsImageOnlyFillsAnEmptyGlyph) {
    auto* list = new TActionList(form);
    auto* action = new TAction(form);
    action->SetActionList(list);
    action->SetImageIndex(0);
    // No images yet: nothing to take; once the list has them, the button takes its image.
    TFlatSpeedButton* waiting = AddButton(10, 10);
    waiting->SetAction(action);
    EXPECT_TRUE(waiting->GetGlyph()->Empty());
    list->SetImages(RedSquareImages(form, 16));
    EXPECT_FALSE(waiting->GetGlyph()->Empty());
    // A glyph of its own is kept.
    TFlatSpeedButton* own = AddButton(60, 10);
    auto glyph = Strip(32, 16);
    own->SetGlyph(glyph.get());
    own->SetAction(action);
    EXPECT_EQ(own->GetGlyph()->GetWidth(), 32);
    EXPECT_EQ(own->GetNumGlyphs(), 2);
    // An index outside the list gives nothing.
    auto* other = new TAction(form);
    other->SetActionList(list);
    other->SetImageIndex(1);
    TFlatSpeedButton* outside = AddButton(110, 10);
    outside->SetAction(other);
    EXPECT_TRUE(outside->GetGlyph()->Empty());
}

TEST_F(SpeedButtonTest, TheActionsImageIsTheSameWhicheverIsLinkedFirst) {
    // The button, the action's list and the list's images, joined in every order.
    enum Step { ButtonTakesAction, ActionJoinsList, ListTakesImages };
    const std::vector<std::vector<Step>> orders = {
        {ListTakesImages, ActionJoinsList, ButtonTakesAction},
        {ListTakesImages, ButtonTakesAction, ActionJoinsList},
        {ActionJoinsList, ButtonTakesAction, ListTakesImages},
        {ButtonTakesAction, ActionJoinsList, ListTakesImages},
    };
    std::vector<TColor> first;
    for (size_t o = 0; o < orders.size(); ++o) {
        SCOPED_TRACE(o);
        TFlatSpeedButton* b = AddButton(10, 10);
        auto* list = new TActionList(form);
        auto* action = new TAction(form);
        action->SetImageIndex(0);
        for (Step step : orders[o]) {
            switch (step) {
                case ButtonTakesAction: b->SetAction(action); break;
                case ActionJoinsList: action->SetActionList(list); break;
                case ListTakesImages: list->SetImages(RedSquareImages(form, 16)); break;
            }
        }
        TBitmap* glyph = b->GetGlyph();
        ASSERT_EQ(glyph->GetWidth(), 16);
        ASSERT_EQ(glyph->GetHeight(), 16);
        std::vector<TColor> pixels;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) pixels.push_back(glyph->GetCanvas()->GetPixel(x, y));
        if (o == 0) {
            first = pixels;
            EXPECT_EQ(pixels[8 * 16 + 8], clRed);
            EXPECT_EQ(pixels[0], clFuchsia);
        } else {
            EXPECT_EQ(pixels, first);
        }
        delete b;
        delete action;
        delete list;
    }
}

TEST_F(SpeedButtonTest, FollowsItsActionAndAClickExecutesIt) {
    TFlatSpeedButton* b = AddButton(10, 10);
    auto* action = new TAction(form);
    action->SetCaption("&Pack");
    int executed = 0;
    action->OnExecute = [&executed](TObject*) { ++executed; };
    ShowForm();   // the form's own construction would keep the OnClick it set
    b->SetAction(action);
    EXPECT_EQ(b->GetCaption(), "&Pack");
    ClickAt(b);
    EXPECT_EQ(executed, 1);
    EXPECT_TRUE(clicks.empty()) << "the action took the click";
    action->SetEnabled(false);
    EXPECT_FALSE(b->GetEnabled());
    EXPECT_EQ(b->GetState(), TFlatSpeedButton::bsDisabled);
    ClickAt(b);
    EXPECT_EQ(executed, 1);
    delete action;
    EXPECT_EQ(b->GetAction(), nullptr);
    b->SetEnabled(true);
    ClickAt(b);
    EXPECT_EQ(executed, 1);
}

}  // namespace
