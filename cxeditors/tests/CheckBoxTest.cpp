// The check box editor: states and value lists, toggling by mouse and
// keyboard, grayed shown for Null, the data-aware check box on a flag field.
#include <memory>

#include "ActnList.h"
#include "FormFile.h"
#include "Forms.h"
#include "Messages.h"
#include "MemDataSet.h"
#include "StdCtrls.h"
#include "TestWindows.h"
#include "cxDBEdit.h"
#include "gtest.h"

namespace {
struct CheckBoxFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxCheckBox* Box = nullptr;
  TEdit* Other = nullptr;
  Integer Clicks = 0, Changes = 0;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(80, 80, 300, 140);
    Box = new TcxCheckBox(Form.get());
    Box->SetBounds(10, 10, 160, 21);
    Box->SetCaption("退货标记");
    Box->SetParent(Form.get());
    Box->OnClick = [this](TObject*) { ++Clicks; };
    Box->Properties()->OnChange = [this](TObject*) { ++Changes; };
    Other = new TEdit(Form.get());
    Other->SetBounds(10, 60, 100, 22);
    Other->SetParent(Form.get());
    Form->Show();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  void ClickBox() {
    HWND w = Box->Handle();
    PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 10));
    PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(8, 10));
    PumpMessages(2);
  }
};
}  // namespace

TEST_F(CheckBoxFixture, StartsUncheckedAndTogglesInOrder) {
  EXPECT_EQ(Box->State(), cbsUnchecked);
  EXPECT_TRUE(VarIsType(Box->EditValue(), varBoolean));
  struct Case {
    bool AllowGrayed;
    TcxCheckBoxState From, To;
  };
  const Case cases[] = {
      {false, cbsUnchecked, cbsChecked}, {false, cbsChecked, cbsUnchecked}, {false, cbsGrayed, cbsChecked},
      {true, cbsUnchecked, cbsGrayed},   {true, cbsGrayed, cbsChecked},     {true, cbsChecked, cbsUnchecked},
  };
  for (const Case& c : cases) {
    Box->Properties()->SetAllowGrayed(c.AllowGrayed);
    Box->SetState(c.From);
    Box->Toggle();
    EXPECT_EQ(Box->State(), c.To) << c.AllowGrayed << " " << c.From;
  }
}

TEST_F(CheckBoxFixture, MouseAndSpaceToggleOnceWithEvents) {
  ClickBox();
  EXPECT_TRUE(Box->Checked());
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(Changes, 1);
  WriteWindowPng(Box, "cxCheckBox_checked");
  // Space: pressed on key down, toggled on key up.
  Box->SetFocus();
  PumpMessages(1);
  PostMessageW(Box->Handle(), WM_KEYDOWN, VK_SPACE, 1);
  PumpMessages(1);
  EXPECT_TRUE(Box->SpacePressed());
  EXPECT_TRUE(Box->Checked());
  PostMessageW(Box->Handle(), WM_CHAR, ' ', 1);
  PostMessageW(Box->Handle(), WM_KEYUP, VK_SPACE, LPARAM(0xC0000001));
  PumpMessages(2);
  EXPECT_FALSE(Box->Checked());
  EXPECT_EQ(Clicks, 2);
  WriteWindowPng(Box, "cxCheckBox_focused_unchecked");
  // A release outside the box does not toggle.
  HWND w = Box->Handle();
  PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 10));
  PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(400, 10));
  PumpMessages(2);
  EXPECT_FALSE(Box->Checked());
  // Setting the state from the program fires no click.
  Box->SetState(cbsGrayed);
  PumpMessages(2);
  WriteWindowPng(Box, "cxCheckBox_grayed");
}

TEST_F(CheckBoxFixture, PaintsInEachLook) {
  struct Case {
    TcxLookAndFeelKind Kind;
    bool Native;
    const char* Name;
  };
  const Case cases[] = {{lfStandard, false, "standard"}, {lfFlat, false, "flat"}, {lfUltraFlat, false, "ultraflat"},
                        {lfOffice11, false, "office11"}, {lfStandard, true, "native"}};
  Box->SetState(cbsChecked);
  for (const Case& c : cases) {
    Box->Style()->LookAndFeel()->SetKind(c.Kind);
    Box->Style()->LookAndFeel()->SetNativeStyle(c.Native);
    PumpMessages(2);
    WriteWindowPng(Box, std::string("cxCheckBox_") + c.Name);
    // The caption is drawn right of the check.
    bool ink = false;
    for (Integer x = 24; x < 70 && !ink; ++x)
      for (Integer y = 4; y < 17 && !ink; ++y) ink = ClientPixel(Box, x, y) == RGB(0, 0, 0);
    EXPECT_TRUE(ink) << c.Name;
  }
}

