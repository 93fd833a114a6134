// Hooks on real windows: stacked over a control's WindowProc or subclassing a window that is
// not ours, removed in any order, and told of WM_NCDESTROY; and the control lifecycle as
// observers see it for a form with nested controls.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "classlib/gui/application.h"
#include "classlib/gui/lifecycle.h"
#include "classlib/gui/panel.h"
#include "classlib/gui/standard_controls.h"
#include "classlib/gui/window_proc_hook.h"
#include "tests/gui/gui_test_support.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override { Application->Initialize(); }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

constexpr UINT WM_PROBE = WM_APP + 21;

// Everything the hooks of one test saw, in order: "A:probe", "B:ncdestroy", "own:probe".
using Log = std::vector<std::string>;

const char* Name(UINT msg) {
    switch (msg) {
        case WM_PROBE: return "probe";
        case WM_NCDESTROY: return "ncdestroy";
        default: return nullptr;
    }
}

// A button that notes the probes its own WndProc gets.
class TProbeButton : public TButton {
public:
    TProbeButton(TComponent* owner, Log& log) : TButton(owner), FLog(log) {}
protected:
    void WndProc(TMessage& m) override {
        if (m.Msg == WM_PROBE) {
            FLog.push_back("own:probe");
            m.Result = 1;
            return;
        }
        TButton::WndProc(m);
    }
private:
    Log& FLog;
};

class NamedHook : public TWindowProcHook {
public:
    NamedHook(TControl* control, std::string name, Log& log)
        : TWindowProcHook(control, nullptr), FName(std::move(name)), FLog(log) {}
protected:
    void HookProc(TMessage& m) override {
        if (const char* n = Name(m.Msg)) FLog.push_back(FName + ":" + n);
        Previous(m);
    }
private:
    std::string FName;
    Log& FLog;
};

struct HookedButton {
    Log log;
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    TProbeButton* button = new TProbeButton(form.get(), log);
    std::map<std::string, std::unique_ptr<NamedHook>> hooks;
    HookedButton() {
        button->SetParent(form.get());
        form->HandleNeeded();
    }
    void Add(const std::string& name) { hooks[name] = std::make_unique<NamedHook>(button, name, log); }
    // Sends a probe through the window (the whole path a system message takes).
    Log Probe() {
        log.clear();
        SendMessageA(button->GetHandle(), WM_PROBE, 0, 0);
        Log seen;
        seen.swap(log);
        return seen;
    }
};

}  // namespace

