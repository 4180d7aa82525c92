#include "DateUtils.h"
#include "FormatSettings.h"
#include "TestCriteria.h"
#include "cxDataUtils.h"
#include "cxLike.h"
#include "gtest.h"

TEST(cxLike, MatchTable) {
  struct Case {
    const char* Text;
    const char* Pattern;
    bool Expected;
  } cases[] = {
      {"abc", "a%", true},   {"abc", "%c", true},     {"abc", "a_c", true},
      {"ac", "a_c", false},  {"abc", "abc%", true},   {"abc", "abc%%", true},
      {"abcd", "abc%%", true}, {"abc", "%", true},    {"", "%", true},
      {"", "", true},        {"a", "", false},        {"", "_", false},
      {"abc", "ABC", false}, {"abc", "%b%", true},    {"abc", "%d%", false},
      {"aXbXc", "a%b%c", true}, {"ab", "a%b%c", false}, {"abcabc", "%abc", true},
      {"mississippi", "m%iss%pi", true}, {"mississippi", "m%iss%x", false},
      // Characters, not bytes: one wildcard stands for one Chinese character.
      {"\xE4\xB8\xAD", "_", true}, {"\xE4\xB8\xAD\xE6\x96\x87", "_\xE6\x96\x87", true},
      {"\xE4\xB8\xAD", "__", false}, {"\xE4\xB8\xAD\xE6\x96\x87", "%\xE6\x96\x87", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cxMatchesLike(c.Text, c.Pattern, '%', '_'), c.Expected) << c.Text << " LIKE " << c.Pattern;
}

TEST(cxLike, EscapeAndPathologicalPatterns) {
  EXPECT_TRUE(cxLikeMatch("50%", "50!%", '%', '_', '!'));
  EXPECT_FALSE(cxLikeMatch("500", "50!%", '%', '_', '!'));
  EXPECT_TRUE(cxLikeMatch("a_b", "a!_b", '%', '_', '!'));
  EXPECT_FALSE(cxLikeMatch("axb", "a!_b", '%', '_', '!'));
  // Many wildcards against a long text that almost matches: iterative
  // matching keeps this quick instead of exploring every split.
  String text(5000, 'a');
  String pattern;
  for (int i = 0; i < 200; ++i) pattern += "%a";
  pattern += "b";
  EXPECT_FALSE(cxMatchesLike(text, pattern, '%', '_'));
  EXPECT_TRUE(cxMatchesLike(text + "b", pattern, '%', '_'));
}

TEST(cxLike, StripWildcardsClassifiesPatterns) {
  struct Case {
    const char* In;
    Integer Kind;
    const char* Out;
  } cases[] = {{"abc%", 1, "abc"}, {"%abc", 2, "abc"}, {"%abc%", 3, "abc"}, {"abc", 0, "abc"},
               {"%%abc%%%", 3, "abc"}, {"%", 0, "%"}, {"%%", 0, "%"}, {"a%", 1, "a"}};
  for (const Case& c : cases) {
    String s = c.In;
    EXPECT_EQ(cxStripLikeWildcards(s, '%'), c.Kind) << c.In;
    EXPECT_EQ(s, c.Out) << c.In;
  }
}

namespace {

// One column "V" and one record per value.
struct TOneColumn {
  TTestCriteria Criteria;
  TTestColumn* Column;
  TOneColumn() { Column = Criteria.AddColumn(1, "V"); }
  bool Matches(TcxFilterOperatorCode Kind, const Variant& Operand, const Variant& Value) {
    Criteria.ClearConditions();
    Criteria.AddCondition(nullptr, Column, Kind, Operand, "");
    Criteria.Rows = {{Value}};
    return Criteria.MatchesRecord(0);
  }
};

class TFixedClock {
 public:
  explicit TFixedClock(TDateTime Now) {
    SetClock([Now] { return Now; });
  }
  ~TFixedClock() { ResetClock(); }
};

}  // namespace

TEST(cxFilterOperators, ComparisonListAndRangeOperators) {
  TOneColumn t;
  struct Case {
    TcxFilterOperatorCode Kind;
    Variant Operand, Value;
    bool Expected;
  } cases[] = {
      {focEqual, 5, 5.0, true},         {focEqual, 5, 6, false},
      {focNotEqual, 5, 6, true},        {focNotEqual, "a", "a", false},
      {focLess, 5, 4, true},            {focLess, 5, 5, false},
      {focLessEqual, 5, 5, true},       {focGreater, 5, 5, false},
      {focGreater, 5, 6, true},         {focGreaterEqual, 5, 5, true},
      {focLess, 5, Variant::Null(), true},   // Null orders first
      {focLike, "a%", "abc", true},     {focNotLike, "a%", "abc", false},
      {focNotLike, "a%", "xbc", true},
      {focBetween, VarArrayOf({1, 5}), 1, true},   {focBetween, VarArrayOf({1, 5}), 5, true},
      {focBetween, VarArrayOf({1, 5}), 6, false},  {focNotBetween, VarArrayOf({1, 5}), 6, true},
      {focBetween, 3, 3, false},        // an operand that is no pair matches nothing
      {focInList, VarArrayOf({1, 2}), 2, true},    {focInList, VarArrayOf({1, 2}), 3, false},
      {focInList, VarArrayOf({}), 1, false},        {focNotInList, VarArrayOf({1, 2}), 3, true},
      {focNull, Variant::Null(), Variant::Null(), true},
      {focNull, Variant::Null(), 0, false},
      {focNotNull, Variant::Null(), 0, true},
      {focEqual, Variant::Null(), Variant::Null(), true},      // becomes "is blank"
      {focNotEqual, Variant::Null(), Variant::Null(), false},  // becomes "is not blank"
  };
  for (const Case& c : cases)
    EXPECT_EQ(t.Matches(c.Kind, c.Operand, c.Value), c.Expected)
        << "kind " << int(c.Kind) << " value " << VarToStr(c.Value);
}

TEST(cxFilterOperators, NullOperandSelectsTheNullOperator) {
  TOneColumn t;
  TcxFilterCriteriaItem* item = t.Criteria.AddCondition(nullptr, t.Column, focEqual, 5, "5");
  EXPECT_TRUE(item->Operator()->Is<TcxFilterEqualOperator>());
  item->SetOperand(Variant::Null());
  EXPECT_EQ(item->OperatorKind(), focEqual);   // the kind stays
  TcxFilterOperator* op = item->Operator();
  ASSERT_TRUE(op->Is<TcxFilterNullOperator>());
  EXPECT_EQ(op->SymbolText(), "=");
  EXPECT_EQ(op->ValueText(item->Operand()), "NULL");
  EXPECT_EQ(op->CaptionText(), "is blank");
  item->SetOperatorKind(focNotLike);
  EXPECT_TRUE(item->Operator()->Is<TcxFilterNotNullOperator>());
  EXPECT_EQ(item->Operator()->SymbolText(), "<>");
  EXPECT_EQ(item->Operator()->CaptionText(), "is not blank");
}

TEST(cxFilterOperators, DateRangesAtDayWeekMonthAndYearEdges) {
  TOneColumn t;
  struct Case {
    TDateTime Today;
    TcxFilterOperatorCode Kind;
    TDateTime From, To;   // 0 = no bound
  } cases[] = {
      // 2024-05-15 is a Wednesday; the zh-CN week starts on Monday 2024-05-13.
      {EncodeDate(2024, 5, 15), focToday, EncodeDate(2024, 5, 15), EncodeDate(2024, 5, 16)},
      {EncodeDate(2024, 5, 15), focYesterday, EncodeDate(2024, 5, 14), EncodeDate(2024, 5, 15)},
      {EncodeDate(2024, 5, 15), focTomorrow, EncodeDate(2024, 5, 16), EncodeDate(2024, 5, 17)},
      {EncodeDate(2024, 5, 15), focThisWeek, EncodeDate(2024, 5, 13), EncodeDate(2024, 5, 20)},
      {EncodeDate(2024, 5, 15), focLastWeek, EncodeDate(2024, 5, 6), EncodeDate(2024, 5, 13)},
      {EncodeDate(2024, 5, 15), focNextWeek, EncodeDate(2024, 5, 20), EncodeDate(2024, 5, 27)},
      {EncodeDate(2024, 5, 15), focLastTwoWeeks, EncodeDate(2024, 4, 29), EncodeDate(2024, 5, 13)},
      {EncodeDate(2024, 5, 15), focNextTwoWeeks, EncodeDate(2024, 5, 20), EncodeDate(2024, 6, 3)},
      {EncodeDate(2024, 5, 15), focLast7Days, EncodeDate(2024, 5, 9), EncodeDate(2024, 5, 16)},
      {EncodeDate(2024, 5, 15), focNext7Days, EncodeDate(2024, 5, 15), EncodeDate(2024, 5, 22)},
      {EncodeDate(2024, 5, 15), focLast30Days, EncodeDate(2024, 4, 16), EncodeDate(2024, 5, 16)},
      {EncodeDate(2024, 5, 15), focInPast, 0, EncodeDate(2024, 5, 15)},
      {EncodeDate(2024, 5, 15), focInFuture, EncodeDate(2024, 5, 16), 0},
      // On a Sunday the week is the one that began six days earlier.
      {EncodeDate(2024, 5, 19), focThisWeek, EncodeDate(2024, 5, 13), EncodeDate(2024, 5, 20)},
      {EncodeDate(2024, 5, 13), focThisWeek, EncodeDate(2024, 5, 13), EncodeDate(2024, 5, 20)},
      // Month and year edges.
      {EncodeDate(2024, 1, 10), focLastMonth, EncodeDate(2023, 12, 1), EncodeDate(2024, 1, 1)},
      {EncodeDate(2024, 12, 31), focThisMonth, EncodeDate(2024, 12, 1), EncodeDate(2025, 1, 1)},
      {EncodeDate(2024, 11, 30), focNextMonth, EncodeDate(2024, 12, 1), EncodeDate(2025, 1, 1)},
      {EncodeDate(2024, 12, 5), focNextMonth, EncodeDate(2025, 1, 1), EncodeDate(2025, 2, 1)},
      {EncodeDate(2024, 3, 1), focLastYear, EncodeDate(2023, 1, 1), EncodeDate(2024, 1, 1)},
      {EncodeDate(2024, 3, 1), focThisYear, EncodeDate(2024, 1, 1), EncodeDate(2025, 1, 1)},
      {EncodeDate(2024, 12, 31), focNextYear, EncodeDate(2025, 1, 1), EncodeDate(2026, 1, 1)},
  };
  const TDateTime milli = 1.0 / MSecsPerDay;
  for (const Case& c : cases) {
    TFixedClock clock(c.Today + 0.75);   // the time of day does not matter
    SCOPED_TRACE(testing::Message() << "kind " << int(c.Kind) << " on " << FormatDateTime("yyyy-mm-dd", c.Today));
    if (c.From != 0) {
      EXPECT_TRUE(t.Matches(c.Kind, Variant(), Variant::FromDate(c.From)));
      EXPECT_FALSE(t.Matches(c.Kind, Variant(), Variant::FromDate(c.From - milli)));
    } else {
      EXPECT_TRUE(t.Matches(c.Kind, Variant(), Variant::FromDate(EncodeDate(1900, 1, 1))));
    }
    if (c.To != 0) {
      EXPECT_TRUE(t.Matches(c.Kind, Variant(), Variant::FromDate(c.To - milli)));
      EXPECT_FALSE(t.Matches(c.Kind, Variant(), Variant::FromDate(c.To)));
    } else {
      EXPECT_TRUE(t.Matches(c.Kind, Variant(), Variant::FromDate(EncodeDate(9999, 1, 1))));
    }
    EXPECT_FALSE(t.Matches(c.Kind, Variant(), Variant::Null()));
  }
}

TEST(cxFilterOperators, DateRangesKeepTheDayTheyWerePreparedOn) {
  TOneColumn t;
  TDateTime day = EncodeDate(2024, 5, 15);
  std::unique_ptr<TFixedClock> clock(new TFixedClock(day));
  t.Criteria.AddCondition(nullptr, t.Column, focToday, Variant(), "");
  t.Criteria.Rows = {{Variant::FromDate(day)}};
  clock.reset(new TFixedClock(day + 1));
  EXPECT_TRUE(t.Criteria.MatchesRecord(0));   // still yesterday's range
  t.Criteria.SetOptions({fcoCaseInsensitive});   // a change prepares again
  EXPECT_FALSE(t.Criteria.MatchesRecord(0));
}

TEST(cxDataUtils, WeekStartAndTextMatch) {
  EXPECT_EQ(cxFirstWeekDay(), 1);   // the zh-CN week starts on Monday
  const TDateTime sunday = EncodeDate(2024, 5, 19), monday = EncodeDate(2024, 5, 13);
  EXPECT_EQ(cxWeekStartOf(sunday + 0.5), monday);
  EXPECT_EQ(cxWeekStartOf(monday), monday);
  EXPECT_EQ(cxWeekStartOf(monday, 0), EncodeDate(2024, 5, 12));   // Sunday-first week
  EXPECT_EQ(cxWeekStartOf(sunday, 0), sunday);
  EXPECT_EQ(cxWeekStartOf(monday, 6), EncodeDate(2024, 5, 11));   // Saturday-first week
  EXPECT_EQ(cxDateOnly(-1.25), -1.0);
  EXPECT_DOUBLE_EQ(cxTimeOnly(3.25), 0.25);

  EXPECT_TRUE(cxTextMatches("Abc", "aB", true));
  EXPECT_FALSE(cxTextMatches("Abc", "aB", false));
  EXPECT_TRUE(cxTextMatches("Abc", "ABC", false));
  EXPECT_FALSE(cxTextMatches("a", "ab", true));
  EXPECT_TRUE(cxTextMatches("", "", false));
  EXPECT_FALSE(cxTextMatches("x", "", true));
}

TEST(cxDataUtils, CurrencyDisplayFormat) {
  TFormatSettings fs = TFormatSettings::ZhCN();
  fs.CurrencyDecimals = 2;
  fs.CurrencyString = "\xC2\xA5";   // ¥
  fs.CurrencyFormat = 0;
  EXPECT_EQ(cxCurrencyDisplayFormat(fs), "\xC2\xA5,0.00");
  fs.CurrencyString = "kr.";
  fs.CurrencyFormat = 3;
  EXPECT_EQ(cxCurrencyDisplayFormat(fs), ",0.00 kr'.'");
  fs.CurrencyFormat = 1;
  fs.CurrencyDecimals = 0;
  EXPECT_EQ(cxCurrencyDisplayFormat(fs), ",0.kr'.'");
  fs.CurrencyFormat = 2;
  EXPECT_EQ(cxCurrencyDisplayFormat(fs), "kr'.' ,0.");
  fs.CurrencyFormat = 9;
  EXPECT_EQ(cxCurrencyDisplayFormat(fs), ",0.");
  fs.CurrencyString.clear();
  fs.CurrencyFormat = 0;
  EXPECT_EQ(cxCurrencyDisplayFormat(fs), ",0.");
}

TEST(cxFilterOperators, DisplayTextHelpers) {
  String low, high;
  cxParsePairText("10;20", low, high);
  EXPECT_EQ(cxPairDisplayText(low, high), "10 and 20");
  cxParsePairText(" 7 ", low, high);
  EXPECT_EQ(low, "7");
  EXPECT_EQ(high, "");
  EXPECT_EQ(cxListDisplayText(cxParseListText("a; b ;c")), "(a, b, c)");
  EXPECT_EQ(cxFilterValueText(Variant::Null()), "blank");
  EXPECT_EQ(cxFilterValueText(3), "3");
  // The editor library's replacement hook sees every word.
  cxSetDataResourceTextHook([](const TcxResourceString& r) { return String("<") + r.Text + ">"; });
  EXPECT_EQ(cxPairDisplayText("1", "2"), "1 <and> 2");
  cxSetDataResourceTextHook(nullptr);
  EXPECT_EQ(cxPairDisplayText("1", "2"), "1 and 2");
}
