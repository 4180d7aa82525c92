// The lookup grid: layout of columns, rows and grid lines, keyboard and
// mouse navigation, column-click sorting, the popup behaviour (a resting
// mouse focuses nothing, press and release asks to close, dragging out of
// the rows scrolls), and the data-bound grid over a SQLite customer list.
#include <memory>

#include "StdCtrls.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "cxLookupDBGrid.h"
#include "cxLookupGrid.h"
#include "LookupTestData.h"
#include "gtest.h"

namespace {

struct GridFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxCustomLookupGrid* Grid = nullptr;
  TEdit* Edit = nullptr;   // stands for the editor that keeps the focus
  std::vector<std::pair<bool, int>> Closes;   // (accept, focused row)

  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(40, 40, 420, 360);
    Grid = new TcxCustomLookupGrid(Form.get());
    Grid->SetInPopup(true);
    Grid->SetBounds(10, 10, 300, 200);
    Grid->SetParent(Form.get());
    Edit = new TEdit(Form.get());
    Edit->SetBounds(10, 220, 100, 24);
    Edit->SetParent(Form.get());
    Grid->OnCloseRequest = [this](TObject*, bool AAccept) { Closes.push_back({AAccept, Grid->FocusedRowIndex()}); };
    Form->Show();
    Edit->SetFocus();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }

  void AddColumns(std::initializer_list<std::pair<const char*, int>> ACols) {
    Grid->BeginUpdate();
    for (auto& c : ACols) {
      TcxLookupGridColumn* col = Grid->Columns()->Add();
      col->SetCaption(c.first);
      col->SetWidth(c.second);
      col->SetValueTypeClass(TcxStringValueType::Class());
    }
    Grid->EndUpdate();
  }
  void AddRows(int ACount) {
    TcxCustomDataController* dc = Grid->DataController();
    dc->BeginUpdate();
    for (int i = 0; i < ACount; ++i) {
      char no[16];
      std::snprintf(no, sizeof no, "C%02d", i + 1);
      std::vector<Variant> values{Variant(String(no)), Variant(String("客户") + std::to_string(ACount - i))};
      values.resize(size_t(dc->GetItemCount()));
      dc->AppendRecordWithValues(values);
    }
    dc->EndUpdate();
  }
  void Key(WORD AKey, bool ACtrl = false) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = ACtrl ? 0x80 : 0;
    SetKeyboardState(state);
    SendMessageW(Grid->Handle(), WM_KEYDOWN, AKey, 0);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
  }
  void Mouse(UINT AMsg, TPoint P, WPARAM AKeys = 0) {
    SendMessageW(Grid->Handle(), AMsg, AKeys, MAKELPARAM(P.X, P.Y));
  }
  // The middle of a laid-out row's first cell.
  TPoint RowPoint(Integer ARowIndex) {
    TcxLookupGridRowViewInfo* row = Grid->ViewInfo()->FindRow(ARowIndex);
    EXPECT_NE(row, nullptr);
    if (!row) return TPoint(0, 0);
    return TPoint(row->Bounds.Left + 5, (row->Bounds.Top + row->Bounds.Bottom) / 2);
  }
  String CellText(Integer ARow, Integer AColumn) {
    TcxCustomDataController* dc = Grid->DataController();
    return dc->GetDisplayText(dc->GetRowInfo(ARow).RecordIndex, AColumn);
  }
};

}  // namespace

