// The program's printed reports over a fresh database: each window's
// template, built from that window's data, holds the company name, the
// customers, products, order lines and sums in the program's money and
// date formats.
#include <algorithm>
#include <memory>
#include <vector>
#include "ADODB.h"
#include "AppFixture.h"
#include "DateUtils.h"
#include "PrintedText.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "dxdbtree.h"
#include "frxClass.h"
#include "frxPreviewPages.h"
#include "uCustomerForm.h"
#include "uProductForm.h"
#include "uSaleForm.h"
#include "ReportTemplates.h"

namespace {

struct ReportsFixture : AppFixture {
  void SetUp() override {
    AppFixture::SetUp();
    if (HasFatalFailure()) return;
    Application->OnException = [](TObject*, Exception* e) { ADD_FAILURE() << e->Message(); };
    LogIn("管理员");
    Exec("update 参数 set 设置 = '测试贸易有限公司' where 参数 = '企业名称'");
    Exec("insert into Customers (C_NO, C_Name, C_Contact, C_Addr, C_Tel, C_Fax, C_Mobile, C_Email) values "
         "('C01', '上海贸易公司', '王经理', '上海市南京路1号', '021-1234567', '021-7654321', '13800000000', 'wang@ex.cn'),"
         "('C02', '北京商行', '李四', null, null, null, null, null)");
    Exec("insert into Classes (CLS_ID, CLS_Name, CLS_ParentID) values (1, '茶具', 0), (2, '家具', 0)");
    Exec("insert into Products (CLS_ID, P_NO, P_Name, P_EName, P_Unit, P_EUnit, P_Color, P_EColor, P_Price) values "
         "(1, 'P01', '茶杯', 'Cup', '个', 'PCS', '白', 'White', 12.5),"
         "(1, 'P02', '茶壶', 'Teapot', '只', 'PCS', '青', 'Green', 1234.5),"
         "(2, 'F01', '茶几', 'Table', '张', 'PCS', '黑', 'Black', 800)");
  }
  void TearDown() override {
    Application->OnException = nullptr;
    AppFixture::TearDown();
  }
  // The memo texts of each prepared page of a report built now.
  static std::vector<std::vector<String>> Build(TfrxReport* Report) {
    Report->EngineOptions()->NewSilentMode = simSilent;
    Report->ShowProgress = false;
    EXPECT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
    std::vector<std::vector<String>> pages;
    TfrxCustomPreviewPages* prepared = Report->PreviewPages();
    for (Integer p = 0; p < prepared->GetPageCount(); ++p) {
      std::vector<String> texts;
      TList* all = prepared->GetPage(p)->AllObjects();
      for (Integer i = 0; i < all->Count(); ++i) {
        auto* c = static_cast<TfrxComponent*>(all->Items(i));
        if (c->Is<TfrxCustomMemoView>()) {
          String t = Utf16ToUtf8(static_cast<TfrxCustomMemoView*>(c)->Text());
          while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.pop_back();
          texts.push_back(t);
        }
      }
      pages.push_back(texts);
    }
    return pages;
  }
  static bool Has(const std::vector<String>& texts, const String& t) {
    return std::find(texts.begin(), texts.end(), t) != texts.end();
  }
};

}  // namespace

TEST(ReportTemplates, EveryTemplateIsInTheProgramAndUnknownNamesAreRefused) {
  for (const char* name : {"CustomerList", "ProductList", "SaleOrder"})
    EXPECT_NE(ReportTemplateText(name).find("<TfrxReport"), String::npos) << name;
  TfrxReport report;
  EXPECT_THROW(LoadReportTemplate(&report, "NoSuchReport", {}), Exception);
}

