// The editor control: its value, the validation and posting pipeline, the
// editor keys, focus handling, repository items, in-place activation, the
// mouse on its buttons, painting and automatic size; and its data binding.
#include <algorithm>

#include "Forms.h"
#include "Messages.h"
#include "Streaming.h"
#include "TypInfo.h"
#include "cxEdit.h"

TOVANI_IMPLEMENT_CLASS(TcxEditDataBinding, TPersistent)
TOVANI_IMPLEMENT_CLASS(TcxEditChangeEventsCatcher, TObject)
TOVANI_IMPLEMENT_CLASS(TcxCustomEditData, TObject)
TOVANI_IMPLEMENT_CLASS(TcxCustomEdit, TcxContainer)

namespace {
const TcxResourceString cxSEditRepositoryItemNotAcceptable{"The repository item is not acceptable"};

// Holds a counter for the length of a scope.
struct TCountGuard {
  Integer& C;
  explicit TCountGuard(Integer& AC) : C(AC) { ++C; }
  ~TCountGuard() { if (C > 0) --C; }
};
struct TFlagGuard {
  bool& F;
  bool Old;
  TFlagGuard(bool& AF, bool AValue) : F(AF), Old(AF) { F = AValue; }
  ~TFlagGuard() { F = Old; }
};
}  // namespace

// ---------------------------------------------------------------------------
// Data binding

TcxEditDataBinding::TcxEditDataBinding(TcxCustomEdit* AEdit)
    : FEdit(AEdit), FProvider(std::make_unique<TcxCustomEditDefaultValuesProvider>(nullptr)) {}

TcxEditDataBinding::~TcxEditDataBinding() = default;

void TcxEditDataBinding::SetDefaultValuesProvider(TcxCustomEditDefaultValuesProvider* AProvider) {
  FProvider.reset(AProvider);
}

TPersistent* TcxEditDataBinding::GetOwner() { return FEdit; }

void TcxEditDataBinding::PropertiesChanged() {
  TcxCustomEditProperties* p = FEdit->GetEffectiveProperties();
  if (!FEdit->RepositoryItem()) {
    p->Changed();
    return;
  }
  // A shared properties object: only this editor hears of it.
  p->BeginUpdate();
  p->Changed();
  p->EndUpdate(false);
  FEdit->PropertiesChanged(static_cast<TObject*>(p));
}

void TcxEditDataBinding::GetDisplayValue(Variant& AValue) { AValue = Variant(FEdit->DisplayText()); }
bool TcxEditDataBinding::IsModified() { return FEdit->EditModified(); }
bool TcxEditDataBinding::IsEditing() { return FEdit->EditModified(); }
void TcxEditDataBinding::GetStoredValue(Variant& AValue) { AValue = FEdit->EditValue(); }
void TcxEditDataBinding::Reset() { FEdit->ResetEditValue(); }
void TcxEditDataBinding::AssignDisplayValue(const Variant& AValue) { PassDisplayValueToEdit(AValue); }
bool TcxEditDataBinding::EnterEditMode() {
  FEdit->SetEditChanged(true);
  return true;
}
bool TcxEditDataBinding::CanPostEditValue() {
  return FEdit->ComponentState().Contains(csDesigning) || !FEdit->EditModified();
}
void TcxEditDataBinding::DataChanged() {
  if (FEdit->Focused()) FEdit->SetEditChanged(true);
}
void TcxEditDataBinding::UpdateDisplayValue() { FEdit->UpdateDrawValue(); }
void TcxEditDataBinding::PassDisplayValueToEdit(const Variant& AValue) { FEdit->SetDisplayValueFromData(AValue); }

// ---------------------------------------------------------------------------
// Change-events catcher and edit data

void TcxEditChangeEventsCatcher::Lock(bool ALock, bool AInvokeChanged) {
  if (ALock) {
    if (FLockCount == 0) OnChangeEvent = OnEditValueChangedEvent = false;
    ++FLockCount;
    return;
  }
  if (FLockCount <= 0) return;
  if (--FLockCount != 0 || !AInvokeChanged) return;
  auto state = FEdit->ComponentState();
  if (state.Contains(csLoading) || state.Contains(csDestroying) || FEdit->IsDestroying()) return;
  if (OnChangeEvent && FEdit->HasOnChangeHandler()) FEdit->DoChange();
  if (OnEditValueChangedEvent && FEdit->HasOnEditValueChangedHandler()) FEdit->DoEditValueChanged();
}

TcxCustomEditData::TcxCustomEditData(TcxCustomEdit* AEdit)
    : FEdit(AEdit), FFreeNotificator(std::make_unique<TcxFreeNotificator>()) {
  FFreeNotificator->OnComponentFreed = [this](TObject*, TComponent* C) {
    if (C == FEdit) FEdit = nullptr;
  };
  if (FEdit) FFreeNotificator->AddSender(FEdit);
  Clear();
}

TcxCustomEditData::~TcxCustomEditData() {
  if (FEdit) FFreeNotificator->RemoveSender(FEdit);
}

void TcxCustomEditData::Clear() { Cleared = true; }

// ---------------------------------------------------------------------------
// Construction

TcxCustomEdit::TcxCustomEdit(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties,
                             const TcxContainerStyleFactory& AStyleFactory)
    : TcxContainer(AOwner, AStyleFactory ? AStyleFactory : TcxEditStyle::Factory()), FIsInplace(AIsInplace) {
  FCreating = true;
  InitializeEditor(AProperties ? AProperties(this) : new TcxCustomEditProperties(this));
  FCreating = false;
  if (HandleAllocated()) UpdateStateFromCursor();
}

