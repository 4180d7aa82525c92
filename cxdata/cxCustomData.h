// The data controller: what a list control asks about its rows.
//
// A data controller keeps the records of a list in a TcxDataStorage, one
// column (value def) per item of its control, and turns them into rows: it
// filters, sorts and groups the records (the update engine), keeps the
// focused row and the selection on their records across rebuilds, sums
// columns (summaries), searches texts, and edits records through its
// provider. Changes are batched: everything that changes inside
// BeginUpdate/EndUpdate is announced once, as one set of change bits, to the
// control (OnUpdateControl) and to the data listeners.
//
// Index spaces:
//   record index    a storage record, 0 .. record count - 1; internal
//                   (scratch) records are -1, -2, ...
//   position        a place in the filtered, sorted record list
//   row index       a visible line, group rows included
// cxNullEditingRecord (0x80000001), not -1, means "no record" where -1 is a
// meaningful answer.
#pragma once
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Classes.h"
#include "Variant.h"
#include "cxDataStorage.h"
#include "cxDataUtils.h"
#include "cxFilter.h"

class TcxCustomDataController;
class TcxCustomDataControllerInfo;
class TcxCustomDataField;
class TcxCustomDataFieldList;
class TcxCustomDataProvider;
class TcxCustomDataRelation;
class TcxCustomDataRelationList;
class TcxDataControllerSearch;
class TcxDataFilterCriteria;
class TcxDataFilterValueList;
class TcxDataSelection;
class TcxDataSummary;
class TcxDataSummaryItem;
class TcxSaveObject;
class TcxUpdateControlInfo;

constexpr Integer cxNullEditingRecord = Integer(0x80000001);

TOVANI_EXCEPTION(EcxInvalidDataControllerOperation, Exception)

extern const TcxResourceString cxSDataRecordIndexError;   // "RecordIndex out of range"
extern const TcxResourceString cxSDataRowIndexError;      // "RowIndex out of range"
extern const TcxResourceString cxSDataItemIndexError;     // "ItemIndex out of range"
extern const TcxResourceString cxSDataItemExistError;     // "Item already exists"
extern const TcxResourceString cxSFilterBoxAllCaption;        // "(All)"
extern const TcxResourceString cxSFilterBoxCustomCaption;     // "(Custom...)"
extern const TcxResourceString cxSFilterBoxBlanksCaption;     // "(Blanks)"
extern const TcxResourceString cxSFilterBoxNonBlanksCaption;  // "(NonBlanks)"

[[noreturn]] void cxDataControllerError(const TcxResourceString& Message);

// ---------------------------------------------------------------------------
// Sorting helpers

// A three-way comparison of two record indexes.
using TcxRecordCompareProc = int (*)(void* Context, Integer A, Integer B);

// Sorts Items[First..Last] in place (Hoare partition, midpoint pivot). The
// scans are bounded by the range, so a comparison that contradicts itself
// (answers -1 both ways, a user OnCompare) only gives a strange order, never
// a step outside the array; the smaller part is sorted first, so the stack
// stays logarithmic.
void QuickSortRecordIndexes(Integer* Items, Integer First, Integer Last,
                            TcxRecordCompareProc Compare, void* Context);

// Stable merge sort driven by a three-way comparison. Like the quicksort it
// stays inside the array whatever the comparison answers, which is why the
// data controller uses it instead of std::sort for user and Variant
// comparisons.
template <class T, class Cmp>
void cxStableSort(std::vector<T>& Items, Cmp Compare) {
  const size_t n = Items.size();
  if (n < 2) return;
  std::vector<T> buf(n);
  std::vector<T>* src = &Items;
  std::vector<T>* dst = &buf;
  for (size_t width = 1; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      const size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
      size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) {
        if (Compare((*src)[j], (*src)[i]) < 0)
          (*dst)[k++] = std::move((*src)[j++]);
        else
          (*dst)[k++] = std::move((*src)[i++]);
      }
      while (i < mid) (*dst)[k++] = std::move((*src)[i++]);
      while (j < hi) (*dst)[k++] = std::move((*src)[j++]);
    }
    std::swap(src, dst);
  }
  if (src != &Items) Items = std::move(*src);
}

enum TcxDataSortOrder { soNone, soAscending, soDescending };

// ---------------------------------------------------------------------------
// Custom data source: an outside record source the provider may read instead
// of the storage. No source of this kind exists in the program; the provider
// only forwards to one.

class TcxCustomDataSource : public TObject {
  TOVANI_CLASS(TcxCustomDataSource, TObject)
 public:
  virtual void SetProvider(TcxCustomDataProvider* AProvider) { FCurrentProvider = AProvider; }
  virtual void AddProvider(TcxCustomDataProvider* AProvider);
  virtual void RemoveProvider(TcxCustomDataProvider* AProvider);
  virtual void* AppendRecord() { return nullptr; }
  virtual void DataChanged() {}
  virtual void DeleteRecord(void* AHandle) { (void)AHandle; }
  virtual bool DetailHasChildren(void* AHandle, Integer ARelationIndex) {
    (void)AHandle; (void)ARelationIndex; return false;
  }
  virtual String GetDisplayText(void* AHandle, Integer AItem) { (void)AHandle; (void)AItem; return String(); }
  virtual Variant GetValue(void* AHandle, Integer AItem) { (void)AHandle; (void)AItem; return Variant::Null(); }
  virtual Variant GetRecordId(void* AHandle) { (void)AHandle; return Variant::Null(); }
  virtual bool IsCustomSorting() { return false; }
  virtual void CustomSort() {}
  virtual bool IsCustomCompare() { return false; }
  virtual int CompareValues(void* AHandle1, void* AHandle2, Integer AItem) {
    (void)AHandle1; (void)AHandle2; (void)AItem; return 0;
  }
  virtual bool IsRecordIdSupported() { return false; }
  virtual void* InsertRecord(void* ABefore) { (void)ABefore; return nullptr; }
  virtual void LoadRecordHandles() {}
  virtual void SetRecordCount(Integer ACount) { (void)ACount; }
  virtual void SetValue(void* AHandle, Integer AItem, const Variant& AValue) {
    (void)AHandle; (void)AItem; (void)AValue;
  }

 protected:
  TcxCustomDataProvider* FCurrentProvider = nullptr;
  std::vector<TcxCustomDataProvider*> FProviders;
};

// ---------------------------------------------------------------------------
// Data fields

class TcxCustomDataField : public TObject {
  TOVANI_CLASS(TcxCustomDataField, TObject)
 public:
  explicit TcxCustomDataField(TcxCustomDataFieldList* AFieldList);
  ~TcxCustomDataField() override;

  virtual void TakeOverData(TcxCustomDataField* Source);
  virtual void ComponentRemoved(TComponent* AComponent) { (void)AComponent; }
  virtual bool CanHoldValue() const;
  virtual bool CanModifyWithoutSource() const { return false; }
  virtual bool IsInternalField() const { return FInternal; }

  TcxCustomDataFieldList* FieldList() const { return FFieldList; }
  TcxCustomDataController* DataController() const;
  TObject* Item() const { return FItem; }
  void SetItem(TObject* Value) { FItem = Value; }
  Integer Index() const;
  void SetIndex(Integer Value);

  TcxValueDef* ValueDef() const;
  TcxValueTypeClass ValueTypeClass() const;
  void SetValueTypeClass(TcxValueTypeClass Value);
  bool TextStored() const;
  void SetTextStored(bool Value);
  TcxCustomDataField* ReferenceField() const { return FReferenceField; }
  void SetReferenceField(TcxCustomDataField* Value);
  bool Internal() const { return FInternal; }
  void SetInternal(bool Value);
  bool Attribute() const { return FAttribute; }
  void SetAttribute(bool Value) { FAttribute = Value; }

  void BeginRecreateData();
  void EndRecreateData();

  // Set by the update engine around sorting and locating: 0 not prepared,
  // -1 storage comparison, 1 compare values, 2 compare display texts.
  Integer CompareMode = 0;
  // Collation keys of the field's texts by record index, made once per
  // sort when texts are compared with the locale's collation.
  std::vector<std::string> SortKeys;
  bool SortKeysValid = false;
  // The storage's compare keys of the field by record index (with their
  // Null flags), made once per sort for fields compared in the storage.
  std::vector<const void*> CompareKeys;
  std::vector<char> CompareNulls;
  bool CompareKeysValid = false;
  void ClearSortCaches();
  // Used by the controller's field pass (UpdateFields).
  bool Processed = false;

 protected:
  void DropValueDef();
  void CreateValueDef();

 private:
  friend class TcxCustomDataFieldList;
  friend class TcxCustomDataController;
  TcxCustomDataFieldList* FFieldList;
  TObject* FItem = nullptr;
  TcxValueDef* FValueDef = nullptr;
  TcxValueTypeClass FValueTypeClass = nullptr;
  TcxCustomDataField* FReferenceField = nullptr;
  bool FTextStored = false;
  bool FInternal = false;
  bool FAttribute = false;
  Integer FRecreateLock = 0;
};

class TcxCustomDataFieldList : public TObject {
  TOVANI_CLASS(TcxCustomDataFieldList, TObject)
 public:
  explicit TcxCustomDataFieldList(TcxCustomDataController* AController) : FDataController(AController) {}
  ~TcxCustomDataFieldList() override;

  virtual Integer ComponentRemoved(TComponent* AComponent);

  TcxCustomDataController* DataController() const { return FDataController; }
  TcxCustomDataField* FieldByItem(TObject* AItem) const;
  void AddField(TcxCustomDataField* AField);
  void RemoveField(TcxCustomDataField* AField);
  void Clear();
  Integer Count() const { return Integer(FItems.size()); }
  TcxCustomDataField* Items(Integer Index) const { return FItems.at(size_t(Index)); }
  Integer IndexOf(const TcxCustomDataField* AField) const;
  Integer ItemCount() const { return Count() - FInternalCount; }
  Integer InternalCount() const { return FInternalCount; }
  bool FieldDestroyed = false;

  void RecountInternal();
  void Move(Integer From, Integer To);

 private:
  TcxCustomDataController* FDataController;
  std::vector<TcxCustomDataField*> FItems;
  Integer FInternalCount = 0;
};

// ---------------------------------------------------------------------------
// Relations and detail objects (the data structures; the master-detail
// behaviour builds on them).

class TcxDetailInfoObject : public TObject {
  TOVANI_CLASS(TcxDetailInfoObject, TObject)
 public:
  ~TcxDetailInfoObject() override { delete LinkObject; }
  TObject* LinkObject = nullptr;   // owned
};

class TcxDetailObject : public TObject {
  TOVANI_CLASS(TcxDetailObject, TObject)
 public:
  ~TcxDetailObject() override { ClearInfoObjects(); }
  Integer ActiveRelationIndex = -1;
  bool Expanded = false;

  void ClearInfoObjects();
  void FreeLinkObject(Integer ARelationIndex);
  TObject* LinkObject(Integer ARelationIndex) const;
  void SetLinkObject(Integer ARelationIndex, TObject* Value);
  bool IsEmpty() const;
  void CorrectCount(TcxCustomDataRelationList* ARelations);
  Integer InfoCount() const { return Integer(FInfos.size()); }

 private:
  std::vector<std::unique_ptr<TcxDetailInfoObject>> FInfos;
};

class TcxCustomDataRelation : public TObject {
  TOVANI_CLASS(TcxCustomDataRelation, TObject)
 public:
  TcxCustomDataRelation(TcxCustomDataRelationList* ARelationList, TObject* AItem);
  ~TcxCustomDataRelation() override;
  virtual void FieldRemoved(TcxCustomDataField* AField) { (void)AField; }

  TcxCustomDataRelationList* RelationList() const { return FRelationList; }
  TObject* Item() const { return FItem; }
  Integer Index() const;
  TcxCustomDataController* DetailDataController() const { return FDetailDataController; }
  void SetDetailDataController(TcxCustomDataController* Value) { FDetailDataController = Value; }
  TcxCustomDataController* DataController() const;
  // The relation's change step: the master's detail objects are refitted.
  virtual void Changed();

