// The bridge from the class library's datasets to reports: a TfrxDBDataset
// names a TDataSet (directly or through a TDataSource) and reads its
// records, field values and display texts for a report run.
#pragma once
#include "DB.h"
#include "frxClass.h"

class TfrxDBDataset : public TfrxCustomDBDataSet {
  TOVANI_CLASS(TfrxDBDataset, TfrxCustomDBDataSet)
 public:
  explicit TfrxDBDataset(TComponent* AOwner = nullptr);
  ~TfrxDBDataset() override;

  void Initialize() override;
  void Finalize() override;
  void Open() override;
  void Close() override;
  void First() override;
  void Next() override;
  void Prior() override;
  bool Eof() override;
  Integer RecordCount() override;
  void GetFieldList(TStrings* List) override;
  Variant GetValue(const String& Index) override;
  WideString GetDisplayText(const String& Index) override;
  Integer GetDisplayWidth(const String& Index) override;
  TfrxFieldType GetFieldType(const String& Index) override;
  bool IsBlobField(const String& Index) override;
  void AssignBlobTo(const String& Index, TObject* Target) override;

  // Setting one clears the other.
  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* Value);
  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* Value);
  // The dataset read: DataSet, else the data source's.
  TDataSet* GetDataSet() const;
  // The two references are stored only outside reports (on forms).
  bool ReferencesStored() { return GetReport() == nullptr; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void BeforeClose(TDataSet* Sender);
  void AfterOpen(TDataSet* Sender);
  void Unhook();
  // The bound field of an alias, or null (and the error noted) when the
  // alias is not among them.
  TField* BoundField(const String& Index, bool& Found);

  TDataSet* FDataSet = nullptr;
  TDataSource* FDataSource = nullptr;
  TDataSet* FDS = nullptr;
  TBookmark FBookmark;
  bool FHasBookmark = false;
  bool FInitialized = false;
  bool FHooked = false;
  bool FEofFlag = false;
  TDataSetNotifyEvent FSaveOpenEvent, FSaveCloseEvent;
};
