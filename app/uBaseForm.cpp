#include "uBaseForm.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TBaseForm, TForm)

TBaseForm::TBaseForm(TComponent* AOwner) : TForm(AOwner) {}

void TBaseForm::WMNCActivate(TMessage& Message) {
  if (HoldCaption && Tag() == 1213 && Message.WParam == 0) {
    SetTag(0);
    Message.Result = 1;
    return;
  }
  TForm::Dispatch(Message);
}

void TBaseForm::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_NCACTIVATE) {
    WMNCActivate(Message);
    return;
  }
  TForm::Dispatch(Message);
}
