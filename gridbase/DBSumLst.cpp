#include "DBSumLst.h"
#include "PlatformEh.h"
#include "TypInfo.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TDBSum, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TDBSumCollection, TCollection)
TOVANI_IMPLEMENT_CLASS(TDBSumListProducer, TPersistent)
TOVANI_IMPLEMENT_ENUM_INFO(TGroupOperation, "goSum", "goAvg", "goCount")

TOVANI_PUBLISHED(TDBSum) {
  Property("FieldName", &TDBSum::FieldName, &TDBSum::SetFieldName);
  Property("GroupOperation", &TDBSum::GroupOperation, &TDBSum::SetGroupOperation).Default(goSum);
}

namespace {

// A field's value in the fixed-point money form: value x 10000, ties to even.
Currency FieldMoney(TField* f) { return f->IsNull() ? Currency() : Currency(f->AsFloat()); }

// Total / Count to the nearest 1/10000, ties to even; 0 without values.
Currency Average(Currency Total, Integer Count) {
  if (Count == 0) return Currency();
  Int64 raw = Total.Raw();
  Int64 q = raw / Count, r = raw % Count;
  Int64 twice = 2 * (r < 0 ? -r : r);
  Int64 n = Count < 0 ? -Int64(Count) : Int64(Count);
  if (twice > n || (twice == n && (q % 2) != 0)) q += ((raw < 0) != (Count < 0)) ? -1 : 1;
  return Currency::FromRaw(q);
}

}  // namespace

// ---------------------------------------------------------------------------

void TDBSum::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TDBSum*>(Source)) {
    FGroupOperation = s->FGroupOperation;
    FFieldName = s->FFieldName;
    FPreviousValue = s->FPreviousValue;
    FAggregateValue = s->FAggregateValue;
    Changed(false);
    return;
  }
  TCollectionItem::Assign(Source);
}

void TDBSum::SetFieldName(const String& v) {
  if (v == FFieldName) return;
  FFieldName = v;
  Changed(false);
}

void TDBSum::SetGroupOperation(TGroupOperation v) {
  if (v == FGroupOperation) return;
  FGroupOperation = v;
  Changed(false);
}

TPersistent* TDBSumCollection::GetOwner() { return FOwner; }

void TDBSumCollection::Update(TCollectionItem*) {
  if (FOwner) FOwner->Update();
}

TDBSum* TDBSumCollection::FindSumItem(TGroupOperation Operation, const String& FieldName) const {
  for (Integer i = 0; i < Count(); ++i) {
    TDBSum* s = GetSumItem(i);
    if (s->GroupOperation() == Operation && AnsiCompareTextEh(s->FieldName(), FieldName) == 0) return s;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------

TDBSumListProducer::TDBSumListProducer(TComponent* AOwner)
    : FOwner(AOwner), FSumCollection(new TDBSumCollection(this)), FVirtualRecordList(new TStringList) {}

TDBSumListProducer::~TDBSumListProducer() {
  Deactivate(false);
  // The items must not call back into a half-destroyed producer.
  FSumCollection.reset();
}

bool TDBSumListProducer::OwnerLoading() const {
  return FOwner && FOwner->ComponentState().Contains(csLoading);
}

bool TDBSumListProducer::OwnerDesigning() const {
  return FOwner && FOwner->ComponentState().Contains(csDesigning) && !FWorkAtDesignTime;
}

void TDBSumListProducer::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TDBSumListProducer*>(Source)) {
    SetActive(s->FActive);
    AssignDataSet(s->FDataSet);
    SetExternalRecalc(s->FExternalRecalc);
    FSumCollection->Assign(s->FSumCollection.get());
    SumListChanged = s->SumListChanged;
    SetVirtualRecords(s->FVirtualRecords);
    OnAfterRecalcAll = s->OnAfterRecalcAll;
    OnRecalcAll = s->OnRecalcAll;
    return;
  }
  TPersistent::Assign(Source);
}

void TDBSumListProducer::SetActive(bool v) {
  if (v) Activate(true);
  else Deactivate(true);
}

