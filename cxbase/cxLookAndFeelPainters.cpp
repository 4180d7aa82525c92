#include "cxLookAndFeelPainters.h"

#include <cmath>
#include <memory>

#include "ImgList.h"
#include "cxLookAndFeelPaintersInternal.h"
#include "dxOffice11.h"

using namespace cxpainters;

TcxLookAndFeelKind cxKindOfPainterStyle(TcxPainterStyle AStyle) {
  switch (AStyle) {
    case pstFlat: return lfFlat;
    case pstUltraFlat: return lfUltraFlat;
    case pstOffice11: return lfOffice11;
    default: return lfStandard;
  }
}

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
                                              const TcxDrawBackgroundEvent& AOnDrawBackground, bool AIsLast,
                                              bool AIsGroup) const {
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

void cxpainters::ScrollButtonBorder(TcxCanvas* C, const TRect& R, bool APressedArrow) {
  if (APressedArrow) {
    C->DrawTwoColorFrame(R, clBtnShadow, clBtnShadow);
    C->DrawTwoColorFrame(cxInflatedRect(R, -1, -1), clBtnFace, clBtnFace);
  } else {
    C->DrawTwoColorFrame(R, clBtnFace, cl3DDkShadow);
    C->DrawTwoColorFrame(cxInflatedRect(R, -1, -1), clBtnHighlight, clBtnShadow);
  }
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

TcxLookAndFeelPainterClass cxFlatPainter() {
  static const TcxFlatLookAndFeelPainter painter;
  return &painter;
}

TcxLookAndFeelPainterClass cxStandardPainter() {
  static const TcxStandardLookAndFeelPainter painter;
  return &painter;
}

// ---------------------------------------------------------------------------
// Base painter: the operations beyond buttons, check boxes and headers.

void TcxCustomLookAndFeelPainter::PaintNavigationButtonContent(TcxCanvas* ACanvas, const TRect& ARect,
                                                               const TRect& AArrowRect, bool AIsNext,
                                                               TcxButtonState AState) const {
  // Framed on every side but the one that joins the neighbouring button.
  const TcxBorders sides = AIsNext ? TcxBorders{bLeft, bTop, bBottom} : TcxBorders{bTop, bRight, bBottom};
  ACanvas->FillRectColor(ARect, clBtnFace);
  ACanvas->DrawRectBorders(ARect, clBtnShadow, 1, sides);
  TRect R = cxInflatedRectSides(ARect, 0, -1, 0, -1);
  if (AIsNext) ++R.Left;
  else --R.Right;
  const bool pressed = AState == cxbsPressed;
  ACanvas->DrawTwoColorFrame(R, pressed ? clBtnShadow : clBtnHighlight, pressed ? clBtnHighlight : clBtnFace, sides);
  PaintNavigationArrow(ACanvas, AArrowRect, AIsNext, GetButtonSymbolColor(AState));
}

TRect TcxCustomLookAndFeelPainter::CalcFooterCellContentRect(const TRect& ABounds) const {
  const Integer b = GetFooterCellBorderWidth();
  return cxInflatedRect(ABounds, -b, -b);
}

TRect TcxCustomLookAndFeelPainter::CalcFooterCellTextRect(const TRect& ABounds) const {
  return cxInflatedRect(CalcFooterCellContentRect(ABounds), -2, -2);
}

TRect TcxCustomLookAndFeelPainter::CalcGroupButtonBorders(Integer AButtonCount, Integer AButtonIndex) const {
  const Integer b = GetButtonBorderWidth(cxbsNormal);
  return TRect(b, b, b, b);
}

void TcxCustomLookAndFeelPainter::PaintGroupButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                   Integer AButtonCount, Integer AButtonIndex,
                                                   TColor ABackgroundColor) const {
  PaintButton(ACanvas, R, String(), AState);
}

TSize TcxCustomLookAndFeelPainter::CalcCheckBoxSize() const { return cxCheckBoxSize(); }

void TcxCustomLookAndFeelPainter::PaintRadioButton(TcxCanvas* ACanvas, Integer X, Integer Y, TcxButtonState AState,
                                                   bool AChecked, bool AFocused, TColor ABrushColor,
                                                   bool AIsDesigning) const {
  cxGetRadioButtonImageList()->Draw(ACanvas, X, Y, cxKindOfPainterStyle(GetPainterStyle()), AState, AChecked,
                                    AFocused, ABrushColor, AIsDesigning);
}

TSize TcxCustomLookAndFeelPainter::CalcRadioButtonSize() const { return cxGetRadioButtonImageList()->GetSize(); }

void TcxCustomLookAndFeelPainter::PaintHeaderPlain(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextBounds,
                                                   TcxBorders ANeighbors, TcxBorders ABorders, TcxButtonState AState,
                                                   TAlignment AAlignmentHorz, TcxVerticalAlignment AAlignmentVert,
                                                   bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                                                   TFont* AFont, TColor ATextColor, TColor ABackColor,
                                                   const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  PaintHeader(ACanvas, ABounds, ATextBounds, ANeighbors, ABorders, AState, AAlignmentHorz, AAlignmentVert, AMultiLine,
              AShowEndEllipsis, AText, AFont, ATextColor, ABackColor, AOnDrawBackground, false, false);
}

void TcxCustomLookAndFeelPainter::InvertHeaderRect(TcxCanvas* ACanvas, const TRect& R) const {
  ACanvas->InvertRect(R);
}

void TcxCustomLookAndFeelPainter::PaintHeaderSection(TcxCanvas* ACanvas, const TRect& R, const TRect& ATextBounds,
                                                     TcxBorders ANeighbors, TcxBorders ABorders,
                                                     TcxButtonState AState, TAlignment AAlignmentHorz,
                                                     TcxVerticalAlignment AAlignmentVert, bool AMultiLine,
                                                     bool AShowEndEllipsis, const String& AText, TFont* AFont,
                                                     TColor ATextColor, TColor ABackColor) const {
  PaintHeaderSectionBorder(ACanvas, R, ABorders, AState);
  PaintHeaderSectionContent(ACanvas, CalcHeaderSectionContentRect(R, AState), ATextBounds, AState, AAlignmentHorz,
                            AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABackColor);
}

void TcxCustomLookAndFeelPainter::PaintHeaderSectionContent(TcxCanvas* ACanvas, const TRect& R,
                                                            const TRect& ATextBounds, TcxButtonState AState,
                                                            TAlignment AAlignmentHorz,
                                                            TcxVerticalAlignment AAlignmentVert, bool AMultiLine,
                                                            bool AShowEndEllipsis, const String& AText, TFont* AFont,
                                                            TColor ATextColor, TColor ABackColor) const {
  ACanvas->FillRectColor(R, ABackColor);
  PaintHeaderSectionText(ACanvas, CalcHeaderSectionTextRect(ATextBounds, AState), AState, AAlignmentHorz,
                         AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor);
}

void TcxCustomLookAndFeelPainter::PaintHeaderSectionText(TcxCanvas* ACanvas, const TRect& ATextBounds,
                                                         TcxButtonState AState, TAlignment AAlignmentHorz,
                                                         TcxVerticalAlignment AAlignmentVert, bool AMultiLine,
                                                         bool AShowEndEllipsis, const String& AText, TFont* AFont,
                                                         TColor ATextColor) const {
  if (AText.empty()) return;
  if (AFont) ACanvas->SetFont(AFont);
  const Cardinal flags = TextFlags(AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis);
  ACanvas->Brush()->SetStyle(bsClear);
  if (AState == cxbsDisabled) {
    ACanvas->Font()->SetColor(clBtnHighlight);
    ACanvas->PaintText(AText, cxShiftedRect(ATextBounds, 1, 1), flags);
    ACanvas->Font()->SetColor(clBtnShadow);
  } else if (ATextColor != clDefault && ATextColor != clNone) {
    ACanvas->Font()->SetColor(ATextColor);
  }
  ACanvas->PaintText(AText, ATextBounds, flags);
  ACanvas->Brush()->SetStyle(bsSolid);
}

void TcxCustomLookAndFeelPainter::PaintSideBandedRect(TcxCanvas* ACanvas, const TRect& R, Integer ASideWidth,
                                                      TColor AMiddleColor, const TcxViewParams& ASideParams) const {
  const Integer w = std::min<Integer>(ASideWidth, (R.Right - R.Left) / 2);
  PaintViewParams(ACanvas, TRect(R.Left, R.Top, R.Left + w, R.Bottom), ASideParams);
  PaintViewParams(ACanvas, TRect(R.Right - w, R.Top, R.Right, R.Bottom), ASideParams);
  ACanvas->FillRectColor(TRect(R.Left + w, R.Top, R.Right - w, R.Bottom), AMiddleColor);
}

TRect TcxCustomLookAndFeelPainter::ExpandHeaderRect(const TRect& R, TcxBorders ANeighbors, TcxBorders ASides) const {
  const TcxBorders own = CalcHeaderBorders(ANeighbors);
  const Integer b = GetHeaderBorderWidth();
  auto grow = [&](TcxBorder side) { return ASides.Contains(side) && !own.Contains(side) ? b : 0; };
  return cxInflatedRectSides(R, grow(bLeft), grow(bTop), grow(bRight), grow(bBottom));
}

TRect TcxCustomLookAndFeelPainter::CalcHeaderSectionTextRect(const TRect& R, TcxButtonState AState) const {
  return AState == cxbsPressed ? cxShiftedRect(R, 1, 1) : R;
}

TRect TcxCustomLookAndFeelPainter::CalcHeaderSectionContentRect(const TRect& R, TcxButtonState AState) const {
  const Integer b = GetHeaderSectionBorderWidth(AState);
  return cxInflatedRect(R, -b, -b);
}

void TcxCustomLookAndFeelPainter::PaintFooterCell(TcxCanvas* ACanvas, const TRect& R, TAlignment AAlignmentHorz,
                                                  TcxVerticalAlignment AAlignmentVert, bool AMultiLine,
                                                  const String& AText, TFont* AFont, TColor ATextColor,
                                                  TColor ABackColor,
                                                  const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  PaintFooterCellBorder(ACanvas, R);
  PaintCellContent(ACanvas, CalcFooterCellContentRect(R), CalcFooterCellTextRect(R), cxbsDefault, AAlignmentHorz,
                   AAlignmentVert, AMultiLine, false, AText, AFont, ATextColor, ABackColor, AOnDrawBackground, true);
}

void TcxCustomLookAndFeelPainter::PaintFooterContent(TcxCanvas* ACanvas, const TRect& R,
                                                     const TcxViewParams& AViewParams) const {
  if (!IsRectEmpty(R)) PaintViewParams(ACanvas, R, AViewParams);
}

void TcxCustomLookAndFeelPainter::PaintFilterCloseButton(TcxCanvas* ACanvas, const TRect& ARect,
                                                         TcxButtonState AState) const {
  PaintButtonBorder(ACanvas, ARect, AState);
  const Integer b = GetButtonBorderWidth(cxbsNormal);
  TRect R = cxInflatedRect(ARect, -b, -b);
  ACanvas->FillRectColor(R, GetButtonFaceColor(AState));
  // An X of the two diagonals, drawn twice for a two-pixel stroke.
  Integer s = CalcFilterCloseButtonSize().X / 2;
  if (s % 2 == 0) --s;
  const TcxButtonState symbolState = GetButtonSymbolState(AState);
  Integer x = (R.Left + R.Right - s) / 2, y = (R.Top + R.Bottom - s) / 2;
  if (symbolState == cxbsPressed) {
    ++x;
    ++y;
  }
  SetPenColor(ACanvas, GetButtonSymbolColor(symbolState));
  for (Integer k = 0; k < 2; ++k) {
    ACanvas->MoveTo(x + k, y);
    ACanvas->LineTo(x + k + s, y + s);
    ACanvas->MoveTo(x + k, y + s - 1);
    ACanvas->LineTo(x + k + s, y - 1);
  }
}

void TcxCustomLookAndFeelPainter::PaintGripBars(TcxCanvas* ACanvas, const TRect& R, TColor AColor) const {
  SetPenColor(ACanvas, AColor);
  const Integer x0 = R.Left + 3;
  Integer y = (R.Top + R.Bottom - 9) / 2;
  for (Integer i = 0; i < 5; ++i, y += 2) {
    ACanvas->MoveTo(x0 + 2, y);
    ACanvas->LineTo(x0 + (R.Right - R.Left - 6), y);
    if (i % 2 == 0) ACanvas->SetPixel(x0, y, AColor);
  }
}

void TcxCustomLookAndFeelPainter::PaintIndicatorImage(TcxCanvas* ACanvas, const TRect& R, Integer AKind) const {
  TImageList* images = cxIndicatorImages();
  if (AKind < 1 || AKind > images->Count()) return;
  const Integer x = (R.Left + R.Right - images->Width()) / 2, y = (R.Top + R.Bottom - images->Height()) / 2;
  images->Draw(ACanvas->Canvas(), x, y, AKind - 1);
}

void TcxCustomLookAndFeelPainter::PaintIndicatorCell(TcxCanvas* ACanvas, const TRect& R, Integer AKind,
                                                     TColor ABackColor,
                                                     const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  PaintHeader(ACanvas, R, R, TcxBorders(), CalcHeaderBorders(TcxBorders{bTop, bBottom}), cxbsNormal, taLeftJustify,
              vaTop, false, false, String(), nullptr, clNone, ABackColor, AOnDrawBackground);
  PaintIndicatorImage(ACanvas, R, AKind);
}

void TcxCustomLookAndFeelPainter::PaintIndicatorHeader(TcxCanvas* ACanvas, const TRect& R, Integer AKind,
                                                       TColor ABackColor,
                                                       const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  PaintHeaderPlain(ACanvas, R, R, TcxBorders(), cxBordersAll, cxbsNormal, taLeftJustify, vaTop, false, false,
                   String(), nullptr, clNone, ABackColor, AOnDrawBackground);
  PaintIndicatorImage(ACanvas, R, AKind);
}

void TcxCustomLookAndFeelPainter::CalcNavigationButtonMetrics(bool AIsNext, TRect& ABorders,
                                                              TSize& AArrowSize) const {
  ABorders = AIsNext ? TRect(2, 6, 0, 6) : TRect(0, 6, 2, 6);
  AArrowSize = TSize(7, 7);
}

void TcxCustomLookAndFeelPainter::CalcNavigationButtonLayout(bool AIsNext, bool ANoText, const TSize& ATextSize1,
                                                             const TSize& ATextSize2, TRect& AContentRect,
                                                             TRect& ATextRect, TRect& AArrowRect) const {
  TRect B;
  TSize arrow;
  CalcNavigationButtonMetrics(AIsNext, B, arrow);
  const Integer aw = arrow.cx, ah = arrow.cy, k = 3 * ah;
  auto centred = [&](const TRect& area) {
    const Integer x = (area.Left + area.Right - aw) / 2, y = (area.Top + area.Bottom - ah) / 2;
    return TRect(x, y, x + aw, y + ah);
  };
  if (ANoText) {
    ATextRect = TRect(0, 0, 0, 0);
    AContentRect.Top = (AContentRect.Top + AContentRect.Bottom - B.Top - B.Bottom - k) / 2;
    AContentRect.Bottom = AContentRect.Top + k + B.Top + B.Bottom;
    AArrowRect = centred(AContentRect);
    return;
  }
  const TRect I(AContentRect.Left + B.Left, AContentRect.Top + B.Top, AContentRect.Right - B.Right,
                AContentRect.Bottom - B.Bottom);
  AArrowRect = centred(TRect(I.Left, I.Top, I.Right, I.Top + k));
  ATextRect = TRect(I.Left, I.Top + k + 5, I.Right, I.Bottom - 2 * ah);
  // The text runs turned by a quarter: its width needs the height.
  const Integer dy = std::max(ATextSize1.cx, ATextSize2.cx) - (ATextRect.Bottom - ATextRect.Top);
  if (dy >= 1) {
    AArrowRect = cxShiftedRect(AArrowRect, 0, -dy);
    ATextRect = cxInflatedRect(ATextRect, 0, dy);
    AContentRect = cxInflatedRect(AContentRect, 0, dy);
  }
}

void TcxCustomLookAndFeelPainter::DrawHeaderArrows(TcxCanvas* ACanvas, const TRect& ARect, Integer AArrows,
                                                   Integer AOffset) const {
  const Integer b = GetBorderWidth();
  TRect R = cxInflatedRectSides(cxShiftedRect(ARect, 0, b), 0, -1, 0, -1);
  Integer h = (R.Bottom - R.Top) / 2;
  if (h % 2 == 0) --h;
  if (h < 1) return;
  const Integer depth = (h + 1) / 2, top = (R.Top + R.Bottom - h) / 2;
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->SetBrushColor(clWindowText);
  SetPenColor(ACanvas, clWindowText);
  if (AArrows & 1) {
    // Pointing left, the back edge Offset - 1 pixels inside the left end.
    const Integer back = R.Left + AOffset - 1, tip = back - depth + 1;
    const TPoint p[3] = {TPoint(back, top), TPoint(tip, top + h / 2), TPoint(back, top + h - 1)};
    ACanvas->DrawPolygon(p, 3);
  }
  if (AArrows & 2) {
    const Integer back = R.Right - AOffset, tip = back + depth - 1;
    const TPoint p[3] = {TPoint(back, top), TPoint(tip, top + h / 2), TPoint(back, top + h - 1)};
    ACanvas->DrawPolygon(p, 3);
  }
}

void TcxCustomLookAndFeelPainter::PaintHeaderWithArrows(TcxCanvas* ACanvas, const TRect& R, const String& AText,
                                                        TcxBorders ANeighbors, const TcxViewParams& AViewParams,
                                                        Integer AArrows, Integer AOffset,
                                                        const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  PaintHeader(ACanvas, R, R, ANeighbors, CalcHeaderBorders(ANeighbors), cxbsNormal, taCenter, vaCenter, false, false,
              AText, AViewParams.Font, AViewParams.TextColor, AViewParams.Color, AOnDrawBackground);
  DrawHeaderArrows(ACanvas, R, AArrows, AOffset);
}

void TcxCustomLookAndFeelPainter::PaintProgressBar(TcxCanvas* ACanvas, const TRect& R, const TRect& AProgressRect,
                                                   const TcxViewParams& AViewParams, bool AFlat) const {
  const TColor grey = TColor(128 | 128 << 8 | 128 << 16);
  if (AFlat) ACanvas->DrawRectBorders(R, grey, 1, cxBordersAll);
  else ACanvas->FillRectWithBorders(R, AViewParams, cxBordersAll, grey, 1);
  ACanvas->FillRectColor(AProgressRect, TColor(0 | 0 << 8 | 128 << 16));
}

void TcxCustomLookAndFeelPainter::PaintRotatedNavigationButton(TcxCanvas* ACanvas, const TRect& R, bool AIsNext,
                                                               TcxButtonState AState, const String& AText,
                                                               const TRect& ATextRect, const TRect& AArrowRect) const {
  if (IsRectEmpty(ATextRect)) return PaintNavigationButtonContent(ACanvas, R, AArrowRect, AIsNext, AState);
  // Drawn off screen over a copy of what lies under R, the text turned by a
  // quarter, then copied back.
  TcxBitmap bmp(R.Right - R.Left, R.Bottom - R.Top);
  cxCopyRectBits(bmp.Canvas()->Handle(), ACanvas->Handle(), bmp.ImageRect(), SRCCOPY, R.TopLeft());
  TcxCanvas* c = bmp.cxCanvas();
  c->SetWindowOrigin(R.TopLeft());
  PaintNavigationButtonContent(c, R, AArrowRect, AIsNext, AState);
  LOGFONTW lf{};
  cxReadLogFont(HFONT(GetCurrentObject(ACanvas->Handle(), OBJ_FONT)), lf);
  lf.lfEscapement = lf.lfOrientation = 2700;
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(c->Handle(), font);
  SetBkMode(c->Handle(), TRANSPARENT);
  SetTextColor(c->Handle(), ColorToRGB(GetButtonSymbolColor(AState, ACanvas->Font()->Color())));
  cxExtTextOutAt(c->Handle(), AText, TPoint(ATextRect.Right - 1, ATextRect.Top), ETO_CLIPPED, ATextRect);
  SelectObject(c->Handle(), old);
  DeleteObject(font);
  c->SetWindowOrigin(TPoint(0, 0));
  ACanvas->Canvas()->Draw(R.Left, R.Top, &bmp);
}

void TcxCustomLookAndFeelPainter::PaintNavigationArrow(TcxCanvas* ACanvas, const TRect& R, bool AIsNext,
                                                       TColor AColor) const {
  // Two-pixel bars, a pair per row from the outer rows toward the middle,
  // moving one pixel per row toward the side the arrow points to, and a
  // one-pixel column on the side it points away from.
  const Integer h = R.Bottom - R.Top, steps = (h + 1) / 2;
  for (Integer i = 0; i < steps; ++i) {
    const Integer x = AIsNext ? R.Left + 1 + i : R.Right - 3 - i;
    ACanvas->FillRectColor(TRect(x, R.Top + i, x + 2, R.Top + i + 1), AColor);
    ACanvas->FillRectColor(TRect(x, R.Bottom - 1 - i, x + 2, R.Bottom - i), AColor);
  }
  const Integer col = AIsNext ? R.Left : R.Right - 1;
  ACanvas->FillRectColor(TRect(col, R.Top, col + 1, R.Bottom), AColor);
}

namespace {
TColor Rgb(int r, int g, int b) { return TColor(r | g << 8 | b << 16); }

// A point at an angle measured clockwise from 3 o'clock.
TPoint ClockPoint(double cx, double cy, double rx, double ry, double angle) {
  return TPoint(Integer(std::lround(cx + rx * std::cos(angle))), Integer(std::lround(cy + ry * std::sin(angle))));
}
}  // namespace

void TcxCustomLookAndFeelPainter::PaintClock(TcxCanvas* ACanvas, const TRect& R, TDateTime ATime,
                                             TColor ABackgroundColor, TColor AMinuteDotColor) const {
  const double pi = 3.14159265358979323846;
  const Integer cx = (R.Left + R.Right) / 2, cy = (R.Top + R.Bottom) / 2;
  const double rx = (R.Right - R.Left) / 2.0 - 2, ry = (R.Bottom - R.Top) / 2.0 - 2;
  const TColor teal = Rgb(0, 128, 128), aqua = Rgb(0, 255, 255);
  // Marks on the dial, kept out of the background fill by the clip region.
  ACanvas->PushClipRegion();
  const bool minuteDots = AMinuteDotColor != clNone && AMinuteDotColor != clDefault;
  for (Integer i = 0; i < 60; ++i) {
    const bool hour = i % 5 == 0;
    if (!hour && !minuteDots) continue;
    const TPoint p = ClockPoint(cx, cy, rx, ry, i * 2 * pi / 60);
    if (!hour) {
      ACanvas->SetPixel(p.X, p.Y, AMinuteDotColor);
      ACanvas->ExcludeFromClip(TRect(p.X, p.Y, p.X + 1, p.Y + 1));
      continue;
    }
    ACanvas->FillRectColor(TRect(p.X - 1, p.Y - 1, p.X + 2, p.Y), aqua);
    ACanvas->FillRectColor(TRect(p.X - 1, p.Y - 1, p.X, p.Y + 2), aqua);
    ACanvas->FillRectColor(TRect(p.X - 1, p.Y + 1, p.X + 2, p.Y + 2), clBtnText);
    ACanvas->FillRectColor(TRect(p.X + 1, p.Y - 1, p.X + 2, p.Y + 2), clBtnText);
    ACanvas->SetPixel(p.X, p.Y, teal);
    ACanvas->ExcludeFromClip(TRect(p.X - 1, p.Y - 1, p.X + 2, p.Y + 2));
  }
  ACanvas->FillRectColor(R, ABackgroundColor);
  ACanvas->PopClipRegion();

  double frac = double(ATime) - std::floor(double(ATime));
  Integer total = Integer(std::lround(frac * 86400)) % 86400;
  const Integer hours = total / 3600, minutes = total / 60 % 60, seconds = total % 60;
  auto hand = [&](double angle, double tip, double tail, double halfWidth) {
    const TPoint p[4] = {ClockPoint(cx, cy, tip * rx, tip * ry, angle),
                         ClockPoint(cx, cy, halfWidth, halfWidth, angle + pi / 2),
                         ClockPoint(cx, cy, tail * rx, tail * ry, angle + pi),
                         ClockPoint(cx, cy, halfWidth, halfWidth, angle + 3 * pi / 2)};
    ACanvas->Brush()->SetStyle(bsSolid);
    ACanvas->SetBrushColor(teal);
    SetPenColor(ACanvas, teal);
    ACanvas->DrawPolygon(p, 4);
  };
  hand((hours % 12 * 3600 + minutes * 60 + seconds - 10800) * 2 * pi / 43200, 0.75, 0.15, 4.5);
  hand((minutes * 60 + seconds - 900) * 2 * pi / 3600, 0.85, 0.2, 3.5);
  SetPenColor(ACanvas, Rgb(255, 0, 0));
  ACanvas->MoveTo(cx, cy);
  const TPoint tip = ClockPoint(cx, cy, 0.9 * rx, 0.9 * ry, (seconds - 15) * 2 * pi / 60);
  ACanvas->LineTo(tip.X, tip.Y);
}

// ---------------------------------------------------------------------------
// Standard and flat painters: footers, filter buttons, header sections, tabs
// and splitters.

namespace {
// The 3-D looks' filter button: raised, or sunken while pressed, with the
// drop-down glyph blue while a filter is active.
void Paint3DFilterDropDownButton(const TcxCustomLookAndFeelPainter* P, TcxCanvas* C, const TRect& R,
                                 TcxButtonState AState, bool AIsFilterActive) {
  C->Draw3DEdge(R, AState == cxbsPressed, AState == cxbsPressed);
  const TRect inner = Shrunk(R);
  C->FillRectColor(inner, clBtnFace);
  P->PaintDropDownGlyph(C, inner, AIsFilterActive ? clBlue : clBtnText);
}

// The strip of one side of a tab: shadow for the bottom of a vertical tab
// or the right of a horizontal one, highlight elsewhere; trimmed where the
// neighbouring sides need room, with highlight corner pixels beside it.
void Paint3DTabBorder(TcxCanvas* C, const TRect& ARect, TcxBorder ASide, TcxBorders ABorders, bool AVertical,
                      TColor ALight, TColor ADark) {
  TRect R = ARect;
  const bool dark = AVertical ? ASide == bBottom : ASide == bRight;
  if (AVertical && (ASide == bTop || ASide == bBottom)) {
    if (ABorders.Contains(bLeft)) R.Left += ASide == bTop ? 1 : 2;
  } else if (!AVertical && ASide == bLeft) {
    if (ABorders.Contains(bTop)) ++R.Top;
    if (ABorders.Contains(bBottom)) --R.Bottom;
  }
  C->FillRectColor(R, dark ? ADark : ALight);
  if (ASide == bLeft || ASide == bRight) {
    C->SetPixel(R.Left, R.Top - 1, ALight);
    C->SetPixel(R.Left, R.Bottom, ALight);
  } else {
    C->SetPixel(R.Left - 1, R.Top, ALight);
    C->SetPixel(R.Right, R.Top, ALight);
  }
}

void PaintSplitterLines(TcxCanvas* C, TRect& R, bool AHorizontal, TColor AFirst, TColor ASecond) {
  if (AHorizontal) {
    C->FillRectColor(TRect(R.Left, R.Top, R.Right, R.Top + 1), AFirst);
    C->FillRectColor(TRect(R.Left, R.Bottom - 1, R.Right, R.Bottom), ASecond);
    R = cxInflatedRect(R, 1, -1);
  } else {
    C->FillRectColor(TRect(R.Left, R.Top, R.Left + 1, R.Bottom), AFirst);
    C->FillRectColor(TRect(R.Right - 1, R.Top, R.Right, R.Bottom), ASecond);
    R = cxInflatedRect(R, -1, 1);
  }
}
}  // namespace

void TcxStandardLookAndFeelPainter::PaintHeaderSectionBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                                             TcxButtonState AState) const {
  if (AState == cxbsPressed) {
    ACanvas->DrawTwoColorFrame(R, clBtnShadow, clBtnShadow, ABorders);
    return;
  }
  ACanvas->DrawTwoColorFrame(R, clBtnHighlight, cl3DDkShadow, ABorders);
  ACanvas->DrawTwoColorFrame(Shrunk(R), cl3DLight, clBtnShadow, ABorders);
}

