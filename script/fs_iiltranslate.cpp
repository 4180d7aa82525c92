// Compiler translator: the intermediate program into variables, routines,
// statements, designators and expressions, with every semantic check.
#include <algorithm>
#include <memory>

#include "Streams.h"
#include "SysUtils.h"
#include "fs_iexpression.h"
#include "fs_iilparser.h"
#include "fs_iparser.h"
#include "fs_xml.h"

namespace {

// Compile errors of the translator; caught by IntermediateToObjects.
TOVANI_EXCEPTION(EfsCompileError, Exception)

String Lower(const String& s) {
  String r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return r;
}

String Quoted(const String& s) { return "'" + fsMessageText(s) + "'"; }

bool IsNamed(TfsXMLItem* item, const char* name) { return SameText(item->Name, name); }

// Largest Variant array a script may declare or create.
constexpr Int64 MaxArrayElements = 16 * 1024 * 1024;

}  // namespace

TOVANI_IMPLEMENT_CLASS(EfsCompileError, Exception)

void TfsILParser::Error(const String& Message) { throw EfsCompileError(Message); }

void TfsILParser::SetErrorPos(TfsXMLItem* Element) {
  String pos = Element->Prop("pos");
  if (!pos.empty()) FErrPos = pos;
}

void TfsILParser::IntermediateToObjects() {
  FWithList.clear();
  FTypesOf.clear();
  FProgram->ErrorUnitName.clear();
  FCurrentUnit.clear();
  try {
    BuildBlock(FILScript->Root(), FProgram);
    FProgram->ErrorLocation.clear();
  } catch (const std::exception& e) {
    String msg = e.what();
    FProgram->ErrorText = msg.empty() ? String("Compile error") : msg;
    FProgram->ErrorLocation = FErrPos;
    FProgram->ErrorUnitName = FCurrentUnit;
  }
}

TfsDesignator* TfsILParser::BuildLateDesignator(TfsXMLItem* Element, TfsScript* Prog) {
  FLateBinding = true;
  return BuildDesignator(Element, Prog, DesignatorMode::Plain);
}

// ---------------------------------------------------------------------------
// Blocks and routines

void TfsILParser::BuildBlock(TfsXMLItem* Element, TfsScript* Prog) {
  TfsXMLItem* saved = FCurrentBlock;
  FCurrentBlock = Element;
  try {
    DeclareRoutines(Element, Prog);
    BuildStatements(Element, Prog, Prog->Statement());
  } catch (...) {
    FCurrentBlock = saved;
    throw;
  }
  FCurrentBlock = saved;
}

void TfsILParser::DeclareRoutines(TfsXMLItem* Element, TfsScript* Prog) {
  for (Integer i = 0; i < Element->Count(); ++i) {
    TfsXMLItem* c = Element->Items(i);
    if (IsNamed(c, "procedure")) DeclareRoutine(c, Prog, false);
    else if (IsNamed(c, "function")) DeclareRoutine(c, Prog, true);
    else if (IsNamed(c, "compoundstmt")) DeclareRoutines(c, Prog);
  }
}

void TfsILParser::DeclareRoutine(TfsXMLItem* Element, TfsScript* Prog, bool IsFunction) {
  SetErrorPos(Element);
  String name, typeName;
  TfsVarType typ = fvtInt;
  bool isFunc = false;
  if (!IsFunction) {
    if (Element->Count() > 0) name = Element->Items(0)->Prop("text");
  } else {
    typ = fvtVariant;
    Integer t = Element->Find("type");
    if (t >= 0) {
      typeName = Element->Items(t)->Prop("text");
      SetErrorPos(Element->Items(t));
      String resolved = typeName;
      typ = ResolveTypeName(resolved);
    }
    Integer n = Element->Find("name");
    if (n >= 0) name = Element->Items(n)->Prop("text");
    isFunc = !SameText(typeName, "void");
  }
  CheckRedeclared(Prog, name);
  auto* proc = new TfsProcVariable(name, typ, typeName, Prog, isFunc);
  proc->SourcePos = Element->Prop("pos");
  proc->SourceUnit = FCurrentUnit;
  Prog->Add(name, proc);

  for (Integer i = 0; i < Element->Count(); ++i) {
    TfsXMLItem* params = Element->Items(i);
    if (!IsNamed(params, "parameters")) continue;
    bool byRefGroup = false;
    for (Integer j = 0; j < params->Count(); ++j) {
      TfsXMLItem* group = params->Items(j);
      if (IsNamed(group, "varparams")) {
        byRefGroup = true;
        continue;
      }
      if (!IsNamed(group, "var")) continue;
      bool byRefNext = false;
      for (Integer k = 0; k < group->Count(); ++k) {
        TfsXMLItem* c = group->Items(k);
        if (IsNamed(c, "varparam")) {
          byRefNext = true;
          continue;
        }
        if (!IsNamed(c, "ident")) continue;
        String pname = c->Prop("text");
        SetErrorPos(c);
        CheckRedeclared(proc->Prog(), pname);
        auto* param = static_cast<TfsParamItem*>(
            CreateVariable(group, proc->Prog(), byRefGroup || byRefNext, true, nullptr, pname));
        param->DefValue = param->ReadValue();
        proc->Add(param);
        proc->Prog()->Add(pname, param);
        byRefNext = false;
      }
      byRefGroup = false;
    }
  }
}

