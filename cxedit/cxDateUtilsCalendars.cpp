// Calendar tables: Gregorian, the era calendars on Gregorian arithmetic
// (Japanese, Taiwan, Korean, Thai), the arithmetic Hijri calendar and the
// table-driven Hebrew calendar.
#include <cmath>
#include "FormatSettings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "cxDateRtl.h"
#include "cxDateUtils.h"

TOVANI_IMPLEMENT_CLASS(TcxEra, TObject)
TOVANI_IMPLEMENT_CLASS(TcxCustomCalendarTable, TObject)
TOVANI_IMPLEMENT_CLASS(TcxGregorianCalendarTable, TcxCustomCalendarTable)
TOVANI_IMPLEMENT_CLASS(TcxJapaneseCalendarTable, TcxGregorianCalendarTable)
TOVANI_IMPLEMENT_CLASS(TcxTaiwanCalendarTable, TcxJapaneseCalendarTable)
TOVANI_IMPLEMENT_CLASS(TcxKoreanCalendarTable, TcxTaiwanCalendarTable)
TOVANI_IMPLEMENT_CLASS(TcxThaiCalendarTable, TcxTaiwanCalendarTable)
TOVANI_IMPLEMENT_CLASS(TcxHijriCalendarTable, TcxCustomCalendarTable)
TOVANI_IMPLEMENT_CLASS(TcxHebrewCalendarTable, TcxCustomCalendarTable)

using namespace cxrtl;

namespace {
TDateTime Greg(Word y, Word m, Word d) { return EncodeDate(y, m, d); }

// Joins a whole day and a time the class library's way: before 1899-12-30
// the time counts away from zero.
TDateTime WithTime(TDateTime Day, const TcxCalendarDateTimeParts& P) {
  TDateTime T = EncodeTime(P.Hour, P.Minute, P.Second, P.Millisecond);
  return Day < 0 ? Day - T : Day + T;
}

void SetTime(TDateTime Date, TcxCalendarDateTimeParts& P) {
  Word h, n, s, z;
  DecodeTime(Date, h, n, s, z);
  P.Hour = static_cast<Byte>(h);
  P.Minute = static_cast<Byte>(n);
  P.Second = static_cast<Byte>(s);
  P.Millisecond = z;
}

Integer Mod(Integer a, Integer b) {
  Integer r = a % b;
  return r < 0 ? r + b : r;
}

Integer WeekOfYearByRule(const TcxCustomCalendarTable& T, const TcxCalendarDateTimeParts& Parts, Integer Rule) {
  if (Rule == 0) Rule = 1;   // the profile's rule: the week of the first day
  TcxCalendarDateTimeParts First;
  First.Era = -1;
  First.Year = Parts.Year;
  First.Month = 1;
  First.Day = 1;
  TDateTime W = T.WeekStartDate(T.JoinDate(First));
  auto YearOfDate = [&](TDateTime D) { return T.SplitDate(D).Year; };
  if (Rule == 2 && YearOfDate(W) < Parts.Year) W += 7;
  if (Rule == 3 && YearOfDate(W + 3) < Parts.Year) W += 7;
  Integer Week = static_cast<Integer>(std::trunc(std::trunc(T.JoinDate(Parts)) - W)) / 7 + 1;
  if (Parts.Month == T.MonthCount(Parts.Era, Parts.Year)) {
    TcxCalendarDateTimeParts S;
    T.WeekStartDate(Parts, S);
    TDateTime Start = T.JoinDate(S);
    if (Rule == 1 && T.SplitDate(Start + 6).Month == 1) return 1;
    if (Rule == 3 && T.SplitDate(Start + 3).Month == 1) return 1;
  }
  return Week;
}
}  // namespace

// --- Base ----------------------------------------------------------------------

Integer TcxCustomCalendarTable::GregorianYearOf(Integer Year, Integer Era) const {
  if (Era == -1) return Year + DefaultEra()->YearOffset;
  if (Era >= 0 && Era < FEras.Count()) return Year + FEras.Items(Era)->YearOffset;
  return Year;
}

Integer TcxCustomCalendarTable::FindEra(Integer Year, Integer Month, Integer Day) const {
  if (FEras.Count() == 0) return -1;
  const TDateTime D = Greg(static_cast<Word>(Year), static_cast<Word>(Month), static_cast<Word>(Day));
  Integer Result = -1;
  for (Integer i = 0; i < FEras.Count(); ++i)
    if (FEras.Items(i)->StartDate <= D) Result = i;
  return Result;
}

void TcxCustomCalendarTable::FitYearToEra(Integer& Year, Integer& Era, Integer Month, Integer Day) const {
  const Integer G = GregorianYearOf(Year, Era);
  Era = FindEra(G, Month, Day);
  if (Era >= 0) Year = G - FEras.Items(Era)->YearOffset;
}

void TcxCustomCalendarTable::ClampDate(TDateTime& Date) const {
  if (Date < EarliestDate()) Date = EarliestDate();
  else if (!(Date <= LatestDate())) Date = LatestDate();
}

TDateTime TcxCustomCalendarTable::ShiftDays(const TcxCalendarDateTimeParts& Parts, Integer N) const {
  TDateTime R = JoinDate(Parts) + N;
  ClampDate(R);
  return R;
}

