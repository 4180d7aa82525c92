// Data controller: shared helpers, the record-index quicksort, data fields,
// relations and detail objects.
#include <algorithm>

#include "cxCustomData.h"

TOVANI_IMPLEMENT_CLASS(EcxInvalidDataControllerOperation, Exception)
TOVANI_IMPLEMENT_CLASS(TcxCustomDataSource, TObject)
TOVANI_IMPLEMENT_CLASS(TcxCustomDataField, TObject)
TOVANI_IMPLEMENT_CLASS(TcxCustomDataFieldList, TObject)
TOVANI_IMPLEMENT_CLASS(TcxDetailInfoObject, TObject)
TOVANI_IMPLEMENT_CLASS(TcxDetailObject, TObject)
TOVANI_IMPLEMENT_CLASS(TcxCustomDataRelation, TObject)
TOVANI_IMPLEMENT_CLASS(TcxCustomDataRelationList, TObject)

const TcxResourceString cxSDataRecordIndexError{"RecordIndex out of range"};
const TcxResourceString cxSDataRowIndexError{"RowIndex out of range"};
const TcxResourceString cxSDataItemIndexError{"ItemIndex out of range"};
const TcxResourceString cxSDataItemExistError{"Item already exists"};
const TcxResourceString cxSFilterBoxAllCaption{"(All)"};
const TcxResourceString cxSFilterBoxCustomCaption{"(Custom...)"};
const TcxResourceString cxSFilterBoxBlanksCaption{"(Blanks)"};
const TcxResourceString cxSFilterBoxNonBlanksCaption{"(NonBlanks)"};

void cxDataControllerError(const TcxResourceString& Message) {
  throw EcxInvalidDataControllerOperation(cxDataResourceText(Message));
}

// ---------------------------------------------------------------------------

void QuickSortRecordIndexes(Integer* Items, Integer First, Integer Last, TcxRecordCompareProc Compare,
                            void* Context) {
  while (First < Last) {
    Integer i = First, j = Last;
    const Integer pivot =
        Items[static_cast<Integer>((static_cast<uint32_t>(First) + static_cast<uint32_t>(Last)) >> 1)];
    do {
      while (i <= Last && Compare(Context, Items[i], pivot) < 0) ++i;
      while (j >= First && Compare(Context, Items[j], pivot) > 0) --j;
      if (i <= j) {
        std::swap(Items[i], Items[j]);
        ++i;
        --j;
      }
    } while (i <= j);
    // A comparison that contradicts itself can leave a scan at the end of
    // the range without a swap; the end element then counts as placed, so
    // every pass shrinks the range.
    if (j >= Last) j = Last - 1;
    if (i <= First) i = First + 1;
    // Sort the smaller part by recursion and continue with the larger one.
    if (j - First < Last - i) {
      if (First < j) QuickSortRecordIndexes(Items, First, j, Compare, Context);
      First = i;
    } else {
      if (i < Last) QuickSortRecordIndexes(Items, i, Last, Compare, Context);
      Last = j;
    }
  }
}

// ---------------------------------------------------------------------------

void TcxCustomDataSource::AddProvider(TcxCustomDataProvider* AProvider) {
  if (std::find(FProviders.begin(), FProviders.end(), AProvider) == FProviders.end())
    FProviders.push_back(AProvider);
}

void TcxCustomDataSource::RemoveProvider(TcxCustomDataProvider* AProvider) {
  FProviders.erase(std::remove(FProviders.begin(), FProviders.end(), AProvider), FProviders.end());
  if (FCurrentProvider == AProvider) FCurrentProvider = nullptr;
}

// ---------------------------------------------------------------------------
// Fields

TcxCustomDataField::TcxCustomDataField(TcxCustomDataFieldList* AFieldList) : FFieldList(AFieldList) {}

TcxCustomDataField::~TcxCustomDataField() {
  if (FFieldList) FFieldList->RemoveField(this);
  DropValueDef();
}

TcxCustomDataController* TcxCustomDataField::DataController() const {
  return FFieldList ? FFieldList->DataController() : nullptr;
}

Integer TcxCustomDataField::Index() const { return FFieldList ? FFieldList->IndexOf(this) : -1; }

void TcxCustomDataField::ClearSortCaches() {
  SortKeys.clear();
  SortKeys.shrink_to_fit();
  SortKeysValid = false;
  CompareKeys.clear();
  CompareKeys.shrink_to_fit();
  CompareNulls.clear();
  CompareNulls.shrink_to_fit();
  CompareKeysValid = false;
}

void TcxCustomDataField::SetIndex(Integer Value) {
  if (FFieldList) FFieldList->Move(Index(), Value);
}

