// The Office-2003 painter: the ultra-flat structure in the scheme's colours.
#include "cxLookAndFeelPainters.h"
#include "cxLookAndFeelPaintersInternal.h"
#include "dxOffice11.h"

using namespace cxpainters;

TColor TcxOffice11LookAndFeelPainter::GetHeaderGradientEndColor() const { return Office2003HeaderEndColor(); }
TColor TcxOffice11LookAndFeelPainter::GetHeaderShadowColor() const { return Office2003HeaderShadowColor(); }
TColor TcxOffice11LookAndFeelPainter::GetHeaderLightColor() const { return Office2003HeaderLightEdgeColor(); }
TColor TcxOffice11LookAndFeelPainter::GetHeaderGradientStartColor() const {
  // dxMixColors(Office2003HeaderStartColor, Office2003HeaderEndColor, 50),
  // kept with the scheme's colours: every header cell asks for it.
  return dxOffice2003HeaderMiddleColor();
}

TColor TcxOffice11LookAndFeelPainter::GetSchedulerBorderColor() const { return Office2003DarkBorderColor(); }
TColor TcxOffice11LookAndFeelPainter::GetDateNavHeaderColor() const { return Office2003FaceColor(); }
TColor TcxOffice11LookAndFeelPainter::GetDateNavSelectionColor() const { return Office2003SelectionColor(); }
TColor TcxOffice11LookAndFeelPainter::GetFilterPanelColor() const { return Office2003PanelColor(); }
TColor TcxOffice11LookAndFeelPainter::GetFilterPanelTextColor() const { return Office2003PanelTextColor(); }
TColor TcxOffice11LookAndFeelPainter::GetFooterColor() const { return Office2003FaceColor(); }
TColor TcxOffice11LookAndFeelPainter::GetGroupRowColor() const { return Office2003GroupRowColor(); }
TColor TcxOffice11LookAndFeelPainter::GetGroupingPanelColor() const { return Office2003GroupingPanelColor(); }
TColor TcxOffice11LookAndFeelPainter::GetGroupingPanelTextColor() const { return Office2003HeaderStartColor(); }
TColor TcxOffice11LookAndFeelPainter::GetSchedulerControlColor() const { return Office2003ControlColor(); }
TColor TcxOffice11LookAndFeelPainter::GetTabColor() const { return Office2003LightFaceColor(); }
TColor TcxOffice11LookAndFeelPainter::GetTimeScaleColor() const { return Office2003FaceColor(); }

TColor TcxOffice11LookAndFeelPainter::GetDropDownButtonFrameColor(TcxButtonState AState) const {
  return AState == cxbsNormal ? GetHeaderShadowColor() : Office2003FocusFrameColor();
}

TColor TcxOffice11LookAndFeelPainter::GetHotFrameColor() const { return Office2003FocusFrameColor(); }

void TcxOffice11LookAndFeelPainter::PaintBorder(TcxCanvas* ACanvas, const TRect& R) const {
  ACanvas->DrawRectBorders(R, Office2003BorderColor(), 1, cxBordersAll);
}

TColor TcxOffice11LookAndFeelPainter::GetButtonFaceColor(TcxButtonState AState) const {
  switch (AState) {
    case cxbsHot: return Office2003HotColor();
    case cxbsPressed: return Office2003PressedColor();
    case cxbsDisabled: return clBtnFace;
    default: return Office2003FaceColor();
  }
}

TColor TcxOffice11LookAndFeelPainter::GetButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor) const {
  if (AState == cxbsPressed && !dxIsOffice2003SchemeActive()) return clHighlightText;
  if (AState == cxbsDisabled) return Office2003DisabledTextColor();
  return Office2003TextColor();
}

