// Data controller: the update engine. It turns the records of the storage
// into the visible rows (record list, filter, sort, group tree), keeps the
// focus, the selection and the expanded groups on their records across
// rebuilds, starts the summaries and reports one set of changes.
#include <algorithm>
#include <string_view>

#include "cxCustomData.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomDataControllerInfo, TObject)

namespace {

struct TUpdateFlagGuard {
  bool& Flag;
  explicit TUpdateFlagGuard(bool& F) : Flag(F) { Flag = true; }
  ~TUpdateFlagGuard() { Flag = false; }
};

int SortingCompareProc(void* Context, Integer A, Integer B) {
  return static_cast<TcxCustomDataControllerInfo*>(Context)->CompareForSorting(A, B);
}

}  // namespace

TcxCustomDataControllerInfo::TcxCustomDataControllerInfo(TcxCustomDataController* AController)
    : FDataController(AController),
      FGroupingList(new TcxGroupingFieldList),
      FSortingList(new TcxSortingFieldList),
      FTotalSortingList(new TcxSortingFieldList),
      FGroups(new TcxDataGroups),
      FGroupStates(new TcxDataExpandingInfos),
      FFocus(new TcxDataFocusingInfo(this)),
      FPrevFocus(new TcxDataFocusingInfo(this)) {
  FGroupingList->OnChanged = [this] {
    FChanges |= dcicRegroup | dcicResort | dcicRecalcSummaries;
  };
  FSortingList->OnChanged = [this] { FChanges |= dcicResort; };
  FSelection.reset(AController->CreateSelection());
  FSelection->OnChanged = [this] {
    FChanges |= dcicSelectionChanged;
    const TcxSummaryOptions o = FDataController->Summary()->Options();
    if (o.Contains(soSelectedRecords) || o.Contains(soMultipleSelectedRecords)) FChanges |= dcicRecalcSummaries;
  };
}

TcxCustomDataControllerInfo::~TcxCustomDataControllerInfo() {
  FGroupingList->OnChanged = nullptr;
  FSortingList->OnChanged = nullptr;
  if (FSelection) FSelection->OnChanged = nullptr;
}

// ---------------------------------------------------------------------------
// Change requests

void TcxCustomDataControllerInfo::UnlockUpdates() {
  if (FLockCount > 0) --FLockCount;
  ApplyPendingChanges();
}

void TcxCustomDataControllerInfo::ApplyPendingChanges() {
  if (FChanges != 0 && FLockCount == 0 && !FCalculating) Update();
}

void TcxCustomDataControllerInfo::RecordsChanged() {
  FChanges |= dcicRebuildRecords;
  if (!(FDataController->IsGridMode() && FDataController->StructureChanged)) FChanges |= dcicRecalcSummaries;
  if (FSortingList->Count() > 0 || FGroupingList->Count() > 0) FChanges |= dcicResort;
  if (FGroupingList->Count() > 0 || IsGrouped()) FChanges |= dcicRegroup;
  InvalidateRecordIndex();
  ApplyPendingChanges();
}

void TcxCustomDataControllerInfo::TakeFocusFromController() {
  FChanges |= dcicFocusFromController;
  FFocus->TakeFromController();
  ApplyPendingChanges();
}

void TcxCustomDataControllerInfo::SummaryItemsChanged(bool OneItemOnly) {
  const bool bySummary = GroupsSortedBySummary();
  if (!OneItemOnly || bySummary)
    FChanges |= dcicRecalcSummaries;
  else
    FChanges |= dcicFieldLayout;
  if (bySummary) FChanges |= dcicRegroup;
  ApplyPendingChanges();
}

void TcxCustomDataControllerInfo::NoteRevealed() {
  FChanges |= dcicRevealed;
  FRevealed = true;
}

void TcxCustomDataControllerInfo::NoteRowsMoved(bool AlsoPrevious) {
  FChanges |= dcicCheckFocusedRow;
  if (AlsoPrevious) FPrevFocus->Changed = true;
}

void TcxCustomDataControllerInfo::RemoveFieldReferences(TcxCustomDataField* AField) {
  FSortingList->Remove(AField);
  if (FGroupingList->IndexOf(AField) >= 0) FSelection->ResetSelection();
  FGroupingList->Remove(AField);
  FGroupingList->CopyOrdersFrom(FSortingList.get());
  FTotalSortingList->Remove(AField);
  FGroupStates->ForgetField(AField);
  if (FGroups->LevelCount() > 0) {
    for (Integer i = 0; i < FGroups->LevelCount(); ++i)
      if (FGroups->FieldByLevel(i) == AField) {
        // The tree refers to the field: drop it now, the next update regroups.
        FGroups->Clear();
        FChanges |= dcicRegroup;
        break;
      }
  }
  ApplyPendingChanges();
}

void TcxCustomDataControllerInfo::FieldChanged(TcxCustomDataField* AField) {
  FChanges |= dcicFieldLayout;
  FSortingList->TouchField(AField);
  FGroupingList->TouchField(AField);
  if (FGroupingList->IndexOf(AField) >= 0) FSelection->ResetSelection();
  FGroupStates->ForgetField(AField);
  ApplyPendingChanges();
}

void TcxCustomDataControllerInfo::ApplySortOrder(TcxCustomDataField* AField, TcxDataSortOrder AOrder) {
  FSortingList->SetFieldOrder(AField, AOrder);
  FGroupingList->CopyOrdersFrom(FSortingList.get());
  ApplyPendingChanges();
}

