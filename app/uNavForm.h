// The navigation window: always the first MDI child of the main window,
// with one large picture button per frequent command. It cannot be closed.
#pragma once
#include "Forms.h"

class TBitBtn;
class TPanel;
class TWebBrowser;

class TNavForm : public TForm {
  TOVANI_CLASS(TNavForm, TForm)
 public:
  explicit TNavForm(TComponent* AOwner = nullptr);
  ~TNavForm() override;
  void Loaded() override;

  // The top panel holding the command buttons.
  TPanel* Panel1 = nullptr;
  // The command buttons; each clicks its menu item of the main window, so
  // the same permission tests and window rules apply.
  TBitBtn *BitBtn1 = nullptr, *BitBtn2 = nullptr, *BitBtn3 = nullptr, *BitBtn4 = nullptr, *BitBtn5 = nullptr,
          *BitBtn6 = nullptr;
  // The browser below the buttons; the program loads no page into it.
  TWebBrowser* WebBrowser1 = nullptr;

  void FormCreate(TObject* Sender);
  void BitBtn1Click(TObject* Sender);
  void BitBtn2Click(TObject* Sender);
  void BitBtn3Click(TObject* Sender);
  void BitBtn4Click(TObject* Sender);
  void BitBtn5Click(TObject* Sender);
  void BitBtn6Click(TObject* Sender);
};

extern TNavForm* NavForm;
