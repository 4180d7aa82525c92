// Components and collections: the ownership and naming model every form,
// data module and component library stands on, and the class registry the
// streaming system creates objects from.
#pragma once
#include "Persistent.h"
#include "Sets.h"
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class TComponent;
class TReader;
class TWriter;
class TFiler;

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Horizontal alignment of text, shared by data fields and controls.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
struct TTypeInfo;
const TTypeInfo* TovaniEnumInfo(TAlignment);   // published enumeration (TypInfo.h)

// ---------------------------------------------------------------------------
// Class registry for streaming. Classes made with TOVANI_IMPLEMENT_CLASS_FACTORY
// are found even when not registered explicitly; UnRegisterClass hides a
// class again.

void RegisterClass(TClass cls);
void RegisterClasses(std::initializer_list<TClass> classes);
void UnRegisterClass(TClass cls);
// Null when no creatable class of that name is known.
TClass GetClass(const String& name);
// EClassNotFound "Class %s not found" when unknown.
TClass FindClass(const String& name);

// Class groups only matter to a form designer, which this program does not
// have; the calls are kept so that library initialisation reads as designed.
inline void StartClassGroup(TClass) {}
inline void GroupDescendentsWith(TClass, TClass) {}

// The identifier rule of component names: a letter or "_", then letters,
// digits and "_" (ASCII).
bool IsValidIdent(const String& ident, bool allowDots = false);

// Components that other roots refer to by "Root.Component" names (forms and
// data modules): the window library registers a lookup of its forms here.
using TFindGlobalComponent = std::function<TComponent*(const String& name)>;
void RegisterFindGlobalComponentProc(TFindGlobalComponent proc);
void UnregisterFindGlobalComponentProcs();
TComponent* FindGlobalComponent(const String& name);
// Roots created by the streaming system register themselves here while they
// live (forms and data modules do the same), so that references between
// roots resolve.
void RegisterGlobalRoot(TComponent* root);
void UnregisterGlobalRoot(TComponent* root);

// ---------------------------------------------------------------------------

enum TComponentStateItem {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating,
  csFixups, csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

enum TComponentStyleItem { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyle = TSet<TComponentStyleItem>;

enum TOperation { opInsert, opRemove };

using TGetChildProc = std::function<void(TComponent* Child)>;

// A component: owned by its Owner, which deletes it; named uniquely among
// its owner's components; told through Notification when components it
// cares about come and go.
//
// Deleting a component deletes the components it owns (last first), tells
// every component that asked for FreeNotification, and leaves its owner.
// A derived class whose Notification override uses its own members should
// call DestroyComponents() in its destructor, because by the time the base
// destructor runs only the base part of the object is left.
//
// The streaming system creates components by class name through the class's
// factory (TOVANI_IMPLEMENT_CLASS_FACTORY, which needs a constructor callable
// without arguments) and then inserts them into their owner.
class TComponent : public TPersistent {
  TOVANI_CLASS(TComponent, TPersistent)
 public:
  explicit TComponent(TComponent* AOwner = nullptr);
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  Integer ComponentCount() const { return Integer(FComponents.size()); }
  // EListError "List index out of bounds (%d)" for a bad index.
  TComponent* Components(Integer Index) const;
  const std::vector<TComponent*>& ComponentList() const { return FComponents; }
  // Position among the owner's components; -1 without owner.
  Integer ComponentIndex() const;
  void SetComponentIndex(Integer Value);

  const String& Name() const { return FName; }
  // EComponentError "'%s' is not a valid component name" for a bad
  // identifier; "A component named %s already exists" for a name the owner
  // already has (case-insensitive).
  virtual void SetName(const String& NewName);
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }
  // Where a designer placed a component that is no control: the low 16
  // bits are the left, the high 16 bits the top. Form files keep it as the
  // component's "Left" and "Top".
  Integer DesignInfo() const { return FDesignInfo; }
  void SetDesignInfo(Integer Value) { FDesignInfo = Value; }
  void DefineProperties(TFiler* Filer) override;

  TComponentState ComponentState() const { return FComponentState; }
  TComponentStyle ComponentStyle() const { return FComponentStyle; }

  // Owned component by name (case-insensitive); null when none or when Name is empty.
  TComponent* FindComponent(const String& AName) const;
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  void DestroyComponents();
  // Marks the component (and its owned components) as being destroyed.
  void Destroying();

  // Asks to be told (Notification opRemove) when AComponent is deleted;
  // mutual, so AComponent is told about this one too.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Parent/child structure used when streaming (controls on their parent).
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent*) {}
  // The components written as children of this one. The default lists, for
  // the root of a stream, the owned components without a parent.
  virtual void GetChildren(const TGetChildProc& Proc, TComponent* Root);
  // Owner of the components read as children of this one (null: the root).
  virtual TComponent* GetChildOwner() { return nullptr; }

