// The product classes dialog: the tree of classes (table Classes) with
// commands to add a class below the current one, rename it and delete it
// with its sub-classes. Classes are moved by dragging them in the tree.
#pragma once
#include "Forms.h"

class TButton;
class TdxDBTreeView;
class TADODataSet;
class TDataSource;

class TClassesForm : public TForm {
  TOVANI_CLASS(TClassesForm, TForm)
 public:
  explicit TClassesForm(TComponent* AOwner = nullptr);
  ~TClassesForm() override;
  void Loaded() override;

  TdxDBTreeView* dxDBTreeView1 = nullptr;
  TButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr;
  // "select * from Classes", static cursor, posts written at once.
  TADODataSet* d_Tree = nullptr;
  TDataSource* ds_Tree = nullptr;

  void FormCreate(TObject* Sender);
  // The Delete key is swallowed: classes are deleted only by "删除".
  void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  // Expands the first node one level.
  void FormShow(TObject* Sender);
  // "添加...": a new class below the current one (top level without one).
  void Button1Click(TObject* Sender);
  // "修改...": renames the current class.
  void Button2Click(TObject* Sender);
  // "删除": deletes the current class and its sub-classes, after a question,
  // all in one transaction (nothing is deleted when one of them fails).
  void Button3Click(TObject* Sender);
};
