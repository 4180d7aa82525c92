// The spin editor.
#include "cxSpinEdit.h"

#include <windows.h>

#include <cmath>
#include <limits>

#include "FormatSettings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "cxClasses.h"
#include "cxControls.h"
#include "cxFilterControlUtils.h"
#include "cxLookAndFeelPainters.h"

TOVANI_IMPLEMENT_ENUM_INFO(TcxSpinEditValueType, "vtInt", "vtFloat")
TOVANI_IMPLEMENT_ENUM_INFO(TcxSpinEditButtonsPosition, "sbpHorzLeftRight", "sbpHorzRight", "sbpVert")
TOVANI_IMPLEMENT_CLASS(TcxSpinEditButtons, TPersistent)
TOVANI_IMPLEMENT_CLASS(TcxSpinEditPropertiesValues, TcxTextEditPropertiesValues)
TOVANI_IMPLEMENT_CLASS(TcxCustomSpinEditProperties, TcxCustomMaskEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxSpinEditProperties, TcxCustomSpinEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxSpinEditViewData, TcxCustomTextEditViewData)
TOVANI_IMPLEMENT_CLASS(TcxSpinEditViewInfo, TcxCustomTextEditViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxCustomSpinEdit, TcxCustomMaskEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxSpinEdit, TcxCustomSpinEdit)

namespace {
const TcxResourceString cxSEditNumericValueConvertError{"Invalid numeric value"};
const TcxResourceString cxSEditValueOutOfBounds{"Value out of bounds"};
const TcxResourceString cxSEditSpinDescription{"SpinEdit|Represents a spin editor"};

constexpr double kFloatLimit = 1.7e308;
constexpr Int64 kIntMin = std::numeric_limits<Int64>::min();
constexpr Int64 kIntMax = std::numeric_limits<Int64>::max();

bool IsSoftNull(const Variant& V) { return VarIsNull(V) || VarIsEmpty(V); }

// Rounds halves to even, as the class library's Round does.
Int64 RoundEven(double V) {
  if (!(V >= -9.2233720368547758e18 && V < 9.2233720368547758e18)) return kIntMin;
  return Int64(std::nearbyint(V));
}

bool IsIntVariant(const Variant& V) {
  const TVarType T = VarType(V);
  return T == varInteger || T == varInt64 || T == varSmallint || T == varShortInt || T == varByte || T == varWord ||
         T == varLongWord;
}

class TcxFilterSpinEditHelper : public TcxFilterMaskEditHelper {
  TOVANI_CLASS(TcxFilterSpinEditHelper, TcxFilterMaskEditHelper)
 public:
  bool GetEditFlags() const override { return true; }
  TClass GetFilterEditorClass() const override { return TcxSpinEdit::StaticClass(); }
  TcxFilterEditOperators GetAllowedOperators(TcxCustomEditProperties*, TcxValueTypeClass, bool AExtended) const override {
    TcxFilterEditOperators R = 0;
    for (Integer B : {1, 2, 3, 4, 5, 6, 9, 10}) R |= cxFilterOperatorBit(B);
    if (AExtended)
      for (Integer B : {11, 12, 13, 14}) R |= cxFilterOperatorBit(B);
    return R;
  }
  void InitFilterProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* ASource,
                            bool AKeepButtons) const override {
    TcxFilterMaskEditHelper::InitFilterProperties(AProperties, ASource, AKeepButtons);
    if (auto* P = dynamic_cast<TcxCustomSpinEditProperties*>(AProperties)) P->SetCanEdit(true);
  }
};

Integer GUnitCounter = 0;
}  // namespace
TOVANI_IMPLEMENT_CLASS(TcxFilterSpinEditHelper, TcxFilterMaskEditHelper)

// ---------------------------------------------------------------------------
// Buttons and assigned values

TPersistent* TcxSpinEditButtons::GetOwner() { return FOwner; }

void TcxSpinEditButtons::Changed() {
  if (FOwner) FOwner->Changed();
}

void TcxSpinEditButtons::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TcxSpinEditButtons*>(Source);
  if (!S) return TPersistent::Assign(Source);
  if (FOwner) FOwner->BeginUpdate();
  FPosition = S->FPosition;
  FShowFastButtons = S->FShowFastButtons;
  FVisible = S->FVisible;
  Changed();
  if (FOwner) FOwner->EndUpdate();
}

