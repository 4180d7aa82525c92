#include "cxLookupGrid.h"

#include <algorithm>

#include "cxEditDataRegisteredRepositoryItems.h"
#include "cxEditRepositoryItems.h"

TOVANI_IMPLEMENT_CLASS(TcxLookupGridDataController, TcxDataController)
TOVANI_IMPLEMENT_CLASS(TcxLookupGridDefaultValuesProvider, TcxCustomEditDefaultValuesProvider)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxLookupGridColumn, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TcxLookupGridColumns, TCollection)
TOVANI_IMPLEMENT_CLASS(TcxLookupGridOptions, TPersistent)
TOVANI_IMPLEMENT_CLASS(TcxLookupGridColumnViewInfo, TObject)
TOVANI_IMPLEMENT_CLASS(TcxLookupGridCellViewInfo, TObject)
TOVANI_IMPLEMENT_CLASS(TcxLookupGridRowViewInfo, TObject)
TOVANI_IMPLEMENT_CLASS(TcxLookupGridViewInfo, TObject)
TOVANI_IMPLEMENT_CLASS(TcxLookupGridPainter, TObject)
TOVANI_IMPLEMENT_CLASS(TcxCustomLookupGrid, TcxControl)

TOVANI_IMPLEMENT_ENUM_INFO(TcxGridLines, "glBoth", "glNone", "glVertical", "glHorizontal")
TOVANI_IMPLEMENT_ENUM_INFO(TcxDataSortOrder, "soNone", "soAscending", "soDescending")