void TcxStandardLookAndFeelPainter::PaintFooterBorder(TcxCanvas* ACanvas, const TRect& R) const {
  ACanvas->Draw3DEdge(R, false, false);
}

void TcxStandardLookAndFeelPainter::PaintFooterCellBorder(TcxCanvas* ACanvas, const TRect& R) const {
  ACanvas->Draw3DEdge(R, true, true);
}

void TcxStandardLookAndFeelPainter::PaintFilterDropDownButton(TcxCanvas* ACanvas, const TRect& R,
                                                              TcxButtonState AState, bool AIsFilterActive) const {
  Paint3DFilterDropDownButton(this, ACanvas, R, AState, AIsFilterActive);
}

void TcxStandardLookAndFeelPainter::PaintTabBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorder ASide,
                                                   TcxBorders ABorders, bool AVertical) const {
  Paint3DTabBorder(ACanvas, R, ASide, ABorders, AVertical, clBtnHighlight, clBtnShadow);
}

void TcxStandardLookAndFeelPainter::PaintTabsRoot(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                                  bool AVertical) const {
  ACanvas->Draw3DEdge(R, false, false, ABorders);
}

void TcxStandardLookAndFeelPainter::PaintHeaderWithArrows(TcxCanvas* ACanvas, const TRect& R, const String& AText,
                                                          TcxBorders ANeighbors, const TcxViewParams& AViewParams,
                                                          Integer AArrows, Integer AOffset,
                                                          const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  // A black line on the sides without a neighbour, the content inside it.
  TcxBorders sides = cxBordersAll;
  for (TcxBorder b : {bLeft, bTop, bRight, bBottom})
    if (ANeighbors.Contains(b)) sides.Exclude(b);
  ACanvas->DrawRectBorders(R, clBlack, 1, sides);
  const TRect content = cxInflatedRectSides(R, sides.Contains(bLeft) ? -1 : 0, sides.Contains(bTop) ? -1 : 0,
                                            sides.Contains(bRight) ? -1 : 0, sides.Contains(bBottom) ? -1 : 0);
  PaintCellContent(ACanvas, content, content, cxbsNormal, taCenter, vaCenter, false, false, AText, AViewParams.Font,
                   AViewParams.TextColor, AViewParams.Color, AOnDrawBackground);
  DrawHeaderArrows(ACanvas, R, AArrows, AOffset);
}

