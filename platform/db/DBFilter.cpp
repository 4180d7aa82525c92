#include "DBFilter.h"
#include <cctype>
#include <cmath>
#include <cstring>
#include "DBUtil.h"
#include "DateUtils.h"
#include "SysUtils.h"

namespace {

// Filters are typed by users (and built by the grid): a text nested deeper
// than this is refused instead of exhausting the stack.
constexpr int kMaxFilterDepth = 200;

// The filter text for messages: a hostile text can be very long.
String ShownText(const String& text) {
  const size_t limit = 200;
  if (text.size() <= limit) return text;
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;   // whole characters
  return text.substr(0, cut) + "...";
}

[[noreturn]] void FilterError(const String& what, const String& text) {
  throw EDatabaseError("Filter expression incorrectly formed: " + what + ": " + ShownText(text));
}

// One side of a comparison: a field or a literal.
struct Operand {
  enum Kind { kField, kText, kNumber, kDate, kBool, kNull } K = kNull;
  String Name;      // field name or text literal
  double Number = 0;
  bool Bool = false;
  TDBValue Literal;   // the literal's own value, made once by MakeLiteral
  mutable const TDataSet* CachedDs = nullptr;
  mutable TField* CachedField = nullptr;

  void MakeLiteral() {
    switch (K) {
      case kText: Literal = Name; break;
      case kNumber: case kDate: Literal = Number; break;
      case kBool: Literal = Bool; break;
      default: Literal = {}; break;
    }
  }

  TField* Field(const TDataSet& ds) const {
    if (CachedDs != &ds || !CachedField || CachedField->DataSet() != &ds) {
      CachedField = ds.FieldByName(Name);
      CachedDs = &ds;
    }
    return CachedField;
  }
};

// A value under comparison: stored value with its storage kind, or text.
// Field values of data fields are read in place (P), others are copied (V).
struct Value {
  TDBValue V;
  const TDBValue* P = nullptr;
  TStorageKind Kind = TStorageKind::None;
  TFieldType Type = ftUnknown;
  bool IsField = false;
  const TDBValue& Get() const { return P ? *P : V; }
};

void LiteralValue(const Operand& o, Value& v) {
  v.P = &o.Literal;
  switch (o.K) {
    case Operand::kText: v.Kind = TStorageKind::Text; break;
    case Operand::kNumber: v.Kind = TStorageKind::Float; v.Type = ftFloat; break;
    case Operand::kDate: v.Kind = TStorageKind::Float; v.Type = ftDateTime; break;
    case Operand::kBool: v.Kind = TStorageKind::Bool; v.Type = ftBoolean; break;
    default: break;
  }
}

void Resolve(const Operand& o, const TDataSet& ds, const TRecordData* r, Value& v) {
  if (o.K != Operand::kField) {
    LiteralValue(o, v);
    return;
  }
  TField* f = o.Field(ds);
  v.P = ds.RecordDataValue(r, f);
  if (!v.P) v.V = ds.RecordFieldValue(r, f);
  v.Kind = StorageKindOf(f->DataType());
  v.Type = f->DataType();
  v.IsField = true;
}

bool IsDateType(TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp; }

// Brings a literal to the storage kind of the field it is compared with.
TDBValue Coerce(const Operand& src, TField* f, const String& filterText) {
  if (src.K == Operand::kNull) return {};
  TStorageKind k = StorageKindOf(f->DataType());
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
          if (!(std::fabs(src.Number) < 9.2e18)) throw EConvertError(FloatToStr(src.Number) + " is out of range");
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
        {
          Int64 raw;
          if (!CurrencyRawFromDouble(src.Number, raw))
            throw EConvertError(FloatToStr(src.Number) + " is out of the range of a currency");
          return raw;
        }
      case TStorageKind::Bool:
        if (src.K == Operand::kBool) return src.Bool;
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
    throw EDatabaseError("Filter value for field '" + f->FieldName() + "' is not valid: " + e.Message() +
                         ". Filter: " + ShownText(filterText));
  } catch (EMathError& e) {
    throw EDatabaseError("Filter value for field '" + f->FieldName() + "' is not valid: " + e.Message() +
                         ". Filter: " + ShownText(filterText));
  }
}

// A literal compared with a field, converted once for that field.
struct CoercedLiteral {
  const TField* Field = nullptr;
  TDBValue V;
  const TDBValue& For(const Operand& lit, TField* f, const String& filterText) {
    if (f != Field) {
      V = Coerce(lit, f, filterText);
      Field = f;
    }
    return V;
  }
};

