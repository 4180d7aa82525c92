#include <windows.h>

#include <cmath>

#include "DateUtils.h"
#include "FormatSettings.h"
#include "gtest.h"

namespace {

// Pins the clock and restores the clock and the format profile afterwards.
class DateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClock([] { return EncodeDateTime(2024, 6, 15, 10, 30, 0, 0); });
  }
  void TearDown() override {
    ResetClock();
    ResetFormatSettings();
  }
};

struct YMD {
  Word y, m, d;
};

}  // namespace

TEST_F(DateTest, EncodeDateKnownValues) {
  struct Case {
    YMD date;
    double value;
  } cases[] = {
      {{1899, 12, 30}, 0},      {{1899, 12, 29}, -1},       {{1900, 1, 1}, 2},
      {{2000, 2, 29}, 36585},   {{2024, 3, 5}, 45356},      {{1, 1, 1}, -693593},
      {{9999, 12, 31}, 2958465}, {{1600, 2, 29}, -109512},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.date.y * 10000 + c.date.m * 100 + c.date.d);
    EXPECT_EQ(EncodeDate(c.date.y, c.date.m, c.date.d), c.value);
    Word y, m, d;
    DecodeDate(c.value, y, m, d);
    EXPECT_EQ(y, c.date.y);
    EXPECT_EQ(m, c.date.m);
    EXPECT_EQ(d, c.date.d);
  }
}

TEST_F(DateTest, DecodeEncodeRoundTripOverWholeRange) {
  for (double v = MinDateTime; v <= 2958465; v += 97) {
    Word y, m, d;
    DecodeDate(v, y, m, d);
    ASSERT_EQ(EncodeDate(y, m, d), v) << v;
  }
  // Every day of a leap year and the days around the century rule.
  for (double v = EncodeDate(1999, 12, 1); v < EncodeDate(2001, 3, 1); v += 1) {
    Word y, m, d;
    DecodeDate(v, y, m, d);
    ASSERT_EQ(EncodeDate(y, m, d), v) << v;
  }
}

TEST_F(DateTest, InvalidDatesAndTimesAreRefused) {
  YMD bad[] = {{2023, 2, 29}, {1900, 2, 29}, {0, 1, 1}, {10000, 1, 1},
               {2024, 13, 1}, {2024, 0, 1},  {2024, 4, 31}, {2024, 1, 0}};
  for (const auto& c : bad) {
    TDateTime v = 123;
    EXPECT_FALSE(TryEncodeDate(c.y, c.m, c.d, v));
    EXPECT_EQ(v, 123);
    try {
      EncodeDate(c.y, c.m, c.d);
      ADD_FAILURE() << "no error for " << c.y << "-" << c.m << "-" << c.d;
    } catch (EConvertError& e) {
      EXPECT_EQ(e.Message(), "Invalid argument to date encode");
    }
  }
  TDateTime t;
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, t));
  EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, t));
  EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, t));
  EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, t));
  EXPECT_THROW(EncodeTime(25, 0, 0, 0), EConvertError);
}

TEST_F(DateTest, TimeOfDayAndNegativeDates) {
  Word h, n, s, ms;
  DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, ms);
  EXPECT_EQ((std::vector<Word>{h, n, s, ms}), (std::vector<Word>{23, 59, 59, 999}));
  // Before 1899-12-30 the time is the absolute value of the fraction.
  TDateTime v = EncodeDateTime(1899, 12, 29, 6, 0, 0, 0);
  EXPECT_DOUBLE_EQ(v, -1.25);
  Word y, m, d;
  DecodeDateTime(v, y, m, d, h, n, s, ms);
  EXPECT_EQ((std::vector<Word>{y, m, d, h, n}), (std::vector<Word>{1899, 12, 29, 6, 0}));
  // A fraction a hair below midnight rounds to the next day, not to 24:00.
  DecodeDateTime(0.9999999999, y, m, d, h, n, s, ms);
  EXPECT_EQ((std::vector<Word>{y, m, d, h, n, s, ms}), (std::vector<Word>{1899, 12, 31, 0, 0, 0, 0}));
  // Values outside the calendar decode as zeros instead of failing.
  for (double bad : {-700000.0, 1e300, std::nan("")}) {
    DecodeDate(bad, y, m, d);
    EXPECT_EQ(y + m + d, 0) << bad;
    EXPECT_EQ(DayOfWeek(bad), 0);
  }
}

