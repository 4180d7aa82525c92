// Data-aware controls and dataset actions over an in-memory dataset.
#include <memory>
#include "ActnList.h"
#include "DBActns.h"
#include "DBCtrls.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {
struct DBFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TMemDataSet* Data = nullptr;
  TDataSource* Source = nullptr;
  void SetUp() override {
    Form.reset(new TForm(nullptr));
    Form->SetBounds(100, 100, 400, 300);
    Data = new TMemDataSet(Form.get());
    Data->FieldDefs().Add("C_Name", ftWideString, 20);
    Data->FieldDefs().Add("C_Vip", ftBoolean);
    Data->FieldDefs().Add("C_Note", ftWideMemo);
    Data->CreateDataSet();
    Data->AppendRecord({Variant("张三"), Variant(true), Variant("老客户")});
    Data->AppendRecord({Variant("李四"), Variant(false), Variant("")});
    Data->First();
    Source = new TDataSource(Form.get());
    Source->SetDataSet(Data);
    Form->Show();
    PumpMessages();
  }
  template <class T>
  T* Add(const char* field, int top) {
    auto* c = new T(Form.get());
    c->SetParent(Form.get());
    c->SetBounds(10, top, 150, 21);
    c->SetDataSource(Source);
    c->SetDataField(field);
    return c;
  }
};
}  // namespace

TEST_F(DBFixture, EditShowsTheFieldAndTypingEditsTheRecord) {
  auto* ed = Add<TDBEdit>("C_Name", 10);
  auto* text = new TDBText(Form.get());
  text->SetParent(Form.get());
  text->SetBounds(200, 10, 100, 17);
  text->SetDataSource(Source);
  text->SetDataField("C_Name");
  EXPECT_EQ(ed->Text(), "张三");
  EXPECT_EQ(text->Caption(), "张三");
  EXPECT_EQ(ed->MaxLength(), 20);
  Data->Next();
  EXPECT_EQ(ed->Text(), "李四");
  // Typing puts the dataset in edit state; posting writes the field.
  ed->SetFocus();
  PumpMessages();
  ed->SelectAll();
  SendMessageW(ed->Handle(), WM_CHAR, 0x738B, 0);   // 王
  EXPECT_EQ(Data->State(), dsEdit);
  EXPECT_EQ(ed->Text(), "王");
  Data->Post();
  EXPECT_EQ(Data->FieldByName("C_Name")->AsString(), "王");
  EXPECT_EQ(text->Caption(), "王");
  // Escape brings the field's value back.
  SendMessageW(ed->Handle(), WM_CHAR, 'x', 0);
  EXPECT_EQ(ed->Text(), "王x");
  SendMessageW(ed->Handle(), WM_CHAR, 27, 0);
  EXPECT_EQ(ed->Text(), "王");
  Data->Cancel();
  // A read-only dataset lets nothing be typed.
  Data->SetReadOnly(true);
  SendMessageW(ed->Handle(), WM_CHAR, 'y', 0);
  EXPECT_EQ(ed->Text(), "王");
  EXPECT_EQ(Data->State(), dsBrowse);
  // The field names its control when asked to focus.
  EXPECT_THROW(ed->SetDataField("NoSuchField"), EDatabaseError);
}

TEST_F(DBFixture, CheckBoxAndMemoFollowTheirFields) {
  auto* cb = Add<TDBCheckBox>("C_Vip", 40);
  auto* memo = Add<TDBMemo>("C_Note", 70);
  EXPECT_TRUE(cb->Checked());
  EXPECT_EQ(memo->Text(), "老客户");
  Data->Next();
  EXPECT_FALSE(cb->Checked());
  SendMessageW(cb->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(Data->State(), dsEdit);
  Data->Post();
  EXPECT_TRUE(Data->FieldByName("C_Vip")->AsBoolean());
}

TEST_F(DBFixture, DatasetActionsAreEnabledByTheFocusedControlsDataset) {
  auto* ed = Add<TDBEdit>("C_Name", 10);
  auto* list = new TActionList(Form.get());
  auto* post = new TDataSetPost(Form.get());
  auto* cancel = new TDataSetCancel(Form.get());
  auto* next = new TDataSetNext(Form.get());
  auto* prior = new TDataSetPrior(Form.get());
  for (TContainedAction* a : std::initializer_list<TContainedAction*>{post, cancel, next, prior}) a->SetActionList(list);
  ed->SetFocus();
  PumpMessages();
  ASSERT_EQ(Form->ActiveControl(), ed);
  Application->UpdateActions();
  EXPECT_FALSE(post->Enabled());
  EXPECT_FALSE(cancel->Enabled());
  EXPECT_TRUE(next->Enabled());
  EXPECT_FALSE(prior->Enabled());   // at the first record
  Data->Edit();
  Application->UpdateActions();
  EXPECT_TRUE(post->Enabled());
  EXPECT_TRUE(cancel->Enabled());
  // Executing acts on the focused control's dataset.
  EXPECT_TRUE(post->Execute());
  EXPECT_EQ(Data->State(), dsBrowse);
  EXPECT_TRUE(next->Execute());
  EXPECT_EQ(Data->FieldByName("C_Name")->AsString(), "李四");
  Application->UpdateActions();
  EXPECT_TRUE(prior->Enabled());
  // Without a focused data-aware control the actions have no target.
  ed->SetDataSource(nullptr);
  Application->UpdateActions();
  EXPECT_FALSE(next->Enabled());
  // An action with its own DataSource acts on it wherever the focus is.
  next->SetDataSource(Source);
  Data->First();
  Application->UpdateActions();
  EXPECT_FALSE(next->Enabled());   // the focused control has no data source to offer
  EXPECT_TRUE(next->HandlesTarget(Source));
}
