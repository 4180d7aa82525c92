// Data controller: the provider, which holds the editing state (which
// record is edited or inserted, a saved copy of its values) and carries out
// edit, insert, post, cancel and delete on the controller's records.
#include <algorithm>

#include "cxCustomData.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomDataProvider, TObject)

namespace {

// Holds the controller's update lock for a scope.
struct TControllerLock {
  TcxCustomDataController* C;
  explicit TControllerLock(TcxCustomDataController* c) : C(c) { C->BeginUpdate(); }
  ~TControllerLock() { C->EndUpdate(); }
};

struct TFlagScope {
  bool& Flag;
  bool Old;
  TFlagScope(bool& f, bool v) : Flag(f), Old(f) { Flag = v; }
  ~TFlagScope() { Flag = Old; }
};

}  // namespace

TcxCustomDataProvider::TcxCustomDataProvider(TcxCustomDataController* AController) : FDataController(AController) {}

TcxCustomDataProvider::~TcxCustomDataProvider() {
  if (FSavedRecordIndex != 0 && FDataController->DataStorage()) {
    try {
      FDataController->DataStorage()->RemoveRecord(FSavedRecordIndex);
    } catch (...) {
    }
  }
  FSavedRecordIndex = 0;
  if (FCustomDataSource) FCustomDataSource->RemoveProvider(this);
}

// --- custom data source -----------------------------------------------------

void TcxCustomDataProvider::AttachCustomSource(TcxCustomDataSource* ASource) {
  if (!AcceptsCustomSource() || ASource == FCustomDataSource) return;
  if (FCustomDataSource) FCustomDataSource->RemoveProvider(this);
  FCustomDataSource = ASource;
  if (FCustomDataSource) FCustomDataSource->AddProvider(this);
  if (!FDataController->IsDestroying()) FDataController->RecreateStructure();
}

void* TcxCustomDataProvider::RecordHandle(Integer ARecord) const {
  TcxCustomDataField* f = FDataController->FRecordHandlesField;
  if (!f || !f->ValueDef()) return nullptr;
  Variant v = FDataController->DataStorage()->ValueAt(ARecord, f->ValueDef());
  return v.IsNull() ? nullptr : reinterpret_cast<void*>(static_cast<intptr_t>(v.AsInteger()));
}

Integer TcxCustomDataProvider::RecordOfHandle(void* AHandle) const {
  for (Integer r = 0; r < FDataController->GetRecordCount(); ++r)
    if (RecordHandle(r) == AHandle) return r;
  return -1;
}

Integer TcxCustomDataProvider::StoreRecordHandle(void* AHandle) {
  TcxCustomDataField* f = FDataController->FRecordHandlesField;
  if (!FCustomDataSource || !f) return -1;
  const Integer r = FDataController->DataStorage()->AddRecord();
  FDataController->DataStorage()->SetValueAt(r, f->ValueDef(),
                                             Variant(static_cast<Integer>(reinterpret_cast<intptr_t>(AHandle))));
  return r;
}

void TcxCustomDataProvider::LoadFromSource() {
  if (!FCustomDataSource) return;
  FCustomDataSource->SetProvider(this);
  FCustomDataSource->LoadRecordHandles();
}

void TcxCustomDataProvider::SortRecordsBySource() {
  if (!FCustomDataSource) return;
  FCustomDataSource->SetProvider(this);
  FCustomDataSource->CustomSort();
}

bool TcxCustomDataProvider::SourceSortsRecords() {
  if (!FCustomDataSource) return false;
  FCustomDataSource->SetProvider(this);
  return FCustomDataSource->IsCustomSorting();
}

bool TcxCustomDataProvider::SourceHasRecordIds() {
  if (!FCustomDataSource) return false;
  FCustomDataSource->SetProvider(this);
  return FCustomDataSource->IsRecordIdSupported();
}

void* TcxCustomDataProvider::SourceAppendRecord() {
  if (!FCustomDataSource) return nullptr;
  FCustomDataSource->SetProvider(this);
  return FCustomDataSource->AppendRecord();
}

