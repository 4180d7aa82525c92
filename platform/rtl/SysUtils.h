// String and number routines with the class library's semantics: positions
// are 1-based byte positions, numbers are formatted and parsed through the
// format profile (FormatSettings.h), and conversion errors raise
// EConvertError with the class library's message texts.
//
// Format is our own parser: it never hands a format string to printf, and a
// bad format raises EConvertError ("Format '%s' invalid or incompatible with
// argument").
#pragma once
#include <concepts>
#include <initializer_list>
#include <string_view>
#include <type_traits>
#include <vector>
#include "Collation.h"
#include "Currency.h"
#include "FormatSettings.h"
#include "System.h"

// ---------------------------------------------------------------------------
// Strings (byte based, 1-based positions)

// `count` bytes from 1-based `index`; an index below 1 counts as 1, a range
// past the end is clipped.
String Copy(const String& s, Integer index, Integer count);
// 1-based position of the first `sub` in `s`, 0 when absent or `sub` empty.
Integer Pos(const String& sub, const String& s);
// The same, starting at 1-based `offset` (0 when offset is out of range).
Integer PosEx(const String& sub, const String& s, Integer offset = 1);
// Removes `count` bytes from 1-based `index` (nothing when index is out of
// range or count <= 0).
void Delete(String& s, Integer index, Integer count);
// Inserts `source` before 1-based `index` (index < 1: at the start; beyond
// the end: appended).
void Insert(const String& source, String& s, Integer index);

// Without leading/trailing spaces and control characters (bytes <= ' ').
String Trim(const String& s);
String TrimLeft(const String& s);
String TrimRight(const String& s);

// ASCII letters only.
String UpperCase(const String& s);
String LowerCase(const String& s);
// Every letter (Unicode case mapping).
String AnsiUpperCase(const String& s);
String AnsiLowerCase(const String& s);

// Ordinal comparisons: < 0, 0 or > 0. CompareText folds ASCII letters.
int CompareStr(const String& a, const String& b);
int CompareText(const String& a, const String& b);
bool SameText(const String& a, const String& b);   // ASCII case-insensitive
// AnsiCompareStr, AnsiCompareText, AnsiSameStr, AnsiSameText: Collation.h.

// 'text' with inner quotes doubled.
String QuotedStr(const String& s);
String AnsiQuotedStr(const String& s, char quote);
// Reads a quoted string at `src` (which must start with `quote`): returns it
// with doubled quotes undone and advances `src` past the closing quote (to
// the terminating zero when there is none). Returns "" and leaves `src` alone
// when `src` does not start with `quote`.
String AnsiExtractQuotedStr(const char*& src, char quote);

enum TReplaceFlag { rfReplaceAll, rfIgnoreCase };
// A set of TReplaceFlag: StringReplace(s, a, b, {rfReplaceAll, rfIgnoreCase}).
class TReplaceFlags {
 public:
  TReplaceFlags() = default;
  TReplaceFlags(TReplaceFlag f) : FBits(1u << f) {}
  TReplaceFlags(std::initializer_list<TReplaceFlag> fs) {
    for (auto f : fs) FBits |= 1u << f;
  }
  bool Contains(TReplaceFlag f) const { return FBits & (1u << f); }

 private:
  unsigned FBits = 0;
};
// rfIgnoreCase folds ASCII letters.
String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     TReplaceFlags flags = {});
String StringOfChar(char c, Integer count);

// ---------------------------------------------------------------------------
// Integers

String IntToStr(Int64 value);
String UIntToStr(UInt64 value);
template <std::integral T>
  requires(!std::same_as<T, bool>)
String IntToStr(T value) {
  if constexpr (std::is_signed_v<T>)
    return IntToStr(static_cast<Int64>(value));
  else
    return UIntToStr(static_cast<UInt64>(value));
}
// Upper-case hexadecimal, at least `digits` digits; a negative value shows
// its two's complement in the width of its type (IntToHex(-1, 1) with an
// Integer gives "FFFFFFFF").
String IntToHexBits(UInt64 bits, Integer digits);
template <std::integral T>
  requires(!std::same_as<T, bool>)
String IntToHex(T value, Integer digits) {
  return IntToHexBits(static_cast<UInt64>(static_cast<std::make_unsigned_t<T>>(value)), digits);
}

// Decimal or hexadecimal ("$FF", "0xFF"), optional sign, leading blanks.
// Hexadecimal fills the unsigned range ("$FFFFFFFF" is -1). Errors: "'%s' is
// not a valid integer value".
Integer StrToInt(const String& s);
Integer StrToIntDef(const String& s, Integer def);
bool TryStrToInt(const String& s, Integer& value);
Int64 StrToInt64(const String& s);
Int64 StrToInt64Def(const String& s, Int64 def);
bool TryStrToInt64(const String& s, Int64& value);

// ---------------------------------------------------------------------------
// Floating point and currency

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// General format with 15 significant digits ("1.5", "1E20", "1E-5").
String FloatToStr(Extended value);
String FloatToStr(Extended value, const TFormatSettings& fs);
// Precision: significant digits (1..18); Digits: minimum exponent digits
// (ffGeneral, ffExponent) or decimals (ffFixed, ffNumber, ffCurrency).
String FloatToStrF(Extended value, TFloatFormat format, Integer precision, Integer digits);
String FloatToStrF(Extended value, TFloatFormat format, Integer precision, Integer digits,
                   const TFormatSettings& fs);
