// Report objects: frames, shadows and shapes drawn on a memory canvas, lines
// and their arrow heads, pictures recognised by their content, bands and
// report pages with their paper, and the difference texts prepared pages
// store. Each drawn object is also written as a PNG into the build tree.
#include <cstdio>
#include <memory>

#include "ChildTestRun.h"
#include "Graphics.h"
#include "Jpeg.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "frxClass.h"
#include "frxpngimage.h"
#include "gtest.h"

namespace {

// A white 24-bit canvas of the given size.
std::unique_ptr<TBitmap> WhiteCanvas(Integer w, Integer h) {
  auto bmp = std::make_unique<TBitmap>(w, h, pf24bit);
  bmp->Canvas()->Brush()->SetColor(clWhite);
  bmp->Canvas()->FillRect(TRect(0, 0, w, h));
  return bmp;
}

TColor At(TBitmap* bmp, Integer x, Integer y) { return bmp->Canvas()->Pixels(x, y) & 0xFFFFFF; }

void WritePng(TBitmap* bmp, const String& name) {
  TPNGObject png;
  png.Assign(bmp);
  String path = "Z:" + String(TOVANI_TEST_BINARY_DIR) + "/" + name;
  for (char& ch : path)
    if (ch == '/') ch = '\\';
  png.SaveToFile(path);
}

struct ViewFixture : ::testing::Test {
  std::unique_ptr<TfrxReport> report = std::make_unique<TfrxReport>();
  TfrxReportPage* page = new TfrxReportPage(report.get());
  TfrxMasterData* band = new TfrxMasterData(page);
};

}  // namespace

// ---------------------------------------------------------------------------
// Frames and backgrounds

TEST(frxView, FrameSidesAndFillArePixelExact) {
  TfrxView v;
  v.SetBounds(10, 10, 40, 20);
  v.SetColor(clYellow);
  v.Frame()->SetTyp({ftLeft, ftRight, ftTop, ftBottom});
  auto bmp = WhiteCanvas(80, 50);
  v.Draw(bmp->Canvas(), 1, 1, 0, 0);
  WritePng(bmp.get(), "view-frame.png");
  EXPECT_EQ(At(bmp.get(), 10, 20), clBlack);   // left side
  EXPECT_EQ(At(bmp.get(), 50, 20), clBlack);   // right side at left + width
  EXPECT_EQ(At(bmp.get(), 30, 10), clBlack);   // top
  EXPECT_EQ(At(bmp.get(), 30, 30), clBlack);   // bottom
  EXPECT_EQ(At(bmp.get(), 30, 20), clYellow);  // fill
  EXPECT_EQ(At(bmp.get(), 55, 20), clWhite);
}

TEST(frxView, NoSidesWithoutTypeColourOrWidth) {
  for (int variant = 0; variant < 3; ++variant) {
    TfrxView v;
    v.SetBounds(10, 10, 40, 20);
    v.Frame()->SetTyp(variant == 0 ? TfrxFrameTypes() : TfrxFrameTypes{ftLeft, ftTop});
    if (variant == 1) v.Frame()->SetColor(frxclNone);
    if (variant == 2) v.Frame()->SetWidth(0);
    auto bmp = WhiteCanvas(80, 50);
    v.Draw(bmp->Canvas(), 1, 1, 0, 0);
    EXPECT_EQ(At(bmp.get(), 10, 20), clWhite) << variant;
    EXPECT_EQ(At(bmp.get(), 30, 10), clWhite) << variant;
  }
}

TEST(frxView, ShadowLiesInsideTheBounds) {
  TfrxView v;
  v.SetBounds(10, 10, 40, 30);
  v.SetColor(clYellow);
  v.Frame()->SetDropShadow(true);
  v.Frame()->SetShadowColor(clBlue);
  auto bmp = WhiteCanvas(80, 60);
  v.Draw(bmp->Canvas(), 1, 1, 0, 0);
  WritePng(bmp.get(), "view-shadow.png");
  // Fill and frame end 4 units before the right and bottom edge.
  EXPECT_EQ(At(bmp.get(), 45, 20), clYellow);
  EXPECT_EQ(At(bmp.get(), 47, 20), clBlue);    // shadow strip on the right
  EXPECT_EQ(At(bmp.get(), 47, 12), clWhite);   // starting a shadow width below the top
  EXPECT_EQ(At(bmp.get(), 30, 37), clBlue);    // bottom strip
  EXPECT_EQ(At(bmp.get(), 12, 37), clWhite);   // starting a shadow width right of the left
}

