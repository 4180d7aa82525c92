// Dataset data controller: the filter criteria that can hand its text to
// the dataset's Filter, the SQL blank-value operators of query datasets,
// the summary item bound to a field by name, the grid-mode selection kept
// as dataset bookmarks, and the adapter registries.
#include <algorithm>

#include "SysUtils.h"
#include "DBUtil.h"
#include "TypInfo.h"
#include "cxDBData.h"
#include "cxDBFilter.h"
#include "cxVariants.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterSQLNullOperator, TcxFilterNullOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterSQLNotNullOperator, TcxFilterNotNullOperator)
TOVANI_IMPLEMENT_CLASS(TcxDBFilterOperatorAdapter, TcxDBAdapterItem)
TOVANI_IMPLEMENT_CLASS(TcxDBProviderDetailFilterAdapter, TcxDBAdapterItem)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxDBDataFilterCriteriaItem, TcxDataFilterCriteriaItem)
TOVANI_IMPLEMENT_CLASS(TcxDBDataFilterCriteria, TcxDataFilterCriteria)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxDBDataSummaryItem, TcxDataSummaryItem)
TOVANI_IMPLEMENT_CLASS(TcxDBDataSelection, TcxDataSelection)

namespace {

struct TFlagOn {
  bool& F;
  bool Old;
  TFlagOn(bool& f, bool v = true) : F(f), Old(f) { F = v; }
  ~TFlagOn() { F = Old; }
};

// The registries live from first use to the end of the program.
struct TRegistries {
  TcxDBAdapterList FilterOperators;
  TcxDBAdapterList Details;
  TRegistries() {
    FilterOperators.RegisterAdapter(TDataSet::StaticClass(), cxDBAdapterItemClass<TcxDBFilterOperatorAdapter>());
    Details.RegisterAdapter(TDataSet::StaticClass(), cxDBAdapterItemClass<TcxDBProviderDetailFilterAdapter>());
  }
};

TRegistries& Registries() {
  static TRegistries r;
  return r;
}

}  // namespace

TcxDBAdapterList* cxGetFilterOperatorAdapters() { return &Registries().FilterOperators; }
TcxDBAdapterList* cxGetDetailFilterAdapters() { return &Registries().Details; }

// ---------------------------------------------------------------------------
// Filter operators of query datasets

void TcxDBFilterOperatorAdapter::PrepareOperatorClass(TObject*, TDataSet* ADataSet, TClass& AOperatorClass) {
  if (!ADataSet || !AOperatorClass->InheritsFrom(TcxFilterNullOperator::StaticClass())) return;
  if (AnsiUpperCase(ADataSet->ClassName()).find("QUERY") == String::npos) return;
  AOperatorClass = AOperatorClass->InheritsFrom(TcxFilterNotNullOperator::StaticClass())
                       ? TcxFilterSQLNotNullOperator::StaticClass()
                       : TcxFilterSQLNullOperator::StaticClass();
}

TcxDBFilterOperatorAdapter* GetFilterOperatorAdapter(TDataSet* ADataSet) {
  if (!ADataSet) return nullptr;
  Integer i;
  TcxDBAdapterList* list = cxGetFilterOperatorAdapters();
  if (!list->FindAdapter(ADataSet->ClassType(), i)) return nullptr;
  return dynamic_cast<TcxDBFilterOperatorAdapter*>(list->GetItem(i));
}

TClass TcxDBDataFilterCriteriaItem::OperatorClass() {
  TClass c = TcxDataFilterCriteriaItem::OperatorClass();
  auto* dc = dynamic_cast<TcxDBDataController*>(DataController());
  TDataSet* ds = dc ? dc->GetDataSet() : nullptr;
  if (TcxDBFilterOperatorAdapter* a = GetFilterOperatorAdapter(ds)) a->PrepareOperatorClass(this, ds, c);
  return c;
}

// ---------------------------------------------------------------------------
// Filter criteria

TcxDBDataFilterCriteria::TcxDBDataFilterCriteria(TcxCustomDataController* AController)
    : TcxDataFilterCriteria(AController) {
  FIgnoreOrigin = true;
}