 private:
  friend class TcxCustomDataRelationList;
  TcxCustomDataRelationList* FRelationList;
  TObject* FItem;
  TcxCustomDataController* FDetailDataController = nullptr;
};

class TcxCustomDataRelationList : public TObject {
  TOVANI_CLASS(TcxCustomDataRelationList, TObject)
 public:
  explicit TcxCustomDataRelationList(TcxCustomDataController* AController) : FDataController(AController) {}
  ~TcxCustomDataRelationList() override;

  TcxCustomDataController* DataController() const { return FDataController; }
  Integer Count() const { return Integer(FItems.size()); }
  TcxCustomDataRelation* Items(Integer Index) const { return FItems.at(size_t(Index)); }
  Integer IndexOf(const TcxCustomDataRelation* R) const;
  TcxCustomDataRelation* FindByItem(TObject* AItem) const;
  TcxCustomDataRelation* Add(TObject* AItem);
  void BeginUpdate() { ++FLockCount; }
  void EndUpdate();
  void Clear();
  // The record's detail object, made on demand while some relation has a
  // detail controller; null otherwise.
  TcxDetailObject* DetailObjectOf(Integer ARecordIndex);
  bool IsDetailDataControllerExist(Integer ARecordIndex, Integer ARelationIndex);
  void ClearDetailObject(Integer ARecordIndex, Integer ARelationIndex);
  void RemoveField(TcxCustomDataField* AField);
  TcxCustomDataField* DetailObjectsField() const { return FDetailObjectsField; }

 private:
  friend class TcxCustomDataRelation;
  void AddRelation(TcxCustomDataRelation* R);
  void RemoveRelation(TcxCustomDataRelation* R);
  void RelationsChanged();
  TcxDetailObject* StoredDetailObject(Integer ARecordIndex);
  void StoreDetailObject(Integer ARecordIndex, TcxDetailObject* AObject);

  TcxCustomDataController* FDataController;
  std::vector<TcxCustomDataRelation*> FItems;
  Integer FLockCount = 0;
  bool FClearing = false;
  TcxCustomDataField* FDetailObjectsField = nullptr;
};

// ---------------------------------------------------------------------------
// Sorting and grouping lists

struct TcxDataSortInfo {
  TcxCustomDataField* Field;
  TcxDataSortOrder SortOrder;
};

class TcxSortingFieldList : public TObject {
  TOVANI_CLASS(TcxSortingFieldList, TObject)
 public:
  virtual void SetFieldOrder(TcxCustomDataField* AField, TcxDataSortOrder AOrder);

  Integer Count() const { return Integer(FItems.size()); }
  const TcxDataSortInfo& Items(Integer Index) const { return FItems.at(size_t(Index)); }
  Integer IndexOf(const TcxCustomDataField* AField) const;
  TcxDataSortOrder OrderOf(const TcxCustomDataField* AField) const;
  void Add(TcxCustomDataField* AField, TcxDataSortOrder AOrder);
  void Insert(Integer Index, TcxCustomDataField* AField, TcxDataSortOrder AOrder);
  void Delete(Integer Index);
  void Remove(TcxCustomDataField* AField);
  void Move(Integer From, Integer To);
  void SetOrder(Integer Index, TcxDataSortOrder AOrder);
  void Clear();
  void TouchField(TcxCustomDataField* AField);
  void AppendMissingFrom(const TcxSortingFieldList* AOther);

  std::function<void()> OnChanged;

 protected:
  void Changed() {
    if (OnChanged) OnChanged();
  }
  std::vector<TcxDataSortInfo> FItems;
};

class TcxGroupingFieldList : public TcxSortingFieldList {
  TOVANI_CLASS(TcxGroupingFieldList, TcxSortingFieldList)
 public:
  void SetFieldOrder(TcxCustomDataField* AField, TcxDataSortOrder AOrder) override;
  void SetGroupIndex(TcxCustomDataField* AField, Integer AIndex);
  void CopyOrdersFrom(const TcxSortingFieldList* ASorting);
};

// ---------------------------------------------------------------------------
// Group tree

struct TcxDataGroupInfo {
  Integer RowIndex = 0;
  bool Expanded = false;
  Integer Level = 0;
  Integer FirstIndex = 0;
  Integer LastIndex = 0;
  Variant SummaryValues;
};

struct TcxRowInfo {
  bool Expanded = false;
  Integer Level = 0;
  Integer RecordIndex = -1;
  Integer RecordListIndex = -1;   // the position in the record list
};

class TcxDataGroups : public TObject {
  TOVANI_CLASS(TcxDataGroups, TObject)
 public:
  Integer LevelCount() const { return Integer(FFields.size()); }
  Integer Count() const { return Integer(FItems.size()); }
  TcxDataGroupInfo& Items(Integer Index) { return FItems.at(size_t(Index)); }
  const TcxDataGroupInfo& Items(Integer Index) const { return FItems.at(size_t(Index)); }
  TcxCustomDataField* FieldByLevel(Integer Level) const { return FFields.at(size_t(Level)); }
  void AddField(TcxCustomDataField* AField) { FFields.push_back(AField); }
  Integer Add();
  void Clear();
  void Reserve(size_t N) { FItems.reserve(N); }

  Integer ChildCount(Integer Group) const;
  Integer ChildGroup(Integer Group, Integer N) const;
  Integer ChildRecordPosition(Integer Group, Integer N) const;
  Integer FirstRecordPosition(Integer Group) const;
  // The group shown at the row, or -1 for a record row; Nearest is then the
  // deepest group whose records contain the row.
  Integer GroupOfRow(Integer Row, Integer& Nearest) const;
  Integer GroupAtLevelOfRow(Integer Row, Integer Level) const;
  Integer LevelOf(Integer Group) const;
  Integer GroupAtLevelOfPosition(Integer Position, Integer Level) const;
  Integer ParentOf(Integer Group) const;
  bool IsGroupShown(Integer Group) const;
  bool RevealGroup(Integer Group, bool ExpandItself);
  void SetAllExpanded(bool Expanded);
  Integer RowCount() const;
  TcxRowInfo RowInfoOf(Integer Row) const;
  void RecomputeRowIndexes();
  // The deepest group whose record range contains the position (-1 none).
  Integer DeepestGroupOfPosition(Integer Position) const;

 private:
  std::vector<TcxCustomDataField*> FFields;
  std::vector<TcxDataGroupInfo> FItems;
};

// ---------------------------------------------------------------------------
// Focus, group-state snapshot, selection

class TcxDataFocusingInfo : public TObject {
  TOVANI_CLASS(TcxDataFocusingInfo, TObject)
 public:
  explicit TcxDataFocusingInfo(TcxCustomDataControllerInfo* AInfo) : FInfo(AInfo) {}
  void CopyFrom(const TcxDataFocusingInfo* Other);
  void ClearPosition();
  bool SamePosition(const TcxDataFocusingInfo* Other) const;
  void TakeFromController();
  void SyncFromRow(Integer ARow);

  Integer Level = -1;
  Integer PrevRecordIndex = -1;
  Integer RecordIndex = -1;
  Integer RowIndex = -1;
  bool Changed = false;
  bool PrevNewItemRowFocused = false;

 private:
  TcxCustomDataControllerInfo* FInfo;
};

struct TcxDataExpandingInfo {
  Integer Level;
  Variant Value;
  Integer State;   // 1 expanded, 2 selected
};

class TcxDataExpandingInfos : public TObject {
  TOVANI_CLASS(TcxDataExpandingInfos, TObject)
 public:
  void AddLevelField(TcxCustomDataField* AField);
  void AddInfo(Integer Level, const Variant& Value, Integer State);
  void ForgetField(TcxCustomDataField* AField);
  void ClearSnapshot();
  Integer FieldCount() const { return Integer(FFields.size()); }
  TcxCustomDataField* Fields(Integer Index) const { return FFields.at(size_t(Index)); }
  Integer Count() const { return Integer(FItems.size()); }
  const TcxDataExpandingInfo& Items(Integer Index) const { return FItems.at(size_t(Index)); }
  Integer SavedStates = 0;   // 1 expanded, 2 selected

 private:
  std::vector<TcxCustomDataField*> FFields;
  std::vector<TcxDataExpandingInfo> FItems;
};

struct TcxDataSelectionEntry {
  Integer Level;         // -1 for a group row
  Integer RecordIndex;   // the record, or the group's index
  Integer RowIndex;
};

class TcxDataSelection : public TObject {
  TOVANI_CLASS(TcxDataSelection, TObject)
 public:
  explicit TcxDataSelection(TcxCustomDataController* AController) : FDataController(AController) {}

  virtual void ClearAnchor() { AnchorRowIndex = -1; }
  virtual void InsertEntry(Integer Position, Integer Row, Integer Level, Integer Index);
  virtual void ClearEntries();
  virtual void DeleteEntry(Integer Position);
  virtual void SetEntryCount(Integer Count);
  virtual void AddEntry(Integer Position, Integer Row, Integer Level, Integer Index);
  virtual bool FindRow(Integer Row, Integer& Position) const;

  TcxCustomDataController* DataController() const { return FDataController; }
  void EmptyEntries();
  void ResetSelection();
  void RemoveEntryAt(Integer Position);
  Integer FindGroupEntry(Integer Group) const;
  Integer FindRecordEntry(Integer Record) const;
  bool IsRecordSelected(Integer Record) const { return FindRecordEntry(Record) != -1; }
  bool IsRowSelected(Integer Row) const;
  void SortByRow();
  void DropFilteredOut();
  // Removes every entry the predicate picks in one pass (clearing the
  // anchor when its row goes); answers whether any went. Bulk removal stays
  // linear where entry-by-entry deletion would be quadratic.
  bool RemoveEntriesIf(const std::function<bool(const TcxDataSelectionEntry&)>& APred);
  Integer Count() const { return Integer(FItems.size()); }
  TcxDataSelectionEntry& Items(Integer Index) { return FItems.at(size_t(Index)); }
  const TcxDataSelectionEntry& Items(Integer Index) const { return FItems.at(size_t(Index)); }
  // The entries themselves, for the update engine's bulk recalculations
  // (which keep them sorted by row).
  std::vector<TcxDataSelectionEntry>& Entries() { return FItems; }

  Integer AnchorRowIndex = -1;
  std::function<void()> OnChanged;
  std::vector<TcxCustomDataField*> Fields;

 protected:
  void Changed() {
    if (OnChanged) OnChanged();
  }
  std::vector<TcxDataSelectionEntry> FItems;

 private:
  TcxCustomDataController* FDataController;
};

class TcxDataControllerGroups : public TObject {
  TOVANI_CLASS(TcxDataControllerGroups, TObject)
 public:
  explicit TcxDataControllerGroups(TcxCustomDataController* AController) : FDataController(AController) {}
  Integer GroupingItemCount() const;
  Integer GroupingItemIndex(Integer Level) const;
  Integer ChildCount(Integer Group) const;
  Integer ChildGroup(Integer Group, Integer N) const;
  Integer Level(Integer Group) const;
  Integer ChildRecordIndex(Integer Group, Integer N) const;
  Integer DataGroupIndexByRowIndex(Integer Row) const;
  void AddRecordsOfGroup(std::vector<Integer>& List, Integer Group) const;
  void AddRecordsOfRow(std::vector<Integer>& List, Integer Row) const;

 private:
  TcxDataGroups* Groups() const;
  TcxCustomDataController* FDataController;
};

// ---------------------------------------------------------------------------
// Update engine

enum : Word {
  dcicRebuildRecords = 0x001,
  dcicRegroup = 0x002,
  dcicResort = 0x004,
  dcicFocusMoved = 0x008,
  dcicFieldLayout = 0x010,
  dcicRevealed = 0x020,
  dcicFocusFromController = 0x040,
  dcicSelectionChanged = 0x080,
  dcicRecalcSummaries = 0x100,
  dcicCheckFocusedRow = 0x200,
};