void TcxStandardLookAndFeelPainter::PaintSplitterBorder(TcxCanvas* ACanvas, const TRect& ARect,
                                                        const TcxViewParams& AViewParams, bool AHorizontal) const {
  TRect R = ARect;
  PaintSplitterLines(ACanvas, R, AHorizontal, clBtnFace, cl3DDkShadow);
  PaintSplitterLines(ACanvas, R, AHorizontal, clBtnHighlight, clBtnShadow);
  PaintViewParams(ACanvas, R, AViewParams);
}

void TcxFlatLookAndFeelPainter::PaintHeaderSectionBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                                         TcxButtonState AState) const {
  if (AState == cxbsPressed) ACanvas->DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight, ABorders);
  else ACanvas->DrawTwoColorFrame(R, clBtnHighlight, clBtnShadow, ABorders);
}

void TcxFlatLookAndFeelPainter::PaintFooterBorder(TcxCanvas* ACanvas, const TRect& R) const {
  ACanvas->Draw3DEdge(R, false, false);
}

void TcxFlatLookAndFeelPainter::PaintFooterCellBorder(TcxCanvas* ACanvas, const TRect& R) const {
  ACanvas->Draw3DEdge(R, true, true);
}

void TcxFlatLookAndFeelPainter::PaintFilterDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                          bool AIsFilterActive) const {
  Paint3DFilterDropDownButton(this, ACanvas, R, AState, AIsFilterActive);
}

