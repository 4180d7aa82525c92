#include "cxDBLookupEdit.h"

#include <algorithm>

#include "DB.h"
#include "cxDBData.h"
#include "cxDataUtils.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomDBLookupEditLookupData, TcxCustomLookupEditLookupData)
TOVANI_IMPLEMENT_CLASS(TcxCustomDBLookupEditProperties, TcxCustomLookupEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomDBLookupEdit, TcxCustomLookupEdit)
TOVANI_IMPLEMENT_CLASS(TcxDBLookupEditDataBinding, TcxDBTextEditDataBinding)

const TcxResourceString cxSEditPropertyAlreadyDefinedByLookup{"Property already defined by lookup field"};
const TcxResourceString cxSEditCircularDataLinks{"Circular datalinks are not allowed"};

namespace {
struct TListLock {
  TcxCustomLookupEditProperties* Props;
  explicit TListLock(TcxCustomLookupEditProperties* AProps) : Props(AProps) { Props->BeginListLock(); }
  ~TListLock() { Props->EndListLock(); }
};

bool IsDataOrVariantError(const Exception& E) {
  return dynamic_cast<const EDatabaseError*>(&E) || dynamic_cast<const EVariantError*>(&E);
}
}  // namespace

// ---------------------------------------------------------------------------
// Lookup data

void TcxCustomDBLookupEditLookupData::SetKeyFromRecord(Integer ARecordIndex) {
  TcxCustomDataController* dc = ListController();
  StoreKey(ARecordIndex == -1 || !dc ? Variant::Null() : dc->GetRecordId(ARecordIndex));
}

void TcxCustomDBLookupEditLookupData::FocusKeyRecord() {
  auto* props = static_cast<TcxCustomDBLookupEditProperties*>(ActiveProperties());
  TcxDBDataController* dc = props->GetListDBDataController();
  if (!dc) return;
  TListLock lock(props);
  try {
    dc->FocusRecordByKey(Key());
  } catch (Exception& e) {
    // A key of the wrong type or a closed list dataset: the key is simply
    // not found.
    if (!IsDataOrVariantError(e)) throw;
  }
}

// ---------------------------------------------------------------------------
// Properties

TcxCustomDBLookupEditProperties::TcxCustomDBLookupEditProperties(TPersistent* AOwner)
    : TcxCustomLookupEditProperties(AOwner) {}

TcxCustomDBLookupEditProperties::~TcxCustomDBLookupEditProperties() {
  SetLookupField(nullptr);
  FFreeNotificator.reset();
  FLookupList.reset();
  FCachedListSource.reset();
}

void TcxCustomDBLookupEditProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomDBLookupEditProperties*>(Source);
  if (!src) {
    TcxCustomLookupEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomLookupEditProperties::Assign(Source);
    FCaseSensitiveSearch = src->FCaseSensitiveSearch;
    if (!IsDefinedByLookup()) SetKeyFieldNames(src->KeyFieldNames());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomDBLookupEditProperties::Changed() {
  if (FInChanged) {
    TcxCustomLookupEditProperties::Changed();
    return;
  }
  FInChanged = true;
  try {
    ApplyGridMode();
    LinkLookupField();
    ApplyLookupResultField();
  } catch (...) {
    FInChanged = false;
    throw;
  }
  FInChanged = false;
  TcxCustomLookupEditProperties::Changed();
}

String TcxCustomDBLookupEditProperties::KeyFieldNames() {
  TcxDBDataController* dc = GetListDBDataController();
  return dc ? dc->KeyFieldNames() : String();
}

void TcxCustomDBLookupEditProperties::SetKeyFieldNames(const String& Value) {
  if (IsDefinedByLookup() && !FAdopting) DatabaseError(cxLoadResourceText(cxSEditPropertyAlreadyDefinedByLookup));
  if (TcxDBDataController* dc = GetListDBDataController()) dc->SetKeyFieldNames(Value);
}

String TcxCustomDBLookupEditProperties::ListFieldNames() {
  String s;
  for (Integer i = 0; i < GetListColumnCount(); ++i) {
    String name;
    GetListColumnFieldName(i, name);
    if (i > 0) s += ";";
    s += name;
  }
  return s;
}

void TcxCustomDBLookupEditProperties::SetListFieldNames(const String& Value) {
  const bool changed = Value != ListFieldNames();
  BeginListColumnsUpdate();
  try {
    SetListFieldNamesText(Value);
    ApplyLookupResultField();
    ClampListFieldIndex();
  } catch (...) {
    EndListColumnsUpdate();
    throw;
  }
  EndListColumnsUpdate();
  if (changed) Changed();
}

void TcxCustomDBLookupEditProperties::SetGridMode(bool Value) {
  if (Value == GridMode()) return;
  if (Value)
    FLookupList = std::make_unique<TcxLookupList>();
  else
    FLookupList.reset();
  Changed();
}

TField* TcxCustomDBLookupEditProperties::BoundField() {
  auto* provider = dynamic_cast<TcxCustomDBEditDefaultValuesProvider*>(DefaultValuesProvider());
  return provider ? provider->Field() : nullptr;
}

TField* TcxCustomDBLookupEditProperties::BoundLookupField() {
  TField* f = BoundField();
  if (!f || !f->Lookup() || f->ComponentState().Contains(csDestroying)) return nullptr;
  return f;
}

TField* TcxCustomDBLookupEditProperties::ListTextField() {
  const Integer i = GetEffectiveListIndex();
  return i == -1 ? nullptr : GetListColumnField(i);
}

bool TcxCustomDBLookupEditProperties::KeyIsListField() {
  const String keys = KeyFieldNames();
  if (keys.empty() || cxIsMultiFieldList(keys)) return false;
  TcxDBDataController* dc = GetListDBDataController();
  TDataSet* ds = dc ? dc->GetDataSet() : nullptr;
  if (!ds) return false;
  TField* f = ds->FindField(keys);
  if (!f || f != ListTextField()) return false;
  return DropDownListStyle() == lsEditList || dynamic_cast<TStringField*>(f) != nullptr;
}

String TcxCustomDBLookupEditProperties::LookupResultName() {
  TField* f = BoundLookupField();
  return f ? f->LookupResultField() : String();
}

void TcxCustomDBLookupEditProperties::LinkLookupField() {
  SetLookupField(BoundLookupField());
  CheckCircularLink();
}

void TcxCustomDBLookupEditProperties::ApplyLookupResultField() {
  const String name = LookupResultName();
  if (!name.empty()) AddListColumnForField(name);
}

void TcxCustomDBLookupEditProperties::SetLookupField(TField* AField) {
  if (AField == FLookupField) return;
  FLookupField = AField;
  TcxDBDataController* dc = GetListDBDataController();
  if (AField) {
    if (!FCachedListSource) FCachedListSource = std::make_unique<TDataSource>(nullptr);
    FListSourceInUse = FCachedListSource.get();
    FFreeNotificator = std::make_unique<TcxFreeNotificator>();
    FFreeNotificator->OnComponentFreed = [this](TObject*, TComponent* C) { LookupSourceFreed(C); };
    FFreeNotificator->AddSender(AField);
    FListSourceInUse->SetDataSet(AField->LookupDataSet());
    if (dc) {
      FAdopting = true;
      try {
        dc->SetDataSource(FListSourceInUse);
        // The result column goes in front of the user's columns, which stay.
        if (FindListColumnByFieldName(AField->LookupResultField()) == -1)
          AddListColumnForField(AField->LookupResultField());
        SetKeyFieldNames(AField->LookupKeyFields());
        SetListFieldIndex(0);
      } catch (...) {
        FAdopting = false;
        throw;
      }
      FAdopting = false;
    }
  } else {
    FFreeNotificator.reset();
    FListSourceInUse = nullptr;
    if (dc && FCachedListSource && dc->GetDataSource() == FCachedListSource.get()) dc->SetDataSource(nullptr);
  }
}

void TcxCustomDBLookupEditProperties::CheckCircularLink() {
  TField* field = BoundField();
  TcxDBDataController* dc = GetListDBDataController();
  if (!field || !dc || !dc->GetDataSource()) return;
  TDataSet* list = dc->GetDataSource()->DataSet();
  if (!list) return;
  // Up through the master sources of the bound field's dataset; a cycle of
  // masters ends the walk.
  std::vector<TDataSet*> seen;
  for (TDataSet* ds = field->DataSet(); ds; ) {
    if (ds == list) DatabaseError(cxLoadResourceText(cxSEditCircularDataLinks));
    if (std::find(seen.begin(), seen.end(), ds) != seen.end()) break;
    seen.push_back(ds);
    TDataSource* master = ds->GetDataSource();
    ds = master ? master->DataSet() : nullptr;
  }
}

void TcxCustomDBLookupEditProperties::ClearDefaultValuesProvider() {
  TcxCustomLookupEditProperties::ClearDefaultValuesProvider();
  BeginUpdate();
  try {
    Changed();
  } catch (...) {
    EndUpdate(false);
    throw;
  }
  EndUpdate(false);
}

TcxEditValueSource TcxCustomDBLookupEditProperties::UsesDataDisplayFormat(bool AEditFocused) {
  if (BoundLookupField()) return AEditFocused ? evsKey : evsText;
  return TcxCustomLookupEditProperties::UsesDataDisplayFormat(AEditFocused);
}

void TcxCustomDBLookupEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                          bool AEditFocused) {
  if (KeyIsListField() && DropDownListStyle() != lsEditList && !AEditFocused) {
    ADisplayValue = Variant(VarToStr(AEditValue));
    return;
  }
  TcxCustomLookupEditProperties::PrepareDisplayValue(AEditValue, ADisplayValue, AEditFocused);
}

