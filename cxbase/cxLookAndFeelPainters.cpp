#include "cxLookAndFeelPainters.h"

#include <memory>

TcxLookAndFeelKind cxKindOfPainterStyle(TcxPainterStyle AStyle) {
  switch (AStyle) {
    case pstFlat: return lfFlat;
    case pstUltraFlat: return lfUltraFlat;
    case pstOffice11: return lfOffice11;
    default: return lfStandard;
  }
}

namespace {
// Rounds half away from zero, as MulDiv(a + b, 1, 2) does.
Integer MidOf(Integer a, Integer b) {
  const Integer s = a + b;
  return s >= 0 ? (s + 1) / 2 : -((-s + 1) / 2);
}

Cardinal TextFlags(TAlignment AHorz, TcxVerticalAlignment AVert, bool AMultiLine, bool AShowEndEllipsis) {
  Cardinal f = AHorz == taRightJustify ? cxtfRight : AHorz == taCenter ? cxtfHCenter : cxtfLeft;
  f |= AVert == vaBottom ? cxtfBottom : AVert == vaCenter ? cxtfVCenter : cxtfTop;
  f |= AMultiLine ? cxtfWordBreak : cxtfSingleLine;
  if (AShowEndEllipsis) f |= cxtfEndEllipsis;
  return f;
}

void SetPenColor(TcxCanvas* C, TColor AColor) {
  C->Pen()->SetStyle(psSolid);
  C->Pen()->SetColor(AColor);
}
}  // namespace

TSize TcxCustomLookAndFeelPainter::CalcScrollBarSize() const {
  return TSize(GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL));
}

void TcxCustomLookAndFeelPainter::PaintBackground(TcxCanvas* ACanvas, const TRect& R, bool ATransparent,
                                                  TColor ABackgroundColor, TBitmap* ABitmap) const {
  if (!ATransparent) {
    ACanvas->SetBrushColor(ABackgroundColor);
    ACanvas->FillRectangle(R);
  } else if (ABitmap) {
    ACanvas->FillRectangle(R, ABitmap);
  }
}

void TcxCustomLookAndFeelPainter::PaintDropDownGlyph(TcxCanvas* ACanvas, const TRect& R, TColor AColor) const {
  Integer w = (R.Right - R.Left) / 2;
  if (w % 2 == 0) ++w;
  const Integer d = w / 2 + 1;
  const Integer x = (R.Left + R.Right - w) / 2, y = MidOf(R.Top, R.Bottom - d);
  const TPoint p[3] = {TPoint(x, y), TPoint(x + w - 1, y), TPoint(x + w / 2, y + d - 1)};
  ACanvas->SetBrushColor(AColor);
  ACanvas->Brush()->SetStyle(bsSolid);
  SetPenColor(ACanvas, AColor);
  ACanvas->DrawPolygon(p, 3);
}

void TcxCustomLookAndFeelPainter::PaintCellContent(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextBounds,
                                                   TcxButtonState AState, TAlignment AAlignmentHorz,
                                                   TcxVerticalAlignment AAlignmentVert, bool AMultiLine,
                                                   bool AShowEndEllipsis, const String& AText, TFont* AFont,
                                                   TColor ATextColor, TColor ABackColor,
                                                   const TcxDrawBackgroundEvent& AOnDrawBackground,
                                                   bool AIsFooter) const {
  if (!AOnDrawBackground || !AOnDrawBackground(ACanvas, ABounds)) ACanvas->FillRectColor(ABounds, ABackColor);
  if (AText.empty()) return;
  ACanvas->Brush()->SetStyle(bsClear);
  if (AFont) ACanvas->SetFont(AFont);
  if (ATextColor != clDefault && ATextColor != clNone) ACanvas->Font()->SetColor(ATextColor);
  ACanvas->PaintText(AText, ATextBounds, TextFlags(AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis));
  ACanvas->Brush()->SetStyle(bsSolid);
}

