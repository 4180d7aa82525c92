// The script host and its run-time object model: the program (TfsScript)
// with its table of named items, variables, routines, host classes and
// their members, designators that evaluate chains such as Memo1.Lines[2],
// and the statement objects a compiled script is made of.
//
// Values are Variants. Objects cross between scripts and the host as object
// Variants (Variant::FromObject); the integer 0 (nil) stands for no object,
// and any other integer where an object is expected is a script error.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <unordered_map>
#include <vector>

#include "Classes.h"
#include "TypInfo.h"
#include "Variant.h"
#include "fs_itools.h"

class TStrings;
class TfsScript;
class TfsStatement;
class TfsParamItem;
class TfsProcVariable;
class TfsClassVariable;
class TfsMethodHelper;
class TfsCustomEvent;
class TfsXMLItem;
struct IDispatch;

// Errors raised by the script engine while a script runs (bad indexes,
// object references that are no objects, automation calls).
TOVANI_EXCEPTION(EfsScriptError, Exception)

// The object an object Variant refers to: nil for Null, Empty, nil (0) and
// an object Variant of nil; EfsScriptError for any other value.
TObject* fsVariantToObject(const Variant& V);

// The longest string a script may build, in bytes: longer ones end the run
// with EfsScriptError "String too long" instead of taking the machine's
// memory (a string doubled in a loop). A variable so that tests can
// reach it quickly.
inline size_t fsMaxStringSize = size_t(64) << 20;
void fsCheckStringSize(size_t Size);
// The "+" of scripts (and the string concatenation operator), with strings
// kept within fsMaxStringSize.
Variant fsAdd(const Variant& L, const Variant& R);
Variant fsStrCat(const Variant& L, const Variant& R);
// The objects scripts made: a script frees only those, while they live
// (fsFreeScriptObject raises EfsScriptError for any other object), and an
// object Variant of one it freed is an error wherever it is used.
void fsNoteScriptObject(TObject* Obj);
// The object was destroyed by other means (its owner, its parent item).
void fsForgetScriptObject(const TObject* Obj);
bool fsIsFreedScriptObject(const TObject* Obj);
void fsFreeScriptObject(TObject* Obj);

inline Variant fsObjectToVariant(const TObject* Obj) {
  return Obj ? Variant::FromObject(Obj) : Variant(Integer(0));
}

// Handler shapes of host routines and handler-served properties.
using TfsCallerMethodHandler = std::function<Variant(TObject* Instance, TClass ClassType,
                                                     const String& MethodName, TfsMethodHelper* Caller)>;
using TfsArrayMethodHandler = std::function<Variant(TObject* Instance, TClass ClassType,
                                                    const String& MethodName, Variant& Params)>;
using TfsPropertyGetter = std::function<Variant(TObject* Instance, TClass ClassType, const String& PropName)>;
using TfsPropertySetter =
    std::function<void(TObject* Instance, TClass ClassType, const String& PropName, const Variant& Value)>;

// Events of the host.
using TfsRunLineEvent = std::function<void(TfsScript* Sender, const String& UnitName, const String& SourcePos)>;
using TfsGetUnitEvent = std::function<void(TfsScript* Sender, const String& UnitName, String& UnitText)>;
using TfsGetVariableValueEvent = std::function<Variant(const String& VarName, TfsVarType VarTyp, Variant& OldValue)>;

// Makes the event adapter of one host event type for an instance and the
// script procedure that handles the event.
using TfsEventClass = TfsCustomEvent* (*)(TObject* Instance, TfsProcVariable* Handler);

// The native stack. Scripts are evaluated by recursion that follows their
// nesting (routine calls, expressions, statements) on the stack of the
// running thread, whose size the host does not choose (1 MB for the main
// thread here), so no fixed limit on depth or size bounds it. fsCheckStack
// raises EfsScriptError "Stack overflow" while enough of the stack is left
// to unwind and report the error; it costs one comparison with the floor
// measured when a script starts running. Scripts run on one thread at a
// time; a thread whose stack lies below the floor is measured anew when it
// first trips the check.
inline uintptr_t fsStackFloor = UINTPTR_MAX;
// Measures the floor for the calling thread.
void fsMeasureStack();
// Called when the floor was passed: measures again, raises when the
// calling thread's stack is really that low.
void fsStackFloorPassed();
inline void fsCheckStack() {
  char probe;
  if (reinterpret_cast<uintptr_t>(&probe) < fsStackFloor) fsStackFloorPassed();
}

// The AddedBy stamp of everything AddRTTI registers.
inline const void* const fsRTTIStamp = reinterpret_cast<const void*>(1);

