// Multi-line titles (the head tree from the captions, level heights and the
// painted bands) and sort markers in titles.
#include <memory>

#include "DBGridEh.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "SysUtils.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

// The tree as text: node[children,...].
String TreeText(const THeadTreeNode* n) {
  String s = n->Text;
  if (n->FirstChild) {
    s += "[";
    const THeadTreeNode* c = n->FirstChild;
    do {
      if (c != n->FirstChild) s += ",";
      s += TreeText(c);
      c = c->NextSibling;
    } while (c != n->FirstChild);
    s += "]";
  }
  return s;
}

class TitleFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Form.reset(new TForm(nullptr));
    Form->SetBounds(40, 40, 520, 260);
    Grid = new TDBGridEh(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, 500, 220);
    Grid->Font()->SetName("宋体");
    Grid->Font()->SetHeight(-12);
    Grid->TitleFont()->SetName("宋体");
    Grid->TitleFont()->SetHeight(-12);
    Form->Show();
    PumpMessages();
  }
  void TearDown() override { Form.reset(); }
  // Persistent columns of width 60 with these captions.
  void SetCaptions(std::initializer_list<const char*> captions) {
    Grid->BeginLayout();
    Grid->Columns()->Clear();
    for (const char* c : captions) {
      TColumnEh* col = Grid->Columns()->Add();
      col->SetWidth(60);
      col->Title()->SetCaption(c);
    }
    Grid->EndLayout();
  }
  String Build(std::initializer_list<const char*> captions) {
    SetCaptions(captions);
    Grid->HeadTree()->BuildFromColumns(Grid);
    return TreeText(Grid->HeadTree());
  }
  std::unique_ptr<TForm> Form;
  TDBGridEh* Grid = nullptr;
};

TEST_F(TitleFixture, TreeFromCaptions) {
  struct Case {
    std::initializer_list<const char*> captions;
    const char* tree;
  } cases[] = {
      {{"A|x", "A|y", "z"}, "Root[A[x,y],z]"},
      {{"A|x", "B|y"}, "Root[A[x],B[y]]"},
      {{"A|B|x", "A|B|y", "A|z"}, "Root[A[B[x,y],z]]"},
      {{"A|x", "A"}, "Root[A[x,]]"},
      {{"a", "b", "c"}, "Root[a,b,c]"},
      // A word repeated in columns that are not adjacent forms two groups.
      {{"A|x", "b", "A|y"}, "Root[A[x],b,A[y]]"},
      // Words under different groups never join (no error, nothing lost).
      {{"A|B|x", "B|y"}, "Root[A[B[x]],B[y]]"},
      {{"单价|含税", "单价|不含税", "数量"}, "Root[单价[含税,不含税],数量]"},
  };
  for (const Case& c : cases) EXPECT_EQ(Build(c.captions), c.tree);
}

TEST_F(TitleFixture, GroupWidthsCoverTheirColumnsAndLines) {
  Build({"A|x", "A|y", "z"});
  EXPECT_EQ(Grid->HeadTree()->FirstChild->Width, 60 + 60 + 1);
  Grid->SetOptions(Grid->Options() - dgColLines);
  Build({"A|x", "A|y", "z"});
  EXPECT_EQ(Grid->HeadTree()->FirstChild->Width, 120);
  // A hidden column adds nothing to its group.
  Grid->SetOptions(Grid->Options() + dgColLines);
  SetCaptions({"A|x", "A|y"});
  Grid->Columns()->Item(1)->SetVisible(false);
  Grid->HeadTree()->BuildFromColumns(Grid);
  EXPECT_EQ(Grid->HeadTree()->FirstChild->Width, 60);
}

TEST(HeadTreeNode, OperationsCheckTheirNodes) {
  THeadTreeNode root("Root", 10, 0);
  THeadTreeNode* a = root.AddChild(&root, "a", 20, 10);
  THeadTreeNode* b = root.AddChild(&root, "b", 20, 10);
  THeadTreeNode stranger;
  EXPECT_THROW(root.AddChild(&stranger, "x", 1, 1), Exception);
  EXPECT_THROW(root.Union(b, a, "g", 5), Exception);   // a is not after b
  EXPECT_EQ(THeadTreeNode::Level(a), 1);
  THeadTreeNode* g = root.Union(a, b, "g", 5);
  EXPECT_EQ(THeadTreeNode::Level(a), 2);
  EXPECT_EQ(g->Width, 20);
  EXPECT_EQ(a->Height, 15);
  EXPECT_TRUE(root.Find(b));
  EXPECT_FALSE(root.Find(&stranger));
}