TcxArrowPoints TcxCustomLookAndFeelPainter::CalcArrowTriangle(const TRect& ARect, TcxArrowPointing ADirection,
                                                              bool AProportional, Integer AArrowSize) {
  TRect R = ARect;
  if (AProportional) {
    const Integer w = R.Right - R.Left, h = R.Bottom - R.Top;
    if (w > h) R = cxInflatedRect(R, -(w - h) / 2, 0);
    else if (h > w) R = cxInflatedRect(R, 0, -(h - w) / 2);
  }
  const bool vertical = ADirection == apUp || ADirection == apDown;
  const Integer n = AArrowSize ? AArrowSize : ((vertical ? R.Right - R.Left : R.Bottom - R.Top) - 1) / 4 + 1;
  const Integer w = 2 * n - 1;
  TcxArrowPoints p;
  switch (ADirection) {
    case apUp: {
      const Integer y0 = MidOf(R.Top, R.Bottom - n);
      p[0] = TPoint((R.Left + R.Right - w) / 2, y0 + n - 1);
      p[1] = TPoint((R.Left + R.Right - 1) / 2, y0);
      p[2] = TPoint(p[0].X + w - 1, p[0].Y);
      break;
    }
    case apDown: {
      const Integer y0 = MidOf(R.Top, R.Bottom - n);
      p[2] = TPoint((R.Left + R.Right - w) / 2, y0);
      p[0] = TPoint(p[2].X + w - 1, y0);
      p[1] = TPoint((R.Left + R.Right - 1) / 2, y0 + n - 1);
      break;
    }
    case apLeft: {
      const Integer y0 = MidOf(R.Top, R.Bottom - w);
      p[1] = TPoint((R.Left + R.Right - n) / 2, (R.Top + R.Bottom) / 2);
      p[2] = TPoint(p[1].X + n - 1, y0);
      p[0] = TPoint(p[2].X, y0 + w - 1);
      break;
    }
    case apRight: {
      const Integer y0 = MidOf(R.Top, R.Bottom - w);
      p[0] = TPoint((R.Left + R.Right - n) / 2, y0);
      p[1] = TPoint(p[0].X + n - 1, (R.Top + R.Bottom) / 2);
      p[2] = TPoint(p[0].X, y0 + w - 1);
      break;
    }
  }
  return p;
}

namespace {
void FillTriangle(TcxCanvas* C, const TcxArrowPoints& p, TColor AColor) {
  C->Brush()->SetStyle(bsSolid);
  C->SetBrushColor(AColor);
  SetPenColor(C, AColor);
  C->DrawPolygon(p.data(), 3);
}
}  // namespace

void TcxCustomLookAndFeelPainter::PaintArrow(TcxCanvas* ACanvas, const TRect& R, TcxArrowPointing ADirection,
                                             TColor AColor) const {
  FillTriangle(ACanvas, CalcArrowTriangle(R, ADirection, true), AColor);
}

void TcxCustomLookAndFeelPainter::PaintArrowButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                   TcxArrowPointing ADirection, bool ADrawBorder) const {
  if (ADrawBorder) PaintArrowButtonBorder(ACanvas, R, AState);
  else ACanvas->FillRectColor(R, GetButtonFaceColor(AState));
  FillTriangle(ACanvas, CalcArrowTriangle(R, ADirection, false), GetButtonSymbolColor(AState));
}

void TcxCustomLookAndFeelPainter::PaintArrowButtonBorder(TcxCanvas* ACanvas, const TRect& R,
                                                         TcxButtonState AState) const {
  ACanvas->FillRectColor(R, GetButtonFaceColor(AState));
  PaintButtonBorder(ACanvas, R, AState);
}

void TcxCustomLookAndFeelPainter::PaintStateArrow(TcxCanvas* ACanvas, const TRect& ARect, TcxButtonState AState,
                                                  TcxArrowPointing ADirection) const {
  TRect R = ARect;
  if (AState == cxbsPressed) R = cxShiftedRect(R, GetButtonTextShift(), GetButtonTextShift());
  if (AState == cxbsDisabled) {
    PaintArrow(ACanvas, cxShiftedRect(R, 1, 1), ADirection, clBtnHighlight);
    PaintArrow(ACanvas, R, ADirection, clBtnShadow);
  } else {
    PaintArrow(ACanvas, R, ADirection, GetButtonSymbolColor(AState));
  }
}

TRect TcxCustomLookAndFeelPainter::CalcButtonFocusRect(TcxCanvas* ACanvas, const TRect& R) const {
  TRect r = cxInflatedRect(R, -4, -4);
  return IsRectEmpty(r) ? R : r;
}

TColor TcxCustomLookAndFeelPainter::GetButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor) const {
  if (AState == cxbsDisabled) return clBtnShadow;
  return ADefaultColor == clDefault ? clBtnText : ADefaultColor;
}

void TcxCustomLookAndFeelPainter::PaintButton(TcxCanvas* ACanvas, const TRect& ARect, const String& ACaption,
                                              TcxButtonState AState, bool ADrawBorder, TColor AFaceColor,
                                              TColor ATextColor, bool AWordWrap) const {
  TRect R = ARect;
  if (ADrawBorder) {
    PaintButtonBorder(ACanvas, R, AState);
    R = cxInflatedRect(R, -GetButtonBorderWidth(AState), -GetButtonBorderWidth(AState));
  }
  ACanvas->FillRectColor(R, AFaceColor == clDefault ? GetButtonFaceColor(AState) : AFaceColor);
  ACanvas->Font()->SetColor(ATextColor == clDefault ? GetButtonSymbolColor(AState) : ATextColor);
  ACanvas->Brush()->SetStyle(bsClear);
  // Captions of odd-height buttons sit on the even height below them, and
  // low buttons get one more pixel on top to keep the text centred.
  if ((R.Bottom - R.Top) % 2) --R.Bottom;
  if (R.Bottom - R.Top < 18) --R.Top;
  if (AState == cxbsPressed) R = cxShiftedRect(R, GetButtonTextShift(), GetButtonTextShift());
  if (!ACaption.empty())
    ACanvas->PaintText(ACaption, R, cxtfHCenter | cxtfVCenter | cxtfShowPrefix | (AWordWrap ? cxtfWordBreak : cxtfSingleLine),
                       AState != cxbsDisabled);
  ACanvas->Brush()->SetStyle(bsSolid);
}

