// The base grid as a real window under Xvfb: painting (pixel probes and a
// PNG), keyboard, scroll bars, mouse selection, sizing, moving and the
// auto-scroll timer.
#include <memory>
#include "GridTestSupport.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

// What the grid paints, through its own WM_PAINT into a bitmap.
std::unique_ptr<TBitmap> Snapshot(TTestGrid* g) {
  auto bmp = std::make_unique<TBitmap>(g->Width(), g->Height(), pf24bit);
  g->PaintTo(bmp->Canvas()->Handle(), 0, 0);
  return bmp;
}

COLORREF Px(TBitmap* b, int x, int y) { return GetPixel(b->Canvas()->Handle(), x, y); }
COLORREF Rgb(TColor c) { return ColorToRGB(c); }

struct PaintFixture : ::testing::Test {
  std::unique_ptr<TGridWindow> W;
  TTestGrid* G = nullptr;
  void SetUp() override {
    W = std::make_unique<TGridWindow>(340, 140);
    G = W->Grid;
    G->SetBorderStyle(bsNone);
    G->SetScrollBars(ssNone);
    PumpMessages(1);
  }
};

TEST_F(PaintFixture, GridLinesAndFixedCells) {
  auto b = Snapshot(G);
  EXPECT_EQ(Px(b.get(), 129, 30), Rgb(clSilver));   // line between data columns
  EXPECT_EQ(Px(b.get(), 100, 49), Rgb(clSilver));   // line between data rows
  EXPECT_EQ(Px(b.get(), 64, 30), Rgb(clBlack));     // line right of the fixed column
  EXPECT_EQ(Px(b.get(), 30, 30), Rgb(clBtnFace));   // inside a fixed cell
  EXPECT_EQ(Px(b.get(), 100, 60), Rgb(clWindow));   // inside a data cell
  EXPECT_EQ(Px(b.get(), 335, 30), Rgb(clWindow));   // beyond the last column

  // Data lines off, fixed lines on: the room stays, in the grid's colour.
  G->SetGridOptions(G->GridOptions() - geoVertLine);
  b = Snapshot(G);
  EXPECT_EQ(Px(b.get(), 129, 30), Rgb(clWindow));
  EXPECT_EQ(G->CellClientRect(2, 1).Left, 130);

  // No lines: cells touch.
  G->SetGridLineWidth(0);
  EXPECT_EQ(G->CellClientRect(2, 1).Left, 128);

  // Flat look and silver grids.
  G->SetGridLineWidth(1);
  G->SetGridOptions(G->GridOptions() + geoVertLine);
  G->SetFlat(true);
  G->SetColor(clSilver);
  b = Snapshot(G);
  EXPECT_EQ(Px(b.get(), 64, 30), Rgb(clGray));
  EXPECT_EQ(Px(b.get(), 129, 30), Rgb(clGray));
  EXPECT_EQ(G->FlatLineColor(), clGray);
}

TEST_F(PaintFixture, FrozenColumnsAndSeparator) {
  G->SetFixedCols(2);
  G->SetFrozenCols(1);
  auto b = Snapshot(G);
  EXPECT_EQ(Px(b.get(), 30, 60), Rgb(clBtnFace));   // non-frozen fixed column
  EXPECT_EQ(Px(b.get(), 100, 60), Rgb(clWindow));   // the frozen column paints as data
  EXPECT_EQ(Px(b.get(), 129, 60), Rgb(clBlack));    // frozen separator
  // A frozen count beyond the columns paints as one frozen column.
  G->SetFrozenCols(9);
  b = Snapshot(G);
  EXPECT_EQ(Px(b.get(), 30, 60), Rgb(clWindow));
}

TEST_F(PaintFixture, SelectionHighlight) {
  G->MoveCurrent(1, 1, true, false);
  G->MoveAnchor({2, 2});
  auto b = Snapshot(G);
  EXPECT_EQ(Px(b.get(), 150, 60), Rgb(clHighlight));   // selected, not focused
  EXPECT_EQ(Px(b.get(), 100, 30), Rgb(clWindow));      // focused cell of the block: plain
  G->SetGridOptions(G->GridOptions() + geoDrawFocusSelected);
  b = Snapshot(G);
  EXPECT_EQ(Px(b.get(), 100, 30), Rgb(clHighlight));
}

