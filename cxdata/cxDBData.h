// The data controller over a dataset: it binds every item to a dataset
// field by name, identifies records by key fields, loads all records or
// shows only the dataset's record buffer (grid mode), keeps its focus and
// the dataset's cursor on the same record, posts through the dataset,
// filters through the dataset's Filter when asked, remembers grid-mode
// selections by bookmark, and positions detail datasets for their master
// records. The provider and its data link turn the dataset's events into
// controller notifications.
#pragma once
#include <memory>
#include <unordered_map>
#include <vector>

#include "DB.h"
#include "cxCustomData.h"
#include "cxDB.h"

class TcxDBDataController;
class TcxDBDataProvider;
class TcxDBDataField;

extern const TcxResourceString cxSDBKeyFieldNotFound;        // "Key Field not found"
extern const TcxResourceString cxSDBDetailFilterControllerNotFound;  // "DetailFilterController not found"
extern const TcxResourceString cxSDBNotInGridMode;          // "DataController not in GridMode"

// ---------------------------------------------------------------------------
// Mode settings

using TcxDBDataModeControllerDetailFirstEvent =
    std::function<void(TObject* Sender, TDataSet* ADataSet, const String& AMasterDetailKeyFieldNames,
                       const Variant& AMasterDetailKeyValues, bool& AReopened)>;
using TcxDBDataModeControllerDetailIsCurrentQueryEvent =
    std::function<bool(TObject* Sender, TDataSet* ADataSet, const String& AMasterDetailKeyFieldNames,
                       const Variant& AMasterDetailKeyValues)>;

class TcxDBDataModeController : public TPersistent {
  TOVANI_CLASS(TcxDBDataModeController, TPersistent)
 public:
  explicit TcxDBDataModeController(TcxDBDataController* AController) : FDataController(AController) {}
  void Assign(TPersistent* Source) override;

  bool DetailInSQLMode() const { return FDetailInSQLMode; }
  void SetDetailInSQLMode(bool Value) { FDetailInSQLMode = Value; }
  bool GridMode() const { return FGridMode; }
  void SetGridMode(bool Value);
  Integer GridModeBufferCount() const { return FGridModeBufferCount; }
  void SetGridModeBufferCount(Integer Value);
  bool SmartRefresh() const { return FSmartRefresh; }
  void SetSmartRefresh(bool Value);
  bool SyncMode() const { return FSyncMode; }
  void SetSyncMode(bool Value);
  // Not stored with the settings.
  bool DetailSyncEnabled = true;
  bool InsertSyncEnabled = true;

  TcxDBDataModeControllerDetailFirstEvent OnDetailFirst;
  TcxDBDataModeControllerDetailIsCurrentQueryEvent OnDetailIsCurrentQuery;

  TcxDBDataController* DataController() const { return FDataController; }

 protected:
  TPersistent* GetOwner() override;

 private:
  TcxDBDataController* FDataController;
  bool FDetailInSQLMode = false;
  bool FGridMode = false;
  Integer FGridModeBufferCount = 0;
  bool FSmartRefresh = false;
  bool FSyncMode = true;
};

// ---------------------------------------------------------------------------
// Provider, data link and reader

class TcxDBDataAssignedFields : public TObject {
  TOVANI_CLASS(TcxDBDataAssignedFields, TObject)
 public:
  void AddField(TField* AField);
  void AddFields(const std::vector<TField*>& AFields);
  void AddFieldsByName(TDataSet* ADataSet, const String& AFieldNames);
  void Clear() { FFields.clear(); }
  bool IsEmpty() const { return FFields.empty(); }
  bool IsFieldExists(TField* AField) const;

 private:
  std::vector<TField*> FFields;
};

class TcxValueDefDBReader : public TcxValueDefReader {
  TOVANI_CLASS(TcxValueDefDBReader, TcxValueDefReader)
 public:
  String ReadDisplayText(TcxValueDef* ADef) override;
  Variant ReadValue(TcxValueDef* ADef) override;
  bool IsInternalDef(TcxValueDef* ADef) override;

