#include "cxEditRepositoryItems.h"

#include <algorithm>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "TypInfo.h"
#include "cxBlobEdit.h"
#include "cxButtonEdit.h"
#include "cxCalc.h"
#include "cxCalendar.h"
#include "cxCheckBox.h"
#include "cxCurrencyEdit.h"
#include "cxImageComboBox.h"
#include "cxMRUEdit.h"
#include "cxRadioGroup.h"
#include "cxComboBox.h"
#include "cxPopupEdit.h"
#include "cxTimeEdit.h"
#include "cxHyperLinkEdit.h"
#include "cxImage.h"
#include "cxSpinEdit.h"
#include "cxMemo.h"
#include "cxMaskEdit.h"
#include "cxTextEdit.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxEditRepositoryTextItem, TcxEditRepositoryItem)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxEditRepositoryMaskItem, TcxEditRepositoryItem)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxEditRepositoryImageItem, TcxEditRepositoryItem)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxEditRepositoryMemoItem, TcxEditRepositoryItem)

CX_EDIT_REPOSITORY_ITEM_IMPL(TcxEditRepositoryCheckBoxItem, TcxCheckBoxProperties)
CX_EDIT_REPOSITORY_ITEM_IMPL(TcxEditRepositorySpinItem, TcxSpinEditProperties)
CX_EDIT_REPOSITORY_ITEM_IMPL(TcxEditRepositoryHyperLinkItem, TcxHyperLinkEditProperties)
CX_EDIT_REPOSITORY_ITEM_IMPL(TcxEditRepositoryComboBoxItem, TcxComboBoxProperties)
CX_EDIT_REPOSITORY_ITEM_IMPL(TcxEditRepositoryPopupItem, TcxPopupEditProperties)
CX_EDIT_REPOSITORY_ITEM_IMPL(TcxEditRepositoryTimeItem, TcxTimeEditProperties)
CX_EDIT_REPOSITORY_ITEM_IMPL(TcxEditRepositoryButtonItem, TcxButtonEditProperties)
CX_EDIT_REPOSITORY_ITEM_IMPL(TcxEditRepositoryCalcItem, TcxCalcEditProperties)
CX_EDIT_REPOSITORY_ITEM_IMPL(TcxEditRepositoryDateItem, TcxDateEditProperties)
CX_EDIT_REPOSITORY_ITEM_IMPL(TcxEditRepositoryCurrencyItem, TcxCurrencyEditProperties)
CX_EDIT_REPOSITORY_ITEM_IMPL(TcxEditRepositoryMRUItem, TcxMRUEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxEditRepositoryImageComboBoxItem, TcxEditRepositoryItem)

// Every item publishes its properties typed as its own properties class, so
// that forms stream an item's settings with it.
#define CX_PUBLISH_REPOSITORY_ITEM(ItemClass, PropertiesClass)                         \
  TOVANI_PUBLISHED(ItemClass) {                                                        \
    Property<PropertiesClass*>(                                                        \
        "Properties", [](ItemClass* I) { return I->Properties(); },                    \
        [](ItemClass* I, PropertiesClass* V) { I->SetProperties(V); });                \
  }
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryTextItem, TcxTextEditProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryMaskItem, TcxMaskEditProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryImageItem, TcxImageProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryMemoItem, TcxMemoProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryBlobItem, TcxBlobEditProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryRadioGroupItem, TcxRadioGroupProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryCheckBoxItem, TcxCheckBoxProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositorySpinItem, TcxSpinEditProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryHyperLinkItem, TcxHyperLinkEditProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryComboBoxItem, TcxComboBoxProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryPopupItem, TcxPopupEditProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryTimeItem, TcxTimeEditProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryButtonItem, TcxButtonEditProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryCalcItem, TcxCalcEditProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryDateItem, TcxDateEditProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryCurrencyItem, TcxCurrencyEditProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryMRUItem, TcxMRUEditProperties)
CX_PUBLISH_REPOSITORY_ITEM(TcxEditRepositoryImageComboBoxItem, TcxImageComboBoxProperties)

TcxEditRepositoryImageComboBoxItem::TcxEditRepositoryImageComboBoxItem(TComponent* AOwner)
    : TcxEditRepositoryItem(AOwner) {
  SetPropertiesObject(new TcxImageComboBoxProperties(this));
}

TClass TcxEditRepositoryImageComboBoxItem::GetPropertiesClass() { return TcxImageComboBoxProperties::StaticClass(); }

