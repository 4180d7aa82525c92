#include "Classes.h"
#include "Utf8.h"
#include "Streaming.h"
#include "TypInfo.h"
#include <algorithm>
#include <unordered_map>

TOVANI_IMPLEMENT_ENUM_INFO(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")

namespace {

bool SameName(const String& a, const String& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

// The key of a name in an owner's name index: names compare without regard
// to the case of ASCII letters.
String NameKey(const String& name) {
  String k = name;
  for (char& ch : k)
    if (ch >= 'a' && ch <= 'z') ch = char(ch - 32);
  return k;
}

[[noreturn]] void IndexError(Integer index) {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

struct TStreamRegistry {
  std::vector<TClass> Registered;
  std::vector<TClass> Hidden;
};
TStreamRegistry& StreamRegistry() {
  static TStreamRegistry r;
  return r;
}

std::vector<TFindGlobalComponent>& GlobalProcs() {
  static std::vector<TFindGlobalComponent> procs;
  return procs;
}
std::vector<TComponent*>& GlobalRoots() {
  static std::vector<TComponent*> roots;
  return roots;
}

}  // namespace

// ---------------------------------------------------------------------------
// Class registry

void RegisterClass(TClass cls) {
  if (!cls) return;
  auto& r = StreamRegistry();
  r.Hidden.erase(std::remove(r.Hidden.begin(), r.Hidden.end(), cls), r.Hidden.end());
  if (std::find(r.Registered.begin(), r.Registered.end(), cls) == r.Registered.end())
    r.Registered.push_back(cls);
  RegisterClassInfo(cls);
}

void RegisterClasses(std::initializer_list<TClass> classes) {
  for (TClass c : classes) RegisterClass(c);
}

void UnRegisterClass(TClass cls) {
  auto& r = StreamRegistry();
  r.Registered.erase(std::remove(r.Registered.begin(), r.Registered.end(), cls), r.Registered.end());
  if (std::find(r.Hidden.begin(), r.Hidden.end(), cls) == r.Hidden.end()) r.Hidden.push_back(cls);
}

TClass GetClass(const String& name) {
  auto& r = StreamRegistry();
  for (TClass c : r.Registered)
    if (SameName(c->Name, name)) return c;
  TClass c = FindClassInfo(name);
  if (!c || !c->Factory) return nullptr;
  if (std::find(r.Hidden.begin(), r.Hidden.end(), c) != r.Hidden.end()) return nullptr;
  return c;
}

TClass FindClass(const String& name) {
  TClass c = GetClass(name);
  if (!c) throw EClassNotFound("Class " + Utf8Escaped(name) + " not found");
  return c;
}

bool IsValidIdent(const String& ident, bool allowDots) {
  if (ident.empty()) return false;
  auto alpha = [](unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  auto digit = [](unsigned char c) { return c >= '0' && c <= '9'; };
  if (!alpha((unsigned char)ident[0])) return false;
  for (size_t i = 1; i < ident.size(); ++i) {
    unsigned char c = ident[i];
    if (alpha(c) || digit(c)) continue;
    if (allowDots && c == '.' && ident[i - 1] != '.' && i + 1 < ident.size()) continue;
    return false;
  }
  return true;
}

void RegisterFindGlobalComponentProc(TFindGlobalComponent proc) { GlobalProcs().push_back(std::move(proc)); }
void UnregisterFindGlobalComponentProcs() { GlobalProcs().clear(); }

TComponent* FindGlobalComponent(const String& name) {
  for (TComponent* c : GlobalRoots())
    if (SameName(c->Name(), name)) return c;
  for (auto& p : GlobalProcs())
    if (TComponent* c = p(name)) return c;
  return nullptr;
}

void RegisterGlobalRoot(TComponent* root) {
  auto& r = GlobalRoots();
  if (root && std::find(r.begin(), r.end(), root) == r.end()) r.push_back(root);
}

void UnregisterGlobalRoot(TComponent* root) {
  auto& r = GlobalRoots();
  r.erase(std::remove(r.begin(), r.end(), root), r.end());
}

// ---------------------------------------------------------------------------
// TComponent

TOVANI_IMPLEMENT_CLASS_FACTORY(TComponent, TPersistent)

TOVANI_PUBLISHED(TComponent) {
  Property("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
  Property("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

void TComponent::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  // Controls have Left and Top of their own (published properties are read
  // first), so these only reach components without a place on the form.
  auto low = [this] { return Integer(int16_t(FDesignInfo & 0xFFFF)); };
  auto high = [this] { return Integer(int16_t(uint32_t(FDesignInfo) >> 16)); };
  bool hasData = FDesignInfo != 0;
  Filer->DefineProperty(
      "Left", [this, high](TReader* r) { FDesignInfo = Integer((uint32_t(uint16_t(high())) << 16) | uint16_t(r->ReadInteger())); },
      [low](TWriter* w) { w->WriteInteger(low()); }, hasData);
  Filer->DefineProperty(
      "Top", [this, low](TReader* r) { FDesignInfo = Integer((uint32_t(uint16_t(r->ReadInteger())) << 16) | uint16_t(low())); },
      [high](TWriter* w) { w->WriteInteger(high()); }, hasData);
}

// Maps each name key to the first owned component of that name (names are
// unique within an owner, unless a class's rename check lets two through).
struct TComponent::TNameIndex {
  std::unordered_map<String, TComponent*> Map;
  // Whether two owned components ever shared a name: only then does taking
  // one out need a look for another of that name.
  bool Shared = false;
};

void TComponent::IndexName(TComponent* AComponent) {
  if (AComponent->FName.empty()) return;
  if (!FNameIndex) FNameIndex = std::make_unique<TNameIndex>();
  String key = NameKey(AComponent->FName);
  auto it = FNameIndex->Map.find(key);
  if (it == FNameIndex->Map.end()) {
    FNameIndex->Map.emplace(std::move(key), AComponent);
    return;
  }
  if (it->second == AComponent) return;
  // Another component of the same name: the first in the list stays found.
  FNameIndex->Shared = true;
  for (TComponent* c : FComponents)
    if (c == it->second || c == AComponent) {
      it->second = c;
      return;
    }
}

void TComponent::UnindexName(TComponent* AComponent, const String& Name) {
  if (Name.empty() || !FNameIndex) return;
  auto it = FNameIndex->Map.find(NameKey(Name));
  if (it == FNameIndex->Map.end() || it->second != AComponent) return;
  if (FNameIndex->Shared)
    for (TComponent* c : FComponents)
      if (c != AComponent && SameName(c->FName, Name)) {
        it->second = c;
        return;
      }
  FNameIndex->Map.erase(it);
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Tell everyone who asked; each answer removes itself from the list.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    other->Notification(this, opRemove);
    // The base Notification unlinks both sides; make sure of it even when an
    // override did not call it.
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), other), FFreeNotifies.end());
    auto& theirs = other->FFreeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
  UnregisterGlobalRoot(this);
}

TComponent* TComponent::Components(Integer Index) const {
  if (Index < 0 || Index >= ComponentCount()) IndexError(Index);
  return FComponents[size_t(Index)];
}

Integer TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& l = FOwner->FComponents;
  auto it = std::find(l.begin(), l.end(), this);
  return it == l.end() ? -1 : Integer(it - l.begin());
}

void TComponent::SetComponentIndex(Integer Value) {
  if (!FOwner) return;
  Integer cur = ComponentIndex();
  if (cur < 0) return;
  auto& l = FOwner->FComponents;
  Integer count = Integer(l.size());
  if (Value < 0) Value = 0;
  if (Value >= count) Value = count - 1;
  if (Value == cur) return;
  l.erase(l.begin() + cur);
  l.insert(l.begin() + Value, this);
  if (!FName.empty() && FOwner->FNameIndex) {
    FOwner->FNameIndex->Map.erase(NameKey(FName));
    for (TComponent* c : l)
      if (SameName(c->FName, FName)) FOwner->IndexName(c);
  }
}

void TComponent::SetName(const String& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError("'" + Utf8Escaped(NewName) + "' is not a valid component name");
  if (FOwner)
    FOwner->ValidateRename(this, FName, NewName);
  else
    ValidateRename(nullptr, FName, NewName);
  String old = FName;
  ChangeName(NewName);
  if (FOwner && FName != old) {
    FOwner->UnindexName(this, old);
    FOwner->IndexName(this);
  }
}

TComponent* TComponent::FindComponent(const String& AName) const {
  if (AName.empty() || !FNameIndex) return nullptr;
  auto it = FNameIndex->Map.find(NameKey(AName));
  return it == FNameIndex->Map.end() ? nullptr : it->second;
}

void TComponent::ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName) {
  if (AComponent && !SameName(CurName, NewName) && AComponent->FOwner == this && FindComponent(NewName))
    throw EComponentError("A component named " + NewName + " already exists");
}

void TComponent::ValidateContainer(TComponent* AComponent) { AComponent->ValidateInsert(this); }

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
  IndexName(AComponent);
}

