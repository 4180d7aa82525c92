// Painters of the editor library: classes of class-level drawing operations,
// passed around as class references. A control never chooses a painter
// itself: it asks its look-and-feel for the painter in effect.
//
// This holds the base painter with the shared drawing routines, the
// standard (raised 3-D), flat (one-pixel edge), ultra-flat, Office-2003 and
// native (visual styles) painters, and the process-wide resources they share:
// the check-box size, the radio-button images, the indicator images and the
// scroll-bar page patterns.
#pragma once
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "Themes.h"
#include "cxGraphics.h"
#include "dxThemeManager.h"

class TImageList;

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

// Where a group box carries its caption.
enum TcxGroupBoxCaptionPosition { cxgpTop, cxgpBottom, cxgpLeft, cxgpRight, cxgpCenter };

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
  virtual void PaintNavigationButtonContent(TcxCanvas* ACanvas, const TRect& R, const TRect& AArrowRect, bool AIsNext,
                                            TcxButtonState AState) const;
  virtual TRect CalcFooterCellContentRect(const TRect& ABounds) const;
  virtual TRect CalcFooterCellTextRect(const TRect& ABounds) const;
  virtual TcxPainterStyle GetPainterStyle() const { return pstStandard; }

  // Default colours.
  virtual TColor GetContentColor() const { return clWindow; }
  virtual TColor GetContentEvenColor() const { return GetContentColor(); }
  virtual TColor GetContentOddColor() const { return GetContentColor(); }
  virtual TColor GetContentTextColor() const { return clWindowText; }
  virtual TColor GetEditorBackColor(bool ADisabled) const { return clDefault; }
  virtual TColor GetEditorTextColor(bool ADisabled) const { return clDefault; }
  virtual TColor GetFilterPanelColor() const { return clBtnShadow; }
  virtual TColor GetFilterPanelTextColor() const { return clBtnHighlight; }
  virtual TColor GetFrozenSeparatorColor() const { return clBtnText; }
  virtual TColor GetFooterColor() const { return clBtnFace; }
  virtual TColor GetFooterTextColor() const { return clBtnText; }
  virtual TColor GetDetailAreaColor() const { return clBtnFace; }
  virtual TColor GetGridLineColor() const { return clBtnShadow; }
  virtual TColor GetGroupingPanelColor() const { return clBtnShadow; }
  virtual TColor GetGroupingPanelTextColor() const { return clBtnFace; }
  virtual TColor GetGroupRowColor() const { return clBtnFace; }
  virtual TColor GetGroupRowTextColor() const { return clBtnText; }
  virtual TColor GetHeaderAreaColor() const { return clBtnShadow; }
  virtual TColor GetHeaderAreaTextColor() const { return clBtnFace; }
  virtual TColor GetHeaderColor() const { return clBtnFace; }
  virtual TColor GetHeaderTextColor() const { return clBtnText; }
  virtual TColor GetHyperlinkTextColor() const { return clBlue; }
  virtual TColor GetInactiveColor() const { return clBtnFace; }
  virtual TColor GetInactiveTextColor() const { return clBtnText; }
  virtual TColor GetPreviewTextColor() const { return clBlue; }
  virtual TColor GetRecordSeparatorColor() const { return GetGridLineColor(); }
  virtual TColor GetSizeGripColor() const { return clBtnFace; }
  virtual TColor GetCategoryRowColor() const { return GetHeaderColor(); }
  virtual TColor GetCategoryRowTextColor() const { return clDefault; }
  virtual TColor GetRowLineColor() const { return clBlack; }
  virtual TColor GetBandLineColor() const { return GetRowLineColor(); }
  virtual TColor GetDateNavHeaderColor() const { return clBtnFace; }
  virtual TColor GetDateNavSelectionColor() const { return clHighlight; }
  virtual TColor GetDateNavSelectionTextColor() const { return clHighlightText; }
  virtual TColor GetSchedulerBackColor() const { return clWindow; }
  virtual TColor GetSchedulerTextColor() const { return clWindowText; }
  virtual TColor GetSchedulerBorderColor() const { return TColor(161 | 157 << 8 | 157 << 16); }
  virtual TColor GetSchedulerControlColor() const { return clBtnFace; }
  virtual TColor GetSchedulerContentColor() const { return TColor(255 | 255 << 8 | 213 << 16); }
  virtual TColor GetSelectionColor() const { return clHighlight; }
  virtual TColor GetSelectionTextColor() const { return clHighlightText; }
  virtual TColor GetTabColor() const { return clBtnFace; }
  virtual TColor GetTabsBackColor() const { return clBtnFace; }
  virtual TColor GetTimeScaleColor() const { return clBtnFace; }
  virtual TColor GetTimeSelectionBarColor() const { return clWhite; }

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
  virtual TRect CalcGroupButtonRect(const TRect& R, Integer AButtonCount, Integer AButtonIndex) const { return R; }
  virtual Integer GetButtonBorderWidth(TcxButtonState AState) const { return 0; }
  virtual TColor GetButtonFaceColor(TcxButtonState AState) const { return clBtnFace; }
  virtual TRect CalcButtonFocusRect(TcxCanvas* ACanvas, const TRect& R) const;
  // The four border widths (left, top, right, bottom) of a button of a group.
  virtual TRect CalcGroupButtonBorders(Integer AButtonCount, Integer AButtonIndex) const;
  virtual Integer GetButtonTextOffset() const { return 0; }
  virtual Integer GetButtonTextShift() const { return 0; }
  virtual TColor GetButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor = clDefault) const;
  virtual TcxButtonState GetButtonSymbolState(TcxButtonState AState) const { return AState; }
  virtual void PaintButton(TcxCanvas* ACanvas, const TRect& R, const String& ACaption, TcxButtonState AState,
                           bool ADrawBorder = true, TColor AFaceColor = clDefault, TColor ATextColor = clDefault,
                           bool AWordWrap = false) const;
  virtual void PaintGroupButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, Integer AButtonCount,
                                Integer AButtonIndex, TColor ABackgroundColor) const;
  virtual void PaintButtonBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const {}
  virtual void PaintButtonFrame(TcxCanvas* ACanvas, const TRect& R, bool A, bool B) const {}

  // Expand buttons.
  virtual void PaintExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor = clDefault) const {}
  virtual bool IsExpandButtonPaintedFirst() const { return true; }
  virtual void PaintGroupExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                      TcxButtonState AState) const;
  virtual void PaintSmallExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor ABorderColor,
                                      TColor AColor = clDefault) const;
  virtual Integer CalcExpandButtonSize() const { return 0; }
  virtual Integer CalcGroupExpandButtonSize() const { return 15; }
  virtual bool HasHotTrackButtons() const { return false; }
  virtual bool IsPointInGroupExpandButton(const TRect& R, TPoint P) const {
    return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
  }
  virtual Integer CalcSmallExpandButtonSize() const { return 9; }

  // Check boxes and radio buttons.
  virtual Integer GetCheckBoxBorderWidth() const { return 2; }
  virtual TColor GetCheckBoxColor(TcxButtonState AState) const;
  // The system check-box glyph's size.
  virtual TSize CalcCheckBoxSize() const;
  virtual void PaintCheckMark(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked,
                              TColor AColor) const;
  virtual void PaintCheckBoxBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const {}
  void PaintCheckBoxChecked(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked) const {
    PaintCheckBox(ACanvas, R, AState, AChecked ? cbsChecked : cbsUnchecked);
  }
  virtual void PaintCheckBox(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                             TcxCheckBoxState ACheckState) const;
  // The glyph's top-left at (X, Y). ABrushColor clDefault (or clNone) leaves
  // the corners outside the circle as they are; another colour fills them.
  virtual void PaintRadioButton(TcxCanvas* ACanvas, Integer X, Integer Y, TcxButtonState AState, bool AChecked,
                                bool AFocused, TColor ABrushColor, bool AIsDesigning = false) const;
  virtual TSize CalcRadioButtonSize() const;

  // Headers (cells of a header row, and sections of a stand-alone header
  // control). Neighbours: the sides on which the cell touches another cell.
  virtual void PaintHeader(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextBounds, TcxBorders ANeighbors,
                           TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignmentHorz,
                           TcxVerticalAlignment AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                           const String& AText, TFont* AFont, TColor ATextColor, TColor ABackColor,
                           const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr, bool AIsLast = false,
                           bool AIsGroup = false) const;
  virtual void PaintHeaderPlain(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextBounds,
                                TcxBorders ANeighbors, TcxBorders ABorders, TcxButtonState AState,
                                TAlignment AAlignmentHorz, TcxVerticalAlignment AAlignmentVert, bool AMultiLine,
                                bool AShowEndEllipsis, const String& AText, TFont* AFont, TColor ATextColor,
                                TColor ABackColor, const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const;
  virtual void PaintHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors, TcxBorders ABorders) const {}
  virtual void InvertHeaderRect(TcxCanvas* ACanvas, const TRect& R) const;
  virtual void PaintHeaderSection(TcxCanvas* ACanvas, const TRect& R, const TRect& ATextBounds, TcxBorders ANeighbors,
                                  TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignmentHorz,
                                  TcxVerticalAlignment AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                                  const String& AText, TFont* AFont, TColor ATextColor, TColor ABackColor) const;
  virtual void PaintHeaderSectionBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                        TcxButtonState AState) const {}
  virtual void PaintHeaderSectionContent(TcxCanvas* ACanvas, const TRect& R, const TRect& ATextBounds,
                                         TcxButtonState AState, TAlignment AAlignmentHorz,
                                         TcxVerticalAlignment AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                                         const String& AText, TFont* AFont, TColor ATextColor,
                                         TColor ABackColor) const;
  virtual void PaintHeaderSectionText(TcxCanvas* ACanvas, const TRect& ATextBounds, TcxButtonState AState,
                                      TAlignment AAlignmentHorz, TcxVerticalAlignment AAlignmentVert, bool AMultiLine,
                                      bool AShowEndEllipsis, const String& AText, TFont* AFont,
                                      TColor ATextColor) const;
  virtual void PaintSideBandedRect(TcxCanvas* ACanvas, const TRect& R, Integer ASideWidth, TColor AMiddleColor,
                                   const TcxViewParams& ASideParams) const;
  virtual void PaintSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending) const {}
  virtual TcxBorders CalcHeaderBorders(TcxBorders ANeighbors) const { return cxBordersAll; }
  virtual Integer GetHeaderBorderWidth() const { return 0; }
  virtual TRect ExpandHeaderRect(const TRect& R, TcxBorders ANeighbors, TcxBorders ASides) const;
  virtual TRect CalcHeaderContentRect(const TRect& ABounds, TcxBorders ABorders) const;
  virtual bool IsHeaderCellsPaintedFirst() const { return true; }
  virtual Integer CalcHeaderHeight(Integer AFontHeight) const { return AFontHeight + 2 * GetHeaderBorderWidth() + 4; }
  virtual Integer GetHeaderSectionBorderWidth(TcxButtonState AState) const { return 1; }
  virtual TRect CalcHeaderSectionTextRect(const TRect& R, TcxButtonState AState) const;
  virtual TRect CalcHeaderSectionContentRect(const TRect& R, TcxButtonState AState) const;
  // Text width + 4; a left border adds and a right border takes away one
  // border width, so a cell with both side borders gets text width + 4.
  virtual Integer CalcHeaderWidth(TcxCanvas* ACanvas, TcxBorders ABorders, const String& AText, TFont* AFont) const;
  virtual bool HasHotTrackHeaders() const { return false; }
  virtual TPoint CalcSortingMarkAreaSize() const { return TPoint(16, CalcSortingMarkSize().Y); }
  virtual TPoint CalcSortingMarkSize() const { return TPoint(0, 0); }

  // Footer.
  virtual void PaintFooterBackground(TcxCanvas* ACanvas, const TRect& R, bool ATransparent, TColor ABackgroundColor,
                                     TBitmap* ABitmap) const {
    PaintBackground(ACanvas, R, ATransparent, ABackgroundColor, ABitmap);
  }
  virtual TcxBorders CalcFooterBorders() const { return cxBordersAll; }
  virtual Integer GetFooterBorderWidth() const { return 0; }
  virtual Integer GetFooterCellBorderWidth() const { return 0; }
  virtual Integer GetFooterCellOffset() const { return 0; }
  virtual bool IsFooterCellsPaintedFirst() const { return true; }
  virtual TColor GetFooterSeparatorColor() const { return clBtnShadow; }
  virtual Integer GetFooterSeparatorWidth() const { return 1; }
  virtual void PaintFooterCell(TcxCanvas* ACanvas, const TRect& R, TAlignment AAlignmentHorz,
                               TcxVerticalAlignment AAlignmentVert, bool AMultiLine, const String& AText,
                               TFont* AFont, TColor ATextColor, TColor ABackColor,
                               const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const;
  virtual void PaintFooterBorder(TcxCanvas* ACanvas, const TRect& R) const {}
  virtual void PaintFooterCellBorder(TcxCanvas* ACanvas, const TRect& R) const {}
  virtual void PaintFooterContent(TcxCanvas* ACanvas, const TRect& R, const TcxViewParams& AViewParams) const;
  virtual void PaintFooterSeparator(TcxCanvas* ACanvas, const TRect& R) const {
    ACanvas->FillRectColor(R, GetFooterSeparatorColor());
  }

  // Filter buttons.
  virtual void PaintFilterActivateButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                         bool AChecked) const {
    PaintCheckBoxChecked(ACanvas, R, AState, AChecked);
  }
  virtual void PaintFilterCloseButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const;
  virtual void PaintFilterDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                         bool AIsFilterActive) const {}
  virtual void PaintFilterPanel(TcxCanvas* ACanvas, const TRect& R, bool ATransparent, TColor ABackgroundColor,
                                TBitmap* ABitmap) const {
    PaintBackground(ACanvas, R, ATransparent, ABackgroundColor, ABitmap);
  }
  virtual TPoint CalcFilterActivateButtonSize() const { return TPoint(13, 13); }
  virtual TPoint CalcFilterCloseButtonSize() const { return TPoint(16, 14); }
  virtual TPoint CalcFilterDropDownButtonSize() const { return TPoint(15, 0); }

  // Popup windows.
  virtual void PaintPopupContent(TcxCanvas* ACanvas, const TRect& R) const { ACanvas->FillRectColor(R, clBtnFace); }
  virtual Integer GetPopupBorderStyle() const { return 1; }

  // Tabs (Side: the side of the tab the strip R belongs to).
  virtual void PaintTab(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, const String& AText,
                        TcxButtonState AState, bool AVertical, TFont* AFont, TColor ATextColor, TColor ABackColor,
                        bool AShowPrefix = false) const {}
  virtual void PaintTabBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorder ASide, TcxBorders ABorders,
                              bool AVertical) const {}
  virtual void PaintTabsRoot(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) const {}
  virtual bool IsTabPaintingSupported(bool AVertical) const { return false; }
  virtual bool HasHotTrackTabs(bool AVertical) const { return false; }
  virtual Integer GetTabBorderWidth(bool AVertical) const { return 0; }

  // Indicator and grip.
  virtual void PaintGripBars(TcxCanvas* ACanvas, const TRect& R, TColor AColor) const;
  // Kind 0 nothing; 1..6 arrow, edit, insert, multi-dot, multi-arrow, filter.
  virtual void PaintIndicatorImage(TcxCanvas* ACanvas, const TRect& R, Integer AKind) const;
  virtual void PaintIndicatorCell(TcxCanvas* ACanvas, const TRect& R, Integer AKind, TColor ABackColor,
                                  const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const;
  virtual void PaintIndicatorHeader(TcxCanvas* ACanvas, const TRect& R, Integer AKind, TColor ABackColor,
                                    const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const;

  // Scroll bars and size grip.
  virtual Integer CalcScrollBarMinThumbSize(bool AVertical) const { return 8; }
  virtual void PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                                  TcxButtonState AState) const {}
  // The system's vertical-bar width and horizontal-bar height.
  virtual TSize CalcScrollBarSize() const;
  virtual void PaintSizeGrip(TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor) const;

  // Navigation buttons, progress bar and view border.
  virtual void CalcNavigationButtonLayout(bool AIsNext, bool ANoText, const TSize& ATextSize1, const TSize& ATextSize2,
                                          TRect& AContentRect, TRect& ATextRect, TRect& AArrowRect) const;
  // Arrows: 1 left, 2 right, 3 both; Offset places their back edges.
  virtual void PaintHeaderWithArrows(TcxCanvas* ACanvas, const TRect& R, const String& AText, TcxBorders ANeighbors,
                                     const TcxViewParams& AViewParams, Integer AArrows, Integer AOffset,
                                     const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const;
  virtual void PaintViewBorder(TcxCanvas* ACanvas, const TRect& R) const { PaintBorder(ACanvas, R); }
  virtual void PaintProgressBar(TcxCanvas* ACanvas, const TRect& R, const TRect& AProgressRect,
                                const TcxViewParams& AViewParams, bool AFlat) const;
  virtual void PaintRotatedNavigationButton(TcxCanvas* ACanvas, const TRect& R, bool AIsNext, TcxButtonState AState,
                                            const String& AText, const TRect& ATextRect,
                                            const TRect& AArrowRect) const;
  virtual void PaintNavigationArrow(TcxCanvas* ACanvas, const TRect& R, bool AIsNext, TColor AColor) const;
  virtual void PaintNavigatorButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const {
    PaintButton(ACanvas, R, String(), AState);
  }
  virtual void PaintSplitterBorder(TcxCanvas* ACanvas, const TRect& R, const TcxViewParams& AViewParams,
                                   bool AHorizontal) const {}
  virtual TRect CalcProgressBarOffsets() const { return TRect(2, 2, 2, 2); }
  // Borders (left, top, right, bottom) and the arrow's size.
  virtual void CalcNavigationButtonMetrics(bool AIsNext, TRect& ABorders, TSize& AArrowSize) const;

  // The hands of ATime (only its fraction counts) over marks for the hours;
  // the other minutes get one-pixel dots in AMinuteDotColor (none for clNone
  // or clDefault).
  virtual void PaintClock(TcxCanvas* ACanvas, const TRect& R, TDateTime ATime, TColor ABackgroundColor,
                          TColor AMinuteDotColor = clNone) const;

  // Editor buttons, group boxes, panels, track bars and splitters. The edit
  // button kinds: 1 drop-down arrow, 2 glyph or text, 3 ellipsis.
  virtual void PaintEditButton(TcxCanvas* ACanvas, const TRect& R, Integer AButtonKind, TcxButtonState AState) const {}
  virtual Integer GetEditButtonTextOffset() const { return 0; }
  virtual TSize CalcEditButtonSize() const { return TSize(0, 0); }
  virtual TColor GetEditButtonTextColor() const { return clDefault; }
  virtual TColor GetContainerFrameColor(bool AHighlighted) const { return clDefault; }
  virtual void PaintGroupBoxBackground(TcxCanvas* ACanvas, const TRect& R, const TRect& AClipRect) const {}
  virtual void PaintGroupBoxCaption(TcxCanvas* ACanvas, const TRect& R,
                                    TcxGroupBoxCaptionPosition ACaptionPosition) const {}
  virtual void PaintGroupBoxContent(TcxCanvas* ACanvas, const TRect& R,
                                    TcxGroupBoxCaptionPosition ACaptionPosition) const {}
  virtual TRect CalcGroupBoxBorders(bool AHasCaption, TcxGroupBoxCaptionPosition ACaptionPosition) const {
    return TRect(0, 0, 0, 0);
  }
  virtual TColor GetGroupBoxTextColor(TcxGroupBoxCaptionPosition ACaptionPosition) const { return clDefault; }
  virtual bool IsGroupBoxTransparent(bool AHasCaption, TcxGroupBoxCaptionPosition ACaptionPosition) const {
    return false;
  }
  // AColorFrom to AColorTo (a single colour when AColorTo is clDefault).
  virtual void PaintPanelBackground(TcxCanvas* ACanvas, TControl* AControl, const TRect& R, TColor AColorFrom,
                                    TColor AColorTo) const {
    PaintGroupBoxBackground(ACanvas, R, R);
  }
  virtual void PaintPanelBorders(TcxCanvas* ACanvas, const TRect& R) const {}
  virtual void PaintPanelCaption(TcxCanvas* ACanvas, const TRect& R,
                                 TcxGroupBoxCaptionPosition ACaptionPosition) const {
    PaintGroupBoxCaption(ACanvas, R, ACaptionPosition);
  }
  virtual void PaintPanelContent(TcxCanvas* ACanvas, const TRect& R, bool AHasBorder) const {}
  virtual TRect CalcPanelBorders() const { return TRect(0, 0, 0, 0); }
  virtual TColor GetPanelTextColor() const { return clDefault; }
  virtual void PaintTrackBar(TcxCanvas* ACanvas, const TRect& R, bool AHorizontal, Integer AMin, Integer AMax,
                             Integer APosition) const {}
  virtual void PaintTrackBarThumb(TcxCanvas* ACanvas, const TRect& R, bool AHorizontal, TcxButtonState AState,
                                  Integer ATicks) const {}
  virtual TSize CalcTrackBarThumbSize(bool AHorizontal) const { return TSize(0, 0); }
  virtual TColor GetTrackBarTicksColor(bool AForText) const { return clDefault; }
  virtual Integer GetTrackBarTrackSize() const { return 0; }
  virtual void PaintSplitter(TcxCanvas* ACanvas, const TRect& R, bool AHorizontal, TcxButtonState AState,
                             bool AHighlighted) const {}
  virtual TSize CalcSplitterSize(bool AHorizontal) const { return TSize(0, 0); }

  // The three corners of an arrow inside R; the second point is the tip.
  static TcxArrowPoints CalcArrowTriangle(const TRect& R, TcxArrowPointing ADirection, bool AProportional,
                                          Integer AArrowSize = 0);

 protected:
  // The sorting mark of the 3-D looks, light right edge and dark left edge.
  void DrawSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending, TColor ALight, TColor ADark) const;
  // The plus (or, expanded, minus) of an expand button, centred in R.
  static void DrawExpandCross(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor);
  // The arrows of PaintHeaderWithArrows inside the header rectangle.
  void DrawHeaderArrows(TcxCanvas* ACanvas, const TRect& R, Integer AArrows, Integer AOffset) const;
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
  void PaintHeaderSectionBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                TcxButtonState AState) const override;
  Integer GetHeaderSectionBorderWidth(TcxButtonState AState) const override { return AState == cxbsPressed ? 1 : 2; }
  void PaintSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending) const override;
  Integer GetHeaderBorderWidth() const override { return 1; }
  TPoint CalcSortingMarkSize() const override { return TPoint(8, 7); }
  Integer GetFooterBorderWidth() const override { return 1; }
  Integer GetFooterCellBorderWidth() const override { return 1; }
  Integer GetFooterCellOffset() const override { return 1; }
  void PaintFooterBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  void PaintFooterCellBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  void PaintFilterDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                 bool AIsFilterActive) const override;
  void PaintTabBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorder ASide, TcxBorders ABorders,
                      bool AVertical) const override;
  void PaintTabsRoot(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) const override;
  Integer GetTabBorderWidth(bool AVertical) const override { return 1; }
  void PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                          TcxButtonState AState) const override;
  TColor GetSchedulerContentColor() const override { return clWindow; }
  void PaintHeaderWithArrows(TcxCanvas* ACanvas, const TRect& R, const String& AText, TcxBorders ANeighbors,
                             const TcxViewParams& AViewParams, Integer AArrows, Integer AOffset,
                             const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const override;
  void PaintSplitterBorder(TcxCanvas* ACanvas, const TRect& R, const TcxViewParams& AViewParams,
                           bool AHorizontal) const override;
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
  void PaintHeaderSectionBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                TcxButtonState AState) const override;
  void PaintSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending) const override;
  Integer GetHeaderBorderWidth() const override { return 1; }
  TPoint CalcSortingMarkSize() const override { return TPoint(8, 7); }
  Integer GetFooterBorderWidth() const override { return 1; }
  Integer GetFooterCellBorderWidth() const override { return 1; }
  Integer GetFooterCellOffset() const override { return 1; }
  void PaintFooterBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  void PaintFooterCellBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  void PaintFilterDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                 bool AIsFilterActive) const override;
  void PaintTabBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorder ASide, TcxBorders ABorders,
                      bool AVertical) const override;
  void PaintTabsRoot(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) const override;
  Integer GetTabBorderWidth(bool AVertical) const override { return 1; }
  void PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                          TcxButtonState AState) const override;
  void PaintSplitterBorder(TcxCanvas* ACanvas, const TRect& R, const TcxViewParams& AViewParams,
                           bool AHorizontal) const override;
};

