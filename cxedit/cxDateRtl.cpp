#include "cxDateRtl.h"
#include <windows.h>
#include <cmath>
#include <cstdio>

namespace cxrtl {
namespace {
// Days from 0001-01-01 to 1899-12-30.
constexpr Int64 kDelta = 693594;
std::function<TDateTime()>& Clock() {
  static std::function<TDateTime()> c;
  return c;
}
// Whole days of the date; the fraction (time) is taken by its magnitude, so
// -1.25 is 1899-12-29 06:00.
Int64 DayNumber(TDateTime d) { return static_cast<Int64>(std::trunc(d)); }
String Pad(int v, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, v);
  return buf;
}
}  // namespace

bool IsLeapYear(Word y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

Word DaysInMonth(Word y, Word m) {
  static const Word kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12) return 0;
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

bool TryEncodeDate(Word y, Word m, Word d, TDateTime& date) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
  Int64 days = 0;
  for (Word i = 1; i < m; ++i) days += DaysInMonth(y, i);
  const Int64 yy = y - 1;
  days += d + yy * 365 + yy / 4 - yy / 100 + yy / 400;
  date = static_cast<TDateTime>(days - kDelta - 1);
  return true;
}

TDateTime EncodeDate(Word y, Word m, Word d) {
  TDateTime r;
  if (!TryEncodeDate(y, m, d, r)) throw EConvertError("Invalid argument to date encode");
  return r;
}

bool TryEncodeTime(Word h, Word n, Word s, Word z, TDateTime& time) {
  if (h >= 24 || n >= 60 || s >= 60 || z >= 1000) return false;
  time = (h * 3600000.0 + n * 60000.0 + s * 1000.0 + z) / 86400000.0;
  return true;
}

TDateTime EncodeTime(Word h, Word n, Word s, Word z) {
  TDateTime r;
  if (!TryEncodeTime(h, n, s, z, r)) throw EConvertError("Invalid argument to time encode");
  return r;
}

