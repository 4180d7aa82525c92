// Dataset data controller: the mode settings, the provider that reads the
// dataset into the controller's storage (or shows its record buffer in grid
// mode) and turns edits into dataset calls, and the data link that turns
// the dataset's events into controller notifications.
#include <algorithm>

#include "DBUtil.h"
#include "Utf8.h"
#include "cxDBData.h"
#include "cxVariants.h"

TOVANI_IMPLEMENT_CLASS(TcxDBDataModeController, TPersistent)
TOVANI_IMPLEMENT_CLASS(TcxDBDataAssignedFields, TObject)
TOVANI_IMPLEMENT_CLASS(TcxValueDefDBReader, TcxValueDefReader)
TOVANI_IMPLEMENT_CLASS(TcxDBDataLink, TDataLink)
TOVANI_IMPLEMENT_CLASS(TcxDBDataProvider, TcxCustomDataProvider)

namespace {

struct TFlagOn {
  bool& F;
  bool Old;
  TFlagOn(bool& f, bool v = true) : F(f), Old(f) { F = v; }
  ~TFlagOn() { F = Old; }
};

struct TControllerLock {
  TcxCustomDataController* C;
  explicit TControllerLock(TcxCustomDataController* c) : C(c) { C->BeginUpdate(); }
  ~TControllerLock() { C->EndUpdate(); }
};

struct TControlsDisabled {
  TDataSet* D;
  explicit TControlsDisabled(TDataSet* d) : D(d) {
    if (D) D->DisableControls();
  }
  ~TControlsDisabled() {
    if (D) D->EnableControls();
  }
};

// Every dataset provider of the process: the providers bound to one
// dataset co-ordinate through it.
std::vector<TcxDBDataProvider*>& ProviderRegistry() {
  static std::vector<TcxDBDataProvider*> list;
  return list;
}

}  // namespace

// ---------------------------------------------------------------------------
// Mode settings

TPersistent* TcxDBDataModeController::GetOwner() { return nullptr; }

void TcxDBDataModeController::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxDBDataModeController*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  FDetailInSQLMode = src->FDetailInSQLMode;
  DetailSyncEnabled = src->DetailSyncEnabled;
  SetGridMode(src->FGridMode);
  SetGridModeBufferCount(src->FGridModeBufferCount);
  SetSmartRefresh(src->FSmartRefresh);
  InsertSyncEnabled = src->InsertSyncEnabled;
  SetSyncMode(src->FSyncMode);
  OnDetailFirst = src->OnDetailFirst;
  OnDetailIsCurrentQuery = src->OnDetailIsCurrentQuery;
}

void TcxDBDataModeController::SetGridMode(bool Value) {
  if (FGridMode == Value) return;
  const bool was = FDataController->IsGridMode();
  FGridMode = Value;
  if (FDataController->IsGridMode() != was) FDataController->RecreateStructure();
}

void TcxDBDataModeController::SetGridModeBufferCount(Integer Value) {
  Value = std::max(Value, 0);
  if (FGridModeBufferCount == Value) return;
  FGridModeBufferCount = Value;
  FDataController->UpdateGridModeBufferCount();
}

void TcxDBDataModeController::SetSmartRefresh(bool Value) {
  if (FSmartRefresh == Value) return;
  FSmartRefresh = Value;
  if (!FDataController->IsGridMode()) FDataController->DBProvider()->CursorMoved(0);
}

void TcxDBDataModeController::SetSyncMode(bool Value) {
  if (FSyncMode == Value) return;
  FSyncMode = Value;
  if (FDataController->DBProvider()->HasData()) FDataController->DBProvider()->CursorMoved(0);
}

// ---------------------------------------------------------------------------
// Assigned fields

void TcxDBDataAssignedFields::AddField(TField* AField) {
  if (AField && !IsFieldExists(AField)) FFields.push_back(AField);
}

void TcxDBDataAssignedFields::AddFields(const std::vector<TField*>& AFields) {
  for (TField* f : AFields) AddField(f);
}

void TcxDBDataAssignedFields::AddFieldsByName(TDataSet* ADataSet, const String& AFieldNames) {
  if (ADataSet) AddFields(ADataSet->GetFieldList(AFieldNames));
}

bool TcxDBDataAssignedFields::IsFieldExists(TField* AField) const {
  return std::find(FFields.begin(), FFields.end(), AField) != FFields.end();
}

// ---------------------------------------------------------------------------
// Reader

namespace {
TcxDBDataField* DBFieldOfDef(TcxValueDef* ADef) { return dynamic_cast<TcxDBDataField*>(ADef->LinkedObject()); }
}  // namespace

const TcxValueDefDBReader::TDefInfo& TcxValueDefDBReader::Info(TcxValueDef* ADef) {
  // Definitions come in the same order for every record: look at the one
  // after the last first.
  const size_t n = FInfos.size();
  for (size_t k = 0; k < n; ++k) {
    const size_t i = (FLast + k) % n;
    if (FInfos[i].Def == ADef) {
      FLast = i + 1;
      return FInfos[i];
    }
  }
  TcxDBDataField* f = DBFieldOfDef(ADef);
  FInfos.push_back({ADef, f ? f->Field() : nullptr, !f || f->IsInternalForReading()});
  FLast = FInfos.size();
  return FInfos.back();
}

String TcxValueDefDBReader::ReadDisplayText(TcxValueDef* ADef) {
  const TDefInfo& i = Info(ADef);
  if (i.Field) return i.Field->DisplayText();
  return TcxValueDefReader::ReadDisplayText(ADef);
}

Variant TcxValueDefDBReader::ReadValue(TcxValueDef* ADef) {
  const TDefInfo& i = Info(ADef);
  return i.Field ? cxGetFieldValue(i.Field) : Variant::Null();
}

bool TcxValueDefDBReader::IsInternalDef(TcxValueDef* ADef) { return Info(ADef).Internal; }

// ---------------------------------------------------------------------------
// Data link

TcxDBDataLink::TcxDBDataLink(TcxDBDataProvider* AProvider) : FProvider(AProvider) { SetVisualControl(true); }

void TcxDBDataLink::ActiveChanged() {
  {
    TFlagOn changing(FProvider->ActiveChanging);
    FProvider->ActiveChanged(Active());
    TcxDBDataController* c = FProvider->DBDataController();
    TComponent* owner = c->Owner();
    if (owner && owner->ComponentState().Contains(csLoading)) c->FLoaded = true;
  }
  FProvider->SettingDataSource = DataSet() && DataSet()->State() == dsInsert;
  if (!Active()) PendingLayoutChange = false;
}

