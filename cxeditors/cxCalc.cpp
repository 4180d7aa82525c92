// The pocket calculator control.
#include "cxCalc.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "Clipbrd.h"
#include "FormatSettings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "cxClasses.h"
#include "cxControls.h"
#include "cxFilterControlUtils.h"
#include "cxTextChars.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomCalculator, TcxControl)
TOVANI_IMPLEMENT_CLASS(TcxCalculator, TcxCustomCalculator)

namespace {
const TcxResourceString cxSCalcError{"Error"};

struct TKeyDef {
  const char* Caption;
  TColor Color;
};
const TKeyDef kKeyDefs[cxckNone] = {
    {"Back", clMaroon}, {"CE", clMaroon}, {"C", clMaroon},  {"MC", clRed},   {"MR", clRed},    {"MS", clRed},
    {"M+", clRed},      {"0", clBlue},    {"1", clBlue},    {"2", clBlue},   {"3", clBlue},    {"4", clBlue},
    {"5", clBlue},      {"6", clBlue},    {"7", clBlue},    {"8", clBlue},   {"9", clBlue},    {"+/-", clBlue},
    {".", clBlue},      {"/", clRed},     {"*", clRed},     {"-", clRed},    {"+", clRed},     {"sqrt", clNavy},
    {"%", clNavy},      {"1/x", clNavy},  {"=", clRed},
};

Integer RoundDiv(Integer A, Integer Num, Integer Den) { return MulDiv(A, Num, Den); }

// A text that reads as a number a double can hold.
bool ReadNumber(const String& AText, Extended& Value) {
  String S = Trim(AText);
  const char TS = FormatSettings().ThousandSeparator;
  S.erase(std::remove(S.begin(), S.end(), TS), S.end());
  if (S.empty()) S = "0";
  Extended V;
  if (!TryStrToFloat(S, V) || !std::isfinite(V)) return false;
  Value = V;
  return true;
}
}  // namespace

String cxCalcErrorText() { return cxLoadResourceText(cxSCalcError); }

TcxCustomCalculator::TcxCustomCalculator(TComponent* AOwner) : TcxControl(AOwner) {
  SetControlStyle(ControlStyle() + csCaptureMouse + csOpaque);
  SetColor(clBtnFace);
  SetParentColor(false);
  SetTabStop(true);
  SetWantedKeys(TcxWantedKeys::FromMask(15));
  for (Integer I = 0; I < cxckNone; ++I) {
    FKeys[I].Index = TcxCalcKey(I);
    FKeys[I].Caption = kKeyDefs[I].Caption;
    FKeys[I].Color = kKeyDefs[I].Color;
  }
  SetWidth(FCalcWidth);
  SetHeight(FCalcHeight);
  Reset();
  LayOutKeys();
}

void TcxCustomCalculator::SetAutoFontSize(bool Value) {
  if (FAutoFontSize == Value) return;
  FAutoFontSize = Value;
  if (HandleAllocated()) FitToSize(Width(), Height());
}

void TcxCustomCalculator::SetShowFocusRect(bool Value) {
  if (FShowFocusRect == Value) return;
  FShowFocusRect = Value;
  InvalidateKey(cxckEqual);
}

TcxLookAndFeelPainterClass TcxCustomCalculator::GetPainterClass() { return cxStandardPainter(); }

void TcxCustomCalculator::RequestClose(TObject* Sender, Integer AReason) {
  if (OnHidePopup) OnHidePopup(Sender, AReason);
}

void TcxCustomCalculator::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= WS_TABSTOP | WS_CLIPCHILDREN;
  Params.WindowClass.style &= ~CS_DBLCLKS;
  if (FIsPopup) Params.Style &= ~WS_BORDER;
}

// --- Values --------------------------------------------------------------------

Extended TcxCustomCalculator::GetValue() {
  if (FStatus == 2) return 0;
  Extended V = 0;
  if (!ReadNumber(DisplayText(), V)) {
    // What the display shows is no number (typed or set by the host): the
    // calculator goes into its error state instead of failing its caller.
    ShowError();
    return 0;
  }
  return V;
}

void TcxCustomCalculator::ShowText(const String& AText) {
  if (DisplayText() == AText) return;
  SetDisplayText(AText);
  cxCallNotifyEvent(this, OnDisplayChange);
}

void TcxCustomCalculator::SetValue(Extended Value) {
  ShowText(FloatToStrF(Value, ffGeneral, MaxDigits(), 0));
}

void TcxCustomCalculator::ShowError() {
  FStatus = 2;
  ShowText(cxCalcErrorText());
  if (FBeepOnError) MessageBeep(0);
}

