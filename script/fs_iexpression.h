// Compiled expressions. The translator feeds an expression the flat operand
// and operator sequence of the intermediate program; the expression builds a
// tree by operator priority as the items arrive, types it once and
// evaluates it on demand.
#pragma once
#include "fs_iinterpreter.h"

class TfsExpressionNode;

class TfsExpression : public TfsCustomExpression {
  TOVANI_CLASS(TfsExpression, TfsCustomExpression)
 public:
  explicit TfsExpression(TfsScript* AProgram);
  ~TfsExpression() override;

  Variant ReadValue() override;
  const Variant& Eval(Variant& Tmp) override;
  bool IsPure() const override;
  bool Test() override;
  // Writes through the designator the expression consists of (by-reference
  // arguments); ignored when the expression is read-only.
  void WriteValue(const Variant& Value) override;

  void AddConst(const Variant& Value);
  void AddDesignator(TfsDesignator* Designator);   // takes ownership
  void AddSet(TfsSetExpression* Set);              // takes ownership
  // "+", "-", "*", "/", "(", ")", "unminus", "not", "or", "xor", "strcat",
  // "div", "mod", "and", "shl", "shr", "in", "is" and the relational texts.
  void AddOperator(const String& Op);
  // Types the tree; gives the position of the first operator whose operands
  // do not fit, or "".
  String Finalize();
  // " " or the modifier ("+", "-", "*", "/") when the expression names the
  // target variable itself, which is then removed from the tree.
  char SelfReferenceToModifier(TfsDesignator* Designator);
  // The single operand the expression is (variable, designator or constant
  // node), or nil.
  TfsCustomVariable* SingleItem();

  // Source position stamped on the nodes added next.
  String CurSourcePos;

 private:
  void AddOperand(TfsExpressionNode* Node);
  TfsExpressionNode* FRoot;
  TfsExpressionNode* FCurrent;
  TfsScript* FProgram;
  Integer FNodeCount = 0;
};
