// The prompt for the password of a protected report file. A wrong password
// leaves the prompt open with the text as typed, selected, so the user can
// correct it; only Cancel gives up.
#pragma once
#include <functional>

#include "Forms.h"

class TButton;
class TEdit;
class TImage;
class TLabel;

class TfrxPasswordForm : public TForm {
  TOVANI_CLASS(TfrxPasswordForm, TForm)
 public:
  explicit TfrxPasswordForm(TComponent* AOwner = nullptr);

  // Asked when OK is pressed; false keeps the prompt open.
  std::function<bool(const String& Typed)> OnAccept;
  // Wrong entries so far.
  Integer WrongEntries = 0;

  TLabel* PasswordL;
  TImage* Image1;
  TEdit* PasswordE;
  TButton* OkB;
  TButton* CancelB;

 protected:
  void Activate() override;

 private:
  void OkBClick();
};

// Makes reports ask for their passwords with the prompt.
void frxRegisterPasswordForm();
