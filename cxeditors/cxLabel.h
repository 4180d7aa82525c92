// The editor library's label: an editor whose value is its caption. It
// draws the text turned by any angle, with a depth effect in one of eight
// directions (plain, fading, extruded or a single drop), in one of four
// styles (normal, raised, lowered, outlined), optionally filled with a
// bitmap pattern, and passes its accelerator key to another control. What
// it draws is kept in a bitmap and copied until something changes.
#pragma once
#include <climits>
#include <memory>

#include "cxEdit.h"

enum TcxLabelEffect : Byte { cxleNormal, cxleFun, cxleExtrude, cxleCool };
TOVANI_ENUM_INFO(TcxLabelEffect)
enum TcxLabelStyle : Byte { cxlsNormal, cxlsRaised, cxlsLowered, cxlsOutLine };
TOVANI_ENUM_INFO(TcxLabelStyle)
enum TcxLabelOrientation : Byte {
  cxoLeft, cxoRight, cxoTop, cxoBottom, cxoLeftTop, cxoLeftBottom, cxoRightTop, cxoRightBottom
};
TOVANI_ENUM_INFO(TcxLabelOrientation)

class TcxCustomLabelProperties : public TcxCustomEditProperties {
  TOVANI_CLASS(TcxCustomLabelProperties, TcxCustomEditProperties)
 public:
  explicit TcxCustomLabelProperties(TPersistent* AOwner = nullptr);
  ~TcxCustomLabelProperties() override;
  void Assign(TPersistent* Source) override;
  TClass GetContainerClass() override;
  TcxContainerStyleFactory GetStyleFactory() override;
  TcxCustomEditViewInfo* CreateViewInfo() override;
  TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace, bool APreviewMode = false) override;
  bool HasInnerEditChangeEvents() override { return true; }
  bool DetectsValueChange() override { return true; }
  TcxEditValueSource UsesDataDisplayFormat(bool) override { return evsText; }
  Integer GetDisplayFormatFlags() override { return 0; }
  Integer GetViewOptions() override { return 0x58A; }
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  String GetDisplayText(const Variant& AEditValue, bool AFullText = true, bool AIsInplace = true) override;
  // How far the depth reaches on each axis (none without an effect).
  virtual TPoint GetDepthDelta();

  TcxLabelEffect LabelEffect() const { return FLabelEffect; }
  void SetLabelEffect(TcxLabelEffect Value) { Store(FLabelEffect, Value); }
  TcxLabelStyle LabelStyle() const { return FLabelStyle; }
  void SetLabelStyle(TcxLabelStyle Value) { Store(FLabelStyle, Value); }
  TcxLabelOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TcxLabelOrientation Value) { Store(FOrientation, Value); }
  Word Depth() const { return FDepth; }
  void SetDepth(Word Value) { Store(FDepth, Value); }
  TColor ShadowedColor() const { return FShadowedColor; }
  void SetShadowedColor(TColor Value) { Store(FShadowedColor, Value); }
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value) { Store(FShowAccelChar, Value); }
  bool ShowEndEllipsis() const { return FShowEndEllipsis; }
  void SetShowEndEllipsis(bool Value) { FShowEndEllipsis = Value; }
  Integer Angle() const { return FAngle; }
  void SetAngle(Integer Value) { Store(FAngle, Value); }
  Integer PenWidth() const { return FPenWidth; }
  void SetPenWidth(Integer Value) { Store(FPenWidth, Value); }
  // Made empty on first read; setting null frees it.
  TBitmap* Glyph();
  void SetGlyph(TBitmap* Value);
  bool HasGlyph() const { return FGlyph && !FGlyph->Empty(); }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value) { Store(FWordWrap, Value); }

 private:
  TcxLabelEffect FLabelEffect = cxleNormal;
  TcxLabelStyle FLabelStyle = cxlsNormal;
  TcxLabelOrientation FOrientation = cxoRightBottom;
  Word FDepth = 0;
  TColor FShadowedColor = clGrayText;
  bool FShowAccelChar = true, FShowEndEllipsis = false;
  Integer FAngle = 0, FPenWidth = 1;
  std::unique_ptr<TBitmap> FGlyph;
  bool FWordWrap = false;
};

class TcxLabelProperties : public TcxCustomLabelProperties {
  TOVANI_CLASS(TcxLabelProperties, TcxCustomLabelProperties)
 public:
  explicit TcxLabelProperties(TPersistent* AOwner = nullptr) : TcxCustomLabelProperties(AOwner) {}
};

// Labels have no border and no hot tracking by default.
class TcxLabelEditStyle : public TcxEditStyle {
  TOVANI_CLASS(TcxLabelEditStyle, TcxEditStyle)
 public:
  using TcxEditStyle::TcxEditStyle;
  static TcxContainerStyleFactory Factory();

 protected:
  TcxContainerBorderStyle FallbackBorderStyle() override;
  bool FallbackHotTrack() override { return false; }
};

