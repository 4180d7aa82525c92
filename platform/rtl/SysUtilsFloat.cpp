// Floating point and currency text: FloatToStr(F), FormatFloat, FormatCurr,
// CurrToStr(F) and the parsing routines, all over the decimal form of
// FloatText.h.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include "FloatText.h"

// ---------------------------------------------------------------------------
// Decimal form

TFloatRec FloatToRec(double value, int precision) {
  TFloatRec rec;
  if (std::isnan(value)) {
    rec.Special = TFloatRec::kNaN;
    return rec;
  }
  rec.Negative = std::signbit(value);
  if (std::isinf(value)) {
    rec.Special = TFloatRec::kInfinite;
    return rec;
  }
  if (value == 0) {
    rec.Negative = false;
    return rec;
  }
  // 17 significant digits (our own constant format) identify the double;
  // rounding them half away from zero to the precision then gives what the
  // value looks like in decimal (1.005 -> "1.01", 0.125 -> "0.13"), not the
  // tie-breaking of its binary form.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.16e", std::fabs(value));
  const char* e = buf;
  while (*e && *e != 'e') {
    if (*e >= '0' && *e <= '9') rec.Digits += *e;
    ++e;
  }
  rec.Exponent = (*e ? std::atoi(e + 1) : 0) + 1;
  while (!rec.Digits.empty() && rec.Digits.back() == '0') rec.Digits.pop_back();
  RoundRec(rec, std::clamp(precision, 1, 18), 9999);
  return rec;
}

TFloatRec CurrToRec(Currency value) {
  TFloatRec rec;
  const Int64 raw = value.Raw();
  if (raw == 0) return rec;
  rec.Negative = raw < 0;
  const UInt64 mag = rec.Negative ? 0ull - static_cast<UInt64>(raw) : static_cast<UInt64>(raw);
  rec.Digits = std::to_string(mag);
  rec.Exponent = static_cast<int>(rec.Digits.size()) - 4;
  while (!rec.Digits.empty() && rec.Digits.back() == '0') rec.Digits.pop_back();
  return rec;
}

void RoundRec(TFloatRec& rec, int maxDigits, int decimals) {
  if (rec.Special != TFloatRec::kFinite || rec.Digits.empty()) return;
  const long keep = std::min<long>(maxDigits, static_cast<long>(rec.Exponent) + decimals);
  if (keep >= static_cast<long>(rec.Digits.size())) return;
  if (keep < 0) {
    rec.Digits.clear();
  } else {
    const bool up = rec.Digits[keep] >= '5';
    rec.Digits.resize(keep);
    if (up) {
      long i = keep - 1;
      while (i >= 0 && rec.Digits[i] == '9') rec.Digits[i--] = '0';
      if (i >= 0) {
        ++rec.Digits[i];
      } else {
        rec.Digits.insert(rec.Digits.begin(), '1');   // 9.99 -> 10.0
        ++rec.Exponent;
      }
    }
    while (!rec.Digits.empty() && rec.Digits.back() == '0') rec.Digits.pop_back();
  }
  if (rec.Digits.empty()) {
    rec.Exponent = 0;
    rec.Negative = false;
  }
}

// ---------------------------------------------------------------------------
// FloatToStrF

