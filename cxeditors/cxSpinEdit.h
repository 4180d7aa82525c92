// The spin editor: a masked editor holding a number, with spin buttons that
// step it by Increment or LargeIncrement (mouse with auto-repeat, Up, Down,
// Page Up, Page Down and the wheel). The value stays inside MinValue ..
// MaxValue: a step past a bound is refused, snaps to the bound, or (with
// Circular) wraps to the other end.
#pragma once
#include <functional>

#include "cxMaskEdit.h"

class TcxCustomSpinEdit;
class TcxTimer;

enum TcxSpinEditValueType { vtInt, vtFloat };
enum TcxSpinEditButtonsPosition { sbpHorzLeftRight, sbpHorzRight, sbpVert };
TOVANI_ENUM_INFO(TcxSpinEditValueType)
TOVANI_ENUM_INFO(TcxSpinEditButtonsPosition)

// Spin buttons: 0 down, 1 up, 2 fast down, 3 fast up.
using TcxSpinEditGetValueEvent =
    std::function<void(TObject* Sender, const String& AText, Variant& AValue, String& ErrorText, bool& Error)>;

class TcxCustomSpinEditProperties;

class TcxSpinEditButtons : public TPersistent {
  TOVANI_CLASS(TcxSpinEditButtons, TPersistent)
 public:
  explicit TcxSpinEditButtons(TcxCustomSpinEditProperties* AOwner) : FOwner(AOwner) {}
  void Assign(TPersistent* Source) override;
  TcxSpinEditButtonsPosition Position() const { return FPosition; }
  void SetPosition(TcxSpinEditButtonsPosition Value);
  bool ShowFastButtons() const { return FShowFastButtons; }
  void SetShowFastButtons(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);

 protected:
  TPersistent* GetOwner() override;

 private:
  void Changed();
  TcxCustomSpinEditProperties* FOwner;
  TcxSpinEditButtonsPosition FPosition = sbpVert;
  bool FShowFastButtons = false;
  bool FVisible = true;
};

class TcxSpinEditPropertiesValues : public TcxTextEditPropertiesValues {
  TOVANI_CLASS(TcxSpinEditPropertiesValues, TcxTextEditPropertiesValues)
 public:
  using TcxTextEditPropertiesValues::TcxTextEditPropertiesValues;
  void Assign(TPersistent* Source) override;
  void ResetAssigned() override;
  bool ValueType() const { return FValueType; }
  void SetValueType(bool Value);

 private:
  bool FValueType = false;
};

class TcxCustomSpinEditProperties : public TcxCustomMaskEditProperties {
  TOVANI_CLASS(TcxCustomSpinEditProperties, TcxCustomMaskEditProperties)
 public:
  explicit TcxCustomSpinEditProperties(TPersistent* AOwner = nullptr);
  ~TcxCustomSpinEditProperties() override;
  void Assign(TPersistent* Source) override;
  void Changed() override;
  void DefineProperties(TFiler* Filer) override;

  TcxSpinEditPropertiesValues* AssignedValues() const {
    return static_cast<TcxSpinEditPropertiesValues*>(TcxCustomEditProperties::AssignedValues());
  }
  TcxSpinEditButtons* SpinButtons() const { return FSpinButtons.get(); }
  void SetSpinButtons(TcxSpinEditButtons* Value) { FSpinButtons->Assign(Value); }
  bool CanEdit() const { return FCanEdit; }
  void SetCanEdit(bool Value) { FCanEdit = Value; }
  bool Circular() const { return FCircular; }
  void SetCircular(bool Value);
  double Increment() const { return FIncrement; }
  void SetIncrement(double Value) { FIncrement = Value; }
  double LargeIncrement() const { return FLargeIncrement; }
  void SetLargeIncrement(double Value) { FLargeIncrement = Value; }
  bool ExceptionOnInvalidInput() const { return FExceptionOnInvalidInput; }
  void SetExceptionOnInvalidInput(bool Value) { FExceptionOnInvalidInput = Value; }
  bool UseCtrlIncrement() const { return FUseCtrlIncrement; }
  void SetUseCtrlIncrement(bool Value) { FUseCtrlIncrement = Value; }
  TcxSpinEditValueType ValueType();
  void SetValueType(TcxSpinEditValueType Value);
  TcxSpinEditGetValueEvent OnGetValue;