TDateTime TcxCustomCalendarTable::ShiftMonths(TDateTime Date, Integer N) const { return ShiftMonths(SplitDate(Date), N); }
TDateTime TcxCustomCalendarTable::ShiftYears(TDateTime Date, Integer N) const { return ShiftYears(SplitDate(Date), N); }
TDateTime TcxCustomCalendarTable::ShiftWeeks(TDateTime Date, Integer N) const { return ShiftWeeks(SplitDate(Date), N); }

TDateTime TcxCustomCalendarTable::ShiftMonths(const TcxCalendarDateTimeParts& Parts, Integer N) const {
  if (!ValidParts(Parts)) return EarliestDate();
  Integer Era = Parts.Era, Year = Parts.Year, Day = Parts.Day;
  Integer M = Parts.Month + N;
  const Integer Step = M > MonthCount(Era, Year) ? -1 : 1;
  while (M > MonthCount(Era, Year) || M <= 0) {
    // A year the table does not know has no months: the shift leaves the
    // calendar instead of looping.
    const Integer Count = Step == 1 ? MonthCount(Era, Year - 1) : MonthCount(Era, Year);
    if (Count <= 0) return EarliestDate();
    if (Step == 1) {
      M += Count;
      --Year;
    } else {
      M -= Count;
      ++Year;
    }
  }
  if (!HasDay(Era, Year, M, Day)) Day = MonthLength(Era, Year, M);
  FitYearToEra(Year, Era, M, Day);
  TcxCalendarDateTimeParts P = Parts;
  P.Era = Era;
  P.Year = Year;
  P.Month = M;
  P.Day = Day;
  if (!ValidParts(P)) return EarliestDate();
  TDateTime R = JoinDate(P);
  ClampDate(R);
  return R;
}

TDateTime TcxCustomCalendarTable::ShiftYears(const TcxCalendarDateTimeParts& Parts, Integer N) const {
  if (!ValidParts(Parts)) return EarliestDate();
  TcxCalendarDateTimeParts P = Parts;
  P.Year = Parts.Year + N;
  FitYearToEra(P.Year, P.Era);
  if (!HasYear(P.Era, P.Year)) return EarliestDate();
  if (!HasMonth(P.Era, P.Year, P.Month)) P.Month = MonthCount(P.Era, P.Year);
  if (!HasDay(P.Era, P.Year, P.Month, P.Day)) P.Day = MonthLength(P.Era, P.Year, P.Month);
  FitYearToEra(P.Year, P.Era, P.Month, P.Day);
  TDateTime R = JoinDate(P);
  ClampDate(R);
  return R;
}

TDateTime TcxCustomCalendarTable::ShiftWeeks(const TcxCalendarDateTimeParts& Parts, Integer N) const {
  TDateTime R = ShiftDays(Parts, 7 * N);
  ClampDate(R);
  return R;
}

void TcxCustomCalendarTable::SplitDate(Integer Year, Integer Month, Integer Day, TcxCalendarDateTimeParts& Parts) const {
  SplitDate(Greg(static_cast<Word>(Year), static_cast<Word>(Month), static_cast<Word>(Day)), Parts);
}

Integer TcxCustomCalendarTable::DayInYear(TDateTime Date) const { return DayInYear(SplitDate(Date)); }

Integer TcxCustomCalendarTable::DayInYear(const TcxCalendarDateTimeParts& Parts) const {
  Integer R = Parts.Day;
  for (Integer m = 1; m < Parts.Month; ++m) R += MonthLength(Parts.Year, m);
  return R;
}

TDateTime TcxCustomCalendarTable::WeekStartDate(TDateTime Date) const {
  TcxCalendarDateTimeParts R;
  WeekStartDate(SplitDate(Date), R);
  return JoinDate(R);
}

TDateTime TcxCustomCalendarTable::WeekStartDate(Integer StartOfWeek, TDateTime Date) const {
  const Integer W = WeekdayOf(Date);
  TDateTime R = Date + StartOfWeek - W;
  if (W < StartOfWeek) R -= 7;
  return R;
}

void TcxCustomCalendarTable::WeekStartDate(const TcxCalendarDateTimeParts& Parts, TcxCalendarDateTimeParts& Result) const {
  const Integer W = WeekdayOf(Parts), F = FirstWeekday();
  SplitDate(ShiftDays(Parts, F - W - (W < F ? 7 : 0)), Result);
}

void TcxCustomCalendarTable::WeekStartDate(const TcxCalendarDateTimeParts& Parts, Integer StartOfWeek,
                                           TcxCalendarDateTimeParts& Result) const {
  SplitDate(WeekStartDate(StartOfWeek, JoinDate(Parts)), Result);
}

Integer TcxCustomCalendarTable::WeekdayOf(TDateTime Date) const { return DayOfWeek(Date) - 1; }

Integer TcxCustomCalendarTable::WeekOfYear(Integer StartOfWeek, Integer Rule, TDateTime Date) const {
  return WeekOfYear(SplitDate(Date), StartOfWeek, Rule);
}

bool TcxCustomCalendarTable::HasYear(Integer, Integer Year) const {
  return SmallestYear() <= Year && Year <= LargestYear();
}

bool TcxCustomCalendarTable::HasMonth(Integer Era, Integer Year, Integer Month) const {
  return HasYear(Era, Year) && 1 <= Month && Month <= MonthCount(Era, Year);
}

