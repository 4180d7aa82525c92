// The class library's date routines as the date utilities use them. This is
// a stand-in until the run-time library's DateUtils lands; it keeps the
// same names and meanings, in its own namespace so that the two can never
// clash: switching over replaces this file by using-declarations.
#pragma once
#include <functional>
#include "FormatSettings.h"
#include "System.h"

namespace cxrtl {
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date);
TDateTime EncodeDate(Word year, Word month, Word day);   // EConvertError when invalid
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time);
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
void DecodeDate(TDateTime date, Word& year, Word& month, Word& day);
void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec);
bool IsLeapYear(Word year);
Word DaysInMonth(Word year, Word month);
Integer DayOfWeek(TDateTime date);   // 1 = Sunday
// Now and Date through a clock that tests can pin.
void SetClock(std::function<TDateTime()> clock);
void ResetClock();
TDateTime Now();
TDateTime Date();
// yyyy yy m mm mmm mmmm d dd ddd dddd h hh n nn s ss z zzz am/pm a/p ampm,
// "/" and ":" as the profile's separators, 'quoted' and "quoted" text.
String FormatDateTime(const String& format, TDateTime value, const TFormatSettings& fs);
}  // namespace cxrtl
