// Report datasets: the dataset abstraction with its record range, user
// datasets, database datasets with field aliases, the report's list of
// usable datasets and the process-wide list of all of them.
#include <algorithm>
#include <mutex>

#include "Collation.h"
#include "Strings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "TypInfo.h"
#include "frxClass.h"
#include "frxRes.h"

TOVANI_IMPLEMENT_ENUM_INFO(TfrxRangeBegin, "rbFirst", "rbCurrent")
TOVANI_IMPLEMENT_ENUM_INFO(TfrxRangeEnd, "reLast", "reCurrent", "reCount")
TOVANI_IMPLEMENT_ENUM_INFO(TfrxFieldType, "fftNumeric", "fftString", "fftBoolean")
TOVANI_IMPLEMENT_CLASS(TfrxDataSet, TfrxDialogComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxUserDataSet, TfrxDataSet)
TOVANI_IMPLEMENT_CLASS(TfrxCustomDBDataSet, TfrxDataSet)
TOVANI_IMPLEMENT_CLASS(TfrxCustomDatabase, TfrxDialogComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDataSetItem, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TfrxReportDataSets, TCollection)

namespace {

struct TGlobalDataSetList {
  std::recursive_mutex Lock;
  std::vector<TfrxDataSet*> Items;
};

TGlobalDataSetList& GlobalList() {
  static TGlobalDataSetList list;
  return list;
}

}  // namespace

std::vector<TfrxDataSet*> frxGlobalDataSets() {
  std::lock_guard<std::recursive_mutex> lock(GlobalList().Lock);
  return GlobalList().Items;
}

TfrxDataSet* frxFindGlobalDataSet(TfrxReport* Report, const String& Name, TfrxDataSet* Default) {
  if (Name.empty()) return nullptr;
  if (!Report) return Default;
  std::lock_guard<std::recursive_mutex> lock(GlobalList().Lock);
  for (TfrxDataSet* ds : GlobalList().Items) {
    if (AnsiCompareText(ds->UserName(), Name) != 0) continue;
    // A dataset that belongs to another report is not this report's.
    TComponent* owner = ds->Owner();
    if (owner && owner->Is<TfrxReport>() && owner != Report) continue;
    return ds;
  }
  return Default;
}

TfrxDataSet* TfrxComponent::LookupDataSet(TfrxDataSet* Default, const String& AName) {
  TfrxReport* report = GetReport();
  if (!report || report->EngineOptions()->UseGlobalDataSetList) return frxFindGlobalDataSet(report, AName, Default);
  TfrxDataSetItem* item = report->DataSets()->Find(AName);
  return item ? item->DataSet() : nullptr;
}

// ---------------------------------------------------------------------------
// TfrxDataSet

TOVANI_PUBLISHED(TfrxDataSet) {
  Property("Enabled", &TfrxDataSet::Enabled, &TfrxDataSet::SetEnabled).Default(true);
  Property("RangeBegin", &TfrxDataSet::RangeBegin, &TfrxDataSet::SetRangeBegin).Default(rbFirst);
  Property("RangeEnd", &TfrxDataSet::RangeEnd, &TfrxDataSet::SetRangeEnd).Default(reLast);
  Property("RangeEndCount", &TfrxDataSet::RangeEndCount, &TfrxDataSet::SetRangeEndCount).Default(0);
  Property("UserName", &TfrxDataSet::UserName, &TfrxDataSet::SetUserName);
  Property("Description", &TfrxDataSet::Description, &TfrxDataSet::SetDescription);
  Property("OnCheckEOF", &TfrxDataSet::OnCheckEOF);
  Property("OnFirst", &TfrxDataSet::OnFirst);
  Property("OnNext", &TfrxDataSet::OnNext);
  Property("OnPrior", &TfrxDataSet::OnPrior);
}

TfrxDataSet::TfrxDataSet(TComponent* AOwner) : TfrxDialogComponent(AOwner) {
  std::lock_guard<std::recursive_mutex> lock(GlobalList().Lock);
  GlobalList().Items.push_back(this);
}

TfrxDataSet::~TfrxDataSet() {
  std::lock_guard<std::recursive_mutex> lock(GlobalList().Lock);
  auto& items = GlobalList().Items;
  items.erase(std::remove(items.begin(), items.end(), this), items.end());
}