TEST_F(GridFixture, ColumnsFillTheWidthInProportionAndFixedOnesKeepTheirs) {
  // Without columns: no header band, no rows, the blank area is the client.
  EXPECT_TRUE(IsRectEmpty(Grid->ViewInfo()->HeaderBand()));
  EXPECT_EQ(Grid->ViewInfo()->RowCount(), 0);
  EXPECT_EQ(Grid->ViewInfo()->BottomBlank(), Grid->GetClientBounds());

  AddColumns({{"编号", 80}, {"客户名称", 200}});
  AddRows(3);
  TcxLookupGridViewInfo* vi = Grid->ViewInfo();
  ASSERT_EQ(vi->ColumnCount(), 2);
  EXPECT_EQ(Grid->GetBorderSize(), 0);   // no frame inside a drop-down
  EXPECT_EQ(vi->Columns(0)->Bounds.Width() + vi->Columns(1)->Bounds.Width(), 300);
  EXPECT_NEAR(vi->Columns(0)->Bounds.Width(), 300 * 80 / 280, 1);
  EXPECT_EQ(vi->Columns(1)->Bounds.Left, vi->Columns(0)->Bounds.Right);
  EXPECT_EQ(vi->RowCount(), 3);
  EXPECT_EQ(vi->Rows(0)->Bounds.Top, vi->HeaderBand().Bottom);

  Grid->Columns()->Items(0)->SetFixed(true);
  EXPECT_EQ(vi->Columns(0)->Bounds.Width(), 80);
  EXPECT_EQ(vi->Columns(1)->Bounds.Width(), 220);

  // Without the header the rows start at the client top.
  Grid->Options()->SetShowHeader(false);
  EXPECT_EQ(vi->HeaderBand().Height(), 0);
  EXPECT_EQ(vi->Rows(0)->Bounds.Top, Grid->GetClientBounds().Top);
}

TEST_F(GridFixture, GridLinesDecideThePitchAndTheLines) {
  AddColumns({{"A", 50}, {"B", 50}, {"C", 50}});
  AddRows(3);
  TcxLookupGridViewInfo* vi = Grid->ViewInfo();
  const Integer h = vi->RowMinHeight();
  ASSERT_GT(h, 0);
  struct Case {
    TcxGridLines Lines;
    Integer Pitch;
    bool MiddleCellLine, RowRightLine, UnderFirstRow, UnderLastRow;
  };
  const Case cases[] = {{glBoth, h + 1, true, true, true, true},
                        {glNone, h, false, false, false, false},
                        {glHorizontal, h + 1, false, true, true, true},
                        {glVertical, h, true, true, false, true}};
  for (const Case& c : cases) {
    Grid->Options()->SetGridLines(c.Lines);
    SCOPED_TRACE(Integer(c.Lines));
    EXPECT_EQ(vi->RowPitch(), c.Pitch);
    TcxLookupGridRowViewInfo* first = vi->Rows(0);
    TcxLookupGridRowViewInfo* last = vi->Rows(2);
    EXPECT_EQ(first->Cells[0]->Borders.Contains(bRight), c.MiddleCellLine);
    EXPECT_FALSE(first->Cells[2]->Borders.Contains(bRight));   // the rightmost line is the row's
    EXPECT_EQ(first->Borders.Contains(bRight), c.RowRightLine);
    EXPECT_EQ(first->Borders.Contains(bBottom), c.UnderFirstRow);
    EXPECT_EQ(last->Borders.Contains(bBottom), c.UnderLastRow);
    EXPECT_EQ(vi->Rows(1)->Bounds.Top, first->Bounds.Bottom);
  }
}

TEST_F(GridFixture, HeightsSnapToWholeRows) {
  AddColumns({{"A", 80}, {"B", 200}});
  const Integer header = Grid->ViewInfo()->HeaderHeight();
  const Integer pitch = Grid->ViewInfo()->RowPitch();
  // No rows: one row's room.
  EXPECT_EQ(Grid->SnapHeightToRows(1000), header + pitch);
  AddRows(3);
  EXPECT_EQ(Grid->GetHeightForRows(8), header + 8 * pitch);
  EXPECT_EQ(Grid->SnapHeightToRows(1000), header + 3 * pitch);
  EXPECT_EQ(Grid->SnapHeightToRows(header + 2 * pitch + pitch / 2), header + 2 * pitch);
  EXPECT_EQ(Grid->SnapHeightToRows(1), header + pitch);
}

