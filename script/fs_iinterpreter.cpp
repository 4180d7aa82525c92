// The script host: item table, registration, compiling and running.
#include "fs_iinterpreter.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>

#include "Strings.h"
#include "SysUtils.h"
#include "fs_iilparser.h"
#include "fs_isysrtti.h"

TOVANI_IMPLEMENT_CLASS(TfsRTTIModule, TObject)
TOVANI_IMPLEMENT_CLASS(TfsScript, TComponent)

TOVANI_PUBLISHED(TfsScript) {
  Property("Lines", &TfsScript::Lines, &TfsScript::SetLines);
  Property("SyntaxType", &TfsScript::SyntaxType, &TfsScript::SetSyntaxType);
}

// ---------------------------------------------------------------------------
// Native stack

namespace {
// What must stay free below the deepest check: unwinding, the error
// message, the host's handler, and host routines (text formatting,
// collation) called between two checks.
constexpr uintptr_t StackReserve = 128 * 1024;
}  // namespace

void fsMeasureStack() {
  char probe;
  const auto here = reinterpret_cast<uintptr_t>(&probe);
  const TEB* teb = NtCurrentTeb();
  const auto bottom = reinterpret_cast<uintptr_t>(teb->DeallocationStack);
  const auto top = reinterpret_cast<uintptr_t>(teb->Tib.StackBase);
  if (bottom < here && here <= top) {
    // Small stacks (threads made with a little one) keep a quarter free.
    fsStackFloor = bottom + std::min(StackReserve, (top - bottom) / 4);
  } else {
    // Not on the stack the system knows for this thread: only the limit
    // on nested routine calls guards it.
    fsStackFloor = 0;
  }
}

void fsStackFloorPassed() {
  char probe;
  fsMeasureStack();
  if (reinterpret_cast<uintptr_t>(&probe) < fsStackFloor) throw EfsScriptError("Stack overflow");
}

// ---------------------------------------------------------------------------
// Module registry

std::vector<TfsRTTIModuleClass>& RTTIModuleClasses() {
  static std::vector<TfsRTTIModuleClass> modules{&TfsSysFunctions::CreateModule};
  return modules;
}

void fsRegisterRTTIModule(TfsRTTIModuleClass Module) {
  auto& m = RTTIModuleClasses();
  if (std::find(m.begin(), m.end(), Module) == m.end()) m.push_back(Module);
}

void fsUnregisterRTTIModule(TfsRTTIModuleClass Module) {
  auto& m = RTTIModuleClasses();
  m.erase(std::remove(m.begin(), m.end(), Module), m.end());
}

// ---------------------------------------------------------------------------
// TfsScript

TfsScript::TfsScript(TComponent* AOwner)
    : TComponent(AOwner), FLines(new TStringList), FIncludePath(new TStringList) {
  FIncludePath->Add(String());
  FStatement = new TfsStatement(this, String(), String());
}

TfsScript::~TfsScript() {
  // Items first: script procedures and event adapters refer to statements
  // and programs that must still exist while they go.
  delete FStatement;
  FStatement = nullptr;
  std::vector<Entry> items;
  items.swap(FItems);
  FIndex.clear();
  for (auto it = items.rbegin(); it != items.rend(); ++it) delete it->Obj;
  delete FLines;
  delete FIncludePath;
}

void TfsScript::IndexEntry(const Entry& E) { FIndex[E.Key] = E.Obj; }

void TfsScript::RebuildIndex() {
  FIndex.clear();
  for (const Entry& e : FItems) IndexEntry(e);
}

void TfsScript::Add(const String& Name, TObject* Item) {
  FItems.push_back(Entry{fsUpperName(Name), Item});
  IndexEntry(FItems.back());
  ++FTableVersion;
  if (auto* v = dynamic_cast<TfsCustomVariable*>(Item)) v->AddedBy = AddedBy;
}

void TfsScript::Remove(TObject* Item) {
  // Items leave mostly soon after they came: search from the newest.
  for (size_t i = FItems.size(); i-- > 0;)
    if (FItems[i].Obj == Item) {
      String key = std::move(FItems[i].Key);
      FItems.erase(FItems.begin() + std::ptrdiff_t(i));
      ++FTableVersion;
      auto it = FIndex.find(key);
      if (it != FIndex.end() && it->second == Item) {
        // The next newest entry of the name becomes visible again.
        FIndex.erase(it);
        for (size_t j = FItems.size(); j-- > 0;)
          if (FItems[j].Key == key) {
            IndexEntry(FItems[j]);
            break;
          }
      }
      return;
    }
}

void TfsScript::DeleteWhere(const std::function<bool(TObject*)>& Doomed) {
  std::vector<TObject*> doomed;
  size_t kept = 0;
  for (size_t i = 0; i < FItems.size(); ++i) {
    if (Doomed(FItems[i].Obj)) doomed.push_back(FItems[i].Obj);
    else if (kept++ != i) FItems[kept - 1] = std::move(FItems[i]);
  }
  if (doomed.empty()) return;
  FItems.resize(kept);
  RebuildIndex();
  ++FTableVersion;
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) delete *it;
}

