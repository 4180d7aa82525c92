// The data grid's selection: records by bookmark, a rectangle of cells,
// columns or everything, and the grid operations that ask about it.
#include <algorithm>
#include <vector>

#include "DBGridEh.h"
#include "PlatformEh.h"

TOVANI_IMPLEMENT_CLASS(TBookmarkListEh, TBMListEh)
TOVANI_IMPLEMENT_CLASS(TDBGridEhSelectionRect, TObject)
TOVANI_IMPLEMENT_CLASS(TDBGridEhSelection, TObject)

const char* const SSelectionRectErrorEh = "Error in TDBGridEhSelectionRect.GetBottomRow";
const char* const SSelectionRectCellErrorEh = "Error in function TDBGridEhSelectionRect.CellSelected";

namespace {

constexpr TRect NoGridRect{-1, -1, -1, -1};

// Makes other buffer records active while the selection looks at them and
// puts the data link's active record back, also when an error passes.
class TActiveRecordKeeper {
 public:
  explicit TActiveRecordKeeper(TGridDataLinkEh* Link) : FLink(Link), FSaved(Link->ActiveRecord()) {}
  ~TActiveRecordKeeper() { FLink->SetActiveRecord(FSaved); }
  TActiveRecordKeeper(const TActiveRecordKeeper&) = delete;
  TActiveRecordKeeper& operator=(const TActiveRecordKeeper&) = delete;
  TBookmark BookmarkAt(Integer i) {
    FLink->SetActiveRecord(i);
    return FLink->DataSet()->GetBookmark();
  }

 private:
  TGridDataLinkEh* FLink;
  Integer FSaved;
};

void InvalidatePixels(TCustomDBGridEh* Grid, const TRect& R) {
  if (R.IsEmpty()) return;
  RECT w{R.Left, R.Top, R.Right, R.Bottom};
  InvalidateRect(Grid->Handle(), &w, FALSE);
}

// Repaints the area in which two boxes differ: both boxes when they do not
// meet, else the bands of their union around the common part.
void InvalidateChangedArea(TCustomDBGridEh* Grid, const TRect& Old, const TRect& New) {
  TRect both;
  if (!IntersectRect(both, Old, New)) {
    InvalidatePixels(Grid, Old);
    InvalidatePixels(Grid, New);
    return;
  }
  TRect u;
  UnionRect(u, Old, New);
  InvalidatePixels(Grid, {u.Left, u.Top, u.Right, both.Top});
  InvalidatePixels(Grid, {u.Left, both.Bottom, u.Right, u.Bottom});
  InvalidatePixels(Grid, {u.Left, both.Top, both.Left, both.Bottom});
  InvalidatePixels(Grid, {both.Right, both.Top, u.Right, both.Bottom});
}

}  // namespace

// ---------------------------------------------------------------------------
// TBookmarkListEh

TDataSet* TBookmarkListEh::GetDataSet() {
  TDataSource* src = FGrid ? FGrid->DataSource() : nullptr;
  return src ? src->DataSet() : nullptr;
}

void TBookmarkListEh::Invalidate() {
  if (FGrid) FGrid->Invalidate();
}

void TBookmarkListEh::SetCurrentRowSelected(bool Value) {
  TBMListEh::SetCurrentRowSelected(Value);
  FGrid->InvalidateRow(FGrid->Row());
  TDBGridEhSelection* sel = FGrid->Selection();
  if (sel->SelectionType() != gstRecordBookmarks && Count() > 0) {
    sel->Clear();
    sel->SetSelectionType(gstRecordBookmarks);
  }
  sel->UpdateState();
  sel->SelectionChanged();
}

void TBookmarkListEh::SelectionChanged() {
  if (FGrid) FGrid->Selection()->UpdateState();
}

void TBookmarkListEh::RemoveAll() {
  TBMListEh::RemoveAll();
  if (FGrid) FGrid->Selection()->SelectionChanged();
}