void TcxCustomEdit::InitializeEditor(TcxCustomEditProperties* AProperties) {
  FFirstSize = true;
  FChangeEventsCatcher = std::make_unique<TcxEditChangeEventsCatcher>(this);
  FProperties.reset(AProperties);
  SetViewInfo(FProperties->CreateViewInfo());
  if (FIsInplace) {
    // An in-place editor's styles use no controller: the host styles it.
    Style()->SetStyleController(nullptr);
  }
  {
    std::unique_ptr<TcxCustomEditViewData> vd(FProperties->CreateViewData(Style(), FIsInplace));
    FInplaceContentParams = vd->ContentParams;
  }
  SetControlStyle(ControlStyle() + csCaptureMouse + csSetCaption + csReplicatable);
  SetTabStop(true);
  if (TWinControl* inner = CreateInnerEdit()) {
    InitializeInnerEdit();
    SetInnerControl(inner);
  }
  FDataBinding.reset(CreateDataBinding());
  FAutoSize = !FIsInplace;
  FCapturedPressedButton = -1;
  FEditValue = Null();
  FProperties->OnPropertiesChanged = [this](TObject* Sender) { PropertiesChanged(Sender); };
  if (FIsInplace) {
    // A host's cell editor takes every key; Tab too when no inner control
    // would ask for it.
    TcxWantedKeys keys{wkAllKeys, wkArrows};
    if (!FInnerEditClassExists) keys.Include(wkTab);
    SetWantedKeys(keys);
  }
  FInplaceTimer = std::make_unique<TcxTimer>();
  FInplaceTimer->SetEnabled(false);
  FInplaceTimer->SetInterval(GetDoubleClickTime());
  FInplaceTimer->SetOnTimer([this](TObject*) { FInplaceTimer->SetEnabled(false); });
  if (!FIsInplace) FProperties->SetDefaultValuesProviderQuiet(FDataBinding->QueryDefaultValuesProvider());
  GetViewInfo()->Edit = this;
  FDeferredSetup = true;
}

TcxEditDataBinding* TcxCustomEdit::CreateDataBinding() { return new TcxEditDataBinding(this); }

void TcxCustomEdit::SetDataBindingObject(TcxEditDataBinding* ABinding) {
  FDataBinding.reset(ABinding);   // the old provider leaves the properties
  if (!FIsInplace && !FRepositoryItem)
    FProperties->SetDefaultValuesProviderQuiet(FDataBinding->QueryDefaultValuesProvider());
}

void TcxCustomEdit::InitializeInnerEdit() {
  if (TWinControl* inner = InnerControl()) inner->SetParentShowHint(false);
}

TcxCustomEdit::~TcxCustomEdit() {
  FDestroying = true;
  Destroying();
  FInplaceTimer.reset();
  if (FRepositoryItem) {
    FRepositoryItem->RemoveListener(this);
    FRepositoryItem->RemoveFreeNotification(this);
    FRepositoryItem = nullptr;
  }
  FProperties->OnPropertiesChanged = nullptr;
  if (!FIsInplace) FProperties->SetDefaultValuesProviderQuiet(nullptr);
  FDataBinding.reset();
  FSavedFlags.clear();
  FProperties.reset();
  FChangeEventsCatcher.reset();
}

void TcxCustomEdit::SetParent(TWinControl* AParent) {
  if (AParent && FDeferredSetup) {
    FDeferredSetup = false;
    FDataBinding->RefreshBinding();
    PropertiesChanged(static_cast<TObject*>(FProperties.get()));
    FDataBinding->UpdateDisplayValue();
  }
  TcxContainer::SetParent(AParent);
}

void TcxCustomEdit::SetName(const String& NewName) {
  TcxContainer::SetName(NewName);
  if (FDataBinding) FDataBinding->RefreshBinding();
}

void TcxCustomEdit::GetTabOrderList(std::vector<TWinControl*>& List) {
  TcxContainer::GetTabOrderList(List);
  if (FIsInplace && Visible() && Parent()) List.erase(std::remove(List.begin(), List.end(), Parent()), List.end());
}

void TcxCustomEdit::Loaded() {
  TcxContainer::Loaded();
  HoldChangeEvents(true, false);
  HoldClick(true);
  FDataBinding->RefreshBinding();
  UpdateStateFromCursor();
  if (!FRepositoryItem) FProperties->OnPropertiesChanged = [this](TObject* Sender) { PropertiesChanged(Sender); };
  PropertiesChanged(static_cast<TObject*>(GetEffectiveProperties()));
  GetViewInfo()->Shadow = false;
  ContainerStyleChanged(Style());
  HoldClick(false);
  HoldChangeEvents(false, false);
}

void TcxCustomEdit::ReadState(TReader* Reader) {
  // The values read are the stream's, not a change for the editor to react to.
  FProperties->OnPropertiesChanged = nullptr;
  TcxContainer::ReadState(Reader);
}

void TcxCustomEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TcxContainer::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FRepositoryItem) SetRepositoryItem(nullptr);
}

// ---------------------------------------------------------------------------
// Properties and repository items

TcxCustomEditProperties* TcxCustomEdit::GetEffectiveProperties() {
  if (!FRepositoryItem) return FProperties.get();
  TcxCustomEditProperties* p = FRepositoryItem->Properties();
  p->SetDefaultValuesProviderQuiet(FDataBinding ? FDataBinding->QueryDefaultValuesProvider() : nullptr);
  return p;
}

bool TcxCustomEdit::AcceptsRepositoryItem(TcxEditRepositoryItem* AItem) {
  return !AItem || AItem->Properties()->InheritsFrom(GetPropertiesClass());
}

void TcxCustomEdit::SetRepositoryItem(TcxEditRepositoryItem* Value) {
  if (Value == FRepositoryItem) return;
  if (!AcceptsRepositoryItem(Value)) throw EcxEditError(cxLoadResourceText(cxSEditRepositoryItemNotAcceptable));
  ReleasingFocusHook();
  if (FRepositoryItem) {
    FRepositoryItem->RemoveListener(this);
    FRepositoryItem->RemoveFreeNotification(this);
  }
  FRepositoryItem = Value;
  if (Value) {
    Value->AddListener(this);
    Value->FreeNotification(this);
  }
  bool quiet = ComponentState().Contains(csLoading) || IsDestroying();
  if (Value) {
    FProperties->SetDefaultValuesProviderQuiet(nullptr);
    if (!quiet) PropertiesChanged(static_cast<TObject*>(Value->Properties()));
    FProperties->OnPropertiesChanged = nullptr;
  } else {
    if (!quiet) FProperties->OnPropertiesChanged = [this](TObject* Sender) { PropertiesChanged(Sender); };
    FProperties->AttachDefaultValuesProvider(FDataBinding->QueryDefaultValuesProvider());
  }
  RepositoryItemChanged();
}

void TcxCustomEdit::ItemRemoved(TcxEditRepositoryItem* Sender) {
  if (Sender == FRepositoryItem) FRepositoryItem = nullptr;
}

void TcxCustomEdit::PropertiesChanged(TcxEditRepositoryItem* Sender) {
  if (ComponentState().Contains(csLoading) || IsDestroying()) return;
  PropertiesChanged(static_cast<TObject*>(Sender->Properties()));
}

