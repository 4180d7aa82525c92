// Multi-line titles (the head tree from the captions, level heights and the
// painted bands) and sort markers in titles.
#include <algorithm>
#include <memory>

#include "DBEhTestSupport.h"
#include "DBGridEh.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "SysUtils.h"
#include "TestWindows.h"
#include "Themes.h"
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

// The tests bring their own datasets where they need one.
class TitleFixture : public GridFormFixture<TDBGridEh> {
 protected:
  void SetUp() override { MakeGrid({}, 500, 220, true); }
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

// A group band wears the fixed cells' frame: raised, and in a flat grid
// only its upper edge, the lower one going in the band's colour.
TEST_F(TitleFixture, BandsAreFramedAsFixedCells) {
  SetThemesEnabledOverride(false);
  SetCaptions({"单价|不含税", "单价|含税", "数量"});
  Grid->SetOptionsEh(Grid->OptionsEh() + dghFixed3D);
  Grid->SetOptions(Grid->Options() + dgRowLines + dgColLines);
  Grid->SetUseMultiTitle(true);
  for (bool flat : {false, true}) {
    Grid->SetFlat(flat);
    Grid->Invalidate();
    PumpMessages();
    THeadTreeNode* leaf = Grid->LeafOfColumn(0);   // each layout builds the tree again
    ASSERT_TRUE(leaf && leaf->Parent);
    TRect cell = Grid->CellClientRect(1, 0);
    Integer leafTop = std::max<Integer>(cell.Top + 1, cell.Bottom - 1 - leaf->Height + 3);
    Integer bandTop = leafTop - leaf->Parent->Height, bandBottom = leafTop - 1;
    Integer x = cell.Left + 10;
    EXPECT_EQ(ClientPixel(Grid, x, bandTop), COLORREF(GetSysColor(COLOR_BTNHIGHLIGHT))) << "flat " << flat;
    EXPECT_EQ(ClientPixel(Grid, x, bandBottom - 1),
              COLORREF(GetSysColor(flat ? COLOR_BTNFACE : COLOR_BTNSHADOW)))
        << "flat " << flat;
  }
  SetThemesEnabledOverride(std::nullopt);
}

// A vertical title needs its turned length (with the font's overhang) of
// height, plus a margin.
TEST_F(TitleFixture, VerticalTitleHeightIsItsTurnedLength) {
  SetCaptions({"组|ABCDEFGHIJKLMNOP", "组|x"});
  TColumnTitleEh* title = Grid->Columns()->Item(0)->Title();
  title->SetOrientation(tohVertical);
  for (bool italic : {false, true}) {
    title->Font()->SetStyle(italic ? TFontStyles{fsItalic} : TFontStyles{});
    Grid->SetUseMultiTitle(false);
    Grid->SetUseMultiTitle(true);
    THeadTreeNode* leaf = Grid->LeafOfColumn(0);
    ASSERT_NE(leaf, nullptr);
    AssignFontEh(Grid->Canvas()->Font(), title->Font());
    Integer length = TCustomDBGridEh::WriteTextVerticalEh(Grid->Canvas(), TRect(0, 0, 60, 0), false, 0, 0,
                                                          "ABCDEFGHIJKLMNOP", taLeftJustify, tlTop, false, true);
    EXPECT_GE(length, Grid->Canvas()->TextWidth("ABCDEFGHIJKLMNOP")) << italic;
    EXPECT_EQ(leaf->Height, length + 6) << italic;
    EXPECT_GE(Grid->TitleRowHeight(), length + 6 - 3) << italic;
  }
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