class TcxCustomDataControllerInfo : public TObject {
  TOVANI_CLASS(TcxCustomDataControllerInfo, TObject)
 public:
  explicit TcxCustomDataControllerInfo(TcxCustomDataController* AController);
  ~TcxCustomDataControllerInfo() override;

  virtual void CheckSelectionRecords();
  virtual void Update();

  TcxCustomDataController* DataController() const { return FDataController; }

  // Change requests.
  void LockUpdates() { ++FLockCount; }
  void UnlockUpdates();
  Integer LockCount() const { return FLockCount; }
  void ApplyPendingChanges();
  void AddChanges(Word Bits) { FChanges |= Bits; }
  Word PendingChanges() const { return FChanges; }
  void RecordsChanged();
  void TakeFocusFromController();
  void SummaryItemsChanged(bool OneItemOnly);
  void NoteRevealed();
  void NoteRowsMoved(bool AlsoPrevious);
  void RemoveFieldReferences(TcxCustomDataField* AField);
  void FieldChanged(TcxCustomDataField* AField);
  void ApplySortOrder(TcxCustomDataField* AField, TcxDataSortOrder AOrder);
  void ClearSortOrders(bool KeepGrouped);
  void Refresh() { ApplyPendingChanges(); }

  // Rows and records.
  Integer RowCount() const;
  void CheckRow(Integer Row) const;
  TcxRowInfo RowInfo(Integer Row) const;
  Integer RowOfRecord(Integer Record, bool Reveal);
  Integer NearestRow(Integer Row) const;
  Integer RecordListCount() const { return Integer(FRecordList.size()); }
  Integer RecordAt(Integer Position) const { return FRecordList.at(size_t(Position)); }
  // Through a record-to-position index kept beside the list.
  Integer RecordListIndexOf(Integer Record) const;
  const std::vector<Integer>& RecordList() const { return FRecordList; }
  bool IsGrouped() const { return FGroups->Count() > 0; }
  bool GroupsAlwaysExpanded() const;
  bool SelectedRecordsSummaryMode() const;
  bool GroupsSortedBySummary() const;
  void PrepareCompareModes();
  void ResetCompareModes();
  int CompareForSorting(Integer A, Integer B);
  int CompareForGrouping(Integer A, Integer B, Integer SortIndex);

  // Focus and selection.
  bool ChangeFocusedRow(Integer Row, bool Force = false);
  void FocusRowFromTop(Integer Row);
  void ChangeFocusedRowLocked(Integer Row);
  bool CanFocusRow(Integer Row);
  Integer FocusedRecordIndex() const;
  Integer FocusedRowIndex() const { return FFocus->RowIndex; }
  bool PrevFocusChanged() const { return FPrevFocus->Changed; }
  void SetRowSelected(Integer Row, bool Selected);
  void EmptySelection();
  void ClearSelectionAnchor() { FSelection->ClearAnchor(); }
  Integer SelectedCount() const { return FSelection->Count(); }
  Integer SelectedRow(Integer Index) const { return FSelection->Items(Index).RowIndex; }
  bool IsRowSelected(Integer Row) const;
  void SaveGroupStates(Integer States);
  // Called before a value or record of the storage changes: takes the
  // group-state snapshot while the values still match the group tree.
  void SnapshotBeforeChange();
  Integer FindFocusedRow();
  void RecalcSelectionRows();
  void ResetFocusAfterReorder();
  void RestoreFocus();

  TcxGroupingFieldList* GroupingList() const { return FGroupingList.get(); }
  TcxSortingFieldList* SortingList() const { return FSortingList.get(); }
  TcxSortingFieldList* TotalSortingList() const { return FTotalSortingList.get(); }
  TcxDataGroups* Groups() const { return FGroups.get(); }
  TcxDataExpandingInfos* GroupStates() const { return FGroupStates.get(); }
  TcxDataFocusingInfo* Focus() const { return FFocus.get(); }
  TcxDataFocusingInfo* PrevFocus() const { return FPrevFocus.get(); }
  TcxDataSelection* Selection() const { return FSelection.get(); }
  bool Calculating() const { return FCalculating; }
  bool Focusing() const { return FFocusing; }
  bool InCanFocus() const { return FInCanFocus; }

 protected:
  void BuildRecordList();
  void Filter();
  void Sort();
  void BuildGroups();
  bool SortByKeys();
  void DecideSaveGroupStates();
  void RestoreGroupStates();
  void RestoreStates();
  void Notify();
  Integer RecordRow(Integer Group, Integer Position, bool Reveal);
  void SaveGroup(Integer Group, bool SaveSelected);
  void ReapplyGroupSnapshot();
  void RecalcSelectionAfterRegroup();
  void InvalidateRecordIndex() { FRecordIndexValid = false; }

 private:
  TcxCustomDataController* FDataController;
  Word FChanges = 0;
  Integer FLockCount = 0;
  std::vector<Integer> FRecordList;
  mutable std::vector<Integer> FRecordPositions;
  mutable bool FRecordIndexValid = false;
  std::unique_ptr<TcxGroupingFieldList> FGroupingList;
  std::unique_ptr<TcxSortingFieldList> FSortingList;
  std::unique_ptr<TcxSortingFieldList> FTotalSortingList;
  std::unique_ptr<TcxDataGroups> FGroups;
  std::unique_ptr<TcxDataExpandingInfos> FGroupStates;
  std::unique_ptr<TcxDataFocusingInfo> FFocus;
  std::unique_ptr<TcxDataFocusingInfo> FPrevFocus;
  std::unique_ptr<TcxDataSelection> FSelection;
  bool FCalculating = false;
  bool FRevealed = false;
  bool FFocusing = false;
  bool FInCanFocus = false;
};

// ---------------------------------------------------------------------------
// Filter criteria bound to a controller

class TcxDataFilterCriteriaItem : public TcxFilterCriteriaItem {
  TOVANI_CLASS(TcxDataFilterCriteriaItem, TcxFilterCriteriaItem)
 public:
  TObject* Link() const override;
  void SetLink(TObject* Value) override;
  Variant LinkValue(Integer ARecord) override;
  String LinkCaption() override;
  String LinkFieldName() override;
  // The data field the condition tests; the stored link may be the field
  // or (as conditions are made and read) the controller's item object.
  TcxCustomDataField* Field() const;
  TcxCustomDataController* DataController() const;
};

class TcxDataFilterValueList : public TcxFilterValueList {
  TOVANI_CLASS(TcxDataFilterValueList, TcxFilterValueList)
 public:
  TcxDataFilterValueList() = default;
  virtual void LoadValues(Integer AItemIndex, bool UseDisplayTextSorting, bool FilteredRecordsOnly);
  TcxDataFilterCriteria* DataCriteria() const;
};

using TcxDataFilterGetValueListEvent =
    std::function<void(TcxFilterCriteria* Sender, Integer AItemIndex, TcxDataFilterValueList* AValueList)>;

class TcxDataFilterCriteria : public TcxFilterCriteria {
  TOVANI_CLASS(TcxDataFilterCriteria, TcxFilterCriteria)
 public:
  explicit TcxDataFilterCriteria(TcxCustomDataController* AController);
  ~TcxDataFilterCriteria() override;

  virtual TcxDataFilterValueList* CreateDataValueList();
  virtual bool IsFiltering() const;

  TcxCustomDataController* DataController() const { return FDataController; }
  bool Active() const { return FActive; }
  void SetActive(bool Value);
  bool DoFilterRecord(Integer ARecord) { return MatchesRecord(ARecord); }
  void RemoveItemByField(TcxCustomDataField* AField) { RemoveLinkConditions(AField); }
  TcxFilterCriteriaItem* FindItemByLink(TObject* ALink) override;

  void AssignFrom(TPersistent* Source, bool IgnoreLinkNames) override;
  void AssignEvents(TPersistent* Source) override;
  // The conditions travel in the owner's form stream as the binary
  // property "Criteria" in the tagged stream form.
  void DefineProperties(TFiler* Filer) override;
  Integer LinkId(TObject* ALink) override;
  String LinkName(TObject* ALink) override;
  TObject* LinkById(Integer AId) override;
  TObject* LinkByName(const String& AName) override;
  TClass ItemClass() const override;
  TClass ValueListClass() const override;

  TcxDataFilterGetValueListEvent OnGetValueList;
  bool Destroying = false;

 protected:
  void FireChanged() override;

 private:
  TcxCustomDataController* FDataController;
  bool FActive = false;
  bool FInApply = false;
};

// ---------------------------------------------------------------------------
// Summaries

enum TcxSummaryKind { skNone, skSum, skMin, skMax, skCount, skAverage };
TOVANI_ENUM_INFO(TcxSummaryKind)
enum TcxSummaryPosition { spGroup, spFooter };
TOVANI_ENUM_INFO(TcxSummaryPosition)
enum TcxSummaryOption { soNullIgnore, soSelectedRecords, soMultipleSelectedRecords };
TOVANI_ENUM_INFO(TcxSummaryOption)
using TcxSummaryOptions = TSet<TcxSummaryOption>;

class TcxDataSummaryItems;

struct TcxSummaryEventArguments {
  Integer RecordIndex;
  TcxDataSummaryItem* SummaryItem;
};
struct TcxSummaryEventOutArguments {
  Variant Value;
  Variant SummaryValue;
  Integer CountValue;
  bool Done;
};
using TcxSummaryEvent = std::function<void(TcxDataSummaryItems* ASender, const TcxSummaryEventArguments& Arguments,
                                           TcxSummaryEventOutArguments& OutArguments)>;
using TcxDataSummaryItemGetTextEvent =
    std::function<void(TcxDataSummaryItem* Sender, const Variant& AValue, bool AIsFooter, String& AText)>;
using TcxAfterSummaryEvent = std::function<void(TcxDataSummary* ASender)>;

class TcxCustomDataSummaryItem : public TCollectionItem {
  TOVANI_CLASS(TcxCustomDataSummaryItem, TCollectionItem)
 public:
  using TCollectionItem::TCollectionItem;
  virtual TcxCustomDataController* DataController() const;
  virtual void FieldChanging(TcxCustomDataField* ANewField) { (void)ANewField; }

  TcxCustomDataField* Field() const { return FField; }
  void SetField(TcxCustomDataField* Value);
  TObject* ItemLink() const;
  void SetItemLink(TObject* Value);
  void Assign(TPersistent* Source) override;

 protected:
  friend class TcxDataSummary;
  TcxCustomDataField* FField = nullptr;
};

class TcxDataSummaryItem : public TcxCustomDataSummaryItem {
  TOVANI_CLASS(TcxDataSummaryItem, TcxCustomDataSummaryItem)
 public:
  TcxDataSummaryItem() = default;
  ~TcxDataSummaryItem() override;
  virtual bool IsCurrencyType(TVarType AType) const;
  virtual bool CanCalculate() const;
  virtual bool IsPositionStored() const;
  virtual TcxCustomDataField* DataField() const { return FField; }
  virtual void FormatValue(const Variant& AValue, bool AIsFooter, String& AText);
  String FormatValue(const Variant& AValue, bool AIsFooter) {
    String s;
    FormatValue(AValue, AIsFooter, s);
    return s;
  }