TcxImageComboBoxProperties* TcxEditRepositoryImageComboBoxItem::Properties() {
  return cxRepositoryItemProperties<TcxImageComboBoxProperties>(this);
}

void TcxEditRepositoryImageComboBoxItem::SetProperties(TcxImageComboBoxProperties* Value) {
  TcxEditRepositoryItem::SetProperties(Value);
}

void TcxEditRepositoryImageComboBoxItem::Notification(TComponent* AComponent, TOperation Operation) {
  TcxEditRepositoryItem::Notification(AComponent, Operation);
  if (Operation != opRemove || ComponentState().Contains(csDestroying)) return;
  TcxImageComboBoxProperties* p = Properties();
  if (p->Images() == AComponent) p->SetImages(nullptr);
  if (p->LargeImages() == AComponent) p->SetLargeImages(nullptr);
}

namespace {
Integer GItemsUnitCounter = 0;
std::vector<TClass>& ItemClasses() {
  static std::vector<TClass> classes;
  return classes;
}
}  // namespace

TcxEditRepositoryTextItem::TcxEditRepositoryTextItem(TComponent* AOwner) : TcxEditRepositoryItem(AOwner) {
  SetPropertiesObject(new TcxTextEditProperties(this));
}

TClass TcxEditRepositoryTextItem::GetPropertiesClass() { return TcxTextEditProperties::StaticClass(); }

TcxTextEditProperties* TcxEditRepositoryTextItem::Properties() {
  return cxRepositoryItemProperties<TcxTextEditProperties>(this);
}

void TcxEditRepositoryTextItem::SetProperties(TcxTextEditProperties* Value) { TcxEditRepositoryItem::SetProperties(Value); }

TcxEditRepositoryMaskItem::TcxEditRepositoryMaskItem(TComponent* AOwner) : TcxEditRepositoryItem(AOwner) {
  SetPropertiesObject(new TcxMaskEditProperties(this));
}

TClass TcxEditRepositoryMaskItem::GetPropertiesClass() { return TcxMaskEditProperties::StaticClass(); }

TcxMaskEditProperties* TcxEditRepositoryMaskItem::Properties() {
  return cxRepositoryItemProperties<TcxMaskEditProperties>(this);
}

void TcxEditRepositoryMaskItem::SetProperties(TcxMaskEditProperties* Value) { TcxEditRepositoryItem::SetProperties(Value); }

void cxRegisterRepositoryItemClass(TClass AItemClass) {
  auto& c = ItemClasses();
  if (std::find(c.begin(), c.end(), AItemClass) != c.end()) return;
  c.push_back(AItemClass);
  // Registered at once when the start-up already ran.
  if (GItemsUnitCounter != 0) RegisterClass(AItemClass);
}

void cxEditRepositoryItemsStartup() {
  if (GItemsUnitCounter-- != 0) return;
  for (TClass c : {TcxEditRepositoryItem::StaticClass(), TcxEditRepositoryTextItem::StaticClass(),
                   TcxEditRepositoryMaskItem::StaticClass(),
                   TcxEditRepositoryImageItem::StaticClass(), TcxEditRepositoryMemoItem::StaticClass(),
                   TcxEditRepositoryCheckBoxItem::StaticClass(), TcxEditRepositorySpinItem::StaticClass(),
                   TcxEditRepositoryHyperLinkItem::StaticClass(), TcxEditRepositoryComboBoxItem::StaticClass(),
                   TcxEditRepositoryPopupItem::StaticClass(), TcxEditRepositoryTimeItem::StaticClass(),
                   TcxEditRepositoryButtonItem::StaticClass(), TcxEditRepositoryCalcItem::StaticClass(),
                   TcxEditRepositoryDateItem::StaticClass(), TcxEditRepositoryCurrencyItem::StaticClass(),
                   TcxEditRepositoryImageComboBoxItem::StaticClass(), TcxEditRepositoryBlobItem::StaticClass(),
                   TcxEditRepositoryMRUItem::StaticClass(), TcxEditRepositoryRadioGroupItem::StaticClass()})
    cxRegisterRepositoryItemClass(c);
  // Items and repositories stream on forms alongside controls.
  for (TClass c : ItemClasses()) RegisterClass(c);
  StartClassGroup(TControl::StaticClass());
  GroupDescendentsWith(TcxEditRepositoryItem::StaticClass(), TControl::StaticClass());
  GroupDescendentsWith(TcxEditRepository::StaticClass(), TControl::StaticClass());
}
