// Data controller: binding a controller to a master relation, detail
// expansion and the active relation of each master record, and making and
// dropping the detail controllers of master records.
#include "cxCustomData.h"

namespace {

struct TFlagSet {
  bool& F;
  bool Old;
  TFlagSet(bool& f, bool v) : F(f), Old(f) { F = v; }
  ~TFlagSet() { F = Old; }
};

struct TUpdateLock {
  TcxCustomDataController* C;
  explicit TUpdateLock(TcxCustomDataController* c) : C(c) { C->BeginUpdate(); }
  ~TUpdateLock() { C->EndUpdate(); }
};

}  // namespace

TcxCustomDataController* TcxCustomDataRelation::DataController() const {
  return FRelationList ? FRelationList->DataController() : nullptr;
}

void TcxCustomDataRelation::Changed() {
  if (FRelationList) FRelationList->RelationsChanged();
}

// ---------------------------------------------------------------------------
// Binding

void TcxCustomDataController::SetMasterRelation(TcxCustomDataRelation* ARelation, Integer AMasterRecord) {
  if (ARelation == FMasterRelation && AMasterRecord == FMasterRecordIndex && !ARelation && AMasterRecord == -1) return;
  TUpdateLock lock(this);
  if (FMasterRelation) {
    if (FMasterRecordIndex == -1) {
      if (FMasterRelation->DetailDataController() == this) FMasterRelation->SetDetailDataController(nullptr);
    } else {
      Provider()->AttachCustomSource(nullptr);
      if (TcxCustomDataController* m = GetMasterController())
        if (m->FCreatingDataController == this) m->FCreatingDataController = nullptr;
    }
  }
  FMasterRelation = ARelation;
  if (ARelation) {
    if (AMasterRecord == -1) {
      ARelation->SetDetailDataController(this);
      ARelation->Changed();
    } else {
      TcxCustomDataController* pattern = ARelation->DetailDataController();
      if (pattern && pattern != this && pattern->Provider()->CustomDataSource())
        Provider()->AttachCustomSource(pattern->Provider()->CustomDataSource());
      if (TcxCustomDataController* m = GetMasterController()) m->FCreatingDataController = this;
    }
  }
  FMasterRecordIndex = AMasterRecord;
  LayoutChanged(2);
}

void TcxCustomDataController::SetPatternRelation(TcxCustomDataRelation* ARelation, bool AIsPattern) {
  LockUpdate();
  try {
    SetMasterRelation(ARelation, -1);
    SetIsPattern(AIsPattern);
  } catch (...) {
    UnlockUpdate();
    throw;
  }
  UnlockUpdate();
}

void TcxCustomDataController::SetIsPattern(bool Value) {
  const bool was = IsPatternController();
  FIsPattern = Value;
  if (IsPatternController() != was && !IsOwnerDestroying()) RecreateStructure();
}

Integer TcxCustomDataController::GetDetailMode() const {
  if (FMasterRelation) return FMasterRecordIndex == -1 ? 1 : 2;
  return FIsPattern ? 1 : 0;
}

TcxCustomDataController* TcxCustomDataController::GetMasterController() const {
  return FMasterRelation ? FMasterRelation->DataController() : nullptr;
}

TcxCustomDataController* TcxCustomDataController::GetRootController() {
  TcxCustomDataController* c = this;
  // A chain of masters ends at a controller without relation; the step
  // count guards against a relation that refers back to its own chain.
  for (int guard = 0; guard < 1000; ++guard) {
    TcxCustomDataController* m = c->GetMasterController();
    if (!m || m == c) break;
    c = m;
  }
  return c;
}

TcxCustomDataController* TcxCustomDataController::FindDetailController(TcxCustomDataController* AController,
                                                                       TObject* AItem) {
  if (!AController || !AController->FRelations) return nullptr;
  for (Integer i = 0; i < AController->FRelations->Count(); ++i) {
    TcxCustomDataRelation* r = AController->FRelations->Items(i);
    if (r->Item() == AItem && r->DetailDataController()) return r->DetailDataController();
  }
  for (Integer i = 0; i < AController->FRelations->Count(); ++i) {
    TcxCustomDataController* d = AController->FRelations->Items(i)->DetailDataController();
    if (d && d != AController)
      if (TcxCustomDataController* found = FindDetailController(d, AItem)) return found;
  }
  return nullptr;
}

TcxCustomDataController* TcxCustomDataController::GetPatternController() {
  if (!IsDetailMode()) return this;
  if (FMasterRelation->DetailDataController()) return FMasterRelation->DetailDataController();
  TcxCustomDataController* d = FindDetailController(GetRootController(), FMasterRelation->Item());
  return d ? d : this;
}

