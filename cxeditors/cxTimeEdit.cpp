// The time editor.
#include "cxTimeEdit.h"

#include <windows.h>

#include <cmath>
#include <memory>

#include "DateUtils.h"
#include "FormatSettings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "cxClasses.h"
#include "cxFilterControlUtils.h"
#include "cxFormats.h"
#include "cxTextChars.h"

TOVANI_IMPLEMENT_ENUM_INFO(TcxTimeEditTimeFormat, "tfHourMinSec", "tfHourMin", "tfHour")
TOVANI_IMPLEMENT_CLASS(TcxCustomTimeEditProperties, TcxCustomSpinEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxTimeEditProperties, TcxCustomTimeEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomTimeEdit, TcxCustomSpinEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxTimeEdit, TcxCustomTimeEdit)

namespace {
const TcxResourceString cxSEditTimeConvertError{"Could not convert to time"};
const TcxResourceString cxSEditTimeDescription{"TimeEdit|Represents an editor displaying time values"};

const char* const kDisplayFormats[3][2] = {
    {"hh:nn:ss ampm", "hh:nn:ss"}, {"hh:nn ampm", "hh:nn"}, {"hh ampm", "hh"}};
const char* const kMasks24[3] = {"00:00:00;1;0", "00:00;1;0", "00;1;0"};
const Integer kPartLengths[3] = {8, 5, 2};
// Seconds a spin step moves per time part (AM/PM, hours, minutes, seconds).
constexpr Integer kSecondsAMPM = 43200, kSecondsHour = 3600, kSecondsMinute = 60;

bool IsSoftNull(const Variant& V) { return VarIsNull(V) || VarIsEmpty(V); }
TDateTime Frac(TDateTime D) { return std::fabs(D - std::trunc(D)); }

// The 12-hour masks: the digits of each time format, then the designator of
// 12:00 as 'c' positions after a space. Built at the unit's start-up and
// again whenever the locale's formats change, so they follow the
// designators in force.
String GTwelveHourMasks[3];

void BuildTwelveHourMasks() {
  const String Sample = FormatDateTime("hh:mm:ss AMPM", 1.5);
  TcxChars C = cxUtf8ToChars(Sample);
  String Tail;
  for (size_t I = 8; I < C.size(); ++I) Tail += C[I] == U' ' ? ' ' : 'c';
  while (!Tail.empty() && Tail.back() == ' ') Tail.pop_back();
  const char* Digits = "00:00:00";
  for (Integer F = 0; F < 3; ++F) GTwelveHourMasks[F] = String(Digits, kPartLengths[F]) + Tail + ";1;0";
}

// Hears of format changes for the unit: the 12-hour masks are rebuilt.
class TcxTimeEditFormatListener : public IcxLocaleFormatListener {
 public:
  TcxTimeEditFormatListener() {
    cxGetFormatController()->AddListener(this);
    BuildTwelveHourMasks();
  }
  ~TcxTimeEditFormatListener() override {
    if (cxFormatControllerExists()) cxGetFormatController()->RemoveListener(this);
  }
  void LocaleFormatChanged() override { BuildTwelveHourMasks(); }
};
std::unique_ptr<TcxTimeEditFormatListener> GFormatListener;

class TcxFilterTimeEditHelper : public TcxFilterMaskEditHelper {
  TOVANI_CLASS(TcxFilterTimeEditHelper, TcxFilterMaskEditHelper)
 public:
  bool GetEditFlags() const override { return true; }
  TClass GetFilterEditorClass() const override { return TcxTimeEdit::StaticClass(); }
  TcxFilterEditOperators GetAllowedOperators(TcxCustomEditProperties*, TcxValueTypeClass, bool AExtended) const override {
    return cxOrderedValueFilterOperators(AExtended);
  }
  // A filter row's time box starts at midnight.
  void PrepareFilterEdit(TcxCustomEdit* AEdit, TcxCustomEditProperties* ASourceProperties) const override;
};

Integer GUnitCounter = 0;
}  // namespace
TOVANI_IMPLEMENT_CLASS(TcxFilterTimeEditHelper, TcxFilterMaskEditHelper)

void TcxFilterTimeEditHelper::PrepareFilterEdit(TcxCustomEdit* AEdit, TcxCustomEditProperties* ASourceProperties) const {
  TcxFilterMaskEditHelper::PrepareFilterEdit(AEdit, ASourceProperties);
  if (auto* E = dynamic_cast<TcxCustomTimeEdit*>(AEdit)) E->SetTime(0);
}

