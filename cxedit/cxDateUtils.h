// Date routines shared by the date editor, the calendar and the format
// controller: smart date input ("today", "monday", "eom", "now" ... with a
// signed day offset), text-to-date and date-to-text conversion through the
// program's fixed zh-CN format profile, calendar texts, week arithmetic,
// and the calendar tables that convert a date value to and from the era,
// year, month and day of one calendar.
//
// Dates are TDateTime (days since 1899-12-30, the fraction is the time).
// A missing date is the null date; conversions return it (and False)
// instead of raising.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "System.h"

struct TFormatSettings;

constexpr TDateTime NullDate = -700000.0;
// 9999-12-31 23:59:59.999, offered to the date editors.
constexpr TDateTime cxMaxDateTime = 2958465.99999;

// Year limits of the date routines (process-wide).
extern Integer cxMinYear;   // 100
extern Integer cxMaxYear;   // 9999

// Consulted by smart input only when no word matched.
using TcxSmartInputHook = std::function<bool(const String& Text, TDateTime& Date)>;
extern TcxSmartInputHook cxSmartInputHook;
// Calendar headers show one-character day names.
extern bool cxOneCharDayNames;
// The latest year a two-digit year text stands for (the calendar's
// two-digit-year window): with 2049, "49" is 2049 and "50" is 1950.
extern Integer cxTwoDigitYearMax;

// The 20 smart-input words in index order (today, yesterday, tomorrow,
// Sunday..Saturday, first..seventh, bom, eom, now).
const std::vector<String>& cxSmartInputWords();

// --- Calendar tables -----------------------------------------------------------

struct TcxCalendarDateParts {
  Integer Era = -1, Year = 0, Month = 0, Day = 0;
};

struct TcxCalendarDateTimeParts {
  Integer Era = -1, Year = 0, Month = 0, Day = 0;
  Byte Hour = 0, Minute = 0, Second = 0;
  Word Millisecond = 0;
};

class TcxEra : public TObject {
  TOVANI_CLASS(TcxEra, TObject)
 public:
  TcxEra(Integer AEra, TDateTime AStartDate, Integer AYearOffset, Integer AMinEraYear, Integer AMaxEraYear)
      : Era(AEra), MaxEraYear(AMaxEraYear), MinEraYear(AMinEraYear), StartDate(AStartDate), YearOffset(AYearOffset) {}
  void Assign(const TcxEra& Source) {
    Era = Source.Era;
    MaxEraYear = Source.MaxEraYear;
    MinEraYear = Source.MinEraYear;
    StartDate = Source.StartDate;
    YearOffset = Source.YearOffset;
  }

  Integer Era;
  Integer MaxEraYear;
  Integer MinEraYear;
  TDateTime StartDate;
  Integer YearOffset;   // Gregorian year = era year + offset
};

// Owns its eras; indexed from 0.
class TcxEras {
 public:
  void Add(std::unique_ptr<TcxEra> Era) { FItems.push_back(std::move(Era)); }
  void Clear() { FItems.clear(); }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxEra* Items(Integer Index) const { return FItems.at(Index).get(); }

 private:
  std::vector<std::unique_ptr<TcxEra>> FItems;
};

class TcxCustomCalendarTable : public TObject {
  TOVANI_CLASS(TcxCustomCalendarTable, TObject)
 public:
  TcxCustomCalendarTable() = default;

  void FitYearToEra(Integer& Year, Integer& Era) const { FitYearToEra(Year, Era, 1, 1); }
  virtual void FitYearToEra(Integer& Year, Integer& Era, Integer Month, Integer Day) const;
  virtual Integer AlgorithmKind() const = 0;
  virtual Integer CalendarIdent() const = 0;
  virtual const TcxEra* DefaultEra() const = 0;
  virtual TDateTime LatestDate() const = 0;
  virtual TDateTime EarliestDate() const = 0;
  virtual void ClampDate(TDateTime& Date) const;
  virtual Integer LargestYear() const = 0;
  virtual Integer SmallestYear() const = 0;

  virtual TDateTime ShiftDays(const TcxCalendarDateTimeParts& Parts, Integer N) const;
  TDateTime ShiftMonths(TDateTime Date, Integer N) const;
  virtual TDateTime ShiftMonths(const TcxCalendarDateTimeParts& Parts, Integer N) const;
  TDateTime ShiftYears(TDateTime Date, Integer N) const;
  virtual TDateTime ShiftYears(const TcxCalendarDateTimeParts& Parts, Integer N) const;
  TDateTime ShiftWeeks(TDateTime Date, Integer N) const;
  virtual TDateTime ShiftWeeks(const TcxCalendarDateTimeParts& Parts, Integer N) const;

