// Record storage: value defs, record buffers, internal records, lookup lists.
#include "cxDataStorage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "SysUtils.h"
#include "cxVariants.h"

TOVANI_IMPLEMENT_CLASS(TcxValueDef, TObject)
TOVANI_IMPLEMENT_CLASS(TcxInternalValueDef, TcxValueDef)
TOVANI_IMPLEMENT_CLASS(TcxValueDefs, TObject)
TOVANI_IMPLEMENT_CLASS(TcxInternalValueDefs, TcxValueDefs)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxValueDefReader, TObject)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxDataStorage, TObject)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxLookupList, TObject)

namespace {

[[noreturn]] void IndexError(Integer Index) {
  throw EListError(Format("List index out of bounds (%d)", {Index}));
}

Byte* AllocBuffer(Integer Size) {
  auto* p = static_cast<Byte*>(std::calloc(1, size_t(std::max(Size, 1))));
  if (!p) throw EOutOfMemory("Out of memory");
  return p;
}

Byte* ReallocBuffer(Byte* P, Integer Size) {
  auto* q = static_cast<Byte*>(std::realloc(P, size_t(std::max(Size, 1))));
  if (!q) throw EOutOfMemory("Out of memory");
  return q;
}

constexpr Byte RecordInUse = 1;
constexpr Integer IdOffset = 1;

}  // namespace

// ---------------------------------------------------------------------------
// Value defs

TcxValueDef::TcxValueDef(TcxValueDefs* AOwner, TcxValueTypeClass AValueTypeClass)
    : FOwner(AOwner), FValueTypeClass(AValueTypeClass) {}

TcxValueDef::~TcxValueDef() {
  if (FOwner) FOwner->DetachDef(this);
}

bool TcxValueDef::HasSlot() const {
  return FStored || !(FOwner && FOwner->Storage() && FOwner->Storage()->OnlyStoredValues());
}

void TcxValueDef::CopyFrom(TcxValueDef* Source) {
  SetStoredFlag(Source->Stored());
  SetTextStoredFlag(Source->TextStored());
}

void TcxValueDef::SetStoredFlag(bool Value) {
  if (FStored == Value) return;
  FStored = Value;
  if (FOwner) FOwner->DefChanged(this);
}

void TcxValueDef::SetTextStoredFlag(bool Value) {
  if (FTextStored == Value) return;
  FTextStored = Value;
  if (FOwner) FOwner->DefChanged(this);
}

void TcxValueDef::ComputeSlot(Integer& Offset) {
  FDataSize = FValueTypeClass->GetBufferSize();
  FOffset = Offset;
  FLaidOutText = KeepsText();
  if (HasSlot()) {
    FSlotSize = 1 + FDataSize + (FLaidOutText ? Integer(sizeof(void*)) : 0);
    Offset += FSlotSize;
  } else {
    FSlotSize = 0;
  }
}

Variant TcxValueDef::ReadSlotValue(const Byte* B) const {
  if (IsSlotNull(B)) return Variant::Null();
  return FValueTypeClass->ReadBufferValue(ValueArea(B));
}

void TcxValueDef::WriteSlotValue(Byte* B, const Variant& V) const {
  if (V.IsNull()) {
    SetSlotNull(B, true);
    return;
  }
  if (B[FOffset] == 0) {
    // Convert into a scratch area first, so a value that does not convert
    // leaves the slot Null instead of a flagged, zero-filled value.
    // (On the stack for the usual small slots: a load writes every value.)
    alignas(16) Byte small[64];
    std::vector<Byte> large;
    Byte* scratch = small;
    if (FDataSize > Integer(sizeof small)) {
      large.assign(size_t(FDataSize), 0);
      scratch = large.data();
    } else {
      std::memset(small, 0, sizeof small);
    }
    FValueTypeClass->WriteBufferValue(scratch, V);
    std::memcpy(ValueArea(B), scratch, size_t(FDataSize));
  } else {
    FValueTypeClass->WriteBufferValue(ValueArea(B), V);
  }
  B[FOffset] = 1;
}