void TcxDBDataLink::DataEvent(TDataEvent Event, NativeInt Info) {
  TDataLink::DataEvent(Event, Info);
  if (Event == deDisabledStateChange && Info == 0) PendingLayoutChange = true;
}

void TcxDBDataLink::StartInsertFromDataSet() {
  TFlagOn inserting(FProvider->InsertingFromDataSet);
  TDataSet* ds = DataSet();
  FProvider->DoInsert(ds->Eof() && !FProvider->InsertOperation);
}

void TcxDBDataLink::DataSetChanged() {
  TcxDBDataProvider* p = FProvider;
  TcxDBDataController* c = p->DBDataController();
  if (PendingLayoutChange) {
    LayoutChanged();
    return;
  }
  if (p->IsOtherProviderLocked() || c->IsDetailOutOfSync()) return;
  if (p->IsDataSetBusy()) {
    DataSetScrolled(0);
    return;
  }
  TDataSet* ds = DataSet();
  if (p->GridModeActive()) {
    {
      TFlagOn updating(p->GridModeUpdating);
      TControllerLock lock(c);
      p->UpdateGridModeBuffer();
      if (c->MultiSelect()) c->DBSelection()->DropInvalidBookmarks();
      c->CheckBookmark(-1);
      if (ds && ds->State() == dsInsert) StartInsertFromDataSet();
    }
    if (c->HasDetailControllers()) c->CollapseDetails();
    return;
  }
  if (!ds || !IsEditMode(ds->State())) {
    if (c->IsSmartRefresh())
      p->SmartRefreshUpdate();
    else
      c->DataChanged(dcAll, -1, -1);
    DataSetScrolled(0);
    p->ResetUpdatingRecord();
  } else if (ds->State() == dsInsert) {
    if (!p->IsInsertingFlag() && (!c->IsDetailMode() || p->HasDataSetFocus()) && p->CanFollowDataSetInsert() &&
        !p->InsertingFromDataSet)
      StartInsertFromDataSet();
  }
}

void TcxDBDataLink::DataSetScrolled(Integer Distance) { FProvider->CursorMoved(Distance); }

void TcxDBDataLink::EditingChanged() {
  TcxDBDataProvider* p = FProvider;
  TcxDBDataController* c = p->DBDataController();
  if (p->IsSyncMode()) {
    TDataSet* ds = DataSet();
    if (Active() && ds && IsEditMode(ds->State())) {
      if (ds->State() == dsEdit) {
        TFlagOn copy(c->FUnboundCopy);
        p->DoEdit();
      } else if (ds->State() == dsInsert && !ds->ControlsDisabled() &&
                 (p->SettingDataSource || c->FChangingBufferCount) && p->GridModeActive() && !p->InInsert) {
        StartInsertFromDataSet();
      }
    } else {
      if (c->IsSmartRefresh() && p->EditingRecordIndex() == c->NewItemRecordIndex() && c->NewItemRecordIndex() != 0 &&
          p->UpdatingRecordIsInserting) {
        TFlagOn copy(c->FUnboundCopy);
        const Integer r = c->AppendStorageRecord();
        p->UpdatingNewRecordIndex = r;
        c->CopyRecord(c->NewItemRecordIndex(), r);
      }
      p->ResetEditing();
    }
  }
  p->SettingDataSource = false;
}

void TcxDBDataLink::LayoutChanged() {
  TDataSet* ds = DataSet();
  if ((ds && ds->State() == dsInsert) ||
      (FProvider->DBDataController()->IsSmartRefresh() && PreventLayoutChange)) {
    DataSetChanged();
    return;
  }
  FProvider->LayoutChanged(3);
  PendingLayoutChange = false;
}

void TcxDBDataLink::FocusControl(TField** AField) {
  if (!AField || !*AField) return;
  TcxDBDataController* c = FProvider->DBDataController();
  for (Integer i = 0; i < c->GetItemCount(); ++i) {
    TcxDBDataField* f = c->DBField(i);
    if (f->Field() != *AField) continue;
    bool done = false;
    c->FocusItemControl(i, done);
    if (done) *AField = nullptr;
    return;
  }
}

void TcxDBDataLink::RecordChanged(TField* AField) { FProvider->RecordChanged(AField); }

void TcxDBDataLink::UpdateData() {
  FProvider->UpdateData();
  FProvider->RecordChanged(nullptr);
  FProvider->ResetChanging();
}

// ---------------------------------------------------------------------------
// Provider

TcxDBDataProvider::TcxDBDataProvider(TcxCustomDataController* AController)
    : TcxCustomDataProvider(AController),
      FDataLink(std::make_unique<TcxDBDataLink>(this)),
      FAssignedFields(std::make_unique<TcxDBDataAssignedFields>()) {
  ProviderRegistry().push_back(this);
}

TcxDBDataProvider::~TcxDBDataProvider() {
  auto& reg = ProviderRegistry();
  for (TcxDBDataProvider* p : reg) {
    auto& l = p->Listeners;
    l.erase(std::remove(l.begin(), l.end(), this), l.end());
  }
  reg.erase(std::remove(reg.begin(), reg.end(), this), reg.end());
  FDataLink->SetDataSource(nullptr);
}

TcxDBDataController* TcxDBDataProvider::DBDataController() const {
  return static_cast<TcxDBDataController*>(FDataController);
}

void TcxDBDataProvider::SetDataSource(TDataSource* Value) {
  if (DataSource() == Value) return;
  const bool wasActive = FDataLink->Active();
  {
    TFlagOn setting(SettingDataSource);
    FDataLink->SetDataSource(Value);
  }
  if (FDataLink->Active() == wasActive && !FDataController->IsDestroying()) FDataController->LayoutChanged(1);
}

TDataSet* TcxDBDataProvider::ActiveDataSet() const {
  TDataSet* ds = DataSet();
  return ds && ds->Active() ? ds : nullptr;
}

std::vector<TcxDBDataProvider*> TcxDBDataProvider::SharedProviders() const {
  std::vector<TcxDBDataProvider*> r;
  TDataSet* ds = DataSet();
  if (!ds) return r;
  for (TcxDBDataProvider* p : ProviderRegistry())
    if (p->DataSet() == ds) r.push_back(p);
  return r;
}

