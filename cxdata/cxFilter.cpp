// Filter operators, resource texts and display-text helpers.
#include "cxFilter.h"

#include "DateUtils.h"
#include "SysUtils.h"
#include "cxDataUtils.h"
#include "cxLike.h"
#include "cxVariants.h"

const TcxResourceString cxSFilterAndCaption{"and"};
const TcxResourceString cxSFilterOrCaption{"or"};
const TcxResourceString cxSFilterNotCaption{"not"};
const TcxResourceString cxSFilterBlankCaption{"blank"};
const TcxResourceString cxSFilterOperatorBeginsWith{"begins with"};
const TcxResourceString cxSFilterOperatorDoesNotBeginWith{"does not begin with"};
const TcxResourceString cxSFilterOperatorEndsWith{"ends with"};
const TcxResourceString cxSFilterOperatorDoesNotEndWith{"does not end with"};
const TcxResourceString cxSFilterOperatorContains{"contains"};
const TcxResourceString cxSFilterOperatorDoesNotContain{"does not contain"};

namespace {

const TcxResourceString OperatorCaptions[cxFilterOperatorCodeCount] = {
    {"equals"}, {"does not equal"}, {"is less than"}, {"is less than or equal to"},
    {"is greater than"}, {"is greater than or equal to"}, {"like"}, {"not like"},
    {"between"}, {"not between"}, {"in"}, {"not in"}, {"is yesterday"}, {"is today"},
    {"is tomorrow"}, {"is last 7 days"}, {"is last week"}, {"is last 14 days"},
    {"is last two weeks"}, {"is last 30 days"}, {"is last month"}, {"is last year"},
    {"is past"}, {"is this week"}, {"is this month"}, {"is this year"}, {"is next 7 days"},
    {"is next week"}, {"is next 14 days"}, {"is next two weeks"}, {"is next 30 days"},
    {"is next month"}, {"is next year"}, {"is future"}, {"is blank"}, {"is not blank"}};

TcxResourceTextHook& ResourceHook() {
  static TcxResourceTextHook hook;
  return hook;
}

// The element count of a one-dimensional array operand (0 for anything else).
Integer ArrayCount(const Variant& V) {
  if (!V.IsArray() || V.DimCount() != 1) return 0;
  return V.HighBound(1) - V.LowBound(1) + 1;
}
const Variant& ArrayItem(const Variant& V, Integer I) { return V.GetElement(V.LowBound(1) + I); }

}  // namespace

const TcxResourceString& cxFilterOperatorCaptionResource(TcxFilterOperatorCode Kind) {
  return OperatorCaptions[Kind < cxFilterOperatorCodeCount ? Kind : 0];
}

void cxSetDataResourceTextHook(TcxResourceTextHook Hook) { ResourceHook() = std::move(Hook); }

String cxDataResourceText(const TcxResourceString& Res) {
  const TcxResourceTextHook& hook = ResourceHook();
  return hook ? hook(Res) : cxLoadResourceText(Res);
}

// ---------------------------------------------------------------------------

String cxNextListToken(const String& S, size_t& Pos) {
  if (Pos >= S.size()) {
    Pos = S.size();
    return String();
  }
  size_t end = S.find(';', Pos);
  String token = Trim(S.substr(Pos, end == String::npos ? String::npos : end - Pos));
  Pos = end == String::npos ? S.size() : end + 1;
  return token;
}

void cxParsePairText(const String& S, String& Low, String& High) {
  size_t pos = 0;
  Low = cxNextListToken(S, pos);
  High = pos < S.size() ? cxNextListToken(S, pos) : String();
}

std::vector<String> cxParseListText(const String& S) {
  std::vector<String> items;
  size_t pos = 0;
  while (pos < S.size()) items.push_back(cxNextListToken(S, pos));
  return items;
}

String cxFilterValueText(const Variant& V) {
  return V.IsNull() ? cxDataResourceText(cxSFilterBlankCaption) : VarToStr(V);
}

String cxPairDisplayText(const String& Low, const String& High) {
  return Low + " " + cxDataResourceText(cxSFilterAndCaption) + " " + High;
}

