// The pocket calculator control: 27 self-drawn keys (memory, digits, the
// four operations, square root, percent, reciprocal, sign, clear and
// backspace). It has no display of its own; it reads and writes its number
// as text through GetDisplayText/SetDisplayText, which the calculator
// editor's popup routes to the editor's text.
#pragma once
#include <array>
#include <functional>

#include "cxControls.h"
#include "cxLookAndFeelPainters.h"

// Key indexes; cxckNone means no key.
enum TcxCalcKey {
  cxckBack, cxckCE, cxckC, cxckMC, cxckMR, cxckMS, cxckMPlus,
  cxck0, cxck1, cxck2, cxck3, cxck4, cxck5, cxck6, cxck7, cxck8, cxck9,
  cxckSign, cxckDecimal, cxckDiv, cxckMul, cxckSub, cxckAdd, cxckSqrt, cxckPercent, cxckRev, cxckEqual,
  cxckNone
};

struct TcxCalcKeyInfo {
  TcxCalcKey Index = cxckNone;
  String Caption;
  TColor Color = clBlack;
  TRect Bounds;
  bool Pressed = false;
  bool Disabled = false;
};

using TcxCalcKeyEvent = std::function<void(TObject* Sender, TcxCalcKey& Key)>;
using TcxCalcCloseEvent = std::function<void(TObject* Sender, Integer Reason)>;

class TcxCustomCalculator : public TcxControl {
  TOVANI_CLASS(TcxCustomCalculator, TcxControl)
 public:
  explicit TcxCustomCalculator(TComponent* AOwner = nullptr);

  bool AutoFontSize() const { return FAutoFontSize; }
  void SetAutoFontSize(bool Value);
  bool BeepOnError() const { return FBeepOnError; }
  void SetBeepOnError(bool Value) { FBeepOnError = Value; }
  Byte Precision() const { return FPrecision; }
  void SetPrecision(Byte Value) { FPrecision = Value; }
  bool ShowFocusRect() const { return FShowFocusRect; }
  void SetShowFocusRect(bool Value);
  // 0 the next digit starts a number, 1 a number is being typed, 2 error.
  Integer Status() const { return FStatus; }
  Extended Memory() const { return FMemory; }
  const TcxCalcKeyInfo& Key(TcxCalcKey AKey) const { return FKeys[AKey]; }
  TcxCalcKey ActiveKey() const { return FActiveKey; }
  Integer CalcWidth() const { return FCalcWidth; }
  Integer CalcHeight() const { return FCalcHeight; }
  Integer KeyHeight() const { return FKeyHeight; }

  // The display read as a number (0 in the error state). A display that is
  // no number puts the calculator into the error state.
  Extended GetValue();
  void SetValue(Extended Value);
  void DoKeyAction(TcxCalcKey AKey);
  void Reset();
  void CopyToClipboard();
  void PasteFromClipboard();
  void FitToSize(Integer AWidth, Integer AHeight);
  void LayOutKeys();

  TNotifyEvent OnDisplayChange;
  TcxCalcKeyEvent OnButtonClick;
  TNotifyEvent OnResult;
  TcxCalcCloseEvent OnHidePopup;

  virtual TcxLookAndFeelPainterClass GetPainterClass();
  virtual void GetDisplayText(String& AText) { AText.clear(); }
  virtual void SetDisplayText(const String& AText) {}
  virtual void RequestClose(TObject* Sender, Integer AReason);

 protected:
  bool CanResize(Integer& NewWidth, Integer& NewHeight) override;
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoFocusChanged() override;
  void DoMouseLeave(TControl* AControl) override;
  void Dispatch(TMessage& Message) override;

  String DisplayText() {
    String S;
    GetDisplayText(S);
    return S;
  }
  void ShowText(const String& AText);
  void InvalidateKey(TcxCalcKey AKey);
  TcxCalcKey KeyAt(TPoint P) const;
  void PressKey(TcxCalcKey AKey);
  void ReleaseKey();
  bool FIsPopup = false;
  TcxCalcKey FPressedKey = cxckNone;

 private:
  void StartNumber();
  void ShowError();
  void RefreshMemoryKeys();
  Integer MaxDigits() const { return std::max<Integer>(2, FPrecision); }

  bool FAutoFontSize = true;
  bool FBeepOnError = true;
  bool FShowFocusRect = true;
  Integer FFontSize = 8;
  Integer FKeyWidth = 28, FKeyHeight = 22, FLargeKeyWidth = 47, FXOffset = 3, FYOffset = 3;
  Integer FCalcWidth = 198, FCalcHeight = 131;
  bool FTracking = false;
  Extended FMemory = 0;
  TcxCalcKey FOperator = cxckEqual;
  Extended FOperand = 0;
  Byte FPrecision = 15;
  Integer FStatus = 0;
  std::array<TcxCalcKeyInfo, cxckNone> FKeys;
  TcxCalcKey FActiveKey = cxckNone, FDownKey = cxckNone;
};

// A stand-alone calculator with a display text of its own (what the host
// shows above it).
class TcxCalculator : public TcxCustomCalculator {
  TOVANI_CLASS(TcxCalculator, TcxCustomCalculator)
 public:
  using TcxCustomCalculator::TcxCustomCalculator;
  String Text() const { return FText; }
  void GetDisplayText(String& AText) override { AText = FText; }
  void SetDisplayText(const String& AText) override { FText = AText; }

