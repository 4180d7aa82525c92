#include "DateUtils.h"

#include <windows.h>

#include <cmath>
#include <cstdio>

#include "FormatSettings.h"

namespace {

const Word kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

constexpr Int64 kMSecsPerDay = 86400000;

// A date-time split the way every routine here sees it: the day number from
// 0001-01-01 (day 1) and the milliseconds of the day. The value is rounded
// to whole milliseconds first, so 23:59:59.9999 becomes the next midnight
// rather than a time of 24:00:00.000.
struct TimeStamp {
  Int64 Day = 0;   // 1 = 0001-01-01; below 1 means out of range
  Int64 MSec = 0;  // 0 .. 86399999
};

TimeStamp ToTimeStamp(TDateTime value) {
  TimeStamp ts;
  // Values outside the calendar (and NaN) decode as day 0, i.e. zeros.
  if (!(value > MinDateTime - 1 && value < MaxDateTime + 1)) return ts;
  Int64 ms = std::llround(value * MSecsPerDay);
  ts.Day = DateDelta + ms / kMSecsPerDay;
  ts.MSec = (ms < 0 ? -ms : ms) % kMSecsPerDay;
  return ts;
}

// Day number (1 = 0001-01-01) to year, month, day; false (zeros) out of range.
bool DayToDate(Int64 day, Word& y, Word& m, Word& d) {
  y = m = d = 0;
  if (day < 1 || day > 3652059) return false;
  Int64 t = day - 1;
  Int64 year = 1;
  Int64 n400 = t / 146097;
  t %= 146097;
  Int64 n100 = t / 36524;
  t %= 36524;
  if (n100 == 4) {  // last day of a 400-year cycle
    n100 = 3;
    t += 36524;
  }
  Int64 n4 = t / 1461;
  t %= 1461;
  Int64 n1 = t / 365;
  t %= 365;
  if (n1 == 4) {  // last day of a leap cycle
    n1 = 3;
    t += 365;
  }
  year += n400 * 400 + n100 * 100 + n4 * 4 + n1;
  y = static_cast<Word>(year);
  const Word* table = kMonthDays[IsLeapYear(y) ? 1 : 0];
  int month = 0;
  while (t >= table[month]) t -= table[month++];
  m = static_cast<Word>(month + 1);
  d = static_cast<Word>(t + 1);
  return true;
}

TDateTime Combine(TDateTime date, TDateTime time) {
  return date < 0 ? date - time : date + time;
}

}  // namespace

// ---------------------------------------------------------------------------
// Encoding and decoding

bool IsLeapYear(Word year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

Word DaysInAMonth(Word year, Word month) {
  if (month < 1 || month > 12) return 0;
  return kMonthDays[IsLeapYear(year) ? 1 : 0][month - 1];
}

Word DaysInMonth(TDateTime date) {
  Word y, m, d;
  DecodeDate(date, y, m, d);
  return DaysInAMonth(y, m);
}

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
  const Word* table = kMonthDays[IsLeapYear(year) ? 1 : 0];
  if (day < 1 || day > table[month - 1]) return false;
  Int64 days = day;
  for (int i = 0; i < month - 1; ++i) days += table[i];
  Int64 y = year - 1;
  date = static_cast<double>(y * 365 + y / 4 - y / 100 + y / 400 + days - DateDelta);
  return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
  TDateTime d;
  if (!TryEncodeDate(year, month, day, d)) throw EConvertError("Invalid argument to date encode");
  return d;
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time) {
  if (hour >= 24 || min >= 60 || sec >= 60 || msec >= 1000) return false;
  time = ((hour * 3600000.0) + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
  TDateTime t;
  if (!TryEncodeTime(hour, min, sec, msec, t)) throw EConvertError("Invalid argument to time encode");
  return t;
}

bool TryEncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec,
                       Word msec, TDateTime& value) {
  TDateTime d, t;
  if (!TryEncodeDate(year, month, day, d) || !TryEncodeTime(hour, min, sec, msec, t)) return false;
  value = Combine(d, t);
  return true;
}