TClass TcxDBDataFilterCriteria::ItemClass() const { return TcxDBDataFilterCriteriaItem::StaticClass(); }

void TcxDBDataFilterCriteria::SetAutoDataSetFilter(bool Value) {
  if (FAutoDataSetFilter == Value) return;
  FAutoDataSetFilter = Value;
  SignalChanged();
}

void TcxDBDataFilterCriteria::SetIgnoreOrigin(bool Value) {
  if (FIgnoreOrigin == Value) return;
  FIgnoreOrigin = Value;
  SignalChanged();
}

void TcxDBDataFilterCriteria::AssignFrom(TPersistent* Source, bool IgnoreLinkNames) {
  auto* src = dynamic_cast<TcxDBDataFilterCriteria*>(Source);
  if (!src) {
    TcxDataFilterCriteria::AssignFrom(Source, IgnoreLinkNames);
    return;
  }
  LockChanges();
  try {
    TcxDataFilterCriteria::AssignFrom(Source, IgnoreLinkNames);
    SetAutoDataSetFilter(src->FAutoDataSetFilter);
    SetIgnoreOrigin(src->FIgnoreOrigin);
  } catch (...) {
    UnlockChanges();
    throw;
  }
  UnlockChanges();
}

void TcxDBDataFilterCriteria::AssignEvents(TPersistent* Source) {
  TcxDataFilterCriteria::AssignEvents(Source);
  if (auto* src = dynamic_cast<TcxDBDataFilterCriteria*>(Source)) {
    OnBeforeChange = src->OnBeforeChange;
    OnFormatFilterTextValue = src->OnFormatFilterTextValue;
  }
}

void TcxDBDataFilterCriteria::ResetSettings() {
  LockChanges();
  try {
    TcxDataFilterCriteria::ResetSettings();
    FAutoDataSetFilter = false;
    FIgnoreOrigin = true;
  } catch (...) {
    UnlockChanges();
    throw;
  }
  UnlockChanges();
}

void TcxDBDataFilterCriteria::AdjustValueText(TcxFilterCriteriaItem*, const Variant& V, String& S) {
  if (OnFormatFilterTextValue) OnFormatFilterTextValue(this, V, S);
}

bool TcxDBDataFilterCriteria::IsDataSetFilterInEffect() const {
  return FAutoDataSetFilter && !DataController()->IsSmartRefresh();
}

bool TcxDBDataFilterCriteria::IsFiltering() const {
  return TcxDataFilterCriteria::IsFiltering() && !OnBeforeChange && !IsDataSetFilterInEffect();
}

void TcxDBDataFilterCriteria::FireChanged() {
  TcxCustomDataController* c = DataController();
  const auto& extra = c->ExtraFilters();
  if (std::find(extra.begin(), extra.end(), this) != extra.end()) return;
  auto* dc = static_cast<TcxDBDataController*>(c);
  TDataSet* ds = dc->GetDataSet();
  const bool destroying = Destroying || c->IsDestroying();
  if (!destroying && ds && IsEditMode(ds->State())) {
    try {
      dc->CheckBrowseMode();
    } catch (...) {
      // The edit stays in the dataset; the filter that could not be applied
      // over it is switched off so that what the user sees stays true.
      LockChanges();
      SetActive(false);
      UnlockSilently();
      throw;
    }
  }
  if (OnBeforeChange && !c->IsLoading()) OnBeforeChange(this, ds, BuildFilterText());
  if (IsDataSetFilterInEffect() && ds) {
    const String text = BuildFilterText();
    TFilterOptions options;
    if (Options().Contains(fcoCaseInsensitive)) options += foCaseInsensitive;
    const bool filtered = Active() && !text.empty();
    if (ds->Filter() != text || ds->FilterOptions() != options || ds->Filtered() != filtered) {
      ds->DisableControls();
      try {
        ds->SetFilter(text);
        ds->SetFilterOptions(options);
        ds->SetFiltered(filtered);
      } catch (...) {
        ds->EnableControls();
        throw;
      }
      ds->EnableControls();
    }
  }
  TcxDataFilterCriteria::FireChanged();
  if (!destroying && dc->DBProvider()->IsSyncMode()) c->CheckFocusedRow();
}