  virtual void SplitDate(TDateTime Date, TcxCalendarDateTimeParts& Parts) const = 0;
  TcxCalendarDateTimeParts SplitDate(TDateTime Date) const {
    TcxCalendarDateTimeParts P;
    SplitDate(Date, P);
    return P;
  }
  // The Gregorian date given (encoded by the class library), split.
  void SplitDate(Integer Year, Integer Month, Integer Day, TcxCalendarDateTimeParts& Parts) const;

  Integer DayInYear(TDateTime Date) const;
  virtual Integer DayInYear(const TcxCalendarDateTimeParts& Parts) const;
  Integer MonthLength(Integer Year, Integer Month) const { return MonthLength(-1, Year, Month); }
  virtual Integer MonthLength(Integer Era, Integer Year, Integer Month) const = 0;
  Integer YearLength(Integer Year) const { return YearLength(-1, Year); }
  virtual Integer YearLength(Integer Era, Integer Year) const = 0;
  Integer FindEra(Integer Year) const { return FindEra(Year, 1, 1); }
  virtual Integer FindEra(Integer Year, Integer Month, Integer Day) const;

  TDateTime WeekStartDate(TDateTime Date) const;
  virtual TDateTime WeekStartDate(Integer StartOfWeek, TDateTime Date) const;
  virtual void WeekStartDate(const TcxCalendarDateTimeParts& Parts, TcxCalendarDateTimeParts& Result) const;
  virtual void WeekStartDate(const TcxCalendarDateTimeParts& Parts, Integer StartOfWeek,
                             TcxCalendarDateTimeParts& Result) const;
  virtual Integer FirstWeekday() const = 0;
  virtual Integer WeeksInYear(Integer Year) const = 0;
  Integer MonthCount(Integer Year) const { return MonthCount(-1, Year); }
  virtual Integer MonthCount(Integer Era, Integer Year) const = 0;
  Integer YearNumberOf(TDateTime Date) const { return SplitDate(Date).Year; }
  Integer WeekdayOf(TDateTime Date) const;
  Integer WeekdayOf(const TcxCalendarDateTimeParts& Parts) const { return WeekdayOf(JoinDate(Parts)); }
  Integer WeekOfYear(Integer StartOfWeek, Integer Rule, TDateTime Date) const;
  virtual Integer WeekOfYear(const TcxCalendarDateTimeParts& Parts, Integer StartOfWeek, Integer Rule) const = 0;

  bool IsIntercalaryDay(Integer Year, Integer Month, Integer Day) const { return IsIntercalaryDay(-1, Year, Month, Day); }
  virtual bool IsIntercalaryDay(Integer Era, Integer Year, Integer Month, Integer Day) const = 0;
  bool IsIntercalaryMonth(Integer Year, Integer Month) const { return IsIntercalaryMonth(-1, Year, Month); }
  virtual bool IsIntercalaryMonth(Integer Era, Integer Year, Integer Month) const = 0;
  bool IsIntercalaryYear(Integer Year) const { return IsIntercalaryYear(-1, Year); }
  virtual bool IsIntercalaryYear(Integer Era, Integer Year) const = 0;

  bool HasYear(Integer Year) const { return HasYear(-1, Year); }
  virtual bool HasYear(Integer Era, Integer Year) const;
  bool HasMonth(Integer Year, Integer Month) const { return HasMonth(-1, Year, Month); }
  virtual bool HasMonth(Integer Era, Integer Year, Integer Month) const;
  bool HasDay(Integer Year, Integer Month, Integer Day) const { return HasDay(-1, Year, Month, Day); }
  virtual bool HasDay(Integer Era, Integer Year, Integer Month, Integer Day) const;
  bool HasDate(TDateTime Date) const;

  TDateTime JoinDate(const TcxCalendarDateParts& Parts) const;
  TDateTime JoinDate(Integer Year, Integer Month, Integer Day) const;
  TDateTime JoinDate(Integer Year, Integer Month, Integer Day, Integer Hour, Integer Minute, Integer Second,
                     Integer Millisecond) const;
  virtual TDateTime JoinDate(const TcxCalendarDateTimeParts& Parts) const = 0;