// One-pixel frames; hot and pressed shown by the highlight colour and light
// tints of it.
class TcxUltraFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
 public:
  TcxPainterStyle GetPainterStyle() const override { return pstUltraFlat; }
  TColor GetSchedulerBorderColor() const override { return clBtnShadow; }
  Integer GetBorderWidth() const override { return 1; }
  void PaintBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  Integer GetButtonBorderWidth(TcxButtonState AState) const override { return AState == cxbsDefault ? 2 : 1; }
  TColor GetButtonFaceColor(TcxButtonState AState) const override;
  TRect CalcButtonFocusRect(TcxCanvas* ACanvas, const TRect& R) const override;
  TRect CalcGroupButtonBorders(Integer AButtonCount, Integer AButtonIndex) const override;
  TColor GetButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor = clDefault) const override;
  TcxButtonState GetButtonSymbolState(TcxButtonState AState) const override { return cxbsNormal; }
  Integer GetButtonTextOffset() const override { return 2; }
  Integer GetButtonTextShift() const override { return 0; }
  void PaintButtonBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const override;
  void PaintGroupButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, Integer AButtonCount,
                        Integer AButtonIndex, TColor ABackgroundColor) const override;
  void PaintButtonFrame(TcxCanvas* ACanvas, const TRect& R, bool A, bool B) const override;
  void PaintExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) const override;
  Integer CalcExpandButtonSize() const override { return 11; }
  bool HasHotTrackButtons() const override { return true; }
  void PaintCheckBoxBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const override;
  void PaintHeaderPlain(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextBounds, TcxBorders ANeighbors,
                        TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignmentHorz,
                        TcxVerticalAlignment AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                        const String& AText, TFont* AFont, TColor ATextColor, TColor ABackColor,
                        const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const override;
  void PaintHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors, TcxBorders ABorders) const override;
  void PaintHeaderSectionBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                TcxButtonState AState) const override;
  void PaintHeaderSectionContent(TcxCanvas* ACanvas, const TRect& R, const TRect& ATextBounds, TcxButtonState AState,
                                 TAlignment AAlignmentHorz, TcxVerticalAlignment AAlignmentVert, bool AMultiLine,
                                 bool AShowEndEllipsis, const String& AText, TFont* AFont, TColor ATextColor,
                                 TColor ABackColor) const override;
  void PaintSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending) const override;
  TcxBorders CalcHeaderBorders(TcxBorders ANeighbors) const override;
  Integer GetHeaderBorderWidth() const override { return 1; }
  TPoint CalcSortingMarkSize() const override { return TPoint(7, 8); }
  void PaintFooterBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  void PaintFooterCellBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  TcxBorders CalcFooterBorders() const override { return TcxBorders{bRight, bBottom}; }
  Integer GetFooterBorderWidth() const override { return 1; }
  Integer GetFooterCellBorderWidth() const override { return 1; }
  Integer GetFooterCellOffset() const override { return 2; }
  void PaintFilterDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                 bool AIsFilterActive) const override;
  TPoint CalcFilterCloseButtonSize() const override { return TPoint(16, 15); }
  void PaintTabBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorder ASide, TcxBorders ABorders,
                      bool AVertical) const override;
  void PaintTabsRoot(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) const override;
  Integer GetTabBorderWidth(bool AVertical) const override { return 1; }
  void PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                          TcxButtonState AState) const override;
  void PaintNavigationButtonContent(TcxCanvas* ACanvas, const TRect& R, const TRect& AArrowRect, bool AIsNext,
                                    TcxButtonState AState) const override;
  void PaintNavigatorButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const override;
  void PaintSplitterBorder(TcxCanvas* ACanvas, const TRect& R, const TcxViewParams& AViewParams,
                           bool AHorizontal) const override;
  // Added colours of this look.
  virtual TColor GetDropDownButtonFrameColor(TcxButtonState AState) const {
    return AState == cxbsNormal ? clBtnShadow : clHighlight;
  }
  virtual TColor GetTabLightFrameColor() const { return clBtnShadow; }
  virtual TColor GetTabDarkFrameColor() const { return clBtnText; }
  virtual TColor GetHotFrameColor() const { return clHighlight; }
};

