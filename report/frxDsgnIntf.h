// The registries through which optional units announce what they add to
// the report engine: report object classes (with toolbar images and
// categories), property editors (which editor serves which property type)
// and export filters; and the standard property editors.
//
// No report designer is part of this program: the object registry holds the
// dot-matrix objects and gives dialog components their images, the export
// registry stays empty, and the editors are registered for a designer host.
#pragma once
#include <memory>

#include "Classes.h"
#include "TypInfo.h"

class TBitmap;
class TCanvas;
class TStringList;
class TWinControl;
struct TRect;

class TfrxObjectItem : public TCollectionItem {
  TOVANI_CLASS(TfrxObjectItem, TCollectionItem)
 public:
  explicit TfrxObjectItem(TCollection* ACollection = nullptr) : TCollectionItem(ACollection) {}
  TClass ObjectClass = nullptr;
  TBitmap* ButtonBitmap = nullptr;  // owned by the caller
  Integer ImageIndex = -1;
  String ButtonHint, CategoryName;
  Word Flags = 0;
  Byte Category = 0;
};

class TfrxObjectCollection : public TCollection {
  TOVANI_CLASS(TfrxObjectCollection, TCollection)
 public:
  TfrxObjectCollection();
  // Registers ObjectClass (also with the class registry, for streaming);
  // nothing when the same class is registered with the same Flags. A
  // Category of 0 is derived: 1 datasets and databases, 4 dialog controls
  // and components, 2 anything else.
  void AddObjectClass(TClass ObjectClass, TBitmap* ButtonBitmap, Byte Category = 0, Integer ImageIndex = -1,
                      Word Flags = 0, const String& ButtonHint = String(), const String& CategoryName = String());
  // Removes every entry of the class, whatever its Flags.
  void RemoveObjectClass(TClass ObjectClass);
  TfrxObjectItem* Items(Integer Index) const { return static_cast<TfrxObjectItem*>(TCollection::Items(Index)); }
  // The image of the first entry of exactly this class; -1 when none.
  Integer ImageIndexOf(TClass ObjectClass) const;
};

class TfrxPropertyEditor;

class TfrxPropertyEditorItem : public TCollectionItem {
  TOVANI_CLASS(TfrxPropertyEditorItem, TCollectionItem)
 public:
  explicit TfrxPropertyEditorItem(TCollection* ACollection = nullptr) : TCollectionItem(ACollection) {}
  String PropType;           // the name of the property's type
  TClass OwnerClass = nullptr;
  String PropName;
  TClass EditorClass = nullptr;
};

class TfrxPropertyEditorCollection : public TCollection {
  TOVANI_CLASS(TfrxPropertyEditorCollection, TCollection)
 public:
  TfrxPropertyEditorCollection();
  void Register(const String& PropType, TClass OwnerClass, const String& PropName, TClass EditorClass);
  TfrxPropertyEditorItem* Items(Integer Index) const {
    return static_cast<TfrxPropertyEditorItem*>(TCollection::Items(Index));
  }
};

class TfrxExportFilterItem : public TCollectionItem {
  TOVANI_CLASS(TfrxExportFilterItem, TCollectionItem)
 public:
  explicit TfrxExportFilterItem(TCollection* ACollection = nullptr) : TCollectionItem(ACollection) {}
  TObject* Filter = nullptr;
};

class TfrxExportFilterCollection : public TCollection {
  TOVANI_CLASS(TfrxExportFilterCollection, TCollection)
 public:
  TfrxExportFilterCollection();
  TfrxExportFilterItem* Items(Integer Index) const {
    return static_cast<TfrxExportFilterItem*>(TCollection::Items(Index));
  }
};

TfrxObjectCollection* frxObjectRegistry();
TfrxPropertyEditorCollection* frxPropertyEditorRegistry();
TfrxExportFilterCollection* frxExportFilterRegistry();

// Attribute bits of property editors.
enum : Byte { paValueList = 1, paSortList = 2, paDialog = 4, paMultiSelect = 8, paSubProperties = 16,
              paReadOnly = 32, paOwnerDraw = 64 };

