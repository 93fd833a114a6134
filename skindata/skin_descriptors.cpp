#include "skindata/skin_descriptors.h"

#include <cstring>

#include "skindata/gw_utils.h"

namespace {

const char* const kMorphKindNames[] = {"mkdefault",   "mkgradient",   "mkleftgradient", "mkrightgradient",
                                       "mkleftslide", "mkrightslide", "mkpush"};
const char* const kCommandNames[] = {"cmclose",   "cmmaximize", "cmminimize",      "cmsysmenu",
                                     "cmdefault", "cmrollup",   "cmminimizetotray"};

template <class... F> struct Overloaded : F... { using F::operator()...; };
template <class... F> Overloaded(F...) -> Overloaded<F...>;

}  // namespace

TgwMorphKind ReadMorphKind(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key) {
    AnsiString text = ini.ReadString(section, key, "mkdefault");
    for (int i = 0; i <= mkPush; ++i)
        if (text == kMorphKindNames[i]) return static_cast<TgwMorphKind>(i);
    return mkDefault;
}

void WriteMorphKind(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, TgwMorphKind kind) {
    ini.WriteString(section, key, kMorphKindNames[kind <= mkPush ? kind : mkDefault]);
}

TgwStdCommand ReadStdCommand(const TCustomIniFile& ini, const AnsiString& section, const AnsiString& key) {
    AnsiString text = ini.ReadString(section, key, "cmdefault");
    for (int i = 0; i < cmMinimizeToTray; ++i)
        if (text == kCommandNames[i]) return static_cast<TgwStdCommand>(i);
    return cmMinimizeToTray;
}

void WriteStdCommand(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, TgwStdCommand command) {
    ini.WriteString(section, key, kCommandNames[command <= cmMinimizeToTray ? command : cmDefault]);
}

// ---- Walking the key table ---------------------------------------------------------------

void TgwSkinDescriptor::LoadFromIni(const TCustomIniFile& ini) {
    const AnsiString& s = SectionName;
    for (const TgwKeyRef& k : KeyTable()) {
        std::visit(Overloaded{
                       [&](int32_t* v) { *v = ini.ReadInteger(s, k.Name, k.Default); },
                       [&](AnsiString* v) { *v = ini.ReadString(s, k.Name, k.DefaultText); },
                       [&](bool* v) { *v = ReadIniBool(ini, s, k.Name); },
                       [&](TPoint* v) { *v = ReadIniPoint(ini, s, k.Name); },
                       [&](TRect* v) { *v = ReadIniRect(ini, s, k.Name); },
                       [&](TFontStyles* v) { *v = ReadIniFontStyles(ini, s, k.Name); },
                       [&](TAlignment* v) { *v = ReadIniAlignment(ini, s, k.Name); },
                       [&](TgwMorphKind* v) { *v = ReadMorphKind(ini, s, k.Name); },
                       [&](TgwStdCommand* v) { *v = ReadStdCommand(ini, s, k.Name); },
                   },
                   k.Target);
    }
}

void TgwSkinDescriptor::SaveToIni(TCustomIniFile& ini) {
    const AnsiString& s = SectionName;
    ini.EraseSection(s);
    TgwKeyRefs keys = KeyTable();
    OrderForSave(keys);
    for (const TgwKeyRef& k : keys) {
        std::visit(Overloaded{
                       [&](int32_t* v) { ini.WriteInteger(s, k.Name, *v); },
                       [&](AnsiString* v) { ini.WriteString(s, k.Name, *v); },
                       [&](bool* v) { WriteIniBool(ini, s, k.Name, *v); },
                       [&](TPoint* v) { WriteIniPoint(ini, s, k.Name, *v); },
                       [&](TRect* v) { WriteIniRect(ini, s, k.Name, *v); },
                       [&](TFontStyles* v) { WriteIniFontStyles(ini, s, k.Name, *v); },
                       [&](TAlignment* v) { WriteIniAlignment(ini, s, k.Name, *v); },
                       [&](TgwMorphKind* v) { WriteMorphKind(ini, s, k.Name, *v); },
                       [&](TgwStdCommand* v) { WriteStdCommand(ini, s, k.Name, *v); },
                   },
                   k.Target);
    }
}