  String GetNamePath() override;
  void SetSubComponent(bool Value);
  void SetDesigning(bool Value, bool SetChildren = true);
  void SetAncestor(bool Value);
  void Updating();
  void Updated();

  // Called after the component and its whole stream were read and all
  // references resolved; clears csLoading.
  virtual void Loaded();
  // Tells the component (and, through the base, its owned components) that
  // AComponent was inserted or removed; owned components do not hear about
  // a component inserted while it is read from a stream.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName);
  virtual void ValidateContainer(TComponent* AComponent);
  virtual void ValidateInsert(TComponent*) {}
  // Reads the component's properties and children (TReader::ReadComponent
  // calls it); writes them (TWriter).
  virtual void ReadState(TReader* Reader);
  virtual void WriteState(TWriter* Writer);

 protected:
  virtual void ChangeName(const String& NewName) { FName = NewName; }
  TPersistent* GetOwner() override { return FOwner; }
  // Adds or removes csLoading, csReading ... (the streaming system uses these).
  void SetComponentState(TComponentState Value) { FComponentState = Value; }
  void IncludeState(TComponentStateItem Item) { FComponentState.Include(Item); }
  void ExcludeState(TComponentStateItem Item) { FComponentState.Exclude(Item); }
  void SetComponentStyle(TComponentStyle Value) { FComponentStyle = Value; }

 private:
  friend class TReader;
  friend class TWriter;
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);

  // Keeps the name index of the owner in step with FComponents.
  struct TNameIndex;
  void IndexName(TComponent* AComponent);
  void UnindexName(TComponent* AComponent, const String& Name);

  TComponent* FOwner = nullptr;
  String FName;
  Integer FTag = 0;
  Integer FDesignInfo = 0;
  std::vector<TComponent*> FComponents;
  // The owned components by name, so that finding one (as reading a form
  // does for every component and reference) takes no walk over them all.
  std::unique_ptr<TNameIndex> FNameIndex;
  std::vector<TComponent*> FFreeNotifies;
  TComponentState FComponentState;
  TComponentStyle FComponentStyle{csInheritable};
};

// ---------------------------------------------------------------------------
// Collections: an owned, ordered list of items of one item class, written to
// form files as `< item ... end >`.

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
  TOVANI_CLASS(TCollectionItem, TPersistent)
 public:
  // Items are usually made by TCollection::Add; one made with a collection
  // adds itself to it.
  explicit TCollectionItem(TCollection* ACollection = nullptr);
  ~TCollectionItem() override;   // leaves its collection

  TCollection* Collection() const { return FCollection; }
  virtual void SetCollection(TCollection* Value);
  Integer ID() const { return FID; }
  virtual Integer Index() const;
  virtual void SetIndex(Integer Value);
  String DisplayName() const { return GetDisplayName(); }
  virtual void SetDisplayName(const String& Value);
  String GetNamePath() override;

 protected:
  // Tells the collection (Update) unless it is inside BeginUpdate/EndUpdate.
  virtual void Changed(bool AllItems);
  TPersistent* GetOwner() override;
  virtual String GetDisplayName() const { return ClassName(); }

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  Integer FID = 0;
};

class TCollection : public TPersistent {
  TOVANI_CLASS(TCollection, TPersistent)
 public:
  // ItemClass must derive from TCollectionItem and be creatable
  // (TOVANI_IMPLEMENT_CLASS_FACTORY).
  explicit TCollection(TClass AItemClass);
  ~TCollection() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(Integer Index);
  void Delete(Integer Index);
  void Clear();
  Integer Count() const { return Integer(FItems.size()); }
  // EListError "List index out of bounds (%d)" for a bad index.
  TCollectionItem* Items(Integer Index) const;
  void SetItems(Integer Index, TCollectionItem* Value) { Items(Index)->Assign(Value); }
  TCollectionItem* FindItemID(Integer ID) const;
  TClass ItemClass() const { return FItemClass; }

  virtual void BeginUpdate();
  virtual void EndUpdate();
  Integer UpdateCount() const { return FUpdateCount; }

  void Assign(TPersistent* Source) override;
  // Owner's path, ".", the owner's property that holds this collection.
  String GetNamePath() override;

 protected:
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
  // Called after items changed (Item null: all of them); empty here.
  virtual void Update(TCollectionItem* Item);
  void Changed();
  // The name of the owner's published property holding this collection.
  String PropName();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item, Integer Index);
  void RemoveItem(TCollectionItem* Item);

  TClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  Integer FUpdateCount = 0;
  Integer FNextID = 0;
};

// A collection that knows its owner (for GetNamePath and the designer).
class TOwnedCollection : public TCollection {
  TOVANI_CLASS(TOwnedCollection, TCollection)
 public:
  TOwnedCollection(TPersistent* AOwner, TClass AItemClass) : TCollection(AItemClass), FOwner(AOwner) {}

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner;
};
