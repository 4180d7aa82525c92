// Data controller: construction, items, records and values, editing entry
// points, locks and loading, rows, focus, selection, sorting, filtering,
// searching, comparing and the notification protocol.
#include <algorithm>

#include "Collation.h"
#include "SysUtils.h"
#include "cxCustomData.h"
#include "cxDataUtils.h"
#include "cxVariants.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomDataController, TPersistent)

namespace {

struct TLock {
  TcxCustomDataController* C;
  explicit TLock(TcxCustomDataController* c) : C(c) { C->BeginUpdate(); }
  ~TLock() { C->EndUpdate(); }
};

struct TFlag {
  bool& F;
  bool Old;
  TFlag(bool& f, bool v) : F(f), Old(f) { F = v; }
  ~TFlag() { F = Old; }
};

}  // namespace

// ---------------------------------------------------------------------------
// Construction

TcxCustomDataController::TcxCustomDataController(TComponent* AOwner)
    : FOwner(AOwner),
      FStorage(new TcxDataStorage),
      FGroups(new TcxDataControllerGroups(this)),
      FFields(new TcxCustomDataFieldList(this)) {
  ResetDataChangeInfo();
  FNotifier = std::make_unique<TcxDataControllerNotifier>(this);
  FStorage->OnInternalRecordsFreed = [this](TcxDataStorage*) { StorageCleared(); };
  FStorage->SetUsesRecordIds(false);
}

TcxCustomDataController::~TcxCustomDataController() {
  BeforeDestruction();
  FNotifier.reset();
  FRelations.reset();
  FInfo.reset();
  FSummary.reset();
  FFilter.reset();
  while (!FExtraFilters.empty()) {
    TcxDataFilterCriteria* f = FExtraFilters.back();
    FExtraFilters.pop_back();
    delete f;
  }
  FStorage->OnInternalRecordsFreed = nullptr;
  // The fields drop their columns; the storage goes after them.
  FFields.reset();
  FStorage->ClearAll(false);
  FGroups.reset();
  FProvider.reset();
  FStorage.reset();
  FSearch.reset();
  FDataChangedListeners.clear();
  for (TcxDataListenerLink* l : FListenerLinks) l->Ref = nullptr;
  FListenerLinks.clear();
}

void TcxCustomDataController::BeforeDestruction() { FDestroying = true; }

TcxCustomDataField* TcxCustomDataController::CreateField(bool) { return new TcxCustomDataField(FFields.get()); }

TcxCustomDataField* TcxCustomDataController::CreateInternalField() { return CreateFieldFor(nullptr, true); }

TcxCustomDataField* TcxCustomDataController::CreateFieldFor(TObject* AItem, bool AInternal) {
  TcxCustomDataField* f = CreateField(AInternal);
  f->FInternal = AInternal;
  f->SetItem(AItem);
  FFields->AddField(f);
  return f;
}

TcxCustomDataProvider* TcxCustomDataController::CreateProvider() { return new TcxCustomDataProvider(this); }
TcxDataSelection* TcxCustomDataController::CreateSelection() { return new TcxDataSelection(this); }
TcxDataFilterCriteria* TcxCustomDataController::CreateFilter() { return new TcxDataFilterCriteria(this); }
TcxDataControllerSearch* TcxCustomDataController::CreateSearch() { return new TcxDataControllerSearch(this); }
TcxDataSummary* TcxCustomDataController::CreateSummary() { return new TcxDataSummary(this); }

TcxCustomDataRelation* TcxCustomDataController::CreateRelation(TcxCustomDataRelationList* AList, TObject* AItem) {
  return new TcxCustomDataRelation(AList, AItem);
}

TcxCustomDataProvider* TcxCustomDataController::Provider() {
  if (!FProvider) FProvider.reset(CreateProvider());
  return FProvider.get();
}

TcxCustomDataControllerInfo* TcxCustomDataController::DataControllerInfo() {
  if (!FInfo) FInfo = std::make_unique<TcxCustomDataControllerInfo>(this);
  return FInfo.get();
}

TcxDataSummary* TcxCustomDataController::Summary() {
  if (!FSummary) FSummary.reset(CreateSummary());
  return FSummary.get();
}

TcxDataFilterCriteria* TcxCustomDataController::Filter() {
  if (!FFilter) FFilter.reset(CreateFilter());
  return FFilter.get();
}

TcxDataControllerSearch* TcxCustomDataController::Search() {
  if (!FSearch) FSearch.reset(CreateSearch());
  return FSearch.get();
}

TcxCustomDataRelationList* TcxCustomDataController::Relations() {
  if (!FRelations) FRelations = std::make_unique<TcxCustomDataRelationList>(this);
  return FRelations.get();
}

void TcxCustomDataController::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomDataController*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  SetOptions(src->FOptions);
  Filter()->Assign(src->Filter());
  Summary()->Assign(src->Summary());
  OnInserting = src->OnInserting;
  OnRecordInserted = src->OnRecordInserted;
  OnPosting = src->OnPosting;
  OnRecordPosted = src->OnRecordPosted;
  OnCancelling = src->OnCancelling;
  OnEditCancelled = src->OnEditCancelled;
  OnDeleting = src->OnDeleting;
  OnRecordDeleted = src->OnRecordDeleted;
  SetOnRecordFilter(src->FOnRecordFilter);
  OnRecordInit = src->OnRecordInit;
  OnCompare = src->OnCompare;
  OnDataChange = src->OnDataChange;
  OnDetailExpandQuery = src->OnDetailExpandQuery;
  OnDetailCollapseQuery = src->OnDetailCollapseQuery;
  OnDetailExpandDone = src->OnDetailExpandDone;
  OnDetailCollapseDone = src->OnDetailCollapseDone;
  OnGroupingChange = src->OnGroupingChange;
  OnRecordChange = src->OnRecordChange;
  OnSortingChange = src->OnSortingChange;
}

// ---------------------------------------------------------------------------
// State queries

bool TcxCustomDataController::IsLoading() const {
  return FOwner && FOwner->ComponentState().Contains(csLoading);
}

bool TcxCustomDataController::IsReading() const {
  return FOwner && FOwner->ComponentState().Contains(csReading);
}

bool TcxCustomDataController::IsOwnerDestroying() const {
  return FOwner && FOwner->ComponentState().Contains(csDestroying);
}

bool TcxCustomDataController::IsDestroying() const { return FDestroying || IsOwnerDestroying(); }

bool TcxCustomDataController::IsGridMode() const {
  return FProvider && FProvider->GridModeActive();
}

bool TcxCustomDataController::IsProviderMode() const {
  return FProvider && FProvider->CustomDataSource() != nullptr;
}

bool TcxCustomDataController::HasDataSource() const { return IsProviderMode(); }

void TcxCustomDataController::SetOptions(TcxDataControllerOptions Value) {
  if (FOptions == Value) return;
  FOptions = Value;
  OptionsChanged();
}

void TcxCustomDataController::OptionsChanged() {
  TLock lock(this);
  DataControllerInfo()->RecordsChanged();
}

// ---------------------------------------------------------------------------
// Items

Integer TcxCustomDataController::GetItemCount() const { return FFields->ItemCount(); }

void TcxCustomDataController::CheckItemRange(Integer Index) const {
  if (Index < 0 || Index >= GetItemCount()) cxDataControllerError(cxSDataItemIndexError);
}

TcxCustomDataField* TcxCustomDataController::FieldOfItemIndex(Integer Index) const {
  CheckItemRange(Index);
  return FFields->Items(Index);
}

Integer TcxCustomDataController::ItemIndexOfField(const TcxCustomDataField* AField) const {
  if (!AField || AField->IsInternalField()) return -1;
  return FFields->IndexOf(AField);
}

TcxCustomDataField* TcxCustomDataController::AddItem(TObject* AItem) {
  if (FFields->FieldByItem(AItem)) cxDataControllerError(cxSDataItemExistError);
  return CreateFieldFor(AItem, false);
}

void TcxCustomDataController::RemoveItem(TObject* AItem) {
  TcxCustomDataField* f = FFields->FieldByItem(AItem);
  if (!f) return;
  TLock lock(this);
  DataControllerInfo()->RemoveFieldReferences(f);
  delete f;
}

void TcxCustomDataController::UpdateItemIndexes() {
  for (Integer i = 0; i < GetItemCount(); ++i)
    if (TcxCustomDataField* f = FFields->FieldByItem(GetItem(i))) f->SetIndex(i);
  AddChanges(ccLayout);
}

String TcxCustomDataController::GetItemName(TObject* AItem) const {
  if (auto* c = dynamic_cast<TComponent*>(AItem)) return c->Name();
  return String();
}

TObject* TcxCustomDataController::FindItemByID(Integer AID) const {
  for (Integer i = 0; i < GetItemCount(); ++i)
    if (GetItemID(GetItem(i)) == AID) return GetItem(i);
  return nullptr;
}

TObject* TcxCustomDataController::FindItemByName(const String& AName) const {
  for (Integer i = 0; i < GetItemCount(); ++i)
    if (AnsiSameText(GetItemName(GetItem(i)), AName)) return GetItem(i);
  return nullptr;
}

bool TcxCustomDataController::GetItemTextStored(Integer Index) const { return FieldOfItemIndex(Index)->TextStored(); }