void TcxSpinEditButtons::SetPosition(TcxSpinEditButtonsPosition Value) {
  if (FPosition == Value) return;
  FPosition = Value;
  Changed();
}

void TcxSpinEditButtons::SetShowFastButtons(bool Value) {
  if (FShowFastButtons == Value) return;
  FShowFastButtons = Value;
  Changed();
}

void TcxSpinEditButtons::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Changed();
}

void TcxSpinEditPropertiesValues::Assign(TPersistent* Source) {
  BeginOwnerUpdate();
  TcxTextEditPropertiesValues::Assign(Source);
  if (auto* S = dynamic_cast<TcxSpinEditPropertiesValues*>(Source)) SetValueType(S->FValueType);
  EndOwnerUpdate();
}

void TcxSpinEditPropertiesValues::ResetAssigned() {
  BeginOwnerUpdate();
  TcxTextEditPropertiesValues::ResetAssigned();
  SetValueType(false);
  EndOwnerUpdate();
}

void TcxSpinEditPropertiesValues::SetValueType(bool Value) {
  if (FValueType == Value) return;
  FValueType = Value;
  NotifyOwnerChanged();
}

// ---------------------------------------------------------------------------
// Properties

TcxCustomSpinEditProperties::TcxCustomSpinEditProperties(TPersistent* AOwner) : TcxCustomMaskEditProperties(AOwner) {
  cxSpinEditUnitStartup();
  SetAssignedValuesObject(new TcxSpinEditPropertiesValues(this));
  FSpinButtons = std::make_unique<TcxSpinEditButtons>(this);
  Buttons()->Add();
  Buttons()->Add();
  Changed();
}

TcxCustomSpinEditProperties::~TcxCustomSpinEditProperties() = default;

TClass TcxCustomSpinEditProperties::GetContainerClass() { return TcxSpinEdit::StaticClass(); }

TcxCustomEditViewInfo* TcxCustomSpinEditProperties::CreateViewInfo() { return new TcxSpinEditViewInfo(); }

TcxCustomEditViewData* TcxCustomSpinEditProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                                  bool APreviewMode) {
  auto* VD = new TcxSpinEditViewData(this, AStyle, AIsInplace);
  VD->PreviewMode = APreviewMode;
  return VD;
}

void TcxCustomSpinEditProperties::Changed() {
  if (FSpinButtons && !FChanging) {
    FChanging = true;
    BeginUpdate();
    try {
      const Integer Wanted = !FSpinButtons->Visible() ? 0 : FSpinButtons->ShowFastButtons() ? 4 : 2;
      TcxEditButtons* B = Buttons();
      while (B->Count() < Wanted) B->Add();
      while (B->Count() > Wanted) B->Delete(0);
      for (Integer I = 0; I < B->Count(); ++I) {
        B->Items(I)->SetKind(bkText);
        B->Items(I)->SetCaption("");
        B->Items(I)->SetVisible(true);
      }
    } catch (...) {
      EndUpdate(false);
      FChanging = false;
      throw;
    }
    EndUpdate(false);
    FChanging = false;
  }
  TcxCustomMaskEditProperties::Changed();
}

