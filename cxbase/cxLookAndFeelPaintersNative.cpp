// The native painter: the desktop's visual styles through the theme
// manager's cached handles; every element whose style class does not open
// is drawn as the standard look (or, where said, another) draws it.
#include <algorithm>

#include "cxLookAndFeelPainters.h"
#include "cxLookAndFeelPaintersInternal.h"
#include "dxOffice11.h"

using namespace cxpainters;

namespace {
HTHEME ThemeOf(TdxThemeObjectKind AKind) { return dxOpenThemeHandle(AKind); }

void DrawThemed(HTHEME ATheme, TcxCanvas* C, Integer APart, Integer AState, const TRect& R) {
  dxUxTheme::DrawThemeBackground(ATheme, C->Handle(), APart, AState, R);
}

// The screen's DC for measuring theme parts without a canvas.
struct TScreenDC {
  HDC DC = GetDC(nullptr);
  ~TScreenDC() { ReleaseDC(nullptr, DC); }
};

// The content rectangle of a part inside a 100 x 100 rectangle.
bool ContentOf100(HTHEME ATheme, Integer APart, Integer AState, TRect& AContent) {
  TScreenDC dc;
  return SUCCEEDED(
      dxUxTheme::GetThemeBackgroundContentRect(ATheme, dc.DC, APart, AState, TRect(0, 0, 100, 100), AContent));
}

bool TrueSize(HTHEME ATheme, Integer APart, Integer AState, TSize& ASize, THEMESIZE AKind = TS_TRUE) {
  TScreenDC dc;
  return SUCCEEDED(dxUxTheme::GetThemePartSize(ATheme, dc.DC, APart, AState, nullptr, AKind, ASize));
}

Integer PushButtonState(TcxButtonState AState) {
  static const Integer states[] = {PBS_DEFAULTED, PBS_NORMAL, PBS_HOT, PBS_PRESSED, PBS_DISABLED};
  return states[AState];
}

// Close button, filter drop-down and tab: normal, normal, hot, pressed, disabled.
Integer ButtonLikeState(TcxButtonState AState) {
  static const Integer states[] = {1, 1, 2, 3, 4};
  return states[AState];
}

Integer HeaderItemState(TcxButtonState AState) {
  static const Integer states[] = {HIS_NORMAL, HIS_NORMAL, HIS_HOT, HIS_PRESSED, HIS_NORMAL};
  return states[AState];
}

// Unchecked 1..4 or checked 5..8 for normal, hot, pressed, disabled; the
// radio button's states run the same way.
Integer CheckState(bool AChecked, TcxButtonState AState) {
  static const Integer offsets[] = {0, 0, 1, 2, 3};
  return (AChecked ? 5 : 1) + offsets[AState];
}

Integer ScrollArrowState(TcxArrowPointing ADirection, TcxButtonState AState) {
  static const Integer offsets[] = {1, 1, 2, 3, 4};
  return 4 * Integer(ADirection) + offsets[AState];
}

TColor ThemeColor(HTHEME ATheme, Integer APart, Integer AState, Integer AProp, TColor AFallback) {
  COLORREF c = 0;
  if (!ATheme || FAILED(dxUxTheme::GetThemeColor(ATheme, APart, AState, AProp, c))) return AFallback;
  return TColor(c);
}
}  // namespace

void TcxWinXPLookAndFeelPainter::PaintNavigationButtonContent(TcxCanvas* ACanvas, const TRect& R,
                                                              const TRect& AArrowRect, bool AIsNext,
                                                              TcxButtonState AState) const {
  HTHEME theme = ThemeOf(totTab);
  if (!theme)
    return TcxCustomLookAndFeelPainter::PaintNavigationButtonContent(ACanvas, R, AArrowRect, AIsNext, AState);
  // The tab item is drawn turned by a quarter, toward the side the button
  // points to.
  TcxBitmap bmp(R.Right - R.Left, R.Bottom - R.Top);
  cxCopyRectBits(bmp.Canvas()->Handle(), ACanvas->Handle(), bmp.ImageRect(), SRCCOPY, R.TopLeft());
  bmp.RotateQuarter(AIsNext ? 2 : 1);
  dxUxTheme::DrawThemeBackground(theme, bmp.Canvas()->Handle(), TABP_TABITEM, ButtonLikeState(AState),
                                 bmp.ImageRect());
  bmp.RotateQuarter(AIsNext ? 1 : 2);
  ACanvas->Canvas()->Draw(R.Left, R.Top, &bmp);
  PaintNavigationArrow(ACanvas, AArrowRect, AIsNext, GetButtonSymbolColor(AState));
}