// ---------------------------------------------------------------------------
// Statements

void TfsILParser::BuildStatements(TfsXMLItem* Element, TfsScript* Prog, TfsStatement* List) {
  for (Integer i = 0; i < Element->Count(); ++i) BuildStatement(Element->Items(i), Prog, List);
}

void TfsILParser::BuildStatement(TfsXMLItem* Element, TfsScript* Prog, TfsStatement* List) {
  const String name = Lower(Element->Name);
  SetErrorPos(Element);
  const String pos = Element->Prop("pos");
  TfsStatement* built = nullptr;
  auto append = [&](TfsStatement* s) {
    List->Add(s);
    built = s;
  };
  auto expr = [&](TfsXMLItem* e) -> TfsCustomExpression* { return BuildExpression(e, Prog); };

  if (name == "assignstmt") {
    BuildAssignment(Element, Prog, List);
    FProgram->RecordStatementLine(FCurrentUnit, pos);
    return;
  } else if (name == "callstmt" || name == "delete") {
    auto stmt = std::make_unique<TfsCallStmt>(Prog, FCurrentUnit, pos);
    stmt->Designator = BuildDesignator(Element->Items(0), Prog,
                                       name == "delete" ? DesignatorMode::Delete : DesignatorMode::Plain);
    if (name == "callstmt" && Element->Count() > 1 && IsNamed(Element->Items(1), "modificator")) {
      stmt->Modificator = Element->Items(1)->Prop("text");
      SetErrorPos(Element);
      if (stmt->Designator->IsReadOnly) Error(SLeftCantAssigned);
    }
    append(stmt.release());
  } else if (name == "ifstmt") {
    auto stmt = std::make_unique<TfsIfStmt>(Prog, FCurrentUnit, pos);
    stmt->Condition = expr(Element->Items(0));
    for (Integer i = 1; i < Element->Count(); ++i) {
      TfsXMLItem* c = Element->Items(i);
      if (IsNamed(c, "thenstmt")) BuildStatements(c, Prog, stmt.get());
      else if (IsNamed(c, "elsestmt")) BuildStatements(c, Prog, stmt->ElseStmt);
    }
    append(stmt.release());
  } else if (name == "casestmt") {
    auto stmt = std::make_unique<TfsCaseStmt>(Prog, FCurrentUnit, pos);
    stmt->Condition = expr(Element->Items(0));
    for (Integer i = 1; i < Element->Count(); ++i) {
      TfsXMLItem* c = Element->Items(i);
      if (IsNamed(c, "caseselector")) {
        if (c->Count() != 2) continue;
        SetErrorPos(c);
        auto sel = std::make_unique<TfsCaseSelector>(Prog, FCurrentUnit, c->Prop("pos"));
        sel->SetExpression = BuildSetExpression(c->Items(0), Prog);
        BuildStatement(c->Items(1), Prog, sel.get());
        stmt->Add(sel.release());
      } else if (i == Element->Count() - 1) {
        BuildStatement(c, Prog, stmt->ElseStmt);
      }
    }
    append(stmt.release());
  } else if (name == "forstmt" || name == "vbforstmt") {
    BuildFor(Element, Prog, List, name == "vbforstmt");
    built = List->Items(List->Count() - 1);
  } else if (name == "cppforstmt") {
    auto stmt = std::make_unique<TfsCppForStmt>(Prog, FCurrentUnit, pos);
    if (Element->Count() > 0) BuildStatement(Element->Items(0), Prog, stmt->FirstStmt);
    if (Element->Count() > 1 && IsNamed(Element->Items(1), "expr")) stmt->Condition = expr(Element->Items(1));
    if (Element->Count() > 2) BuildStatement(Element->Items(2), Prog, stmt->SecondStmt);
    if (Element->Count() > 3) BuildStatement(Element->Items(3), Prog, stmt.get());
    append(stmt.release());
  } else if (name == "whilestmt") {
    auto stmt = std::make_unique<TfsWhileStmt>(Prog, FCurrentUnit, pos);
    stmt->Condition = expr(Element->Items(0));
    if (Element->Count() > 1) BuildStatement(Element->Items(1), Prog, stmt.get());
    append(stmt.release());
  } else if (name == "repeatstmt") {
    auto stmt = std::make_unique<TfsRepeatStmt>(Prog, FCurrentUnit, pos);
    Integer cond = Element->Count() - 1;
    if (cond >= 0 && IsNamed(Element->Items(cond), "inverse")) {
      stmt->InverseCondition = true;
      --cond;
    }
    if (cond < 0) Error(SIncompatibleTypes);
    for (Integer i = 0; i < cond; ++i) BuildStatement(Element->Items(i), Prog, stmt.get());
    stmt->Condition = expr(Element->Items(cond));
    append(stmt.release());
  } else if (name == "trystmt") {
    auto stmt = std::make_unique<TfsTryStmt>(Prog, FCurrentUnit, pos);
    for (Integer i = 0; i < Element->Count(); ++i) {
      TfsXMLItem* c = Element->Items(i);
      if (IsNamed(c, "exceptstmt")) {
        stmt->IsExcept = true;
        BuildStatements(c, Prog, stmt->ExceptStmt);
      } else if (IsNamed(c, "finallystmt")) {
        BuildStatements(c, Prog, stmt->ExceptStmt);
      } else {
        BuildStatement(c, Prog, stmt.get());
      }
    }
    append(stmt.release());
  } else if (name == "break") {
    append(new TfsBreakStmt(Prog, FCurrentUnit, pos));
  } else if (name == "continue") {
    append(new TfsContinueStmt(Prog, FCurrentUnit, pos));
  } else if (name == "exit") {
    append(new TfsExitStmt(Prog, FCurrentUnit, pos));
  } else if (name == "return") {
    if (Element->Count() == 1) {
      // return x: assign Result, then exit.
      TfsXMLItem value;
      value.CopyTree(Element->Items(0));
      TfsXMLItem assign;
      assign.Name = "assignstmt";
      assign.Text = Element->Text;
      TfsXMLItem* d = assign.Add();
      d->Name = "dsgn";
      d->SetProp("pos", value.Prop("pos"));
      TfsXMLItem* n = d->Add();
      n->Name = "node";
      n->SetProp("text", "Result");
      n->SetProp("pos", value.Prop("pos"));
      assign.Add()->CopyTree(&value);
      BuildAssignment(&assign, Prog, List);
    }
    append(new TfsExitStmt(Prog, FCurrentUnit, pos));
  } else if (name == "with") {
    BuildWith(Element, Prog, List);
    return;
  } else if (name == "compoundstmt") {
    BuildStatements(Element, Prog, List);
    return;
  } else if (name == "uses") {
    BuildUses(Element, Prog);
    return;
  } else if (name == "var") {
    BuildVar(Element, Prog, List);
    return;
  } else if (name == "const") {
    BuildConst(Element, Prog);
    return;
  } else if (name == "procedure" || name == "function") {
    String rname;
    if (name == "procedure") {
      rname = Element->Count() > 0 ? Element->Items(0)->Prop("text") : String();
    } else {
      Integer n = Element->Find("name");
      if (n >= 0) rname = Element->Items(n)->Prop("text");
    }
    auto* proc = dynamic_cast<TfsProcVariable*>(FindVariable(Prog, rname));
    if (proc) BuildBlock(Element, proc->Prog());
    return;
  } else {
    return;   // names, types, parameters, empty statements
  }
  if (built) FProgram->RecordStatementLine(FCurrentUnit, pos);
}

