// The grid center: the indicator title's menu and press.
#include <memory>

#include "DBGridEh.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "Menus.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

class CenterFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Data.FieldDefs().Add("ID", ftInteger);
    Data.FieldDefs().Add("Name", ftString, 10);
    Data.CreateDataSet();
    Data.AppendRecord({Variant(1), Variant(String("a"))});
    Source.SetDataSet(&Data);
    Form.reset(new TForm(nullptr));
    Form->SetBounds(40, 40, 300, 200);
    Grid = new TDBGridEh(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, 280, 160);
    Grid->SetDataSource(&Source);
    Form->Show();
    PumpMessages();
  }
  void TearDown() override {
    Form.reset();
    GetGridEhCenter()->SetIndicatorMenuItems(
        {gimiVisibleColumns, gimiCut, gimiCopy, gimiPaste, gimiDelete, gimiSelectAll});
  }
  TPopupMenu* Build() {
    TPopupMenu* menu = nullptr;
    Grid->DoBuildIndicatorTitleMenu(menu);
    return menu;
  }
  TMemDataSet Data;
  TDataSource Source;
  std::unique_ptr<TForm> Form;
  TDBGridEh* Grid = nullptr;
};

TEST_F(CenterFixture, StandardMenu) {
  EXPECT_EQ(Grid->Center(), GetGridEhCenter());
  EXPECT_FALSE(GetGridEhCenter()->IsGridRegistered(Grid));
  TPopupMenu* menu = Build();
  ASSERT_NE(menu, nullptr);
  TMenuItem* items = menu->Items();
  ASSERT_EQ(items->Count(), 6);
  TMenuItem* vc = items->Items(0);
  EXPECT_EQ(vc->Caption(), "Visible columns");
  ASSERT_EQ(vc->Count(), 2);
  EXPECT_EQ(vc->Items(1)->Caption(), "Name");
  EXPECT_TRUE(vc->Items(1)->Checked());
  // No edit actions allowed: every command is shown disabled.
  for (Integer i = 1; i < 6; ++i) EXPECT_FALSE(items->Items(i)->Enabled()) << i;
  EXPECT_EQ(items->Items(5)->Caption(), "Select All");
  // A column entry toggles its column.
  vc->Items(1)->Click();
  EXPECT_FALSE(Grid->Columns()->Item(1)->Visible());
  // A rebuild starts afresh.
  menu = Build();
  EXPECT_EQ(menu->Items()->Count(), 6);
  EXPECT_FALSE(menu->Items()->Items(0)->Items(1)->Checked());
}

TEST_F(CenterFixture, OwnMenuOnlyAndEmptyMenu) {
  TPopupMenu own(Form.get());
  for (const char* c : {"刷新", "导出"}) {
    auto* item = new TMenuItem(&own);
    item->SetCaption(c);
    own.Items()->Add(item);
  }
  Grid->IndicatorTitle()->SetDropdownMenu(&own);
  Grid->IndicatorTitle()->SetUseGlobalMenu(false);
  TPopupMenu* menu = Build();
  ASSERT_EQ(menu->Items()->Count(), 2);   // no leading separator
  EXPECT_EQ(menu->Items()->Items(0)->Caption(), "刷新");
  // Nothing to offer: a press with the mouse captured tracks the title.
  Grid->IndicatorTitle()->SetDropdownMenu(nullptr);
  Grid->IndicatorTitle()->SetTitleButton(true);
  GetGridEhCenter()->SetIndicatorMenuItems({});
  EXPECT_EQ(Build()->Items()->Count(), 0);
  SetCapture(Grid->Handle());
  GetGridEhCenter()->IndicatorTitleMouseDown(Grid, TGridCoord{0, 0}, mbLeft, {}, 2, 2);
  EXPECT_EQ(Grid->GridEhState(), 5);
  Grid->CancelMouseTracking();
  ReleaseCapture();
}

TEST_F(CenterFixture, PlainIndicatorTitleSelectsAll) {
  Grid->SetOptions(Grid->Options() + dgMultiSelect);
  GetGridEhCenter()->IndicatorTitleMouseDown(Grid, TGridCoord{0, 0}, mbLeft, {}, 2, 2);
  EXPECT_EQ(Grid->Selection()->SelectionType(), gstAll);
  GetGridEhCenter()->IndicatorTitleMouseDown(Grid, TGridCoord{0, 0}, mbLeft, {}, 2, 2);
  EXPECT_EQ(Grid->Selection()->SelectionType(), gstNon);
  // A center of its own hears the clicks; without a center nothing does.
  TDBGridEhCenter own;
  int presses = 0;
  own.OnIndicatorTitleMouseDown = [&](TCustomDBGridEh*, TGridCoord, TMouseButton, TShiftState, Integer, Integer) {
    ++presses;
  };
  Grid->SetCenter(&own);
  EXPECT_TRUE(own.IsGridRegistered(Grid));
  Grid->Center()->IndicatorTitleMouseDown(Grid, TGridCoord{0, 0}, mbLeft, {}, 2, 2);
  EXPECT_EQ(presses, 1);
  Grid->SetCenter(nullptr);
  EXPECT_EQ(Grid->Center(), nullptr);
  EXPECT_FALSE(own.IsGridRegistered(Grid));
}

}   // namespace