 private:
  // What the reader learnt about a value definition: a reader lives for one
  // load, during which fields and the controller's state stay put, so a
  // load of many records asks once per definition.
  struct TDefInfo {
    TcxValueDef* Def;
    TField* Field;
    bool Internal;
  };
  const TDefInfo& Info(TcxValueDef* ADef);
  std::vector<TDefInfo> FInfos;
  size_t FLast = 0;
};

class TcxDBDataLink : public TDataLink {
  TOVANI_CLASS(TcxDBDataLink, TDataLink)
 public:
  explicit TcxDBDataLink(TcxDBDataProvider* AProvider);
  TcxDBDataProvider* Provider() const { return FProvider; }
  bool PendingLayoutChange = false;
  bool PreventLayoutChange = false;

  // The link notifications, callable by the provider and the controller.
  void DoDataSetChanged() { DataSetChanged(); }
  void DoEditingChanged() { EditingChanged(); }
  void DoLayoutChanged() { LayoutChanged(); }

 protected:
  void ActiveChanged() override;
  void DataEvent(TDataEvent Event, NativeInt Info) override;
  void DataSetChanged() override;
  void DataSetScrolled(Integer Distance) override;
  void EditingChanged() override;
  void FocusControl(TField** AField) override;
  void LayoutChanged() override;
  void RecordChanged(TField* AField) override;
  void UpdateData() override;

 private:
  void StartInsertFromDataSet();
  TcxDBDataProvider* FProvider;
};

struct TcxDBDataProviderSavePosInfo {
  TBookmark Bookmark;
  Integer ActiveRecord = 0;
  bool BOF = false;
  bool EOF_ = false;
  Integer RecNo = -1;   // 1-based, -1 when none
};

class TcxDBDataProvider : public TcxCustomDataProvider {
  TOVANI_CLASS(TcxDBDataProvider, TcxCustomDataProvider)
 public:
  explicit TcxDBDataProvider(TcxCustomDataController* AController);
  ~TcxDBDataProvider() override;

  // Base answers.
  bool AcceptsCustomSource() const override { return false; }
  bool GridModeActive() const override;
  bool SourceIsOpen() const override;
  bool IsSourceShared() const override { return IsOtherProviderInserting(); }
  bool IsSyncMode() const override;
  bool HasData() const override;
  bool CanBuildFields() const override;
  bool SourceAtFirst() override;
  bool SourceAtLast() override;
  bool IsEditing() const override;
  bool IsInserting() const override;
  bool IsModified() const override;
  bool InGridModeUpdate() const override;
  bool CanModify() override;
  bool CanDelete() override;
  TClass ValueReaderClass() const override { return TcxValueDefDBReader::StaticClass(); }
  TcxValueDefReader* CreateValueReader() override { return new TcxValueDefDBReader(); }
  Integer GridModeFocusedRecord() override;
  void RecordWasRead(Integer ARecord) override;

  // Cursor and positions.
  void MoveToFirst() override;
  void MoveToPrior() override;
  void MoveToNext() override;
  void MoveToLast() override;
  void MoveBy(Integer ADistance) override;
  void ScrollBy(Integer ADistance) override;
  void SavePosition() override;
  void RestorePosition() override;

  // Editing.
  bool CanInitEditing(Integer ARecord) override;
  void Edit() override;
  void Append() override;
  void Insert() override;
  void Post(bool AForce) override;
  void Cancel() override;
  bool GetEditValue(Integer ARecord, TcxCustomDataField* AField, Variant& AValue, Integer ASource) override;
  bool SetEditValue(Integer ARecord, TcxCustomDataField* AField, Integer ASource, const Variant& AValue) override;
  void AssignItemValue(Integer ARecord, TcxCustomDataField* AField, const Variant& AValue) override;
  void AssignGroupValues(Integer ARecord, const Variant& AValues) override;
  void PostEditingData() override;
  void DeleteFocused() override;
  void DeleteRecords(const std::vector<Integer>& AList) override;
  void DeleteSelection() override;
  void EndDeleting() override;
  void EnterLocate() override;
  void LockNotifications() override;
  void UnlockNotifications() override;
  bool SourceDetailHasChildren(Integer ARecord, Integer ARelationIndex) override;

