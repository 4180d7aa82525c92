// The four-function calculator that numeric edits and numeric grid cells
// drop down: the calculator panel (display, 23 keys, a pending operation and
// an error state) read from its form file, and the drop-down window of it,
// which never takes the focus and hands its value to its owner.
#pragma once
#include "Controls.h"
#include "ToolCtrlsEh.h"

class TPanel;
class TLabel;

class TCalculatorEh : public TCustomControl {
  TOVANI_CLASS(TCalculatorEh, TCustomControl)
 public:
  explicit TCalculatorEh(TComponent* AOwner = nullptr);
  ~TCalculatorEh() override;

  // The components of the form file.
  TPanel* Panel1 = nullptr;
  TLabel* TextBox = nullptr;
  TSpeedButtonEh* spEqual = nullptr;

  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  Integer DesignClientHeight() const { return FClientHeight; }
  void SetDesignClientHeight(Integer v) { FClientHeight = v; }
  Integer DesignClientWidth() const { return FClientWidth; }
  void SetDesignClientWidth(Integer v) { FClientWidth = v; }
  bool OldCreateOrder() const { return false; }
  void SetOldCreateOrder(bool) {}
  Integer PixelsPerInch() const;
  void SetPixelsPerInch(Integer v);
  Integer TextHeight() const { return FTextHeight; }
  void SetTextHeight(Integer v) { FTextHeight = v; }

  // 0 a result is shown, 1 a number is being entered, 2 error.
  uint8_t Status() const { return FStatus; }
  double Operand() const { return FOperand; }
  char32_t PendingOp() const { return FPendingOp; }
  // The display as shown ("Error" in the error state).
  String DisplayText() const;
  // The display read as a number (0 in the error state).
  double DisplayValue() const;
  void SetDisplay(double Value);
  void Clear();

  // One key of the calculator: digits, the decimal point, operators, "="
  // or Enter, "C" or Escape, Backspace, "I" (+/-), "R" (1/x), "S" (sqrt),
  // Ctrl+C and Ctrl+V.
  virtual void CalcKey(char32_t Key);
  void SpeedButtonClick(TObject* Sender);
  // The character a key of the form sends, by its Tag.
  static char32_t KeyOfTag(Integer Tag);

  void KeyPress(char32_t& Key) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

 protected:
  virtual Integer GetBorderExtent();
  void CreateParams(TCreateParams& Params) override;
  bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;
  void SetDisplayText(const String& Text);
  void UpdateEqualsCaption();
  // The keys of the form (every TSpeedButtonEh child).
  std::vector<TSpeedButtonEh*> Keys();

 private:
  void StartEntry();
  void Error();
  TBorderStyle FBorderStyle = bsNone;
  Integer FClientHeight = 0;
  Integer FClientWidth = 0;
  double FOperand = 0;
  char32_t FPendingOp = U'=';
  Integer FPixelsPerInch = 0;
  uint8_t FStatus = 0;
  Integer FTextHeight = 0;
};

// The drop-down form of the calculator.
class TPopupCalculatorEh : public TCalculatorEh, public IPopupValueEh {
  TOVANI_CLASS(TPopupCalculatorEh, TCalculatorEh)
 public:
  explicit TPopupCalculatorEh(TComponent* AOwner = nullptr);
  bool CanFocus() override { return false; }
  void CalcKey(char32_t Key) override;
  void KeyDown(Word& Key, TShiftState Shift) override;

  // IPopupValueEh
  bool ResultReady() override;
  bool GetFlat() override { return FFlat; }
  Variant GetValue() override;
  void SetFlat(bool Value) override;
  void SetValue(const Variant& Value) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;
  void Dispatch(TMessage& Message) override;
  virtual void DrawBorder();
  void CloseOwner(bool Accept);

 private:
  Integer FBorderWidth = 2;
  bool FFlat = true;
};
