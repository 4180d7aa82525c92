// The dialog in which the logged-in user changes the own password.
#pragma once
#include "Forms.h"

class TEdit;
class TButton;

class TPasswordForm : public TForm {
  TOVANI_CLASS(TPasswordForm, TForm)
 public:
  explicit TPasswordForm(TComponent* AOwner = nullptr);
  ~TPasswordForm() override;
  void Loaded() override;

  TEdit* edtOldPwd = nullptr;
  TEdit* edtNewPwd = nullptr;
  TEdit* edtNewPwd1 = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;

  void edtOldPwdKeyPress(TObject* Sender, char32_t& Key);
  void edtNewPwdKeyPress(TObject* Sender, char32_t& Key);
  void edtNewPwd1KeyPress(TObject* Sender, char32_t& Key);
  // Checks the old password and the confirmation, then stores the new one.
  void Button1Click(TObject* Sender);
};
