// The filter-row parser and the filter text builders, the dataset-features
// registry with the ADO adapters sorting and filtering a real SQLite query,
// SQL date literals and the text search over a grid's rows.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "ADODB.h"
#include "ADODatasetsEh.h"
#include "DBGridEh.h"
#include "DateUtils.h"
#include "DbUtilsEh.h"
#include "Forms.h"
#include "FormatSettings.h"
#include "MemDataSet.h"
#include "SysUtils.h"
#include "TestWindows.h"
#include "TypInfo.h"
#include "gtest.h"

namespace {

// ---------------------------------------------------------------------------
// The parser

String OperandText(const Variant& v) {
  if (v.IsNull()) return "null";
  if (v.IsArray()) {
    String r = "[";
    for (Integer i = v.LowBound(); i <= v.HighBound(); ++i) r += (i > v.LowBound() ? "|" : "") + OperandText(v.GetElement(i));
    return r + "]";
  }
  if (v.Kind() == varDouble) return "#" + FloatToStr(v.AsDouble());
  if (v.Kind() == varDate) return "@" + FormatDateTime("yyyy-mm-dd", v.AsDateTime());
  return "'" + VarToStr(v) + "'";
}

TSTFilterExpressionEh Parse(const String& text, TFilterValueKindEh kind) {
  TSTFilterExpressionEh e;
  e.ValueKind = kind;
  ParseFilterExpression(text, e);
  return e;
}

TEST(FilterExpressionParser, ConditionsOperatorsAndValues) {
  struct {
    const char* Text;
    TFilterValueKindEh Kind;
    TFilterRowOperatorEh First;
    const char* FirstOperand;
    TFilterRowOperatorEh Junction;
    TFilterRowOperatorEh Second;
    const char* SecondOperand;
  } cases[] = {
      {"5", fvkNumber, froEqual, "#5", froNone, froNone, "null"},
      {"abc", fvkText, froLike, "'abc'", froNone, froNone, "null"},
      {"1,2,3", fvkNumber, froIn, "[#1|#2|#3]", froNone, froNone, "null"},
      {"in (1,2)", fvkNumber, froIn, "[#1|#2]", froNone, froNone, "null"},
      {"not in (1,2)", fvkNumber, froNotIn, "[#1|#2]", froNone, froNone, "null"},
      {"!In ('a','b')", fvkText, froNotIn, "['a'|'b']", froNone, froNone, "null"},
      {"=null", fvkNumber, froNull, "null", froNone, froNone, "null"},
      {"<>null", fvkText, froNotNull, "null", froNone, froNone, "null"},
      {"!= NULL", fvkText, froNotNull, "null", froNone, froNone, "null"},
      {">=10 and <20", fvkNumber, froGreaterOrEqual, "#10", froAnd, froLess, "#20"},
      {">=10 and", fvkNumber, froGreaterOrEqual, "#10", froAnd, froNone, "null"},
      {"<5 | >10", fvkNumber, froLess, "#5", froOr, froGreater, "#10"},
      {"android", fvkText, froLike, "'android'", froNone, froNone, "null"},
      {"a and b", fvkText, froLike, "'a'", froAnd, froLike, "'b'"},
      {"a=b", fvkText, froLike, "'a=b'", froNone, froNone, "null"},
      {"~ab", fvkText, froLike, "'ab'", froNone, froNone, "null"},
      {"not like 'x y'", fvkText, froNotLike, "'x y'", froNone, froNone, "null"},
      {"!~x", fvkText, froNotLike, "'x'", froNone, froNone, "null"},
      {"  >  2024-01-05  ", fvkDateTime, froGreater, "@2024-01-05", froNone, froNone, "null"},
      {"张三", fvkText, froLike, "'张三'", froNone, froNone, "null"},
      {"", fvkText, froNone, "null", froNone, froNone, "null"},
      {"   ", fvkNumber, froNone, "null", froNone, froNone, "null"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    TSTFilterExpressionEh e = Parse(c.Text, c.Kind);
    EXPECT_EQ(e.ValueKind, c.Kind);
    EXPECT_EQ(e.FirstOperator, c.First);
    EXPECT_EQ(OperandText(e.FirstOperand), c.FirstOperand);
    EXPECT_EQ(e.Junction, c.Junction);
    EXPECT_EQ(e.SecondOperator, c.Second);
    EXPECT_EQ(OperandText(e.SecondOperand), c.SecondOperand);
  }
}

TEST(FilterExpressionParser, ErrorMessagesCarryTheWholeText) {
  struct {
    const char* Text;
    TFilterValueKindEh Kind;
    const char* Message;
  } cases[] = {
      {"'abc", fvkText, "Quote is absent: 'abc"},
      {"in 1,2", fvkNumber, "'(' expected: in 1,2"},
      {"in (1,2", fvkNumber, "')' expected: in (1,2"},
      {"(", fvkNumber, "Error in expression: ("},
      {">null", fvkNumber, "Unexpected expression before Null: >null"},
      {"null", fvkNumber, "Unexpected expression after operator: null"},
      {"> >", fvkNumber, "Unexpected expression after operator: > >"},
      {"in (1) 5", fvkNumber, "Unexpected AND or OR: in (1) 5"},
      {"'a' 'b'", fvkText, "Unexpected AND or OR: 'a' 'b'"},
      {"'it''s'", fvkText, "Unexpected AND or OR: 'it''s'"},
      {"5 ((", fvkNumber, "Incorrect expression: 5 (("},
      {" >=10 and (( ", fvkNumber, "Incorrect expression: >=10 and (("},
      {"'a' )", fvkText, "Unexpected AND or OR: 'a' )"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    try {
      Parse(c.Text, c.Kind);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
  }
  // A number that is none raises the conversion error of its text (an
  // unknown word is part of the value, blanks included).
  EXPECT_THROW(Parse("5x", fvkNumber), EConvertError);
  EXPECT_THROW(Parse(">=10 xor 5", fvkNumber), EConvertError);
  EXPECT_EQ(OperandText(Parse("New York", fvkText).FirstOperand), "'New York'");
}

TEST(FilterExpressionParser, CommaDecimalSeparatorKeepsCommasInNumbers) {
  FormatSettings().DecimalSeparator = ',';
  TSTFilterExpressionEh e = Parse("1,5", fvkNumber);
  TSTFilterExpressionEh t = Parse("1,5", fvkText);
  TSTFilterExpressionEh in = Parse("in (1,5)", fvkText);
  ResetFormatSettings();
  EXPECT_EQ(e.FirstOperator, froEqual);
  EXPECT_DOUBLE_EQ(e.FirstOperand.AsDouble(), 1.5);
  EXPECT_EQ(t.FirstOperator, froIn);
  EXPECT_EQ(in.FirstOperator, froIn);
  EXPECT_EQ(OperandText(in.FirstOperand), "['1'|'5']");
}

// ---------------------------------------------------------------------------
// The builders, fed through a filter-row stand-in: each column's filter is
// its parsed text.

class TTestFilterSource : public IGridFilterSourceEh {
 public:
  bool Local = true;
  std::map<TColumnEh*, TColumnFilterTermsEh> Filters;
  bool FilterIsLocal(TCustomDBGridEh*) override { return Local; }
  bool GetColumnFilterTerms(TColumnEh* Column, TColumnFilterTermsEh& Terms) override {
    auto it = Filters.find(Column);
    if (it == Filters.end()) return false;
    Terms = it->second;
    return true;
  }
  void Set(TColumnEh* Column, const String& Text) {
    TColumnFilterTermsEh t;
    t.Expression.ValueKind = STFldTypeMapEh(Column->Field()->DataType());
    ParseFilterExpression(Text, t.Expression);
    t.FieldName = Column->FieldName();
    t.FirstValue = t.Expression.FirstOperand;
    Filters[Column] = t;
  }
};

class FilterSourceFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Saved = GridFilterSourceEh();
    SetGridFilterSourceEh(&Filters);
  }
  void TearDown() override { SetGridFilterSourceEh(Saved); }
  TTestFilterSource Filters;
  IGridFilterSourceEh* Saved = nullptr;
};

class BuilderFixture : public FilterSourceFixture {
 protected:
  void SetUp() override {
    FilterSourceFixture::SetUp();
    Data.FieldDefs().Add("Price", ftFloat);
    Data.FieldDefs().Add("Name", ftString, 20);
    Data.FieldDefs().Add("Day", ftDate);
    Data.CreateDataSet();
    const char* names[] = {"O'Brien", "Smith", "张三", "Brown"};
    for (int i = 0; i < 4; ++i)
      Data.AppendRecord({Variant(double(i * 5)), Variant(String(names[i])), Variant::FromDate(45296 + i)});
    Source.SetDataSet(&Data);
    Grid = std::make_unique<TDBGridEh>();
    Grid->SetDataSource(&Source);
  }
  void TearDown() override {
    Grid.reset();
    FilterSourceFixture::TearDown();
  }
  TColumnEh* Column(const char* f) { return Grid->ColumnByFieldName(f); }
  String FilterText(bool like = true) { return BuildGridFilterText(Grid.get(), DatasetFilterCondition, {}, false, like); }
  String SQLText() { return BuildGridFilterText(Grid.get(), SQLFilterCondition, ADODateValueToSQLLiteral, true, false); }
  Integer FilteredCount() {
    Data.SetFilter(FilterText());
    Data.SetFiltered(true);
    Integer n = Data.RecordCount();
    Data.SetFiltered(false);
    return n;
  }
  TMemDataSet Data;
  TDataSource Source;
  std::unique_ptr<TDBGridEh> Grid;
};

TEST_F(BuilderFixture, ColumnFiltersInBothForms) {
  struct {
    const char* Field;
    const char* Text;
    const char* Filter;
    const char* SQL;
    Integer Count;
  } cases[] = {
      {"Price", "<5 or >10", "( [Price] < 5 OR [Price] > 10) ", "( Price < 5 OR Price > 10) ", 2},
      {"Price", "in (5,10)", " ([Price] = 5 OR [Price] = 10) ", " Price IN (5,10) ", 2},
      {"Price", "not in (5,10)", " ([Price] <> 5 AND [Price] <> 10) ", " Price NOT IN (5,10) ", 2},
      {"Price", ">=5 and", " [Price] >= 5 ", " Price >= 5 ", 3},
      {"Name", "O'Brien", " [Name] Like 'O''Brien' ", " Name LIKE 'O''Brien' ", 1},
      {"Name", "~ab", " [Name] Like 'ab' ", " Name LIKE 'ab' ", 0},
      {"Name", "=null", " [Name] IS NULL ", " Name IS NULL ", 0},
      {"Day", ">=2024-01-06", "", " Day >= #01/06/2024# ", 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    Filters.Filters.clear();
    Filters.Set(Column(c.Field), c.Text);
    EXPECT_EQ(SQLText(), c.SQL);
    if (String(c.Field) == "Day") {
      // The local form writes the profile's default date text.
      EXPECT_EQ(FilterText(), " [Day] >= '" + DateTimeToStr(StrToDate("2024-01-06")) + "' ");
    } else {
      EXPECT_EQ(FilterText(), c.Filter);
    }
    EXPECT_EQ(FilteredCount(), c.Count);
  }
}

TEST_F(BuilderFixture, GridTextJoinsColumnsWithAndAndLikeCanBeOff) {
  Filters.Set(Column("Price"), ">0");
  Filters.Set(Column("Name"), "!~Smith");
  EXPECT_EQ(FilterText(), " [Price] > 0 AND  [Name] Not Like 'Smith' ");
  EXPECT_EQ(FilterText(false), " [Price] > 0 AND  [Name] <> 'Smith' ");
  EXPECT_EQ(FilteredCount(), 2);
  // The SQL form takes the field's Origin unless the filter names its own
  // data field.
  Column("Name")->Field()->SetOrigin("Customers.C_Name");
  EXPECT_EQ(SQLText(), " Price > 0 AND  Customers.C_Name NOT LIKE 'Smith' ");
  Filters.Filters[Column("Name")].OwnDataField = true;
  EXPECT_EQ(SQLText(), " Price > 0 AND  Name NOT LIKE 'Smith' ");
  // No active dataset: nothing.
  Data.Close();
  EXPECT_EQ(FilterText(), "");
}

// ---------------------------------------------------------------------------
// Registry

TEST(DatasetFeaturesRegistry, NearestRegisteredAncestorWins) {
  TADOQuery q;
  TADOTable t;
  TADODataSet d;
  TMemDataSet m;
  EXPECT_TRUE(GetDatasetFeaturesForDataSet(&q)->Is<TADOSQLDatasetFeaturesEh>());
  EXPECT_TRUE(GetDatasetFeaturesForDataSet(&t)->Is<TADOCommandTextDatasetFeaturesEh>());
  EXPECT_TRUE(GetDatasetFeaturesForDataSet(&d)->Is<TADOCommandTextDatasetFeaturesEh>());
  EXPECT_EQ(GetDatasetFeaturesForDataSet(&m), nullptr);
  EXPECT_EQ(static_cast<TSQLDatasetFeaturesEh*>(GetDatasetFeaturesForDataSet(&q))->TextPropertyName, "SQL");
  EXPECT_EQ(static_cast<TSQLDatasetFeaturesEh*>(GetDatasetFeaturesForDataSet(&t))->TextPropertyName, "CommandText");
  // A second registration under the same name (any case) takes the first
  // one's place; the order stays.
  Integer n = DatasetFeaturesCount();
  String first = DatasetFeaturesClassName(0);
  AddDatasetFeaturesClass<TCommandTextDatasetFeaturesEh>(TADOQuery::StaticClass());
  EXPECT_EQ(DatasetFeaturesCount(), n);
  EXPECT_EQ(DatasetFeaturesClassName(0), first);
  EXPECT_EQ(GetDatasetFeaturesForDataSet(&q)->ClassType(), TCommandTextDatasetFeaturesEh::StaticClass());
  AddDatasetFeaturesClass<TADOSQLDatasetFeaturesEh>(TADOQuery::StaticClass());
  EXPECT_TRUE(GetDatasetFeaturesForDataSet(&q)->Is<TADOSQLDatasetFeaturesEh>());
  // A features class without a dataset class is not entered.
  AddDatasetFeaturesClass<TSQLDatasetFeaturesEh>(nullptr);
  EXPECT_EQ(DatasetFeaturesCount(), n);
}

TEST(SQLDateLiterals, AccessLiteralIsMonthFirstWhateverTheSeparator) {
  FormatSettings().DateSeparator = '.';
  Variant d = Variant::FromDate(EncodeDate(2024, 1, 5) + 0.75);
  EXPECT_EQ(DateValueToSQLLiteral("msaccess", d), "#01/05/2024#");
  EXPECT_EQ(ADODateValueToSQLLiteral(nullptr, d), "#01/05/2024#");
  EXPECT_EQ(FormatSettings().DateSeparator, '.');
  ResetFormatSettings();
  EXPECT_EQ(DateValueToSQLLiteral("ORACLE", d), "TO_DATE('2024-01-05','yyyy-mm-dd')");
  EXPECT_EQ(DateValueToSQLLiteral("MSSQL", d), "'" + VarToStr(d) + "'");
}

// ---------------------------------------------------------------------------
// A real SQLite query

std::string FreshDatabase(const char* name) {
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-dbutils-tests";
  ::mkdir(dir.c_str(), 0755);
  std::string path = dir + "/" + name;
  // An empty file is an empty database; the tables are made through the
  // connection.
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f) std::fclose(f);
  return path;
}

class QueryFixture : public FilterSourceFixture {
 protected:
  void SetUp() override {
    FilterSourceFixture::SetUp();
    Filters.Local = false;
    Conn.SetLoginPrompt(false);
    Conn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + FreshDatabase("data.mdb"));
    Conn.Open();
    Conn.Execute("CREATE TABLE Customers (C_ID INTEGER PRIMARY KEY, C_NO TEXT(20), C_Name TEXT(50), "
                 "C_City TEXT(20), C_Date DATETIME)");
    Conn.Execute("INSERT INTO Customers VALUES (1, 'K001', 'O''Brien', 'Beijing', #01/04/2024#);"
                 "INSERT INTO Customers VALUES (2, 'K002', '张三', 'Shanghai', #01/05/2024#);"
                 "INSERT INTO Customers VALUES (3, 'K003', 'Smith', 'Beijing', #01/06/2024#);"
                 "INSERT INTO Customers VALUES (4, 'K004', 'Brown', 'Guangzhou', #02/01/2024#)");
    Query.SetConnection(&Conn);
    Query.SQL()->SetText("SELECT C_ID, C_NO, C_Name, C_City, C_Date FROM Customers\r\n"
                         "WHERE\r\n"
                         "/*FILTER*/ 1=1\r\n"
                         "ORDER BY C_ID");
    Query.Open();
    Source.SetDataSet(&Query);
    Grid = std::make_unique<TDBGridEh>();
    Grid->SetDataSource(&Source);
    Grid->SetOptionsEh(Grid->OptionsEh() + dghMultiSortMarking);
  }
  void TearDown() override {
    Grid.reset();
    Query.Close();
    Conn.Close();
    FilterSourceFixture::TearDown();
  }
  void Mark(const char* field, TSortMarkerEh marker) {
    Grid->ColumnByFieldName(field)->Title()->SetSortMarker(marker);
  }
  String Ids() {
    String r;
    for (Query.First(); !Query.Eof(); Query.Next()) r += Query.FieldByName("C_ID")->AsString();
    return r;
  }
  TADOConnection Conn;
  TADOQuery Query;
  TDataSource Source;
  std::unique_ptr<TDBGridEh> Grid;
};

TEST_F(QueryFixture, OrderByRewriteReopensTheQuery) {
  Mark("C_City", smDownEh);
  Mark("C_Name", smUpEh);
  Grid->ApplySorting();
  // Field numbers.
  EXPECT_EQ(Query.SQL()->Strings(3), "ORDER BY 4, 3 DESC");
  EXPECT_TRUE(Query.Active());
  EXPECT_EQ(Ids(), "3142");
  // By field names; nothing marked gives an empty line.
  static_cast<TSQLDatasetFeaturesEh*>(GetDatasetFeaturesForDataSet(&Query))->OrderByFieldNames = true;
  Grid->ApplySorting();
  static_cast<TSQLDatasetFeaturesEh*>(GetDatasetFeaturesForDataSet(&Query))->OrderByFieldNames = false;
  EXPECT_EQ(Query.SQL()->Strings(3), "ORDER BY C_City, C_Name DESC");
  Mark("C_City", smNoneEh);
  Mark("C_Name", smNoneEh);
  Grid->ApplySorting();
  EXPECT_EQ(Query.SQL()->Strings(3), "");
  // Without a clause one is appended.
  Query.SQL()->SetText("SELECT * FROM Customers");
  Query.Open();
  Mark("C_ID", smUpEh);
  Grid->ApplySorting();
  ASSERT_EQ(Query.SQL()->Count(), 2);
  EXPECT_EQ(Query.SQL()->Strings(1), "ORDER BY 1 DESC");
  EXPECT_EQ(Ids(), "4321");
  // An ORDER BY that begins with a blank is not the clause either.
  Query.SQL()->SetText("SELECT * FROM Customers\r\n ORDER BY C_ID");
  Query.Open();
  Mark("C_ID", smUpEh);
  EXPECT_THROW(Grid->ApplySorting(), EADOError);
  ASSERT_EQ(Query.SQL()->Count(), 3);
  EXPECT_EQ(Query.SQL()->Strings(2), "ORDER BY 1 DESC");
  // Only the ORDER BY line is replaced: the continuation line of an old
  // multi-line clause stays, and the error of reopening such a text
  // propagates with the controls enabled again.
  Query.SQL()->SetText("SELECT * FROM Customers\r\nORDER BY C_City,\r\n  C_NO");
  Query.Open();
  Mark("C_ID", smDownEh);
  EXPECT_THROW(Grid->ApplySorting(), EADOError);
  EXPECT_EQ(Query.SQL()->Strings(1), "ORDER BY 1");
  EXPECT_EQ(Query.SQL()->Strings(2), "  C_NO");
  EXPECT_FALSE(Query.ControlsDisabled());
}

TEST_F(QueryFixture, LocalSortingSetsTheCursorSort) {
  Grid->SetSortLocal(true);
  Mark("C_City", smDownEh);
  Mark("C_ID", smUpEh);
  String sql = Query.SQL()->Text();
  Grid->ApplySorting();
  EXPECT_EQ(Query.Sort(), "[C_City], [C_ID] DESC");
  EXPECT_EQ(Query.SQL()->Text(), sql);
  EXPECT_EQ(Ids(), "3142");
  Mark("C_City", smNoneEh);
  Mark("C_ID", smNoneEh);
  Grid->ApplySorting();
  EXPECT_EQ(Query.Sort(), "");
  // The plain SQL features refuse local mode.
  TSQLDatasetFeaturesEh plain;
  try {
    plain.ApplySorting(Grid.get(), &Query, true);
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "TSQLDatasetFeaturesEh can not sort data in dataset \"\" in local mode");
  }
}

