#include "cxDBEdit.h"

#include "Controls.h"
#include "DB.h"
#include "DBCtrls.h"
#include "Messages.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Variant.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomDBEditDefaultValuesProvider, TcxCustomEditDefaultValuesProvider)
TOVANI_IMPLEMENT_CLASS(TcxEditFieldDataLink, TDataLink)
TOVANI_IMPLEMENT_CLASS(TcxDBEditDataBinding, TcxEditDataBinding)
TOVANI_IMPLEMENT_CLASS(TcxDBTextEditDataBinding, TcxDBEditDataBinding)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxDBTextEdit, TcxCustomTextEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxDBCheckBox, TcxCustomCheckBox)
TOVANI_IMPLEMENT_CLASS(TcxDBFieldDataLink, TcxCustomFieldDataLink)
TOVANI_IMPLEMENT_CLASS(TcxDBDataBinding, TcxCustomDBDataBinding)

namespace {
// Holds a binding's refresh lock for a scope, also when an exception passes.
struct TRefreshGuard {
  TcxDBEditDataBinding* B;
  explicit TRefreshGuard(TcxDBEditDataBinding* AB) : B(AB) { B->BeginRefresh(); }
  ~TRefreshGuard() { B->EndRefresh(); }
};
struct TClickGuard {
  TcxCustomEdit* E;
  explicit TClickGuard(TcxCustomEdit* AE) : E(AE) { E->HoldClick(true); }
  ~TClickGuard() { E->HoldClick(false); }
};
}  // namespace

// ---------------------------------------------------------------------------
// Defaults from the bound field

TcxCustomDBEditDefaultValuesProvider::TcxCustomDBEditDefaultValuesProvider(TPersistent* AOwner)
    : TcxCustomEditDefaultValuesProvider(AOwner), FFreeNotificator(std::make_unique<TcxFreeNotificator>()) {
  FFreeNotificator->OnComponentFreed = [this](TObject*, TComponent* C) { HandleFreeNotification(C); };
}

TcxCustomDBEditDefaultValuesProvider::~TcxCustomDBEditDefaultValuesProvider() {
  SetDataSource(nullptr);
  SetField(nullptr);
}

void TcxCustomDBEditDefaultValuesProvider::SetDataSource(TDataSource* Value) {
  if (FDataSource == Value) return;
  if (FDataSource) FFreeNotificator->RemoveSender(FDataSource);
  FDataSource = Value;
  if (FDataSource) FFreeNotificator->AddSender(FDataSource);
}

void TcxCustomDBEditDefaultValuesProvider::SetField(TField* Value) {
  if (FField == Value) return;
  if (FField) FFreeNotificator->RemoveSender(FField);
  FField = Value;
  if (FField) FFreeNotificator->AddSender(FField);
}

void TcxCustomDBEditDefaultValuesProvider::HandleFreeNotification(TComponent* AComponent) {
  if (AComponent == FDataSource)
    SetDataSource(nullptr);
  else
    SetField(nullptr);
}

bool TcxCustomDBEditDefaultValuesProvider::IsDataReady() {
  return FField && FField->DataSet() && FField->DataSet()->State() != dsInactive;
}

bool TcxCustomDBEditDefaultValuesProvider::CanSetEditMode() {
  if (!FDataSource) return false;
  TDataSetState s = FDataSource->State();
  return FDataSource->AutoEdit() || s == dsEdit || s == dsInsert;
}

TAlignment TcxCustomDBEditDefaultValuesProvider::DefaultAlignment() {
  return IsDataReady() ? FField->Alignment() : TcxCustomEditDefaultValuesProvider::DefaultAlignment();
}

Integer TcxCustomDBEditDefaultValuesProvider::DefaultBlobKind() {
  if (!IsDataReady()) return 0;
  switch (FField->DataType()) {
    case ftMemo:
    case ftFmtMemo:
      return 3;
    case ftGraphic:
      return 2;
    case ftParadoxOle:
    case ftDBaseOle:
      return 4;
    default:
      return 0;
  }
}