class TcxCustomLabelViewInfo : public TcxCustomEditViewInfo {
  TOVANI_CLASS(TcxCustomLabelViewInfo, TcxCustomEditViewInfo)
 public:
  String Text;
  TcxEditAlignment Alignment;
  Integer Angle = 0;
  Word Depth = 0;
  TPoint DepthDelta;
  TBitmap* Glyph = nullptr;
  TcxLabelEffect LabelEffect = cxleNormal;
  TcxLabelStyle LabelStyle = cxlsNormal;
  TcxLabelOrientation Orientation = cxoRightBottom;
  Integer PenWidth = 1;
  TColor ShadowedColor = clGrayText;
  bool WordWrap = false, ShowAccelChar = true;
  TRect TextRect;
  // In place, the text keeps these distances (left, top, right, bottom)
  // from the cell's edges.
  TRect InplaceTextOffsets;
  // The control's position at calculation and where the cache was last
  // drawn for; a move, a calculation or a background colour change (or a
  // transparent label, always) draws the cache again.
  TPoint ControlPos;
  bool Repaint = true;
  void PaintContent(TcxCanvas* ACanvas) override;
  void ChangeBackgroundColor(TColor AColor) override;
  void MoveBy(Integer DX, Integer DY) override;
  virtual void DrawLabel(TcxCanvas* ACanvas);
  // What was drawn last, kept to be copied until something changes.
  TBitmap* CacheBitmap() const { return FCache.get(); }
  // The points the depth layers and the text were last drawn at (for tests).
  std::vector<TPoint> LayerPoints;
  std::vector<TColor> LayerColors;
  TPoint TextPoint;

 private:
  // Background, depth layers and styled text into ACanvas (the cache, or
  // the target itself for a transparent paint copy); ATarget is the canvas
  // the label is painted on and AContent the rectangle it takes there.
  void DrawContent(TcxCanvas* ACanvas, TcxCanvas* ATarget, const TRect& ABitmapRect, const TRect& AContent);
  std::unique_ptr<TBitmap> FCache = std::make_unique<TBitmap>();
  TPoint FLastPos{INT_MAX, INT_MAX};
  void DrawTextAt(TcxCanvas* ACanvas, TPoint P, TColor AColor, bool ARotated, bool ANoFallback);
  void DrawPlainText(TcxCanvas* ACanvas, TPoint P, bool ARotated);
  bool FTrueType = true;
};

class TcxCustomLabelViewData : public TcxCustomEditViewData {
  TOVANI_CLASS(TcxCustomLabelViewData, TcxCustomEditViewData)
 public:
  using TcxCustomEditViewData::TcxCustomEditViewData;
  void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                 TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  void GetValueDisplayText(const Variant& AEditValue, String& AText) override { AText = VarToStr(AEditValue); }
  // Drawn without a control (in a grid cell), the text is the value's.
  void PrepareViewInfoForPaint(TcxCanvas* ACanvas, const Variant& AEditValue, TcxCustomEditViewInfo* AViewInfo) override;
  TSize GetEditContentSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                           const TcxEditSizeProperties& ASizeProperties) override;
};

class TcxCustomLabel : public TcxCustomEdit {
  TOVANI_CLASS(TcxCustomLabel, TcxCustomEdit)
 public:
  explicit TcxCustomLabel(TComponent* AOwner = nullptr, bool AIsInplace = false,
                          const TcxEditPropertiesFactory& AProperties = nullptr);
  ~TcxCustomLabel() override;
  TcxCustomLabelProperties* ActiveProperties() {
    return static_cast<TcxCustomLabelProperties*>(GetEffectiveProperties());
  }
  TcxCustomLabelProperties* Properties() const {
    return static_cast<TcxCustomLabelProperties*>(TcxCustomEdit::Properties());
  }
  String Caption() { return Text(); }
  void SetCaption(const String& Value) { SetText(Value); }
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);
  bool CanFocus() override { return IsInplace(); }
  void InternalSetEditValue(const Variant& Value, bool AValidate) override;
  void SetDisplayValueFromData(const Variant& AValue) override;
  void GetDisplayText(String& AText) override { AText = Text(); }
  bool AlignsRight() override;
  bool ButtonsAutoWidth() override { return !ActiveProperties()->WordWrap(); }
  bool HasTextBaseLine() override { return ActiveProperties()->Angle() == 0; }
  Integer GetTextBaseLine() override;

 protected:
  bool CanFocusOnClick() override { return TcxCustomEdit::CanFocusOnClick() && IsInplace(); }
  bool DefaultParentColor() override { return true; }
  void DoTextChanged() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;

 private:
  TWinControl* FFocusControl = nullptr;
  bool FCopyingCaption = false;
};

class TcxLabel : public TcxCustomLabel {
  TOVANI_CLASS(TcxLabel, TcxCustomLabel)
 public:
  explicit TcxLabel(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxLabelProperties* Properties() const { return static_cast<TcxLabelProperties*>(TcxCustomEdit::Properties()); }
};

void cxLabelUnitStartup();
void cxLabelUnitShutdown();
