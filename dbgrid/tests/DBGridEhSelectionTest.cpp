// The data grid's selection: records by bookmark, rectangles compared in
// view order, column runs extended with Shift, select all, and bookmarks
// that follow the dataset when it is sorted or filtered.
#include <memory>

#include "DBGridEh.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "SysUtils.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

class SelectionFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Data = std::make_unique<TMemDataSet>();
    Data->FieldDefs().Add("ID", ftInteger);
    Data->FieldDefs().Add("Name", ftString, 20);
    Data->FieldDefs().Add("Qty", ftInteger);
    Data->FieldDefs().Add("Price", ftFloat);
    Data->FieldDefs().Add("Note", ftString, 20);
    Data->CreateDataSet();
    for (int i = 1; i <= 40; ++i)
      Data->AppendRecord({Variant(i), Variant(String("名称") + IntToStr(i)), Variant(i * 2), Variant(i * 1.5),
                          Variant(String("n") + IntToStr(i))});
    Data->First();
    Source = std::make_unique<TDataSource>();
    Source->SetDataSet(Data.get());
    Form.reset(new TForm(nullptr));
    Form->SetBounds(40, 40, 520, 300);
    Grid = new TDBGridEh(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, 500, 260);
    Grid->SetOptions(Grid->Options() + dgMultiSelect);
    Grid->SetDataSource(Source.get());
    Grid->OnSelectionChanged = [this](TObject* Sender) {
      EXPECT_EQ(Sender, Grid);
      ++Changes;
    };
    Form->Show();
    PumpMessages();
  }
  void TearDown() override {
    Form.reset();
    Source.reset();
    Data.reset();
  }
  TBookmark BookmarkOf(int id) {
    EXPECT_TRUE(Data->Locate("ID", Variant(id), {}));
    return Data->GetBookmark();
  }
  void SelectRecord(int id) {
    BookmarkOf(id);
    Grid->SelectedRows()->SetCurrentRowSelected(true);
  }
  TDBGridEhSelection* Sel() { return Grid->Selection(); }
  TColumnEh* Col(int i) { return Grid->Columns()->Item(i); }
  std::vector<int> SelectedColumnIndexes() {
    std::vector<int> r;
    for (Integer i = 0; i < Sel()->Columns()->Count(); ++i) r.push_back(Sel()->Columns()->Items(i)->Index());
    return r;
  }
  std::vector<int> SelectedIds() {
    std::vector<int> r;
    TBookmark keep = Data->GetBookmark();
    for (Integer i = 0; i < Grid->SelectedRows()->Count(); ++i) {
      Data->GotoBookmark(Grid->SelectedRows()->Items(i));
      r.push_back(Data->FieldByName("ID")->AsInteger());
    }
    Data->GotoBookmark(keep);
    return r;
  }
  std::unique_ptr<TMemDataSet> Data;
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<TForm> Form;
  TDBGridEh* Grid = nullptr;
  int Changes = 0;
};

TEST_F(SelectionFixture, RecordBookmarksReplaceOtherKindsAndEmptyToNothing) {
  Sel()->Columns()->SelectColumn(Col(1), false);
  ASSERT_EQ(Sel()->SelectionType(), gstColumns);
  SelectRecord(7);
  EXPECT_EQ(Sel()->SelectionType(), gstRecordBookmarks);
  EXPECT_EQ(Sel()->Columns()->Count(), 0);
  SelectRecord(3);
  SelectRecord(3);   // twice keeps one bookmark
  EXPECT_EQ(SelectedIds(), (std::vector<int>{3, 7}));
  EXPECT_TRUE(Sel()->IsCellSelected(4, BookmarkOf(7)));
  EXPECT_FALSE(Sel()->IsCellSelected(0, BookmarkOf(5)));

  Changes = 0;
  BookmarkOf(3);
  Grid->SelectedRows()->SetCurrentRowSelected(false);
  BookmarkOf(7);
  Grid->SelectedRows()->SetCurrentRowSelected(false);
  EXPECT_EQ(Sel()->SelectionType(), gstNon);
  EXPECT_EQ(Changes, 2);
}

