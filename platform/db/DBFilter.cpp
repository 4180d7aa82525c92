#include "DBFilter.h"
#include <cctype>
#include <cmath>
#include <cstring>
#include "DBUtil.h"
#include "DateUtils.h"
#include "SysUtils.h"

namespace {

[[noreturn]] void FilterError(const String& what, const String& text) {
  throw EDatabaseError("Filter expression incorrectly formed: " + what + ": " + text);
}

// One side of a comparison: a field or a literal.
struct Operand {
  enum Kind { kField, kText, kNumber, kDate, kBool, kNull } K = kNull;
  String Name;      // field name or text literal
  double Number = 0;
  bool Bool = false;
  mutable const TDataSet* CachedDs = nullptr;
  mutable TField* CachedField = nullptr;

  TField* Field(const TDataSet& ds) const {
    if (CachedDs != &ds || !CachedField || CachedField->DataSet() != &ds) {
      CachedField = ds.FieldByName(Name);
      CachedDs = &ds;
    }
    return CachedField;
  }
};

// A value under comparison: stored value with its storage kind, or text.
struct Value {
  TDBValue V;
  TStorageKind Kind = TStorageKind::None;
  TFieldType Type = ftUnknown;
  bool IsField = false;
};

Value LiteralValue(const Operand& o) {
  Value v;
  switch (o.K) {
    case Operand::kText: v.V = o.Name; v.Kind = TStorageKind::Text; break;
    case Operand::kNumber: v.V = o.Number; v.Kind = TStorageKind::Float; v.Type = ftFloat; break;
    case Operand::kDate: v.V = o.Number; v.Kind = TStorageKind::Float; v.Type = ftDateTime; break;
    case Operand::kBool: v.V = o.Bool; v.Kind = TStorageKind::Bool; v.Type = ftBoolean; break;
    default: break;
  }
  return v;
}

bool IsDateType(TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp; }

// Brings a literal to the storage kind of the field it is compared with.
TDBValue Coerce(const Value& lit, const Operand& src, TField* f) {
  if (DBValueIsNull(lit.V)) return {};
  TStorageKind k = StorageKindOf(f->DataType());
  if (lit.Kind == k && !(k == TStorageKind::Float && src.K == Operand::kText)) return lit.V;
  try {
    switch (k) {
      case TStorageKind::Text:
        if (src.K == Operand::kNumber) return FloatToStr(src.Number);
        if (src.K == Operand::kBool) return String(src.Bool ? "True" : "False");
        return src.Name;
      case TStorageKind::Int:
        if (src.K == Operand::kText) return StrToInt64(Trim(src.Name));
        if (src.K == Operand::kBool) return Int64(src.Bool ? 1 : 0);
        if (src.K == Operand::kNumber) {
          // 2.5 never equals an integer; keep it as a float comparison.
          return Int64(std::llround(src.Number));
        }
        return {};
      case TStorageKind::Float:
        if (src.K == Operand::kText) {
          String t = Trim(src.Name);
          if (IsDateType(f->DataType())) {
            TDateTime d;
            if (ParseJetDateLiteral(t, d) || TryStrToDateTime(t, d)) return d;
            throw EConvertError("'" + t + "' is not a valid date and time");
          }
          return StrToFloat(t);
        }
        if (src.K == Operand::kBool) return src.Bool ? 1.0 : 0.0;
        return src.Number;
      case TStorageKind::Currency:
        if (src.K == Operand::kText) return StrToCurr(Trim(src.Name)).Raw();
        return Currency(src.Number).Raw();
      case TStorageKind::Bool:
        if (src.K == Operand::kText) {
          String u = UpperCase(Trim(src.Name));
          if (u == "TRUE" || u == "T" || u == "Y" || u == "YES" || u == "1" || u == "-1") return true;
          if (u == "FALSE" || u == "F" || u == "N" || u == "NO" || u == "0") return false;
          throw EConvertError("'" + src.Name + "' is not a valid boolean value");
        }
        return src.Number != 0;
      default:
        return {};
    }
  } catch (EConvertError& e) {
    throw EDatabaseError("Filter value for field '" + f->FieldName() + "' is not valid: " + e.Message());
  }
}

enum class CmpOp { Eq, Ne, Lt, Gt, Le, Ge };

class Node : public TDBFilterExpr {};

class OrNode : public Node {
 public:
  OrNode(std::unique_ptr<TDBFilterExpr> a, std::unique_ptr<TDBFilterExpr> b) : A(std::move(a)), B(std::move(b)) {}
  bool Evaluate(const TDataSet& ds, const TRecordData* r, const Options& ci) const override {
    return A->Evaluate(ds, r, ci) || B->Evaluate(ds, r, ci);
  }
  std::unique_ptr<TDBFilterExpr> A, B;
};

class AndNode : public Node {
 public:
  AndNode(std::unique_ptr<TDBFilterExpr> a, std::unique_ptr<TDBFilterExpr> b) : A(std::move(a)), B(std::move(b)) {}
  bool Evaluate(const TDataSet& ds, const TRecordData* r, const Options& ci) const override {
    return A->Evaluate(ds, r, ci) && B->Evaluate(ds, r, ci);
  }
  std::unique_ptr<TDBFilterExpr> A, B;
};

class NotNode : public Node {
 public:
  explicit NotNode(std::unique_ptr<TDBFilterExpr> a) : A(std::move(a)) {}
  bool Evaluate(const TDataSet& ds, const TRecordData* r, const Options& ci) const override { return !A->Evaluate(ds, r, ci); }
  std::unique_ptr<TDBFilterExpr> A;
};

Value Resolve(const Operand& o, const TDataSet& ds, const TRecordData* r) {
  if (o.K != Operand::kField) return LiteralValue(o);
  TField* f = o.Field(ds);
  Value v;
  v.V = ds.RecordFieldValue(r, f);
  v.Kind = StorageKindOf(f->DataType());
  v.Type = f->DataType();
  v.IsField = true;
  return v;
}

class CompareNode : public Node {
 public:
  Operand L, R;
  CmpOp Op = CmpOp::Eq;
  bool Evaluate(const TDataSet& ds, const TRecordData* r, const Options& o) const override {
    Value a = Resolve(L, ds, r), b = Resolve(R, ds, r);
    if ((Op == CmpOp::Eq || Op == CmpOp::Ne) && o.PartialCompare) {
      // 'Ab*' against a text field: a prefix match (partial compare).
      const Operand* lit = a.IsField ? &R : &L;
      const Value& fv = a.IsField ? a : b;
      if (fv.IsField && lit->K == Operand::kText && fv.Kind == TStorageKind::Text && !lit->Name.empty() &&
          lit->Name.back() == '*') {
        if (DBValueIsNull(fv.V)) return false;
        String text = std::get<String>(fv.V);
        String prefix = lit->Name.substr(0, lit->Name.size() - 1);
        if (o.IgnoreCase) { text = FoldCase(text); prefix = FoldCase(prefix); }
        bool m = text.compare(0, prefix.size(), prefix) == 0;
        return Op == CmpOp::Eq ? m : !m;
      }
    }
    bool ci = o.IgnoreCase;
    if (a.IsField && !b.IsField) { b.V = Coerce(b, R, L.Field(ds)); b.Kind = a.Kind; }
    else if (b.IsField && !a.IsField) { a.V = Coerce(a, L, R.Field(ds)); a.Kind = b.Kind; }
    if (DBValueIsNull(a.V) || DBValueIsNull(b.V)) return false;
    int c;
    if (a.Kind == b.Kind) {
      c = CompareDBValues(a.V, b.V, a.Kind, ci);
    } else {
      // Two fields of different kinds, or two literals: compare as Variants.
      Variant x = DBValueToVariant(a.V, a.Type == ftUnknown ? ftString : a.Type);
      Variant y = DBValueToVariant(b.V, b.Type == ftUnknown ? ftString : b.Type);
      c = x < y ? -1 : (y < x ? 1 : 0);
    }
    switch (Op) {
      case CmpOp::Eq: return c == 0;
      case CmpOp::Ne: return c != 0;
      case CmpOp::Lt: return c < 0;
      case CmpOp::Gt: return c > 0;
      case CmpOp::Le: return c <= 0;
      case CmpOp::Ge: return c >= 0;
    }
    return false;
  }
};

class IsNullNode : public Node {
 public:
  Operand A;
  bool Negated = false;
  bool Evaluate(const TDataSet& ds, const TRecordData* r, const Options&) const override {
    bool isNull = DBValueIsNull(Resolve(A, ds, r).V);
    return Negated ? !isNull : isNull;
  }
};

class LikeNode : public Node {
 public:
  Operand A, Pattern;
  bool Negated = false;
  bool Evaluate(const TDataSet& ds, const TRecordData* r, const Options& ci) const override {
    Value a = Resolve(A, ds, r), p = Resolve(Pattern, ds, r);
    if (DBValueIsNull(a.V) || DBValueIsNull(p.V)) return false;
    String text = DBValueToText(a.V, a.Type == ftUnknown ? ftString : a.Type);
    String pat = DBValueToText(p.V, p.Type == ftUnknown ? ftString : p.Type);
    bool m = LikeMatch(text, pat, ci.IgnoreCase);
    return Negated ? !m : m;
  }
};

class Parser {
 public:
  explicit Parser(const String& t) : T(t) {}