TEST(frxView, ThickSidesAreShortenedWithoutNeighbours) {
  auto draw = [](TfrxFrameTypes typ) {
    TfrxView v;
    v.SetBounds(10, 10, 40, 20);
    v.Frame()->SetWidth(3);
    v.Frame()->SetTyp(typ);
    auto bmp = WhiteCanvas(80, 50);
    v.Draw(bmp->Canvas(), 1, 1, 0, 0);
    return bmp;
  };
  auto alone = draw({ftTop});
  auto joined = draw({ftTop, ftLeft, ftRight});
  // A square cap of half the width sticks out only where a side continues it.
  EXPECT_EQ(At(alone.get(), 11, 10), clBlack);
  EXPECT_EQ(At(alone.get(), 9, 10), clWhite);
  EXPECT_EQ(At(joined.get(), 9, 10), clBlack);
}

TEST(frxView, ThickLineOffsets) {
  auto bmp = WhiteCanvas(40, 40);
  bmp->Canvas()->Pen()->SetColor(clBlack);
  TfrxView::DrawThickLine(bmp->Canvas(), 5, 20, 30, 20, 4);
  EXPECT_EQ(At(bmp.get(), 10, 17), clWhite);
  for (int y = 18; y <= 21; ++y) EXPECT_EQ(At(bmp.get(), 10, y), clBlack) << y;
  EXPECT_EQ(At(bmp.get(), 10, 22), clWhite);
  auto one = WhiteCanvas(40, 40);
  one->Canvas()->Pen()->SetColor(clBlack);
  TfrxView::DrawThickLine(one->Canvas(), 20, 5, 20, 30, 0);
  EXPECT_EQ(At(one.get(), 20, 10), clBlack);
  EXPECT_EQ(At(one.get(), 19, 10), clWhite);
  EXPECT_EQ(At(one.get(), 21, 10), clWhite);
}

TEST(frxView, HatchesInTheFrameColourAndNoneForAClearBrush) {
  TfrxView v;
  v.SetBounds(0, 0, 40, 40);
  v.Frame()->SetColor(clRed);
  v.SetBrushStyle(bsCross);
  auto bmp = WhiteCanvas(50, 50);
  v.Draw(bmp->Canvas(), 1, 1, 0, 0);
  int red = 0;
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 40; ++y) red += At(bmp.get(), x, y) == clRed;
  EXPECT_GT(red, 100);
  v.SetBrushStyle(bsClear);
  auto clear = WhiteCanvas(50, 50);
  v.Draw(clear->Canvas(), 1, 1, 0, 0);
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 40; ++y) ASSERT_EQ(At(clear.get(), x, y), clWhite);
}

TEST(frxView, BracketsInTagAndUrlAreExpandedOncePerPrinting) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* v = new TfrxShapeView(page);
  ASSERT_TRUE(report.PrepareScript());
  v->SetTagStr("[1+2]x");
  v->SetURL("plain");
  v->BeforePrint();
  v->GetData();
  EXPECT_EQ(v->TagStr(), "3x");
  EXPECT_EQ(v->URL(), "plain");
  v->AfterPrint();
  EXPECT_EQ(v->TagStr(), "[1+2]x");
  // A value holding brackets is not expanded again.
  v->SetTagStr("a['[1+1]']b");
  v->GetData();
  EXPECT_EQ(v->TagStr(), "a[1+1]b");
}

TEST(frxView, DifferenceTextOfFramesWritesOnlyWhatDiffers) {
  TfrxShapeView t, v;
  v.Frame()->SetColor(clRed);
  // The frame colour reaches every side: no side attribute.
  EXPECT_EQ(v.DifferenceText(&t), " Frame.Color=\"255\"");
  TfrxShapeView w;
  w.Frame()->LeftLine()->SetStyle(fsDot);
  EXPECT_EQ(w.DifferenceText(&t), " Frame.LeftLine.Style=\"2\"");
  TfrxShapeView s;
  s.SetShape(skEllipse);
  s.Frame()->SetTyp({ftLeft, ftBottom});
  EXPECT_EQ(s.DifferenceText(&t), " Frame.Typ=\"9\" Shape=\"2\"");
}