void TcxFlatLookAndFeelPainter::PaintTabBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorder ASide,
                                               TcxBorders ABorders, bool AVertical) const {
  Paint3DTabBorder(ACanvas, R, ASide, ABorders, AVertical, clBtnHighlight, clBtnShadow);
}

void TcxFlatLookAndFeelPainter::PaintTabsRoot(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                              bool AVertical) const {
  ACanvas->Draw3DEdge(R, false, false, ABorders);
}

void TcxFlatLookAndFeelPainter::PaintSplitterBorder(TcxCanvas* ACanvas, const TRect& ARect,
                                                    const TcxViewParams& AViewParams, bool AHorizontal) const {
  TRect R = ARect;
  PaintSplitterLines(ACanvas, R, AHorizontal, clBtnHighlight, clBtnShadow);
  PaintViewParams(ACanvas, R, AViewParams);
}

// ---------------------------------------------------------------------------
// Ultra-flat painter: group buttons, header sections, footers, filter
// buttons, tabs, navigation and splitters.

TRect TcxUltraFlatLookAndFeelPainter::CalcGroupButtonBorders(Integer AButtonCount, Integer AButtonIndex) const {
  return TRect(AButtonIndex == 0 ? 2 : 1, 2, AButtonIndex == AButtonCount - 1 ? 2 : 1, 2);
}

