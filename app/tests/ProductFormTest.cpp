// The product window over a fresh database: the class filter, the cost
// lines and the product's cost written together, the picture page.
#include <algorithm>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include "ADODB.h"
#include "AppFixture.h"
#include "ComCtrls.h"
#include "DB.h"
#include "Graphics.h"
#include "Jpeg.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "dxdbtree.h"
#include "cxImage.h"
#include "uProductForm.h"

namespace {

struct ProductFormFixture : AppFixture {
  std::unique_ptr<TProductForm> Form;
  void SetUp() override {
    AppFixture::SetUp();
    if (HasFatalFailure()) return;
    // An exception reaching the application fails the test (instead of a box).
    Application->OnException = [](TObject*, Exception* e) { ADD_FAILURE() << e->Message(); };
    LogIn("管理员");
    // Class 15 lies below class 1, class 5 beside it.
    Exec("insert into Classes (CLS_ID, CLS_Name, CLS_ParentID) values (1, '服装', 0), (5, '鞋类', 0), "
         "(15, '男装', 1), (16, '衬衫', 15)");
    Exec("insert into Products (CLS_ID, P_NO, P_Name, P_Cost) values (1, 'A1', '服装样品', 0), "
         "(15, 'A15', '男装样品', 0), (16, 'A16', '衬衫样品', 0), (5, 'A5', '鞋样品', 0)");
    Exec("insert into CostItems (COS_Item) values ('面料'), ('人工')");
  }
  void Open() {
    Form.reset(TCustomForm::Create<TProductForm>(nullptr));
    ProductForm = Form.get();
    Form->Show();
  }
  void TearDown() override {
    Form.reset();
    Application->OnException = nullptr;
    AppFixture::TearDown();
  }
  // The product numbers listed, in list order.
  std::vector<String> Listed() {
    std::vector<String> out;
    TDataSet* d = Form->d_Products;
    for (d->First(); !d->Eof(); d->Next()) out.push_back(d->FieldByName("P_NO")->AsString());
    std::sort(out.begin(), out.end());
    return out;
  }
  void SelectClass(int id) {
    Form->tvClasses->DBNodes()->FindNodeByKey(Variant(id))->SetSelected(true);
  }
};

}  // namespace

TEST_F(ProductFormFixture, ClassFilterTakesTheSubClassesOnly) {
  Open();
  // Class 5 is not below class 1 although "5" is in "15;".
  struct {
    int Class;
    bool Children;
    std::vector<String> Expected;
  } cases[] = {
      {1, true, {"A1", "A15", "A16"}},
      {1, false, {"A1"}},
      {15, true, {"A15", "A16"}},
      {5, true, {"A5"}},
      {16, true, {"A16"}},
  };
  for (const auto& c : cases) {
    Form->cbIncludeChildNodes->SetDown(c.Children);
    Form->cbIncludeChildNodesClick(nullptr);
    SelectClass(c.Class);
    EXPECT_EQ(Listed(), c.Expected) << c.Class << (c.Children ? " with sub-classes" : "");
  }
  EXPECT_EQ(Form->CollectChildClassIDs(Form->tvClasses->DBNodes()->FindNodeByKey(Variant(1))), "15;16;");
}