TEST_F(GridFixture, KeysMoveTheFocusAndEnterAsksToClose) {
  AddColumns({{"A", 80}, {"B", 200}});
  AddRows(40);
  Grid->DataController()->ChangeFocusedRowIndex(-1);
  Key(VK_RETURN);
  ASSERT_EQ(Closes.size(), 1u);
  EXPECT_FALSE(Closes[0].first);

  Grid->DataController()->ChangeFocusedRowIndex(0);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(Grid->FocusedRowIndex(), 2);
  Key(VK_UP);
  EXPECT_EQ(Grid->FocusedRowIndex(), 1);
  Key(VK_RETURN);
  ASSERT_EQ(Closes.size(), 2u);
  EXPECT_TRUE(Closes[1].first);

  // Page Down goes to the last fully visible row, then a page further.
  const Integer visible = Grid->ViewInfo()->VisibleRowCount();
  ASSERT_GT(visible, 2);
  ASSERT_LT(visible, 40);
  Key(VK_NEXT);
  EXPECT_EQ(Grid->FocusedRowIndex(), visible - 1);
  Key(VK_NEXT);
  EXPECT_EQ(Grid->FocusedRowIndex(), 2 * visible - 2);
  EXPECT_TRUE(Grid->IsRowVisible(Grid->FocusedRowIndex()));
  EXPECT_GT(Grid->TopRow(), 0);

  // With row selection End and Home go to the ends; without it they pick
  // the last and first column and Ctrl goes to the ends.
  Key(VK_END);
  EXPECT_EQ(Grid->FocusedRowIndex(), 39);
  EXPECT_TRUE(Grid->IsRowVisible(39));
  Grid->Options()->SetRowSelect(false);
  Key(VK_HOME);
  EXPECT_EQ(Grid->CurrentColumnIndex(), 0);
  EXPECT_EQ(Grid->FocusedRowIndex(), 39);
  Key(VK_END);
  EXPECT_EQ(Grid->CurrentColumnIndex(), 1);
  Key(VK_HOME, true);
  EXPECT_EQ(Grid->FocusedRowIndex(), 0);
  EXPECT_EQ(Grid->TopRow(), 0);
  Key(VK_END, true);
  EXPECT_EQ(Grid->FocusedRowIndex(), 39);
  // Row selection back on: no focused column.
  Grid->Options()->SetRowSelect(true);
  EXPECT_EQ(Grid->CurrentColumn(), nullptr);
}

TEST_F(GridFixture, HeaderClicksSortTheList) {
  AddColumns({{"编号", 80}, {"名称", 200}});
  AddRows(4);   // numbers ascend while names descend
  TcxLookupGridColumn* no = Grid->Columns()->Items(0);
  TcxLookupGridColumn* name = Grid->Columns()->Items(1);
  auto header = [&](Integer i) {
    const TRect& r = Grid->ViewInfo()->Columns(i)->Bounds;
    return TPoint(r.Left + 5, (r.Top + r.Bottom) / 2);
  };
  auto click = [&](Integer i, WPARAM keys = 0) {
    Mouse(WM_LBUTTONDOWN, header(i), MK_LBUTTON | keys);
    Mouse(WM_LBUTTONUP, header(i), keys);
  };
  click(1);
  EXPECT_EQ(name->SortOrder(), soAscending);
  EXPECT_EQ(CellText(0, 1), "客户1");
  EXPECT_TRUE(Closes.empty());   // a header click closes nothing
  click(1);
  EXPECT_EQ(name->SortOrder(), soDescending);
  EXPECT_EQ(CellText(0, 1), "客户4");
  // A plain click on another column sorts by that one alone.
  click(0);
  EXPECT_EQ(no->SortOrder(), soAscending);
  EXPECT_EQ(name->SortOrder(), soNone);
  // Shift adds a column, Ctrl removes one.
  click(1, MK_SHIFT);
  EXPECT_EQ(no->SortOrder(), soAscending);
  EXPECT_EQ(name->SortOrder(), soAscending);
  click(0, MK_CONTROL);
  EXPECT_EQ(no->SortOrder(), soNone);
  EXPECT_EQ(name->SortOrder(), soAscending);
  // A column that may not sort, or options without sorting, ignore clicks.
  no->SetSorting(false);
  click(0);
  EXPECT_EQ(no->SortOrder(), soNone);
  Grid->Options()->SetColumnSorting(false);
  click(1);
  EXPECT_EQ(name->SortOrder(), soAscending);
}

