// TDataSet: states, the record buffers that data links read, navigation,
// editing with its events, bookmarks and searching over the record cache.
#include <algorithm>
#include <stdexcept>
#include "DB.h"
#include "DBFilter.h"
#include "DBUtil.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"

TOVANI_IMPLEMENT_CLASS(TDataSet, TComponent)

namespace {
const char* const SNotEditing = "Dataset not in edit or insert mode";
const char* const SDataSetClosed = "Cannot perform this operation on a closed dataset";
const char* const SDataSetOpen = "Cannot perform this operation on an open dataset";
const char* const SDataSetEmpty = "Cannot perform this operation on an empty dataset";
const char* const SDataSetReadOnly = "Cannot modify a read-only dataset";
const char* const SFieldNotFound = "Field '%s' not found";
const char* const SFieldRequired = "Field '%s' must have a value";
const char* const SBookmarkNotFound = "Record not found";

// Encodes a record id as an opaque bookmark.
TBookmark MakeBookmark(UInt64 id) {
  String b(sizeof id, '\0');
  for (size_t i = 0; i < sizeof id; ++i) b[i] = char((id >> (8 * i)) & 0xFF);
  return b;
}
bool ReadBookmark(const TBookmark& b, UInt64& id) {
  if (b.size() != sizeof id) return false;
  id = 0;
  for (size_t i = 0; i < sizeof id; ++i) id |= UInt64(Byte(b[i])) << (8 * i);
  return true;
}
}  // namespace

void DatabaseError(const String& message, const TDataSet* component) {
  if (component && !component->Name().empty()) throw EDatabaseError(component->Name() + ": " + message);
  throw EDatabaseError(message);
}

void DatabaseErrorFmtField(const String& message, const String& fieldName, const TDataSet* component) {
  DatabaseError(Format(message, {fieldName}), component);
}

// Master/detail: the detail dataset follows its master's data source.
class TDataSet::MasterLink : public TDataLink {
 public:
  explicit MasterLink(TDataSet* detail) : FDetail(detail) { SetVisualControl(false); }
 protected:
  void ActiveChanged() override { Changed(); }
  void RecordChanged(TField* field) override {
    // A change of one master field matters only while it is not being
    // typed; the detail follows when the master record is posted or moved.
    if (field == nullptr) Changed();
  }
  void DataSetScrolled(Integer) override { Changed(); }
  void DataSetChanged() override { Changed(); }
  void LayoutChanged() override { Changed(); }
 private:
  void Changed() {
    // A link being taken off its source (the source is going away) asks for nothing.
    if (!DataSource()) return;
    if (FDetail->Active() && !FInChange) {
      FInChange = true;
      try { FDetail->MasterChanged(); } catch (...) { FInChange = false; throw; }
      FInChange = false;
    }
  }
  TDataSet* FDetail;
  bool FInChange = false;
};

TDataSet::TDataSet(TComponent* owner)
    : TComponent(owner), FFields(this), FStore(std::make_shared<TRecordStore>()) {
  FStore->Users.push_back(this);
  FBuffers.resize(1);
}

TDataSet::~TDataSet() {
  Destroying();
  FMasterLink.reset();
  if (Active()) {
    // Destruction closes without events of its own.
    BeforeClose = nullptr; AfterClose = nullptr;
    try { Close(); } catch (...) {}
  }
  while (!FDataSources.empty()) FDataSources.back()->SetDataSet(nullptr);
  while (!FFields.FList.empty()) {
    TField* f = FFields.FList.back();
    FFields.FList.pop_back();
    f->FDataSet = nullptr;
    delete f;
  }
}

// ---------------------------------------------------------------------------
// Opening and closing.

void TDataSet::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TField* f : FFields.FList)
    if (!f->FDefaultField && f->Owner() == root) proc(f);
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (FStreamedActive) {
    FStreamedActive = false;
    SetActive(true);
  }
}

void TDataSet::Notification(TComponent* c, TOperation op) {
  TComponent::Notification(c, op);
  if (op == opRemove && c == FMasterSource) {
    if (FMasterLink) FMasterLink->SetDataSource(nullptr);
    FMasterSource = nullptr;
  }
}

void TDataSet::SetActive(bool v) {
  if (ComponentState().Contains(csLoading)) {
    // A form file sets Active before the connection and fields are read.
    FStreamedActive = v;
    return;
  }
  if (v == Active()) return;
  if (v) {
    Notify(BeforeOpen);
    OpenCursor();
    SetState(dsBrowse);
    DoAfterOpen();
    if (!IsEmpty()) Notify(AfterScroll);
  } else {
    Notify(BeforeClose);
    SetState(dsInactive);
    CloseCursor();
    Notify(AfterClose);
  }
}

void TDataSet::Open() { SetActive(true); }
void TDataSet::Close() { SetActive(false); }
void TDataSet::DoAfterOpen() { Notify(AfterOpen); }

void TDataSet::OpenCursor() {
  FInOpen = true;
  FState = dsOpening;
  try {
    FDefaultFields = FFields.Count() == 0;
    ClearRecords();
    InternalOpen();
    if (FDefaultFields) CreateFields();
    BindFields(true);
    if (!FSortText.empty()) SetSort(FSortText);   // re-resolve sort fields
    if (FFiltered && !FFilterText.empty() && !FFilterExpr) FFilterExpr = TDBFilterExpr::Parse(FFilterText);
    RebuildView();
    FBOF = true;
    FEOF = FView.Empty();
    FActiveRecord = 0;
    FillBuffers(0, 0);
  } catch (...) {
    FState = dsInactive;
    FInOpen = false;
    try { InternalClose(); } catch (...) {}
    BindFields(false);
    if (FDefaultFields) DestroyDefaultFields();
    ClearRecords();
    throw;
  }
  FInOpen = false;
}

void TDataSet::CloseCursor() {
  FEditValues.clear();
  FInsertRecord.reset();
  InternalClose();
  BindFields(false);
  if (FDefaultFields) DestroyDefaultFields();
  ClearRecords();
  FStore->LastId = 0;
  FRecordCount = 0;
  FActiveRecord = 0;
  FBOF = FEOF = true;
  FModified = false;
}

void TDataSet::CreateFields() {
  for (Integer i = 0; i < FFieldDefs.Count(); ++i) {
    const TFieldDef& d = FFieldDefs[i];
    TField* f = d.CreateField();
    f->FDefaultField = true;
    f->SetDataSet(this);
  }
}

void TDataSet::DestroyDefaultFields() {
  std::vector<TField*> doomed;
  for (TField* f : FFields.FList)
    if (f->FDefaultField) doomed.push_back(f);
  for (TField* f : doomed) delete f;   // the destructor detaches it
  DataEvent(deFieldListChange, 0);
}

