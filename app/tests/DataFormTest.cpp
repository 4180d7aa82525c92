#include <fstream>
#include <memory>
#include "ADODB.h"
#include "DateUtils.h"
#include <mutex>
#include "DialogAnswerer.h"
#include "Graphics.h"
#include "Strings.h"
#include "SysUtils.h"
#include "AppFixture.h"
#include "TempDir.h"
#include "cxLookAndFeels.h"
#include "uDataForm.h"
#include "gtest.h"

TEST(DataForm, NextDocumentNumber) {
  TDateTime day = EncodeDate(2024, 3, 9);
  struct Case {
    const char* highest;
    const char* expected;
  } cases[] = {
      {"", "202403090001"},               // first number of the day
      {"202403090017", "202403090018"},
      {"202403090099", "202403090100"},
      {"202403099998", "202403099999"},   // the 9999th number
      {"2024030900017", "202403090002"},  // only the four characters after the date count
  };
  for (auto& c : cases) EXPECT_EQ(NextDocumentNumber(c.highest, day), c.expected) << c.highest;
  // The 10,000th number of a day is refused rather than repeated.
  try {
    NextDocumentNumber("202403099999", day);
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("9999"), String::npos) << e.Message();
  }
  // A number whose count is not four digits: the conversion error.
  for (const char* bad : {"20240309ABCD", "20240309-001", "20240309 001", "202403090"}) {
    try {
      NextDocumentNumber(bad, day);
      ADD_FAILURE() << bad;
    } catch (const EConvertError& e) {
      EXPECT_NE(e.Message().find("is not a valid integer value"), String::npos) << e.Message();
    }
  }
}

TEST(DataForm, AverageCharacterSizeOfTheCanvasFont) {
  TBitmap bmp;
  bmp.SetWidth(10);
  bmp.SetHeight(10);
  TCanvas* c = bmp.Canvas();
  c->Font()->SetName("宋体");
  c->Font()->SetSize(9);
  TSize small = GetAveCharSize(c);
  EXPECT_GT(small.cx, 2);
  EXPECT_GT(small.cy, 8);
  c->Font()->SetSize(18);
  TSize big = GetAveCharSize(c);
  EXPECT_GT(big.cx, small.cx);
  EXPECT_GT(big.cy, small.cy);
}

// ---------------------------------------------------------------------------
// The data module over a real data.mdb in a temporary program folder.

// The fixture's data module is the global DataForm.
class DataFormFixture : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Form = DataForm;
  }
  TDataForm* Form = nullptr;
};

TEST_F(DataFormFixture, StartsInAFolderWithoutDatabase) {
  EXPECT_EQ(Form->AppPath, Dir.Path() + "/");
  EXPECT_TRUE(Form->conn->Connected());
  EXPECT_EQ(Dir.List(), std::vector<std::string>{"data.mdb"});
  EXPECT_TRUE(Form->d_OP->Active());
  EXPECT_EQ(Form->d_OP->RecordCount(), 8);
  EXPECT_FALSE(Form->User->Active());
  EXPECT_FALSE(Form->HasPermission("产品管理"));   // nobody logged in
}

TEST_F(DataFormFixture, EditorControlsFollowTheNativeStyle) {
  // The data module's look-and-feel controller sets the native style for
  // every editor control that assigns nothing itself; it goes with the
  // data module.
  ASSERT_NE(Form->cxLookAndFeelController1, nullptr);
  EXPECT_TRUE(Form->cxLookAndFeelController1->NativeStyle());
  EXPECT_EQ(Form->cxLookAndFeelController1->Kind(), lfUltraFlat);
  TcxLookAndFeel control;
  EXPECT_TRUE(control.NativeStyle());
  delete DataForm;
  DataForm = Form = nullptr;
  EXPECT_FALSE(control.NativeStyle());
  DataForm = Form = TDataModule::Create<TDataForm>(nullptr);
  EXPECT_TRUE(control.NativeStyle());
}