void TcxOffice11LookAndFeelPainter::PaintButtonBorder(TcxCanvas* ACanvas, const TRect& R,
                                                      TcxButtonState AState) const {
  if (AState == cxbsDefault) return TcxUltraFlatLookAndFeelPainter::PaintButtonBorder(ACanvas, R, AState);
  const TColor c = AState == cxbsNormal     ? clBtnText
                   : AState == cxbsDisabled ? Office2003DisabledTextColor()
                                            : Office2003FocusFrameColor();
  ACanvas->DrawRectBorders(R, c, 1, cxBordersAll);
}

void TcxOffice11LookAndFeelPainter::PaintExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                                      TColor AColor) const {
  TBitmap* image = dxOffice2003ExpandButtonBitmap(AExpanded);
  std::unique_ptr<TBitmap> own;
  if (!image) {
    // Painted while nothing holds the scheme's resources: take them for the
    // moment.
    dxAddRefOffice2003Colors();
    own = std::make_unique<TBitmap>();
    own->Assign(dxOffice2003ExpandButtonBitmap(AExpanded));
    dxReleaseOffice2003Colors();
    image = own.get();
  }
  // The corners are blended with what lies under them, so the button sits
  // on any background.
  TBitmap b;
  b.Assign(image);
  const TColor topLeft = TColor(ColorToRGB(ACanvas->Canvas()->Pixels(R.Left, R.Top)));
  const TColor bottomRight = TColor(ColorToRGB(ACanvas->Canvas()->Pixels(R.Right - 1, R.Bottom - 1)));
  const TColor corner = TColor(46 | 70 << 8 | 95 << 16);
  b.Canvas()->SetPixels(0, 0, dxMixColors(TColor(158 | 174 << 8 | 191 << 16), topLeft, 25));
  for (const TPoint p : {TPoint(10, 10), TPoint(0, 10), TPoint(10, 0)})
    b.Canvas()->SetPixels(p.X, p.Y, dxMixColors(corner, bottomRight, 25));
  ACanvas->Canvas()->Draw(R.Left, R.Top, &b);
}

TColor TcxOffice11LookAndFeelPainter::GetCheckBoxColor(TcxButtonState AState) const {
  if (AState == cxbsHot || AState == cxbsPressed || AState == cxbsDisabled) return GetButtonFaceColor(AState);
  return TcxUltraFlatLookAndFeelPainter::GetCheckBoxColor(AState);
}

void TcxOffice11LookAndFeelPainter::PaintHeader(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextBounds,
                                                TcxBorders ANeighbors, TcxBorders ABorders, TcxButtonState AState,
                                                TAlignment AAlignmentHorz, TcxVerticalAlignment AAlignmentVert,
                                                bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                                                TFont* AFont, TColor ATextColor, TColor ABackColor,
                                                const TcxDrawBackgroundEvent& AOnDrawBackground, bool AIsLast,
                                                bool AIsGroup) const {
  // The background is always the scheme's gradient, whatever the caller asks.
  TcxUltraFlatLookAndFeelPainter::PaintHeader(ACanvas, ABounds, ATextBounds, ANeighbors, ABorders, AState,
                                              AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis, AText,
                                              AFont, ATextColor, ABackColor, nullptr, AIsLast, AIsGroup);
}

