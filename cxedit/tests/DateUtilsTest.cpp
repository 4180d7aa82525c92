#include <cmath>
#include "FormatSettings.h"
#include "cxDateRtl.h"
#include "cxDateUtils.h"
#include "cxFormats.h"
#include "gtest.h"

namespace {
TDateTime D(int y, int m, int d) { return cxrtl::EncodeDate(y, m, d); }
String Ymd(TDateTime v) { return cxrtl::FormatDateTime("yyyy-mm-dd", v, FormatSettings()); }
String YmdHns(TDateTime v) { return cxrtl::FormatDateTime("yyyy-mm-dd hh:nn:ss", v, FormatSettings()); }

// Pins today for a test.
class TPinnedClock {
 public:
  explicit TPinnedClock(TDateTime Now) { cxrtl::SetClock([Now] { return Now; }); }
  ~TPinnedClock() { cxrtl::ResetClock(); }
};

String Smart(const String& Text) {
  TDateTime V = 0;
  return cxSmartTextToDate(Text, V) ? YmdHns(V) : "-";
}
String Parse(const String& Text) {
  TDateTime V = 0;
  if (!cxTextToDateSmart(Text, V)) return V == NullDate ? "-" : "bad null";
  return std::trunc(V) == V ? Ymd(V) : YmdHns(V);
}
}  // namespace

TEST(SmartDateInput, WordsAndOffsets) {
  TPinnedClock Clock(D(2024, 5, 15) + 0.5);   // a Wednesday, noon
  struct Case { const char* Text; const char* Expected; };
  const Case Cases[] = {
      {"today", "2024-05-15 00:00:00"},
      {"today+3", "2024-05-18 00:00:00"},
      {"TODAY + 3", "2024-05-18 00:00:00"},
      {"  Today  +  3 ", "2024-05-18 00:00:00"},
      {"today+", "2024-05-15 00:00:00"},
      {"today+x", "2024-05-15 00:00:00"},
      {"today-15", "2024-04-30 00:00:00"},
      {"yesterday", "2024-05-14 00:00:00"},
      {"tomorrow", "2024-05-16 00:00:00"},
      {"Wednesday", "2024-05-15 00:00:00"},
      {"tuesday", "2024-05-21 00:00:00"},
      {"sunday+1", "2024-05-20 00:00:00"},
      {"first", "2024-05-13 00:00:00"},    // the week starts on Monday
      {"seventh", "2024-05-19 00:00:00"},
      {"bom", "2024-05-01 00:00:00"},
      {"eom", "2024-05-31 00:00:00"},
      {"now", "2024-05-15 12:00:00"},
      {"now+1", "2024-05-16 12:00:00"},
      {"2024-05-15", "-"},
      {"", "-"},
  };
  for (const Case& c : Cases) EXPECT_EQ(Smart(c.Text), c.Expected) << c.Text;
}

TEST(SmartDateInput, WeekEdgesAndHook) {
  {
    TPinnedClock Clock(D(2024, 5, 19));   // a Sunday: "first" is six days back
    EXPECT_EQ(Smart("first"), "2024-05-13 00:00:00");
  }
  {
    TPinnedClock Clock(D(2024, 2, 10));
    EXPECT_EQ(Smart("eom"), "2024-02-29 00:00:00");
  }
  TPinnedClock Clock(D(2024, 5, 15));
  cxSmartInputHook = [](const String& Text, TDateTime& Date) {
    if (Text != "payday") return false;
    Date = D(2024, 5, 25);
    return true;
  };
  EXPECT_EQ(Smart("payday"), "2024-05-25 00:00:00");
  EXPECT_EQ(Smart("today"), "2024-05-15 00:00:00");   // a word wins over the hook
  cxSmartInputHook = nullptr;
  EXPECT_EQ(Smart("payday"), "-");
}

TEST(DateText, ParsingTable) {
  TPinnedClock Clock(D(2024, 5, 15));
  struct Case { const char* Text; const char* Expected; };
  const Case Cases[] = {
      {"2024-05-15", "2024-05-15"},
      {"2024-5-6", "2024-05-06"},
      {"2024/5/6", "2024-05-06"},
      {"2024.5.6", "2024-05-06"},
      {" 2024 5 6 ", "2024-05-06"},
      {"2024年5月6日", "2024-05-06"},
      {"2024-十二月-6", "2024-12-06"},
      {"2024-十一月-6", "2024-11-06"},
      {"24-5-6", "2024-05-06"},
      {"49-5-6", "2049-05-06"},
      {"50-5-6", "1950-05-06"},
      {"5-6", "2024-05-06"},
      {"2024-02-29", "2024-02-29"},
      {"2023-02-29", "-"},
      {"2024-13-01", "-"},
      {"10000-01-01", "-"},
      {"9999-12-31", "9999-12-31"},
      {"2024-05-15 13:45", "2024-05-15 13:45:00"},
      {"2024-05-15 13:45:30", "2024-05-15 13:45:30"},
      {"2024-05-15 下午1:45", "2024-05-15 13:45:00"},
      {"2024-05-15 1:45 pm", "2024-05-15 13:45:00"},
      {"2024-05-15 上午12:10", "2024-05-15 00:10:00"},
      {"2024-05-15 25:00", "-"},
      {"today", "2024-05-15"},
      {"eom-1", "2024-05-30"},
      {"tomorrow + 100000000", "-"},   // beyond the largest year
      {"no date", "-"},
      {"", "-"},
      {"   ", "-"},
  };
  for (const Case& c : Cases) EXPECT_EQ(Parse(c.Text), c.Expected) << c.Text;

  TDateTime V = 1;
  EXPECT_FALSE(cxTryTextToDateTime("2024-02-30", true, V));
  EXPECT_EQ(V, NullDate);
  EXPECT_TRUE(cxTryTextToDateTime("2024-02-03 8:05", true, V));
  EXPECT_EQ(YmdHns(V), "2024-02-03 08:05:00");
  EXPECT_TRUE(cxTryTextToDateTime("today", true, V) == false);   // no smart input here
}