  // Grid mode.
  void LoadGridModeBuffer() override;
  bool LoadAllRecords() override;
  void GridModeValue(Integer ARecord, TcxCustomDataField* AField, Variant& AValue) override;
  void GridModeDisplayText(Integer ARecord, TcxCustomDataField* AField, String& AText) override;
  void UpdateGridModeBuffer();
  bool SearchInDataSet(const String& AText, bool AForward, bool ANext);

  // Notifications from the link.
  void ActiveChanged(bool AActive) override;
  void CursorMoved(Integer ADistance) override;
  void LayoutChanged(Integer AKind) override;

  // New virtual operations.
  virtual bool IsDataSetModified() const;
  virtual bool IsBookmarkValid(const TBookmark& ABookmark) const;
  virtual Integer CompareBookmarks(const TBookmark& A, const TBookmark& B) const;
  virtual void CancelDataSet();
  virtual void RecordChanged(TField* AField);

  TcxDBDataController* DBDataController() const;
  TcxDBDataLink* DataLink() const { return FDataLink.get(); }
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* Value);
  TDataSet* DataSet() const { return FDataLink->DataSet(); }
  TcxDBDataAssignedFields* AssignedFields() const { return FAssignedFields.get(); }
  bool IsDataSetEditing() const;
  bool IsDataSetCurrent() const { return FDataSetCurrent; }
  bool HasDataSetFocus() const;
  void SetDataSetFocus(bool Value);
  void DoInsertOrAppend(bool AAppend);
  void SmartRefreshUpdate();
  void ResetUpdatingRecord();
  void SetPostLocate();
  void ClearPostLocate() { FPostLocate = false; }
  // Reads a row of the link's window: the link's active record is moved
  // there for the read and put back (also on failure).
  void SetActiveRecordGuarded(Integer ARecord, const std::function<void()>& ARead);

  // Questions about every provider bound to the same dataset.
  bool IsAnyInitEditing() const;
  bool IsDataSetBusy() const;
  bool IsOtherProviderLocked();
  bool HasLockedDetailProvider() const;
  bool IsOtherProviderInserting() const;

  Integer RecordIndex = 0;
  TcxDBDataProviderSavePosInfo SavePosInfo;
  Integer UpdatingRecordIndex = cxNullEditingRecord;
  Integer UpdatingNewRecordIndex = -1;
  bool UpdatingRecordIsInserting = false;
  Integer UpdatingPrevFocusedRecordIndex = -1;
  bool InInsert = false;
  bool InsertOperation = false;
  bool InsertingFromDataSet = false;
  bool InCanInitEditing = false;
  bool MovingToFirst = false;
  bool SettingDataSource = false;
  bool GridModeUpdating = false;
  bool IncrementalSearching = false;
  bool LoadingAll = false;
  bool NotifyingListeners = false;
  bool ActiveChanging = false;
  bool ResettingDataSetCurrent = false;
  std::vector<TcxDBDataProvider*> Listeners;

 private:
  friend class TcxDBDataLink;
  friend class TcxDBDataController;
  TcxCustomDataController* Controller() const { return FDataController; }
  TDataSet* ActiveDataSet() const;
  // The providers of the same dataset (this one included).
  std::vector<TcxDBDataProvider*> SharedProviders() const;
  bool IsLocating() const;
  bool CanFollowDataSetInsert() const;
  Variant ReadDetailKeyValues() const;

  std::unique_ptr<TcxDBDataLink> FDataLink;
  std::unique_ptr<TcxDBDataAssignedFields> FAssignedFields;
  bool FPostLocate = false;
  bool FDataSetCurrent = false;
};

// ---------------------------------------------------------------------------
// Fields

class TcxDBDataField : public TcxCustomDataField {
  TOVANI_CLASS(TcxDBDataField, TcxCustomDataField)
 public:
  explicit TcxDBDataField(TcxCustomDataFieldList* AFieldList) : TcxCustomDataField(AFieldList) {}
  ~TcxDBDataField() override;

  void TakeOverData(TcxCustomDataField* Source) override;
  void ComponentRemoved(TComponent* AComponent) override;
  bool CanModifyWithoutSource() const override { return IsUnbound(); }

