// Moving records by dragging them at the indicator: the drop line that
// follows the mouse, scrolling while it stays above or below the rows, and
// the move itself, which never loses a record when the dataset refuses one
// of the changes. And the tree rows of datasets that show their records as
// a tree: the indent with its lines and expand boxes.
#include <algorithm>
#include <vector>

#include "ADODB.h"
#include "DBGridEh.h"
#include "DbUtilsEh.h"
#include "Forms.h"
#include "ToolCtrlsEh.h"

namespace {
constexpr Integer kMoveTimerInterval = 60;
}

bool TCustomDBGridEh::CheckBeginRecordMoving(Integer X, Integer Y, bool TestOnly) {
  if (!FDataLink->Active() || !FOptionsEh.Contains(dghRecordMoving)) return false;
  TGridCoord cell = CellAtPoint(X, Y);
  TDataSet* ds = FDataLink->DataSet();
  if (!ds || ds->IsEmpty() || cell.X < 0 || cell.X >= FIndicatorOffset || cell.Y < FTitleOffset ||
      cell.Y >= FTitleOffset + FDataLink->RecordCount())
    return false;
  SetDrawRecord(cell.Y - FTitleOffset);
  TBookmark bm;
  try {
    bm = ds->GetBookmark();
  } catch (...) {
    RestoreDrawRecord();
    throw;
  }
  RestoreDrawRecord();
  // With record selection a record moves only when selected and no
  // modifier key is down.
  if (CanSelectType(gstRecordBookmarks)) {
    Integer i;
    if (!FBookmarks->FindBookmark(bm, i)) return false;
    if (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
  }
  if (TestOnly) return true;
  FMoveBookmark = bm;
  FMoveSourceLevel = -1;
  if (IMemTableTreeEh* tree = TreeOfDataSet()) {
    SetDrawRecord(cell.Y - FTitleOffset);
    FMoveSourceLevel = tree->NodeLevel();
    RestoreDrawRecord();
  }
  FMoveStartRow = FMoveTargetRow = cell.Y;
  FDBGridEhState = 7;
  if (HandleAllocated()) Update();
  FMoveLineX = CalcRecordMoveLevel(cell.Y, TPoint(X, Y), FMoveTargetLevel);
  DrawMoveLine(FMoveLineX, ClientWidth());
  StartTimer(kMoveTimerInterval);
  FTrackingMouse = true;
  return true;
}

// Outside a tree every drop is at level 0 from the left edge. In a tree the
// mouse's distance from the first column chooses the level, at most one
// below the row above.
Integer TCustomDBGridEh::CalcRecordMoveLevel(Integer Row, TPoint Point, Integer& Level) {
  Level = -1;
  IMemTableTreeEh* tree = TreeOfDataSet();
  if (!tree || FVisibleColumns.Count() == 0) return 0;
  Integer left = CellClientRect(DataToRawColumn(FVisibleColumns[0]->Index()), FTitleOffset).Left;
  Integer count = FDataLink->RecordCount();
  Integer dataRow = std::clamp(Row - FTitleOffset, 0, std::max(0, count - 1));
  auto levelOf = [&](Integer r) -> Integer {
    if (r < 0 || r >= count) return 0;
    SetDrawRecord(r);
    Integer l = 0;
    try {
      l = tree->NodeLevel();
    } catch (...) {
      RestoreDrawRecord();
      throw;
    }
    RestoreDrawRecord();
    return l;
  };
  Level = levelOf(dataRow);
  Integer p = levelOf(dataRow - 1), n = std::max<Integer>(1, levelOf(dataRow + 1));
  Integer x = left + Level * TreeLevelWidthEh;
  if (Row > FMoveStartRow) {
    p = Level;
    Level = n;
    x = left + n * TreeLevelWidthEh;
  }
  if (Point.X > x) {
    Level = std::min<Integer>((Point.X - left) / TreeLevelWidthEh, p + 1);
    x = left + Level * TreeLevelWidthEh;
  }
  return x;
}

// ---------------------------------------------------------------------------
// Tree rows

IMemTableTreeEh* TCustomDBGridEh::TreeOfDataSet() const {
  if (!FDataLink->Active()) return nullptr;
  auto* tree = dynamic_cast<IMemTableTreeEh*>(FDataLink->DataSet());
  return tree && tree->TreeViewActive() ? tree : nullptr;
}

bool TCustomDBGridEh::IsTreeColumn(Integer DataCol) const {
  return TreeOfDataSet() && FVisibleColumns.Count() > 0 && FVisibleColumns[0]->Index() == DataCol;
}

Integer TCustomDBGridEh::TreeAreaWidth() const {
  IMemTableTreeEh* tree = TreeOfDataSet();
  return tree ? std::max<Integer>(0, tree->NodeLevel() * TreeLevelWidthEh) : 0;
}

Integer TCustomDBGridEh::DrawTreeArea(TCanvas* ACanvas, const TRect& R, bool Selected) {
  IMemTableTreeEh* tree = TreeOfDataSet();
  if (!tree) return 0;
  Integer level = tree->NodeLevel();
  Integer width = std::max<Integer>(0, level * TreeLevelWidthEh);
  if (width == 0) return 0;
  TColor saved = ACanvas->Brush()->Color();
  // The indent keeps the column's colour; only the text part shows the
  // selection.
  (void)Selected;
  ACanvas->Brush()->SetColor(FVisibleColumns[0]->Color());
  TRect area(R.Left, R.Top, std::min(R.Right, R.Left + width), R.Bottom);
  ACanvas->FillRect(area);
  bool parity = (DefaultRowHeight() % 2 != 0) && (TopRow() % 2 != 0);
  for (Integer i = 1; i <= level; ++i) {
    TRect box(R.Left + (i - 1) * TreeLevelWidthEh, R.Top, R.Left + i * TreeLevelWidthEh, R.Bottom);
    if (box.Left >= R.Right) break;
    bool continues = tree->LevelContinuesBelow(i);
    Integer kind = -1;
    if (i < level) {
      if (continues) kind = 9;
    } else if (tree->NodeHasChildren()) {
      kind = tree->NodeExpanded() ? (continues ? 0 : 1) : (continues ? 3 : 4);
    } else {
      kind = continues ? 6 : 7;
    }
    if (kind >= 0) DrawTreeNodeGlyphEh(ACanvas, box, kind, parity);
  }
  if (FOptions.Contains(dgRowLines)) {
    ACanvas->Pen()->SetColor(clSilver);
    ACanvas->MoveTo(area.Right - 1, R.Top);
    ACanvas->LineTo(area.Right - 1, R.Bottom);
  }
  ACanvas->Brush()->SetColor(saved);
  return width;
}

bool TCustomDBGridEh::CheckTreeNodeClick(Integer X, Integer Y, bool TestOnly) {
  IMemTableTreeEh* tree = TreeOfDataSet();
  if (!tree || FVisibleColumns.Count() == 0) return false;
  TGridCoord cell = CellAtPoint(X, Y);
  Integer dataRow = cell.Y - FTitleOffset;
  if (RawToDataColumn(cell.X) != FVisibleColumns[0]->Index() || dataRow < 0 ||
      dataRow >= FDataLink->RecordCount())
    return false;
  SetDrawRecord(dataRow);
  Integer width = 0;
  try {
    width = TreeAreaWidth();
  } catch (...) {
    RestoreDrawRecord();
    throw;
  }
  RestoreDrawRecord();
  Integer x = X - CellClientRect(cell.X, cell.Y).Left;
  if (x < 0 || x >= width) return false;
  if (TestOnly) return true;
  if (x >= width - TreeLevelWidthEh) {
    TDataSet* ds = FDataLink->DataSet();
    // The clicked node opens or closes; the current record stays unless
    // the tree names another one to go to.
    Integer recNo = ds->RecNo();
    TBookmark here = ds->GetBookmark();
    ds->DisableControls();
    try {
      ds->MoveBy(dataRow - FDataLink->ActiveRecord());
      Integer target = tree->SetNodeExpanded(!tree->NodeExpanded());
      if (target > 0 && target != recNo) ds->SetRecNo(target);
      else if (ds->BookmarkValid(here)) ds->GotoBookmark(here);
    } catch (...) {
      ds->EnableControls();
      throw;
    }
    ds->EnableControls();
    Invalidate();
    UpdateVertScrollBar();
  }
  return true;
}

void TCustomDBGridEh::ToggleCurrentNode(Integer Mode) {
  IMemTableTreeEh* tree = TreeOfDataSet();
  if (!tree || !tree->NodeHasChildren()) return;
  bool expand = Mode == 0 ? !tree->NodeExpanded() : Mode > 0;
  if (expand == tree->NodeExpanded()) return;
  TDataSet* ds = FDataLink->DataSet();
  Integer target = tree->SetNodeExpanded(expand);
  if (target > 0 && target != ds->RecNo()) ds->SetRecNo(target);
  Invalidate();
}

void TCustomDBGridEh::DrawMoveLine(Integer X1, Integer X2) {
  if (FDBGridEhState != 7 || !HandleAllocated()) return;
  TCanvas* c = Canvas();
  TPen saved;
  saved.Assign(c->Pen());
  c->Pen()->SetStyle(psDot);
  c->Pen()->SetMode(pmXor);
  c->Pen()->SetWidth(5);
  c->Pen()->SetColor(TColor(RGB(192, 192, 192)));
  TRect r = CellClientRect(0, FMoveTargetRow);
  bool below = FMoveTargetRow > FMoveStartRow ||
               (FMoveTargetRow == FMoveStartRow && FMoveTargetLevel < FMoveSourceLevel);
  Integer y = below ? r.Bottom : r.Top;
  c->MoveTo(X1, y);
  c->LineTo(X2, y);
  c->MoveTo(X1, y - 5);
  c->LineTo(X1, y + 5);
  c->Pen()->Assign(&saved);
  FMoveLineX1 = X1;
  FMoveLineX2 = X2;
  FMoveLineDrawn = !FMoveLineDrawn;
}

void TCustomDBGridEh::EraseMoveLine() {
  if (FMoveLineDrawn) DrawMoveLine(FMoveLineX1, FMoveLineX2);
}

void TCustomDBGridEh::TrackRecordMoving(TPoint Point, bool) {
  TDataSet* ds = FDataLink->DataSet();
  if (FDBGridEhState != 7 || !ds) return;
  TGridCoord cell = CellAtPoint(Point.X, Point.Y);
  Integer first = FTitleOffset, last = FTitleOffset + FDataLink->RecordCount() - 1;
  TRect box = GetDataBox();
  Integer target;
  if (Point.Y >= box.Bottom || cell.Y > last) {
    // Below the rows: the data scroll one record and the last row is the
    // target.
    EraseMoveLine();
    ds->MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord());
    target = FTitleOffset + FDataLink->RecordCount() - 1;
    if (HandleAllocated()) Update();
  } else if (Point.Y < box.Top) {
    EraseMoveLine();
    ds->MoveBy(-FDataLink->ActiveRecord() - 1);
    target = first;
    if (HandleAllocated()) Update();
  } else {
    target = std::clamp(cell.Y, first, std::max(first, last));
  }
  Integer level;
  Integer x = CalcRecordMoveLevel(target, Point, level);
  if (target == FMoveTargetRow && level == FMoveTargetLevel) return;
  if (!MoveSelectedRecords(target - FTitleOffset, level, true)) return;
  EraseMoveLine();
  FMoveTargetRow = target;
  FMoveTargetLevel = level;
  DrawMoveLine(x, ClientWidth());
  FMoveLineX = x;
}