void TcxCustomDataController::SetItemTextStored(Integer Index, bool Value) {
  TcxCustomDataField* f = FieldOfItemIndex(Index);
  if (f->TextStored() == Value) return;
  f->SetTextStored(Value);
  DataControllerInfo()->FieldChanged(f);
}

TcxValueTypeClass TcxCustomDataController::GetItemValueTypeClass(Integer Index) const {
  return FieldOfItemIndex(Index)->ValueTypeClass();
}

void TcxCustomDataController::SetItemValueTypeClass(Integer Index, TcxValueTypeClass Value) {
  TcxCustomDataField* f = FieldOfItemIndex(Index);
  if (f->ValueTypeClass() == Value) return;
  f->SetValueTypeClass(Value);
  if (IsProviderMode()) RecreateStructure();
  DataControllerInfo()->FieldChanged(f);
  ItemValueTypeChanged(Index);
}

void TcxCustomDataController::SetItemAttribute(Integer Index, bool Value) {
  TcxCustomDataField* f = FieldOfItemIndex(Index);
  if (f->Attribute() == Value) return;
  f->SetAttribute(Value);
  DataControllerInfo()->FieldChanged(f);
}

bool TcxCustomDataController::IsItemTextCompared(Integer Index, bool) const { return GetItemTextStored(Index); }

void TcxCustomDataController::RefreshItemFields(bool AForce) {
  if (FInRefreshItemFields) return;
  TFlag guard(FInRefreshItemFields, true);
  if (DataControllerInfo()->LockCount() > 0) StructureChanged = true;
  if (HasDataSource()) UpdateStructure(AForce);
}

// ---------------------------------------------------------------------------
// Records and values

Integer TcxCustomDataController::GetRecordCount() const { return FStorage->RecordTotal(); }

void TcxCustomDataController::CheckRecordRange(Integer ARecord) {
  if (FUseNewItemRowForEditing) GetNewItemRecordIndex();
  if (ARecord >= 0 && ARecord < GetRecordCount()) return;
  if (ARecord != 0 && (ARecord == FNewItemRecordIndex ||
                       (FProvider && ARecord == FProvider->SavedRecordIndex())))
    return;
  cxDataControllerError(cxSDataRecordIndexError);
}

void TcxCustomDataController::SetRecordCount(Integer Value) {
  if (IsGridMode()) return;
  Value = std::max(Value, 0);
  const Integer old = GetRecordCount();
  if (Value == old) return;
  TLock lock(this);
  DataControllerInfo()->SnapshotBeforeChange();
  if (Value < old) {
    // Focus and selection follow the records that stay; the records that go
    // are at the end, so no other index moves.
    DataControllerInfo()->Selection()->RemoveEntriesIf(
        [Value](const TcxDataSelectionEntry& e) { return e.Level != -1 && e.RecordIndex >= Value; });
  }
  FStorage->SetRecordTotal(Value);
  AfterRecordsChange(-1);
  CheckEditingRecord(-1);
  DataChanged(old < Value ? dcInserted : dcDeleted, -1, -1);
}

Integer TcxCustomDataController::AppendStorageRecord() {
  const Integer r = FStorage->AddRecord();
  DataChanged(dcInserted, -1, -1);
  return r;
}

Integer TcxCustomDataController::InsertStorageRecord(Integer Index) {
  if (Index < 0 || Index > GetRecordCount()) cxDataControllerError(cxSDataRecordIndexError);
  DataControllerInfo()->SnapshotBeforeChange();
  FStorage->InsertRecordAt(Index);
  // Remembered record indexes at or after the new one move up.
  TcxCustomDataControllerInfo* info = DataControllerInfo();
  for (auto& e : info->Selection()->Entries())
    if (e.Level != -1 && e.RecordIndex >= Index) ++e.RecordIndex;
  TcxDataFocusingInfo* focus = info->Focus();
  if (focus->RecordIndex >= Index) ++focus->RecordIndex;
  if (FBookmarkRecordIndex >= Index) ++FBookmarkRecordIndex;
  if (NearestRecordIndex >= Index) ++NearestRecordIndex;
  RecordInserted(Index);
  DataChanged(dcInserted, -1, -1);
  return Index;
}

void TcxCustomDataController::DeleteStorageRecord(Integer Index) {
  CheckRecordRange(Index);
  if (IsSmartLoad()) {
    SmartDeleteRecord(Index);
    return;
  }
  if (Index == FNewItemRecordIndex && Index < 0) {
    if (Provider()->EditingRecordIndex() == Index) Provider()->ForgetEditingRecord();
    FStorage->RemoveRecord(Index);
    FNewItemRecordIndex = 0;
    DataChanged(dcDeleted, -1, -1);
    return;
  }
  if (Index == Provider()->EditingRecordIndex()) Provider()->ForgetEditingRecord();
  DataControllerInfo()->SnapshotBeforeChange();
  FStorage->RemoveRecord(Index);
  // Remembered record indexes after the deleted one move down; the deleted
  // record's own selection entry goes.
  TcxCustomDataControllerInfo* info = DataControllerInfo();
  TcxDataSelection* sel = info->Selection();
  auto& entries = sel->Entries();
  bool selChanged = false;
  for (Integer i = Integer(entries.size()) - 1; i >= 0; --i) {
    TcxDataSelectionEntry& e = entries[size_t(i)];
    if (e.Level == -1) continue;
    if (e.RecordIndex == Index) {
      sel->DeleteEntry(i);
      selChanged = true;
    } else if (e.RecordIndex > Index) {
      --e.RecordIndex;
    }
  }
  if (selChanged) info->AddChanges(dcicSelectionChanged);
  TcxDataFocusingInfo* focus = info->Focus();
  if (focus->RecordIndex == Index)
    focus->RecordIndex = -1;
  else if (focus->RecordIndex > Index)
    --focus->RecordIndex;
  if (FBookmarkRecordIndex > Index) --FBookmarkRecordIndex;
  RecordDeleted(Index);
  AfterRecordsChange(Index);
  DataChanged(dcDeleted, -1, -1);
}

void TcxCustomDataController::AfterRecordsChange(Integer ARecord) {
  DataControllerInfo()->CheckSelectionRecords();
  CheckBookmark(ARecord);
}

void TcxCustomDataController::RecordDeleted(Integer ARecord) {
  if (ARecord < 0) return;
  CheckEditingRecord(ARecord);
  ShiftDetailMasterIndexes(ARecord, -1);
}

void TcxCustomDataController::RecordInserted(Integer ARecord) { ShiftDetailMasterIndexes(ARecord + 1, 1); }

void TcxCustomDataController::ShiftDetailMasterIndexes(Integer AFrom, Integer ADelta) {
  // The clones of later master records keep pointing at their records.
  if (!FRelations || !FRelations->DetailObjectsField()) return;
  for (Integer r = std::max(AFrom, 0); r < GetRecordCount(); ++r)
    for (Integer i = 0; i < FRelations->Count(); ++i) {
      if (!FRelations->IsDetailDataControllerExist(r, i)) continue;
      TcxDetailObject* d = FRelations->DetailObjectOf(r);
      TcxCustomDataController* c = d ? GetDetailControllerOfLink(d->LinkObject(i)) : nullptr;
      if (c && c->FMasterRecordIndex >= 0) c->FMasterRecordIndex += ADelta;
    }
}

void TcxCustomDataController::CheckEditingRecord(Integer ARecord) {
  if (!FProvider) return;
  const Integer e = FProvider->EditingRecordIndex();
  if (e == cxNullEditingRecord || e < 0) return;
  if ((ARecord >= 0 && e >= ARecord) || e >= GetRecordCount()) FProvider->ResetEditing();
}

Integer TcxCustomDataController::AppendRecordWithValues(const std::vector<Variant>& AValues) {
  TLock lock(this);
  const Integer r = AppendStorageRecord();
  for (size_t i = 0; i < AValues.size() && Integer(i) < GetItemCount(); ++i) SetValue(r, Integer(i), AValues[i]);
  return r;
}

Variant TcxCustomDataController::GetRecordValue(Integer ARecord, TcxCustomDataField* AField) {
  if (IsGridMode() && IsProviderField(AField)) {
    Variant v;
    Provider()->GridModeValue(ARecord, AField, v);
    return v;
  }
  if (IsProviderMode() && ARecord >= 0 && !AField->IsInternalField() && !AField->ValueDef()) {
    Variant v;
    Provider()->SourceValue(ARecord, AField, v);
    return v;
  }
  TcxValueDef* def = AField->ValueDef();
  return def ? FStorage->ValueAt(ARecord, def) : Variant::Null();
}

String TcxCustomDataController::GetRecordDisplayText(Integer ARecord, TcxCustomDataField* AField) {
  if (IsGridMode() && IsProviderField(AField)) {
    String s;
    Provider()->GridModeDisplayText(ARecord, AField, s);
    return s;
  }
  TcxValueDef* def = AField->ValueDef();
  return def ? FStorage->DisplayTextAt(ARecord, def) : String();
}

Variant TcxCustomDataController::GetValue(Integer ARecord, Integer AItem) {
  CheckRecordRange(ARecord);
  return GetRecordValue(ARecord, FieldOfItemIndex(AItem));
}

void TcxCustomDataController::SetValue(Integer ARecord, Integer AItem, const Variant& AValue) {
  CheckRecordRange(ARecord);
  TcxCustomDataField* f = FieldOfItemIndex(AItem);
  if (IsGridMode() || !f->ValueDef()) return;
  DataControllerInfo()->SnapshotBeforeChange();
  FStorage->SetValueAt(ARecord, f->ValueDef(), AValue);
  DataChanged(dcValue, AItem, ARecord);
}

