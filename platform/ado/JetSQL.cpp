#include "JetSQL.h"
#include <sqlite3.h>
#include <cctype>
#include <cmath>
#include <new>
#include <vector>
#include "ADODB.h"
#include "DBUtil.h"
#include "DateUtils.h"
#include "SysUtils.h"
#include "Utf8.h"

namespace {

struct Token {
  enum Kind { Word, String, Number, Date, Bracket, Symbol, Space, Param } K;
  ::String Text;
};

// Splits the text into tokens; errors quote `shown`.
std::vector<Token> Tokenize(const String& s, const String& shown) {
  std::vector<Token> out;
  size_t i = 0, n = s.size();
  while (i < n) {
    char c = s[i];
    if (std::isspace((unsigned char)c)) {
      size_t e = i;
      while (e < n && std::isspace((unsigned char)s[e])) ++e;
      out.push_back({Token::Space, s.substr(i, e - i)});
      i = e;
    } else if (c == '\'' || c == '"') {
      // A text literal; a doubled quote inside stands for one quote.
      ::String v;
      size_t e = i + 1;
      for (;;) {
        if (e >= n) throw EADOError("Unterminated text literal in SQL: " + shown);
        if (s[e] == c) {
          if (e + 1 < n && s[e + 1] == c) { v += c; e += 2; continue; }
          break;
        }
        v += s[e++];
      }
      out.push_back({Token::String, v});
      i = e + 1;
    } else if (c == '[') {
      size_t e = s.find(']', i + 1);
      if (e == String::npos) throw EADOError("Unterminated [name] in SQL: " + shown);
      out.push_back({Token::Bracket, s.substr(i, e - i + 1)});
      i = e + 1;
    } else if (c == '#') {
      size_t e = s.find('#', i + 1);
      if (e == String::npos) throw EADOError("Unterminated #date# in SQL: " + shown);
      out.push_back({Token::Date, s.substr(i + 1, e - i - 1)});
      i = e + 1;
    } else if (std::isdigit((unsigned char)c) || (c == '.' && i + 1 < n && std::isdigit((unsigned char)s[i + 1]))) {
      size_t e = i;
      while (e < n && (std::isalnum((unsigned char)s[e]) || s[e] == '.')) ++e;
      out.push_back({Token::Number, s.substr(i, e - i)});
      i = e;
    } else if (std::isalpha((unsigned char)c) || c == '_' || (unsigned char)c >= 0x80) {
      size_t e = i;
      while (e < n && (std::isalnum((unsigned char)s[e]) || s[e] == '_' || (unsigned char)s[e] >= 0x80)) ++e;
      out.push_back({Token::Word, s.substr(i, e - i)});
      i = e;
    } else if (c == '?') {
      out.push_back({Token::Param, "?"});
      ++i;
    } else if (c == '-' && i + 1 < n && s[i + 1] == '-') {
      size_t e = s.find('\n', i);
      if (e == String::npos) e = n;
      out.push_back({Token::Space, " "});
      i = e;
    } else {
      // Two-character operators stay together.
      if (i + 1 < n) {
        ::String two = s.substr(i, 2);
        if (two == "<>" || two == "<=" || two == ">=" || two == "!=" || two == "||") {
          out.push_back({Token::Symbol, two});
          i += 2;
          continue;
        }
      }
      out.push_back({Token::Symbol, String(1, c)});
      ++i;
    }
  }
  return out;
}

String QuoteText(const String& v) {
  String out = "'";
  for (char c : v) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

bool IsWord(const Token& t, const char* w) { return t.K == Token::Word && UpperCase(t.Text) == w; }

// Functions whose result is text: "+" next to their call joins texts.
bool IsTextFunction(const String& name) {
  static const char* const names[] = {"CSTR", "LEFT", "RIGHT", "MID", "TRIM", "LTRIM", "RTRIM", "UCASE",
                                      "LCASE", "FORMAT", "CHR", "STR", "SPACE", "STRING", "NZ"};
  String u = UpperCase(name);
  for (const char* n : names)
    if (u == n) return true;
  return false;
}

}  // namespace

String TranslateJetSQL(const String& jet, const String& shown) {
  const String& quoted = shown.empty() ? jet : shown;
  std::vector<Token> t = Tokenize(jet, quoted);
  // Index of the previous/next non-space token (blanks are one token, so
  // these take one or two steps).
  auto prev = [&](size_t i) -> long {
    for (long k = long(i) - 1; k >= 0; --k)
      if (t[size_t(k)].K != Token::Space) return k;
    return -1;
  };
  auto next = [&](size_t i) -> size_t {
    for (size_t k = i + 1; k < t.size(); ++k)
      if (t[k].K != Token::Space) return k;
    return t.size();
  };
  // For every ")" the index of its "(" (-1 when unbalanced), found in one
  // pass: "+" after a call asks for the called name without scanning back.
  std::vector<long> openOf(t.size(), -1);
  {
    std::vector<long> open;
    for (size_t k = 0; k < t.size(); ++k) {
      if (t[k].K != Token::Symbol) continue;
      if (t[k].Text == "(") {
        open.push_back(long(k));
      } else if (t[k].Text == ")" && !open.empty()) {
        openOf[k] = open.back();
        open.pop_back();
      }
    }
  }
  // The function name whose call ends at the ")" at index i.
  auto callNameEndingAt = [&](long i) -> String {
    long open = openOf[size_t(i)];
    if (open < 0) return {};
    long p = prev(size_t(open));
    return p >= 0 && t[size_t(p)].K == Token::Word ? t[size_t(p)].Text : String();
  };
  auto isTextOperand = [&](long i, bool before) -> bool {
    if (i < 0 || size_t(i) >= t.size()) return false;
    const Token& k = t[size_t(i)];
    if (k.K == Token::String) return true;
    if (before && k.K == Token::Symbol && k.Text == ")") return IsTextFunction(callNameEndingAt(i));
    if (!before && k.K == Token::Word) {
      size_t n = next(size_t(i));
      return n < t.size() && t[n].Text == "(" && IsTextFunction(k.Text);
    }
    return false;
  };

  String top;   // SELECT TOP n: the n, moved to a LIMIT at the end
  String out;
  bool afterLike = false;
  for (size_t i = 0; i < t.size(); ++i) {
    Token& k = t[i];
    switch (k.K) {
      case Token::String: {
        String v = k.Text;
        if (afterLike) {
          // Jet wildcards * and ? become % and _.
          for (char& c : v) {
            if (c == '*') c = '%';
            else if (c == '?') c = '_';
          }
        }
        out += QuoteText(v);
        afterLike = false;
        break;
      }
      case Token::Date: {
        TDateTime d;
        if (!ParseJetDateLiteral(k.Text, d)) throw EADOError("Invalid date literal #" + k.Text + "# in SQL: " + quoted);
        out += "'" + DateTimeToISO(d) + "'";
        afterLike = false;
        break;
      }
      case Token::Word: {
        String u = UpperCase(k.Text);
        if (u == "TRUE") out += "1";
        else if (u == "FALSE") out += "0";
        else if (u == "DISTINCTROW") out += "DISTINCT";
        else if ((u == "LEFT" || u == "RIGHT") && next(i) < t.size() && t[next(i)].Text == "(")
          out += "jet_" + LowerCase(k.Text);   // LEFT and RIGHT are join keywords in SQLite
        else if (u == "TOP" && prev(i) >= 0 && IsWord(t[size_t(prev(i))], "SELECT") && top.empty()) {
          size_t n = next(i);
          if (n < t.size() && t[n].K == Token::Number) {
            top = t[n].Text;
            i = n;
            if (i + 1 < t.size() && t[i + 1].K == Token::Space) ++i;   // one blank is enough
            break;
          }
          out += k.Text;
        } else {
          out += k.Text;
        }
        afterLike = u == "LIKE";
        break;
      }
      case Token::Symbol:
        if (k.Text == "&") out += "||";
        else if (k.Text == "+" && (isTextOperand(prev(i), true) || isTextOperand(long(next(i)), false))) out += "||";
        else if (k.Text == "!=") out += "<>";
        else out += k.Text;
        afterLike = false;
        break;
      case Token::Space:
        out += k.Text;
        break;
      default:
        out += k.Text;
        afterLike = false;
        break;
    }
  }
  // Trailing ";" and blanks go.
  while (!out.empty() && (out.back() == ';' || std::isspace((unsigned char)out.back()))) out.pop_back();
  if (!top.empty()) out += " LIMIT " + top;
  return out;
}

// ---------------------------------------------------------------------------
// Jet functions for SQLite.

namespace {

String ArgText(sqlite3_value* v) {
  const unsigned char* p = sqlite3_value_text(v);
  return p ? String(reinterpret_cast<const char*>(p), size_t(sqlite3_value_bytes(v))) : String();
}
bool ArgNull(sqlite3_value* v) { return sqlite3_value_type(v) == SQLITE_NULL; }
void ResultText(sqlite3_context* c, const String& s) {
  sqlite3_result_text(c, s.data(), int(s.size()), SQLITE_TRANSIENT);
}

// InStr([start,] text, find [, compare]): 1-based character position, 0
// when absent, Null when an argument is Null.
void FnInStr(sqlite3_context* c, int argc, sqlite3_value** argv) {
  int base = 0;
  Int64 start = 1;
  if (argc >= 3) {
    if (ArgNull(argv[0])) { sqlite3_result_null(c); return; }
    start = sqlite3_value_int64(argv[0]);
    base = 1;
  }
  if (ArgNull(argv[base]) || ArgNull(argv[base + 1])) { sqlite3_result_null(c); return; }
  bool textCompare = argc == 4 && sqlite3_value_int(argv[3]) == 1;
  String s = ArgText(argv[base]), f = ArgText(argv[base + 1]);
  if (textCompare) { s = AnsiUpperCase(s); f = AnsiUpperCase(f); }
  if (start < 1) start = 1;
  size_t offset = Utf8CharOffset(s, size_t(start - 1));
  if (offset > s.size()) { sqlite3_result_int(c, 0); return; }
  size_t p = s.find(f, offset);
  sqlite3_result_int64(c, p == String::npos ? 0 : Int64(Utf8Length(s.substr(0, p)) + 1));
}

void FnCStr(sqlite3_context* c, int, sqlite3_value** argv) {
  switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL: sqlite3_result_null(c); return;
    case SQLITE_INTEGER: ResultText(c, IntToStr(sqlite3_value_int64(argv[0]))); return;
    case SQLITE_FLOAT: ResultText(c, FloatToStr(sqlite3_value_double(argv[0]))); return;
    default: ResultText(c, ArgText(argv[0])); return;
  }
}

void FnIIf(sqlite3_context* c, int, sqlite3_value** argv) {
  bool cond = !ArgNull(argv[0]) && sqlite3_value_double(argv[0]) != 0;
  sqlite3_result_value(c, argv[cond ? 1 : 2]);
}

void FnLen(sqlite3_context* c, int, sqlite3_value** argv) {
  if (ArgNull(argv[0])) { sqlite3_result_null(c); return; }
  sqlite3_result_int64(c, Int64(Utf8Length(ArgText(argv[0]))));
}

// Characters [from, from + count) of a text, by whole characters.
String Chars(const String& s, Int64 from, Int64 count) {
  size_t len = Utf8Length(s);
  if (from < 0) from = 0;
  if (size_t(from) >= len || count <= 0) return {};
  size_t a = Utf8CharOffset(s, size_t(from));
  size_t b = size_t(from + count) >= len ? s.size() : Utf8CharOffset(s, size_t(from + count));
  return s.substr(a, b - a);
}

void FnMid(sqlite3_context* c, int argc, sqlite3_value** argv) {
  if (ArgNull(argv[0])) { sqlite3_result_null(c); return; }
  String s = ArgText(argv[0]);
  Int64 start = sqlite3_value_int64(argv[1]);
  if (start < 1) { sqlite3_result_error(c, "Invalid procedure call or argument (Mid)", -1); return; }
  Int64 count = argc >= 3 ? sqlite3_value_int64(argv[2]) : INT32_MAX;
  ResultText(c, Chars(s, start - 1, count));
}

void FnLeft(sqlite3_context* c, int, sqlite3_value** argv) {
  if (ArgNull(argv[0])) { sqlite3_result_null(c); return; }
  ResultText(c, Chars(ArgText(argv[0]), 0, sqlite3_value_int64(argv[1])));
}

void FnRight(sqlite3_context* c, int, sqlite3_value** argv) {
  if (ArgNull(argv[0])) { sqlite3_result_null(c); return; }
  String s = ArgText(argv[0]);
  Int64 n = sqlite3_value_int64(argv[1]);
  Int64 len = Int64(Utf8Length(s));
  ResultText(c, Chars(s, std::max<Int64>(0, len - n), n));
}

void FnUCase(sqlite3_context* c, int, sqlite3_value** argv) {
  if (ArgNull(argv[0])) { sqlite3_result_null(c); return; }
  ResultText(c, AnsiUpperCase(ArgText(argv[0])));
}
void FnLCase(sqlite3_context* c, int, sqlite3_value** argv) {
  if (ArgNull(argv[0])) { sqlite3_result_null(c); return; }
  ResultText(c, AnsiLowerCase(ArgText(argv[0])));
}
void FnNow(sqlite3_context* c, int, sqlite3_value**) { ResultText(c, DateTimeToISO(Now())); }
void FnDate(sqlite3_context* c, int, sqlite3_value**) { ResultText(c, DateTimeToISO(Date())); }
void FnNz(sqlite3_context* c, int argc, sqlite3_value** argv) {
  if (!ArgNull(argv[0])) sqlite3_result_value(c, argv[0]);
  else if (argc > 1) sqlite3_result_value(c, argv[1]);
  else sqlite3_result_int(c, 0);
}
// CInt and CLng: the nearest whole number (ties to even), within the range
// of the Jet type; beyond it the conversion overflows, as Jet's does.
template <Int64 Lo, Int64 Hi>
void FnCWhole(sqlite3_context* c, int, sqlite3_value** argv) {
  if (ArgNull(argv[0])) { sqlite3_result_null(c); return; }
  if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
    Int64 i = sqlite3_value_int64(argv[0]);
    if (i < Lo || i > Hi) throw EConvertError("Overflow: " + IntToStr(i) + " is out of range");
    sqlite3_result_int64(c, i);
    return;
  }
  double v = std::nearbyint(sqlite3_value_double(argv[0]));
  if (!(v >= double(Lo) && v <= double(Hi)))
    throw EConvertError("Overflow: " + FloatToStr(sqlite3_value_double(argv[0])) + " is out of range");
  sqlite3_result_int64(c, Int64(v));
}
void FnCDbl(sqlite3_context* c, int, sqlite3_value** argv) {
  if (ArgNull(argv[0])) { sqlite3_result_null(c); return; }
  sqlite3_result_double(c, sqlite3_value_double(argv[0]));
}
void FnCCur(sqlite3_context* c, int, sqlite3_value** argv) {
  if (ArgNull(argv[0])) { sqlite3_result_null(c); return; }
  double v = sqlite3_value_double(argv[0]);
  Currency cur;
  try {
    cur = Currency(v);
  } catch (EMathError&) {
    throw EConvertError("Overflow: " + FloatToStr(v) + " is out of range");
  }
  sqlite3_result_double(c, cur.ToDouble());
}
// Format(date, "yyyy-mm-dd") and Format(number, "0.00"); a fixed picture
// given by the SQL text, never handed to printf.
void FnFormat(sqlite3_context* c, int argc, sqlite3_value** argv) {
  if (ArgNull(argv[0])) { sqlite3_result_null(c); return; }
  String fmt = argc > 1 ? ArgText(argv[1]) : String();
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
    TDateTime d;
    String s = ArgText(argv[0]);
    if (ISOToDateTime(s, d)) {
      ResultText(c, fmt.empty() ? DateTimeToStr(d) : FormatDateTime(fmt, d));
      return;
    }
    ResultText(c, s);
    return;
  }
  double v = sqlite3_value_double(argv[0]);
  ResultText(c, fmt.empty() ? FloatToStr(v) : FormatFloat(fmt, v));
}

