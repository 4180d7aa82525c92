#include <sqlite3.h>
#include <fstream>
#include "Buttons.h"
#include "AppFixture.h"
#include "DialogAnswerer.h"
#include <commctrl.h>
#include "ComCtrls.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "SHDocVw.h"
#include "ExtCtrls.h"
#include "uDataForm.h"
#include "StdCtrls.h"
#include "uMainForm.h"
#include "uNavForm.h"

namespace {

// MDI children standing in for the list windows of the program.
class TTestListForm : public TForm {
  TOVANI_CLASS(TTestListForm, TForm)
 public:
  explicit TTestListForm(TComponent* AOwner = nullptr) : TForm(AOwner) { SetCaption("测试列表"); }
  ~TTestListForm() override { LeaveFocus(this); }
};
TOVANI_IMPLEMENT_CLASS(TTestListForm, TForm)
TTestListForm* TestListForm = nullptr;

class TTestDialog : public TForm {
  TOVANI_CLASS(TTestDialog, TForm)
 public:
  explicit TTestDialog(TComponent* AOwner = nullptr) : TForm(AOwner) {
    SetCaption("测试对话框");
    ++Made;
    // Closes itself as soon as the modal loop runs, like a user pressing
    // the close box.
    OnShow = [this](TObject*) {
      ShownStyle = BorderStyle();
      PostMessageW(Handle(), WM_CLOSE, 0, 0);
    };
  }
  ~TTestDialog() override {
    ++Freed;
    LeaveFocus(this);
  }
  static int Made, Freed;
  static TFormBorderStyle ShownStyle;
};
TOVANI_IMPLEMENT_CLASS(TTestDialog, TForm)
int TTestDialog::Made = 0, TTestDialog::Freed = 0;
TFormBorderStyle TTestDialog::ShownStyle = bsNone;

// One main window for all the tests, made once and kept to the end of the
// run: the window library keeps a form destroyed while it is active as the
// screen's focused form, so these tests destroy no active window.
class MainFormFixture : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Exec("insert into Users (U_Name, U_Pwd, U_P) values ('张三', '1', '00000000')");
    LogIn("管理员");
    if (!MainForm) {
      MainForm = TCustomForm::Create<TMainForm>(nullptr);
      Application->SetMainForm(MainForm);   // the frame of MDI children
      // Off the screen and not maximised: other test programs share the
      // display and read its pixels.
      MainForm->SetWindowState(wsNormal);
      MainForm->SetBounds(-1600, -1200, 800, 600);
      MainForm->Show();
    }
    MainForm->ShowCurrentUser();
    Pump();
  }
  // Lets released windows go.
  void Pump() { Application->ProcessMessages(); }
};

}  // namespace

