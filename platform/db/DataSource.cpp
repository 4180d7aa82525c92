// TDataSource and TDataLink: how datasets notify the controls bound to them.
#include <algorithm>
#include "DB.h"
#include "SysUtils.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TDataSource, TComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDataLink, TObject)
TOVANI_IMPLEMENT_CLASS_FACTORY(TFieldDataLink, TDataLink)

// ---------------------------------------------------------------------------
// TDataSource

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  OnStateChange = nullptr;
  OnDataChange = nullptr;
  OnUpdateData = nullptr;
  // Links forget this source; the dataset forgets it too.
  while (!FDataLinks.empty()) FDataLinks.back()->SetDataSource(nullptr);
  if (FDataSet) FDataSet->RemoveDataSource(this);
}

void TDataSource::SetDataSet(TDataSet* ds) {
  if (ds == FDataSet) return;
  if (ds && ds->IsLinkedTo(this)) DatabaseError("Circular datalinks are not allowed", ds);
  if (FDataSet) FDataSet->RemoveDataSource(this);
  FDataSet = ds;
  if (ds) ds->AddDataSource(this);
  UpdateState();
}

void TDataSource::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  UpdateState();
}

void TDataSource::Edit() {
  if (FAutoEdit && FState == dsBrowse) FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* ds) const {
  // Whether the dataset is (through masters) bound to this source.
  TDataSet* d = ds;
  int guard = 0;
  while (d && guard++ < 64) {
    TDataSource* m = d->GetDataSource();
    if (!m) return false;
    if (m == this) return true;
    d = m->DataSet();
  }
  return false;
}

void TDataSource::AddDataLink(TDataLink* link) {
  FDataLinks.push_back(link);
  link->FDataSource = this;
  if (FDataSet) FDataSet->UpdateBufferCount();
  link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* link) {
  auto it = std::find(FDataLinks.begin(), FDataLinks.end(), link);
  if (it != FDataLinks.end()) FDataLinks.erase(it);
  link->FDataSource = nullptr;
  link->UpdateState();
  if (FDataSet) FDataSet->UpdateBufferCount();
}

void TDataSource::UpdateState() {
  TDataSetState s = (FEnabled && FDataSet) ? FDataSet->State() : dsInactive;
  if (s == FState) return;
  FState = s;
  NotifyDataLinks(deUpdateState, 0);
  if (OnStateChange) OnStateChange(this);
}

void TDataSource::NotifyDataLinks(TDataEvent event, NativeInt info, bool nonVisualOnly) {
  // Links added or removed by a handler are honoured: work on a copy and
  // skip links that are gone.
  std::vector<TDataLink*> links = FDataLinks;
  for (auto it = links.rbegin(); it != links.rend(); ++it) {
    TDataLink* l = *it;
    if (std::find(FDataLinks.begin(), FDataLinks.end(), l) == FDataLinks.end()) continue;
    if (nonVisualOnly && l->VisualControl()) continue;
    if (event == deUpdateRecord) l->UpdateRecord();
    else l->DataEvent(event, info);
  }
}

