#include "BasicActions.h"
#include <algorithm>

TOVANI_IMPLEMENT_CLASS_FACTORY(TBasicAction, TComponent)
TOVANI_IMPLEMENT_CLASS(TBasicActionLink, TObject)

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
  // Clients forget the action before it goes.
  while (!FClients.empty()) FClients.back()->SetAction(nullptr);
  if (FActionComponent) FActionComponent->RemoveFreeNotification(this);
}

bool TBasicAction::Execute() {
  if (OnExecute) {
    OnExecute(this);
    return true;
  }
  return false;
}

bool TBasicAction::Update() {
  if (OnUpdate) {
    OnUpdate(this);
    return true;
  }
  return false;
}

void TBasicAction::SetOnExecute(const TNotifyEvent& v) {
  for (TBasicActionLink* l : std::vector<TBasicActionLink*>(FClients)) l->SetOnExecute(v);
  OnExecute = v;
  Change();
}

void TBasicAction::RegisterChanges(TBasicActionLink* link) {
  if (std::find(FClients.begin(), FClients.end(), link) == FClients.end()) FClients.push_back(link);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* link) {
  FClients.erase(std::remove(FClients.begin(), FClients.end(), link), FClients.end());
}

void TBasicAction::Change() {
  if (OnChange) OnChange(this);
  for (TBasicActionLink* l : std::vector<TBasicActionLink*>(FClients)) l->Change();
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActionComponent) FActionComponent = nullptr;
}

TBasicActionLink::~TBasicActionLink() {
  if (FAction) FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* v) {
  if (FAction == v) return;
  if (FAction) FAction->UnRegisterChanges(this);
  FAction = v;
  if (v) v->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
  if (!FAction) return false;
  FAction->SetActionComponent(AComponent);
  bool r = false;
  try {
    r = FAction->Execute();
  } catch (...) {
    if (FAction) FAction->SetActionComponent(nullptr);
    throw;
  }
  if (FAction) FAction->SetActionComponent(nullptr);
  return r;
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }
