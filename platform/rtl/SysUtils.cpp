// String and integer routines of SysUtils.h. Floating point and currency
// text: SysUtilsFloat.cpp; Format: SysUtilsFormat.cpp; Unicode case
// mapping: SysUtils_icu.cpp.
#include "SysUtils.h"
#include <algorithm>

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

String Copy(const String& s, Integer index, Integer count) {
  const Int64 len = static_cast<Int64>(s.size());
  Int64 start = index < 1 ? 1 : index;
  if (count <= 0 || start > len) return String();
  const Int64 n = std::min<Int64>(count, len - start + 1);
  return s.substr(start - 1, n);
}

Integer Pos(const String& sub, const String& s) { return PosEx(sub, s, 1); }

Integer PosEx(const String& sub, const String& s, Integer offset) {
  if (sub.empty() || offset < 1 || static_cast<size_t>(offset) > s.size()) return 0;
  const size_t p = s.find(sub, offset - 1);
  return p == String::npos ? 0 : static_cast<Integer>(p + 1);
}

void Delete(String& s, Integer index, Integer count) {
  if (index < 1 || count <= 0 || static_cast<size_t>(index) > s.size()) return;
  s.erase(index - 1, count);
}

void Insert(const String& source, String& s, Integer index) {
  const size_t at = index < 1 ? 0 : std::min<size_t>(index - 1, s.size());
  s.insert(at, source);
}

String Trim(const String& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

String TrimLeft(const String& s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  return s.substr(b);
}

String TrimRight(const String& s) {
  size_t e = s.size();
  while (e > 0 && IsBlank(s[e - 1])) --e;
  return s.substr(0, e);
}

String UpperCase(const String& s) {
  String r = s;
  for (char& c : r) c = AsciiUpper(c);
  return r;
}

String LowerCase(const String& s) {
  String r = s;
  for (char& c : r) c = AsciiLower(c);
  return r;
}

int CompareStr(const String& a, const String& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]);
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

int CompareText(const String& a, const String& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = AsciiUpper(a[i]), y = AsciiUpper(b[i]);
    if (x != y) return x - y;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

bool SameText(const String& a, const String& b) { return a.size() == b.size() && CompareText(a, b) == 0; }

String QuotedStr(const String& s) { return AnsiQuotedStr(s, '\''); }

String AnsiQuotedStr(const String& s, char quote) {
  String r;
  r.reserve(s.size() + 2);
  r += quote;
  for (char c : s) {
    r += c;
    if (c == quote) r += quote;
  }
  r += quote;
  return r;
}

String AnsiExtractQuotedStr(const char*& src, char quote) {
  if (!src || *src != quote) return String();
  const char* p = src + 1;
  String r;
  while (*p) {
    if (*p == quote) {
      if (p[1] == quote) {
        r += quote;
        p += 2;
        continue;
      }
      ++p;   // closing quote
      src = p;
      return r;
    }
    r += *p++;
  }
  src = p;   // no closing quote: everything up to the end
  return r;
}

String StringReplace(const String& s, const String& oldPattern, const String& newPattern, TReplaceFlags flags) {
  if (oldPattern.empty()) return s;
  const bool ignoreCase = flags.Contains(rfIgnoreCase);
  const String hay = ignoreCase ? UpperCase(s) : String();
  const String needle = ignoreCase ? UpperCase(oldPattern) : String();
  const String& h = ignoreCase ? hay : s;
  const String& n = ignoreCase ? needle : oldPattern;
  String r;
  size_t from = 0;
  for (;;) {
    const size_t p = h.find(n, from);
    if (p == String::npos) break;
    r.append(s, from, p - from);
    r += newPattern;
    from = p + n.size();
    if (!flags.Contains(rfReplaceAll)) break;
  }
  r.append(s, from, String::npos);
  return r;
}

String StringOfChar(char c, Integer count) { return count > 0 ? String(count, c) : String(); }

// ---------------------------------------------------------------------------

String IntToStr(Int64 value) { return std::to_string(value); }
String UIntToStr(UInt64 value) { return std::to_string(value); }

String IntToHexBits(UInt64 bits, Integer digits) {
  static const char kHex[] = "0123456789ABCDEF";
  String r;
  do {
    r += kHex[bits & 15];
    bits >>= 4;
  } while (bits);
  // Pad to the requested width; the class library's limit of 32 digits keeps
  // a wild argument from asking for a huge string.
  const Integer want = std::min<Integer>(digits, 32);
  while (static_cast<Integer>(r.size()) < want) r += '0';
  std::reverse(r.begin(), r.end());
  return r;
}

namespace {

// Val-style integer parsing: leading blanks, sign, decimal or "$"/"0x"
// hexadecimal. Decimal must fit the signed range [min, max]; hexadecimal may
// fill the unsigned range of the same width (and then wraps to negative).
bool ParseInteger(const String& s, bool is64, Int64& out) {
  const Int64 max = is64 ? INT64_MAX : INT32_MAX;
  const UInt64 hexMax = is64 ? UINT64_MAX : UINT32_MAX;
  size_t i = 0;
  const size_t n = s.size();
  while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  bool hex = false;
  if (i < n && s[i] == '$') {
    hex = true, ++i;
  } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true, i += 2;
  }
  if (i >= n) return false;
  UInt64 v = 0;
  const UInt64 limit = hex ? hexMax : (negative ? static_cast<UInt64>(max) + 1 : static_cast<UInt64>(max));
  for (; i < n; ++i) {
    const char c = s[i];
    unsigned d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    const unsigned base = hex ? 16 : 10;
    if (v > (limit - d) / base) return false;
    v = v * base + d;
  }
  // Two's complement in the target width: "$FFFFFFFF" is -1 as an Integer.
  const UInt64 bits = negative ? 0ull - v : v;
  out = is64 ? static_cast<Int64>(bits) : static_cast<Int64>(static_cast<int32_t>(static_cast<uint32_t>(bits)));
  return true;
}

[[noreturn]] void InvalidInteger(const String& s) {
  throw EConvertError("'" + s + "' is not a valid integer value");
}

}  // namespace

bool TryStrToInt(const String& s, Integer& value) {
  Int64 v;
  if (!ParseInteger(s, false, v)) return false;
  value = static_cast<Integer>(v);
  return true;
}

Integer StrToInt(const String& s) {
  Integer v;
  if (!TryStrToInt(s, v)) InvalidInteger(s);
  return v;
}

Integer StrToIntDef(const String& s, Integer def) {
  Integer v;
  return TryStrToInt(s, v) ? v : def;
}

bool TryStrToInt64(const String& s, Int64& value) {
  return ParseInteger(s, true, value);
}

Int64 StrToInt64(const String& s) {
  Int64 v;
  if (!TryStrToInt64(s, v)) InvalidInteger(s);
  return v;
}

Int64 StrToInt64Def(const String& s, Int64 def) {
  Int64 v;
  return TryStrToInt64(s, v) ? v : def;
}
