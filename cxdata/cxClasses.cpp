#include "cxClasses.h"

#include <algorithm>
#include <numeric>

#include "Classes.h"
#include "Collation.h"
#include "SysUtils.h"

TOVANI_IMPLEMENT_CLASS(TcxRegisteredClassListItemData, TObject)
TOVANI_IMPLEMENT_CLASS(TcxRegisteredClassList, TObject)
TOVANI_IMPLEMENT_CLASS(TcxRegisteredClasses, TObject)

namespace {
[[noreturn]] void ListIndexError(Integer Index) {
  throw EListError(Format("List index out of bounds (%d)", {Index}));
}
}  // namespace

TcxRegisteredClassList::~TcxRegisteredClassList() { Clear(); }

void TcxRegisteredClassList::Clear() { FItems.clear(); }

const TcxRegisteredClassListItemData* TcxRegisteredClassList::GetPair(Integer Index) const {
  if (Index < 0 || Index >= GetPairCount()) ListIndexError(Index);
  return FItems[Index].get();
}

bool TcxRegisteredClassList::FindClassPair(TClass AClass, Integer& Index) const {
  // From the end: the first entry that AClass is or inherits from is the most
  // derived registered ancestor (and the latest of equal item classes).
  for (Integer i = GetPairCount() - 1; i >= 0; --i) {
    TClass item = FItems[i]->ItemClass;
    if (AClass && AClass->InheritsFrom(item)) {
      Index = i;
      return true;
    }
    if (item && AClass && item->InheritsFrom(AClass)) Index = i;
  }
  return false;
}

void TcxRegisteredClassList::AddClassPair(TClass AItemClass, TClass ARegisteredClass) {
  Integer index = -1;
  auto entry = std::make_unique<TcxRegisteredClassListItemData>(AItemClass, ARegisteredClass);
  if (FindClassPair(AItemClass, index))
    FItems.insert(FItems.begin() + index + 1, std::move(entry));
  else if (index == -1)
    FItems.push_back(std::move(entry));
  else
    FItems.insert(FItems.begin() + index, std::move(entry));
}

void TcxRegisteredClassList::RemoveClassPair(TClass AItemClass, TClass ARegisteredClass) {
  for (Integer i = GetPairCount() - 1; i >= 0; --i)
    if (FItems[i]->ItemClass == AItemClass && FItems[i]->RegisteredClass == ARegisteredClass)
      FItems.erase(FItems.begin() + i);
}

TClass TcxRegisteredClassList::FindClass(TClass AClass) const {
  Integer index = -1;
  return FindClassPair(AClass, index) ? FItems[index]->RegisteredClass : nullptr;
}

// ---------------------------------------------------------------------------

String cxTextBeforeBar(const String& S) {
  size_t p = S.find('|');
  return p == String::npos ? S : S.substr(0, p);
}

TcxRegisteredClasses::TcxRegisteredClasses(bool ARegisterClasses)
    : FRegisterClasses(ARegisterClasses) {}

TcxRegisteredClasses::~TcxRegisteredClasses() { Clear(); }

const TcxRegisteredClasses::TEntry& TcxRegisteredClasses::Entry(Integer Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return FItems[Index];
}

TClass TcxRegisteredClasses::Items(Integer Index) const { return Entry(Index).Class; }

String TcxRegisteredClasses::GetDescription(Integer Index) const {
  return cxTextBeforeBar(Entry(Index).Description);
}

const String& TcxRegisteredClasses::GetFullDescription(Integer Index) const {
  return Entry(Index).Description;
}

Integer TcxRegisteredClasses::IndexOfClass(TClass AClass) const {
  for (Integer i = 0; i < Count(); ++i)
    if (FItems[i].Class == AClass) return i;
  return -1;
}

void TcxRegisteredClasses::AddClass(TClass AClass, const String& ADescription) {
  if (IndexOfClass(AClass) != -1) return;
  FItems.push_back({ADescription, AClass});
  if (FSorted) SortByDescription();
  if (FRegisterClasses) RegisterClass(AClass);
}

void TcxRegisteredClasses::RemoveClass(TClass AClass) {
  Integer i = IndexOfClass(AClass);
  if (i != -1) FItems.erase(FItems.begin() + i);
}

void TcxRegisteredClasses::Clear() { FItems.clear(); }

void TcxRegisteredClasses::SetSorted(bool Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  if (FSorted) SortByDescription();
}

int TcxRegisteredClasses::CompareDescriptions(Integer Index1, Integer Index2) const {
  return AnsiCompareText(GetDescription(Index1), GetDescription(Index2));
}

void TcxRegisteredClasses::SortByDescription() {
  // Sort an index permutation so that CompareDescriptions sees the indexes of
  // the current order, then apply it.
  std::vector<Integer> order(FItems.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [this](Integer a, Integer b) { return CompareDescriptions(a, b) < 0; });
  std::vector<TEntry> sorted;
  sorted.reserve(FItems.size());
  for (Integer i : order) sorted.push_back(std::move(FItems[i]));
  FItems = std::move(sorted);
}