String cxTimeEditDisplayFormat(TcxTimeEditTimeFormat AFormat, bool AUse24HourFormat) {
  return kDisplayFormats[AFormat][AUse24HourFormat ? 1 : 0];
}

String cxTimeEditMask(TcxTimeEditTimeFormat AFormat, bool AUse24HourFormat) {
  if (AUse24HourFormat) return kMasks24[AFormat];
  if (GTwelveHourMasks[AFormat].empty()) BuildTwelveHourMasks();
  return GTwelveHourMasks[AFormat];
}

// ---------------------------------------------------------------------------
// Typing into a time part

bool cxCheckTimePartInput(TcxCustomMaskEdit* AEdit, char32_t& Ch, Integer Position, const TcxTimePartInfo& Info) {
  TcxChars T = cxUtf8ToChars(AEdit->Text());
  const Integer Index = Position - 1;   // 0-based
  if (Index < 0 || Index >= Integer(T.size())) return true;
  const Integer First = Info.Start - 1;
  auto Show = [&](Integer ACaret) {
    AEdit->SetDisplayValueFromData(Variant(cxCharsToUtf8(T)));
    AEdit->SetSelStart(ACaret);
    AEdit->SetSelLength(1);
  };
  if (Info.Kind != 3) {
    if (Ch < U'0' || Ch > U'9') return false;
    const Integer Lo = Info.Kind == 0 && !Info.Use24HourFormat ? 1 : 0;
    const Integer Hi = Info.Kind == 0 ? (Info.Use24HourFormat ? 23 : 12) : 59;
    if (First + 1 >= Integer(T.size())) return true;
    TcxChars Part{T[First], T[First + 1]};
    Part[Index - First] = Ch;
    auto Digit = [](char32_t C) { return C >= U'0' && C <= U'9' ? Integer(C - U'0') : 0; };
    const Integer N = Digit(Part[0]) * 10 + Digit(Part[1]);
    if (N >= Lo && N <= Hi) return true;
    if (Index == First) {
      if (Ch == U'0') {
        // "0" followed by the digit that stood here.
        T[First + 1] = T[First] == U' ' ? U'0' : T[First];
        T[First] = U'0';
        Show(First + 1);
        return false;
      }
      const Integer MaxFirst = Hi / 10;
      if (Integer(Ch - U'0') > MaxFirst) {
        // Typing 7 into the hours gives 07.
        T[First] = U'0';
        T[First + 1] = Ch;
        Show(std::min<Integer>(First + 2, Integer(T.size())));
        return false;
      }
      T[First] = Ch;
      T[First + 1] = U'0';
      Show(First + 1);
      return false;
    }
    if (Ch == U'0') return false;
    T[First] = U'0';
    T[First + 1] = Ch;
    Show(std::min<Integer>(First + 2, Integer(T.size())));
    return false;
  }
  // The AM/PM part.
  String AM, PM;
  switch (Info.AMPMKind) {
    case 0: AM = "A", PM = "P"; break;
    case 1: AM = "AM", PM = "PM"; break;
    default: AM = FormatSettings().TimeAMString, PM = FormatSettings().TimePMString; break;
  }
  const TcxChars A = cxUtf8ToChars(AM), P = cxUtf8ToChars(PM);
  auto Lower = [](char32_t C) { return C < 128 ? char32_t(std::tolower(int(C))) : C; };
  size_t K = 0;
  while (K < A.size() && K < P.size() && Lower(A[K]) == Lower(P[K])) ++K;
  const Integer Rel = Index - First;   // 0-based inside the part
  if (Rel < Integer(K)) {
    if (Rel >= Integer(A.size()) || Lower(Ch) != Lower(A[Rel])) return false;
    Ch = A[Rel];
    return true;
  }
  if (Rel > Integer(K)) {
    if (Index >= Integer(T.size()) || Lower(Ch) != Lower(T[Index])) return false;
    Ch = T[Index];
    return true;
  }
  const TcxChars* Pick = nullptr;
  if (K < A.size() && Lower(Ch) == Lower(A[K])) Pick = &A;
  else if (K < P.size() && Lower(Ch) == Lower(P[K])) Pick = &P;
  if (!Pick) return false;
  for (size_t I = 0; I < Pick->size() && First + Integer(I) < Integer(T.size()); ++I) T[First + I] = (*Pick)[I];
  AEdit->SetDisplayValueFromData(Variant(cxCharsToUtf8(T)));
  AEdit->SetSelStart(std::min<Integer>(First + Integer(Pick->size()), Integer(T.size())));
  return false;
}

