// The data grid's unit helpers and its glyph lists.
#include "DBGridEh.h"
#include "Forms.h"
#include "ImgList.h"
#include "gtest.h"

namespace {

TEST(DBGridEhUtils, Geometry) {
  TRect r(10, 20, 110, 50);
  TransposeRectSize(r);
  EXPECT_EQ(r, TRect(10, 20, 40, 120));
  EXPECT_EQ(MakeGridRect(1, 2, 3, 4), (TCellBlockEh{1, 2, 3, 4}));
  EXPECT_THROW(RaiseInvalidGridOperation("x"), EInvalidGridOperationEh);
}

TEST(DBGridEhUtils, WaitCursorNests) {
  Screen->SetCursor(crDefault);
  BeginWaitCursor();
  BeginWaitCursor();
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  EndWaitCursor();
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  EndWaitCursor();
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EndWaitCursor();   // one too many does nothing
  EXPECT_EQ(WaitCursorDepth(), 0);
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST(DBGridEhUtils, RemovedQuitRequestIsPostedAgain) {
  PostQuitMessage(7);
  RemoveQueuedMessage(nullptr, WM_QUIT);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 7u);
}

TEST(DBGridEhUtils, TextMeasures) {
  TBitmap bmp;
  bmp.SetWidth(10);
  bmp.SetHeight(10);
  TCanvas* c = bmp.Canvas();
  Integer w = 0, h = 0;
  // A cell narrower than its margins measures in one pixel and never fits.
  EXPECT_TRUE(MeasureCellText(0, c, 10, w, h, false, TRect(0, 0, 8, 30), "订单", 0));
  EXPECT_GT(w, 1);
  EXPECT_FALSE(MeasureCellText(0, c, 4, w, h, false, TRect(0, 0, 300, 40), "订单", 4));
  EXPECT_EQ(PlainTextWidth(c, "订单"), c->TextWidth("订单"));
}

TEST(DBGridEhUtils, QuotedLists) {
  Variant a = VarArrayCreate({0, 1}, varVariant);
  a.PutElement(0, Variant(String("a")));
  a.PutElement(1, Variant(String("b")));
  EXPECT_EQ(VariantToQuotedList(a), "'a','b'");
  EXPECT_EQ(VariantToQuotedList(Variant(12)), "12");
  EXPECT_EQ(VariantToQuotedList(VarArrayCreate({0, -1}, varVariant)), "");
}

TEST(DBGridEhUtils, GlyphLists) {
  EXPECT_EQ(IndicatorImagesEh()->Count(), 7);
  EXPECT_EQ(IndicatorImagesEh()->Width(), 6);
  EXPECT_EQ(SortMarkerImagesEh()->Count(), 3);
  // The searching arrow follows the search colour, still one image.
  TColor saved = IncSearchColor;
  IncSearchColor = TColor(0x808000);
  AddHighlightArrow();
  EXPECT_EQ(IndicatorImagesEh()->Count(), 7);
  IncSearchColor = saved;
  AddHighlightArrow();
}

}   // namespace