void TcxCustomCalculator::StartNumber() {
  if (FStatus != 0) return;
  FStatus = 1;
  ShowText("0");
}

void TcxCustomCalculator::RefreshMemoryKeys() {
  const bool Disabled = FMemory == 0;
  for (TcxCalcKey K : {cxckMC, cxckMR}) {
    FKeys[K].Disabled = Disabled;
    InvalidateKey(K);
  }
}

void TcxCustomCalculator::Reset() {
  FOperator = cxckEqual;
  FStatus = 0;
  FMemory = 0;
  RefreshMemoryKeys();
}

void TcxCustomCalculator::DoKeyAction(TcxCalcKey AKey) {
  if (OnButtonClick) OnButtonClick(this, AKey);
  if (AKey < 0 || AKey >= cxckNone) return;
  if (FStatus == 2 && AKey != cxckCE && AKey != cxckC) {
    ShowError();
    return;
  }
  const char DS = FormatSettings().DecimalSeparator;
  switch (AKey) {
    case cxckDecimal: {
      StartNumber();
      const String S = DisplayText();
      if (S.find(DS) == String::npos) ShowText(S + DS);
      break;
    }
    case cxck0: case cxck1: case cxck2: case cxck3: case cxck4:
    case cxck5: case cxck6: case cxck7: case cxck8: case cxck9: {
      StartNumber();
      String S = DisplayText();
      if (S == "0") S.clear();
      const Integer Limit = MaxDigits() + (S.find('-') != String::npos ? 1 : 0);
      if (Integer(S.size()) < Limit) {
        ShowText(S + char('0' + (AKey - cxck0)));
      } else {
        if (S.empty()) ShowText("0");
        if (FBeepOnError) MessageBeep(0);
      }
      break;
    }
    case cxckBack: {
      StartNumber();
      String S = DisplayText();
      if (S.size() <= 1 || (S.size() == 2 && S[0] == '-')) ShowText("0");
      else {
        // Remove the last whole character.
        size_t N = S.size() - 1;
        while (N > 0 && (static_cast<unsigned char>(S[N]) & 0xC0) == 0x80) --N;
        ShowText(S.substr(0, N));
      }
      break;
    }
    case cxckSign: {
      const Extended V = GetValue();
      if (FStatus != 2) SetValue(-V);
      break;
    }
    case cxckSqrt:
    case cxckRev: {
      const bool Pending = FOperator == cxckDiv || FOperator == cxckMul || FOperator == cxckSub || FOperator == cxckAdd;
      const Extended V = GetValue();
      if (FStatus == 2) break;
      FStatus = Pending ? 1 : 0;
      if (AKey == cxckSqrt) {
        if (V < 0) ShowError();
        else SetValue(std::sqrt(V));
      } else {
        if (V == 0) ShowError();
        else SetValue(1 / V);
      }
      break;
    }
    case cxckDiv: case cxckMul: case cxckSub: case cxckAdd: case cxckPercent: case cxckEqual: {
      if (FStatus == 1) {
        FStatus = 0;
        Extended V = GetValue();
        if (FStatus == 2) break;
        if (AKey == cxckPercent) {
          if (FOperator == cxckDiv || FOperator == cxckMul) V = V / 100;
          else if (FOperator == cxckSub || FOperator == cxckAdd) V = FOperand * V / 100;
        }
        switch (FOperator) {
          case cxckDiv:
            if (V == 0) {
              ShowError();
              return;
            }
            SetValue(FOperand / V);
            break;
          case cxckMul: SetValue(FOperand * V); break;
          case cxckSub: SetValue(FOperand - V); break;
          case cxckAdd: SetValue(FOperand + V); break;
          default: break;
        }
      }
      FOperator = AKey;
      FOperand = GetValue();
      if (FStatus == 2) break;
      if ((AKey == cxckPercent || AKey == cxckEqual)) cxCallNotifyEvent(this, OnResult);
      break;
    }
    case cxckCE:
    case cxckC:
      FStatus = 0;
      ShowText("0");
      FOperator = cxckEqual;
      break;
    case cxckMS:
    case cxckMPlus: {
      const Extended V = GetValue();
      if (FStatus == 2) break;
      FStatus = 0;
      FMemory = AKey == cxckMS ? V : FMemory + V;
      RefreshMemoryKeys();
      break;
    }
    case cxckMR:
      FStatus = 0;
      StartNumber();
      SetValue(FMemory);
      break;
    case cxckMC:
      FMemory = 0;
      RefreshMemoryKeys();
      break;
    default: break;
  }
}

// --- Clipboard ---------------------------------------------------------------------

