// Data controller: footer and group summaries, and the filter criteria bound
// to a controller with its value lists.
#include <algorithm>
#include <cmath>

#include "Collation.h"
#include "DateUtils.h"
#include "Streaming.h"
#include "SysUtils.h"
#include "cxCustomData.h"
#include "cxDataUtils.h"
#include "cxVariants.h"

TOVANI_IMPLEMENT_ENUM_INFO(TcxSummaryOption, "soNullIgnore", "soSelectedRecords", "soMultipleSelectedRecords")
TOVANI_IMPLEMENT_ENUM_INFO(TcxSummaryKind, "skNone", "skSum", "skMin", "skMax", "skCount", "skAverage")
TOVANI_IMPLEMENT_ENUM_INFO(TcxSummaryPosition, "spGroup", "spFooter")

TOVANI_IMPLEMENT_CLASS(TcxCustomDataSummaryItem, TCollectionItem)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxDataSummaryItem, TcxCustomDataSummaryItem)
TOVANI_IMPLEMENT_CLASS(TcxDataSummaryItems, TcxCollection)
TOVANI_IMPLEMENT_CLASS(TcxDataFooterSummaryItems, TcxDataSummaryItems)
TOVANI_IMPLEMENT_CLASS(TcxDataGroupSummaryItems, TcxDataSummaryItems)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxDataSummaryGroupItemLink, TcxCustomDataSummaryItem)
TOVANI_IMPLEMENT_CLASS(TcxDataSummaryGroupItemLinks, TcxCollection)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxDataSummaryGroup, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TcxDataSummaryGroups, TcxCollection)
TOVANI_IMPLEMENT_CLASS(TcxDataSummary, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxDataFilterCriteriaItem, TcxFilterCriteriaItem)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxDataFilterValueList, TcxFilterValueList)
TOVANI_IMPLEMENT_CLASS(TcxDataFilterCriteria, TcxFilterCriteria)

TOVANI_PUBLISHED(TcxDataSummaryItem) {
  Property("Format", &TcxDataSummaryItem::Format, &TcxDataSummaryItem::SetFormat);
  Property("Kind", &TcxDataSummaryItem::Kind, &TcxDataSummaryItem::SetKind).Default(skNone);
  Property("Position", &TcxDataSummaryItem::Position, &TcxDataSummaryItem::SetPosition)
      .Stored(&TcxDataSummaryItem::IsPositionStored);
  Property("OnGetText", &TcxDataSummaryItem::OnGetText);
}

TOVANI_PUBLISHED(TcxDataSummaryItems) { Property("OnSummary", &TcxDataSummaryItems::OnSummary); }

TOVANI_PUBLISHED(TcxDataGroupSummaryItems) {
  Property("BeginText", &TcxDataGroupSummaryItems::BeginText, &TcxDataGroupSummaryItems::SetBeginText)
      .Stored([](TObject* o) { return static_cast<TcxDataGroupSummaryItems*>(o)->BeginText() != "("; });
  Property("EndText", &TcxDataGroupSummaryItems::EndText, &TcxDataGroupSummaryItems::SetEndText)
      .Stored([](TObject* o) { return static_cast<TcxDataGroupSummaryItems*>(o)->EndText() != ")"; });
  Property("Separator", &TcxDataGroupSummaryItems::Separator, &TcxDataGroupSummaryItems::SetSeparator)
      .Stored([](TObject* o) { return static_cast<TcxDataGroupSummaryItems*>(o)->Separator() != ","; });
}

TOVANI_PUBLISHED(TcxDataSummaryGroup) {
  Property<TcxDataSummaryGroupItemLinks*>("Links", [](TcxDataSummaryGroup* g) { return g->Links(); });
  Property<TcxDataGroupSummaryItems*>("SummaryItems", [](TcxDataSummaryGroup* g) { return g->SummaryItems(); });
}

TOVANI_PUBLISHED(TcxDataSummary) {
  Property("DefaultGroupSummaryItems", &TcxDataSummary::DefaultGroupSummaryItems);
  Property("FooterSummaryItems", &TcxDataSummary::FooterSummaryItems);
  Property("SummaryGroups", &TcxDataSummary::SummaryGroups);
  Property("Options", &TcxDataSummary::Options, &TcxDataSummary::SetOptions).Default(TcxSummaryOptions{});
  Property("OnAfterSummary", &TcxDataSummary::OnAfterSummary);
}

TOVANI_PUBLISHED(TcxDataFilterCriteria) {
  Property("Active", &TcxDataFilterCriteria::Active, &TcxDataFilterCriteria::SetActive).Default(false);
  Property("OnGetValueList", &TcxDataFilterCriteria::OnGetValueList);
}

namespace {

struct TCollectionUpdate {
  TCollection* C;
  explicit TCollectionUpdate(TCollection* c) : C(c) { if (C) C->BeginUpdate(); }
  ~TCollectionUpdate() { if (C) C->EndUpdate(); }
};

TcxDataSummary* SummaryOfCollection(TCollection* C) {
  if (auto* items = dynamic_cast<TcxDataSummaryItems*>(C)) return items->Summary();
  if (auto* links = dynamic_cast<TcxDataSummaryGroupItemLinks*>(C))
    return links->SummaryGroup() ? links->SummaryGroup()->Summary() : nullptr;
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// Summary items

TcxCustomDataController* TcxCustomDataSummaryItem::DataController() const {
  TcxDataSummary* s = SummaryOfCollection(Collection());
  return s ? s->DataController() : nullptr;
}

TObject* TcxCustomDataSummaryItem::ItemLink() const { return FField ? FField->Item() : nullptr; }

void TcxCustomDataSummaryItem::SetField(TcxCustomDataField* Value) {
  if (FField == Value) return;
  TCollectionUpdate lock(Collection());
  FieldChanging(Value);
  FField = Value;
  Changed(true);
}

void TcxCustomDataSummaryItem::SetItemLink(TObject* Value) {
  TcxCustomDataController* c = DataController();
  SetField(c && Value ? c->Fields()->FieldByItem(Value) : nullptr);
}

void TcxCustomDataSummaryItem::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TcxCustomDataSummaryItem*>(Source)) {
    TcxCustomDataController* c = DataController();
    TObject* link = src->ItemLink();
    if (c && link && src->DataController() != c) link = c->FindItem(link);
    SetItemLink(link);
    return;
  }
  TCollectionItem::Assign(Source);
}