void TcxOffice11LookAndFeelPainter::PaintHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors,
                                                      TcxBorders ABorders) const {
  const TColor c1 = GetHeaderGradientStartColor(), c2 = GetHeaderGradientEndColor();
  const TColor shadow = GetHeaderShadowColor(), light = GetHeaderLightColor();
  // Vertical lines run from their first row up to, not including, the last.
  auto column = [&](Integer x, Integer top, Integer bottom, TColor c) {
    if (bottom > top) ACanvas->FillRectColor(TRect(x, top, x + 1, bottom), c);
  };
  if (ABorders.Contains(bTop)) ACanvas->FillRectColor(TRect(R.Left, R.Top, R.Right, R.Top + 1), c1);
  if (ABorders.Contains(bBottom)) ACanvas->FillRectColor(TRect(R.Left, R.Bottom - 1, R.Right, R.Bottom), shadow);
  if (ABorders.Contains(bLeft)) {
    ACanvas->SetPixel(R.Left, R.Top + 1, c1);
    if (ANeighbors.Contains(bLeft)) {
      ACanvas->SetPixel(R.Left, R.Top + 2, c1);
      ACanvas->SetPixel(R.Left, R.Bottom - 3, dxMixColors(c1, c2, 25));
      ACanvas->SetPixel(R.Left, R.Bottom - 2, c2);
      column(R.Left, R.Top + 2, R.Bottom - 3, light);
    } else {
      ACanvas->SetPixel(R.Left, R.Bottom - 2, c2);
      column(R.Left, R.Top + 1, R.Bottom - 2, light);
    }
  }
  if (ABorders.Contains(bRight)) {
    const Integer x = R.Right - 1;
    if (ANeighbors.Contains(bRight)) {
      ACanvas->SetPixel(x, R.Top + 1, c1);
      ACanvas->SetPixel(x, R.Top + 2, c1);
      ACanvas->SetPixel(x, R.Bottom - 3, dxMixColors(c1, c2, 25));
      ACanvas->SetPixel(x, R.Bottom - 2, c2);
      column(x, R.Top + 2, R.Bottom - 3, shadow);
    } else {
      ACanvas->SetPixel(x, R.Top, dxMixColors(c1, shadow, 50));
      ACanvas->SetPixel(x, R.Bottom - 2, dxMixColors(c2, shadow, 50));
      column(x, R.Top + 1, R.Bottom - 2, shadow);
    }
  }
}

void TcxOffice11LookAndFeelPainter::PaintHeaderSection(TcxCanvas* ACanvas, const TRect& R, const TRect& ATextBounds,
                                                       TcxBorders ANeighbors, TcxBorders ABorders,
                                                       TcxButtonState AState, TAlignment AAlignmentHorz,
                                                       TcxVerticalAlignment AAlignmentVert, bool AMultiLine,
                                                       bool AShowEndEllipsis, const String& AText, TFont* AFont,
                                                       TColor ATextColor, TColor ABackColor) const {
  PaintHeader(ACanvas, R, ATextBounds, TcxBorders(), TcxBorders(), AState, AAlignmentHorz, AAlignmentVert,
              AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABackColor);
  if (AState == cxbsPressed) InvertHeaderRect(ACanvas, R);
}

void TcxOffice11LookAndFeelPainter::PaintSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending) const {
  DrawSortingMark(ACanvas, R, AAscending, GetHeaderLightColor(), GetHeaderShadowColor());
}

void TcxOffice11LookAndFeelPainter::PaintCellContent(TcxCanvas* ACanvas, const TRect& ABounds,
                                                     const TRect& ATextBounds, TcxButtonState AState,
                                                     TAlignment AAlignmentHorz, TcxVerticalAlignment AAlignmentVert,
                                                     bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                                                     TFont* AFont, TColor ATextColor, TColor ABackColor,
                                                     const TcxDrawBackgroundEvent& AOnDrawBackground,
                                                     bool AIsFooter) const {
  if (!AOnDrawBackground || !AOnDrawBackground(ACanvas, ABounds)) {
    const bool hot = AState == cxbsHot;
    const TColor top = hot ? Office2003HeaderStartColor() : GetHeaderGradientStartColor();
    const TColor bottom = hot ? Office2003HeaderStartColor() : GetHeaderGradientEndColor();
    if (AIsFooter) {
      ACanvas->FillRectColor(ABounds, top);
    } else {
      // A plain face with a gradient over its four bottom rows.
      ACanvas->FillRectColor(TRect(ABounds.Left, ABounds.Top, ABounds.Right, ABounds.Bottom - 3), top);
      dxPaintGradient(ACanvas->Handle(),
                      TRect(ABounds.Left, std::max(ABounds.Top, ABounds.Bottom - 4), ABounds.Right, ABounds.Bottom),
                      top, false, bottom);
    }
  }
  TcxUltraFlatLookAndFeelPainter::PaintCellContent(ACanvas, ABounds, ATextBounds, AState, AAlignmentHorz,
                                                   AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont,
                                                   ATextColor, ABackColor, [](TcxCanvas*, const TRect&) { return true; },
                                                   AIsFooter);
  if (AState == cxbsHot && !AIsFooter)
    dxPaintGradient(ACanvas->Handle(), TRect(ABounds.Left - 1, ABounds.Bottom - 2, ABounds.Right, ABounds.Bottom + 1),
                    Office2003HotColor(), false, Office2003HotEndColor());
}

