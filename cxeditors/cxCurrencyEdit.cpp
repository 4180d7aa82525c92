// The currency editor.
#include "cxCurrencyEdit.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "FormatSettings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "cxClasses.h"
#include "cxControls.h"
#include "cxFilterControlUtils.h"
#include "cxFormats.h"
#include "cxTextChars.h"

TOVANI_IMPLEMENT_CLASS(TcxCurrencyEditPropertiesValues, TcxTextEditPropertiesValues)
TOVANI_IMPLEMENT_CLASS(TcxCustomCurrencyEditProperties, TcxCustomTextEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCurrencyEditProperties, TcxCustomCurrencyEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomCurrencyEdit, TcxCustomTextEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCurrencyEdit, TcxCustomCurrencyEdit)

namespace {
const TcxResourceString cxSEditCurrencyDescription{"CurrencyEdit|Represents an editor enabling editing currency data"};

bool IsSoftNull(const Variant& V) { return VarIsNull(V) || VarIsEmpty(V); }

class TcxFilterCurrencyEditHelper : public TcxFilterTextEditHelper {
  TOVANI_CLASS(TcxFilterCurrencyEditHelper, TcxFilterTextEditHelper)
 public:
  TClass GetFilterEditorClass() const override { return TcxCurrencyEdit::StaticClass(); }
  TcxFilterEditOperators GetAllowedOperators(TcxCustomEditProperties*, TcxValueTypeClass, bool AExtended) const override {
    return cxOrderedValueFilterOperators(AExtended);
  }
  void InitFilterProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* ASource,
                            bool AKeepButtons) const override {
    TcxFilterTextEditHelper::InitFilterProperties(AProperties, ASource, AKeepButtons);
    if (auto* P = dynamic_cast<TcxCustomCurrencyEditProperties*>(AProperties)) {
      P->SetMinValue(0);
      P->SetMaxValue(0);
      P->SetNullable(true);
      P->SetNullString("");
    }
  }
};

Integer GUnitCounter = 0;
}  // namespace
TOVANI_IMPLEMENT_CLASS(TcxFilterCurrencyEditHelper, TcxFilterTextEditHelper)

bool cxStrToCurrencyValue(const String& AText, double& AValue) {
  String S = AText;
  const char TS = FormatSettings().ThousandSeparator;
  S.erase(std::remove(S.begin(), S.end(), TS), S.end());
  Extended V;
  if (TryStrToFloat(S, V) && (V == 0 || (std::fabs(V) >= 5e-324 && std::fabs(V) <= 1.7e308))) {
    AValue = V;
    return true;
  }
  AValue = 0;
  return false;
}

// ---------------------------------------------------------------------------
// Properties

void TcxCurrencyEditPropertiesValues::Assign(TPersistent* Source) {
  BeginOwnerUpdate();
  TcxTextEditPropertiesValues::Assign(Source);
  if (auto* S = dynamic_cast<TcxCurrencyEditPropertiesValues*>(Source)) SetDecimalPlaces(S->FDecimalPlaces);
  EndOwnerUpdate();
}

void TcxCurrencyEditPropertiesValues::ResetAssigned() {
  BeginOwnerUpdate();
  TcxTextEditPropertiesValues::ResetAssigned();
  SetDecimalPlaces(false);
  EndOwnerUpdate();
}

void TcxCurrencyEditPropertiesValues::SetDecimalPlaces(bool Value) {
  if (FDecimalPlaces == Value) return;
  FDecimalPlaces = Value;
  NotifyOwnerChanged();
}

TcxCustomCurrencyEditProperties::TcxCustomCurrencyEditProperties(TPersistent* AOwner)
    : TcxCustomTextEditProperties(AOwner) {
  cxCurrencyEditUnitStartup();
  SetAssignedValuesObject(new TcxCurrencyEditPropertiesValues(this));
  SetValidateOnEnter(true);
}