void TcxCustomDataControllerInfo::ClearSortOrders(bool KeepGrouped) {
  const Integer before = FSortingList->Count();
  if (KeepGrouped) {
    for (Integer i = FSortingList->Count() - 1; i >= 0; --i)
      if (FGroupingList->IndexOf(FSortingList->Items(i).Field) < 0) FSortingList->Delete(i);
  } else {
    FSortingList->Clear();
    for (Integer i = 0; i < FGroupingList->Count(); ++i) FGroupingList->SetOrder(i, soAscending);
  }
  if (FSortingList->Count() != before) {
    FDataController->CheckBeforeSorting();
    FDataController->SortingChanged = true;
  }
  ApplyPendingChanges();
}

// ---------------------------------------------------------------------------
// Rows and records

Integer TcxCustomDataControllerInfo::RowCount() const {
  return IsGrouped() ? FGroups->RowCount() : RecordListCount();
}

void TcxCustomDataControllerInfo::CheckRow(Integer Row) const {
  if (Row < 0 || Row >= RowCount()) cxDataControllerError(cxSDataRowIndexError);
}

TcxRowInfo TcxCustomDataControllerInfo::RowInfo(Integer Row) const {
  CheckRow(Row);
  TcxRowInfo info;
  if (IsGrouped()) {
    info = FGroups->RowInfoOf(Row);
  } else {
    info.Expanded = false;
    info.Level = 0;
    info.RecordListIndex = Row;
  }
  info.RecordIndex = info.RecordListIndex >= 0 && info.RecordListIndex < RecordListCount()
                         ? FRecordList[size_t(info.RecordListIndex)]
                         : -1;
  return info;
}

Integer TcxCustomDataControllerInfo::RecordListIndexOf(Integer Record) const {
  if (!FRecordIndexValid) {
    Integer n = FDataController->GetRecordCount();
    for (Integer r : FRecordList) n = std::max(n, r + 1);
    FRecordPositions.assign(size_t(std::max(n, 0)), -1);
    for (size_t p = 0; p < FRecordList.size(); ++p)
      if (FRecordList[p] >= 0) FRecordPositions[size_t(FRecordList[p])] = Integer(p);
    FRecordIndexValid = true;
  }
  if (Record < 0 || Record >= Integer(FRecordPositions.size())) return -1;
  return FRecordPositions[size_t(Record)];
}

Integer TcxCustomDataControllerInfo::RecordRow(Integer Group, Integer Position, bool Reveal) {
  if (!Reveal) {
    if (!FGroups->IsGroupShown(Group) || !FGroups->Items(Group).Expanded) return -1;
  } else if (FGroups->RevealGroup(Group, true)) {
    NoteRevealed();
  }
  const TcxDataGroupInfo& g = FGroups->Items(Group);
  return Position + g.RowIndex - g.FirstIndex + 1;
}

Integer TcxCustomDataControllerInfo::RowOfRecord(Integer Record, bool Reveal) {
  const Integer p = RecordListIndexOf(Record);
  if (p < 0) return -1;
  if (!IsGrouped()) return p;
  const Integer g = FGroups->DeepestGroupOfPosition(p);
  if (g < 0) return -1;
  const bool revealedBefore = FRevealed;
  Integer row = RecordRow(g, p, Reveal);
  if (Reveal && FRevealed && !revealedBefore) ApplyPendingChanges();
  return row;
}

Integer TcxCustomDataControllerInfo::NearestRow(Integer Row) const {
  const Integer n = RowCount();
  if (n == 0) return -1;
  if (!IsGrouped()) {
    if (Row + 1 < n) return Row + 1;
    return std::max(Row - 1, 0);
  }
  const Integer level = RowInfo(Row).Level;
  const bool hasNext = Row + 1 < n;
  if (hasNext && RowInfo(Row + 1).Level == level) return Row + 1;
  if (Row > 0 && RowInfo(Row - 1).Level == level) return Row - 1;
  if (!hasNext) return Row > 0 ? Row - 1 : Row;
  return Row + 1;
}

bool TcxCustomDataControllerInfo::GroupsAlwaysExpanded() const {
  return (FDataController->Options() & dcoGroupsAlwaysExpanded) != 0;
}

bool TcxCustomDataControllerInfo::SelectedRecordsSummaryMode() const {
  const TcxSummaryOptions o = FDataController->Summary()->Options();
  return o.Contains(soSelectedRecords) ||
         (o.Contains(soMultipleSelectedRecords) && FDataController->GetSelectedCount() > 1);
}

bool TcxCustomDataControllerInfo::GroupsSortedBySummary() const {
  TcxDataSummary* s = FDataController->Summary();
  const TcxSummaryOptions o = s->Options();
  if (o.Contains(soSelectedRecords) || o.Contains(soMultipleSelectedRecords)) return false;
  for (Integer L = 0; L < FGroupingList->Count(); ++L) {
    auto* items = dynamic_cast<TcxDataGroupSummaryItems*>(s->GroupItemsOfLevel(L));
    if (items && items->SortedItem()) return true;
  }
  return false;
}

