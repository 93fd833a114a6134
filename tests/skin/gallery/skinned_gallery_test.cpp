// The gallery form with the programs' skin engine, as a program shows its form: every control
// the registry knows is skinned once the form is on screen, and the screen shows the skin.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <set>
#include <string>

#include "classlib/gui/application.h"
#include "skin/skin_messages.h"
#include "tests/gui/gui_test_support.h"
#include "tests/skin/gallery/skinned_gallery_form.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override { Application->Initialize(); }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

// The answer a control gives through the path the skin window and the hook use: its window for
// windowed controls, its WindowProc for windowless ones.
LRESULT SkinQuery(TControl* control) {
    if (auto* windowed = dynamic_cast<TWinControl*>(control))
        return SendMessageA(windowed->GetHandle(), WM_SKIN_QUERY, 0, 0);
    return control->Perform(WM_SKIN_QUERY, 0, 0);
}

// What the screen shows at a point of a window (frame included).
COLORREF WindowPixel(HWND window, int x, int y) {
    RECT box{};
    GetWindowRect(window, &box);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, box.left + x, box.top + y);
    ReleaseDC(nullptr, screen);
    return c;
}

class SkinnedGallery : public ::testing::Test {
protected:
    void SetUp() override {
        Application->CreateForm(Gallery);
        Gallery->Show();
        SetForegroundWindow(Gallery->GetHandle());
        PumpFor(300);
    }
    void TearDown() override {
        delete Gallery;
        PumpFor(50);
    }
    TSkinnedGalleryForm* Gallery = nullptr;
};

}  // namespace

// Every control of the form answers the skin query with 1, except those the skin leaves alone on
// purpose: the button whose Tag is the engine's DisabledTag, tool buttons (the tool bar's skin
// draws them) and tab sheets (no skin class; their page control has one).
TEST_F(SkinnedGallery, EveryRegisteredControlAnswersTheSkinQuery) {
    TSkinnedGalleryForm& g = *Gallery;
    ASSERT_TRUE(g.SkinEngine->GetReady());
    EXPECT_EQ(SendMessageA(g.GetHandle(), WM_SKIN_QUERY, 0, 0), 1) << "the form";
    std::set<std::string> skinnedClasses;
    int controls = 0;
    for (int i = 0; i < g.ComponentCount(); ++i) {
        auto* control = dynamic_cast<TControl*>(g.GetComponent(i));
        if (!control) continue;
        ++controls;
        const bool leftAlone = control->GetTag() == g.SkinEngine->GetDisabledTag() ||
                               dynamic_cast<TToolButton*>(control) || dynamic_cast<TTabSheet*>(control);
        EXPECT_EQ(SkinQuery(control), leftAlone ? 0 : 1)
            << control->ClassName() << " at " << control->GetLeft() << "," << control->GetTop();
        if (!leftAlone) skinnedClasses.insert(control->ClassName());
    }
    EXPECT_GT(controls, 60);
    // One of each kind the form holds, the windowless ones included.
    for (const char* name : {"TButton", "TCheckBox", "TRadioButton", "TGroupBox", "TSpeedButton", "TLabel", "TEdit",
                             "TMemo", "TCustomMaskEdit", "TCustomHotKey", "TComboBox", "TComboBoxEx", "TListBox",
                             "TDateTimePicker", "TTabControl", "TPageControl", "TListView", "TCustomTreeView",
                             "TDrawGrid", "TTrackBar", "TScrollBar", "TUpDown", "TProgressBar", "TPanel",
                             "TScrollBox", "TCustomFrame", "TToolBar", "TCoolBar", "TStatusBar"})
        EXPECT_EQ(skinnedClasses.count(name), 1u) << name;
}

// A few controls, each in its own skin's colours on screen beside the others.
TEST_F(SkinnedGallery, ScreenShowsEveryKindInTheSkin) {
    TSkinnedGalleryForm& g = *Gallery;
    TlumSkinEngine* engine = g.SkinEngine;
    const COLORREF border = ColorToRGB(engine->GetSkinColor(SKIN2_CONTROLBORDERCOLOR));
    TBitmap button;
    ASSERT_TRUE(engine->GetSkinBitmapPart(SKIN2_BUTTON, &button, 1, 3));
    const struct {
        const char* Name;
        TWinControl* Control;
        int X, Y;   // in the control's window
        COLORREF Expected;
    } cases[] = {
        {"edit frame", g.Edit, 0, 0, border},
        {"memo frame", g.Memo, 0, g.Memo->GetHeight() / 2, border},
        {"list box frame", g.ListBox, g.ListBox->GetWidth() - 1, 3, border},
        {"drop-down combo frame", g.ComboBox, 0, 3, border},
        {"date picker frame", g.DatePicker, 0, 3, border},
        {"button's normal slice", g.Button, 2, g.Button->GetHeight() / 2,
         ColorToRGB(button.GetCanvas()->GetPixel(2, button.GetHeight() / 2))},
    };
    for (const auto& c : cases) EXPECT_EQ(WindowPixel(c.Control->GetHandle(), c.X, c.Y), c.Expected) << c.Name;
}

// A simple combo box's list keeps to whole items, so a band of the combo's own window can show
// below it; that band shows the colour around the combo, at more than one height.
TEST_F(SkinnedGallery, SimpleComboShowsItsParentBelowTheList) {
    TComboBox* combo = Gallery->ComboBoxSimple;
    const COLORREF around = ColorToRGB(combo->GetParent()->GetColor());
    for (int height : {80, 72}) {
        SCOPED_TRACE("height " + std::to_string(height));
        combo->SetHeight(height);
        RedrawWindow(combo->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        PumpFor(100);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetComboBoxInfo(combo->GetHandle(), &info));
        RECT list{}, box{};
        GetWindowRect(info.hwndList, &list);
        GetWindowRect(combo->GetHandle(), &box);
        ASSERT_LT(list.bottom, box.bottom) << "no band below the list";
        for (int y = list.bottom - box.top; y < box.bottom - box.top; ++y)
            for (int x : {1, combo->GetWidth() / 2, combo->GetWidth() - 2})
                EXPECT_EQ(WindowPixel(combo->GetHandle(), x, y), around) << "at " << x << "," << y;
    }
}