// The ultra-flat structure in the colours of the Office-2003 scheme, with
// header cells in a vertical gradient.
class TcxOffice11LookAndFeelPainter : public TcxUltraFlatLookAndFeelPainter {
 public:
  TcxPainterStyle GetPainterStyle() const override { return pstOffice11; }
  TColor GetSchedulerBorderColor() const override;
  void PaintBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  TColor GetButtonFaceColor(TcxButtonState AState) const override;
  TColor GetButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor = clDefault) const override;
  void PaintButtonBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const override;
  void PaintExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) const override;
  bool IsExpandButtonPaintedFirst() const override { return false; }
  void PaintSmallExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor ABorderColor,
                              TColor AColor = clDefault) const override {
    PaintExpandButton(ACanvas, R, AExpanded, clDefault);
  }
  Integer CalcSmallExpandButtonSize() const override { return CalcExpandButtonSize(); }
  TColor GetCheckBoxColor(TcxButtonState AState) const override;
  void PaintHeader(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextBounds, TcxBorders ANeighbors,
                   TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignmentHorz,
                   TcxVerticalAlignment AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                   TFont* AFont, TColor ATextColor, TColor ABackColor,
                   const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr, bool AIsLast = false,
                   bool AIsGroup = false) const override;
  void PaintHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors, TcxBorders ABorders) const override;
  void PaintHeaderSection(TcxCanvas* ACanvas, const TRect& R, const TRect& ATextBounds, TcxBorders ANeighbors,
                          TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignmentHorz,
                          TcxVerticalAlignment AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                          const String& AText, TFont* AFont, TColor ATextColor, TColor ABackColor) const override;
  void PaintSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending) const override;
  TcxBorders CalcHeaderBorders(TcxBorders ANeighbors) const override { return cxBordersAll; }
  bool HasHotTrackHeaders() const override { return true; }
  void PaintCellContent(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextBounds, TcxButtonState AState,
                        TAlignment AAlignmentHorz, TcxVerticalAlignment AAlignmentVert, bool AMultiLine,
                        bool AShowEndEllipsis, const String& AText, TFont* AFont, TColor ATextColor,
                        TColor ABackColor, const TcxDrawBackgroundEvent& AOnDrawBackground,
                        bool AIsFooter = false) const override;
  TColor GetFooterSeparatorColor() const override { return GetHeaderShadowColor(); }
  void PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                          TcxButtonState AState) const override;
  void PaintSizeGrip(TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor) const override;
  void PaintNavigationButtonContent(TcxCanvas* ACanvas, const TRect& R, const TRect& AArrowRect, bool AIsNext,
                                    TcxButtonState AState) const override;
  void PaintNavigatorButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const override;
  void PaintViewBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  void PaintHeaderWithArrows(TcxCanvas* ACanvas, const TRect& R, const String& AText, TcxBorders ANeighbors,
                             const TcxViewParams& AViewParams, Integer AArrows, Integer AOffset,
                             const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const override;
  void PaintPanelBackground(TcxCanvas* ACanvas, TControl* AControl, const TRect& R, TColor AColorFrom,
                            TColor AColorTo) const override;
  // Default colours of the scheme.
  TColor GetDateNavHeaderColor() const override;
  TColor GetDateNavSelectionColor() const override;
  TColor GetDateNavSelectionTextColor() const override { return clWindowText; }
  TColor GetFilterPanelColor() const override;
  TColor GetFilterPanelTextColor() const override;
  TColor GetFooterColor() const override;
  TColor GetFooterTextColor() const override { return GetHeaderTextColor(); }
  TColor GetGroupRowColor() const override;
  TColor GetGroupingPanelColor() const override;
  TColor GetGroupingPanelTextColor() const override;
  TColor GetHeaderColor() const override { return GetHeaderGradientStartColor(); }
  TColor GetHeaderAreaColor() const override { return GetGroupingPanelColor(); }
  TColor GetSchedulerControlColor() const override;
  TColor GetTabColor() const override;
  TColor GetTabsBackColor() const override { return GetTabColor(); }
  TColor GetTimeScaleColor() const override;
  TColor GetTimeSelectionBarColor() const override { return GetSchedulerControlColor(); }
  // The ultra-flat look's added colours.
  TColor GetDropDownButtonFrameColor(TcxButtonState AState) const override;
  TColor GetTabLightFrameColor() const override { return GetHeaderShadowColor(); }
  TColor GetHotFrameColor() const override;
  // Added colours of this look.
  virtual TColor GetHeaderGradientEndColor() const;
  virtual TColor GetHeaderShadowColor() const;
  virtual TColor GetHeaderLightColor() const;
  virtual TColor GetHeaderGradientStartColor() const;
};

