// Edits that name an input method switch to it while they have the focus. Wine installs no
// input method, so the choice is shown through a stand-in list of layouts; the system's own
// list is then checked to stay as it is.
#include <gtest/gtest.h>

#include <map>

#include "classlib/gui/forms.h"
#include "classlib/gui/ime.h"
#include "classlib/gui/standard_controls.h"

namespace {

const char* const kAbc = "中文 (简体) - 智能 ABC";

HKL Layout(uintptr_t id) { return reinterpret_cast<HKL>(id); }

// Three layouts: a plain keyboard (active), the ABC input method and another one.
class TStandInLayouts : public TKeyboardLayouts {
public:
    std::vector<HKL> List() override { return {Layout(0x04090409), Layout(0xE0040804), Layout(0xE0050804)}; }
    AnsiString ImeDescription(HKL layout) override {
        static const std::map<uintptr_t, AnsiString> names = {{0xE0040804, kAbc},
                                                              {0xE0050804, "中文 (简体) - 微软拼音"}};
        auto it = names.find(reinterpret_cast<uintptr_t>(layout));
        return it == names.end() ? AnsiString() : it->second;
    }
    HKL Active() override { return FActive; }
    void Activate(HKL layout) override {
        Activations.push_back(layout);
        FActive = layout;
    }
    std::vector<HKL> Activations;
private:
    HKL FActive = Layout(0x04090409);
};

class Ime : public ::testing::Test {
protected:
    void SetUp() override { SetKeyboardLayouts(&FLayouts); }
    void TearDown() override { SetKeyboardLayouts(nullptr); }
    TEdit* Edit(TForm& form, const AnsiString& imeName) {
        auto* e = new TEdit(&form);
        e->SetParent(&form);
        e->SetImeName(imeName);
        return e;
    }
    TStandInLayouts FLayouts;
};

}  // namespace

TEST_F(Ime, FocusSwitchesToTheNamedInputMethodAndLeavingGivesTheOldOneBack) {
    TForm form(nullptr);
    TEdit* abc = Edit(form, kAbc);
    TEdit* plain = Edit(form, "");
    TEdit* missing = Edit(form, "日本語 (MS-IME)");
    form.Show();
    const HKL keyboard = Layout(0x04090409), abcLayout = Layout(0xE0040804);

    SetFocus(abc->GetHandle());
    EXPECT_EQ(FLayouts.Active(), abcLayout);
    SetFocus(plain->GetHandle());
    EXPECT_EQ(FLayouts.Active(), keyboard) << "given back on leaving";
    EXPECT_EQ(FLayouts.Activations, (std::vector<HKL>{abcLayout, keyboard}));

    // A name no layout carries changes nothing, on entering or on leaving.
    FLayouts.Activations.clear();
    SetFocus(missing->GetHandle());
    SetFocus(plain->GetHandle());
    EXPECT_TRUE(FLayouts.Activations.empty());
    EXPECT_EQ(FLayouts.Active(), keyboard);

    // The layout already active: nothing to switch, nothing to give back.
    FLayouts.Activate(abcLayout);
    FLayouts.Activations.clear();
    SetFocus(abc->GetHandle());
    SetFocus(plain->GetHandle());
    EXPECT_TRUE(FLayouts.Activations.empty());
    EXPECT_EQ(FLayouts.Active(), abcLayout);
}

TEST_F(Ime, AFocusedEditThatGoesAwayGivesTheLayoutBack) {
    {
        TForm form(nullptr);
        TEdit* abc = Edit(form, kAbc);
        form.Show();
        SetFocus(abc->GetHandle());
        EXPECT_EQ(FLayouts.Active(), Layout(0xE0040804));
    }
    EXPECT_EQ(FLayouts.Active(), Layout(0x04090409));
}

// The system's layouts (Wine has no input method): the builder's name is not found and the
// thread's layout stays.
TEST(ImeOnThisSystem, AMissingInputMethodLeavesTheLayoutAlone) {
    TKeyboardLayouts& system = KeyboardLayouts();
    const std::vector<HKL> layouts = system.List();
    ASSERT_FALSE(layouts.empty());
    for (HKL l : layouts) ASSERT_NE(system.ImeDescription(l), kAbc) << "this system has the input method";
    const HKL before = GetKeyboardLayout(0);
    TForm form(nullptr);
    auto* abc = new TEdit(&form);
    abc->SetParent(&form);
    abc->SetImeName(kAbc);
    auto* other = new TEdit(&form);
    other->SetParent(&form);
    form.Show();
    SetFocus(abc->GetHandle());
    EXPECT_EQ(GetKeyboardLayout(0), before);
    SetFocus(other->GetHandle());
    EXPECT_EQ(GetKeyboardLayout(0), before);
}