// ---------------------------------------------------------------------------
// Items

// An ordered list of owned children.
class TfsItemList : public TObject {
  TOVANI_CLASS(TfsItemList, TObject)
 public:
  TfsItemList() = default;
  ~TfsItemList() override;
  virtual void Clear();
  Integer Add(TObject* Item);
  void Insert(Integer Index, TObject* Item);
  // Takes the child out without freeing it.
  void Remove(TObject* Item);
  Integer Count() const { return Integer(FItems.size()); }
  TObject* Get(Integer Index) const { return FItems[size_t(Index)]; }

 protected:
  friend class TfsDesignator;
  std::vector<TObject*> FItems;
};

// The base of every named item. Its children, when it has any, are its
// parameters.
class TfsCustomVariable : public TfsItemList {
  TOVANI_CLASS(TfsCustomVariable, TfsItemList)
 public:
  TfsCustomVariable(const String& AName, TfsVarType ATyp, const String& ATypeName);

  virtual void WriteValue(const Variant& Value);
  virtual Variant ReadValue();
  Variant Value() { return ReadValue(); }
  void SetValue(const Variant& V) { WriteValue(V); }

  TfsParamItem* Params(Integer Index) const;
  Integer ParamCount() const { return Count(); }
  Integer RequiredParamCount() const;
  String KindName() const { return ::KindName(Typ, TypeName); }

  const String& Name() const { return FName; }
  const String& UpperName() const { return FUpperName; }
  // The stored value, bypassing coercion and value handlers.
  Variant& StoredValue() { return FValue; }

  // What ReadValue gives: a reference to the stored value where that is
  // what ReadValue would copy, otherwise ReadValue's answer kept in Tmp.
  // The running script reads its variables this way without copies.
  const Variant& ReadRef(Variant& Tmp) {
    switch (Access()) {
      case acPlain: return FValue;
      case acVariable:
        if (!OnGetVarValue) return FValue;
        break;
      default: break;
    }
    Tmp = ReadValue();
    return Tmp;
  }
  // WriteValue of a value the caller gives up: moved into place where
  // WriteValue would store it unchanged.
  void Assign(Variant&& Value) {
    switch (Access()) {
      case acPlain:
        if (!IsReadOnly) FValue = std::move(Value);
        return;
      case acVariable:
        if (IsReadOnly) return;
        if (KindKeptAsIs(Value)) {
          FValue = std::move(Value);
          return;
        }
        break;
      default: break;
    }
    WriteValue(Value);
  }

  TfsVarType Typ;
  String TypeName;
  bool IsReadOnly = false;
  bool IsMacro = false;
  bool NeedResult = true;
  TfsCustomVariable* RefItem = nullptr;   // Result of a function, array helper, designated variable
  const void* AddedBy = nullptr;
  String SourcePos, SourceUnit;
  TfsGetVariableValueEvent OnGetVarValue;

 protected:
  String FName, FUpperName;
  Variant FValue;

 private:
  // How reads and writes reach the value, known from the item's exact
  // class (a descendant may override ReadValue and WriteValue): acPlain
  // items keep it in FValue as given (parameters, the base class),
  // acVariable items are TfsVariable, acVirtual items need the virtual calls.
  enum : uint8_t { acUnknown, acPlain, acVariable, acVirtual };
  uint8_t FAccess = acUnknown;
  uint8_t Access() {
    if (FAccess == acUnknown) FAccess = ClassifyAccess();
    return FAccess;
  }
  uint8_t ClassifyAccess() const;
  // A TfsVariable stores a value of this kind unconverted.
  bool KindKeptAsIs(const Variant& Value) const {
    switch (Typ) {
      case fvtInt: return Value.VType() == varInteger;
      case fvtBool: return Value.VType() == varBoolean;
      case fvtFloat: return Value.VType() == varDouble;
      case fvtString: return Value.VType() == varString;
      default: return true;
    }
  }
};

// Variables and constants of scripts and hosts.
class TfsVariable : public TfsCustomVariable {
  TOVANI_CLASS(TfsVariable, TfsCustomVariable)
 public:
  using TfsCustomVariable::TfsCustomVariable;
  // Converts to the variable's kind before storing (ignored when read-only).
  void WriteValue(const Variant& Value) override;
  // The stored value, or the value handler's non-Null answer.
  Variant ReadValue() override;
};

// A Char or String variable declared in a script: keeps its text natively.
class TfsStringVariable : public TfsVariable {
  TOVANI_CLASS(TfsStringVariable, TfsVariable)
 public:
  using TfsVariable::TfsVariable;
  void WriteValue(const Variant& Value) override;
  Variant ReadValue() override;
  String& Str() { return FStr; }

