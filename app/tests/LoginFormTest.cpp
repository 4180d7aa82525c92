#include <sqlite3.h>
#include "ADODB.h"
#include "AppFixture.h"
#include "DialogAnswerer.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "uLoginForm.h"
#include "uPasswordForm.h"

namespace {

class LoginFixture : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Exec("insert into Users (U_Name, U_Pwd, U_P) values ('张三', 'Abc', '10000000'), ('李四', NULL, '')");
  }
  // One login attempt as the dialog makes it: the name typed or chosen, the
  // password typed, "登录" pressed. Answers the dialog's modal result.
  TModalResult TryLogin(const String& name, const String& password, std::vector<DialogAnswerer::Seen>* seen = nullptr) {
    std::unique_ptr<TLoginForm> f(TCustomForm::Create<TLoginForm>(nullptr));
    f->UserName->SetText(name);
    f->Password->SetText(password);
    DialogAnswerer answer;
    SendMessageW(f->btnLogin->Handle(), BM_CLICK, 0, 0);
    if (seen) *seen = answer.Dialogs();
    return f->ModalResult();
  }
};

}  // namespace

TEST_F(LoginFixture, TheDialogListsTheUsersWithTheFirstChosen) {
  std::unique_ptr<TLoginForm> f(TCustomForm::Create<TLoginForm>(nullptr));
  EXPECT_EQ(f->Caption(), "用户登录");
  EXPECT_EQ(f->UserName->Items()->Text(), "管理员\r\n张三\r\n李四\r\n");
  EXPECT_EQ(f->UserName->ItemIndex(), 0);
  EXPECT_EQ(f->UserName->Text(), "管理员");
  EXPECT_EQ(f->Password->PasswordChar(), U'*');
  EXPECT_EQ(f->btnExit->ModalResult(), mrCancel);
  EXPECT_NE(dynamic_cast<TLabel*>(f->FindComponent("Label3"))->Caption().find("3627"), String::npos);
}

TEST_F(LoginFixture, OnlyTheRightNameAndPasswordLogIn) {
  struct Case {
    const char* name;
    const char* password;
    bool ok;
  } cases[] = {
      {"管理员", "3627", true},
      {"管理员", "", false},
      {"张三", "Abc", true},
      {"张三", "abc", false},        // case-sensitive
      {"张三", "Abc ", false},
      {"李四", "", true},            // an empty stored password matches an empty entry
      {"王五", "", false},           // a name typed that is not in the list
      {"张", "Abc", false},          // whole-value match
  };
  for (auto& c : cases) {
    DataForm->User->Close();
    std::vector<DialogAnswerer::Seen> seen;
    TModalResult r = TryLogin(c.name, c.password, &seen);
    if (c.ok) {
      EXPECT_EQ(r, mrLoginOk) << c.name << "/" << c.password;
      EXPECT_TRUE(seen.empty());
      EXPECT_EQ(DataForm->UserName(), c.name);
    } else {
      EXPECT_EQ(r, mrCancel) << c.name << "/" << c.password;
      ASSERT_EQ(seen.size(), 1u) << c.name;
      EXPECT_EQ(seen[0].Caption, "错误");
      EXPECT_EQ(seen[0].Text, "登录失败！");
      EXPECT_FALSE(DataForm->User->Active());
    }
  }
}

TEST_F(LoginFixture, EnterMovesToThePasswordAndThenLogsIn) {
  std::unique_ptr<TLoginForm> f(TCustomForm::Create<TLoginForm>(nullptr));
  f->Show();
  f->UserName->SetFocus();
  Application->ProcessMessages();
  char32_t key = U'\r';
  f->UserName->OnKeyPress(f->UserName, key);
  Application->ProcessMessages();
  EXPECT_TRUE(f->Password->Focused());
  f->Password->SetText("3627");
  key = U'\r';
  f->Password->OnKeyPress(f->Password, key);
  EXPECT_EQ(f->ModalResult(), mrLoginOk);
  f->Hide();
}

