// The login dialog: one attempt per start. A correct user name and password
// end it with modal result 1000 and make that user the logged-in user of
// the data module.
#pragma once
#include "Forms.h"

class TComboBox;
class TImage;
class TEdit;
class TButton;
class TADODataSet;

// The modal result of a successful login.
constexpr TModalResult mrLoginOk = 1000;

class TLoginForm : public TForm {
  TOVANI_CLASS(TLoginForm, TForm)
 public:
  explicit TLoginForm(TComponent* AOwner = nullptr);
  ~TLoginForm() override;
  void Loaded() override;

  TImage* Image1 = nullptr;
  TComboBox* UserName = nullptr;
  TEdit* Password = nullptr;
  TButton* btnLogin = nullptr;
  TButton* btnExit = nullptr;
  TADODataSet* d_Users = nullptr;

  void FormCreate(TObject* Sender);
  void UserNameKeyPress(TObject* Sender, char32_t& Key);
  void PasswordKeyPress(TObject* Sender, char32_t& Key);
  void btnLoginClick(TObject* Sender);
};
