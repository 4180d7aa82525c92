// Class registries of the editor library: a class-to-class map resolved by
// inheritance (value types, dataset adapters, editor properties, filter-edit
// helpers derive their lookups from it) and a list of classes with display
// descriptions.
#pragma once
#include <memory>
#include <vector>

#include "System.h"

// One entry of a TcxRegisteredClassList.
class TcxRegisteredClassListItemData : public TObject {
  TOVANI_CLASS(TcxRegisteredClassListItemData, TObject)
 public:
  TcxRegisteredClassListItemData(TClass AItemClass, TClass ARegisteredClass)
      : ItemClass(AItemClass), RegisteredClass(ARegisteredClass) {}
  TClass ItemClass;
  TClass RegisteredClass;
};

// Maps an item class to a registered class. A lookup finds the entry of the
// most derived registered ancestor of the class asked for; entries of more
// derived item classes always stand after those of their ancestors.
class TcxRegisteredClassList : public TObject {
  TOVANI_CLASS(TcxRegisteredClassList, TObject)
 public:
  TcxRegisteredClassList() = default;
  ~TcxRegisteredClassList() override;

  // True with Index at the matching entry; otherwise false with Index at the
  // first entry whose item class descends from AClass (unchanged when none).
  virtual bool FindClassPair(TClass AClass, Integer& Index) const;
  // A re-registered item class goes right after its old pair and wins lookups.
  virtual void AddClassPair(TClass AItemClass, TClass ARegisteredClass);
  // Removes every entry with exactly this pair.
  virtual void RemoveClassPair(TClass AItemClass, TClass ARegisteredClass);
  void Clear();

  Integer GetPairCount() const { return Integer(FItems.size()); }
  // EListError for a bad index.
  const TcxRegisteredClassListItemData* GetPair(Integer Index) const;
  // The registered class of the entry found for AClass; null when none.
  TClass FindClass(TClass AClass) const;

 private:
  std::vector<std::unique_ptr<TcxRegisteredClassListItemData>> FItems;
};

// The description shown and compared: the text before the first "|".
String cxTextBeforeBar(const String& S);

// A list of classes with descriptions, optionally sorted by description.
class TcxRegisteredClasses : public TObject {
  TOVANI_CLASS(TcxRegisteredClasses, TObject)
 public:
  // With ARegisterClasses every added class is also registered for streaming.
  explicit TcxRegisteredClasses(bool ARegisterClasses = false);
  ~TcxRegisteredClasses() override;

  // Does nothing for a class already present (its description stays).
  void AddClass(TClass AClass, const String& ADescription);
  void RemoveClass(TClass AClass);
  Integer IndexOfClass(TClass AClass) const;
  void Clear();

  Integer Count() const { return Integer(FItems.size()); }
  TClass Items(Integer Index) const;
  String GetDescription(Integer Index) const;
  // The whole description text as added (with anything after a "|").
  const String& GetFullDescription(Integer Index) const;
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  bool RegistersClasses() const { return FRegisterClasses; }

 protected:
  // Locale-aware, case-insensitive comparison of two descriptions.
  virtual int CompareDescriptions(Integer Index1, Integer Index2) const;
  virtual void SortByDescription();

 private:
  struct TEntry {
    String Description;
    TClass Class;
  };
  const TEntry& Entry(Integer Index) const;
  std::vector<TEntry> FItems;
  bool FRegisterClasses;
  bool FSorted = false;
};