TEST_F(QueryFixture, FilterRewriteRunsAgainstSqlite) {
  TColumnEh* name = Grid->ColumnByFieldName("C_Name");
  TColumnEh* date = Grid->ColumnByFieldName("C_Date");
  Filters.Set(name, "O'Brien or 张三");
  GetGridEhCenter()->ApplyFilter(Grid.get());
  EXPECT_EQ(Query.SQL()->Strings(2), "/*FILTER*/ (( C_Name LIKE 'O''Brien' OR C_Name LIKE '张三') )");
  EXPECT_TRUE(Query.Active());
  EXPECT_EQ(Ids(), "12");
  Filters.Filters.clear();
  Filters.Set(date, ">=2024-01-05 and <2024-02-01");
  GetGridEhCenter()->ApplyFilter(Grid.get());
  EXPECT_EQ(Query.SQL()->Strings(2), "/*FILTER*/ ( C_Date >= #01/05/2024# AND C_Date < #02/01/2024# )");
  EXPECT_EQ(Ids(), "23");
  // A value that tries to add a condition of its own stays one text.
  Filters.Filters.clear();
  Filters.Set(name, "x'OR'1'='1");
  GetGridEhCenter()->ApplyFilter(Grid.get());
  EXPECT_EQ(Ids(), "");
  // No filter: 1=1.
  Filters.Filters.clear();
  GetGridEhCenter()->ApplyFilter(Grid.get());
  EXPECT_EQ(Query.SQL()->Strings(2), "/*FILTER*/ (1=1)");
  EXPECT_EQ(Ids(), "1234");
  // Without a marker line the text is never changed.
  Query.SQL()->SetText("SELECT * FROM Customers");
  Query.Open();
  Filters.Set(name, "Smith");
  GetGridEhCenter()->ApplyFilter(Grid.get());
  EXPECT_EQ(Query.SQL()->Text(), "SELECT * FROM Customers\r\n");
}

