// Data controller: sorting and grouping lists, the group tree, focus,
// group-state snapshot, selection and the controller's view of the groups.
#include <algorithm>

#include "cxCustomData.h"

TOVANI_IMPLEMENT_CLASS(TcxSortingFieldList, TObject)
TOVANI_IMPLEMENT_CLASS(TcxGroupingFieldList, TcxSortingFieldList)
TOVANI_IMPLEMENT_CLASS(TcxDataGroups, TObject)
TOVANI_IMPLEMENT_CLASS(TcxDataFocusingInfo, TObject)
TOVANI_IMPLEMENT_CLASS(TcxDataExpandingInfos, TObject)
TOVANI_IMPLEMENT_CLASS(TcxDataSelection, TObject)
TOVANI_IMPLEMENT_CLASS(TcxDataControllerGroups, TObject)

// ---------------------------------------------------------------------------
// Sorting list

void TcxSortingFieldList::SetFieldOrder(TcxCustomDataField* AField, TcxDataSortOrder AOrder) {
  const Integer i = IndexOf(AField);
  if (i >= 0) {
    if (AOrder == soNone)
      Delete(i);
    else
      SetOrder(i, AOrder);
  } else if (AOrder != soNone) {
    Add(AField, AOrder);
  }
}

Integer TcxSortingFieldList::IndexOf(const TcxCustomDataField* AField) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Field == AField) return Integer(i);
  return -1;
}

TcxDataSortOrder TcxSortingFieldList::OrderOf(const TcxCustomDataField* AField) const {
  const Integer i = IndexOf(AField);
  return i < 0 ? soNone : FItems[size_t(i)].SortOrder;
}

void TcxSortingFieldList::Add(TcxCustomDataField* AField, TcxDataSortOrder AOrder) {
  FItems.push_back({AField, AOrder});
  Changed();
}

void TcxSortingFieldList::Insert(Integer Index, TcxCustomDataField* AField, TcxDataSortOrder AOrder) {
  Index = std::clamp(Index, 0, Count());
  FItems.insert(FItems.begin() + Index, {AField, AOrder});
  Changed();
}

void TcxSortingFieldList::Delete(Integer Index) {
  if (Index < 0 || Index >= Count()) return;
  FItems.erase(FItems.begin() + Index);
  Changed();
}

void TcxSortingFieldList::Remove(TcxCustomDataField* AField) { Delete(IndexOf(AField)); }

void TcxSortingFieldList::Move(Integer From, Integer To) {
  if (From == To || From < 0 || From >= Count()) return;
  To = std::clamp(To, 0, Count() - 1);
  TcxDataSortInfo e = FItems[size_t(From)];
  FItems.erase(FItems.begin() + From);
  FItems.insert(FItems.begin() + To, e);
  Changed();
}

void TcxSortingFieldList::SetOrder(Integer Index, TcxDataSortOrder AOrder) {
  if (FItems.at(size_t(Index)).SortOrder == AOrder) return;
  FItems[size_t(Index)].SortOrder = AOrder;
  Changed();
}

void TcxSortingFieldList::Clear() {
  while (!FItems.empty()) Delete(0);
}

void TcxSortingFieldList::TouchField(TcxCustomDataField* AField) {
  if (IndexOf(AField) >= 0) Changed();
}

void TcxSortingFieldList::AppendMissingFrom(const TcxSortingFieldList* AOther) {
  for (const TcxDataSortInfo& e : AOther->FItems)
    if (IndexOf(e.Field) < 0) Add(e.Field, e.SortOrder);
}

void TcxGroupingFieldList::SetFieldOrder(TcxCustomDataField* AField, TcxDataSortOrder AOrder) {
  // A grouped field is always sorted.
  TcxSortingFieldList::SetFieldOrder(AField, AOrder == soNone ? soAscending : AOrder);
}

void TcxGroupingFieldList::SetGroupIndex(TcxCustomDataField* AField, Integer AIndex) {
  const Integer i = IndexOf(AField);
  if (AIndex < 0) {
    if (i >= 0) Delete(i);
  } else if (i < 0) {
    Insert(std::min(AIndex, Count()), AField, soAscending);
  } else {
    Move(i, std::min(AIndex, Count() - 1));
  }
}

void TcxGroupingFieldList::CopyOrdersFrom(const TcxSortingFieldList* ASorting) {
  for (Integer i = 0; i < Count(); ++i) {
    TcxDataSortOrder o = ASorting->OrderOf(FItems[size_t(i)].Field);
    SetOrder(i, o == soNone ? soAscending : o);
  }
}

