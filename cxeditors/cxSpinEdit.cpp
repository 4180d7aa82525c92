// The spin editor.
#include "cxSpinEdit.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "FormatSettings.h"
#include "Themes.h"
#include "Streaming.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "cxClasses.h"
#include "cxControls.h"
#include "cxEditPaintUtils.h"
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
    return cxOrderedValueFilterOperators(AExtended);
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

void TcxCustomSpinEditProperties::DefineProperties(TFiler* Filer) {
  TcxCustomMaskEditProperties::DefineProperties(Filer);
  // A zero increment is written as a flag: a plain number property equal to
  // zero would not be stored at all.
  auto* Ancestor = dynamic_cast<TcxCustomSpinEditProperties*>(Filer->Ancestor());
  Filer->DefineProperty(
      "ZeroIncrement", [this](TReader* R) { if (R->ReadBoolean()) FIncrement = 0; },
      [](TWriter* W) { W->WriteBoolean(true); },
      FIncrement == 0 && (!Ancestor || Ancestor->FIncrement != FIncrement));
  Filer->DefineProperty(
      "ZeroLargeIncrement", [this](TReader* R) { if (R->ReadBoolean()) FLargeIncrement = 0; },
      [](TWriter* W) { W->WriteBoolean(true); },
      FLargeIncrement == 0 && (!Ancestor || Ancestor->FLargeIncrement != FLargeIncrement));
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
  auto* Props = dynamic_cast<TcxCustomSpinEditProperties*>(Properties);
  auto* VI = dynamic_cast<TcxSpinEditViewInfo*>(AViewInfo);
  if (Props && VI) VI->Position = Props->SpinButtons()->Position();
  TcxCustomTextEditViewData::CalculateButtonsViewInfo(ACanvas, ABounds, P, AButton, Shift, AViewInfo, AIsMouseEvent);
  if (!VI) return;
  // Which button of the row the classic borders treat as the outer one.
  for (auto& B : AViewInfo->ButtonsInfo) B->Data.Leftmost = B->Data.Rightmost = false;
  Integer OuterLeft = -1, OuterRight = -1;
  for (Integer I = 0; I < AViewInfo->ButtonCount(); ++I) {
    TcxEditButtonViewInfo* B = AViewInfo->ButtonsInfo[I].get();
    if (B->Data.LeftAlignment) {
      if (OuterLeft < 0 || B->Bounds.Left < AViewInfo->ButtonsInfo[OuterLeft]->Bounds.Left) OuterLeft = I;
    } else if (OuterRight < 0 || B->Bounds.Right > AViewInfo->ButtonsInfo[OuterRight]->Bounds.Right) {
      OuterRight = I;
    }
  }
  if (OuterLeft >= 0) AViewInfo->ButtonsInfo[OuterLeft]->Data.Leftmost = true;
  if (OuterRight >= 0) AViewInfo->ButtonsInfo[OuterRight]->Data.Rightmost = true;
  // The delimiter between two native buttons.
  VI->DelimiterLineStart = VI->DelimiterLineEnd = TPoint();
  if (!VI->NativeStyle || AViewInfo->ButtonCount() < 2) return;
  for (auto& B : AViewInfo->ButtonsInfo) {
    const TRect& R = B->Bounds;
    if (VI->Position == sbpHorzRight && B->ButtonIndex == 0) {
      VI->DelimiterLineStart = TPoint(R.Right, R.Top);
      VI->DelimiterLineEnd = TPoint(R.Right, R.Bottom - 1);
    } else if (VI->Position == sbpVert && B->ButtonIndex == 1) {
      VI->DelimiterLineStart = TPoint(R.Left, R.Bottom);
      VI->DelimiterLineEnd = TPoint(R.Right - 1, R.Bottom);
    }
  }
}

