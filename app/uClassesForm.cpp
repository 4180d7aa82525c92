#include "uClassesForm.h"

#include <functional>
#include <vector>
#include "ADODB.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "dxdbtree.h"
#include "uDataForm.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TClassesForm, TForm)
TOVANI_PUBLISHED(TClassesForm) {
  Method("FormCreate", &TClassesForm::FormCreate);
  Method("FormKeyDown", &TClassesForm::FormKeyDown);
  Method("FormShow", &TClassesForm::FormShow);
  Method("Button1Click", &TClassesForm::Button1Click);
  Method("Button2Click", &TClassesForm::Button2Click);
  Method("Button3Click", &TClassesForm::Button3Click);
}

TClassesForm::TClassesForm(TComponent* AOwner) : TForm(AOwner) {}

TClassesForm::~TClassesForm() { LeaveFocus(this); }

void TClassesForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "dxDBTreeView1", dxDBTreeView1);
  BindComponent(this, "Button1", Button1);
  BindComponent(this, "Button2", Button2);
  BindComponent(this, "Button3", Button3);
  BindComponent(this, "Button4", Button4);
  BindComponent(this, "d_Tree", d_Tree);
  BindComponent(this, "ds_Tree", ds_Tree);
}

void TClassesForm::FormCreate(TObject*) { d_Tree->Open(); }

void TClassesForm::FormKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key == VK_DELETE) Key = 0;
}

void TClassesForm::FormShow(TObject*) {
  if (dxDBTreeView1->Items()->Count() > 0) dxDBTreeView1->Items()->Item(0)->Expand(false);
}

void TClassesForm::Button1Click(TObject*) {
  String name;
  if (InputTextDialog("添加分类", "请输入分类名称:", name)) {
    Variant parent(0);
    if (TdxDBTreeNode* node = dxDBTreeView1->CurrentRecordNode()) parent = node->KeyValue();
    d_Tree->Insert();
    d_Tree->FieldByName("CLS_Name")->SetAsString(name);
    d_Tree->FieldByName("CLS_ParentID")->SetValue(parent);
    d_Tree->FieldByName("CLS_ImageIndex")->SetAsInteger(1);
    d_Tree->Post();
  }
  dxDBTreeView1->SetFocus();
}

void TClassesForm::Button2Click(TObject*) {
  TdxDBTreeNode* node = dxDBTreeView1->CurrentRecordNode();
  if (!node) return;
  String name = node->Text();
  if (InputTextDialog("修改分类", "请输入分类名称:", name)) {
    d_Tree->Edit();
    d_Tree->FieldByName("CLS_Name")->SetAsString(name);
    d_Tree->Post();
  }
  dxDBTreeView1->SetFocus();
}

void TClassesForm::Button3Click(TObject*) {
  TdxDBTreeNode* node = dxDBTreeView1->CurrentRecordNode();
  if (!node) {
    dxDBTreeView1->SetFocus();
    return;
  }
  // The class and every class below it, the lowest first.
  std::vector<Variant> keys;
  std::function<void(TTreeNode*)> collect = [&](TTreeNode* n) {
    for (TTreeNode* c = n->GetFirstChild(); c; c = c->GetNextSibling()) collect(c);
    if (auto* db = dynamic_cast<TdxDBTreeNode*>(n)) keys.push_back(db->KeyValue());
  };
  collect(node);
  // The product window lists products by their class: products of a
  // deleted class would be in the file and in no list.
  String ids;
  for (const Variant& key : keys) ids += (ids.empty() ? "" : ", ") + VarToStr(key);
  Integer products = DataForm->FirstValue("select count(*) from Products where CLS_ID in (" + ids + ")").AsInteger();
  if (products > 0) {
    MsgError(Handle(), "分类\"" + node->Text() + "\"" + (keys.size() > 1 ? "及其子分类" : "") + "下还有 " +
                           IntToStr(products) + " 个产品，不能删除。");
    dxDBTreeView1->SetFocus();
    return;
  }
  if (MsgConfirm(Handle(), "确定要删除分类吗?") == IDOK) {
    // Each is its own statement: they run in one transaction, so a failure
    // (a locked file, a refusing database) deletes none of them.
    Variant current = node->KeyValue();
    TADOConnection* conn = DataForm->conn;
    d_Tree->DisableControls();
    try {
      conn->BeginTrans();
      try {
        for (const Variant& key : keys)
          if (d_Tree->Locate("CLS_ID", key, {})) d_Tree->Delete();
        conn->CommitTrans();
      } catch (...) {
        try {
          conn->RollbackTrans();
        } catch (...) {
        }
        throw;
      }
    } catch (...) {
      // The list shows the database again, whatever was taken out of it,
      // on the class that was to be deleted.
      try {
        d_Tree->Requery();
        d_Tree->Locate("CLS_ID", current, {});
      } catch (...) {
      }
      d_Tree->EnableControls();
      dxDBTreeView1->SetFocus();
      throw;
    }
    d_Tree->EnableControls();
  }
  dxDBTreeView1->SetFocus();
}
