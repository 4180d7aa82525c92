// The customer dialog: one customer's fields, bound to the customer
// window's data source. "保存" posts the record; "取消" and the close box
// end the dialog without saving (the customer window then cancels).
#pragma once
#include "Forms.h"

class TButton;

class TCustomerEditForm : public TForm {
  TOVANI_CLASS(TCustomerEditForm, TForm)
 public:
  explicit TCustomerEditForm(TComponent* AOwner = nullptr);
  ~TCustomerEditForm() override;
  void Loaded() override;

  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;

  // Enter moves on to the next control, as in a dialog.
  void FormKeyPress(TObject* Sender, char32_t& Key);
  // "保存": posts the customer (written at once) and ends the dialog with 1.
  // A post that fails keeps the dialog open with the typed values.
  void Button1Click(TObject* Sender);
};
