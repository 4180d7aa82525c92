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
