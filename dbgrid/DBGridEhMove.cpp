// Moving records by dragging them at the indicator: the drop line that
// follows the mouse, scrolling while it stays above or below the rows, and
// the move itself, which never loses a record when the dataset refuses one
// of the changes.
#include <algorithm>
#include <vector>

#include "DBGridEh.h"
#include "Forms.h"

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
  FMoveStartRow = FMoveTargetRow = cell.Y;
  FDBGridEhState = 7;
  if (HandleAllocated()) Update();
  FMoveLineX = CalcRecordMoveLevel(cell.Y, TPoint(X, Y), FMoveTargetLevel);
  DrawMoveLine(FMoveLineX, ClientWidth());
  StartTimer(kMoveTimerInterval);
  FTrackingMouse = true;
  return true;
}

// Outside a tree every drop is at level 0 from the left edge.
Integer TCustomDBGridEh::CalcRecordMoveLevel(Integer, TPoint, Integer& Level) {
  Level = -1;
  return 0;
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
    if (target == FMoveTargetRow) return;
  }
  Integer level;
  Integer x = CalcRecordMoveLevel(target, Point, level);
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
bool TCustomDBGridEh::MoveRecordsInDataSet(TStrings* BookmarkList, Integer ToRecNo, Integer, bool CheckOnly) {
  TDataSet* ds = FDataLink->DataSet();
  if (!DataSource() || !ds) return false;
  if (!ds->CanModify() || FReadOnly || !FAllowedOperations.Contains(alopInsertEh) ||
      !FAllowedOperations.Contains(alopDeleteEh))
    return false;
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