void TfsILParser::BuildAssignment(TfsXMLItem* Element, TfsScript* Prog, TfsStatement* List) {
  SetErrorPos(Element);
  const String pos = Element->Prop("pos");
  std::unique_ptr<TfsDesignator> d(BuildDesignator(Element->Items(0), Prog, DesignatorMode::Plain));
  char mod = ' ';
  TfsXMLItem* valueEl;
  if (Element->Count() > 2 && IsNamed(Element->Items(1), "modificator")) {
    String m = Element->Items(1)->Prop("text");
    mod = m.empty() ? ' ' : m[0];
    valueEl = Element->Items(2);
  } else {
    valueEl = Element->Items(1);
  }
  std::unique_ptr<TfsExpression> e(BuildExpression(valueEl, Prog));
  FErrPos = pos;
  if (d->IsReadOnly) Error(SLeftCantAssigned);
  CheckAssignable(d.get(), e.get());
  if (mod == ' ') mod = e->SelfReferenceToModifier(d.get());
  std::unique_ptr<TfsAssignmentStmt> stmt;
  switch (mod) {
    case '+': stmt = std::make_unique<TfsAssignPlusStmt>(Prog, FCurrentUnit, pos); break;
    case '-': stmt = std::make_unique<TfsAssignMinusStmt>(Prog, FCurrentUnit, pos); break;
    case '*': stmt = std::make_unique<TfsAssignMulStmt>(Prog, FCurrentUnit, pos); break;
    case '/': stmt = std::make_unique<TfsAssignDivStmt>(Prog, FCurrentUnit, pos); break;
    default: stmt = std::make_unique<TfsAssignmentStmt>(Prog, FCurrentUnit, pos);
  }
  stmt->Designator = d.release();
  stmt->Expression = e.release();
  stmt->BindDirect();
  List->Add(stmt.release());
}

