// Quotations over a real data.mdb: the editor's lines and one-transaction
// save, deleting a quotation with its lines, and the quotation workbook
// from the template (blocks of lines, pictures, overwritten on a second
// export) and its mail. The workbooks are written to the build tree, where
// quotation_readback.py reads them with an independent reader.
#include <sys/stat.h>
#include <memory>
#include "ADODB.h"
#include "AppFixture.h"
#include "DateUtils.h"
#include "DialogAnswerer.h"
#include "Graphics.h"
#include "Jpeg.h"
#include "MapiControl.h"
#include "Strings.h"
#include "SysUtils.h"
#include "Workbook.h"
#include "uExcel.h"
#include "uPriceListEditForm.h"
#include "uPriceListForm.h"

namespace {

std::string OutFolder() {
  std::string out = std::string(TOVANI_TEST_BINARY_DIR) + "/out";
  ::mkdir(out.c_str(), 0755);
  return out;
}

void CopyFile(const std::string& from, const std::string& to) {
  auto in = TWorkbook::Open(from);
  in->SaveAs(to);
}

class PriceListFixture : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    LogIn("管理员");
    for (const char* d : {"mb", "price", "Pictures"}) ::mkdir(Dir.File(d).c_str(), 0755);
    Exec("insert into Customers (C_NO, C_Name, C_Contact, C_Email) values ('C01', '上海贸易公司', '王经理', 'wang@example.com')");
    Exec("insert into Products (P_NO, P_Name, P_Color, P_Size, P_Price, P_GWeight, P_NWeight) values "
         "('P001', '茶杯', '白', '10x10', 10.5, 1.5, 1.25), ('P002', '茶壶', '青', '20x20', 21, 2.5, 2), "
         "('P003', '茶盘', '黑', '30x40', 31.5, 3, 2.75)");
    // The template: a title, the header labels and the block of one line.
    auto t = TWorkbook::CreateNew();
    TWorksheet& s = t->Sheet(1);
    s.SetText(1, 1, "报价单");
    s.SetText(2, 1, "客户:");
    s.SetText(2, 3, "日期:");
    s.SetText(2, 5, "单号:");
    s.SetText(4, 1, "编号");
    s.SetText(5, 1, "名称");
    s.SetText(6, 1, "报价");
    t->SaveAs(Dir.File("mb/price.xlsx"));
    // A landscape picture for P001 only.
    TBitmap bmp;
    bmp.SetSize(200, 100);
    bmp.Canvas()->Brush()->SetColor(clRed);
    bmp.Canvas()->FillRect(TRect(0, 0, 200, 100));
    TJPEGImage jpeg;
    jpeg.Assign(&bmp);
    jpeg.SaveToFile(Dir.File("Pictures/P001.jpg"));
  }
  // A saved quotation of the customer with the given products, made in the editor.
  void MakeQuotation(std::initializer_list<const char*> products) {
    std::unique_ptr<TPriceListEditForm> editor(TCustomForm::Create<TPriceListEditForm>(nullptr));
    editor->NewPriceList();
    editor->d_PriceList->Edit();
    editor->d_PriceList->FieldByName("C_ID")->SetAsString(Scalar("select C_ID from Customers"));
    for (const char* p : products) {
      editor->Button3Click(nullptr);
      editor->d_PriceList_d->FieldByName("P_ID")->SetAsString(
          Scalar(String("select P_ID from Products where P_NO = '") + p + "'"));
      editor->Button4Click(nullptr);
    }
    editor->Button1Click(nullptr);
    ASSERT_EQ(editor->ModalResult(), mrOk);
  }
};

}  // namespace

