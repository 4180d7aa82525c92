#include "uSaleStatForm.h"

#include "ADODB.h"
#include "ComCtrls.h"
#include "DBGridEh.h"
#include "DBLookupEh.h"
#include "DateUtils.h"
#include "ExtCtrls.h"
#include "StdCtrls.h"
#include "uDataForm.h"
#include "uSaleData.h"

TSaleStatForm* SaleStatForm = nullptr;

TOVANI_IMPLEMENT_CLASS_FACTORY(TSaleStatForm, TForm)
TOVANI_PUBLISHED(TSaleStatForm) {
  Method("FormCreate", &TSaleStatForm::FormCreate);
  Method("FormClose", &TSaleStatForm::FormClose);
  Method("Button1Click", &TSaleStatForm::Button1Click);
  Method("d_OrdersAfterOpen", &TSaleStatForm::d_OrdersAfterOpen);
  Method("d_Orders_dAfterOpen", &TSaleStatForm::d_Orders_dAfterOpen);
}

TSaleStatForm::TSaleStatForm(TComponent* AOwner) : TForm(AOwner) {}

TSaleStatForm::~TSaleStatForm() {
  if (SaleStatForm == this) SaleStatForm = nullptr;
  LeaveFocus(this);
}

void TSaleStatForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "Panel1", Panel1);
  BindComponent(this, "customer", customer);
  BindComponent(this, "dt1", dt1);
  BindComponent(this, "dt2", dt2);
  BindComponent(this, "cb2", cb2);
  BindComponent(this, "Button1", Button1);
  BindComponent(this, "DBGridEh1", DBGridEh1);
  BindComponent(this, "Splitter1", Splitter1);
  BindComponent(this, "DBGridEh2", DBGridEh2);
  BindComponent(this, "d_Customers", d_Customers);
  BindComponent(this, "ds_Customers", ds_Customers);
  BindComponent(this, "d_Orders", d_Orders);
  BindComponent(this, "ds_Orders", ds_Orders);
  BindComponent(this, "d_Orders_d", d_Orders_d);
  BindComponent(this, "ds_Orders_d", ds_Orders_d);
}

void TSaleStatForm::FormCreate(TObject*) {
  dt1->SetDate(Date() - 31);
  dt2->SetDate(Date());
  d_Customers->Open();
  // The design-time command lists nothing until "统计".
  d_Orders->Open();
  d_Orders_d->Open();
}

void TSaleStatForm::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TSaleStatForm::Button1Click(TObject*) {
  d_Orders->Close();
  d_Orders->SetCommandText(SaleStatQuery(dt1->Checked(), dt1->Date(), dt2->Checked(), dt2->Date(),
                                         customer->KeyValue(), cb2->ItemIndex()));
  d_Orders->Open();
}

void TSaleStatForm::d_OrdersAfterOpen(TDataSet* DataSet) { DataForm->SetMoneyFormats(DataSet); }

void TSaleStatForm::d_Orders_dAfterOpen(TDataSet* DataSet) { DataForm->SetMoneyFormats(DataSet); }