TColor TcxWinXPLookAndFeelPainter::GetSchedulerBorderColor() const {
  return ThemeColor(ThemeOf(totComboBox), CP_DROPDOWNBUTTON, 1, TMT_BORDERCOLOR,
                    TcxStandardLookAndFeelPainter::GetSchedulerBorderColor());
}

void TcxWinXPLookAndFeelPainter::PaintArrowButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                  TcxArrowPointing ADirection, bool ADrawBorder) const {
  HTHEME theme = ThemeOf(totScrollBar);
  if (!theme) return TcxCustomLookAndFeelPainter::PaintArrowButton(ACanvas, R, AState, ADirection, ADrawBorder);
  DrawThemed(theme, ACanvas, SBP_ARROWBTN, ScrollArrowState(ADirection, AState), R);
}

void TcxWinXPLookAndFeelPainter::PaintArrowButtonBorder(TcxCanvas* ACanvas, const TRect& R,
                                                        TcxButtonState AState) const {
  HTHEME theme = ThemeOf(totButton);
  if (!theme) return TcxCustomLookAndFeelPainter::PaintArrowButtonBorder(ACanvas, R, AState);
  DrawThemed(theme, ACanvas, BP_PUSHBUTTON, PushButtonState(AState), R);
}

Integer TcxWinXPLookAndFeelPainter::GetBorderWidth() const {
  return ThemeOf(totListView) ? 1 : TcxStandardLookAndFeelPainter::GetBorderWidth();
}

void TcxWinXPLookAndFeelPainter::PaintBorder(TcxCanvas* ACanvas, const TRect& R) const {
  HTHEME theme = ThemeOf(totListView);
  if (!theme) return TcxStandardLookAndFeelPainter::PaintBorder(ACanvas, R);
  // Only the one-pixel frame: the inside stays as the control drew it.
  ACanvas->PushDC();
  ACanvas->ExcludeFromClip(Shrunk(R));
  DrawThemed(theme, ACanvas, 5, 0, R);
  ACanvas->PopDC();
}

TRect TcxWinXPLookAndFeelPainter::CalcGroupButtonRect(const TRect& R, Integer AButtonCount,
                                                      Integer AButtonIndex) const {
  TRect r = TcxStandardLookAndFeelPainter::CalcGroupButtonRect(R, AButtonCount, AButtonIndex);
  HTHEME theme = ThemeOf(totButton);
  if (theme && dxUxTheme::IsThemeBackgroundPartiallyTransparent(theme, BP_PUSHBUTTON, PBS_NORMAL))
    r = cxInflatedRect(r, 1, 1);
  return r;
}

Integer TcxWinXPLookAndFeelPainter::GetButtonBorderWidth(TcxButtonState AState) const {
  TRect content;
  HTHEME theme = ThemeOf(totButton);
  if (theme && ContentOf100(theme, BP_PUSHBUTTON, PushButtonState(AState), content)) return content.Left;
  // The standard look draws the button then: its own widths hold.
  return TcxStandardLookAndFeelPainter::GetButtonBorderWidth(AState);
}

TColor TcxWinXPLookAndFeelPainter::GetButtonFaceColor(TcxButtonState AState) const {
  // The fill colour property of the push button; a visual style without one
  // leaves the classic face colour.
  return ThemeColor(ThemeOf(totButton), BP_PUSHBUTTON, PushButtonState(AState), TMT_FILLCOLOR, clBtnFace);
}

TRect TcxWinXPLookAndFeelPainter::CalcButtonFocusRect(TcxCanvas* ACanvas, const TRect& R) const {
  HTHEME theme = ThemeOf(totButton);
  TRect content;
  if (theme && SUCCEEDED(dxUxTheme::GetThemeBackgroundContentRect(theme, ACanvas->Handle(), BP_PUSHBUTTON,
                                                                  PBS_NORMAL, R, content)))
    return content;
  return TcxCustomLookAndFeelPainter::CalcButtonFocusRect(ACanvas, R);
}

