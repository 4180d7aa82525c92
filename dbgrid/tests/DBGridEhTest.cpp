// The data grid over the in-memory dataset and over a real query of a
// SQLite file: columns from fields, options, layout locks, row mapping,
// heights and the painted cells.
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ADODB.h"
#include "DBEhTestSupport.h"
#include "DBGridEh.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

// Counts the layouts that rebuild the field map and the scroll distances.
class TCountingGrid : public TDBGridEh {
 public:
  using TDBGridEh::TDBGridEh;
  int FieldMapBuilds = 0;
  std::vector<Integer> Scrolls;
  void RebuildFieldMap() override {
    ++FieldMapBuilds;
    TDBGridEh::RebuildFieldMap();
  }
  void ScrollData(Integer Distance) override {
    Scrolls.push_back(Distance);
    TDBGridEh::ScrollData(Distance);
  }
  // Runs once inside the next layout that the dataset asks for.
  std::function<void()> DuringDataLinkLayout;
  void LayoutChanged() override {
    if (DuringDataLinkLayout && DataLinkLayoutChanging()) {
      auto run = std::move(DuringDataLinkLayout);
      DuringDataLinkLayout = nullptr;
      run();
    }
    TDBGridEh::LayoutChanged();
  }
  using TCustomGridEh::Paint;
};

class MemGridFixture : public GridFormFixture<TCountingGrid> {
 protected:
  void SetUp() override { MakeGrid({{"ID", ftInteger}, {"Name", ftString, 20}}, 400, 260); }
  void AddRecords(int n) {
    for (int i = 1; i <= n; ++i) Data->AppendRecord({Variant(i), Variant(String("名称") + IntToStr(i))});
    Data->First();
  }
};

// A column's default width is its field's display width in "0" glyphs of
// the column font; a default column sized by hand keeps its width in its
// field as glyphs too, and a width equal to the default is not its own.
TEST_F(MemGridFixture, DefaultWidthsComeFromAndGoToTheFieldsDisplayWidth) {
  AddRecords(2);
  Grid->SetDataSource(Source.get());
  TField* field = Data->FieldByName("Name");
  auto name = [&] { return Grid->Columns()->Item(1); };
  TCanvas* c = Grid->Canvas();
  AssignFontEh(c->Font(), name()->Font());
  const Integer zero = c->TextWidth("0");
  TEXTMETRICW tm{};
  GetTextMetricsW(c->Handle(), &tm);
  const Integer overhang = tm.tmOverhang, ave = tm.tmAveCharWidth;
  ASSERT_GT(zero, 0);
  auto widthOf = [&](Integer glyphs) { return (zero - overhang) * glyphs + overhang + 4; };
  auto glyphsOf = [&](Integer width) { return std::max<Integer>(1, (width + ave / 2 - overhang - 3) / zero); };
  for (Integer glyphs : {1, 10, 25}) {
    field->SetDisplayWidth(glyphs);
    EXPECT_EQ(name()->Width(), widthOf(glyphs)) << glyphs;
    EXPECT_EQ(Grid->ColWidths(2), widthOf(glyphs)) << glyphs;
  }
  // Each case on a fresh default column (reopening makes them again).
  for (Integer width : {3, 50, widthOf(10), 131}) {
    Data->Close();
    Data->Open();
    ASSERT_FALSE(name()->Stored());
    name()->SetWidth(width);
    EXPECT_EQ(field->DisplayWidth(), glyphsOf(width)) << width;
    EXPECT_EQ(name()->Width(), width) << width;
    EXPECT_EQ(Grid->ColWidths(2), width) << width;
    EXPECT_EQ((name()->AssignedValues() & cvWidth) != 0, width != widthOf(glyphsOf(width))) << width;
  }
  // A persistent column keeps its width to itself; the default width asked
  // for is not an assigned one there either.
  Grid->Columns()->RebuildColumns();
  TColumnEh* own = Grid->Columns()->Item(1);
  ASSERT_TRUE(own->Stored());
  const Integer glyphs = field->DisplayWidth();
  own->SetWidth(own->Width());
  EXPECT_EQ(own->AssignedValues() & cvWidth, 0u);
  own->SetWidth(own->Width() + 3 * zero);
  EXPECT_NE(own->AssignedValues() & cvWidth, 0u);
  EXPECT_EQ(field->DisplayWidth(), glyphs);
}

