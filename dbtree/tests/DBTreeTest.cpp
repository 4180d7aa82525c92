// The data-aware tree over a real SQLite table of product classes: loading,
// following the dataset, and every tree edit written back.
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "ADODB.h"
#include "DialogAnswerer.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "Messages.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "dxdbtree.h"
#include "gtest.h"

#include <imm.h>

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
  TdxDBTreeView* MakeTree(const String& sql = "select * from Classes order by CLS_ID",
                          std::optional<TdxDBTreeViewOptions> options = std::nullopt) {
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
    if (options) tree->SetOptions(*options);
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

namespace {

// Triggers that refuse: deleting the class "锁定", moving a class under
// 家具 (key 4), adding a class named "禁止", renaming a class to "坏名".
const char* kRefusingTriggers =
    "CREATE TRIGGER no_delete BEFORE DELETE ON Classes WHEN old.CLS_Name = '锁定'"
    " BEGIN SELECT RAISE(ABORT, '锁定的分类不能删除'); END;"
    "CREATE TRIGGER no_move BEFORE UPDATE ON Classes WHEN new.CLS_ParentID = 4 AND old.CLS_ParentID IS NOT 4"
    " BEGIN SELECT RAISE(ABORT, '不能移到家具下'); END;"
    "CREATE TRIGGER no_insert BEFORE INSERT ON Classes WHEN new.CLS_Name = '禁止'"
    " BEGIN SELECT RAISE(ABORT, '不能添加这个分类'); END;"
    "CREATE TRIGGER no_rename BEFORE UPDATE ON Classes WHEN new.CLS_Name = '坏名'"
    " BEGIN SELECT RAISE(ABORT, '不能用这个名称'); END;";

// The database's refusal raised by action (the statement that was refused
// follows it in the message).
std::string Refusal(const std::string& message) { return message.substr(0, message.find(". SQL:")); }
std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return Refusal(e.Message());
  }
  return "";
}

}  // namespace

