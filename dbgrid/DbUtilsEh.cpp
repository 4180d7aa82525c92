// The dataset-features registry and its SQL-text features, the text search
// over a grid's rows, the filter-row expression parser and the filter text
// builders, and the grid center's operations that go through the registry.
#include "DbUtilsEh.h"

#include <climits>
#include <windows.h>

#include "ADODatasetsEh.h"
#include "Collation.h"
#include "DBGridEh.h"
#include "DBGridEhFindDlgs.h"
#include "DateUtils.h"
#include "Strings.h"
#include "SysUtils.h"
#include "TypInfo.h"

TOVANI_IMPLEMENT_CLASS(TDatasetFeaturesEh, TObject)
TOVANI_IMPLEMENT_CLASS(TSQLDatasetFeaturesEh, TDatasetFeaturesEh)
TOVANI_IMPLEMENT_CLASS(TCommandTextDatasetFeaturesEh, TSQLDatasetFeaturesEh)

const char* const SQuoteIsAbsentEh = "Quote is absent: ";
const char* const SLeftBracketExpectedEh = "'(' expected: ";
const char* const SRightBracketExpectedEh = "')' expected: ";
const char* const SErrorInExpressionEh = "Error in expression: ";
const char* const SUnexpectedExpressionBeforeNullEh = "Unexpected expression before Null: ";
const char* const SUnexpectedExpressionAfterOperatorEh = "Unexpected expression after operator: ";
const char* const SIncorrectExpressionEh = "Incorrect expression: ";
const char* const SUnexpectedANDorOREh = "Unexpected AND or OR: ";
const char* const SNotSQLBasedDatasetEh = " is not SQL based dataset";
const char* const SSortInLocalModeEh = "TSQLDatasetFeaturesEh can not sort data in dataset \"%s\" in local mode";

const char* const STFilterOperatorsStrMapEh[16] = {"",  "=",  "<>", ">",    "<",    ">=",   "<=",  "~",
                                                   "!~", "In", "!In", "Null", "Null", "AND", "OR", ""};
const char* const STFilterOperatorsSQLStrMapEh[16] = {
    "", "=", "<>", ">", "<", ">=", "<=", "LIKE", "NOT LIKE", "IN", "NOT IN", "IS NULL", "IS NOT NULL", "AND", "OR", ""};

TExecuteFindDialogProcEh ExecuteDBGridEhFindDialogProc;

namespace {

// The ADO adapters register right after the registry is made, and the find
// dialog installs its procedure: both happen on the first use of either, so
// that the units take part whatever the program links of them.
void InitDependentUnits() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterADODatasetsFeaturesEh();
  InstallDBGridEhFindDialog();
}

}   // namespace

// ---------------------------------------------------------------------------
// Value kinds

TFilterValueKindEh STFldTypeMapEh(TFieldType DataType) {
  switch (DataType) {
    case ftString: case ftMemo: case ftFmtMemo: case ftFixedChar: case ftWideString: case ftGuid:
    case ftFixedWideChar: case ftWideMemo: case ftOraInterval:
      return fvkText;
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD: case ftAutoInc:
    case ftLargeint: case ftFMTBcd:
      return fvkNumber;
    case ftDate: case ftTime: case ftDateTime: case ftTimeStamp:
      return fvkDateTime;
    case ftBoolean:
      return fvkBoolean;
    default:
      return fvkNone;
  }
}

// ---------------------------------------------------------------------------
// The parser

namespace {

// Tokens the reader knows beyond the operators: the two keywords that
// combine with what follows.
enum TTokenEh { tokOperator, tokNot, tokIn };

class TFilterParser {
 public:
  TFilterParser(const String& Text, TFilterValueKindEh Kind) : S(Text), Kind(Kind) { ResetListCommas(); }

  void Parse(TSTFilterExpressionEh& E);

 private:
  const String& S;
  TFilterValueKindEh Kind;
  size_t P = 0;
  bool ListCommas = true;