TEST(frxView, StoredInFullOnlyAsAPlainView) {
  TfrxView v;
  TfrxShapeView s;
  TfrxMemoView m;
  TfrxLineView l;
  TfrxPictureView p;
  EXPECT_TRUE(v.frComponentStyle().Contains(csDefaultDiff));
  for (TfrxComponent* c : std::initializer_list<TfrxComponent*>{&s, &m, &l, &p})
    EXPECT_FALSE(c->frComponentStyle().Contains(csDefaultDiff)) << c->ClassName();
}

// ---------------------------------------------------------------------------
// Shapes

TEST(frxShapeView, FiguresDrawInTheirRectangle) {
  const TfrxShapeKind kinds[] = {skRectangle, skRoundRectangle, skEllipse, skTriangle, skDiamond, skDiagonal1,
                                 skDiagonal2};
  for (TfrxShapeKind kind : kinds) {
    TfrxShapeView s;
    s.SetBounds(10, 10, 100, 40);
    s.SetShape(kind);
    s.SetColor(clLime);
    auto bmp = WhiteCanvas(130, 60);
    s.Draw(bmp->Canvas(), 1, 1, 0, 0);
    WritePng(bmp.get(), "shape-" + IntToStr(Integer(kind)) + ".png");
    EXPECT_EQ(At(bmp.get(), 5, 5), clWhite) << kind;
    switch (kind) {
      case skRectangle:
        EXPECT_EQ(At(bmp.get(), 10, 10), clBlack);
        EXPECT_EQ(At(bmp.get(), 60, 30), clLime);
        break;
      case skRoundRectangle:
        // 100 x 40 with Curve 0: corners of 10 x 10, so the corner pixel stays white.
        EXPECT_EQ(At(bmp.get(), 10, 10), clWhite);
        EXPECT_EQ(At(bmp.get(), 60, 10), clBlack);
        break;
      case skEllipse:
      case skDiamond:
        EXPECT_EQ(At(bmp.get(), 11, 11), clWhite);
        EXPECT_EQ(At(bmp.get(), 60, 30), clLime);
        break;
      case skTriangle:
        EXPECT_EQ(At(bmp.get(), 60, 49), clLime);
        EXPECT_EQ(At(bmp.get(), 15, 12), clWhite);
        break;
      case skDiagonal1:
        EXPECT_EQ(At(bmp.get(), 10, 50), clBlack);
        EXPECT_EQ(At(bmp.get(), 10, 10), clWhite);
        break;
      case skDiagonal2:
        EXPECT_EQ(At(bmp.get(), 10, 10), clBlack);
        EXPECT_EQ(At(bmp.get(), 10, 50), clWhite);
        break;
    }
  }
}

TEST(frxShapeView, DoubleFrameDrawsAnInnerCopyAndKeepsTheBounds) {
  TfrxShapeView s;
  s.SetBounds(10, 10, 60, 40);
  s.Frame()->SetStyle(fsDouble);
  auto bmp = WhiteCanvas(90, 60);
  s.Draw(bmp->Canvas(), 1, 1, 0, 0);
  EXPECT_EQ(At(bmp.get(), 40, 10), clBlack);
  EXPECT_EQ(At(bmp.get(), 40, 12), clBlack);  // the copy 2 frame widths inside
  EXPECT_EQ(At(bmp.get(), 40, 11), clWhite);
  EXPECT_EQ(s.Left(), 10);
  EXPECT_EQ(s.Width(), 60);
  EXPECT_EQ(s.Frame()->Style(), fsDouble);
}

// ---------------------------------------------------------------------------
// Lines

TEST(frxLineView, StraightLinesCollapseToTheirLongerSide) {
  TfrxLineView h;
  h.SetBounds(0, 0, 100, 20);
  auto bmp = WhiteCanvas(120, 120);
  h.Draw(bmp->Canvas(), 1, 1, 0, 0);
  EXPECT_EQ(h.Height(), 0);
  EXPECT_TRUE(h.Frame()->Typ() == TfrxFrameTypes{ftTop});
  TfrxLineView v;
  v.SetBounds(0, 0, 20, 100);
  v.Draw(bmp->Canvas(), 1, 1, 0, 0);
  EXPECT_EQ(v.Width(), 0);
  EXPECT_TRUE(v.Frame()->Typ() == TfrxFrameTypes{ftLeft});
}