bool TcxCustomDataController::HasDetailControllers() {
  if (!FRelations) return false;
  for (Integer i = 0; i < FRelations->Count(); ++i)
    if (FRelations->Items(i)->DetailDataController()) return true;
  return false;
}

// ---------------------------------------------------------------------------
// Detail records

bool TcxCustomDataController::GetDetailExpanded(Integer ARecord) {
  if (!FRelations || ARecord < 0 || ARecord >= GetRecordCount()) return false;
  TcxDetailObject* d = FRelations->DetailObjectOf(ARecord);
  return d && d->Expanded;
}

bool TcxCustomDataController::CanChangeDetailExpanding(Integer ARecord, bool AExpanded) {
  bool allow = true;
  if (AExpanded)
    QueryDetailExpand(ARecord, allow);
  else
    QueryDetailCollapse(ARecord, allow);
  return allow;
}

bool TcxCustomDataController::ChangeDetailExpanding(Integer ARecord, bool AExpanded) {
  if (GetDetailExpanded(ARecord) == AExpanded) return true;
  TFlagSet flag(FDetailExpanding, true);
  CheckBrowseMode();
  if (ARecord < 0 || ARecord >= GetRecordCount()) return false;
  TcxDetailObject* d = Relations()->DetailObjectOf(ARecord);
  if (!d || !CanChangeDetailExpanding(ARecord, AExpanded)) return false;
  d->Expanded = AExpanded;
  TcxCustomDataController* m = GetMasterController();
  if (!m || m->GetLockCount() == 0) AddChanges(ccDetails);
  if (AExpanded)
    NotifyDetailExpanded(ARecord);
  else
    NotifyDetailCollapsed(ARecord);
  return true;
}

Integer TcxCustomDataController::GetDetailActiveRelationIndex(Integer ARecord) {
  if (!HasDetailControllers() || ARecord < 0 || ARecord >= GetRecordCount()) return -1;
  TcxDetailObject* d = FRelations->DetailObjectOf(ARecord);
  return d ? d->ActiveRelationIndex : -1;
}

void TcxCustomDataController::ChangeDetailActiveRelationIndex(Integer ARecord, Integer ARelation) {
  if (GetDetailActiveRelationIndex(ARecord) == ARelation) return;
  CheckBrowseMode();
  if (ARecord < 0 || ARecord >= GetRecordCount()) return;
  TcxDetailObject* d = Relations()->DetailObjectOf(ARecord);
  if (!d) return;
  d->ActiveRelationIndex = ARelation;
  AddChanges(ccDetails);
}

TObject* TcxCustomDataController::GetDetailLinkObject(Integer ARecord, Integer ARelation) {
  if (ARecord < 0 || ARecord >= GetRecordCount() || ARelation < 0 || ARelation >= Relations()->Count())
    return nullptr;
  TcxDetailObject* d = FRelations->DetailObjectOf(ARecord);
  if (!d) return nullptr;
  TObject* link = d->LinkObject(ARelation);
  if (link || FCreatingLinkObject) return link;
  TcxCustomDataController* pattern = GetPatternController();
  TObject* made = nullptr;
  {
    TFlagSet creating(FCreatingLinkObject, true);
    TFlagSet patternCreating(pattern->FCreatingLinkObject, true);
    made = CreateDetailLinkObject(FRelations->Items(ARelation), ARecord);
    FCreatingDataController = nullptr;
  }
  // The record may have gone while the link object was made.
  if (ARecord >= GetRecordCount() || FRelations->DetailObjectOf(ARecord) != d) {
    delete made;
    made = nullptr;
  } else if (made) {
    d->SetLinkObject(ARelation, made);
  }
  if (!made && !FInGetLinkRetry) {
    TFlagSet retry(FInGetLinkRetry, true);
    return GetDetailLinkObject(ARecord, ARelation);
  }
  return made;
}

TcxCustomDataController* TcxCustomDataController::GetDetailDataController(Integer ARecord, Integer ARelation) {
  return GetDetailControllerOfLink(GetDetailLinkObject(ARecord, ARelation));
}

bool TcxCustomDataController::IsDetailDataControllerExist(Integer ARecord, Integer ARelation) {
  if (!FRelations || ARecord < 0 || ARecord >= GetRecordCount()) return false;
  return FRelations->IsDetailDataControllerExist(ARecord, ARelation);
}

