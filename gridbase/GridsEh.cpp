// The base grid: its model (counts, extents, current cell and anchor), the
// axis layout every geometric decision starts from, hit tests, cell
// rectangles and the moves of the current cell and of the view.
#include "GridsEh.h"
#include <algorithm>
#include "Forms.h"

TOVANI_IMPLEMENT_CLASS(EInvalidGridOperationEh, Exception)
TOVANI_IMPLEMENT_CLASS(TGridLineColorsEh, TPersistent)
TOVANI_IMPLEMENT_CLASS(TCustomGridEh, TCustomControl)
TOVANI_IMPLEMENT_ENUM_INFO(TGridEhOption, "geoFixedVertLine", "geoFixedHorzLine", "geoVertLine", "geoHorzLine",
                           "geoRangeSelect", "geoDrawFocusSelected", "geoRowSizing", "geoColSizing", "geoRowMoving",
                           "geoColMoving", "geoEditing", "geoTabs", "geoRowSelect", "geoAlwaysShowEditor",
                           "geoThumbTracking")

const char* const SGridIndexOutOfRangeEh = "Grid index out of range";
const char* const SGridFixedColsTooBigEh = "Fixed column count must be less than column count";
const char* const SGridFixedRowsTooBigEh = "Fixed row count must be less than row count";
const char* const SGridTooManyDeletedEh = "Too many rows or columns deleted";
const char* const SGridTooLargeEh = "Grid too large for operation";
const char* const SGridContraColNegativeEh = "FContraColCount can not be negative.";
const char* const SGridContraRowNegativeEh = "FContraRowCount can not be negative.";

namespace {
constexpr Integer kMaxExtentEntries = 134217725;
[[noreturn]] void GridError(const char* text) { throw EInvalidGridOperationEh(text); }
}  // namespace

void ModifyExtentsEh(TIntegerArray& Extents, Integer Index, Integer Amount, Integer Default) {
  if (Amount == 0) return;
  Integer oldSize = Extents.empty() ? 0 : Extents[0];
  if (Index < 0 || Index > oldSize) GridError(SGridIndexOutOfRangeEh);
  Int64 newSize = Int64(oldSize) + Amount;
  if (newSize < Index) GridError(SGridTooManyDeletedEh);
  if (newSize > kMaxExtentEntries) GridError(SGridTooLargeEh);
  if (newSize <= 0) {
    Extents.clear();
    return;
  }
  if (Extents.empty()) Extents.assign(1, 0);
  // Entries live at 1 + index.
  if (Amount > 0) {
    Extents.insert(Extents.begin() + 1 + Index, size_t(Amount), Default);
  } else {
    Extents.erase(Extents.begin() + 1 + Index, Extents.begin() + 1 + Index - Amount);
  }
  Extents[0] = Integer(newSize);
}

// ---------------------------------------------------------------------------
// TGridLineColorsEh

TPersistent* TGridLineColorsEh::GetOwner() { return FGrid; }