  void Assign(TPersistent* Source) override;
  const String& Format() const { return FFormat; }
  void SetFormat(const String& Value);
  TcxSummaryKind Kind() const { return FKind; }
  void SetKind(TcxSummaryKind Value);
  TcxSummaryPosition Position() const;
  void SetPosition(TcxSummaryPosition Value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  // The position set on the item (a footer collection overrides it).
  TcxSummaryPosition OwnPosition() const { return FPosition; }
  TcxDataSummaryItems* SummaryItems() const;

  TcxDataSummaryItemGetTextEvent OnGetText;

 private:
  String FFormat;
  TcxSummaryKind FKind = skNone;
  TcxSummaryPosition FPosition = spGroup;
  bool FSorted = false;
};

class TcxDataSummaryItems : public TcxCollection {
  TOVANI_CLASS(TcxDataSummaryItems, TcxCollection)
 public:
  TcxDataSummaryItems(TPersistent* AOwner, TcxDataSummary* ASummary, TClass AItemClass);
  virtual void SortedItemChanging(TcxDataSummaryItem* AItem, bool ASorted) { (void)AItem; (void)ASorted; }
  virtual TcxSummaryPosition ItemPosition(const TcxDataSummaryItem* AItem) const;
  virtual bool IsItemPositionStored(const TcxDataSummaryItem* AItem) const;
  virtual void CopyEvents(TcxDataSummaryItems* Source) { OnSummary = Source->OnSummary; }
  virtual void DefaultFormat(Integer ACategory, TcxSummaryKind AKind, String& AText, bool AIsFooter);
  virtual void GroupSummaryText(const Variant& AValues, String& AText);
  TcxDataSummaryItem* FindItem(Integer AItemIndex, TcxSummaryPosition APosition, TcxSummaryKind AKind,
                               bool ACheckKind);

  TcxDataSummary* Summary() const { return FSummary; }
  TcxCustomDataController* DataController() const;
  TcxDataSummaryItem* Items(Integer Index) const;
  TcxDataSummaryItem* Add() { return static_cast<TcxDataSummaryItem*>(TCollection::Add()); }
  TcxDataSummaryItem* Add(TObject* AItemLink, TcxSummaryPosition APosition, TcxSummaryKind AKind,
                          const String& AFormat = String());
  Integer IndexOfItemLink(TObject* AItemLink) const;
  TcxDataSummaryItem* ItemOfItemLink(TObject* AItemLink) const;
  Integer IndexOfField(const TcxCustomDataField* AField) const;
  TcxDataSummaryItem* ItemOfField(const TcxCustomDataField* AField) const;

  TcxSummaryEvent OnSummary;

 protected:
  TPersistent* GetOwner() override { return FOwner; }
  void Update(TCollectionItem* Item) override;

 private:
  TPersistent* FOwner;
  TcxDataSummary* FSummary;
};

class TcxDataFooterSummaryItems : public TcxDataSummaryItems {
  TOVANI_CLASS(TcxDataFooterSummaryItems, TcxDataSummaryItems)
 public:
  using TcxDataSummaryItems::TcxDataSummaryItems;
  TcxSummaryPosition ItemPosition(const TcxDataSummaryItem*) const override { return spFooter; }
  bool IsItemPositionStored(const TcxDataSummaryItem*) const override { return false; }
};

class TcxDataGroupSummaryItems : public TcxDataSummaryItems {
  TOVANI_CLASS(TcxDataGroupSummaryItems, TcxDataSummaryItems)
 public:
  using TcxDataSummaryItems::TcxDataSummaryItems;
  void SortedItemChanging(TcxDataSummaryItem* AItem, bool ASorted) override;
  void GroupSummaryText(const Variant& AValues, String& AText) override;
  TcxDataSummaryItem* SortedItem() const;

  const String& BeginText() const { return FBeginText; }
  void SetBeginText(const String& Value);
  const String& EndText() const { return FEndText; }
  void SetEndText(const String& Value);
  const String& Separator() const { return FSeparator; }
  void SetSeparator(const String& Value);

 private:
  void TextChanged();
  String FBeginText = "(";
  String FEndText = ")";
  String FSeparator = ",";
};

class TcxDataSummaryGroup;

class TcxDataSummaryGroupItemLink : public TcxCustomDataSummaryItem {
  TOVANI_CLASS(TcxDataSummaryGroupItemLink, TcxCustomDataSummaryItem)
 public:
  TcxDataSummaryGroupItemLink() = default;
  void FieldChanging(TcxCustomDataField* ANewField) override;
  TcxDataSummaryGroup* SummaryGroup() const;
};

class TcxDataSummaryGroupItemLinks : public TcxCollection {
  TOVANI_CLASS(TcxDataSummaryGroupItemLinks, TcxCollection)
 public:
  TcxDataSummaryGroupItemLinks(TcxDataSummaryGroup* AGroup, TClass ALinkClass);
  TcxDataSummaryGroup* SummaryGroup() const { return FGroup; }
  TcxDataSummaryGroupItemLink* Items(Integer Index) const;
  TcxDataSummaryGroupItemLink* Add() { return static_cast<TcxDataSummaryGroupItemLink*>(TCollection::Add()); }
  TcxDataSummaryGroupItemLink* ItemOfItemLink(TObject* AItemLink) const;

 protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

 private:
  TcxDataSummaryGroup* FGroup;
};

class TcxDataSummaryGroups;

class TcxDataSummaryGroup : public TCollectionItem {
  TOVANI_CLASS(TcxDataSummaryGroup, TCollectionItem)
 public:
  TcxDataSummaryGroup() = default;
  ~TcxDataSummaryGroup() override;
  void SetCollection(TCollection* Value) override;
  void Assign(TPersistent* Source) override;
  TcxDataSummaryGroupItemLinks* Links();
  TcxDataGroupSummaryItems* SummaryItems();
  TcxDataSummaryGroups* Groups() const;
  TcxDataSummary* Summary() const;

 private:
  std::unique_ptr<TcxDataSummaryGroupItemLinks> FLinks;
  std::unique_ptr<TcxDataGroupSummaryItems> FSummaryItems;
};

class TcxDataSummaryGroups : public TcxCollection {
  TOVANI_CLASS(TcxDataSummaryGroups, TcxCollection)
 public:
  explicit TcxDataSummaryGroups(TcxDataSummary* ASummary);
  TcxDataSummary* Summary() const { return FSummary; }
  TcxDataSummaryGroup* Items(Integer Index) const;
  TcxDataSummaryGroup* Add() { return static_cast<TcxDataSummaryGroup*>(TCollection::Add()); }
  TcxDataSummaryGroup* FindByItemLink(TObject* AItemLink) const;

 protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

 private:
  TcxDataSummary* FSummary;
};

using TcxDataSummaryValues = std::vector<Variant>;
using TcxDataSummaryCountValues = std::vector<Integer>;

class TcxDataSummary : public TPersistent {
  TOVANI_CLASS(TcxDataSummary, TPersistent)
 public:
  explicit TcxDataSummary(TcxCustomDataController* AController);
  ~TcxDataSummary() override;

  virtual void PrepareValues(TcxDataSummaryItems* AItems, TcxDataSummaryCountValues& ACounts,
                             TcxDataSummaryValues& AValues);
  virtual void AccumulateRange(TcxDataSummaryItems* AItems, Integer AFirst, Integer ALast,
                               TcxDataSummaryValues& AValues, TcxDataSummaryCountValues& ACounts);
  virtual void SummaryChanged(bool OneItem);
  virtual void DoAfterSummary();
  virtual void FinishValue(TcxDataSummaryItem* AItem, Variant& AValue, Integer ACount);
  virtual void AccumulateRecord(TcxDataSummaryItem* AItem, Integer ARecord, Integer& ACount, Variant& AValue);
  virtual void FinishValues(TcxDataSummaryItems* AItems, const TcxDataSummaryCountValues& ACounts,
                            Variant& AResult, TcxDataSummaryValues& AValues);
  virtual Integer RecordOfPosition(Integer APosition);
  virtual bool HasValueAt(const Variant& AValues, Integer AIndex) const;
  virtual void NotifyController(bool OneItem);
  virtual void CopyEvents(TcxDataSummary* Source);
  virtual void StartCalculation() { CalculateFooter(); }
  virtual void FinishCalculation();
  virtual void RunCalculation();
  virtual void CalculateFooter();
  virtual void CalculateGroups();

  void Assign(TPersistent* Source) override;
  void BeginUpdate();
  void EndUpdate();
  void ForgetField(TcxCustomDataField* AField);
  TcxDataSummaryItems* GroupItemsOfLevel(Integer ALevel);

  TcxCustomDataController* DataController() const { return FDataController; }
  TcxDataGroupSummaryItems* DefaultGroupSummaryItems() const { return FDefaultGroupSummaryItems.get(); }
  TcxDataFooterSummaryItems* FooterSummaryItems() const { return FFooterSummaryItems.get(); }
  TcxDataSummaryGroups* SummaryGroups() const { return FSummaryGroups.get(); }
  TcxSummaryOptions Options() const { return FOptions; }
  void SetOptions(TcxSummaryOptions Value);
  const Variant& FooterSummaryValues() const { return FFooterSummaryValues; }
  Variant FooterSummaryValue(Integer AIndex) const;
  Variant GroupSummaryValue(Integer AGroup, Integer AIndex) const;
  String FooterSummaryText(Integer AIndex);
  bool Destroying = false;

  TcxAfterSummaryEvent OnAfterSummary;

 protected:
  TPersistent* GetOwner() override;

 private:
  void PrepareSelectedMask();
  TcxCustomDataController* FDataController;
  // Selected records by record index while a selected-records summary runs.
  std::vector<char> FSelectedMask;
  bool FSelectedMaskValid = false;
  std::unique_ptr<TcxDataGroupSummaryItems> FDefaultGroupSummaryItems;
  std::unique_ptr<TcxDataFooterSummaryItems> FFooterSummaryItems;
  std::unique_ptr<TcxDataSummaryGroups> FSummaryGroups;
  TcxSummaryOptions FOptions;
  Variant FFooterSummaryValues;
  Integer FLockCount = 0;
  bool FInAfterSummary = false;
};

// ---------------------------------------------------------------------------
// Search, locate objects, value readers, notification objects

class TcxDataControllerSearch : public TObject {
  TOVANI_CLASS(TcxDataControllerSearch, TObject)
 public:
  explicit TcxDataControllerSearch(TcxCustomDataController* AController) : FDataController(AController) {}
  virtual void FocusPosition(Integer APosition);
  virtual Integer FindText(Integer AStart, Integer AEnd, bool AForward, const String& AText);
  virtual bool Locate(Integer AItemIndex, const String& AText);
  virtual bool LocateNext(bool AForward);
  virtual void Lock() { FLocked = true; }
  virtual void Unlock() { FLocked = false; }

  void Cancel();
  Integer ItemIndex() const;
  void SetItemIndex(Integer Value);
  bool Searching() const;
  String SearchText() const;
  bool Locked() const { return FLocked; }
  TcxCustomDataController* DataController() const { return FDataController; }

 private:
  TcxCustomDataController* FDataController;
  bool FLocked = false;
};

class TcxDataControllerLocateObject : public TObject {
  TOVANI_CLASS(TcxDataControllerLocateObject, TObject)
 public:
  explicit TcxDataControllerLocateObject(TcxCustomDataController* AController) : FDataController(AController) {}
  ~TcxDataControllerLocateObject() override;
  virtual void ReleaseProbe();
  virtual Integer FindRecord() = 0;
  void LoadProbe(TcxValueDefReader* AReader);
  Integer ProbeRecord() const { return FProbe; }
  TcxCustomDataController* DataController() const { return FDataController; }

 protected:
  TcxCustomDataController* FDataController;
  Integer FProbe = 0;
};

class TcxDataControllerKeyLocateObject : public TcxDataControllerLocateObject {
  TOVANI_CLASS(TcxDataControllerKeyLocateObject, TcxDataControllerLocateObject)
 public:
  using TcxDataControllerLocateObject::TcxDataControllerLocateObject;
  Integer FindRecord() override;
  std::vector<TcxCustomDataField*> Fields;
};

class TcxDataControllerGroupLocateObject : public TcxDataControllerLocateObject {
  TOVANI_CLASS(TcxDataControllerGroupLocateObject, TcxDataControllerLocateObject)
 public:
  explicit TcxDataControllerGroupLocateObject(TcxCustomDataController* AController);
  Integer FindRecord() override;
  void SetLevel(Integer Value);
  Integer Level() const { return FLevel; }
  bool BinarySearch() const { return FBinarySearch; }

