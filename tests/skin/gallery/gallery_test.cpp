// The gallery form: every control has a window of its system class (or its own class), the
// variants have the styles that make them look different, and the basic behaviour holds.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "classlib/gui/application.h"
#include "tests/gui/gui_test_support.h"
#include "tests/skin/gallery/gallery_form.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override { Application->Initialize(); }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

std::string WindowClassOf(TWinControl* c) {
    char name[64] = {0};
    GetClassNameA(c->GetHandle(), name, sizeof name);
    return name;
}

LONG_PTR StyleOf(TWinControl* c) { return GetWindowLongPtrA(c->GetHandle(), GWL_STYLE); }

class Gallery : public ::testing::Test {
protected:
    void SetUp() override {
        gallery = std::make_unique<TGalleryForm>(nullptr);
        gallery->Show();
    }
    std::unique_ptr<TGalleryForm> gallery;
};

}  // namespace

TEST_F(Gallery, EveryControlHasAWindowOfItsClass) {
    TGalleryForm& g = *gallery;
    const struct {
        TWinControl* control;
        const char* windowClass;
    } cases[] = {
        {&g, "TForm"},
        {g.ToolBar, "ToolbarWindow32"},      {g.CoolBar, "ReBarWindow32"},          {g.StatusBar, "msctls_statusbar32"},
        {g.Button, "Button"},                {g.CheckBox, "Button"},                {g.Radio1, "Button"},
        {g.GroupBox, "TGroupBox"},           {g.Edit, "Edit"},                      {g.Memo, "Edit"},
        {g.MaskEdit, "Edit"},                {g.HotKey, "msctls_hotkey32"},         {g.ComboBox, "ComboBox"},
        {g.ComboBoxEx, "ComboBoxEx32"},      {g.ListBox, "ListBox"},                {g.DatePicker, "SysDateTimePick32"},
        {g.TabTop, "SysTabControl32"},       {g.PageControl, "SysTabControl32"},    {g.ListView, "SysListView32"},
        {g.TreeView, "SysTreeView32"},       {g.Grid, "TDrawGrid"},                 {g.TrackBar, "msctls_trackbar32"},
        {g.ScrollBar, "ScrollBar"},          {g.UpDown, "msctls_updown32"},         {g.ProgressBar, "msctls_progress32"},
        {g.Panel, "TPanel"},                 {g.ScrollBox, "TScrollBox"},           {g.Frame, "TCustomFrame"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WindowClassOf(c.control), c.windowClass) << c.control->ClassName();
        EXPECT_TRUE(IsWindowVisible(c.control->GetHandle())) << c.control->ClassName();
    }
    // Windowless ones paint on their parent.
    EXPECT_EQ(g.SpeedButton->GetParent(), &g);
    EXPECT_EQ(g.ToolButtons[0]->GetParent(), g.ToolBar);
    EXPECT_EQ(g.ToolBar->ButtonCount(), 5);
    EXPECT_NE(g.ListView->GetHeaderHandle(), nullptr);
    char inner[32] = {0};
    GetClassNameA(g.ComboBoxEx->GetComboHandle(), inner, sizeof inner);
    EXPECT_STREQ(inner, "ComboBox") << "the extended combo box's inner combo box";
}