TRect TBookmarkListEh::SelectedRowsRect() {
  Integer first = -1, last = -1;
  TGridDataLinkEh* link = FGrid->DataLink();
  if (link->Active() && Count() > 0) {
    TActiveRecordKeeper keep(link);
    for (Integer i = 0; i < link->RecordCount(); ++i) {
      Integer idx;
      if (!FindBookmark(keep.BookmarkAt(i), idx)) continue;
      if (first < 0) first = i;
      last = std::max(last, i);
    }
  }
  if (first < 0) return NoGridRect;
  Integer off = FGrid->TitleOffset();
  return {0, off + first, FGrid->ColCount() - 1, off + last};
}

void TBookmarkListEh::DataSetChanged() {
  TDataSet* ds = GetDataSet();
  if (Count() == 0 || !ds || !ds->Active()) return;
  std::vector<TBookmark> marks;
  marks.reserve(size_t(Count()));
  bool dropped = false;
  for (Integer i = 0; i < Count(); ++i) {
    TBookmark b = Items(i);
    if (ds->BookmarkValid(b))
      marks.push_back(std::move(b));
    else
      dropped = true;
  }
  auto less = [this](const TBookmark& a, const TBookmark& b) { return CompareBookmarks(a, b) < 0; };
  bool sorted = std::is_sorted(marks.begin(), marks.end(), less);
  if (sorted && !dropped) return;
  if (!sorted) std::sort(marks.begin(), marks.end(), less);
  TStringList* list = List();
  list->BeginUpdate();
  list->Clear();
  for (const TBookmark& b : marks) list->Add(b);
  list->EndUpdate();
  if (dropped) {
    SelectionChanged();
    FGrid->Selection()->SelectionChanged();
  }
}

// ---------------------------------------------------------------------------
// TDBGridEhSelectionRect

bool TDBGridEhSelectionRect::IsUsable() const {
  TDataSource* src = FGrid->DataSource();
  return src && src->DataSet() && FGrid->DataLink()->Active();
}

void TDBGridEhSelectionRect::CheckUsable(const char* Msg) const {
  if (!IsUsable()) throw EInvalidGridOperationEh(Msg);
}

Integer TDBGridEhSelectionRect::Compare(const TBookmark& A, const TBookmark& B) const {
  return DataSetCompareBookmarksEh(FGrid->DataSource()->DataSet(), A, B);
}

void TDBGridEhSelectionRect::Clear() {
  FAnchor = TDBCell{};
  FShiftCell = TDBCell{};
  FGrid->Invalidate();
  FGrid->Selection()->SelectionChanged();
}

TBookmark TDBGridEhSelectionRect::TopRow() const {
  CheckUsable(SSelectionRectErrorEh);
  return Compare(FAnchor.Row, FShiftCell.Row) <= 0 ? FAnchor.Row : FShiftCell.Row;
}

TBookmark TDBGridEhSelectionRect::BottomRow() const {
  CheckUsable(SSelectionRectErrorEh);
  return Compare(FAnchor.Row, FShiftCell.Row) < 0 ? FShiftCell.Row : FAnchor.Row;
}

Integer TDBGridEhSelectionRect::LeftCol() const {
  CheckUsable(SSelectionRectErrorEh);
  return std::min(FAnchor.Col, FShiftCell.Col);
}

Integer TDBGridEhSelectionRect::RightCol() const {
  CheckUsable(SSelectionRectErrorEh);
  return std::max(FAnchor.Col, FShiftCell.Col);
}

bool TDBGridEhSelectionRect::CellSelected(Integer DataCol, const TBookmark& Bookmark) const {
  CheckUsable(SSelectionRectCellErrorEh);
  if (Compare(Bookmark, TopRow()) < 0) return false;
  return Compare(Bookmark, BottomRow()) <= 0 && LeftCol() <= DataCol && DataCol <= RightCol();
}