// Picture formats: up to three sections "positive;negative;zero" of "0",
// "#", ".", ",", "E+"/"E-"/"e+"/"e-", quoted literals ('..' or "..") and
// other characters copied as they stand.
String FormatFloat(const String& format, Extended value);
String FormatFloat(const String& format, Extended value, const TFormatSettings& fs);
// Same pictures over the exact decimal value of a Currency.
String FormatCurr(const String& format, Currency value);
String FormatCurr(const String& format, Currency value, const TFormatSettings& fs);
String CurrToStr(Currency value);
String CurrToStr(Currency value, const TFormatSettings& fs);
String CurrToStrF(Currency value, TFloatFormat format, Integer digits);
String CurrToStrF(Currency value, TFloatFormat format, Integer digits, const TFormatSettings& fs);

// Optional sign, digits with the decimal separator, optional exponent;
// leading and trailing blanks allowed. Errors: "'%s' is not a valid floating
// point value".
Extended StrToFloat(const String& s);
Extended StrToFloat(const String& s, const TFormatSettings& fs);
Extended StrToFloatDef(const String& s, Extended def);
bool TryStrToFloat(const String& s, Extended& value);
bool TryStrToFloat(const String& s, Extended& value, const TFormatSettings& fs);
// Parsed exactly in decimal; digits beyond the fourth decimal round half to
// even.
Currency StrToCurr(const String& s);
Currency StrToCurr(const String& s, const TFormatSettings& fs);
Currency StrToCurrDef(const String& s, Currency def);
bool TryStrToCurr(const String& s, Currency& value);
bool TryStrToCurr(const String& s, Currency& value, const TFormatSettings& fs);

// ---------------------------------------------------------------------------
// Format

// One argument of Format, as the class library's open array of variants:
// made implicitly from integers, floating point values, Currency, characters,
// strings and pointers. Strings are referenced, not copied: an argument lives
// only for the call it is passed to.
class FormatArg {
 public:
  enum Kind { kInteger, kFloat, kCurrency, kChar, kString, kPointer };

  template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>)
  FormatArg(T v)
      : FKind(kInteger), FInt(static_cast<Int64>(v)), FIs64(sizeof(T) > 4),
        FUnsigned(std::is_unsigned_v<T> && sizeof(T) >= 8) {}
  FormatArg(bool) = delete;   // the class library rejects booleans too
  FormatArg(double v) : FKind(kFloat), FFloat(v) {}
  FormatArg(float v) : FKind(kFloat), FFloat(v) {}
  FormatArg(long double v) : FKind(kFloat), FFloat(static_cast<double>(v)) {}
  FormatArg(Currency v) : FKind(kCurrency), FCurr(v) {}
  FormatArg(char c) : FKind(kChar), FChar(c) {}
  FormatArg(const char* s) : FKind(kString), FStr(s ? std::string_view(s) : std::string_view()) {}
  FormatArg(char* s) : FormatArg(static_cast<const char*>(s)) {}
  FormatArg(const String& s) : FKind(kString), FStr(s) {}
  FormatArg(std::string_view s) : FKind(kString), FStr(s) {}
  FormatArg(std::nullptr_t) : FKind(kPointer) {}
  template <class T>
  FormatArg(T* p) : FKind(kPointer), FPtr(reinterpret_cast<const void*>(p)) {}

  Kind GetKind() const { return FKind; }
  Int64 AsInt() const { return FInt; }
  bool Is64() const { return FIs64; }
  bool IsUnsigned() const { return FUnsigned; }
  double AsFloat() const { return FFloat; }
  Currency AsCurrency() const { return FCurr; }
  char AsChar() const { return FChar; }
  std::string_view AsString() const { return FStr; }
  const void* AsPointer() const { return FPtr; }

 private:
  Kind FKind;
  Int64 FInt = 0;
  bool FIs64 = false;
  bool FUnsigned = false;
  double FFloat = 0;
  Currency FCurr;
  char FChar = 0;
  std::string_view FStr;
  const void* FPtr = nullptr;
};

// "%" [index ":"] ["-"] [width] ["." precision] type, where index, width and
// precision may be "*" (taken from the next argument) and type is one of
// d u e f g n m p s x (either case); "%%" gives "%". Width counts
// characters, not bytes, and so does the precision of %s.
String Format(const String& format, std::initializer_list<FormatArg> args);
String Format(const String& format, const std::vector<FormatArg>& args);
String Format(const String& format, const FormatArg* args, size_t count, const TFormatSettings& fs);

// File names: "C:\folder\name.ext" taken apart ("\", "/" and ":" end a
// folder part). ExtractFileExt includes the dot.
String ExtractFileName(const String& fileName);
String ExtractFilePath(const String& fileName);
String ExtractFileExt(const String& fileName);
String ChangeFileExt(const String& fileName, const String& extension);
String IncludeTrailingPathDelimiter(const String& path);
String ExcludeTrailingPathDelimiter(const String& path);
bool FileExists(const String& fileName);
bool DirectoryExists(const String& dir);
