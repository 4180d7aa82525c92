#include "DBUtil.h"
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include "Collation.h"
#include "Currency.h"
#include "DateUtils.h"
#include "SysUtils.h"

TStorageKind StorageKindOf(TFieldType t) {
  switch (t) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint:
      return TStorageKind::Int;
    case ftFloat: case ftCurrency: case ftDate: case ftTime: case ftDateTime: case ftTimeStamp:
      return TStorageKind::Float;
    case ftBCD: case ftFMTBcd:
      return TStorageKind::Currency;
    case ftBoolean:
      return TStorageKind::Bool;
    case ftUnknown: case ftCursor: case ftADT: case ftArray: case ftReference: case ftDataSet:
    case ftInterface: case ftIDispatch:
      return TStorageKind::None;
    default:
      return TStorageKind::Text;
  }
}

bool IsBlobType(TFieldType t) {
  switch (t) {
    case ftBlob: case ftMemo: case ftGraphic: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle:
    case ftTypedBinary: case ftOraBlob: case ftOraClob: case ftWideMemo:
      return true;
    default:
      return false;
  }
}

String FieldTypeName(TFieldType t) {
  static const char* const names[] = {
      "Unknown", "String", "SmallInt", "Integer", "Word", "Boolean", "Float", "Currency", "BCD",
      "Date", "Time", "DateTime", "Bytes", "VarBytes", "AutoInc", "Blob", "Memo", "Graphic",
      "FmtMemo", "ParadoxOle", "DBaseOle", "TypedBinary", "Cursor", "FixedChar", "WideString",
      "Largeint", "ADT", "Array", "Reference", "DataSet", "OraBlob", "OraClob", "Variant",
      "Interface", "IDispatch", "Guid", "TimeStamp", "FMTBcd", "FixedWideChar", "WideMemo",
      "OraTimeStamp", "OraInterval"};
  size_t i = size_t(t);
  return i < sizeof names / sizeof names[0] ? names[i] : "Unknown";
}

String FieldTypeDisplayName(TFieldType t) { return FieldTypeName(t); }

Variant DBValueToVariant(const TDBValue& v, TFieldType type) {
  switch (v.index()) {
    case 0:
      return Variant::Null();
    case 1: {
      Int64 i = std::get<Int64>(v);
      if (StorageKindOf(type) == TStorageKind::Currency) return Variant::FromCurrencyRaw(i);
      if (type == ftLargeint || i < INT32_MIN || i > INT32_MAX) return Variant(static_cast<long long>(i));
      if (type == ftSmallint) return Variant(static_cast<int16_t>(i));
      if (type == ftWord) return Variant(static_cast<int32_t>(i));
      return Variant(static_cast<int32_t>(i));
    }
    case 2: {
      double d = std::get<double>(v);
      if (type == ftDate || type == ftTime || type == ftDateTime || type == ftTimeStamp)
        return Variant::FromDate(d);
      return Variant(d);
    }
    case 3:
      return Variant(std::get<bool>(v));
    default:
      return Variant(std::get<String>(v));
  }
}

TDBValue VariantToDBValue(const Variant& v, TStorageKind kind) {
  if (v.IsNull() || v.IsEmpty()) return {};
  switch (kind) {
    case TStorageKind::Int:
      return v.AsInt64();
    case TStorageKind::Float:
      if (v.Kind() == varString || v.Kind() == varOleStr) {
        // Texts convert by their own rules: a date text to a date.
        return v.AsDouble();
      }
      return v.AsDouble();
    case TStorageKind::Currency:
      return v.AsCurrencyRaw();
    case TStorageKind::Bool:
      return v.AsBoolean();
    case TStorageKind::Text:
      return VarToStr(v);
    default:
      return {};
  }
}

bool VarIsNullOrEmpty(const Variant& v) { return v.IsNull() || v.IsEmpty(); }

Integer VarElementCount(const Variant& v) {
  if (!v.IsArray()) return 1;
  return v.HighBound(1) - v.LowBound(1) + 1;
}

Variant VarElement(const Variant& v, Integer i) {
  if (!v.IsArray()) return v;
  Integer lo = v.LowBound(1);
  if (lo + i > v.HighBound(1)) return Variant::Null();
  return v.GetElement(lo + i);
}

Variant VarArrayFromList(const std::vector<Variant>& items) { return VarArrayOf(items); }

bool CurrencyRawFromDouble(double v, Int64& raw) {
  // v * 10000 differs from the decimal form times 10000 by about one unit
  // in its last place: only a product that close to a half can round
  // differently, and those take the exact conversion.
  double x = v * 10000.0;
  double ax = std::fabs(x);
  if (ax < 1e14) {
    double r = std::nearbyint(x);
    double frac = ax - std::trunc(ax);
    if (std::fabs(frac - 0.5) > 1e-9 + ax * 1e-15) {
      raw = Int64(r);
      return true;
    }
  }
  if (!std::isfinite(v)) return false;
  try {
    raw = Currency(v).Raw();
    return true;
  } catch (EMathError&) {
    return false;
  }
}

std::vector<String> SplitFieldNames(const String& names) {
  std::vector<String> out;
  size_t start = 0;
  while (start <= names.size()) {
    size_t e = names.find(';', start);
    if (e == String::npos) e = names.size();
    String n = Trim(names.substr(start, e - start));
    if (!n.empty()) out.push_back(n);
    start = e + 1;
  }
  return out;
}

