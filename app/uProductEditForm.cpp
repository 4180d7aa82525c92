#include "uProductEditForm.h"

#include "ADODB.h"
#include "DBCtrls.h"
#include "StdCtrls.h"
#include "cxDBEdit.h"
#include "dxdbtrel.h"
#include "uDataForm.h"
#include "uProductForm.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TProductEditForm, TBaseForm)
TOVANI_PUBLISHED(TProductEditForm) {
  Method("FormCreate", &TProductEditForm::FormCreate);
  Method("FormKeyPress", &TProductEditForm::FormKeyPress);
  Method("Button1Click", &TProductEditForm::Button1Click);
}

TProductEditForm::TProductEditForm(TComponent* AOwner) : TBaseForm(AOwner) {}

TProductEditForm::~TProductEditForm() { LeaveFocus(this); }

void TProductEditForm::Loaded() {
  TBaseForm::Loaded();
  BindComponent(this, "cbClasses", cbClasses);
  BindComponent(this, "dbcbbP_Unit", dbcbbP_Unit);
  BindComponent(this, "dbcbbP_Color", dbcbbP_Color);
  BindComponent(this, "cxDBDateEdit1", cxDBDateEdit1);
  BindComponent(this, "Button1", Button1);
  BindComponent(this, "Button2", Button2);
  BindComponent(this, "d_Classes", d_Classes);
  BindComponent(this, "ds_Classes", ds_Classes);
}

void TProductEditForm::FormCreate(TObject*) {
  HoldCaption = true;
  d_Classes->Clone(ProductForm->d_Classes);
  cbClasses->SetListSource(ds_Classes);
  DataForm->LoadListFromTable(dbcbbP_Unit->Items(), "B_Units", "UnitName");
  DataForm->LoadListFromTable(dbcbbP_Color->Items(), "B_Colors", "ColorName");
}

void TProductEditForm::FormKeyPress(TObject*, char32_t& Key) {
  if (Key != U'\r') return;
  Key = 0;
  Perform(WM_NEXTDLGCTL, 0, 0);
}

void TProductEditForm::Button1Click(TObject*) {
  ProductForm->d_Products->Post();
  SetModalResult(mrOk);
}