// Draws through the desktop's visual styles; every element whose style class
// does not open is drawn as in the standard look (or where said, another).
class TcxWinXPLookAndFeelPainter : public TcxStandardLookAndFeelPainter {
 public:
  void PaintNavigationButtonContent(TcxCanvas* ACanvas, const TRect& R, const TRect& AArrowRect, bool AIsNext,
                                    TcxButtonState AState) const override;
  TcxPainterStyle GetPainterStyle() const override { return pstNative; }
  TColor GetSchedulerBorderColor() const override;
  TColor GetSchedulerContentColor() const override { return TColor(255 | 255 << 8 | 213 << 16); }
  void PaintArrowButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TcxArrowPointing ADirection,
                        bool ADrawBorder = true) const override;
  void PaintArrowButtonBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const override;
  Integer GetBorderWidth() const override;
  void PaintBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  TRect CalcGroupButtonRect(const TRect& R, Integer AButtonCount, Integer AButtonIndex) const override;
  Integer GetButtonBorderWidth(TcxButtonState AState) const override;
  // The theme's fill colour of the push button; clBtnFace when the theme
  // holds none.
  TColor GetButtonFaceColor(TcxButtonState AState) const override;
  TRect CalcButtonFocusRect(TcxCanvas* ACanvas, const TRect& R) const override;
  TRect CalcGroupButtonBorders(Integer AButtonCount, Integer AButtonIndex) const override;
  TColor GetButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor = clDefault) const override;
  Integer GetButtonTextOffset() const override { return 2; }
  Integer GetButtonTextShift() const override { return 0; }
  void PaintButton(TcxCanvas* ACanvas, const TRect& R, const String& ACaption, TcxButtonState AState,
                   bool ADrawBorder = true, TColor AFaceColor = clDefault, TColor ATextColor = clDefault,
                   bool AWordWrap = false) const override;
  void PaintExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) const override;
  bool IsExpandButtonPaintedFirst() const override { return false; }
  void PaintGroupExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                              TcxButtonState AState) const override;
  void PaintSmallExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor ABorderColor,
                              TColor AColor = clDefault) const override;
  Integer CalcExpandButtonSize() const override;
  Integer CalcGroupExpandButtonSize() const override;
  Integer CalcSmallExpandButtonSize() const override;
  bool HasHotTrackButtons() const override { return true; }
  bool IsPointInGroupExpandButton(const TRect& R, TPoint P) const override;
  Integer GetCheckBoxBorderWidth() const override;
  TSize CalcCheckBoxSize() const override;
  void PaintCheckMark(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked,
                      TColor AColor) const override;
  void PaintCheckBoxBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const override;
  // Without the Button theme: the base radio images.
  void PaintRadioButton(TcxCanvas* ACanvas, Integer X, Integer Y, TcxButtonState AState, bool AChecked,
                        bool AFocused, TColor ABrushColor, bool AIsDesigning = false) const override;
  TSize CalcRadioButtonSize() const override;
  // The themed header item (the right-end item for the last cell under the
  // blue and olive schemes) under the text; the back colour and the
  // background callback are not used.
  void PaintHeader(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextBounds, TcxBorders ANeighbors,
                   TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignmentHorz,
                   TcxVerticalAlignment AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                   TFont* AFont, TColor ATextColor, TColor ABackColor,
                   const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr, bool AIsLast = false,
                   bool AIsGroup = false) const override;
  void InvertHeaderRect(TcxCanvas* ACanvas, const TRect& R) const override {}
  void PaintHeaderSection(TcxCanvas* ACanvas, const TRect& R, const TRect& ATextBounds, TcxBorders ANeighbors,
                          TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignmentHorz,
                          TcxVerticalAlignment AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                          const String& AText, TFont* AFont, TColor ATextColor, TColor ABackColor) const override;
  void PaintSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending) const override;
  Integer GetHeaderBorderWidth() const override;
  Integer GetHeaderSectionBorderWidth(TcxButtonState AState) const override { return GetHeaderBorderWidth(); }
  TRect CalcHeaderSectionContentRect(const TRect& R, TcxButtonState AState) const override;
  bool HasHotTrackHeaders() const override { return true; }
  TPoint CalcSortingMarkSize() const override { return TPoint(7, 8); }
  void PaintFooterCell(TcxCanvas* ACanvas, const TRect& R, TAlignment AAlignmentHorz,
                       TcxVerticalAlignment AAlignmentVert, bool AMultiLine, const String& AText, TFont* AFont,
                       TColor ATextColor, TColor ABackColor,
                       const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const override;
  Integer GetFooterBorderWidth() const override;
  Integer GetFooterCellBorderWidth() const override;
  Integer GetFooterCellOffset() const override { return 1; }
  bool IsFooterCellsPaintedFirst() const override { return false; }
  void PaintFooterBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  void PaintFilterCloseButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const override;
  void PaintFilterDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                 bool AIsFilterActive) const override;
  TPoint CalcFilterActivateButtonSize() const override;
  TPoint CalcFilterCloseButtonSize() const override;
  void PaintTab(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, const String& AText, TcxButtonState AState,
                bool AVertical, TFont* AFont, TColor ATextColor, TColor ABackColor,
                bool AShowPrefix = false) const override;
  void PaintTabBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorder ASide, TcxBorders ABorders,
                      bool AVertical) const override;
  void PaintTabsRoot(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) const override;
  bool IsTabPaintingSupported(bool AVertical) const override;
  bool HasHotTrackTabs(bool AVertical) const override;
  Integer GetTabBorderWidth(bool AVertical) const override;
  void PaintIndicatorCell(TcxCanvas* ACanvas, const TRect& R, Integer AKind, TColor ABackColor,
                          const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const override;
  Integer CalcScrollBarMinThumbSize(bool AVertical) const override;
  void PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                          TcxButtonState AState) const override;
  void PaintHeaderWithArrows(TcxCanvas* ACanvas, const TRect& R, const String& AText, TcxBorders ANeighbors,
                             const TcxViewParams& AViewParams, Integer AArrows, Integer AOffset,
                             const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const override;
  void PaintProgressBar(TcxCanvas* ACanvas, const TRect& R, const TRect& AProgressRect,
                        const TcxViewParams& AViewParams, bool AFlat) const override;
  TRect CalcProgressBarOffsets() const override { return TRect(3, 3, 3, 3); }
  void PaintNavigatorButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const override;
  void PaintSplitterBorder(TcxCanvas* ACanvas, const TRect& R, const TcxViewParams& AViewParams,
                           bool AHorizontal) const override;
  void PaintSizeGrip(TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor) const override;
  void PaintPanelBackground(TcxCanvas* ACanvas, TControl* AControl, const TRect& R, TColor AColorFrom,
                            TColor AColorTo) const override;
  // Text through the theme's text drawing, in the part and state given.
  virtual void PaintThemeText(TcxCanvas* ACanvas, TdxThemeObjectKind ATheme, Integer APart, Integer AState,
                              const TRect& ABounds, const TRect& ATextRect, TAlignment AAlignmentHorz,
                              TcxVerticalAlignment AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                              bool AShowPrefix, const String& AText, TFont* AFont, TColor ATextColor,
                              TColor ABackColor) const;
};