bool TcxCustomDBLookupEditProperties::EditValueIsText() {
  return DropDownListStyle() == lsEditList && KeyIsListField();
}

void TcxCustomDBLookupEditProperties::BeginListLock() {
  TcxCustomLookupEditProperties::BeginListLock();
  TcxDBDataController* dc = GetListDBDataController();
  if (dc && dc->IsGridMode()) {
    ++FGridModeLockCount;
    dc->BeginGridModeLock();
  }
}

void TcxCustomDBLookupEditProperties::EndListLock() {
  if (FGridModeLockCount > 0) {
    if (TcxDBDataController* dc = GetListDBDataController()) dc->EndGridModeLock();
    --FGridModeLockCount;
  }
  TcxCustomLookupEditProperties::EndListLock();
}

void TcxCustomDBLookupEditProperties::SetListFieldIndex(Integer AIndex) {
  if (IsDefinedByLookup() && !FAdopting) DatabaseError(cxLoadResourceText(cxSEditPropertyAlreadyDefinedByLookup));
  TcxCustomLookupEditProperties::SetListFieldIndex(AIndex);
}

Integer TcxCustomDBLookupEditProperties::FindRecordByText(Integer AItemIndex, const String& AText, bool APartial) {
  if (!GridMode()) return TcxCustomLookupEditProperties::FindRecordByText(AItemIndex, AText, APartial);
  Integer result = -1;
  TcxDBDataController* dc = GetListDBDataController();
  if (!dc) return -1;
  TListLock lock(this);
  try {
    TDataSet* ds = dc->GetDataSet();
    if (ds && ds->Active() && AItemIndex != -1) {
      const String fieldName = dc->GetItemFieldName(AItemIndex);
      TField* f = ds->FindField(fieldName);
      Variant value(AText);
      if (AText.empty() && !dynamic_cast<TStringField*>(f)) value = Variant::Null();
      TLocateOptions options;
      if (!FCaseSensitiveSearch) options.Include(loCaseInsensitive);
      if (APartial) options.Include(loPartialKey);
      if (ds->Locate(fieldName, value, options)) result = dc->GetFocusedRecordIndex();
    }
  } catch (Exception& e) {
    if (!IsDataOrVariantError(e)) throw;
    result = -1;
  }
  return result;
}

Integer TcxCustomDBLookupEditProperties::GetListFieldIndex() {
  const String name = LookupResultName();
  if (!name.empty()) return FindListColumnByFieldName(name);
  return TcxCustomLookupEditProperties::GetListFieldIndex();
}

void TcxCustomDBLookupEditProperties::GetKeyDisplayText(const Variant& AKey, String& AText) {
  AText.clear();
  const Integer item = GetEffectiveListIndex();
  TcxDBDataController* dc = GetListDBDataController();
  if (item == -1 || !dc) return;
  if (FLookupList) {
    Integer index = 0;
    if (FLookupList->Find(AKey, index)) {
      AText = FLookupList->GetItem(index).DisplayText;
      return;
    }
    {
      TListLock lock(this);
      try {
        TDataSet* ds = dc->GetDataSet();
        TField* field = ListTextField();
        const String keys = KeyFieldNames();
        if (ds && ds->Active() && field && TcxDBDataController::CheckLocateFields(ds, keys, AKey) &&
            ds->Locate(keys, AKey, TLocateOptions{}))
          AText = field->AsString();
      } catch (Exception& e) {
        if (!IsDataOrVariantError(e)) throw;
        AText.clear();
      }
    }
    FLookupList->Insert(index, AKey, AText);
    return;
  }
  Integer record = -1;
  try {
    record = dc->FindRecordIndexByKey(AKey);
  } catch (EVariantError&) {
    record = -1;
  }
  if (record != -1) AText = dc->GetDisplayText(record, item);
}

TAlignment TcxCustomDBLookupEditProperties::GetDefaultHorzAlignment() {
  if (TField* f = ListTextField()) return f->Alignment();
  return TcxCustomLookupEditProperties::GetDefaultHorzAlignment();
}