  virtual bool StopsAtBounds() { return true; }
  // 0 refuse, 1 snap to the bound, 2 wrap.
  virtual Integer GetBoundsMode();
  virtual void GetMaxValueVariant(Variant& AValue);
  virtual void GetMinValueVariant(Variant& AValue);
  virtual bool ChecksTypedNumber() { return true; }
  virtual void NormalizeValue(const Variant& AValue, Variant& AResult);
  virtual bool KeepsSelectionOnSpin() { return false; }

  // A text read as a number of the value type.
  bool StrToValue(const String& AText, Variant& AValue);
  // A number pulled inside the bounds in force.
  Variant ClampToBounds(const Variant& AValue);
  // A value converted to the value type.
  Variant ToValueType(const Variant& AValue);
  // Integer 0 pulled inside the bounds.
  Variant ZeroClamped() { return ToValueType(ClampToBounds(Variant(Int64(0)))); }

  TClass GetContainerClass() override;
  TcxCustomEditViewInfo* CreateViewInfo() override;
  TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                        bool APreviewMode = false) override;
  bool SupportsValueRange() override { return true; }
  TcxEditValueSource UsesDataDisplayFormat(bool AEditFocused) override {
    return !AEditFocused && !AssignedValues()->DisplayFormat() ? evsText : evsValue;
  }
  bool AcceptsEditValue(Variant& AEditValue, bool AEditFocused) override;
  bool AcceptsDisplayText(String& ADisplayValue) override;
  void GetNullDisplayValue(String& ADisplayValue) override;
  void CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError, TcxCustomEdit* AEdit) override;

 private:
  std::unique_ptr<TcxSpinEditButtons> FSpinButtons;
  bool FCanEdit = true;
  bool FCircular = false;
  double FIncrement = 1.0;
  double FLargeIncrement = 10.0;
  bool FExceptionOnInvalidInput = false;
  bool FUseCtrlIncrement = false;
  TcxSpinEditValueType FValueType = vtFloat;
  bool FChanging = false;
};

class TcxSpinEditProperties : public TcxCustomSpinEditProperties {
  TOVANI_CLASS(TcxSpinEditProperties, TcxCustomSpinEditProperties)
 public:
  using TcxCustomSpinEditProperties::TcxCustomSpinEditProperties;
  TcxCustomEditProperties* CreateOfSameClass() override { return new TcxSpinEditProperties(nullptr); }
};

