// Registries that choose a default editor: repository items registered for
// a key (a value type class or a field data type) in versions; the answer
// for a key is its highest version, else the fallback item.
#pragma once
#include <cstdint>
#include <vector>

#include "cxEdit.h"

struct TcxEditRegisteredRepositoryItemsData {
  intptr_t Key = 0;   // a field type ordinal or a value type class
  Integer Version = 0;
  TcxEditRepositoryItem* Item = nullptr;
};
using TcxEditRegisteredRepositoryItemsDataArray = std::vector<TcxEditRegisteredRepositoryItemsData>;

class TcxEditRegisteredRepositoryItems : public TcxInterfacedPersistent, public IcxEditRepositoryItemListener {
  TOVANI_CLASS(TcxEditRegisteredRepositoryItems, TcxInterfacedPersistent)
 public:
  TcxEditRegisteredRepositoryItems() : TcxInterfacedPersistent(nullptr) {}
  ~TcxEditRegisteredRepositoryItems() override;

  void ItemRemoved(TcxEditRepositoryItem* Sender) override;
  void PropertiesChanged(TcxEditRepositoryItem* Sender) override {}
  virtual TcxEditRepositoryItem* GetFallbackItem();
  virtual TcxEditRepositoryItem* GetItemForKey(intptr_t AKey);
  virtual void RegisterFallbackItem(Integer AVersion, TcxEditRepositoryItem* AItem);
  virtual void RegisterItemForKey(intptr_t AKey, Integer AVersion, TcxEditRepositoryItem* AItem);
  virtual void UnregisterFallbackItem(Integer AVersion);
  virtual void UnregisterItemForKey(intptr_t AKey, Integer AVersion);
  Integer KeyedCount() const { return Integer(FItems.size()); }
  Integer FallbackCount() const { return Integer(FFallbackItems.size()); }

  // Binary search over entries sorted by key, then version. With
  // AHighestVersion the index lands on the key's highest version.
  static bool LocateEntry(const TcxEditRegisteredRepositoryItemsDataArray& AEntries, intptr_t AKey, Integer& AIndex,
                          bool AHighestVersion, Integer AVersion = 0);

 protected:
  virtual Integer AddEntry(TcxEditRegisteredRepositoryItemsDataArray& AEntries, intptr_t AKey,
                           TcxEditRepositoryItem* AItem, Integer AVersion);
  virtual void NotifyChanged() {}
  void DeleteEntry(TcxEditRegisteredRepositoryItemsDataArray& AEntries, Integer AIndex);
  void RemoveItemEntries(TcxEditRegisteredRepositoryItemsDataArray& AEntries, TcxEditRepositoryItem* AItem);
  void ClearEntries(TcxEditRegisteredRepositoryItemsDataArray& AEntries);
  // Whether any entry of the registry holds the item.
  virtual bool UsesItem(TcxEditRepositoryItem* AItem);
  static bool ListUsesItem(const TcxEditRegisteredRepositoryItemsDataArray& AEntries, TcxEditRepositoryItem* AItem);
  bool FDestroying = false;
  TcxEditRegisteredRepositoryItemsDataArray FItems;
  TcxEditRegisteredRepositoryItemsDataArray FFallbackItems;
};
