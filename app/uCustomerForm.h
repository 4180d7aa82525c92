// The customer window: the customer list in a read-only grid with a
// toolbar of dataset actions; customers are added and edited one at a time
// in the customer dialog (TCustomerEditForm), deleted after a question and
// exported to a workbook.
#pragma once
#include "Forms.h"

class TToolBar;
class TToolButton;
class TDBGridEh;
class TActionList;
class TDataSetInsert;
class TDataSetEdit;
class TDataSetDelete;
class TADODataSet;
class TDataSource;
class TfrxReport;
class TfrxDBDataset;

class TCustomerForm : public TForm {
  TOVANI_CLASS(TCustomerForm, TForm)
 public:
  explicit TCustomerForm(TComponent* AOwner = nullptr);
  ~TCustomerForm() override;
  void Loaded() override;

  TToolBar* ToolBar1 = nullptr;
  TToolButton *ToolButton1 = nullptr, *ToolButton12 = nullptr, *ToolButton13 = nullptr;
  TDBGridEh* DBGridEh1 = nullptr;
  TActionList* ActionList1 = nullptr;
  TDataSetInsert* DataSetInsert1 = nullptr;
  TDataSetEdit* DataSetEdit1 = nullptr;
  TDataSetDelete* DataSetDelete1 = nullptr;
  // "select * from Customers", static cursor, posts written at once.
  TADODataSet* d_Customers = nullptr;
  TDataSource* ds_Customers = nullptr;
  // The printed customer list over d_Customers (report dataset "frxDBDataset1").
  TfrxReport* frxReport1 = nullptr;
  TfrxDBDataset* frxDBDataset1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  // "关闭"
  void ToolButton1Click(TObject* Sender);
  // "添加" (F1): a new customer in the dialog.
  void ToolButton6Click(TObject* Sender);
  // "修改" (F3): the current customer in the dialog.
  void ToolButton7Click(TObject* Sender);
  // "删除" (F4): the current customer, after a question.
  void ToolButton8Click(TObject* Sender);
  // "打印": the printed customer list.
  void ToolButton12Click(TObject* Sender);
  // "导出": the list into a new workbook.
  void ToolButton13Click(TObject* Sender);

 private:
  // Shows the customer dialog over the record just appended or put in
  // edit state; a dialog that ends without saving cancels the change.
  void EditInDialog();
};

extern TCustomerForm* CustomerForm;
