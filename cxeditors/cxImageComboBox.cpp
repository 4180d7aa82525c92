// The image combo box.
#include "cxImageComboBox.h"

#include <windows.h>

#include "SysUtils.h"
#include "cxClasses.h"
#include "cxFilterControlUtils.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxImageComboBoxItem, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TcxImageComboBoxItems, TOwnedCollection)
TOVANI_IMPLEMENT_CLASS(TcxCustomImageComboBoxProperties, TcxCustomComboBoxProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxImageComboBoxProperties, TcxCustomImageComboBoxProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomImageComboBox, TcxCustomComboBox)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxImageComboBox, TcxCustomImageComboBox)

namespace {
const TcxResourceString cxSEditImageComboBoxDescription{
    "ImageComboBox|Represents an editor displaying the list of images and text strings within the dropdown window"};

// Same variant type and value (Null equals Null).
bool SameTypeAndValue(const Variant& A, const Variant& B) {
  if (VarIsNull(A) || VarIsNull(B)) return VarIsNull(A) && VarIsNull(B);
  return VarType(A) == VarType(B) && VarToStr(A) == VarToStr(B);
}

// The list draws each item's image in a column beside its description.
class TcxImageComboBoxListBox : public TcxComboBoxListBox {
 public:
  using TcxComboBoxListBox::TcxComboBoxListBox;
  bool DoDrawItem(Integer AIndex, const TRect& R, TItemDrawState AState) override {
    if (TcxComboBoxListBox::DoDrawItem(AIndex, R, AState)) return true;
    auto* Combo = dynamic_cast<TcxCustomImageComboBox*>(ComboBox());
    if (!Combo) return false;
    TcxCustomImageComboBoxProperties* P = Combo->ActiveProperties();
    TCustomImageList* IL = P->LargeImages() ? P->LargeImages() : P->Images();
    const bool Sel = AState.Contains(odsSelected);
    cxCanvas()->FillRectColor(R, Sel ? clHighlight : clWindow);
    if (AIndex < 0 || AIndex >= P->Items()->Count()) return true;
    TcxImageComboBoxItem* Item = P->Items()->Items(AIndex);
    TRect TR = R;
    TR.Left += 2;
    if (IL) {
      const Integer W = IL->Width() + 4;
      TRect Col = P->ImageAlign() == iaRight ? TRect(R.Right - W, R.Top, R.Right, R.Bottom)
                                              : TRect(R.Left, R.Top, R.Left + W, R.Bottom);
      if (Item->ImageIndex() >= 0 && Item->ImageIndex() < IL->Count())
        IL->Draw(cxCanvas()->Canvas(), Col.Left + 1, Col.Top + (Col.Bottom - Col.Top - IL->Height()) / 2,
                 Item->ImageIndex(), Enabled());
      if (P->ImageAlign() == iaRight) TR.Right = Col.Left;
      else TR.Left = Col.Right;
    }
    cxCanvas()->Font()->SetColor(Sel ? clHighlightText : clWindowText);
    cxCanvas()->Brush()->SetStyle(bsClear);
    cxCanvas()->PaintText(Item->Description(), TR, cxtfLeft | cxtfVCenter | cxtfSingleLine);
    cxCanvas()->Brush()->SetStyle(bsSolid);
    return true;
  }
  Integer GetItemHeight(Integer AIndex) override {
    Integer H = TcxComboBoxListBox::GetItemHeight(AIndex);
    auto* Combo = dynamic_cast<TcxCustomImageComboBox*>(ComboBox());
    if (Combo) {
      TcxCustomImageComboBoxProperties* P = Combo->ActiveProperties();
      TCustomImageList* IL = P->LargeImages() ? P->LargeImages() : P->Images();
      if (IL) H = std::max(H, IL->Height() + 2);
    }
    return H;
  }
};

class TcxImageComboBoxLookupData : public TcxComboBoxLookupData {
 public:
  using TcxComboBoxLookupData::TcxComboBoxLookupData;