String cxListDisplayText(const std::vector<String>& Items) {
  String s = "(";
  for (size_t i = 0; i < Items.size(); ++i) {
    if (i) s += ", ";
    s += Items[i];
  }
  return s + ")";
}

void cxFilterDateBounds(TcxFilterOperatorCode Kind, TDateTime Today, TDateTime& From,
                        TDateTime& To) {
  const TDateTime T = DateOf(Today);
  Word y, m, d;
  DecodeDate(T, y, m, d);
  // Monday (or the locale's first day) of this week.
  const TDateTime W = cxWeekStartOf(T);
  auto month = [&](Integer delta) {
    Integer total = Integer(y) * 12 + (Integer(m) - 1) + delta;
    return EncodeDate(Word(total / 12), Word(total % 12 + 1), 1);
  };
  auto year = [&](Integer delta) { return EncodeDate(Word(Integer(y) + delta), 1, 1); };
  From = 0;
  To = 0;
  switch (Kind) {
    case focYesterday: From = T - 1; To = T; break;
    case focToday: From = T; To = T + 1; break;
    case focTomorrow: From = T + 1; To = T + 2; break;
    case focLast7Days: From = T + 1 - 7; To = T + 1; break;
    case focLast14Days: From = T + 1 - 14; To = T + 1; break;
    case focLast30Days: From = T + 1 - 30; To = T + 1; break;
    case focNext7Days: From = T; To = T + 7; break;
    case focNext14Days: From = T; To = T + 14; break;
    case focNext30Days: From = T; To = T + 30; break;
    case focLastWeek: From = W - 7; To = W; break;
    case focLastTwoWeeks: From = W - 14; To = W; break;
    case focThisWeek: From = W; To = W + 7; break;
    case focNextWeek: From = W + 7; To = W + 14; break;
    case focNextTwoWeeks: From = W + 7; To = W + 21; break;
    case focLastMonth: From = month(-1); To = month(0); break;
    case focThisMonth: From = month(0); To = month(1); break;
    case focNextMonth: From = month(1); To = month(2); break;
    case focLastYear: From = year(-1); To = year(0); break;
    case focThisYear: From = year(0); To = year(1); break;
    case focNextYear: From = year(1); To = year(2); break;
    case focInPast: To = T; break;
    case focInFuture: From = T + 1; break;
    default: break;
  }
}

// ---------------------------------------------------------------------------
// Operators

TOVANI_IMPLEMENT_CLASS(TcxFilterOperator, TObject)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterEqualOperator, TcxFilterOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterNotEqualOperator, TcxFilterEqualOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterNullOperator, TcxFilterEqualOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterNotNullOperator, TcxFilterNullOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterLessOperator, TcxFilterOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterLessEqualOperator, TcxFilterOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterGreaterOperator, TcxFilterOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterGreaterEqualOperator, TcxFilterOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterLikeOperator, TcxFilterOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterNotLikeOperator, TcxFilterLikeOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterBetweenOperator, TcxFilterOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterNotBetweenOperator, TcxFilterBetweenOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterInListOperator, TcxFilterOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterNotInListOperator, TcxFilterInListOperator)
TOVANI_IMPLEMENT_CLASS(TcxFilterDateOperator, TcxFilterOperator)
TOVANI_IMPLEMENT_CLASS(TcxFilterLastNDaysOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS(TcxFilterNextNDaysOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterYesterdayOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterTodayOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterTomorrowOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterLast7DaysOperator, TcxFilterLastNDaysOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterLastWeekOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterLast14DaysOperator, TcxFilterLastNDaysOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterLastTwoWeeksOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterLast30DaysOperator, TcxFilterLastNDaysOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterLastMonthOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterLastYearOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterInPastOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterThisWeekOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterThisMonthOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterThisYearOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterNext7DaysOperator, TcxFilterNextNDaysOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterNextWeekOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterNext14DaysOperator, TcxFilterNextNDaysOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterNextTwoWeeksOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterNext30DaysOperator, TcxFilterNextNDaysOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterNextMonthOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterNextYearOperator, TcxFilterDateOperator)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterInFutureOperator, TcxFilterDateOperator)