namespace {

// Integer part of a rounded value, with thousand separators when asked.
String IntegerPart(const TFloatRec& rec, char thousandSeparator) {
  String digits;
  if (rec.Exponent <= 0) {
    digits = "0";
  } else {
    digits = rec.Digits.substr(0, rec.Exponent);
    digits.append(rec.Exponent - digits.size(), '0');
  }
  if (!thousandSeparator) return digits;
  String out;
  for (size_t i = 0; i < digits.size(); ++i) {
    out += digits[i];
    const size_t left = digits.size() - 1 - i;
    if (left > 0 && left % 3 == 0) out += thousandSeparator;
  }
  return out;
}

// `count` digits after the decimal point of a rounded value.
String FractionPart(const TFloatRec& rec, int count) {
  String out;
  for (int i = 0; i < count; ++i) {
    const long idx = static_cast<long>(rec.Exponent) + i;
    out += (idx >= 0 && idx < static_cast<long>(rec.Digits.size())) ? rec.Digits[idx] : '0';
  }
  return out;
}

String ExponentText(int exponent, int minDigits, bool plus) {
  String out = "E";
  if (exponent < 0) out += '-';
  else if (plus) out += '+';
  String d = std::to_string(exponent < 0 ? -exponent : exponent);
  if (static_cast<int>(d.size()) < minDigits) d.insert(0, minDigits - d.size(), '0');
  return out + d;
}

String Mantissa(const TFloatRec& rec, int minDigits, char decimalSeparator) {
  String digits = rec.Digits.empty() ? String("0") : rec.Digits;
  if (static_cast<int>(digits.size()) < minDigits) digits.append(minDigits - digits.size(), '0');
  String out(1, digits[0]);
  if (digits.size() > 1) out += decimalSeparator + digits.substr(1);
  return out;
}

String GeneralText(TFloatRec rec, int precision, int digits, const TFormatSettings& fs) {
  RoundRec(rec, precision, 9999);
  if (rec.IsZero()) return "0";
  String body;
  if (rec.Exponent > precision || rec.Exponent < -4) {
    body = Mantissa(rec, 0, fs.DecimalSeparator) + ExponentText(rec.Exponent - 1, digits, false);
  } else {
    body = IntegerPart(rec, 0);
    const int fraction = static_cast<int>(rec.Digits.size()) - rec.Exponent;
    if (fraction > 0) body += fs.DecimalSeparator + FractionPart(rec, fraction);
  }
  return rec.Negative ? "-" + body : body;
}

// The currency string placed around an amount by the profile's
// CurrencyFormat (positive) and NegCurrFormat (negative) patterns.
String PlaceCurrency(const String& amount, bool negative, const TFormatSettings& fs) {
  const String& c = fs.CurrencyString;
  if (!negative) {
    switch (fs.CurrencyFormat) {
      case 1: return amount + c;
      case 2: return c + " " + amount;
      case 3: return amount + " " + c;
      default: return c + amount;
    }
  }
  switch (fs.NegCurrFormat) {
    case 0: return "(" + c + amount + ")";
    case 1: return "-" + c + amount;
    case 3: return c + amount + "-";
    case 4: return "(" + amount + c + ")";
    case 5: return "-" + amount + c;
    case 6: return amount + "-" + c;
    case 7: return amount + c + "-";
    case 8: return "-" + amount + " " + c;
    case 9: return "-" + c + " " + amount;
    case 10: return amount + " " + c + "-";
    case 11: return c + " " + amount + "-";
    case 12: return c + " -" + amount;
    case 13: return amount + "- " + c;
    case 14: return "(" + c + " " + amount + ")";
    case 15: return "(" + amount + " " + c + ")";
    default: return c + "-" + amount;   // 2
  }
}

}  // namespace

String FloatRecToText(TFloatRec rec, TFloatFormat format, int precision, int digits, const TFormatSettings& fs) {
  if (rec.Special == TFloatRec::kNaN) return "NAN";
  if (rec.Special == TFloatRec::kInfinite) return rec.Negative ? "-INF" : "INF";
  precision = std::clamp(precision, 1, kCurrencyPrecision);
  switch (format) {
    case ffExponent: {
      RoundRec(rec, precision, 9999);
      const int exponent = rec.IsZero() ? 0 : rec.Exponent - 1;
      const String body = Mantissa(rec, precision, fs.DecimalSeparator) +
                          ExponentText(exponent, std::clamp(digits, 0, 4), true);
      return rec.Negative ? "-" + body : body;
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      digits = std::clamp(digits, 0, 18);
      RoundRec(rec, precision, digits);
      // More integer digits than the precision holds: general format.
      if (rec.Exponent > precision) return GeneralText(rec, precision, 0, fs);
      String body = IntegerPart(rec, format == ffFixed ? 0 : fs.ThousandSeparator);
      if (digits > 0) body += fs.DecimalSeparator + FractionPart(rec, digits);
      if (format == ffCurrency) return PlaceCurrency(body, rec.Negative, fs);
      return rec.Negative ? "-" + body : body;
    }
    default:
      return GeneralText(rec, precision, std::clamp(digits, 0, 4), fs);
  }
}

