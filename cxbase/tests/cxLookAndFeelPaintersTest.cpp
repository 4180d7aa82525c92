// Painters on memory bitmaps: a sheet of every element per look written as a
// PNG, and pixel checks where the geometry is fixed (arrow triangles, header
// heights and widths, check marks, the Office-2003 header gradient, radio
// glyphs, the clock); the look-and-feel's choice of painter.
#include <algorithm>
#include <cmath>
#include <memory>

#include "TestPng.h"
#include "cxLookAndFeels.h"
#include "dxOffice11.h"
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
  // Radio buttons, checked and not, in each state; indicator images; the
  // clock; footer cells, filter buttons and header sections.
  const TSize radio = P->CalcRadioButtonSize();
  for (int i = 0; i < 5; ++i) {
    P->PaintRadioButton(C, 4 + i * 20, 180, states[i], false, false, clDefault);
    P->PaintRadioButton(C, 4 + i * 20, 182 + radio.cy, states[i], true, i == 1, clBtnFace);
  }
  for (int kind = 0; kind <= 6; ++kind)
    P->PaintIndicatorCell(C, TRect(110 + kind * 14, 180, 124 + kind * 14, 198), kind, P->GetHeaderColor());
  P->PaintClock(C, TRect(220, 170, 290, 240), 0.4375 + 10.0 / 86400, clWindow, clBtnShadow);
  P->PaintFooterCell(C, TRect(4, 220, 84, 240), taRightJustify, vaCenter, false, "1,234.50", nullptr, clBtnText,
                     P->GetFooterColor());
  P->PaintFilterDropDownButton(C, TRect(90, 220, 105, 240), cxbsNormal, false);
  P->PaintFilterDropDownButton(C, TRect(110, 220, 125, 240), cxbsHot, true);
  P->PaintFilterCloseButton(C, TRect(130, 220, 146, 234), cxbsNormal);
  P->PaintHeaderSection(C, TRect(4, 245, 84, 265), TRect(8, 245, 80, 265), TcxBorders(), cxBordersAll, cxbsNormal,
                        taLeftJustify, vaCenter, false, false, "区段", nullptr, clBtnText, P->GetHeaderColor());
  P->PaintHeaderSection(C, TRect(90, 245, 170, 265), TRect(94, 245, 166, 265), TcxBorders(), cxBordersAll,
                        cxbsPressed, taLeftJustify, vaCenter, false, false, "按下", nullptr, clBtnText,
                        P->GetHeaderColor());
  P->PaintGroupButton(C, TRect(180, 245, 210, 265), cxbsNormal, 2, 0, clWindow);
  P->PaintGroupButton(C, TRect(210, 245, 240, 265), cxbsHot, 2, 1, clWindow);
}