  std::unique_ptr<TDBFilterExpr> Run() {
    auto e = ParseOr();
    SkipBlanks();
    if (P < T.size()) FilterError("unexpected text at position " + IntToStr(Int64(P + 1)), T);
    return e;
  }

 private:
  const String& T;
  size_t P = 0;

  void SkipBlanks() {
    while (P < T.size() && (T[P] == ' ' || T[P] == '\t' || T[P] == '\r' || T[P] == '\n')) ++P;
  }
  static bool IsWordChar(char c) {
    return (unsigned char)c >= 0x80 || std::isalnum((unsigned char)c) || c == '_' || c == '.';
  }
  // Reads a keyword if the next word equals it (case-insensitive).
  bool Keyword(const char* kw) {
    SkipBlanks();
    size_t n = strlen(kw);
    if (P + n > T.size()) return false;
    if (UpperCase(T.substr(P, n)) != kw) return false;
    if (P + n < T.size() && IsWordChar(T[P + n])) return false;
    P += n;
    return true;
  }

  std::unique_ptr<TDBFilterExpr> ParseOr() {
    auto left = ParseAnd();
    while (Keyword("OR")) left = std::make_unique<OrNode>(std::move(left), ParseAnd());
    return left;
  }
  std::unique_ptr<TDBFilterExpr> ParseAnd() {
    auto left = ParseNot();
    while (Keyword("AND")) left = std::make_unique<AndNode>(std::move(left), ParseNot());
    return left;
  }
  std::unique_ptr<TDBFilterExpr> ParseNot() {
    if (Keyword("NOT")) return std::make_unique<NotNode>(ParseNot());
    SkipBlanks();
    if (P < T.size() && T[P] == '(') {
      ++P;
      auto e = ParseOr();
      SkipBlanks();
      if (P >= T.size() || T[P] != ')') FilterError("')' expected", T);
      ++P;
      return e;
    }
    return ParseCondition();
  }

