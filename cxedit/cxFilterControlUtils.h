// Filter-edit helpers: for each editor kind, how an editor is set up to
// edit the operand of a filter condition (its properties derived from a
// column's, no buttons unless the kind needs them, no data events), which
// operators the column offers, and how a value goes in and out. A
// process-wide controller maps an editor properties class to its helper;
// every editor unit registers its pair at start-up.
#pragma once
#include <cstdint>

#include "cxClasses.h"
#include "cxDataStorage.h"
#include "cxEdit.h"

// A set of filter operator codes 0..39.
using TcxFilterEditOperators = uint64_t;
constexpr TcxFilterEditOperators cxFilterOperatorBit(Integer ACode) { return TcxFilterEditOperators(1) << ACode; }
// The operators a filter row offers for ordered values (numbers, amounts,
// times, dates): codes 1 to 6, 9 and 10, and 11 to 14 when extended.
constexpr TcxFilterEditOperators cxOrderedValueFilterOperators(bool AExtended) {
  TcxFilterEditOperators R = 0;
  for (Integer B : {1, 2, 3, 4, 5, 6, 9, 10}) R |= cxFilterOperatorBit(B);
  if (AExtended)
    for (Integer B = 11; B <= 14; ++B) R |= cxFilterOperatorBit(B);
  return R;
}

// The helpers are never instantiated: each class has one stateless object
// that stands for the class (cxFilterEditHelper finds it by class).
class TcxCustomFilterEditHelper : public TObject {
  TOVANI_CLASS(TcxCustomFilterEditHelper, TObject)
 public:
  virtual void ClearPropertiesEvents(TcxCustomEditProperties* AProperties) const;
  virtual void PrepareFilterEdit(TcxCustomEdit* AEdit, TcxCustomEditProperties* ASourceProperties) const;
  virtual bool AcceptsProperties(TcxCustomEditProperties* ASourceProperties) const { return true; }
  // Whether the filter editor keeps its buttons.
  virtual bool GetEditFlags() const { return false; }
  // The editor class that edits the operand (null here).
  virtual TClass GetFilterEditorClass() const { return nullptr; }
  virtual void ReadFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AProperties, Variant& AValue,
                               String& ADisplayText) const;
  virtual TcxFilterEditOperators GetAllowedOperators(TcxCustomEditProperties* AProperties,
                                                     TcxValueTypeClass AValueTypeClass, bool AExtended) const;
  virtual void InitFilterProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* ASourceProperties,
                                    bool AKeepButtons) const;
  virtual bool IsValueAcceptable(TcxValueTypeClass AValueTypeClass, Variant& AValue) const;
  virtual void WriteFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AProperties,
                                const Variant& AValue) const {}
  virtual bool CompareByDisplayText() const { return false; }
};

// The stateless object of a registered helper class; null for other classes.
const TcxCustomFilterEditHelper* cxFilterEditHelper(TClass AHelperClass);
// Registers a helper class's stateless object (the helper units do this at
// start-up).
void cxRegisterFilterEditHelper(TClass AHelperClass, const TcxCustomFilterEditHelper* AHelper);

// Properties class -> helper class. A pair is stored under the parent of
// the properties class given, so a registration serves the whole branch of
// that parent; the controller frees itself when its last pair goes.
class TcxFilterEditsController : public TcxRegisteredClassList {
  TOVANI_CLASS(TcxFilterEditsController, TcxRegisteredClassList)
 public:
  void AddClassPair(TClass AItemClass, TClass ARegisteredClass) override;
  void RemoveClassPair(TClass AItemClass, TClass ARegisteredClass) override;
  // The helper of a properties class (through its most derived registered
  // ancestor); null when none.
  const TcxCustomFilterEditHelper* FindHelper(TClass APropertiesClass) const;
};

TcxFilterEditsController* cxGetFilterEditsController();
// Whether the global controller exists now (tests of its lifetime).
bool cxFilterEditsControllerExists();
