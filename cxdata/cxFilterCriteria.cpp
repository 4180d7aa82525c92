// The criteria tree, its evaluation, value lists, and its text and stream forms.
#include "cxFilter.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "Collation.h"
#include "DateUtils.h"
#include "Streaming.h"
#include "Streams.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "cxVariants.h"

TOVANI_IMPLEMENT_ENUM_INFO(TcxFilterCriteriaOption, "fcoCaseInsensitive",
                           "fcoShowOperatorDescription", "fcoSoftNull", "fcoSoftCompare",
                           "fcoIgnoreNull")

TOVANI_IMPLEMENT_CLASS(TcxCustomFilterCriteriaItem, TObject)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterCriteriaItemList, TcxCustomFilterCriteriaItem)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterCriteriaItem, TcxCustomFilterCriteriaItem)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterValueList, TObject)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxFilterCriteria, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TFilterWrapper, TComponent)

TOVANI_PUBLISHED(TcxFilterCriteria) {
  Property("MaxValueListCount", &TcxFilterCriteria::MaxValueListCount,
           &TcxFilterCriteria::SetMaxValueListCount).Default(0);
  Property("Options", &TcxFilterCriteria::Options, &TcxFilterCriteria::SetOptions)
      .Default(TcxFilterCriteriaOptions{});
  Property("PercentWildcard", &TcxFilterCriteria::PercentWildcard,
           &TcxFilterCriteria::SetPercentWildcard).Default('%');
  Property("UnderscoreWildcard", &TcxFilterCriteria::UnderscoreWildcard,
           &TcxFilterCriteria::SetUnderscoreWildcard).Default('_');
  Property("OnChanged", &TcxFilterCriteria::OnChanged);
}

TOVANI_PUBLISHED(TFilterWrapper) {
  Property("Filter", &TFilterWrapper::Filter, &TFilterWrapper::SetFilter);
}

namespace {

[[noreturn]] void ReadError() { throw EReadError("Stream read error"); }

// Nested lists deeper than this are taken as a damaged stream.
constexpr int MaxListNesting = 256;

// Holds the criteria's change lock for a scope; the announcement comes at
// the end also when an error leaves the scope.
class TChangeLock {
 public:
  explicit TChangeLock(TcxFilterCriteria* C) : FCriteria(C) { FCriteria->LockChanges(); }
  ~TChangeLock() noexcept(false) {
    if (FSilent) {
      FCriteria->UnlockSilently();
      return;
    }
    try {
      FCriteria->UnlockChanges();
    } catch (...) {
      if (!std::uncaught_exceptions()) throw;
    }
  }
  void Silent() { FSilent = true; }

 private:
  TcxFilterCriteria* FCriteria;
  bool FSilent = false;
};

Int64 StreamRemaining(TStream* S) {
  Int64 size = S->Size(), pos = S->Position();
  if (size < 0 || pos < 0) return -1;
  return size > pos ? size - pos : 0;
}

// A member count the stream must still hold (each member takes more than a byte).
void CheckMemberCount(TStream* S, Int64 Count) {
  if (Count < 0) ReadError();
  Int64 rem = StreamRemaining(S);
  if (rem >= 0 && Count > rem) ReadError();
}

template <class T> T* CreateOf(TClass Cls) {
  if (!Cls || !Cls->Factory || !Cls->InheritsFrom(T::StaticClass()))
    throw EInvalidOperation(String("Cannot create ") + (Cls ? Cls->Name : "nil"));
  TObject* obj = Cls->Factory();
  obj->AfterConstruction();
  return static_cast<T*>(obj);
}

thread_local int ReadNesting = 0;

}  // namespace

Integer cxFilterIdOfVersion(Integer Version) {
  return Version == 2 ? -1 : (Version == 3 ? -2 : 0);
}

Integer cxFilterVersionOfId(Integer Id) { return Id == -2 ? 3 : (Id == -1 ? 2 : 1); }

// ---------------------------------------------------------------------------
// Items

TcxCustomFilterCriteriaItem::~TcxCustomFilterCriteriaItem() {
  if (FParent) FParent->DetachItem(this);
}