void TcxCustomCalculator::CopyToClipboard() { Clipboard()->SetAsText(DisplayText()); }

void TcxCustomCalculator::PasteFromClipboard() {
  if (!Clipboard()->HasFormat(CF_UNICODETEXT) && !Clipboard()->HasFormat(CF_TEXT)) return;
  String S = Clipboard()->AsText();
  const String Cur = FormatSettings().CurrencyString;
  if (!Cur.empty())
    for (size_t P; (P = S.find(Cur)) != String::npos;) S.erase(P, Cur.size());
  Extended V = 0;
  if (!ReadNumber(S, V)) V = 0;
  if (FStatus == 2) FStatus = 0;
  SetValue(V);
  FStatus = 1;
}

// --- Layout ---------------------------------------------------------------------------

void TcxCustomCalculator::FitToSize(Integer AWidth, Integer AHeight) {
  Integer H = 22;
  if (FAutoFontSize) {
    const Integer Budget = std::min(AHeight, AWidth * 131 / 198);
    auto Total = [](Integer K) { return 5 * K + 6 * RoundDiv(K, 3, 22); };
    while (std::abs(Total(H + 1) - Budget) < std::abs(Total(H) - Budget)) ++H;
  } else if (HandleAllocated() || Parent()) {
    cxCanvas()->SetFont(Font());
    H = std::max(1, 2 * cxCanvas()->TextHeight("Wg"));
  }
  FKeyHeight = H;
  FKeyWidth = RoundDiv(H, 28, 22);
  FXOffset = FYOffset = RoundDiv(H, 3, 22);
  FLargeKeyWidth = RoundDiv(FKeyWidth, 17, 10);
  FFontSize = RoundDiv(H, 8, 22);
  FCalcHeight = 5 * H + 6 * FYOffset;
  FCalcWidth = 6 * FKeyWidth + 8 * FXOffset + 4;
  LayOutKeys();
}

void TcxCustomCalculator::LayOutKeys() {
  const Integer W = FKeyWidth, H = FKeyHeight, L = FLargeKeyWidth, X = FXOffset, Y = FYOffset;
  auto RowTop = [&](Integer R) { return Y + R * (H + Y); };
  for (Integer R = 1; R <= 4; ++R) FKeys[cxckMC + R - 1].Bounds = TRect(X, RowTop(R), X + W, RowTop(R) + H);
  const Integer X0 = W + 3 * X + 4;
  auto Place = [&](TcxCalcKey K, Integer C, Integer R) {
    const Integer Left = X0 + C * (W + X);
    FKeys[K].Bounds = TRect(Left, RowTop(R), Left + W, RowTop(R) + H);
  };
  Place(cxck7, 0, 1), Place(cxck8, 1, 1), Place(cxck9, 2, 1), Place(cxckDiv, 3, 1), Place(cxckSqrt, 4, 1);
  Place(cxck4, 0, 2), Place(cxck5, 1, 2), Place(cxck6, 2, 2), Place(cxckMul, 3, 2), Place(cxckPercent, 4, 2);
  Place(cxck1, 0, 3), Place(cxck2, 1, 3), Place(cxck3, 2, 3), Place(cxckSub, 3, 3), Place(cxckRev, 4, 3);
  Place(cxck0, 0, 4), Place(cxckSign, 1, 4), Place(cxckDecimal, 2, 4), Place(cxckAdd, 3, 4), Place(cxckEqual, 4, 4);
  const Integer Right = FKeys[cxckEqual].Bounds.Right;
  FKeys[cxckC].Bounds = TRect(Right - L, Y, Right, Y + H);
  FKeys[cxckCE].Bounds = TRect(Right - L - Y - L, Y, Right - L - Y, Y + H);
  FKeys[cxckBack].Bounds = TRect(Right - 2 * (L + Y) - L, Y, Right - 2 * (L + Y), Y + H);
  FKeys[cxckDecimal].Caption = String(1, FormatSettings().DecimalSeparator);
  Invalidate();
}

bool TcxCustomCalculator::CanResize(Integer& NewWidth, Integer& NewHeight) {
  FitToSize(NewWidth, NewHeight);
  const Integer BW = Width() - ClientWidth(), BH = Height() - ClientHeight();
  NewWidth = FCalcWidth + std::max(0, BW);
  NewHeight = FCalcHeight + std::max(0, BH);
  return inherited::CanResize(NewWidth, NewHeight);
}

// --- Painting -----------------------------------------------------------------------

void TcxCustomCalculator::InvalidateKey(TcxCalcKey AKey) {
  if (AKey >= 0 && AKey < cxckNone) InvalidateRect(FKeys[AKey].Bounds, false);
}