bool TcxCustomDBEditDefaultValuesProvider::DefaultCanModify() {
  if (!IsDataReady() || DefaultReadOnly()) return false;
  return FField->CanModify() || (FField->Lookup() && cxCanModifyLookupField(FField));
}

String TcxCustomDBEditDefaultValuesProvider::DefaultDisplayFormat() {
  if (IsDataReady())
    if (auto* f = dynamic_cast<TNumericField*>(FField)) return f->DisplayFormat();
  return "";
}

String TcxCustomDBEditDefaultValuesProvider::DefaultEditFormat() {
  if (IsDataReady())
    if (auto* f = dynamic_cast<TNumericField*>(FField)) return f->EditFormat();
  return "";
}

String TcxCustomDBEditDefaultValuesProvider::DefaultEditMask() { return IsDataReady() ? FField->EditMask() : ""; }

bool TcxCustomDBEditDefaultValuesProvider::DefaultIsFloatValue() {
  if (!IsDataReady()) return false;
  TFieldType t = FField->DataType();
  return t == ftFloat || t == ftCurrency || t == ftBCD;
}

Integer TcxCustomDBEditDefaultValuesProvider::DefaultMaxLength() {
  if (!IsDataReady()) return 0;
  TFieldType t = FField->DataType();
  return t == ftString || t == ftWideString ? FField->Size() : 0;
}

namespace {
// A float field's bound carries only the field's significant digits.
double FloatBoundAtPrecision(double V, Integer APrecision) {
  return StrToFloat(FloatToStrF(V, ffGeneral, APrecision, APrecision));
}
}  // namespace

double TcxCustomDBEditDefaultValuesProvider::DefaultMaxValue() {
  if (IsDataReady()) {
    if (auto* f = dynamic_cast<TIntegerField*>(FField)) return f->MaxValue();
    if (auto* f = dynamic_cast<TFloatField*>(FField)) return FloatBoundAtPrecision(f->MaxValue(), f->Precision());
    if (auto* f = dynamic_cast<TBCDField*>(FField)) return f->MaxValue().ToDouble();
  }
  return TcxCustomEditDefaultValuesProvider::DefaultMaxValue();
}

double TcxCustomDBEditDefaultValuesProvider::DefaultMinValue() {
  if (IsDataReady()) {
    if (auto* f = dynamic_cast<TIntegerField*>(FField)) return f->MinValue();
    if (auto* f = dynamic_cast<TFloatField*>(FField)) return FloatBoundAtPrecision(f->MinValue(), f->Precision());
    if (auto* f = dynamic_cast<TBCDField*>(FField)) return f->MinValue().ToDouble();
  }
  return TcxCustomEditDefaultValuesProvider::DefaultMinValue();
}

Integer TcxCustomDBEditDefaultValuesProvider::DefaultPrecision() {
  if (auto* f = dynamic_cast<TFloatField*>(FField)) return f->Precision();
  if (auto* f = dynamic_cast<TBCDField*>(FField)) return f->Precision();
  return TcxCustomEditDefaultValuesProvider::DefaultPrecision();
}

bool TcxCustomDBEditDefaultValuesProvider::DefaultReadOnly() { return IsDataReady() && FField->ReadOnly(); }

bool TcxCustomDBEditDefaultValuesProvider::DefaultRequired() { return IsDataReady() && FField->Required(); }

bool TcxCustomDBEditDefaultValuesProvider::IsBlob() { return IsDataReady() && FField->IsBlob(); }

bool TcxCustomDBEditDefaultValuesProvider::IsCurrency() {
  if (!IsDataReady()) return false;
  if (auto* f = dynamic_cast<TFloatField*>(FField)) return f->Currency();
  if (auto* f = dynamic_cast<TBCDField*>(FField)) return f->Currency();
  return false;
}