TRect TcxWinXPLookAndFeelPainter::CalcGroupButtonBorders(Integer AButtonCount, Integer AButtonIndex) const {
  HTHEME theme = ThemeOf(totButton);
  TRect content;
  if (!theme || !ContentOf100(theme, BP_PUSHBUTTON, PBS_NORMAL, content))
    return TcxStandardLookAndFeelPainter::CalcGroupButtonBorders(AButtonCount, AButtonIndex);
  TRect r(content.Left, content.Top, 100 - content.Right, 100 - content.Bottom);
  if (dxUxTheme::IsThemeBackgroundPartiallyTransparent(theme, BP_PUSHBUTTON, PBS_NORMAL))
    r = TRect(r.Left - 1, r.Top - 1, r.Right - 1, r.Bottom - 1);
  return r;
}

TColor TcxWinXPLookAndFeelPainter::GetButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor) const {
  const TColor fallback = TcxStandardLookAndFeelPainter::GetButtonSymbolColor(AState, ADefaultColor);
  return ThemeColor(ThemeOf(totButton), BP_PUSHBUTTON, PushButtonState(AState), TMT_TEXTCOLOR, fallback);
}

void TcxWinXPLookAndFeelPainter::PaintButton(TcxCanvas* ACanvas, const TRect& R, const String& ACaption,
                                             TcxButtonState AState, bool ADrawBorder, TColor AFaceColor,
                                             TColor ATextColor, bool AWordWrap) const {
  if (!ThemeOf(totButton))
    return TcxStandardLookAndFeelPainter::PaintButton(ACanvas, R, ACaption, AState, ADrawBorder, AFaceColor,
                                                      ATextColor, AWordWrap);
  const Integer state = PushButtonState(AState);
  DrawThemed(ThemeOf(totButton), ACanvas, BP_PUSHBUTTON, state, R);
  if (!ACaption.empty())
    PaintThemeText(ACanvas, totButton, BP_PUSHBUTTON, state, R, R, taCenter, vaCenter, false, false, true, ACaption,
                   nullptr, clDefault, clDefault);
}

void TcxWinXPLookAndFeelPainter::PaintExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                                   TColor AColor) const {
  HTHEME theme = ThemeOf(totTreeView);
  if (!theme) return TcxStandardLookAndFeelPainter::PaintExpandButton(ACanvas, R, AExpanded, AColor);
  DrawThemed(theme, ACanvas, TVP_GLYPH, AExpanded ? GLPS_OPENED : GLPS_CLOSED, R);
  ACanvas->ExcludeFromClip(R);
}

void TcxWinXPLookAndFeelPainter::PaintGroupExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                                        TcxButtonState AState) const {
  HTHEME theme = ThemeOf(totExplorerBar);
  if (!theme) return TcxStandardLookAndFeelPainter::PaintGroupExpandButton(ACanvas, R, AExpanded, AState);
  // The default and disabled states have no theme state of their own: normal.
  const Integer state = AState == cxbsHot ? 2 : AState == cxbsPressed ? 3 : 1;
  DrawThemed(theme, ACanvas, AExpanded ? 6 : 7, state, R);
}

void TcxWinXPLookAndFeelPainter::PaintSmallExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                                        TColor ABorderColor, TColor AColor) const {
  if (ThemeOf(totTreeView)) return PaintExpandButton(ACanvas, R, AExpanded, clDefault);
  TcxCustomLookAndFeelPainter::PaintSmallExpandButton(ACanvas, R, AExpanded, ABorderColor, clDefault);
}

Integer TcxWinXPLookAndFeelPainter::CalcExpandButtonSize() const {
  TSize size;
  HTHEME theme = ThemeOf(totTreeView);
  if (theme && TrueSize(theme, TVP_GLYPH, GLPS_OPENED, size)) return size.cx;
  return TcxStandardLookAndFeelPainter::CalcExpandButtonSize();
}

Integer TcxWinXPLookAndFeelPainter::CalcGroupExpandButtonSize() const {
  TSize size;
  HTHEME theme = ThemeOf(totExplorerBar);
  if (theme && TrueSize(theme, 7, 1, size)) return size.cx;
  return TcxStandardLookAndFeelPainter::CalcGroupExpandButtonSize();
}

Integer TcxWinXPLookAndFeelPainter::CalcSmallExpandButtonSize() const {
  return ThemeOf(totTreeView) ? CalcExpandButtonSize() : TcxStandardLookAndFeelPainter::CalcSmallExpandButtonSize();
}