void TDataSource::DataEvent(TDataEvent event, NativeInt info, bool controlsDisabled) {
  if (controlsDisabled) {
    // Only the links that are no controls; the source's own state and
    // events catch up when the controls are enabled again.
    if (event == deUpdateState) {
      TDataSetState s = (FEnabled && FDataSet) ? FDataSet->State() : dsInactive;
      std::vector<TDataLink*> links = FDataLinks;
      for (TDataLink* l : links)
        if (!l->VisualControl() && std::find(FDataLinks.begin(), FDataLinks.end(), l) != FDataLinks.end()) {
          l->SetActive(s != dsInactive);
          l->SetEditing(IsEditMode(s) && !l->ReadOnly());
        }
      return;
    }
    if (FState == dsInactive) return;
    NotifyDataLinks(event, info, true);
    return;
  }
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (FState == dsInactive) return;
  NotifyDataLinks(event, info);
  switch (event) {
    case deFieldChange:
      if (OnDataChange) OnDataChange(this, reinterpret_cast<TField*>(info));
      break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (OnDataChange) OnDataChange(this, nullptr);
      break;
    case deUpdateRecord:
      if (OnUpdateData) OnUpdateData(this);
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------
// TDataLink

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
  if (FDataSource) {
    auto& links = FDataSource->FDataLinks;
    auto it = std::find(links.begin(), links.end(), this);
    if (it != links.end()) links.erase(it);
    if (FDataSource->FDataSet) FDataSource->FDataSet->UpdateBufferCount();
    FDataSource = nullptr;
  }
}

void TDataLink::SetDataSource(TDataSource* ds) {
  if (ds == FDataSource) return;
  if (FDataSourceFixed) DatabaseError("Operation not allowed in a DBCtrlGrid");
  if (FDataSource) FDataSource->RemoveDataLink(this);
  if (ds) ds->AddDataLink(this);
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool v) {
  if (v == FReadOnly) return;
  FReadOnly = v;
  UpdateState();
}

void TDataLink::UpdateState() {
  SetActive(FDataSource && FDataSource->State() != dsInactive);
  SetEditing(FDataSource && IsEditMode(FDataSource->State()) && !FReadOnly);
}

void TDataLink::SetActive(bool v) {
  if (v == FActive) return;
  FActive = v;
  if (v) UpdateRange();
  else FFirstRecord = 0;
  ActiveChanged();
}

void TDataLink::SetEditing(bool v) {
  if (v == FEditing) return;
  FEditing = v;
  EditingChanged();
}

// Keeps the link's window inside the dataset's buffers and around the
// dataset's active record.
void TDataLink::UpdateRange() {
  TDataSet* ds = DataSet();
  if (!ds) return;
  Integer lo = ds->FActiveRecord - FBufferCount + 1;
  if (lo < 0) lo = 0;
  Integer hi = ds->FBufferCount - FBufferCount;
  if (hi < 0) hi = 0;
  if (hi > ds->FActiveRecord) hi = ds->FActiveRecord;
  if (FFirstRecord < lo) FFirstRecord = lo;
  if (FFirstRecord > hi) FFirstRecord = hi;
}

Integer TDataLink::ActiveRecord() const {
  TDataSet* ds = DataSet();
  if (!ds || !FActive || ds->State() == dsSetKey) return 0;
  return ds->FActiveRecord - FFirstRecord;
}

void TDataLink::SetActiveRecord(Integer v) {
  TDataSet* ds = DataSet();
  if (ds && ds->State() != dsSetKey) ds->FActiveRecord = v + FFirstRecord;
}

void TDataLink::SetBufferCount(Integer v) {
  if (v < 1) v = 1;
  if (v == FBufferCount) return;
  FBufferCount = v;
  if (TDataSet* ds = DataSet()) {
    ds->UpdateBufferCount();
    if (FActive) UpdateRange();
  }
}

Integer TDataLink::RecordCount() const {
  TDataSet* ds = DataSet();
  if (!ds || !FActive) return 0;
  if (ds->State() == dsSetKey) return 1;
  Integer n = ds->FRecordCount - FFirstRecord;
  if (n > FBufferCount) n = FBufferCount;
  return n < 0 ? 0 : n;
}

bool TDataLink::Bof() const { TDataSet* ds = DataSet(); return ds ? ds->Bof() : true; }
bool TDataLink::Eof() const { TDataSet* ds = DataSet(); return ds ? ds->Eof() : true; }

bool TDataLink::Edit() {
  if (!FReadOnly && FDataSource) FDataSource->Edit();
  return FEditing;
}

void TDataLink::UpdateRecord() {
  FUpdating = true;
  try {
    UpdateData();
  } catch (...) {
    FUpdating = false;
    throw;
  }
  FUpdating = false;
}

Integer TDataLink::MoveBy(Integer distance) {
  TDataSet* ds = DataSet();
  return ds ? ds->MoveBy(distance) : 0;
}

void TDataLink::DataEvent(TDataEvent event, NativeInt info) {
  if (event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!FActive) return;
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!FUpdating) RecordChanged(reinterpret_cast<TField*>(info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
      Integer count = 0;
      TDataSet* ds = DataSet();
      if (ds && ds->State() != dsSetKey) {
        Integer active = ds->FActiveRecord;
        Integer first = FFirstRecord + Integer(event == deDataSetScroll ? info : 0);
        Integer last = first + FBufferCount - 1;
        if (active > last) count = active - last;
        else if (active < first) count = active - first;
        FFirstRecord = first + count;
        if (FFirstRecord < 0) FFirstRecord = 0;
      }
      if (event == deDataSetChange) DataSetChanged();
      else if (event == deDataSetScroll) DataSetScrolled(count);
      else LayoutChanged();
      break;
    }
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case deFocusControl:
      FocusControl(reinterpret_cast<TField**>(info));
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------
// TFieldDataLink

void TFieldDataLink::SetFieldName(const String& v) {
  if (v == FFieldName) return;
  FFieldName = v;
  UpdateField();
}

TField* GetFieldProperty(TDataSet* dataSet, TComponent* control, const String& fieldName) {
  TField* f = dataSet->FindField(fieldName);
  if (!f) {
    String msg = Format("Field '%s' not found", {fieldName});
    if (control && !control->Name().empty()) msg = control->Name() + ": " + msg;
    throw EDatabaseError(msg);
  }
  return f;
}

void TFieldDataLink::UpdateField() {
  TField* f = nullptr;
  if (Active() && !FFieldName.empty()) f = GetFieldProperty(DataSet(), FControl, FFieldName);
  FField = f;
  FModified = false;
  if (OnDataChange) OnDataChange(this);
}

bool TFieldDataLink::CanModify() const {
  return !ReadOnly() && FField && FField->CanModify();
}

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

void TFieldDataLink::ActiveChanged() {
  FField = nullptr;
  UpdateField();
  if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::DataEvent(TDataEvent event, NativeInt info) {
  // A field freed while the dataset is open is let go at once.
  if (event == deFieldListChange && FField && DataSet() && DataSet()->Fields().IndexOf(FField) < 0) {
    FField = nullptr;
    if (OnDataChange) OnDataChange(this);
  }
  TDataLink::DataEvent(event, info);
}

void TFieldDataLink::EditingChanged() {
  if (OnEditingChange) OnEditingChange(this);
}

void TFieldDataLink::FocusControl(TField** field) {
  if (field && *field && *field == FField) {
    *field = nullptr;   // the request is taken
  }
}

void TFieldDataLink::RecordChanged(TField* field) {
  if (field == nullptr || field == FField) {
    FModified = false;
    if (OnDataChange) OnDataChange(this);
  }
}

void TFieldDataLink::UpdateData() {
  if (FModified) {
    if (FField && OnUpdateData) OnUpdateData(this);
    FModified = false;
  }
}
