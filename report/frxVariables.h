// Report variables: named values a report carries with its template, that a
// script sets, or that every report shares (frxGlobalVariables); and
// TfrxArray, the same items used as an associative array keyed by any value.
#pragma once
#include "Classes.h"
#include "Variant.h"

class TfrxVariable : public TCollectionItem {
  TOVANI_CLASS(TfrxVariable, TCollectionItem)
 public:
  explicit TfrxVariable(TCollection* ACollection = nullptr);
  // From another variable: name and value; other sources are ignored.
  void Assign(TPersistent* Source) override;

  const String& Name() const { return FName; }
  void SetName(const String& v) { FName = v; }
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& v) { FValue = v; }

 private:
  String FName;
  Variant FValue;
};

class TfrxVariables : public TCollection {
  TOVANI_CLASS(TfrxVariables, TCollection)
 public:
  TfrxVariables();

  TfrxVariable* Add() { return static_cast<TfrxVariable*>(TCollection::Add()); }
  TfrxVariable* Items(Integer Index) const { return static_cast<TfrxVariable*>(TCollection::Items(Index)); }
  // First variable of that name (case-insensitive); -1 when none.
  Integer IndexOf(const String& Name) const;
  // Null when there is no such variable.
  Variant Variables(const String& Name) const;
  // Replaces the value, or adds a variable with that name and value.
  void SetVariables(const String& Name, const Variant& Value);
};

class TfrxArray : public TCollection {
  TOVANI_CLASS(TfrxArray, TCollection)
 public:
  TfrxArray();

  TfrxVariable* Items(Integer Index) const { return static_cast<TfrxVariable*>(TCollection::Items(Index)); }
  // The key as text, compared case-insensitively with the items' names, so 5
  // and '5' address the same item.
  Integer IndexOf(const Variant& Key) const;
  Variant Variables(const Variant& Key) const;
  void SetVariables(const Variant& Key, const Variant& Value);
};

// The variables every report shares; lives as long as the program.
TfrxVariables* frxGlobalVariables();
