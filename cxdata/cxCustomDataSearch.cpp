// Data controller: incremental search, locate objects, value readers, the
// notifier, notification objects and the key snapshots of selection and
// detail state.
#include <algorithm>

#include "cxCustomData.h"
#include "cxDataUtils.h"
#include "cxVariants.h"

TOVANI_IMPLEMENT_CLASS(TcxDataControllerSearch, TObject)
TOVANI_IMPLEMENT_CLASS(TcxDataControllerLocateObject, TObject)
TOVANI_IMPLEMENT_CLASS(TcxDataControllerKeyLocateObject, TcxDataControllerLocateObject)
TOVANI_IMPLEMENT_CLASS(TcxDataControllerGroupLocateObject, TcxDataControllerLocateObject)
TOVANI_IMPLEMENT_CLASS(TcxValueDefUnboundReader, TcxValueDefReader)
TOVANI_IMPLEMENT_CLASS(TcxValueDefRecordReader, TcxValueDefReader)
TOVANI_IMPLEMENT_CLASS(TcxDataControllerNotifier, TComponent)
TOVANI_IMPLEMENT_CLASS(TcxUpdateControlInfo, TObject)
TOVANI_IMPLEMENT_CLASS(TcxDataChangedInfo, TcxUpdateControlInfo)
TOVANI_IMPLEMENT_CLASS(TcxFocusedRecordChangedInfo, TcxUpdateControlInfo)
TOVANI_IMPLEMENT_CLASS(TcxFocusedRowChangedInfo, TcxUpdateControlInfo)
TOVANI_IMPLEMENT_CLASS(TcxUpdateRecordInfo, TcxUpdateControlInfo)
TOVANI_IMPLEMENT_CLASS(TcxSelectionChangedInfo, TcxUpdateControlInfo)
TOVANI_IMPLEMENT_CLASS(TcxGroupingChangingInfo, TcxUpdateControlInfo)
TOVANI_IMPLEMENT_CLASS(TcxLayoutChangedInfo, TcxUpdateControlInfo)
TOVANI_IMPLEMENT_CLASS(TcxBookmarkChangedInfo, TcxUpdateControlInfo)
TOVANI_IMPLEMENT_CLASS(TcxSearchChangedInfo, TcxUpdateControlInfo)
TOVANI_IMPLEMENT_CLASS(TcxKeyInfo, TObject)
TOVANI_IMPLEMENT_CLASS(TcxSelectedKeyInfo, TcxKeyInfo)
TOVANI_IMPLEMENT_CLASS(TcxDetailKeyInfo, TcxKeyInfo)
TOVANI_IMPLEMENT_CLASS(TcxKeys, TObject)
TOVANI_IMPLEMENT_CLASS(TcxSelectedKeys, TcxKeys)
TOVANI_IMPLEMENT_CLASS(TcxDetailKeys, TcxKeys)
TOVANI_IMPLEMENT_CLASS(TcxSaveObject, TObject)
TOVANI_IMPLEMENT_CLASS(TcxDataListenerLink, TObject)

// ---------------------------------------------------------------------------
// Incremental search

Integer TcxDataControllerSearch::ItemIndex() const {
  TcxCustomDataField* f = FDataController->SearchField();
  return f ? FDataController->ItemIndexOfField(f) : -1;
}

void TcxDataControllerSearch::SetItemIndex(Integer Value) {
  FDataController->CheckItemRange(Value);
  FDataController->SetSearchField(FDataController->FieldOfItemIndex(Value));
}

bool TcxDataControllerSearch::Searching() const { return FDataController->Searching(); }

String TcxDataControllerSearch::SearchText() const { return FDataController->SearchText(); }

void TcxDataControllerSearch::Cancel() {
  if (FLocked || !FDataController->Searching()) return;
  FDataController->SetSearchState(false, String());
  FDataController->AddChanges(ccSearch);
}

Integer TcxDataControllerSearch::FindText(Integer AStart, Integer AEnd, bool AForward, const String& AText) {
  const Integer n = FDataController->GetFilteredRecordCount();
  if (n == 0) return -1;
  if (AEnd == -1) AEnd = AForward ? n - 1 : 0;
  const Integer item = ItemIndex();
  if (item < 0) return -1;
  const Integer step = AForward ? 1 : -1;
  for (Integer p = AStart; AForward ? p <= AEnd : p >= AEnd; p += step) {
    if (p < 0 || p >= n) break;
    const Integer r = FDataController->GetFilteredRecordIndex(p);
    if (cxTextMatches(FDataController->GetIncrementalSearchText(r, item), AText, true)) return p;
  }
  return -1;
}

void TcxDataControllerSearch::FocusPosition(Integer APosition) {
  Lock();
  try {
    FDataController->ChangeFocusedRecordIndex(FDataController->GetFilteredRecordIndex(APosition));
    FDataController->SyncSelected();
  } catch (...) {
    Unlock();
    throw;
  }
  Unlock();
}

