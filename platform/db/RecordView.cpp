// The record cache's lists: the store of a dataset's records and the view
// of them in the dataset's order, both kept so that removing records one by
// one stays cheap however many there are.
#include <algorithm>
#include <cstddef>
#include <iterator>
#include <memory>
#include <stdexcept>
#include "DB.h"

// ---------------------------------------------------------------------------
// TRecordValues

void TRecordValues::DropPlaced() {
  if (!FPlaced) return;
  // Only texts own memory: the other kinds need no destructor call.
  for (size_t i = 0; i < FSize; ++i)
    if (std::holds_alternative<String>(FData[i])) std::destroy_at(&FData[i]);
  FPlaced = false;
  FData = nullptr;
  FSize = 0;
}

void TRecordValues::Place(TDBValue* at, size_t n) {
  DropPlaced();
  FOwn.clear();
  FOwn.shrink_to_fit();
  std::uninitialized_value_construct_n(at, n);
  FData = at;
  FSize = n;
  FPlaced = true;
}

void TRecordValues::resize(size_t n) {
  if (n == FSize) return;
  if (FPlaced) {
    std::vector<TDBValue> own(std::make_move_iterator(begin()), std::make_move_iterator(begin() + std::min(n, FSize)));
    DropPlaced();
    FOwn = std::move(own);
  }
  FOwn.resize(n);
  UseOwn();
}

TRecordValues& TRecordValues::operator=(const std::vector<TDBValue>& v) {
  if (v.size() == FSize) {
    std::copy(v.begin(), v.end(), FData);
    return *this;
  }
  DropPlaced();
  FOwn = v;
  UseOwn();
  return *this;
}

TRecordValues& TRecordValues::operator=(std::vector<TDBValue>&& v) {
  if (FPlaced && v.size() == FSize) {
    std::move(v.begin(), v.end(), FData);
    return *this;
  }
  DropPlaced();
  FOwn = std::move(v);
  UseOwn();
  return *this;
}

std::vector<TDBValue> TRecordValues::Take() {
  std::vector<TDBValue> out;
  if (FPlaced) {
    out.assign(std::make_move_iterator(begin()), std::make_move_iterator(end()));
    DropPlaced();
  } else {
    out = std::move(FOwn);
  }
  FOwn.clear();
  UseOwn();
  return out;
}

// ---------------------------------------------------------------------------
// TRecordArena

// A block of records: this header, then records each followed by its values.
struct TRecordBlock {
  size_t Refs;   // its records, and the arena while it fills it
  size_t Used;   // bytes given out after the header
  size_t Size;   // bytes after the header
  TRecordBlock* NextFree;   // in the list of freed blocks
};

namespace {

constexpr size_t kRecordAlign = alignof(std::max_align_t);
constexpr size_t RoundUp(size_t n) { return (n + kRecordAlign - 1) / kRecordAlign * kRecordAlign; }
constexpr size_t kBlockHeader = RoundUp(sizeof(TRecordBlock));
// Blocks of one size, so that a freed block can serve any later one.
constexpr size_t kBlockSize = (size_t(64) << 10) - kBlockHeader;
static_assert(alignof(TRecordData) <= kRecordAlign && alignof(TDBValue) <= kRecordAlign);

// Freed blocks kept for the next records of this thread: reading a query
// again, or another one, then writes into memory already mapped instead of
// faulting in fresh pages. At most kKeptBlocks (64 MB) are kept, in a list
// through the blocks themselves (nothing to destroy at thread exit, so a
// record freed late in the program's end finds the list intact).
constexpr size_t kKeptBlocks = 1024;
thread_local TRecordBlock* FreeBlocks = nullptr;
thread_local size_t FreeBlockCount = 0;

unsigned char* BlockBytes(TRecordBlock* b) { return reinterpret_cast<unsigned char*>(b) + kBlockHeader; }

TRecordBlock* NewBlock(size_t size) {
  TRecordBlock* b;
  if (size == kBlockSize && FreeBlocks) {
    b = FreeBlocks;
    FreeBlocks = b->NextFree;
    --FreeBlockCount;
  } else {
    b = static_cast<TRecordBlock*>(::operator new(kBlockHeader + size));
  }
  b->Refs = 1;
  b->Used = 0;
  b->Size = size;
  return b;
}

void ReleaseBlock(TRecordBlock* b) {
  if (--b->Refs != 0) return;
  if (b->Size == kBlockSize && FreeBlockCount < kKeptBlocks) {
    b->NextFree = FreeBlocks;
    FreeBlocks = b;
    ++FreeBlockCount;
  } else {
    ::operator delete(b);
  }
}

}  // namespace