TcxValueDef* TcxCustomDataField::ValueDef() const {
  const TcxCustomDataField* f = this;
  while (f->FReferenceField) f = f->FReferenceField;
  return f->FValueDef;
}

TcxValueTypeClass TcxCustomDataField::ValueTypeClass() const {
  return FReferenceField ? FReferenceField->ValueTypeClass() : FValueTypeClass;
}

bool TcxCustomDataField::TextStored() const {
  return FReferenceField ? FReferenceField->TextStored() : FTextStored;
}

bool TcxCustomDataField::CanHoldValue() const {
  if (ValueDef()) return true;
  TcxCustomDataController* c = DataController();
  return c && c->IsProviderMode();
}

void TcxCustomDataField::SetValueTypeClass(TcxValueTypeClass Value) {
  if (FReferenceField || FValueTypeClass == Value) return;
  BeginRecreateData();
  FValueTypeClass = Value;
  EndRecreateData();
}

void TcxCustomDataField::SetTextStored(bool Value) {
  if (FReferenceField || FTextStored == Value) return;
  BeginRecreateData();
  FTextStored = Value;
  EndRecreateData();
}

void TcxCustomDataField::SetReferenceField(TcxCustomDataField* Value) {
  TcxCustomDataField* end = Value;
  while (end && end->FReferenceField) end = end->FReferenceField;
  if (end == this) return;
  if (end == FReferenceField) return;
  if (!FReferenceField) {
    // The field gives up its own column.
    FValueTypeClass = nullptr;
    DropValueDef();
  }
  FReferenceField = end;
  if (!end) CreateValueDef();
}

void TcxCustomDataField::SetInternal(bool Value) {
  if (FInternal == Value) return;
  FInternal = Value;
  if (FFieldList) FFieldList->RecountInternal();
}

void TcxCustomDataField::BeginRecreateData() {
  if (FRecreateLock == 0) DropValueDef();
  ++FRecreateLock;
}

void TcxCustomDataField::EndRecreateData() {
  if (--FRecreateLock == 0) CreateValueDef();
}

void TcxCustomDataField::DropValueDef() {
  if (FReferenceField || !FValueDef) return;
  ClearSortCaches();
  TcxValueDef* def = FValueDef;
  FValueDef = nullptr;
  if (def->Owner()) def->Owner()->RemoveDef(def);
}

void TcxCustomDataField::CreateValueDef() {
  if (FReferenceField || !FValueTypeClass) return;
  DropValueDef();
  TcxCustomDataController* c = DataController();
  if (!c) return;
  FValueDef = c->DataStorage()->ValueDefs()->AddDef(FValueTypeClass, FInternal, FTextStored, this);
  ClearSortCaches();
}

void TcxCustomDataField::TakeOverData(TcxCustomDataField* Source) {
  FReferenceField = nullptr;
  DropValueDef();
  FValueDef = Source->FValueDef;
  FValueTypeClass = Source->FValueTypeClass;
  FTextStored = Source->FTextStored;
  if (FValueDef) FValueDef->SetLinkedObject(this);
  Source->FValueDef = nullptr;
  Source->FValueTypeClass = nullptr;
}

// ---------------------------------------------------------------------------

TcxCustomDataFieldList::~TcxCustomDataFieldList() { Clear(); }

Integer TcxCustomDataFieldList::ComponentRemoved(TComponent* AComponent) {
  for (size_t i = 0; i < FItems.size(); ++i) FItems[i]->ComponentRemoved(AComponent);
  return Count();
}

TcxCustomDataField* TcxCustomDataFieldList::FieldByItem(TObject* AItem) const {
  if (!AItem) return nullptr;
  for (TcxCustomDataField* f : FItems)
    if (f->Item() == AItem) return f;
  return nullptr;
}

void TcxCustomDataFieldList::AddField(TcxCustomDataField* AField) {
  if (AField->IsInternalField())
    FItems.push_back(AField);
  else
    FItems.insert(FItems.end() - FInternalCount, AField);
  RecountInternal();
}

void TcxCustomDataFieldList::RemoveField(TcxCustomDataField* AField) {
  auto it = std::find(FItems.begin(), FItems.end(), AField);
  if (it == FItems.end()) return;
  FieldDestroyed = true;
  // Fields that read the removed field's column: the first takes the column
  // over, the others read the first.
  TcxCustomDataField* heir = nullptr;
  for (TcxCustomDataField* f : FItems) {
    if (f == AField || f->FReferenceField != AField) continue;
    if (!heir) {
      heir = f;
      f->TakeOverData(AField);
    } else {
      f->FReferenceField = heir;
    }
  }
  FItems.erase(std::find(FItems.begin(), FItems.end(), AField));
  if (FDataController) FDataController->FieldRemoved(AField);
  RecountInternal();
}