bool TcxDataControllerSearch::Locate(Integer AItemIndex, const String& AText) {
  if (AText.empty() || FDataController->GetFilteredRecordCount() == 0) return false;
  SetItemIndex(AItemIndex);
  bool found;
  if (FDataController->IsGridMode()) {
    found = FDataController->SearchInDataSet(AText, true, false);
  } else {
    const Integer focused = FDataController->GetFocusedRecordIndex();
    Integer start = focused < 0 ? 0 : FDataController->GetFilteredIndexOfRecord(focused);
    if (start < 0) start = 0;
    Integer p = FindText(start, -1, true, AText);
    if (p < 0 && start > 0) p = FindText(0, start - 1, true, AText);
    found = p >= 0;
    if (found) FocusPosition(p);
  }
  if (found) {
    FDataController->SetSearchState(true, AText);
    FDataController->AddChanges(ccSearch);
    if (!FDataController->IsSingleSelect()) FDataController->SyncSelected();
  }
  return found;
}

bool TcxDataControllerSearch::LocateNext(bool AForward) {
  if (!Searching() || SearchText().empty() || ItemIndex() < 0 || FDataController->GetFilteredRecordCount() == 0)
    return false;
  bool found = false;
  if (FDataController->IsGridMode()) {
    found = FDataController->SearchInDataSet(SearchText(), AForward, true);
  } else {
    const Integer focused = FDataController->GetFocusedRecordIndex();
    if (focused < 0) return false;
    const Integer p = FDataController->GetFilteredIndexOfRecord(focused);
    const Integer start = AForward ? p + 1 : p - 1;
    if (start < 0 || start >= FDataController->GetFilteredRecordCount()) return false;
    const Integer hit = FindText(start, -1, AForward, SearchText());
    found = hit >= 0;
    if (found) FocusPosition(hit);
  }
  if (found && !FDataController->IsSingleSelect()) FDataController->SyncSelected();
  return found;
}

// ---------------------------------------------------------------------------
// Locate objects

TcxDataControllerLocateObject::~TcxDataControllerLocateObject() {
  try {
    ReleaseProbe();
  } catch (...) {
  }
}

void TcxDataControllerLocateObject::ReleaseProbe() {
  if (FProbe == 0) return;
  const Integer probe = FProbe;
  FProbe = 0;
  FDataController->DataStorage()->RemoveRecord(probe);
}

void TcxDataControllerLocateObject::LoadProbe(TcxValueDefReader* AReader) {
  if (FProbe == 0) FProbe = FDataController->DataStorage()->AcquireInternalRecord();
  FDataController->DataStorage()->LoadRecord(FProbe, AReader);
}

Integer TcxDataControllerKeyLocateObject::FindRecord() {
  if (FProbe == 0 || Fields.empty()) return -1;
  return FDataController->FindRecordByFields(FProbe, Fields);
}

TcxDataControllerGroupLocateObject::TcxDataControllerGroupLocateObject(TcxCustomDataController* AController)
    : TcxDataControllerLocateObject(AController) {
  TcxGroupingFieldList* g = AController->DataControllerInfo()->GroupingList();
  for (Integer i = 0; i < g->Count(); ++i) {
    FGroupFields.push_back(g->Items(i).Field);
    if (AController->IsSortedByDisplayText(g->Items(i).Field)) FBinarySearch = false;
  }
  SetLevel(0);
}

void TcxDataControllerGroupLocateObject::SetLevel(Integer Value) {
  if (FLevel == Value) return;
  FLevel = Value;
  FLinearFields.assign(FGroupFields.begin(),
                       FGroupFields.begin() + std::clamp<Integer>(Value + 1, 0, Integer(FGroupFields.size())));
}

Integer TcxDataControllerGroupLocateObject::FindRecord() {
  if (FProbe == 0) return -1;
  if (FBinarySearch) return FDataController->FindRecordBySortedFields(FProbe, FLevel + 1);
  const bool saved = FDataController->InternalFind();
  FDataController->SetInternalFind(true);
  Integer r;
  try {
    r = FDataController->FindRecordByFields(FProbe, FLinearFields);
  } catch (...) {
    FDataController->SetInternalFind(saved);
    throw;
  }
  FDataController->SetInternalFind(saved);
  return r;
}

// ---------------------------------------------------------------------------
// Value readers

Variant TcxValueDefUnboundReader::ReadValue(TcxValueDef* ADef) {
  if (auto* internal = dynamic_cast<TcxInternalValueDef*>(ADef)) ADef = internal->MainDef();
  for (size_t i = 0; i < FDefs.size(); ++i)
    if (FDefs[i] == ADef) return i < FValues.size() && FValues[i] ? *FValues[i] : Variant::Null();
  return Variant::Null();
}

