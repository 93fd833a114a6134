// Actions and their links: controls show what their action says and follow each later change,
// a click executes the action, the message loop updates actions when idle, and an action, its
// list and its controls can be freed in any order.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/actions.h"
#include "classlib/gui/application.h"
#include "classlib/gui/standard_controls.h"
#include "tests/gui/gui_test_support.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override { Application->Initialize(); }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

// An action that says when it is freed.
class TWatchedAction : public TAction {
public:
    TWatchedAction(TComponent* owner, bool* gone) : TAction(owner), FGone(gone) {}
    ~TWatchedAction() override { *FGone = true; }
private:
    bool* FGone;
};

// A shown form with an action list (its action inside) and a push button.
struct ActionForm {
    ActionForm() : form(std::make_unique<TForm>(nullptr)) {
        form->SetBounds(80, 80, 360, 200);
        list = new TActionList(form.get());
        action = new TWatchedAction(form.get(), &actionGone);
        action->SetActionList(list);
        button = AddButton(10);
        form->Show();
    }
    TButton* AddButton(int top) {
        auto* b = new TButton(form.get());
        b->SetParent(form.get());
        b->SetBounds(10, top, 120, 28);
        return b;
    }
    std::unique_ptr<TForm> form;
    TActionList* list;
    TAction* action;
    TButton* button;
    bool actionGone = false;
};

// What the user sees of a control: its window for a windowed one, its own state otherwise.
std::string Shown(TControl* control, const std::string& property) {
    auto* w = dynamic_cast<TWinControl*>(control);
    if (property == "Caption") {
        if (!w) return control->GetCaption();
        char text[128] = {0};
        GetWindowTextA(w->GetHandle(), text, sizeof text);
        return text;
    }
    if (property == "Enabled")
        return (w ? IsWindowEnabled(w->GetHandle()) != FALSE : control->GetEnabled()) ? "on" : "off";
    if (property == "Visible")
        return (w ? IsWindowVisible(w->GetHandle()) != FALSE : control->GetVisible()) ? "on" : "off";
    if (property == "Hint") return control->GetHint();
    return "?";
}

struct FollowedProperty {
    const char* property;
    std::function<void(TCustomAction*, bool)> set;   // the first value (true) or another one
    std::string first, other;
};

const std::vector<FollowedProperty> kFollowed = {
    {"Caption", [](TCustomAction* a, bool first) { a->SetCaption(first ? "打开" : "关闭(&C)"); }, "打开", "关闭(&C)"},
    {"Enabled", [](TCustomAction* a, bool first) { a->SetEnabled(!first); }, "off", "on"},
    {"Hint", [](TCustomAction* a, bool first) { a->SetHint(first ? "打开一本书" : ""); }, "打开一本书", ""},
    {"Visible", [](TCustomAction* a, bool first) { a->SetVisible(!first); }, "off", "on"},
};

}  // namespace

TEST(ActionLink, ControlsTakeTheActionsPropertiesAndFollowEveryChange) {
    for (bool windowed : {true, false}) {
        for (const FollowedProperty& p : kFollowed) {
            SCOPED_TRACE(std::string(p.property) + (windowed ? " of a button" : " of a label"));
            ActionForm f;
            TControl* control = f.button;
            if (!windowed) {
                auto* label = new TLabel(f.form.get());
                label->SetParent(f.form.get());
                control = label;
            }
            control->SetCaption("own");
            control->SetHint("own hint");
            p.set(f.action, true);
            control->SetAction(f.action);
            EXPECT_EQ(control->GetAction(), f.action);
            EXPECT_EQ(Shown(control, p.property), p.first) << "taken at once";
            p.set(f.action, false);
            EXPECT_EQ(Shown(control, p.property), p.other) << "followed";
            p.set(f.action, true);
            EXPECT_EQ(Shown(control, p.property), p.first) << "followed again";
            // Let go of the action: the control keeps what it shows and follows no more.
            control->SetAction(nullptr);
            EXPECT_EQ(f.action->ClientCount(), 0);
            p.set(f.action, false);
            EXPECT_EQ(Shown(control, p.property), p.first);
        }
    }
}

TEST(ActionLink, AFormUnderConstructionKeepsWhatItsControlsSet) {
    // A form's constructor sets its stored properties while the form is loading.
    auto* form = new TForm(nullptr);
    form->BeginLoading();
    std::unique_ptr<TForm> owner(form);
    auto* action = new TAction(form);
    action->SetCaption("动作");
    action->SetHint("动作提示");
    auto* named = new TButton(form);
    named->SetParent(form);
    named->SetCaption("自己的");
    int ownClicks = 0;
    named->OnClick = [&ownClicks](TObject*) { ++ownClicks; };
    auto* bare = new TButton(form);
    bare->SetParent(form);
    named->SetAction(action);
    bare->SetAction(action);
    form->Show();
    EXPECT_EQ(Shown(named, "Caption"), "自己的");
    EXPECT_EQ(Shown(bare, "Caption"), "动作");
    EXPECT_EQ(named->GetHint(), "动作提示") << "it had none";
    named->Click();
    EXPECT_EQ(ownClicks, 1);
    // Once built, every change of the action reaches both.
    action->SetCaption("新动作");
    EXPECT_EQ(Shown(named, "Caption"), "新动作");
    EXPECT_EQ(Shown(bare, "Caption"), "新动作");
}