// Sized inside the layout its dataset asked for, a default column's width
// goes to its field alone.
TEST_F(MemGridFixture, DefaultColumnSizedDuringTheDatasetsLayoutChangesOnlyItsField) {
  AddRecords(2);
  Grid->SetDataSource(Source.get());
  TField* field = Data->FieldByName("Name");
  field->SetDisplayWidth(10);
  TColumnEh* name = Grid->Columns()->Item(1);
  const Integer before = name->Width();
  Grid->DuringDataLinkLayout = [&] { name->SetWidth(before * 2); };
  field->SetDisplayLabel("名称");
  EXPECT_FALSE(bool(Grid->DuringDataLinkLayout)) << "the layout ran";
  EXPECT_GT(field->DisplayWidth(), 15);
  EXPECT_EQ(name->AssignedValues() & cvWidth, 0u);
  EXPECT_EQ(name->Width(), name->DefaultWidth());
}

TEST_F(MemGridFixture, WithoutDataOneUnboundColumnAndOneEmptyRow) {
  EXPECT_EQ(Grid->Columns()->Count(), 1);
  EXPECT_EQ(Grid->Columns()->Item(0)->Field(), nullptr);
  EXPECT_FALSE(Grid->Columns()->IsCustomized());
  EXPECT_EQ(Grid->RowCount(), 2);   // title + one data row
  EXPECT_EQ(Grid->ColCount(), 2);   // indicator + column
}

TEST_F(MemGridFixture, EmptyDatasetShowsOneRow) {
  Grid->SetDataSource(Source.get());
  EXPECT_EQ(Grid->Columns()->Count(), 2);
  EXPECT_EQ(Grid->RowCount(), 2);
  SCROLLINFO si{sizeof(si), SIF_ALL};
  GetScrollInfo(Grid->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nPos, si.nMin);
}

TEST_F(MemGridFixture, DefaultColumnsFollowTheFields) {
  AddRecords(3);
  Grid->SetDataSource(Source.get());
  ASSERT_EQ(Grid->Columns()->Count(), 2);
  EXPECT_EQ(Grid->Columns()->Item(0)->FieldName(), "ID");
  EXPECT_EQ(Grid->Columns()->Item(1)->Title()->Caption(), "Name");
  EXPECT_EQ(Grid->Columns()->Item(1)->Field(), Data->FieldByName("Name"));
  // Hiding a field rebuilds the default columns without it; closing clears
  // them and reopening brings them back in field order.
  Data->FieldByName("ID")->SetVisible(false);
  ASSERT_EQ(Grid->Columns()->Count(), 1);
  EXPECT_EQ(Grid->Columns()->Item(0)->FieldName(), "Name");
  Data->FieldByName("ID")->SetVisible(true);
  Data->Close();
  EXPECT_EQ(Grid->Columns()->Count(), 1);
  EXPECT_EQ(Grid->Columns()->Item(0)->Field(), nullptr);
  Data->Open();
  ASSERT_EQ(Grid->Columns()->Count(), 2);
  EXPECT_EQ(Grid->Columns()->Item(0)->FieldName(), "ID");
  EXPECT_EQ(Grid->Columns()->Item(1)->FieldName(), "Name");
}

// Moving a default column moves its field in the dataset and the columns
// follow the fields; with the link inactive, or for a stored column, only
// the column moves.
class ThreeFieldGridFixture : public GridFormFixture<TDBGridEh> {
 protected:
  void SetUp() override { MakeGrid({{"ID", ftInteger}, {"Name", ftString, 20}, {"Qty", ftInteger}}, 400, 260); }
};