  char At(size_t i) const { return i < S.size() ? S[i] : '\0'; }
  [[noreturn]] void Fail(const char* Msg) const { throw Exception(String(Msg) + S); }
  void ResetListCommas() {
    ListCommas = !(Kind == fvkNumber && FormatSettings().DecimalSeparator == ',');
  }
  void SkipSpaces() {
    while (P < S.size() && (S[P] == ' ' || S[P] == '\t')) ++P;
  }
  static bool EndsWord(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 128) return false;   // never inside a multi-byte character
    if (u < 32 || u == 127) return true;
    return String(" !\"&'()+,-.<=>|~").find(c) != String::npos;
  }
  String WordAt(size_t i) const {
    size_t e = i;
    while (e < S.size() && !EndsWord(S[e])) ++e;
    return S.substr(i, e - i);
  }
  // The keyword a word is (an operator, or tokNot / tokIn), -1 for none.
  static int Keyword(const String& W, TFilterRowOperatorEh& Op) {
    String u = AnsiUpperCase(W);
    if (u == "NOT") return tokNot;
    if (u == "IN") return tokIn;
    if (u == "AND") Op = froAnd;
    else if (u == "OR") Op = froOr;
    else if (u == "LIKE") Op = froLike;
    else if (u == "NULL") Op = froNull;
    else return -1;
    return tokOperator;
  }
  // Whether an operator, a keyword or a not-form begins at i (what ends an
  // unquoted value at a blank). Reads nothing and raises nothing.
  bool OperatorAt(size_t i, bool AfterNot = false) const {
    char c = At(i);
    if (c == '\0' || c == '(' || c == '\'') return false;
    if (c == '!') {
      if (At(i + 1) == '=') return true;
      if (AfterNot) return false;
      size_t j = i + 1;
      while (At(j) == ' ' || At(j) == '\t') ++j;
      return OperatorAt(j, true);
    }
    if (String("&|~=<>").find(c) != String::npos) return !AfterNot || c == '~';
    String w = WordAt(i);
    if (w.empty()) return false;
    TFilterRowOperatorEh op = froNone;
    int k = Keyword(w, op);
    if (k < 0) return false;
    if (AfterNot) return k == tokIn || op == froLike || op == froNull;
    if (k == tokNot) {
      size_t j = i + w.size();
      while (At(j) == ' ' || At(j) == '\t') ++j;
      return OperatorAt(j, true);
    }
    return true;
  }
  Variant ReadValue() {
    if (P >= S.size()) return Variant::Null();
    if (S[P] == '\'') {
      size_t close = S.find('\'', P + 1);
      if (close == String::npos) Fail(SQuoteIsAbsentEh);
      String v = S.substr(P + 1, close - P - 1);
      P = close + 1;
      return Variant(v);
    }
    size_t start = P;
    while (P < S.size()) {
      char c = S[P];
      if (c == '(' || c == ')' || (c == ',' && ListCommas)) break;
      if (c == ' ' || c == '\t') {
        size_t j = P;
        while (At(j) == ' ' || At(j) == '\t') ++j;
        if (OperatorAt(j)) break;
      }
      ++P;
    }
    return Variant(S.substr(start, P - start));
  }
  Variant ReadValueList() {
    std::vector<Variant> values;
    Variant v = ReadValue();
    values.push_back(v);
    while (ListCommas && !v.IsNull() && At(P) == ',') {
      ++P;
      v = ReadValue();
      values.push_back(v);
    }
    if (values.size() == 1) return values[0];
    return VarArrayOf(values);
  }
  TFilterRowOperatorEh ReadToken(Variant& V) {
    V = Variant::Null();
    if (P >= S.size()) return froNone;
    TFilterRowOperatorEh op = froNone;
    int kind = tokOperator;
    char c = S[P];
    switch (c) {
      case '!':
        if (At(P + 1) == '=') {
          op = froNotEqual;
          P += 2;
        } else {
          kind = tokNot;
          ++P;
        }
        break;
      case '&': op = froAnd; ++P; break;
      case '|': op = froOr; ++P; break;
      case '~': op = froLike; ++P; break;
      case '=': op = froEqual; ++P; break;
      case '<':
        if (At(P + 1) == '=') op = froLessOrEqual, P += 2;
        else if (At(P + 1) == '>') op = froNotEqual, P += 2;
        else op = froLess, ++P;
        break;
      case '>':
        if (At(P + 1) == '=') op = froGreaterOrEqual, P += 2;
        else op = froGreater, ++P;
        break;
      case '(':
        ++P;
        return froNone;
      case '\'':
        V = ReadValueList();
        return froValue;
      default: {
        String w = WordAt(P);
        int k = w.empty() ? -1 : Keyword(w, op);
        if (k < 0) {
          V = ReadValueList();
          return V.IsNull() ? froNone : froValue;
        }
        kind = k;
        P += w.size();
      }
    }
    SkipSpaces();
    if (kind == tokNot) {
      Variant ignored;
      switch (ReadToken(ignored)) {
        case froLike: return froNotLike;
        case froIn: return froNotIn;
        case froNull: return froNotNull;
        default: return froNone;
      }
    }
    if (kind == tokIn) {
      if (At(P) != '(') Fail(SLeftBracketExpectedEh);
      ++P;
      return froIn;
    }
    return op;
  }
  // One condition from its first token; Closing: an IN list must end in ")".
  void ReadCondition(TFilterRowOperatorEh T, const Variant& V, TFilterRowOperatorEh& Op, Variant& Operand,
                     bool Closing) {
    if (T == froValue) {
      Op = V.IsArray() ? froIn : (Kind == fvkText ? froLike : froEqual);
      Operand = V;
      return;
    }
    if (T == froNone) Fail(SErrorInExpressionEh);
    bool inList = T == froIn || T == froNotIn;
    if (inList) ListCommas = true;
    SkipSpaces();
    Variant value;
    TFilterRowOperatorEh o = ReadToken(value);
    if (o == froNull) {
      if (T == froEqual) Op = froNull;
      else if (T == froNotEqual) Op = froNotNull;
      else Fail(SUnexpectedExpressionBeforeNullEh);
    } else if (o != froValue) {
      Fail(SUnexpectedExpressionAfterOperatorEh);
    } else {
      Op = T;
    }
    Operand = value;
    if (inList && Closing) {
      SkipSpaces();
      if (At(P) != ')') Fail(SRightBracketExpectedEh);
      ++P;
    }
    ResetListCommas();
  }
  void EndTest() {
    if (P < S.size()) Fail(SIncorrectExpressionEh);
  }
  Variant Convert(const Variant& V) {
    if (V.IsNull()) return V;
    if (V.IsArray()) {
      std::vector<Variant> items;
      for (Integer i = V.LowBound(); i <= V.HighBound(); ++i) items.push_back(Convert(V.GetElement(i)));
      return VarArrayOf(items);
    }
    if (Kind == fvkNumber) return Variant(double(StrToFloat(Trim(VarToStr(V)))));
    if (Kind == fvkDateTime) return Variant::FromDate(StrToDateTime(Trim(VarToStr(V))));
    return V;
  }
  void ConvertOperand(TFilterRowOperatorEh Op, Variant& Operand) {
    if (Op >= froEqual && Op <= froNotIn) Operand = Convert(Operand);
    else Operand = Variant::Null();
  }
};