 private:
  std::vector<TcxCustomDataField*> FGroupFields;
  std::vector<TcxCustomDataField*> FLinearFields;
  Integer FLevel = -1;
  bool FBinarySearch = true;
};

class TcxValueDefUnboundReader : public TcxValueDefReader {
  TOVANI_CLASS(TcxValueDefUnboundReader, TcxValueDefReader)
 public:
  Variant ReadValue(TcxValueDef* ADef) override;
  bool IsInternalDef(TcxValueDef* ADef) override;
  void StoreValue(TcxValueDef* ADef, const Variant& AValue);
  void KeepFirst(Integer ACount);

 private:
  std::vector<TcxValueDef*> FDefs;
  std::vector<std::unique_ptr<Variant>> FValues;
};

class TcxValueDefRecordReader : public TcxValueDefReader {
  TOVANI_CLASS(TcxValueDefRecordReader, TcxValueDefReader)
 public:
  TcxValueDefRecordReader(TcxCustomDataController* AController, Integer ARecord)
      : FDataController(AController), FRecordIndex(ARecord) {}
  Variant ReadValue(TcxValueDef* ADef) override;
  String ReadDisplayText(TcxValueDef* ADef) override;
  bool IsInternalDef(TcxValueDef* ADef) override;

 private:
  TcxCustomDataController* FDataController;
  Integer FRecordIndex;
};

class TcxDataControllerNotifier : public TComponent {
  TOVANI_CLASS(TcxDataControllerNotifier, TComponent)
 public:
  explicit TcxDataControllerNotifier(TcxCustomDataController* AController)
      : TComponent(nullptr), FDataController(AController) {}

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TcxCustomDataController* FDataController;
};

class TcxUpdateControlInfo : public TObject {
  TOVANI_CLASS(TcxUpdateControlInfo, TObject)
};
class TcxDataChangedInfo : public TcxUpdateControlInfo {
  TOVANI_CLASS(TcxDataChangedInfo, TcxUpdateControlInfo)
 public:
  Integer Kind = 4;
  Integer ItemIndex = -1;
  Integer RecordIndex = -1;
};
class TcxFocusedRecordChangedInfo : public TcxUpdateControlInfo {
  TOVANI_CLASS(TcxFocusedRecordChangedInfo, TcxUpdateControlInfo)
 public:
  Integer PrevFocusedRecordIndex = -1;
  Integer FocusedRecordIndex = -1;
  Integer PrevFocusedRowIndex = -1;
  Integer FocusedRowIndex = -1;
  bool NewItemRowFocusingChanged = false;
};
class TcxFocusedRowChangedInfo : public TcxUpdateControlInfo {
  TOVANI_CLASS(TcxFocusedRowChangedInfo, TcxUpdateControlInfo)
 public:
  Integer PrevFocusedRowIndex = -1;
  Integer FocusedRowIndex = -1;
};
class TcxUpdateRecordInfo : public TcxUpdateControlInfo {
  TOVANI_CLASS(TcxUpdateRecordInfo, TcxUpdateControlInfo)
 public:
  Integer RecordIndex = -1;
};
class TcxSelectionChangedInfo : public TcxUpdateControlInfo {
  TOVANI_CLASS(TcxSelectionChangedInfo, TcxUpdateControlInfo)
 public:
  TcxSelectionChangedInfo() = default;
  TcxSelectionChangedInfo(Integer ARow1, Integer ARow2);
  Integer Count() const { return Integer(FRows.size()); }
  Integer RowIndexes(Integer Index) const { return FRows.at(size_t(Index)); }

 private:
  std::vector<Integer> FRows;
};
class TcxGroupingChangingInfo : public TcxUpdateControlInfo {
  TOVANI_CLASS(TcxGroupingChangingInfo, TcxUpdateControlInfo)
};
class TcxLayoutChangedInfo : public TcxUpdateControlInfo {
  TOVANI_CLASS(TcxLayoutChangedInfo, TcxUpdateControlInfo)
};
class TcxBookmarkChangedInfo : public TcxUpdateControlInfo {
  TOVANI_CLASS(TcxBookmarkChangedInfo, TcxUpdateControlInfo)
};
class TcxSearchChangedInfo : public TcxUpdateControlInfo {
  TOVANI_CLASS(TcxSearchChangedInfo, TcxUpdateControlInfo)
};

// ---------------------------------------------------------------------------
// Key snapshots of selection and detail state

class TcxKeyInfo : public TObject {
  TOVANI_CLASS(TcxKeyInfo, TObject)
 public:
  Variant Key;
};
class TcxSelectedKeyInfo : public TcxKeyInfo {
  TOVANI_CLASS(TcxSelectedKeyInfo, TcxKeyInfo)
 public:
  Integer EntryPosition = -1;
};
class TcxDetailKeyInfo : public TcxKeyInfo {
  TOVANI_CLASS(TcxDetailKeyInfo, TcxKeyInfo)
 public:
  ~TcxDetailKeyInfo() override;
  Integer ActiveRelationIndex = -1;
  TcxSaveObject* SubSnapshot = nullptr;   // owned
};

class TcxKeys : public TObject {
  TOVANI_CLASS(TcxKeys, TObject)
 public:
  ~TcxKeys() override;
  virtual void ApplyKeys() {}
  virtual void CollectKeys() {}
  virtual void FreeKeyInfo(TcxKeyInfo* AInfo) { delete AInfo; }
  virtual void DropAll();

  void BindTo(TcxCustomDataController* AController);
  void Capture(TcxCustomDataController* AController);
  void Reapply(TcxCustomDataController* AController);
  void RemoveAt(Integer APosition);
  // The first info whose key equals the record's key (binary search over the
  // infos, which Capture keeps sorted by key).
  bool FindKeyOfRecord(Integer ARecord, Integer& APosition);
  Integer Count() const { return Integer(FInfos.size()); }
  TcxKeyInfo* Items(Integer Index) const { return FInfos.at(size_t(Index)); }
  TcxCustomDataController* DataController() const { return FDataController; }
  std::vector<TcxCustomDataField*> KeyFields;

 protected:
  TcxCustomDataController* FDataController = nullptr;
  std::vector<TcxKeyInfo*> FInfos;   // owned
};

class TcxSelectedKeys : public TcxKeys {
  TOVANI_CLASS(TcxSelectedKeys, TcxKeys)
 public:
  void ApplyKeys() override;
  void CollectKeys() override;
};

class TcxDetailKeys : public TcxKeys {
  TOVANI_CLASS(TcxDetailKeys, TcxKeys)
 public:
  void ApplyKeys() override;
  void CollectKeys() override;
  void FreeKeyInfo(TcxKeyInfo* AInfo) override { delete AInfo; }
};

class TcxSaveObject : public TObject {
  TOVANI_CLASS(TcxSaveObject, TObject)
 public:
  TcxSaveObject();
  ~TcxSaveObject() override;
  void TakeSnapshot(TcxCustomDataController* AController);
  void ApplySnapshot(TcxCustomDataController* AController);
  TcxDetailKeys* DetailKeys() const { return FDetailKeys.get(); }
  TcxSelectedKeys* SelectedKeys() const { return FSelectedKeys.get(); }

 private:
  std::unique_ptr<TcxDetailKeys> FDetailKeys;
  std::unique_ptr<TcxSelectedKeys> FSelectedKeys;
};

// ---------------------------------------------------------------------------
// Provider

class TcxCustomDataProvider : public TObject {
  TOVANI_CLASS(TcxCustomDataProvider, TObject)
 public:
  explicit TcxCustomDataProvider(TcxCustomDataController* AController);
  ~TcxCustomDataProvider() override;

  virtual void SortRecordsBySource();
  virtual bool AcceptsCustomSource() const { return true; }
  virtual bool SourceSortsRecords();
  virtual bool GridModeActive() const { return false; }
  virtual bool SourceIsOpen() const { return false; }
  virtual bool IsSourceShared() const { return false; }
  virtual bool SourceHasRecordIds();
  virtual bool IsSyncMode() const { return false; }
  virtual bool HasData() const { return FCustomDataSource != nullptr; }
  virtual bool CanBuildFields() const { return false; }
  virtual bool SourceAtFirst() { return true; }
  virtual bool IsChanging() const { return FChanging; }
  virtual bool IsEditing() const { return FEditingRecordIndex != cxNullEditingRecord; }
  virtual bool SourceAtLast() { return true; }
  virtual bool InGridModeUpdate() const { return false; }
  virtual bool IsInserting() const { return IsEditing() && FInserting; }
  virtual bool IsModified() const { return FModified; }
  virtual bool IsReadOnlyMode() { return !CanModify(); }
  virtual void RecordWasRead(Integer ARecord) { (void)ARecord; }
  virtual void MoveToFirst() { FieldsRecreated = false; }
  virtual void MoveToPrior() {}
  virtual void MoveToNext() {}
  virtual void MoveToLast() {}
  virtual void MoveBy(Integer ADistance) { (void)ADistance; }
  virtual void ScrollBy(Integer ADistance) { (void)ADistance; }
  virtual void SavePosition() {}
  virtual void RestorePosition() {}
  virtual bool CanAppend() { return CanModify(); }
  virtual bool CanDelete();
  virtual bool CanInitEditing(Integer ARecord);
  virtual bool CanInsert() { return CanModify(); }
  virtual bool CanModify() { return true; }
  virtual void Append();
  virtual void Cancel();
  virtual void UpdateData();
  virtual void DeleteFocused();
  virtual void DeleteRecords(const std::vector<Integer>& AList);
  virtual void DeleteSelection();
  virtual void Edit();
  virtual bool GetEditValue(Integer ARecord, TcxCustomDataField* AField, Variant& AValue, Integer ASource);
  virtual void Insert();
  virtual void Post(bool AForce);
  virtual void PostEditingData();
  virtual bool SetEditValue(Integer ARecord, TcxCustomDataField* AField, Integer ASource, const Variant& AValue);
  virtual void BeginDeleting();
  virtual void EndDeleting();
  virtual void AssignItemValue(Integer ARecord, TcxCustomDataField* AField, const Variant& AValue);
  virtual void AssignGroupValues(Integer ARecord, const Variant& AValues);
  virtual void DoEdit();
  virtual void DoInsert(bool AAppend);
  virtual void ResetChanging() { FChanging = false; }
  virtual void ResetEditing();
  virtual void ResetModified() { FModified = false; }
  virtual void SetChangingFlag() { FChanging = true; }
  virtual void StartEditing() { DoEdit(); }
  virtual void SetModifiedFlag() { FModified = true; }
  virtual void EnterLocate() { ++FLocateCount; }
  virtual void LeaveLocate() { --FLocateCount; }
  virtual void LockNotifications() { ++FLockCount; }
  virtual void UnlockNotifications() { --FLockCount; }
  virtual void* SourceAppendRecord();
  virtual void SourceDeleteRecord(Integer ARecord);
  virtual bool SourceDetailHasChildren(Integer ARecord, Integer ARelationIndex);
  virtual void SourceDisplayText(Integer ARecord, TcxCustomDataField* AField, String& AText);
  virtual void GridModeDisplayText(Integer ARecord, TcxCustomDataField* AField, String& AText);
  virtual void GridModeValue(Integer ARecord, TcxCustomDataField* AField, Variant& AValue);
  virtual void SourceRecordId(Integer ARecord, Variant& AValue);
  virtual Integer GridModeFocusedRecord() { return -1; }
  virtual void SourceValue(Integer ARecord, TcxCustomDataField* AField, Variant& AValue);
  virtual TClass ValueReaderClass() const { return TcxValueDefReader::StaticClass(); }
  virtual TcxValueDefReader* CreateValueReader() { return new TcxValueDefReader(); }
  virtual void* SourceInsertRecord(Integer ARecord);
  virtual void LoadGridModeBuffer() {}
  // Loads every record of the source into the storage at once, when the
  // source can hand them over without being walked; false: the controller
  // walks the source record by record.
  virtual bool LoadAllRecords() { return false; }
  virtual int SourceCompareRecords(Integer ARecord1, Integer ARecord2, TcxCustomDataField* AField);
  virtual int SourceCompareValues(Integer ARecord1, Integer ARecord2, TcxCustomDataField* AField);
  virtual void SetDisplayText(Integer ARecord, TcxCustomDataField* AField, const String& AText) {
    (void)ARecord; (void)AField; (void)AText;
  }
  virtual void SourceSetRecordCount(Integer ACount);
  virtual void SourceSetValue(Integer ARecord, TcxCustomDataField* AField, const Variant& AValue);
  virtual void ActiveChanged(bool AActive);
  virtual void DataChanged(Integer AKind, Integer AItemIndex, Integer ARecord);
  virtual void CursorMoved(Integer AHint);
  virtual void LayoutChanged(Integer AKind);

