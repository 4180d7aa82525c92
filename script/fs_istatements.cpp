// Statement execution: lists, assignments, calls, conditionals, loops,
// try blocks, break/continue/exit and with.
#include "fs_iexpression.h"

#include <new>

TOVANI_IMPLEMENT_CLASS(TfsStatement, TfsItemList)
TOVANI_IMPLEMENT_CLASS(TfsAssignmentStmt, TfsStatement)
TOVANI_IMPLEMENT_CLASS(TfsAssignPlusStmt, TfsAssignmentStmt)
TOVANI_IMPLEMENT_CLASS(TfsAssignMinusStmt, TfsAssignmentStmt)
TOVANI_IMPLEMENT_CLASS(TfsAssignMulStmt, TfsAssignmentStmt)
TOVANI_IMPLEMENT_CLASS(TfsAssignDivStmt, TfsAssignmentStmt)
TOVANI_IMPLEMENT_CLASS(TfsCallStmt, TfsStatement)
TOVANI_IMPLEMENT_CLASS(TfsIfStmt, TfsStatement)
TOVANI_IMPLEMENT_CLASS(TfsCaseSelector, TfsStatement)
TOVANI_IMPLEMENT_CLASS(TfsCaseStmt, TfsStatement)
TOVANI_IMPLEMENT_CLASS(TfsRepeatStmt, TfsStatement)
TOVANI_IMPLEMENT_CLASS(TfsWhileStmt, TfsStatement)
TOVANI_IMPLEMENT_CLASS(TfsForStmt, TfsStatement)
TOVANI_IMPLEMENT_CLASS(TfsVbForStmt, TfsStatement)
TOVANI_IMPLEMENT_CLASS(TfsCppForStmt, TfsStatement)
TOVANI_IMPLEMENT_CLASS(TfsTryStmt, TfsStatement)
TOVANI_IMPLEMENT_CLASS(TfsBreakStmt, TfsStatement)
TOVANI_IMPLEMENT_CLASS(TfsContinueStmt, TfsStatement)
TOVANI_IMPLEMENT_CLASS(TfsExitStmt, TfsStatement)
TOVANI_IMPLEMENT_CLASS(TfsWithStmt, TfsStatement)

TfsStatement::TfsStatement(TfsScript* AProgram, const String& UnitName, const String& SourcePos)
    : FProgram(AProgram), FSourcePos(SourcePos), FUnitName(UnitName) {}

bool TfsStatement::Announce() {
  // DoRunLine's walk, without the call when no program has a hook.
  for (TfsScript* s = FProgram; s; s = s->Parent())
    if (s->OnRunLine) {
      FProgram->DoRunLine(FUnitName, FSourcePos);
      break;
    }
  return !FProgram->Terminated;
}

void TfsStatement::Execute() {
  fsCheckStack();
  TfsScript* p = FProgram;
  const Integer n = Count();
  for (Integer i = 0; i < n; ++i) {
    if (p->Terminated) break;
    Items(i)->Execute();
    if (p->BreakFlag || p->ContinueFlag || p->ExitFlag) break;
  }
}

// ---------------------------------------------------------------------------
// Assignments and calls

TfsAssignmentStmt::~TfsAssignmentStmt() {
  delete Designator;
  delete Expression;
}

void TfsAssignmentStmt::BindDirect() {
  FVar = Designator->Is<TfsVariableDesignator>() ? Designator->RefItem : Designator;
  FExpr = Expression;
  FSourcePure = Expression->IsPure();
  // An expression that names one variable reads it directly; any other
  // single operand (a constant, a call) is its tree's root, which the
  // expression's evaluator reaches in one call.
  if (auto* e = dynamic_cast<TfsExpression*>(Expression))
    if (TfsCustomVariable* single = e->SingleItem(); single && !dynamic_cast<TfsCustomExpression*>(single)) FExpr = single;
}

void TfsAssignmentStmt::Execute() {
  if (!Announce()) return;
  Variant t;
  const Variant& v = Source(t);
  FVar->Assign(&v == &t ? std::move(t) : Variant(v));
}

namespace {
// Integer arithmetic of two Integers as the Variant operators do it: an
// Integer result, or Int64 when it needs more bits.
Variant IntegerResult(Int64 R) { return R >= INT32_MIN && R <= INT32_MAX ? Variant(Integer(R)) : Variant(R); }
}  // namespace