 private:
  String FStr;
};

class TfsTypeVariable : public TfsCustomVariable {
  TOVANI_CLASS(TfsTypeVariable, TfsCustomVariable)
 public:
  using TfsCustomVariable::TfsCustomVariable;
};

class TfsParamItem : public TfsCustomVariable {
  TOVANI_CLASS(TfsParamItem, TfsCustomVariable)
 public:
  TfsParamItem(const String& AName, TfsVarType ATyp, const String& ATypeName, bool AIsOptional,
               bool AIsVarParam);
  Variant DefValue;
  bool IsOptional;
  bool IsVarParam;
};

// A procedure or function declared in a script. Reading its value runs it
// with the arguments already written into its parameters.
class TfsProcVariable : public TfsCustomVariable {
  TOVANI_CLASS(TfsProcVariable, TfsCustomVariable)
 public:
  TfsProcVariable(const String& AName, TfsVarType ATyp, const String& ATypeName, TfsScript* AParent,
                  bool AIsFunc = true);
  ~TfsProcVariable() override;
  Variant ReadValue() override;

  TfsScript* Prog() const { return FProgram; }
  bool IsFunc() const { return FIsFunc; }
  bool Executing = false;

  // A recursive call keeps the outer activation's locals (variables and
  // parameters of the child program, in table order): SaveLocals stacks
  // their values and gives the mark RestoreLocals writes them back from.
  size_t SaveLocals();
  void RestoreLocals(size_t Mark);

 private:
  void FindLocals();
  TfsScript* FProgram;
  bool FIsFunc;
  std::vector<TfsCustomVariable*> FLocals;
  unsigned FLocalsVersion = ~0u;
  std::vector<Variant> FSaved;
  size_t FSavedTop = 0;   // slots of FSaved in use
};

// Base of compiled expressions; an expression also keeps its source text,
// which macro routines receive instead of the value.
class TfsCustomExpression : public TfsCustomVariable {
  TOVANI_CLASS(TfsCustomExpression, TfsCustomVariable)
 public:
  using TfsCustomVariable::TfsCustomVariable;
  // The value, as ReadRef gives it (Tmp is Empty on entry).
  virtual const Variant& Eval(Variant& Tmp) {
    Tmp = ReadValue();
    return Tmp;
  }
  // Evaluating changes nothing: no routine is called.
  virtual bool IsPure() const { return false; }
  // The value as a Boolean (conditions).
  virtual bool Test() {
    Variant t;
    return Eval(t).AsBoolean();
  }
  // The expression whose Eval and Test answer for this one: the root of a
  // compiled tree, so that the running script skips the wrapper's call.
  TfsCustomExpression* Evaluator() const { return FEvaluator; }
  String Source;

 protected:
  TfsCustomExpression* FEvaluator = this;
};

// ---------------------------------------------------------------------------
// Members of host classes

class TfsCustomHelper : public TfsCustomVariable {
  TOVANI_CLASS(TfsCustomHelper, TfsCustomVariable)
 public:
  using TfsCustomVariable::TfsCustomVariable;
  TfsCustomVariable* ParentRef = nullptr;
  Variant ParentValue;
  TfsScript* Prog = nullptr;
};

class TfsPropertyHelper : public TfsCustomHelper {
  TOVANI_CLASS(TfsPropertyHelper, TfsCustomHelper)
 public:
  using TfsCustomHelper::TfsCustomHelper;
  Variant ReadValue() override;
  void WriteValue(const Variant& Value) override;

  TClass ClassRef = nullptr;
  bool IsPublished = false;
  TfsPropertyGetter OnGetValue;
  TfsPropertySetter OnSetValue;
};

// A host routine or method (also the index methods of indexed properties).
class TfsMethodHelper : public TfsCustomHelper {
  TOVANI_CLASS(TfsMethodHelper, TfsCustomHelper)
 public:
  TfsMethodHelper(const String& Syntax, TfsScript* Script);
  Variant ReadValue() override;
  void WriteValue(const Variant& Value) override;

  // Value of parameter i; i = parameter count gives the value being
  // assigned to an indexed property.
  Variant ParamValue(Integer Index);
  void SetParamValue(Integer Index, const Variant& Value);

  String Syntax, Category, Description;
  TClass ClassRef = nullptr;
  bool IndexMethod = false;
  TfsArrayMethodHandler OnCall;
  TfsCallerMethodHandler OnCallCaller;

 private:
  Variant FSetValue;
  String FGetName;   // the name an index method's handler gets when read
};