void TcxValueDef::SetSlotNull(Byte* B, bool Null) const {
  if (!Null) {
    B[FOffset] = 1;
    return;
  }
  if (B[FOffset] != 0) {
    FValueTypeClass->FreeValueBuffer(ValueArea(B));
    std::memset(ValueArea(B), 0, size_t(FDataSize));
  }
  B[FOffset] = 0;
}

String TcxValueDef::ReadSlotDisplayText(const Byte* B) const {
  if (FLaidOutText) return FValueTypeClass->ReadBufferText(TextHolder(B));
  if (IsSlotNull(B)) return String();
  return FValueTypeClass->GetBufferDisplayText(ValueArea(B));
}

void TcxValueDef::WriteSlotDisplayText(Byte* B, const String& S) const {
  if (FLaidOutText) FValueTypeClass->WriteBufferText(TextHolder(B), S);
}

void TcxValueDef::FreeSlot(Byte* B) const {
  if (!HasLaidOutSlot()) return;
  if (B[FOffset] != 0) FValueTypeClass->FreeValueBuffer(ValueArea(B));
  if (FLaidOutText) FValueTypeClass->FreeTextBuffer(TextHolder(B));
}

int TcxValueDef::CompareInBuffers(const Byte* B1, const Byte* B2) const {
  const bool n1 = IsSlotNull(B1), n2 = IsSlotNull(B2);
  if (n1 || n2) return n1 && n2 ? 0 : (n1 ? -1 : 1);
  return FValueTypeClass->CompareBuffers(ValueArea(B1), ValueArea(B2));
}

int TcxValueDef::CompareKeys(bool Null1, bool Null2, const void* K1, const void* K2) const {
  if (Null1 || Null2) return Null1 && Null2 ? 0 : (Null1 ? -1 : 1);
  return FValueTypeClass->CompareBufferValues(K1, K2);
}

TObject* TcxInternalValueDef::LinkedObject() const {
  TcxValueDef* main = MainDef();
  return main ? main->LinkedObject() : nullptr;
}

TcxValueDef* TcxInternalValueDef::MainDef() const {
  return static_cast<TcxValueDef*>(TcxValueDef::LinkedObject());
}

// ---------------------------------------------------------------------------
// Value-def lists

TcxValueDefs::TcxValueDefs(TcxDataStorage* AStorage) : FStorage(AStorage) {
  if (FStorage) FStorage->ApplyLayout(this);
}

TcxValueDefs::~TcxValueDefs() { ClearDefs(); }

TcxValueDef* TcxValueDefs::CreateDef(TcxValueTypeClass AValueTypeClass) {
  return new TcxValueDef(this, AValueTypeClass);
}

TcxValueDef* TcxValueDefs::DefAt(Integer Index) const {
  if (Index < 0 || Index >= DefCount()) IndexError(Index);
  return FItems[Index];
}

Integer TcxValueDefs::IndexOf(const TcxValueDef* ADef) const {
  auto it = std::find(FItems.begin(), FItems.end(), ADef);
  return it == FItems.end() ? -1 : Integer(it - FItems.begin());
}

Integer TcxValueDefs::StoredCount() const {
  return Integer(std::count_if(FItems.begin(), FItems.end(), [](TcxValueDef* d) { return d->HasLaidOutSlot(); }));
}

void TcxValueDefs::DefChanged(TcxValueDef*) {
  if (FStorage) FStorage->DefsChanged();
}

void TcxValueDefs::ComputeLayout(Integer AStart) {
  FHeaderSize = AStart;
  Integer offset = AStart;
  for (TcxValueDef* d : FItems) d->ComputeSlot(offset);
  FRecordSize = offset;
}

TcxValueDef* TcxValueDefs::AddDef(TcxValueTypeClass AValueTypeClass, bool AStored,
                                  bool ATextStored, TObject* ALinkedObject) {
  if (!AValueTypeClass) throw EInvalidArgument("A value def needs a value type");
  std::unique_ptr<TcxValueDef> def(CreateDef(AValueTypeClass));
  def->FOwner = nullptr;   // not in the list yet: no notifications, no detaching
  def->SetLinkedObject(ALinkedObject);
  def->FStored = AStored;
  def->FTextStored = ATextStored;
  def->FOwner = this;
  Integer scratch = 0;
  def->ComputeSlot(scratch);
  if (FStorage) FStorage->InsertValueDefSlot(this, def.get());
  FItems.push_back(def.get());
  if (FStorage) FStorage->ApplyLayout(this);
  return def.release();
}