void TcxCustomCalculator::Paint() {
  TcxCanvas* C = cxCanvas();
  TcxLookAndFeelPainterClass P = GetPainterClass();
  P->PaintPopupContent(C, ClientRect());
  std::unique_ptr<TFont> KeyFont = std::make_unique<TFont>();
  KeyFont->Assign(Font());
  if (FAutoFontSize) {
    KeyFont->SetSize(FFontSize);
    TFontStyles S = KeyFont->Style();
    if (FFontSize >= 10) S.Include(fsBold);
    KeyFont->SetStyle(S);
  }
  const bool HasFocus = Focused();
  for (const TcxCalcKeyInfo& K : FKeys) {
    TcxButtonState State = cxbsNormal;
    if (K.Disabled || !Enabled()) State = cxbsDisabled;
    else if (K.Pressed) State = cxbsPressed;
    else if (K.Index == FActiveKey && K.Index != FDownKey) State = cxbsHot;
    else if (K.Index == cxckEqual && HasFocus) State = cxbsDefault;
    P->PaintButton(C, K.Bounds, "", State);
    TRect TR = K.Bounds;
    if (State == cxbsPressed) {
      const Integer Shift = P->GetButtonTextShift();
      TR.Left += Shift, TR.Right += Shift, TR.Top += Shift, TR.Bottom += Shift;
    }
    C->SetFont(KeyFont.get());
    C->Font()->SetColor(K.Color);
    C->Brush()->SetStyle(bsClear);
    C->PaintText(K.Caption, TR, 0x264, State != cxbsDisabled);
    C->Brush()->SetStyle(bsSolid);
  }
  if (FShowFocusRect && HasFocus) {
    TRect R = FKeys[cxckEqual].Bounds;
    R.Left += 3, R.Top += 3, R.Right -= 3, R.Bottom -= 3;
    C->DrawFocusRect(R);
  }
}

// --- Keys and mouse --------------------------------------------------------------

void TcxCustomCalculator::PressKey(TcxCalcKey AKey) {
  if (AKey == FPressedKey) return;
  ReleaseKey();
  FPressedKey = AKey;
  FKeys[AKey].Pressed = true;
  InvalidateKey(AKey);
  DoKeyAction(AKey);
}

void TcxCustomCalculator::ReleaseKey() {
  if (FPressedKey == cxckNone) return;
  FKeys[FPressedKey].Pressed = false;
  InvalidateKey(FPressedKey);
  FPressedKey = cxckNone;
}

void TcxCustomCalculator::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  const bool Ctrl = Shift.Contains(ssCtrl);
  TcxCalcKey K = cxckNone;
  switch (Key) {
    case VK_RETURN: K = cxckEqual; break;
    case VK_ESCAPE: K = cxckC; break;
    case VK_DELETE: K = cxckCE; break;
    case 'C': if (!Ctrl) K = cxckC; break;
    case 'L': if (Ctrl) K = cxckMC; break;
    case 'R': K = Ctrl ? cxckMR : cxckRev; break;
    case 'M': if (Ctrl) K = cxckMS; break;
    case 'P': if (Ctrl) K = cxckMPlus; break;
    case VK_F9: K = cxckSign; break;
    default: break;
  }
  if (K != cxckNone && !FKeys[K].Disabled) PressKey(K);
}

void TcxCustomCalculator::KeyUp(Word& Key, TShiftState Shift) {
  inherited::KeyUp(Key, Shift);
  ReleaseKey();
}

void TcxCustomCalculator::KeyPress(char32_t& Key) {
  inherited::KeyPress(Key);
  if (Key == 3) {  // Ctrl+C
    CopyToClipboard();
    return;
  }
  if (Key == 22) {  // Ctrl+V
    PasteFromClipboard();
    return;
  }
  TcxCalcKey K = cxckNone;
  switch (Key) {
    case 8: K = cxckBack; break;
    case U'%': K = cxckPercent; break;
    case U'*': K = cxckMul; break;
    case U'+': K = cxckAdd; break;
    case U',': case U'.': K = cxckDecimal; break;
    case U'-': K = cxckSub; break;
    case U'/': K = cxckDiv; break;
    case U'=': K = cxckEqual; break;
    case U'@': K = cxckSqrt; break;
    default:
      if (Key >= U'0' && Key <= U'9') K = TcxCalcKey(cxck0 + (Key - U'0'));
      break;
  }
  if (K == cxckNone) return;
  // Backspace acts on every repeat; the other keys once per press.
  if (K == cxckBack) {
    DoKeyAction(K);
    return;
  }
  if (K == FPressedKey) return;
  PressKey(K);
  ReleaseKey();
}