// Binds each data field to its column of the record cache and gives the
// calculated and lookup fields their slots in the buffers' calc values.
void TDataSet::BindFields(bool binding) {
  FCalcFieldCount = -1;
  Integer calc = 0;
  for (TField* f : FFields.FList) {
    f->FLookupList.reset();   // a cached lookup list is read again on first use
    if (!binding) { f->FOffset = -1; f->FFieldNo = 0; continue; }
    if (f->FFieldKind == fkData || f->FFieldKind == fkInternalCalc) {
      Integer idx = FFieldDefs.IndexOf(f->FFieldName);
      if (idx < 0) DatabaseErrorFmtField(SFieldNotFound, f->FFieldName, this);
      const TFieldDef& d = FFieldDefs[idx];
      // A persistent field must keep values the way the column does.
      if (StorageKindOf(f->FDataType) != StorageKindOf(d.DataType))
        DatabaseError(Format("Type mismatch for field '%s', expecting: %s actual: %s",
                             {f->FFieldName, FieldTypeName(f->FDataType), FieldTypeName(d.DataType)}),
                      this);
      f->FOffset = idx;
      f->FFieldNo = idx + 1;
      if (f->FSize == 0 && d.Size) f->FSize = d.Size;
    } else {
      f->FOffset = calc++;
      f->FFieldNo = -1;
    }
  }
  if (binding) FCalcFieldCount = CalcFieldCount();
}

Integer TDataSet::CalcFieldCount() const {
  // Asked for every record moved to: known while the fields are bound.
  if (FCalcFieldCount >= 0) return FCalcFieldCount;
  Integer n = 0;
  for (TField* f : FFields.FList)
    if (f->FFieldKind == fkCalculated || f->FFieldKind == fkLookup) ++n;
  return n;
}

void TDataSet::CheckActive() const {
  if (!Active()) DatabaseError(SDataSetClosed, this);
}
void TDataSet::CheckInactive() const {
  if (Active() && !FInOpen) DatabaseError(SDataSetOpen, this);
}

void TDataSet::SetState(TDataSetState s) {
  if (FState == s) return;
  FState = s;
  FModified = false;
  DataEvent(deUpdateState, 0);
}

// ---------------------------------------------------------------------------
// Record cache.

TRecordData* TDataSet::AddRecord() {
  auto rec = FStore->Arena.New(size_t(FFieldDefs.Count()));
  rec->Id = NextRecordId();
  return FStore->Add(std::move(rec));
}

void TDataSet::ClearRecords() {
  FView.Clear();
  FViewStale = false;
  if (FStore->Users.size() > 1) {
    // Clones keep showing the shared records; this dataset gets a store of its own.
    auto& users = FStore->Users;
    users.erase(std::remove(users.begin(), users.end(), this), users.end());
    FStore = std::make_shared<TRecordStore>();
    FStore->Users.push_back(this);
  } else {
    FStore->Clear();
  }
}

void TDataSet::ShareRecords(TDataSet* source) {
  if (!source || source->FStore == FStore) return;
  ClearRecords();
  FStore = source->FStore;
  FStore->Users.push_back(this);
}

void TDataSet::StoreChanged() {
  for (TDataSet* u : FStore->Users)
    if (u != this) u->FViewStale = true;
}

// Rebuilds the view after a clone changed the shared records, keeping the
// current record current where it still is in the view.
void TDataSet::RefreshStaleView() {
  if (!FViewStale || FState != dsBrowse) return;
  FViewStale = false;
  TRecordData* cur = ActiveRecordData();
  RebuildView();
  Integer pos = cur ? ViewPosOf(cur->Id) : -1;
  ResyncAt(pos < 0 ? 0 : pos);
  if (FView.Empty()) FBOF = FEOF = true;
}

void TDataSet::ReplaceRecords(const std::function<void()>& load, bool keepPosition) {
  CheckActive();
  TRecordData* cur = ActiveRecordData();
  Int64 key = cur ? cur->RowKey : 0;
  Integer pos = cur ? ViewPosOf(cur->Id) : 0;
  ClearRecords();
  try {
    load();
  } catch (...) {
    RebuildView();
    FillBuffers(0, 0);
    FBOF = true;
    FEOF = FView.Empty();
    DataEvent(deDataSetChange, 0);
    throw;
  }
  RebuildView();
  if (keepPosition) {
    Integer found = -1;
    if (key != 0)
      FView.ForEach([&](TRecordData* r, Integer i) {
        if (r->RowKey != key) return true;
        found = i;
        return false;
      });
    ResyncAt(found >= 0 ? found : std::min(pos, FView.Count() - 1));
  } else {
    FActiveRecord = 0;
    FillBuffers(0, 0);
    FBOF = true;
    FEOF = FView.Empty();
  }
  DataEvent(deDataSetChange, 0);
}

void TDataSet::DiscardRecord(TRecordData* rec) {
  // Clones must not keep the record in their views once it is freed; one
  // that is editing it drops the edit.
  for (TDataSet* u : std::vector<TDataSet*>(FStore->Users)) {
    if (u == this) continue;
    if (u->FState == dsEdit && u->ActiveRecordDataForEdit() == rec) u->Cancel();
    u->FView.Remove(rec);
    u->FViewStale = true;
  }
  FView.Remove(rec);
  FStore->Discard(rec);
}

void TDataSet::RebuildView() {
  FStore->Compact();
  std::vector<TRecordData*> view;
  view.reserve(FStore->Records.size());
  bool filtering = FFiltered && (FFilterExpr || OnFilterRecord);
  for (auto& r : FStore->Records) {
    if (r->Status == TRecordStatus::Deleted) continue;
    if (!RecordInView(r.get())) continue;
    if (filtering && !RecordMatchesFilter(r.get())) continue;
    view.push_back(r.get());
  }
  if (!FSortKeys.empty()) ApplySort(view);
  FView.Assign(std::move(view));
}

const std::vector<std::unique_ptr<TRecordData>>& TDataSet::Records() const {
  FStore->Compact();
  return FStore->Records;
}

std::vector<std::unique_ptr<TRecordData>>& TDataSet::RecordStore() {
  FStore->Compact();
  return FStore->Records;
}

TRecordData* TDataSet::ViewRecord(Integer i) const {
  if (i < 0 || i >= FView.Count()) throw std::out_of_range("TDataSet::ViewRecord");
  return FView.At(i);
}

// After a change of order or filter: keep the current record when it is
// still visible, otherwise go to the first record.
void TDataSet::ChangeView(TRecordData* keep) {
  RebuildView();
  if (!Active()) return;
  Integer pos = keep ? ViewPosOf(keep->Id) : -1;
  if (pos < 0) {
    FActiveRecord = 0;
    FillBuffers(0, 0);
    FBOF = true;
    FEOF = FView.Empty();
  } else {
    ResyncAt(pos);
  }
  DataEvent(deDataSetChange, 0);
}

// ---------------------------------------------------------------------------
// Buffers.

void TDataSet::ClearBuffers() {
  FRecordCount = 0;
  FActiveRecord = 0;
}

void TDataSet::FillBuffers(Integer first, Integer active) {
  Integer n = FView.Count();
  if ((Integer)FBuffers.size() < FBufferCount) FBuffers.resize(size_t(FBufferCount));
  FRecordCount = std::max(0, std::min(FBufferCount, n - first));
  for (Integer i = 0; i < FRecordCount; ++i) {
    FBuffers[size_t(i)].ViewPos = first + i;
    CalculateFields(i);
  }
  FActiveRecord = FRecordCount == 0 ? 0 : std::clamp(active, 0, FRecordCount - 1);
}

