// Script items: variables, parameters, script procedures, host classes and
// their members, designators and set expressions.
#include <algorithm>
#include <typeinfo>

#include "Strings.h"
#include "SysUtils.h"
#include "fs_iexpression.h"
#include "fs_iilparser.h"
#include "fs_iinterpreter.h"
#include "fs_xml.h"

TOVANI_IMPLEMENT_CLASS(EfsScriptError, Exception)
TOVANI_IMPLEMENT_CLASS(TfsItemList, TObject)
TOVANI_IMPLEMENT_CLASS(TfsCustomVariable, TfsItemList)
TOVANI_IMPLEMENT_CLASS(TfsVariable, TfsCustomVariable)
TOVANI_IMPLEMENT_CLASS(TfsStringVariable, TfsVariable)
TOVANI_IMPLEMENT_CLASS(TfsTypeVariable, TfsCustomVariable)
TOVANI_IMPLEMENT_CLASS(TfsParamItem, TfsCustomVariable)
TOVANI_IMPLEMENT_CLASS(TfsProcVariable, TfsCustomVariable)
TOVANI_IMPLEMENT_CLASS(TfsCustomExpression, TfsCustomVariable)
TOVANI_IMPLEMENT_CLASS(TfsCustomHelper, TfsCustomVariable)
TOVANI_IMPLEMENT_CLASS(TfsPropertyHelper, TfsCustomHelper)
TOVANI_IMPLEMENT_CLASS(TfsMethodHelper, TfsCustomHelper)
TOVANI_IMPLEMENT_CLASS(TfsComponentHelper, TfsCustomHelper)
TOVANI_IMPLEMENT_CLASS(TfsEventHelper, TfsCustomHelper)
TOVANI_IMPLEMENT_CLASS(TfsArrayHelper, TfsCustomHelper)
TOVANI_IMPLEMENT_CLASS(TfsStringHelper, TfsCustomHelper)
TOVANI_IMPLEMENT_CLASS(TfsOLEHelper, TfsCustomHelper)
TOVANI_IMPLEMENT_CLASS(TfsClassVariable, TfsCustomVariable)
TOVANI_IMPLEMENT_CLASS(TfsCustomEvent, TObject)
TOVANI_IMPLEMENT_CLASS(TfsDesignatorItem, TfsItemList)
TOVANI_IMPLEMENT_CLASS(TfsDesignator, TfsCustomVariable)
TOVANI_IMPLEMENT_CLASS(TfsVariableDesignator, TfsDesignator)
TOVANI_IMPLEMENT_CLASS(TfsStringDesignator, TfsDesignator)
TOVANI_IMPLEMENT_CLASS(TfsArrayDesignator, TfsDesignator)
TOVANI_IMPLEMENT_CLASS(TfsSetExpression, TfsCustomVariable)

String fsUpperName(const String& S) {
  String r = S;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  return r;
}

TObject* fsVariantToObject(const Variant& V) {
  switch (V.Kind()) {
    case varEmpty:
    case varNull:
      return nullptr;
    case varObject: {
      auto* obj = static_cast<TObject*>(V.AsObject());
      if (fsIsFreedScriptObject(obj)) throw EfsScriptError("The object has already been freed");
      return obj;
    }
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord:
    case varInt64:
      if (V.AsInt64() == 0) return nullptr;
      break;
    default:
      break;
  }
  // Scripts cannot make object references from numbers or texts.
  throw EfsScriptError("Object reference expected, got " + fsMessageText(VarToStr(V)));
}

void fsCheckStringSize(size_t Size) {
  if (Size > fsMaxStringSize)
    throw EfsScriptError("String too long: a script's strings hold at most " + IntToStr(Int64(fsMaxStringSize)) +
                         " bytes");
}

namespace {
// Two texts joined, refused before the join when too long.
Variant Joined(String L, const String& R) {
  fsCheckStringSize(L.size() + R.size());
  L += R;
  return Variant(std::move(L));
}
// A string result of another kind of "+" (a text and a number), checked.
Variant Checked(Variant V) {
  if (V.VType() == varString) fsCheckStringSize(V.AsString().size());
  return V;
}
}  // namespace

Variant fsAdd(const Variant& L, const Variant& R) {
  if (L.VType() == varString && R.VType() == varString) return Joined(L.AsString(), R.AsString());
  return Checked(L + R);
}

Variant fsStrCat(const Variant& L, const Variant& R) {
  if (L.Kind() == varString) return Joined(VarToStr(L), VarToStr(R));
  return Checked(L + R);
}

namespace {

// Character position check shared by the string helper and designator.
void CheckCharIndex(Integer index, const String& s) {
  if (index < 1 || index > Integer(s.size()))
    throw EfsScriptError("Character index " + IntToStr(index) + " out of range (1.." + IntToStr(Integer(s.size())) +
                         ")");
}

String FirstChar(const Variant& v) {
  String t = VarToStr(v);
  return t.empty() ? String() : t.substr(0, 1);
}

}  // namespace

// ---------------------------------------------------------------------------
// TfsItemList

