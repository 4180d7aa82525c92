#include "cxLookupDBGrid.h"

#include <algorithm>
#include <memory>

#include "Collation.h"
#include "Strings.h"
#include "cxDB.h"
#include "cxEditDBRegisteredRepositoryItems.h"

TOVANI_IMPLEMENT_CLASS(TcxLookupGridDBDataController, TcxDBDataController)
TOVANI_IMPLEMENT_CLASS(TcxLookupDBGridDefaultValuesProvider, TcxCustomDBEditDefaultValuesProvider)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxLookupDBGridColumn, TcxLookupGridColumn)
TOVANI_IMPLEMENT_CLASS(TcxLookupDBGridColumns, TcxLookupGridColumns)
TOVANI_IMPLEMENT_CLASS(TcxLookupDBGridOptions, TcxLookupGridOptions)
TOVANI_IMPLEMENT_CLASS(TcxCustomLookupDBGrid, TcxCustomLookupGrid)

// ---------------------------------------------------------------------------
// Data controller

TcxLookupGridDBDataController::TcxLookupGridDBDataController(TComponent* AOwner) : TcxDBDataController(AOwner) {
  DataModeController()->SetSyncMode(false);
  DataModeController()->InsertSyncEnabled = false;
}

TcxCustomLookupDBGrid* TcxLookupGridDBDataController::Grid() const {
  return static_cast<TcxCustomLookupDBGrid*>(Owner());
}

TObject* TcxLookupGridDBDataController::GetItem(Integer Index) const { return Grid()->Columns()->Items(Index); }

void TcxLookupGridDBDataController::DataScrolled() { Grid()->RefreshScrollBars(); }

bool TcxLookupDBGridDefaultValuesProvider::IsDisplayFormatDefined(bool) {
  auto* column = dynamic_cast<TcxLookupGridColumn*>(Owner());
  if (!column || !column->Grid()) return false;
  TcxCustomDataController* dc = column->Grid()->DataController();
  const Integer i = column->Index();
  return i >= 0 && i < dc->GetItemCount() && dc->GetItemTextStored(i);
}

// ---------------------------------------------------------------------------
// Column

TcxCustomLookupDBGrid* TcxLookupDBGridColumn::DBGrid() const { return static_cast<TcxCustomLookupDBGrid*>(Grid()); }

String TcxLookupDBGridColumn::FieldName() {
  TcxCustomLookupDBGrid* grid = DBGrid();
  if (!grid) return FPendingFieldName;
  const Integer i = Index();
  if (i < 0 || i >= grid->DataController()->GetItemCount()) return FPendingFieldName;
  return grid->DataController()->GetItemFieldName(i);
}

void TcxLookupDBGridColumn::SetFieldName(const String& Value) {
  TcxCustomLookupDBGrid* grid = DBGrid();
  const Integer i = Index();
  if (!grid || i < 0 || i >= grid->DataController()->GetItemCount()) {
    FPendingFieldName = Value;
    return;
  }
  grid->DataController()->ChangeFieldName(i, Value);
  LinkField();
  ChangedColumn();
}

TField* TcxLookupDBGridColumn::Field() {
  TcxCustomLookupDBGrid* grid = DBGrid();
  const Integer i = Index();
  if (!grid || i < 0 || i >= grid->DataController()->GetItemCount()) return nullptr;
  return grid->DataController()->GetItemField(i);
}

void TcxLookupDBGridColumn::LinkField() {
  if (auto* p = dynamic_cast<TcxLookupDBGridDefaultValuesProvider*>(DefaultValuesProvider())) p->SetField(Field());
}

void TcxLookupDBGridColumn::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TcxLookupDBGridColumn*>(Source)) SetFieldName(src->FieldName());
  TcxLookupGridColumn::Assign(Source);
}

void TcxLookupDBGridColumn::GetDefaultCaption(String& ACaption) {
  TField* f = Field();
  ACaption = f ? f->DisplayName() : FieldName();
}

TcxEditRepositoryItem* TcxLookupDBGridColumn::GetDefaultRepositoryItem() {
  return GetDefaultEditDBRepositoryItems()->GetItemForField(Field());
}

Integer TcxLookupDBGridColumn::GetDefaultWidth() {
  TField* f = Field();
  TcxCustomLookupDBGrid* grid = DBGrid();
  Integer w = 64;
  if (f && grid) {
    TcxCanvas* canvas = grid->Painter()->Canvas();
    canvas->SetFont(GetFont());
    w = canvas->TextWidth("0") * f->DisplayWidth() + 4;
    if (grid->Options()->ShowHeader())
      w = std::max(w, grid->Painter()->LookAndFeelPainter()->CalcHeaderWidth(canvas, cxBordersAll, Caption(),
                                                                             grid->ViewInfo()->HeaderFont()));
  }
  CheckWidth(w);
  return w;
}

TcxCustomEditDefaultValuesProvider* TcxLookupDBGridColumn::CreateDefaultValuesProvider() {
  return new TcxLookupDBGridDefaultValuesProvider(this);
}

