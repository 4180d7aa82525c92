// The default-editor registries: versions per key, fallbacks, items freed
// while registered, and the default editor chosen per field type.
#include <memory>

#include "DB.h"
#include "cxDataStorage.h"
#include "cxEditDBRegisteredRepositoryItems.h"
#include "cxEditDataRegisteredRepositoryItems.h"
#include "cxEditRepositoryItems.h"
#include "cxBlobEdit.h"
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
      {&graphic, TcxEditRepositoryImageItem::StaticClass()},
      {&text, fallback->ClassType()},
      {&number, fallback->ClassType()},
  };
  for (const Case& c : cases) {
    TcxEditRepositoryItem* item = r->GetItemForField(c.Field);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->ClassType(), c.ItemClass) << c.Field->ClassName();
  }
  // Without currency or lookup items of their own, those fields fall back;
  // once registered, they answer.
  EXPECT_EQ(r->GetItemForField(&lookup), fallback);
  EXPECT_EQ(r->GetItemForField(&real), fallback);
  TcxEditRepositoryMemoItem currencyItem, lookupItem;
  r->RegisterCurrencyFieldItem(-1, &currencyItem);
  r->RegisterLookupFieldItem(-1, &lookupItem);
  EXPECT_EQ(r->GetItemForField(&real), &currencyItem);
  EXPECT_EQ(r->GetItemForField(&money), &currencyItem);
  real.SetCurrency(false);
  EXPECT_EQ(r->GetItemForField(&real), fallback);
  EXPECT_EQ(r->GetItemForField(&lookup), &lookupItem);
  // The table is open to the other editor kinds.
  cxRegisterDefaultFieldTypeItems({ftADT, ftArray}, cxItemFactory<TcxEditRepositoryImageItem>());
  TcxEditRepositoryItem* adt = r->GetItem(ftADT);
  EXPECT_EQ(adt->ClassType(), TcxEditRepositoryImageItem::StaticClass());
  EXPECT_NE(adt, r->GetItem(ftArray));   // one item per field type
  EXPECT_EQ(adt->Owner(), cxGetDefaultEditRepository());
}

TEST(RegisteredItems, DefaultEditorPerValueType) {
  TcxEditDataRegisteredRepositoryItems* r = GetDefaultEditDataRepositoryItems();
  TcxEditRepositoryItem* fallback = r->GetFallbackItem();
  ASSERT_NE(fallback, nullptr);
  EXPECT_EQ(fallback->ClassType(), TcxEditRepositoryTextItem::StaticClass());
  EXPECT_EQ(r->GetItem(TcxStringValueType::StaticClass()), fallback);
  // A Boolean value without a field gets the check box.
  TcxEditRepositoryItem* check = r->GetItem(TcxBooleanValueType::StaticClass());
  EXPECT_EQ(check->ClassType(), TcxEditRepositoryCheckBoxItem::StaticClass());
  EXPECT_EQ(cxRegisterDefaultValueTypeItem(TcxBooleanValueType::StaticClass(), cxItemFactory<TcxEditRepositoryTextItem>()),
            check);
  TcxEditRepositoryItem* item =
      cxRegisterDefaultValueTypeItem(TcxDateTimeValueType::StaticClass(), cxItemFactory<TcxEditRepositoryMemoItem>());
  EXPECT_EQ(r->GetItem(TcxDateTimeValueType::StaticClass()), item);
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
  EXPECT_NE(FindClass("TcxEditRepositoryImageItem"), nullptr);
}