void TcxCustomEdit::PropertiesChanged(TObject* Sender) {
  FValidated = false;
  if (!InnerEditNotReady()) SetReadOnlyOfInnerEdit(IsReadOnlyNow());
  if (FUserChanged && IsReadOnlyNow()) SetEditChanged(false);
  if (GetEffectiveProperties()->Transparent()) FTransparent = true;
  UpdateStateFromCursor();
}

void TcxCustomEdit::SetReadOnlyOfInnerEdit(bool AReadOnly) {
  if (auto* e = dynamic_cast<TCustomEdit*>(InnerControl())) e->SetReadOnly(AReadOnly);
}

bool TcxCustomEdit::InnerEditNotReady() { return FDestroying || IsDestroying() || (FInnerEditClassExists && !InnerControl()); }

bool TcxCustomEdit::IsReadOnlyNow() { return GetEffectiveProperties()->GetReadOnly() || !FDataBinding->HasData(); }

TcxContainerStyleValues TcxCustomEdit::GetUnusedStyleValues() { return TcxContainerStyleValues::FromMask(0xFC00); }

bool TcxCustomEdit::ButtonsAutoWidth() { return GetEffectiveProperties()->ButtonsViewStyle() == bvsButtonsAutoWidth; }

bool TcxCustomEdit::HasOnChangeHandler() {
  return bool(FProperties->OnChange) || bool(GetEffectiveProperties()->OnChange);
}
bool TcxCustomEdit::HasOnEditValueChangedHandler() {
  return bool(FProperties->OnEditValueChanged) || bool(GetEffectiveProperties()->OnEditValueChanged);
}
bool TcxCustomEdit::HasOnValidateHandler() {
  return bool(FProperties->OnValidate) || bool(GetEffectiveProperties()->OnValidate);
}

// ---------------------------------------------------------------------------
// Value

void TcxCustomEdit::SetEditValue(const Variant& Value) {
  if (FEditValueSettingLockCount > 0) return;
  TCountGuard click(FClickLockCount);
  if (!FUserAction || RequestEditing()) InternalSetEditValue(Value, true);
}

void TcxCustomEdit::SetEditValueQuiet(const Variant& Value) {
  if (FEditValueSettingLockCount > 0) return;
  if (!FUserAction || RequestEditing()) InternalSetEditValue(Value, true);
}

void TcxCustomEdit::InternalSetEditValue(const Variant& Value, bool AValidate) {
  if (FUserAction && !RequestEditing()) return;
  bool changed = GetEffectiveProperties()->DetectsValueChange() && !cxEditVarEquals(Value, FEditValue);
  FEditValue = Value;
  UpdateDrawValue();
  if (FUserAction)
    SetEditChanged(true);
  else
    SetModified(false);
  if (changed) {
    NotifyEditValueChanged();
    if (!GetEffectiveProperties()->HasInnerEditChangeEvents()) NotifyChange();
  }
}

void TcxCustomEdit::SetDisplayValueLocked(const Variant& AValue) {
  PushModifiedState();
  DoSetDisplayValue(AValue);
  PopModifiedState();
}

void TcxCustomEdit::GetCurrentValue(Variant& AValue) {
  if (Focused() && FUserChanged && !FValidated)
    GetEditingValue(AValue);
  else
    AValue = FEditValue;
}

void TcxCustomEdit::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) {
  GetEffectiveProperties()->PrepareDisplayValue(AEditValue, ADisplayValue, AEditFocused);
}

void TcxCustomEdit::ActivateResetValue() {
  Variant v;
  GetResetValue(v);
  SetEditValue(v);
}

void TcxCustomEdit::SetModified(bool Value) {
  FModified = Value;
  if (!Value) FUserChanged = false;
}

void TcxCustomEdit::SetEditChanged(bool Value) {
  FUserChanged = Value;
  if (Value) {
    FValidated = false;
    FModified = true;
  }
}

void TcxCustomEdit::PushModifiedState() { FSavedFlags.emplace_back(FModified, FUserChanged); }

void TcxCustomEdit::PopModifiedState() {
  if (FSavedFlags.empty()) return;
  FModified = FSavedFlags.back().first;
  FUserChanged = FSavedFlags.back().second;
  FSavedFlags.pop_back();
}

void TcxCustomEdit::HoldClick(bool ALock) {
  if (ALock)
    ++FClickLockCount;
  else if (FClickLockCount > 0)
    --FClickLockCount;
}

void TcxCustomEdit::HoldEditValueSetting(bool ALock) {
  if (ALock)
    ++FEditValueSettingLockCount;
  else if (FEditValueSettingLockCount > 0)
    --FEditValueSettingLockCount;
}

void TcxCustomEdit::MarkChangedAndClick() {
  SetEditChanged(true);
  if (FClickLockCount == 0) Click();
}

void TcxCustomEdit::Click() {
  if (IsDestroying() || FClickLockCount > 0) return;
  if (ComponentState().Contains(csLoading) && !ForceClick()) return;
  TcxContainer::Click();
}

void TcxCustomEdit::NotifyChange() {
  if (ComponentState().Contains(csLoading) || IsDestroying()) return;
  if (HasOnChangeHandler()) {
    if (FChangeEventsCatcher->IsLocked()) {
      FChangeEventsCatcher->OnChangeEvent = true;
    } else if (FIsInplace) {
      PushModifiedState();
      FModified = FUserChanged = true;
      try {
        DoChange();
      } catch (...) {
        PopModifiedState();
        throw;
      }
      PopModifiedState();
    } else {
      DoChange();
    }
  }
  TcxCustomEditProperties* p = GetEffectiveProperties();
  if (!p->HasInnerEditChangeEvents() && !p->DetectsValueChange()) NotifyEditValueChanged();
}

void TcxCustomEdit::NotifyEditValueChanged() {
  if (ComponentState().Contains(csLoading) || IsDestroying() || !HasOnEditValueChangedHandler()) return;
  if (FChangeEventsCatcher->IsLocked()) {
    FChangeEventsCatcher->OnEditValueChangedEvent = true;
  } else if (FIsInplace) {
    PushModifiedState();
    FModified = FUserChanged = true;
    try {
      DoEditValueChanged();
    } catch (...) {
      PopModifiedState();
      throw;
    }
    PopModifiedState();
  } else {
    DoEditValueChanged();
  }
}