// ---------------------------------------------------------------------------
// Properties

namespace {
class TcxTimeEditMaskMode : public TcxMaskEditStandardMode {
 public:
  TcxTimeEditMaskMode(IcxMaskEditHost* AEdit, IcxMaskEditProperties* AProperties, TcxCustomTimeEditProperties* ATime)
      : TcxMaskEditStandardMode(AEdit, AProperties), FTime(ATime) {}
  char32_t GetBlankChar(Integer Position) override { return FTime->GetTimePartAt(Position) == 3 ? 0 : U'0'; }

 private:
  TcxCustomTimeEditProperties* FTime;
};
}  // namespace

TcxCustomTimeEditProperties::TcxCustomTimeEditProperties(TPersistent* AOwner) : TcxCustomSpinEditProperties(AOwner) {
  cxTimeEditUnitStartup();
  BeginUpdate();
  SetValueType(vtFloat);
  UpdateEditMask();
  SetIgnoreMaskBlank(true);
  SetIncrement(1.0);
  SetMinValue(0);
  SetMaxValue(86399);
  SetAlwaysShowBlanksAndLiterals(true);
  EndUpdate(false);
}

void TcxCustomTimeEditProperties::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TcxCustomTimeEditProperties*>(Source);
  if (!S) return TcxCustomSpinEditProperties::Assign(Source);
  BeginUpdate();
  TcxCustomSpinEditProperties::Assign(Source);
  FAutoCorrectHours = S->FAutoCorrectHours;
  FShowDate = S->FShowDate;
  FTimeFormat = S->FTimeFormat;
  FUse24HourFormat = S->FUse24HourFormat;
  FUseTimeFormatWhenUnfocused = S->FUseTimeFormatWhenUnfocused;
  UpdateEditMask();
  Changed();
  EndUpdate();
}

void TcxCustomTimeEditProperties::UpdateEditMask() { SetEditMask(cxTimeEditMask(FTimeFormat, FUse24HourFormat)); }

void TcxCustomTimeEditProperties::SetShowDate(bool Value) {
  if (FShowDate == Value) return;
  FShowDate = Value;
  Changed();
}

void TcxCustomTimeEditProperties::SetTimeFormat(TcxTimeEditTimeFormat Value) {
  if (FTimeFormat == Value) return;
  FTimeFormat = Value;
  UpdateEditMask();
  Changed();
}

void TcxCustomTimeEditProperties::SetUse24HourFormat(bool Value) {
  if (FUse24HourFormat == Value) return;
  FUse24HourFormat = Value;
  UpdateEditMask();
  Changed();
}

void TcxCustomTimeEditProperties::SetUseTimeFormatWhenUnfocused(bool Value) {
  if (FUseTimeFormatWhenUnfocused == Value) return;
  FUseTimeFormatWhenUnfocused = Value;
  Changed();
}

TClass TcxCustomTimeEditProperties::GetContainerClass() { return TcxTimeEdit::StaticClass(); }

TcxMaskEditModeFactory TcxCustomTimeEditProperties::GetMaskModeClass(TcxEditMaskKind) {
  return [this](IcxMaskEditHost* AEdit, IcxMaskEditProperties* AProperties) -> TcxMaskEditCustomMode* {
    return new TcxTimeEditMaskMode(AEdit, AProperties, this);
  };
}

Integer TcxCustomTimeEditProperties::GetTimePartAt(Integer Position) {
  const Integer Max = MaxLength();
  if (Max > 0 && Max < Position) Position = Max;
  if (!FUse24HourFormat && Position > 8 - 3 * Integer(FTimeFormat)) return 3;
  String F = UpperCase(DisplayFormat());
  auto At = [&](Integer P) { return F[std::min<size_t>(std::max<Integer>(P, 1), F.size()) - 1]; };
  char C = At(Position);
  if (C != 'H' && C != 'N' && C != 'S') C = At(Position + 1);
  return C == 'H' ? 0 : C == 'N' ? 1 : 2;
}

Integer TcxCustomTimeEditProperties::GetTimePartStart(Integer AKind) {
  return AKind == 3 ? 10 - 3 * Integer(FTimeFormat) : 3 * AKind + 1;
}

void TcxCustomTimeEditProperties::GetTimePartInfo(Integer Position, TcxTimePartInfo& Info) {
  Info.Kind = GetTimePartAt(Position);
  Info.Start = GetTimePartStart(Info.Kind);
  Info.Length = GetTimePartLength();
  Info.AMPMKind = GetAMPMKind();
  Info.Use24HourFormat = FUse24HourFormat;
}

