// The navigation window: always the first MDI child of the main window,
// with one large button per frequent command. It cannot be closed.
#pragma once
#include "Forms.h"

class TNavForm : public TForm {
  TOVANI_CLASS(TNavForm, TForm)
 public:
  explicit TNavForm(TComponent* AOwner = nullptr);
  ~TNavForm() override;
};

extern TNavForm* NavForm;