void TcxCustomSpinEditProperties::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TcxCustomSpinEditProperties*>(Source);
  if (!S) {
    TcxCustomMaskEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    AssignedValues()->SetValueType(false);
    if (S->AssignedValues()->ValueType()) SetValueType(S->FValueType);
    TcxCustomMaskEditProperties::Assign(Source);
    FCanEdit = S->FCanEdit;
    FCircular = S->FCircular;
    FExceptionOnInvalidInput = S->FExceptionOnInvalidInput;
    FIncrement = S->FIncrement;
    FLargeIncrement = S->FLargeIncrement;
    FSpinButtons->Assign(S->FSpinButtons.get());
    FUseCtrlIncrement = S->FUseCtrlIncrement;
    OnGetValue = S->OnGetValue;
    Changed();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomSpinEditProperties::SetCircular(bool Value) {
  if (FCircular == Value) return;
  FCircular = Value;
  Changed();
}

TcxSpinEditValueType TcxCustomSpinEditProperties::ValueType() {
  if (AssignedValues()->ValueType()) return FValueType;
  if (IcxEditDefaultValuesProvider* P = DefaultValuesProvider()) return P->DefaultIsFloatValue() ? vtFloat : vtInt;
  return vtFloat;
}

void TcxCustomSpinEditProperties::SetValueType(TcxSpinEditValueType Value) {
  if (AssignedValues()->ValueType() && FValueType == Value) return;
  FValueType = Value;
  BeginUpdate();
  AssignedValues()->SetValueType(true);
  Changed();
  EndUpdate();
}

Integer TcxCustomSpinEditProperties::GetBoundsMode() { return FCircular ? 2 : StopsAtBounds() ? 1 : 0; }

Variant TcxCustomSpinEditProperties::ToValueType(const Variant& AValue) {
  if (ValueType() == vtInt) {
    if (IsIntVariant(AValue)) return Variant(Int64(AValue.AsInt64()));
    return Variant(Int64(RoundEven(AValue.AsDouble())));
  }
  return Variant(AValue.AsDouble());
}

void TcxCustomSpinEditProperties::GetMaxValueVariant(Variant& AValue) {
  if (IsValueBoundDefined(1))
    AValue = ToValueType(Variant(GetMaxValue()));
  else
    AValue = ValueType() == vtInt ? Variant(kIntMax) : Variant(kFloatLimit);
}

void TcxCustomSpinEditProperties::GetMinValueVariant(Variant& AValue) {
  if (IsValueBoundDefined(0))
    AValue = ToValueType(Variant(GetMinValue()));
  else
    AValue = ValueType() == vtInt ? Variant(kIntMin) : Variant(-kFloatLimit);
}

void TcxCustomSpinEditProperties::NormalizeValue(const Variant& AValue, Variant& AResult) {
  AResult = IsSoftNull(AValue) ? ToValueType(Variant(Int64(0))) : ToValueType(AValue);
}

bool TcxCustomSpinEditProperties::StrToValue(const String& AText, Variant& AValue) {
  const String S = Trim(AText);
  if (ValueType() == vtFloat) {
    Extended V;
    if (!TryStrToFloat(S, V) || !(std::fabs(V) <= kFloatLimit)) return false;
    AValue = Variant(double(V));
    return true;
  }
  // A 64-bit integer in plain decimal form.
  size_t I = 0;
  if (I < S.size() && (S[I] == '-' || S[I] == '+')) ++I;
  if (I == S.size()) return false;
  for (size_t J = I; J < S.size(); ++J)
    if (S[J] < '0' || S[J] > '9') return false;
  Int64 V;
  if (!TryStrToInt64(S[0] == '+' ? S.substr(1) : S, V)) return false;
  AValue = Variant(V);
  return true;
}

Variant TcxCustomSpinEditProperties::ClampToBounds(const Variant& AValue) {
  if (!VarIsNumeric(AValue)) return AValue;
  const double V = AValue.AsDouble();
  if (IsValueBoundDefined(0) && V < GetMinValue()) return Variant(GetMinValue());
  if (IsValueBoundDefined(1) && V > GetMaxValue()) return Variant(GetMaxValue());
  return AValue;
}

void TcxCustomSpinEditProperties::GetNullDisplayValue(String& ADisplayValue) {
  Variant Z = ZeroClamped();
  ADisplayValue = VarToStr(Z);
}

bool TcxCustomSpinEditProperties::AcceptsEditValue(Variant& AEditValue, bool) {
  try {
    Variant V = AEditValue;
    if (VarIsStr(V) || VarIsNumeric(V)) {
      if (!StrToValue(VarToStr(V), V)) return false;
    } else if (!IsSoftNull(V) && !VarIsType(V, varDate)) {
      return false;
    }
    Variant R;
    NormalizeValue(V, R);
    AEditValue = R;
    return true;
  } catch (const Exception&) {
    return false;
  }
}

bool TcxCustomSpinEditProperties::AcceptsDisplayText(String& ADisplayValue) {
  if (!TcxCustomMaskEditProperties::AcceptsDisplayText(ADisplayValue)) return false;
  if (!ChecksTypedNumber() || Trim(ADisplayValue).empty()) return true;
  try {
    Variant V;
    if (!StrToValue(Trim(ADisplayValue), V)) return false;
    const Variant C = ClampToBounds(V);
    if (C.AsDouble() != V.AsDouble()) ADisplayValue = VarToStr(ToValueType(V));
    return true;
  } catch (const Exception&) {
    return false;
  }
}

void TcxCustomSpinEditProperties::CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError,
                                                    TcxCustomEdit* AEdit) {
  auto* Edit = dynamic_cast<TcxCustomSpinEdit*>(AEdit);
  Variant V;
  if (Edit && Edit->Typed()) {
    AError = !Edit->TextToValue(ADisplayValue, false, AErrorText, V);
  } else {
    V = Edit ? Edit->InternalValue() : Variant();
  }
  if (!AError) {
    if (IsSoftNull(V)) V = ZeroClamped();
    V = ToValueType(V);
    Variant Lo, Hi;
    GetMinValueVariant(Lo);
    GetMaxValueVariant(Hi);
    if (!FExceptionOnInvalidInput) {
      if (V.AsDouble() < Lo.AsDouble()) V = Lo;
      else if (V.AsDouble() > Hi.AsDouble()) V = Hi;
    } else if (V.AsDouble() < Lo.AsDouble() || V.AsDouble() > Hi.AsDouble()) {
      AError = true;
      AErrorText = cxLoadResourceText(cxSEditValueOutOfBounds);
    }
    if (!AError) ADisplayValue = Variant(VarToStr(V));
  }
  if (AError && AErrorText.empty() && FExceptionOnInvalidInput) AErrorText = cxLoadResourceText(cxSEditNumericValueConvertError);
  // The text editor's validation: value range and the validation handlers.
  TcxCustomMaskEditProperties::CheckDisplayValue(ADisplayValue, AErrorText, AError, AEdit);
}