void TcxCustomDataControllerInfo::PrepareCompareModes() {
  for (Integer i = 0; i < FTotalSortingList->Count(); ++i) {
    TcxCustomDataField* f = FTotalSortingList->Items(i).Field;
    f->CompareMode = 0;
    Integer mode = -1;
    if (FDataController->UsesValueCompare(f)) mode = FDataController->IsSortedByDisplayText(f) ? 2 : 1;
    f->CompareMode = mode;
    if (mode > 0)
      FDataController->PrepareFieldSortKeys(f);
    else
      FDataController->PrepareFieldCompareKeys(f);
  }
}

void TcxCustomDataControllerInfo::ResetCompareModes() {
  for (Integer i = 0; i < FTotalSortingList->Count(); ++i) {
    TcxCustomDataField* f = FTotalSortingList->Items(i).Field;
    f->CompareMode = 0;
    // Inside an update the keys serve the sort and the group build; they go
    // when the update ends.
    if (!FCalculating) f->ClearSortCaches();
  }
}

int TcxCustomDataControllerInfo::CompareForSorting(Integer A, Integer B) {
  if (A == B) return 0;
  TcxCustomDataProvider* prov = FDataController->Provider();
  const Integer E = prov->EditingRecordIndex();
  if (E != cxNullEditingRecord) {
    const Integer P = prov->PrevRecordIndex(), N = prov->NextRecordIndex();
    const bool pKnown = P != cxNullEditingRecord, nKnown = N != cxNullEditingRecord;
    if (pKnown || nKnown) {
      // The edited record keeps its place until it is posted.
      if (A == E) {
        if (pKnown) return 1;
        if (B == N) return -1;
        A = N;
      } else if (B == E) {
        if (pKnown) return -1;
        if (A == N) return 1;
        B = N;
      }
      if (A == B) return 0;
    }
  }
  for (Integer i = 0; i < FTotalSortingList->Count(); ++i) {
    const int r = FDataController->CompareRecordsBySortInfo(A, B, FTotalSortingList->Items(i));
    if (r != 0) return r;
  }
  return FDataController->CompareRecordIndexes(A, B);
}

int TcxCustomDataControllerInfo::CompareForGrouping(Integer A, Integer B, Integer SortIndex) {
  if (A == B) return 0;
  TcxCustomDataProvider* prov = FDataController->Provider();
  const Integer E = prov->EditingRecordIndex();
  if (E != cxNullEditingRecord && (A == E || B == E)) {
    if (prov->SavedRecordIndex() != 0) {
      // Editing does not move the record between groups: its values from
      // before editing decide.
      if (A == E) A = prov->SavedRecordIndex();
      if (B == E) B = prov->SavedRecordIndex();
    } else if (prov->PrevRecordIndex() != cxNullEditingRecord) {
      return 0;
    } else if (prov->NextRecordIndex() != cxNullEditingRecord) {
      const Integer N = prov->NextRecordIndex();
      if (A == E) A = N;
      if (B == E) B = N;
      if (A == B) return 0;
    }
  }
  if (SortIndex < 0 || SortIndex >= FTotalSortingList->Count()) return 0;
  return FDataController->CompareRecordsBySortInfo(A, B, FTotalSortingList->Items(SortIndex));
}

// ---------------------------------------------------------------------------
// Update

void TcxCustomDataControllerInfo::Update() {
  if (FCalculating) return;
  FCalculating = true;
  const bool revealedBefore = (FChanges & dcicRevealed) != 0 || FRevealed;
  try {
    FDataController->CheckGridModeChange();
    if (FDataController->SortingBySummaryChanged) {
      FChanges |= dcicResort;
      if (!GroupsSortedBySummary()) FChanges |= dcicRegroup | dcicRecalcSummaries;
    }
    const bool summaries = (FChanges & dcicRecalcSummaries) && !FDataController->IsReading() &&
                           !FDataController->IsOwnerDestroying();
    FRevealed = false;
    DecideSaveGroupStates();
    if (FChanges & dcicRebuildRecords) {
      BuildRecordList();
      Filter();
    }
    if (summaries && !SelectedRecordsSummaryMode()) FDataController->Summary()->StartCalculation();
    if (FChanges & (dcicRegroup | dcicResort)) Sort();
    if (FChanges & dcicRegroup) {
      FDataController->NotifyGroupingChanging();
      BuildGroups();
    }
    if (FChanges & (dcicRegroup | dcicResort)) ResetFocusAfterReorder();
    RestoreStates();
    if (summaries) {
      if (SelectedRecordsSummaryMode())
        FDataController->Summary()->RunCalculation();
      else
        FDataController->Summary()->FinishCalculation();
    }
    // Sorting groups by a summary needs a group sorter; the controllers of
    // this program supply none, so the groups keep their value order.
  } catch (...) {
    FGroupStates->ClearSnapshot();
    FCalculating = false;
    ResetCompareModes();
    for (Integer i = 0; i < FDataController->Fields()->Count(); ++i)
      FDataController->Fields()->Items(i)->ClearSortCaches();
    if (FRevealed || revealedBefore) RecalcSelectionRows();
    Notify();
    throw;
  }
  FGroupStates->ClearSnapshot();
  FCalculating = false;
  ResetCompareModes();
  // The caches of one update never outlive it: they point into record buffers.
  for (Integer i = 0; i < FDataController->Fields()->Count(); ++i)
    FDataController->Fields()->Items(i)->ClearSortCaches();
  if (FRevealed || revealedBefore) RecalcSelectionRows();
  if (FChanges & (dcicResort | dcicRevealed)) FDataController->UpdatePrevSelectionInfo();
  Notify();
}