  // Reading the typed parts of a date; EConvertError for a text that is no
  // number and no name the calendar knows.
  virtual Integer ParseDay(const String& Text) const;
  virtual Integer ParseMonth(Integer Year, const String& Text) const;
  virtual Integer ParseYear(const String& Text) const;

  // The Gregorian year of a year of an era (-1: the default era).
  Integer GregorianYearOf(Integer Year, Integer Era) const;
  const TcxEras& Eras() const { return FEras; }

 protected:
  // The parts name a day of the calendar (the shifts and the joins of the
  // era and Hebrew tables test this first).
  bool ValidParts(const TcxCalendarDateTimeParts& Parts) const {
    return HasDay(Parts.Era, Parts.Year, Parts.Month, Parts.Day);
  }
  TcxEras FEras;
};

class TcxGregorianCalendarTable : public TcxCustomCalendarTable {
  TOVANI_CLASS(TcxGregorianCalendarTable, TcxCustomCalendarTable)
 public:
  TcxGregorianCalendarTable();
  Integer AlgorithmKind() const override { return 1; }
  Integer CalendarIdent() const override { return FCalendarType; }
  void SetCalendarType(Integer Value) { FCalendarType = Value; }
  const TcxEra* DefaultEra() const override { return FDefaultEra.get(); }
  TDateTime LatestDate() const override;
  TDateTime EarliestDate() const override;
  Integer LargestYear() const override { return 9999; }
  Integer SmallestYear() const override { return 1; }
  void SplitDate(TDateTime Date, TcxCalendarDateTimeParts& Parts) const override;
  using TcxCustomCalendarTable::SplitDate;
  Integer MonthLength(Integer Era, Integer Year, Integer Month) const override;
  Integer YearLength(Integer Era, Integer Year) const override;
  Integer FirstWeekday() const override;
  Integer WeeksInYear(Integer Year) const override;
  Integer MonthCount(Integer, Integer) const override { return 12; }
  Integer WeekOfYear(const TcxCalendarDateTimeParts& Parts, Integer StartOfWeek, Integer Rule) const override;
  bool IsIntercalaryDay(Integer Era, Integer Year, Integer Month, Integer Day) const override;
  bool IsIntercalaryMonth(Integer Era, Integer Year, Integer Month) const override;
  bool IsIntercalaryYear(Integer Era, Integer Year) const override;
  TDateTime JoinDate(const TcxCalendarDateTimeParts& Parts) const override;
  using TcxCustomCalendarTable::JoinDate;
  using TcxCustomCalendarTable::MonthLength;
  using TcxCustomCalendarTable::YearLength;
  using TcxCustomCalendarTable::MonthCount;
  using TcxCustomCalendarTable::WeekOfYear;
  using TcxCustomCalendarTable::IsIntercalaryDay;
  using TcxCustomCalendarTable::IsIntercalaryMonth;
  using TcxCustomCalendarTable::IsIntercalaryYear;

 protected:
  std::unique_ptr<TcxEra> FDefaultEra;
  Integer FCalendarType = 1;
};

// Era calendars on Gregorian arithmetic.
class TcxJapaneseCalendarTable : public TcxGregorianCalendarTable {
  TOVANI_CLASS(TcxJapaneseCalendarTable, TcxGregorianCalendarTable)
 public:
  TcxJapaneseCalendarTable();
  Integer CalendarIdent() const override { return 3; }
  const TcxEra* DefaultEra() const override { return FEras.Items(3); }
  TDateTime EarliestDate() const override;
  Integer LargestYear() const override { return 8011; }
  Integer SmallestYear() const override { return 1; }
  Integer FirstWeekday() const override { return 0; }
  void SplitDate(TDateTime Date, TcxCalendarDateTimeParts& Parts) const override;
  using TcxGregorianCalendarTable::SplitDate;
  TDateTime JoinDate(const TcxCalendarDateTimeParts& Parts) const override;
  using TcxGregorianCalendarTable::JoinDate;
};

class TcxTaiwanCalendarTable : public TcxJapaneseCalendarTable {
  TOVANI_CLASS(TcxTaiwanCalendarTable, TcxJapaneseCalendarTable)
 public:
  TcxTaiwanCalendarTable();
  Integer CalendarIdent() const override { return 4; }
  const TcxEra* DefaultEra() const override { return FEras.Items(0); }
  TDateTime EarliestDate() const override { return FEras.Items(0)->StartDate; }
  Integer LargestYear() const override { return FEras.Items(0)->MaxEraYear; }
  Integer SmallestYear() const override { return FEras.Items(0)->MinEraYear; }
};

