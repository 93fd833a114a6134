// Skins of the class library's buttons, check boxes and radio buttons with the default skin, on
// a plain form: clicks from real mouse and keyboard input, the cells shown for each state and
// alignment, font colours given back, and teardown in either order without leaking.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/button_controls.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/standard_controls.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_registry_win.h"
#include "skin/skin_std_ctrl_button_win.h"
#include "skin/skin_std_ctrl_register_win.h"
#include "tests/skin/support/skin_test_support.h"

namespace {

const auto* kEnv = ::testing::AddGlobalTestEnvironment(new TSkinGuiEnvironment(RegisterStdControlSkins));

class SkinStdButton : public TSkinFormTest {
protected:
    SkinStdButton() : TSkinFormTest("TButtonTestForm", 420, 60, 420, 320) {}
};

int CellWidth(TSkinBitmapKey key, int cells) {
    TBitmap cell;
    Host().Engine->GetSkinBitmapPart(key, &cell, 1, cells);
    return cell.GetWidth();
}

}  // namespace

TEST_F(SkinStdButton, RegistrationPicksTheSkinsOnce) {
    const int rows = SkinControlClassCount();
    RegisterStdControlSkins();
    EXPECT_EQ(SkinControlClassCount(), rows);
    struct {
        TControl* Control;
        const char* Skin;
    } cases[] = {
        {Add<TButton>(10, 10, 80, 30), "TlumSkinButton"},
        {Add<TCheckBox>(10, 50, 80, 20), "TlumSkinCheckBox"},
        {Add<TRadioButton>(10, 80, 80, 20), "TlumSkinRadioButton"},
    };
    for (const auto& c : cases) {
        auto skin = FindSkinControlClass(c.Control, &SkinWindow);
        ASSERT_NE(skin, nullptr) << c.Skin;
        EXPECT_STREQ(skin->ClassName(), c.Skin);
    }
}

TEST_F(SkinStdButton, ButtonClicksOncePerRealClick) {
    auto* button = Add<TButton>(20, 20, 120, 40);
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    auto skin = FindSkinControlClass(button, &SkinWindow);
    ASSERT_NE(skin, nullptr);
    // Outside: a bare window beside the form, which takes no capture of its own (the form would).
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SkinStdButtonTestBare";
    RegisterClassA(&wc);
    HWND bare = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 420, 420, 200, 100, nullptr, nullptr,
                                wc.hInstance, nullptr);
    const POINT inside = ScreenPoint(button->GetHandle(), 60, 20);
    const POINT outside = ScreenPoint(bare, 100, 50);
    struct Case {
        const char* Name;
        std::function<void()> Act;
        int Clicks;
    } cases[] = {
        {"click inside", [&] { MoveTo(inside); Press(); Release(); }, 1},
        {"press, drag off, release", [&] { MoveTo(inside); Press(); MoveTo(outside); Release(); }, 0},
        {"drag off, then a press elsewhere released over it", [&] {
             MoveTo(inside); Press(); MoveTo(outside); Release();
             Press(); MoveTo(inside); Release();
         }, 0},
        {"press, off and back, release", [&] { MoveTo(inside); Press(); MoveTo(outside); MoveTo(inside); Release(); }, 1},
        {"space", [&] { button->SetFocus(); Key(VK_SPACE, true); Key(VK_SPACE, false); }, 1},
        {"enter", [&] { button->SetFocus(); Key(VK_RETURN, true); Key(VK_RETURN, false); }, 1},
        // Asked for by a program, while another window is active.
        {"BM_CLICK, form inactive", [&] { SetForegroundWindow(bare); SendMessageA(button->GetHandle(), BM_CLICK, 0, 0); }, 1},
    };
    for (const Case& c : cases) {
        clicks = 0;
        c.Act();
        Pump();
        EXPECT_EQ(clicks, c.Clicks) << c.Name;
    }
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(bare);
}