TcxLookAndFeelPainterClass cxStandardPainter();
TcxLookAndFeelPainterClass cxFlatPainter();
TcxLookAndFeelPainterClass cxUltraFlatPainter();
TcxLookAndFeelPainterClass cxOffice11Painter();
TcxLookAndFeelPainterClass cxNativePainter();
// The painter of a look (the native one is never chosen by kind).
TcxLookAndFeelPainterClass cxPainterOfKind(TcxLookAndFeelKind AKind);

// ---------------------------------------------------------------------------
// Shared resources of the painters.

// The system check-box glyph's size (its bitmap of 4 x 3 glyphs), measured
// once.
TSize cxCheckBoxSize();

// The page-area patterns of scroll bars (light, and dark for a pressed
// area): made when missing, then painted from the current system colours.
void cxPrepareScrollBarPatterns();
TBitmap* cxScrollBarPatternBitmap(bool ADark);
// The same as cxPrepareScrollBarPatterns (kept for the scroll bar).
void cxRebuildScrollBarBitmaps();

// The images of the indicator column (arrow, edit, insert, multi-dot,
// multi-arrow, filter), white transparent.
TImageList* cxIndicatorImages();

// Radio buttons of the non-native looks: the system's radio glyph measured
// once, turned into a pattern of regions, and rendered in every combination
// of look, state, check, focus and design mode; rendered again when the
// system colours change.
class TcxRadioButtonImageList : public TObject {
  TOVANI_CLASS(TcxRadioButtonImageList, TObject)
 public:
  TcxRadioButtonImageList();
  ~TcxRadioButtonImageList() override;
  void Draw(TcxCanvas* ACanvas, Integer X, Integer Y, TcxLookAndFeelKind AKind, TcxButtonState AState, bool AChecked,
            bool AFocused, TColor ABrushColor, bool AIsDesigning);
  TSize GetSize() const { return TSize(FWidth, FHeight); }
  // Renders every image again from the current colours.
  void Reset();
  // The default state counts as normal.
  Integer ImageIndexOf(TcxLookAndFeelKind AKind, TcxButtonState AState, bool AChecked, bool AFocused,
                       bool AIsDesigning) const;
  // The region of the glyph's pixel: 0 outside, 1 and 2 the outer ring (upper
  // left, lower right), 3 and 4 the inner ring, 5 the body, 6 the dot.
  Byte RegionAt(Integer X, Integer Y) const { return FPattern[Y * FWidth + X]; }
  Integer ImageCount() const { return Integer(FImages.size()); }