void TcxCustomCurrencyEditProperties::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TcxCustomCurrencyEditProperties*>(Source);
  if (!S) return TcxCustomTextEditProperties::Assign(Source);
  BeginUpdate();
  TcxCustomTextEditProperties::Assign(Source);
  AssignedValues()->SetDecimalPlaces(false);
  if (S->AssignedValues()->DecimalPlaces()) SetDecimalPlaces(S->FDecimalPlaces);
  FNullable = S->FNullable;
  FNullString = S->FNullString;
  FUseThousandSeparator = S->FUseThousandSeparator;
  Changed();
  EndUpdate();
}

Integer TcxCustomCurrencyEditProperties::DecimalPlaces() {
  return AssignedValues()->DecimalPlaces() ? FDecimalPlaces : Integer(FormatSettings().CurrencyDecimals);
}

void TcxCustomCurrencyEditProperties::SetDecimalPlaces(Integer Value) {
  if (AssignedValues()->DecimalPlaces() && FDecimalPlaces == Value) return;
  FDecimalPlaces = Value;
  BeginUpdate();
  AssignedValues()->SetDecimalPlaces(true);
  Changed();
  EndUpdate();
}

void TcxCustomCurrencyEditProperties::SetNullable(bool Value) {
  if (FNullable == Value) return;
  FNullable = Value;
  Changed();
}

void TcxCustomCurrencyEditProperties::SetNullString(const String& Value) {
  if (FNullString == Value) return;
  FNullString = Value;
  Changed();
}

void TcxCustomCurrencyEditProperties::SetUseThousandSeparator(bool Value) {
  if (FUseThousandSeparator == Value) return;
  FUseThousandSeparator = Value;
  Changed();
}

TClass TcxCustomCurrencyEditProperties::GetContainerClass() { return TcxCurrencyEdit::StaticClass(); }

void TcxCustomCurrencyEditProperties::GetDefaultDisplayFormat(String& AFormat) {
  AFormat = cxGetFormatController()->CurrencyDisplayFormat;
}

TcxEditValueSource TcxCustomCurrencyEditProperties::UsesDataDisplayFormat(bool AEditFocused) {
  if (AEditFocused) return evsValue;
  IcxEditDefaultValuesProvider* P = DefaultValuesProvider();
  return P && P->HasSetTextHandler() ? evsText : evsValue;
}

bool TcxCustomCurrencyEditProperties::IsValidCurrencyText(const String& AText) {
  const char DS = FormatSettings().DecimalSeparator;
  const size_t Dot = AText.find(DS);
  if (Dot != String::npos) {
    size_t End = AText.find_first_of("eE", Dot);
    if (End == String::npos) End = AText.size();
    if (Integer(End - Dot - 1) > DecimalPlaces()) return false;
  }
  double V;
  return cxStrToCurrencyValue(AText, V);
}

void TcxCustomCurrencyEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                          bool AEditFocused) {
  if (IsSoftNull(AEditValue) || (VarIsStr(AEditValue) && VarToStr(AEditValue).empty())) {
    if (AEditFocused) ADisplayValue = Variant(String());
    else if (FNullable) ADisplayValue = Variant(FNullString);
    else TcxCustomTextEditProperties::PrepareDisplayValue(Variant(0.0), ADisplayValue, false);
    return;
  }
  try {
    TcxCustomTextEditProperties::PrepareDisplayValue(AEditValue, ADisplayValue, AEditFocused);
  } catch (const EConvertError&) {
    ADisplayValue = AEditFocused ? Variant(String()) : Variant(VarToStr(AEditValue));
  } catch (const EVariantError&) {
    ADisplayValue = AEditFocused ? Variant(String()) : Variant(VarToStr(AEditValue));
  }
}

bool TcxCustomCurrencyEditProperties::AcceptsEditValue(Variant& AEditValue, bool) {
  if (IsSoftNull(AEditValue) || VarIsNumeric(AEditValue)) return true;
  double V;
  return VarIsStr(AEditValue) && (VarToStr(AEditValue).empty() || cxStrToCurrencyValue(VarToStr(AEditValue), V));
}

bool TcxCustomCurrencyEditProperties::AcceptsDisplayText(String& ADisplayValue) {
  const String T = Trim(ADisplayValue);
  double V;
  if (!cxStrToCurrencyValue(T, V)) return false;
  ADisplayValue = T;
  return true;
}