void TRecordData::operator delete(TRecordData* rec, std::destroying_delete_t) {
  TRecordBlock* block = rec->Block;
  rec->~TRecordData();
  if (block) ReleaseBlock(block);
  else ::operator delete(rec);
}

std::unique_ptr<TRecordData> TRecordArena::New(size_t valueCount) {
  const size_t recordBytes = RoundUp(sizeof(TRecordData));
  const size_t bytes = recordBytes + RoundUp(valueCount * sizeof(TDBValue));
  if (!FBlock || FBlock->Size - FBlock->Used < bytes) {
    Reset();
    FBlock = NewBlock(std::max(kBlockSize, bytes));
  }
  unsigned char* at = BlockBytes(FBlock) + FBlock->Used;
  auto* rec = new (at) TRecordData;
  rec->Block = FBlock;
  ++FBlock->Refs;
  FBlock->Used += bytes;
  rec->Values.Place(reinterpret_cast<TDBValue*>(at + recordBytes), valueCount);
  return std::unique_ptr<TRecordData>(rec);
}

void TRecordArena::Reset() {
  if (FBlock) ReleaseBlock(FBlock);
  FBlock = nullptr;
}

// ---------------------------------------------------------------------------
// TRecordStore

TRecordData* TRecordStore::Add(std::unique_ptr<TRecordData> rec) {
  rec->StoreSlot = Records.size();
  Records.push_back(std::move(rec));
  return Records.back().get();
}

TRecordData* TRecordStore::Insert(std::unique_ptr<TRecordData> rec, const TRecordData* before) {
  if (!before) return Add(std::move(rec));
  Compact();
  size_t at = before->StoreSlot;
  if (at >= Records.size() || Records[at].get() != before) return Add(std::move(rec));
  TRecordData* raw = rec.get();
  Records.insert(Records.begin() + std::ptrdiff_t(at), std::move(rec));
  for (size_t i = at; i < Records.size(); ++i) Records[i]->StoreSlot = i;
  return raw;
}

void TRecordStore::Discard(TRecordData* rec) {
  size_t at = rec->StoreSlot;
  if (at >= Records.size() || Records[at].get() != rec) {
    // Not where it says it is (a list replaced without renumbering).
    Renumber();
    at = rec->StoreSlot;
    if (at >= Records.size() || Records[at].get() != rec) return;
  }
  Records[at].reset();
  ++Holes;
  if (Holes > Records.size() - Holes) Compact();
}

void TRecordStore::Compact() {
  if (Holes == 0) return;
  Records.erase(std::remove(Records.begin(), Records.end(), nullptr), Records.end());
  Holes = 0;
  for (size_t i = 0; i < Records.size(); ++i) Records[i]->StoreSlot = i;
}

void TRecordStore::Clear() {
  Records.clear();
  Holes = 0;
  Arena.Reset();
}

void TRecordStore::Renumber() {
  Holes = 0;
  for (size_t i = 0; i < Records.size(); ++i) {
    if (Records[i]) Records[i]->StoreSlot = i;
    else ++Holes;
  }
  Compact();
}

// ---------------------------------------------------------------------------
// TRecordView

namespace {
inline Integer LowBit(Integer i) { return i & -i; }
}  // namespace

void TRecordView::Assign(std::vector<TRecordData*> records) {
  FSlots = std::move(records);
  FLive = Integer(FSlots.size());
  FHoles = 0;
  FTree.clear();
  FSlotIndexValid = false;
}