void TcxCustomEdit::DoChange() {
  if (FProperties->OnChange) FProperties->OnChange(this);
  if (FRepositoryItem && FRepositoryItem->Properties()->OnChange) FRepositoryItem->Properties()->OnChange(this);
}

void TcxCustomEdit::DoEditValueChanged() {
  if (FProperties->OnEditValueChanged) FProperties->OnEditValueChanged(this);
  if (FRepositoryItem && FRepositoryItem->Properties()->OnEditValueChanged)
    FRepositoryItem->Properties()->OnEditValueChanged(this);
}

void TcxCustomEdit::NotifyClosePopup(Integer AReason) {
  if (FProperties->OnClosePopup) FProperties->OnClosePopup(this, AReason);
  if (FRepositoryItem && FRepositoryItem->Properties()->OnClosePopup)
    FRepositoryItem->Properties()->OnClosePopup(this, AReason);
}

void TcxCustomEdit::InnerEditChange(TObject*) {
  if (Focused())
    SetEditChanged(true);
  else if (GetEffectiveProperties()->NotificationDepth() == 0)
    FDataBinding->DataChanged();
  NotifyChange();
}

// ---------------------------------------------------------------------------
// Validation and posting

bool TcxCustomEdit::ValidateInput(bool ARaiseError) {
  if (!FUserChanged || FValidated || FValidationLock > 0) return true;
  FValidating = true;
  Variant display = Variant(DisplayText());
  bool error = false;
  String errorText;
  TcxCustomEditProperties* p = GetEffectiveProperties();
  if (p->CanValidate()) p->CheckDisplayValue(display, errorText, error, this);
  if (error) {
    auto showDisplay = [&] {
      if (DisplayText() != VarToStr(display)) {
        SetDisplayValueFromData(display);
        if (Visible()) {
          SelectAll();
          if (!HasReadOnlyText()) PrepareEditText();
        }
      }
      FValidating = false;
    };
    if (ARaiseError) {
      try {
        HandleValidationError(errorText, true);
      } catch (...) {
        showDisplay();
        throw;
      }
    }
    showDisplay();
    return false;
  }
  if (FUserAction && !RequestEditing()) {
    FValidating = false;
    return true;
  }
  SetDisplayValueLocked(display);
  if (!FIsInplace && !Focused()) SetEditChanged(false);
  FValidated = true;
  FValidating = false;
  return true;
}

void TcxCustomEdit::HandleValidationError(const String& AErrorText, bool AAbort) {
  if (!CanFocus()) {
    FValidated = true;
  } else if (Visible()) {
    if (!Focused()) {
      TFlagGuard g(FFocusingByError, true);
      if (InnerControl() && InnerControl()->CanFocus())
        InnerControl()->SetFocus();
      else
        SetFocus();
    }
    SelectAll();
  }
  if (GetEffectiveProperties()->BeepOnError()) MessageBeep(0);
  if (!AErrorText.empty()) throw EcxEditValidationError(AErrorText);
  if (AAbort) throw EAbort("");
}

bool TcxCustomEdit::CanPostValue() {
  if (ComponentState().Contains(csDesigning)) return false;
  return FDataBinding->HasValueToPost();
}

void TcxCustomEdit::PostValue(bool AValidateFirst) {
  if (AValidateFirst) {
    bool old = FUserAction;
    FUserAction = false;
    bool ok = ValidateInput(true);
    FUserAction = old;
    if (!ok) return;
  }
  try {
    BeginPosting();
    try {
      if (FIsInplace) {
        if (OnPostEditValue) OnPostEditValue(this);
        SetModified(false);
      } else if (FDataBinding->IsEditing()) {
        Variant v;
        GetEditValue(v);
        FDataBinding->StoreValue(v);
      }
    } catch (...) {
      EndPosting();
      throw;
    }
    EndPosting();
  } catch (...) {
    if (FIsInplace) throw;
    // The value stays as the user typed it; the editor takes the focus
    // back so the user can correct it.
    try {
      HandleValidationError("", false);
    } catch (...) {
    }
    throw;
  }
}

bool TcxCustomEdit::CanModify() {
  TcxCustomEditProperties* p = GetEffectiveProperties();
  if (FIsInplace) return p->IsEditValueModifiable();
  if (p->AssignedValues()->ReadOnly()) return !p->GetReadOnly();
  IcxEditDefaultValuesProvider* prov = FDataBinding->QueryDefaultValuesProvider();
  return prov->DefaultCanModify() && prov->CanSetEditMode();
}

bool TcxCustomEdit::RequestEditing() {
  if (!SupportsEditing()) return false;
  if (FDataBinding->IsEditing()) return true;
  bool canEdit = CanModify();
  if (!canEdit) return false;
  TFlagGuard requesting(FRequestingEditing, true);
  if (FIsInplace) {
    TCountGuard lock(FEditValueSettingLockCount);
    if (OnEditing) OnEditing(this, canEdit);
  } else {
    bool modified = FDataBinding->IsModified();
    if (OnEditing) OnEditing(this, canEdit);
    if (modified && canEdit) {
      FDataBinding->DataChanged();
    } else if (!modified && canEdit) {
      TCountGuard lock(FEditValueSettingLockCount);
      canEdit = FDataBinding->EnterEditMode();
    }
  }
  return canEdit;
}

bool TcxCustomEdit::UsesEditFormat() { return !GetEffectiveProperties()->AllowsDirectEditing() || Focused(); }

bool TcxCustomEdit::CanUseMouseWheel(TShiftState Shift) {
  return !(FIsInplace && !GetEffectiveProperties()->UseMouseWheel() && !Shift.Contains(ssCtrl));
}

bool TcxCustomEdit::IsCharValidForData(char32_t AChar) {
  IcxEditDefaultValuesProvider* p = FDataBinding->QueryDefaultValuesProvider();
  return p->AcceptsChar(AChar) || p->HasSetTextHandler();
}

bool TcxCustomEdit::IsActiveControl() {
  if (Focused()) return true;
  TCustomForm* f = GetParentForm(this);
  return f && (f->ActiveControl() == this || (InnerControl() && f->ActiveControl() == InnerControl()));
}

bool TcxCustomEdit::InPaintCopyMode() {
  return FDataBinding->QueryDefaultValuesProvider()->IsDataStorage() && ControlState().Contains(csPaintCopy);
}

// ---------------------------------------------------------------------------
// Keys

