// The skin engine's window hook with a fake engine, the class registries, and the two ways a
// skin object takes a control over and gives it back (stacked with other hooks, removed out of
// order, window destroyed first).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/standard_controls.h"
#include "skin/skin_hook_win.h"
#include "skin/skin_registry_win.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override {
        Application->Initialize();
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
    }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

class TFakeEngine : public TlumSkinEngineIntf {
public:
    bool IsSkinActive() const override { return Active; }
    bool IsEngineDestroying() const override { return false; }
    bool GetSkinDialogs() const override { return SkinDialogs; }
    intptr_t GetDisabledTag() const override { return 9999; }
    bool GetDrawScrollBar() const override { return true; }
    void SkinWindow(HWND window, bool fromHook) override {
        Skinned.push_back({window, fromHook});
        if (Throw) throw std::runtime_error("skin failed");
    }
    TColor GetSkinColor(uint8_t) const override { return -1; }
    TlumSkinScrollBtnRes* GetScrollBtnRes() override { return nullptr; }

    bool Active = true, SkinDialogs = true, Throw = false;
    std::vector<std::pair<HWND, bool>> Skinned;
};

class TFakeSkinWindow : public TlumSkinWindowIntf {
public:
    explicit TFakeSkinWindow(TlumSkinEngineIntf* engine) : Engine(engine) {}
    TlumSkinEngineIntf* GetEngine() const override { return Engine; }
    void SetAnimationOrProgress(bool value) override { AnimationOrProgress = value; }
    bool GetAnimationOrProgress() const override { return AnimationOrProgress; }
    TlumSkinEngineIntf* Engine;
    bool AnimationOrProgress = false;
};

// Installs the fake engine's hook for one test and always takes it out again.
class SkinHook : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(InstallSkinHook(&Engine)); }
    void TearDown() override { RemoveSkinHook(&Engine); }
    TFakeEngine Engine;
};

LRESULT CALLBACK QueryAwareProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SKIN_QUERY) return GetWindowLongPtrA(w, GWLP_USERDATA);
    return DefWindowProcA(w, msg, wp, lp);
}

// A top-level window of our own class name; answers WM_SKIN_QUERY with its user data.
HWND MakeTopLevel(const char* className) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = QueryAwareProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);   // already registered on a second call: fine
    return CreateWindowExA(0, className, "", WS_POPUP, 10, 10, 100, 80, nullptr, nullptr, nullptr, nullptr);
}

int Activations(const TFakeEngine& e, HWND w) {
    int n = 0;
    for (const auto& s : e.Skinned) n += s.first == w;
    return n;
}

void Activate(HWND w) {
    ShowWindow(w, SW_SHOW);
    SetActiveWindow(w);
}

TEST_F(SkinHook, OneInstallAndNoneAfterItsEngineGoes) {
    TFakeEngine second;
    EXPECT_FALSE(InstallSkinHook(&second));
    EXPECT_EQ(SkinHookEngine(), &Engine);
    RemoveSkinHook(&second);   // not the hook's engine: nothing happens
    EXPECT_EQ(SkinHookEngine(), &Engine);

    HWND form = MakeTopLevel("TForm");
    Activate(form);
    EXPECT_EQ(Activations(Engine, form), 1);
    RemoveSkinHook(&Engine);
    EXPECT_EQ(SkinHookEngine(), nullptr);
    HWND later = MakeTopLevel("TForm");
    Activate(later);
    EXPECT_EQ(Activations(Engine, later), 0);
    DestroyWindow(form);
    DestroyWindow(later);
    EXPECT_TRUE(InstallSkinHook(&Engine));   // for TearDown
}

TEST_F(SkinHook, SizeGripsOfSkinnedWindowsAreRefused) {
    HWND parent = MakeTopLevel("SkinGripParent");
    auto grip = [&](DWORD exStyle) {
        HWND h = CreateWindowExA(exStyle, "ScrollBar", "", WS_CHILD | SBS_SIZEGRIP, 0, 0, 16, 16, parent, nullptr,
                                 nullptr, nullptr);
        bool made = h != nullptr;
        if (h) DestroyWindow(h);
        return made;
    };
    EXPECT_FALSE(grip(0));
    EXPECT_FALSE(grip(WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY));
    EXPECT_TRUE(grip(WS_EX_NOPARENTNOTIFY));
    Engine.Active = false;
    EXPECT_TRUE(grip(0));
    DestroyWindow(parent);
}

