// Sales orders over a real data.mdb: the order editor's lines, amounts and
// checks, saving header and lines in one transaction (also when the file
// is locked or the number was taken meanwhile), the sales list's query over
// a period and deleting an order with its lines.
#include <sqlite3.h>
#include <memory>
#include "ADODB.h"
#include "AppFixture.h"
#include "ComCtrls.h"
#include "DBGridEh.h"
#include "DateUtils.h"
#include "DialogAnswerer.h"
#include "Graphics.h"
#include "Strings.h"
#include "../../platform/vcl/tests/TestPng.h"
#include "SysUtils.h"
#include "uSaleData.h"
#include "uSaleEditForm.h"
#include "uSaleForm.h"
#include "uSaleStatForm.h"
#include "DBLookupEh.h"
#include "StdCtrls.h"

namespace {

class SaleFixture : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    LogIn("管理员");
    Exec("insert into Customers (C_NO, C_Name) values ('C01', '上海贸易公司')");
    Exec("insert into Products (P_NO, P_Name, P_Unit, P_Color, P_Size, P_Price, P_GWeight, P_NWeight) values "
         "('P01', '茶杯', '个', '白', '10x10', 12.5, 1.5, 1.2), ('P02', '茶壶', '只', '青', '20x20', 0.3333, 2, 1.8)");
    CustomerId = StrToInt(Scalar("select C_ID from Customers"));
  }
  TSaleEditForm* NewEditor() {
    Editor.reset(TCustomForm::Create<TSaleEditForm>(nullptr));
    Editor->NewOrder();
    return Editor.get();
  }
  void AddLine(const char* productNo, double qty) {
    TDataSet* lines = Editor->d_Orders_d;
    lines->Append();
    lines->FieldByName("P_ID")->SetAsString(Scalar(String("select P_ID from Products where P_NO = '") + productNo + "'"));
    lines->FieldByName("OD_Qty")->SetAsFloat(qty);
    lines->Post();
  }
  void ChooseCustomer() {
    Editor->d_Orders->FieldByName("C_ID")->SetAsInteger(CustomerId);
  }
  String Today() { return FormatDateTime("yyyymmdd", Date()); }
  Integer CustomerId = 0;
  std::unique_ptr<TSaleEditForm> Editor;
};