TEST_F(DateTest, CalendarRules) {
  EXPECT_EQ(DayOfWeek(0), 7);                          // 1899-12-30 was a Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 7)), 1);     // Sunday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 5) + 0.7), 3);
  EXPECT_EQ(DayOfWeek(-1.25), 6);
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(2023));
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2024, 4), 30);
  EXPECT_EQ(DaysInMonth(2024, 13), 0);
}

TEST_F(DateTest, IncMonthClampsToMonthEndAndKeepsTime) {
  struct Case {
    YMD from;
    int months;
    YMD to;
  } cases[] = {
      {{2024, 1, 31}, 1, {2024, 2, 29}},  {{2023, 1, 31}, 1, {2023, 2, 28}},
      {{2024, 3, 31}, -1, {2024, 2, 29}}, {{2024, 12, 15}, 1, {2025, 1, 15}},
      {{2024, 1, 15}, -13, {2022, 12, 15}}, {{2024, 2, 29}, 12, {2025, 2, 28}},
  };
  for (const auto& c : cases) {
    TDateTime from = EncodeDate(c.from.y, c.from.m, c.from.d) + 0.25;
    EXPECT_EQ(IncMonth(from, c.months), EncodeDate(c.to.y, c.to.m, c.to.d) + 0.25)
        << c.from.y << "-" << c.from.m << "-" << c.from.d << " " << c.months;
  }
  EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EConvertError);
  EXPECT_EQ(IncYear(EncodeDate(2024, 2, 29)), EncodeDate(2025, 2, 28));
  EXPECT_DOUBLE_EQ(IncHour(EncodeDate(2024, 3, 5), 36), EncodeDate(2024, 3, 6) + 0.5);
}

TEST_F(DateTest, ClockCanBePinnedAndReset) {
  EXPECT_EQ(Now(), EncodeDateTime(2024, 6, 15, 10, 30, 0, 0));
  EXPECT_EQ(Date(), EncodeDate(2024, 6, 15));
  EXPECT_EQ(Time(), EncodeTime(10, 30, 0, 0));
  ResetClock();
  SYSTEMTIME st;
  GetLocalTime(&st);
  EXPECT_LT(std::fabs(Now() - SystemTimeToDateTime(st)), 1.0 / 24 / 60);
}

TEST_F(DateTest, SystemTimeRoundTrip) {
  TDateTime v = EncodeDateTime(2024, 3, 5, 14, 7, 9, 45);
  SYSTEMTIME st;
  DateTimeToSystemTime(v, st);
  EXPECT_EQ(st.wYear, 2024);
  EXPECT_EQ(st.wDayOfWeek, 2);   // Tuesday
  EXPECT_EQ(st.wMilliseconds, 45);
  EXPECT_DOUBLE_EQ(SystemTimeToDateTime(st), v);
}