TEST_F(ReportsFixture, SalesOrderOfTheCurrentOrderWithCompanyNameLinesAndSums) {
  Exec("insert into Orders (O_ID, O_NO, O_OrderDate, C_ID, U_ID, O_IsBack, O_Enabled, O_JE) values "
       "(1, '202612110001', '" + FormatDateTime("yyyy-mm-dd", Date()) + " 00:00:00', 1, 1, 0, 1, 1271.5),"
       "(2, '202612110002', '" + FormatDateTime("yyyy-mm-dd", Date()) + " 00:00:00', 2, 1, 0, 1, 25)");
  Exec("insert into Orders_d (O_ID, P_ID, P_NO, P_Name, P_Unit, OD_Price, OD_Qty, OD_JE, OD_Memo) values "
       "(1, 1, 'P01', '茶杯', '个', 12.5, 3, 37.5, '加急'), (1, 2, 'P02', '茶壶', '只', 1234.5, 1, 1234.5, null),"
       "(2, 1, 'P01', '茶杯', '个', 12.5, 2, 25, null)");
  // A customer window is open too: its report dataset has the same name as
  // the sales order's header dataset.
  std::unique_ptr<TCustomerForm> customers(TCustomForm::Create<TCustomerForm>(nullptr));
  std::unique_ptr<TSaleForm> sales(TCustomForm::Create<TSaleForm>(nullptr));
  sales->Button1Click(nullptr);
  ASSERT_TRUE(sales->d_Orders->Locate("O_ID", Variant(1), {}));

  std::vector<std::vector<String>> pages = Build(sales->frxReport1);
  ASSERT_EQ(pages.size(), 1u);
  const std::vector<String>& t = pages[0];
  for (const String& want :
       {String("测试贸易有限公司"), String("客户：上海贸易公司"), String("单号：202612110001"),
        "日期：" + FormatDateTime("yyyy-mm-dd", Date()), String("地址：上海市南京路1号"), String("电话：021-1234567"),
        String("传真：021-7654321"), String("编号"), String("金额"),
        // The lines, money in the program's currency format.
        String("P01"), String("茶杯"), String("个"), String("￥12.50"), String("3"), String("￥37.50"), String("加急"),
        String("P02"), String("￥1,234.50"),
        // The sums of this order only.
        String("合计"), String("4"), String("￥1,272.00")})
    EXPECT_TRUE(Has(t, want)) << want;
  EXPECT_FALSE(Has(t, "您的企业名称销售单"));
  EXPECT_FALSE(Has(t, "2"));
  EXPECT_FALSE(Has(t, "￥25.00"));

  // Without the company setting the title keeps its own text; an empty list
  // gives one page with empty header fields and no lines.
  Exec("delete from 参数 where 参数 = '企业名称'");
  sales->d_Orders->Close();
  sales->d_Orders->SetCommandText(sales->OrderQuery() + " and 1 <> 1");
  sales->d_Orders->Open();
  pages = Build(sales->frxReport1);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_TRUE(Has(pages[0], "您的企业名称销售单"));
  EXPECT_TRUE(Has(pages[0], "客户："));
  EXPECT_TRUE(Has(pages[0], "单号："));
  EXPECT_TRUE(Has(pages[0], "日期："));
  EXPECT_FALSE(Has(pages[0], "P01"));
  EXPECT_TRUE(Has(pages[0], "合计"));
}

TEST_F(ReportsFixture, CustomerListHasEveryCustomer) {
  std::unique_ptr<TCustomerForm> form(TCustomForm::Create<TCustomerForm>(nullptr));
  std::vector<std::vector<String>> pages = Build(form->frxReport1);
  ASSERT_EQ(pages.size(), 1u);
  for (const char* want : {"客 户 清 单", "客户编号", "电子邮箱", "C01", "上海贸易公司", "王经理", "021-1234567",
                           "021-7654321", "13800000000", "wang@ex.cn", "C02", "北京商行", "李四"})
    EXPECT_TRUE(Has(pages[0], want)) << want;
  // Seven framed cells in each of the header and the two customer rows.
  auto* cell = static_cast<TfrxMemoView*>(form->frxReport1->FindObject("Data2"));
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->Font()->Name(), "宋体");
  EXPECT_EQ(cell->Frame()->Typ(), (TfrxFrameTypes{ftLeft, ftRight, ftTop, ftBottom}));
}

TEST_F(ReportsFixture, ProductSheetListsTheProductsOfTheSelectedClass) {
  std::unique_ptr<TProductForm> form(TCustomForm::Create<TProductForm>(nullptr));
  ProductForm = form.get();
  form->Show();
  form->tvClasses->DBNodes()->FindNodeByKey(Variant(1))->SetSelected(true);
  std::vector<std::vector<String>> pages = Build(form->frxReport1);
  ProductForm = nullptr;
  ASSERT_EQ(pages.size(), 1u);
  for (const char* want : {"产 品 清 单", "品名(英)", "P01", "茶杯", "Cup", "白", "White", "个", "PCS", "￥12.50", "P02",
                           "Teapot", "￥1,234.50"})
    EXPECT_TRUE(Has(pages[0], want)) << want;
  EXPECT_FALSE(Has(pages[0], "F01"));
}

TEST_F(ReportsFixture, CustomerListPrintedToTheDefaultPrinter) {
  std::unique_ptr<TCustomerForm> form(TCustomForm::Create<TCustomerForm>(nullptr));
  TfrxReport* report = form->frxReport1;
  Build(report);
  // The default printer of the test set-up is its PDF queue; the job goes
  // under a title of this run.
  report->PrintOptions()->ShowDialog = false;
  std::string title = printed_pdf::UniqueTitle("app_customer_list");
  report->ReportOptions()->Name = title;
  ASSERT_TRUE(report->PreviewPages()->Print());
  std::string pdf = printed_pdf::WaitFor(title);
  ASSERT_FALSE(pdf.empty()) << "no PDF for job " << title;
  std::string text = PrintedText(pdf);
  printed_pdf::RenderPng(pdf, TOVANI_TEST_BINARY_DIR "/customer_list_printed");
  printed_pdf::Remove(pdf);
  for (const char* want : {"客户编号", "上海贸易公司", "王经理", "021-1234567", "13800000000", "wang@ex.cn", "北京商行"})
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
}
