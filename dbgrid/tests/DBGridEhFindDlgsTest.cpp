// The find dialog: its "Find in" list, how its choices become the options
// of the grid's text search, and its keys.
#include <memory>

#include "DBCtrlsEh.h"
#include "DBGridEh.h"
#include "DBGridEhFindDlgs.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "StdCtrls.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

struct TSearch {
  String FieldName, Text;
  TLocateTextOptionsEh Options;
  TLocateTextDirectionEh Direction = ltdAllEh;
  TLocateTextMatchingEh Matching = ltmAnyPartEh;
};

class FindDialogFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Data.FieldDefs().Add("ID", ftInteger);
    Data.FieldDefs().Add("Name", ftString, 20);
    Data.FieldDefs().Add("City", ftString, 20);
    Data.CreateDataSet();
    Data.AppendRecord({Variant(1), Variant("alpha"), Variant("Beijing")});
    Data.AppendRecord({Variant(2), Variant("beta"), Variant("Shanghai")});
    Data.First();
    Source.SetDataSet(&Data);
    Form.reset(new TForm(nullptr));
    Form->SetBounds(30, 30, 360, 200);
    Grid = new TDBGridEh(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, 340, 160);
    Grid->SetDataSource(&Source);
    Grid->ColumnByFieldName("Name")->Title()->SetCaption("名称");
    Form->Show();
    PumpMessages();
    Center.OnLocateText = [this](TCustomDBGridEh*, const String& FieldName, const String& Text,
                                 TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                                 TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh) {
      Searches.push_back({FieldName, Text, Options, Direction, Matching});
      return Found;
    };
    Grid->SetCenter(&Center);
    Dlg = DBGridEhFindDlg();
  }
  void TearDown() override {
    Dlg->Close();
    Form.reset();
  }
  void Show(Integer Column) {
    Grid->SetSelectedIndex(Column);
    Dlg->ShowFor(Grid, "al", "", {}, false);
    PumpMessages();
  }
  TSearch Find() {
    Searches.clear();
    Dlg->bFindClick(Dlg->bFind);
    return Searches.empty() ? TSearch{"<none>"} : Searches.back();
  }
  TMemDataSet Data;
  TDataSource Source;
  std::unique_ptr<TForm> Form;
  TDBGridEh* Grid = nullptr;
  TDBGridEhCenter Center;
  TDBGridEhFindDlg* Dlg = nullptr;
  std::vector<TSearch> Searches;
  bool Found = true;
};

TEST_F(FindDialogFixture, FindInListsTheVisibleColumnsAndAll) {
  Show(1);
  EXPECT_TRUE(Dlg->Visible());
  EXPECT_EQ(Dlg->Caption(), "Find text");
  EXPECT_EQ(Dlg->FormStyle(), fsStayOnTop);
  EXPECT_EQ(Dlg->cbText->Text(), "al");
  EXPECT_FALSE(Dlg->dbcTreeFindRange->Visible());
  EXPECT_EQ(Dlg->ClientHeight(), Dlg->dbcTreeFindRange->Top());
  ASSERT_EQ(Dlg->cbFindIn->Items()->Count(), 4);
  EXPECT_EQ(Dlg->cbFindIn->Items()->Strings(0), "ID");
  EXPECT_EQ(Dlg->cbFindIn->Items()->Strings(1), "名称");
  EXPECT_EQ(Dlg->cbFindIn->Items()->Strings(3), "<All>");
  EXPECT_EQ(Dlg->cbFindIn->ItemIndex(), 1);
  ASSERT_EQ(Dlg->SearchColumns().Count(), 1);
  EXPECT_EQ(Dlg->SearchColumns()[0]->FieldName(), "Name");
  WriteWindowPng(Dlg, "find_dialog");
  // Nothing chosen: "<All>".
  Dlg->cbFindIn->SetItemIndex(-1);
  Dlg->UpdateSearchColumns();
  EXPECT_EQ(Dlg->cbFindIn->ItemIndex(), 3);
  EXPECT_EQ(Dlg->SearchColumns().Count(), 3);
}