bool TcxCustomDBEditDefaultValuesProvider::HasDisplayFormat(bool AForDisplay) {
  if (!IsDataReady()) return false;
  if (FField->OnGetText) return true;
  if (auto* f = dynamic_cast<TNumericField*>(FField))
    if (!f->DisplayFormat().empty()) return true;
  if (auto* f = dynamic_cast<TDateTimeField*>(FField))
    if (!f->DisplayFormat().empty()) return true;
  return AForDisplay && IsCurrency();
}

bool TcxCustomDBEditDefaultValuesProvider::UsesFieldDisplayText() {
  return HasDisplayFormat(false) && DefaultDisplayFormat().empty();
}

bool TcxCustomDBEditDefaultValuesProvider::HasSetTextHandler() { return IsDataReady() && bool(FField->OnSetText); }

bool TcxCustomDBEditDefaultValuesProvider::AcceptsChar(char32_t AChar) {
  return !IsDataReady() || FField->IsValidChar(AChar);
}

// ---------------------------------------------------------------------------
// The field link

TcxEditFieldDataLink::TcxEditFieldDataLink(TcxDBEditDataBinding* ADataBinding, TComponent* AControl)
    : FDataBinding(ADataBinding), FControl(AControl), FFreeNotificator(std::make_unique<TcxFreeNotificator>()) {
  SetVisualControl(true);
  // A freed field is only forgotten: nothing else is told.
  FFreeNotificator->OnComponentFreed = [this](TObject*, TComponent* C) {
    if (C == FField) AssignField(nullptr);
  };
}

TcxEditFieldDataLink::~TcxEditFieldDataLink() { AssignField(nullptr); }

void TcxEditFieldDataLink::SetFieldName(const String& Value) {
  if (FFieldName == Value) return;
  FFieldName = Value;
  UpdateField();
}

TField* TcxEditFieldDataLink::FindField(const String& AName) {
  return FControl ? GetFieldProperty(DataSet(), FControl, AName) : DataSet()->FieldByName(AName);
}

void TcxEditFieldDataLink::UpdateField() {
  if (Active() && !FFieldName.empty()) {
    AssignField(nullptr);
    ChangeField(FindField(FFieldName));
  } else {
    ChangeField(nullptr);
  }
}

void TcxEditFieldDataLink::AssignField(TField* Value) {
  if (FField == Value) return;
  if (FField) FFreeNotificator->RemoveSender(FField);
  FField = Value;
  if (FField) FFreeNotificator->AddSender(FField);
  UpdateWatchedField();
}

void TcxEditFieldDataLink::ChangeField(TField* Value) {
  if (FField == Value) return;
  AssignField(Value);
  FDataBinding->PropertiesChanged();
  EditingChanged();
  RecordChanged(nullptr);
}

void TcxEditFieldDataLink::UpdateWatchedField() {
  if (!FField) {
    FWatchedField = nullptr;
    return;
  }
  const String& keys = FField->KeyFields();
  if (FDataBinding->IsLookupBinding() && FField->FieldKind() == fkLookup && keys.find(';') == String::npos)
    FWatchedField = FindField(keys);
  else
    FWatchedField = FField;
}

bool TcxEditFieldDataLink::CanModifyField() {
  if (ReadOnly() || !FField) return false;
  return FField->CanModify() || (FField->Lookup() && cxCanModifyLookupField(FField));
}

bool TcxEditFieldDataLink::StartEdit() {
  if (CanModifyField()) Edit();
  return FEditing;
}

void TcxEditFieldDataLink::SetEditingState(bool Value) {
  if (FEditing == Value) return;
  FEditing = Value;
  if (!FDataBinding->IsRefreshing()) FModified = false;
}

