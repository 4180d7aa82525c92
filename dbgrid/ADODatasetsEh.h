// The dataset features of the ADO datasets: a TADOQuery sorts and filters
// through its SQL, every other ADO dataset through its CommandText; local
// sorting sets the ADO cursor's Sort, and dates are written as Access date
// literals.
#pragma once
#include "DbUtilsEh.h"

class TCustomADODataSet;

class TADOSQLDatasetFeaturesEh : public TSQLDatasetFeaturesEh {
  TOVANI_CLASS(TADOSQLDatasetFeaturesEh, TSQLDatasetFeaturesEh)
 public:
  TADOSQLDatasetFeaturesEh();
  void ApplySorting(TCustomDBGridEh* Grid, TDataSet* DataSet, bool IsReopen) override;
};

class TADOCommandTextDatasetFeaturesEh : public TCommandTextDatasetFeaturesEh {
  TOVANI_CLASS(TADOCommandTextDatasetFeaturesEh, TCommandTextDatasetFeaturesEh)
 public:
  TADOCommandTextDatasetFeaturesEh();
  void ApplySorting(TCustomDBGridEh* Grid, TDataSet* DataSet, bool IsReopen) override;
};

// "[A], [B] DESC" from the grid's sort-marked columns into the dataset's
// Sort; the dataset stays open.
void ApplyADOSortString(TCustomDBGridEh* Grid, TDataSet* DataSet);
String ADODateValueToSQLLiteral(TDataSet* DataSet, const Variant& Value);

// Registers the two ADO features classes (TADOQuery, then
// TCustomADODataSet); the registry calls it when it is first used.
void RegisterADODatasetsFeaturesEh();
