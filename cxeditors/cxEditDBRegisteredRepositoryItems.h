// The default editors by field data type (used for columns bound to a
// dataset field): a lookup combo box for lookup fields, a currency editor
// for currency fields, a check box for Boolean fields, a date editor for
// dates, a memo for memo fields, an image editor for graphic fields, a BLOB
// editor for binary fields, and a masked-text item as the fallback.
#pragma once
#include <initializer_list>

#include "DB.h"
#include "cxEditRegisteredRepositoryItems.h"

class TcxEditDBRegisteredRepositoryItems : public TcxEditRegisteredRepositoryItems {
  TOVANI_CLASS(TcxEditDBRegisteredRepositoryItems, TcxEditRegisteredRepositoryItems)
 public:
  TcxEditDBRegisteredRepositoryItems() = default;
  ~TcxEditDBRegisteredRepositoryItems() override;
  void ItemRemoved(TcxEditRepositoryItem* Sender) override;

  using TcxEditRegisteredRepositoryItems::GetItemForKey;
  using TcxEditRegisteredRepositoryItems::RegisterItemForKey;
  using TcxEditRegisteredRepositoryItems::UnregisterItemForKey;
  // Keyed by the field type's ordinal (7 bits).
  TcxEditRepositoryItem* GetItemForKey(TFieldType AFieldType) { return GetItemForKey(intptr_t(AFieldType) & 0x7F); }
  void RegisterItemForKey(TFieldType AFieldType, Integer AVersion, TcxEditRepositoryItem* AItem) {
    RegisterItemForKey(intptr_t(AFieldType) & 0x7F, AVersion, AItem);
  }
  void UnregisterItemForKey(TFieldType AFieldType, Integer AVersion) {
    UnregisterItemForKey(intptr_t(AFieldType) & 0x7F, AVersion);
  }
  void RegisterCurrencyFieldItem(Integer AVersion, TcxEditRepositoryItem* AItem) {
    AddEntry(FCurrencyItems, 0, AItem, AVersion);
  }
  void RegisterLookupFieldItem(Integer AVersion, TcxEditRepositoryItem* AItem) { AddEntry(FLookupItems, 0, AItem, AVersion); }
  // The first entry of each list, or the fallback when it is empty.
  TcxEditRepositoryItem* GetCurrencyFieldItem();
  TcxEditRepositoryItem* GetLookupFieldItem();
  // No field: the fallback; a lookup field: the lookup item; a numeric
  // field whose published Boolean "currency" is True: the currency item;
  // else the item of its data type.
  TcxEditRepositoryItem* GetItemForField(TField* AField);

 protected:
  bool UsesItem(TcxEditRepositoryItem* AItem) override;

 private:
  TcxEditRegisteredRepositoryItemsDataArray FCurrencyItems, FLookupItems;
};

// The process-wide registry; its start-up (on first use) registers the
// default items of the editor kinds built so far.
TcxEditDBRegisteredRepositoryItems* GetDefaultEditDBRepositoryItems();
// Creates one new item with the factory in the default editor repository
// for each field type and registers it with version -1: the table of
// default editors that editor units extend from their start-up. The
// registry's shut-down unregisters every such entry.
void cxRegisterDefaultFieldTypeItems(std::initializer_list<TFieldType> AFieldTypes,
                                     const TcxEditRepositoryItemFactory& AFactory);
void cxEditDBRegisteredRepositoryItemsShutdown();
