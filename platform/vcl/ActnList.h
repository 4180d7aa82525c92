// Action lists and actions: commands with a caption, state, shortcut and
// image shared by the menu items and buttons that use them. An action
// without OnExecute is offered to the focused control (and its form), so
// that target actions such as the dataset actions act on what has the focus.
#pragma once
#include <functional>
#include <vector>
#include "BasicActions.h"
#include "Controls.h"

class TCustomActionList;
class TCustomImageList;

using TActionEvent = std::function<void(TBasicAction* Action, bool& Handled)>;
enum TActionListState { asNormal, asSuspended, asSuspendedEnabled };
TOVANI_ENUM_INFO(TActionListState)

class TContainedAction : public TBasicAction {
  TOVANI_CLASS(TContainedAction, TBasicAction)
 public:
  explicit TContainedAction(TComponent* AOwner = nullptr) : TBasicAction(AOwner) {}
  ~TContainedAction() override;
  TCustomActionList* ActionList() const { return FActionList; }
  void SetActionList(TCustomActionList* v);
  const String& Category() const { return FCategory; }
  void SetCategory(const String& v) { FCategory = v; }
  Integer Index() const;
  void SetIndex(Integer v);
  bool Execute() override;
  bool Update() override;
  bool HasParent() const override { return FActionList != nullptr; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

 protected:
  friend class TCustomActionList;
  TCustomActionList* FActionList = nullptr;
  String FCategory;
};

class TCustomAction : public TContainedAction {
  TOVANI_CLASS(TCustomAction, TContainedAction)
 public:
  explicit TCustomAction(TComponent* AOwner = nullptr);
  bool Execute() override;

  const String& Caption() const { return FCaption; }
  void SetCaption(const String& v);
  bool Checked() const { return FChecked; }
  void SetChecked(bool v);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  const String& Hint() const { return FHint; }
  void SetHint(const String& v);
  Integer HelpContext() const { return FHelpContext; }
  void SetHelpContext(Integer v);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer v);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut v);
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool v);
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer v);
  // Disabled while no OnExecute is assigned (and no target takes it).
  bool DisableIfNoHandler() const { return FDisableIfNoHandler; }
  void SetDisableIfNoHandler(bool v) { FDisableIfNoHandler = v; }

 protected:
  String FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  String FHint;
  Integer FHelpContext = 0;
  Integer FImageIndex = -1;
  TShortCut FShortCut = 0;
  bool FAutoCheck = false;
  Integer FGroupIndex = 0;
  bool FDisableIfNoHandler = true;
  bool FChecking = false;

 private:
  // Hands a new value to every client's link before the action takes it.
  void NotifyLinks(const std::function<void(TActionLink*)>& Fn);
};

class TAction : public TCustomAction {
  TOVANI_CLASS(TAction, TCustomAction)
 public:
  explicit TAction(TComponent* AOwner = nullptr) : TCustomAction(AOwner) {}
};

class TCustomActionList : public TComponent {
  TOVANI_CLASS(TCustomActionList, TComponent)
 public:
  explicit TCustomActionList(TComponent* AOwner = nullptr);
  ~TCustomActionList() override;
  Integer ActionCount() const { return Integer(FActions.size()); }
  TContainedAction* Actions(Integer Index) const { return FActions.at(size_t(Index)); }
  void AddAction(TContainedAction* Action);
  void RemoveAction(TContainedAction* Action);
  Integer IndexOfAction(TContainedAction* Action) const;
  void MoveAction(TContainedAction* Action, Integer NewIndex);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* v);
  TActionListState State() const { return FState; }
  void SetState(TActionListState v) { FState = v; }
  // The list's OnExecute/OnUpdate may take over an action.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);
  // Runs the enabled action whose shortcut the key message is.
  bool IsShortCut(TMessage& Message);
  // Updates every action (OnUpdate or its target).
  void UpdateActions();
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  TActionEvent OnExecute;
  TActionEvent OnUpdate;
  TNotifyEvent OnChange;

 private:
  std::vector<TContainedAction*> FActions;
  TCustomImageList* FImages = nullptr;
  TActionListState FState = asNormal;
};

class TActionList : public TCustomActionList {
  TOVANI_CLASS(TActionList, TCustomActionList)
 public:
  explicit TActionList(TComponent* AOwner = nullptr) : TCustomActionList(AOwner) {}
};

// The application-wide steps of executing and updating an action: the
// application's events, the active form, its focused control.
bool ApplicationExecuteAction(TBasicAction* Action);
bool ApplicationUpdateAction(TBasicAction* Action);