void TfsILParser::BuildFor(TfsXMLItem* Element, TfsScript* Prog, TfsStatement* List, bool VbStyle) {
  const String pos = Element->Prop("pos");
  TfsXMLItem* ident = Element->Items(0);
  SetErrorPos(ident);
  TfsCustomVariable* var = FindVariable(Prog, ident->Prop("text"));
  if (!var->Is<TfsVariable>() || !(var->Typ == fvtInt || var->Typ == fvtFloat || var->Typ == fvtVariant))
    Error(SForError);
  Integer i = 1;
  auto next = [&]() -> TfsXMLItem* { return i < Element->Count() ? Element->Items(i++) : nullptr; };
  auto checked = [&](TfsXMLItem* e) -> TfsCustomExpression* {
    if (!e || !IsNamed(e, "expr")) Error(SIncompatibleTypes);
    std::unique_ptr<TfsExpression> x(BuildExpression(e, Prog));
    SetErrorPos(e);
    CheckAssignable(var, x.get());
    return x.release();
  };
  if (!VbStyle) {
    auto stmt = std::make_unique<TfsForStmt>(Prog, FCurrentUnit, pos);
    stmt->Variable = var;
    stmt->BeginValue = checked(next());
    TfsXMLItem* c = next();
    if (c && IsNamed(c, "downto")) {
      stmt->Down = true;
      c = next();
    }
    stmt->EndValue = checked(c);
    if (TfsXMLItem* body = next()) BuildStatement(body, Prog, stmt.get());
    List->Add(stmt.release());
  } else {
    auto stmt = std::make_unique<TfsVbForStmt>(Prog, FCurrentUnit, pos);
    stmt->Variable = var;
    stmt->BeginValue = checked(next());
    stmt->EndValue = checked(next());
    TfsXMLItem* c = next();
    if (c && IsNamed(c, "expr")) {
      stmt->Step = checked(c);
      c = next();
    }
    if (c) BuildStatement(c, Prog, stmt.get());
    List->Add(stmt.release());
  }
}

String TfsILParser::NextWithVariableName(TfsScript* Prog) {
  for (Integer n = 0;; ++n) {
    String name = "_WithList_" + IntToStr(n);
    if (Prog->FindLocal(name)) continue;
    bool used = false;
    for (const WithEntry& w : FWithList)
      if (SameText(w.Name, name)) used = true;
    if (!used) return name;
  }
}

void TfsILParser::BuildWith(TfsXMLItem* Element, TfsScript* Prog, TfsStatement* List) {
  const size_t opened = FWithList.size();
  try {
    for (Integer i = 0; i < Element->Count(); ++i) {
      TfsXMLItem* c = Element->Items(i);
      if (!IsNamed(c, "dsgn")) continue;
      SetErrorPos(c);
      std::unique_ptr<TfsDesignator> d(BuildDesignator(c, Prog, DesignatorMode::Plain));
      // Like every error about a name, this one points just behind the
      // (last) name of the designator.
      for (Integer k = c->Count(); k-- > 0;)
        if (IsNamed(c->Items(k), "node")) {
          SetErrorPos(c->Items(k));
          break;
        }
      if (d->Typ != fvtClass && d->Typ != fvtVariant) Error(SClassRequired);
      String name = NextWithVariableName(Prog);
      auto* var = new TfsVariable(name, d->Typ, d->TypeName);
      Prog->Add(name, var);
      auto* stmt = new TfsWithStmt(Prog, FCurrentUnit, c->Prop("pos"));
      stmt->Designator = d.release();
      stmt->Variable = var;
      List->Add(stmt);
      FProgram->RecordStatementLine(FCurrentUnit, c->Prop("pos"));
      FWithList.push_back({name, var});
    }
    // The statement (absent when it is empty) follows the designators.
    for (Integer i = 0; i < Element->Count(); ++i)
      if (!IsNamed(Element->Items(i), "dsgn")) BuildStatement(Element->Items(i), Prog, List);
  } catch (...) {
    FWithList.resize(opened);
    throw;
  }
  FWithList.resize(opened);
}

// ---------------------------------------------------------------------------
// Declarations

void TfsILParser::BuildVar(TfsXMLItem* Element, TfsScript* Prog, TfsStatement* List) {
  for (Integer i = 0; i < Element->Count(); ++i) {
    TfsXMLItem* c = Element->Items(i);
    if (!IsNamed(c, "ident")) continue;
    String name = c->Prop("text");
    SetErrorPos(c);
    CheckRedeclared(Prog, name);
    TfsCustomVariable* v = CreateVariable(Element, Prog, false, false, List, name);
    Prog->Add(name, v);
  }
}