 protected:
  TcxCustomEditListBox* CreateListBox() override { return new TcxImageComboBoxListBox(Edit()); }
};

class TcxFilterImageComboBoxHelper : public TcxFilterComboBoxHelper {
  TOVANI_CLASS(TcxFilterImageComboBoxHelper, TcxFilterComboBoxHelper)
 public:
  TClass GetFilterEditorClass() const override { return TcxImageComboBox::StaticClass(); }
  // The data controller's operator numbering: equal, not equal, null, not
  // null (and in, not in).
  TcxFilterEditOperators GetAllowedOperators(TcxCustomEditProperties*, TcxValueTypeClass, bool AExtended) const override {
    TcxFilterEditOperators R = 0;
    for (Integer B : {1, 2, 9, 10}) R |= cxFilterOperatorBit(B);
    if (AExtended)
      for (Integer B : {13, 14}) R |= cxFilterOperatorBit(B);
    return R;
  }
};

void RegisterImageComboBox() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  static TcxFilterImageComboBoxHelper Helper;
  cxRegisterFilterEditHelper(TcxFilterImageComboBoxHelper::StaticClass(), &Helper);
  cxEditPropertiesRegistry()->AddClass(TcxImageComboBoxProperties::StaticClass(),
                                      cxLoadResourceText(cxSEditImageComboBoxDescription));
  cxGetFilterEditsController()->AddClassPair(TcxImageComboBoxProperties::StaticClass(),
                                             TcxFilterImageComboBoxHelper::StaticClass());
}
}  // namespace
TOVANI_IMPLEMENT_CLASS(TcxFilterImageComboBoxHelper, TcxFilterComboBoxHelper)

// ---------------------------------------------------------------------------
// Items

TcxImageComboBoxItem::TcxImageComboBoxItem(TCollection* ACollection) {
  if (ACollection) ACollection->BeginUpdate();
  SetCollection(ACollection);
  if (ACollection) ACollection->EndUpdate();
}

void TcxImageComboBoxItem::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TcxImageComboBoxItem*>(Source);
  if (!S) return TCollectionItem::Assign(Source);
  FDescription = S->FDescription;
  FImageIndex = S->FImageIndex;
  FTag = S->FTag;
  FValue = S->FValue;
  Changed(false);
}

void TcxImageComboBoxItem::SetDescription(const String& Value) {
  if (FDescription == Value) return;
  FDescription = Value;
  Changed(false);
}

void TcxImageComboBoxItem::SetImageIndex(Integer Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  Changed(false);
}

void TcxImageComboBoxItem::SetValue(const Variant& Value) {
  if (SameTypeAndValue(FValue, Value)) return;
  FValue = Value;
  Changed(false);
}

TcxImageComboBoxItems::TcxImageComboBoxItems(TcxCustomImageComboBoxProperties* AOwner)
    : TOwnedCollection(AOwner, TcxImageComboBoxItem::StaticClass()), FProperties(AOwner) {}

TcxImageComboBoxItem* TcxImageComboBoxItems::Add() {
  auto* Item = static_cast<TcxImageComboBoxItem*>(TCollection::Add());
  if (FProperties && FProperties->Images() && FProperties->Images()->Count() >= Count())
    Item->SetImageIndex(Count() - 1);
  return Item;
}

void TcxImageComboBoxItems::Update(TCollectionItem*) {
  if (FProperties) FProperties->ItemsChanged();
}

// ---------------------------------------------------------------------------
// Properties

TcxCustomImageComboBoxProperties::TcxCustomImageComboBoxProperties(TPersistent* AOwner)
    : TcxCustomComboBoxProperties(AOwner) {
  RegisterImageComboBox();
  FItems = std::make_unique<TcxImageComboBoxItems>(this);
  SetDropDownListStyle(lsFixedList);
}

TcxCustomImageComboBoxProperties::~TcxCustomImageComboBoxProperties() = default;

void TcxCustomImageComboBoxProperties::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TcxCustomImageComboBoxProperties*>(Source);
  if (!S) return TcxCustomComboBoxProperties::Assign(Source);
  BeginUpdate();
  TcxCustomComboBoxProperties::Assign(Source);
  FDefaultDescription = S->FDefaultDescription;
  FDefaultImageIndex = S->FDefaultImageIndex;
  FImageAlign = S->FImageAlign;
  FImages = S->FImages;
  FItems->Assign(S->FItems.get());
  FLargeImages = S->FLargeImages;
  FShowDescriptions = S->FShowDescriptions;
  Changed();
  EndUpdate();
}

void TcxCustomImageComboBoxProperties::ItemsChanged() {
  // The lookup list searches and shows the descriptions.
  TStringList* L = LookupItems();
  L->Clear();
  for (Integer I = 0; I < FItems->Count(); ++I) L->Add(FItems->Items(I)->Description());
  Changed();
}

void TcxCustomImageComboBoxProperties::SetDefaultDescription(const String& Value) {
  if (FDefaultDescription == Value) return;
  FDefaultDescription = Value;
  Changed();
}

void TcxCustomImageComboBoxProperties::SetDefaultImageIndex(Integer Value) {
  if (FDefaultImageIndex == Value) return;
  FDefaultImageIndex = Value;
  Changed();
}

void TcxCustomImageComboBoxProperties::SetImageAlign(TcxImageAlign Value) {
  if (FImageAlign == Value) return;
  FImageAlign = Value;
  Changed();
}

void TcxCustomImageComboBoxProperties::SetImages(TCustomImageList* Value) {
  FImages = Value;
  Changed();
}