TEST_F(SkinHook, DialogsDockHostsAndAutoSkinNames) {
    AddAutoSkinClass("TSkinAutoForm");
    AddAutoSkinClass("TSKINAUTOFORM");   // already there, whatever the case
    struct {
        const char* ClassName;
        int Skinned;     // activations that reached SkinWindow
        bool FromHook;
    } cases[] = {
        {"#32770", 1, true},
        {"TMessageForm", 1, true},
        {"TConjoinDockHost", 1, true},
        {"ttabdockhost", 0, false},   // dock hosts and dialogs match exactly
        {"tskinautoform", 1, false},  // the auto-skin list ignores case
        {"TfrmRegBrowser", 1, false},
        {"SomethingElse", 0, false},
    };
    for (const auto& c : cases) {
        HWND w = std::string(c.ClassName) == "#32770"
                     ? CreateWindowExA(0, "#32770", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr)
                     : MakeTopLevel(c.ClassName);
        ASSERT_NE(w, nullptr) << c.ClassName;
        Activate(w);
        EXPECT_EQ(Activations(Engine, w), c.Skinned) << c.ClassName;
        if (c.Skinned) {
            EXPECT_EQ(Engine.Skinned.back().second, c.FromHook) << c.ClassName;
        }
        DestroyWindow(w);
    }
    // A window that says it is skinned already is left alone; so are dialogs without SkinDialogs.
    HWND answered = MakeTopLevel("TForm");
    SetWindowLongPtrA(answered, GWLP_USERDATA, 1);
    Activate(answered);
    EXPECT_EQ(Activations(Engine, answered), 0);
    Engine.SkinDialogs = false;
    HWND dialog = MakeTopLevel("TMessageForm");
    Activate(dialog);
    EXPECT_EQ(Activations(Engine, dialog), 0);
    DestroyWindow(answered);
    DestroyWindow(dialog);
}

TEST_F(SkinHook, TheLastDestroyedDialogIsSkippedOnce) {
    HWND other = MakeTopLevel("SkinHookOther");
    HWND dialog = MakeTopLevel("TMessageForm");
    SetLastDestroyedDialog(dialog);
    Activate(dialog);
    EXPECT_EQ(Activations(Engine, dialog), 0);
    EXPECT_EQ(GetLastDestroyedDialog(), nullptr);
    Activate(other);
    Activate(dialog);
    EXPECT_EQ(Activations(Engine, dialog), 1);
    DestroyWindow(dialog);
    DestroyWindow(other);
}

TEST_F(SkinHook, AThrowingEngineDoesNotStopTheWindow) {
    Engine.Throw = true;
    HWND form = MakeTopLevel("TForm");
    Activate(form);
    EXPECT_EQ(Activations(Engine, form), 1);
    EXPECT_TRUE(IsWindowVisible(form));
    DestroyWindow(form);
}

TEST(SkinRegistry, WindowClassKeys) {
    // Button types 0-15 by their low four style bits.
    const char* buttonKeys[16] = {
        "BUTTON", "BUTTON", "BUTTON_CHECKBOX", "BUTTON_CHECKBOX", "BUTTON_RADIOBUTTON", "BUTTON_CHECKBOX",
        "BUTTON_CHECKBOX", "", "BUTTON", "BUTTON_RADIOBUTTON", "BUTTON_CHECKBOX",
        "",   // owner-drawn: draws itself, no skin
        "BUTTON_RADIOBUTTON", "BUTTON_CHECKBOX", "BUTTON_CHECKBOX", "",
    };
    bool flag = false;
    for (LONG type = 0; type < 16; ++type)
        EXPECT_EQ(SkinWndClassKey("Button", WS_CHILD | type, flag), buttonKeys[type]) << "type " << type;
    EXPECT_EQ(SkinWndClassKey("ComboBox", CBS_SIMPLE, flag), "");
    EXPECT_EQ(SkinWndClassKey("ComboBox", CBS_DROPDOWN, flag), "COMBOBOX");
    EXPECT_EQ(SkinWndClassKey("ComboBox", CBS_DROPDOWNLIST, flag), "COMBOBOX");
    EXPECT_FALSE(flag);
    EXPECT_EQ(SkinWndClassKey("msctls_progress32", 0, flag), "");
    EXPECT_TRUE(flag);
    EXPECT_EQ(SkinWndClassKey("Edit", 0, flag), "EDIT");
}

std::vector<std::string> gLog;

class TLoggingWndSkin : public TlumSkinControlWnd {
public:
    using TlumSkinControlWnd::TlumSkinControlWnd;
    const char* ClassName() const override { return "TLoggingWndSkin"; }
    bool BeforeMessage(TMessage& m) override {
        if (m.Msg == WM_USER + 5) gLog.push_back("skin");
        return true;
    }
};
class TOtherWndSkin : public TLoggingWndSkin {
public:
    using TLoggingWndSkin::TLoggingWndSkin;
};

