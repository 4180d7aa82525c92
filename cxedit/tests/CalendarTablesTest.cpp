#include "cxDateRtl.h"
#include "cxDateUtils.h"
#include "gtest.h"

namespace {
TDateTime D(int y, int m, int d) { return cxrtl::EncodeDate(y, m, d); }
String Ymd(TDateTime v) { return cxrtl::FormatDateTime("yyyy-mm-dd", v, FormatSettings()); }
String Parts(const TcxCustomCalendarTable& T, TDateTime V) {
  TcxCalendarDateTimeParts P = T.SplitDate(V);
  return std::to_string(P.Era) + "/" + std::to_string(P.Year) + "-" + std::to_string(P.Month) + "-" + std::to_string(P.Day);
}
}  // namespace

TEST(CalendarTables, FactoryAndIdentifiers) {
  const int Idents[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  for (int Type : Idents) EXPECT_EQ(cxCreateCalendarTable(Type)->CalendarIdent(), Type);
  EXPECT_EQ(cxCreateCalendarTable(42)->CalendarIdent(), 1);
  EXPECT_TRUE(cxCreateCalendarTable(9)->InheritsFrom(TcxGregorianCalendarTable::StaticClass()));
  EXPECT_TRUE(cxCreateCalendarTable(7)->Is<TcxThaiCalendarTable>());
  EXPECT_EQ(cxCreateCalendarTable(10)->FirstWeekday(), 6);
  EXPECT_EQ(cxCreateCalendarTable(11)->FirstWeekday(), 1);
  EXPECT_TRUE(cxIsGregorianCalendar(cxCreateCalendarTable(12).get()));
  EXPECT_FALSE(cxIsGregorianCalendar(cxCreateCalendarTable(6).get()));
  EXPECT_TRUE(cxIsGregorianLocaleCalendar());
}

TEST(CalendarTables, GregorianArithmetic) {
  TcxGregorianCalendarTable G;
  EXPECT_EQ(Ymd(G.ShiftMonths(D(2024, 1, 31), 1)), "2024-02-29");
  EXPECT_EQ(Ymd(G.ShiftMonths(D(2024, 1, 31), 13)), "2025-02-28");
  EXPECT_EQ(Ymd(G.ShiftMonths(D(2024, 1, 31), -1)), "2023-12-31");
  EXPECT_EQ(Ymd(G.ShiftMonths(D(2024, 3, 15), -27)), "2021-12-15");
  EXPECT_EQ(Ymd(G.ShiftYears(D(2024, 2, 29), 1)), "2025-02-28");
  EXPECT_EQ(Ymd(G.ShiftWeeks(D(2024, 2, 26), 1)), "2024-03-04");
  // Shifts stay inside the table's dates.
  EXPECT_EQ(Ymd(G.ShiftMonths(D(9999, 12, 1), 1)), Ymd(G.EarliestDate()));   // leaves the years: rejected
  EXPECT_EQ(G.ShiftDays(G.SplitDate(D(9999, 12, 30)), 5), G.LatestDate());
  EXPECT_EQ(Ymd(G.ShiftDays(G.SplitDate(D(100, 1, 2)), -5)), "0100-01-01");
  EXPECT_TRUE(G.IsIntercalaryDay(2024, 2, 29));
  EXPECT_FALSE(G.IsIntercalaryDay(2023, 2, 29));
  EXPECT_EQ(G.MonthLength(2100, 2), 28);
  EXPECT_EQ(G.YearLength(2000), 366);
  EXPECT_EQ(G.DayInYear(D(2024, 3, 1)), 61);
  EXPECT_FALSE(G.HasDay(2023, 2, 29));
  EXPECT_FALSE(G.HasMonth(2023, 13));
  EXPECT_FALSE(G.HasYear(10000));
  // Weeks in a year with Sunday as the first weekday.
  EXPECT_EQ(G.WeeksInYear(2016), 53);
  EXPECT_EQ(G.WeeksInYear(2010), 52);
  EXPECT_EQ(G.WeeksInYear(2011), 53);
  EXPECT_EQ(Ymd(G.WeekStartDate(D(2024, 5, 15))), "2024-05-12");
  EXPECT_EQ(Ymd(G.WeekStartDate(1, D(2024, 5, 15))), "2024-05-13");
  EXPECT_EQ(G.WeekOfYear(1, 3, D(2008, 12, 31)), 1);
  EXPECT_THROW(G.JoinDate(2023, 2, 29), EConvertError);
}

TEST(CalendarTables, EraCalendars) {
  TcxJapaneseCalendarTable J;
  EXPECT_EQ(Parts(J, D(1989, 1, 7)), "2/64-1-7");
  EXPECT_EQ(Parts(J, D(1989, 1, 8)), "3/1-1-8");
  EXPECT_EQ(Parts(J, D(1868, 9, 7)), "-1/-120-9-7");   // before the first era
  const TDateTime Back = J.ShiftYears(D(1989, 1, 8), -1);
  EXPECT_EQ(Ymd(Back), "1988-01-08");
  EXPECT_EQ(Parts(J, Back), "2/63-1-8");
  const TDateTime Taisho = J.ShiftYears(D(1915, 5, 1), -5);
  EXPECT_EQ(Ymd(Taisho), "1910-05-01");
  EXPECT_EQ(Parts(J, Taisho), "0/43-5-1");
  TcxCalendarDateTimeParts P;
  P.Era = 3;
  P.Year = 36;
  P.Month = 5;
  P.Day = 6;
  EXPECT_EQ(Ymd(J.JoinDate(P)), "2024-05-06");
  P.Day = 32;
  EXPECT_EQ(J.JoinDate(P), J.EarliestDate());   // invalid parts are rejected

  TcxTaiwanCalendarTable T;
  TcxKoreanCalendarTable K;
  TcxThaiCalendarTable Th;
  EXPECT_EQ(Parts(T, D(2024, 5, 6)), "0/113-5-6");
  EXPECT_EQ(Parts(K, D(2024, 5, 6)), "0/4357-5-6");
  EXPECT_EQ(Parts(Th, D(2024, 5, 6)), "0/2567-5-6");
  EXPECT_EQ(Ymd(T.EarliestDate()), "1912-01-01");
  EXPECT_EQ(T.LargestYear(), 8088);
  EXPECT_EQ(K.SmallestYear(), 2334);
  EXPECT_EQ(Th.LargestYear(), 10542);
  EXPECT_TRUE(Th.IsIntercalaryYear(2567));   // 2024
  EXPECT_EQ(Th.MonthLength(2567, 2), 29);
}

TEST(CalendarTables, Hijri) {
  TcxHijriCalendarTable H;
  EXPECT_EQ(Parts(H, D(2024, 1, 1)), "-1/1445-6-20");
  EXPECT_EQ(Ymd(H.JoinDate(1, 1, 1)), "0622-07-18");
  EXPECT_EQ(Ymd(H.JoinDate(1445, 6, 20)), "2024-01-01");
  EXPECT_EQ(Parts(H, D(622, 7, 18)), "-1/1-1-1");
  EXPECT_EQ(Parts(H, D(622, 7, 16)), "-1/1-1-1");   // the two days before the first day
  // The latest date is that of the other calendars: 31 December 9999 is
  // Hijri 9666-04-03.
  EXPECT_EQ(H.LatestDate(), cxMaxDateTime);
  EXPECT_EQ(Parts(H, H.LatestDate()), "-1/9666-4-3");
  EXPECT_EQ(H.ShiftMonths(D(9999, 12, 1), 2), H.LatestDate());
  EXPECT_TRUE(H.IsIntercalaryYear(1445 - 1445 % 30 + 29));
  EXPECT_EQ(H.MonthLength(2, 12), 30);   // year 2 of a cycle is a leap year
  EXPECT_EQ(H.MonthLength(1, 12), 29);
  EXPECT_EQ(H.YearLength(2), 355);
  EXPECT_EQ(H.WeeksInYear(1445), 50);
  // Round trip over a few thousand days.
  for (TDateTime V = D(2020, 1, 1); V < D(2030, 1, 1); V += 37) EXPECT_EQ(H.JoinDate(H.SplitDate(V)), V);
}

TEST(CalendarTables, Hebrew) {
  TcxHebrewCalendarTable H;
  EXPECT_EQ(Parts(H, D(2024, 1, 1)), "-1/5784-4-20");
  EXPECT_EQ(Ymd(H.JoinDate(5784, 1, 1)), "2023-09-16");
  EXPECT_EQ(H.MonthCount(5784), 13);
  EXPECT_EQ(H.YearLength(5784), 383);
  EXPECT_EQ(H.MonthLength(5784, 7), 29);
  EXPECT_TRUE(H.IsIntercalaryMonth(5784, 7));
  EXPECT_FALSE(H.IsIntercalaryMonth(5783, 7));
  EXPECT_EQ(Parts(H, D(1583, 1, 1)), "-1/5343-4-7");
  EXPECT_EQ(Parts(H, D(2300, 1, 1)), "-1/5999-13-29");
  EXPECT_EQ(Parts(H, D(1500, 1, 1)), "-1/5343-4-7");
  EXPECT_EQ(H.YearLength(6000), 0);
  EXPECT_EQ(H.MonthLength(6000, 1), 0);
  EXPECT_FALSE(H.HasYear(5342));
  // Shifting months out of the table's years gives up instead of looping.
  EXPECT_EQ(H.ShiftMonths(D(1583, 1, 1), -12), H.EarliestDate());
  EXPECT_EQ(Ymd(H.ShiftMonths(D(2024, 1, 1), 1)), "2024-01-30");   // Tevet 20 to Shevat 20
  EXPECT_EQ(H.ParseYear("תשפ״ד"), 5784);
  EXPECT_EQ(H.ParseDay("כ"), 20);
  EXPECT_EQ(H.ParseMonth(5784, "ז"), 7);
  EXPECT_EQ(H.ParseYear("84"), 1984);   // digits: the two-digit window
  EXPECT_EQ(H.ParseYear("2030"), 2030);
  for (TDateTime V = D(2020, 1, 1); V < D(2030, 1, 1); V += 29) EXPECT_EQ(H.JoinDate(H.SplitDate(V)), V);
}

TEST(CalendarTables, ParsingTypedParts) {
  TcxGregorianCalendarTable G;
  const Integer Saved = cxTwoDigitYearMax;
  cxTwoDigitYearMax = 2029;
  EXPECT_EQ(G.ParseYear("29"), 2029);
  EXPECT_EQ(G.ParseYear("30"), 1930);
  EXPECT_EQ(G.ParseYear("2030"), 2030);
  cxTwoDigitYearMax = Saved;
  EXPECT_EQ(G.ParseMonth(2024, "三月"), 3);
  EXPECT_EQ(G.ParseMonth(2024, "11"), 11);
  EXPECT_THROW(G.ParseDay("x"), EConvertError);
  // A typed date in a calendar's own terms.
  TcxTaiwanCalendarTable T;
  EXPECT_EQ(Ymd(cxCalendarTextToDateTime("113-5-6", T)), "2024-05-06");
}
