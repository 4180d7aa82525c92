// The drop-down class tree of the product editor over real SQLite tables.
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ADODB.h"
#include "Forms.h"
#include "TestWindows.h"
#include "dxdbtrel.h"
#include "gtest.h"

namespace {

class LookupFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-dbtree-tests";
    ::mkdir(dir.c_str(), 0755);
    Path = dir + "/lookup-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".mdb";
    std::remove(Path.c_str());
    sqlite3* db = nullptr;
    sqlite3_open(Path.c_str(), &db);
    sqlite3_exec(db,
                 "CREATE TABLE Classes (CLS_ID INTEGER PRIMARY KEY, CLS_Name TEXT(50), CLS_ParentID LONG,"
                 " CLS_ImageIndex LONG);"
                 "CREATE TABLE Products (P_ID INTEGER PRIMARY KEY, P_Name TEXT(50), CLS_ID LONG);"
                 "INSERT INTO Classes VALUES (1, '电器', 1, 0), (2, '灯具', 1, 0), (3, '台灯', 2, 0), (4, '家具', 4, 0),"
                 " (6, '甲', 7, 0), (7, '乙', 6, 0);"
                 "INSERT INTO Products VALUES (10, '护眼灯', 3), (11, '沙发', 99);",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
    Conn = std::make_unique<TADOConnection>();
    Conn->SetLoginPrompt(false);
    Conn->SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Path);
    Conn->Open();
    Classes = Open("select * from Classes order by CLS_ID");
    Products = Open("select * from Products order by P_ID");
    ClassSource = std::make_unique<TDataSource>();
    ClassSource->SetDataSet(Classes.get());
    ProductSource = std::make_unique<TDataSource>();
    ProductSource->SetDataSet(Products.get());
    Form.reset(new TForm(nullptr));
    Form->SetBounds(40, 40, 400, 300);
    Form->Show();
    Box = new TdxDBLookupTreeView(Form.get());
    Box->SetParent(Form.get());
    Box->SetBounds(10, 10, 240, 21);
    Box->SetListSource(ClassSource.get());
    Box->SetKeyField("CLS_ID");
    Box->SetListField("CLS_Name");
    Box->SetParentField("CLS_ParentID");
    Box->SetTextStyle(tvtsFull);
    Box->SetDataSource(ProductSource.get());
    Box->SetDataField("CLS_ID");
    PumpMessages();
  }
  void TearDown() override {
    Form.reset();
    ProductSource.reset();
    ClassSource.reset();
    Products.reset();
    Classes.reset();
    Conn.reset();
    std::remove(Path.c_str());
  }
  std::unique_ptr<TADOQuery> Open(const String& sql) {
    auto q = std::make_unique<TADOQuery>();
    q->SetConnection(Conn.get());
    q->SQL()->SetText(sql);
    q->Open();
    return q;
  }
  void Key(TWinControl* c, Word key, bool alt = false) {
    c->Perform(alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, alt ? (1 << 29) : 0);
    PumpMessages(1);
  }
  std::string Path;
  std::unique_ptr<TADOConnection> Conn;
  std::unique_ptr<TADOQuery> Classes, Products;
  std::unique_ptr<TDataSource> ClassSource, ProductSource;
  std::unique_ptr<TForm> Form;
  TdxDBLookupTreeView* Box = nullptr;
};

}  // namespace

TEST_F(LookupFixture, ClosedBoxShowsThePathOfTheChosenClass) {
  // 台灯 under 灯具 under 电器, whose parent is itself: the root is left out.
  EXPECT_EQ(Box->LookupText(), "灯具.台灯");
  EXPECT_EQ(NodePathText(nullptr, "."), "");
  Products->Next();  // a class that does not exist shows nothing
  EXPECT_EQ(Box->LookupText(), "");
  Products->Edit();
  Products->FieldByName("CLS_ID")->SetAsInteger(6);  // a cycle of parents ends the climb
  EXPECT_EQ(Box->LookupText(), "乙.甲");
  Products->Cancel();
  // The list dataset stays where it was.
  EXPECT_EQ(Classes->FieldByName("CLS_ID")->AsInteger(), 1);
}