TfsItemList::~TfsItemList() { TfsItemList::Clear(); }

void TfsItemList::Clear() {
  std::vector<TObject*> items;
  items.swap(FItems);
  for (TObject* o : items) delete o;
}

Integer TfsItemList::Add(TObject* Item) {
  FItems.push_back(Item);
  return Integer(FItems.size() - 1);
}

void TfsItemList::Insert(Integer Index, TObject* Item) { FItems.insert(FItems.begin() + Index, Item); }

void TfsItemList::Remove(TObject* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it != FItems.end()) FItems.erase(it);
}

// ---------------------------------------------------------------------------
// TfsCustomVariable

TfsCustomVariable::TfsCustomVariable(const String& AName, TfsVarType ATyp, const String& ATypeName)
    : Typ(ATyp), TypeName(ATypeName), FName(AName), FUpperName(fsUpperName(AName)) {
  FValue = Variant::Null();
}

uint8_t TfsCustomVariable::ClassifyAccess() const {
  // The exact C++ class: helper classes of the engine that declare no
  // class-registry entry of their own still override the value access.
  const std::type_info& t = typeid(*this);
  if (t == typeid(TfsParamItem) || t == typeid(TfsCustomVariable)) return acPlain;
  if (t == typeid(TfsVariable)) return acVariable;
  return acVirtual;
}

void TfsCustomVariable::WriteValue(const Variant& Value) {
  if (!IsReadOnly) FValue = Value;
}

Variant TfsCustomVariable::ReadValue() { return FValue; }

TfsParamItem* TfsCustomVariable::Params(Integer Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
  return static_cast<TfsParamItem*>(Get(Index));
}

Integer TfsCustomVariable::RequiredParamCount() const {
  Integer n = 0;
  for (Integer i = 0; i < Count(); ++i)
    if (!static_cast<TfsParamItem*>(Get(i))->IsOptional) ++n;
  return n;
}

// ---------------------------------------------------------------------------
// TfsVariable, TfsStringVariable

void TfsVariable::WriteValue(const Variant& Value) {
  if (IsReadOnly) return;
  switch (Typ) {
    case fvtInt: FValue = Variant(Value.AsInteger()); break;
    case fvtBool: FValue = Variant(Value.AsBoolean()); break;
    case fvtFloat: FValue = Variant(Value.AsDouble()); break;
    case fvtString: FValue = Variant(VarToStr(Value)); break;
    default: FValue = Value;
  }
}

Variant TfsVariable::ReadValue() {
  if (!OnGetVarValue) return FValue;
  Variant answer = OnGetVarValue(FName, Typ, FValue);
  return answer.IsNull() ? FValue : answer;
}

void TfsStringVariable::WriteValue(const Variant& Value) { FStr = VarToStr(Value); }

Variant TfsStringVariable::ReadValue() {
  if (!OnGetVarValue) return Variant(FStr);
  Variant old(FStr);
  Variant answer = OnGetVarValue(FName, Typ, old);
  return answer.IsNull() ? Variant(FStr) : answer;
}

TfsParamItem::TfsParamItem(const String& AName, TfsVarType ATyp, const String& ATypeName, bool AIsOptional,
                           bool AIsVarParam)
    : TfsCustomVariable(AName, ATyp, ATypeName), IsOptional(AIsOptional), IsVarParam(AIsVarParam) {
  DefValue = Variant::Null();
}

// ---------------------------------------------------------------------------
// TfsProcVariable

TfsProcVariable::TfsProcVariable(const String& AName, TfsVarType ATyp, const String& ATypeName,
                                 TfsScript* AParent, bool AIsFunc)
    : TfsCustomVariable(AName, ATyp, ATypeName), FIsFunc(AIsFunc) {
  IsReadOnly = true;
  FProgram = new TfsScript(nullptr);
  FProgram->SetParent(AParent);
  if (FIsFunc) {
    RefItem = new TfsVariable("Result", ATyp, ATypeName);
    FProgram->Add("Result", RefItem);
  }
}

TfsProcVariable::~TfsProcVariable() {
  // The parameters are entries of the child program too: take them out
  // before the program frees its items.
  for (Integer i = 0; i < Count(); ++i) FProgram->Remove(Get(i));
  delete FProgram;
}

namespace {
// Nested script routine calls, bounded so that runaway recursion in a
// script ends in a script error instead of exhausting the thread's stack.
constexpr Integer MaxCallDepth = 256;
Integer CallDepth = 0;

struct CallDepthGuard {
  explicit CallDepthGuard(const String& name) {
    if (CallDepth >= MaxCallDepth)
      throw EfsScriptError("Script routines nested too deeply (" + fsMessageText(name) + ": more than " + IntToStr(MaxCallDepth) +
                           " calls)");
    ++CallDepth;
  }
  ~CallDepthGuard() { --CallDepth; }
};
}  // namespace