void TDBGridEhSelectionRect::Select(Integer DataCol, const TBookmark& Bookmark, bool Extend) {
  TDBGridEhSelection* sel = FGrid->Selection();
  if (sel->SelectionType() != gstRectangle) sel->Clear();
  TDBCell oldAnchor = FAnchor, oldShift = FShiftCell;
  if (FAnchor.Col == -1 || !Extend) FAnchor = {DataCol, Bookmark};
  FShiftCell = {DataCol, Bookmark};
  if (FAnchor.Col != FShiftCell.Col || Compare(FAnchor.Row, FShiftCell.Row) != 0)
    sel->SetSelectionType(gstRectangle);
  else if (sel->SelectionType() == gstRectangle)
    sel->SetSelectionType(gstNon);   // a one-cell rectangle is no selection
  if (FGrid->HandleAllocated()) {
    TRect oldBox = oldAnchor.Col < 0 ? TRect{} : CellsBox(oldAnchor.Col, oldAnchor.Row, oldShift.Col, oldShift.Row);
    TRect newBox = CellsBox(FAnchor.Col, FAnchor.Row, FShiftCell.Col, FShiftCell.Row);
    InvalidateChangedArea(FGrid, oldBox, newBox);
  }
  sel->SelectionChanged();
}

TRect TDBGridEhSelectionRect::CellsBox(Integer Col1, const TBookmark& Row1, Integer Col2, const TBookmark& Row2) {
  if (!IsUsable()) return TRect{};
  const TBookmark* r1 = &Row1;
  const TBookmark* r2 = &Row2;
  if (Col1 > Col2) std::swap(Col1, Col2);
  if (Compare(*r1, *r2) > 0) std::swap(r1, r2);
  TGridDataLinkEh* link = FGrid->DataLink();
  Integer count = link->RecordCount();
  Integer top = -1, bottom = -1;
  {
    TActiveRecordKeeper keep(link);
    if (count > 0) {
      // Rows above the records in view start at the first data row; rows
      // below them end after the last visible row.
      if (Compare(*r1, keep.BookmarkAt(0)) < 0) {
        top = 0;
      } else {
        for (Integer i = 0; i < count && top < 0; ++i)
          if (Compare(keep.BookmarkAt(i), *r1) == 0) top = i;
      }
      if (Compare(*r2, keep.BookmarkAt(count - 1)) <= 0) {
        for (Integer i = 0; i < count && bottom < 0; ++i)
          if (Compare(keep.BookmarkAt(i), *r2) == 0) bottom = i;
      } else {
        bottom = FGrid->VisibleRowCount();
      }
    }
  }
  if (top == -1) top = count;
  Integer off = FGrid->TitleOffset();
  return FGrid->CellBlockRect(FGrid->DataToRawColumn(Col1), top + off, FGrid->DataToRawColumn(Col2), bottom + off);
}

TRect TDBGridEhSelectionRect::VisibleGridRect() {
  TRect r = NoGridRect;
  if (!IsUsable()) return r;
  Integer left = FGrid->DataToRawColumn(LeftCol()), right = FGrid->DataToRawColumn(RightCol());
  TBookmark first = TopRow(), last = BottomRow();
  TGridDataLinkEh* link = FGrid->DataLink();
  Integer top = -1, bottom = -1;
  {
    TActiveRecordKeeper keep(link);
    for (Integer i = 0; i < link->RecordCount(); ++i) {
      TBookmark b = keep.BookmarkAt(i);
      if (top < 0 && Compare(b, first) >= 0) top = i;
      if (Compare(b, last) <= 0) bottom = i;
    }
  }
  if (top >= 0 && bottom >= 0) {
    Integer off = FGrid->TitleOffset();
    r = {left, top + off, right, bottom + off};
  }
  return r;
}

// ---------------------------------------------------------------------------
// TDBGridEhSelectionCols

TDBGridEhSelection* TDBGridEhSelectionCols::Selection() const { return FGrid->Selection(); }

void TDBGridEhSelectionCols::InvalidateColumn(TColumnEh* Column) {
  FGrid->InvalidateCol(FGrid->DataToRawColumn(Column->Index()));
}