TClass cxFilterOperatorClassOf(TcxFilterOperatorCode Kind) {
  static const TClass classes[cxFilterOperatorCodeCount] = {
      TcxFilterEqualOperator::StaticClass(), TcxFilterNotEqualOperator::StaticClass(),
      TcxFilterLessOperator::StaticClass(), TcxFilterLessEqualOperator::StaticClass(),
      TcxFilterGreaterOperator::StaticClass(), TcxFilterGreaterEqualOperator::StaticClass(),
      TcxFilterLikeOperator::StaticClass(), TcxFilterNotLikeOperator::StaticClass(),
      TcxFilterBetweenOperator::StaticClass(), TcxFilterNotBetweenOperator::StaticClass(),
      TcxFilterInListOperator::StaticClass(), TcxFilterNotInListOperator::StaticClass(),
      TcxFilterYesterdayOperator::StaticClass(), TcxFilterTodayOperator::StaticClass(),
      TcxFilterTomorrowOperator::StaticClass(), TcxFilterLast7DaysOperator::StaticClass(),
      TcxFilterLastWeekOperator::StaticClass(), TcxFilterLast14DaysOperator::StaticClass(),
      TcxFilterLastTwoWeeksOperator::StaticClass(), TcxFilterLast30DaysOperator::StaticClass(),
      TcxFilterLastMonthOperator::StaticClass(), TcxFilterLastYearOperator::StaticClass(),
      TcxFilterInPastOperator::StaticClass(), TcxFilterThisWeekOperator::StaticClass(),
      TcxFilterThisMonthOperator::StaticClass(), TcxFilterThisYearOperator::StaticClass(),
      TcxFilterNext7DaysOperator::StaticClass(), TcxFilterNextWeekOperator::StaticClass(),
      TcxFilterNext14DaysOperator::StaticClass(), TcxFilterNextTwoWeeksOperator::StaticClass(),
      TcxFilterNext30DaysOperator::StaticClass(), TcxFilterNextMonthOperator::StaticClass(),
      TcxFilterNextYearOperator::StaticClass(), TcxFilterInFutureOperator::StaticClass(),
      TcxFilterNullOperator::StaticClass(), TcxFilterNotNullOperator::StaticClass()};
  return Kind < cxFilterOperatorCodeCount ? classes[Kind] : nullptr;
}

TcxFilterCriteria* TcxFilterOperator::Criteria() const {
  return FItem ? FItem->Criteria() : nullptr;
}

String TcxFilterOperator::FieldText() const { return FItem ? FItem->LinkFieldName() : String(); }

String TcxFilterOperator::ExpressionText(const Variant& Value) { return ValueText(Value); }

String TcxFilterOperator::ValueText(const Variant& Value) {
  String s;
  if (ComposeValueText(Value, s)) return s;
  TcxFilterCriteria* c = Criteria();
  const Variant& v = Value.Deref();
  if (v.IsArray()) {
    s.clear();   // an array has no literal of its own
  } else {
    switch (v.Kind()) {
      case varString:
      case varOleStr: s = QuotedStr(v.AsString()); break;
      case varDate: s = "'" + (c ? c->DateText(v) : VarToStr(v)) + "'"; break;
      case varBoolean: s = c ? c->BooleanText(v) : VarToStr(v); break;
      case varNull: s = "NULL"; break;
      default: s = VarToStr(v); break;
    }
  }
  if (c) c->AdjustValueText(FItem, Value, s);
  return s;
}

bool TcxFilterOperator::ComposeValueText(const Variant&, String&) { return false; }

String TcxFilterOperator::CaptionText() {
  return cxDataResourceText(cxFilterOperatorCaptionResource(Code()));
}

String TcxFilterOperator::SymbolText() { return String(); }

// Equal / NotEqual --------------------------------------------------------

bool TcxFilterEqualOperator::Matches(const Variant& A, const Variant& B) {
  return cxVarCompare(A, B) == 0;
}

bool TcxFilterEqualOperator::UsesExpression() const {
  return CriteriaItem() && CriteriaItem()->Operand().IsArray();
}