void TcxValueDefs::RemoveDef(TcxValueDef* ADef) {
  if (ADef && ADef->FOwner == this) delete ADef;
}

void TcxValueDefs::DetachDef(TcxValueDef* ADef) {
  const Integer index = IndexOf(ADef);
  if (index < 0) return;
  if (FStorage) FStorage->RemoveValueDefSlot(this, ADef);
  FItems.erase(FItems.begin() + IndexOf(ADef));
  ADef->FOwner = nullptr;
  if (FStorage) FStorage->ApplyLayout(this);
}

void TcxValueDefs::ClearDefs() {
  while (!FItems.empty()) delete FItems.back();
}

TcxInternalValueDefs::TcxInternalValueDefs(TcxDataStorage* AStorage) : TcxValueDefs(AStorage) {
  FInternal = true;
}

TcxValueDef* TcxInternalValueDefs::CreateDef(TcxValueTypeClass AValueTypeClass) {
  return new TcxInternalValueDef(this, AValueTypeClass);
}

TcxInternalValueDef* TcxInternalValueDefs::FindByMainDef(const TcxValueDef* AMainDef) const {
  for (Integer i = DefCount() - 1; i >= 0; --i) {
    auto* d = static_cast<TcxInternalValueDef*>(DefAt(i));
    if (d->MainDef() == AMainDef) return d;
  }
  return nullptr;
}

void TcxInternalValueDefs::RemoveByMainDef(const TcxValueDef* AMainDef) {
  if (TcxInternalValueDef* d = FindByMainDef(AMainDef)) delete d;
}

Variant TcxValueDefReader::ReadValue(TcxValueDef*) { return Variant::Null(); }

// ---------------------------------------------------------------------------
// Storage

TcxDataStorage::TcxDataStorage()
    : FValueDefs(new TcxValueDefs(this)), FInternalValueDefs(new TcxInternalValueDefs(this)) {}

TcxDataStorage::~TcxDataStorage() {
  FDestroying = true;
  ClearAll(false);
  // The defs go without touching records (there are none left).
  FInternalValueDefs->FStorage = nullptr;
  FValueDefs->FStorage = nullptr;
  FInternalValueDefs.reset();
  FValueDefs.reset();
}

void TcxDataStorage::ApplyLayout(TcxValueDefs* AList) {
  ++FChangeStamp;
  // Internal records are scratch copies and carry no id: their layout does
  // not depend on UsesRecordIds, so switching ids on or off can never leave
  // an existing internal buffer laid out with another header.
  AList->ComputeLayout(FUsesRecordIds && !AList->IsInternal() ? 5 : 1);
}

TcxValueDefs* TcxDataStorage::DefsForRecord(Integer Index) const {
  return Index < 0 ? static_cast<TcxValueDefs*>(FInternalValueDefs.get()) : FValueDefs.get();
}

Byte*& TcxDataStorage::Entry(Integer Index) {
  if (Index >= 0) {
    if (Index >= RecordTotal()) IndexError(Index);
    return FRecords[size_t(Index)];
  }
  const Int64 k = -Int64(Index) - 1;
  if (k >= Int64(FInternalRecords.size())) IndexError(Index);
  return FInternalRecords[size_t(k)];
}

Byte* TcxDataStorage::EntryOrNull(Integer Index) const {
  return const_cast<TcxDataStorage*>(this)->Entry(Index);
}

Byte* TcxDataStorage::RecordBufferAt(Integer Index) const { return EntryOrNull(Index); }

Byte* TcxDataStorage::EnsureRecordBuffer(Integer Index) {
  Byte*& b = Entry(Index);
  if (!b) b = AllocBuffer(DefsForRecord(Index)->RecordSize());
  return b;
}