void TGridLineColorsEh::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TGridLineColorsEh*>(Source)) {
    FDataLineColor = s->FDataLineColor;
    FFixedLineColor = s->FFixedLineColor;
    FContraColLineColor = s->FContraColLineColor;
    FContraRowLineColor = s->FContraRowLineColor;
    FFrozenColLineColor = s->FFrozenColLineColor;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TGridLineColorsEh::Changed() {
  if (FGrid) FGrid->Invalidate();
}

void TGridLineColorsEh::SetDataLineColor(TColor v) {
  if (v != FDataLineColor) FDataLineColor = v, Changed();
}
void TGridLineColorsEh::SetFixedLineColor(TColor v) {
  if (v != FFixedLineColor) FFixedLineColor = v, Changed();
}
void TGridLineColorsEh::SetContraColLineColor(TColor v) {
  if (v != FContraColLineColor) FContraColLineColor = v, Changed();
}
void TGridLineColorsEh::SetContraRowLineColor(TColor v) {
  if (v != FContraRowLineColor) FContraRowLineColor = v, Changed();
}
void TGridLineColorsEh::SetFrozenColLineColor(TColor v) {
  if (v != FFrozenColLineColor) FFrozenColLineColor = v, Changed();
}

TColor TGridLineColorsEh::GetFixedLineColor() {
  if (FFixedLineColor != clDefault) return FFixedLineColor;
  return FGrid && FGrid->Flat() ? clGray : clBlack;
}

TColor TGridLineColorsEh::GetDataLineColor() {
  if (FDataLineColor != clDefault) return FDataLineColor;
  return FGrid && ColorToRGB(FGrid->Color()) == COLORREF(clSilver) ? clGray : clSilver;
}

TColor TGridLineColorsEh::GetCellLineColor(Integer ACol, Integer ARow) {
  if (!FGrid) return GetDataLineColor();
  if (ACol < FGrid->FixedCols() - FGrid->EffectiveFrozenCols() || ARow < FGrid->FixedRows() - FGrid->EffectiveFrozenRows())
    return GetFixedLineColor();
  return GetDataLineColor();
}

TColor TGridLineColorsEh::GetVertLineColor(Integer ACol) {
  if (FGrid && ACol == FGrid->ColCount()) return GetContraColLineColor();
  return GetDataLineColor();
}

TColor TGridLineColorsEh::GetHorzLineColor(Integer ACol, Integer ARow) {
  if (FGrid && ARow == FGrid->RowCount()) return GetContraRowLineColor();
  return GetDataLineColor();
}

TColor TGridLineColorsEh::GetFrozenVertLineColor(Integer ACol, Integer ARow) {
  if (FGrid && FGrid->EffectiveFrozenCols() > 0 && ACol == FGrid->FixedCols() - 1) return GetFrozenColLineColor();
  return GetDataLineColor();
}

TColor TGridLineColorsEh::GetFrozenHorzLineColor(Integer ACol, Integer ARow) {
  if (FGrid && FGrid->EffectiveFrozenRows() > 0 && ARow == FGrid->FixedRows() - 1) return GetFixedLineColor();
  return GetDataLineColor();
}

TColor TGridLineColorsEh::GetContraColLineColor() {
  return FContraColLineColor != clDefault ? FContraColLineColor : GetFixedLineColor();
}
TColor TGridLineColorsEh::GetContraRowLineColor() {
  return FContraRowLineColor != clDefault ? FContraRowLineColor : GetFixedLineColor();
}
TColor TGridLineColorsEh::GetFrozenColLineColor() {
  return FFrozenColLineColor != clDefault ? FFrozenColLineColor : GetFixedLineColor();
}

// ---------------------------------------------------------------------------
// Layout

// Geometry works with extents of at most a million pixels either way, so that
// sums over the cells on screen stay far from overflowing whatever a form
// file or a caller stored.
constexpr Integer kMaxLayoutExtent = 1000000;

Integer TGridAxisLayoutEh::ExtentOf(Integer Index) const {
  Integer v = Vertical ? Grid->RowHeights(Index) : Grid->ColWidths(Index);
  return std::clamp(v, -kMaxLayoutExtent, kMaxLayoutExtent);
}

namespace {

// Sums of many cells saturate instead of overflowing.
Integer Saturate(Int64 v) { return Integer(std::clamp<Int64>(v, -(Int64(1) << 30), Int64(1) << 30)); }

void CalcAxis(TGridAxisLayoutEh& A) {
  Int64 fixedEnd = 0;
  for (Integer i = 0; i < A.AxisFixedCount; ++i) fixedEnd += A.ExtentOf(i) + A.LineWidth;
  A.FixedEnd = Saturate(fixedEnd);
  Int64 frozenStart = fixedEnd;
  for (Integer i = A.AxisFixedCount - A.FrozenCellCount; i < A.AxisFixedCount; ++i)
    frozenStart -= A.ExtentOf(i) + A.LineWidth;
  A.FrozenStart = Saturate(frozenStart);
  Int64 contraStart = A.ClientExtent;
  for (Integer i = 0; i < A.ContraCellCount && contraStart > -(Int64(1) << 30); ++i)
    contraStart -= A.ExtentOf(A.AxisCellCount + i) + A.LineWidth;
  if (A.ContraCellCount > 0) contraStart -= A.LineWidth;
  A.ContraStart = Saturate(contraStart);
  A.DataExtent = A.ContraStart;
  A.CellsEnd = A.FixedEnd;
  A.LastWholeVisibleCell = A.FirstScrollCell;
  A.WholeVisibleEnd = A.FixedEnd;
  for (Integer i = A.FirstScrollCell; i < A.AxisCellCount; ++i) {
    A.CellsEnd += A.ExtentOf(i) + A.LineWidth;
    if (A.DataExtent + A.LineWidth < A.CellsEnd) {
      A.CellsEnd = A.DataExtent;
      break;
    }
    A.LastWholeVisibleCell = i;
    A.WholeVisibleEnd = A.CellsEnd;
  }
  A.FullCellsEnd = A.ContraCellCount > 0 ? A.ClientExtent : A.CellsEnd;
  A.FullCellCount = A.AxisCellCount + A.ContraCellCount;
}

// The cell of an axis under a pixel, -1 when none.
Integer AxisCellAt(const TGridAxisLayoutEh& A, Integer P) {
  Integer i, last, pos;
  if (P < A.FixedEnd) {
    i = 0, last = A.AxisFixedCount, pos = 0;
  } else if (P > A.ContraStart && A.ContraCellCount > 0) {
    i = A.AxisCellCount, last = A.FullCellCount, pos = A.ContraStart + A.LineWidth;
  } else {
    i = A.FirstScrollCell, last = A.AxisCellCount, pos = A.FixedEnd;
  }
  for (; i < last; ++i) {
    pos += A.ExtentOf(i) + A.LineWidth;
    if (pos > P) return i;
    if (pos > A.ClientExtent + A.LineWidth) break;
  }
  return -1;
}

// Start pixel of a cell; false when the cell is not on screen.
bool LinePosition(const TGridAxisLayoutEh& A, Integer Index, Integer& Pos) {
  Integer start, from;
  if (Index < A.AxisFixedCount) {
    start = 0, from = 0;
  } else if (Index >= A.AxisCellCount) {
    start = A.ContraStart + A.LineWidth, from = A.AxisCellCount;
  } else {
    if (Index < A.FirstScrollCell) return false;
    start = A.FixedEnd, from = A.FirstScrollCell;
  }
  for (Integer i = from; i < Index; ++i) {
    start += A.ExtentOf(i) + A.LineWidth;
    if (start > A.ClientExtent) return false;
  }
  if (start > A.ClientExtent) return false;
  Pos = start;
  return true;
}

// Pixel span of cells First..Last on one axis; false when nothing shows.
bool AxisSpan(const TGridAxisLayoutEh& A, Integer First, Integer Last, bool IncludeLine, Integer& Start, Integer& End) {
  if (First > A.LastWholeVisibleCell + 1 && !(A.ContraCellCount > 0 && Last >= A.AxisCellCount)) return false;
  if (First > A.FullCellCount + 1) First = A.FullCellCount;
  if (First >= A.AxisFixedCount && First < A.FirstScrollCell) {
    if (Last < A.FirstScrollCell) return false;
    First = A.FirstScrollCell;
  }
  if (Last > A.LastWholeVisibleCell && Last < A.AxisCellCount) {
    Integer p = 0;
    Integer next = A.LastWholeVisibleCell + 1;
    Last = next < A.AxisCellCount && LinePosition(A, next, p) && p != 0 ? next : A.LastWholeVisibleCell;
  }
  if (Last >= A.FullCellCount) Last = A.FullCellCount - 1;
  if (Last < First) return false;
  Integer firstPos = 0, lastPos = 0;
  if (!LinePosition(A, First, firstPos)) return false;
  if (LinePosition(A, Last, lastPos)) End = lastPos + A.ExtentOf(Last);
  else End = firstPos + A.ExtentOf(First);
  Start = firstPos;
  End = std::min(End, Last >= A.AxisCellCount ? A.ClientExtent : A.DataExtent);
  if (IncludeLine) End += A.LineWidth;
  return End > Start;
}

}  // namespace

void TCustomGridEh::CalcDrawInfo(TGridLayoutEh& L) const {
  Integer cw = Width(), ch = Height();
  if (HandleAllocated()) {
    RECT r;
    GetClientRect(FHandle, &r);
    cw = r.right - r.left;
    ch = r.bottom - r.top;
  }
  CalcDrawInfoXY(L, cw, ch);
}

void TCustomGridEh::CalcDrawInfoXY(TGridLayoutEh& L, Integer cw, Integer ch) const {
  TGridAxisLayoutEh& H = L.Horz;
  H.Grid = this;
  H.Vertical = false;
  H.LineWidth = FGridOptions.Contains(geoFixedVertLine) || FGridOptions.Contains(geoVertLine) ? FGridLineWidth : 0;
  H.AxisFixedCount = FFixedCols;
  H.FirstScrollCell = FTopLeft.X;
  H.AxisCellCount = FColCount;
  H.FrozenCellCount = EffectiveFrozenCols();
  H.ContraCellCount = std::max(0, FContraColCount);
  H.ClientExtent = cw;
  CalcAxis(H);
  TGridAxisLayoutEh& V = L.Vert;
  V.Grid = this;
  V.Vertical = true;
  V.LineWidth = FGridOptions.Contains(geoFixedHorzLine) || FGridOptions.Contains(geoHorzLine) ? FGridLineWidth : 0;
  V.AxisFixedCount = FFixedRows;
  V.FirstScrollCell = FTopLeft.Y;
  V.AxisCellCount = FRowCount;
  V.FrozenCellCount = EffectiveFrozenRows();
  V.ContraCellCount = std::max(0, FContraRowCount);
  V.ClientExtent = ch;
  CalcAxis(V);
}

Integer TCustomGridEh::EffectiveFrozenCols() const {
  return std::clamp(FFrozenCols, 0, std::min(FFixedCols, FColCount - 1));
}

Integer TCustomGridEh::EffectiveFrozenRows() const {
  return std::clamp(FFrozenRows, 0, std::min(FFixedRows, FRowCount - 1));
}

TGridCoord TCustomGridEh::CellAtPoint(Integer X, Integer Y) const {
  if (X == -1 || Y == -1) return {-1, -1};
  TGridLayoutEh L = Layout();
  TGridCoord c{AxisCellAt(L.Horz, X), AxisCellAt(L.Vert, Y)};
  if (c.X < 0 || c.Y < 0) return {-1, -1};
  return c;
}

TRect TCustomGridEh::BoxRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom, bool IncludeLine) const {
  if (ARight < ALeft || ABottom < ATop) return TRect();
  TGridLayoutEh L = Layout();
  TRect r;
  if (!AxisSpan(L.Horz, ALeft, ARight, IncludeLine, r.Left, r.Right)) return TRect();
  if (!AxisSpan(L.Vert, ATop, ABottom, IncludeLine, r.Top, r.Bottom)) return TRect();
  return r;
}