TcxDataSummaryItem::~TcxDataSummaryItem() {
  FSorted = false;
}

bool TcxDataSummaryItem::IsCurrencyType(TVarType AType) const { return cxVarTypeHoldsCurrency(AType); }

bool TcxDataSummaryItem::CanCalculate() const {
  return FField != nullptr || (FKind == skCount && Position() == spGroup);
}

TcxDataSummaryItems* TcxDataSummaryItem::SummaryItems() const {
  return dynamic_cast<TcxDataSummaryItems*>(Collection());
}

TcxSummaryPosition TcxDataSummaryItem::Position() const {
  TcxDataSummaryItems* items = SummaryItems();
  return items ? items->ItemPosition(this) : FPosition;
}

bool TcxDataSummaryItem::IsPositionStored() const {
  TcxDataSummaryItems* items = SummaryItems();
  return items ? items->IsItemPositionStored(this) : FPosition != spGroup;
}

void TcxDataSummaryItem::SetFormat(const String& Value) {
  if (FFormat == Value) return;
  FFormat = Value;
  Changed(false);
}

void TcxDataSummaryItem::SetKind(TcxSummaryKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  Changed(true);
}

void TcxDataSummaryItem::SetPosition(TcxSummaryPosition Value) {
  if (Position() == Value) return;
  FPosition = Value;
  Changed(false);
}

void TcxDataSummaryItem::SetSorted(bool Value) {
  TcxCustomDataController* c = DataController();
  if (FSorted == Value || (c && c->GetSortingBySummaryItemIndex() != -1)) return;
  TCollectionUpdate lock(Collection());
  if (TcxDataSummaryItems* items = SummaryItems()) items->SortedItemChanging(this, Value);
  FSorted = Value;
  if (c) {
    c->SortingBySummaryChanged = true;
    c->AddChanges(ccSorting);
  }
  Changed(true);
}

void TcxDataSummaryItem::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TcxDataSummaryItem*>(Source)) {
    TCollectionUpdate lock(Collection());
    TcxCustomDataSummaryItem::Assign(Source);
    SetFormat(src->FFormat);
    SetKind(src->FKind);
    FPosition = src->FPosition;
    FSorted = src->FSorted;
    OnGetText = src->OnGetText;
    return;
  }
  TcxCustomDataSummaryItem::Assign(Source);
}

void TcxDataSummaryItem::FormatValue(const Variant& AValue, bool AIsFooter, String& AText) {
  if (AValue.IsNull() || AValue.IsEmpty()) {
    AText.clear();
  } else if (FKind == skNone) {
    AText = VarToStr(AValue);
  } else {
    String format = FFormat;
    const TVarType t = AValue.Kind();
    if (format.empty()) {
      const Integer category = IsCurrencyType(t) ? 1 : (t == varDate ? 2 : 0);
      if (TcxDataSummaryItems* items = SummaryItems()) items->DefaultFormat(category, FKind, format, AIsFooter);
    }
    if (t == varDate && FKind != skCount) {
      const TDateTime d = AValue.AsDateTime();
      const double whole = std::trunc(d);
      if (d == whole)
        AText = format + DateToStr(d);
      else if (whole != 0)
        AText = format + DateTimeToStr(d);
      else
        AText = format + TimeToStr(d);
    } else {
      AText = FormatFloat(format, AValue.AsDouble());
    }
  }
  if (OnGetText) OnGetText(this, AValue, AIsFooter, AText);
}

// ---------------------------------------------------------------------------
// Summary item collections

TcxDataSummaryItems::TcxDataSummaryItems(TPersistent* AOwner, TcxDataSummary* ASummary, TClass AItemClass)
    : TcxCollection(AItemClass), FOwner(AOwner), FSummary(ASummary) {}

TcxCustomDataController* TcxDataSummaryItems::DataController() const {
  return FSummary ? FSummary->DataController() : nullptr;
}

TcxDataSummaryItem* TcxDataSummaryItems::Items(Integer Index) const {
  return static_cast<TcxDataSummaryItem*>(TCollection::Items(Index));
}

TcxDataSummaryItem* TcxDataSummaryItems::Add(TObject* AItemLink, TcxSummaryPosition APosition,
                                             TcxSummaryKind AKind, const String& AFormat) {
  TCollectionUpdate lock(this);
  TcxDataSummaryItem* item = Add();
  item->SetItemLink(AItemLink);
  item->SetPosition(APosition);
  item->SetKind(AKind);
  item->SetFormat(AFormat);
  return item;
}

TcxSummaryPosition TcxDataSummaryItems::ItemPosition(const TcxDataSummaryItem* AItem) const {
  return AItem->OwnPosition();
}

bool TcxDataSummaryItems::IsItemPositionStored(const TcxDataSummaryItem* AItem) const {
  return ItemPosition(AItem) != spGroup;
}