class TfsComponentHelper : public TfsCustomHelper {
  TOVANI_CLASS(TfsComponentHelper, TfsCustomHelper)
 public:
  explicit TfsComponentHelper(TComponent* AComponent);
  Variant ReadValue() override;
  void WriteValue(const Variant&) override {}

 private:
  TComponent* FComponent;
};

class TfsEventHelper : public TfsCustomHelper {
  TOVANI_CLASS(TfsEventHelper, TfsCustomHelper)
 public:
  TfsEventHelper(const String& AName, TfsEventClass AEvent);
  Variant ReadValue() override { return Variant(String()); }
  void WriteValue(const Variant& Value) override;
  TClass ClassRef = nullptr;

 private:
  TfsEventClass FEvent;
};

// Element access of Variant arrays: the array is the stored value of the
// parent item; 1 to 3 dimensions.
class TfsArrayHelper : public TfsCustomHelper {
  TOVANI_CLASS(TfsArrayHelper, TfsCustomHelper)
 public:
  TfsArrayHelper(const String& AName, Integer DimCount, TfsVarType Typ, const String& TypeName);
  Variant ReadValue() override;
  void WriteValue(const Variant& Value) override;

 private:
  std::vector<Integer> Indexes();
};

// Character access of strings (1-based).
class TfsStringHelper : public TfsCustomHelper {
  TOVANI_CLASS(TfsStringHelper, TfsCustomHelper)
 public:
  TfsStringHelper();
  Variant ReadValue() override;
  void WriteValue(const Variant& Value) override;
};

// An automation object a script holds (made by CreateOleObject or given
// by an automation call): its dispatch interface, kept referenced while
// the script program that owns the object lives.
class TfsAutomationObject : public TObject {
  TOVANI_CLASS(TfsAutomationObject, TObject)
 public:
  explicit TfsAutomationObject(IDispatch* ADispatch = nullptr);
  ~TfsAutomationObject() override;
  IDispatch* Dispatch() const { return FDispatch; }

 private:
  IDispatch* FDispatch;
};

// CreateOleObject: the automation object of a programmatic name, owned by
// the main program of Prog.
Variant fsCreateOleObject(const String& ClassName, TfsScript* Prog);
bool fsIsAutomationObject(const Variant& V);

// A late-bound member of an automation object, called through IDispatch:
// read as a method (or property get when a result is wanted), written as
// a property put. Failures raise EfsScriptError "OLE error ...".
class TfsOLEHelper : public TfsCustomHelper {
  TOVANI_CLASS(TfsOLEHelper, TfsCustomHelper)
 public:
  explicit TfsOLEHelper(const String& AName);
  Variant ReadValue() override;
  void WriteValue(const Variant& Value) override;

 private:
  Variant Invoke(bool PropertyPut, const Variant& NewValue);
};

// A host class: its members (published properties first), its default
// property and the typecast parameter.
class TfsClassVariable : public TfsCustomVariable {
  TOVANI_CLASS(TfsClassVariable, TfsCustomVariable)
 public:
  TfsClassVariable(TClass AClass, const String& Ancestor);
  ~TfsClassVariable() override;
  // The object a typecast names, or a new default-made instance of the
  // class (Null when the class cannot be made by name).
  Variant ReadValue() override;

  void AddConstructor(const String& Syntax, const TfsCallerMethodHandler& Handler);
  TfsMethodHelper* AddMethod(const String& Syntax, const TfsCallerMethodHandler& Handler);
  TfsPropertyHelper* AddProperty(const String& Name, const String& Typ, const TfsPropertyGetter& Getter,
                                 const TfsPropertySetter& Setter = nullptr);
  TfsMethodHelper* AddIndexProperty(const String& Name, const String& Params, const String& Typ,
                                    const TfsCallerMethodHandler& Handler, bool IsReadOnly = false);
  TfsMethodHelper* AddDefaultProperty(const String& Name, const String& Params, const String& Typ,
                                      const TfsCallerMethodHandler& Handler, bool IsReadOnly = false);
  TfsEventHelper* AddEvent(const String& Name, TfsEventClass Event);
  TfsComponentHelper* AddComponent(TComponent* Component);
  void AddPublishedProperties(TClass AClass);
  // Member by name (ASCII case ignored), then in the ancestors; nil when none.
  TfsCustomHelper* FindMember(const String& Name);
  TfsCustomHelper* Members(Integer Index) const;
  Integer MembersCount() const { return FMembers.Count(); }

  TClass ClassRef;
  String AncestorName;
  TfsCustomHelper* DefProperty = nullptr;
  TfsScript* Prog = nullptr;

 private:
  void AddMember(TfsCustomHelper* Member);
  TfsItemList FMembers;
};