void TCustomDBGridEh::EndRecordMoving(bool Drop) {
  StopTimer();
  EraseMoveLine();
  FMoveLineDrawn = false;
  FDBGridEhState = 0;
  if (Drop && (FMoveTargetRow != FMoveStartRow || FMoveTargetLevel != FMoveSourceLevel))
    MoveSelectedRecords(FMoveTargetRow - FTitleOffset, FMoveTargetLevel, false);
}

bool TCustomDBGridEh::MoveSelectedRecords(Integer ToRow, Integer TreeLevel, bool CheckOnly) {
  if (FBookmarks->Count() > 0) return MoveRecords(FBookmarks->List(), ToRow, CheckOnly, TreeLevel);
  TStringList list;
  list.Add(FMoveBookmark);
  return MoveRecords(&list, ToRow, CheckOnly, TreeLevel);
}

bool TCustomDBGridEh::MoveRecords(TStrings* BookmarkList, Integer ToRow, bool CheckOnly, Integer TreeLevel) {
  Integer toRecNo = RecNoOfRow(ToRow);
  if (OnMoveRecords) return OnMoveRecords(this, BookmarkList, toRecNo, TreeLevel, CheckOnly);
  return MoveRecordsInDataSet(BookmarkList, toRecNo, TreeLevel, CheckOnly);
}