bool TcxValueDefUnboundReader::IsInternalDef(TcxValueDef* ADef) {
  auto* f = dynamic_cast<TcxCustomDataField*>(ADef->LinkedObject());
  return f && f->IsInternalField();
}

void TcxValueDefUnboundReader::StoreValue(TcxValueDef* ADef, const Variant& AValue) {
  size_t i = 0;
  while (i < FDefs.size() && FDefs[i] != ADef) ++i;
  if (i == FDefs.size()) FDefs.push_back(ADef);
  if (FValues.size() < FDefs.size()) FValues.resize(FDefs.size());
  if (!FValues[i]) FValues[i] = std::make_unique<Variant>();
  *FValues[i] = AValue;
}

void TcxValueDefUnboundReader::KeepFirst(Integer ACount) {
  if (ACount < 0) ACount = 0;
  if (Integer(FValues.size()) > ACount) FValues.resize(size_t(ACount));
}

Variant TcxValueDefRecordReader::ReadValue(TcxValueDef* ADef) {
  if (auto* internal = dynamic_cast<TcxInternalValueDef*>(ADef)) ADef = internal->MainDef();
  auto* f = ADef ? dynamic_cast<TcxCustomDataField*>(ADef->LinkedObject()) : nullptr;
  return f ? FDataController->GetRecordValue(FRecordIndex, f) : Variant::Null();
}

String TcxValueDefRecordReader::ReadDisplayText(TcxValueDef* ADef) {
  if (auto* internal = dynamic_cast<TcxInternalValueDef*>(ADef)) ADef = internal->MainDef();
  auto* f = ADef ? dynamic_cast<TcxCustomDataField*>(ADef->LinkedObject()) : nullptr;
  if (!f || f->IsInternalField()) return String();
  return FDataController->GetRecordDisplayText(FRecordIndex, f);
}

bool TcxValueDefRecordReader::IsInternalDef(TcxValueDef* ADef) {
  auto* f = dynamic_cast<TcxCustomDataField*>(ADef->LinkedObject());
  return f && f->IsInternalField();
}

// ---------------------------------------------------------------------------

void TcxDataControllerNotifier::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == this && (ComponentState().Contains(csDestroying))) return;
  if (FDataController) FDataController->FieldNotification(AComponent);
}

TcxSelectionChangedInfo::TcxSelectionChangedInfo(Integer ARow1, Integer ARow2) {
  if (ARow1 != -1) FRows.push_back(ARow1);
  if (ARow2 != -1 && ARow2 != ARow1) FRows.push_back(ARow2);
}

// ---------------------------------------------------------------------------
// Key snapshots

TcxDetailKeyInfo::~TcxDetailKeyInfo() { delete SubSnapshot; }

TcxKeys::~TcxKeys() {
  for (TcxKeyInfo* i : FInfos) delete i;
}

void TcxKeys::DropAll() {
  std::vector<TcxKeyInfo*> infos;
  infos.swap(FInfos);
  for (TcxKeyInfo* i : infos) FreeKeyInfo(i);
}

void TcxKeys::BindTo(TcxCustomDataController* AController) {
  FDataController = AController;
  KeyFields.clear();
  AController->GetKeyFields(KeyFields);
}

void TcxKeys::Capture(TcxCustomDataController* AController) {
  DropAll();
  BindTo(AController);
  CollectKeys();
  cxStableSort(FInfos, [](const TcxKeyInfo* a, const TcxKeyInfo* b) { return cxVarCompare(a->Key, b->Key); });
}

void TcxKeys::Reapply(TcxCustomDataController* AController) {
  BindTo(AController);
  if (FInfos.empty()) return;
  ApplyKeys();
  DropAll();
}

void TcxKeys::RemoveAt(Integer APosition) {
  if (APosition < 0 || APosition >= Count()) return;
  TcxKeyInfo* info = FInfos[size_t(APosition)];
  FInfos.erase(FInfos.begin() + APosition);
  FreeKeyInfo(info);
}