// ---------------------------------------------------------------------------
// Summary item

TcxDBDataSummaryItem::~TcxDBDataSummaryItem() {
  TcxDBDataField* f = FDataField;
  FDataField = nullptr;
  delete f;
}

TcxDBDataController* TcxDBDataSummaryItem::DBController() const {
  return dynamic_cast<TcxDBDataController*>(DataController());
}

void TcxDBDataSummaryItem::SetFieldName(const String& Value) {
  if (FFieldName == Value) return;
  FFieldName = Value;
  TcxDBDataController* c = DBController();
  if (!c) return;
  if (!Value.empty()) {
    if (!FDataField) FDataField = static_cast<TcxDBDataField*>(c->CreateInternalField());
    c->NameDataField(FDataField, Value, false);
  } else {
    TcxDBDataField* f = FDataField;
    FDataField = nullptr;
    delete f;
    c->AddChanges(ccData);
  }
}

void TcxDBDataSummaryItem::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TcxDBDataSummaryItem*>(Source)) {
    TcxDataSummaryItem::Assign(Source);
    SetFieldName(src->FFieldName);
    return;
  }
  TcxDataSummaryItem::Assign(Source);
}

TcxCustomDataField* TcxDBDataSummaryItem::DataField() const {
  return FDataField ? FDataField : TcxDataSummaryItem::DataField();
}

bool TcxDBDataSummaryItem::IsCurrencyType(TVarType AType) const {
  auto* f = dynamic_cast<TcxDBDataField*>(DataField());
  if (f) {
    auto* target = f->ReferenceField() ? dynamic_cast<TcxDBDataField*>(f->ReferenceField()) : f;
    if (target && target->Field()) return target->IsCurrency();
  }
  return TcxDataSummaryItem::IsCurrencyType(AType);
}

// ---------------------------------------------------------------------------
// Grid-mode selection

TcxDBDataController* TcxDBDataSelection::DBController() const {
  return static_cast<TcxDBDataController*>(DataController());
}

bool TcxDBDataSelection::Active() const { return DBController()->IsGridMode() && !FInSelectAll; }

void TcxDBDataSelection::ClearAnchor() {
  TcxDataSelection::ClearAnchor();
  AnchorBookmark.clear();
}

void TcxDBDataSelection::InsertEntry(Integer Position, Integer Row, Integer Level, Integer Index) {
  TcxDataSelection::InsertEntry(Position, Row, Level, Index);
  if (!Active()) return;
  const Integer p = std::clamp<Integer>(Position, 0, Integer(FBookmarks.size()));
  FBookmarks.insert(FBookmarks.begin() + p, RowBookmark(Row));
}

void TcxDBDataSelection::ClearEntries() {
  TcxDataSelection::ClearEntries();
  if (!FInSelectAll) FBookmarks.clear();
}

void TcxDBDataSelection::DeleteEntry(Integer Position) {
  TcxDataSelection::DeleteEntry(Position);
  if (!Active() || Position < 0 || Position >= Integer(FBookmarks.size())) return;
  if (FBookmarks[size_t(Position)] == AnchorBookmark) ClearAnchor();
  FBookmarks.erase(FBookmarks.begin() + Position);
}

