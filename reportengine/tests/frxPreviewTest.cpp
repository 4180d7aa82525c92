// The preview of prepared reports: page layout in centred rows, the page at
// a point, zoom and zoom modes, page moves by keys, the text search and the
// pages as the preview draws them.
#include <algorithm>
#include <cmath>
#include <memory>

#include "FormDriver.h"
#include "FormFile.h"
#include "Forms.h"
#include "Graphics.h"
#include "Streams.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Utf8.h"
#include "MemDataSet.h"
#include "frxClass.h"
#include "frxDBSet.h"
#include "frxEngine.h"
#include "frxPreview.h"
#include "frxPreviewForm.h"
#include "frxPreviewPages.h"
#include "frxPrintDialog.h"
#include "frxSearchDialog.h"
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
                                        w->VertRange() - w->ClientHeight()));
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
  POINT inPage{r.Left + 5, r.Top + 5};
  MapWindowPoints(ws, form->Handle(), &inPage, 1);
  EXPECT_EQ(bmp.Canvas()->Pixels(inPage.x, inPage.y), clWhite);
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

namespace {

// Answers the next file dialog: types a name into its file name box and
// presses OK, or cancels when the name is empty. Message boxes the dialog
// shows meanwhile are closed and their texts kept.
struct FileDialogAnswer {
  static inline String Name;
  static inline bool Shown = false;
  static inline std::vector<String> Boxes;
  static inline std::vector<HWND> Answered;
  static inline HHOOK Hook = nullptr;
  static BOOL CALLBACK FindEdit(HWND h, LPARAM out) {
    wchar_t cls[16] = {};
    GetClassNameW(h, cls, 16);
    const int id = GetDlgCtrlID(h);
    if (lstrcmpiW(cls, L"Edit") == 0 && (id == 0x47c || id == 0x480)) {
      *reinterpret_cast<HWND*>(out) = h;
      return FALSE;
    }
    return TRUE;
  }
  static BOOL CALLBACK Texts(HWND h, LPARAM) {
    wchar_t text[256] = {};
    GetWindowTextW(h, text, 256);
    char buf[768] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, buf, 767, nullptr, nullptr);
    if (buf[0]) Boxes.push_back(buf);
    return TRUE;
  }
  static void CALLBACK Fire(HWND d, UINT, UINT_PTR, DWORD) {
    KillTimer(d, 79);
    HWND edit = nullptr;
    EnumChildWindows(d, FindEdit, reinterpret_cast<LPARAM>(&edit));
    if (!edit) {
      EnumChildWindows(d, Texts, 0);
      PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    Shown = true;
    if (Name.empty()) {
      PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    const std::u16string w = Utf8ToUtf16(Name);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, IDOK)));
  }
  static LRESULT CALLBACK Proc(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_ACTIVATE) {
      HWND d = reinterpret_cast<HWND>(w);
      wchar_t cls[32] = {};
      GetClassNameW(d, cls, 32);
      if (lstrcmpW(cls, L"#32770") == 0 && std::find(Answered.begin(), Answered.end(), d) == Answered.end()) {
        Answered.push_back(d);
        SetTimer(d, 79, 100, Fire);
      }
    }
    return CallNextHookEx(Hook, code, w, l);
  }
  explicit FileDialogAnswer(const String& name) {
    // The dialog takes Windows paths: the root of the file system is drive Z.
    Name = name;
    if (!Name.empty() && Name[0] == '/') {
      Name = "Z:" + Name;
      std::replace(Name.begin(), Name.end(), '/', '\\');
    }
    Shown = false;
    Boxes.clear();
    Answered.clear();
    Hook = SetWindowsHookExW(WH_CBT, Proc, nullptr, GetCurrentThreadId());
  }
  ~FileDialogAnswer() { UnhookWindowsHookEx(Hook); }
};

// Records what the preview tells the window it stands in.
struct RecordingHost : TfrxPreviewHost {
  std::vector<String> Captions;
  Integer Controls = 0, Zooms = 0;
  std::vector<String> Events;
  void UpdateControls() override { ++Controls; }
  void SetCancelCaption(const String& Caption) override { Captions.push_back(Caption); }
  void UpdateZoom() override { ++Zooms; }
  void OutlineVisibleChanged(bool v) override { Events.push_back(v ? "outline on" : "outline off"); }
  void ThumbnailVisibleChanged(bool v) override { Events.push_back(v ? "thumbs on" : "thumbs off"); }
};

