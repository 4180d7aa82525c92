// Solid-brush cache, editor arrows, sides and polylines.
#include <windows.h>

#include "cxEditPaintUtils.h"
#include "dxOffice11.h"
#include "gtest.h"

namespace {
struct TPaintCanvas {
  TBitmap Bitmap;
  std::unique_ptr<TcxCanvas> Canvas;
  TPaintCanvas(int w, int h) {
    Bitmap.SetPixelFormat(pf24bit);
    Bitmap.SetWidth(w);
    Bitmap.SetHeight(h);
    Bitmap.Canvas()->Brush()->SetColor(clWhite);
    Bitmap.Canvas()->FillRect(TRect(0, 0, w, h));
    Canvas = std::make_unique<TcxCanvas>(Bitmap.Canvas());
  }
  bool Black(int x, int y) { return GetPixel(Bitmap.Canvas()->Handle(), x, y) == RGB(0, 0, 0); }
  // The bounding box of the black pixels.
  TRect BlackBounds() {
    TRect r(1000, 1000, -1, -1);
    for (int y = 0; y < Bitmap.Height(); ++y)
      for (int x = 0; x < Bitmap.Width(); ++x)
        if (Black(x, y)) r = TRect(std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1), std::max(r.Bottom, y + 1));
    return r;
  }
};
}  // namespace

TEST(cxSolidBrushCache, HitsEvictionAndSystemColours) {
  TcxSolidBrushCache cache(4);
  HBRUSH red = cache.GetBrush(clRed);
  EXPECT_EQ(cache.GetBrush(clRed), red);
  EXPECT_EQ(cache.UseCount(clRed), 1);
  // System colours come from the system and never enter the cache.
  EXPECT_EQ(cache.GetBrush(clBtnFace), GetSysColorBrush(COLOR_BTNFACE));
  EXPECT_EQ(cache.GetBrush(clBtnFace), cache.GetBrush(clBtnFace));
  EXPECT_FALSE(cache.Contains(clBtnFace));
  EXPECT_EQ(cache.Depth(), 1);
  // Full: the least used colour makes room (the first of equal counts).
  cache.GetBrush(clBlue);
  cache.GetBrush(clBlue);
  cache.GetBrush(clLime);
  cache.GetBrush(clLime);
  cache.GetBrush(clYellow);   // used once, never again
  EXPECT_EQ(cache.Depth(), 4);
  cache.GetBrush(clAqua);
  EXPECT_EQ(cache.Depth(), 4);
  EXPECT_FALSE(cache.Contains(clYellow));
  EXPECT_TRUE(cache.Contains(clRed) && cache.Contains(clBlue) && cache.Contains(clLime) && cache.Contains(clAqua));
  // The brush paints its colour.
  LOGBRUSH lb{};
  GetObjectW(cache.GetBrush(clAqua), sizeof(lb), &lb);
  EXPECT_EQ(lb.lbColor, ColorToRGB(clAqua));
  cache.Clear();
  EXPECT_EQ(cache.Depth(), 0);
  // The process-wide cache holds 128.
  EXPECT_EQ(cxSolidBrushCache()->MaxDepth(), 128);
  EXPECT_EQ(cxBrushFromColor(TColor(0x123456)), cxBrushFromColor(TColor(0x123456)));
}

TEST(cxEditPaintUtils, Arrows) {
  EXPECT_EQ(cxCalcArrowSize(TSize(16, 10), apUp), TSize(5, 3));
  EXPECT_EQ(cxCalcArrowSize(TSize(16, 10), apLeft), TSize(3, 5));
  struct Case {
    TcxArrowPointing Dir;
    bool Double, Offset;
    TRect Bounds;
  };
  const Case cases[] = {
      {apDown, false, false, TRect(6, 8, 13, 12)},
      {apDown, false, true, TRect(7, 9, 14, 13)},
      {apUp, true, false, TRect(6, 6, 13, 14)},
      {apRight, false, false, TRect(8, 6, 12, 13)},
  };
  for (const Case& k : cases) {
    TPaintCanvas c(20, 20);
    cxDrawEditArrow(c.Canvas.get(), 4, TRect(0, 0, 20, 20), k.Dir, k.Double, k.Offset, clBlack);
    EXPECT_EQ(c.BlackBounds(), k.Bounds) << k.Dir << k.Double << k.Offset;
  }
  // A down arrow starts with its full width and ends in one pixel.
  TPaintCanvas c(20, 20);
  cxDrawEditArrow(c.Canvas.get(), 4, TRect(0, 0, 20, 20), apDown, false, false, clBlack);
  EXPECT_TRUE(c.Black(6, 8) && c.Black(12, 8));
  EXPECT_TRUE(c.Black(9, 11) && !c.Black(8, 11) && !c.Black(10, 11));
}

