// Repository items: components that hold one shared properties object of an
// editor kind, so that several editors or grid columns use the same editor
// settings. Each item class names its properties class; reading Properties
// casts to that class and writing copies into it.
#pragma once
#include "cxEdit.h"

// The held properties object as the item's class; another class raises
// the platform's invalid-cast error.
template <class P>
P* cxRepositoryItemProperties(TcxEditRepositoryItem* AItem) {
  auto* p = dynamic_cast<P*>(AItem->Properties());
  if (!p) throw EInvalidCast("Invalid class typecast");
  return p;
}

// Declares a repository item class for a properties class. Define it in a
// source file with TOVANI_IMPLEMENT_CLASS_FACTORY(ItemClass, TcxEditRepositoryItem).
#define CX_EDIT_REPOSITORY_ITEM(ItemClass, PropertiesClass)                                              \
  class ItemClass : public TcxEditRepositoryItem {                                                       \
    TOVANI_CLASS(ItemClass, TcxEditRepositoryItem)                                                       \
   public:                                                                                               \
    explicit ItemClass(TComponent* AOwner = nullptr) : TcxEditRepositoryItem(AOwner) {                   \
      SetPropertiesObject(new PropertiesClass(this));                                                    \
    }                                                                                                    \
    TClass GetPropertiesClass() override { return PropertiesClass::StaticClass(); }                      \
    PropertiesClass* Properties() { return cxRepositoryItemProperties<PropertiesClass>(this); }          \
    void SetProperties(PropertiesClass* Value) { TcxEditRepositoryItem::SetProperties(Value); }           \
  };

// The same declared with its properties class only named: define it with
// CX_EDIT_REPOSITORY_ITEM_IMPL in a source that sees the properties class.
#define CX_EDIT_REPOSITORY_ITEM_DECL(ItemClass, PropertiesClass)                                         \
  class PropertiesClass;                                                                                 \
  class ItemClass : public TcxEditRepositoryItem {                                                       \
    TOVANI_CLASS(ItemClass, TcxEditRepositoryItem)                                                       \
   public:                                                                                               \
    explicit ItemClass(TComponent* AOwner = nullptr);                                                    \
    TClass GetPropertiesClass() override;                                                                \
    PropertiesClass* Properties();                                                                       \
    void SetProperties(PropertiesClass* Value);                                                          \
  };
#define CX_EDIT_REPOSITORY_ITEM_IMPL(ItemClass, PropertiesClass)                                         \
  TOVANI_IMPLEMENT_CLASS_FACTORY(ItemClass, TcxEditRepositoryItem)                                       \
  ItemClass::ItemClass(TComponent* AOwner) : TcxEditRepositoryItem(AOwner) {                             \
    SetPropertiesObject(new PropertiesClass(this));                                                      \
  }                                                                                                      \
  TClass ItemClass::GetPropertiesClass() { return PropertiesClass::StaticClass(); }                      \
  PropertiesClass* ItemClass::Properties() { return cxRepositoryItemProperties<PropertiesClass>(this); } \
  void ItemClass::SetProperties(PropertiesClass* Value) { TcxEditRepositoryItem::SetProperties(Value); }

// Items of the editor kinds of other units.
CX_EDIT_REPOSITORY_ITEM_DECL(TcxEditRepositoryCheckBoxItem, TcxCheckBoxProperties)
CX_EDIT_REPOSITORY_ITEM_DECL(TcxEditRepositorySpinItem, TcxSpinEditProperties)
CX_EDIT_REPOSITORY_ITEM_DECL(TcxEditRepositoryHyperLinkItem, TcxHyperLinkEditProperties)
CX_EDIT_REPOSITORY_ITEM_DECL(TcxEditRepositoryComboBoxItem, TcxComboBoxProperties)
CX_EDIT_REPOSITORY_ITEM_DECL(TcxEditRepositoryPopupItem, TcxPopupEditProperties)
CX_EDIT_REPOSITORY_ITEM_DECL(TcxEditRepositoryTimeItem, TcxTimeEditProperties)
CX_EDIT_REPOSITORY_ITEM_DECL(TcxEditRepositoryButtonItem, TcxButtonEditProperties)
CX_EDIT_REPOSITORY_ITEM_DECL(TcxEditRepositoryCalcItem, TcxCalcEditProperties)
CX_EDIT_REPOSITORY_ITEM_DECL(TcxEditRepositoryDateItem, TcxDateEditProperties)
CX_EDIT_REPOSITORY_ITEM_DECL(TcxEditRepositoryCurrencyItem, TcxCurrencyEditProperties)
CX_EDIT_REPOSITORY_ITEM_DECL(TcxEditRepositoryMRUItem, TcxMRUEditProperties)

// The image combo box's item also lets go of image lists being freed.
class TcxImageComboBoxProperties;
class TcxEditRepositoryImageComboBoxItem : public TcxEditRepositoryItem {
  TOVANI_CLASS(TcxEditRepositoryImageComboBoxItem, TcxEditRepositoryItem)
 public:
  explicit TcxEditRepositoryImageComboBoxItem(TComponent* AOwner = nullptr);
  TClass GetPropertiesClass() override;
  TcxImageComboBoxProperties* Properties();
  void SetProperties(TcxImageComboBoxProperties* Value);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
};

// The text editor's item: the lookup grid's last fallback.
class TcxTextEditProperties;
class TcxEditRepositoryTextItem : public TcxEditRepositoryItem {
  TOVANI_CLASS(TcxEditRepositoryTextItem, TcxEditRepositoryItem)
 public:
  explicit TcxEditRepositoryTextItem(TComponent* AOwner = nullptr);
  TClass GetPropertiesClass() override;
  TcxTextEditProperties* Properties();
  void SetProperties(TcxTextEditProperties* Value);
};

// The masked editor's item: the default editor of fields without one of their own.
class TcxMaskEditProperties;
class TcxEditRepositoryMaskItem : public TcxEditRepositoryItem {
  TOVANI_CLASS(TcxEditRepositoryMaskItem, TcxEditRepositoryItem)
 public:
  explicit TcxEditRepositoryMaskItem(TComponent* AOwner = nullptr);
  TClass GetPropertiesClass() override;
  TcxMaskEditProperties* Properties();
  void SetProperties(TcxMaskEditProperties* Value);
};

// A factory for an item class, for the repository's CreateItem.
template <class T>
TcxEditRepositoryItemFactory cxItemFactory() {
  return [](TComponent* AOwner) -> TcxEditRepositoryItem* { return new T(AOwner); };
}

// Start-up of the item classes unit: registers the item classes for streaming
// and groups them with controls (counted: acts once).
void cxEditRepositoryItemsStartup();
// Adds an item class to those the start-up registers (for editor units of
// their own: their item classes stream alongside controls too).
void cxRegisterRepositoryItemClass(TClass AItemClass);
