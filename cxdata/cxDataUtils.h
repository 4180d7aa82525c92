// Small shared pieces of the data controller: the currency display format,
// date and week helpers (the week-relative filter operators stand on them),
// the case-insensitive text match of incremental search, the base of the
// data bindings that connect an editor to its data, and a collection whose
// assignment reuses its items.
#pragma once
#include <functional>

#include "Classes.h"

struct TFormatSettings;
class Variant;

// A number display format for currency values built from the profile's
// currency decimals, currency string and currency format ("￥,0.00").
String cxCurrencyDisplayFormat();
String cxCurrencyDisplayFormat(const TFormatSettings& FS);

TDateTime cxDateOnly(TDateTime D);   // whole days, truncated toward zero
TDateTime cxTimeOnly(TDateTime D);   // the fraction
// First day of the week of the program's locale: 0 = Sunday .. 6 = Saturday.
Integer cxFirstWeekDay();
// The first day of the week that contains D (never after D, at most 6 days
// before it).
TDateTime cxWeekStartOf(TDateTime D);
TDateTime cxWeekStartOf(TDateTime D, Integer FirstWeekDay);

// Case-insensitive: equal texts, or with Partial a Text that begins with
// Pattern. An empty Pattern matches only an empty Text.
bool cxTextMatches(const String& Text, const String& Pattern, bool Partial);

using TcxDataBindingEvent = std::function<void()>;

// Connects an editor to its data. This base serves unbound editors: it holds
// no value and is always available and editable unless made read-only.
class TcxCustomDataBinding : public TPersistent {
  TOVANI_CLASS(TcxCustomDataBinding, TPersistent)
 public:
  TcxCustomDataBinding(TPersistent* AOwner, TComponent* ADataComponent);

  virtual bool IsModified() const { return false; }
  virtual bool IsReadOnly() const { return FReadOnly; }
  virtual bool CanModify() const { return !IsReadOnly(); }
  virtual bool ExecuteAction(TObject* Action) { (void)Action; return false; }
  // The stored value (Null here).
  virtual Variant GetStoredValue(Integer ValueSource, bool ForEditing);
  virtual bool IsControlReadOnly() const { return IsReadOnly(); }
  virtual bool IsDataAvailable() const { return true; }
  virtual bool IsDataAware() const { return false; }
  virtual void Reset() {}
  virtual bool SetEditMode() { return CanModify(); }
  virtual void SetStoredValue(Integer ValueSource, const Variant& Value);
  virtual bool UpdateAction(TObject* Action) { (void)Action; return false; }
  virtual void UpdateRecord() {}

  // Sets the read-only flag; a change is announced through OnSourceChanged.
  virtual void ChangeReadOnly(bool Value);
  void AssignVisualControl(TComponent* AControl);

  TComponent* DataComponent() const { return FDataComponent; }
  TComponent* VisualControl() const { return FVisualControl; }

  TcxDataBindingEvent OnValueChanged;
  TcxDataBindingEvent OnSourceChanged;
  TcxDataBindingEvent OnStoreValue;

 protected:
  virtual void FireDataChanged();
  virtual void FireDataSetChanged();
  virtual void FireUpdateData();
  virtual void VisualControlAssigned() {}
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner;
  TComponent* FDataComponent;
  TComponent* FVisualControl = nullptr;
  bool FReadOnly = false;
};

// A collection whose assignment from another collection keeps its own items
// (assigned in place), adds the missing ones and deletes the surplus.
class TcxCollection : public TCollection {
  TOVANI_CLASS(TcxCollection, TCollection)
 public:
  using TCollection::TCollection;
  void Assign(TPersistent* Source) override;
};