// An event adapter: connects one host event of an instance to a script
// procedure. Descendants for concrete event types build the class
// library's event value that calls CallHandler with the event's arguments.
class TfsCustomEvent : public TObject {
  TOVANI_CLASS(TfsCustomEvent, TObject)
 public:
  TfsCustomEvent(TObject* AObject, TfsProcVariable* AHandler) : FInstance(AObject), FHandler(AHandler) {}
  // The event value to store in the instance's event property.
  virtual TMethod HandlerMethod() = 0;
  // Runs the procedure with the arguments, unless it is running already.
  void CallHandler(const std::vector<Variant>& Params);
  TfsProcVariable* Handler() const { return FHandler; }
  TObject* Instance() const { return FInstance; }

 private:
  TObject* FInstance;
  TfsProcVariable* FHandler;
};

// ---------------------------------------------------------------------------
// Designators

class TfsDesignatorItem : public TfsItemList {
  TOVANI_CLASS(TfsDesignatorItem, TfsItemList)
 public:
  TfsCustomExpression* Args(Integer Index) const { return static_cast<TfsCustomExpression*>(Get(Index)); }
  TfsCustomVariable* Ref = nullptr;
  String SourcePos;
  bool Flag = false;   // the step took bracketed arguments as its index

  // What Ref is, found on the first evaluation (Ref is final by then).
  enum TStepKind : uint8_t { skUnknown, skDesignator, skProc, skHelper, skOther };
  TStepKind StepKind() {
    if (FKind == skUnknown) FKind = Classify();
    return FKind;
  }

 private:
  TStepKind Classify() const;
  TStepKind FKind = skUnknown;
};

enum TfsDesignatorKind { dkOther, dkVariable, dkStringArray, dkArray };

class TfsDesignator : public TfsCustomVariable {
  TOVANI_CLASS(TfsDesignator, TfsCustomVariable)
 public:
  explicit TfsDesignator(TfsScript* AProgram);
  ~TfsDesignator() override;
  Variant ReadValue() override;
  void WriteValue(const Variant& Value) override;

  Variant CalculateChain(const Variant& NewValue, bool Write);
  // The chain of one step calling script routine R, read.
  Variant CallRoutine(TfsDesignatorItem* Step, TfsProcVariable* R);
  // What ReadValue gives, with a call of one script routine taken straight.
  Variant ReadChain() {
    BindLate();
    if (Count() == 1) {
      TfsDesignatorItem* step = Items(0);
      if (step->StepKind() == TfsDesignatorItem::skProc) return CallRoutine(step, static_cast<TfsProcVariable*>(step->Ref));
    }
    return CalculateChain(Variant(), false);
  }
  void SettleKind();
  void AdoptFrom(TfsDesignator* Source);
  // Resolves a chain the translator deferred until run time.
  void BindLate() {
    if (FLateBindingXML) BindLateNow();
  }
  TfsDesignatorItem* Items(Integer Index) const { return static_cast<TfsDesignatorItem*>(Get(Index)); }
  TfsDesignatorKind Kind() const { return FKind; }
  // The parameter a chain of one step without arguments names (a
  // routine's parameter read in its body), whose value the chain reads as
  // it is stored; nil for any other chain.
  TfsCustomVariable* PlainParameter() const;
  TfsScript* Prog() const { return FProgram; }
  // Keeps a copy of the designator's intermediate element for BindLate.
  void SetLateBinding(const TfsXMLItem* Element);
  bool HasLateBinding() const { return FLateBindingXML != nullptr; }

 protected:
  TfsDesignatorKind FKind = dkOther;
  TfsScript* FProgram;
  TfsCustomVariable* FRef1 = nullptr;
  TfsDesignatorItem* FRef2 = nullptr;
  TfsXMLItem* FLateBindingXML = nullptr;

 private:
  void BindLateNow();
};

class TfsVariableDesignator : public TfsDesignator {
  TOVANI_CLASS(TfsVariableDesignator, TfsDesignator)
 public:
  using TfsDesignator::TfsDesignator;
  Variant ReadValue() override { return RefItem->ReadValue(); }
  void WriteValue(const Variant& Value) override { RefItem->WriteValue(Value); }
};

class TfsStringDesignator : public TfsDesignator {
  TOVANI_CLASS(TfsStringDesignator, TfsDesignator)
 public:
  using TfsDesignator::TfsDesignator;
  Variant ReadValue() override;
  void WriteValue(const Variant& Value) override;
};

class TfsArrayDesignator : public TfsDesignator {
  TOVANI_CLASS(TfsArrayDesignator, TfsDesignator)
 public:
  using TfsDesignator::TfsDesignator;
  Variant ReadValue() override;
  void WriteValue(const Variant& Value) override;

