#include "cxClasses.h"

#include <algorithm>
#include <numeric>

#include "VclWindows.h"

#include <cstring>

#include "Classes.h"
#include "Collation.h"
#include "Strings.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Utf8.h"
#include "cxGeometry.h"

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

// ---------------------------------------------------------------------------

TOVANI_IMPLEMENT_CLASS(TcxInterfacedPersistent, TPersistent)
TOVANI_IMPLEMENT_CLASS(TcxComponent, TComponent)
TOVANI_PUBLISHED(TcxComponent) {
  Property("FakeComponentLink1", &TcxComponent::FakeComponentLink1, &TcxComponent::SetFakeComponentLink1).Stored(false);
  Property("FakeComponentLink2", &TcxComponent::FakeComponentLink2, &TcxComponent::SetFakeComponentLink2).Stored(false);
  Property("FakeComponentLink3", &TcxComponent::FakeComponentLink3, &TcxComponent::SetFakeComponentLink3).Stored(false);
}

TcxComponent::TcxComponent(TComponent* AOwner) : TComponent(AOwner) {}

TcxComponent::~TcxComponent() {
  BeforeDestruction();
  cxInvalidateObjectLinks(this);
}

void TcxComponent::BeforeDestruction() {
  if (!IsDestroying()) Destroying();
}

void TcxComponent::Loaded() {
  TComponent::Loaded();
  RefreshFakeLinks();
}

void TcxComponent::RefreshFakeLinks() {
  if (!IsDesigning() || IsDestroying() || !Owner()) return;
  std::vector<TComponent*> list;
  CollectFakeLinks(list);
  for (size_t i = 0; i < 3; ++i) FFakeLinks[i] = i < list.size() ? list[i] : nullptr;
}

// ---------------------------------------------------------------------------

TOVANI_IMPLEMENT_CLASS(TcxObjectList, TList)

TcxObjectList::~TcxObjectList() { Clear(); }

void TcxObjectList::Clear() {
  for (Integer i = 0; i < Count(); ++i) delete GetObject(i);
  TList::Clear();
}

// ---------------------------------------------------------------------------
// Object links

TOVANI_IMPLEMENT_CLASS(TcxObjectLink, TObject)

namespace {
// The process-wide list of live links; it exists while any link does.
struct TcxObjectLinkController {
  std::vector<TcxObjectLink*> Links;
  Integer RefCount = 0;
  void RemoveLink(TcxObjectLink* L) {
    for (size_t i = Links.size(); i-- > 0;)
      if (Links[i] == L) {
        Links.erase(Links.begin() + i);
        return;
      }
  }
};
TcxObjectLinkController* LinkController = nullptr;
}  // namespace

TcxObjectLink* cxCreateObjectLink(TObject* AObject) {
  if (!AObject) return nullptr;
  if (!LinkController) LinkController = new TcxObjectLinkController;
  ++LinkController->RefCount;
  auto* link = new TcxObjectLink(AObject);
  LinkController->Links.push_back(link);
  return link;
}

void cxReleaseObjectLink(TcxObjectLink* ALink) {
  if (!ALink) return;
  if (LinkController) {
    // A cleared link has already left the list.
    if (ALink->Ref) LinkController->RemoveLink(ALink);
    if (--LinkController->RefCount == 0) {
      delete LinkController;
      LinkController = nullptr;
    }
  }
  delete ALink;
}

void cxInvalidateObjectLinks(TObject* AObject) {
  if (!LinkController) return;
  auto& links = LinkController->Links;
  for (size_t i = links.size(); i-- > 0;)
    if (links[i]->Ref == AObject) {
      links[i]->Ref = nullptr;
      links.erase(links.begin() + i);
    }
}

Integer cxObjectLinkCount() { return LinkController ? Integer(LinkController->Links.size()) : -1; }

// ---------------------------------------------------------------------------

TOVANI_IMPLEMENT_CLASS(TcxFreeNotificator, TComponent)

TcxFreeNotificator::~TcxFreeNotificator() {
  // The event must not fire from the base destructor's notifications.
  OnComponentFreed = nullptr;
  DestroyComponents();
}

void TcxFreeNotificator::AddSender(TComponent* AComponent) {
  if (AComponent) AComponent->FreeNotification(this);
}

void TcxFreeNotificator::RemoveSender(TComponent* AComponent) {
  if (AComponent) AComponent->RemoveFreeNotification(this);
}

void TcxFreeNotificator::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && OnComponentFreed) OnComponentFreed(this, AComponent);
}

// ---------------------------------------------------------------------------
// Resource texts

namespace {
struct TcxResourceTextTable {
  int Mode = 2;
  std::unique_ptr<TStringList> Keys;
  std::unique_ptr<TStringList> Texts;
};
TcxResourceTextTable& ResourceTable() {
  static TcxResourceTextTable table;
  return table;
}
}  // namespace