String TcxCustomDataController::GetDisplayText(Integer ARecord, Integer AItem) {
  CheckRecordRange(ARecord);
  return GetRecordDisplayText(ARecord, FieldOfItemIndex(AItem));
}

void TcxCustomDataController::SetDisplayText(Integer ARecord, Integer AItem, const String& AText) {
  CheckRecordRange(ARecord);
  TcxCustomDataField* f = FieldOfItemIndex(AItem);
  if (IsGridMode() || !f->ValueDef()) return;
  DataControllerInfo()->SnapshotBeforeChange();
  FStorage->SetDisplayTextAt(ARecord, f->ValueDef(), AText);
  DataChanged(dcValue, AItem, ARecord);
}

void TcxCustomDataController::GetRecordValues(Integer ARecord, const std::vector<TcxCustomDataField*>& AFields,
                                              Variant& AValue) {
  if (AFields.empty()) {
    AValue = Variant::Null();
  } else if (AFields.size() == 1) {
    AValue = GetRecordValue(ARecord, AFields[0]);
  } else {
    Variant arr = VarArrayCreate({0, Integer(AFields.size()) - 1}, varVariant);
    for (size_t i = 0; i < AFields.size(); ++i) arr.PutElement(Integer(i), GetRecordValue(ARecord, AFields[i]));
    AValue = arr;
  }
}

Variant TcxCustomDataController::GetRecordId(Integer ARecord) {
  if (ARecord < 0 || ARecord >= GetRecordCount()) cxDataControllerError(cxSDataRecordIndexError);
  if (FStorage->UsesRecordIds()) return Variant(FStorage->RecordIdAt(ARecord));
  return Variant::Null();
}

Variant TcxCustomDataController::GetGroupingValue(Integer ARecord, TcxCustomDataField* AField) {
  return GetRecordValue(ARecord, AField);
}

Variant TcxCustomDataController::GetGroupValues(Integer ARecord) {
  TcxGroupingFieldList* g = DataControllerInfo()->GroupingList();
  if (g->Count() == 0) return Variant::Null();
  Variant arr = VarArrayCreate({0, g->Count() - 1}, varVariant);
  for (Integer i = 0; i < g->Count(); ++i) arr.PutElement(i, Variant::Null());
  if (ARecord >= 0 && ARecord < GetRecordCount())
    for (Integer i = 0; i < g->Count(); ++i) arr.PutElement(i, GetGroupingValue(ARecord, g->Items(i).Field));
  return arr;
}

void TcxCustomDataController::CopyRecord(Integer ASource, Integer ADest) {
  TcxValueDefRecordReader reader(this, ASource);
  BeginReaderUse();
  try {
    FStorage->LoadRecord(ADest, &reader);
  } catch (...) {
    EndReaderUse();
    throw;
  }
  EndReaderUse();
  if (ADest >= 0) DataChanged(dcRecord, -1, -1);
}

// ---------------------------------------------------------------------------
// Editing

void TcxCustomDataController::Append() {
  if (Provider()->CanAppend()) Provider()->Append();
}

void TcxCustomDataController::Insert() {
  if (Provider()->CanInsert()) Provider()->Insert();
}

void TcxCustomDataController::Edit() {
  if (Provider()->CanModify()) Provider()->Edit();
}

void TcxCustomDataController::Post(bool AForce) {
  TcxDataListenerLink* link = CreateListenerLink();
  try {
    CheckFocusingAfterFilter = true;
    if (Provider()->IsEditing()) Provider()->Post(AForce);
  } catch (...) {
    if (link->Ref) Provider()->InsertedRecordIndex = -1;
    FreeListenerLink(link);
    throw;
  }
  if (link->Ref) Provider()->InsertedRecordIndex = -1;
  FreeListenerLink(link);
}

void TcxCustomDataController::Cancel() {
  if (FCancelling) return;
  TFlag guard(FCancelling, true);
  Integer r = GetFocusedRowIndex();
  if (Provider()->IsEditing()) Provider()->Cancel();
  r = std::min(r, GetRowCount() - 1);
  if (!DataControllerInfo()->InCanFocus()) ChangeFocusedRowIndex(r);
}

void TcxCustomDataController::DeleteFocused() {
  const Integer row = GetFocusedRowIndex();
  if (row < 0 || !Provider()->CanDelete()) return;
  Provider()->BeginDeleting();
  try {
    const TcxRowInfo info = GetRowInfo(row);
    if (info.Level < FGroups->GroupingItemCount()) {
      std::vector<Integer> list;
      FGroups->AddRecordsOfRow(list, row);
      DeleteRecordList(list);
    } else {
      DeleteFocusedRecord();
    }
    ClearSelection();
  } catch (...) {
    Provider()->EndDeleting();
    throw;
  }
  Provider()->EndDeleting();
}

void TcxCustomDataController::DeleteSelection() {
  if (GetSelectedCount() == 0 || !Provider()->CanDelete()) return;
  Provider()->BeginDeleting();
  try {
    if (IsSingleSelect())
      DeleteFocusedRecord();
    else
      Provider()->DeleteSelection();
  } catch (...) {
    Provider()->EndDeleting();
    throw;
  }
  Provider()->EndDeleting();
}

void TcxCustomDataController::DeleteFocusedRecord() {
  const Integer focused = GetFocusedRecordIndex();
  if (NearestRecordIndex >= focused && NearestRecordIndex != -1 && focused >= 0) --NearestRecordIndex;
  try {
    Provider()->DeleteFocused();
  } catch (...) {
    NearestRecordIndex = focused;
    throw;
  }
}

void TcxCustomDataController::DeleteRecordList(std::vector<Integer>& AList) {
  std::sort(AList.begin(), AList.end());
  AList.erase(std::unique(AList.begin(), AList.end()), AList.end());
  const Integer focused = GetFocusedRecordIndex();
  if (NearestRecordIndex != -1) {
    const Integer n = NearestRecordIndex;
    NearestRecordIndex -= Integer(std::upper_bound(AList.begin(), AList.end(), n) - AList.begin());
  }
  try {
    Provider()->DeleteRecords(AList);
  } catch (...) {
    NearestRecordIndex = focused;
    throw;
  }
}

void TcxCustomDataController::RestoreFocusAfterDelete() {
  if (NearestRecordIndex == -1) {
    if (GetLockCount() == 0 && GetFocusedRecordIndex() == -1 && GetRowCount() > 0)
      ChangeFocusedRowIndex(GetRowCount() - 1);
  } else if (NearestRecordIndex < GetRecordCount()) {
    ChangeFocusedRecordIndex(NearestRecordIndex);
  }
}

void TcxCustomDataController::PostEditingData() { Provider()->PostEditingData(); }

bool TcxCustomDataController::CanEditItem(Integer AItem) {
  CheckItemRange(AItem);
  TcxCustomDataField* f = FieldOfItemIndex(AItem);
  if (!Provider()->CanModify() && !f->CanModifyWithoutSource()) return false;
  return Provider()->CanInitEditing(GetEditingRecordIndex());
}

Variant TcxCustomDataController::GetEditValue(Integer AItem, Integer ASource) {
  CheckItemRange(AItem);
  if (FUseNewItemRowForEditing && FNewItemRowFocused && GetFocusedRecordIndex() < 0 && !Provider()->IsInserting())
    return Variant::Null();
  Variant v;
  Provider()->GetEditValue(GetEditingRecordIndex(), FieldOfItemIndex(AItem), v, ASource);
  return v;
}

bool TcxCustomDataController::SetEditValue(Integer AItem, const Variant& AValue, Integer ASource) {
  if (!CanEditItem(AItem)) return false;
  const bool ok = Provider()->SetEditValue(GetEditingRecordIndex(), FieldOfItemIndex(AItem), ASource, AValue);
  if (ok && IsImmediatePost()) Post(false);
  return ok;
}

Integer TcxCustomDataController::GetEditingRecordIndex() {
  const Integer e = Provider()->EditingRecordIndex();
  return e != cxNullEditingRecord ? e : GetEditingTargetRecord();
}

Integer TcxCustomDataController::GetEditingTargetRecord() {
  if (FNewItemRowFocused && GetFocusedRecordIndex() < 0) return GetNewItemRecordIndex();
  const Integer row = GetFocusedRowIndex();
  if (row < 0) return cxNullEditingRecord;
  return GetRowInfo(row).RecordIndex;
}

Integer TcxCustomDataController::GetNewItemRecordIndex() {
  if (FNewItemRecordIndex == 0) FNewItemRecordIndex = FStorage->AcquireInternalRecord();
  return FNewItemRecordIndex;
}

Byte TcxCustomDataController::GetEditState() {
  Byte s = 0;
  TcxCustomDataProvider* p = Provider();
  if (p->IsInserting())
    s |= dceInsert;
  else if (p->IsEditing())
    s |= dceEdit;
  if (s) {
    if (p->IsChanging()) s |= dceChanging;
    if (p->IsModified()) s |= dceModified;
  }
  return s;
}

Byte TcxCustomDataController::GetEditOperations() {
  Byte s = 0;
  TcxCustomDataProvider* p = Provider();
  if (p->CanAppend()) s |= dceopAppend;
  if (p->CanDelete()) s |= dceopDelete;
  if (p->CanModify()) s |= dceopEdit;
  if (p->CanInsert()) s |= dceopInsert;
  if (!p->SourceIsOpen() || p->IsSyncMode()) s |= dceopShowEditor;
  return s;
}