TcxCalcKey TcxCustomCalculator::KeyAt(TPoint P) const {
  for (const TcxCalcKeyInfo& K : FKeys)
    if (P.X >= K.Bounds.Left && P.X < K.Bounds.Right && P.Y >= K.Bounds.Top && P.Y < K.Bounds.Bottom) return K.Index;
  return cxckNone;
}

void TcxCustomCalculator::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (!FIsPopup && CanFocus() && !Focused()) SetFocus();
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  const TcxCalcKey K = KeyAt(TPoint(X, Y));
  if (K == cxckNone || FKeys[K].Disabled) return;
  FTracking = true;
  FDownKey = K;
  FKeys[K].Pressed = true;
  InvalidateKey(K);
  SetMouseCapture(true);
}

void TcxCustomCalculator::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  const TcxCalcKey K = KeyAt(TPoint(X, Y));
  if (FTracking) {
    const bool Over = K == FDownKey;
    if (FKeys[FDownKey].Pressed != Over) {
      FKeys[FDownKey].Pressed = Over;
      InvalidateKey(FDownKey);
    }
    return;
  }
  if (!GetPainterClass()->HasHotTrackButtons() || !Enabled() || DragAndDropState() != dasNone) return;
  if (K == FActiveKey) return;
  InvalidateKey(FActiveKey);
  FActiveKey = K;
  InvalidateKey(FActiveKey);
}

void TcxCustomCalculator::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (!FTracking || Button != mbLeft) return;
  FTracking = false;
  SetMouseCapture(false);
  const TcxCalcKey K = FDownKey;
  FDownKey = cxckNone;
  FKeys[K].Pressed = false;
  InvalidateKey(K);
  if (KeyAt(TPoint(X, Y)) == K) DoKeyAction(K);
}

void TcxCustomCalculator::DoMouseLeave(TControl* AControl) {
  inherited::DoMouseLeave(AControl);
  if (FActiveKey == cxckNone) return;
  InvalidateKey(FActiveKey);
  FActiveKey = cxckNone;
}

void TcxCustomCalculator::DoFocusChanged() {
  inherited::DoFocusChanged();
  InvalidateKey(cxckEqual);
}

void TcxCustomCalculator::Dispatch(TMessage& Message) {
  inherited::Dispatch(Message);
  if (Message.Msg == CM_FONTCHANGED && !ComponentState().Contains(csLoading)) {
    SetParentFont(false);
    if (!FAutoFontSize) FitToSize(Width(), Height());
  } else if (Message.Msg == CM_ENABLEDCHANGED) {
    Invalidate();
  }
}

// ---------------------------------------------------------------------------
// Calculator editor

TOVANI_IMPLEMENT_CLASS(TcxPopupCalculator, TcxCustomCalculator)
TOVANI_IMPLEMENT_CLASS(TcxCustomCalcEditProperties, TcxCustomPopupEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCalcEditProperties, TcxCustomCalcEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomCalcEdit, TcxCustomPopupEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCalcEdit, TcxCustomCalcEdit)

namespace {
const TcxResourceString cxSEditCalcDescription{"CalcEdit|Represents an edit control with a dropdown calculator window"};
bool IsSoftNullValue(const Variant& V) { return VarIsNull(V) || VarIsEmpty(V); }
}  // namespace

TcxPopupCalculator::TcxPopupCalculator(TComponent* AOwner) : TcxCustomCalculator(AOwner) { FIsPopup = true; }

void TcxPopupCalculator::GetDisplayText(String& AText) { AText = FEdit ? FEdit->Text() : String(); }

void TcxPopupCalculator::SetDisplayText(const String& AText) {
  if (FEdit) FEdit->SetCalculatorText(AText);
}

void TcxPopupCalculator::KeyDown(Word& Key, TShiftState Shift) {
  TcxCustomCalculator::KeyDown(Key, Shift);
  const bool Alt = Shift.Contains(ssAlt);
  switch (Key) {
    case VK_RETURN: RequestClose(this, 4); break;
    case VK_ESCAPE: RequestClose(this, 3); break;
    case VK_UP:
    case VK_DOWN:
      if (Alt) RequestClose(this, 2);
      break;
    case VK_F4:
      if (!Alt) RequestClose(this, 2);
      break;
    case VK_INSERT:
      if (Shift.Contains(ssShift)) PasteFromClipboard();
      else if (Shift.Contains(ssCtrl)) CopyToClipboard();
      break;
    default: break;
  }
}

