#include "MemDataSet.h"
#include "DBUtil.h"
#include "TypInfo.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TMemDataSet, TDataSet)

TMemDataSet::TMemDataSet(TComponent* owner) : TDataSet(owner) {}
TMemDataSet::~TMemDataSet() = default;

void TMemDataSet::InternalOpen() {
  if (FieldDefs().Count() == 0) {
    // Persistent data fields define the columns.
    for (TField* f : Fields())
      if (f->FieldKind() == fkData) FieldDefs().Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
  }
  auto& store = RecordStore();
  store = std::move(FSaved);
  FSaved.clear();
  size_t cols = size_t(FieldDefs().Count());
  for (auto& r : store) {
    r->Id = NextRecordId();
    r->Values.resize(cols);
  }
  RecordsReplaced();
}

void TMemDataSet::InternalClose() { FSaved = std::move(RecordStore()); }

void TMemDataSet::EmptyDataSet() {
  FSaved.clear();
  if (Active()) {
    CheckBrowseMode();
    RecordStore().clear();
    RebuildView();
    Resync();
  }
}

void TMemDataSet::SetMasterFields(const String& v) {
  FMasterFields = v;
  if (Active()) ChangeView(nullptr);
}

void TMemDataSet::SetDetailFields(const String& v) {
  FDetailFields = v;
  if (Active()) ChangeView(nullptr);
}

bool TMemDataSet::RecordInView(const TRecordData* rec) {
  TDataSource* src = DataSource();
  TDataSet* master = src ? src->DataSet() : nullptr;
  if (!master || FMasterFields.empty()) return true;
  if (!master->Active() || master->IsEmpty()) return false;
  std::vector<String> mnames = SplitFieldNames(FMasterFields);
  std::vector<String> dnames = SplitFieldNames(FDetailFields.empty() ? FMasterFields : FDetailFields);
  for (size_t i = 0; i < mnames.size() && i < dnames.size(); ++i) {
    TField* mf = master->FieldByName(mnames[i]);
    TField* df = FieldByName(dnames[i]);
    TDBValue mv = VariantToDBValue(mf->AsVariant(), StorageKindOf(df->DataType()));
    if (DBValueIsNull(mv) || CompareDBValues(RecordFieldValue(rec, df), mv, StorageKindOf(df->DataType()), false) != 0)
      return false;
  }
  return true;
}

void TMemDataSet::MasterChanged() {
  if (!Active() || FMasterFields.empty()) return;
  CheckBrowseMode();
  ChangeView(nullptr);
}

void TMemDataSet::DoOnNewRecord() {
  TDataSource* src = DataSource();
  TDataSet* master = src ? src->DataSet() : nullptr;
  if (master && master->Active() && !master->IsEmpty() && !FMasterFields.empty()) {
    std::vector<String> mnames = SplitFieldNames(FMasterFields);
    std::vector<String> dnames = SplitFieldNames(FDetailFields.empty() ? FMasterFields : FDetailFields);
    for (size_t i = 0; i < mnames.size() && i < dnames.size(); ++i)
      FieldByName(dnames[i])->SetAsVariant(master->FieldByName(mnames[i])->AsVariant());
  }
  TDataSet::DoOnNewRecord();
}

TOVANI_PUBLISHED(TMemDataSet) {
  Property<TDataSource*>("DataSource", [](TMemDataSet* d) { return d->DataSource(); },
                         [](TMemDataSet* d, TDataSource* v) { d->SetDataSource(v); });
  Property("MasterFields", &TMemDataSet::MasterFields, &TMemDataSet::SetMasterFields);
  Property("DetailFields", &TMemDataSet::DetailFields, &TMemDataSet::SetDetailFields);
}