void TfrxDataSet::SetName(const String& Value) {
  if (!Value.empty() && (FUserName.empty() || FUserName == Name())) {
    String old = FUserName;
    FUserName = Value;
    try {
      TfrxDialogComponent::SetName(Value);
    } catch (...) {
      FUserName = old;
      throw;
    }
    return;
  }
  TfrxDialogComponent::SetName(Value);
}

void TfrxDataSet::SetUserName(const String& Value) {
  if (Trim(Value).empty()) throw Exception(frxGetResources()->Get("prInvProp"));
  FUserName = Value;
}

void TfrxDataSet::AddRunError(const String& Text) {
  TfrxReport* report = FReportRef ? FReportRef : GetReport();
  if (report) report->Errors()->Add(report->CurObject + ": " + Text);
}

WideString TfrxDataSet::GetDisplayText(const String&) { return WideString(); }
Integer TfrxDataSet::GetDisplayWidth(const String&) { return 10; }
TfrxFieldType TfrxDataSet::GetFieldType(const String&) { return fftNumeric; }
Variant TfrxDataSet::GetValue(const String&) { return Variant::Null(); }

void TfrxDataSet::Open() {
  if (OnOpen) OnOpen(this);
}

void TfrxDataSet::Close() {
  if (OnClose) OnClose(this);
}

void TfrxDataSet::First() {
  FRecNo = 0;
  FEof = false;
  if (OnFirst) OnFirst(this);
}

void TfrxDataSet::Next() {
  FEof = false;
  ++FRecNo;
  if (FRangeEnd == reCount && FRecNo >= FRangeEndCount) {
    FRecNo = FRangeEndCount - 1;
    FEof = true;
    return;
  }
  if (OnNext) OnNext(this);
}

void TfrxDataSet::Prior() {
  --FRecNo;
  if (OnPrior) OnPrior(this);
}

bool TfrxDataSet::Eof() {
  bool result = FRangeEnd == reCount && (FRecNo >= FRangeEndCount || FEof);
  if (OnCheckEOF) OnCheckEOF(this, result);
  return result;
}

Integer TfrxDataSet::RecordCount() {
  return FRangeBegin == rbFirst && FRangeEnd == reCount ? FRangeEndCount : 0;
}

void TfrxDataSet::GetFieldList(TStrings* List) { List->Clear(); }

bool TfrxDataSet::HasField(const String& FieldName) {
  TStringList list;
  GetFieldList(&list);
  return list.IndexOf(FieldName) >= 0;
}

// ---------------------------------------------------------------------------
// TfrxUserDataSet

TOVANI_PUBLISHED(TfrxUserDataSet) {
  Property("Fields", &TfrxUserDataSet::Fields, &TfrxUserDataSet::SetFields);
  Property("OnGetValue", &TfrxUserDataSet::OnGetValue);
  Property("OnNewGetValue", &TfrxUserDataSet::OnNewGetValue);
}

TfrxUserDataSet::TfrxUserDataSet(TComponent* AOwner)
    : TfrxDataSet(AOwner), FFields(std::make_unique<TStringList>()) {}
TfrxUserDataSet::~TfrxUserDataSet() = default;

TStrings* TfrxUserDataSet::Fields() const { return FFields.get(); }
void TfrxUserDataSet::SetFields(TStrings* Value) { FFields->Assign(Value); }
Integer TfrxUserDataSet::FieldsCount() { return FFields->Count(); }
void TfrxUserDataSet::GetFieldList(TStrings* List) { List->Assign(FFields.get()); }

Variant TfrxUserDataSet::GetValue(const String& Index) {
  Variant v = Variant::Null();
  if (OnGetValue) OnGetValue(Index, v);
  if (OnNewGetValue) OnNewGetValue(this, Index, v);
  return v;
}

WideString TfrxUserDataSet::GetDisplayText(const String& Index) {
  WideString text;
  if (OnGetValue) {
    Variant v = Variant::Null();
    OnGetValue(Index, v);
    text = Utf8ToUtf16(VarToStr(v));
  }
  if (OnNewGetValue) {
    Variant v = Variant::Null();
    OnNewGetValue(this, Index, v);
    text = Utf8ToUtf16(VarToStr(v));
  }
  return text;
}

// ---------------------------------------------------------------------------
// TfrxCustomDBDataSet