bool TcxDBDataProvider::IsLocating() const { return LocateCount() > 0; }

bool TcxDBDataProvider::IsAnyInitEditing() const {
  for (TcxDBDataProvider* p : SharedProviders())
    if (p->InCanInitEditing) return true;
  return false;
}

bool TcxDBDataProvider::IsDataSetBusy() const {
  TcxDBDataController* c = DBDataController();
  const bool locatingCounts = c->IsKeyMode() || c->IsGridMode();
  for (TcxDBDataProvider* p : SharedProviders()) {
    if (p->LockCount() > 0 || p->NotifyingListeners || (p->IsLocating() && locatingCounts)) {
      if (p->NotifyingListeners) return !FPostLocate;
      if (FPostLocate) return false;
      return !(c->IsGridMode() && c->GridModeLockCount() > 0);
    }
  }
  return false;
}

bool TcxDBDataProvider::IsOtherProviderLocked() {
  const bool keyMode = DBDataController()->IsKeyMode();
  for (TcxDBDataProvider* p : SharedProviders()) {
    if (p == this) continue;
    if (p->LockCount() > 0 || (p->IsLocating() && keyMode)) {
      auto& l = p->Listeners;
      if (p->DBDataController()->GridModeLockCount() == 0 && std::find(l.begin(), l.end(), this) == l.end())
        l.push_back(this);
      return true;
    }
  }
  return false;
}

bool TcxDBDataProvider::HasLockedDetailProvider() const {
  for (TcxDBDataProvider* p : SharedProviders())
    if (p->LockCount() > 0 && p->DBDataController()->IsDetailMode()) return true;
  return false;
}

bool TcxDBDataProvider::IsOtherProviderInserting() const {
  for (TcxDBDataProvider* p : SharedProviders())
    if (p != this && p->InInsert) return true;
  return false;
}

void TcxDBDataProvider::SetPostLocate() {
  for (TcxDBDataProvider* p : SharedProviders())
    if (!p->DBDataController()->IsPatternController()) p->FPostLocate = true;
}

// --- answers -------------------------------------------------------------------

bool TcxDBDataProvider::GridModeActive() const {
  TcxDBDataController* c = DBDataController();
  TDataSet* ds = DataSet();
  return c->DataModeController()->GridMode() && !(ds && ds->IsUniDirectional()) && !LoadAllNeeded &&
         !c->IsPatternController();
}

bool TcxDBDataProvider::SourceIsOpen() const {
  TDataSet* ds = DataSet();
  return ds && ds->State() != dsInactive;
}

bool TcxDBDataProvider::HasData() const {
  TDataSet* ds = DataSet();
  return ds && ds->Active() && !ds->ControlsDisabled();
}

bool TcxDBDataProvider::CanBuildFields() const {
  TDataSet* ds = DataSet();
  return ds && ds->FieldCount() > 0 && (ds->Active() || !ds->DefaultFields());
}

bool TcxDBDataProvider::IsSyncMode() const {
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active() || ds->IsUniDirectional()) return false;
  TcxDBDataController* c = DBDataController();
  TcxDBDataModeController* m = c->DataModeController();
  const bool grid = GridModeActive();
  if (!grid && !m->SyncMode()) return false;
  if (c->IsDetailMode()) {
    if (!m->DetailSyncEnabled) return false;
    if (m->DetailInSQLMode() && !HasDataSetFocus()) return false;
    if (!c->IsKeyMode() && !grid) return false;
  }
  return true;
}

bool TcxDBDataProvider::IsDataSetEditing() const {
  TDataSet* ds = DataSet();
  return ds && IsEditMode(ds->State());
}

bool TcxDBDataProvider::CanModify() {
  TDataSet* ds = DataSet();
  return ds && ds->Active() && ds->CanModify() && IsSyncMode();
}

bool TcxDBDataProvider::IsEditing() const {
  TDataSet* ds = DataSet();
  const bool readOnlyMode = !(ds && ds->Active() && ds->CanModify() && IsSyncMode());
  if (readOnlyMode) return TcxCustomDataProvider::IsEditing();
  return IsDataSetEditing();
}

bool TcxDBDataProvider::IsInserting() const {
  TDataSet* ds = DataSet();
  return ds && ds->State() == dsInsert;
}

bool TcxDBDataProvider::IsModified() const { return TcxCustomDataProvider::IsModified() || IsDataSetModified(); }

bool TcxDBDataProvider::IsDataSetModified() const {
  TDataSet* ds = DataSet();
  if (ds && ds->Modified()) {
    if (FAssignedFields->IsEmpty()) return true;
    for (TField* f : ds->Fields())
      if (!FAssignedFields->IsFieldExists(f) && !f->IsNull()) return true;
  }
  if (TcxCustomDataProvider::IsModified()) {
    TcxDBDataController* c = DBDataController();
    for (Integer i = 0; i < c->GetItemCount(); ++i) {
      TcxDBDataField* f = c->DBField(i);
      if (!f->CanModifyWithoutSource()) continue;
      const Integer r = FEditingRecordIndex;
      if (r == cxNullEditingRecord) continue;
      if (!c->GetRecordValue(r, f).IsNull()) return true;
    }
  }
  return false;
}

bool TcxDBDataProvider::SourceAtFirst() {
  TDataSet* ds = DataSet();
  if (!ds) return true;
  return ds->Bof() || !FDataLink->Active();
}

Variant TcxDBDataProvider::ReadDetailKeyValues() const {
  TDataSet* ds = DataSet();
  const String names = DBDataController()->GetMasterDetailKeyFieldNames();
  if (!ds || names.empty()) return Variant::Null();
  return ds->FieldValues(names);
}

bool TcxDBDataProvider::SourceAtLast() {
  TDataSet* ds = DataSet();
  if (!ds) return true;
  TcxDBDataController* c = DBDataController();
  if (!c->IsDetailMode() || GridModeActive()) return ds->Eof() || !FDataLink->Active();
  const Variant& master = c->MasterDetailKeyValues();
  if (VarIsNullOrEmpty(master) && !master.IsArray()) return true;
  if (ds->Eof()) return true;
  if (IsEditMode(ds->State())) return false;
  return !cxVarEquals(ReadDetailKeyValues(), master);
}

bool TcxDBDataProvider::InGridModeUpdate() const { return GridModeActive() && GridModeUpdating; }

