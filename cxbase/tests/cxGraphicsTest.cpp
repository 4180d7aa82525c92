// The canvas wrapper on memory bitmaps: text output and measuring, tiling,
// borders and frames, the state and clip-region stacks, regions and the
// colour and text helpers.
#include <memory>

#include "TestPng.h"
#include "cxGraphics.h"
#include "gtest.h"

namespace {

struct CanvasFixture : ::testing::Test {
  std::unique_ptr<TBitmap> Bmp;
  std::unique_ptr<TcxCanvas> C;
  void Make(int w, int h, TColor background) {
    Bmp = std::make_unique<TBitmap>(w, h, pf32bit);
    C = std::make_unique<TcxCanvas>(Bmp->Canvas());
    C->FillRectColor(TRect(0, 0, w, h), background);
    C->Font()->SetName("Tahoma");
    C->Font()->SetHeight(-13);
    C->Font()->SetQuality(fqNonAntialiased);
  }
  COLORREF Px(int x, int y) { return COLORREF(Bmp->Canvas()->Pixels(x, y)); }
  // Rightmost / lowest column or row holding the colour; -1 when none.
  int RightmostOf(COLORREF c) {
    for (int x = Bmp->Width() - 1; x >= 0; --x)
      for (int y = 0; y < Bmp->Height(); ++y)
        if (Px(x, y) == c) return x;
    return -1;
  }
  int LowestNotOf(COLORREF background) {
    for (int y = Bmp->Height() - 1; y >= 0; --y)
      for (int x = 0; x < Bmp->Width(); ++x)
        if (Px(x, y) != background) return y;
    return -1;
  }
};

}  // namespace

TEST(cxGraphics, TextFlagConversion) {
  struct { Cardinal cx, dt; } cases[] = {
      {cxtfLeft | cxtfTop, DT_NOPREFIX},
      {cxtfShowPrefix, 0},
      {cxtfRight | cxtfBottom | cxtfSingleLine, DT_NOPREFIX | DT_RIGHT | DT_BOTTOM | DT_SINGLELINE},
      {cxtfHCenter | cxtfVCenter | cxtfNoClip, DT_NOPREFIX | DT_CENTER | DT_VCENTER | DT_NOCLIP},
      {cxtfWordBreak, DT_NOPREFIX | DT_WORDBREAK | DT_EDITCONTROL},
      {cxtfWordBreak | cxtfNoEditControl, DT_NOPREFIX | DT_WORDBREAK},
      {cxtfNoEditControl, DT_NOPREFIX},
      {cxtfEndEllipsis | cxtfPathEllipsis | cxtfExpandTabs | cxtfCalcRect,
       DT_NOPREFIX | DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_EXPANDTABS | DT_CALCRECT},
  };
  for (auto& c : cases) EXPECT_EQ(cxTextFlagsToDrawTextFlags(c.cx), c.dt) << std::hex << c.cx;
}

TEST_F(CanvasFixture, PaintTextOfNothingTouchesNothing) {
  Make(40, 20, clWhite);
  C->Brush()->SetStyle(bsClear);
  C->Font()->SetColor(clRed);
  C->PaintText("", TRect(0, 0, 40, 20), cxtfSingleLine, false);
  EXPECT_EQ(C->Brush()->Style(), bsClear);
  EXPECT_EQ(C->Font()->Color(), clRed);
  EXPECT_EQ(LowestNotOf(0xFFFFFF), -1);
}

TEST_F(CanvasFixture, DisabledTextIsEmbossedInsideTheRectangle) {
  Make(120, 24, clBlack);
  const COLORREF light = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
  ASSERT_NE(light, dark);
  C->Font()->SetColor(clRed);
  // Single line, right aligned: drawn with ExtTextOut. The highlight copy
  // ends at the right edge, the shadow copy one pixel before it.
  C->PaintText("WM", TRect(0, 0, 100, 24), cxtfSingleLine | cxtfRight | cxtfTop, false);
  WriteTestPng(Bmp.get(), "cxcanvas_disabled_text");
  int rightLight = RightmostOf(light), rightDark = RightmostOf(dark);
  ASSERT_GE(rightLight, 0);
  EXPECT_LE(rightLight, 99);
  EXPECT_EQ(rightLight - rightDark, 1);
  EXPECT_EQ(C->Font()->Color(), clRed);   // restored
  EXPECT_EQ(C->Brush()->Style(), bsSolid);
}

