// The data grid's keyboard, mouse, scrolling and focus: the key table and
// the record and column moves it shares with the mouse, title buttons and
// sort marking, check-box clicks, the scroll bar and the wheel moving the
// dataset, the auto-scroll and incremental-search timers, the incremental
// search itself, frozen-column sizing and the window messages around them.
#include <algorithm>
#include <cstdlib>

#include "Clipbrd.h"
#include "DBGridEh.h"
#include "DBGridEhFindDlgs.h"
#include "DBGridEhImpExp.h"
#include "Dialogs.h"
#include "Forms.h"
#include "PlatformEh.h"
#include "SysUtils.h"
#include "Utf8.h"

namespace {
constexpr UINT kAutoScrollTimer = 1;
constexpr UINT kIncSearchTimer = 2;

TShiftState Modifiers(TShiftState s) { return s * TShiftState{ssShift, ssCtrl, ssAlt}; }

// The text without its last whole character.
String DropLastChar(const String& s) {
  if (s.empty()) return s;
  size_t i = s.size() - 1;
  while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
  return s.substr(0, i);
}
}  // namespace

// ---------------------------------------------------------------------------
// Record and column moves

void TCustomDBGridEh::ClearSelection() {
  bool clear = FOptionsEh.Contains(dghClearSelection);
  if (FOptions.Contains(dgMultiSelect) && clear && FBookmarks->Count() > 0) FBookmarks->RemoveAll();
  FSelAnchorSet = false;
  if (FSelection->SelectionType() != gstNon && clear) {
    FSelection->Clear();
    Invalidate();
    RefreshEditorPlacement();
  }
}

bool TCustomDBGridEh::ConfirmDelete() {
  if (!FOptions.Contains(dgConfirmDelete)) return true;
  const char* question = FBookmarks->Count() < 2 ? SDeleteRecordQuestionEh : SDeleteMultipleRecordsQuestionEh;
  return MessageDlg(question, mtConfirmation, mbOKCancel) != mrCancel;
}