TEST(CheckBoxValues, ValueListsAndGrayedForOtherValues) {
  TcxCheckBoxProperties p;
  // Defaults: True, False and Null; anything else is grayed.
  EXPECT_EQ(p.StateOfValue(Variant(true)), cbsChecked);
  EXPECT_EQ(p.StateOfValue(Variant(false)), cbsUnchecked);
  EXPECT_EQ(p.StateOfValue(Null()), cbsGrayed);
  EXPECT_EQ(p.StateOfValue(Variant(5)), cbsGrayed);
  EXPECT_EQ(p.GetDisplayText(Variant(true)), "True");
  EXPECT_EQ(p.GetDisplayText(Variant(false)), "False");
  EXPECT_EQ(p.GetDisplayText(Null()), "");
  p.SetValueChecked(Variant("Y"));
  p.SetValueUnchecked(Variant("N"));
  EXPECT_EQ(p.StateOfValue(Variant("Y")), cbsChecked);
  EXPECT_EQ(p.StateOfValue(Variant("N")), cbsUnchecked);
  EXPECT_EQ(p.StateOfValue(Variant("X")), cbsGrayed);
  Variant x("X");
  EXPECT_FALSE(p.AcceptsEditValue(x, false));
  Variant y("Y");
  EXPECT_TRUE(p.AcceptsEditValue(y, false));
  // Null or a value used by another state is ignored.
  p.SetValueChecked(Null());
  p.SetValueChecked(Variant("N"));
  EXPECT_EQ(VarToStr(p.ValueChecked()), "Y");
  p.SetValueGrayed(Variant("Y"));
  EXPECT_TRUE(p.ValueGrayed().IsNull());
  p.SetValueGrayed(Variant("?"));
  EXPECT_EQ(VarToStr(p.ValueGrayed()), "?");
  // Assign copies the three values only as a usable set.
  TcxCheckBoxProperties q;
  q.Assign(&p);
  EXPECT_EQ(VarToStr(q.ValueChecked()), "Y");
  EXPECT_EQ(VarToStr(q.ValueUnchecked()), "N");
  // Integer flags: 1 and 0.
  TcxCheckBoxProperties flags;
  flags.SetValueChecked(Variant(1));
  flags.SetValueUnchecked(Variant(0));
  EXPECT_EQ(flags.StateOfValue(Variant(1)), cbsChecked);
  EXPECT_EQ(flags.StateOfValue(Variant(Int64(0))), cbsUnchecked);
}

TEST(CheckBoxValues, FormFileValuesAndState) {
  TForm form(nullptr);
  ReadComponentFromText(
      "object F: TForm\n"
      "  object A: TcxCheckBox\n"
      "    Caption = '&Yes'\n"
      "    Properties.ValueChecked = 'Y'\n"
      "    Properties.ValueUnchecked = 'N'\n"
      "  end\n"
      "  object B: TcxCheckBox\n"
      "    Properties.ValueChecked = 'Y'\n"
      "    Properties.ValueUnchecked = 'N'\n"
      "    State = cbsChecked\n"
      "  end\n"
      "end\n",
      &form);
  auto* a = dynamic_cast<TcxCheckBox*>(form.FindComponent("A"));
  auto* b = dynamic_cast<TcxCheckBox*>(form.FindComponent("B"));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(a->State(), cbsUnchecked);
  EXPECT_EQ(VarToStr(a->EditValue()), "N");
  EXPECT_EQ(VarToStr(b->EditValue()), "Y");
  // The caption's accelerator toggles.
  form.Show();
  PumpMessages(1);
  a->Perform(CM_DIALOGCHAR, 'Y', 0);
  EXPECT_EQ(a->State(), cbsChecked);
}

TEST(CheckBoxValues, ActionCheckedSetsTheBoxWithoutAClick) {
  TForm form(nullptr);
  TAction action(&form);
  action.SetCaption("含税");
  action.OnExecute = [](TObject*) {};
  auto* box = new TcxCheckBox(&form);
  box->SetParent(&form);
  Integer clicks = 0;
  box->OnClick = [&](TObject*) { ++clicks; };
  box->SetAction(&action);
  EXPECT_EQ(box->Caption(), "含税");
  action.SetChecked(true);
  EXPECT_TRUE(box->Checked());
  action.SetChecked(false);
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(clicks, 0);
}

