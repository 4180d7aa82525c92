// Dataset data controller, master and detail side: link field names and
// the master's key values, positioning or reopening a detail dataset for a
// master record, the master following a detail, and which clone of a
// shared detail dataset is current.
#include <algorithm>

#include "DBUtil.h"
#include "cxDBData.h"
#include "cxVariants.h"

namespace {

struct TFlagOn {
  bool& F;
  bool Old;
  TFlagOn(bool& f, bool v = true) : F(f), Old(f) { F = v; }
  ~TFlagOn() { F = Old; }
};

}  // namespace

void TcxDBDataController::SetDetailLinkFieldNames(const String& Value) {
  if (FDetailLinkFieldNames == Value) return;
  FDetailLinkFieldNames = Value;
  FMasterDetailKeyFields.clear();
  FMasterDetailKeyFieldsValid = false;
  if (auto* r = dynamic_cast<TcxDBDataRelation*>(GetMasterRelation())) r->LinkNamesChanged();
}

void TcxDBDataController::SetMasterLinkFieldNames(const String& Value) {
  if (FMasterLinkFieldNames == Value) return;
  FMasterLinkFieldNames = Value;
  if (auto* r = dynamic_cast<TcxDBDataRelation*>(GetMasterRelation())) {
    r->LinkNamesChanged();
    if (TcxCustomDataController* m = GetMasterController())
      if (auto* dm = dynamic_cast<TcxDBDataController*>(m)) dm->RebindRelationKeyFields();
  }
}

String TcxDBDataController::GetMasterDetailKeyFieldNames() const {
  return FMasterLinkFieldNames.empty() ? String() : FDetailLinkFieldNames;
}

const std::vector<TField*>& TcxDBDataController::MasterDetailKeyFieldList() {
  if (!FMasterDetailKeyFieldsValid) {
    FMasterDetailKeyFields.clear();
    TDataSet* ds = GetDataSet();
    const String names = GetMasterDetailKeyFieldNames();
    if (ds && !names.empty()) {
      FMasterDetailKeyFields = ds->GetFieldList(names);
      for (TField* f : FMasterDetailKeyFields) f->FreeNotification(Notifier());
    }
    FMasterDetailKeyFieldsValid = true;
  }
  return FMasterDetailKeyFields;
}

