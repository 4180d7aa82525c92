// The preview's find dialog: the text to look for, case sensitivity and
// whether to start at the first page. The last text confirmed is offered
// again the next time the dialog opens.
#pragma once
#include <functional>

#include "Forms.h"

class TButton;
class TCheckBox;
class TEdit;
class TGroupBox;
class TLabel;
class TPanel;

class TfrxSearchDialog : public TForm {
  TOVANI_CLASS(TfrxSearchDialog, TForm)
 public:
  explicit TfrxSearchDialog(TComponent* AOwner = nullptr);

  // Asked when OK is pressed: false keeps the dialog open with the text as
  // typed (the preview answers false when the text is not in the pages).
  std::function<bool(TfrxSearchDialog* Sender)> OnAccept;

  TPanel* Panel2;
  TLabel* TextL;
  TEdit* TextE;
  TPanel* ReplacePanel;
  TLabel* ReplaceL;
  TEdit* ReplaceE;
  TPanel* Panel3;
  TGroupBox* SearchL;
  TCheckBox* CaseCB;
  TCheckBox* TopCB;
  TButton* OkB;
  TButton* CancelB;

 protected:
  void DoShow() override;
  void DoHide() override;
  void Activate() override;
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  void OkBClick();
};

// The text last confirmed with OK (kept for the process).
String& frxSearchDialogText();