void TRecordView::Clear() { Assign({}); }

// Fenwick tree over the slots: FTree[i] counts the shown records of the
// slots (i - LowBit(i), i], numbered from 1.
void TRecordView::BuildTree() const {
  Integer n = Integer(FSlots.size());
  FTree.assign(size_t(n) + 1, 0);
  for (Integer i = 1; i <= n; ++i) {
    FTree[size_t(i)] += FSlots[size_t(i - 1)] ? 1 : 0;
    Integer j = i + LowBit(i);
    if (j <= n) FTree[size_t(j)] += FTree[size_t(i)];
  }
}

Integer TRecordView::LiveBefore(Integer slot) const {
  if (FHoles == 0) return slot;
  Integer sum = 0;
  for (Integer i = slot; i > 0; i -= LowBit(i)) sum += FTree[size_t(i)];
  return sum;
}

Integer TRecordView::SlotAt(Integer pos) const {
  // The slot of the (pos + 1)-th shown record: descend the tree.
  Integer n = Integer(FSlots.size());
  Integer step = 1;
  while (step * 2 <= n) step *= 2;
  Integer idx = 0, rest = pos + 1;
  for (; step > 0; step /= 2) {
    if (idx + step <= n && FTree[size_t(idx + step)] < rest) {
      idx += step;
      rest -= FTree[size_t(idx)];
    }
  }
  return idx;
}

void TRecordView::BuildSlotIndex() const {
  UInt64 maxId = 0;
  for (TRecordData* r : FSlots)
    if (r) maxId = std::max(maxId, r->Id);
  FSlotById.assign(size_t(maxId) + 1, 0);
  for (size_t i = 0; i < FSlots.size(); ++i)
    if (FSlots[i]) FSlotById[size_t(FSlots[i]->Id)] = Integer(i) + 1;
  FSlotIndexValid = true;
}

Integer TRecordView::PosOfId(UInt64 id) const {
  if (!FSlotIndexValid) BuildSlotIndex();
  if (id >= FSlotById.size() || FSlotById[size_t(id)] == 0) return -1;
  return LiveBefore(FSlotById[size_t(id)] - 1);
}

void TRecordView::Insert(Integer pos, TRecordData* rec) {
  pos = std::clamp(pos, Integer(0), FLive);
  if (pos < FLive) {
    // In the middle: the slots after it move, so the view is made anew.
    Squeeze();
    FSlots.insert(FSlots.begin() + pos, rec);
    ++FLive;
    FSlotIndexValid = false;
    return;
  }
  FSlots.push_back(rec);
  ++FLive;
  Integer n = Integer(FSlots.size());
  if (FHoles > 0) {
    // The new tree node counts its own slot and the slots it covers.
    FTree.push_back(1 + LiveBefore(n - 1) - LiveBefore(n - LowBit(n)));
  }
  if (FSlotIndexValid) {
    if (rec->Id >= FSlotById.size()) FSlotById.resize(size_t(rec->Id) + 1, 0);
    FSlotById[size_t(rec->Id)] = n;
  }
}

bool TRecordView::Remove(const TRecordData* rec) {
  if (!FSlotIndexValid) BuildSlotIndex();
  if (rec->Id >= FSlotById.size() || FSlotById[size_t(rec->Id)] == 0) return false;
  Integer slot = FSlotById[size_t(rec->Id)] - 1;
  if (FSlots[size_t(slot)] != rec) return false;
  if (FHoles == 0) BuildTree();
  FSlots[size_t(slot)] = nullptr;
  FSlotById[size_t(rec->Id)] = 0;
  --FLive;
  ++FHoles;
  for (Integer i = slot + 1; i <= Integer(FSlots.size()); i += LowBit(i)) --FTree[size_t(i)];
  if (FHoles > FLive) Squeeze();
  return true;
}

void TRecordView::Squeeze() {
  if (FHoles == 0) return;
  FSlots.erase(std::remove(FSlots.begin(), FSlots.end(), nullptr), FSlots.end());
  FHoles = 0;
  FTree.clear();
  FSlotIndexValid = false;
}
