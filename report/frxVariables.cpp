#include "frxVariables.h"

#include "Collation.h"
#include "TypInfo.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxVariable, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TfrxVariables, TCollection)
TOVANI_IMPLEMENT_CLASS(TfrxArray, TCollection)

TOVANI_PUBLISHED(TfrxVariable) {
  Property("Name", &TfrxVariable::Name, &TfrxVariable::SetName);
  Property("Value", &TfrxVariable::Value, &TfrxVariable::SetValue);
}

TfrxVariable::TfrxVariable(TCollection* ACollection) : TCollectionItem(ACollection), FValue(Null()) {}

void TfrxVariable::Assign(TPersistent* Source) {
  if (Source && Source->InheritsFrom(TfrxVariable::StaticClass())) {
    auto* v = static_cast<TfrxVariable*>(Source);
    FName = v->FName;
    FValue = v->FValue;
  }
}

namespace {

Integer FindByName(const TCollection* List, const String& Name) {
  for (Integer i = 0; i < List->Count(); ++i)
    if (AnsiCompareText(static_cast<TfrxVariable*>(List->Items(i))->Name(), Name) == 0) return i;
  return -1;
}

}  // namespace

TfrxVariables::TfrxVariables() : TCollection(TfrxVariable::StaticClass()) {}

Integer TfrxVariables::IndexOf(const String& Name) const { return FindByName(this, Name); }

Variant TfrxVariables::Variables(const String& Name) const {
  Integer i = IndexOf(Name);
  return i < 0 ? Null() : Items(i)->Value();
}

void TfrxVariables::SetVariables(const String& Name, const Variant& Value) {
  Integer i = IndexOf(Name);
  TfrxVariable* v = i < 0 ? Add() : Items(i);
  if (i < 0) v->SetName(Name);
  v->SetValue(Value);
}

TfrxArray::TfrxArray() : TCollection(TfrxVariable::StaticClass()) {}

Integer TfrxArray::IndexOf(const Variant& Key) const { return FindByName(this, VarToStr(Key)); }

Variant TfrxArray::Variables(const Variant& Key) const {
  Integer i = IndexOf(Key);
  return i < 0 ? Null() : Items(i)->Value();
}

void TfrxArray::SetVariables(const Variant& Key, const Variant& Value) {
  Integer i = IndexOf(Key);
  TfrxVariable* v;
  if (i < 0) {
    v = static_cast<TfrxVariable*>(Add());
    v->SetName(VarToStr(Key));
  } else {
    v = Items(i);
  }
  v->SetValue(Value);
}

TfrxVariables* frxGlobalVariables() {
  static TfrxVariables globals;
  return &globals;
}