TEST_F(ProductFormFixture, CostLinesAndTheProductsCostAreWrittenTogether) {
  Open();
  SelectClass(5);
  ASSERT_EQ(Listed(), std::vector<String>{"A5"});
  TDataSet* costs = Form->d_ProductCosts;
  auto addCost = [&](int item, const char* value) {
    Form->ToolButton18Click(nullptr);
    costs->FieldByName("COS_ID")->SetAsInteger(item);
    costs->FieldByName("PC_Cost")->SetAsString(value);
    Form->ToolButton21Click(nullptr);
  };
  addCost(1, "12.5");
  addCost(2, "0.3");
  EXPECT_EQ(Scalar("select count(*) from ProductCosts where P_ID = (select P_ID from Products where P_NO = 'A5')"), "2");
  EXPECT_EQ(Scalar("select P_Cost from Products where P_NO = 'A5'"), "12.8");
  EXPECT_EQ(Form->d_Products->FieldByName("P_Cost")->AsString(), "12.8");
  EXPECT_EQ(costs->FieldByName("COS_Item")->AsString(), "人工");

  // The product's own edits go with the cost.
  Form->d_Products->Edit();
  Form->d_Products->FieldByName("P_Name")->SetAsString("新鞋");
  costs->First();
  Form->ToolButton20Click(nullptr);
  EXPECT_EQ(Scalar("select P_Cost || '|' || P_Name from Products where P_NO = 'A5'"), "0.3|新鞋");
  EXPECT_EQ(Scalar("select count(*) from ProductCosts"), "1");

  // When the product cannot be written, the line is not written either and
  // the error comes out; the user's line stays, still to be written, and
  // "保存" writes it once the product can be written.
  Exec("create trigger keep_cost before update of P_Cost on Products begin select raise(abort, 'cost kept'); end");
  EXPECT_THROW(addCost(1, "5"), Exception);
  EXPECT_EQ(Scalar("select count(*) from ProductCosts"), "1");
  EXPECT_EQ(Scalar("select P_Cost from Products where P_NO = 'A5'"), "0.3");
  EXPECT_EQ(costs->RecordCount(), 2);
  EXPECT_EQ(Form->d_ProductCosts->PendingCount(), 1);
  EXPECT_EQ(Form->d_Products->FieldByName("P_Cost")->AsString(), "0.3");
  EXPECT_FALSE(DataForm->conn->InTransaction());
  Exec("drop trigger keep_cost");
  Form->ToolButton21Click(nullptr);
  EXPECT_EQ(Scalar("select count(*) from ProductCosts"), "2");
  EXPECT_EQ(Scalar("select P_Cost from Products where P_NO = 'A5'"), "5.3");
  EXPECT_EQ(Form->d_ProductCosts->PendingCount(), 0);
  // A line the database refuses: the product's new cost goes back with it,
  // the line stays pending, and "撤消" drops it.
  Exec("create trigger keep_lines before insert on ProductCosts begin select raise(abort, 'line refused'); end");
  EXPECT_THROW(addCost(2, "1"), Exception);
  EXPECT_EQ(Scalar("select P_Cost from Products where P_NO = 'A5'"), "5.3");
  EXPECT_EQ(Form->d_Products->FieldByName("P_Cost")->AsString(), "5.3");
  EXPECT_EQ(Form->d_ProductCosts->PendingCount(), 1);
  Exec("drop trigger keep_lines");
  Form->ToolButton22Click(nullptr);
  EXPECT_EQ(Form->d_ProductCosts->PendingCount(), 0);
  EXPECT_EQ(costs->RecordCount(), 2);

  // No lines left: the cost is 0.
  costs->First();
  Form->ToolButton20Click(nullptr);
  Form->ToolButton20Click(nullptr);
  EXPECT_EQ(Scalar("select P_Cost from Products where P_NO = 'A5'"), "0");
}

TEST_F(ProductFormFixture, PicturePageShowsTheProductsFile) {
  mkdir((Dir.Path() + "/Pictures").c_str(), 0755);
  {
    // A picture for A1, a damaged file for A15, none for A16.
    TBitmap bmp;
    bmp.SetSize(40, 20);
    bmp.Canvas()->Brush()->SetColor(clRed);
    bmp.Canvas()->FillRect(TRect(0, 0, 40, 20));
    TJPEGImage jpeg;
    jpeg.Assign(&bmp);
    jpeg.SaveToFile(Dir.Path() + "/Pictures/A1.jpg");
    jpeg.SaveToFile(Dir.Path() + "/Pictures/B1.jpg");
    std::ofstream(Dir.Path() + "/Pictures/A15.jpg") << "not a picture";
  }
  Open();
  SelectClass(1);
  auto show = [&](const char* no) {
    ASSERT_TRUE(Form->d_Products->Locate("P_NO", Variant(String(no)), {}));
  };
  show("A1");
  EXPECT_EQ(Form->Image1->Picture()->Width(), 40);
  // The picture fills its page once the page is shown.
  Form->PageControl1->SetActivePageIndex(1);
  EXPECT_EQ(Form->Image1->Width(), Form->PageControl1->Pages(1)->ClientWidth());
  EXPECT_GT(Form->Image1->Height(), 100);
  EXPECT_FALSE(Form->lbPictureError->Visible());
  show("A15");
  EXPECT_EQ(Form->Image1->Picture()->Width(), 0);
  EXPECT_TRUE(Form->lbPictureError->Visible());
  EXPECT_NE(Form->lbPictureError->Caption().find("A15.jpg"), String::npos);
  EXPECT_EQ(Form->d_Products->FieldByName("P_Name")->AsString(), "男装样品");
  show("A16");
  EXPECT_EQ(Form->Image1->Picture()->Width(), 0);
  EXPECT_FALSE(Form->lbPictureError->Visible());
  // A new product shows its picture once saved.
  Form->d_Products->Append();
  EXPECT_EQ(Form->Image1->Picture()->Width(), 0);
  Form->d_Products->FieldByName("P_NO")->SetAsString("B1");
  Form->d_Products->Post();
  EXPECT_EQ(Form->Image1->Picture()->Width(), 40);
}
