// The lookup grid and its drop-down form.
#include "DBLookupGridsEh.h"

#include <algorithm>
#include <climits>

#include "DBUtil.h"
#include "Forms.h"
#include "SysUtils.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_ENUM_INFO(TDBLookupGridEhOption, "dlgColumnResizeEh", "dlgColLinesEh", "dlgRowLinesEh",
                           "dlgAutoSortMarkingEh", "dlgMultiSortMarkingEh")
TOVANI_IMPLEMENT_CLASS_FACTORY(TDBLookupGridEh, TCustomDBGridEh)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDBLookupGridColumnEh, TDBGridColumnEh)
TOVANI_IMPLEMENT_CLASS(TPopupDataGridEh, TDBLookupGridEh)
TOVANI_IMPLEMENT_CLASS(TGridColumnSpecCellEh, TPersistent)
TOVANI_IMPLEMENT_CLASS(TDBLookupGridColumnDefValuesEh, TColumnDefValuesEh)
TOVANI_IMPLEMENT_CLASS(TLookupGridDataLinkEh, TDataLink)

// What form files set of the lookup grid, its columns and their special
// cells.
TOVANI_PUBLISHED(TGridColumnSpecCellEh) {
  using C = TGridColumnSpecCellEh;
  Property<String>("Text", [](C* c) { return c->Text(); }, [](C* c, const String& v) { c->SetText(v); })
      .Stored([](TObject* o) { return static_cast<C*>(o)->TextAssigned(); });
  Property<TColor>("Color", [](C* c) { return c->Color(); }, [](C* c, TColor v) { c->SetColor(v); })
      .Stored([](TObject* o) { return static_cast<C*>(o)->ColorAssigned(); });
  Property<TFont*>("Font", [](C* c) { return c->Font(); }, [](C* c, TFont* v) { c->SetFont(v); })
      .Stored([](TObject* o) { return static_cast<C*>(o)->FontAssigned(); });
}

TOVANI_PUBLISHED(TDBLookupGridColumnEh) {
  using C = TDBLookupGridColumnEh;
  Property<TGridColumnSpecCellEh*>("SpecCell", [](C* c) { return c->SpecCell(); },
                                   [](C* c, TGridColumnSpecCellEh* v) { c->SetSpecCell(v); });
}

TOVANI_PUBLISHED(TDBLookupGridColumnDefValuesEh) {
  using C = TColumnDefValuesEh;
  Property("EndEllipsis", &C::EndEllipsis, &C::SetEndEllipsis).Default(false);
  Property("Title", &C::Title, &C::SetTitle);
  Property("ToolTips", &C::ToolTips, &C::SetToolTips).Default(false);
}

TOVANI_PUBLISHED(TDBLookupGridEh) {
  using C = TDBLookupGridEh;
  Property<bool>("AutoFitColWidths", [](C* c) { return c->AutoFitColWidths(); },
                 [](C* c, bool v) { c->SetAutoFitColWidths(v); })
      .Default(false);
  Property<TColor>("Color", [](C* c) { return c->Color(); }, [](C* c, TColor v) { c->SetColor(v); })
      .Default(clWindow);
  Property<TColumnDefValuesEh*>("ColumnDefValues", [](C* c) { return c->ColumnDefValues(); },
                                [](C* c, TColumnDefValuesEh* v) { c->SetColumnDefValues(v); });
  Property<TDBGridColumnsEh*>("Columns", [](C* c) { return c->Columns(); },
                              [](C* c, TDBGridColumnsEh* v) { c->SetColumns(v); })
      .Stored([](TObject* o) { return static_cast<C*>(o)->Columns()->IsCustomized(); });
  Property<String>("DataField", [](C* c) { return c->DataField(); },
                   [](C* c, const String& v) { c->SetDataField(v); });
  Property<TDataSource*>("DataSource", [](C* c) { return c->DataSource(); },
                         [](C* c, TDataSource* v) { c->SetDataSource(v); });
  Property<bool>("Flat", [](C* c) { return c->Flat(); }, [](C* c, bool v) { c->SetFlat(v); }).Default(true);
  Property<TFont*>("Font", [](C* c) { return c->Font(); }, [](C* c, TFont* v) { c->Font()->Assign(v); });
  Property<String>("KeyField", [](C* c) { return c->KeyField(); }, [](C* c, const String& v) { c->SetKeyField(v); })
      .Stored([](TObject* o) { return !static_cast<C*>(o)->LookupMode(); });
  Property<String>("ListField", [](C* c) { return c->ListField(); },
                   [](C* c, const String& v) { c->SetListField(v); });
  Property<Integer>("ListFieldIndex", [](C* c) { return c->ListFieldIndex(); },
                    [](C* c, Integer v) { c->SetListFieldIndex(v); })
      .Default(0);
  Property<TDataSource*>("ListSource", [](C* c) { return c->ListSource(); },
                         [](C* c, TDataSource* v) { c->SetListSource(v); })
      .Stored([](TObject* o) { return !static_cast<C*>(o)->LookupMode(); });
  Property<TDBLookupGridEhOptions>("Options", [](C* c) { return c->LookupOptions(); },
                                   [](C* c, TDBLookupGridEhOptions v) { c->SetLookupOptions(v); })
      .Default(TDBLookupGridEhOptions{dlgColLinesEh});
  Property<bool>("ReadOnly", [](C* c) { return c->ListReadOnly(); }, [](C* c, bool v) { c->SetListReadOnly(v); })
      .Default(false);
  Property<Integer>("RowCount", [](C* c) { return c->RowCount(); }, [](C* c, Integer v) { c->SetRowCount(v); })
      .Default(7);
  Property<bool>("ShowTitles", [](C* c) { return c->ShowTitles(); }, [](C* c, bool v) { c->SetShowTitles(v); })
      .Default(false);
  Property<TSpecRowEh*>("SpecRow", [](C* c) { return c->SpecRow(); }, [](C* c, TSpecRowEh* v) { c->SetSpecRow(v); });
  Property<TFont*>("TitleFont", [](C* c) { return c->TitleFont(); }, [](C* c, TFont* v) { c->SetTitleFont(v); });
  Property<bool>("UseMultiTitle", [](C* c) { return c->UseMultiTitle(); },
                 [](C* c, bool v) {
                   c->SetUseMultiTitle(v);
                   c->SetRowCount(c->RowCount());
                 })
      .Default(false);
}