TEST_F(PaintFixture, ContraRowsAndColumnsStayAtTheEdges) {
  G->SetRowCount(30);
  G->SetContraRowCount(1);
  G->SetContraColCount(1);
  G->SetTopRow(10);
  auto b = Snapshot(G);
  // The contra column's separator line and its cells at the right edge.
  TGridLayoutEh L = G->Layout();
  EXPECT_EQ(Px(b.get(), L.Horz.ContraStart, 60), Rgb(clBlack));
  EXPECT_EQ(Px(b.get(), L.Horz.ContraStart + 10, 60), Rgb(clWindow));
  EXPECT_EQ(Px(b.get(), 100, L.Vert.ContraStart), Rgb(clBlack));
  EXPECT_EQ(G->CellAtPoint(100, L.Vert.ContraStart + 5), (TGridCoord{1, 30}));
}

TEST(GridPicture, WindowWrittenAsPng) {
  TGridWindow w(420, 200);
  TTestGrid* g = w.Grid;
  g->DrawText = true;
  g->SetColCount(6);
  g->SetRowCount(12);
  g->SetFixedCols(2);
  g->SetFrozenCols(1);
  g->SetContraRowCount(1);
  for (int c = 0; c < 6; ++c)
    for (int r = 0; r < 13; ++r) g->Texts[{c, r}] = r == 0 ? "列" + std::to_string(c) : std::to_string(c) + "," + std::to_string(r);
  g->Texts[{2, 12}] = "合计";
  g->MoveCurrent(3, 2, true, false);
  g->MoveAnchor({4, 4});
  PumpMessages();
  std::string path = WriteWindowPng(g, "gridbase_grid");
  EXPECT_FALSE(path.empty());
}

// ---------------------------------------------------------------------------
// Keyboard and scroll bars

struct KeyFixture : ::testing::Test {
  std::unique_ptr<TGridWindow> W;
  TTestGrid* G = nullptr;
  void SetUp() override {
    W = std::make_unique<TGridWindow>(400, 11 * 25 + 4 + 16);   // borders, a header, 10 whole rows, a bar
    G = W->Grid;
    PumpMessages(1);
  }
  void Key(Word k, TShiftState s = {}) { G->KeyDown(k, s); }
};

TEST_F(KeyFixture, TabWrapsAndTabStops) {
  G->SetGridOptions(G->GridOptions() + geoTabs);
  G->FocusCell(4, 4, true);
  Key(VK_TAB);
  EXPECT_EQ(G->Current(), (TGridCoord{1, 1}));
  Key(VK_TAB, {ssShift});
  EXPECT_EQ(G->Current(), (TGridCoord{4, 4}));
  EXPECT_EQ(G->Anchor(), G->Current());   // Shift+Tab moves the anchor too
  Key(VK_TAB, {ssCtrl});
  EXPECT_EQ(G->Current(), (TGridCoord{4, 4}));   // Ctrl+Tab is not the grid's
  G->SetTabStops(1, false);
  G->FocusCell(4, 1, true);
  Key(VK_TAB);
  EXPECT_EQ(G->Current(), (TGridCoord{2, 2}));
  for (int c = 0; c < 5; ++c) G->SetTabStops(c, false);
  Key(VK_TAB);
  EXPECT_EQ(G->Current(), (TGridCoord{2, 2}));
}

