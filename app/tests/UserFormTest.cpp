// The users dialog over a fresh database: the operations in the check list,
// the permission string a ticked item writes, and the names a user may not
// be saved under.
#include <memory>
#include "ADODB.h"
#include "AppFixture.h"
#include "DB.h"
#include "DialogAnswerer.h"
#include "SysUtils.h"
#include "cxCheckListBox.h"
#include "cxDBCheckListBox.h"
#include "uUserForm.h"

namespace {

struct UserFormFixture : AppFixture {
  std::unique_ptr<TUserForm> Form;
  void SetUp() override {
    AppFixture::SetUp();
    if (HasFatalFailure()) return;
    Application->OnException = [](TObject*, Exception* e) { ADD_FAILURE() << e->Message(); };
    LogIn("管理员");
    Exec("insert into Users (U_Name, U_Pwd, U_P) values ('张三', '1', '1')");
    Form.reset(TCustomForm::Create<TUserForm>(nullptr));
    Form->Show();
  }
  void TearDown() override {
    Form.reset();
    Application->OnException = nullptr;
    AppFixture::TearDown();
  }
};

}  // namespace

TEST_F(UserFormFixture, OperationsAreListedAndATickedItemIsThePermission) {
  // One item per operation, in OP_ID order; the administrator is not listed.
  Integer ops = StrToInt(Scalar("select count(*) from OP"));
  ASSERT_EQ(Form->OP->Items()->Count(), ops);
  EXPECT_EQ(Form->OP->Items()->Items(2)->Text(), Scalar("select OP_Name from OP where OP_ID = 3"));
  EXPECT_EQ(Form->d_Users->RecordCount(), 1);
  // 张三's "1" shows the first item ticked and the rest not.
  EXPECT_EQ(Form->OP->Items()->Items(0)->State(), cbsChecked);
  EXPECT_EQ(Form->OP->Items()->Items(1)->State(), cbsUnchecked);

  // A new user with the third item ticked: "001" and a "0" for every
  // further item; the login's permission test then allows exactly OP_ID 3.
  Form->DataSetInsert1Execute(nullptr);
  EXPECT_EQ(Form->d_Users->FieldByName("U_P9")->AsBoolean(), false);
  Form->d_Users->FieldByName("U_Name")->SetAsString("李四");
  Form->d_Users->FieldByName("U_P")->SetAsString("001" + String(size_t(ops - 3), '0'));
  EXPECT_EQ(Form->OP->Items()->Items(2)->State(), cbsChecked);
  Form->d_Users->Post();
  EXPECT_EQ(Scalar("select U_P from Users where U_Name = '李四'"), "001" + String(size_t(ops - 3), '0'));
  LogIn("李四");
  for (Integer id = 1; id <= ops; ++id)
    EXPECT_EQ(DataForm->HasPermission(Scalar("select OP_Name from OP where OP_ID = " + IntToStr(id))), id == 3) << id;
}

TEST_F(UserFormFixture, TheAdministratorsNameAndTakenNamesAreRefused) {
  struct {
    bool New;
    const char* Name;
    const char* Message;   // "" when saved
  } cases[] = {
      {true, "管理员", "不能使用用户名\"管理员\"."},
      {true, " 管理员 ", "不能使用用户名\"管理员\"."},
      {true, "张三", "用户名\"张三\"已经存在."},
      {false, "管理员", "不能使用用户名\"管理员\"."},
      {false, "张三", ""},   // its own name again
      {true, "王五", ""},
      {false, "王五", "用户名\"王五\"已经存在."},   // 张三 renamed to the new user's name
  };
  for (const auto& c : cases) {
    DialogAnswerer answer;
    Form->d_Users->First();
    if (c.New) Form->DataSetInsert1Execute(nullptr);
    else Form->d_Users->Edit();
    Form->d_Users->FieldByName("U_Name")->SetAsString(c.Name);
    if (*c.Message) {
      EXPECT_THROW(Form->d_Users->Post(), EAbort) << c.Name;
      auto seen = answer.Dialogs();
      ASSERT_EQ(seen.size(), 1u) << c.Name;
      EXPECT_EQ(seen[0].Text, c.Message);
      // What was typed stays for correcting.
      EXPECT_EQ(Form->d_Users->FieldByName("U_Name")->AsString(), c.Name);
      Form->d_Users->Cancel();
    } else {
      Form->d_Users->Post();
      EXPECT_TRUE(answer.Dialogs().empty()) << c.Name;
    }
  }
  EXPECT_EQ(Scalar("select count(*) from Users where trim(U_Name) = '管理员'"), "1");
  EXPECT_EQ(Scalar("select group_concat(U_Name, ',') from Users where U_Name <> '管理员' order by U_ID"), "张三,王五");
}
