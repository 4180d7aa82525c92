#include "uNavForm.h"

#include "uDataForm.h"

TNavForm* NavForm = nullptr;

TOVANI_IMPLEMENT_CLASS(TNavForm, TForm)

TNavForm::TNavForm(TComponent* AOwner) : TForm(AOwner) {
  SetName("NavForm");
  SetCaption("导航窗口");
  SetColor(clWindow);
  Font()->SetName("宋体");
  Font()->SetSize(9);
}

TNavForm::~TNavForm() {
  if (NavForm == this) NavForm = nullptr;
  LeaveFocus(this);
}
