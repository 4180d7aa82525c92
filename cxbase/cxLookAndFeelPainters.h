// Painters of the editor library: classes of class-level drawing operations,
// passed around as class references. A control never chooses a painter
// itself: it asks its look-and-feel for the painter in effect.
//
// This holds the base painter with the shared drawing routines and the
// standard (raised 3-D) and flat (one-pixel edge) painters.
#pragma once
#include <array>
#include <functional>

#include "Themes.h"
#include "cxGraphics.h"

enum TcxButtonState { cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled };
enum TcxCheckBoxState { cbsUnchecked, cbsChecked, cbsGrayed };
enum TcxArrowPointing { apUp, apDown, apLeft, apRight };
enum TcxPainterStyle { pstFlat, pstStandard, pstUltraFlat, pstNative, pstOffice11 };
enum TcxLookAndFeelKind { lfFlat, lfStandard, lfUltraFlat, lfOffice11 };
enum TcxVerticalAlignment { vaTop, vaBottom, vaCenter };

// The look a painter style belongs to (standard and native: lfStandard).
TcxLookAndFeelKind cxKindOfPainterStyle(TcxPainterStyle AStyle);

// Parts of a scroll bar as the painters and TcxScrollBar number them:
// 1 start arrow, 2 end arrow, 3 thumb, 4 page area before the thumb, 5 after.
enum TcxScrollBarPart { sbpNone, sbpLineUp, sbpLineDown, sbpThumbnail, sbpPageUp, sbpPageDown };

// Paints the background of a cell; true when it did.
using TcxDrawBackgroundEvent = std::function<bool(TcxCanvas* ACanvas, const TRect& R)>;

using TcxArrowPoints = std::array<TPoint, 3>;

// The operations need no instance: each painter class has one stateless
// object that stands for the class.
class TcxCustomLookAndFeelPainter {
 public:
  virtual ~TcxCustomLookAndFeelPainter() = default;

  // Backgrounds and generic content.
  virtual void PaintBackground(TcxCanvas* ACanvas, const TRect& R, bool ATransparent, TColor ABackgroundColor,
                               TBitmap* ABitmap) const;
  virtual void PaintDropDownGlyph(TcxCanvas* ACanvas, const TRect& R, TColor AColor) const;
  virtual void PaintCellContent(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextBounds,
                                TcxButtonState AState, TAlignment AAlignmentHorz, TcxVerticalAlignment AAlignmentVert,
                                bool AMultiLine, bool AShowEndEllipsis, const String& AText, TFont* AFont,
                                TColor ATextColor, TColor ABackColor, const TcxDrawBackgroundEvent& AOnDrawBackground,
                                bool AIsFooter = false) const;
  virtual TcxPainterStyle GetPainterStyle() const { return pstStandard; }

  // Default colours.
  virtual TColor GetContentColor() const { return clWindow; }
  virtual TColor GetContentTextColor() const { return clWindowText; }
  virtual TColor GetFooterColor() const { return clBtnFace; }
  virtual TColor GetFooterTextColor() const { return clBtnText; }
  virtual TColor GetGridLineColor() const { return clBtnShadow; }
  virtual TColor GetGroupRowColor() const { return clBtnFace; }
  virtual TColor GetGroupRowTextColor() const { return clBtnText; }
  virtual TColor GetHeaderColor() const { return clBtnFace; }
  virtual TColor GetHeaderTextColor() const { return clBtnText; }
  virtual TColor GetSizeGripColor() const { return clBtnFace; }
  virtual TColor GetSelectionColor() const { return clHighlight; }
  virtual TColor GetSelectionTextColor() const { return clHighlightText; }