TEST_F(PriceListFixture, EditorSavesHeaderAndLinesAndListDeletesThem) {
  std::unique_ptr<TPriceListEditForm> editor(TCustomForm::Create<TPriceListEditForm>(nullptr));
  editor->NewPriceList();
  TDataSet* lines = editor->d_PriceList_d;
  EXPECT_EQ(editor->d_PriceList->FieldByName("PL_NO")->AsString(), FormatDateTime("yyyymmdd", Date()) + "0001");
  editor->Button3Click(nullptr);
  lines->FieldByName("P_ID")->SetAsString(Scalar("select P_ID from Products where P_NO = 'P002'"));
  EXPECT_EQ(lines->FieldByName("PLD_Price")->AsCurrency(), Currency(21));   // the product's price
  EXPECT_EQ(lines->FieldByName("P_Name")->AsString(), "茶壶");              // the lookup field
  lines->FieldByName("PLD_Price")->SetAsCurrency(Currency(19.8));
  editor->Button4Click(nullptr);
  editor->Button3Click(nullptr);
  lines->FieldByName("P_ID")->SetAsInteger(999);   // no such product: no price
  EXPECT_TRUE(lines->FieldByName("PLD_Price")->IsNull());
  editor->Button5Click(nullptr);                    // "撤消修改"
  EXPECT_EQ(lines->RecordCount(), 1);
  // Saved without a customer, as the editor allows; nothing before "保存".
  EXPECT_EQ(Scalar("select count(*) from PriceList_d"), "0");
  editor->Button1Click(nullptr);
  EXPECT_EQ(Scalar("select count(*) || ' ' || max(PLD_Price) from PriceList_d where PL_ID = 1"), "1 19.8");
  EXPECT_EQ(Scalar("select count(*) from PriceList where PL_ID = 1"), "1");

  MakeQuotation({"P001", "P003"});
  std::unique_ptr<TPriceListForm> list(TCustomForm::Create<TPriceListForm>(nullptr));
  // The list joins customers: the quotation without one is not shown.
  ASSERT_EQ(list->d_PriceList->RecordCount(), 1);
  EXPECT_EQ(list->d_PriceList_d->RecordCount(), 2);
  {
    DialogAnswerer answer(IDOK);
    list->ToolButton5Click(nullptr);
    ASSERT_EQ(answer.Dialogs().size(), 1u);
    EXPECT_EQ(answer.Dialogs()[0].Text, "确定要删除记录吗?");
  }
  EXPECT_TRUE(list->d_PriceList->IsEmpty());
  EXPECT_EQ(Scalar("select group_concat(PL_ID) from PriceList"), "1");
  EXPECT_EQ(Scalar("select count(*) from PriceList_d where PL_ID = 2"), "0");
}

TEST_F(PriceListFixture, WorkbookHasOneBlockPerLineWithPictures) {
  MakeQuotation({"P001", "P002", "P003"});
  std::unique_ptr<TPriceListForm> list(TCustomForm::Create<TPriceListForm>(nullptr));
  ASSERT_FALSE(list->d_PriceList->IsEmpty());
  String number = list->d_PriceList->FieldByName("PL_NO")->AsString();
  std::vector<String> opened;
  SetDefaultApplicationOpener([&](const String& f) { opened.push_back(f); });
  list->ToolButton8Click(nullptr);
  list->ToolButton8Click(nullptr);   // a second export overwrites the file
  SetDefaultApplicationOpener(nullptr);
  ASSERT_EQ(opened.size(), 2u);
  std::string file = Dir.File("price/" + number + ".xlsx");
  auto book = TWorkbook::Open(file);
  TWorksheet& s = book->Sheet(1);
  EXPECT_EQ(s.Cell(2, 2).Text, "上海贸易公司");
  EXPECT_EQ(s.Cell(2, 7).Text, number);
  for (int i = 0; i < 3; ++i) {
    int r = 4 * i + 4;
    EXPECT_EQ(s.Cell(r, 1).Text, "编号") << "block " << i;   // the template's block copied
    EXPECT_EQ(s.Cell(r, 2).Text, "P00" + std::to_string(i + 1));
    EXPECT_EQ(s.Cell(r + 2, 2).Text, "P00" + std::to_string(i + 1));
  }
  EXPECT_EQ(s.Cell(9, 2).Text, "茶壶");
  EXPECT_EQ(s.Cell(9, 4).Text, "20x20");
  EXPECT_DOUBLE_EQ(s.Cell(8, 6).Number, 2.5);
  EXPECT_DOUBLE_EQ(s.Cell(14, 6).Number, 31.5);
  // Only P001 has a picture file: landscape, so 110 points wide.
  ASSERT_EQ(s.Pictures().size(), 1u);
  TWorkbookPicture& pic = *s.Pictures()[0];
  EXPECT_DOUBLE_EQ(pic.Left, s.ColumnLeft(7) + 8);
  EXPECT_DOUBLE_EQ(pic.Top, s.RowTop(4) + 8);
  EXPECT_DOUBLE_EQ(pic.Width(), 110);
  EXPECT_DOUBLE_EQ(pic.Height(), 55);
  CopyFile(file, OutFolder() + "/quotation.xlsx");

  // No template: the program makes its own and writes the quotation on it.
  ::unlink(Dir.File("mb/price.xlsx").c_str());
  ::unlink(file.c_str());
  opened.clear();
  SetDefaultApplicationOpener([&](const String& f) { opened.push_back(f); });
  list->ToolButton8Click(nullptr);
  SetDefaultApplicationOpener(nullptr);
  struct stat st;
  EXPECT_EQ(::stat(Dir.File("mb/price.xlsx").c_str(), &st), 0);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(TWorkbook::Open(file)->Sheet(1).Cell(4, 1).Text, "编号");
}