String TcxCustomTimeEditProperties::FormatTimeText(TDateTime AValue, bool AEditFocused) {
  String S;
  const bool WithDate = AValue != 0 && FShowDate && std::trunc(AValue) != 0;
  if (AEditFocused || (FUseTimeFormatWhenUnfocused && !WithDate))
    S = FormatDateTime(DisplayFormat(), AValue);
  else if (WithDate)
    S = DateTimeToStr(AValue);
  else
    S = TimeToStr(AValue);
  return TrimRight(S);
}

void TcxCustomTimeEditProperties::GetNullDisplayValue(String& ADisplayValue) {
  ADisplayValue = TrimRight(FormatDateTime(DisplayFormat(), 0));
}

void TcxCustomTimeEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                      bool AEditFocused) {
  auto NullText = [&] {
    String S;
    if (AEditFocused) GetNullDisplayValue(S);
    ADisplayValue = Variant(S);
  };
  if (IsSoftNull(AEditValue)) return NullText();
  TDateTime D;
  if (VarIsStr(AEditValue)) {
    // A text that reads as no time shows as no value (not as the time of
    // the moment it happens to be shown).
    if (!TryStrToDateTime(VarToStr(AEditValue), D)) return NullText();
  } else if (VarIsType(AEditValue, varDate) || VarIsNumeric(AEditValue)) {
    D = AEditValue.AsDouble();
  } else {
    throw EConvertError(cxLoadResourceText(cxSEditTimeConvertError));
  }
  try {
    ADisplayValue = Variant(FormatTimeText(D, AEditFocused));
  } catch (const Exception&) {
    NullText();
  }
}

bool TcxCustomTimeEditProperties::AcceptsDisplayText(String& ADisplayValue) {
  TDateTime D;
  if (!TryStrToDateTime(ADisplayValue, D)) return false;
  ADisplayValue = TrimRight(FormatDateTime(DisplayFormat(), D));
  return true;
}

bool TcxCustomTimeEditProperties::AcceptsEditValue(Variant& AEditValue, bool) {
  if (VarIsStr(AEditValue)) {
    String S = VarToStr(AEditValue);
    return AcceptsDisplayText(S);
  }
  return IsSoftNull(AEditValue) || VarIsType(AEditValue, varDate) || VarIsNumeric(AEditValue);
}

void TcxCustomTimeEditProperties::CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError,
                                                    TcxCustomEdit* AEdit) {
  if (AErrorText.empty()) AErrorText = cxLoadResourceText(cxSEditTimeConvertError);
  FireValidateEvents(ADisplayValue, AErrorText, AError, AEdit);
}

void TcxCustomTimeEditProperties::HandleFormatChanged() {
  // The 12-hour masks carry the locale's designators: take the new ones
  // (these properties may hear of the change before the unit's listener).
  BuildTwelveHourMasks();
  const auto Before = OwnEditMask();
  BeginUpdate();
  try {
    UpdateEditMask();
  } catch (...) {
    EndUpdate(false);
    throw;
  }
  EndUpdate(OwnEditMask() != Before);
  TcxCustomSpinEditProperties::HandleFormatChanged();
}

// ---------------------------------------------------------------------------
// Editor

TcxCustomTimeEdit::TcxCustomTimeEdit(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties)
    : TcxCustomSpinEdit(AOwner, AIsInplace,
                        AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                          return new TcxCustomTimeEditProperties(O);
                        }) {
  SetControlStyle(ControlStyle() - csSetCaption);
  FInternalValue = Variant(0.0);
  SetEditValueQuiet(Variant::Null());
}

TcxTimeEdit::TcxTimeEdit(TComponent* AOwner, bool AIsInplace)
    : TcxCustomTimeEdit(AOwner, AIsInplace,
                        [](TPersistent* O) -> TcxCustomEditProperties* { return new TcxTimeEditProperties(O); }) {}

