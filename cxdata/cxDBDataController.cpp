// Dataset data controller: field binding by name, key fields and the key
// index, keeping the focus and the dataset's cursor together, posting
// through the dataset, grid-mode bookmarks and selection, and the master
// and detail side of controllers over datasets.
#include <algorithm>

#include "DBUtil.h"
#include "Strings.h"
#include "SysUtils.h"
#include "cxDBData.h"
#include "cxVariants.h"

TOVANI_IMPLEMENT_CLASS(TcxDBDataField, TcxCustomDataField)
TOVANI_IMPLEMENT_CLASS(TcxDBDataRelation, TcxCustomDataRelation)
TOVANI_IMPLEMENT_CLASS(TcxDBDataController, TcxCustomDataController)

const TcxResourceString cxSDBKeyFieldNotFound {"Key Field not found"};
const TcxResourceString cxSDBDetailFilterControllerNotFound{
"DetailFilterController not found"};
const TcxResourceString cxSDBNotInGridMode {"DataController not in GridMode"};

namespace {

struct TFlagOn {
  bool& F;
  bool Old;
  TFlagOn(bool& f, bool v = true) : F(f), Old(f) { F = v; }
  ~TFlagOn() { F = Old; }
};

struct TLock {
  TcxCustomDataController* C;
  explicit TLock(TcxCustomDataController* c) : C(c) { C->BeginUpdate(); }
  ~TLock() { C->EndUpdate(); }
};

struct TLocating {
  TcxCustomDataProvider* P;
  explicit TLocating(TcxCustomDataProvider* p) : P(p) { P->EnterLocate(); }
  ~TLocating() { P->LeaveLocate(); }
};

TcxValueTypeClass ValueTypeOfField(TField* F) {
  if (!F) return TcxStringValueType::Class();
  switch (F->DataType()) {
    case ftString: return TcxStringValueType::Class();
    case ftSmallint: return TcxSmallintValueType::Class();
    case ftInteger:
    case ftAutoInc: return TcxIntegerValueType::Class();
    case ftWord: return TcxWordValueType::Class();
    case ftBoolean: return TcxBooleanValueType::Class();
    case ftFloat:
    case ftCurrency: return TcxFloatValueType::Class();
    case ftBCD: return TcxCurrencyValueType::Class();
    case ftDate:
    case ftTime:
    case ftDateTime: return TcxDateTimeValueType::Class();
    case ftWideString: return TcxWideStringValueType::Class();
    case ftLargeint: return TcxLargeIntValueType::Class();
    case ftTimeStamp: return TcxSQLTimeStampValueType::Class();
    case ftFMTBcd: return TcxFMTBcdValueType::Class();
    default: return TcxVariantValueType::Class();
  }
}

// A key value as the bytes of a hash key: the same key gives the same
// bytes whatever the numeric kind it came in (an integer key located with a
// double still matches), texts compare exactly.
void AppendKeyBytes(std::string& Out, const Variant& V) {
  const Variant& v = V.Deref();
  if (v.IsArray()) {
    Out += 'A';
    for (Integer i = v.LowBound(); i <= v.HighBound(); ++i) AppendKeyBytes(Out, v.GetElement(i));
    Out += 'a';
    return;
  }
  if (v.IsNull() || v.IsEmpty()) {
    Out += 'N';
    return;
  }
  if (VarIsStr(v)) {
    Out += 'S';
    const String s = v.AsString();
    Out += std::to_string(s.size());
    Out += ':';
    Out += s;
    return;
  }
  if (v.Kind() == varBoolean) {
    Out += v.AsBoolean() ? "B1" : "B0";
    return;
  }
  if (VarIsNumeric(v) || v.Kind() == varDate || v.Kind() == varCurrency) {
    const double d = v.AsDouble();
    Out += 'D';
    Out.append(reinterpret_cast<const char*>(&d), sizeof d);
    return;
  }
  Out += 'X';
  Out += VarToStr(v);
}

}  // namespace

// ---------------------------------------------------------------------------
// Data field

TcxDBDataField::~TcxDBDataField() {
  if (FParentField) FParentField->RemoveField(this);
  ClearFields();
  if (FField && DataController()) FField->RemoveFreeNotification(DataController()->Notifier());
}

TField* TcxDBDataField::Field() const {
  if (auto* r = dynamic_cast<TcxDBDataField*>(ReferenceField())) return r->Field();
  return FField;
}

void TcxDBDataField::SetField(TField* Value) {
  if (FField == Value) return;
  TComponent* notifier = DataController() ? DataController()->Notifier() : nullptr;
  if (FField && notifier) FField->RemoveFreeNotification(notifier);
  FField = Value;
  if (FField && notifier) FField->FreeNotification(notifier);
}

void TcxDBDataField::AddField(TcxDBDataField* AField) {
  if (AField->FParentField) throw EcxInvalidDataControllerOperation("ADataField.FParentField <> nil");
  FFields.push_back(AField);
  AField->FParentField = this;
}

void TcxDBDataField::RemoveField(TcxDBDataField* AField) {
  FFields.erase(std::remove(FFields.begin(), FFields.end(), AField), FFields.end());
  AField->FParentField = nullptr;
}

void TcxDBDataField::ClearFields() {
  while (!FFields.empty()) delete FFields.back();
}

bool TcxDBDataField::IsLookup() const {
  TField* f = Field();
  return f && f->Lookup();
}

bool TcxDBDataField::IsUnbound() const {
  return !IsInternalField() && FFieldName.empty() && !Field() && ValueDef() != nullptr;
}

bool TcxDBDataField::IsInternalForReading() const {
  auto* c = static_cast<TcxDBDataController*>(DataController());
  if (Field() && !(c && c->IsGridMode())) return false;
  if (IsUnbound() && c && c->UnboundCopy()) return false;
  return true;
}

