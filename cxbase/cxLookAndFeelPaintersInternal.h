// Small helpers shared by the painter sources.
#pragma once
#include "cxLookAndFeelPainters.h"

namespace cxpainters {

// Rounds half away from zero, as MulDiv(a + b, 1, 2) does.
inline Integer MidOf(Integer a, Integer b) {
  const Integer s = a + b;
  return s >= 0 ? (s + 1) / 2 : -((-s + 1) / 2);
}

// The canvas text flags of an alignment pair, a multi-line and an ellipsis flag.
inline Cardinal TextFlags(TAlignment AHorz, TcxVerticalAlignment AVert, bool AMultiLine, bool AShowEndEllipsis) {
  Cardinal f = AHorz == taRightJustify ? cxtfRight : AHorz == taCenter ? cxtfHCenter : cxtfLeft;
  f |= AVert == vaBottom ? cxtfBottom : AVert == vaCenter ? cxtfVCenter : cxtfTop;
  f |= AMultiLine ? cxtfWordBreak : cxtfSingleLine;
  if (AShowEndEllipsis) f |= cxtfEndEllipsis;
  return f;
}

inline void SetPenColor(TcxCanvas* C, TColor AColor) {
  C->Pen()->SetStyle(psSolid);
  C->Pen()->SetColor(AColor);
}

inline TRect Shrunk(const TRect& R) { return cxInflatedRect(R, -1, -1); }

inline TcxArrowPointing ScrollArrowDirection(bool AHorizontal, TcxScrollBarPart APart) {
  return AHorizontal ? (APart == sbpLineUp ? apLeft : apRight) : (APart == sbpLineUp ? apUp : apDown);
}

// The one-pixel frame of the standard scroll-bar buttons (a pressed arrow:
// flat shadow).
void ScrollButtonBorder(TcxCanvas* C, const TRect& R, bool APressedArrow);

// R painted from view parameters without borders.
inline void PaintViewParams(TcxCanvas* C, const TRect& R, const TcxViewParams& P) {
  C->FillRectWithBorders(R, P, TcxBorders(), clNone, 0);
}

}  // namespace cxpainters