 private:
  void Prepare();
};

// The labels of a case branch or the right side of "in": element
// expressions, a range lo..hi kept as lo, nil, hi.
class TfsSetExpression : public TfsCustomVariable {
  TOVANI_CLASS(TfsSetExpression, TfsCustomVariable)
 public:
  TfsSetExpression();
  Variant ReadValue() override;
  bool Contains(const Variant& Value);
  TfsCustomVariable* Element(Integer Index) const { return static_cast<TfsCustomVariable*>(Get(Index)); }
};

// ---------------------------------------------------------------------------
// Statements

class TfsStatement : public TfsItemList {
  TOVANI_CLASS(TfsStatement, TfsItemList)
 public:
  TfsStatement(TfsScript* AProgram, const String& UnitName, const String& SourcePos);
  // Runs the children in order (a statement list).
  virtual void Execute();
  TfsStatement* Items(Integer Index) const { return static_cast<TfsStatement*>(Get(Index)); }
  TfsScript* Prog() const { return FProgram; }
  // A condition's value as a Boolean.
  static bool Test(TfsCustomExpression* Condition) { return Condition->Evaluator()->Test(); }
  const String& SourcePos() const { return FSourcePos; }
  const String& UnitName() const { return FUnitName; }

 protected:
  // Reports the statement to the line hook; false when the program was
  // terminated and the statement must do nothing.
  bool Announce();
  TfsScript* FProgram;
  String FSourcePos, FUnitName;
};

class TfsAssignmentStmt : public TfsStatement {
  TOVANI_CLASS(TfsAssignmentStmt, TfsStatement)
 public:
  using TfsStatement::TfsStatement;
  ~TfsAssignmentStmt() override;
  void Execute() override;
  void BindDirect();
  TfsDesignator* Designator = nullptr;
  TfsCustomExpression* Expression = nullptr;

 protected:
  // The compound assignments: target op source, op being '+', '-', '*'
  // or '/'.
  void ExecuteCompound(char Op);
  // The source's value as ReadRef gives it.
  const Variant& Source(Variant& Tmp) {
    return FExpr == Expression ? Expression->Evaluator()->Eval(Tmp) : FExpr->ReadRef(Tmp);
  }
  TfsCustomVariable* FVar = nullptr;
  TfsCustomVariable* FExpr = nullptr;
  bool FSourcePure = false;
};

class TfsAssignPlusStmt : public TfsAssignmentStmt {
  TOVANI_CLASS(TfsAssignPlusStmt, TfsAssignmentStmt)
 public:
  using TfsAssignmentStmt::TfsAssignmentStmt;
  void Execute() override;
};
class TfsAssignMinusStmt : public TfsAssignmentStmt {
  TOVANI_CLASS(TfsAssignMinusStmt, TfsAssignmentStmt)
 public:
  using TfsAssignmentStmt::TfsAssignmentStmt;
  void Execute() override;
};
class TfsAssignMulStmt : public TfsAssignmentStmt {
  TOVANI_CLASS(TfsAssignMulStmt, TfsAssignmentStmt)
 public:
  using TfsAssignmentStmt::TfsAssignmentStmt;
  void Execute() override;
};
class TfsAssignDivStmt : public TfsAssignmentStmt {
  TOVANI_CLASS(TfsAssignDivStmt, TfsAssignmentStmt)
 public:
  using TfsAssignmentStmt::TfsAssignmentStmt;
  void Execute() override;
};

class TfsCallStmt : public TfsStatement {
  TOVANI_CLASS(TfsCallStmt, TfsStatement)
 public:
  using TfsStatement::TfsStatement;
  ~TfsCallStmt() override;
  void Execute() override;
  TfsDesignator* Designator = nullptr;
  String Modificator;   // "", "+" or "-"
};

class TfsIfStmt : public TfsStatement {
  TOVANI_CLASS(TfsIfStmt, TfsStatement)
 public:
  TfsIfStmt(TfsScript* AProgram, const String& UnitName, const String& SourcePos);
  ~TfsIfStmt() override;
  void Execute() override;
  TfsCustomExpression* Condition = nullptr;
  TfsStatement* ElseStmt;
};

class TfsCaseSelector : public TfsStatement {
  TOVANI_CLASS(TfsCaseSelector, TfsStatement)
 public:
  using TfsStatement::TfsStatement;
  ~TfsCaseSelector() override;
  TfsSetExpression* SetExpression = nullptr;
};

