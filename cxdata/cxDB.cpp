// Field helpers, the dataset adapter registry and the single-field data
// binding of data-aware editors.
#include "cxDB.h"

#include "BasicActions.h"
#include "DBCtrls.h"
#include "DBUtil.h"
#include "Strings.h"
#include "SysUtils.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_CLASS(TcxDBAdapterItem, TObject)
TOVANI_IMPLEMENT_CLASS(TcxDBAdapterList, TObject)
TOVANI_IMPLEMENT_CLASS(TcxCustomFieldDataLink, TDataLink)
TOVANI_IMPLEMENT_CLASS(TcxCustomDBDataBinding, TcxCustomDataBinding)

// ---------------------------------------------------------------------------
// Field helpers

Variant cxGetFieldValue(TField* AField) {
  if (AField->FieldKind() == fkAggregate) return AField->Value();
  // One read of the stored value serves the null test and the value (a
  // full load reads every field of every record through here).
  const TDBValue data = AField->GetData();
  if (DBValueIsNull(data)) return Variant::Null();
  if (AField->Is<TWideStringField>()) return Variant(Utf8ToUtf16(AField->AsString()));
  return DBValueToVariant(data, AField->DataType());
}

Variant cxGetFieldListValue(TDataSet*, const std::vector<TField*>& AFields) {
  if (AFields.empty()) return Variant::Null();
  if (AFields.size() == 1) return AFields[0]->Value();
  Variant v = VarArrayCreate({0, Integer(AFields.size()) - 1}, varVariant);
  for (size_t i = 0; i < AFields.size(); ++i) v.PutElement(Integer(i), AFields[i]->Value());
  return v;
}

void cxSetFieldValue(TField* AField, const Variant& AValue) {
  if (AField->Is<TDateTimeField>() && AValue.Kind() == varDouble && !AValue.IsArray())
    AField->SetAsDateTime(AValue.AsDouble());
  else
    AField->SetValue(AValue);
}

void cxSetFieldListValue(TDataSet*, const std::vector<TField*>& AFields, const Variant& AValue) {
  if (AFields.empty()) return;
  if (AFields.size() == 1) {
    AFields[0]->SetValue(AValue);
    return;
  }
  for (size_t i = 0; i < AFields.size(); ++i) AFields[i]->SetValue(AValue.GetElement(AValue.LowBound() + Integer(i)));
}

bool cxCanModifyLookupField(TField* AField) {
  TDataSet* ds = AField->DataSet();
  if (!ds) return false;
  const std::vector<String> names = SplitFieldNames(AField->KeyFields());
  if (names.empty()) return false;
  for (const String& n : names) {
    TField* f = ds->FindField(n);
    if (!f || !f->CanModify()) return false;
  }
  return true;
}

namespace {

bool IsFloatOrBCD(TField* F) { return F->Is<TFloatField>() || F->Is<TBCDField>(); }

bool FieldCurrency(TField* F) {
  if (auto* f = dynamic_cast<TFloatField*>(F)) return f->Currency();
  if (auto* b = dynamic_cast<TBCDField*>(F)) return b->Currency();
  return false;
}

// Byte-array, BLOB and object-like types: shown and edited as text only
// through handlers.
bool IsBinaryLikeType(TFieldType T) {
  return T == ftBytes || T == ftVarBytes || (T >= ftBlob && T <= ftCursor) || (T >= ftADT && T <= ftDataSet);
}

bool IsIdentChar(char c, bool First) {
  return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (!First && c >= '0' && c <= '9');
}

}  // namespace

bool cxIsDefaultCurrencyField(TField* AField) {
  if (!AField || !IsFloatOrBCD(AField) || !FieldCurrency(AField) || AField->OnGetText) return false;
  auto* n = dynamic_cast<TNumericField*>(AField);
  return n && n->DisplayFormat().empty();
}

bool cxCanEditFieldText(TField* AField, bool AnyType) {
  if (!AField->CanModify()) return false;
  if (AnyType) return true;
  if (IsBinaryLikeType(AField->DataType())) return bool(AField->OnSetText);
  return true;
}

bool cxFieldHasTextFormat(TField* AField, bool AFlag) {
  if (AField->OnGetText || !AField->EditMask().empty()) return true;
  const TFieldType t = AField->DataType();
  if (IsBinaryLikeType(t) || t == ftBoolean) return AFlag;
  if (AField->FieldKind() == fkAggregate) return false;   // no aggregate fields here
  if (auto* n = dynamic_cast<TNumericField*>(AField)) {
    if (!n->DisplayFormat().empty() || !n->EditFormat().empty()) return true;
    return IsFloatOrBCD(AField) && FieldCurrency(AField);
  }
  if (auto* d = dynamic_cast<TDateTimeField*>(AField)) return !d->DisplayFormat().empty();
  return false;
}

