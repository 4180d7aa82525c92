#include "cxLookAndFeelPainters.h"

#include <memory>

TSize TcxCustomLookAndFeelPainter::CalcScrollBarSize() const {
  return TSize(GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL));
}

void TcxStandardLookAndFeelPainter::PaintBorder(TcxCanvas* ACanvas, const TRect& R) const {
  ACanvas->DrawTwoColorFrame(R, clBtnShadow, clBtnHighlight);
  ACanvas->DrawTwoColorFrame(cxInflatedRect(R, -1, -1), cl3DDkShadow, cl3DLight);
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

TcxLookAndFeelPainterClass cxStandardPainter() {
  static const TcxStandardLookAndFeelPainter painter;
  return &painter;
}