TRect TCustomGridEh::CellBlockRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom) const {
  return BoxRect(ALeft, ATop, ARight, ABottom, false);
}

TRect TCustomGridEh::CellClientRect(Integer ACol, Integer ARow) const { return BoxRect(ACol, ARow, ACol, ARow, false); }

TGridCoord TCustomGridEh::MaxTopLeftCell(Integer ACol, Integer ARow) const {
  TGridLayoutEh L = Layout();
  return {AxisMaxTopLeftOf(L.Horz, ACol), AxisMaxTopLeftOf(L.Vert, ARow)};
}

// ---------------------------------------------------------------------------
// Construction

TCustomGridEh::TCustomGridEh(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = {csCaptureMouse, csOpaque, csDoubleClicks, csNeedsBorderPaint};
  FColor = clWindow;
  FParentColor = false;
  FBrush->SetColor(FColor);
  FTabStop = true;
  FGridLineColors.reset(CreateGridLineColors());
  SetBounds(FLeft, FTop, FColCount * FDefaultColWidth, FRowCount * FDefaultRowHeight);
  InitializeOrigin();
  FMouseDownCell = {-1, -1};
}

TCustomGridEh::~TCustomGridEh() {
  if (FTimerActive && HandleAllocated()) KillTimer(FHandle, 1);
  delete FInplaceEdit;
  FInplaceEdit = nullptr;
}