TEST_F(CanvasFixture, WrappedTextAlignsToTheBottom) {
  Make(200, 120, clWhite);
  C->Font()->SetColor(clBlack);
  const String text = "first\nsecond\nthird";
  TRect block(0, 0, 200, 120);
  C->MeasureTextRect(text, block, cxtfLeft | cxtfTop | cxtfWordBreak);
  ASSERT_GT(block.Height(), 30);
  C->PaintText(text, TRect(0, 0, 200, 120), cxtfLeft | cxtfTop | cxtfWordBreak, true);
  int topInk = LowestNotOf(0xFFFFFF);
  C->FillRectColor(TRect(0, 0, 200, 120), clWhite);
  C->PaintText(text, TRect(0, 0, 200, 120), cxtfLeft | cxtfBottom | cxtfWordBreak, true);
  EXPECT_EQ(LowestNotOf(0xFFFFFF), topInk + 120 - block.Height());
  WriteTestPng(Bmp.get(), "cxcanvas_bottom_text");
  // Disabled: one pixel higher (the D adjustment), the highlight copy below.
  C->FillRectColor(TRect(0, 0, 200, 120), clBlack);
  C->PaintText(text, TRect(0, 0, 200, 120), cxtfLeft | cxtfBottom | cxtfWordBreak, false);
  EXPECT_EQ(LowestNotOf(0), topInk + 120 - block.Height());
}

TEST_F(CanvasFixture, MeasuringText) {
  Make(10, 10, clWhite);
  TSize one;
  C->MeasureText("ab", one);
  EXPECT_GT(one.cx, 0);
  EXPECT_GT(one.cy, 0);
  EXPECT_EQ(C->MeasureTextWidth("ab"), one.cx);
  // A zero-width rectangle measures as if 1 pixel wide: every word breaks.
  TRect r(5, 5, 5, 100);
  C->MeasureTextRect("ab cd ef", r, cxtfWordBreak | cxtfNoEditControl);
  EXPECT_EQ(r.Top, 5);
  EXPECT_EQ(r.Height(), 3 * one.cy);
  // Centred in the remembered width.
  TRect c(0, 0, 100, 50);
  C->MeasureTextRect("ab", c, cxtfHCenter | cxtfSingleLine);
  EXPECT_EQ(c.Left, (100 - one.cx) / 2);
  EXPECT_EQ(C->FontHeight(C->Font()), one.cy);
  EXPECT_EQ(cxTextHeightInFont(C->Font(), "Qq"), one.cy);
}

TEST_F(CanvasFixture, TilesBorderStripsAndFrames) {
  Make(40, 40, clWhite);
  TBitmap tile(8, 8, pf32bit);
  tile.Canvas()->Brush()->SetColor(clBlue);
  tile.Canvas()->FillRect(TRect(0, 0, 8, 8));
  tile.Canvas()->SetPixels(0, 0, clRed);
  C->FillRectangle(TRect(4, 4, 20, 20), &tile);
  EXPECT_EQ(Px(8, 8), COLORREF(clRed));     // the grid is anchored at the origin
  EXPECT_EQ(Px(16, 16), COLORREF(clRed));
  EXPECT_EQ(Px(4, 4), COLORREF(clBlue));
  EXPECT_EQ(Px(19, 19), COLORREF(clBlue));
  EXPECT_EQ(Px(3, 3), COLORREF(clWhite));
  EXPECT_EQ(Px(20, 20), COLORREF(clWhite));

  // A strip never wider than the rectangle.
  C->FillRectColor(TRect(0, 0, 40, 40), clWhite);
  C->DrawRectBorders(TRect(10, 10, 16, 30), clGreen, 10, {bLeft});
  EXPECT_EQ(Px(15, 20), COLORREF(clGreen));
  EXPECT_EQ(Px(16, 20), COLORREF(clWhite));
  EXPECT_EQ(Px(9, 20), COLORREF(clWhite));

  // Two-colour frame: the top-right and bottom-left corners take the
  // right-bottom colour.
  C->FillRectColor(TRect(0, 0, 40, 40), clWhite);
  C->DrawTwoColorFrame(TRect(0, 0, 10, 10), clRed, clBlue);
  EXPECT_EQ(Px(0, 0), COLORREF(clRed));
  EXPECT_EQ(Px(9, 0), COLORREF(clBlue));
  EXPECT_EQ(Px(0, 9), COLORREF(clBlue));
  EXPECT_EQ(Px(5, 5), COLORREF(clWhite));
  C->Draw3DEdge(TRect(20, 20, 30, 30), true, true);
  EXPECT_EQ(Px(20, 25), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(29, 25), ColorToRGB(clBtnHighlight));
  C->Draw3DEdge(TRect(20, 20, 30, 30), false, true, {bTop});
  EXPECT_EQ(Px(25, 20), ColorToRGB(cl3DLight));

  // Bordered fill with exclusion: later painting cannot overwrite it.
  TcxViewParams params;
  params.Color = clYellow;
  C->FillRectWithBorders(TRect(0, 0, 10, 10), params, {bLeft, bTop}, clRed, 2, true);
  EXPECT_EQ(Px(1, 5), COLORREF(clRed));
  EXPECT_EQ(Px(5, 5), COLORREF(clYellow));
  C->FillRectColor(TRect(0, 0, 40, 40), clGreen);
  EXPECT_EQ(Px(5, 5), COLORREF(clYellow));
  EXPECT_EQ(Px(15, 15), COLORREF(clGreen));
  C->FillRectColor(TRect(0, 0, 40, 40), clNone);   // paints nothing
  EXPECT_EQ(Px(15, 15), COLORREF(clGreen));
}

