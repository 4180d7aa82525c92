#include "uLoginForm.h"

#include "ADODB.h"
#include "AppPictures.h"
#include "ExtCtrls.h"
#include "Graphics.h"
#include "Dialogs.h"
#include "StdCtrls.h"
#include "uDataForm.h"

TOVANI_IMPLEMENT_CLASS(TLoginForm, TForm)
TOVANI_PUBLISHED(TLoginForm) {
  Method("FormCreate", &TLoginForm::FormCreate);
  Method("UserNameKeyPress", &TLoginForm::UserNameKeyPress);
  Method("PasswordKeyPress", &TLoginForm::PasswordKeyPress);
  Method("btnLoginClick", &TLoginForm::btnLoginClick);
}

TLoginForm::TLoginForm(TComponent* AOwner) : TForm(AOwner) {}

TLoginForm::~TLoginForm() { LeaveFocus(this); }

void TLoginForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "Image1", Image1);
  BindComponent(this, "UserName", UserName);
  BindComponent(this, "Password", Password);
  BindComponent(this, "btnLogin", btnLogin);
  BindComponent(this, "btnExit", btnExit);
  BindComponent(this, "d_Users", d_Users);
}

void TLoginForm::FormCreate(TObject*) {
  TBitmap picture;
  DrawProgramGlyph(&picture, TProgramGlyph::Login);
  Image1->Picture()->SetBitmap(&picture);
  d_Users->Open();
  TField* name = d_Users->FieldByName("U_Name");
  for (d_Users->First(); !d_Users->Eof(); d_Users->Next()) UserName->Items()->Add(name->AsString());
  if (UserName->Items()->Count() > 0) UserName->SetItemIndex(0);
}

void TLoginForm::UserNameKeyPress(TObject*, char32_t& Key) {
  if (Key == U'\r') {
    Key = 0;
    Password->SetFocus();
  }
}

void TLoginForm::PasswordKeyPress(TObject*, char32_t& Key) {
  if (Key == U'\r') {
    Key = 0;
    btnLoginClick(btnLogin);
  }
}

void TLoginForm::btnLoginClick(TObject*) {
  SetModalResult(mrCancel);
  if (d_Users->Locate("U_Name", Variant(UserName->Text()), {}) &&
      d_Users->FieldByName("U_Pwd")->AsString() == Password->Text()) {
    SetModalResult(mrLoginOk);
    DataForm->User->Close();
    DataForm->User->Parameters()->ParamByName("id")->SetAsString(d_Users->FieldByName("U_ID")->AsString());
    DataForm->User->Open();
  }
  if (ModalResult() == mrCancel) MsgError(Handle(), "登录失败！", "错误");
}