void TcxDBDataController::SetMasterRelation(TcxCustomDataRelation* ARelation, Integer AMasterRecord) {
  BeginUpdate();
  try {
    TcxCustomDataController::SetMasterRelation(ARelation, AMasterRecord);
    auto* r = dynamic_cast<TcxDBDataRelation*>(ARelation);
    if (r && AMasterRecord != -1) {
      FMasterDetailKeyValues = r->GetMasterKeyValues(AMasterRecord);
      LayoutChanged(2);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxDBDataController::RebindRelationKeyFields() {
  for (Integer i = 0; i < Relations()->Count(); ++i) {
    auto* r = dynamic_cast<TcxDBDataRelation*>(Relations()->Items(i));
    if (!r) continue;
    const String n = r->MasterKeyFieldNames();
    if (!n.empty()) {
      if (!r->FMasterKeyField) r->FMasterKeyField = static_cast<TcxDBDataField*>(CreateInternalField());
      NameDataField(r->FMasterKeyField, n, false);
    } else if (r->FMasterKeyField) {
      TcxDBDataField* f = r->FMasterKeyField;
      r->FMasterKeyField = nullptr;
      delete f;
      AddChanges(ccData);
    }
  }
}

TcxDBAdapterItem* TcxDBDataController::GetDetailFilterAdapter() {
  TDataSet* ds = GetDataSet();
  Integer i;
  if (!ds || !cxGetDetailFilterAdapters()->FindAdapter(ds->ClassType(), i))
    cxDataControllerError(cxSDBDetailFilterControllerNotFound);
  return cxGetDetailFilterAdapters()->GetItem(i);
}

bool TcxDBDataController::DetailIsCurrentQuery(const String& ANames, const Variant& AValues) {
  TcxDBDataModeController* m = FDataModeController.get();
  if (m->OnDetailIsCurrentQuery) return m->OnDetailIsCurrentQuery(m, GetDataSet(), ANames, AValues);
  return static_cast<TcxDBProviderDetailFilterAdapter*>(GetDetailFilterAdapter())->IsCurrentQuery(GetDataSet(), ANames,
                                                                                                   AValues);
}

void TcxDBDataController::DetailFirst(const String& ANames, const Variant& AValues, bool& AReopened) {
  AReopened = false;
  TcxDBDataModeController* m = FDataModeController.get();
  if (m->OnDetailFirst) {
    m->OnDetailFirst(m, GetDataSet(), ANames, AValues, AReopened);
    return;
  }
  static_cast<TcxDBProviderDetailFilterAdapter*>(GetDetailFilterAdapter())
      ->PositionDetail(GetDataSet(), ANames, AValues, m->DetailInSQLMode(), AReopened);
}

void TcxDBDataController::EnsureDetailQuery() {
  if (!FDataModeController->DetailInSQLMode() || !IsDetailMode()) return;
  if (DetailIsCurrentQuery(GetMasterDetailKeyFieldNames(), FMasterDetailKeyValues)) return;
  TcxDBDataProvider* p = DBProvider();
  TFlagOn checking(FInCurrentQueryCheck);
  p->LockNotifications();
  try {
    p->MoveToFirst();
    p->SavePosition();
    p->RestorePosition();
    p->RecordIndex = 0;
  } catch (...) {
    p->UnlockNotifications();
    throw;
  }
  p->UnlockNotifications();
}

bool TcxDBDataController::IsDetailOutOfSync() {
  if (!IsDetailMode() || !FDataModeController->DetailInSQLMode()) return false;
  if (!FDataModeController->DetailSyncEnabled) return true;
  if (DBProvider()->IsDataSetCurrent() || FMasterDetailKeyValues.IsEmpty() ||
      (FMasterDetailKeyValues.IsNull() && !FMasterDetailKeyValues.IsArray()))
    return false;
  TDataSet* ds = GetDataSet();
  const String names = GetMasterDetailKeyFieldNames();
  if (!ds || !ds->Active() || names.empty()) return false;
  return !cxVarEquals(ds->FieldValues(names), FMasterDetailKeyValues);
}

bool TcxDBDataController::IsEnsuringDetailQuery() const {
  for (TcxDBDataProvider* p : DBProvider()->SharedProviders()) {
    TcxDBDataController* c = p->DBDataController();
    if (c->FInCurrentQueryCheck) return true;
    if (TcxCustomDataController* m = c->GetMasterController())
      if (m->CreatingLinkObject()) return true;
  }
  return false;
}

void TcxDBDataController::ReloadDetails(bool ASkipSelf) {
  TcxCustomDataRelation* rel = GetMasterRelation();
  if (!rel) return;
  ForEachDetailController(rel, [this, ASkipSelf](TcxCustomDataController* c) {
    if (ASkipSelf && c == this) return;
    c->UpdateFields();
    c->AddChanges(ccData);
  });
}

// ---------------------------------------------------------------------------
// Focus across master and details

void TcxDBDataController::FocusedRecordChanged(Integer APrevRecord, Integer ARecord) {
  TcxCustomDataController::FocusedRecordChanged(APrevRecord, ARecord);
  if (ARecord == -1) return;
  TcxDBDataProvider* p = DBProvider();
  TFlagOn resetting(p->ResettingDataSetCurrent);
  p->SetDataSetFocus(true);
}

bool TcxDBDataController::CanFocusedRowChange() {
  TcxDBDataProvider* p = DBProvider();
  if (p->ResettingDataSetCurrent) return true;
  TcxCustomDataController* m = GetMasterController();
  if (!m || !IsDetailMode()) return true;
  if (!m->CanFocusedRowChange()) return false;
  // Posting may run event handlers that free either controller: the
  // listener links tell whether both still exist afterwards.
  TcxDataListenerLink* mine = CreateListenerLink();
  TcxDataListenerLink* master = m->CreateListenerLink();
  try {
    m->CheckBrowseMode();
    if (mine->Ref) CheckBrowseMode();
  } catch (...) {
    FreeListenerLink(master);
    FreeListenerLink(mine);
    throw;
  }
  const bool alive = mine->Ref && master->Ref;
  FreeListenerLink(master);
  FreeListenerLink(mine);
  return alive;
}

TcxCustomDataController* TcxDBDataController::FindDetailForKeys(TcxCustomDataController* AController,
                                                                Integer ARelationIndex, const Variant& AValues) {
  const Integer row = AController->GetFocusedRowIndex();
  if (row < 0) return nullptr;
  const Integer r = AController->GetRowInfo(row).RecordIndex;
  if (r < 0) return nullptr;
  AController->ChangeDetailExpanding(r, true);
  if (!AController->GetDetailExpanded(r)) return nullptr;
  const Integer active = AController->GetDetailActiveRelationIndex(r);
  if (active != ARelationIndex && active >= 0) {
    auto* d = dynamic_cast<TcxDBDataController*>(AController->GetDetailDataController(r, active));
    TDataSet* ds = d ? d->GetDataSet() : nullptr;
    const String names = d ? d->GetMasterDetailKeyFieldNames() : String();
    if (ds && ds->Active() && !names.empty() && cxVarEquals(ds->FieldValues(names), AValues)) return d;
  }
  AController->ChangeDetailActiveRelationIndex(r, ARelationIndex);
  return AController->GetDetailDataController(r, ARelationIndex);
}

TcxCustomDataController* TcxDBDataController::SyncMasterPosition() {
  if (FUpdatingDataSetPos || FInCheckBrowseMode) return this;
  if (!IsDetailMode() || GetMasterDetailKeyFieldNames().empty()) return this;
  auto* rel = dynamic_cast<TcxDBDataRelation*>(GetMasterRelation());
  if (!rel) return nullptr;
  auto* master = dynamic_cast<TcxDBDataController*>(GetMasterController());
  if (!master || !DBProvider()->IsSyncMode() || master->CreatingLinkObject()) return nullptr;
  for (TcxCustomDataController* c = master; c; c = c->GetMasterController()) {
    auto* dc = dynamic_cast<TcxDBDataController*>(c);
    if (!dc || !dc->IsKeyMode() || !dc->DBProvider()->IsSyncMode() || dc->DBProvider()->IsDataSetEditing()) return nullptr;
    if (c->GetMasterController() == c) break;
  }
  TDataSet* ds = GetDataSet();
  TDataSet* mds = master->GetDataSet();
  if (!ds || !mds || !ds->Active() || !mds->Active()) return nullptr;
  TcxCustomDataController* result = nullptr;
  {
    TFlagOn updating(master->FUpdatingDataSetPos);
    const Variant v = ds->FieldValues(FDetailLinkFieldNames);
    const Variant w = mds->FieldValues(FMasterLinkFieldNames);
    const bool equal = cxVarEquals(v, w);
    if (equal && master->FocusingDetails()) return nullptr;
    bool located = equal;
    if (!equal) {
      TcxDBDataProvider* mp = master->DBProvider();
      mp->EnterLocate();
      try {
        located = mds->Locate(FMasterLinkFieldNames, v, TLocateOptions());
      } catch (...) {
        mp->LeaveLocate();
        throw;
      }
      mp->LeaveLocate();
    }
    if (located) {
      master->RestoreFocus();
      TcxCustomDataController* m = master->SyncMasterPosition();
      if (m) result = FindDetailForKeys(m, rel->Index(), equal ? w : v);
    }
  }
  AfterLoad();
  return result;
}