TEST_F(ThreeFieldGridFixture, MovingADefaultColumnMovesItsField) {
  Grid->SetDataSource(Source.get());
  TField* id = Data->FieldByName("ID");
  TField* name = Data->FieldByName("Name");
  TField* qty = Data->FieldByName("Qty");
  auto order = [&] {
    String s;
    for (Integer i = 0; i < Grid->Columns()->Count(); ++i) s += (i ? "," : "") + Grid->Columns()->Item(i)->FieldName();
    return s;
  };
  ASSERT_EQ(order(), "ID,Name,Qty");
  TColumnEh* qtyCol = Grid->Columns()->Item(2);
  qtyCol->SetIndex(0);
  EXPECT_EQ(qty->Index(), 0);
  EXPECT_EQ(id->Index(), 1);
  EXPECT_EQ(order(), "Qty,ID,Name");
  EXPECT_EQ(Grid->Columns()->Item(0), qtyCol);
  EXPECT_FALSE(qtyCol->Stored());
  // A hidden field in between: the field takes the index of the one shown at
  // the target position.
  id->SetVisible(false);
  ASSERT_EQ(order(), "Qty,Name");
  Grid->Columns()->Item(0)->SetIndex(1);
  EXPECT_EQ(name->Index(), 1);
  EXPECT_EQ(qty->Index(), 2);
  EXPECT_EQ(order(), "Name,Qty");
  id->SetVisible(true);
  ASSERT_EQ(order(), "ID,Name,Qty");

  // The link inactive while the layout is held: the fields stay.
  Grid->BeginLayout();
  Source->SetEnabled(false);
  ASSERT_FALSE(Grid->DataLink()->Active());
  ASSERT_EQ(order(), "ID,Name,Qty");
  Grid->Columns()->Item(2)->SetIndex(0);
  EXPECT_EQ(order(), "Qty,ID,Name");
  EXPECT_EQ(qty->Index(), 2);
  Source->SetEnabled(true);
  Grid->EndLayout();
  EXPECT_EQ(order(), "ID,Name,Qty");

  // A stored column moves alone.
  Grid->Columns()->RebuildColumns();
  ASSERT_TRUE(Grid->Columns()->IsCustomized());
  ASSERT_EQ(order(), "ID,Name,Qty");
  Grid->Columns()->Item(2)->SetIndex(0);
  EXPECT_EQ(order(), "Qty,ID,Name");
  EXPECT_EQ(id->Index(), 0);
  EXPECT_EQ(qty->Index(), 2);
}

// A default column over an active link keeps nothing of its own: caption,
// alignment and read-only flag go to its field. Without an active link the
// field is left alone.
TEST_F(ThreeFieldGridFixture, DefaultColumnHandsItsTitleAlignmentAndReadOnlyToItsField) {
  Grid->SetDataSource(Source.get());
  TField* name = Data->FieldByName("Name");
  TColumnEh* col = Grid->Columns()->Item(1);
  ASSERT_FALSE(col->Stored());
  col->Title()->SetCaption("品名");
  col->SetAlignment(taRightJustify);
  col->SetReadOnly(true);
  EXPECT_EQ(name->DisplayLabel(), "品名");
  EXPECT_EQ(name->Alignment(), taRightJustify);
  EXPECT_TRUE(name->ReadOnly());
  EXPECT_EQ(col->Title()->Caption(), "品名");
  EXPECT_EQ(col->AssignedValues() & cvAlignment, 0);
  EXPECT_EQ(col->AssignedValues() & cvReadOnly, 0);

  Grid->BeginLayout();
  Source->SetEnabled(false);
  ASSERT_FALSE(Grid->DataLink()->Active());
  col = Grid->Columns()->Item(1);
  col->Title()->SetCaption("名称");
  col->SetAlignment(taCenter);
  col->SetReadOnly(false);
  EXPECT_EQ(name->DisplayLabel(), "品名");
  EXPECT_EQ(name->Alignment(), taRightJustify);
  EXPECT_TRUE(name->ReadOnly());
  Source->SetEnabled(true);
  Grid->EndLayout();
}

