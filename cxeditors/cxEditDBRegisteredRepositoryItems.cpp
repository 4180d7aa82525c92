#include "cxEditDBRegisteredRepositoryItems.h"

#include <algorithm>
#include <memory>

#include "TypInfo.h"
#include "cxEditRepositoryItems.h"
#include "cxBlobEdit.h"
#include "cxDBEditRepository.h"
#include "cxDBLookupComboBox.h"
#include "cxImage.h"
#include "cxMemo.h"

TOVANI_IMPLEMENT_CLASS(TcxEditDBRegisteredRepositoryItems, TcxEditRegisteredRepositoryItems)

namespace {
std::unique_ptr<TcxEditDBRegisteredRepositoryItems> GRegistry;
std::vector<TFieldType> GRegisteredTypes;
}  // namespace

TcxEditDBRegisteredRepositoryItems::~TcxEditDBRegisteredRepositoryItems() {
  FDestroying = true;
  ClearEntries(FItems);
  ClearEntries(FFallbackItems);
  ClearEntries(FLookupItems);
  ClearEntries(FCurrencyItems);
}

bool TcxEditDBRegisteredRepositoryItems::UsesItem(TcxEditRepositoryItem* AItem) {
  return TcxEditRegisteredRepositoryItems::UsesItem(AItem) || ListUsesItem(FCurrencyItems, AItem) ||
         ListUsesItem(FLookupItems, AItem);
}

void TcxEditDBRegisteredRepositoryItems::ItemRemoved(TcxEditRepositoryItem* Sender) {
  TcxEditRegisteredRepositoryItems::ItemRemoved(Sender);
  RemoveItemEntries(FLookupItems, Sender);
  RemoveItemEntries(FCurrencyItems, Sender);
}

TcxEditRepositoryItem* TcxEditDBRegisteredRepositoryItems::GetCurrencyFieldItem() {
  return FCurrencyItems.empty() ? GetFallbackItem() : FCurrencyItems.front().Item;
}

TcxEditRepositoryItem* TcxEditDBRegisteredRepositoryItems::GetLookupFieldItem() {
  return FLookupItems.empty() ? GetFallbackItem() : FLookupItems.front().Item;
}

TcxEditRepositoryItem* TcxEditDBRegisteredRepositoryItems::GetItemForField(TField* AField) {
  if (!AField) return GetFallbackItem();
  if (AField->Lookup()) return GetLookupFieldItem();
  if (dynamic_cast<TNumericField*>(AField)) {
    const TPropInfo* prop = GetPropInfo(AField, "currency");
    if (prop && prop->PropType && prop->PropType->Name == "Boolean" && GetOrdProp(AField, prop) != 0)
      return GetCurrencyFieldItem();
  }
  return GetItemForKey(AField->DataType());
}

TcxEditDBRegisteredRepositoryItems* GetDefaultEditDBRepositoryItems() {
  if (!GRegistry) {
    GRegistry = std::make_unique<TcxEditDBRegisteredRepositoryItems>();
    cxEditRepositoryItemsStartup();
    // A masked-text item edits every field type without an editor of its own.
    TcxEditRepository* repository = cxGetDefaultEditRepository();
    GRegistry->RegisterFallbackItem(-1, repository->CreateItem(cxItemFactory<TcxEditRepositoryMaskItem>()));
    GRegistry->RegisterCurrencyFieldItem(-1, repository->CreateItem(cxItemFactory<TcxEditRepositoryCurrencyItem>()));
    // Lookup fields pick from a plain fixed list: no grid lines, no header.
    auto* lookup = static_cast<TcxEditRepositoryLookupComboBoxItem*>(
        repository->CreateItem(cxItemFactory<TcxEditRepositoryLookupComboBoxItem>()));
    lookup->Properties()->ListOptions()->SetGridLines(glNone);
    lookup->Properties()->SetDropDownListStyle(lsEditFixedList);
    lookup->Properties()->ListOptions()->SetShowHeader(false);
    GRegistry->RegisterLookupFieldItem(-1, lookup);
    cxRegisterDefaultFieldTypeItems({ftBoolean}, cxItemFactory<TcxEditRepositoryCheckBoxItem>());
    cxRegisterDefaultFieldTypeItems({ftDate, ftDateTime, ftTimeStamp}, cxItemFactory<TcxEditRepositoryDateItem>());
    cxRegisterDefaultFieldTypeItems({ftTime}, cxItemFactory<TcxEditRepositoryTimeItem>());
    cxRegisterDefaultFieldTypeItems({ftBytes, ftVarBytes, ftBlob, ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary},
                                    cxItemFactory<TcxEditRepositoryBlobItem>());
    cxRegisterDefaultFieldTypeItems({ftMemo}, cxItemFactory<TcxEditRepositoryMemoItem>());
    cxRegisterDefaultFieldTypeItems({ftGraphic}, cxItemFactory<TcxEditRepositoryImageItem>());
  }
  return GRegistry.get();
}

void cxRegisterDefaultFieldTypeItems(std::initializer_list<TFieldType> AFieldTypes,
                                     const TcxEditRepositoryItemFactory& AFactory) {
  TcxEditDBRegisteredRepositoryItems* r = GetDefaultEditDBRepositoryItems();
  for (TFieldType ft : AFieldTypes) {
    // Once per field type: a second registration keeps the first item.
    if (std::find(GRegisteredTypes.begin(), GRegisteredTypes.end(), ft) != GRegisteredTypes.end()) continue;
    r->RegisterItemForKey(ft, -1, cxGetDefaultEditRepository()->CreateItem(AFactory));
    GRegisteredTypes.push_back(ft);
  }
}

void cxEditDBRegisteredRepositoryItemsShutdown() {
  if (!GRegistry) return;
  GRegistry->UnregisterFallbackItem(-1);
  for (TFieldType ft : GRegisteredTypes) GRegistry->UnregisterItemForKey(ft, -1);
  GRegisteredTypes.clear();
  GRegistry.reset();
}