void TcxCustomDataProvider::SourceDeleteRecord(Integer ARecord) {
  if (!FCustomDataSource) return;
  FCustomDataSource->SetProvider(this);
  FCustomDataSource->DeleteRecord(RecordHandle(ARecord));
}

bool TcxCustomDataProvider::SourceDetailHasChildren(Integer ARecord, Integer ARelationIndex) {
  if (!FCustomDataSource) return false;
  FCustomDataSource->SetProvider(this);
  return FCustomDataSource->DetailHasChildren(RecordHandle(ARecord), ARelationIndex);
}

void TcxCustomDataProvider::SourceDisplayText(Integer ARecord, TcxCustomDataField* AField, String& AText) {
  AText.clear();
  if (!FCustomDataSource) return;
  FCustomDataSource->SetProvider(this);
  AText = FCustomDataSource->GetDisplayText(RecordHandle(ARecord), FDataController->ItemIndexOfField(AField));
}

void TcxCustomDataProvider::GridModeDisplayText(Integer, TcxCustomDataField*, String& AText) { AText.clear(); }

void TcxCustomDataProvider::GridModeValue(Integer, TcxCustomDataField*, Variant& AValue) { AValue = Variant::Null(); }

void TcxCustomDataProvider::SourceRecordId(Integer ARecord, Variant& AValue) {
  AValue = Variant::Null();
  if (!FCustomDataSource) return;
  FCustomDataSource->SetProvider(this);
  AValue = FCustomDataSource->GetRecordId(RecordHandle(ARecord));
}

void TcxCustomDataProvider::SourceValue(Integer ARecord, TcxCustomDataField* AField, Variant& AValue) {
  AValue = Variant::Null();
  if (!FCustomDataSource) return;
  FCustomDataSource->SetProvider(this);
  AValue = FCustomDataSource->GetValue(RecordHandle(ARecord), FDataController->ItemIndexOfField(AField));
}

void* TcxCustomDataProvider::SourceInsertRecord(Integer ARecord) {
  if (!FCustomDataSource) return nullptr;
  FCustomDataSource->SetProvider(this);
  return FCustomDataSource->InsertRecord(RecordHandle(ARecord));
}

int TcxCustomDataProvider::SourceCompareRecords(Integer ARecord1, Integer ARecord2, TcxCustomDataField* AField) {
  TcxValueDef* def = AField->ValueDef();
  if (!def) return 0;
  TcxDataStorage* s = FDataController->DataStorage();
  if (ARecord1 < 0 && ARecord2 < 0) return s->CompareRecordValues(ARecord1, ARecord2, def);
  if (!FCustomDataSource) return s->CompareRecordValues(ARecord1, ARecord2, def);
  // Each side's value: the storage's for an internal record, the source's
  // for a source record; compared as the column's values.
  auto valueOf = [&](Integer r) {
    Variant v;
    if (r < 0)
      v = s->ValueAt(r, def);
    else
      SourceValue(r, AField, v);
    return v;
  };
  const Variant v1 = valueOf(ARecord1), v2 = valueOf(ARecord2);
  const Integer probe1 = s->AcquireInternalRecord(), probe2 = s->AcquireInternalRecord();
  int r = 0;
  try {
    s->SetValueAt(probe1, def, v1);
    s->SetValueAt(probe2, def, v2);
    r = s->CompareRecordValues(probe1, probe2, def);
  } catch (...) {
    s->RemoveRecord(probe2);
    s->RemoveRecord(probe1);
    throw;
  }
  s->RemoveRecord(probe2);
  s->RemoveRecord(probe1);
  return r;
}

int TcxCustomDataProvider::SourceCompareValues(Integer ARecord1, Integer ARecord2, TcxCustomDataField* AField) {
  if (!FCustomDataSource) return 0;
  FCustomDataSource->SetProvider(this);
  return FCustomDataSource->CompareValues(RecordHandle(ARecord1), RecordHandle(ARecord2),
                                          FDataController->ItemIndexOfField(AField));
}

void TcxCustomDataProvider::SourceSetRecordCount(Integer ACount) {
  if (!FCustomDataSource) return;
  FCustomDataSource->SetProvider(this);
  FCustomDataSource->SetRecordCount(ACount);
}

