// The captioned container of the editor library: a frame with a caption at
// one of thirteen places, or in panel mode a panel whose caption sits
// inside it. Child controls are laid out in the area inside the frame. It
// has no value of its own; the button and radio groups build on it.
#pragma once
#include <functional>
#include <memory>

#include "cxEdit.h"

class TcxCustomGroupBox;

enum TcxCaptionAlignment {
  alTopLeft, alTopCenter, alTopRight, alBottomLeft, alBottomCenter, alBottomRight, alLeftTop, alLeftCenter,
  alLeftBottom, alRightTop, alRightCenter, alRightBottom, alCenterCenter
};
TOVANI_ENUM_INFO(TcxCaptionAlignment)
enum TcxPanelOffice11BackgroundKind { pobkGradient, pobkOffice11Color, pobkStyleColor };
TOVANI_ENUM_INFO(TcxPanelOffice11BackgroundKind)
enum TcxGroupBoxCaptionSide { gcsTop, gcsBottom, gcsLeft, gcsRight, gcsCenter };

TcxGroupBoxCaptionSide cxCaptionAlignmentToSide(TcxCaptionAlignment AAlignment);
// The caption's place along each axis: 0 left/top, 1 centre, 2 right/bottom.
Integer cxCaptionHorzPlace(TcxCaptionAlignment AAlignment);
Integer cxCaptionVertPlace(TcxCaptionAlignment AAlignment);

class TcxPanelStyle : public TPersistent {
  TOVANI_CLASS(TcxPanelStyle, TPersistent)
 public:
  explicit TcxPanelStyle(TcxCustomGroupBox* AOwner = nullptr) : FOwner(AOwner) {}
  void Assign(TPersistent* Source) override;
  bool Active() const { return FActive; }
  void SetActive(bool Value);
  // Never below 2.
  Integer CaptionIndent() const { return FCaptionIndent; }
  void SetCaptionIndent(Integer Value);
  TcxPanelOffice11BackgroundKind OfficeBackgroundKind() const { return FOfficeBackgroundKind; }
  void SetOfficeBackgroundKind(TcxPanelOffice11BackgroundKind Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

 protected:
  TPersistent* GetOwner() override;

 private:
  void Changed();
  TcxCustomGroupBox* FOwner;
  bool FActive = false;
  Integer FCaptionIndent = 2;
  TcxPanelOffice11BackgroundKind FOfficeBackgroundKind = pobkOffice11Color;
  bool FWordWrap = false;
};

class TcxCustomGroupBoxProperties : public TcxCustomEditProperties {
  TOVANI_CLASS(TcxCustomGroupBoxProperties, TcxCustomEditProperties)
 public:
  explicit TcxCustomGroupBoxProperties(TPersistent* AOwner = nullptr) : TcxCustomEditProperties(AOwner) {}
  TClass GetContainerClass() override;
  TClass GetViewDataClass() override;
  TClass GetViewInfoClass() override;
  TcxCustomEditViewInfo* CreateViewInfo() override;
  TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace, bool APreviewMode = false) override;
};

class TcxGroupBoxViewInfo : public TcxCustomEditViewInfo {
  TOVANI_CLASS(TcxGroupBoxViewInfo, TcxCustomEditViewInfo)
 public:
  TAlignment ButtonAlignment = taLeftJustify;
  TRect CaptionRect, TextRect;
  // The frame line (frame mode) or the panel (panel mode).
  TRect FrameRect, PanelRect;
  TcxCustomGroupBox* GroupBox = nullptr;
  void PaintContent(TcxCanvas* ACanvas) override;
  virtual void DrawCaption(TcxCanvas* ACanvas);
  virtual void DrawBorder(TcxCanvas* ACanvas);
  virtual void DrawBackground(TcxCanvas* ACanvas);

 private:
  void DrawNativePanelBackground(TcxCanvas* ACanvas);
  bool IsFramePartiallyTransparent();
};

class TcxGroupBoxViewData : public TcxCustomEditViewData {
  TOVANI_CLASS(TcxGroupBoxViewData, TcxCustomEditViewData)
 public:
  TcxGroupBoxViewData(TcxCustomEditProperties* AProperties, TcxCustomEditStyle* AStyle, bool AIsInplace);
  // A group box is themed under the native style and also under the
  // Office-2003 kind, when a theme is there and no skin painter is.
  static bool UsesNativeTheme(TcxLookAndFeel* ALookAndFeel);
  void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                 TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  void GetBorderExtent(TRect& AExtent) override;
  void GetContentExtent(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo, TRect& AExtent) override;
  TColor GetBorderColor() override;
  bool HasShadow() override;
  TcxCustomGroupBox* GroupBox() const;
};