void TComponent::Remove(TComponent* AComponent) {
  AComponent->FOwner = nullptr;
  // Searched from the end: components are mostly removed last first.
  auto it = std::find(FComponents.rbegin(), FComponents.rend(), AComponent);
  if (it != FComponents.rend()) {
    FComponents.erase(std::next(it).base());
    UnindexName(AComponent, AComponent->FName);
  }
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent) return;
  if (AComponent->FOwner == this) return;
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  AComponent->ValidateContainer(this);
  // The rename check only looks at components already owned here; a
  // component arriving with a name this owner already has is refused too,
  // so that names stay unique within an owner.
  if (!AComponent->FName.empty() && FindComponent(AComponent->FName))
    throw EComponentError("A component named " + AComponent->FName + " already exists");
  ValidateRename(AComponent, String(), AComponent->FName);
  Insert(AComponent);
  if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner != this) return;
  ValidateRename(AComponent, AComponent->FName, String());
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* instance = FComponents.back();
    if (instance->FComponentState.Contains(csFreeNotification))
      RemoveComponent(instance);
    else
      Remove(instance);
    delete instance;
  }
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* c : FComponents) c->Destroying();
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (!FOwner || AComponent->FOwner != FOwner) {
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
      FFreeNotifies.push_back(AComponent);
      AComponent->FreeNotification(this);
    }
  }
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent);
  if (it == FFreeNotifies.end()) return;
  FFreeNotifies.erase(it);
  if (AComponent) AComponent->RemoveFreeNotification(this);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // A component still being read from a stream is announced to its owner
  // only: telling every owned component about each one read made reading a
  // form take time growing with the square of its components, and a
  // half-read component offers nothing to act on (Loaded comes when the
  // whole stream is read).
  if (Operation == opInsert && AComponent && AComponent->FComponentState.Contains(csReading)) return;
  // Owned components hear about every insertion and removal in their owner.
  for (size_t i = 0; i < FComponents.size(); ++i) FComponents[i]->Notification(AComponent, Operation);
}