bool TcxCustomDataController::IsEditing() {
  return (GetEditState() & (dceInsert | dceEdit)) != 0 && Provider()->EditingRecordIndex() != cxNullEditingRecord;
}

bool TcxCustomDataController::CanFocusRecord(Integer ARecord) {
  if (!Provider()->SourceIsOpen() && Provider()->IsEditing() && ARecord != Provider()->EditingRecordIndex())
    Post(false);
  return true;
}

void TcxCustomDataController::CheckBeforeSorting() { Post(false); }

// ---------------------------------------------------------------------------
// Locks and loading

void TcxCustomDataController::BeginUpdate() { DataControllerInfo()->LockUpdates(); }

void TcxCustomDataController::EndUpdate() {
  DataControllerInfo()->UnlockUpdates();
  CheckChanges();
}

Integer TcxCustomDataController::GetLockCount() const { return FInfo ? FInfo->LockCount() : 0; }

void TcxCustomDataController::BeginFullUpdate() {
  if (FFullUpdateLockCount++ == 0) {
    LockUpdate();
    FSaveObject = std::make_unique<TcxSaveObject>();
    FSaveObject->TakeSnapshot(this);
  }
}

void TcxCustomDataController::EndFullUpdate() {
  if (--FFullUpdateLockCount != 0) return;
  try {
    if (FSaveObject) FSaveObject->ApplySnapshot(this);
  } catch (...) {
    FSaveObject.reset();
    UnlockUpdate();
    throw;
  }
  FSaveObject.reset();
  UnlockUpdate();
}

void TcxCustomDataController::BeginGridModeLock() {
  ++FGridModeLockCount;
  Provider()->EnterLocate();
}

void TcxCustomDataController::EndGridModeLock() {
  --FGridModeLockCount;
  Provider()->LeaveLocate();
}

void TcxCustomDataController::ActiveChanged(bool AActive) {
  FActive = AActive;
  RefreshItemFields(Provider()->HasData());
  NotifyMasterOfChange();
}

void TcxCustomDataController::LayoutChanged(Integer) { RefreshItemFields(Provider()->HasData()); }

void TcxCustomDataController::UpdateStructure(bool AForce) {
  LockUpdate();
  try {
    if (HasDataSource() && (AForce || Provider()->CanBuildFields())) {
      if (FUpdateFieldsLockCount > 0) {
        FUpdateFieldsPending = true;
      } else {
        if (!(Provider()->InGridModeUpdate() && (Provider()->IsInserting() || FFields->FieldDestroyed)))
          UpdateFields();
        if (!StructureChanged) LoadStorage();
      }
    }
    DataControllerInfo()->RecordsChanged();
  } catch (...) {
    UnlockUpdate();
    throw;
  }
  UnlockUpdate();
}

void TcxCustomDataController::UpdateFields() {
  for (Integer i = 0; i < FFields->Count(); ++i) FFields->Items(i)->Processed = false;
  bool again = true;
  while (again) {
    again = false;
    FFields->FieldDestroyed = false;
    for (Integer i = 0; i < FFields->Count(); ++i) {
      TcxCustomDataField* f = FFields->Items(i);
      if (f->Processed) continue;
      f->Processed = true;
      UpdateField(f);
      if (FFields->FieldDestroyed) {
        again = true;
        break;
      }
    }
  }
}

void TcxCustomDataController::LoadStorage() {
  if (!IsSmartLoad()) FStorage->ClearAll(true);
  if (Provider()->HasData() && !IsSmartLoad()) {
    if (!IsPattern()) {
      TcxCustomDataProvider* p = Provider();
      if (IsGridMode()) {
        FStorage->BeginLoading();
        p->LoadGridModeBuffer();
        FStorage->EndLoading();
      } else {
        p->LockNotifications();
        try {
          SaveSourcePosition();
          p->MoveToFirst();
          if (p->FieldsRecreated) UpdateFields();
          BeginLoadRecords();
          if (IsProviderMode()) {
            p->LoadFromSource();
          } else if (!p->LoadAllRecords()) {
            std::unique_ptr<TcxValueDefReader> reader(p->CreateValueReader());
            while (!p->SourceAtLast()) {
              AddRecordFromReader(reader.get());
              p->MoveToNext();
            }
          }
          EndLoadRecords();
          RestoreSourcePosition();
        } catch (...) {
          p->UnlockNotifications();
          throw;
        }
        p->UnlockNotifications();
      }
    }
    TFlag loading(LoadingStorage, true);
    DataControllerInfo()->RecordsChanged();
    CheckBookmark(-1);
    RestoreFocus();
  }
  AddChanges(ccData);
  AfterLoad();
}

void TcxCustomDataController::AfterLoad() { AfterLoadStorage(); }

void TcxCustomDataController::RecreateStructure() {
  LockUpdate();
  try {
    Provider()->ResetEditing();
    if (!UsesOwnStorage() || !IsProviderMode()) FStorage->ClearAll(true);
    ClearBookmark();
    DataControllerInfo()->RecordsChanged();
    FStorage->SetOnlyStoredValues(IsProviderMode() || IsGridMode());
    FStorage->SetUsesRecordIds(UsesOwnStorage() && UsesRecordIDs());
    if (!IsProviderMode()) {
      if (FRecordHandlesField) {
        TcxCustomDataField* f = FRecordHandlesField;
        FRecordHandlesField = nullptr;
        delete f;
      }
    } else if (!FRecordHandlesField) {
      FRecordHandlesField = CreateInternalField();
      FRecordHandlesField->SetValueTypeClass(TcxIntegerValueType::Class());
    }
    LayoutChanged(2);
  } catch (...) {
    UnlockUpdate();
    throw;
  }
  UnlockUpdate();
}

void TcxCustomDataController::CheckGridModeChange() {
  // A grouped view needs every record, so a source shown as a window of
  // records loads them all while grouping levels exist.
  TcxCustomDataProvider* p = Provider();
  const bool was = p->GridModeActive();
  p->LoadAllNeeded = DataControllerInfo()->GroupingList()->Count() > 0;
  if (p->GridModeActive() != was) RecreateStructure();
}

void TcxCustomDataController::ReloadData() {
  if (IsDestroying()) return;
  if (IsPatternController() && FMasterRelation) {
    GetRootController()->ClearDetailsOfRelation(FMasterRelation->Item());
    return;
  }
  AddChanges(ccData);
}

Integer TcxCustomDataController::AddRecordFromReader(TcxValueDefReader* AReader) {
  const Integer r = FStorage->AddRecord();
  LoadRecordFromProvider(r, AReader);
  RecordRead(r);
  return r;
}

void TcxCustomDataController::LoadRecordFromProvider(Integer ARecord, TcxValueDefReader* AReader) {
  FStorage->LoadRecord(ARecord, AReader);
}

void TcxCustomDataController::RecordRead(Integer ARecord) { Provider()->RecordWasRead(ARecord); }

void TcxCustomDataController::CopyValueToSource(Integer ARecord, TcxCustomDataField* AField) {
  if (AField->IsInternalField() || !AField->ValueDef()) return;
  Provider()->SourceSetValue(ARecord, AField, FStorage->ValueAt(ARecord, AField->ValueDef()));
  if (AField->TextStored())
    Provider()->SetDisplayText(ARecord, AField, FStorage->DisplayTextAt(ARecord, AField->ValueDef()));
}

void TcxCustomDataController::FieldNotification(TComponent* AComponent) { FFields->ComponentRemoved(AComponent); }

TComponent* TcxCustomDataController::Notifier() const { return FNotifier.get(); }

void TcxCustomDataController::ProviderScrolled(Integer) { DataControllerInfo()->TakeFocusFromController(); }

void TcxCustomDataController::CheckFocusing(bool AForce) {
  if (AForce) DataControllerInfo()->TakeFocusFromController();
  if (GetFocusedRowIndex() == -1 && GetRowCount() > 0) CheckFocusedRow();
}

void TcxCustomDataController::Loaded() {
  if (FDataChangedPending) NotifyDataChanged();
  if (AfterSummaryPending) Summary()->DoAfterSummary();
}

void TcxCustomDataController::StorageCleared() {
  if (FProvider) FProvider->ClearSavedRecordIndex();
  FNewItemRecordIndex = 0;
}

void TcxCustomDataController::FieldRemoved(TcxCustomDataField* AField) {
  if (FDestroying) return;
  BeforeFieldRemove(AField);
}

void TcxCustomDataController::BeforeFieldRemove(TcxCustomDataField* AField) {
  if (AField == FRecordHandlesField) FRecordHandlesField = nullptr;
  if (FRelations) FRelations->RemoveField(AField);
  for (TcxDataFilterCriteria* f : FExtraFilters) f->RemoveItemByField(AField);
  if (FFilter) FFilter->RemoveItemByField(AField);
  if (FSummary) FSummary->ForgetField(AField);
  if (FInfo) FInfo->RemoveFieldReferences(AField);
  if (AField == FIncrementalFilterField) ResetIncrementalFilter();
  if (AField == FSortingBySummaryField) FSortingBySummaryField = nullptr;
  if (AField == FSearchField) {
    if (FSearch) FSearch->Cancel();
    FSearchField = nullptr;
  }
}