TEST(frxLineView, DiagonalWithoutColourDrawsNothingArrowsIncluded) {
  TfrxLineView l;
  l.Diagonal = true;
  l.ArrowEnd = l.ArrowStart = true;
  l.SetBounds(10, 10, 60, 60);
  l.Frame()->SetColor(frxclNone);
  auto bmp = WhiteCanvas(80, 80);
  l.Draw(bmp->Canvas(), 1, 1, 0, 0);
  for (int x = 0; x < 80; ++x)
    for (int y = 0; y < 80; ++y) ASSERT_EQ(At(bmp.get(), x, y), clWhite);
  l.Frame()->SetColor(clBlack);
  l.ArrowSolid = true;
  l.Draw(bmp->Canvas(), 1, 1, 0, 0);
  WritePng(bmp.get(), "line-arrows.png");
  EXPECT_EQ(At(bmp.get(), 40, 40), clBlack);
}

TEST(frxLineView, ArrowHeadCorners) {
  TfrxLineView l;
  TPoint c1, c2;
  // Vertical: a horizontal base 2 * width wide, a length before the tip.
  l.ArrowCorners(TPoint(50, 0), TPoint(50, 100), c1, c2);
  EXPECT_EQ(c1.X, 45);
  EXPECT_EQ(c2.X, 55);
  EXPECT_EQ(c1.Y, 80);
  EXPECT_EQ(c2.Y, 80);
  // Horizontal: a vertical base.
  l.ArrowCorners(TPoint(0, 50), TPoint(100, 50), c1, c2);
  EXPECT_EQ(c1.X, 80);
  EXPECT_EQ(c2.X, 80);
  EXPECT_EQ(c1.Y, 45);
  EXPECT_EQ(c2.Y, 55);
  // Diagonal at 45 degrees: the base point is the length back along the line.
  l.ArrowCorners(TPoint(0, 0), TPoint(100, 100), c1, c2);
  EXPECT_NEAR((c1.X + c2.X) / 2.0, 100 - 20 / std::sqrt(2.0), 1);
}

TEST(frxLineView, DesignKinds) {
  for (Word kind = 0; kind <= 4; ++kind) {
    TfrxLineView l;
    l.DesignCreate(nullptr, kind);
    EXPECT_EQ(l.Diagonal, kind != 0);
    EXPECT_EQ(l.ArrowEnd, kind == 2 || kind == 4);
    EXPECT_EQ(l.ArrowStart, kind == 3 || kind == 4);
  }
}

// ---------------------------------------------------------------------------
// Pictures

namespace {

std::string PictureBytes(TGraphic* g) {
  TMemoryStream s;
  g->SaveToStream(&s);
  return std::string(static_cast<const char*>(s.Memory()), size_t(s.Size()));
}

std::unique_ptr<TBitmap> Sample(Integer w, Integer h) {
  auto bmp = std::make_unique<TBitmap>(w, h, pf24bit);
  bmp->Canvas()->Brush()->SetColor(clRed);
  bmp->Canvas()->FillRect(TRect(0, 0, w, h));
  return bmp;
}

}  // namespace