TfsCustomVariable* TfsScript::FindLocal(const String& Name) const {
  auto it = FIndex.find(fsUpperName(Name));
  return it == FIndex.end() ? nullptr : dynamic_cast<TfsCustomVariable*>(it->second);
}

TfsCustomVariable* TfsScript::Find(const String& Name) const {
  for (const TfsScript* s = this; s; s = s->FParent)
    if (TfsCustomVariable* v = s->FindLocal(Name)) return v;
  return nullptr;
}

TfsClassVariable* TfsScript::FindClass(const String& Name) const {
  return dynamic_cast<TfsClassVariable*>(Find(Name));
}

TfsVarType TfsScript::TypeOf(const String& TypeName) const {
  if (TypeName.empty()) return fvtClass;
  TfsCustomVariable* v = Find(TypeName);
  return v ? v->Typ : fvtClass;
}

void TfsScript::Clear() {
  DeleteWhere([](TObject* o) {
    if (o->Is<TfsRTTIModule>()) return false;
    auto* v = dynamic_cast<TfsCustomVariable*>(o);
    return !(v && v->AddedBy == fsRTTIStamp);
  });
  FStatement->Clear();
  FStatementLines.clear();
  ErrorText.clear();
  ErrorLocation.clear();
  ErrorUnitName.clear();
}

void TfsScript::RemoveItems(const void* Owner) {
  DeleteWhere([Owner](TObject* o) {
    auto* v = dynamic_cast<TfsCustomVariable*>(o);
    return v && v->AddedBy == Owner;
  });
}

void TfsScript::ClearItems(const void* Owner) {
  RemoveItems(Owner);
  FStatement->Clear();
}

void TfsScript::ClearRTTI() {
  if (!FRTTIAdded) return;
  DeleteWhere([](TObject* o) {
    auto* v = dynamic_cast<TfsCustomVariable*>(o);
    return o->Is<TfsRTTIModule>() || (v && v->AddedBy == fsRTTIStamp);
  });
  FRTTIAdded = false;
}

void TfsScript::AddRTTI() {
  if (FRTTIAdded) return;
  AddedBy = fsRTTIStamp;
  try {
    for (TfsRTTIModuleClass make : RTTIModuleClasses()) Add(String(), make(this));
  } catch (...) {
    AddedBy = nullptr;
    throw;
  }
  AddedBy = nullptr;
  FRTTIAdded = true;
}

bool TfsScript::Compile() {
  ErrorText.clear();
  ErrorUnitName.clear();
  {
    TfsILParser parser(this);
    parser.LoadGrammar(FSyntaxType);
    if (parser.SourceToIntermediate(FLines->Text())) parser.IntermediateToObjects();
  }
  if (ErrorText.empty()) {
    ErrorLocation.clear();
    return true;
  }
  return false;
}

void TfsScript::Execute() {
  fsMeasureStack();
  // A break or continue outside any loop ends the statement list it is in;
  // its flag must not outlive the run.
  BreakFlag = ContinueFlag = ExitFlag = false;
  Terminated = false;
  IsRunning = true;
  IsMainProgram = true;
  try {
    FStatement->Execute();
  } catch (...) {
    BreakFlag = ContinueFlag = ExitFlag = Terminated = IsRunning = false;
    throw;
  }
  BreakFlag = ContinueFlag = ExitFlag = Terminated = IsRunning = false;
}

Variant TfsScript::CallFunction(const String& Name, const Variant& Params) {
  auto* proc = dynamic_cast<TfsProcVariable*>(FindLocal(Name));
  if (!proc) return Variant::Null();
  fsMeasureStack();
  if (Params.IsArray()) {
    Integer lo = Params.LowBound(), hi = Params.HighBound();
    if (hi - lo + 1 > proc->Count())
      throw EfsScriptError(STooManyParams + ": " + fsMessageText(proc->Name()) + " takes " + IntToStr(proc->Count()) +
                           " parameters, " + IntToStr(hi - lo + 1) + " given");
    for (Integer i = lo; i <= hi; ++i) proc->Params(i - lo)->WriteValue(Params.GetElement(i));
  }
  return proc->ReadValue();
}

Variant TfsScript::CallFunctionVarParams(const String& Name, Variant& Params) {
  Variant result = CallFunction(Name, Params);
  auto* proc = dynamic_cast<TfsProcVariable*>(FindLocal(Name));
  if (proc && Params.IsArray()) {
    Integer lo = Params.LowBound(), hi = Params.HighBound();
    for (Integer i = lo; i <= hi; ++i) Params.PutElement(i, proc->Params(i - lo)->ReadValue());
  }
  return result;
}

void TfsScript::TerminateAll(TfsScript* Script) {
  Script->ExitFlag = true;
  Script->Terminated = true;
  for (const Entry& e : Script->FItems)
    if (auto* proc = dynamic_cast<TfsProcVariable*>(e.Obj)) TerminateAll(proc->Prog());
}

void TfsScript::Terminate() { TerminateAll(this); }

