#include "cxEditDataRegisteredRepositoryItems.h"

#include <algorithm>
#include <memory>

#include "cxDataStorage.h"
#include "cxEditRepositoryItems.h"

TOVANI_IMPLEMENT_CLASS(TcxEditDataRegisteredRepositoryItems, TcxEditRegisteredRepositoryItems)

namespace {
std::unique_ptr<TcxEditDataRegisteredRepositoryItems> GRegistry;
std::vector<TClass> GRegisteredTypes;
}  // namespace

TcxEditDataRegisteredRepositoryItems* GetDefaultEditDataRepositoryItems() {
  if (!GRegistry) {
    GRegistry = std::make_unique<TcxEditDataRegisteredRepositoryItems>();
    cxEditRepositoryItemsStartup();
    // The text editor answers every value type without an editor of its own.
    GRegistry->RegisterFallbackItem(-1, cxGetDefaultEditRepository()->CreateItem(cxItemFactory<TcxEditRepositoryTextItem>()));
    // Each registration makes an item of its own.
    const std::pair<TClass, TcxEditRepositoryItemFactory> table[] = {
        {TcxBooleanValueType::StaticClass(), cxItemFactory<TcxEditRepositoryCheckBoxItem>()},
        {TcxCurrencyValueType::StaticClass(), cxItemFactory<TcxEditRepositoryCurrencyItem>()},
        {TcxDateTimeValueType::StaticClass(), cxItemFactory<TcxEditRepositoryDateItem>()},
        {TcxFMTBcdValueType::StaticClass(), cxItemFactory<TcxEditRepositoryCurrencyItem>()},
        {TcxSQLTimeStampValueType::StaticClass(), cxItemFactory<TcxEditRepositoryDateItem>()},
    };
    for (const auto& [valueType, factory] : table) {
      GRegistry->RegisterItemForKey(valueType, -1, cxGetDefaultEditRepository()->CreateItem(factory));
      GRegisteredTypes.push_back(valueType);
    }
  }
  return GRegistry.get();
}

TcxEditRepositoryItem* cxRegisterDefaultValueTypeItem(TClass AValueType, const TcxEditRepositoryItemFactory& AFactory) {
  TcxEditDataRegisteredRepositoryItems* r = GetDefaultEditDataRepositoryItems();
  // Once per value type: a second registration keeps the first item.
  if (std::find(GRegisteredTypes.begin(), GRegisteredTypes.end(), AValueType) != GRegisteredTypes.end())
    return r->GetItemForKey(AValueType);
  TcxEditRepositoryItem* item = cxGetDefaultEditRepository()->CreateItem(AFactory);
  r->RegisterItemForKey(AValueType, -1, item);
  GRegisteredTypes.push_back(AValueType);
  return item;
}

void cxEditDataRegisteredRepositoryItemsShutdown() {
  if (!GRegistry) return;
  GRegistry->UnregisterFallbackItem(-1);
  for (TClass c : GRegisteredTypes) GRegistry->UnregisterItemForKey(c, -1);
  GRegisteredTypes.clear();
  GRegistry.reset();
}