// ---------------------------------------------------------------------------
// View data and view info

void TcxSpinEditViewData::CalculateButtonsViewInfo(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P,
                                                   Integer AButton, TShiftState Shift,
                                                   TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  TcxCustomTextEditViewData::CalculateButtonsViewInfo(ACanvas, ABounds, P, AButton, Shift, AViewInfo, AIsMouseEvent);
  auto* Props = dynamic_cast<TcxCustomSpinEditProperties*>(Properties);
  auto* VI = dynamic_cast<TcxSpinEditViewInfo*>(AViewInfo);
  if (!Props || !VI) return;
  VI->Position = Props->SpinButtons()->Position();
  if (VI->Position != sbpVert) return;
  // Up above down in one column at the right.
  TcxEditButtonViewInfo *Up = nullptr, *Down = nullptr;
  for (auto& B : AViewInfo->ButtonsInfo) {
    if (B->ButtonIndex == 1) Up = B.get();
    if (B->ButtonIndex == 0) Down = B.get();
  }
  if (!Up || !Down) return;
  TRect R(std::min(Up->Bounds.Left, Down->Bounds.Left), std::min(Up->Bounds.Top, Down->Bounds.Top),
          std::max(Up->Bounds.Right, Down->Bounds.Right), std::max(Up->Bounds.Bottom, Down->Bounds.Bottom));
  const Integer Mid = R.Top + (R.Bottom - R.Top) / 2;
  Up->Bounds = TRect(R.Left, R.Top, R.Right, Mid);
  Down->Bounds = TRect(R.Left, Mid, R.Right, R.Bottom);
  Up->VisibleBounds = Up->Bounds;
  Down->VisibleBounds = Down->Bounds;
}