TEST_F(QueryFixture, LocalFilterSetsTheDatasetFilter) {
  Filters.Local = true;
  Filters.Set(Grid->ColumnByFieldName("C_City"), "Beijing");
  Filters.Set(Grid->ColumnByFieldName("C_ID"), "!in (1,2)");
  GetGridEhCenter()->ApplyFilter(Grid.get());
  EXPECT_EQ(Query.Filter(), " ([C_ID] <> 1 AND [C_ID] <> 2) AND  [C_City] Like 'Beijing' ");
  EXPECT_TRUE(Query.Filtered());
  EXPECT_EQ(Ids(), "3");
  Filters.Filters.clear();
  GetGridEhCenter()->ApplyFilter(Grid.get());
  EXPECT_EQ(Query.Filter(), "");
  EXPECT_TRUE(Query.Filtered());
  EXPECT_EQ(Ids(), "1234");
}

// A dataset whose SQL text cannot be read.
class TBrokenLines : public TStringList {
 protected:
  String GetTextStr() const override { throw EReadError("SQL text unreadable"); }
};

class TBrokenSQLDataSet : public TMemDataSet {
  TOVANI_CLASS(TBrokenSQLDataSet, TMemDataSet)
 public:
  TStrings* SQL() const { return FLines.get(); }
  std::unique_ptr<TBrokenLines> FLines = std::make_unique<TBrokenLines>();
};

}   // namespace