TEST_F(MainFormFixture, AfterLoginTheNavigationWindowIsTheFirstChild) {
  EXPECT_EQ(MainForm->StatusText(0), "当前用户：管理员");
  // What the status bar window itself shows.
  char16_t shown[64] = {};
  SendMessageW(MainForm->StatusBar->Handle(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(shown));
  EXPECT_EQ(std::u16string(shown), u"当前用户：管理员");
  EXPECT_EQ(MainForm->StatusText(1), "提示: 就绪");
  EXPECT_FALSE(MainForm->StatusText(2).empty());
  ASSERT_EQ(MainForm->MDIChildCount(), 1);
  EXPECT_EQ(MainForm->MDIChildren(0), NavForm);
  EXPECT_EQ(NavForm->Caption(), "导航窗口");
  // The frame's caption; Windows adds the maximised child's title to it.
  EXPECT_EQ(MainForm->Caption().rfind("Tovani订单管理软件", 0), 0u) << MainForm->Caption();
  EXPECT_EQ(MainForm->WindowMenu(), MainForm->miWindow);
  // The menu's pictures are the data module's (a reference into another
  // form file); the navigation buttons carry their large glyphs.
  EXPECT_EQ(MainForm->MainMenu1->Images(), DataForm->ImageList1);
  EXPECT_EQ(DataForm->ImageList1->Count(), 26);
  EXPECT_EQ(NavForm->BitBtn1->Glyph()->Width(), 32);
  EXPECT_EQ(NavForm->BitBtn1->Layout(), blGlyphTop);
  // Below the buttons the browser fills the rest of the window.
  ASSERT_NE(NavForm->WebBrowser1, nullptr);
  EXPECT_EQ(NavForm->WebBrowser1->Align(), alClient);
  EXPECT_EQ(NavForm->WebBrowser1->Top(), NavForm->Panel1->Height());

  // It cannot be closed: neither by "关闭当前窗口" nor by its own close.
  MainForm->N1->Click();
  NavForm->Close();
  Pump();
  ASSERT_EQ(MainForm->MDIChildCount(), 1);
  EXPECT_EQ(MainForm->MDIChildren(0), NavForm);
}

TEST_F(MainFormFixture, OneChildPerClassAndNoStalePointer) {
  MainForm->OpenChildForm("产品管理", TestListForm);
  ASSERT_NE(TestListForm, nullptr);
  TTestListForm* first = TestListForm;
  EXPECT_EQ(MainForm->MDIChildCount(), 2);
  EXPECT_EQ(first->FormStyle(), fsMDIChild);
  EXPECT_EQ(MainForm->ActiveMDIChild(), first);

  // Opening again shows the same window, even for a user without the
  // permission, and asks nothing.
  LogIn("张三");
  DialogAnswerer answer;
  MainForm->OpenChildForm("产品管理", TestListForm);
  EXPECT_EQ(TestListForm, first);
  EXPECT_EQ(MainForm->MDIChildCount(), 2);
  EXPECT_TRUE(answer.Dialogs().empty());

  // Closing frees it; the global variable does not keep pointing at it.
  // (The navigation window is brought forward first: the window library
  // keeps a form destroyed while it is active as the screen's focused form.)
  NavForm->BringToFront();
  Pump();
  first->Close();
  Pump();
  EXPECT_EQ(MainForm->MDIChildCount(), 1);
  EXPECT_EQ(TestListForm, nullptr);

  // Now the permission counts.
  MainForm->OpenChildForm("产品管理", TestListForm);
  EXPECT_EQ(TestListForm, nullptr);
  EXPECT_EQ(MainForm->MDIChildCount(), 1);
  auto seen = answer.Dialogs();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Caption, "错误");
  EXPECT_EQ(seen[0].Text, "您没有\"产品管理\"的操作权限.");
}

TEST_F(MainFormFixture, CommandsTestTheirOperation) {
  LogIn("张三");
  DialogAnswerer answer;
  struct {
    TMenuItem* item;
    const char* operation;
  } commands[] = {
      {MainForm->miUsers, "用户管理"},   {MainForm->miProduct, "产品管理"}, {MainForm->miCustomer, "客户管理"},
      {MainForm->N10, "产品分类管理"},   {MainForm->N11, "资料设置"},       {MainForm->N12, "报价管理"},
      {MainForm->miSale, "销售管理"},    {MainForm->miSaleStat, "销售统计"},
  };
  for (auto& c : commands) {
    answer.Clear();
    c.item->Click();
    auto seen = answer.Dialogs();
    ASSERT_EQ(seen.size(), 1u) << c.operation;
    EXPECT_EQ(seen[0].Text, String("您没有\"") + c.operation + "\"的操作权限.");
  }
  // The navigation window's buttons run the same commands.
  struct {
    TButton* button;
    const char* operation;
  } buttons[] = {{NavForm->BitBtn1, "产品管理"}, {NavForm->BitBtn2, "客户管理"}, {NavForm->BitBtn3, "销售管理"},
                 {NavForm->BitBtn4, "销售统计"}, {NavForm->BitBtn5, "用户管理"}};
  for (auto& b : buttons) {
    answer.Clear();
    SendMessageW(b.button->Handle(), BM_CLICK, 0, 0);
    auto seen = answer.Dialogs();
    ASSERT_EQ(seen.size(), 1u) << b.operation;
    EXPECT_EQ(seen[0].Text, String("您没有\"") + b.operation + "\"的操作权限.");
  }
  // The administrator passes every test: nothing is shown. (The modal
  // users, classes and lookup-lists dialogs are left out: they wait for
  // their user; the program's end-to-end tests drive them.)
  LogIn("管理员");
  answer.Clear();
  for (auto& c : commands)
    if (c.item != MainForm->N10 && c.item != MainForm->N11 && c.item != MainForm->miUsers) c.item->Click();
  EXPECT_TRUE(answer.Dialogs().empty());
}