TGridLineColorsEh* TCustomGridEh::CreateGridLineColors() { return new TGridLineColorsEh(this); }

void TCustomGridEh::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_TABSTOP;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
  Params.WindowClass.style = CS_DBLCLKS;
  if (FBorderStyle == bsSingle) {
    if (Ctl3D()) {
      Params.ExStyle |= WS_EX_CLIENTEDGE;
      Params.Style &= ~DWORD(WS_BORDER);
    } else {
      Params.Style |= WS_BORDER;
    }
  }
}

void TCustomGridEh::CreateWnd() {
  TCustomControl::CreateWnd();
  UpdateScrollRange();
}

void TCustomGridEh::ApplyFlatLineColor() { FFlatLineColor = FFlat ? clGray : clBlack; }

// ---------------------------------------------------------------------------
// Properties

void TCustomGridEh::SetColCount(Integer v) {
  if (v == FColCount) return;
  if (v < 1) v = 1;
  if (v == FColCount) return;
  if (FFixedCols >= v) FFixedCols = v - 1;
  if (FContraColCount > 0) ChangeSizeAt(std::min(FColCount, v), v - FColCount, false);
  else ChangeGridSize(v, FRowCount);
  if (FGridOptions.Contains(geoRowSelect)) {
    FAnchor.X = FColCount - 1;
    Invalidate();
  }
}