const char* const SCircularDataLinkEh = "Circular datalinks are not allowed";
const char* const SPropDefByLookupEh = "Property already defined by lookup field";
const char* const SOperationNotAllowedEh = "Operation not allowed in a DBCtrlGrid";

std::function<DWORD()> TDBLookupGridEh::SearchTickSource = [] { return GetTickCount(); };

namespace {

// One tick count shared by all lookup grids: a pause of more than two
// seconds between keys starts a new search text.
DWORD GLastSearchTick = 0;
constexpr DWORD SearchPauseMs = 2000;
constexpr size_t SearchTextCap = 32;

}   // namespace

bool KeyValueFitsKeyFieldsEh(const TFieldsArrEh& KeyFields, const Variant& Value) {
  if (KeyFields.size() < 2) return !Value.IsArray();
  return Value.IsArray() && Value.DimCount() == 1 && Value.ElementCount() == Integer(KeyFields.size());
}

// ---------------------------------------------------------------------------
// Construction and properties

TDBGridColumnsEh* TDBLookupGridEh::CreateColumns() {
  return new TDBGridColumnsEh(this, TDBLookupGridColumnEh::StaticClass());
}

// ---------------------------------------------------------------------------
// Special cells

TGridColumnSpecCellEh::TGridColumnSpecCellEh(TDBLookupGridColumnEh* AOwner)
    : FOwner(AOwner), FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this](TObject*) {
    if (!FCopyingFont) FFontAssigned = true;
  };
}

TGridColumnSpecCellEh::~TGridColumnSpecCellEh() { FFont->OnChange = nullptr; }

TPersistent* TGridColumnSpecCellEh::GetOwner() { return FOwner; }

TSpecRowEh* TGridColumnSpecCellEh::GridSpecRow() const {
  TDBLookupGridEh* g = FOwner ? FOwner->LookupGrid() : nullptr;
  return g ? g->SpecRow() : nullptr;
}

String TGridColumnSpecCellEh::Text() const {
  if (FTextAssigned) return FText;
  TSpecRowEh* spec = GridSpecRow();
  return spec && FOwner ? spec->CellTextAt(FOwner->Index()) : String();
}

void TGridColumnSpecCellEh::SetText(const String& v) {
  if (FTextAssigned && v == FText) return;
  FText = v;
  FTextAssigned = true;
  if (TDBLookupGridEh* g = FOwner ? FOwner->LookupGrid() : nullptr) g->Invalidate();
}

TColor TGridColumnSpecCellEh::Color() const {
  if (FColorAssigned) return FColor;
  TSpecRowEh* spec = GridSpecRow();
  return spec ? spec->Color() : clWindow;
}

void TGridColumnSpecCellEh::SetColor(TColor v) {
  if (FColorAssigned && v == FColor) return;
  FColor = v;
  FColorAssigned = true;
  if (TDBLookupGridEh* g = FOwner ? FOwner->LookupGrid() : nullptr) g->Invalidate();
}

TFont* TGridColumnSpecCellEh::Font() {
  if (!FFontAssigned)
    if (TSpecRowEh* spec = GridSpecRow(); spec && !spec->Font()->Equals(*FFont)) {
      // Follows the special row's font without counting as set.
      FCopyingFont = true;
      FFont->Assign(spec->Font());
      FCopyingFont = false;
    }
  return FFont.get();
}

void TGridColumnSpecCellEh::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TGridColumnSpecCellEh*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  SetText(src->Text());
  SetColor(src->Color());
  if (src->FontAssigned()) SetFont(src->Font());
}

TDBLookupGridColumnEh::TDBLookupGridColumnEh(TCollection* ACollection)
    : TDBGridColumnEh(ACollection), FSpecCell(std::make_unique<TGridColumnSpecCellEh>(this)) {}

TDBLookupGridColumnEh::~TDBLookupGridColumnEh() = default;

TDBLookupGridEh* TDBLookupGridColumnEh::LookupGrid() const { return dynamic_cast<TDBLookupGridEh*>(Grid()); }