bool TcxCustomCalendarTable::HasDay(Integer Era, Integer Year, Integer Month, Integer Day) const {
  return HasMonth(Era, Year, Month) && 1 <= Day && Day <= MonthLength(Era, Year, Month);
}

bool TcxCustomCalendarTable::HasDate(TDateTime Date) const {
  TcxCalendarDateTimeParts P = SplitDate(Date);
  return HasDay(-1, P.Year, P.Month, P.Day);
}

TDateTime TcxCustomCalendarTable::JoinDate(const TcxCalendarDateParts& Parts) const {
  TcxCalendarDateTimeParts P;
  P.Era = Parts.Era;
  P.Year = Parts.Year;
  P.Month = Parts.Month;
  P.Day = Parts.Day;
  return JoinDate(P);
}

TDateTime TcxCustomCalendarTable::JoinDate(Integer Year, Integer Month, Integer Day) const {
  return JoinDate(Year, Month, Day, 0, 0, 0, 0);
}

TDateTime TcxCustomCalendarTable::JoinDate(Integer Year, Integer Month, Integer Day, Integer Hour, Integer Minute,
                                           Integer Second, Integer Millisecond) const {
  TcxCalendarDateTimeParts P;
  P.Era = -1;
  P.Year = Year;
  P.Month = Month;
  P.Day = Day;
  P.Hour = static_cast<Byte>(Hour);
  P.Minute = static_cast<Byte>(Minute);
  P.Second = static_cast<Byte>(Second);
  P.Millisecond = static_cast<Word>(Millisecond);
  return JoinDate(P);
}

Integer TcxCustomCalendarTable::ParseDay(const String& Text) const { return StrToInt(Text); }

Integer TcxCustomCalendarTable::ParseMonth(Integer, const String& Text) const {
  const TFormatSettings& FS = FormatSettings();
  for (Integer m = 1; m <= 12; ++m)
    if (AnsiUpperCase(FS.LongMonthNames[m - 1]) == AnsiUpperCase(Text) ||
        AnsiUpperCase(FS.ShortMonthNames[m - 1]) == AnsiUpperCase(Text))
      return m;
  return StrToInt(Text);
}

Integer TcxCustomCalendarTable::ParseYear(const String& Text) const {
  const Integer Y = StrToInt(Text);
  if (Text.size() > 2) return Y;
  Integer R = Y + (cxTwoDigitYearMax / 100) * 100;
  if (Y > cxTwoDigitYearMax % 100) R -= 100;
  return R;
}

// --- Gregorian -----------------------------------------------------------------

TcxGregorianCalendarTable::TcxGregorianCalendarTable()
    : FDefaultEra(std::make_unique<TcxEra>(-1, NullDate, 0, 1, 9999)) {}

TDateTime TcxGregorianCalendarTable::LatestDate() const { return cxMaxDateTime; }
TDateTime TcxGregorianCalendarTable::EarliestDate() const { return Greg(100, 1, 1); }

void TcxGregorianCalendarTable::SplitDate(TDateTime Date, TcxCalendarDateTimeParts& Parts) const {
  Word y, m, d;
  DecodeDate(Date, y, m, d);
  Parts.Year = y;
  Parts.Month = m;
  Parts.Day = d;
  SetTime(Date, Parts);
}

TDateTime TcxGregorianCalendarTable::JoinDate(const TcxCalendarDateTimeParts& P) const {
  if (P.Year < 1 || P.Year > 9999) throw EConvertError("Invalid argument to date encode");
  return WithTime(Greg(static_cast<Word>(P.Year), static_cast<Word>(P.Month), static_cast<Word>(P.Day)), P);
}

bool TcxGregorianCalendarTable::IsIntercalaryYear(Integer Era, Integer Year) const {
  const Integer G = GregorianYearOf(Year, Era);
  return Mod(G, 4) == 0 && (Mod(G, 100) != 0 || Mod(G, 400) == 0);
}

Integer TcxGregorianCalendarTable::MonthLength(Integer Era, Integer Year, Integer Month) const {
  if (Month == 2) return IsIntercalaryYear(Era, Year) ? 29 : 28;
  if (Month == 4 || Month == 6 || Month == 9 || Month == 11) return 30;
  return 31;
}

Integer TcxGregorianCalendarTable::YearLength(Integer Era, Integer Year) const {
  return IsIntercalaryYear(Era, Year) ? 366 : 365;
}

bool TcxGregorianCalendarTable::IsIntercalaryMonth(Integer Era, Integer Year, Integer Month) const {
  return IsIntercalaryYear(Era, Year) && Month == 2;
}

bool TcxGregorianCalendarTable::IsIntercalaryDay(Integer Era, Integer Year, Integer Month, Integer Day) const {
  return IsIntercalaryMonth(Era, Year, Month) && Day == 29;
}

Integer TcxGregorianCalendarTable::FirstWeekday() const {
  if (FCalendarType == 9 || FCalendarType == 11 || FCalendarType == 12) return 1;
  if (FCalendarType == 10) return 6;
  return 0;
}

Integer TcxGregorianCalendarTable::WeeksInYear(Integer Year) const {
  Integer W = WeekdayOf(JoinDate(Year, 1, 1)) - FirstWeekday();
  if (W < 0) W += 7;
  return (IsIntercalaryYear(Year) && W >= 5) || W >= 6 ? 53 : 52;
}