void TcxDataSummaryItems::DefaultFormat(Integer ACategory, TcxSummaryKind AKind, String& AText, bool AIsFooter) {
  AText.clear();
  if (AKind == skNone) return;
  static const char* const prefixes[] = {"", "SUM=", "MIN=", "MAX=", "COUNT=", "AVG="};
  const String prefix = prefixes[AKind];
  const String footerPrefix = AKind == skSum ? String() : prefix;
  const String& p = AIsFooter ? footerPrefix : prefix;
  if (AKind == skCount) {
    AText = AIsFooter ? "0" : "COUNT=0";
    return;
  }
  switch (ACategory) {
    case 1: {
      const String cf = cxCurrencyDisplayFormat();
      AText = p + cf + ";" + p + "-" + cf;
      break;
    }
    case 2:
      AText = p;
      break;
    default:
      AText = p + "0.00;" + p + "-0.00";
      break;
  }
}

void TcxDataSummaryItems::GroupSummaryText(const Variant&, String& AText) { AText.clear(); }

TcxDataSummaryItem* TcxDataSummaryItems::FindItem(Integer AItemIndex, TcxSummaryPosition APosition,
                                                  TcxSummaryKind AKind, bool ACheckKind) {
  TcxCustomDataController* c = DataController();
  c->CheckItemRange(AItemIndex);
  TcxCustomDataField* f = c->FieldOfItemIndex(AItemIndex);
  for (Integer i = 0; i < Count(); ++i) {
    TcxDataSummaryItem* item = Items(i);
    if (item->Field() == f && item->Position() == APosition && (!ACheckKind || item->Kind() == AKind)) return item;
  }
  return nullptr;
}

Integer TcxDataSummaryItems::IndexOfItemLink(TObject* AItemLink) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->ItemLink() == AItemLink) return i;
  return -1;
}

TcxDataSummaryItem* TcxDataSummaryItems::ItemOfItemLink(TObject* AItemLink) const {
  const Integer i = IndexOfItemLink(AItemLink);
  return i < 0 ? nullptr : Items(i);
}

Integer TcxDataSummaryItems::IndexOfField(const TcxCustomDataField* AField) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Field() == AField) return i;
  return -1;
}

TcxDataSummaryItem* TcxDataSummaryItems::ItemOfField(const TcxCustomDataField* AField) const {
  const Integer i = IndexOfField(AField);
  return i < 0 ? nullptr : Items(i);
}

void TcxDataSummaryItems::Update(TCollectionItem* Item) {
  if (FSummary) FSummary->SummaryChanged(Item != nullptr);
}

void TcxDataGroupSummaryItems::SortedItemChanging(TcxDataSummaryItem* AItem, bool ASorted) {
  if (!ASorted) return;
  if (TcxDataSummaryItem* cur = SortedItem())
    if (cur != AItem) {
      // Only one sorted item per collection.
      TcxDataSummaryItem* other = cur;
      other->SetSorted(false);
    }
}

TcxDataSummaryItem* TcxDataGroupSummaryItems::SortedItem() const {
  TcxCustomDataController* c = DataController();
  if (c && c->GetSortingBySummaryItemIndex() != -1)
    return ItemOfItemLink(c->GetItem(c->GetSortingBySummaryItemIndex()));
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Sorted()) return Items(i);
  return nullptr;
}

void TcxDataGroupSummaryItems::GroupSummaryText(const Variant& AValues, String& AText) {
  AText.clear();
  const String sep = FSeparator + " ";
  for (Integer i = 0; i < Count(); ++i) {
    TcxDataSummaryItem* item = Items(i);
    if (item->Position() != spGroup) continue;
    Variant v = Variant::Null();
    if (AValues.IsArray() && i >= AValues.LowBound() && i <= AValues.HighBound()) v = AValues.GetElement(i);
    const String t = item->FormatValue(v, false);
    if (!AText.empty()) AText += sep;
    AText += t;
  }
  if (!AText.empty()) AText = FBeginText + AText + FEndText;
}

void TcxDataGroupSummaryItems::TextChanged() {
  if (Count() > 0) Update(Items(0));
}

void TcxDataGroupSummaryItems::SetBeginText(const String& Value) {
  if (FBeginText == Value) return;
  FBeginText = Value;
  TextChanged();
}

void TcxDataGroupSummaryItems::SetEndText(const String& Value) {
  if (FEndText == Value) return;
  FEndText = Value;
  TextChanged();
}

void TcxDataGroupSummaryItems::SetSeparator(const String& Value) {
  if (FSeparator == Value) return;
  FSeparator = Value;
  TextChanged();
}

// ---------------------------------------------------------------------------
// Summary groups

TcxDataSummaryGroup* TcxDataSummaryGroupItemLink::SummaryGroup() const {
  auto* links = dynamic_cast<TcxDataSummaryGroupItemLinks*>(Collection());
  return links ? links->SummaryGroup() : nullptr;
}

void TcxDataSummaryGroupItemLink::FieldChanging(TcxCustomDataField* ANewField) {
  // An item is linked to at most one summary group.
  TcxDataSummaryGroup* own = SummaryGroup();
  TcxDataSummary* s = own ? own->Summary() : nullptr;
  if (!s || !ANewField) return;
  TcxDataSummaryGroups* groups = s->SummaryGroups();
  TCollectionUpdate lock(groups);
  for (Integer g = 0; g < groups->Count(); ++g) {
    TcxDataSummaryGroupItemLinks* links = groups->Items(g)->Links();
    for (Integer i = links->Count() - 1; i >= 0; --i)
      if (links->Items(i) != this && links->Items(i)->Field() == ANewField) links->Items(i)->FField = nullptr;
  }
}

TcxDataSummaryGroupItemLinks::TcxDataSummaryGroupItemLinks(TcxDataSummaryGroup* AGroup, TClass ALinkClass)
    : TcxCollection(ALinkClass), FGroup(AGroup) {}

