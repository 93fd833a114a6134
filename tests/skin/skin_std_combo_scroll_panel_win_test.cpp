// Skins of the class library's combo boxes, scroll bars, group boxes, panels and speed buttons
// with the default skin, on a plain form: colours read back from the screen against the skin's
// own colours and slices, real mouse input through the skinned parts, and teardown in every
// order without leaking.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <algorithm>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/bar_controls.h"
#include "classlib/gui/button_controls.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/list_controls.h"
#include "classlib/gui/panel.h"
#include "classlib/gui/speed_button.h"
#include "classlib/gui/tool_bar.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_registry_win.h"
#include "skin/skin_std_ctrl_combo_win.h"
#include "skin/skin_std_ctrl_panel_win.h"
#include "skin/skin_std_ctrl_scroll_win.h"
#include "skin/skin_std_ctrl_register_win.h"
#include "skin/skin_utils_win.h"
#include "tests/skin/support/skin_test_support.h"

namespace {

const auto* kEnv = ::testing::AddGlobalTestEnvironment(new TSkinGuiEnvironment(RegisterStdControlSkins));

COLORREF Skin(TSkinColorKey key) { return ColorToRGB(Host().Engine->GetSkinColor(key)); }

// A click from a second thread while this one runs the messages: a press on a native scroll
// bar enters the system's tracking loop, which returns only on the release.
void ClickFromOutside(POINT p) {
    MoveTo(p);
    std::thread clicker([] {
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        Sleep(80);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    });
    Pump(250);
    clicker.join();
    Pump();
}

// The client area as the screen shows it.
std::vector<COLORREF> Grab(HWND wnd) {
    RECT r{};
    GetClientRect(wnd, &r);
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(wnd);
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x) pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(wnd, dc);
    return pixels;
}

void Redraw(HWND wnd) {
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(30);
}

class SkinStdBoxes : public TSkinFormTest {
protected:
    SkinStdBoxes() : TSkinFormTest("TBoxTestForm", 420, 60, 460, 360, true) {}
    void TearDown() override {
        Host().Engine->SetDrawScrollBar(true);
        TSkinFormTest::TearDown();
    }
    std::unique_ptr<TlumSkinControlVCL> SkinOf(TControl* control) {
        auto skin = FindSkinControlClass(control, &SkinWindow);
        if (skin) skin->ApplySkinColours();
        return skin;
    }
};

}  // namespace

TEST_F(SkinStdBoxes, RowsPickTheirSkins) {
    struct {
        TControl* Control;
        const char* Skin;
        bool ParentColor;
    } cases[] = {
        {Add<TComboBox>(10, 10, 120, 24), "TlumSkinComboBox", false},
        {Add<TScrollBar>(10, 40, 120, 18), "TlumSkinScrollBar", false},
        {Add<TGroupBox>(10, 70, 120, 60), "TlumSkinGroupBox", true},
        {Add<TPanel>(140, 10, 120, 60), "TlumSkinPanel", true},
        {Add<TCoolBar>(140, 80, 120, 30), "TlumSkinPanel", true},
        {Add<TSpeedButton>(140, 120, 40, 24), "TlumSkinSpeedButton", false},
    };
    for (const auto& c : cases) {
        auto skin = SkinOf(c.Control);
        ASSERT_NE(skin, nullptr) << c.Skin;
        EXPECT_STREQ(skin->ClassName(), c.Skin);
        EXPECT_EQ(skin->WantsParentColor(), c.ParentColor) << c.Skin;
    }
}