TEST(cxEditPaintUtils, SidesAndPolylines) {
  TPaintCanvas c(20, 20);
  TRect r(2, 2, 12, 12);
  cxDrawRectSides(c.Canvas.get(), r, TcxBorders{bLeft, bBottom}, clBlack);
  EXPECT_EQ(r, TRect(3, 2, 12, 11));
  EXPECT_TRUE(c.Black(2, 2) && c.Black(2, 11) && c.Black(11, 11));
  EXPECT_FALSE(c.Black(11, 2));
  for (bool useBrush : {false, true}) {
    TPaintCanvas p(20, 20);
    const TPoint pts[] = {TPoint(1, 1), TPoint(8, 1), TPoint(8, 6)};
    cxDrawOrthoPolyline(p.Canvas.get(), pts, 2, clBlack, useBrush);
    EXPECT_EQ(p.BlackBounds(), TRect(1, 1, 9, 7)) << useBrush;   // the end pixel included
  }
  // Frame rings: four strips, the whole outer without an inner rectangle.
  EXPECT_EQ(cxFrameRingStrips(TRect(0, 0, 10, 10), TRect(2, 2, 8, 8)).size(), 4u);
  EXPECT_TRUE(cxFrameRingStrips(TRect(0, 0, 10, 10), TRect(0, 0, 10, 10)).empty());
  EXPECT_EQ(cxFrameRingStrips(TRect(0, 0, 10, 10), TRect()), (std::vector<TRect>{TRect(0, 0, 10, 10)}));
  EXPECT_EQ(cxEditBorderWidth(cbsThick), 2);
  EXPECT_EQ(cxEditBorderWidth(cbsThick, cxStandardPainter()), 2);
  EXPECT_EQ(cxEditBorderWidth(cbs3D, cxStandardPainter()), 1);
  EXPECT_FALSE(cxDwmCompositionOn() && !cxDwmLoaded());
}

TEST(cxEditPaintUtils, PaintersAndStateColours) {
  struct Case {
    TcxLookAndFeelKind Kind;
    TcxLookAndFeelPainterClass Painter;
  };
  const Case cases[] = {{lfFlat, cxFlatPainter()},
                        {lfStandard, cxStandardPainter()},
                        {lfUltraFlat, cxUltraFlatPainter()},
                        {lfOffice11, cxOffice11Painter()}};
  for (const Case& k : cases) EXPECT_EQ(cxPainterClassFor(false, k.Kind), k.Painter) << k.Kind;
  EXPECT_EQ(cxEditHotBorderColor(false), clHighlight);
  EXPECT_EQ(cxEditHotBorderColor(true), Office2003FocusFrameColor());
  EXPECT_EQ(cxFlatButtonStateColor(true, true), cxOffice11Painter()->GetButtonFaceColor(cxbsPressed));
  EXPECT_EQ(cxFlatButtonStateColor(false, false), cxUltraFlatPainter()->GetButtonFaceColor(cxbsHot));
  // Button content offsets by style, without the native look.
  TPaintCanvas c(10, 10);
  const Integer offsets[] = {0, 4, 2, 2, 2, 2, 2};
  for (int s = btsDefault; s <= btsOffice11; ++s)
    EXPECT_EQ(cxEditButtonsContentVerticalOffset(c.Canvas.get(), TcxEditButtonStyle(s), false), offsets[s]) << s;
  // Button widths: a fixed width, a glyph plus margin, a caption, the arrow width.
  TcxEditButtonMetrics m;
  m.FixedWidth = 30;
  EXPECT_EQ(cxCalcEditButtonWidth(c.Canvas.get(), m), 30);
  m.FixedWidth = 0;
  m.Kind = bkEllipsis;
  EXPECT_EQ(cxCalcEditButtonWidth(c.Canvas.get(), m), GetSystemMetrics(SM_CYHSCROLL));
  m.Kind = bkText;
  m.Caption = "确定保存";
  EXPECT_EQ(cxCalcEditButtonWidth(c.Canvas.get(), m),
            std::max<Integer>(GetSystemMetrics(SM_CYHSCROLL), 4 + c.Canvas->TextWidth("确定保存") + 3));
}

TEST(cxEditPaintUtils, GlyphsThroughABuffer) {
  // A 4 x 4 glyph: red with a green (transparent, bottom-left) border column.
  TBitmap glyph;
  glyph.SetPixelFormat(pf24bit);
  glyph.SetWidth(4);
  glyph.SetHeight(4);
  glyph.Canvas()->Brush()->SetColor(clRed);
  glyph.Canvas()->FillRect(TRect(0, 0, 4, 4));
  glyph.Canvas()->Brush()->SetColor(clLime);
  glyph.Canvas()->FillRect(TRect(0, 0, 1, 4));
  for (TColor background : {clNone, clBlue}) {
    TPaintCanvas p(10, 10);
    TBitmap buffer;
    cxDrawGlyphOnCxCanvas(p.Canvas.get(), 3, 3, &glyph, true, background, &buffer);
    HDC dc = p.Bitmap.Canvas()->Handle();
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 0, 0));
    // The transparent column shows what lay behind: the canvas or the background.
    EXPECT_EQ(GetPixel(dc, 3, 5), background == clNone ? RGB(255, 255, 255) : RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 8, 8), RGB(255, 255, 255));
    EXPECT_EQ(buffer.Width(), 4);
  }
}
