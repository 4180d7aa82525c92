#include "uNavForm.h"

#include "ExtCtrls.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "uDataForm.h"
#include "uMainForm.h"

TNavForm* NavForm = nullptr;

TOVANI_IMPLEMENT_CLASS(TNavForm, TForm)

TNavForm::TNavForm(TComponent* AOwner) : TForm(AOwner) {
  SetName("NavForm");
  SetCaption("导航窗口");
  SetColor(clWindow);
  Font()->SetName("宋体");
  Font()->SetSize(9);

  Panel1 = new TPanel(this);
  Panel1->SetName("Panel1");
  Panel1->SetParent(this);
  Panel1->SetAlign(alTop);
  Panel1->SetHeight(121);
  Panel1->SetBevelOuter(bvNone);
  Panel1->SetColor(clWindow);
  Panel1->SetCaption("");

  // Plain buttons stand where the picture buttons go (the window library
  // has no picture button yet).
  struct {
    TButton** Field;
    const char* Name;
    const char* Caption;
    TMenuItem* TMainForm::*Item;
  } const buttons[] = {
      {&BitBtn1, "BitBtn1", "产品管理", &TMainForm::miProduct},
      {&BitBtn2, "BitBtn2", "客户管理", &TMainForm::miCustomer},
      {&BitBtn3, "BitBtn3", "销售管理", &TMainForm::miSale},
      {&BitBtn4, "BitBtn4", "销售统计", &TMainForm::miSaleStat},
      {&BitBtn5, "BitBtn5", "用户管理", &TMainForm::miUsers},
      {&BitBtn6, "BitBtn6", "更改密码", &TMainForm::miPwd},
  };
  Integer left = 32;
  for (auto& b : buttons) {
    auto* button = new TButton(this);
    button->SetName(b.Name);
    button->SetParent(Panel1);
    button->SetCaption(b.Caption);
    button->SetBounds(left, 16, 81, 81);
    TMenuItem* TMainForm::*item = b.Item;
    button->OnClick = [item](TObject*) {
      if (MainForm) (MainForm->*item)->Click();
    };
    *b.Field = button;
    left += 96;
  }
}

TNavForm::~TNavForm() {
  if (NavForm == this) NavForm = nullptr;
  LeaveFocus(this);
}
