#include "Currency.h"
#include <charconv>
#include <cmath>

namespace {

[[noreturn]] void Overflow() { throw EInvalidOp("Invalid floating point operation"); }

// Rounds num/den (den > 0) to the nearest integer, ties to even.
__int128 DivRoundEven(__int128 num, __int128 den) {
  __int128 q = num / den;
  __int128 r = num % den;
  if (r < 0) r = -r;
  const __int128 twice = 2 * r;
  if (twice > den || (twice == den && (q & 1))) q += (num < 0) ? -1 : 1;
  return q;
}

Int64 Checked(__int128 v) {
  if (v > INT64_MAX || v < INT64_MIN) Overflow();
  return static_cast<Int64>(v);
}

}  // namespace

bool CurrencyFromDecimalText(std::string_view text, char decimalSeparator, Currency& value) {
  size_t i = 0;
  const size_t n = text.size();
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Significant digits (leading zeros dropped) and the power of ten of the
  // last one.
  std::string digits;
  long exponent = 0;
  bool anyDigit = false, afterPoint = false, sticky = false;
  for (; i < n; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      anyDigit = true;
      if (!digits.empty() || c != '0') {
        if (digits.size() < 64) {
          digits += c;
          if (afterPoint) --exponent;
        } else {
          // Beyond 64 significant digits only whether anything non-zero
          // follows matters (for rounding).
          if (!afterPoint) ++exponent;
          if (c != '0') sticky = true;
        }
      } else if (afterPoint) {
        --exponent;
      }
    } else if (c == decimalSeparator && !afterPoint) {
      afterPoint = true;
    } else {
      break;
    }
  }
  if (!anyDigit) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool expNegative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) expNegative = text[i++] == '-';
    if (i >= n) return false;
    long e = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i)
      if (e < 100000) e = e * 10 + (text[i] - '0');
    exponent += expNegative ? -e : e;
  }
  if (i != n) return false;

  // raw = digits * 10^(exponent + 4)
  const long shift = exponent + 4;
  __int128 raw = 0;
  if (digits.empty()) {
    raw = 0;
  } else if (shift >= 0) {
    if (static_cast<long>(digits.size()) + shift > 19) return false;
    for (char c : digits) raw = raw * 10 + (c - '0');
    for (long k = 0; k < shift; ++k) raw *= 10;
  } else {
    const long drop = -shift;
    const long keep = static_cast<long>(digits.size()) - drop;
    if (keep > 19) return false;
    for (long k = 0; k < keep; ++k) raw = raw * 10 + (digits[k] - '0');
    // Compare the dropped part with one half.
    int half = -1;   // -1 below, 0 exactly, 1 above
    if (keep >= 0) {
      const char first = digits[keep];
      if (first > '5') half = 1;
      else if (first == '5') half = (sticky || digits.find_first_not_of('0', keep + 1) != std::string::npos) ? 1 : 0;
    }
    if (half > 0 || (half == 0 && (raw & 1))) ++raw;
  }
  if (negative) raw = -raw;
  if (raw > INT64_MAX || raw < INT64_MIN) return false;
  value = Currency::FromRaw(static_cast<Int64>(raw));
  return true;
}

Currency::Currency(double value) {
  if (!std::isfinite(value)) Overflow();
  // Most values have at most four decimals (prices, quantities): when
  // value * 10000 is a whole number N and N / 10000 reads back as value,
  // the shortest text of value is N / 10000 itself (below 2^33 no other
  // number of four decimals lies as close), so the text below would give N.
  const double scaled = value * 10000.0;
  if (std::fabs(value) < 8589934592.0 && scaled == std::trunc(scaled) && scaled / 10000.0 == value) {
    FRaw = static_cast<Int64>(scaled);
    return;
  }
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);   // shortest round-trip form
  if (!CurrencyFromDecimalText(std::string_view(buf, res.ptr - buf), '.', *this)) Overflow();
}

Currency Currency::FromInteger(Int64 value) { return FromRaw(Checked(static_cast<__int128>(value) * Scale)); }

double Currency::ToDouble() const { return static_cast<double>(static_cast<long double>(FRaw) / 10000.0L); }

Int64 Currency::ToInt64() const { return static_cast<Int64>(DivRoundEven(FRaw, Scale)); }

Currency Currency::operator-() const {
  if (FRaw == INT64_MIN) Overflow();
  return FromRaw(-FRaw);
}

Currency& Currency::operator+=(Currency o) {
  if (__builtin_add_overflow(FRaw, o.FRaw, &FRaw)) Overflow();
  return *this;
}

Currency& Currency::operator-=(Currency o) {
  if (__builtin_sub_overflow(FRaw, o.FRaw, &FRaw)) Overflow();
  return *this;
}

Currency& Currency::operator*=(Currency o) {
  FRaw = Checked(DivRoundEven(static_cast<__int128>(FRaw) * o.FRaw, Scale));
  return *this;
}

Currency& Currency::operator/=(Currency o) {
  if (o.FRaw == 0) throw EZeroDivide("Floating point division by zero");
  __int128 num = static_cast<__int128>(FRaw) * Scale;
  __int128 den = o.FRaw;
  if (den < 0) num = -num, den = -den;
  FRaw = Checked(DivRoundEven(num, den));
  return *this;
}