void TcxUltraFlatLookAndFeelPainter::PaintGroupButton(TcxCanvas* ACanvas, const TRect& ARect, TcxButtonState AState,
                                                      Integer AButtonCount, Integer AButtonIndex,
                                                      TColor ABackgroundColor) const {
  TRect R = cxInflatedRectSides(ARect, AButtonIndex == 0 ? -1 : 0, -1, AButtonIndex == AButtonCount - 1 ? -1 : 0, -1);
  if (AState == cxbsNormal || AState == cxbsDisabled) {
    ACanvas->DrawRectBorders(R, ABackgroundColor, 1, cxBordersAll);
    R = Shrunk(R);
  } else {
    // Hot, pressed and default buttons are joined to their neighbours by
    // lines in the hot frame colour.
    if (AButtonIndex > 0) {
      ACanvas->FillRectColor(TRect(R.Left, R.Top, R.Left + 1, R.Bottom), GetHotFrameColor());
      ++R.Left;
    }
    if (AButtonIndex < AButtonCount - 1) {
      ACanvas->FillRectColor(TRect(R.Right - 1, R.Top, R.Right, R.Bottom), GetHotFrameColor());
      --R.Right;
    }
  }
  ACanvas->FillRectColor(R, GetButtonFaceColor(AState));
}