bool TcxWinXPLookAndFeelPainter::IsPointInGroupExpandButton(const TRect& R, TPoint P) const {
  HTHEME theme = ThemeOf(totExplorerBar);
  HRGN region = nullptr;
  TScreenDC dc;
  if (!theme || FAILED(dxUxTheme::GetThemeBackgroundRegion(theme, dc.DC, 7, 1, R, region)) || !region)
    return TcxStandardLookAndFeelPainter::IsPointInGroupExpandButton(R, P);
  const bool inside = PtInRegion(region, P.X, P.Y);
  DeleteObject(region);
  return inside;
}

Integer TcxWinXPLookAndFeelPainter::GetCheckBoxBorderWidth() const {
  return ThemeOf(totButton) ? 0 : TcxStandardLookAndFeelPainter::GetCheckBoxBorderWidth();
}

TSize TcxWinXPLookAndFeelPainter::CalcCheckBoxSize() const {
  TSize size;
  HTHEME theme = ThemeOf(totButton);
  if (theme && TrueSize(theme, BP_CHECKBOX, CBS_CHECKEDNORMAL, size)) return size;
  return TcxStandardLookAndFeelPainter::CalcCheckBoxSize();
}

void TcxWinXPLookAndFeelPainter::PaintCheckMark(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                bool AChecked, TColor AColor) const {
  HTHEME theme = ThemeOf(totButton);
  if (!theme) return TcxStandardLookAndFeelPainter::PaintCheckMark(ACanvas, R, AState, AChecked, AColor);
  // The whole themed box: the border and fill of the classic look vanish.
  DrawThemed(theme, ACanvas, BP_CHECKBOX, CheckState(AChecked, AState), R);
}

void TcxWinXPLookAndFeelPainter::PaintCheckBoxBorder(TcxCanvas* ACanvas, const TRect& R,
                                                     TcxButtonState AState) const {
  if (!ThemeOf(totButton)) TcxStandardLookAndFeelPainter::PaintCheckBoxBorder(ACanvas, R, AState);
}

void TcxWinXPLookAndFeelPainter::PaintRadioButton(TcxCanvas* ACanvas, Integer X, Integer Y, TcxButtonState AState,
                                                  bool AChecked, bool AFocused, TColor ABrushColor,
                                                  bool AIsDesigning) const {
  HTHEME theme = ThemeOf(totButton);
  if (!theme)
    return TcxStandardLookAndFeelPainter::PaintRadioButton(ACanvas, X, Y, AState, AChecked, AFocused, ABrushColor,
                                                           AIsDesigning);
  const TSize size = CalcRadioButtonSize();
  const TRect r(X, Y, X + size.cx, Y + size.cy);
  if (ABrushColor != clDefault && ABrushColor != clNone) ACanvas->FillRectColor(r, ABrushColor);
  DrawThemed(theme, ACanvas, BP_RADIOBUTTON, CheckState(AChecked, AState), r);
}

TSize TcxWinXPLookAndFeelPainter::CalcRadioButtonSize() const {
  TSize size;
  HTHEME theme = ThemeOf(totButton);
  if (theme && TrueSize(theme, BP_RADIOBUTTON, RBS_UNCHECKEDNORMAL, size)) return size;
  return TcxStandardLookAndFeelPainter::CalcRadioButtonSize();
}

void TcxWinXPLookAndFeelPainter::PaintHeader(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextBounds,
                                             TcxBorders ANeighbors, TcxBorders ABorders, TcxButtonState AState,
                                             TAlignment AAlignmentHorz, TcxVerticalAlignment AAlignmentVert,
                                             bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                                             TFont* AFont, TColor ATextColor, TColor ABackColor,
                                             const TcxDrawBackgroundEvent& AOnDrawBackground, bool AIsLast,
                                             bool AIsGroup) const {
  HTHEME theme = ThemeOf(totHeader);
  if (!theme)
    return TcxStandardLookAndFeelPainter::PaintHeader(ACanvas, ABounds, ATextBounds, ANeighbors, ABorders, AState,
                                                      AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis,
                                                      AText, AFont, ATextColor, ABackColor, AOnDrawBackground,
                                                      AIsLast, AIsGroup);
  const Integer state = HeaderItemState(AState);
  const Integer scheme = dxOffice2003Scheme();
  const Integer part =
      AIsLast && state == HIS_NORMAL && (scheme == 1 || scheme == 2) ? HP_HEADERITEMRIGHT : HP_HEADERITEM;
  DrawThemed(theme, ACanvas, part, state, ABounds);
  const TRect textRect = AState == cxbsPressed ? cxShiftedRect(ATextBounds, 1, 1) : ATextBounds;
  PaintThemeText(ACanvas, totHeader, part, state, ABounds, textRect, AAlignmentHorz, AAlignmentVert, AMultiLine,
                 AShowEndEllipsis, false, AText, AFont, ATextColor, ABackColor);
}

