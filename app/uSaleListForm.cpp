#include "uSaleListForm.h"

#include "ADODB.h"
#include "DBGridEh.h"
#include "uDataForm.h"

TSaleListForm* SaleListForm = nullptr;

TOVANI_IMPLEMENT_CLASS_FACTORY(TSaleListForm, TForm)
TOVANI_PUBLISHED(TSaleListForm) {
  Method("FormCreate", &TSaleListForm::FormCreate);
  Method("DBGridEh1DblClick", &TSaleListForm::DBGridEh1DblClick);
}

TSaleListForm::TSaleListForm(TComponent* AOwner) : TForm(AOwner) {}

TSaleListForm::~TSaleListForm() {
  if (SaleListForm == this) SaleListForm = nullptr;
  LeaveFocus(this);
}

void TSaleListForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "DBGridEh1", DBGridEh1);
  BindComponent(this, "d_Orders", d_Orders);
  BindComponent(this, "ds_Orders", ds_Orders);
}

void TSaleListForm::FormCreate(TObject*) { d_Orders->Open(); }

void TSaleListForm::DBGridEh1DblClick(TObject*) { SetModalResult(mrOk); }