void TcxUltraFlatLookAndFeelPainter::PaintButtonFrame(TcxCanvas* ACanvas, const TRect& R, bool A, bool B) const {
  ACanvas->DrawRectBorders(R, A ? clBtnText : B ? GetHotFrameColor() : clBtnShadow, 1, cxBordersAll);
}

void TcxUltraFlatLookAndFeelPainter::PaintHeaderPlain(TcxCanvas* ACanvas, const TRect& ABounds,
                                                      const TRect& ATextBounds, TcxBorders ANeighbors,
                                                      TcxBorders ABorders, TcxButtonState AState,
                                                      TAlignment AAlignmentHorz, TcxVerticalAlignment AAlignmentVert,
                                                      bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                                                      TFont* AFont, TColor ATextColor, TColor ABackColor,
                                                      const TcxDrawBackgroundEvent& AOnDrawBackground) const {
  PaintCellContent(ACanvas, ABounds, Shrunk(ATextBounds), AState, AAlignmentHorz, AAlignmentVert, AMultiLine,
                   AShowEndEllipsis, AText, AFont, ATextColor, ABackColor, AOnDrawBackground);
  PaintHeaderBorder(ACanvas, Shrunk(ABounds), ANeighbors, ABorders);
}

void TcxUltraFlatLookAndFeelPainter::PaintHeaderSectionBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                                              TcxButtonState AState) const {
  ACanvas->DrawRectBorders(R, AState == cxbsDisabled ? clBtnShadow : clBlack, 1, ABorders);
}