TEST(SkinRegistry, FindSkinWndClassMakesInstalledSkins) {
    TFakeEngine engine;
    TFakeSkinWindow skinWindow(&engine);
    RegisterSkinWndClass({SkinWndRow<TLoggingWndSkin>("BUTTON"), SkinWndRow<TOtherWndSkin>("button_checkbox"),
                          SkinWndRow<TLoggingWndSkin>("COMBOBOX"), SkinWndRow<TLoggingWndSkin>("COMBOBOXEX32")});
    const int rows = SkinWndClassCount();
    RegisterSkinWndClass({SkinWndRow<TLoggingWndSkin>("BUTTON")});   // again: no second row
    EXPECT_EQ(SkinWndClassCount(), rows);

    HWND parent = MakeTopLevel("SkinRegistryParent");
    auto child = [&](const char* cls, DWORD style) {
        return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 80, 120, parent, nullptr, nullptr,
                               nullptr);
    };
    HWND push = child("BUTTON", BS_PUSHBUTTON), check = child("BUTTON", BS_AUTOCHECKBOX),
         group = child("BUTTON", BS_GROUPBOX), simple = child("COMBOBOX", CBS_SIMPLE),
         drop = child("COMBOBOX", CBS_DROPDOWN), ex = child(WC_COMBOBOXEXA, CBS_DROPDOWNLIST),
         progress = child(PROGRESS_CLASSA, 0);
    auto pushSkin = FindSkinWndClass(push, &skinWindow);
    ASSERT_NE(pushSkin, nullptr);
    EXPECT_EQ(typeid(*pushSkin), typeid(TLoggingWndSkin));
    auto checkSkin = FindSkinWndClass(check, &skinWindow);
    ASSERT_NE(checkSkin, nullptr);
    EXPECT_EQ(typeid(*checkSkin), typeid(TOtherWndSkin));
    EXPECT_EQ(FindSkinWndClass(group, &skinWindow), nullptr);
    EXPECT_EQ(FindSkinWndClass(simple, &skinWindow), nullptr);
    EXPECT_NE(FindSkinWndClass(drop, &skinWindow), nullptr);
    auto exSkin = FindSkinWndClass(ex, &skinWindow);
    ASSERT_NE(exSkin, nullptr);
    EXPECT_EQ(exSkin->GetWindow(), GetTopWindow(ex));   // the combo box inside
    EXPECT_FALSE(skinWindow.AnimationOrProgress);
    EXPECT_EQ(FindSkinWndClass(progress, &skinWindow), nullptr);
    EXPECT_TRUE(skinWindow.AnimationOrProgress);
    EXPECT_EQ(SendMessageA(push, WM_SKIN_QUERY, 0, 0), 1);
    exSkin.reset();
    DestroyWindow(parent);
}

// A skin that logs its letter when the test message passes it.
template <char Letter>
class TLetterSkin : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    bool BeforeMessage(TMessage& m) override {
        if (m.Msg == WM_USER + 5) gLog.push_back(std::string(1, Letter));
        return true;
    }
};
using TSkinA = TLetterSkin<'A'>;
using TSkinB = TLetterSkin<'B'>;

// A button that logs what reaches its own procedure.
class TProbeButton : public TButton {
public:
    using TButton::TButton;
protected:
    void WndProc(TMessage& m) override {
        if (m.Msg == WM_USER + 5) gLog.push_back("control");
        TButton::WndProc(m);
    }
};

std::vector<std::string> Send(TControl* c) {
    gLog.clear();
    c->Perform(WM_USER + 5);
    return gLog;
}

using Log = std::vector<std::string>;

TEST(SkinRegistry, ControlClassesFromTheLastRow) {
    TFakeEngine engine;
    TFakeSkinWindow skinWindow(&engine);
    RegisterSkinControlClass({SkinControlRow<TWinControl, TSkinA>(), SkinControlRow<TButton, TSkinB>()});
    const int rows = SkinControlClassCount();
    RegisterSkinControlClass({SkinControlRow<TWinControl, TSkinA>()});
    EXPECT_EQ(SkinControlClassCount(), rows);
    TProbeButton button(nullptr);
    TEdit edit(nullptr);
    TLabel label(nullptr);
    auto buttonSkin = FindSkinControlClass(&button, &skinWindow);
    auto editSkin = FindSkinControlClass(&edit, &skinWindow);
    ASSERT_NE(buttonSkin, nullptr);
    ASSERT_NE(editSkin, nullptr);
    EXPECT_EQ(typeid(*buttonSkin), typeid(TSkinB));   // a subclass of TButton finds TButton's row
    EXPECT_EQ(typeid(*editSkin), typeid(TSkinA));
    EXPECT_EQ(FindSkinControlClass(&label, &skinWindow), nullptr);
    EXPECT_EQ(Send(&button), (Log{"B", "control"}));
    button.SetTag(9999);   // the engine's disabled tag: plain behaviour
    EXPECT_EQ(Send(&button), (Log{"control"}));
    button.SetTag(0);
    engine.Active = false;
    EXPECT_EQ(Send(&button), (Log{"control"}));
}