Variant TfsProcVariable::ReadValue() {
  fsCheckStack();
  CallDepthGuard depth(FName);
  const bool wasExecuting = Executing;
  // The break and continue flags of this program belong to the activation
  // that runs it: a stray break or continue (outside any loop) ends the
  // body, and the next call or an outer recursive activation starts with
  // its own flags again.
  const bool outerBreak = FProgram->BreakFlag, outerContinue = FProgram->ContinueFlag;
  FProgram->BreakFlag = FProgram->ContinueFlag = false;
  Executing = true;
  if (FIsFunc) {
    // Result starts unassigned: for an Integer function that is the 0
    // WriteValue would convert Unassigned to.
    if (RefItem->Typ == fvtInt && !RefItem->IsReadOnly) RefItem->StoredValue() = Variant(Integer(0));
    else RefItem->WriteValue(Variant());
  }
  TfsScript* main = FProgram;
  while (main && !main->IsMainProgram) main = main->Parent();
  TfsScript* savedRunning = main ? main->ProgramRunning : nullptr;
  if (main) main->ProgramRunning = FProgram;
  auto restore = [&] {
    FProgram->BreakFlag = outerBreak;
    FProgram->ContinueFlag = outerContinue;
    FProgram->ExitFlag = false;
    FProgram->Terminated = false;
    FProgram->IsRunning = false;
    if (main) main->ProgramRunning = savedRunning;
    Executing = wasExecuting;
  };
  FProgram->ExitFlag = false;
  FProgram->Terminated = false;
  FProgram->IsRunning = true;
  try {
    // A program's statement is a plain statement list.
    FProgram->Statement()->TfsStatement::Execute();
  } catch (...) {
    restore();
    throw;
  }
  restore();
  if (!FIsFunc) return Variant::Null();
  Variant t;
  const Variant& result = RefItem->ReadRef(t);
  return &result == &t ? std::move(t) : Variant(result);
}

void TfsProcVariable::FindLocals() {
  FLocals.clear();
  for (Integer k = 0; k < FProgram->Count(); ++k) {
    TObject* o = FProgram->Items(k);
    if (o->Is<TfsVariable>() || o->Is<TfsParamItem>()) FLocals.push_back(static_cast<TfsCustomVariable*>(o));
  }
  FLocalsVersion = FProgram->TableVersion();
}

size_t TfsProcVariable::SaveLocals() {
  if (FLocalsVersion != FProgram->TableVersion()) FindLocals();
  // The stack keeps its slots (Empty once restored) for the next call.
  const size_t mark = FSavedTop, top = mark + FLocals.size();
  if (FSaved.size() < top) FSaved.resize(top);
  FSavedTop = top;   // reserved before a value handler could save again
  size_t j = mark;
  for (TfsCustomVariable* v : FLocals) {
    Variant t;
    const Variant& x = v->ReadRef(t);
    if (&x == &t) FSaved[j++] = std::move(t);
    else FSaved[j++] = x;
  }
  return mark;
}

void TfsProcVariable::RestoreLocals(size_t Mark) {
  // Entries added to the table meanwhile come after the saved ones.
  if (FLocalsVersion != FProgram->TableVersion()) FindLocals();
  size_t j = Mark;
  for (size_t k = 0; k < FLocals.size() && j < FSavedTop; ++k, ++j) FLocals[k]->Assign(std::move(FSaved[j]));
  for (; j < FSavedTop; ++j) FSaved[j] = Variant();
  FSavedTop = Mark;
}

// ---------------------------------------------------------------------------
// Members

Variant TfsPropertyHelper::ReadValue() {
  Variant result = Variant::Null();
  TObject* instance = fsVariantToObject(ParentValue);
  if (IsPublished && instance) {
    const TPropInfo* prop = GetPropInfo(instance, FName);
    if (prop && prop->HasGetter()) {
      switch (prop->Kind()) {
        case tkChar:
        case tkWChar: {
          Int64 c = GetOrdProp(instance, prop);
          result = c < 0x80 ? Variant(String(1, char(c))) : Variant(std::u16string(1, char16_t(c))).AsType(varString);
          break;
        }
        case tkFloat: result = Variant(GetFloatProp(instance, prop)); break;
        case tkString: case tkLString: case tkWString: case tkUString:
          result = Variant(GetStrProp(instance, prop));
          break;
        case tkVariant: result = GetVariantProp(instance, prop); break;
        case tkClass: result = fsObjectToVariant(GetObjectProp(instance, prop)); break;
        case tkInteger: case tkEnumeration: case tkSet:
          result = Variant(Integer(GetOrdProp(instance, prop)));
          break;
        default: break;
      }
    }
  } else if (OnGetValue) {
    result = OnGetValue(instance, ClassRef, FUpperName);
  }
  if (Typ == fvtBool) {
    bool b = !result.IsNull() && !result.IsEmpty() && !(result == Variant(Integer(0)));
    result = Variant(b);
  }
  return result;
}