  const String& FieldName() const { return FFieldName; }
  // The bound dataset field (the referenced field's when this one refers
  // to another field of the same name).
  TField* Field() const;
  void SetField(TField* Value);
  TcxDBDataField* ParentField() const { return FParentField; }
  Integer FieldCount() const { return Integer(FFields.size()); }
  TcxDBDataField* Fields(Integer Index) const { return FFields.at(size_t(Index)); }
  void AddField(TcxDBDataField* AField);
  void RemoveField(TcxDBDataField* AField);
  void ClearFields();
  bool IsLookup() const;
  bool IsUnbound() const;
  bool IsCurrency() const { return FIsCurrency; }
  bool IsInternalForReading() const;
  // Whether an editor may change the field through the value source (0
  // value, 1 edit text, 2 lookup key).
  bool CanModify(Integer AValueSource) const;

 private:
  friend class TcxDBDataController;
  String FFieldName;
  TField* FField = nullptr;
  TcxDBDataField* FParentField = nullptr;
  std::vector<TcxDBDataField*> FFields;   // owned
  bool FIsCurrency = false;
};

class TcxDBDataRelation : public TcxCustomDataRelation {
  TOVANI_CLASS(TcxDBDataRelation, TcxCustomDataRelation)
 public:
  using TcxCustomDataRelation::TcxCustomDataRelation;
  ~TcxDBDataRelation() override;
  void FieldRemoved(TcxCustomDataField* AField) override;
  bool HasMasterKeys() const;
  void CollectMasterKeyFields(std::vector<TcxCustomDataField*>& AList) const;
  Variant GetMasterKeyValues(Integer ARecord) const;
  void LinkNamesChanged();
  String DetailKeyFieldNames() const;
  String MasterKeyFieldNames() const;
  TcxDBDataField* MasterKeyField() const { return FMasterKeyField; }

 private:
  friend class TcxDBDataController;
  TcxDBDataController* DetailDBController() const;
  TcxDBDataField* FMasterKeyField = nullptr;
};

// ---------------------------------------------------------------------------
// Filter

using TcxDBDataFilterBeforeChangeEvent =
    std::function<void(TObject* Sender, TDataSet* ADataSet, const String& AFilterText)>;
using TcxDBDataFilterFormatFilterTextValueEvent =
    std::function<void(TObject* Sender, const Variant& AValue, String& ADisplayValue)>;

class TcxDBDataFilterCriteriaItem : public TcxDataFilterCriteriaItem {
  TOVANI_CLASS(TcxDBDataFilterCriteriaItem, TcxDataFilterCriteriaItem)
 public:
  TClass OperatorClass() override;
};

class TcxDBDataFilterCriteria : public TcxDataFilterCriteria {
  TOVANI_CLASS(TcxDBDataFilterCriteria, TcxDataFilterCriteria)
 public:
  explicit TcxDBDataFilterCriteria(TcxCustomDataController* AController);

  bool AutoDataSetFilter() const { return FAutoDataSetFilter; }
  void SetAutoDataSetFilter(bool Value);
  bool IgnoreOrigin() const { return FIgnoreOrigin; }
  void SetIgnoreOrigin(bool Value);

  void AssignFrom(TPersistent* Source, bool IgnoreLinkNames) override;
  void AssignEvents(TPersistent* Source) override;
  void ResetSettings() override;
  void AdjustValueText(TcxFilterCriteriaItem* Item, const Variant& V, String& S) override;
  TClass ItemClass() const override;
  bool IsFiltering() const override;
  // Whether the dataset's own Filter carries the criteria.
  bool IsDataSetFilterInEffect() const;

  TcxDBDataFilterBeforeChangeEvent OnBeforeChange;
  TcxDBDataFilterFormatFilterTextValueEvent OnFormatFilterTextValue;

 protected:
  void FireChanged() override;

 private:
  bool FAutoDataSetFilter = false;
  bool FIgnoreOrigin = true;
};

// ---------------------------------------------------------------------------
// Summary item bound to a field by name