TDateTime EncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec,
                         Word msec) {
  return Combine(EncodeDate(year, month, day), EncodeTime(hour, min, sec, msec));
}

void DecodeDate(TDateTime date, Word& year, Word& month, Word& day) {
  DayToDate(ToTimeStamp(date).Day, year, month, day);
}

bool DecodeDateFully(TDateTime date, Word& year, Word& month, Word& day, Word& dow) {
  TimeStamp ts = ToTimeStamp(date);
  if (!DayToDate(ts.Day, year, month, day)) {
    dow = 0;
    return false;
  }
  // 0001-01-01 was a Monday.
  dow = static_cast<Word>(ts.Day % 7 + 1);
  return IsLeapYear(year);
}

void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec) {
  Int64 ms = ToTimeStamp(time).MSec;
  hour = static_cast<Word>(ms / 3600000);
  min = static_cast<Word>(ms / 60000 % 60);
  sec = static_cast<Word>(ms / 1000 % 60);
  msec = static_cast<Word>(ms % 1000);
}

void DecodeDateTime(TDateTime value, Word& year, Word& month, Word& day, Word& hour,
                    Word& min, Word& sec, Word& msec) {
  DecodeDate(value, year, month, day);
  DecodeTime(value, hour, min, sec, msec);
}

Integer DayOfWeek(TDateTime date) {
  Int64 day = ToTimeStamp(date).Day;
  if (day < 1) return 0;
  return static_cast<Integer>(day % 7 + 1);
}

Word YearOf(TDateTime date) {
  Word y, m, d;
  DecodeDate(date, y, m, d);
  return y;
}

Word MonthOf(TDateTime date) {
  Word y, m, d;
  DecodeDate(date, y, m, d);
  return m;
}

Word DayOf(TDateTime date) {
  Word y, m, d;
  DecodeDate(date, y, m, d);
  return d;
}

TDateTime DateOf(TDateTime value) { return std::trunc(value); }

TDateTime TimeOf(TDateTime value) {
  return static_cast<double>(ToTimeStamp(value).MSec) / MSecsPerDay;
}

// ---------------------------------------------------------------------------
// Arithmetic

TDateTime IncMonth(TDateTime date, Integer months) {
  Word y, m, d;
  DecodeDate(date, y, m, d);
  if (y == 0) throw EConvertError("Invalid argument to date encode");
  Int64 total = Int64(y) * 12 + (m - 1) + months;
  Int64 ny = total / 12;
  Int64 nm = total % 12 + 1;
  if (ny < 1 || ny > 9999) throw EConvertError("Invalid argument to date encode");
  Word maxDay = DaysInAMonth(static_cast<Word>(ny), static_cast<Word>(nm));
  if (d > maxDay) d = maxDay;
  TDateTime result = EncodeDate(static_cast<Word>(ny), static_cast<Word>(nm), d);
  return Combine(result, TimeOf(date));
}

TDateTime IncYear(TDateTime date, Integer years) {
  return IncMonth(date, years * 12);
}

TDateTime IncWeek(TDateTime date, Integer weeks) { return date + weeks * 7.0; }
TDateTime IncDay(TDateTime date, Integer days) { return date + days; }

TDateTime IncHour(TDateTime value, Int64 hours) {
  return (value * HoursPerDay + static_cast<double>(hours)) / HoursPerDay;
}
TDateTime IncMinute(TDateTime value, Int64 minutes) {
  return (value * MinsPerDay + static_cast<double>(minutes)) / MinsPerDay;
}
TDateTime IncSecond(TDateTime value, Int64 seconds) {
  return (value * SecsPerDay + static_cast<double>(seconds)) / SecsPerDay;
}
TDateTime IncMilliSecond(TDateTime value, Int64 msecs) {
  return (value * MSecsPerDay + static_cast<double>(msecs)) / MSecsPerDay;
}

