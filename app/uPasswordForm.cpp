#include "uPasswordForm.h"

#include "ADODB.h"
#include "StdCtrls.h"
#include "uDataForm.h"

TOVANI_IMPLEMENT_CLASS(TPasswordForm, TForm)
TOVANI_PUBLISHED(TPasswordForm) {
  Method("edtOldPwdKeyPress", &TPasswordForm::edtOldPwdKeyPress);
  Method("edtNewPwdKeyPress", &TPasswordForm::edtNewPwdKeyPress);
  Method("edtNewPwd1KeyPress", &TPasswordForm::edtNewPwd1KeyPress);
  Method("Button1Click", &TPasswordForm::Button1Click);
}

namespace {

// Enter moves on to the next field.
void EnterMovesTo(char32_t& Key, TWinControl* Next) {
  if (Key != U'\r') return;
  Key = 0;
  Next->SetFocus();
}
}  // namespace

TPasswordForm::TPasswordForm(TComponent* AOwner) : TForm(AOwner) {}

TPasswordForm::~TPasswordForm() { LeaveFocus(this); }

void TPasswordForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "edtOldPwd", edtOldPwd);
  BindComponent(this, "edtNewPwd", edtNewPwd);
  BindComponent(this, "edtNewPwd1", edtNewPwd1);
  BindComponent(this, "Button1", Button1);
  BindComponent(this, "Button2", Button2);
}

void TPasswordForm::edtOldPwdKeyPress(TObject*, char32_t& Key) { EnterMovesTo(Key, edtNewPwd); }
void TPasswordForm::edtNewPwdKeyPress(TObject*, char32_t& Key) { EnterMovesTo(Key, edtNewPwd1); }
void TPasswordForm::edtNewPwd1KeyPress(TObject*, char32_t& Key) { EnterMovesTo(Key, Button1); }

void TPasswordForm::Button1Click(TObject*) {
  TADODataSet* user = DataForm->User;
  if (edtOldPwd->Text() != user->FieldByName("U_Pwd")->AsString()) {
    MsgError(Handle(), "旧密码不正确.", "错误");
    return;
  }
  if (edtNewPwd->Text() != edtNewPwd1->Text()) {
    MsgError(Handle(), "新密码与确认密码不符.", "错误");
    return;
  }
  user->Edit();
  user->FieldByName("U_Pwd")->SetAsString(edtNewPwd->Text());
  try {
    user->Post();
  } catch (...) {
    // Not saved (a locked file, say): the user's record goes back to the
    // password that is stored, so the next try checks the old one against
    // it; the error is shown by the default handler.
    user->Cancel();
    throw;
  }
  SetModalResult(mrOk);
  MsgInfo(Handle(), "密码更改成功,请下一次使用新密码登录.", "提示");
}