TcxDataSummaryGroupItemLink* TcxDataSummaryGroupItemLinks::Items(Integer Index) const {
  return static_cast<TcxDataSummaryGroupItemLink*>(TCollection::Items(Index));
}

TcxDataSummaryGroupItemLink* TcxDataSummaryGroupItemLinks::ItemOfItemLink(TObject* AItemLink) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->ItemLink() == AItemLink) return Items(i);
  return nullptr;
}

TPersistent* TcxDataSummaryGroupItemLinks::GetOwner() { return FGroup; }

void TcxDataSummaryGroupItemLinks::Update(TCollectionItem*) {
  if (FGroup && FGroup->Summary()) FGroup->Summary()->SummaryChanged(false);
}

TcxDataSummaryGroup::~TcxDataSummaryGroup() {
  FSummaryItems.reset();
  FLinks.reset();
}

void TcxDataSummaryGroup::SetCollection(TCollection* Value) { TCollectionItem::SetCollection(Value); }

TcxDataSummaryGroups* TcxDataSummaryGroup::Groups() const {
  return dynamic_cast<TcxDataSummaryGroups*>(Collection());
}

TcxDataSummary* TcxDataSummaryGroup::Summary() const {
  TcxDataSummaryGroups* g = Groups();
  return g ? g->Summary() : nullptr;
}

TcxDataSummaryGroupItemLinks* TcxDataSummaryGroup::Links() {
  if (!FLinks) {
    TcxDataSummary* s = Summary();
    TClass cls = s ? s->DataController()->GroupItemLinkClass() : TcxDataSummaryGroupItemLink::StaticClass();
    FLinks = std::make_unique<TcxDataSummaryGroupItemLinks>(this, cls);
  }
  return FLinks.get();
}

TcxDataGroupSummaryItems* TcxDataSummaryGroup::SummaryItems() {
  if (!FSummaryItems) {
    TcxDataSummary* s = Summary();
    TClass cls = s ? s->DataController()->SummaryItemClass() : TcxDataSummaryItem::StaticClass();
    FSummaryItems = std::make_unique<TcxDataGroupSummaryItems>(this, s, cls);
  }
  return FSummaryItems.get();
}

void TcxDataSummaryGroup::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TcxDataSummaryGroup*>(Source)) {
    Links()->Assign(src->Links());
    SummaryItems()->Assign(src->SummaryItems());
    return;
  }
  TCollectionItem::Assign(Source);
}

TcxDataSummaryGroups::TcxDataSummaryGroups(TcxDataSummary* ASummary)
    : TcxCollection(TcxDataSummaryGroup::StaticClass()), FSummary(ASummary) {}

TcxDataSummaryGroup* TcxDataSummaryGroups::Items(Integer Index) const {
  return static_cast<TcxDataSummaryGroup*>(TCollection::Items(Index));
}

TcxDataSummaryGroup* TcxDataSummaryGroups::FindByItemLink(TObject* AItemLink) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Links()->ItemOfItemLink(AItemLink)) return Items(i);
  return nullptr;
}

TPersistent* TcxDataSummaryGroups::GetOwner() { return FSummary; }

void TcxDataSummaryGroups::Update(TCollectionItem*) {
  if (FSummary) FSummary->SummaryChanged(false);
}

// ---------------------------------------------------------------------------
// Summary

TcxDataSummary::TcxDataSummary(TcxCustomDataController* AController)
    : FDataController(AController), FFooterSummaryValues(Variant::Null()) {
  FDefaultGroupSummaryItems =
      std::make_unique<TcxDataGroupSummaryItems>(this, this, AController->SummaryItemClass());
  FFooterSummaryItems = std::make_unique<TcxDataFooterSummaryItems>(this, this, AController->SummaryItemClass());
  FSummaryGroups = std::make_unique<TcxDataSummaryGroups>(this);
}

TcxDataSummary::~TcxDataSummary() {
  Destroying = true;
  FSummaryGroups.reset();
  FFooterSummaryItems.reset();
  FDefaultGroupSummaryItems.reset();
}

TPersistent* TcxDataSummary::GetOwner() { return FDataController; }

void TcxDataSummary::BeginUpdate() {
  ++FLockCount;
  FDataController->BeginUpdate();
}

void TcxDataSummary::EndUpdate() {
  --FLockCount;
  try {
    SummaryChanged(false);
  } catch (...) {
    FDataController->EndUpdate();
    throw;
  }
  FDataController->EndUpdate();
}

void TcxDataSummary::SetOptions(TcxSummaryOptions Value) {
  if (FOptions == Value) return;
  if (Value.Contains(soSelectedRecords) && Value.Contains(soMultipleSelectedRecords)) {
    // The option that was just added wins.
    if (FOptions.Contains(soSelectedRecords))
      Value.Exclude(soSelectedRecords);
    else
      Value.Exclude(soMultipleSelectedRecords);
  }
  FOptions = Value;
  SummaryChanged(false);
}

void TcxDataSummary::ForgetField(TcxCustomDataField* AField) {
  bool cleared = false;
  ++FLockCount;
  auto clearIn = [&](TCollection* C) {
    for (Integer i = 0; i < C->Count(); ++i) {
      auto* item = static_cast<TcxCustomDataSummaryItem*>(C->Items(i));
      if (item->Field() == AField) {
        item->FField = nullptr;
        cleared = true;
      }
    }
  };
  clearIn(FFooterSummaryItems.get());
  clearIn(FDefaultGroupSummaryItems.get());
  for (Integer g = 0; g < FSummaryGroups->Count(); ++g) {
    clearIn(FSummaryGroups->Items(g)->SummaryItems());
    clearIn(FSummaryGroups->Items(g)->Links());
  }
  --FLockCount;
  if (cleared) SummaryChanged(false);
}

