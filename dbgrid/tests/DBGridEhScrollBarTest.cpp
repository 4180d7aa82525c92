// The vertical scroll bar standing for the dataset, external scroll bars
// and the scroll-bar settings.
#include <memory>

#include "DBGridEh.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

// A grid over a dataset that knows no record numbers.
class TUnsequencedGrid : public TDBGridEh {
 public:
  using TDBGridEh::TDBGridEh;
  bool Sequenced = true;
  bool SequencedDataSet() override { return Sequenced && TDBGridEh::SequencedDataSet(); }
};

class ScrollBarFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Data = std::make_unique<TMemDataSet>();
    Data->FieldDefs().Add("ID", ftInteger);
    Data->CreateDataSet();
    for (int i = 1; i <= 50; ++i) Data->AppendRecord({Variant(i)});
    Data->First();
    Source = std::make_unique<TDataSource>();
    Source->SetDataSet(Data.get());
    Form.reset(new TForm(nullptr));
    Form->SetBounds(40, 40, 320, 260);
    Grid = new TUnsequencedGrid(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, 280, 200);
    Bar = new TScrollBar(Form.get());
    Bar->SetName("OrderBar");
    Bar->SetKind(sbVertical);
    Bar->SetParent(Form.get());
    Bar->SetBounds(290, 0, 16, 200);
    Form->Show();
    Grid->SetDataSource(Source.get());
    PumpMessages();
  }
  void TearDown() override {
    Form.reset();
    Source.reset();
    Data.reset();
  }
  SCROLLINFO Info() {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(Grid->Handle(), SB_VERT, &si);
    return si;
  }
  std::unique_ptr<TMemDataSet> Data;
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<TForm> Form;
  TUnsequencedGrid* Grid = nullptr;
  TScrollBar* Bar = nullptr;
};

TEST_F(ScrollBarFixture, BarStandsForTheRecords) {
  SCROLLINFO si = Info();
  Integer page = Grid->VisibleRowCount();
  EXPECT_EQ(si.nMin, 1);
  EXPECT_EQ(si.nMax, 50 + page - 1);
  EXPECT_EQ(Integer(si.nPage), page);
  EXPECT_EQ(si.nPos, 1);
  Data->MoveBy(20);
  EXPECT_EQ(Info().nPos, 21);
  Data->Last();
  EXPECT_EQ(Info().nPos, 50);
}

TEST_F(ScrollBarFixture, ThreeStateBarWithoutRecordNumbers) {
  Grid->Sequenced = false;
  Grid->UpdateVertScrollBar();
  SCROLLINFO si = Info();
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, 4);
  EXPECT_EQ(si.nPos, 0);   // at the first record
  Data->MoveBy(10);
  EXPECT_EQ(Info().nPos, 2);
  Data->Last();
  EXPECT_EQ(Info().nPos, 4);
}

TEST_F(ScrollBarFixture, VisibleModes) {
  TDBGridEhScrollBar* v = Grid->VertScrollBar();
  EXPECT_EQ(v->VisibleMode(), sbAutoShowEh);
  v->SetVisible(false);
  EXPECT_EQ(v->VisibleMode(), sbNeverShowEh);
  EXPECT_EQ(Info().nMax, Info().nMin);   // no range of its own
  v->SetVisible(true);
  EXPECT_EQ(v->VisibleMode(), sbAutoShowEh);
  // Always shown: a dataset that fits leaves the bar shown, arrows disabled.
  Data->EmptyDataSet();
  Data->AppendRecord({Variant(1)});
  v->SetVisibleMode(sbAlwaysShowEh);
  EXPECT_TRUE(GetWindowLongW(Grid->Handle(), GWL_STYLE) & WS_VSCROLL);
}

TEST_F(ScrollBarFixture, ExternalBarServesOneGrid) {
  Grid->VertScrollBar()->SetExtScrollBar(Bar);
  EXPECT_EQ(Bar->Max(), 50 + Grid->VisibleRowCount() - 1);
  Data->MoveBy(9);
  EXPECT_EQ(Bar->Position(), 10);
  // The bar's own scrolling reaches the grid as if from its own bar.
  Bar->Perform(CN_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_GT(Data->RecNo(), 10);
  // A second grid cannot take the same bar.
  auto* other = new TDBGridEh(Form.get());
  other->SetParent(Form.get());
  try {
    other->VertScrollBar()->SetExtScrollBar(Bar);
    FAIL() << "attached twice";
  } catch (const Exception& e) {
    EXPECT_EQ(String(e.Message()), "Possible OrderBar already attached to the other control.");
  }
  EXPECT_EQ(other->VertScrollBar()->ExtScrollBar(), nullptr);
  // Destroying the first grid frees the bar for the other one.
  delete Grid;
  Grid = nullptr;
  Integer before = Data->RecNo();
  Bar->Perform(CN_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(Data->RecNo(), before);
  other->VertScrollBar()->SetExtScrollBar(Bar);
  other->VertScrollBar()->SetExtScrollBar(nullptr);
  // A destroyed bar is forgotten.
  other->VertScrollBar()->SetExtScrollBar(Bar);
  delete Bar;
  EXPECT_EQ(other->VertScrollBar()->ExtScrollBar(), nullptr);
}

}   // namespace