 private:
  void Measure();
  void BuildPattern();
  void RenderImages();
  Integer FWidth = 0, FHeight = 0, FOriginX = 0, FOriginY = 0;
  TRect FDot;
  std::vector<Byte> FPattern;
  std::vector<std::unique_ptr<TBitmap>> FImages;
  std::unique_ptr<TBitmap> FMask;
  Integer FIndexes[128] = {};
};

// The shared instance, made and rendered on the first call.
TcxRadioButtonImageList* cxGetRadioButtonImageList();
// True when the shared instance exists (a colour change renders it again).
bool cxRadioButtonImageListExists();

// ---------------------------------------------------------------------------
// System colour changes. Every notifier is told through one hidden window
// that hears WM_SYSCOLORCHANGE: primary notifiers first (the painters' own,
// which renders the radio images again), each group from the last
// registered to the first, after the Office-2003 colours are recomputed.
class TcxSystemPaletteChangedNotifier : public TObject {
  TOVANI_CLASS(TcxSystemPaletteChangedNotifier, TObject)
 public:
  explicit TcxSystemPaletteChangedNotifier(bool AIsPrimary = false);
  ~TcxSystemPaletteChangedNotifier() override;
  virtual void NotifyPaletteChanged();
  bool IsPrimary() const { return FIsPrimary; }
  std::function<void()> OnPaletteChanged;