void TCustomDBGridEh::SelectionMoveBy(bool Select, Integer Distance, bool RowsMode, bool ToEnd) {
  TDataSet* ds = FDataLink->DataSet();
  if (!FDataLink->Active() || !ds || Distance == 0) return;
  Integer dir = Distance > 0 ? 1 : -1;
  BeginUpdate();
  try {
    if (RowsMode || FOptions.Contains(dgRowSelect)) {
      bool a = Select && CanSelectType(gstRecordBookmarks);
      bool multi = FOptions.Contains(dgMultiSelect);
      TBookmarkListEh* rows = FBookmarks.get();
      for (Integer left = ToEnd ? 1 : std::abs(Distance); left > 0; left -= ToEnd ? 0 : 1) {
        bool mark = false;
        if (multi) {
          if (!a) {
            ClearSelection();
          } else if (!FSelAnchorSet) {
            FSelAnchor = ds->GetBookmark();
            FSelAnchorState = rows->CurrentRowSelected();
            rows->SetCurrentRowSelected(FRowsSelectToggle ? !FSelAnchorState : true);
            FSelAnchorSet = true;
            mark = true;
          } else {
            Integer cmp = ds->CompareBookmarks(ds->GetBookmark(), FSelAnchor);
            if ((dir > 0 && cmp < 0) || (dir < 0 && cmp > 0))
              rows->SetCurrentRowSelected(FRowsSelectToggle ? FSelAnchorState : false);
            else
              mark = true;
          }
        }
        if (ds->MoveBy(dir) == 0) break;
        if (mark) rows->SetCurrentRowSelected(FRowsSelectToggle ? !FSelAnchorState : true);
      }
    } else if (Select && CanSelectType(gstRectangle)) {
      Integer col = SelectedIndex();
      if (FSelection->SelectionType() != gstRectangle) {
        FSelection->Clear();
        FSelection->Rect()->Select(col, ds->GetBookmark(), false);
      }
      if (ToEnd) {
        if (dir > 0) ds->Last();
        else ds->First();
      } else {
        ds->MoveBy(Distance);
      }
      FSelection->Rect()->Select(col, ds->GetBookmark(), true);
    } else if (ToEnd) {
      if (dir > 0) ds->Last();
      else ds->First();
    } else {
      ds->MoveBy(Distance);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  if (FUpdateLock == 0 && HandleAllocated()) Update();
}

void TCustomDBGridEh::MoveCol(Integer GridCol, Integer Direction, bool Select) {
  TDataSet* ds = FDataLink->DataSet();
  Select = Select && !FOptions.Contains(dgRowSelect) && CanSelectType(gstRectangle) && FDataLink->Active() && ds;
  if (Select && FSelection->SelectionType() != gstRectangle) {
    FSelection->Clear();
    FSelection->Rect()->Select(SelectedIndex(), ds->GetBookmark(), false);
  }
  FDataLink->UpdateData();
  Integer first = FIndicatorOffset, last = ColCount() - 1;
  GridCol = std::clamp(GridCol, first, std::max(first, last));
  if (Direction != 0) {
    while (ColWidths(GridCol) <= 0) {
      GridCol += Direction;
      if (GridCol < first || GridCol > last) return;
    }
  }
  if (GridCol != Col()) {
    Integer before = Col();
    if (OnColExit) {
      OnColExit(this);
      if (Col() != before) return;
    }
    if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
    if (!FOptions.Contains(dgRowSelect)) MoveCurrent(GridCol, Row(), true, true);
    TColumnEh* c = CurrentColumn();
    if (c && c->GetCellKind() != cckImage && c->GetCellKind() != cckCheckBox &&
        FOptions.Contains(dgAlwaysShowEditor))
      ShowEditorEh();
    ApplyColumnIme();
    if (OnColEnter) OnColEnter(this);
  }
  if (Select) FSelection->Rect()->Select(SelectedIndex(), ds->GetBookmark(), true);
  if (FIncSearching) StopIncSearch();
}

void TCustomDBGridEh::NextRow(bool Select) {
  TDataSet* ds = FDataLink->DataSet();
  if (!ds) return;
  if (ds->State() == dsInsert && !ds->Modified() && !FDataLink->IsModified()) {
    if (FDataLink->Eof()) return;
    ds->Cancel();
    return;
  }
  if (Select && FKeyShift.Contains(ssShift))
    SelectionMoveBy(Select, 1, !FAllowedSelections.Contains(gstRectangle), false);
  else
    SelectionMoveBy(false, 1, true, false);
  if (ds->Eof() && ds->CanModify() && !FReadOnly && FOptions.Contains(dgEditing) &&
      FAllowedOperations.Contains(alopAppendEh))
    ds->Append();
}

void TCustomDBGridEh::PriorRow(bool Select) {
  TDataSet* ds = FDataLink->DataSet();
  if (!ds) return;
  if (ds->State() == dsInsert && FDataLink->Eof() && !ds->Modified() && !FDataLink->IsModified()) {
    ds->Cancel();
    return;
  }
  if (Select && FKeyShift.Contains(ssShift))
    SelectionMoveBy(Select, -1, !FAllowedSelections.Contains(gstRectangle), false);
  else
    SelectionMoveBy(false, -1, true, false);
}

void TCustomDBGridEh::TabMove(bool Forward) {
  // A tab stop as laid out, and still one now: read-only states may have
  // changed since the last layout.
  auto tabStop = [this](Integer c) {
    Integer i = RawToDataColumn(c);
    if (!TabStops(c) || i < 0 || i >= FColumns->Count()) return false;
    TColumnEh* col = FColumns->Item(i);
    TField* f = col->Field();
    return col->Visible() && !col->ReadOnly() && f && !f->Calculated() && !f->ReadOnly();
  };
  ClearSelection();
  Integer first = FIndicatorOffset, last = ColCount() - 1;
  Integer start = Col(), c = Col();
  BeginUpdate();
  try {
    do {
      c += Forward ? 1 : -1;
      if (c > last) {
        NextRow(false);
        c = first;
      } else if (c < first) {
        PriorRow(false);
        c = last;
      }
      if (c == start) break;
    } while (!tabStop(c));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  MoveCol(c, 0, false);
}

// ---------------------------------------------------------------------------
// Keyboard

void TCustomDBGridEh::KeyDown(Word& Key, TShiftState Shift) {
  FKeyShift = Shift;
  // The numeric pad's * also types a '*', which must not toggle again.
  FNumPadStarDown = Key == VK_MULTIPLY;
  FRowsSelectToggle = Shift.Contains(ssCtrl) || !FOptionsEh.Contains(dghClearSelection);
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
  if (Key == 0) return;
  if (!FDataLink->Active() || !GridAcceptsKey(Key, Shift)) return;
  TDataSet* ds = FDataLink->DataSet();
  TShiftState mods = Modifiers(Shift);
  bool noMods = mods == TShiftState{};
  bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
  bool multi = FOptions.Contains(dgMultiSelect);
  TShortCut sc = ShortCut(Key, Shift);

  // Shortcuts; the key table below still sees the key.
  if (sc == CopyPriorValueShortCut) {
    CopyFromPreviousRecord();
  } else if (sc == IncSearchStartShortCut && FOptionsEh.Contains(dghIncSearch)) {
    if (FIncSearching && FOptionsEh.Contains(dghDialogFind) && IncSearchStartShortCut == FindDialogShortCut) {
      StopIncSearch();
      ExecuteFindDialog(String(), false);
    } else {
      IncSearch(String(), -1, 0);
    }
  } else if (sc == FindDialogShortCut && FOptionsEh.Contains(dghDialogFind)) {
    ExecuteFindDialog(String(), false);
  } else if (FIncSearching) {
    if (noMods && (Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_F2)) {
      StopIncSearch();
    } else if (noMods && Key == VK_BACK) {
      FIncSearchText = DropLastChar(FIncSearchText);
      InvalidateRow(Row());
      IncSearch(String(), FIncSearchInterval, 0);
    } else if (sc == SearchNextShortCut) {
      IncSearch(String(), FIncSearchInterval, 1);
    } else if (sc == SearchPriorShortCut) {
      IncSearch(String(), FIncSearchInterval, -1);
    }
  }

  // Ctrl+Up, or Up on the first record, goes up into the filter row.
  if (Key == VK_UP && !shift && FSTFilter->Visible() && FDataLink->Active() &&
      (ctrl || (FDataLink->ActiveRecord() == 0 && ds->RecNo() <= 1))) {
    EditFilterCell(SelectedIndex());
    if (FFilterEditing) {
      Key = 0;
      return;
    }
  }
  if (ctrl && !shift && (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END || Key == VK_HOME || Key == VK_UP ||
                         Key == VK_DOWN))
    ClearSelection();
  Integer active = FDataLink->ActiveRecord();
  if (ctrl) {
    switch (Key) {
      case VK_PRIOR:
      case VK_UP:
        if (shift && multi) SelectionMoveBy(true, -active, false, false);
        else ds->MoveBy(-active);
        break;
      case VK_NEXT:
      case VK_DOWN: {
        Integer d = FDataLink->RecordCount() - active - 1;
        if (shift && multi) SelectionMoveBy(true, d, false, false);
        else ds->MoveBy(d);
        break;
      }
      case VK_END:
        if (shift && multi) SelectionMoveBy(true, 1, false, true);
        else ds->Last();
        break;
      case VK_HOME:
        if (shift && multi) SelectionMoveBy(true, -1, false, true);
        else ds->First();
        break;
      case VK_LEFT: MoveCol(FIndicatorOffset, 1, false); break;
      case VK_RIGHT: MoveCol(ColCount() - 1, -1, false); break;
      case VK_INSERT:
      case 'C':
        if (CanCopySelection() && FEditActions.Contains(geaCopyEh)) CopyGridSelectionToClipboard(this, false);
        break;
      case VK_DELETE:
        if (FEditActions.Contains(geaDeleteEh) && FSelection->SelectionType() != gstNon) {
          if (CanDeleteSelection()) DeleteGridSelection(this, false);
        } else if (!FReadOnly && !ds->IsEmpty() && ds->CanModify() && FAllowedOperations.Contains(alopDeleteEh) &&
                   ConfirmDelete()) {
          if (FBookmarks->Count() > 0) FBookmarks->DeleteMarkedRecords();
          else ds->Delete();
        }
        break;
      case 'A':
        if (CanSelectAll() && FEditActions.Contains(geaSelectAllEh)) FSelection->SelectAll();
        break;
      case 'V':
        if (FIncSearching)
          IncSearch(Clipboard()->AsText(), FIncSearchInterval, 0);
        else if (CanPasteSelection() && FEditActions.Contains(geaPasteEh))
          PasteClipboardIntoGrid(this, false);
        break;
      case 'X':
        if (CanCutSelection() && FEditActions.Contains(geaCutEh)) CutGridSelectionToClipboard(this, false);
        break;
    }
  } else {
    switch (Key) {
      case VK_TAB:
        if (!Shift.Contains(ssAlt)) TabMove(!shift);
        break;
      case VK_RETURN:
        if (FOptionsEh.Contains(dghEnterAsTab)) TabMove(!shift);
        break;
      case VK_ESCAPE:
        FDataLink->Reset();
        ClearSelection();
        if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
        if (GridState() != gsNormalEh || FDBGridEhState == 6 || FDBGridEhState == 7) Perform(WM_CANCELMODE);
        break;
      case VK_PRIOR:
      case VK_NEXT: {
        Integer page = std::max<Integer>(1, VisibleRowCount());
        Integer d = Key == VK_PRIOR ? -page : page;
        if (shift && multi) {
          SelectionMoveBy(true, d, !FAllowedSelections.Contains(gstRectangle), false);
        } else {
          ClearSelection();
          ds->MoveBy(d);
        }
        break;
      }
      case VK_END:
      case VK_HOME: {
        bool end = Key == VK_END;
        if (FColumns->Count() > 1 && !FOptions.Contains(dgRowSelect)) {
          MoveCol(end ? ColCount() - 1 : FIndicatorOffset, end ? -1 : 1, shift && multi);
        } else if (shift && multi) {
          SelectionMoveBy(true, end ? 1 : -1, false, true);
        } else {
          ClearSelection();
          if (end) ds->Last();
          else ds->First();
        }
        break;
      }
      case VK_LEFT:
      case VK_RIGHT: {
        Integer dir = Key == VK_LEFT ? -1 : 1;
        if (FOptions.Contains(dgRowSelect)) {
          TGridLayoutEh L = Layout();
          if (dir < 0 && LeftCol() > FixedCols()) SetLeftCol(LeftCol() - 1);
          else if (dir > 0 && L.Horz.LastWholeVisibleCell < ColCount() - 1) SetLeftCol(LeftCol() + 1);
        } else if (shift && multi) {
          MoveCol(Col() + dir, dir, true);
        } else {
          ClearSelection();
          MoveCol(Col() + dir, dir, false);
        }
        break;
      }
      case VK_UP: PriorRow(true); break;
      case VK_DOWN: NextRow(true); break;
      case VK_INSERT:
        if (shift) {
          if (FIncSearching)
            IncSearch(Clipboard()->AsText(), FIncSearchInterval, 0);
          else if (CanPasteSelection() && FEditActions.Contains(geaPasteEh))
            PasteClipboardIntoGrid(this, false);
        } else if (ds->CanModify() && !FReadOnly && FOptions.Contains(dgEditing)) {
          ClearSelection();
          if (FAllowedOperations.Contains(alopInsertEh)) ds->Insert();
          else if (FAllowedOperations.Contains(alopAppendEh)) ds->Append();
        }
        break;
      case VK_DELETE:
        if (shift && CanCutSelection() && FEditActions.Contains(geaCutEh)) CutGridSelectionToClipboard(this, false);
        break;
      case VK_F2: SetEditorMode(true); break;
      case VK_MULTIPLY: ToggleCurrentNode(0); break;
      case VK_ADD: ToggleCurrentNode(1); break;
      case VK_SUBTRACT: ToggleCurrentNode(-1); break;
    }
  }
  if (Key == VK_DELETE && !ctrl && !FOptions.Contains(dgRowSelect)) {
    TColumnEh* c = CurrentColumn();
    if (c && (c->GetCellKind() == cckImage || c->GetCellKind() == cckCheckBox)) SetCellToNull();
  }
}

void TCustomDBGridEh::KeyPress(char32_t& Key) {
  if (Key == '*' && TreeOfDataSet()) {
    if (!FNumPadStarDown) ToggleCurrentNode(0);
    FNumPadStarDown = false;
    Key = 0;
    return;
  }
  if (FOptionsEh.Contains(dghEnterAsTab) && Key == 13) Key = 9;
  if (!FOptions.Contains(dgAlwaysShowEditor) && Key == 13) FDataLink->UpdateData();
  TCustomGridEh::KeyPress(Key);
  TInplaceEdit* ed = InplaceEditor();
  bool editorShown = ed && ed->IsWindowShown();
  TDataSet* ds = FDataLink->DataSet();
  // Typing searches while a search runs, where searching is preferred to
  // editing, and in a column that cannot be edited anyway.
  if (Key > 31 &&
      (FIncSearching ||
       (FOptionsEh.Contains(dghPreferIncSearch) && !FOptions.Contains(dgAlwaysShowEditor) && !editorShown) ||
       (FOptionsEh.Contains(dghIncSearch) && !IsColumnEditable(SelectedIndex()))) &&
      FDataLink->Active() && ds && !IsEditMode(ds->State())) {
    String text = FWMCharText.empty() ? Utf8Encode(Key) : FWMCharText;
    IncSearch(text, FIncSearching ? FIncSearchInterval : IncSearchTimeout, 0);
    Key = 0;
  }
}

void TCustomDBGridEh::KeyUp(Word& Key, TShiftState Shift) {
  if (FSortMarkingPending && Key == VK_CONTROL) {
    FSortMarkingPending = false;
    SortMarkingChanged();
  }
  TCustomGridEh::KeyUp(Key, Shift);
}

// ---------------------------------------------------------------------------
// Sorting by titles

void TCustomDBGridEh::SortMarkingChanged() {
  if (!FOptionsEh.Contains(dghAutoSortMarking)) return;
  if (OnSortMarkingChanged) OnSortMarkingChanged(this);
  else ApplySorting();
}

void TCustomDBGridEh::ExecuteFindDialog(const String& Text, bool Modal) {
  if (FCenter) {
    FCenter->ExecuteFindDialog(this, Text, String(), Modal);
  } else {
    InstallDBGridEhFindDialog();
    if (ExecuteDBGridEhFindDialogProc) ExecuteDBGridEhFindDialogProc(this, Text, String(), {}, Modal);
  }
}

void TCustomDBGridEh::ApplySorting() {
  TDataSet* ds = FDataLink->DataSet();
  if (!FDataLink->Active() || !ds) return;
  // The dataset features of the dataset's class sort it; a dataset of a
  // family without features is sorted through its own Sort.
  if (FCenter && FCenter->HandlesSorting(this)) {
    FCenter->ApplySorting(this);
    return;
  }
  String sort;
  for (Integer i = 0; i < FSortMarkedColumns.Count(); ++i) {
    TColumnEh* c = FSortMarkedColumns[i];
    if (c->Title()->SortMarker() == smNoneEh || !c->Field()) continue;
    if (!sort.empty()) sort += ", ";
    sort += "[" + c->Field()->FieldName() + "]";
    if (c->Title()->SortMarker() == smUpEh) sort += " DESC";
  }
  ds->SetSort(sort);
}

// ---------------------------------------------------------------------------
// Mouse

bool TCustomDBGridEh::CheckTitleButton(Integer DataCol) {
  if (DataCol < 0 || DataCol >= FColumns->Count()) return false;
  TColumnEh* c = FColumns->Item(DataCol);
  bool enabled = c->Title()->TitleButton();
  if (OnCheckButton) OnCheckButton(this, DataToRawColumn(DataCol), c, enabled);
  return enabled;
}

void TCustomDBGridEh::UpdateTitlePressed(Integer X, Integer Y) {
  bool pressed = false;
  if (FPressedTitleCol >= 0 && X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight()) {
    TGridCoord cell = CellAtPoint(X, Y);
    pressed = cell.X == FPressedTitleCol && cell.Y == 0;
    // A multi-line title presses only in its column's own (leaf) part.
    if (pressed && FUseMultiTitle)
      if (THeadTreeNode* leaf = LeafOfColumn(RawToDataColumn(cell.X)))
        pressed = Y > CellClientRect(cell.X, 0).Bottom - leaf->Height;
  }
  if (pressed != FTitlePressed) {
    FTitlePressed = pressed;
    InvalidateRow(0);
  }
}

void TCustomDBGridEh::CancelMouseTracking() {
  if (!FTrackingMouse) return;
  if (FDBGridEhState == 7) EndRecordMoving(false);
  StopTimer();
  FRowSelecting = false;
  UpdateTitlePressed(-1, -1);
  FTrackingMouse = false;
  SetMouseCapture(false);
  FPressedTitleCol = -1;
  FRectSelecting = false;
  FDBGridEhState = 0;
}

// The selection cursors: over the indicator where a press selects records,
// over the foot of a title where it selects the column; none over a sizing
// zone or where a press would start moving records.
HCURSOR TCustomDBGridEh::SelectCursorAt(Integer X, Integer Y) {
  if (!FDataLink->Active() || !FOptions.Contains(dgMultiSelect)) return nullptr;
  if (X < 0 || Y < 0 || X >= ClientWidth() || Y >= ClientHeight()) return nullptr;
  TGridStateEh sizing = gsNormalEh;
  Integer index, pos, ofs;
  DetectSizingState(X, Y, Layout(), sizing, index, pos, ofs);
  if (sizing != gsNormalEh || CheckBeginRecordMoving(X, Y, true)) return nullptr;
  TGridCoord cell = CellAtPoint(X, Y);
  if (cell.X >= 0 && cell.X < FIndicatorOffset && cell.Y >= FTitleOffset) {
    TDataSet* ds = FDataLink->DataSet();
    if (ds && !ds->IsEmpty() && FAllowedSelections.Contains(gstRecordBookmarks))
      return RowSelectCursorEh(UseRightToLeftAlignment());
    return nullptr;
  }
  return IsColumnSelectZone(X, Y) ? ColumnSelectCursorEh() : nullptr;
}

// The lowest 7 pixels of a first-row title (the whole title when lower)
// select columns where columns may be selected.
bool TCustomDBGridEh::IsColumnSelectZone(Integer X, Integer Y) {
  if (FOptions.Contains(dgRowSelect) || !CanSelectType(gstColumns) || TitleRowCount() == 0) return false;
  TGridCoord cell = CellAtPoint(X, Y);
  if (cell.Y != 0 || cell.X < FIndicatorOffset || cell.X >= ColCount()) return false;
  TRect r = CellClientRect(cell.X, 0);
  return r.Height() < 7 || Y >= r.Bottom - 7;
}

void TCustomDBGridEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbRight) SetMouseCapture(true);
  FCheckPressCol = FCheckPressRow = -1;
  FPressPoint = TPoint(X, Y);
  FMousePos = FPressPoint;
  if (!AcquireFocus()) return;
  TGridCoord cell = CellAtPoint(X, Y);
  // A press on a filter cell edits it; a press anywhere else leaves the
  // filter row.
  if (FSTFilter->Visible() && cell.Y == FTitleOffset - 1 && cell.X >= FIndicatorOffset && Button == mbLeft) {
    EditFilterCell(RawToDataColumn(cell.X));
    return;
  }
  if (FFilterEditing) LeaveFilterRow();
  Integer dataCol = RawToDataColumn(cell.X);
  TColumnEh* column = dataCol >= 0 && dataCol < FColumns->Count() ? FColumns->Item(dataCol) : nullptr;
  bool onDataRow = cell.Y >= FTitleOffset && cell.Y < RowCount();
  auto isCheckOrImage = [](TColumnEh* c) {
    return c && (c->GetCellKind() == cckCheckBox || c->GetCellKind() == cckImage);
  };

  if (Button == mbLeft && Shift.Contains(ssDouble)) {
    // A double click on a column's sizing edge fits the column to its data.
    if (FOptionsEh.Contains(dghDblClickOptimizeColWidth)) {
      TGridStateEh state;
      Integer index, pos, ofs;
      DetectSizingState(X, Y, Layout(), state, index, pos, ofs);
      Integer sized = RawToDataColumn(index);
      if (state == gsColSizingEh && sized >= 0 && sized < FColumns->Count()) {
        OptimizeColumnWidth(FColumns->Item(sized));
        TCustomControl::MouseDown(Button, Shift, X, Y);
        return;
      }
    }
    if (onDataRow && isCheckOrImage(column) && column->DblClickNextVal() && FDataLink->Active())
      column->StepCellValue(Shift.Contains(ssShift) ? -1 : 1);
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  // Sizing zones of the base grid, then the frozen columns' own.
  {
    TGridStateEh state;
    Integer index, pos, ofs;
    DetectSizingState(X, Y, Layout(), state, index, pos, ofs);
    bool trace = FOptionsEh.Contains(dghTraceColSizing);
    if (state != gsNormalEh) {
      FDataLink->UpdateData();
      if (trace && Button == mbLeft && state == gsColSizingEh) {
        // The column follows the mouse as it moves (no sizing line).
        FGridState = gsColSizingEh;
        FSizingIndex = index;
        FSizingPos = pos;
        FSizingOfs = ofs;
        return;
      }
      TCustomGridEh::MouseDown(Button, Shift, X, Y);
      return;
    }
    Integer o, p, c, s;
    SizingHitTest(X, Y, o, p, c, s);
    if (s == 6 && Button == mbLeft) {
      FDataLink->UpdateData();
      FDBGridEhState = 6;
      FFrozenSizingCol = c;
      FFrozenSizingPos = p;
      FFrozenSizingOfs = o;
      FTrackingMouse = true;
      SetMouseCapture(true);
      if (!trace) DrawSizingLineEh();
      return;
    }
  }
  if (column && !IsDesigning() && IsColumnSelectZone(X, Y)) {
    InvalidateCol(cell.X);
    FDBGridEhState = 2;
    FTrackingMouse = true;
    StartTimer(60);
    if (Shift.Contains(ssShift)) {
      FSelection->Columns()->ExtendTo(column);
    } else if (Shift.Contains(ssCtrl)) {
      FSelection->Columns()->InvertColumn(column);
    } else {
      Invalidate();
      FSelection->Columns()->SelectColumn(column, false);
    }
    return;
  }
  if (cell.Y >= 0 && cell.Y < TitleRowCount()) {
    if (column && !IsDesigning()) {
      if (Button == mbRight && FOptions.Contains(dgColumnResize)) {
        FRightAsLeft = true;
        FDataLink->UpdateData();
        TCustomGridEh::MouseDown(mbLeft, Shift, X, Y);
        return;
      }
      if (Button == mbLeft && CheckTitleButton(dataCol)) {
        SetMouseCapture(true);
        FTrackingMouse = true;
        FPressedTitleCol = cell.X;
        UpdateTitlePressed(X, Y);
        return;
      }
    }
    if (IsDesigning() || FOptions.Contains(dgColumnResize)) {
      FDataLink->UpdateData();
      Canvas()->Pen()->SetColor(TColor(RGB(192, 192, 192)));
      TCustomGridEh::MouseDown(Button, Shift, X, Y);
      return;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (!onDataRow || cell.X < 0) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (!FDataLink->Active()) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (CheckBeginRecordMoving(X, Y, false) || CheckTreeNodeClick(X, Y, false)) return;
  bool wasCurrent = cell.X == Col() && cell.Y == Row();
  TDataSet* ds = FDataLink->DataSet();
  bool shift = Shift.Contains(ssShift), ctrl = Shift.Contains(ssCtrl);
  bool indicator = cell.X < FIndicatorOffset;
  bool rowSelect = FOptions.Contains(dgRowSelect), multi = FOptions.Contains(dgMultiSelect);
  bool clearing = FOptionsEh.Contains(dghClearSelection);
  BeginUpdate();
  try {
    FDataLink->UpdateData();
    HideEditor();
    Integer oldDataCol = SelectedIndex(), oldRow = Row();
    TBookmark oldBookmark = ds->GetBookmark();
    FInLocate = true;
    bool rowsByShift = shift && multi && (rowSelect || indicator);
    if (cell.Y != Row() && !rowsByShift) ds->MoveBy(cell.Y - Row());
    FInLocate = false;
    if (column) MoveCol(cell.X, 0, false);
    if (FDragSelectedRows && !shift && Button == mbLeft && column && FBookmarks->CurrentRowSelected()) {
      // A press on a selected record may become a drag of the selection.
      FDragPending = true;
    } else {
      if (!indicator && (!multi || !rowSelect)) {
        FTrackingMouse = true;
        FRectSelecting = true;
        if (!ctrl && !shift && clearing) {
          if (Button == mbLeft) ClearSelection();
          else if (!FSelection->IsCellSelected(dataCol, ds->GetBookmark())) ClearSelection();
        }
        if (column && CanSelectType(gstRectangle) && Button == mbLeft && !ds->IsEmpty()) {
          if (shift) {
            if (FSelection->SelectionType() != gstRectangle) {
              FSelection->Clear();
              FSelection->Rect()->Select(oldDataCol, oldBookmark, false);
            }
            FSelection->Rect()->Select(dataCol, ds->GetBookmark(), true);
          } else {
            FSelection->Rect()->Select(dataCol, ds->GetBookmark(), false);
          }
          FDBGridEhState = 3;
        }
      }
      if (CanSelectType(gstRecordBookmarks) && (rowSelect || indicator || !CanSelectType(gstRectangle))) {
        bool anchorKept = FSelAnchorSet;
        FSelAnchorSet = false;
        if (shift && cell.Y != oldRow) {
          FSelAnchorSet = anchorKept;
          FRowsSelectToggle = true;
          SelectionMoveBy(true, cell.Y - oldRow, true, false);
        } else if ((ctrl || !clearing) && Button == mbLeft) {
          FBookmarks->SetCurrentRowSelected(!FBookmarks->CurrentRowSelected());
        } else if (Button == mbLeft) {
          if (clearing) ClearSelection();
          FBookmarks->SetCurrentRowSelected(true);
        }
        if (rowSelect || !CanSelectType(gstRectangle) || indicator) {
          FRowSelecting = true;
          FTrackingMouse = true;
          FSelAnchor = ds->GetBookmark();
          FSelAnchorState = !FBookmarks->CurrentRowSelected();
          FSelAnchorSet = true;
          FRowsSelectToggle = ctrl || !clearing;
          FDBGridEhState = 1;
        }
      }
    }
  } catch (...) {
    FInLocate = false;
    EndUpdate();
    throw;
  }
  EndUpdate();
  if (Button == mbLeft && IsEditorAlwaysShown()) ShowEditorEh();
  if (Button == mbRight || cell.X < FIndicatorOffset) {
    RefreshEditorPlacement();
  } else if (column) {
    TRect r = CellClientRect(cell.X, cell.Y);
    Integer bw = column->EditButtonsAreaWidth();
    bool inButtons = bw > 0 && X >= r.Right - bw;
    if (FOptions.Contains(dgAlwaysShowEditor) || inButtons || wasCurrent) ShowEditorEh();
    TInplaceEdit* ed = InplaceEditor();
    if (inButtons && ed && ed->IsWindowShown()) {
      CancelMouseTracking();
      POINT sp{X, Y};
      ::ClientToScreen(Handle(), &sp);
      HWND target = WindowFromPoint(sp);
      if (target && target != Handle()) {
        POINT cp = sp;
        ::ScreenToClient(target, &cp);
        SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cp.x, cp.y));
      }
    }
    if (isCheckOrImage(column)) {
      FCheckPressCol = cell.X;
      FCheckPressRow = cell.Y;
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomDBGridEh::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  FMousePos = TPoint(X, Y);
  FLastShift = Shift;
  if (FOptionsEh.Contains(dghTraceColSizing) && (GridState() == gsColSizingEh || FDBGridEhState == 6)) {
    bool frozen = FDBGridEhState == 6;
    Integer index = frozen ? FFrozenSizingCol : FSizingIndex;
    Integer pos = X + (frozen ? FFrozenSizingOfs : FSizingOfs);
    if (index >= 0 && index < ColCount()) {
      Integer left = CellClientRect(index, 0).Left;
      SetColWidths(index, std::max<Integer>(pos - left, 1));
    }
    TCustomControl::MouseMove(Shift, X, Y);
    return;
  }
  if (FDragPending) {
    FDragPending = false;
    BeginDrag(false);
    return;
  }
  if (FTrackingMouse && FPressedTitleCol >= 0) {
    UpdateTitlePressed(X, Y);
    if (FDBGridEhState != 5 && std::abs(X - FPressPoint.X) > 3 && FOptions.Contains(dgColumnResize)) {
      // A title button dragged away becomes a column move.
      CancelMouseTracking();
      if (GetKeyState(VK_LBUTTON) < 0 || Shift.Contains(ssLeft)) SetMouseCapture(true);
      Canvas()->Pen()->SetColor(TColor(RGB(192, 192, 192)));
      TCustomGridEh::MouseDown(mbLeft, Shift, FPressPoint.X, FPressPoint.Y);
    }
  }
  if ((FRowSelecting || FRectSelecting || FDBGridEhState == 3) && FDataLink->Active()) {
    // Dragging a selection: the records and columns under the mouse join it.
    TRect box = GetDataBox();
    TPoint p(std::clamp<Integer>(X, 0, std::max<Integer>(0, ClientWidth() - 1)),
             std::clamp<Integer>(Y, 0, std::max<Integer>(0, ClientHeight() - 1)));
    TGridCoord cell = CellAtPoint(p.X, p.Y);
    bool moved = p.X != FPressPoint.X || p.Y != FPressPoint.Y;
    if (p.Y >= box.Top && p.Y < box.Bottom && cell.Y >= FTitleOffset && cell.Y != Row() &&
        cell.Y < FTitleOffset + FDataLink->RecordCount())
      SelectionMoveBy(moved && Shift.Contains(ssLeft), cell.Y - Row(), FDBGridEhState != 3, false);
    if (FRectSelecting && p.X >= box.Left && p.X < box.Right && cell.X >= FIndicatorOffset && cell.X != Col()) {
      MoveCol(cell.X, cell.X > Col() ? 1 : -1, false);
      if (FDBGridEhState == 3 && FSelection->SelectionType() == gstRectangle)
        FSelection->Rect()->Select(SelectedIndex(), FDataLink->DataSet()->GetBookmark(), true);
    }
    FLastShift = Shift;
    AutoScrollStep();
  } else if (FDBGridEhState == 2) {
    TRect box = GetDataBox();
    if (X < box.Left || X >= box.Right) {
      AutoScrollStep();
    } else {
      Integer dataCol = RawToDataColumn(CellAtPoint(X, 0).X);
      if (dataCol >= 0 && dataCol < FColumns->Count()) FSelection->Columns()->ExtendTo(FColumns->Item(dataCol));
    }
  }
  if (FDBGridEhState == 6) {
    DrawSizingLineEh();
    FFrozenSizingPos = X + FFrozenSizingOfs;
    DrawSizingLineEh();
  } else if (FDBGridEhState == 7) {
    TGridCoord cell = CellAtPoint(X, Y);
    if (cell.Y >= FTitleOffset && cell.Y <= RowCount()) TrackRecordMoving(TPoint(X, Y), false);
  }
  TCustomGridEh::MouseMove(Shift, X, Y);
}

void TCustomDBGridEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (FOptionsEh.Contains(dghTraceColSizing) && (GridState() == gsColSizingEh || FDBGridEhState == 6)) {
    // The width was taken while the mouse moved.
    FGridState = gsNormalEh;
    if (FDBGridEhState == 6) {
      FDBGridEhState = 0;
      FFrozenSizingCol = -1;
      CancelMouseTracking();
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
    return;
  }
  if (FDBGridEhState == 6) {
    DrawSizingLineEh();
    Integer left = 0;
    Integer line = FOptions.Contains(dgColLines) ? GridLineWidth() : 0;
    for (Integer i = 0; i < FFrozenSizingCol; ++i) left += ColWidths(i) + line;
    Integer w = FFrozenSizingPos - left;
    if (w > 1 && FFrozenSizingCol >= 0) SetColWidths(FFrozenSizingCol, w);
    FFrozenSizingCol = -1;
  } else if (FDBGridEhState == 7) {
    EndRecordMoving(true);
  }
  if (FDragPending) {
    FDragPending = false;
    if (Shift.Contains(ssCtrl) && FOptions.Contains(dgRowSelect))
      FBookmarks->SetCurrentRowSelected(!FBookmarks->CurrentRowSelected());
    else if (FOptionsEh.Contains(dghClearSelection))
      ClearSelection();
  }
  Integer state = FDBGridEhState;
  FDBGridEhState = 0;
  TGridStateEh baseState = GridState();
  if (FTrackingMouse && FPressedTitleCol >= 0) {
    Integer pressed = FPressedTitleCol;
    bool counts = false;
    if (X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight()) {
      TGridCoord cell = CellAtPoint(X, Y);
      counts = cell.X == pressed && cell.Y == 0;
    }
    CancelMouseTracking();
    Integer dataCol = RawToDataColumn(pressed);
    if (counts && dataCol >= 0 && dataCol < FColumns->Count()) {
      TColumnEh* c = FColumns->Item(dataCol);
      if (OnTitleBtnClick) OnTitleBtnClick(this, pressed, c);
      bool ctrl = Shift.Contains(ssCtrl);
      FSortMarkingPending = ctrl;
      if (FOptionsEh.Contains(dghAutoSortMarking)) {
        c->Title()->ToggleSortMarker(ctrl && FOptionsEh.Contains(dghMultiSortMarking));
        if (!ctrl) SortMarkingChanged();
      }
      if (!FOptionsEh.Contains(dghAutoSortMarking)) FSortMarkingPending = false;
    }
  } else if (FTrackingMouse) {
    CancelMouseTracking();
  }
  if (FRightAsLeft) {
    FRightAsLeft = false;
    SetMouseCapture(false);
    Button = mbLeft;
  }
  if (state != 0) StopTimer();
  // A dragged row height becomes the height of every row.
  FRowSizingDone = baseState == gsRowSizingEh;
  try {
    TCustomGridEh::MouseUp(Button, Shift, X, Y);
  } catch (...) {
    FRowSizingDone = false;
    throw;
  }
  FRowSizingDone = false;
  if (baseState == gsRowSizingEh || baseState == gsColSizingEh || state == 6) return;
  if (Button != mbLeft || Shift.Contains(ssDouble)) return;
  TGridCoord cell = CellAtPoint(X, Y);
  Integer dataCol = RawToDataColumn(cell.X);
  if (dataCol < 0 || dataCol >= FColumns->Count() || cell.Y < 0) return;
  TColumnEh* c = FColumns->Item(dataCol);
  if (cell.Y < TitleRowCount()) {
    if (OnTitleClick) OnTitleClick(this, cell.X, c);
  } else if (cell.Y >= FTitleOffset && cell.Y < FTitleOffset + RecordCountInView() &&
             !CheckTreeNodeClick(X, Y, true)) {
    if (OnCellClick) OnCellClick(c);
    if (cell.X == FCheckPressCol && cell.Y == FCheckPressRow && !c->DblClickNextVal() &&
        (c->GetCellKind() == cckCheckBox || c->GetCellKind() == cckImage) && c->CanModifyCell(true))
      c->StepCellValue(Shift.Contains(ssShift) ? -1 : 1);
  }
}

void TCustomDBGridEh::StepAnchor(Integer Directions) {
  if (FDataLink->Active() && (Directions & (sdUpEh | sdDownEh))) {
    TDataSet* ds = FDataLink->DataSet();
    if (Directions & sdUpEh) ds->MoveBy(-FDataLink->ActiveRecord() - 1);
    else ds->MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord());
  }
  if (Directions & (sdLeftEh | sdRightEh)) TCustomGridEh::StepAnchor(Directions & (sdLeftEh | sdRightEh));
}

// ---------------------------------------------------------------------------
// Sizing zones

void TCustomDBGridEh::DetectSizingState(Integer X, Integer Y, const TGridLayoutEh& L, TGridStateEh& State,
                                        Integer& Index, Integer& SizingPos, Integer& SizingOfs) {
  TCustomGridEh::DetectSizingState(X, Y, L, State, Index, SizingPos, SizingOfs);
  if (State == gsColSizingEh) {
    const TGridAxisLayoutEh& H = L.Horz;
    if (Index >= H.AxisCellCount) Index = H.AxisCellCount - 1;
    if (H.FirstScrollCell == H.LastWholeVisibleCell && H.CellsEnd < H.ExtentOf(H.FirstScrollCell) + H.FixedEnd &&
        Index > H.FirstScrollCell && H.ContraCellCount == 0)
      Index = H.FirstScrollCell;
  } else if (State == gsRowSizingEh) {
    Integer fixedW = 0;
    for (Integer i = 0; i < FixedCols(); ++i) fixedW += ColWidths(i) + L.Horz.LineWidth;
    if (X >= fixedW) {
      State = gsNormalEh;
      Index = -1;
    }
  }
}

void TCustomDBGridEh::SizingHitTest(Integer X, Integer Y, Integer& Offset, Integer& Position, Integer& Column,
                                    Integer& State) {
  State = 0;
  Column = -1;
  TGridEhOptions opts = GridOptions();
  if (IsDesigning()) opts += DesignSizingOptions();
  if (!opts.Contains(geoColSizing)) return;
  TGridLayoutEh L = Layout();
  Integer titlesH = 0;
  for (Integer i = 0; i < FTitleOffset && i < RowCount(); ++i) titlesH += RowHeights(i) + L.Vert.LineWidth;
  if (Y < 0 || Y >= titlesH) return;
  Integer lw = L.Horz.LineWidth;
  Integer f = lw <= 6 ? (7 - lw) / 2 : 0;
  Integer gridW = L.Horz.CellsEnd;
  Integer right = 0;
  for (Integer i = 0; i < FIndicatorOffset; ++i) right += ColWidths(i) + lw;
  bool cut = false;
  for (Integer i = FIndicatorOffset; i < FixedCols(); ++i) {
    Integer r = right + ColWidths(i);
    if (r > gridW) {
      Column = i;
      cut = true;
      break;
    }
    if (X >= r - f && X <= r + std::max<Integer>(lw, 7) - f) {
      State = 6;
      Position = r;
      Offset = r - X;
      Column = i;
      return;
    }
    right = r + lw;
  }
  if (cut && gridW == ClientWidth() && X >= ClientWidth() - f && X <= ClientWidth()) {
    State = 6;
    Position = ClientWidth();
    Offset = ClientWidth() - X;
  }
}

bool TCustomDBGridEh::IsOverSizingZone(Integer X, Integer Y) {
  if (FDBGridEhState != 0) return true;
  Integer o, p, c, s;
  SizingHitTest(X, Y, o, p, c, s);
  return s == 6;
}

void TCustomDBGridEh::DrawSizingLineEh() {
  if (!HandleAllocated()) return;
  TCanvas* c = Canvas();
  TPen saved;
  saved.Assign(c->Pen());
  c->Pen()->SetStyle(psDot);
  c->Pen()->SetMode(pmXor);
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(clWhite);
  c->MoveTo(FFrozenSizingPos, 0);
  c->LineTo(FFrozenSizingPos, ClientHeight());
  c->Pen()->Assign(&saved);
}

// ---------------------------------------------------------------------------
// Scrolling, wheel and timers

bool TCustomDBGridEh::DoMouseWheelDown(TShiftState, TPoint) {
  if (FDataLink->Active()) FDataLink->DataSet()->MoveBy(1);
  return true;
}

bool TCustomDBGridEh::DoMouseWheelUp(TShiftState, TPoint) {
  if (FDataLink->Active()) FDataLink->DataSet()->MoveBy(-1);
  return true;
}

void TCustomDBGridEh::StartTimer(Integer Interval) {
  if (!HandleAllocated()) return;
  if (!FAutoScrollTimerOn || FAutoScrollInterval != Interval) {
    if (FAutoScrollTimerOn) KillTimer(Handle(), kAutoScrollTimer);
    SetTimer(Handle(), kAutoScrollTimer, UINT(Interval), nullptr);
    FAutoScrollInterval = Interval;
  }
  FAutoScrollTimerOn = true;
}

void TCustomDBGridEh::StopTimer() {
  if (!FAutoScrollTimerOn) return;
  if (HandleAllocated()) KillTimer(Handle(), kAutoScrollTimer);
  FAutoScrollTimerOn = false;
  FAutoScrollInterval = -1;
}

void TCustomDBGridEh::StartIncSearchTimer() {
  if (FIncSearchTimerOn) StopIncSearchTimer();
  if (FIncSearchInterval >= 0 && HandleAllocated()) {
    SetTimer(Handle(), kIncSearchTimer, UINT(FIncSearchInterval), nullptr);
    FIncSearchTimerOn = true;
  }
}

void TCustomDBGridEh::StopIncSearchTimer() {
  if (FIncSearchTimerOn && HandleAllocated()) KillTimer(Handle(), kIncSearchTimer);
  FIncSearchTimerOn = false;
}

TRect TCustomDBGridEh::GetDataBox() {
  TGridLayoutEh L = Layout();
  Integer left = 0;
  for (Integer i = 0; i < FIndicatorOffset; ++i) left += ColWidths(i) + L.Horz.LineWidth;
  return TRect(left, L.Vert.FixedEnd, L.Horz.CellsEnd, L.Vert.CellsEnd);
}

void TCustomDBGridEh::AutoScrollStep() {
  TRect box = GetDataBox();
  if (FDBGridEhState == 2) {
    // Selecting columns: the view scrolls a column at a time towards the
    // mouse and the selection follows.
    TPoint p = CursorClientPos();
    TGridLayoutEh L = Layout();
    Integer over = 0;
    if (p.X >= box.Right) {
      over = p.X - box.Right;
      if (L.Horz.LastWholeVisibleCell < ColCount() - 1) SetLeftCol(LeftCol() + 1);
      Integer dataCol = RawToDataColumn(Layout().Horz.LastWholeVisibleCell);
      if (dataCol >= 0 && dataCol < FColumns->Count()) FSelection->Columns()->ExtendTo(FColumns->Item(dataCol));
    } else if (p.X < box.Left) {
      over = box.Left - p.X;
      if (LeftCol() > FixedCols()) {
        SetLeftCol(LeftCol() - 1);
        Integer dataCol = RawToDataColumn(LeftCol());
        if (dataCol >= 0 && dataCol < FColumns->Count()) FSelection->Columns()->ExtendTo(FColumns->Item(dataCol));
      }
    } else {
      StopTimer();
      return;
    }
    StartTimer(std::max<Integer>(0, 200 - 10 * over));
    return;
  }
  TPoint p = FMousePos;
  Integer v = p.Y >= box.Bottom ? 1 : p.Y < box.Top ? -1 : 0;
  Integer h = p.X < box.Left ? -1 : p.X >= box.Right ? 1 : 0;
  Integer dv = v > 0 ? p.Y - box.Bottom : v < 0 ? box.Top - p.Y : 0;
  Integer dh = h > 0 ? p.X - box.Right : h < 0 ? box.Left - p.X : 0;
  Integer d = std::max(dv, dh);
  if (v == 0 && h == 0) {
    StopTimer();
    return;
  }
  Integer step = std::min<Integer>(d / 6, 8);
  BeginUpdate();
  try {
    if (v != 0 && FDBGridEhState != 3) SelectionMoveBy(FLastShift.Contains(ssLeft), v * step, true, false);
    if (h != 0 && FRectSelecting) {
      Integer target = Col() + h;
      if (target >= FIndicatorOffset && target < ColCount() && !FRowSelecting) MoveCol(target, h, false);
    }
    if (FDBGridEhState == 3) {
      TDataSet* ds = FDataLink->DataSet();
      if (v != 0) ds->MoveBy(v * step);
      if (FSelection->SelectionType() == gstRectangle)
        FSelection->Rect()->Select(SelectedIndex(), ds->GetBookmark(), true);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  if (FUpdateLock == 0) Invalidate();
  StartTimer(std::max<Integer>(0, 200 - 15 * d));
}

void TCustomDBGridEh::SaveViewPosition() {
  TDataSet* ds = FDataLink->DataSet();
  if (!ds) return;
  Integer count = FDataLink->RecordCount();
  FSavedPositionOffset = FDataLink->ActiveRecord() + ((count + 1) % 2) - count / 2;
  ds->MoveBy(-FSavedPositionOffset);
  FSavedPositionBookmark = ds->GetBookmark();
  ds->MoveBy(FSavedPositionOffset);
}

void TCustomDBGridEh::RestoreViewPosition() {
  TDataSet* ds = FDataLink->DataSet();
  if (!ds || FSavedPositionBookmark.empty() || !ds->BookmarkValid(FSavedPositionBookmark)) return;
  ds->GotoBookmark(FSavedPositionBookmark);
  ds->MoveBy(FSavedPositionOffset);
}

// ---------------------------------------------------------------------------
// Incremental search

bool TCustomDBGridEh::LocateText(const String& FieldName, const String& Text, TLocateTextOptionsEh Options,
                                 TLocateTextDirectionEh Direction, TLocateTextMatchingEh Matching,
                                 TLocateTextTreeFindRangeEh TreeFindRange) {
  TDBGridEhCenter* center = Center() ? Center() : GetGridEhCenter();
  BeginWaitCursor();
  bool found;
  try {
    found = center->LocateText(this, FieldName, Text, Options, Direction, Matching, TreeFindRange);
  } catch (...) {
    EndWaitCursor();
    throw;
  }
  EndWaitCursor();
  return found;
}

void TCustomDBGridEh::IncSearch(const String& Text, Integer Timeout, Integer Direction) {
  if (!FDataLink->Active()) return;
  String newText = FIncSearchText + Text;
  String old = FIncSearchText;
  bool found = false;
  if (!newText.empty()) {
    LockPaint();
    try {
      // Typed text searches from the first record; next and previous step
      // on from the current one.
      TLocateTextDirectionEh dir = Direction > 0 ? ltdDownEh : Direction < 0 ? ltdUpEh : ltdAllEh;
      found = LocateText(String(), newText, {ltoCaseInsensitiveEh, ltoMatchFormatEh, ltoStopOnEscape}, dir,
                         ltmFromBegining);
      if (found)
        if (TColumnEh* c = CurrentColumn()) newText = TextPrefixEh(c->CellDisplayText(), Integer(newText.size()));
    } catch (...) {
      UnlockPaint();
      throw;
    }
    UnlockPaint();
  }
  HideEditor();
  FIncSearching = true;
  FIncSearchText = found ? newText : old;
  InvalidateRow(Row());
  FIncSearchInterval = Timeout;
  StartIncSearchTimer();
}

void TCustomDBGridEh::StopIncSearch() {
  StopIncSearchTimer();
  FIncSearching = false;
  FIncSearchText.clear();
  InvalidateRow(Row());
  if (FOptions.Contains(dgAlwaysShowEditor) && IsEditorAlwaysShown()) ShowEditorEh();
}

// ---------------------------------------------------------------------------
// Window messages

void TCustomDBGridEh::ApplyDeferredResize() {
  FResizePending = false;
  if (!HandleAllocated()) return;
  UpdateRowCount();
  UpdateVertScrollBar();
}

void TCustomDBGridEh::CreateParams(TCreateParams& Params) {
  TCustomGridEh::CreateParams(Params);
  if (!FOwnImeTaken) {
    FOwnImeMode = ImeMode();
    FOwnImeName = ImeName();
    FOwnImeTaken = true;
  }
  if (Flat() && Ctl3D()) {
    Params.Style &= ~DWORD(WS_BORDER);
    Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
    FFrameWidth = BorderStyle() == bsSingle ? 1 : 0;
  } else {
    FFrameWidth = 0;
  }
  Params.Style |= WS_CLIPCHILDREN;
}

void TCustomDBGridEh::PaintFlatFrame() {
  if (FFrameWidth <= 0 || !HandleAllocated()) return;
  HDC dc = GetWindowDC(Handle());
  RECT r;
  GetWindowRect(Handle(), &r);
  OffsetRect(&r, -r.left, -r.top);
  HBRUSH b = CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW));
  FrameRect(dc, &r, b);
  DeleteObject(b);
  ReleaseDC(Handle(), dc);
}

void TCustomDBGridEh::FlatChanged() {
  FTitleTextInset = Flat() ? 2 : 4;
  if (HandleAllocated()) RecreateWnd();
  LayoutChanged();
}

void TCustomDBGridEh::WndProc(TMessage& Message) {
  // With automatic dragging and several records to drag, a press first
  // selects; the drag starts when the mouse moves (FDragPending).
  bool press = Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK;
  if (press && DragMode() == dmAutomatic && FOptions.Contains(dgMultiSelect) && !IsDesigning()) {
    SetDragMode(dmManual);
    FDragSelectedRows = true;
    struct TRestore {
      TCustomDBGridEh* G;
      ~TRestore() {
        G->FDragSelectedRows = false;
        G->SetDragMode(dmAutomatic);
      }
    } restore{this};
    TCustomGridEh::WndProc(Message);
    return;
  }
  TCustomGridEh::WndProc(Message);
}

bool TCustomDBGridEh::DispatchInput(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CHAR: {
      char32_t ch = char32_t(Message.WParam);
      bool surrogate = ch >= 0xD800 && ch < 0xE000;
      FWMCharText = surrogate ? String() : Utf8Encode(ch);
      struct TClear {
        String& S;
        ~TClear() { S.clear(); }
      } clear{FWMCharText};
      TColumnEh* c = CurrentColumn();
      TDataSet* ds = FDataLink->DataSet();
      TInplaceEdit* ed = InplaceEditor();
      bool editorShown = ed && ed->IsWindowShown();
      if (c && (c->GetCellKind() == cckImage || c->GetCellKind() == cckCheckBox) && ch == ' ' &&
          !FOptions.Contains(dgRowSelect)) {
        char32_t k = ch;
        if (OnKeyPress) OnKeyPress(this, k);
        if (k == ' ' && FDataLink->Active()) c->StepCellValue(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
        return true;
      }
      if (TreeOfDataSet() && (ch == '*' || ch == '+' || ch == '-')) {
        TCustomControl::Dispatch(Message);   // the tree keys, no editor
        return true;
      }
      bool searching = FIncSearching ||
                       (FOptionsEh.Contains(dghIncSearch) && !IsColumnEditable(SelectedIndex())) ||
                       (FOptionsEh.Contains(dghPreferIncSearch) && !FOptions.Contains(dgAlwaysShowEditor) &&
                        !editorShown);
      if (searching && (ch >= 32 || ch == 8) && FDataLink->Active() && ds && !IsEditMode(ds->State())) {
        TCustomControl::Dispatch(Message);   // key-press handling only: no editor opens
        return true;
      }
      TCustomGridEh::Dispatch(Message);
      return true;
    }
    case WM_VSCROLL: {
      if (Message.LParam != 0) return false;
      if (!AcquireFocus()) return true;
      Message.Result = 0;
      if (!FDataLink->Active()) return true;
      TDataSet* ds = FDataLink->DataSet();
      Integer active = FDataLink->ActiveRecord(), count = FDataLink->RecordCount();
      Integer page = std::max<Integer>(1, VisibleRowCount());
      switch (LOWORD(Message.WParam)) {
        case SB_LINEUP: ds->MoveBy(-active - 1); break;
        case SB_LINEDOWN: ds->MoveBy(count - active); break;
        case SB_PAGEUP: ds->MoveBy(-page); break;
        case SB_PAGEDOWN: ds->MoveBy(page); break;
        case SB_THUMBPOSITION: {
          if (FThumbTracked) {
            FThumbTracked = false;
            break;
          }
          if (!ds->IsSequenced()) {
            switch (HIWORD(Message.WParam)) {
              case 0: ds->First(); break;
              case 1: ds->MoveBy(-page); break;
              case 3: ds->MoveBy(page); break;
              case 4: ds->Last(); break;
            }
            break;
          }
          SCROLLINFO si{};
          si.cbSize = sizeof(si);
          si.fMask = SIF_ALL;
          GetScrollInfo(Handle(), SB_VERT, &si);
          Integer pos = si.nTrackPos, total = ds->RecordCount();
          if (pos > 1 && pos < total) ds->SetRecNo(pos);
          else if (pos >= total) ds->Last();
          else ds->First();
          break;
        }
        case SB_THUMBTRACK:
          if (VertScrollBar()->Tracking()) {
            SCROLLINFO si{};
            si.cbSize = sizeof(si);
            si.fMask = SIF_ALL;
            GetScrollInfo(Handle(), SB_VERT, &si);
            ds->MoveBy(si.nTrackPos - ds->RecNo());
            FThumbTracked = true;
          }
          break;
        case SB_TOP: ds->First(); break;
        case SB_BOTTOM: ds->Last(); break;
      }
      return true;
    }
    case WM_HSCROLL:
      // With tracking the columns follow the thumb as it is dragged.
      if (Message.LParam == 0 && HorzScrollBar()->Tracking() && LOWORD(Message.WParam) == SB_THUMBTRACK)
        Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, HIWORD(Message.WParam)), 0);
      else
        TCustomGridEh::Dispatch(Message);
      UpdateHorzExtScrollBar();
      return true;
    case WM_TIMER:
      if (Message.WParam == kAutoScrollTimer) {
        if (FRowSelecting || FRectSelecting || FDBGridEhState == 2) AutoScrollStep();
        if (FDBGridEhState == 7) TrackRecordMoving(CursorClientPos(), true);
        return true;
      }
      if (Message.WParam == kIncSearchTimer) {
        StopIncSearch();
        return true;
      }
      return false;
    case WM_SETFOCUS: {
      TInplaceEdit* ed = InplaceEditor();
      if (!(ed && ed->HandleAllocated() && reinterpret_cast<HWND>(Message.WParam) == ed->Handle()))
        UpdateColumnIme();
      TCustomGridEh::Dispatch(Message);
      if (FOptions.Contains(dgRowSelect)) InvalidateRow(Row());
      return true;
    }
    case WM_KILLFOCUS: {
      TInplaceEdit* ed = InplaceEditor();
      HWND to = reinterpret_cast<HWND>(Message.WParam);
      if (FSortMarkingPending && !(ed && ed->HandleAllocated() && to == ed->Handle())) {
        FSortMarkingPending = false;
        SortMarkingChanged();
      }
      TCustomGridEh::Dispatch(Message);
      if (FOptions.Contains(dgRowSelect)) InvalidateRow(Row());
      return true;
    }
    case WM_SETCURSOR:
      if (LOWORD(Message.LParam) == HTCLIENT && reinterpret_cast<HWND>(Message.WParam) == Handle() && Screen &&
          !IsDesigning()) {
        Integer state = FDBGridEhState;
        if (!FTrackingMouse) {
          Integer o, p, c;
          SizingHitTest(FHitTestPoint.X, FHitTestPoint.Y, o, p, c, state);
        }
        if (state == 6) {
          ::SetCursor(Screen->Cursors(crHSplit));
          Message.Result = 1;
          return true;
        }
        if (HCURSOR selectCursor = SelectCursorAt(FHitTestPoint.X, FHitTestPoint.Y)) {
          ::SetCursor(selectCursor);
          Message.Result = 1;
          return true;
        }
      }
      return false;
    case WM_GETDLGCODE:
      TCustomGridEh::Dispatch(Message);
      if (FOptionsEh.Contains(dghPreferIncSearch)) Message.Result |= DLGC_WANTCHARS;
      return true;
    case WM_CANCELMODE:
    case CM_CANCELMODE: {
      TCustomGridEh::Dispatch(Message);
      Integer state = FDBGridEhState;
      CancelMouseTracking();
      if (state == 6) DrawSizingLineEh();
      else if (state != 0) StopTimer();
      FDBGridEhState = 0;
      return true;
    }
    case CM_HINTSHOW:
      TCustomGridEh::Dispatch(Message);
      if (Message.Result == 0 && Message.LParam) FillHintInfo(*reinterpret_cast<THintInfo*>(Message.LParam));
      return true;
    case CM_HINTSHOWPAUSE:
      if (auto* pause = reinterpret_cast<Integer*>(Message.LParam)) *pause = HintPauseAt(*pause);
      return true;
    case WM_SIZE:
      TCustomGridEh::Dispatch(Message);
      if (FUpdateLock > 0) FResizePending = true;
      return true;
    case WM_ERASEBKGND:
      // Every pixel of the grid is painted by the grid.
      Message.Result = 1;
      return true;
    case WM_NCCALCSIZE:
      TCustomGridEh::Dispatch(Message);
      if (FFrameWidth > 0 && Message.LParam) {
        auto* r = reinterpret_cast<RECT*>(Message.LParam);   // rgrc[0] leads NCCALCSIZE_PARAMS too
        InflateRect(r, -FFrameWidth, -FFrameWidth);
      }
      return true;
    case WM_NCPAINT:
      TCustomGridEh::Dispatch(Message);
      PaintFlatFrame();
      return true;
    case CM_FONTCHANGED:
      TCustomGridEh::Dispatch(Message);
      BeginLayout();
      EndLayout();
      return true;
    case CM_PARENTFONTCHANGED:
      TCustomGridEh::Dispatch(Message);
      if (ParentFont()) {
        FSelfChangingTitleFont = true;
        FTitleFont->Assign(Font());
        FSelfChangingTitleFont = false;
        FSelfChangingFooterFont = true;
        FFooterFont->Assign(Font());
        FSelfChangingFooterFont = false;
        LayoutChanged();
      }
      return true;
    case CM_PARENTCOLORCHANGED:
      TCustomGridEh::Dispatch(Message);
      if (ParentColor()) {
        SetFooterColor(Color());
        Invalidate();
      }
      return true;
    case CM_SYSCOLORCHANGE:
      TCustomGridEh::Dispatch(Message);
      ButtonBitmapCacheEh()->Clear();
      return true;
    case WM_IME_STARTCOMPOSITION:
      TCustomGridEh::Dispatch(Message);
      ShowEditorEh();
      return true;
  }
  return false;
}
