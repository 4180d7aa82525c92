// Running aggregates (sum, average, count) of fields of a dataset, kept up
// to date through the dataset's events: a full scan on open, on a filter
// change, on a master scroll and when the definition changes; edits,
// inserts and deletes adjust the values in place. The data grid's footers
// show them.
#pragma once
#include <memory>
#include "Classes.h"
#include "Currency.h"
#include "DB.h"
#include "Strings.h"
#include "TypInfo.h"
#include "Variant.h"

class TDBSumListProducer;

enum TGroupOperation { goSum, goAvg, goCount };
TOVANI_ENUM_INFO(TGroupOperation)

// One aggregate.
class TDBSum : public TCollectionItem {
  TOVANI_CLASS(TDBSum, TCollectionItem)
 public:
  explicit TDBSum(TCollection* ACollection = nullptr) : TCollectionItem(ACollection) {}
  void Assign(TPersistent* Source) override;

  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& v);
  TGroupOperation GroupOperation() const { return FGroupOperation; }
  void SetGroupOperation(TGroupOperation v);
  // The result: the sum, the average or the count.
  Currency AggregateValue() const { return FAggregateValue; }
  void SetAggregateValue(Currency v) { FAggregateValue = v; }
  Integer NonNullCount() const { return FNonNullCount; }
  // Whether the item takes part: a count, or any operation with a field.
  bool Participates() const { return FGroupOperation == goCount || !FFieldName.empty(); }

 private:
  friend class TDBSumListProducer;
  String FFieldName;
  TGroupOperation FGroupOperation = goSum;
  Currency FPreviousValue;
  Integer FNonNullCount = 0;
  Currency FRunningTotal;
  Variant FPreviousFieldValue;
  Currency FAggregateValue;
};

class TDBSumCollection : public TCollection {
  TOVANI_CLASS(TDBSumCollection, TCollection)
 public:
  TDBSumCollection(TDBSumListProducer* AOwner = nullptr, TClass AItemClass = TDBSum::StaticClass())
      : TCollection(AItemClass), FOwner(AOwner) {}
  TDBSum* GetSumItem(Integer Index) const { return static_cast<TDBSum*>(Items(Index)); }
  TDBSum* Add() { return static_cast<TDBSum*>(TCollection::Add()); }
  // The first item of that operation whose field name matches (case ignored).
  TDBSum* FindSumItem(TGroupOperation Operation, const String& FieldName) const;

 protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

 private:
  TDBSumListProducer* FOwner;
};

class TDBSumListProducer : public TPersistent {
  TOVANI_CLASS(TDBSumListProducer, TPersistent)
 public:
  explicit TDBSumListProducer(TComponent* AOwner = nullptr);
  ~TDBSumListProducer() override;
  void Assign(TPersistent* Source) override;

  bool Active() const { return FActive; }
  void SetActive(bool v);
  TDataSet* DataSet() const { return FDataSet; }
  void AssignDataSet(TDataSet* v);
  bool ExternalRecalc() const { return FExternalRecalc; }
  void SetExternalRecalc(bool v);
  bool VirtualRecords() const { return FVirtualRecords; }
  void SetVirtualRecords(bool v);
  bool WorkAtDesignTime() const { return FWorkAtDesignTime; }
  void SetWorkAtDesignTime(bool v) { FWorkAtDesignTime = v; }
  TDBSumCollection* SumCollection() { return FSumCollection.get(); }
  void SetSumCollection(TDBSumCollection* v) { FSumCollection->Assign(v); }
  TStringList* VirtualRecordList() { return FVirtualRecordList.get(); }
  bool EventsHooked() const { return FEventsHooked; }
  TDataSet* MasterDataSet() const { return FMasterDataSet; }
  TComponent* Owner() const { return FOwner; }

  void Activate(bool ARecalcAll);
  void Deactivate(bool AClearValues);
  void ActivateAfterLoad();
  // Recalculates unless the owner is loading or being destroyed.
  void Update();

  virtual Integer GetRecNo();
  virtual Integer FindVirtualRecord(const TBookmark& Bookmark);
  virtual void SetRecNo(Integer N);
  virtual bool IsSequenced();
  virtual Integer GetRecordCount();
  virtual void ClearSums();
  virtual void RecalcAll();

  TNotifyEvent OnAfterRecalcAll;
  TNotifyEvent OnRecalcAll;
  TNotifyEvent SumListChanged;

 protected:
  TPersistent* GetOwner() override { return FOwner; }
  virtual void HandleAfterCancel(TDataSet* DataSet);
  virtual void HandleAfterClose(TDataSet* DataSet);
  virtual void HandleAfterEdit(TDataSet* DataSet);
  virtual void HandleAfterInsert(TDataSet* DataSet);
  virtual void HandleAfterOpen(TDataSet* DataSet);
  virtual void HandleAfterPost(TDataSet* DataSet);
  virtual void HandleAfterScroll(TDataSet* DataSet);
  virtual void HandleBeforeDelete(TDataSet* DataSet);
  virtual void UnhookDataSetEvents();
  virtual void HookDataSetEvents();
  void HandleMasterAfterScroll(TDataSet* DataSet);
  void DoSumListChanged();
  bool VirtualRecordsInUse();
  bool OwnerLoading() const;
  bool OwnerDesigning() const;

 private:
  bool FVirtualRecords = false;
  bool FRecalculating = false;
  bool FActive = true;
  TDataSet* FDataSet = nullptr;
  bool FWorkAtDesignTime = false;
  bool FEventsHooked = false;
  bool FExternalRecalc = false;
  String FSavedFilter;
  bool FSavedFiltered = false;
  TDataSet* FMasterDataSet = nullptr;
  Integer FLastFoundIndex = -1;
  TComponent* FOwner = nullptr;
  std::unique_ptr<TDBSumCollection> FSumCollection;
  bool FPendingInsert = false;
  std::unique_ptr<TStringList> FVirtualRecordList;
  TDataSetNotifyEvent FSavedAfterCancel, FSavedAfterClose, FSavedAfterEdit, FSavedAfterInsert, FSavedAfterOpen,
      FSavedAfterPost, FSavedAfterScroll, FSavedBeforeDelete, FSavedMasterAfterScroll;
};