bool TcxDBDataField::CanModify(Integer AValueSource) const {
  if (IsUnbound()) return true;
  TField* f = Field();
  if (!f) return false;
  if (IsLookup()) {
    if (AValueSource != 2) return false;
    for (TcxDBDataField* s : FFields)
      if (!s->CanModify(0)) return false;
    return !FFields.empty();
  }
  if (!f->CanModify()) return false;
  if (AValueSource == 1) {
    const Integer t = f->DataType();
    const bool binary = t == 12 || t == 13 || (t >= 15 && t <= 22) || (t >= 26 && t <= 29);
    if (binary && !f->OnSetText) return false;
  }
  return true;
}

void TcxDBDataField::TakeOverData(TcxCustomDataField* Source) {
  TcxCustomDataField::TakeOverData(Source);
  if (auto* s = dynamic_cast<TcxDBDataField*>(Source)) {
    SetField(s->FField);
    s->SetField(nullptr);
    FIsCurrency = s->FIsCurrency;
    while (!s->FFields.empty()) {
      TcxDBDataField* sub = s->FFields.front();
      s->RemoveField(sub);
      AddField(sub);
    }
  }
}

void TcxDBDataField::ComponentRemoved(TComponent* AComponent) {
  if (AComponent != FField || !FField) return;
  FField = nullptr;
  auto* c = static_cast<TcxDBDataController*>(DataController());
  if (c && c->DBProvider()) {
    TcxDBDataProvider* p = c->DBProvider();
    TDataSet* ds = p->DataSet();
    if (p->MovingToFirst && ds && !ds->Active() && p->DataLink()->Active()) p->FieldsRecreated = true;
  }
  TcxCustomDataField::ComponentRemoved(AComponent);
}

// ---------------------------------------------------------------------------
// Relation

TcxDBDataRelation::~TcxDBDataRelation() {
  TcxDBDataField* f = FMasterKeyField;
  FMasterKeyField = nullptr;
  delete f;
}

void TcxDBDataRelation::FieldRemoved(TcxCustomDataField* AField) {
  if (AField == FMasterKeyField) FMasterKeyField = nullptr;
}

TcxDBDataController* TcxDBDataRelation::DetailDBController() const {
  return dynamic_cast<TcxDBDataController*>(DetailDataController());
}

String TcxDBDataRelation::DetailKeyFieldNames() const {
  TcxDBDataController* d = DetailDBController();
  return d ? d->DetailLinkFieldNames() : String();
}

String TcxDBDataRelation::MasterKeyFieldNames() const {
  TcxDBDataController* d = DetailDBController();
  return d ? d->MasterLinkFieldNames() : String();
}

bool TcxDBDataRelation::HasMasterKeys() const { return FMasterKeyField && !DetailKeyFieldNames().empty(); }

void TcxDBDataRelation::CollectMasterKeyFields(std::vector<TcxCustomDataField*>& AList) const {
  if (!FMasterKeyField) return;
  if (FMasterKeyField->FieldCount() == 0)
    AList.push_back(FMasterKeyField);
  else
    for (Integer i = 0; i < FMasterKeyField->FieldCount(); ++i) AList.push_back(FMasterKeyField->Fields(i));
}

Variant TcxDBDataRelation::GetMasterKeyValues(Integer ARecord) const {
  TcxCustomDataController* m = DataController();
  m->CheckRecordRange(ARecord);
  Variant v;
  if (!HasMasterKeys()) return v;
  std::vector<TcxCustomDataField*> fields;
  CollectMasterKeyFields(fields);
  m->GetRecordValues(ARecord, fields, v);
  return v;
}

void TcxDBDataRelation::LinkNamesChanged() {
  TcxCustomDataController* m = DataController();
  if (m && m->GetDetailMode() != 2) Changed();
}

// ---------------------------------------------------------------------------
// Controller: construction and parts

TcxDBDataController::TcxDBDataController(TComponent* AOwner)
    : TcxCustomDataController(AOwner), FDataModeController(std::make_unique<TcxDBDataModeController>(this)) {}

TcxDBDataController::~TcxDBDataController() {
  // Leave the data source while every part still exists, and quietly.
  BeforeDestruction();
  if (FProvider) DBProvider()->DataLink()->SetDataSource(nullptr);
  FMasterDetailKeyFields.clear();
  TcxDBDataField* key = FKeyField;
  FKeyField = nullptr;
  delete key;
}

TcxCustomDataField* TcxDBDataController::CreateField(bool) { return new TcxDBDataField(Fields()); }
TcxCustomDataProvider* TcxDBDataController::CreateProvider() { return new TcxDBDataProvider(this); }
TcxDataSelection* TcxDBDataController::CreateSelection() { return new TcxDBDataSelection(this); }
TcxDataFilterCriteria* TcxDBDataController::CreateFilter() { return new TcxDBDataFilterCriteria(this); }
TcxCustomDataRelation* TcxDBDataController::CreateRelation(TcxCustomDataRelationList* AList, TObject* AItem) {
  return new TcxDBDataRelation(AList, AItem);
}

TcxDBDataProvider* TcxDBDataController::DBProvider() const {
  return static_cast<TcxDBDataProvider*>(const_cast<TcxDBDataController*>(this)->Provider());
}

TcxDBDataSelection* TcxDBDataController::DBSelection() const {
  return static_cast<TcxDBDataSelection*>(GetSelection());
}

// ---------------------------------------------------------------------------
// Dataset access

TDataSource* TcxDBDataController::GetDataSource() const { return DBProvider()->DataSource(); }

void TcxDBDataController::SetDataSource(TDataSource* Value) {
  if (GetDataSource() == Value) return;
  DBProvider()->SetDataSource(Value);
  DataSourceChanged();
}