enum class CmpOp { Eq, Ne, Lt, Gt, Le, Ge };

class Node : public TDBFilterExpr {};
using NodePtr = std::unique_ptr<Node>;

// a OR b OR c ...: one node however long the chain, so that neither
// evaluating nor freeing it recurses once per term.
class OrNode : public Node {
 public:
  std::vector<NodePtr> Items;
  bool Evaluate(const TDataSet& ds, const TRecordData* r, const Options& o) const override {
    for (auto& n : Items)
      if (n->Evaluate(ds, r, o)) return true;
    return false;
  }
};

class AndNode : public Node {
 public:
  std::vector<NodePtr> Items;
  bool Evaluate(const TDataSet& ds, const TRecordData* r, const Options& o) const override {
    for (auto& n : Items)
      if (!n->Evaluate(ds, r, o)) return false;
    return true;
  }
};

class NotNode : public Node {
 public:
  explicit NotNode(NodePtr a) : A(std::move(a)) {}
  bool Evaluate(const TDataSet& ds, const TRecordData* r, const Options& o) const override {
    return !A->Evaluate(ds, r, o);
  }
  NodePtr A;
};

class CompareNode : public Node {
 public:
  explicit CompareNode(const String* text) : Text(text) {}
  Operand L, R;
  CmpOp Op = CmpOp::Eq;
  const String* Text;   // the whole filter, for messages
  mutable CoercedLiteral Lit;
  // A text literal ending in "*": its prefix, plain and folded.
  bool StarLiteral = false;
  String Prefix, FoldedPrefix;

  void Prepare() {
    const Operand* lit = L.K == Operand::kField ? &R : &L;
    if ((Op == CmpOp::Eq || Op == CmpOp::Ne) && lit->K == Operand::kText && !lit->Name.empty() &&
        lit->Name.back() == '*') {
      StarLiteral = true;
      Prefix = lit->Name.substr(0, lit->Name.size() - 1);
      FoldedPrefix = FoldCase(Prefix);
    }
  }

  bool Evaluate(const TDataSet& ds, const TRecordData* r, const Options& o) const override {
    Value a, b;
    Resolve(L, ds, r, a);
    Resolve(R, ds, r, b);
    if (StarLiteral && o.PartialCompare) {
      // 'Ab*' against a text field: a prefix match (partial compare).
      const Value& fv = a.IsField ? a : b;
      if (fv.IsField && fv.Kind == TStorageKind::Text && !(a.IsField && b.IsField)) {
        const TDBValue& v = fv.Get();
        if (DBValueIsNull(v)) return false;
        const String& text = std::get<String>(v);
        bool m = o.IgnoreCase ? FoldCase(text).compare(0, FoldedPrefix.size(), FoldedPrefix) == 0
                              : text.compare(0, Prefix.size(), Prefix) == 0;
        return Op == CmpOp::Eq ? m : !m;
      }
    }
    const TDBValue* x = &a.Get();
    const TDBValue* y = &b.Get();
    TStorageKind kx = a.Kind, ky = b.Kind;
    if (a.IsField && !b.IsField) {
      y = &Lit.For(R, L.Field(ds), *Text);
      ky = kx;
    } else if (b.IsField && !a.IsField) {
      x = &Lit.For(L, R.Field(ds), *Text);
      kx = ky;
    }
    if (DBValueIsNull(*x) || DBValueIsNull(*y)) return false;
    int c;
    if (kx == ky) {
      if (kx == TStorageKind::Text && std::get<String>(*x) == std::get<String>(*y)) c = 0;
      else c = CompareDBValues(*x, *y, kx, o.IgnoreCase);
    } else {
      // Two fields of different kinds, or two literals: compare as Variants.
      Variant vx = DBValueToVariant(*x, a.Type == ftUnknown ? ftString : a.Type);
      Variant vy = DBValueToVariant(*y, b.Type == ftUnknown ? ftString : b.Type);
      c = vx < vy ? -1 : (vy < vx ? 1 : 0);
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
    Value v;
    Resolve(A, ds, r, v);
    bool isNull = DBValueIsNull(v.Get());
    return Negated ? !isNull : isNull;
  }
};

// The text of a value for LIKE: text fields as they are, others as text.
const String& LikeText(const Value& v, String& buffer) {
  const TDBValue& x = v.Get();
  if (x.index() == 4) return std::get<String>(x);
  buffer = DBValueToText(x, v.Type == ftUnknown ? ftString : v.Type);
  return buffer;
}

class LikeNode : public Node {
 public:
  Operand A, Pattern;
  bool Negated = false;
  // A literal pattern, plain and folded, made once.
  String FoldedPattern;
  void Prepare() {
    if (Pattern.K == Operand::kText) FoldedPattern = FoldCase(Pattern.Name);
  }
  bool Evaluate(const TDataSet& ds, const TRecordData* r, const Options& o) const override {
    Value a, p;
    Resolve(A, ds, r, a);
    if (DBValueIsNull(a.Get()) || Pattern.K == Operand::kNull) return false;
    String textBuffer, patternBuffer;
    const String& text = LikeText(a, textBuffer);
    bool m;
    if (Pattern.K == Operand::kText) {
      m = o.IgnoreCase ? LikeMatch(FoldCase(text), FoldedPattern, false) : LikeMatch(text, Pattern.Name, false);
    } else {
      Resolve(Pattern, ds, r, p);
      if (DBValueIsNull(p.Get())) return false;
      m = LikeMatch(text, LikeText(p, patternBuffer), o.IgnoreCase);
    }
    return Negated ? !m : m;
  }
};

// The parsed filter: owns its text, which the nodes quote in messages.
class FilterRoot : public TDBFilterExpr {
 public:
  explicit FilterRoot(const String& text) : Text(text) {}
  bool Evaluate(const TDataSet& ds, const TRecordData* r, const Options& o) const override {
    return Body->Evaluate(ds, r, o);
  }
  String Text;
  NodePtr Body;
};

class Parser {
 public:
  explicit Parser(const String& t) : T(t) {}