void TcxSpinEditViewInfo::DrawButton(TcxCanvas* ACanvas, Integer AButtonVisibleIndex) {
  TcxCustomTextEditViewInfo::DrawButton(ACanvas, AButtonVisibleIndex);
  if (AButtonVisibleIndex < 0 || AButtonVisibleIndex >= Integer(ButtonsInfo.size())) return;
  TcxEditButtonViewInfo* B = ButtonsInfo[AButtonVisibleIndex].get();
  const bool Forward = B->ButtonIndex % 2 == 1;
  TcxArrowPointing Dir = Position == sbpVert ? (Forward ? apUp : apDown) : (Forward ? apRight : apLeft);
  TRect R = B->Bounds;
  R.Left += 2, R.Top += 1, R.Right -= 2, R.Bottom -= 1;
  const TColor C = B->Data.State == 0 ? clBtnShadow : clBtnText;
  if (B->ButtonIndex >= 2) {
    // Fast buttons: a double arrow.
    const Integer W = (R.Right - R.Left) / 2;
    TRect A = R, Bx = R;
    if (Position == sbpVert) {
      const Integer H = (R.Bottom - R.Top) / 2;
      A.Bottom = A.Top + H, Bx.Top = A.Bottom;
    } else {
      A.Right = A.Left + W, Bx.Left = A.Right;
    }
    cxStandardPainter()->PaintArrow(ACanvas, A, Dir, C);
    cxStandardPainter()->PaintArrow(ACanvas, Bx, Dir, C);
    return;
  }
  cxStandardPainter()->PaintArrow(ACanvas, R, Dir, C);
}

// ---------------------------------------------------------------------------
// Editor

TcxCustomSpinEdit::TcxCustomSpinEdit(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties)
    : TcxCustomMaskEdit(AOwner, AIsInplace,
                        AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                          return new TcxCustomSpinEditProperties(O);
                        }) {
  FInternalValue = Variant(Int64(0));
  SetEditValueQuiet(Variant(Int64(0)));
  FPressedSpinButton = 0;
}

TcxSpinEdit::TcxSpinEdit(TComponent* AOwner, bool AIsInplace)
    : TcxCustomSpinEdit(AOwner, AIsInplace,
                        [](TPersistent* O) -> TcxCustomEditProperties* { return new TcxSpinEditProperties(O); }) {}

TcxCustomSpinEdit::~TcxCustomSpinEdit() {
  delete FTimer;
  FTimer = nullptr;
}

TcxCustomEditViewData* TcxCustomSpinEdit::CreateViewData() {
  TcxCustomEditViewData* VD = TcxCustomMaskEdit::CreateViewData();
  if (auto* S = dynamic_cast<TcxSpinEditViewData*>(VD)) S->PressedSpinButton = FPressedSpinButton;
  return VD;
}

Extended TcxCustomSpinEdit::GetIncrement(Integer AButton) {
  TcxCustomSpinEditProperties* P = ActiveProperties();
  Extended D = AButton >= 2 ? P->LargeIncrement() : P->Increment();
  if (P->ValueType() == vtInt) D = Extended(RoundEven(D));
  return AButton == 0 || AButton == 2 ? -D : D;
}

bool TcxCustomSpinEdit::TextToValue(const Variant& ADisplayValue, bool ARaiseError, String& AErrorText,
                                    Variant& AValue) {
  TcxCustomSpinEditProperties* P = ActiveProperties();
  const String Text = VarToStr(ADisplayValue);
  if (Trim(Text).empty()) {
    IcxEditDefaultValuesProvider* Prov = P->DefaultValuesProvider();
    AValue = Prov && Prov->DefaultRequired() ? P->ZeroClamped() : Variant::Null();
    return true;
  }
  bool Ok = P->StrToValue(Text, AValue);
  if (!Ok) {
    bool Error = true;
    auto Ask = [&](TcxCustomSpinEditProperties* Q) {
      if (!Q || !Q->OnGetValue || !Error) return;
      try {
        Error = false;
        Q->OnGetValue(this, Text, AValue, AErrorText, Error);
      } catch (const Exception& E) {
        if (ARaiseError) throw;
        AErrorText = E.Message();
        Error = true;
      }
    };
    Ask(Properties());
    if (RepositoryItem()) Ask(dynamic_cast<TcxCustomSpinEditProperties*>(RepositoryItem()->Properties()));
    Ok = !Error;
  }
  if (!Ok) {
    if (AErrorText.empty()) AErrorText = cxLoadResourceText(cxSEditNumericValueConvertError);
    if (!P->ExceptionOnInvalidInput()) AErrorText.clear();
    if (ARaiseError && P->ExceptionOnInvalidInput()) throw EcxEditError(AErrorText);
    AValue = FInternalValue;
    if (!P->ExceptionOnInvalidInput()) Ok = true;
  }
  if (!IsSoftNull(AValue)) AValue = P->ToValueType(AValue);
  return Ok;
}