TDataSet* TcxDBDataController::GetDataSet() const { return DBProvider()->DataSet(); }

Integer TcxDBDataController::GetDataSetRecordCount() const {
  TDataSet* ds = GetDataSet();
  return ds && ds->Active() ? ds->RecordCount() : 0;
}

Integer TcxDBDataController::GetRecNo() const {
  TDataSet* ds = GetDataSet();
  return ds && ds->Active() ? ds->RecNo() : -1;
}

void TcxDBDataController::SetRecNo(Integer Value) {
  if (TDataSet* ds = GetDataSet()) ds->SetRecNo(Value);
}

bool TcxDBDataController::IsDataSetSequenced() const {
  TDataSet* ds = GetDataSet();
  return ds && ds->IsSequenced();
}

void TcxDBDataController::SetKeyFieldNames(const String& Value) {
  if (FKeyFieldNames == Value) return;
  FKeyFieldNames = Value;
  if (!Value.empty()) {
    if (!FKeyField) FKeyField = static_cast<TcxDBDataField*>(CreateInternalField());
    NameDataField(FKeyField, Value, false);
  } else {
    TcxDBDataField* f = FKeyField;
    FKeyField = nullptr;
    delete f;
    AddChanges(ccData);
  }
}

void TcxDBDataController::ChangeFieldName(Integer AItem, const String& AFieldName) {
  CheckItemRange(AItem);
  TcxDBDataField* f = DBField(AItem);
  if (f->FieldName() != AFieldName) NameDataField(f, AFieldName, false);
}

TField* TcxDBDataController::GetItemField(Integer AItem) {
  CheckItemRange(AItem);
  return DBField(AItem)->Field();
}

String TcxDBDataController::GetItemFieldName(Integer AItem) {
  CheckItemRange(AItem);
  return DBField(AItem)->FieldName();
}

void TcxDBDataController::GetKeyFields(std::vector<TcxCustomDataField*>& AList) {
  if (!FKeyField) return;
  if (FKeyField->FieldCount() == 0)
    AList.push_back(FKeyField);
  else
    for (Integer i = 0; i < FKeyField->FieldCount(); ++i) AList.push_back(FKeyField->Fields(i));
}

bool TcxDBDataController::IsKeyMode() const { return FKeyField != nullptr && !IsGridMode(); }

Variant TcxDBDataController::GetRecordId(Integer ARecord) {
  CheckRecordRange(ARecord);
  std::vector<TcxCustomDataField*> keys;
  GetKeyFields(keys);
  Variant v;
  GetRecordValues(ARecord, keys, v);
  return v;
}

// The dataset's current values of the key fields.
Variant TcxDBDataController::DataSetKeyValues() {
  TDataSet* ds = GetDataSet();
  std::vector<TcxCustomDataField*> keys;
  GetKeyFields(keys);
  if (!ds || keys.empty()) return Variant::Null();
  std::vector<TField*> fields;
  for (TcxCustomDataField* k : keys) {
    TField* f = static_cast<TcxDBDataField*>(k)->Field();
    if (!f) cxDataControllerError(cxSDBKeyFieldNotFound);
    fields.push_back(f);
  }
  if (fields.size() == 1) return cxGetFieldValue(fields[0]);
  Variant v = VarArrayCreate({0, Integer(fields.size()) - 1}, varVariant);
  for (size_t i = 0; i < fields.size(); ++i) v.PutElement(Integer(i), cxGetFieldValue(fields[i]));
  return v;
}

Integer TcxDBDataController::FindRecordIndexByKey(const Variant& AKey) {
  if (IsGridMode()) {
    for (Integer r = 0; r < GetRecordCount(); ++r) {
      if (!FKeyField) break;
      if (cxVarEquals(GetRecordId(r), AKey)) return r;
    }
    return -1;
  }
  std::vector<TcxCustomDataField*> keys;
  GetKeyFields(keys);
  if (keys.empty()) return -1;
  // The shape of the key must fit the key fields.
  if (keys.size() == 1) {
    if (AKey.IsArray()) return -1;
  } else {
    if (!AKey.IsArray() || AKey.HighBound() - AKey.LowBound() + 1 < Integer(keys.size())) return -1;
  }
  std::string probe;
  if (keys.size() == 1) {
    AppendKeyBytes(probe, AKey);
  } else {
    Variant v = VarArrayCreate({0, Integer(keys.size()) - 1}, varVariant);
    for (size_t i = 0; i < keys.size(); ++i) v.PutElement(Integer(i), AKey.GetElement(AKey.LowBound() + Integer(i)));
    AppendKeyBytes(probe, v);
  }
  auto keyOf = [&](Integer r, std::string& out) {
    out.clear();
    Variant v;
    GetRecordValues(r, keys, v);
    AppendKeyBytes(out, v);
  };
  const UInt64 stamp = DataStorage()->ChangeStamp();
  const bool sameKeys = FKeyIndexNames == FKeyFieldNames;
  Integer found = -1;
  if (sameKeys && FKeyIndexStamp == stamp) {
    auto it = FKeyIndex.find(probe);
    if (it != FKeyIndex.end()) found = it->second;
  } else if (!sameKeys || FKeyScanStamp != stamp) {
    // The first lookup after a change scans (a load looks up one key, the
    // current record's); a second one builds a hash index, so that looking
    // up many keys (a lookup list showing one text per value) is not linear
    // per key.
    FKeyScanStamp = stamp;
    FKeyIndexNames = FKeyFieldNames;
    FKeyIndexStamp = ~UInt64(0);
    FKeyIndex.clear();
    std::string k;
    for (Integer r = 0, n = GetRecordCount(); r < n && found == -1; ++r) {
      keyOf(r, k);
      if (k == probe) found = r;
    }
  } else {
    const Integer n = GetRecordCount();
    FKeyIndex.reserve(size_t(n));
    std::string k;
    for (Integer r = 0; r < n; ++r) {
      keyOf(r, k);
      FKeyIndex.emplace(k, r);   // the first record of a key wins, like a scan
    }
    FKeyIndexStamp = stamp;
    auto it = FKeyIndex.find(probe);
    if (it != FKeyIndex.end()) found = it->second;
  }
  if (found != -1) return found;
  // Keys that the bytes do not catch (a text key field searched by a
  // number): the controller's own comparison decides.
  bool textKey = false;
  for (TcxCustomDataField* f : keys)
    if (f->ValueDef() && f->ValueDef()->IsTextValued()) textKey = true;
  if (!textKey || VarIsStr(AKey)) return -1;
  for (Integer r = 0; r < GetRecordCount(); ++r)
    if (cxVarEquals(GetRecordId(r), AKey)) return r;
  return -1;
}