TcxFilterCriteria* TcxCustomFilterCriteriaItem::Criteria() const {
  return FParent ? FParent->Criteria() : nullptr;
}

void TcxCustomFilterCriteriaItem::NotifyChanged() {
  if (TcxFilterCriteria* c = Criteria()) c->SignalChanged();
}

TcxFilterCriteriaItemList::~TcxFilterCriteriaItemList() {
  while (!FItems.empty()) delete FItems.back();   // each member detaches itself
}

TcxFilterCriteria* TcxFilterCriteriaItemList::Criteria() const {
  return FCriteria ? FCriteria : TcxCustomFilterCriteriaItem::Criteria();
}

void TcxFilterCriteriaItemList::Append(TcxCustomFilterCriteriaItem* Item) {
  Item->FParent = this;
  FItems.push_back(Item);
}

void TcxFilterCriteriaItemList::DetachItem(TcxCustomFilterCriteriaItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  Item->FParent = nullptr;
  NotifyChanged();
}

TcxFilterCriteriaItem* TcxFilterCriteriaItemList::AddCondition(TObject* ALink,
                                                              TcxFilterOperatorCode AKind,
                                                              const Variant& AOperand,
                                                              const String& ADisplayValue) {
  TcxFilterCriteria* c = Criteria();
  auto* item = CreateOf<TcxFilterCriteriaItem>(c ? c->ItemClass() : TcxFilterCriteriaItem::StaticClass());
  Append(item);
  item->Initialize(ALink, AKind, AOperand, ADisplayValue);
  NotifyChanged();
  return item;
}

TcxFilterCriteriaItemList* TcxFilterCriteriaItemList::AddGroup(TcxFilterGroupOperator G) {
  TcxFilterCriteria* c = Criteria();
  auto* list = CreateOf<TcxFilterCriteriaItemList>(c ? c->ItemListClass() : StaticClass());
  list->FGroupOperator = G;
  Append(list);
  NotifyChanged();
  return list;
}

void TcxFilterCriteriaItemList::SetGroupOperator(TcxFilterGroupOperator Value) {
  if (FGroupOperator == Value) return;
  FGroupOperator = Value;
  NotifyChanged();
}

void TcxFilterCriteriaItemList::ClearItems() {
  TcxFilterCriteria* c = Criteria();
  if (c) c->LockChanges();
  while (!FItems.empty()) delete FItems.back();
  if (c) c->UnlockChanges();
}

TcxCustomFilterCriteriaItem* TcxFilterCriteriaItemList::Items(Integer Index) const {
  return Index >= 0 && Index < Count() ? FItems[Index] : nullptr;
}

Integer TcxFilterCriteriaItemList::IndexOf(const TcxCustomFilterCriteriaItem* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : Integer(it - FItems.begin());
}

bool TcxFilterCriteriaItemList::Matches(Integer ARecord) {
  // Every member is evaluated (no short cut), in order.
  bool r = true;
  for (size_t i = 0; i < FItems.size(); ++i) {
    TcxCustomFilterCriteriaItem* m = FItems[i];
    const bool v = m->IsGroup() ? static_cast<TcxFilterCriteriaItemList*>(m)->Matches(ARecord)
                                : static_cast<TcxFilterCriteriaItem*>(m)->Matches(ARecord);
    if (i == 0) {
      r = (FGroupOperator == fgoAnd || FGroupOperator == fgoOr) ? v : !v;
      continue;
    }
    switch (FGroupOperator) {
      case fgoAnd: r = r && v; break;
      case fgoOr: r = r || v; break;
      case fgoNotAnd: r = r || !v; break;
      case fgoNotOr: r = r && !v; break;
    }
  }
  return r;
}

void TcxFilterCriteriaItemList::WriteTo(TStream* S) {
  cxWriteByte(S, FGroupOperator);
  cxWriteInteger(S, Count());
  for (TcxCustomFilterCriteriaItem* m : FItems) {
    cxWriteBoolean(S, m->IsGroup());
    m->WriteTo(S);
  }
}

