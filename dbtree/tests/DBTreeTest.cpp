// The data-aware tree over a real SQLite table of product classes: loading,
// following the dataset, and every tree edit written back.
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ADODB.h"
#include "Forms.h"
#include "Messages.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "dxdbtree.h"
#include "gtest.h"

namespace {

class DBTreeFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-dbtree-tests";
    ::mkdir(dir.c_str(), 0755);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    Path = dir + "/" + info->name() + ".mdb";
    std::remove(Path.c_str());
    Exec(
        "CREATE TABLE Classes (CLS_ID INTEGER PRIMARY KEY, CLS_Name TEXT(50), CLS_ParentID LONG,"
        " CLS_ImageIndex LONG, CLS_Memo TEXT(50));");
    Conn = std::make_unique<TADOConnection>();
    Conn->SetLoginPrompt(false);
    Conn->SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Path);
    Conn->Open();
    Form.reset(new TForm(nullptr));
    Form->SetBounds(40, 40, 360, 400);
    Form->Show();
    PumpMessages();
  }
  void TearDown() override {
    Form.reset();
    Source.reset();
    Data.reset();
    Conn.reset();
    std::remove(Path.c_str());
  }
  void Exec(const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(Path.c_str(), &db), SQLITE_OK);
    char* err = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
    sqlite3_close(db);
  }
  // One column of the table as text, rows joined by "|", in key order.
  std::string Column(const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(Path.c_str(), &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    std::string out;
    while (sqlite3_step(st) == SQLITE_ROW) {
      const unsigned char* t = sqlite3_column_text(st, 0);
      out += (out.empty() ? "" : "|") + std::string(t ? reinterpret_cast<const char*>(t) : "NULL");
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
  }
  TdxDBTreeView* MakeTree(const String& sql = "select * from Classes order by CLS_ID") {
    Data = std::make_unique<TADOQuery>();
    Data->SetConnection(Conn.get());
    Data->SQL()->SetText(sql);
    Data->Open();
    Source = std::make_unique<TDataSource>();
    Source->SetDataSet(Data.get());
    auto* tree = new TdxDBTreeView(Form.get());
    tree->SetKeyField("CLS_ID");
    tree->SetParentField("CLS_ParentID");
    tree->SetListField("CLS_Name");
    tree->SetImageIndexField("CLS_ImageIndex");
    tree->SetDataSource(Source.get());
    tree->SetParent(Form.get());
    tree->SetBounds(8, 8, 320, 340);
    PumpMessages();
    return tree;
  }
  // The tree as text: each node with its children in brackets.
  static std::string Shape(TTreeNode* first) {
    std::string s;
    for (TTreeNode* n = first; n; n = n->GetNextSibling()) {
      if (!s.empty()) s += " ";
      s += n->Text();
      if (n->Count()) s += "(" + Shape(n->GetFirstChild()) + ")";
    }
    return s;
  }
  static TTreeNode* Find(TTreeView* tv, const String& text) {
    for (TTreeNode* n = tv->Items()->GetFirstNode(); n; n = n->GetNext())
      if (n->Text() == text) return n;
    return nullptr;
  }
  static TTreeNode* Find(TCustomTreeView* tv, const String& text) {
    for (TTreeNode* n = tv->Items()->GetFirstNode(); n; n = n->GetNext())
      if (n->Text() == text) return n;
    return nullptr;
  }

  std::string Path;
  std::unique_ptr<TADOConnection> Conn;
  std::unique_ptr<TADOQuery> Data;
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<TForm> Form;
};

}  // namespace