bool TcxDBDataController::FocusRecordByKey(const Variant& AKey) {
  const Integer r = FindRecordIndexByKey(AKey);
  if (r == -1 && IsGridMode()) {
    TDataSet* ds = GetDataSet();
    bool found = false;
    {
      TLocating locating(Provider());
      if (ds && CheckLocateFields(ds, FKeyFieldNames, AKey)) found = ds->Locate(FKeyFieldNames, AKey, TLocateOptions());
    }
    if (found) {
      // The window moved with the dataset: the focus follows its cursor.
      DBProvider()->CursorMoved(0);
      SetFocusedSelected(true);
    }
    return found;
  }
  const Integer row = r == -1 ? -1 : GetRowIndexByRecordIndex(r, true);
  ChangeFocusedRowIndex(row);
  return row != -1;
}

Integer TcxDBDataController::LocateByKey(const std::function<void(std::vector<TcxCustomDataField*>&)>& AFillKeyFields) {
  std::vector<TcxCustomDataField*> fields;
  AFillKeyFields(fields);
  if (fields.empty() || !GetDataSet()) return -1;
  std::vector<TField*> tfields;
  for (TcxCustomDataField* f : fields) {
    TField* t = static_cast<TcxDBDataField*>(f)->Field();
    if (!t) cxDataControllerError(cxSDBKeyFieldNotFound);
    tfields.push_back(t);
  }
  // The keys of the controller are its key fields: the key index answers.
  std::vector<TcxCustomDataField*> keys;
  GetKeyFields(keys);
  Variant current;
  if (tfields.size() == 1) {
    current = cxGetFieldValue(tfields[0]);
  } else {
    current = VarArrayCreate({0, Integer(tfields.size()) - 1}, varVariant);
    for (size_t i = 0; i < tfields.size(); ++i) current.PutElement(Integer(i), cxGetFieldValue(tfields[i]));
  }
  if (keys == fields) {
    // Most often the dataset still stands on the record the provider
    // remembers (a refresh of the focus, the end of a load).
    const Integer guess = DBProvider()->RecordIndex;
    if (guess >= 0 && guess < GetRecordCount()) {
      Variant v;
      GetRecordValues(guess, keys, v);
      std::string a, b;
      AppendKeyBytes(a, v);
      AppendKeyBytes(b, current);
      if (a == b) return guess;
    }
    return FindRecordIndexByKey(current);
  }
  TcxDataControllerKeyLocateObject locate(this);
  locate.Fields = fields;
  TcxValueDefDBReader reader;
  locate.LoadProbe(&reader);
  return locate.FindRecord();
}

bool TcxDBDataController::CheckLocateFields(TDataSet* ADataSet, const String& AKeyFieldNames, const Variant& AValue) {
  if (!ADataSet) return false;
  const std::vector<String> names = SplitFieldNames(AKeyFieldNames);
  if (names.empty()) return false;
  if (AValue.IsArray()) {
    if (AValue.HighBound() - AValue.LowBound() + 1 != Integer(names.size())) return false;
    for (size_t i = 0; i < names.size(); ++i) {
      TField* f = ADataSet->FindField(names[i]);
      if (!f) return false;
      if (AValue.GetElement(AValue.LowBound() + Integer(i)).IsNull() && f->Is<TAutoIncField>()) return false;
    }
    return true;
  }
  if (names.size() != 1 || AKeyFieldNames.find(';') != String::npos) return false;
  TField* f = ADataSet->FindField(names[0]);
  if (!f) return false;
  return !(AValue.IsNull() && f->Is<TAutoIncField>());
}

// ---------------------------------------------------------------------------
// Overrides

void TcxDBDataController::RefreshData() {
  if (TDataSet* ds = GetDataSet()) ds->Refresh();
}

bool TcxDBDataController::IsDataChangedLocked() const {
  if (TcxCustomDataController::IsDataChangedLocked()) return true;
  TDataSet* ds = FProvider ? DBProvider()->DataSet() : nullptr;
  return IsGridMode() && ds && ds->State() == dsInsert;
}

void TcxDBDataController::SetItemValueTypeClass(Integer Index, TcxValueTypeClass Value) {
  if (DBField(Index)->Field()) return;   // bound items take their type from the field
  TcxCustomDataController::SetItemValueTypeClass(Index, Value);
}

bool TcxDBDataController::IsItemTextCompared(Integer Index, bool ExcludeCurrency) const {
  if (!TcxCustomDataController::IsItemTextCompared(Index, ExcludeCurrency)) return false;
  return !(ExcludeCurrency && cxIsDefaultCurrencyField(DBField(Index)->Field()));
}

