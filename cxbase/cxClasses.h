// The lowest layer of the editor library beside the geometry: class
// registries (a class-to-class map resolved by inheritance, from which the
// value types, dataset adapters, editor properties and filter-edit helpers
// derive their lookups, and a list of classes with display descriptions),
// the bases of owned settings objects and of the library's components, an
// owning object list, weak object links, a free-notification relay, the
// resource-text lookup and the proportional auto-width calculator.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Contnrs.h"
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

// ---------------------------------------------------------------------------
// Settings objects and components.

// Base of the owned settings objects (editor properties, container styles,
// look-and-feels): it knows its owner, which GetOwner reports.
class TcxInterfacedPersistent : public TPersistent {
  TOVANI_CLASS(TcxInterfacedPersistent, TPersistent)
 public:
  explicit TcxInterfacedPersistent(TPersistent* AOwner = nullptr) : FOwner(AOwner) {}
  TPersistent* Owner() const { return FOwner; }

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner;
};

// Base of the library's components. Its destructor clears every object link
// to it, so code that holds a link sees it gone. The three fake links only
// serve a form designer (they are never stored).
class TcxComponent : public TComponent {
  TOVANI_CLASS(TcxComponent, TComponent)
 public:
  explicit TcxComponent(TComponent* AOwner = nullptr);
  ~TcxComponent() override;

  bool IsDesigning() const { return ComponentState().Contains(csDesigning); }
  bool IsDestroying() const { return ComponentState().Contains(csDestroying); }
  // Marks the component as being destroyed (once).
  void BeforeDestruction();
  void Loaded() override;

  TComponent* FakeComponentLink1() const { return FFakeLinks[0]; }
  void SetFakeComponentLink1(TComponent*) {}
  TComponent* FakeComponentLink2() const { return FFakeLinks[1]; }
  void SetFakeComponentLink2(TComponent*) {}
  TComponent* FakeComponentLink3() const { return FFakeLinks[2]; }
  void SetFakeComponentLink3(TComponent*) {}

 protected:
  // Adds the components a designer should show as linked; nothing here.
  virtual void CollectFakeLinks(std::vector<TComponent*>& List) {}
  void RefreshFakeLinks();

 private:
  TComponent* FFakeLinks[3] = {nullptr, nullptr, nullptr};
};

// A list that owns its objects: Clear (and the destructor) frees them in
// index order.
class TcxObjectList : public TList {
  TOVANI_CLASS(TcxObjectList, TList)
 public:
  TcxObjectList() = default;
  ~TcxObjectList() override;
  void Clear() override;
  TObject* GetObject(Integer Index) const { return static_cast<TObject*>(Items(Index)); }
};

// ---------------------------------------------------------------------------
// Weak object links: a link refers to an object until that object's
// destructor calls cxInvalidateObjectLinks. Message handlers guard their
// control with one and stop when it reports the control gone.

class TcxObjectLink : public TObject {
  TOVANI_CLASS(TcxObjectLink, TObject)
 public:
  explicit TcxObjectLink(TObject* AObject) : Ref(AObject) {}
  TObject* Ref;
};

// Null for a null object.
TcxObjectLink* cxCreateObjectLink(TObject* AObject);
// Safe for null and for links whose object has gone.
void cxReleaseObjectLink(TcxObjectLink* ALink);
void cxInvalidateObjectLinks(TObject* AObject);
// Live links (for tests of the bookkeeping): -1 when the controller is gone.
Integer cxObjectLinkCount();

// Holds a link for the length of a scope.
class TcxObjectLinkGuard {
 public:
  explicit TcxObjectLinkGuard(TObject* AObject) : FLink(cxCreateObjectLink(AObject)) {}
  ~TcxObjectLinkGuard() { cxReleaseObjectLink(FLink); }
  TcxObjectLinkGuard(const TcxObjectLinkGuard&) = delete;
  TcxObjectLinkGuard& operator=(const TcxObjectLinkGuard&) = delete;
  bool Alive() const { return FLink && FLink->Ref; }

 private:
  TcxObjectLink* FLink;
};

// Tells its OnComponentFreed when a watched component is freed.
class TcxFreeNotificator : public TComponent {
  TOVANI_CLASS(TcxFreeNotificator, TComponent)
 public:
  using TcxFreeNotificationEvent = std::function<void(TObject* Sender, TComponent* AComponent)>;
  explicit TcxFreeNotificator(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
  ~TcxFreeNotificator() override;
  void AddSender(TComponent* AComponent);
  void RemoveSender(TComponent* AComponent);
  TcxFreeNotificationEvent OnComponentFreed;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
};

// ---------------------------------------------------------------------------
// Resource texts. Every user-visible text of the library is read through
// cxLoadResourceText, so that a replacement table can stand in front of the
// built-in texts. The table has three modes: 0 keys are the texts
// themselves, 1 keys are the resource-string records, 2 unavailable (the
// state the program starts and ends in: every lookup falls through).

struct TcxResourceString {
  const char* Text;   // the built-in text
};

String cxLoadResourceText(const TcxResourceString& AResString);
// Index of the replacement for the resource string, -1 when none.
Integer cxFindResourceTextReplacement(const TcxResourceString& AResString);
void cxFreeResourceTextTables();

// ---------------------------------------------------------------------------
// Small helpers.

inline void cxCallNotifyEvent(TObject* Sender, const std::function<void(TObject*)>& Event) {
  if (Event) Event(Sender);
}
TPersistent* cxGetPersistentOwner(TPersistent* APersistent);
// A locale text (GetLocaleInfoW); Default when the locale has none.
String cxReadLocaleInfo(Cardinal Locale, Cardinal LCType, const String& Default);
// Byte length of the (UTF-8) character starting at 1-based byte position Pos;
// 0 beyond the end.
Integer cxCharLengthAt(const String& S, Integer Pos);
// Count bytes from Source to Dest; the buffers may overlap.
void cxMoveBytes(const void* Source, void* Dest, Integer Count);

// ---------------------------------------------------------------------------
// Proportional auto width: fits the items' widths into the available width
// so that each share is proportional to the item's width, fixed items keep
// theirs and no item falls below its minimum.

class TcxAutoWidthItem : public TObject {
  TOVANI_CLASS(TcxAutoWidthItem, TObject)
 public:
  Integer MinWidth = 0;
  Integer Width = 0;
  bool Fixed = false;
  Integer AutoWidth = -1;   // computed width; -1 until DistributeWidths
};

class TcxAutoWidthObject : public TObject {
  TOVANI_CLASS(TcxAutoWidthObject, TObject)
 public:
  explicit TcxAutoWidthObject(Integer ACapacity = 0);
  ~TcxAutoWidthObject() override;
  TcxAutoWidthItem* NewItem();
  Integer ItemCount() const { return Integer(FItems.size()); }
  TcxAutoWidthItem* GetItemByIndex(Integer Index) const;
  Integer TotalWidth() const;
  Integer AvailableWidth = 0;
  void DistributeWidths();

 private:
  std::vector<TcxAutoWidthItem*> FItems;
};