bool TcxDBDataProvider::CanDelete() {
  TDataSet* ds = DataSet();
  return CanModify() && ds && !ds->IsEmpty();
}

bool TcxDBDataProvider::IsBookmarkValid(const TBookmark& ABookmark) const {
  TDataSet* ds = DataSet();
  return ds && ds->BookmarkValid(ABookmark);
}

Integer TcxDBDataProvider::CompareBookmarks(const TBookmark& A, const TBookmark& B) const {
  TDataSet* ds = DataSet();
  if (!ds || !FDataLink->Active()) return -1;
  return ds->CompareBookmarks(A, B);
}

Integer TcxDBDataProvider::GridModeFocusedRecord() {
  TcxDBDataController* c = DBDataController();
  if (IsInserting()) {
    if (!GridModeUpdating) return FEditingRecordIndex;
    if (c->IsNewItemRowActive()) return c->GetNewItemRecordIndex();
  }
  return RecordIndex;
}

void TcxDBDataProvider::RecordWasRead(Integer ARecord) {
  TcxDBDataController* c = DBDataController();
  if (LoadingAll || c->IsKeyMode() || SavePosInfo.Bookmark.empty()) return;
  TDataSet* ds = DataSet();
  if (ds && ds->Bookmark() == SavePosInfo.Bookmark) RecordIndex = ARecord;
}

// --- cursor --------------------------------------------------------------------

void TcxDBDataProvider::MoveToFirst() {
  TFlagOn moving(MovingToFirst);
  TcxCustomDataProvider::MoveToFirst();
  TcxDBDataController* c = DBDataController();
  TDataSet* ds = DataSet();
  if (!ds) return;
  if (!c->IsDetailMode() || GridModeActive()) {
    if (ds->Active()) ds->First();
    return;
  }
  const Variant& master = c->MasterDetailKeyValues();
  if (master.IsEmpty() || (master.IsNull() && !master.IsArray())) return;
  bool reopened = false;
  c->DetailFirst(c->GetMasterDetailKeyFieldNames(), master, reopened);
  if (reopened) SavePosition();
  SetDataSetFocus(true);
  if (FieldsRecreated) c->ReloadDetails(!c->FInCurrentQueryCheck);
}

void TcxDBDataProvider::MoveToPrior() {
  if (TDataSet* ds = DataSet()) ds->Prior();
}
void TcxDBDataProvider::MoveToNext() {
  if (TDataSet* ds = DataSet()) ds->Next();
}
void TcxDBDataProvider::MoveToLast() {
  if (TDataSet* ds = ActiveDataSet()) ds->Last();
}
void TcxDBDataProvider::MoveBy(Integer ADistance) {
  if (TDataSet* ds = DataSet()) ds->MoveBy(ADistance);
}

void TcxDBDataProvider::ScrollBy(Integer ADistance) {
  if (!GridModeActive() || ADistance == 0 || !HasData()) return;
  TDataSet* ds = DataSet();
  const Integer active = FDataLink->ActiveRecord();
  if (ADistance < 0)
    ds->MoveBy(ADistance - active);
  else
    ds->MoveBy(ADistance + (FDataLink->RecordCount() - active - 1));
  DBDataController()->UpdatePrevSelectionInfo();
  DBDataController()->SetFocusedSelected(true);
}

void TcxDBDataProvider::SavePosition() {
  TDataSet* ds = DataSet();
  SavePosInfo = TcxDBDataProviderSavePosInfo();
  if (!ds || !ds->Active()) return;
  SavePosInfo.Bookmark = ds->BookmarkAvailable() ? ds->Bookmark() : TBookmark();
  SavePosInfo.ActiveRecord = FDataLink->ActiveRecord();
  SavePosInfo.BOF = ds->Bof();
  SavePosInfo.EOF_ = ds->Eof();
  SavePosInfo.RecNo = ds->RecNo();
}

void TcxDBDataProvider::RestorePosition() {
  TDataSet* ds = DataSet();
  if (!ds || SavePosInfo.Bookmark.empty() || !ds->BookmarkValid(SavePosInfo.Bookmark)) return;
  try {
    ds->GotoBookmark(SavePosInfo.Bookmark);
    // Put the record back on its old row of the link's window.
    const Integer a = FDataLink->ActiveRecord(), s = SavePosInfo.ActiveRecord;
    const Integer buffers = FDataLink->BufferCount();
    if (a < s) {
      ds->MoveBy(buffers - 1 - s);
      ds->MoveBy(-(buffers - 1 - s));
    } else if (a > s) {
      ds->MoveBy(-s);
      ds->MoveBy(s);
    }
    if (SavePosInfo.BOF && !ds->Bof()) ds->Prior();
    if (SavePosInfo.EOF_ && !ds->Eof()) ds->Next();
  } catch (const EDatabaseError&) {
  }
}

// --- editing -------------------------------------------------------------------

bool TcxDBDataProvider::CanInitEditing(Integer ARecord) {
  if (!CanModify()) return TcxCustomDataProvider::CanInitEditing(ARecord);
  TFlagOn inInit(InCanInitEditing);
  TcxDBDataController* c = DBDataController();
  if (c->IsNewItemRowActive() && !IsInserting()) {
    Insert();
    return true;
  }
  if (!FDataLink->Edit()) return false;
  SetChangingFlag();
  if (c->IsNewItemRowActive()) c->AddChanges(ccRecordEdit);
  return true;
}

void TcxDBDataProvider::Edit() {
  if (!CanModify()) {
    TcxCustomDataProvider::Edit();
    return;
  }
  if (TDataSet* ds = DataSet()) ds->Edit();
}

void TcxDBDataProvider::DoInsertOrAppend(bool AAppend) {
  TDataSet* ds = DataSet();
  if (!ds) return;
  TFlagOn inInsert(InInsert);
  auto op = [&] {
    if (AAppend)
      ds->Append();
    else
      ds->Insert();
  };
  if (!IsEditMode(ds->State())) {
    op();
    return;
  }
  TcxDBDataController* c = DBDataController();
  if (!c->IsSmartRefresh()) {
    if (ds->State() == dsInsert) c->CheckBrowseMode();
    if (IsEditMode(ds->State())) FDataLink->UpdateRecord();
    op();
    return;
  }
  TControlsDisabled disabled(ds);
  ds->CheckBrowseMode();
  SmartRefreshUpdate();
  ResetUpdatingRecord();
  ResetEditing();
  op();
}