Variant TcxDBDataController::GetGroupingValue(Integer ARecord, TcxCustomDataField* AField) {
  auto* f = static_cast<TcxDBDataField*>(AField);
  if (f->IsLookup() && f->FieldCount() > 0) {
    if (f->FieldCount() == 1) return GetRecordValue(ARecord, f->Fields(0));
    Variant v = VarArrayCreate({0, f->FieldCount() - 1}, varVariant);
    for (Integer i = 0; i < f->FieldCount(); ++i) v.PutElement(i, GetRecordValue(ARecord, f->Fields(i)));
    return v;
  }
  return TcxCustomDataController::GetGroupingValue(ARecord, AField);
}

Variant TcxDBDataController::GetFilterValue(Integer ARecord, TcxCustomDataField* AField) {
  auto* f = static_cast<TcxDBDataField*>(AField);
  if (f->IsLookup()) {
    if (f->FieldCount() == 0) return Variant::Null();
    if (f->FieldCount() == 1) return GetRecordValue(ARecord, f->Fields(0));
    Variant v = VarArrayCreate({0, f->FieldCount() - 1}, varVariant);
    for (Integer i = 0; i < f->FieldCount(); ++i) v.PutElement(i, GetRecordValue(ARecord, f->Fields(i)));
    return v;
  }
  return TcxCustomDataController::GetFilterValue(ARecord, AField);
}

String TcxDBDataController::GetFilterFieldName(Integer AItem) {
  if (AItem < 0 || AItem >= GetItemCount()) return String();
  TcxDBDataField* f = DBField(AItem);
  auto* criteria = static_cast<TcxDBDataFilterCriteria*>(Filter());
  const bool useName = criteria->IgnoreOrigin();
  if (!f->Field()) return f->FieldName();
  if (f->IsLookup()) {
    String s;
    for (Integer i = 0; i < f->FieldCount(); ++i) {
      if (!f->Fields(i)->Field()) continue;
      if (!s.empty()) s += ";";
      s += cxFieldFilterName(f->Fields(i)->Field(), useName);
    }
    return s;
  }
  return cxFieldFilterName(f->Field(), useName);
}

Integer TcxDBDataController::GetActiveRecordIndex() {
  if (IsGridMode()) return DBProvider()->DataLink()->ActiveRecord();
  return TcxCustomDataController::GetActiveRecordIndex();
}

Integer TcxDBDataController::GetCurrentRecordIndex() {
  TcxDBDataProvider* p = DBProvider();
  if (IsGridMode()) return p->GridModeFocusedRecord();
  if (p->IsSyncMode()) {
    if (p->IsInserting() && p->EditingRecordIndex() != cxNullEditingRecord) return p->EditingRecordIndex();
    const Integer r = p->RecordIndex;
    return r >= 0 && r < GetRecordCount() ? r : -1;
  }
  return TcxCustomDataController::GetCurrentRecordIndex();
}

bool TcxDBDataController::SearchInDataSet(const String& AText, bool AForward, bool ANext) {
  Search()->Lock();
  bool r;
  try {
    r = DBProvider()->SearchInDataSet(AText, AForward, ANext);
  } catch (...) {
    Search()->Unlock();
    throw;
  }
  Search()->Unlock();
  return r;
}

bool TcxDBDataController::IsProviderField(TcxCustomDataField* AField) const {
  if (TcxCustomDataController::IsProviderField(AField)) return true;
  auto* f = dynamic_cast<TcxDBDataField*>(AField);
  return f && f->Field();
}

bool TcxDBDataController::IsSmartRefresh() const {
  return FDataModeController->SmartRefresh() && IsKeyMode() && !IsGridMode();
}

void TcxDBDataController::FieldNotification(TComponent* AComponent) {
  TcxCustomDataController::FieldNotification(AComponent);
  if (std::find(FMasterDetailKeyFields.begin(), FMasterDetailKeyFields.end(), AComponent) !=
      FMasterDetailKeyFields.end()) {
    for (TField* f : FMasterDetailKeyFields)
      if (f != AComponent) f->RemoveFreeNotification(Notifier());
    FMasterDetailKeyFields.clear();
    FMasterDetailKeyFieldsValid = false;
  }
}

void TcxDBDataController::RecreateStructure() {
  if (!IsGridMode()) DBProvider()->DataLink()->SetBufferCount(1);
  TcxCustomDataController::RecreateStructure();
}

void TcxDBDataController::GridModeStateChanged() { RecreateStructure(); }

void TcxDBDataController::LoadStorage() {
  // A closed dataset whose fields are being rebuilt has nothing to give yet.
  if (IsDataLoadPending() && !FChangingBufferCount) return;
  BeginFullUpdate();
  try {
    TcxCustomDataController::LoadStorage();
  } catch (...) {
    EndFullUpdate();
    throw;
  }
  EndFullUpdate();
  DBProvider()->ClearPostLocate();
}

bool TcxDBDataController::IsDataLoadPending() const {
  if (TcxCustomDataController::IsDataLoadPending() || FChangingBufferCount) return true;
  TcxDBDataProvider* p = FProvider ? DBProvider() : nullptr;
  TDataSet* ds = p ? p->DataSet() : nullptr;
  if (ds && !ds->Active() && ds->DefaultFields())
    return (p->ActiveChanging && FResettingFields) || ds->ControlsDisabled();
  return false;
}

void TcxDBDataController::AfterLoadStorage() {
  TcxDBDataProvider* p = DBProvider();
  if (p->NotifyingListeners) return;
  TFlagOn notifying(p->NotifyingListeners);
  while (!p->Listeners.empty()) {
    TcxDBDataProvider* l = p->Listeners.back();
    p->Listeners.pop_back();
    l->DataLink()->DoDataSetChanged();
  }
}