using TSqlFunction = void (*)(sqlite3_context*, int, sqlite3_value**);

// SQLite calls the functions from C: an exception must not unwind through
// its frames. The function's error becomes the statement's error, named by
// the function ("clng: Overflow: ..."), and reaches the caller as EADOError.
template <TSqlFunction Fn>
void Guarded(sqlite3_context* c, int argc, sqlite3_value** argv) {
  auto fail = [c](const String& message) {
    String text = String(static_cast<const char*>(sqlite3_user_data(c))) + ": " + message;
    sqlite3_result_error(c, text.data(), int(text.size()));
  };
  try {
    Fn(c, argc, argv);
  } catch (Exception& e) {
    fail(e.Message());
  } catch (std::bad_alloc&) {
    sqlite3_result_error_nomem(c);
  } catch (std::exception& e) {
    fail(e.what());
  } catch (...) {
    fail("unexpected error");
  }
}

template <TSqlFunction Fn>
void Add(sqlite3* db, const char* name, int args, bool deterministic = true) {
  sqlite3_create_function(db, name, args, SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0),
                          const_cast<char*>(name), Guarded<Fn>, nullptr, nullptr);
}

}  // namespace

void RegisterJetFunctions(sqlite3* db) {
  Add<FnInStr>(db, "instr", 2);
  Add<FnInStr>(db, "instr", 3);
  Add<FnInStr>(db, "instr", 4);
  Add<FnCStr>(db, "cstr", 1);
  Add<FnIIf>(db, "iif", 3);
  Add<FnLen>(db, "len", 1);
  Add<FnMid>(db, "mid", 2);
  Add<FnMid>(db, "mid", 3);
  Add<FnLeft>(db, "jet_left", 2);
  Add<FnRight>(db, "jet_right", 2);
  Add<FnUCase>(db, "ucase", 1);
  Add<FnLCase>(db, "lcase", 1);
  Add<FnNow>(db, "now", 0, false);
  Add<FnDate>(db, "date", 0, false);
  Add<FnNz>(db, "nz", 1);
  Add<FnNz>(db, "nz", 2);
  Add<FnCWhole<-32768, 32767>>(db, "cint", 1);
  Add<FnCWhole<INT32_MIN, INT32_MAX>>(db, "clng", 1);
  Add<FnCDbl>(db, "cdbl", 1);
  Add<FnCCur>(db, "ccur", 1);
  Add<FnFormat>(db, "format", 1);
  Add<FnFormat>(db, "format", 2);
}
