#include "frxSearchDialog.h"

#include "ExtCtrls.h"
#include "StdCtrls.h"
#include "VclWindows.h"
#include "frxDialogControls.h"

TOVANI_IMPLEMENT_CLASS(TfrxSearchDialog, TForm)

String& frxSearchDialogText() {
  static String text;
  return text;
}

TfrxSearchDialog::TfrxSearchDialog(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetCaption(frxRes(300));
  SetClientWidth(300);
  SetClientHeight(150);
  Panel2 = frxPlaceControl<TPanel>(this, this, 0, 0, 300, 48);
  Panel2->SetBevelOuter(bvNone);
  TextL = frxPlaceControl<TLabel>(this, Panel2, 8, 6, 280, 13, frxRes(301));
  TextE = frxPlaceControl<TEdit>(this, Panel2, 8, 22, 284, 21);
  // Replacing is not offered by the preview: the panel stays hidden.
  ReplacePanel = frxPlaceControl<TPanel>(this, this, 0, 48, 300, 0);
  ReplacePanel->SetVisible(false);
  ReplacePanel->SetBevelOuter(bvNone);
  ReplaceL = frxPlaceControl<TLabel>(this, ReplacePanel, 8, 4, 280, 13, frxRes(303));
  ReplaceE = frxPlaceControl<TEdit>(this, ReplacePanel, 8, 20, 284, 21);
  Panel3 = frxPlaceControl<TPanel>(this, this, 0, 48, 300, 102);
  Panel3->SetBevelOuter(bvNone);
  SearchL = frxPlaceControl<TGroupBox>(this, Panel3, 8, 0, 284, 60, frxRes(302));
  CaseCB = frxPlaceControl<TCheckBox>(this, SearchL, 10, 18, 260, 17, frxRes(305));
  TopCB = frxPlaceControl<TCheckBox>(this, SearchL, 10, 37, 260, 17, frxRes(304));
  OkB = frxPlaceControl<TButton>(this, Panel3, 136, 68, 75, 25, frxRes(1));
  OkB->SetDefault(true);
  OkB->OnClick = [this](TObject*) { OkBClick(); };
  CancelB = frxPlaceControl<TButton>(this, Panel3, 217, 68, 75, 25, frxRes(2));
  CancelB->SetCancel(true);
  CancelB->SetModalResult(mrCancel);
}

void TfrxSearchDialog::OkBClick() {
  // A wrong entry (nothing to find) leaves the text for the user to correct.
  if (TextE->Text().empty() || (OnAccept && !OnAccept(this))) {
    frxSearchDialogText() = TextE->Text();
    MessageBeep(MB_ICONEXCLAMATION);
    if (TextE->CanFocus()) TextE->SetFocus();
    TextE->SelectAll();
    return;
  }
  SetModalResult(mrOk);
}

void TfrxSearchDialog::DoShow() {
  TextE->SetText(frxSearchDialogText());
  TForm::DoShow();
}

void TfrxSearchDialog::Activate() {
  TForm::Activate();
  if (TextE->CanFocus()) TextE->SetFocus();
  TextE->SelectAll();
}

void TfrxSearchDialog::DoHide() {
  if (ModalResult() == mrOk) frxSearchDialogText() = TextE->Text();
  TForm::DoHide();
}

void TfrxSearchDialog::KeyDown(Word& Key, TShiftState Shift) {
  TForm::KeyDown(Key, Shift);
  if (Key == VK_F1) frxGetResources()->ShowHelp(this);
}
