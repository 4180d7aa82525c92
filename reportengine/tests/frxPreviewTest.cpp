// The preview of prepared reports: page layout in centred rows, the page at
// a point, zoom and zoom modes, page moves by keys, the text search and the
// pages as the preview draws them.
#include <cmath>
#include <memory>

#include "Forms.h"
#include "Graphics.h"
#include "SysUtils.h"
#include "frxClass.h"
#include "frxEngine.h"
#include "frxPreview.h"
#include "frxPreviewPages.h"
#include "frxpngimage.h"
#include "gtest.h"

namespace {

TEST(frxPageList, RowsAreFilledInOrderAndCentred) {
  struct Case {
    const char* name;
    std::vector<Integer> widths;
    Integer layout;
    std::vector<TPoint> offsets;  // left, top of each page
    Integer maxWidth;
  };
  const Case cases[] = {
      // Two pages of 100 fit into 250: row width 220 with gaps, d = (250 - 220 + 10) / 2 + 10 = 30.
      {"two in a row", {100, 100}, 250, {{30, 10}, {140, 10}}, 220},
      // The third page would exceed the width and starts the next row (top 10 + 200 + 10).
      {"wraps", {100, 100, 100}, 250, {{30, 10}, {140, 10}, {85, 220}}, 220},
      // A page wider than the layout stands alone at left offset 10.
      {"too wide", {400}, 100, {{10, 10}}, 410},
  };
  for (const Case& c : cases) {
    TfrxPageList list;
    for (Integer w : c.widths) list.AppendPage(w, 200, 1);
    list.ArrangePages(c.layout);
    ASSERT_EQ(list.Count(), Integer(c.offsets.size())) << c.name;
    for (size_t i = 0; i < c.offsets.size(); ++i) {
      EXPECT_EQ(list.Items(Integer(i)).OffsetLeft, c.offsets[i].X) << c.name << " page " << i;
      EXPECT_EQ(list.Items(Integer(i)).OffsetTop, c.offsets[i].Y) << c.name << " page " << i;
    }
    EXPECT_EQ(list.MaxWidth(), c.maxWidth) << c.name;
  }
}

TEST(frxPageList, SizesAtTheZoomAndTheDefaultPage) {
  TfrxPageList list;
  EXPECT_EQ(list.ContentSize(), TPoint(0, 0));
  // Without the page, a default A4 page at the zoom centred in the client.
  EXPECT_EQ(list.PageRect(0, 1000, false, 0.5), TRect(301, 5, 698, 567));
  EXPECT_EQ(list.PageRect(0, 100, false, 1).Left, 10);
  list.AppendPage(795, 1123, 0.5);
  EXPECT_EQ(list.Items(0).Width, 398);
  EXPECT_EQ(list.Items(0).Height, 562);
  list.ArrangePages(500);
  EXPECT_EQ(list.ContentSize(), TPoint(408, 572));
  // Right to left: the offset is measured from the right edge.
  EXPECT_EQ(list.PageRect(0, 500, true, 0.5).Left, 500 - 398 - list.Items(0).OffsetLeft);
}

TEST(frxPageList, PageAtPoint) {
  TfrxPageList list;
  for (int i = 0; i < 5; ++i) list.AppendPage(100, 200, 1);
  list.ArrangePages(250);  // rows of two: tops 10, 220, 430
  struct Case {
    Integer y, x, page;
  };
  const Case cases[] = {
      {0, 0, 1},      // within the lead of a fifth of a page: the last page of the first row
      {-100, 0, -1},  // above the first page
      {180, 0, 3},    // the next row starts within a fifth of a page
      {300, 0, 3},    // inside the second row: the last page of that row by top
      {300, 50, 2},   // with x, the page containing the point
      {300, 160, 3},
      {5000, 0, 4},
  };
  for (const Case& c : cases) EXPECT_EQ(list.PageAtPoint(c.y, c.x), c.page) << c.y << "," << c.x;
}

class PreviewFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    frxRegisterEngine();
    Report = std::make_unique<TfrxReport>();
    Report->EngineOptions()->NewSilentMode = simSilent;
    auto* page = new TfrxReportPage(Report.get());
    page->SetName("Page1");
    auto* band = new TfrxMasterData(page);
    band->SetName("Rows");
    band->SetTop(100);
    band->SetHeight(20);
    band->SetRowCount(150);
    auto* memo = new TfrxMemoView(band);
    memo->SetName("Line");
    memo->SetBounds(10, 0, 400, 20);
    memo->Font()->SetSize(12);
    memo->SetTextUtf8("订单 第[Line]行 Order[Line]");
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(0, 0, 900, 700);
    Preview = new TfrxPreview(Form.get());
    Preview->SetParent(Form.get());
    Preview->SetBounds(0, 0, 880, 660);
    Form->Show();
    Report->SetPreview(Preview);
    ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
    Report->ShowPreparedPages();
    ASSERT_GE(Preview->GetPageCount(), 3);
  }
  void TearDown() override {
    if (Report) Report->SetPreview(nullptr);
    Form.reset();
  }
  std::unique_ptr<TBitmap> Shot() {
    TfrxPreviewWorkspace* w = Preview->Workspace();
    auto bmp = std::make_unique<TBitmap>(w->ClientWidth(), w->ClientHeight(), pf24bit);
    w->DrawPagesOn(bmp->Canvas(), w->ClientWidth(), w->ClientHeight(), false);
    return bmp;
  }
  std::unique_ptr<TfrxReport> Report;
  std::unique_ptr<TForm> Form;
  TfrxPreview* Preview = nullptr;
};