class TfsCaseStmt : public TfsStatement {
  TOVANI_CLASS(TfsCaseStmt, TfsStatement)
 public:
  TfsCaseStmt(TfsScript* AProgram, const String& UnitName, const String& SourcePos);
  ~TfsCaseStmt() override;
  void Execute() override;
  TfsCustomExpression* Condition = nullptr;
  TfsStatement* ElseStmt;
};

class TfsRepeatStmt : public TfsStatement {
  TOVANI_CLASS(TfsRepeatStmt, TfsStatement)
 public:
  using TfsStatement::TfsStatement;
  ~TfsRepeatStmt() override;
  void Execute() override;
  TfsCustomExpression* Condition = nullptr;
  bool InverseCondition = false;
};

class TfsWhileStmt : public TfsStatement {
  TOVANI_CLASS(TfsWhileStmt, TfsStatement)
 public:
  using TfsStatement::TfsStatement;
  ~TfsWhileStmt() override;
  void Execute() override;
  TfsCustomExpression* Condition = nullptr;
};

class TfsForStmt : public TfsStatement {
  TOVANI_CLASS(TfsForStmt, TfsStatement)
 public:
  using TfsStatement::TfsStatement;
  ~TfsForStmt() override;
  void Execute() override;
  TfsCustomExpression* BeginValue = nullptr;
  TfsCustomExpression* EndValue = nullptr;
  bool Down = false;
  TfsCustomVariable* Variable = nullptr;
};

class TfsVbForStmt : public TfsStatement {
  TOVANI_CLASS(TfsVbForStmt, TfsStatement)
 public:
  using TfsStatement::TfsStatement;
  ~TfsVbForStmt() override;
  void Execute() override;
  TfsCustomExpression* BeginValue = nullptr;
  TfsCustomExpression* EndValue = nullptr;
  TfsCustomExpression* Step = nullptr;
  TfsCustomVariable* Variable = nullptr;
};

class TfsCppForStmt : public TfsStatement {
  TOVANI_CLASS(TfsCppForStmt, TfsStatement)
 public:
  TfsCppForStmt(TfsScript* AProgram, const String& UnitName, const String& SourcePos);
  ~TfsCppForStmt() override;
  void Execute() override;
  TfsStatement* FirstStmt;
  TfsCustomExpression* Condition = nullptr;
  TfsStatement* SecondStmt;
};

class TfsTryStmt : public TfsStatement {
  TOVANI_CLASS(TfsTryStmt, TfsStatement)
 public:
  TfsTryStmt(TfsScript* AProgram, const String& UnitName, const String& SourcePos);
  ~TfsTryStmt() override;
  void Execute() override;
  bool IsExcept = false;
  TfsStatement* ExceptStmt;
};

class TfsBreakStmt : public TfsStatement {
  TOVANI_CLASS(TfsBreakStmt, TfsStatement)
 public:
  using TfsStatement::TfsStatement;
  void Execute() override;
};
class TfsContinueStmt : public TfsStatement {
  TOVANI_CLASS(TfsContinueStmt, TfsStatement)
 public:
  using TfsStatement::TfsStatement;
  void Execute() override;
};
class TfsExitStmt : public TfsStatement {
  TOVANI_CLASS(TfsExitStmt, TfsStatement)
 public:
  using TfsStatement::TfsStatement;
  void Execute() override;
};

class TfsWithStmt : public TfsStatement {
  TOVANI_CLASS(TfsWithStmt, TfsStatement)
 public:
  using TfsStatement::TfsStatement;
  ~TfsWithStmt() override;
  void Execute() override;
  TfsDesignator* Designator = nullptr;
  TfsCustomVariable* Variable = nullptr;
};

// ---------------------------------------------------------------------------
// Registration modules

// A registration module registers types, classes, routines and objects into
// a program in its constructor; the program owns it afterwards.
class TfsRTTIModule : public TObject {
  TOVANI_CLASS(TfsRTTIModule, TObject)
 public:
  explicit TfsRTTIModule(TfsScript* AScript) : FScript(AScript) {}
  TfsScript* Script() const { return FScript; }

 private:
  TfsScript* FScript;
};

using TfsRTTIModuleClass = TfsRTTIModule* (*)(TfsScript* Script);
// The process-wide module registry; the built-in routines module is first.
std::vector<TfsRTTIModuleClass>& RTTIModuleClasses();
void fsRegisterRTTIModule(TfsRTTIModuleClass Module);
void fsUnregisterRTTIModule(TfsRTTIModuleClass Module);

// ---------------------------------------------------------------------------
// The script host

class TfsScript : public TComponent {
  TOVANI_CLASS(TfsScript, TComponent)
 public:
  explicit TfsScript(TComponent* AOwner = nullptr);
  ~TfsScript() override;

