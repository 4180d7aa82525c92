// What the grid shows on a real window: pressed title buttons, turned
// titles, the incremental-search highlight, the in-cell editor's image, the
// selection cursors and the style's reaction to colour changes.
#include <cstdio>
#include <memory>

#include "DBEhTestSupport.h"
#include "DBGridEh.h"
#include "Forms.h"
#include "ImgList.h"
#include "MemDataSet.h"
#include "SysUtils.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "Themes.h"
#include "gtest.h"

namespace {

class TPaintGrid : public TDBGridEh {
 public:
  using TDBGridEh::TDBGridEh;
  using TCustomDBGridEh::MouseDown;
  using TCustomDBGridEh::MouseUp;
  using TCustomDBGridEh::BufferedPaint;
  using TCustomDBGridEh::UseThemesForTitles;

 protected:
  // The search stays on however slow the machine is.
  void StartIncSearchTimer() override {}
};

// The client area as the screen shows it.
struct TShot {
  explicit TShot(TWinControl* c) : Bmp(c->ClientWidth(), c->ClientHeight(), pf24bit) {
    UpdateWindow(c->Handle());
    POINT p{0, 0};
    ClientToScreen(c->Handle(), &p);
    HDC screen = GetDC(nullptr);
    BitBlt(Bmp.Canvas()->Handle(), 0, 0, Bmp.Width(), Bmp.Height(), screen, p.x, p.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
  }
  COLORREF At(int x, int y) { return GetPixel(Bmp.Canvas()->Handle(), x, y); }
  // Bounding box of the pixels within R that Test picks (empty when none).
  template <class F>
  TRect Box(const TRect& R, F Test) {
    TRect b(R.Right, R.Bottom, R.Left, R.Top);
    bool any = false;
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x)
        if (Test(At(x, y))) {
          any = true;
          b.Left = std::min<int>(b.Left, x), b.Top = std::min<int>(b.Top, y);
          b.Right = std::max<int>(b.Right, x + 1), b.Bottom = std::max<int>(b.Bottom, y + 1);
        }
    return any ? b : TRect(0, 0, 0, 0);
  }
  TBitmap Bmp;
};

// Whether the top two pixel rows of a cell show a system colour along most
// of the cell: the lit or shadowed upper edge of a raised or sunken frame.
bool TopEdgeHas(TShot& Shot, const TRect& Cell, int SysColor) {
  for (int y = Cell.Top; y < Cell.Top + 2; ++y) {
    int n = 0;
    for (int x = Cell.Left + 2; x < Cell.Right - 2; ++x) n += Shot.At(x, y) == COLORREF(GetSysColor(SysColor));
    if (n > (Cell.Width() - 4) * 3 / 4) return true;
  }
  return false;
}

bool Dark(COLORREF c) { return GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90; }

class PaintFixture : public GridFormFixture<TPaintGrid> {
 protected:
  void SetUp() override { MakeGrid({{"ID", ftInteger}, {"Name", ftString, 20}}, 400, 260, true); }
  void AddRecords(std::initializer_list<const char*> names) {
    int i = 0;
    for (const char* n : names) Data->AppendRecord({Variant(++i), Variant(String(n))});
    Data->First();
    Grid->SetDataSource(Source.get());
    PumpMessages();
  }
  TColumnEh* Column(const char* field) { return Grid->ColumnByFieldName(field); }
  TRect Cell(TColumnEh* c, Integer row) { return Grid->CellClientRect(Grid->DataToRawColumn(c->Index()), row); }
};

// Restores the desktop's theme switch after a test forced it.
struct TThemeOverride {
  explicit TThemeOverride(bool On) { SetThemesEnabledOverride(On); }
  ~TThemeOverride() { SetThemesEnabledOverride(std::nullopt); }
};

// A pressed title button sinks and its text moves by one pixel (two for
// multi-line titles); the handler of the button's look hears it is down.
TEST_F(PaintFixture, PressedTitleSinksAndMovesItsText) {
  TThemeOverride classic(false);
  AddRecords({"甲", "乙"});
  Grid->SetOptionsEh(Grid->OptionsEh() + dghFixed3D);
  TColumnEh* name = Column("Name");
  name->SetWidth(80);
  name->Title()->SetCaption("名称");
  name->Title()->SetTitleButton(true);
  std::vector<bool> downs;
  Grid->OnGetBtnParams = [&](TObject*, TColumnEh*, TFont*, TColor&, TSortMarkerEh&, bool IsDown) {
    downs.push_back(IsDown);
  };
  struct Case {
    Integer TitleLines;
    Integer Shift;
  } cases[] = {{0, 1}, {2, 2}};
  for (const Case& k : cases) {
    Grid->SetTitleLines(k.TitleLines);
    PumpMessages();
    TRect cell = Cell(name, 0);
    TRect inner(cell.Left + 3, cell.Top + 3, cell.Right - 3, cell.Bottom - 3);
    TShot up(Grid);
    TRect before = up.Box(inner, Dark);
    ASSERT_LT(before.Left, before.Right) << "the caption is drawn";
    EXPECT_TRUE(TopEdgeHas(up, cell, COLOR_BTNHIGHLIGHT) && !TopEdgeHas(up, cell, COLOR_3DDKSHADOW)) << "raised";
    downs.clear();
    TPoint p((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
    Grid->MouseDown(mbLeft, {ssLeft}, p.X, p.Y);
    ASSERT_TRUE(Grid->TitlePressed());
    Grid->Invalidate();
    PumpMessages();
    TShot down(Grid);
    if (k.TitleLines == 0) WriteTestPng(&down.Bmp, "dbgrid_pressed_title");
    TRect after = down.Box(inner, Dark);
    EXPECT_EQ(after.Left - before.Left, k.Shift) << "title lines " << k.TitleLines;
    EXPECT_EQ(after.Top - before.Top, k.Shift) << "title lines " << k.TitleLines;
    EXPECT_TRUE(TopEdgeHas(down, cell, COLOR_3DDKSHADOW)) << "sunken";
    ASSERT_FALSE(downs.empty());
    EXPECT_TRUE(downs.back());
    Grid->MouseUp(mbLeft, {}, -5, -5);   // released outside: no click
    EXPECT_FALSE(Grid->TitlePressed());
  }
}

// A vertical title is drawn turned: its text runs up the cell.
TEST_F(PaintFixture, VerticalTitleIsDrawnTurned) {
  AddRecords({"甲"});
  TColumnEh* name = Column("Name");
  name->SetWidth(40);
  name->Title()->SetCaption("ABCDEFGH");
  name->Title()->SetOrientation(tohVertical);
  Grid->SetTitleHeight(80);
  Grid->Invalidate();
  PumpMessages();
  TRect cell = Cell(name, 0);
  TShot shot(Grid);
  WriteTestPng(&shot.Bmp, "dbgrid_vertical_title");
  TRect box = shot.Box(TRect(cell.Left + 2, cell.Top + 2, cell.Right - 2, cell.Bottom - 2), Dark);
  ASSERT_LT(box.Left, box.Right);
  EXPECT_GT(box.Height(), 2 * box.Width()) << "turned text is tall and narrow";
  // Bottom layout: the text ends near the foot of the cell.
  EXPECT_GT(box.Bottom, cell.Bottom - 10);
}

// While searching, the matched start of the current cell's text stands in
// black on yellow; the rest of the text and the other rows do not.
TEST_F(PaintFixture, IncrementalSearchHighlightsTheMatchedText) {
  AddRecords({"张三", "王五五五", "李四"});
  Grid->SetOptionsEh(Grid->OptionsEh() + dghIncSearch);
  TColumnEh* name = Column("Name");
  name->SetWidth(120);
  name->SetReadOnly(true);
  Grid->SetSelectedIndex(name->Index());
  Form->SetActiveControl(Grid);
  Grid->SetFocus();
  PumpMessages();
  auto yellow = [](COLORREF c) { return c == COLORREF(RGB(255, 255, 0)); };
  Grid->Perform(WM_CHAR, WPARAM(U'王'), 0);
  ASSERT_TRUE(Grid->IncSearching());
  ASSERT_EQ(Data->RecNo(), 2);
  Grid->Invalidate();
  PumpMessages();
  TShot one(Grid);
  WriteTestPng(&one.Bmp, "dbgrid_incsearch");
  TRect cell = Cell(name, Grid->Row());
  TRect lit = one.Box(cell, yellow);
  ASSERT_LT(lit.Left, lit.Right) << "the match is highlighted";
  EXPECT_TRUE(one.Box(lit, Dark).Width() > 0) << "in black text";
  Integer oneChar = lit.Width();
  EXPECT_LT(oneChar, cell.Width() / 3) << "only the matched character";
  EXPECT_EQ(one.Box(Cell(name, 1), yellow).Width(), 0) << "another row";
  Grid->Perform(WM_CHAR, WPARAM(U'五'), 0);
  Grid->Invalidate();
  PumpMessages();
  TShot two(Grid);
  EXPECT_GT(two.Box(cell, yellow).Width(), oneChar + 5) << "two characters now";
  Grid->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(Grid->IncSearching());
  PumpMessages();
  Grid->Invalidate();
  PumpMessages();
  EXPECT_EQ(TShot(Grid).Box(cell, yellow).Width(), 0) << "gone with the search";
}

// The in-cell editor shows the image of its value beside the text, which
// starts after the image.
TEST_F(PaintFixture, EditorShowsTheImageOfItsValue) {
  AddRecords({"甲", "乙", "丙"});
  auto images = std::make_unique<TImageList>(nullptr);
  images->SetSize(16, 16);
  for (COLORREF colour : {RGB(0, 0, 255), RGB(255, 0, 0), RGB(0, 255, 0)}) {
    TBitmap b;
    b.SetWidth(16);
    b.SetHeight(16);
    b.Canvas()->Brush()->SetColor(TColor(colour));
    b.Canvas()->FillRect(TRect(0, 0, 16, 16));
    images->Add(&b, nullptr);
  }
  TColumnEh* id = Column("ID");
  id->SetWidth(80);
  id->SetImageList(images.get());
  id->SetShowImageAndText(true);
  id->SetNotInKeyListIndex(0);
  Data->Last();
  Data->Edit();
  Data->FieldByName("ID")->Clear();
  Data->Post();
  Data->First();
  Grid->SetOptions(Grid->Options() + dgEditing);
  Grid->SetSelectedIndex(id->Index());
  Form->SetActiveControl(Grid);
  Grid->SetFocus();
  Grid->ShowEditor();
  PumpMessages();
  auto* ed = static_cast<TDBGridInplaceEdit*>(Grid->InplaceEditor());
  ASSERT_TRUE(ed && IsWindowVisible(ed->Handle()));
  EXPECT_EQ(ed->ImageIndex(), 1) << "ID 1 is image 1";
  EXPECT_EQ(ed->GetEditRect().Left, 2 + 16 + 5);
  ed->Invalidate();
  PumpMessages();
  Integer mid = ed->ClientHeight() / 2;
  EXPECT_EQ(ClientPixel(ed, 2 + 8, mid), COLORREF(RGB(255, 0, 0)));
  WriteWindowPng(Grid, "dbgrid_editor_image");
  // Another record: no value, so NotInKeyListIndex's image.
  Grid->HideEditor();
  Data->Last();
  Grid->ShowEditor();
  PumpMessages();
  EXPECT_EQ(ed->ImageIndex(), 0);
  ed->Invalidate();
  PumpMessages();
  EXPECT_EQ(ClientPixel(ed, 2 + 8, mid), COLORREF(RGB(0, 0, 255)));
  Grid->HideEditor();
  id->SetImageList(nullptr);
}

// Over the indicator a press selects records and over the foot of a title
// it selects the column: the cursor says so, and only there.
TEST_F(PaintFixture, SelectionCursorsOverIndicatorAndTitleFoot) {
  AddRecords({"甲", "乙"});
  Grid->SetOptions(Grid->Options() + dgMultiSelect);
  HWND h = Grid->Handle();
  auto cursorAt = [&](Integer x, Integer y) {
    POINT p{x, y};
    ClientToScreen(h, &p);
    SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
    SetCursor(nullptr);
    SendMessageW(h, WM_SETCURSOR, WPARAM(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  TRect ind = Grid->CellClientRect(0, 1);
  TRect title = Cell(Column("Name"), 0);
  Integer midX = (title.Left + title.Right) / 2;
  ASSERT_NE(RowSelectCursorEh(false), nullptr);
  EXPECT_NE(RowSelectCursorEh(false), ColumnSelectCursorEh());
  EXPECT_EQ(cursorAt(ind.Left + 3, (ind.Top + ind.Bottom) / 2), RowSelectCursorEh(false));
  EXPECT_EQ(cursorAt(midX, title.Bottom - 3), ColumnSelectCursorEh());
  EXPECT_NE(cursorAt(midX, title.Bottom - 9), ColumnSelectCursorEh()) << "above the lowest 7 pixels";
  EXPECT_NE(cursorAt(midX, (ind.Top + ind.Bottom) / 2), RowSelectCursorEh(false)) << "a data cell";
  // Without record selection allowed, or on an empty dataset, no row cursor.
  Grid->SetAllowedSelections(Grid->AllowedSelections() - gstRecordBookmarks);
  EXPECT_NE(cursorAt(ind.Left + 3, (ind.Top + ind.Bottom) / 2), RowSelectCursorEh(false));
  Grid->SetAllowedSelections(Grid->AllowedSelections() + gstRecordBookmarks);
  Data->EmptyDataSet();
  EXPECT_NE(cursorAt(ind.Left + 3, (ind.Top + ind.Bottom) / 2), RowSelectCursorEh(false));
  // Without multi-select neither cursor.
  Grid->SetOptions(Grid->Options() - dgMultiSelect);
  EXPECT_NE(cursorAt(midX, title.Bottom - 3), ColumnSelectCursorEh());
}

// Under the desktop theme the titles, indicator and footer take the
// theme's face instead of raised edges, and the grid paints through an
// off-screen bitmap.
TEST_F(PaintFixture, ThemedTitlesAndBufferedPainting) {
  AddRecords({"甲", "乙", "丙"});
  Grid->SetFooterRowCount(1);
  Grid->SetOptionsEh(Grid->OptionsEh() + dghFixed3D + dghFooter3D);
  Grid->SetOptions(Grid->Options() + dgColLines + dgRowLines);
  Grid->SetFlat(false);
  Column("Name")->Title()->SetCaption("名称");
  std::unique_ptr<TThemeOverride> themes = std::make_unique<TThemeOverride>(false);
  Grid->Invalidate();
  PumpMessages();
  TRect title = Cell(Column("Name"), 0);
  TShot plain(Grid);
  EXPECT_TRUE(TopEdgeHas(plain, title, COLOR_BTNHIGHLIGHT)) << "raised edge";
  themes = std::make_unique<TThemeOverride>(true);
  Grid->Invalidate();
  PumpMessages();
  EXPECT_TRUE(Grid->BufferedPaint());
  TShot themed(Grid);
  WriteTestPng(&themed.Bmp, "dbgrid_themed");
  TRect inner(title.Left + 3, title.Top + 3, title.Right - 3, title.Bottom - 3);
  EXPECT_GT(themed.Box(inner, Dark).Width(), 0) << "the caption is still written";
  if (!ThemeServices()->Theme(teToolBar)) GTEST_SKIP() << "Wine has no theme in this prefix";
  int differ = 0;
  for (int y = title.Top; y < title.Bottom; ++y)
    for (int x = title.Left; x < title.Right; ++x)
      if (themed.At(x, y) != plain.At(x, y) && !Dark(themed.At(x, y))) ++differ;
  EXPECT_GT(differ, title.Width()) << "the title wears the theme's face";
  // A flat grid is never themed.
  Grid->SetFlat(true);
  EXPECT_FALSE(Grid->UseThemesForTitles());
}

// Raised data cells under themed fixed cells: the themed face instead of
// the raised frame round the cell, and the record's text on the column's
// colour inside.
TEST_F(PaintFixture, ThemedRaisedDataCellsKeepTheirTextAndColour) {
  AddRecords({"甲乙丙"});
  Grid->SetOptionsEh(Grid->OptionsEh() + dghFixed3D + dghData3D);
  Grid->SetOptions(Grid->Options() + dgColLines + dgRowLines);
  Grid->SetFlat(false);
  TColumnEh* name = Column("Name");
  name->SetColor(clYellow);
  auto themes = std::make_unique<TThemeOverride>(false);
  Grid->Invalidate();
  PumpMessages();
  TRect cell = Cell(name, Grid->TitleOffset());
  TShot plain(Grid);
  EXPECT_TRUE(TopEdgeHas(plain, cell, COLOR_BTNHIGHLIGHT)) << "raised";
  themes = std::make_unique<TThemeOverride>(true);
  Grid->Invalidate();
  PumpMessages();
  ASSERT_TRUE(Grid->UseThemesForTitles());
  TShot shot(Grid);
  WriteTestPng(&shot.Bmp, "dbgrid_themed_data3d");
  EXPECT_EQ(shot.At(cell.Right - 4, (cell.Top + cell.Bottom) / 2), COLORREF(RGB(255, 255, 0)));
  TRect inner(cell.Left + 2, cell.Top + 2, cell.Right - 2, cell.Bottom - 2);
  EXPECT_GT(shot.Box(inner, Dark).Width(), 0) << "the text is written";
  // The cell's lower edge: the theme's face where a theme is at hand,
  // otherwise the cell's colour; never the raised frame's shadow.
  const bool themed = ThemeServices()->Theme(teToolBar) != nullptr;
  int differ = 0, n = 0;
  for (int x = cell.Left + 2; x < cell.Right - 2; ++x, ++n) {
    COLORREF p = shot.At(x, cell.Bottom - 1);
    differ += themed ? p != plain.At(x, cell.Bottom - 1) : p == COLORREF(RGB(255, 255, 0));
  }
  EXPECT_GT(differ, n * 3 / 4) << "themed " << themed;
}

// While painting is locked the grid's window keeps what it showed, also
// when it paints through an off-screen bitmap.
TEST_F(PaintFixture, LockedPaintingLeavesTheBufferedGridAsItWas) {
  AddRecords({"甲", "乙"});
  Grid->SetOptionsEh(Grid->OptionsEh() + dghFixed3D);
  Grid->SetOptions(Grid->Options() + dgColLines + dgRowLines);
  Grid->SetFlat(false);
  TThemeOverride themes(true);
  Grid->Invalidate();
  PumpMessages();
  ASSERT_TRUE(Grid->BufferedPaint());
  // Read through the window's own context: what the last paint left there.
  auto pixels = [&] {
    UpdateWindow(Grid->Handle());
    HDC dc = GetDC(Grid->Handle());
    std::vector<COLORREF> p;
    for (int y = 0; y < Grid->ClientHeight(); y += 3)
      for (int x = 0; x < Grid->ClientWidth(); x += 3) p.push_back(GetPixel(dc, x, y));
    ReleaseDC(Grid->Handle(), dc);
    return p;
  };
  std::vector<COLORREF> before = pixels();
  Grid->LockPaint();
  InvalidateRect(Grid->Handle(), nullptr, FALSE);
  std::vector<COLORREF> during = pixels();
  Grid->UnlockPaint();
  size_t differ = 0;
  for (size_t i = 0; i < before.size(); ++i) differ += before[i] != during[i];
  EXPECT_EQ(differ, 0u);
  Grid->Invalidate();
  PumpMessages();
}

// The grid unit's cursors live from its start-up, which the application's
// Initialize runs, to its finalisation.
TEST(DBGridEhUnit, CursorsAreMadeAtStartUpAndDestroyedAtTheEnd) {
  DBGridEhFinalization();
  EXPECT_FALSE(DBGridEhStarted());
  EXPECT_EQ(ColumnSelectCursorEh(), nullptr);
  EXPECT_EQ(RowSelectCursorEh(false), nullptr);
  Application->Initialize();
  ASSERT_TRUE(DBGridEhStarted());
  HCURSOR down = ColumnSelectCursorEh(), right = RowSelectCursorEh(false), left = RowSelectCursorEh(true);
  ASSERT_TRUE(down && right && left);
  EXPECT_TRUE(down != right && right != left && down != left);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(down, &info));
  EXPECT_FALSE(info.fIcon) << "a cursor";
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DBGridEhStartup();   // started already: the same cursors
  EXPECT_EQ(ColumnSelectCursorEh(), down);
  DBGridEhFinalization();
  EXPECT_EQ(RowSelectCursorEh(true), nullptr);
  // A grid made without the start-up starts the unit itself.
  TDBGridEh grid(nullptr);
  EXPECT_TRUE(DBGridEhStarted());
  EXPECT_NE(ColumnSelectCursorEh(), nullptr);
}

// The style hears the desktop's colour changes on its own window.
TEST(DBGridEhStyleWindow, ColourChangeReadsTheColourDepthAgain) {
  TDBGridEhStyle style;
  ASSERT_TRUE(IsWindow(style.UtilityWindow()));
  HDC dc = GetDC(nullptr);
  Integer depth = GetDeviceCaps(dc, NUMCOLORS);
  ReleaseDC(nullptr, dc);
  style.SetScreenColors(depth == 256 ? 16 : 256);
  SendMessageW(style.UtilityWindow(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(style.ScreenColors(), depth);
}

}   // namespace
