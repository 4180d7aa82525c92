// The default editors by value type (used where a column has no field):
// a check box for Boolean values, a date editor for dates, a currency
// editor for currency and BCD values, and the text
// item as the fallback.
#pragma once
#include "cxEditRegisteredRepositoryItems.h"

class TcxEditDataRegisteredRepositoryItems : public TcxEditRegisteredRepositoryItems {
  TOVANI_CLASS(TcxEditDataRegisteredRepositoryItems, TcxEditRegisteredRepositoryItems)
 public:
  using TcxEditRegisteredRepositoryItems::GetItemForKey;
  using TcxEditRegisteredRepositoryItems::RegisterItemForKey;
  using TcxEditRegisteredRepositoryItems::UnregisterItemForKey;
  // Keyed by the value type class itself.
  TcxEditRepositoryItem* GetItemForKey(TClass AValueType) {
    return GetItemForKey(reinterpret_cast<intptr_t>(AValueType));
  }
  void RegisterItemForKey(TClass AValueType, Integer AVersion, TcxEditRepositoryItem* AItem) {
    RegisterItemForKey(reinterpret_cast<intptr_t>(AValueType), AVersion, AItem);
  }
  void UnregisterItemForKey(TClass AValueType, Integer AVersion) {
    UnregisterItemForKey(reinterpret_cast<intptr_t>(AValueType), AVersion);
  }
};

// The process-wide registry; its start-up (on first use) registers the
// default items of the kinds built so far.
TcxEditDataRegisteredRepositoryItems* GetDefaultEditDataRepositoryItems();
// Creates a new item with the factory in the default editor repository and
// registers it with version -1 for a value type. Editor units call this in
// their start-up to add their kind to the table; the registry's shut-down
// unregisters every such entry.
TcxEditRepositoryItem* cxRegisterDefaultValueTypeItem(TClass AValueType, const TcxEditRepositoryItemFactory& AFactory);
void cxEditDataRegisteredRepositoryItemsShutdown();