void TComponent::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  if (Root != this) return;
  for (size_t i = 0; i < FComponents.size(); ++i)
    if (!FComponents[i]->HasParent()) Proc(FComponents[i]);
}

String TComponent::GetNamePath() { return FName; }

void TComponent::SetSubComponent(bool Value) {
  if (Value) FComponentStyle.Include(csSubComponent);
  else FComponentStyle.Exclude(csSubComponent);
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  if (Value) FComponentState.Include(csDesigning);
  else FComponentState.Exclude(csDesigning);
  if (SetChildren)
    for (TComponent* c : FComponents) c->SetDesigning(Value);
}

void TComponent::SetAncestor(bool Value) {
  if (Value) FComponentState.Include(csAncestor);
  else FComponentState.Exclude(csAncestor);
  for (TComponent* c : FComponents) c->SetAncestor(Value);
}

void TComponent::Updating() { FComponentState.Include(csUpdating); }
void TComponent::Updated() { FComponentState.Exclude(csUpdating); }

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

void TComponent::ReadState(TReader* Reader) { Reader->ReadData(this); }
void TComponent::WriteState(TWriter* Writer) { Writer->WriteData(this); }

// ---------------------------------------------------------------------------
// TCollectionItem

TOVANI_IMPLEMENT_CLASS_FACTORY(TCollectionItem, TPersistent)

