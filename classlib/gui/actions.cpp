#include "classlib/gui/actions.h"

// ---- TBasicAction ------------------------------------------------------------------------

TBasicAction::TBasicAction(TComponent* owner) : TComponent(owner) {}

TBasicAction::~TBasicAction() {
    // Controls holding the action drop it here (free notification); any other link is detached.
    BeginDestroy();
    std::vector<TBasicActionLink*> rest;
    rest.swap(FClients);
    for (TBasicActionLink* link : rest) link->FAction = nullptr;
}

bool TBasicAction::Execute() {
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}

bool TBasicAction::Update() {
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* link) {
    if (std::find(FClients.begin(), FClients.end(), link) == FClients.end()) FClients.push_back(link);
    link->FAction = this;
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* link) {
    FClients.erase(std::remove(FClients.begin(), FClients.end(), link), FClients.end());
    if (link->FAction == this) link->FAction = nullptr;
}

void TBasicAction::Change() {
    ForEachClient([](TBasicActionLink* link) { link->Change(); });
}

// ---- TContainedAction ----------------------------------------------------------------------

TContainedAction::TContainedAction(TComponent* owner) : TBasicAction(owner) {}

TContainedAction::~TContainedAction() {
    BeginDestroy();
    SetActionList(nullptr);
}

void TContainedAction::SetActionList(TActionList* list) {
    if (list == FActionList) return;
    if (FActionList) FActionList->RemoveAction(this);
    if (!list) return;
    list->AddAction(this);
    Change();   // the list's images are now the action's: clients linked earlier take its image
}

int TContainedAction::GetIndex() const { return FActionList ? FActionList->IndexOf(this) : -1; }

// ---- TCustomAction -------------------------------------------------------------------------

TCustomAction::TCustomAction(TComponent* owner) : TContainedAction(owner) {}

TCustomAction::~TCustomAction() { BeginDestroy(); }

bool TCustomAction::Execute() {
    Update();
    return FEnabled && TContainedAction::Execute();
}

// The new value is shown to the links first (a link compares its client with the old one),
// then stored, and every link hears that the action changed.
template <class Field, class Arg>
void TCustomAction::ChangeProperty(Field& field, typename TIdentity<Arg>::type value,
                                   void (TActionLink::*offer)(Arg)) {
    if (field == value) return;
    ForEachClient([&](TBasicActionLink* l) {
        if (auto* link = dynamic_cast<TActionLink*>(l)) (link->*offer)(value);
    });
    field = value;
    Change();
}

void TCustomAction::SetCaption(const AnsiString& value) { ChangeProperty(FCaption, value, &TActionLink::SetCaption); }
void TCustomAction::SetEnabled(bool value) { ChangeProperty(FEnabled, value, &TActionLink::SetEnabled); }
void TCustomAction::SetChecked(bool value) { ChangeProperty(FChecked, value, &TActionLink::SetChecked); }
void TCustomAction::SetHint(const AnsiString& value) { ChangeProperty(FHint, value, &TActionLink::SetHint); }
void TCustomAction::SetImageIndex(int value) { ChangeProperty(FImageIndex, value, &TActionLink::SetImageIndex); }
void TCustomAction::SetVisible(bool value) { ChangeProperty(FVisible, value, &TActionLink::SetVisible); }
void TCustomAction::SetShortCut(TShortCut value) { ChangeProperty(FShortCut, value, &TActionLink::SetShortCut); }

// ---- TActionList ---------------------------------------------------------------------------

TActionList::TActionList(TComponent* owner) : TComponent(owner) {}

TActionList::~TActionList() {
    BeginDestroy();
    while (!FActions.empty()) delete FActions.back();   // each leaves the list as it goes
    ReplaceReference(FImages, static_cast<TImageList*>(nullptr));
}

int TActionList::IndexOf(const TContainedAction* action) const {
    auto it = std::find(FActions.begin(), FActions.end(), action);
    return it == FActions.end() ? -1 : static_cast<int>(it - FActions.begin());
}

void TActionList::AddAction(TContainedAction* action) {
    FActions.push_back(action);
    action->FActionList = this;
}

void TActionList::RemoveAction(TContainedAction* action) {
    FActions.erase(std::remove(FActions.begin(), FActions.end(), action), FActions.end());
    if (action->FActionList == this) action->FActionList = nullptr;
}

void TActionList::SetImages(TImageList* images) {
    if (images == FImages) return;
    ReplaceReference(FImages, images);
    ImagesChanged();
}

void TActionList::ImagesChanged() {
    if (IsDestroying()) return;
    std::vector<TContainedAction*> actions = FActions;
    for (TContainedAction* a : actions)
        if (IndexOf(a) >= 0) a->Change();
}

void TActionList::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FImages) {
        FImages = nullptr;
        ImagesChanged();
    }
}

// ---- links ---------------------------------------------------------------------------------

TBasicActionLink::~TBasicActionLink() {
    if (FAction) FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* action) {
    if (action == FAction) return;
    if (FAction) FAction->UnRegisterChanges(this);
    if (action) action->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* target) {
    TBasicAction* action = FAction;
    if (!action) return false;
    struct ClearTarget {
        TBasicAction* action;
        ~ClearTarget() { action->FActionComponent = nullptr; }
    } clear{action};
    action->FActionComponent = target;
    return action->Execute();
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

void TBasicActionLink::Change() {
    if (OnChange) OnChange(FAction);
}

bool TControlActionLink::IsCaptionLinked() const {
    return TActionLink::IsCaptionLinked() && FControl->GetCaption() == CustomAction()->GetCaption();
}

bool TControlActionLink::IsEnabledLinked() const {
    return TActionLink::IsEnabledLinked() && FControl->GetEnabled() == CustomAction()->GetEnabled();
}

bool TControlActionLink::IsHintLinked() const {
    return TActionLink::IsHintLinked() && FControl->GetHint() == CustomAction()->GetHint();
}

bool TControlActionLink::IsVisibleLinked() const {
    return TActionLink::IsVisibleLinked() && FControl->GetVisible() == CustomAction()->GetVisible();
}

void TControlActionLink::SetCaption(const AnsiString& value) {
    if (IsCaptionLinked()) FControl->SetCaption(value);
}

void TControlActionLink::SetEnabled(bool value) {
    if (IsEnabledLinked()) FControl->SetEnabled(value);
}

void TControlActionLink::SetHint(const AnsiString& value) {
    if (IsHintLinked()) FControl->SetHint(value);
}

void TControlActionLink::SetVisible(bool value) {
    if (IsVisibleLinked()) FControl->SetVisible(value);
}