// The dataset's features move the records by deleting them and inserting
// them again. On a database dataset all of it happens in one transaction of
// its connection: when any step fails the database gets everything back and
// the dataset reads its rows again, so no record is lost.
bool TCustomDBGridEh::MoveRecordsThroughCenter(TStrings* BookmarkList, Integer ToRecNo, bool CheckOnly) {
  if (CheckOnly) return FCenter->MoveRecords(this, BookmarkList, ToRecNo, true);
  TDataSet* ds = FDataLink->DataSet();
  ds->CheckBrowseMode();
  // The visible rows stay where they were.
  Integer count = FDataLink->RecordCount();
  Integer offset = FDataLink->ActiveRecord() + (count + 1) % 2 - count / 2;
  Integer reference = RecNoOfRow(FDataLink->ActiveRecord() - offset);
  auto* ado = dynamic_cast<TCustomADODataSet*>(ds);
  TADOConnection* conn = ado ? ado->Connection() : nullptr;
  bool ownTransaction = conn && conn->Connected() && !conn->InTransaction() && ado->LockType() != ltBatchOptimistic;
  if (ownTransaction) conn->BeginTrans();
  bool moved = false;
  try {
    moved = FCenter->MoveRecords(this, BookmarkList, ToRecNo, false);
    if (ownTransaction) conn->CommitTrans();
  } catch (...) {
    if (ownTransaction) {
      try {
        conn->RollbackTrans();
        if (ds->State() != dsBrowse) ds->Cancel();
        ClearSelection();
        ado->Requery();
      } catch (...) {
      }
    }
    throw;
  }
  if (moved && reference > 0 && ds->RecordCount() > 0) {
    ds->SetRecNo(std::min(reference, ds->RecordCount()));
    ds->MoveBy(offset);
  }
  return moved;
}