void TcxOffice11LookAndFeelPainter::PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R,
                                                       TcxScrollBarPart APart, TcxButtonState AState) const {
  if (dxCanUseTheme(totScrollBar)) cxNativePainter()->PaintScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
  else cxStandardPainter()->PaintScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
}

void TcxOffice11LookAndFeelPainter::PaintSizeGrip(TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor) const {
  ACanvas->FillRectColor(R, ABackgroundColor);
  dxPaintOffice2003SizeGrip(ACanvas->Handle(), R);
}

void TcxOffice11LookAndFeelPainter::PaintNavigationButtonContent(TcxCanvas* ACanvas, const TRect& R,
                                                                 const TRect& AArrowRect, bool AIsNext,
                                                                 TcxButtonState AState) const {
  ACanvas->FillRectColor(R, AState == cxbsHot       ? Office2003HotColor()
                            : AState == cxbsPressed ? Office2003PressedColor()
                                                    : Office2003FaceColor());
  ACanvas->DrawRectBorders(R, Office2003DarkBorderColor(), 1, cxBordersAll);
  PaintNavigationArrow(ACanvas, AArrowRect, AIsNext, GetButtonSymbolColor(AState));
}

void TcxOffice11LookAndFeelPainter::PaintNavigatorButton(TcxCanvas* ACanvas, const TRect& R,
                                                         TcxButtonState AState) const {
  cxNativePainter()->PaintNavigatorButton(ACanvas, R, AState);
}

void TcxOffice11LookAndFeelPainter::PaintViewBorder(TcxCanvas* ACanvas, const TRect& R) const {
  ACanvas->DrawRectBorders(R, GetSchedulerBorderColor(), 1, cxBordersAll);
}

void TcxOffice11LookAndFeelPainter::PaintHeaderWithArrows(TcxCanvas* ACanvas, const TRect& R, const String& AText,
                                                          TcxBorders ANeighbors, const TcxViewParams& AViewParams,
                                                          Integer AArrows, Integer AOffset,
                                                          const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  if (!AOnDrawBackground || !AOnDrawBackground(ACanvas, R)) PaintViewParams(ACanvas, R, AViewParams);
  TcxCustomLookAndFeelPainter::PaintCellContent(ACanvas, R, R, cxbsNormal, taCenter, vaCenter, false, false, AText,
                                                AViewParams.Font, AViewParams.TextColor, AViewParams.Color,
                                                [](TcxCanvas*, const TRect&) { return true; });
  DrawHeaderArrows(ACanvas, R, AArrows, AOffset);
}

void TcxOffice11LookAndFeelPainter::PaintPanelBackground(TcxCanvas* ACanvas, TControl* AControl, const TRect& R,
                                                         TColor AColorFrom, TColor AColorTo) const {
  if (AColorFrom == clDefault) cxDrawParentImage(AControl, ACanvas, R);
  else if (AColorTo == clDefault) ACanvas->FillRectColor(R, AColorFrom);
  else dxPaintGradient(ACanvas->Handle(), R, AColorFrom, false, AColorTo);
}

TcxLookAndFeelPainterClass cxOffice11Painter() {
  static const TcxOffice11LookAndFeelPainter painter;
  return &painter;
}
