#include "cxEditRepositoryItems.h"

#include <algorithm>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "cxCheckBox.h"
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
                   TcxEditRepositoryMaskItem::StaticClass(),
                   TcxEditRepositoryImageItem::StaticClass(), TcxEditRepositoryMemoItem::StaticClass(),
                   TcxEditRepositoryCheckBoxItem::StaticClass(), TcxEditRepositorySpinItem::StaticClass(),
                   TcxEditRepositoryHyperLinkItem::StaticClass(), TcxEditRepositoryComboBoxItem::StaticClass(),
                   TcxEditRepositoryPopupItem::StaticClass(), TcxEditRepositoryTimeItem::StaticClass()})
    cxRegisterRepositoryItemClass(c);
  // Items and repositories stream on forms alongside controls.
  for (TClass c : ItemClasses()) RegisterClass(c);
  StartClassGroup(TControl::StaticClass());
  GroupDescendentsWith(TcxEditRepositoryItem::StaticClass(), TControl::StaticClass());
  GroupDescendentsWith(TcxEditRepository::StaticClass(), TControl::StaticClass());
}