String FloatToStr(Extended value) { return FloatToStr(value, FormatSettings()); }
String FloatToStr(Extended value, const TFormatSettings& fs) {
  return FloatToStrF(value, ffGeneral, kDefaultFloatPrecision, 0, fs);
}

String FloatToStrF(Extended value, TFloatFormat format, Integer precision, Integer digits) {
  return FloatToStrF(value, format, precision, digits, FormatSettings());
}
String FloatToStrF(Extended value, TFloatFormat format, Integer precision, Integer digits,
                   const TFormatSettings& fs) {
  precision = std::clamp(precision, 1, 18);
  return FloatRecToText(FloatToRec(value, precision), format, precision, digits, fs);
}

String CurrToStr(Currency value) { return CurrToStr(value, FormatSettings()); }
String CurrToStr(Currency value, const TFormatSettings& fs) { return CurrToStrF(value, ffGeneral, 0, fs); }

String CurrToStrF(Currency value, TFloatFormat format, Integer digits) {
  return CurrToStrF(value, format, digits, FormatSettings());
}
String CurrToStrF(Currency value, TFloatFormat format, Integer digits, const TFormatSettings& fs) {
  return FloatRecToText(CurrToRec(value), format, kCurrencyPrecision, digits, fs);
}

// ---------------------------------------------------------------------------
// FormatFloat pictures