// Puts the record at a view position into the buffers, keeping it at the
// same buffer index as the active record had where the records allow.
void TDataSet::ResyncAt(Integer viewPos) {
  Integer n = FView.Count();
  if (n == 0) {
    FillBuffers(0, 0);
    FBOF = FEOF = true;
    return;
  }
  viewPos = std::clamp(viewPos, 0, n - 1);
  Integer act = std::min({FActiveRecord, FBufferCount - 1, viewPos});
  // Near the end the window takes records from before instead, so that it
  // stays as full as the records allow.
  Integer first = viewPos - act;
  if (first + FBufferCount > n) first = std::max(0, n - FBufferCount);
  FillBuffers(first, viewPos - first);
  FBOF = FEOF = false;
}

void TDataSet::Resync() {
  CheckActive();
  RefreshStaleView();
  TRecordData* cur = ActiveRecordData();
  Integer pos = cur ? ViewPosOf(cur->Id) : 0;
  ResyncAt(pos < 0 ? 0 : pos);
  DataEvent(deDataSetChange, 0);
}

TRecordData* TDataSet::ActiveRecordData() const {
  if (FRecordCount == 0 || FActiveRecord >= FRecordCount) return nullptr;
  Integer pos = FBuffers[size_t(FActiveRecord)].ViewPos;
  if (pos < 0 || pos >= FView.Count()) return nullptr;
  return FView.At(pos);
}

void TDataSet::SetBufferCount(Integer v) {
  if (v < 1) v = 1;
  if (v == FBufferCount) return;
  TRecordData* cur = (FState == dsInsert) ? nullptr : ActiveRecordData();
  Integer oldActive = FActiveRecord;
  FBufferCount = v;
  if ((Integer)FBuffers.size() < v) FBuffers.resize(size_t(v));
  if (!Active() || FState == dsInsert || FState == dsEdit) {
    // While editing the window stays; it is refilled by the next resync.
    if (FRecordCount > v) FRecordCount = v;
    if (FActiveRecord >= v) FActiveRecord = v - 1;
    return;
  }
  if (!cur) { FillBuffers(0, 0); return; }
  Integer pos = ViewPosOf(cur->Id);
  Integer n = FView.Count();
  // Keep as many records before the current one as before, then fill the
  // window forward and, near the end, backward.
  Integer act = std::min(oldActive, v - 1);
  Integer first = pos - act;
  if (first + v > n) first = std::max(0, n - v);
  FillBuffers(first, pos - first);
}

void TDataSet::UpdateBufferCount() {
  Integer n = 1;
  for (TDataSource* ds : FDataSources)
    for (TDataLink* l : ds->FDataLinks) n = std::max(n, l->FBufferCount);
  SetBufferCount(n);
}