TOVANI_PUBLISHED(TcxLookupDBGridColumn) {
  using C = TcxLookupDBGridColumn;
  Property("FieldName", &C::FieldName, &C::SetFieldName);
}

TcxLookupDBGridColumn* TcxLookupDBGridColumns::FindByFieldName(const String& AName) const {
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiSameText(Items(i)->FieldName(), AName)) return Items(i);
  return nullptr;
}

// ---------------------------------------------------------------------------
// Options

bool TcxLookupDBGridOptions::SyncMode() const {
  auto* grid = static_cast<TcxCustomLookupDBGrid*>(Grid());
  return grid && grid->DataController()->DataModeController()->SyncMode();
}

void TcxLookupDBGridOptions::SetSyncMode(bool Value) {
  if (auto* grid = static_cast<TcxCustomLookupDBGrid*>(Grid())) grid->DataController()->DataModeController()->SetSyncMode(Value);
}

void TcxLookupDBGridOptions::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxLookupDBGridOptions*>(Source);
  if (!src) {
    TcxLookupGridOptions::Assign(Source);
    return;
  }
  if (Grid()) Grid()->BeginUpdate();
  try {
    TcxLookupGridOptions::Assign(Source);
    SetSyncMode(src->SyncMode());
  } catch (...) {
    if (Grid()) Grid()->EndUpdate();
    throw;
  }
  if (Grid()) Grid()->EndUpdate();
}

TOVANI_PUBLISHED(TcxLookupDBGridOptions) {
  using O = TcxLookupDBGridOptions;
  Property("SyncMode", &O::SyncMode, &O::SetSyncMode).Default(false);
}

// ---------------------------------------------------------------------------
// Grid

TcxCustomLookupDBGrid::TcxCustomLookupDBGrid(TComponent* AOwner) : TcxCustomLookupGrid(AOwner, TDeferParts{}) {
  CreateParts();
}

TClass TcxCustomLookupDBGrid::GetColumnClass() { return TcxLookupDBGridColumn::StaticClass(); }

TcxLookupGridColumns* TcxCustomLookupDBGrid::CreateColumns() {
  return new TcxLookupDBGridColumns(this, GetColumnClass());
}

TcxCustomDataController* TcxCustomLookupDBGrid::CreateDataControllerObject() {
  return new TcxLookupGridDBDataController(this);
}

TcxLookupGridOptions* TcxCustomLookupDBGrid::CreateOptions() { return new TcxLookupDBGridOptions(this); }

TDataSource* TcxCustomLookupDBGrid::DataSource() const { return DataController()->GetDataSource(); }
void TcxCustomLookupDBGrid::SetDataSource(TDataSource* Value) { DataController()->SetDataSource(Value); }
String TcxCustomLookupDBGrid::KeyFieldNames() const { return DataController()->KeyFieldNames(); }
void TcxCustomLookupDBGrid::SetKeyFieldNames(const String& Value) { DataController()->SetKeyFieldNames(Value); }

void TcxCustomLookupDBGrid::SetFieldNames(const String& AText) {
  TStringList names;
  cxSplitFieldNames(AText, &names);
  BeginUpdate();
  try {
    Columns()->Clear();
    CreateColumnsForFields(&names);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomLookupDBGrid::CreateColumnsForFields(TStrings* ANames) {
  BeginUpdate();
  try {
    for (Integer i = 0; i < ANames->Count(); ++i) Columns()->Add()->SetFieldName(ANames->Strings(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomLookupDBGrid::HandleDataChange() {
  for (Integer i = 0; i < Columns()->Count(); ++i) Columns()->Items(i)->LinkField();
  TcxCustomLookupGrid::HandleDataChange();
}

bool TcxCustomLookupDBGrid::UsesDataSetScrolling() {
  return DataController()->IsGridMode() && DataController()->IsDataSetSequenced();
}

void TcxCustomLookupDBGrid::DefineScrollBars() {
  if (!UsesDataSetScrolling()) {
    TcxCustomLookupGrid::DefineScrollBars();
    return;
  }
  const Integer visible = ViewInfo()->VisibleRowCount();
  SetupScrollBar(sbVertical, 0, DataController()->GetDataSetRecordCount() - 1 + visible - 1, 1, visible,
                 DataController()->GetRecNo() - 1, true, true);
}

void TcxCustomLookupDBGrid::ScrollContent(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& APosition) {
  if (AKind != sbVertical || !UsesDataSetScrolling()) {
    TcxCustomLookupGrid::ScrollContent(AKind, AScrollCode, APosition);
    return;
  }
  switch (AScrollCode) {
    case scLineUp: MoveFocus(false); break;
    case scLineDown: MoveFocus(true); break;
    case scPageUp: PageUpFocus(); break;
    case scPageDown: PageDownFocus(); break;
    case scPosition: DataController()->SetRecNo(APosition + 1); break;
    default: break;
  }
  APosition = DataController()->GetRecNo() - 1;
}