void TcxCustomLookAndFeelPainter::DrawExpandCross(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) {
  const Integer cx = (R.Left + R.Right - 1) / 2, cy = (R.Top + R.Bottom - 1) / 2;
  const Integer half = (R.Right - R.Left - 4) / 2;
  if (half < 0) return;
  ACanvas->FillRectColor(TRect(cx - half, cy, cx + half + 1, cy + 1), AColor);
  if (!AExpanded) ACanvas->FillRectColor(TRect(cx, cy - half, cx + 1, cy + half + 1), AColor);
}

void TcxCustomLookAndFeelPainter::PaintGroupExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                                         TcxButtonState AState) const {
  PaintButton(ACanvas, R, String(), AState);
  // A double chevron: two pairs of one-pixel V's, three pixels deep,
  // pointing up when expanded and down when collapsed.
  const TColor c = GetButtonSymbolColor(AState);
  const Integer cx = (R.Left + R.Right - 1) / 2;
  const Integer y0 = (R.Top + R.Bottom - 8) / 2;
  for (Integer row : {0, 1, 4, 5})
    for (Integer k = -2; k <= 2; ++k) {
      const Integer depth = k < 0 ? -k : k;
      ACanvas->SetPixel(cx + k, y0 + row + (AExpanded ? depth : 2 - depth), c);
    }
}

void TcxCustomLookAndFeelPainter::PaintSmallExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                                         TColor ABorderColor, TColor AColor) const {
  ACanvas->DrawRectBorders(R, ABorderColor, 1, cxBordersAll);
  if (AColor != clDefault) ACanvas->FillRectColor(cxInflatedRect(R, -1, -1), AColor);
  DrawExpandCross(ACanvas, R, AExpanded, clBtnText);
}

TColor TcxCustomLookAndFeelPainter::GetCheckBoxColor(TcxButtonState AState) const {
  return AState == cxbsPressed || AState == cxbsDisabled ? clBtnFace : clWindow;
}

void TcxCustomLookAndFeelPainter::PaintCheckMark(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                 bool AChecked, TColor AColor) const {
  if (ACanvas->Brush()->Style() == bsSolid) ACanvas->FillRectColor(R, GetCheckBoxColor(AState));
  if (!AChecked) return;
  const Integer sw = R.Right - R.Left - 2, sh = R.Bottom - R.Top - 4;
  const Integer cx = (R.Left + R.Right) / 2 - 1;
  SetPenColor(ACanvas, AColor);
  for (Integer k = 0; k < 3; ++k) {
    const Integer y = (R.Top + R.Bottom + sh) / 2 - 2 + k;
    const TPoint p[3] = {TPoint(cx - sw / 2 + 1, y - sh / 2), TPoint(cx, y), TPoint(cx + sw / 2 + 2, y - sh)};
    ACanvas->DrawPolyline(p, 3);
  }
}

void TcxCustomLookAndFeelPainter::PaintCheckBox(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                TcxCheckBoxState ACheckState) const {
  PaintCheckBoxBorder(ACanvas, R, AState);
  const Integer b = GetCheckBoxBorderWidth();
  const TColor mark = AState == cxbsDisabled || ACheckState == cbsGrayed ? clGrayText : clBtnText;
  PaintCheckMark(ACanvas, cxInflatedRect(R, -b, -b), AState, ACheckState == cbsChecked, mark);
}

void TcxCustomLookAndFeelPainter::PaintHeader(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextBounds,
                                              TcxBorders ANeighbors, TcxBorders ABorders, TcxButtonState AState,
                                              TAlignment AAlignmentHorz, TcxVerticalAlignment AAlignmentVert,
                                              bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                                              TFont* AFont, TColor ATextColor, TColor ABackColor,
                                              const TcxDrawBackgroundEvent& AOnDrawBackground, bool AIsLast) const {
  PaintHeaderBorder(ACanvas, ABounds, ANeighbors, ABorders);
  PaintCellContent(ACanvas, CalcHeaderContentRect(ABounds, ABorders), ATextBounds, AState, AAlignmentHorz,
                   AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABackColor,
                   AOnDrawBackground);
}

