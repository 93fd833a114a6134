#include "classlib/gui/ime.h"

#include <imm.h>

namespace {

class TSystemLayouts : public TKeyboardLayouts {
public:
    std::vector<HKL> List() override {
        int n = GetKeyboardLayoutList(0, nullptr);
        std::vector<HKL> layouts(static_cast<size_t>(n > 0 ? n : 0));
        if (n > 0) layouts.resize(static_cast<size_t>(GetKeyboardLayoutList(n, layouts.data())));
        return layouts;
    }
    AnsiString ImeDescription(HKL layout) override {
        UINT n = ImmGetDescriptionA(layout, nullptr, 0);
        if (n == 0) return AnsiString();
        std::string text(n + 1, '\0');
        n = ImmGetDescriptionA(layout, &text[0], n + 1);
        text.resize(n);
        return text;
    }
    HKL Active() override { return GetKeyboardLayout(0); }
    void Activate(HKL layout) override { ActivateKeyboardLayout(layout, 0); }
};

TKeyboardLayouts* gLayouts = nullptr;

}  // namespace

TKeyboardLayouts& KeyboardLayouts() {
    static TSystemLayouts system;
    return gLayouts ? *gLayouts : system;
}

void SetKeyboardLayouts(TKeyboardLayouts* layouts) { gLayouts = layouts; }

void TImeSwitch::Enter() {
    if (FName.empty() || FSwitched) return;
    TKeyboardLayouts& layouts = KeyboardLayouts();
    for (HKL layout : layouts.List()) {
        if (layouts.ImeDescription(layout) != FName) continue;
        HKL active = layouts.Active();
        if (layout == active) return;   // already in use: nothing to give back later
        FPrevious = active;
        FSwitched = true;
        layouts.Activate(layout);
        return;
    }
}

void TImeSwitch::Leave() {
    if (!FSwitched) return;
    FSwitched = false;
    KeyboardLayouts().Activate(FPrevious);
    FPrevious = nullptr;
}