void TfsAssignmentStmt::ExecuteCompound(char Op) {
  if (!Announce()) return;
  // The target is read before the source; a reference to its stored value
  // only while the source cannot change it.
  Variant vt;
  const Variant* v = &FVar->ReadRef(vt);
  if (!FSourcePure && v != &vt) {
    vt = *v;
    v = &vt;
  }
  Variant et;
  const Variant& e = Source(et);
  if (Op != '/' && v->VType() == varInteger && e.VType() == varInteger) {
    const Int64 x = v->AsInteger(), y = e.AsInteger();
    FVar->Assign(IntegerResult(Op == '+' ? x + y : Op == '-' ? x - y : x * y));
    return;
  }
  switch (Op) {
    case '+': FVar->Assign(fsAdd(*v, e)); break;
    case '-': FVar->Assign(*v - e); break;
    case '*': FVar->Assign(*v * e); break;
    default: FVar->Assign(*v / e); break;
  }
}

void TfsAssignPlusStmt::Execute() { ExecuteCompound('+'); }
void TfsAssignMinusStmt::Execute() { ExecuteCompound('-'); }
void TfsAssignMulStmt::Execute() { ExecuteCompound('*'); }
void TfsAssignDivStmt::Execute() { ExecuteCompound('/'); }

TfsCallStmt::~TfsCallStmt() { delete Designator; }

void TfsCallStmt::Execute() {
  if (!Announce()) return;
  if (Modificator.empty()) {
    Designator->NeedResult = false;
    Designator->ReadValue();
  } else if (Modificator == "+") {
    Designator->WriteValue(Designator->ReadValue() + Variant(Integer(1)));
  } else if (Modificator == "-") {
    Designator->WriteValue(Designator->ReadValue() - Variant(Integer(1)));
  }
}

// ---------------------------------------------------------------------------
// Conditionals

TfsIfStmt::TfsIfStmt(TfsScript* AProgram, const String& UnitName, const String& SourcePos)
    : TfsStatement(AProgram, UnitName, SourcePos), ElseStmt(new TfsStatement(AProgram, UnitName, SourcePos)) {}

TfsIfStmt::~TfsIfStmt() {
  delete Condition;
  delete ElseStmt;
}

void TfsIfStmt::Execute() {
  if (!Announce()) return;
  // ElseStmt is a plain statement list: called without the virtual call.
  if (Test(Condition)) TfsStatement::Execute();
  else ElseStmt->TfsStatement::Execute();
}

TfsCaseSelector::~TfsCaseSelector() { delete SetExpression; }

TfsCaseStmt::TfsCaseStmt(TfsScript* AProgram, const String& UnitName, const String& SourcePos)
    : TfsStatement(AProgram, UnitName, SourcePos), ElseStmt(new TfsStatement(AProgram, UnitName, SourcePos)) {}

TfsCaseStmt::~TfsCaseStmt() {
  delete Condition;
  delete ElseStmt;
}

void TfsCaseStmt::Execute() {
  Variant value = Condition->ReadValue();
  if (!Announce()) return;
  for (Integer i = 0; i < Count(); ++i) {
    auto* sel = static_cast<TfsCaseSelector*>(Items(i));
    if (sel->SetExpression->Contains(value)) {
      sel->Execute();
      return;
    }
  }
  ElseStmt->Execute();
}

// ---------------------------------------------------------------------------
// Loops
//
// Each pass asks whether the program was terminated: once it was, no
// statement runs, so the loop's condition and counter stand still.

TfsRepeatStmt::~TfsRepeatStmt() { delete Condition; }

void TfsRepeatStmt::Execute() {
  if (!Announce()) return;
  TfsScript* p = FProgram;
  for (;;) {
    TfsStatement::Execute();
    if (p->BreakFlag || p->ExitFlag || p->Terminated) break;
    p->ContinueFlag = false;
    if (Test(Condition) == !InverseCondition) break;
  }
  p->BreakFlag = false;
}

TfsWhileStmt::~TfsWhileStmt() { delete Condition; }

void TfsWhileStmt::Execute() {
  if (!Announce()) return;
  TfsScript* p = FProgram;
  while (Test(Condition)) {
    TfsStatement::Execute();
    if (p->BreakFlag || p->ExitFlag || p->Terminated) break;
    p->ContinueFlag = false;
  }
  p->BreakFlag = false;
}