// The frame and the flat button are drawn over the native combo box, whose own button still
// drops the list under the real mouse; a combo box whose list always shows stays native.
TEST_F(SkinStdBoxes, ComboFrameAndButtonInSkinColoursAndTheArrowDrops) {
    for (TComboBoxStyle style : {csDropDown, csDropDownList}) {
        auto* combo = Add<TComboBox>(20, 20, 160, 24);
        combo->SetStyle(style);
        combo->GetItems()->Add("one");
        combo->GetItems()->Add("two");
        combo->SetColor(clYellow);
        auto skin = SkinOf(combo);
        ASSERT_NE(skin, nullptr);
        HWND wnd = combo->GetHandle();
        Redraw(wnd);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(LUMSkinUtils::GetComboBoxInfo(wnd, &info));
        const RECT b = info.rcButton;
        EXPECT_EQ(ClientPixel(wnd, 0, 0), Skin(SKIN2_CONTROLBORDERCOLOR)) << style;
        EXPECT_EQ(ClientPixel(wnd, 1, combo->GetClientHeight() - 2), ColorToRGB(clYellow)) << style;
        EXPECT_EQ(ClientPixel(wnd, b.left, (b.top + b.bottom) / 2), Skin(SKIN2_CONTROLBORDERCOLOR)) << style;
        EXPECT_EQ(ClientPixel(wnd, b.left + 2, b.top + 1), Skin(SKIN2_CONTROLCOLOR)) << style;

        MoveTo(ScreenPoint(wnd, (b.left + b.right) / 2, (b.top + b.bottom) / 2));
        Press();
        Release();
        Pump();
        EXPECT_TRUE(combo->GetDroppedDown()) << style;
        combo->SetDroppedDown(false);
        Pump();
        skin->Restore();
        skin.reset();
        delete combo;
    }

    auto* simple = Add<TComboBox>(20, 20, 160, 90);
    simple->SetStyle(csSimple);
    Redraw(simple->GetHandle());
    const auto native = Grab(simple->GetHandle());
    auto skin = SkinOf(simple);
    Redraw(simple->GetHandle());
    EXPECT_EQ(Grab(simple->GetHandle()), native);
}