TEST_F(DBTreeFixture, RefusedDeletesMovesAndInsertsLeaveTreeAndTableAsTheyWere) {
  // 禁止 is in the table from before the triggers.
  Exec("INSERT INTO Classes VALUES (1, '电器', NULL, 0, NULL), (2, '灯具', 1, 0, NULL), (3, '锁定', 2, 0, NULL),"
       " (5, '台灯', 2, 0, NULL), (4, '家具', NULL, 0, NULL), (6, '椅子', 4, 0, NULL), (7, '禁止', 6, 0, NULL);");
  Exec(kRefusingTriggers);
  auto* tree = MakeTree();
  const std::string shape = "电器(灯具(锁定 台灯)) 家具(椅子(禁止))";
  ASSERT_EQ(Shape(tree->Items()->GetFirstNode()), shape);
  auto table = [&] { return Column("select CLS_ID || ':' || ifnull(CLS_ParentID, '') from Classes order by CLS_ID"); };
  const std::string rows = table();

  // Deleting 灯具: 台灯 goes (its record was deleted first), 锁定 refuses,
  // so 锁定 and 灯具 stay with their records.
  EXPECT_EQ(MessageOf([&] { Find(tree, "灯具")->Delete(); }), "锁定的分类不能删除");
  EXPECT_EQ(Shape(tree->Items()->GetFirstNode()), "电器(灯具(锁定)) 家具(椅子(禁止))");
  EXPECT_EQ(Column("select CLS_ID from Classes order by CLS_ID"), "1|2|3|4|6|7");
  EXPECT_EQ(tree->DBNodes()->Count(), 6);
  EXPECT_EQ(Data->RecordCount(), 6);
  EXPECT_EQ(MessageOf([&] { Find(tree, "灯具")->DeleteChildren(); }), "锁定的分类不能删除");
  EXPECT_EQ(Shape(tree->Items()->GetFirstNode()), "电器(灯具(锁定)) 家具(椅子(禁止))");

  // A refused move puts the node back where it was.
  const std::string kept = table();
  EXPECT_EQ(MessageOf([&] { Find(tree, "电器")->MoveTo(Find(tree, "家具"), naAddChild); }), "不能移到家具下");
  EXPECT_EQ(Shape(tree->Items()->GetFirstNode()), "电器(灯具(锁定)) 家具(椅子(禁止))");
  EXPECT_EQ(table(), kept);
  EXPECT_EQ(Data->State(), dsBrowse);
  // ... and a move the table takes still goes through.
  Find(tree, "锁定")->MoveTo(Find(tree, "电器"), naAddChild);
  EXPECT_EQ(Shape(tree->Items()->GetFirstNode()), "电器(灯具 锁定) 家具(椅子(禁止))");
  EXPECT_EQ(Column("select CLS_ParentID from Classes where CLS_ID = 3"), "1");

  // A refused insert: the node goes again, nothing is appended. With
  // RaiseOnError the error reaches the caller; without, the add gives nil;
  // with OnInsertNodeError the handler hears of it.
  const std::string before = table();
  EXPECT_EQ(MessageOf([&] { tree->Items()->AddChild(Find(tree, "电器"), "禁止"); }), "不能添加这个分类");
  tree->SetRaiseOnError(false);
  EXPECT_EQ(tree->Items()->AddChild(Find(tree, "电器"), "禁止"), nullptr);
  int errors = 0;
  tree->OnInsertNodeError = [&](TObject* sender) {
    EXPECT_EQ(sender, tree);
    ++errors;
  };
  EXPECT_EQ(tree->Items()->Add(nullptr, "禁止"), nullptr);
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(Shape(tree->Items()->GetFirstNode()), "电器(灯具 锁定) 家具(椅子(禁止))");
  EXPECT_EQ(tree->DBNodes()->Count(), 6);
  EXPECT_EQ(table(), before);
  EXPECT_EQ(Data->State(), dsBrowse);
  // The next insert that the table takes gets its record as usual.
  ASSERT_NE(tree->Items()->AddChild(Find(tree, "电器"), "冰箱"), nullptr);
  EXPECT_EQ(Column("select CLS_ParentID from Classes where CLS_Name = '冰箱'"), "1");

  // A copied subtree one of whose records is refused is not copied at all.
  const std::string beforeCopy = table();
  tree->SetRaiseOnError(true);
  EXPECT_EQ(MessageOf([&] { tree->MoveOrCopyNodes(Find(tree, "椅子"), Find(tree, "电器"), true); }),
            "不能添加这个分类");
  EXPECT_EQ(Shape(tree->Items()->GetFirstNode()), "电器(灯具 锁定 冰箱) 家具(椅子(禁止))");
  EXPECT_EQ(table(), beforeCopy);
}

TEST_F(DBTreeFixture, TheDeleteKeyAsksAndARefusedDeleteIsShownWithNodeAndRecordKept) {
  Exec("INSERT INTO Classes VALUES (1, '电器', NULL, 0, NULL), (2, '锁定', 1, 0, NULL), (3, '灯具', 1, 0, NULL);");
  Exec(kRefusingTriggers);
  auto* tree = MakeTree();
  tree->FullExpand();
  auto pressDelete = [&](const String& text, int answer) {
    DialogAnswerer answerer(answer);
    TTreeNode* n = Find(tree, text);
    n->SetSelected(true);
    tree->SetFocus();
    PumpMessages();
    PostMessageW(tree->Handle(), WM_KEYDOWN, VK_DELETE, 0);
    PumpMessages(20);
    return answerer.Dialogs();
  };
  // Cancel keeps the node and its record.
  auto seen = pressDelete("灯具", IDCANCEL);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Text, "Do you want to delete the item \"灯具\"");
  EXPECT_NE(Find(tree, "灯具"), nullptr);
  EXPECT_EQ(Column("select count(*) from Classes"), "3");
  // OK deletes both.
  seen = pressDelete("灯具", IDOK);
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_EQ(Find(tree, "灯具"), nullptr);
  EXPECT_EQ(Column("select CLS_ID from Classes order by CLS_ID"), "1|2");
  // A refused delete: the confirmation, then the error; node and record stay
  // and the program goes on.
  seen = pressDelete("锁定", IDOK);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_NE(seen[1].Text.find("锁定的分类不能删除"), std::string::npos);
  EXPECT_NE(Find(tree, "锁定"), nullptr);
  EXPECT_EQ(Column("select CLS_ID from Classes order by CLS_ID"), "1|2");
  EXPECT_EQ(Shape(tree->Items()->GetFirstNode()), "电器(锁定)");
}