void TcxDBDataController::Loaded() {
  if (!FLoaded && DBProvider()->CanBuildFields()) LayoutChanged(1);
  TcxCustomDataController::Loaded();
  FLoaded = true;
}

void TcxDBDataController::RecordDeleted(Integer ARecord) {
  TcxCustomDataController::RecordDeleted(ARecord);
  TcxDBDataProvider* p = DBProvider();
  if (p->UpdatingRecordIndex == ARecord) p->UpdatingRecordIndex = cxNullEditingRecord;
  if (p->UpdatingPrevFocusedRecordIndex == ARecord) p->UpdatingPrevFocusedRecordIndex = -1;
}

void TcxDBDataController::BeforeFieldRemove(TcxCustomDataField* AField) {
  TcxCustomDataController::BeforeFieldRemove(AField);
  if (AField == FKeyField) FKeyField = nullptr;
  // Summary items bound by field name own a field of their own.
  auto forget = [AField](TcxDataSummaryItems* AItems) {
    if (!AItems) return;
    for (Integer i = 0; i < AItems->Count(); ++i)
      if (auto* item = dynamic_cast<TcxDBDataSummaryItem*>(AItems->Items(i))) item->OwnFieldRemoved(AField);
  };
  if (TcxDataSummary* s = IsDestroying() ? nullptr : Summary()) {
    forget(s->FooterSummaryItems());
    forget(s->DefaultGroupSummaryItems());
    for (Integer g = 0; g < s->SummaryGroups()->Count(); ++g) forget(s->SummaryGroups()->Items(g)->SummaryItems());
  }
}

void TcxDBDataController::ReloadData() {
  TcxCustomDataController::ReloadData();
  RebindRelationKeyFields();
}

// ---------------------------------------------------------------------------
// Field binding

void TcxDBDataController::UpdateField(TcxCustomDataField* AField) {
  BindField(static_cast<TcxDBDataField*>(AField), false);
}

void TcxDBDataController::UpdateFields() {
  TcxCustomDataController::UpdateFields();
  // Key sub-fields of lookup fields made in the first pass get bound too.
  for (Integer i = 0; i < Fields()->Count(); ++i) BindField(static_cast<TcxDBDataField*>(Fields()->Items(i)), true);
}

void TcxDBDataController::ReportFieldTypeChange(TcxDBDataField* AField) {
  auto report = [this](TcxCustomDataField* f) {
    if (f->IsInternalField() || !f->Item()) return;
    const Integer i = ItemIndexOfField(f);
    if (i >= 0) ItemValueTypeChanged(i);
  };
  report(AField);
  for (Integer i = 0; i < Fields()->Count(); ++i)
    if (Fields()->Items(i)->ReferenceField() == AField) report(Fields()->Items(i));
}

void TcxDBDataController::UpdateFieldSettings(TcxDBDataField* AField, bool ATFieldChanged) {
  TField* t = AField->Field();
  bool reported = false;
  for (int pass = 0; pass < 4; ++pass) {
    const Integer item = AField->Item() ? ItemIndexOfField(AField) : -1;
    const bool editText = item >= 0 && GetItemValueSource(item) == 1;
    const bool textStored = cxFieldHasTextFormat(t, editText);
    const TcxValueTypeClass type = ValueTypeOfField(t);
    const bool currency = cxIsDefaultCurrencyField(t);
    const bool typeChanged = AField->ValueTypeClass() != type;
    if (!typeChanged && currency == AField->FIsCurrency && textStored == AField->TextStored()) break;
    AField->BeginRecreateData();
    AField->SetValueTypeClass(type);
    AField->SetTextStored(textStored);
    AField->FIsCurrency = currency;
    AField->EndRecreateData();
    if (typeChanged) {
      ReportFieldTypeChange(AField);
      reported = true;
    }
  }
  if (ATFieldChanged && !reported) ReportFieldTypeChange(AField);
}

void TcxDBDataController::BindField(TcxDBDataField* AField, bool ASubFieldsOnly) {
  if (AField->ReferenceField()) return;
  if (ASubFieldsOnly && !(AField->ParentField() && AField->ParentField()->IsLookup())) return;
  TDataSet* ds = GetDataSet();
  if (!ds) return;
  TField* old = AField->FField;
  TField* nf = nullptr;
  if (!FResettingFields && !AField->FieldName().empty()) {
    nf = ds->FindField(AField->FieldName());
    if (!nf) nf = ds->AggFields().FindField(AField->FieldName());
    if (nf && nf->ComponentState().Contains(csDestroying)) nf = nullptr;
  }
  AField->SetField(nf);
  if (!nf) {
    ReportFieldTypeChange(AField);
    return;
  }
  if (nf != old || !IsEnsuringDetailQuery()) {
    UpdateFieldSettings(AField, nf != old);
    if (nf->Lookup()) NameDataField(AField, nf->KeyFields(), true);
  }
}

void TcxDBDataController::NameDataField(TcxDBDataField* AField, const String& ANames, bool AsLookupKeys) {
  AField->ClearFields();
  if (!AsLookupKeys) {
    AField->FFieldName = ANames;
  }
  const TcxValueTypeClass before = AField->ValueTypeClass();
  if (AsLookupKeys || cxIsMultiFieldList(ANames)) {
    TLock lock(this);
    AField->SetReferenceField(nullptr);
    for (const String& n : SplitFieldNames(ANames)) {
      auto* sub = static_cast<TcxDBDataField*>(CreateInternalField());
      AField->AddField(sub);
      NameDataField(sub, n, false);
    }
    return;
  }
  // Another field of the same name: both share one column.
  TcxDBDataField* same = nullptr;
  const String upper = AnsiUpperCase(ANames);
  if (!ANames.empty())
    for (Integer i = 0; i < Fields()->Count(); ++i) {
      auto* f = static_cast<TcxDBDataField*>(Fields()->Items(i));
      if (f == AField || f->ReferenceField() || f->FieldCount() > 0) continue;
      if (AnsiUpperCase(f->FieldName()) == upper) {
        same = f;
        break;
      }
    }
  if (same) {
    AField->SetReferenceField(same);
    AddChanges(ccData);
  } else {
    AField->SetReferenceField(nullptr);
    if (ANames.empty() && !AField->IsInternalField() && AField->ValueTypeClass() == nullptr) {
      // An unbound field keeps a column of its own (strings by default).
      AField->SetValueTypeClass(TcxStringValueType::Class());
    }
    LayoutChanged(1);
  }
  if (!AField->IsInternalField() && AField->ValueTypeClass() != before && AField->Item()) {
    const Integer i = ItemIndexOfField(AField);
    if (i >= 0) ItemValueTypeChanged(i);
  }
}