TCollectionItem::TCollectionItem(TCollection* ACollection) {
  if (ACollection) SetCollection(ACollection);
}

TCollectionItem::~TCollectionItem() {
  if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this, Value->Count());
}

Integer TCollectionItem::Index() const {
  if (!FCollection) return -1;
  auto& l = FCollection->FItems;
  auto it = std::find(l.begin(), l.end(), this);
  return it == l.end() ? -1 : Integer(it - l.begin());
}

void TCollectionItem::SetIndex(Integer Value) {
  Integer cur = Index();
  if (cur < 0 || Value == cur) return;
  auto& l = FCollection->FItems;
  if (Value < 0 || Value >= Integer(l.size())) IndexError(Value);
  l.erase(l.begin() + cur);
  l.insert(l.begin() + Value, this);
  Changed(true);
}

void TCollectionItem::SetDisplayName(const String&) { Changed(false); }

String TCollectionItem::GetNamePath() {
  if (!FCollection) return ClassName();
  return FCollection->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() { return FCollection; }

// ---------------------------------------------------------------------------
// TCollection

TOVANI_IMPLEMENT_CLASS(TCollection, TPersistent)
TOVANI_IMPLEMENT_CLASS(TOwnedCollection, TCollection)

TCollection::TCollection(TClass AItemClass) : FItemClass(AItemClass) {
  if (!FItemClass) FItemClass = TCollectionItem::StaticClass();
}

TCollection::~TCollection() {
  FUpdateCount = 1;   // no Update calls while items go
  while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::Add() {
  if (!FItemClass->InheritsFrom(TCollectionItem::StaticClass()) || !FItemClass->Factory)
    throw EInvalidOperation(String("Cannot create an item of class ") + FItemClass->Name);
  TObject* obj = FItemClass->Factory();
  auto* item = static_cast<TCollectionItem*>(obj);
  item->AfterConstruction();
  if (item->FCollection != this) item->SetCollection(this);
  return item;
}

TCollectionItem* TCollection::Insert(Integer Index) {
  TCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

void TCollection::Delete(Integer Index) {
  TCollectionItem* item = Items(Index);
  Notify(item, cnDeleting);
  delete item;
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  try {
    while (!FItems.empty()) delete FItems.back();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TCollectionItem* TCollection::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return FItems[size_t(Index)];
}

TCollectionItem* TCollection::FindItemID(Integer ID) const {
  for (TCollectionItem* i : FItems)
    if (i->FID == ID) return i;
  return nullptr;
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Assign(TPersistent* Source) {
  if (Source && Source->InheritsFrom(TCollection::StaticClass())) {
    auto* src = static_cast<TCollection*>(Source);
    if (src == this) return;
    BeginUpdate();
    try {
      Clear();
      for (TCollectionItem* i : src->FItems) Add()->Assign(i);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  TPersistent::Assign(Source);
}

String TCollection::PropName() {
  TPersistent* owner = GetOwner();
  if (!owner) return String();
  for (const TPropInfo* p : GetPropList(owner, TTypeKinds{tkClass}))
    if (p->GetObj && p->GetObj(owner) == this) return p->Name;
  return String();
}

String TCollection::GetNamePath() {
  TPersistent* owner = GetOwner();
  if (!owner) return ClassName();
  String s = owner->GetNamePath();
  if (s.empty()) return ClassName();
  String p = PropName();
  if (p.empty()) return ClassName();
  return s + "." + p;
}

void TCollection::InsertItem(TCollectionItem* Item, Integer Index) {
  if (Index < 0 || Index > Count()) Index = Count();
  FItems.insert(FItems.begin() + Index, Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
  Notify(Item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  Notify(Item, cnExtracting);
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it != FItems.end()) FItems.erase(it);
  Item->FCollection = nullptr;
  Changed();
}