namespace {

// One section of a picture, split into its parts.
struct Picture {
  int IntPlaces = 0;          // "0"/"#" before the decimal point
  int FirstIntZero = -1;      // index among them of the first "0"
  int FracPlaces = 0;         // "0"/"#" after the decimal point
  int LastFracZero = -1;      // index among them of the last "0"
  bool Thousands = false;
  bool Scientific = false;
};

bool IsQuote(char c) { return c == '"' || c == '\''; }

// Splits a picture into its ";" sections (";" inside quotes is text).
std::vector<String> Sections(const String& format) {
  std::vector<String> out(1);
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (IsQuote(c)) {
      const size_t end = format.find(c, i + 1);
      const size_t stop = end == String::npos ? format.size() : end + 1;
      out.back().append(format, i, stop - i);
      i = stop - 1;
    } else if (c == ';' && out.size() < 3) {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  return out;
}

// Whether the "E"/"e" at `i` starts an exponent ("E+", "E-").
bool IsExponentAt(const String& s, size_t i) {
  return (s[i] == 'E' || s[i] == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-');
}

Picture Scan(const String& section) {
  Picture p;
  bool afterPoint = false;
  for (size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    if (IsQuote(c)) {
      const size_t end = section.find(c, i + 1);
      i = end == String::npos ? section.size() : end;
    } else if (c == '0' || c == '#') {
      if (afterPoint) {
        if (c == '0') p.LastFracZero = p.FracPlaces;
        ++p.FracPlaces;
      } else {
        if (c == '0' && p.FirstIntZero < 0) p.FirstIntZero = p.IntPlaces;
        ++p.IntPlaces;
      }
    } else if (c == '.' && !afterPoint) {
      afterPoint = true;
    } else if (c == ',') {
      p.Thousands = true;
    } else if (IsExponentAt(section, i)) {
      p.Scientific = true;
      break;   // what follows is the exponent and text
    }
  }
  return p;
}

// Renders a rounded value through a section.
String Render(const String& section, const Picture& p, const TFloatRec& rec, int exponent,
              const TFormatSettings& fs) {
  // Integer digits, padded to the places from the first "0" on.
  String intDigits;
  String fracDigits;
  if (p.Scientific) {
    intDigits = rec.Digits.substr(0, p.IntPlaces);
    intDigits.append(p.IntPlaces - intDigits.size(), '0');
    fracDigits = rec.Digits.size() > static_cast<size_t>(p.IntPlaces) ? rec.Digits.substr(p.IntPlaces) : String();
  } else {
    if (rec.Exponent > 0) {
      intDigits = rec.Digits.substr(0, rec.Exponent);
      intDigits.append(rec.Exponent - intDigits.size(), '0');
      if (rec.Digits.size() > static_cast<size_t>(rec.Exponent)) fracDigits = rec.Digits.substr(rec.Exponent);
    } else if (!rec.Digits.empty()) {
      fracDigits = String(-rec.Exponent, '0') + rec.Digits;
    }
    const int minInt = p.FirstIntZero < 0 ? 0 : p.IntPlaces - p.FirstIntZero;
    if (static_cast<int>(intDigits.size()) < minInt) intDigits.insert(0, minInt - intDigits.size(), '0');
  }
  const int intOut = static_cast<int>(intDigits.size());
  const bool group = p.Thousands && !p.Scientific;

  String out;
  auto putIntDigit = [&](int k) {
    out += intDigits[k];
    const int left = intOut - 1 - k;
    if (group && left > 0 && left % 3 == 0) out += fs.ThousandSeparator;
  };
  int intIndex = 0, fracIndex = 0;
  bool afterPoint = false;
  for (size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    if (IsQuote(c)) {
      const size_t end = section.find(c, i + 1);
      const size_t stop = end == String::npos ? section.size() : end;
      out.append(section, i + 1, stop - i - 1);
      i = stop;
    } else if (c == '0' || c == '#') {
      if (afterPoint) {
        if (fracIndex < static_cast<int>(fracDigits.size())) out += fracDigits[fracIndex];
        else if (fracIndex <= p.LastFracZero) out += '0';
        ++fracIndex;
      } else {
        // The first place also takes every digit that has no place of its
        // own; the others take theirs, right-aligned.
        const int k = intIndex - (p.IntPlaces - intOut);
        if (intIndex == 0)
          for (int j = 0; j <= k; ++j) putIntDigit(j);
        else if (k >= 0)
          putIntDigit(k);
        ++intIndex;
      }
    } else if (c == '.' && !afterPoint) {
      afterPoint = true;
      if (!fracDigits.empty() || p.LastFracZero >= 0) out += fs.DecimalSeparator;
    } else if (c == ',') {
      // thousand separators are placed by the digits
    } else if (IsExponentAt(section, i)) {
      out += c;
      if (exponent < 0) out += '-';
      else if (section[i + 1] == '+') out += '+';
      i += 2;
      int places = 0;
      while (i < section.size() && section[i] == '0') ++places, ++i;
      String d = std::to_string(exponent < 0 ? -exponent : exponent);
      places = std::clamp(places, 1, 4);
      if (static_cast<int>(d.size()) < places) d.insert(0, places - d.size(), '0');
      out += d;
      // Everything after the exponent is text.
      for (; i < section.size(); ++i) {
        const char t = section[i];
        if (IsQuote(t)) {
          const size_t end = section.find(t, i + 1);
          const size_t stop = end == String::npos ? section.size() : end;
          out.append(section, i + 1, stop - i - 1);
          i = stop;
        } else {
          out += t;
        }
      }
      break;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

String FormatRec(const String& format, const TFloatRec& value, int precision, const TFormatSettings& fs) {
  if (value.Special != TFloatRec::kFinite || format.empty())
    return FloatRecToText(value, ffGeneral, std::min(precision, kDefaultFloatPrecision), 0, fs);
  const std::vector<String> sections = Sections(format);
  auto has = [&](size_t i) { return i < sections.size() && !sections[i].empty(); };

  // Section: negative values use the second when there is one (it brings its
  // own sign), zero the third; otherwise the first, with "-" for negatives.
  size_t index = 0;
  if (value.IsZero()) index = has(2) ? 2 : 0;
  else if (value.Negative && has(1)) index = 1;

  for (int pass = 0; pass < 2; ++pass) {
    const String& section = sections[index];
    const Picture p = Scan(section);
    TFloatRec rec = index == 2 ? TFloatRec() : value;
    int exponent = 0;
    if (p.Scientific) {
      RoundRec(rec, std::clamp(p.IntPlaces + p.FracPlaces, 1, precision), 9999);
      if (!rec.IsZero()) exponent = rec.Exponent - p.IntPlaces;
    } else {
      RoundRec(rec, precision, p.FracPlaces);
    }
    // A value that rounds to zero is shown as zero.
    if (rec.IsZero() && !value.IsZero() && index != 2 && pass == 0) {
      index = has(2) ? 2 : 0;
      if (index != 0 || value.Negative) continue;
    }
    const String text = Render(section, p, rec, exponent, fs);
    return (index == 0 && rec.Negative) ? "-" + text : text;
  }
  return String();   // not reached
}

String FormatFloat(const String& format, Extended value) { return FormatFloat(format, value, FormatSettings()); }
String FormatFloat(const String& format, Extended value, const TFormatSettings& fs) {
  return FormatRec(format, FloatToRec(value, kDefaultFloatPrecision), kDefaultFloatPrecision, fs);
}

String FormatCurr(const String& format, Currency value) { return FormatCurr(format, value, FormatSettings()); }
String FormatCurr(const String& format, Currency value, const TFormatSettings& fs) {
  return FormatRec(format, CurrToRec(value), kCurrencyPrecision, fs);
}

// ---------------------------------------------------------------------------
// Parsing

bool TryStrToFloat(const String& s, Extended& value) { return TryStrToFloat(s, value, FormatSettings()); }

bool TryStrToFloat(const String& s, Extended& value, const TFormatSettings& fs) {
  const String t = Trim(s);
  // Check the syntax and build the C form ("." as the decimal point).
  String c;
  size_t i = 0;
  const size_t n = t.size();
  if (i < n && (t[i] == '+' || t[i] == '-')) c += t[i++];
  bool anyDigit = false, point = false, nonZero = false;
  long magnitude = 0;   // power of ten of the leading digit, roughly
  for (; i < n; ++i) {
    const char ch = t[i];
    if (ch >= '0' && ch <= '9') {
      anyDigit = true;
      if (ch != '0' && !nonZero) nonZero = true;
      if (!nonZero && point) --magnitude;
      if (nonZero && !point) ++magnitude;
      c += ch;
    } else if (ch == fs.DecimalSeparator && !point) {
      point = true;
      c += '.';
    } else {
      break;
    }
  }
  if (!anyDigit) return false;
  if (i < n && (t[i] == 'e' || t[i] == 'E')) {
    c += 'e';
    ++i;
    if (i < n && (t[i] == '+' || t[i] == '-')) c += t[i++];
    const size_t start = i;
    long e = 0;
    bool negativeExp = c.back() == '-';
    for (; i < n && t[i] >= '0' && t[i] <= '9'; ++i) {
      c += t[i];
      if (e < 100000) e = e * 10 + (t[i] - '0');
    }
    if (i == start) return false;
    magnitude += negativeExp ? -e : e;
  }
  if (i != n) return false;
  const char* first = c.data();
  if (*first == '+') ++first;   // from_chars takes no "+"
  double v = 0;
  const auto r = std::from_chars(first, c.data() + c.size(), v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    if (magnitude > 0) return false;   // too large
    v = 0;                             // too small: zero
  } else if (r.ec != std::errc() || r.ptr != c.data() + c.size()) {
    return false;
  }
  value = v;
  return true;
}

Extended StrToFloat(const String& s) { return StrToFloat(s, FormatSettings()); }
Extended StrToFloat(const String& s, const TFormatSettings& fs) {
  Extended v;
  if (!TryStrToFloat(s, v, fs)) throw EConvertError("'" + s + "' is not a valid floating point value");
  return v;
}

Extended StrToFloatDef(const String& s, Extended def) {
  Extended v;
  return TryStrToFloat(s, v) ? v : def;
}

bool TryStrToCurr(const String& s, Currency& value) { return TryStrToCurr(s, value, FormatSettings()); }
bool TryStrToCurr(const String& s, Currency& value, const TFormatSettings& fs) {
  return CurrencyFromDecimalText(Trim(s), fs.DecimalSeparator, value);
}

Currency StrToCurr(const String& s) { return StrToCurr(s, FormatSettings()); }
Currency StrToCurr(const String& s, const TFormatSettings& fs) {
  Currency v;
  if (!TryStrToCurr(s, v, fs)) throw EConvertError("'" + s + "' is not a valid floating point value");
  return v;
}

Currency StrToCurrDef(const String& s, Currency def) {
  Currency v;
  return TryStrToCurr(s, v) ? v : def;
}