Integer TcxCustomEdit::GetDefaultButtonVisibleIndex() {
  TcxCustomEditViewInfo* vi = GetViewInfo();
  TcxEditButtons* buttons = GetEffectiveProperties()->Buttons();
  for (Integer i = 0; i < vi->ButtonCount(); ++i) {
    Integer index = vi->ButtonsInfo[i]->ButtonIndex;
    if (index < buttons->Count() && buttons->Items(index)->Default()) return i;
  }
  return -1;
}

bool TcxCustomEdit::IsDefaultButtonClickKey(Word Key, TShiftState Shift) {
  return GetDefaultButtonVisibleIndex() >= 0 && ShortCut(Key, Shift) == GetEffectiveProperties()->ClickKey();
}

bool TcxCustomEdit::IsClickKey(Word Key, TShiftState Shift) { return IsDefaultButtonClickKey(Key, Shift); }

// Only the properties' own keys: keys an editor claims from its host
// otherwise still get the editor's usual handling.
bool TcxCustomEdit::IsClearOrClickKey(Word Key, TShiftState Shift) {
  TShortCut sc = ShortCut(Key, Shift);
  TcxCustomEditProperties* p = GetEffectiveProperties();
  return (p->ClearKey() != 0 && sc == p->ClearKey()) || IsDefaultButtonClickKey(Key, Shift);
}

void TcxCustomEdit::NotifyAfterKeyDown(Word& Key, TShiftState Shift) {
  if (OnAfterKeyDown) OnAfterKeyDown(this, Key, Shift);
}

void TcxCustomEdit::ClickDefaultButton() {
  Integer i = GetDefaultButtonVisibleIndex();
  if (i >= 0) DoButtonClick(i);
}

void TcxCustomEdit::DoButtonClick(Integer AButtonVisibleIndex) {
  TcxCustomEditViewInfo* vi = GetViewInfo();
  if (AButtonVisibleIndex < 0 || AButtonVisibleIndex >= vi->ButtonCount()) return;
  Integer index = vi->ButtonsInfo[AButtonVisibleIndex]->ButtonIndex;
  if (FProperties->OnButtonClick) FProperties->OnButtonClick(this, index);
  if (FRepositoryItem && FRepositoryItem->Properties()->OnButtonClick)
    FRepositoryItem->Properties()->OnButtonClick(this, index);
}

void TcxCustomEdit::KeyDown(Word& Key, TShiftState Shift) {
  FEscHandled = false;
  if (!IsClickKey(Key, Shift)) TcxContainer::KeyDown(Key, Shift);
  if (Key != 0) DoEditKeyDown(Key, Shift);
  if (Key != 0 && IsSpecialKey(Key, Shift)) NotifyAfterKeyDown(Key, Shift);
}

bool TcxCustomEdit::AcceptsEditKey(Word& Key, TShiftState Shift) {
  return FDataBinding->IsEditing() || !IsEditorKey(Key, Shift) || RequestEditing();
}

void TcxCustomEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  TShortCut sc = ShortCut(Key, Shift);
  TcxCustomEditProperties* p = GetEffectiveProperties();
  if (p->ClearKey() != 0 && sc == p->ClearKey()) {
    HoldChangeEvents(true);
    try {
      TFlagGuard g(FUserAction, true);
      Variant v;
      GetResetValue(v);
      SetEditValueQuiet(v);
      FValidated = true;
    } catch (...) {
      HoldChangeEvents(false);
      throw;
    }
    HoldChangeEvents(false);
    Key = 0;
    return;
  }
  if (GetDefaultButtonVisibleIndex() >= 0 && sc == p->ClickKey()) {
    if (HandleAllocated()) {
      MSG msg;
      while (PeekMessageW(&msg, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE)) {
      }
    }
    ClickDefaultButton();
    Key = 0;
    return;
  }
  if (!AcceptsEditKey(Key, Shift)) {
    NotifyAfterKeyDown(Key, Shift);
    Key = 0;
    return;
  }
  switch (Key) {
    case VK_TAB:
      if (Focused() && !Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl) && !p->WantsTabKey()) {
        BeforeTabExit(Shift);
        NotifyAfterKeyDown(Key, Shift);
        if (Key == 0) return;
        Key = 0;
        if (TCustomForm* f = GetParentForm(this)) {
          f->SelectNext(f->ActiveControl() ? f->ActiveControl() : this, !Shift.Contains(ssShift), true);
          if (HandleAllocated() && GetFocus() == Handle() && InnerControl()) FocusInnerControl();
        }
      }
      return;
    case VK_RETURN:
      if (p->ValidateOnEnter()) {
        Key = 0;
        HoldChangeEvents(true);
        try {
          if (ValidateInput(true) && CanPostValue()) PostValue(false);
        } catch (...) {
          HoldChangeEvents(false);
          throw;
        }
        HoldChangeEvents(false);
      }
      return;
    case VK_ESCAPE:
      if (FUserChanged && (IsDataBound() || p->CanRestoreEditValue())) {
        HoldChangeEvents(true);
        try {
          FDataBinding->Reset();
          SetModified(true);
        } catch (...) {
          HoldChangeEvents(false);
          throw;
        }
        HoldChangeEvents(false);
        FEscHandled = true;
        Key = 0;
      }
      return;
    default:
      if (!HandlesNavigationKeys() && Key >= VK_PRIOR && Key <= VK_DOWN) {
        NotifyAfterKeyDown(Key, Shift);
        Key = 0;
      }
  }
}

void TcxCustomEdit::KeyPress(char32_t& Key) {
  if (Key == 27 && FEscHandled) {
    FEscHandled = false;
    Key = 0;
    return;
  }
  TcxContainer::KeyPress(Key);
  if (Key != 0) DoEditKeyPress(Key);
}

void TcxCustomEdit::KeyUp(Word& Key, TShiftState Shift) {
  TcxContainer::KeyUp(Key, Shift);
  if (Key != 0) DoEditKeyUp(Key, Shift);
}

bool TcxCustomEdit::CheckEditChar(char32_t& AChar) {
  if (AChar >= 32 && !IsCharValidForData(AChar)) {
    AChar = 0;
    MessageBeep(0);
  } else if (!FDataBinding->IsEditing() && IsEditorChar(AChar) && !RequestEditing()) {
    AChar = 0;
  }
  return AChar != 0;
}