TEST(DBCheckBox, NullFlagShowsGrayedAndAClickChecksIt) {
  auto data = std::make_unique<TMemDataSet>(nullptr);
  data->FieldDefs().Add("O_ID", ftInteger);
  data->FieldDefs().Add("O_IsBack", ftBoolean);
  data->CreateDataSet();
  data->Append();
  data->FieldByName("O_ID")->SetAsInteger(1);
  data->Post();
  data->Append();
  data->FieldByName("O_ID")->SetAsInteger(2);
  data->FieldByName("O_IsBack")->SetAsBoolean(true);
  data->Post();
  data->First();
  TDataSource src;
  src.SetDataSet(data.get());
  TForm form(nullptr);
  form.SetBounds(80, 80, 300, 140);
  auto* box = new TcxDBCheckBox(&form);
  box->SetBounds(10, 10, 120, 21);
  box->SetCaption("退货标记");
  box->SetTabStop(false);
  box->SetTransparent(true);
  box->SetParent(&form);
  box->DataBinding()->SetDataSource(&src);
  box->DataBinding()->SetDataField("O_IsBack");
  auto* other = new TEdit(&form);
  other->SetBounds(10, 60, 100, 22);
  other->SetParent(&form);
  form.Show();
  PumpMessages(1);
  EXPECT_EQ(box->State(), cbsGrayed);
  WriteWindowPng(box, "cxDBCheckBox_null");
  // The click checks it, puts the dataset into edit mode and the value is
  // written when the box is left.
  HWND w = box->Handle();
  PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 10));
  PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(8, 10));
  PumpMessages(2);
  EXPECT_EQ(box->State(), cbsChecked);
  EXPECT_EQ(data->State(), dsEdit);
  other->SetFocus();
  PumpMessages(1);
  EXPECT_TRUE(data->FieldByName("O_IsBack")->AsBoolean());
  data->Post();
  // The next record shows its own value.
  data->Next();
  EXPECT_EQ(box->State(), cbsChecked);
  // With ImmediatePost the toggle writes at once.
  box->Properties()->SetImmediatePost(true);
  box->SetFocus();
  PumpMessages(1);
  PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 10));
  PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(8, 10));
  PumpMessages(2);
  EXPECT_FALSE(data->FieldByName("O_IsBack")->AsBoolean());
  EXPECT_FALSE(data->FieldByName("O_IsBack")->IsNull());
  data->Post();
  // A read-only field refuses the toggle.
  data->FieldByName("O_IsBack")->SetReadOnly(true);
  PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 10));
  PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(8, 10));
  PumpMessages(2);
  EXPECT_EQ(box->State(), cbsUnchecked);
  EXPECT_EQ(data->State(), dsBrowse);
  // The class library's data-link query.
  EXPECT_EQ(reinterpret_cast<TDataLink*>(box->Perform(CM_GETDATALINK, 0, 0)), box->DataBinding()->DataLink());
}

TEST(CheckBoxFilter, FixedListOfTheTwoTexts) {
  TcxCheckBoxProperties source;
  source.SetValueChecked(Variant("Y"));
  source.SetValueUnchecked(Variant("N"));
  source.SetDisplayChecked("是");
  source.SetDisplayUnchecked("否");
  const TcxCustomFilterEditHelper* helper = cxFilterEditHelper(TcxFilterCheckBoxHelper::StaticClass());
  ASSERT_NE(helper, nullptr);
  EXPECT_EQ(helper->GetAllowedOperators(&source, nullptr, false), 1542u);
  EXPECT_TRUE(helper->CompareByDisplayText());
  TForm form(nullptr);
  auto* combo = new TcxComboBox(&form);
  combo->SetParent(&form);
  helper->InitFilterProperties(combo->Properties(), &source, false);
  ASSERT_EQ(combo->Properties()->Items()->Count(), 2);
  EXPECT_EQ(combo->Properties()->Items()->Strings(0), "是");
  EXPECT_EQ(combo->Properties()->Items()->Strings(1), "否");
  Variant v;
  String text;
  helper->WriteFilterValue(combo, &source, Variant("N"));
  helper->ReadFilterValue(combo, &source, v, text);
  EXPECT_EQ(VarToStr(v), "N");
  EXPECT_EQ(text, "否");
  helper->WriteFilterValue(combo, &source, Null());
  helper->ReadFilterValue(combo, &source, v, text);
  EXPECT_TRUE(v.IsNull());
  EXPECT_EQ(text, "");
}