Integer TcxDBDataSelection::FindBookmark(const TBookmark& B, bool& Found) const {
  TcxDBDataProvider* p = DBController()->DBProvider();
  Integer lo = 0, hi = Integer(FBookmarks.size()) - 1;
  Found = false;
  while (lo <= hi) {
    const Integer mid = (lo + hi) / 2;
    const Integer c = p->CompareBookmarks(FBookmarks[size_t(mid)], B);
    if (c == 0) {
      Found = true;
      return mid;
    }
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return lo;
}

bool TcxDBDataSelection::FindRow(Integer Row, Integer& Position) const {
  if (!DBController()->IsGridMode()) return TcxDataSelection::FindRow(Row, Position);
  bool found;
  Position = FindBookmark(RowBookmark(Row), found);
  return found;
}

TBookmark TcxDBDataSelection::RowBookmark(Integer Row) const {
  TcxDBDataController* c = DBController();
  if (!c->IsGridMode()) return TBookmark();
  TcxDBDataProvider* p = c->DBProvider();
  TDataSet* ds = p->DataSet();
  if (!ds || Row < 0) return TBookmark();
  TBookmark b;
  p->SetActiveRecordGuarded(Row, [&] { b = ds->Bookmark(); });
  return b;
}

void TcxDBDataSelection::SyncCount() {
  TFlagOn flag(FInSelectAll);
  auto& entries = Entries();
  entries.resize(FBookmarks.size(), TcxDataSelectionEntry{0, -1, -1});
  // Entries of buffer rows point at their rows; the others at none.
  TcxDBDataController* c = DBController();
  for (size_t i = 0; i < entries.size(); ++i) {
    entries[i].Level = 0;
    entries[i].RowIndex = -1;
    entries[i].RecordIndex = -1;
  }
  for (Integer r = 0; r < c->GetRowCount(); ++r) {
    bool found;
    const Integer i = FindBookmark(RowBookmark(r), found);
    if (found) {
      entries[size_t(i)].RowIndex = r;
      entries[size_t(i)].RecordIndex = c->GetRowInfo(r).RecordIndex;
    }
  }
}

void TcxDBDataSelection::DropInvalidBookmarks() {
  TcxDBDataProvider* p = DBController()->DBProvider();
  for (Integer i = Integer(FBookmarks.size()) - 1; i >= 0; --i) {
    if (!FBookmarks[size_t(i)].empty() && p->IsBookmarkValid(FBookmarks[size_t(i)])) continue;
    if (FBookmarks[size_t(i)] == AnchorBookmark) AnchorBookmark.clear();
    FBookmarks.erase(FBookmarks.begin() + i);
  }
  SyncCount();
}

void TcxDBDataSelection::SelectAll() {
  TcxDBDataController* c = DBController();
  TcxDBDataProvider* p = c->DBProvider();
  TDataSet* ds = p->DataSet();
  if (!c->IsGridMode() || !ds) return;
  p->LockNotifications();
  try {
    p->SavePosition();
    ds->First();
    FBookmarks.clear();
    while (!ds->Eof()) {
      if (c->CanSelectRow(-1)) FBookmarks.push_back(ds->Bookmark());
      ds->Next();
    }
    SyncCount();
  } catch (...) {
    FBookmarks.clear();
    SyncCount();
    p->RestorePosition();
    p->UnlockNotifications();
    throw;
  }
  p->RestorePosition();
  p->UnlockNotifications();
  Changed();
  c->DataControllerInfo()->AddChanges(dcicSelectionChanged);
  c->DataControllerInfo()->ApplyPendingChanges();
  c->AfterLoad();
}

void TcxDBDataSelection::SelectRange(const TBookmark& ABookmark, bool AKeepSelection) {
  TcxDBDataController* c = DBController();
  TcxDBDataProvider* p = c->DBProvider();
  TDataSet* ds = p->DataSet();
  if (!c->IsGridMode() || !ds || (ds->State() == dsInsert && ds->Eof())) return;
  p->LockNotifications();
  try {
    p->SavePosition();
    const TBookmark& a = AnchorBookmark;
    const TBookmark& b = ABookmark;
    const bool forward = p->CompareBookmarks(a, b) < 0;
    const TBookmark low = forward ? a : b, high = forward ? b : a;
    bool done = false;
    // Growing or shrinking a contiguous range by one record needs no walk.
    if (!AKeepSelection && !FBookmarks.empty()) {
      const size_t n = FBookmarks.size();
      if (low == high) {
        FBookmarks.assign(1, low);
        done = true;
      } else if (forward) {
        if (n > 1 && FBookmarks[n - 2] == high && FBookmarks.front() == low) {
          FBookmarks.pop_back();
          done = true;
        } else if (FBookmarks.front() == low) {
          ds->GotoBookmark(high);
          ds->Prior();
          if (!ds->Bof() || ds->Bookmark() != high)
            if (ds->Bookmark() == FBookmarks.back()) {
              FBookmarks.push_back(high);
              done = true;
            }
        }
      } else {
        if (n > 1 && FBookmarks[1] == low && FBookmarks.back() == high) {
          FBookmarks.erase(FBookmarks.begin());
          done = true;
        } else if (FBookmarks.back() == high) {
          ds->GotoBookmark(low);
          ds->Next();
          if (!ds->Eof() && ds->Bookmark() == FBookmarks.front()) {
            FBookmarks.insert(FBookmarks.begin(), low);
            done = true;
          }
        }
      }
    }
    if (!done) {
      if (!AKeepSelection) FBookmarks.clear();
      ds->GotoBookmark(low);
      while (!ds->Eof()) {
        const TBookmark cur = ds->Bookmark();
        if (c->CanSelectRow(-1)) {
          bool found;
          const Integer i = FindBookmark(cur, found);
          if (!found) FBookmarks.insert(FBookmarks.begin() + i, cur);
        }
        if (cur == high) break;
        ds->Next();
      }
    }
    SyncCount();
  } catch (...) {
    FBookmarks.clear();
    SyncCount();
    p->RestorePosition();
    p->UnlockNotifications();
    throw;
  }
  p->RestorePosition();
  p->UnlockNotifications();
  Changed();
  c->DataControllerInfo()->AddChanges(dcicSelectionChanged);
  c->DataControllerInfo()->ApplyPendingChanges();
  c->AfterLoad();
}

// ---------------------------------------------------------------------------
// Detail adapter

namespace {

TParams* ParamsOf(TDataSet* ADataSet) {
  if (!ADataSet) return nullptr;
  const TPropInfo* info = GetPropInfo(ADataSet, "Params");
  if (!info) return nullptr;
  return dynamic_cast<TParams*>(GetObjectProp(ADataSet, info));
}

bool ParamsEqual(TParams* P, const String& ANames, const Variant& AValues) {
  const std::vector<String> names = SplitFieldNames(ANames);
  for (size_t i = 0; i < names.size(); ++i) {
    TParam* p = P->FindParam(names[i]);
    if (!p) return false;
    const Variant want = names.size() == 1 && !AValues.IsArray() ? AValues : AValues.GetElement(AValues.LowBound() + Integer(i));
    if (!cxVarEquals(p->Value(), want)) return false;
  }
  return true;
}

}  // namespace

bool TcxDBProviderDetailFilterAdapter::IsCurrentQuery(TDataSet* ADataSet, const String& ANames, const Variant& AValues) {
  TParams* p = ParamsOf(ADataSet);
  return p && ParamsEqual(p, ANames, AValues);
}

void TcxDBProviderDetailFilterAdapter::ReopenQuery(TDataSet* ADataSet, const String& ANames, const Variant& AValues,
                                                   bool& AReopened) {
  TParams* params = ParamsOf(ADataSet);
  if (!params) return;
  if (ParamsEqual(params, ANames, AValues)) {
    ADataSet->First();
    return;
  }
  ADataSet->DisableControls();
  try {
    ADataSet->Close();
    const std::vector<String> names = SplitFieldNames(ANames);
    for (size_t i = 0; i < names.size(); ++i) {
      // The values are bound as parameters, never written into the SQL.
      const Variant v = names.size() == 1 && !AValues.IsArray() ? AValues : AValues.GetElement(AValues.LowBound() + Integer(i));
      params->ParamByName(names[i])->SetValue(v);
    }
    ADataSet->Open();
    AReopened = true;
  } catch (...) {
    ADataSet->EnableControls();
    throw;
  }
  ADataSet->EnableControls();
}

void TcxDBProviderDetailFilterAdapter::PositionDetail(TDataSet* ADataSet, const String& ANames, const Variant& AValues,
                                                      bool ASQLMode, bool& AReopened) {
  if (ASQLMode)
    ReopenQuery(ADataSet, ANames, AValues, AReopened);
  else
    ADataSet->Locate(ANames, AValues, TLocateOptions());
}