void TcxCustomDataControllerInfo::RestoreStates() {
  RestoreGroupStates();
  RestoreFocus();
  FDataController->CheckBookmark(-1);
}

void TcxCustomDataControllerInfo::BuildRecordList() {
  const Integer n = FDataController->GetRecordCount();
  FRecordList.resize(size_t(std::max(n, 0)));
  for (Integer i = 0; i < n; ++i) FRecordList[size_t(i)] = i;
  InvalidateRecordIndex();
}

void TcxCustomDataControllerInfo::Filter() {
  TcxCustomDataController* c = FDataController;
  const bool incremental = c->HasIncrementalFilter();
  const bool criteria = c->Filter()->IsFiltering();
  const bool event = !c->IsGridMode() && c->HasRecordFilterEvent();
  if (!incremental && !criteria && !event) return;
  const Integer editing = c->Provider()->EditingRecordIndex();
  const size_t before = FRecordList.size();
  // Compacting in place keeps the filter linear in the record count.
  size_t w = 0;
  for (size_t p = 0; p < FRecordList.size(); ++p) {
    const Integer r = FRecordList[p];
    bool keep = r == editing;
    if (!keep) {
      keep = true;
      if (event && !c->FilterRecordByEvent(r))
        keep = false;
      else if (incremental && !c->MatchesIncrementalFilter(r))
        keep = false;
      else if (criteria && !c->Filter()->DoFilterRecord(r))
        keep = false;
    }
    if (keep) FRecordList[w++] = r;
  }
  FRecordList.resize(w);
  InvalidateRecordIndex();
  if (w != before) {
    FSelection->DropFilteredOut();
    if (c->CheckFocusingAfterFilter) {
      c->CheckFocusingAfterFilter = false;
      c->FilterChangedFlag = true;
    }
  }
}

void TcxCustomDataControllerInfo::Sort() {
  FTotalSortingList->Clear();
  for (Integer i = 0; i < FGroupingList->Count(); ++i)
    FTotalSortingList->Add(FGroupingList->Items(i).Field, FGroupingList->Items(i).SortOrder);
  FTotalSortingList->AppendMissingFrom(FSortingList.get());
  if (FDataController->IsGridMode() || FRecordList.empty()) return;
  PrepareCompareModes();
  try {
    TcxCustomDataProvider* prov = FDataController->Provider();
    if (FDataController->IsProviderMode() && prov->SourceSortsRecords())
      prov->SortRecordsBySource();
    else if (!SortByKeys())
      QuickSortRecordIndexes(FRecordList.data(), 0, Integer(FRecordList.size()) - 1, SortingCompareProc, this);
  } catch (...) {
    ResetCompareModes();
    InvalidateRecordIndex();
    throw;
  }
  ResetCompareModes();
  InvalidateRecordIndex();
}

bool TcxCustomDataControllerInfo::SortByKeys() {
  // When every sorted field has its collation keys, the records are sorted
  // by the keys directly: the same order as CompareForSorting gives (keys,
  // descending fields inverted, ties by record index, a total order), without
  // its calls per comparison.
  TcxCustomDataController* c = FDataController;
  if (c->OnCompare || c->IsProviderMode() || FTotalSortingList->Count() == 0) return false;
  TcxCustomDataProvider* prov = c->Provider();
  if (prov->EditingRecordIndex() != cxNullEditingRecord &&
      (prov->PrevRecordIndex() != cxNullEditingRecord || prov->NextRecordIndex() != cxNullEditingRecord))
    return false;
  struct TKeyField {
    const std::vector<std::string>* Keys;
    bool Descending;
  };
  std::vector<TKeyField> fields;
  const size_t n = FRecordList.size();
  for (Integer i = 0; i < FTotalSortingList->Count(); ++i) {
    const TcxDataSortInfo& info = FTotalSortingList->Items(i);
    TcxCustomDataField* f = info.Field;
    if (f->CompareMode <= 0 || !f->SortKeysValid) return false;
    fields.push_back({&f->SortKeys, info.SortOrder == soDescending});
  }
  for (Integer r : FRecordList)
    if (r < 0 || size_t(r) >= fields.front().Keys->size()) return false;
  if (fields.size() == 1) {
    const std::vector<std::string>& keys = *fields.front().Keys;
    const bool desc = fields.front().Descending;
    std::vector<std::pair<std::string_view, Integer>> items;
    items.reserve(n);
    for (Integer r : FRecordList) items.emplace_back(keys[size_t(r)], r);
    std::sort(items.begin(), items.end(), [desc](const auto& a, const auto& b) {
      const int c = a.first.compare(b.first);
      if (c != 0) return desc ? c > 0 : c < 0;
      return a.second < b.second;
    });
    for (size_t i = 0; i < n; ++i) FRecordList[i] = items[i].second;
    return true;
  }
  std::sort(FRecordList.begin(), FRecordList.end(), [&fields](Integer a, Integer b) {
    for (const TKeyField& f : fields) {
      const int c = (*f.Keys)[size_t(a)].compare((*f.Keys)[size_t(b)]);
      if (c != 0) return f.Descending ? c > 0 : c < 0;
    }
    return a < b;
  });
  return true;
}