bool TcxKeys::FindKeyOfRecord(Integer ARecord, Integer& APosition) {
  APosition = -1;
  if (FInfos.empty()) return false;
  const Variant key = FDataController->GetKeyValues(ARecord, KeyFields);
  // The infos are sorted by key: find the first one that is not below the
  // key, then check the run of equal keys from there.
  Integer lo = 0, hi = Count() - 1;
  while (lo <= hi) {
    const Integer mid = lo + (hi - lo) / 2;
    if (cxVarCompare(FInfos[size_t(mid)]->Key, key) < 0)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  for (Integer p = lo; p < Count() && cxVarCompare(FInfos[size_t(p)]->Key, key) == 0; ++p)
    if (cxVarEquals(FInfos[size_t(p)]->Key, key)) {
      APosition = p;
      return true;
    }
  return false;
}

void TcxSelectedKeys::CollectKeys() {
  TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo();
  TcxDataSelection* sel = info->Selection();
  const Integer count = FDataController->GetRecordCount();
  for (Integer i = 0; i < sel->Count(); ++i) {
    const TcxDataSelectionEntry& e = sel->Items(i);
    if (e.Level == -1 || e.RecordIndex < 0 || e.RecordIndex >= count) continue;
    auto* k = new TcxSelectedKeyInfo();
    k->EntryPosition = i;
    k->Key = FDataController->GetKeyValues(e.RecordIndex, KeyFields);
    FInfos.push_back(k);
  }
  info->SaveGroupStates(3);
}

void TcxSelectedKeys::ApplyKeys() {
  TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo();
  TcxDataSelection* sel = info->Selection();
  if (sel->Count() == 0) return;
  auto& entries = sel->Entries();
  const Integer count = FDataController->GetRecordCount();
  for (Integer r = 0; r < count && !FInfos.empty(); ++r) {
    Integer pos;
    if (!FindKeyOfRecord(r, pos)) continue;
    auto* k = static_cast<TcxSelectedKeyInfo*>(FInfos[size_t(pos)]);
    if (k->EntryPosition >= 0 && k->EntryPosition < sel->Count()) entries[size_t(k->EntryPosition)].RecordIndex = r;
    RemoveAt(pos);
  }
  for (TcxKeyInfo* i : FInfos) {
    auto* k = static_cast<TcxSelectedKeyInfo*>(i);
    if (k->EntryPosition >= 0 && k->EntryPosition < sel->Count()) entries[size_t(k->EntryPosition)].RecordIndex = -1;
  }
  sel->RemoveEntriesIf([](const TcxDataSelectionEntry& e) { return e.Level != -1 && e.RecordIndex == -1; });
  info->NoteRevealed();
}

void TcxDetailKeys::CollectKeys() {
  const Integer count = FDataController->GetRecordCount();
  for (Integer r = 0; r < count; ++r) {
    if (!FDataController->GetDetailExpanded(r)) continue;
    auto* k = new TcxDetailKeyInfo();
    k->Key = FDataController->GetKeyValues(r, KeyFields);
    k->ActiveRelationIndex = FDataController->GetDetailActiveRelationIndex(r);
    k->SubSnapshot = new TcxSaveObject();
    FInfos.push_back(k);
    TObject* link = FDataController->GetDetailLinkObject(r, k->ActiveRelationIndex);
    TcxCustomDataController* detail = link ? FDataController->GetDetailControllerOfLink(link) : nullptr;
    if (detail && detail->InheritsFrom(FDataController->ClassType())) k->SubSnapshot->TakeSnapshot(detail);
  }
}

void TcxDetailKeys::ApplyKeys() {
  const Integer count = FDataController->GetRecordCount();
  for (Integer r = 0; r < count; ++r) {
    Integer pos;
    if (!FindKeyOfRecord(r, pos)) continue;
    auto* k = static_cast<TcxDetailKeyInfo*>(FInfos[size_t(pos)]);
    FDataController->ChangeDetailExpanding(r, true);
    FDataController->ChangeDetailActiveRelationIndex(r, k->ActiveRelationIndex);
    if (k->SubSnapshot && FDataController->GetDetailExpanded(r) &&
        FDataController->GetDetailActiveRelationIndex(r) == k->ActiveRelationIndex) {
      TObject* link = FDataController->GetDetailLinkObject(r, k->ActiveRelationIndex);
      TcxCustomDataController* detail = link ? FDataController->GetDetailControllerOfLink(link) : nullptr;
      if (detail && detail->InheritsFrom(FDataController->ClassType())) k->SubSnapshot->ApplySnapshot(detail);
    }
  }
}

TcxSaveObject::TcxSaveObject() : FDetailKeys(new TcxDetailKeys), FSelectedKeys(new TcxSelectedKeys) {}

TcxSaveObject::~TcxSaveObject() {
  FSelectedKeys.reset();
  FDetailKeys.reset();
}

void TcxSaveObject::TakeSnapshot(TcxCustomDataController* AController) {
  if (AController->CreatingLinkObject() || AController->IsOwnerDestroying() ||
      !AController->CanIdentifyRecordsByKey())
    return;
  FDetailKeys->Capture(AController);
  FSelectedKeys->Capture(AController);
}

void TcxSaveObject::ApplySnapshot(TcxCustomDataController* AController) {
  if (AController->CreatingLinkObject()) return;
  if (AController->CanIdentifyRecordsByKey()) {
    FDetailKeys->Reapply(AController);
    FSelectedKeys->Reapply(AController);
  } else {
    AController->DataControllerInfo()->CheckSelectionRecords();
    AController->CheckBookmark(-1);
  }
}