TfsForStmt::~TfsForStmt() {
  delete BeginValue;
  delete EndValue;
}

void TfsForStmt::Execute() {
  const Integer b = BeginValue->ReadValue().AsInteger();
  const Integer e = EndValue->ReadValue().AsInteger();
  if (!Announce()) return;
  TfsScript* p = FProgram;
  Variant& stored = Variable->StoredValue();
  // The count is fixed before the first iteration.
  Int64 count = Down ? Int64(b) - e + 1 : Int64(e) - b + 1;
  Int64 current = b;
  for (Int64 k = 0; k < count; ++k) {
    stored.~Variant();
    ::new (&stored) Variant(Integer(current));
    TfsStatement::Execute();
    if (p->BreakFlag || p->ExitFlag || p->Terminated) break;
    p->ContinueFlag = false;
    current += Down ? -1 : 1;
  }
  p->BreakFlag = false;
}

TfsVbForStmt::~TfsVbForStmt() {
  delete BeginValue;
  delete EndValue;
  delete Step;
}

void TfsVbForStmt::Execute() {
  Variant current = BeginValue->ReadValue();
  const Variant e = EndValue->ReadValue();
  const Variant step = Step ? Step->ReadValue() : Variant(Integer(1));
  const bool negative = step < Variant(Integer(0));
  if (!Announce()) return;
  TfsScript* p = FProgram;
  while (negative ? current >= e : current <= e) {
    Variable->StoredValue() = current;
    TfsStatement::Execute();
    if (p->BreakFlag || p->ExitFlag || p->Terminated) break;
    p->ContinueFlag = false;
    current = current + step;
  }
  p->BreakFlag = false;
}

TfsCppForStmt::TfsCppForStmt(TfsScript* AProgram, const String& UnitName, const String& SourcePos)
    : TfsStatement(AProgram, UnitName, SourcePos),
      FirstStmt(new TfsStatement(AProgram, UnitName, SourcePos)),
      SecondStmt(new TfsStatement(AProgram, UnitName, SourcePos)) {}

TfsCppForStmt::~TfsCppForStmt() {
  delete FirstStmt;
  delete Condition;
  delete SecondStmt;
}

void TfsCppForStmt::Execute() {
  if (!Announce()) return;
  TfsScript* p = FProgram;
  FirstStmt->Execute();
  if (p->Terminated) return;
  while (!Condition || Test(Condition)) {
    TfsStatement::Execute();
    if (p->BreakFlag || p->ExitFlag || p->Terminated) break;
    p->ContinueFlag = false;
    SecondStmt->Execute();
  }
  p->BreakFlag = false;
}

// ---------------------------------------------------------------------------
// Try

TfsTryStmt::TfsTryStmt(TfsScript* AProgram, const String& UnitName, const String& SourcePos)
    : TfsStatement(AProgram, UnitName, SourcePos), ExceptStmt(new TfsStatement(AProgram, UnitName, SourcePos)) {}

TfsTryStmt::~TfsTryStmt() { delete ExceptStmt; }

void TfsTryStmt::Execute() {
  if (!Announce()) return;
  TfsScript* p = FProgram;
  if (IsExcept) {
    try {
      TfsStatement::Execute();
    } catch (const Exception& e) {
      p->SetVariable("ExceptionClassName", Variant(e.ClassName()));
      p->SetVariable("ExceptionMessage", Variant(e.Message()));
      ExceptStmt->Execute();
    }
    return;
  }
  auto runFinally = [&] {
    bool exitFlag = p->ExitFlag;
    p->ExitFlag = false;
    ExceptStmt->Execute();
    p->ExitFlag = exitFlag || p->ExitFlag;
  };
  try {
    TfsStatement::Execute();
  } catch (...) {
    runFinally();
    throw;
  }
  runFinally();
}

// ---------------------------------------------------------------------------
// Jumps and with

void TfsBreakStmt::Execute() { FProgram->BreakFlag = true; }
void TfsContinueStmt::Execute() { FProgram->ContinueFlag = true; }

void TfsExitStmt::Execute() {
  FProgram->DoRunLine(FUnitName, FSourcePos);
  FProgram->ExitFlag = true;
}

TfsWithStmt::~TfsWithStmt() { delete Designator; }

void TfsWithStmt::Execute() {
  TfsStatement::Execute();
  Variable->WriteValue(Designator->ReadValue());
}