void TcxCustomDataControllerInfo::BuildGroups() {
  FGroups->Clear();
  for (Integer i = 0; i < FGroupingList->Count(); ++i) FGroups->AddField(FGroupingList->Items(i).Field);
  const Integer n = RecordListCount();
  const Integer levels = FGroupingList->Count();
  if (n == 0 || levels == 0) return;
  std::vector<Integer> open(static_cast<size_t>(levels)), first(static_cast<size_t>(levels));
  for (Integer L = 0; L < levels; ++L) {
    const Integer g = FGroups->Add();
    TcxDataGroupInfo& gi = FGroups->Items(g);
    gi.Level = L;
    gi.RowIndex = 0;
    gi.Expanded = false;
    gi.FirstIndex = L < levels - 1 ? g + 1 : 0;
    open[size_t(L)] = g;
    first[size_t(L)] = FRecordList[0];
  }
  PrepareCompareModes();
  try {
    Integer top = 0;
    for (Integer p = 1; p < n; ++p) {
      const Integer r = FRecordList[size_t(p)];
      Integer L = 0;
      while (L < levels && CompareForGrouping(first[size_t(L)], r, L) == 0) ++L;
      if (L == levels) continue;
      if (L == 0) ++top;
      for (Integer lev = L; lev < levels; ++lev) {
        if (lev < levels - 1)
          FGroups->Items(open[size_t(lev)]).LastIndex = FGroups->Count() - 1;
        else
          FGroups->Items(open[size_t(lev)]).LastIndex = p - 1;
        const Integer g = FGroups->Add();
        TcxDataGroupInfo& gi = FGroups->Items(g);
        gi.Level = lev;
        gi.RowIndex = top;
        gi.Expanded = false;
        gi.FirstIndex = lev < levels - 1 ? g + 1 : p;
        open[size_t(lev)] = g;
        first[size_t(lev)] = r;
      }
    }
    for (Integer L = 0; L < levels; ++L)
      FGroups->Items(open[size_t(L)]).LastIndex = L < levels - 1 ? FGroups->Count() - 1 : n - 1;
  } catch (...) {
    ResetCompareModes();
    throw;
  }
  ResetCompareModes();
}

void TcxCustomDataControllerInfo::Notify() {
  TcxCustomDataController* c = FDataController;
  Word changes = 0;
  if (FChanges & (dcicFieldLayout | dcicResort)) changes |= ccLayout;
  if (FChanges & (dcicRevealed | dcicRegroup | dcicRebuildRecords)) changes |= ccData;
  if (FChanges & (dcicCheckFocusedRow | dcicFocusFromController | dcicFocusMoved)) changes |= ccFocus;
  if (FChanges & dcicSelectionChanged) changes |= ccSelection;
  if (FChanges & dcicRecalcSummaries) changes |= ccRows;
  if (c->GroupingChanged) changes |= ccGrouping;
  if (c->SortingChanged) changes |= ccSorting;
  FChanges = 0;
  c->GroupingChanged = false;
  c->SortingChanged = false;
  c->FilterChangedFlag = false;
  c->SortingBySummaryChanged = false;
  c->NotifyDataControllerChanged(changes);
  c->StorageLoaded = false;
}

// ---------------------------------------------------------------------------
// Focus

bool TcxCustomDataControllerInfo::CanFocusRow(Integer Row) {
  if (FInCanFocus) return true;
  TUpdateFlagGuard guard(FInCanFocus);
  const Integer record = Row < 0 ? -1 : RowInfo(Row).RecordIndex;
  return FDataController->CanFocusRecord(record);
}

Integer TcxCustomDataControllerInfo::FocusedRecordIndex() const {
  return FFocus->RowIndex == -1 ? -1 : FFocus->RecordIndex;
}