void TcxEditFieldDataLink::ActiveChanged() {
  FDataBinding->DBDefaultValuesProvider()->SetDataSource(DataSource());
  auto finish = [this] {
    FDataBinding->EndRefresh();
    FModified = false;
    FDataBinding->ReadFieldValue();
  };
  FDataBinding->BeginRefresh();
  try {
    UpdateField();
    FDataBinding->RefreshFromDataSet();
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TcxEditFieldDataLink::DataEvent(TDataEvent Event, NativeInt Info) {
  TDataLink::DataEvent(Event, Info);
  if (Event != deDataSetChange) return;
  {
    TRefreshGuard lock(FDataBinding);
    FDataBinding->RefreshFromDataSet();
  }
  FModified = false;
}

void TcxEditFieldDataLink::EditingChanged() {
  SetEditingState(Editing() && CanModifyField());
  FDataBinding->EditingStateChanged();
}

void TcxEditFieldDataLink::FocusControl(TField** AField) {
  if (!AField || !*AField || *AField != FField) return;
  auto* control = dynamic_cast<TWinControl*>(FControl);
  if (control && control->CanFocus()) {
    *AField = nullptr;
    control->SetFocus();
  }
}

void TcxEditFieldDataLink::LayoutChanged() { UpdateField(); }

void TcxEditFieldDataLink::RecordChanged(TField* AField) {
  if (AField && AField != FWatchedField) return;
  FDataBinding->ReadFieldValue();
  if (!FDataBinding->IsRefreshing()) FModified = false;
}

void TcxEditFieldDataLink::UpdateData() {
  if (!FModified) return;
  if (FField) FDataBinding->WriteEditorValue();
  if (!FDataBinding->IsRefreshing()) FModified = false;
}

// ---------------------------------------------------------------------------
// The editor's binding

TcxDBEditDataBinding::TcxDBEditDataBinding(TcxCustomEdit* AEdit) : TcxEditDataBinding(AEdit) {
  SetDefaultValuesProvider(new TcxCustomDBEditDefaultValuesProvider(nullptr));
  // Errors about the field name the control the user works in: the inner
  // edit of a text editor, else the editor.
  TComponent* control = AEdit->InnerControl() ? static_cast<TComponent*>(AEdit->InnerControl()) : AEdit;
  FDataLink = std::make_unique<TcxEditFieldDataLink>(this, control);
}

TcxDBEditDataBinding::~TcxDBEditDataBinding() {
  // Leaving the data source would show the unbound value in an editor that
  // is going away: the lock keeps the editor out of it.
  BeginRefresh();
  FDataLink->SetDataSource(nullptr);
  FDataLink.reset();
}

void TcxDBEditDataBinding::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TcxDBEditDataBinding*>(Source)) {
    SetDataField(s->DataField());
    SetDataSource(s->DataSource());
    ReadFieldValue();
    return;
  }
  TcxEditDataBinding::Assign(Source);
}

void TcxDBEditDataBinding::SetDataSource(TDataSource* Value) {
  if (Edit()->ComponentState().Contains(csLoading) && FDataLink->DataSourceFixed()) return;
  FDataLink->SetDataSource(Value);
  DBDefaultValuesProvider()->SetDataSource(Value);
}

Integer TcxDBEditDataBinding::ValueSource(bool AEditFocused) {
  return Integer(Edit()->GetEffectiveProperties()->UsesDataDisplayFormat(AEditFocused));
}

void TcxDBEditDataBinding::PropertiesChanged() {
  DBDefaultValuesProvider()->SetField(Field());
  TcxEditDataBinding::PropertiesChanged();
}

bool TcxDBEditDataBinding::IsModified() { return HasData() && FDataLink->IsEditing(); }

bool TcxDBEditDataBinding::IsEditing() { return IsModified() && FDataLink->Modified(); }