void TfsScript::DoRunLine(const String& UnitName, const String& SourcePos) {
  for (TfsScript* s = this; s; s = s->FParent)
    if (s->OnRunLine) {
      s->OnRunLine(this, UnitName, SourcePos);
      return;
    }
}

void TfsScript::SetVariable(const String& Name, const Variant& Value) {
  if (TfsCustomVariable* v = Find(Name)) v->WriteValue(Value);
  else AddVariable(Name, "Variant", Value);
}

void TfsScript::SetLines(TStrings* Value) { FLines->Assign(Value); }

void TfsScript::RecordStatementLine(const String& UnitName, const String& SourcePos) {
  Integer line, column;
  ParseLineColumn(SourcePos, line, column);
  auto& rec = FStatementLines[fsUpperName(UnitName)];
  if (rec.second.insert(line).second) rec.first += IntToStr(line) + ",";
}

String TfsScript::StatementLines(const String& UnitName) const {
  auto it = FStatementLines.find(fsUpperName(UnitName));
  return it == FStatementLines.end() ? String() : it->second.first;
}

// ---------------------------------------------------------------------------
// Registration

TfsClassVariable* TfsScript::AddClass(TClass AClass, const String& Ancestor) {
  if (!AClass || Find(AClass->Name)) return nullptr;
  auto* cls = new TfsClassVariable(AClass, Ancestor);
  cls->Prog = this;
  Add(cls->Name(), cls);
  if (TfsClassVariable* anc = dynamic_cast<TfsClassVariable*>(Find(Ancestor)))
    cls->DefProperty = anc->DefProperty;
  return cls;
}

void TfsScript::AddConst(const String& Name, const String& Typ, const Variant& Value) {
  if (Find(Name)) return;
  auto* v = new TfsVariable(Name, TypeOf(Typ), Typ);
  v->WriteValue(Value);
  v->IsReadOnly = true;
  Add(Name, v);
}

void TfsScript::AddVariable(const String& Name, const String& Typ, const Variant& Value) {
  if (Find(Name)) return;
  auto* v = new TfsVariable(Name, TypeOf(Typ), Typ);
  v->WriteValue(Value);
  v->OnGetVarValue = OnGetVarValue;
  Add(Name, v);
}

void TfsScript::AddObject(const String& Name, TObject* Obj) {
  AddVariable(Name, Obj ? Obj->ClassName() : String("TObject"), fsObjectToVariant(Obj));
}

namespace {
std::vector<String> SplitNames(const String& Names) {
  std::vector<String> r;
  String cur;
  for (char c : Names) {
    if (c == ',' || c == ' ') {
      if (!cur.empty()) r.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) r.push_back(cur);
  return r;
}
}  // namespace

void TfsScript::AddEnum(const String& Typ, const String& Names) {
  Add(Typ, new TfsVariable(Typ, fvtEnum, Typ));
  Integer i = 0;
  for (const String& n : SplitNames(Names)) {
    auto* v = new TfsVariable(n, fvtEnum, Typ);
    v->StoredValue() = Variant(i++);
    v->IsReadOnly = true;
    Add(n, v);
  }
}

void TfsScript::AddEnumSet(const String& Typ, const String& Names) {
  Add(Typ, new TfsVariable(Typ, fvtEnum, Typ));
  Integer bit = 1;
  for (const String& n : SplitNames(Names)) {
    auto* v = new TfsVariable(n, fvtEnum, Typ);
    v->StoredValue() = Variant(bit);
    bit <<= 1;
    v->IsReadOnly = true;
    Add(n, v);
  }
}

void TfsScript::AddMethod(const String& Syntax, const TfsCallerMethodHandler& Handler, const String& Category,
                          const String& Description) {
  auto* m = new TfsMethodHelper(Syntax, this);
  m->OnCallCaller = Handler;
  m->Category = Category;
  m->Description = Description.empty() ? m->Name() : Description;
  Add(m->Name(), m);
}

void TfsScript::AddMethodOldStyle(const String& Syntax, const TfsArrayMethodHandler& Handler,
                                  const String& Category, const String& Description) {
  auto* m = new TfsMethodHelper(Syntax, this);
  m->OnCall = Handler;
  m->Category = Category;
  m->Description = Description.empty() ? m->Name() : Description;
  Add(m->Name(), m);
}

void TfsScript::AddType(const String& TypeName, TfsVarType Typ) {
  if (Find(TypeName)) return;
  Add(TypeName, new TfsTypeVariable(TypeName, Typ, String()));
}

void TfsScript::AddForm(TComponent* Form) {
  if (!Form) return;
  TfsClassVariable* cls = FindClass(Form->ClassName());
  if (!cls) {
    const char* ancestors[] = {"TForm", "TDataModule", "TFrame"};
    for (const char* a : ancestors) {
      TClass ac = FindClassInfo(a);
      if (ac && Form->InheritsFrom(ac)) {
        cls = AddClass(Form->ClassType(), a);
        break;
      }
    }
    if (!cls) return;
  }
  for (TComponent* c : Form->ComponentList()) cls->AddComponent(c);
  AddObject(Form->Name(), Form);
}

void TfsScript::AddComponent(TComponent* Form) { AddForm(Form); }