Integer TcxGregorianCalendarTable::WeekOfYear(const TcxCalendarDateTimeParts& Parts, Integer StartOfWeek,
                                              Integer Rule) const {
  return cxWeekNumber(StartOfWeek, Rule, JoinDate(Parts));
}

// --- Era calendars ---------------------------------------------------------------

TcxJapaneseCalendarTable::TcxJapaneseCalendarTable() {
  FDefaultEra.reset();
  FCalendarType = 3;
  FEras.Add(std::make_unique<TcxEra>(1, Greg(1868, 9, 8), 1867, 1, 45));
  FEras.Add(std::make_unique<TcxEra>(2, Greg(1912, 7, 30), 1911, 1, 15));
  FEras.Add(std::make_unique<TcxEra>(3, Greg(1926, 12, 25), 1925, 1, 64));
  FEras.Add(std::make_unique<TcxEra>(4, Greg(1989, 1, 8), 1988, 1, 8011));
}

TDateTime TcxJapaneseCalendarTable::EarliestDate() const { return Greg(1868, 9, 8); }

void TcxJapaneseCalendarTable::SplitDate(TDateTime Date, TcxCalendarDateTimeParts& Parts) const {
  Word y, m, d;
  DecodeDate(Date, y, m, d);
  Parts.Era = FindEra(y, m, d);
  const TcxEra* E = Parts.Era >= 0 ? FEras.Items(Parts.Era) : DefaultEra();
  Parts.Year = y - E->YearOffset;
  Parts.Month = m;
  Parts.Day = d;
  SetTime(Date, Parts);
}

TDateTime TcxJapaneseCalendarTable::JoinDate(const TcxCalendarDateTimeParts& P) const {
  if (!ValidParts(P)) return EarliestDate();
  const Integer G = GregorianYearOf(P.Year, P.Era);
  if (G < 1 || G > 9999) return EarliestDate();
  return WithTime(Greg(static_cast<Word>(G), static_cast<Word>(P.Month), static_cast<Word>(P.Day)), P);
}

TcxTaiwanCalendarTable::TcxTaiwanCalendarTable() {
  FEras.Clear();
  FCalendarType = 4;
  FEras.Add(std::make_unique<TcxEra>(1, Greg(1912, 1, 1), 1911, 1, 8088));
}

TcxKoreanCalendarTable::TcxKoreanCalendarTable() {
  FEras.Clear();
  FCalendarType = 5;
  FEras.Add(std::make_unique<TcxEra>(0, Greg(1, 1, 1), -2333, 2334, 12332));
}

TcxThaiCalendarTable::TcxThaiCalendarTable() {
  FEras.Clear();
  FCalendarType = 7;
  FEras.Add(std::make_unique<TcxEra>(0, Greg(1, 1, 1), -543, 544, 10542));
}

// --- Hijri -------------------------------------------------------------------------

namespace {
bool HijriLeap(Integer Year) {
  switch (Mod(Year, 30)) {
    case 2: case 5: case 7: case 10: case 13: case 15: case 18: case 21: case 24: case 26: case 29: return true;
    default: return false;
  }
}
// Leap years among years 1 to N of a cycle.
Integer HijriLeapsUpTo(Integer N) {
  Integer R = 0;
  for (Integer y = 1; y <= N; ++y) R += HijriLeap(y) ? 1 : 0;
  return R;
}
constexpr Integer kHijriEpoch = 227013;   // days from 0001-01-01 (as 1) to 1 Muharram 1
}  // namespace

TcxHijriCalendarTable::TcxHijriCalendarTable() : FDefaultEra(std::make_unique<TcxEra>(-1, NullDate, 0, 1, 9999)) {}

// The Hijri table runs to the same last day as the other calendars
// (9666-04-03 in its own terms).
TDateTime TcxHijriCalendarTable::LatestDate() const { return cxMaxDateTime; }
TDateTime TcxHijriCalendarTable::EarliestDate() const { return Greg(622, 7, 16); }

bool TcxHijriCalendarTable::IsIntercalaryYear(Integer, Integer Year) const { return HijriLeap(Year); }

Integer TcxHijriCalendarTable::MonthLength(Integer Era, Integer Year, Integer Month) const {
  if (Month == 12 && IsIntercalaryYear(Era, Year)) return 30;
  return Month % 2 == 0 ? 29 : 30;
}

Integer TcxHijriCalendarTable::YearLength(Integer Era, Integer Year) const {
  return IsIntercalaryYear(Era, Year) ? 355 : 354;
}

bool TcxHijriCalendarTable::IsIntercalaryMonth(Integer Era, Integer Year, Integer Month) const {
  return IsIntercalaryYear(Era, Year) && Month == 12;
}

bool TcxHijriCalendarTable::IsIntercalaryDay(Integer Era, Integer Year, Integer Month, Integer Day) const {
  return IsIntercalaryMonth(Era, Year, Month) && Day == 30;
}