void TDBSumListProducer::Activate(bool ARecalcAll) {
  FActive = true;
  if (OwnerLoading() || OwnerDesigning()) return;
  HookDataSetEvents();
  if (ARecalcAll) RecalcAll();
}

void TDBSumListProducer::Deactivate(bool AClearValues) {
  FActive = false;
  if (OwnerLoading() || OwnerDesigning()) return;
  UnhookDataSetEvents();
  if (AClearValues) ClearSums();
}

void TDBSumListProducer::AssignDataSet(TDataSet* v) {
  if (v == FDataSet && v && v->ComponentState().Contains(csDestroying)) {
    UnhookDataSetEvents();
    FDataSet = nullptr;
    return;
  }
  if (v == FDataSet) return;
  if (OwnerLoading() || OwnerDesigning()) {
    FDataSet = v;
    return;
  }
  bool wasActive = FActive;
  Deactivate(true);
  FDataSet = v;
  if (wasActive) Activate(true);
}

void TDBSumListProducer::ActivateAfterLoad() {
  if (FDataSet && FActive) Activate(true);
}

void TDBSumListProducer::SetExternalRecalc(bool v) {
  FExternalRecalc = v;
  RecalcAll();
}

void TDBSumListProducer::SetVirtualRecords(bool v) {
  FVirtualRecords = v;
  if (v) RecalcAll();
}

void TDBSumListProducer::Update() {
  if (OwnerLoading() || (FOwner && FOwner->ComponentState().Contains(csDestroying))) return;
  RecalcAll();
}

void TDBSumListProducer::DoSumListChanged() {
  if (SumListChanged) SumListChanged(this);
}

// --- records

bool TDBSumListProducer::VirtualRecordsInUse() {
  return FDataSet && !FDataSet->IsSequenced() && FVirtualRecords && FActive;
}

bool TDBSumListProducer::IsSequenced() {
  if (!FDataSet) return false;
  if (FDataSet->IsSequenced()) return true;
  if (!FVirtualRecords || !FActive) return false;
  return FVirtualRecordList->Count() > 0 || (FDataSet->Bof() && FDataSet->Eof());
}

Integer TDBSumListProducer::GetRecNo() {
  if (VirtualRecordsInUse()) return FindVirtualRecord(FDataSet->GetBookmark()) + 1;
  return FDataSet ? FDataSet->RecNo() : -1;
}

void TDBSumListProducer::SetRecNo(Integer N) {
  if (!FDataSet) return;
  if (VirtualRecordsInUse()) {
    if (N >= 1 && N <= FVirtualRecordList->Count()) FDataSet->GotoBookmark(FVirtualRecordList->Strings(N - 1));
    return;
  }
  FDataSet->SetRecNo(N);
}

Integer TDBSumListProducer::GetRecordCount() {
  if (VirtualRecordsInUse()) return FVirtualRecordList->Count();
  return FDataSet ? FDataSet->RecordCount() : 0;
}

Integer TDBSumListProducer::FindVirtualRecord(const TBookmark& Bookmark) {
  Integer n = FVirtualRecordList->Count();
  if (n == 0) return -1;
  if (FLastFoundIndex < 0 || FLastFoundIndex >= n) FLastFoundIndex = 0;
  Integer i = FLastFoundIndex;
  Integer c = DataSetCompareBookmarksEh(FDataSet, FVirtualRecordList->Strings(i), Bookmark);
  if (c == 0) return i;
  Integer step = c > 0 ? -1 : 1;
  for (i += step; i >= 0 && i < n; i += step) {
    FLastFoundIndex = i;
    if (DataSetCompareBookmarksEh(FDataSet, FVirtualRecordList->Strings(i), Bookmark) == 0) return i;
  }
  return -1;
}

// --- hooking

