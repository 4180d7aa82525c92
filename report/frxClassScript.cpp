// Report scripting: preparing the report's script host before a run, the
// report's own script routines, the evaluation of expressions (plain
// references directly, the rest through cached generated functions) and the
// script events of report objects.
#include "Strings.h"
#include "SysUtils.h"
#include "frxClass.h"
#include "frxRes.h"
#include "frxVariables.h"
#include "fs_iinterpreter.h"

TOVANI_IMPLEMENT_CLASS(TfrxExpressionCache, TObject)

namespace {

// Report variables may name other variables; a chain deeper than this is a
// variable that refers to itself.
constexpr int MaxValueDepth = 64;
thread_local int ValueDepth = 0;

struct TDepthGuard {
  TDepthGuard() {
    if (++ValueDepth > MaxValueDepth) {
      --ValueDepth;
      throw Exception("Expression refers to itself (nested more than " + IntToStr(MaxValueDepth) + " levels)");
    }
  }
  ~TDepthGuard() { --ValueDepth; }
};

struct TAddedByGuard {
  TfsScript* Script;
  ~TAddedByGuard() { Script->AddedBy = nullptr; }
};

bool IsAggregateName(const String& s) {
  return s == "SUM" || s == "MIN" || s == "MAX" || s == "AVG" || s == "COUNT";
}

}  // namespace

// ---------------------------------------------------------------------------
// Script preparation

bool TfrxReport::PrepareScript() {
  FExpressionCache->Clear();
  FExpressionCache->ScriptLanguage = FScriptLanguage;
  if (FEngine) FEngine->NotifyList()->Clear();

  FScript->ClearItems(this);
  FScript->AddedBy = this;
  FScript->IsMainProgram = true;
  TAddedByGuard guard{FScript.get()};

  auto addObject = [this](const String& name, TObject* obj) {
    if (name.empty()) return;
    // Newer entries of a name hide older ones: report objects come before
    // routines of the same name.
    // The variable's type is the nearest class the script knows.
    String typeName = "TObject";
    for (TClass c = obj ? obj->ClassType() : nullptr; c; c = c->Parent)
      if (FScript->FindClass(c->Name)) {
        typeName = c->Name;
        break;
      }
    auto* v = new TfsVariable(name, fvtClass, typeName);
    v->WriteValue(fsObjectToVariant(obj));
    FScript->Add(name, v);
  };

  TList* all = AllObjects();
  for (Integer i = 0; i < all->Count(); ++i) {
    auto* c = static_cast<TfrxComponent*>(all->Items(i));
    c->SetIsDesigning(false);
    c->BeforeStart();
    // Each picture reaches the prepared pages' picture cache once per run.
    if (c->Is<TfrxPictureView>()) static_cast<TfrxPictureView*>(c)->PictureChanged = true;
    addObject(c->Name(), c);
  }
  addObject("Report", this);
  addObject("Engine", FEngine.get());
  addObject("Outline", FPreviewPages ? FPreviewPages->Outline() : nullptr);
  FScript->Add("Value", new TfsVariable("Value", fvtVariant, "Variant"));
  FScript->Add("Self", new TfsVariable("Self", fvtClass, "TfrxView"));
  FScript->FindLocal("Value")->StoredValue() = Variant::Null();
  FScript->FindLocal("Self")->StoredValue() = Variant::Null();

  FScript->AddMethod("function Get(Name: String): Variant",
                     [this](TObject*, TClass, const String&, TfsMethodHelper* c) {
                       return DoGetHandler(VarToStr(c->ParamValue(0)));
                     });
  FScript->AddMethod("procedure Set(Name: String; Value: Variant)",
                     [this](TObject*, TClass, const String&, TfsMethodHelper* c) {
                       FVariables->SetVariables(VarToStr(c->ParamValue(0)), c->ParamValue(1));
                       return Variant();
                     });
  FScript->AddMethod("macrofunction IIF(Expr: Boolean; TrueValue, FalseValue: Variant): Variant",
                     [this](TObject*, TClass, const String&, TfsMethodHelper* c) {
                       auto calc = [this](const String& e) {
                         return FScript->IsRunning ? CalcInScript(e) : Calc(e);
                       };
                       Variant cond = calc(VarToStr(c->ParamValue(0)));
                       bool yes = cond.Kind() == varBoolean ? cond.AsBoolean() : cond == Variant(true);
                       return calc(VarToStr(c->ParamValue(yes ? 1 : 2)));
                     });
  for (const char* fn : {"SUM", "AVG", "MIN", "MAX"}) {
    FScript->AddMethod(String("macrofunction ") + fn +
                           "(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
                       [this](TObject*, TClass, const String& name, TfsMethodHelper* c) {
                         return DoAggregate(name, c, false);
                       });
  }
  FScript->AddMethod("macrofunction COUNT(Band: Variant = 0; Flags: Integer = 0): Variant",
                     [this](TObject*, TClass, const String& name, TfsMethodHelper* c) {
                       return DoAggregate(name, c, true);
                     });

  FScriptValue = FScript->FindLocal("Value");
  FScriptSelf = FScript->FindLocal("Self");

  FScript->SetLines(FScriptText.get());
  FScript->SetSyntaxType(FScriptLanguage);
  bool ok = false;
  try {
    ok = FScript->Compile();
  } catch (const Exception& e) {
    FScript->ErrorText = e.Message();
  }
  if (!ok)
    FErrors->Add(Format(frxGetResources()->Get("clScrError"), {FScript->ErrorLocation, FScript->ErrorText}));
  return ok;
}