void TcxCustomEdit::ResetEditValue() {
  TcxCustomEditProperties* p = GetEffectiveProperties();
  if (!FUserChanged || !p->CanRestoreEditValue()) return;
  HoldChangeEvents(true);
  try {
    FUserChanged = false;
    Variant v;
    if (IsDataBound())
      FDataBinding->GetStoredValue(v);
    else
      v = FPrevEditValue;
    SetEditValueQuiet(v);
    SetModified(true);
    SelectAll();
    if (p->ImmediatePost() && CanPostValue()) PostValue(false);
  } catch (...) {
    HoldChangeEvents(false);
    throw;
  }
  HoldChangeEvents(false);
}

// ---------------------------------------------------------------------------
// Focus

void TcxCustomEdit::HandleEnter() {
  PushModifiedState();
  try {
    TcxContainer::DoEnter();
    if (ReloadOnEnter()) FDataBinding->UpdateDisplayValue();
    if (GetEffectiveProperties()->CanRestoreEditValue()) FPrevEditValue = FEditValue;
    if (ReloadOnEnter()) UpdateDrawValue();
  } catch (...) {
    PopModifiedState();
    FUserChanged = false;
    throw;
  }
  PopModifiedState();
  FUserChanged = false;
}

void TcxCustomEdit::DoEnter() {
  if (!IsDestroying() && !FFocusingByError) HandleEnter();
  UpdateStateFromCursor();
}

void TcxCustomEdit::DoExitProcessing() {
  if (IsDestroying() || FFocusingByError) return;
  PushModifiedState();
  bool popped = false;
  try {
    HoldChangeEvents(true);
    bool valid;
    try {
      valid = ValidateInput(true);
      if (valid && !FIsInplace && CanPostValue()) PostValue(false);
    } catch (...) {
      HoldChangeEvents(false);
      throw;
    }
    HoldChangeEvents(false);
    if (ReloadOnEnter() && !FUserChanged) FDataBinding->UpdateDisplayValue();
    PrepareEditText();
    UpdateStateFromCursor();
    PopModifiedState();
    popped = true;
    TcxContainer::DoExit();
    SetEditChanged(false);
  } catch (...) {
    if (!popped) FSavedFlags.pop_back();
    throw;
  }
}

void TcxCustomEdit::DoExit() {
  TFlagGuard g(FUserAction, false);
  DoExitProcessing();
}

void TcxCustomEdit::DoFocusChanged() {
  if (IsDestroying() || FFocusingByError) return;
  bool now = Focused() && (!Application || Application->Active());
  if (now == FLastFocusState) {
    TcxContainer::DoFocusChanged();
    return;
  }
  FLastFocusState = now;
  TcxContainer::DoFocusChanged();
  if (OnFocusChanged) OnFocusChanged(this);
  ValidateOnExit();
}

bool TcxCustomEdit::ExecuteAction(TBasicAction* Action) {
  return TcxContainer::ExecuteAction(Action) || (FDataBinding && FDataBinding->ExecuteBindingAction(Action));
}

bool TcxCustomEdit::UpdateAction(TBasicAction* Action) {
  return TcxContainer::UpdateAction(Action) || (FDataBinding && FDataBinding->UpdateBindingAction(Action));
}

void TcxCustomEdit::ValidateOnExit() {
  PrepareEditText();
  TCustomForm* f = GetParentForm(this);
  bool modalClosing = f && !f->Visible() && f->FormState().Contains(fsModal) && f->ModalResult() != 0 &&
                      f->ModalResult() != 2;
  bool lostAlone = false;
  if (!FLastFocusState && HandleAllocated() && Parent()) {
    bool onlyControl = f && f->ControlCount() == 1;
    HWND focus = GetFocus();
    lostAlone = onlyControl && focus && GetAncestor(focus, GA_ROOT) == GetAncestor(Handle(), GA_ROOT);
  }
  if (modalClosing || lostAlone) ValidateInput(false);
}

void TcxCustomEdit::FocusInnerControl() {
  if (TWinControl* inner = InnerControl())
    if (inner->CanFocus()) inner->SetFocus();
}

// ---------------------------------------------------------------------------
// In-place activation

TcxCustomEditData* TcxCustomEdit::Activate(TcxCustomEditData*& AEditData) {
  if (!AEditData)
    if (auto factory = GetEditDataClass()) AEditData = factory(this);
  FEditData = AEditData;
  if (FEditData && FEditData->Cleared) {
    InitializeEditData();
    FEditData->Cleared = false;
  }
  SetVisible(true);
  if (HandleAllocated() && CanFocus()) {
    SetFocus();
    if (GetEffectiveProperties()->AutoSelect()) SelectAll();
  }
  UpdateDrawValue();
  SetModified(false);
  FActivated = true;
  return AEditData;
}

void TcxCustomEdit::ActivateByKey(char32_t AKey, TcxCustomEditData*& AEditData) {
  Activate(AEditData);
  if (CanSendActivationKey(AKey) && HandleAllocated()) SendMessageW(Handle(), WM_CHAR, AKey, 0);
}

void TcxCustomEdit::ActivateByMouse(TShiftState Shift, Integer X, Integer Y, TcxCustomEditData*& AEditData) {
  Activate(AEditData);
  TPoint p(X, Y);
  if (Parent()) p = ScreenToClient(Parent()->ClientToScreen(p));
  if (HandleAllocated()) {
    if (Shift.Contains(ssLeft)) {
      SendMessageW(Handle(), WM_LBUTTONDOWN, cxShiftStateToMouseKeys(Shift), MAKELPARAM(p.X, p.Y));
      if (GetCapture() == Handle() && (GetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0) ReleaseCapture();
    } else {
      SendMessageW(Handle(), WM_LBUTTONUP, cxShiftStateToMouseKeys(Shift), MAKELPARAM(p.X, p.Y));
    }
  }
  FInplaceTimer->SetInterval(GetDoubleClickTime());
  FInplaceTimer->SetEnabled(true);
}

bool TcxCustomEdit::EndInplaceEditing() {
  FInplaceTimer->SetEnabled(false);
  FUserAction = false;
  bool valid = ValidateInput(true);
  if (valid) {
    UpdateDrawValue();
    FValidated = true;
  }
  return valid;
}

// ---------------------------------------------------------------------------
// Mouse and buttons

void TcxCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft && FInplaceTimer && FInplaceTimer->Enabled()) {
    FInplaceTimer->SetEnabled(false);
    if (!GetViewInfo()->IsPointOnButton(TPoint(X, Y))) {
      DblClick();
      return;
    }
  }
  TcxContainer::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && HandleAllocated() && GetCapture() == Handle()) {
    TcxCustomEditViewInfo* vi = GetViewInfo();
    for (Integer i = 0; i < vi->ButtonCount(); ++i)
      if (PtInRect(vi->ButtonsInfo[i]->VisibleBounds, TPoint(X, Y)) && vi->ButtonsInfo[i]->Data.State == 2)
        FCapturedPressedButton = i;
  }
}