TEST(WindowProcHook, AnyRemovalOrderLeavesAWorkingChain) {
    struct Case {
        const char* steps;     // +X installs, -X removes
        Log probe;             // what one probe then reaches, top hook first
    } cases[] = {
        {"+A +B", {"B:probe", "A:probe", "own:probe"}},
        {"+A +B -A", {"B:probe", "own:probe"}},
        {"+A +B -B", {"A:probe", "own:probe"}},
        {"+A +B -A -B", {"own:probe"}},
        {"+A +B -B -A", {"own:probe"}},
        {"+A +B +C -B", {"C:probe", "A:probe", "own:probe"}},
        {"+A +B +C -B -A +D", {"D:probe", "C:probe", "own:probe"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps);
        HookedButton h;
        std::istringstream in(c.steps);
        std::string step;
        while (in >> step) {
            if (step[0] == '+') h.Add(step.substr(1));
            else h.hooks.erase(step.substr(1));
        }
        EXPECT_EQ(h.Probe(), c.probe);
        // Perform takes the same path as the window procedure.
        h.log.clear();
        EXPECT_EQ(h.button->Perform(WM_PROBE), 1);
        EXPECT_EQ(h.log, c.probe);
    }
}

TEST(WindowProcHook, EveryHookHearsTheWindowGoAndTheControlFreedFirstLeavesThemInert) {
    HookedButton h;
    h.Add("A");
    h.Add("B");
    h.Add("C");
    h.hooks.erase("B");
    h.log.clear();
    h.form.reset();   // frees the button with it
    EXPECT_EQ(h.log, (Log{"C:ncdestroy", "A:ncdestroy"}));
    for (auto& kv : h.hooks) {
        EXPECT_EQ(kv.second->Control(), nullptr);
        TMessage m;
        m.Msg = WM_PROBE;
        kv.second->Previous(m);   // nothing is there to call
        EXPECT_EQ(m.Result, 0);
    }
    h.hooks.clear();
    EXPECT_TRUE(h.log.size() == 2);
}

TEST(WindowProcHook, AHookMayRemoveItselfInsideItsOwnMessage) {
    HookedButton h;
    h.Add("A");
    std::unique_ptr<TWindowProcHook> self;
    self = std::make_unique<TWindowProcHook>(h.button, [&](TMessage& m) {
        if (m.Msg == WM_PROBE) {
            h.log.push_back("self:probe");
            self->Previous(m);
            self.reset();
            return;
        }
        self->Previous(m);
    });
    h.Add("B");
    EXPECT_EQ(h.Probe(), (Log{"B:probe", "self:probe", "A:probe", "own:probe"}));
    EXPECT_EQ(h.Probe(), (Log{"B:probe", "A:probe", "own:probe"}));
}

TEST(WindowProcHook, HooksFreedBeforeTheControlLeaveItAsItWas) {
    HookedButton h;
    h.Add("A");
    h.Add("B");
    h.hooks.clear();
    EXPECT_EQ(h.Probe(), (Log{"own:probe"}));
    EXPECT_EQ(h.button->WindowProcChain().HookCount(), 0);
    h.button->SetCaption("still works");
    EXPECT_EQ(h.button->GetCaption(), "still works");
}

TEST(SubclassHook, ForeignWindowHooksStackAndUnhookInAnyOrder) {
    HWND wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(wnd, nullptr);
    Log log;
    auto hook = [&](const std::string& name, std::unique_ptr<TSubclassHook>& slot) {
        slot = std::make_unique<TSubclassHook>(wnd, [&log, name, &slot](TMessage& m) {
            if (const char* n = Name(m.Msg)) log.push_back(name + ":" + n);
            slot->Previous(m);
        });
    };
    std::unique_ptr<TSubclassHook> a, b, c;
    hook("A", a);
    hook("B", b);
    hook("C", c);
    SendMessageA(wnd, WM_PROBE, 0, 0);
    EXPECT_EQ(log, (Log{"C:probe", "B:probe", "A:probe"}));
    b.reset();
    log.clear();
    SendMessageA(wnd, WM_PROBE, 0, 0);
    EXPECT_EQ(log, (Log{"C:probe", "A:probe"}));
    log.clear();
    DestroyWindow(wnd);
    EXPECT_EQ(log, (Log{"C:ncdestroy", "A:ncdestroy"}));
    EXPECT_EQ(a->Window(), nullptr);
    EXPECT_EQ(c->Window(), nullptr);
}

namespace {

// What observers hear about a set of controls, as "created:form".
struct LifecycleLog {
    std::map<TControl*, std::string> names;
    Log events;
    TSubscription subscription = ControlLifecycle().Add([this](TLifecycleEvent e, TControl* c) {
        static const char* kinds[] = {"created", "destroying", "destroyed", "focus"};
        auto it = names.find(c);
        if (it != names.end() && e != TLifecycleEvent::FocusChanged)
            events.push_back(std::string(kinds[static_cast<int>(e)]) + ":" + it->second);
    });
};

}  // namespace

TEST(ControlLifecycle, AFormWithNestedControlsIsReportedOnceEachInOrder) {
    for (bool ownedByAnotherForm : {false, true}) {
        SCOPED_TRACE(ownedByAnotherForm ? "freed by its owner" : "freed directly");
        LifecycleLog log;
        auto owner = std::make_unique<TForm>(nullptr);
        auto* form = new TForm(ownedByAnotherForm ? owner.get() : nullptr);
        log.names[form] = "form";
        auto* panel = new TPanel(form);
        log.names[panel] = "panel";
        panel->SetParent(form);
        auto* button = new TButton(form);
        log.names[button] = "button";
        button->SetParent(panel);
        auto* label = new TLabel(form);
        log.names[label] = "label";
        label->SetParent(panel);
        // Created is sent from TControl's constructor, before the names were noted.
        log.events.clear();
        form->Show();
        PumpFor(20);
        bool windowsAliveWhenDestroying = false;
        auto check = ControlLifecycle().Add([&](TLifecycleEvent e, TControl* c) {
            if (e == TLifecycleEvent::Destroying && c == button)
                windowsAliveWhenDestroying = IsWindow(button->GetHandleIfAllocated()) &&
                                             IsWindow(form->GetHandleIfAllocated());
        });
        if (ownedByAnotherForm)
            owner.reset();
        else
            delete form;
        EXPECT_EQ(log.events, (Log{"destroying:form", "destroying:panel", "destroying:button", "destroying:label",
                                   "destroyed:label", "destroyed:button", "destroyed:panel", "destroyed:form"}));
        EXPECT_TRUE(windowsAliveWhenDestroying);
        for (int i = 0; i < Screen->FormCount(); ++i) EXPECT_NE(Screen->Forms(i), static_cast<TCustomForm*>(form));
    }
}

TEST(ControlLifecycle, CreationIsReportedInConstructionOrder) {
    std::vector<TControl*> created;
    auto sub = ControlLifecycle().Add([&](TLifecycleEvent e, TControl* c) {
        if (e == TLifecycleEvent::Created) created.push_back(c);
    });
    TForm form(nullptr);
    TControl* panel = new TPanel(&form);
    TControl* button = new TButton(&form);
    EXPECT_EQ(created, (std::vector<TControl*>{&form, panel, button}));
}

TEST(ControlOwnership, AParentOnlyUnlinksChildrenItDoesNotOwn) {
    // The panel's children belong to another owner: freeing the panel must not free them.
    TForm holder(nullptr);
    auto panel = std::make_unique<TPanel>(nullptr);
    auto* button = new TButton(&holder);
    button->SetParent(panel.get());
    auto* label = new TLabel(&holder);
    label->SetParent(panel.get());
    panel.reset();
    EXPECT_EQ(button->GetParent(), nullptr);
    EXPECT_EQ(label->GetParent(), nullptr);
    button->SetParent(&holder);
    holder.HandleNeeded();
    EXPECT_TRUE(button->HandleAllocated());
    EXPECT_EQ(holder.ComponentCount(), 2);
}