namespace {

// The cursor position the lists saw last (one for the whole program).
TPoint& LastCursor() {
  static TPoint p(-1, -1);
  return p;
}

struct TGridUpdate {
  TcxCustomLookupGrid* Grid;
  explicit TGridUpdate(TcxCustomLookupGrid* AGrid) : Grid(AGrid) {
    if (Grid) Grid->BeginUpdate();
  }
  ~TGridUpdate() noexcept(false) {
    if (Grid) Grid->EndUpdate();
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// Data controller

TcxCustomLookupGrid* TcxLookupGridDataController::Grid() const { return static_cast<TcxCustomLookupGrid*>(Owner()); }

TObject* TcxLookupGridDataController::GetItem(Integer Index) const { return Grid()->Columns()->Items(Index); }

bool TcxLookupGridDefaultValuesProvider::IsDisplayFormatDefined(bool) {
  auto* column = dynamic_cast<TcxLookupGridColumn*>(Owner());
  if (!column || !column->Grid()) return false;
  TcxCustomDataController* dc = column->Grid()->DataController();
  const Integer i = column->Index();
  return dc && i >= 0 && i < dc->GetItemCount() && dc->GetItemTextStored(i);
}

// ---------------------------------------------------------------------------
// Column

TcxLookupGridColumn::TcxLookupGridColumn(TCollection* ACollection) {
  if (ACollection) SetCollection(ACollection);
}

TcxLookupGridColumn::~TcxLookupGridColumn() {
  TcxCustomLookupGrid* grid = Grid();
  if (grid && !grid->IsGridDestroying()) {
    TGridUpdate lock(grid);
      grid->ColumnRemoved(this);
      TCollectionItem::SetCollection(nullptr);
    }
  SetRepositoryItem(nullptr);
  FInternalRepositoryItem.reset();
  FDefaultValuesProvider.reset();
}

void TcxLookupGridColumn::SetCollection(TCollection* Value) {
  auto* columns = dynamic_cast<TcxLookupGridColumns*>(Value);
  if (!columns || FJoined) {
    TCollectionItem::SetCollection(Value);
    return;
  }
  // Joining a grid's columns: the data controller item is added inside one
  // update of the grid, so the layout is built once the column is complete.
  TGridUpdate lock(columns->Grid());
  TCollectionItem::SetCollection(Value);
  FJoined = true;
  FDefaultValuesProvider.reset(CreateDefaultValuesProvider());
  FMinWidth = 20;
  FSorting = true;
  ChangedColumn();
  if (columns->Grid()) columns->Grid()->ColumnAdded(this);
}


TcxCustomLookupGrid* TcxLookupGridColumn::Grid() const {
  auto* columns = dynamic_cast<TcxLookupGridColumns*>(Collection());
  return columns ? columns->Grid() : nullptr;
}

void TcxLookupGridColumn::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxLookupGridColumn*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  TCollection* c = Collection();
  if (c) c->BeginUpdate();
  try {
    RestoreDefaults();
    if (src->FIsCaptionAssigned) SetCaption(src->FCaption);
    SetHeaderAlignment(src->FHeaderAlignment);
    SetMinWidth(src->FMinWidth);
    SetFixed(src->FFixed);
    SetSorting(src->FSorting);
    SetSortOrder(src->SortOrder());
    SetRepositoryItem(src->FRepositoryItem);
    if (src->FIsWidthAssigned) SetWidth(src->FWidth);
  } catch (...) {
    if (c) c->EndUpdate();
    throw;
  }
  if (c) c->EndUpdate();
}

void TcxLookupGridColumn::SetIndex(Integer Value) {
  TCollectionItem::SetIndex(Value);
  if (TcxCustomLookupGrid* grid = Grid()) grid->DataController()->UpdateItemIndexes();
}

String TcxLookupGridColumn::Caption() {
  if (FIsCaptionAssigned) return FCaption;
  String s;
  GetDefaultCaption(s);
  return s;
}

void TcxLookupGridColumn::SetCaption(const String& Value) {
  FCaption = Value;
  FIsCaptionAssigned = true;
  ChangedColumn();
}

void TcxLookupGridColumn::SetFixed(bool Value) {
  if (FFixed == Value) return;
  FFixed = Value;
  ChangedColumn();
}

void TcxLookupGridColumn::SetHeaderAlignment(TAlignment Value) {
  if (FHeaderAlignment == Value) return;
  FHeaderAlignment = Value;
  ChangedColumn();
}

void TcxLookupGridColumn::SetMinWidth(Integer Value) {
  if (Value < 0) Value = 0;
  if (FMinWidth == Value) return;
  FMinWidth = Value;
  if (FIsWidthAssigned && FWidth < Value) FWidth = Value;
  ChangedColumn();
}

void TcxLookupGridColumn::SetSorting(bool Value) {
  if (FSorting == Value) return;
  FSorting = Value;
  ChangedColumn();
}

TcxDataSortOrder TcxLookupGridColumn::SortOrder() {
  TcxCustomLookupGrid* grid = Grid();
  if (!grid) return soNone;
  const Integer i = Index();
  TcxCustomDataController* dc = grid->DataController();
  if (i < 0 || i >= dc->GetItemCount()) return soNone;
  return dc->GetItemSortOrder(i);
}

void TcxLookupGridColumn::SetSortOrder(TcxDataSortOrder Value) {
  if (TcxCustomLookupGrid* grid = Grid()) grid->DataController()->ChangeSorting(Index(), Value);
}

void TcxLookupGridColumn::SetRepositoryItem(TcxEditRepositoryItem* Value) {
  if (FRepositoryItem == Value) return;
  if (FRepositoryItem) FRepositoryItem->RemoveListener(this);
  FRepositoryItem = Value;
  if (FRepositoryItem) FRepositoryItem->AddListener(this);
  ChangedColumn();
}

Integer TcxLookupGridColumn::Width() {
  if (FIsWidthAssigned) return FWidth;
  return GetDefaultWidth();
}

void TcxLookupGridColumn::SetWidth(Integer Value) {
  CheckWidth(Value);
  FWidth = Value;
  FIsWidthAssigned = true;
  ChangedColumn();
}

void TcxLookupGridColumn::CheckWidth(Integer& AWidth) {
  if (AWidth < FMinWidth) AWidth = FMinWidth;
}

TcxCustomEditDefaultValuesProvider* TcxLookupGridColumn::CreateDefaultValuesProvider() {
  return new TcxLookupGridDefaultValuesProvider(this);
}

TcxValueTypeClass TcxLookupGridColumn::GetValueTypeClass() {
  TcxCustomLookupGrid* grid = Grid();
  return grid ? grid->DataController()->GetItemValueTypeClass(Index()) : nullptr;
}

void TcxLookupGridColumn::SetValueTypeClass(TcxValueTypeClass Value) {
  if (TcxCustomLookupGrid* grid = Grid()) grid->DataController()->ChangeValueTypeClass(Index(), Value);
}

TcxEditRepositoryItem* TcxLookupGridColumn::GetDefaultRepositoryItem() {
  return GetDefaultEditDataRepositoryItems()->GetFallbackItem();
}

TFont* TcxLookupGridColumn::GetFont() {
  TcxCustomLookupGrid* grid = Grid();
  return grid ? grid->ViewInfo()->ContentFont() : nullptr;
}

TcxEditRepositoryItem* TcxLookupGridColumn::GetFallbackRepositoryItem() {
  if (TcxEditRepositoryItem* item = GetDefaultRepositoryItem()) return item;
  if (!FInternalRepositoryItem) FInternalRepositoryItem = std::make_unique<TcxEditRepositoryTextItem>(nullptr);
  return FInternalRepositoryItem.get();
}

TcxEditRepositoryItem* TcxLookupGridColumn::GetActualRepositoryItem() {
  return FRepositoryItem ? FRepositoryItem : GetFallbackRepositoryItem();
}

TcxCustomEditProperties* TcxLookupGridColumn::Properties() { return GetActualRepositoryItem()->Properties(); }

void TcxLookupGridColumn::RestoreDefaults() {
  FIsCaptionAssigned = false;
  FCaption.clear();
  FIsWidthAssigned = false;
  FWidth = 0;
  FHeaderAlignment = taLeftJustify;
  FMinWidth = 20;
  FFixed = false;
  FSorting = true;
  ChangedColumn();
}

void TcxLookupGridColumn::ItemRemoved(TcxEditRepositoryItem* Sender) {
  if (Sender == FRepositoryItem) {
    FRepositoryItem = nullptr;
    ChangedColumn();
  }
}

void TcxLookupGridColumn::PropertiesChanged(TcxEditRepositoryItem*) { ChangedColumn(); }

TOVANI_PUBLISHED(TcxLookupGridColumn) {
  using C = TcxLookupGridColumn;
  Property("Caption", &C::Caption, &C::SetCaption).Stored(&C::IsCaptionStored);
  Property("Fixed", &C::Fixed, &C::SetFixed).Default(false);
  Property("HeaderAlignment", &C::HeaderAlignment, &C::SetHeaderAlignment).Default(Integer(taLeftJustify));
  Property("MinWidth", &C::MinWidth, &C::SetMinWidth).Default(20);
  Property("Sorting", &C::Sorting, &C::SetSorting).Default(true);
  Property("SortOrder", &C::SortOrder, &C::SetSortOrder).Default(Integer(soNone));
  Property("RepositoryItem", &C::RepositoryItem, &C::SetRepositoryItem);
  Property("Width", &C::Width, &C::SetWidth).Stored(&C::IsWidthStored);
}

// ---------------------------------------------------------------------------
// Columns

TcxLookupGridColumns::TcxLookupGridColumns(TcxCustomLookupGrid* AGrid, TClass AItemClass)
    : TCollection(AItemClass), FGrid(AGrid) {}

TPersistent* TcxLookupGridColumns::GetOwner() { return FGrid; }

void TcxLookupGridColumns::RestoreDefaults() {
  BeginUpdate();
  try {
    for (Integer i = 0; i < Count(); ++i) Items(i)->RestoreDefaults();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxLookupGridColumns::BeginUpdate() {
  TCollection::BeginUpdate();
  if (FGrid && !FGrid->IsGridDestroying()) FGrid->BeginUpdate();
}

void TcxLookupGridColumns::EndUpdate() {
  TCollection::EndUpdate();
  if (FGrid && !FGrid->IsGridDestroying()) FGrid->EndUpdate();
}

void TcxLookupGridColumns::Update(TCollectionItem*) {
  if (FGrid && !FGrid->IsGridDestroying() && !FGrid->ComponentState().Contains(csLoading))
    FGrid->AddChanges(cxLookupGridLayoutChange);
}

// ---------------------------------------------------------------------------
// Options

TPersistent* TcxLookupGridOptions::GetOwner() { return FGrid; }

void TcxLookupGridOptions::Changed() {
  if (FGrid) FGrid->AddChanges(cxLookupGridLayoutChange);
  cxCallNotifyEvent(this, OnChanged);
}

bool TcxLookupGridOptions::AnsiSort() const {
  return FGrid && (FGrid->DataController()->Options() & dcoAnsiSort) != 0;
}

bool TcxLookupGridOptions::CaseInsensitive() const {
  return FGrid && (FGrid->DataController()->Options() & dcoCaseInsensitive) != 0;
}

void TcxLookupGridOptions::SetControllerOption(TcxDataControllerOptions ABit, bool Value) {
  if (!FGrid) return;
  TcxCustomDataController* dc = FGrid->DataController();
  TcxDataControllerOptions o = dc->Options();
  dc->SetOptions(Value ? TcxDataControllerOptions(o | ABit) : TcxDataControllerOptions(o & ~ABit));
}

void TcxLookupGridOptions::SetAnsiSort(bool Value) { SetControllerOption(dcoAnsiSort, Value); }
void TcxLookupGridOptions::SetCaseInsensitive(bool Value) { SetControllerOption(dcoCaseInsensitive, Value); }

void TcxLookupGridOptions::SetGridLines(TcxGridLines Value) {
  if (FGridLines == Value) return;
  FGridLines = Value;
  Changed();
}

void TcxLookupGridOptions::SetRowSelect(bool Value) {
  FRowSelect = Value;
  if (Value && FGrid) FGrid->SetCurrentColumn(nullptr);
}

void TcxLookupGridOptions::SetShowHeader(bool Value) {
  if (FShowHeader == Value) return;
  FShowHeader = Value;
  Changed();
}

void TcxLookupGridOptions::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxLookupGridOptions*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  TGridUpdate lock(FGrid);
  SetAnsiSort(src->AnsiSort());
  SetCaseInsensitive(src->CaseInsensitive());
  SetColumnSorting(src->ColumnSorting());
  SetFocusRowOnMouseMove(src->FocusRowOnMouseMove());
  SetGridLines(src->GridLines());
  SetRowSelect(src->RowSelect());
  SetShowHeader(src->ShowHeader());
}

TOVANI_PUBLISHED(TcxLookupGridOptions) {
  using O = TcxLookupGridOptions;
  Property("AnsiSort", &O::AnsiSort, &O::SetAnsiSort).Default(false);
  Property("CaseInsensitive", &O::CaseInsensitive, &O::SetCaseInsensitive).Default(false);
  Property("ColumnSorting", &O::ColumnSorting, &O::SetColumnSorting).Default(true);
  Property("FocusRowOnMouseMove", &O::FocusRowOnMouseMove, &O::SetFocusRowOnMouseMove).Default(true);
  Property("GridLines", &O::GridLines, &O::SetGridLines).Default(Integer(glBoth));
  Property("RowSelect", &O::RowSelect, &O::SetRowSelect).Default(true);
  Property("ShowHeader", &O::ShowHeader, &O::SetShowHeader).Default(true);
}

// ---------------------------------------------------------------------------
// View info

TcxLookupGridColumnViewInfo::~TcxLookupGridColumnViewInfo() = default;
TcxLookupGridCellViewInfo::~TcxLookupGridCellViewInfo() = default;
TcxLookupGridRowViewInfo::~TcxLookupGridRowViewInfo() = default;

TcxLookupGridViewInfo::TcxLookupGridViewInfo(TcxCustomLookupGrid* AGrid) : FGrid(AGrid) {}
TcxLookupGridViewInfo::~TcxLookupGridViewInfo() = default;

TColor TcxLookupGridViewInfo::ContentColor() { return FGrid->Color(); }
TFont* TcxLookupGridViewInfo::ContentFont() { return FGrid->Font(); }
TColor TcxLookupGridViewInfo::ContentTextColor() { return ContentFont()->Color(); }
TColor TcxLookupGridViewInfo::HeaderColor() { return FGrid->Painter()->LookAndFeelPainter()->GetHeaderColor(); }
TFont* TcxLookupGridViewInfo::HeaderFont() { return FGrid->Font(); }
TColor TcxLookupGridViewInfo::HeaderTextColor() {
  return FGrid->Painter()->LookAndFeelPainter()->GetHeaderTextColor();
}
TColor TcxLookupGridViewInfo::SelectionColor() { return FGrid->Painter()->LookAndFeelPainter()->GetSelectionColor(); }
TColor TcxLookupGridViewInfo::SelectionTextColor() {
  return FGrid->Painter()->LookAndFeelPainter()->GetSelectionTextColor();
}

Integer TcxLookupGridViewInfo::HeaderHeight() {
  TcxCanvas* canvas = FGrid->Painter()->Canvas();
  return FGrid->Painter()->LookAndFeelPainter()->CalcHeaderHeight(canvas->FontHeight(HeaderFont()));
}

Integer TcxLookupGridViewInfo::RowPitch() const {
  const TcxGridLines lines = FGrid->Options()->GridLines();
  return FRowMinHeight + (lines == glBoth || lines == glHorizontal ? 1 : 0);
}

void TcxLookupGridViewInfo::Recompute() {
  FBorderSize = FGrid->GetBorderSize();
  ComputeHeaderBand();
  ComputeRows();
  ComputeBlankAreas();
}

void TcxLookupGridViewInfo::ComputeHeaderBand() {
  FColumns.clear();
  if (FGrid->Columns()->Count() == 0) {
    FHeaderBand = TRect();
    return;
  }
  FHeaderBand = FGrid->GetClientBounds();
  FHeaderBand.Bottom = FHeaderBand.Top + (FGrid->Options()->ShowHeader() ? HeaderHeight() : 0);
  ComputeColumns();
}

void TcxLookupGridViewInfo::ComputeColumns() {
  TcxLookAndFeelPainterClass painter = FGrid->Painter()->LookAndFeelPainter();
  TcxLookupGridColumns* columns = FGrid->Columns();
  TcxAutoWidthObject widths(columns->Count());
  for (Integer i = 0; i < columns->Count(); ++i) {
    TcxLookupGridColumn* column = columns->Items(i);
    auto info = std::make_unique<TcxLookupGridColumnViewInfo>();
    info->Column = column;
    info->HeaderAlignment = column->HeaderAlignment();
    if (!column->IsFirst()) info->Neighbors.Include(bLeft);
    if (!column->IsLast()) info->Neighbors.Include(bRight);
    info->HeaderBorders = painter->CalcHeaderBorders(info->Neighbors);
    info->SortOrder = column->SortOrder();
    info->Caption = column->Caption();
    SetupColumnStyle(info.get(), column);
    TcxAutoWidthItem* item = widths.NewItem();
    item->MinWidth = column->MinWidth();
    item->Width = column->Width();
    item->Fixed = column->Fixed();
    FColumns.push_back(std::move(info));
  }
  widths.AvailableWidth = FHeaderBand.Width();
  widths.DistributeWidths();
  Integer left = FHeaderBand.Left;
  for (Integer i = 0; i < ColumnCount(); ++i) {
    TcxLookupGridColumnViewInfo* info = Columns(i);
    const Integer w = std::max(0, widths.GetItemByIndex(i)->AutoWidth);
    info->Bounds = TRect(left, FHeaderBand.Top, left + w, FHeaderBand.Bottom);
    info->TextBounds = painter->CalcHeaderContentRect(info->Bounds, info->HeaderBorders);
    left += w;
  }
  if (left < FHeaderBand.Right) FHeaderBand.Right = left;
}

void TcxLookupGridViewInfo::SetupColumnStyle(TcxLookupGridColumnViewInfo* AColumnInfo, TcxLookupGridColumn* AColumn) {
  TcxCustomEditProperties* props = AColumn->Properties();
  TcxContainerStyle* style = props->GetStyleFactory()(nullptr, true, nullptr, cssNormal);
  auto* editStyle = dynamic_cast<TcxCustomEditStyle*>(style);
  if (!editStyle) {
    delete style;
    editStyle = new TcxCustomEditStyle(nullptr, true);
  }
  AColumnInfo->Style.reset(editStyle);
  editStyle->SetButtonTransparency(ebtHideInactive);
  if (TFont* font = AColumn->GetFont()) editStyle->SetFont(font);
}

void TcxLookupGridViewInfo::AcquireEditViewData(TcxLookupGridColumnViewInfo* AColumnInfo,
                                                TcxLookupGridColumn* AColumn) {
  AColumnInfo->EditViewData.reset(AColumn->Properties()->CreateViewData(AColumnInfo->Style.get(), true));
}

void TcxLookupGridViewInfo::ReleaseEditViewData(TcxLookupGridColumnViewInfo* AColumnInfo, TcxLookupGridColumn*) {
  AColumnInfo->EditViewData.reset();
}

void TcxLookupGridViewInfo::ComputeRowMinHeight() {
  FRowMinHeight = 0;
  TcxCanvas* canvas = FGrid->Painter()->Canvas();
  TcxEditSizeProperties size;
  size.MaxLineCount = 1;
  for (auto& info : FColumns) {
    AcquireEditViewData(info.get(), info->Column);
    Integer h = info->EditViewData->GetEditContentSize(canvas, Variant::Null(), size).cy;
    ReleaseEditViewData(info.get(), info->Column);
    // Properties whose view does not measure its content still get a line
    // of the column's font: a row must hold its text.
    if (h <= 0) h = canvas->FontHeight(info->Style->Font());
    FRowMinHeight = std::max(FRowMinHeight, h + 2);
  }
}

void TcxLookupGridViewInfo::ComputeRows() {
  FRows.clear();
  FRowsRect = TRect();
  FFullyVisibleRowsRect = TRect();
  FPartVisibleRowCount = 0;
  FVisibleRowCount = 0;
  if (FHeaderBand.Width() < 1) return;
  ComputeRowMinHeight();
  FRowsRect = TRect(FHeaderBand.Left, FHeaderBand.Bottom, FHeaderBand.Right, FHeaderBand.Bottom);
  FFullyVisibleRowsRect = FRowsRect;
  for (auto& info : FColumns) AcquireEditViewData(info.get(), info->Column);
  try {
    const Integer from = FTopRowMode == 0 ? FGrid->TopRow() : FInternalTopRowIndex;
    LayoutRows(from, FTopRowMode == 2);
  } catch (...) {
    for (auto& info : FColumns) ReleaseEditViewData(info.get(), info->Column);
    throw;
  }
  for (auto& info : FColumns) ReleaseEditViewData(info.get(), info->Column);
  if (FPartVisibleRowCount > 0 && FVisibleRowCount == 0) FVisibleRowCount = 1;
}

void TcxLookupGridViewInfo::LayoutRows(Integer AFrom, bool ABackward) {
  const Integer count = FGrid->RowCount();
  const Integer bottom = FGrid->GetClientBounds().Bottom;
  for (Integer r = AFrom; ABackward ? r >= 0 : r < count; ABackward ? --r : ++r) {
    if (r < 0 || r >= count) break;
    AddRow(r, FRowsRect.Bottom);
    ++FPartVisibleRowCount;
    if (FRowsRect.Bottom > bottom) break;
    ++FVisibleRowCount;
    FFullyVisibleRowsRect.Bottom = FRowsRect.Bottom;
  }
}

void TcxLookupGridViewInfo::AddRow(Integer ARowIndex, Integer ATop) {
  auto row = std::make_unique<TcxLookupGridRowViewInfo>();
  row->RowIndex = ARowIndex;
  row->RecordIndex = FGrid->DataController()->GetRowInfo(ARowIndex).RecordIndex;
  row->Focused = ARowIndex == FGrid->FocusedRowIndex();
  row->Bounds = TRect(FHeaderBand.Left, ATop, FHeaderBand.Right, ATop + FRowMinHeight);
  row->TextBounds = row->Bounds;
  const Integer focusedColumn = FGrid->CurrentColumnIndex();
  for (Integer c = 0; c < ColumnCount(); ++c) {
    auto cell = std::make_unique<TcxLookupGridCellViewInfo>();
    cell->ColumnIndex = c;
    cell->Focused = c == focusedColumn;
    const TRect& hb = Columns(c)->Bounds;
    cell->Bounds = TRect(hb.Left, ATop, hb.Right, ATop + FRowMinHeight);
    cell->TextBounds = cell->Bounds;
    row->Cells.push_back(std::move(cell));
  }
  RowLines(row.get(), ARowIndex == FGrid->RowCount() - 1);
  FRowsRect.Bottom = row->Bounds.Bottom;
  TcxLookupGridRowViewInfo* r = row.get();
  FRows.push_back(std::move(row));
  for (auto& cell : r->Cells) PrepareCell(r, cell.get());
}

void TcxLookupGridViewInfo::RowLines(TcxLookupGridRowViewInfo* ARow, bool ALastDataRow) {
  const TcxGridLines lines = FGrid->Options()->GridLines();
  if (lines == glNone || ARow->Cells.empty()) return;
  const Integer last = Integer(ARow->Cells.size()) - 1;
  for (Integer c = 0; c <= last; ++c) {
    if (lines == glHorizontal && c != last) continue;
    TcxLookupGridCellViewInfo* cell = ARow->Cells[size_t(c)].get();
    cell->TextBounds.Right -= 1;
    if (c == last) {
      // The rightmost line belongs to the row.
      ARow->TextBounds.Right -= 1;
      ARow->Borders.Include(bRight);
    } else {
      cell->Borders.Include(bRight);
    }
  }
  bool underline = lines == glBoth || lines == glHorizontal;
  if (lines == glVertical && ALastDataRow && FTopRowMode == 0 &&
      ARow->Bounds.Bottom != FGrid->GetClientBounds().Bottom)
    underline = true;
  if (underline) {
    ARow->Bounds.Bottom += 1;
    ARow->Borders.Include(bBottom);
  }
}

void TcxLookupGridViewInfo::PrepareCell(TcxLookupGridRowViewInfo* ARow, TcxLookupGridCellViewInfo* ACell) {
  TcxCustomDataController* dc = FGrid->DataController();
  const bool selected = ARow->Focused && dc->IsRowSelected(ARow->RowIndex) && !ACell->Focused;
  ACell->Color = selected ? SelectionColor() : ContentColor();
  ACell->TextColor = selected ? SelectionTextColor() : ContentTextColor();
  TcxLookupGridColumnViewInfo* column = Columns(ACell->ColumnIndex);
  if (!column->EditViewData) return;   // only while the rows are laid out
  column->Style->SetColor(ACell->Color);
  column->Style->SetTextColor(ACell->TextColor);
  TcxCustomEditProperties* props = column->Column->Properties();
  ACell->EditViewInfo.reset(props->CreateViewInfo());
  Variant value;
  if (ARow->RecordIndex >= 0) {
    if (props->UsesDataDisplayFormat(false) != evsValue)
      value = Variant(dc->GetDisplayText(ARow->RecordIndex, ACell->ColumnIndex));
    else
      value = dc->GetValue(ARow->RecordIndex, ACell->ColumnIndex);
  }
  TRect r = ACell->TextBounds;
  r.Left += 1;
  r.Top += 1;
  r.Right -= 1;
  r.Bottom -= 1;
  TcxCanvas* canvas = FGrid->Painter()->Canvas();
  TcxCustomEditViewData* vd = column->EditViewData.get();
  vd->PrepareViewInfoForPaint(canvas, value, ACell->EditViewInfo.get());
  vd->Calculate(canvas, r, TPoint(-1, -1), 0, {}, ACell->EditViewInfo.get(), false);
}

void TcxLookupGridViewInfo::RecomputeRow(TcxLookupGridRowViewInfo* ARow) {
  ARow->Focused = ARow->RowIndex == FGrid->FocusedRowIndex();
  const Integer focusedColumn = FGrid->CurrentColumnIndex();
  for (auto& info : FColumns) AcquireEditViewData(info.get(), info->Column);
  try {
    for (auto& cell : ARow->Cells) {
      cell->Focused = cell->ColumnIndex == focusedColumn;
      PrepareCell(ARow, cell.get());
    }
  } catch (...) {
    for (auto& info : FColumns) ReleaseEditViewData(info.get(), info->Column);
    throw;
  }
  for (auto& info : FColumns) ReleaseEditViewData(info.get(), info->Column);
}

void TcxLookupGridViewInfo::ComputeBlankAreas() {
  const TRect client = FGrid->GetClientBounds();
  FRightBlank = FHeaderBand.Right < client.Right && FColumns.size() > 0
                    ? TRect(FHeaderBand.Right, client.Top, client.Right, client.Bottom)
                    : TRect();
  const Integer rowsBottom = FColumns.empty() ? client.Top : std::max(FRowsRect.Bottom, FHeaderBand.Bottom);
  FBottomBlank = rowsBottom < client.Bottom ? TRect(client.Left, rowsBottom, client.Right, client.Bottom) : TRect();
}

Integer TcxLookupGridViewInfo::FitTopRowIndex(Integer Index) {
  struct TModeReset {
    Integer& Mode;
    ~TModeReset() { Mode = 0; }
  } reset{FTopRowMode};
  // The columns may have changed since the last layout.
  FBorderSize = FGrid->GetBorderSize();
  ComputeHeaderBand();
  FInternalTopRowIndex = Index;
  FTopRowMode = 1;
  ComputeRows();
  const Integer bottom = FGrid->GetClientBounds().Bottom;
  if (FRows.empty() || FRowsRect.Bottom >= bottom) return Index;
  const Integer last = std::min(Index + FVisibleRowCount - 1, FGrid->RowCount() - 1);
  FInternalTopRowIndex = last;
  FTopRowMode = 2;
  ComputeRows();
  return std::max(0, last - FVisibleRowCount + 1);
}

TcxLookupGridRowViewInfo* TcxLookupGridViewInfo::FindRow(Integer ARowIndex) const {
  for (auto& row : FRows)
    if (row->RowIndex == ARowIndex) return row.get();
  return nullptr;
}

// ---------------------------------------------------------------------------
// Painter

TcxLookupGridPainter::TcxLookupGridPainter(TcxCustomLookupGrid* AGrid) : FGrid(AGrid) {}
TcxLookupGridPainter::~TcxLookupGridPainter() = default;

TcxCanvas* TcxLookupGridPainter::Canvas() {
  if (FGrid->HandleAllocated()) {
    FScreenCanvas.reset();
    return FGrid->cxCanvas();
  }
  if (!FScreenCanvas) FScreenCanvas = std::make_unique<TcxScreenCanvas>();
  return FScreenCanvas.get();
}

void TcxLookupGridPainter::Paint() {
  DrawFrame();
  DrawContent();
}

void TcxLookupGridPainter::DrawFrame() {
  if (FGrid->ViewInfo()->BorderSize() == 0) return;
  FLookAndFeelPainter->PaintBorder(Canvas(), FGrid->GetBounds());
  Canvas()->IntersectClip(FGrid->GetClientBounds());
}

void TcxLookupGridPainter::DrawContent() {
  DrawHeaders();
  DrawBlankAreas();
  DrawRows();
}

void TcxLookupGridPainter::DrawHeaders() {
  TcxLookupGridViewInfo* vi = FGrid->ViewInfo();
  if (IsRectEmpty(vi->HeaderBand())) return;
  TcxCanvas* canvas = Canvas();
  for (Integer i = 0; i < vi->ColumnCount(); ++i) {
    TcxLookupGridColumnViewInfo* c = vi->Columns(i);
    TRect text = FLookAndFeelPainter->CalcHeaderContentRect(c->Bounds, c->HeaderBorders);
    text.Left += 2;
    text.Top += 2;
    text.Right -= 2;
    text.Bottom -= 2;
    TRect mark;
    if (c->SortOrder != soNone) {
      const Integer w = FLookAndFeelPainter->CalcSortingMarkAreaSize().X;
      mark = TRect(std::max(text.Left, text.Right - w), text.Top, text.Right, text.Bottom);
      text.Right = mark.Left;
    }
    FLookAndFeelPainter->PaintHeader(canvas, c->Bounds, text, c->Neighbors, c->HeaderBorders, cxbsNormal,
                                     c->HeaderAlignment, vaCenter, false, true, c->Caption, vi->HeaderFont(),
                                     vi->HeaderTextColor(), vi->HeaderColor());
    if (c->SortOrder != soNone) FLookAndFeelPainter->PaintSortingMark(canvas, mark, c->SortOrder == soAscending);
  }
}

void TcxLookupGridPainter::DrawBlankAreas() {
  TcxLookupGridViewInfo* vi = FGrid->ViewInfo();
  if (!IsRectEmpty(vi->BottomBlank())) Canvas()->FillRectColor(vi->BottomBlank(), FGrid->Color());
  if (!IsRectEmpty(vi->RightBlank())) Canvas()->FillRectColor(vi->RightBlank(), FGrid->Color());
}

void TcxLookupGridPainter::DrawRows() {
  TcxLookupGridViewInfo* vi = FGrid->ViewInfo();
  if (IsRectEmpty(vi->RowsRect())) return;
  for (Integer i = 0; i < vi->RowCount(); ++i) DrawRow(vi->Rows(i));
}

void TcxLookupGridPainter::DrawRow(TcxLookupGridRowViewInfo* ARow) {
  TcxLookupGridViewInfo* vi = FGrid->ViewInfo();
  TcxCanvas* canvas = Canvas();
  for (auto& cell : ARow->Cells) {
    canvas->DrawRectBorders(cell->Bounds, vi->LineColor(), vi->LineWidth(), cell->Borders);
    DrawCell(cell.get());
  }
  canvas->DrawRectBorders(ARow->Bounds, vi->LineColor(), vi->LineWidth(), ARow->Borders);
  if (ARow->Focused && (FGrid->Focused() || FGrid->InPopup())) canvas->DrawFocusRect(ARow->TextBounds);
}

void TcxLookupGridPainter::DrawCell(TcxLookupGridCellViewInfo* ACell) {
  TcxCanvas* canvas = Canvas();
  TColor frame = ACell->Color;
  if (ACell->EditViewInfo) {
    canvas->FillRectColor(ACell->TextBounds, ACell->Color);
    ACell->EditViewInfo->PaintOn(canvas);
    frame = ACell->EditViewInfo->BackgroundColor;
  } else {
    canvas->FillRectColor(ACell->TextBounds, ACell->Color);
  }
  // The one-pixel gap between the cell and its editor image.
  canvas->DrawRectBorders(ACell->TextBounds, frame, 1, cxBordersAll);
}

// ---------------------------------------------------------------------------
// Grid

TcxCustomLookupGrid::TcxCustomLookupGrid(TComponent* AOwner) : TcxControl(AOwner) { CreateParts(); }

TcxCustomLookupGrid::TcxCustomLookupGrid(TComponent* AOwner, TDeferParts) : TcxControl(AOwner) {}

void TcxCustomLookupGrid::CreateParts() {
  FColumns.reset(CreateColumns());
  FOptions.reset(CreateOptions());
  CreateViewObjects();
  CreateDataController();
  SetColor(clWindow);
  SetParentColor(false);
  SetWidth(250);
  SetHeight(200);
  SetWantedKeys(TcxWantedKeys{wkArrows});
  SetScrollBars(ssVertical);
}

TcxCustomLookupGrid::~TcxCustomLookupGrid() {
  FDestroying = true;
  SetScrollMode(0);
  DestroyDataController();
  DestroyViewObjects();
  FOptions.reset();
  FColumns.reset();
}

TClass TcxCustomLookupGrid::GetColumnClass() { return TcxLookupGridColumn::StaticClass(); }

TcxLookupGridColumns* TcxCustomLookupGrid::CreateColumns() { return new TcxLookupGridColumns(this, GetColumnClass()); }

TcxCustomDataController* TcxCustomLookupGrid::CreateDataControllerObject() {
  return new TcxLookupGridDataController(this);
}

TcxLookupGridOptions* TcxCustomLookupGrid::CreateOptions() { return new TcxLookupGridOptions(this); }
TcxLookupGridPainter* TcxCustomLookupGrid::CreatePainter() { return new TcxLookupGridPainter(this); }
TcxLookupGridViewInfo* TcxCustomLookupGrid::CreateViewInfo() { return new TcxLookupGridViewInfo(this); }

void TcxCustomLookupGrid::CreateViewObjects() {
  FPainter.reset(CreatePainter());
  FPainter->SetLookAndFeelPainter(GetLookAndFeelPainterClass());
  FViewInfo.reset(CreateViewInfo());
}

void TcxCustomLookupGrid::DestroyViewObjects() {
  FViewInfo.reset();
  FPainter.reset();
}

void TcxCustomLookupGrid::CreateDataController() {
  FDataController.reset(CreateDataControllerObject());
  FDataController->OnUpdateControl = [this](TcxUpdateControlInfo* AInfo) { HandleControllerNotice(AInfo); };
}

void TcxCustomLookupGrid::DestroyDataController() {
  if (FDataController) FDataController->OnUpdateControl = nullptr;
  FDataController.reset();
}

TcxLookAndFeelPainterClass TcxCustomLookupGrid::GetLookAndFeelPainterClass() { return LookAndFeel()->ActivePainter(); }

void TcxCustomLookupGrid::BeginUpdate() {
  ++FLockCount;
  if (FDataController) FDataController->BeginUpdate();
}

void TcxCustomLookupGrid::EndUpdate() {
  if (FLockCount == 0) return;
  --FLockCount;
  if (FDataController) FDataController->EndUpdate();
  CheckChanges();
}

void TcxCustomLookupGrid::AddChanges(Byte AChanges) {
  FChanges |= AChanges;
  CheckChanges();
}

void TcxCustomLookupGrid::CheckChanges() {
  if (FChanges == 0 || FLockCount > 0 || FDestroying) return;
  const Byte changes = FChanges;
  struct TClear {
    Byte& Changes;
    ~TClear() { Changes = 0; }
  } clear{FChanges};
  if (changes & cxLookupGridLayoutChange) RebuildLayout();
}

void TcxCustomLookupGrid::ColumnAdded(TcxLookupGridColumn* AColumn) { FDataController->AddItem(AColumn); }

void TcxCustomLookupGrid::ColumnRemoved(TcxLookupGridColumn* AColumn) {
  if (FDataController) FDataController->RemoveItem(AColumn);
  if (FFocusedColumn == AColumn) FFocusedColumn = nullptr;
}

void TcxCustomLookupGrid::SetInPopup(bool Value) {
  if (FInPopup == Value) return;
  FInPopup = Value;
  AddChanges(cxLookupGridLayoutChange);
}

Integer TcxCustomLookupGrid::RowCount() const { return FDataController ? FDataController->GetRowCount() : 0; }

Integer TcxCustomLookupGrid::FocusedRowIndex() const {
  return FDataController ? FDataController->GetFocusedRowIndex() : -1;
}

void TcxCustomLookupGrid::SetFocusedRowIndex(Integer Value) { FDataController->ChangeFocusedRowIndex(Value); }

void TcxCustomLookupGrid::SetCurrentColumn(TcxLookupGridColumn* Value) {
  if (FOptions && FOptions->RowSelect()) Value = nullptr;
  if (FFocusedColumn == Value) return;
  FFocusedColumn = Value;
  AddChanges(cxLookupGridLayoutChange);
}

void TcxCustomLookupGrid::SetCurrentColumnIndex(Integer Value) {
  if (FColumns->Count() == 0) return;
  Value = std::clamp(Value, 0, FColumns->Count() - 1);
  if (Value != CurrentColumnIndex()) SetCurrentColumn(FColumns->Items(Value));
}

Integer TcxCustomLookupGrid::RowsBeforeBuffer() {
  return FDataController->IsGridMode() && !FDataController->IsBOF() ? 1 : 0;
}

Integer TcxCustomLookupGrid::RowsAfterBuffer() {
  return FDataController->IsGridMode() && !FDataController->IsEOF() ? 1 : 0;
}

bool TcxCustomLookupGrid::TracksMouse() { return FInPopup && FOptions->FocusRowOnMouseMove(); }

void TcxCustomLookupGrid::SetScrollMode(Byte AMode) {
  if (FScrollMode == AMode) return;
  FScrollTimer.reset();
  FScrollMode = AMode;
  if (AMode != 0) {
    FScrollTimer = std::make_unique<TcxTimer>(nullptr);
    FScrollTimer->SetInterval(50);
    FScrollTimer->SetOnTimer([this](TObject* Sender) { ScrollTimerTick(Sender); });
  }
}

void TcxCustomLookupGrid::ScrollTimerTick(TObject*) {
  if (!HandleAllocated()) return;
  const TPoint p = ScreenToClient(cxGetCursorPos());
  const TRect& fully = FViewInfo->FullyVisibleRowsRect();
  Integer row;
  if (p.Y < fully.Top)
    row = FTopRow - 1;
  else if (p.Y >= fully.Bottom)
    row = FTopRow + FViewInfo->VisibleRowCount() + 1;
  else
    return;
  row = std::clamp(row, 0, std::max(0, RowCount() - 1));
  if (RowCount() == 0) return;
  FDataController->ChangeFocusedRowIndex(row);
  MakeFocusedRowVisible();
  SetFocusedRowSelected(false);
}

void TcxCustomLookupGrid::InvalidateFocusedRow() { InvalidateRow(FocusedRowIndex(), false); }

void TcxCustomLookupGrid::InvalidateRow(Integer ARowIndex, bool ARecalculate) {
  // A pending rebuild lays every row out anew: the rows laid out now may
  // belong to columns that are gone.
  if (!FViewInfo || (FChanges & cxLookupGridLayoutChange)) return;
  TcxLookupGridRowViewInfo* row = FViewInfo->FindRow(ARowIndex);
  if (!row) return;
  if (ARecalculate) FViewInfo->RecomputeRow(row);
  if (HandleAllocated()) InvalidateRect(row->Bounds, false);
}

void TcxCustomLookupGrid::RefreshLayout() {
  if (!HandleAllocated() || !FViewInfo) return;
  FViewInfo->Recompute();
  Invalidate();
  RefreshScrollBars();
}

void TcxCustomLookupGrid::RebuildLayout() {
  if (!FViewInfo || FDestroying) return;
  const Integer fitted = FViewInfo->FitTopRowIndex(FTopRow);
  FTopRow = std::max(0, std::min(fitted, std::max(0, RowCount() - 1)));
  if (HandleAllocated())
    RefreshLayout();
  else
    FViewInfo->Recompute();
}

void TcxCustomLookupGrid::HandleDataChange() {
  RebuildLayout();
  cxCallNotifyEvent(this, OnListDataChanged);
}

void TcxCustomLookupGrid::FireCloseRequest(bool AAccept) {
  if (OnCloseRequest) OnCloseRequest(this, AAccept);
}

void TcxCustomLookupGrid::HandleFocusMove(Integer APrevRowIndex, Integer ARowIndex) {
  if (FChanges & cxLookupGridLayoutChange) return;
  if (IsRowVisible(ARowIndex)) {
    InvalidateRow(APrevRowIndex, true);
    InvalidateRow(ARowIndex, true);
  } else {
    RebuildLayout();
    MakeFocusedRowVisible();
  }
}

void TcxCustomLookupGrid::HandleSelectionChange(TcxSelectionChangedInfo* AInfo) {
  if (AInfo && AInfo->Count() > 0) {
    for (Integer i = 0; i < AInfo->Count(); ++i) InvalidateRow(AInfo->RowIndexes(i), true);
  } else {
    RebuildLayout();
  }
}

void TcxCustomLookupGrid::HandleControllerNotice(TcxUpdateControlInfo* AInfo) {
  if (FDestroying || !AInfo) return;
  if (AInfo->InheritsFrom(TcxDataChangedInfo::StaticClass()))
    HandleDataChange();
  else if (AInfo->InheritsFrom(TcxLayoutChangedInfo::StaticClass()))
    HandleControllerLayout();
  else if (auto* f = dynamic_cast<TcxFocusedRowChangedInfo*>(AInfo))
    HandleFocusMove(f->PrevFocusedRowIndex, f->FocusedRowIndex);
  else if (auto* s = dynamic_cast<TcxSelectionChangedInfo*>(AInfo))
    HandleSelectionChange(s);
}

void TcxCustomLookupGrid::SetFocusedRowSelected(bool Value) { FDataController->SetFocusedSelected(Value); }

void TcxCustomLookupGrid::SetTopRowIndex(Integer Index) {
  TcxCustomDataController* dc = FDataController.get();
  if (dc->IsGridMode()) {
    const Integer count = RowCount(), visible = FViewInfo->VisibleRowCount();
    if (Index < 0) {
      if (!dc->IsBOF()) dc->Scroll(Index);
      Index = 0;
    } else if (Index < count) {
      if (Index > count - visible && !dc->IsEOF()) {
        dc->Scroll(Index - (count - visible));
        Index = count - visible;
      }
    } else {
      if (!dc->IsEOF()) dc->Scroll(Index - count + 1);
      Index = count - 1;
    }
  }
  Index = std::max(0, std::min(Index, RowCount() - 1));
  if (Index == FTopRow) return;
  const Integer fitted = FViewInfo->FitTopRowIndex(Index);
  if (fitted == FTopRow) {
    FViewInfo->Recompute();
    return;
  }
  FTopRow = fitted;
  if (HandleAllocated())
    RefreshLayout();
  else
    FViewInfo->Recompute();
}

void TcxCustomLookupGrid::MakeRowVisible(Integer ARowIndex) {
  const Integer visible = FViewInfo->VisibleRowCount();
  if (visible == 0) return;
  if (ARowIndex < FTopRow)
    SetTopRowIndex(ARowIndex);
  else if (ARowIndex > FTopRow + visible - 1)
    SetTopRowIndex(ARowIndex - visible + 1);
}

void TcxCustomLookupGrid::MakeFocusedRowVisible() {
  if (FocusedRowIndex() != -1) MakeRowVisible(FocusedRowIndex());
}

bool TcxCustomLookupGrid::IsRowVisible(Integer ARowIndex) const {
  const Integer visible = FViewInfo ? FViewInfo->VisibleRowCount() : 0;
  return visible > 0 && ARowIndex >= FTopRow && ARowIndex <= FTopRow + visible - 1;
}

TcxLookupGridHitTest TcxCustomLookupGrid::HitTest(TPoint P) const {
  TcxLookupGridHitTest hit;
  auto* self = const_cast<TcxCustomLookupGrid*>(this);
  const TRect client = self->GetClientBounds();
  if (!PtInRect(client, P) || !FViewInfo) return hit;
  const TRect& band = FViewInfo->HeaderBand();
  if (PtInRect(band, P)) {
    for (Integer i = 0; i < FViewInfo->ColumnCount(); ++i)
      if (PtInRect(FViewInfo->Columns(i)->Bounds, P)) {
        hit.Kind = lghtHeader;
        hit.ColumnIndex = i;
        return hit;
      }
    return hit;
  }
  for (Integer i = 0; i < FViewInfo->RowCount(); ++i) {
    TcxLookupGridRowViewInfo* row = FViewInfo->Rows(i);
    if (!PtInRect(row->Bounds, P)) continue;
    hit.RowIndex = row->RowIndex;
    for (auto& cell : row->Cells)
      if (P.X >= cell->Bounds.Left && P.X < cell->Bounds.Right) {
        hit.Kind = lghtCell;
        hit.ColumnIndex = cell->ColumnIndex;
        break;
      }
    return hit;
  }
  return hit;
}

Integer TcxCustomLookupGrid::GetHeightForRows(Integer ARowCount) {
  if (FViewInfo->RowMinHeight() == 0) FViewInfo->Recompute();
  const Integer header = FOptions->ShowHeader() && FColumns->Count() > 0 ? FViewInfo->HeaderHeight() : 0;
  return header + ARowCount * FViewInfo->RowPitch();
}

Integer TcxCustomLookupGrid::SnapHeightToRows(Integer AHeight) {
  if (FViewInfo->RowMinHeight() == 0) FViewInfo->Recompute();
  const Integer header = FOptions->ShowHeader() && FColumns->Count() > 0 ? FViewInfo->HeaderHeight() : 0;
  const Integer pitch = std::max(1, FViewInfo->RowPitch());
  Integer rows = (AHeight - header) / pitch;
  if (rows < 1) rows = 1;
  if (rows > RowCount()) rows = RowCount();
  if (rows <= 0) rows = 1;
  return header + rows * FViewInfo->RowPitch();
}

TPoint TcxCustomLookupGrid::LastCursorPos() { return LastCursor(); }

void TcxCustomLookupGrid::SaveCursorPos() { LastCursor() = cxGetCursorPos(); }

void TcxCustomLookupGrid::ScrollPageUp() {
  const Integer visible = FViewInfo->VisibleRowCount();
  SetTopRowIndex(FTopRow - (visible < 2 ? 1 : visible - 1));
}

void TcxCustomLookupGrid::ScrollPageDown() {
  const Integer visible = FViewInfo->VisibleRowCount();
  SetTopRowIndex(FTopRow + (visible < 2 ? 1 : visible - 1));
}

void TcxCustomLookupGrid::FocusRow(Integer ARowIndex, bool ASelected) {
  if (RowCount() == 0) return;
  FDataController->ChangeFocusedRowIndex(std::clamp(ARowIndex, 0, RowCount() - 1));
  SetFocusedRowSelected(ASelected);
}

void TcxCustomLookupGrid::PageUpFocus() {
  MakeFocusedRowVisible();
  if (FocusedRowIndex() == FTopRow) ScrollPageUp();
  FocusRow(FTopRow, true);
}

void TcxCustomLookupGrid::PageDownFocus() {
  MakeFocusedRowVisible();
  const Integer last = FTopRow + FViewInfo->VisibleRowCount() - 1;
  if (FocusedRowIndex() == last) ScrollPageDown();
  FocusRow(FTopRow + FViewInfo->VisibleRowCount() - 1, true);
}

void TcxCustomLookupGrid::MoveFocus(bool AForward) {
  TcxCustomDataController* dc = FDataController.get();
  Integer row = FocusedRowIndex();
  if (dc->IsGridMode()) {
    if (AForward && row == RowCount() - 1 && !dc->IsEOF()) {
      dc->Scroll(1);
      --row;
    } else if (!AForward && row == 0 && !dc->IsBOF()) {
      dc->Scroll(-1);
      ++row;
    }
  }
  row += AForward ? 1 : -1;
  FocusRow(row, true);
}

// ---------------------------------------------------------------------------
// Control overrides

void TcxCustomLookupGrid::Loaded() {
  TcxControl::Loaded();
  AddChanges(cxLookupGridLayoutChange);
}

void TcxCustomLookupGrid::Paint() {
  TcxControl::Paint();
  FPainter->Paint();
}

Integer TcxCustomLookupGrid::GetBorderSize() {
  if (FInPopup) return 0;
  return FPainter ? FPainter->LookAndFeelPainter()->GetBorderWidth() : 0;
}

void TcxCustomLookupGrid::InitializeControl() {
  TcxControl::InitializeControl();
  RebuildLayout();
}

void TcxCustomLookupGrid::LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
  TcxControl::LookAndFeelChanged(Sender, AChangedValues);
  if (FPainter) FPainter->SetLookAndFeelPainter(GetLookAndFeelPainterClass());
  AddChanges(cxLookupGridLayoutChange);
}

void TcxCustomLookupGrid::DefineScrollBars() {
  if (!FViewInfo) return;
  const Integer before = RowsBeforeBuffer();
  SetupScrollBar(sbVertical, 0, before + RowCount() - 1 + RowsAfterBuffer(), 1, FViewInfo->VisibleRowCount(),
                 before + FTopRow, true, true);
}

void TcxCustomLookupGrid::ScrollContent(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& APosition) {
  if (AKind != sbVertical) return;
  switch (AScrollCode) {
    case scLineUp: SetTopRowIndex(FTopRow - 1); break;
    case scLineDown: SetTopRowIndex(FTopRow + 1); break;
    case scPageUp: ScrollPageUp(); break;
    case scPageDown: ScrollPageDown(); break;
    case scPosition:
      if (FDataController->IsGridMode()) SetTopRowIndex(APosition - RowsBeforeBuffer());
      break;
    case scTrack:
      if (!FDataController->IsGridMode()) SetTopRowIndex(APosition);
      break;
    default: break;
  }
  APosition = RowsBeforeBuffer() + FTopRow;
}

void TcxCustomLookupGrid::KeyDown(Word& Key, TShiftState Shift) {
  TcxControl::KeyDown(Key, Shift);
  const bool ctrl = Shift.Contains(ssCtrl);
  switch (Key) {
    case VK_RETURN: FireCloseRequest(FocusedRowIndex() != -1); break;
    case VK_PRIOR: PageUpFocus(); break;
    case VK_NEXT: PageDownFocus(); break;
    case VK_END:
      if (ctrl || FOptions->RowSelect()) {
        FDataController->GotoLast();
      } else {
        SetCurrentColumnIndex(FColumns->Count() - 1);
        MakeFocusedRowVisible();
      }
      break;
    case VK_HOME:
      if (ctrl || FOptions->RowSelect()) {
        FDataController->GotoFirst();
      } else {
        SetCurrentColumnIndex(0);
        MakeFocusedRowVisible();
      }
      break;
    case VK_LEFT:
    case VK_RIGHT:
      SetCurrentColumnIndex(CurrentColumnIndex() + (Key == VK_LEFT ? -1 : 1));
      MakeFocusedRowVisible();
      break;
    case VK_UP: MoveFocus(false); break;
    case VK_DOWN: MoveFocus(true); break;
    default: break;
  }
}

void TcxCustomLookupGrid::RowMouseDown(Integer ARowIndex, Integer AColumnIndex, TShiftState) {
  if (ARowIndex != -1) FocusRow(ARowIndex, true);
  if (AColumnIndex != -1) SetCurrentColumnIndex(AColumnIndex);
}

void TcxCustomLookupGrid::HeaderMouseDown(Integer AColumnIndex, TShiftState Shift) {
  if (!FOptions->ColumnSorting() || AColumnIndex == -1) return;
  TcxLookupGridColumn* column = FColumns->Items(AColumnIndex);
  if (!column->Sorting()) return;
  try {
    TGridUpdate lock(this);
    if (Shift.Contains(ssCtrl)) {
      column->SetSortOrder(soNone);
    } else {
      const TcxDataSortOrder order = column->SortOrder();
      if (!Shift.Contains(ssShift)) FDataController->ClearSorting(true);
      column->SetSortOrder(order == soAscending ? soDescending : soAscending);
    }
  } catch (...) {
    MakeFocusedRowVisible();
    throw;
  }
  MakeFocusedRowVisible();
}

void TcxCustomLookupGrid::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxObjectLinkGuard link(this);
  TcxControl::MouseDown(Button, Shift, X, Y);
  if (!link.Alive()) return;
  const TcxLookupGridHitTest hit = HitTest(TPoint(X, Y));
  if (hit.Kind == lghtHeader) {
    HeaderMouseDown(hit.ColumnIndex, Shift);
  } else if (hit.Kind == lghtCell) {
    RowMouseDown(hit.RowIndex, hit.ColumnIndex, Shift);
    FRowPressed = true;
  }
}

void TcxCustomLookupGrid::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TcxControl::MouseMove(Shift, X, Y);
  // Windows sends a move when a window opens under a resting mouse: only a
  // real change of the cursor position counts.
  const TPoint cursor = cxGetCursorPos();
  if (cursor == LastCursor()) return;
  LastCursor() = cursor;
  if (!MouseCapture() && !TracksMouse()) return;
  const TRect& fully = FViewInfo->FullyVisibleRowsRect();
  if (FRowPressed && MouseCapture() && (Y < fully.Top || Y >= fully.Bottom)) {
    SetScrollMode(Y < fully.Top ? 1 : 2);
    return;
  }
  SetScrollMode(0);
  const TcxLookupGridHitTest hit = HitTest(TPoint(X, Y));
  if (hit.Kind == lghtCell) FocusRow(hit.RowIndex, true);
}

void TcxCustomLookupGrid::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxObjectLinkGuard link(this);
  TcxControl::MouseUp(Button, Shift, X, Y);
  if (!link.Alive()) return;
  SetScrollMode(0);
  if (FRowPressed) {
    FRowPressed = false;
    FireCloseRequest(HitTest(TPoint(X, Y)).Kind == lghtCell);
  }
  FRowPressed = false;
}

void TcxCustomLookupGrid::DoColorChanged() {
  RebuildLayout();
  TcxControl::DoColorChanged();
}

void TcxCustomLookupGrid::DoBoundsChanged() {
  RebuildLayout();
  TcxControl::DoBoundsChanged();
}

void TcxCustomLookupGrid::DoCancelMode() {
  TcxControl::DoCancelMode();
  SetScrollMode(0);
  FRowPressed = false;
}

void TcxCustomLookupGrid::DoFocusChanged() {
  InvalidateFocusedRow();
  TcxControl::DoFocusChanged();
}

void TcxCustomLookupGrid::DoFontChanged() {
  TcxControl::DoFontChanged();
  RebuildLayout();
}