void TcxDataStorage::FreeRecordBuffer(Integer Index) {
  Byte*& b = Entry(Index);
  if (!b) return;
  TcxValueDefs* defs = DefsForRecord(Index);
  for (Integer i = 0; i < defs->DefCount(); ++i) defs->DefAt(i)->FreeSlot(b);
  std::free(b);
  b = nullptr;
}

void TcxDataStorage::AssignIdIfMissing(Integer Index) {
  if (!FUsesRecordIds) return;
  Byte* b = EnsureRecordBuffer(Index);
  Integer id;
  std::memcpy(&id, b + IdOffset, 4);
  if (id != 0) return;
  id = FRecordIdCounter++;
  std::memcpy(b + IdOffset, &id, 4);
}

Integer TcxDataStorage::AddRecord() {
  ++FChangeStamp;
  FRecords.push_back(nullptr);
  const Integer index = RecordTotal() - 1;
  AssignIdIfMissing(index);
  return index;
}

Integer TcxDataStorage::InsertRecordAt(Integer Index) {
  ++FChangeStamp;
  if (Index < 0 || Index > RecordTotal()) IndexError(Index);
  FRecords.insert(FRecords.begin() + Index, nullptr);
  AssignIdIfMissing(Index);
  return Index;
}

void TcxDataStorage::RemoveRecord(Integer Index) {
  ++FChangeStamp;
  if (Index < 0) {
    ReleaseInternalRecord(Index);
    return;
  }
  FreeRecordBuffer(Index);
  FRecords.erase(FRecords.begin() + Index);
  if (FRecords.empty()) FRecordIdCounter = 1;
}

void TcxDataStorage::SetRecordTotal(Integer Value) {
  ++FChangeStamp;
  Value = std::max(Value, 0);
  while (RecordTotal() < Value) AddRecord();
  while (RecordTotal() > Value) RemoveRecord(RecordTotal() - 1);
}

Integer TcxDataStorage::AcquireInternalRecord() {
  Integer index = 0;
  for (size_t k = 0; k < FInternalRecords.size(); ++k) {
    Byte* b = FInternalRecords[k];
    if (!b || !(b[0] & RecordInUse)) {
      index = -Integer(k) - 1;
      break;
    }
  }
  if (index == 0) {
    FInternalRecords.push_back(nullptr);
    index = -InternalRecordCount();
  }
  Byte* b = EnsureRecordBuffer(index);
  b[0] |= RecordInUse;
  return index;
}

void TcxDataStorage::ReleaseInternalRecord(Integer Index) {
  if (Index < 0) FreeRecordBuffer(Index);
}

TcxValueDef* TcxDataStorage::ResolveValueDef(Integer Index, TcxValueDef* ADef) const {
  if (Index < 0 && ADef && !ADef->Is<TcxInternalValueDef>())
    ADef = FInternalValueDefs->FindByMainDef(ADef);
  // A def without a slot keeps no values.
  return ADef && ADef->HasLaidOutSlot() ? ADef : nullptr;
}

Variant TcxDataStorage::ValueAt(Integer Index, TcxValueDef* ADef) {
  TcxValueDef* def = ResolveValueDef(Index, ADef);
  Byte* b = EntryOrNull(Index);
  if (!def || !b) return Variant::Null();
  return def->ReadSlotValue(b);
}

void TcxDataStorage::SetValueAt(Integer Index, TcxValueDef* ADef, const Variant& V) {
  ++FChangeStamp;
  TcxValueDef* def = ResolveValueDef(Index, ADef);
  if (!def) return;
  def->WriteSlotValue(EnsureRecordBuffer(Index), V);
}

String TcxDataStorage::DisplayTextAt(Integer Index, TcxValueDef* ADef) {
  TcxValueDef* def = ResolveValueDef(Index, ADef);
  Byte* b = EntryOrNull(Index);
  if (!def || !b) return String();
  return def->ReadSlotDisplayText(b);
}