class TcxDBDataSummaryItem : public TcxDataSummaryItem {
  TOVANI_CLASS(TcxDBDataSummaryItem, TcxDataSummaryItem)
 public:
  TcxDBDataSummaryItem() = default;
  ~TcxDBDataSummaryItem() override;
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  void Assign(TPersistent* Source) override;
  TcxCustomDataField* DataField() const override;
  bool IsCurrencyType(TVarType AType) const override;
  // The own field went away with the controller's fields.
  void OwnFieldRemoved(TcxCustomDataField* AField) {
    if (AField == FDataField) FDataField = nullptr;
  }

 private:
  TcxDBDataController* DBController() const;
  String FFieldName;
  TcxDBDataField* FDataField = nullptr;
};

// ---------------------------------------------------------------------------
// Grid-mode selection by bookmark

class TcxDBDataSelection : public TcxDataSelection {
  TOVANI_CLASS(TcxDBDataSelection, TcxDataSelection)
 public:
  using TcxDataSelection::TcxDataSelection;
  void ClearAnchor() override;
  void InsertEntry(Integer Position, Integer Row, Integer Level, Integer Index) override;
  void ClearEntries() override;
  void DeleteEntry(Integer Position) override;
  bool FindRow(Integer Row, Integer& Position) const override;

  TBookmark RowBookmark(Integer Row) const;
  void DropInvalidBookmarks();
  void SelectAll();
  void SelectRange(const TBookmark& ABookmark, bool AKeepSelection);
  Integer BookmarkCount() const { return Integer(FBookmarks.size()); }
  const TBookmark& Bookmarks(Integer Index) const { return FBookmarks.at(size_t(Index)); }
  TBookmark AnchorBookmark;

 private:
  TcxDBDataController* DBController() const;
  bool Active() const;
  // The entry count follows the bookmark list (entries of the base
  // selection hold no record in grid mode).
  void SyncCount();
  Integer FindBookmark(const TBookmark& B, bool& Found) const;
  std::vector<TBookmark> FBookmarks;
  bool FInSelectAll = false;
};

// ---------------------------------------------------------------------------
// The controller

using TcxDBDataDetailHasRecordsEvent =
    std::function<void(TcxDBDataController* Sender, Integer ARecordIndex, Integer ARelationIndex,
                       const String& ADetailKeyFieldNames, const Variant& AMasterKeyValues, bool& AHasRecords)>;

class TcxDBDataController : public TcxCustomDataController {
  TOVANI_CLASS(TcxDBDataController, TcxCustomDataController)
 public:
  explicit TcxDBDataController(TComponent* AOwner);
  ~TcxDBDataController() override;

  // Parts.
  TcxCustomDataField* CreateField(bool AInternal) override;
  TcxCustomDataProvider* CreateProvider() override;
  TcxDataSelection* CreateSelection() override;
  TcxDataFilterCriteria* CreateFilter() override;
  TClass SummaryItemClass() const override { return TcxDBDataSummaryItem::StaticClass(); }
  TcxCustomDataRelation* CreateRelation(TcxCustomDataRelationList* AList, TObject* AItem) override;
  bool HasDataSource() const override { return true; }

  // Dataset access.
  TcxDBDataModeController* DataModeController() const { return FDataModeController.get(); }
  TDataSource* GetDataSource() const;
  void SetDataSource(TDataSource* Value);
  TDataSet* GetDataSet() const;
  TcxDBDataProvider* DBProvider() const;
  Integer GetDataSetRecordCount() const;
  Integer GetRecNo() const;
  void SetRecNo(Integer Value);
  bool IsDataSetSequenced() const;
  const String& KeyFieldNames() const { return FKeyFieldNames; }
  void SetKeyFieldNames(const String& Value);
  void ChangeFieldName(Integer AItem, const String& AFieldName);
  TField* GetItemField(Integer AItem);
  String GetItemFieldName(Integer AItem);
  TcxDBDataField* KeyField() const { return FKeyField; }
  void GetKeyFields(std::vector<TcxCustomDataField*>& AList) override;
  bool IsKeyMode() const override;
  Variant GetRecordId(Integer ARecord) override;
  Integer FindRecordIndexByKey(const Variant& AKey);
  bool FocusRecordByKey(const Variant& AKey);
  virtual Integer LocateByKey(const std::function<void(std::vector<TcxCustomDataField*>&)>& AFillKeyFields);
  void EnterLocate() { Provider()->EnterLocate(); }
  void LeaveLocate() { Provider()->LeaveLocate(); }
  static bool CheckLocateFields(TDataSet* ADataSet, const String& AKeyFieldNames, const Variant& AValue);