namespace {
void ReadMembers(TcxFilterCriteriaItemList* List, TStream* S, Int64 Count) {
  CheckMemberCount(S, Count);
  for (Int64 i = 0; i < Count; ++i) {
    const bool group = cxReadBoolean(S);
    TcxCustomFilterCriteriaItem* child =
        group ? static_cast<TcxCustomFilterCriteriaItem*>(List->AddGroup(fgoAnd))
              : List->AddCondition(nullptr, focEqual, Variant(), String());
    try {
      child->ReadFrom(S);
    } catch (...) {
      if (child->IsVoid()) delete child;
      throw;
    }
    if (child->IsVoid()) delete child;   // unresolved link or no members: dropped
  }
}
}  // namespace

void TcxFilterCriteriaItemList::ReadFrom(TStream* S) {
  if (ReadNesting >= MaxListNesting) ReadError();
  struct TNest {
    TNest() { ++ReadNesting; }
    ~TNest() { --ReadNesting; }
  } nest;
  const Byte g = cxReadByte(S);
  if (g > fgoNotOr) ReadError();
  SetGroupOperator(TcxFilterGroupOperator(g));
  ReadMembers(this, S, cxReadInteger(S));
}

// Conditions ------------------------------------------------------------------

TcxFilterCriteriaItem::~TcxFilterCriteriaItem() = default;

void TcxFilterCriteriaItem::Initialize(TObject* ALink, TcxFilterOperatorCode AKind,
                                       const Variant& AOperand, const String& ADisplayValue) {
  FLink = ALink;
  FDisplayValue = ADisplayValue;
  FOperatorKind = AKind;
  FOperand = AOperand;
  RebuildOperator();
  ApplyBlankDisplay();
}

Variant TcxFilterCriteriaItem::LinkValue(Integer) { return Variant::Null(); }
String TcxFilterCriteriaItem::LinkCaption() { return String(); }
String TcxFilterCriteriaItem::LinkFieldName() { return String(); }

String TcxFilterCriteriaItem::DisplayValueText() {
  String s = FDisplayValue;
  if (FOperator) FOperator->PrepareDisplayText(s);
  return s;
}

String TcxFilterCriteriaItem::ValueTextFor(bool AsCaption) {
  if (AsCaption) return DisplayValueText();
  return FOperator ? FOperator->ValueText(FOperand) : String();
}

bool TcxFilterCriteriaItem::IsNullValue(const Variant& V) const {
  TcxFilterCriteria* c = Criteria();
  return c ? c->IsNullValue(V) : V.IsNull();
}

TClass TcxFilterCriteriaItem::OperatorClass() {
  switch (FOperatorKind) {
    case focEqual:
    case focLike:
      if (IsNullValue(FOperand)) return TcxFilterNullOperator::StaticClass();
      break;
    case focNotEqual:
    case focNotLike:
      if (IsNullValue(FOperand)) return TcxFilterNotNullOperator::StaticClass();
      break;
    default:
      break;
  }
  return cxFilterOperatorClassOf(FOperatorKind);
}

void TcxFilterCriteriaItem::RebuildOperator() {
  const bool had = FOperator != nullptr;
  FOperator.reset(CreateOf<TcxFilterOperator>(OperatorClass()));
  FOperator->FItem = this;
  FOperator->Prepare();
  if (had) NotifyChanged();
}

void TcxFilterCriteriaItem::SetLink(TObject* Value) {
  if (FLink == Value) return;
  FLink = Value;
  NotifyChanged();
}

void TcxFilterCriteriaItem::SetOperatorKind(TcxFilterOperatorCode Value) {
  if (Value >= cxFilterOperatorCodeCount) throw EInvalidArgument("Invalid filter operator");
  if (FOperatorKind == Value) return;
  FOperatorKind = Value;
  RebuildOperator();
}

void TcxFilterCriteriaItem::SetOperand(const Variant& Value) {
  if (cxVarCompare(FOperand, Value) == 0) return;
  FOperand = Value;
  FPreparedGeneration = 0;
  RebuildOperator();
}

void TcxFilterCriteriaItem::SetDisplayValue(const String& Value) {
  if (FDisplayValue == Value) return;
  FDisplayValue = Value;
  NotifyChanged();
}