// The overlay shows the skin's bar and hands the real mouse to the native bar underneath.
TEST_F(SkinStdBoxes, ScrollBarOverlayShowsTheSkinAndArrowClicksMovePosition) {
    struct {
        TScrollBarKind Kind;
        int Left, Top, Width, Height;
    } cases[] = {{sbHorizontal, 20, 20, 200, 18}, {sbVertical, 260, 20, 18, 200}};
    for (const auto& c : cases) {
        auto* bar = Add<TScrollBar>(c.Left, c.Top, c.Width, c.Height);
        bar->SetKind(c.Kind);
        bar->SetBounds(c.Left, c.Top, c.Width, c.Height);
        bar->SetSmallChange(3);
        auto skin = SkinOf(bar);
        auto* scroll = dynamic_cast<TlumSkinScrollBar*>(skin.get());
        ASSERT_NE(scroll, nullptr);
        Redraw(Form->GetHandle());
        TlumSkinInternalScrollBar2* overlay = scroll->GetOverlay();
        ASSERT_NE(overlay, nullptr);
        EXPECT_TRUE(overlay->GetVisible()) << c.Kind;
        EXPECT_EQ(overlay->GetBoundsRect(), bar->GetBoundsRect()) << c.Kind;
        EXPECT_TRUE(bar->GetControlStyle() & csAcceptsControls);
        // What the screen shows over the bar is the overlay's picture, not the native bar.
        TBitmap* picture = overlay->GetOverlayBitmap();
        ASSERT_FALSE(picture->Empty());
        HWND ow = overlay->GetHandle();
        for (POINT p : {POINT{2, 2}, POINT{c.Width / 2, c.Height / 2}, POINT{c.Width - 3, c.Height - 3}})
            EXPECT_EQ(ClientPixel(ow, p.x, p.y), ColorToRGB(picture->GetCanvas()->GetPixel(p.x, p.y)))
                << c.Kind << " at " << p.x << "," << p.y;

        // Focused: a dotted rectangle just inside the thumb, nothing else changes.
        SCROLLBARINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetScrollBarInfo(bar->GetHandle(), OBJID_CLIENT, &info));
        const TRect thumb = c.Kind == sbVertical ? TRect(0, info.xyThumbTop, c.Width, info.xyThumbBottom)
                                                 : TRect(info.xyThumbTop, 0, info.xyThumbBottom, c.Height);
        std::vector<TColor> before, after;
        auto read = [&](std::vector<TColor>& into) {
            into.clear();
            for (int y = 0; y < c.Height; ++y)
                for (int x = 0; x < c.Width; ++x) into.push_back(picture->GetCanvas()->GetPixel(x, y));
        };
        read(before);
        bar->SetFocus();
        Pump();
        read(after);
        int changedInside = 0, changedElsewhere = 0;
        for (int y = 0; y < c.Height; ++y)
            for (int x = 0; x < c.Width; ++x) {
                const bool ring = (x == thumb.Left + 1 || x == thumb.Right - 2 || y == thumb.Top + 1 ||
                                   y == thumb.Bottom - 2) &&
                                  x >= thumb.Left + 1 && x <= thumb.Right - 2 && y >= thumb.Top + 1 && y <= thumb.Bottom - 2;
                const bool changed = before[size_t(y * c.Width + x)] != after[size_t(y * c.Width + x)];
                (ring ? changedInside : changedElsewhere) += changed;
            }
        EXPECT_GT(changedInside, 0) << c.Kind;
        EXPECT_EQ(changedElsewhere, 0) << c.Kind;

        // The far arrow: one small step.
        const POINT arrow = c.Kind == sbVertical ? POINT{c.Width / 2, c.Height - 4} : POINT{c.Width - 4, c.Height / 2};
        ClickFromOutside(ScreenPoint(ow, arrow.x, arrow.y));
        EXPECT_EQ(bar->GetPosition(), 3) << c.Kind;
        // Moved, resized and hidden, the overlay goes along.
        const bool vertical = c.Kind == sbVertical;
        bar->SetBounds(c.Left + 10, c.Top + 5, c.Width - (vertical ? 0 : 20), c.Height - (vertical ? 20 : 0));
        Pump();
        EXPECT_EQ(overlay->GetBoundsRect(), bar->GetBoundsRect()) << c.Kind;
        EXPECT_TRUE(overlay->GetVisible()) << c.Kind;
        bar->SetBounds(c.Left, c.Top, vertical ? 0 : c.Width, vertical ? c.Height : 0);
        Pump();
        EXPECT_FALSE(overlay->GetVisible()) << "zero size " << c.Kind;
        bar->SetBounds(c.Left, c.Top, c.Width, c.Height);
        Pump();
        EXPECT_TRUE(overlay->GetVisible()) << c.Kind;
        bar->SetVisible(false);
        EXPECT_FALSE(overlay->GetVisible()) << c.Kind;
        skin->Restore();
        EXPECT_FALSE(bar->GetControlStyle() & csAcceptsControls);
        skin.reset();
        delete bar;
    }
}

// With DrawScrollBar off the overlay hides itself and the native bar shows unchanged.
TEST_F(SkinStdBoxes, ScrollBarStaysNativeWithoutDrawScrollBar) {
    auto* bar = Add<TScrollBar>(20, 20, 200, 18);
    Redraw(Form->GetHandle());
    const auto native = Grab(bar->GetHandle());
    POINT origin{0, 0};
    ClientToScreen(bar->GetHandle(), &origin);
    Host().Engine->SetDrawScrollBar(false);
    auto skin = SkinOf(bar);
    Redraw(Form->GetHandle());
    Redraw(Form->GetHandle());
    auto* overlay = dynamic_cast<TlumSkinScrollBar*>(skin.get())->GetOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_FALSE(overlay->GetVisible());
    // Read through the form: what the screen shows where the bar is.
    std::vector<COLORREF> shown;
    HDC dc = GetDC(nullptr);
    for (int y = 0; y < bar->GetClientHeight(); ++y)
        for (int x = 0; x < bar->GetClientWidth(); ++x) shown.push_back(GetPixel(dc, origin.x + x, origin.y + y));
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(shown, native);
}