TEST_F(MemGridFixture, PersistentColumnsBindByNameAndDropStaleDefaults) {
  AddRecords(2);
  Grid->SetDataSource(Source.get());
  EXPECT_FALSE(Grid->Columns()->IsCustomized());
  Grid->BeginLayout();
  Grid->Columns()->Clear();
  TColumnEh* c = Grid->Columns()->Add();
  c->SetFieldName("Name");
  TColumnEh* missing = Grid->Columns()->Add();
  missing->SetFieldName("Nothing");
  Grid->EndLayout();
  EXPECT_TRUE(Grid->Columns()->IsCustomized());
  ASSERT_EQ(Grid->Columns()->Count(), 2);
  EXPECT_EQ(c->Field(), Data->FieldByName("Name"));
  EXPECT_EQ(missing->Field(), nullptr);
  EXPECT_EQ(missing->Title()->Caption(), "Nothing");
  EXPECT_TRUE(Grid->DataLink()->SparseMap());
  EXPECT_EQ(Grid->DataLink()->Fields(1), nullptr);
  EXPECT_FALSE(Grid->DataLink()->DefaultFields());
  EXPECT_EQ(Grid->ColumnByFieldName("name"), c);
  EXPECT_THROW(Grid->ColumnByFieldName("x"), EInvalidGridOperationEh);
}

TEST_F(MemGridFixture, RowSelectDropsEditing) {
  TDBGridOptions o = Grid->Options();
  o += dgRowSelect;
  o += dgAlwaysShowEditor;
  Grid->SetOptions(o);
  EXPECT_TRUE(Grid->Options().Contains(dgRowSelect));
  EXPECT_FALSE(Grid->Options().Contains(dgEditing));
  EXPECT_FALSE(Grid->Options().Contains(dgAlwaysShowEditor));
  EXPECT_TRUE(Grid->GridOptions().Contains(geoRowSelect));
  EXPECT_FALSE(Grid->GridOptions().Contains(geoEditing));
  // Without the indicator the data columns start at grid column 0.
  Grid->SetOptions(Grid->Options() - dgIndicator);
  EXPECT_EQ(Grid->IndicatorOffset(), 0);
  EXPECT_EQ(Grid->ColCount(), 1);
}

TEST_F(MemGridFixture, OneRelayoutPerLock) {
  AddRecords(2);
  Grid->SetDataSource(Source.get());
  Grid->FieldMapBuilds = 0;
  Grid->BeginLayout();
  Grid->SetRowHeight(30);
  Grid->SetTitleLines(2);
  Grid->SetOptionsEh(Grid->OptionsEh() + dghData3D);
  Grid->LayoutChanged();
  EXPECT_EQ(Grid->FieldMapBuilds, 0);
  Grid->BeginLayout();
  Grid->EndLayout();
  EXPECT_EQ(Grid->FieldMapBuilds, 0);   // the inner end does not relayout
  Grid->EndLayout();
  EXPECT_EQ(Grid->FieldMapBuilds, 1);
  EXPECT_EQ(Grid->LayoutLock(), 0);
  EXPECT_EQ(Grid->UpdateLock(), 0);
  EXPECT_EQ(Grid->DefaultRowHeight(), 30);
  // A deferred layout runs once when its message arrives.
  Grid->BeginLayout();
  Grid->DeferLayout();
  EXPECT_EQ(Grid->LayoutLock(), 0);
  EXPECT_EQ(Grid->FieldMapBuilds, 1);
  PumpMessages();
  EXPECT_EQ(Grid->FieldMapBuilds, 2);
  // A waiting quit request neither stops a deferral nor is lost by a layout.
  PostQuitMessage(7);
  Grid->BeginLayout();
  Grid->DeferLayout();
  Grid->LayoutChanged();
  EXPECT_EQ(Grid->FieldMapBuilds, 3);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 7u);
}