void TcxSpinEditViewData::CalculateButtonBounds(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo, TRect& ABounds,
                                                Integer AButtonVisibleIndex) {
  auto* Props = dynamic_cast<TcxCustomSpinEditProperties*>(Properties);
  auto* VI = dynamic_cast<TcxSpinEditViewInfo*>(AViewInfo);
  TcxEditButtonViewInfo* BVI = AViewInfo->ButtonsInfo[AButtonVisibleIndex].get();
  const Integer Index = BVI->ButtonIndex;
  if (!Props || !VI || Index > 3) {
    TcxCustomTextEditViewData::CalculateButtonBounds(ACanvas, AViewInfo, ABounds, AButtonVisibleIndex);
    return;
  }
  // The buttons are placed from the last to the first: the first call lays
  // out all of them.
  if (AButtonVisibleIndex == ButtonVisibleCount - 1) {
    TRect R = ABounds;
    const bool Fast = Props->SpinButtons()->ShowFastButtons();
    const TcxSpinEditButtonsPosition Pos = Props->SpinButtons()->Position();
    TcxCanvas* Canvas = ACanvas ? ACanvas : cxSharedScreenCanvas();
    TcxEditButtonMetrics M;
    M.Kind = bkText;
    const Integer StdWidth = cxCalcEditButtonWidth(Canvas, M);
    const Integer H = R.Bottom - R.Top;
    const Integer Arrow = cxCalcArrowSize(TSize(StdWidth + 2, H / 2 + 2), apUp).cy;
    VI->ArrowSize = Arrow;
    const bool CustomDrawn = bool(VI->OnDrawButton);
    const bool Native = BVI->Data.NativeStyle;
    Integer W, FastW = -1;
    if (Native) {
      Canvas->Font()->Assign(Style->GetVisibleTextFont());
      W = (StdWidth + Canvas->TextHeight("Zg") - 1 + 1) / 2;
    } else if (VI->Painter && VI->Painter->CalcEditButtonSize().cy > 0) {
      const Integer SkinH = VI->Painter->CalcEditButtonSize().cy;
      W = SkinH / 2 + Arrow;
      FastW = W * 3 / 2 + (SkinH & 1);
    } else {
      W = 4 * Arrow - 3;
    }
    if (FastW < 0) FastW = MulDiv(W, 3, 2);
    const Integer D = Native && !CustomDrawn ? 1 : 0;
    const Integer G = Native && cxDwmCompositionOn() && !CustomDrawn ? 1 : 0;
    for (Integer I = 0; I < 4; ++I) {
      FButtonRects[I] = TRect();
      FButtonLeft[I] = false;
    }
    auto TakeRight = [&](Integer AIndex, Integer AWidth, Integer ABottom) {
      FButtonRects[AIndex] = TRect(R.Right - AWidth, R.Top, R.Right, ABottom);
      R.Right -= AWidth;
    };
    auto TakeLeft = [&](Integer AIndex, Integer AWidth, Integer ABottom) {
      FButtonRects[AIndex] = TRect(R.Left, R.Top, R.Left + AWidth, ABottom);
      FButtonLeft[AIndex] = true;
      R.Left += AWidth;
    };
    if (Fast) TakeRight(3, FastW, R.Bottom - G);
    if (Pos == sbpVert) {
      const TRect Column(R.Right - StdWidth, R.Top, R.Right, R.Bottom);
      FButtonRects[1] = TRect(Column.Left, Column.Top, Column.Right, Column.Top + (H - D) / 2);
      FButtonRects[0] = TRect(Column.Left, FButtonRects[1].Bottom + D, Column.Right, Column.Bottom);
      R.Right -= StdWidth;
      if (Fast) TakeRight(2, FastW, R.Bottom - G);
    } else {
      TakeRight(1, W, R.Bottom - G);
      R.Right -= D;
      if (Pos == sbpHorzRight) {
        TakeRight(0, W, R.Bottom);
        if (Fast) TakeRight(2, FastW, R.Bottom - G);
      } else {
        if (Fast) TakeLeft(2, FastW, R.Bottom - G);
        TakeLeft(0, W, R.Bottom - G);
      }
    }
    FRest = R;
  }
  BVI->Bounds = FButtonRects[Index];
  BVI->Data.LeftAlignment = FButtonLeft[Index];
  // The part of the button inside the editor.
  RECT Vis, Btn = *BVI->Bounds.AsRECT(), Ed = *Bounds.AsRECT();
  if (IntersectRect(&Vis, &Btn, &Ed))
    BVI->VisibleBounds = TRect(Vis.left, Vis.top, Vis.right, Vis.bottom);
  else
    BVI->VisibleBounds = TRect();
  ABounds = FRest;
}

void TcxSpinEditViewData::CalculateNativeInfo(TcxEditButtonViewInfo* AButton, TcxCustomEditViewInfo* AViewInfo) {
  AButton->Data.NativePart = 0;
  AButton->Data.NativeState = 0;
  AButton->Data.PartiallyTransparent = false;
  if (!AViewInfo->NativeStyle) return;
  HTHEME Theme = ThemeServices()->Theme(teSpin);
  if (!Theme) return;
  const bool Vert = static_cast<TcxCustomSpinEditProperties*>(Properties)->SpinButtons()->Position() == sbpVert;
  // Spin theme parts: 1 up, 2 down, 3 right (up, horizontal), 4 left.
  static const Integer kVertParts[] = {2, 1, 4, 3};
  static const Integer kHorzParts[] = {4, 3, 4, 3};
  static const Integer kStates[] = {4, 1, 3, 2};
  const Integer Index = std::clamp<Integer>(AButton->ButtonIndex, 0, 3);
  AButton->Data.NativePart = Vert ? kVertParts[Index] : kHorzParts[Index];
  AButton->Data.NativeState = kStates[std::clamp<Integer>(AButton->Data.State, 0, 3)];
  AButton->Data.PartiallyTransparent =
      IsThemeBackgroundPartiallyTransparent(Theme, AButton->Data.NativePart, AButton->Data.NativeState);
}