TfsCustomVariable* TfsILParser::CreateVariable(TfsXMLItem* Element, TfsScript* Prog, bool ByRef, bool IsParam,
                                               TfsStatement* List, const String& Name) {
  const String entryPos = FErrPos;
  String typeName = "Variant";
  Integer typeIndex = Element->Find("type");
  if (typeIndex >= 0) {
    typeName = Element->Items(typeIndex)->Prop("text");
    SetErrorPos(Element->Items(typeIndex));
  }
  const bool typeFirst = typeIndex == 0;
  String resolved = typeName;
  TfsVarType kind = ResolveTypeName(resolved);

  Variant def;
  switch (kind) {
    case fvtBool: def = Variant(false); break;
    case fvtChar: case fvtString: def = Variant(String()); break;
    case fvtArray: case fvtVariant: case fvtEnum: case fvtConstructor: def = Variant::Null(); break;
    default: def = Variant(Integer(0));
  }

  // What follows the name's own ident child: its array type and initial value.
  TfsXMLItem* arrayEl = nullptr;
  TfsXMLItem* initEl = nullptr;
  {
    Integer i = 0;
    while (i < Element->Count() &&
           !(IsNamed(Element->Items(i), "ident") && SameText(Element->Items(i)->Prop("text"), Name)))
      ++i;
    for (++i; i < Element->Count(); ++i) {
      TfsXMLItem* c = Element->Items(i);
      if (typeFirst && IsNamed(c, "ident")) break;
      if (IsNamed(c, "array") && !arrayEl) arrayEl = c;
      if (IsNamed(c, "init") && !initEl) initEl = c;
    }
  }
  TfsArrayHelper* helper = nullptr;
  if (arrayEl) {
    Integer dims = 0;
    def = MakeArrayValue(arrayEl, Prog, dims);
    helper = new TfsArrayHelper(String(), dims, kind, typeName);
    Prog->Add(String(), helper);
    kind = fvtArray;
  }
  if (initEl && !List) {
    TfsXMLItem* valueEl = initEl->Count() > 0 ? initEl->Items(0) : nullptr;
    if (valueEl) {
      TfsVariable temp(String(), kind, typeName);
      std::unique_ptr<TfsExpression> e(BuildExpression(valueEl, Prog));
      CheckAssignable(&temp, e.get());
      def = e->ReadValue();
    }
  }

  std::unique_ptr<TfsCustomVariable> item;
  if (IsParam) item = std::make_unique<TfsParamItem>(Name, kind, typeName, initEl != nullptr, ByRef);
  else if (kind == fvtChar || kind == fvtString) item = std::make_unique<TfsStringVariable>(Name, kind, typeName);
  else item = std::make_unique<TfsVariable>(Name, kind, typeName);
  item->WriteValue(def);
  item->RefItem = helper;
  item->SourcePos = entryPos;
  item->SourceUnit = FCurrentUnit;
  item->OnGetVarValue = FProgram->OnGetVarValue;

  if (initEl && List && initEl->Count() > 0) {
    SetErrorPos(Element);
    auto stmt = std::make_unique<TfsAssignmentStmt>(Prog, FCurrentUnit, Element->Prop("pos"));
    stmt->Designator = MakeVariableDesignator(item.get(), Prog);
    stmt->Expression = BuildExpression(initEl->Items(0), Prog);
    SetErrorPos(Element);
    CheckAssignable(item.get(), stmt->Expression);
    stmt->BindDirect();
    List->Add(stmt.release());
  }
  return item.release();
}

Variant TfsILParser::MakeArrayValue(TfsXMLItem* ArrayElement, TfsScript* Prog, Integer& Dims) {
  std::vector<Integer> bounds;
  Int64 total = 1;
  for (Integer i = 0; i < ArrayElement->Count(); ++i) {
    TfsXMLItem* dim = ArrayElement->Items(i);
    if (!IsNamed(dim, "dim")) continue;
    SetErrorPos(dim);
    std::vector<Integer> values;
    for (Integer k = 0; k < dim->Count(); ++k) {
      if (!IsNamed(dim->Items(k), "expr")) continue;
      std::unique_ptr<TfsExpression> e(BuildExpression(dim->Items(k), Prog));
      values.push_back(e->ReadValue().AsInteger());
    }
    if (values.empty()) continue;
    Integer lo = values.size() > 1 ? values[0] : 0;
    Integer hi = values.size() > 1 ? values[1] : values[0] - 1;
    if (hi < lo - 1) Error("Invalid array bounds " + IntToStr(lo) + ".." + IntToStr(hi));
    total *= Int64(hi) - lo + 1;
    if (total > MaxArrayElements) Error("Array too large");
    bounds.push_back(lo);
    bounds.push_back(hi);
  }
  if (bounds.empty()) bounds = {0, 0};
  Dims = Integer(bounds.size() / 2);
  return VarArrayCreate(bounds, varVariant);
}

void TfsILParser::BuildConst(TfsXMLItem* Element, TfsScript* Prog) {
  if (Element->Count() < 2) return;
  String name = Element->Items(0)->Prop("text");
  SetErrorPos(Element->Items(0));
  CheckRedeclared(Prog, name);
  std::unique_ptr<TfsExpression> e(BuildExpression(Element->Items(1), Prog));
  auto* v = new TfsVariable(name, e->Typ, e->TypeName);
  try {
    v->WriteValue(e->ReadValue());
  } catch (...) {
    delete v;
    throw;
  }
  v->IsReadOnly = true;
  v->SourcePos = Element->Items(0)->Prop("pos");
  v->SourceUnit = FCurrentUnit;
  Prog->Add(name, v);
}

void TfsILParser::BuildUses(TfsXMLItem* Element, TfsScript* Prog) {
  const String saved = FCurrentUnit;
  FCurrentUnit = Element->Prop("unit");
  String il;
  if (FProgram->OnGetILUnit) FProgram->OnGetILUnit(FProgram, FCurrentUnit, il);
  if (!il.empty()) {
    TfsXMLDocument doc;
    TStringStream stream(il);
    doc.LoadFromStream(&stream);
    BuildBlock(doc.Root(), Prog);
  } else {
    for (Integer i = 0; i < Element->Count(); ++i) BuildBlock(Element->Items(i), Prog);
  }
  FCurrentUnit = saved;
}

// ---------------------------------------------------------------------------
// Names and types

