#include "frxPassword.h"

#include <memory>

#include "ExtCtrls.h"
#include "Graphics.h"
#include "StdCtrls.h"
#include "VclWindows.h"
#include "frxClass.h"
#include "frxDialogControls.h"

TOVANI_IMPLEMENT_CLASS(TfrxPasswordForm, TForm)

namespace {
// A padlock beside the password field.
void DrawLock(TImage* Image) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetWidth(32);
  bmp->SetHeight(32);
  TCanvas* c = bmp->Canvas();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect(0, 0, 32, 32));
  c->Pen()->SetColor(clGray);
  c->Pen()->SetWidth(3);
  c->Brush()->SetStyle(bsClear);
  c->Ellipse(9, 3, 23, 21);
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(clBlack);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(TColor(0x0080C0));
  c->Rectangle(6, 13, 26, 30);
  c->Brush()->SetColor(clBlack);
  c->Rectangle(15, 18, 17, 25);
  Image->Picture()->Assign(bmp.get());
}
}  // namespace

TfrxPasswordForm::TfrxPasswordForm(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(252);
  SetClientHeight(92);
  // Texts 5000 and 5001 come from a language file; without one the ids show.
  SetCaption(frxRes(5000));
  Image1 = frxPlaceControl<TImage>(this, this, 8, 8, 32, 32);
  DrawLock(Image1);
  PasswordL = frxPlaceControl<TLabel>(this, this, 48, 8, 190, 13, frxRes(5001));
  PasswordE = frxPlaceControl<TEdit>(this, this, 48, 26, 157, 21);
  PasswordE->SetPasswordChar(U'*');
  OkB = frxPlaceControl<TButton>(this, this, 90, 58, 75, 25, frxRes(1));
  OkB->SetDefault(true);
  OkB->OnClick = [this](TObject*) { OkBClick(); };
  CancelB = frxPlaceControl<TButton>(this, this, 170, 58, 75, 25, frxRes(2));
  CancelB->SetCancel(true);
  CancelB->SetModalResult(mrCancel);
}

void TfrxPasswordForm::Activate() {
  TForm::Activate();
  if (PasswordE->CanFocus()) PasswordE->SetFocus();
}

void TfrxPasswordForm::OkBClick() {
  if (OnAccept && !OnAccept(PasswordE->Text())) {
    ++WrongEntries;
    MessageBeep(MB_ICONEXCLAMATION);
    if (PasswordE->CanFocus()) PasswordE->SetFocus();
    PasswordE->SelectAll();
    return;
  }
  SetModalResult(mrOk);
}

namespace {
bool AskPassword(String& Typed, const std::function<bool(const String&)>& Accept) {
  std::unique_ptr<TfrxPasswordForm> form(new TfrxPasswordForm(Application));
  form->OnAccept = Accept;
  const bool ok = form->ShowModal() == mrOk;
  Typed = form->PasswordE->Text();
  return ok;
}
}  // namespace

void frxRegisterPasswordForm() { frxPasswordPrompt = AskPassword; }