void TcxFilterCriteriaItem::ApplyBlankDisplay() {
  if (FOperator && FOperator->TestsNull() && FDisplayValue.empty())
    FDisplayValue = cxDataResourceText(cxSFilterBlankCaption);
}

const Variant& TcxFilterCriteriaItem::PreparedOperand() {
  TcxFilterCriteria* c = Criteria();
  const UInt64 gen = c ? c->PrepareGeneration() : 1;
  if (FPreparedGeneration != gen) {
    FPreparedOperand = c ? c->PrepareValue(FOperand) : FOperand;
    FPreparedGeneration = gen;
  }
  return FPreparedOperand;
}

bool TcxFilterCriteriaItem::Matches(Integer ARecord) {
  TcxFilterCriteria* c = Criteria();
  const TcxFilterCriteriaOptions options = c ? c->Options() : TcxFilterCriteriaOptions{};
  try {
    const Variant v1 = c ? c->PrepareValue(LinkValue(ARecord)) : LinkValue(ARecord);
    const Variant& v2 = PreparedOperand();
    if (options.Contains(fcoIgnoreNull) && !FOperator->TestsNull() && IsNullValue(v1)) return false;
    return FOperator->Matches(v1, v2);
  } catch (const EVariantError& e) {
    if (cxIsVarConversionError(e) && options.Contains(fcoSoftCompare)) return false;
    throw;
  }
}

void TcxFilterCriteriaItem::WriteTo(TStream* S) {
  TcxFilterCriteria* c = Criteria();
  cxWriteByte(S, FOperatorKind);
  cxWriteAnsiString(S, FDisplayValue);
  cxWriteInteger(S, c ? c->LinkId(FLink) : -1);
  if (c && c->SavingVersion() > 2) cxWriteAnsiString(S, c->LinkName(FLink));
  cxWriteVariant(S, FOperand);
}

void TcxFilterCriteriaItem::ReadFrom(TStream* S) {
  TcxFilterCriteria* c = Criteria();
  const Byte kind = cxReadByte(S);
  if (kind >= cxFilterOperatorCodeCount) ReadError();
  SetOperatorKind(TcxFilterOperatorCode(kind));
  SetDisplayValue(cxReadAnsiString(S));
  const Integer id = cxReadInteger(S);
  const String name = c && c->LoadedVersion() >= 3 ? cxReadAnsiString(S) : String();
  SetOperand(cxReadVariant(S));
  TObject* link = nullptr;
  if (c) {
    if (!name.empty()) {
      link = c->LinkByName(name);
      if (!link) {
        // A link found by its id only stands in for a column without a name.
        link = c->LinkById(id);
        if (link && !c->LinkName(link).empty()) link = nullptr;
      }
    } else {
      link = c->LinkById(id);
    }
  }
  SetLink(link);
  ApplyBlankDisplay();
}

// ---------------------------------------------------------------------------
// Value lists

int TcxFilterValueList::CompareEntry(Integer Index, const Variant& Value, const String& Text) {
  const TcxFilterValueItem& e = EntryAt(Index);
  if (FSortsByText) {
    String a = e.DisplayText, b = Text;
    if (FCriteria && FCriteria->Options().Contains(fcoCaseInsensitive)) {
      a = AnsiUpperCase(a);
      b = AnsiUpperCase(b);
    }
    int c = AnsiCompareStr(a, b);
    if (c != 0) return c;
  }
  if (!FCriteria) return cxVarCompare(e.Value, Value);
  return cxVarCompare(FCriteria->PrepareValue(e.Value), FCriteria->PrepareValue(Value));
}

Integer TcxFilterValueList::FirstValueIndex() const {
  for (Integer i = 0; i < EntryCount(); ++i)
    if (FItems[i].Kind == fvkValue) return i;
  return EntryCount();
}

const TcxFilterValueItem& TcxFilterValueList::EntryAt(Integer Index) const {
  if (Index < 0 || Index >= EntryCount())
    throw EListError(Format("List index out of bounds (%d)", {Index}));
  return FItems[Index];
}