Integer TCustomDBGridEh::RecNoOfRow(Integer Row) {
  if (!FDataLink->Active()) return 0;
  Integer saved = FDataLink->ActiveRecord();
  FDataLink->SetActiveRecord(Row);
  Integer n = 0;
  try {
    n = FDataLink->DataSet()->RecNo();
  } catch (...) {
    FDataLink->SetActiveRecord(saved);
    throw;
  }
  FDataLink->SetActiveRecord(saved);
  return n;
}

// Every right is checked before anything changes, and a move the dataset
// refuses half way (a failed delete, insert or post) is taken back: the
// copies made are removed and the records deleted so far come back with
// their own values, so no record is lost.
bool TCustomDBGridEh::MoveRecordsInDataSet(TStrings* BookmarkList, Integer ToRecNo, Integer TreeLevel,
                                           bool CheckOnly) {
  if (IMemTableTreeEh* tree = TreeOfDataSet()) return tree->MoveRecords(BookmarkList, ToRecNo, TreeLevel, CheckOnly);
  TDataSet* ds = FDataLink->DataSet();
  if (!DataSource() || !ds) return false;
  if (!ds->CanModify() || FReadOnly || !FAllowedOperations.Contains(alopInsertEh) ||
      !FAllowedOperations.Contains(alopDeleteEh))
    return false;
  if (FCenter && GetDatasetFeaturesForDataSet(ds)) return MoveRecordsThroughCenter(BookmarkList, ToRecNo, CheckOnly);
  if (CheckOnly) return true;
  std::vector<TBookmark> marks;
  for (Integer i = 0; i < BookmarkList->Count(); ++i)
    if (ds->BookmarkValid(BookmarkList->Strings(i))) marks.push_back(BookmarkList->Strings(i));
  if (marks.empty()) return false;
  ds->CheckBrowseMode();
  auto moved = [&](const TBookmark& b) { return std::find(marks.begin(), marks.end(), b) != marks.end(); };
  Integer count = FDataLink->RecordCount();
  Integer offset = FDataLink->ActiveRecord() + (count + 1) % 2 - count / 2;
  struct TSaved {
    std::vector<Variant> Values;
    TBookmark Next;   // the record after it that stays, to put it back before
  };
  std::vector<TSaved> rows;
  std::vector<size_t> deleted;
  std::vector<TBookmark> copies;
  auto writeValues = [&](const std::vector<Variant>& values) {
    for (Integer f = 0; f < ds->FieldCount(); ++f) {
      TField* fld = ds->Fields()[f];
      if (fld->FieldKind() == fkData && fld->CanModify()) fld->SetValue(values[size_t(f)]);
    }
  };
  auto insertBefore = [&](const TBookmark& anchor) {
    if (!anchor.empty() && ds->BookmarkValid(anchor)) {
      ds->GotoBookmark(anchor);
      ds->Insert();
    } else {
      ds->Append();
    }
  };
  ds->DisableControls();
  try {
    for (const TBookmark& b : marks) {
      ds->GotoBookmark(b);
      TSaved saved;
      for (Integer f = 0; f < ds->FieldCount(); ++f) saved.Values.push_back(ds->Fields()[f]->Value());
      for (ds->Next(); !ds->Eof(); ds->Next())
        if (!moved(ds->GetBookmark())) {
          saved.Next = ds->GetBookmark();
          break;
        }
      rows.push_back(std::move(saved));
    }
    // The records go before the record that holds the target number once
    // the moved ones are gone; at or past the end they are appended.
    Integer target = ToRecNo;
    for (size_t i = 1; i < marks.size(); ++i) {
      ds->GotoBookmark(marks[i]);
      if (ds->RecNo() < ToRecNo) --target;
    }
    TBookmark anchor;
    if (target > 0 && ToRecNo < ds->RecordCount()) {
      Integer n = 0;
      for (ds->First(); !ds->Eof(); ds->Next()) {
        TBookmark b = ds->GetBookmark();
        if (moved(b)) continue;
        if (++n == target) {
          anchor = b;
          break;
        }
      }
    }
    try {
      for (size_t k = 0; k < marks.size(); ++k) {
        ds->GotoBookmark(marks[k]);
        ds->Delete();
        deleted.push_back(k);
      }
      for (const TSaved& r : rows) {
        insertBefore(anchor);
        writeValues(r.Values);
        ds->Post();
        copies.push_back(ds->GetBookmark());
      }
    } catch (...) {
      try {
        if (ds->State() != dsBrowse) ds->Cancel();
        for (const TBookmark& b : copies)
          if (ds->BookmarkValid(b)) {
            ds->GotoBookmark(b);
            ds->Delete();
          }
        for (size_t k : deleted) {
          insertBefore(rows[k].Next);
          writeValues(rows[k].Values);
          ds->Post();
        }
      } catch (...) {
        if (ds->State() != dsBrowse) ds->Cancel();
      }
      throw;
    }
    // Selected records stay selected in their new place.
    for (size_t k = 0; k < marks.size(); ++k) {
      Integer idx = FBookmarks->List()->IndexOf(marks[k]);
      if (idx < 0) continue;
      FBookmarks->List()->Delete(idx);
      FBookmarks->StringsChanged();
      ds->GotoBookmark(copies[k]);
      FBookmarks->SetCurrentRowSelected(true);
    }
    if (!copies.empty() && ds->BookmarkValid(copies.front())) ds->GotoBookmark(copies.front());
    ds->MoveBy(-offset);
    ds->MoveBy(offset);
  } catch (...) {
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
  return true;
}