// ---------------------------------------------------------------------------
// Group tree

Integer TcxDataGroups::Add() {
  FItems.emplace_back();
  return Count() - 1;
}

void TcxDataGroups::Clear() {
  FFields.clear();
  FItems.clear();
}

Integer TcxDataGroups::LevelOf(Integer Group) const {
  return Group < 0 || Group >= Count() ? -1 : FItems[size_t(Group)].Level;
}

Integer TcxDataGroups::ChildCount(Integer Group) const {
  if (Group == -1) {
    Integer n = 0;
    for (const auto& g : FItems)
      if (g.Level == 0) ++n;
    return n;
  }
  if (Group < 0 || Group >= Count()) return 0;
  const TcxDataGroupInfo& g = FItems[size_t(Group)];
  if (g.Level == LevelCount() - 1) return g.LastIndex - g.FirstIndex + 1;
  Integer n = 0;
  for (Integer i = g.FirstIndex; i <= g.LastIndex && i < Count(); ++i)
    if (FItems[size_t(i)].Level == g.Level + 1) ++n;
  return n;
}

Integer TcxDataGroups::ChildGroup(Integer Group, Integer N) const {
  if (N < 0) return -1;
  Integer first = 0, last = Count() - 1, level = 0;
  if (Group != -1) {
    if (Group < 0 || Group >= Count()) return -1;
    const TcxDataGroupInfo& g = FItems[size_t(Group)];
    if (g.Level == LevelCount() - 1 || N > g.LastIndex - g.FirstIndex) return -1;
    first = g.FirstIndex;
    last = g.LastIndex;
    level = g.Level + 1;
  }
  for (Integer i = first; i <= last && i < Count(); ++i)
    if (FItems[size_t(i)].Level == level && N-- == 0) return i;
  return -1;
}

Integer TcxDataGroups::ChildRecordPosition(Integer Group, Integer N) const {
  if (Group < 0 || Group >= Count()) return -1;
  const TcxDataGroupInfo& g = FItems[size_t(Group)];
  if (g.Level != LevelCount() - 1 || N < 0 || N > g.LastIndex - g.FirstIndex) return -1;
  return g.FirstIndex + N;
}

Integer TcxDataGroups::FirstRecordPosition(Integer Group) const {
  if (Group < 0 || Group >= Count()) return -1;
  while (FItems[size_t(Group)].Level < LevelCount() - 1) Group = FItems[size_t(Group)].FirstIndex;
  return FItems[size_t(Group)].FirstIndex;
}