void TcxCustomDataFieldList::Clear() {
  while (!FItems.empty()) delete FItems.back();
}

Integer TcxCustomDataFieldList::IndexOf(const TcxCustomDataField* AField) const {
  auto it = std::find(FItems.begin(), FItems.end(), AField);
  return it == FItems.end() ? -1 : Integer(it - FItems.begin());
}

void TcxCustomDataFieldList::RecountInternal() {
  // Internal fields always follow the visible ones.
  std::stable_partition(FItems.begin(), FItems.end(),
                        [](TcxCustomDataField* f) { return !f->IsInternalField(); });
  FInternalCount = Integer(std::count_if(FItems.begin(), FItems.end(),
                                         [](TcxCustomDataField* f) { return f->IsInternalField(); }));
}

void TcxCustomDataFieldList::Move(Integer From, Integer To) {
  if (From < 0 || From >= Count() || From == To) return;
  To = std::clamp(To, 0, Count() - 1);
  TcxCustomDataField* f = FItems[size_t(From)];
  FItems.erase(FItems.begin() + From);
  FItems.insert(FItems.begin() + To, f);
}

// ---------------------------------------------------------------------------
// Detail objects and relations

void TcxDetailObject::ClearInfoObjects() { FInfos.clear(); }

void TcxDetailObject::FreeLinkObject(Integer ARelationIndex) {
  if (ARelationIndex < 0 || ARelationIndex >= InfoCount() || !FInfos[size_t(ARelationIndex)]) return;
  FInfos[size_t(ARelationIndex)].reset();
}

TObject* TcxDetailObject::LinkObject(Integer ARelationIndex) const {
  if (ARelationIndex < 0 || ARelationIndex >= InfoCount() || !FInfos[size_t(ARelationIndex)]) return nullptr;
  return FInfos[size_t(ARelationIndex)]->LinkObject;
}

void TcxDetailObject::SetLinkObject(Integer ARelationIndex, TObject* Value) {
  if (ARelationIndex < 0) return;
  if (ARelationIndex >= InfoCount()) FInfos.resize(size_t(ARelationIndex) + 1);
  auto& info = FInfos[size_t(ARelationIndex)];
  if (!info) info = std::make_unique<TcxDetailInfoObject>();
  if (info->LinkObject != Value) {
    delete info->LinkObject;
    info->LinkObject = Value;
  }
}

bool TcxDetailObject::IsEmpty() const {
  for (const auto& info : FInfos)
    if (info && info->LinkObject) return false;
  return true;
}

void TcxDetailObject::CorrectCount(TcxCustomDataRelationList* ARelations) {
  const Integer n = ARelations->Count();
  if (InfoCount() < n) FInfos.resize(size_t(n));
  if (n == 0) {
    ActiveRelationIndex = -1;
    return;
  }
  ActiveRelationIndex = std::clamp(ActiveRelationIndex, 0, n - 1);
  if (!ARelations->Items(ActiveRelationIndex)->DetailDataController()) {
    for (Integer i = 0; i < n; ++i)
      if (ARelations->Items(i)->DetailDataController()) {
        ActiveRelationIndex = i;
        break;
      }
  }
}

TcxCustomDataRelation::TcxCustomDataRelation(TcxCustomDataRelationList* ARelationList, TObject* AItem)
    : FRelationList(ARelationList), FItem(AItem) {
  if (FRelationList) FRelationList->AddRelation(this);
}

TcxCustomDataRelation::~TcxCustomDataRelation() {
  FDetailDataController = nullptr;
  if (FRelationList) FRelationList->RemoveRelation(this);
}

Integer TcxCustomDataRelation::Index() const { return FRelationList ? FRelationList->IndexOf(this) : -1; }

TcxCustomDataRelationList::~TcxCustomDataRelationList() {
  FClearing = true;
  while (!FItems.empty()) {
    TcxCustomDataRelation* r = FItems.back();
    FItems.pop_back();
    r->FRelationList = nullptr;
    delete r;
  }
}

Integer TcxCustomDataRelationList::IndexOf(const TcxCustomDataRelation* R) const {
  auto it = std::find(FItems.begin(), FItems.end(), R);
  return it == FItems.end() ? -1 : Integer(it - FItems.begin());
}

TcxCustomDataRelation* TcxCustomDataRelationList::FindByItem(TObject* AItem) const {
  for (TcxCustomDataRelation* r : FItems)
    if (r->Item() == AItem) return r;
  return nullptr;
}