TEST_F(KeyFixture, PagesHomeEndAndScrollOnly) {
  G->SetRowCount(100);
  ASSERT_EQ(G->VisibleRowCount(), 10);
  Key(VK_NEXT);
  EXPECT_EQ(G->Row(), 10);   // LastWholeVisibleCell - TopRow = 9 rows
  EXPECT_EQ(G->TopRow(), 10);
  Key(VK_DOWN, {ssCtrl});
  EXPECT_EQ(G->TopRow(), 11);
  EXPECT_EQ(G->Row(), 10);
  Key(VK_END, {ssCtrl});
  EXPECT_EQ(G->Current(), (TGridCoord{4, 99}));
  EXPECT_EQ(G->TopRow(), 90);
  Key(VK_HOME);
  EXPECT_EQ(G->Col(), 1);
  Key(VK_HOME, {ssCtrl});
  EXPECT_EQ(G->Current(), (TGridCoord{1, 1}));
  Key(VK_PRIOR);
  EXPECT_EQ(G->Row(), 1);
  // Row select: left and right change the row.
  G->SetGridOptions(G->GridOptions() + geoRowSelect);
  Key(VK_RIGHT);
  EXPECT_EQ(G->Current(), (TGridCoord{1, 2}));
  Key(VK_LEFT);
  EXPECT_EQ(G->Current(), (TGridCoord{1, 1}));
}

TEST_F(KeyFixture, ShiftArrowsExtendTheSelection) {
  Key(VK_RIGHT, {ssShift});
  Key(VK_DOWN, {ssShift});
  EXPECT_EQ(G->Selection(), (TCellBlockEh{1, 1, 2, 2}));
  Key(VK_DOWN);
  EXPECT_EQ(G->Selection(), (TCellBlockEh{2, 3, 2, 3}));
}

TEST_F(KeyFixture, ScrollBarRanges) {
  HWND h = G->Handle();
  int lo = 0, hi = 0;
  GetScrollRange(h, SB_VERT, &lo, &hi);
  EXPECT_EQ(hi, 0);   // every row fits: no bar
  G->SetRowCount(1000);
  GetScrollRange(h, SB_VERT, &lo, &hi);
  EXPECT_EQ(hi, 127);
  Integer maxTop = G->MaxTopLeftCell(4, 999).Y;
  G->ModifyScrollBar(SB_VERT, SB_THUMBPOSITION, 127);
  EXPECT_EQ(G->TopRow(), maxTop);
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 127);
  // Dragging the thumb scrolls only with thumb tracking.
  G->ModifyScrollBar(SB_VERT, SB_THUMBTRACK, 0);
  EXPECT_EQ(G->TopRow(), maxTop);
  G->SetGridOptions(G->GridOptions() + geoThumbTracking);
  G->ModifyScrollBar(SB_VERT, SB_THUMBTRACK, 0);
  EXPECT_EQ(G->TopRow(), 1);
  G->ModifyScrollBar(SB_VERT, SB_PAGEDOWN, 0);
  EXPECT_EQ(G->TopRow(), 10);
  G->ModifyScrollBar(SB_VERT, SB_LINEUP, 0);
  EXPECT_EQ(G->TopRow(), 9);
  // A line step skips rows of zero height.
  G->SetRowHeights(10, 0);
  G->SetRowHeights(11, 0);
  G->ModifyScrollBar(SB_VERT, SB_LINEDOWN, 0);
  EXPECT_EQ(G->TopRow(), 12);
  G->Perform(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
  EXPECT_EQ(G->TopRow(), 1);
}

TEST_F(KeyFixture, OneColumnGridScrollsByPixels) {
  G->SetFixedCols(0);
  G->SetColCount(1);
  G->SetColWidths(0, 1000);
  HWND h = G->Handle();
  int lo = 0, hi = 0;
  GetScrollRange(h, SB_HORZ, &lo, &hi);
  RECT r;
  GetClientRect(h, &r);
  EXPECT_EQ(hi, 1000 - r.right);
  G->ModifyScrollBar(SB_HORZ, SB_THUMBPOSITION, 50);
  EXPECT_EQ(G->HorzPixelOffset(), 50);
  G->ModifyScrollBar(SB_HORZ, SB_RIGHT, 0);
  EXPECT_EQ(G->HorzPixelOffset(), 1000 - r.right);
}

// ---------------------------------------------------------------------------
// Mouse