// Holds the database's write lock from a second connection, as another
// program in the middle of a write would.
struct FileLock {
  explicit FileLock(const std::string& file) {
    sqlite3_open(file.c_str(), &Db);
    Held = sqlite3_exec(Db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  ~FileLock() {
    sqlite3_exec(Db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(Db);
  }
  sqlite3* Db = nullptr;
  bool Held = false;
};

// A PNG of what the form draws, in the build tree.
void SnapshotForm(TForm* form, const std::string& name) {
  form->SetBounds(0, 0, 900, 560);
  form->Show();
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  TBitmap bmp;
  bmp.SetSize(form->ClientWidth(), form->ClientHeight());
  form->PaintTo(bmp.Canvas(), 0, 0);
  WriteTestPng(&bmp, name);
}

}  // namespace

TEST_F(SaleFixture, NewOrderLinesAmountsAndSave) {
  NewEditor();
  TDataSet* head = Editor->d_Orders;
  EXPECT_EQ(head->State(), dsEdit);
  EXPECT_EQ(head->FieldByName("O_NO")->AsString(), Today() + "0001");
  EXPECT_EQ(head->FieldByName("O_ID")->AsInteger(), 1);
  EXPECT_EQ(Scalar("select AutoID from Keys where TableName = 'Orders'"), "2");
  EXPECT_FALSE(head->FieldByName("O_IsBack")->AsBoolean());
  EXPECT_TRUE(head->FieldByName("O_Enabled")->AsBoolean());
  EXPECT_EQ(head->FieldByName("O_OrderDate")->AsDateTime(), Date());

  // No line before a customer is chosen.
  {
    DialogAnswerer answer;
    EXPECT_THROW(Editor->d_Orders_d->Append(), EAbort);
    ASSERT_EQ(answer.Dialogs().size(), 1u);
    EXPECT_EQ(answer.Dialogs()[0].Text, "未选择客户.");
  }
  ChooseCustomer();
  AddLine("P01", 3);   // 12.5 x 3
  AddLine("P02", 3);   // 0.3333 x 3
  TDataSet* lines = Editor->d_Orders_d;
  EXPECT_EQ(lines->FieldByName("P_Name")->AsString(), "茶壶");   // the product's values copied in
  EXPECT_EQ(lines->FieldByName("P_Size")->AsString(), "20x20");
  EXPECT_EQ(lines->FieldByName("OD_JE")->AsCurrency(), Currency(0.9999));
  // The quantity of the first line changes: its amount follows.
  lines->First();
  lines->Edit();
  lines->FieldByName("OD_Qty")->SetAsFloat(4);
  lines->Post();
  EXPECT_EQ(lines->FieldByName("OD_JE")->AsCurrency(), Currency(50));

  // Line checks, in their order; the line stays in insert state.
  struct Case {
    const char* Product;
    double Price, Qty;
    const char* Message;
  } const cases[] = {{nullptr, 1, 1, "未选择产品."}, {"P01", 0, 1, "单价不正确."}, {"P01", 1, 0, "数量不正确."}};
  for (const Case& c : cases) {
    DialogAnswerer answer;
    lines->Append();
    if (c.Product) lines->FieldByName("P_ID")->SetAsString(Scalar(String("select P_ID from Products where P_NO = '") + c.Product + "'"));
    lines->FieldByName("OD_Price")->SetAsCurrency(Currency(c.Price));
    lines->FieldByName("OD_Qty")->SetAsFloat(c.Qty);
    EXPECT_THROW(lines->Post(), EAbort);
    EXPECT_EQ(lines->State(), dsInsert);
    ASSERT_EQ(answer.Dialogs().size(), 1u);
    EXPECT_EQ(answer.Dialogs()[0].Text, c.Message);
    lines->Cancel();
  }
  // Clearing the product clears its copies and the price, so the amount is 0.
  lines->Edit();
  lines->FieldByName("P_ID")->Clear();
  EXPECT_TRUE(lines->FieldByName("OD_Price")->IsNull());
  EXPECT_TRUE(lines->FieldByName("P_NO")->IsNull());
  EXPECT_EQ(lines->FieldByName("OD_JE")->AsCurrency(), Currency(0));
  lines->Cancel();

  Editor->Button1Click(nullptr);
  EXPECT_EQ(Editor->ModalResult(), mrOk);
  EXPECT_EQ(Scalar("select O_NO || '|' || O_JE || '|' || C_ID || '|' || U_ID || '|' || O_IsBack from Orders"),
            Today() + "0001|50.9999|" + IntToStr(CustomerId) + "|1|0");
  EXPECT_EQ(Scalar("select group_concat(P_NO || ':' || OD_Price || 'x' || OD_Qty || '=' || OD_JE, ' ') from "
                   "(select * from Orders_d where O_ID = 1 order by P_NO)"),
            "P01:12.5x4.0=50 P02:0.3333x3.0=0.9999");

  // The next order of the day gets the next number.
  NewEditor();
  EXPECT_EQ(Editor->d_Orders->FieldByName("O_NO")->AsString(), Today() + "0002");
}

// The price of a line is a number: its editor's typing window shows it at
// the right, as the field's alignment asks, and types it from the left while
// focused.
TEST_F(SaleFixture, PriceFieldShowsItsNumberRightAligned) {
  NewEditor();
  ChooseCustomer();
  AddLine("P01", 3);
  TWinControl* price = Editor->FPrice;
  ASSERT_NE(price, nullptr);
  Editor->Show();
  Editor->FBeiZhu->SetFocus();
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  auto typingStyle = [&] {
    HWND inner = GetWindow(price->Handle(), GW_CHILD);
    return inner ? GetWindowLongW(inner, GWL_STYLE) & (ES_LEFT | ES_CENTER | ES_RIGHT) : -1;
  };
  auto text = [&] {
    char16_t buf[64] = {};
    GetWindowTextW(price->Handle(), reinterpret_cast<LPWSTR>(buf), 64);
    return std::u16string(buf);
  };
  EXPECT_NE(text().find(u"12.5"), std::u16string::npos);   // a currency text
  EXPECT_EQ(typingStyle(), ES_RIGHT) << "the number stands at the right";
  price->SetFocus();
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  EXPECT_EQ(typingStyle(), ES_LEFT) << "typed from the left while focused";
  EXPECT_NE(text().find(u"12.5"), std::u16string::npos);
  Editor->FBeiZhu->SetFocus();
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  EXPECT_EQ(typingStyle(), ES_RIGHT);
  Editor->Hide();
}

TEST_F(SaleFixture, SaveWithoutCustomerWritesNothing) {
  NewEditor();
  DialogAnswerer answer;
  Editor->Button1Click(nullptr);
  ASSERT_EQ(answer.Dialogs().size(), 1u);
  EXPECT_EQ(answer.Dialogs()[0].Text, "未指定客户.");
  EXPECT_EQ(Scalar("select count(*) from Orders"), "0");
  EXPECT_NE(Editor->ModalResult(), mrOk);
}

// A save that fails (another program holds the file's write lock) writes
// neither header nor lines; the editor keeps all of it and a second save
// after the lock is gone writes everything once.
TEST_F(SaleFixture, FailedSaveKeepsEverythingForTheNextTry) {
  NewEditor();
  ChooseCustomer();
  AddLine("P01", 2);
  AddLine("P02", 1);
  {
    FileLock lock(Dir.File("data.mdb"));
    ASSERT_TRUE(lock.Held);
    EXPECT_THROW(Editor->Button1Click(nullptr), EDatabaseError);
  }
  EXPECT_NE(Editor->ModalResult(), mrOk);
  EXPECT_EQ(Scalar("select count(*) from Orders"), "0");
  EXPECT_EQ(Scalar("select count(*) from Orders_d"), "0");
  EXPECT_EQ(Editor->d_Orders_d->PendingCount(), 2);
  EXPECT_EQ(Editor->d_Orders->PendingCount(), 1);
  Editor->Button1Click(nullptr);
  EXPECT_EQ(Editor->ModalResult(), mrOk);
  EXPECT_EQ(Scalar("select count(*) || ' ' || sum(O_JE) from Orders"), "1 25.3333");
  EXPECT_EQ(Scalar("select count(*) from Orders_d"), "2");
}

// Two programs on one file handed out the same number: the second save is
// refused by the unique index, the order gets the next free number, and
// saving again succeeds.
TEST_F(SaleFixture, NumberTakenMeanwhileIsRenewed) {
  NewEditor();
  ChooseCustomer();
  AddLine("P01", 1);
  String mine = Editor->d_Orders->FieldByName("O_NO")->AsString();
  Exec("insert into Orders (O_ID, O_NO, C_ID) values (99, '" + mine + "', " + IntToStr(CustomerId) + ")");
  try {
    Editor->Button1Click(nullptr);
    ADD_FAILURE() << "saved with a taken number";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(String(e.Message()).find(Today() + "0002"), String::npos) << e.Message();
  }
  EXPECT_EQ(Scalar("select count(*) from Orders_d"), "0");
  EXPECT_EQ(Editor->d_Orders->FieldByName("O_NO")->AsString(), Today() + "0002");
  Editor->Button1Click(nullptr);
  EXPECT_EQ(Scalar("select O_NO from Orders where O_ID = 1"), Today() + "0002");
  EXPECT_EQ(Scalar("select count(*) from Orders_d where O_ID = 1"), "1");
}

TEST_F(SaleFixture, EditingAnOrderChangesItsLinesAndTotal) {
  NewEditor();
  ChooseCustomer();
  AddLine("P01", 1);
  AddLine("P02", 3);
  Editor->Button1Click(nullptr);
  Editor.reset(TCustomForm::Create<TSaleEditForm>(nullptr));
  Editor->EditOrder(Variant(1));
  EXPECT_EQ(Editor->d_Orders_d->RecordCount(), 2);
  Editor->d_Orders_d->First();   // P01 first (read in insert order)
  Editor->d_Orders_d->Delete();
  Editor->d_Orders->FieldByName("O_IsBack")->SetAsBoolean(true);   // now a return
  Editor->Button1Click(nullptr);
  EXPECT_EQ(Scalar("select O_JE || ' ' || O_IsBack from Orders"), "0.9999 1");
  EXPECT_EQ(Scalar("select group_concat(P_NO) from Orders_d"), "P02");
}

TEST_F(SaleFixture, ListQueriesAPeriodAndDeletesOrdersWithTheirLines) {
  // Orders on three days; the machine's short date format plays no part.
  TDateTime day = EncodeDate(2026, 3, 10);
  for (int i = 0; i < 3; ++i)
    Exec(Format("insert into Orders (O_ID, O_NO, O_OrderDate, C_ID, U_ID, O_JE) values (%d, '2026031%d0001', '%s', %d, 1, %d)",
                {i + 1, i, DateTimeToISO(day + i), CustomerId, 10 * (i + 1)}));
  Exec("insert into Orders_d (O_ID, P_ID, OD_Qty) values (2, 1, 1), (2, 2, 1), (3, 1, 1)");
  TFormatSettings saved = FormatSettings();
  FormatSettings().ShortDateFormat = "dd/mm/yy";
  FormatSettings().DateSeparator = '/';
  std::unique_ptr<TSaleForm> form(TCustomForm::Create<TSaleForm>(nullptr));
  EXPECT_TRUE(form->d_Orders->IsEmpty());   // nothing before the first "查询"
  EXPECT_EQ(form->dt1->Date(), Date() - 30);
  form->dt1->SetDate(day + 1);
  form->dt2->SetDate(day + 1);
  form->Button1Click(nullptr);
  FormatSettings() = saved;
  ASSERT_EQ(form->d_Orders->RecordCount(), 1);   // the whole day dt2, not the next
  EXPECT_EQ(form->d_Orders->FieldByName("C_Name")->AsString(), "上海贸易公司");
  EXPECT_EQ(form->d_Orders_d->RecordCount(), 2);
  form->dt1->SetChecked(false);
  form->dt2->SetChecked(false);
  form->Button1Click(nullptr);
  EXPECT_EQ(form->d_Orders->RecordCount(), 3);
  SnapshotForm(form.get(), "sales_list_window");

  form->d_Orders->Locate("O_ID", Variant(2), {});
  {
    DialogAnswerer answer(IDCANCEL);
    form->ToolButton5Click(nullptr);
  }
  EXPECT_EQ(Scalar("select count(*) from Orders"), "3");
  {
    DialogAnswerer answer(IDOK);
    form->ToolButton5Click(nullptr);
    ASSERT_EQ(answer.Dialogs().size(), 1u);
    EXPECT_EQ(answer.Dialogs()[0].Text, "确定要删除记录吗？");
  }
  EXPECT_EQ(form->d_Orders->RecordCount(), 2);
  EXPECT_EQ(Scalar("select group_concat(O_ID) from Orders"), "1,3");
  EXPECT_EQ(Scalar("select group_concat(O_ID) from Orders_d"), "3");
  EXPECT_EQ(PeriodCondition("x", false, 0, false, 0), "");
}

// The statistics over a period, a customer and a kind: "正常" and "退货"
// partition "全部", the footer holds the sum of the listed orders in
// the money format.
TEST_F(SaleFixture, StatisticsPartitionOrdersByKindAndCustomer) {
  Exec("insert into Customers (C_NO, C_Name) values ('C02', '北京商行')");
  Integer other = CustomerId + 1;
  TDateTime day = EncodeDate(2026, 5, 20);
  struct Row {
    int Id, Day, Customer;
    bool Back;
    double Amount;
  } const rows[] = {{1, 0, 0, false, 100}, {2, 0, 0, true, -30}, {3, 1, 1, false, 12.5}, {4, 2, 0, false, 7}};
  for (const Row& r : rows)
    Exec(Format("insert into Orders (O_ID, O_NO, O_OrderDate, C_ID, U_ID, O_IsBack, O_JE) values (%d, 'N%d', '%s', %d, 1, %d, %s)",
                {r.Id, r.Id, DateTimeToISO(day + r.Day), r.Customer ? other : CustomerId, r.Back ? 1 : 0,
                 FloatToStr(r.Amount)}));
  std::unique_ptr<TSaleStatForm> form(TCustomForm::Create<TSaleStatForm>(nullptr));
  form->Show();
  EXPECT_TRUE(form->d_Orders->IsEmpty());
  EXPECT_EQ(form->dt1->Date(), Date() - 31);
  EXPECT_EQ(form->cb2->Text(), "全部");   // the form file's selection
  form->dt1->SetDate(day);
  form->dt2->SetDate(day + 1);
  auto run = [&](int kind, const Variant& who) {
    form->cb2->SetItemIndex(kind);
    form->customer->SetKeyValue(who);
    form->Button1Click(nullptr);
    String ids;
    for (form->d_Orders->First(); !form->d_Orders->Eof(); form->d_Orders->Next())
      ids += form->d_Orders->FieldByName("O_ID")->AsString();
    return ids + " " + form->DBGridEh1->GetFooterValue(0, form->DBGridEh1->Columns()->Item(5));
  };
  EXPECT_EQ(run(0, Variant::Null()), "123 ￥82.50");
  EXPECT_EQ(run(1, Variant::Null()), "13 ￥112.50");
  EXPECT_EQ(run(2, Variant::Null()), "2 -￥30.00");
  EXPECT_EQ(run(0, Variant(other)), "3 ￥12.50");
  EXPECT_EQ(run(1, Variant(CustomerId)), "1 ￥100.00");
  form->dt1->SetChecked(false);
  form->dt2->SetChecked(false);
  EXPECT_EQ(run(0, Variant::Null()), "1234 ￥89.50");
  SnapshotForm(form.get(), "sales_statistics");
}