Integer TcxDataGroups::GroupOfRow(Integer Row, Integer& Nearest) const {
  Nearest = -1;
  Integer lo = 0, hi = Count() - 1;
  while (lo <= hi) {
    const Integer mid = (lo + hi) / 2;
    const Integer r = FItems[size_t(mid)].RowIndex;
    if (r == Row) {
      // A collapsed group and its hidden descendants share the row; the
      // collapsed group comes first in the list and is the one shown.
      Integer p = mid;
      while (p > 0 && FItems[size_t(p - 1)].RowIndex == Row) --p;
      Nearest = p;
      return p;
    }
    if (r < Row)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  Nearest = lo - 1;
  return -1;
}

Integer TcxDataGroups::GroupAtLevelOfRow(Integer Row, Integer Level) const {
  Integer nearest;
  Integer g = GroupOfRow(Row, nearest);
  if (g < 0) g = nearest;
  if (g < 0) return -1;
  if (Level == -1 || FItems[size_t(g)].Level == Level) return g;
  if (Level > FItems[size_t(g)].Level) {
    for (Integer i = g + 1; i < Count(); ++i)
      if (FItems[size_t(i)].Level == Level) return i;
    return -1;
  }
  for (Integer i = g - 1; i >= 0; --i)
    if (FItems[size_t(i)].Level == Level) return i;
  return -1;
}

Integer TcxDataGroups::GroupAtLevelOfPosition(Integer Position, Integer Level) const {
  Integer remembered = -1;
  for (Integer i = 0; i < Count(); ++i) {
    const TcxDataGroupInfo& g = FItems[size_t(i)];
    if (g.Level == Level) remembered = i;
    if (g.Level == LevelCount() - 1 && g.FirstIndex <= Position && Position <= g.LastIndex) return remembered;
  }
  return -1;
}

Integer TcxDataGroups::DeepestGroupOfPosition(Integer Position) const {
  // Deepest groups appear in record order, so their first positions rise
  // along the list: binary search over the list, then step to the deepest
  // group at or before the hit.
  const Integer deepest = LevelCount() - 1;
  Integer lo = 0, hi = Count() - 1, best = -1;
  while (lo <= hi) {
    const Integer mid = (lo + hi) / 2;
    Integer p = mid;
    while (p >= 0 && FItems[size_t(p)].Level != deepest) --p;
    if (p < 0) {
      lo = mid + 1;
      continue;
    }
    if (FItems[size_t(p)].FirstIndex <= Position) {
      best = p;
      lo = mid + 1;
    } else {
      hi = p - 1;
    }
  }
  if (best >= 0 && FItems[size_t(best)].LastIndex >= Position) return best;
  return -1;
}

Integer TcxDataGroups::ParentOf(Integer Group) const {
  if (Group < 0 || Group >= Count()) return -1;
  const Integer level = FItems[size_t(Group)].Level;
  for (Integer i = Group - 1; i >= 0; --i)
    if (FItems[size_t(i)].Level < level) return i;
  return -1;
}

bool TcxDataGroups::IsGroupShown(Integer Group) const {
  if (Group < 0 || Group >= Count()) return false;
  // Shown when no ancestor is collapsed.
  for (Integer p = ParentOf(Group); p >= 0; p = ParentOf(p))
    if (!FItems[size_t(p)].Expanded) return false;
  return true;
}

bool TcxDataGroups::RevealGroup(Integer Group, bool ExpandItself) {
  bool changed = false;
  bool self = true;
  while (Group >= 0) {
    TcxDataGroupInfo& g = FItems[size_t(Group)];
    if ((!self || ExpandItself) && !g.Expanded) {
      g.Expanded = true;
      changed = true;
    }
    self = false;
    if (g.Level == 0) break;
    Group = ParentOf(Group);
  }
  if (changed) RecomputeRowIndexes();
  return changed;
}

void TcxDataGroups::SetAllExpanded(bool Expanded) {
  for (auto& g : FItems) g.Expanded = Expanded;
  RecomputeRowIndexes();
}

Integer TcxDataGroups::RowCount() const {
  if (FItems.empty()) return 0;
  const Integer r = FItems.back().RowIndex;
  Integer nearest;
  Integer g = GroupOfRow(r, nearest);
  if (g < 0) g = nearest;
  const TcxDataGroupInfo& gi = FItems[size_t(g)];
  if (gi.Expanded && gi.Level == LevelCount() - 1) return r + (gi.LastIndex - gi.FirstIndex) + 2;
  // An expanded group above the deepest level cannot end the list; the
  // last row is the group row itself.
  return r + 1;
}

TcxRowInfo TcxDataGroups::RowInfoOf(Integer Row) const {
  TcxRowInfo info;
  Integer nearest;
  const Integer g = GroupOfRow(Row, nearest);
  if (g >= 0) {
    info.Expanded = FItems[size_t(g)].Expanded;
    info.Level = FItems[size_t(g)].Level;
    info.RecordListIndex = FirstRecordPosition(g);
  } else if (nearest >= 0) {
    const TcxDataGroupInfo& n = FItems[size_t(nearest)];
    info.Expanded = false;
    info.Level = LevelCount();
    info.RecordListIndex = Row + n.FirstIndex - n.RowIndex - 1;
  }
  return info;
}

void TcxDataGroups::RecomputeRowIndexes() {
  // One pass in list (pre-order) order. A shown group takes the next row
  // and, when expanded at the deepest level, its records take the rows
  // after it; a group under a collapsed ancestor takes that ancestor's row.
  const Integer levels = LevelCount();
  std::vector<Integer> ancestor(size_t(std::max(levels, 1)), -1);
  std::vector<char> shown(size_t(std::max(levels, 1)), 0);
  Integer counter = 0;
  for (Integer i = 0; i < Count(); ++i) {
    TcxDataGroupInfo& g = FItems[size_t(i)];
    const Integer L = std::clamp(g.Level, 0, std::max(levels - 1, 0));
    bool visible = true;
    Integer parentRow = 0;
    if (L > 0 && ancestor[size_t(L - 1)] >= 0) {
      const TcxDataGroupInfo& p = FItems[size_t(ancestor[size_t(L - 1)])];
      visible = shown[size_t(L - 1)] && p.Expanded;
      parentRow = p.RowIndex;
    }
    ancestor[size_t(L)] = i;
    shown[size_t(L)] = visible;
    if (!visible) {
      g.RowIndex = parentRow;
      continue;
    }
    g.RowIndex = counter++;
    if (g.Expanded && L == levels - 1) counter += g.LastIndex - g.FirstIndex + 1;
  }
}

// ---------------------------------------------------------------------------
// Focusing info

void TcxDataFocusingInfo::CopyFrom(const TcxDataFocusingInfo* Other) {
  Level = Other->Level;
  PrevRecordIndex = Other->PrevRecordIndex;
  RecordIndex = Other->RecordIndex;
  RowIndex = Other->RowIndex;
  Changed = false;
  PrevNewItemRowFocused = false;
}

void TcxDataFocusingInfo::ClearPosition() {
  Level = -1;
  RecordIndex = -1;
  RowIndex = -1;
}

bool TcxDataFocusingInfo::SamePosition(const TcxDataFocusingInfo* Other) const {
  bool same = RecordIndex == Other->RecordIndex && Level == Other->Level;
  if (same && (FInfo->PendingChanges() & dcicResort)) same = RowIndex == Other->RowIndex;
  return same;
}

void TcxDataFocusingInfo::TakeFromController() {
  Level = -1;
  RecordIndex = FInfo->DataController()->GetCurrentRecordIndex();
}

void TcxDataFocusingInfo::SyncFromRow(Integer ARow) {
  RowIndex = ARow;
  if (ARow == -1) {
    Level = -1;
    RecordIndex = -1;
  } else {
    const TcxRowInfo info = FInfo->RowInfo(ARow);
    Level = info.Level;
    TcxCustomDataController* c = FInfo->DataController();
    RecordIndex = (c->IsGridMode() || c->Provider()->IsSyncMode()) ? c->GetCurrentRecordIndex() : info.RecordIndex;
    if (RecordIndex < 0 && !c->IsGridMode()) RecordIndex = info.RecordIndex;
  }
  PrevRecordIndex = RecordIndex;
}

// ---------------------------------------------------------------------------
// Group-state snapshot

void TcxDataExpandingInfos::AddLevelField(TcxCustomDataField* AField) {
  if (std::find(FFields.begin(), FFields.end(), AField) != FFields.end())
    cxDataControllerError(cxSDataItemExistError);
  FFields.push_back(AField);
}

void TcxDataExpandingInfos::AddInfo(Integer Level, const Variant& Value, Integer State) {
  FItems.push_back({Level, Value, State});
}

void TcxDataExpandingInfos::ForgetField(TcxCustomDataField* AField) {
  if (std::find(FFields.begin(), FFields.end(), AField) != FFields.end()) ClearSnapshot();
}

void TcxDataExpandingInfos::ClearSnapshot() {
  FFields.clear();
  FItems.clear();
  SavedStates = 0;
}

// ---------------------------------------------------------------------------
// Selection

void TcxDataSelection::InsertEntry(Integer Position, Integer Row, Integer Level, Integer Index) {
  const TcxDataSelectionEntry e{Level, Index, Row};
  if (Position < 0 || Position >= Count())
    FItems.push_back(e);
  else
    FItems.insert(FItems.begin() + Position, e);
}

void TcxDataSelection::ClearEntries() {
  Fields.clear();
  FItems.clear();
}

void TcxDataSelection::DeleteEntry(Integer Position) {
  if (Position < 0 || Position >= Count()) return;
  if (FItems[size_t(Position)].RowIndex == AnchorRowIndex) ClearAnchor();
  FItems.erase(FItems.begin() + Position);
}

void TcxDataSelection::SetEntryCount(Integer ACount) {
  ACount = std::max(ACount, 0);
  while (Count() > ACount) DeleteEntry(Count() - 1);
  while (Count() < ACount) {
    const Integer p = Count();
    InsertEntry(-1, p, 0, p);
  }
}

void TcxDataSelection::AddEntry(Integer Position, Integer Row, Integer Level, Integer Index) {
  InsertEntry(Position, Row, Level, Index);
  Changed();
}

bool TcxDataSelection::FindRow(Integer Row, Integer& Position) const {
  Integer lo = 0, hi = Count() - 1;
  while (lo <= hi) {
    const Integer mid = (lo + hi) / 2;
    const Integer r = FItems[size_t(mid)].RowIndex;
    if (r == Row) {
      Position = mid;
      return true;
    }
    if (r < Row)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  Position = lo;
  return false;
}

void TcxDataSelection::EmptyEntries() {
  ClearEntries();
  Changed();
}

void TcxDataSelection::ResetSelection() {
  ClearAnchor();
  ClearEntries();
  Changed();
}

void TcxDataSelection::RemoveEntryAt(Integer Position) {
  DeleteEntry(Position);
  Changed();
}

Integer TcxDataSelection::FindGroupEntry(Integer Group) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Level == -1 && FItems[i].RecordIndex == Group) return Integer(i);
  return -1;
}