void TfsPropertyHelper::WriteValue(const Variant& Value) {
  if (IsReadOnly) return;
  TObject* instance = fsVariantToObject(ParentValue);
  if (IsPublished) {
    if (!instance) return;
    const TPropInfo* prop = GetPropInfo(instance, FName);
    if (!prop || !prop->HasSetter()) return;
    switch (prop->Kind()) {
      case tkChar: {
        String t = VarToStr(Value);
        SetOrdProp(instance, prop, t.empty() ? 0 : static_cast<unsigned char>(t[0]));
        break;
      }
      case tkWChar: {
        std::u16string t = Value.AsWideString();
        SetOrdProp(instance, prop, t.empty() ? 0 : t[0]);
        break;
      }
      case tkFloat: SetFloatProp(instance, prop, Value.AsDouble()); break;
      case tkString: case tkLString: case tkWString: case tkUString:
        SetStrProp(instance, prop, VarToStr(Value));
        break;
      case tkVariant: SetVariantProp(instance, prop, Value); break;
      case tkClass: SetObjectProp(instance, prop, fsVariantToObject(Value)); break;
      case tkInteger: case tkEnumeration: case tkSet:
        if (Typ == fvtBool) SetOrdProp(instance, prop, Value == Variant(true) ? 1 : 0);
        else SetOrdProp(instance, prop, Value.AsInteger());
        break;
      default: break;
    }
  } else if (OnSetValue) {
    OnSetValue(instance, ClassRef, FUpperName, Value);
  }
}

TfsMethodHelper::TfsMethodHelper(const String& ASyntax, TfsScript* Script)
    : TfsCustomHelper(String(), fvtVariant, String()), Syntax(ASyntax) {
  TfsCustomVariable* decl = ParseMethodDeclaration(ASyntax, Script);
  FName = decl->Name();
  FUpperName = decl->UpperName();
  Typ = decl->Typ;
  TypeName = decl->TypeName;
  IsMacro = decl->IsMacro;
  IsReadOnly = true;
  while (decl->Count() > 0) {
    TObject* p = decl->Get(0);
    decl->Remove(p);
    Add(p);
  }
  delete decl;
  FSetValue = Variant::Null();
}

Variant TfsMethodHelper::ParamValue(Integer Index) {
  if (Index == Count()) return FSetValue;
  return Params(Index)->ReadValue();
}

void TfsMethodHelper::SetParamValue(Integer Index, const Variant& Value) { Params(Index)->WriteValue(Value); }

Variant TfsMethodHelper::ReadValue() {
  TObject* instance = fsVariantToObject(ParentValue);
  if (IndexMethod && FGetName.empty()) FGetName = FUpperName + ".GET";
  const String& name = IndexMethod ? FGetName : FUpperName;
  if (OnCall) {
    Variant arr = Count() > 0 ? VarArrayCreate({0, Count() - 1}, varVariant) : Variant::Null();
    for (Integer i = 0; i < Count(); ++i) arr.PutElement(i, Params(i)->ReadValue());
    Variant result = OnCall(instance, ClassRef, name, arr);
    for (Integer i = 0; i < Count(); ++i)
      if (Params(i)->IsVarParam) Params(i)->WriteValue(arr.GetElement(i));
    return result;
  }
  if (OnCallCaller) {
    Variant result = OnCallCaller(instance, ClassRef, name, this);
    if (Typ == fvtConstructor && ParentRef && ParentRef->Is<TfsClassVariable>()) {
      // A constructor that makes its object itself has freed the instance
      // the class name made.
      TObject* made = fsVariantToObject(result);
      if (made != instance) {
        fsForgetScriptObject(instance);
        fsNoteScriptObject(made);
      }
    }
    return result;
  }
  return Variant(Integer(0));
}

void TfsMethodHelper::WriteValue(const Variant& Value) {
  if (!IndexMethod) return;
  TObject* instance = fsVariantToObject(ParentValue);
  String name = FUpperName + ".SET";
  if (OnCall) {
    Variant arr = VarArrayCreate({0, Count()}, varVariant);
    for (Integer i = 0; i < Count(); ++i) arr.PutElement(i, Params(i)->ReadValue());
    arr.PutElement(Count(), Value);
    OnCall(instance, ClassRef, name, arr);
  } else if (OnCallCaller) {
    FSetValue = Value;
    try {
      OnCallCaller(instance, ClassRef, name, this);
    } catch (...) {
      FSetValue = Variant::Null();
      throw;
    }
    FSetValue = Variant::Null();
  }
}

TfsComponentHelper::TfsComponentHelper(TComponent* AComponent)
    : TfsCustomHelper(AComponent->Name(), fvtClass, AComponent->ClassName()), FComponent(AComponent) {}

Variant TfsComponentHelper::ReadValue() { return fsObjectToVariant(FComponent); }

TfsEventHelper::TfsEventHelper(const String& AName, TfsEventClass AEvent)
    : TfsCustomHelper(AName, fvtString, String()), FEvent(AEvent) {}