void TcxCustomCurrencyEditProperties::CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError,
                                                        TcxCustomEdit* AEdit) {
  const String T = Trim(VarToStr(ADisplayValue));
  double V;
  // An empty text (or the null text) is no amount, and no error.
  AError = !T.empty() && T != FNullString && !cxStrToCurrencyValue(T, V);
  TcxCustomTextEditProperties::CheckDisplayValue(ADisplayValue, AErrorText, AError, AEdit);
}

// ---------------------------------------------------------------------------
// Editor

TcxCustomCurrencyEdit::TcxCustomCurrencyEdit(TComponent* AOwner, bool AIsInplace,
                                             const TcxEditPropertiesFactory& AProperties)
    : TcxCustomTextEdit(AOwner, AIsInplace,
                        AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                          return new TcxCustomCurrencyEditProperties(O);
                        }) {
  SetControlStyle(ControlStyle() - csSetCaption);
}

TcxCurrencyEdit::TcxCurrencyEdit(TComponent* AOwner, bool AIsInplace)
    : TcxCustomCurrencyEdit(AOwner, AIsInplace,
                            [](TPersistent* O) -> TcxCustomEditProperties* { return new TcxCurrencyEditProperties(O); }) {}

void TcxCustomCurrencyEdit::DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  TcxCustomCurrencyEditProperties* P = ActiveProperties();
  const String T = Trim(VarToStr(ADisplayValue));
  double V;
  if (!T.empty() && T != P->NullString() && cxStrToCurrencyValue(T, V))
    AEditValue = Variant(V);
  else
    AEditValue = P->Nullable() ? Variant::Null() : Variant(Currency(0));
}

void TcxCustomCurrencyEdit::GetEditingValue(Variant& AValue) { DisplayToEditValue(Variant(Text()), AValue, Focused()); }

double TcxCustomCurrencyEdit::Value() {
  if (Focused() && EditModified()) {
    Variant V;
    GetEditingValue(V);
    return VarIsNumeric(V) ? V.AsDouble() : 0;
  }
  const Variant& E = EditValue();
  if (IsSoftNull(E)) return 0;
  if (VarIsStr(E)) {
    const Currency C = StrToCurrDef(VarToStr(E), Currency(0));
    return C != Currency(0) ? double(C) : 0;
  }
  return E.AsDouble();
}

void TcxCustomCurrencyEdit::SetValue(double AValue) {
  TcxCustomCurrencyEditProperties* P = ActiveProperties();
  if (P->IsValueBoundDefined(0) && AValue < P->GetMinValue())
    AValue = P->GetMinValue();
  else if (P->IsValueBoundDefined(1) && AValue > P->GetMaxValue())
    AValue = P->GetMaxValue();
  SetEditValueQuiet(Variant(AValue));
}

void TcxCustomCurrencyEdit::EnforceValueRange() {
  if (EditModified() && !RequestEditing()) return;
  SetValue(Value());
}

void TcxCustomCurrencyEdit::PropertiesChanged(TObject* Sender) {
  // A change of the locale's formats reaches the editor once, from its
  // binding; the properties' own notification of it is not a second one.
  if (Sender && ActiveProperties()->FormatChanging()) return;
  if (!Focused() && !InnerEditNotReady()) DataBinding()->UpdateDisplayValue();
  TcxCustomTextEdit::PropertiesChanged(Sender);
}

void TcxCustomCurrencyEdit::PasteFromClipboard() {
  if (CanModify()) TcxCustomTextEdit::PasteFromClipboard();
}

void TcxCustomCurrencyEdit::DoEditKeyPress(char32_t& Key) {
  const TFormatSettings& FS = FormatSettings();
  if (ActiveProperties()->UseThousandSeparator() && Key == char32_t(FS.ThousandSeparator)) {
    // Passes as it is.
  } else if (Key == U',' || Key == U'.') {
    Key = char32_t(FS.DecimalSeparator);
  }
  TcxCustomTextEdit::DoEditKeyPress(Key);
}

