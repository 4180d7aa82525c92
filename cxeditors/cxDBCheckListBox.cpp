#include "cxDBCheckListBox.h"

#include "TypInfo.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxDBCheckListBox, TcxCustomCheckListBox)

TcxDBCheckListBox::TcxDBCheckListBox(TComponent* AOwner)
    : TcxCustomCheckListBox(AOwner, [](TcxCustomCheckListBox* O) -> TcxCustomDataBinding* {
        return new TcxDBDataBinding(O, O);
      }) {}

void TcxDBCheckListBox::SetDataBinding(TcxDBDataBinding* Value) {
  DataBinding()->SetDataField(Value->DataField());
  DataBinding()->SetDataSource(Value->DataSource());
}

TOVANI_PUBLISHED(TcxDBCheckListBox) {
  Property<TcxDBDataBinding*>(
      "DataBinding", [](TcxDBCheckListBox* c) { return c->DataBinding(); },
      [](TcxDBCheckListBox* c, TcxDBDataBinding* v) { c->SetDataBinding(v); });
}