void cxQuoteFieldName(String& S) {
  bool valid = !S.empty();
  for (size_t i = 0; valid && i < S.size(); ++i) valid = IsIdentChar(S[i], i == 0);
  if (valid) return;
  String q = "[";
  for (char c : S) {
    q += c;
    if (c == ']') q += ']';
  }
  S = q + "]";
}

String cxFieldFilterName(TField* AField, bool UseFieldName) {
  if (!AField) return String();
  if (!UseFieldName && !AField->Origin().empty()) return AField->Origin();
  String s = AField->FieldName();
  cxQuoteFieldName(s);
  return s;
}

bool cxSameTextNoCase(const String& A, const String& B) { return AnsiUpperCase(A) == AnsiUpperCase(B); }

bool cxIsMultiFieldList(const String& S) { return cxFieldNameCount(S) > 1; }

Integer cxFieldNameCount(const String& S) { return Integer(SplitFieldNames(S).size()); }

void cxSplitFieldNames(const String& S, TStrings* AList) {
  AList->Clear();
  for (const String& n : SplitFieldNames(S)) AList->Add(n);
}

// ---------------------------------------------------------------------------
// Adapter registry

bool TcxDBAdapterList::FindAdapter(TClass ADataSetClass, Integer& Index) {
  Index = -1;
  for (Integer i = Count() - 1; i >= 0; --i) {
    TClass c = FItems[size_t(i)]->DataSetClass();
    if (ADataSetClass->InheritsFrom(c)) {
      Index = i;
      return true;
    }
    // A registration for a descendant: ours would go before it.
    if (c->InheritsFrom(ADataSetClass)) Index = i;
  }
  return false;
}

void TcxDBAdapterList::RegisterAdapter(TClass ADataSetClass, const TcxDBAdapterItemClass& AItemClass) {
  Integer index;
  const bool found = FindAdapter(ADataSetClass, index);
  std::unique_ptr<TcxDBAdapterItem> item(AItemClass.Create(ADataSetClass));
  if (found)
    FItems.insert(FItems.begin() + index + 1, std::move(item));
  else if (index >= 0)
    FItems.insert(FItems.begin() + index, std::move(item));
  else
    FItems.push_back(std::move(item));
}

void TcxDBAdapterList::UnregisterAdapter(TClass ADataSetClass, TClass AItemClass) {
  for (Integer i = Count() - 1; i >= 0; --i) {
    TcxDBAdapterItem* item = FItems[size_t(i)].get();
    if (item->DataSetClass() == ADataSetClass && item->ClassType() == AItemClass) FItems.erase(FItems.begin() + i);
  }
}

// ---------------------------------------------------------------------------
// Field data link

TcxCustomFieldDataLink::TcxCustomFieldDataLink(TcxCustomDBDataBinding* ABinding) : FDataBinding(ABinding) {
  SetVisualControl(false);
}

void TcxCustomFieldDataLink::SetFieldName(const String& Value) {
  if (FFieldName == Value) return;
  FFieldName = Value;
  UpdateField();
}

void TcxCustomFieldDataLink::UpdateField() {
  if (Active() && !FFieldName.empty()) {
    FField = nullptr;
    TField* f = FDataBinding->DataComponent() ? GetFieldProperty(DataSet(), FDataBinding->DataComponent(), FFieldName)
                                              : DataSet()->FieldByName(FFieldName);
    SetField(f);
  } else {
    SetField(nullptr);
  }
}

void TcxCustomFieldDataLink::SetField(TField* Value) {
  if (FField == Value) return;
  FField = Value;
  FDataBinding->DoFireDataSetChanged();
  EditingChanged();
  RecordChanged(nullptr);
  FieldChanged();
}

void TcxCustomFieldDataLink::ActiveChanged() {
  UpdateField();
  FDataBinding->DoFireDataSetChanged();
}

void TcxCustomFieldDataLink::LayoutChanged() { UpdateField(); }

void TcxCustomFieldDataLink::DataEvent(TDataEvent Event, NativeInt Info) {
  if (Event == deDataSetChange) UpdateField();
  TDataLink::DataEvent(Event, Info);
  if (Event == deDataSetChange) FDataBinding->DoFireDataSetChanged();
}

void TcxCustomFieldDataLink::EditingChanged() { SetEditingFlag(Editing() && CanModifyField()); }

void TcxCustomFieldDataLink::SetEditingFlag(bool Value) {
  if (FEditing == Value) return;
  FEditing = Value;
  if (!FDataBinding->RefreshLocked()) FModified = false;
}

void TcxCustomFieldDataLink::RecordChanged(TField* AField) {
  if (AField && AField != FField) return;
  FDataBinding->NotifyValueChanged();
  if (!FDataBinding->RefreshLocked()) FModified = false;
}

void TcxCustomFieldDataLink::UpdateData() {
  if (!FModified) return;
  if (FField) FDataBinding->DoFireUpdateData();
  if (!FDataBinding->RefreshLocked()) FModified = false;
}

bool TcxCustomFieldDataLink::CanModifyField() const {
  if (ReadOnly() || !FField) return false;
  return FField->CanModify() || (FField->Lookup() && cxCanModifyLookupField(FField));
}