void RemoveTestFile(const String& name) {
  const std::u16string w = Utf8ToUtf16(name);
  DeleteFileW(reinterpret_cast<LPCWSTR>(w.c_str()));
}

void SendKey(TWinControl* c, WPARAM vk, bool ctrl) {
  BYTE state[256];
  GetKeyboardState(state);
  state[VK_CONTROL] = ctrl ? 0x80 : 0;
  SetKeyboardState(state);
  SendMessageW(c->Handle(), WM_KEYDOWN, vk, 0);
  state[VK_CONTROL] = 0;
  SetKeyboardState(state);
}

void SaveShot(TWinControl* c, const String& name) {
  RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  TBitmap bmp(c->Width(), c->Height(), pf24bit);
  HDC dc = GetWindowDC(c->Handle());
  BitBlt(bmp.Canvas()->Handle(), 0, 0, c->Width(), c->Height(), dc, 0, 0, SRCCOPY);
  ReleaseDC(c->Handle(), dc);
  TPNGObject png;
  png.Assign(&bmp);
  png.SaveToFile(String(TOVANI_TEST_BINARY_DIR) + "/" + name);
}

TEST_F(PreviewFixture, OutlineIsBuiltFromTheReportAndAClickShowsTheNodesPlace) {
  auto* band = dynamic_cast<TfrxBand*>(Report->FindObject("Rows"));
  ASSERT_NE(band, nullptr);
  band->OutlineText = "Line";
  Report->PreviewOptions()->OutlineExpand = false;
  ASSERT_TRUE(Report->PrepareReport());
  Preview->SetOutlineVisible(true);
  TTreeView* tree = Preview->Outline();
  ASSERT_EQ(tree->Items()->Count(), 150);
  // Each node keeps the page of its row (1-based) and the row's position.
  TTreeNode* node = tree->Items()->Item(119);
  EXPECT_EQ(node->Text(), "120");
  String text;
  Integer page = -1, top = -1;
  Report->PreviewPages()->Outline()->LevelRoot();
  Report->PreviewPages()->Outline()->ReadItem(119, text, page, top);
  EXPECT_EQ(node->ImageIndex(), page + 1);
  EXPECT_EQ(node->StateIndex(), top);
  ASSERT_GT(page, 0);

  // A click on the node scrolls to its place, which makes its page current.
  tree->Show();
  node->MakeVisible();
  const TRect r = node->DisplayRect(true);
  const LPARAM at = MAKELPARAM(r.Left + 2, r.Top + r.Height() / 2);
  PostMessageW(tree->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(tree->Handle(), WM_LBUTTONUP, 0, at);
  for (int i = 0; i < 20 && tree->Selected() != node; ++i) Application->ProcessMessages();
  ASSERT_EQ(tree->Selected(), node);
  EXPECT_EQ(Preview->PageNo(), page + 1);
  TfrxPreviewWorkspace* w = Preview->Workspace();
  const Integer pageTop = w->PageList()->Items(page).OffsetTop;
  EXPECT_GT(w->VertPosition(), pageTop);
  SaveShot(Preview, "preview-outline.png");

  // The popup's commands expand and collapse every node.
  ASSERT_EQ(Preview->OutlinePopup()->Items()->Count(), 2);
  EXPECT_EQ(Preview->OutlinePopup()->Items()->Items(0)->Caption(), "全部闭合");
  Preview->OutlinePopup()->Items()->Items(1)->Click();
  Preview->OutlinePopup()->Items()->Items(0)->Click();
}

TEST_F(PreviewFixture, OutlineAndThumbnailsTakeTurnsAtTheLeft) {
  RecordingHost host;
  Preview->SetHost(&host);
  TfrxPreviewWorkspace* thumbs = Preview->Thumbnail();
  EXPECT_FALSE(Preview->OutlineVisible());
  EXPECT_FALSE(Preview->ThumbnailVisible());
  EXPECT_FALSE(Preview->Splitter()->Visible());
  Preview->SetOutlineWidth(150);
  Preview->SetThumbnailVisible(true);
  EXPECT_TRUE(Preview->ThumbnailVisible());
  EXPECT_TRUE(Preview->Splitter()->Visible());
  EXPECT_EQ(thumbs->Width(), 150);
  // The splitter stands right of the strip, the pages right of it.
  EXPECT_GE(Preview->Splitter()->Left(), thumbs->Left() + thumbs->Width());
  EXPECT_GE(Preview->Workspace()->Left(), Preview->Splitter()->Left() + 4);
  // The thumbnails hold every page at a tenth of its size, numbered.
  ASSERT_EQ(thumbs->PageList()->Count(), Preview->GetPageCount());
  const TfrxFloatRect size = Report->PreviewPages()->GetPageSize(0);
  EXPECT_EQ(thumbs->PageList()->Items(0).Width, Integer(std::nearbyint(size.Right * 0.1)));
  // A click on the third thumbnail makes it current and scrolls the pages to it.
  const TRect r = thumbs->PageRectOnScreen(2);
  const LPARAM at = MAKELPARAM(r.Left + r.Width() / 2, r.Top + r.Height() / 2);
  SendMessageW(thumbs->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(thumbs->Handle(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(Preview->PageNo(), 3);
  EXPECT_EQ(Preview->Workspace()->VertPosition(), Preview->Workspace()->PageList()->Items(2).OffsetTop - 10);
  SaveShot(Preview, "preview-thumbnails.png");

  Preview->SetOutlineVisible(true);
  EXPECT_TRUE(Preview->OutlineVisible());
  EXPECT_FALSE(Preview->ThumbnailVisible());
  EXPECT_TRUE(Preview->Splitter()->Visible());
  Preview->SetOutlineVisible(false);
  EXPECT_FALSE(Preview->Splitter()->Visible());
  EXPECT_EQ(host.Events, (std::vector<String>{"thumbs on", "outline on", "outline off"}));
  EXPECT_GT(host.Zooms, 0);
  Preview->SetOutlineColor(clYellow);
  EXPECT_EQ(Preview->Outline()->Color(), clYellow);
  Preview->SetHost(nullptr);
}

TEST_F(PreviewFixture, EndAtASmallZoomKeepsTheLastPage) {
  // All pages fit on the screen: scrolling cannot bring the last to the
  // top, and it stays the current page all the same.
  Preview->SetZoom(0.25);
  SendKey(Preview, VK_END, false);
  EXPECT_EQ(Preview->PageNo(), Preview->GetPageCount());
  SendKey(Preview, VK_PRIOR, true);
  EXPECT_EQ(Preview->PageNo(), Preview->GetPageCount() - 1);
}

TEST_F(PreviewFixture, DraggingScrollsAndClicksReachTheObjects) {
  auto* line = dynamic_cast<TfrxView*>(Report->FindObject("Line"));
  line->SetCursor(crCross);
  line->SetHint("订单行|第几行的订单");
  line->SetShowHint(true);
  ASSERT_TRUE(Report->PrepareReport());
  TfrxPreviewWorkspace* w = Preview->Workspace();
  std::vector<String> calls;
  Report->OnClickObject = [&](TfrxComponent* c, Integer, Integer, bool&) { calls.push_back("click " + c->Name()); };
  Report->OnDblClickObject = [&](TfrxComponent* c, Integer, Integer, bool&) { calls.push_back("dbl " + c->Name()); };
  Integer previewClicks = 0;
  Preview->OnClick = [&](TObject*) { ++previewClicks; };
  // A line of the first page: a click, a second click at once is a double
  // click, a third one a click again.
  const TRect page = w->PageRectOnScreen(0);
  const Integer lineY = page.Top + Integer((10 * fr01cm + 100 + 10) * Preview->Zoom());
  const LPARAM at = MAKELPARAM(page.Left + Integer((10 * fr01cm + 50) * Preview->Zoom()), lineY);
  for (int i = 0; i < 3; ++i) {
    SendMessageW(w->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(w->Handle(), WM_LBUTTONUP, 0, at);
  }
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].substr(0, 6), "click ");
  EXPECT_EQ(calls[1].substr(0, 4), "dbl ");
  EXPECT_EQ(calls[2].substr(0, 6), "click ");
  // Hovering over the line takes its cursor; beside it the workspace's own.
  // Its hint's short part becomes the preview's hint; off the lines hints are off.
  SendMessageW(w->Handle(), WM_MOUSEMOVE, 0, at);
  EXPECT_EQ(w->Cursor(), crCross);
  EXPECT_EQ(Preview->Hint(), "订单行");
  EXPECT_TRUE(Preview->ShowHint());
  SendMessageW(w->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(page.Left + 5, page.Top + 5));
  EXPECT_EQ(w->Cursor(), w->DefaultCursor);
  EXPECT_FALSE(Preview->ShowHint());
  EXPECT_EQ(previewClicks, 3);
  // Drag upwards by 100 pixels: the pages follow the mouse.
  SendMessageW(w->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 400));
  SendMessageW(w->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 300));
  SendMessageW(w->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(300, 300));
  EXPECT_EQ(w->VertPosition(), 100);
  EXPECT_EQ(previewClicks, 4);
}

TEST_F(PreviewFixture, RefreshIntervalFollowsTheSecondPagesTime) {
  RecordingHost host;
  Preview->SetHost(&host);
  std::vector<Integer> announced;
  Preview->OnPageChanged = [&](TfrxPreview*, Integer) { announced.push_back(0); };
  Preview->ProgressStarted(Report.get(), ptRunning, 0);
  EXPECT_TRUE(Preview->Running());
  EXPECT_EQ(Preview->GetPageCount(), 0);
  // Refused while a build runs.
  Preview->SavePrepared(String(TOVANI_TEST_BINARY_DIR) + "/never.fp3");
  EXPECT_FALSE(FileExists(String(TOVANI_TEST_BINARY_DIR) + "/never.fp3"));
  Preview->ProgressAdvanced(Report.get(), ptRunning, 0);
  EXPECT_EQ(host.Captions, (std::vector<String>{"取消"}));
  Sleep(15);
  Preview->ProgressAdvanced(Report.get(), ptRunning, 1);
  // A slow second page: every fifth page is announced.
  std::vector<Integer> at;
  for (Integer n = 2; n <= 20; ++n) {
    const size_t before = announced.size();
    Preview->ProgressAdvanced(Report.get(), ptRunning, n);
    if (announced.size() > before) at.push_back(n);
  }
  EXPECT_EQ(at, (std::vector<Integer>{5, 10, 15, 20}));
  Preview->CancelIfRunning();
  EXPECT_TRUE(Report->Terminated());
  Report->SetTerminated(false);
  Preview->ProgressStopped(Report.get(), ptRunning, 0);
  EXPECT_FALSE(Preview->Running());
  EXPECT_EQ(host.Captions.back(), "关闭(&X)");
  // The window's commands follow the start and the end of the build, and
  // the lock and unlock of clearing the old pages when it started.
  EXPECT_EQ(host.Controls, 4);
  Preview->CancelIfRunning();
  EXPECT_FALSE(Report->Terminated());
  Preview->SetHost(nullptr);
}

TEST_F(PreviewFixture, SavedPagesLoadBackWithTheirOutline) {
  auto* band = dynamic_cast<TfrxBand*>(Report->FindObject("Rows"));
  band->OutlineText = "Line";
  ASSERT_TRUE(Report->PrepareReport());
  const Integer count = Preview->GetPageCount();
  const String file = String(TOVANI_TEST_BINARY_DIR) + "/preview-saved.fp3";
  RemoveTestFile(file);
  Preview->SavePrepared(file);
  ASSERT_TRUE(FileExists(file));
  EXPECT_FALSE(Preview->MessagePanel()->Visible());
  EXPECT_FALSE(Preview->Locked());

  Preview->ClearPages();
  EXPECT_EQ(Preview->GetPageCount(), 0);
  EXPECT_EQ(Preview->Outline()->Items()->Count(), 0);
  EXPECT_EQ(Preview->Workspace()->PageList()->Count(), 0);
  Preview->SetPageNo(2);
  Preview->LoadPrepared(file);
  EXPECT_EQ(Preview->GetPageCount(), count);
  EXPECT_EQ(Preview->PageNo(), 1);
  EXPECT_EQ(Preview->Outline()->Items()->Count(), 150);
  EXPECT_EQ(Preview->Workspace()->PageList()->Count(), count);
  EXPECT_FALSE(Preview->Locked());
  Preview->Find("Order150", false, true);
  EXPECT_TRUE(frxSearchState().Found);
  EXPECT_EQ(Preview->Workspace()->LastFoundPage, count - 1);

  // A damaged file ends in an error and leaves the preview usable.
  {
    TFileStream f(String(TOVANI_TEST_BINARY_DIR) + "/preview-damaged.fp3", fmCreate);
    f.WriteBuffer("<?xml version=\"1.0\"?><preparedreport><page", 43);
  }
  try {
    Preview->LoadPrepared(String(TOVANI_TEST_BINARY_DIR) + "/preview-damaged.fp3");
  } catch (const Exception&) {
  }
  EXPECT_FALSE(Preview->Locked());
  EXPECT_FALSE(Preview->MessagePanel()->Visible());
}

TEST_F(PreviewFixture, CtrlSAndCtrlOSaveAndLoadThroughTheFileDialogs) {
  const String file = String(TOVANI_TEST_BINARY_DIR) + "/preview-dialog.fp3";
  RemoveTestFile(file);
  const Integer count = Preview->GetPageCount();
  {
    // The name typed without its extension gets ".fp3".
    FileDialogAnswer answer(ChangeFileExt(file, ".txt"));
    SendKey(Preview, 'S', true);
    EXPECT_TRUE(FileDialogAnswer::Shown);
    EXPECT_EQ(FileDialogAnswer::Boxes, std::vector<String>{});
  }
  ASSERT_TRUE(FileExists(file));
  Preview->ClearPages();
  {
    FileDialogAnswer answer("");
    SendKey(Preview, 'O', true);
    EXPECT_TRUE(FileDialogAnswer::Shown);
  }
  EXPECT_EQ(Preview->GetPageCount(), 0);
  {
    FileDialogAnswer answer(file);
    SendKey(Preview, 'O', true);
  }
  EXPECT_EQ(Preview->GetPageCount(), count);
  // Without the save button in the options, Ctrl+S does nothing.
  Report->PreviewOptions()->Buttons = Report->PreviewOptions()->Buttons - pbSave;
  {
    FileDialogAnswer answer("");
    SendKey(Preview, 'S', true);
    EXPECT_FALSE(FileDialogAnswer::Shown);
  }
}

TEST_F(PreviewFixture, EmptyPagesAreInsertedAndPagesRemoved) {
  const Integer count = Preview->GetPageCount();
  Preview->SetPageNo(2);
  Preview->InsertEmptyPage();
  EXPECT_EQ(Preview->GetPageCount(), count + 1);
  EXPECT_EQ(Preview->PageNo(), 2);
  EXPECT_EQ(Preview->Workspace()->PageList()->Count(), count + 1);
  // The empty page has no text of the second page.
  Preview->Find("Order", false, false);
  EXPECT_EQ(Preview->Workspace()->LastFoundPage, 2);
  Preview->RemoveCurrentPage();
  EXPECT_EQ(Preview->GetPageCount(), count);
  EXPECT_EQ(Preview->PageNo(), 2);
  // Removing the last page shows the one before; the first of two keeps page 1.
  Preview->GotoLastPage();
  Preview->RemoveCurrentPage();
  EXPECT_EQ(Preview->PageNo(), count - 1);
  while (Preview->GetPageCount() > 2) Preview->RemoveCurrentPage();
  Preview->GotoFirstPage();
  Preview->RemoveCurrentPage();
  EXPECT_EQ(Preview->GetPageCount(), 1);
  EXPECT_EQ(Preview->PageNo(), 1);
  // The last page stays.
  Preview->RemoveCurrentPage();
  EXPECT_EQ(Preview->GetPageCount(), 1);
}

TEST_F(PreviewFixture, AFreedReportLeavesAnEmptyPreview) {
  Preview->SetThumbnailVisible(true);
  Report.reset();
  EXPECT_EQ(Preview->Report, nullptr);
  EXPECT_EQ(Preview->GetPageCount(), 0);
  // Nothing of the freed pages is drawn, searched or hovered over.
  for (TfrxPreviewWorkspace* w : {Preview->Workspace(), Preview->Thumbnail()}) {
    TBitmap bmp(200, 200, pf24bit);
    w->DrawPagesOn(bmp.Canvas(), 200, 200, false);
    EXPECT_EQ(bmp.Canvas()->Pixels(100, 100), TColor(8421504));
  }
  RedrawWindow(Preview->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  SendMessageW(Preview->Workspace()->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(300, 300));
  SendMessageW(Preview->Workspace()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 300));
  SendMessageW(Preview->Workspace()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(300, 300));
  Preview->Find("Order", false, true);
  EXPECT_FALSE(frxSearchState().Found);
}

}  // namespace