  NodePtr Run() {
    auto e = ParseOr();
    SkipBlanks();
    if (P < T.size()) FilterError("unexpected text at position " + IntToStr(Int64(P + 1)), T);
    return e;
  }

 private:
  const String& T;   // the root's copy, which outlives the nodes
  size_t P = 0;
  int Depth = 0;     // open "(" and NOT around the current position

  // Counts one more level of nesting for the life of the object.
  struct Nesting {
    explicit Nesting(Parser& p) : Owner(p) {
      if (++Owner.Depth > kMaxFilterDepth) FilterError("expression nested too deeply", Owner.T);
    }
    ~Nesting() { --Owner.Depth; }
    Parser& Owner;
  };

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

  NodePtr ParseOr() {
    NodePtr first = ParseAnd();
    if (!Keyword("OR")) return first;
    auto n = std::make_unique<OrNode>();
    n->Items.push_back(std::move(first));
    do n->Items.push_back(ParseAnd()); while (Keyword("OR"));
    return n;
  }
  NodePtr ParseAnd() {
    NodePtr first = ParseNot();
    if (!Keyword("AND")) return first;
    auto n = std::make_unique<AndNode>();
    n->Items.push_back(std::move(first));
    do n->Items.push_back(ParseNot()); while (Keyword("AND"));
    return n;
  }
  NodePtr ParseNot() {
    if (Keyword("NOT")) {
      // NOT NOT ... is one node per NOT: counted like parentheses.
      Nesting level(*this);
      return std::make_unique<NotNode>(ParseNot());
    }
    SkipBlanks();
    if (P < T.size() && T[P] == '(') {
      Nesting level(*this);
      ++P;
      auto e = ParseOr();
      SkipBlanks();
      if (P >= T.size() || T[P] != ')') FilterError("')' expected", T);
      ++P;
      return e;
    }
    return ParseCondition();
  }

  NodePtr ParseCondition() {
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
      n->Prepare();
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
    auto n = std::make_unique<CompareNode>(&T);
    n->L = std::move(left);
    n->Op = op;
    n->R = ParseOperand();
    n->Prepare();
    return n;
  }

  Operand ParseOperand() {
    Operand o = ReadOperand();
    o.MakeLiteral();
    return o;
  }

  Operand ReadOperand() {
    SkipBlanks();
    if (P >= T.size()) FilterError("value expected", T);
    Operand o;
    char c = T[P];
    if (c == '[') {
      // A bracketed field name; a doubled "]]" inside stands for one "]".
      String name;
      ++P;
      for (;;) {
        if (P >= T.size()) FilterError("']' expected", T);
        if (T[P] == ']') {
          if (P + 1 < T.size() && T[P + 1] == ']') { name += ']'; P += 2; continue; }
          ++P;
          break;
        }
        name += T[P++];
      }
      o.K = Operand::kField;
      o.Name = name;
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
  auto root = std::make_unique<FilterRoot>(text);
  Parser p(root->Text);
  root->Body = p.Run();
  return root;
}