TRect TcxCustomLookAndFeelPainter::CalcHeaderContentRect(const TRect& ABounds, TcxBorders ABorders) const {
  const Integer b = GetHeaderBorderWidth();
  return cxInflatedRectSides(ABounds, ABorders.Contains(bLeft) ? -b : 0, ABorders.Contains(bTop) ? -b : 0,
                             ABorders.Contains(bRight) ? -b : 0, ABorders.Contains(bBottom) ? -b : 0);
}

Integer TcxCustomLookAndFeelPainter::CalcHeaderWidth(TcxCanvas* ACanvas, TcxBorders ABorders, const String& AText,
                                                     TFont* AFont) const {
  if (AFont) ACanvas->SetFont(AFont);
  Integer w = ACanvas->TextWidth(AText) + 4;
  if (ABorders.Contains(bLeft)) w += GetHeaderBorderWidth();
  if (ABorders.Contains(bRight)) w -= GetHeaderBorderWidth();
  return w;
}

void TcxCustomLookAndFeelPainter::PaintSizeGrip(TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor) const {
  ACanvas->FillRectColor(R, ABackgroundColor);
  TRect r = R;
  DrawFrameControl(ACanvas->Handle(), r.AsRECT(), DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
}

void TcxCustomLookAndFeelPainter::DrawSortingMark(TcxCanvas* C, const TRect& R, bool AAscending, TColor ALight,
                                                  TColor ADark) const {
  const TPoint size = CalcSortingMarkSize();
  const Integer w = size.X, h = size.Y;
  if (w <= 0 || h <= 0) return;
  const Integer dir = AAscending ? 1 : -1;
  const Integer x = (R.Left + R.Right) / 2 - (w % 2 == 0 ? 1 : 0);
  const Integer y = AAscending ? (R.Top + R.Bottom - h) / 2 : (R.Top + R.Bottom + h) / 2 - 1;
  const Integer a = w / 2, a2 = w % 2 == 0 ? a - 1 : a;
  SetPenColor(C, ALight);
  C->MoveTo(x + a, y + (h - 2) * dir);
  C->LineTo(x + a - a2, y);
  C->LineTo(x + a, y + (h - 1) * dir);
  if (!AAscending) SetPenColor(C, ADark);
  C->LineTo(x - a2, y + (h - 1) * dir);
  if (AAscending) SetPenColor(C, ADark);
  C->LineTo(x, y);
  C->LineTo(x - a2, y + (h - w % 2) * dir);
}

namespace {
TRect Shrunk(const TRect& R) { return cxInflatedRect(R, -1, -1); }
}  // namespace

void TcxStandardLookAndFeelPainter::PaintBorder(TcxCanvas* ACanvas, const TRect& R) const {
  ACanvas->DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight);
  ACanvas->DrawTwoColorFrame(Shrunk(R), cl3DDkShadow, cl3DLight);
}

void TcxStandardLookAndFeelPainter::PaintButtonBorder(TcxCanvas* ACanvas, const TRect& ARect,
                                                      TcxButtonState AState) const {
  TRect R = ARect;
  if (AState == cxbsPressed) {
    ACanvas->DrawTwoColorFrame(R, clBlack, clBlack);
    ACanvas->DrawTwoColorFrame(Shrunk(R), clBtnShadow, clBtnShadow);
    return;
  }
  if (AState == cxbsDefault) {
    ACanvas->DrawTwoColorFrame(R, clBlack, clBlack);
    R = Shrunk(R);
  }
  ACanvas->DrawTwoColorFrame(R, clBtnHighlight, cl3DDkShadow);
  ACanvas->DrawTwoColorFrame(Shrunk(R), cl3DLight, clBtnShadow);
}

void TcxStandardLookAndFeelPainter::PaintGroupExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                                           TcxButtonState AState) const {
  // Group expand buttons are drawn in the flat look even here.
  cxFlatPainter()->PaintGroupExpandButton(ACanvas, R, AExpanded, AState);
}

void TcxStandardLookAndFeelPainter::PaintExpandButton(TcxCanvas* ACanvas, const TRect& ARect, bool AExpanded,
                                                      TColor AColor) const {
  TRect R = ARect;
  ACanvas->DrawTwoColorFrame(R, clBtnHighlight, cl3DDkShadow);
  R = Shrunk(R);
  ACanvas->DrawTwoColorFrame(R, clBtnFace, clBtnShadow, TcxBorders{bRight, bBottom});
  --R.Right;
  --R.Bottom;
  ACanvas->FillRectColor(R, AColor == clDefault ? clBtnFace : AColor);
  DrawExpandCross(ACanvas, ARect, AExpanded, clBtnText);
  // Later painting of the row leaves the button alone.
  ACanvas->ExcludeFromClip(ARect);
}

