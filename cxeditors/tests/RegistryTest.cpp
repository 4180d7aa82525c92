// The default-editor registries: versions per key, fallbacks, items freed
// while registered, and the default editor chosen per field type.
#include <memory>

#include "DB.h"
#include "cxDataStorage.h"
#include "cxEditDBRegisteredRepositoryItems.h"
#include "cxEditDataRegisteredRepositoryItems.h"
#include "cxEditRepositoryItems.h"
#include "cxBlobEdit.h"
#include "cxDBEditRepository.h"
#include "cxDBLookupComboBox.h"
#include "cxImage.h"
#include "cxMemo.h"
#include "gtest.h"

TEST(RegisteredItems, VersionsFallbacksAndFreedItems) {
  TcxEditRegisteredRepositoryItems r;
  EXPECT_EQ(r.GetItemForKey(5), nullptr);   // no fallback: nil
  auto a = std::make_unique<TcxEditRepositoryTextItem>();
  auto b = std::make_unique<TcxEditRepositoryTextItem>();
  auto c = std::make_unique<TcxEditRepositoryTextItem>();
  auto f = std::make_unique<TcxEditRepositoryTextItem>();
  r.RegisterItemForKey(5, 1, a.get());
  r.RegisterItemForKey(5, 1, b.get());   // same key and version: the first stays
  EXPECT_EQ(r.GetItemForKey(5), a.get());
  r.RegisterItemForKey(5, 2, c.get());   // a higher version answers
  r.RegisterItemForKey(3, 0, b.get());
  r.RegisterItemForKey(9, 0, b.get());
  EXPECT_EQ(r.GetItemForKey(5), c.get());
  EXPECT_EQ(r.GetItemForKey(3), b.get());
  r.RegisterFallbackItem(0, f.get());
  EXPECT_EQ(r.GetItemForKey(4), f.get());
  r.UnregisterItemForKey(5, 2);
  EXPECT_EQ(r.GetItemForKey(5), a.get());
  // An item with two entries loses one; freeing it later still removes the other.
  r.UnregisterItemForKey(3, 0);
  b.reset();
  EXPECT_EQ(r.GetItemForKey(9), f.get());
  EXPECT_EQ(r.KeyedCount(), 1);
  a.reset();
  EXPECT_EQ(r.GetItemForKey(5), f.get());
  f.reset();
  EXPECT_EQ(r.GetItemForKey(5), nullptr);
}

// A registry that goes first lets go of its items, and keeps listening to an
// item for as long as any of its lists holds it.
TEST(RegisteredItems, RegistryFreedBeforeItsItems) {
  auto item = std::make_unique<TcxEditRepositoryTextItem>();
  {
    TcxEditDBRegisteredRepositoryItems r;
    r.RegisterItemForKey(ftString, 0, item.get());
    r.RegisterFallbackItem(0, item.get());
    r.RegisterCurrencyFieldItem(0, item.get());
    r.RegisterLookupFieldItem(0, item.get());
    EXPECT_EQ(item->ListenerCount(), 1);
    r.UnregisterItemForKey(ftString, 0);
    r.UnregisterFallbackItem(0);
    EXPECT_EQ(item->ListenerCount(), 1);   // still the currency and lookup item
    EXPECT_EQ(r.GetLookupFieldItem(), item.get());
  }
  EXPECT_EQ(item->ListenerCount(), 0);
}