void TcxCustomDataController::ClearDetailLinkObject(Integer ARecord, Integer ARelation) {
  if (!IsDetailDataControllerExist(ARecord, ARelation)) return;
  FRelations->ClearDetailObject(ARecord, ARelation);
  AddChanges(ccDetails);
}

void TcxCustomDataController::ClearDetails() {
  if (!FRelations) return;
  TUpdateLock lock(this);
  for (Integer r = 0; r < GetRecordCount(); ++r) ClearDetailLinkObject(r, -1);
}

void TcxCustomDataController::CollapseDetails() {
  if (!FRelations || !FRelations->DetailObjectsField()) return;
  CheckBrowseMode();
  TUpdateLock lock(this);
  for (Integer r = 0; r < GetRecordCount(); ++r) {
    ClearDetailLinkObject(r, -1);
    if (TcxDetailObject* d = FRelations->DetailObjectOf(r)) d->Expanded = false;
  }
  AddChanges(ccDetails);
}

void TcxCustomDataController::ResetDetailObjects() {
  if (!FRelations || !FRelations->DetailObjectsField()) return;
  bool changed = false;
  for (Integer r = 0; r < GetRecordCount(); ++r) {
    TcxDetailObject* before = nullptr;
    {
      Variant v = FStorage->ValueAt(r, FRelations->DetailObjectsField()->ValueDef());
      if (!v.IsNull() && !v.IsEmpty()) before = static_cast<TcxDetailObject*>(v.AsObject());
    }
    const Integer active = before ? before->ActiveRelationIndex : -2;
    TcxDetailObject* after = FRelations->DetailObjectOf(r);
    if (after != before || (after && after->ActiveRelationIndex != active)) changed = true;
  }
  if (changed) AddChanges(ccLayout);
}

void TcxCustomDataController::FocusDetails(Integer ARecord) {
  const Integer rel = GetDetailActiveRelationIndex(ARecord);
  if (rel < 0 || !IsDetailDataControllerExist(ARecord, rel)) return;
  TFlagSet flag(FFocusingDetails, true);
  if (TcxCustomDataController* d = GetDetailDataController(ARecord, rel)) d->CheckFocusedRow();
}

void TcxCustomDataController::ForEachDetailController(TcxCustomDataRelation* ARelation,
                                                      const std::function<void(TcxCustomDataController*)>& AProc) {
  // The relation indexes from the root down to ARelation.
  std::vector<Integer> chain;
  for (TcxCustomDataRelation* r = ARelation; r; ) {
    chain.insert(chain.begin(), r->Index());
    TcxCustomDataController* m = r->DataController();
    r = m ? m->FMasterRelation : nullptr;
    if (chain.size() > 1000) break;
  }
  std::vector<TcxCustomDataController*> level{GetRootController()};
  for (size_t i = 0; i < chain.size(); ++i) {
    std::vector<TcxCustomDataController*> next;
    for (TcxCustomDataController* c : level) {
      for (Integer r = 0; r < c->GetRecordCount(); ++r) {
        TcxCustomDataController* d =
            c->IsDetailDataControllerExist(r, chain[i]) ? c->GetDetailDataController(r, chain[i]) : nullptr;
        if (d) next.push_back(d);
      }
      if (c->FCreatingDataController) next.push_back(c->FCreatingDataController);
    }
    level.swap(next);
  }
  for (TcxCustomDataController* c : level) AProc(c);
}

void TcxCustomDataController::ClearDetailsOfRelation(TObject* AItem) {
  if (FRelations && FRelations->FindByItem(AItem)) {
    ClearDetails();
    return;
  }
  if (!FRelations) return;
  for (Integer r = 0; r < GetRecordCount(); ++r)
    for (Integer i = 0; i < FRelations->Count(); ++i)
      if (FRelations->IsDetailDataControllerExist(r, i))
        if (TcxCustomDataController* d = GetDetailDataController(r, i)) d->ClearDetailsOfRelation(AItem);
}

void TcxCustomDataController::DetachDetailsOfRelation(TcxCustomDataRelation* ARelation) {
  ForEachDetailController(ARelation, [ARelation](TcxCustomDataController* c) {
    if (c->FMasterRelation == ARelation) c->SetMasterRelation(nullptr, -1);
  });
}

void TcxCustomDataController::NotifyMasterOfChange() {
  if (!(Provider()->SourceIsOpen() || IsProviderMode()) || !IsDetailMode() || Provider()->IsEditing()) return;
  if (TcxCustomDataController* m = GetMasterController()) m->ResetDetailObjects();
}