TfsVarType TfsILParser::ResolveTypeName(String& TypeName) {
  String lookup = TypeName;
  auto mapIn = [&](TfsXMLItem* block) -> bool {
    if (!block) return false;
    // A block may have thousands of declarations: its type map is looked
    // up once, not once per declaration.
    auto cached = FTypesOf.find(block);
    if (cached == FTypesOf.end()) {
      Integer t = block->Find("types");
      cached = FTypesOf.emplace(block, t < 0 ? nullptr : block->Items(t)).first;
    }
    TfsXMLItem* types = cached->second;
    if (!types) return false;
    Integer m = types->Find(TypeName);
    if (m < 0) return false;
    lookup = types->Items(m)->Prop("type");
    return true;
  };
  if (!mapIn(FCurrentBlock) && !mapIn(FILScript->Root())) mapIn(FGrammarRoot);
  TfsVarType kind = FProgram->TypeOf(lookup);
  if (kind == fvtClass) RequireClass(lookup);
  return kind;
}

TfsClassVariable* TfsILParser::RequireClass(const String& Name) {
  TfsClassVariable* cls = FProgram->FindClass(Name);
  if (!cls) Error(SUnknownType + Quoted(Name));
  return cls;
}

TfsCustomVariable* TfsILParser::FindVariable(TfsScript* Prog, const String& Name) {
  if (TfsCustomVariable* v = Prog->Find(Name)) return v;
  if (FNeedDeclareVars) Error(SIdUndeclared + Quoted(Name));
  auto* v = new TfsVariable(Name, fvtVariant, String());
  v->OnGetVarValue = FProgram->OnGetVarValue;
  FProgram->Add(Name, v);
  return v;
}

void TfsILParser::CheckRedeclared(TfsScript* Prog, const String& Name) {
  if (Prog->FindLocal(Name)) Error(SIdRedeclared + Quoted(Name));
}

void TfsILParser::CheckAssignable(TfsCustomVariable* Item, TfsCustomVariable* Expr) {
  if (!AssignmentCompatible(Item, Expr, FProgram))
    Error(SIncompatibleTypes + ": " + Quoted(Item->KindName()) + ", " + Quoted(Expr->KindName()));
}

TfsDesignator* TfsILParser::MakeVariableDesignator(TfsCustomVariable* Var, TfsScript* Prog) {
  auto* d = new TfsVariableDesignator(Prog);
  auto* step = new TfsDesignatorItem;
  step->Ref = Var;
  d->Add(step);
  d->SettleKind();
  return d;
}

// ---------------------------------------------------------------------------
// Expressions

String TfsILParser::SourceOf(TfsXMLItem* Element) {
  String p0 = Element->Prop("pos"), p1 = Element->Prop("pos1");
  if (p0.empty() || p1.empty()) return String();
  TfsParser* parser = FParser.get();
  if (!FCurrentUnit.empty()) {
    auto text = UnitTexts.find(fsUpperName(FCurrentUnit));
    if (text == UnitTexts.end()) return String();
    auto& cached = FUnitParsers[text->first];
    if (!cached) {
      cached = std::make_unique<TfsParser>();
      cached->SetSourceText(text->second);
    }
    parser = cached.get();
  }
  Integer l0, c0, l1, c1;
  ParseLineColumn(p0, l0, c0);
  ParseLineColumn(p1, l1, c1);
  Integer a = parser->OffsetOfLineColumn(c0, l0), b = parser->OffsetOfLineColumn(c1, l1);
  if (a < 1 || b < a || b - 1 > parser->Size() + 1) return String();
  return parser->SourceText().substr(size_t(a - 1), size_t(b - a));
}

void TfsILParser::AddExpressionItems(TfsExpression* Expr, TfsXMLItem* Element, TfsScript* Prog) {
  const Integer n = Element->Count();
  for (Integer i = 0; i < n; ++i) {
    TfsXMLItem* c = Element->Items(i);
    SetErrorPos(c);
    Expr->CurSourcePos = c->Prop("pos");
    const String name = Lower(c->Name);
    if (name == "op") {
      String op = Lower(c->Prop("text"));
      if (op != ")" && i == n - 1) continue;
      Expr->AddOperator(op);
    } else if (name == "number" || name == "string") {
      Expr->AddConst(LiteralToVariant(c->Prop("text")));
    } else if (name == "dsgn") {
      Expr->AddDesignator(BuildDesignator(c, Prog, DesignatorMode::Plain));
    } else if (name == "set") {
      Expr->AddSet(BuildSetExpression(c, Prog));
    } else if (name == "new") {
      if (c->Count() > 0) Expr->AddDesignator(BuildDesignator(c->Items(0), Prog, DesignatorMode::New));
    } else if (name == "expr") {
      AddExpressionItems(Expr, c, Prog);
    }
  }
}

TfsExpression* TfsILParser::BuildExpression(TfsXMLItem* Element, TfsScript* Prog) {
  auto e = std::make_unique<TfsExpression>(FProgram);
  e->SourcePos = Element->Prop("pos");
  SetErrorPos(Element);
  AddExpressionItems(e.get(), Element, Prog);
  e->Source = SourceOf(Element);
  String bad = e->Finalize();
  if (!bad.empty()) {
    FErrPos = bad;
    Error(SIncompatibleTypes);
  }
  return e.release();
}