using TcxGroupBoxCustomDrawEvent = std::function<void(TObject* Sender, bool& ADone)>;
using TcxGroupBoxCustomDrawElementEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, const TRect& R, TcxLookAndFeelPainterClass APainter, bool& ADone)>;
using TcxGroupBoxMeasureCaptionHeightEvent =
    std::function<void(TObject* Sender, TcxLookAndFeelPainterClass APainter, Integer& ACaptionHeight)>;

class TcxCustomGroupBox : public TcxCustomEdit {
  TOVANI_CLASS(TcxCustomGroupBox, TcxCustomEdit)
 public:
  explicit TcxCustomGroupBox(TComponent* AOwner = nullptr, bool AIsInplace = false,
                             const TcxEditPropertiesFactory& AProperties = nullptr);
  ~TcxCustomGroupBox() override;

  TcxCaptionAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TcxCaptionAlignment Value);
  String Caption() { return Text(); }
  void SetCaption(const String& Value) { SetText(Value); }
  TFont* CaptionFont() const { return FCaptionFont.get(); }
  const String& CaptionText() const { return FCaptionText; }
  TcxPanelStyle* PanelStyle() const { return FPanelStyle.get(); }
  void SetPanelStyle(TcxPanelStyle* Value) { FPanelStyle->Assign(Value); }
  // A side caption of a group box that is not a panel runs up or down.
  bool IsSideCaption() const;
  void PanelStyleChanged();
  void UpdateCaptionFont();
  void UpdateCaptionText();
  // The caption's text height (of "Qq" in the caption font).
  Integer CaptionHeight();
  void PrepareCaptionCanvas(TcxCanvas* ACanvas, bool ANative);
  virtual bool SupportsNonClientArea() { return true; }
  // The caption goes in the window's non-client area only under a skin
  // painter (the panel inactive and a caption to show). This program has no
  // skin painter, so the caption is always painted in the client area.
  virtual bool IsNonClientCaption();
  bool HasShadow() override;
  bool IsInplaceNow() { return IsInplace(); }
  bool IsNativeStyle() override;

  TcxGroupBoxCustomDrawEvent OnCustomDraw;
  TcxGroupBoxCustomDrawElementEvent OnCustomDrawCaption;
  TcxGroupBoxCustomDrawElementEvent OnCustomDrawContentBackground;
  TcxGroupBoxMeasureCaptionHeightEvent OnMeasureCaptionHeight;
  virtual bool DoCustomDrawCaption(TcxCanvas* ACanvas, const TRect& R, TcxLookAndFeelPainterClass APainter);
  virtual bool DoCustomDrawContentBackground(TcxCanvas* ACanvas, const TRect& R, TcxLookAndFeelPainterClass APainter);

 protected:
  virtual TcxPanelStyle* CreatePanelStyle() { return new TcxPanelStyle(this); }
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  bool CanFocusOnClick() override { return false; }
  bool CanAutoSize() override { return false; }
  bool DefaultParentColor() override { return true; }
  bool HostsChildControls() override { return true; }
  bool UsesWindowRegion() override;
  void ContainerStyleChanged(TObject* Sender) override;
  void GetVisibleBounds(TRect& R) override;
  TcxContainerStyle* GetStyleForState() override;
  void DoFontChanged() override;
  void DoTextChanged() override;
  bool HasNativeParentBackground() override;
  TcxContainerStyleValues GetUnusedStyleValues() override { return TcxCustomEdit::GetUnusedStyleValues() + csvHotTrack; }
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  void Dispatch(TMessage& Message) override;

 private:
  friend class TcxGroupBoxViewInfo;
  void RedrawNonClientArea();
  TcxCaptionAlignment FAlignment = alTopLeft;
  std::unique_ptr<TFont> FCaptionFont;
  std::unique_ptr<TcxPanelStyle> FPanelStyle;
  String FCaptionText;
  bool FSelectingFirstByAccel = false;
};

class TcxGroupBox : public TcxCustomGroupBox {
  TOVANI_CLASS(TcxGroupBox, TcxCustomGroupBox)
 public:
  explicit TcxGroupBox(TComponent* AOwner = nullptr) : TcxCustomGroupBox(AOwner) {}
};

void cxGroupBoxUnitStartup();
void cxGroupBoxUnitShutdown();