TEST_F(DateTest, FormatDateTimeSpecifiers) {
  const TDateTime v = EncodeDateTime(2024, 3, 5, 14, 7, 9, 45);   // a Tuesday
  struct Case {
    const char* format;
    TDateTime value;
    const char* expected;
  } cases[] = {
      {"yyyy-mm-dd", v, "2024-03-05"},
      {"yy/m/d", v, "24-3-5"},   // "/" is the profile's date separator
      {"mmm|mmmm", v, "3月|三月"},
      {"ddd|dddd", v, "周二|星期二"},
      {"ddddd", v, "2024-03-05"},
      {"dddddd", v, "2024年3月5日"},
      {"hh:nn:ss.zzz", v, "14:07:09.045"},
      {"h:n:s.z", v, "14:7:9.45"},
      {"hh:mm", v, "14:07"},   // m after h means minutes
      {"h:mm am/pm", v, "2:07 pm"},
      {"h:mm AM/PM", v, "2:07 PM"},
      {"h:mm am/pm", EncodeTime(0, 30, 0, 0), "12:30 am"},
      {"h a/p", v, "2 p"},
      {"hh ampm", v, "02 下午"},
      {"t|tt", v, "14:07|14:07:09"},
      {"c", v, "2024-03-05 14:07:09"},
      {"c", EncodeDate(2024, 3, 5), "2024-03-05"},
      {"", v, "2024-03-05 14:07:09"},
      {"'yyyy'yyyy\"mm\"", v, "yyyy2024mm"},
      {"yyyymmdd0001", v, "202403050001"},
      {"yyyymmdd%", v, "20240305%"},
      {"yyyy年m月", v, "2024年3月"},
      {"'unterminated", v, "unterminated"},
      {"yyyy-mm-dd", -700000.0, "0000-00-00"},   // outside the calendar: no crash
      {"yyyy-mm-dd hh:nn", -1.25, "1899-12-29 06:00"},
      {"yyyy-mm-dd", 2958465.9999999, "9999-12-31"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.format, c.value), c.expected) << c.format;
}

TEST_F(DateTest, FormatsReferringToThemselvesStop) {
  FormatSettings().ShortDateFormat = "ddddd";
  FormatSettings().LongTimeFormat = "c";
  EXPECT_EQ(FormatDateTime("c", 0.5), "  ");
}

TEST_F(DateTest, ToStrUsesTheProfile) {
  TDateTime v = EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);
  EXPECT_EQ(DateToStr(v), "2024-03-05");
  EXPECT_EQ(TimeToStr(v), "14:07:09");
  EXPECT_EQ(DateTimeToStr(v), "2024-03-05 14:07:09");
  TFormatSettings fs = TFormatSettings::ZhCN();
  fs.ShortDateFormat = "dd/mm/yyyy";
  fs.DateSeparator = '.';
  EXPECT_EQ(DateToStr(v, fs), "05.03.2024");
}

TEST_F(DateTest, StrToDateByProfileOrder) {
  struct Case {
    const char* text;
    YMD expected;   // year 0: refused
  } cases[] = {
      {"2024-03-05", {2024, 3, 5}},
      {" 2024 - 3 - 5 ", {2024, 3, 5}},
      {"2024-03-05-", {2024, 3, 5}},
      {"3-5", {2024, 3, 5}},   // the clock's year
      {"24-3-5", {2024, 3, 5}},
      {"74-1-1", {1974, 1, 1}},   // window of 50 years before 2024
      {"73-1-1", {2073, 1, 1}},
      {"2024-02-29", {2024, 2, 29}},
      {"1899-12-30", {1899, 12, 30}},
      {"0001-01-01", {1, 1, 1}},
      {"9999-12-31", {9999, 12, 31}},
      {"2023-02-29", {0, 0, 0}},
      {"2024-13-01", {0, 0, 0}},
      {"2024/03/05", {0, 0, 0}},
      {"2024-03-05x", {0, 0, 0}},
      {"10000-01-01", {0, 0, 0}},
      {"0-1-1", {2000, 1, 1}},
      {"99999999999999999999-1-1", {0, 0, 0}},
      {"abc", {0, 0, 0}},
      {"", {0, 0, 0}},
      {"2024-03-05 10:00", {0, 0, 0}},
  };
  for (const auto& c : cases) {
    TDateTime v = -5;
    bool ok = TryStrToDate(c.text, v);
    if (c.expected.y == 0) {
      EXPECT_FALSE(ok) << c.text;
      EXPECT_EQ(v, -5);
      EXPECT_EQ(StrToDateDef(c.text, 7), 7);
    } else {
      EXPECT_TRUE(ok) << c.text;
      EXPECT_EQ(v, EncodeDate(c.expected.y, c.expected.m, c.expected.d)) << c.text;
    }
  }
  try {
    StrToDate("2023-02-29");
    ADD_FAILURE();
  } catch (EConvertError& e) {
    EXPECT_EQ(e.Message(), "'2023-02-29' is not a valid date");
  }
}