void TcxPopupCalculator::KeyPress(char32_t& Key) {
  const bool Equal = Key == U'=';
  TcxCustomCalculator::KeyPress(Key);
  if (Equal && FEdit && FEdit->ActiveProperties()->QuickClose()) RequestClose(this, 4);
}

namespace {
// Filter rows edit calculator columns with a calculator editor that closes
// on "=".
class TcxFilterCalcEditHelper : public TcxFilterDropDownEditHelper {
  TOVANI_CLASS(TcxFilterCalcEditHelper, TcxFilterDropDownEditHelper)
 public:
  TClass GetFilterEditorClass() const override { return TcxCalcEdit::StaticClass(); }
  TcxFilterEditOperators GetAllowedOperators(TcxCustomEditProperties*, TcxValueTypeClass, bool AExtended) const override {
    return cxOrderedValueFilterOperators(AExtended);
  }
  void InitFilterProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* ASource,
                            bool AKeepButtons) const override {
    TcxFilterDropDownEditHelper::InitFilterProperties(AProperties, ASource, AKeepButtons);
    if (auto* P = dynamic_cast<TcxCustomCalcEditProperties*>(AProperties)) P->SetQuickClose(true);
  }
};

struct TCalcEditUnitRegistration {
  TcxFilterCalcEditHelper Helper;
  TCalcEditUnitRegistration() {
    cxEditPropertiesRegistry()->AddClass(TcxCalcEditProperties::StaticClass(), cxLoadResourceText(cxSEditCalcDescription));
    cxRegisterFilterEditHelper(TcxFilterCalcEditHelper::StaticClass(), &Helper);
    cxGetFilterEditsController()->AddClassPair(TcxCalcEditProperties::StaticClass(),
                                               TcxFilterCalcEditHelper::StaticClass());
  }
  ~TCalcEditUnitRegistration() {
    if (cxFilterEditsControllerExists())
      cxGetFilterEditsController()->RemoveClassPair(TcxCalcEditProperties::StaticClass(),
                                                    TcxFilterCalcEditHelper::StaticClass());
  }
};

// A typed text the editor can hold: a number (thousand separators aside)
// of 0 or a magnitude a double keeps.
bool IsCalcNumberText(const String& AText) {
  String S = Trim(AText);
  const char TS = FormatSettings().ThousandSeparator;
  S.erase(std::remove(S.begin(), S.end(), TS), S.end());
  Extended V;
  if (S.empty() || !TryStrToFloat(S, V)) return false;
  const Extended A = std::fabs(V);
  return A == 0 || (A >= 5e-324 && A <= 1.7e308);
}
}  // namespace
TOVANI_IMPLEMENT_CLASS(TcxFilterCalcEditHelper, TcxFilterDropDownEditHelper)

TcxCustomCalcEditProperties::TcxCustomCalcEditProperties(TPersistent* AOwner) : TcxCustomPopupEditProperties(AOwner) {
  static TCalcEditUnitRegistration Registration;
  SetPopupSizeable(false);
  SetImmediateDropDown(false);
}

void TcxCustomCalcEditProperties::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TcxCustomCalcEditProperties*>(Source);
  if (!S) return TcxCustomPopupEditProperties::Assign(Source);
  BeginUpdate();
  TcxCustomPopupEditProperties::Assign(Source);
  FBeepOnError = S->FBeepOnError;
  FPrecision = S->FPrecision;
  FPrecisionAssigned = S->FPrecisionAssigned;
  FQuickClose = S->FQuickClose;
  FScientificFormat = S->FScientificFormat;
  FUseThousandSeparator = S->FUseThousandSeparator;
  Changed();
  EndUpdate();
}

Byte TcxCustomCalcEditProperties::Precision() {
  Integer P = 15;
  if (FPrecisionAssigned) P = FPrecision;
  else if (IcxEditDefaultValuesProvider* D = DefaultValuesProvider()) P = D->DefaultPrecision();
  return Byte(P >= 16 || P <= 0 ? 15 : P);
}

void TcxCustomCalcEditProperties::SetPrecision(Byte Value) {
  FPrecisionAssigned = true;
  if (FPrecision == Value) return;
  FPrecision = Value;
  Changed();
}

void TcxCustomCalcEditProperties::SetScientificFormat(bool Value) {
  if (FScientificFormat == Value) return;
  FScientificFormat = Value;
  Changed();
}

void TcxCustomCalcEditProperties::SetUseThousandSeparator(bool Value) {
  if (FUseThousandSeparator == Value) return;
  FUseThousandSeparator = Value;
  Changed();
}

TClass TcxCustomCalcEditProperties::GetContainerClass() { return TcxCalcEdit::StaticClass(); }