Integer TcxDataSelection::FindRecordEntry(Integer Record) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Level != -1 && FItems[i].RecordIndex == Record) return Integer(i);
  return -1;
}

bool TcxDataSelection::IsRowSelected(Integer Row) const {
  Integer p;
  return FindRow(Row, p);
}

void TcxDataSelection::SortByRow() {
  cxStableSort(FItems, [](const TcxDataSelectionEntry& a, const TcxDataSelectionEntry& b) {
    return a.RowIndex < b.RowIndex ? -1 : (a.RowIndex > b.RowIndex ? 1 : 0);
  });
}

void TcxDataSelection::DropFilteredOut() {
  TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo();
  RemoveEntriesIf([info](const TcxDataSelectionEntry& e) {
    return e.Level != -1 && info->RecordListIndexOf(e.RecordIndex) < 0;
  });
}

bool TcxDataSelection::RemoveEntriesIf(const std::function<bool(const TcxDataSelectionEntry&)>& APred) {
  size_t w = 0;
  bool anchorGone = false;
  for (size_t i = 0; i < FItems.size(); ++i) {
    if (APred(FItems[i])) {
      if (FItems[i].RowIndex == AnchorRowIndex) anchorGone = true;
      continue;
    }
    FItems[w++] = FItems[i];
  }
  const bool removed = w != FItems.size();
  FItems.resize(w);
  if (anchorGone) ClearAnchor();
  return removed;
}