void TcxHijriCalendarTable::SplitDate(TDateTime Date, TcxCalendarDateTimeParts& Parts) const {
  const Integer N = static_cast<Integer>(std::trunc(Date - Greg(1, 1, 1) + 1)) - kHijriEpoch;
  SetTime(Date, Parts);
  if (N < 1) {
    // The two days before the calendar's first day show as its first day.
    Parts.Year = Parts.Month = Parts.Day = 1;
    return;
  }
  const Integer C = static_cast<Integer>(static_cast<Int64>(N) * 30 / 10631);
  Integer Year = C + 1, Month = 1;
  Integer d = N - C * 354 - (C / 30) * 11 - HijriLeapsUpTo(C % 30);
  while (MonthLength(Year, Month) < d) {
    d -= MonthLength(Year, Month);
    if (++Month > 12) {
      Month = 1;
      ++Year;
    }
  }
  if (d == 0) {
    Parts.Year = Year - 1;
    Parts.Month = 12;
    Parts.Day = MonthLength(Year - 1, 12);
  } else {
    Parts.Year = Year;
    Parts.Month = Month;
    Parts.Day = d;
  }
}

TDateTime TcxHijriCalendarTable::JoinDate(const TcxCalendarDateTimeParts& P) const {
  const Integer Y = P.Year - 1;
  const TDateTime Day = kHijriEpoch + static_cast<TDateTime>(Y) * 354 + (Y / 30) * 11 + HijriLeapsUpTo(Mod(Y, 30)) +
                        DayInYear(P) + Greg(1, 1, 1) - 1;
  return WithTime(Day, P);
}

Integer TcxHijriCalendarTable::WeekOfYear(const TcxCalendarDateTimeParts& Parts, Integer, Integer Rule) const {
  return WeekOfYearByRule(*this, Parts, Rule);
}

Integer TcxHijriCalendarTable::ParseMonth(Integer Year, const String& Text) const {
  for (Integer m = 1; m <= 12; ++m)
    if (AnsiUpperCase(cxCalendarMonthName(Year, m, this)) == AnsiUpperCase(Text)) return m;
  return TcxCustomCalendarTable::ParseMonth(Year, Text);
}

// --- Hebrew ---------------------------------------------------------------------------

namespace {
const Integer kHebrewMonthLengths[7][13] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {30, 29, 29, 29, 30, 29, 30, 29, 30, 29, 30, 29, 0},
    {30, 29, 30, 29, 30, 29, 30, 29, 30, 29, 30, 29, 0},
    {30, 30, 30, 29, 30, 29, 30, 29, 30, 29, 30, 29, 0},
    {30, 29, 29, 29, 30, 30, 29, 30, 29, 30, 29, 30, 29},
    {30, 29, 30, 29, 30, 30, 29, 30, 29, 30, 29, 30, 29},
    {30, 30, 30, 29, 30, 30, 29, 30, 29, 30, 29, 30, 29},
};