  // Arrows and borders.
  virtual void PaintArrow(TcxCanvas* ACanvas, const TRect& R, TcxArrowPointing ADirection, TColor AColor) const;
  virtual void PaintArrowButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                TcxArrowPointing ADirection, bool ADrawBorder = true) const;
  virtual void PaintArrowButtonBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const;
  virtual void PaintStateArrow(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                               TcxArrowPointing ADirection) const;
  virtual Integer GetBorderWidth() const { return 0; }
  virtual void PaintBorder(TcxCanvas* ACanvas, const TRect& R) const {}

  // Buttons.
  virtual Integer GetButtonBorderWidth(TcxButtonState AState) const { return 0; }
  virtual TColor GetButtonFaceColor(TcxButtonState AState) const { return clBtnFace; }
  virtual TRect CalcButtonFocusRect(TcxCanvas* ACanvas, const TRect& R) const;
  virtual Integer GetButtonTextOffset() const { return 0; }
  virtual Integer GetButtonTextShift() const { return 0; }
  virtual TColor GetButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor = clDefault) const;
  virtual void PaintButton(TcxCanvas* ACanvas, const TRect& R, const String& ACaption, TcxButtonState AState,
                           bool ADrawBorder = true, TColor AFaceColor = clDefault, TColor ATextColor = clDefault,
                           bool AWordWrap = false) const;
  virtual void PaintButtonBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const {}

  // Expand buttons.
  virtual void PaintExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor = clDefault) const {}
  virtual void PaintGroupExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                      TcxButtonState AState) const;
  virtual void PaintSmallExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor ABorderColor,
                                      TColor AColor = clDefault) const;
  virtual Integer CalcExpandButtonSize() const { return 0; }
  virtual Integer CalcGroupExpandButtonSize() const { return 15; }
  virtual bool HasHotTrackButtons() const { return false; }
  virtual Integer CalcSmallExpandButtonSize() const { return 9; }

  // Check boxes.
  virtual Integer GetCheckBoxBorderWidth() const { return 2; }
  virtual TColor GetCheckBoxColor(TcxButtonState AState) const;
  virtual TSize CalcCheckBoxSize() const { return TSize(13, 13); }
  virtual void PaintCheckMark(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked,
                              TColor AColor) const;
  virtual void PaintCheckBoxBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const {}
  void PaintCheckBoxChecked(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked) const {
    PaintCheckBox(ACanvas, R, AState, AChecked ? cbsChecked : cbsUnchecked);
  }
  virtual void PaintCheckBox(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                             TcxCheckBoxState ACheckState) const;

  // Headers. Neighbours: the sides on which the cell touches another cell.
  virtual void PaintHeader(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextBounds, TcxBorders ANeighbors,
                           TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignmentHorz,
                           TcxVerticalAlignment AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                           const String& AText, TFont* AFont, TColor ATextColor, TColor ABackColor,
                           const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr, bool AIsLast = false) const;
  virtual void PaintHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors, TcxBorders ABorders) const {}
  virtual void PaintSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending) const {}
  virtual TcxBorders CalcHeaderBorders(TcxBorders ANeighbors) const { return cxBordersAll; }
  virtual Integer GetHeaderBorderWidth() const { return 0; }
  virtual TRect CalcHeaderContentRect(const TRect& ABounds, TcxBorders ABorders) const;
  virtual Integer CalcHeaderHeight(Integer AFontHeight) const { return AFontHeight + 2 * GetHeaderBorderWidth() + 4; }
  // Text width + 4; a left border adds and a right border takes away one
  // border width, so a cell with both side borders gets text width + 4.
  virtual Integer CalcHeaderWidth(TcxCanvas* ACanvas, TcxBorders ABorders, const String& AText, TFont* AFont) const;
  virtual TPoint CalcSortingMarkSize() const { return TPoint(0, 0); }

  // Scroll bars and size grip.
  virtual Integer CalcScrollBarMinThumbSize(bool AVertical) const { return 8; }
  virtual void PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                                  TcxButtonState AState) const {}
  // The system's vertical-bar width and horizontal-bar height.
  virtual TSize CalcScrollBarSize() const;
  virtual void PaintSizeGrip(TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor) const;

  // The three corners of an arrow inside R; the second point is the tip.
  static TcxArrowPoints CalcArrowTriangle(const TRect& R, TcxArrowPointing ADirection, bool AProportional,
                                          Integer AArrowSize = 0);

 protected:
  // The sorting mark of the 3-D looks, light right edge and dark left edge.
  void DrawSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending, TColor ALight, TColor ADark) const;
  // The plus (or, expanded, minus) of an expand button, centred in R.
  static void DrawExpandCross(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor);
};

using TcxLookAndFeelPainterClass = const TcxCustomLookAndFeelPainter*;

// Raised 3-D look with system colours.
class TcxStandardLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
 public:
  TcxPainterStyle GetPainterStyle() const override { return pstStandard; }
  Integer GetBorderWidth() const override { return 2; }
  void PaintBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  Integer GetButtonBorderWidth(TcxButtonState AState) const override { return AState == cxbsDefault ? 3 : 2; }
  Integer GetButtonTextOffset() const override { return 1; }
  Integer GetButtonTextShift() const override { return 1; }
  void PaintButtonBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const override;
  void PaintGroupExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                              TcxButtonState AState) const override;
  Integer CalcExpandButtonSize() const override { return 12; }
  void PaintExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) const override;
  void PaintCheckBoxBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const override;
  void PaintHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors, TcxBorders ABorders) const override;
  void PaintSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending) const override;
  Integer GetHeaderBorderWidth() const override { return 1; }
  TPoint CalcSortingMarkSize() const override { return TPoint(8, 7); }
  void PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                          TcxButtonState AState) const override;
};