void TcxCustomDataController::DataChanged(Integer AKind, Integer AItemIndex, Integer ARecord) {
  const bool pending = FDataChangeRecord != -1 || (FUseNewItemRowForEditing && FDataChangeRecord == FNewItemRecordIndex &&
                                                    FNewItemRecordIndex != 0);
  if (pending && ARecord != FDataChangeRecord)
    FDataChangeKind = dcAll;
  else if (AKind != dcValue || FDataChangeItem == -1 || AItemIndex == FDataChangeItem)
    FDataChangeKind = AKind;
  else {
    FDataChangeKind = dcRecord;
    AItemIndex = -1;
  }
  FDataChangeItem = AItemIndex;
  FDataChangeRecord = ARecord;
  if (AKind == dcAll) {
    UpdateStructure(false);
  } else {
    if (AKind == dcInserted || AKind == dcDeleted) DataControllerInfo()->NoteRowsMoved(false);
    DataControllerInfo()->RecordsChanged();
  }
  NotifyMasterOfChange();
  CheckChanges();
}

// ---------------------------------------------------------------------------
// Rows and focus

Integer TcxCustomDataController::GetRowCount() const { return FInfo ? FInfo->RowCount() : 0; }

TcxRowInfo TcxCustomDataController::GetRowInfo(Integer ARow) const {
  if (!FInfo) cxDataControllerError(cxSDataRowIndexError);
  return FInfo->RowInfo(ARow);
}

Integer TcxCustomDataController::GetRowIndexByRecordIndex(Integer ARecord, bool AMakeVisible) {
  CheckRecordRange(ARecord);
  return DataControllerInfo()->RowOfRecord(ARecord, AMakeVisible);
}

Integer TcxCustomDataController::GetNearestRowIndex(Integer ARow) const {
  return FInfo ? FInfo->NearestRow(ARow) : -1;
}

Integer TcxCustomDataController::GetFilteredRecordCount() const { return FInfo ? FInfo->RecordListCount() : 0; }

Integer TcxCustomDataController::GetFilteredRecordIndex(Integer AIndex) const {
  if (!FInfo || AIndex < 0 || AIndex >= FInfo->RecordListCount()) return -1;
  return FInfo->RecordAt(AIndex);
}

Integer TcxCustomDataController::GetFilteredIndexOfRecord(Integer ARecord) const {
  return FInfo ? FInfo->RecordListIndexOf(ARecord) : -1;
}

Integer TcxCustomDataController::GetFocusedRowIndex() const { return FInfo ? FInfo->FocusedRowIndex() : -1; }

Integer TcxCustomDataController::GetFocusedRecordIndex() const { return FInfo ? FInfo->FocusedRecordIndex() : -1; }

Integer TcxCustomDataController::GetLastRowRecordIndex() const {
  const Integer n = GetRowCount();
  return n == 0 ? -1 : GetRowInfo(n - 1).RecordIndex;
}

bool TcxCustomDataController::ChangeFocusedRowIndex(Integer ARow) {
  TcxCustomDataProvider* p = Provider();
  if (p->IsSyncMode() && !p->IsInserting() && ARow != GetFocusedRowIndex() && !CanFocusedRowChange()) return false;
  if (ARow != GetFocusedRowIndex()) PostDetailEdits();
  DataControllerInfo()->ChangeFocusedRowLocked(ARow);
  return true;
}

bool TcxCustomDataController::ChangeFocusedRecordIndex(Integer ARecord) {
  return ChangeFocusedRowIndex(ARecord < 0 ? -1 : GetRowIndexByRecordIndex(ARecord, true));
}

void TcxCustomDataController::CheckFocusedRow() {
  if (GetFocusedRowIndex() == -1 && !IsNewItemRowActive()) ChangeFocusedRowIndex(0);
}

void TcxCustomDataController::GotoFirst() {
  if (IsGridMode()) Provider()->MoveToFirst(); else ChangeFocusedRowIndex(0);
}

void TcxCustomDataController::GotoLast() {
  if (IsGridMode()) Provider()->MoveToLast(); else ChangeFocusedRowIndex(GetRowCount() - 1);
}

void TcxCustomDataController::GotoNext() {
  if (IsGridMode()) Provider()->MoveToNext(); else ChangeFocusedRowIndex(GetFocusedRowIndex() + 1);
}

void TcxCustomDataController::GotoPrev() {
  if (IsGridMode()) Provider()->MoveToPrior(); else ChangeFocusedRowIndex(std::max(GetFocusedRowIndex() - 1, 0));
}

void TcxCustomDataController::MoveBy(Integer ADistance) {
  if (IsGridMode())
    Provider()->MoveBy(ADistance);
  else
    ChangeFocusedRowIndex(std::max(GetFocusedRowIndex() + ADistance, 0));
}

void TcxCustomDataController::Scroll(Integer ADistance) {
  if (IsGridMode()) Provider()->ScrollBy(ADistance);
}

bool TcxCustomDataController::IsBOF() const {
  if (IsGridMode()) return FProvider->SourceAtFirst();
  return GetRowCount() == 0 || GetFocusedRowIndex() == 0;
}

bool TcxCustomDataController::IsEOF() const {
  if (IsGridMode()) return FProvider->SourceAtLast();
  return GetRowCount() == 0 || GetFocusedRowIndex() == GetRowCount() - 1;
}

bool TcxCustomDataController::FocusSelectedRow(Integer AIndex) {
  const Integer row = GetSelectedRowIndex(AIndex);
  if (row < 0) return false;
  ChangeFocusedRowIndex(row);
  return GetFocusedRowIndex() == row;
}

void TcxCustomDataController::ForEachRow(bool ASelectedOnly, const TcxForEachRowProc& AProc) {
  if (ASelectedOnly) {
    for (Integer i = 0; i < GetSelectedCount(); ++i) {
      const Integer row = GetSelectedRowIndex(i);
      if (row >= 0 && row < GetRowCount()) AProc(row, GetRowInfo(row));
    }
  } else {
    for (Integer row = 0; row < GetRowCount(); ++row) AProc(row, GetRowInfo(row));
  }
}

void TcxCustomDataController::SetNewItemRowFocused(bool Value) {
  if (FNewItemRowFocused != Value) {
    TLock lock(this);
    if (Value)
      DataControllerInfo()->ChangeFocusedRow(-1, false);
    else if (!IsOwnerDestroying())
      Post(false);
    DataControllerInfo()->NoteRowsMoved(true);
    DataControllerInfo()->AddChanges(dcicFocusMoved);
    FNewItemRowFocused = Value;
  }
  if ((FOptions & dcoInsertOnNewItemRowFocusing) && IsNewItemRowActive() && !Provider()->IsInserting()) Insert();
}

void TcxCustomDataController::ResetNewItemRowFocus() {
  if (!FNewItemRowFocused) return;
  FNewItemRowFocused = false;
  DataControllerInfo()->PrevFocus()->Changed = true;
}

bool TcxCustomDataController::IsNewItemRowActive() const {
  return FNewItemRowFocused && FUseNewItemRowForEditing && GetFocusedRecordIndex() < 0;
}

// ---------------------------------------------------------------------------
// Selection

void TcxCustomDataController::SetMultiSelect(bool Value) {
  if (FMultiSelect == Value) return;
  FMultiSelect = Value;
  if (!Value) ClearSelection();
}

Integer TcxCustomDataController::GetSelectedCount() const {
  if (FMultiSelect) return FInfo ? FInfo->SelectedCount() : 0;
  return FFocusedSelected && GetFocusedRowIndex() != -1 ? 1 : 0;
}

Integer TcxCustomDataController::GetSelectedRowIndex(Integer AIndex) const {
  if (FMultiSelect) {
    if (!FInfo || AIndex < 0 || AIndex >= FInfo->SelectedCount()) return -1;
    return FInfo->SelectedRow(AIndex);
  }
  return AIndex == 0 && FFocusedSelected ? GetFocusedRowIndex() : -1;
}

bool TcxCustomDataController::IsRowSelected(Integer ARow) const {
  if (FMultiSelect) return FInfo && FInfo->IsRowSelected(ARow);
  return FFocusedSelected && ARow != -1 && ARow == GetFocusedRowIndex();
}

void TcxCustomDataController::ChangeRowSelection(Integer ARow, bool ASelect) {
  if (!FMultiSelect) return;
  TLock lock(this);
  DataControllerInfo()->SetRowSelected(ARow, ASelect);
}

void TcxCustomDataController::ClearSelection() {
  TLock lock(this);
  DataControllerInfo()->EmptySelection();
}

void TcxCustomDataController::SelectRows(Integer AFrom, Integer ATo) {
  if (!FMultiSelect) return;
  if (AFrom > ATo) std::swap(AFrom, ATo);
  TLock lock(this);
  for (Integer r = AFrom; r <= ATo; ++r) DataControllerInfo()->SetRowSelected(r, true);
}

void TcxCustomDataController::SelectAll() {
  if (GetRowCount() > 0) SelectRows(0, GetRowCount() - 1);
}

void TcxCustomDataController::SelectFocusedOnly() {
  if (!FMultiSelect) return;
  TLock lock(this);
  ClearSelection();
  if (GetFocusedRowIndex() != -1) ChangeRowSelection(GetFocusedRowIndex(), true);
}

void TcxCustomDataController::SetSelectionAnchor(Integer ARow) {
  DataControllerInfo()->CheckRow(ARow);
  DataControllerInfo()->Selection()->AnchorRowIndex = ARow;
}