TEST_F(DBTreeFixture, LoadsParentsChildrenOrphansAndCycles) {
  Exec(
      "INSERT INTO Classes VALUES (5, '灯具', 1, 2, 'm5'), (1, '电器', NULL, 1, NULL), (2, '家具', NULL, NULL, NULL),"
      " (3, '孤儿', 99, 0, NULL), (4, '自己', 4, 0, NULL), (6, '甲', 7, 0, NULL), (7, '乙', 6, 0, NULL),"
      " (15, '台灯', 5, 0, NULL);");
  auto* tree = MakeTree();
  // The child read before its parent ends under it; an unknown parent and a
  // parent of its own leave a record at the top; a cycle stops where it is.
  EXPECT_EQ(Shape(tree->Items()->GetFirstNode()), "电器(灯具(台灯)) 家具 孤儿 自己 甲(乙)");
  EXPECT_EQ(tree->DBNodes()->Count(), 8);
  EXPECT_EQ(tree->DBNodes()->GetNodeAt(0)->KeyValue().AsInteger(), 1);
  EXPECT_EQ(tree->DBNodes()->FindNodeByKey(Variant(15))->Text(), "台灯");
  EXPECT_EQ(tree->DBNodes()->FindNodeByKey(Variant(8)), nullptr);
  EXPECT_EQ(Find(tree, "电器")->ImageIndex(), 1);
  EXPECT_EQ(Find(tree, "家具")->ImageIndex(), 0);  // a null image index loads as 0
  tree->FullExpand();
  PumpMessages();
  WriteWindowPng(tree, "dbtree_classes");
}

TEST_F(DBTreeFixture, SelectionAndDatasetFollowEachOther) {
  Exec("INSERT INTO Classes VALUES (1, '电器', NULL, 0, NULL), (2, '灯具', 1, 0, NULL), (3, '家具', NULL, 0, NULL);");
  auto* tree = MakeTree();
  Find(tree, "家具")->SetSelected(true);
  EXPECT_EQ(Data->FieldByName("CLS_ID")->AsInteger(), 3);
  Data->Locate("CLS_ID", Variant(2), TLocateOptions());
  ASSERT_NE(tree->Selected(), nullptr);
  EXPECT_EQ(tree->Selected()->Text(), "灯具");
  EXPECT_EQ(tree->CurrentRecordNode(), tree->Selected());

  // An edit of the record reaches its node; a new parent moves it.
  Data->Edit();
  Data->FieldByName("CLS_Name")->SetAsString("灯饰");
  EXPECT_EQ(Find(tree, "灯饰"), tree->CurrentRecordNode());
  Data->FieldByName("CLS_ParentID")->SetAsInteger(3);
  Data->Post();
  EXPECT_EQ(Shape(tree->Items()->GetFirstNode()), "电器 家具(灯饰)");
  // Records changed elsewhere appear at the next load; deleted ones vanish.
  Exec("DELETE FROM Classes WHERE CLS_ID = 1; INSERT INTO Classes VALUES (9, '新', 3, 0, NULL);");
  Data->Requery();
  EXPECT_EQ(Shape(tree->Items()->GetFirstNode()), "家具(灯饰 新)");
}

TEST_F(DBTreeFixture, TreeEditsAreWrittenToTheTable) {
  Exec("INSERT INTO Classes VALUES (1, '电器', NULL, 0, NULL), (2, '灯具', 1, 0, NULL), (3, '台灯', 2, 0, NULL),"
       " (4, '家具', NULL, 0, NULL);");
  auto* tree = MakeTree();
  // A node added through the tree appends a record with the next key.
  TTreeNode* added = tree->Items()->AddChild(Find(tree, "家具"), "椅子");
  EXPECT_EQ(static_cast<TdxDBTreeNode*>(added)->KeyValue().AsInteger(), 5);
  EXPECT_EQ(Column("select CLS_Name || ':' || CLS_ParentID from Classes where CLS_ID = 5"), "椅子:4");
  // A new top-level node with a null root value is its own parent.
  tree->Items()->Add(nullptr, "五金");
  EXPECT_EQ(Column("select CLS_ParentID from Classes where CLS_ID = 6"), "6");

  // Moving a node under another writes the new parent only.
  Find(tree, "灯具")->MoveTo(Find(tree, "家具"), naAddChild);
  EXPECT_EQ(Column("select CLS_ParentID from Classes where CLS_ID in (2, 3) order by CLS_ID"), "4|2");
  EXPECT_EQ(Shape(tree->Items()->GetFirstNode()), "电器 家具(椅子 灯具(台灯)) 五金");

  // A new label text is written to the list field.
  Find(tree, "椅子")->SetText("凳子");
  EXPECT_EQ(Column("select CLS_Name from Classes where CLS_ID = 5"), "凳子");

  // Deleting a node deletes its descendants' records too.
  Find(tree, "灯具")->Delete();
  EXPECT_EQ(Column("select CLS_ID from Classes order by CLS_ID"), "1|4|5|6");

  // A veto keeps the record while the node goes.
  tree->OnDBAction = [](TObject*, TdxDBTreeNode*, TdxDBTreeNode*, TdxDBTreeViewAction a, bool& automatic) {
    if (a == trDBDelete) automatic = false;
  };
  Find(tree, "电器")->Delete();
  EXPECT_EQ(Find(tree, "电器"), nullptr);
  EXPECT_EQ(Column("select count(*) from Classes where CLS_ID = 1"), "1");
}