void TfsEventHelper::WriteValue(const Variant& Value) {
  TObject* instance = fsVariantToObject(ParentValue);
  if (!instance) return;
  String text = VarToStr(Value);
  TMethod method;
  if (text != "0") {
    TfsCustomVariable* item = Prog ? Prog->Find(text) : nullptr;
    auto* proc = dynamic_cast<TfsProcVariable*>(item);
    if (!proc) throw EfsScriptError(SEventError);
    TfsCustomEvent* adapter = FEvent(instance, proc);
    Prog->Add(String(), adapter);
    method = adapter->HandlerMethod();
  }
  const TPropInfo* prop = GetPropInfo(instance, FName);
  if (prop && prop->Kind() == tkMethod) SetMethodProp(instance, prop, method);
}

TfsArrayHelper::TfsArrayHelper(const String& AName, Integer DimCount, TfsVarType ATyp, const String& ATypeName)
    : TfsCustomHelper(AName, ATyp, ATypeName) {
  if (DimCount == -1) {
    Add(new TfsParamItem("", fvtInt, "", false, false));
    Add(new TfsParamItem("", fvtInt, "", true, false));
    Add(new TfsParamItem("", fvtInt, "", true, false));
  } else {
    for (Integer i = 0; i < DimCount; ++i) Add(new TfsParamItem("", fvtInt, "", false, false));
  }
}

std::vector<Integer> TfsArrayHelper::Indexes() {
  std::vector<Integer> idx;
  if (!ParentRef) return idx;
  Integer dims = ParentRef->StoredValue().IsArray() ? ParentRef->StoredValue().DimCount() : 0;
  if (dims < 1 || dims > 3) return idx;
  if (dims > Count()) throw EfsScriptError("Array needs " + IntToStr(dims) + " indexes");
  for (Integer i = 0; i < dims; ++i) idx.push_back(Params(i)->ReadValue().AsInteger());
  return idx;
}

Variant TfsArrayHelper::ReadValue() {
  std::vector<Integer> idx = Indexes();
  if (idx.empty()) return Variant::Null();
  // The array's own bounds check raises EVariantBadIndexError for a bad index.
  return ParentRef->StoredValue().GetElement(idx);
}

void TfsArrayHelper::WriteValue(const Variant& Value) {
  std::vector<Integer> idx = Indexes();
  if (idx.empty()) return;
  ParentRef->StoredValue().PutElement(idx, Value);
}

TfsStringHelper::TfsStringHelper() : TfsCustomHelper("__StringHelper", fvtChar, String()) {
  Add(new TfsParamItem("", fvtInt, "", false, false));
}

Variant TfsStringHelper::ReadValue() {
  String s = VarToStr(ParentValue);
  Integer i = Params(0)->ReadValue().AsInteger();
  CheckCharIndex(i, s);
  return Variant(s.substr(size_t(i - 1), 1));
}

void TfsStringHelper::WriteValue(const Variant& Value) {
  String s = VarToStr(ParentValue);
  Integer i = Params(0)->ReadValue().AsInteger();
  CheckCharIndex(i, s);
  String c = FirstChar(Value);
  if (c.empty()) return;
  s[size_t(i - 1)] = c[0];
  if (ParentRef) ParentRef->WriteValue(Variant(s));
}

TfsOLEHelper::TfsOLEHelper(const String& AName) : TfsCustomHelper(AName, fvtVariant, String()) {}

Variant TfsOLEHelper::ReadValue() { return Invoke(false, Variant()); }
void TfsOLEHelper::WriteValue(const Variant& Value) { Invoke(true, Value); }

// ---------------------------------------------------------------------------
// TfsClassVariable

TfsClassVariable::TfsClassVariable(TClass AClass, const String& Ancestor)
    : TfsCustomVariable(AClass->Name, fvtClass, AClass->Name), ClassRef(AClass), AncestorName(Ancestor) {
  AddPublishedProperties(AClass);
  Add(new TfsParamItem("", fvtVariant, "", true, false));
}

TfsClassVariable::~TfsClassVariable() = default;

Variant TfsClassVariable::ReadValue() {
  TfsParamItem* cast = Params(0);
  Variant v = cast->ReadValue();
  Variant result;
  if (v.IsNull()) {
    // The bare class name: a new default-made instance, which a following
    // constructor member completes.
    if (ClassRef && ClassRef->Factory) {
      TObject* made = ClassRef->Factory();
      fsNoteScriptObject(made);
      result = fsObjectToVariant(made);
    } else {
      result = Variant::Null();
    }
  } else {
    result = v;
  }
  cast->WriteValue(Variant::Null());
  return result;
}

void TfsClassVariable::AddMember(TfsCustomHelper* Member) { FMembers.Add(Member); }

TfsCustomHelper* TfsClassVariable::Members(Integer Index) const {
  return static_cast<TfsCustomHelper*>(FMembers.Get(Index));
}

void TfsClassVariable::AddConstructor(const String& Syntax, const TfsCallerMethodHandler& Handler) {
  size_t sp = Syntax.find(' ');
  String rest = sp == String::npos ? String() : Syntax.substr(sp + 1);
  AddMethod("function " + rest + ": Constructor", Handler);
}

TfsMethodHelper* TfsClassVariable::AddMethod(const String& Syntax, const TfsCallerMethodHandler& Handler) {
  auto* m = new TfsMethodHelper(Syntax, Prog);
  m->ClassRef = ClassRef;
  m->OnCallCaller = Handler;
  AddMember(m);
  return m;
}

