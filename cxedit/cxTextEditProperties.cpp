// The text editor's settings, its number and text conversions, and the view
// data and view info that lay out and paint its text where the inner edit
// does not show it (fixed lists, unfocused paint copies).
#include <climits>

#include "DateUtils.h"
#include "FormatSettings.h"
#include "Streaming.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "cxDrawTextUtils.h"
#include "cxTextEdit.h"

TOVANI_IMPLEMENT_CLASS(TcxTextEditPropertiesValues, TcxCustomEditPropertiesValues)
TOVANI_IMPLEMENT_ENUM_INFO(TcxEditEchoMode, "eemNormal", "eemPassword")
TOVANI_IMPLEMENT_ENUM_INFO(TcxTextEditViewStyle, "vsNormal", "vsHideCursor", "vsButtonsOnly", "vsButtonsAutoWidth")
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomTextEditProperties, TcxCustomEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxTextEditProperties, TcxCustomTextEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomTextEditViewInfo, TcxCustomEditViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxCustomTextEditViewData, TcxCustomEditViewData)

namespace {
const TcxResourceString cxSEditValueOutOfBounds{"Value out of bounds"};
const TcxResourceString cxSEditNumericValueConvertError{"Could not convert to numeric value"};

// "Zg": the height of one text row in the font.
Integer RowHeight(TcxCanvas* ACanvas) { return ACanvas->TextHeight("Zg"); }
}  // namespace

// ---------------------------------------------------------------------------
// Assigned values

void TcxTextEditPropertiesValues::Assign(TPersistent* Source) {
  BeginOwnerUpdate();
  try {
    TcxCustomEditPropertiesValues::Assign(Source);
    if (auto* s = dynamic_cast<TcxTextEditPropertiesValues*>(Source)) {
      SetDisplayFormat(s->FDisplayFormat);
      SetEditFormat(s->FEditFormat);
      SetMaxLength(s->FMaxLength);
    }
  } catch (...) {
    EndOwnerUpdate();
    throw;
  }
  EndOwnerUpdate();
}

void TcxTextEditPropertiesValues::ResetAssigned() {
  BeginOwnerUpdate();
  try {
    TcxCustomEditPropertiesValues::ResetAssigned();
    SetDisplayFormat(false);
    SetEditFormat(false);
    SetMaxLength(false);
  } catch (...) {
    EndOwnerUpdate();
    throw;
  }
  EndOwnerUpdate();
}

void TcxTextEditPropertiesValues::SetDisplayFormat(bool Value) {
  if (FDisplayFormat == Value) return;
  FDisplayFormat = Value;
  NotifyOwnerChanged();
}

void TcxTextEditPropertiesValues::SetEditFormat(bool Value) {
  if (FEditFormat == Value) return;
  FEditFormat = Value;
  NotifyOwnerChanged();
}

void TcxTextEditPropertiesValues::SetMaxLength(bool Value) {
  if (FMaxLength == Value) return;
  FMaxLength = Value;
  if (auto* p = dynamic_cast<TcxCustomTextEditProperties*>(Properties())) p->MaxLengthChanged();
}

bool TcxTextEditPropertiesValues::IsDisplayFormatStored() const {
  auto* p = dynamic_cast<TcxCustomTextEditProperties*>(Properties());
  return FDisplayFormat && p && p->DisplayFormat().empty();
}

bool TcxTextEditPropertiesValues::IsEditFormatStored() const {
  auto* p = dynamic_cast<TcxCustomTextEditProperties*>(Properties());
  return FEditFormat && p && p->EditFormat().empty();
}

TOVANI_PUBLISHED(TcxTextEditPropertiesValues) {
  Property("DisplayFormat", &TcxTextEditPropertiesValues::DisplayFormat,
           &TcxTextEditPropertiesValues::SetDisplayFormat)
      .Stored(&TcxTextEditPropertiesValues::IsDisplayFormatStored);
  Property("EditFormat", &TcxTextEditPropertiesValues::EditFormat, &TcxTextEditPropertiesValues::SetEditFormat)
      .Stored(&TcxTextEditPropertiesValues::IsEditFormatStored);
  Property("MaxLength", &TcxTextEditPropertiesValues::MaxLength, &TcxTextEditPropertiesValues::SetMaxLength)
      .Stored(false);
}

// ---------------------------------------------------------------------------
// Properties

TcxCustomTextEditProperties::TcxCustomTextEditProperties(TPersistent* AOwner)
    : TcxCustomEditProperties(AOwner), FLookupItems(std::make_unique<TStringList>()) {
  cxTextEditUnitStartup();
  SetAssignedValuesObject(new TcxTextEditPropertiesValues(this));
  FLookupItems->SetDuplicates(dupAccept);
  FLookupItems->OnChange = [this](TObject*) { Changed(); };
  cxGetFormatController()->AddListener(this);
}

TcxCustomTextEditProperties::~TcxCustomTextEditProperties() {
  // A controller already gone (the formats unit shut down) is not made anew.
  if (cxFormatControllerExists()) cxGetFormatController()->RemoveListener(this);
  FLookupItems->OnChange = nullptr;
}

void TcxCustomTextEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomTextEditProperties*>(Source);
  if (!s) {
    TcxCustomEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomEditProperties::Assign(Source);
    SetBeepOnEnter(s->FBeepOnEnter);
    SetCharCase(s->FCharCase);
    SetEchoMode(s->FEchoMode);
    SetKeepFixedListPrefix(s->FKeepFixedListPrefix);
    SetHideCursor(s->FHideCursor);
    SetHideSelection(s->FHideSelection);
    SetImmediateUpdateText(s->FImmediateUpdateText);
    SetIncrementalSearch(s->FIncrementalSearch);
    SetExactMatchLookup(s->FExactMatchLookup);
    FAlwaysAcceptedChars = s->FAlwaysAcceptedChars;
    FLookupItems->SetSorted(false);
    FLookupItems->Assign(s->FLookupItems.get());
    FLookupItems->SetSorted(s->FLookupItems->Sorted());
    auto* values = AssignedValues();
    values->SetDisplayFormat(false);
    values->SetEditFormat(false);
    values->SetMaxLength(false);
    if (s->AssignedValues()->DisplayFormat()) SetDisplayFormat(s->FDisplayFormat);
    if (s->AssignedValues()->EditFormat()) SetEditFormat(s->FEditFormat);
    if (s->AssignedValues()->MaxLength()) SetMaxLength(s->FMaxLength);
    SetOEMConvert(s->FOEMConvert);
    SetImeMode(s->FImeMode);
    SetImeName(s->FImeName);
    SetPasswordChar(s->FPasswordChar);
    SetUseDisplayFormatWhenEditing(s->FUseDisplayFormatWhenEditing);
    OnNewLookupDisplayText = s->OnNewLookupDisplayText;
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomTextEditProperties::DefineProperties(TFiler* Filer) {
  TcxCustomEditProperties::DefineProperties(Filer);
  // Older forms say whether the display format was assigned; it is read
  // into the flag and never written.
  Filer->DefineProperty(
      "IsDisplayFormatAssigned",
      [this](TReader* Reader) { AssignedValues()->SetDisplayFormat(Reader->ReadBoolean()); }, nullptr, false);
}

void TcxCustomTextEditProperties::SetBeepOnEnter(bool Value) { StoreText(FBeepOnEnter, Value); }
void TcxCustomTextEditProperties::SetCharCase(TEditCharCase Value) { StoreText(FCharCase, Value); }
void TcxCustomTextEditProperties::SetEchoMode(TcxEditEchoMode Value) { StoreText(FEchoMode, Value); }
void TcxCustomTextEditProperties::SetPasswordChar(char32_t Value) { StoreText(FPasswordChar, Value); }
void TcxCustomTextEditProperties::SetHideCursor(bool Value) { StoreText(FHideCursor, Value); }
void TcxCustomTextEditProperties::SetHideSelection(bool Value) { StoreText(FHideSelection, Value); }
void TcxCustomTextEditProperties::SetImeMode(TImeMode Value) { StoreText(FImeMode, Value); }
void TcxCustomTextEditProperties::SetImeName(const String& Value) { StoreText(FImeName, Value); }
void TcxCustomTextEditProperties::SetIncrementalSearch(bool Value) { StoreText(FIncrementalSearch, Value); }
void TcxCustomTextEditProperties::SetOEMConvert(bool Value) { StoreText(FOEMConvert, Value); }
void TcxCustomTextEditProperties::SetUseDisplayFormatWhenEditing(bool Value) {
  StoreText(FUseDisplayFormatWhenEditing, Value);
}
void TcxCustomTextEditProperties::SetExactMatchLookup(bool Value) { StoreText(FExactMatchLookup, Value); }

void TcxCustomTextEditProperties::SetKeepFixedListPrefix(bool Value) {
  if (FKeepFixedListPrefix == Value) return;
  FKeepFixedListPrefix = Value;
  if (GetTextInputMode() == timFixedList) Changed();
}

Integer TcxCustomTextEditProperties::MaxLength() {
  return AssignedValues()->MaxLength() ? FMaxLength : GetDefaultMaxLength();
}

void TcxCustomTextEditProperties::SetMaxLength(Integer Value) {
  if (Value < 0) Value = 0;
  if (AssignedValues()->MaxLength() && FMaxLength == Value) return;
  FMaxLength = Value;
  if (AssignedValues()->MaxLength())
    MaxLengthChanged();
  else
    AssignedValues()->SetMaxLength(true);   // announces the change itself
}

Integer TcxCustomTextEditProperties::GetDefaultMaxLength() {
  IcxEditDefaultValuesProvider* p = DefaultValuesProvider();
  return p ? p->DefaultMaxLength() : 0;
}

String TcxCustomTextEditProperties::DisplayFormat() {
  if (AssignedValues()->DisplayFormat()) return FDisplayFormat;
  if (IcxEditDefaultValuesProvider* p = DefaultValuesProvider()) {
    String f = p->DefaultDisplayFormat();
    if (!f.empty()) return f;
  }
  String f;
  GetDefaultDisplayFormat(f);
  return f;
}

void TcxCustomTextEditProperties::SetDisplayFormat(const String& Value) {
  if (AssignedValues()->DisplayFormat() && FDisplayFormat == Value) return;
  FDisplayFormat = Value;
  BeginUpdate();
  AssignedValues()->SetDisplayFormat(true);
  Changed();
  EndUpdate();
}

String TcxCustomTextEditProperties::EditFormat() {
  bool isCurrency = false, useOnGetText = false;
  String f;
  ResolveEditFormat(isCurrency, useOnGetText, f, nullptr);
  return f;
}

void TcxCustomTextEditProperties::SetEditFormat(const String& Value) {
  if (AssignedValues()->EditFormat() && FEditFormat == Value) return;
  FEditFormat = Value;
  BeginUpdate();
  AssignedValues()->SetEditFormat(true);
  Changed();
  EndUpdate();
}

void TcxCustomTextEditProperties::SetLookupItems(TStrings* Value) { FLookupItems->Assign(Value); }
void TcxCustomTextEditProperties::SetLookupItemsSorted(bool Value) { FLookupItems->SetSorted(Value); }

TcxTextEditViewStyle TcxCustomTextEditProperties::ViewStyle() {
  switch (ButtonsViewStyle()) {
    case bvsButtonsOnly: return vsButtonsOnly;
    case bvsButtonsAutoWidth: return vsButtonsAutoWidth;
    default: return FHideCursor ? vsHideCursor : vsNormal;
  }
}

void TcxCustomTextEditProperties::SetViewStyle(TcxTextEditViewStyle Value) {
  if (ViewStyle() == Value) return;
  static const TcxEditButtonsViewStyle kButtons[] = {bvsNormal, bvsNormal, bvsButtonsOnly, bvsButtonsAutoWidth};
  BeginUpdate();
  try {
    SetButtonsViewStyle(kButtons[Value]);
    SetHideCursor(Value != vsNormal);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomTextEditProperties::HandleFormatChanged() {
  FFormatChanging = true;
  try {
    Changed();
  } catch (...) {
    FFormatChanging = false;
    throw;
  }
  FFormatChanging = false;
}

TcxTextEditInputMode TcxCustomTextEditProperties::GetTextInputMode() {
  return FHideCursor ? timNoText : timFreeText;
}

TcxTextEditLookupDataFactory TcxCustomTextEditProperties::GetLookupDataType() {
  return [](TcxCustomTextEdit* AOwner) { return new TcxCustomTextEditLookupData(AOwner); };
}

bool TcxCustomTextEditProperties::IsLookupText(const String& AText) {
  for (Integer i = 0; i < FLookupItems->Count(); ++i)
    if (cxStringsEqual(FLookupItems->Strings(i), AText, false)) return true;
  return false;
}

bool TcxCustomTextEditProperties::IsValueBoundDefined(Integer ABound) {
  bool minAssigned = AssignedValues()->MinValue(), maxAssigned = AssignedValues()->MaxValue();
  if (minAssigned != maxAssigned) return ABound == 0 ? minAssigned : maxAssigned;
  return GetMaxValue() > GetMinValue();
}

void TcxCustomTextEditProperties::ApplyEchoAndCase(String& AText) {
  if (FEchoMode == eemPassword) {
    String echo = Utf8Encode(FPasswordChar ? FPasswordChar : U'*');
    String r;
    for (size_t i = Utf8Length(AText); i > 0; --i) r += echo;
    AText = r;
  } else {
    AText = cxApplyCharCase(AText, FCharCase);
  }
}

bool TcxCustomTextEditProperties::AcceptsDisplayText(String& ADisplayValue) {
  if (ADisplayValue.empty()) return true;
  TcxTextEditInputMode mode = GetTextInputMode();
  if ((mode == timListText || mode == timFixedList) && HasLookupData() && !IsLookupText(ADisplayValue)) return false;
  ADisplayValue = cxApplyCharCase(ADisplayValue, FCharCase);
  return true;
}

void TcxCustomTextEditProperties::GetInvalidInputText(String& AText) { TcxCustomEditProperties::GetInvalidInputText(AText); }

void TcxCustomTextEditProperties::GetInvalidInputTextOf(Integer AErrorKind, String& AText) {
  if (AErrorKind == 1)
    AText = cxLoadResourceText(cxSEditValueOutOfBounds);
  else
    GetInvalidInputText(AText);
}

TClass TcxCustomTextEditProperties::GetContainerClass() { return TcxTextEdit::StaticClass(); }
TClass TcxCustomTextEditProperties::GetViewDataClass() { return TcxCustomTextEditViewData::StaticClass(); }
TClass TcxCustomTextEditProperties::GetViewInfoClass() { return TcxCustomTextEditViewInfo::StaticClass(); }
TcxCustomEditViewInfo* TcxCustomTextEditProperties::CreateViewInfo() { return new TcxCustomTextEditViewInfo(); }

TcxCustomEditViewData* TcxCustomTextEditProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                                   bool APreviewMode) {
  auto* vd = new TcxCustomTextEditViewData(this, AStyle, AIsInplace);
  vd->PreviewMode = APreviewMode;
  return vd;
}

TcxCustomEditProperties* TcxCustomTextEditProperties::CreateOfSameClass() {
  return new TcxCustomTextEditProperties(nullptr);
}

bool TcxCustomTextEditProperties::SameDisplayValue(const Variant& V1, const Variant& V2) {
  return GetDisplayText(V1, true) == GetDisplayText(V2, true);
}

Integer TcxCustomTextEditProperties::GetViewOptions() { return TcxCustomEditProperties::GetViewOptions() | 0x15E; }

bool TcxCustomTextEditProperties::AcceptsEditValue(Variant& AEditValue, bool) {
  if (AEditValue.IsNull() || !VarIsStr(AEditValue)) return true;
  String s = VarToStr(AEditValue);
  if (!AcceptsDisplayText(s)) return false;
  AEditValue = Variant(s);
  return true;
}

void TcxCustomTextEditProperties::FormatNumber(const Variant& AValue, String& AText, bool AEditFocused) {
  IcxEditDefaultValuesProvider* provider = DefaultValuesProvider();
  if (AEditFocused) {
    bool isCurrency = false, useOnGetText = false;
    String format;
    ResolveEditFormat(isCurrency, useOnGetText, format, nullptr);
    Integer precision = provider ? provider->DefaultPrecision() : 15;
    Extended number = 0;
    if (isCurrency) {
      AText = VarToStr(AValue);
      if (TryStrToFloat(AText, number))
        AText = FloatToStrF(number, ffFixed, precision, FormatSettings().CurrencyDecimals);
    } else if (!format.empty()) {
      AText = FormatFloat(format, AValue.AsDouble());
    } else {
      AText = VarToStr(AValue);
      if (TryStrToFloat(AText, number)) AText = FloatToStrF(number, ffGeneral, precision, 0);
      if (UsesThousandSeparator(false)) cxInsertThousandSeparators(AText);
    }
    return;
  }
  String format = DisplayFormat();
  AText = format.empty() ? VarToStr(AValue) : FormatFloat(format, AValue.AsDouble());
}

void TcxCustomTextEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                      bool AEditFocused) {
  String text;
  if (SupportsValueRange()) {
    if (AEditValue.IsNull() || AEditValue.IsEmpty() || (VarIsStr(AEditValue) && VarToStr(AEditValue).empty())) {
      text.clear();
    } else if (VarIsNumeric(AEditValue) || VarIsStr(AEditValue)) {
      FormatNumber(AEditValue, text, AEditFocused);
    } else {
      throw EConvertError(cxLoadResourceText(cxSEditNumericValueConvertError));
    }
  } else if (!AEditValue.IsArray()) {
    text = VarToStr(AEditValue);
  }
  ADisplayValue = Variant(text);
}

void TcxCustomTextEditProperties::ResolveEditFormat(bool& AIsCurrency, bool& AUseOnGetText, String& AFormat,
                                                    TcxCustomEdit* AEdit) {
  AIsCurrency = AUseOnGetText = false;
  AFormat.clear();
  if (AssignedValues()->EditFormat()) {
    AFormat = FEditFormat;
    return;
  }
  IcxEditDefaultValuesProvider* provider = DefaultValuesProvider();
  if ((!AEdit || !AEdit->IsInplace()) && provider && provider->HasSetTextHandler()) {
    AUseOnGetText = true;
    return;
  }
  if (provider) {
    AFormat = provider->DefaultEditFormat();
    if (!AFormat.empty()) return;
  }
  if (AssignedValues()->DisplayFormat()) {
    AFormat = DisplayFormat();
  } else if (provider && !provider->DefaultDisplayFormat().empty()) {
    AFormat = provider->DefaultDisplayFormat();
  } else {
    GetDefaultDisplayFormat(AFormat);
    if (AFormat.empty() && provider) AIsCurrency = (GetDisplayFormatFlags() & ~2) != 0 && provider->IsCurrency();
  }
  if (!FUseDisplayFormatWhenEditing) AFormat.clear();
}

void TcxCustomTextEditProperties::ValidateValueRange(const Variant& ADisplayValue, String& AErrorText,
                                                     TcxCustomEdit* AEdit, bool& AError) {
  Variant value = ADisplayValue;
  if (AEdit) AEdit->DisplayToEditValue(ADisplayValue, value, AEdit->UsesEditFormat());
  bool isDate = value.Kind() == varDate;
  if (!VarIsNumeric(value) && !isDate) return;
  double v = value.AsDouble();
  if ((IsValueBoundDefined(0) && v < GetMinValue()) || (IsValueBoundDefined(1) && v > GetMaxValue())) {
    AError = true;
    GetInvalidInputTextOf(1, AErrorText);
  }
}

void TcxCustomTextEditProperties::CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError,
                                                    TcxCustomEdit* AEdit) {
  if (SupportsValueRange() && HasValueBounds()) {
    ValidateValueRange(ADisplayValue, AErrorText, AEdit, AError);
  }
  TcxCustomEditProperties::CheckDisplayValue(ADisplayValue, AErrorText, AError, AEdit);
}