Variant TfrxReport::DoGetHandler(const String& Name) {
  Variant v;
  if (ResolveValue(Name, v)) return v;
  size_t p = Name.find('(');
  if (p != String::npos && IsAggregateName(UpperCase(Trim(Name.substr(0, p)))))
    return FScript->IsRunning ? CalcInScript(Name) : Calc(Name);
  FErrors->Add(frxGetResources()->Get("clUnknownVar") + " " + Name);
  return Variant::Null();
}

Variant TfrxReport::DoAggregate(const String& Name, TfsCustomVariable* CallerItem, bool IsCount) {
  auto* c = static_cast<TfsMethodHelper*>(CallerItem);
  auto calc = [this](const String& e) { return FScript->IsRunning ? CalcInScript(e) : Calc(e); };
  Integer first = IsCount ? 0 : 1;
  String expr = IsCount ? String() : VarToStr(c->ParamValue(0));
  String bandText = Trim(VarToStr(c->ParamValue(first)));
  String flagsText = Trim(VarToStr(c->ParamValue(first + 1)));
  Variant band = bandText.empty() ? Variant(Integer(0)) : calc(bandText);
  Integer flags = flagsText.empty() ? 0 : calc(flagsText).AsInteger();
  TObject* bandObj = fsVariantToObject(band);
  if (bandObj && !bandObj->Is<TfrxComponent>())
    throw EfsScriptError(Name + ": the band argument is no report object");
  if (!FEngine) return Variant(Integer(0));
  return FEngine->GetAggregateValue(Name, expr, static_cast<TfrxComponent*>(bandObj), flags);
}

// ---------------------------------------------------------------------------
// Expressions

Variant TfrxReport::Calc(const String& Expr, TfsScript* AScript) {
  TDepthGuard depth;
  Variant v;
  if (ResolveValue(Expr, v)) return v;
  String error;
  v = FExpressionCache->Calc(Expr, error, AScript ? AScript : FScript.get());
  if (!error.empty()) {
    String text = CurObject.empty() ? error : CurObject + ": " + error;
    FErrors->Add(text);
    throw Exception(text);
  }
  return v;
}

Variant TfrxReport::CalcInScript(const String& Expr) {
  TDepthGuard depth;
  Variant v;
  if (ResolveValue(Expr, v)) return v;
  String error;
  v = FExpressionCache->Calc(Expr, error, FScript.get());
  if (!error.empty()) throw Exception("Error in Calc expression: " + error);
  return v;
}