TcxArrowPointing TcxSpinEditViewInfo::ArrowDirection(Integer AButtonIndex) const {
  const bool Forward = AButtonIndex % 2 == 1;
  if (Position == sbpVert) return Forward ? apUp : apDown;
  return Forward ? apRight : apLeft;
}

Integer TcxSpinEditViewInfo::PainterButtonKind(Integer AButtonIndex) const {
  switch (ArrowDirection(AButtonIndex)) {
    case apUp: return cxEditButtonKindArrowUp;
    case apDown: return cxEditButtonKindArrowDown;
    case apLeft: return cxEditButtonKindArrowLeft;
    default: return cxEditButtonKindArrowRight;
  }
}

void TcxSpinEditViewInfo::PaintContent(TcxCanvas* ACanvas) {
  TcxCustomTextEditViewInfo::PaintContent(ACanvas);
  // The line between two native buttons, in the editor's background.
  if (ButtonsInfo.empty() || ButtonsInfo[0]->Data.NativePart == 0 || Position == sbpHorzLeftRight ||
      HasCustomButtonDraw(0) || DelimiterLineStart == DelimiterLineEnd)
    return;
  TRect Line(DelimiterLineStart.X, DelimiterLineStart.Y, DelimiterLineEnd.X + 1, DelimiterLineEnd.Y + 1);
  ACanvas->PushClipRegion();
  ACanvas->IntersectClip(BorderRect);
  ACanvas->FillRectColor(Line, BackgroundColor);
  ACanvas->PopClipRegion();
}

void TcxSpinEditViewInfo::AssignFrom(TcxContainerViewInfo* Source) {
  TcxCustomTextEditViewInfo::AssignFrom(Source);
  if (auto* S = dynamic_cast<TcxSpinEditViewInfo*>(Source)) {
    Position = S->Position;
    ArrowSize = S->ArrowSize;
    DelimiterLineStart = S->DelimiterLineStart;
    DelimiterLineEnd = S->DelimiterLineEnd;
  }
}

void TcxSpinEditViewInfo::MoveBy(Integer DX, Integer DY) {
  TcxCustomTextEditViewInfo::MoveBy(DX, DY);
  if (DelimiterLineStart == DelimiterLineEnd) return;
  DelimiterLineStart = TPoint(DelimiterLineStart.X + DX, DelimiterLineStart.Y + DY);
  DelimiterLineEnd = TPoint(DelimiterLineEnd.X + DX, DelimiterLineEnd.Y + DY);
}

void TcxSpinEditViewInfo::DrawNativeButtonBackground(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton,
                                                     const TRect& R) {
  if (AButton->Data.NativePart == 0) return TcxCustomTextEditViewInfo::DrawNativeButtonBackground(ACanvas, AButton, R);
  if (HTHEME Theme = ThemeServices()->Theme(teSpin))
    DrawThemeBackground(Theme, ACanvas->Handle(), AButton->Data.NativePart, AButton->Data.NativeState,
                        AButton->Bounds.AsRECT(), nullptr);
}

void TcxSpinEditViewInfo::PaintThemedButtonFrame(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton,
                                                 TColor& ABackgroundColor, TColor& ATextColor, TRect& AContentRect,
                                                 TRect& R) {
  // The theme's spin part is the whole button, arrow included.
  if (AButton->Data.NativePart != 0) {
    AContentRect = TRect();
    return;
  }
  TcxCustomTextEditViewInfo::PaintThemedButtonFrame(ACanvas, AButton, ABackgroundColor, ATextColor, AContentRect, R);
}

