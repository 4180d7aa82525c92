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

 protected:
  void InternalOpen() override;
  void InternalClose() override;

 private:
  std::vector<std::unique_ptr<TRecordData>> FSaved;
};
