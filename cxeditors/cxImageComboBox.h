// The image combo box: a list-only combo box whose items carry a
// description, an image index, a tag and a value. The edit value is the
// value of the selected item; the editor and the list show the item's image
// and description (or the defaults when no item has the value).
#pragma once
#include <memory>

#include "ImgList.h"
#include "cxComboBox.h"

class TcxFreeNotificator;

enum TcxImageAlign { iaLeft, iaRight };
TOVANI_ENUM_INFO(TcxImageAlign)

class TcxImageComboBoxItem : public TCollectionItem {
  TOVANI_CLASS(TcxImageComboBoxItem, TCollectionItem)
 public:
  explicit TcxImageComboBoxItem(TCollection* ACollection = nullptr);
  void Assign(TPersistent* Source) override;
  const String& Description() const { return FDescription; }
  void SetDescription(const String& Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& Value);

 private:
  String FDescription;
  Integer FImageIndex = -1;
  Integer FTag = 0;
  Variant FValue = Variant::Null();
};

class TcxCustomImageComboBoxProperties;

class TcxImageComboBoxItems : public TOwnedCollection {
  TOVANI_CLASS(TcxImageComboBoxItems, TOwnedCollection)
 public:
  explicit TcxImageComboBoxItems(TcxCustomImageComboBoxProperties* AOwner);
  // A new item shows the image of its position while the image list has one.
  TcxImageComboBoxItem* Add();
  TcxImageComboBoxItem* Items(Integer Index) const {
    return static_cast<TcxImageComboBoxItem*>(TCollection::Items(Index));
  }
  TcxCustomImageComboBoxProperties* Properties() const { return FProperties; }

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  TcxCustomImageComboBoxProperties* FProperties;
};

class TcxCustomImageComboBoxProperties : public TcxCustomComboBoxProperties {
  TOVANI_CLASS(TcxCustomImageComboBoxProperties, TcxCustomComboBoxProperties)
 public:
  explicit TcxCustomImageComboBoxProperties(TPersistent* AOwner = nullptr);
  ~TcxCustomImageComboBoxProperties() override;
  void Assign(TPersistent* Source) override;

  const String& DefaultDescription() const { return FDefaultDescription; }
  void SetDefaultDescription(const String& Value);
  Integer DefaultImageIndex() const { return FDefaultImageIndex; }
  void SetDefaultImageIndex(Integer Value);
  TcxImageAlign ImageAlign() const { return FImageAlign; }
  void SetImageAlign(TcxImageAlign Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  TCustomImageList* LargeImages() const { return FLargeImages; }
  void SetLargeImages(TCustomImageList* Value);
  TcxImageComboBoxItems* Items() const { return FItems.get(); }
  void SetItems(TcxImageComboBoxItems* Value);
  // List descriptions wrap to the list's width.
  bool MultiLineText() const { return FMultiLineText; }
  void SetMultiLineText(bool Value);
  bool ShowDescriptions() const { return FShowDescriptions; }
  void SetShowDescriptions(bool Value);
  // The list's image list: LargeImages when assigned, else Images.
  TCustomImageList* ListImages() const { return FLargeImages ? FLargeImages : FImages; }

  TcxImageComboBoxItem* FindItemByValue(const Variant& AValue) const;
  TcxImageComboBoxItem* FindItemByText(const String& AText) const;
  virtual void GetItemInfo(TcxImageComboBoxItem* AItem, String& AText, bool AForceDescription, Integer& AImageIndex);
  void GetDisplayInfo(const Variant& AValue, String& AText, Integer& AImageIndex);
  // The item list changed: the open list follows.
  void ItemsChanged();

  TClass GetContainerClass() override;
  TClass GetViewDataClass() override;
  TClass GetViewInfoClass() override;
  TcxCustomEditViewInfo* CreateViewInfo() override;
  TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                        bool APreviewMode = false) override;
  TcxCustomEditProperties* CreateOfSameClass() override { return new TcxCustomImageComboBoxProperties(nullptr); }
  TcxTextEditLookupDataFactory GetLookupDataType() override;
  bool AcceptsEditValue(Variant&, bool) override { return true; }
  bool HasInnerEditChangeEvents() override { return false; }
  Integer GetDisplayFormatFlags() override { return 0; }
  bool SameDisplayValue(const Variant& V1, const Variant& V2) override;
  String GetDisplayText(const Variant& AEditValue, bool AFullText = true, bool AIsInplace = true) override;
  Integer GetViewOptions() override;
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  bool IsLookupText(const String& AText) override { return FindItemByText(AText) != nullptr; }
  TcxEditValueSource UsesDataDisplayFormat(bool) override { return evsValue; }

 private:
  void ImageListFreed(TComponent* AComponent);