void DecodeDate(TDateTime date, Word& year, Word& month, Word& day) {
  Int64 n = DayNumber(date) + kDelta;   // days since 0001-01-01, 0-based
  if (n < 0 || n > 3652058) {
    year = month = day = 0;
    return;
  }
  // Civil-from-days over 400-year cycles.
  Int64 y400 = n / 146097;
  n %= 146097;
  Int64 y100 = std::min<Int64>(n / 36524, 3);
  n -= y100 * 36524;
  Int64 y4 = n / 1461;
  n %= 1461;
  Int64 y1 = std::min<Int64>(n / 365, 3);
  n -= y1 * 365;
  year = static_cast<Word>(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
  month = 1;
  while (n >= DaysInMonth(year, month)) n -= DaysInMonth(year, month++);
  day = static_cast<Word>(n + 1);
}

void DecodeTime(TDateTime time, Word& h, Word& n, Word& s, Word& z) {
  double frac = std::fabs(time - std::trunc(time));
  Int64 ms = static_cast<Int64>(std::llround(frac * 86400000.0));
  if (ms >= 86400000) ms = 86399999;
  h = static_cast<Word>(ms / 3600000);
  n = static_cast<Word>(ms / 60000 % 60);
  s = static_cast<Word>(ms / 1000 % 60);
  z = static_cast<Word>(ms % 1000);
}

Integer DayOfWeek(TDateTime date) {
  Int64 n = DayNumber(date) + kDelta;   // 0001-01-01 was a Monday
  Int64 r = (n + 1) % 7;
  if (r < 0) r += 7;
  return static_cast<Integer>(r + 1);
}

void SetClock(std::function<TDateTime()> clock) { Clock() = std::move(clock); }
void ResetClock() { Clock() = nullptr; }

TDateTime Now() {
  if (Clock()) return Clock()();
  SYSTEMTIME st;
  GetLocalTime(&st);
  return EncodeDate(st.wYear, st.wMonth, st.wDay) + EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

TDateTime Date() { return std::trunc(Now()); }

String FormatDateTime(const String& f, TDateTime value, const TFormatSettings& fs) {
  Word y, m, d, h, n, s, z;
  DecodeDate(value, y, m, d);
  DecodeTime(value, h, n, s, z);
  const int dow = DayOfWeek(value) - 1;
  String r;
  auto lower = [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); };
  auto run = [&](size_t i) {
    size_t k = i;
    while (k < f.size() && lower(f[k]) == lower(f[i])) ++k;
    return k - i;
  };
  auto startsWith = [&](size_t i, const char* w) {
    for (size_t k = 0; w[k]; ++k)
      if (i + k >= f.size() || lower(f[i + k]) != w[k]) return false;
    return true;
  };
  // An "m" right after an hour means minutes.
  bool afterHour = false;
  for (size_t i = 0; i < f.size();) {
    const char c = lower(f[i]);
    if (c == '\'' || c == '"') {
      size_t e = f.find(f[i], i + 1);
      if (e == String::npos) e = f.size();
      r += f.substr(i + 1, e - i - 1);
      i = e + 1;
      continue;
    }
    const size_t len = run(i);
    switch (c) {
      case 'y': r += len <= 2 ? Pad(y % 100, 2) : Pad(y, 4); i += len; break;
      case 'm':
        if (afterHour) {
          r += len >= 2 ? Pad(n, 2) : std::to_string(n);
          i += std::min<size_t>(len, 2);
          afterHour = false;
        } else {
          if (len >= 4) r += fs.LongMonthNames[m - 1];
          else if (len == 3) r += fs.ShortMonthNames[m - 1];
          else r += len == 2 ? Pad(m, 2) : std::to_string(m);
          i += std::min<size_t>(len, 4);
        }
        break;
      case 'd':
        if (len >= 4) r += fs.LongDayNames[dow];
        else if (len == 3) r += fs.ShortDayNames[dow];
        else r += len == 2 ? Pad(d, 2) : std::to_string(d);
        i += std::min<size_t>(len, 4);
        break;
      case 'h': {
        int hh = h;
        // A 12-hour clock when the format has an AM/PM designator.
        String lf;
        for (char ch : f) lf += lower(ch);
        if (lf.find("am/pm") != String::npos || lf.find("a/p") != String::npos || lf.find("ampm") != String::npos)
          hh = h % 12 == 0 ? 12 : h % 12;
        r += len >= 2 ? Pad(hh, 2) : std::to_string(hh);
        i += std::min<size_t>(len, 2);
        afterHour = true;
        continue;
      }
      case 'n': r += len >= 2 ? Pad(n, 2) : std::to_string(n); i += std::min<size_t>(len, 2); break;
      case 's': r += len >= 2 ? Pad(s, 2) : std::to_string(s); i += std::min<size_t>(len, 2); break;
      case 'z': r += len >= 3 ? Pad(z, 3) : std::to_string(z); i += std::min<size_t>(len, 3); break;
      case 'a':
        if (startsWith(i, "am/pm")) {
          const bool up = f[i] == 'A';
          r += h < 12 ? (up ? "AM" : "am") : (up ? "PM" : "pm");
          i += 5;
        } else if (startsWith(i, "a/p")) {
          r += h < 12 ? (f[i] == 'A' ? "A" : "a") : (f[i] == 'A' ? "P" : "p");
          i += 3;
        } else if (startsWith(i, "ampm")) {
          r += h < 12 ? fs.TimeAMString : fs.TimePMString;
          i += 4;
        } else {
          r += f[i++];
        }
        break;
      case '/': r += fs.DateSeparator; ++i; break;
      case ':': r += fs.TimeSeparator; ++i; break;
      default: r += f[i++];
    }
    if (c != ' ') afterHour = afterHour && c == ':';
  }
  return r;
}
}  // namespace cxrtl
