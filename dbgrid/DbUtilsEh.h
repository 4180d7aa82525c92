// What the data grid asks of a dataset through the dataset-features
// registry (sorting, filtering, text search, record moving, the find
// dialog), the filter-row expression parser and the builders that turn the
// grid's column filters into a dataset Filter text or an SQL condition.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "DB.h"
#include "Variant.h"

class TCustomDBGridEh;
class TColumnEh;
class TStrings;
class TComponent;

// ---------------------------------------------------------------------------
// Filter expressions.

// The ordinals index both operator text tables.
enum TFilterRowOperatorEh : Byte {
  froNone, froEqual, froNotEqual, froGreater, froLess, froGreaterOrEqual, froLessOrEqual, froLike, froNotLike,
  froIn, froNotIn, froNull, froNotNull, froAnd, froOr, froValue
};

enum TFilterValueKindEh : Byte { fvkNone, fvkText, fvkNumber, fvkDateTime, fvkBoolean };

// A parsed filter-row text: up to two conditions joined by AND or OR.
struct TSTFilterExpressionEh {
  TFilterValueKindEh ValueKind = fvkNone;   // set by the caller before parsing
  TFilterRowOperatorEh FirstOperator = froNone;
  Variant FirstOperand = Variant::Null();
  TFilterRowOperatorEh Junction = froNone;
  TFilterRowOperatorEh SecondOperator = froNone;
  Variant SecondOperand = Variant::Null();
};

// The filter-row texts ("=", "~", "In", ...) and the filter and SQL texts
// ("=", "LIKE", "IN", "IS NULL", ...) of the operators.
extern const char* const STFilterOperatorsStrMapEh[16];
extern const char* const STFilterOperatorsSQLStrMapEh[16];

// The kind of value a column filter compares for a field type.
TFilterValueKindEh STFldTypeMapEh(TFieldType DataType);

extern const char* const SQuoteIsAbsentEh;
extern const char* const SLeftBracketExpectedEh;
extern const char* const SRightBracketExpectedEh;
extern const char* const SErrorInExpressionEh;
extern const char* const SUnexpectedExpressionBeforeNullEh;
extern const char* const SUnexpectedExpressionAfterOperatorEh;
extern const char* const SIncorrectExpressionEh;
extern const char* const SUnexpectedANDorOREh;

void ResetFilterExpression(TSTFilterExpressionEh& Expression);
// Raises Exception with one of the messages above followed by the trimmed
// text; number and date operands raise the conversion error of their text.
void ParseFilterExpression(const String& Text, TSTFilterExpressionEh& Expression);

// ---------------------------------------------------------------------------
// Filter text builders.

// A date value as a literal of the dataset's SQL dialect.
using TDateValueToSQLStringProcEh = std::function<String(TDataSet* DataSet, const Variant& Value)>;
// Writes one condition (operator, value, field name) in one of the two forms.
using TOneExpressionFilterStringProcEh =
    std::function<String(TFilterRowOperatorEh O, const Variant& V, const String& FieldName, TDataSet* DataSet,
                         const TDateValueToSQLStringProcEh& DateProc, bool SupportsLike)>;

// Dataset Filter form: " [F] = 'x'", " ([F] = 1 OR [F] = 2)".
String DatasetFilterCondition(TFilterRowOperatorEh O, const Variant& V, const String& FieldName, TDataSet* DataSet,
                              const TDateValueToSQLStringProcEh& DateProc, bool SupportsLike);
// SQL form: " F = 'x'", " F IN (1,2)".
String SQLFilterCondition(TFilterRowOperatorEh O, const Variant& V, const String& FieldName, TDataSet* DataSet,
                          const TDateValueToSQLStringProcEh& DateProc, bool SupportsLike);

// What the builders read of one column's filter. The grid's filter-row
// model answers it for each column (see SetColumnFilterSourceEh).
struct TColumnFilterTermsEh {
  TSTFilterExpressionEh Expression;
  // The field name the filter reports (its own data field, the key fields
  // of a lookup column or the column's field name).
  String FieldName;
  // The filter names a data field of its own (then the field's Origin is
  // not used in the SQL form).
  bool OwnDataField = false;
  // The first value: the matched key values of a list filter, else the
  // expression's first operand.
  Variant FirstValue = Variant::Null();
};

// How the builders and the features reach the grid's filter row: whether a
// grid filters locally, and the terms of a column's filter (false: the
// column has none).
class IGridFilterSourceEh {
 public:
  virtual ~IGridFilterSourceEh() = default;
  virtual bool FilterIsLocal(TCustomDBGridEh* Grid) = 0;
  virtual bool GetColumnFilterTerms(TColumnEh* Column, TColumnFilterTermsEh& Terms) = 0;
};
void SetGridFilterSourceEh(IGridFilterSourceEh* Source);
IGridFilterSourceEh* GridFilterSourceEh();

String BuildColumnFilterText(TColumnEh* Column, const TOneExpressionFilterStringProcEh& Writer,
                             const TDateValueToSQLStringProcEh& DateProc, bool UseFieldOrigin, bool SupportsLike);
// The AND of every column's filter; empty without an active dataset.
String BuildGridFilterText(TCustomDBGridEh* Grid, const TOneExpressionFilterStringProcEh& Writer,
                           const TDateValueToSQLStringProcEh& DateProc, bool UseFieldOrigin, bool SupportsLike);

// ---------------------------------------------------------------------------
// Text search.