TEST(HeadTreeNode, Words) {
  Integer pos;
  EXPECT_EQ(NthWordWithPos(2, "|A||b|", "|", pos), "b");
  EXPECT_EQ(pos, 5);
  EXPECT_EQ(NthWord(1, "单价|含税", "|"), "单价");
  EXPECT_EQ(NthWord(3, "a|b", "|"), "");
  EXPECT_EQ(NthWordStart(1, "", "|"), 0);
}

TEST_F(TitleFixture, MultiTitleHeightsAndBandsPainted) {
  auto data = std::make_unique<TMemDataSet>();
  data->FieldDefs().Add("Net", ftFloat);
  data->FieldDefs().Add("Gross", ftFloat);
  data->FieldDefs().Add("Qty", ftInteger);
  data->CreateDataSet();
  data->AppendRecord({Variant(1.5), Variant(1.75), Variant(3)});
  TDataSource src;
  src.SetDataSet(data.get());
  Grid->SetDataSource(&src);
  Integer single = Grid->TitleRowHeight();
  Grid->BeginLayout();
  Grid->Columns()->RebuildColumns();
  Grid->Columns()->Item(0)->Title()->SetCaption("单价|不含税");
  Grid->Columns()->Item(1)->Title()->SetCaption("单价|含税");
  Grid->Columns()->Item(2)->Title()->SetCaption("数量");
  Grid->SetUseMultiTitle(true);
  Grid->EndLayout();
  // Two levels: each a margin plus a line of text.
  EXPECT_GT(Grid->TitleRowHeight(), 2 * single);
  EXPECT_EQ(Grid->RowHeights(0), Grid->TitleRowHeight());
  THeadTreeNode* leaf = Grid->LeafOfColumn(0);
  ASSERT_NE(leaf, nullptr);
  EXPECT_EQ(leaf->Text, "不含税");
  EXPECT_EQ(leaf->Parent->Text, "单价");
  EXPECT_EQ(leaf->Height + leaf->Parent->Height, Grid->HeadTreeHeight(Grid->HeadTree()));
  // Titles without their own alignment are centred under multi-line titles.
  EXPECT_EQ(Grid->Columns()->Item(2)->Title()->Alignment(), taCenter);
  Grid->Invalidate();
  PumpMessages();
  WriteWindowPng(Grid, "dbgrid_multititle");
  // The group text is drawn across the two columns' band: dark pixels in
  // the upper half of the title over the line between them.
  TRect c0 = Grid->CellClientRect(1, 0);
  int dark = 0;
  for (int x = c0.Right - 12; x < c0.Right + 12; ++x)
    for (int y = c0.Top + 2; y < c0.Top + (c0.Bottom - c0.Top) / 2; ++y) {
      COLORREF p = ClientPixel(Grid, x, y);
      if (GetRValue(p) < 80 && GetGValue(p) < 80 && GetBValue(p) < 80) ++dark;
    }
  EXPECT_GT(dark, 10);
  Grid->SetUseMultiTitle(false);
  EXPECT_EQ(Grid->LeafOfColumn(0), nullptr);
  EXPECT_EQ(Grid->Columns()->Item(2)->Title()->Alignment(), taLeftJustify);
  Grid->SetDataSource(nullptr);
}

TEST_F(TitleFixture, SortIndexShownOnlyForTwoOrMoreMarks) {
  SetCaptions({"a", "b", "c"});
  Grid->SetOptionsEh(Grid->OptionsEh() + dghMultiSortMarking);
  TColumnEh* a = Grid->Columns()->Item(0);
  TColumnEh* b = Grid->Columns()->Item(1);
  a->SetWidth(100);
  a->Title()->SetSortMarker(smDownEh);
  EXPECT_EQ(a->SortMarkerAreaWidth(), 16);
  b->Title()->SetSortMarker(smUpEh);
  EXPECT_EQ(a->Title()->SortIndex(), 1);
  EXPECT_EQ(b->Title()->SortIndex(), 2);
  Grid->Canvas()->Font()->Assign(SortIndexFontEh());
  Integer t = Grid->Canvas()->TextWidth("1");
  EXPECT_EQ(a->SortMarkerAreaWidth(), 16 + t);
  // A narrow column gives up the marker's room first.
  a->SetWidth(20);
  if (16 + t > 16) EXPECT_EQ(a->SortMarkerAreaWidth(), 16 + t - 14);
  Grid->Invalidate();
  PumpMessages();
  WriteWindowPng(Grid, "dbgrid_sortmarkers");
}

}   // namespace