TEST_F(MemGridFixture, RowHeightFromTheFont) {
  // A font 13 pixels high, not flat, row lines 1 pixel: 13 + 3 + 1.
  Grid->Font()->SetName("Tahoma");
  Grid->Font()->SetHeight(-11);
  Grid->LayoutChanged();
  Grid->Canvas()->Font()->Assign(Grid->Font());
  Integer t = Grid->Canvas()->TextHeight("Wg");
  EXPECT_EQ(Grid->DefaultRowHeight(), t + 4);
  if (t == 13) EXPECT_EQ(Grid->DefaultRowHeight(), 17);
  // Fitting to text lines rounds to whole lines of text.
  Grid->SetOptionsEh(Grid->OptionsEh() + dghFitRowHeightToText);
  auto fit = [&](Integer rowHeight) {
    Grid->BeginLayout();
    Grid->SetRowHeight(rowHeight);
    Grid->SetRowLines(0);
    Grid->EndLayout();
    return Grid->DefaultRowHeight();
  };
  // Half a line or less is dropped, more is rounded up to a whole line.
  EXPECT_EQ(fit(2 * t + 4 + t / 2), 2 * t + 4);
  EXPECT_EQ(fit(2 * t + 4 + t / 2 + 1), 3 * t + 4);
  EXPECT_EQ(Grid->RowLines(), 3);
  EXPECT_EQ(Grid->RowHeight(), 4);
}

TEST_F(MemGridFixture, OneRecordMoveScrollsOneRow) {
  AddRecords(40);
  Grid->SetDataSource(Source.get());
  Integer buffer = Grid->DataLink()->BufferCount();
  ASSERT_GT(buffer, 3);
  EXPECT_EQ(Grid->RowCount(), 1 + buffer);
  EXPECT_EQ(Grid->Row(), 1);
  Data->Next();
  EXPECT_EQ(Grid->Row(), 2);
  // Walk to the last visible row, then one more: the buffer scrolls by one.
  while (Grid->Row() < Grid->RowCount() - 1) Data->Next();
  Grid->Scrolls.clear();
  Data->Next();
  ASSERT_EQ(Grid->Scrolls.size(), 1u);
  EXPECT_EQ(Grid->Scrolls[0], 1);
  EXPECT_EQ(Grid->Row(), Grid->RowCount() - 1);
  EXPECT_EQ(Grid->DataLink()->ActiveRecord(), buffer - 1);
}

TEST_F(MemGridFixture, CellsPaintRowColoursAndHighlight) {
  AddRecords(4);
  Grid->SetDataSource(Source.get());
  Grid->SetEvenRowColor(TColor(RGB(200, 255, 200)));
  EXPECT_EQ(Grid->OddRowColor(), Grid->Color());
  Grid->SetOptions(Grid->Options() + dgRowSelect + dgAlwaysShowSelection);
  Data->Next();   // the second record is current
  Grid->Invalidate();
  PumpMessages();
  WriteWindowPng(Grid, "dbgrid_rowcolours");
  auto rowPixel = [&](Integer gridRow) {
    TRect r = Grid->CellClientRect(2, gridRow);
    return ClientPixel(Grid, r.Right - 3, r.Bottom - 3);
  };
  EXPECT_EQ(rowPixel(1), COLORREF(GetSysColor(COLOR_WINDOW)));   // odd record: Color
  EXPECT_EQ(rowPixel(3), COLORREF(GetSysColor(COLOR_WINDOW)));   // third record: odd
  EXPECT_EQ(rowPixel(4), COLORREF(RGB(200, 255, 200)));          // fourth: even
  COLORREF current = rowPixel(2);
  EXPECT_TRUE(current == GetSysColor(COLOR_HIGHLIGHT) || current == GetSysColor(COLOR_BTNSHADOW))
      << std::hex << current;
}