void TcxCustomSpinEdit::DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  String Err;
  TextToValue(ADisplayValue, true, Err, AEditValue);
}

void TcxCustomSpinEdit::GetValue(Variant& AValue) {
  TcxCustomSpinEditProperties* P = ActiveProperties();
  Variant V;
  if (Focused()) {
    if (FTyped)
      DisplayToEditValue(Variant(Text()), V, true);
    else
      V = FInternalValue;
    if (!VarIsNumeric(V)) V = P->ZeroClamped();
  } else {
    const Variant& E = EditValue();
    if (VarIsNumeric(E)) V = E;
    else if (VarIsStr(E) && !VarToStr(E).empty()) {
      if (!P->StrToValue(VarToStr(E), V)) V = P->ZeroClamped();
    } else {
      V = P->ZeroClamped();
    }
  }
  AValue = P->ToValueType(V);
}

void TcxCustomSpinEdit::SetSpinValue(const Variant& AValue) {
  if (!VarIsNumeric(AValue)) return;
  Variant V = AValue;
  if (!ActiveProperties()->AcceptsEditValue(V, Focused())) return;
  FInternalValue = V;
  FTyped = false;
  SetEditValueQuiet(V);
}

void TcxCustomSpinEdit::ValueToText(const Variant& AValue, String& AText) {
  Variant D;
  ActiveProperties()->PrepareDisplayValue(AValue, D, Focused());
  AText = VarToStr(D);
}

bool TcxCustomSpinEdit::NewSpinValue(Integer AButton, Variant& AResult) {
  TcxCustomSpinEditProperties* P = ActiveProperties();
  Variant VV;
  GetValue(VV);
  Variant LoV, HiV;
  P->GetMinValueVariant(LoV);
  P->GetMaxValueVariant(HiV);
  const Integer Mode = P->GetBoundsMode();
  const bool Up = AButton == 1 || AButton == 3;
  const bool IsInt = P->ValueType() == vtInt;
  if (IsInt) {
    const Int64 V = VV.AsInt64(), Lo = LoV.AsInt64(), Hi = HiV.AsInt64();
    __int128 R;
    if (V < Lo) {
      if (Up) R = Lo;
      else if (Mode == 2) R = Hi;
      else return false;
    } else if (V > Hi) {
      if (!Up) R = Hi;
      else if (Mode == 2) R = Lo;
      else return false;
    } else {
      const __int128 D = RoundEven(double(GetIncrement(AButton)));
      // The room to each bound, as the type's extreme when it overflows.
      __int128 DLo = __int128(Lo) - V, DHi = __int128(Hi) - V;
      if (DLo < kIntMin) DLo = kIntMin;
      if (DHi > kIntMax) DHi = kIntMax;
      if (DLo <= D && D <= DHi) R = V + D;
      else if (Mode == 0) return false;
      else if (Mode == 1) R = D >= DLo ? Hi : Lo;
      else R = D > DHi ? Lo + D - 1 - DHi : Hi + D + 1 - DLo;
      if (R < Lo) R = Lo;
      if (R > Hi) R = Hi;
    }
    AResult = Variant(Int64(R));
    return true;
  }
  const double V = VV.AsDouble(), Lo = LoV.AsDouble(), Hi = HiV.AsDouble();
  double R;
  if (V < Lo) {
    if (Up) R = Lo;
    else if (Mode == 2) R = Hi;
    else return false;
  } else if (V > Hi) {
    if (!Up) R = Hi;
    else if (Mode == 2) R = Lo;
    else return false;
  } else {
    const double D = double(GetIncrement(AButton));
    double DLo = Lo - V, DHi = Hi - V;
    if (DLo < -kFloatLimit) DLo = -kFloatLimit;
    if (DHi > kFloatLimit) DHi = kFloatLimit;
    if (DLo <= D && D <= DHi) R = V + D;
    else if (Mode == 0) return false;
    else if (Mode == 1) R = D >= DLo ? Hi : Lo;
    else R = D > DHi ? Lo + D - 1 - DHi : Hi + D + 1 - DLo;
    // The wrap formulas count whole steps around the range; a fractional
    // value can land outside it (9.5 + 1 in 0..10 gives -0.5): keep it in.
    if (R < Lo) R = Lo;
    if (R > Hi) R = Hi;
  }
  AResult = Variant(R);
  return true;
}