void TcxStandardLookAndFeelPainter::PaintCheckBoxBorder(TcxCanvas* ACanvas, const TRect& R,
                                                        TcxButtonState AState) const {
  ACanvas->DrawTwoColorFrame(R, cl3DDkShadow, cl3DLight);
  ACanvas->DrawTwoColorFrame(Shrunk(R), clBtnShadow, clBtnHighlight);
}

namespace {
// Adjacent header cells join without a break in their raised edges.
void PaintJoinedHeaderBorder(TcxCanvas* C, const TRect& R, TcxBorders ANeighbors) {
  C->Draw3DEdge(R, false, false);
  if (ANeighbors.Contains(bLeft)) {
    C->SetPixel(R.Left, R.Top + 1, clBtnFace);
    C->SetPixel(R.Left, R.Bottom - 2, clBtnFace);
  }
  if (ANeighbors.Contains(bRight)) {
    C->SetPixel(R.Right - 1, R.Top, clBtnHighlight);
    C->SetPixel(R.Right - 1, R.Top + 1, clBtnFace);
    C->SetPixel(R.Right - 1, R.Bottom - 2, clBtnFace);
  }
}
}  // namespace

void TcxStandardLookAndFeelPainter::PaintHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors,
                                                      TcxBorders ABorders) const {
  PaintJoinedHeaderBorder(ACanvas, R, ANeighbors);
}

void TcxStandardLookAndFeelPainter::PaintSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending) const {
  DrawSortingMark(ACanvas, R, AAscending, clBtnHighlight, clBtnShadow);
}

void TcxFlatLookAndFeelPainter::PaintBorder(TcxCanvas* ACanvas, const TRect& R) const {
  ACanvas->DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight);
}

void TcxFlatLookAndFeelPainter::PaintButtonBorder(TcxCanvas* ACanvas, const TRect& ARect,
                                                  TcxButtonState AState) const {
  TRect R = ARect;
  if (AState == cxbsPressed) {
    ACanvas->DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight);
    return;
  }
  if (AState == cxbsDefault) {
    ACanvas->DrawTwoColorFrame(R, clBlack, clBlack);
    R = Shrunk(R);
  }
  ACanvas->DrawTwoColorFrame(R, clBtnHighlight, clBtnShadow);
}

void TcxFlatLookAndFeelPainter::PaintExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                                  TColor AColor) const {
  PaintButton(ACanvas, R, String(), cxbsNormal, true, AColor, clDefault);
  DrawExpandCross(ACanvas, R, AExpanded, clBtnText);
  ACanvas->ExcludeFromClip(R);
}

void TcxFlatLookAndFeelPainter::PaintCheckBoxBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) const {
  ACanvas->DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight);
  ACanvas->DrawRectBorders(Shrunk(R), GetCheckBoxColor(AState), 1, cxBordersAll);
}

void TcxFlatLookAndFeelPainter::PaintHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors,
                                                  TcxBorders ABorders) const {
  PaintJoinedHeaderBorder(ACanvas, R, ANeighbors);
}

void TcxFlatLookAndFeelPainter::PaintSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending) const {
  DrawSortingMark(ACanvas, R, AAscending, clBtnHighlight, clBtnShadow);
}

namespace {
void ScrollButtonBorder(TcxCanvas* C, TRect R, bool APressedArrow) {
  if (APressedArrow) {
    C->DrawTwoColorFrame(R, clBtnShadow, clBtnShadow);
    C->DrawTwoColorFrame(cxInflatedRect(R, -1, -1), clBtnFace, clBtnFace);
  } else {
    C->DrawTwoColorFrame(R, clBtnFace, cl3DDkShadow);
    C->DrawTwoColorFrame(cxInflatedRect(R, -1, -1), clBtnHighlight, clBtnShadow);
  }
}

std::unique_ptr<TBitmap>& PatternBitmap(bool dark) {
  static std::unique_ptr<TBitmap> light, darkOne;
  return dark ? darkOne : light;
}
}  // namespace

TBitmap* cxScrollBarPatternBitmap(bool ADark) {
  auto& b = PatternBitmap(ADark);
  if (!b) {
    // Alternate pixels of the face and the highlight (a pressed area: the
    // shadow colour and the face).
    b = std::make_unique<TBitmap>(8, 8, pf32bit);
    const TColor c1 = ADark ? cl3DDkShadow : clBtnFace, c2 = ADark ? clBtnShadow : clBtnHighlight;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) b->Canvas()->SetPixels(x, y, TColor(ColorToRGB((x + y) % 2 ? c1 : c2)));
  }
  return b.get();
}

void cxRebuildScrollBarBitmaps() {
  PatternBitmap(false).reset();
  PatternBitmap(true).reset();
}

