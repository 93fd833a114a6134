#include "skin/skin_registry_win.h"

#include <algorithm>

namespace {

// The border-exclusion list starts with one wizard form class of the development environment.
const char* const kWizardFormClass = "TAppWizardForm";

struct TRegistries {
    std::vector<TSkinControlClassRow> ControlClasses;
    std::vector<TSkinWndClassRow> WndClasses;
    std::vector<AnsiString> AutoSkin{"TSelectDirDlg", "TForm", "TfrmRegBrowser"};
    std::vector<AnsiString> BorderExclusions{kWizardFormClass};
    std::vector<AnsiString> ControlExclusions;
    std::unique_ptr<TImageList> MenuChecked;
    std::unique_ptr<TImageList> EmptyMenu;
};

std::unique_ptr<TRegistries>& Holder() {
    static std::unique_ptr<TRegistries> holder;
    return holder;
}

TRegistries& Registries() {
    auto& holder = Holder();
    if (!holder) holder = std::make_unique<TRegistries>();
    return *holder;
}

std::string Upper(const std::string& s) { return UpperCase(s); }

std::string WindowClassName(HWND window) {
    char buffer[100] = {};
    int length = GetClassNameA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

}  // namespace

void RegisterSkinControlClass(const std::vector<TSkinControlClassRow>& rows) {
    auto& table = Registries().ControlClasses;
    for (const TSkinControlClassRow& row : rows) {
        bool known = std::any_of(table.begin(), table.end(), [&](const TSkinControlClassRow& r) {
            return r.ControlClass == row.ControlClass && r.SkinClass == row.SkinClass;
        });
        if (!known) table.push_back(row);
    }
}

void RegisterSkinWndClass(const std::vector<TSkinWndClassRow>& rows) {
    auto& table = Registries().WndClasses;
    for (TSkinWndClassRow row : rows) {
        row.ClassName = Upper(row.ClassName).substr(0, 67);
        bool known = std::any_of(table.begin(), table.end(), [&](const TSkinWndClassRow& r) {
            return r.ClassName == row.ClassName && r.SkinClass == row.SkinClass;
        });
        if (!known) table.push_back(row);
    }
}

int SkinControlClassCount() { return static_cast<int>(Registries().ControlClasses.size()); }
int SkinWndClassCount() { return static_cast<int>(Registries().WndClasses.size()); }

std::unique_ptr<TlumSkinControlVCL> FindSkinControlClass(TControl* control, TlumSkinWindowIntf* skinWindow) {
    if (!control) return nullptr;
    const auto& table = Registries().ControlClasses;
    for (auto row = table.rbegin(); row != table.rend(); ++row) {
        if (!row->IsInstance(control)) continue;
        std::unique_ptr<TlumSkinControlVCL> skin = row->Create(control, skinWindow);
        skin->Install();
        return skin;
    }
    return nullptr;
}

std::string SkinWndClassKey(const std::string& className, LONG style, bool& animateOrProgress) {
    std::string name = Upper(className);
    animateOrProgress = false;
    if (name == "SYSANIMATE32" || name == "MSCTLS_PROGRESS32") {
        animateOrProgress = true;
        return std::string();
    }
    if (name == "BUTTON") {
        const LONG type = style & 0x0F;
        if ((type & 7) == 7) return std::string();   // group box
        // An owner-drawn button (type 11) draws itself: no skin.
        if (type == BS_OWNERDRAW) return std::string();
        if ((type & 3) == 3 || (type & 2) || (type & 5) == 5)
            name += "_CHECKBOX";
        else if ((type & 9) == 9 || (type & 4))
            name += "_RADIOBUTTON";
    }
    if (name == "COMBOBOX" && (style & 3) == CBS_SIMPLE) return std::string();
    return name;
}

std::unique_ptr<TlumSkinControlWnd> FindSkinWndClass(HWND window, TlumSkinWindowIntf* skinWindow) {
    if (!IsWindow(window)) return nullptr;
    bool animateOrProgress = false;
    std::string key = SkinWndClassKey(WindowClassName(window), GetWindowLongA(window, GWL_STYLE), animateOrProgress);
    if (animateOrProgress && skinWindow) skinWindow->SetAnimationOrProgress(true);
    if (key.empty()) return nullptr;
    HWND target = window;
    if (key == "COMBOBOXEX32") {
        // The extended combo box is skinned through its first child, the combo box itself.
        target = GetTopWindow(window);
        if (!target) return nullptr;
    }
    for (const TSkinWndClassRow& row : Registries().WndClasses) {
        if (row.ClassName != key) continue;
        std::unique_ptr<TlumSkinControlWnd> skin = row.Create(target, skinWindow);
        skin->Install();
        return skin;
    }
    return nullptr;
}

void AddAutoSkinClass(const AnsiString& name) {
    if (!IsAutoSkinClass(name)) Registries().AutoSkin.push_back(name);
}

bool IsAutoSkinClass(const AnsiString& name) {
    const std::string wanted = Upper(name);
    const auto& list = Registries().AutoSkin;
    return std::any_of(list.begin(), list.end(), [&](const AnsiString& n) { return Upper(n) == wanted; });
}

void AddBorderExclusion(const AnsiString& name) { Registries().BorderExclusions.push_back(name); }

bool IsBorderExcluded(const AnsiString& name) {
    const auto& list = Registries().BorderExclusions;
    return std::find(list.begin(), list.end(), name) != list.end();
}

std::vector<AnsiString>& ControlExclusions() { return Registries().ControlExclusions; }

TImageList* MenuCheckedImages() {
    TRegistries& r = Registries();
    if (!r.MenuChecked) {
        r.MenuChecked = std::make_unique<TImageList>(nullptr, 16, 16);
        try {
            TBitmap checked;
            checked.LoadFromResourceName(GetModuleHandleA(nullptr), "LUMSKIN_MENU_CHECKED");
            checked.SetTransparent(true);
            r.MenuChecked->AddMasked(&checked, 0xFFFFFF);
        } catch (const std::exception&) {
            // A program without the resource gets an empty list rather than no start at all.
        }
    }
    return r.MenuChecked.get();
}

TImageList* EmptyMenuImages() {
    TRegistries& r = Registries();
    if (!r.EmptyMenu) r.EmptyMenu = std::make_unique<TImageList>(nullptr, 16, 16);
    return r.EmptyMenu.get();
}

void FinalizeSkinRegistries() { Holder().reset(); }