TEST_F(DBTreeFixture, LeavingARecordThatCannotBePostedKeepsItsNodeSelected) {
  Exec("INSERT INTO Classes VALUES (1, '电器', NULL, 0, NULL), (2, '灯具', 1, 0, NULL), (3, '家具', NULL, 0, NULL);");
  Exec(kRefusingTriggers);
  auto* tree = MakeTree();
  std::vector<String> shown;
  Application->OnException = [&](TObject*, Exception* e) { shown.push_back(e->Message()); };
  Data->Locate("CLS_ID", Variant(2), TLocateOptions());
  Data->Edit();
  Data->FieldByName("CLS_Name")->SetAsString("坏名");
  Find(tree, "家具")->SetSelected(true);
  PumpMessages();
  Application->OnException = nullptr;
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(Refusal(shown[0]), "不能用这个名称");
  // Node and dataset stay together on the record being edited.
  ASSERT_NE(tree->Selected(), nullptr);
  EXPECT_EQ(static_cast<TdxDBTreeNode*>(tree->Selected())->KeyValue().AsInteger(), 2);
  EXPECT_EQ(Data->State(), dsEdit);
  EXPECT_EQ(Data->FieldByName("CLS_ID")->AsInteger(), 2);
  // A name the table takes: the selection moves on.
  Data->FieldByName("CLS_Name")->SetAsString("灯饰");
  Find(tree, "家具")->SetSelected(true);
  EXPECT_EQ(Data->State(), dsBrowse);
  EXPECT_EQ(Data->FieldByName("CLS_ID")->AsInteger(), 3);
  EXPECT_EQ(Column("select CLS_Name from Classes where CLS_ID = 2"), "灯饰");
}

TEST_F(DBTreeFixture, AnUnfocusedTreeFramesItsSelectedNodeInTheFontColour) {
  Exec("INSERT INTO Classes VALUES (1, '电器', NULL, 0, NULL), (2, '家具', NULL, 0, NULL);");
  auto* tree = MakeTree();
  auto* edit = new TEdit(Form.get());
  edit->SetParent(Form.get());
  edit->SetBounds(8, 352, 100, 21);
  tree->Font()->SetColor(clRed);
  TTreeNode* node = Find(tree, "家具");
  node->SetSelected(true);
  edit->SetFocus();
  tree->Invalidate();
  PumpMessages();
  WriteWindowPng(tree, "dbtree_unfocused_selection");
  TRect r = node->DisplayRect(true);
  const COLORREF red = RGB(255, 0, 0);
  int mid = (r.Top + r.Bottom) / 2;
  EXPECT_EQ(ClientPixel(tree, r.Left, mid), red);
  EXPECT_EQ(ClientPixel(tree, r.Left + 6, r.Top), red);
  EXPECT_EQ(ClientPixel(tree, r.Left + 6, r.Bottom - 1), red);
  // The other node has no frame.
  TRect other = Find(tree, "电器")->DisplayRect(true);
  EXPECT_NE(ClientPixel(tree, other.Left, (other.Top + other.Bottom) / 2), red);
  // With the focus the tree shows its own selection instead.
  tree->SetFocus();
  tree->Invalidate();
  PumpMessages();
  EXPECT_NE(ClientPixel(tree, r.Left + 6, r.Top), red);
}