void TcxDBEditDataBinding::GetStoredValue(Variant& AValue) {
  Integer source = ValueSource(Edit()->UsesEditFormat());
  AValue = Null();
  if (!HasData()) return;
  TField* f = Field();
  if (f->IsNull() && !(source == 1 && f->OnGetText)) return;
  switch (source) {
    case 1:
      if (Edit()->Focused() && FDataLink->CanModifyField())
        AValue = Variant(f->Text());
      else if (f->IsBlob())
        AValue = Variant(f->AsString());
      else
        AValue = Variant(f->DisplayText());
      break;
    case 2:
      AValue = f->KeyFields().empty() ? f->AsVariant() : f->DataSet()->FieldValues(f->KeyFields());
      break;
    default:
      AValue = f->AsVariant();
  }
}

void TcxDBEditDataBinding::ReadFieldValue() {
  if (IsRefreshing()) return;
  TcxCustomEdit* edit = Edit();
  if (edit->IsDestroying()) return;
  if (edit->ComponentState().Contains(csDesigning) && !HasData()) {
    ShowUnboundValue();
    return;
  }
  Variant v;
  if (edit->Focused() || !edit->GetEffectiveProperties()->HasFocusDependentText()) {
    GetStoredValue(v);
    edit->SetEditValue(v);
    return;
  }
  // An unfocused editor that shows the field's formatted text keeps the
  // field's value as its edit value and the text for the eye.
  Variant raw = HasData() && !Field()->IsNull() ? Field()->AsVariant() : Null();
  edit->HoldChangeEvents(true);
  try {
    edit->InternalSetEditValue(raw, false);
  } catch (...) {
    edit->HoldChangeEvents(false, false);
    throw;
  }
  edit->HoldChangeEvents(false, false);
  TClickGuard clicks(edit);
  GetStoredValue(v);
  PassDisplayValueToEdit(v);
}

void TcxDBEditDataBinding::AssignFieldValue(TField* AField, const Variant& AValue) {
  // An emptied editor on a field that is no text field clears the field.
  TFieldType own = Field()->DataType();
  if (VarIsStr(AValue) && AValue.AsString().empty() && own != ftString && own != ftWideString)
    AField->SetAsVariant(Null());
  else
    AField->SetAsVariant(AValue);
}

void TcxDBEditDataBinding::StoreValue(const Variant& AValue) {
  if (!HasData()) return;
  TRefreshGuard lock(this);
  if (!FDataLink->StartEdit()) return;
  TField* f = Field();
  Integer source = ValueSource(true);
  if (source == 1) {
    f->SetText(VarToStrDef(AValue, ""));
  } else if (source == 2 && !f->KeyFields().empty()) {
    TDataSet* ds = f->DataSet();
    const String& keys = f->KeyFields();
    if (keys.find(';') == String::npos) {
      AssignFieldValue(ds->FieldByName(keys), AValue);
    } else {
      std::vector<TField*> list = ds->GetFieldList(keys);
      for (size_t i = 0; i < list.size(); ++i)
        AssignFieldValue(list[i], VarIsArray(AValue) ? AValue.GetElement(Integer(i)) : Null());
      ds->SetFieldValues(keys, AValue);
    }
  } else {
    AssignFieldValue(f, AValue);
  }
  // Only a value the field took clears the pending change: a refused one is
  // tried again by the next post.
  FDataLink->ClearModified();
}

bool TcxDBEditDataBinding::EnterEditMode() {
  if (!DBDefaultValuesProvider()->DefaultCanModify()) return false;
  TRefreshGuard lock(this);
  FDataLink->StartEdit();
  bool editing = FDataLink->IsEditing();
  if (editing) FDataLink->MarkModified();
  return editing;
}

void TcxDBEditDataBinding::WriteEditorValue() {
  if (!HasData() || !Edit()->ValidateInput(true)) return;
  Variant v;
  Edit()->GetEditValue(v);
  StoreValue(v);
}

void TcxDBEditDataBinding::Reset() {
  if (!HasData()) return;
  FDataLink->ReloadValue();
  Edit()->SelectAll();
}

void TcxDBEditDataBinding::AssignDisplayValue(const Variant& AValue) {
  PassDisplayValueToEdit(HasData() ? AValue : Variant(String()));
}