TEST_F(DBTreeFixture, CopiedSubtreesAppendRecordsWithTheirFields) {
  Exec("INSERT INTO Classes VALUES (1, '电器', NULL, 3, 'x'), (2, '灯具', 1, 4, 'y'), (3, '台灯', 2, 5, 'z'),"
       " (4, '家具', NULL, 0, NULL);");
  auto* tree = MakeTree();
  TTreeNode* copy = tree->MoveOrCopyNodes(Find(tree, "灯具"), Find(tree, "家具"), true);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Shape(tree->Items()->GetFirstNode()), "电器(灯具(台灯)) 家具(灯具(台灯))");
  EXPECT_EQ(Column("select CLS_ID || ':' || CLS_Name || ':' || CLS_ParentID || ':' || CLS_Memo from Classes"
                   " where CLS_ID > 4 order by CLS_ID"),
            "5:灯具:4:y|6:台灯:5:z");
  // The copy does not touch the source records.
  EXPECT_EQ(Column("select CLS_ParentID from Classes where CLS_ID = 2"), "1");
}

TEST_F(DBTreeFixture, DropRulesOfTheDragProtocol) {
  auto* tv = new TdxTreeView(Form.get());
  tv->SetParent(Form.get());
  tv->SetBounds(8, 8, 320, 340);
  TTreeNode* a = tv->Items()->Add(nullptr, "A");
  TTreeNode* b = tv->Items()->AddChild(a, "B");
  TTreeNode* c = tv->Items()->AddChild(b, "C");
  TTreeNode* d = tv->Items()->Add(nullptr, "D");
  tv->FullExpand();
  PumpMessages();
  auto dropOn = [&](TTreeNode* drag, TTreeNode* target) {
    TCustomdxTreeView::DragNode = drag;
    TRect r = target->DisplayRect(true);
    TDragRec rec;
    rec.Pos = tv->ClientToScreen(TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    TDragControlObject source(tv);
    rec.Source = &source;
    tv->Perform(CM_DRAG, dmDragEnter, reinterpret_cast<LPARAM>(&rec));
    tv->Perform(CM_DRAG, dmDragMove, reinterpret_cast<LPARAM>(&rec));
    tv->Perform(CM_DRAG, dmDragDrop, reinterpret_cast<LPARAM>(&rec));
  };
  dropOn(a, c);  // onto its own descendant: never
  EXPECT_EQ(Shape(tv->Items()->GetFirstNode()), "A(B(C)) D");
  dropOn(c, b);  // onto its own parent: nothing without OnEndDragTreeNode
  EXPECT_EQ(Shape(tv->Items()->GetFirstNode()), "A(B(C)) D");
  dropOn(b, d);  // a move with the subtree
  EXPECT_EQ(Shape(tv->Items()->GetFirstNode()), "A D(B(C))");
  EXPECT_EQ(TCustomdxTreeView::DragNode, nullptr);

  // Delete asks first; with the question off the node goes at once.
  tv->SetConfirmDeleteNode(false);
  c->SetSelected(true);
  tv->SetFocus();
  Word key = VK_DELETE;
  tv->Perform(WM_KEYDOWN, key, 0);
  EXPECT_EQ(Shape(tv->Items()->GetFirstNode()), "A D(B)");
  EXPECT_EQ(tv->DeletingConfirmationMessage(), "Do you want to delete the item \"%s\"");
}