  // Overrides of the base controller.
  void RefreshData() override;
  void CheckBrowseMode() override;
  bool IsDataChangedLocked() const override;
  void SetItemValueTypeClass(Integer Index, TcxValueTypeClass Value) override;
  bool IsItemTextCompared(Integer Index, bool ExcludeCurrency) const override;
  Variant GetGroupingValue(Integer ARecord, TcxCustomDataField* AField) override;
  Variant GetFilterValue(Integer ARecord, TcxCustomDataField* AField) override;
  String GetFilterFieldName(Integer AItem) override;
  Integer GetActiveRecordIndex() override;
  Integer GetCurrentRecordIndex() override;
  bool SearchInDataSet(const String& AText, bool AForward, bool ANext) override;
  bool IsProviderField(TcxCustomDataField* AField) const override;
  void UpdateField(TcxCustomDataField* AField) override;
  void UpdateFields() override;
  void FieldNotification(TComponent* AComponent) override;
  void RecreateStructure() override;
  void LoadStorage() override;
  bool IsDataLoadPending() const override;
  void AfterLoadStorage() override;
  void Loaded() override;
  void RecordDeleted(Integer ARecord) override;
  void BeforeFieldRemove(TcxCustomDataField* AField) override;
  void BeginReaderUse() override { FUnboundCopy = true; }
  void EndReaderUse() override { FUnboundCopy = false; }
  void RestoreFocus() override;
  void ProviderScrolled(Integer ADistance) override;
  bool CanFocusRecord(Integer ARecord) override;
  bool CanFocusedRowChange() override;
  void FocusedRecordChanged(Integer APrevRecord, Integer ARecord) override;
  void ReloadData() override;
  void CheckDetailSource() override;
  bool IsSmartRefresh() const override;
  bool SetBookmark() override;
  void GotoBookmark() override;
  void ClearBookmark() override;
  bool IsBookmarkRecordInvalid(Integer ARecord) const override;
  void CheckBookmark(Integer ARecord) override;
  bool HasGridModeBookmark() const { return !FGridModeBookmark.empty(); }
  bool IsGridModeBookmarkRow(Integer ARow) const;

  // Selection in grid mode.
  TBookmark GetSelectedBookmark(Integer AIndex);
  TBookmark GetSelectionAnchorBookmark();
  Integer GetSelectedRowIndexByBookmark(Integer AIndex);
  Integer GetSelectionAnchorRowIndex() const override;
  bool IsSelectionAnchorSet() const override;
  void SetSelectionAnchor(Integer ARow) override;
  void SelectFromAnchor(Integer ARow, bool AKeepSelection) override;
  void SelectAll() override;
  bool FocusSelectedBookmark(Integer AIndex);
  void ForEachRowOfDataSet(bool ASelectedOnly, const TcxForEachRowProc& AProc);
  Variant GetSelectionKey(Integer ARow) override;

  // New virtual operations.
  virtual void DataSetCurrentChanged(bool ACurrent) { (void)ACurrent; }
  virtual void DataSourceChanged() {}
  virtual void FieldsAssigned(Integer ARecord) { (void)ARecord; }
  virtual Integer GetDefaultBufferCount() const { return 100; }
  virtual void DataResynced() { AddChanges(ccLayout); }
  virtual bool SyncDataSetPos(Integer ARecord);
  virtual void DataScrolled() {}
  virtual TcxDBAdapterItem* GetDetailFilterAdapter();