void TFilterParser::Parse(TSTFilterExpressionEh& E) {
  if (S.empty()) return;
  SkipSpaces();
  Variant v;
  TFilterRowOperatorEh t = ReadToken(v);
  ReadCondition(t, v, E.FirstOperator, E.FirstOperand, true);
  SkipSpaces();
  TFilterRowOperatorEh j = ReadToken(v);
  if (j == froNone) {
    EndTest();
  } else {
    if (j != froAnd && j != froOr) Fail(SUnexpectedANDorOREh);
    E.Junction = j;
    SkipSpaces();
    TFilterRowOperatorEh t2 = ReadToken(v);
    if (t2 == froNone) EndTest();
    else ReadCondition(t2, v, E.SecondOperator, E.SecondOperand, false);
  }
  ConvertOperand(E.FirstOperator, E.FirstOperand);
  ConvertOperand(E.SecondOperator, E.SecondOperand);
}

}   // namespace

void ResetFilterExpression(TSTFilterExpressionEh& Expression) {
  Expression.FirstOperator = froNone;
  Expression.FirstOperand = Variant::Null();
  Expression.Junction = froNone;
  Expression.SecondOperator = froNone;
  Expression.SecondOperand = Variant::Null();
}

void ParseFilterExpression(const String& Text, TSTFilterExpressionEh& Expression) {
  ResetFilterExpression(Expression);
  String text = Trim(Text);
  TFilterParser(text, Expression.ValueKind).Parse(Expression);
}

// ---------------------------------------------------------------------------
// Builders

namespace {

// A text literal with its inner quotes doubled, so that a value such as
// O'Brien can neither end the literal early nor add conditions of its own.
String QuotedLiteral(const String& Text) {
  String r = "'";
  for (char c : Text) {
    r += c;
    if (c == '\'') r += '\'';
  }
  return r + "'";
}

bool IsFloatValue(const Variant& V) {
  TVarType k = V.Kind();
  return k == varDouble || k == varSingle || k == varCurrency;
}

String DatasetValueText(const Variant& V, TDataSet* DataSet, const TDateValueToSQLStringProcEh& DateProc) {
  if (IsFloatValue(V)) return FloatToStr(V.AsDouble());
  if (V.Kind() == varDate) {
    if (DateProc) return DateProc(DataSet, V);
    return QuotedLiteral(DateTimeToStr(V.AsDateTime()));
  }
  return QuotedLiteral(VarToStr(V));
}

String SQLValueText(const Variant& V, TDataSet* DataSet, const TDateValueToSQLStringProcEh& DateProc) {
  if (IsFloatValue(V)) {
    // Written with "." whatever the profile's separator; a profile copy
    // leaves the process-wide one untouched.
    TFormatSettings fs = FormatSettings();
    fs.DecimalSeparator = '.';
    return FloatToStr(V.AsDouble(), fs);
  }
  if (V.Kind() == varDate) {
    if (DateProc) return DateProc(DataSet, V);
    return QuotedLiteral(VarToStr(V));
  }
  return QuotedLiteral(VarToStr(V));
}

std::vector<Variant> Elements(const Variant& V) {
  std::vector<Variant> r;
  if (V.IsArray()) {
    for (Integer i = V.LowBound(); i <= V.HighBound(); ++i) r.push_back(V.GetElement(i));
  } else {
    r.push_back(V);
  }
  return r;
}

}   // namespace

