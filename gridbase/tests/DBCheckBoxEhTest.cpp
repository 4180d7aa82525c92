// The data-aware check box: its own value with grayed as Null, value lists
// for text fields, Boolean fields, the click cycle, Escape, a refused focus,
// posting into SQLite and what it paints.
#include <memory>
#include <vector>
#include "DBCtrlsEh.h"
#include "DBEhAdoSupport.h"
#include "DBEhTestSupport.h"
#include "TestPng.h"
#include "gtest.h"

namespace {

// A left click in the middle of a control, as the mouse gives it.
void ClickControl(TWinControl* c) {
  LPARAM at = MAKELPARAM(c->Width() / 2, c->Height() / 2);
  PostMessageW(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(c->Handle(), WM_LBUTTONUP, 0, at);
  PumpMessages(3);
}

struct CheckFixture : DBEhFixture {
  TDBCheckBoxEh* AddCheck(const char* field, int top) {
    auto* cb = AddEdit<TDBCheckBoxEh>(field, top);
    cb->SetCaption("已付款");
    return cb;
  }
};

TEST_F(CheckFixture, OwnValueWithGrayedAsNullAndTheClickCycle) {
  auto* cb = AddCheck(nullptr, 10);
  EXPECT_EQ(cb->State(), cbUnchecked);
  EXPECT_EQ(cb->DataLink()->IndependentValue().Kind(), varBoolean);
  cb->SetState(cbGrayed);
  EXPECT_TRUE(cb->DataLink()->IndependentValue().IsNull());
  cb->SetState(cbChecked);
  EXPECT_TRUE(cb->DataLink()->IndependentValue().AsBoolean());
  cb->DataLink()->AssignValue(Variant::Null());
  EXPECT_EQ(cb->State(), cbGrayed);
  cb->DataLink()->AssignValue(Variant(false));
  EXPECT_EQ(cb->State(), cbUnchecked);
  // Without grayed the clicks cycle unchecked and checked; with it, grayed between.
  std::vector<TCheckBoxState> seen;
  for (int i = 0; i < 3; ++i) {
    ClickControl(cb);
    seen.push_back(cb->State());
  }
  EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked, cbChecked}));
  cb->SetAllowGrayed(true);
  seen.clear();
  for (int i = 0; i < 3; ++i) {
    ClickControl(cb);
    seen.push_back(cb->State());
  }
  EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbUnchecked, cbGrayed, cbChecked}));
  // Space toggles on its release.
  PressKey(VK_SPACE);
  EXPECT_EQ(cb->State(), cbUnchecked);
}

TEST_F(CheckFixture, ValueListsAndBooleanFields) {
  EXPECT_TRUE(TCustomDBCheckBoxEh::MatchValue("Y;Yes", "yes"));
  EXPECT_FALSE(TCustomDBCheckBoxEh::MatchValue("Y;Yes", ""));
  EXPECT_TRUE(TCustomDBCheckBoxEh::MatchValue("N;", ""));
  EXPECT_TRUE(TCustomDBCheckBoxEh::MatchValue(" N ; No", "no"));
  auto* text = AddCheck("C_Kind", 10);   // "2" on the first record, "yes" on the second
  text->SetValueChecked("Y;Yes");
  text->SetValueUnchecked("N;No");
  EXPECT_EQ(text->State(), cbGrayed);   // neither list has "2"
  Data->Next();
  EXPECT_EQ(text->State(), cbChecked);
  text->SetState(cbUnchecked);
  EXPECT_EQ(Data->FieldByName("C_Kind")->AsString(), "N");
  // Grayed clears the field; an empty text is unchecked with a trailing ';'.
  text->SetState(cbGrayed);
  EXPECT_TRUE(Data->FieldByName("C_Kind")->IsNull());
  text->SetValueUnchecked("N;");
  EXPECT_EQ(text->State(), cbUnchecked);
  Data->Cancel();
  // A Boolean field with the default lists: null is grayed, checking writes True.
  auto* flag = AddCheck("C_Vip", 40);
  EXPECT_EQ(flag->State(), cbGrayed);
  flag->SetState(cbChecked);
  EXPECT_TRUE(Data->FieldByName("C_Vip")->AsBoolean());
  Data->Cancel();
  Data->First();
  EXPECT_EQ(flag->State(), cbChecked);
}

