// Expression trees: operand and operator nodes, building by priority,
// typing and evaluation.
#include "fs_iexpression.h"

#include <new>
#include <typeinfo>

TOVANI_IMPLEMENT_CLASS(TfsExpression, TfsCustomExpression)

// Results are built in place in a caller's Tmp, which is Empty on entry:
// an Empty Variant owns nothing, so constructing over it loses nothing and
// saves the assignment and the temporary's destruction.
#define FS_PUT(Tmp, Value) (::new (&(Tmp)) Variant(Value))

namespace {

enum TOpCode {
  opNone, opGreat, opLess, opLessEq, opGreatEq, opNonEq, opEq, opPlus, opStrCat, opMinus, opOr, opXor,
  opMul, opDivFloat, opDivInt, opMod, opAnd, opShl, opShr, opLeftBracket, opRightBracket, opNot,
  opUnMinus, opIn, opIs
};

int PriorityOf(TOpCode op) {
  switch (op) {
    case opNone: return 7;
    case opLeftBracket: return 6;
    case opRightBracket: return 5;
    case opGreat: case opLess: case opLessEq: case opGreatEq: case opNonEq: case opEq: case opIn: case opIs:
      return 4;
    case opPlus: case opStrCat: case opMinus: case opOr: case opXor: return 3;
    case opMul: case opDivFloat: case opDivInt: case opMod: case opAnd: case opShl: case opShr: return 2;
    case opNot: case opUnMinus: return 1;
  }
  return 7;
}

bool IsRelational(TOpCode op) {
  return op == opGreat || op == opLess || op == opLessEq || op == opGreatEq || op == opNonEq || op == opEq;
}

TOpCode OpCodeOf(const String& text) {
  String t = fsUpperName(text);
  static const struct { const char* Text; TOpCode Code; } table[] = {
      {" ", opNone}, {">", opGreat}, {"<", opLess}, {"<=", opLessEq}, {">=", opGreatEq},
      {"<>", opNonEq}, {"=", opEq}, {"+", opPlus}, {"STRCAT", opStrCat}, {"-", opMinus},
      {"OR", opOr}, {"XOR", opXor}, {"*", opMul}, {"/", opDivFloat}, {"DIV", opDivInt},
      {"MOD", opMod}, {"AND", opAnd}, {"SHL", opShl}, {"SHR", opShr}, {"(", opLeftBracket},
      {")", opRightBracket}, {"NOT", opNot}, {"UNMINUS", opUnMinus}, {"IN", opIn}, {"IS", opIs}};
  for (const auto& e : table)
    if (t == e.Text) return e.Code;
  throw EfsScriptError("Unknown operator '" + fsMessageText(text) + "'");
}

bool FitsInt32(const Variant& v) {
  switch (v.Kind()) {
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varBoolean:
      return true;
    default: return false;
  }
}

Variant Shift(const Variant& a, const Variant& b, bool left) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  Int64 count = b.AsInt64();
  if (FitsInt32(a) && FitsInt32(b)) {
    uint32_t v = uint32_t(a.AsInteger());
    unsigned n = unsigned(count) & 31;
    return Variant(Integer(left ? v << n : v >> n));
  }
  uint64_t v = uint64_t(a.AsInt64());
  unsigned n = unsigned(count) & 63;
  return Variant(Int64(left ? v << n : v >> n));
}

}  // namespace

// ---------------------------------------------------------------------------
// Nodes