TfsPropertyHelper* TfsClassVariable::AddProperty(const String& Name, const String& Typ,
                                                 const TfsPropertyGetter& Getter, const TfsPropertySetter& Setter) {
  auto* p = new TfsPropertyHelper(Name, Prog ? Prog->TypeOf(Typ) : ::TypeOf(Typ, nullptr), Typ);
  p->ClassRef = ClassRef;
  p->OnGetValue = Getter;
  p->OnSetValue = Setter;
  p->IsReadOnly = !Setter;
  AddMember(p);
  return p;
}

TfsMethodHelper* TfsClassVariable::AddIndexProperty(const String& Name, const String& Params, const String& Typ,
                                                    const TfsCallerMethodHandler& Handler, bool IsReadOnly) {
  String decl = "function " + Name + "(";
  std::vector<String> types;
  {
    size_t start = 0;
    while (start <= Params.size()) {
      size_t comma = Params.find(',', start);
      String t = Trim(Params.substr(start, comma == String::npos ? String::npos : comma - start));
      if (!t.empty()) types.push_back(t);
      if (comma == String::npos) break;
      start = comma + 1;
    }
  }
  for (size_t i = 0; i < types.size(); ++i) {
    if (i) decl += "; ";
    decl += "p" + IntToStr(Integer(i)) + ": " + types[i];
  }
  decl += "): " + Typ;
  TfsMethodHelper* m = AddMethod(decl, Handler);
  m->IsReadOnly = IsReadOnly;
  m->IndexMethod = true;
  return m;
}

TfsMethodHelper* TfsClassVariable::AddDefaultProperty(const String& Name, const String& Params, const String& Typ,
                                                      const TfsCallerMethodHandler& Handler, bool IsReadOnly) {
  TfsMethodHelper* m = AddIndexProperty(Name, Params, Typ, Handler, IsReadOnly);
  DefProperty = m;
  return m;
}

TfsEventHelper* TfsClassVariable::AddEvent(const String& Name, TfsEventClass Event) {
  auto* e = new TfsEventHelper(Name, Event);
  e->ClassRef = ClassRef;
  AddMember(e);
  return e;
}

TfsComponentHelper* TfsClassVariable::AddComponent(TComponent* Component) {
  auto* c = new TfsComponentHelper(Component);
  AddMember(c);
  return c;
}

void TfsClassVariable::AddPublishedProperties(TClass AClass) {
  for (const TPropInfo* prop : GetPropList(AClass)) {
    const TTypeInfo* t = prop->PropType;
    if (!t || t->Kind == tkMethod) continue;
    TfsVarType typ = fvtInt;
    String typeName = t->Name;
    switch (t->Kind) {
      case tkChar: case tkWChar: typ = fvtChar; break;
      case tkEnumeration:
        typ = (SameText(t->Name, "Boolean") || SameText(t->Name, "bool")) ? fvtBool : fvtEnum;
        break;
      case tkFloat: typ = fvtFloat; break;
      case tkString: case tkLString: case tkWString: case tkUString: typ = fvtString; break;
      case tkSet: typ = fvtEnum; break;
      case tkClass:
        typ = fvtClass;
        if (t->ClassType) typeName = t->ClassType->Name;
        break;
      case tkVariant: typ = fvtVariant; break;
      default: typ = fvtInt;
    }
    auto* p = new TfsPropertyHelper(prop->Name, typ, typeName);
    p->ClassRef = AClass;
    p->IsPublished = true;
    p->IsReadOnly = !prop->HasSetter();
    AddMember(p);
  }
}

TfsCustomHelper* TfsClassVariable::FindMember(const String& Name) {
  for (TfsClassVariable* cls = this; cls;) {
    for (Integer i = 0; i < cls->FMembers.Count(); ++i) {
      auto* m = cls->Members(i);
      if (SameText(m->Name(), Name)) return m;
    }
    if (cls->AncestorName.empty() || !cls->Prog) break;
    TfsClassVariable* anc = cls->Prog->FindClass(cls->AncestorName);
    if (anc == cls) break;
    cls = anc;
  }
  return nullptr;
}

void TfsCustomEvent::CallHandler(const std::vector<Variant>& Params) {
  if (FHandler->Executing) return;
  for (Integer i = 0; i < FHandler->Count(); ++i)
    FHandler->Params(i)->WriteValue(size_t(i) < Params.size() ? Params[size_t(i)] : Variant::Null());
  FHandler->ReadValue();
}

// ---------------------------------------------------------------------------
// Designators

TfsDesignator::TfsDesignator(TfsScript* AProgram)
    : TfsCustomVariable(String(), fvtVariant, String()), FProgram(AProgram) {}

TfsDesignator::~TfsDesignator() { delete FLateBindingXML; }

void TfsDesignator::SetLateBinding(const TfsXMLItem* Element) {
  delete FLateBindingXML;
  FLateBindingXML = new TfsXMLItem;
  FLateBindingXML->CopyTree(Element);
}