TEST_F(DataFormFixture, ExistingDatabaseIsUsedAsItStands) {
  Exec("update Users set U_Pwd = 'abc'");
  Exec("delete from OP where OP_ID = 8");
  delete DataForm;
  DataForm = Form = TDataModule::Create<TDataForm>(nullptr);
  LogIn("管理员");
  EXPECT_EQ(Form->User->FieldByName("U_Pwd")->AsString(), "abc");
  EXPECT_EQ(Form->d_OP->RecordCount(), 7);
}

TEST(DataForm, UnreadableDatabaseStopsTheStart) {
  TempDir dir;
  {
    std::ofstream out(dir.File("data.mdb"), std::ios::binary);
    out << "this is no database, just some text that SQLite will refuse to read as one.";
  }
  SetProgramFolder(dir.Path());
  EXPECT_THROW(TDataModule::Create<TDataForm>(nullptr), EDatabaseError);
  SetProgramFolder("");
}

TEST_F(DataFormFixture, NextAutoID) {
  EXPECT_EQ(Form->NextAutoID("Orders"), 1);
  EXPECT_EQ(Form->NextAutoID("Orders"), 2);
  EXPECT_EQ(Form->NextAutoID("PriceList"), 1);
  EXPECT_EQ(Form->NextAutoID("NoSuchTable"), 0);
  Form->Query->SQL()->SetText("select TableName, AutoID from Keys order by TableName");
  Form->Query->Open();
  EXPECT_EQ(Form->Query->FieldByName("AutoID")->AsInteger(), 3);
  Form->Query->Next();
  EXPECT_EQ(Form->Query->FieldByName("AutoID")->AsInteger(), 2);
  EXPECT_EQ(Form->Query->RecordCount(), 2);   // nothing added for the unknown table
}

TEST_F(DataFormFixture, NextDocumentNo) {
  String today = FormatDateTime("yyyymmdd", Date());
  String yesterday = FormatDateTime("yyyymmdd", Date() - 1);
  struct Case {
    String existing;   // numbers in Orders before the call
    String expected;   // "" = refused
  } cases[] = {
      {"", today + "0001"},
      {yesterday + "0042", today + "0001"},   // a new day starts again
      {today + "0001," + today + "0017", today + "0018"},
      {today + "9998", today + "9999"},
      {today + "9999", ""},                   // the 10,000th number of a day
  };
  Integer id = 0;
  for (auto& c : cases) {
    Exec("delete from Orders");
    if (!c.existing.empty()) {
      std::unique_ptr<TStringList> nos(new TStringList());
      nos->SetCommaText(c.existing);
      for (Integer i = 0; i < nos->Count(); ++i)
        Exec("insert into Orders (O_ID, O_NO) values (" + IntToStr(++id) + ", " + QuotedStr(nos->Strings(i)) + ")");
    }
    String number = "unchanged";
    if (c.expected.empty()) {
      EXPECT_THROW(Form->NextDocumentNo("Orders", "O_NO", number), EDatabaseError) << c.existing;
      EXPECT_EQ(number, "unchanged");
    } else {
      Form->NextDocumentNo("Orders", "O_NO", number);
      EXPECT_EQ(number, c.expected) << c.existing;
    }
    EXPECT_FALSE(Form->Query->Active());
  }
}

TEST_F(DataFormFixture, HasPermission) {
  Exec("insert into Users (U_Name, U_Pwd, U_P) values ('张三', '', '10100001')");
  Exec("insert into Users (U_Name, U_Pwd, U_P) values ('李四', '', '1')");
  Exec("insert into Users (U_Name, U_Pwd, U_P) values ('王五', '', NULL)");
  Exec("update Users set U_P = '' where U_Name = '管理员'");
  struct Case {
    const char* user;
    const char* op;
    bool allowed;
  } cases[] = {
      {"管理员", "产品管理", true},       // the administrator whatever U_P holds
      {"管理员", "没有这个操作", true},   // also for operations not in OP
      {"张三", "产品管理", true},
      {"张三", "客户管理", false},
      {"张三", "产品分类管理", true},
      {"张三", "用户管理", true},
      {"张三", "没有这个操作", false},
      {"张三", "产品管理 ", false},       // whole-value match
      {"李四", "产品管理", true},
      {"李四", "客户管理", false},        // U_P shorter than OP_ID
      {"王五", "产品管理", false},
  };
  for (auto& c : cases) {
    LogIn(c.user);
    EXPECT_EQ(Form->HasPermission(c.op), c.allowed) << c.user << " " << c.op;
  }
}