TEST_F(Gallery, VariantsCarryTheirLook) {
    TGalleryForm& g = *gallery;
    for (TWinControl* c : std::initializer_list<TWinControl*>{
             g.ButtonDisabled, g.CheckBoxDisabled, g.RadioDisabled, g.EditDisabled, g.ComboBoxDisabled,
             g.TrackBarDisabled, g.ScrollBarDisabled, g.UpDownDisabled, g.ProgressBarDisabled})
        EXPECT_FALSE(IsWindowEnabled(c->GetHandle())) << c->ClassName();
    EXPECT_FALSE(g.SpeedButtonDisabled->GetEnabled());
    EXPECT_TRUE(StyleOf(g.TrackBarVertical) & TBS_VERT);
    EXPECT_TRUE(StyleOf(g.ScrollBarVertical) & SBS_VERT);
    EXPECT_FALSE(StyleOf(g.UpDown) & UDS_HORZ);
    EXPECT_TRUE(StyleOf(g.UpDownHorizontal) & UDS_HORZ);
    EXPECT_TRUE(StyleOf(g.ProgressBarVertical) & PBS_VERTICAL);
    EXPECT_GT(g.TrackBarVertical->GetHeight(), g.TrackBarVertical->GetWidth());
    EXPECT_TRUE(StyleOf(g.TabBottom) & TCS_BOTTOM);
    EXPECT_TRUE(StyleOf(g.TabLeft) & TCS_VERTICAL);
    EXPECT_FALSE(StyleOf(g.TabLeft) & TCS_RIGHT);
    EXPECT_TRUE(StyleOf(g.TabRight) & TCS_RIGHT);
    EXPECT_EQ(g.ButtonTag9999->GetTag(), 9999);
    EXPECT_EQ(g.TimePickerTag9998->GetTag(), 9998);
    EXPECT_TRUE(StyleOf(g.TimePicker) & DTS_TIMEFORMAT);
    EXPECT_EQ(StyleOf(g.ComboBoxSimple) & 3, CBS_SIMPLE);
    EXPECT_EQ(StyleOf(g.ComboBoxList) & 3, CBS_DROPDOWNLIST);
    EXPECT_TRUE(StyleOf(g.CheckBoxLeftText) & BS_LEFTTEXT);
    EXPECT_TRUE(g.SpeedButtonDown->GetDown());
    EXPECT_TRUE(g.SpeedButtonFlat->GetFlat());
}

TEST_F(Gallery, BasicBehaviour) {
    TGalleryForm& g = *gallery;
    // Radio buttons exclude each other.
    SendMessageA(g.Radio2->GetHandle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(g.Radio2->GetChecked());
    EXPECT_FALSE(g.Radio1->GetChecked());
    // The three-state check box steps grayed, checked, unchecked.
    for (TCheckBoxState expected : {cbChecked, cbUnchecked, cbGrayed}) {
        SendMessageA(g.CheckBox->GetHandle(), BM_CLICK, 0, 0);
        EXPECT_EQ(g.CheckBox->GetState(), expected);
    }
    // Combo box items and selection.
    EXPECT_EQ(SendMessageA(g.ComboBox->GetHandle(), CB_GETCOUNT, 0, 0), 3);
    g.ComboBoxList->SetItemIndex(2);
    EXPECT_EQ(g.ComboBoxList->GetText(), "第三项");
    // A click on a tab selects it.
    int changes = 0;
    g.TabBottom->OnChange = [&](TObject*) { ++changes; };
    RECT tab;
    SendMessageA(g.TabBottom->GetHandle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
    SendMessageA(g.TabBottom->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(tab.left + 3, tab.top + 3));
    SendMessageA(g.TabBottom->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(tab.left + 3, tab.top + 3));
    ASSERT_TRUE(PumpUntil([&] { return changes == 1; }));
    EXPECT_EQ(g.TabBottom->GetTabIndex(), 1);
    // Track bar position.
    g.TrackBar->SetPosition(8);
    EXPECT_EQ(SendMessageA(g.TrackBar->GetHandle(), TBM_GETPOS, 0, 0), 8);
    // The tool bar asks its custom drawing for the background and each button.
    int backgrounds = 0, buttons = 0;
    g.ToolBar->OnCustomDraw = [&](TToolBar*, const TRect&, bool&) { ++backgrounds; };
    g.ToolBar->OnCustomDrawButton = [&](TToolBar*, TToolButton*, TCustomDrawState, bool&) { ++buttons; };
    g.ToolBar->Repaint();
    EXPECT_GT(backgrounds, 0);
    EXPECT_GE(buttons, 4);
}