TEST(frxPictureView, RecognisesPicturesByContent) {
  auto bmp = Sample(20, 10);
  TPNGObject png;
  png.Assign(bmp.get());
  TJPEGImage jpg;
  jpg.Assign(bmp.get());
  struct {
    std::string bytes;
    const char* cls;
  } cases[] = {{PictureBytes(bmp.get()), "TBitmap"}, {PictureBytes(&png), "TPNGObject"},
               {PictureBytes(&jpg), "TJPEGImage"}};
  for (auto& c : cases) {
    for (bool header : {false, true}) {
      TfrxPictureView p;
      TMemoryStream s;
      if (header) {
        const uint32_t size = uint32_t(c.bytes.size());
        const uint8_t h[8] = {1, 0, 0, 1, uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
        s.WriteBuffer(h, 8);
      }
      s.WriteBuffer(c.bytes.data(), Integer(c.bytes.size()));
      EXPECT_EQ(p.LoadPictureFromStream(&s), 0) << c.cls;
      ASSERT_TRUE(p.Picture()->Graphic()) << c.cls;
      EXPECT_STREQ(p.Picture()->Graphic()->ClassName().c_str(), c.cls);
      EXPECT_EQ(p.Picture()->Width(), 20);
    }
  }
  TfrxPictureView p;
  TMemoryStream junk;
  junk.WriteBuffer("not a picture at all, really", 28);
  EXPECT_EQ(uint32_t(p.LoadPictureFromStream(&junk)), 0x80070057u);
  EXPECT_TRUE(!p.Picture()->Graphic() || p.Picture()->Graphic()->Empty());
}

// A program whose report picture objects read PNG pictures (from data and
// from a linked file) ends cleanly. The first test is what the process does;
// the second runs it and reads what the process printed while it ended.
TEST(frxPictureView, ReadsPngPicturesThenTheProcessEnds) {
  if (!IsChildTestRun()) GTEST_SKIP() << "run by frxPictureView.AProgramThatReadPngPicturesEndsCleanly";
  TPNGObject png;
  png.Assign(Sample(20, 10).get());
  const String file = String(TOVANI_TEST_BINARY_DIR) + "/exit-check.png";
  png.SaveToFile("Z:" + file);
  TfrxPictureView fromData, fromFile;
  TMemoryStream s;
  png.SaveToStream(&s);
  EXPECT_EQ(fromData.LoadPictureFromStream(&s), 0);
  fromFile.LoadFromFile("Z:" + file);
  EXPECT_EQ(fromFile.Picture()->Width(), 20);
  std::remove(file.c_str());
}

TEST(frxPictureView, AProgramThatReadPngPicturesEndsCleanly) {
  TChildTestRun run = RunTestInChildProcess("frxPictureView.ReadsPngPicturesThenTheProcessEnds");
  ASSERT_TRUE(run.Started);
  ASSERT_TRUE(run.Finished) << run.Output;
  EXPECT_NE(run.Output.find("[  PASSED  ] 1 test."), std::string::npos) << run.Output;
  EXPECT_EQ(run.AfterSummary(), "") << run.Output;
  EXPECT_EQ(run.ExitCode, 0u) << run.Output;
}

TEST(frxPictureView, StretchedKeepingTheAspectRatioAndCentred) {
  TfrxPictureView p;
  auto src = Sample(200, 100);
  p.Picture()->SetGraphic(src.get());
  p.SetBounds(0, 0, 100, 100);
  p.Center = true;
  p.SetColor(clWhite);
  auto bmp = WhiteCanvas(110, 110);
  p.Draw(bmp->Canvas(), 1, 1, 0, 0);
  WritePng(bmp.get(), "picture-centred.png");
  EXPECT_EQ(At(bmp.get(), 50, 20), clWhite);
  EXPECT_EQ(At(bmp.get(), 50, 30), clRed);
  EXPECT_EQ(At(bmp.get(), 50, 70), clRed);
  EXPECT_EQ(At(bmp.get(), 50, 80), clWhite);
}

TEST(frxPictureView, MissingFileLinkClearsThePicture) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* p = new TfrxPictureView(page);
  auto src = Sample(4, 4);
  p->Picture()->SetGraphic(src.get());
  p->FileLink = "Z:\\no\\such\\picture.bmp";
  p->GetData();
  EXPECT_TRUE(!p->Picture()->Graphic() || p->Picture()->Graphic()->Empty());
}

TEST(frxPictureView, AutoSizeFollowsThePicture) {
  TfrxPictureView p;
  p.SetAutoSize(true);
  auto src = Sample(30, 12);
  p.Picture()->SetGraphic(src.get());
  EXPECT_EQ(p.Width(), 30);
  EXPECT_EQ(p.Height(), 12);
  EXPECT_TRUE(p.PictureChanged);
}

// ---------------------------------------------------------------------------
// Bands

TEST_F(ViewFixture, ChildChainsMustNotComeBack) {
  auto* a = new TfrxChild(page);
  auto* b = new TfrxChild(page);
  b->SetChild(a);
  EXPECT_THROW(a->SetChild(b), Exception);
  EXPECT_EQ(a->Child(), nullptr);
  EXPECT_THROW(a->SetChild(a), Exception);
  delete a;
  EXPECT_EQ(b->Child(), nullptr);
}