void TcxFilterValueList::AddEntry(TcxFilterValueKind Kind, const Variant& Value,
                                  const String& Text, bool Append) {
  TcxFilterValueItem item{Kind, Value, Text};
  if (Kind != fvkValue) {
    FItems.insert(FItems.begin() + FirstValueIndex(), std::move(item));
    return;
  }
  if (Append) {
    FItems.push_back(std::move(item));
    return;
  }
  const Integer max = FCriteria ? FCriteria->MaxValueListCount() : 0;
  if (max != 0 && EntryCount() >= max) return;
  Integer index;
  if (!FindEntry(Value, Text, index)) FItems.insert(FItems.begin() + index, std::move(item));
}

bool TcxFilterValueList::FindEntry(const Variant& Value, const String& Text, Integer& Index) {
  Integer lo = FirstValueIndex(), hi = EntryCount() - 1;
  bool found = false;
  while (lo <= hi) {
    const Integer mid = lo + (hi - lo) / 2;
    const int c = CompareEntry(mid, Value, Text);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;   // on equality go on to the left: the first equal entry
      if (c == 0) found = true;
    }
  }
  Index = lo;
  return found;
}

Integer TcxFilterValueList::FindEntryByKind(TcxFilterValueKind Kind, const Variant& Value) {
  for (Integer i = 0; i < EntryCount(); ++i)
    if (FItems[i].Kind == Kind && (Value.IsNull() || cxVarEquals(FItems[i].Value, Value))) return i;
  return -1;
}

Integer TcxFilterValueList::EntryIndexForItem(TcxFilterCriteriaItem* Item) {
  if (!Item) return FindEntryByKind(fvkAll);
  if (Item->IsNullValue(Item->Operand())) {
    if (Item->OperatorKind() == focEqual) return FindEntryByKind(fvkBlanks);
    if (Item->OperatorKind() == focNotEqual) return FindEntryByKind(fvkNonBlanks);
  }
  Integer index;
  if (Item->OperatorKind() == focEqual && FindEntry(Item->Operand(), Item->DisplayValue(), index))
    return index;
  return FindEntryByKind(fvkCustom);
}

// ---------------------------------------------------------------------------
// Criteria

TcxFilterCriteria::TcxFilterCriteria() : FRoot(new TcxFilterCriteriaItemList) {
  FRoot->FCriteria = this;
}

TcxFilterCriteria::~TcxFilterCriteria() {
  // No announcements while the tree goes.
  ++FLockCount;
  FRoot.reset();
}

TcxFilterCriteriaItem* TcxFilterCriteria::AddCondition(TcxFilterCriteriaItemList* AParent,
                                                       TObject* ALink, TcxFilterOperatorCode AKind,
                                                       const Variant& AOperand,
                                                       const String& ADisplayValue) {
  return (AParent ? AParent : FRoot.get())->AddCondition(ALink, AKind, AOperand, ADisplayValue);
}

void TcxFilterCriteria::ClearConditions() {
  TChangeLock lock(this);
  FRoot->ClearItems();
  FRoot->SetGroupOperator(fgoAnd);
}

namespace {
TcxFilterCriteriaItem* FindByLink(TcxFilterCriteriaItemList* List, TObject* Link) {
  for (Integer i = 0; i < List->Count(); ++i) {
    TcxCustomFilterCriteriaItem* m = List->Items(i);
    if (m->IsGroup()) {
      if (auto* r = FindByLink(static_cast<TcxFilterCriteriaItemList*>(m), Link)) return r;
    } else if (static_cast<TcxFilterCriteriaItem*>(m)->Link() == Link) {
      return static_cast<TcxFilterCriteriaItem*>(m);
    }
  }
  return nullptr;
}

void PrepareList(TcxFilterCriteriaItemList* List) {
  for (Integer i = 0; i < List->Count(); ++i) {
    TcxCustomFilterCriteriaItem* m = List->Items(i);
    if (m->IsGroup())
      PrepareList(static_cast<TcxFilterCriteriaItemList*>(m));
    else if (auto* op = static_cast<TcxFilterCriteriaItem*>(m)->Operator())
      op->Prepare();
  }
}
}  // namespace

