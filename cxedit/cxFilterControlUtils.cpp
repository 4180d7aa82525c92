#include "cxFilterControlUtils.h"

#include <map>
#include <memory>

TOVANI_IMPLEMENT_CLASS(TcxCustomFilterEditHelper, TObject)
TOVANI_IMPLEMENT_CLASS(TcxFilterEditsController, TcxRegisteredClassList)

namespace {
TcxFilterEditsController* GController = nullptr;
std::map<TClass, const TcxCustomFilterEditHelper*>& Helpers() {
  static std::map<TClass, const TcxCustomFilterEditHelper*> helpers;
  return helpers;
}
const TcxCustomFilterEditHelper GBaseHelper;
const bool GBaseRegistered =
    (cxRegisterFilterEditHelper(TcxCustomFilterEditHelper::StaticClass(), &GBaseHelper), true);
}  // namespace

const TcxCustomFilterEditHelper* cxFilterEditHelper(TClass AHelperClass) {
  auto it = Helpers().find(AHelperClass);
  return it == Helpers().end() ? nullptr : it->second;
}

void cxRegisterFilterEditHelper(TClass AHelperClass, const TcxCustomFilterEditHelper* AHelper) {
  Helpers()[AHelperClass] = AHelper;
}

// Controller ---------------------------------------------------------------------

TcxFilterEditsController* cxGetFilterEditsController() {
  if (!GController) GController = new TcxFilterEditsController();
  return GController;
}

bool cxFilterEditsControllerExists() { return GController != nullptr; }

void TcxFilterEditsController::AddClassPair(TClass AItemClass, TClass ARegisteredClass) {
  TClass parent = AItemClass && AItemClass->Parent ? AItemClass->Parent : AItemClass;
  TcxRegisteredClassList::AddClassPair(parent, ARegisteredClass);
}

void TcxFilterEditsController::RemoveClassPair(TClass AItemClass, TClass ARegisteredClass) {
  TClass parent = AItemClass && AItemClass->Parent ? AItemClass->Parent : AItemClass;
  TcxRegisteredClassList::RemoveClassPair(parent, ARegisteredClass);
  if (GetPairCount() == 0) {
    // The last pair gone: the controller frees itself and nothing of it is
    // touched afterwards.
    if (GController == this) GController = nullptr;
    delete this;
  }
}

const TcxCustomFilterEditHelper* TcxFilterEditsController::FindHelper(TClass APropertiesClass) const {
  TClass helper = FindClass(APropertiesClass);
  return helper ? cxFilterEditHelper(helper) : nullptr;
}

// Base helper ---------------------------------------------------------------------

void TcxCustomFilterEditHelper::ClearPropertiesEvents(TcxCustomEditProperties* AProperties) const {
  if (!AProperties) return;
  AProperties->OnButtonClick = nullptr;
  AProperties->OnChange = nullptr;
  AProperties->OnEditValueChanged = nullptr;
  AProperties->OnValidate = nullptr;
}

void TcxCustomFilterEditHelper::PrepareFilterEdit(TcxCustomEdit* AEdit,
                                                  TcxCustomEditProperties* ASourceProperties) const {
  InitFilterProperties(AEdit->GetEffectiveProperties(), ASourceProperties, GetEditFlags());
}

void TcxCustomFilterEditHelper::ReadFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AProperties,
                                                Variant& AValue, String& ADisplayText) const {
  AEdit->GetEditValue(AValue);
  ADisplayText = AProperties->GetDisplayText(AValue, false, true);
}

TcxFilterEditOperators TcxCustomFilterEditHelper::GetAllowedOperators(TcxCustomEditProperties* AProperties,
                                                                      TcxValueTypeClass AValueTypeClass,
                                                                      bool AExtended) const {
  TcxFilterEditOperators result = 0;
  for (Integer code = 1; code <= (AExtended ? 14 : 10); ++code) result |= cxFilterOperatorBit(code);
  if (AValueTypeClass && AValueTypeClass->IsStringType()) return result;
  return result & ~(cxFilterOperatorBit(7) | cxFilterOperatorBit(8));
}

void TcxCustomFilterEditHelper::InitFilterProperties(TcxCustomEditProperties* AProperties,
                                                     TcxCustomEditProperties* ASourceProperties,
                                                     bool AKeepButtons) const {
  AProperties->Assign(ASourceProperties);
  TcxEditAlignment* a = AProperties->GetAlignment();
  a->SetHorz(taLeftJustify);
  a = AProperties->GetAlignment();
  a->SetVert(taTopJustify);
  AProperties->SetBeepOnError(false);
  if (!AKeepButtons) AProperties->Buttons()->Clear();
  AProperties->SetReadOnly(false);
  AProperties->SetValidateOnEnter(true);
  if (!AcceptsProperties(ASourceProperties)) AProperties->AttachDefaultValuesProvider(nullptr);
  ClearPropertiesEvents(AProperties);
}

bool TcxCustomFilterEditHelper::IsValueAcceptable(TcxValueTypeClass AValueTypeClass, Variant& AValue) const {
  return AValueTypeClass && AValueTypeClass->IsValueConvertible(AValue);
}
