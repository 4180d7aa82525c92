#include "Contnrs.h"
#include <algorithm>

TOVANI_IMPLEMENT_CLASS_FACTORY(TList, TObject)
TOVANI_IMPLEMENT_CLASS_FACTORY(TObjectList, TList)

namespace {
[[noreturn]] void ListError(const char* what, Integer value) {
  throw EListError(String(what) + " (" + std::to_string(value) + ")");
}
}  // namespace

void TList::IndexError(Integer Index) { ListError("List index out of bounds", Index); }

TList::~TList() {
  // Derived lists that act on removal (TObjectList) clear themselves in their
  // own destructor; here only the entries go.
  FItems.clear();
}

void TList::Notify(void*, TListNotification) {}

Integer TList::Add(void* Item) {
  Integer result = Count();
  Insert(result, Item);
  return result;
}

void TList::Insert(Integer Index, void* Item) {
  if (Index < 0 || Index > Count()) IndexError(Index);
  if (Count() == FCapacity) Expand();
  FItems.insert(FItems.begin() + Index, Item);
  if (Item) Notify(Item, lnAdded);
}

void TList::Delete(Integer Index) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  void* item = FItems[Index];
  FItems.erase(FItems.begin() + Index);
  if (item) Notify(item, lnDeleted);
}

Integer TList::Remove(void* Item) {
  Integer result = IndexOf(Item);
  if (result >= 0) Delete(result);
  return result;
}

void* TList::Extract(void* Item) {
  Integer i = IndexOf(Item);
  if (i < 0) return nullptr;
  void* result = FItems[i];
  FItems.erase(FItems.begin() + i);
  Notify(result, lnExtracted);
  return result;
}

Integer TList::IndexOf(void* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

void TList::Exchange(Integer Index1, Integer Index2) {
  if (Index1 < 0 || Index1 >= Count()) IndexError(Index1);
  if (Index2 < 0 || Index2 >= Count()) IndexError(Index2);
  std::swap(FItems[Index1], FItems[Index2]);
}

void TList::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  if (NewIndex < 0 || NewIndex >= Count()) IndexError(NewIndex);
  if (CurIndex < 0 || CurIndex >= Count()) IndexError(CurIndex);
  void* item = FItems[CurIndex];
  FItems.erase(FItems.begin() + CurIndex);
  FItems.insert(FItems.begin() + NewIndex, item);
}

void TList::Pack() {
  FItems.erase(std::remove(FItems.begin(), FItems.end(), nullptr), FItems.end());
}

void TList::Sort(TListSortCompare Compare) {
  if (!Compare || FItems.size() < 2) return;
  std::stable_sort(FItems.begin(), FItems.end(),
                   [Compare](void* a, void* b) { return Compare(a, b) < 0; });
}

void TList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

TList* TList::Expand() {
  if (Count() == FCapacity) {
    // Small lists grow by 4 or 8, larger ones by a quarter.
    Integer delta = FCapacity > 64 ? FCapacity / 4 : (FCapacity > 8 ? 16 : 4);
    SetCapacity(static_cast<Integer>(std::min<Int64>(Int64(FCapacity) + delta, MaxListSize)));
  }
  return this;
}

void* TList::First() const { return Items(0); }
void* TList::Last() const { return Items(Count() - 1); }

void TList::SetCount(Integer NewCount) {
  if (NewCount < 0 || NewCount > MaxListSize) ListError("List count out of bounds", NewCount);
  if (NewCount > FCapacity) SetCapacity(NewCount);
  if (NewCount > Count()) {
    FItems.resize(NewCount, nullptr);
  } else {
    for (Integer i = Count() - 1; i >= NewCount; --i) Delete(i);
  }
}

void TList::SetCapacity(Integer NewCapacity) {
  if (NewCapacity < Count() || NewCapacity > MaxListSize)
    ListError("List capacity out of bounds", NewCapacity);
  if (NewCapacity == FCapacity) return;
  if (NewCapacity < static_cast<Integer>(FItems.capacity())) {
    std::vector<void*> copy;
    copy.reserve(NewCapacity);
    copy.assign(FItems.begin(), FItems.end());
    FItems.swap(copy);
  } else {
    FItems.reserve(NewCapacity);
  }
  FCapacity = NewCapacity;
}

void* TList::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return FItems[Index];
}

void TList::SetItems(Integer Index, void* Item) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  void* old = FItems[Index];
  if (old == Item) return;
  FItems[Index] = Item;
  if (old) Notify(old, lnDeleted);
  if (Item) Notify(Item, lnAdded);
}

// ---------------------------------------------------------------------------

TObjectList::~TObjectList() { Clear(); }

void TObjectList::Notify(void* Ptr, TListNotification Action) {
  if (FOwnsObjects && Action == lnDeleted) delete static_cast<TObject*>(Ptr);
  TList::Notify(Ptr, Action);
}

Integer TObjectList::FindInstanceOf(TClass AClass, bool AExact, Integer AStartAt) const {
  for (Integer i = std::max(AStartAt, 0); i < Count(); ++i) {
    auto* obj = static_cast<TObject*>(TList::Items(i));
    if (!obj) continue;
    if (AExact ? obj->ClassType() == AClass : obj->InheritsFrom(AClass)) return i;
  }
  return -1;
}