void TDBLookupGridColumnEh::Assign(TPersistent* Source) {
  TDBGridColumnEh::Assign(Source);
  if (auto* src = dynamic_cast<TDBLookupGridColumnEh*>(Source)) FSpecCell->Assign(src->SpecCell());
}

// The list's fields belong to the list dataset: sizing or moving a default
// column of the list changes the column alone, never its field.
void TDBLookupGridColumnEh::SetWidth(Integer Value) {
  AsPersistent([&] { TDBGridColumnEh::SetWidth(Value); });
}

void TDBLookupGridColumnEh::SetIndex(Integer Value) {
  auto* g = dynamic_cast<TDBLookupGridEh*>(Grid());
  const Integer old = Index();
  if (!g || Value == old || !g->ListActive() || Value < 0 || Value >= Collection()->Count()) {
    AsPersistent([&] { TDBGridColumnEh::SetIndex(Value); });
    return;
  }
  // The special row's texts follow their columns.
  TSpecRowEh* spec = g->SpecRow();
  if (!spec->CellsText().empty()) {
    std::vector<String> cells;
    for (Integer i = 0; i < Collection()->Count(); ++i) cells.push_back(spec->CellTextAt(i));
    String moved = cells[size_t(old)];
    cells.erase(cells.begin() + old);
    cells.insert(cells.begin() + Value, moved);
    String joined;
    for (size_t i = 0; i < cells.size(); ++i) joined += (i ? ";" : "") + cells[i];
    spec->SetCellsText(joined);
  }
  if (Stored()) {
    TDBGridColumnEh::SetIndex(Value);
    return;
  }
  // A default column: the list fields take the new order, the list field
  // index keeps pointing at the same column.
  Integer lfi = g->ListFieldIndex();
  if (lfi == old) {
    lfi = Value;
  } else {
    if (old < lfi) --lfi;
    if (lfi >= Value) ++lfi;
  }
  TDBGridColumnsEh* cols = g->Columns();
  cols->BeginUpdate();
  try {
    AsPersistent([&] { TDBGridColumnEh::SetIndex(Value); });
    String names;
    for (Integer i = 0; i < cols->Count(); ++i) names += (i ? ";" : "") + cols->Item(i)->FieldName();
    g->SetListFieldIndex(lfi);
    g->SetListField(names);
  } catch (...) {
    cols->EndUpdate();
    throw;
  }
  cols->EndUpdate();
}

// ---------------------------------------------------------------------------
// The master link

void TLookupGridDataLinkEh::ActiveChanged() {
  if (FGrid) FGrid->DataLinkChanged();
}

void TLookupGridDataLinkEh::LayoutChanged() {
  if (FGrid) FGrid->DataLinkChanged();
}

void TLookupGridDataLinkEh::RecordChanged(TField* Field) {
  if (FGrid) FGrid->MasterRecordChanged(Field);
}

void TLookupGridDataLinkEh::FocusControl(TField** Field) {
  if (!FGrid || !Field || !*Field) return;
  TDataSet* ds = DataSet();
  if (ds && !FGrid->DataField().empty() && ds->FindField(FGrid->DataField()) == *Field && FGrid->CanFocus()) {
    *Field = nullptr;
    FGrid->SetFocus();
  }
}

TDBLookupGridEh::TDBLookupGridEh(TComponent* AOwner) : TCustomDBGridEh(AOwner) {
  RecreateColumns();
  RecreateColumnDefValues();
  FMasterLink = std::make_unique<TLookupGridDataLinkEh>(this);
  FLookupSource = std::make_unique<TDataSource>();
  SetControlStyle(ControlStyle() + csReplicatable);
  SetParentColor(false);
  FSpecRow = std::make_unique<TSpecRowEh>(this);
  FSpecRow->OnChanged = [this](TObject*) { SpecRowChanged(); };
  SetOptions({dgColLines, dgRowSelect});
  SetOptionsEh(OptionsEh() + dghTraceColSizing);
  SetFlat(true);
  SetDrawMemoText(true);
  SetTabStop(false);
  SetVTitleMargin(5);
}

TDBLookupGridEh::~TDBLookupGridEh() {
  FSpecRow->OnChanged = nullptr;
  FMasterLink->ClearGrid();
  FMasterLink->SetDataSource(nullptr);
  // The list may still be fed by the lookup source: unhook it first.
  if (TCustomDBGridEh::DataSource() == FLookupSource.get()) TCustomDBGridEh::SetDataSource(nullptr);
}

TColumnDefValuesEh* TDBLookupGridEh::CreateColumnDefValues() { return new TDBLookupGridColumnDefValuesEh(this); }

void TDBLookupGridEh::SetDataSource(TDataSource* v) {
  if (v == FMasterLink->DataSource()) return;
  if (!(ComponentState().Contains(csLoading) && FMasterLink->DataSourceFixed())) FMasterLink->SetDataSource(v);
  if (v) v->FreeNotification(this);
}

void TDBLookupGridEh::SetDataField(const String& v) {
  if (v == FDataField) return;
  FDataField = v;
  DataLinkChanged();
}