void TcxWinXPLookAndFeelPainter::PaintHeaderSection(TcxCanvas* ACanvas, const TRect& R, const TRect& ATextBounds,
                                                    TcxBorders ANeighbors, TcxBorders ABorders,
                                                    TcxButtonState AState, TAlignment AAlignmentHorz,
                                                    TcxVerticalAlignment AAlignmentVert, bool AMultiLine,
                                                    bool AShowEndEllipsis, const String& AText, TFont* AFont,
                                                    TColor ATextColor, TColor ABackColor) const {
  ACanvas->FillRectColor(R, clBtnFace);
  PaintHeader(ACanvas, R, ATextBounds, TcxBorders(), TcxBorders(), AState, AAlignmentHorz, AAlignmentVert,
              AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABackColor);
}

void TcxWinXPLookAndFeelPainter::PaintSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending) const {
  cxUltraFlatPainter()->PaintSortingMark(ACanvas, R, AAscending);
}

Integer TcxWinXPLookAndFeelPainter::GetHeaderBorderWidth() const {
  TRect content;
  HTHEME theme = ThemeOf(totHeader);
  if (theme && ContentOf100(theme, HP_HEADERITEM, HIS_NORMAL, content)) return (content.Left + content.Top) / 2;
  return TcxStandardLookAndFeelPainter::GetHeaderBorderWidth();
}

TRect TcxWinXPLookAndFeelPainter::CalcHeaderSectionContentRect(const TRect& R, TcxButtonState AState) const {
  if (!ThemeOf(totHeader)) return TcxStandardLookAndFeelPainter::CalcHeaderSectionContentRect(R, AState);
  const Integer b = GetHeaderBorderWidth();
  return cxInflatedRect(R, -b, -b);
}

void TcxWinXPLookAndFeelPainter::PaintFooterCell(TcxCanvas* ACanvas, const TRect& R, TAlignment AAlignmentHorz,
                                                 TcxVerticalAlignment AAlignmentVert, bool AMultiLine,
                                                 const String& AText, TFont* AFont, TColor ATextColor,
                                                 TColor ABackColor,
                                                 const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  HTHEME theme = ThemeOf(totTrackBar);
  if (!theme)
    return TcxStandardLookAndFeelPainter::PaintFooterCell(ACanvas, R, AAlignmentHorz, AAlignmentVert, AMultiLine,
                                                          AText, AFont, ATextColor, ABackColor, AOnDrawBackground);
  DrawThemed(theme, ACanvas, TKP_TRACK, 1, R);
  PaintThemeText(ACanvas, totTrackBar, TKP_TRACK, 1, R, CalcFooterCellTextRect(R), AAlignmentHorz, AAlignmentVert,
                 AMultiLine, false, false, AText, AFont, ATextColor, ABackColor);
}

Integer TcxWinXPLookAndFeelPainter::GetFooterBorderWidth() const {
  return ThemeOf(totEdit) ? 1 : TcxStandardLookAndFeelPainter::GetFooterBorderWidth();
}

Integer TcxWinXPLookAndFeelPainter::GetFooterCellBorderWidth() const {
  TRect content;
  HTHEME theme = ThemeOf(totTrackBar);
  if (theme && ContentOf100(theme, TKP_TRACK, 1, content)) return content.Left;
  return TcxStandardLookAndFeelPainter::GetFooterCellBorderWidth();
}

void TcxWinXPLookAndFeelPainter::PaintFooterBorder(TcxCanvas* ACanvas, const TRect& R) const {
  HTHEME theme = ThemeOf(totEdit);
  if (!theme) return TcxStandardLookAndFeelPainter::PaintFooterBorder(ACanvas, R);
  dxUxTheme::DrawThemeEdge(theme, ACanvas->Handle(), 0, 0, R, BDR_RAISEDINNER, BF_RECT);
}