  void AttachCustomSource(TcxCustomDataSource* ASource);
  TcxCustomDataSource* CustomDataSource() const { return FCustomDataSource; }
  Integer StoreRecordHandle(void* AHandle);
  void LoadFromSource();
  void* RecordHandle(Integer ARecord) const;
  Integer RecordOfHandle(void* AHandle) const;

  TcxCustomDataController* DataController() const { return FDataController; }
  Integer EditingRecordIndex() const { return FEditingRecordIndex; }
  void ForgetEditingRecord() { FEditingRecordIndex = cxNullEditingRecord; }
  Integer PrevRecordIndex() const { return FPrevRecordIndex; }
  Integer NextRecordIndex() const { return FNextRecordIndex; }
  Integer InsertedRecordIndex = -1;
  Integer SavedRecordIndex() const { return FSavedRecordIndex; }
  void ClearSavedRecordIndex() { FSavedRecordIndex = 0; }
  bool IsInsertingFlag() const { return FInserting; }
  Integer LocateCount() const { return FLocateCount; }
  Integer LockCount() const { return FLockCount; }
  bool DataChangedLocked() const { return FDataChangedLocked; }
  bool FieldsRecreated = false;
  // Set while the controller needs every record (a grouped view): a source
  // that could show a window of records loads them all.
  bool LoadAllNeeded = false;

 protected:
  TcxCustomDataController* FDataController;
  TcxCustomDataSource* FCustomDataSource = nullptr;
  Integer FEditingRecordIndex = cxNullEditingRecord;
  Integer FPrevRecordIndex = cxNullEditingRecord;
  Integer FNextRecordIndex = cxNullEditingRecord;
  Integer FSavedRecordIndex = 0;
  bool FChanging = false;
  bool FModified = false;
  bool FInserting = false;
  Integer FLocateCount = 0;
  Integer FLockCount = 0;
  bool FDataChangedLocked = false;
  bool FInUpdateData = false;
};

// ---------------------------------------------------------------------------
// The controller

enum TcxDataControllerOption : Word {
  dcoAnsiSort = 0x0001,
  dcoCaseInsensitive = 0x0002,
  dcoAssignGroupingValues = 0x0004,
  dcoAssignMasterDetailKeys = 0x0008,
  dcoSaveExpanding = 0x0010,
  dcoSortByDisplayText = 0x0020,
  dcoFocusTopRowAfterSorting = 0x0040,
  dcoGroupsAlwaysExpanded = 0x0080,
  dcoImmediatePost = 0x0100,
  dcoInsertOnNewItemRowFocusing = 0x0200,
};
using TcxDataControllerOptions = Word;

enum TcxDataControllerChange : Word {
  ccLayout = 0x0001,
  ccData = 0x0002,
  ccFocus = 0x0004,
  ccSelection = 0x0008,
  ccDetails = 0x0010,
  ccRows = 0x0020,
  ccSearch = 0x0040,
  ccSorting = 0x0080,
  ccGrouping = 0x0100,
  ccCloneLoaded = 0x0200,
  ccBookmark = 0x0400,
  ccRecordEdit = 0x0800,
};
using TcxDataControllerChanges = Word;

enum TcxDataChangeKind { dcValue, dcRecord, dcInserted, dcDeleted, dcAll };

enum : Byte { dceInsert = 0x01, dceEdit = 0x02, dceChanging = 0x04, dceModified = 0x08 };
enum : Byte {
  dceopAppend = 0x01, dceopDelete = 0x02, dceopEdit = 0x04, dceopInsert = 0x08, dceopShowEditor = 0x10
};

using TcxDataControllerCompareEvent =
    std::function<void(TcxCustomDataController* ADataController, Integer ARecordIndex1, Integer ARecordIndex2,
                       Integer AItemIndex, const Variant& V1, const Variant& V2, int& Compare)>;
using TcxDataRecordNotifyEvent = std::function<void(TcxCustomDataController* Sender, Integer ARecordIndex)>;
using TcxDataControllerNotifyEvent = std::function<void(TcxCustomDataController* Sender)>;
using TcxDataFilterRecordEvent =
    std::function<void(TcxCustomDataController* Sender, Integer ARecordIndex, bool& Accept)>;
using TcxDataRecordChangeEvent =
    std::function<void(TcxCustomDataController* Sender, Integer ARecordIndex, Integer AItemIndex)>;
using TcxDataDetailQueryEvent =
    std::function<void(TcxCustomDataController* Sender, Integer ARecordIndex, bool& Allow)>;
using TcxUpdateControlEvent = std::function<void(TcxUpdateControlInfo* AInfo)>;
using TcxForEachRowProc = std::function<void(Integer ARowIndex, const TcxRowInfo& ARowInfo)>;

class TcxDataListenerLink : public TObject {
  TOVANI_CLASS(TcxDataListenerLink, TObject)
 public:
  TcxCustomDataController* Ref = nullptr;
};

class TcxCustomDataController : public TPersistent {
  TOVANI_CLASS(TcxCustomDataController, TPersistent)
 public:
  explicit TcxCustomDataController(TComponent* AOwner);
  ~TcxCustomDataController() override;

  void Assign(TPersistent* Source) override;
  TComponent* Owner() const { return FOwner; }

  // --- creation of the parts (override one to replace a part)
  virtual TcxCustomDataField* CreateField(bool AInternal);
  virtual TcxCustomDataField* CreateInternalField();
  virtual TcxCustomDataProvider* CreateProvider();
  virtual TcxDataSelection* CreateSelection();
  virtual TcxDataFilterCriteria* CreateFilter();
  virtual TcxDataControllerSearch* CreateSearch();
  virtual TcxDataSummary* CreateSummary();
  virtual TClass SummaryItemClass() const { return TcxDataSummaryItem::StaticClass(); }
  virtual TClass GroupItemLinkClass() const { return TcxDataSummaryGroupItemLink::StaticClass(); }
  virtual TcxCustomDataRelation* CreateRelation(TcxCustomDataRelationList* AList, TObject* AItem);

  // --- items
  virtual TObject* GetItem(Integer Index) const = 0;
  virtual Integer GetItemCount() const;
  virtual TcxCustomDataField* AddItem(TObject* AItem);
  virtual void RemoveItem(TObject* AItem);
  virtual void UpdateItemIndexes();
  virtual Integer GetItemID(TObject* AItem) const { (void)AItem; return -1; }
  virtual String GetItemName(TObject* AItem) const;
  virtual TObject* FindItemByID(Integer AID) const;
  virtual TObject* FindItemByName(const String& AName) const;
  virtual TObject* FindItem(TObject* AItem) const { return FindItemByID(GetItemID(AItem)); }
  virtual bool GetItemTextStored(Integer Index) const;
  virtual void SetItemTextStored(Integer Index, bool Value);
  virtual TcxValueTypeClass GetItemValueTypeClass(Integer Index) const;
  virtual void SetItemValueTypeClass(Integer Index, TcxValueTypeClass Value);
  // The name the editors use for the same operation.
  void ChangeValueTypeClass(Integer Index, TcxValueTypeClass Value) { SetItemValueTypeClass(Index, Value); }
  virtual bool GetItemAttribute(Integer Index) const { (void)Index; return false; }
  virtual void SetItemAttribute(Integer Index, bool Value);
  virtual bool IsItemTextCompared(Integer Index, bool ExcludeCurrency) const;
  virtual void ItemValueTypeChanged(Integer Index) { (void)Index; }
  void CheckItemRange(Integer Index) const;
  TcxCustomDataField* FieldOfItemIndex(Integer Index) const;
  Integer ItemIndexOfField(const TcxCustomDataField* AField) const;
  TcxCustomDataFieldList* Fields() const { return FFields.get(); }
  void RefreshItemFields(bool AForce);

  // --- records and values
  virtual Integer GetRecordCount() const;
  virtual void SetRecordCount(Integer Value);
  Integer AppendStorageRecord();
  Integer InsertStorageRecord(Integer Index);
  void DeleteStorageRecord(Integer Index);
  // Appends a record with the given values (one per item, Null for the
  // rest) and answers its index.
  Integer AppendRecordWithValues(const std::vector<Variant>& AValues);
  void CheckRecordRange(Integer ARecord);
  virtual Variant GetValue(Integer ARecord, Integer AItem);
  virtual void SetValue(Integer ARecord, Integer AItem, const Variant& AValue);
  virtual String GetDisplayText(Integer ARecord, Integer AItem);
  virtual void SetDisplayText(Integer ARecord, Integer AItem, const String& AText);
  virtual Variant GetRecordValue(Integer ARecord, TcxCustomDataField* AField);
  virtual String GetRecordDisplayText(Integer ARecord, TcxCustomDataField* AField);
  virtual void GetRecordValues(Integer ARecord, const std::vector<TcxCustomDataField*>& AFields, Variant& AValue);
  virtual Variant GetRecordId(Integer ARecord);
  virtual Variant GetGroupingValue(Integer ARecord, TcxCustomDataField* AField);
  virtual Variant GetGroupValues(Integer ARecord);
  virtual void CopyRecord(Integer ASource, Integer ADest);
  virtual void RecordInserted(Integer ARecord);
  virtual void RecordDeleted(Integer ARecord);
  virtual void CheckEditingRecord(Integer ARecord);
  virtual void SmartDeleteRecord(Integer ARecord) { (void)ARecord; }
  TcxDataStorage* DataStorage() const { return FStorage.get(); }

  // --- editing
  virtual void Append();
  virtual void Cancel();
  virtual bool CanEditItem(Integer AItem);
  virtual void DeleteFocused();
  virtual void DeleteSelection();
  virtual void Edit();
  virtual void Insert();
  virtual void Post(bool AForce = false);
  virtual void PostEditingData();
  virtual Variant GetEditValue(Integer AItem, Integer ASource);
  virtual bool SetEditValue(Integer AItem, const Variant& AValue, Integer ASource);
  virtual Integer GetItemValueSource(Integer AItem) const { (void)AItem; return 1; }
  virtual Integer GetEditingRecordIndex();
  virtual Integer GetEditingTargetRecord();
  virtual Integer GetNewItemRecordIndex();
  virtual Byte GetEditState();
  virtual Byte GetEditOperations();
  bool IsEditing();
  virtual bool CanFocusRecord(Integer ARecord);
  virtual void UpdateData() {}
  virtual void CheckBrowseMode() {}
  virtual void RefreshData() {}
  virtual void CheckBeforeSorting();
  void DeleteFocusedRecord();
  void DeleteRecordList(std::vector<Integer>& AList);
  void RestoreFocusAfterDelete();
  Integer NearestRecordIndex = -1;

