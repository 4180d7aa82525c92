// The data-aware check list box: its check states are the value of one
// field (the users window binds it to a user's permission string).
#pragma once
#include "cxCheckListBox.h"
#include "cxDBEdit.h"

class TcxDBCheckListBox : public TcxCustomCheckListBox {
  TOVANI_CLASS(TcxDBCheckListBox, TcxCustomCheckListBox)
 public:
  explicit TcxDBCheckListBox(TComponent* AOwner = nullptr);
  TcxDBDataBinding* DataBinding() const { return static_cast<TcxDBDataBinding*>(GetDataBinding()); }
  void SetDataBinding(TcxDBDataBinding* Value);
};