bool TcxCustomCalcEditProperties::TextToValue(const String& AText, Variant& AValue) {
  String S = Trim(AText);
  if (!FScientificFormat && FUseThousandSeparator) {
    const char TS = FormatSettings().ThousandSeparator;
    S.erase(std::remove(S.begin(), S.end(), TS), S.end());
  }
  if (S.empty()) {
    AValue = Variant::Null();
    return true;
  }
  Extended V;
  if (!TryStrToFloat(S, V) || !std::isfinite(V)) {
    AValue = Variant::Null();
    return false;
  }
  AValue = Variant(double(V));
  return true;
}

bool TcxCustomCalcEditProperties::AcceptsEditValue(Variant& AEditValue, bool) {
  if (IsSoftNullValue(AEditValue) || VarIsNumeric(AEditValue)) return true;
  Variant V;
  return VarIsStr(AEditValue) && TextToValue(VarToStr(AEditValue), V);
}

void TcxCustomCalcEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) {
  if (IsSoftNullValue(AEditValue)) {
    ADisplayValue = Variant(String());
    return;
  }
  Variant V = AEditValue;
  if (VarIsStr(V) && !TextToValue(VarToStr(V), V)) {
    ADisplayValue = Variant(VarToStr(AEditValue));
    return;
  }
  if (IsSoftNullValue(V)) {
    ADisplayValue = Variant(String());
    return;
  }
  if (AEditFocused || !AssignedValues()->DisplayFormat()) {
    const Integer P = Precision();
    String S = FloatToStrF(V.AsDouble(), FScientificFormat ? ffExponent : ffGeneral, P ? P : 15, 0);
    if (FScientificFormat) {
      // The mantissa without trailing zeros (and without a bare separator).
      const size_t E = S.find_first_of("eE");
      String M = S.substr(0, E), X = E == String::npos ? String() : S.substr(E);
      if (M.find(FormatSettings().DecimalSeparator) != String::npos) {
        while (!M.empty() && M.back() == '0') M.pop_back();
        if (!M.empty() && M.back() == FormatSettings().DecimalSeparator) M.pop_back();
      }
      S = M + X;
    } else if (FUseThousandSeparator) {
      cxInsertThousandSeparators(S);
    }
    ADisplayValue = Variant(S);
    return;
  }
  ADisplayValue = Variant(FormatFloat(DisplayFormat(), V.AsDouble()));
}

TcxCustomCalcEdit::TcxCustomCalcEdit(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties)
    : TcxCustomPopupEdit(AOwner, AIsInplace,
                         AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                           return new TcxCustomCalcEditProperties(O);
                         }) {
  SetEditValueQuiet(Variant(0.0));
  FCalculator = new TcxPopupCalculator(nullptr);
  FCalculator->SetEdit(this);
  FCalculator->SetAutoFontSize(false);
  FCalculator->OnHidePopup = [this](TObject*, Integer Reason) { ClosePopup(TcxPopupCloseReason(Reason)); };
}

TcxCalcEdit::TcxCalcEdit(TComponent* AOwner, bool AIsInplace)
    : TcxCustomCalcEdit(AOwner, AIsInplace,
                        [](TPersistent* O) -> TcxCustomEditProperties* { return new TcxCalcEditProperties(O); }) {}

TcxCustomCalcEdit::~TcxCustomCalcEdit() {
  if (Properties()->PopupControl() == FCalculator) Properties()->SetPopupControl(nullptr);
  delete FCalculator;
}

void TcxCustomCalcEdit::SetCalculatorText(const String& AText) {
  if (!DataBinding()->IsEditing() && !RequestEditing()) return;
  SetText(AText);
  SetEditChanged(true);
}

void TcxCustomCalcEdit::DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  ActiveProperties()->TextToValue(VarToStr(ADisplayValue), AEditValue);
}

Extended TcxCustomCalcEdit::Value() {
  const Variant& V = EditValue();
  if (IsSoftNullValue(V) || (VarIsStr(V) && VarToStr(V).empty())) return 0;
  Variant N = V;
  if (VarIsStr(V) && !ActiveProperties()->TextToValue(VarToStr(V), N)) return 0;
  return IsSoftNullValue(N) ? 0 : N.AsDouble();
}

void TcxCustomCalcEdit::SetValue(Extended AValue) { SetEditValueQuiet(Variant(double(AValue))); }

