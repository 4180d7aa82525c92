// The base grid's model without a window: axis layouts, hit tests, cell
// rectangles, current cell and anchor rules, counts, extents and moves.
#include <memory>
#include "GridTestSupport.h"
#include "gtest.h"

namespace {

std::unique_ptr<TTestGrid> MakeGrid(int w = 320, int h = 120) {
  auto g = std::make_unique<TTestGrid>();
  g->SetBounds(0, 0, w, h);
  return g;
}

template <class F>
void ExpectGridError(F f, const char* text) {
  try {
    f();
    ADD_FAILURE() << "no error, expected: " << text;
  } catch (EInvalidGridOperationEh& e) {
    EXPECT_STREQ(e.what(), text);
  }
}

struct LayoutCase {
  const char* Name;
  std::function<void(TTestGrid*)> Setup;
  int FixedEnd, FrozenStart, CellsEnd, DataExtent, LastWhole, WholeEnd, FullCellsEnd, FullCount;
};

TEST(GridLayout, HorizontalAxisTable) {
  const LayoutCase cases[] = {
      {"defaults", [](TTestGrid*) {}, 65, 65, 320, 320, 3, 260, 320, 5},
      {"two fixed, one frozen", [](TTestGrid* g) { g->SetFixedCols(2), g->SetFrozenCols(1); }, 130, 65, 320, 320, 3, 325 - 65, 320, 5},
      {"one contra column", [](TTestGrid* g) { g->SetContraColCount(1); }, 65, 65, 254, 254, 2, 195, 320, 6},
      {"zero-width column", [](TTestGrid* g) { g->SetColWidths(2, 0); }, 65, 65, 261, 320, 4, 261, 261, 5},
      {"narrower than one cell", [](TTestGrid* g) { g->SetWidth(50); }, 65, 65, 50, 50, 1, 65, 50, 5},
      {"no lines", [](TTestGrid* g) { g->SetGridOptions({}); }, 64, 64, 320, 320, 4, 320, 320, 5},
      // More frozen columns than fixed ones: the layout keeps to the fixed cells.
      {"frozen beyond the columns", [](TTestGrid* g) { g->SetFrozenCols(7); }, 65, 0, 320, 320, 3, 260, 320, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto g = MakeGrid();
    c.Setup(g.get());
    TGridAxisLayoutEh h = g->Layout().Horz;
    EXPECT_EQ(h.FixedEnd, c.FixedEnd);
    EXPECT_EQ(h.FrozenStart, c.FrozenStart);
    EXPECT_EQ(h.CellsEnd, c.CellsEnd);
    EXPECT_EQ(h.DataExtent, c.DataExtent);
    EXPECT_EQ(h.LastWholeVisibleCell, c.LastWhole);
    EXPECT_EQ(h.WholeVisibleEnd, c.WholeEnd);
    EXPECT_EQ(h.FullCellsEnd, c.FullCellsEnd);
    EXPECT_EQ(h.FullCellCount, c.FullCount);
  }
}

TEST(GridLayout, FrozenCountKeepsItsValueAndTheGridStaysUsable) {
  auto g = MakeGrid();
  g->SetFrozenCols(5);
  EXPECT_EQ(g->FrozenCols(), 5);
  EXPECT_EQ(g->EffectiveFrozenCols(), 1);
  g->SetColCount(2);
  g->SetFixedCols(1);
  EXPECT_EQ(g->EffectiveFrozenCols(), 1);
  EXPECT_EQ(g->CellAtPoint(10, 10), (TGridCoord{0, 0}));
  EXPECT_EQ(g->VisibleColCount(), 1);
}

TEST(GridLayout, VisibleCountIsAtLeastOne) {
  auto g = MakeGrid(30, 30);
  EXPECT_EQ(g->VisibleColCount(), 1);
  EXPECT_EQ(g->VisibleRowCount(), 1);
  auto all = MakeGrid(1000, 1000);
  EXPECT_EQ(all->Layout().Vert.LastWholeVisibleCell, 4);
}

TEST(GridHitTest, CellsUnderPoints) {
  auto g = MakeGrid();
  g->SetContraColCount(1);
  struct {
    int X, Y;
    TGridCoord Cell;
  } cases[] = {
      {0, 0, {0, 0}},     {63, 23, {0, 0}},   {64, 24, {0, 0}},   // a line pixel belongs to the cell before it
      {65, 25, {1, 1}},   {200, 60, {3, 2}},  {253, 119, {3, 4}}, // partly visible column 3
      {254, 30, {3, 1}},  {255, 30, {5, 1}},  {319, 30, {5, 1}},                       // the contra column
      {-1, 10, {-1, -1}}, {10, -1, {-1, -1}}, {10, 130, {-1, -1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.X << "," << c.Y);
    EXPECT_EQ(g->CellAtPoint(c.X, c.Y), c.Cell);
  }
  g->SetLeftCol(3);
  EXPECT_EQ(g->CellAtPoint(70, 30), (TGridCoord{3, 1}));
  EXPECT_EQ(g->CellAtPoint(300, 30), (TGridCoord{5, 1}));
}

TEST(GridRects, CellAndBlockRectangles) {
  auto g = MakeGrid();
  EXPECT_EQ(g->CellClientRect(1, 1), TRect(65, 25, 129, 49));
  EXPECT_EQ(g->CellBlockRect(1, 1, 2, 2), TRect(65, 25, 194, 74));
  EXPECT_EQ(g->CellClientRect(0, 0), TRect(0, 0, 64, 24));
  // Partly visible last column: cut at the data edge.
  EXPECT_EQ(g->CellClientRect(4, 1), TRect(260, 25, 320, 49));
  // Inverted and scrolled-away blocks are empty.
  EXPECT_TRUE(g->CellBlockRect(2, 1, 1, 1).IsEmpty());
  g->SetColCount(10);
  g->SetLeftCol(3);
  EXPECT_TRUE(g->CellClientRect(2, 1).IsEmpty());
  EXPECT_EQ(g->CellBlockRect(1, 1, 4, 1), TRect(65, 25, 194, 49));
  EXPECT_TRUE(g->CellClientRect(9, 1).IsEmpty());
  // A contra column stays at the right edge whatever scrolls.
  g->SetContraColCount(1);
  EXPECT_EQ(g->CellClientRect(10, 1), TRect(255, 25, 319, 49));
}

TEST(GridCurrent, CurrentAnchorAndSelectionRules) {
  auto g = MakeGrid();
  ExpectGridError([&] { g->MoveCurrent(5, 1, true, false); }, SGridIndexOutOfRangeEh);
  g->MoveCurrent(2, 2, true, false);
  EXPECT_EQ(g->Selection(), (TCellBlockEh{2, 2, 2, 2}));
  // Range select without editing: the anchor moves and the block grows.
  g->MoveAnchor({3, 4});
  EXPECT_EQ(g->Current(), (TGridCoord{2, 2}));
  EXPECT_EQ(g->Selection(), (TCellBlockEh{2, 2, 3, 4}));
  // With editing the anchor request moves the current cell instead.
  g->SetGridOptions(g->GridOptions() + geoEditing);
  g->MoveAnchor({1, 1});
  EXPECT_EQ(g->Current(), (TGridCoord{1, 1}));
  EXPECT_EQ(g->Selection(), (TCellBlockEh{1, 1, 1, 1}));
  // Row select: current column at the fixed count, anchor at the last column.
  g->SetGridOptions(g->GridOptions() - geoEditing + geoRowSelect);
  g->MoveCurrent(3, 3, true, false);
  EXPECT_EQ(g->Current(), (TGridCoord{1, 3}));
  EXPECT_EQ(g->Anchor(), (TGridCoord{4, 3}));
  EXPECT_EQ(g->Selection(), (TCellBlockEh{1, 3, 4, 3}));
}

TEST(GridCounts, CountRules) {
  auto g = MakeGrid();
  g->SetColCount(0);
  EXPECT_EQ(g->ColCount(), 1);
  EXPECT_EQ(g->FixedCols(), 0);
  g->SetColCount(5);
  ExpectGridError([&] { g->SetFixedCols(5); }, SGridFixedColsTooBigEh);
  EXPECT_EQ(g->FixedCols(), 0);
  ExpectGridError([&] { g->SetFixedRows(-1); }, SGridIndexOutOfRangeEh);
  ExpectGridError([&] { g->SetContraColCount(-1); }, SGridContraColNegativeEh);
  ExpectGridError([&] { g->SetContraRowCount(-2); }, SGridContraRowNegativeEh);
  ExpectGridError([&] { g->SetColWidths(5, 10); }, SGridIndexOutOfRangeEh);

  g->SetRowCount(20);
  g->MoveCurrent(2, 15, true, false);
  g->SetRowCount(10);
  EXPECT_EQ(g->Current(), (TGridCoord{2, 9}));
  EXPECT_EQ(g->Anchor(), (TGridCoord{2, 9}));
}

TEST(GridCounts, HugeCountsFailCleanly) {
  auto g = MakeGrid();
  g->SetRowHeights(1, 30);
  ExpectGridError([&] { g->SetRowCount(200000000); }, SGridTooLargeEh);
  EXPECT_EQ(g->RowCount(), 5);
  EXPECT_EQ(g->RowHeights(1), 30);
  // Contra counts: the error reaches the caller and nothing of the change stays.
  g->SetColWidths(1, 40);
  ExpectGridError([&] { g->ChangeContraCounts(200000000, 0); }, SGridTooLargeEh);
  EXPECT_EQ(g->ContraColCount(), 0);
  EXPECT_EQ(g->ColWidthsArray()[0], 5);
}

TEST(GridCounts, HugeExtentsKeepTheGeometrySane) {
  auto g = MakeGrid();
  g->SetFixedCols(2);
  g->SetColWidths(0, 2000000000);
  g->SetColWidths(1, 2000000000);
  g->SetRowHeights(2, -2000000000);
  g->SetGridLineWidth(1 << 30);
  EXPECT_EQ(g->GridLineWidth(), 1000);
  TGridLayoutEh L = g->Layout();
  EXPECT_GT(L.Horz.FixedEnd, 0);
  EXPECT_EQ(L.Horz.CellsEnd, L.Horz.DataExtent);   // nothing scrollable fits
  EXPECT_EQ(g->CellAtPoint(5, 5), (TGridCoord{0, 0}));
  EXPECT_EQ(g->VisibleColCount(), 1);
}

TEST(GridCounts, ContraCellsGrowAtTheEndOfTheScrollableCells) {
  auto g = MakeGrid();
  g->SetContraColCount(1);
  g->SetColWidths(5, 30);   // the contra column
  g->SetColCount(7);
  EXPECT_EQ(g->ColWidthsArray()[0], 8);
  EXPECT_EQ(g->ColWidths(7), 30);   // the contra column moved along
  EXPECT_EQ(g->ColWidths(5), 64);
  g->MoveCurrent(6, 1, true, false);
  g->SetColCount(4);
  EXPECT_EQ(g->ColWidths(4), 30);
  EXPECT_EQ(g->Col(), 3);
}

TEST(GridExtents, ModifyExtentsTable) {
  TIntegerArray a;
  ModifyExtentsEh(a, 0, 3, 7);
  EXPECT_EQ(a, (TIntegerArray{3, 7, 7, 7}));
  a[2] = 1;
  ModifyExtentsEh(a, 1, 2, 9);
  EXPECT_EQ(a, (TIntegerArray{5, 7, 9, 9, 1, 7}));
  ModifyExtentsEh(a, 1, -2, 0);
  EXPECT_EQ(a, (TIntegerArray{3, 7, 1, 7}));
  ExpectGridError([&] { ModifyExtentsEh(a, 4, 1, 0); }, SGridIndexOutOfRangeEh);
  ExpectGridError([&] { ModifyExtentsEh(a, 2, -3, 0); }, SGridTooManyDeletedEh);
  ExpectGridError([&] { ModifyExtentsEh(a, 3, 134217725, 0); }, SGridTooLargeEh);
  ModifyExtentsEh(a, 0, -3, 0);
  EXPECT_TRUE(a.empty());
}

TEST(GridMoves, MoveColumnTwoToFive) {
  auto g = MakeGrid(800, 200);
  g->SetColCount(8);
  for (int i = 0; i < 8; ++i) g->SetColWidths(i, 10 + i);
  g->SetTabStops(3, false);
  g->MoveCurrent(3, 1, true, false);
  g->MoveColumn(2, 5);
  EXPECT_EQ(g->Col(), 2);
  EXPECT_EQ(g->ColWidths(2), 13);
  EXPECT_EQ(g->ColWidths(3), 14);
  EXPECT_EQ(g->ColWidths(4), 15);
  EXPECT_EQ(g->ColWidths(5), 12);
  EXPECT_FALSE(g->TabStops(2));
  ASSERT_EQ(g->Moves.size(), 1u);
  EXPECT_EQ(g->Moves[0], std::make_pair(2, 5));
  g->MoveCurrent(2, 1, true, false);
  g->MoveColumn(2, 5);
  EXPECT_EQ(g->Col(), 5);
  g->MoveColumn(5, 1);   // backwards: cells in between shift right
  EXPECT_EQ(g->Col(), 1);
  EXPECT_EQ(g->ColWidths(2), 11);
}

TEST(GridMoves, MaxTopLeftSkipsZeroCells) {
  auto g = MakeGrid(200, 120);
  g->SetColCount(10);
  // Columns 1..9 of 64: the last whole screen starts at column 8 (65 + 2*65 > 201).
  EXPECT_EQ(g->MaxTopLeftCell(9, 4).X, 8);
  g->SetColWidths(7, 0);
  EXPECT_EQ(g->MaxTopLeftCell(9, 4).X, 8);
  g->SetColWidths(9, 500);
  EXPECT_EQ(g->MaxTopLeftCell(9, 4).X, 9);
}

}  // namespace