// The caption interrupts the frame's top line, 8 pixels in from the left, or from the right end
// when the box reads right to left; without a caption the line runs through.
TEST_F(SkinStdBoxes, GroupBoxCaptionLeavesAGapInTheFrame) {
    struct {
        const char* Caption;
        TBiDiMode Mode;
    } cases[] = {{"Group", bdLeftToRight}, {"Group", bdRightToLeft}, {"", bdLeftToRight}};
    const COLORREF border = Skin(SKIN2_CONTROLBORDERCOLOR);
    for (const auto& c : cases) {
        auto* box = Add<TGroupBox>(20, 20, 200, 120);
        box->SetCaption(c.Caption);
        box->SetBiDiMode(c.Mode);
        box->SetColor(clYellow);
        auto skin = SkinOf(box);
        HWND wnd = box->GetHandle();
        Redraw(wnd);
        TBitmap measure;
        measure.SetSize(4, 4);
        measure.GetCanvas()->SetFont(box->GetFont());
        const int h = measure.GetCanvas()->TextHeight("0");
        const int textWidth = AnsiString(c.Caption).empty() ? 0 : measure.GetCanvas()->TextWidth(c.Caption);
        const int line = h / 2 - 1;
        const int frameRight = box->GetWidth() - 1;
        const int gapLeft = c.Mode == bdRightToLeft ? frameRight - textWidth - 8 : 8;
        int borderInGap = 0, borderOutside = 0, outside = 0;
        for (int x = 0; x < frameRight; ++x) {
            const bool inGap = x >= gapLeft && x < gapLeft + textWidth;
            const bool isBorder = ClientPixel(wnd, x, line) == border;
            if (inGap) {
                borderInGap += isBorder;
            } else {
                ++outside;
                borderOutside += isBorder;
            }
        }
        EXPECT_EQ(borderInGap, 0) << c.Caption << " " << c.Mode;
        EXPECT_EQ(borderOutside, outside) << c.Caption << " " << c.Mode;
        if (textWidth > 0) {
            bool background = false;
            for (int x = gapLeft; x < gapLeft + textWidth && !background; ++x)
                background = ClientPixel(wnd, x, line) == ColorToRGB(clYellow);
            EXPECT_TRUE(background) << "the caption is drawn opaque in the box colour";
        }
        EXPECT_EQ(ClientPixel(wnd, 0, box->GetHeight() - 2), border);
        skin.reset();
        delete box;
    }
}

// A disabled button with one picture shows it greyed over the skin's face: the picture's
// background (the colour of its top-left pixel, olive or fuchsia) is left out.
TEST_F(SkinStdBoxes, DisabledSinglePictureKeepsTheFace) {
    HWND form = Form->GetHandle();
    MoveTo(ScreenPoint(form, 300, 250));
    const COLORREF face = ColorToRGB(Host().Engine->GetFormColor());
    for (TColor background : {TColor(0x008080), TColor(0xFF00FF)}) {
        TBitmap glyph(16, 16);
        glyph.GetCanvas()->GetBrush()->SetColor(background);
        glyph.GetCanvas()->FillRect(TRect(0, 0, 16, 16));
        glyph.GetCanvas()->GetBrush()->SetColor(clBlack);
        glyph.GetCanvas()->FillRect(TRect(5, 5, 11, 11));
        auto* button = Add<TSpeedButton>(40, 40, 60, 30);   // the picture at (62, 47)
        button->SetGlyph(&glyph);
        button->SetEnabled(false);
        auto skin = SkinOf(button);
        ASSERT_NE(skin, nullptr);
        Redraw(form);
        for (POINT p : {POINT{1, 1}, POINT{14, 2}, POINT{2, 14}, POINT{14, 14}})
            EXPECT_EQ(ClientPixel(form, 62 + p.x, 47 + p.y), face) << std::hex << background << " at " << p.x << "," << p.y;
        const COLORREF shape = ClientPixel(form, 62 + 8, 47 + 8);
        EXPECT_NE(shape, face) << std::hex << background;
        EXPECT_NE(shape, 0u) << std::hex << background;   // greyed, not as enabled
        skin.reset();
        delete button;
    }
}

