#include "uCustomerEditForm.h"

#include "ADODB.h"
#include "StdCtrls.h"
#include "uCustomerForm.h"
#include "uDataForm.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TCustomerEditForm, TForm)
TOVANI_PUBLISHED(TCustomerEditForm) {
  Method("FormKeyPress", &TCustomerEditForm::FormKeyPress);
  Method("Button1Click", &TCustomerEditForm::Button1Click);
}

TCustomerEditForm::TCustomerEditForm(TComponent* AOwner) : TForm(AOwner) {}

TCustomerEditForm::~TCustomerEditForm() { LeaveFocus(this); }

void TCustomerEditForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "Button1", Button1);
  BindComponent(this, "Button2", Button2);
}

void TCustomerEditForm::FormKeyPress(TObject*, char32_t& Key) {
  if (Key != U'\r') return;
  Key = 0;
  Perform(WM_NEXTDLGCTL, 0, 0);
}

void TCustomerEditForm::Button1Click(TObject*) {
  CustomerForm->d_Customers->Post();
  SetModalResult(mrOk);
}
