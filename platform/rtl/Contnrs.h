// Pointer lists: TList (untyped pointers, the class library's general list)
// and TObjectList (objects, optionally owned and deleted by the list).
#pragma once
#include "System.h"

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// Compare function for TList::Sort: negative, zero or positive like strcmp.
using TListSortCompare = int (*)(void* Item1, void* Item2);

class TList : public TObject {
  TOVANI_CLASS(TList, TObject)
 public:
  // Largest number of entries a list may hold; larger counts or capacities
  // raise EListError instead of trying to allocate.
  static constexpr Integer MaxListSize = 134217727;

  TList() = default;
  ~TList() override;

  Integer Add(void* Item);
  void Insert(Integer Index, void* Item);
  void Delete(Integer Index);
  // Removes the first occurrence; answers its former index or -1.
  Integer Remove(void* Item);
  // Removes the first occurrence without deleting it (notification
  // lnExtracted); answers the item or null when it is not in the list.
  void* Extract(void* Item);
  Integer IndexOf(void* Item) const;
  void Exchange(Integer Index1, Integer Index2);
  void Move(Integer CurIndex, Integer NewIndex);
  // Removes every null entry.
  void Pack();
  void Sort(TListSortCompare Compare);
  virtual void Clear();
  // Grows the capacity ahead of the count; answers the list.
  TList* Expand();

  void* First() const;
  void* Last() const;

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // A larger count appends null entries; a smaller one deletes from the end.
  void SetCount(Integer NewCount);
  Integer Capacity() const { return FCapacity; }
  void SetCapacity(Integer NewCapacity);

  void* Items(Integer Index) const;
  void SetItems(Integer Index, void* Item);
  void* operator[](Integer Index) const { return Items(Index); }

  // The entries themselves, for range-for loops and fast scans.
  void* const* List() const { return FItems.data(); }
  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

 protected:
  // Called after an item was added to the list or removed from it; TObjectList
  // deletes owned objects here. Null items are not notified.
  virtual void Notify(void* Ptr, TListNotification Action);
  [[noreturn]] static void IndexError(Integer Index);

 private:
  std::vector<void*> FItems;
  Integer FCapacity = 0;
};

// A list of objects. With OwnsObjects (the default) an object removed by
// Delete, Remove, Clear, SetItems or the list's destruction is deleted;
// Extract hands it back without deleting it.
class TObjectList : public TList {
  TOVANI_CLASS(TObjectList, TList)
 public:
  TObjectList() = default;
  explicit TObjectList(bool AOwnsObjects) : FOwnsObjects(AOwnsObjects) {}
  ~TObjectList() override;

  Integer Add(TObject* AObject) { return TList::Add(AObject); }
  void Insert(Integer Index, TObject* AObject) { TList::Insert(Index, AObject); }
  Integer Remove(TObject* AObject) { return TList::Remove(AObject); }
  TObject* Extract(TObject* Item) { return static_cast<TObject*>(TList::Extract(Item)); }
  Integer IndexOf(TObject* AObject) const { return TList::IndexOf(AObject); }
  // First index from AStartAt whose object is of class AClass (exactly, or a
  // descendant when AExact is false); -1 when there is none.
  Integer FindInstanceOf(TClass AClass, bool AExact = true, Integer AStartAt = 0) const;

  TObject* Items(Integer Index) const { return static_cast<TObject*>(TList::Items(Index)); }
  void SetItems(Integer Index, TObject* AObject) { TList::SetItems(Index, AObject); }
  TObject* operator[](Integer Index) const { return Items(Index); }
  TObject* First() const { return static_cast<TObject*>(TList::First()); }
  TObject* Last() const { return static_cast<TObject*>(TList::Last()); }

  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

 protected:
  void Notify(void* Ptr, TListNotification Action) override;

 private:
  bool FOwnsObjects = true;
};