TEST(DateText, DisplayTexts) {
  const TDateTime V = D(2024, 5, 6) + cxrtl::EncodeTime(13, 45, 0, 0);
  EXPECT_EQ(cxDateTimeToDisplayText(false, false, false, NullDate), "");
  EXPECT_EQ(cxDateToLocaleText(true, NullDate), "");
  EXPECT_EQ(cxLocaleCalendarDateText(NullDate), "");
  EXPECT_EQ(cxDateTimeToDisplayText(false, false, false, D(2024, 5, 6)), "2024-05-06");
  EXPECT_EQ(cxDateTimeToDisplayText(false, true, false, V), "2024-05-06 13:45:00");
  EXPECT_EQ(cxDateTimeToDisplayText(true, true, false, V), "2024-05-06 13:45:00");
  EXPECT_EQ(cxDateTimeToDisplayText(true, false, false, V), "2024-05-06");
  EXPECT_EQ(cxLocaleCalendarDateText(V), "2024-05-06 13:45:00");
  EXPECT_EQ(cxDayNumberText(V), "6");
  // A two-digit year format is widened to four digits on request.
  FormatSettings().ShortDateFormat = "yy-m-d";
  EXPECT_EQ(cxDateToLocaleText(true, false, D(2024, 5, 6)), "2024-5-6");
  EXPECT_EQ(cxDateToLocaleText(false, false, D(2024, 5, 6)), "24-5-6");
  ResetFormatSettings();
  EXPECT_EQ(cxDateMonthYearCaption(nullptr, V), "2024年5月");
  EXPECT_EQ(cxDateLongMonthName(nullptr, V), "五月");
  EXPECT_EQ(cxDateYearText(nullptr, V), "2024");
  EXPECT_EQ(cxShortDayName(1), "一");
  EXPECT_EQ(cxShortDayName(7), "日");
  EXPECT_EQ(cxShortDayName(0), "");
  cxOneCharDayNames = false;
  EXPECT_EQ(cxShortDayName(7), "周日");
  cxOneCharDayNames = true;
}

TEST(DateArithmetic, WeeksAndLeapYears) {
  EXPECT_EQ(cxWeekNumber(1, 3, D(2008, 12, 31)), 1);   // a Wednesday, weeks from Monday
  EXPECT_EQ(cxWeekNumber(1, 1, D(2024, 12, 30)), 1);   // its week holds 1 January
  EXPECT_EQ(cxWeekNumber(1, 0, D(2024, 12, 30)), 1);   // the profile's rule is the first
  EXPECT_EQ(cxWeekNumber(1, 1, D(2024, 1, 1)), 1);
  EXPECT_EQ(cxWeekNumber(1, 1, D(2024, 1, 8)), 2);
  EXPECT_EQ(cxWeekNumber(1, 2, D(2023, 1, 1)), 1);     // a Sunday before the first full week
  EXPECT_EQ(cxWeekNumber(1, 2, D(2023, 1, 9)), 2);
  EXPECT_EQ(cxWeekNumber(0, 3, D(2021, 1, 3)), 1);
  EXPECT_EQ(cxWeekStart(D(2024, 5, 15) + 0.75, 1), D(2024, 5, 13));
  EXPECT_EQ(cxWeekStart(D(2024, 5, 19), 0), D(2024, 5, 19));
  EXPECT_EQ(cxWeekdayIndex(D(2024, 5, 13)), 0);   // Monday first
  EXPECT_EQ(cxWeekdayIndex(D(2024, 5, 19)), 6);
  EXPECT_EQ(cxLocaleStartOfWeek(), 1);
  EXPECT_TRUE(cxIsLeapYear(2000));
  EXPECT_FALSE(cxIsLeapYear(1900));
  EXPECT_TRUE(cxIsLeapYear(-4));
  EXPECT_EQ(cxDaysPerMonth(2024, 2), 29);
  EXPECT_EQ(cxDaysPerMonth(2023, 2), 28);
  EXPECT_EQ(cxDaysPerMonth(2023, 13), 0);
  EXPECT_EQ(cxDatePart(-1.25), -1);
  EXPECT_DOUBLE_EQ(cxTimePart(-1.25), 0.25);
  EXPECT_EQ(Ymd(cxMinSupportedDate()), "0100-01-01");
  EXPECT_EQ(cxDateOrderOfFormat("dd/mm/yyyy"), 1);
  EXPECT_EQ(cxDateOrderOfFormat("yyyy-mm-dd"), 2);
  EXPECT_EQ(cxDateOrderOfFormat("M/d/e"), 0);
  EXPECT_EQ(cxDateOrderOfFormat(""), 0);
}

TEST(DateText, SmartInputMaskAlternatives) {
  String E = "\\d";
  cxSmartInputRegExpr(E, false);
  EXPECT_EQ(E.rfind("(\\d)|('today'|'yesterday'|", 0), 0u);
  EXPECT_NE(E.find("'bom'|'eom')((\\+|-)\\d(\\d(\\d\\d?)?)?)?"), String::npos);
  EXPECT_EQ(E.find("'now'"), String::npos);
  String N = "\\d";
  cxSmartInputRegExpr(N, true);
  EXPECT_NE(N.find("'eom'|'now')"), String::npos);
}