TEST_F(PainterFixture, SheetPerLook) {
  const struct {
    TcxLookAndFeelPainterClass Painter;
    const char* Name;
  } looks[] = {{cxStandardPainter(), "cxpainter_standard"}, {cxFlatPainter(), "cxpainter_flat"},
                {cxUltraFlatPainter(), "cxpainter_ultraflat"}};
  for (const auto& look : looks) {
    Make(330, 270);
    PaintSheet(look.Painter, C.get());
    WriteTestPng(Bmp.get(), look.Name);
    // Buttons fill their face inside the border.
    EXPECT_EQ(Px(30, 15), COLORREF(ColorToRGB(look.Painter->GetButtonFaceColor(cxbsDefault)))) << look.Name;
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
  // Inside the two-pixel border only the fill: no mark at all. (The grey of
  // a mark can equal a border colour, so only the inside is looked at.)
  const auto markPixels = [&] {
    int n = 0;
    for (int y = 4; y < 13; ++y)
      for (int x = 4; x < 13; ++x) n += Px(x, y) != COLORREF(ColorToRGB(clWindow));
    return n;
  };
  Make(20, 20);
  cxStandardPainter()->PaintCheckBox(C.get(), TRect(2, 2, 15, 15), cxbsNormal, cbsGrayed);
  EXPECT_EQ(markPixels(), 0);
  cxStandardPainter()->PaintCheckBox(C.get(), TRect(2, 2, 15, 15), cxbsNormal, cbsChecked);
  EXPECT_GT(markPixels(), 10);
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

TEST_F(PainterFixture, NativeAndOfficeSheetsWithThemesOnAndOff) {
  // The native painter draws through the visual styles; the Office-2003
  // painter takes its scheme and its scroll-bar parts from them.
  for (bool themed : {true, false}) {
    SetThemesEnabledOverride(themed);
    dxRecalcOffice2003Colors();
    Make(330, 270);
    PaintSheet(cxNativePainter(), C.get());
    WriteTestPng(Bmp.get(), themed ? "cxpainter_native_themed" : "cxpainter_native_classic");
    if (!themed) {
      // Without visual styles the standard look: a three-ring default button.
      EXPECT_EQ(Px(4, 4), COLORREF(0));
      EXPECT_EQ(cxNativePainter()->GetBorderWidth(), 2);
    }
    Make(330, 270);
    PaintSheet(cxOffice11Painter(), C.get());
    WriteTestPng(Bmp.get(), themed ? "cxpainter_office11_themed" : "cxpainter_office11_classic");
    if (!themed) {
      // The classic desktop: the system-colour formulas, the standard
      // scroll-bar arrows (the system's arrow buttons), no scheme.
      EXPECT_EQ(dxOffice2003Scheme(), 0);
      EXPECT_EQ(COLORREF(Office2003FaceColor()), COLORREF(ColorToRGB(clBtnFace)));
      EXPECT_EQ(Px(30, 15), COLORREF(Office2003FaceColor()));
    }
  }
  SetThemesEnabledOverride(std::nullopt);
  dxRecalcOffice2003Colors();
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

namespace {

COLORREF Rgb(TColor c) { return COLORREF(ColorToRGB(c)); }

TEST_F(PainterFixture, Office11HeaderGradientIgnoresTheCallersBackground) {
  const TcxOffice11LookAndFeelPainter* P = static_cast<const TcxOffice11LookAndFeelPainter*>(cxOffice11Painter());
  Make(80, 40);
  bool callbackAsked = false;
  P->PaintHeader(C.get(), TRect(10, 5, 70, 25), TRect(12, 5, 68, 25), TcxBorders(), cxBordersAll, cxbsNormal,
                 taLeftJustify, vaCenter, false, false, "", nullptr, clBtnText, clRed,
                 [&](TcxCanvas*, const TRect&) { return callbackAsked = true; });
  EXPECT_FALSE(callbackAsked);
  EXPECT_TRUE(IsRectEmpty(BoxOf(clRed)));
  const COLORREF c1 = Rgb(P->GetHeaderGradientStartColor()), c2 = Rgb(P->GetHeaderGradientEndColor());
  // Top row: the start colour; the face above the gradient too; the four
  // rows above the bottom line run from the start toward the end colour.
  EXPECT_EQ(Px(30, 5), c1);
  EXPECT_EQ(Px(30, 12), c1);
  EXPECT_EQ(Px(30, 24), Rgb(P->GetHeaderShadowColor()));
  auto channelSum = [](COLORREF c) { return int(GetRValue(c)) + GetGValue(c) + GetBValue(c); };
  if (c1 != c2) {
    const int start = channelSum(c1), end = channelSum(c2), lastRow = channelSum(Px(30, 23));
    EXPECT_LT(std::abs(lastRow - end), std::abs(start - end));
  }
  // The left edge is the light colour, the right edge the shadow.
  EXPECT_EQ(Px(10, 12), Rgb(P->GetHeaderLightColor()));
  EXPECT_EQ(Px(69, 12), Rgb(P->GetHeaderShadowColor()));
}

TEST_F(PainterFixture, Office11ButtonsAndExpandButtons) {
  Make(60, 30);
  cxOffice11Painter()->PaintButton(C.get(), TRect(0, 0, 40, 20), "", cxbsHot);
  EXPECT_EQ(Px(0, 10), Rgb(Office2003FocusFrameColor()));
  EXPECT_EQ(Px(5, 10), Rgb(Office2003HotColor()));
  cxOffice11Painter()->PaintButton(C.get(), TRect(0, 0, 40, 20), "", cxbsNormal);
  EXPECT_EQ(Px(5, 10), Rgb(Office2003FaceColor()));
  // The expand button is the 11 x 11 image; its corners blend with what lies
  // under them, so they are neither the image's frame nor the background.
  Make(30, 30, clWhite);
  EXPECT_EQ(cxOffice11Painter()->CalcExpandButtonSize(), 11);
  cxOffice11Painter()->PaintExpandButton(C.get(), TRect(5, 5, 16, 16), false, clDefault);
  EXPECT_EQ(Px(10, 10), COLORREF(0));  // the plus's centre
  EXPECT_EQ(Px(10, 8), COLORREF(0));   // its vertical bar
  EXPECT_NE(Px(15, 15), COLORREF(0xFFFFFF));
  EXPECT_NE(Px(15, 15), COLORREF(RGB(46, 70, 95)));
}

TEST_F(PainterFixture, RadioButtonImages) {
  TcxRadioButtonImageList* images = cxGetRadioButtonImageList();
  EXPECT_EQ(images->ImageIndexOf(lfStandard, cxbsNormal, false, false, false), 8);
  EXPECT_EQ(images->ImageIndexOf(lfOffice11, cxbsDisabled, true, true, true), 127);
  EXPECT_EQ(images->ImageCount(), 128);
  const TSize size = images->GetSize();
  ASSERT_GE(size.cx, 8);
  ASSERT_GE(size.cy, 8);
  // Outside the circle at the corners, the dot in the middle, the ring on
  // the left edge's middle.
  EXPECT_EQ(images->RegionAt(0, 0), 0);
  EXPECT_EQ(images->RegionAt(size.cx - 1, size.cy - 1), 0);
  EXPECT_EQ(images->RegionAt(size.cx / 2, size.cy / 2), 6);
  EXPECT_EQ(images->RegionAt(0, size.cy / 2), 1);
  EXPECT_EQ(images->RegionAt(size.cx - 1, size.cy / 2), 2);

  // clDefault leaves the corners as they were; a brush colour fills them.
  Make(40, 20, clRed);
  cxStandardPainter()->PaintRadioButton(C.get(), 2, 2, cxbsNormal, true, false, clDefault);
  EXPECT_EQ(Px(2, 2), Rgb(clRed));
  EXPECT_EQ(Px(2 + size.cx / 2, 2 + size.cy / 2), Rgb(clWindowText));
  cxStandardPainter()->PaintRadioButton(C.get(), 20, 2, cxbsNormal, false, false, clLime);
  EXPECT_EQ(Px(20, 2), Rgb(clLime));
  EXPECT_EQ(Px(20 + size.cx / 2, 2 + size.cy / 2), Rgb(clWindow));  // unchecked: the body

  // The ultra-flat ring is highlighted when focused; the Office ring is the
  // scheme's disabled text colour when disabled.
  Make(40, 20, clWhite);
  cxUltraFlatPainter()->PaintRadioButton(C.get(), 2, 2, cxbsNormal, false, true, clDefault);
  EXPECT_EQ(Px(2, 2 + size.cy / 2), Rgb(clHighlight));
  cxOffice11Painter()->PaintRadioButton(C.get(), 20, 2, cxbsDisabled, true, false, clDefault);
  EXPECT_EQ(Px(20, 2 + size.cy / 2), Rgb(Office2003DisabledTextColor()));

  // A system colour change renders them again at the same size.
  ASSERT_NE(cxSystemPaletteChangedListenerWindow(), nullptr);
  SendMessageW(cxSystemPaletteChangedListenerWindow(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(cxGetRadioButtonImageList(), images);
  EXPECT_EQ(images->GetSize(), size);
  EXPECT_EQ(images->ImageCount(), 128);
}

TEST_F(PainterFixture, ClockHandsMarksAndMinuteDots) {
  Make(80, 80);
  // 03:00:30: hour hand to the right, minute hand up, second hand down.
  const TRect r(5, 5, 75, 75);
  const TDateTime t = 0.125 + 30.0 / 86400;
  cxStandardPainter()->PaintClock(C.get(), r, t, clWindow, clBlue);
  const COLORREF teal = RGB(0, 128, 128);
  // Hour marks: teal centres at 12 and 3 o'clock, radius (70 / 2 - 2).
  EXPECT_EQ(Px(40, 40 - 33), teal);
  EXPECT_EQ(Px(40 + 33, 40), teal);
  // A minute dot at one minute past twelve (6 degrees clockwise).
  const double a = -3.14159265358979 / 2 + 2 * 3.14159265358979 / 60;
  EXPECT_EQ(Px(int(std::lround(40 + 33 * std::cos(a))), int(std::lround(40 + 33 * std::sin(a)))), Rgb(clBlue));
  // The hour hand reaches right, the minute hand up.
  EXPECT_EQ(Px(40 + 15, 40), teal);
  EXPECT_EQ(Px(40, 40 - 12), teal);
  EXPECT_EQ(Px(40, 40 + 20), RGB(255, 0, 0));
  EXPECT_NE(Px(40 - 20, 40), teal);
  // Without minute dots the position shows the background.
  Make(80, 80);
  cxStandardPainter()->PaintClock(C.get(), r, t, clWindow);
  EXPECT_EQ(Px(int(std::lround(40 + 33 * std::cos(a))), int(std::lround(40 + 33 * std::sin(a)))), Rgb(clWindow));
}

TEST_F(PainterFixture, NativePainterFallsBackWithoutThemes) {
  SetThemesEnabledOverride(false);
  const TcxCustomLookAndFeelPainter* P = cxNativePainter();
  // The face colour is always a colour, the classic one without a theme.
  EXPECT_EQ(P->GetButtonFaceColor(cxbsNormal), clBtnFace);
  EXPECT_EQ(P->GetButtonBorderWidth(cxbsDefault), 3);
  EXPECT_EQ(P->CalcRadioButtonSize(), cxGetRadioButtonImageList()->GetSize());
  // Radio buttons and group expand buttons fall back to the classic images.
  Make(40, 30, clRed);
  P->PaintRadioButton(C.get(), 2, 2, cxbsNormal, true, false, clDefault);
  const TSize size = P->CalcRadioButtonSize();
  EXPECT_EQ(Px(2 + size.cx / 2, 2 + size.cy / 2), Rgb(clWindowText));
  P->PaintGroupExpandButton(C.get(), TRect(20, 2, 35, 17), true, cxbsNormal);
  EXPECT_FALSE(IsRectEmpty(BoxOf(clBtnText)));
  EXPECT_EQ(P->CalcScrollBarMinThumbSize(true), 8);

  SetThemesEnabledOverride(true);
  if (dxCanUseTheme(totButton)) {
    EXPECT_NE(P->GetButtonFaceColor(cxbsNormal), clDefault);
    EXPECT_GE(P->CalcScrollBarMinThumbSize(true), 8);
    EXPECT_EQ(P->GetCheckBoxBorderWidth(), 0);
  }
  SetThemesEnabledOverride(std::nullopt);
}

TEST_F(PainterFixture, FooterAndFilterGeometry) {
  // Footer cells: content inside the cell border, text two pixels further in.
  EXPECT_EQ(cxStandardPainter()->CalcFooterCellContentRect(TRect(0, 0, 40, 20)), TRect(1, 1, 39, 19));
  EXPECT_EQ(cxStandardPainter()->CalcFooterCellTextRect(TRect(0, 0, 40, 20)), TRect(3, 3, 37, 17));
  EXPECT_EQ(cxUltraFlatPainter()->CalcFilterCloseButtonSize(), TPoint(16, 15));
  EXPECT_EQ(cxUltraFlatPainter()->CalcGroupButtonBorders(3, 0), TRect(2, 2, 1, 2));
  EXPECT_EQ(cxUltraFlatPainter()->CalcGroupButtonBorders(3, 2), TRect(1, 2, 2, 2));
  // An active filter's glyph is blue.
  Make(20, 20);
  cxUltraFlatPainter()->PaintFilterDropDownButton(C.get(), TRect(0, 0, 15, 20), cxbsNormal, true);
  EXPECT_FALSE(IsRectEmpty(BoxOf(clBlue)));
  // Indicator kind 0 draws nothing; kind 1 draws the arrow.
  Make(20, 20, clWhite);
  cxStandardPainter()->PaintIndicatorImage(C.get(), TRect(0, 0, 20, 20), 0);
  EXPECT_TRUE(IsRectEmpty(BoxOf(clBlack)));
  cxStandardPainter()->PaintIndicatorImage(C.get(), TRect(0, 0, 20, 20), 1);
  EXPECT_FALSE(IsRectEmpty(BoxOf(clBlack)));
}

TEST(ScrollBarPatterns, ParityColours) {
  cxPrepareScrollBarPatterns();
  TBitmap* light = cxScrollBarPatternBitmap(false);
  TBitmap* dark = cxScrollBarPatternBitmap(true);
  EXPECT_EQ(COLORREF(light->Canvas()->Pixels(0, 0)), Rgb(clBtnFace));
  EXPECT_EQ(COLORREF(light->Canvas()->Pixels(1, 0)), Rgb(clBtnHighlight));
  EXPECT_EQ(COLORREF(dark->Canvas()->Pixels(0, 0)), COLORREF(0));
  EXPECT_EQ(COLORREF(dark->Canvas()->Pixels(0, 1)), Rgb(cl3DDkShadow));
}

}  // namespace
