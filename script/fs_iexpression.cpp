// Expression trees: operand and operator nodes, building by priority,
// typing and evaluation.
#include "fs_iexpression.h"

TOVANI_IMPLEMENT_CLASS(TfsExpression, TfsCustomExpression)

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

class TfsExpressionNode : public TfsCustomVariable {
 public:
  TfsExpressionNode() : TfsCustomVariable(String(), fvtVariant, String()) {}
  ~TfsExpressionNode() override {
    delete FLeft;
    delete FRight;
  }
  virtual int Priority() const = 0;
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
};

namespace {

class TfsOperandNode : public TfsExpressionNode {
 public:
  explicit TfsOperandNode(const Variant& Value) {
    FValue = Value;
    switch (Value.Kind()) {
      case varBoolean: Typ = fvtBool; break;
      case varSingle: case varDouble: case varCurrency: Typ = fvtFloat; break;
      case varString: case varOleStr: Typ = fvtString; break;
      default: Typ = fvtInt;
    }
  }
  int Priority() const override { return 0; }
  Variant ReadValue() override { return FValue; }
};

class TfsDesignatorNode : public TfsOperandNode {
 public:
  explicit TfsDesignatorNode(TfsDesignator* D) : TfsOperandNode(Variant()), FDesignator(D) {
    Typ = D->Typ;
    TypeName = D->TypeName;
    FSource = D->Is<TfsVariableDesignator>() ? D->RefItem : D;
  }
  ~TfsDesignatorNode() override { delete FDesignator; }
  Variant ReadValue() override { return FSource->ReadValue(); }
  TfsDesignator* FDesignator;
  TfsCustomVariable* FSource;
};

class TfsSetNode : public TfsOperandNode {
 public:
  explicit TfsSetNode(TfsSetExpression* S) : TfsOperandNode(Variant()), FSet(S) { Typ = fvtVariant; }
  ~TfsSetNode() override { delete FSet; }
  Variant ReadValue() override { return FSet->ReadValue(); }
  TfsSetExpression* FSet;
};

class TfsOperatorNode : public TfsExpressionNode {
 public:
  explicit TfsOperatorNode(TOpCode Op) : FOp(Op) {}
  int Priority() const override { return PriorityOf(FOp); }
  Variant ReadValue() override;
  TOpCode FOp;
  bool OptimizeBool = false;

 private:
  // A missing operand (only in a damaged intermediate program) reads as Empty.
  static Variant Value(TfsExpressionNode* n) { return n ? n->ReadValue() : Variant(); }
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

Variant TfsOperatorNode::ReadValue() {
  fsCheckStack();
  switch (FOp) {
    case opNone: return Value(FLeft);
    case opNot: return !Value(FLeft);
    case opUnMinus: return -Value(FLeft);
    case opOr:
    case opAnd:
      if (OptimizeBool) {
        Variant l = Value(FLeft);
        bool b = l.AsBoolean();
        if ((FOp == opOr) == b) return l;
        return Value(FRight);
      }
      break;
    case opIn: {
      Variant l = Value(FLeft);
      if (auto* set = dynamic_cast<TfsSetNode*>(FRight)) return Variant(set->FSet->Contains(l));
      return InArray(l, Value(FRight));
    }
    case opIs: {
      TObject* obj = fsVariantToObject(Value(FLeft));
      auto* d = dynamic_cast<TfsDesignatorNode*>(FRight);
      if (!obj || !d || d->FDesignator->Count() == 0) return Variant(false);
      auto* cls = dynamic_cast<TfsClassVariable*>(d->FDesignator->Items(0)->Ref);
      return Variant(cls && cls->ClassRef && obj->InheritsFrom(cls->ClassRef));
    }
    default: break;
  }
  Variant l = Value(FLeft);
  Variant r = Value(FRight);
  switch (FOp) {
    case opGreat: return Variant(l > r);
    case opLess: return Variant(l < r);
    case opLessEq: return Variant(l <= r);
    case opGreatEq: return Variant(l >= r);
    case opNonEq: return Variant(l != r);
    case opEq: return Variant(l == r);
    case opPlus: return l + r;
    case opStrCat:
      if (l.Kind() == varString) return Variant(VarToStr(l) + VarToStr(r));
      return l + r;
    case opMinus: return l - r;
    case opOr: return l | r;
    case opXor: return l ^ r;
    case opMul: return l * r;
    case opDivFloat: return l / r;
    case opDivInt: return VarIntDiv(l, r);
    case opMod: return VarMod(l, r);
    case opAnd: return l & r;
    case opShl: return Shift(l, r, true);
    case opShr: return Shift(l, r, false);
    default: return Variant();
  }
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
}

TfsExpression::~TfsExpression() { delete FRoot; }

Variant TfsExpression::ReadValue() { return FRoot->ReadValue(); }

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
  return mod;
}

TfsCustomVariable* TfsExpression::SingleItem() {
  if (auto* d = dynamic_cast<TfsDesignatorNode*>(FRoot)) {
    if (d->FDesignator->Is<TfsVariableDesignator>()) return d->FDesignator->RefItem;
    return d->FDesignator;
  }
  if (dynamic_cast<TfsSetNode*>(FRoot)) return nullptr;
  if (dynamic_cast<TfsOperandNode*>(FRoot)) return FRoot;
  return nullptr;
}