void TCustomGridEh::SetRowCount(Integer v) {
  if (v == FRowCount) return;
  if (v < 1) v = 1;
  if (v == FRowCount) return;
  if (FFixedRows >= v) FFixedRows = v - 1;
  if (FContraRowCount > 0) ChangeSizeAt(std::min(FRowCount, v), v - FRowCount, true);
  else ChangeGridSize(FColCount, v);
}

void TCustomGridEh::SetFixedCols(Integer v) {
  if (v == FFixedCols) return;
  if (v < 0) GridError(SGridIndexOutOfRangeEh);
  if (v >= FColCount) GridError(SGridFixedColsTooBigEh);
  FFixedCols = v;
  InitializeOrigin();
  Invalidate();
  UpdateScrollRange();
}

void TCustomGridEh::SetFixedRows(Integer v) {
  if (v == FFixedRows) return;
  if (v < 0) GridError(SGridIndexOutOfRangeEh);
  if (v >= FRowCount) GridError(SGridFixedRowsTooBigEh);
  FFixedRows = v;
  InitializeOrigin();
  Invalidate();
  UpdateScrollRange();
}

void TCustomGridEh::SetFrozenCols(Integer v) {
  if (v == FFrozenCols) return;
  FFrozenCols = v;
  Invalidate();
}

void TCustomGridEh::SetContraColCount(Integer v) {
  if (v == FContraColCount) return;
  if (v < 0) GridError(SGridContraColNegativeEh);
  ChangeContraCounts(v, FContraRowCount);
}

void TCustomGridEh::SetContraRowCount(Integer v) {
  if (v == FContraRowCount) return;
  if (v < 0) GridError(SGridContraRowNegativeEh);
  ChangeContraCounts(FContraColCount, v);
}

Integer TCustomGridEh::ColWidths(Integer Index) const {
  if (FColWidths.empty() || Index < 0 || Index >= FColWidths[0]) return FDefaultColWidth;
  return FColWidths[size_t(Index) + 1];
}

Integer TCustomGridEh::RowHeights(Integer Index) const {
  if (FRowHeights.empty() || Index < 0 || Index >= FRowHeights[0]) return FDefaultRowHeight;
  return FRowHeights[size_t(Index) + 1];
}

bool TCustomGridEh::TabStops(Integer Index) const {
  if (FTabStops.empty() || Index < 0 || Index >= FTabStops[0]) return true;
  return FTabStops[size_t(Index) + 1] != 0;
}

void TCustomGridEh::SetColWidths(Integer Index, Integer Value) {
  if (FColWidths.empty()) ModifyExtentsEh(FColWidths, 0, FColCount + FContraColCount, FDefaultColWidth);
  if (Index < 0 || Index >= FColWidths[0]) GridError(SGridIndexOutOfRangeEh);
  if (FColWidths[size_t(Index) + 1] == Value) return;
  Invalidate();
  FColWidths[size_t(Index) + 1] = Value;
  ColWidthsChanged();
}

