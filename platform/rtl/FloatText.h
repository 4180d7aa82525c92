// Internal to the run-time library: the decimal form of a number that the
// float and currency formatting routines (SysUtilsFloat.cpp) and Format
// (SysUtilsFormat.cpp) share.
#pragma once
#include <string>
#include "Currency.h"
#include "FormatSettings.h"
#include "SysUtils.h"

// A number as 0.Digits x 10^Exponent; Digits has no trailing zeros and is
// empty for zero.
struct TFloatRec {
  enum Kind { kFinite, kNaN, kInfinite };
  Kind Special = kFinite;
  bool Negative = false;
  int Exponent = 0;
  std::string Digits;

  bool IsZero() const { return Special == kFinite && Digits.empty(); }
};

// Significant digits a double is shown with where no precision is given.
constexpr int kDefaultFloatPrecision = 15;
// Every digit of a Currency.
constexpr int kCurrencyPrecision = 19;

// The double rounded to `precision` significant digits (1..18).
TFloatRec FloatToRec(double value, int precision);
// The exact decimal value of a Currency.
TFloatRec CurrToRec(Currency value);
// Rounds half away from zero to at most `maxDigits` significant digits and
// at most `decimals` digits after the decimal point.
void RoundRec(TFloatRec& rec, int maxDigits, int decimals);

// FloatToStrF's formatting of an unrounded decimal value.
String FloatRecToText(TFloatRec rec, TFloatFormat format, int precision, int digits, const TFormatSettings& fs);
// FormatFloat's picture formatting; `precision` is the precision of the
// value (kDefaultFloatPrecision for doubles, kCurrencyPrecision for
// Currency).
String FormatRec(const String& format, const TFloatRec& value, int precision, const TFormatSettings& fs);
