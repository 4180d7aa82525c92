#include "ActnList.h"
#include <algorithm>
#include <functional>
#include "Forms.h"
#include "ImgList.h"

TOVANI_IMPLEMENT_CLASS(TContainedAction, TBasicAction)
TOVANI_IMPLEMENT_CLASS_FACTORY(TCustomAction, TContainedAction)
TOVANI_IMPLEMENT_CLASS_FACTORY(TAction, TCustomAction)
TOVANI_IMPLEMENT_CLASS_FACTORY(TCustomActionList, TComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TActionList, TCustomActionList)
TOVANI_IMPLEMENT_ENUM_INFO(TActionListState, "asNormal", "asSuspended", "asSuspendedEnabled")

TOVANI_PUBLISHED(TAction) {
  Property("Caption", &TAction::Caption, &TAction::SetCaption);
  Property("Category", &TAction::Category, &TAction::SetCategory);
  Property("Checked", &TAction::Checked, &TAction::SetChecked).Default(false);
  Property("Enabled", &TAction::Enabled, &TAction::SetEnabled).Default(true);
  Property("GroupIndex", &TAction::GroupIndex, &TAction::SetGroupIndex).Default(0);
  Property("HelpContext", &TAction::HelpContext, &TAction::SetHelpContext).Default(0);
  Property("Hint", &TAction::Hint, &TAction::SetHint);
  Property("ImageIndex", &TAction::ImageIndex, &TAction::SetImageIndex).Default(-1);
  Property("ShortCut", &TAction::ShortCut, &TAction::SetShortCut).Default(0);
  Property("Visible", &TAction::Visible, &TAction::SetVisible).Default(true);
  Property("AutoCheck", &TAction::AutoCheck, &TAction::SetAutoCheck).Default(false);
  Property("OnExecute", &TAction::OnExecute);
  Property("OnUpdate", &TAction::OnUpdate);
}

TOVANI_PUBLISHED(TActionList) {
  Property("Images", &TActionList::Images, &TActionList::SetImages);
  Property("State", &TActionList::State, &TActionList::SetState).Default(asNormal);
  Property("OnChange", &TActionList::OnChange);
}

// ---------------------------------------------------------------------------

TContainedAction::~TContainedAction() {
  if (FActionList) FActionList->RemoveAction(this);
}

void TContainedAction::SetActionList(TCustomActionList* v) {
  if (FActionList == v) return;
  if (FActionList) FActionList->RemoveAction(this);
  if (v) v->AddAction(this);
}

Integer TContainedAction::Index() const { return FActionList ? FActionList->IndexOfAction(const_cast<TContainedAction*>(this)) : -1; }

void TContainedAction::SetIndex(Integer v) {
  if (FActionList) FActionList->MoveAction(this, v);
}

TComponent* TContainedAction::GetParentComponent() const { return FActionList; }

void TContainedAction::SetParentComponent(TComponent* Value) {
  if (auto* l = dynamic_cast<TCustomActionList*>(Value)) SetActionList(l);
}

bool TContainedAction::Execute() {
  // The list, then the application (the focused control's targets), then OnExecute.
  if (FActionList && FActionList->ExecuteAction(this)) return true;
  if (ApplicationExecuteAction(this)) return true;
  return TBasicAction::Execute();
}

bool TContainedAction::Update() {
  if (FActionList && FActionList->UpdateAction(this)) return true;
  if (ApplicationUpdateAction(this)) return true;
  return TBasicAction::Update();
}

TCustomAction::TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

bool TCustomAction::Execute() {
  if (FActionList && FActionList->State() != asNormal) return false;
  Update();
  if (!FEnabled) return false;
  if (FAutoCheck) SetChecked(!FChecked);
  return TContainedAction::Execute();
}

void TCustomAction::SetCaption(const String& v) {
  if (FCaption == v) return;
  NotifyLinks([&](TActionLink* l) { l->SetCaption(v); });
  FCaption = v;
  Change();
}

void TCustomAction::SetChecked(bool v) {
  if (FChecked == v || FChecking) return;
  NotifyLinks([&](TActionLink* l) { l->SetChecked(v); });
  FChecking = true;
  FChecked = v;
  // The other actions of a group are unchecked.
  if (v && FGroupIndex > 0 && FActionList) {
    for (Integer i = 0; i < FActionList->ActionCount(); ++i)
      if (auto* a = dynamic_cast<TCustomAction*>(FActionList->Actions(i)); a && a != this && a->FGroupIndex == FGroupIndex)
        a->SetChecked(false);
  }
  Change();
  FChecking = false;
}

void TCustomAction::SetEnabled(bool v) {
  if (FEnabled == v) return;
  if (FActionList && FActionList->State() == asSuspended) {
    FEnabled = v;
    return;
  }
  NotifyLinks([&](TActionLink* l) { l->SetEnabled(v); });
  FEnabled = v;
  Change();
}

void TCustomAction::SetVisible(bool v) {
  if (FVisible == v) return;
  NotifyLinks([&](TActionLink* l) { l->SetVisible(v); });
  FVisible = v;
  Change();
}

void TCustomAction::SetHint(const String& v) {
  if (FHint == v) return;
  NotifyLinks([&](TActionLink* l) { l->SetHint(v); });
  FHint = v;
  Change();
}

void TCustomAction::SetHelpContext(Integer v) {
  if (FHelpContext == v) return;
  NotifyLinks([&](TActionLink* l) { l->SetHelpContext(v); });
  FHelpContext = v;
  Change();
}

void TCustomAction::SetImageIndex(Integer v) {
  if (FImageIndex == v) return;
  NotifyLinks([&](TActionLink* l) { l->SetImageIndex(v); });
  FImageIndex = v;
  Change();
}