bool TcxCustomFieldDataLink::EditField() {
  if (CanModifyField()) Edit();
  return FEditing;
}

// ---------------------------------------------------------------------------
// Data binding

TcxCustomDBDataBinding::TcxCustomDBDataBinding(TPersistent* AOwner, TComponent* ADataComponent)
    : TcxCustomDataBinding(AOwner, ADataComponent), FDataLink(std::make_unique<TcxCustomFieldDataLink>(this)) {}

TcxCustomDBDataBinding::~TcxCustomDBDataBinding() {
  // The link may still call back while it leaves its data source.
  if (FDataLink) FDataLink->SetDataSource(nullptr);
}

bool TcxCustomDBDataBinding::IsModified() const {
  return IsDataAvailable() && FDataLink->IsEditing() && FDataLink->Modified();
}

bool TcxCustomDBDataBinding::IsReadOnly() const { return FDataLink->ReadOnly(); }

void TcxCustomDBDataBinding::ChangeReadOnly(bool Value) {
  if (FDataLink->ReadOnly() == Value) return;
  FDataLink->SetReadOnly(Value);
  FireDataSetChanged();
}

bool TcxCustomDBDataBinding::CanModify() const {
  TField* f = Field();
  return IsDataAvailable() && !f->ReadOnly() && (f->CanModify() || (f->Lookup() && cxCanModifyLookupField(f)));
}

// Dataset actions act on the bound data source.
bool TcxCustomDBDataBinding::ExecuteAction(TObject* Action) {
  auto* a = dynamic_cast<TBasicAction*>(Action);
  return a && DataLinkExecuteAction(FDataLink.get(), a);
}
bool TcxCustomDBDataBinding::UpdateAction(TObject* Action) {
  auto* a = dynamic_cast<TBasicAction*>(Action);
  return a && DataLinkUpdateAction(FDataLink.get(), a);
}

bool TcxCustomDBDataBinding::IsControlReadOnly() const {
  return IsReadOnly() || (IsDataAvailable() && Field()->ReadOnly());
}

bool TcxCustomDBDataBinding::IsDataAvailable() const {
  TField* f = Field();
  return f && f->DataSet() && f->DataSet()->Active();
}

void TcxCustomDBDataBinding::Reset() { FDataLink->ResetField(); }

void TcxCustomDBDataBinding::UpdateRecord() { FDataLink->UpdateRecord(); }

bool TcxCustomDBDataBinding::SetEditMode() {
  bool r = TcxCustomDataBinding::SetEditMode();
  if (!r) return r;
  ++FRefreshLockCount;
  try {
    FDataLink->EditField();
    r = FDataLink->IsEditing();
    if (r) FDataLink->SetFieldModified();
  } catch (...) {
    --FRefreshLockCount;
    throw;
  }
  --FRefreshLockCount;
  return r;
}

Variant TcxCustomDBDataBinding::GetStoredValue(Integer ValueSource, bool ForEditing) {
  if (!IsDataAvailable()) return Variant::Null();
  TField* f = Field();
  if (f->IsNull() && ValueSource != 1) return Variant::Null();
  switch (ValueSource) {
    case 1:
      return Variant(ForEditing && FDataLink->CanModifyField() ? f->Text() : f->DisplayText());
    case 2:
      if (!f->KeyFields().empty()) return f->DataSet()->FieldValues(f->KeyFields());
      return f->Value();
    default:
      return f->Value();
  }
}

void TcxCustomDBDataBinding::StoreValue(TField* AField, const Variant& Value) {
  // Clearing an editor bound to a non-text field stores Null, not "".
  const TFieldType own = Field()->DataType();
  if (VarIsStr(Value) && Value.AsString().empty() && own != ftString && own != ftWideString)
    AField->SetValue(Variant::Null());
  else
    AField->SetValue(Value);
}

void TcxCustomDBDataBinding::SetStoredValue(Integer ValueSource, const Variant& Value) {
  if (!IsDataAvailable()) return;
  ++FRefreshLockCount;
  try {
    if (FDataLink->EditField()) {
      TField* f = Field();
      if (ValueSource == 1) {
        f->SetText(VarToStr(Value));
      } else if (ValueSource == 0 || f->KeyFields().empty()) {
        StoreValue(f, Value);
      } else {
        TDataSet* ds = f->DataSet();
        const String keys = f->KeyFields();
        if (keys.find(';') != String::npos) {
          const std::vector<TField*> list = ds->GetFieldList(keys);
          for (size_t i = 0; i < list.size(); ++i)
            StoreValue(list[i], Value.IsArray() ? Value.GetElement(Value.LowBound() + Integer(i)) : Value);
          ds->SetFieldValues(keys, Value);
        } else {
          StoreValue(ds->FieldByName(keys), Value);
        }
      }
    }
  } catch (...) {
    --FRefreshLockCount;
    throw;
  }
  --FRefreshLockCount;
}