// Edits one published property of a selection of objects for a designer host.
class TfrxPropertyEditor : public TObject {
  TOVANI_CLASS(TfrxPropertyEditor, TObject)
 public:
  TfrxPropertyEditor();
  ~TfrxPropertyEditor() override;
  // The objects edited and the property (by name) they share.
  void SetTarget(const std::vector<TPersistent*>& Components, const String& PropName);

  virtual bool EditValue();
  virtual Byte Attributes() { return paMultiSelect; }
  virtual String PropertyName();
  virtual Integer ExtraWidth() { return ItemHeight + 2; }
  virtual String ValueText() { return "(Unknown)"; }
  virtual void FillValues();
  virtual void SetValueText(const String&) {}
  virtual void DrawListItem(TCanvas* Canvas, const String& Item, const TRect& Rect);
  virtual void DrawValue(TCanvas* Canvas, const TRect& Rect);

  TPersistent* Component() const { return FComponents.empty() ? nullptr : FComponents[0]; }
  const TPropInfo* PropInfo() const;
  Extended GetFloatValue() const;
  Int64 GetOrdValue() const;
  String GetStrValue() const;
  // Into every edited object whose property can be written.
  void SetFloatValue(Extended Value);
  void SetOrdValue(Int64 Value);
  void SetStrValue(const String& Value);
  TStringList* Values() const { return FValues.get(); }
  Integer ItemHeight = 16;
  TObject* Designer = nullptr;

 private:
  std::vector<TPersistent*> FComponents;
  String FPropName;
  std::unique_ptr<TStringList> FValues;
};

#define FRX_PROPERTY_EDITOR(Name, Base)            \
  class Name : public Base {                       \
    TOVANI_CLASS(Name, Base)                       \
                                                   \
   public:                                         \
    Byte Attributes() override;                    \
    String ValueText() override;                   \
    void SetValueText(const String& Value) override; \
    void FillValues() override;                    \
  };

FRX_PROPERTY_EDITOR(TfrxIntegerProperty, TfrxPropertyEditor)
FRX_PROPERTY_EDITOR(TfrxStringProperty, TfrxPropertyEditor)
FRX_PROPERTY_EDITOR(TfrxClassProperty, TfrxPropertyEditor)
FRX_PROPERTY_EDITOR(TfrxNameProperty, TfrxStringProperty)
FRX_PROPERTY_EDITOR(TfrxFontNameProperty, TfrxStringProperty)
FRX_PROPERTY_EDITOR(TfrxFontCharsetProperty, TfrxIntegerProperty)
FRX_PROPERTY_EDITOR(TfrxModalResultProperty, TfrxIntegerProperty)
FRX_PROPERTY_EDITOR(TfrxShortCutProperty, TfrxPropertyEditor)
FRX_PROPERTY_EDITOR(TfrxCursorProperty, TfrxIntegerProperty)
FRX_PROPERTY_EDITOR(TfrxDateTimeProperty, TfrxPropertyEditor)
FRX_PROPERTY_EDITOR(TfrxDateProperty, TfrxPropertyEditor)
FRX_PROPERTY_EDITOR(TfrxTimeProperty, TfrxPropertyEditor)

class TfrxColorProperty : public TfrxIntegerProperty {
  TOVANI_CLASS(TfrxColorProperty, TfrxIntegerProperty)
 public:
  Byte Attributes() override;
  String ValueText() override;
  void SetValueText(const String& Value) override;
  void FillValues() override;
  bool EditValue() override;
  void DrawListItem(TCanvas* Canvas, const String& Item, const TRect& Rect) override;
  void DrawValue(TCanvas* Canvas, const TRect& Rect) override;
};

class TfrxFontProperty : public TfrxClassProperty {
  TOVANI_CLASS(TfrxFontProperty, TfrxClassProperty)
 public:
  Byte Attributes() override { return 60; }
  bool EditValue() override;
};