void TcxUltraFlatLookAndFeelPainter::PaintHeaderSectionContent(TcxCanvas* ACanvas, const TRect& R,
                                                               const TRect& ATextBounds, TcxButtonState AState,
                                                               TAlignment AAlignmentHorz,
                                                               TcxVerticalAlignment AAlignmentVert, bool AMultiLine,
                                                               bool AShowEndEllipsis, const String& AText,
                                                               TFont* AFont, TColor ATextColor,
                                                               TColor ABackColor) const {
  const bool tinted = AState == cxbsHot || AState == cxbsPressed || AState == cxbsDisabled;
  ACanvas->FillRectColor(R, tinted ? GetButtonFaceColor(AState) : ABackColor);
  PaintHeaderSectionText(ACanvas, CalcHeaderSectionTextRect(ATextBounds, AState), AState, AAlignmentHorz,
                         AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor);
}

void TcxUltraFlatLookAndFeelPainter::PaintFooterBorder(TcxCanvas* ACanvas, const TRect& R) const {
  ACanvas->DrawRectBorders(R, GetFooterSeparatorColor(), 1, TcxBorders{bRight, bBottom});
}

void TcxUltraFlatLookAndFeelPainter::PaintFooterCellBorder(TcxCanvas* ACanvas, const TRect& R) const {
  ACanvas->DrawRectBorders(R, GetFooterSeparatorColor(), 1, cxBordersAll);
}

