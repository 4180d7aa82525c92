// The image combo box: a list-only combo box whose items carry a
// description, an image index, a tag and a value. The edit value is the
// value of the selected item; the editor and the list show the item's image
// and description (or the defaults when no item has the value).
#pragma once
#include "ImgList.h"
#include "cxComboBox.h"

enum TcxImageAlign { iaLeft, iaRight };

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
  bool ShowDescriptions() const { return FShowDescriptions; }
  void SetShowDescriptions(bool Value);

  TcxImageComboBoxItem* FindItemByValue(const Variant& AValue) const;
  TcxImageComboBoxItem* FindItemByText(const String& AText) const;
  virtual void GetItemInfo(TcxImageComboBoxItem* AItem, String& AText, bool AForceDescription, Integer& AImageIndex);
  void GetDisplayInfo(const Variant& AValue, String& AText, Integer& AImageIndex);
  // The item list changed: the list's texts follow the descriptions.
  void ItemsChanged();

  TClass GetContainerClass() override;
  TcxTextEditLookupDataFactory GetLookupDataType() override;
  bool AcceptsEditValue(Variant&, bool) override { return true; }
  bool HasInnerEditChangeEvents() override { return false; }
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  bool IsLookupText(const String& AText) override { return FindItemByText(AText) != nullptr; }
  TcxEditValueSource UsesDataDisplayFormat(bool) override { return evsValue; }

 private:
  String FDefaultDescription;
  Integer FDefaultImageIndex = -1;
  TcxImageAlign FImageAlign = iaLeft;
  TCustomImageList* FImages = nullptr;
  TCustomImageList* FLargeImages = nullptr;
  std::unique_ptr<TcxImageComboBoxItems> FItems;
  bool FShowDescriptions = true;
};

class TcxImageComboBoxProperties : public TcxCustomImageComboBoxProperties {
  TOVANI_CLASS(TcxImageComboBoxProperties, TcxCustomImageComboBoxProperties)
 public:
  using TcxCustomImageComboBoxProperties::TcxCustomImageComboBoxProperties;
  TcxCustomEditProperties* CreateOfSameClass() override { return new TcxImageComboBoxProperties(nullptr); }
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

 protected:
  void Paint() override;
};

class TcxImageComboBox : public TcxCustomImageComboBox {
  TOVANI_CLASS(TcxImageComboBox, TcxCustomImageComboBox)
 public:
  explicit TcxImageComboBox(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxImageComboBoxProperties* Properties() const {
    return static_cast<TcxImageComboBoxProperties*>(TcxCustomEdit::Properties());
  }
  TClass GetPropertiesClass() override { return TcxImageComboBoxProperties::StaticClass(); }
};