void TCustomGridEh::SetRowHeights(Integer Index, Integer Value) {
  if (FRowHeights.empty()) ModifyExtentsEh(FRowHeights, 0, FRowCount + FContraRowCount, FDefaultRowHeight);
  if (Index < 0 || Index >= FRowHeights[0]) GridError(SGridIndexOutOfRangeEh);
  if (FRowHeights[size_t(Index) + 1] == Value) return;
  Invalidate();
  FRowHeights[size_t(Index) + 1] = Value;
  RowHeightsChanged();
}

void TCustomGridEh::SetTabStops(Integer Index, bool Value) {
  if (FTabStops.empty()) ModifyExtentsEh(FTabStops, 0, FColCount + FContraColCount, 1);
  if (Index < 0 || Index >= FTabStops[0]) GridError(SGridIndexOutOfRangeEh);
  FTabStops[size_t(Index) + 1] = Value ? 1 : 0;
}

void TCustomGridEh::SetDefaultColWidth(Integer v) {
  if (v == FDefaultColWidth) return;
  FColWidths.clear();
  FDefaultColWidth = v;
  ColWidthsChanged();
  Invalidate();
}

void TCustomGridEh::SetDefaultRowHeight(Integer v) {
  if (v == FDefaultRowHeight) return;
  FRowHeights.clear();
  FDefaultRowHeight = v;
  RowHeightsChanged();
  Invalidate();
}

void TCustomGridEh::SetGridLineWidth(Integer v) {
  v = std::clamp(v, 0, 1000);
  if (v == FGridLineWidth) return;
  FGridLineWidth = v;
  UpdateScrollRange();
  Invalidate();
}

void TCustomGridEh::SetCol(Integer v) {
  if (v != FCurrent.X) FocusCell(v, FCurrent.Y, true);
}
void TCustomGridEh::SetRow(Integer v) {
  if (v != FCurrent.Y) FocusCell(FCurrent.X, v, true);
}
void TCustomGridEh::SetLeftCol(Integer v) {
  if (v != FTopLeft.X) MoveTopLeft(v, FTopLeft.Y);
}
void TCustomGridEh::SetTopRow(Integer v) {
  if (v != FTopLeft.Y) MoveTopLeft(FTopLeft.X, v);
}

TCellBlockEh TCustomGridEh::Selection() const {
  return {std::min(FCurrent.X, FAnchor.X), std::min(FCurrent.Y, FAnchor.Y), std::max(FCurrent.X, FAnchor.X),
          std::max(FCurrent.Y, FAnchor.Y)};
}

Integer TCustomGridEh::VisibleColCount() const {
  TGridLayoutEh L = Layout();
  return L.Horz.LastWholeVisibleCell - L.Horz.FirstScrollCell + 1;
}
Integer TCustomGridEh::VisibleRowCount() const {
  TGridLayoutEh L = Layout();
  return L.Vert.LastWholeVisibleCell - L.Vert.FirstScrollCell + 1;
}
Integer TCustomGridEh::GridWidth() const { return Layout().Horz.CellsEnd; }
Integer TCustomGridEh::GridHeight() const { return Layout().Vert.CellsEnd; }

void TCustomGridEh::SetGridOptions(TGridEhOptions v) {
  if (v == FGridOptions) return;
  if (v.Contains(geoRowSelect)) v -= geoAlwaysShowEditor;
  FGridOptions = v;
  if (!FEditorMode) {
    if (v.Contains(geoAlwaysShowEditor)) ShowEditor();
    else HideEditor();
  }
  if (v.Contains(geoRowSelect)) MoveCurrent(FCurrent.X, FCurrent.Y, true, false);
  Invalidate();
  UpdateScrollRange();
}

void TCustomGridEh::SetEditorMode(bool v) {
  if (v) {
    ShowEditor();
    if (FInplaceEdit && FInplaceEdit->HandleAllocated()) FInplaceEdit->UnselectAll();
  } else {
    HideEditor();
  }
}