void TDBLookupGridEh::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomDBGridEh::Notification(AComponent, Operation);
  if (Operation == opRemove && FMasterLink && AComponent == FMasterLink->DataSource()) SetDataSource(nullptr);
}

void TDBLookupGridEh::CheckNotCircular() {
  TDataSet* list = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
  if (list && FMasterLink->DataSource() && list->IsLinkedTo(FMasterLink->DataSource()))
    DatabaseError(SCircularDataLinkEh);
}

void TDBLookupGridEh::DataLinkChanged() {
  FMasterFieldNames.clear();
  FDataFields.clear();
  FMasterFields.clear();
  TDataSet* master = FMasterLink->Active() ? FMasterLink->DataSet() : nullptr;
  if (master && !FDataField.empty()) {
    CheckNotCircular();
    GetFieldsArrayEh(master, this, FDataField, FDataFields);
  }
  TField* lookupField =
      FDataFields.size() == 1 && FDataFields[0]->FieldKind() == fkLookup ? FDataFields[0] : nullptr;
  if (lookupField) {
    // The lookup field names the list, its key and the master's key fields.
    GetFieldsArrayEh(master, this, lookupField->KeyFields(), FMasterFields);
    FLookupMode = true;
    FLookupSource->SetDataSet(lookupField->LookupDataSet());
    FKeyField = lookupField->LookupKeyFields();
    if (TCustomDBGridEh::DataSource() != FLookupSource.get()) TCustomDBGridEh::SetDataSource(FLookupSource.get());
    UpdateListFields();
  } else {
    if (FLookupMode) {
      FLookupMode = false;
      TCustomDBGridEh::SetDataSource(nullptr);
      FKeyField.clear();
      FLookupSource->SetDataSet(nullptr);
      UpdateListFields();
    }
    FMasterFields = FDataFields;
  }
  for (size_t i = 0; i < FMasterFields.size(); ++i)
    FMasterFieldNames += (i ? ";" : "") + FMasterFields[i]->FieldName();
  MasterRecordChanged(nullptr);
}

void TDBLookupGridEh::MasterRecordChanged(TField* Field) {
  if (Field && std::find(FMasterFields.begin(), FMasterFields.end(), Field) == FMasterFields.end()) return;
  if (FMasterFields.empty()) {
    // Unbound: the key is whatever was chosen last; only a bound grid
    // takes it from the master record.
    if (!FMasterLink->DataSource()) return;
    SetKeyValue(Variant::Null());
  } else {
    SetKeyValue(FMasterLink->DataSet()->FieldValues(FMasterFieldNames));
  }
}

void TDBLookupGridEh::SetListSource(TDataSource* v) {
  if (FLookupMode) DatabaseError(SPropDefByLookupEh);
  if (FMasterLink->DataSourceFixed()) DatabaseError(SOperationNotAllowedEh);
  if (v == ListSource()) return;
  TCustomDBGridEh::SetDataSource(v);
  UpdateListFields();
}

void TDBLookupGridEh::SetKeyField(const String& v) {
  if (FLookupMode) DatabaseError(SPropDefByLookupEh);
  if (FMasterLink->DataSourceFixed()) DatabaseError(SOperationNotAllowedEh);
  if (v == FKeyField) return;
  FKeyField = v;
  UpdateListFields();
}

void TDBLookupGridEh::SetListField(const String& v) {
  if (v == FListField) return;
  FListField = v;
  UpdateListFields();
}

void TDBLookupGridEh::SetListFieldIndex(Integer v) {
  if (v == FListFieldIndex) return;
  FListFieldIndex = v;
  UpdateListFields();
}

void TDBLookupGridEh::SetKeyValue(const Variant& v) {
  if (VariantsEqualEh(FKeyValue, v)) return;
  FKeyValue = v;
  KeyValueChanged();
}

Integer TDBLookupGridEh::GetDataRowHeight() const {
  return DefaultRowHeight() + (Options().Contains(dgRowLines) ? GridLineWidth() : 0);
}

Integer TDBLookupGridEh::GetSpecRowHeight() const { return FSpecRow->Visible() ? GetDataRowHeight() : 0; }

Integer TDBLookupGridEh::GetBorderHeight() const {
  auto* self = const_cast<TDBLookupGridEh*>(this);
  return self->HandleAllocated() ? self->Height() - self->ClientHeight() : 0;
}

Integer TDBLookupGridEh::TitleAreaHeight() const {
  auto* self = const_cast<TDBLookupGridEh*>(this);
  return Options().Contains(dgTitles) && self->TCustomGridEh::RowCount() > 0 ? RowHeights(0) : 0;
}

void TDBLookupGridEh::ApplyHeight() {
  Integer lines = Options().Contains(dgRowLines) ? GridLineWidth() : 0;
  Integer h = TitleAreaHeight() + lines + FRowCount * GetDataRowHeight() + GetBorderHeight() + GetSpecRowHeight();
  if (h != Height()) TCustomDBGridEh::SetBounds(Left(), Top(), Width(), h);
}