void TcxCustomTextEditProperties::AlignmentChanged() {
  BeginUpdate();
  try {
    TcxCustomEditProperties::AlignmentChanged();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomTextEditProperties::SetAlignment(TcxEditAlignment* Value) {
  BeginUpdate();
  try {
    TcxCustomEditProperties::SetAlignment(Value);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TcxCustomTextEditProperties::GetDisplayText(const Variant& AEditValue, bool, bool AIsInplace) {
  String text;
  // Echo and case apply also when the conversion fails.
  struct TFinally {
    TcxCustomTextEditProperties* P;
    String& T;
    ~TFinally() { P->ApplyEchoAndCase(T); }
  } finally{this, text};
  if (UsesFieldDisplayFormat(false))
    text = VarToStr(AEditValue);
  else
    cxTextEditValueToText(this, AEditValue, !AIsInplace && !AllowsDirectEditing(), text);
  return text;
}

// What forms stream of the text settings.
TOVANI_PUBLISHED(TcxCustomTextEditProperties) {
  using P = TcxCustomTextEditProperties;
  Property<TcxTextEditPropertiesValues*>(
      "AssignedValues", [](P* p) { return p->AssignedValues(); },
      [](P* p, TcxTextEditPropertiesValues* v) { p->SetAssignedValues(v); });
  Property<bool>(
      "AutoSelect", [](P* p) { return p->AutoSelect(); }, [](P* p, bool v) { p->SetAutoSelect(v); })
      .Default(true);
  Property<bool>(
      "BeepOnError", [](P* p) { return p->BeepOnError(); }, [](P* p, bool v) { p->SetBeepOnError(v); })
      .Default(false);
  Property("CharCase", &P::CharCase, &P::SetCharCase).Default(ecNormal);
  Property<String>(
      "DisplayFormat", [](P* p) { return p->DisplayFormat(); }, [](P* p, const String& v) { p->SetDisplayFormat(v); })
      .Stored([](TObject* o) { return static_cast<P*>(o)->AssignedValues()->DisplayFormat(); });
  Property("EchoMode", &P::EchoMode, &P::SetEchoMode).Default(eemNormal);
  Property<String>(
      "EditFormat", [](P* p) { return p->EditFormat(); }, [](P* p, const String& v) { p->SetEditFormat(v); })
      .Stored([](TObject* o) { return static_cast<P*>(o)->AssignedValues()->EditFormat(); });
  Property("HideSelection", &P::HideSelection, &P::SetHideSelection).Default(true);
  Property("ImeMode", &P::ImeMode, &P::SetImeMode).Default(imDontCare);
  Property<String>(
      "ImeName", [](P* p) { return p->ImeName(); }, [](P* p, const String& v) { p->SetImeName(v); });
  Property<bool>(
      "ImmediatePost", [](P* p) { return p->ImmediatePost(); }, [](P* p, bool v) { p->SetImmediatePost(v); })
      .Default(false);
  Property("ImmediateUpdateText", &P::ImmediateUpdateText, &P::SetImmediateUpdateText).Default(false);
  Property("IncrementalSearch", &P::IncrementalSearch, &P::SetIncrementalSearch).Default(true);
  Property<TStrings*>(
      "LookupItems", [](P* p) -> TStrings* { return p->LookupItems(); }, [](P* p, TStrings* v) { p->SetLookupItems(v); });
  Property("LookupItemsSorted", &P::LookupItemsSorted, &P::SetLookupItemsSorted).Default(false);
  Property<Integer>(
      "MaxLength", [](P* p) { return p->MaxLength(); }, [](P* p, Integer v) { p->SetMaxLength(v); })
      .Stored([](TObject* o) { return static_cast<P*>(o)->AssignedValues()->MaxLength(); });
  Property("OEMConvert", &P::OEMConvert, &P::SetOEMConvert).Default(false);
  Property<bool>(
      "ReadOnly", [](P* p) { return p->ReadOnly(); }, [](P* p, bool v) { p->SetReadOnly(v); })
      .Stored([](TObject* o) { return static_cast<P*>(o)->AssignedValues()->ReadOnly(); });
  Property("UseDisplayFormatWhenEditing", &P::UseDisplayFormatWhenEditing, &P::SetUseDisplayFormatWhenEditing)
      .Default(false);
  Property<bool>(
      "UseLeftAlignmentOnEditing", [](P* p) { return p->UseLeftAlignmentOnEditing(); },
      [](P* p, bool v) { p->SetUseLeftAlignmentOnEditing(v); });
  Property<bool>(
      "ValidateOnEnter", [](P* p) { return p->ValidateOnEnter(); }, [](P* p, bool v) { p->SetValidateOnEnter(v); })
      .Default(true);
}

// ---------------------------------------------------------------------------
// Text routines

String cxApplyCharCase(const String& AText, TEditCharCase ACharCase) {
  switch (ACharCase) {
    case ecUpperCase: return AnsiUpperCase(AText);
    case ecLowerCase: return AnsiLowerCase(AText);
    default: return AText;
  }
}

void cxSplitExponent(String& AText, String& AExponent) {
  size_t e = AText.find_first_of("eE");
  if (e == String::npos) {
    AExponent.clear();
    return;
  }
  AExponent = AText.substr(e);
  AText.erase(e);
}

void cxRemoveThousandSeparators(String& AText) {
  char sep = FormatSettings().ThousandSeparator;
  if (sep == 0) return;
  AText.erase(std::remove(AText.begin(), AText.end(), sep), AText.end());
}

void cxInsertThousandSeparators(String& AText) {
  size_t first = AText.find_first_not_of(' ');
  if (first == String::npos) return;
  size_t last = AText.find_last_not_of(' ');
  String leading = AText.substr(0, first), trailing = AText.substr(last + 1);
  String number = AText.substr(first, last - first + 1), exponent;
  cxSplitExponent(number, exponent);
  cxRemoveThousandSeparators(number);
  const TFormatSettings& fs = FormatSettings();
  size_t intEnd = number.find(fs.DecimalSeparator);
  if (intEnd == String::npos) intEnd = number.size();
  Integer digits = 0;
  for (size_t i = intEnd; i > 0; --i) {
    if (!isdigit(static_cast<unsigned char>(number[i - 1]))) break;
    if (digits > 0 && digits % 3 == 0) number.insert(i, 1, fs.ThousandSeparator);
    ++digits;
  }
  AText = leading + number + exponent + trailing;
}

bool cxIsNumberText(const String& AText) {
  String s = AText;
  cxRemoveThousandSeparators(s);
  Extended v;
  return !s.empty() && TryStrToFloat(s, v);
}

void cxReformatNumberText(TcxCustomTextEdit* AEdit) {
  String old = AEdit->Text();
  String text = old;
  cxInsertThousandSeparators(text);
  if (!cxIsNumberText(text) || text == old) return;
  char sep = FormatSettings().ThousandSeparator;
  // Count what precedes the caret without separators, then find the same
  // place in the new text.
  Integer caret = AEdit->SelStart(), kept = 0;
  for (Integer i = 0; i < caret && i < Integer(old.size()); ++i)
    if (old[i] != sep) ++kept;
  AEdit->SetDisplayValueFromData(Variant(text));
  Integer pos = 0;
  for (; pos < Integer(text.size()) && kept > 0; ++pos)
    if (text[pos] != sep) --kept;
  AEdit->SetSelStart(pos);
}

void cxTextEditValueToText(TcxCustomTextEditProperties* AProperties, const Variant& AEditValue, bool AEditFocused,
                           String& AResult) {
  Variant v = AEditValue;
  if (AProperties->AcceptsEditValue(v, AEditFocused)) {
    Variant d;
    AProperties->PrepareDisplayValue(v, d, AEditFocused);
    AResult = VarToStr(d);
  } else if (AEditValue.Kind() == varDate) {
    AResult = DateTimeToStr(VarToDateTime(AEditValue));
  } else {
    AResult = VarToStr(AEditValue);
  }
}

void cxGetEditTextRect(TcxCustomTextEditViewData* AViewData, TRect& AInsets) {
  TSize offsets = AViewData->GetTextOffsetsSize();
  AInsets = TRect(0, 0, 0, 0);
  (void)offsets;
  TcxTextEditInputMode mode = AViewData->InputMode();
  if (!AViewData->IsInplace && (mode == timFixedList || mode == timNoText)) {
    if (AViewData->VertAlignment == taTopJustify) {
      AInsets.Top += 1;
      AInsets.Bottom -= 1;
    }
    if (AViewData->HorzAlignment == taRightJustify)
      AInsets.Right += 1;
    else
      AInsets.Left += 1;
  }
}

void cxCalcTextEditContentSize(TcxCanvas* ACanvas, TcxCustomTextEditViewData* AViewData, const String& AText,
                               TSize& ASize, Cardinal AFlags, const TcxEditSizeProperties& AEditSizeProperties,
                               Integer ARowCount, bool AAddOffsets) {
  TFont* font = AViewData->Style->GetVisibleTextFont();
  ACanvas->Canvas()->Font()->Assign(font);
  Integer rowHeight = RowHeight(ACanvas);
  TSize offsets = AViewData->GetTextOffsetsSize();
  TcxTextEditInputMode mode = AViewData->InputMode();
  bool aligned = (mode == timFixedList || mode == timNoText) &&
                 (AViewData->IsInplace || !AViewData->IsComboStyle() || !AViewData->NativeStyle);
  auto emptyHeight = [&] { return (AViewData->TextOptions & 1) ? 0 : rowHeight; };
  if (AEditSizeProperties.Width >= 0) {
    Integer w = AEditSizeProperties.Width;
    if (ARowCount > 0) {
      ASize = TSize{w, ARowCount * rowHeight};
    } else {
      Integer usable = w - 3 + (AViewData->IsInplace ? 0 : 2) + (aligned ? 0 : 1);
      if (usable > 0) {
        ASize.cx = w;
        if (AText.empty()) {
          ASize.cy = emptyHeight();
        } else {
          TRect r(0, 0, usable, INT_MAX / 4);
          Integer rows = cxLayoutAndDrawTextPlain(ACanvas->Handle(), AText, r,
                                                  CXTO_WORDBREAK | CXTO_CALCROWCOUNT | CXTO_CALCRECT,
                                                  AEditSizeProperties.MaxLineCount);
          if (AEditSizeProperties.MaxLineCount > 0) rows = std::min(rows, AEditSizeProperties.MaxLineCount);
          ASize.cy = std::max<Integer>(rows, 1) * rowHeight;
        }
      } else {
        ASize = TSize{0, emptyHeight()};
      }
    }
  } else {
    bool wraps = (AFlags & CXTO_SINGLELINE) == 0 ||
                 ((AViewData->TextOptions & 2) && (AViewData->Properties->GetViewOptions() & 2));
    if (wraps && !AText.empty()) {
      TRect r(0, 0, INT_MAX / 4, INT_MAX / 4);
      cxLayoutAndDrawTextPlain(ACanvas->Handle(), AText, r, CXTO_CALCRECT);
      ASize.cx = r.Right - r.Left;
      ASize.cy = ARowCount > 0 ? ARowCount * rowHeight : rowHeight;
    } else {
      ASize.cx = AText.empty() ? 0 : ACanvas->TextWidth(AText);
      ASize.cy = rowHeight;
    }
    if (aligned) ASize.cx += 1;
    if (AAddOffsets) ASize.cx += offsets.cx;
  }
  if (ASize.cy > 0) ASize.cy += offsets.cy;
}

// ---------------------------------------------------------------------------
// View data

TcxTextEditInputMode TcxCustomTextEditViewData::InputMode() {
  return static_cast<TcxCustomTextEditProperties*>(Properties)->GetTextInputMode();
}

bool TcxCustomTextEditViewData::HasEditShowingText() {
  return Edit && Edit->HasReadOnlyText();
}

void TcxCustomTextEditViewData::InitFromProperties() {
  TcxCustomEditViewData::InitFromProperties();
  FieldFormatting = Properties->UsesFieldDisplayFormat(false);
}

void TcxCustomTextEditViewData::GetValueDisplayText(const Variant& AEditValue, String& AText) {
  AText = Properties->GetDisplayText(AEditValue, true, IsInplace);
}

TSize TcxCustomTextEditViewData::GetEditContentSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                                                    const TcxEditSizeProperties& ASizeProperties) {
  String text;
  PrepareDisplayText(AEditValue, text);
  TSize size{0, 0};
  cxCalcTextEditContentSize(ACanvas, this, text, size, GetDrawTextFlags(), ASizeProperties, 0, true);
  return size;
}

Cardinal TcxCustomTextEditViewData::GetDrawTextFlags() {
  Cardinal flags = CXTO_PREVENT_LEFT_EXCEED | CXTO_PREVENT_TOP_EXCEED | CXTO_SINGLELINE;
  if (HorzAlignment == taRightJustify)
    flags |= CXTO_RIGHT;
  else if (HorzAlignment == taCenter)
    flags |= CXTO_CENTER_HORIZONTALLY;
  if (VertAlignment == taBottomJustify)
    flags |= CXTO_BOTTOM;
  else if (VertAlignment == taVCenter)
    flags |= CXTO_CENTER_VERTICALLY;
  return flags;
}

void TcxCustomTextEditViewData::GetTextRect(TRect& AInsets) { cxGetEditTextRect(this, AInsets); }

void TcxCustomTextEditViewData::PrepareTextForPaint(const String& ADisplayValue,
                                                    TcxCustomTextEditViewInfo* AViewInfo) {
  String text = ADisplayValue;
  static_cast<TcxCustomTextEditProperties*>(Properties)->ApplyEchoAndCase(text);
  AViewInfo->Text = HideText ? String() : text;
}

void TcxCustomTextEditViewData::PrepareViewInfoForPaint(TcxCanvas*, const Variant& AEditValue,
                                                        TcxCustomEditViewInfo* AViewInfo) {
  auto* vi = dynamic_cast<TcxCustomTextEditViewInfo*>(AViewInfo);
  if (!vi) return;
  String text;
  PrepareDisplayText(AEditValue, text);
  vi->Text = HideText ? String() : text;
  PrepareSelection(vi);
}

void TcxCustomTextEditViewData::PrepareSelection(TcxCustomTextEditViewInfo* AViewInfo) {
  AViewInfo->SelStart = SelStart;
  AViewInfo->SelLength = SelLength;
  if (SelLength == 0) return;
  if (SelBackgroundColor != clDefault) {
    AViewInfo->SelBackgroundColor = SelBackgroundColor;
    AViewInfo->SelTextColor =
        SelTextColor != clDefault ? SelTextColor : TColor(ColorToRGB(SelBackgroundColor) ^ 0xFFFFFF);
  } else if (SelTextColor != clDefault) {
    AViewInfo->SelTextColor = SelTextColor;
    AViewInfo->SelBackgroundColor = TColor(ColorToRGB(SelTextColor) ^ 0xFFFFFF);
  } else if (Style->Color() == clHighlight) {
    AViewInfo->SelTextColor = clWhite;
    AViewInfo->SelBackgroundColor = clBlack;
  } else {
    AViewInfo->SelTextColor = clHighlightText;
    AViewInfo->SelBackgroundColor = clHighlight;
  }
}

void TcxCustomTextEditViewData::CalculateNativeInfo(TcxEditButtonViewInfo* AButton,
                                                    TcxCustomEditViewInfo* AViewInfo) {
  TcxCustomEditViewData::CalculateNativeInfo(AButton, AViewInfo);
}

void TcxCustomTextEditViewData::GetContentExtent(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo,
                                                 TRect& AExtent) {
  TcxCustomEditViewData::GetContentExtent(ACanvas, AViewInfo, AExtent);
  if (!IsInplace && IsComboStyle() && NativeStyle) AExtent.Right += 1;
}

void TcxCustomTextEditViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton,
                                          TShiftState Shift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  TcxCustomEditViewData::Calculate(ACanvas, ABounds, P, AButton, Shift, AViewInfo, AIsMouseEvent);
  auto* vi = dynamic_cast<TcxCustomTextEditViewInfo*>(AViewInfo);
  if (!vi) return;
  vi->DrawSelectionBar = false;
  vi->InputMode = InputMode();
  vi->IsEditShowingText = HasEditShowingText();
  vi->HasPopupWindow = Edit && Edit->HasPopupWindow();
  vi->ComboStyle = IsComboStyle();
  TRect insets;
  GetTextRect(insets);
  TRect r = vi->ClientRect;
  r.Left += insets.Left;
  r.Top += insets.Top;
  r.Right -= insets.Right;
  r.Bottom -= insets.Bottom;
  if (!(TextOptions & 2)) {
    ACanvas->Canvas()->Font()->Assign(vi->Font);
    Integer h = RowHeight(ACanvas);
    if (r.Bottom - r.Top < h) r.Bottom = std::min(r.Top + h, vi->ClientRect.Bottom);
  }
  vi->TextRect = r;
  vi->MaxLineCount = GetMaxLineCount();
  CalculateTextLayout(ACanvas, vi);
}

// A host that lets the text wrap (a grid row of several lines) gets it
// measured in rows: a text of one row keeps the single-line flags; several
// rows are word-broken, and start at the top when they are higher than the
// text rectangle.
void TcxCustomTextEditViewData::CalculateTextLayout(TcxCanvas* ACanvas, TcxCustomTextEditViewInfo* AViewInfo) {
  auto* p = static_cast<TcxCustomTextEditProperties*>(Properties);
  Cardinal flags = GetDrawTextFlags();
  if (!p->IsMultiLine() && (p->GetViewOptions() & 2) && (TextOptions & 2) && ACanvas &&
      !AViewInfo->Text.empty()) {
    const Cardinal wrapped = (flags & ~CXTO_SINGLELINE) | CXTO_WORDBREAK | CXTO_EDITCONTROL;
    if (AViewInfo->Font) ACanvas->Canvas()->Font()->Assign(AViewInfo->Font);
    // Measured from the top, so the height is the rows' own; right-aligned
    // text may use the last pixel of the rectangle.
    TRect r = AViewInfo->TextRect;
    if ((flags & CXTO_HORZ_MASK) == CXTO_RIGHT) ++r.Right;
    const Integer rows = cxLayoutAndDrawCanvasTextPlain(
        ACanvas, AViewInfo->Text, r, (wrapped & ~CXTO_VERT_MASK) | CXTO_CALCRECT | CXTO_CALCROWCOUNT);
    if (rows > 1) {
      flags = wrapped;
      if (r.Height() > AViewInfo->TextRect.Height()) flags &= ~CXTO_VERT_MASK;
    }
  }
  if (AViewInfo->PaintOptions == 8) flags |= CXTO_END_ELLIPSIS;
  AViewInfo->DrawTextFlags = flags;
}

// ---------------------------------------------------------------------------
// View info

void TcxCustomTextEditViewInfo::AssignFrom(TcxContainerViewInfo* Source) {
  TcxCustomEditViewInfo::AssignFrom(Source);
  if (auto* s = dynamic_cast<TcxCustomTextEditViewInfo*>(Source)) {
    Text = s->Text;
    DrawSelectionBar = s->DrawSelectionBar;
    SelStart = s->SelStart;
    SelLength = s->SelLength;
  }
}

void TcxCustomTextEditViewInfo::MoveBy(Integer DX, Integer DY) {
  TcxCustomEditViewInfo::MoveBy(DX, DY);
  OffsetRect(TextRect, DX, DY);
}

void TcxCustomTextEditViewInfo::PaintContent(TcxCanvas* ACanvas) {
  cxDrawEditBackgroundAndButtons(ACanvas, this, !Transparent && !DrawSelectionBar, BackgroundKind());
  TRect r = ClientRect;
  if (!IsInplace) {
    if ((!NativeStyle || DrawSelectionBar) && !Transparent && InputMode != timNoText)
      cxFillSolidRect(ACanvas, r, BackgroundColor);
    InflateRect(r, -1, -1);
  }
  bool drawsText = !IsEditShowingText || PaintCopyMode;
  if (!DrawOwnerContent(ACanvas, r)) {
    if (DrawSelectionBar) cxFillSolidRect(ACanvas, r, clHighlight);
    if (drawsText) DrawText(ACanvas);
  }
  if (!IsInplace && Focused && !IsEditShowingText && !HasPopupWindow && !PaintCopyMode) {
    TCanvas* c = ACanvas->Canvas();
    c->Font()->SetColor(DrawSelectionBar ? clHighlightText : clBtnText);
    c->Brush()->SetColor(DrawSelectionBar ? clHighlight : BackgroundColor);
    SetTextColor(c->Handle(), ColorToRGB(c->Font()->Color()));
    SetBkColor(c->Handle(), ColorToRGB(c->Brush()->Color()));
    RECT fr = *r.AsRECT();
    ::DrawFocusRect(c->Handle(), &fr);
  }
}

void TcxCustomTextEditViewInfo::DrawText(TcxCanvas* ACanvas) {
  if (Text.empty()) return;
  TCanvas* c = ACanvas->Canvas();
  if (Font) c->Font()->Assign(Font);
  c->Font()->SetColor(DrawSelectionBar ? clHighlightText : TextColor);
  c->Brush()->SetStyle(bsClear);
  TRect r = TextRect;
  Integer length = Integer(Utf8Length(Text));
  Integer selStart = SelStart, selLength = SelLength;
  if (selStart < 0 || selStart >= length) selStart = selLength = 0;
  if (selStart + selLength > length) selLength = length - selStart;
  cxLayoutAndDrawCanvasText(c, Text, r, DrawTextFlags, selStart, selLength,
                            selLength > 0 ? SelBackgroundColor : clNone, selLength > 0 ? SelTextColor : clNone,
                            MaxLineCount);
  c->Brush()->SetStyle(bsSolid);
}

Integer TcxCustomTextEditViewInfo::GetTextOffset() {
  TcxCanvas* canvas = cxSharedScreenCanvas();
  if (Font) canvas->Canvas()->Font()->Assign(Font);
  TEXTMETRICW tm{};
  GetTextMetricsW(canvas->Handle(), &tm);
  Integer vert = DrawTextFlags & CXTO_VERT_MASK;
  if (vert == CXTO_BOTTOM) return TextRect.Bottom - tm.tmDescent + 1;
  if (vert == CXTO_CENTER_VERTICALLY)
    return TextRect.Top + (TextRect.Bottom - TextRect.Top - tm.tmHeight) / 2 + tm.tmAscent + 1;
  return TextRect.Top + tm.tmAscent + 1;
}

bool TcxCustomTextEditViewInfo::NeedShowHint(TcxCanvas* ACanvas, TPoint P, String& AText, bool& AIsMultiLine) {
  TRect area = TextRect;
  area.Left = std::max(area.Left, ClientRect.Left);
  area.Top = std::max(area.Top, ClientRect.Top);
  area.Right = std::min(area.Right, ClientRect.Right);
  area.Bottom = std::min(area.Bottom, ClientRect.Bottom);
  if (Text.empty() || !PtInRect(area, P)) return TcxCustomEditViewInfo::NeedShowHint(ACanvas, P, AText, AIsMultiLine);
  TCanvas* c = ACanvas->Canvas();
  if (Font) c->Font()->Assign(Font);
  TRect r(0, 0, (DrawTextFlags & CXTO_WORDBREAK) ? area.Right - area.Left : INT_MAX / 4, INT_MAX / 4);
  cxLayoutAndDrawCanvasTextPlain(ACanvas, Text, r, (DrawTextFlags & ~CXTO_END_ELLIPSIS) | CXTO_CALCRECT);
  if (r.Right - r.Left <= area.Right - area.Left && r.Bottom - r.Top <= area.Bottom - area.Top) return false;
  AText = Text;
  AIsMultiLine = (DrawTextFlags & CXTO_WORDBREAK) && !(DrawTextFlags & CXTO_SINGLELINE);
  return true;
}