// Dataset actions act on the bound data source.
bool TcxDBEditDataBinding::ExecuteBindingAction(TBasicAction* AAction) {
  return DataLinkExecuteAction(FDataLink.get(), AAction);
}
bool TcxDBEditDataBinding::UpdateBindingAction(TBasicAction* AAction) {
  return DataLinkUpdateAction(FDataLink.get(), AAction);
}

void TcxDBEditDataBinding::DataChanged() {
  if (IsModified()) FDataLink->MarkModified();
}

void TcxDBEditDataBinding::UpdateDisplayValue() {
  TClickGuard clicks(Edit());
  if (HasData())
    FDataLink->ReloadValue();
  else
    TcxEditDataBinding::UpdateDisplayValue();
}

void TcxDBEditDataBinding::ShowUnboundValue() {
  if (!HasData()) Edit()->SetEditValue(Null());
}

void TcxDBEditDataBinding::EditingStateChanged() {
  if (!Edit()->IsDestroying()) Edit()->AfterEnterHook();
}

void TcxDBTextEditDataBinding::AssignDisplayValue(const Variant& AValue) {
  if (HasData())
    PassDisplayValueToEdit(AValue);
  else if (Edit()->ComponentState().Contains(csDesigning))
    PassDisplayValueToEdit(Variant(Edit()->Name()));
  else
    PassDisplayValueToEdit(Variant(String()));
}

void TcxDBTextEditDataBinding::ShowUnboundValue() {
  if (HasData()) return;
  TClickGuard clicks(Edit());
  AssignDisplayValue(Variant(String()));
}

TOVANI_PUBLISHED(TcxDBEditDataBinding) {
  Property("DataField", &TcxDBEditDataBinding::DataField, &TcxDBEditDataBinding::SetDataField);
  Property("DataSource", &TcxDBEditDataBinding::DataSource, &TcxDBEditDataBinding::SetDataSource);
}

TDataLink* cxEditDataLinkOf(TcxCustomEdit* AEdit) {
  auto* b = dynamic_cast<TcxDBEditDataBinding*>(AEdit->DataBinding());
  return b ? b->DataLink() : nullptr;
}

// ---------------------------------------------------------------------------
// The data-aware text editor

TcxDBTextEdit::TcxDBTextEdit(TComponent* AOwner)
    : TcxCustomTextEdit(AOwner, false, [](TPersistent* O) -> TcxCustomEditProperties* {
        return new TcxTextEditProperties(O);
      }) {
  SetDataBindingObject(new TcxDBTextEditDataBinding(this));
}

TcxDBTextEditDataBinding* TcxDBTextEdit::DataBinding() const {
  auto* b = dynamic_cast<TcxDBTextEditDataBinding*>(TcxCustomEdit::DataBinding());
  if (!b) throw EInvalidCast("Invalid class typecast");
  return b;
}

void TcxDBTextEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_GETDATALINK) {
    Message.Result = LRESULT(cxEditDataLinkOf(this));
    return;
  }
  TcxCustomTextEdit::Dispatch(Message);
}