namespace {

TEST_F(PreviewFixture, RightToLeftClicksFindThePageUnderTheMouse) {
  TfrxPreviewWorkspace* w = Preview->Workspace();
  w->RTL = true;
  Preview->SetZoom(0.25);
  // The first page stands at the right; a click on each page makes it current.
  EXPECT_GT(w->PageRectOnScreen(0).Left, w->PageRectOnScreen(1).Left);
  for (Integer i = Preview->GetPageCount() - 1; i >= 0; --i) {
    const TRect r = w->PageRectOnScreen(i);
    const LPARAM at = MAKELPARAM(r.Left + r.Width() / 2, r.Top + 20);
    SendMessageW(w->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(w->Handle(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(Preview->PageNo(), i + 1);
  }
}

}  // namespace

namespace {

// No designer is registered: editing a page or the template changes
// nothing, and the template's pages stay with the prepared pages.
TEST_F(PreviewFixture, EditingWithoutADesignerLeavesThePagesAlone) {
  auto* pages = dynamic_cast<TfrxPreviewPages*>(Report->PreviewPages());
  ASSERT_NE(pages, nullptr);
  const Integer count = Preview->GetPageCount();
  const Integer sources = pages->SourcePageCount();
  ASSERT_GT(sources, 0);
  Preview->SetPageNo(2);
  Preview->EditCurrentPage();
  Preview->EditTemplate();
  EXPECT_EQ(Preview->GetPageCount(), count);
  EXPECT_EQ(pages->SourcePageCount(), sources);
  EXPECT_NE(pages->SourcePage(0)->Name(), "");
  Preview->Find("Order80", false, false);
  EXPECT_TRUE(frxSearchState().Found);
}

}  // namespace

namespace {

TEST_F(PreviewFixture, ALinkToAPageShowsThatPage) {
  dynamic_cast<TfrxView*>(Report->FindObject("Line"))->SetURL("@3");
  ASSERT_TRUE(Report->PrepareReport());
  TfrxPreviewWorkspace* w = Preview->Workspace();
  const TRect page = w->PageRectOnScreen(0);
  const LPARAM at = MAKELPARAM(page.Left + Integer((10 * fr01cm + 50) * Preview->Zoom()),
                               page.Top + Integer((10 * fr01cm + 110) * Preview->Zoom()));
  SendMessageW(w->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(w->Handle(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(Preview->PageNo(), 3);
  EXPECT_EQ(w->VertPosition(), std::min(w->PageList()->Items(2).OffsetTop - 10, w->VertRange() - w->VertPage()));
}

}  // namespace

namespace {

// Ctrl+F asks for a text, F3 finds its next place; Ctrl+P opens the print
// dialog (cancelled here). Each needs its button in the preview options.
TEST_F(PreviewFixture, CtrlFFindsAndF3FindsOnCtrlPOpensThePrintDialog) {
  FormDriver driver;
  std::vector<String> forms;
  driver.OnForm = [&](TCustomForm* f) {
    forms.push_back(f->ClassName());
    // Ctrl, held for the key that opened the form, is let go.
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
    if (auto* d = dynamic_cast<TfrxSearchDialog*>(f)) {
      FormDriver::SelectAll(d->TextE);
      FormDriver::Type(d->TextE, "Order12");
      FormDriver::Key(d->TextE, VK_RETURN);
    } else if (dynamic_cast<TfrxPrintDialog*>(f)) {
      driver.Then([f] { PostMessageW(f->Handle(), WM_CLOSE, 0, 0); });
    }
  };
  TfrxPreviewWorkspace* w = Preview->Workspace();
  SendKey(Preview, 'F', true);
  ASSERT_TRUE(frxSearchState().Found);
  EXPECT_EQ(w->LastFoundPage, 0);
  const TRect first = frxSearchState().FoundRect;
  // Order12 is on the first page, Order120 further on.
  SendKey(Preview, VK_F3, false);
  ASSERT_TRUE(frxSearchState().Found);
  EXPECT_TRUE(w->LastFoundPage > 0 || frxSearchState().FoundRect.Top > first.Top);
  SendKey(Preview, 'P', true);
  EXPECT_EQ(forms.front(), "TfrxSearchDialog");
  EXPECT_NE(std::find(forms.begin(), forms.end(), "TfrxPrintDialog"), forms.end());
  const size_t opened = forms.size();
  // Without the find button F3 and Ctrl+F do nothing.
  Report->PreviewOptions()->Buttons = Report->PreviewOptions()->Buttons - pbFind - pbPrint;
  const TRect last = frxSearchState().FoundRect;
  const Integer lastPage = w->LastFoundPage;
  SendKey(Preview, VK_F3, false);
  EXPECT_EQ(frxSearchState().FoundRect, last);
  EXPECT_EQ(w->LastFoundPage, lastPage);
  SendKey(Preview, 'F', true);
  SendKey(Preview, 'P', true);
  EXPECT_EQ(forms.size(), opened);
}

}  // namespace

namespace {

// A click on a collapsed drill-down header opens its group: the preview
// rebuilds keeping the header's new state.
TEST_F(PreviewFixture, AClickOnADrillDownHeaderOpensItsGroup) {
  // Four items in two groups.
  TMemDataSet items;
  items.FieldDefs().Add("Grp", ftInteger);
  items.FieldDefs().Add("Name", ftString, 20);
  items.CreateDataSet();
  for (Integer i = 1; i <= 4; ++i) items.AppendRecord({Variant((i + 1) / 2), Variant("商品" + IntToStr(i))});
  items.First();
  TfrxDBDataset data;
  data.SetName("Items");
  data.SetDataSet(&items);
  Report->DataSets()->Add(&data);
  auto* band = dynamic_cast<TfrxDataBand*>(Report->FindObject("Rows"));
  band->SetRowCount(0);
  band->SetDataSet(&data);
  dynamic_cast<TfrxMemoView*>(Report->FindObject("Line"))->SetTextUtf8("[Items.\"Name\"]");
  auto* gh = new TfrxGroupHeader(band->Parent());
  gh->SetName("Group");
  gh->SetTop(50);
  gh->SetHeight(20);
  gh->Condition = "Items.\"Grp\"";
  gh->DrillDown = true;
  auto* title = new TfrxMemoView(gh);
  title->SetName("Title");
  title->SetBounds(10, 0, 400, 20);
  title->SetTextUtf8("组[Items.\"Grp\"]");
  // The header comes before its data band in the page's band order.
  TList* bands = band->Parent()->Objects();
  bands->Move(bands->IndexOf(static_cast<TfrxComponent*>(gh)), bands->IndexOf(static_cast<TfrxComponent*>(band)));
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  Preview->Find("商品3", false, true);
  EXPECT_FALSE(frxSearchState().Found);
  // A click on the second group's header.
  Preview->Find("组2", false, true);
  ASSERT_TRUE(frxSearchState().Found);
  TfrxPreviewWorkspace* w = Preview->Workspace();
  const TRect found = frxSearchState().FoundRect;
  const TRect r = w->PageRectOnScreen(0);
  const LPARAM at = MAKELPARAM(r.Left + Integer(std::nearbyint((found.Left + 5) * Preview->Zoom())),
                               r.Top + Integer(std::nearbyint((found.Top + found.Bottom) / 2.0 * Preview->Zoom())));
  SendMessageW(w->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(w->Handle(), WM_LBUTTONUP, 0, at);
  EXPECT_EQ(Report->DrillState()->Count(), 1);
  Preview->Find("商品3", false, true);
  EXPECT_TRUE(frxSearchState().Found);
  Preview->Find("商品1", false, true);
  EXPECT_FALSE(frxSearchState().Found);
  Report->DataSets()->Clear();
}

// The preview's bevel is off by default, with the class library's cuts and
// edges; a form file names only what differs and reads back as written.
TEST(frxPreview, BevelDefaultsAndFormFile) {
  TfrxPreview defaults;
  EXPECT_EQ(defaults.BevelKind(), bkNone);
  EXPECT_EQ(defaults.BevelEdges(), (TBevelEdges{beLeft, beTop, beRight, beBottom}));
  EXPECT_EQ(defaults.BevelInner(), bvRaised);
  EXPECT_EQ(defaults.BevelOuter(), bvLowered);
  for (const char* name : {"BevelEdges", "BevelInner", "BevelKind", "BevelOuter"}) {
    const TPropInfo* info = GetPropInfo(&defaults, name);
    ASSERT_NE(info, nullptr) << name;
    EXPECT_EQ(info->Default, GetOrdProp(&defaults, info)) << name;
  }
  TForm plain(nullptr);
  auto* plainPreview = new TfrxPreview(&plain);
  plainPreview->SetParent(&plain);
  plainPreview->SetName("Preview1");
  const String plainText = ComponentToText(&plain);
  EXPECT_NE(plainText.find("Preview1: TfrxPreview"), String::npos) << plainText;
  EXPECT_EQ(plainText.find("Bevel"), String::npos) << plainText;

  const String text =
      "object Form1: TForm\n"
      "  object Preview1: TfrxPreview\n"
      "    Left = 10\n"
      "    Top = 10\n"
      "    Width = 300\n"
      "    Height = 200\n"
      "    BevelEdges = [beLeft, beTop]\n"
      "    BevelInner = bvNone\n"
      "    BevelKind = bkSoft\n"
      "    BevelOuter = bvRaised\n"
      "  end\n"
      "end\n";
  TForm form(nullptr);
  ReadComponentFromText(text, &form);
  auto* preview = dynamic_cast<TfrxPreview*>(form.FindComponent("Preview1"));
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->BevelKind(), bkSoft);
  EXPECT_EQ(preview->BevelEdges(), (TBevelEdges{beLeft, beTop}));
  EXPECT_EQ(preview->BevelInner(), bvNone);
  EXPECT_EQ(preview->BevelOuter(), bvRaised);
  // One cut of one pixel on the left and top edges, inside the client edge.
  form.Show();
  const Integer edge = GetSystemMetrics(SM_CXEDGE);
  EXPECT_EQ(preview->ClientRect(), Rect(0, 0, 300 - 2 * edge - 1, 200 - 2 * edge - 1));
  const String written = ComponentToText(&form);
  EXPECT_NE(written.find("BevelEdges = [beLeft, beTop]"), String::npos) << written;
  EXPECT_NE(written.find("BevelInner = bvNone"), String::npos) << written;
  EXPECT_NE(written.find("BevelKind = bkSoft"), String::npos) << written;
  EXPECT_NE(written.find("BevelOuter = bvRaised"), String::npos) << written;

  TForm back(nullptr);
  ReadComponentFromText(written, &back);
  auto* again = dynamic_cast<TfrxPreview*>(back.FindComponent("Preview1"));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->BevelEdges(), preview->BevelEdges());
  EXPECT_EQ(again->BevelKind(), bkSoft);
}

// With a bevel the pages shrink to the area inside it; the bevel is drawn
// between the client edge and the pages, and the outline's flat bevel
// around the outline.
TEST_F(PreviewFixture, ABevelIsDrawnBetweenTheBorderAndThePages) {
  auto* band = dynamic_cast<TfrxBand*>(Report->FindObject("Rows"));
  ASSERT_NE(band, nullptr);
  band->OutlineText = "Line";
  ASSERT_TRUE(Report->PrepareReport());
  Preview->SetOutlineVisible(true);
  TTreeView* tree = Preview->Outline();
  // The outline has no border of its own, only the flat bevel of two lines.
  RECT window, client;
  GetWindowRect(tree->Handle(), &window);
  GetClientRect(tree->Handle(), &client);
  MapWindowPoints(tree->Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  EXPECT_EQ(client.left - window.left, 2);
  EXPECT_EQ(client.top - window.top, 2);
  EXPECT_EQ(window.bottom - client.bottom, 2);

  const TRect before = Preview->ClientRect();
  Preview->SetBevelKind(bkTile);
  Application->ProcessMessages();
  EXPECT_EQ(Preview->ClientRect(), Rect(0, 0, before.Width() - 4, before.Height() - 4));
  // The pages and the outline are laid out in what is left.
  TfrxPreviewWorkspace* w = Preview->Workspace();
  EXPECT_EQ(w->Left() + w->Width(), before.Width() - 4);
  EXPECT_EQ(tree->Height(), before.Height() - 4);

  const Integer edge = GetSystemMetrics(SM_CXEDGE);
  auto pixel = [&](Integer x, Integer y) {
    RedrawWindow(Preview->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetWindowDC(Preview->Handle());
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(Preview->Handle(), dc);
    return c;
  };
  // Lowered outside, raised inside; the right and bottom sides the other way round.
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
  const Integer midY = Preview->Height() / 2, right = Preview->Width() - 1 - edge;
  EXPECT_EQ(pixel(edge, midY), shadow);
  EXPECT_EQ(pixel(edge + 1, midY), light);
  EXPECT_EQ(pixel(right, midY), light);
  EXPECT_EQ(pixel(right - 1, midY), shadow);
  // Inside, right below the bevel: the workspace's background above the pages.
  const Integer midX = edge + 2 + w->Left() + w->Width() / 2;
  EXPECT_EQ(pixel(midX, edge), shadow);
  EXPECT_EQ(pixel(midX, edge + 1), light);
  EXPECT_EQ(pixel(midX, edge + 2), COLORREF(ColorToRGB(Preview->BackColor())));
  SaveShot(Preview, "preview-bevel.png");

  Preview->SetBevelKind(bkNone);
  Application->ProcessMessages();
  EXPECT_EQ(Preview->ClientRect(), before);
}

}  // namespace