// ---------------------------------------------------------------------------
// Controller groups

TcxDataGroups* TcxDataControllerGroups::Groups() const {
  return FDataController->DataControllerInfo()->Groups();
}

Integer TcxDataControllerGroups::GroupingItemCount() const {
  return FDataController->DataControllerInfo()->GroupingList()->Count();
}

Integer TcxDataControllerGroups::GroupingItemIndex(Integer Level) const {
  TcxGroupingFieldList* l = FDataController->DataControllerInfo()->GroupingList();
  if (Level < 0 || Level >= l->Count()) return -1;
  return l->Items(Level).Field->Index();
}

Integer TcxDataControllerGroups::ChildCount(Integer Group) const { return Groups()->ChildCount(Group); }
Integer TcxDataControllerGroups::ChildGroup(Integer Group, Integer N) const { return Groups()->ChildGroup(Group, N); }
Integer TcxDataControllerGroups::Level(Integer Group) const { return Groups()->LevelOf(Group); }

Integer TcxDataControllerGroups::ChildRecordIndex(Integer Group, Integer N) const {
  const Integer p = Groups()->ChildRecordPosition(Group, N);
  return p < 0 ? -1 : FDataController->DataControllerInfo()->RecordAt(p);
}

Integer TcxDataControllerGroups::DataGroupIndexByRowIndex(Integer Row) const {
  return Groups()->GroupAtLevelOfRow(Row, -1);
}

void TcxDataControllerGroups::AddRecordsOfGroup(std::vector<Integer>& List, Integer Group) const {
  TcxDataGroups* g = Groups();
  if (Group < 0 || Group >= g->Count()) return;
  const TcxDataGroupInfo& gi = g->Items(Group);
  if (gi.Level < GroupingItemCount() - 1) {
    const Integer n = g->ChildCount(Group);
    for (Integer i = 0; i < n; ++i) AddRecordsOfGroup(List, g->ChildGroup(Group, i));
  } else {
    TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo();
    for (Integer p = gi.FirstIndex; p <= gi.LastIndex; ++p) List.push_back(info->RecordAt(p));
  }
}

void TcxDataControllerGroups::AddRecordsOfRow(std::vector<Integer>& List, Integer Row) const {
  AddRecordsOfGroup(List, DataGroupIndexByRowIndex(Row));
}