void TDBSumListProducer::HookDataSetEvents() {
  if (!FDataSet || FEventsHooked) return;
  FMasterDataSet = GetMasterDataSetEh(FDataSet, GetPropInfo(FDataSet, "MasterSource"));
  FSavedAfterEdit = FDataSet->AfterEdit;
  FSavedAfterInsert = FDataSet->AfterInsert;
  FSavedAfterOpen = FDataSet->AfterOpen;
  FSavedAfterPost = FDataSet->AfterPost;
  FSavedAfterScroll = FDataSet->AfterScroll;
  FSavedBeforeDelete = FDataSet->BeforeDelete;
  FSavedAfterClose = FDataSet->AfterClose;
  FSavedAfterCancel = FDataSet->AfterCancel;
  FDataSet->AfterEdit = [this](TDataSet* d) { HandleAfterEdit(d); };
  FDataSet->AfterInsert = [this](TDataSet* d) { HandleAfterInsert(d); };
  FDataSet->AfterOpen = [this](TDataSet* d) { HandleAfterOpen(d); };
  FDataSet->AfterPost = [this](TDataSet* d) { HandleAfterPost(d); };
  FDataSet->AfterScroll = [this](TDataSet* d) { HandleAfterScroll(d); };
  FDataSet->BeforeDelete = [this](TDataSet* d) { HandleBeforeDelete(d); };
  FDataSet->AfterClose = [this](TDataSet* d) { HandleAfterClose(d); };
  FDataSet->AfterCancel = [this](TDataSet* d) { HandleAfterCancel(d); };
  if (FMasterDataSet) {
    FSavedMasterAfterScroll = FMasterDataSet->AfterScroll;
    FMasterDataSet->AfterScroll = [this](TDataSet* d) { HandleMasterAfterScroll(d); };
  }
  FEventsHooked = true;
}

void TDBSumListProducer::UnhookDataSetEvents() {
  if (!FEventsHooked) return;
  if (FDataSet) {
    FDataSet->AfterEdit = FSavedAfterEdit;
    FDataSet->AfterInsert = FSavedAfterInsert;
    FDataSet->AfterOpen = FSavedAfterOpen;
    FDataSet->AfterPost = FSavedAfterPost;
    FDataSet->AfterScroll = FSavedAfterScroll;
    FDataSet->BeforeDelete = FSavedBeforeDelete;
    FDataSet->AfterClose = FSavedAfterClose;
    FDataSet->AfterCancel = FSavedAfterCancel;
  }
  if (FMasterDataSet) FMasterDataSet->AfterScroll = FSavedMasterAfterScroll;
  FSavedAfterEdit = FSavedAfterInsert = FSavedAfterOpen = FSavedAfterPost = FSavedAfterScroll = nullptr;
  FSavedBeforeDelete = FSavedAfterClose = FSavedAfterCancel = FSavedMasterAfterScroll = nullptr;
  FMasterDataSet = nullptr;
  FEventsHooked = false;
  FVirtualRecordList->Clear();
}

// --- event handlers

void TDBSumListProducer::HandleAfterCancel(TDataSet* DataSet) {
  if (FSavedAfterCancel) FSavedAfterCancel(DataSet);
  FPendingInsert = false;
}

void TDBSumListProducer::HandleAfterClose(TDataSet* DataSet) {
  if (FActive) {
    ClearSums();
    DoSumListChanged();
    FRecalculating = false;
  }
  FVirtualRecordList->Clear();
  if (FSavedAfterClose) FSavedAfterClose(DataSet);
}

void TDBSumListProducer::HandleAfterEdit(TDataSet* DataSet) {
  if (FActive) {
    for (Integer i = 0; i < FSumCollection->Count(); ++i) {
      TDBSum* s = FSumCollection->GetSumItem(i);
      if (!s->Participates()) continue;
      if (s->FGroupOperation == goCount) {
        s->FPreviousValue = s->FFieldName.empty() || !FDataSet->FieldByName(s->FFieldName)->IsNull() ? 1 : 0;
      } else {
        TField* f = FDataSet->FieldByName(s->FFieldName);
        s->FPreviousValue = FieldMoney(f);
        s->FPreviousFieldValue = f->AsVariant();
      }
    }
  }
  if (FSavedAfterEdit) FSavedAfterEdit(DataSet);
}