void TcxWinXPLookAndFeelPainter::PaintFilterCloseButton(TcxCanvas* ACanvas, const TRect& R,
                                                        TcxButtonState AState) const {
  HTHEME theme = ThemeOf(totWindow);
  if (!theme) return TcxStandardLookAndFeelPainter::PaintFilterCloseButton(ACanvas, R, AState);
  DrawThemed(theme, ACanvas, WP_SMALLCLOSEBUTTON, ButtonLikeState(AState), R);
}

void TcxWinXPLookAndFeelPainter::PaintFilterDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                           bool AIsFilterActive) const {
  HTHEME theme = ThemeOf(totComboBox);
  if (!theme) return TcxStandardLookAndFeelPainter::PaintFilterDropDownButton(ACanvas, R, AState, AIsFilterActive);
  DrawThemed(theme, ACanvas, CP_DROPDOWNBUTTON, ButtonLikeState(AState), R);
}

TPoint TcxWinXPLookAndFeelPainter::CalcFilterActivateButtonSize() const {
  TSize size;
  HTHEME theme = ThemeOf(totButton);
  if (theme && TrueSize(theme, BP_CHECKBOX, CBS_CHECKEDNORMAL, size)) return TPoint(size.cx, size.cy);
  return TcxStandardLookAndFeelPainter::CalcFilterActivateButtonSize();
}

TPoint TcxWinXPLookAndFeelPainter::CalcFilterCloseButtonSize() const {
  TSize size;
  HTHEME theme = ThemeOf(totWindow);
  if (theme && TrueSize(theme, WP_SMALLCLOSEBUTTON, 1, size)) return TPoint(size.cx + 4, size.cy + 4);
  return TcxStandardLookAndFeelPainter::CalcFilterCloseButtonSize();
}

void TcxWinXPLookAndFeelPainter::PaintTab(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                          const String& AText, TcxButtonState AState, bool AVertical, TFont* AFont,
                                          TColor ATextColor, TColor ABackColor, bool AShowPrefix) const {
  HTHEME theme = ThemeOf(totTab);
  if (!theme)
    return TcxStandardLookAndFeelPainter::PaintTab(ACanvas, R, ABorders, AText, AState, AVertical, AFont, ATextColor,
                                                   ABackColor, AShowPrefix);
  const Integer state = ButtonLikeState(AState);
  if (!AVertical) {
    DrawThemed(theme, ACanvas, TABP_TABITEM, state, R);
  } else {
    // Vertical tabs: the item drawn on its side in a 32-bit bitmap.
    TcxBitmap bmp(R.Bottom - R.Top, R.Right - R.Left);
    bmp.cxCanvas()->FillRectColor(bmp.ImageRect(), ABackColor == clDefault ? clBtnFace : ABackColor);
    dxUxTheme::DrawThemeBackground(theme, bmp.Canvas()->Handle(), TABP_TABITEM, state, bmp.ImageRect());
    bmp.RotateQuarter(1);
    ACanvas->Canvas()->Draw(R.Left, R.Top, &bmp);
  }
  PaintThemeText(ACanvas, totTab, TABP_TABITEM, state, R, R, taCenter, vaCenter, false, false, AShowPrefix, AText,
                 AFont, ATextColor, ABackColor);
}

void TcxWinXPLookAndFeelPainter::PaintTabBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorder ASide,
                                                TcxBorders ABorders, bool AVertical) const {
  if (!ThemeOf(totTab)) TcxStandardLookAndFeelPainter::PaintTabBorder(ACanvas, R, ASide, ABorders, AVertical);
}

void TcxWinXPLookAndFeelPainter::PaintTabsRoot(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                               bool AVertical) const {
  HTHEME theme = ThemeOf(totTab);
  if (!theme) return TcxStandardLookAndFeelPainter::PaintTabsRoot(ACanvas, R, ABorders, AVertical);
  // The pane reaches 10 pixels past the tabs' side so its edge there is cut off.
  const TRect pane = AVertical ? cxInflatedRectSides(R, 10, 0, 0, 0) : cxInflatedRectSides(R, 0, 10, 0, 0);
  dxUxTheme::DrawThemeBackground(theme, ACanvas->Handle(), TABP_PANE, 0, pane, &R);
}

bool TcxWinXPLookAndFeelPainter::IsTabPaintingSupported(bool AVertical) const { return ThemeOf(totTab) != nullptr; }
bool TcxWinXPLookAndFeelPainter::HasHotTrackTabs(bool AVertical) const { return ThemeOf(totTab) != nullptr; }
Integer TcxWinXPLookAndFeelPainter::GetTabBorderWidth(bool AVertical) const {
  return ThemeOf(totTab) ? 1 : TcxStandardLookAndFeelPainter::GetTabBorderWidth(AVertical);
}