void TcxCustomEdit::DblClick() {
  TPoint p = ScreenToClient(cxGetCursorPos());
  if (!GetViewInfo()->IsPointOnButton(p)) {
    TcxContainer::DblClick();
    return;
  }
  TcxContainer::MouseDown(mbLeft, cxGetShiftStateFromKeyboard() + cxMouseButtonToShift(mbLeft), p.X, p.Y);
  Click();
}

void TcxCustomEdit::ProcessButtonStates(TcxCustomEditViewInfo* AOld) {
  TcxCustomEditViewInfo* vi = GetViewInfo();
  if (AOld->PressedButton == vi->PressedButton && AOld->SelectedButton == vi->SelectedButton) return;
  if (AOld->PressedButton >= 0) {
    Integer b = AOld->PressedButton;
    DoButtonUp(b);
    if (b == vi->SelectedButton) DoButtonClick(b);
  }
  if (vi->PressedButton >= 0 && AOld->PressedButton < 0) DoButtonDown(vi->PressedButton);
}

void TcxCustomEdit::HandleHintShow(TMessage& Message) {
  auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
  TcxCustomEditViewInfo* vi = GetViewInfo();
  TPoint p = info->CursorPos;
  Integer part = vi->GetPartAt(p);
  if (part == -2) {
    Message.Result = -1;
    return;
  }
  String text;
  TcxEditButtons* buttons = GetEffectiveProperties()->Buttons();
  if (part >= 0 && part < buttons->Count()) text = buttons->Items(part)->Hint();
  if (text.empty() && ShowHint()) text = Hint();
  size_t bar = text.find('|');
  if (bar != String::npos) text.resize(bar);
  info->HintStr = text;
  TRect r = vi->BorderRect;
  if (part >= 0) {
    for (auto& b : vi->ButtonsInfo)
      if (b->ButtonIndex == part) r = b->Bounds;
  } else if (!vi->ButtonsInfo.empty()) {
    r.Right = std::min<Integer>(r.Right, vi->ButtonsInfo.back()->Bounds.Left);
  }
  info->CursorRect = r;
  Message.Result = text.empty() ? 1 : 0;
}

// ---------------------------------------------------------------------------
// View

TcxCustomEditViewData* TcxCustomEdit::CreateViewData() {
  TcxCustomEditViewData* vd = GetEffectiveProperties()->CreateViewData(GetCurrentStyle(), FIsInplace, false);
  if (FIsInplace) vd->ContentParams = FInplaceContentParams;
  vd->Edit = InnerEditNotReady() ? nullptr : this;
  if (HandleAllocated()) vd->WindowHandle = Handle();
  InitializeViewData(vd);
  return vd;
}

void TcxCustomEdit::InitializeViewData(TcxCustomEditViewData* AViewData) {
  AViewData->Enabled = Enabled();
  AViewData->Focused = Focused();
  AViewData->InnerEdit = InnerControl();
  AViewData->IsDesigning = ComponentState().Contains(csDesigning);
}

void TcxCustomEdit::RecalcViewInfo(TPoint MousePos, Integer AButton, bool AIsMouseEvent, TShiftState Shift) {
  std::unique_ptr<TcxCustomEditViewData> vd(CreateViewData());
  std::unique_ptr<TcxCanvas> canvas;
  vd->Calculate(cxSharedScreenCanvas(), EditBounds(), MousePos, AButton, Shift, GetViewInfo(), AIsMouseEvent);
}

void TcxCustomEdit::RecalcViewInfoAtCursor() {
  TPoint p = HandleAllocated() ? ScreenToClient(cxGetCursorPos()) : TPoint(-1, -1);
  RecalcViewInfo(p, 0, false, cxGetShiftStateFromKeyboard());
}

bool TcxCustomEdit::UpdateState(TPoint MousePos, Integer AButton, TShiftState Shift, bool AIsMouseEvent) {
  if (!HandleAllocated() || FCreating || ControlState().Contains(csDestroyingHandle) || IsDestroying()) return false;
  if (GetCapture() != Handle()) FCapturedPressedButton = -1;
  std::unique_ptr<TcxCustomEditViewInfo> old;
  if (AIsMouseEvent) {
    old.reset(GetEffectiveProperties()->CreateViewInfo());
    old->AssignFrom(GetViewInfo());
  }
  RecalcViewInfo(MousePos, AButton, AIsMouseEvent, Shift);
  bool changed = GetViewInfo()->RepaintExcept(this, TRect(), old.get());
  if (old && !changed) return false;
  AdjustInnerControlBounds();
  UpdateWindowRegion();
  if (old) ProcessButtonStates(old.get());
  return true;
}

void TcxCustomEdit::GetBorderExtent(TRect& AExtent) {
  TcxCustomEditViewInfo* vi = GetViewInfo();
  // Measured to the border rectangle: the buttons lie inside the border and
  // must stay inside the window's visible shape.
  AExtent = TRect(vi->BorderRect.Left - vi->Bounds.Left, vi->BorderRect.Top - vi->Bounds.Top,
                  vi->Bounds.Right - vi->BorderRect.Right, vi->Bounds.Bottom - vi->BorderRect.Bottom);
}

bool TcxCustomEdit::IsNativeStyle() { return TcxCustomEditViewData::IsNativeStyle(Style()->LookAndFeel()); }

bool TcxCustomEdit::UseNativeThemeFor(TThemedElement AKind) {
  return cxUseNativeTheme(Style()->LookAndFeel()->NativeStyle(), AKind);
}

void TcxCustomEdit::Paint() {
  if (InPaintCopyMode()) {
    PaintEditorImage(cxCanvas());
    return;
  }
  if (!GetViewInfo()->Bounds.Right) UpdateStateFromCursor();
  GetViewInfo()->PaintOn(cxCanvas());
}