Integer TcxCustomDataController::GetSelectionAnchorRowIndex() const {
  return FInfo ? FInfo->Selection()->AnchorRowIndex : -1;
}

void TcxCustomDataController::SelectFromAnchor(Integer ARow, bool AKeepSelection) {
  if (!IsSelectionAnchorSet()) return;
  TLock lock(this);
  const Integer anchor = GetSelectionAnchorRowIndex();
  if (!AKeepSelection) ClearSelection();
  DataControllerInfo()->Selection()->AnchorRowIndex = anchor;
  SelectRows(anchor, ARow);
}

void TcxCustomDataController::SyncSelected() {
  TLock lock(this);
  const Integer row = GetFocusedRowIndex();
  if (row == -1) {
    ClearSelection();
    return;
  }
  ClearSelection();
  if (FMultiSelect) {
    DataControllerInfo()->Selection()->AnchorRowIndex = row;
    ChangeRowSelection(row, true);
  }
}

void TcxCustomDataController::SetFocusedSelected(bool Value) {
  if (FMultiSelect || FFocusedSelected == Value) return;
  FFocusedSelected = Value;
  if (GetFocusedRowIndex() != -1) {
    FPrevSelectedCount = 1;
    FPrevSelectedRow = GetFocusedRowIndex();
    AddChanges(ccSelection);
  }
}

TcxDataSelection* TcxCustomDataController::GetSelection() const { return FInfo ? FInfo->Selection() : nullptr; }

void TcxCustomDataController::UpdatePrevSelectionInfo() {
  if (FPrevSelectedCount != 1) return;
  FPrevSelectedCount = GetSelectedCount();
  FPrevSelectedRow = FPrevSelectedCount == 1 ? GetSelectedRowIndex(0) : -1;
}

// ---------------------------------------------------------------------------
// Sorting and grouping

void TcxCustomDataController::ChangeSorting(Integer AItem, TcxDataSortOrder AOrder) {
  CheckItemRange(AItem);
  TcxCustomDataField* f = FieldOfItemIndex(AItem);
  if (DataControllerInfo()->SortingList()->OrderOf(f) == AOrder) return;
  CheckBeforeSorting();
  SortingChanged = true;
  TLock lock(this);
  DataControllerInfo()->ApplySortOrder(f, AOrder);
}

void TcxCustomDataController::ClearSorting(bool AKeepGrouping) {
  TLock lock(this);
  DataControllerInfo()->ClearSortOrders(AKeepGrouping);
}

TcxDataSortOrder TcxCustomDataController::GetItemSortOrder(Integer AItem) const {
  TcxCustomDataField* f = FieldOfItemIndex(AItem);
  if (!FInfo) return soNone;
  TcxDataSortOrder o = FInfo->SortingList()->OrderOf(f);
  if (o == soNone) o = FInfo->GroupingList()->OrderOf(f);
  return o;
}

bool TcxCustomDataController::RefreshItemSorting(Integer AItem) {
  const bool r = AItem == -1 || GetItemSortOrder(AItem) != soNone;
  if (r) OptionsChanged();
  return r;
}

void TcxCustomDataController::ChangeGroupIndex(Integer AItem, Integer AGroupIndex) {
  CheckItemRange(AItem);
  TcxCustomDataField* f = FieldOfItemIndex(AItem);
  TcxGroupingFieldList* g = DataControllerInfo()->GroupingList();
  const Integer cur = g->IndexOf(f);
  if (cur == AGroupIndex || (cur < 0 && AGroupIndex < 0)) return;
  CheckBeforeSorting();
  TLock lock(this);
  GroupingChanged = true;
  g->SetGroupIndex(f, AGroupIndex);
  g->CopyOrdersFrom(DataControllerInfo()->SortingList());
  DataControllerInfo()->Selection()->ResetSelection();
}

Integer TcxCustomDataController::GetItemGroupIndex(Integer AItem) const {
  TcxCustomDataField* f = FieldOfItemIndex(AItem);
  return FInfo ? FInfo->GroupingList()->IndexOf(f) : -1;
}

void TcxCustomDataController::ClearGrouping() {
  TcxGroupingFieldList* g = DataControllerInfo()->GroupingList();
  if (g->Count() == 0) return;
  TLock lock(this);
  GroupingChanged = true;
  g->Clear();
  DataControllerInfo()->Selection()->ResetSelection();
}

void TcxCustomDataController::FullExpand() {
  TLock lock(this);
  DataControllerInfo()->Groups()->SetAllExpanded(true);
  DataControllerInfo()->NoteRevealed();
  DataControllerInfo()->AddChanges(dcicCheckFocusedRow);
}

void TcxCustomDataController::FullCollapse() {
  TLock lock(this);
  DataControllerInfo()->Groups()->SetAllExpanded(false);
  DataControllerInfo()->NoteRevealed();
  DataControllerInfo()->AddChanges(dcicCheckFocusedRow);
}

void TcxCustomDataController::ChangeExpanding(Integer ARow, bool AExpanded, bool ARecursive) {
  TcxCustomDataControllerInfo* info = DataControllerInfo();
  info->CheckRow(ARow);
  TcxDataGroups* groups = info->Groups();
  Integer nearest;
  const Integer g = groups->GroupOfRow(ARow, nearest);
  if (g < 0) return;
  TLock lock(this);
  bool changed = false;
  const Integer level = groups->Items(g).Level;
  for (Integer i = g; i < groups->Count(); ++i) {
    if (i > g && groups->Items(i).Level <= level) break;
    if (i > g && !ARecursive) break;
    if (groups->Items(i).Expanded != AExpanded) {
      groups->Items(i).Expanded = AExpanded;
      changed = true;
    }
  }
  if (!changed) return;
  groups->RecomputeRowIndexes();
  info->NoteRevealed();
  info->AddChanges(dcicCheckFocusedRow);
}

void TcxCustomDataController::NotifyGroupingChanging() {
  TcxGroupingChangingInfo info;
  if (OnUpdateControl) {
    TFlag n(FNotifying, true);
    UpdateControl(&info);
  }
}

void TcxCustomDataController::SetSortingBySummaryItemIndex(Integer AItem) {
  TcxCustomDataField* f = nullptr;
  if (AItem != -1) f = FieldOfItemIndex(AItem);
  if (f == FSortingBySummaryField) return;
  FSortingBySummaryField = f;
  if (!IsOwnerDestroying()) {
    SortingBySummaryChanged = true;
    AddChanges(ccSorting);
  }
}

Integer TcxCustomDataController::GetSortingBySummaryItemIndex() const {
  return FSortingBySummaryField ? ItemIndexOfField(FSortingBySummaryField) : -1;
}

// ---------------------------------------------------------------------------
// Filtering

void TcxCustomDataController::FilterChanged() {
  CheckFocusingAfterFilter = true;
  Cancel();
  OptionsChanged();
  CheckBookmark(-1);
  UpdatePrevSelectionInfo();
}

void TcxCustomDataController::SetOnRecordFilter(const TcxDataFilterRecordEvent& Value) {
  const bool had = bool(FOnRecordFilter);
  FOnRecordFilter = Value;
  if (had || Value) Filter()->SignalChanged();
}

bool TcxCustomDataController::FilterRecordByEvent(Integer ARecord) {
  bool accept = true;
  if (FOnRecordFilter) FOnRecordFilter(this, ARecord, accept);
  return accept;
}

TcxDataFilterCriteria* TcxCustomDataController::CreateFilterCriteria() {
  TcxDataFilterCriteria* f = CreateFilter();
  FExtraFilters.push_back(f);
  return f;
}

Integer TcxCustomDataController::SetIncrementalFilter(Integer AItem, const String& AText) {
  CheckItemRange(AItem);
  FIncrementalFilterField = FieldOfItemIndex(AItem);
  FIncrementalFilterText = AText;
  OptionsChanged();
  return GetFilteredRecordCount() > 0 ? GetFilteredRecordIndex(0) : -1;
}

void TcxCustomDataController::ResetIncrementalFilter() {
  const bool had = FIncrementalFilterField != nullptr;
  FIncrementalFilterField = nullptr;
  FIncrementalFilterText.clear();
  if (had && !IsOwnerDestroying() && !FDestroying) OptionsChanged();
}

bool TcxCustomDataController::HasIncrementalFilter() const {
  return FIncrementalFilterField != nullptr && !FIncrementalFilterText.empty();
}

Integer TcxCustomDataController::IncrementalFilterItemIndex() const { return ItemIndexOfField(FIncrementalFilterField); }

bool TcxCustomDataController::ChangeIncrementalFilterText(const String& AText) {
  if (!FIncrementalFilterField || AText == FIncrementalFilterText) return false;
  SetIncrementalFilter(ItemIndexOfField(FIncrementalFilterField), AText);
  return true;
}

bool TcxCustomDataController::MatchesIncrementalFilter(Integer ARecord) {
  return cxTextMatches(GetRecordDisplayText(ARecord, FIncrementalFilterField), FIncrementalFilterText, true);
}

// ---------------------------------------------------------------------------
// Searching, locating and comparing

