// Currency: a fixed-point amount with four decimals, stored as a 64-bit
// integer scaled by 10000. Conversion from floating point and the results of
// multiplication and division round half to even (banker's rounding), as the
// class library's currency type does; overflow and division by zero raise
// EInvalidOp and EZeroDivide.
#pragma once
#include <compare>
#include <concepts>
#include <string_view>
#include "System.h"

class Currency;

// Parses [sign] digits [decimalSeparator digits] [E [sign] digits] exactly
// into a Currency, rounding beyond the fourth decimal half to even. False on
// malformed text or when the value is out of range. No blanks allowed.
bool CurrencyFromDecimalText(std::string_view text, char decimalSeparator, Currency& value);

class Currency {
 public:
  static constexpr Int64 Scale = 10000;

  constexpr Currency() = default;
  // Rounds the value as written in shortest decimal form (0.12345 is taken as
  // 0.12345, not as its binary neighbour) to 4 decimals, ties to even.
  Currency(double value);
  template <std::integral T>
    requires(!std::same_as<T, bool>)
  Currency(T value) : Currency(FromInteger(static_cast<Int64>(value))) {}

  static constexpr Currency FromRaw(Int64 raw) {
    Currency c;
    c.FRaw = raw;
    return c;
  }
  constexpr Int64 Raw() const { return FRaw; }

  double ToDouble() const;
  explicit operator double() const { return ToDouble(); }
  Int64 ToInt64() const;    // nearest integer, ties to even
  Int64 Trunc() const { return FRaw / Scale; }

  Currency operator-() const;
  Currency& operator+=(Currency o);
  Currency& operator-=(Currency o);
  Currency& operator*=(Currency o);
  Currency& operator/=(Currency o);
  friend Currency operator+(Currency a, Currency b) { return a += b; }
  friend Currency operator-(Currency a, Currency b) { return a -= b; }
  friend Currency operator*(Currency a, Currency b) { return a *= b; }
  friend Currency operator/(Currency a, Currency b) { return a /= b; }
  friend constexpr bool operator==(Currency a, Currency b) { return a.FRaw == b.FRaw; }
  friend constexpr std::strong_ordering operator<=>(Currency a, Currency b) { return a.FRaw <=> b.FRaw; }

 private:
  static Currency FromInteger(Int64 value);
  Int64 FRaw = 0;
};