void TcxDBDataProvider::Append() {
  if (!CanModify()) {
    TcxCustomDataProvider::Append();
    return;
  }
  DoInsertOrAppend(true);
}

void TcxDBDataProvider::Insert() {
  if (!CanModify()) {
    TcxCustomDataProvider::Insert();
    return;
  }
  TFlagOn op(InsertOperation);
  DoInsertOrAppend(false);
}

void TcxDBDataProvider::Post(bool AForce) {
  if (!CanModify()) {
    TcxCustomDataProvider::Post(AForce);
    return;
  }
  TDataSet* ds = DataSet();
  if (!ds) return;
  TcxDBDataController* c = DBDataController();
  auto run = [&] {
    if (AForce)
      ds->Post();
    else
      ds->CheckBrowseMode();
  };
  if (c->IsSmartRefresh()) {
    run();
  } else {
    TControllerLock lock(c);
    run();
  }
}

void TcxDBDataProvider::Cancel() {
  if (!CanModify()) {
    TcxCustomDataProvider::Cancel();
    return;
  }
  TcxDBDataController* c = DBDataController();
  if (c->IsSmartRefresh()) {
    TFlagOn copy(c->FUnboundCopy);
    TcxCustomDataProvider::Cancel();
  }
  CancelDataSet();
}

void TcxDBDataProvider::CancelDataSet() {
  TDataSet* ds = DataSet();
  if (!ds) return;
  TcxDBDataController* c = DBDataController();
  if (c->IsDetailMode() && SourceAtLast()) {
    TControlsDisabled disabled(ds);
    Variant key;
    bool haveKey = false;
    if (c->GetRowCount() >= 2 && c->IsKeyMode()) {
      const Integer r = c->GetRowInfo(c->GetRowCount() - 2).RecordIndex;
      if (r >= 0) {
        key = c->GetRecordId(r);
        haveKey = true;
      }
    }
    ds->Cancel();
    if (haveKey) ds->Locate(c->KeyFieldNames(), key, TLocateOptions());
    return;
  }
  ds->Cancel();
}

bool TcxDBDataProvider::GetEditValue(Integer ARecord, TcxCustomDataField* AField, Variant& AValue, Integer ASource) {
  AValue = Variant::Null();
  auto* f = dynamic_cast<TcxDBDataField*>(AField);
  TField* field = f ? f->Field() : nullptr;
  if (field) {
    if (ASource == 1) {
      if (!field->IsNull() || field->OnGetText) AValue = Variant(field->Text());
    } else if (ASource == 2 && field->Lookup() && !field->KeyFields().empty()) {
      AValue = field->DataSet()->FieldValues(field->KeyFields());
    } else if (!field->IsNull()) {
      AValue = field->Value();
    }
    return true;
  }
  if (f && f->CanModifyWithoutSource()) return TcxCustomDataProvider::GetEditValue(ARecord, AField, AValue, ASource);
  return true;
}

bool TcxDBDataProvider::SetEditValue(Integer ARecord, TcxCustomDataField* AField, Integer ASource,
                                     const Variant& AValue) {
  auto* f = dynamic_cast<TcxDBDataField*>(AField);
  TField* field = f ? f->Field() : nullptr;
  if (field) {
    if (ASource == 1 || field->OnSetText) {
      field->SetText(VarToStr(AValue));
    } else if (ASource == 2 && field->Lookup() && !field->KeyFields().empty()) {
      field->DataSet()->SetFieldValues(field->KeyFields(), AValue);
    } else {
      cxSetFieldValue(field, AValue);
    }
    return true;
  }
  if (f && f->CanModifyWithoutSource()) return TcxCustomDataProvider::SetEditValue(ARecord, AField, ASource, AValue);
  return false;
}

void TcxDBDataProvider::AssignItemValue(Integer, TcxCustomDataField* AField, const Variant& AValue) {
  auto* f = dynamic_cast<TcxDBDataField*>(AField);
  TField* field = f ? f->Field() : nullptr;
  if (!field) return;
  if (field->Lookup() && !field->KeyFields().empty()) {
    field->DataSet()->SetFieldValues(field->KeyFields(), AValue);
    FAssignedFields->AddFieldsByName(field->DataSet(), field->KeyFields());
  } else {
    field->SetValue(AValue);
    FAssignedFields->AddField(field);
  }
}

void TcxDBDataProvider::AssignGroupValues(Integer ARecord, const Variant& AValues) {
  TcxDBDataController* c = DBDataController();
  if (InInsert || InCanInitEditing || IsOtherProviderInserting()) {
    FAssignedFields->Clear();
    TcxCustomDataProvider::AssignGroupValues(ARecord, AValues);
    if ((c->Options() & dcoAssignMasterDetailKeys) && c->IsDetailMode()) {
      TDataSet* ds = DataSet();
      const String names = c->GetMasterDetailKeyFieldNames();
      if (ds && !names.empty() && !c->MasterDetailKeyValues().IsEmpty()) {
        ds->SetFieldValues(names, c->MasterDetailKeyValues());
        FAssignedFields->AddFieldsByName(ds, names);
      }
    }
    c->FieldsAssigned(ARecord);
  }
  c->UpdateEditingRecord();
}

void TcxDBDataProvider::PostEditingData() {
  if (FDataLink->Active()) FDataLink->UpdateRecord();
}

void TcxDBDataProvider::RecordChanged(TField*) {
  TcxDBDataController* c = DBDataController();
  if (IsDataSetEditing() && !(c->IsDetailMode() && c->DataModeController()->DetailSyncEnabled && !HasDataSetFocus()))
    c->UpdateEditingRecord();
  ResetChanging();
}

// --- deleting ------------------------------------------------------------------

void TcxDBDataProvider::DeleteFocused() {
  TDataSet* ds = DataSet();
  TcxDBDataController* c = DBDataController();
  if (!ds) return;
  const Integer focused = c->GetFocusedRecordIndex();
  if (focused == -1) return;
  const bool smart = c->IsSmartRefresh();
  if (smart) UpdatingPrevFocusedRecordIndex = focused;
  {
    TControlsDisabled disabled(ds);
    try {
      ds->Delete();
      FDataLink->PreventLayoutChange = true;
      if (c->NearestRecordIndex != -1) c->SyncDataSetPos(c->NearestRecordIndex);
    } catch (...) {
      FDataLink->PreventLayoutChange = false;
      throw;
    }
    FDataLink->PreventLayoutChange = false;
  }
  if (smart) {
    const Integer r = UpdatingPrevFocusedRecordIndex;
    UpdatingPrevFocusedRecordIndex = -1;
    if (r >= 0 && r < c->GetRecordCount()) c->DeleteStorageRecord(r);
    c->RestoreFocus();
  }
}