String TcxFilterEqualOperator::ExpressionText(const Variant& Value) {
  // A condition on several fields: element k goes with field name k.
  const Integer n = ArrayCount(Value);
  if (n == 0 && !Value.IsArray()) return ValueText(Value);
  const String names = FieldText();
  size_t pos = 0;
  String s;
  for (Integer k = 0; k < n; ++k) {
    String name = cxNextListToken(names, pos);
    if (k) s += " AND ";
    s += "(" + name + " = " + ValueText(ArrayItem(Value, k)) + ")";
  }
  return s;
}

bool TcxFilterNotEqualOperator::Matches(const Variant& A, const Variant& B) {
  return !TcxFilterEqualOperator::Matches(A, B);
}

String TcxFilterNotEqualOperator::ExpressionText(const Variant& Value) {
  return "NOT (" + TcxFilterEqualOperator::ExpressionText(Value) + ")";
}

// Null / NotNull ------------------------------------------------------------

bool TcxFilterNullOperator::Matches(const Variant& A, const Variant&) {
  TcxFilterCriteria* c = Criteria();
  return c ? c->IsNullValue(A) : A.IsNull();
}

void TcxFilterNullOperator::PrepareDisplayText(String& S) {
  TcxFilterCriteria* c = Criteria();
  if (c && c->Options().Contains(fcoShowOperatorDescription)) S.clear();
}

bool TcxFilterNotNullOperator::Matches(const Variant& A, const Variant& B) {
  return !TcxFilterNullOperator::Matches(A, B);
}

// Ordering ------------------------------------------------------------------

bool TcxFilterLessOperator::Matches(const Variant& A, const Variant& B) { return cxVarCompare(A, B) < 0; }
bool TcxFilterLessEqualOperator::Matches(const Variant& A, const Variant& B) { return cxVarCompare(A, B) <= 0; }
bool TcxFilterGreaterOperator::Matches(const Variant& A, const Variant& B) { return cxVarCompare(A, B) > 0; }
bool TcxFilterGreaterEqualOperator::Matches(const Variant& A, const Variant& B) { return cxVarCompare(A, B) >= 0; }

// Like / NotLike ------------------------------------------------------------

bool TcxFilterLikeOperator::Matches(const Variant& A, const Variant& B) {
  TcxFilterCriteria* c = Criteria();
  return cxMatchesLike(VarToStr(A), VarToStr(B), c ? c->PercentWildcard() : '%',
                       c ? c->UnderscoreWildcard() : '_');
}

String TcxFilterLikeOperator::CaptionText() {
  TcxFilterCriteria* c = Criteria();
  String pattern;
  try {
    pattern = CriteriaItem() ? VarToStr(CriteriaItem()->Operand()) : String();
  } catch (const EVariantError&) {
    pattern.clear();
  }
  const bool negated = Code() == focNotLike;
  switch (cxStripLikeWildcards(pattern, c ? c->PercentWildcard() : '%')) {
    case 1: return cxDataResourceText(negated ? cxSFilterOperatorDoesNotBeginWith : cxSFilterOperatorBeginsWith);
    case 2: return cxDataResourceText(negated ? cxSFilterOperatorDoesNotEndWith : cxSFilterOperatorEndsWith);
    case 3: return cxDataResourceText(negated ? cxSFilterOperatorDoesNotContain : cxSFilterOperatorContains);
    default: return TcxFilterOperator::CaptionText();
  }
}

void TcxFilterLikeOperator::PrepareDisplayText(String& S) {
  TcxFilterCriteria* c = Criteria();
  if (c && c->Options().Contains(fcoShowOperatorDescription))
    cxStripLikeWildcards(S, c->PercentWildcard());
}

bool TcxFilterNotLikeOperator::Matches(const Variant& A, const Variant& B) {
  return !TcxFilterLikeOperator::Matches(A, B);
}

bool TcxFilterNotLikeOperator::UsesExpression() const {
  TcxFilterCriteria* c = Criteria();
  return c && c->TranslateLike();
}

String TcxFilterNotLikeOperator::ExpressionText(const Variant& Value) {
  return " NOT (" + FieldText() + " LIKE " + ValueText(Value) + ")";
}

// Between / NotBetween --------------------------------------------------------

