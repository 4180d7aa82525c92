// The dataset features of the ADO datasets.
#include "ADODatasetsEh.h"

#include "ADODB.h"
#include "DBGridEh.h"

TOVANI_IMPLEMENT_CLASS(TADOSQLDatasetFeaturesEh, TSQLDatasetFeaturesEh)
TOVANI_IMPLEMENT_CLASS(TADOCommandTextDatasetFeaturesEh, TCommandTextDatasetFeaturesEh)

String ADODateValueToSQLLiteral(TDataSet* DataSet, const Variant& Value) {
  (void)DataSet;
  return DateValueToSQLLiteral("MSACCESS", Value);
}

void ApplyADOSortString(TCustomDBGridEh* Grid, TDataSet* DataSet) {
  String sort;
  const TColumnsEhList& marked = Grid->SortMarkedColumns();
  for (Integer i = 0; i < marked.Count(); ++i) {
    TColumnEh* c = marked[i];
    if (c->Title()->SortMarker() == smNoneEh) continue;
    sort += "[" + c->FieldName() + "]" + (c->Title()->SortMarker() == smUpEh ? " DESC, " : ", ");
  }
  if (!sort.empty()) sort.erase(sort.size() - 2);
  DataSet->SetSort(sort);
}

TADOSQLDatasetFeaturesEh::TADOSQLDatasetFeaturesEh() {
  DateToSQLLiteral = ADODateValueToSQLLiteral;
  LocalFilterUsesLike = true;
}

void TADOSQLDatasetFeaturesEh::ApplySorting(TCustomDBGridEh* Grid, TDataSet* DataSet, bool IsReopen) {
  if (!Grid) return;
  if (Grid->SortLocal()) ApplyADOSortString(Grid, DataSet);
  else TSQLDatasetFeaturesEh::ApplySorting(Grid, DataSet, IsReopen);
}

TADOCommandTextDatasetFeaturesEh::TADOCommandTextDatasetFeaturesEh() {
  DateToSQLLiteral = ADODateValueToSQLLiteral;
  LocalFilterUsesLike = true;
}

void TADOCommandTextDatasetFeaturesEh::ApplySorting(TCustomDBGridEh* Grid, TDataSet* DataSet, bool IsReopen) {
  if (!Grid) return;
  if (Grid->SortLocal()) ApplyADOSortString(Grid, DataSet);
  else TCommandTextDatasetFeaturesEh::ApplySorting(Grid, DataSet, IsReopen);
}

void RegisterADODatasetsFeaturesEh() {
  AddDatasetFeaturesClass<TADOSQLDatasetFeaturesEh>(TADOQuery::StaticClass());
  AddDatasetFeaturesClass<TADOCommandTextDatasetFeaturesEh>(TCustomADODataSet::StaticClass());
}