 private:
  String FText = "0";
};

// The calculator's error text ("Error").
String cxCalcErrorText();

// ---------------------------------------------------------------------------
// The calculator editor: a popup editor whose drop-down is a calculator
// working on the editor's text.

#include "cxPopupEdit.h"

class TcxCustomCalcEdit;

class TcxPopupCalculator : public TcxCustomCalculator {
  TOVANI_CLASS(TcxPopupCalculator, TcxCustomCalculator)
 public:
  explicit TcxPopupCalculator(TComponent* AOwner = nullptr);
  TcxCustomCalcEdit* Edit() const { return FEdit; }
  void SetEdit(TcxCustomCalcEdit* Value) { FEdit = Value; }
  void GetDisplayText(String& AText) override;
  void SetDisplayText(const String& AText) override;
  virtual void ResetPressedKey() { FPressedKey = cxckNone; }

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;

 private:
  TcxCustomCalcEdit* FEdit = nullptr;
};

class TcxCustomCalcEditProperties : public TcxCustomPopupEditProperties {
  TOVANI_CLASS(TcxCustomCalcEditProperties, TcxCustomPopupEditProperties)
 public:
  explicit TcxCustomCalcEditProperties(TPersistent* AOwner = nullptr);
  void Assign(TPersistent* Source) override;
  bool BeepOnError() const { return FBeepOnError; }
  void SetBeepOnError(bool Value) { FBeepOnError = Value; }
  // The assigned precision, else the data's, else 15 (16 and more read 15).
  Byte Precision();
  void SetPrecision(Byte Value);
  bool IsPrecisionAssigned() const { return FPrecisionAssigned; }
  bool QuickClose() const { return FQuickClose; }
  void SetQuickClose(bool Value) { FQuickClose = Value; }
  bool ScientificFormat() const { return FScientificFormat; }
  void SetScientificFormat(bool Value);
  bool UseThousandSeparator() const { return FUseThousandSeparator; }
  void SetUseThousandSeparator(bool Value);

  // A text read as a number; an empty text is Null (and valid).
  bool TextToValue(const String& AText, Variant& AValue);

  TClass GetContainerClass() override;
  bool PostsOnPopupClose() override { return true; }
  bool AllowPopupShrinkToFit() override { return false; }
  bool UsesThousandSeparator(bool) override { return FUseThousandSeparator && !FScientificFormat; }
  bool AcceptsEditValue(Variant& AEditValue, bool AEditFocused) override;
  bool AcceptsDisplayText(String&) override { return true; }
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;

 private:
  bool FBeepOnError = true;
  Byte FPrecision = 15;
  bool FPrecisionAssigned = false;
  bool FQuickClose = false;
  bool FScientificFormat = false;
  bool FUseThousandSeparator = false;
};

class TcxCalcEditProperties : public TcxCustomCalcEditProperties {
  TOVANI_CLASS(TcxCalcEditProperties, TcxCustomCalcEditProperties)
 public:
  using TcxCustomCalcEditProperties::TcxCustomCalcEditProperties;
  TcxCustomEditProperties* CreateOfSameClass() override { return new TcxCalcEditProperties(nullptr); }
};

class TcxCustomCalcEdit : public TcxCustomPopupEdit {
  TOVANI_CLASS(TcxCustomCalcEdit, TcxCustomPopupEdit)
 public:
  explicit TcxCustomCalcEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                             const TcxEditPropertiesFactory& AProperties = nullptr);
  ~TcxCustomCalcEdit() override;
  TcxCustomCalcEditProperties* Properties() const {
    return static_cast<TcxCustomCalcEditProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomCalcEditProperties* ActiveProperties() {
    return static_cast<TcxCustomCalcEditProperties*>(GetEffectiveProperties());
  }
  TClass GetPropertiesClass() override { return TcxCustomCalcEditProperties::StaticClass(); }
  TcxPopupCalculator* Calculator() const { return FCalculator; }
  Extended Value();
  void SetValue(Extended AValue);
  void DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  void DropDown() override;
  void GetEditingValue(Variant& AValue) override;
  void PasteFromClipboard() override;
  // Shows a text typed on the calculator as the user's change.
  void SetCalculatorText(const String& AText);

 protected:
  using TcxCustomPopupEdit::PropertiesChanged;
  void PropertiesChanged(TObject* Sender) override;
  void DoEditKeyPress(char32_t& Key) override;
  void HandlePopupClosed() override;
  void HandlePopupShown() override;

 private:
  TcxPopupCalculator* FCalculator = nullptr;
};

class TcxCalcEdit : public TcxCustomCalcEdit {
  TOVANI_CLASS(TcxCalcEdit, TcxCustomCalcEdit)
 public:
  explicit TcxCalcEdit(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxCalcEditProperties* Properties() const {
    return static_cast<TcxCalcEditProperties*>(TcxCustomEdit::Properties());
  }
  void SetProperties(TcxCalcEditProperties* Value) { Properties()->Assign(Value); }
  TClass GetPropertiesClass() override { return TcxCalcEditProperties::StaticClass(); }
};