TEST_F(ViewFixture, BandKindsAndColumns) {
  auto* detail = new TfrxDetailData(page);
  auto* null = new TfrxNullBand(page);
  EXPECT_EQ(detail->KindIndex(), 7);
  EXPECT_EQ(band->KindIndex(), 6);
  EXPECT_EQ(null->KindIndex(), 0);
  EXPECT_EQ((new TfrxOverlay(page))->KindIndex(), 17);
  band->Columns = 3;
  band->ColumnWidth = 50;
  band->ColumnGap = 5;
  band->SetCurrentColumn(2);
  EXPECT_EQ(band->Left(), 55);
  band->SetCurrentColumn(4);
  EXPECT_EQ(band->CurrentColumn(), 1);
  EXPECT_EQ(band->Left(), 0);
}

TEST_F(ViewFixture, DataBandWithoutDatasetRunsRowCountTimes) {
  band->SetRowCount(5);
  TfrxUserDataSet* rows = band->VirtualDataSet();
  EXPECT_EQ(rows->RangeEnd(), reCount);
  rows->Open();
  rows->First();
  int n = 0;
  while (!rows->Eof() && n < 100) {
    ++n;
    rows->Next();
  }
  EXPECT_EQ(n, 5);
}

TEST_F(ViewFixture, SubreportMarksItsPage) {
  auto* inner = new TfrxReportPage(report.get());
  auto* sub = new TfrxSubreport(band);
  sub->SetPage(inner);
  EXPECT_TRUE(inner->IsSubreportPage());
  EXPECT_FALSE(page->IsSubreportPage());
  EXPECT_FALSE(sub->frComponentStyle().Contains(csPreviewVisible));
  delete sub;
  EXPECT_FALSE(inner->IsSubreportPage());
}

TEST_F(ViewFixture, BandsAndObjectsSurviveTheReportFile) {
  page->SetName("Page1");
  band->SetName("MasterData1");
  band->SetRowCount(3);
  band->SetHeight(30);
  auto* memo = new TfrxMemoView(band);
  memo->SetName("Memo1");
  memo->SetTextUtf8("客户名称 [Line]");
  memo->Frame()->SetTyp({ftBottom});
  memo->HAlign = haRight;
  auto* footer = new TfrxPageFooter(page);
  footer->SetName("PageFooter1");
  footer->PrintOnLastPage = false;
  TMemoryStream s;
  report->SaveToStream(&s);
  s.SetPosition(0);
  TfrxReport back;
  back.LoadFromStream(&s);
  auto* m = dynamic_cast<TfrxMemoView*>(back.FindObject("Memo1"));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->TextUtf8(), "客户名称 [Line]");
  EXPECT_EQ(m->HAlign, haRight);
  EXPECT_TRUE(m->Frame()->Typ() == TfrxFrameTypes{ftBottom});
  auto* b = dynamic_cast<TfrxMasterData*>(back.FindObject("MasterData1"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->RowCount(), 3);
  auto* f = dynamic_cast<TfrxPageFooter*>(back.FindObject("PageFooter1"));
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->PrintOnFirstPage);
  EXPECT_FALSE(f->PrintOnLastPage);
  auto* p = dynamic_cast<TfrxReportPage*>(back.FindObject("Page1"));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->PaperSize(), 9);
  EXPECT_EQ(p->LeftMargin, 10);
}

// ---------------------------------------------------------------------------
// Pages

TEST(frxReportPage, NewPageIsA4PortraitWithMargins) {
  TfrxReportPage p;
  EXPECT_EQ(p.PaperSize(), 9);
  EXPECT_EQ(p.PaperWidth(), 210);
  EXPECT_EQ(p.PaperHeight(), 297);
  EXPECT_EQ(p.Width(), 794);
  EXPECT_EQ(p.Height(), 1123);
  EXPECT_EQ(p.LeftMargin, 10);
  EXPECT_EQ(p.BottomMargin, 10);
  EXPECT_EQ(p.Bin, 7);
}

TEST(frxReportPage, PaperSizesAndCustomSizes) {
  TfrxReportPage p;
  p.SetPaperWidth(100.123456789);
  EXPECT_DOUBLE_EQ(p.PaperWidth(), 100.12345679);
  EXPECT_EQ(p.PaperSize(), 256);
  p.SetOrientation(poLandscape);
  p.SetPaperSize(9);
  EXPECT_EQ(p.PaperWidth(), 297);
  EXPECT_EQ(p.PaperHeight(), 210);
  // A code not in the table keeps the size.
  p.SetPaperSize(48);
  EXPECT_EQ(p.PaperWidth(), 297);
  Extended w = 0, h = 0;
  EXPECT_FALSE(frxLookupPaperSize(256, w, h));
  EXPECT_TRUE(frxLookupPaperSize(11, w, h));
  EXPECT_EQ(w, 148);
}