TEST_F(GridFixture, MouseInTheDropDown) {
  AddColumns({{"A", 80}, {"B", 200}});
  AddRows(40);
  Grid->DataController()->ChangeFocusedRowIndex(0);
  // A mouse resting where the list opens focuses nothing until it moves.
  const TPoint p2 = RowPoint(2);
  SetCursorPos(Grid->ClientToScreen(p2).X, Grid->ClientToScreen(p2).Y);
  Grid->SaveCursorPos();
  Mouse(WM_MOUSEMOVE, p2);
  EXPECT_EQ(Grid->FocusedRowIndex(), 0);
  const TPoint p3 = RowPoint(3);
  SetCursorPos(Grid->ClientToScreen(p3).X, Grid->ClientToScreen(p3).Y);
  Mouse(WM_MOUSEMOVE, p3);
  EXPECT_EQ(Grid->FocusedRowIndex(), 3);
  EXPECT_TRUE(Grid->DataController()->IsRowSelected(3));
  EXPECT_TRUE(Edit->Focused());   // the list never takes the focus

  // Press and release on a row accept.
  Mouse(WM_LBUTTONDOWN, RowPoint(4), MK_LBUTTON);
  EXPECT_EQ(Grid->FocusedRowIndex(), 4);
  Mouse(WM_LBUTTONUP, RowPoint(4));
  ASSERT_EQ(Closes.size(), 1u);
  EXPECT_EQ(Closes[0], std::make_pair(true, 4));

  // Dragging below the rows scrolls every 50 ms; releasing there cancels.
  Mouse(WM_LBUTTONDOWN, RowPoint(1), MK_LBUTTON);
  const TPoint below(20, Grid->Height() + 5);
  SetCursorPos(Grid->ClientToScreen(below).X, Grid->ClientToScreen(below).Y);
  Mouse(WM_MOUSEMOVE, below, MK_LBUTTON);
  EXPECT_EQ(Grid->ScrollMode(), 2);
  ASSERT_NE(Grid->ScrollTimer(), nullptr);
  EXPECT_EQ(Grid->ScrollTimer()->Interval(), 50u);
  const Integer top = Grid->TopRow();
  for (int i = 0; i < 3; ++i) SendMessageW(cxTimerWindowHandle(), WM_TIMER, Grid->ScrollTimer()->Id(), 0);
  EXPECT_GT(Grid->TopRow(), top);
  EXPECT_TRUE(Grid->IsRowVisible(Grid->FocusedRowIndex()));
  EXPECT_FALSE(Grid->DataController()->IsRowSelected(Grid->FocusedRowIndex()));
  Mouse(WM_LBUTTONUP, below);
  EXPECT_EQ(Grid->ScrollMode(), 0);
  EXPECT_EQ(Grid->ScrollTimer(), nullptr);
  ASSERT_EQ(Closes.size(), 2u);
  EXPECT_FALSE(Closes[1].first);
}