TEST_F(DBTreeFixture, LabelEditingStartsFromTheRecordTextInTheTreesInputMode) {
  Exec("INSERT INTO Classes VALUES (1, '电器', NULL, 0, NULL);");
  auto* tree = MakeTree();
  // The node shows a decorated text; the editor starts from the record's.
  tree->OnSetDisplayItemText = [](TObject*, String& text) { text = "★" + text; };
  Data->Requery();
  TTreeNode* node = tree->Items()->GetFirstNode();
  ASSERT_EQ(node->Text(), "★电器");
  String seen;
  tree->OnPrepareEditText = [&](TObject*, TTreeNode*, String& text) { seen = text; };
  struct Case {
    TImeMode Mode;
    bool HasContext, Open;
    bool Native;
  } cases[] = {{imChinese, true, true, true}, {imSAlpha, true, true, false}, {imClose, true, false, false},
               {imDisable, false, false, false}};
  for (const Case& c : cases) {
    tree->SetImeMode(c.Mode);
    tree->SetFocus();
    ASSERT_TRUE(node->EditText());
    PumpMessages(1);
    EXPECT_EQ(seen, "电器");
    HWND editor = reinterpret_cast<HWND>(SendMessageW(tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(editor, nullptr);
    HIMC context = ImmGetContext(editor);
    EXPECT_EQ(context != nullptr, c.HasContext) << c.Mode;
    if (context) {
      EXPECT_EQ(ImmGetOpenStatus(context) != FALSE, c.Open) << c.Mode;
      DWORD conversion = 0, sentence = 0;
      ImmGetConversionStatus(context, &conversion, &sentence);
      if (c.Open) EXPECT_EQ((conversion & IME_CMODE_NATIVE) != 0, c.Native) << c.Mode;
      ImmReleaseContext(editor, context);
    }
    node->EndEdit(true);
    PumpMessages(1);
  }
}

namespace {

// Sends a tree the drag messages of the drag of DragNode passing over (and
// dropped at) a client point.
struct TreeDrag {
  TCustomdxTreeView* Tree;
  TDragControlObject Source;
  TDragRec Rec;
  TreeDrag(TCustomdxTreeView* tree, TCustomdxTreeView* from, TTreeNode* dragged) : Tree(tree), Source(from) {
    TCustomdxTreeView::DragNode = dragged;
    Rec.Source = &Source;
    Send(dmDragEnter, TPoint{0, 0});
  }
  LRESULT Send(TDragMessage kind, TPoint client) {
    Rec.Pos = Tree->ClientToScreen(client);
    return Tree->Perform(CM_DRAG, kind, reinterpret_cast<LPARAM>(&Rec));
  }
  static TPoint Over(TTreeNode* n) {
    TRect r = n->DisplayRect(true);
    return TPoint{(r.Left + r.Right) / 2, r.Top + 2};
  }
  void MoveOver(TTreeNode* n) { Send(dmDragMove, Over(n)); }
  void DropOn(TTreeNode* n) {
    MoveOver(n);
    Send(dmDragDrop, Over(n));
  }
  ~TreeDrag() {
    if (TCustomdxTreeView::DragNode) Send(dmDragCancel, TPoint{0, 0});
    TCustomdxTreeView::DragNode = nullptr;
  }
};

void SetCtrl(bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

}  // namespace

TEST_F(DBTreeFixture, SmartLoadReadsTenThousandClassesOneLevelPerExpansion) {
  // 100 top classes with 9 children each, every child with 10 of its own.
  Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000)"
       " INSERT INTO Classes SELECT i, 'c' || i, CASE WHEN i <= 100 THEN NULL WHEN i <= 1000 THEN (i - 101) / 9 + 1"
       " ELSE (i - 1001) / 10 + 101 END, 0, NULL FROM n;");
  auto* tree = MakeTree("select * from Classes order by CLS_ID",
                        TdxDBTreeViewOptions{trCanDBNavigate, trSmartRecordLoad, trCheckHasChildren});
  EXPECT_EQ(tree->DBNodes()->Count(), 100);
  TTreeNode* first = tree->DBNodes()->FindNodeByKey(Variant(1));
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->HasChildren());
  EXPECT_EQ(first->Count(), 0);
  first->Expand(false);
  EXPECT_EQ(tree->DBNodes()->Count(), 109);
  ASSERT_EQ(first->Count(), 9);
  TTreeNode* child = first->Item(0);
  EXPECT_EQ(child->Text(), "c101");
  EXPECT_TRUE(child->HasChildren());
  EXPECT_EQ(child->Count(), 0);
  child->Expand(false);
  EXPECT_EQ(tree->DBNodes()->Count(), 119);
  EXPECT_FALSE(child->Item(0)->HasChildren());  // c1001 has no children
  // Collapsing (by the user) drops the loaded levels again without touching
  // a record.
  first->SetSelected(true);
  tree->SetFocus();
  PumpMessages();
  PostMessageW(tree->Handle(), WM_KEYDOWN, VK_LEFT, 0);
  PumpMessages();
  EXPECT_FALSE(first->Expanded());
  EXPECT_EQ(tree->DBNodes()->Count(), 100);
  EXPECT_TRUE(first->HasChildren());
  EXPECT_EQ(Column("select count(*) from Classes"), "10000");
}