TEST(frxReportPage, OrientationTurnsPaperAndMargins) {
  TfrxReportPage p;
  p.LeftMargin = 10, p.RightMargin = 20, p.TopMargin = 30, p.BottomMargin = 40;
  p.SetOrientation(poLandscape);
  EXPECT_EQ(p.PaperWidth(), 297);
  EXPECT_EQ(p.PaperHeight(), 210);
  EXPECT_EQ(p.LeftMargin, 30);
  EXPECT_EQ(p.RightMargin, 40);
  EXPECT_EQ(p.TopMargin, 20);
  EXPECT_EQ(p.BottomMargin, 10);
  EXPECT_EQ(p.Width(), 1123);
  p.SetOrientation(poPortrait);
  EXPECT_EQ(p.LeftMargin, 10);
  EXPECT_EQ(p.RightMargin, 20);
  EXPECT_EQ(p.TopMargin, 30);
  EXPECT_EQ(p.BottomMargin, 40);
}

TEST(frxReportPage, ColumnsAndPageCount) {
  TfrxReportPage p;
  p.SetColumns(3);
  EXPECT_NEAR(p.ColumnWidth, 63.3333, 1e-3);
  ASSERT_EQ(p.ColumnPositions()->Count(), 3);
  EXPECT_EQ((*p.ColumnPositions())[0], "0");
  EXPECT_EQ((*p.ColumnPositions())[1].substr(0, 5), "63.33");
  EXPECT_EQ((*p.ColumnPositions())[2].substr(0, 6), "126.66");
  p.SetPageCount(3);
  p.SetPageCount(0);
  EXPECT_EQ(p.PageCount(), 3);
}

TEST(frxReportPage, PrinterDefaultsComeFromThePrinterLayer) {
  TfrxReportPage p;
  p.LeftMargin = 0;
  frxCurrentPrinterPaper = [] { return TfrxPrinterPaper{1, 215.9, 279.4, poPortrait}; };
  p.ResetToPrinterDefaults();
  frxCurrentPrinterPaper = nullptr;
  EXPECT_EQ(p.LeftMargin, 10);
  EXPECT_EQ(p.PaperSize(), 1);
  EXPECT_EQ(p.Width(), 816);
}

TEST_F(ViewFixture, AlignChildrenFitsBandsToThePrintableArea) {
  band->SetLeft(0);
  page->AlignChildren();
  EXPECT_NEAR(band->Width(), (210 - 20) * fr01cm, 1e-6);
  EXPECT_EQ(page->Width(), 794);
  EXPECT_EQ(page->FirstBandOfClass(TfrxDataBand::StaticClass()), band);
  EXPECT_EQ(page->FirstBandOfClass(TfrxPageFooter::StaticClass()), nullptr);
}

TEST_F(ViewFixture, BackgroundOnPaperOnlyWhenPrintable) {
  page->SetColor(clAqua);
  page->BackPicturePrintable = false;
  auto bmp = WhiteCanvas(100, 100);
  page->DrawBackground(bmp->Canvas(), 0.1, 0.1, 0, 0);
  EXPECT_EQ(At(bmp.get(), 10, 10), clAqua);
  auto paper = WhiteCanvas(100, 100);
  page->SetIsPrinting(true);
  page->DrawBackground(paper->Canvas(), 0.1, 0.1, 0, 0);
  page->SetIsPrinting(false);
  EXPECT_EQ(At(paper.get(), 10, 10), clWhite);
}

// ---------------------------------------------------------------------------
// Templates kept in a window's form file

#include "Forms.h"