void TcxUltraFlatLookAndFeelPainter::PaintFilterDropDownButton(TcxCanvas* ACanvas, const TRect& R,
                                                               TcxButtonState AState, bool AIsFilterActive) const {
  ACanvas->DrawRectBorders(R, GetDropDownButtonFrameColor(AState), 1, cxBordersAll);
  const TRect inner = Shrunk(R);
  ACanvas->FillRectColor(inner, GetButtonFaceColor(AState));
  PaintDropDownGlyph(ACanvas, inner, AIsFilterActive ? clBlue : GetButtonSymbolColor(AState));
}

void TcxUltraFlatLookAndFeelPainter::PaintTabBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorder ASide,
                                                    TcxBorders ABorders, bool AVertical) const {
  const bool dark = AVertical ? ASide == bBottom : ASide == bRight;
  ACanvas->FillRectColor(R, dark ? GetTabDarkFrameColor() : GetTabLightFrameColor());
}

void TcxUltraFlatLookAndFeelPainter::PaintTabsRoot(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                                   bool AVertical) const {
  ACanvas->DrawTwoColorFrame(R, GetTabLightFrameColor(), GetTabLightFrameColor(), ABorders);
}

void TcxUltraFlatLookAndFeelPainter::PaintNavigationButtonContent(TcxCanvas* ACanvas, const TRect& R,
                                                                  const TRect& AArrowRect, bool AIsNext,
                                                                  TcxButtonState AState) const {
  ACanvas->FillRectColor(R, clBtnFace);
  const TcxBorders sides = AIsNext ? TcxBorders{bLeft, bTop, bBottom} : TcxBorders{bTop, bRight, bBottom};
  ACanvas->DrawRectBorders(R, AState == cxbsHot ? GetTabLightFrameColor() : GetTabDarkFrameColor(), 1, sides);
  PaintNavigationArrow(ACanvas, AArrowRect, AIsNext, GetButtonSymbolColor(AState));
}

void TcxUltraFlatLookAndFeelPainter::PaintNavigatorButton(TcxCanvas* ACanvas, const TRect& R,
                                                          TcxButtonState AState) const {
  PaintButton(ACanvas, R, String(), AState, AState == cxbsHot || AState == cxbsPressed);
}

void TcxUltraFlatLookAndFeelPainter::PaintSplitterBorder(TcxCanvas* ACanvas, const TRect& ARect,
                                                         const TcxViewParams& AViewParams, bool AHorizontal) const {
  TRect R = ARect;
  PaintSplitterLines(ACanvas, R, AHorizontal, GetSchedulerBorderColor(), GetSchedulerBorderColor());
  PaintViewParams(ACanvas, R, AViewParams);
}

TcxLookAndFeelPainterClass cxPainterOfKind(TcxLookAndFeelKind AKind) {
  switch (AKind) {
    case lfFlat: return cxFlatPainter();
    case lfStandard: return cxStandardPainter();
    case lfOffice11: return cxOffice11Painter();
    default: return cxUltraFlatPainter();
  }
}