TcxFilterCriteriaItem* TcxFilterCriteria::FindItemByLink(TObject* ALink) {
  return FindByLink(FRoot.get(), ALink);
}

bool TcxFilterCriteria::HasNoConditions() const { return FRoot->Count() == 0; }

void TcxFilterCriteria::RemoveLinkConditions(TObject* ALink) {
  LockChanges();
  bool removed = false;
  try {
    while (TcxFilterCriteriaItem* item = FindItemByLink(ALink)) {
      removed = true;
      TcxFilterCriteriaItemList* parent = item->Parent();
      delete item;
      if (parent == FRoot.get()) continue;
      if (parent->Count() == 0) {
        // Empty lists go, and so does every ancestor they leave empty.
        while (parent != FRoot.get() && parent->Count() == 0) {
          TcxFilterCriteriaItemList* up = parent->Parent();
          delete parent;
          parent = up;
        }
      } else if (parent->Count() == 1) {
        // A single survivor takes its list's place, at the end of the grandparent.
        TcxFilterCriteriaItemList* grand = parent->Parent();
        TcxCustomFilterCriteriaItem* member = parent->FItems.front();
        parent->FItems.clear();
        member->FParent = nullptr;
        grand->DetachItem(parent);
        grand->Append(member);
        delete parent;
      }
    }
  } catch (...) {
    UnlockChanges();
    throw;
  }
  if (removed)
    UnlockChanges();
  else
    UnlockSilently();
}

bool TcxFilterCriteria::MatchesRecord(Integer ARecord) { return FRoot->Matches(ARecord); }

void TcxFilterCriteria::SetOptions(TcxFilterCriteriaOptions Value) {
  if (FOptions == Value) return;
  FOptions = Value;
  ++FPrepareGeneration;
  SignalChanged();
}

void TcxFilterCriteria::SetPercentWildcard(char Value) {
  if (FPercentWildcard == Value) return;
  FPercentWildcard = Value;
  SignalChanged();
}

void TcxFilterCriteria::SetUnderscoreWildcard(char Value) {
  if (FUnderscoreWildcard == Value) return;
  FUnderscoreWildcard = Value;
  SignalChanged();
}

void TcxFilterCriteria::SetDateTimeFormat(const String& Value) {
  if (FDateTimeFormat == Value) return;
  FDateTimeFormat = Value;
  SignalChanged();
}

void TcxFilterCriteria::ResetSettings() {
  TChangeLock lock(this);
  SetOptions({});
  SetPercentWildcard('%');
  FSupportedLike = true;
  FTranslateBetween = FTranslateLike = FTranslateIn = false;
  SetUnderscoreWildcard('_');
}

void TcxFilterCriteria::UnlockChanges() {
  --FLockCount;
  ApplyChanges();
}

void TcxFilterCriteria::SignalChanged() {
  FChanged = true;
  ApplyChanges();
}

void TcxFilterCriteria::ApplyChanges() {
  if (!FChanged || FLockCount != 0) return;
  FChanged = false;
  PrepareOperators();
  FireChanged();
}

void TcxFilterCriteria::PrepareOperators() { PrepareList(FRoot.get()); }

void TcxFilterCriteria::FireChanged() {
  if (OnChanged) OnChanged(this);
}

bool TcxFilterCriteria::IsNullValue(const Variant& V) const {
  return FOptions.Contains(fcoSoftNull) ? cxVarIsNullOrEmptyText(V) : V.IsNull();
}

Variant TcxFilterCriteria::PrepareValue(const Variant& V0) const {
  const Variant& V = V0.Deref();
  if (V.IsArray()) {
    if (V.DimCount() != 1) return V;
    std::vector<Variant> items;
    for (Integer i = V.LowBound(1); i <= V.HighBound(1); ++i) items.push_back(PrepareValue(V.GetElement(i)));
    return VarArrayOf(items);
  }
  switch (V.Kind()) {
    case varCurrency: return Variant(V.AsDouble());
    case varString:
      return FOptions.Contains(fcoCaseInsensitive) ? Variant(AnsiUpperCase(V.AsString())) : V;
    case varOleStr:
      return FOptions.Contains(fcoCaseInsensitive) ? Variant(Utf8ToUtf16(AnsiUpperCase(V.AsString())))
                                                   : V;
    default: return V;
  }
}