  std::unique_ptr<TDBFilterExpr> ParseCondition() {
    Operand left = ParseOperand();
    SkipBlanks();
    if (Keyword("IS")) {
      auto n = std::make_unique<IsNullNode>();
      n->A = std::move(left);
      n->Negated = Keyword("NOT");
      if (!Keyword("NULL")) FilterError("NULL expected after IS", T);
      return n;
    }
    size_t save = P;
    bool neg = Keyword("NOT");
    if (Keyword("LIKE")) {
      auto n = std::make_unique<LikeNode>();
      n->A = std::move(left);
      n->Pattern = ParseOperand();
      n->Negated = neg;
      return n;
    }
    P = save;
    SkipBlanks();
    CmpOp op;
    if (T.compare(P, 2, "<>") == 0 || T.compare(P, 2, "!=") == 0) { op = CmpOp::Ne; P += 2; }
    else if (T.compare(P, 2, "<=") == 0) { op = CmpOp::Le; P += 2; }
    else if (T.compare(P, 2, ">=") == 0) { op = CmpOp::Ge; P += 2; }
    else if (P < T.size() && T[P] == '=') { op = CmpOp::Eq; ++P; }
    else if (P < T.size() && T[P] == '<') { op = CmpOp::Lt; ++P; }
    else if (P < T.size() && T[P] == '>') { op = CmpOp::Gt; ++P; }
    else { FilterError("comparison operator expected", T); }
    auto n = std::make_unique<CompareNode>();
    n->L = std::move(left);
    n->Op = op;
    n->R = ParseOperand();
    return n;
  }