// Trailing columns stay glued to the right edge while the others scroll;
// the current cell never enters them.
TEST_F(MemGridFixture, ContraColumnsStayAtTheRightEdge) {
  AddRecords(3);
  Grid->SetDataSource(Source.get());
  Grid->BeginLayout();
  Grid->Columns()->Clear();
  for (const char* name : {"ID", "Name", "ID", "Name", "Name"}) {
    TColumnEh* c = Grid->Columns()->Add();
    c->SetFieldName(name);
    c->SetWidth(110);
  }
  Grid->Columns()->Item(4)->Title()->SetCaption("合计");
  Grid->SetContraColCount(1);
  Grid->EndLayout();
  ASSERT_EQ(Grid->ColCount(), 5);   // indicator + four scrolling columns
  ASSERT_EQ(Grid->TCustomGridEh::ContraColCount(), 1);
  EXPECT_EQ(Grid->ColWidths(5), 110);

  TRect before = Grid->CellClientRect(5, 1);
  Grid->SetLeftCol(3);
  TRect contra = Grid->CellClientRect(5, 1);
  EXPECT_EQ(contra, before);
  EXPECT_GE(contra.Left, Grid->Layout().Horz.ContraStart);
  EXPECT_EQ(Grid->CellAtPoint(contra.Left + 5, contra.Top + 2).X, 5);
  Grid->Invalidate();
  PumpMessages();
  WriteWindowPng(Grid, "dbgrid_contra_column");

  // End moves to the last scrolling column; a width change reaches the
  // trailing column too.
  SendMessageW(Grid->Handle(), WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(Grid->Col(), 4);
  Grid->Columns()->Item(4)->SetWidth(90);
  EXPECT_EQ(Grid->ColWidths(5), 90);

  // More trailing columns than there are to give: the count is limited to
  // the columns less the frozen ones and the indicator.
  Grid->SetFrozenCols(1);
  Grid->SetContraColCount(10);
  EXPECT_EQ(Grid->TCustomGridEh::ContraColCount(), 5 - 1 - 1);
  EXPECT_EQ(Grid->FullColCount(), 6);
  Grid->SetContraColCount(0);
  EXPECT_EQ(Grid->TCustomGridEh::ContraColCount(), 0);
  EXPECT_EQ(Grid->ColCount(), 6);
  EXPECT_EQ(Grid->ColWidths(5), 90);
}

// Fitting a column to its contents measures a title as it is drawn: on one
// line, wrapped in the cell when titles have several lines, or turned.
TEST_F(MemGridFixture, FittingToContentsMeasuresTitlesAsDrawn) {
  AddRecords(3);
  Grid->SetDataSource(Source.get());
  TColumnEh* col = Grid->Columns()->Item(0);
  col->Title()->SetCaption("客户名称与地址");
  col->SetWidth(60);
  TCanvas* c = Grid->Canvas();
  c->Font()->Assign(col->Title()->Font());
  const Integer single = c->TextWidth("客户名称与地址");
  const Integer lineHeight = c->TextHeight("客户");
  ASSERT_GT(single, 60);

  Grid->OptimizeColumnWidth(col);
  EXPECT_EQ(col->Width(), single + 4);

  col->SetWidth(60);
  Grid->SetTitleLines(2);
  Grid->OptimizeColumnWidth(col);
  EXPECT_LE(col->Width(), 60) << "the caption wraps inside the cell";
  EXPECT_GT(col->Width(), 4 + single / 3);

  Grid->SetTitleLines(0);
  col->Title()->SetOrientation(tohVertical);
  Grid->OptimizeColumnWidth(col);
  EXPECT_EQ(col->Width(), 4 + lineHeight);
}

TEST(DBGridEhText, EllipsisCutsWholeCharacters) {
  TBitmap bmp;
  bmp.SetWidth(10);
  bmp.SetHeight(10);
  TCanvas* c = bmp.Canvas();
  c->Font()->SetName("宋体");
  c->Font()->SetHeight(-12);
  const String text = "订单管理软件";
  Integer full = c->TextWidth(text);
  // Every width gives a prefix of whole characters followed by "...".
  for (Integer w = 0; w < full; w += 3) {
    String s = TCustomDBGridEh::EllipsisText(c, text, w);
    ASSERT_GE(s.size(), 3u);
    EXPECT_EQ(s.substr(s.size() - 3), "...");
    String prefix = s.substr(0, s.size() - 3);
    EXPECT_TRUE(Utf8IsValid(prefix)) << w;
    EXPECT_EQ(text.compare(0, prefix.size(), prefix), 0);
    EXPECT_LE(Utf8Length(prefix), 4u);
  }
  EXPECT_EQ(TCustomDBGridEh::EllipsisText(c, text, full), text);
}

TEST(DBGridEhDataLink, FieldMapGrowsByDoubling) {
  TMemDataSet ds;
  for (int i = 0; i < 9; ++i) ds.FieldDefs().Add("F" + IntToStr(i), ftInteger);
  ds.CreateDataSet();
  TDataSource src;
  src.SetDataSet(&ds);
  TGridDataLinkEh link(nullptr);
  link.SetDataSource(&src);
  for (int i = 0; i < 8; ++i) link.AddFieldMapping("F" + IntToStr(i));
  EXPECT_EQ(link.MapCapacity(), 8);
  link.AddFieldMapping("F8");
  EXPECT_EQ(link.MapCapacity(), 16);
  EXPECT_EQ(link.Fields(8), ds.FieldByName("F8"));
  EXPECT_EQ(link.Fields(9), nullptr);
  EXPECT_THROW(link.AddFieldMapping("nope"), Exception);   // dense map: the name must exist
  link.SetDataSource(nullptr);
}

// ---------------------------------------------------------------------------
// A real query over a SQLite file.

TEST(DBGridEhQuery, ShowsTheRowsOfAQuery) {
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-dbgrid-tests";
  ::mkdir(dir.c_str(), 0755);
  std::string path = dir + "/query.mdb";
  std::remove(path.c_str());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "CREATE TABLE Customers (CU_ID INTEGER PRIMARY KEY, CU_Name TEXT(50), CU_City TEXT(20));"
                         "INSERT INTO Customers VALUES (1, '北京华联商贸有限公司', '北京');"
                         "INSERT INTO Customers VALUES (2, '上海东方贸易', '上海');"
                         "INSERT INTO Customers VALUES (3, '广州南方电器', '广州');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  {
    TADOConnection conn;
    conn.SetLoginPrompt(false);
    conn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
    conn.Open();
    TADOQuery q;
    q.SetConnection(&conn);
    q.SQL()->SetText("select CU_ID, CU_Name, CU_City from Customers order by CU_ID");
    q.Open();
    q.FieldByName("CU_Name")->SetDisplayLabel("客户名称");
    TDataSource src;
    src.SetDataSet(&q);
    std::unique_ptr<TForm> form(new TForm(nullptr));
    form->SetBounds(40, 40, 460, 200);
    auto* grid = new TDBGridEh(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 440, 160);
    grid->Font()->SetName("宋体");
    grid->Font()->SetHeight(-12);
    grid->TitleFont()->SetName("宋体");
    grid->TitleFont()->SetHeight(-12);
    grid->SetDataSource(&src);
    form->Show();
    PumpMessages();
    ASSERT_EQ(grid->Columns()->Count(), 3);
    EXPECT_EQ(grid->Columns()->Item(1)->Title()->Caption(), "客户名称");
    EXPECT_EQ(grid->RowCount(), 1 + 3);
    grid->SetSelectedIndex(1);
    q.Next();
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->SelectedField(), q.FieldByName("CU_Name"));
    PumpMessages();
    WriteWindowPng(grid, "dbgrid_query");
    // Dark text pixels inside the first record's name cell: the Chinese
    // text was drawn, not boxes left blank.
    TRect r = grid->CellClientRect(2, 1);
    int dark = 0;
    for (int x = r.Left + 2; x < r.Right - 2; ++x)
      for (int y = r.Top + 2; y < r.Bottom - 2; ++y) {
        COLORREF p = ClientPixel(grid, x, y);
        if (GetRValue(p) < 100 && GetGValue(p) < 100 && GetBValue(p) < 100) ++dark;
      }
    EXPECT_GT(dark, 20);
    q.Close();
    EXPECT_EQ(grid->Columns()->Count(), 1);
    q.Open();
    EXPECT_EQ(grid->Columns()->Count(), 3);
    form.reset();
  }
  std::remove(path.c_str());
}

}   // namespace