void TDBLookupGridEh::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (FInResize) {
    TCustomDBGridEh::SetBounds(ALeft, ATop, AWidth, AHeight);
    return;
  }
  FInResize = true;
  try {
    Integer rowH = std::max<Integer>(1, GetDataRowHeight());
    Integer fixed = GetBorderHeight() + TitleAreaHeight() + GetSpecRowHeight();
    FRowCount = std::clamp<Integer>((AHeight - fixed) / rowH, 1, 100);
    Integer lines = Options().Contains(dgRowLines) ? GridLineWidth() : 0;
    TCustomDBGridEh::SetBounds(ALeft, ATop, AWidth, fixed + rowH * FRowCount + lines);
  } catch (...) {
    FInResize = false;
    throw;
  }
  FInResize = false;
}

void TDBLookupGridEh::SetRowCount(Integer v) {
  FRowCount = std::clamp<Integer>(v, 1, 100);
  ApplyHeight();
}

void TDBLookupGridEh::SetShowTitles(bool v) {
  TDBGridOptions o = Options();
  if (v) o += dgTitles;
  else o -= dgTitles;
  SetOptions(o);
  ApplyHeight();
}

void TDBLookupGridEh::SetAutoFitColWidths(bool v) {
  if (v == FAutoFitColWidths) return;
  FAutoFitColWidths = v;
  HorzScrollBar()->SetVisible(!v);
  ApplyHeight();
}

void TDBLookupGridEh::SetLookupOptions(TDBLookupGridEhOptions v) {
  FLookupOptions = v;
  TDBGridOptions o = Options() - dgColumnResize - dgColLines - dgRowLines;
  if (v.Contains(dlgColumnResizeEh)) o += dgColumnResize;
  if (v.Contains(dlgColLinesEh)) o += dgColLines;
  if (v.Contains(dlgRowLinesEh)) o += dgRowLines;
  SetOptions(o);
  TDBGridEhOptions e = OptionsEh() - dghAutoSortMarking - dghMultiSortMarking;
  if (v.Contains(dlgAutoSortMarkingEh)) e += dghAutoSortMarking;
  if (v.Contains(dlgMultiSortMarkingEh)) e += dghMultiSortMarking;
  SetOptionsEh(e);
}

Integer TDBLookupGridEh::GetColumnsWidth() {
  Integer w = 0;
  for (Integer i = 0; i < Columns()->Count(); ++i) {
    TColumnEh* c = Columns()->Item(i);
    if (c->Visible()) w += c->Width();
    if (Options().Contains(dgColLines)) w += GridLineWidth();
  }
  return w;
}

TRect TDBLookupGridEh::GetDataRowsRect() {
  Integer top = Options().Contains(dgTitles) ? RowHeights(0) + (Options().Contains(dgRowLines) ? GridLineWidth() : 0) : 0;
  return TRect(0, top, ClientWidth(), ClientHeight());
}

void TDBLookupGridEh::CreateWnd() {
  TCustomDBGridEh::CreateWnd();
  SetRowCount(FRowCount);
}

// ---------------------------------------------------------------------------
// The list side

bool TDBLookupGridEh::CanModify() {
  if (!FListActive || FMasterLink->ReadOnly()) return false;
  if (!FMasterLink->DataSource()) return true;
  if (FMasterFields.empty()) return false;
  for (TField* f : FMasterFields)
    if (!f->CanModify()) return false;
  return true;
}

bool TDBLookupGridEh::IsKeyValueAcceptable(const TFieldsArrEh& KeyFields, const Variant& Value) {
  return KeyValueFitsKeyFieldsEh(KeyFields, Value);
}