const Integer kHebrewYears[657][2] = {
    {7, 3}, {17, 3}, {0, 4}, {11, 2}, {21, 6}, {1, 3}, {13, 2}, {25, 4},
    {5, 3}, {16, 2}, {27, 6}, {9, 1}, {20, 2}, {0, 6}, {11, 3}, {23, 4},
    {4, 2}, {14, 3}, {27, 4}, {8, 2}, {18, 3}, {28, 6}, {11, 1}, {22, 5},
    {2, 3}, {12, 3}, {25, 4}, {6, 2}, {16, 3}, {26, 6}, {8, 2}, {20, 1},
    {0, 6}, {11, 2}, {24, 4}, {4, 3}, {15, 2}, {25, 6}, {8, 1}, {19, 2},
    {29, 6}, {9, 3}, {22, 4}, {3, 2}, {13, 3}, {25, 4}, {6, 3}, {17, 2},
    {27, 6}, {7, 3}, {19, 2}, {31, 4}, {11, 3}, {23, 4}, {5, 2}, {15, 3},
    {25, 6}, {6, 2}, {19, 1}, {29, 6}, {10, 2}, {22, 4}, {3, 3}, {14, 2},
    {24, 6}, {6, 1}, {17, 3}, {28, 5}, {8, 3}, {20, 1}, {32, 5}, {12, 3},
    {22, 6}, {4, 1}, {16, 2}, {26, 6}, {6, 3}, {17, 2}, {0, 4}, {10, 3},
    {22, 4}, {3, 2}, {14, 3}, {24, 6}, {5, 2}, {17, 1}, {28, 6}, {9, 2},
    {19, 3}, {31, 4}, {13, 2}, {23, 6}, {3, 3}, {15, 1}, {27, 5}, {7, 3},
    {17, 3}, {29, 4}, {11, 2}, {21, 6}, {3, 1}, {14, 2}, {25, 6}, {5, 3},
    {16, 2}, {28, 4}, {9, 3}, {20, 2}, {0, 6}, {12, 1}, {23, 6}, {4, 2},
    {14, 3}, {26, 4}, {8, 2}, {18, 3}, {0, 4}, {10, 3}, {21, 5}, {1, 3},
    {13, 1}, {24, 5}, {5, 3}, {15, 3}, {27, 4}, {8, 2}, {19, 3}, {29, 6},
    {10, 2}, {22, 4}, {3, 3}, {14, 2}, {26, 4}, {6, 3}, {18, 2}, {28, 6},
    {10, 1}, {20, 6}, {2, 2}, {12, 3}, {24, 4}, {5, 2}, {16, 3}, {28, 4},
    {8, 3}, {19, 2}, {0, 6}, {12, 1}, {23, 5}, {3, 3}, {14, 3}, {26, 4},
    {7, 2}, {17, 3}, {28, 6}, {9, 2}, {21, 4}, {1, 3}, {13, 2}, {25, 4},
    {5, 3}, {16, 2}, {27, 6}, {9, 1}, {19, 3}, {0, 5}, {11, 3}, {23, 4},
    {4, 2}, {14, 3}, {25, 6}, {7, 1}, {18, 2}, {28, 6}, {9, 3}, {21, 4},
    {2, 2}, {12, 3}, {25, 4}, {6, 2}, {16, 3}, {26, 6}, {8, 2}, {20, 1},
    {0, 6}, {11, 2}, {22, 6}, {4, 1}, {15, 2}, {25, 6}, {6, 3}, {18, 1},
    {29, 5}, {9, 3}, {22, 4}, {2, 3}, {13, 2}, {23, 6}, {4, 3}, {15, 2},
    {27, 4}, {7, 3}, {19, 2}, {31, 4}, {11, 3}, {21, 6}, {3, 2}, {15, 1},
    {25, 6}, {6, 2}, {17, 3}, {29, 4}, {10, 2}, {20, 6}, {3, 1}, {13, 3},
    {24, 5}, {4, 3}, {16, 1}, {27, 5}, {7, 3}, {17, 3}, {0, 4}, {11, 2},
    {21, 6}, {1, 3}, {13, 2}, {25, 4}, {5, 3}, {16, 2}, {29, 4}, {9, 3},
    {19, 6}, {30, 2}, {13, 1}, {23, 6}, {4, 2}, {14, 3}, {27, 4}, {8, 2},
    {18, 3}, {0, 4}, {11, 3}, {22, 5}, {2, 3}, {14, 1}, {26, 5}, {6, 3},
    {16, 3}, {28, 4}, {10, 2}, {20, 6}, {30, 3}, {11, 2}, {24, 4}, {4, 3},
    {15, 2}, {25, 6}, {8, 1}, {19, 2}, {29, 6}, {9, 3}, {22, 4}, {3, 2},
    {13, 3}, {25, 4}, {7, 2}, {17, 3}, {27, 6}, {9, 1}, {21, 5}, {1, 3},
    {11, 3}, {23, 4}, {5, 2}, {15, 3}, {25, 6}, {6, 2}, {19, 1}, {29, 6},
    {10, 2}, {22, 4}, {3, 3}, {14, 2}, {24, 6}, {6, 1}, {18, 2}, {28, 6},
    {8, 3}, {20, 4}, {2, 2}, {12, 3}, {24, 4}, {4, 3}, {16, 2}, {26, 6},
    {6, 3}, {17, 2}, {0, 4}, {10, 3}, {22, 4}, {3, 2}, {14, 3}, {24, 6},
    {5, 2}, {17, 1}, {28, 6}, {9, 2}, {21, 4}, {1, 3}, {13, 2}, {23, 6},
    {5, 1}, {15, 3}, {27, 5}, {7, 3}, {19, 1}, {0, 5}, {10, 3}, {22, 4},
    {2, 3}, {13, 2}, {24, 6}, {4, 3}, {15, 2}, {27, 4}, {8, 3}, {20, 4},
    {1, 2}, {11, 3}, {22, 6}, {3, 2}, {15, 1}, {25, 6}, {7, 2}, {17, 3},
    {29, 4}, {10, 2}, {21, 6}, {1, 3}, {13, 1}, {24, 5}, {5, 3}, {15, 3},
    {27, 4}, {8, 2}, {19, 6}, {1, 1}, {12, 2}, {22, 6}, {3, 3}, {14, 2},
    {26, 4}, {6, 3}, {18, 2}, {28, 6}, {10, 1}, {20, 6}, {2, 2}, {12, 3},
    {24, 4}, {5, 2}, {16, 3}, {28, 4}, {9, 2}, {19, 6}, {30, 3}, {12, 1},
    {23, 5}, {3, 3}, {14, 3}, {26, 4}, {7, 2}, {17, 3}, {28, 6}, {9, 2},
    {21, 4}, {1, 3}, {13, 2}, {25, 4}, {5, 3}, {16, 2}, {27, 6}, {9, 1},
    {19, 6}, {30, 2}, {11, 3}, {23, 4}, {4, 2}, {14, 3}, {27, 4}, {7, 3},
    {18, 2}, {28, 6}, {11, 1}, {22, 5}, {2, 3}, {12, 3}, {25, 4}, {6, 2},
    {16, 3}, {26, 6}, {8, 2}, {20, 4}, {30, 3}, {11, 2}, {24, 4}, {4, 3},
    {15, 2}, {25, 6}, {8, 1}, {18, 3}, {29, 5}, {9, 3}, {22, 4}, {3, 2},
    {13, 3}, {23, 6}, {6, 1}, {17, 2}, {27, 6}, {7, 3}, {20, 4}, {1, 2},
    {11, 3}, {23, 4}, {5, 2}, {15, 3}, {25, 6}, {6, 2}, {19, 1}, {29, 6},
    {10, 2}, {20, 6}, {3, 1}, {14, 2}, {24, 6}, {4, 3}, {17, 1}, {28, 5},
    {8, 3}, {20, 4}, {1, 3}, {12, 2}, {22, 6}, {2, 3}, {14, 2}, {26, 4},
    {6, 3}, {17, 2}, {0, 4}, {10, 3}, {20, 6}, {1, 2}, {14, 1}, {24, 6},
    {5, 2}, {15, 3}, {28, 4}, {9, 2}, {19, 6}, {1, 1}, {12, 3}, {23, 5},
    {3, 3}, {15, 1}, {27, 5}, {7, 3}, {17, 3}, {29, 4}, {11, 2}, {21, 6},
    {1, 3}, {12, 2}, {25, 4}, {5, 3}, {16, 2}, {28, 4}, {9, 3}, {19, 6},
    {30, 2}, {12, 1}, {23, 6}, {4, 2}, {14, 3}, {26, 4}, {8, 2}, {18, 3},
    {0, 4}, {10, 3}, {22, 5}, {2, 3}, {14, 1}, {25, 5}, {6, 3}, {16, 3},
    {28, 4}, {9, 2}, {20, 6}, {30, 3}, {11, 2}, {23, 4}, {4, 3}, {15, 2},
    {27, 4}, {7, 3}, {19, 2}, {29, 6}, {11, 1}, {21, 6}, {3, 2}, {13, 3},
    {25, 4}, {6, 2}, {17, 3}, {27, 6}, {9, 1}, {20, 5}, {30, 3}, {10, 3},
    {22, 4}, {3, 2}, {14, 3}, {24, 6}, {5, 2}, {17, 1}, {28, 6}, {9, 2},
    {21, 4}, {1, 3}, {13, 2}, {23, 6}, {5, 1}, {16, 2}, {27, 6}, {7, 3},
    {19, 4}, {30, 2}, {11, 3}, {23, 4}, {3, 3}, {14, 2}, {25, 6}, {5, 3},
    {16, 2}, {28, 4}, {9, 3}, {21, 4}, {2, 2}, {12, 3}, {23, 6}, {4, 2},
    {16, 1}, {26, 6}, {8, 2}, {20, 4}, {30, 3}, {11, 2}, {22, 6}, {4, 1},
    {14, 3}, {25, 5}, {6, 3}, {18, 1}, {29, 5}, {9, 3}, {22, 4}, {2, 3},
    {13, 2}, {23, 6}, {4, 3}, {15, 2}, {27, 4}, {7, 3}, {20, 4}, {1, 2},
    {11, 3}, {21, 6}, {3, 2}, {15, 1}, {25, 6}, {6, 2}, {17, 3}, {29, 4},
    {10, 2}, {20, 6}, {3, 1}, {13, 3}, {24, 5}, {4, 3}, {17, 1}, {28, 5},
    {8, 3}, {18, 6}, {1, 1}, {12, 2}, {22, 6}, {2, 3}, {14, 2}, {26, 4},
    {6, 3}, {17, 2}, {28, 6}, {10, 1}, {20, 6}, {1, 2}, {12, 3}, {24, 4},
    {5, 2}, {15, 3}, {28, 4}, {9, 2}, {19, 6}, {33, 3}, {12, 1}, {23, 5},
    {3, 3}, {13, 3}, {25, 4}, {6, 2}, {16, 3}, {26, 6}, {8, 2}, {20, 4},
    {30, 3}, {11, 2}, {24, 4}, {4, 3}, {15, 2}, {25, 6}, {8, 1}, {18, 6},
    {33, 2}, {9, 3}, {22, 4}, {3, 2}, {13, 3}, {25, 4}, {6, 3}, {17, 2},
    {27, 6}, {9, 1}, {21, 5}, {1, 3}, {11, 3}, {23, 4}, {5, 2}, {15, 3},
    {25, 6}, {6, 2}, {19, 4}, {33, 3}, {10, 2}, {22, 4}, {3, 3}, {14, 2},
    {24, 6},
};