bool TcxCustomSpinEdit::DoSpin(Integer AButton) {
  HoldChangeEvents(true);
  bool Result = false;
  try {
    Variant V;
    if ((DataBinding()->IsEditing() || RequestEditing()) && NewSpinValue(AButton, V)) {
      const String Old = Text();
      String NewText;
      ValueToText(V, NewText);
      const Integer SS = SelStart(), SL = SelLength();
      SetEditChanged(true);
      SetText(NewText);
      FInternalValue = V;
      FTyped = false;
      Result = Old != NewText;
      if (Result) {
        SetEditChanged(true);
        if (ActiveProperties()->KeepsSelectionOnSpin()) {
          SetSelStart(SS);
          SetSelLength(SL);
        } else {
          SetSelStart(Integer(Utf8Length(NewText)));
        }
        if (ActiveProperties()->ImmediatePost() && CanPostValue() && ValidateInput()) {
          PostValue(false);
          UpdateDrawValue();
        }
      }
    }
  } catch (...) {
    HoldChangeEvents(false);
    throw;
  }
  HoldChangeEvents(false);
  return Result;
}

void TcxCustomSpinEdit::StopSpin() {
  const bool Was = FPressedSpinButton != 0 || FTimer;
  FPressedSpinButton = 0;
  delete FTimer;
  FTimer = nullptr;
  if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
  if (Was && HandleAllocated()) {
    UpdateStateFromCursor(false);
    Invalidate();
  }
}

void TcxCustomSpinEdit::DoTimer(TObject*) {
  if (!FTimer) return;
  FTimer->SetInterval(100);
  if (FPressedSpinButton > 0) DoSpin(FPressedSpinButton - 1);
}

void TcxCustomSpinEdit::DoButtonDown(Integer AButtonVisibleIndex) {
  TcxCustomMaskEdit::DoButtonDown(AButtonVisibleIndex);
  TcxCustomEditViewInfo* VI = GetViewInfo();
  if (AButtonVisibleIndex < 0 || AButtonVisibleIndex >= VI->ButtonCount() || FPressedSpinButton != 0) return;
  const Integer B = VI->ButtonsInfo[AButtonVisibleIndex]->ButtonIndex;
  FPressedSpinButton = B + 1;
  DoSpin(B);
  if (ActiveProperties()->ReadOnly()) return;
  delete FTimer;
  FTimer = new TcxTimer(nullptr);
  FTimer->SetInterval(400);
  FTimer->SetOnTimer([this](TObject* S) { DoTimer(S); });
}

void TcxCustomSpinEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomMaskEdit::MouseUp(Button, Shift, X, Y);
  StopSpin();
}

void TcxCustomSpinEdit::DoFocusChanged() {
  StopSpin();
  TcxCustomMaskEdit::DoFocusChanged();
}

bool TcxCustomSpinEdit::IsSpinKey(Word Key, TShiftState Shift, Integer& AButton) {
  switch (Key) {
    case VK_UP: AButton = 1; break;
    case VK_DOWN: AButton = 0; break;
    case VK_PRIOR: AButton = 3; break;
    case VK_NEXT: AButton = 2; break;
    default: return false;
  }
  if (ActiveProperties()->UseCtrlIncrement() && !Shift.Contains(ssCtrl)) return false;
  return true;
}

void TcxCustomSpinEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  FTyping = false;
  Integer B;
  if (IsSpinKey(Key, Shift, B) && !HasPopupWindow()) {
    if (!EditModified() && !DataBinding()->IsEditing() && !RequestEditing()) return;
    FPressedSpinButton = B + 1;
    FSpinKeyDown = true;
    if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
    DoSpin(B);
    Key = 0;
    return;
  }
  StopSpin();
  if (Key != VK_ESCAPE) FTyping = true;
  if (!ActiveProperties()->CanEdit() && (Key == VK_DELETE || Key == VK_BACK)) {
    NotifyAfterKeyDown(Key, Shift);
    Key = 0;
    return;
  }
  TcxCustomMaskEdit::DoEditKeyDown(Key, Shift);
}