Integer cxFindResourceTextReplacement(const TcxResourceString& AResString) {
  TcxResourceTextTable& t = ResourceTable();
  if (!t.Keys) return -1;
  switch (t.Mode) {
    case 0: return t.Keys->IndexOf(AResString.Text);
    case 1:
      return t.Keys->IndexOfObject(reinterpret_cast<TObject*>(const_cast<TcxResourceString*>(&AResString)));
    default: return -1;
  }
}

String cxLoadResourceText(const TcxResourceString& AResString) {
  Integer i = cxFindResourceTextReplacement(AResString);
  if (i == -1) return AResString.Text ? AResString.Text : "";
  return ResourceTable().Texts->Strings(i);
}

void cxFreeResourceTextTables() {
  TcxResourceTextTable& t = ResourceTable();
  t.Mode = 2;
  t.Keys.reset();
  t.Texts.reset();
}

// ---------------------------------------------------------------------------
// Helpers

TPersistent* cxGetPersistentOwner(TPersistent* APersistent) {
  struct TOwnerReader : TPersistent {
    static TPersistent* Of(TPersistent* P) { return static_cast<TOwnerReader*>(P)->GetOwner(); }
  };
  return APersistent ? TOwnerReader::Of(APersistent) : nullptr;
}

String cxReadLocaleInfo(Cardinal Locale, Cardinal LCType, const String& Default) {
  int size = GetLocaleInfoW(Locale, LCType, nullptr, 0);
  if (size <= 0) return Default;
  std::u16string buf(size_t(size), u'\0');
  if (GetLocaleInfoW(Locale, LCType, reinterpret_cast<LPWSTR>(buf.data()), size) <= 0) return Default;
  buf.resize(size_t(size - 1));   // the terminating NUL
  return Utf16ToUtf8(buf);
}

Integer cxCharLengthAt(const String& S, Integer Pos) {
  if (Pos < 1 || size_t(Pos) > S.size()) return 0;
  unsigned char c = static_cast<unsigned char>(S[size_t(Pos - 1)]);
  Integer n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  // A truncated sequence at the end counts only the bytes that are there.
  return std::min<Integer>(n, Integer(S.size()) - Pos + 1);
}

void cxMoveBytes(const void* Source, void* Dest, Integer Count) {
  if (Count > 0) std::memmove(Dest, Source, size_t(Count));
}

// ---------------------------------------------------------------------------
// Auto width

TOVANI_IMPLEMENT_CLASS(TcxAutoWidthItem, TObject)
TOVANI_IMPLEMENT_CLASS(TcxAutoWidthObject, TObject)

TcxAutoWidthObject::TcxAutoWidthObject(Integer ACapacity) {
  if (ACapacity > 0) FItems.reserve(size_t(std::min<Integer>(ACapacity, 4096)));
}

TcxAutoWidthObject::~TcxAutoWidthObject() {
  for (size_t i = FItems.size(); i-- > 0;) delete FItems[i];
}

TcxAutoWidthItem* TcxAutoWidthObject::NewItem() {
  FItems.push_back(new TcxAutoWidthItem);
  return FItems.back();
}

TcxAutoWidthItem* TcxAutoWidthObject::GetItemByIndex(Integer Index) const {
  if (Index < 0 || Index >= ItemCount()) ListIndexError(Index);
  return FItems[size_t(Index)];
}

Integer TcxAutoWidthObject::TotalWidth() const {
  Integer total = 0;
  for (auto* item : FItems) total += item->Width;
  return total;
}

void TcxAutoWidthObject::DistributeWidths() {
  Integer remainingAvailable = AvailableWidth;
  Integer remainingTotal = TotalWidth();
  for (auto* item : FItems)
    if (item->Fixed) {
      item->AutoWidth = item->Width;
      remainingAvailable -= item->AutoWidth;
      remainingTotal -= item->Width;
    }
  bool finalPass = false;
  bool clamped;
  do {
    Integer a = remainingAvailable, w = remainingTotal, acc = 0;
    clamped = false;
    for (auto* item : FItems) {
      if (item->AutoWidth != -1) continue;
      // The cumulative form makes the shares add up exactly to A; cxMulDiv
      // answers 0 where the platform's MulDiv would answer -1 for W = 0.
      Integer share = cxMulDiv(acc + item->Width, a, w) - cxMulDiv(acc, a, w);
      if (finalPass)
        item->AutoWidth = share;
      else if (item->MinWidth >= share) {
        item->AutoWidth = item->MinWidth;
        remainingAvailable -= item->AutoWidth;
        remainingTotal -= item->Width;
        clamped = true;
      }
      acc += item->Width;
    }
    if (!clamped) finalPass = !finalPass;
  } while (remainingTotal != 0 && (clamped || finalPass));
}
