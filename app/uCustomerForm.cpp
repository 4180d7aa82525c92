#include "uCustomerForm.h"

#include <memory>
#include "ADODB.h"
#include "ActnList.h"
#include "ComCtrls.h"
#include "DBActns.h"
#include "DBGridEh.h"
#include "ReportTemplates.h"
#include "SysUtils.h"
#include "frxClass.h"
#include "frxDBSet.h"
#include "uMainForm.h"
#include "uCustomerEditForm.h"
#include "uDataForm.h"

TCustomerForm* CustomerForm = nullptr;

TOVANI_IMPLEMENT_CLASS_FACTORY(TCustomerForm, TForm)
TOVANI_PUBLISHED(TCustomerForm) {
  Method("FormCreate", &TCustomerForm::FormCreate);
  Method("FormClose", &TCustomerForm::FormClose);
  Method("ToolButton1Click", &TCustomerForm::ToolButton1Click);
  Method("ToolButton6Click", &TCustomerForm::ToolButton6Click);
  Method("ToolButton7Click", &TCustomerForm::ToolButton7Click);
  Method("ToolButton8Click", &TCustomerForm::ToolButton8Click);
  Method("ToolButton12Click", &TCustomerForm::ToolButton12Click);
  Method("ToolButton13Click", &TCustomerForm::ToolButton13Click);
}

TCustomerForm::TCustomerForm(TComponent* AOwner) : TForm(AOwner) {}

TCustomerForm::~TCustomerForm() {
  if (CustomerForm == this) CustomerForm = nullptr;
  LeaveFocus(this);
}

void TCustomerForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "ToolBar1", ToolBar1);
  BindComponent(this, "ToolButton1", ToolButton1);
  BindComponent(this, "ToolButton12", ToolButton12);
  BindComponent(this, "ToolButton13", ToolButton13);
  BindComponent(this, "DBGridEh1", DBGridEh1);
  BindComponent(this, "ActionList1", ActionList1);
  BindComponent(this, "DataSetInsert1", DataSetInsert1);
  BindComponent(this, "DataSetEdit1", DataSetEdit1);
  BindComponent(this, "DataSetDelete1", DataSetDelete1);
  BindComponent(this, "d_Customers", d_Customers);
  BindComponent(this, "ds_Customers", ds_Customers);
  BindComponent(this, "frxReport1", frxReport1);
  BindComponent(this, "frxDBDataset1", frxDBDataset1);
}

void TCustomerForm::FormCreate(TObject*) {
  LoadReportTemplate(frxReport1, "CustomerList", {frxDBDataset1});
  // Two customers with one number could not be told apart in the order
  // and quotation windows, which pick customers by it.
  d_Customers->BeforePost = [](TDataSet* ds) {
    DataForm->CheckUniqueCode(ds, "Customers", "C_ID", "C_NO", "C_Name", "客户");
  };
  d_Customers->Open();
}

void TCustomerForm::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TCustomerForm::ToolButton1Click(TObject*) { Close(); }

void TCustomerForm::EditInDialog() {
  std::unique_ptr<TCustomerEditForm> dialog(TCustomForm::Create<TCustomerEditForm>(nullptr));
  TModalResult result = dialog->ShowModal();
  dialog.reset();
  if (result != mrOk && (d_Customers->State() == dsInsert || d_Customers->State() == dsEdit)) d_Customers->Cancel();
}

void TCustomerForm::ToolButton6Click(TObject*) {
  d_Customers->Append();
  EditInDialog();
}

void TCustomerForm::ToolButton7Click(TObject*) {
  if (d_Customers->IsEmpty()) return;
  d_Customers->Edit();
  EditInDialog();
}

void TCustomerForm::ToolButton8Click(TObject*) {
  if (d_Customers->IsEmpty()) return;
  // Orders and quotations are listed joined with their customer: deleting a
  // customer who has some would hide them in every window.
  String id = d_Customers->FieldByName("C_ID")->AsString();
  Integer orders = DataForm->FirstValue("select count(*) from Orders where C_ID = " + id).AsInteger();
  Integer quotes = DataForm->FirstValue("select count(*) from PriceList where C_ID = " + id).AsInteger();
  if (orders > 0 || quotes > 0) {
    String refs;
    if (orders > 0) refs = IntToStr(orders) + " 张销售单";
    if (quotes > 0) refs += (refs.empty() ? "" : "和 ") + IntToStr(quotes) + " 张报价单";
    MsgError(Handle(), "客户\"" + d_Customers->FieldByName("C_Name")->AsString() + "\"还有 " + refs +
                           "，不能删除。");
    return;
  }
  if (MsgConfirm(Handle(), "真的要删除记录吗？") != IDOK) return;
  d_Customers->Delete();
}

void TCustomerForm::ToolButton12Click(TObject*) { MainForm->PrintReport("", frxReport1); }

void TCustomerForm::ToolButton13Click(TObject*) { DataForm->ExportGridToExcel(DBGridEh1); }