Integer TcxCustomDataController::FindRecordByText(Integer AStartIndex, Integer AItem, bool AForward, bool AWrap,
                                                  bool APartial, const String& AText) {
  const Integer n = GetFilteredRecordCount();
  if (AStartIndex < 0 || AStartIndex >= n) return -1;
  CheckItemRange(AItem);
  auto test = [&](Integer p) { return cxTextMatches(GetDisplayText(GetFilteredRecordIndex(p), AItem), AText, APartial); };
  if (AForward) {
    for (Integer p = AStartIndex; p < n; ++p)
      if (test(p)) return GetFilteredRecordIndex(p);
    if (AWrap)
      for (Integer p = 0; p < AStartIndex; ++p)
        if (test(p)) return GetFilteredRecordIndex(p);
  } else {
    for (Integer p = AStartIndex; p >= 0; --p)
      if (test(p)) return GetFilteredRecordIndex(p);
    if (AWrap)
      for (Integer p = n - 1; p > AStartIndex; --p)
        if (test(p)) return GetFilteredRecordIndex(p);
  }
  return -1;
}

Integer TcxCustomDataController::FindRecordByFields(Integer ARecord, const std::vector<TcxCustomDataField*>& AFields) {
  if (AFields.empty()) return -1;
  std::vector<Integer> saved;
  for (TcxCustomDataField* f : AFields) {
    saved.push_back(f->CompareMode);
    f->CompareMode = 0;
    f->CompareMode = UsesValueCompare(f) ? (IsSortedByDisplayText(f) ? 2 : 1) : -1;
  }
  auto restore = [&] {
    for (size_t i = 0; i < AFields.size(); ++i) AFields[i]->CompareMode = saved[i];
  };
  Integer found = -1;
  try {
    for (Integer r = 0; r < GetRecordCount() && found < 0; ++r) {
      bool equal = true;
      for (TcxCustomDataField* f : AFields)
        if (CompareRecords(r, ARecord, f) != 0) {
          equal = false;
          break;
        }
      if (equal) found = r;
    }
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return found;
}

Integer TcxCustomDataController::FindRecordBySortedFields(Integer ARecord, Integer AFieldCount) {
  TcxCustomDataControllerInfo* info = DataControllerInfo();
  Integer lo = 0, hi = info->RecordListCount() - 1;
  const Integer count = std::min(AFieldCount, info->TotalSortingList()->Count());
  while (lo <= hi) {
    const Integer mid = lo + (hi - lo) / 2;
    const Integer r = info->RecordAt(mid);
    int c = 0;
    for (Integer i = 0; i < count && c == 0; ++i) c = info->CompareForGrouping(r, ARecord, i);
    if (c < 0)
      lo = mid + 1;
    else if (c > 0)
      hi = mid - 1;
    else
      return r;
  }
  return -1;
}

int TcxCustomDataController::CompareTexts(const String& A, const String& B) const {
  const bool ansi = FOptions & dcoAnsiSort, nocase = FOptions & dcoCaseInsensitive;
  if (ansi && nocase) return AnsiCompareText(A, B);
  if (ansi) return AnsiCompareStr(A, B);
  if (nocase) {
    const int c = AnsiUpperCase(A).compare(AnsiUpperCase(B));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  return cxVarCompare(Variant(A), Variant(B));
}

void TcxCustomDataController::PrepareFieldSortKeys(TcxCustomDataField* AField) {
  // Texts compared by the locale's collation (or upper-cased) get one sort
  // key per record, so the sort compares keys instead of collating the same
  // texts again and again.
  if (AField->SortKeysValid || OnCompare) return;
  const bool ansi = FOptions & dcoAnsiSort, nocase = FOptions & dcoCaseInsensitive;
  if (!ansi && !nocase) return;
  const Integer n = GetRecordCount();
  AField->SortKeys.assign(size_t(n), std::string());
  // Stored texts of the storage are read in place (no Variant copies) when
  // the values compared are the stored ones.
  TcxValueDef* def = AField->ValueDef();
  const bool inPlace = AField->CompareMode == 1 && def && !IsProviderMode() && !IsGridMode() &&
                       def->ValueTypeClass() == TcxStringValueType::Class();
  for (Integer r = 0; r < n; ++r) {
    std::string& key = AField->SortKeys[size_t(r)];
    const String* text = nullptr;
    Variant v;
    if (inPlace) {
      const void* k = nullptr;
      if (!FStorage->GetCompareKey(r, def, k) && k) text = static_cast<const String*>(k);
    } else {
      v = GetComparedValue(r, AField);
      const TVarType t = v.Kind();
      if (!v.IsNull() && !v.IsEmpty()) {
        if (t != varString && t != varOleStr) {
          // Not a text: no key, the record is compared the usual way.
          AField->SortKeys.clear();
          return;
        }
      }
    }
    if (inPlace ? !text : (v.IsNull() || v.IsEmpty())) {
      key.assign(1, '\0');   // sorts first, like Null in the Variant order
      continue;
    }
    String owned;
    if (!inPlace) owned = v.AsString();
    const String& s = inPlace ? *text : owned;
    key.assign(1, '\1');
    if (ansi)
      AppendCollationSortKey(key, s, nocase);
    else
      key += AnsiUpperCase(s);
  }
  AField->SortKeysValid = true;
}

void TcxCustomDataController::PrepareFieldCompareKeys(TcxCustomDataField* AField) {
  // Keys point into the record buffers, which stay put while a sort or a
  // group build runs (nothing writes to the storage meanwhile).
  TcxValueDef* def = AField->ValueDef();
  if (AField->CompareKeysValid || !def || IsProviderMode() || IsGridMode()) return;
  const Integer n = GetRecordCount();
  AField->CompareKeys.resize(size_t(n));
  AField->CompareNulls.resize(size_t(n));
  for (Integer r = 0; r < n; ++r) {
    const void* key = nullptr;
    AField->CompareNulls[size_t(r)] = FStorage->GetCompareKey(r, def, key) ? 1 : 0;
    AField->CompareKeys[size_t(r)] = key;
  }
  AField->CompareKeysValid = true;
}

Variant TcxCustomDataController::GetComparedValue(Integer ARecord, TcxCustomDataField* AField) {
  if (AField->CompareMode == 2) return Variant(GetRecordDisplayText(ARecord, AField));
  return GetRecordValue(ARecord, AField);
}

bool TcxCustomDataController::UsesValueCompare(TcxCustomDataField* AField) {
  if (AField->CompareMode != 0) return AField->CompareMode > 0;
  if (AField->Attribute() || NeedsTextCompare(AField) || IsSortedByDisplayText(AField)) return true;
  if (IsProviderMode()) {
    TcxCustomDataSource* s = Provider()->CustomDataSource();
    s->SetProvider(Provider());
    return !s->IsCustomCompare();
  }
  return false;
}

bool TcxCustomDataController::NeedsTextCompare(TcxCustomDataField* AField) const {
  if (!(FOptions & (dcoAnsiSort | dcoCaseInsensitive))) return false;
  TcxValueDef* def = AField->ValueDef();
  return def && def->IsTextValued();
}

bool TcxCustomDataController::IsSortedByDisplayText(TcxCustomDataField* AField) const {
  if (FInternalFind || AField->IsInternalField() || !AField->Item()) return false;
  const Integer i = ItemIndexOfField(AField);
  return i >= 0 && IsItemSortedByDisplayText(i, (FOptions & dcoSortByDisplayText) != 0);
}

bool TcxCustomDataController::IsItemComparedByText(Integer AItem) {
  if (IsItemSortedByDisplayText(AItem, true)) return true;
  TcxValueDef* def = FieldOfItemIndex(AItem)->ValueDef();
  return (FOptions & dcoAnsiSort) && def && def->IsTextValued();
}

int TcxCustomDataController::CompareRecordsBySortInfo(Integer ARecord1, Integer ARecord2, const TcxDataSortInfo& AInfo) {
  const int r = CompareRecords(ARecord1, ARecord2, AInfo.Field);
  return AInfo.SortOrder == soDescending ? -r : r;
}

int TcxCustomDataController::CompareRecords(Integer ARecord1, Integer ARecord2, TcxCustomDataField* AField) {
  if ((OnCompare && !AField->IsInternalField()) || UsesValueCompare(AField)) {
    if (!OnCompare && IsProviderMode() && ARecord1 >= 0 && ARecord2 >= 0) {
      TcxCustomDataSource* s = Provider()->CustomDataSource();
      s->SetProvider(Provider());
      if (s->IsCustomCompare()) return Provider()->SourceCompareValues(ARecord1, ARecord2, AField);
    }
    if (!OnCompare && AField->SortKeysValid && ARecord1 >= 0 && ARecord2 >= 0 &&
        ARecord1 < Integer(AField->SortKeys.size()) && ARecord2 < Integer(AField->SortKeys.size())) {
      const int c = AField->SortKeys[size_t(ARecord1)].compare(AField->SortKeys[size_t(ARecord2)]);
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    const Variant v1 = GetComparedValue(ARecord1, AField);
    const Variant v2 = GetComparedValue(ARecord2, AField);
    if (OnCompare) {
      int compare = 0;
      OnCompare(this, ARecord1, ARecord2, ItemIndexOfField(AField), v1, v2, compare);
      return compare;
    }
    auto isText = [](const Variant& v) {
      const TVarType t = v.Kind();
      return !v.IsNull() && !v.IsEmpty() && (t == varString || t == varOleStr);
    };
    if (isText(v1) && isText(v2)) return CompareTexts(v1.AsString(), v2.AsString());
    return cxVarCompare(v1, v2);
  }
  TcxValueDef* def = AField->ValueDef();
  if (!def) return 0;
  if (IsProviderMode()) return Provider()->SourceCompareRecords(ARecord1, ARecord2, AField);
  if (AField->CompareKeysValid && ARecord1 >= 0 && ARecord2 >= 0 &&
      ARecord1 < Integer(AField->CompareKeys.size()) && ARecord2 < Integer(AField->CompareKeys.size()))
    return def->CompareKeys(AField->CompareNulls[size_t(ARecord1)] != 0, AField->CompareNulls[size_t(ARecord2)] != 0,
                            AField->CompareKeys[size_t(ARecord1)], AField->CompareKeys[size_t(ARecord2)]);
  return FStorage->CompareRecordValues(ARecord1, ARecord2, def);
}

// ---------------------------------------------------------------------------
// Key snapshots and bookmark

Variant TcxCustomDataController::GetKeyValues(Integer ARecord, const std::vector<TcxCustomDataField*>& AFields) {
  if (AFields.empty()) {
    if (IsProviderMode()) {
      Variant v;
      Provider()->SourceRecordId(ARecord, v);
      return v;
    }
    return Variant::Null();
  }
  Variant v;
  GetRecordValues(ARecord, AFields, v);
  return v;
}

bool TcxCustomDataController::CanIdentifyRecordsByKey() const {
  if (IsKeyMode()) return true;
  return IsProviderMode() && FProvider->SourceHasRecordIds();
}

bool TcxCustomDataController::SetBookmark() {
  const Integer r = GetFocusedRecordIndex();
  if (r == FBookmarkRecordIndex) return false;
  FBookmarkRecordIndex = r;
  return true;
}

bool TcxCustomDataController::IsBookmarkRow(Integer ARow) const {
  if (!HasBookmark() || ARow < 0 || ARow >= GetRowCount()) return false;
  return GetRowInfo(ARow).RecordIndex == FBookmarkRecordIndex;
}

void TcxCustomDataController::GotoBookmark() {
  if (HasBookmark()) ChangeFocusedRecordIndex(FBookmarkRecordIndex);
}

bool TcxCustomDataController::IsBookmarkRecordInvalid(Integer ARecord) const {
  return ARecord == FBookmarkRecordIndex || GetFilteredIndexOfRecord(FBookmarkRecordIndex) < 0;
}

void TcxCustomDataController::CheckBookmark(Integer ARecord) {
  if (!HasBookmark() || !IsBookmarkRecordInvalid(ARecord)) return;
  ClearBookmark();
  AddChanges(ccBookmark);
}

// ---------------------------------------------------------------------------
// Notifications

void TcxCustomDataController::AddChanges(TcxDataControllerChanges AChanges) {
  FChanges |= AChanges;
  CheckChanges();
}

void TcxCustomDataController::CheckChanges() {
  if (GetLockCount() > 0 || FDestroying) return;
  if (FInfo && FInfo->Calculating()) return;
  BeforeApplyChanges();
  if (FChanges == 0) return;
  if (StructureChanged) {
    StructureChanged = false;
    LayoutChanged(1);
  }
  ApplyChanges();
}

void TcxCustomDataController::NotifyDataControllerChanged(Word AEngineChanges) {
  FChanges |= AEngineChanges;
  CheckChanges();
}

void TcxCustomDataController::ApplyChanges() {
  const TcxDataControllerChanges c = FChanges;
  FChanges = 0;
  if (c & ccData) {
    NotifyDataChangedInfo();
  } else if (c & (ccLayout | ccDetails | ccRows)) {
    TcxLayoutChangedInfo info;
    NotifyControl(&info);
  } else if (c & ccRecordEdit) {
    TcxUpdateRecordInfo info;
    info.RecordIndex = GetFocusedRecordIndex();
    NotifyControl(&info);
    Search()->Cancel();
  }
  if (c & ccFocus) NotifyFocusChanged();
  if (c & ccSelection) NotifySelectionChanged();
  if (c & ccSearch) {
    TcxSearchChangedInfo info;
    NotifyControl(&info);
  }
  if (c & ccBookmark) {
    TcxBookmarkChangedInfo info;
    NotifyControl(&info);
  }
  if ((c & ccGrouping) && !IsReading() && OnGroupingChange) OnGroupingChange(this);
  if ((c & ccSorting) && !IsReading() && !FInSortingChanged && OnSortingChange) {
    TFlag guard(FInSortingChanged, true);
    OnSortingChange(this);
  }
}

void TcxCustomDataController::UpdateControl(TcxUpdateControlInfo* AInfo) {
  if (OnUpdateControl) OnUpdateControl(AInfo);
}

void TcxCustomDataController::NotifyControl(TcxUpdateControlInfo* AInfo) {
  TFlag guard(FNotifying, true);
  UpdateControl(AInfo);
}

void TcxCustomDataController::ResetDataChangeInfo() {
  FDataChangeKind = dcAll;
  FDataChangeItem = -1;
  FDataChangeRecord = -1;
}

void TcxCustomDataController::NotifyDataChangedInfo() {
  struct TReset {
    TcxCustomDataController* C;
    ~TReset() { C->ResetDataChangeInfo(); }
  } reset{this};
  if (FDataChangeKind == dcValue && FDataChangeItem == -1) FDataChangeKind = dcRecord;
  const bool newItem = FDataChangeRecord != 0 && FDataChangeRecord == FNewItemRecordIndex;
  if (FDataChangeKind < dcInserted && FDataChangeRecord == -1 && !newItem) FDataChangeKind = dcAll;
  TcxDataChangedInfo info;
  info.Kind = FDataChangeKind;
  info.ItemIndex = FDataChangeItem;
  info.RecordIndex = FDataChangeRecord;
  NotifyControl(&info);
  NotifyDataChanged();
}

void TcxCustomDataController::NotifyDataChanged() {
  if (IsOwnerDestroying() || FDestroying) return;
  if (!OnDataChange && !OnRecordChange && FDataChangedListeners.empty()) return;
  if (IsLoading()) {
    FDataChangedPending = true;
    return;
  }
  FDataChangedPending = false;
  if (!IsPattern() && OnRecordChange && FDataChangeKind < dcInserted &&
      (FDataChangeRecord != -1 || (FDataChangeRecord != 0 && FDataChangeRecord == FNewItemRecordIndex)))
    OnRecordChange(this, FDataChangeRecord, FDataChangeItem);
  if (OnDataChange) OnDataChange(this);
  if (IsGridMode() && Provider()->LocateCount() > 0) return;
  // Listeners may remove themselves while being called: walk a copy.
  const auto listeners = FDataChangedListeners;
  for (const auto& l : listeners)
    if (l.Method) l.Method(this);
}

void TcxCustomDataController::NotifyFocusChanged() {
  TcxCustomDataControllerInfo* engine = DataControllerInfo();
  TcxDataFocusingInfo* prev = engine->PrevFocus();
  TcxDataFocusingInfo* cur = engine->Focus();
  if (prev->RowIndex != cur->RowIndex) {
    TcxFocusedRowChangedInfo info;
    info.PrevFocusedRowIndex = prev->RowIndex;
    info.FocusedRowIndex = cur->RowIndex;
    NotifyControl(&info);
  }
  const Integer prevRec = prev->RowIndex == -1 && prev->RecordIndex >= 0 ? prev->RecordIndex : prev->RecordIndex;
  const Integer curRec = GetFocusedRecordIndex();
  if (prevRec >= 0 || curRec >= 0 || prev->Changed) {
    TcxFocusedRecordChangedInfo info;
    info.PrevFocusedRecordIndex = prevRec;
    info.FocusedRecordIndex = curRec;
    info.PrevFocusedRowIndex = prev->RowIndex;
    info.FocusedRowIndex = cur->RowIndex;
    info.NewItemRowFocusingChanged = prev->Changed;
    NotifyControl(&info);
    Search()->Cancel();
  }
  prev->CopyFrom(cur);
}

void TcxCustomDataController::NotifySelectionChanged() {
  const Integer count = GetSelectedCount();
  const Integer row = count == 1 ? GetSelectedRowIndex(0) : -1;
  Integer r1 = -1, r2 = -1;
  if (FPrevSelectedCount <= 1 && count <= 1) {
    if (FPrevSelectedCount == 1) r1 = FPrevSelectedRow;
    r2 = row;
  }
  TcxSelectionChangedInfo info(r1, r2);
  NotifyControl(&info);
  FPrevSelectedCount = count;
  FPrevSelectedRow = row;
}

void TcxCustomDataController::AddDataChangedListener(TObject* AObject, const TNotifyEvent& AMethod) {
  FDataChangedListeners.push_back({AObject, AMethod});
}

void TcxCustomDataController::RemoveDataChangedListener(TObject* AObject) {
  for (auto it = FDataChangedListeners.begin(); it != FDataChangedListeners.end(); ++it)
    if (it->Object == AObject) {
      FDataChangedListeners.erase(it);
      return;
    }
}

TcxDataListenerLink* TcxCustomDataController::CreateListenerLink() {
  auto* link = new TcxDataListenerLink();
  link->Ref = this;
  FListenerLinks.push_back(link);
  return link;
}

void TcxCustomDataController::FreeListenerLink(TcxDataListenerLink* ALink) {
  if (!ALink) return;
  if (TcxCustomDataController* c = ALink->Ref) {
    auto& links = c->FListenerLinks;
    links.erase(std::remove(links.begin(), links.end(), ALink), links.end());
  }
  delete ALink;
}