void TDBLookupGridEh::UpdateListFields() {
  if (FInUpdateListFields) return;
  FInUpdateListFields = true;
  FListActive = false;
  FListFieldObj = nullptr;
  FListFields.clear();
  FKeyFields.clear();
  auto finish = [this] {
    FInUpdateListFields = false;
    if (FListActive) KeyValueChanged();
    else Invalidate();
  };
  try {
    TDataSet* ds = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    if (ds && !FKeyField.empty()) {
      CheckNotCircular();
      GetFieldsArrayEh(ds, this, FKeyField, FKeyFields);
      CollectFieldsEh(&FListFields, ds, this, FListField);
      if (FLookupMode) {
        // The lookup field's result field is the list field, first in the list.
        FListFieldObj = ds->FieldByName(FDataFields[0]->LookupResultField());
        if (std::find(FListFields.begin(), FListFields.end(), FListFieldObj) == FListFields.end())
          FListFields.insert(FListFields.begin(), FListFieldObj);
      } else {
        if (FListFields.empty()) FListFields.assign(FKeyFields.begin(), FKeyFields.end());
        if (!FListFields.empty())
          FListFieldObj = FListFieldIndex >= 0 && FListFieldIndex < Integer(FListFields.size())
                              ? FListFields[size_t(FListFieldIndex)]
                              : FListFields[0];
      }
      FListActive = true;
    }
    LayoutChanged();
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TDBLookupGridEh::RebuildFieldMap() {
  if (Columns()->IsCustomized() || FListFields.empty()) {
    TCustomDBGridEh::RebuildFieldMap();
    return;
  }
  // Without persistent columns the columns are the list fields.
  DataLink()->SetSparseMap(false);
  for (TField* f : FListFields) DataLink()->AddFieldMapping(f->FieldName());
}

void TDBLookupGridEh::DataLinkActiveChanged(bool Active) {
  TCustomDBGridEh::DataLinkActiveChanged(Active);
  UpdateListFields();
}

void TDBLookupGridEh::DataChanged() { TCustomDBGridEh::DataChanged(); }

bool TDBLookupGridEh::LocateKey() {
  TDataSet* ds = DataLink()->DataSet();
  if (FKeyValue.IsNull() || !ds || !ds->Active() || !IsKeyValueAcceptable(FKeyFields, FKeyValue)) return false;
  try {
    Variant key = FKeyValue;
    bool found = ds->Locate(FKeyField, FKeyValue, {});
    FKeyValue = key;
    return found;
  } catch (const Exception&) {
    return false;
  }
}

bool TDBLookupGridEh::ListAtBeginning() {
  TDataSet* ds = DataLink()->DataSet();
  return !ds || ds->Bof() || ds->RecNo() <= 1;
}

void TDBLookupGridEh::KeyValueChanged() {
  if (FSpecRow->Visible()) {
    FSpecRow->SetSelected(FSpecRow->MatchesKeyValue(FKeyValue));
    if (!FSpecRow->Selected() && !FLockPosition && FSpecRow->ShowIfNotInKeyList() && FListActive && !LocateKey())
      FSpecRow->SetSelected(true);
  } else {
    FSpecRow->SetSelected(false);
  }
  if (FListActive && !FLockPosition) {
    if (!LocateKey() && !FSpecRow->Selected())
      if (TDataSet* ds = DataLink()->DataSet()) ds->First();
  }
  if (FSpecRow->Visible() && FSpecRow->Selected()) FText = FSpecRow->CellTextAt(FListFieldIndex);
  else if (FListFieldObj && FListActive && LocateKey()) FText = FListFieldObj->DisplayText();
  else FText.clear();
  Invalidate();
  if (OnKeyValueChangedInternal) OnKeyValueChangedInternal(this);
}

void TDBLookupGridEh::SelectKeyValue(const Variant& Value) {
  // A bound grid writes the key into the master record; the record's change
  // then brings the key back.
  if (FMasterFields.empty()) SetKeyValue(Value);
  else if (FMasterLink->Edit()) FMasterLink->DataSet()->SetFieldValues(FMasterFieldNames, Value);
  Invalidate();
  Click();
}

void TDBLookupGridEh::SpecRowChanged() {
  if (ComponentState().Contains(csLoading)) return;
  LayoutChanged();
  ApplyHeight();
  Invalidate();
}

void TDBLookupGridEh::SelectCurrent() {
  TDataSet* ds = DataLink()->DataSet();
  if (!ds || !ds->Active() || ds->IsEmpty()) return;
  FLockPosition = true;
  try {
    Variant key = ds->FieldValues(FKeyField);
    if (!VariantsEqualEh(key, FKeyValue)) SelectKeyValue(key);
  } catch (...) {
    FLockPosition = false;
    throw;
  }
  FLockPosition = false;
}

void TDBLookupGridEh::SelectSpecRow() {
  FLockPosition = true;
  try {
    if (!VariantsEqualEh(FSpecRow->Value(), FKeyValue)) SelectKeyValue(FSpecRow->Value());
    FSpecRow->SetSelected(true);
  } catch (...) {
    FLockPosition = false;
    throw;
  }
  FLockPosition = false;
  Invalidate();
}

void TDBLookupGridEh::SelectAt(Integer X, Integer Y) {
  Integer title = Options().Contains(dgTitles) ? RowHeights(0) : 0;
  Integer spec = GetSpecRowHeight();
  if (FSpecRow->Visible() && Y > title && Y <= title + spec) {
    SelectSpecRow();
    return;
  }
  if (Y < title + spec) return;
  Y = std::min(Y, ClientHeight() - 1);
  TGridCoord cell = CellAtPoint(X, Y);
  if (cell.Y < TitleOffset()) return;
  TDataSet* ds = DataLink()->DataSet();
  if (!ds || !DataLink()->Active()) return;
  Integer distance = cell.Y - TitleOffset() - DataLink()->ActiveRecord();
  if (cell.Y - TitleOffset() >= DataLink()->RecordCount()) return;
  ds->MoveBy(distance);
  SelectCurrent();
}

Integer TDBLookupGridEh::GetKeyRowIndex() {
  if (FKeyValue.IsNull() || !DataLink()->Active()) return -1;
  TDataSet* ds = DataLink()->DataSet();
  Integer saved = DataLink()->ActiveRecord();
  Integer found = -1;
  try {
    for (Integer i = 0; i < DataLink()->RecordCount() && found < 0; ++i) {
      DataLink()->SetActiveRecord(i);
      if (VariantsEqualEh(ds->FieldValues(FKeyField), FKeyValue)) found = i;
    }
  } catch (...) {
    DataLink()->SetActiveRecord(saved);
    throw;
  }
  DataLink()->SetActiveRecord(saved);
  return found;
}

// ---------------------------------------------------------------------------
// Special row and highlight

Integer TDBLookupGridEh::IsFilterRowVisible() const {
  return TCustomDBGridEh::IsFilterRowVisible() + (FSpecRow->Visible() ? 1 : 0);
}

bool TDBLookupGridEh::HighlightDataCell(Integer DataCol, Integer DataRow, TFont* AFont, TColor& Background,
                                        TGridDrawState& State) {
  (void)DataCol;
  (void)DataRow;
  (void)State;
  if (FKeyValue.IsNull() || !DataLink()->Active() || UpdateLock() > 0 || FKeyField.empty()) return false;
  bool match = false;
  try {
    match = VariantsEqualEh(DataLink()->DataSet()->FieldValues(FKeyField), FKeyValue);
  } catch (const Exception&) {
    match = false;
  }
  if (!match) return false;
  Background = clHighlight;
  AFont->SetColor(clHighlightText);
  return true;
}

void TDBLookupGridEh::DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState AState) {
  Integer specRow = TitleRowCount() + TCustomDBGridEh::IsFilterRowVisible();
  if (!FSpecRow->Visible() || ARow != specRow) {
    TCustomDBGridEh::DrawCell(ACol, ARow, ARect, AState);
    return;
  }
  TCanvas* c = Canvas();
  Integer dataCol = RawToDataColumn(ACol);
  if (dataCol < 0) {
    c->Brush()->SetColor(FixedColor());
    c->FillRect(ARect);
    return;
  }
  // Each column's cell of the special row has its own text, colour and
  // font (the special row's until set).
  auto* col = dataCol < Columns()->Count() ? dynamic_cast<TDBLookupGridColumnEh*>(Columns()->Item(dataCol)) : nullptr;
  TGridColumnSpecCellEh* cell = col ? col->SpecCell() : nullptr;
  AssignFontEh(c->Font(), cell ? cell->Font() : FSpecRow->Font());
  c->Brush()->SetColor(cell ? cell->Color() : FSpecRow->Color());
  if (FSpecRow->Selected()) {
    c->Font()->SetColor(clHighlightText);
    c->Brush()->SetColor(clHighlight);
  }
  TAlignment align = col ? col->Alignment() : taLeftJustify;
  String text = cell ? cell->Text() : FSpecRow->CellTextAt(dataCol);
  WriteTextEh(c, ARect, true, 2, 2, text, align, tlTop, false, false, 0, 0, false);
  if (FSpecRow->Selected() && Columns()->Count() > 0) {
    // One focus rectangle around the whole row, each cell drawing its part.
    TRect first = CellClientRect(DataToRawColumn(0), ARow);
    TRect last = CellClientRect(DataToRawColumn(Columns()->Count() - 1), ARow);
    RECT row{std::min(first.Left, ARect.Left), ARect.Top, std::max(last.Right, ARect.Right), ARect.Bottom};
    HDC dc = c->Handle();
    SaveDC(dc);
    IntersectClipRect(dc, ARect.Left, ARect.Top, ARect.Right, ARect.Bottom);
    DrawFocusRect(dc, &row);
    RestoreDC(dc, -1);
  }
  c->Font()->SetColor(clWindowText);
  c->Brush()->SetColor(clWindow);
}

// ---------------------------------------------------------------------------
// Keys, typing search and the mouse

void TDBLookupGridEh::KeyDown(Word& Key, TShiftState Shift) {
  if (!CanModify()) {
    TCustomDBGridEh::KeyDown(Key, Shift);
    return;
  }
  Integer rows = std::max<Integer>(1, VisibleRowCount());
  Integer step = 0;
  bool hbar = HorzScrollBar()->IsShowing();
  switch (Key) {
    case VK_PRIOR: step = 1 - rows; break;
    case VK_NEXT: step = rows - 1; break;
    case VK_END: step = INT_MAX; break;
    case VK_HOME: step = INT_MIN; break;
    case VK_UP: step = -1; break;
    case VK_DOWN: step = 1; break;
    case VK_LEFT: step = hbar ? 0 : -1; break;
    case VK_RIGHT: step = hbar ? 0 : 1; break;
  }
  if (step == 0) {
    TCustomDBGridEh::KeyDown(Key, Shift);
    return;
  }
  FSearchText.clear();
  TDataSet* ds = DataLink()->DataSet();
  Key = 0;
  if (!ds || !ds->Active()) return;
  if (step < 0 && FSpecRow->Visible() && (FSpecRow->Selected() || (LocateKey() && ListAtBeginning()))) {
    SelectSpecRow();
    ds->First();
    return;
  }
  if (step > 0 && FSpecRow->Visible() && FSpecRow->Selected()) {
    ds->First();
    SelectCurrent();
    return;
  }
  if (step == INT_MIN) {
    ds->First();
  } else if (step == INT_MAX) {
    ds->Last();
  } else if (!LocateKey()) {
    ds->First();
  } else {
    ds->MoveBy(step);
  }
  SelectCurrent();
}

void TDBLookupGridEh::ProcessSearchKey(char32_t Key) {
  if (!FListFieldObj || FListFieldObj->DataType() != ftString ||
      (FListFieldObj->FieldKind() != fkData && FListFieldObj->FieldKind() != fkInternalCalc))
    return;
  if (Key == 8 || Key == 27) {
    FSearchText.clear();
    return;
  }
  if (Key < 32 || !CanModify()) return;
  DWORD now = SearchTickSource();
  if (now - GLastSearchTick > SearchPauseMs) FSearchText.clear();
  GLastSearchTick = now;
  if (Utf8Length(FSearchText) >= SearchTextCap) return;
  String text = FSearchText + Utf8Encode(Key);
  try {
    TDataSet* ds = DataLink()->DataSet();
    if (ds->Locate(FListFieldObj->FieldName(), Variant(text), {loCaseInsensitive, loPartialKey}))
      SelectKeyValue(ds->FieldValues(FKeyField));
  } catch (const Exception&) {
    // A failed search selects nothing.
  }
  FSearchText = text;
}

void TDBLookupGridEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  Integer title = Options().Contains(dgTitles) ? RowHeights(0) : 0;
  TGridCoord cell = CellAtPoint(X, Y);
  bool onSpec = FSpecRow->Visible() && Y > title && Y <= title + GetSpecRowHeight();
  if (!onSpec && (cell.Y < TitleOffset() || cell.X < 0)) {
    TCustomDBGridEh::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FSearchText.clear();
  if (!FPopupMode && CanFocus() && !Focused()) {
    SetFocus();
    if (!Focused()) return;
  }
  if (!CanModify()) return;
  FTracking = true;
  SelectAt(X, Y);
}

void TDBLookupGridEh::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (FTracking) {
    SelectAt(X, Y);
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
    return;
  }
  TCustomDBGridEh::MouseMove(Shift, X, Y);
}

void TDBLookupGridEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (FTracking) {
    FTracking = false;
    SelectAt(X, Y);
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
    return;
  }
  TCustomDBGridEh::MouseUp(Button, Shift, X, Y);
}

bool TDBLookupGridEh::DoMouseWheelDown(TShiftState, TPoint) {
  TDataSet* ds = DataLink()->DataSet();
  if (!ds || !DataLink()->Active()) return false;
  // Scrolls the list one row beyond the window; the key stays.
  ds->MoveBy(DataLink()->RecordCount() - DataLink()->ActiveRecord());
  return true;
}

bool TDBLookupGridEh::DoMouseWheelUp(TShiftState, TPoint) {
  TDataSet* ds = DataLink()->DataSet();
  if (!ds || !DataLink()->Active()) return false;
  ds->MoveBy(-DataLink()->ActiveRecord() - 1);
  return true;
}

void TDBLookupGridEh::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case WM_SETFOCUS:
    case WM_VSCROLL:
      FSearchText.clear();
      break;
  }
  TCustomDBGridEh::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// The drop-down grid

TPopupDataGridEh::TPopupDataGridEh(TComponent* AOwner) : TDBLookupGridEh(AOwner) {
  SetControlStyle(ControlStyle() + csReplicatable);
  FPopupMode = true;
  FSizeGrip = new TSizeGripEh(this);
  FSizeGrip->SetParent(this);
  SetShowHint(true);
}