  Operand ParseOperand() {
    SkipBlanks();
    if (P >= T.size()) FilterError("value expected", T);
    Operand o;
    char c = T[P];
    if (c == '[') {
      size_t e = T.find(']', P + 1);
      if (e == String::npos) FilterError("']' expected", T);
      o.K = Operand::kField;
      o.Name = T.substr(P + 1, e - P - 1);
      P = e + 1;
      return o;
    }
    if (c == '\'' || c == '"') {
      // A quoted text; a doubled quote inside stands for one quote.
      char q = c;
      String s;
      ++P;
      for (;;) {
        if (P >= T.size()) FilterError("closing quote expected", T);
        if (T[P] == q) {
          if (P + 1 < T.size() && T[P + 1] == q) { s += q; P += 2; continue; }
          ++P;
          break;
        }
        s += T[P++];
      }
      o.K = Operand::kText;
      o.Name = s;
      return o;
    }
    if (c == '#') {
      size_t e = T.find('#', P + 1);
      if (e == String::npos) FilterError("'#' expected", T);
      String lit = T.substr(P + 1, e - P - 1);
      TDateTime d;
      if (!ParseJetDateLiteral(lit, d)) FilterError("invalid date #" + lit + "#", T);
      o.K = Operand::kDate;
      o.Number = d;
      P = e + 1;
      return o;
    }
    if (std::isdigit((unsigned char)c) || ((c == '-' || c == '+' || c == '.') && P + 1 < T.size() &&
                                           (std::isdigit((unsigned char)T[P + 1]) || T[P + 1] == '.'))) {
      size_t s = P++;
      while (P < T.size() && (std::isdigit((unsigned char)T[P]) || T[P] == '.' || T[P] == 'E' || T[P] == 'e' ||
                              ((T[P] == '-' || T[P] == '+') && (T[P - 1] == 'E' || T[P - 1] == 'e'))))
        ++P;
      String num = T.substr(s, P - s);
      char* end = nullptr;
      o.Number = std::strtod(num.c_str(), &end);
      if (!end || *end) FilterError("invalid number " + num, T);
      o.K = Operand::kNumber;
      return o;
    }
    // A bare word: a keyword value or a field name.
    size_t s = P;
    while (P < T.size() && IsWordChar(T[P])) ++P;
    if (P == s) FilterError("value expected at position " + IntToStr(Int64(s + 1)), T);
    String w = T.substr(s, P - s);
    String u = UpperCase(w);
    if (u == "NULL") { o.K = Operand::kNull; return o; }
    if (u == "TRUE") { o.K = Operand::kBool; o.Bool = true; return o; }
    if (u == "FALSE") { o.K = Operand::kBool; o.Bool = false; return o; }
    o.K = Operand::kField;
    o.Name = w;
    return o;
  }
};

}  // namespace

std::unique_ptr<TDBFilterExpr> TDBFilterExpr::Parse(const String& text) {
  Parser p(text);
  return p.Run();
}