TcxDataSummaryItems* TcxDataSummary::GroupItemsOfLevel(Integer ALevel) {
  TcxGroupingFieldList* g = FDataController->DataControllerInfo()->GroupingList();
  if (ALevel < 0 || ALevel >= g->Count()) return nullptr;
  if (TcxDataSummaryGroup* group = FSummaryGroups->FindByItemLink(g->Items(ALevel).Field->Item()))
    return group->SummaryItems();
  return FDefaultGroupSummaryItems.get();
}

void TcxDataSummary::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TcxDataSummary*>(Source)) {
    BeginUpdate();
    try {
      FDefaultGroupSummaryItems->Assign(src->FDefaultGroupSummaryItems.get());
      FFooterSummaryItems->Assign(src->FFooterSummaryItems.get());
      FSummaryGroups->Assign(src->FSummaryGroups.get());
      SetOptions(src->FOptions);
      OnAfterSummary = src->OnAfterSummary;
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  TPersistent::Assign(Source);
}

void TcxDataSummary::CopyEvents(TcxDataSummary* Source) {
  OnAfterSummary = Source->OnAfterSummary;
  FFooterSummaryItems->CopyEvents(Source->FFooterSummaryItems.get());
  FDefaultGroupSummaryItems->CopyEvents(Source->FDefaultGroupSummaryItems.get());
}

void TcxDataSummary::SummaryChanged(bool OneItem) {
  if (FInAfterSummary || FLockCount > 0) return;
  NotifyController(OneItem);
}

void TcxDataSummary::NotifyController(bool OneItem) {
  if (Destroying || FDataController->IsDestroying()) return;
  FDataController->DataControllerInfo()->SummaryItemsChanged(OneItem);
}

void TcxDataSummary::FinishCalculation() {
  CalculateGroups();
  DoAfterSummary();
}

void TcxDataSummary::RunCalculation() {
  StartCalculation();
  FinishCalculation();
}

void TcxDataSummary::PrepareValues(TcxDataSummaryItems* AItems, TcxDataSummaryCountValues& ACounts,
                                   TcxDataSummaryValues& AValues) {
  const size_t n = AItems ? size_t(AItems->Count()) : 0;
  ACounts.assign(n, 0);
  AValues.assign(n, Variant());
}

void TcxDataSummary::PrepareSelectedMask() {
  // Which records are selected, built once per calculation instead of a
  // search of the selection for every record.
  TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo();
  FSelectedMaskValid = false;
  if (FDataController->IsSingleSelect() || !info->SelectedRecordsSummaryMode()) return;
  FSelectedMask.assign(size_t(std::max(FDataController->GetRecordCount(), 0)), 0);
  TcxDataSelection* sel = info->Selection();
  for (Integer i = 0; i < sel->Count(); ++i) {
    const TcxDataSelectionEntry& e = sel->Items(i);
    if (e.Level != -1 && e.RecordIndex >= 0 && e.RecordIndex < Integer(FSelectedMask.size()))
      FSelectedMask[size_t(e.RecordIndex)] = 1;
  }
  FSelectedMaskValid = true;
}

Integer TcxDataSummary::RecordOfPosition(Integer APosition) {
  TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo();
  const Integer r = info->RecordAt(APosition);
  if (!info->SelectedRecordsSummaryMode()) return r;
  if (FDataController->IsSingleSelect()) return r == FDataController->GetFocusedRecordIndex() ? r : -1;
  if (FSelectedMaskValid) return r >= 0 && r < Integer(FSelectedMask.size()) && FSelectedMask[size_t(r)] ? r : -1;
  return info->Selection()->IsRecordSelected(r) ? r : -1;
}

void TcxDataSummary::AccumulateRange(TcxDataSummaryItems* AItems, Integer AFirst, Integer ALast,
                                     TcxDataSummaryValues& AValues, TcxDataSummaryCountValues& ACounts) {
  if (!AItems || AItems->Count() == 0) return;
  const Integer n = AItems->Count();
  for (Integer p = AFirst; p <= ALast; ++p) {
    const Integer r = RecordOfPosition(p);
    if (r == -1) continue;
    for (Integer i = 0; i < n; ++i) AccumulateRecord(AItems->Items(i), r, ACounts[size_t(i)], AValues[size_t(i)]);
  }
}

void TcxDataSummary::AccumulateRecord(TcxDataSummaryItem* AItem, Integer ARecord, Integer& ACount, Variant& AValue) {
  if (!AItem->CanCalculate()) return;
  Variant v = AItem->Field() ? FDataController->GetRecordValue(ARecord, AItem->Field()) : Variant::Null();
  bool done = false;
  TcxDataSummaryItems* items = AItem->SummaryItems();
  if (items && items->OnSummary) {
    TcxSummaryEventArguments args{ARecord, AItem};
    TcxSummaryEventOutArguments out{v, AValue, ACount, false};
    items->OnSummary(items, args, out);
    AValue = out.SummaryValue;
    ACount = out.CountValue;
    done = out.Done;
    v = out.Value;
  }
  const TcxSummaryKind kind = AItem->Kind();
  if (done || kind == skNone) return;
  const bool vNull = v.IsNull() || v.IsEmpty();
  if (vNull && FOptions.Contains(soNullIgnore)) return;
  if (AValue.IsEmpty()) {
    if (kind == skCount) {
      // stays Empty; the finish turns the count into the value
    } else if ((kind == skMin || kind == skMax) && vNull) {
      // a minimum or maximum starts at the first value
    } else {
      AValue = vNull ? Variant::Null() : v;
      if (vNull && (kind == skSum || kind == skAverage)) AValue = Variant(0);
    }
  } else if (!vNull && !AValue.IsNull()) {
    switch (kind) {
      case skSum:
      case skAverage:
        // Variant addition carries integer sums in 64 bits (and on into a
        // Double), so large columns never wrap at 32 bits.
        AValue += v;
        break;
      case skMin:
        if (cxVarCompare(v, AValue) < 0) AValue = v;
        break;
      case skMax:
        if (cxVarCompare(v, AValue) > 0) AValue = v;
        break;
      default:
        break;
    }
  }
  ++ACount;
}

void TcxDataSummary::FinishValue(TcxDataSummaryItem* AItem, Variant& AValue, Integer ACount) {
  if (!AItem->CanCalculate()) return;
  if (AValue.IsEmpty()) AValue = Variant::Null();
  if (AItem->Kind() == skCount) {
    AValue = Variant(ACount);
  } else if (AItem->Kind() == skAverage && ACount > 0 && !AValue.IsNull()) {
    const bool isDate = AValue.Kind() == varDate;
    const double avg = AValue.AsDouble() / double(ACount);
    AValue = isDate ? Variant::FromDate(avg) : Variant(avg);
  }
}

void TcxDataSummary::FinishValues(TcxDataSummaryItems* AItems, const TcxDataSummaryCountValues& ACounts,
                                  Variant& AResult, TcxDataSummaryValues& AValues) {
  const Integer n = AItems ? AItems->Count() : 0;
  if (n == 0) {
    AResult = Variant::Null();
    return;
  }
  Variant arr = VarArrayCreate({0, n - 1}, varVariant);
  for (Integer i = 0; i < n; ++i) {
    FinishValue(AItems->Items(i), AValues[size_t(i)], ACounts[size_t(i)]);
    Variant v = AValues[size_t(i)];
    if (v.IsEmpty()) v = Variant::Null();
    arr.PutElement(i, v);
  }
  AResult = arr;
}

void TcxDataSummary::CalculateFooter() {
  PrepareSelectedMask();
  struct TDrop {
    TcxDataSummary* S;
    ~TDrop() { S->FSelectedMaskValid = false; S->FSelectedMask.clear(); }
  } drop{this};
  TcxDataSummaryCountValues counts;
  TcxDataSummaryValues values;
  PrepareValues(FFooterSummaryItems.get(), counts, values);
  if (!FDataController->IsGridMode())
    AccumulateRange(FFooterSummaryItems.get(), 0,
                    FDataController->DataControllerInfo()->RecordListCount() - 1, values, counts);
  FinishValues(FFooterSummaryItems.get(), counts, FFooterSummaryValues, values);
}

void TcxDataSummary::CalculateGroups() {
  PrepareSelectedMask();
  struct TDrop {
    TcxDataSummary* S;
    ~TDrop() { S->FSelectedMaskValid = false; S->FSelectedMask.clear(); }
  } drop{this};
  TcxCustomDataControllerInfo* info = FDataController->DataControllerInfo();
  TcxDataGroups* groups = info->Groups();
  const Integer levels = info->GroupingList()->Count();
  if (groups->LevelCount() != levels) return;
  const Integer deepest = levels - 1;
  for (Integer L = 0; L < levels; ++L) {
    TcxDataSummaryItems* items = GroupItemsOfLevel(L);
    Integer current = -1;
    TcxDataSummaryCountValues counts;
    TcxDataSummaryValues values;
    for (Integer g = 0; g < groups->Count(); ++g) {
      TcxDataGroupInfo& gi = groups->Items(g);
      if (gi.Level == L) {
        if (current >= 0) FinishValues(items, counts, groups->Items(current).SummaryValues, values);
        PrepareValues(items, counts, values);
        current = g;
      }
      if (gi.Level == deepest && current >= 0) AccumulateRange(items, gi.FirstIndex, gi.LastIndex, values, counts);
    }
    if (current >= 0) FinishValues(items, counts, groups->Items(current).SummaryValues, values);
  }
}

void TcxDataSummary::DoAfterSummary() {
  if (!OnAfterSummary) return;
  if (FDataController->IsLoading()) {
    FDataController->AfterSummaryPending = true;
    return;
  }
  FDataController->AfterSummaryPending = false;
  if (FDataController->IsPattern() || (FDataController->IsGridMode() && FDataController->StructureChanged)) return;
  FInAfterSummary = true;
  try {
    OnAfterSummary(this);
  } catch (...) {
    FInAfterSummary = false;
    throw;
  }
  FInAfterSummary = false;
}

bool TcxDataSummary::HasValueAt(const Variant& AValues, Integer AIndex) const {
  return AValues.IsArray() && AIndex >= AValues.LowBound() && AIndex <= AValues.HighBound();
}

Variant TcxDataSummary::FooterSummaryValue(Integer AIndex) const {
  return HasValueAt(FFooterSummaryValues, AIndex) ? FFooterSummaryValues.GetElement(AIndex) : Variant::Null();
}

Variant TcxDataSummary::GroupSummaryValue(Integer AGroup, Integer AIndex) const {
  TcxDataGroups* groups = FDataController->DataControllerInfo()->Groups();
  if (AGroup < 0 || AGroup >= groups->Count()) return Variant::Null();
  const Variant& v = groups->Items(AGroup).SummaryValues;
  return HasValueAt(v, AIndex) ? v.GetElement(AIndex) : Variant::Null();
}

String TcxDataSummary::FooterSummaryText(Integer AIndex) {
  if (AIndex < 0 || AIndex >= FFooterSummaryItems->Count()) return String();
  return FFooterSummaryItems->Items(AIndex)->FormatValue(FooterSummaryValue(AIndex), true);
}

// ---------------------------------------------------------------------------
// Filter criteria of a controller

TcxCustomDataController* TcxDataFilterCriteriaItem::DataController() const {
  auto* c = dynamic_cast<TcxDataFilterCriteria*>(Criteria());
  return c ? c->DataController() : nullptr;
}

TcxCustomDataField* TcxDataFilterCriteriaItem::Field() const {
  TObject* raw = TcxFilterCriteriaItem::Link();
  if (!raw) return nullptr;
  if (auto* f = dynamic_cast<TcxCustomDataField*>(raw)) return f;
  TcxCustomDataController* c = DataController();
  return c ? c->Fields()->FieldByItem(raw) : nullptr;
}

TObject* TcxDataFilterCriteriaItem::Link() const {
  TObject* raw = TcxFilterCriteriaItem::Link();
  if (auto* f = dynamic_cast<TcxCustomDataField*>(raw)) return f->Item();
  return raw;
}

void TcxDataFilterCriteriaItem::SetLink(TObject* Value) {
  TObject* field = Value;
  if (Value && !dynamic_cast<TcxCustomDataField*>(Value)) {
    TcxCustomDataController* c = DataController();
    field = c ? c->Fields()->FieldByItem(Value) : nullptr;
  }
  TcxFilterCriteriaItem::SetLink(field);
}

Variant TcxDataFilterCriteriaItem::LinkValue(Integer ARecord) {
  TcxCustomDataField* f = Field();
  TcxCustomDataController* c = DataController();
  if (!f || !c) return Variant::Null();
  return c->GetFilterValue(ARecord, f);
}

String TcxDataFilterCriteriaItem::LinkCaption() {
  TcxCustomDataField* f = Field();
  TcxCustomDataController* c = DataController();
  if (!f || !c || !f->Item()) return String();
  return c->GetFilterCaption(c->ItemIndexOfField(f));
}

String TcxDataFilterCriteriaItem::LinkFieldName() {
  TcxCustomDataField* f = Field();
  TcxCustomDataController* c = DataController();
  if (!f || !c || !f->Item()) return String();
  return c->GetFilterFieldName(c->ItemIndexOfField(f));
}

TcxDataFilterCriteria* TcxDataFilterValueList::DataCriteria() const {
  return dynamic_cast<TcxDataFilterCriteria*>(Criteria());
}

void TcxDataFilterValueList::LoadValues(Integer AItemIndex, bool UseDisplayTextSorting, bool FilteredRecordsOnly) {
  TcxDataFilterCriteria* criteria = DataCriteria();
  TcxCustomDataController* c = criteria->DataController();
  TcxCustomDataField* field = c->FieldOfItemIndex(AItemIndex);
  ClearEntries();
  if (UseDisplayTextSorting) SetSortsByText(c->IsItemComparedByText(AItemIndex));
  AddEntry(fvkAll, Variant::Null(), cxDataResourceText(cxSFilterBoxAllCaption));
  AddEntry(fvkCustom, Variant::Null(), cxDataResourceText(cxSFilterBoxCustomCaption));
  bool blanks = false;
  if (c->IsGridMode()) {
    blanks = true;
  } else {
    TcxCustomDataControllerInfo* info = c->DataControllerInfo();
    std::vector<Integer> records;
    if (FilteredRecordsOnly && info->RecordListCount() > 0) {
      records = info->RecordList();
    } else {
      FilteredRecordsOnly = false;
      records.resize(size_t(c->GetRecordCount()));
      for (size_t i = 0; i < records.size(); ++i) records[i] = Integer(i);
    }
    // Collect, sort once and drop duplicates instead of inserting entry by
    // entry, which is quadratic on a whole table.
    struct TEntry {
      Variant Value;     // as shown
      Variant Prepared;  // as compared
      String Text;
      std::string Key;   // collation key of the text when sorting by text
      Integer Order;
    };
    const bool byText = SortsByText();
    const bool upper = criteria->Options().Contains(fcoCaseInsensitive);
    std::vector<TEntry> entries;
    entries.reserve(records.size());
    for (Integer r : records) {
      Variant v = c->GetFilterValue(r, field);
      if (criteria->IsNullValue(v)) {
        blanks = true;
        continue;
      }
      TEntry e;
      e.Text = c->GetDisplayText(r, AItemIndex);
      e.Prepared = criteria->PrepareValue(v);
      e.Value = std::move(v);
      if (byText) e.Key = CollationSortKey(upper ? AnsiUpperCase(e.Text) : e.Text);
      e.Order = Integer(entries.size());
      entries.push_back(std::move(e));
    }
    auto cmp = [byText](const TEntry& a, const TEntry& b) {
      if (byText) {
        const int c = a.Key.compare(b.Key);
        if (c != 0) return c < 0 ? -1 : 1;
      }
      return cxVarCompare(a.Prepared, b.Prepared);
    };
    cxStableSort(entries, cmp);
    // Distinct runs; with a size limit the list keeps the values met first.
    std::vector<size_t> starts;
    for (size_t i = 0; i < entries.size(); ++i)
      if (starts.empty() || cmp(entries[starts.back()], entries[i]) != 0) starts.push_back(i);
    const Integer max = criteria->MaxValueListCount();
    std::vector<char> keep(starts.size(), 1);
    if (max != 0) {
      const Integer room = std::max(0, max - EntryCount());
      if (Integer(starts.size()) > room) {
        std::vector<Integer> firsts;
        firsts.reserve(starts.size());
        for (size_t k = 0; k < starts.size(); ++k) {
          const size_t end = k + 1 < starts.size() ? starts[k + 1] : entries.size();
          Integer first = entries[starts[k]].Order;
          for (size_t j = starts[k]; j < end; ++j) first = std::min(first, entries[j].Order);
          firsts.push_back(first);
        }
        std::vector<Integer> sorted = firsts;
        std::sort(sorted.begin(), sorted.end());
        const Integer limit = room > 0 ? sorted[size_t(room - 1)] : -1;
        for (size_t k = 0; k < starts.size(); ++k) keep[k] = firsts[k] <= limit;
      }
    }
    for (size_t k = 0; k < starts.size(); ++k) {
      if (!keep[k]) continue;
      const size_t end = k + 1 < starts.size() ? starts[k + 1] : entries.size();
      // The first one met among equals is the one shown.
      size_t best = starts[k];
      for (size_t j = starts[k]; j < end; ++j)
        if (entries[j].Order < entries[best].Order) best = j;
      AddEntry(fvkValue, entries[best].Value, entries[best].Text, true);
    }
  }
  if (blanks) AddEntry(fvkBlanks, Variant::Null(), cxDataResourceText(cxSFilterBoxBlanksCaption));
  bool nonBlanks = blanks;
  if (!nonBlanks && FilteredRecordsOnly) {
    TcxFilterCriteriaItem* item = criteria->FindItemByLink(field);
    nonBlanks = item && item->OperatorKind() == focNotNull;
  }
  if (nonBlanks) AddEntry(fvkNonBlanks, Variant::Null(), cxDataResourceText(cxSFilterBoxNonBlanksCaption));
  if (criteria->OnGetValueList) criteria->OnGetValueList(criteria, AItemIndex, this);
}

TcxDataFilterCriteria::TcxDataFilterCriteria(TcxCustomDataController* AController) : FDataController(AController) {
  SetVersion(3);
}

TcxDataFilterCriteria::~TcxDataFilterCriteria() {
  Destroying = true;
  if (FDataController) {
    auto& extra = FDataController->ExtraFilters();
    extra.erase(std::remove(extra.begin(), extra.end(), this), extra.end());
  }
  FActive = false;
}

TcxDataFilterValueList* TcxDataFilterCriteria::CreateDataValueList() {
  return static_cast<TcxDataFilterValueList*>(CreateValueList());
}

bool TcxDataFilterCriteria::IsFiltering() const {
  return FActive && !HasNoConditions() && !FDataController->IsGridMode();
}

void TcxDataFilterCriteria::SetActive(bool Value) {
  if (FActive == Value) return;
  FActive = Value;
  SignalChanged();
}

TcxFilterCriteriaItem* TcxDataFilterCriteria::FindItemByLink(TObject* ALink) {
  // Conditions answer their controller item as link.
  if (auto* f = dynamic_cast<TcxCustomDataField*>(ALink)) {
    if (!f->Item()) return nullptr;
    ALink = f->Item();
  }
  return TcxFilterCriteria::FindItemByLink(ALink);
}

void TcxDataFilterCriteria::AssignFrom(TPersistent* Source, bool IgnoreLinkNames) {
  if (auto* src = dynamic_cast<TcxDataFilterCriteria*>(Source)) {
    LockChanges();
    try {
      TcxFilterCriteria::AssignFrom(Source, IgnoreLinkNames);
      SetActive(src->FActive);
    } catch (...) {
      UnlockChanges();
      throw;
    }
    UnlockChanges();
    return;
  }
  TcxFilterCriteria::AssignFrom(Source, IgnoreLinkNames);
}

void TcxDataFilterCriteria::AssignEvents(TPersistent* Source) {
  TcxFilterCriteria::AssignEvents(Source);
  if (auto* src = dynamic_cast<TcxDataFilterCriteria*>(Source)) OnGetValueList = src->OnGetValueList;
}

void TcxDataFilterCriteria::DefineProperties(TFiler* Filer) {
  TcxFilterCriteria::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Criteria", [this](TStream* S) { ReadTagged(S); }, [this](TStream* S) { WriteTaggedCurrent(S); },
      HasStoredConditions());
}

