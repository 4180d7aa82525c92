#include "cxDBEditRepository.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxEditRepositoryLookupComboBoxItem, TcxEditRepositoryItem)

TcxEditRepositoryLookupComboBoxItem::TcxEditRepositoryLookupComboBoxItem(TComponent* AOwner)
    : TcxEditRepositoryItem(AOwner) {
  SetPropertiesObject(new TcxLookupComboBoxProperties(this));
}

TcxLookupComboBoxProperties* TcxEditRepositoryLookupComboBoxItem::Properties() const {
  auto* p = dynamic_cast<TcxLookupComboBoxProperties*>(TcxEditRepositoryItem::Properties());
  if (!p) throw EInvalidCast("Invalid class typecast");
  return p;
}

TOVANI_PUBLISHED(TcxEditRepositoryLookupComboBoxItem) {
  using I = TcxEditRepositoryLookupComboBoxItem;
  Property<TcxLookupComboBoxProperties*>(
      "Properties", [](I* i) { return i->Properties(); },
      [](I* i, TcxLookupComboBoxProperties* v) { i->SetProperties(v); });
}