void TcxDataStorage::SetDisplayTextAt(Integer Index, TcxValueDef* ADef, const String& S) {
  ++FChangeStamp;
  TcxValueDef* def = ResolveValueDef(Index, ADef);
  if (!def) return;
  Byte* b = EnsureRecordBuffer(Index);
  def->WriteSlotDisplayText(b, S);
}

int TcxDataStorage::CompareRecordValues(Integer Index1, Integer Index2, TcxValueDef* ADef) {
  TcxValueDef* d1 = ResolveValueDef(Index1, ADef);
  TcxValueDef* d2 = ResolveValueDef(Index2, ADef);
  if (d1 == d2) return d1 ? d1->CompareInBuffers(EntryOrNull(Index1), EntryOrNull(Index2)) : 0;
  // A main record against an internal one: the two defs share the value type.
  const Byte* b1 = d1 ? EntryOrNull(Index1) : nullptr;
  const Byte* b2 = d2 ? EntryOrNull(Index2) : nullptr;
  const bool n1 = !d1 || d1->IsSlotNull(b1), n2 = !d2 || d2->IsSlotNull(b2);
  if (n1 || n2) return n1 && n2 ? 0 : (n1 ? -1 : 1);
  return d1->ValueTypeClass()->CompareBufferValues(
      d1->ValueTypeClass()->MakeCompareKey(d1->ValueArea(b1)),
      d2->ValueTypeClass()->MakeCompareKey(d2->ValueArea(b2)));
}

bool TcxDataStorage::GetCompareKey(Integer Index, TcxValueDef* ADef, const void*& Key) {
  TcxValueDef* def = ResolveValueDef(Index, ADef);
  const Byte* b = EntryOrNull(Index);
  Key = nullptr;
  if (!def || def->IsSlotNull(b)) return true;
  Key = def->ValueTypeClass()->MakeCompareKey(def->ValueArea(b));
  return false;
}

Integer TcxDataStorage::RecordIdAt(Integer Index) {
  Byte* b = EntryOrNull(Index);
  if (!b || DefsForRecord(Index)->HeaderSize() < 5) return 0;
  Integer id;
  std::memcpy(&id, b + IdOffset, 4);
  return id;
}

void TcxDataStorage::SetRecordIdAt(Integer Index, Integer Id) {
  if (DefsForRecord(Index)->HeaderSize() < 5) return;
  std::memcpy(EnsureRecordBuffer(Index) + IdOffset, &Id, 4);
}

void TcxDataStorage::LoadRecord(Integer Index, TcxValueDefReader* AReader) {
  ++FChangeStamp;
  Byte* b = EnsureRecordBuffer(Index);
  TcxValueDefs* defs = DefsForRecord(Index);
  for (Integer i = 0; i < defs->DefCount(); ++i) {
    TcxValueDef* def = defs->DefAt(i);
    if (AReader->IsInternalDef(def) || !def->HasLaidOutSlot()) continue;
    def->WriteSlotValue(b, AReader->ReadValue(def));
    if (def->HasLaidOutText()) def->WriteSlotDisplayText(b, AReader->ReadDisplayText(def));
  }
}

void TcxDataStorage::ForEachValueDef(Integer Index, Integer AArgument, TcxValueDefReader* AReader,
                                     const TForEachValueDefProc& AMethod) {
  TcxValueDefs* defs = DefsForRecord(Index);
  for (Integer i = 0; i < defs->DefCount(); ++i) AMethod(defs->DefAt(i), Index, AArgument, AReader);
}

void TcxDataStorage::ClearAll(bool KeepInternal) {
  ++FChangeStamp;
  if (!KeepInternal) FreeInternalRecords();
  FreeRecords(true);
}

void TcxDataStorage::FreeInternalRecords() {
  for (Integer k = InternalRecordCount(); k >= 1; --k) FreeRecordBuffer(-k);
  FInternalRecords.clear();
  if (OnInternalRecordsFreed) OnInternalRecordsFreed(this);
}

