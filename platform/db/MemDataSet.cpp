#include "MemDataSet.h"

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