void TcxStandardLookAndFeelPainter::PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R,
                                                        TcxScrollBarPart APart, TcxButtonState AState) const {
  if (IsRectEmpty(R) || (APart == sbpThumbnail && AState == cxbsDisabled)) return;
  if (AState == cxbsHot) AState = cxbsNormal;
  switch (APart) {
    case sbpPageUp:
    case sbpPageDown:
      ACanvas->FillRectangle(R, cxScrollBarPatternBitmap(AState == cxbsPressed));
      break;
    case sbpThumbnail:
      ScrollButtonBorder(ACanvas, R, false);
      ACanvas->FillRectColor(cxInflatedRect(R, -GetButtonBorderWidth(cxbsNormal), -GetButtonBorderWidth(cxbsNormal)),
                             clBtnFace);
      break;
    case sbpLineUp:
    case sbpLineDown: {
      const bool pressed = AState == cxbsPressed;
      TRect r = pressed ? cxShiftedRect(R, 1, 1) : R;
      UINT kind = AHorizontal ? (APart == sbpLineUp ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT)
                              : (APart == sbpLineUp ? DFCS_SCROLLUP : DFCS_SCROLLDOWN);
      if (AState == cxbsDisabled) kind |= DFCS_INACTIVE;
      if (pressed) kind |= DFCS_FLAT;
      DrawFrameControl(ACanvas->Handle(), r.AsRECT(), DFC_SCROLL, kind);
      ScrollButtonBorder(ACanvas, R, pressed);
      break;
    }
    default: break;
  }
}

void TcxFlatLookAndFeelPainter::PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R,
                                                    TcxScrollBarPart APart, TcxButtonState AState) const {
  if (IsRectEmpty(R) || (APart == sbpThumbnail && AState == cxbsDisabled)) return;
  if (AState == cxbsHot) AState = cxbsNormal;
  switch (APart) {
    case sbpPageUp:
    case sbpPageDown:
      ACanvas->FillRectangle(R, cxScrollBarPatternBitmap(AState == cxbsPressed));
      break;
    case sbpThumbnail:
      PaintButton(ACanvas, R, String(), AState);
      break;
    case sbpLineUp:
    case sbpLineDown: {
      PaintButton(ACanvas, R, String(), AState);
      const Integer b = GetButtonBorderWidth(cxbsNormal);
      const TcxArrowPointing dir = AHorizontal ? (APart == sbpLineUp ? apLeft : apRight)
                                               : (APart == sbpLineUp ? apUp : apDown);
      PaintStateArrow(ACanvas, cxInflatedRect(R, -b, -b), AState, dir);
      break;
    }
    default: break;
  }
}

void TcxUltraFlatLookAndFeelPainter::PaintBorder(TcxCanvas* ACanvas, const TRect& R) const {
  ACanvas->DrawRectBorders(R, clBtnShadow, 1, cxBordersAll);
}

TColor TcxUltraFlatLookAndFeelPainter::GetButtonFaceColor(TcxButtonState AState) const {
  switch (AState) {
    case cxbsHot: return cxLightHotColor();
    case cxbsPressed: return cxLightPressedColor();
    default: return clBtnFace;
  }
}

TRect TcxUltraFlatLookAndFeelPainter::CalcButtonFocusRect(TcxCanvas* ACanvas, const TRect& R) const {
  TRect r = cxInflatedRect(R, -3, -3);
  return IsRectEmpty(r) ? R : r;
}

TColor TcxUltraFlatLookAndFeelPainter::GetButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor) const {
  if (AState == cxbsPressed) return clHighlightText;
  return TcxCustomLookAndFeelPainter::GetButtonSymbolColor(AState, ADefaultColor);
}

void TcxUltraFlatLookAndFeelPainter::PaintButtonBorder(TcxCanvas* ACanvas, const TRect& R,
                                                       TcxButtonState AState) const {
  if (AState == cxbsDefault) {
    ACanvas->DrawRectBorders(R, clWindowFrame, 1, cxBordersAll);
    ACanvas->DrawRectBorders(Shrunk(R), clWindowFrame, 1, cxBordersAll);
    return;
  }
  const TColor c = AState == cxbsNormal ? clBtnText : AState == cxbsDisabled ? clBtnShadow : clHighlight;
  ACanvas->DrawRectBorders(R, c, 1, cxBordersAll);
}

void TcxUltraFlatLookAndFeelPainter::PaintExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                                       TColor AColor) const {
  ACanvas->DrawRectBorders(R, clBtnShadow, 1, cxBordersAll);
  ACanvas->FillRectColor(Shrunk(R), AColor == clDefault ? clBtnFace : AColor);
  DrawExpandCross(ACanvas, R, AExpanded, clBtnText);
  ACanvas->ExcludeFromClip(R);
}

void TcxUltraFlatLookAndFeelPainter::PaintCheckBoxBorder(TcxCanvas* ACanvas, const TRect& R,
                                                         TcxButtonState AState) const {
  ACanvas->DrawRectBorders(R, clBtnText, 1, cxBordersAll);
  ACanvas->DrawRectBorders(Shrunk(R), GetCheckBoxColor(AState), 1, cxBordersAll);
}