TEST(LookupDBGrid, ColumnsOverASQLiteCustomerList) {
  TLookupTestData data(20);
  auto query = data.Query("SELECT C_ID, C_NO, C_Name FROM Customers ORDER BY C_NO");
  TDataSource source;
  source.SetDataSet(query.get());
  TForm form(nullptr);
  form.SetBounds(60, 60, 420, 320);
  auto* grid = new TcxCustomLookupDBGrid(&form);
  grid->SetInPopup(true);
  grid->SetBounds(0, 0, 300, 180);
  grid->SetParent(&form);
  grid->SetKeyFieldNames("C_ID");
  grid->SetDataSource(&source);
  grid->SetFieldNames("C_NO;C_Name");
  ASSERT_EQ(grid->Columns()->Count(), 2);
  EXPECT_EQ(grid->Columns()->Items(0)->FieldName(), "C_NO");
  EXPECT_EQ(grid->Columns()->Items(1)->Field(), query->FieldByName("C_Name"));
  EXPECT_EQ(grid->Columns()->FindByFieldName("c_name"), grid->Columns()->Items(1));
  EXPECT_EQ(grid->Columns()->FindByFieldName("C_Phone"), nullptr);
  // Captions and widths default to the field's.
  query->FieldByName("C_Name")->SetDisplayLabel("客户名称");
  EXPECT_EQ(grid->Columns()->Items(1)->Caption(), "客户名称");
  TcxLookupDBGridColumn* no = grid->Columns()->Items(0);
  TcxCanvas* canvas = grid->Painter()->Canvas();
  canvas->SetFont(grid->Font());
  EXPECT_EQ(no->Width(), std::max(canvas->TextWidth("0") * query->FieldByName("C_NO")->DisplayWidth() + 4,
                                  grid->Painter()->LookAndFeelPainter()->CalcHeaderWidth(canvas, cxBordersAll, "C_NO",
                                                                                          grid->Font())));
  // A name that is no field: the name as caption, 64 wide.
  TcxLookupDBGridColumn* missing = grid->Columns()->Add();
  missing->SetFieldName("C_Phone");
  EXPECT_EQ(missing->Field(), nullptr);
  EXPECT_EQ(missing->Caption(), "C_Phone");
  EXPECT_EQ(missing->Width(), 64);
  delete missing;
  EXPECT_EQ(grid->Columns()->Count(), 2);

  grid->SetFieldNames("");
  EXPECT_EQ(grid->Columns()->Count(), 0);
  grid->SetFieldNames("C_NO;C_Name");
  no = grid->Columns()->Items(0);
  no->SetCaption("编号");
  no->SetWidth(80);
  grid->Columns()->Items(1)->SetCaption("客户名称");
  grid->Columns()->Items(1)->SetWidth(200);
  grid->Options()->SetGridLines(glNone);

  // Sync mode: off by default, on it moves the customer dataset's cursor.
  TcxLookupDBGridOptions loose(nullptr);
  EXPECT_FALSE(loose.SyncMode());
  EXPECT_FALSE(grid->Options()->SyncMode());
  grid->DataController()->ChangeFocusedRecordIndex(grid->DataController()->FindRecordIndexByKey(Variant(50)));
  EXPECT_EQ(query->FieldByName("C_ID")->AsInteger(), 10);
  grid->Options()->SetSyncMode(true);
  grid->DataController()->ChangeFocusedRecordIndex(grid->DataController()->FindRecordIndexByKey(Variant(70)));
  EXPECT_EQ(query->FieldByName("C_NO")->AsString(), "C07");
  // Options copied into another grid keep sync mode.
  TcxCustomLookupDBGrid other;
  other.AssignOptions(grid->Options());
  EXPECT_TRUE(other.Options()->SyncMode());
  EXPECT_EQ(other.Options()->GridLines(), glNone);

  form.Show();
  PumpMessages(2);
  EXPECT_TRUE(grid->VScrollBarVisible());   // 20 rows do not fit
  // The list data changes: the grid follows.
  const Integer rows = grid->RowCount();
  query->Close();
  query->Open();
  EXPECT_EQ(grid->RowCount(), rows);
  EXPECT_EQ(grid->Columns()->Items(0)->Field(), query->FieldByName("C_NO"));
  WriteWindowPng(grid, "lookup_db_grid");
}