TEST(frxTemplate, ReportObjectsLoadFromAFormFile) {
  const String text =
      "object SaleForm: TComponent\n"
      "  object frxReport1: TfrxReport\n"
      "    object Page1: TfrxReportPage\n"
      "      PaperWidth = 210.000000000000000000\n"
      "      PaperHeight = 148.000000000000000000\n"
      "      PaperSize = 256\n"
      "      LeftMargin = 15.000000000000000000\n"
      "      RightMargin = 10.000000000000000000\n"
      "      TopMargin = 10.000000000000000000\n"
      "      BottomMargin = 10.000000000000000000\n"
      "      object ReportTitle1: TfrxReportTitle\n"
      "        Height = 30.236240000000000000\n"
      "        Top = 18.897650000000000000\n"
      "        Width = 718.110700000000000000\n"
      "        object Memo1: TfrxMemoView\n"
      "          Width = 300.000000000000000000\n"
      "          Height = 26.456710000000000000\n"
      "          Font.Charset = GB2312_CHARSET\n"
      "          Font.Color = clBlack\n"
      "          Font.Height = -21\n"
      "          Font.Name = #23435#20307\n"
      "          Font.Style = [fsBold]\n"
      "          HAlign = haCenter\n"
      "          Memo.UTF8 = (\n"
      "            #38144#21806#21333)\n"
      "          ParentFont = False\n"
      "        end\n"
      "      end\n"
      "      object MasterData1: TfrxMasterData\n"
      "        Height = 22.677180000000000000\n"
      "        Top = 102.047310000000000000\n"
      "        Width = 718.110700000000000000\n"
      "        RowCount = 0\n"
      "        object Memo2: TfrxMemoView\n"
      "          Width = 120.000000000000000000\n"
      "          Height = 22.677180000000000000\n"
      "          DisplayFormat.FormatStr = '%2.2n'\n"
      "          DisplayFormat.Kind = fkNumeric\n"
      "          Frame.Typ = [ftLeft, ftRight, ftTop, ftBottom]\n"
      "          Memo.UTF8 = (\n"
      "            '[Line]')\n"
      "        end\n"
      "        object Line1: TfrxLineView\n"
      "          Top = 22.000000000000000000\n"
      "          Width = 718.000000000000000000\n"
      "          Frame.Typ = [ftTop]\n"
      "        end\n"
      "      end\n"
      "    end\n"
      "  end\n"
      "end\n";
  TComponent form;
  ReadFormText(&form, text);
  auto* report = dynamic_cast<TfrxReport*>(form.FindComponent("frxReport1"));
  ASSERT_NE(report, nullptr);
  auto* page = dynamic_cast<TfrxReportPage*>(report->FindObject("Page1"));
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->PaperSize(), 256);
  EXPECT_EQ(page->PaperHeight(), 148);
  EXPECT_EQ(page->LeftMargin, 15);
  EXPECT_EQ(page->Height(), 559);
  auto* title = dynamic_cast<TfrxMemoView*>(report->FindObject("Memo1"));
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->TextUtf8(), "销售单");
  EXPECT_EQ(title->HAlign, haCenter);
  EXPECT_EQ(title->Font()->Name(), "宋体");
  EXPECT_TRUE(title->Font()->Style().Contains(fsBold));
  EXPECT_EQ(title->Parent()->Name(), "ReportTitle1");
  auto* cell = dynamic_cast<TfrxMemoView*>(report->FindObject("Memo2"));
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->DisplayFormat()->Kind, fkNumeric);
  EXPECT_EQ(cell->DisplayFormat()->FormatStr, "%2.2n");
  EXPECT_TRUE(cell->Frame()->Typ() == (TfrxFrameTypes{ftLeft, ftRight, ftTop, ftBottom}));
  EXPECT_TRUE(cell->ParentFont());
  auto* band = dynamic_cast<TfrxMasterData*>(report->FindObject("MasterData1"));
  ASSERT_NE(band, nullptr);
  EXPECT_EQ(band->Objects()->Count(), 2);
  ASSERT_NE(dynamic_cast<TfrxLineView*>(report->FindObject("Line1")), nullptr);
}

TEST(frxPictureView, ThePictureIsKeptInTheReportFile) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* p = new TfrxPictureView(page);
  p->SetName("Picture1");
  auto src = Sample(5, 3);
  p->Picture()->SetGraphic(src.get());
  TStringStream s;
  report.SaveToStream(&s);
  EXPECT_NE(s.DataString().find("Picture.PropData=\""), String::npos);

  TfrxReport copy;
  s.SetPosition(0);
  copy.LoadFromStream(&s);
  auto* read = dynamic_cast<TfrxPictureView*>(copy.FindObject("Picture1"));
  ASSERT_NE(read, nullptr);
  auto* bmp = dynamic_cast<TBitmap*>(read->Picture()->Graphic());
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(bmp->Width(), 5);
  EXPECT_EQ(bmp->Height(), 3);
  EXPECT_EQ(bmp->Canvas()->Pixels(4, 2), clRed);
}