TfsSetExpression* TfsILParser::BuildSetExpression(TfsXMLItem* Element, TfsScript* Prog) {
  auto s = std::make_unique<TfsSetExpression>();
  for (Integer i = 0; i < Element->Count(); ++i) {
    TfsXMLItem* c = Element->Items(i);
    if (IsNamed(c, "expr")) s->Add(BuildExpression(c, Prog));
    else if (IsNamed(c, "range")) s->Add(nullptr);
  }
  return s.release();
}

// ---------------------------------------------------------------------------
// Designators

bool TfsILParser::ResolveWithMember(const String& Name, TfsDesignator* D, TfsXMLItem* Element, TfsScript* Prog,
                                    bool& Deferred) {
  Deferred = false;
  for (auto it = FWithList.rbegin(); it != FWithList.rend(); ++it) {
    if (Prog->FindLocal(it->Name) != it->Var) continue;
    TfsDesignatorItem* step = D->Items(D->Count() - 1);
    if (it->Var->Typ == fvtVariant) {
      if (Prog->Find(Name)) return false;
      step->Ref = it->Var;
      D->SettleKind();
      TfsXMLItem copy;
      copy.CopyTree(Element);
      auto* node = new TfsXMLItem;
      node->Name = "node";
      node->SetProp("text", it->Name);
      node->SetProp("pos", step->SourcePos);
      copy.InsertItem(0, node);
      D->SetLateBinding(&copy);
      Deferred = true;
      return true;
    }
    TfsClassVariable* cls = RequireClass(it->Var->TypeName);
    TfsCustomHelper* m = cls->FindMember(Name);
    if (!m) continue;
    step->Ref = m;
    auto* first = new TfsDesignatorItem;
    first->Ref = it->Var;
    first->SourcePos = step->SourcePos;
    D->Insert(D->Count() - 1, first);
    return true;
  }
  return false;
}

void TfsILParser::BuildOLEChain(TfsDesignator* D, TfsXMLItem* Element, Integer From, TfsScript* Prog) {
  for (Integer i = From; i < Element->Count(); ++i) {
    TfsXMLItem* c = Element->Items(i);
    SetErrorPos(c);
    if (IsNamed(c, "node")) {
      String t = c->Prop("text");
      if (t == "[") continue;
      auto* helper = new TfsOLEHelper(t);
      Prog->Add(String(), helper);
      auto* step = new TfsDesignatorItem;
      step->Ref = helper;
      step->SourcePos = c->Prop("pos");
      D->Add(step);
    } else if (IsNamed(c, "expr") && D->Count() > 0) {
      TfsDesignatorItem* last = D->Items(D->Count() - 1);
      last->Add(BuildExpression(c, Prog));
      last->Ref->Add(new TfsParamItem(String(), fvtVariant, String(), false, false));
    }
  }
}