struct MouseFixture : ::testing::Test {
  std::unique_ptr<TGridWindow> W;
  TTestGrid* G = nullptr;
  void SetUp() override {
    W = std::make_unique<TGridWindow>(340, 11 * 25 + 4);
    G = W->Grid;
    G->SetBorderStyle(bsNone);
    PumpMessages(1);
  }
  void Down(int x, int y, WPARAM keys = MK_LBUTTON) { G->Perform(WM_LBUTTONDOWN, keys, MAKELPARAM(x, y)); }
  void Move(int x, int y) { G->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y)); }
  void Up(int x, int y) { G->Perform(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
};

TEST_F(MouseFixture, ClickAndDragSelect) {
  Down(100, 30);
  EXPECT_EQ(G->GridState(), gsSelectingEh);
  Move(200, 80);
  Up(200, 80);
  EXPECT_EQ(G->GridState(), gsNormalEh);
  EXPECT_EQ(G->Selection(), (TCellBlockEh{1, 1, 3, 3}));
  // Shift+click moves the anchor.
  Down(80, 105, MK_LBUTTON | MK_SHIFT);
  Up(80, 105);
  EXPECT_EQ(G->Selection(), (TCellBlockEh{1, 1, 1, 4}));
}

TEST_F(MouseFixture, AutoScrollOneRowPerTick) {
  G->SetRowCount(30);
  Down(100, 30);
  EXPECT_TRUE(G->ScrollTimerRunning());
  EXPECT_EQ(G->TimerPeriod, 60u);
  G->UseFakeCursor = true;
  G->FakeCursor = {100, G->Height() + 20};   // below the grid
  for (int tick = 0; tick < 3; ++tick) G->Perform(WM_TIMER, 1, 0);
  EXPECT_EQ(G->Selection(), (TCellBlockEh{1, 1, 1, 4}));
  for (int tick = 0; tick < 40; ++tick) G->Perform(WM_TIMER, 1, 0);
  EXPECT_EQ(G->Anchor().Y, 29);   // stops at the last row
  EXPECT_EQ(G->TopRow(), G->MaxTopLeftCell(1, 29).Y);
  Up(100, 30);
  EXPECT_FALSE(G->ScrollTimerRunning());
  G->UseFakeCursor = false;
}

TEST_F(MouseFixture, ColumnDragScrollsAtTheEdges) {
  G->SetColCount(12);
  G->SetGridOptions(G->GridOptions() + geoColMoving);
  Down(100, 10);   // column 1
  EXPECT_TRUE(G->ScrollTimerRunning());
  G->UseFakeCursor = true;
  G->FakeCursor = {G->Width() + 30, 10};   // right of the cells
  for (int tick = 0; tick < 3; ++tick) G->Perform(WM_TIMER, 1, 0);
  EXPECT_EQ(G->LeftCol(), 1 + 3 - 1);   // the first tick reaches the edge, each next one scrolls
  G->FakeCursor = {20, 10};   // back over the fixed column
  for (int tick = 0; tick < 10; ++tick) G->Perform(WM_TIMER, 1, 0);
  EXPECT_EQ(G->LeftCol(), 1);
  Up(20, 10);
  EXPECT_FALSE(G->ScrollTimerRunning());
  ASSERT_EQ(G->Moves.size(), 0u);   // dropped where it started
  G->UseFakeCursor = false;
}

TEST_F(MouseFixture, WheelMovesTheCurrentRow) {
  G->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
  EXPECT_EQ(G->Row(), 2);
  G->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  G->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(G->Row(), 1);
}

TEST_F(MouseFixture, SizingZoneAndNewWidth) {
  G->SetGridOptions(G->GridOptions() + geoColSizing);
  TGridLayoutEh L = G->Layout();
  TGridStateEh state;
  Integer index, pos, ofs;
  // The line after column 1 starts at 129: the zone runs from 126 to 132.
  for (int x : {126, 129, 132}) {
    G->Perform(WM_NCHITTEST, 0, 0);
    TGridStateEh s;
    Integer i, p, o;
    struct Probe : TTestGrid {
      using TCustomGridEh::DetectSizingState;
    };
    static_cast<Probe*>(G)->DetectSizingState(x, 10, L, s, i, p, o);
    EXPECT_EQ(s, gsColSizingEh) << x;
    EXPECT_EQ(i, 1) << x;
    EXPECT_EQ(p, 129) << x;
  }
  struct Probe : TTestGrid {
    using TCustomGridEh::DetectSizingState;
  };
  static_cast<Probe*>(G)->DetectSizingState(125, 10, L, state, index, pos, ofs);
  EXPECT_EQ(index, -1);   // just before the zone
  static_cast<Probe*>(G)->DetectSizingState(133, 10, L, state, index, pos, ofs);
  EXPECT_EQ(state, gsNormalEh);
  static_cast<Probe*>(G)->DetectSizingState(129, 40, L, state, index, pos, ofs);
  EXPECT_EQ(state, gsNormalEh);   // not in the fixed row

  Down(129, 10);
  EXPECT_EQ(G->GridState(), gsColSizingEh);
  Move(150, 10);
  Up(150, 10);
  EXPECT_EQ(G->ColWidths(1), 85);
  // Dragging an edge to one pixel or less changes nothing.
  Down(150, 10);
  Move(66, 10);
  Up(66, 10);
  EXPECT_EQ(G->ColWidths(1), 85);
}

TEST_F(MouseFixture, ColumnMovingAndRefusedDrop) {
  G->SetGridOptions(G->GridOptions() + geoColMoving);
  G->SetColWidths(2, 50);
  Down(100, 10);   // fixed row, column 1
  EXPECT_EQ(G->GridState(), gsColMovingEh);
  Move(220, 10);   // column 3 (181..244)
  Up(220, 10);
  EXPECT_EQ(G->ColWidths(3), 64);
  EXPECT_EQ(G->ColWidths(1), 50);   // column 1 went to 3
  ASSERT_EQ(G->Moves.size(), 1u);
  EXPECT_EQ(G->Moves[0], std::make_pair(1, 3));
  G->OnEndColumnDrag = [](Integer&, Integer&) { return false; };
  Down(100, 10);
  Move(250, 10);
  Up(250, 10);
  EXPECT_EQ(G->Moves.size(), 1u);
}

TEST_F(MouseFixture, CellClicksAndMouseDownErrors) {
  std::vector<TGridCoord> clicks;
  G->OnCellMouseClick = [&](TCustomGridEh*, TGridCoord c, TMouseButton, TShiftState, Integer x, Integer y) {
    clicks.push_back(c);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 5);
  };
  Down(10, 5);   // fixed cell: no state starts
  Up(10, 5);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0], (TGridCoord{0, 0}));
  Down(75, 30);   // starts a drag selection: no cell click
  Up(75, 30);
  EXPECT_EQ(clicks.size(), 1u);
  // An error of the OnMouseDown handler does not stop the grid.
  G->OnMouseDown = [](TObject*, TMouseButton, TShiftState, Integer, Integer) { throw Exception("handler failed"); };
  Down(200, 80);
  Up(200, 80);
  EXPECT_EQ(G->Current(), (TGridCoord{3, 3}));
}

TEST_F(MouseFixture, FrozenColumnsTakeSelectionFixedOnesStartRowDrags) {
  G->SetFixedCols(2);
  G->SetFrozenCols(1);
  Down(100, 60);   // frozen column 1
  Up(100, 60);
  EXPECT_EQ(G->Current(), (TGridCoord{1, 2}));
  Down(30, 60);   // non-frozen fixed column: nothing without row moving
  EXPECT_EQ(G->GridState(), gsNormalEh);
  Up(30, 60);
  G->SetGridOptions(G->GridOptions() + geoRowMoving);
  Down(30, 60);
  EXPECT_EQ(G->GridState(), gsRowMovingEh);
  G->Perform(WM_CANCELMODE);
  EXPECT_EQ(G->GridState(), gsNormalEh);
}

}  // namespace