void TDBSumListProducer::HandleAfterInsert(TDataSet* DataSet) {
  if (FActive) {
    for (Integer i = 0; i < FSumCollection->Count(); ++i) {
      TDBSum* s = FSumCollection->GetSumItem(i);
      if (!s->Participates()) continue;
      if (s->FGroupOperation == goCount) {
        s->FPreviousValue = !s->FFieldName.empty() && !FDataSet->FieldByName(s->FFieldName)->IsNull() ? 1 : 0;
      } else {
        s->FPreviousValue = Currency();
        s->FPreviousFieldValue = Null();
      }
    }
    if (VirtualRecordsInUse()) {
      TBookmark b = FDataSet->GetBookmark();
      if (b.empty()) FPendingInsert = true;
      else FVirtualRecordList->Add(b);
    }
  }
  if (FSavedAfterInsert) FSavedAfterInsert(DataSet);
}

void TDBSumListProducer::HandleAfterOpen(TDataSet* DataSet) {
  if (FActive) RecalcAll();
  if (FSavedAfterOpen) FSavedAfterOpen(DataSet);
}

void TDBSumListProducer::HandleAfterPost(TDataSet* DataSet) {
  if (FActive) {
    for (Integer i = 0; i < FSumCollection->Count(); ++i) {
      TDBSum* s = FSumCollection->GetSumItem(i);
      if (!s->Participates()) continue;
      TField* f = s->FFieldName.empty() ? nullptr : FDataSet->FieldByName(s->FFieldName);
      switch (s->FGroupOperation) {
        case goSum: s->FAggregateValue = s->FAggregateValue - s->FPreviousValue + FieldMoney(f); break;
        case goAvg:
          if (f->IsNull()) {
            if (!VarIsNull(s->FPreviousFieldValue)) {
              --s->FNonNullCount;
              s->FRunningTotal -= s->FPreviousValue;
            }
          } else {
            if (VarIsNull(s->FPreviousFieldValue)) ++s->FNonNullCount;
            s->FRunningTotal += FieldMoney(f) - s->FPreviousValue;
          }
          s->FAggregateValue = Average(s->FRunningTotal, s->FNonNullCount);
          break;
        case goCount:
          s->FAggregateValue = s->FAggregateValue - s->FPreviousValue + ((!f || !f->IsNull()) ? Currency(1) : Currency());
          break;
      }
    }
    if (VirtualRecordsInUse() && FPendingInsert) {
      TBookmark b = FDataSet->GetBookmark();
      Integer n = FVirtualRecordList->Count();
      Integer i = FLastFoundIndex < 0 || FLastFoundIndex >= n ? 0 : FLastFoundIndex;
      if (n > 0) {
        Integer c = DataSetCompareBookmarksEh(FDataSet, FVirtualRecordList->Strings(i), b);
        if (c < 0) {
          while (i < n && DataSetCompareBookmarksEh(FDataSet, FVirtualRecordList->Strings(i), b) < 0) ++i;
        } else if (c > 0) {
          while (i > 0 && DataSetCompareBookmarksEh(FDataSet, FVirtualRecordList->Strings(i - 1), b) > 0) --i;
        }
      }
      FVirtualRecordList->Insert(i, b);
      FPendingInsert = false;
    }
    DoSumListChanged();
  }
  if (FSavedAfterPost) FSavedAfterPost(DataSet);
}

void TDBSumListProducer::HandleAfterScroll(TDataSet* DataSet) {
  if (FSavedAfterScroll) FSavedAfterScroll(DataSet);
  if (FActive && !FRecalculating && FDataSet &&
      ((FDataSet->Filtered() && FDataSet->Filter() != FSavedFilter) || FDataSet->Filtered() != FSavedFiltered))
    RecalcAll();
}

void TDBSumListProducer::HandleMasterAfterScroll(TDataSet* DataSet) {
  if (FSavedMasterAfterScroll) FSavedMasterAfterScroll(DataSet);
  if (FActive && !FRecalculating) RecalcAll();
}