void TcxCustomEdit::PaintEditorImage(TcxCanvas* ACanvas) {
  ClipToWindowShape(ACanvas);
  std::unique_ptr<TcxCustomEditViewInfo> vi(GetEffectiveProperties()->CreateViewInfo());
  vi->Edit = this;
  std::unique_ptr<TcxCustomEditViewData> vd(CreateViewData());
  Variant stored;
  FDataBinding->GetStoredValue(stored);
  vd->PrepareViewInfoForPaint(ACanvas, stored, vi.get());
  vd->Calculate(ACanvas, EditBounds(), TPoint(-1, -1), 0, {}, vi.get(), false);
  vi->PaintOn(ACanvas);
  ACanvas->ExcludeFromClip(EditBounds());
}

void TcxCustomEdit::PlaceInnerEdit() {
  if (TWinControl* inner = InnerControl()) {
    const TRect& r = GetViewInfo()->ClientRect;
    if (inner->BoundsRect() != r) inner->SetBoundsRect(r);
  }
}

// Auto size ------------------------------------------------------------------

bool TcxCustomEdit::HasAutoWidth() {
  TAlign a = Align();
  return CanAutoSize() && ButtonsAutoWidth() && (a == alNone || a == alLeft || a == alRight);
}

void TcxCustomEdit::GetEditSizeProperties(TcxEditSizeProperties& AProperties) {
  AProperties.Height = -1;
  AProperties.MaxLineCount = 1;
  AProperties.Width = HasAutoWidth() ? INT_MAX / 2 : Width();
}

void TcxCustomEdit::ComputeAutoSize(Integer& AWidth, Integer& AHeight) {
  if (!CanAutoSize()) return;
  TcxEditSizeProperties sp;
  GetEditSizeProperties(sp);
  std::unique_ptr<TcxCustomEditViewData> vd(CreateViewData());
  TSize size{0, 0};
  vd->GetEditSize(cxSharedScreenCanvas(), FEditValue, sp, size);
  if (HasAutoWidth()) AWidth = size.cx;
  TAlign a = Align();
  if (a == alNone || a == alTop || a == alBottom) AHeight = size.cy;
}

bool TcxCustomEdit::CanResize(Integer& NewWidth, Integer& NewHeight) {
  bool r = TcxContainer::CanResize(NewWidth, NewHeight);
  if (r && !ComponentState().Contains(csLoading)) ComputeAutoSize(NewWidth, NewHeight);
  return r;
}

void TcxCustomEdit::AdjustInnerControlBounds() {
  if (!HandleAllocated() || IsDestroying()) return;
  Integer w = Width(), h = Height();
  ComputeAutoSize(w, h);
  if (w != Width() || h != Height()) {
    if (!AlignsRight() || (HasAutoWidth() && FFirstSize))
      SetBounds(Left(), Top(), w, h);
    else
      SetBounds(Left() + Width() - w, Top(), w, h);
    if (HasAutoWidth() && AlignsRight()) FFirstSize = false;
  }
  if (InnerControl()) PlaceInnerEdit();
}

void TcxCustomEdit::SetAutoSize(bool Value) {
  if (FIsInplace || FAutoSize == Value) return;
  FAutoSize = Value;
  if (Value) {
    if (cxCanAllocateHandle(this)) HandleNeeded();
    AdjustInnerControlBounds();
    UpdateStateFromCursor();
  }
}

void TcxCustomEdit::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  UpdateStateFromCursor();
  Invalidate();
}

Integer TcxCustomEdit::GetHeight() {
  if (!HandleAllocated() && !IsDestroying() && !FHandleRequestRunning) {
    TFlagGuard g(FHandleRequestRunning, true);
    if (cxCanAllocateHandle(this)) HandleNeeded();
  }
  return Height();
}

void TcxCustomEdit::CreateHandle() {
  TcxContainer::CreateHandle();
  if (Focused()) FocusInnerControl();
}

// Messages ---------------------------------------------------------------------

void TcxCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_COPY:
      CopyToClipboard();
      return;
    case WM_CUT: {
      TFlagGuard g(FUserAction, true);
      if (GetEffectiveProperties()->GetReadOnly() || !FDataBinding->HasData())
        CopyToClipboard();
      else
        CutToClipboard();
      return;
    }
    case WM_PASTE:
      if (!GetEffectiveProperties()->GetReadOnly() && FDataBinding->HasData()) {
        TFlagGuard g(FUserAction, true);
        PasteFromClipboard();
      }
      return;
    case CM_HINTSHOW:
      HandleHintShow(Message);
      return;
    case CM_DIALOGCHAR: {
      TcxCustomEditViewInfo* vi = GetViewInfo();
      TcxEditButtons* buttons = GetEffectiveProperties()->Buttons();
      char32_t ch = char32_t(Message.WParam);
      for (Integer i = 0; i < vi->ButtonCount(); ++i) {
        Integer index = vi->ButtonsInfo[i]->ButtonIndex;
        if (index >= buttons->Count()) continue;
        TcxEditButton* b = buttons->Items(index);
        if (Enabled() && b->Enabled() && b->Kind() == bkText && IsAccel(Word(ch), b->Caption())) {
          DoButtonClick(i);
          Message.Result = 1;
          return;
        }
      }
      break;
    }
    case CM_SHOWINGCHANGED:
      TcxContainer::Dispatch(Message);
      if (Showing()) AdjustInnerControlBounds();
      return;
  }
  TcxContainer::Dispatch(Message);
}

void TcxCustomEdit::DefaultHandler(TMessage& Message) {
  if (FIsInplace && Message.Msg == WM_CONTEXTMENU) return;
  TcxContainer::DefaultHandler(Message);
}

// Streaming ---------------------------------------------------------------------

void TcxCustomEdit::DefineProperties(TFiler* Filer) {
  TcxContainer::DefineProperties(Filer);
  auto* ancestor = dynamic_cast<TControl*>(Filer->Ancestor());
  bool height = !CanAutoSize() && !(ancestor && ancestor->Height() == Height());
  bool width = !(CanAutoSize() && ButtonsAutoWidth()) && !(ancestor && ancestor->Width() == Width());
  Filer->DefineProperty(
      "Height", [this](TReader* R) { SetHeight(Integer(R->ReadInteger())); },
      [this](TWriter* W) { W->WriteInteger(Height()); }, height);
  Filer->DefineProperty(
      "Width", [this](TReader* R) { SetWidth(Integer(R->ReadInteger())); },
      [this](TWriter* W) { W->WriteInteger(Width()); }, width);
}

TOVANI_PUBLISHED(TcxCustomEdit) {
  Property("Height", &TControl::Height, &TControl::SetHeight).Stored(false);
  Property("Width", &TControl::Width, &TControl::SetWidth).Stored(false);
}
