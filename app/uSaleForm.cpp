#include "uSaleForm.h"

#include <memory>
#include "ADODB.h"
#include "ComCtrls.h"
#include "DBGridEh.h"
#include "DateUtils.h"
#include "ReportTemplates.h"
#include "Utf8.h"
#include "frxClass.h"
#include "frxDBSet.h"
#include "ExtCtrls.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "uDataForm.h"
#include "uSaleData.h"
#include "uSaleEditForm.h"

TSaleForm* SaleForm = nullptr;

TOVANI_IMPLEMENT_CLASS_FACTORY(TSaleForm, TForm)
TOVANI_PUBLISHED(TSaleForm) {
  Method("FormCreate", &TSaleForm::FormCreate);
  Method("FormClose", &TSaleForm::FormClose);
  Method("ToolButton1Click", &TSaleForm::ToolButton1Click);
  Method("Button1Click", &TSaleForm::Button1Click);
  Method("ToolButton3Click", &TSaleForm::ToolButton3Click);
  Method("ToolButton4Click", &TSaleForm::ToolButton4Click);
  Method("ToolButton5Click", &TSaleForm::ToolButton5Click);
  Method("ToolButton7Click", &TSaleForm::ToolButton7Click);
  Method("d_Orders_dAfterOpen", &TSaleForm::d_Orders_dAfterOpen);
  Method("frxReport1BeforePrint", &TSaleForm::frxReport1BeforePrint);
}

TSaleForm::TSaleForm(TComponent* AOwner) : TForm(AOwner) {}

TSaleForm::~TSaleForm() {
  if (SaleForm == this) SaleForm = nullptr;
  LeaveFocus(this);
}

void TSaleForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "ToolBar1", ToolBar1);
  BindComponent(this, "ToolButton1", ToolButton1);
  BindComponent(this, "ToolButton3", ToolButton3);
  BindComponent(this, "ToolButton4", ToolButton4);
  BindComponent(this, "ToolButton5", ToolButton5);
  BindComponent(this, "ToolButton7", ToolButton7);
  BindComponent(this, "Panel1", Panel1);
  BindComponent(this, "dt1", dt1);
  BindComponent(this, "dt2", dt2);
  BindComponent(this, "Button1", Button1);
  BindComponent(this, "DBGridEh1", DBGridEh1);
  BindComponent(this, "Splitter1", Splitter1);
  BindComponent(this, "DBGridEh2", DBGridEh2);
  BindComponent(this, "d_Orders", d_Orders);
  BindComponent(this, "ds_Orders", ds_Orders);
  BindComponent(this, "d_Orders_d", d_Orders_d);
  BindComponent(this, "ds_Orders_d", ds_Orders_d);
  BindComponent(this, "frxReport1", frxReport1);
  BindComponent(this, "frxDBDataset1", frxDBDataset1);
  BindComponent(this, "frxDBDataset2", frxDBDataset2);
}

void TSaleForm::FormCreate(TObject*) {
  dt1->SetDate(Date() - 30);
  dt2->SetDate(Date());
  LoadReportTemplate(frxReport1, "SaleOrder", {frxDBDataset1, frxDBDataset2});
  // The design-time command lists nothing: the list stays empty until "查询".
  d_Orders->Open();
  d_Orders_d->Open();
}

void TSaleForm::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TSaleForm::ToolButton1Click(TObject*) { Close(); }

String TSaleForm::OrderQuery() {
  return "select o.*, c.C_NO, c.C_Name, c.C_Tel, c.C_Fax, c.C_Addr from Orders o, Customers c where o.C_ID = c.C_ID" +
         PeriodCondition("o.O_OrderDate", dt1->Checked(), dt1->Date(), dt2->Checked(), dt2->Date());
}

void TSaleForm::Button1Click(TObject*) {
  d_Orders->Close();
  d_Orders->SetCommandText(OrderQuery());
  d_Orders->Open();
}

void TSaleForm::d_Orders_dAfterOpen(TDataSet* DataSet) { DataForm->SetMoneyFormats(DataSet); }

void TSaleForm::RunEditor(TSaleEditForm* Editor) {
  if (Editor->ShowModal() != mrOk) return;
  Variant id = Editor->d_Orders->FieldByName("O_ID")->Value();
  d_Orders->Requery();
  d_Orders->Locate("O_ID", id, {});
  // The lines follow the list only when its current order changes: after an
  // edit of the order that was current they are read again, so that the
  // window (and what it prints) shows what was saved.
  d_Orders_d->Requery();
}

void TSaleForm::ToolButton3Click(TObject*) {
  std::unique_ptr<TSaleEditForm> editor(TCustomForm::Create<TSaleEditForm>(nullptr));
  editor->NewOrder();
  RunEditor(editor.get());
  LeaveFocus(editor.get());
}

void TSaleForm::ToolButton4Click(TObject*) {
  if (d_Orders->IsEmpty()) return;
  std::unique_ptr<TSaleEditForm> editor(TCustomForm::Create<TSaleEditForm>(nullptr));
  editor->EditOrder(d_Orders->FieldByName("O_ID")->Value());
  RunEditor(editor.get());
  LeaveFocus(editor.get());
}

void TSaleForm::ToolButton5Click(TObject*) {
  if (d_Orders->IsEmpty()) return;
  if (MsgConfirm(Handle(), "确定要删除记录吗？") != IDOK) return;
  DeleteDocument(OrderTables, d_Orders->FieldByName("O_ID")->AsInteger());
  // The rows are gone from the file; the list drops its row from its cache
  // (it never writes its cache back).
  d_Orders->Delete();
}

void TSaleForm::ToolButton7Click(TObject*) { frxReport1->ShowReport(true); }

void TSaleForm::frxReport1BeforePrint(TfrxReportComponent* Sender) {
  if (!Sender->Is<TfrxMemoView>() || Sender->Name() != "Memo1") return;
  TADOQuery* q = DataForm->Query;
  q->Close();
  q->SQL()->SetText("select * from 参数");
  q->Open();
  if (q->Locate("参数", Variant(String("企业名称")), {}))
    static_cast<TfrxMemoView*>(Sender)->SetText(Utf8ToUtf16(q->FieldByName("设置")->AsString()));
}