TEST_F(DBTreeFixture, ChangingTheFilterReloadsTheTree) {
  Exec("INSERT INTO Classes VALUES (1, '电器', NULL, 0, NULL), (2, '灯具', 1, 0, NULL), (3, '台灯', 2, 0, NULL),"
       " (4, '家具', NULL, 0, NULL);");
  auto* tree = MakeTree();
  Data->SetFilter("CLS_Name <> '灯具'");
  Data->SetFiltered(true);
  // 台灯 has lost its parent record: it shows at the top.
  EXPECT_EQ(Shape(tree->Items()->GetFirstNode()), "电器 家具 台灯");
  Data->SetFilter("CLS_ID <> 4");
  EXPECT_EQ(Shape(tree->Items()->GetFirstNode()), "电器(灯具(台灯))");
  Data->SetFiltered(false);
  EXPECT_EQ(Shape(tree->Items()->GetFirstNode()), "电器(灯具(台灯)) 家具");
  EXPECT_EQ(Column("select count(*) from Classes"), "4");
}

TEST_F(DBTreeFixture, DraggingOverTheFirstOrLastRowScrollsOneRow) {
  auto* tv = new TdxTreeView(Form.get());
  tv->SetParent(Form.get());
  tv->SetBounds(8, 8, 200, 150);
  std::vector<TTreeNode*> nodes;
  for (int i = 0; i < 40; ++i) nodes.push_back(tv->Items()->Add(nullptr, "节点" + IntToStr(i)));
  PumpMessages();
  tv->SetTopItem(nodes[10]);
  TreeDrag drag(tv, tv, nodes[39]);
  // The first move onto a row only marks it; staying there scrolls.
  drag.MoveOver(nodes[10]);
  EXPECT_EQ(tv->TopItem(), nodes[10]);
  drag.MoveOver(nodes[10]);
  EXPECT_EQ(tv->TopItem(), nodes[9]);
  // The lowest row that shows: its next row is cut off, so it scrolls down.
  TTreeNode* last = tv->TopItem();
  while (last->GetNextVisible() && last->GetNextVisible()->DisplayRect(false).Top < tv->ClientHeight())
    last = last->GetNextVisible();
  TTreeNode* top = tv->TopItem();
  drag.MoveOver(last);
  drag.MoveOver(last);
  EXPECT_EQ(tv->TopItem(), top->GetNextVisible());
  // A row in the middle does not scroll.
  top = tv->TopItem();
  drag.MoveOver(top->GetNextVisible()->GetNextVisible());
  drag.MoveOver(top->GetNextVisible()->GetNextVisible());
  EXPECT_EQ(tv->TopItem(), top);
}