void TcxCustomDataProvider::SourceSetValue(Integer ARecord, TcxCustomDataField* AField, const Variant& AValue) {
  if (!FCustomDataSource) return;
  FCustomDataSource->SetProvider(this);
  FCustomDataSource->SetValue(RecordHandle(ARecord), FDataController->ItemIndexOfField(AField), AValue);
}

// --- editing -------------------------------------------------------------------

bool TcxCustomDataProvider::CanDelete() { return FDataController->GetRecordCount() > 0; }

bool TcxCustomDataProvider::CanInitEditing(Integer ARecord) {
  FDataController->CheckRecordRange(ARecord);
  if (!IsEditing()) StartEditing();
  SetChangingFlag();
  return true;
}

void TcxCustomDataProvider::Edit() { DoEdit(); }

void TcxCustomDataProvider::Insert() { DoInsert(false); }

void TcxCustomDataProvider::Append() { DoInsert(true); }

void TcxCustomDataProvider::DoEdit() {
  TcxCustomDataController* c = FDataController;
  if (c->UseNewItemRowForEditing() && c->NewItemRowFocused() && !IsInserting()) {
    Insert();
    return;
  }
  FEditingRecordIndex = c->GetEditingTargetRecord();
  if (FEditingRecordIndex >= 0) {
    FPrevRecordIndex = FNextRecordIndex = cxNullEditingRecord;
    const Integer row = c->GetFocusedRowIndex();
    if (row >= 0) {
      const Integer rows = c->GetRowCount();
      if (row < rows - 1)
        FNextRecordIndex = c->GetRowInfo(row + 1).RecordIndex;
      else
        FPrevRecordIndex = c->GetRowInfo(row > 0 ? row - 1 : row).RecordIndex;
    }
  }
  if (FEditingRecordIndex == cxNullEditingRecord) return;
  if ((!SourceIsOpen() || c->IsSmartRefresh()) && !FInserting) {
    if (FSavedRecordIndex == 0) FSavedRecordIndex = c->DataStorage()->AcquireInternalRecord();
    c->CopyRecord(FEditingRecordIndex, FSavedRecordIndex);
  }
  c->AddChanges(ccRecordEdit);
}

void TcxCustomDataProvider::DoInsert(bool AAppend) {
  TcxCustomDataController* c = FDataController;
  if (!SourceIsOpen() && IsInserting() && !IsChanging() && !IsModified()) return;
  if (IsEditing() && (IsChanging() || IsModified()) && !SourceIsOpen()) {
    if (IsChanging()) PostEditingData();
    Post(false);
  }
  c->NotifyInserting();
  Integer editing = cxNullEditingRecord;
  {
    TControllerLock lock(c);
    Variant groupValues;
    Integer base;
    if (c->UseNewItemRowForEditing()) {
      base = c->GetFocusedRecordIndex();
      if (base < 0 && c->GetRowCount() > 0) base = c->GetRowInfo(0).RecordIndex;
      groupValues = c->GetGroupValues(base);
      editing = c->GetNewItemRecordIndex();
      c->SetNewItemRowFocused(true);
    } else {
      if (!AAppend) c->ClearSelection();
      if (GridModeActive()) {
        base = c->GetCurrentRecordIndex();
        groupValues = c->GetGroupValues(base);
        editing = base;
      } else if (AAppend) {
        base = c->GetRowCount() > 0 ? c->GetRowInfo(c->GetRowCount() - 1).RecordIndex : -1;
        groupValues = c->GetGroupValues(base);
        editing = c->AppendStorageRecord();
        FPrevRecordIndex = base;
      } else {
        const Integer row = c->GetFocusedRowIndex();
        base = row >= 0 ? c->GetRowInfo(row).RecordIndex : 0;
        if (base < 0) base = 0;
        groupValues = c->GetGroupValues(base);
        base = std::min(base, c->GetRecordCount());
        editing = c->InsertStorageRecord(base);
        FNextRecordIndex = base;
        if (base >= editing && FNextRecordIndex < c->GetRecordCount() - 1) ++FNextRecordIndex;
      }
    }
    FEditingRecordIndex = editing;
    AssignGroupValues(editing, groupValues);
    ResetChanging();
    FInserting = true;
  }
  c->ChangeFocusedRecordIndex(FEditingRecordIndex);
  c->NotifyRecordInserted();
}