void TDBGridEhSelectionCols::AddSorted(TColumnEh* Column) {
  Add(Column);
  for (Integer i = Count() - 1; i > 0 && Items(i - 1)->Index() > Column->Index(); --i) Exchange(i - 1, i);
}

void TDBGridEhSelectionCols::Clear() {
  for (Integer i = 0; i < Count(); ++i) InvalidateColumn(Items(i));
  TColumnsEhList::Clear();
  FAnchor = nullptr;
  Selection()->SelectionChanged();
}

void TDBGridEhSelectionCols::InvertColumn(TColumnEh* Column) {
  TDBGridEhSelection* sel = Selection();
  if (sel->SelectionType() != gstColumns) sel->Clear();
  if (IndexOf(Column) < 0)
    AddSorted(Column);
  else
    Remove(Column);
  InvalidateColumn(Column);
  FAnchor = FShiftCol = Column;
  sel->SetSelectionType(Count() > 0 ? gstColumns : gstNon);
  FShiftSelectedCols.Clear();
  sel->SelectionChanged();
}

void TDBGridEhSelectionCols::SelectColumn(TColumnEh* Column, bool Keep) {
  TDBGridEhSelection* sel = Selection();
  if (sel->SelectionType() != gstColumns) sel->Clear();
  if (!Keep) Clear();
  if (IndexOf(Column) < 0) AddSorted(Column);
  InvalidateColumn(Column);
  FAnchor = FShiftCol = Column;
  sel->SetSelectionType(gstColumns);
  FShiftSelectedCols.Clear();
  sel->SelectionChanged();
}

void TDBGridEhSelectionCols::ExtendTo(TColumnEh* Column) {
  TDBGridEhSelection* sel = Selection();
  if (sel->SelectionType() != gstColumns) sel->Clear();
  if (!FAnchor || !FShiftCol) {
    SelectColumn(Column, true);
    FAnchor = Column;
  } else {
    TDBGridColumnsEh* cols = FGrid->Columns();
    const Integer A = FAnchor->Index(), S = FShiftCol->Index(), C = Column->Index();
    // The walk from the previous end to the new one: it selects when it
    // moves away from the anchor and undoes this extension's own changes
    // when it moves back; crossing the anchor flips from one to the other.
    Integer start, stop, step, flip = -1;
    bool selectMode;
    if (A < S && C > S) {
      start = S, stop = C, step = 1, selectMode = true;
    } else if (A < S && C < S) {
      start = S, step = -1, selectMode = false;
      if (C < A) flip = A, stop = C;
      else stop = C + 1;
    } else if (A > S && C < S) {
      start = S, stop = C, step = -1, selectMode = true;
    } else if (A > S && C > S) {
      start = S, step = 1, selectMode = false;
      if (C > A) flip = A, stop = C;
      else stop = C - 1;
    } else if (A == S) {
      start = A, stop = C, step = C < A ? -1 : 1, selectMode = true;
    } else {
      start = stop = C, step = 1, selectMode = true;
    }
    for (Integer i = start;; i += step) {
      if (i == flip) selectMode = !selectMode;
      if (i >= 0 && i < cols->Count()) {
        TColumnEh* X = cols->Item(i);
        bool anchorSelected = IndexOf(FAnchor) >= 0;
        bool selected = IndexOf(X) >= 0;
        if (selectMode && anchorSelected) {
          if (!selected && X->Visible()) {
            AddSorted(X);
            InvalidateColumn(X);
            FShiftSelectedCols.Add(X);
            sel->SelectionChanged();
          }
        } else if (selectMode) {
          if (selected && i != A) {
            Remove(X);
            InvalidateColumn(X);
            FShiftSelectedCols.Add(X);
            sel->SelectionChanged();
          }
        } else if (anchorSelected) {
          if (selected && i != A) {
            if (FShiftSelectedCols.IndexOf(X) >= 0) {
              Remove(X);
              FShiftSelectedCols.Remove(X);
            }
            InvalidateColumn(X);
            sel->SelectionChanged();
          }
        } else if (!selected && X->Visible()) {
          if (FShiftSelectedCols.IndexOf(X) >= 0) {
            AddSorted(X);
            FShiftSelectedCols.Remove(X);
          }
          InvalidateColumn(X);
          sel->SelectionChanged();
        }
      }
      if (i == stop) break;
      if ((step > 0 && i > stop) || (step < 0 && i < stop)) break;
    }
  }
  FShiftCol = Column;
  sel->SetSelectionType(Count() > 0 ? gstColumns : gstNon);
}