Integer DaysBetween(TDateTime a, TDateTime b) {
  double diff = std::fabs(a - b);
  // A difference a hair under a whole day (from rounding) still counts.
  return static_cast<Integer>(std::trunc(diff + 0.5 / MSecsPerDay));
}

// ---------------------------------------------------------------------------
// Clock

namespace {
std::function<TDateTime()>& ClockHook() {
  static std::function<TDateTime()> hook;
  return hook;
}
}  // namespace

void SetClock(std::function<TDateTime()> clock) { ClockHook() = std::move(clock); }
void ResetClock() { ClockHook() = nullptr; }

TDateTime Now() {
  if (ClockHook()) return ClockHook()();
  SYSTEMTIME st;
  GetLocalTime(&st);
  return SystemTimeToDateTime(st);
}

TDateTime Date() { return DateOf(Now()); }
TDateTime Time() { return TimeOf(Now()); }
Word CurrentYear() { return YearOf(Now()); }

TDateTime SystemTimeToDateTime(const _SYSTEMTIME& st) {
  return EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                        st.wMilliseconds);
}

void DateTimeToSystemTime(TDateTime value, _SYSTEMTIME& st) {
  Word dow;
  DecodeDateFully(value, st.wYear, st.wMonth, st.wDay, dow);
  st.wDayOfWeek = dow ? dow - 1 : 0;
  DecodeTime(value, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

// ---------------------------------------------------------------------------
// Formatting

namespace {

bool StartsWithNoCase(const String& s, size_t pos, const char* word) {
  for (size_t i = 0; word[i]; ++i) {
    if (pos + i >= s.size()) return false;
    char a = s[pos + i], b = word[i];
    if (a >= 'a' && a <= 'z') a -= 32;
    if (b >= 'a' && b <= 'z') b -= 32;
    if (a != b) return false;
  }
  return true;
}

class DateFormatter {
 public:
  DateFormatter(TDateTime value, const TFormatSettings& fs) : FValue(value), FFs(fs) {
    DecodeDateFully(value, FYear, FMonth, FDay, FDow);
    DecodeTime(value, FHour, FMin, FSec, FMSec);
  }

  String Run(const String& format) {
    Append(format.empty() ? String("C") : format, 0);
    return FOut;
  }

 private:
  void Number(unsigned value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*u", digits, value);
    FOut += buf;
  }

  // Nested formats (ddddd, c, t ...) may name each other; the depth limit
  // stops a profile whose formats refer to themselves.
  void Append(const String& f, int level) {
    if (level >= 2) return;
    char lastToken = ' ';
    bool use12 = false;
    size_t i = 0;
    const size_t n = f.size();
    auto count = [&](char token) {
      size_t c = 1;
      while (i < n && (f[i] == token || f[i] == token + 32)) ++i, ++c;
      return c;
    };
    while (i < n) {
      size_t start = i;
      char token = f[i++];
      if (token >= 'a' && token <= 'z') token -= 32;
      if (token >= 'A' && token <= 'Z') {
        if (token == 'M' && lastToken == 'H') token = 'N';
        lastToken = token;
      }
      switch (token) {
        case 'Y': {
          size_t c = count('Y');
          if (c <= 2)
            Number(FYear % 100, 2);
          else
            Number(FYear, 4);
          break;
        }
        case 'M': {
          size_t c = count('M');
          if (c <= 2)
            Number(FMonth, static_cast<int>(c));
          else if (FMonth >= 1)
            FOut += c == 3 ? FFs.ShortMonthNames[FMonth - 1] : FFs.LongMonthNames[FMonth - 1];
          break;
        }
        case 'D': {
          size_t c = count('D');
          if (c <= 2)
            Number(FDay, static_cast<int>(c));
          else if (c == 3 || c == 4) {
            if (FDow >= 1) FOut += c == 3 ? FFs.ShortDayNames[FDow - 1] : FFs.LongDayNames[FDow - 1];
          } else if (c == 5)
            Append(FFs.ShortDateFormat, level + 1);
          else
            Append(FFs.LongDateFormat, level + 1);
          break;
        }
        case 'H': {
          size_t c = count('H');
          // 12-hour clock when an am/pm specifier follows before the next h.
          bool quoted = false;
          for (size_t p = i; p < n; ++p) {
            char ch = f[p];
            if (ch == '\'' || ch == '"') {
              quoted = !quoted;
            } else if (!quoted && (ch == 'A' || ch == 'a')) {
              if (StartsWithNoCase(f, p, "AM/PM") || StartsWithNoCase(f, p, "A/P") ||
                  StartsWithNoCase(f, p, "AMPM"))
                use12 = true;
              break;
            } else if (!quoted && (ch == 'H' || ch == 'h')) {
              break;
            }
          }
          unsigned h = FHour;
          if (use12) h = h == 0 ? 12 : (h > 12 ? h - 12 : h);
          Number(h, c > 2 ? 2 : static_cast<int>(c));
          break;
        }
        case 'N': {
          size_t c = count(f[start] == 'm' || f[start] == 'M' ? 'M' : 'N');
          Number(FMin, c > 2 ? 2 : static_cast<int>(c));
          break;
        }
        case 'S': {
          size_t c = count('S');
          Number(FSec, c > 2 ? 2 : static_cast<int>(c));
          break;
        }
        case 'Z': {
          size_t c = count('Z');
          Number(FMSec, c > 3 ? 3 : static_cast<int>(c));
          break;
        }
        case 'T': {
          size_t c = count('T');
          Append(c == 1 ? FFs.ShortTimeFormat : FFs.LongTimeFormat, level + 1);
          break;
        }
        case 'C': {
          count('C');
          Append(FFs.ShortDateFormat, level + 1);
          if (FHour != 0 || FMin != 0 || FSec != 0) {
            FOut += ' ';
            Append(FFs.LongTimeFormat, level + 1);
          }
          break;
        }
        case 'A': {
          if (StartsWithNoCase(f, start, "AM/PM")) {
            FOut.append(f, start + (FHour >= 12 ? 3 : 0), 2);
            i = start + 5;
            use12 = true;
          } else if (StartsWithNoCase(f, start, "A/P")) {
            FOut.append(f, start + (FHour >= 12 ? 2 : 0), 1);
            i = start + 3;
            use12 = true;
          } else if (StartsWithNoCase(f, start, "AMPM")) {
            FOut += FHour < 12 ? FFs.TimeAMString : FFs.TimePMString;
            i = start + 4;
            use12 = true;
          } else {
            FOut += f[start];
          }
          break;
        }
        case '/':
          FOut += FFs.DateSeparator;
          break;
        case ':':
          FOut += FFs.TimeSeparator;
          break;
        case '\'':
        case '"': {
          size_t close = f.find(f[start], i);
          if (close == String::npos) close = n;
          FOut.append(f, i, close - i);
          i = close < n ? close + 1 : n;
          break;
        }
        default:
          FOut += f[start];
          break;
      }
    }
  }

  TDateTime FValue;
  const TFormatSettings& FFs;
  Word FYear = 0, FMonth = 0, FDay = 0, FDow = 0;
  Word FHour = 0, FMin = 0, FSec = 0, FMSec = 0;
  String FOut;
};

}  // namespace

String FormatDateTime(const String& format, TDateTime value, const TFormatSettings& fs) {
  return DateFormatter(value, fs).Run(format);
}
String FormatDateTime(const String& format, TDateTime value) {
  return FormatDateTime(format, value, FormatSettings());
}
void DateTimeToString(String& result, const String& format, TDateTime value,
                      const TFormatSettings& fs) {
  result = FormatDateTime(format, value, fs);
}
void DateTimeToString(String& result, const String& format, TDateTime value) {
  result = FormatDateTime(format, value);
}
String DateToStr(TDateTime date, const TFormatSettings& fs) {
  return FormatDateTime(fs.ShortDateFormat, date, fs);
}
String DateToStr(TDateTime date) { return DateToStr(date, FormatSettings()); }
String TimeToStr(TDateTime time, const TFormatSettings& fs) {
  return FormatDateTime(fs.LongTimeFormat, time, fs);
}
String TimeToStr(TDateTime time) { return TimeToStr(time, FormatSettings()); }
String DateTimeToStr(TDateTime value, const TFormatSettings& fs) {
  return FormatDateTime("c", value, fs);
}
String DateTimeToStr(TDateTime value) { return DateTimeToStr(value, FormatSettings()); }

// ---------------------------------------------------------------------------
// Parsing

namespace {

enum class DateOrder { MDY, DMY, YMD };

DateOrder DateOrderOf(const String& format) {
  for (char c : format) {
    switch (c) {
      case 'D': case 'd': return DateOrder::DMY;
      case 'E': case 'e': case 'Y': case 'y': return DateOrder::YMD;
      case 'M': case 'm': return DateOrder::MDY;
      default: break;
    }
  }
  return DateOrder::MDY;
}

class DateScanner {
 public:
  DateScanner(const String& s, const TFormatSettings& fs) : S(s), Fs(fs) {}

  bool AtEnd() const { return Pos >= S.size(); }

  bool ScanDate(TDateTime& date) {
    Word n1, n2, n3;
    int l1, l2, l3;
    if (!(ScanNumber(n1, l1) && ScanChar(Fs.DateSeparator) && ScanNumber(n2, l2))) return false;
    DateOrder order = DateOrderOf(Fs.ShortDateFormat);
    int y, m, d;
    if (ScanChar(Fs.DateSeparator)) {
      if (!ScanNumber(n3, l3)) return false;
      int yearLen;
      switch (order) {
        case DateOrder::MDY: y = n3; yearLen = l3; m = n1; d = n2; break;
        case DateOrder::DMY: y = n3; yearLen = l3; m = n2; d = n1; break;
        default: y = n1; yearLen = l1; m = n2; d = n3; break;
      }
      if (yearLen <= 2) {
        int window = Fs.TwoDigitYearCenturyWindow;
        int base = CurrentYear() - window;
        y += base / 100 * 100;
        if (window > 0 && y < base) y += 100;
      }
    } else {
      y = CurrentYear();
      if (order == DateOrder::DMY) {
        d = n1;
        m = n2;
      } else {
        m = n1;
        d = n2;
      }
    }
    // A trailing separator ("2024-01-05-") is tolerated, as typed dates often have one.
    ScanChar(Fs.DateSeparator);
    ScanBlanks();
    if (y < 1 || y > 9999) return false;
    return TryEncodeDate(static_cast<Word>(y), static_cast<Word>(m), static_cast<Word>(d), date);
  }

  bool ScanTime(TDateTime& time) {
    int baseHour = -1;
    if (ScanWord(Fs.TimeAMString) || ScanWord("AM"))
      baseHour = 0;
    else if (ScanWord(Fs.TimePMString) || ScanWord("PM"))
      baseHour = 12;
    if (baseHour >= 0) ScanBlanks();
    Word hour, min = 0, sec = 0, msec = 0;
    int len;
    if (!ScanNumber(hour, len)) return false;
    if (ScanChar(Fs.TimeSeparator)) {
      if (!ScanNumber(min, len)) return false;
      if (ScanChar(Fs.TimeSeparator)) {
        if (!ScanNumber(sec, len)) return false;
        if (ScanChar(Fs.DecimalSeparator) && !ScanNumber(msec, len)) return false;
      }
    }
    if (baseHour < 0) {
      if (ScanWord(Fs.TimeAMString) || ScanWord("AM"))
        baseHour = 0;
      else if (ScanWord(Fs.TimePMString) || ScanWord("PM"))
        baseHour = 12;
    }
    if (baseHour >= 0) {
      if (hour == 0 || hour > 12) return false;
      if (hour == 12) hour = 0;
      hour += baseHour;
    }
    ScanBlanks();
    return TryEncodeTime(hour, min, sec, msec, time);
  }

 private:
  void ScanBlanks() {
    while (Pos < S.size() && S[Pos] == ' ') ++Pos;
  }

  // Reads decimal digits; stops once the number reaches four digits' worth
  // so that a long run of digits cannot overflow.
  bool ScanNumber(Word& number, int& len) {
    ScanBlanks();
    size_t i = Pos;
    unsigned n = 0;
    while (i < S.size() && S[i] >= '0' && S[i] <= '9' && n < 1000) {
      n = n * 10 + (S[i] - '0');
      ++i;
    }
    if (i == Pos) return false;
    len = static_cast<int>(i - Pos);
    Pos = i;
    number = static_cast<Word>(n);
    return true;
  }

  bool ScanChar(char c) {
    ScanBlanks();
    if (Pos < S.size() && S[Pos] == c) {
      ++Pos;
      return true;
    }
    return false;
  }

  bool ScanWord(const String& word) {
    ScanBlanks();
    if (word.empty() || !StartsWithNoCase(S, Pos, word.c_str())) return false;
    Pos += word.size();
    return true;
  }

  const String& S;
  const TFormatSettings& Fs;
  size_t Pos = 0;
};

[[noreturn]] void ConvertError(const char* what, const String& s) {
  throw EConvertError("'" + s + "' is not a valid " + what);
}

}  // namespace

bool TryStrToDate(const String& s, TDateTime& value, const TFormatSettings& fs) {
  DateScanner sc(s, fs);
  TDateTime d;
  if (!sc.ScanDate(d) || !sc.AtEnd()) return false;
  value = d;
  return true;
}
bool TryStrToDate(const String& s, TDateTime& value) {
  return TryStrToDate(s, value, FormatSettings());
}
TDateTime StrToDate(const String& s, const TFormatSettings& fs) {
  TDateTime d;
  if (!TryStrToDate(s, d, fs)) ConvertError("date", s);
  return d;
}
TDateTime StrToDate(const String& s) { return StrToDate(s, FormatSettings()); }
TDateTime StrToDateDef(const String& s, TDateTime def) {
  TDateTime d;
  return TryStrToDate(s, d) ? d : def;
}

bool TryStrToTime(const String& s, TDateTime& value, const TFormatSettings& fs) {
  DateScanner sc(s, fs);
  TDateTime t;
  if (!sc.ScanTime(t) || !sc.AtEnd()) return false;
  value = t;
  return true;
}
bool TryStrToTime(const String& s, TDateTime& value) {
  return TryStrToTime(s, value, FormatSettings());
}
TDateTime StrToTime(const String& s, const TFormatSettings& fs) {
  TDateTime t;
  if (!TryStrToTime(s, t, fs)) ConvertError("time", s);
  return t;
}
TDateTime StrToTime(const String& s) { return StrToTime(s, FormatSettings()); }
TDateTime StrToTimeDef(const String& s, TDateTime def) {
  TDateTime t;
  return TryStrToTime(s, t) ? t : def;
}

bool TryStrToDateTime(const String& s, TDateTime& value, const TFormatSettings& fs) {
  DateScanner sc(s, fs);
  TDateTime d, t = 0;
  if (sc.ScanDate(d) && (sc.AtEnd() || (sc.ScanTime(t) && sc.AtEnd()))) {
    value = Combine(d, t);
    return true;
  }
  // A time alone is a valid date-time on day 0.
  return TryStrToTime(s, value, fs);
}
bool TryStrToDateTime(const String& s, TDateTime& value) {
  return TryStrToDateTime(s, value, FormatSettings());
}
TDateTime StrToDateTime(const String& s, const TFormatSettings& fs) {
  TDateTime v;
  if (!TryStrToDateTime(s, v, fs)) ConvertError("date and time", s);
  return v;
}
TDateTime StrToDateTime(const String& s) { return StrToDateTime(s, FormatSettings()); }
TDateTime StrToDateTimeDef(const String& s, TDateTime def) {
  TDateTime v;
  return TryStrToDateTime(s, v) ? v : def;
}