class TcxKoreanCalendarTable : public TcxTaiwanCalendarTable {
  TOVANI_CLASS(TcxKoreanCalendarTable, TcxTaiwanCalendarTable)
 public:
  TcxKoreanCalendarTable();
  Integer CalendarIdent() const override { return 5; }
};

class TcxThaiCalendarTable : public TcxTaiwanCalendarTable {
  TOVANI_CLASS(TcxThaiCalendarTable, TcxTaiwanCalendarTable)
 public:
  TcxThaiCalendarTable();
  Integer CalendarIdent() const override { return 7; }
};

// The arithmetic Hijri calendar: 30-year cycles of 10631 days.
class TcxHijriCalendarTable : public TcxCustomCalendarTable {
  TOVANI_CLASS(TcxHijriCalendarTable, TcxCustomCalendarTable)
 public:
  TcxHijriCalendarTable();
  Integer AlgorithmKind() const override { return 2; }
  Integer CalendarIdent() const override { return 6; }
  const TcxEra* DefaultEra() const override { return FDefaultEra.get(); }
  TDateTime LatestDate() const override;
  TDateTime EarliestDate() const override;
  Integer LargestYear() const override { return 9666; }
  Integer SmallestYear() const override { return 1; }
  void SplitDate(TDateTime Date, TcxCalendarDateTimeParts& Parts) const override;
  using TcxCustomCalendarTable::SplitDate;
  Integer MonthLength(Integer Era, Integer Year, Integer Month) const override;
  Integer YearLength(Integer Era, Integer Year) const override;
  Integer FirstWeekday() const override { return 6; }
  Integer WeeksInYear(Integer) const override { return 50; }
  Integer MonthCount(Integer, Integer) const override { return 12; }
  Integer WeekOfYear(const TcxCalendarDateTimeParts& Parts, Integer StartOfWeek, Integer Rule) const override;
  bool IsIntercalaryDay(Integer Era, Integer Year, Integer Month, Integer Day) const override;
  bool IsIntercalaryMonth(Integer Era, Integer Year, Integer Month) const override;
  bool IsIntercalaryYear(Integer Era, Integer Year) const override;
  TDateTime JoinDate(const TcxCalendarDateTimeParts& Parts) const override;
  Integer ParseMonth(Integer Year, const String& Text) const override;
  using TcxCustomCalendarTable::JoinDate;
  using TcxCustomCalendarTable::MonthLength;
  using TcxCustomCalendarTable::YearLength;
  using TcxCustomCalendarTable::MonthCount;
  using TcxCustomCalendarTable::WeekOfYear;
  using TcxCustomCalendarTable::IsIntercalaryDay;
  using TcxCustomCalendarTable::IsIntercalaryMonth;
  using TcxCustomCalendarTable::IsIntercalaryYear;

 private:
  std::unique_ptr<TcxEra> FDefaultEra;
};

// The Hebrew calendar over its year table (years 5343 to 5999); month 1 is
// Tishrei, and month 7 is the leap month of a 13-month year.
class TcxHebrewCalendarTable : public TcxCustomCalendarTable {
  TOVANI_CLASS(TcxHebrewCalendarTable, TcxCustomCalendarTable)
 public:
  TcxHebrewCalendarTable();
  Integer AlgorithmKind() const override { return 3; }
  Integer CalendarIdent() const override { return 8; }
  const TcxEra* DefaultEra() const override { return FDefaultEra.get(); }
  TDateTime LatestDate() const override;
  TDateTime EarliestDate() const override;
  Integer LargestYear() const override { return 5999; }
  Integer SmallestYear() const override { return 5343; }
  void SplitDate(TDateTime Date, TcxCalendarDateTimeParts& Parts) const override;
  using TcxCustomCalendarTable::SplitDate;
  Integer MonthLength(Integer Era, Integer Year, Integer Month) const override;
  Integer YearLength(Integer Era, Integer Year) const override;
  Integer FirstWeekday() const override { return 0; }
  Integer WeeksInYear(Integer Year) const override { return YearLength(Year) / 7; }
  Integer MonthCount(Integer Era, Integer Year) const override;
  Integer WeekOfYear(const TcxCalendarDateTimeParts& Parts, Integer StartOfWeek, Integer Rule) const override;
  bool IsIntercalaryDay(Integer Era, Integer Year, Integer Month, Integer Day) const override;
  bool IsIntercalaryMonth(Integer Era, Integer Year, Integer Month) const override;
  bool IsIntercalaryYear(Integer Era, Integer Year) const override;
  TDateTime JoinDate(const TcxCalendarDateTimeParts& Parts) const override;
  Integer ParseDay(const String& Text) const override;
  Integer ParseMonth(Integer Year, const String& Text) const override;
  Integer ParseYear(const String& Text) const override;
  using TcxCustomCalendarTable::JoinDate;
  using TcxCustomCalendarTable::MonthLength;
  using TcxCustomCalendarTable::YearLength;
  using TcxCustomCalendarTable::MonthCount;
  using TcxCustomCalendarTable::WeekOfYear;
  using TcxCustomCalendarTable::IsIntercalaryDay;
  using TcxCustomCalendarTable::IsIntercalaryMonth;
  using TcxCustomCalendarTable::IsIntercalaryYear;