TOVANI_PUBLISHED(TcxDBTextEdit) {
  Property("BeepOnEnter", &TcxCustomTextEdit::BeepOnEnter, &TcxCustomTextEdit::SetBeepOnEnter).Default(true);
  Property("AutoSize", &TcxDBTextEdit::AutoSize, &TcxDBTextEdit::SetAutoSize).Default(true);
  Property<TcxDBTextEditDataBinding*>(
      "DataBinding", [](TcxDBTextEdit* e) { return e->DataBinding(); },
      [](TcxDBTextEdit* e, TcxDBTextEditDataBinding* v) { e->SetDataBinding(v); });
  Property<TcxTextEditProperties*>(
      "Properties", [](TcxDBTextEdit* e) { return e->Properties(); },
      [](TcxDBTextEdit* e, TcxTextEditProperties* v) { e->SetProperties(v); });
  Property<TcxEditStyle*>(
      "Style", [](TcxDBTextEdit* e) { return e->Style(); },
      [](TcxDBTextEdit* e, TcxEditStyle* v) { e->SetStyle(v); });
  Property<TcxEditStyle*>(
      "StyleDisabled", [](TcxDBTextEdit* e) { return e->StyleDisabled(); },
      [](TcxDBTextEdit* e, TcxEditStyle* v) { e->SetStyleDisabled(v); });
  Property<TcxEditStyle*>(
      "StyleFocused", [](TcxDBTextEdit* e) { return e->StyleFocused(); },
      [](TcxDBTextEdit* e, TcxEditStyle* v) { e->SetStyleFocused(v); });
  Property<TcxEditStyle*>(
      "StyleHot", [](TcxDBTextEdit* e) { return e->StyleHot(); },
      [](TcxDBTextEdit* e, TcxEditStyle* v) { e->SetStyleHot(v); });
  Property("OnEditing", &TcxDBTextEdit::OnEditing);
}

// ---------------------------------------------------------------------------
// The data-aware check box

TcxDBCheckBox::TcxDBCheckBox(TComponent* AOwner) : TcxCustomCheckBox(AOwner) {
  SetDataBindingObject(new TcxDBEditDataBinding(this));
}

void TcxDBCheckBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_GETDATALINK) {
    Message.Result = LRESULT(cxEditDataLinkOf(this));
    return;
  }
  TcxCustomCheckBox::Dispatch(Message);
}

TOVANI_PUBLISHED(TcxDBCheckBox) {
  Property("AutoSize", &TcxDBCheckBox::AutoSize, &TcxDBCheckBox::SetAutoSize).Default(true);
  Property<TcxDBEditDataBinding*>(
      "DataBinding", [](TcxDBCheckBox* e) { return e->DataBinding(); },
      [](TcxDBCheckBox* e, TcxDBEditDataBinding* v) { e->SetDataBinding(v); });
  Property<TcxCheckBoxProperties*>(
      "Properties", [](TcxDBCheckBox* c) { return static_cast<TcxCheckBoxProperties*>(c->Properties()); },
      [](TcxDBCheckBox* c, TcxCheckBoxProperties* v) { c->SetProperties(v); });
  Property("Transparent", &TcxDBCheckBox::Transparent, &TcxDBCheckBox::SetTransparent).Default(false);
  Property<TcxEditStyle*>(
      "Style", [](TcxDBCheckBox* e) { return e->Style(); }, [](TcxDBCheckBox* e, TcxEditStyle* v) { e->SetStyle(v); });
  Property("OnEditing", &TcxDBCheckBox::OnEditing);
}

// ---------------------------------------------------------------------------
// Field binding of data-aware containers

void TcxDBFieldDataLink::VisualControlChanged() {
  SetVisualControl(dynamic_cast<TWinControl*>(DataBinding()->VisualControl()) != nullptr);
}

void TcxDBFieldDataLink::FocusControl(TField** AField) {
  if (!AField || !*AField || *AField != Field()) return;
  auto* control = dynamic_cast<TWinControl*>(DataBinding()->VisualControl());
  if (control && control->CanFocus()) {
    *AField = nullptr;
    control->SetFocus();
  }
}

TcxDBDataBinding::TcxDBDataBinding(TPersistent* AOwner, TComponent* ADataComponent)
    : TcxCustomDBDataBinding(AOwner, ADataComponent) {
  ReplaceDataLink(std::make_unique<TcxDBFieldDataLink>(this));
}

TOVANI_PUBLISHED(TcxDBDataBinding) {
  Property("DataSource", &TcxDBDataBinding::DataSource, &TcxDBDataBinding::SetDataSource);
  Property("DataField", &TcxDBDataBinding::DataField, &TcxDBDataBinding::SetDataField);
}