class TfsExpressionNode : public TfsCustomExpression {
 public:
  TfsExpressionNode() : TfsCustomExpression(String(), fvtVariant, String()) {}
  ~TfsExpressionNode() override {
    delete FLeft;
    delete FRight;
  }
  virtual int Priority() const = 0;
  // The node's value: a reference to a value that stays put while the
  // caller uses it (a constant, a variable's stored value), or Tmp holding
  // a computed one. Tmp is Empty on entry.
  const Variant& Eval(Variant& Tmp) override = 0;
  bool IsPure() const override { return Pure; }
  Variant ReadValue() override {
    Variant t;
    const Variant& v = Eval(t);
    return &v == &t ? std::move(t) : Variant(v);
  }
  void AddNode(TfsExpressionNode* Node) {
    if (!FLeft) FLeft = Node;
    else FRight = Node;
    Node->FParentNode = this;
  }
  void ReplaceChild(TfsExpressionNode* Old, TfsExpressionNode* New) {
    if (FLeft == Old) FLeft = New;
    else if (FRight == Old) FRight = New;
    if (New) New->FParentNode = this;
  }
  TfsExpressionNode* FLeft = nullptr;
  TfsExpressionNode* FRight = nullptr;
  TfsExpressionNode* FParentNode = nullptr;
  String Pos;
  // Evaluating the node calls no routine, so it changes no value another
  // operand has already given (set when the tree is typed).
  bool Pure = false;
  // Where an operator can take the value without calling Eval: a
  // constant's value, or the variable a designator names (read through
  // ReadRef, as Eval would).
  const Variant* FConstant = nullptr;
  TfsCustomVariable* FVariable = nullptr;
};

namespace {

class TfsOperandNode : public TfsExpressionNode {
 public:
  explicit TfsOperandNode(const Variant& Value) {
    FValue = Value;
    FConstant = &FValue;
    Pure = true;
    switch (Value.Kind()) {
      case varBoolean: Typ = fvtBool; break;
      case varSingle: case varDouble: case varCurrency: Typ = fvtFloat; break;
      case varString: case varOleStr: Typ = fvtString; break;
      default: Typ = fvtInt;
    }
  }
  int Priority() const override { return 0; }
  const Variant& Eval(Variant&) override { return FValue; }
};

class TfsDesignatorNode : public TfsOperandNode {
 public:
  explicit TfsDesignatorNode(TfsDesignator* D) : TfsOperandNode(Variant()), FDesignator(D) {
    Typ = D->Typ;
    TypeName = D->TypeName;
    // A variable, or a routine's parameter, is read in place.
    TfsCustomVariable* param = D->PlainParameter();
    const bool variable = D->Is<TfsVariableDesignator>() || param;
    FSource = param ? param : variable ? D->RefItem : D;
    FConstant = nullptr;
    if (variable) FVariable = FSource;
    // A chain of the plain designator class is read by its chain walk.
    FChain = !variable && typeid(*D) == typeid(TfsDesignator);
    // Reading a variable runs no script code (a value handler only answers
    // the read).
    Pure = variable;
  }
  ~TfsDesignatorNode() override { delete FDesignator; }
  const Variant& Eval(Variant& Tmp) override {
    if (FChain) {
      // TfsDesignator::ReadValue, without its virtual call.
      FS_PUT(Tmp, FDesignator->ReadChain());
      return Tmp;
    }
    if (FSource == FDesignator) {
      FS_PUT(Tmp, FDesignator->ReadValue());
      return Tmp;
    }
    return FSource->ReadRef(Tmp);
  }
  TfsDesignator* FDesignator;
  TfsCustomVariable* FSource;
  bool FChain = false;
};

class TfsSetNode : public TfsOperandNode {
 public:
  explicit TfsSetNode(TfsSetExpression* S) : TfsOperandNode(Variant()), FSet(S) {
    FConstant = nullptr;
    Typ = fvtVariant;
    Pure = false;
  }
  ~TfsSetNode() override { delete FSet; }
  const Variant& Eval(Variant& Tmp) override {
    Tmp = FSet->ReadValue();
    return Tmp;
  }
  TfsSetExpression* FSet;
};

class TfsOperatorNode : public TfsExpressionNode {
 public:
  explicit TfsOperatorNode(TOpCode Op) : FOp(Op) {}
  int Priority() const override { return PriorityOf(FOp); }
  const Variant& Eval(Variant& Tmp) override;
  bool Test() override;
  TOpCode FOp;
  bool OptimizeBool = false;