TOVANI_PUBLISHED(TfrxCustomDBDataSet) {
  Property("CloseDataSource", &TfrxCustomDBDataSet::CloseDataSource, &TfrxCustomDBDataSet::SetCloseDataSource);
  Property("FieldAliases", &TfrxCustomDBDataSet::FieldAliases, &TfrxCustomDBDataSet::SetFieldAliases);
  Property("OpenDataSource", &TfrxCustomDBDataSet::OpenDataSource, &TfrxCustomDBDataSet::SetOpenDataSource)
      .Default(true);
  Property("OnOpen", &TfrxCustomDBDataSet::OnOpen);
  Property("OnClose", &TfrxCustomDBDataSet::OnClose);
}

TfrxCustomDBDataSet::TfrxCustomDBDataSet(TComponent* AOwner)
    : TfrxDataSet(AOwner), FAliases(std::make_unique<TStringList>()), FFields(std::make_unique<TStringList>()) {
  FFields->SetSorted(true);
  FFields->SetDuplicates(dupIgnore);
}

TfrxCustomDBDataSet::~TfrxCustomDBDataSet() = default;

TStrings* TfrxCustomDBDataSet::FieldAliases() const { return FAliases.get(); }
void TfrxCustomDBDataSet::SetFieldAliases(TStrings* Value) { FAliases->Assign(Value); }

String TfrxCustomDBDataSet::AliasToFieldName(const String& Alias) const {
  for (Integer i = 0; i < FAliases->Count(); ++i) {
    const String& line = (*FAliases)[i];
    size_t eq = line.find('=');
    if (eq == String::npos) continue;
    if (AnsiSameText(line.substr(eq + 1), Alias)) return line.substr(0, eq);
  }
  return Alias;
}

Integer TfrxCustomDBDataSet::FieldsCount() {
  TStringList list;
  GetFieldList(&list);
  return list.Count();
}

// ---------------------------------------------------------------------------
// Dataset items

TOVANI_PUBLISHED(TfrxDataSetItem) {
  Property("DataSet", &TfrxDataSetItem::DataSet, &TfrxDataSetItem::SetDataSet);
  Property("DataSetName", &TfrxDataSetItem::DataSetName, &TfrxDataSetItem::SetDataSetName);
}

void TfrxDataSetItem::SetDataSet(TfrxDataSet* Value) {
  FDataSet = Value;
  FDataSetName = Value ? Value->UserName() : String();
  auto* list = static_cast<TfrxReportDataSets*>(Collection());
  if (Value && list && list->Report()) Value->FreeNotification(list->Report());
}

String TfrxDataSetItem::DataSetName() const { return FDataSet ? FDataSet->UserName() : FDataSetName; }

void TfrxDataSetItem::SetDataSetName(const String& Value) {
  FDataSetName = Value;
  if (Value.empty()) {
    FDataSet = nullptr;
    return;
  }
  auto* list = static_cast<TfrxReportDataSets*>(Collection());
  if (list && list->Report()) {
    TfrxDataSet* ds = list->Report()->LookupDataSet(FDataSet, Value);
    if (ds) {
      FDataSet = ds;
      ds->FreeNotification(list->Report());
    }
  }
}

void TfrxDataSetItem::Assign(TPersistent* Source) {
  if (!Source || !Source->Is<TfrxDataSetItem>()) return;
  auto* item = static_cast<TfrxDataSetItem*>(Source);
  FDataSet = item->FDataSet;
  FDataSetName = item->FDataSetName;
}

TfrxReportDataSets::TfrxReportDataSets(TfrxReport* AReport)
    : TCollection(TfrxDataSetItem::StaticClass()), FReport(AReport) {}

void TfrxReportDataSets::Add(TfrxDataSet* ds) { Add()->SetDataSet(ds); }

TfrxDataSetItem* TfrxReportDataSets::Find(TfrxDataSet* DataSet) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->DataSet() == DataSet) return Items(i);
  return nullptr;
}

TfrxDataSetItem* TfrxReportDataSets::Find(const String& Name) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->DataSet() && AnsiSameText(Items(i)->DataSet()->UserName(), Name)) return Items(i);
  return nullptr;
}

void TfrxReportDataSets::Delete(const String& Name) {
  if (TfrxDataSetItem* item = Find(Name)) delete item;
}

void TfrxReportDataSets::InitializeAll() {
  for (Integer i = 0; i < Count(); ++i)
    if (TfrxDataSet* ds = Items(i)->DataSet()) {
      ds->SetReportRef(FReport);
      ds->Initialize();
    }
}

void TfrxReportDataSets::FinalizeAll() {
  for (Integer i = 0; i < Count(); ++i)
    if (TfrxDataSet* ds = Items(i)->DataSet()) ds->Finalize();
}