void TcxDBDataProvider::DeleteRecords(const std::vector<Integer>& AList) {
  TDataSet* ds = DataSet();
  TcxDBDataController* c = DBDataController();
  if (!ds || AList.empty()) return;
  const bool smart = c->IsSmartRefresh();
  TControlsDisabled disabled(ds);
  if (smart) c->BeginUpdate();
  try {
    if (c->IsKeyMode()) {
      std::vector<Variant> keys;
      keys.reserve(AList.size());
      for (Integer r : AList) keys.push_back(c->GetRecordId(r));
      for (size_t i = keys.size(); i-- > 0;) {
        if (!ds->Locate(c->KeyFieldNames(), keys[i], TLocateOptions())) continue;
        if (smart) {
          const Integer stored = c->LocateByKey([c](std::vector<TcxCustomDataField*>& l) { c->GetKeyFields(l); });
          if (stored == -1) continue;
          ds->Delete();
          c->DeleteStorageRecord(stored);
        } else {
          ds->Delete();
        }
      }
      if (smart) c->RestoreFocus();
    } else if (c->CanFocusRecord(AList.back())) {
      // Records follow the dataset's order: walk back from the last one.
      Integer prev = AList.back();
      bool prevWasLast = false;
      for (size_t i = AList.size(); i-- > 0;) {
        const Integer r = AList[i];
        Integer move = r - prev;
        if (prevWasLast) move += 1;
        if (move != 0) ds->MoveBy(move);
        ds->Delete();
        prevWasLast = ds->Eof();
        prev = r;
      }
    }
  } catch (...) {
    if (smart) c->EndUpdate();
    throw;
  }
  if (smart) {
    c->EndUpdate();
    if (c->DeletingSelection) c->ClearSelection();
  } else if (!c->IsKeyMode()) {
    c->ClearSelection();
  }
}

void TcxDBDataProvider::DeleteSelection() {
  if (!GridModeActive()) {
    TcxCustomDataProvider::DeleteSelection();
    return;
  }
  TDataSet* ds = DataSet();
  TcxDBDataController* c = DBDataController();
  if (!ds) return;
  TcxDBDataSelection* sel = c->DBSelection();
  TControlsDisabled disabled(ds);
  for (Integer i = sel->BookmarkCount() - 1; i >= 0; --i) {
    ds->GotoBookmark(sel->Bookmarks(i));
    ds->Delete();
    sel->DeleteEntry(i);
  }
}

void TcxDBDataProvider::EndDeleting() {
  TcxDBDataController* c = DBDataController();
  if (c->NearestRecordIndex != -1 && c->NearestRecordIndex < c->GetRecordCount())
    c->ChangeFocusedRecordIndex(c->NearestRecordIndex);
  TcxCustomDataProvider::EndDeleting();
}

// --- locks ---------------------------------------------------------------------

void TcxDBDataProvider::EnterLocate() {
  TcxCustomDataProvider::EnterLocate();
  if (IsDataSetEditing()) SetPostLocate();
}

void TcxDBDataProvider::LockNotifications() {
  TDataSet* ds = DataSet();
  if (ds) {
    ds->DisableControls();
    if (ds->Active() && IsEditMode(ds->State())) {
      SetPostLocate();
      ds->Cancel();
    }
  }
  TcxCustomDataProvider::LockNotifications();
}

void TcxDBDataProvider::UnlockNotifications() {
  if (TDataSet* ds = DataSet()) ds->EnableControls();
  TcxCustomDataProvider::UnlockNotifications();
}

// --- notifications -------------------------------------------------------------

void TcxDBDataProvider::ActiveChanged(bool AActive) {
  TcxCustomDataProvider::ActiveChanged(AActive);
  TDataSet* ds = DataSet();
  if (ds && !ds->Active() && ds->DefaultFields()) DBDataController()->DetachFields();
}

void TcxDBDataProvider::LayoutChanged(Integer AKind) {
  if (HasLockedDetailProvider()) {
    if (HasData()) DBDataController()->UpdateFields();
    return;
  }
  TcxCustomDataProvider::LayoutChanged(AKind);
}

void TcxDBDataProvider::CursorMoved(Integer ADistance) {
  TcxDBDataController* c = DBDataController();
  if (GridModeActive()) {
    RecordIndex = FDataLink->ActiveRecord();
    TControllerLock lock(c);
    if (ADistance != 0) c->DataResynced();
    if (c->HasDetailControllers()) c->CollapseDetails();
  } else if (c->IsKeyMode() && IsSyncMode() && c->GetRecordCount() > 0) {
    // Records are identified by key: the cursor's record is found by its key
    // (the stored order may differ from the dataset's).
    const Integer r = c->LocateByKey([c](std::vector<TcxCustomDataField*>& l) { c->GetKeyFields(l); });
    if (r != -1) RecordIndex = r;
  } else {
    RecordIndex += ADistance;
  }
  // While the controller itself moves the dataset (it is focusing a row),
  // the focus is its own to set.
  if (!IsLocating()) TcxCustomDataProvider::CursorMoved(ADistance);
  else ResetChanging();
  if (GridModeActive() && c->IsDataSetSequenced()) c->DataScrolled();
}

// --- full load -----------------------------------------------------------------

