// The class library's date routines as the date utilities use them, gathered
// in one namespace so the calendar code names exactly what it relies on.
#pragma once
#include "DateUtils.h"
#include "FormatSettings.h"

namespace cxrtl {
using ::TryEncodeDate;
using ::EncodeDate;
using ::TryEncodeTime;
using ::EncodeTime;
using ::DecodeDate;
using ::DecodeTime;
using ::IsLeapYear;
using ::DaysInMonth;
using ::DayOfWeek;
using ::SetClock;
using ::ResetClock;
using ::Now;
using ::Date;
using ::FormatDateTime;
}  // namespace cxrtl