 private:
  bool FIsPrimary;
};

// The hidden window of the listener; null while no notifier exists.
HWND cxSystemPaletteChangedListenerWindow();

// ---------------------------------------------------------------------------
// Named style painters. Nothing in the program registers one, so a skin name
// never changes the painter; the lookup and the listeners are what the
// look-and-feels rely on.
class IcxStylePainterListener {
 public:
  virtual ~IcxStylePainterListener() = default;
  virtual void PainterChanged() = 0;
};

class TcxExtendedStylePainters : public TObject {
  TOVANI_CLASS(TcxExtendedStylePainters, TObject)
 public:
  // Adds or replaces a named painter and tells the listeners.
  void Register(const String& AName, TcxLookAndFeelPainterClass APainter);
  void Unregister(const String& AName);
  // The first painter whose name equals AName ignoring case.
  bool FindPainter(const String& AName, TcxLookAndFeelPainterClass& APainter) const;
  Integer Count() const { return Integer(FPainters.size()); }
  void AttachListener(IcxStylePainterListener* AListener);
  void DetachListener(IcxStylePainterListener* AListener);
  bool HasListener(IcxStylePainterListener* AListener) const;

 private:
  void NotifyListeners();
  std::vector<std::pair<String, TcxLookAndFeelPainterClass>> FPainters;
  std::vector<IcxStylePainterListener*> FListeners;
};

TcxExtendedStylePainters* cxStylePainterRegistry();
