// The base of actions and of the links that connect an action to its clients
// (controls, menu items): an action tells its links when it changes, and a
// client executes the action instead of its own OnClick.
#pragma once
#include <functional>
#include <vector>
#include "Classes.h"

class TBasicActionLink;

class TBasicAction : public TComponent {
  TOVANI_CLASS(TBasicAction, TComponent)
 public:
  explicit TBasicAction(TComponent* AOwner = nullptr);
  ~TBasicAction() override;

  // Runs the action: OnExecute when assigned (true), otherwise false.
  virtual bool Execute();
  // Lets the action update its state (OnUpdate); true when it was handled.
  virtual bool Update();
  // Targets: an action that acts on a control (dataset actions) answers here.
  virtual bool HandlesTarget(TObject* Target) { return false; }
  virtual void ExecuteTarget(TObject* Target) {}
  virtual void UpdateTarget(TObject* Target) {}

  TComponent* ActionComponent() const { return FActionComponent; }
  void SetActionComponent(TComponent* v) { FActionComponent = v; }

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;
  // Replaces OnExecute and tells the links first.
  void SetOnExecute(const TNotifyEvent& v);

  void RegisterChanges(TBasicActionLink* link);
  void UnRegisterChanges(TBasicActionLink* link);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Tells every link (and OnChange) that a property changed.
  virtual void Change();
  const std::vector<TBasicActionLink*>& Clients() const { return FClients; }
  TNotifyEvent OnChange;

 private:
  std::vector<TBasicActionLink*> FClients;
  TComponent* FActionComponent = nullptr;
};

// Connects a client to an action; a client class derives its own link to
// take over the action's caption, enabled state and so on.
class TBasicActionLink : public TObject {
  TOVANI_CLASS(TBasicActionLink, TObject)
 public:
  explicit TBasicActionLink(TObject* AClient) : FClient(AClient) {}
  ~TBasicActionLink() override;

  TBasicAction* Action() const { return FAction; }
  void SetAction(TBasicAction* v);
  // Executes the action for the component that was clicked.
  virtual bool Execute(TComponent* AComponent = nullptr);
  virtual bool Update();
  virtual bool IsOnExecuteLinked() { return true; }
  virtual void SetOnExecute(const TNotifyEvent& Value) {}
  TNotifyEvent OnChange;

 protected:
  friend class TBasicAction;
  virtual void Change() {
    if (OnChange) OnChange(FAction);
  }
  TObject* FClient;
  TBasicAction* FAction = nullptr;
};