void TgwSkinDescriptor::MoveKey(TgwKeyRefs& keys, const char* name, const char* anchor, bool after) {
    auto find = [&](const char* n) {
        for (size_t i = 0; i < keys.size(); ++i)
            if (std::strcmp(keys[i].Name, n) == 0) return i;
        return keys.size();
    };
    size_t from = find(name);
    if (from == keys.size()) return;
    TgwKeyRef moved = keys[from];
    keys.erase(keys.begin() + static_cast<std::ptrdiff_t>(from));
    size_t to = find(anchor);
    if (to == keys.size()) return;
    keys.insert(keys.begin() + static_cast<std::ptrdiff_t>(after ? to + 1 : to), moved);
}

// ---- Rules of particular kinds ---------------------------------------------------------------

void TgwDataSkinUpDownControl::ClearFrame() {
    lefttoppoint = righttoppoint = leftbottompoint = rightbottompoint = TPoint();
    clientrect = TRect();
}

void TgwDataSkinUpDownControl::LoadFromIni(const TCustomIniFile& ini) {
    TgwDataSkinCustomControl::LoadFromIni(ini);
    ClearFrame();
}

void TgwDataSkinUpDownControl::SaveToIni(TCustomIniFile& ini) {
    ClearFrame();
    TgwDataSkinCustomControl::SaveToIni(ini);
}

void TgwDataSkinAnimate::LoadFromIni(const TCustomIniFile& ini) {
    TgwDataSkinObject::LoadFromIni(ini);
    morphing = false;
}

// ---- Kinds ---------------------------------------------------------------------------------