void TcxWinXPLookAndFeelPainter::PaintIndicatorCell(TcxCanvas* ACanvas, const TRect& R, Integer AKind,
                                                    TColor ABackColor,
                                                    const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  cxFlatPainter()->PaintIndicatorCell(ACanvas, R, AKind, ABackColor, AOnDrawBackground);
}

Integer TcxWinXPLookAndFeelPainter::CalcScrollBarMinThumbSize(bool AVertical) const {
  HTHEME theme = ThemeOf(totScrollBar);
  if (!theme) return 8;
  const Integer part = AVertical ? SBP_GRIPPERHORZ : SBP_GRIPPERVERT;
  TSize minSize, trueSize;
  if (!TrueSize(theme, part, 0, minSize, TS_MIN)) return 8;
  const Integer minExtent = AVertical ? minSize.cy : minSize.cx;
  if (!TrueSize(theme, part, 0, trueSize)) return std::max<Integer>(8, minExtent);
  const Integer trueExtent = AVertical ? trueSize.cy : trueSize.cx;
  return std::max<Integer>(8, std::max<Integer>(trueExtent, minExtent + 4));
}

void TcxWinXPLookAndFeelPainter::PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R,
                                                    TcxScrollBarPart APart, TcxButtonState AState) const {
  HTHEME theme = ThemeOf(totScrollBar);
  if (!theme) return TcxStandardLookAndFeelPainter::PaintScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
  if (IsRectEmpty(R)) return;
  static const Integer trackStates[] = {SCRBS_NORMAL, SCRBS_NORMAL, SCRBS_HOT, SCRBS_PRESSED, SCRBS_DISABLED};
  switch (APart) {
    case sbpLineUp:
    case sbpLineDown:
      PaintArrowButton(ACanvas, R, AState, ScrollArrowDirection(AHorizontal, APart), true);
      break;
    case sbpThumbnail:
      DrawThemed(theme, ACanvas, AHorizontal ? SBP_THUMBBTNHORZ : SBP_THUMBBTNVERT, trackStates[AState], R);
      DrawThemed(theme, ACanvas, AHorizontal ? SBP_GRIPPERHORZ : SBP_GRIPPERVERT, 0, R);
      break;
    case sbpPageUp:
    case sbpPageDown: {
      const bool before = APart == sbpPageUp;
      const Integer part = AHorizontal ? (before ? SBP_UPPERTRACKHORZ : SBP_LOWERTRACKHORZ)
                                       : (before ? SBP_UPPERTRACKVERT : SBP_LOWERTRACKVERT);
      DrawThemed(theme, ACanvas, part, trackStates[AState], R);
      break;
    }
    default:
      TcxStandardLookAndFeelPainter::PaintScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
      break;
  }
}

void TcxWinXPLookAndFeelPainter::PaintHeaderWithArrows(TcxCanvas* ACanvas, const TRect& R, const String& AText,
                                                       TcxBorders ANeighbors, const TcxViewParams& AViewParams,
                                                       Integer AArrows, Integer AOffset,
                                                       const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  PaintHeader(ACanvas, R, R, ANeighbors, CalcHeaderBorders(ANeighbors), cxbsNormal, taCenter, vaCenter, false, false,
              AText, AViewParams.Font, AViewParams.TextColor, AViewParams.Color, AOnDrawBackground,
              !ANeighbors.Contains(bRight));
  DrawHeaderArrows(ACanvas, R, AArrows, AOffset);
}

void TcxWinXPLookAndFeelPainter::PaintProgressBar(TcxCanvas* ACanvas, const TRect& R, const TRect& AProgressRect,
                                                  const TcxViewParams& AViewParams, bool AFlat) const {
  HTHEME theme = ThemeOf(totProgress);
  if (!theme) return TcxStandardLookAndFeelPainter::PaintProgressBar(ACanvas, R, AProgressRect, AViewParams, AFlat);
  DrawThemed(theme, ACanvas, PP_BAR, 1, R);
  DrawThemed(theme, ACanvas, PP_CHUNK, 1, AProgressRect);
}