void TcxDBDataController::DetachFields() {
  TFlagOn resetting(FResettingFields);
  UpdateFields();
}

void TcxDBDataController::UpdateGridModeBufferCount() {
  if (!IsGridMode()) return;
  TFlagOn changing(FChangingBufferCount);
  DBProvider()->UpdateGridModeBuffer();
}

void TcxDBDataController::UpdateEditingRecord() {
  TcxDBDataProvider* p = DBProvider();
  if (!IsEditing()) return;
  p->UpdatingRecordIndex = p->EditingRecordIndex();
  p->UpdatingRecordIsInserting = p->IsInserting();
  RereadRecord(p->UpdatingRecordIndex);
}

void TcxDBDataController::RereadRecord(Integer ARecord) {
  if (ARecord == cxNullEditingRecord || IsGridMode()) return;
  CheckRecordRange(ARecord);
  TcxValueDefDBReader reader;
  DataControllerInfo()->SnapshotBeforeChange();
  DataStorage()->LoadRecord(ARecord, &reader);
  RecordRead(ARecord);
  if (!DBProvider()->InCanInitEditing) AddChanges(ccRecordEdit);
  DataChanged(dcRecord, -1, ARecord);
}

// ---------------------------------------------------------------------------
// Focus and the dataset's cursor

void TcxDBDataController::RestoreFocus() {
  TLock lock(this);
  TcxDBDataProvider* p = DBProvider();
  if (p->IsSyncMode()) {
    if (IsPatternController() && !IsLoading() && !p->ActiveChanging && !p->IsDataSetBusy() &&
        GetMasterRelation()) {
      SyncMasterPosition();
    }
    if (IsKeyMode() && GetRecordCount() > 0 && GetDataSet() && !GetDataSet()->IsEmpty()) {
      const Integer r = LocateByKey([this](std::vector<TcxCustomDataField*>& l) { GetKeyFields(l); });
      if (r != -1 && r != p->RecordIndex) p->RecordIndex = r;
    }
  }
  DataControllerInfo()->TakeFocusFromController();
}

void TcxDBDataController::ProviderScrolled(Integer) { RestoreFocus(); }

bool TcxDBDataController::SyncDataSetPos(Integer ARecord) {
  if (ARecord < 0) return false;
  TDataSet* ds = GetDataSet();
  if (!ds) return false;
  TcxDBDataProvider* p = DBProvider();
  if (IsKeyMode()) {
    const Variant k = GetRecordId(ARecord);
    if (ARecord == p->RecordIndex && cxVarEquals(k, DataSetKeyValues())) {
      CheckBrowseMode();
      return true;
    }
    CheckBrowseMode();
    const bool found = ds->Locate(FKeyFieldNames, k, TLocateOptions());
    if (found) p->RecordIndex = ARecord;
    return found;
  }
  CheckBrowseMode();
  const Integer d = ARecord - p->RecordIndex;
  if (d != 0) ds->MoveBy(d);
  return true;
}

bool TcxDBDataController::CanFocusRecord(Integer ARecord) {
  TcxDBDataProvider* p = DBProvider();
  if ((p->IsInserting() && ARecord == p->EditingRecordIndex()) || (UseNewItemRowForEditing() && ARecord < 0)) {
    if (!p->IsInserting() && ARecord < 0) Post(false);
    return true;
  }
  bool r;
  {
    TLocating locating(p);
    const bool detailSync = IsDetailMode() && FDataModeController->DetailSyncEnabled;
    if (detailSync && p->ResettingDataSetCurrent) {
      r = TcxCustomDataController::CanFocusRecord(ARecord);
    } else {
      if (detailSync) EnsureDetailQuery();
      r = p->IsSyncMode() ? SyncDataSetPos(ARecord) : TcxCustomDataController::CanFocusRecord(ARecord);
    }
  }
  AfterLoad();
  return r;
}

void TcxDBDataController::CheckBrowseMode() {
  TFlagOn checking(FInCheckBrowseMode);
  TDataSet* ds = GetDataSet();
  if (ds) {
    if (ds->Active()) ds->DataEvent(deCheckBrowseMode, 0);
    if (ds->State() == dsEdit || ds->State() == dsInsert) {
      ds->UpdateRecord();
      if (DBProvider()->IsDataSetModified()) {
        if (!IsSmartRefresh() && !IsGridMode()) {
          ds->DisableControls();
          try {
            ds->Post();
          } catch (...) {
            ds->EnableControls();
            throw;
          }
          ds->EnableControls();
        } else {
          ds->Post();
        }
      } else {
        Cancel();
      }
    }
  }
  PostDetailEdits();
}

void TcxDBDataController::CheckDetailSource() {
  if (FDataModeController->DetailSyncEnabled) EnsureDetailQuery();
}

// ---------------------------------------------------------------------------
// Grid-mode bookmark

