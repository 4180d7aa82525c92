// Painters of the standard and flat looks on memory bitmaps: a sheet of every
// element per look written as a PNG, and pixel checks where the geometry is
// fixed (arrow triangles, header heights and widths, check marks); the
// look-and-feel's choice of painter.
#include <algorithm>
#include <memory>

#include "TestPng.h"
#include "cxLookAndFeels.h"
#include "gtest.h"

namespace {

struct PainterFixture : ::testing::Test {
  std::unique_ptr<TBitmap> Bmp;
  std::unique_ptr<TcxCanvas> C;
  void Make(int w, int h, TColor background = clWhite) {
    Bmp = std::make_unique<TBitmap>(w, h, pf32bit);
    C = std::make_unique<TcxCanvas>(Bmp->Canvas());
    C->FillRectColor(TRect(0, 0, w, h), background);
    C->Font()->SetName("Tahoma");
    C->Font()->SetHeight(-13);
    C->Font()->SetQuality(fqNonAntialiased);
  }
  COLORREF Px(int x, int y) { return COLORREF(Bmp->Canvas()->Pixels(x, y)); }
  // The bounding box of the pixels of one colour; empty when there are none.
  TRect BoxOf(TColor c) {
    const COLORREF rgb = COLORREF(ColorToRGB(c));
    TRect r(Bmp->Width(), Bmp->Height(), 0, 0);
    for (int y = 0; y < Bmp->Height(); ++y)
      for (int x = 0; x < Bmp->Width(); ++x)
        if (Px(x, y) == rgb) {
          r.Left = std::min<Integer>(r.Left, x);
          r.Top = std::min<Integer>(r.Top, y);
          r.Right = std::max<Integer>(r.Right, x + 1);
          r.Bottom = std::max<Integer>(r.Bottom, y + 1);
        }
    return r;
  }
};

void PaintSheet(TcxLookAndFeelPainterClass P, TcxCanvas* C) {
  const TcxButtonState states[] = {cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled};
  for (int i = 0; i < 5; ++i) {
    P->PaintButton(C, TRect(4 + i * 64, 4, 64 + i * 64, 27), "按钮&A", states[i]);
    P->PaintCheckBox(C, TRect(4 + i * 20, 34, 17 + i * 20, 47), states[i], TcxCheckBoxState(i % 3));
    P->PaintArrowButton(C, TRect(110 + i * 20, 34, 127 + i * 20, 51), states[i], TcxArrowPointing(i % 4));
    for (int part = sbpLineUp; part <= sbpPageDown; ++part)
      P->PaintScrollBarPart(C, false, TRect(4 + (part - 1) * 20, 60 + i * 20, 21 + (part - 1) * 20, 77 + i * 20),
                            TcxScrollBarPart(part), states[i]);
    P->PaintGroupExpandButton(C, TRect(120 + i * 20, 60, 135 + i * 20, 75), i % 2, states[i]);
  }
  const int headerHeight = P->CalcHeaderHeight(13);
  for (int i = 0; i < 3; ++i) {
    TcxBorders neighbours;
    if (i > 0) neighbours.Include(bLeft);
    if (i < 2) neighbours.Include(bRight);
    const TRect cell(120 + i * 60, 90, 180 + i * 60, 90 + headerHeight);
    P->PaintHeader(C, cell, cxInflatedRect(cell, -2, -1), neighbours, cxBordersAll, cxbsNormal, taLeftJustify,
                   vaCenter, false, true, String(i == 0 ? "名称" : i == 1 ? "数量" : "单价"), nullptr, clBtnText, P->GetHeaderColor());
    if (i < 2) P->PaintSortingMark(C, TRect(cell.Right - 16, cell.Top, cell.Right, cell.Bottom), i == 0);
  }
  C->PushClipRegion();
  P->PaintExpandButton(C, TRect(120, 120, 120 + P->CalcExpandButtonSize(), 120 + P->CalcExpandButtonSize()), false);
  P->PaintExpandButton(C, TRect(140, 120, 140 + P->CalcExpandButtonSize(), 120 + P->CalcExpandButtonSize()), true);
  C->PopClipRegion();
  P->PaintSmallExpandButton(C, TRect(160, 120, 169, 129), false, clBtnShadow, clWindow);
  P->PaintBorder(C, TRect(200, 120, 240, 150));
  P->PaintSizeGrip(C, TRect(250, 120, 267, 137), P->GetSizeGripColor());
}

TEST_F(PainterFixture, SheetPerLook) {
  const struct {
    TcxLookAndFeelPainterClass Painter;
    const char* Name;
  } looks[] = {{cxStandardPainter(), "cxpainter_standard"}, {cxFlatPainter(), "cxpainter_flat"},
                {cxUltraFlatPainter(), "cxpainter_ultraflat"}};
  for (const auto& look : looks) {
    Make(330, 170);
    PaintSheet(look.Painter, C.get());
    WriteTestPng(Bmp.get(), look.Name);
    // Buttons fill their face inside the border.
    EXPECT_EQ(Px(30, 15), COLORREF(ColorToRGB(clBtnFace))) << look.Name;
  }
}

TEST_F(PainterFixture, ArrowTriangleGeometry) {
  // A 9-pixel-wide rectangle gives an arrow 3 deep and 5 across.
  const TRect r(10, 10, 19, 19);
  const struct {
    TcxArrowPointing Dir;
    int Width, Height;
  } cases[] = {{apUp, 5, 3}, {apDown, 5, 3}, {apLeft, 3, 5}, {apRight, 3, 5}};
  for (const auto& c : cases) {
    Make(30, 30);
    const TcxArrowPoints p = TcxCustomLookAndFeelPainter::CalcArrowTriangle(r, c.Dir, false);
    cxStandardPainter()->PaintArrowButton(C.get(), r, cxbsNormal, c.Dir, false);
    const TRect box = BoxOf(clBtnText);
    EXPECT_EQ(box.Right - box.Left, c.Width) << int(c.Dir);
    EXPECT_EQ(box.Bottom - box.Top, c.Height) << int(c.Dir);
    // The second point is the tip, on the pointing side of the box.
    switch (c.Dir) {
      case apUp: EXPECT_EQ(p[1].Y, box.Top); break;
      case apDown: EXPECT_EQ(p[1].Y, box.Bottom - 1); break;
      case apLeft: EXPECT_EQ(p[1].X, box.Left); break;
      case apRight: EXPECT_EQ(p[1].X, box.Right - 1); break;
    }
  }
}

TEST_F(PainterFixture, HeaderMetrics) {
  TcxCustomLookAndFeelPainter base;
  EXPECT_EQ(base.CalcHeaderHeight(13), 17);
  EXPECT_EQ(cxStandardPainter()->CalcHeaderHeight(13), 19);
  EXPECT_EQ(cxFlatPainter()->CalcHeaderHeight(13), 19);
  Make(10, 10);
  const Integer text = C->TextWidth("列名");
  // A left border adds one border width, a right border takes it away again.
  EXPECT_EQ(cxStandardPainter()->CalcHeaderWidth(C.get(), cxBordersAll, "列名", nullptr), text + 4);
  EXPECT_EQ(cxStandardPainter()->CalcHeaderWidth(C.get(), TcxBorders{bLeft}, "列名", nullptr), text + 5);
  EXPECT_EQ(cxStandardPainter()->CalcHeaderContentRect(TRect(0, 0, 50, 19), TcxBorders{bLeft, bBottom}),
            TRect(1, 0, 50, 18));
}

TEST_F(PainterFixture, ButtonBordersAndPressedCaption) {
  EXPECT_EQ(cxStandardPainter()->GetButtonBorderWidth(cxbsDefault), 3);
  EXPECT_EQ(cxFlatPainter()->GetButtonBorderWidth(cxbsDefault), 2);
  // A default standard button has a black outer ring.
  Make(40, 20);
  cxStandardPainter()->PaintButton(C.get(), TRect(0, 0, 40, 20), "", cxbsDefault);
  EXPECT_EQ(Px(0, 0), COLORREF(0));
  EXPECT_EQ(Px(39, 19), COLORREF(0));
  // Hot looks exactly like normal; pressed moves the caption right and down.
  const auto captionBox = [&](TcxButtonState s) {
    Make(60, 24);
    cxStandardPainter()->PaintButton(C.get(), TRect(0, 0, 60, 24), "X", s, true, clWindow, clRed);
    return BoxOf(clRed);
  };
  EXPECT_EQ(captionBox(cxbsHot), captionBox(cxbsNormal));
  EXPECT_EQ(captionBox(cxbsPressed), cxShiftedRect(captionBox(cxbsNormal), 1, 1));
}

TEST_F(PainterFixture, UltraFlatButtonFrames) {
  // Normal: a one-pixel clBtnText frame; default: two pixels of clWindowFrame.
  Make(40, 20, clWhite);
  cxUltraFlatPainter()->PaintButton(C.get(), TRect(0, 0, 40, 20), "", cxbsNormal);
  EXPECT_EQ(Px(0, 10), COLORREF(ColorToRGB(clBtnText)));
  EXPECT_EQ(Px(1, 10), COLORREF(ColorToRGB(clBtnFace)));
  cxUltraFlatPainter()->PaintButton(C.get(), TRect(0, 0, 40, 20), "", cxbsDefault);
  EXPECT_EQ(Px(1, 10), COLORREF(ColorToRGB(clWindowFrame)));
  EXPECT_EQ(Px(2, 10), COLORREF(ColorToRGB(clBtnFace)));
  cxUltraFlatPainter()->PaintButton(C.get(), TRect(0, 0, 40, 20), "", cxbsHot);
  EXPECT_EQ(Px(0, 10), COLORREF(ColorToRGB(clHighlight)));
  EXPECT_EQ(Px(5, 10), COLORREF(ColorToRGB(cxLightHotColor())));
  // A header cell with a left neighbour has no left line; its content
  // starts at the cell's left edge.
  const TcxBorders borders = cxUltraFlatPainter()->CalcHeaderBorders(TcxBorders{bLeft});
  EXPECT_FALSE(borders.Contains(bLeft));
  EXPECT_EQ(cxUltraFlatPainter()->CalcHeaderContentRect(TRect(10, 0, 50, 19), borders).Left, 10);
}

TEST_F(PainterFixture, OddHeightButtonCaptionSitsOnEvenHeight) {
  // 17 pixels high drops the bottom row and then raises the top by one, so
  // the caption is centred in rows -1..15 of the face: the same place as a
  // 16-high face raised by one.
  const auto captionBox = [&](int h) {
    Make(60, 40);
    cxStandardPainter()->PaintButton(C.get(), TRect(0, 10, 60, 10 + h), "X", cxbsNormal, false, clWindow, clRed);
    return BoxOf(clRed);
  };
  EXPECT_EQ(captionBox(17), captionBox(16));
}

TEST_F(PainterFixture, GrayedCheckBoxHasNoMark) {
  Make(20, 20);
  cxStandardPainter()->PaintCheckBox(C.get(), TRect(2, 2, 15, 15), cxbsNormal, cbsGrayed);
  EXPECT_TRUE(IsRectEmpty(BoxOf(clGrayText)));
  EXPECT_TRUE(IsRectEmpty(BoxOf(clBtnText)));
  cxStandardPainter()->PaintCheckBox(C.get(), TRect(2, 2, 15, 15), cxbsNormal, cbsChecked);
  EXPECT_FALSE(IsRectEmpty(BoxOf(clBtnText)));
}

TEST_F(PainterFixture, SortingMarkEdges) {
  // Ascending: the tip on top, a light base; descending: tip below, dark base.
  Make(16, 19, clBtnFace);
  cxStandardPainter()->PaintSortingMark(C.get(), TRect(0, 0, 16, 19), true);
  const TRect light = BoxOf(clBtnHighlight), dark = BoxOf(clBtnShadow);
  EXPECT_EQ(light.Bottom - dark.Top, 7);
  EXPECT_EQ(light.Bottom, dark.Bottom);
  EXPECT_GE(light.Right, dark.Right);
}

TEST_F(PainterFixture, NativeSheetWithThemesOnAndOff) {
  for (bool themed : {true, false}) {
    SetThemesEnabledOverride(themed);
    Make(330, 170);
    PaintSheet(cxNativePainter(), C.get());
    WriteTestPng(Bmp.get(), themed ? "cxpainter_native_themed" : "cxpainter_native_classic");
    if (!themed) {
      // Without visual styles the standard look: a three-ring default button.
      EXPECT_EQ(Px(4, 4), COLORREF(0));
      EXPECT_EQ(cxNativePainter()->GetBorderWidth(), 2);
    }
  }
  SetThemesEnabledOverride(std::nullopt);
}

TEST(LookAndFeelPainter, NativeStyleNeedsThemes) {
  TcxLookAndFeel lf;
  lf.SetNativeStyle(true);
  SetThemesEnabledOverride(true);
  EXPECT_EQ(lf.ActivePainter(), cxNativePainter());
  SetThemesEnabledOverride(false);
  EXPECT_EQ(lf.ActivePainter(), cxUltraFlatPainter());
  SetThemesEnabledOverride(std::nullopt);
}

TEST(LookAndFeelPainter, KindChoosesThePainter) {
  TcxLookAndFeel lf;
  EXPECT_EQ(lf.ActivePainter(), cxUltraFlatPainter());  // the root's kind
  TcxLookAndFeel child;
  child.SetMaster(&lf);
  lf.SetKind(lfFlat);
  EXPECT_EQ(lf.ActivePainter(), cxFlatPainter());
  EXPECT_EQ(child.ActivePainter(), cxFlatPainter());
  EXPECT_EQ(child.ActivePainter()->GetPainterStyle(), pstFlat);
  child.SetKind(lfStandard);
  EXPECT_EQ(child.ActivePainter(), cxStandardPainter());
  EXPECT_EQ(cxKindOfPainterStyle(pstNative), lfStandard);
  EXPECT_EQ(cxKindOfPainterStyle(pstOffice11), lfOffice11);
}

}  // namespace