void TCustomAction::SetShortCut(TShortCut v) {
  if (FShortCut == v) return;
  NotifyLinks([&](TActionLink* l) { l->SetShortCut(v); });
  FShortCut = v;
  Change();
}

void TCustomAction::SetAutoCheck(bool v) {
  if (FAutoCheck == v) return;
  NotifyLinks([&](TActionLink* l) { l->SetAutoCheck(v); });
  FAutoCheck = v;
  Change();
}

void TCustomAction::NotifyLinks(const std::function<void(TActionLink*)>& Fn) {
  for (TBasicActionLink* l : std::vector<TBasicActionLink*>(Clients()))
    if (auto* link = dynamic_cast<TActionLink*>(l)) Fn(link);
}

void TCustomAction::SetGroupIndex(Integer v) {
  if (FGroupIndex == v) return;
  NotifyLinks([&](TActionLink* l) { l->SetGroupIndex(v); });
  FGroupIndex = v;
  if (FChecked) {
    FChecked = false;
    SetChecked(true);
  }
}

// ---------------------------------------------------------------------------

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomActionList::~TCustomActionList() {
  // The actions belong to the form; they only leave the list.
  while (!FActions.empty()) RemoveAction(FActions.back());
}

void TCustomActionList::AddAction(TContainedAction* Action) {
  if (!Action || Action->FActionList == this) return;
  FActions.push_back(Action);
  Action->FActionList = this;
  Action->FreeNotification(this);
}

void TCustomActionList::RemoveAction(TContainedAction* Action) {
  auto it = std::find(FActions.begin(), FActions.end(), Action);
  if (it == FActions.end()) return;
  FActions.erase(it);
  Action->FActionList = nullptr;
}

Integer TCustomActionList::IndexOfAction(TContainedAction* Action) const {
  auto it = std::find(FActions.begin(), FActions.end(), Action);
  return it == FActions.end() ? -1 : Integer(it - FActions.begin());
}

void TCustomActionList::MoveAction(TContainedAction* Action, Integer NewIndex) {
  auto it = std::find(FActions.begin(), FActions.end(), Action);
  if (it == FActions.end()) return;
  FActions.erase(it);
  NewIndex = std::clamp(NewIndex, 0, Integer(FActions.size()));
  FActions.insert(FActions.begin() + NewIndex, Action);
}

void TCustomActionList::SetImages(TCustomImageList* v) {
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = v;
  if (v) v->FreeNotification(this);
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action) {
  bool handled = false;
  if (OnExecute) OnExecute(Action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action) {
  bool handled = false;
  if (OnUpdate) OnUpdate(Action, handled);
  return handled;
}

bool TCustomActionList::IsShortCut(TMessage& Message) {
  if (FState != asNormal) return false;
  Word key = Message.CharCode();
  TShortCut sc = ShortCut(key, KeyboardStateToShiftState() * TShiftState{ssShift, ssCtrl, ssAlt});
  if (sc == 0) return false;
  for (TContainedAction* a : std::vector<TContainedAction*>(FActions)) {
    auto* ca = dynamic_cast<TCustomAction*>(a);
    if (!ca || ca->ShortCut() != sc) continue;
    ca->Update();
    if (!ca->Enabled()) return false;
    return ca->Execute();
  }
  return false;
}

void TCustomActionList::UpdateActions() {
  if (FState != asNormal) return;
  for (TContainedAction* a : std::vector<TContainedAction*>(FActions)) a->Update();
}

void TCustomActionList::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TContainedAction* a : FActions)
    if (a->Owner() == Root) Proc(a);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) FImages = nullptr;
  if (auto* a = dynamic_cast<TContainedAction*>(AComponent)) RemoveAction(a);
}

// ---------------------------------------------------------------------------

namespace {
// Offers the action to a control and its parents, then to the form.
bool OfferToFocus(TBasicAction* Action, bool execute) {
  if (!Screen) return false;
  TCustomForm* form = Screen->ActiveForm();
  if (!form) return false;
  // An MDI frame passes it to its active child first.
  if (form->FormStyle() == fsMDIForm) {
    if (TCustomForm* child = form->ActiveMDIChild()) form = child;
  }
  auto offer = [&](TControl* c) { return execute ? c->ExecuteAction(Action) : c->UpdateAction(Action); };
  for (TControl* c = form->ActiveControl(); c; c = c->Parent()) {
    if (offer(c)) return true;
    if (c == form) break;
  }
  if (offer(form)) return true;
  // Then every visible control of the form: a dataset action reaches the
  // form's grid also while a button has the focus.
  std::function<bool(TWinControl*)> traverse = [&](TWinControl* container) {
    if (!container->Showing()) return false;
    for (Integer i = 0; i < container->ControlCount(); ++i) {
      TControl* c = container->Controls(i);
      if (c->Visible() && offer(c)) return true;
      if (auto* w = dynamic_cast<TWinControl*>(c); w && traverse(w)) return true;
    }
    return false;
  };
  return traverse(form);
}
}  // namespace

bool ApplicationExecuteAction(TBasicAction* Action) {
  // An action with its own handler runs it.
  if (Action->OnExecute) return false;
  return OfferToFocus(Action, true);
}

bool ApplicationUpdateAction(TBasicAction* Action) {
  if (Action->OnUpdate) return false;
  if (OfferToFocus(Action, false)) return true;
  // Nobody takes it: an action without a handler is disabled.
  if (auto* a = dynamic_cast<TCustomAction*>(Action); a && a->DisableIfNoHandler() && !a->OnExecute)
    a->SetEnabled(false);
  return false;
}