// The table type of a Hebrew year (1..6), 0 outside the table.
Integer HebrewRawType(Integer Year) {
  if (Year < 5343 || Year > 5999) return 0;
  return kHebrewYears[Year - 5343][1];
}

// The Hebrew month and day of 1 January of the Gregorian year Year - 3760.
void HebrewNewYearsDay(Integer Year, Integer& Month, Integer& Day) {
  const Integer Code = kHebrewYears[Year - 5343][0];
  if (Code >= 1 && Code <= 29) { Month = 4; Day = Code; }
  else if (Code == 30) { Month = 3; Day = 30; }
  else if (Code == 33) { Month = 3; Day = 29; }
  else { Month = 5; Day = Code == 0 ? 1 : Code - 29; }
}

Integer HebrewLetterValue(char32_t c) {
  if (c >= 0x05D0 && c <= 0x05D9) return static_cast<Integer>(c - 0x05D0 + 1);
  switch (c) {
    case 0x05DA: case 0x05DB: return 20;
    case 0x05DC: return 30;
    case 0x05DD: case 0x05DE: return 40;
    case 0x05DF: case 0x05E0: return 50;
    case 0x05E1: return 60;
    case 0x05E2: return 70;
    case 0x05E3: case 0x05E4: return 80;
    case 0x05E5: case 0x05E6: return 90;
    case 0x05E7: return 100;
    case 0x05E8: return 200;
    case 0x05E9: return 300;
    case 0x05EA: return 400;
    default: return 0;
  }
}
}  // namespace

