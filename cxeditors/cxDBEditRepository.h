// The repository item of the lookup combo box: one set of lookup settings
// that grid columns and editors may share.
#pragma once
#include "cxDBLookupComboBox.h"

class TcxEditRepositoryLookupComboBoxItem : public TcxEditRepositoryItem {
  TOVANI_CLASS(TcxEditRepositoryLookupComboBoxItem, TcxEditRepositoryItem)
 public:
  explicit TcxEditRepositoryLookupComboBoxItem(TComponent* AOwner = nullptr);
  TClass GetPropertiesClass() override { return TcxLookupComboBoxProperties::StaticClass(); }
  // The item's properties (an invalid-cast error for another class).
  TcxLookupComboBoxProperties* Properties() const;
  void SetProperties(TcxLookupComboBoxProperties* Value) { TcxEditRepositoryItem::SetProperties(Value); }
};