void TcxUltraFlatLookAndFeelPainter::PaintHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ANeighbors,
                                                       TcxBorders ABorders) const {
  TcxBorders lines{bRight, bBottom};
  if (ABorders.Contains(bLeft)) lines.Include(bLeft);
  if (ABorders.Contains(bTop)) lines.Include(bTop);
  ACanvas->DrawRectBorders(R, clBtnText, 1, lines);
}

void TcxUltraFlatLookAndFeelPainter::PaintSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscending) const {
  DrawSortingMark(ACanvas, R, AAscending, clBtnShadow, clBtnShadow);
}

TcxBorders TcxUltraFlatLookAndFeelPainter::CalcHeaderBorders(TcxBorders ANeighbors) const {
  // Adjacent cells share the line of the cell before them.
  TcxBorders b = cxBordersAll;
  if (ANeighbors.Contains(bLeft)) b.Exclude(bLeft);
  if (ANeighbors.Contains(bTop)) b.Exclude(bTop);
  return b;
}

void TcxUltraFlatLookAndFeelPainter::PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R,
                                                        TcxScrollBarPart APart, TcxButtonState AState) const {
  if (IsRectEmpty(R) || (APart == sbpThumbnail && AState == cxbsDisabled)) return;
  switch (APart) {
    case sbpPageUp:
    case sbpPageDown:
      ACanvas->FillRectangle(R, cxScrollBarPatternBitmap(AState == cxbsPressed));
      break;
    case sbpThumbnail:
      PaintButton(ACanvas, R, String(), AState);
      break;
    case sbpLineUp:
    case sbpLineDown:
      PaintButton(ACanvas, R, String(), AState);
      PaintStateArrow(ACanvas, R, AState,
                      AHorizontal ? (APart == sbpLineUp ? apLeft : apRight) : (APart == sbpLineUp ? apUp : apDown));
      break;
    default: break;
  }
}

TcxLookAndFeelPainterClass cxUltraFlatPainter() {
  static const TcxUltraFlatLookAndFeelPainter painter;
  return &painter;
}

namespace {
// The theme of a style class, or null while themes are off or it has none.
HTHEME ThemeOf(TThemedElement AElement) {
  return ThemeServices()->ThemesEnabled() ? ThemeServices()->Theme(AElement) : nullptr;
}

void DrawThemed(TcxCanvas* C, TThemedElement AElement, Integer APart, Integer AState, const TRect& R) {
  ThemeServices()->DrawElement(C->Handle(), TThemeServices::GetElementDetails(AElement, APart, AState), R);
}

Integer PushButtonState(TcxButtonState AState) {
  static const Integer states[] = {PBS_DEFAULTED, PBS_NORMAL, PBS_HOT, PBS_PRESSED, PBS_DISABLED};
  return states[AState];
}
}  // namespace

Integer TcxWinXPLookAndFeelPainter::GetBorderWidth() const {
  return ThemeOf(teListView) ? 1 : TcxStandardLookAndFeelPainter::GetBorderWidth();
}

void TcxWinXPLookAndFeelPainter::PaintBorder(TcxCanvas* ACanvas, const TRect& R) const {
  if (!ThemeOf(teListView)) return TcxStandardLookAndFeelPainter::PaintBorder(ACanvas, R);
  // Only the one-pixel frame: the inside stays as the control drew it.
  ACanvas->PushDC();
  ACanvas->ExcludeFromClip(Shrunk(R));
  DrawThemed(ACanvas, teListView, 5, 0, R);
  ACanvas->PopDC();
}

void TcxWinXPLookAndFeelPainter::PaintButton(TcxCanvas* ACanvas, const TRect& R, const String& ACaption,
                                             TcxButtonState AState, bool ADrawBorder, TColor AFaceColor,
                                             TColor ATextColor, bool AWordWrap) const {
  if (!ThemeOf(teButton))
    return TcxStandardLookAndFeelPainter::PaintButton(ACanvas, R, ACaption, AState, ADrawBorder, AFaceColor,
                                                      ATextColor, AWordWrap);
  const TThemedElementDetails d = TThemeServices::GetElementDetails(teButton, BP_PUSHBUTTON, PushButtonState(AState));
  ThemeServices()->DrawElement(ACanvas->Handle(), d, R);
  if (!ACaption.empty())
    ThemeServices()->DrawText(ACanvas->Handle(), d, ACaption, R, DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0);
}

void TcxWinXPLookAndFeelPainter::PaintCheckBox(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                               TcxCheckBoxState ACheckState) const {
  if (!ThemeOf(teButton)) return TcxStandardLookAndFeelPainter::PaintCheckBox(ACanvas, R, AState, ACheckState);
  // Unchecked, checked and mixed each have normal, hot, pressed, disabled.
  static const Integer offsets[] = {0, 0, 1, 2, 3};
  const Integer state = CBS_UNCHECKEDNORMAL + 4 * Integer(ACheckState) + offsets[AState];
  DrawThemed(ACanvas, teButton, BP_CHECKBOX, state, R);
}