TcxCustomDataRelation* TcxCustomDataRelationList::Add(TObject* AItem) {
  return FDataController->CreateRelation(this, AItem);
}

void TcxCustomDataRelationList::AddRelation(TcxCustomDataRelation* R) {
  FItems.push_back(R);
  RelationsChanged();
}

void TcxCustomDataRelationList::RemoveRelation(TcxCustomDataRelation* R) {
  auto it = std::find(FItems.begin(), FItems.end(), R);
  if (it == FItems.end()) return;
  FItems.erase(it);
  if (!FClearing) RelationsChanged();
}

void TcxCustomDataRelationList::EndUpdate() {
  if (--FLockCount == 0) RelationsChanged();
}

void TcxCustomDataRelationList::Clear() {
  BeginUpdate();
  while (!FItems.empty()) delete FItems.back();
  EndUpdate();
}

void TcxCustomDataRelationList::RelationsChanged() {
  if (FLockCount > 0 || FDataController->IsDestroying()) return;
  FDataController->BeginUpdate();
  try {
    if (FItems.empty()) {
      if (FDetailObjectsField) {
        // Drop every detail object before the column goes.
        for (Integer r = 0; r < FDataController->GetRecordCount(); ++r) StoreDetailObject(r, nullptr);
        TcxCustomDataField* f = FDetailObjectsField;
        FDetailObjectsField = nullptr;
        delete f;
      }
    } else if (FDetailObjectsField) {
      for (Integer r = 0; r < FDataController->GetRecordCount(); ++r)
        if (TcxDetailObject* d = StoredDetailObject(r)) d->ClearInfoObjects();
    } else {
      FDetailObjectsField = FDataController->CreateInternalField();
      FDetailObjectsField->SetValueTypeClass(TcxObjectValueType::Class());
    }
    FDataController->RelationsChanged();
  } catch (...) {
    FDataController->EndUpdate();
    throw;
  }
  FDataController->EndUpdate();
}

TcxDetailObject* TcxCustomDataRelationList::StoredDetailObject(Integer ARecordIndex) {
  if (!FDetailObjectsField) return nullptr;
  Variant v = FDataController->DataStorage()->ValueAt(ARecordIndex, FDetailObjectsField->ValueDef());
  if (v.IsNull() || v.IsEmpty()) return nullptr;
  return static_cast<TcxDetailObject*>(v.AsObject());
}

void TcxCustomDataRelationList::StoreDetailObject(Integer ARecordIndex, TcxDetailObject* AObject) {
  if (!FDetailObjectsField) return;
  // The object column owns what it holds: storing replaces (and frees) the
  // previous object.
  FDataController->DataStorage()->SetValueAt(ARecordIndex, FDetailObjectsField->ValueDef(),
                                              AObject ? Variant::FromObject(AObject) : Variant::Null());
}

TcxDetailObject* TcxCustomDataRelationList::DetailObjectOf(Integer ARecordIndex) {
  FDataController->CheckRecordRange(ARecordIndex);
  if (!FDetailObjectsField) return nullptr;
  TcxDetailObject* obj = StoredDetailObject(ARecordIndex);
  bool needed = false;
  for (TcxCustomDataRelation* r : FItems)
    if (r->DetailDataController()) needed = true;
  if (needed) {
    if (!obj) {
      obj = new TcxDetailObject();
      obj->ActiveRelationIndex = FDataController->GetDefaultActiveRelationIndex();
      StoreDetailObject(ARecordIndex, obj);
    }
    obj->CorrectCount(this);
    return obj;
  }
  if (obj) StoreDetailObject(ARecordIndex, nullptr);
  return nullptr;
}

bool TcxCustomDataRelationList::IsDetailDataControllerExist(Integer ARecordIndex, Integer ARelationIndex) {
  TcxDetailObject* obj = StoredDetailObject(ARecordIndex);
  if (!obj) return false;
  if (ARelationIndex >= 0) return obj->LinkObject(ARelationIndex) != nullptr;
  return !obj->IsEmpty();
}

void TcxCustomDataRelationList::ClearDetailObject(Integer ARecordIndex, Integer ARelationIndex) {
  TcxDetailObject* obj = StoredDetailObject(ARecordIndex);
  if (!obj) return;
  if (ARelationIndex < 0)
    obj->ClearInfoObjects();
  else
    obj->FreeLinkObject(ARelationIndex);
}

void TcxCustomDataRelationList::RemoveField(TcxCustomDataField* AField) {
  if (AField == FDetailObjectsField) FDetailObjectsField = nullptr;
  for (TcxCustomDataRelation* r : FItems) r->FieldRemoved(AField);
}