void TcxCustomImageComboBoxProperties::SetLargeImages(TCustomImageList* Value) {
  FLargeImages = Value;
  Changed();
}

void TcxCustomImageComboBoxProperties::SetShowDescriptions(bool Value) {
  if (FShowDescriptions == Value) return;
  FShowDescriptions = Value;
  Changed();
}

TcxImageComboBoxItem* TcxCustomImageComboBoxProperties::FindItemByValue(const Variant& AValue) const {
  for (Integer I = 0; I < FItems->Count(); ++I)
    if (SameTypeAndValue(FItems->Items(I)->Value(), AValue) ||
        (!VarIsNull(AValue) && !VarIsNull(FItems->Items(I)->Value()) &&
         VarToStr(FItems->Items(I)->Value()) == VarToStr(AValue) && VarIsNumeric(AValue) == VarIsNumeric(FItems->Items(I)->Value())))
      return FItems->Items(I);
  return nullptr;
}

TcxImageComboBoxItem* TcxCustomImageComboBoxProperties::FindItemByText(const String& AText) const {
  if (!FShowDescriptions) return nullptr;
  for (Integer I = 0; I < FItems->Count(); ++I)
    if (SameText(FItems->Items(I)->Description(), AText)) return FItems->Items(I);
  return nullptr;
}

void TcxCustomImageComboBoxProperties::GetItemInfo(TcxImageComboBoxItem* AItem, String& AText, bool AForceDescription,
                                                   Integer& AImageIndex) {
  AText = AForceDescription || FShowDescriptions ? (AItem ? AItem->Description() : FDefaultDescription) : String();
  AImageIndex = AItem ? AItem->ImageIndex() : FDefaultImageIndex;
}

void TcxCustomImageComboBoxProperties::GetDisplayInfo(const Variant& AValue, String& AText, Integer& AImageIndex) {
  GetItemInfo(FindItemByValue(AValue), AText, false, AImageIndex);
}

TClass TcxCustomImageComboBoxProperties::GetContainerClass() { return TcxImageComboBox::StaticClass(); }

TcxTextEditLookupDataFactory TcxCustomImageComboBoxProperties::GetLookupDataType() {
  return [](TcxCustomTextEdit* AOwner) -> TcxCustomTextEditLookupData* { return new TcxImageComboBoxLookupData(AOwner); };
}

void TcxCustomImageComboBoxProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool) {
  TcxImageComboBoxItem* Item = FindItemByValue(AEditValue);
  ADisplayValue = Variant(Item ? Item->Description() : FDefaultDescription);
}

// ---------------------------------------------------------------------------
// Editor

TcxCustomImageComboBox::TcxCustomImageComboBox(TComponent* AOwner, bool AIsInplace,
                                               const TcxEditPropertiesFactory& AProperties)
    : TcxCustomComboBox(AOwner, AIsInplace,
                        AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                          return new TcxCustomImageComboBoxProperties(O);
                        }) {}

TcxImageComboBox::TcxImageComboBox(TComponent* AOwner, bool AIsInplace)
    : TcxCustomImageComboBox(AOwner, AIsInplace, [](TPersistent* O) -> TcxCustomEditProperties* {
        return new TcxImageComboBoxProperties(O);
      }) {}

void TcxCustomImageComboBox::DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  // The selected item gives the value; the text plays no part.
  TcxCustomImageComboBoxProperties* P = ActiveProperties();
  const Integer I = LookupData() ? LookupData()->CurrentKeyIndex() : -1;
  if (I >= 0 && I < P->Items()->Count()) {
    AEditValue = P->Items()->Items(I)->Value();
    return;
  }
  TcxImageComboBoxItem* Item = P->FindItemByText(VarToStr(ADisplayValue));
  AEditValue = Item ? Item->Value() : EditValue();
}

void TcxCustomImageComboBox::GetEditingValue(Variant& AValue) { DisplayToEditValue(Variant(Text()), AValue, Focused()); }

void TcxCustomImageComboBox::Paint() {
  TcxCustomComboBox::Paint();
  // The item's image at the left (or right) of the text box.
  TcxCustomImageComboBoxProperties* P = ActiveProperties();
  TCustomImageList* IL = P->Images();
  if (!IL) return;
  String Text;
  Integer Index;
  P->GetDisplayInfo(EditValue(), Text, Index);
  if (Index < 0 || Index >= IL->Count()) return;
  const TRect C = ViewInfo()->ClientRect;
  const Integer X = P->ImageAlign() == iaRight ? C.Right - IL->Width() - 2 : C.Left + 2;
  IL->Draw(cxCanvas()->Canvas(), X, C.Top + (C.Bottom - C.Top - IL->Height()) / 2, Index, Enabled());
}