// One-pixel edges with system colours.
class TcxFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
 public:
  TcxPainterStyle GetPainterStyle() const override { return pstFlat; }
  Integer GetBorderWidth() const override { return 1; }
  void PaintBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  Integer GetButtonBorderWidth(TcxButtonState AState) const override { return AState == cxbsDefault ? 2 : 1; }
  Integer GetButtonTextOffset() const override { return 1; }
  Integer GetButtonTextShift() const override { return 1; }
  void PaintButtonBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const override;
  Integer CalcExpandButtonSize() const override { return 11; }
  void PaintExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) const override;
  void PaintCheckBoxBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const override;
  void PaintHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors, TcxBorders ABorders) const override;
  void PaintSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending) const override;
  Integer GetHeaderBorderWidth() const override { return 1; }
  TPoint CalcSortingMarkSize() const override { return TPoint(8, 7); }
  void PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                          TcxButtonState AState) const override;
};

// One-pixel frames; hot and pressed shown by the highlight colour and light
// tints of it.
class TcxUltraFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
 public:
  TcxPainterStyle GetPainterStyle() const override { return pstUltraFlat; }
  Integer GetBorderWidth() const override { return 1; }
  void PaintBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  Integer GetButtonBorderWidth(TcxButtonState AState) const override { return AState == cxbsDefault ? 2 : 1; }
  TColor GetButtonFaceColor(TcxButtonState AState) const override;
  TRect CalcButtonFocusRect(TcxCanvas* ACanvas, const TRect& R) const override;
  TColor GetButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor = clDefault) const override;
  Integer GetButtonTextOffset() const override { return 2; }
  Integer GetButtonTextShift() const override { return 0; }
  void PaintButtonBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const override;
  void PaintExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) const override;
  Integer CalcExpandButtonSize() const override { return 11; }
  bool HasHotTrackButtons() const override { return true; }
  void PaintCheckBoxBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const override;
  void PaintHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors, TcxBorders ABorders) const override;
  void PaintSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending) const override;
  TcxBorders CalcHeaderBorders(TcxBorders ANeighbors) const override;
  Integer GetHeaderBorderWidth() const override { return 1; }
  TPoint CalcSortingMarkSize() const override { return TPoint(7, 8); }
  void PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                          TcxButtonState AState) const override;
  // Added colours of this look.
  virtual TColor GetDropDownButtonFrameColor(TcxButtonState AState) const {
    return AState == cxbsNormal ? clBtnShadow : clHighlight;
  }
  virtual TColor GetTabLightFrameColor() const { return clBtnShadow; }
  virtual TColor GetTabDarkFrameColor() const { return clBtnText; }
  virtual TColor GetHotFrameColor() const { return clHighlight; }
};

// Draws through the desktop's visual styles (ThemeServices); every element
// whose style class does not open is drawn as in the standard look.
class TcxWinXPLookAndFeelPainter : public TcxStandardLookAndFeelPainter {
 public:
  TcxPainterStyle GetPainterStyle() const override { return pstNative; }
  Integer GetBorderWidth() const override;
  void PaintBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  void PaintButton(TcxCanvas* ACanvas, const TRect& R, const String& ACaption, TcxButtonState AState,
                   bool ADrawBorder = true, TColor AFaceColor = clDefault, TColor ATextColor = clDefault,
                   bool AWordWrap = false) const override;
  void PaintCheckBox(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                     TcxCheckBoxState ACheckState) const override;
  // The themed header item (the right-end item for the last cell) under the
  // text; the back colour and the background callback are not used.
  void PaintHeader(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextBounds, TcxBorders ANeighbors,
                   TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignmentHorz,
                   TcxVerticalAlignment AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                   TFont* AFont, TColor ATextColor, TColor ABackColor,
                   const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr, bool AIsLast = false) const override;
  void PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                          TcxButtonState AState) const override;
};

TcxLookAndFeelPainterClass cxStandardPainter();
TcxLookAndFeelPainterClass cxUltraFlatPainter();
TcxLookAndFeelPainterClass cxNativePainter();
TcxLookAndFeelPainterClass cxFlatPainter();

// The page-area patterns of scroll bars (light, and dark for a pressed
// area), rebuilt when system colours change.
TBitmap* cxScrollBarPatternBitmap(bool ADark);
void cxRebuildScrollBarBitmaps();