void TcxCustomCalcEdit::DropDown() {
  if (PopupWindow()) {
    PopupWindow()->SetModalMode(false);
    if (FCalculator->Parent() != PopupWindow()) FCalculator->SetParent(PopupWindow());
  }
  FCalculator->SetBeepOnError(ActiveProperties()->BeepOnError());
  FCalculator->SetPrecision(ActiveProperties()->Precision());
  FCalculator->Font()->Assign(GetActiveStyle()->GetVisibleTextFont());
  FCalculator->FitToSize(FCalculator->Width(), FCalculator->Height());
  FCalculator->SetBounds(0, 0, FCalculator->CalcWidth(), FCalculator->CalcHeight());
  if (Properties()->PopupControl() != FCalculator) {
    Properties()->LockChanges(true);
    Properties()->SetPopupControl(FCalculator);
    Properties()->LockChanges(false);
  }
  TcxCustomPopupEdit::DropDown();
}

void TcxCustomCalcEdit::GetEditingValue(Variant& AValue) { DisplayToEditValue(Variant(Text()), AValue, Focused()); }

void TcxCustomCalcEdit::PropertiesChanged(TObject* Sender) {
  TcxCustomCalcEditProperties* P = ActiveProperties();
  // A change of the locale's formats arrives once, through the binding.
  if (Sender && P->FormatChanging()) return;
  TcxCustomPopupEdit::PropertiesChanged(Sender);
  if (IsDestroying() || InnerEditNotReady() || !FCalculator) return;
  FCalculator->SetBeepOnError(P->BeepOnError());
  FCalculator->SetPrecision(P->Precision());
  if (Properties()->PopupControl() != FCalculator) {
    Properties()->LockChanges(true);
    Properties()->SetPopupControl(FCalculator);
    Properties()->LockChanges(false);
  }
}

void TcxCustomCalcEdit::DoEditKeyPress(char32_t& Key) {
  const TFormatSettings& FS = FormatSettings();
  if (Key == U'.' || Key == U',') Key = char32_t(FS.DecimalSeparator);
  if (Key >= 32 && !ActiveProperties()->ReadOnly()) {
    // The text as it would be with the character typed over the selection.
    const TcxChars C = cxUtf8ToChars(Text());
    const size_t Start = std::min<size_t>(std::max<Integer>(SelStart(), 0), C.size());
    const size_t End = std::min<size_t>(Start + std::max<Integer>(SelLength(), 0), C.size());
    const String Before = cxCharsToUtf8(C.substr(0, Start)), After = cxCharsToUtf8(C.substr(End));
    const bool LoneMinus = Key == U'-' && Trim(Before + After).empty();
    if (!LoneMinus && (!cxIsNumericInputChar(Key, 2) || !IsCalcNumberText(Before + Utf8Encode(Key) + After))) {
      if (ActiveProperties()->BeepOnError()) MessageBeep(0);
      Key = 0;
      return;
    }
  }
  TcxCustomPopupEdit::DoEditKeyPress(Key);
}

void TcxCustomCalcEdit::PasteFromClipboard() {
  // The calculator reads the clipboard (a currency sign and blanks aside).
  if (!DataBinding()->IsEditing() && !RequestEditing()) return;
  FCalculator->PasteFromClipboard();
}

void TcxCustomCalcEdit::HandlePopupShown() {
  TcxCustomPopupEdit::HandlePopupShown();
  FCalculator->ResetPressedKey();
}

void TcxCustomCalcEdit::HandlePopupClosed() {
  if (Text() == cxCalcErrorText()) SetEditValueQuiet(Variant(0.0));
  if (ActiveProperties()->AutoSelect()) SelectAll();
  else SetSelStart(Integer(Text().size()));
  TcxCustomPopupEdit::HandlePopupClosed();
}

// ---------------------------------------------------------------------------
// What form files store

TOVANI_PUBLISHED(TcxCalcEditProperties) {
  using P = TcxCalcEditProperties;
  Property("BeepOnError", &P::BeepOnError, &P::SetBeepOnError).Default(true);
  Property<Integer>(
      "Precision", [](P* p) { return Integer(p->Precision()); }, [](P* p, Integer v) { p->SetPrecision(Byte(v)); })
      .Stored([](TObject* O) { return static_cast<P*>(O)->IsPrecisionAssigned(); });
  Property("QuickClose", &P::QuickClose, &P::SetQuickClose).Default(false);
  Property("ScientificFormat", &P::ScientificFormat, &P::SetScientificFormat).Default(false);
  Property("UseThousandSeparator", &P::UseThousandSeparator, &P::SetUseThousandSeparator).Default(false);
}

TOVANI_PUBLISHED(TcxCalcEdit) {
  Property("BeepOnEnter", &TcxCustomTextEdit::BeepOnEnter, &TcxCustomTextEdit::SetBeepOnEnter).Default(true);
  Property("Properties", &TcxCalcEdit::Properties, &TcxCalcEdit::SetProperties);
}