bool TcxCustomDataControllerInfo::ChangeFocusedRow(Integer Row, bool Force) {
  Row = std::clamp(Row, -1, RowCount() - 1);
  if (Row == FFocus->RowIndex) return false;
  FFocusing = true;
  if (!(FChanges & dcicFocusMoved)) FPrevFocus->CopyFrom(FFocus.get());
  bool allowed = false;
  auto finish = [&] {
    const Integer n = RowCount();
    if (FFocus->RowIndex >= n) FFocus->RowIndex = -1;
    if (FPrevFocus->RowIndex >= n) FPrevFocus->RowIndex = -1;
    if (allowed || FPrevFocus->RowIndex != -1) FFocus->SyncFromRow(FFocus->RowIndex);
    if (!FFocus->SamePosition(FPrevFocus.get())) {
      FChanges |= dcicFocusMoved | dcicCheckFocusedRow;
      if (FDataController->IsSingleSelect() && FDataController->Summary()->Options().Contains(soSelectedRecords))
        FChanges |= dcicRecalcSummaries;
      if (FFocus->RowIndex != -1 && FDataController->NewItemRowFocused()) FDataController->ResetNewItemRowFocus();
      FDataController->FocusedRecordChanged(FPrevFocus->RecordIndex, FFocus->RecordIndex);
      FDataController->SetFocusedSelected(true);
    }
    FFocusing = false;
  };
  try {
    allowed = Force || CanFocusRow(Row);
    if (allowed) {
      FDataController->BeforeFocusedRowChange(Row);
      FFocus->RowIndex = Row;
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return allowed;
}

void TcxCustomDataControllerInfo::FocusRowFromTop(Integer Row) {
  FFocus->ClearPosition();
  ChangeFocusedRow(Row, false);
}

void TcxCustomDataControllerInfo::ChangeFocusedRowLocked(Integer Row) {
  FDataController->BeginUpdate();
  try {
    ChangeFocusedRow(Row, false);
  } catch (...) {
    FDataController->EndUpdate();
    throw;
  }
  FDataController->EndUpdate();
}

Integer TcxCustomDataControllerInfo::FindFocusedRow() {
  const Integer rec = FFocus->RecordIndex;
  if (rec < 0) return -1;
  const Integer p = RecordListIndexOf(rec);
  if (p < 0) return -1;
  if (!IsGrouped()) return p;
  const Integer g = FGroups->DeepestGroupOfPosition(p);
  if (g < 0) return -1;
  const Integer levels = FGroups->LevelCount();
  const Integer level = FFocus->Level;
  if ((level == -1 || (level >= 0 && level < levels)) && FGroups->Items(g).FirstIndex == p) {
    Integer cur = g;
    const Integer target = level == -1 ? 0 : level;
    while (FGroups->Items(cur).Level > target) {
      const Integer parent = FGroups->ParentOf(cur);
      if (parent < 0 || FGroups->Items(parent).FirstIndex != cur) break;
      cur = parent;
    }
    if (FGroups->RevealGroup(cur, false)) NoteRevealed();
    return FGroups->Items(cur).RowIndex;
  }
  return RecordRow(g, p, true);
}

void TcxCustomDataControllerInfo::RestoreFocus() {
  const Integer r = FindFocusedRow();
  if (r != FFocus->RowIndex) {
    const Integer cur = FFocus->RowIndex;
    bool move = cur < 0 || cur >= RowCount();
    if (!move) {
      const TcxRowInfo info = RowInfo(cur);
      move = info.RecordIndex != FFocus->RecordIndex || info.Level != FFocus->Level;
    }
    if (move) {
      if (r == -1) {
        // The remembered record left the rows: drop the focus.
        if (!(FChanges & dcicFocusMoved)) FPrevFocus->CopyFrom(FFocus.get());
        FFocus->RowIndex = -1;
        FFocus->SyncFromRow(-1);
        if (!FFocus->SamePosition(FPrevFocus.get())) {
          FChanges |= dcicFocusMoved | dcicCheckFocusedRow;
          FDataController->FocusedRecordChanged(FPrevFocus->RecordIndex, -1);
        }
      } else {
        ChangeFocusedRow(r, true);
      }
    } else {
      FFocus->SyncFromRow(cur);
    }
  } else if (r != -1) {
    FFocus->SyncFromRow(r);
  }
  if ((FChanges & dcicFocusMoved) && FPrevFocus->RowIndex >= RowCount()) FPrevFocus->RowIndex = -1;
  TcxCustomDataController* c = FDataController;
  if (c->FilterChangedFlag && FFocus->RowIndex == -1 && !c->NewItemRowFocused()) {
    c->FilterChangedFlag = false;
    if (c->Provider()->LocateCount() == 0) FocusRowFromTop(0);
  }
}

void TcxCustomDataControllerInfo::ResetFocusAfterReorder() {
  TcxCustomDataController* c = FDataController;
  if (!(c->Options() & dcoFocusTopRowAfterSorting) || c->Notifying()) return;
  if (c->GroupingChanged || c->SortingChanged || c->StorageLoaded) {
    c->StorageLoaded = false;
    FFocus->ClearPosition();
    ChangeFocusedRow(0, false);
    if (FSelection->Count() > 0) FSelection->ResetSelection();
  }
}

// ---------------------------------------------------------------------------
// Selection

void TcxCustomDataControllerInfo::SetRowSelected(Integer Row, bool Selected) {
  CheckRow(Row);
  Integer pos;
  const bool found = FSelection->FindRow(Row, pos);
  if (found && !Selected) {
    FSelection->RemoveEntryAt(pos);
  } else if (!found && Selected && FDataController->CanSelectRow(Row)) {
    if (IsGrouped()) {
      Integer nearest;
      const Integer g = FGroups->GroupOfRow(Row, nearest);
      if (g >= 0)
        FSelection->AddEntry(pos, Row, -1, g);
      else
        FSelection->AddEntry(pos, Row, FGroups->LevelCount(), RowInfo(Row).RecordIndex);
    } else {
      FSelection->AddEntry(pos, Row, 0, FRecordList[size_t(Row)]);
    }
  }
  ApplyPendingChanges();
}

void TcxCustomDataControllerInfo::EmptySelection() {
  FSelection->EmptyEntries();
  ApplyPendingChanges();
}

bool TcxCustomDataControllerInfo::IsRowSelected(Integer Row) const {
  CheckRow(Row);
  return FSelection->IsRowSelected(Row);
}

void TcxCustomDataControllerInfo::CheckSelectionRecords() {
  if (FSelection->Count() == 0) return;
  TcxCustomDataController* c = FDataController;
  const Integer count = c->GetRecordCount();
  if (count == 0) {
    FSelection->ResetSelection();
    return;
  }
  if (c->DeletingSelection && !c->LoadingStorage) return;
  if (c->UsesRecordIDs() && c->IsProviderMode() && !c->IsSmartRefresh()) return;
  if (FSelection->RemoveEntriesIf(
          [count](const TcxDataSelectionEntry& e) { return e.Level != -1 && e.RecordIndex >= count; }))
    FChanges |= dcicSelectionChanged;
}

void TcxCustomDataControllerInfo::RecalcSelectionRows() {
  auto& entries = FSelection->Entries();
  bool dropped = false;
  for (auto& e : entries) {
    if (e.Level == -1)
      e.RowIndex = e.RecordIndex >= 0 && e.RecordIndex < FGroups->Count() ? FGroups->Items(e.RecordIndex).RowIndex : -1;
    else
      e.RowIndex = RowOfRecord(e.RecordIndex, false);
    if (e.RowIndex < 0) dropped = true;
  }
  if (dropped) FSelection->RemoveEntriesIf([](const TcxDataSelectionEntry& e) { return e.RowIndex < 0; });
  FSelection->SortByRow();
}

// ---------------------------------------------------------------------------
// Group states

void TcxCustomDataControllerInfo::DecideSaveGroupStates() {
  Integer states = 0;
  if ((FDataController->Options() & dcoSaveExpanding) && (FChanges & (dcicRebuildRecords | dcicRegroup)))
    states |= 1;
  if (FSelection->Count() > 0 && (FChanges & (dcicRebuildRecords | dcicRegroup | dcicResort | dcicRevealed)))
    states |= 2;
  // A snapshot taken before the data changed (SnapshotBeforeChange, key
  // snapshots) already holds the groups by their old values.
  if (FGroupStates->SavedStates != 0 && states != 0 && (FGroupStates->SavedStates & states) == states) return;
  SaveGroupStates(states);
}

void TcxCustomDataControllerInfo::SnapshotBeforeChange() {
  if (FCalculating || !IsGrouped() || FGroupStates->SavedStates != 0) return;
  Integer states = 0;
  if (FDataController->Options() & dcoSaveExpanding) states |= 1;
  if (FSelection->Count() > 0) states |= 2;
  if (states != 0) SaveGroupStates(states);
}

void TcxCustomDataControllerInfo::SaveGroupStates(Integer States) {
  if (FGroupStates->SavedStates == States && (States == 0 || FGroupStates->FieldCount() > 0 || !IsGrouped()))
    return;
  bool matches = FGroups->LevelCount() == FGroupingList->Count() && RecordListCount() > 0;
  for (Integer i = 0; matches && i < FGroups->LevelCount(); ++i)
    if (FGroups->FieldByLevel(i) != FGroupingList->Items(i).Field) matches = false;
  FGroupStates->ClearSnapshot();
  FGroupStates->SavedStates = States;
  if (States == 0 || !matches) return;
  for (Integer i = 0; i < FGroups->LevelCount(); ++i) FGroupStates->AddLevelField(FGroups->FieldByLevel(i));
  if (!IsGrouped()) return;
  const bool saveSelected = (States & 2) != 0;
  // Selected group rows by group index, looked up once for all groups.
  std::vector<char> selected;
  if (saveSelected) {
    selected.assign(size_t(FGroups->Count()), 0);
    for (Integer i = 0; i < FSelection->Count(); ++i) {
      const TcxDataSelectionEntry& e = FSelection->Items(i);
      if (e.Level == -1 && e.RecordIndex >= 0 && e.RecordIndex < FGroups->Count()) selected[size_t(e.RecordIndex)] = 1;
    }
  }
  Integer skipBelow = -1;   // groups deeper than this level sit under a collapsed group
  for (Integer i = 0; i < FGroups->Count(); ++i) {
    const TcxDataGroupInfo& g = FGroups->Items(i);
    if (skipBelow >= 0 && g.Level > skipBelow) continue;
    skipBelow = -1;
    if (g.Expanded || saveSelected) SaveGroup(i, saveSelected && selected[size_t(i)]);
    if (!g.Expanded) skipBelow = g.Level;
  }
}

void TcxCustomDataControllerInfo::SaveGroup(Integer Group, bool SaveSelected) {
  const TcxDataGroupInfo& g = FGroups->Items(Group);
  const Integer p = FGroups->FirstRecordPosition(Group);
  if (p < 0 || p >= RecordListCount()) return;
  const Integer r = FRecordList[size_t(p)];
  if (r >= FDataController->GetRecordCount()) return;
  Integer state = 0;
  if (g.Expanded && !(FSelection->Count() == 0 && GroupsAlwaysExpanded())) state |= 1;
  if (SaveSelected) state |= 2;
  if (state == 0) return;
  TcxCustomDataField* f = FGroups->FieldByLevel(g.Level);
  Variant v = FDataController->IsSortedByDisplayText(f)
                  ? Variant(FDataController->GetRecordDisplayText(r, f))
                  : FDataController->GetRecordValue(r, f);
  FGroupStates->AddInfo(g.Level, v, state);
}

void TcxCustomDataControllerInfo::RestoreGroupStates() {
  if (IsGrouped() && GroupsAlwaysExpanded()) FGroups->SetAllExpanded(true);
  const Integer states = FGroupStates->SavedStates;
  if (states == 0) return;
  bool same = FGroupStates->FieldCount() == FGroups->LevelCount();
  for (Integer i = 0; same && i < FGroups->LevelCount(); ++i)
    if (FGroupStates->Fields(i) != FGroups->FieldByLevel(i)) same = false;
  if (!same) {
    if (states & 2) FSelection->ResetSelection();
    return;
  }
  const Integer levels = FGroups->LevelCount();
  FSelection->RemoveEntriesIf(
      [levels](const TcxDataSelectionEntry& e) { return e.Level == -1 || e.Level != levels; });
  if (IsGrouped()) {
    ReapplyGroupSnapshot();
    if (!GroupsAlwaysExpanded() && (states & 1)) FGroups->RecomputeRowIndexes();
    RecalcSelectionAfterRegroup();
  } else if (states & 2) {
    auto& entries = FSelection->Entries();
    for (auto& e : entries) e.RowIndex = FDataController->IsGridMode() ? e.RowIndex : RecordListIndexOf(e.RecordIndex);
    FSelection->RemoveEntriesIf([](const TcxDataSelectionEntry& e) { return e.RowIndex < 0; });
    FSelection->SortByRow();
  }
  Integer pos;
  if (FSelection->AnchorRowIndex != -1 && !FSelection->FindRow(FSelection->AnchorRowIndex, pos))
    FSelection->ClearAnchor();
}

void TcxCustomDataControllerInfo::ReapplyGroupSnapshot() {
  if (FGroupStates->Count() == 0) return;
  const Integer levels = FGroups->LevelCount();
  // The groups of each level with their first record positions, in order,
  // for a binary search from a record position to its group.
  std::vector<std::vector<std::pair<Integer, Integer>>> byLevel(static_cast<size_t>(levels));
  for (Integer i = 0; i < FGroups->Count(); ++i) {
    const Integer L = FGroups->Items(i).Level;
    if (L >= 0 && L < levels) byLevel[size_t(L)].push_back({FGroups->FirstRecordPosition(i), i});
  }
  auto groupOf = [&](Integer Position, Integer Level) -> Integer {
    const auto& v = byLevel[size_t(Level)];
    auto it = std::upper_bound(v.begin(), v.end(), std::make_pair(Position, INT32_MAX));
    if (it == v.begin()) return -1;
    return std::prev(it)->second;
  };
  const Integer states = FGroupStates->SavedStates;
  TcxDataControllerGroupLocateObject locate(FDataController);
  TcxValueDefUnboundReader reader;
  Integer depth = 0;
  PrepareCompareModes();
  try {
    for (Integer k = 0; k < FGroupStates->Count(); ++k) {
      const TcxDataExpandingInfo& info = FGroupStates->Items(k);
      if (info.Level < 0 || info.Level >= levels) continue;
      if (info.Level < depth) reader.KeepFirst(info.Level);
      depth = info.Level + 1;
      TcxValueDef* def = FGroups->FieldByLevel(info.Level)->ValueDef();
      if (!def) continue;
      reader.StoreValue(def, info.Value);
      const bool expand = (info.State & 1) && (states & 1);
      const bool select = (info.State & 2) != 0;
      if (!expand && !select) continue;
      locate.SetLevel(info.Level);
      locate.LoadProbe(&reader);
      const Integer rec = locate.FindRecord();
      if (rec < 0) continue;
      const Integer p = RecordListIndexOf(rec);
      if (p < 0) continue;
      const Integer g = groupOf(p, info.Level);
      if (g < 0) continue;
      if (expand) FGroups->Items(g).Expanded = true;
      if (select && FSelection->FindGroupEntry(g) < 0) FSelection->InsertEntry(-1, -1, -1, g);
    }
  } catch (...) {
    ResetCompareModes();
    throw;
  }
  ResetCompareModes();
}

void TcxCustomDataControllerInfo::RecalcSelectionAfterRegroup() {
  auto& entries = FSelection->Entries();
  if (entries.empty()) return;
  for (auto& e : entries) e.RowIndex = e.Level == -1 ? -1 : RecordListIndexOf(e.RecordIndex);
  FSelection->SortByRow();
  std::vector<TcxDataSelectionEntry> result;
  result.reserve(entries.size());
  size_t k = 0;
  while (k < entries.size() && entries[k].RowIndex < 0) {
    if (entries[k].Level == -1) result.push_back(entries[k]);
    ++k;
  }
  // Walk the shown deepest groups in list (= position) order.
  const Integer deepest = FGroups->LevelCount() - 1;
  Integer skipBelow = -1;
  for (Integer i = 0; i < FGroups->Count() && k < entries.size(); ++i) {
    const TcxDataGroupInfo& g = FGroups->Items(i);
    if (skipBelow >= 0 && g.Level > skipBelow) continue;
    skipBelow = -1;
    if (!g.Expanded) skipBelow = g.Level;
    if (g.Level != deepest) continue;
    while (k < entries.size() && entries[k].RowIndex < g.FirstIndex) ++k;   // hidden: dropped
    while (k < entries.size() && entries[k].RowIndex <= g.LastIndex) {
      if (g.Expanded) {
        TcxDataSelectionEntry e = entries[k];
        e.RowIndex = e.RowIndex + g.RowIndex - g.FirstIndex + 1;
        result.push_back(e);
      }
      ++k;
    }
  }
  for (auto& e : result)
    if (e.Level == -1) e.RowIndex = FGroups->Items(e.RecordIndex).RowIndex;
  const Integer anchor = FSelection->AnchorRowIndex;
  entries = std::move(result);
  FSelection->AnchorRowIndex = anchor;
  FSelection->SortByRow();
}