bool TcxCustomCurrencyEdit::IsCharValidForData(char32_t AChar) {
  TcxCustomCurrencyEditProperties* P = ActiveProperties();
  const bool Thousand = P->UseThousandSeparator() && AChar == char32_t(FormatSettings().ThousandSeparator);
  if (!cxIsNumericInputChar(AChar, 2) && !Thousand) return false;
  bool IsCurrency = false, UseOnGetText = false;
  String Format;
  P->ResolveEditFormat(IsCurrency, UseOnGetText, Format, this);
  if ((!Format.empty() || UseOnGetText) && !P->IsValidCurrencyText(Text())) return true;
  // The text as it would be with the character typed over the selection.
  const TcxChars C = cxUtf8ToChars(Text());
  const size_t Start = std::min<size_t>(std::max<Integer>(SelStart(), 0), C.size());
  const size_t End = std::min<size_t>(Start + std::max<Integer>(SelLength(), 0), C.size());
  const String Before = cxCharsToUtf8(C.substr(0, Start)), After = cxCharsToUtf8(C.substr(End));
  const String T = Before + Utf8Encode(AChar) + After;
  if (AChar == U'-' && Trim(Before + After).empty()) return true;
  return P->IsValidCurrencyText(T);
}

// ---------------------------------------------------------------------------
// Start-up

void cxCurrencyEditUnitStartup() {
  if (GUnitCounter != 0) return;
  --GUnitCounter;
  static TcxFilterCurrencyEditHelper Helper;
  cxRegisterFilterEditHelper(TcxFilterCurrencyEditHelper::StaticClass(), &Helper);
  cxEditPropertiesRegistry()->AddClass(TcxCurrencyEditProperties::StaticClass(),
                                      cxLoadResourceText(cxSEditCurrencyDescription));
  cxGetFilterEditsController()->AddClassPair(TcxCurrencyEditProperties::StaticClass(),
                                             TcxFilterCurrencyEditHelper::StaticClass());
}

void cxCurrencyEditUnitShutdown() {
  if (GUnitCounter != -1) return;
  ++GUnitCounter;
  if (cxFilterEditsControllerExists())
    cxGetFilterEditsController()->RemoveClassPair(TcxCurrencyEditProperties::StaticClass(),
                                                  TcxFilterCurrencyEditHelper::StaticClass());
}

// ---------------------------------------------------------------------------
// What form files store

TOVANI_PUBLISHED(TcxCurrencyEditProperties) {
  using P = TcxCurrencyEditProperties;
  Property<Integer>(
      "DecimalPlaces", [](P* p) { return p->DecimalPlaces(); }, [](P* p, Integer v) { p->SetDecimalPlaces(v); })
      .Stored([](TObject* O) { return static_cast<P*>(O)->AssignedValues()->DecimalPlaces(); });
  Property<double>(
      "MaxValue", [](P* p) { return p->MaxValue(); }, [](P* p, double v) { p->SetMaxValue(v); })
      .Stored([](TObject* O) { return static_cast<P*>(O)->MaxValue() != 0.0; });
  Property<double>(
      "MinValue", [](P* p) { return p->MinValue(); }, [](P* p, double v) { p->SetMinValue(v); })
      .Stored([](TObject* O) { return static_cast<P*>(O)->MinValue() != 0.0; });
  Property("Nullable", &P::Nullable, &P::SetNullable).Default(true);
  Property("NullString", &P::NullString, &P::SetNullString);
  Property("UseThousandSeparator", &P::UseThousandSeparator, &P::SetUseThousandSeparator).Default(false);
}

TOVANI_PUBLISHED(TcxCurrencyEdit) {
  Property("BeepOnEnter", &TcxCustomTextEdit::BeepOnEnter, &TcxCustomTextEdit::SetBeepOnEnter).Default(true);
  Property("Properties", &TcxCurrencyEdit::Properties, &TcxCurrencyEdit::SetProperties);
  Property<double>(
      "Value", [](TcxCurrencyEdit* e) { return e->Value(); }, [](TcxCurrencyEdit* e, double v) { e->SetValue(v); })
      .Stored([](TObject* O) { return static_cast<TcxCurrencyEdit*>(O)->Value() != 0.0; });
}