  // --- locks and loading
  void BeginUpdate();
  void EndUpdate();
  virtual void LockUpdate() { BeginUpdate(); }
  virtual void UnlockUpdate() { EndUpdate(); }
  Integer GetLockCount() const;
  void BeginFullUpdate();
  void EndFullUpdate();
  void IncLookupLock() { ++FLookupLockCount; }
  void DecLookupLock() { --FLookupLockCount; }
  virtual bool IsDataChangedLocked() const { return FLookupLockCount > 0; }
  bool IsDataChangeLocked() const { return IsDataChangedLocked(); }
  void BeginGridModeLock();
  void EndGridModeLock();
  virtual void LoadStorage();
  virtual void UpdateStructure(bool AForce);
  virtual void RecreateStructure();
  virtual void UpdateFields();
  virtual void UpdateField(TcxCustomDataField* AField) { (void)AField; }
  virtual void ActiveChanged(bool AActive);
  virtual void LayoutChanged(Integer AKind);
  virtual void ReloadData();
  virtual void Loaded();
  virtual void StorageCleared();
  virtual void BeforeFieldRemove(TcxCustomDataField* AField);
  virtual void AfterLoad();
  virtual void AfterLoadStorage() {}
  // The steps of a full load, each a place for a derived controller to add
  // its own work.
  virtual void BeginLoadRecords() { FStorage->BeginLoading(); }
  virtual void EndLoadRecords() { FStorage->EndLoading(); }
  virtual Integer AddRecordFromReader(TcxValueDefReader* AReader);
  virtual void LoadRecordFromProvider(Integer ARecord, TcxValueDefReader* AReader);
  virtual void RecordRead(Integer ARecord);
  // Around copying values between records through a reader.
  virtual void BeginReaderUse() {}
  virtual void EndReaderUse() {}
  // Whether a load would be premature (a derived controller waits for its
  // source to settle).
  virtual bool IsDataLoadPending() const { return false; }
  virtual void SaveSourcePosition() { Provider()->SavePosition(); }
  virtual void RestoreSourcePosition() { Provider()->RestorePosition(); }
  // A custom source's new record takes the stored value (and text) of a field.
  virtual void CopyValueToSource(Integer ARecord, TcxCustomDataField* AField);
  // A component the controller's fields watch was freed.
  virtual void FieldNotification(TComponent* AComponent);
  virtual bool HasDataSource() const;
  virtual bool UsesOwnStorage() const { return true; }
  virtual bool UsesRecordIDs() const { return false; }
  virtual bool IsSmartLoad() const { return false; }
  virtual bool IsSmartRefresh() const { return false; }
  virtual bool IsProviderMode() const;
  virtual bool IsProviderField(TcxCustomDataField* AField) const { (void)AField; return true; }
  virtual void DataChanged(Integer AKind, Integer AItemIndex, Integer ARecord);
  void CheckGridModeChange();
  // After the provider moved its source: the focus follows.
  virtual void ProviderScrolled(Integer ADistance);
  // Makes sure some row is focused when rows exist (AForce: re-read the
  // focus from the provider first).
  virtual void CheckFocusing(bool AForce);
  // Asks the control to focus the editor of an item (the source asked for a
  // field); ADone tells whether it did.
  virtual void FocusItemControl(Integer AItem, bool& ADone) { (void)AItem; ADone = false; }
  bool IsActive() const { return FActive; }

  // --- rows and focus
  Integer GetRowCount() const;
  TcxRowInfo GetRowInfo(Integer ARow) const;
  Integer GetRowIndexByRecordIndex(Integer ARecord, bool AMakeVisible);
  Integer GetNearestRowIndex(Integer ARow) const;
  Integer GetFilteredRecordCount() const;
  Integer GetFilteredRecordIndex(Integer AIndex) const;
  Integer GetFilteredIndexOfRecord(Integer ARecord) const;
  Integer GetFocusedRowIndex() const;
  Integer GetFocusedRecordIndex() const;
  Integer GetLastRowRecordIndex() const;
  virtual bool ChangeFocusedRowIndex(Integer ARow);
  bool ChangeFocusedRecordIndex(Integer ARecord);
  void CheckFocusedRow();
  void GotoFirst();
  void GotoLast();
  void GotoNext();
  void GotoPrev();
  void MoveBy(Integer ADistance);
  void Scroll(Integer ADistance);
  bool IsBOF() const;
  bool IsEOF() const;
  bool FocusSelectedRow(Integer AIndex);
  void ForEachRow(bool ASelectedOnly, const TcxForEachRowProc& AProc);
  void SetNewItemRowFocused(bool Value);
  bool NewItemRowFocused() const { return FNewItemRowFocused; }
  void ResetNewItemRowFocus();
  bool IsNewItemRowActive() const;
  bool UseNewItemRowForEditing() const { return FUseNewItemRowForEditing; }
  void SetUseNewItemRowForEditing(bool Value) { FUseNewItemRowForEditing = Value; }
  virtual bool CanFocusedRowChange() { return true; }
  virtual void FocusedRecordChanged(Integer APrevRecord, Integer ARecord) { (void)APrevRecord; (void)ARecord; }
  virtual void BeforeFocusedRowChange(Integer ARow) { (void)ARow; }
  virtual void PostDetailEdits() {}
  virtual Integer GetActiveRecordIndex() { return GetFocusedRecordIndex(); }
  virtual Integer GetCurrentRecordIndex() { return GetFocusedRecordIndex(); }
  virtual void RestoreFocus() {}

  // --- selection
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  virtual bool IsSingleSelect() const { return !FMultiSelect; }
  Integer GetSelectedCount() const;
  Integer GetSelectedRowIndex(Integer AIndex) const;
  bool IsRowSelected(Integer ARow) const;
  virtual void ChangeRowSelection(Integer ARow, bool ASelect);
  void ClearSelection();
  void SelectRows(Integer AFrom, Integer ATo);
  virtual void SelectAll();
  void SelectFocusedOnly();
  virtual void SetSelectionAnchor(Integer ARow);
  virtual Integer GetSelectionAnchorRowIndex() const;
  virtual bool IsSelectionAnchorSet() const { return GetSelectionAnchorRowIndex() != -1; }
  virtual void SelectFromAnchor(Integer ARow, bool AKeepSelection);
  virtual void SyncSelected();
  void SetFocusedSelected(bool Value);
  bool FocusedSelected() const { return FFocusedSelected; }
  virtual TcxDataSelection* GetSelection() const;
  virtual Variant GetSelectionKey(Integer ARecord) { return Variant(ARecord); }
  virtual bool CanSelectRow(Integer ARow) { (void)ARow; return true; }
  void UpdatePrevSelectionInfo();

  // --- sorting and grouping
  void ChangeSorting(Integer AItem, TcxDataSortOrder AOrder);
  void ClearSorting(bool AKeepGrouping);
  TcxDataSortOrder GetItemSortOrder(Integer AItem) const;
  virtual bool RefreshItemSorting(Integer AItem);
  void ChangeGroupIndex(Integer AItem, Integer AGroupIndex);
  Integer GetItemGroupIndex(Integer AItem) const;
  void ClearGrouping();
  void SetSortingBySummaryItemIndex(Integer AItem);
  Integer GetSortingBySummaryItemIndex() const;
  TcxDataControllerGroups* Groups() const { return FGroups.get(); }
  void FullExpand();
  void FullCollapse();
  void ChangeExpanding(Integer ARow, bool AExpanded, bool ARecursive);
  void NotifyGroupingChanging();

  // --- filtering
  virtual void FilterChanged();
  void SetOnRecordFilter(const TcxDataFilterRecordEvent& Value);
  const TcxDataFilterRecordEvent& OnRecordFilter() const { return FOnRecordFilter; }
  virtual bool FilterRecordByEvent(Integer ARecord);
  virtual bool HasRecordFilterEvent() const { return bool(FOnRecordFilter); }
  TcxDataFilterCriteria* CreateFilterCriteria();
  Integer SetIncrementalFilter(Integer AItem, const String& AText);
  void ResetIncrementalFilter();
  bool HasIncrementalFilter() const;
  String GetIncrementalFilterText() const { return FIncrementalFilterText; }
  Integer IncrementalFilterItemIndex() const;
  bool ChangeIncrementalFilterText(const String& AText);
  virtual bool MatchesIncrementalFilter(Integer ARecord);
  virtual Variant GetFilterValue(Integer ARecord, TcxCustomDataField* AField) {
    return GetRecordValue(ARecord, AField);
  }
  virtual String GetFilterValueText(Integer ARecord, Integer AItem) { return GetDisplayText(ARecord, AItem); }
  virtual String GetFilterCaption(Integer AItem) { (void)AItem; return String(); }
  virtual String GetFilterFieldName(Integer AItem) { return GetFilterCaption(AItem); }
  TcxDataFilterCriteria* Filter();
  std::vector<TcxDataFilterCriteria*>& ExtraFilters() { return FExtraFilters; }

  // --- searching, locating, comparing
  Integer FindRecordByText(Integer AStartIndex, Integer AItem, bool AForward, bool AWrap, bool APartial,
                           const String& AText);
  // The same search under the name and argument order the lookup editors use.
  Integer FindRecordIndexByText(Integer AStartRow, Integer AItem, const String& AText, bool APartial, bool ACircular,
                                bool AForward) {
    return FindRecordByText(AStartRow, AItem, AForward, ACircular, APartial, AText);
  }
  virtual String GetIncrementalSearchText(Integer ARecord, Integer AItem) { return GetDisplayText(ARecord, AItem); }
  virtual bool SearchInDataSet(const String& AText, bool AForward, bool ANext) {
    (void)AText; (void)AForward; (void)ANext; return false;
  }
  Integer FindRecordByFields(Integer ARecord, const std::vector<TcxCustomDataField*>& AFields);
  Integer FindRecordBySortedFields(Integer ARecord, Integer AFieldCount);
  TcxDataControllerSearch* Search();
  bool Searching() const { return FSearching; }
  String SearchText() const { return FSearchText; }
  TcxCustomDataField* SearchField() const { return FSearchField; }
  void SetSearchState(bool ASearching, const String& AText) { FSearching = ASearching; FSearchText = AText; }
  void SetSearchField(TcxCustomDataField* AField) { FSearchField = AField; }
  virtual int CompareRecords(Integer ARecord1, Integer ARecord2, TcxCustomDataField* AField);
  virtual int CompareRecordIndexes(Integer A, Integer B) { return A < B ? -1 : (A > B ? 1 : 0); }
  virtual int CompareRecordsBySortInfo(Integer ARecord1, Integer ARecord2, const TcxDataSortInfo& AInfo);
  virtual Variant GetComparedValue(Integer ARecord, TcxCustomDataField* AField);
  virtual bool UsesValueCompare(TcxCustomDataField* AField);
  virtual bool IsItemComparedByText(Integer AItem);
  virtual bool NeedsTextCompare(TcxCustomDataField* AField) const;
  virtual bool IsSortedByDisplayText(TcxCustomDataField* AField) const;
  virtual bool IsItemSortedByDisplayText(Integer AItem, bool ADefault) const { (void)AItem; (void)ADefault; return false; }
  int CompareTexts(const String& A, const String& B) const;
  void PrepareFieldSortKeys(TcxCustomDataField* AField);
  void PrepareFieldCompareKeys(TcxCustomDataField* AField);
  bool InternalFind() const { return FInternalFind; }
  void SetInternalFind(bool Value) { FInternalFind = Value; }