// Copying -----------------------------------------------------------------------

void TcxFilterCriteria::AssignFrom(TPersistent* Source, bool IgnoreLinkNames) {
  if (!Source || !Source->Is<TcxFilterCriteria>()) return TPersistent::Assign(Source);
  auto* src = static_cast<TcxFilterCriteria*>(Source);
  TChangeLock lock(this);
  SetDateTimeFormat(src->FDateTimeFormat);
  FMaxValueListCount = src->FMaxValueListCount;
  SetOptions(src->FOptions);
  SetPercentWildcard(src->FPercentWildcard);
  FTranslateBetween = src->FTranslateBetween;
  FTranslateLike = src->FTranslateLike;
  FTranslateIn = src->FTranslateIn;
  FSupportedLike = src->FSupportedLike;
  SetUnderscoreWildcard(src->FUnderscoreWildcard);
  AssignItems(src, IgnoreLinkNames);
  AssignEvents(src);
}

void TcxFilterCriteria::AssignEvents(TPersistent* Source) {
  if (Source && Source->Is<TcxFilterCriteria>())
    OnChanged = static_cast<TcxFilterCriteria*>(Source)->OnChanged;
}

void TcxFilterCriteria::AssignItems(TcxFilterCriteria* Source, bool IgnoreLinkNames) {
  if (EqualsCriteria(Source, IgnoreLinkNames)) return;
  TChangeLock lock(this);
  ClearConditions();
  TMemoryStream ms;
  const Integer saved = Source->FVersion;
  if (IgnoreLinkNames && Source->FVersion > 2) Source->FVersion = 2;
  try {
    Source->WriteTagged(&ms, FVersion);
  } catch (...) {
    Source->FVersion = saved;
    throw;
  }
  Source->FVersion = saved;
  ms.SetPosition(0);
  ReadTagged(&ms);
}

bool TcxFilterCriteria::EqualsCriteria(TcxFilterCriteria* Source, bool IgnoreLinkNames) {
  const Integer limit = IgnoreLinkNames ? 2 : 3;
  TMemoryStream mine, theirs;
  WriteTagged(&mine, std::min(Source->FVersion, limit));
  Source->WriteTagged(&theirs, std::min(FVersion, limit));
  return mine.Size() == theirs.Size() &&
         std::memcmp(mine.Memory(), theirs.Memory(), size_t(mine.Size())) == 0;
}

// Text forms --------------------------------------------------------------------

String TcxFilterCriteria::BuildText(bool AsCaption) { return ListText(FRoot.get(), AsCaption); }

String TcxFilterCriteria::ListText(TcxFilterCriteriaItemList* List, bool AsCaption) {
  const TcxFilterGroupOperator g = List->GroupOperator();
  const bool orGroup = g == fgoOr || g == fgoNotOr;
  String word = AsCaption ? cxDataResourceText(orGroup ? cxSFilterOrCaption : cxSFilterAndCaption)
                          : String(orGroup ? "OR" : "AND");
  String s;
  for (Integer i = 0; i < List->Count(); ++i) {
    if (i) s += " " + word + " ";
    TcxCustomFilterCriteriaItem* m = List->Items(i);
    s += "(" + (m->IsGroup() ? ListText(static_cast<TcxFilterCriteriaItemList*>(m), AsCaption)
                             : ItemText(static_cast<TcxFilterCriteriaItem*>(m), AsCaption)) + ")";
  }
  if (g == fgoNotAnd || g == fgoNotOr)
    s = (AsCaption ? cxDataResourceText(cxSFilterNotCaption) : String("NOT")) + " (" + s + ")";
  return s;
}

String TcxFilterCriteria::ItemText(TcxFilterCriteriaItem* Item, bool AsCaption) {
  TcxFilterOperator* op = Item->Operator();
  if (!AsCaption && op->UsesExpression()) return op->ExpressionText(Item->Operand());
  String s = ItemFieldText(Item, AsCaption) + " " + ItemOperatorText(Item, AsCaption);
  String v = ItemValueText(Item, AsCaption);
  if (!v.empty()) s += " " + v;
  return s;
}