int CompareDBValues(const TDBValue& a, const TDBValue& b, TStorageKind kind, bool ignoreCase) {
  bool an = DBValueIsNull(a), bn = DBValueIsNull(b);
  if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
  switch (kind) {
    case TStorageKind::Int:
    case TStorageKind::Currency: {
      Int64 x = std::get<Int64>(a), y = std::get<Int64>(b);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    case TStorageKind::Float: {
      double x = std::get<double>(a), y = std::get<double>(b);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    case TStorageKind::Bool: {
      // False before True, as the class library orders Booleans (True is -1
      // numerically, but sorts by its ordinal).
      bool x = std::get<bool>(a), y = std::get<bool>(b);
      return x == y ? 0 : (x ? 1 : -1);
    }
    case TStorageKind::Text: {
      const String& x = std::get<String>(a);
      const String& y = std::get<String>(b);
      return ignoreCase ? AnsiCompareText(x, y) : AnsiCompareStr(x, y);
    }
    default:
      return 0;
  }
}

String DBValueToText(const TDBValue& v, TFieldType type) {
  if (DBValueIsNull(v)) return {};
  return VarToStr(DBValueToVariant(v, type));
}

String FoldCase(const String& s) {
  // ASCII text (most keys and codes) folds the same without the Unicode
  // case tables.
  String out = s;
  for (char& c : out) {
    if (static_cast<unsigned char>(c) >= 0x80) return AnsiUpperCase(s);
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  }
  return out;
}

namespace {
// Length in bytes of the UTF-8 character at s[i] (a stray byte is one).
size_t CharLength(const String& s, size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
  return std::min(len, s.size() - i);
}
}  // namespace

bool LikeMatch(const String& text, const String& pattern, bool ignoreCase) {
  if (ignoreCase) return LikeMatch(FoldCase(text), FoldCase(pattern), false);
  const String& t = text;
  const String& p = pattern;
  // Iterative wildcard matching over whole characters, back-tracking to the
  // last star; a wildcard in the pattern is always a wildcard.
  const size_t none = String::npos;
  size_t ti = 0, pi = 0, star = none, mark = 0;
  while (ti < t.size()) {
    char pc = pi < p.size() ? p[pi] : '\0';
    if (pi < p.size() && (pc == '*' || pc == '%')) {
      star = ++pi;
      mark = ti;
      continue;
    }
    size_t tl = CharLength(t, ti);
    if (pi < p.size() && (pc == '?' || pc == '_')) {
      ti += tl;
      ++pi;
      continue;
    }
    if (pi < p.size()) {
      size_t pl = CharLength(p, pi);
      if (pl == tl && t.compare(ti, tl, p, pi, pl) == 0) {
        ti += tl;
        pi += pl;
        continue;
      }
    }
    if (star == none) return false;
    pi = star;
    mark += CharLength(t, mark);
    ti = mark;
  }
  while (pi < p.size() && (p[pi] == '*' || p[pi] == '%')) ++pi;
  return pi == p.size();
}

bool ParseJetDateLiteral(const String& text, TDateTime& value) {
  String s = Trim(text);
  size_t p = 0;
  auto number = [&](int& out, int& digits) {
    digits = 0;
    out = 0;
    while (p < s.size() && std::isdigit((unsigned char)s[p]) && digits < 5) {
      out = out * 10 + (s[p] - '0');
      ++p;
      ++digits;
    }
    return digits > 0;
  };
  auto skipBlanks = [&] { while (p < s.size() && s[p] == ' ') ++p; };
  TDateTime date = 0, time = 0;
  bool haveDate = false;
  int a, b, c, da, db, dc;
  size_t save = p;
  if (number(a, da) && p < s.size() && (s[p] == '-' || s[p] == '/')) {
    char sep = s[p++];
    if (!number(b, db) || p >= s.size() || s[p] != sep) return false;
    ++p;
    if (!number(c, dc)) return false;
    int y, m, d;
    if (da == 4) { y = a; m = b; d = c; }
    else {
      m = a; d = b; y = c;
      if (dc <= 2) y += (y < 50 ? 2000 : 1900);
    }
    if (!TryEncodeDate(Word(y), Word(m), Word(d), date)) return false;
    haveDate = true;
    skipBlanks();
  } else {
    p = save;
  }
  if (p < s.size()) {
    int h, n, sec = 0, dh, dn, ds;
    if (!number(h, dh) || p >= s.size() || s[p] != ':') return false;
    ++p;
    if (!number(n, dn)) return false;
    if (p < s.size() && s[p] == ':') {
      ++p;
      if (!number(sec, ds)) return false;
    }
    skipBlanks();
    String rest = UpperCase(s.substr(p));
    if (rest == "PM" && h < 12) h += 12;
    else if (rest == "AM" && h == 12) h = 0;
    else if (!rest.empty() && rest != "AM" && rest != "PM") return false;
    if (!TryEncodeTime(Word(h), Word(n), Word(sec), 0, time)) return false;
  } else if (!haveDate) {
    return false;
  }
  value = date + time;
  return true;
}