bool TcxDBDataController::SetBookmark() {
  if (!IsGridMode()) return TcxCustomDataController::SetBookmark();
  TDataSet* ds = GetDataSet();
  if (!ds) return false;
  const TBookmark b = ds->Bookmark();
  if (!FGridModeBookmark.empty() && FGridModeBookmark == b) return false;
  FGridModeBookmark = b;
  return true;
}

void TcxDBDataController::GotoBookmark() {
  if (!IsGridMode()) {
    TcxCustomDataController::GotoBookmark();
    return;
  }
  TDataSet* ds = GetDataSet();
  if (ds && !FGridModeBookmark.empty()) ds->GotoBookmark(FGridModeBookmark);
  UpdatePrevSelectionInfo();
}

void TcxDBDataController::ClearBookmark() {
  TcxCustomDataController::ClearBookmark();
  FGridModeBookmark.clear();
}

bool TcxDBDataController::IsBookmarkRecordInvalid(Integer ARecord) const {
  if (!IsGridMode()) return TcxCustomDataController::IsBookmarkRecordInvalid(ARecord);
  TDataSet* ds = GetDataSet();
  return !ds || !ds->BookmarkValid(FGridModeBookmark);
}

void TcxDBDataController::CheckBookmark(Integer ARecord) {
  if (!IsGridMode()) {
    TcxCustomDataController::CheckBookmark(ARecord);
    return;
  }
  if (!FGridModeBookmark.empty() && IsBookmarkRecordInvalid(ARecord)) FGridModeBookmark.clear();
}

bool TcxDBDataController::IsGridModeBookmarkRow(Integer ARow) const {
  return !FGridModeBookmark.empty() && DBSelection()->RowBookmark(ARow) == FGridModeBookmark;
}

// ---------------------------------------------------------------------------
// Selection in grid mode

void TcxDBDataController::CheckGridMode() const {
  if (!IsGridMode()) cxDataControllerError(cxSDBNotInGridMode);
}

TBookmark TcxDBDataController::GetSelectedBookmark(Integer AIndex) {
  CheckGridMode();
  if (IsSingleSelect()) return DBSelection()->RowBookmark(GetFocusedRowIndex());
  return DBSelection()->Bookmarks(AIndex);
}

TBookmark TcxDBDataController::GetSelectionAnchorBookmark() {
  CheckGridMode();
  return DBSelection()->AnchorBookmark;
}

Integer TcxDBDataController::GetSelectedRowIndexByBookmark(Integer AIndex) {
  if (!IsGridMode()) return GetSelectedRowIndex(AIndex);
  const TBookmark b = DBSelection()->Bookmarks(AIndex);
  const Integer rows = GetRowCount();
  if (rows == 0) return -1;
  TcxDBDataProvider* p = DBProvider();
  if (p->CompareBookmarks(b, DBSelection()->RowBookmark(0)) < 0 ||
      p->CompareBookmarks(b, DBSelection()->RowBookmark(rows - 1)) > 0)
    return -1;
  for (Integer r = 0; r < rows; ++r)
    if (DBSelection()->RowBookmark(r) == b) return r;
  return -1;
}

Integer TcxDBDataController::GetSelectionAnchorRowIndex() const {
  if (IsGridMode()) return -1;
  return TcxCustomDataController::GetSelectionAnchorRowIndex();
}

bool TcxDBDataController::IsSelectionAnchorSet() const {
  if (IsGridMode()) return !DBSelection()->AnchorBookmark.empty();
  return TcxCustomDataController::IsSelectionAnchorSet();
}

void TcxDBDataController::SetSelectionAnchor(Integer ARow) {
  if (!IsGridMode()) {
    TcxCustomDataController::SetSelectionAnchor(ARow);
    return;
  }
  DataControllerInfo()->CheckRow(ARow);
  DBSelection()->AnchorBookmark = DBSelection()->RowBookmark(ARow);
}

void TcxDBDataController::SelectFromAnchor(Integer ARow, bool AKeepSelection) {
  if (!IsGridMode()) {
    TcxCustomDataController::SelectFromAnchor(ARow, AKeepSelection);
    return;
  }
  DataControllerInfo()->CheckRow(ARow);
  if (!DBSelection()->AnchorBookmark.empty()) DBSelection()->SelectRange(DBSelection()->RowBookmark(ARow), AKeepSelection);
}

void TcxDBDataController::SelectAll() {
  if (IsGridMode())
    DBSelection()->SelectAll();
  else
    TcxCustomDataController::SelectAll();
}

bool TcxDBDataController::FocusSelectedBookmark(Integer AIndex) {
  TDataSet* ds = GetDataSet();
  if (!ds) return false;
  ds->GotoBookmark(GetSelectedBookmark(AIndex));
  return true;
}

void TcxDBDataController::ForEachRowOfDataSet(bool ASelectedOnly, const TcxForEachRowProc& AProc) {
  TDataSet* ds = GetDataSet();
  if (!ds) return;
  auto visit = [&] {
    const Integer row = GetFocusedRowIndex();
    AProc(row, row >= 0 ? GetRowInfo(row) : TcxRowInfo());
  };
  if (ASelectedOnly && IsSingleSelect()) {
    visit();
  } else if (ASelectedOnly) {
    for (Integer i = 0; i < DBSelection()->BookmarkCount(); ++i) {
      ds->GotoBookmark(DBSelection()->Bookmarks(i));
      visit();
    }
  } else {
    ds->First();
    while (!ds->Eof()) {
      visit();
      ds->Next();
    }
  }
}

Variant TcxDBDataController::GetSelectionKey(Integer ARow) {
  if (IsGridMode() && ARow >= 0) return Variant(DBSelection()->RowBookmark(ARow));
  return TcxCustomDataController::GetSelectionKey(ARow);
}