void TfsDesignator::BindLateNow() {
  TfsXMLItem* xml = FLateBindingXML;
  FLateBindingXML = nullptr;
  TfsDesignator* built = nullptr;
  try {
    TfsILParser parser(FProgram);
    built = parser.BuildLateDesignator(xml, FProgram);
  } catch (...) {
    delete xml;
    throw;
  }
  delete xml;
  AdoptFrom(built);
  delete built;
}

void TfsDesignator::AdoptFrom(TfsDesignator* Source) {
  std::swap(FItems, Source->FItems);
  FKind = Source->FKind;
  FRef1 = Source->FRef1;
  FRef2 = Source->FRef2;
  Typ = Source->Typ;
  TypeName = Source->TypeName;
  IsReadOnly = Source->IsReadOnly;
  RefItem = Source->RefItem;
}

void TfsDesignator::SettleKind() {
  if (Count() == 0) return;
  TfsCustomVariable* last = Items(Count() - 1)->Ref;
  Typ = last->Typ;
  TypeName = last->TypeName;
  IsReadOnly = last->IsReadOnly;
  if (Typ == fvtConstructor) {
    Typ = fvtClass;
    TypeName = Count() > 1 ? Items(Count() - 2)->Ref->TypeName : String();
  }
  FKind = dkOther;
  TfsCustomVariable* first = Items(0)->Ref;
  if (Count() == 1 && first->Is<TfsVariable>()) {
    FKind = dkVariable;
    RefItem = first;
  } else if (Count() == 2 && first->Is<TfsStringVariable>() && Items(1)->Count() > 0) {
    FKind = dkStringArray;
    RefItem = first;
    FRef1 = Items(1)->Args(0);
  } else if (Count() == 2 && first->Is<TfsVariable>() && first->Typ == fvtArray) {
    FKind = dkArray;
    RefItem = first;
    FRef1 = first->RefItem;
    FRef2 = Items(1);
  }
}

TfsCustomVariable* TfsDesignator::PlainParameter() const {
  if (FLateBindingXML || Count() != 1 || Items(0)->Count() != 0) return nullptr;
  TfsCustomVariable* r = Items(0)->Ref;
  return r && typeid(*r) == typeid(TfsParamItem) ? r : nullptr;
}

TfsDesignatorItem::TStepKind TfsDesignatorItem::Classify() const {
  if (Ref->Is<TfsDesignator>()) return skDesignator;
  if (dynamic_cast<TfsProcVariable*>(Ref)) return skProc;
  if (dynamic_cast<TfsCustomHelper*>(Ref)) return skHelper;
  return skOther;
}

namespace {
// An argument's value, as ReadValue gives it.
Variant Argument(TfsCustomExpression* E) {
  Variant t;
  const Variant& v = E->Evaluator()->Eval(t);
  return &v == &t ? std::move(t) : Variant(v);
}
}  // namespace

Variant TfsDesignator::CallRoutine(TfsDesignatorItem* Step, TfsProcVariable* R) {
  fsCheckStack();
  // A recursive call: keep the outer activation's locals.
  const bool recursive = R->Executing;
  const size_t mark = recursive ? R->SaveLocals() : 0;
  try {
    const Integer args = Step->Count();
    if (args > R->Count())
      throw EfsScriptError(STooManyParams + " (" + IntToStr(args) + " given, " + IntToStr(R->Count()) + " expected)");
    if (args == 1) {
      auto* p = static_cast<TfsParamItem*>(R->Get(0));
      R->IsMacro ? p->Assign(Variant(Step->Args(0)->Source)) : p->Assign(Argument(Step->Args(0)));
    } else if (args > 1) {
      // Arguments are evaluated before any parameter is overwritten.
      Variant few[4];
      std::vector<Variant> many;
      Variant* values = few;
      if (args > 4) {
        many.resize(size_t(args));
        values = many.data();
      }
      for (Integer k = 0; k < args; ++k)
        values[k] = R->IsMacro ? Variant(Step->Args(k)->Source) : Argument(Step->Args(k));
      for (Integer k = 0; k < args; ++k) static_cast<TfsParamItem*>(R->Get(k))->Assign(std::move(values[k]));
    }
    R->NeedResult = NeedResult;
    // No class derives from TfsProcVariable: its read is called directly.
    Variant value = R->TfsProcVariable::ReadValue();
    for (Integer k = 0; k < args && k < R->Count(); ++k)
      if (auto* p = static_cast<TfsParamItem*>(R->Get(k)); p->IsVarParam) Step->Args(k)->WriteValue(p->ReadValue());
    if (recursive) R->RestoreLocals(mark);
    return value;
  } catch (...) {
    if (recursive) R->RestoreLocals(mark);
    throw;
  }
}