TEST(RegisteredItems, DefaultEditorPerFieldType) {
  TcxEditDBRegisteredRepositoryItems* r = GetDefaultEditDBRepositoryItems();
  TcxEditRepositoryItem* fallback = r->GetFallbackItem();
  ASSERT_NE(fallback, nullptr);
  EXPECT_EQ(r->GetItemForField(nullptr), fallback);
  EXPECT_EQ(fallback->ClassType(), TcxEditRepositoryMaskItem::StaticClass());
  TMemoField memo;
  TGraphicField graphic;
  TBooleanField flag;
  TBlobField blob;
  TTimeField time;
  TDateField date;
  TDateTimeField stamp;
  TStringField text;
  TIntegerField number;
  TCurrencyField money;
  TFloatField real;
  real.SetCurrency(true);
  TStringField lookup;
  lookup.SetFieldKind(fkLookup);
  struct Case {
    TField* Field;
    TClass ItemClass;
  } cases[] = {
      {&memo, TcxEditRepositoryMemoItem::StaticClass()},
      {&flag, TcxEditRepositoryCheckBoxItem::StaticClass()},
      {&blob, TcxEditRepositoryBlobItem::StaticClass()},
      {&time, TcxEditRepositoryTimeItem::StaticClass()},
      {&date, TcxEditRepositoryDateItem::StaticClass()},
      {&stamp, TcxEditRepositoryDateItem::StaticClass()},
      {&graphic, TcxEditRepositoryImageItem::StaticClass()},
      {&text, fallback->ClassType()},
      {&number, fallback->ClassType()},
  };
  for (const Case& c : cases) {
    TcxEditRepositoryItem* item = r->GetItemForField(c.Field);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->ClassType(), c.ItemClass) << c.Field->ClassName();
  }
  // Lookup fields (even calculated string ones) get the lookup combo box
  // with a plain fixed list; numeric fields flagged as currency the currency editor.
  auto* lookupItem = dynamic_cast<TcxEditRepositoryLookupComboBoxItem*>(r->GetItemForField(&lookup));
  ASSERT_NE(lookupItem, nullptr);
  EXPECT_EQ(lookupItem->Properties()->ListOptions()->GridLines(), glNone);
  EXPECT_FALSE(lookupItem->Properties()->ListOptions()->ShowHeader());
  EXPECT_EQ(lookupItem->Properties()->DropDownListStyle(), lsEditFixedList);
  TcxEditRepositoryItem* currencyItem = r->GetItemForField(&real);
  EXPECT_EQ(currencyItem->ClassType(), TcxEditRepositoryCurrencyItem::StaticClass());
  EXPECT_EQ(r->GetItemForField(&money), currencyItem);
  real.SetCurrency(false);
  money.SetCurrency(false);
  EXPECT_EQ(r->GetItemForField(&real), fallback);
  EXPECT_EQ(r->GetItemForField(&money), fallback);   // no table entry for ftCurrency
  // A registered currency item answers first; freeing it falls back.
  {
    TcxEditRepositoryMemoItem own;
    r->RegisterCurrencyFieldItem(-2, &own);
    EXPECT_EQ(r->GetCurrencyFieldItem(), &own);
  }
  EXPECT_EQ(r->GetCurrencyFieldItem(), currencyItem);
  // The table is open to the other editor kinds.
  cxRegisterDefaultFieldTypeItems({ftADT, ftArray}, cxItemFactory<TcxEditRepositoryImageItem>());
  TcxEditRepositoryItem* adt = r->GetItemForKey(ftADT);
  EXPECT_EQ(adt->ClassType(), TcxEditRepositoryImageItem::StaticClass());
  EXPECT_NE(adt, r->GetItemForKey(ftArray));   // one item per field type
  EXPECT_EQ(adt->Owner(), cxGetDefaultEditRepository());
}