TEST_F(SkinStdButton, BoxesShowTheCellOfTheirStateBesideTheText) {
    struct {
        TCheckBoxState State;
        bool Enabled;
        int Cell;
    } checkTable[] = {
        {cbChecked, true, 1}, {cbGrayed, true, 2}, {cbUnchecked, true, 3},
        {cbChecked, false, 4}, {cbGrayed, false, 5}, {cbUnchecked, false, 6},
    };
    struct {
        bool Checked, Enabled;
        int Cell;
    } radioTable[] = {{true, true, 1}, {false, true, 2}, {true, false, 3}, {false, false, 4}};

    auto* left = Add<TCheckBox>(20, 20, 160, 24);
    auto* right = Add<TCheckBox>(20, 60, 160, 24);
    right->SetAlignment(taLeftJustify);   // text left of the box: the box at the right edge
    auto* radio = Add<TRadioButton>(20, 100, 160, 24);
    left->SetAllowGrayed(true);
    right->SetAllowGrayed(true);
    std::vector<std::unique_ptr<TlumSkinControlVCL>> skins;
    for (TControl* c : std::vector<TControl*>{left, right, radio}) skins.push_back(FindSkinControlClass(c, &SkinWindow));
    const int boxWidth = CellWidth(SKIN2_CHECKBOX, 6);
    TBitmap probe;
    Host().Engine->GetSkinBitmapPart(SKIN2_CHECKBOX, &probe, 1, 6);
    const int boxTop = (left->GetClientHeight() - probe.GetHeight()) / 2;
    Host().Engine->GetSkinBitmapPart(SKIN2_RADIOBUTTON, &probe, 1, 4);
    const int radioTop = (radio->GetClientHeight() - probe.GetHeight()) / 2;

    for (const auto& row : checkTable) {
        EXPECT_EQ(TlumSkinCheckBox::Cell(row.State, row.Enabled), row.Cell);
        for (TCheckBox* box : {left, right}) {
            box->SetEnabled(row.Enabled);
            box->SetState(row.State);
            RedrawWindow(box->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
        Pump(20);
        EXPECT_TRUE(Shows(ShownCells(left->GetHandle(), 0, boxTop, SKIN2_CHECKBOX, 6), row.Cell)) << row.Cell;
        EXPECT_TRUE(Shows(ShownCells(right->GetHandle(), right->GetWidth() - boxWidth - 1, boxTop, SKIN2_CHECKBOX, 6),
                          row.Cell))
            << "right edge " << row.Cell;
    }
    for (const auto& row : radioTable) {
        EXPECT_EQ(TlumSkinRadioButton::Cell(row.Checked, row.Enabled), row.Cell);
        radio->SetEnabled(row.Enabled);
        radio->SetChecked(row.Checked);
        RedrawWindow(radio->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        Pump(20);
        EXPECT_TRUE(Shows(ShownCells(radio->GetHandle(), 0, radioTop, SKIN2_RADIOBUTTON, 4), row.Cell)) << row.Cell;
    }
}

TEST_F(SkinStdButton, FontColoursFollowTheSkinAndComeBack) {
    const TColor skinned = Host().Engine->GetSkinColor(SKIN2_CONTROLFONTCOLOR);
    const TColor designed = (skinned == clRed) ? clBlue : clRed;
    struct {
        const char* Name;
        bool NoChange;
        TColor WhileSkinned;
    } cases[] = {{"skin colours", false, skinned}, {"designed colours kept", true, designed}};
    for (const auto& c : cases) {
        auto* box = Add<TCheckBox>(20, 20, 160, 24);
        auto* radio = Add<TRadioButton>(20, 60, 160, 24);
        Host().Engine->SetNoChangeButtonsFontColor(c.NoChange);
        for (TControl* control : std::vector<TControl*>{box, radio}) {
            control->GetFont()->SetColor(designed);
            auto skin = FindSkinControlClass(control, &SkinWindow);
            ASSERT_NE(skin, nullptr);
            skin->ApplySkinColours();
            EXPECT_EQ(control->GetFont()->GetColor(), c.WhileSkinned) << c.Name << " " << control->ClassName();
            Host().Engine->SetActive(false);
            skin->ApplySkinColours();   // the skin is taken off the window
            EXPECT_EQ(control->GetFont()->GetColor(), designed) << c.Name << " " << control->ClassName();
            Host().Engine->SetActive(true);
        }
        delete box;
        delete radio;
    }
    Host().Engine->SetNoChangeButtonsFontColor(false);
}

// Skins whose control goes first and controls whose skin goes first, painted and clicked,
// leave no GDI object behind; the skin query is answered only while the skin is in.
TEST_F(SkinStdButton, TeardownInAnyOrderWithoutGrowth) {
    auto cycle = [&](bool controlsFirst) {
        std::vector<TWinControl*> controls = {Add<TButton>(10, 10, 100, 30), Add<TCheckBox>(10, 50, 100, 20),
                                              Add<TRadioButton>(10, 80, 100, 20)};
        std::vector<std::unique_ptr<TlumSkinControlVCL>> skins;
        for (TWinControl* c : controls) {
            c->SetCaption("text");
            skins.push_back(FindSkinControlClass(c, &SkinWindow));
            EXPECT_EQ(SendMessageA(c->GetHandle(), WM_SKIN_QUERY, 0, 0), 1);
        }
        RedrawWindow(Form->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        SendMessageA(controls[0]->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(controls[0]->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        Pump(20);
        if (controlsFirst) {
            for (TWinControl* c : controls) delete c;
            skins.clear();
        } else {
            for (auto& s : skins) s->Restore();
            skins.clear();
            for (TWinControl* c : controls) {
                EXPECT_EQ(SendMessageA(c->GetHandle(), WM_SKIN_QUERY, 0, 0), 0);
                delete c;
            }
        }
    };
    cycle(true);
    cycle(false);
    const long live = LiveGdiObjectCount();
    for (int i = 0; i < 20; ++i) cycle(i % 2 == 0);
    EXPECT_EQ(LiveGdiObjectCount(), live);
}