void TDBSumListProducer::HandleBeforeDelete(TDataSet* DataSet) {
  if (FSavedBeforeDelete) FSavedBeforeDelete(DataSet);
  if (!FActive) return;
  for (Integer i = 0; i < FSumCollection->Count(); ++i) {
    TDBSum* s = FSumCollection->GetSumItem(i);
    if (!s->Participates()) continue;
    TField* f = s->FFieldName.empty() ? nullptr : FDataSet->FieldByName(s->FFieldName);
    switch (s->FGroupOperation) {
      case goSum: s->FAggregateValue -= FieldMoney(f); break;
      case goAvg:
        s->FRunningTotal -= FieldMoney(f);
        if (!f->IsNull()) --s->FNonNullCount;
        s->FAggregateValue = Average(s->FRunningTotal, s->FNonNullCount);
        break;
      case goCount:
        if (!f || !f->IsNull()) s->FAggregateValue -= Currency(1);
        break;
    }
  }
  if (VirtualRecordsInUse()) {
    Integer i = FindVirtualRecord(FDataSet->GetBookmark());
    if (i >= 0) FVirtualRecordList->Delete(i);
  }
  DoSumListChanged();
}

// --- full scan

void TDBSumListProducer::ClearSums() {
  for (Integer i = 0; i < FSumCollection->Count(); ++i) {
    TDBSum* s = FSumCollection->GetSumItem(i);
    s->FAggregateValue = s->FPreviousValue = s->FRunningTotal = Currency();
    s->FNonNullCount = 0;
  }
  DoSumListChanged();
}

void TDBSumListProducer::RecalcAll() {
  if (OwnerDesigning() || OwnerLoading() || !FActive || !FDataSet || !FDataSet->Active() || !FEventsHooked) return;
  ClearSums();
  FLastFoundIndex = -1;
  if (OnRecalcAll) OnRecalcAll(this);
  if (FExternalRecalc) {
    FSavedFiltered = FDataSet->Filtered();
    FSavedFilter = FDataSet->Filter();
    FRecalculating = false;
    DoSumListChanged();
    return;
  }
  bool anyItem = false;
  for (Integer i = 0; i < FSumCollection->Count(); ++i) anyItem = anyItem || FSumCollection->GetSumItem(i)->Participates();
  bool keepBookmarks = !FDataSet->IsSequenced() && FVirtualRecords;
  if (anyItem || keepBookmarks) {
    // The fields are looked up once; a missing one raises before any scrolling.
    std::vector<std::pair<TDBSum*, TField*>> items;
    for (Integer i = 0; i < FSumCollection->Count(); ++i) {
      TDBSum* s = FSumCollection->GetSumItem(i);
      if (s->Participates()) items.push_back({s, s->FFieldName.empty() ? nullptr : FDataSet->FieldByName(s->FFieldName)});
    }
    FDataSet->DisableControls();
    struct TEnable {
      TDBSumListProducer* P;
      ~TEnable() {
        P->FRecalculating = false;
        P->FDataSet->EnableControls();
      }
    } enable{this};
    FVirtualRecordList->Clear();
    FRecalculating = true;
    FDataSet->First();
    while (!FDataSet->Eof()) {
      for (auto& [s, f] : items) {
        switch (s->FGroupOperation) {
          case goSum:
            if (!f->IsNull()) s->FAggregateValue += FieldMoney(f);
            break;
          case goAvg:
            if (!f->IsNull()) ++s->FNonNullCount;
            s->FRunningTotal += FieldMoney(f);
            break;
          case goCount:
            if (!f || !f->IsNull()) s->FAggregateValue += Currency(1);
            break;
        }
      }
      if (keepBookmarks) FVirtualRecordList->Add(FDataSet->GetBookmark());
      FDataSet->Next();
    }
    FDataSet->First();
    for (auto& [s, f] : items)
      if (s->FGroupOperation == goAvg) s->FAggregateValue = Average(s->FRunningTotal, s->FNonNullCount);
  }
  if (OnAfterRecalcAll) OnAfterRecalcAll(this);
  FSavedFiltered = FDataSet->Filtered();
  FSavedFilter = FDataSet->Filter();
  FRecalculating = false;
  DoSumListChanged();
}