TcxHebrewCalendarTable::TcxHebrewCalendarTable() : FDefaultEra(std::make_unique<TcxEra>(-1, NullDate, 0, 1, 9999)) {}

TDateTime TcxHebrewCalendarTable::LatestDate() const { return Greg(2239, 9, 29) + EncodeTime(23, 59, 59, 999); }
TDateTime TcxHebrewCalendarTable::EarliestDate() const { return Greg(1583, 1, 1); }

bool TcxHebrewCalendarTable::IsIntercalaryYear(Integer, Integer Year) const { return HebrewRawType(Year) > 3; }

Integer TcxHebrewCalendarTable::MonthCount(Integer Era, Integer Year) const {
  return IsIntercalaryYear(Era, Year) ? 13 : 12;
}

Integer TcxHebrewCalendarTable::MonthLength(Integer Era, Integer Year, Integer Month) const {
  if (!HasMonth(Era, Year, Month)) return 0;
  return kHebrewMonthLengths[HebrewRawType(Year)][Month - 1];
}

Integer TcxHebrewCalendarTable::YearLength(Integer Era, Integer Year) const {
  if (!HasYear(Era, Year)) return 0;
  const Integer Raw = HebrewRawType(Year);
  const Integer Type = Raw > 3 ? Raw - 3 : Raw;
  return (Type == 2 ? 354 : Type == 3 ? 355 : 353) + (Raw > 3 ? 30 : 0);
}

bool TcxHebrewCalendarTable::IsIntercalaryMonth(Integer Era, Integer Year, Integer Month) const {
  return HasMonth(Era, Year, Month) && IsIntercalaryYear(Era, Year) && Month == 7;
}

bool TcxHebrewCalendarTable::IsIntercalaryDay(Integer Era, Integer Year, Integer Month, Integer Day) const {
  return HasDay(Era, Year, Month, Day) && IsIntercalaryMonth(Era, Year, Month);
}

TDateTime TcxHebrewCalendarTable::JoinDate(const TcxCalendarDateTimeParts& P) const {
  if (!ValidParts(P)) return EarliestDate();
  Integer LM, LD;
  HebrewNewYearsDay(P.Year, LM, LD);
  Integer Distance;
  if (P.Month == LM) {
    Distance = P.Day - LD;
  } else if (P.Month > LM) {
    Distance = MonthLength(P.Year, LM) - LD + P.Day;
    for (Integer m = LM + 1; m < P.Month; ++m) Distance += MonthLength(P.Year, m);
  } else {
    Distance = MonthLength(P.Year, P.Month) - P.Day + LD;
    for (Integer m = P.Month + 1; m < LM; ++m) Distance += MonthLength(P.Year, m);
    Distance = -Distance;
  }
  return WithTime(Greg(static_cast<Word>(P.Year - 3760), 1, 1), P) + Distance;
}

void TcxHebrewCalendarTable::SplitDate(TDateTime Date, TcxCalendarDateTimeParts& Parts) const {
  if (Date > LatestDate()) Date = LatestDate();
  else if (Date < EarliestDate()) Date = EarliestDate();
  Word y, m, d;
  DecodeDate(Date, y, m, d);
  SetTime(Date, Parts);
  Integer Year = y + 3760, Month = 1;
  Integer i = static_cast<Integer>(std::trunc(Date - JoinDate(Year, 1, 1))) + 1;
  while (i > MonthLength(Year, Month)) {
    if (++Month > MonthCount(Year)) {
      Month = 1;
      ++Year;
    }
    i = static_cast<Integer>(std::trunc(Date - JoinDate(Year, Month, 1))) + 1;
  }
  Parts.Year = Year;
  Parts.Month = Month;
  Parts.Day = i;
}

Integer TcxHebrewCalendarTable::WeekOfYear(const TcxCalendarDateTimeParts& Parts, Integer, Integer Rule) const {
  return WeekOfYearByRule(*this, Parts, Rule);
}

Integer TcxHebrewCalendarTable::NumeralValue(const String& Text) {
  Integer R = 0;
  size_t Pos = 0;
  while (Pos < Text.size()) R += HebrewLetterValue(Utf8Decode(Text, Pos));
  return R;
}

Integer TcxHebrewCalendarTable::ParseDay(const String& Text) const {
  const Integer V = NumeralValue(Text);
  return V != 0 ? V : TcxCustomCalendarTable::ParseDay(Text);
}

Integer TcxHebrewCalendarTable::ParseMonth(Integer Year, const String& Text) const {
  const Integer V = NumeralValue(Text);
  if (V != 0 && HasMonth(Year, V)) return V;
  for (Integer n = 1; n <= 13; ++n)
    if (AnsiUpperCase(cxCalendarMonthName(Year, n, this)) == AnsiUpperCase(Text) ||
        AnsiUpperCase(cxCalendarDayNumberText(n, this)) == AnsiUpperCase(Text))
      return n;
  return TcxCustomCalendarTable::ParseMonth(Year, Text);
}

Integer TcxHebrewCalendarTable::ParseYear(const String& Text) const {
  const Integer V = NumeralValue(Text);
  return V != 0 ? V + 5000 : TcxCustomCalendarTable::ParseYear(Text);
}