 private:
  // A missing operand (only in a damaged intermediate program) reads as Empty.
  static const Variant& Operand(TfsExpressionNode* n, Variant& Tmp) {
    if (!n) return Tmp;
    if (n->FConstant) return *n->FConstant;
    if (n->FVariable) return n->FVariable->ReadRef(Tmp);
    return n->Eval(Tmp);
  }
  // The operation on two Integers without the general Variant rules
  // (which give the same result); false where those rules must decide.
  bool IntegerOp(Integer x, Integer y, Variant& Out) const;
  const Variant& Binary(Variant& Tmp);
};


Variant InArray(const Variant& value, const Variant& arr) {
  if (!arr.IsArray()) return Variant(value == arr);
  Integer lo = arr.LowBound(), h = arr.HighBound();
  for (Integer i = lo; i <= h; ++i) {
    const Variant& e = arr.GetElement(i);
    if (i < h - 1 && arr.GetElement(i + 1).IsNull()) {
      if (value >= e && value <= arr.GetElement(i + 2)) return Variant(true);
      i += 2;
      continue;
    }
    if (value == e) return Variant(true);
  }
  return Variant(false);
}

// Keeps a value another operand's evaluation could change: a reference
// that is not the caller's own Tmp becomes a copy in Tmp.
const Variant& Keep(const Variant& V, Variant& Tmp) {
  if (&V == &Tmp) return Tmp;
  Tmp = V;
  return Tmp;
}

bool TfsOperatorNode::IntegerOp(Integer x, Integer y, Variant& Out) const {
  Int64 r;
  switch (FOp) {
    case opPlus: case opStrCat: r = Int64(x) + y; break;
    case opMinus: r = Int64(x) - y; break;
    case opMul: r = Int64(x) * y; break;
    case opDivInt: case opMod:
      if (y == 0) return false;
      r = FOp == opDivInt ? Int64(x) / y : Int64(x) % y;
      break;
    case opAnd: r = x & y; break;
    case opOr: r = x | y; break;
    case opXor: r = x ^ y; break;
    case opDivFloat:
      if (y == 0) return false;
      FS_PUT(Out, double(x) / double(y));
      return true;
    case opGreat: FS_PUT(Out, x > y); return true;
    case opLess: FS_PUT(Out, x < y); return true;
    case opLessEq: FS_PUT(Out, x <= y); return true;
    case opGreatEq: FS_PUT(Out, x >= y); return true;
    case opNonEq: FS_PUT(Out, x != y); return true;
    case opEq: FS_PUT(Out, x == y); return true;
    default: return false;
  }
  if (r >= INT32_MIN && r <= INT32_MAX) FS_PUT(Out, Integer(r));
  else FS_PUT(Out, r);
  return true;
}

const Variant& TfsOperatorNode::Eval(Variant& Tmp) {
  fsCheckStack();
  switch (FOp) {
    case opNone: return Operand(FLeft, Tmp);
    case opNot: {
      Variant t;
      Tmp = !Operand(FLeft, t);
      return Tmp;
    }
    case opUnMinus: {
      Variant t;
      const Variant& a = Operand(FLeft, t);
      if (a.VType() == varInteger && a.AsInteger() != INT32_MIN) FS_PUT(Tmp, Integer(-a.AsInteger()));
      else Tmp = -a;
      return Tmp;
    }
    case opOr:
    case opAnd:
      if (OptimizeBool) {
        const Variant& l = Operand(FLeft, Tmp);
        if ((FOp == opOr) == l.AsBoolean()) return l;
        if (&l == &Tmp) Tmp = Variant();
        return Operand(FRight, Tmp);
      }
      break;
    case opIn: {
      Variant lt;
      const Variant& l = Keep(Operand(FLeft, lt), lt);
      if (auto* set = dynamic_cast<TfsSetNode*>(FRight)) Tmp = Variant(set->FSet->Contains(l));
      else {
        Variant rt;
        Tmp = InArray(l, Operand(FRight, rt));
      }
      return Tmp;
    }
    case opIs: {
      Variant lt;
      TObject* obj = fsVariantToObject(Operand(FLeft, lt));
      auto* d = dynamic_cast<TfsDesignatorNode*>(FRight);
      if (!obj || !d || d->FDesignator->Count() == 0) {
        Tmp = Variant(false);
        return Tmp;
      }
      auto* cls = dynamic_cast<TfsClassVariable*>(d->FDesignator->Items(0)->Ref);
      Tmp = Variant(cls && cls->ClassRef && obj->InheritsFrom(cls->ClassRef));
      return Tmp;
    }
    default: break;
  }
  return Binary(Tmp);
}

bool TfsOperatorNode::Test() {
  if (!IsRelational(FOp)) return TfsExpressionNode::Test();
  fsCheckStack();
  Variant lt, rt;
  const Variant* lp = &Operand(FLeft, lt);
  if (FRight && !FRight->Pure) lp = &Keep(*lp, lt);
  const Variant& l = *lp;
  const Variant& r = Operand(FRight, rt);
  if (l.VType() == varInteger && r.VType() == varInteger) {
    const Integer x = l.AsInteger(), y = r.AsInteger();
    switch (FOp) {
      case opGreat: return x > y;
      case opLess: return x < y;
      case opLessEq: return x <= y;
      case opGreatEq: return x >= y;
      case opNonEq: return x != y;
      default: return x == y;
    }
  }
  switch (FOp) {
    case opGreat: return l > r;
    case opLess: return l < r;
    case opLessEq: return l <= r;
    case opGreatEq: return l >= r;
    case opNonEq: return l != r;
    default: return l == r;
  }
}

const Variant& TfsOperatorNode::Binary(Variant& Tmp) {
  Variant lt, rt;
  const Variant* lp = &Operand(FLeft, lt);
  // The right operand is evaluated after the left one's value was taken.
  if (FRight && !FRight->Pure) lp = &Keep(*lp, lt);
  const Variant& l = *lp;
  const Variant& r = Operand(FRight, rt);
  if (l.VType() == varInteger && r.VType() == varInteger && IntegerOp(l.AsInteger(), r.AsInteger(), Tmp)) return Tmp;
  switch (FOp) {
    case opGreat: FS_PUT(Tmp, l > r); break;
    case opLess: FS_PUT(Tmp, l < r); break;
    case opLessEq: FS_PUT(Tmp, l <= r); break;
    case opGreatEq: FS_PUT(Tmp, l >= r); break;
    case opNonEq: FS_PUT(Tmp, l != r); break;
    case opEq: FS_PUT(Tmp, l == r); break;
    case opPlus: Tmp = fsAdd(l, r); break;
    case opStrCat: Tmp = fsStrCat(l, r); break;
    case opMinus: Tmp = l - r; break;
    case opOr: Tmp = l | r; break;
    case opXor: Tmp = l ^ r; break;
    case opMul: Tmp = l * r; break;
    case opDivFloat: Tmp = l / r; break;
    case opDivInt: Tmp = VarIntDiv(l, r); break;
    case opMod: Tmp = VarMod(l, r); break;
    case opAnd: Tmp = l & r; break;
    case opShl: Tmp = Shift(l, r, true); break;
    case opShr: Tmp = Shift(l, r, false); break;
    default: Tmp = Variant(); break;
  }
  return Tmp;
}

TfsOperatorNode* AsOperator(TfsExpressionNode* n) { return dynamic_cast<TfsOperatorNode*>(n); }
bool IsBracket(TfsExpressionNode* n) {
  auto* op = AsOperator(n);
  return op && op->FOp == opLeftBracket;
}

bool OperatorSuits(TOpCode op, TfsVarType l) {
  switch (l) {
    case fvtBool:
      return op == opEq || op == opNonEq || op == opOr || op == opXor || op == opAnd || op == opNot;
    case fvtChar:
    case fvtString:
      return IsRelational(op) || op == opPlus || op == opStrCat || op == opIn;
    case fvtClass:
    case fvtArray:
      return op == opEq || op == opNonEq;
    default: return true;
  }
}

// Types the subtree; records the first unfit operator's position in errPos.
void TypeNode(TfsExpressionNode* node, TfsScript* prog, String& errPos) {
  auto* op = AsOperator(node);
  if (!op) return;
  TfsVarType l = fvtVariant, r = fvtVariant;
  String lName, rName;
  if (op->FLeft) {
    TypeNode(op->FLeft, prog, errPos);
    l = op->FLeft->Typ;
    lName = op->FLeft->TypeName;
  }
  if (op->FRight) {
    TypeNode(op->FRight, prog, errPos);
    r = op->FRight->Typ;
    rName = op->FRight->TypeName;
  }
  op->Pure = (!op->FLeft || op->FLeft->Pure) && (!op->FRight || op->FRight->Pure);
  if (l == fvtBool && r == fvtBool) op->OptimizeBool = true;
  bool ok = (op->FOp == opIs && l == fvtClass && r == fvtClass) ||
            (KindsCompatible(l, lName, r, rName, prog) && OperatorSuits(op->FOp, l));
  if (!ok) {
    if (errPos.empty()) errPos = op->Pos.empty() ? String("0:0") : op->Pos;
    return;
  }
  op->Typ = l;
  op->TypeName = lName;
  if ((l == fvtInt && r == fvtFloat) || (l == fvtFloat && r == fvtInt)) op->Typ = fvtFloat;
  if (op->FOp == opDivFloat && l == fvtInt && r == fvtInt) op->Typ = fvtFloat;
  if (IsRelational(op->FOp) || op->FOp == opIn || op->FOp == opIs) {
    op->Typ = fvtBool;
    op->TypeName.clear();
  }
}

TfsVariableDesignator* VarDesignatorOf(TfsExpressionNode* n) {
  auto* d = dynamic_cast<TfsDesignatorNode*>(n);
  return d ? dynamic_cast<TfsVariableDesignator*>(d->FDesignator) : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// TfsExpression

TfsExpression::TfsExpression(TfsScript* AProgram)
    : TfsCustomExpression(String(), fvtVariant, String()), FProgram(AProgram) {
  FRoot = FCurrent = new TfsOperatorNode(opNone);
  FEvaluator = FRoot;
}

TfsExpression::~TfsExpression() { delete FRoot; }

Variant TfsExpression::ReadValue() { return FRoot->ReadValue(); }
const Variant& TfsExpression::Eval(Variant& Tmp) { return FRoot->Eval(Tmp); }
bool TfsExpression::Test() { return FRoot->Test(); }
bool TfsExpression::IsPure() const { return FRoot->Pure; }

void TfsExpression::WriteValue(const Variant& Value) {
  if (IsReadOnly) return;
  if (auto* d = dynamic_cast<TfsDesignatorNode*>(FRoot)) d->FDesignator->WriteValue(Value);
}

namespace {
// Trees are evaluated recursively: their size is bounded so that evaluation
// cannot exhaust the stack.
constexpr Integer MaxExpressionNodes = 2000;
}  // namespace

void TfsExpression::AddOperand(TfsExpressionNode* Node) {
  if (++FNodeCount > MaxExpressionNodes) {
    delete Node;
    throw EfsScriptError("Expression too complex");
  }
  Node->Pos = CurSourcePos;
  FCurrent->AddNode(Node);
  FCurrent = Node;
}

void TfsExpression::AddConst(const Variant& Value) { AddOperand(new TfsOperandNode(Value)); }
void TfsExpression::AddDesignator(TfsDesignator* Designator) { AddOperand(new TfsDesignatorNode(Designator)); }
void TfsExpression::AddSet(TfsSetExpression* Set) { AddOperand(new TfsSetNode(Set)); }

void TfsExpression::AddOperator(const String& Op) {
  if (Op == "(" || Op == "unminus" || Op == "not") {
    AddOperand(new TfsOperatorNode(OpCodeOf(Op)));
    return;
  }
  TOpCode code = OpCodeOf(Op);
  const int p = PriorityOf(code);
  if (code == opRightBracket) {
    TfsExpressionNode* node = FCurrent;
    while (node && p >= node->Priority()) node = node->FParentNode;
    if (!node || !IsBracket(node) || !node->FParentNode) return;   // unbalanced: nothing to close
    TfsExpressionNode* sub = node->FLeft;
    node->FLeft = nullptr;
    node->FParentNode->ReplaceChild(node, sub);
    delete node;
    FCurrent = sub ? sub : FRoot;
    return;
  }
  if (++FNodeCount > MaxExpressionNodes) throw EfsScriptError("Expression too complex");
  auto* n = new TfsOperatorNode(code);
  n->Pos = CurSourcePos;
  if (FCurrent == FRoot) {
    FRoot->AddNode(n);
    FCurrent = n;
    return;
  }
  TfsExpressionNode* candidate = IsBracket(FCurrent) ? nullptr : FCurrent;
  TfsExpressionNode* node = candidate ? candidate->FParentNode : FCurrent;
  while (node->FParentNode && p >= node->Priority()) {
    candidate = node;
    node = node->FParentNode;
  }
  if (candidate) {
    node->ReplaceChild(candidate, n);
    n->FLeft = candidate;
    candidate->FParentNode = n;
  } else {
    node->AddNode(n);
  }
  FCurrent = n;
}

String TfsExpression::Finalize() {
  // Drop the placeholder: its operand becomes the root.
  TfsExpressionNode* placeholder = FRoot;
  TfsExpressionNode* root = placeholder->FLeft;
  if (root) {
    placeholder->FLeft = nullptr;
    root->FParentNode = nullptr;
    delete placeholder;
    FRoot = root;
    FEvaluator = FRoot;
  }
  FCurrent = FRoot;
  String errPos;
  TypeNode(FRoot, FProgram, errPos);
  if (FRoot == placeholder) {
    Typ = fvtVariant;
    TypeName.clear();
  } else {
    Typ = FRoot->Typ;
    TypeName = FRoot->TypeName;
  }
  auto* d = dynamic_cast<TfsDesignatorNode*>(FRoot);
  IsReadOnly = !(d && !d->FDesignator->IsReadOnly);
  return errPos;
}

char TfsExpression::SelfReferenceToModifier(TfsDesignator* Designator) {
  auto* target = dynamic_cast<TfsVariableDesignator*>(Designator);
  auto* op = AsOperator(FRoot);
  if (!target || !op) return ' ';
  char mod;
  switch (op->FOp) {
    case opPlus: mod = '+'; break;
    case opMinus: mod = '-'; break;
    case opMul: mod = '*'; break;
    case opDivFloat: mod = '/'; break;
    default: return ' ';
  }
  TfsExpressionNode* keep = nullptr;
  if (auto* l = VarDesignatorOf(op->FLeft); l && l->RefItem == target->RefItem) {
    keep = op->FRight;
    op->FRight = nullptr;
  } else if (auto* r = VarDesignatorOf(op->FRight);
             r && r->RefItem == target->RefItem && (mod == '+' || mod == '*') &&
             target->RefItem->Typ != fvtString && target->RefItem->Typ != fvtVariant) {
    keep = op->FLeft;
    op->FLeft = nullptr;
  }
  if (!keep) return ' ';
  keep->FParentNode = nullptr;
  delete FRoot;
  FRoot = FCurrent = keep;
  FEvaluator = FRoot;
  return mod;
}

TfsCustomVariable* TfsExpression::SingleItem() {
  if (auto* d = dynamic_cast<TfsDesignatorNode*>(FRoot)) {
    if (d->FDesignator->Is<TfsVariableDesignator>()) return d->FDesignator->RefItem;
    if (TfsCustomVariable* param = d->FDesignator->PlainParameter()) return param;
    return d->FDesignator;
  }
  if (dynamic_cast<TfsSetNode*>(FRoot)) return nullptr;
  if (dynamic_cast<TfsOperandNode*>(FRoot)) return FRoot;
  return nullptr;
}