TEST_F(SelectionFixture, BookmarksFollowASortAndDropFilteredRecords) {
  for (int id : {5, 12, 30}) SelectRecord(id);
  Data->SetSort("[ID] DESC");
  // The list is in the new view order and its binary search finds them all.
  EXPECT_EQ(SelectedIds(), (std::vector<int>{30, 12, 5}));
  for (int id : {5, 12, 30}) EXPECT_TRUE(Sel()->IsCellSelected(0, BookmarkOf(id))) << id;
  EXPECT_FALSE(Sel()->IsCellSelected(0, BookmarkOf(6)));
  BookmarkOf(20);
  Grid->SelectedRows()->SetCurrentRowSelected(true);
  EXPECT_EQ(SelectedIds(), (std::vector<int>{30, 20, 12, 5}));

  // A record the filter hides is no longer selected; when none is left the
  // selection ends.
  Data->SetFilter("ID < 25");
  Data->SetFiltered(true);
  EXPECT_EQ(SelectedIds(), (std::vector<int>{20, 12, 5}));
  Data->SetFilter("ID > 35");
  EXPECT_EQ(Grid->SelectedRows()->Count(), 0);
  EXPECT_EQ(Sel()->SelectionType(), gstNon);
}

TEST_F(SelectionFixture, ClosingTheDatasetClearsTheSelection) {
  SelectRecord(2);
  Data->Close();
  EXPECT_EQ(Sel()->SelectionType(), gstNon);
  EXPECT_EQ(Grid->SelectedRows()->Count(), 0);
  EXPECT_FALSE(Grid->SelectedRows()->LinkActive());
  try {
    Sel()->Rect()->BottomRow();
    ADD_FAILURE() << "no error";
  } catch (const EInvalidGridOperationEh& e) {
    EXPECT_STREQ(e.what(), "Error in TDBGridEhSelectionRect.GetBottomRow");
  }
  try {
    Sel()->Rect()->CellSelected(0, TBookmark{});
    ADD_FAILURE() << "no error";
  } catch (const EInvalidGridOperationEh& e) {
    EXPECT_STREQ(e.what(), "Error in function TDBGridEhSelectionRect.CellSelected");
  }
}

TEST_F(SelectionFixture, RectangleIsComparedInViewOrder) {
  TDBGridEhSelectionRect* r = Sel()->Rect();
  r->Select(1, BookmarkOf(4), false);
  r->Select(1, BookmarkOf(4), true);
  EXPECT_EQ(Sel()->SelectionType(), gstNon);   // one cell is no rectangle
  r->Select(1, BookmarkOf(8), true);
  EXPECT_EQ(Sel()->SelectionType(), gstRectangle);
  // Anchor below the shift cell and columns given right to left.
  r->Select(3, BookmarkOf(9), false);
  r->Select(2, BookmarkOf(6), true);
  EXPECT_EQ(r->LeftCol(), 2);
  EXPECT_EQ(r->RightCol(), 3);
  EXPECT_EQ(r->TopRow(), BookmarkOf(6));
  EXPECT_EQ(r->BottomRow(), BookmarkOf(9));
  struct Case {
    int Col, Id;
    bool In;
  } cases[] = {{2, 6, true}, {3, 9, true}, {2, 7, true}, {1, 7, false}, {4, 7, false}, {2, 5, false}, {3, 10, false}};
  for (const Case& c : cases) EXPECT_EQ(Sel()->IsCellSelected(c.Col, BookmarkOf(c.Id)), c.In) << c.Col << "," << c.Id;

  // Sorted the other way round, the same two corners enclose the same rows.
  Data->SetSort("[ID] DESC");
  EXPECT_EQ(r->TopRow(), BookmarkOf(9));
  EXPECT_TRUE(Sel()->IsCellSelected(2, BookmarkOf(7)));
  EXPECT_FALSE(Sel()->IsCellSelected(2, BookmarkOf(10)));
}

