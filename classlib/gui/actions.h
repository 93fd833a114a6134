// Actions: one command (caption, enabled state, hint, image, the code that runs it) shared by
// the controls that show it, and the lists that hold them.
//
// An action keeps the links of its clients; every change of one of its properties is passed to
// each link, and the link's client copies the action's properties again (a control through
// ActionChange). A control's link is its own (TControl::SetAction makes it). Either side may go
// first: the control and the action are linked by free notification, and an action that goes
// detaches every link still registered with it.
//
// Contracts:
//   - Execute runs OnExecute and answers true, or answers false without one. A custom action
//     is first updated, and a disabled one is not executed (false).
//   - Update runs OnUpdate and answers true, or answers false without one.
//   - An action must not be freed inside its own OnExecute or OnUpdate.
#pragma once
#include <algorithm>
#include <vector>

#include "classlib/classes.h"
#include "classlib/gui/controls.h"
#include "classlib/gui/image_list.h"
#include "classlib/gui/menus.h"

class TBasicActionLink;
class TActionLink;
class TActionList;

class TBasicAction : public TComponent {
public:
    explicit TBasicAction(TComponent* owner);
    ~TBasicAction() override;
    const char* ClassName() const override { return "TBasicAction"; }

    virtual bool Execute();
    virtual bool Update();
    // The component whose link is executing the action (a control being clicked), else nullptr.
    TComponent* GetActionComponent() const { return FActionComponent; }

    // Links join to hear every change of the action, and leave before they go.
    void RegisterChanges(TBasicActionLink* link);
    void UnRegisterChanges(TBasicActionLink* link);
    int ClientCount() const { return static_cast<int>(FClients.size()); }

    TNotifyEvent OnExecute, OnUpdate;

protected:
    friend class TBasicActionLink;
    friend class TActionList;
    // Tells every registered link that the action changed.
    virtual void Change();
    // Calls fn for each link still registered, while links may leave.
    template <class Fn>
    void ForEachClient(Fn fn) {
        std::vector<TBasicActionLink*> snapshot = FClients;
        for (TBasicActionLink* link : snapshot)
            if (std::find(FClients.begin(), FClients.end(), link) != FClients.end()) fn(link);
    }

private:
    std::vector<TBasicActionLink*> FClients;   // not owned
    TComponent* FActionComponent = nullptr;
};

// An action that belongs to an action list (the list frees it).
class TContainedAction : public TBasicAction {
public:
    explicit TContainedAction(TComponent* owner);
    ~TContainedAction() override;
    const char* ClassName() const override { return "TContainedAction"; }

    TActionList* GetActionList() const { return FActionList; }
    // Leaves the old list and joins the new one (at its end); joining tells the clients, as the
    // list's images may give them a picture.
    void SetActionList(TActionList* list);
    // Position in its list, -1 without one.
    int GetIndex() const;

private:
    friend class TActionList;
    TActionList* FActionList = nullptr;
};

// An action with the properties its clients show.
class TCustomAction : public TContainedAction {
public:
    explicit TCustomAction(TComponent* owner);
    ~TCustomAction() override;
    const char* ClassName() const override { return "TCustomAction"; }

    bool Execute() override;

    const AnsiString& GetCaption() const { return FCaption; }
    void SetCaption(const AnsiString& value);
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool value);
    bool GetChecked() const { return FChecked; }
    void SetChecked(bool value);
    const AnsiString& GetHint() const { return FHint; }
    void SetHint(const AnsiString& value);
    // An image of the action list's Images; -1 for none.
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool value);
    TShortCut GetShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut value);

private:
    template <class T>
    struct TIdentity {
        using type = T;
    };
    template <class Field, class Arg>
    void ChangeProperty(Field& field, typename TIdentity<Arg>::type value, void (TActionLink::*offer)(Arg));

    AnsiString FCaption;
    bool FEnabled = true;
    bool FChecked = false;
    AnsiString FHint;
    int FImageIndex = -1;
    bool FVisible = true;
    TShortCut FShortCut = scNone;
};