TOVANI_IMPLEMENT_CLASS(TBrokenSQLDataSet, TMemDataSet)
TOVANI_PUBLISHED(TBrokenSQLDataSet) {
  Property<TStrings*>("SQL", [](TBrokenSQLDataSet* d) { return d->SQL(); }, nullptr);
}

namespace {

TEST(SQLTextRewrite, ReadErrorsPropagateAndOtherDatasetsAreNotSQLBased) {
  TBrokenSQLDataSet broken;
  broken.FieldDefs().Add("A", ftInteger);
  broken.CreateDataSet();
  TDataSource source;
  source.SetDataSet(&broken);
  TDBGridEh grid;
  grid.SetDataSource(&source);
  String text;
  EXPECT_THROW(GetDataSetTextProperty(&broken, "SQL", text), EReadError);
  EXPECT_THROW(ApplySortingToSQLText(&grid, &broken, false, "SQL", true), EReadError);
  EXPECT_TRUE(broken.Active());
  try {
    ApplySortingToSQLText(&grid, &broken, false, "CommandText", true);
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "TBrokenSQLDataSet is not SQL based dataset");
  }
  EXPECT_FALSE(GetDataSetTextProperty(&broken, "Name", text) && text != "");
}

// ---------------------------------------------------------------------------
// Text search

class LocateFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Data.FieldDefs().Add("ID", ftInteger);
    Data.FieldDefs().Add("Name", ftString, 20);
    Data.FieldDefs().Add("City", ftString, 20);
    Data.FieldDefs().Add("Note", ftString, 40);
    Data.CreateDataSet();
    const char* rows[][3] = {{"alpha", "Beijing", "first"},
                             {"Beta", "Shanghai", "needle here"},
                             {"gamma", "Beijing", "third"},
                             {"Alpha2", "Xi'an", "last"}};
    for (int i = 0; i < 4; ++i)
      Data.AppendRecord({Variant(i + 1), Variant(String(rows[i][0])), Variant(String(rows[i][1])),
                         Variant(String(rows[i][2]))});
    Data.First();
    Source.SetDataSet(&Data);
    Form.reset(new TForm(nullptr));
    Form->SetBounds(40, 40, 260, 200);
    Grid = new TDBGridEh(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, 240, 160);
    Grid->SetDataSource(&Source);
    for (Integer i = 0; i < Grid->Columns()->Count(); ++i) Grid->Columns()->Item(i)->SetWidth(90);
    Form->Show();
    PumpMessages();
  }
  void TearDown() override { Form.reset(); }
  Integer Id() { return Data.FieldByName("ID")->AsInteger(); }
  TMemDataSet Data;
  TDataSource Source;
  std::unique_ptr<TForm> Form;
  TDBGridEh* Grid = nullptr;
};