void TcxCustomDataProvider::AssignItemValue(Integer ARecord, TcxCustomDataField* AField, const Variant& AValue) {
  FDataController->SetValue(ARecord, FDataController->ItemIndexOfField(AField), AValue);
}

void TcxCustomDataProvider::AssignGroupValues(Integer ARecord, const Variant& AValues) {
  TcxCustomDataController* c = FDataController;
  TcxGroupingFieldList* g = c->DataControllerInfo()->GroupingList();
  if (g->Count() > 0 && (c->Options() & dcoAssignGroupingValues) && AValues.IsArray()) {
    for (Integer i = 0; i < g->Count(); ++i) {
      if (i < AValues.LowBound() || i > AValues.HighBound()) break;
      TcxCustomDataField* f = g->Items(i).Field;
      if (f->Item()) AssignItemValue(ARecord, f, AValues.GetElement(i));
    }
  }
  c->NotifyRecordInit(ARecord);
}

void TcxCustomDataProvider::Post(bool AForce) {
  TcxCustomDataController* c = FDataController;
  Integer posted = -1;
  bool posting = false;
  {
    TControllerLock lock(c);
    UpdateData();
    if (!IsInserting() || IsModified() || AForce) {
      c->NotifyPosting();
      posting = true;
      posted = FEditingRecordIndex;
      if (IsInserting() && c->UseNewItemRowForEditing() && FEditingRecordIndex == c->FNewItemRecordIndex &&
          FEditingRecordIndex != cxNullEditingRecord) {
        TFlagScope locked(FDataChangedLocked, FCustomDataSource != nullptr);
        const Integer r = c->AppendStorageRecord();
        InsertedRecordIndex = r;
        c->CopyRecord(FEditingRecordIndex, r);
        posted = r;
      }
      ResetEditing();
    } else {
      Cancel();
      posted = -1;
    }
    c->DataChanged(dcRecord, -1, posted == cxNullEditingRecord ? -1 : posted);
  }
  if (posting) c->NotifyRecordPosted();
}

void TcxCustomDataProvider::Cancel() {
  TcxCustomDataController* c = FDataController;
  c->NotifyCancelling();
  {
    TControllerLock lock(c);
    const Integer e = FEditingRecordIndex;
    if (IsEditing() && (e < c->GetRecordCount() || e == c->FNewItemRecordIndex)) {
      if (FInserting) {
        const Integer f = c->GetFocusedRecordIndex();
        if (e >= 0) c->DeleteStorageRecord(e);
        if (!c->CancellingFlag() && f >= c->GetRecordCount()) c->ChangeFocusedRecordIndex(f - 1);
      } else if (FSavedRecordIndex != 0 && e >= 0) {
        c->CopyRecord(FSavedRecordIndex, e);
      }
    }
    ResetEditing();
  }
  c->NotifyEditCancelled();
}

void TcxCustomDataProvider::ResetEditing() {
  TcxCustomDataController* c = FDataController;
  if (FEditingRecordIndex != cxNullEditingRecord && FEditingRecordIndex == c->FNewItemRecordIndex &&
      FEditingRecordIndex < 0) {
    c->DataStorage()->RemoveRecord(FEditingRecordIndex);
    c->FNewItemRecordIndex = 0;
  }
  FEditingRecordIndex = FPrevRecordIndex = FNextRecordIndex = cxNullEditingRecord;
  FInserting = FChanging = FModified = false;
  if (FSavedRecordIndex != 0) {
    const Integer saved = FSavedRecordIndex;
    FSavedRecordIndex = 0;
    c->DataStorage()->RemoveRecord(saved);
  }
}

void TcxCustomDataProvider::UpdateData() {
  if (FInUpdateData) return;
  TFlagScope guard(FInUpdateData, true);
  if (FChanging) FDataController->UpdateData();
}

void TcxCustomDataProvider::PostEditingData() {
  UpdateData();
  ResetChanging();
}