void TcxCustomTimeEdit::DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  TcxCustomTimeEditProperties* P = ActiveProperties();
  String Text = VarToStr(ADisplayValue);
  const Integer TF = Integer(P->TimeFormat());
  if (!P->Use24HourFormat()) {
    const TcxChars C = cxUtf8ToChars(Text);
    const size_t Digits = size_t(8 - 3 * TF);
    const String Tail = C.size() > Digits ? cxCharsToUtf8(C.substr(Digits)) : "";
    Text = cxCharsToUtf8(C.substr(0, Digits));
    Text += " " + (Tail.find(FormatSettings().TimeAMString) != String::npos ? FormatSettings().TimeAMString
                                                                           : FormatSettings().TimePMString);
  }
  if (Text.size() == 2) Text += ":00";
  TDateTime T = 0;
  if (!TryStrToTime(Text, T)) T = 0;
  const TDateTime D = FDatePart + (FDatePart < 0 ? -T : T);
  AEditValue = D != 0 ? VarFromDateTime(D) : Variant(D);
}

void TcxCustomTimeEdit::PropertiesChanged(TObject* Sender) {
  if (!Focused() && !InnerEditNotReady()) {
    DataBinding()->UpdateDisplayValue();
    SetSelStart(Integer(Utf8Length(Text())));
  }
  TcxCustomSpinEdit::PropertiesChanged(Sender);
}

void TcxCustomTimeEdit::DoSetDisplayValue(const Variant& AValue) {
  // An empty 12-hour text goes in as it is: the mask would show blanks
  // and literals of a time nobody entered.
  if (!ActiveProperties()->Use24HourFormat() && VarToStrDef(AValue, "").empty()) {
    TcxCustomTextEdit::DoSetDisplayValue(AValue);
    return;
  }
  TcxCustomSpinEdit::DoSetDisplayValue(AValue);
}

void TcxCustomTimeEdit::GetEditingValue(Variant& AValue) { DisplayToEditValue(Variant(Text()), AValue, Focused()); }

TDateTime TcxCustomTimeEdit::Time() {
  TDateTime D = Now();
  if (Focused()) {
    Variant V;
    DisplayToEditValue(Variant(Text()), V, true);
    D = V.AsDouble();
  } else {
    const Variant& E = EditValue();
    if (VarIsStr(E)) D = StrToDateTime(VarToStr(E));
    else if (!IsSoftNull(E)) D = E.AsDouble();
  }
  return Frac(D);
}

void TcxCustomTimeEdit::SetTime(TDateTime Value) {
  const TDateTime T = Frac(Value);
  SetEditValueQuiet(VarFromDateTime(FDatePart + (FDatePart < 0 ? -T : T)));
}

void TcxCustomTimeEdit::InternalSetEditValue(const Variant& Value, bool AValidate) {
  Variant V = Value;
  if (IsSoftNull(Value) || (AValidate && !ActiveProperties()->AcceptsEditValue(V, Focused()))) {
    FDatePart = 0;
  } else if (VarIsStr(Value)) {
    TDateTime D;
    FDatePart = TryStrToDateTime(VarToStr(Value), D) ? std::trunc(D) : 0;
  } else if (VarIsType(Value, varDate) || VarIsNumeric(Value)) {
    FDatePart = std::trunc(Value.AsDouble());
  }
  TcxCustomSpinEdit::InternalSetEditValue(Value, AValidate);
}

void TcxCustomTimeEdit::GetValue(Variant& AValue) {
  // Seconds since midnight, read from the shown text.
  TcxCustomTimeEditProperties* P = ActiveProperties();
  const TcxChars T = cxUtf8ToChars(Text());
  auto Num = [&](Integer At) {
    Integer N = 0;
    for (Integer I = At; I < At + 2 && I < Integer(T.size()); ++I)
      if (T[I] >= U'0' && T[I] <= U'9') N = N * 10 + Integer(T[I] - U'0');
    return N;
  };
  Integer Hours = Num(0);
  if (!P->Use24HourFormat()) Hours %= 12;
  Integer S = Hours * 3600;
  if (P->TimeFormat() != tfHour) S += Num(3) * 60;
  if (P->TimeFormat() == tfHourMinSec) S += Num(6);
  if (!P->Use24HourFormat()) {
    const String PMS = FormatSettings().TimePMString;
    const String Shown = Text();
    if (Shown.size() >= PMS.size() && Shown.compare(Shown.size() - PMS.size(), PMS.size(), PMS) == 0) S += 43200;
  }
  AValue = Variant(double(S));
}

void TcxCustomTimeEdit::ValueToText(const Variant& AValue, String& AText) {
  TcxCustomSpinEdit::ValueToText(Variant(VarFromDateTime(FDatePart + AValue.AsDouble() / 86400.0)), AText);
}

void TcxCustomTimeEdit::SetSpinValue(const Variant& AValue) {
  if (!VarIsNumeric(AValue)) return;
  SetTime(AValue.AsDouble() / 86400.0);
}