// Normal, hot, pressed and Down faces in the skin's tool-bar colours under the real mouse; the
// Tag 999999 keeps the button's own face inside a band with the skin's line on the left.
TEST_F(SkinStdBoxes, SpeedButtonFacesFollowTheMouseAndDown) {
    auto* button = Add<TSpeedButton>(40, 40, 60, 30);
    auto* other = Add<TSpeedButton>(140, 40, 60, 30);
    button->SetGroupIndex(1);
    button->SetAllowAllUp(true);
    auto skin = SkinOf(button);
    auto otherSkin = SkinOf(other);
    HWND form = Form->GetHandle();
    const POINT centre = ScreenPoint(form, 70, 55);
    const POINT away = ScreenPoint(form, 300, 250);
    auto face = [&] { return ClientPixel(form, 70, 55); };
    auto edge = [&] { return ClientPixel(form, 40, 40); };
    MoveTo(away);
    Redraw(form);
    EXPECT_EQ(face(), ColorToRGB(Host().Engine->GetFormColor())) << "normal";
    MoveTo(centre);
    EXPECT_EQ(face(), Skin(SKIN2_TOOLBARONCOLOR)) << "hot";
    EXPECT_EQ(edge(), Skin(SKIN2_TOOLBARBORDERCOLOR)) << "hot";
    Press();
    EXPECT_EQ(face(), Skin(SKIN2_TOOLBARDOWNCOLOR)) << "pressed";
    Release();
    MoveTo(away);
    ASSERT_TRUE(button->GetDown());
    EXPECT_EQ(face(), Skin(SKIN2_TOOLBARDOWNCOLOR)) << "down, mouse elsewhere";
    // Painting lays glyph and caption out without writing the layout into the button.
    button->SetCaption("go");
    button->SetSpacing(-1);
    button->SetBiDiMode(bdRightToLeft);
    Redraw(form);
    EXPECT_EQ(button->GetMargin(), -1);
    EXPECT_EQ(button->GetSpacing(), -1);
    EXPECT_EQ(button->GetLayout(), blGlyphLeft);

    // The button's own face inside the band.
    other->SetTag(TlumSkinSpeedButton::NativeFaceTag);
    Redraw(form);
    EXPECT_EQ(ClientPixel(form, 140, 55), Skin(SKIN2_CONTROLBORDERCOLOR)) << "left line";
    EXPECT_EQ(ClientPixel(form, 140 + 59, 55), ColorToRGB(clBtnFace)) << "band";
    EXPECT_EQ(ClientPixel(form, 141, 41), ColorToRGB(clBtnFace)) << "band";
    EXPECT_NE(ClientPixel(form, 170, 55), ColorToRGB(Host().Engine->GetFormColor())) << "no skin face";

    // The caption in the font's colour, grey when disabled: text is smoothed, so compare the
    // darkest pixel of the face.
    other->SetTag(0);
    other->SetCaption("WWWW");
    other->GetFont()->SetColor(clBlack);
    auto darkest = [&] {
        int dark = 255;
        for (int y = 42; y < 68; ++y)
            for (int x = 142; x < 198; ++x) dark = std::min(dark, static_cast<int>(GetGValue(ClientPixel(form, x, y))));
        return dark;
    };
    Redraw(form);
    EXPECT_LT(darkest(), 0x60) << "enabled";
    other->SetEnabled(false);
    Redraw(form);
    EXPECT_GE(darkest(), 0x80) << "disabled";
    EXPECT_LT(darkest(), 0xC0) << "disabled";
}

// The panel and the group box take their parent's colour when a skin window skins their form.
TEST_F(SkinStdBoxes, PanelTakesTheSkinnedFormColour) {
    Form->SetName("BoxTestForm");
    auto* panel = Add<TPanel>(20, 20, 120, 80);
    auto* box = Add<TGroupBox>(160, 20, 120, 80);
    for (TControl* c : std::vector<TControl*>{panel, box}) c->SetColor(clRed);
    Host().Engine->SkinWindow(Form->GetHandle(), false);
    Pump();
    ASSERT_NE(Host().Engine->FindSkinWindow(Form->GetHandle()), nullptr);
    const COLORREF formColour = ColorToRGB(Host().Engine->GetFormColor());
    Redraw(Form->GetHandle());
    for (TControl* c : std::vector<TControl*>{panel, box}) {
        EXPECT_TRUE(c->GetParentColor()) << c->ClassName();
        EXPECT_EQ(ColorToRGB(c->GetColor()), formColour) << c->ClassName();
    }
    EXPECT_EQ(ClientPixel(panel->GetHandle(), 60, 40), formColour);
    Host().Engine->UnskinWindow(Form->GetHandle());
    Pump();
}