TEST_F(FindDialogFixture, ChoicesBecomeSearchOptions) {
  Show(1);
  Dlg->cbText->SetText("Al");
  // Defaults: any part, all records, case ignored, display format.
  TSearch s = Find();
  EXPECT_EQ(s.FieldName, "Name");
  EXPECT_EQ(s.Text, "Al");
  EXPECT_EQ(s.Direction, ltdAllEh);
  EXPECT_EQ(s.Matching, ltmAnyPartEh);
  EXPECT_EQ(s.Options, (TLocateTextOptionsEh{ltoCaseInsensitiveEh, ltoMatchFormatEh}));
  EXPECT_EQ(Dlg->cbText->Items()->IndexOf("Al"), 0);
  // Found once: "All" goes on downwards from the found record.
  EXPECT_EQ(Find().Direction, ltdDownEh);
  struct {
    Integer Direction, Matching;
    bool Ctrl, MatchCase, Format;
    Integer FindIn;
    TLocateTextDirectionEh WantDirection;
    TLocateTextMatchingEh WantMatching;
    TLocateTextOptionsEh WantOptions;
    const char* WantField;
  } cases[] = {
      {0, 1, false, true, false, 0, ltdUpEh, ltmWholeEh, {}, "ID"},
      {1, 2, false, false, true, 3, ltdDownEh, ltmFromBegining,
       {ltoCaseInsensitiveEh, ltoMatchFormatEh, ltoAllColumnsEh}, ""},
      {1, 0, true, true, true, 1, ltdUpEh, ltmAnyPartEh, {ltoMatchFormatEh}, "Name"},
      {0, 0, true, true, false, 1, ltdDownEh, ltmAnyPartEh, {}, "Name"},
      {2, 0, true, true, false, 1, ltdUpEh, ltmAnyPartEh, {}, "Name"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Direction * 100 + c.Matching * 10 + c.FindIn);
    Dlg->cbFindDirection->SetItemIndex(c.Direction);
    Dlg->cbMatchinType->SetItemIndex(c.Matching);
    Dlg->cbCharCase->SetCheckedValue(c.MatchCase);
    Dlg->cbUseFormat->SetCheckedValue(c.Format);
    Dlg->cbFindIn->SetItemIndex(c.FindIn);
    Dlg->cbFindInChange(Dlg->cbFindIn);
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE saved = keys[VK_CONTROL];
    keys[VK_CONTROL] = c.Ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
    TSearch s = Find();
    keys[VK_CONTROL] = saved;
    SetKeyboardState(keys);
    EXPECT_EQ(s.Direction, c.WantDirection);
    EXPECT_EQ(s.Matching, c.WantMatching);
    EXPECT_EQ(s.Options, c.WantOptions);
    EXPECT_EQ(s.FieldName, c.WantField);
  }
}

TEST_F(FindDialogFixture, KeysAndAClosedDataset) {
  Show(1);
  Word enter = VK_RETURN;
  Searches.clear();
  Dlg->FormKeyDown(Dlg, enter, {});
  EXPECT_EQ(Searches.size(), 1u);
  // Without an open dataset "Find next" only keeps the text.
  Data.Close();
  Dlg->cbText->SetText("gamma");
  EXPECT_EQ(Find().FieldName, "<none>");
  EXPECT_GE(Dlg->cbText->Items()->IndexOf("gamma"), 0);
  Word esc = VK_ESCAPE;
  Dlg->FormKeyDown(Dlg, esc, {});
  PumpMessages();
  EXPECT_FALSE(Dlg->Visible());
}

TEST_F(FindDialogFixture, CtrlFOnTheGridOpensItAndItSearches) {
  Grid->SetCenter(GetGridEhCenter());
  Grid->SetSelectedIndex(1);
  Grid->SetFocus();
  PumpMessages();
  Word key = 'F';
  Grid->Perform(WM_KEYDOWN, key, 0);   // no Ctrl: nothing
  EXPECT_FALSE(Dlg->Visible());
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  Grid->Perform(WM_KEYDOWN, key, 0);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  PumpMessages();
  ASSERT_TRUE(Dlg->Visible());
  EXPECT_EQ(Dlg->Grid(), Grid);
  // The options stay as the last use left them: case is ignored here.
  Dlg->cbCharCase->SetCheckedValue(false);
  Dlg->cbText->SetText("BET");
  Dlg->bFindClick(Dlg->bFind);
  EXPECT_EQ(Data.FieldByName("ID")->AsInteger(), 2);
  EXPECT_FALSE(Dlg->FirstSearch());
}

}   // namespace
