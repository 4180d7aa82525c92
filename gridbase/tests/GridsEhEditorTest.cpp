// The in-place editor over the current cell: loading, writing back on every
// change, read-only cells, keys handed to the grid; and the form-stream
// properties "ColWidths" and "RowHeights".
#include <memory>
#include "GridTestSupport.h"
#include "Streaming.h"
#include "Streams.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

struct EditorFixture : ::testing::Test {
  std::unique_ptr<TGridWindow> W;
  TTestGrid* G = nullptr;
  void SetUp() override {
    W = std::make_unique<TGridWindow>(400, 200);
    G = W->Grid;
    G->SetGridOptions(G->GridOptions() + geoEditing);
    G->Texts[{1, 1}] = "ab";
    G->Texts[{2, 1}] = "甲乙";
    PumpMessages(1);
  }
  HWND Edit() { return G->InplaceEditor()->Handle(); }
  void Char(HWND h, char32_t c) { SendMessageW(h, WM_CHAR, WPARAM(c), 0); }
  void KeyTo(HWND h, Word k) { SendMessageW(h, WM_KEYDOWN, k, 0); }
  DWORD SelStart() {
    DWORD s = 0, e = 0;
    SendMessageW(Edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    return s;
  }
  DWORD SelEnd() {
    DWORD s = 0, e = 0;
    SendMessageW(Edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    return e;
  }
};

TEST_F(EditorFixture, EveryKeystrokeIsWrittenBack) {
  G->SetEditorMode(true);
  ASSERT_NE(G->InplaceEditor(), nullptr);
  EXPECT_TRUE(G->InplaceEditor()->IsWindowShown());
  EXPECT_EQ(G->InplaceEditor()->Text(), "ab");
  EXPECT_TRUE(G->Stored.empty());   // loading the cell is no edit of it
  Char(Edit(), U'c');
  Char(Edit(), U'丙');
  ASSERT_EQ(G->Stored.size(), 2u);
  EXPECT_EQ(G->Stored[0].second, "abc");
  EXPECT_EQ(G->Stored[1].second, "abc丙");
  G->SetEditorMode(false);
  ASSERT_EQ(G->Stored.size(), 3u);   // hiding writes the text once more
  EXPECT_EQ(G->Texts[(std::pair<int, int>{1, 1})], "abc丙");
  EXPECT_FALSE(G->InplaceEditor()->IsWindowShown());
  EXPECT_EQ(G->InplaceCol(), -1);
}

TEST_F(EditorFixture, TypingOnTheGridOpensTheEditorWithThatKey) {
  G->Perform(WM_CHAR, WPARAM(U'x'), 0);
  PumpMessages(1);
  ASSERT_NE(G->InplaceEditor(), nullptr);
  EXPECT_TRUE(G->EditorMode());
  EXPECT_EQ(G->InplaceEditor()->Text(), "x");
  // Enter on the grid toggles the editor.
  G->SetEditorMode(false);
  G->Perform(WM_CHAR, 13, 0);
  EXPECT_TRUE(G->EditorMode());
  EXPECT_EQ(G->InplaceEditor()->Text(), "x");
}

TEST_F(EditorFixture, ReadOnlyCellTakesNoChange) {
  G->MaxLength = -1;
  G->SetEditorMode(true);
  EXPECT_FALSE(G->CanEditModify());
  HWND e = Edit();
  Char(e, U'z');
  Char(e, 8);
  KeyTo(e, VK_DELETE);
  SendMessageW(e, WM_CLEAR, 0, 0);
  SendMessageW(e, WM_CUT, 0, 0);
  EXPECT_EQ(G->InplaceEditor()->Text(), "ab");
  EXPECT_TRUE(G->Stored.empty());
  // Navigation still works: Down goes to the grid.
  KeyTo(e, VK_DOWN);
  EXPECT_EQ(G->Row(), 2);
}

TEST_F(EditorFixture, EnterSelectsAndUnselects) {
  G->SetGridOptions(G->GridOptions() + geoAlwaysShowEditor);
  G->SetEditorMode(true);
  G->InplaceEditor()->SelectAll();
  Char(Edit(), 13);
  EXPECT_EQ(SelStart(), 2u);
  EXPECT_EQ(SelEnd(), 2u);
  Char(Edit(), 13);
  EXPECT_EQ(SelStart(), 0u);
  EXPECT_EQ(SelEnd(), 2u);
  EXPECT_EQ(G->InplaceEditor()->Text(), "ab");
}

TEST_F(EditorFixture, LeftAtTheStartLeavesOnlyWithAlwaysShownEditor) {
  G->FocusCell(2, 1, true);
  G->SetEditorMode(true);
  SendMessageW(Edit(), EM_SETSEL, 0, 0);
  KeyTo(Edit(), VK_LEFT);
  EXPECT_EQ(G->Col(), 2);
  G->SetGridOptions(G->GridOptions() + geoAlwaysShowEditor);
  G->SetEditorMode(true);
  ::SetFocus(Edit());
  SendMessageW(Edit(), EM_SETSEL, 0, 0);
  KeyTo(Edit(), VK_LEFT);
  EXPECT_EQ(G->Col(), 1);
}

TEST_F(EditorFixture, F2HandledByTheGridsEventStops) {
  G->SetEditorMode(true);
  G->InplaceEditor()->SelectAll();
  G->OnKeyDown = [](TObject*, Word& k, TShiftState) {
    if (k == VK_F2) k = 0;
  };
  KeyTo(Edit(), VK_F2);
  EXPECT_EQ(SelEnd() - SelStart(), 2u);   // not unselected
  G->OnKeyDown = nullptr;
  KeyTo(Edit(), VK_F2);
  EXPECT_EQ(SelEnd(), SelStart());
}

// ---------------------------------------------------------------------------
// Streaming

String WriteExtents(TTestGrid* g) {
  TStringStream s;
  TWriter w(&s);
  w.WriteDefinedProperties(g);
  w.WriteListEnd();
  return s.DataString();
}

void ReadExtents(TTestGrid* g, const String& data) {
  TStringStream s(data);
  TReader r(&s);
  while (!r.EndOfList()) r.ReadProperty(g);
  r.ReadListEnd();
}

TEST(GridCounts, ShrinkingKeepsTheRemainingExtents) {
  TTestGrid g;
  g.SetColWidths(1, 30);
  g.SetRowHeights(1, 40);
  g.SetColCount(3);
  g.SetRowCount(2);
  EXPECT_EQ(g.ColWidths(1), 30);
  EXPECT_EQ(g.RowHeights(1), 40);
  g.SetColCount(6);
  EXPECT_EQ(g.ColWidths(5), 64);
}

TEST(GridStreaming, ColWidthsAndRowHeights) {
  TTestGrid a;
  EXPECT_EQ(WriteExtents(&a), String(1, '\0'));   // nothing but the list end
  a.SetColWidths(2, 30);
  a.SetRowHeights(4, 40);
  String data = WriteExtents(&a);
  EXPECT_NE(data.find("ColWidths"), String::npos);
  EXPECT_NE(data.find("RowHeights"), String::npos);
  TTestGrid b;
  ReadExtents(&b, data);
  ASSERT_FALSE(b.ColWidthsArray().empty());
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(b.ColWidths(i), i == 2 ? 30 : 64);
    EXPECT_EQ(b.RowHeights(i), i == 4 ? 40 : 24);
  }
  // With StoreCellExtents off neither is written or read.
  a.SetStoreCellExtents(false);
  EXPECT_EQ(WriteExtents(&a), String(1, '\0'));
  TTestGrid c;
  c.SetStoreCellExtents(false);
  EXPECT_THROW(ReadExtents(&c, data), EReadError);
  EXPECT_TRUE(c.ColWidthsArray().empty());
}

}  // namespace