// Every teardown order: control first, skin first (unskinned while the engine is on, and with
// the engine off), form first, and the overlay freed by its owner first. Nothing of the skin is
// left, settings come back, and nothing grows over 20 rounds.
TEST_F(SkinStdBoxes, TeardownInEveryOrderWithoutGrowth) {
    enum TOrder { toControlsFirst, toSkinsFirst, toEngineOff, toFormFirst, toOverlayFirst };
    auto overlays = [] {
        int n = 0;
        for (int i = 0; i < Host().Engine->ComponentCount(); ++i)
            n += dynamic_cast<TlumSkinInternalScrollBar2*>(Host().Engine->GetComponent(i)) != nullptr;
        return n;
    };
    auto cycle = [&](TOrder order) {
        auto form = std::make_unique<TPlainTestForm>("TBoxTestForm");
        form->SetBounds(420, 60, 400, 300);
        form->Show();
        auto add = [&](TControl* c, int top) {
            c->SetParent(form.get());
            c->SetBounds(10, top, 150, 24);
            c->SetCaption("text");
            return c;
        };
        std::vector<TControl*> controls = {add(new TComboBox(form.get()), 10), add(new TScrollBar(form.get()), 40),
                                           add(new TGroupBox(form.get()), 70), add(new TPanel(form.get()), 110),
                                           add(new TSpeedButton(form.get()), 150)};
        const TControlStyle barStyle = controls[1]->GetControlStyle();
        std::vector<std::unique_ptr<TlumSkinControlVCL>> skins;
        for (TControl* c : controls) skins.push_back(SkinOf(c));
        for (TControl* c : controls)
            if (auto* w = dynamic_cast<TWinControl*>(c)) {
                EXPECT_EQ(SendMessageA(w->GetHandle(), WM_SKIN_QUERY, 0, 0), 1);
            }
        Redraw(form->GetHandle());
        auto* scroll = dynamic_cast<TlumSkinScrollBar*>(skins[1].get());
        EXPECT_EQ(overlays(), 1);
        switch (order) {
        case toControlsFirst:
            for (TControl* c : controls) delete c;
            skins.clear();
            break;
        case toOverlayFirst:
            delete scroll->GetOverlay();
            EXPECT_EQ(scroll->GetOverlay(), nullptr);
            [[fallthrough]];
        case toSkinsFirst:
        case toEngineOff:
            if (order == toEngineOff) {
                Host().Engine->SetActive(false);
                for (auto& s : skins) s->ApplySkinColours();
                ASSERT_NE(scroll->GetOverlay(), nullptr);
                EXPECT_FALSE(scroll->GetOverlay()->GetVisible());
            }
            for (auto& s : skins) s->Restore();
            EXPECT_EQ(scroll->GetOverlay(), nullptr);
            skins.clear();
            Host().Engine->SetActive(true);
            EXPECT_EQ(controls[1]->GetControlStyle(), barStyle);
            for (TControl* c : controls)
                if (auto* w = dynamic_cast<TWinControl*>(c)) {
                    EXPECT_EQ(SendMessageA(w->GetHandle(), WM_SKIN_QUERY, 0, 0), 0);
                }
            break;
        case toFormFirst: form.reset(); break;
        }
        form.reset();
        skins.clear();
        EXPECT_EQ(overlays(), 0) << order;
    };
    for (TOrder order : {toControlsFirst, toSkinsFirst, toEngineOff, toFormFirst, toOverlayFirst}) cycle(order);
    Pump();
    const long live = LiveGdiObjectCount();
    for (int i = 0; i < 20; ++i) cycle(static_cast<TOrder>(i % 5));
    Pump();
    EXPECT_EQ(LiveGdiObjectCount(), live);
}