String TcxFilterCriteria::ItemFieldText(TcxFilterCriteriaItem* Item, bool AsCaption) {
  return AsCaption ? Item->LinkCaption() : Item->LinkFieldName();
}

String TcxFilterCriteria::ItemOperatorText(TcxFilterCriteriaItem* Item, bool AsCaption) {
  TcxFilterOperator* op = Item->Operator();
  if (AsCaption && (op->HasDescription() || FOptions.Contains(fcoShowOperatorDescription)))
    return op->CaptionText();
  return op->SymbolText();
}

String TcxFilterCriteria::ItemValueText(TcxFilterCriteriaItem* Item, bool AsCaption) {
  return Item->ValueTextFor(AsCaption);
}

String TcxFilterCriteria::BooleanText(const Variant& V) { return VarToStr(V); }

String TcxFilterCriteria::DateText(const Variant& V) {
  if (FDateTimeFormat.empty()) return VarToStr(V);
  return FormatDateTime(FDateTimeFormat, V.AsDateTime());
}

void TcxFilterCriteria::AdjustValueText(TcxFilterCriteriaItem*, const Variant&, String&) {}

// Links and classes ---------------------------------------------------------------

Integer TcxFilterCriteria::LinkId(TObject*) { return -1; }
String TcxFilterCriteria::LinkName(TObject*) { return String(); }
TObject* TcxFilterCriteria::LinkById(Integer) { return nullptr; }
TObject* TcxFilterCriteria::LinkByName(const String&) { return nullptr; }

TClass TcxFilterCriteria::ItemClass() const { return TcxFilterCriteriaItem::StaticClass(); }
TClass TcxFilterCriteria::ItemListClass() const { return TcxFilterCriteriaItemList::StaticClass(); }
TClass TcxFilterCriteria::ValueListClass() const { return TcxFilterValueList::StaticClass(); }

TcxFilterValueList* TcxFilterCriteria::CreateValueList() {
  auto* list = CreateOf<TcxFilterValueList>(ValueListClass());
  list->SetCriteria(this);
  return list;
}

// Stream forms --------------------------------------------------------------------

void TcxFilterCriteria::WriteTagged(TStream* S, Integer Limit) {
  Integer version = FVersion;
  if (Limit != 0 && Limit < version) version = Limit;
  FSavingVersion = version;
  if (version < 2) {
    // The old form: the number of top-level members, then the members.
    cxWriteInteger(S, FRoot->Count());
    for (Integer i = 0; i < FRoot->Count(); ++i) {
      cxWriteBoolean(S, FRoot->Items(i)->IsGroup());
      FRoot->Items(i)->WriteTo(S);
    }
    return;
  }
  cxWriteInteger(S, cxFilterIdOfVersion(version));
  FRoot->WriteTo(S);
}

void TcxFilterCriteria::ReadTagged(TStream* S) {
  TChangeLock lock(this);
  ClearConditions();
  const Integer header = cxReadInteger(S);
  FLoadedVersion = cxFilterVersionOfId(header);
  if (FLoadedVersion == 1)
    ReadMembers(FRoot.get(), S, header);
  else
    FRoot->ReadFrom(S);
}

void TcxFilterCriteria::SaveToComponentStream(TStream* S) {
  FSavingThroughWrapper = true;
  TFilterWrapper wrapper;
  wrapper.SetFilter(this);
  try {
    WriteComponentToStream(S, &wrapper);
  } catch (...) {
    FSavingThroughWrapper = false;
    throw;
  }
  FSavingThroughWrapper = false;
}

void TcxFilterCriteria::LoadFromComponentStream(TStream* S) {
  TChangeLock lock(this);
  TFilterWrapper wrapper;
  wrapper.SetFilter(this);
  ReadComponentFromStream(S, &wrapper);
}

bool TcxFilterCriteria::HasStoredConditions() const {
  if (FSavingThroughWrapper) return true;
  return !(FRoot->GroupOperator() == fgoAnd && FRoot->Count() == 0);
}