bool TcxDBDataProvider::LoadAllRecords() {
  // The dataset keeps its records in memory in the order a walk would
  // visit them: the values are read in place, record by record, without
  // moving the cursor for each one. Details (which read one master's
  // records) and editing datasets are walked as usual.
  TcxDBDataController* c = DBDataController();
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active() || c->IsDetailMode() || GridModeActive() || IsEditMode(ds->State()) ||
      ds->IsUniDirectional())
    return false;
  struct TPlan {
    TcxValueDef* Def;
    TField* Field;
    bool Data;   // a data field, read in place
    bool Wide;
  };
  std::vector<TPlan> values, texts;
  TcxDataStorage* storage = c->DataStorage();
  TcxValueDefs* defs = storage->ValueDefs();
  TcxValueDefDBReader reader;
  for (Integer i = 0; i < defs->DefCount(); ++i) {
    TcxValueDef* def = defs->DefAt(i);
    if (reader.IsInternalDef(def) || !def->HasLaidOutSlot()) continue;
    auto* f = dynamic_cast<TcxDBDataField*>(def->LinkedObject());
    TField* field = f ? f->Field() : nullptr;
    if (field && field->FieldKind() == fkAggregate) return false;
    const TPlan plan{def, field, field && (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc),
                     field && field->Is<TWideStringField>()};
    values.push_back(plan);
    if (def->HasLaidOutText()) texts.push_back(plan);
  }
  TFlagOn loadingAll(LoadingAll);
  // The record the cursor stood on is the record the focus goes to.
  const Integer current = SavePosInfo.Bookmark.empty() ? -1 : SavePosInfo.RecNo - 1;
  const Integer n = ds->ViewCount();
  for (Integer v = 0; v < n; ++v) {
    const TRecordData* rec = ds->ViewRecord(v);
    const Integer r = storage->AddRecord();
    Byte* b = storage->EnsureRecordBuffer(r);
    for (const TPlan& p : values) {
      if (!p.Field) {
        p.Def->WriteSlotValue(b, Variant::Null());
        continue;
      }
      const TDBValue* in = p.Data ? ds->RecordDataValue(rec, p.Field) : nullptr;
      const TDBValue calc = p.Data ? TDBValue() : ds->RecordFieldValue(rec, p.Field);
      const TDBValue& d = in ? *in : calc;
      if (DBValueIsNull(d))
        p.Def->SetSlotNull(b, true);
      else if (p.Wide)
        p.Def->WriteSlotValue(b, Variant(Utf8ToUtf16(std::get<String>(d))));
      else
        p.Def->WriteSlotValue(b, DBValueToVariant(d, p.Field->DataType()));
    }
    c->RecordRead(r);
  }
  // Display texts need the record to be the dataset's current one.
  if (!texts.empty()) {
    ds->First();
    for (Integer r = 0; r < n && !ds->Eof(); ++r) {
      Byte* b = storage->EnsureRecordBuffer(r);
      for (const TPlan& p : texts) p.Def->WriteSlotDisplayText(b, p.Field ? p.Field->DisplayText() : String());
      ds->Next();
    }
  }
  if (!c->IsKeyMode() && current >= 0 && current < n) RecordIndex = current;
  return true;
}

// --- grid mode -----------------------------------------------------------------

void TcxDBDataProvider::LoadGridModeBuffer() {
  if (!FDataLink->Active()) return;
  TcxDBDataController* c = DBDataController();
  const Integer n = c->DataModeController()->GridModeBufferCount();
  FDataLink->SetBufferCount(n > 0 ? n : c->GetDefaultBufferCount());
  c->DataStorage()->ClearAll(true);
  c->DataStorage()->SetRecordTotal(FDataLink->RecordCount());
  RecordIndex = FDataLink->ActiveRecord();
}

void TcxDBDataProvider::SetActiveRecordGuarded(Integer ARecord, const std::function<void()>& ARead) {
  const Integer saved = FDataLink->ActiveRecord();
  FDataLink->SetActiveRecord(ARecord);
  try {
    ARead();
  } catch (...) {
    FDataLink->SetActiveRecord(saved);
    throw;
  }
  FDataLink->SetActiveRecord(saved);
}

void TcxDBDataProvider::GridModeValue(Integer ARecord, TcxCustomDataField* AField, Variant& AValue) {
  AValue = Variant::Null();
  auto* f = dynamic_cast<TcxDBDataField*>(AField);
  TField* field = f ? f->Field() : nullptr;
  if (!field) return;
  if (ARecord >= 0 && ARecord < FDataLink->RecordCount() && !(IsInserting() && ARecord == RecordIndex)) {
    SetActiveRecordGuarded(ARecord, [&] { AValue = cxGetFieldValue(field); });
  } else if (IsInserting() || IncrementalSearching) {
    AValue = cxGetFieldValue(field);
  }
}

void TcxDBDataProvider::GridModeDisplayText(Integer ARecord, TcxCustomDataField* AField, String& AText) {
  AText.clear();
  auto* f = dynamic_cast<TcxDBDataField*>(AField);
  TField* field = f ? f->Field() : nullptr;
  if (!field) return;
  if (ARecord >= 0 && ARecord < FDataLink->RecordCount() && !(IsInserting() && ARecord == RecordIndex)) {
    SetActiveRecordGuarded(ARecord, [&] { AText = field->DisplayText(); });
  } else if (IsInserting() || IncrementalSearching) {
    AText = field->DisplayText();
  }
}

void TcxDBDataProvider::UpdateGridModeBuffer() {
  TcxDBDataController* c = DBDataController();
  if (!FDataLink->Active() || !GridModeActive()) return;
  const Integer n = c->DataModeController()->GridModeBufferCount();
  FDataLink->SetBufferCount(n > 0 ? n : c->GetDefaultBufferCount());
  RecordIndex = FDataLink->ActiveRecord();
  TDataSet* ds = DataSet();
  if (c->GetRecordCount() != FDataLink->RecordCount() || (ds && ds->State() == dsInsert)) {
    c->DataChanged(dcAll, -1, -1);
    if (c->FChangingBufferCount && IsDataSetEditing() && !FDataLink->ReadOnly()) FDataLink->DoEditingChanged();
  } else if (!IsDataSetEditing()) {
    c->DataChanged(dcRecord, -1, -1);
  }
  c->RestoreFocus();
}