TEST_F(CanvasFixture, ClipRegionsStayTheCallersAndStacksRestore) {
  Make(40, 40, clWhite);
  std::unique_ptr<TcxRegion> all(C->CopyClipRegion(false));
  EXPECT_EQ(all->BoundsRect(), TRect(0, 0, 30000, 30000));
  C->SetWindowOrigin(TPoint(10, 20));
  std::unique_ptr<TcxRegion> shifted(C->CopyClipRegion(true));
  EXPECT_EQ(shifted->BoundsRect(), TRect(10, 20, 30010, 30020));
  C->SetWindowOrigin(TPoint(0, 0));

  C->PushClipRegion();
  TcxRegion mine(TRect(0, 0, 10, 10));
  C->ApplyClipRegion(&mine, rcmIntersect, true, false);
  EXPECT_EQ(mine.BoundsRect(), TRect(0, 0, 10, 10));   // intact and still usable
  C->FillRectColor(TRect(0, 0, 40, 40), clRed);
  EXPECT_EQ(Px(5, 5), COLORREF(clRed));
  EXPECT_EQ(Px(15, 15), COLORREF(clWhite));
  C->ExcludeFromClip(TRect(0, 0, 5, 5));
  C->FillRectColor(TRect(0, 0, 40, 40), clBlue);
  EXPECT_EQ(Px(2, 2), COLORREF(clRed));
  EXPECT_EQ(Px(7, 7), COLORREF(clBlue));
  C->PopClipRegion();
  C->PopClipRegion();   // nothing saved: nothing happens
  C->FillRectColor(TRect(0, 0, 40, 40), clGreen);
  EXPECT_EQ(Px(2, 2), COLORREF(clGreen));
  EXPECT_EQ(Px(30, 30), COLORREF(clGreen));

  C->Font()->SetColor(clRed);
  C->Brush()->SetColor(clYellow);
  C->PushState();
  C->Font()->SetColor(clBlue);
  C->Brush()->SetColor(clNavy);
  C->IntersectClip(TRect(0, 0, 1, 1));
  C->PopState();
  EXPECT_EQ(C->Font()->Color(), clRed);
  EXPECT_EQ(C->Brush()->Color(), clYellow);
  C->FillRectangle(TRect(0, 0, 40, 40));
  EXPECT_EQ(Px(30, 30), COLORREF(clYellow));   // the clip came back with the DC
  EXPECT_EQ(C->SavedDCCount(), 0);

  // Unbalanced pushes are freed with the canvas.
  C->PushState();
  C->PushClipRegion();
  EXPECT_EQ(C->SavedRegionCount(), 1);
  C.reset();
}

TEST(cxRegion, AreaAndComparison) {
  TcxRegion empty, empty2(5, 5, 5, 9), box(TRect(0, 0, 10, 10));
  EXPECT_TRUE(empty.HasNoArea());
  EXPECT_TRUE(empty.SameAs(&empty2));
  EXPECT_FALSE(box.SameAs(nullptr));
  EXPECT_FALSE(box.SameAs(&empty));
  auto* other = new TcxRegion(TRect(5, 0, 15, 10));
  box.CombineWith(other, rcmUnion);   // frees other
  EXPECT_EQ(box.BoundsRect(), TRect(0, 0, 15, 10));
  box.CombineWith(TRect(0, 0, 15, 5), rcmDifference);
  EXPECT_EQ(box.BoundsRect(), TRect(0, 5, 15, 10));
  box.Offset(1, 1);
  EXPECT_TRUE(box.PtInRegion(TPoint(1, 6)));
  TcxRegion copy;
  copy.CombineWith(&box, rcmSet, false);
  EXPECT_TRUE(copy.SameAs(&box));
}

TEST(cxGraphics, ColourAndTextHelpers) {
  EXPECT_FALSE(cxIsChineseOrArabicText(GB2312_CHARSET, "A中"));
  EXPECT_TRUE(cxIsChineseOrArabicText(GB2312_CHARSET, "中文"));
  EXPECT_TRUE(cxIsChineseOrArabicText(ARABIC_CHARSET, "中文"));
  EXPECT_FALSE(cxIsChineseOrArabicText(ANSI_CHARSET, "中文"));
  EXPECT_EQ(cxClampChannel(-3), 0);
  EXPECT_EQ(cxClampChannel(300), 255);
  COLORREF face = ColorToRGB(clBtnFace);
  if (face != 0 && face != 0xFFFFFF) {
    EXPECT_EQ(COLORREF(cxMixSystemColors(100, 0, 0)), face);
  }
  TRect r(0, 0, 10, 10);
  cxDeflateRectBy(r, TRect(1, 2, 3, 4));
  EXPECT_EQ(r, TRect(1, 2, 7, 6));
  EXPECT_TRUE(cxRectsSameSize(TRect(0, 0, 3, 4), TRect(10, 10, 13, 14)));
  TSize cursor;
  cxGetMouseCursorExtent(cursor);
  EXPECT_GT(cursor.cx, 0);
  EXPECT_NE(cxHalftoneBrush(), nullptr);
}