bool TfrxReport::ResolveValue(const String& Name, Variant& Value) {
  TDepthGuard depth;
  // A dataset field: alias."field".
  TfrxDataSet* ds;
  String field;
  ResolveDataField(Name, ds, field);
  if (ds && !field.empty()) {
    Value = ds->GetValue(field);
    if (FEngineOptions->ConvertNulls && Value.IsNull()) {
      switch (ds->GetFieldType(field)) {
        case fftNumeric: Value = Variant(Integer(0)); break;
        case fftString: Value = Variant(String()); break;
        case fftBoolean: Value = Variant(false); break;
      }
    }
    return true;
  }

  // System variables.
  Integer sys = -1;
  for (Integer i = 0; i < FSysVariables->Count(); ++i)
    if ((*FSysVariables)[i] == Name) sys = i;
  if (sys >= 0) {
    switch (sys) {
      case 0: Value = Variant::FromDate(FEngine ? FEngine->StartDate : 0); break;
      case 1: Value = Variant::FromDate(FEngine ? FEngine->StartTime : 0); break;
      case 2: Value = Variant(FPreviewPages ? FPreviewPages->GetLogicalPageNo() : 0); break;
      case 3: Value = Variant(FPreviewPages ? FPreviewPages->CurPage + 1 : 1); break;
      case 4: Value = Variant(FPreviewPages ? FPreviewPages->GetLogicalTotalPages() : 0); break;
      case 5: Value = Variant(FEngine ? FEngine->TotalPages : 0); break;
      case 6: Value = Variant(FEngine ? FEngine->CurLine : 0); break;
      case 7: Value = Variant(FEngine ? FEngine->CurLineThrough : 0); break;
      default: Value = frxGlobalVariables()->Variables("CopyName0"); break;
    }
    return true;
  }

  if (OnGetValue) {
    Variant v = Variant::Null();
    OnGetValue(Name, v);
    if (!v.IsNull() && !v.IsEmpty()) {
      Value = v;
      return true;
    }
  }

  Integer i = FVariables->IndexOf(Name);
  if (i >= 0) {
    const Variant& v = FVariables->Items(i)->Value();
    if (v.Kind() == varString || v.Kind() == varOleStr) {
      String text = VarToStr(v);
      Value = text.find("\r\n") != String::npos ? v : Calc(text);
    } else {
      Value = v;
    }
    return true;
  }

  i = frxGlobalVariables()->IndexOf(Name);
  if (i >= 0) {
    Value = frxGlobalVariables()->Items(i)->Value();
    return true;
  }

  if (TfsCustomVariable* item = FScript->Find(Name)) {
    if (item->Is<TfsVariable>()) {
      Value = item->Value();
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------
// Script events

void TfrxReport::CallScriptNotifyEvent(TfrxComponent* Sender, const String& EventName, bool Force) {
  if (EventName.empty() || !(Force || (FEngine && FEngine->Running))) return;
  Variant params = VarArrayCreate({0, 0}, varVariant);
  params.PutElement(0, fsObjectToVariant(Sender));
  FScript->CallFunction(EventName, params);
}

void TfrxReport::CallScriptEvent(const String& EventName, Variant& Params, bool Force) {
  if (EventName.empty() || !(Force || (FEngine && FEngine->Running))) return;
  FScript->CallFunctionVarParams(EventName, Params);
}

void TfrxReport::FireBeforePrint(TfrxReportComponent* Obj) {
  if (OnBeforePrint) OnBeforePrint(Obj);
  CallScriptNotifyEvent(Obj, Obj->OnBeforePrint);
}

void TfrxReport::FireAfterPrint(TfrxReportComponent* Obj) {
  if (OnAfterPrint) OnAfterPrint(Obj);
  CallScriptNotifyEvent(Obj, Obj->OnAfterPrint);
}

void TfrxReport::FirePreviewClick(TfrxReportComponent* View, Integer Button, Integer Shift, bool& Modified,
                                  bool IsDoubleClick) {
  Variant params = VarArrayCreate({0, 3}, varVariant);
  params.PutElement(0, fsObjectToVariant(View));
  params.PutElement(1, Variant(Button));
  params.PutElement(2, Variant(Shift));
  params.PutElement(3, Variant(Modified));
  CallScriptEvent(IsDoubleClick ? View->OnPreviewDblClick : View->OnPreviewClick, params, true);
  Modified = params.GetElement(3).AsBoolean();
  if (IsDoubleClick) {
    if (OnDblClickObject) OnDblClickObject(View, Button, Shift, Modified);
  } else if (OnClickObject) {
    OnClickObject(View, Button, Shift, Modified);
  }
}

void TfrxReport::SetScriptValue(const Variant& V) {
  if (FScriptValue) FScriptValue->StoredValue() = V;
}

void TfrxReport::SetScriptSelf(TObject* Obj) {
  if (FScriptSelf) FScriptSelf->StoredValue() = fsObjectToVariant(Obj);
}

// ---------------------------------------------------------------------------
// Expression cache

TfrxExpressionCache::TfrxExpressionCache(TfsScript* AScript)
    : FExpressions(std::make_unique<TStringList>()),
      FScript(std::make_unique<TfsScript>(nullptr)),
      FMainScript(AScript) {
  FExpressions->SetSorted(true);
  FScript->ExtendedCharset = true;
}

TfrxExpressionCache::~TfrxExpressionCache() = default;

Integer TfrxExpressionCache::Count() const { return FExpressions->Count(); }

void TfrxExpressionCache::Clear() {
  FExpressions->Clear();
  FScript->Clear();
}

Variant TfrxExpressionCache::Calc(const String& Expr, String& Error, TfsScript* AScript) {
  Error.clear();
  FScript->SetParent(AScript);
  TfsCustomVariable* fn = nullptr;
  Integer index;
  if (FExpressions->Find(Expr, index)) {
    fn = static_cast<TfsCustomVariable*>(FExpressions->Objects(index));
  } else {
    String name = "fr3f" + IntToStr(FExpressions->Count());
    String code;
    if (SameText(ScriptLanguage, "PascalScript"))
      code = "function " + name + ": Variant; begin Result := " + Expr + " end; begin end.";
    else if (SameText(ScriptLanguage, "R++Orodiv"))
      code = "Variant " + name + "() { return " + Expr + "; } {}";
    else if (SameText(ScriptLanguage, "RodidOdazav"))
      code = "function " + name + "\r\nreturn " + Expr + "\r\nend function";
    else if (SameText(ScriptLanguage, "JScript"))
      code = "function " + name + "() { return " + Expr + "; }";
    if (code.empty()) {
      Error = frxGetResources()->Get("clExprError") + " '" + Expr + "': no expressions in script language '" +
              ScriptLanguage + "'";
      return Variant::Null();
    }
    FScript->SetSyntaxType(ScriptLanguage);
    FScript->Lines()->SetText(code);
    bool ok = false;
    try {
      ok = FScript->Compile();
    } catch (const Exception& e) {
      FScript->ErrorText = e.Message();
    }
    fn = FScript->FindLocal(name);
    if (!ok || !fn) {
      if (fn) {
        FScript->Remove(fn);
        delete fn;
      }
      Error = frxGetResources()->Get("clExprError") + " '" + Expr + "': " + FScript->ErrorText;
      return Variant::Null();
    }
    FExpressions->AddObject(Expr, fn);
  }

  bool wasMain = FMainScript ? FMainScript->IsMainProgram : false;
  if (FMainScript) FMainScript->IsMainProgram = false;
  Variant result = Variant::Null();
  try {
    result = fn->Value();
  } catch (const Exception& e) {
    Error = e.Message();
  } catch (const std::exception& e) {
    Error = e.what();
  }
  if (FMainScript) FMainScript->IsMainProgram = wasMain;
  return result;
}