TEST_F(MainFormFixture, ModalDialogsAreMadeShownAndFreed) {
  TTestDialog::Made = TTestDialog::Freed = 0;
  MainForm->OpenModalForm<TTestDialog>("");
  EXPECT_EQ(TTestDialog::Made, 1);
  EXPECT_EQ(TTestDialog::Freed, 1);
  EXPECT_EQ(TTestDialog::ShownStyle, bsDialog);

  LogIn("张三");
  DialogAnswerer answer;
  MainForm->OpenModalForm<TTestDialog>("用户管理");
  EXPECT_EQ(TTestDialog::Made, 1);
  ASSERT_EQ(answer.Dialogs().size(), 1u);
  EXPECT_EQ(answer.Dialogs()[0].Text, "您没有\"用户管理\"的操作权限.");
}

TEST_F(MainFormFixture, HintsInTheStatusBar) {
  Application->SetHint("保存当前记录");
  EXPECT_EQ(MainForm->StatusText(1), "提示: 保存当前记录");
  Application->SetHint("");
  EXPECT_EQ(MainForm->StatusText(1), "提示: 就绪");
}

TEST_F(MainFormFixture, Backup) {
  Exec("insert into Customers (C_NO, C_Name) values ('C001', '张三公司')");
  DialogAnswerer answer;
  // A new file: copied, "备份成功.".
  String copy = Dir.File("bak.mdb");
  EXPECT_TRUE(MainForm->BackupTo(copy));
  ASSERT_EQ(answer.Dialogs().size(), 1u);
  EXPECT_EQ(answer.Dialogs()[0].Caption, "信息");
  EXPECT_EQ(answer.Dialogs()[0].Text, "备份成功.");
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(copy.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "select C_Name from Customers", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "张三公司");
    sqlite3_finalize(st);
    sqlite3_close(db);
  }

  // An existing file and Cancel: the file stays as it was.
  String old = Dir.File("old.mdb");
  { std::ofstream(old) << "old backup"; }
  answer.Clear();
  answer.SetDefaultButton(IDCANCEL);
  EXPECT_FALSE(MainForm->BackupTo(old));
  ASSERT_EQ(answer.Dialogs().size(), 1u);
  EXPECT_EQ(answer.Dialogs()[0].Text, "文件已经存在, 是否覆盖文件?");
  std::ifstream in(old);
  std::string content((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(content, "old backup");

  // OK overwrites it.
  answer.Clear();
  answer.SetDefaultButton(IDOK);
  EXPECT_TRUE(MainForm->BackupTo(old));
  ASSERT_EQ(answer.Dialogs().size(), 2u);
  EXPECT_EQ(answer.Dialogs()[1].Text, "备份成功.");

  // A folder that does not exist: "备份失败.".
  answer.Clear();
  EXPECT_FALSE(MainForm->BackupTo(Dir.File("missing/x.mdb")));
  ASSERT_EQ(answer.Dialogs().size(), 1u);
  EXPECT_EQ(answer.Dialogs()[0].Caption, "错误");
  EXPECT_EQ(answer.Dialogs()[0].Text, "备份失败.");
}