TEST_F(PreviewFixture, ZoomAndZoomModes) {
  TfrxPreviewWorkspace* w = Preview->Workspace();
  const TfrxFloatRect size = Report->PreviewPages()->GetPageSize(0);
  Preview->SetZoom(0.1);
  EXPECT_DOUBLE_EQ(Preview->Zoom(), 0.25);
  EXPECT_EQ(w->PageList()->Items(0).Width, Integer(std::nearbyint(size.Right * 0.25)));
  Preview->SetZoom(0.5);
  // Wide enough at half size for one row of two pages.
  EXPECT_EQ(w->PageList()->Items(0).OffsetTop, w->PageList()->Items(1).OffsetTop);
  Preview->WheelScroll(-120, false, true);
  EXPECT_NEAR(Preview->Zoom(), 0.4, 1e-9);
  Preview->SetZoom(0.3);
  Preview->WheelScroll(-120, false, true);
  EXPECT_NEAR(Preview->Zoom(), 0.3, 1e-9);

  const Integer sb = GetSystemMetrics(SM_CXVSCROLL);
  Preview->SetZoomMode(zmPageWidth);
  EXPECT_EQ(Preview->ZoomMode(), zmPageWidth);
  EXPECT_NEAR(Preview->Zoom(), (w->Width() - sb - 26) / size.Right, 1e-9);
  // A tall page in a wide preview is fitted by its height.
  Preview->SetZoomMode(zmWholePage);
  EXPECT_NEAR(Preview->Zoom(), (w->Height() - 26) / size.Bottom, 1e-9);
  EXPECT_LE(w->PageList()->Items(0).Height, w->ClientHeight());
  // A narrow preview fits the page by its width.
  Preview->SetBounds(0, 0, 300, 660);
  Preview->SetZoomMode(zmWholePage);
  EXPECT_NEAR(Preview->Zoom(), (w->Width() - sb - 26) / size.Right, 1e-9);
  Preview->SetZoom(1);
  EXPECT_EQ(Preview->ZoomMode(), zmDefault);
}

