// Painters of the editor library: classes of class-level drawing operations,
// passed around as class references. A control never chooses a painter
// itself: it asks its look-and-feel for the painter in effect.
//
// This holds the base painter with the operations the control foundation
// calls (borders, size grip, scroll-bar parts) and the standard painter; the
// other looks add their painters beside it.
#pragma once
#include "cxGraphics.h"

enum TcxButtonState { cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled };
enum TcxPainterStyle { pstFlat, pstStandard, pstUltraFlat, pstNative, pstOffice11 };

// Parts of a scroll bar as the painters and TcxScrollBar number them:
// 1 start arrow, 2 end arrow, 3 thumb, 4 page area before the thumb, 5 after.
enum TcxScrollBarPart { sbpNone, sbpLineUp, sbpLineDown, sbpThumbnail, sbpPageUp, sbpPageDown };

// The operations need no instance: each painter class has one stateless
// object that stands for the class.
class TcxCustomLookAndFeelPainter {
 public:
  virtual ~TcxCustomLookAndFeelPainter() = default;
  virtual TcxPainterStyle GetPainterStyle() const { return pstStandard; }
  virtual Integer GetBorderWidth() const { return 0; }
  virtual void PaintBorder(TcxCanvas* ACanvas, const TRect& R) const {}
  virtual TColor GetSizeGripColor() const { return clBtnFace; }
  virtual bool HasHotTrackButtons() const { return false; }
  virtual Integer GetButtonBorderWidth(TcxButtonState AState) const { return 0; }
  virtual Integer CalcScrollBarMinThumbSize(bool AVertical) const { return 8; }
  virtual void PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                                  TcxButtonState AState) const {}
  // The system's vertical-bar width and horizontal-bar height.
  virtual TSize CalcScrollBarSize() const;
};

using TcxLookAndFeelPainterClass = const TcxCustomLookAndFeelPainter*;

// Raised 3-D look with system colours.
class TcxStandardLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
 public:
  Integer GetBorderWidth() const override { return 2; }
  void PaintBorder(TcxCanvas* ACanvas, const TRect& R) const override;
  Integer GetButtonBorderWidth(TcxButtonState AState) const override { return AState == cxbsDefault ? 3 : 2; }
  void PaintScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                          TcxButtonState AState) const override;
};

TcxLookAndFeelPainterClass cxStandardPainter();

// The page-area patterns of scroll bars (light, and dark for a pressed
// area), rebuilt when system colours change.
TBitmap* cxScrollBarPatternBitmap(bool ADark);
void cxRebuildScrollBarBitmaps();