void TDBGridEhSelectionCols::Refresh() {
  // Columns may have been freed: they are recognised by address only.
  TDBGridColumnsEh* cols = FGrid->Columns();
  auto alive = [cols](const TColumnEh* c) {
    for (Integer j = 0; j < cols->Count(); ++j)
      if (cols->Item(j) == c) return true;
    return false;
  };
  for (Integer i = Count() - 1; i >= 0; --i)
    if (!alive(Items(i))) Remove(Items(i));
  for (Integer i = FShiftSelectedCols.Count() - 1; i >= 0; --i)
    if (!alive(FShiftSelectedCols[i])) FShiftSelectedCols.Remove(FShiftSelectedCols[i]);
  if (FAnchor && !alive(FAnchor)) FAnchor = nullptr;
  if (FShiftCol && !alive(FShiftCol)) FShiftCol = nullptr;
  for (Integer i = 1; i < Count(); ++i)
    for (Integer j = i; j > 0 && Items(j - 1)->Index() > Items(j)->Index(); --j) Exchange(j - 1, j);
  if (Count() == 0) Selection()->UpdateState();
}

TRect TDBGridEhSelectionCols::GetGridRect() const {
  Integer lo = -1, hi = -1;
  for (Integer i = 0; i < Count(); ++i) {
    Integer x = Items(i)->Index();
    if (lo < 0 || x < lo) lo = x;
    if (hi < 0 || x > hi) hi = x;
  }
  return {FGrid->DataToRawColumn(lo), 0, FGrid->DataToRawColumn(hi), FGrid->RowCount()};
}

// ---------------------------------------------------------------------------
// TDBGridEhSelection

TDBGridEhSelection::TDBGridEhSelection(TCustomDBGridEh* AGrid)
    : FColumns(std::make_unique<TDBGridEhSelectionCols>(AGrid)),
      FGrid(AGrid),
      FRect(std::make_unique<TDBGridEhSelectionRect>(AGrid)) {}

TDBGridEhSelection::~TDBGridEhSelection() = default;

TBookmarkListEh* TDBGridEhSelection::Rows() const { return FGrid->SelectedRows(); }

void TDBGridEhSelection::SelectionChanged() {
  if (FGrid->ComponentState().Contains(csDestroying)) return;
  if (FGrid->OnSelectionChanged) FGrid->OnSelectionChanged(FGrid);
}

void TDBGridEhSelection::SetSelectionType(TDBGridEhSelectionType Value) {
  if (Value == FSelectionType) return;
  FSelectionType = Value;
  if (FGrid->EditorMode()) FGrid->ResetEditorPlacement();
}

void TDBGridEhSelection::Clear() {
  struct TFinally {
    TCustomDBGridEh* G;
    ~TFinally() {
      // The editor that a selection hid comes back where it is always shown.
      if (G->Options().Contains(dgAlwaysShowEditor) && !G->ComponentState().Contains(csDestroying)) try {
          G->ShowEditor();
        } catch (...) {
        }
    }
  } showEditor{FGrid};
  switch (FSelectionType) {
    case gstRecordBookmarks: Rows()->RemoveAll(); break;
    case gstRectangle: FRect->Clear(); break;
    case gstColumns: FColumns->Clear(); break;
    case gstAll: FGrid->Invalidate(); break;
    case gstNon: break;
  }
  FSelectionType = gstNon;
}