namespace {

// Counts what it hears and can unregister itself (or another listener)
// while the look-and-feel is announcing a change.
struct CountingListener : IcxLookAndFeelChangeListener {
  TcxLookAndFeel* Source = nullptr;
  IcxLookAndFeelChangeListener* ToUnregister = nullptr;
  int Changes = 0;
  void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues) override {
    ++Changes;
    if (ToUnregister) Source->UnregisterChangeListener(ToUnregister);
  }
};

TEST(LookAndFeelListeners, UnregisteringWhileNotified) {
  TcxLookAndFeel lf;
  CountingListener first, second, third;
  for (CountingListener* l : {&first, &second, &third}) {
    l->Source = &lf;
    lf.RegisterChangeListener(l);
  }
  lf.RegisterChangeListener(&first);  // added once
  first.ToUnregister = &first;        // leaves while told
  second.ToUnregister = &third;       // takes a later one out before its turn
  lf.SetKind(lfFlat);
  EXPECT_EQ(first.Changes, 1);
  EXPECT_EQ(second.Changes, 1);
  EXPECT_EQ(third.Changes, 0);
  second.ToUnregister = nullptr;
  lf.SetKind(lfStandard);
  EXPECT_EQ(first.Changes, 1);
  EXPECT_EQ(second.Changes, 2);
  EXPECT_EQ(third.Changes, 0);
  lf.UnregisterChangeListener(&second);
}

TEST(LookAndFeelListeners, DependentFallsBackToRootWhenMasterGoes) {
  TcxLookAndFeel child;
  int changes = 0;
  child.OnChanged = [&](TcxLookAndFeel*, TcxLookAndFeelValues) { ++changes; };
  {
    TcxLookAndFeel master;
    master.SetKind(lfFlat);
    child.SetMaster(&master);
    EXPECT_EQ(child.ActivePainter(), cxFlatPainter());
  }
  EXPECT_EQ(child.Master(), nullptr);
  EXPECT_EQ(child.Kind(), cxRootLookAndFeel()->Kind());
  EXPECT_EQ(child.ActivePainter(), cxUltraFlatPainter());
  EXPECT_GE(changes, 2);
}

}  // namespace