  // Item table: names compare without regard to case; the newest entry of
  // a name hides the older ones. The table owns its objects. Entries keep
  // the order they were added in; a hash index finds names, so that adding
  // and finding stay cheap however many items a script declares.
  void Add(const String& Name, TObject* Item);
  void Remove(TObject* Item);
  Integer Count() const { return Integer(FItems.size()); }
  TObject* Items(Integer Index) const { return FItems[size_t(Index)].Obj; }
  // Changes whenever an entry is added or removed (for caches of entries).
  unsigned TableVersion() const { return FTableVersion; }
  TfsCustomVariable* FindLocal(const String& Name) const;
  TfsCustomVariable* Find(const String& Name) const;
  TfsClassVariable* FindClass(const String& Name) const;
  TfsVarType TypeOf(const String& TypeName) const;

  void Clear();
  void RemoveItems(const void* Owner);
  void ClearItems(const void* Owner);
  void ClearRTTI();
  void AddRTTI();

  // Compile errors are recorded in ErrorText/ErrorLocation/ErrorUnitName,
  // never raised (only an unknown language is raised).
  bool Compile();
  void Execute();
  Variant CallFunction(const String& Name, const Variant& Params);
  Variant CallFunctionVarParams(const String& Name, Variant& Params);
  void Terminate();
  void DoRunLine(const String& UnitName, const String& SourcePos);
  void SetVariable(const String& Name, const Variant& Value);

  // Registration.
  virtual TfsClassVariable* AddClass(TClass AClass, const String& Ancestor);
  virtual void AddConst(const String& Name, const String& Typ, const Variant& Value);
  virtual void AddEnum(const String& Typ, const String& Names);
  virtual void AddEnumSet(const String& Typ, const String& Names);
  virtual void AddForm(TComponent* Form);
  virtual void AddComponent(TComponent* Form);
  virtual void AddMethod(const String& Syntax, const TfsCallerMethodHandler& Handler,
                         const String& Category = String(), const String& Description = String());
  virtual void AddMethodOldStyle(const String& Syntax, const TfsArrayMethodHandler& Handler,
                                 const String& Category = String(), const String& Description = String());
  virtual void AddObject(const String& Name, TObject* Obj);
  virtual void AddVariable(const String& Name, const String& Typ, const Variant& Value);
  virtual void AddType(const String& TypeName, TfsVarType Typ);

  TStrings* Lines() const { return FLines; }
  void SetLines(TStrings* Value);
  const String& SyntaxType() const { return FSyntaxType; }
  void SetSyntaxType(const String& Value) { FSyntaxType = Value; }
  TfsScript* Parent() const { return FParent; }
  void SetParent(TfsScript* Value) { FParent = Value; }
  TfsStatement* Statement() const { return FStatement; }
  TStrings* IncludePath() const { return FIncludePath; }

  TfsGetUnitEvent OnGetILUnit;
  TfsGetUnitEvent OnGetUnit;
  TfsRunLineEvent OnRunLine;
  TfsGetVariableValueEvent OnGetVarValue;

  String ErrorText, ErrorLocation, ErrorUnitName;
  const void* AddedBy = nullptr;
  bool ExtendedCharset = false;
  bool IsMainProgram = false;
  TfsScript* ProgramRunning = nullptr;
  bool IsRunning = false;
  // Break, continue, exit and terminated signals of the running statements.
  bool BreakFlag = false, ContinueFlag = false, ExitFlag = false, Terminated = false;

  // Statement lines per unit: "3,5,9," (each line once).
  void RecordStatementLine(const String& UnitName, const String& SourcePos);
  String StatementLines(const String& UnitName) const;

 private:
  struct Entry {
    String Key;   // upper-case name
    TObject* Obj;
  };
  void TerminateAll(TfsScript* Script);
  // Takes every entry whose object Doomed accepts out of the table, then
  // frees those objects, the newest first.
  void DeleteWhere(const std::function<bool(TObject*)>& Doomed);
  void IndexEntry(const Entry& E);
  void RebuildIndex();

  std::vector<Entry> FItems;                        // in the order added
  std::unordered_map<String, TObject*> FIndex;      // upper-case name to its newest entry
  unsigned FTableVersion = 0;
  TfsScript* FParent = nullptr;
  TStrings* FLines;
  TStrings* FIncludePath;
  String FSyntaxType = "PascalScript";
  TfsStatement* FStatement;
  bool FRTTIAdded = false;
  std::map<String, std::pair<String, std::set<Integer>>> FStatementLines;
};

// Upper-cases ASCII letters (script names compare this way).
String fsUpperName(const String& S);
