// Dates and times: TDateTime (days since 1899-12-30, the fraction is the
// time of day), encoding and decoding, calendar arithmetic, the clock, and
// the FormatDateTime / StrToDate family over a format profile.
//
// A negative date-time keeps its time of day as the absolute value of its
// fraction: -1.25 is 1899-12-29 06:00.
#pragma once
#include <functional>

#include "System.h"

struct TFormatSettings;
struct _SYSTEMTIME;

constexpr double HoursPerDay = 24;
constexpr double MinsPerDay = 24 * 60;
constexpr double SecsPerDay = 24 * 60 * 60;
constexpr double MSecsPerDay = 24 * 60 * 60 * 1000;
// Days from 0001-01-01 to 1899-12-30.
constexpr Integer DateDelta = 693594;
// 0001-01-01 and 9999-12-31 as date-times.
constexpr TDateTime MinDateTime = -693593.0;
constexpr TDateTime MaxDateTime = 2958465.99999999;

// Encoding and decoding. EncodeDate/EncodeTime raise EConvertError
// ("Invalid argument to date encode" / "Invalid argument to time encode");
// the Try forms answer false instead. Years run from 1 to 9999. Decoding a
// value outside that range (or not a number) gives zeros.
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date);
TDateTime EncodeDate(Word year, Word month, Word day);
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time);
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
bool TryEncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec,
                       Word msec, TDateTime& value);
TDateTime EncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec,
                         Word msec);
void DecodeDate(TDateTime date, Word& year, Word& month, Word& day);
// Also answers whether the year is a leap year; dow is 1 (Sunday) .. 7.
bool DecodeDateFully(TDateTime date, Word& year, Word& month, Word& day, Word& dow);
void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec);
void DecodeDateTime(TDateTime value, Word& year, Word& month, Word& day, Word& hour,
                    Word& min, Word& sec, Word& msec);

// Calendar.
bool IsLeapYear(Word year);
// Days of the month (1..12); 0 for a month outside that range.
Word DaysInAMonth(Word year, Word month);
inline Word DaysInMonth(Word year, Word month) { return DaysInAMonth(year, month); }
Word DaysInMonth(TDateTime date);
// 1 for Sunday .. 7 for Saturday.
Integer DayOfWeek(TDateTime date);
Word YearOf(TDateTime date);
Word MonthOf(TDateTime date);
Word DayOf(TDateTime date);
TDateTime DateOf(TDateTime value);   // the whole day, time removed
TDateTime TimeOf(TDateTime value);   // the time of day alone

// Arithmetic. IncMonth keeps the day of month where the target month has it
// and otherwise takes the target month's last day; the time is kept.
TDateTime IncMonth(TDateTime date, Integer months = 1);
TDateTime IncYear(TDateTime date, Integer years = 1);
TDateTime IncWeek(TDateTime date, Integer weeks = 1);
TDateTime IncDay(TDateTime date, Integer days = 1);
TDateTime IncHour(TDateTime value, Int64 hours = 1);
TDateTime IncMinute(TDateTime value, Int64 minutes = 1);
TDateTime IncSecond(TDateTime value, Int64 seconds = 1);
TDateTime IncMilliSecond(TDateTime value, Int64 msecs = 1);
// Whole days between two values (truncated toward zero, never negative).
Integer DaysBetween(TDateTime a, TDateTime b);

// The clock. Now/Date/Time read the local time of the machine unless a
// clock has been installed; tests pin it with SetClock and undo with
// ResetClock.
void SetClock(std::function<TDateTime()> clock);
void ResetClock();
TDateTime Now();
TDateTime Date();
TDateTime Time();
Word CurrentYear();

// Windows SYSTEMTIME conversions (wDayOfWeek is filled, 0 = Sunday).
TDateTime SystemTimeToDateTime(const _SYSTEMTIME& st);
void DateTimeToSystemTime(TDateTime value, _SYSTEMTIME& st);

// Formatting. Specifiers: c, d, dd, ddd, dddd, ddddd, dddddd, m, mm, mmm,
// mmmm, yy, yyyy, h, hh, n, nn, s, ss, z, zzz, t, tt, am/pm, a/p, ampm,
// "/" and ":" (the profile's separators), text in '...' or "..." as it
// stands; m right after an h stands for minutes. An empty format means "c".
String FormatDateTime(const String& format, TDateTime value);
String FormatDateTime(const String& format, TDateTime value, const TFormatSettings& fs);
void DateTimeToString(String& result, const String& format, TDateTime value);
void DateTimeToString(String& result, const String& format, TDateTime value,
                      const TFormatSettings& fs);
String DateToStr(TDateTime date);
String DateToStr(TDateTime date, const TFormatSettings& fs);
String TimeToStr(TDateTime time);
String TimeToStr(TDateTime time, const TFormatSettings& fs);
// Short date, then the long time unless the time of day is zero.
String DateTimeToStr(TDateTime value);
String DateTimeToStr(TDateTime value, const TFormatSettings& fs);

// Parsing. Dates are read as numbers separated by the profile's date
// separator, in the order of its short date format; a missing year is the
// current year, a two-digit year falls in the profile's century window.
// Times are h[:n[:s[.z]]] with the profile's time separator and an optional
// AM/PM word before or after. The whole text must be consumed. Errors:
// EConvertError "'%s' is not a valid date" / "... valid time" /
// "... valid date and time".
bool TryStrToDate(const String& s, TDateTime& value);
bool TryStrToDate(const String& s, TDateTime& value, const TFormatSettings& fs);
TDateTime StrToDate(const String& s);
TDateTime StrToDate(const String& s, const TFormatSettings& fs);
TDateTime StrToDateDef(const String& s, TDateTime def);
bool TryStrToTime(const String& s, TDateTime& value);
bool TryStrToTime(const String& s, TDateTime& value, const TFormatSettings& fs);
TDateTime StrToTime(const String& s);
TDateTime StrToTime(const String& s, const TFormatSettings& fs);
TDateTime StrToTimeDef(const String& s, TDateTime def);
bool TryStrToDateTime(const String& s, TDateTime& value);
bool TryStrToDateTime(const String& s, TDateTime& value, const TFormatSettings& fs);
TDateTime StrToDateTime(const String& s);
TDateTime StrToDateTime(const String& s, const TFormatSettings& fs);
TDateTime StrToDateTimeDef(const String& s, TDateTime def);