bool TcxDBDataProvider::SearchInDataSet(const String& AText, bool AForward, bool ANext) {
  TDataSet* ds = DataSet();
  TcxDBDataController* c = DBDataController();
  if (IsDataSetEditing() || !ds || !ds->Active() || (ds->Bof() && ds->Eof())) return false;
  const Integer item = c->Search()->ItemIndex();
  if (item < 0) return false;
  auto matches = [&] {
    TFlagOn searching(IncrementalSearching);
    return cxTextMatches(c->GetIncrementalSearchText(-1, item), AText, true);
  };
  if (!ANext && matches()) {
    c->RestoreFocus();
    return true;
  }
  bool found = false;
  LockNotifications();
  try {
    SavePosition();
    const TBookmark start = ds->Bookmark();
    if (ANext) {
      if (AForward)
        ds->Next();
      else
        ds->Prior();
    }
    bool wrapped = false;
    for (;;) {
      if (AForward ? ds->Eof() : ds->Bof()) {
        if (ANext || wrapped) break;
        wrapped = true;
        if (AForward)
          ds->First();
        else
          ds->Last();
      }
      if (wrapped && ds->Bookmark() == start) break;
      if (matches()) {
        found = true;
        break;
      }
      if (AForward)
        ds->Next();
      else
        ds->Prior();
    }
    if (!found) RestorePosition();
  } catch (...) {
    UnlockNotifications();
    c->AfterLoad();
    throw;
  }
  UnlockNotifications();
  if (found) {
    c->UpdatePrevSelectionInfo();
    c->AddChanges(ccLayout);
  }
  c->AfterLoad();
  return found;
}

// --- smart refresh -------------------------------------------------------------

void TcxDBDataProvider::ResetUpdatingRecord() {
  UpdatingRecordIndex = cxNullEditingRecord;
  UpdatingNewRecordIndex = -1;
  UpdatingRecordIsInserting = false;
}

void TcxDBDataProvider::SmartRefreshUpdate() {
  TcxDBDataController* c = DBDataController();
  if (UpdatingRecordIndex != cxNullEditingRecord) {
    Integer r = c->GetFocusedRecordIndex();
    if (r < 0 && UpdatingNewRecordIndex != -1) r = UpdatingNewRecordIndex;
    if (r == UpdatingRecordIndex || (UpdatingRecordIndex < 0 && r == UpdatingNewRecordIndex)) {
      const Variant oldKey = r >= 0 ? c->GetRecordId(r) : c->GetRecordValue(r, c->KeyField());
      const Variant newKey = c->DataSetKeyValues();
      if (cxVarEquals(oldKey, newKey)) {
        c->RereadRecord(r);
      } else {
        std::vector<TcxCustomDataField*> keys;
        c->GetKeyFields(keys);
        auto* kf = keys.size() == 1 ? dynamic_cast<TcxDBDataField*>(keys[0]) : nullptr;
        if (UpdatingRecordIsInserting && oldKey.IsNull() && kf && kf->Field() && kf->Field()->DataType() == ftAutoInc &&
            c->FindRecordIndexByKey(newKey) == -1) {
          // A new record got its auto-increment key: keep it.
          if (c->IsNewItemRowActive() || r < 0) {
            if (UpdatingNewRecordIndex != -1) {
              r = UpdatingNewRecordIndex;
            } else {
              const Integer n = c->AppendStorageRecord();
              c->CopyRecord(r, n);
              r = n;
            }
          }
          c->RereadRecord(r);
        } else {
          const Integer owner = c->FindRecordIndexByKey(oldKey);
          if (owner == -1 || owner == r) {
            if (r != -1 && r >= 0) c->DeleteStorageRecord(r);
            c->RestoreFocus();
          }
        }
      }
      if (r != -1 && UpdatingRecordIndex != cxNullEditingRecord) c->DataChanged(dcRecord, c->PendingDataChangeItem(), r);
    }
  }
  c->FilterChanged();
  c->CheckFocusing(false);
  ClearPostLocate();
}

// --- dataset focus for clones of one detail dataset -----------------------------

bool TcxDBDataProvider::HasDataSetFocus() const {
  TcxDBDataController* c = DBDataController();
  if (!c->IsDetailMode() || c->DataModeController()->DetailInSQLMode() || !IsSyncMode()) return FDataSetCurrent;
  if (InCanInitEditing) {
    const bool viaRow = c->IsNewItemRowActive();
    return !InInsert && ((c->GetFocusedRowIndex() == -1 && !FDataSetCurrent) || IsOtherProviderInserting()) && !viaRow;
  }
  if (IsAnyInitEditing()) return false;
  return true;
}

void TcxDBDataProvider::SetDataSetFocus(bool Value) {
  if (Value && !FDataSetCurrent) {
    TcxDBDataController* c = DBDataController();
    TcxCustomDataRelation* rel = c->GetMasterRelation();
    for (TcxDBDataProvider* p : SharedProviders()) {
      if (p == this || p->ResettingDataSetCurrent) continue;
      TcxDBDataController* o = p->DBDataController();
      if (o->GetMasterRelation() != rel) continue;
      TFlagOn resetting(p->ResettingDataSetCurrent);
      p->FDataSetCurrent = false;
      o->ChangeFocusedRecordIndex(-1);
    }
  }
  if (FDataSetCurrent == Value) return;
  FDataSetCurrent = Value;
  DBDataController()->DataSetCurrentChanged(Value);
}

bool TcxDBDataProvider::CanFollowDataSetInsert() const {
  TcxDBDataController* c = DBDataController();
  return !c->IsPatternController() && c->DataModeController()->InsertSyncEnabled && IsSyncMode();
}

bool TcxDBDataProvider::SourceDetailHasChildren(Integer ARecord, Integer ARelationIndex) {
  TcxDBDataController* c = DBDataController();
  TcxCustomDataRelation* rel = c->Relations()->Items(ARelationIndex);
  auto* dbRel = dynamic_cast<TcxDBDataRelation*>(rel);
  auto* detail = dbRel ? dynamic_cast<TcxDBDataController*>(rel->DetailDataController()) : nullptr;
  if (!detail) return TcxCustomDataProvider::SourceDetailHasChildren(ARecord, ARelationIndex);
  const Variant v = dbRel->GetMasterKeyValues(ARecord);
  if (c->OnDetailHasRecords) {
    bool has = true;
    c->OnDetailHasRecords(c, ARecord, ARelationIndex, detail->GetMasterDetailKeyFieldNames(), v, has);
    return has;
  }
  if (detail->IsGridMode() || detail->DataModeController()->DetailInSQLMode()) return true;
  TDataSet* ds = detail->GetDataSet();
  if (!ds || !ds->Active()) return false;
  TcxDBDataProvider* p = detail->DBProvider();
  bool found = false;
  p->LockNotifications();
  try {
    p->SavePosition();
    found = ds->Locate(detail->GetMasterDetailKeyFieldNames(), v, TLocateOptions());
    p->RestorePosition();
  } catch (...) {
    p->UnlockNotifications();
    throw;
  }
  p->UnlockNotifications();
  detail->AfterLoad();
  return found;
}