TfsDesignator* TfsILParser::BuildDesignator(TfsXMLItem* Element, TfsScript* Prog, DesignatorMode Mode) {
  auto d = std::make_unique<TfsDesignator>(Prog);
  SetErrorPos(Element);
  const Integer n = Element->Count();
  for (Integer i = 0; i < n; ++i) {
    TfsXMLItem* c = Element->Items(i);
    SetErrorPos(c);
    const String cname = Lower(c->Name);
    if (cname == "node") {
      const String t = c->Prop("text");
      auto* step = new TfsDesignatorItem;
      step->SourcePos = c->Prop("pos");
      d->Add(step);
      if (d->Count() == 1) {
        bool deferred = false;
        if (!ResolveWithMember(t, d.get(), Element, Prog, deferred)) step->Ref = FindVariable(Prog, t);
        if (deferred) return d.release();
        if (Mode == DesignatorMode::New) {
          auto* cls = dynamic_cast<TfsClassVariable*>(step->Ref);
          if (!cls) Error(SClassRequired);
          TfsCustomHelper* create = cls->FindMember("Create");
          if (!create) Error(SIdUndeclared + Quoted("Create"));
          auto* ctor = new TfsDesignatorItem;
          ctor->Ref = create;
          ctor->SourcePos = step->SourcePos;
          d->Add(ctor);
        }
        continue;
      }
      TfsDesignatorItem* prevStep = d->Items(d->Count() - 2);
      TfsCustomVariable* P = prevStep->Ref;
      auto* method = dynamic_cast<TfsMethodHelper*>(P);
      const bool indexPending = method && method->IndexMethod && !prevStep->Flag;
      TfsVarType kind = P->Typ;
      String typeName = P->TypeName;
      if (kind == fvtVariant && !indexPending) {
        // The value the item holds now decides what the member means. Only
        // items that hold values are read while compiling; a routine or a
        // member is not run then: its chain is bound when first evaluated,
        // from the value the chain up to it gives at that moment.
        Variant v = Variant::Null();
        if (P->Is<TfsVariable>() || P->Is<TfsParamItem>() || P->Is<TfsComponentHelper>()) {
          v = P->ReadValue();
        } else if (FLateBinding) {
          d->Remove(step);
          CheckArguments(d.get(), Prog);
          v = d->CalculateChain(Variant(), false);
          d->Add(step);
        }
        if (v.IsNull() || v.IsEmpty()) {
          if (FLateBinding) Error("Cannot read " + Quoted(t) + " of a Null value");
          d->Remove(step);
          delete step;
          d->SettleKind();
          d->SetLateBinding(Element);
          return d.release();
        }
        if (VarIsStr(v)) {
          kind = fvtString;
        } else if (v.Kind() == varDispatch || v.Kind() == varUnknown || fsIsAutomationObject(v)) {
          d->Remove(step);
          delete step;
          BuildOLEChain(d.get(), Element, i, Prog);
          d->SettleKind();
          return d.release();
        } else if (v.IsArray()) {
          if (t != "[") Error(SIndexRequired);
          step->Ref = FindVariable(Prog, "__ArrayHelper");
          continue;
        } else {
          TObject* obj = fsVariantToObject(v);
          if (!obj) Error("Cannot read " + Quoted(t) + " of nil");
          typeName = obj->ClassName();
          kind = fvtClass;
        }
      }
      if (indexPending) {
        prevStep->Flag = true;
        d->Remove(step);
        delete step;
        FErrPos = prevStep->SourcePos;
        if (t != "[") Error(SIndexRequired);
        continue;
      }
      if (kind == fvtString) {
        if (t != "[") Error(SStringError);
        step->Ref = FindVariable(Prog, "__StringHelper");
      } else if (kind == fvtClass) {
        TfsClassVariable* cls = RequireClass(typeName);
        if (t != "[") {
          if (TfsCustomHelper* m = cls->FindMember(t)) {
            step->Ref = m;
          } else {
            // An owned component of a component value, found by name.
            TComponent* owned = nullptr;
            if (P->Is<TfsVariable>() || P->Is<TfsComponentHelper>()) {
              TObject* obj = fsVariantToObject(P->ReadValue());
              if (auto* comp = dynamic_cast<TComponent*>(obj)) owned = comp->FindComponent(t);
            }
            if (!owned) Error(SIdUndeclared + Quoted(t));
            auto* holder = new TfsVariable(String(), fvtClass, owned->ClassName());
            holder->StoredValue() = fsObjectToVariant(owned);
            Prog->Add(String(), holder);
            step->Ref = holder;
          }
        } else {
          step->Flag = true;
          if (!cls->DefProperty) Error(Format(SClassError, {fsMessageText(typeName)}));
          step->Ref = cls->DefProperty;
        }
      } else {
        if (kind != fvtArray || !P->RefItem) Error(SArrayRequired);
        step->Ref = P->RefItem;
      }
    } else if (cname == "expr") {
      if (d->Count() == 0) continue;
      d->Items(d->Count() - 1)->Add(BuildExpression(c, Prog));
    } else if (cname == "addr") {
      if (n != 2) Error(SVarRequired);
      auto* s = new TfsStringVariable(String(), fvtString, "String");
      s->WriteValue(Variant(Element->Items(1)->Prop("text")));
      Prog->Add(String(), s);
      auto* step = new TfsDesignatorItem;
      step->Ref = s;
      step->SourcePos = c->Prop("pos");
      d->Add(step);
      break;
    }
  }
  if (d->Count() == 0) Error(SVarRequired);
  if (Mode == DesignatorMode::Delete) {
    TfsCustomVariable* last = d->Items(d->Count() - 1)->Ref;
    if (last->Typ != fvtClass && last->Typ != fvtVariant) Error(SClassRequired);
    TfsCustomHelper* m = RequireClass("TObject")->FindMember("Free");
    if (!m) Error(SIdUndeclared + Quoted("Free"));
    auto* step = new TfsDesignatorItem;
    step->Ref = m;
    d->Add(step);
  }
  d->SettleKind();
  std::unique_ptr<TfsDesignator> result;
  switch (d->Kind()) {
    case dkVariable: result = std::make_unique<TfsVariableDesignator>(Prog); break;
    case dkStringArray: result = std::make_unique<TfsStringDesignator>(Prog); break;
    case dkArray: result = std::make_unique<TfsArrayDesignator>(Prog); break;
    default: break;
  }
  if (result) {
    result->AdoptFrom(d.get());
    d = std::move(result);
  }
  CheckArguments(d.get(), Prog);
  return d.release();
}

void TfsILParser::CheckArguments(TfsDesignator* D, TfsScript* Prog) {
  (void)Prog;
  for (Integer i = 0; i < D->Count(); ++i) {
    TfsDesignatorItem* step = D->Items(i);
    TfsCustomVariable* r = step->Ref;
    if (!r || r->Is<TfsDesignator>()) continue;
    FErrPos = step->SourcePos;
    if (step->Count() < r->RequiredParamCount()) Error(SNotEnoughParams);
    if (step->Count() > r->ParamCount()) Error(STooManyParams);
    for (Integer k = step->Count(); k < r->ParamCount(); ++k) {
      auto e = std::make_unique<TfsExpression>(FProgram);
      e->AddConst(r->Params(k)->DefValue);
      e->Finalize();
      step->Add(e.release());
    }
    for (Integer k = 0; k < step->Count(); ++k) {
      TfsCustomExpression* arg = step->Args(k);
      if (!arg->SourcePos.empty()) FErrPos = arg->SourcePos;
      CheckAssignable(r->Params(k), arg);
    }
  }
}