// The view data knows the pressed spin button and lays the buttons out by
// their position: up above down at the right (sbpVert), all side by side at
// the right (sbpHorzRight), or down at the left and up at the right
// (sbpHorzLeftRight); fast buttons stand outermost.
class TcxSpinEditViewData : public TcxCustomTextEditViewData {
  TOVANI_CLASS(TcxSpinEditViewData, TcxCustomTextEditViewData)
 public:
  using TcxCustomTextEditViewData::TcxCustomTextEditViewData;
  Integer PressedSpinButton = 0;
  void CalculateButtonsViewInfo(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton,
                                TShiftState Shift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  void CalculateButtonBounds(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo, TRect& ABounds,
                             Integer AButtonVisibleIndex) override;
  void CalculateNativeInfo(TcxEditButtonViewInfo* AButton, TcxCustomEditViewInfo* AViewInfo) override;

 private:
  // The rectangles of the four spin buttons (by button number) and what is
  // left of the content rectangle, computed once per layout.
  TRect FButtonRects[4];
  bool FButtonLeft[4] = {};
  TRect FRest;
};

// The editor-button kinds a painter gets for spin buttons (after the
// drop-down, glyph and ellipsis kinds 1 to 3).
constexpr Integer cxEditButtonKindArrowUp = 4;
constexpr Integer cxEditButtonKindArrowDown = 5;
constexpr Integer cxEditButtonKindArrowLeft = 6;
constexpr Integer cxEditButtonKindArrowRight = 7;

class TcxSpinEditViewInfo : public TcxCustomTextEditViewInfo {
  TOVANI_CLASS(TcxSpinEditViewInfo, TcxCustomTextEditViewInfo)
 public:
  TcxSpinEditButtonsPosition Position = sbpVert;
  // The depth of the arrows drawn on the buttons.
  Integer ArrowSize = 0;
  // The line between two native buttons (none when both ends are equal).
  TPoint DelimiterLineStart, DelimiterLineEnd;
  void PaintContent(TcxCanvas* ACanvas) override;
  void AssignFrom(TcxContainerViewInfo* Source) override;
  void MoveBy(Integer DX, Integer DY) override;
  void DrawNativeButtonBackground(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton, const TRect& R) override;
  void PaintThemedButtonFrame(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton, TColor& ABackgroundColor,
                              TColor& ATextColor, TRect& AContentRect, TRect& R) override;
  void DrawButtonContent(TcxCanvas* ACanvas, Integer AButtonVisibleIndex, Integer AContentShift,
                         TColor ABackgroundColor, TColor ATextColor, const TRect& AContentRect) override;
  // The arrow a spin button shows, as a direction and as a painter's kind.
  TcxArrowPointing ArrowDirection(Integer AButtonIndex) const;
  Integer PainterButtonKind(Integer AButtonIndex) const;
};

class TcxCustomSpinEdit : public TcxCustomMaskEdit {
  TOVANI_CLASS(TcxCustomSpinEdit, TcxCustomMaskEdit)
 public:
  explicit TcxCustomSpinEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                             const TcxEditPropertiesFactory& AProperties = nullptr);
  ~TcxCustomSpinEdit() override;
  TcxCustomSpinEditProperties* Properties() const {
    return static_cast<TcxCustomSpinEditProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomSpinEditProperties* ActiveProperties() {
    return static_cast<TcxCustomSpinEditProperties*>(GetEffectiveProperties());
  }
  TClass GetPropertiesClass() override { return TcxCustomSpinEditProperties::StaticClass(); }

  Variant Value() {
    Variant V;
    GetValue(V);
    return V;
  }
  void SetValue(const Variant& AValue) { SetSpinValue(AValue); }
  Integer PressedSpinButton() const { return FPressedSpinButton; }
  TcxTimer* RepeatTimer() const { return FTimer; }
  const Variant& InternalValue() const { return FInternalValue; }

  virtual Extended GetIncrement(Integer AButton);
  virtual void GetValue(Variant& AValue);
  virtual void ValueToText(const Variant& AValue, String& AText);
  virtual void SetSpinValue(const Variant& AValue);
  virtual bool DoSpin(Integer AButton);
  // The value one step of a button gives; false when the step is refused.
  bool NewSpinValue(Integer AButton, Variant& AValue);
  bool TextToValue(const Variant& ADisplayValue, bool ARaiseError, String& AErrorText, Variant& AValue);
  void StopSpin();

  void DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  void UpdateDrawValue() override;
  void InnerEditChange(TObject* Sender) override;
  void PasteFromClipboard() override;
  void CutToClipboard() override;
  void DeleteSelection() override;
  TcxCustomEditViewData* CreateViewData() override;
  bool Typed() const { return FTyped; }

 protected:
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyUp(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(char32_t& Key) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void DoButtonDown(Integer AButtonVisibleIndex) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoFocusChanged() override;
  void DblClick() override;
  void EnforceValueRange() override;
  TcxContainerStyleValues GetUnusedStyleValues() override;
  bool IsSpinKey(Word Key, TShiftState Shift, Integer& AButton);

  Variant FInternalValue;
  bool FTyped = false;
  bool FTyping = false;

 private:
  void DoTimer(TObject* Sender);
  Integer FPressedSpinButton = 0;
  TcxTimer* FTimer = nullptr;
  bool FSpinKeyDown = false;
};

class TcxSpinEdit : public TcxCustomSpinEdit {
  TOVANI_CLASS(TcxSpinEdit, TcxCustomSpinEdit)
 public:
  explicit TcxSpinEdit(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxSpinEditProperties* Properties() const {
    return static_cast<TcxSpinEditProperties*>(TcxCustomEdit::Properties());
  }
  void SetProperties(TcxSpinEditProperties* Value) { Properties()->Assign(Value); }
  TClass GetPropertiesClass() override { return TcxSpinEditProperties::StaticClass(); }
};

void cxSpinEditUnitStartup();
void cxSpinEditUnitShutdown();