void TcxCustomSpinEdit::DoEditKeyUp(Word& Key, TShiftState Shift) {
  FTyping = false;
  Integer B;
  const bool Spin = IsSpinKey(Key, Shift, B);
  TcxCustomMaskEdit::DoEditKeyUp(Key, Shift);
  if (Spin || FSpinKeyDown) {
    FSpinKeyDown = false;
    StopSpin();
  }
}

void TcxCustomSpinEdit::DoEditKeyPress(char32_t& Key) {
  TcxCustomSpinEditProperties* P = ActiveProperties();
  const char DS = FormatSettings().DecimalSeparator;
  if (Key == U'.' || Key == U',') Key = char32_t(DS);
  const bool Printable = Key >= 32 || Key == 8;
  if (Printable) {
    bool Ok;
    if (!P->CanEdit())
      Ok = false;
    else if (P->OnGetValue)
      Ok = true;
    else
      Ok = Key < 32 || cxIsNumericInputChar(Key, P->ValueType() == vtFloat ? 2 : 0) || Key == U'e' || Key == U'E' ||
           P->AlwaysAcceptedChars().Contains(Key);
    if (!Ok) {
      Key = 0;
      if (P->BeepOnError()) MessageBeep(0);
      return;
    }
    FTyping = true;
  }
  TcxCustomMaskEdit::DoEditKeyPress(Key);
}

bool TcxCustomSpinEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (!CanUseMouseWheel(Shift)) return TcxCustomMaskEdit::DoMouseWheel(Shift, WheelDelta, MousePos);
  DoSpin(WheelDelta > 0 ? 1 : 0);
  return true;
}

void TcxCustomSpinEdit::InnerEditChange(TObject* Sender) {
  FTyped = FTyped || FTyping;
  TcxCustomMaskEdit::InnerEditChange(Sender);
}

void TcxCustomSpinEdit::PasteFromClipboard() {
  if (Focused() && !ActiveProperties()->CanEdit()) return;
  FTyping = true;
  TcxCustomMaskEdit::PasteFromClipboard();
  FTyping = false;
}

void TcxCustomSpinEdit::CutToClipboard() {
  if (Focused() && !ActiveProperties()->CanEdit()) return;
  FTyping = true;
  TcxCustomMaskEdit::CutToClipboard();
  FTyping = false;
}

void TcxCustomSpinEdit::UpdateDrawValue() {
  Variant V = EditValue();
  if (ActiveProperties()->AcceptsEditValue(V, Focused()))
    FInternalValue = V;
  else
    FInternalValue = ActiveProperties()->ZeroClamped();
  FTyped = false;
  TcxCustomMaskEdit::UpdateDrawValue();
}

void TcxCustomSpinEdit::EnforceValueRange() {
  TcxCustomSpinEditProperties* P = ActiveProperties();
  Variant V, Lo, Hi;
  GetValue(V);
  P->GetMinValueVariant(Lo);
  P->GetMaxValueVariant(Hi);
  if (V.AsDouble() < Lo.AsDouble()) SetSpinValue(Lo);
  else if (V.AsDouble() > Hi.AsDouble()) SetSpinValue(Hi);
}

// ---------------------------------------------------------------------------
// Start-up

void cxSpinEditUnitStartup() {
  if (GUnitCounter != 0) return;
  --GUnitCounter;
  static TcxFilterSpinEditHelper Helper;
  cxRegisterFilterEditHelper(TcxFilterSpinEditHelper::StaticClass(), &Helper);
  cxEditPropertiesRegistry()->AddClass(TcxSpinEditProperties::StaticClass(), cxLoadResourceText(cxSEditSpinDescription));
  cxGetFilterEditsController()->AddClassPair(TcxSpinEditProperties::StaticClass(),
                                             TcxFilterSpinEditHelper::StaticClass());
}

void cxSpinEditUnitShutdown() {
  if (GUnitCounter != -1) return;
  ++GUnitCounter;
  if (cxFilterEditsControllerExists())
    cxGetFilterEditsController()->RemoveClassPair(TcxSpinEditProperties::StaticClass(),
                                                  TcxFilterSpinEditHelper::StaticClass());
}
