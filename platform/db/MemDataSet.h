// An in-memory dataset: define FieldDefs (or persistent fields), Open, and
// edit. Its records live as long as the object (closing keeps them), which
// makes it the fixture of choice for tests of the data-aware libraries.
#pragma once
#include "DB.h"

class TMemDataSet : public TDataSet {
  TOVANI_CLASS(TMemDataSet, TDataSet)
 public:
  explicit TMemDataSet(TComponent* owner = nullptr);
  ~TMemDataSet() override;
  // Opens with the field definitions (made from persistent fields when
  // there are no definitions).
  void CreateDataSet() { Open(); }
  // Drops every record (open or closed).
  void EmptyDataSet();

  // Master/detail: only the records whose DetailFields equal the master's
  // MasterFields are shown; new records take the master's values.
  void SetDataSource(TDataSource* ds) { SetMasterSource(ds); }
  const String& MasterFields() const { return FMasterFields; }
  void SetMasterFields(const String& v);
  const String& DetailFields() const { return FDetailFields; }
  void SetDetailFields(const String& v);

 protected:
  void InternalOpen() override;
  void InternalClose() override;
  bool RecordInView(const TRecordData* rec) override;
  void MasterChanged() override;
  void DoOnNewRecord() override;

 private:
  std::vector<std::unique_ptr<TRecordData>> FSaved;
  String FMasterFields, FDetailFields;
};