void TcxDataStorage::FreeRecords(bool Remove) {
  ++FChangeStamp;
  for (Integer i = 0; i < RecordTotal(); ++i) FreeRecordBuffer(i);
  if (Remove) FRecords.clear();
  if (FRecords.empty()) FRecordIdCounter = 1;
  if (FUsesRecordIds)
    for (Integer i = 0; i < RecordTotal(); ++i) AssignIdIfMissing(i);
}

void TcxDataStorage::SetUsesRecordIds(bool Value) {
  if (FUsesRecordIds == Value) return;
  for (Integer i = 0; i < RecordTotal(); ++i) FreeRecordBuffer(i);
  FUsesRecordIds = Value;
  ApplyLayout(FValueDefs.get());
  if (FUsesRecordIds)
    for (Integer i = 0; i < RecordTotal(); ++i) AssignIdIfMissing(i);
}

void TcxDataStorage::SetOnlyStoredValues(bool Value) {
  if (FOnlyStoredValues == Value) return;
  for (Integer i = 0; i < RecordTotal(); ++i) FreeRecordBuffer(i);
  FOnlyStoredValues = Value;
  ApplyLayout(FValueDefs.get());
  if (FUsesRecordIds)
    for (Integer i = 0; i < RecordTotal(); ++i) AssignIdIfMissing(i);
}

std::vector<Integer> TcxDataStorage::RecordIndexesOf(const TcxValueDefs* AList) const {
  std::vector<Integer> indexes;
  if (AList->IsInternal()) {
    for (Integer k = 1; k <= InternalRecordCount(); ++k) indexes.push_back(-k);
  } else {
    for (Integer i = 0; i < RecordTotal(); ++i) indexes.push_back(i);
  }
  return indexes;
}

void TcxDataStorage::InsertValueDefSlot(TcxValueDefs* AList, TcxValueDef* ADef) {
  // A main column opens its twin's slot in every internal record first.
  if (!AList->IsInternal())
    FInternalValueDefs->AddDef(ADef->ValueTypeClass(), true, ADef->TextStored(), ADef);
  if (!ADef->HasLaidOutSlot()) return;
  const Integer oldSize = AList->RecordSize();
  const Integer slot = ADef->SlotSize();
  for (Integer index : RecordIndexesOf(AList)) {
    Byte*& b = Entry(index);
    if (!b) continue;
    // The new slot goes at the end of the record and starts Null.
    b = ReallocBuffer(b, oldSize + slot);
    std::memset(b + oldSize, 0, size_t(slot));
  }
}

void TcxDataStorage::RemoveValueDefSlot(TcxValueDefs* AList, TcxValueDef* ADef) {
  if (!AList->IsInternal()) FInternalValueDefs->RemoveByMainDef(ADef);
  if (!ADef->HasLaidOutSlot()) return;
  // Only the slot goes, also for the last column with values: the record
  // header (its id and the in-use flag of an internal record) stays, so a
  // record keeps its identity and a live internal record is not handed out
  // again.
  const std::vector<Integer> indexes = RecordIndexesOf(AList);
  const Integer size = AList->RecordSize();
  const Integer slot = ADef->SlotSize();
  const Integer end = ADef->Offset() + slot;
  for (Integer index : indexes) {
    Byte*& b = Entry(index);
    if (!b) continue;
    ADef->FreeSlot(b);
    std::memmove(b + ADef->Offset(), b + end, size_t(size - end));
    b = ReallocBuffer(b, size - slot);
  }
}

// ---------------------------------------------------------------------------

bool TcxLookupList::Find(const Variant& Key, Integer& Index) const {
  Integer lo = 0, hi = Count() - 1;
  while (lo <= hi) {
    const Integer mid = lo + (hi - lo) / 2;
    const int c = cxVarCompare(FItems[mid].Key, Key);
    if (c == 0) {
      Index = mid;
      return true;
    }
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  Index = lo;
  return false;
}

void TcxLookupList::Insert(Integer Index, const Variant& Key, const String& Text) {
  if (Index < 0 || Index > Count()) IndexError(Index);
  FItems.insert(FItems.begin() + Index, TcxLookupListItem{Key, Text});
}

const TcxLookupListItem& TcxLookupList::GetItem(Integer Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return FItems[Index];
}