TEST(ActionLink, TwoControlsFollowOneAction) {
    ActionForm f;
    TButton* second = f.AddButton(50);
    f.button->SetAction(f.action);
    second->SetAction(f.action);
    EXPECT_EQ(f.action->ClientCount(), 2);
    f.action->SetCaption("保存");
    EXPECT_EQ(Shown(f.button, "Caption"), "保存");
    EXPECT_EQ(Shown(second, "Caption"), "保存");
}

TEST(ActionLink, AClickExecutesTheAction) {
    ActionForm f;
    std::vector<TComponent*> executedFor;
    int ownClicks = 0;
    f.button->OnClick = [&](TObject*) { ++ownClicks; };
    f.action->OnExecute = [&](TObject* sender) {
        executedFor.push_back(static_cast<TBasicAction*>(sender)->GetActionComponent());
    };
    // The action takes over the click.
    f.button->SetAction(f.action);
    SendMessageA(f.button->GetHandle(), BM_CLICK, 0, 0);
    ASSERT_EQ(executedFor.size(), 1u);
    EXPECT_EQ(executedFor[0], f.button) << "the action knows which control executes it";
    EXPECT_EQ(f.action->GetActionComponent(), nullptr) << "only while it executes";
    EXPECT_EQ(ownClicks, 0);

    // A disabled action is not executed, even by code.
    f.action->SetEnabled(false);
    f.button->Click();
    EXPECT_EQ(executedFor.size(), 1u);

    // An OnClick set later takes the click instead.
    f.action->SetEnabled(true);
    f.button->OnClick = [&](TObject*) { ++ownClicks; };
    SendMessageA(f.button->GetHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(ownClicks, 1);
    EXPECT_EQ(executedFor.size(), 1u);
}

TEST(ActionLink, AnOnClickSetLaterOutlivesChangesOfTheAction) {
    ActionForm f;
    TButton* plain = f.AddButton(50);   // keeps the action's click
    int executed = 0, ownClicks = 0, updates = 0;
    f.action->OnExecute = [&](TObject*) { ++executed; };
    f.action->OnUpdate = [&](TObject*) {   // the first update disables it, the later ones enable it
        ++updates;
        f.action->SetEnabled(updates != 1);
    };
    plain->OnClick = [&](TObject*) { ++ownClicks; };   // assigned before: the action replaces it
    f.button->SetAction(f.action);
    plain->SetAction(f.action);
    f.button->OnClick = [&](TObject*) { ++ownClicks; };
    f.button->InitiateAction();
    f.button->InitiateAction();
    f.action->SetCaption("改过");
    ASSERT_EQ(updates, 2);
    ASSERT_EQ(Shown(f.button, "Enabled"), "on");
    ASSERT_TRUE(f.action->GetEnabled());

    SendMessageA(f.button->GetHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(ownClicks, 1) << "the OnClick assigned after the action wins";
    EXPECT_EQ(executed, 0);
    SendMessageA(plain->GetHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(executed, 1) << "without a later OnClick the action alone runs";
    EXPECT_EQ(ownClicks, 1);

    // Without the action, a click runs only an OnClick assigned since it was set.
    f.button->SetAction(nullptr);
    delete f.action;
    for (TButton* b : {f.button, plain}) SendMessageA(b->GetHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(ownClicks, 2);
    EXPECT_EQ(executed, 1);
}

TEST(Action, ExecuteAndUpdateAnswerWhetherAHandlerRan) {
    struct Case {
        const char* name;
        bool enabled, withExecute, updateEnables;
        bool executed;
    };
    const Case cases[] = {
        {"no handler", true, false, false, false},
        {"with OnExecute", true, true, false, true},
        {"disabled", false, true, false, false},
        {"enabled by its OnUpdate first", false, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TAction action(nullptr);
        action.SetEnabled(c.enabled);
        int runs = 0;
        if (c.withExecute) action.OnExecute = [&runs](TObject*) { ++runs; };
        if (c.updateEnables) action.OnUpdate = [&action](TObject*) { action.SetEnabled(true); };
        EXPECT_EQ(action.Execute(), c.executed);
        EXPECT_EQ(runs, c.executed ? 1 : 0);
        EXPECT_EQ(action.Update(), c.updateEnables);
    }
    TBasicAction basic(nullptr);
    EXPECT_FALSE(basic.Execute());
    int updates = 0;
    basic.OnUpdate = [&updates](TObject*) { ++updates; };
    EXPECT_TRUE(basic.Update());
    EXPECT_EQ(updates, 1);
}

TEST(ActionLink, ActionsOfVisibleControlsUpdateWhenTheLoopIsIdle) {
    ActionForm f;
    TButton* hidden = f.AddButton(50);
    auto* quiet = new TAction(f.form.get());
    quiet->SetActionList(f.list);
    quiet->SetVisible(false);   // hides its button
    TForm offScreen(nullptr);   // never shown
    auto* unseen = new TButton(&offScreen);
    unseen->SetParent(&offScreen);
    auto* unseenAction = new TAction(&offScreen);

    int updates = 0, quietUpdates = 0, unseenUpdates = 0;
    f.action->OnUpdate = [&](TObject*) {
        ++updates;
        f.action->SetEnabled(false);   // what an update usually does: say whether it can run now
    };
    quiet->OnUpdate = [&](TObject*) { ++quietUpdates; };
    unseenAction->OnUpdate = [&](TObject*) { ++unseenUpdates; };
    f.button->SetAction(f.action);
    hidden->SetAction(quiet);
    unseen->SetAction(unseenAction);
    EXPECT_EQ(Shown(hidden, "Visible"), "off");
    EXPECT_EQ(updates, 0) << "setting an action does not update it";

    // The loop that Run and ShowModal go round; a thread timer wakes it while it waits.
    UINT_PTR waker = SetTimer(nullptr, 0, 20, nullptr);
    for (int i = 0; i < 500 && updates < 2; ++i) Application->HandleMessage();
    KillTimer(nullptr, waker);
    EXPECT_GE(updates, 2) << "updated each time the queue empties";
    EXPECT_EQ(quietUpdates, 0) << "a hidden control's action";
    EXPECT_EQ(unseenUpdates, 0) << "a control of a form not shown";
    EXPECT_EQ(Shown(f.button, "Enabled"), "off") << "the button shows what the update decided";
}

TEST(ActionLink, EitherSideCanGoFirst) {
    enum class First { Action, List, Control, FormFreesButtonFirst, FormFreesListFirst };
    struct Case {
        const char* name;
        First first;
    };
    const Case cases[] = {
        {"action freed before the control", First::Action},
        {"list freed (with its action) before the control", First::List},
        {"control freed before the action", First::Control},
        {"form frees its button, then its list", First::FormFreesButtonFirst},
        {"form frees its list, then its button", First::FormFreesListFirst},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto f = std::make_unique<ActionForm>();
        if (c.first == First::FormFreesButtonFirst || c.first == First::FormFreesListFirst) {
            // Start again on a bare form, in the order asked for.
            TForm* form = f->form.get();
            delete f->button;
            delete f->list;
            EXPECT_TRUE(f->actionGone);
            // The form frees its components last first: the button, then the action and its
            // list; or the list (freeing the action created before it), then the button.
            TButton* button = nullptr;
            TActionList* list = nullptr;
            bool gone = false;
            TWatchedAction* action = nullptr;
            if (c.first == First::FormFreesButtonFirst) {
                list = new TActionList(form);
                action = new TWatchedAction(form, &gone);
                button = f->AddButton(10);
            } else {
                button = f->AddButton(10);
                action = new TWatchedAction(form, &gone);
                list = new TActionList(form);
            }
            action->SetActionList(list);
            button->SetAction(action);
            f->form.reset();
            EXPECT_TRUE(gone);
            continue;
        }
        TButton* second = f->AddButton(50);
        f->button->SetAction(f->action);
        second->SetAction(f->action);
        f->action->SetCaption("删除");
        switch (c.first) {
            case First::Action:
                delete f->action;
                EXPECT_EQ(f->list->ActionCount(), 0);
                break;
            case First::List:
                delete f->list;
                EXPECT_TRUE(f->actionGone) << "the list frees its actions";
                break;
            case First::Control:
                delete f->button;
                EXPECT_EQ(f->action->ClientCount(), 1);
                f->action->SetCaption("清除");
                EXPECT_EQ(Shown(second, "Caption"), "清除") << "the other control still follows";
                delete second;
                EXPECT_EQ(f->action->ClientCount(), 0);
                f->action->SetCaption("恢复");   // nobody left to tell
                EXPECT_EQ(f->list->ActionCount(), 1);
                continue;
            default:
                break;
        }
        for (TButton* b : {f->button, second}) {
            EXPECT_EQ(b->GetAction(), nullptr);
            EXPECT_EQ(b->GetActionLink(), nullptr);
            EXPECT_EQ(b->GetControlStyle() & csActionClient, 0u);
            EXPECT_EQ(Shown(b, "Caption"), "删除") << "keeps what it showed";
            b->Click();   // nothing to execute
        }
    }
}

TEST(ActionList, ImagesFreedFirstAreForgotten) {
    TForm form(nullptr);
    auto* images = new TImageList(&form);
    auto* list = new TActionList(&form);
    list->SetImages(images);
    delete images;
    EXPECT_EQ(list->GetImages(), nullptr);
    auto* second = new TActionList(&form);
    auto* more = new TImageList(&form);
    second->SetImages(more);
    delete second;   // the image list no longer knows of it
    delete more;
}