TEST_F(PreviewFixture, PageMovesByCallsKeysAndScrolling) {
  TfrxPreviewWorkspace* w = Preview->Workspace();
  const Integer count = Preview->GetPageCount();
  std::vector<Integer> changes;
  Preview->OnPageChanged = [&](TfrxPreview*, Integer n) { changes.push_back(n); };
  Preview->SetPageNo(0);
  EXPECT_EQ(Preview->PageNo(), 1);
  Preview->SetPageNo(count + 5);
  EXPECT_EQ(Preview->PageNo(), count);
  EXPECT_EQ(w->VertPosition(), std::min(w->PageList()->Items(count - 1).OffsetTop - 10,
                                        w->ScrollRange().Y - w->ClientHeight()));
  EXPECT_EQ(changes, (std::vector<Integer>{1, count}));

  Preview->SetFocus();
  auto key = [&](WPARAM vk, bool ctrl = false) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(state);
    SendMessageW(Preview->Handle(), WM_KEYDOWN, vk, 0);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
  };
  key(VK_HOME);
  EXPECT_EQ(Preview->PageNo(), 1);
  EXPECT_EQ(w->VertPosition(), 0);
  key(VK_NEXT, true);
  EXPECT_EQ(Preview->PageNo(), 2);
  EXPECT_EQ(w->VertPosition(), w->PageList()->Items(1).OffsetTop - 10);
  key(VK_PRIOR, true);
  EXPECT_EQ(Preview->PageNo(), 1);
  key(VK_END);
  EXPECT_EQ(Preview->PageNo(), count);
  key(VK_HOME);
  key(VK_DOWN);
  EXPECT_EQ(w->VertPosition(), 8);
  key(VK_NEXT);
  EXPECT_EQ(w->VertPosition(), 308);
  EXPECT_EQ(SendMessageW(Preview->Handle(), WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);

  // Scrolling far down makes the page at the top current.
  w->SetVertPosition(w->PageList()->Items(2).OffsetTop);
  EXPECT_EQ(Preview->PageNo(), 3);
  // At a quarter size the pages stand in one row; a click on one makes it current.
  Preview->SetZoom(0.25);
  ASSERT_EQ(w->PageList()->Items(0).OffsetTop, w->PageList()->Items(count - 1).OffsetTop);
  for (Integer i = count - 1; i >= 0; --i) {
    const TRect r = w->PageRectOnScreen(i);
    const LPARAM at = MAKELPARAM(r.Left + r.Width() / 2, r.Top + 20);
    SendMessageW(w->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(w->Handle(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(Preview->PageNo(), i + 1);
  }
}

TEST_F(PreviewFixture, TextSearchFindsEachMatchOnceThenNothing) {
  TfrxPreviewWorkspace* w = Preview->Workspace();
  TfrxSearchState& s = frxSearchState();
  // Lines on the later pages: the search moves on to the page and scrolls to it.
  Preview->Find("order120", false, true);
  ASSERT_TRUE(s.Found);
  const Integer page = w->LastFoundPage;
  EXPECT_GT(page, 0);
  EXPECT_GT(s.FoundRect.Width(), 0);
  EXPECT_GT(s.FoundRect.Height(), 0);
  const TRect onScreen = w->PageRectOnScreen(page);
  EXPECT_GE(onScreen.Top + s.FoundRect.Bottom, 0);
  EXPECT_LE(onScreen.Top + s.FoundRect.Bottom, w->ClientHeight());
  // Case matters when asked for.
  Preview->Find("order120", true, true);
  EXPECT_FALSE(s.Found);
  // Each record matches once; Chinese text is found too.
  Preview->Find("第1", true, true);
  Integer hits = 0;
  Integer lastPage = 0;
  while (s.Found && hits < 500) {
    ++hits;
    EXPECT_GE(w->LastFoundPage, lastPage);
    lastPage = w->LastFoundPage;
    Preview->FindNextText();
  }
  // 第1行, 第10..19行 and 第100..150行.
  EXPECT_EQ(hits, 1 + 10 + 51);
  // After the last match nothing more is found until a new search.
  Preview->FindNextText();
  EXPECT_FALSE(s.Found);
  Preview->Find("订单 第2行", false, true);
  EXPECT_TRUE(s.Found);
  EXPECT_EQ(w->LastFoundPage, 0);
}

TEST_F(PreviewFixture, DrawsPagesAtTheZoomWithTheMatchInverted) {
  Preview->SetZoom(0.75);
  Preview->GotoFirstPage();
  Preview->Find("第3行", false, true);
  ASSERT_TRUE(frxSearchState().Found);
  TfrxPreviewWorkspace* w = Preview->Workspace();
  std::unique_ptr<TBitmap> bmp = Shot();
  const TRect r = w->PageRectOnScreen(0);
  // Grey around, the active frame outside the page, a white page.
  EXPECT_EQ(bmp->Canvas()->Pixels(2, 2), TColor(8421504));
  EXPECT_EQ(bmp->Canvas()->Pixels(r.Left - 1, r.Top + 50), TColor(8405024));
  EXPECT_EQ(bmp->Canvas()->Pixels(r.Left + 3, r.Top + 3), clWhite);
  // Text ink inside the first line.
  const Extended z = Preview->Zoom();
  const Integer lineTop = r.Top + Integer((10 * fr01cm + 100) * z);
  bool ink = false;
  for (Integer x = r.Left + Integer(40 * z); x < r.Left + Integer(200 * z) && !ink; ++x)
    for (Integer y = lineTop; y < lineTop + Integer(20 * z) && !ink; ++y) ink = bmp->Canvas()->Pixels(x, y) != clWhite;
  EXPECT_TRUE(ink);
  // The match of the third line is drawn inverted (dark background).
  const TfrxSearchState& s = frxSearchState();
  const Integer mx = r.Left + Integer(std::nearbyint(s.FoundRect.Left * z)) + 1;
  const Integer my = r.Top + Integer(std::nearbyint(s.FoundRect.Top * z)) + 1;
  EXPECT_LT(ColorToRGB(bmp->Canvas()->Pixels(mx, my)) & 0xFF, 0x40);
  TPNGObject png;
  png.Assign(bmp.get());
  png.SaveToFile(String(TOVANI_TEST_BINARY_DIR) + "/preview-page-1.png");
}

TEST(frxPreview, WithoutPagesOnlyTheBackgroundIsDrawn) {
  TfrxPreview preview;
  EXPECT_EQ(preview.GetPageCount(), 0);
  preview.SetPageNo(3);
  EXPECT_EQ(preview.PageNo(), 0);
  preview.FindNextText();
  TBitmap bmp(50, 50, pf24bit);
  preview.Workspace()->DrawPagesOn(bmp.Canvas(), 50, 50, false);
  EXPECT_EQ(bmp.Canvas()->Pixels(25, 25), TColor(8421504));
}

}  // namespace

namespace {

// The window a report opens for its pages: page 1 shown while the build
// runs on, Escape closes it once the report is finished.
TEST_F(PreviewFixture, ShowReportOpensThePreviewWindowDrivenByKeys) {
  Report->SetPreview(nullptr);
  frxRegisterPreviewWindow();
  Report->PreviewOptions()->Modal = false;
  Report->PreviewOptions()->Maximized = false;
  Report->ShowReport();
  frxPreviewWindowClass = nullptr;
  auto* form = dynamic_cast<TfrxPreviewForm*>(Report->PreviewForm());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Caption(), "预览");
  TfrxPreview* preview = form->Preview();
  for (int i = 0; i < 400 && (preview->GetPageCount() < 3 || preview->Running()); ++i) {
    Application->ProcessMessages();
    Sleep(5);
  }
  ASSERT_EQ(preview->GetPageCount(), 3);
  EXPECT_EQ(preview->PageNo(), 1);
  HWND ws = preview->Workspace()->Handle();
  // Keys reach the preview: Ctrl+PgDn goes on a page, End to the last.
  SetFocus(preview->Handle());
  SendMessageW(preview->Handle(), WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(preview->PageNo(), 3);
  SendMessageW(preview->Handle(), WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(preview->PageNo(), 1);
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  TBitmap bmp(form->ClientWidth(), form->ClientHeight(), pf24bit);
  // What the window shows on the screen.
  SetForegroundWindow(form->Handle());
  UpdateWindow(form->Handle());
  HDC dc = GetDC(form->Handle());
  BitBlt(bmp.Canvas()->Handle(), 0, 0, form->ClientWidth(), form->ClientHeight(), dc, 0, 0, SRCCOPY);
  ReleaseDC(form->Handle(), dc);
  const TRect r = preview->Workspace()->PageRectOnScreen(0);
  EXPECT_EQ(bmp.Canvas()->Pixels(r.Left + 5, r.Top + 5), clWhite);
  TPNGObject png;
  png.Assign(&bmp);
  png.SaveToFile(String(TOVANI_TEST_BINARY_DIR) + "/preview-window.png");
  EXPECT_TRUE(IsWindow(ws));
  // Escape on a finished report closes (and frees) the window.
  SendMessageW(preview->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  for (int i = 0; i < 50 && Report->PreviewForm(); ++i) Application->ProcessMessages();
  EXPECT_EQ(Report->PreviewForm(), nullptr);
}

}  // namespace