namespace {

template <class Root> struct KindEntry {
    const char* Kind;
    const char* ClassName;
    std::unique_ptr<Root> (*Create)(const AnsiString& sectionName);
};

template <class Root, class C> std::unique_ptr<Root> Make(const AnsiString& sectionName) {
    return std::make_unique<C>(sectionName);
}

#define GW_KIND(Root, kind, C) {kind, #C, &Make<Root, C>}

const KindEntry<TgwDataSkinControl> kControlKinds[] = {
    GW_KIND(TgwDataSkinControl, "panel", TgwDataSkinPanelControl),
    GW_KIND(TgwDataSkinControl, "expanel", TgwDataSkinExPanelControl),
    GW_KIND(TgwDataSkinControl, "menubutton", TgwDataSkinMenuButtonControl),
    GW_KIND(TgwDataSkinControl, "button", TgwDataSkinButtonControl),
    GW_KIND(TgwDataSkinControl, "checkradio", TgwDataSkinCheckRadioControl),
    GW_KIND(TgwDataSkinControl, "gauge", TgwDataSkinGaugeControl),
    GW_KIND(TgwDataSkinControl, "splitter", TgwDataSkinSplitterControl),
    GW_KIND(TgwDataSkinControl, "trackbar", TgwDataSkinTrackBarControl),
    GW_KIND(TgwDataSkinControl, "label", TgwDataSkinLabelControl),
    GW_KIND(TgwDataSkinControl, "stdlabel", TgwDataSkinStdLabelControl),
    GW_KIND(TgwDataSkinControl, "updown", TgwDataSkinUpDownControl),
    GW_KIND(TgwDataSkinControl, "grid", TgwDataSkinGridControl),
    GW_KIND(TgwDataSkinControl, "tab", TgwDataSkinTabControl),
    GW_KIND(TgwDataSkinControl, "mainmenubar", TgwDataSkinMainMenuBar),
    GW_KIND(TgwDataSkinControl, "controlbar", TgwDataSkinControlBar),
    GW_KIND(TgwDataSkinControl, "memo", TgwDataSkinMemoControl),
    GW_KIND(TgwDataSkinControl, "edit", TgwDataSkinEditControl),
    GW_KIND(TgwDataSkinControl, "checklistbox", TgwDataSkinCheckListBox),
    GW_KIND(TgwDataSkinControl, "listbox", TgwDataSkinListBox),
    GW_KIND(TgwDataSkinControl, "combobox", TgwDataSkinComboBox),
    GW_KIND(TgwDataSkinControl, "scrollbar", TgwDataSkinScrollBarControl),
    GW_KIND(TgwDataSkinControl, "spinedit", TgwDataSkinSpinEditControl),
    GW_KIND(TgwDataSkinControl, "scrollbox", TgwDataSkinScrollBoxControl),
    GW_KIND(TgwDataSkinControl, "treeview", TgwDataSkinTreeView),
    GW_KIND(TgwDataSkinControl, "bevel", TgwDataSkinBevel),
    GW_KIND(TgwDataSkinControl, "slider", TgwDataSkinSlider),
    GW_KIND(TgwDataSkinControl, "listview", TgwDataSkinListView),
    GW_KIND(TgwDataSkinControl, "richedit", TgwDataSkinRichEdit),
};

const KindEntry<TgwDataSkinObject> kObjectKinds[] = {
    GW_KIND(TgwDataSkinObject, "menuitem", TgwDataSkinMenuItem),
    GW_KIND(TgwDataSkinObject, "mainmenubaritem", TgwDataSkinMainMenuBarItem),
    GW_KIND(TgwDataSkinObject, "stdbutton", TgwDataSkinStdButton),
    GW_KIND(TgwDataSkinObject, "mainmenubarbutton", TgwDataSkinMainMenuBarButton),
    GW_KIND(TgwDataSkinObject, "button", TgwDataSkinButton),
    GW_KIND(TgwDataSkinObject, "caption", TgwDataSkinCaption),
    GW_KIND(TgwDataSkinObject, "animate", TgwDataSkinAnimate),
    GW_KIND(TgwDataSkinObject, "userobject", TgwDataUserObject),
};

template <class Root, size_t N>
std::unique_ptr<Root> Create(const KindEntry<Root> (&table)[N], const AnsiString& kind, const AnsiString& sectionName) {
    for (const KindEntry<Root>& e : table)
        if (kind == e.Kind) return e.Create(sectionName);
    return nullptr;
}

template <class Root, size_t N> AnsiString KindOf(const KindEntry<Root> (&table)[N], const Root& d) {
    for (const KindEntry<Root>& e : table)
        if (std::strcmp(d.ClassName(), e.ClassName) == 0) return e.Kind;
    return AnsiString();
}

template <class Root, size_t N> std::vector<AnsiString> Kinds(const KindEntry<Root> (&table)[N]) {
    std::vector<AnsiString> kinds;
    for (const KindEntry<Root>& e : table) kinds.push_back(e.Kind);
    return kinds;
}

}  // namespace

std::unique_ptr<TgwDataSkinControl> CreateSkinControl(const AnsiString& kind, const AnsiString& sectionName) {
    return Create(kControlKinds, kind, sectionName);
}

std::unique_ptr<TgwDataSkinObject> CreateSkinObject(const AnsiString& kind, const AnsiString& sectionName) {
    return Create(kObjectKinds, kind, sectionName);
}

AnsiString SkinControlKind(const TgwDataSkinControl& control) { return KindOf(kControlKinds, control); }
AnsiString SkinObjectKind(const TgwDataSkinObject& object) { return KindOf(kObjectKinds, object); }
std::vector<AnsiString> SkinControlKinds() { return Kinds(kControlKinds); }
std::vector<AnsiString> SkinObjectKinds() { return Kinds(kObjectKinds); }