String DatasetFilterCondition(TFilterRowOperatorEh O, const Variant& V, const String& FieldName, TDataSet* DataSet,
                              const TDateValueToSQLStringProcEh& DateProc, bool SupportsLike) {
  String f = "[" + FieldName + "]";
  if (O == froIn || O == froNotIn) {
    // A negated list is the AND of inequalities: the filter syntax has no
    // NOT IN of its own.
    const char* cmp = O == froIn ? " = " : " <> ";
    const char* join = O == froIn ? " OR " : " AND ";
    String r;
    for (const Variant& e : Elements(V)) {
      if (!r.empty()) r += join;
      r += f + cmp + DatasetValueText(e, DataSet, DateProc);
    }
    return " (" + r + ")";
  }
  if (O == froLike || O == froNotLike) {
    String op = SupportsLike ? (O == froLike ? " Like " : " Not Like ") : (O == froLike ? " = " : " <> ");
    return " " + f + op + DatasetValueText(V, DataSet, DateProc);
  }
  String r = " " + f + " " + STFilterOperatorsSQLStrMapEh[O];
  if (O != froNull && O != froNotNull) r += " " + DatasetValueText(V, DataSet, DateProc);
  return r;
}

String SQLFilterCondition(TFilterRowOperatorEh O, const Variant& V, const String& FieldName, TDataSet* DataSet,
                          const TDateValueToSQLStringProcEh& DateProc, bool SupportsLike) {
  (void)SupportsLike;
  if (O == froIn || O == froNotIn) {
    String list;
    for (const Variant& e : Elements(V)) {
      if (!list.empty()) list += ",";
      list += SQLValueText(e, DataSet, DateProc);
    }
    return " " + FieldName + (O == froNotIn ? " NOT" : "") + " IN (" + list + ")";
  }
  String r = " " + FieldName + " " + STFilterOperatorsSQLStrMapEh[O];
  if (O != froNull && O != froNotNull) r += " " + SQLValueText(V, DataSet, DateProc);
  return r;
}

namespace {
IGridFilterSourceEh* GFilterSource = nullptr;
}

void SetGridFilterSourceEh(IGridFilterSourceEh* Source) { GFilterSource = Source; }
IGridFilterSourceEh* GridFilterSourceEh() { return GFilterSource; }

String BuildColumnFilterText(TColumnEh* Column, const TOneExpressionFilterStringProcEh& Writer,
                             const TDateValueToSQLStringProcEh& DateProc, bool UseFieldOrigin, bool SupportsLike) {
  TColumnFilterTermsEh terms;
  if (!GFilterSource || !GFilterSource->GetColumnFilterTerms(Column, terms)) return "";
  TField* field = Column->Field();
  const TSTFilterExpressionEh& e = terms.Expression;
  if (!field || e.ValueKind == fvkNone || e.FirstOperator == froNone) return "";
  String name = terms.FieldName;
  if (UseFieldOrigin && !field->Origin().empty() && !terms.OwnDataField) name = field->Origin();
  TDataSet* ds = field->DataSet();
  String r = Writer(e.FirstOperator, terms.FirstValue, name, ds, DateProc, SupportsLike);
  // A text that ended in AND or OR leaves the junction without a second
  // condition: it is ignored rather than written as a dangling "AND".
  if ((e.Junction == froAnd || e.Junction == froOr) && e.SecondOperator != froNone) {
    r += String(" ") + STFilterOperatorsSQLStrMapEh[e.Junction] +
         Writer(e.SecondOperator, e.SecondOperand, name, ds, DateProc, SupportsLike);
    if (e.Junction == froOr) r = "(" + r + ")";
  }
  return r;
}

String BuildGridFilterText(TCustomDBGridEh* Grid, const TOneExpressionFilterStringProcEh& Writer,
                           const TDateValueToSQLStringProcEh& DateProc, bool UseFieldOrigin, bool SupportsLike) {
  if (!Grid || !Grid->DataSource() || !Grid->DataSource()->DataSet() || !Grid->DataSource()->DataSet()->Active())
    return "";
  String r;
  for (Integer i = 0; i < Grid->Columns()->Count(); ++i) {
    String t = BuildColumnFilterText(Grid->Columns()->Item(i), Writer, DateProc, UseFieldOrigin, SupportsLike);
    if (!t.empty()) r += t + " AND ";
  }
  if (r.size() >= 4) r.erase(r.size() - 4);
  return r;
}