TEST_F(DateTest, StrToDateOtherOrdersAndWindows) {
  TFormatSettings fs = TFormatSettings::ZhCN();
  fs.ShortDateFormat = "dd/mm/yyyy";
  fs.DateSeparator = '/';
  EXPECT_EQ(StrToDate("5/3/2024", fs), EncodeDate(2024, 3, 5));
  EXPECT_EQ(StrToDate("5/3", fs), EncodeDate(2024, 3, 5));
  fs.ShortDateFormat = "m/d/yy";
  EXPECT_EQ(StrToDate("3/5/24", fs), EncodeDate(2024, 3, 5));
  fs.TwoDigitYearCenturyWindow = 0;   // two-digit years stay in this century
  EXPECT_EQ(StrToDate("1/1/80", fs), EncodeDate(2080, 1, 1));
}

TEST_F(DateTest, StrToTime) {
  struct Case {
    const char* text;
    int h, n, s, ms;   // h < 0: refused
  } cases[] = {
      {"14:07:09", 14, 7, 9, 0}, {"14:07", 14, 7, 0, 0},  {"9", 9, 0, 0, 0},
      {"14:07:09.045", 14, 7, 9, 45}, {"2:07 PM", 14, 7, 0, 0}, {"2:07 pm", 14, 7, 0, 0},
      {"下午 2:07", 14, 7, 0, 0}, {"12:00 am", 0, 0, 0, 0}, {"12:30 PM", 12, 30, 0, 0},
      {" 8:05 ", 8, 5, 0, 0},
      {"25:00", -1}, {"13:00 pm", -1}, {"0:10 am", -1}, {"1:60", -1}, {"abc", -1},
      {"14:07x", -1}, {"", -1}, {"14:", -1},
  };
  for (const auto& c : cases) {
    TDateTime v = -5;
    bool ok = TryStrToTime(c.text, v);
    if (c.h < 0) {
      EXPECT_FALSE(ok) << c.text;
    } else {
      EXPECT_TRUE(ok) << c.text;
      EXPECT_EQ(v, EncodeTime(c.h, c.n, c.s, c.ms)) << c.text;
    }
  }
  try {
    StrToTime("25:00");
    ADD_FAILURE();
  } catch (EConvertError& e) {
    EXPECT_EQ(e.Message(), "'25:00' is not a valid time");
  }
}

TEST_F(DateTest, StrToDateTime) {
  EXPECT_EQ(StrToDateTime("2024-03-05 14:07:09"), EncodeDateTime(2024, 3, 5, 14, 7, 9, 0));
  EXPECT_EQ(StrToDateTime("2024-03-05"), EncodeDate(2024, 3, 5));
  EXPECT_EQ(StrToDateTime("14:07"), EncodeTime(14, 7, 0, 0));
  EXPECT_DOUBLE_EQ(StrToDateTime("1899-12-29 06:00"), -1.25);
  // Round trip through the default text.
  TDateTime v = EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);
  EXPECT_EQ(StrToDateTime(DateTimeToStr(v)), v);
  for (const char* bad : {"2024-03-05 25:00", "2024-03-05 10:00 garbage", "2024-03-05 10:00:00:00"}) {
    try {
      StrToDateTime(bad);
      ADD_FAILURE() << bad;
    } catch (EConvertError& e) {
      EXPECT_EQ(e.Message(), String("'") + bad + "' is not a valid date and time");
    }
  }
  EXPECT_EQ(StrToDateTimeDef("x", 3), 3);
  EXPECT_EQ(StrToTimeDef("x", 3), 3);
}