  // Field binding.
  void BindField(TcxDBDataField* AField, bool ASubFieldsOnly);
  void NameDataField(TcxDBDataField* AField, const String& ANames, bool AsLookupKeys);
  void UpdateEditingRecord();
  void RereadRecord(Integer ARecord);
  void UpdateGridModeBufferCount();
  void DetachFields();
  void GridModeStateChanged();
  TcxDBDataField* DBField(Integer AItem) const { return static_cast<TcxDBDataField*>(FieldOfItemIndex(AItem)); }
  bool UnboundCopy() const { return FUnboundCopy; }
  bool InCheckBrowseMode() const { return FInCheckBrowseMode; }
  bool ChangingBufferCount() const { return FChangingBufferCount; }
  bool ResettingFields() const { return FResettingFields; }

  // Master-detail.
  const String& DetailLinkFieldNames() const { return FDetailLinkFieldNames; }
  void SetDetailLinkFieldNames(const String& Value);
  const String& MasterLinkFieldNames() const { return FMasterLinkFieldNames; }
  void SetMasterLinkFieldNames(const String& Value);
  String GetMasterDetailKeyFieldNames() const;
  const Variant& MasterDetailKeyValues() const { return FMasterDetailKeyValues; }
  const std::vector<TField*>& MasterDetailKeyFieldList();
  void SetMasterRelation(TcxCustomDataRelation* ARelation, Integer AMasterRecord) override;
  bool DetailIsCurrentQuery(const String& ANames, const Variant& AValues);
  void DetailFirst(const String& ANames, const Variant& AValues, bool& AReopened);
  void EnsureDetailQuery();
  bool IsDetailOutOfSync();
  bool IsEnsuringDetailQuery() const;
  void ReloadDetails(bool ASkipSelf);
  void RebindRelationKeyFields();
  TcxCustomDataController* SyncMasterPosition();
  TcxDBDataDetailHasRecordsEvent OnDetailHasRecords;

 private:
  friend class TcxDBDataProvider;
  friend class TcxDBDataLink;
  friend class TcxDBDataSelection;
  friend class TcxDBDataField;
  TcxDBDataSelection* DBSelection() const;
  void CheckGridMode() const;
  void UpdateFieldSettings(TcxDBDataField* AField, bool ATFieldChanged);
  void ReportFieldTypeChange(TcxDBDataField* AField);
  Variant DataSetKeyValues();
  static TcxCustomDataController* FindDetailForKeys(TcxCustomDataController* AController, Integer ARelationIndex,
                                                    const Variant& AValues);

  std::unique_ptr<TcxDBDataModeController> FDataModeController;
  String FKeyFieldNames;
  TcxDBDataField* FKeyField = nullptr;
  String FDetailLinkFieldNames, FMasterLinkFieldNames;
  Variant FMasterDetailKeyValues;
  std::vector<TField*> FMasterDetailKeyFields;
  bool FMasterDetailKeyFieldsValid = false;
  TBookmark FGridModeBookmark;
  bool FLoaded = false;
  bool FUnboundCopy = false;
  bool FInCheckBrowseMode = false;
  bool FUpdatingDataSetPos = false;
  bool FChangingBufferCount = false;
  bool FResettingFields = false;
  bool FInCurrentQueryCheck = false;
  // Key index: record of each key value, rebuilt when the storage changed.
  std::unordered_map<std::string, Integer> FKeyIndex;
  UInt64 FKeyIndexStamp = ~UInt64(0);
  UInt64 FKeyScanStamp = ~UInt64(0);
  String FKeyIndexNames;
};

// The adapter registries of the dataset controller: filter-operator
// adapters and detail adapters, each with TDataSet registered.
TcxDBAdapterList* cxGetFilterOperatorAdapters();
TcxDBAdapterList* cxGetDetailFilterAdapters();

class TcxDBProviderDetailFilterAdapter : public TcxDBAdapterItem {
  TOVANI_CLASS(TcxDBProviderDetailFilterAdapter, TcxDBAdapterItem)
 public:
  using TcxDBAdapterItem::TcxDBAdapterItem;
  virtual bool IsCurrentQuery(TDataSet* ADataSet, const String& ANames, const Variant& AValues);
  virtual void ReopenQuery(TDataSet* ADataSet, const String& ANames, const Variant& AValues, bool& AReopened);
  virtual void PositionDetail(TDataSet* ADataSet, const String& ANames, const Variant& AValues, bool ASQLMode,
                              bool& AReopened);
};