// ---------------------------------------------------------------------------
// Text search

namespace {

bool TextMatches(const String& Cell, const String& Text, TLocateTextMatchingEh Matching) {
  switch (Matching) {
    case ltmWholeEh: return Cell == Text;
    case ltmFromBegining: return Cell.size() >= Text.size() && Cell.compare(0, Text.size(), Text) == 0;
    default: return Cell.find(Text) != String::npos;
  }
}

bool EscapePending(TCustomDBGridEh* Grid) {
  if (!Grid->HandleAllocated()) return false;
  MSG msg;
  return PeekMessageW(&msg, Grid->Handle(), WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) && msg.wParam == VK_ESCAPE;
}

}   // namespace

bool LocateTextInGrid(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                      TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                      TLocateTextMatchingEh Matching) {
  if (!Grid || !Grid->DataSource()) return false;
  TDataSet* ds = Grid->DataSource()->DataSet();
  if (!ds || !ds->Active()) return false;
  const TColumnsEhList& cols = Grid->VisibleColumns();
  TColumnEh* start = FieldName.empty() ? Grid->CurrentColumn() : Grid->ColumnByFieldName(FieldName);
  // The walk over all columns is bounded by the visible-columns list, so
  // columns scrolled out of view are searched too.
  Integer count = cols.Count();
  if (count == 0) return false;
  Integer cursor = start ? cols.IndexOf(start) : -1;
  if (cursor < 0) cursor = 0;
  bool caseless = Options.Contains(ltoCaseInsensitiveEh);
  bool allColumns = Options.Contains(ltoAllColumnsEh);
  String text = caseless ? AnsiUpperCase(Text) : Text;
  bool up = Direction == ltdUpEh;
  auto step = [&] {
    if (!allColumns) {
      up ? ds->Prior() : ds->Next();
    } else if (!up) {
      if (cursor >= count - 1) {
        ds->Next();
        cursor = 0;
      } else {
        ++cursor;
      }
    } else if (cursor <= 0) {
      ds->Prior();
      cursor = count - 1;
    } else {
      --cursor;
    }
  };
  bool found = false;
  ds->DisableControls();
  try {
    Grid->SaveViewPosition();
    if (Direction == ltdAllEh) ds->First();
    else step();
    while (up ? !ds->Bof() : !ds->Eof()) {
      TColumnEh* c = cols[cursor];
      String cell;
      if (Options.Contains(ltoMatchFormatEh)) cell = c->DisplayText();
      else if (c->Field()) cell = c->Field()->AsString();
      if (caseless) cell = AnsiUpperCase(cell);
      if (TextMatches(cell, text, Matching)) {
        found = true;
        Grid->SetSelectedIndex(c->Index());
        break;
      }
      if (Options.Contains(ltoStopOnEscape) && EscapePending(Grid)) break;
      step();
    }
    if (!found) Grid->RestoreViewPosition();
  } catch (...) {
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
  return found;
}

// ---------------------------------------------------------------------------
// The registry

namespace {

struct TFeaturesEntry {
  String ClassName;
  std::unique_ptr<TDatasetFeaturesEh> Features;
};

std::vector<TFeaturesEntry>& Registry() {
  static std::vector<TFeaturesEntry> list;
  return list;
}

std::vector<TFeaturesEntry>& InitializedRegistry() {
  std::vector<TFeaturesEntry>& r = Registry();
  InitDependentUnits();
  return r;
}

}   // namespace

void RegisterDatasetFeaturesEh(const TDatasetFeaturesFactoryEh& Factory, TClass DataSetClass) {
  std::unique_ptr<TDatasetFeaturesEh> f(Factory());
  f->SetRegisteredClass(DataSetClass);
  if (!DataSetClass) return;
  std::vector<TFeaturesEntry>& reg = Registry();
  String name = DataSetClass->ClassName();
  for (TFeaturesEntry& e : reg)
    if (AnsiCompareText(e.ClassName, name) == 0) {
      e.Features = std::move(f);
      return;
    }
  reg.push_back({name, std::move(f)});
}

TDatasetFeaturesEh* GetDatasetFeaturesForDataSetClass(TClass DataSetClass) {
  if (!DataSetClass) return nullptr;
  TDatasetFeaturesEh* best = nullptr;
  Integer bestDistance = INT_MAX;
  for (TFeaturesEntry& e : InitializedRegistry()) {
    TClass reg = e.Features->RegisteredClass();
    if (!reg || !DataSetClass->InheritsFrom(reg)) continue;
    Integer distance = 0;
    TClass c = DataSetClass;
    String target = UpperCase(reg->ClassName());
    while (c && UpperCase(c->ClassName()) != target) {
      c = c->Parent;
      ++distance;
    }
    if (!c) distance = INT_MAX;
    if (distance < bestDistance) {
      best = e.Features.get();
      bestDistance = distance;
    }
  }
  return best;
}

TDatasetFeaturesEh* GetDatasetFeaturesForDataSet(TDataSet* DataSet) {
  return DataSet ? GetDatasetFeaturesForDataSetClass(DataSet->ClassType()) : nullptr;
}

Integer DatasetFeaturesCount() { return Integer(InitializedRegistry().size()); }
String DatasetFeaturesClassName(Integer Index) { return InitializedRegistry().at(size_t(Index)).ClassName; }

// ---------------------------------------------------------------------------
// The base features

bool TDatasetFeaturesEh::LocateText(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                                    TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                                    TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh TreeFindRange) {
  (void)TreeFindRange;
  return LocateTextInGrid(Grid, FieldName, Text, Options, Direction, Matching);
}

bool TDatasetFeaturesEh::MoveRecords(TCustomDBGridEh* Grid, TStrings* BookmarkList, Integer ToRecNo, bool CheckOnly) {
  if (!Grid || !Grid->Is<TDBGridEh>() || !Grid->DataSource() || !Grid->DataSource()->DataSet()) return false;
  TDataSet* ds = Grid->DataSource()->DataSet();
  bool result = ds->CanModify();
  if (CheckOnly || !result) return result;
  std::vector<TBookmark> marks;
  for (Integer i = 0; i < BookmarkList->Count(); ++i) marks.push_back(BookmarkList->Strings(i));
  ds->DisableControls();
  try {
    bool append = ToRecNo >= ds->RecordCount();
    struct TSavedRecord {
      std::vector<Variant> Values;
      bool Selected = false;
    };
    std::vector<TSavedRecord> saved;
    for (size_t i = 0; i < marks.size(); ++i) {
      ds->GotoBookmark(marks[i]);
      TSavedRecord r;
      for (Integer f = 0; f < ds->FieldCount(); ++f) r.Values.push_back(ds->Fields()[f]->Value());
      r.Values.push_back(Variant());
      if (i > 0 && ds->RecNo() < ToRecNo) --ToRecNo;
      r.Selected = Grid->SelectedRows()->CurrentRowSelected();
      if (r.Selected) Grid->SelectedRows()->SetCurrentRowSelected(false);
      saved.push_back(std::move(r));
    }
    for (const TBookmark& b : marks) {
      ds->GotoBookmark(b);
      ds->Delete();
    }
    for (size_t k = saved.size(); k-- > 0;) {
      if (append) {
        ds->Append();
      } else {
        if (k == saved.size() - 1) ds->SetRecNo(ToRecNo);
        else ds->Next();
        ds->Insert();
      }
      for (Integer f = 0; f < ds->FieldCount(); ++f)
        if (ds->Fields()[f]->CanModify()) ds->Fields()[f]->SetValue(saved[k].Values[size_t(f)]);
      ds->Post();
      Grid->SelectedRows()->SetCurrentRowSelected(saved[k].Selected);
    }
  } catch (...) {
    if (ds->State() == dsInsert || ds->State() == dsEdit) ds->Cancel();
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
  return result;
}

void TDatasetFeaturesEh::ExecuteFindDialog(TCustomDBGridEh* Grid, const String& Text, const String& FieldName,
                                           bool Modal) {
  (void)FieldName;
  InitDependentUnits();
  if (Grid && Grid->Is<TDBGridEh>() && ExecuteDBGridEhFindDialogProc)
    ExecuteDBGridEhFindDialogProc(Grid, Text, "", {}, Modal);
}

// ---------------------------------------------------------------------------
// SQL texts

bool GetDataSetTextProperty(TDataSet* DataSet, const String& PropName, String& Text) {
  const TPropInfo* prop = DataSet ? GetPropInfo(DataSet, PropName) : nullptr;
  if (!prop) return false;
  switch (prop->Kind()) {
    case tkString: case tkLString: case tkWString: case tkUString:
      Text = GetStrProp(DataSet, prop);
      return true;
    case tkClass: {
      TObject* obj = GetObjectProp(DataSet, prop);
      if (!obj || !obj->Is<TStrings>()) return false;
      Text = static_cast<TStrings*>(obj)->Text();
      return true;
    }
    default:
      return false;
  }
}

void SetDataSetTextProperty(TDataSet* DataSet, const String& PropName, const String& Text) {
  const TPropInfo* prop = DataSet ? GetPropInfo(DataSet, PropName) : nullptr;
  if (!prop) return;
  switch (prop->Kind()) {
    case tkString: case tkLString: case tkWString: case tkUString:
      SetStrProp(DataSet, prop, Text);
      break;
    case tkClass:
      if (TObject* obj = GetObjectProp(DataSet, prop))
        if (obj->Is<TStrings>()) static_cast<TStrings*>(obj)->SetText(Text);
      break;
    default:
      break;
  }
}

namespace {

void ReadSQLLines(TDataSet* DataSet, const String& PropName, TStringList& Lines) {
  String text;
  if (!GetDataSetTextProperty(DataSet, PropName, text)) throw Exception(DataSet->ClassName() + SNotSQLBasedDatasetEh);
  Lines.SetText(text);
}

bool LineStartsWith(const String& Line, const String& Prefix) {
  return Line.size() >= Prefix.size() && UpperCase(Line.substr(0, Prefix.size())) == Prefix;
}

// Closes the dataset, writes the text back and opens it again (when asked),
// with its controls disabled throughout.
void RewriteSQL(TDataSet* DataSet, const String& PropName, TStringList& Lines, bool IsReopen) {
  DataSet->DisableControls();
  try {
    if (DataSet->Active()) DataSet->Close();
    SetDataSetTextProperty(DataSet, PropName, Lines.Text());
    if (IsReopen) DataSet->Open();
  } catch (...) {
    DataSet->EnableControls();
    throw;
  }
  DataSet->EnableControls();
}

}   // namespace

void ApplySortingToSQLText(TCustomDBGridEh* Grid, TDataSet* DataSet, bool UseFieldName, const String& PropName,
                           bool IsReopen) {
  TStringList lines;
  ReadSQLLines(DataSet, PropName, lines);
  String clause;
  const TColumnsEhList& marked = Grid->SortMarkedColumns();
  for (Integer i = 0; i < marked.Count(); ++i) {
    TColumnEh* c = marked[i];
    if (c->Title()->SortMarker() == smNoneEh) continue;
    String item;
    if (UseFieldName) item = c->FieldName();
    else if (c->Field()) item = IntToStr(c->Field()->FieldNo());
    else continue;   // a column without a field has no number to sort by
    clause += item + (c->Title()->SortMarker() == smUpEh ? " DESC, " : ", ");
  }
  if (!clause.empty()) clause = "ORDER BY " + clause.substr(0, clause.size() - 2);
  Integer line = -1;
  for (Integer i = 0; i < lines.Count() && line < 0; ++i)
    if (LineStartsWith(lines.Strings(i), "ORDER BY")) line = i;
  if (line < 0) line = lines.Add("");
  lines.SetStrings(line, clause);
  RewriteSQL(DataSet, PropName, lines, IsReopen);
}

void ApplyFilterToSQLText(TCustomDBGridEh* Grid, const TDateValueToSQLStringProcEh& DateProc, bool IsReopen,
                          const String& PropName) {
  TDataSet* ds = Grid->DataSource() ? Grid->DataSource()->DataSet() : nullptr;
  if (!ds) return;
  TStringList lines;
  ReadSQLLines(ds, PropName, lines);
  Integer line = -1;
  for (Integer i = 0; i < lines.Count() && line < 0; ++i)
    if (LineStartsWith(lines.Strings(i), "/*FILTER*/")) line = i;
  String condition = BuildGridFilterText(Grid, SQLFilterCondition, DateProc, true, false);
  if (condition.empty()) condition = "1=1";
  if (line < 0) return;
  lines.SetStrings(line, "/*FILTER*/ (" + condition + ")");
  RewriteSQL(ds, PropName, lines, IsReopen);
}

String DateValueToSQLLiteral(const String& Dialect, const Variant& Value) {
  String d = UpperCase(Dialect);
  if (d == "ORACLE") {
    const String& fmt = FormatSettings().ShortDateFormat;
    return "TO_DATE('" + FormatDateTime(fmt, Value.AsDateTime()) + "','" + fmt + "')";
  }
  if (d == "MSACCESS") {
    // Month first with "/" whatever the profile's date separator (a copy of
    // the profile, so the process-wide one never changes).
    TFormatSettings fs = FormatSettings();
    fs.DateSeparator = '/';
    return "#" + FormatDateTime("mm/dd/yyyy", Value.AsDateTime(), fs) + "#";
  }
  return "'" + VarToStr(Value) + "'";
}

// ---------------------------------------------------------------------------
// SQL features

TSQLDatasetFeaturesEh::TSQLDatasetFeaturesEh() = default;

void TSQLDatasetFeaturesEh::ApplySorting(TCustomDBGridEh* Grid, TDataSet* DataSet, bool IsReopen) {
  if (!Grid) return;
  if (Grid->SortLocal()) throw Exception(Format(SSortInLocalModeEh, {DataSet->Name()}));
  ApplySortingToSQLText(Grid, DataSet, OrderByFieldNames, TextPropertyName, IsReopen);
}

void TSQLDatasetFeaturesEh::ApplyFilter(TCustomDBGridEh* Grid, TDataSet* DataSet, bool IsReopen) {
  (void)DataSet;
  if (!Grid) return;
  if (GFilterSource && GFilterSource->FilterIsLocal(Grid)) {
    TDataSet* ds = Grid->DataSource() ? Grid->DataSource()->DataSet() : nullptr;
    if (!ds) return;
    ds->SetFilter(BuildGridFilterText(Grid, DatasetFilterCondition, {}, false, LocalFilterUsesLike));
    ds->SetFiltered(true);
  } else {
    ApplyFilterToSQLText(Grid, DateToSQLLiteral, IsReopen, TextPropertyName);
  }
}

TCommandTextDatasetFeaturesEh::TCommandTextDatasetFeaturesEh() { TextPropertyName = "CommandText"; }

// ---------------------------------------------------------------------------
// The grid center's operations through the registry

namespace {
TDatasetFeaturesEh* FeaturesOfGrid(TCustomDBGridEh* Grid, TDataSet*& DataSet) {
  DataSet = Grid && Grid->DataSource() ? Grid->DataSource()->DataSet() : nullptr;
  return DataSet ? GetDatasetFeaturesForDataSet(DataSet) : nullptr;
}
}   // namespace

bool TDBGridEhCenter::DefaultLocateText(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                                        TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                                        TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh TreeFindRange) {
  TDataSet* ds;
  if (TDatasetFeaturesEh* f = FeaturesOfGrid(Grid, ds))
    return f->LocateText(Grid, FieldName, Text, Options, Direction, Matching, TreeFindRange);
  return LocateTextInGrid(Grid, FieldName, Text, Options, Direction, Matching);
}

bool TDBGridEhCenter::DefaultMoveRecords(TCustomDBGridEh* Grid, TStrings* BookmarkList, Integer ToRecNo,
                                         bool CheckOnly) {
  TDataSet* ds;
  if (TDatasetFeaturesEh* f = FeaturesOfGrid(Grid, ds)) return f->MoveRecords(Grid, BookmarkList, ToRecNo, CheckOnly);
  return false;
}

bool TDBGridEhCenter::LocateText(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                                 TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                                 TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh TreeFindRange) {
  if (OnLocateText) return OnLocateText(Grid, FieldName, Text, Options, Direction, Matching, TreeFindRange);
  return DefaultLocateText(Grid, FieldName, Text, Options, Direction, Matching, TreeFindRange);
}

bool TDBGridEhCenter::MoveRecords(TCustomDBGridEh* Grid, TStrings* BookmarkList, Integer ToRecNo, bool CheckOnly) {
  return DefaultMoveRecords(Grid, BookmarkList, ToRecNo, CheckOnly);
}

void TDBGridEhCenter::ApplyFilter(TCustomDBGridEh* Grid) {
  if (OnApplyFilter) OnApplyFilter(Grid);
  else DefaultApplyFilter(Grid);
}

void TDBGridEhCenter::ApplySorting(TCustomDBGridEh* Grid) {
  if (OnApplySorting) OnApplySorting(Grid);
  else DefaultApplySorting(Grid);
}

void TDBGridEhCenter::DefaultApplyFilter(TCustomDBGridEh* Grid) {
  TDataSet* ds;
  if (TDatasetFeaturesEh* f = FeaturesOfGrid(Grid, ds)) f->ApplyFilter(Grid, ds, true);
}

void TDBGridEhCenter::DefaultApplySorting(TCustomDBGridEh* Grid) {
  TDataSet* ds;
  if (TDatasetFeaturesEh* f = FeaturesOfGrid(Grid, ds)) f->ApplySorting(Grid, ds, true);
}

bool TDBGridEhCenter::HandlesSorting(TCustomDBGridEh* Grid) {
  TDataSet* ds;
  return OnApplySorting || FeaturesOfGrid(Grid, ds);
}

void TDBGridEhCenter::ExecuteFindDialog(TCustomDBGridEh* Grid, const String& Text, const String& FieldName,
                                        bool Modal) {
  TDataSet* ds;
  if (TDatasetFeaturesEh* f = FeaturesOfGrid(Grid, ds)) {
    f->ExecuteFindDialog(Grid, Text, FieldName, Modal);
    return;
  }
  InitDependentUnits();
  if (ExecuteDBGridEhFindDialogProc) ExecuteDBGridEhFindDialogProc(Grid, Text, "", {}, Modal);
}