Integer TcxCustomDBLookupEditProperties::GetDefaultMaxLength() {
  if (TField* f = ListTextField()) return f->Size();
  return TcxCustomLookupEditProperties::GetDefaultMaxLength();
}

bool TcxCustomDBLookupEditProperties::UsesIncrementalFiltering() {
  return !GridMode() && TcxCustomLookupEditProperties::UsesIncrementalFiltering();
}

TcxTextEditLookupDataFactory TcxCustomDBLookupEditProperties::GetLookupDataType() {
  return [](TcxCustomTextEdit* AOwner) -> TcxCustomTextEditLookupData* {
    return new TcxCustomDBLookupEditLookupData(AOwner);
  };
}

void TcxCustomDBLookupEditProperties::GetNullKey(Variant& AKey) {
  const String keys = KeyFieldNames();
  if (!cxIsMultiFieldList(keys)) {
    AKey = Variant::Null();
    return;
  }
  const Integer n = cxFieldNameCount(keys);
  AKey = VarArrayCreate({0, n - 1}, varVariant);
  for (Integer i = 0; i < n; ++i) AKey.PutElement(i, Variant::Null());
}

void TcxCustomDBLookupEditProperties::ApplyGridMode() {
  if (FLookupList) FLookupList->Clear();
  if (TcxDBDataController* dc = GetListDBDataController()) dc->DataModeController()->SetGridMode(GridMode());
}

TClass TcxCustomDBLookupEditProperties::GetContainerClass() { return TcxCustomDBLookupEdit::StaticClass(); }

// ---------------------------------------------------------------------------
// Editor

TcxCustomDBLookupEdit::TcxCustomDBLookupEdit(TComponent* AOwner, bool AIsInplace,
                                             const TcxEditPropertiesFactory& AProperties)
    : TcxCustomLookupEdit(AOwner, AIsInplace,
                          AProperties ? AProperties : [](TPersistent* AOwner) -> TcxCustomEditProperties* {
                            return new TcxCustomDBLookupEditProperties(AOwner);
                          }) {}

void TcxCustomDBLookupEdit::GetResetValue(Variant& AValue) {
  TcxCustomDBLookupEditProperties* props = ActiveProperties();
  const String keys = props->KeyFieldNames();
  if (props->UsesDataDisplayFormat(UsesEditFormat()) == evsKey && keys.find(';') != String::npos) {
    TcxDBDataController* dc = props->GetListDBDataController();
    TDataSet* ds = dc ? dc->GetDataSet() : nullptr;
    const Integer n = ds ? Integer(ds->GetFieldList(keys).size()) : cxFieldNameCount(keys);
    AValue = VarArrayCreate({0, n - 1}, varVariant);
    for (Integer i = 0; i < n; ++i) AValue.PutElement(i, Variant::Null());
    return;
  }
  TcxCustomLookupEdit::GetResetValue(AValue);
}

bool TcxCustomDBLookupEdit::IsCharValidForData(char32_t AChar) {
  if (TField* f = ActiveProperties()->ListTextField()) return f->IsValidChar(AChar);
  return true;
}

void TcxCustomDBLookupEdit::ItemIndexAsLookupKey(Integer AIndex, Variant& AKey) {
  TcxCustomDataController* dc = ActiveProperties()->GetListDataController();
  AKey = AIndex == -1 || !dc ? Variant::Null() : dc->GetRecordId(AIndex);
}

Integer TcxCustomDBLookupEdit::LookupKeyAsItemIndex(const Variant& AKey) {
  TcxDBDataController* dc = ActiveProperties()->GetListDBDataController();
  if (!dc) return -1;
  try {
    return dc->FindRecordIndexByKey(AKey);
  } catch (EVariantError&) {
    return -1;
  }
}

void TcxCustomDBLookupEdit::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                bool AEditFocused) {
  TcxCustomDBLookupEditProperties* props = ActiveProperties();
  if (props->DropDownListStyle() != lsEditList && !AEditFocused && props->KeyIsListField()) {
    ADisplayValue = Variant(VarToStr(AEditValue));
    return;
  }
  props->PrepareDisplayValue(AEditValue, ADisplayValue, AEditFocused);
}

void TcxCustomDBLookupEdit::HandlePopupClosed() {
  TcxCustomLookupEdit::HandlePopupClosed();
  TcxDBDataController* dc = ActiveProperties()->GetListDBDataController();
  if (dc && dc->DataModeController()->SyncMode()) LookupEditData()->WriteCurrentKey(EditValue());
}
