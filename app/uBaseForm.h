// The base of the program's dialogs that may keep their caption's active
// look once while another window takes the activation.
#pragma once
#include "Forms.h"

class TBaseForm : public TForm {
  TOVANI_CLASS(TBaseForm, TForm)
 public:
  explicit TBaseForm(TComponent* AOwner = nullptr);
  bool HoldCaption = false;

 protected:
  // With HoldCaption and Tag 1213, the first deactivation leaves the caption
  // drawn active (Tag goes back to 0); everything else is handled as usual.
  void WMNCActivate(TMessage& Message);
  void Dispatch(TMessage& Message) override;
};
