// The product dialog: one product's fields, bound to the product window's
// data source, so it edits that window's current record. "保存" posts the
// product; "取消" and the close box end the dialog without saving (the
// product window then cancels).
#pragma once
#include "uBaseForm.h"

class TButton;
class TDBComboBox;
class TADODataSet;
class TDataSource;
class TdxDBLookupTreeView;
class TcxDBDateEdit;

class TProductEditForm : public TBaseForm {
  TOVANI_CLASS(TProductEditForm, TBaseForm)
 public:
  explicit TProductEditForm(TComponent* AOwner = nullptr);
  ~TProductEditForm() override;
  void Loaded() override;

  TdxDBLookupTreeView* cbClasses = nullptr;
  TDBComboBox *dbcbbP_Unit = nullptr, *dbcbbP_Color = nullptr;
  TcxDBDateEdit* cxDBDateEdit1 = nullptr;
  TButton *Button1 = nullptr, *Button2 = nullptr;
  // A clone of the product window's classes (its own cursor) for the picker.
  TADODataSet* d_Classes = nullptr;
  TDataSource* ds_Classes = nullptr;

  void FormCreate(TObject* Sender);
  // Enter moves on to the next control.
  void FormKeyPress(TObject* Sender, char32_t& Key);
  // "保存": posts the product and ends the dialog with 1; a post that fails
  // keeps the dialog open with the product still being edited.
  void Button1Click(TObject* Sender);
};