Variant TfsDesignator::CalculateChain(const Variant& NewValue, bool Write) {
  fsCheckStack();
  Variant value = Variant::Null();
  TfsCustomVariable* prev = nullptr;
  const Integer n = Count();
  for (Integer i = 0; i < n; ++i) {
    TfsDesignatorItem* step = Items(i);
    TfsCustomVariable* r = step->Ref;
    const TfsDesignatorItem::TStepKind kind = step->StepKind();
    if (kind == TfsDesignatorItem::skDesignator) {
      value = r->ReadValue();
      prev = r;
      continue;
    }
    // A recursive call: keep the outer activation's locals.
    TfsProcVariable* recursive = nullptr;
    size_t mark = 0;
    if (kind == TfsDesignatorItem::skProc && static_cast<TfsProcVariable*>(r)->Executing) {
      recursive = static_cast<TfsProcVariable*>(r);
      mark = recursive->SaveLocals();
    }
    try {
      const Integer args = step->Count();
      if (args > r->Count())
        throw EfsScriptError(STooManyParams + " (" + IntToStr(args) + " given, " + IntToStr(r->Count()) + " expected)");
      if (args > 0) {
        auto param = [r](Integer k) { return static_cast<TfsParamItem*>(r->Get(k)); };
        if (args == 1) {
          r->IsMacro ? param(0)->Assign(Variant(step->Args(0)->Source)) : param(0)->Assign(Argument(step->Args(0)));
        } else {
          // Arguments are evaluated before any parameter is overwritten.
          Variant few[4];
          std::vector<Variant> many;
          Variant* values = few;
          if (args > 4) {
            many.resize(size_t(args));
            values = many.data();
          }
          for (Integer k = 0; k < args; ++k)
            values[k] = r->IsMacro ? Variant(step->Args(k)->Source) : Argument(step->Args(k));
          for (Integer k = 0; k < args; ++k) param(k)->Assign(std::move(values[k]));
        }
      }
      if (kind == TfsDesignatorItem::skHelper) {
        auto* helper = static_cast<TfsCustomHelper*>(r);
        helper->ParentRef = prev;
        helper->ParentValue = std::move(value);
        helper->Prog = FProgram;
      }
      prev = r;
      if (Write && i == n - 1) {
        r->WriteValue(NewValue);
      } else {
        r->NeedResult = i == n - 1 ? NeedResult : true;
        value = r->ReadValue();
      }
      for (Integer k = 0; k < args && k < r->Count(); ++k)
        if (auto* p = static_cast<TfsParamItem*>(r->Get(k)); p->IsVarParam) step->Args(k)->WriteValue(p->ReadValue());
    } catch (...) {
      if (recursive) recursive->RestoreLocals(mark);
      throw;
    }
    if (recursive) recursive->RestoreLocals(mark);
  }
  return value;
}

Variant TfsDesignator::ReadValue() { return ReadChain(); }

void TfsDesignator::WriteValue(const Variant& Value) {
  BindLate();
  CalculateChain(Value, true);
}

Variant TfsStringDesignator::ReadValue() {
  String& s = static_cast<TfsStringVariable*>(RefItem)->Str();
  Integer i = FRef1->ReadValue().AsInteger();
  CheckCharIndex(i, s);
  return Variant(s.substr(size_t(i - 1), 1));
}

void TfsStringDesignator::WriteValue(const Variant& Value) {
  String& s = static_cast<TfsStringVariable*>(RefItem)->Str();
  Integer i = FRef1->ReadValue().AsInteger();
  CheckCharIndex(i, s);
  String c = FirstChar(Value);
  if (!c.empty()) s[size_t(i - 1)] = c[0];
}

void TfsArrayDesignator::Prepare() {
  auto* helper = static_cast<TfsCustomHelper*>(FRef1);
  helper->ParentRef = RefItem;
  Integer args = FRef2->Count();
  if (args > helper->Count()) throw EfsScriptError(STooManyParams);
  for (Integer k = 0; k < args; ++k) helper->Params(k)->WriteValue(FRef2->Args(k)->ReadValue());
}

Variant TfsArrayDesignator::ReadValue() {
  Prepare();
  return FRef1->ReadValue();
}

void TfsArrayDesignator::WriteValue(const Variant& Value) {
  Prepare();
  FRef1->WriteValue(Value);
}

// ---------------------------------------------------------------------------
// TfsSetExpression

TfsSetExpression::TfsSetExpression() : TfsCustomVariable(String(), fvtVariant, String()) {}

Variant TfsSetExpression::ReadValue() {
  if (Count() == 0) return VarArrayCreate({0, -1}, varVariant);
  Variant arr = VarArrayCreate({0, Count() - 1}, varVariant);
  for (Integer i = 0; i < Count(); ++i) arr.PutElement(i, Element(i) ? Element(i)->ReadValue() : Variant::Null());
  return arr;
}

bool TfsSetExpression::Contains(const Variant& Value) {
  for (Integer i = 0; i < Count(); ++i) {
    if (!Element(i)) continue;
    if (i + 2 < Count() && !Element(i + 1)) {
      if (Value >= Element(i)->ReadValue() && Value <= Element(i + 2)->ReadValue()) return true;
      i += 2;
      continue;
    }
    if (Value == Element(i)->ReadValue()) return true;
  }
  return false;
}