TEST_F(LookupFixture, PickingByKeyboardWritesTheKeyAndEscapeChangesNothing) {
  Box->SetFocus();
  int listBefore = Classes->FieldByName("CLS_ID")->AsInteger();
  Key(Box, VK_DOWN, true);
  ASSERT_TRUE(Box->DroppedDown());
  TPopupDBTreeView* tree = Box->PopupTree();
  EXPECT_TRUE(IsWindowVisible(tree->Handle()));
  ASSERT_NE(tree->Selected(), nullptr);
  EXPECT_EQ(tree->Selected()->Text(), "台灯");  // the product's class is selected
  WriteWindowPng(tree, "dbtree_lookup_dropdown");

  // Escape: the class list goes back, the product keeps its class.
  Classes->Locate("CLS_ID", Variant(4), TLocateOptions());
  Key(tree, VK_ESCAPE);
  EXPECT_FALSE(Box->DroppedDown());
  EXPECT_EQ(Classes->FieldByName("CLS_ID")->AsInteger(), listBefore);
  EXPECT_EQ(Products->FieldByName("CLS_ID")->AsInteger(), 3);

  // Enter on another class writes its key into the product.
  Key(Box, VK_DOWN, true);
  TTreeNode* home = nullptr;
  for (TTreeNode* n = tree->Items()->GetFirstNode(); n; n = n->GetNext())
    if (n->Text() == "家具") home = n;
  ASSERT_NE(home, nullptr);
  home->SetSelected(true);
  Key(tree, VK_RETURN);
  EXPECT_FALSE(Box->DroppedDown());
  EXPECT_EQ(Products->State(), dsEdit);
  EXPECT_EQ(Products->FieldByName("CLS_ID")->AsInteger(), 4);
  Products->Post();
  EXPECT_EQ(Box->Text(), "家具");
  EXPECT_GE(Box->DropDownRows(), 2);
}

TEST_F(LookupFixture, ParentsCanBeRefusedAndTheListOpensAboveWhenNoRoomBelow) {
  Box->SetCanSelectParents(false);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  Form->SetBounds(40, work.bottom - 80, 400, 70);
  PumpMessages();
  Box->DropDown();
  TPopupDBTreeView* tree = Box->PopupTree();
  RECT box, list;
  GetWindowRect(Box->Handle(), &box);
  GetWindowRect(tree->Handle(), &list);
  EXPECT_LE(list.bottom, box.top + 1);  // above the box
  TTreeNode* selected = tree->Selected();
  for (TTreeNode* n = tree->Items()->GetFirstNode(); n; n = n->GetNext())
    if (n->Text() == "灯具") n->SetSelected(true);  // has children: refused
  EXPECT_EQ(tree->Selected(), selected);
  Box->CloseUp(false);
}

TEST_F(LookupFixture, CircularLinksAreRefused) {
  auto details = Open("select * from Classes");
  details->SetDataSource(ProductSource.get());
  TDataSource detailSource;
  detailSource.SetDataSet(details.get());
  EXPECT_THROW(Box->SetListSource(&detailSource), EDatabaseError);
  Box->SetListSource(ClassSource.get());
}

TEST_F(LookupFixture, PressesOnTheOpenListReachItOthersCloseItAndTheFocusReturns) {
  Box->SetFocus();
  Key(Box, VK_DOWN, true);
  ASSERT_TRUE(Box->DroppedDown());
  TPopupDBTreeView* tree = Box->PopupTree();
  TTreeNode* home = nullptr;
  for (TTreeNode* n = tree->Items()->GetFirstNode(); n; n = n->GetNext())
    if (n->Text() == "家具") home = n;
  ASSERT_NE(home, nullptr);
  // A press the box hears (it holds the mouse) on the list's 家具 row.
  TRect r = home->DisplayRect(true);
  TPoint inTree{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  TPoint inBox = Box->ScreenToClient(tree->ClientToScreen(inTree));
  // The list follows the button until it comes up.
  PostMessageW(tree->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(inTree.X, inTree.Y));
  Box->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Word(SmallInt(inBox.X)), Word(SmallInt(inBox.Y))));
  PumpMessages(1);
  EXPECT_TRUE(Box->DroppedDown());
  EXPECT_EQ(tree->Selected(), home);
  // A press on the box itself closes the list without taking the choice,
  // and the focus is the box's again.
  Box->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  Box->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  PumpMessages(1);
  EXPECT_FALSE(Box->DroppedDown());
  EXPECT_EQ(Products->FieldByName("CLS_ID")->AsInteger(), 3);
  EXPECT_EQ(GetFocus(), Box->Handle());
  // Closing with Escape gives the focus back the same way.
  Key(Box, VK_DOWN, true);
  ASSERT_TRUE(Box->DroppedDown());
  EXPECT_EQ(GetFocus(), tree->Handle());
  Key(tree, VK_ESCAPE);
  EXPECT_EQ(GetFocus(), Box->Handle());
}