void TDBGridEhSelection::SelectAll() {
  if (FSelectionType == gstAll) return;
  if (FSelectionType != gstNon) Clear();
  FSelectionType = gstAll;
  FGrid->Invalidate();
}

void TDBGridEhSelection::UpdateState() {
  if ((FSelectionType == gstRecordBookmarks && Rows()->Count() == 0) ||
      (FSelectionType == gstColumns && FColumns->Count() == 0)) {
    FSelectionType = gstNon;
    FGrid->Invalidate();
  }
}

void TDBGridEhSelection::LinkActiveChanged(bool Active) {
  Rows()->SetLinkActive(Active);
  Clear();
}

bool TDBGridEhSelection::IsCellSelected(Integer DataCol, const TBookmark& Bookmark) {
  switch (FSelectionType) {
    case gstRecordBookmarks: {
      Integer i;
      return Rows()->FindBookmark(Bookmark, i);
    }
    case gstRectangle: return DataCol >= 0 && FRect->CellSelected(DataCol, Bookmark);
    case gstColumns:
      return DataCol >= 0 && DataCol < FGrid->Columns()->Count() &&
             FColumns->IndexOf(FGrid->Columns()->Item(DataCol)) >= 0;
    case gstAll: return true;
    case gstNon: return false;
  }
  return false;
}

TRect TDBGridEhSelection::GetGridRect() {
  switch (FSelectionType) {
    case gstRecordBookmarks: return Rows()->SelectedRowsRect();
    case gstRectangle: return FRect->VisibleGridRect();
    case gstColumns: return FColumns->GetGridRect();
    case gstAll: return {0, 0, FGrid->ColCount(), FGrid->RowCount()};
    case gstNon: break;
  }
  return NoGridRect;
}

// ---------------------------------------------------------------------------
// The grid's selection operations

void TCustomDBGridEh::SetAllowedSelections(TDBGridEhAllowedSelections v) {
  if (v == FAllowedSelections) return;
  FAllowedSelections = v;
  TDBGridEhSelectionType t = FSelection->SelectionType();
  if (t != gstNon && !v.Contains(t)) FSelection->Clear();
}

bool TCustomDBGridEh::CanSelectType(TDBGridEhSelectionType Type) const {
  if (Type == gstNon) return true;
  if (!FOptions.Contains(dgMultiSelect) || !FAllowedSelections.Contains(Type)) return false;
  if ((Type == gstRectangle || Type == gstColumns) && FOptions.Contains(dgRowSelect)) return false;
  return true;
}

bool TCustomDBGridEh::CellInSelection(Integer ACol, Integer ARow) {
  TDBGridEhSelectionType t = FSelection->SelectionType();
  if (t == gstNon) return false;
  if (t == gstAll) return true;
  Integer hk, vk, dataCol, dataRow;
  GetCellType(ACol, ARow, hk, vk, dataCol, dataRow);
  bool dataRowInBuffer = vk == raDataEh && FDataLink->Active() && dataRow < FDataLink->RecordCount();
  if (hk == caIndicatorEh) {
    if (t != gstRecordBookmarks || !dataRowInBuffer) return false;
  } else if (!dataRowInBuffer) {
    // Titles, footers and the rows after the records follow the columns.
    return t == gstColumns && FSelection->IsCellSelected(dataCol, TBookmark{});
  }
  TActiveRecordKeeper keep(FDataLink.get());
  return FSelection->IsCellSelected(hk == caIndicatorEh ? -1 : dataCol, keep.BookmarkAt(dataRow));
}

void TCustomDBGridEh::InvalidateSelection() {
  if (!HandleAllocated()) return;
  TDBGridEhSelectionType t = FSelection->SelectionType();
  if (t == gstAll) {
    Invalidate();
  } else if (t != gstNon) {
    TRect r = FSelection->GetGridRect();
    if (r.Left >= 0 && r.Top >= 0) InvalidatePixels(this, CellBlockRect(r.Left, r.Top, r.Right, r.Bottom));
  }
  InvalidateRow(Row());
}