void TcxSpinEditViewInfo::DrawButtonContent(TcxCanvas* ACanvas, Integer AButtonVisibleIndex, Integer AContentShift,
                                            TColor ABackgroundColor, TColor ATextColor, const TRect& AContentRect) {
  TcxEditButtonViewInfo* B = ButtonsInfo[AButtonVisibleIndex].get();
  const Integer Index = B->ButtonIndex;
  if (Painter) {
    static const TcxButtonState kStates[] = {cxbsDisabled, cxbsNormal, cxbsPressed, cxbsHot};
    Painter->PaintEditButton(ACanvas, B->Bounds, PainterButtonKind(Index), kStates[std::clamp<Integer>(B->Data.State, 0, 3)]);
    return;
  }
  const bool Double = Index >= 2;
  const TcxArrowPointing Dir = ArrowDirection(Index);
  const Integer Arrow = ArrowSize > 0 ? ArrowSize : 3;
  ACanvas->PushClipRegion();
  ACanvas->IntersectClip(AContentRect);
  if (B->Data.State == 0) {
    // Disabled: embossed, a highlight one pixel down and right under the shadow.
    TRect Shifted = AContentRect;
    OffsetRect(Shifted, 1, 1);
    cxDrawEditArrow(ACanvas, Arrow, Shifted, Dir, Double, false, clBtnHighlight);
    cxDrawEditArrow(ACanvas, Arrow, AContentRect, Dir, Double, false, clBtnShadow);
  } else {
    cxDrawEditArrow(ACanvas, Arrow, AContentRect, Dir, Double, AContentShift != 0 || B->Data.State == 2, ATextColor);
  }
  ACanvas->PopClipRegion();
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

void TcxCustomSpinEdit::DeleteSelection() {
  if (Focused() && !ActiveProperties()->CanEdit()) return;
  FTyping = true;
  TcxCustomMaskEdit::DeleteSelection();
  FTyping = false;
}

void TcxCustomSpinEdit::DblClick() {
  // A double click on the text ends any spinning; on a button it is the
  // button's second press.
  if (GetViewInfo()->PressedButton < 0) StopSpin();
  TcxCustomMaskEdit::DblClick();
}

TcxContainerStyleValues TcxCustomSpinEdit::GetUnusedStyleValues() {
  // The spin buttons use the button style values.
  TcxContainerStyleValues V = TcxCustomMaskEdit::GetUnusedStyleValues();
  for (Integer I : {10, 11, 13}) V.Exclude(TcxContainerStyleValue(I));
  return V;
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

// ---------------------------------------------------------------------------
// What form files store

TOVANI_PUBLISHED(TcxSpinEditButtons) {
  using B = TcxSpinEditButtons;
  Property("Position", &B::Position, &B::SetPosition).Default(sbpVert);
  Property("ShowFastButtons", &B::ShowFastButtons, &B::SetShowFastButtons).Default(false);
  Property("Visible", &B::Visible, &B::SetVisible).Default(true);
}

TOVANI_PUBLISHED(TcxSpinEditProperties) {
  using P = TcxSpinEditProperties;
  Property("CanEdit", &P::CanEdit, &P::SetCanEdit).Default(true);
  Property("ExceptionOnInvalidInput", &P::ExceptionOnInvalidInput, &P::SetExceptionOnInvalidInput).Default(false);
  // An increment of 0 is stored as the flag ZeroIncrement (see DefineProperties).
  Property("Increment", &P::Increment, &P::SetIncrement).Stored([](TObject* O) {
    const double V = static_cast<P*>(O)->Increment();
    return V != 1.0 && V != 0.0;
  });
  Property("LargeIncrement", &P::LargeIncrement, &P::SetLargeIncrement).Stored([](TObject* O) {
    const double V = static_cast<P*>(O)->LargeIncrement();
    return V != 10.0 && V != 0.0;
  });
  Property<double>(
      "MaxValue", [](P* p) { return p->MaxValue(); }, [](P* p, double v) { p->SetMaxValue(v); })
      .Stored([](TObject* O) { return static_cast<P*>(O)->MaxValue() != 0.0; });
  Property<double>(
      "MinValue", [](P* p) { return p->MinValue(); }, [](P* p, double v) { p->SetMinValue(v); })
      .Stored([](TObject* O) { return static_cast<P*>(O)->MinValue() != 0.0; });
  Property<TcxSpinEditButtons*>(
      "SpinButtons", [](P* p) { return p->SpinButtons(); }, [](P* p, TcxSpinEditButtons* v) { p->SetSpinButtons(v); });
  Property("UseCtrlIncrement", &P::UseCtrlIncrement, &P::SetUseCtrlIncrement).Default(false);
  Property<TcxSpinEditValueType>(
      "ValueType", [](P* p) { return p->ValueType(); }, [](P* p, TcxSpinEditValueType v) { p->SetValueType(v); })
      .Stored([](TObject* O) { return static_cast<P*>(O)->AssignedValues()->ValueType(); });
}

TOVANI_PUBLISHED(TcxSpinEdit) {
  Property("BeepOnEnter", &TcxCustomTextEdit::BeepOnEnter, &TcxCustomTextEdit::SetBeepOnEnter).Default(true);
  Property("Properties", &TcxSpinEdit::Properties, &TcxSpinEdit::SetProperties);
  Property<Variant>(
      "Value", [](TcxSpinEdit* e) { return e->Value(); }, [](TcxSpinEdit* e, Variant v) { e->SetValue(v); })
      .Stored([](TObject* O) {
        const Variant V = static_cast<TcxSpinEdit*>(O)->Value();
        return VarIsNumeric(V) && V.AsDouble() != 0.0;
      });
}