bool TcxFilterBetweenOperator::Matches(const Variant& A, const Variant& B) {
  // An operand that is no pair matches nothing.
  if (ArrayCount(B) < 2) return false;
  return cxVarCompare(ArrayItem(B, 0), A) <= 0 && cxVarCompare(A, ArrayItem(B, 1)) <= 0;
}

bool TcxFilterBetweenOperator::UsesExpression() const {
  TcxFilterCriteria* c = Criteria();
  return c && c->TranslateBetween();
}

String TcxFilterBetweenOperator::ExpressionText(const Variant& Value) {
  if (ArrayCount(Value) < 2) return String();
  const String f = FieldText();
  return "(" + f + " >= " + ValueText(ArrayItem(Value, 0)) + ") AND (" + f + " <= " +
         ValueText(ArrayItem(Value, 1)) + ")";
}

bool TcxFilterBetweenOperator::ComposeValueText(const Variant& Value, String& S) {
  if (ArrayCount(Value) < 2) return false;
  S = ValueText(ArrayItem(Value, 0)) + " AND " + ValueText(ArrayItem(Value, 1));
  return true;
}

void TcxFilterBetweenOperator::PrepareDisplayText(String& S) {
  String low, high;
  cxParsePairText(S, low, high);
  S = cxPairDisplayText(low, high);
}

bool TcxFilterNotBetweenOperator::Matches(const Variant& A, const Variant& B) {
  return !TcxFilterBetweenOperator::Matches(A, B);
}

String TcxFilterNotBetweenOperator::ExpressionText(const Variant& Value) {
  return "NOT (" + TcxFilterBetweenOperator::ExpressionText(Value) + ")";
}

// InList / NotInList ----------------------------------------------------------

bool TcxFilterInListOperator::Matches(const Variant& A, const Variant& B) {
  const Integer n = ArrayCount(B);
  for (Integer i = 0; i < n; ++i)
    if (ArrayItem(B, i) == A) return true;
  return false;
}

bool TcxFilterInListOperator::UsesExpression() const {
  TcxFilterCriteria* c = Criteria();
  return c && c->TranslateIn();
}

String TcxFilterInListOperator::ExpressionText(const Variant& Value) {
  const String f = FieldText();
  String s;
  for (Integer i = 0, n = ArrayCount(Value); i < n; ++i) {
    if (i) s += " OR ";
    s += "(" + f + " = " + ValueText(ArrayItem(Value, i)) + ")";
  }
  return s;
}

bool TcxFilterInListOperator::ComposeValueText(const Variant& Value, String& S) {
  if (!Value.IsArray()) return false;
  std::vector<String> parts;
  for (Integer i = 0, n = ArrayCount(Value); i < n; ++i) parts.push_back(ValueText(ArrayItem(Value, i)));
  S = cxListDisplayText(parts);
  return true;
}

void TcxFilterInListOperator::PrepareDisplayText(String& S) {
  S = cxListDisplayText(cxParseListText(S));
}

bool TcxFilterNotInListOperator::Matches(const Variant& A, const Variant& B) {
  return !TcxFilterInListOperator::Matches(A, B);
}

String TcxFilterNotInListOperator::ExpressionText(const Variant& Value) {
  return "NOT (" + TcxFilterInListOperator::ExpressionText(Value) + ")";
}

// Date ranges -----------------------------------------------------------------

void TcxFilterDateOperator::Prepare() { cxFilterDateBounds(Code(), Date(), FFrom, FTo); }

bool TcxFilterDateOperator::Matches(const Variant& A, const Variant&) {
  TcxFilterCriteria* c = Criteria();
  if (c ? c->IsNullValue(A) : A.IsNull()) return false;
  if (FFrom != 0 && Variant::FromDate(FFrom) > A) return false;
  return FTo == 0 || A < Variant::FromDate(FTo);
}

String TcxFilterDateOperator::ExpressionText(const Variant&) {
  const String f = FieldText();
  String s;
  if (FFrom != 0) s = "(" + f + " >= " + ValueText(Variant::FromDate(FFrom)) + ")";
  if (FTo != 0) {
    if (!s.empty()) s += " AND ";
    s += "(" + f + " < " + ValueText(Variant::FromDate(FTo)) + ")";
  }
  return s;
}