  // The numeral value of Hebrew letters (geresh and gershayim count 0).
  static Integer NumeralValue(const String& Text);

 private:
  std::unique_ptr<TcxEra> FDefaultEra;
};

// --- Date routines -----------------------------------------------------------------

Integer cxLocaleCalendarType();
std::unique_ptr<TcxCustomCalendarTable> cxCreateCalendarTable(Integer Type);
std::unique_ptr<TcxCustomCalendarTable> cxCreateLocaleCalendarTable();
bool cxIsGregorianCalendar(const TcxCustomCalendarTable* Table = nullptr);
inline bool cxIsGregorianLocaleCalendar(const TcxCustomCalendarTable* Table = nullptr) {
  return cxIsGregorianCalendar(Table);
}
void cxLocaleFormatSettings(TFormatSettings& Settings);
// 0 month-day-year, 1 day-month-year, 2 year-month-day.
Integer cxDateOrderOfFormat(const String& Format);

void cxSmartInputRegExpr(String& Expr, bool AWithNow);
bool cxSmartTextToDate(const String& Text, TDateTime& Date);
bool cxTextToDateSmart(const String& Text, TDateTime& Date);
bool cxTryTextToDateTime(const String& Text, bool AUseLocale, TDateTime& Date);
TDateTime cxLocaleTextToDateTime(const String& Text);
// The same parse with a given calendar table (the locale's is Gregorian).
TDateTime cxCalendarTextToDateTime(const String& Text, const TcxCustomCalendarTable& Table);
void cxNormalizeDateText(String& Text, bool AUseLocale);

String cxDateTimeToDisplayText(bool AUseFormat, bool AWithTime, bool AFourDigitYear, TDateTime Date);
String cxDateToLocaleText(bool AFourDigitYear, bool AUsePlatformFormats, TDateTime Date);
String cxDateToLocaleText(bool AFourDigitYear, TDateTime Date);
String cxDateDisplayFormat(bool AFourDigitYear, bool AUsePlatformFormats, TDateTime Date);
String cxLocaleCalendarDateText(TDateTime Date);
String cxDayNumberText(TDateTime Date);
String cxCalendarDayNumberText(Integer Day, const TcxCustomCalendarTable* Table = nullptr);
String cxDateLongMonthName(const TcxCustomCalendarTable* Table, TDateTime Date);
String cxCalendarMonthName(Integer Year, Integer Month, const TcxCustomCalendarTable* Table);
String cxDateMonthYearCaption(const TcxCustomCalendarTable* Table, TDateTime Date);
String cxDateYearText(const TcxCustomCalendarTable* Table, TDateTime Date);
// Day 1 Monday .. 7 Sunday.
String cxShortDayName(Integer Day);

bool cxIsLeapYear(Integer Year);
Integer cxDaysPerMonth(Integer Year, Integer Month);
TDateTime cxTimePart(TDateTime Date);
TDateTime cxDatePart(TDateTime Date);
Integer cxWeekdayIndex(TDateTime Date);
// 0 = Sunday .. 6 = Saturday.
Integer cxLocaleStartOfWeek();
TDateTime cxWeekStart(TDateTime Date, Integer StartOfWeek);
// FirstWeekOfYear: 0 the locale's rule, 1 the week of 1 January, 2 the
// first full week, 3 the first week with four days of the new year.
Integer cxWeekNumber(Integer StartOfWeek, Integer FirstWeekOfYear, TDateTime Date);
TDateTime cxMinSupportedDate();