void TCustomGridEh::SetScrollBars(TScrollStyle v) {
  if (v == FScrollBars) return;
  FScrollBars = v;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomGridEh::SetBorderStyle(TBorderStyle v) {
  if (v == FBorderStyle) return;
  FBorderStyle = v;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomGridEh::SetFixedColor(TColor v) {
  if (v == FFixedColor) return;
  FFixedColor = v;
  Invalidate();
}

void TCustomGridEh::SetFlat(bool v) {
  if (v == FFlat) return;
  FFlat = v;
  ApplyFlatLineColor();
  FlatChanged();
  Invalidate();
}

void TCustomGridEh::ShowEditor() {
  FEditorMode = true;
  UpdateEditor();
}

void TCustomGridEh::HideEditor() {
  FEditorMode = false;
  HideEditorWindow();
}

void TCustomGridEh::ResetEditorPlacement() {
  SetInplaceEditorCell(-1, -1);
  UpdateEditor();
}

bool TCustomGridEh::IsActiveControl() {
  if (TCustomForm* f = GetParentForm(this)) return f->ActiveControl() == this;
  if (!HandleAllocated()) return false;
  for (HWND h = GetFocus(); h; h = GetParent(h))
    if (h == FHandle) return true;
  return false;
}

void TCustomGridEh::NotifyDesignerModified() {
  // No form designer runs in this program; kept as the hook a designer needs.
}

void TCustomGridEh::DeleteColumn(Integer ACol) {
  MoveColumn(ACol, FColCount - 1);
  SetColCount(FColCount - 1);
}

void TCustomGridEh::DeleteRow(Integer ARow) {
  MoveRow(ARow, FRowCount - 1);
  SetRowCount(FRowCount - 1);
}

// ---------------------------------------------------------------------------
// Invalidation

void TCustomGridEh::InvalidateRectOf(const TRect& R) {
  if (!HandleAllocated() || R.IsEmpty()) return;
  InvalidateRect(FHandle, R.AsRECT(), FALSE);
}

void TCustomGridEh::InvalidateBlock(const TCellBlockEh& B) {
  if (!HandleAllocated()) return;
  InvalidateRectOf(BoxRect(B.Left, B.Top, B.Right, B.Bottom, true));
}

void TCustomGridEh::InvalidateCell(Integer ACol, Integer ARow) { InvalidateBlock({ACol, ARow, ACol, ARow}); }

void TCustomGridEh::InvalidateCol(Integer ACol) {
  if (!HandleAllocated()) return;
  InvalidateBlock({ACol, 0, ACol, VisibleRowCount() + 1});
  if (FContraRowCount > 0) InvalidateBlock({ACol, FRowCount, ACol, FRowCount + FContraRowCount - 1});
}

void TCustomGridEh::InvalidateRow(Integer ARow) {
  if (!HandleAllocated()) return;
  InvalidateBlock({0, ARow, VisibleColCount() + 1, ARow});
  if (FContraColCount > 0) InvalidateBlock({FColCount, ARow, FColCount + FContraColCount - 1, ARow});
}

void TCustomGridEh::InvalidateSelectionChange(const TCellBlockEh& OldSel) {
  if (!HandleAllocated()) return;
  TCellBlockEh ns = Selection();
  if (ns == OldSel) return;
  TRect o = BoxRect(OldSel.Left, OldSel.Top, OldSel.Right, OldSel.Bottom, true);
  TRect n = BoxRect(ns.Left, ns.Top, ns.Right, ns.Bottom, true);
  TRect both;
  if (!IntersectRect(both, o, n)) {
    InvalidateRectOf(o);
    InvalidateRectOf(n);
    return;
  }
  // The symmetric difference as up to four bands around the common part.
  TRect u;
  UnionRect(u, o, n);
  InvalidateRectOf({u.Left, u.Top, u.Right, both.Top});
  InvalidateRectOf({u.Left, both.Bottom, u.Right, u.Bottom});
  InvalidateRectOf({u.Left, both.Top, both.Left, both.Bottom});
  InvalidateRectOf({both.Right, both.Top, u.Right, both.Bottom});
}

// ---------------------------------------------------------------------------
// Current cell, anchor and view

void TCustomGridEh::InitializeOrigin() {
  FTopLeft = {FFixedCols, FFixedRows};
  FCurrent = FTopLeft;
  FAnchor = FCurrent;
  if (FGridOptions.Contains(geoRowSelect)) FAnchor.X = FColCount - 1;
}

void TCustomGridEh::MoveCurrent(Integer ACol, Integer ARow, bool MoveAnchor, bool Show) {
  if (ACol < 0 || ARow < 0 || ACol >= FColCount || ARow >= FRowCount) GridError(SGridIndexOutOfRangeEh);
  if (!CellSelectable(ACol, ARow)) return;
  TCellBlockEh oldSel = Selection();
  TGridCoord oldCurrent = FCurrent;
  FCurrent = {ACol, ARow};
  if (!FGridOptions.Contains(geoAlwaysShowEditor)) HideEditor();
  if (MoveAnchor || !FGridOptions.Contains(geoRangeSelect)) {
    FAnchor = FCurrent;
    if (FGridOptions.Contains(geoRowSelect)) FAnchor.X = FColCount - 1;
  }
  if (FGridOptions.Contains(geoRowSelect)) FCurrent.X = FFixedCols;
  if (Show) ScrollCellIntoView(FCurrent);
  InvalidateSelectionChange(oldSel);
  InvalidateCell(oldCurrent.X, oldCurrent.Y);
  InvalidateCell(FCurrent.X, FCurrent.Y);
}

void TCustomGridEh::FocusCell(Integer ACol, Integer ARow, bool MoveAnchor) {
  MoveCurrent(ACol, ARow, MoveAnchor, true);
  UpdateEditor();
  Click();
}

void TCustomGridEh::MoveAnchor(TGridCoord NewAnchor) {
  if (!(FGridOptions.Contains(geoRangeSelect) && !FGridOptions.Contains(geoEditing))) {
    MoveCurrent(NewAnchor.X, NewAnchor.Y, true, true);
    return;
  }
  TCellBlockEh oldSel = Selection();
  FAnchor = NewAnchor;
  if (FGridOptions.Contains(geoRowSelect)) FAnchor.X = FColCount - 1;
  ScrollCellIntoView(NewAnchor);
  InvalidateSelectionChange(oldSel);
}

void TCustomGridEh::ScrollCellIntoView(TGridCoord Coord) {
  if (!HandleAllocated()) return;
  TGridLayoutEh L = Layout();
  bool inH = Coord.X >= L.Horz.FirstScrollCell && Coord.X <= L.Horz.LastWholeVisibleCell;
  bool inV = Coord.Y >= L.Vert.FirstScrollCell && Coord.Y <= L.Vert.LastWholeVisibleCell;
  if (inH && inV) return;
  Update();
  TGridCoord old = FTopLeft;
  TGridCoord nt = FTopLeft;
  if (Coord.X < FTopLeft.X && Coord.X >= FFixedCols) nt.X = Coord.X;
  else if (Coord.X > L.Horz.LastWholeVisibleCell && Coord.X < FColCount) nt.X = AxisMaxTopLeftOf(L.Horz, Coord.X);
  if (Coord.Y < FTopLeft.Y && Coord.Y >= FFixedRows) nt.Y = Coord.Y;
  else if (Coord.Y > L.Vert.LastWholeVisibleCell && Coord.Y < FRowCount) nt.Y = AxisMaxTopLeftOf(L.Vert, Coord.Y);
  if (nt == old) return;
  FTopLeft = nt;
  TopLeftMoved(old);
}

void TCustomGridEh::MoveTopLeft(Integer ALeft, Integer ATop) {
  if (ALeft == FTopLeft.X && ATop == FTopLeft.Y) return;
  Update();
  TGridCoord old = FTopLeft;
  FTopLeft = {ALeft, ATop};
  TopLeftMoved(old);
}

void TCustomGridEh::TopLeftChanged() {
  if (FEditorMode && FInplaceEdit) FInplaceEdit->MoveTo(CellClientRect(FCurrent.X, FCurrent.Y));
}

void TCustomGridEh::ColWidthsChanged() {
  UpdateScrollRange();
  UpdateEditor();
}

void TCustomGridEh::RowHeightsChanged() {
  UpdateScrollRange();
  UpdateEditor();
}