void TcxWinXPLookAndFeelPainter::PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R,
                                                    TcxScrollBarPart APart, TcxButtonState AState) const {
  if (!ThemeOf(teScrollBar))
    return TcxStandardLookAndFeelPainter::PaintScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
  if (IsRectEmpty(R) || (APart == sbpThumbnail && AState == cxbsDisabled)) return;
  // Normal, hot, pressed, disabled: the order of every scroll-bar part's states.
  const Integer s = AState == cxbsHot ? 1 : AState == cxbsPressed ? 2 : AState == cxbsDisabled ? 3 : 0;
  switch (APart) {
    case sbpLineUp:
    case sbpLineDown: {
      // Arrow states come in fours: up, down, left, right.
      const Integer group = AHorizontal ? (APart == sbpLineUp ? 2 : 3) : (APart == sbpLineUp ? 0 : 1);
      DrawThemed(ACanvas, teScrollBar, SBP_ARROWBTN, ABS_UPNORMAL + 4 * group + s, R);
      break;
    }
    case sbpThumbnail:
      DrawThemed(ACanvas, teScrollBar, AHorizontal ? SBP_THUMBBTNHORZ : SBP_THUMBBTNVERT, SCRBS_NORMAL + s, R);
      DrawThemed(ACanvas, teScrollBar, AHorizontal ? SBP_GRIPPERHORZ : SBP_GRIPPERVERT, 0, R);
      break;
    case sbpPageUp:
    case sbpPageDown: {
      const bool upper = APart == sbpPageUp;
      const Integer part = AHorizontal ? (upper ? SBP_UPPERTRACKHORZ : SBP_LOWERTRACKHORZ)
                                       : (upper ? SBP_UPPERTRACKVERT : SBP_LOWERTRACKVERT);
      DrawThemed(ACanvas, teScrollBar, part, SCRBS_NORMAL + s, R);
      break;
    }
    default: break;
  }
}

void TcxWinXPLookAndFeelPainter::PaintHeader(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextBounds,
                                             TcxBorders ANeighbors, TcxBorders ABorders, TcxButtonState AState,
                                             TAlignment AAlignmentHorz, TcxVerticalAlignment AAlignmentVert,
                                             bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                                             TFont* AFont, TColor ATextColor, TColor ABackColor,
                                             const TcxDrawBackgroundEvent& AOnDrawBackground, bool AIsLast) const {
  if (!ThemeOf(teHeader))
    return TcxStandardLookAndFeelPainter::PaintHeader(ACanvas, ABounds, ATextBounds, ANeighbors, ABorders, AState,
                                                      AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis,
                                                      AText, AFont, ATextColor, ABackColor, AOnDrawBackground,
                                                      AIsLast);
  const Integer state = AState == cxbsHot ? HIS_HOT : AState == cxbsPressed ? HIS_PRESSED : HIS_NORMAL;
  const TThemedElementDetails d =
      TThemeServices::GetElementDetails(teHeader, AIsLast ? HP_HEADERITEMRIGHT : HP_HEADERITEM, state);
  ThemeServices()->DrawElement(ACanvas->Handle(), d, ABounds);
  if (AText.empty()) return;
  if (AFont) ACanvas->SetFont(AFont);
  if (ATextColor != clDefault && ATextColor != clNone) ACanvas->Font()->SetColor(ATextColor);
  DWORD flags = AAlignmentHorz == taRightJustify ? DT_RIGHT : AAlignmentHorz == taCenter ? DT_CENTER : DT_LEFT;
  flags |= AAlignmentVert == vaBottom ? DT_BOTTOM : AAlignmentVert == vaCenter ? DT_VCENTER : DT_TOP;
  flags |= (AMultiLine ? DT_WORDBREAK : DT_SINGLELINE) | DT_NOPREFIX;
  if (AShowEndEllipsis) flags |= DT_END_ELLIPSIS;
  const TRect textRect = AState == cxbsPressed ? cxShiftedRect(ATextBounds, 1, 1) : ATextBounds;
  ThemeServices()->DrawText(ACanvas->Handle(), d, AText, textRect, flags, 0);
}

TcxLookAndFeelPainterClass cxNativePainter() {
  static const TcxWinXPLookAndFeelPainter painter;
  return &painter;
}

TcxLookAndFeelPainterClass cxFlatPainter() {
  static const TcxFlatLookAndFeelPainter painter;
  return &painter;
}

TcxLookAndFeelPainterClass cxStandardPainter() {
  static const TcxStandardLookAndFeelPainter painter;
  return &painter;
}