void TcxWinXPLookAndFeelPainter::PaintNavigatorButton(TcxCanvas* ACanvas, const TRect& R,
                                                      TcxButtonState AState) const {
  HTHEME theme = ThemeOf(totToolBar);
  if (!theme) return TcxStandardLookAndFeelPainter::PaintNavigatorButton(ACanvas, R, AState);
  static const Integer states[] = {2, 2, 5, 3, 4};
  DrawThemed(theme, ACanvas, TP_BUTTON, states[AState], R);
}

void TcxWinXPLookAndFeelPainter::PaintSplitterBorder(TcxCanvas* ACanvas, const TRect& ARect,
                                                     const TcxViewParams& AViewParams, bool AHorizontal) const {
  if (!dxVisualStylesEnabled(dxThemeKindBit(totComboBox) | dxThemeKindBit(totListView)))
    return TcxStandardLookAndFeelPainter::PaintSplitterBorder(ACanvas, ARect, AViewParams, AHorizontal);
  const TColor c = GetSchedulerBorderColor();
  TRect R = ARect;
  if (AHorizontal) {
    ACanvas->FillRectColor(TRect(R.Left, R.Top, R.Right, R.Top + 1), c);
    ACanvas->FillRectColor(TRect(R.Left, R.Bottom - 1, R.Right, R.Bottom), c);
    R = cxInflatedRect(R, 1, -1);
  } else {
    ACanvas->FillRectColor(TRect(R.Left, R.Top, R.Left + 1, R.Bottom), c);
    ACanvas->FillRectColor(TRect(R.Right - 1, R.Top, R.Right, R.Bottom), c);
    R = cxInflatedRect(R, -1, 1);
  }
  PaintViewParams(ACanvas, R, AViewParams);
}

void TcxWinXPLookAndFeelPainter::PaintSizeGrip(TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor) const {
  HTHEME theme = ThemeOf(totScrollBar);
  if (!theme) return TcxStandardLookAndFeelPainter::PaintSizeGrip(ACanvas, R, ABackgroundColor);
  ACanvas->FillRectColor(R, ABackgroundColor);
  DrawThemed(theme, ACanvas, SBP_SIZEBOX, SZB_RIGHTALIGN, R);
}

void TcxWinXPLookAndFeelPainter::PaintPanelBackground(TcxCanvas* ACanvas, TControl* AControl, const TRect& R,
                                                      TColor AColorFrom, TColor AColorTo) const {
  if (AColorFrom == clDefault) cxDrawParentImage(AControl, ACanvas, R);
  else ACanvas->FillRectColor(R, AColorFrom);
}

void TcxWinXPLookAndFeelPainter::PaintThemeText(TcxCanvas* ACanvas, TdxThemeObjectKind ATheme, Integer APart,
                                                Integer AState, const TRect& ABounds, const TRect& ATextRect,
                                                TAlignment AAlignmentHorz, TcxVerticalAlignment AAlignmentVert,
                                                bool AMultiLine, bool AShowEndEllipsis, bool AShowPrefix,
                                                const String& AText, TFont* AFont, TColor ATextColor,
                                                TColor ABackColor) const {
  HTHEME theme = ThemeOf(ATheme);
  if (AText.empty() || !theme) return;
  if (AFont) ACanvas->SetFont(AFont);
  if (ATextColor != clDefault && ATextColor != clNone) ACanvas->Font()->SetColor(ATextColor);
  TRect r = ATextRect;
  if (AMultiLine) ACanvas->MeasureTextRect(AText, r, TextFlags(AAlignmentHorz, AAlignmentVert, true, false));
  DWORD flags = AAlignmentHorz == taRightJustify ? DT_RIGHT : AAlignmentHorz == taCenter ? DT_CENTER : DT_LEFT;
  flags |= AAlignmentVert == vaBottom ? DT_BOTTOM : AAlignmentVert == vaCenter ? DT_VCENTER : DT_TOP;
  flags |= (AMultiLine ? DT_WORDBREAK : DT_SINGLELINE) | DT_EDITCONTROL;
  if (AShowEndEllipsis) flags |= DT_END_ELLIPSIS;
  if (!AShowPrefix) flags |= DT_NOPREFIX;
  // The canvas's font must be in the DC before the theme draws with it.
  ACanvas->Handle();
  dxUxTheme::DrawThemeText(theme, ACanvas->Handle(), APart, AState, AText, flags, 0, r);
}

TcxLookAndFeelPainterClass cxNativePainter() {
  static const TcxWinXPLookAndFeelPainter painter;
  return &painter;
}