  // --- key snapshots
  virtual void GetKeyFields(std::vector<TcxCustomDataField*>& AList) { (void)AList; }
  Variant GetKeyValues(Integer ARecord, const std::vector<TcxCustomDataField*>& AFields);
  virtual bool IsKeyMode() const { return false; }
  bool CanIdentifyRecordsByKey() const;
  // --- master-detail
  // Detail mode: 0 not a detail, 1 pattern (bound to a relation without a
  // master record, or flagged as pattern), 2 clone (one master record's
  // details).
  virtual void SetMasterRelation(TcxCustomDataRelation* ARelation, Integer AMasterRecord);
  void SetPatternRelation(TcxCustomDataRelation* ARelation, bool AIsPattern);
  void SetIsPattern(bool Value);
  Integer GetDetailMode() const;
  bool IsPatternController() const { return GetDetailMode() == 1; }
  TcxCustomDataController* GetMasterController() const;
  Integer GetMasterRecordIndex() const { return FMasterRecordIndex; }
  TcxCustomDataRelation* GetMasterRelation() const { return FMasterRelation; }
  TcxCustomDataController* GetRootController();
  TcxCustomDataController* GetPatternController();
  // The detail controller registered for the relation of AItem, searched
  // from AController through every level (null when none).
  static TcxCustomDataController* FindDetailController(TcxCustomDataController* AController, TObject* AItem);
  bool GetDetailExpanding(Integer ARecord) { return GetDetailExpanded(ARecord); }
  virtual bool GetDetailExpanded(Integer ARecord);
  virtual bool ChangeDetailExpanding(Integer ARecord, bool AExpanded);
  virtual bool CanChangeDetailExpanding(Integer ARecord, bool AExpanded);
  virtual void QueryDetailExpand(Integer ARecord, bool& AAllow) {
    if (OnDetailExpandQuery) OnDetailExpandQuery(this, ARecord, AAllow);
  }
  virtual void QueryDetailCollapse(Integer ARecord, bool& AAllow) {
    if (OnDetailCollapseQuery) OnDetailCollapseQuery(this, ARecord, AAllow);
  }
  virtual void NotifyDetailExpanded(Integer ARecord) { if (OnDetailExpandDone) OnDetailExpandDone(this, ARecord); }
  virtual void NotifyDetailCollapsed(Integer ARecord) {
    if (OnDetailCollapseDone) OnDetailCollapseDone(this, ARecord);
  }
  virtual void ChangeDetailActiveRelationIndex(Integer ARecord, Integer ARelation);
  void ChangeActiveRelationIndex(Integer ARecord, Integer ARelation) { ChangeDetailActiveRelationIndex(ARecord, ARelation); }
  virtual Integer GetDetailActiveRelationIndex(Integer ARecord);
  virtual TObject* GetDetailLinkObject(Integer ARecord, Integer ARelation);
  // Where a control that shows details plugs in: the link object of one
  // master record's detail view, and the controller behind it.
  virtual TObject* CreateDetailLinkObject(TcxCustomDataRelation* ARelation, Integer ARecord) {
    (void)ARelation; (void)ARecord; return nullptr;
  }
  virtual TcxCustomDataController* GetDetailControllerOfLink(TObject* ALink) { (void)ALink; return nullptr; }
  TcxCustomDataController* GetDetailDataController(Integer ARecord, Integer ARelation);
  bool IsDetailDataControllerExist(Integer ARecord, Integer ARelation);
  void ClearDetailLinkObject(Integer ARecord, Integer ARelation);
  void ClearDetails();
  void CollapseDetails();
  void ResetDetailObjects();
  void FocusDetails(Integer ARecord);
  void ForEachDetailController(TcxCustomDataRelation* ARelation,
                               const std::function<void(TcxCustomDataController*)>& AProc);
  virtual void ClearDetailsOfRelation(TObject* AItem);
  void DetachDetailsOfRelation(TcxCustomDataRelation* ARelation);
  void NotifyMasterOfChange();
  virtual bool DetailsFollowMasterFocus() { return false; }
  virtual void CheckDetailSource() {}
  Integer NewItemRecordIndex() const { return FNewItemRecordIndex; }
  Integer GridModeLockCount() const { return FGridModeLockCount; }
  bool CreatingLinkObject() const { return FCreatingLinkObject; }
  TcxCustomDataController* CreatingDataController() const { return FCreatingDataController; }
  bool FocusingDetails() const { return FFocusingDetails; }

  // --- bookmark
  virtual bool SetBookmark();
  bool HasBookmark() const { return FBookmarkRecordIndex != -1; }
  bool IsBookmarkRow(Integer ARow) const;
  virtual void GotoBookmark();
  virtual void ClearBookmark() { FBookmarkRecordIndex = -1; }
  virtual void CheckBookmark(Integer ARecord);
  virtual bool IsBookmarkRecordInvalid(Integer ARecord) const;

  // --- options and state
  TcxDataControllerOptions Options() const { return FOptions; }
  void SetOptions(TcxDataControllerOptions Value);
  virtual void OptionsChanged();
  bool IsGridMode() const;
  virtual bool IsImmediatePost() const { return (FOptions & dcoImmediatePost) != 0; }
  virtual bool IsLoading() const;
  bool IsReading() const;
  virtual bool IsDestroying() const;
  bool IsOwnerDestroying() const;
  virtual bool IsDetailMode() const { return FMasterRelation != nullptr; }
  bool IsPattern() const { return IsPatternController(); }
  TcxCustomDataRelationList* Relations();
  TcxCustomDataProvider* Provider();
  TcxCustomDataProvider* Provider() const { return FProvider.get(); }
  TcxCustomDataControllerInfo* DataControllerInfo();
  TComponent* Notifier() const;
  TcxDataSummary* Summary();
  virtual Integer GetDefaultActiveRelationIndex() const { return 0; }
  virtual bool HasDetailControllers();
  virtual void ClearDetailLinkObjects() { ClearDetails(); }
  virtual void RelationsChanged() {}

  // --- notifications
  void AddChanges(TcxDataControllerChanges AChanges);
  void CheckChanges();
  virtual void BeforeApplyChanges() {}
  virtual void UpdateControl(TcxUpdateControlInfo* AInfo);
  void NotifyControl(TcxUpdateControlInfo* AInfo);
  virtual void NotifyDataChanged();
  void NotifyDataControllerChanged(Word AEngineChanges);   // from the update engine
  void ResetDataChangeInfo();
  void AddDataChangedListener(TObject* AObject, const TNotifyEvent& AMethod);
  void RemoveDataChangedListener(TObject* AObject);
  TcxDataListenerLink* CreateListenerLink();
  static void FreeListenerLink(TcxDataListenerLink* ALink);
  bool Notifying() const { return FNotifying; }
  Integer PendingDataChangeKind() const { return FDataChangeKind; }
  Integer PendingDataChangeItem() const { return FDataChangeItem; }
  Integer PendingDataChangeRecord() const { return FDataChangeRecord; }
  TcxDataControllerChanges ChangeSet() const { return FChanges; }

  // Engine flags (read and cleared by the update engine).
  bool GroupingChanged = false;
  bool SortingChanged = false;
  bool FilterChangedFlag = false;
  bool StorageLoaded = false;
  bool SortingBySummaryChanged = false;
  bool CheckFocusingAfterFilter = false;
  bool AfterSummaryPending = false;
  bool DeletingSelection = false;
  bool LoadingStorage = false;
  bool StructureChanged = false;

  // Events.
  TcxDataControllerNotifyEvent OnInserting, OnRecordInserted, OnPosting, OnRecordPosted, OnCancelling,
      OnEditCancelled, OnRecordDeleted, OnDataChange, OnGroupingChange, OnSortingChange;
  // The sorting event under the name the lookup editors publish.
  TcxDataControllerNotifyEvent& OnSortingChanged = OnSortingChange;
  TcxDataRecordNotifyEvent OnRecordInit, OnDeleting, OnDetailExpandDone, OnDetailCollapseDone;
  TcxDataDetailQueryEvent OnDetailExpandQuery, OnDetailCollapseQuery;
  TcxDataControllerCompareEvent OnCompare;
  TcxDataRecordChangeEvent OnRecordChange;
  TcxUpdateControlEvent OnUpdateControl;

  // Provider notifications (fire the events).
  virtual void NotifyInserting() { if (OnInserting) OnInserting(this); }
  virtual void NotifyRecordInserted() { if (OnRecordInserted) OnRecordInserted(this); }
  virtual void NotifyRecordInit(Integer ARecord) { if (OnRecordInit) OnRecordInit(this, ARecord); }
  virtual void NotifyPosting() { if (OnPosting) OnPosting(this); }
  virtual void NotifyRecordPosted() { if (OnRecordPosted) OnRecordPosted(this); }
  virtual void NotifyCancelling() { if (OnCancelling) OnCancelling(this); }
  virtual void NotifyEditCancelled() { if (OnEditCancelled) OnEditCancelled(this); }
  virtual void NotifyDeleting(Integer ARecord) { if (OnDeleting) OnDeleting(this, ARecord); }
  virtual void NotifyRecordDeleted() { if (OnRecordDeleted) OnRecordDeleted(this); }
  bool CancellingFlag() const { return FCancelling; }

 protected:
  friend class TcxCustomDataControllerInfo;
  friend class TcxCustomDataProvider;
  friend class TcxCustomDataField;
  friend class TcxCustomDataFieldList;
  void BeforeDestruction();
  void AfterRecordsChange(Integer ARecord);
  void ApplyChanges();
  void NotifyDataChangedInfo();
  void NotifyFocusChanged();
  void NotifySelectionChanged();
  void FieldRemoved(TcxCustomDataField* AField);
  void SetActiveFlag(bool Value) { FActive = Value; }
  TcxCustomDataField* CreateFieldFor(TObject* AItem, bool AInternal);
  void ShiftDetailMasterIndexes(Integer AFrom, Integer ADelta);

  TComponent* FOwner;
  TcxDataControllerOptions FOptions = 0x1C;
  bool FFocusedSelected = true;
  bool FMultiSelect = false;
  bool FActive = false;
  TcxDataControllerChanges FChanges = 0;
  Integer FDataChangeKind = dcAll;
  Integer FDataChangeItem = -1;
  Integer FDataChangeRecord = -1;
  Integer FNewItemRecordIndex = 0;
  bool FUseNewItemRowForEditing = false;
  bool FNewItemRowFocused = false;
  Integer FBookmarkRecordIndex = -1;
  TcxCustomDataField* FRecordHandlesField = nullptr;
  TcxCustomDataField* FIncrementalFilterField = nullptr;
  String FIncrementalFilterText;
  TcxCustomDataField* FSearchField = nullptr;
  bool FSearching = false;
  String FSearchText;
  TcxCustomDataField* FSortingBySummaryField = nullptr;
  Integer FFullUpdateLockCount = 0;
  std::unique_ptr<TcxSaveObject> FSaveObject;
  Integer FLookupLockCount = 0;
  Integer FGridModeLockCount = 0;
  Integer FUpdateFieldsLockCount = 0;
  bool FUpdateFieldsPending = false;
  bool FDataChangedPending = false;
  bool FDestroying = false;
  bool FCancelling = false;
  bool FNotifying = false;
  bool FCreatingLinkObject = false;
  bool FRecreatingLinkObject = false;
  bool FDetailExpanding = false;
  bool FFocusingDetails = false;
  bool FIsPattern = false;
  bool FInGetLinkRetry = false;
  TcxCustomDataRelation* FMasterRelation = nullptr;
  Integer FMasterRecordIndex = -1;
  TcxCustomDataController* FCreatingDataController = nullptr;
  bool FInternalFind = false;
  bool FInRefreshItemFields = false;
  bool FInSortingChanged = false;
  Integer FPrevSelectedCount = 0;
  Integer FPrevSelectedRow = -1;
  TcxDataFilterRecordEvent FOnRecordFilter;

  struct TListenerEntry {
    TObject* Object;
    TNotifyEvent Method;
  };
  std::vector<TListenerEntry> FDataChangedListeners;
  std::vector<TcxDataListenerLink*> FListenerLinks;
  std::unique_ptr<TcxDataStorage> FStorage;
  std::unique_ptr<TcxDataControllerGroups> FGroups;
  std::unique_ptr<TcxCustomDataFieldList> FFields;
  std::vector<TcxDataFilterCriteria*> FExtraFilters;   // owned
  std::unique_ptr<TcxDataFilterCriteria> FFilter;
  std::unique_ptr<TcxDataControllerSearch> FSearch;
  std::unique_ptr<TcxDataSummary> FSummary;
  std::unique_ptr<TcxCustomDataProvider> FProvider;
  std::unique_ptr<TcxCustomDataControllerInfo> FInfo;
  std::unique_ptr<TcxDataControllerNotifier> FNotifier;
  std::unique_ptr<TcxCustomDataRelationList> FRelations;
};