void TPopupDataGridEh::CreateParams(TCreateParams& Params) {
  TDBLookupGridEh::CreateParams(Params);
  Params.Style = (Params.Style & ~(WS_CHILD | WS_BORDER)) | WS_POPUP | WS_CLIPCHILDREN;
  if (!Ctl3D()) Params.Style |= WS_BORDER;
  Params.ExStyle = (Params.ExStyle & ~WS_EX_CLIENTEDGE) | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WindowClass.style |= CS_SAVEBITS | CS_HREDRAW;
  TWinControl* p = Parent();
  Params.WndParent = p && p->HandleAllocated() ? GetAncestor(p->Handle(), GA_ROOT) : nullptr;
}

void TPopupDataGridEh::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEACTIVATE:
      Message.Result = MA_NOACTIVATE;
      return;
    case WM_SIZE:
      TDBLookupGridEh::Dispatch(Message);
      if (FSizeGrip) FSizeGrip->UpdatePosition();
      FSizeChanged = true;
      return;
    case CM_CHANGEGRIPCORNER_EH:
      if (FSizeGrip) FSizeGrip->ChangePosition(Integer(Message.WParam));
      return;
  }
  TDBLookupGridEh::Dispatch(Message);
}

void TPopupDataGridEh::KeyDown(Word& Key, TShiftState Shift) { TDBLookupGridEh::KeyDown(Key, Shift); }

void TPopupDataGridEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  FPressedInside = true;
  TDBLookupGridEh::MouseDown(Button, Shift, X, Y);
}

void TPopupDataGridEh::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  // The selection follows the mouse while no button is held.
  if (!FTracking && !Shift.Contains(ssLeft) && CanModify() && GetDataRowsRect().Contains(TPoint(X, Y))) {
    SelectAt(X, Y);
    return;
  }
  TDBLookupGridEh::MouseMove(Shift, X, Y);
}

void TPopupDataGridEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TDBLookupGridEh::MouseUp(Button, Shift, X, Y);
  if (!FPressedInside) return;
  FPressedInside = false;
  bool inside = X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight();
  if (!inside) {
    if (OnCloseUp) OnCloseUp(this, false);
  } else if (GetDataRowsRect().Contains(TPoint(X, Y))) {
    if (OnCloseUp) OnCloseUp(this, true);
  }
}
