#include "uNavForm.h"

#include <utility>
#include "AppPictures.h"
#include "Buttons.h"
#include "Graphics.h"
#include "ExtCtrls.h"
#include "Menus.h"
#include "SHDocVw.h"
#include "uDataForm.h"
#include "uMainForm.h"

TNavForm* NavForm = nullptr;

TOVANI_IMPLEMENT_CLASS(TNavForm, TForm)
TOVANI_PUBLISHED(TNavForm) {
  Method("FormCreate", &TNavForm::FormCreate);
  Method("BitBtn1Click", &TNavForm::BitBtn1Click);
  Method("BitBtn2Click", &TNavForm::BitBtn2Click);
  Method("BitBtn3Click", &TNavForm::BitBtn3Click);
  Method("BitBtn4Click", &TNavForm::BitBtn4Click);
  Method("BitBtn5Click", &TNavForm::BitBtn5Click);
  Method("BitBtn6Click", &TNavForm::BitBtn6Click);
}

namespace {
void ClickMenuItem(TMenuItem* TMainForm::*Item) {
  if (MainForm && MainForm->*Item) (MainForm->*Item)->Click();
}
}  // namespace

TNavForm::TNavForm(TComponent* AOwner) : TForm(AOwner) {}

TNavForm::~TNavForm() {
  if (NavForm == this) NavForm = nullptr;
  LeaveFocus(this);
}

void TNavForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "Panel1", Panel1);
  BindComponent(this, "BitBtn1", BitBtn1);
  BindComponent(this, "BitBtn2", BitBtn2);
  BindComponent(this, "BitBtn3", BitBtn3);
  BindComponent(this, "BitBtn4", BitBtn4);
  BindComponent(this, "BitBtn5", BitBtn5);
  BindComponent(this, "BitBtn6", BitBtn6);
  BindComponent(this, "WebBrowser1", WebBrowser1);
}

void TNavForm::FormCreate(TObject*) {
  const std::pair<TBitBtn*, TProgramGlyph> glyphs[] = {
      {BitBtn1, TProgramGlyph::Product}, {BitBtn2, TProgramGlyph::Customer}, {BitBtn3, TProgramGlyph::Sale},
      {BitBtn4, TProgramGlyph::SaleStat}, {BitBtn5, TProgramGlyph::Users},   {BitBtn6, TProgramGlyph::Password},
  };
  TBitmap glyph;
  for (const auto& [button, picture] : glyphs) {
    DrawProgramGlyph(&glyph, picture);
    button->SetGlyph(&glyph);
  }
}

void TNavForm::BitBtn1Click(TObject*) { ClickMenuItem(&TMainForm::miProduct); }
void TNavForm::BitBtn2Click(TObject*) { ClickMenuItem(&TMainForm::miCustomer); }
void TNavForm::BitBtn3Click(TObject*) { ClickMenuItem(&TMainForm::miSale); }
void TNavForm::BitBtn4Click(TObject*) { ClickMenuItem(&TMainForm::miSaleStat); }
void TNavForm::BitBtn5Click(TObject*) { ClickMenuItem(&TMainForm::miUsers); }
void TNavForm::BitBtn6Click(TObject*) { ClickMenuItem(&TMainForm::miPwd); }