Integer TcxDataFilterCriteria::LinkId(TObject* ALink) {
  if (auto* f = dynamic_cast<TcxCustomDataField*>(ALink)) ALink = f->Item();
  return ALink ? FDataController->GetItemID(ALink) : -1;
}

String TcxDataFilterCriteria::LinkName(TObject* ALink) {
  if (auto* f = dynamic_cast<TcxCustomDataField*>(ALink)) ALink = f->Item();
  return ALink ? FDataController->GetItemName(ALink) : String();
}

TObject* TcxDataFilterCriteria::LinkById(Integer AId) { return FDataController->FindItemByID(AId); }

TObject* TcxDataFilterCriteria::LinkByName(const String& AName) { return FDataController->FindItemByName(AName); }

TClass TcxDataFilterCriteria::ItemClass() const { return TcxDataFilterCriteriaItem::StaticClass(); }

TClass TcxDataFilterCriteria::ValueListClass() const { return TcxDataFilterValueList::StaticClass(); }

void TcxDataFilterCriteria::FireChanged() {
  // The criteria of the further filter list never refilter the controller.
  const auto& extra = FDataController->ExtraFilters();
  const bool further = std::find(extra.begin(), extra.end(), this) != extra.end();
  if (further || Destroying || FDataController->IsDestroying() || FDataController->IsLoading()) return;
  if (!FInApply) {
    FInApply = true;
    try {
      if (!FDataController->Provider()->SourceIsOpen()) FDataController->Post(false);
      FDataController->FilterChanged();
    } catch (...) {
      FInApply = false;
      throw;
    }
    FInApply = false;
  }
  TcxFilterCriteria::FireChanged();
}