TEST(RegisteredItems, DefaultEditorPerValueType) {
  TcxEditDataRegisteredRepositoryItems* r = GetDefaultEditDataRepositoryItems();
  TcxEditRepositoryItem* fallback = r->GetFallbackItem();
  ASSERT_NE(fallback, nullptr);
  EXPECT_EQ(fallback->ClassType(), TcxEditRepositoryTextItem::StaticClass());
  EXPECT_EQ(r->GetItemForKey(TcxStringValueType::StaticClass()), fallback);
  // A Boolean value without a field gets the check box.
  TcxEditRepositoryItem* check = r->GetItemForKey(TcxBooleanValueType::StaticClass());
  EXPECT_EQ(check->ClassType(), TcxEditRepositoryCheckBoxItem::StaticClass());
  EXPECT_EQ(cxRegisterDefaultValueTypeItem(TcxBooleanValueType::StaticClass(), cxItemFactory<TcxEditRepositoryTextItem>()),
            check);
  struct Case {
    TClass ValueType, ItemClass;
  } cases[] = {
      {TcxDateTimeValueType::StaticClass(), TcxEditRepositoryDateItem::StaticClass()},
      {TcxSQLTimeStampValueType::StaticClass(), TcxEditRepositoryDateItem::StaticClass()},
      {TcxCurrencyValueType::StaticClass(), TcxEditRepositoryCurrencyItem::StaticClass()},
      {TcxFMTBcdValueType::StaticClass(), TcxEditRepositoryCurrencyItem::StaticClass()},
      {TcxIntegerValueType::StaticClass(), TcxEditRepositoryTextItem::StaticClass()},
  };
  for (const Case& c : cases) EXPECT_EQ(r->GetItemForKey(c.ValueType)->ClassType(), c.ItemClass) << c.ValueType->Name;
  // Each registration has an item of its own.
  EXPECT_NE(r->GetItemForKey(TcxCurrencyValueType::StaticClass()), r->GetItemForKey(TcxFMTBcdValueType::StaticClass()));
  TcxEditRepositoryItem* item =
      cxRegisterDefaultValueTypeItem(TcxVariantValueType::StaticClass(), cxItemFactory<TcxEditRepositoryMemoItem>());
  EXPECT_EQ(r->GetItemForKey(TcxVariantValueType::StaticClass()), item);
}

TEST(RepositoryItems, PropertiesAreTypedAndCopied) {
  TcxEditRepositoryMemoItem item;
  TcxMemoProperties p;
  p.SetScrollBars(ssVertical);
  item.SetProperties(&p);
  EXPECT_EQ(item.Properties()->ScrollBars(), ssVertical);
  EXPECT_EQ(item.GetPropertiesClass(), TcxMemoProperties::StaticClass());
  TcxEditRepositoryImageItem image;
  EXPECT_THROW(cxRepositoryItemProperties<TcxMemoProperties>(&image), EInvalidCast);
  cxEditRepositoryItemsStartup();
  for (const char* name : {"TcxEditRepositoryImageItem", "TcxEditRepositoryDateItem", "TcxEditRepositoryCurrencyItem",
                           "TcxEditRepositoryImageComboBoxItem", "TcxEditRepositoryRadioGroupItem"})
    EXPECT_NE(FindClass(name), nullptr) << name;
  // Properties is published typed as the item's properties class.
  const TPropInfo* prop = GetPropInfo(&item, "Properties");
  ASSERT_NE(prop, nullptr);
  EXPECT_EQ(GetObjectProp(&item, prop), item.Properties());
}

// Shutting a registry down leaves its items in the default repository, no
// longer listened to, and the next use starts it again with items of its own.
TEST(RegisteredItems, ShutDownKeepsTheItems) {
  TcxEditRepository* repository = cxGetDefaultEditRepository();
  TcxEditRepositoryItem* date = GetDefaultEditDBRepositoryItems()->GetItemForKey(ftDate);
  TcxEditRepositoryItem* lookup = GetDefaultEditDBRepositoryItems()->GetLookupFieldItem();
  TcxEditRepositoryItem* check = GetDefaultEditDataRepositoryItems()->GetItemForKey(TcxBooleanValueType::StaticClass());
  const Integer count = repository->Count();
  cxEditDBRegisteredRepositoryItemsShutdown();
  cxEditDataRegisteredRepositoryItemsShutdown();
  EXPECT_EQ(repository->Count(), count);
  for (TcxEditRepositoryItem* item : {date, lookup, check}) {
    EXPECT_EQ(item->Owner(), repository);
    EXPECT_EQ(item->ListenerCount(), 0) << item->ClassName();
  }
  TcxEditRepositoryItem* again = GetDefaultEditDBRepositoryItems()->GetItemForKey(ftDate);
  EXPECT_NE(again, date);
  EXPECT_EQ(again->ClassType(), TcxEditRepositoryDateItem::StaticClass());
  EXPECT_EQ(GetDefaultEditDataRepositoryItems()->GetItemForKey(TcxBooleanValueType::StaticClass())->ClassType(),
            TcxEditRepositoryCheckBoxItem::StaticClass());
}