  String FDefaultDescription;
  Integer FDefaultImageIndex = -1;
  TcxImageAlign FImageAlign = iaLeft;
  TCustomImageList* FImages = nullptr;
  TCustomImageList* FLargeImages = nullptr;
  std::unique_ptr<TcxImageComboBoxItems> FItems;
  bool FMultiLineText = false;
  bool FShowDescriptions = true;
  std::unique_ptr<TChangeLink> FImagesChangeLink, FLargeImagesChangeLink;
  std::unique_ptr<TcxFreeNotificator> FFreeNotificator;
};

class TcxImageComboBoxProperties : public TcxCustomImageComboBoxProperties {
  TOVANI_CLASS(TcxImageComboBoxProperties, TcxCustomImageComboBoxProperties)
 public:
  using TcxCustomImageComboBoxProperties::TcxCustomImageComboBoxProperties;
  TcxCustomEditProperties* CreateOfSameClass() override { return new TcxImageComboBoxProperties(nullptr); }
};

// What the editor paints: the item's image in its own rectangle beside
// the description (or alone, centred, without descriptions).
class TcxImageComboBoxViewInfo : public TcxCustomComboBoxViewInfo {
  TOVANI_CLASS(TcxImageComboBoxViewInfo, TcxCustomComboBoxViewInfo)
 public:
  TRect ImageRect;
  TcxImageAlign ImageAlign = iaLeft;
  bool ShowDescriptions = true;
  Integer ImageIndex = -1;
  TCustomImageList* Images = nullptr;
  // The content rectangle before the image took its share.
  TRect ContentRect;
  void PaintContent(TcxCanvas* ACanvas) override;
  void MoveBy(Integer DX, Integer DY) override;
  void AssignFrom(TcxContainerViewInfo* Source) override;
};

class TcxImageComboBoxViewData : public TcxCustomComboBoxViewData {
  TOVANI_CLASS(TcxImageComboBoxViewData, TcxCustomComboBoxViewData)
 public:
  using TcxCustomComboBoxViewData::TcxCustomComboBoxViewData;
  bool IsComboStyle() override;
  void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                 TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  void PrepareTextForPaint(const String& ADisplayValue, TcxCustomTextEditViewInfo* AViewInfo) override;
  void PrepareViewInfoForPaint(TcxCanvas* ACanvas, const Variant& AEditValue,
                               TcxCustomEditViewInfo* AViewInfo) override;
  void GetFixedPartSize(TcxCanvas* ACanvas, bool AIsInplace, const TcxEditSizeProperties& ASizeProperties,
                        TcxCustomEditViewInfo* AViewInfo, TSize& AMinContentSize, TSize& AFixedSize) override;

 private:
  // The item shown by the editor: its current key's item, else the item of
  // its edit value.
  TcxImageComboBoxItem* ShownItem();
};

class TcxCustomImageComboBox : public TcxCustomComboBox {
  TOVANI_CLASS(TcxCustomImageComboBox, TcxCustomComboBox)
 public:
  explicit TcxCustomImageComboBox(TComponent* AOwner = nullptr, bool AIsInplace = false,
                                  const TcxEditPropertiesFactory& AProperties = nullptr);
  TcxCustomImageComboBoxProperties* Properties() const {
    return static_cast<TcxCustomImageComboBoxProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomImageComboBoxProperties* ActiveProperties() {
    return static_cast<TcxCustomImageComboBoxProperties*>(GetEffectiveProperties());
  }
  TClass GetPropertiesClass() override { return TcxCustomImageComboBoxProperties::StaticClass(); }
  void DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  void GetEditingValue(Variant& AValue) override;
  void GetPopupContentSize(TSize& ASize) override;
  TObject* GetSelectedItemObject() override { return nullptr; }
  void UpdateDrawValue() override;
  void PrepareEditText() override;
  // The item of the lookup's current key (null with no selection).
  TcxImageComboBoxItem* SelectedItem();
  void LookupKeyAsEditValue(const Variant& AKey, Variant& AEditValue) override;

 protected:
  // Keys search the descriptions: any text character may be typed.
  bool IsCharValidForData(char32_t AChar) override { return AChar >= 32; }

 private:
  bool FPreparingText = false;
};

class TcxImageComboBox : public TcxCustomImageComboBox {
  TOVANI_CLASS(TcxImageComboBox, TcxCustomImageComboBox)
 public:
  explicit TcxImageComboBox(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxImageComboBoxProperties* Properties() const {
    return static_cast<TcxImageComboBoxProperties*>(TcxCustomEdit::Properties());
  }
  void SetProperties(TcxImageComboBoxProperties* Value) { Properties()->Assign(Value); }
  TClass GetPropertiesClass() override { return TcxImageComboBoxProperties::StaticClass(); }
};