TEST_F(LocateFixture, DirectionsMatchingAndCase) {
  TLocateTextOptionsEh caseless{ltoCaseInsensitiveEh};
  // Down never matches the current record.
  EXPECT_TRUE(LocateTextInGrid(Grid, "Name", "alpha", caseless, ltdDownEh, ltmFromBegining));
  EXPECT_EQ(Id(), 4);
  // Up from there.
  EXPECT_TRUE(LocateTextInGrid(Grid, "Name", "ALPHA", caseless, ltdUpEh, ltmWholeEh));
  EXPECT_EQ(Id(), 1);
  // All starts at the first record; case counts without the option.
  Data.Last();
  EXPECT_TRUE(LocateTextInGrid(Grid, "Name", "alpha", {}, ltdAllEh, ltmAnyPartEh));
  EXPECT_EQ(Id(), 1);
  EXPECT_FALSE(LocateTextInGrid(Grid, "Name", "ALPHA", {}, ltdAllEh, ltmAnyPartEh));
  EXPECT_EQ(Id(), 1);
  // A text longer than the cell never matches from the beginning.
  EXPECT_FALSE(LocateTextInGrid(Grid, "Name", "alphabet", caseless, ltdAllEh, ltmFromBegining));
  EXPECT_EQ(Id(), 1);
  // A field the grid has no column for raises the grid's error.
  EXPECT_THROW(LocateTextInGrid(Grid, "Nothing", "x", {}, ltdAllEh, ltmAnyPartEh), EInvalidGridOperationEh);
}

TEST_F(LocateFixture, AllColumnsWalksEveryVisibleColumnEvenOffScreen) {
  // The grid shows two columns; the text sits in the fourth.
  ASSERT_LT(Grid->VisibleColCount(), Grid->VisibleColumns().Count());
  Grid->SetSelectedIndex(0);
  EXPECT_TRUE(LocateTextInGrid(Grid, "", "needle", {ltoAllColumnsEh}, ltdAllEh, ltmAnyPartEh));
  EXPECT_EQ(Id(), 2);
  EXPECT_EQ(Grid->SelectedIndex(), 3);
  // Backwards from there over the cells of the record before.
  EXPECT_TRUE(LocateTextInGrid(Grid, "", "Beijing", {ltoAllColumnsEh}, ltdUpEh, ltmWholeEh));
  EXPECT_EQ(Id(), 1);
  EXPECT_EQ(Grid->SelectedIndex(), 2);
  // Through the center, for a dataset without features.
  EXPECT_TRUE(GetGridEhCenter()->LocateText(Grid, "", "Xi'an", {ltoAllColumnsEh}, ltdDownEh, ltmWholeEh,
                                            lttInAllNodesEh));
  EXPECT_EQ(Id(), 4);
}

}   // namespace
