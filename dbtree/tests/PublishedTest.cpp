// The tree views' settings and event handlers as a form file names them.
#include "FormFile.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "TestWindows.h"
#include "dxdbtrel.h"
#include "gtest.h"

namespace {

class TTreeTestForm : public TForm {
  TOVANI_CLASS(TTreeTestForm, TForm)
 public:
  explicit TTreeTestForm(TComponent* AOwner = nullptr) : TForm(AOwner) {}
  void AddNewItem(TObject*, TdxDBTreeNode*&) {}
  void CreateKey(TObject*, Variant&) {}
  void DisplayText(TObject*, String&) {}
  void InsertError(TObject*) {}
  void DBAction(TObject*, TdxDBTreeNode*, TdxDBTreeNode*, TdxDBTreeViewAction, bool&) {}
  void RefreshNode(TObject*, TdxDBTreeNode*) {}
  void CustomDraw(TObject*, TTreeNode*, TFont*, TColor& color, TColor&) { color = clRed; }
};

}  // namespace

TOVANI_IMPLEMENT_CLASS_FACTORY(TTreeTestForm, TForm)
TOVANI_PUBLISHED(TTreeTestForm) {
  Method("AddNewItem", &TTreeTestForm::AddNewItem);
  Method("CreateKey", &TTreeTestForm::CreateKey);
  Method("DisplayText", &TTreeTestForm::DisplayText);
  Method("InsertError", &TTreeTestForm::InsertError);
  Method("DBAction", &TTreeTestForm::DBAction);
  Method("RefreshNode", &TTreeTestForm::RefreshNode);
  Method("CustomDraw", &TTreeTestForm::CustomDraw);
}

TEST(TreeFormFiles, PublishedPropertiesAndEventsAreReadAndWritten) {
  const String text =
      "object TreeTestForm: TTreeTestForm\n"
      "  Left = 10\n  Top = 10\n  Width = 400\n  Height = 300\n"
      "  object Menu: TPopupMenu\n  end\n"
      "  object States: TImageList\n  end\n"
      "  object Tree: TdxDBTreeView\n"
      "    Left = 8\n    Top = 8\n    Width = 150\n    Height = 200\n"
      "    ImeMode = imChinese\n"
      "    ImeName = '中文 - 拼音'\n"
      "    RootValue = 0\n"
      "    SelectedIndex = 3\n"
      "    Options = [trCanDBNavigate, trSmartRecordLoad]\n"
      "    OnAddNewItem = AddNewItem\n"
      "    OnCreateNewKeyValue = CreateKey\n"
      "    OnSetDisplayItemText = DisplayText\n"
      "    OnInsertNodeError = InsertError\n"
      "    OnDBAction = DBAction\n"
      "    OnRefreshNode = RefreshNode\n"
      "  end\n"
      "  object Box: TdxDBLookupTreeView\n"
      "    Left = 170\n    Top = 8\n    Width = 150\n"
      "    TreeViewCursor = -21\n"  // crHandPoint (a form resource spells the names)
      "    TreeViewFont.Color = 16711680\n"  // clBlue
      "    TreeViewHint = '选择分类'\n"
      "    TreeViewIndent = 25\n"
      "    TreeViewPopupMenu = Menu\n"
      "    TreeViewShowHint = True\n"
      "    TreeViewStateImages = States\n"
      "    Options = [trDBCanDelete]\n"
      "    RootValue = 7\n"
      "    OnAddNewItem = AddNewItem\n"
      "    OnCustomDraw = CustomDraw\n"
      "  end\n"
      "end\n";
  std::unique_ptr<TTreeTestForm> form(static_cast<TTreeTestForm*>(ReadComponentFromText(text, nullptr)));
  ASSERT_NE(form, nullptr);
  auto* tree = static_cast<TdxDBTreeView*>(form->FindComponent("Tree"));
  auto* box = static_cast<TdxDBLookupTreeView*>(form->FindComponent("Box"));
  ASSERT_NE(tree, nullptr);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(tree->ImeMode(), imChinese);
  EXPECT_EQ(tree->ImeName(), "中文 - 拼音");
  EXPECT_EQ(tree->RootValue().AsInteger(), 0);
  EXPECT_FALSE(tree->RootValue().IsNull());
  EXPECT_EQ(tree->SelectedIndex(), 3);
  EXPECT_EQ(tree->Options(), (TdxDBTreeViewOptions{trCanDBNavigate, trSmartRecordLoad}));
  EXPECT_TRUE(tree->OnAddNewItem && tree->OnCreateNewKeyValue && tree->OnSetDisplayItemText &&
              tree->OnInsertNodeError && tree->OnDBAction && tree->OnRefreshNode);

  // The box hands its tree settings to the drop-down tree.
  TPopupDBTreeView* popup = box->PopupTree();
  EXPECT_EQ(popup->Cursor(), crHandPoint);
  EXPECT_EQ(popup->Font()->Color(), clBlue);
  EXPECT_EQ(popup->Hint(), "选择分类");
  EXPECT_EQ(popup->Indent(), 25);
  EXPECT_EQ(popup->PopupMenu(), form->FindComponent("Menu"));
  EXPECT_TRUE(popup->ShowHint());
  EXPECT_EQ(popup->StateImages(), form->FindComponent("States"));
  EXPECT_EQ(popup->Options(), TdxDBTreeViewOptions{trDBCanDelete});
  EXPECT_EQ(popup->RootValue().AsInteger(), 7);
  EXPECT_TRUE(static_cast<bool>(popup->OnAddNewItem));
  ASSERT_TRUE(static_cast<bool>(popup->OnCustomDraw));
  TColor color = clBlack, bk = clWindow;
  popup->OnCustomDraw(popup, nullptr, popup->Font(), color, bk);
  EXPECT_EQ(color, clRed);

  // Written back the same way.
  String written = ComponentToText(form.get());
  for (const char* line : {"RootValue = 0", "SelectedIndex = 3", "Options = [trCanDBNavigate, trSmartRecordLoad]",
                           "OnAddNewItem = AddNewItem", "OnCreateNewKeyValue = CreateKey",
                           "OnSetDisplayItemText = DisplayText", "OnInsertNodeError = InsertError",
                           "OnDBAction = DBAction", "OnRefreshNode = RefreshNode", "ImeMode = imChinese",
                           "TreeViewHint = '", "TreeViewIndent = 25", "TreeViewPopupMenu = Menu",
                           "TreeViewStateImages = States", "TreeViewShowHint = True", "OnCustomDraw = CustomDraw",
                           "Options = [trDBCanDelete]", "RootValue = 7"})
    EXPECT_NE(written.find(line), String::npos) << line;
}