TEST_F(SelectionFixture, RectangleOnScreenIsCutToTheRecordsInView) {
  Data->First();
  Integer inView = Grid->DataLink()->RecordCount();
  ASSERT_GT(inView, 3);
  ASSERT_LT(inView, 40);
  Integer off = Grid->TitleOffset(), ind = Grid->IndicatorOffset();
  TDBGridEhSelectionRect* r = Sel()->Rect();
  r->Select(0, BookmarkOf(2), false);
  r->Select(1, BookmarkOf(3), true);
  Data->First();
  TRect g = Sel()->GetGridRect();
  EXPECT_EQ(g, (TRect{ind, off + 1, ind + 1, off + 2}));
  // From above the view to below it: every row in view, and the pixel box
  // from the first data row to the row after the visible ones.
  TBookmark first = BookmarkOf(1), last = BookmarkOf(40);
  r->Select(0, first, false);
  r->Select(1, last, true);
  Data->First();
  Data->MoveBy(inView + 5);
  Grid->DataLink()->SetActiveRecord(0);
  ASSERT_GT(Data->FieldByName("ID")->AsInteger(), 1);
  Grid->DataLink()->SetActiveRecord(Grid->DataLink()->RecordCount() - 1);
  ASSERT_LT(Data->FieldByName("ID")->AsInteger(), 40);
  Grid->DataLink()->SetActiveRecord(1);
  g = Sel()->GetGridRect();
  EXPECT_EQ(g, (TRect{ind, off, ind + 1, off + Grid->DataLink()->RecordCount() - 1}));
  EXPECT_EQ(r->CellsBox(1, last, 0, first),
            Grid->GetCellBlockRect(ind, off, ind + 1, off + Grid->VisibleRowCount()));
  EXPECT_EQ(Grid->DataLink()->ActiveRecord(), 1);
}

