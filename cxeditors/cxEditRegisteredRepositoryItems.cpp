#include "cxEditRegisteredRepositoryItems.h"

TOVANI_IMPLEMENT_CLASS(TcxEditRegisteredRepositoryItems, TcxInterfacedPersistent)

TcxEditRegisteredRepositoryItems::~TcxEditRegisteredRepositoryItems() {
  FDestroying = true;
  ClearEntries(FFallbackItems);
  ClearEntries(FItems);
}

bool TcxEditRegisteredRepositoryItems::LocateEntry(const TcxEditRegisteredRepositoryItemsDataArray& AEntries,
                                                   intptr_t AKey, Integer& AIndex, bool AHighestVersion,
                                                   Integer AVersion) {
  Integer low = 0, high = Integer(AEntries.size()) - 1;
  bool found = false;
  while (low <= high) {
    Integer mid = (low + high) / 2;
    const auto& e = AEntries[size_t(mid)];
    int cmp = e.Key < AKey ? -1 : e.Key > AKey ? 1 : 0;
    if (cmp == 0 && !AHighestVersion) cmp = e.Version < AVersion ? -1 : e.Version > AVersion ? 1 : 0;
    if (cmp < 0) {
      low = mid + 1;
    } else if (cmp > 0) {
      high = mid - 1;
    } else {
      found = true;
      low = mid;
      break;
    }
  }
  AIndex = low;
  if (AHighestVersion)
    while (AIndex + 1 < Integer(AEntries.size()) && AEntries[size_t(AIndex + 1)].Key == AKey) ++AIndex;
  (void)found;
  return AIndex >= 0 && AIndex < Integer(AEntries.size()) && AEntries[size_t(AIndex)].Key == AKey &&
         (AHighestVersion || AEntries[size_t(AIndex)].Version == AVersion);
}

Integer TcxEditRegisteredRepositoryItems::AddEntry(TcxEditRegisteredRepositoryItemsDataArray& AEntries, intptr_t AKey,
                                                   TcxEditRepositoryItem* AItem, Integer AVersion) {
  Integer index = 0;
  // A later registration never replaces an earlier one of the same version.
  if (LocateEntry(AEntries, AKey, index, false, AVersion)) return index;
  AEntries.insert(AEntries.begin() + index, TcxEditRegisteredRepositoryItemsData{AKey, AVersion, AItem});
  if (AItem) AItem->AddListener(this);
  NotifyChanged();
  return index;
}

void TcxEditRegisteredRepositoryItems::DeleteEntry(TcxEditRegisteredRepositoryItemsDataArray& AEntries, Integer AIndex) {
  TcxEditRepositoryItem* item = AEntries[size_t(AIndex)].Item;
  AEntries.erase(AEntries.begin() + AIndex);
  // The registry stops listening only when no other entry holds the item:
  // otherwise freeing that item later would leave a dangling entry behind.
  if (item && !UsesItem(item)) item->RemoveListener(this);
  NotifyChanged();
}

bool TcxEditRegisteredRepositoryItems::ListUsesItem(const TcxEditRegisteredRepositoryItemsDataArray& AEntries,
                                                   TcxEditRepositoryItem* AItem) {
  for (const auto& e : AEntries)
    if (e.Item == AItem) return true;
  return false;
}

bool TcxEditRegisteredRepositoryItems::UsesItem(TcxEditRepositoryItem* AItem) {
  return ListUsesItem(FItems, AItem) || ListUsesItem(FFallbackItems, AItem);
}

void TcxEditRegisteredRepositoryItems::RemoveItemEntries(TcxEditRegisteredRepositoryItemsDataArray& AEntries,
                                                         TcxEditRepositoryItem* AItem) {
  for (Integer i = Integer(AEntries.size()) - 1; i >= 0; --i)
    if (AEntries[size_t(i)].Item == AItem) DeleteEntry(AEntries, i);
}

void TcxEditRegisteredRepositoryItems::ClearEntries(TcxEditRegisteredRepositoryItemsDataArray& AEntries) {
  for (Integer i = Integer(AEntries.size()) - 1; i >= 0; --i) DeleteEntry(AEntries, i);
}

void TcxEditRegisteredRepositoryItems::ItemRemoved(TcxEditRepositoryItem* Sender) {
  RemoveItemEntries(FFallbackItems, Sender);
  RemoveItemEntries(FItems, Sender);
}

TcxEditRepositoryItem* TcxEditRegisteredRepositoryItems::GetFallbackItem() {
  return FFallbackItems.empty() ? nullptr : FFallbackItems.front().Item;
}

TcxEditRepositoryItem* TcxEditRegisteredRepositoryItems::GetItemForKey(intptr_t AKey) {
  Integer index = 0;
  if (LocateEntry(FItems, AKey, index, true)) return FItems[size_t(index)].Item;
  return GetFallbackItem();
}

void TcxEditRegisteredRepositoryItems::RegisterFallbackItem(Integer AVersion, TcxEditRepositoryItem* AItem) {
  AddEntry(FFallbackItems, 0, AItem, AVersion);
}

void TcxEditRegisteredRepositoryItems::RegisterItemForKey(intptr_t AKey, Integer AVersion, TcxEditRepositoryItem* AItem) {
  AddEntry(FItems, AKey, AItem, AVersion);
}

void TcxEditRegisteredRepositoryItems::UnregisterFallbackItem(Integer AVersion) {
  Integer index = 0;
  if (LocateEntry(FFallbackItems, 0, index, false, AVersion)) DeleteEntry(FFallbackItems, index);
}

void TcxEditRegisteredRepositoryItems::UnregisterItemForKey(intptr_t AKey, Integer AVersion) {
  Integer index = 0;
  if (LocateEntry(FItems, AKey, index, false, AVersion)) DeleteEntry(FItems, index);
}