TEST_F(CheckFixture, EscapeRestoresTheSourceAndARefusedFocusDoesNotToggle) {
  auto* cb = AddCheck("C_Vip", 10);
  auto* ed = AddEdit<TDBEditEh>("C_Name", 40);
  EXPECT_EQ(cb->State(), cbChecked);
  Focus(cb);
  ClickControl(cb);
  EXPECT_EQ(cb->State(), cbUnchecked);
  EXPECT_EQ(cb->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 1);
  PressKey(VK_ESCAPE);
  EXPECT_EQ(cb->State(), cbChecked);
  EXPECT_EQ(cb->Perform(CM_WANTSPECIALKEY, VK_ESCAPE, 0), 0);
  Data->Cancel();
  // An edit whose value cannot be posted keeps the focus: the click on the
  // check box then neither focuses nor toggles it.
  Data->FieldByName("C_Name")->OnValidate = [](TField* f) {
    if (f->AsString() == "坏") throw EDatabaseError("名称无效");
  };
  std::vector<String> errors;
  Application->OnException = [&](TObject*, Exception* e) { errors.push_back(e->Message()); };
  Focus(ed);
  TypeText(u"坏");
  ClickControl(cb);
  EXPECT_EQ(GetFocus(), ed->Handle());
  EXPECT_EQ(cb->State(), cbChecked);
  EXPECT_FALSE(errors.empty());
  Application->OnException = nullptr;
  Data->FieldByName("C_Name")->OnValidate = nullptr;
  Data->Cancel();
}

TEST_F(CheckFixture, WritesPngsOfItsStates) {
  auto* checked = AddCheck("C_Vip", 10);
  auto* grayed = AddCheck(nullptr, 35);
  grayed->SetState(cbGrayed);
  auto* flat = AddCheck(nullptr, 60);
  flat->SetFlat(true);
  flat->SetAlignment(taLeftJustify);
  auto* disabled = AddCheck(nullptr, 85);
  disabled->SetState(cbChecked);
  disabled->SetEnabled(false);
  PumpMessages();
  EXPECT_EQ(checked->State(), cbChecked);
  WriteWindowPng(Form.get(), "dbcheckboxEh_states");
  Focus(flat);
  WriteWindowPng(Form.get(), "dbcheckboxEh_states_flat_focused");
  // The square of a left-aligned caption stands at the right.
  TControlShot shot(flat);
  TRect box = AlignCheckBoxRectEh(TRect(0, 0, flat->Width(), flat->Height()), taRightJustify, tlCenter);
  EXPECT_GT(box.Left, flat->Width() / 2);
  EXPECT_NE(shot.Pixel(box.Left + box.Width() / 2, box.Top + box.Height() / 2),
            shot.Pixel(box.Left - 3, flat->Height() - 1));
}

struct CheckAdo : DBEhAdoFixture {};

TEST_F(CheckAdo, TextAndBitColumnsArePosted) {
  auto* text = AddControl<TDBCheckBoxEh>("O_Flag", 10);
  text->SetValueChecked("yes;y");
  text->SetValueUnchecked("no;");
  auto* paid = AddControl<TDBCheckBoxEh>("O_Paid", 40);
  auto* other = AddControl<TDBEditEh>("O_Name", 70);
  EXPECT_EQ(text->State(), cbChecked);
  EXPECT_EQ(paid->State(), cbChecked);
  Focus(text);
  PressKey(VK_SPACE);
  EXPECT_EQ(text->State(), cbUnchecked);
  Focus(paid);   // leaving the first posts its state into the record
  EXPECT_EQ(Data->FieldByName("O_Flag")->AsString(), "no");
  ClickControl(paid);
  Focus(other);
  Data->Post();
  EXPECT_EQ(Column("select O_Flag from Orders where O_ID = 1"), "no");
  EXPECT_EQ(Column("select O_Paid from Orders where O_ID = 1"), "0");
  EXPECT_EQ(Column("select count(*) from Writes"), "1");
  Data->Next();
  EXPECT_EQ(text->State(), cbUnchecked);   // an empty text with the trailing ';'
  EXPECT_EQ(paid->State(), cbGrayed);
}

}  // namespace