bool TcxCustomDataProvider::SetEditValue(Integer ARecord, TcxCustomDataField* AField, Integer ASource,
                                         const Variant& AValue) {
  Variant v = AValue;
  if (ASource == 1 && (v.IsNull() || v.IsEmpty() || VarToStr(v).empty())) v = Variant::Null();
  FDataController->SetValue(ARecord, FDataController->ItemIndexOfField(AField), v);
  FModified = true;
  return true;
}

bool TcxCustomDataProvider::GetEditValue(Integer ARecord, TcxCustomDataField* AField, Variant& AValue, Integer) {
  if (ARecord == cxNullEditingRecord) {
    AValue = Variant::Null();
    cxDataControllerError(cxSDataRecordIndexError);
  }
  AValue = FDataController->GetRecordValue(ARecord, AField);
  return true;
}

// --- deleting ------------------------------------------------------------------

void TcxCustomDataProvider::BeginDeleting() {
  TcxCustomDataController* c = FDataController;
  if (GridModeActive()) return;
  Integer r = c->GetFocusedRowIndex();
  if (r < 0) return;
  if (c->IsSingleSelect() || c->IsRowSelected(r) || c->GetSelectedCount() == 0)
    r = c->GetNearestRowIndex(r);
  c->NearestRecordIndex = r >= 0 ? c->GetRowInfo(r).RecordIndex : -1;
}

void TcxCustomDataProvider::EndDeleting() { FDataController->NearestRecordIndex = -1; }

void TcxCustomDataProvider::DeleteFocused() {
  TcxCustomDataController* c = FDataController;
  const Integer r = c->GetFocusedRecordIndex();
  if (r == -1) return;
  c->NotifyDeleting(r);
  const bool keepState = FCustomDataSource != nullptr;
  if (keepState) c->BeginFullUpdate();
  try {
    c->DeleteStorageRecord(r);
    c->RestoreFocusAfterDelete();
  } catch (...) {
    if (keepState) c->EndFullUpdate();
    throw;
  }
  if (keepState) c->EndFullUpdate();
  c->NotifyRecordDeleted();
}

void TcxCustomDataProvider::DeleteRecords(const std::vector<Integer>& AList) {
  TcxCustomDataController* c = FDataController;
  const bool keepState = FCustomDataSource != nullptr;
  if (keepState) c->BeginFullUpdate();
  try {
    TControllerLock lock(c);
    for (auto it = AList.rbegin(); it != AList.rend(); ++it) {
      c->NotifyDeleting(*it);
      c->DeleteStorageRecord(*it);
      c->NotifyRecordDeleted();
    }
    if (c->DeletingSelection) c->ClearSelection();
  } catch (...) {
    if (keepState) c->EndFullUpdate();
    throw;
  }
  if (keepState) c->EndFullUpdate();
  c->RestoreFocusAfterDelete();
}

void TcxCustomDataProvider::DeleteSelection() {
  TcxCustomDataController* c = FDataController;
  std::vector<Integer> list;
  const Integer levels = c->Groups()->GroupingItemCount();
  for (Integer i = 0; i < c->GetSelectedCount(); ++i) {
    const Integer row = c->GetSelectedRowIndex(i);
    if (row < 0 || row >= c->GetRowCount()) continue;
    const TcxRowInfo info = c->GetRowInfo(row);
    if (info.Level < levels)
      c->Groups()->AddRecordsOfRow(list, row);
    else
      list.push_back(info.RecordIndex);
  }
  TFlagScope flag(c->DeletingSelection, true);
  c->DeleteRecordList(list);
}

// --- notifications from the source --------------------------------------------

void TcxCustomDataProvider::ActiveChanged(bool AActive) {
  FDataController->ActiveChanged(AActive);
  ResetEditing();
}

void TcxCustomDataProvider::DataChanged(Integer AKind, Integer AItemIndex, Integer ARecord) {
  if (FLockCount == 0) FDataController->DataChanged(AKind, AItemIndex, ARecord);
  if (FDataChangedLocked)
    ResetChanging();
  else
    ResetEditing();
}

void TcxCustomDataProvider::CursorMoved(Integer AHint) {
  FDataController->ProviderScrolled(AHint);
  ResetChanging();
}

void TcxCustomDataProvider::LayoutChanged(Integer AKind) { FDataController->LayoutChanged(AKind); }