// Computes the calculated and lookup fields of one buffer.
void TDataSet::CalculateFields(Integer bufferIndex) {
  Integer count = CalcFieldCount();
  Buffer& b = FBuffers[size_t(bufferIndex)];
  if (count == 0) {   // nothing to calculate (every field change comes here)
    b.Calc.clear();
    return;
  }
  b.Calc.assign(size_t(count), TDBValue{});
  TDataSetState saveState = FState;
  Integer saveSlot = FCalcSlot;
  Integer saveActive = FActiveRecord;
  const TRecordData* saveRec = FCalcRecordPtr;
  std::vector<TDBValue>* saveTarget = FCalcTarget;
  FCalcSlot = bufferIndex;
  FActiveRecord = bufferIndex;
  FCalcRecordPtr = nullptr;
  FCalcTarget = nullptr;
  FState = dsCalcFields;
  auto restore = [&] {
    FState = saveState; FCalcSlot = saveSlot; FActiveRecord = saveActive;
    FCalcRecordPtr = saveRec; FCalcTarget = saveTarget;
  };
  try {
    for (TField* f : FFields.FList)
      if (f->FFieldKind == fkLookup) b.Calc[size_t(f->FOffset)] = CalculateLookup(f);
    if (OnCalcFields) OnCalcFields(this);
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

void TDataSet::CalculateRecord(const TRecordData* rec, std::vector<TDBValue>& calc) {
  calc.assign(size_t(CalcFieldCount()), TDBValue{});
  if (calc.empty()) return;
  TDataSetState saveState = FState;
  const TRecordData* saveRec = FCalcRecordPtr;
  std::vector<TDBValue>* saveTarget = FCalcTarget;
  FCalcRecordPtr = rec;
  FCalcTarget = &calc;
  FState = dsCalcFields;
  auto restore = [&] { FState = saveState; FCalcRecordPtr = saveRec; FCalcTarget = saveTarget; };
  try {
    for (TField* f : FFields.FList)
      if (f->FFieldKind == fkLookup) calc[size_t(f->FOffset)] = CalculateLookup(f);
    if (OnCalcFields) OnCalcFields(this);
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

// The lookup value of the record being calculated.
TDBValue TDataSet::CalculateLookup(TField* f) {
  TDataSet* src = f->FLookupDataSet;
  if (!src || !src->Active() || f->FKeyFields.empty() || f->FLookupKeyFields.empty() ||
      f->FLookupResultField.empty())
    return {};
  std::vector<TField*> keys = GetFieldList(f->FKeyFields);
  std::vector<Variant> values;
  for (TField* k : keys) {
    if (k->IsNull()) return {};   // no key: no lookup value
    values.push_back(k->AsVariant());
  }
  return f->LookupValue(values);
}

// Value of a field in any cached record: data fields from the record,
// calculated and lookup fields as OnCalcFields and the lookup give them.
TDBValue TDataSet::RecordFieldValue(const TRecordData* rec, const TField* f) const {
  if (!rec) return {};
  if (f->FFieldKind == fkData || f->FFieldKind == fkInternalCalc) {
    if (f->FOffset < 0 || size_t(f->FOffset) >= rec->Values.size()) return {};
    return rec->Values[size_t(f->FOffset)];
  }
  if (f->FFieldKind != fkLookup && f->FFieldKind != fkCalculated) return {};
  if (f->FOffset < 0) return {};
  // The record a filter is testing has its values calculated already.
  if (FCalcTarget && rec == FCalcRecordPtr)
    return size_t(f->FOffset) < FCalcTarget->size() ? (*FCalcTarget)[size_t(f->FOffset)] : TDBValue{};
  if (f->FFieldKind == fkLookup) {
    if (!f->FLookupDataSet || !f->FLookupDataSet->Active()) return {};
    std::vector<Variant> values;
    for (TField* k : GetFieldList(f->FKeyFields)) {
      TDBValue kv = RecordFieldValue(rec, k);
      if (DBValueIsNull(kv)) return {};
      values.push_back(DBValueToVariant(kv, k->FDataType));
    }
    return const_cast<TField*>(f)->LookupValue(values);
  }
  // Calculating changes only the temporary calculation state, which is
  // restored before returning.
  std::vector<TDBValue> calc;
  const_cast<TDataSet*>(this)->CalculateRecord(rec, calc);
  return size_t(f->FOffset) < calc.size() ? calc[size_t(f->FOffset)] : TDBValue{};
}

const TDBValue* TDataSet::RecordDataValue(const TRecordData* rec, const TField* f) const {
  static const TDBValue null;
  if (f->FFieldKind != fkData && f->FFieldKind != fkInternalCalc) return nullptr;
  if (!rec || f->FOffset < 0 || size_t(f->FOffset) >= rec->Values.size()) return &null;
  return &rec->Values[size_t(f->FOffset)];
}

const TDBValue* TDataSet::ReadFieldValue(const TField* f) const {
  if (f->FOffset < 0) return nullptr;
  if (FState == dsBrowse && (f->FFieldKind == fkData || f->FFieldKind == fkInternalCalc)) {
    // The common case first: a stored value of the active record.
    if (FActiveRecord >= FRecordCount) return nullptr;
    Integer pos = FBuffers[size_t(FActiveRecord)].ViewPos;
    if (pos < 0 || pos >= FView.Count()) return nullptr;
    const TRecordData* rec = FView.At(pos);
    return size_t(f->FOffset) < rec->Values.size() ? &rec->Values[size_t(f->FOffset)] : nullptr;
  }
  if (FCalcTarget && (FState == dsCalcFields || FState == dsFilter)) {
    // A record calculated outside the buffers.
    if (f->FFieldKind == fkCalculated || f->FFieldKind == fkLookup)
      return size_t(f->FOffset) < FCalcTarget->size() ? &(*FCalcTarget)[size_t(f->FOffset)] : nullptr;
    const TRecordData* rec = FCalcRecordPtr;
    return rec && size_t(f->FOffset) < rec->Values.size() ? &rec->Values[size_t(f->FOffset)] : nullptr;
  }
  if (f->FFieldKind == fkCalculated || f->FFieldKind == fkLookup) {
    Integer slot = FCalcSlot >= 0 ? FCalcSlot : FActiveRecord;
    if (FState == dsFilter) return nullptr;
    if (slot < 0 || slot >= (Integer)FBuffers.size()) return nullptr;
    const Buffer& b = FBuffers[size_t(slot)];
    if (size_t(f->FOffset) >= b.Calc.size()) return nullptr;
    return &b.Calc[size_t(f->FOffset)];
  }
  if (FState == dsFilter) {
    // OnFilterRecord reads the record being tested.
    const TRecordData* rec = FFilterRecordPtr;
    return rec && size_t(f->FOffset) < rec->Values.size() ? &rec->Values[size_t(f->FOffset)] : nullptr;
  }
  bool editing = (FState == dsEdit || FState == dsInsert ||
                  (FState == dsCalcFields && FCalcEditing));
  if (editing && FActiveRecord == FEditBuffer) {
    return size_t(f->FOffset) < FEditValues.size() ? &FEditValues[size_t(f->FOffset)] : nullptr;
  }
  if (FRecordCount == 0 || FActiveRecord >= FRecordCount) return nullptr;
  Integer pos = FBuffers[size_t(FActiveRecord)].ViewPos;
  if (pos < 0 || pos >= FView.Count()) return nullptr;
  const TRecordData* rec = FView.At(pos);
  return size_t(f->FOffset) < rec->Values.size() ? &rec->Values[size_t(f->FOffset)] : nullptr;
}

void TDataSet::WriteFieldValue(TField* f, const TDBValue& v) {
  if ((f->FFieldKind == fkCalculated || f->FFieldKind == fkLookup) && FCalcTarget && FState == dsCalcFields) {
    if (size_t(f->FOffset) < FCalcTarget->size()) (*FCalcTarget)[size_t(f->FOffset)] = v;
  } else if (f->FFieldKind == fkCalculated || f->FFieldKind == fkLookup) {
    Integer slot = FCalcSlot >= 0 ? FCalcSlot : FActiveRecord;
    if (slot < 0 || slot >= (Integer)FBuffers.size()) return;
    Buffer& b = FBuffers[size_t(slot)];
    if (size_t(f->FOffset) >= b.Calc.size()) b.Calc.resize(size_t(f->FOffset) + 1);
    b.Calc[size_t(f->FOffset)] = v;
  } else {
    if (size_t(f->FOffset) >= FEditValues.size()) return;
    FEditValues[size_t(f->FOffset)] = v;
  }
}

// ---------------------------------------------------------------------------
// Fields.

TField* TDataSet::FieldByName(const String& name) const {
  TField* f = FFields.FindField(name);
  if (!f) DatabaseErrorFmtField(SFieldNotFound, name, this);
  return f;
}

std::vector<TField*> TDataSet::GetFieldList(const String& names) const {
  std::vector<TField*> out;
  for (const String& n : SplitFieldNames(names)) out.push_back(FieldByName(n));
  return out;
}

std::vector<String> TDataSet::FieldNames() const {
  std::vector<String> out;
  if (FFields.Count() > 0) {
    for (TField* f : FFields.FList) out.push_back(f->FFieldName);
  } else {
    for (Integer i = 0; i < FFieldDefs.Count(); ++i) out.push_back(FFieldDefs[i].Name);
  }
  return out;
}

void TDataSet::GetFieldNames(TStrings* list) const {
  list->BeginUpdate();
  list->Clear();
  for (const String& n : FieldNames()) list->Add(n);
  list->EndUpdate();
}

namespace {
// Collects the bytes written and stores them in the field when freed.
class TBlobStream : public TMemoryStream {
 public:
  TBlobStream(TField* field, TBlobStreamMode mode) : FField(field), FMode(mode) {
    if (mode != bmWrite) {
      String data = field->AsString();
      if (!data.empty()) WriteBuffer(data.data(), LongInt(data.size()));
      SetPosition(0);
    }
  }
  ~TBlobStream() override {
    if (FMode == bmRead) return;
    try {
      String data(size_t(Size()), '\0');
      SetPosition(0);
      if (!data.empty()) ReadBuffer(data.data(), LongInt(data.size()));
      FField->SetAsString(data);
    } catch (...) {
      // A destructor cannot report; the caller saw the dataset's state.
    }
  }
 private:
  TField* FField;
  TBlobStreamMode FMode;
};
}  // namespace

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  if (!field || field->DataSet() != this) DatabaseError("Field is not a field of this dataset", this);
  if (mode != bmRead && !IsEditMode(FState)) DatabaseError("Dataset not in edit or insert mode", this);
  return std::make_unique<TBlobStream>(field, mode);
}

Variant TDataSet::FieldValues(const String& names) const {
  std::vector<TField*> fields = GetFieldList(names);
  if (fields.size() == 1) return fields[0]->AsVariant();
  std::vector<Variant> values;
  for (TField* f : fields) values.push_back(f->AsVariant());
  return VarArrayFromList(values);
}

void TDataSet::SetFieldValues(const String& names, const Variant& v) {
  std::vector<TField*> fields = GetFieldList(names);
  if (fields.size() == 1) { fields[0]->SetAsVariant(v); return; }
  for (size_t i = 0; i < fields.size(); ++i) fields[i]->SetAsVariant(VarElement(v, Integer(i)));
}

void TDataSet::ClearFields() {
  if (!IsEditMode(FState)) DatabaseError(SNotEditing, this);
  for (auto& v : FEditValues) v = TDBValue{};
  for (Integer i = 0; i < FRecordCount; ++i)
    if (i == FEditBuffer) CalculateFields(i);
  DataEvent(deDataSetChange, 0);
}

// ---------------------------------------------------------------------------
// Navigation.

bool TDataSet::IsEmpty() const { return FView.Empty() && FState != dsInsert; }

Integer TDataSet::RecordCount() const {
  CheckActive();
  return FView.Count();
}

Integer TDataSet::RecNo() const {
  if (!Active() || FState == dsInsert) return -1;
  TRecordData* r = ActiveRecordData();
  if (!r) return -1;
  return ViewPosOf(r->Id) + 1;
}

void TDataSet::SetRecNo(Integer v) {
  CheckBrowseMode();
  Integer n = FView.Count();
  if (n == 0) return;
  v = std::clamp(v, 1, n);
  if (v == RecNo()) return;
  Notify(BeforeScroll);
  ResyncAt(v - 1);
  DataEvent(deDataSetChange, 0);
  Notify(AfterScroll);
}

void TDataSet::First() {
  CheckBrowseMode();
  RefreshStaleView();
  Notify(BeforeScroll);
  FActiveRecord = 0;
  FillBuffers(0, 0);
  FBOF = true;
  FEOF = FView.Empty();
  DataEvent(deDataSetChange, 0);
  Notify(AfterScroll);
}

void TDataSet::Last() {
  CheckBrowseMode();
  RefreshStaleView();
  Notify(BeforeScroll);
  Integer n = FView.Count();
  Integer first = std::max(0, n - FBufferCount);
  FillBuffers(first, n - 1 - first);
  FEOF = true;
  FBOF = n == 0;
  DataEvent(deDataSetChange, 0);
  Notify(AfterScroll);
}

Integer TDataSet::MoveBy(Integer distance) {
  CheckBrowseMode();
  RefreshStaleView();
  Integer result = 0;
  Notify(BeforeScroll);
  if ((distance > 0 && !FEOF) || (distance < 0 && !FBOF)) {
    FBOF = FEOF = false;
    Integer oldCount = FRecordCount;
    Integer scroll = 0;
    Integer n = FView.Count();
    while (distance > 0) {
      if (FActiveRecord < FRecordCount - 1) {
        ++FActiveRecord;
      } else {
        Integer next = FRecordCount == 0 ? n : FBuffers[size_t(FRecordCount - 1)].ViewPos + 1;
        if (next >= n) { FEOF = true; break; }
        if (FRecordCount < FBufferCount) {
          ++FRecordCount;
        } else {
          std::rotate(FBuffers.begin(), FBuffers.begin() + 1, FBuffers.begin() + FRecordCount);
          --scroll;
        }
        FBuffers[size_t(FRecordCount - 1)].ViewPos = next;
        CalculateFields(FRecordCount - 1);
        FActiveRecord = FRecordCount - 1;
      }
      --distance;
      ++result;
    }
    while (distance < 0) {
      if (FActiveRecord > 0) {
        --FActiveRecord;
      } else {
        Integer prior = FRecordCount == 0 ? -1 : FBuffers[0].ViewPos - 1;
        if (prior < 0) { FBOF = true; break; }
        if (FRecordCount < FBufferCount) {
          ++FRecordCount;
          std::rotate(FBuffers.begin(), FBuffers.begin() + FRecordCount - 1, FBuffers.begin() + FRecordCount);
        } else {
          std::rotate(FBuffers.begin(), FBuffers.begin() + FRecordCount - 1, FBuffers.begin() + FRecordCount);
          ++scroll;
        }
        FBuffers[0].ViewPos = prior;
        CalculateFields(0);
        FActiveRecord = 0;
      }
      ++distance;
      --result;
    }
    if (FRecordCount != oldCount)
      DataEvent(deDataSetChange, 0);
    else
      DataEvent(deDataSetScroll, scroll);
    Notify(AfterScroll);
  }
  return result;
}

// ---------------------------------------------------------------------------
// Editing.

void TDataSet::CheckCanModify() const {
  if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
}

template <class Op>
void TDataSet::CheckOperation(Op&& op, const TDataSetErrorEvent& handler) {
  for (;;) {
    try {
      op();
      return;
    } catch (EDatabaseError& e) {
      TDataAction action = daFail;
      if (handler) handler(this, e, action);
      if (action == daFail) throw;
      if (action == daAbort) Abort();
      // daRetry: run the operation again.
    }
  }
}

void TDataSet::Edit() {
  if (FState == dsEdit || FState == dsInsert) return;
  CheckActive();
  if (FRecordCount == 0) { Insert(); return; }
  CheckBrowseMode();
  CheckCanModify();
  Notify(BeforeEdit);
  TRecordData* rec = ActiveRecordData();
  CheckOperation([&] { InternalEditRecord(rec); }, OnEditError);
  FEditValues = rec->Values.ToVector();
  FEditBuffer = FActiveRecord;
  FAppending = false;
  SetState(dsEdit);
  CalcEditBuffer();
  DataEvent(deRecordChange, 0);
  Notify(AfterEdit);
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  CheckCanModify();
  Notify(BeforeInsert);
  Notify(BeforeScroll);
}

void TDataSet::EndInsertAppend() {
  SetState(dsInsert);
  try {
    DoOnNewRecord();
  } catch (...) {
    FEditValues.clear();
    RemoveInsertBuffer();
    SetState(dsBrowse);
    DataEvent(deDataSetChange, 0);
    throw;
  }
  FModified = false;
  DataEvent(deDataSetChange, 0);
  Notify(AfterInsert);
  Notify(AfterScroll);
}

void TDataSet::DoOnNewRecord() {
  if (OnNewRecord) OnNewRecord(this);
}

void TDataSet::InitEditRecord() {
  FEditValues.assign(size_t(FFieldDefs.Count()), TDBValue{});
  TRecordData scratch;
  scratch.Values = std::move(FEditValues);
  InternalInitRecord(&scratch);
  FEditValues = scratch.Values.Take();
}

void TDataSet::Insert() {
  CheckActive();
  BeginInsertAppend();
  // The new record takes the active buffer's place; the records from there
  // on move one buffer down (the last one leaves a full window).
  Integer at = FRecordCount == 0 ? 0 : FActiveRecord;
  FInsertViewPos = FRecordCount == 0 ? FView.Count() : FBuffers[size_t(at)].ViewPos;
  if (FRecordCount < FBufferCount) ++FRecordCount;
  for (Integer i = FRecordCount - 1; i > at; --i) FBuffers[size_t(i)] = FBuffers[size_t(i - 1)];
  FBuffers[size_t(at)].ViewPos = -1;
  FActiveRecord = at;
  FEditBuffer = at;
  FAppending = false;
  InitEditRecord();
  CalcEditBuffer();
  EndInsertAppend();
}

void TDataSet::Append() {
  CheckActive();
  BeginInsertAppend();
  // The window shows the last records with the new one after them.
  Integer n = FView.Count();
  Integer before = std::min(n, FBufferCount - 1);
  FillBuffers(n - before, 0);
  FRecordCount = before + 1;
  FBuffers[size_t(before)].ViewPos = -1;
  FActiveRecord = before;
  FEditBuffer = before;
  FInsertViewPos = n;
  FAppending = true;
  FBOF = false;
  FEOF = true;
  InitEditRecord();
  CalcEditBuffer();
  EndInsertAppend();
}

// Takes the insert buffer out of the window again (Cancel of an insert).
void TDataSet::RemoveInsertBuffer() {
  if (FEditBuffer < 0 || FEditBuffer >= FRecordCount) return;
  for (Integer i = FEditBuffer; i < FRecordCount - 1; ++i) FBuffers[size_t(i)] = FBuffers[size_t(i + 1)];
  --FRecordCount;
  FEditBuffer = -1;
}

void TDataSet::CalcEditBuffer() {
  if (FEditBuffer < 0 || FEditBuffer >= (Integer)FBuffers.size()) return;
  FCalcEditing = true;
  try { CalculateFields(FEditBuffer); } catch (...) { FCalcEditing = false; throw; }
  FCalcEditing = false;
}

void TDataSet::CheckRequiredFields() {
  for (TField* f : FFields.FList)
    if (f->FRequired && !f->FReadOnly && f->FFieldKind == fkData && f->IsNull())
      f->CheckRequired();
}

void TDataSet::UpdateRecord() {
  if (!IsEditMode(FState)) DatabaseError(SNotEditing, this);
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::Post() {
  UpdateRecord();
  if (FState != dsEdit && FState != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  Notify(BeforePost);
  CheckRequiredFields();
  bool inserting = FState == dsInsert;
  Integer newPos = 0;
  CheckOperation([&] {
    if (inserting) {
      // The edit values move into the new record once written; a failed
      // write leaves them, so the record can be corrected and posted again.
      // (The edit vector keeps its room for the next insert.)
      auto rec = FStore->Arena.New(FEditValues.size());
      rec->Status = TRecordStatus::Inserted;
      InternalPostRecord(rec.get(), FEditValues, true);
      rec->Values = std::move(FEditValues);
      rec->Id = NextRecordId();
      // Place the record: at the end when appending, else before the record
      // that was current, in the cache and in the view.
      Integer pos = std::clamp(FInsertViewPos, 0, FView.Count());
      TRecordData* before = pos < FView.Count() && !FAppending ? FView.At(pos) : nullptr;
      TRecordData* raw = FStore->Insert(std::move(rec), before);
      FView.Insert(pos, raw);
      newPos = pos;
    } else {
      TRecordData* rec = ActiveRecordDataForEdit();
      std::vector<TDBValue> values = FEditValues;
      InternalPostRecord(rec, values, false);
      rec->Values = std::move(values);
      if (rec->Status == TRecordStatus::Unmodified) rec->Status = TRecordStatus::Modified;
      newPos = ViewPosOf(rec->Id);
    }
  }, OnPostError);
  FEditValues.clear();
  FEditBuffer = -1;
  StoreChanged();
  SetState(dsBrowse);
  ResyncAt(newPos);
  DataEvent(deDataSetChange, 0);
  Notify(AfterPost);
}

TRecordData* TDataSet::ActiveRecordDataForEdit() const {
  if (FEditBuffer < 0 || FEditBuffer >= FRecordCount) return nullptr;
  Integer pos = FBuffers[size_t(FEditBuffer)].ViewPos;
  return pos >= 0 && pos < FView.Count() ? FView.At(pos) : nullptr;
}

void TDataSet::Cancel() {
  if (FState != dsEdit && FState != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  Notify(BeforeCancel);
  bool inserting = FState == dsInsert;
  Integer pos = 0;
  if (inserting) {
    RemoveInsertBuffer();
    pos = std::min(FInsertViewPos, FView.Count() - 1);
    if (FAppending) pos = FView.Count() - 1;
  } else {
    TRecordData* rec = ActiveRecordDataForEdit();
    pos = rec ? ViewPosOf(rec->Id) : 0;
  }
  FEditValues.clear();
  FEditBuffer = -1;
  SetState(dsBrowse);
  if (inserting && FActiveRecord >= FRecordCount) FActiveRecord = std::max(0, FRecordCount - 1);
  ResyncAt(pos);
  DataEvent(deDataSetChange, 0);
  Notify(AfterCancel);
}

void TDataSet::Delete() {
  CheckActive();
  if (FState == dsInsert) { Cancel(); return; }
  if (FView.Empty() || FRecordCount == 0) DatabaseError(SDataSetEmpty, this);
  if (FState == dsEdit) {
    // Deleting the record being edited drops the edit first.
    FEditValues.clear();
    FEditBuffer = -1;
  }
  DataEvent(deCheckBrowseMode, 0);
  CheckCanModify();
  Notify(BeforeDelete);
  Notify(BeforeScroll);
  TRecordData* rec = ActiveRecordData();
  Integer pos = FBuffers[size_t(FActiveRecord)].ViewPos;
  CheckOperation([&] { InternalDeleteRecord(rec); }, OnDeleteError);
  // The descendant has discarded the record (which takes it out of the
  // view) or marked it deleted.
  FView.Remove(rec);
  StoreChanged();
  SetState(dsBrowse);
  ResyncAt(std::min(pos, FView.Count() - 1));
  DataEvent(deDataSetChange, 0);
  Notify(AfterDelete);
  Notify(AfterScroll);
}

void TDataSet::InternalDeleteRecord(TRecordData* rec) { DiscardRecord(rec); }

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  switch (FState) {
    case dsEdit:
    case dsInsert:
      UpdateRecord();
      if (FModified) Post(); else Cancel();
      break;
    case dsSetKey:
      Post();
      break;
    default:
      break;
  }
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  Notify(BeforeRefresh);
  InternalRefresh();
  Notify(AfterRefresh);
}

void TDataSet::InternalRefresh() {
  // The cache is the data: nothing to read again; the view is rebuilt.
  TRecordData* cur = ActiveRecordData();
  ChangeView(cur);
}

// Unassigned values leave their fields as the new record has them.
void TDataSet::AppendRecord(const std::vector<Variant>& values) {
  Append();
  for (size_t i = 0; i < values.size() && i < FFields.FList.size(); ++i)
    if (!values[i].IsEmpty()) FFields.FList[i]->SetAsVariant(values[i]);
  Post();
}

void TDataSet::InsertRecord(const std::vector<Variant>& values) {
  Insert();
  for (size_t i = 0; i < values.size() && i < FFields.FList.size(); ++i)
    if (!values[i].IsEmpty()) FFields.FList[i]->SetAsVariant(values[i]);
  Post();
}

// ---------------------------------------------------------------------------
// Controls and events.

void TDataSet::DisableControls() {
  if (FDisableCount == 0) {
    FDisabledState = FState;
    FEnableEvent = deDataSetChange;
    FHasPendingEnableEvent = false;
  }
  ++FDisableCount;
}

void TDataSet::EnableControls() {
  if (FDisableCount == 0) return;
  if (--FDisableCount == 0) {
    if (FDisabledState != FState) DataEvent(deUpdateState, 0);
    if (FDisabledState != dsInactive && FState != dsInactive && FHasPendingEnableEvent)
      DataEvent(FEnableEvent, 0);
    FHasPendingEnableEvent = false;
  }
}

void TDataSet::DataEvent(TDataEvent event, NativeInt info) {
  if (event == deFieldChange) {
    TField* f = reinterpret_cast<TField*>(info);
    if (f->FFieldKind == fkData || f->FFieldKind == fkInternalCalc) FModified = true;
    if (FState != dsSetKey && FAutoCalcFields) CalcEditBuffer();
    if (f->OnChange) f->OnChange(f);
  }
  if (FDataSources.empty() && FDisableCount == 0) return;
  if (FDisableCount == 0) {
    // Copy: a handler may link or unlink data sources.
    std::vector<TDataSource*> sources = FDataSources;
    for (TDataSource* ds : sources)
      if (std::find(FDataSources.begin(), FDataSources.end(), ds) != FDataSources.end())
        ds->DataEvent(event, info);
  } else {
    // Links that are no controls (detail datasets) still follow.
    std::vector<TDataSource*> sources = FDataSources;
    for (TDataSource* ds : sources)
      if (std::find(FDataSources.begin(), FDataSources.end(), ds) != FDataSources.end())
        ds->DataEvent(event, info, true);
    if ((event == deUpdateState && FState == dsInactive) || event == deLayoutChange) {
      FEnableEvent = deLayoutChange;
      FHasPendingEnableEvent = true;
    } else if (event != deUpdateState && FEnableEvent != deLayoutChange) {
      FEnableEvent = deDataSetChange;
      FHasPendingEnableEvent = true;
    }
  }
}

void TDataSet::AddDataSource(TDataSource* ds) {
  FDataSources.push_back(ds);
  UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* ds) {
  auto it = std::find(FDataSources.begin(), FDataSources.end(), ds);
  if (it != FDataSources.end()) FDataSources.erase(it);
  UpdateBufferCount();
}

bool TDataSet::IsLinkedTo(TDataSource* ds) const {
  // Whether this dataset is (through masters) linked to the data source.
  const TDataSet* d = this;
  int guard = 0;
  while (d && guard++ < 64) {
    TDataSource* m = d->GetDataSource();
    if (!m) return false;
    if (m == ds) return true;
    d = m->DataSet();
  }
  return false;
}

void TDataSet::SetMasterSource(TDataSource* ds) {
  if (ds == FMasterSource) return;
  if (ds && ds->DataSet() == this) DatabaseError("Circular datalinks are not allowed", this);
  if (FMasterSource) FMasterSource->RemoveFreeNotification(this);
  FMasterSource = ds;
  if (ds) ds->FreeNotification(this);
  if (!FMasterLink) FMasterLink = std::make_unique<MasterLink>(this);
  FMasterLink->SetDataSource(ds);
}

// ---------------------------------------------------------------------------
// Bookmarks.

TBookmark TDataSet::GetBookmark() const {
  if (!Active() || FState == dsInsert) return {};
  TRecordData* r = ActiveRecordData();
  return r ? MakeBookmark(r->Id) : TBookmark{};
}

bool TDataSet::BookmarkValid(const TBookmark& b) const {
  UInt64 id;
  if (!Active() || !ReadBookmark(b, id)) return false;
  return ViewPosOf(id) >= 0;
}

void TDataSet::GotoBookmark(const TBookmark& b) {
  CheckBrowseMode();
  UInt64 id;
  Integer pos = ReadBookmark(b, id) ? ViewPosOf(id) : -1;
  if (pos < 0) DatabaseError(SBookmarkNotFound, this);
  Notify(BeforeScroll);
  // The record goes to the middle of the window, as after Locate.
  FActiveRecord = (FBufferCount - 1) / 2;
  ResyncAt(pos);
  DataEvent(deDataSetChange, 0);
  Notify(AfterScroll);
}

Integer TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
  if (a.empty() && b.empty()) return 0;
  if (a.empty()) return -1;
  if (b.empty()) return 1;
  UInt64 ia = 0, ib = 0;
  ReadBookmark(a, ia);
  ReadBookmark(b, ib);
  if (ia == ib) return 0;
  Integer pa = ViewPosOf(ia), pb = ViewPosOf(ib);
  // Records that are not in the view (filtered out, deleted) sort by id
  // after the visible ones, so the order stays total.
  if (pa < 0 && pb < 0) return ia < ib ? -1 : 1;
  if (pa < 0) return 1;
  if (pb < 0) return -1;
  return pa < pb ? -1 : 1;
}

// ---------------------------------------------------------------------------
// Locate and Lookup.

bool TDataSet::LocateRecord(const String& keyFields, const Variant& keyValues, TLocateOptions options,
                            Integer& found) {
  CheckActive();
  std::vector<TField*> fields = GetFieldList(keyFields);
  if (fields.empty()) return false;
  struct Key {
    TField* Field;
    TStorageKind Kind;
    TDBValue Value;
    String Text;   // folded when case-insensitive
  };
  std::vector<Key> keys;
  bool ci = options.Contains(loCaseInsensitive);
  bool partial = options.Contains(loPartialKey);
  for (size_t i = 0; i < fields.size(); ++i) {
    Key k{fields[i], StorageKindOf(fields[i]->DataType()), {}, {}};
    Variant v = fields.size() == 1 && VarElementCount(keyValues) == 1 ? VarElement(keyValues, 0)
                                                                     : VarElement(keyValues, Integer(i));
    try {
      k.Value = VariantToDBValue(v, k.Kind);
    } catch (Exception&) {
      return false;   // a value that cannot be a value of the field matches nothing
    }
    if (k.Kind == TStorageKind::Text && !DBValueIsNull(k.Value)) {
      k.Text = std::get<String>(k.Value);
      if (ci) k.Text = FoldCase(k.Text);
    }
    keys.push_back(std::move(k));
  }
  bool any = false;
  FView.ForEach([&](TRecordData* rec, Integer r) {
    for (const Key& k : keys) {
      const TDBValue* p = RecordDataValue(rec, k.Field);
      TDBValue copy;
      if (!p) p = &(copy = RecordFieldValue(rec, k.Field));
      const TDBValue& v = *p;
      if (DBValueIsNull(k.Value) || DBValueIsNull(v)) {
        if (DBValueIsNull(k.Value) != DBValueIsNull(v)) return true;
        continue;
      }
      if (k.Kind == TStorageKind::Text) {
        const String& raw = std::get<String>(v);
        String folded;
        const String& t = ci ? (folded = FoldCase(raw)) : raw;
        if (partial ? t.compare(0, k.Text.size(), k.Text) != 0 : t != k.Text) return true;
      } else if (CompareDBValues(v, k.Value, k.Kind, false) != 0) {
        return true;
      }
    }
    found = r;
    any = true;
    return false;
  });
  return any;
}

bool TDataSet::Locate(const String& keyFields, const Variant& keyValues, TLocateOptions options) {
  CheckBrowseMode();
  Integer pos = -1;
  if (!LocateRecord(keyFields, keyValues, options, pos)) return false;
  Notify(BeforeScroll);
  FActiveRecord = (FBufferCount - 1) / 2;
  ResyncAt(pos);
  DataEvent(deDataSetChange, 0);
  Notify(AfterScroll);
  return true;
}

Variant TDataSet::Lookup(const String& keyFields, const Variant& keyValues, const String& resultFields) {
  Integer pos = -1;
  if (!LocateRecord(keyFields, keyValues, TLocateOptions(), pos)) return Variant::Null();
  std::vector<TField*> results = GetFieldList(resultFields);
  TRecordData* rec = FView.At(pos);
  std::vector<Variant> values;
  for (TField* f : results) values.push_back(DBValueToVariant(RecordFieldValue(rec, f), f->DataType()));
  if (values.size() == 1) return values[0];
  return VarArrayFromList(values);
}

// ---------------------------------------------------------------------------
// Filter and sort.

void TDataSet::SetFilter(const String& v) {
  if (v == FFilterText && (FFilterExpr || v.empty())) return;
  std::unique_ptr<TDBFilterExpr> expr;
  if (!Trim(v).empty()) expr = TDBFilterExpr::Parse(v);   // raises on a malformed text
  if (Active() && FFiltered) CheckBrowseMode();
  String oldText = FFilterText;
  std::unique_ptr<TDBFilterExpr> oldExpr = std::move(FFilterExpr);
  FFilterText = v;
  FFilterExpr = std::move(expr);
  if (Active() && FFiltered) {
    TRecordData* keep = ActiveRecordData();
    try {
      ChangeView(keep);
    } catch (...) {
      // A filter that cannot be evaluated (unknown field, value of the wrong
      // type) leaves the previous filter in force.
      FFilterText = oldText;
      FFilterExpr = std::move(oldExpr);
      ChangeView(keep);
      throw;
    }
  }
}

void TDataSet::SetFiltered(bool v) {
  if (v == FFiltered) return;
  if (Active()) CheckBrowseMode();
  FFiltered = v;
  if (Active()) ChangeView(ActiveRecordData());
}

void TDataSet::SetFilterOptions(TFilterOptions v) {
  if (v == FFilterOptions) return;
  FFilterOptions = v;
  if (Active() && FFiltered) {
    CheckBrowseMode();
    ChangeView(ActiveRecordData());
  }
}

void TDataSet::SetOnFilterRecord(TFilterRecordEvent e) {
  OnFilterRecord = std::move(e);
  if (Active() && FFiltered) {
    CheckBrowseMode();
    ChangeView(ActiveRecordData());
  }
}

bool TDataSet::RecordMatchesFilter(TRecordData* rec) {
  // The filter sees the record's calculated and lookup values too.
  const TRecordData* saveCalcRec = FCalcRecordPtr;
  std::vector<TDBValue>* saveTarget = FCalcTarget;
  std::vector<TDBValue> calc;
  bool calculated = CalcFieldCount() > 0;
  if (calculated) CalculateRecord(rec, calc);
  struct Restore {
    TDataSet* ds; const TRecordData* r; std::vector<TDBValue>* t; bool on;
    ~Restore() { if (on) { ds->FCalcRecordPtr = r; ds->FCalcTarget = t; } }
  } restoreCalc{this, saveCalcRec, saveTarget, calculated};
  if (calculated) { FCalcRecordPtr = rec; FCalcTarget = &calc; }
  if (FFilterExpr) {
    TDBFilterExpr::Options opt;
    opt.IgnoreCase = FFilterOptions.Contains(foCaseInsensitive) || FilterIgnoresCase();
    opt.PartialCompare = !FFilterOptions.Contains(foNoPartialCompare);
    if (!FFilterExpr->Evaluate(*this, rec, opt)) return false;
  }
  if (OnFilterRecord) {
    bool accept = true;
    TDataSetState save = FState;
    const TRecordData* saveRec = FFilterRecordPtr;
    FState = dsFilter;
    FFilterRecordPtr = rec;
    try {
      OnFilterRecord(this, accept);
    } catch (...) {
      FState = save;
      FFilterRecordPtr = saveRec;
      throw;
    }
    FState = save;
    FFilterRecordPtr = saveRec;
    if (!accept) return false;
  }
  return true;
}

void TDataSet::SetSort(const String& v) {
  // "[A], B DESC, [C] ASC"
  std::vector<SortKey> keys;
  std::vector<std::pair<String, bool>> parsed;
  size_t i = 0;
  while (i < v.size()) {
    while (i < v.size() && (v[i] == ' ' || v[i] == ',' || v[i] == '\t')) ++i;
    if (i >= v.size()) break;
    String name;
    if (v[i] == '[') {
      size_t e = v.find(']', i + 1);
      if (e == String::npos) DatabaseError("Invalid sort text: " + v, this);
      name = v.substr(i + 1, e - i - 1);
      i = e + 1;
    } else {
      size_t e = i;
      while (e < v.size() && v[e] != ' ' && v[e] != ',') ++e;
      name = v.substr(i, e - i);
      i = e;
    }
    while (i < v.size() && v[i] == ' ') ++i;
    bool desc = false;
    size_t e = i;
    while (e < v.size() && v[e] != ' ' && v[e] != ',') ++e;
    String word = UpperCase(v.substr(i, e - i));
    if (word == "DESC" || word == "DESCENDING") { desc = true; i = e; }
    else if (word == "ASC" || word == "ASCENDING") { i = e; }
    else if (!word.empty()) DatabaseError("Invalid sort text: " + v, this);
    parsed.emplace_back(name, desc);
  }
  if (Active()) {
    for (auto& [name, desc] : parsed) keys.push_back({FieldByName(name), desc});
  }
  FSortText = v;
  FSortKeys = std::move(keys);
  if (Active() && !FInOpen) {
    CheckBrowseMode();
    ChangeView(ActiveRecordData());
  }
}

void TDataSet::ApplySort(std::vector<TRecordData*>& rows) const {
  if (FSortKeys.empty() || rows.size() < 2) return;
  // Sort keys are made once per record: collation keys for text.
  struct Item {
    TRecordData* Rec;
    std::vector<TDBValue> Keys;
  };
  std::vector<Item> items;
  items.reserve(rows.size());
  std::vector<TStorageKind> kinds;
  for (auto& k : FSortKeys) kinds.push_back(StorageKindOf(k.Field->DataType()));
  for (TRecordData* r : rows) {
    Item it{r, {}};
    it.Keys.reserve(FSortKeys.size());
    for (size_t k = 0; k < FSortKeys.size(); ++k) {
      TDBValue v = RecordFieldValue(r, FSortKeys[k].Field);
      if (kinds[k] == TStorageKind::Text && !DBValueIsNull(v)) v = CollationSortKey(std::get<String>(v), true);
      it.Keys.push_back(std::move(v));
    }
    items.push_back(std::move(it));
  }
  std::stable_sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
    for (size_t k = 0; k < FSortKeys.size(); ++k) {
      const TDBValue& x = a.Keys[k];
      const TDBValue& y = b.Keys[k];
      int c;
      if (kinds[k] == TStorageKind::Text && !DBValueIsNull(x) && !DBValueIsNull(y))
        c = std::get<String>(x).compare(std::get<String>(y));
      else
        c = CompareDBValues(x, y, kinds[k], false);
      if (c != 0) return FSortKeys[k].Desc ? c > 0 : c < 0;
    }
    return false;
  });
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = items[i].Rec;
}