TEST_F(DBTreeFixture, CtrlShowsTheCopyCursorAndCopiesAtTheDrop) {
  auto* tv = new TdxTreeView(Form.get());
  tv->SetParent(Form.get());
  tv->SetBounds(8, 8, 320, 340);
  TTreeNode* a = tv->Items()->Add(nullptr, "A");
  TTreeNode* b = tv->Items()->AddChild(a, "B");
  tv->Items()->AddChild(b, "C");
  TTreeNode* d = tv->Items()->Add(nullptr, "D");
  tv->FullExpand();
  PumpMessages();
  TtmpDragObject cursor(tv);
  HCURSOR copy = Screen->Cursors(crdxTreeDragCopy);
  EXPECT_NE(copy, nullptr);
  EXPECT_NE(copy, Screen->Cursors(crDefault));
  struct Case {
    bool Ctrl, Accepted;
    TCursor Expected;
  } cases[] = {{true, true, crdxTreeDragCopy}, {false, true, crDrag}, {true, false, crNoDrop}};
  for (const Case& c : cases) {
    SetCtrl(c.Ctrl);
    EXPECT_EQ(cursor.GetDragCursor(c.Accepted, 0, 0), c.Expected) << c.Ctrl << c.Accepted;
  }
  // Ctrl held at the drop copies the subtree; the source stays.
  SetCtrl(true);
  {
    TreeDrag drag(tv, tv, b);
    drag.DropOn(d);
  }
  SetCtrl(false);
  EXPECT_EQ(Shape(tv->Items()->GetFirstNode()), "A(B(C)) D(B(C))");
}

TEST_F(DBTreeFixture, ANodeMovedToAnotherTreeTakesItsRecordsAlongOrStays) {
  Exec("INSERT INTO Classes VALUES (1, '电器', NULL, 0, NULL), (2, '灯具', 1, 0, 'm2'), (3, '台灯', 2, 0, 'm3'),"
       " (5, '锁定', 1, 0, 'm5');"
       "CREATE TABLE Shop (CLS_ID INTEGER PRIMARY KEY, CLS_Name TEXT(50), CLS_ParentID LONG, CLS_ImageIndex LONG,"
       " CLS_Memo TEXT(50));"
       "INSERT INTO Shop VALUES (10, '家具', NULL, 0, NULL);");
  Exec(kRefusingTriggers);
  auto* from = MakeTree();
  TADOQuery shop;
  shop.SetConnection(Conn.get());
  shop.SQL()->SetText("select * from Shop order by CLS_ID");
  shop.Open();
  TDataSource shopSource;
  shopSource.SetDataSet(&shop);
  auto* to = new TdxDBTreeView(Form.get());
  to->SetKeyField("CLS_ID");
  to->SetParentField("CLS_ParentID");
  to->SetListField("CLS_Name");
  to->SetDataSource(&shopSource);
  to->SetParent(Form.get());
  to->SetBounds(200, 8, 150, 340);
  from->SetWidth(180);
  from->FullExpand();
  PumpMessages();
  {
    TreeDrag drag(to, from, Find(from, "灯具"));
    drag.DropOn(Find(to, "家具"));
  }
  EXPECT_EQ(Shape(to->Items()->GetFirstNode()), "家具(灯具(台灯))");
  EXPECT_EQ(Shape(from->Items()->GetFirstNode()), "电器(锁定)");
  EXPECT_EQ(Column("select CLS_ID || ':' || CLS_Name || ':' || CLS_ParentID || ':' || CLS_Memo from Shop"
                   " where CLS_ID > 10 order by CLS_ID"),
            "11:灯具:10:m2|12:台灯:11:m3");
  EXPECT_EQ(Column("select CLS_ID from Classes order by CLS_ID"), "1|5");

  // The source record refuses to go: the copy goes again, both trees and
  // tables stay as they were, and the error is raised.
  std::string thrown;
  {
    TreeDrag drag(to, from, Find(from, "锁定"));
    thrown = MessageOf([&] { drag.DropOn(Find(to, "家具")); });
  }
  EXPECT_EQ(thrown, "锁定的分类不能删除");
  EXPECT_EQ(Shape(to->Items()->GetFirstNode()), "家具(灯具(台灯))");
  EXPECT_EQ(Shape(from->Items()->GetFirstNode()), "电器(锁定)");
  EXPECT_EQ(Column("select count(*) from Shop"), "3");
  EXPECT_EQ(Column("select CLS_ID from Classes order by CLS_ID"), "1|5");
  EXPECT_EQ(TCustomdxTreeView::DragNode, nullptr);
  to->SetDataSource(nullptr);
}