TEST_F(DataFormFixture, MoneyFormatsOnlyForCurrencyFields) {
  Exec("insert into Orders (O_ID, O_NO, O_JE) values (1, '1', 0.5)");
  Form->Query->SQL()->SetText("select O_ID, O_NO, O_JE from Orders");
  Form->Query->Open();
  Form->SetMoneyFormats(Form->Query);
  auto* je = dynamic_cast<TBCDField*>(Form->Query->FieldByName("O_JE"));
  ASSERT_NE(je, nullptr);
  EXPECT_EQ(je->DisplayFormat(), "￥#.00");
  EXPECT_EQ(je->EditFormat(), "#.#");
  EXPECT_EQ(je->DisplayText(), "￥.50");
  auto* id = dynamic_cast<TNumericField*>(Form->Query->FieldByName("O_ID"));
  ASSERT_NE(id, nullptr);
  EXPECT_EQ(id->DisplayFormat(), "");
  Form->Query->Close();
}

TEST_F(DataFormFixture, LoadListFromTable) {
  Exec("insert into B_Units (UnitName, UnitEName) values ('个', 'pcs'), ('箱', 'box'), ('米', 'm')");
  TStringList list;
  list.Add("old line");
  Form->LoadListFromTable(&list, "B_Units", "UnitName");
  EXPECT_EQ(list.Text(), "个\r\n箱\r\n米\r\n");
  EXPECT_THROW(Form->LoadListFromTable(&list, "B_Units", "NoColumn"), EDatabaseError);
  EXPECT_THROW(Form->LoadListFromTable(&list, "NoTable", "UnitName"), EDatabaseError);
}

TEST(DataForm, MessageBoxes) {
  DialogAnswerer answer;
  // The buttons the user reads (the box renames them as it is activated).
  std::mutex mutex;
  std::vector<std::string> buttons;
  answer.SetHandler([&](HWND box, const DialogAnswerer::Seen&) {
    std::string text;
    for (int i = 0; i < 20; ++i) {
      text = DialogAnswerer::WindowText(GetDlgItem(box, IDOK));
      if (HWND cancel = GetDlgItem(box, IDCANCEL)) text += "/" + DialogAnswerer::WindowText(cancel);
      if (text.rfind("OK", 0) != 0) break;
      Sleep(10);
    }
    std::lock_guard<std::mutex> lock(mutex);
    buttons.push_back(text);
    return false;
  });
  EXPECT_EQ(MsgError(nullptr, "备份失败."), IDOK);
  EXPECT_EQ(MsgInfo(nullptr, "备份成功.", "提示"), IDOK);
  answer.SetDefaultButton(IDCANCEL);
  EXPECT_EQ(MsgConfirm(nullptr, "文件已经存在, 是否覆盖文件?"), IDCANCEL);
  answer.SetDefaultButton(IDOK);
  EXPECT_EQ(MsgConfirm(nullptr, "确定要删除记录吗？"), IDOK);
  auto seen = answer.Dialogs();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].Caption, "错误");
  EXPECT_EQ(seen[0].Text, "备份失败.");
  EXPECT_EQ(seen[1].Caption, "提示");
  EXPECT_EQ(seen[2].Caption, "确认");
  EXPECT_EQ(seen[2].Text, "文件已经存在, 是否覆盖文件?");
  EXPECT_EQ(seen[3].Caption, "确认");
  std::lock_guard<std::mutex> lock(mutex);
  EXPECT_EQ(buttons, (std::vector<std::string>{"确定", "确定", "确定/取消", "确定/取消"}));
}