TEST_F(SelectionFixture, ColumnsKeepIndexOrderAndShiftRunsUndoOnlyTheirOwnChanges) {
  TDBGridEhSelectionCols* c = Sel()->Columns();
  c->InvertColumn(Col(3));
  c->InvertColumn(Col(1));
  c->InvertColumn(Col(2));
  EXPECT_EQ(SelectedColumnIndexes(), (std::vector<int>{1, 2, 3}));
  EXPECT_TRUE(Sel()->IsCellSelected(2, BookmarkOf(1)));
  EXPECT_FALSE(Sel()->IsCellSelected(0, BookmarkOf(1)));
  EXPECT_EQ(Sel()->GetGridRect(), (TRect{Grid->DataToRawColumn(1), 0, Grid->DataToRawColumn(3), Grid->RowCount()}));

  c->SelectColumn(Col(2), false);
  c->ExtendTo(Col(4));
  EXPECT_EQ(SelectedColumnIndexes(), (std::vector<int>{2, 3, 4}));
  c->ExtendTo(Col(3));
  EXPECT_EQ(SelectedColumnIndexes(), (std::vector<int>{2, 3}));
  c->ExtendTo(Col(0));
  EXPECT_EQ(SelectedColumnIndexes(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(c->AnchorColumn(), Col(2));
  EXPECT_EQ(c->ShiftColumn(), Col(0));

  // With the anchor deselected by Ctrl+click, Shift deselects the run.
  c->SelectColumn(Col(0), false);
  c->ExtendTo(Col(4));
  c->InvertColumn(Col(2));
  EXPECT_EQ(SelectedColumnIndexes(), (std::vector<int>{0, 1, 3, 4}));
  c->ExtendTo(Col(4));
  EXPECT_EQ(SelectedColumnIndexes(), (std::vector<int>{0, 1}));
  // Back past the anchor: the run's own removals come back, and beyond the
  // anchor the columns are deselected.
  c->ExtendTo(Col(0));
  EXPECT_EQ(SelectedColumnIndexes(), (std::vector<int>{3, 4}));
  c->InvertColumn(Col(3));
  c->InvertColumn(Col(4));
  EXPECT_EQ(Sel()->SelectionType(), gstNon);
}

TEST_F(SelectionFixture, DeletedColumnsLeaveTheSelection) {
  TDBGridEhSelectionCols* c = Sel()->Columns();
  Grid->BeginLayout();   // persistent columns, one per field
  Grid->Columns()->Clear();
  for (const char* name : {"ID", "Name", "Qty", "Price", "Note"}) Grid->Columns()->Add()->SetFieldName(name);
  Grid->EndLayout();
  c->SelectColumn(Col(1), false);
  c->ExtendTo(Col(3));
  delete Col(2);
  EXPECT_EQ(SelectedColumnIndexes(), (std::vector<int>{1, 2}));   // were 1 and 3
  delete Col(1);
  delete Col(1);
  EXPECT_EQ(c->Count(), 0);
  EXPECT_EQ(Sel()->SelectionType(), gstNon);
}

TEST_F(SelectionFixture, SelectAllAndAllowedKinds) {
  Sel()->SelectAll();
  EXPECT_EQ(Sel()->SelectionType(), gstAll);
  Changes = 0;
  Sel()->SelectAll();
  EXPECT_EQ(Changes, 0);
  EXPECT_TRUE(Grid->CellInSelection(0, 0));

  Sel()->Rect()->Select(0, BookmarkOf(1), false);
  Sel()->Rect()->Select(1, BookmarkOf(2), true);
  ASSERT_EQ(Sel()->SelectionType(), gstRectangle);
  Grid->SetAllowedSelections({gstRecordBookmarks, gstRectangle});
  EXPECT_EQ(Sel()->SelectionType(), gstRectangle);
  Grid->SetAllowedSelections({gstRecordBookmarks});
  EXPECT_EQ(Sel()->SelectionType(), gstNon);
  EXPECT_TRUE(Grid->CanSelectType(gstRecordBookmarks));
  EXPECT_FALSE(Grid->CanSelectType(gstRectangle));
  Grid->SetAllowedSelections({gstRecordBookmarks, gstRectangle, gstColumns, gstAll});
  Grid->SetOptions(Grid->Options() + dgRowSelect);
  EXPECT_TRUE(Grid->CanSelectType(gstRecordBookmarks));
  EXPECT_FALSE(Grid->CanSelectType(gstColumns));
  Grid->SetOptions(Grid->Options() - dgMultiSelect);
  EXPECT_FALSE(Grid->CanSelectType(gstRecordBookmarks));
  EXPECT_TRUE(Grid->CanSelectType(gstNon));
}

TEST_F(SelectionFixture, GridCellsOfTheSelection) {
  Data->First();
  Integer off = Grid->TitleOffset();
  SelectRecord(2);
  Data->First();
  // Indicator and data cells of the selected record; not its title.
  EXPECT_TRUE(Grid->CellInSelection(0, off + 1));
  EXPECT_TRUE(Grid->CellInSelection(2, off + 1));
  EXPECT_FALSE(Grid->CellInSelection(2, off));
  EXPECT_FALSE(Grid->CellInSelection(2, 0));
  EXPECT_EQ(Sel()->GetGridRect(), (TRect{0, off + 1, Grid->ColCount() - 1, off + 1}));

  Sel()->Columns()->SelectColumn(Col(1), false);
  Integer raw = Grid->DataToRawColumn(1);
  EXPECT_TRUE(Grid->CellInSelection(raw, 0));         // its title
  EXPECT_TRUE(Grid->CellInSelection(raw, off + 3));   // a data cell
  EXPECT_FALSE(Grid->CellInSelection(0, off + 3));    // not the indicator
  EXPECT_FALSE(Grid->CellInSelection(raw + 1, off + 3));
}

}  // namespace

namespace {

TEST_F(SelectionFixture, SelectedCellsArePaintedHighlighted) {
  Data->First();
  TBookmark b2 = BookmarkOf(2), b3 = BookmarkOf(3);
  Data->First();
  Sel()->Rect()->Select(1, b2, false);
  Sel()->Rect()->Select(2, b3, true);
  PumpMessages();
  WriteWindowPng(Grid, "dbgrid_selection_rect");
  Integer off = Grid->TitleOffset();
  auto cellPixel = [&](Integer dataCol, Integer dataRow) {
    TRect r = Grid->CellClientRect(Grid->DataToRawColumn(dataCol), off + dataRow);
    return ClientPixel(Grid, r.Right - 3, r.Bottom - 3);
  };
  COLORREF window = GetSysColor(COLOR_WINDOW);
  for (auto [col, row] : {std::pair{1, 1}, {2, 1}, {1, 2}, {2, 2}})
    EXPECT_NE(cellPixel(col, row), window) << col << "," << row;
  for (auto [col, row] : {std::pair{0, 1}, {3, 1}, {1, 3}, {2, 0}})
    EXPECT_EQ(cellPixel(col, row), window) << col << "," << row;
}

}  // namespace