enum TLocateTextOptionEh { ltoCaseInsensitiveEh, ltoAllColumnsEh, ltoMatchFormatEh, ltoUnusedEh, ltoStopOnEscape };
using TLocateTextOptionsEh = TSet<TLocateTextOptionEh>;
enum TLocateTextDirectionEh { ltdUpEh, ltdDownEh, ltdAllEh };
enum TLocateTextMatchingEh { ltmAnyPartEh, ltmWholeEh, ltmFromBegining };
enum TLocateTextTreeFindRangeEh { lttInAllNodesEh, lttInExpandedNodesEh, lttInCurrentLevelEh, lttInCurrentNodeEh };

// Searches the grid's rows for Text (see the find dialog); the grid's
// position is restored when nothing matches. A field name the grid shows
// no column for raises the grid's error.
bool LocateTextInGrid(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                      TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                      TLocateTextMatchingEh Matching);

// ---------------------------------------------------------------------------
// Dataset features.

class TDatasetFeaturesEh : public TObject {
  TOVANI_CLASS(TDatasetFeaturesEh, TObject)
 public:
  TDatasetFeaturesEh() = default;
  TClass RegisteredClass() const { return FRegisteredClass; }
  void SetRegisteredClass(TClass v) { FRegisteredClass = v; }

  virtual bool LocateText(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                          TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                          TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh TreeFindRange);
  virtual bool MoveRecords(TCustomDBGridEh* Grid, TStrings* BookmarkList, Integer ToRecNo, bool CheckOnly);
  virtual void ApplySorting(TCustomDBGridEh* Grid, TDataSet* DataSet, bool IsReopen) {}
  virtual void ApplyFilter(TCustomDBGridEh* Grid, TDataSet* DataSet, bool IsReopen) {}
  virtual void ExecuteFindDialog(TCustomDBGridEh* Grid, const String& Text, const String& FieldName, bool Modal);

 private:
  TClass FRegisteredClass = nullptr;
};

// Sorts and filters by rewriting the SQL text kept in a published property
// of the dataset, or filters through the dataset's own Filter.
class TSQLDatasetFeaturesEh : public TDatasetFeaturesEh {
  TOVANI_CLASS(TSQLDatasetFeaturesEh, TDatasetFeaturesEh)
 public:
  TSQLDatasetFeaturesEh();
  void ApplySorting(TCustomDBGridEh* Grid, TDataSet* DataSet, bool IsReopen) override;
  void ApplyFilter(TCustomDBGridEh* Grid, TDataSet* DataSet, bool IsReopen) override;

  bool OrderByFieldNames = false;
  String TextPropertyName = "SQL";
  TDateValueToSQLStringProcEh DateToSQLLiteral;
  bool LocalFilterUsesLike = false;
};

class TCommandTextDatasetFeaturesEh : public TSQLDatasetFeaturesEh {
  TOVANI_CLASS(TCommandTextDatasetFeaturesEh, TSQLDatasetFeaturesEh)
 public:
  TCommandTextDatasetFeaturesEh();
};

using TDatasetFeaturesFactoryEh = std::function<TDatasetFeaturesEh*()>;

// Makes one features object and enters it for the dataset class (a second
// registration under the same class name, in any letter case, replaces the
// first one's object in its place).
void RegisterDatasetFeaturesEh(const TDatasetFeaturesFactoryEh& Factory, TClass DataSetClass);
template <class F>
void AddDatasetFeaturesClass(TClass DataSetClass) {
  RegisterDatasetFeaturesEh([] { return new F(); }, DataSetClass);
}
// The object registered for the nearest class in the dataset's ancestry.
TDatasetFeaturesEh* GetDatasetFeaturesForDataSet(TDataSet* DataSet);
TDatasetFeaturesEh* GetDatasetFeaturesForDataSetClass(TClass DataSetClass);
// Number of registry entries and the class name of one (for tests).
Integer DatasetFeaturesCount();
String DatasetFeaturesClassName(Integer Index);

// ---------------------------------------------------------------------------
// SQL texts.

extern const char* const SNotSQLBasedDatasetEh;
extern const char* const SSortInLocalModeEh;

// A published text property: a string or the Text of a TStrings object.
// False when the dataset has no such property or it is of another kind.
// A failure while reading a TStrings property propagates (a rewrite must
// never go on with part of the text).
bool GetDataSetTextProperty(TDataSet* DataSet, const String& PropName, String& Text);
void SetDataSetTextProperty(TDataSet* DataSet, const String& PropName, const String& Text);

void ApplySortingToSQLText(TCustomDBGridEh* Grid, TDataSet* DataSet, bool UseFieldName, const String& PropName,
                           bool IsReopen);
void ApplyFilterToSQLText(TCustomDBGridEh* Grid, const TDateValueToSQLStringProcEh& DateProc, bool IsReopen,
                          const String& PropName);
// "MSACCESS" gives #MM/DD/YYYY#, "ORACLE" TO_DATE(...), every other dialect
// the quoted default text.
String DateValueToSQLLiteral(const String& Dialect, const Variant& Value);

// ---------------------------------------------------------------------------
// The find dialog, opened for a grid by the grid center; the find-dialog
// unit installs it.

using TColumnFieldsArrEh = std::vector<String>;
using TExecuteFindDialogProcEh = std::function<void(TCustomDBGridEh* Grid, const String& Text,
                                                    const String& FieldName, const TColumnFieldsArrEh& ColumnFields,
                                                    bool Modal)>;
extern TExecuteFindDialogProcEh ExecuteDBGridEhFindDialogProc;