TEST_F(LoginFixture, ChangedPasswordIsStoredAndWorksAtTheNextLogin) {
  ASSERT_EQ(TryLogin("张三", "Abc"), mrLoginOk);
  std::unique_ptr<TPasswordForm> f(TCustomForm::Create<TPasswordForm>(nullptr));
  EXPECT_EQ(f->Caption(), "更改密码");
  DialogAnswerer answer;
  auto attempt = [&](const char* old, const char* pwd, const char* confirm) {
    answer.Clear();
    f->edtOldPwd->SetText(old);
    f->edtNewPwd->SetText(pwd);
    f->edtNewPwd1->SetText(confirm);
    f->SetModalResult(mrNone);
    SendMessageW(f->Button1->Handle(), BM_CLICK, 0, 0);
    auto seen = answer.Dialogs();
    EXPECT_EQ(seen.size(), 1u);
    return seen.empty() ? DialogAnswerer::Seen{} : seen[0];
  };
  auto seen = attempt("abc", "新密码", "新密码");
  EXPECT_EQ(seen.Caption, "错误");
  EXPECT_EQ(seen.Text, "旧密码不正确.");
  EXPECT_EQ(f->ModalResult(), mrNone);
  seen = attempt("Abc", "新密码", "新密吗");
  EXPECT_EQ(seen.Text, "新密码与确认密码不符.");
  EXPECT_EQ(f->ModalResult(), mrNone);
  EXPECT_EQ(Scalar("select U_Pwd from Users where U_Name = '张三'"), "Abc");
  seen = attempt("Abc", "新密码", "新密码");
  EXPECT_EQ(seen.Caption, "提示");
  EXPECT_EQ(seen.Text, "密码更改成功,请下一次使用新密码登录.");
  EXPECT_EQ(f->ModalResult(), mrOk);
  EXPECT_EQ(Scalar("select U_Pwd from Users where U_Name = '张三'"), "新密码");

  // The next start: the old password fails, the new one works.
  delete DataForm;
  DataForm = TDataModule::Create<TDataForm>(nullptr);
  EXPECT_EQ(TryLogin("张三", "Abc"), mrCancel);
  EXPECT_EQ(TryLogin("张三", "新密码"), mrLoginOk);

  // An empty new password is accepted.
  f.reset(TCustomForm::Create<TPasswordForm>(nullptr));
  attempt("新密码", "", "");
  EXPECT_EQ(Scalar("select U_Pwd from Users where U_Name = '张三'"), "");
}

// A new password that cannot be saved (another program holds the file)
// leaves the stored one in force: the error is shown, the user's record is
// no longer being edited, and the next try checks the old password.
TEST_F(LoginFixture, AFailedPasswordSaveKeepsTheStoredPassword) {
  ASSERT_EQ(TryLogin("张三", "Abc"), mrLoginOk);
  std::unique_ptr<TPasswordForm> f(TCustomForm::Create<TPasswordForm>(nullptr));
  DialogAnswerer answer;
  auto attempt = [&](const char* old, const char* pwd) {
    answer.Clear();
    f->edtOldPwd->SetText(old);
    f->edtNewPwd->SetText(pwd);
    f->edtNewPwd1->SetText(pwd);
    f->SetModalResult(mrNone);
    SendMessageW(f->Button1->Handle(), BM_CLICK, 0, 0);
    auto seen = answer.Dialogs();
    return seen.empty() ? DialogAnswerer::Seen{} : seen[0];
  };
  sqlite3* locker = nullptr;
  ASSERT_EQ(sqlite3_open(Dir.File("data.mdb").c_str(), &locker), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(locker, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
  DialogAnswerer::Seen seen = attempt("Abc", "新密码");
  sqlite3_exec(locker, "rollback", nullptr, nullptr, nullptr);
  sqlite3_close(locker);
  EXPECT_NE(seen.Text.find("locked"), std::string::npos) << seen.Text;
  EXPECT_EQ(f->ModalResult(), mrNone);
  EXPECT_EQ(DataForm->User->State(), dsBrowse);
  EXPECT_EQ(DataForm->User->FieldByName("U_Pwd")->AsString(), "Abc");
  // The typed "new" password is no old password; the stored one is.
  seen = attempt("新密码", "再一个");
  EXPECT_EQ(seen.Text, "旧密码不正确.");
  seen = attempt("Abc", "新密码");
  EXPECT_EQ(seen.Text, "密码更改成功,请下一次使用新密码登录.");
  EXPECT_EQ(Scalar("select U_Pwd from Users where U_Name = '张三'"), "新密码");
}

TEST_F(LoginFixture, InputTextDialog) {
  // The dialog is a form of the window library: the handler fills it in.
  DialogAnswerer answer(IDOK, u"TForm");
  struct Step {
    std::string typed;   // "" = leave the text as it is
    const char* button;  // "确定", "取消", or nullptr for the close box
  } step;
  answer.SetHandler([&](HWND dlg, const DialogAnswerer::Seen&) {
    if (!step.typed.empty()) DialogAnswerer::SetText(DialogAnswerer::FindChild(dlg, "TEdit"), step.typed);
    if (step.button)
      PostMessageW(DialogAnswerer::FindChild(dlg, "TButton", step.button), BM_CLICK, 0, 0);
    else
      PostMessageW(dlg, WM_CLOSE, 0, 0);
    return true;
  });
  String value = "旧名称";
  step = {"", "确定"};
  EXPECT_TRUE(InputTextDialog("修改分类", "请输入分类名称:", value));
  EXPECT_EQ(value, "旧名称");
  ASSERT_EQ(answer.Dialogs().size(), 1u);
  EXPECT_EQ(answer.Dialogs()[0].Caption, "修改分类");
  step = {"新名称", "确定"};
  EXPECT_TRUE(InputTextDialog("修改分类", "请输入分类名称:", value));
  EXPECT_EQ(value, "新名称");
  step = {"不要", "取消"};
  EXPECT_FALSE(InputTextDialog("修改分类", "请输入分类名称:", value));
  EXPECT_EQ(value, "新名称");
  step = {"不要", nullptr};
  EXPECT_FALSE(InputTextDialog("添加分类", "请输入分类名称:", value));
  EXPECT_EQ(value, "新名称");
}