Extended TcxCustomTimeEdit::GetIncrement(Integer AButton) {
  TcxCustomTimeEditProperties* P = ActiveProperties();
  const Integer Part = P->GetTimePartAt(SelStart() + 1);
  const bool Forward = AButton == 1 || AButton == 3;
  if (Part == 3) {
    Variant V;
    GetValue(V);
    const double S = V.AsDouble();
    if (Forward) return S >= kSecondsAMPM ? -kSecondsAMPM : kSecondsAMPM;
    return S < kSecondsAMPM ? kSecondsAMPM : -kSecondsAMPM;
  }
  Extended D = Part == 0 ? kSecondsHour : Part == 1 ? kSecondsMinute : 1;
  if (AButton >= 2 && Part != 0) D *= 10;
  return Forward ? D : -D;
}

bool TcxCustomTimeEdit::DoSpin(Integer AButton) {
  TcxCustomTimeEditProperties* P = ActiveProperties();
  const Integer Part = P->GetTimePartAt(SelStart() + 1);
  const bool Result = TcxCustomSpinEdit::DoSpin(AButton);
  // The part stepped stays under the caret.
  if (Part == 3) {
    const Integer Start = P->GetTimePartStart(3) - 1;
    const TcxChars T = cxUtf8ToChars(Text());
    Integer From = Start;
    while (From < Integer(T.size()) && T[From] == U' ') ++From;
    SetSelStart(From);
    SetSelLength(Integer(T.size()) - From);
  } else {
    SetSelStart(P->GetTimePartStart(Part));
    SetSelLength(1);
  }
  return Result;
}

bool TcxCustomTimeEdit::AcceptsMaskInput(char32_t& Ch, Integer Position) {
  TcxTimePartInfo Info;
  ActiveProperties()->GetTimePartInfo(Position, Info);
  return cxCheckTimePartInput(this, Ch, Position, Info);
}

// ---------------------------------------------------------------------------
// Start-up

void cxTimeEditUnitStartup() {
  if (GUnitCounter != 0) return;
  --GUnitCounter;
  static TcxFilterTimeEditHelper Helper;
  cxRegisterFilterEditHelper(TcxFilterTimeEditHelper::StaticClass(), &Helper);
  cxEditPropertiesRegistry()->AddClass(TcxTimeEditProperties::StaticClass(), cxLoadResourceText(cxSEditTimeDescription));
  cxGetFilterEditsController()->AddClassPair(TcxTimeEditProperties::StaticClass(),
                                             TcxFilterTimeEditHelper::StaticClass());
  GFormatListener = std::make_unique<TcxTimeEditFormatListener>();
}

void cxTimeEditUnitShutdown() {
  if (GUnitCounter != -1) return;
  ++GUnitCounter;
  GFormatListener.reset();
  for (String& M : GTwelveHourMasks) M.clear();
  if (cxFilterEditsControllerExists())
    cxGetFilterEditsController()->RemoveClassPair(TcxTimeEditProperties::StaticClass(),
                                                  TcxFilterTimeEditHelper::StaticClass());
}

// ---------------------------------------------------------------------------
// What form files store

TOVANI_PUBLISHED(TcxTimeEditProperties) {
  using P = TcxTimeEditProperties;
  Property("AutoCorrectHours", &P::AutoCorrectHours, &P::SetAutoCorrectHours).Default(true);
  Property("Circular", &P::Circular, &P::SetCircular).Default(false);
  Property("ShowDate", &P::ShowDate, &P::SetShowDate).Default(false);
  Property("TimeFormat", &P::TimeFormat, &P::SetTimeFormat).Default(tfHourMinSec);
  Property("Use24HourFormat", &P::Use24HourFormat, &P::SetUse24HourFormat).Default(true);
  Property("UseTimeFormatWhenUnfocused", &P::UseTimeFormatWhenUnfocused, &P::SetUseTimeFormatWhenUnfocused)
      .Default(true);
}

TOVANI_PUBLISHED(TcxTimeEdit) {
  Property("BeepOnEnter", &TcxCustomTextEdit::BeepOnEnter, &TcxCustomTextEdit::SetBeepOnEnter).Default(true);
  Property("Properties", &TcxTimeEdit::Properties, &TcxTimeEdit::SetProperties);
  Property<double>(
      "Time", [](TcxTimeEdit* e) { return double(e->Time()); }, [](TcxTimeEdit* e, double v) { e->SetTime(v); })
      .Stored([](TObject* O) { return static_cast<TcxTimeEdit*>(O)->Time() != 0; });
}