class TAction : public TCustomAction {
public:
    explicit TAction(TComponent* owner) : TCustomAction(owner) {}
    const char* ClassName() const override { return "TAction"; }
};

// The actions of a form, with the images they refer to by index. Freeing the list frees its
// actions.
class TActionList : public TComponent {
public:
    explicit TActionList(TComponent* owner);
    ~TActionList() override;
    const char* ClassName() const override { return "TActionList"; }

    int ActionCount() const { return static_cast<int>(FActions.size()); }
    TContainedAction* Actions(int index) const { return FActions.at(static_cast<size_t>(index)); }
    int IndexOf(const TContainedAction* action) const;

    // The images of the actions (not owned); the actions' clients are told when it changes.
    TImageList* GetImages() const { return FImages; }
    void SetImages(TImageList* images);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TContainedAction;
    void AddAction(TContainedAction* action);
    void RemoveAction(TContainedAction* action);
    void ImagesChanged();
    std::vector<TContainedAction*> FActions;   // owned
    TImageList* FImages = nullptr;
};

// A client's side of its action: it registers with the action and hears its changes.
class TBasicActionLink : public TObject {
public:
    explicit TBasicActionLink(TObject* client) : FClient(client) {}
    ~TBasicActionLink() override;
    TBasicActionLink(const TBasicActionLink&) = delete;
    TBasicActionLink& operator=(const TBasicActionLink&) = delete;
    const char* ClassName() const override { return "TBasicActionLink"; }

    TBasicAction* GetAction() const { return FAction; }
    void SetAction(TBasicAction* action);
    // Executes the action on behalf of target (its ActionComponent meanwhile).
    virtual bool Execute(TComponent* target = nullptr);
    virtual bool Update();

    // The action changed (the action is the sender).
    TNotifyEvent OnChange;

protected:
    friend class TBasicAction;
    virtual void Change();
    TObject* FClient;
    TBasicAction* FAction = nullptr;
};

// Passes each property change of a custom action on to the client, for the properties the
// client has linked (still shows as the action had it).
class TActionLink : public TBasicActionLink {
public:
    using TBasicActionLink::TBasicActionLink;
    const char* ClassName() const override { return "TActionLink"; }

    virtual bool IsCaptionLinked() const { return CustomAction() != nullptr; }
    virtual bool IsCheckedLinked() const { return CustomAction() != nullptr; }
    virtual bool IsEnabledLinked() const { return CustomAction() != nullptr; }
    virtual bool IsHintLinked() const { return CustomAction() != nullptr; }
    virtual bool IsImageIndexLinked() const { return CustomAction() != nullptr; }
    virtual bool IsShortCutLinked() const { return CustomAction() != nullptr; }
    virtual bool IsVisibleLinked() const { return CustomAction() != nullptr; }

    // Called by the action with the new value, before it stores it.
    virtual void SetCaption(const AnsiString&) {}
    virtual void SetChecked(bool) {}
    virtual void SetEnabled(bool) {}
    virtual void SetHint(const AnsiString&) {}
    virtual void SetImageIndex(int) {}
    virtual void SetShortCut(TShortCut) {}
    virtual void SetVisible(bool) {}

protected:
    TCustomAction* CustomAction() const { return dynamic_cast<TCustomAction*>(FAction); }
};

// The link of a control: its caption, enabled state, hint and visibility follow the action.
class TControlActionLink : public TActionLink {
public:
    explicit TControlActionLink(TControl* client) : TActionLink(client), FControl(client) {}
    const char* ClassName() const override { return "TControlActionLink"; }

    bool IsCaptionLinked() const override;
    bool IsEnabledLinked() const override;
    bool IsHintLinked() const override;
    bool IsVisibleLinked() const override;
    void SetCaption(const AnsiString& value) override;
    void SetEnabled(bool value) override;
    void SetHint(const AnsiString& value) override;
    void SetVisible(bool value) override;

protected:
    TControl* FControl;
};