TEST(SkinTakeOver, WindowProcStackedAndRemovedInAnyOrder) {
    TFakeEngine engine;
    TFakeSkinWindow skinWindow(&engine);
    TProbeButton button(nullptr);
    auto skin = std::make_unique<TSkinA>(&button, &skinWindow);
    skin->Install();
    // Someone else hooks in after the skin, the usual way: keep the old WindowProc and call it.
    std::function<void(TMessage&)> beforeOther = button.WindowProc;
    button.WindowProc = [&beforeOther](TMessage& m) {
        if (m.Msg == WM_USER + 5) gLog.push_back("other");
        beforeOther(m);
    };
    EXPECT_EQ(Send(&button), (Log{"other", "A", "control"}));
    skin.reset();   // freed first: its forwarder stays in the other's chain as a pass-through
    EXPECT_EQ(Send(&button), (Log{"other", "control"}));
    button.WindowProc = beforeOther;
    EXPECT_EQ(Send(&button), (Log{"control"}));

    // Removed in order: nothing of the skin stays in the chain.
    TProbeButton plain(nullptr);
    auto second = std::make_unique<TSkinB>(&plain, &skinWindow);
    second->Install();
    EXPECT_EQ(plain.WindowProcChain().HookCount(), 1);
    second.reset();
    EXPECT_EQ(plain.WindowProcChain().HookCount(), 0);
    EXPECT_EQ(Send(&plain), (Log{"control"}));

    // The control freed before its skin: the skin lets go and touches nothing afterwards.
    auto doomed = std::make_unique<TProbeButton>(nullptr);
    auto orphan = std::make_unique<TSkinA>(doomed.get(), &skinWindow);
    orphan->Install();
    EXPECT_EQ(orphan->GetControl(), doomed.get());
    doomed.reset();
    EXPECT_EQ(orphan->GetControl(), nullptr);
    EXPECT_EQ(orphan->GetControlHandle(), nullptr);
    orphan.reset();
}

int gOtherCalls = 0;
LRESULT CALLBACK OtherSubclass(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_USER + 5) ++gOtherCalls;
    return DefSubclassProc(w, msg, wp, lp);
}

TEST(SkinTakeOver, SubclassGivenBackAndWindowDestroyedFirst) {
    TFakeEngine engine;
    TFakeSkinWindow skinWindow(&engine);
    HWND window = CreateWindowExA(0, "BUTTON", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    const LONG_PTR original = GetWindowLongPtrA(window, GWLP_WNDPROC);
    auto skin = std::make_unique<TLoggingWndSkin>(window, &skinWindow);
    skin->Install();
    ASSERT_TRUE(skin->GetSubclassed());
    ASSERT_TRUE(SetWindowSubclass(window, OtherSubclass, 7, 0));
    gLog.clear();
    gOtherCalls = 0;
    SendMessageA(window, WM_USER + 5, 0, 0);
    EXPECT_EQ(gLog, (Log{"skin"}));
    EXPECT_EQ(gOtherCalls, 1);
    EXPECT_EQ(SendMessageA(window, WM_SKIN_QUERY, 0, 0), 1);
    skin.reset();   // out of order: the later subclasser still gets its messages
    gLog.clear();
    SendMessageA(window, WM_USER + 5, 0, 0);
    EXPECT_TRUE(gLog.empty());
    EXPECT_EQ(gOtherCalls, 2);
    EXPECT_EQ(SendMessageA(window, WM_SKIN_QUERY, 0, 0), 0);
    RemoveWindowSubclass(window, OtherSubclass, 7);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), original);

    auto orphan = std::make_unique<TLoggingWndSkin>(window, &skinWindow);
    orphan->Install();
    DestroyWindow(window);
    EXPECT_FALSE(orphan->GetSubclassed());
    orphan.reset();   // the window went first: nothing to give back, nothing touched
}

}  // namespace
