// Shape changes of the base grid (counts with and without contra cells,
// column and row moves), the hosting of its in-place editor, the form-stream
// properties "ColWidths" and "RowHeights", and the in-place editor itself.
#include <algorithm>
#include "Forms.h"
#include "GridsEh.h"
#include "Streaming.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TInplaceEdit, TCustomMaskEdit)

namespace {
[[noreturn]] void GridError(const char* text) { throw EInvalidGridOperationEh(text); }

// Resizes an existing extent array to NewTotal entries (an empty array
// stays empty: every entry has the default).
void ResizeExtents(TIntegerArray& A, Integer NewTotal, Integer Default) {
  if (A.empty()) return;
  // Growing adds entries at the end; shrinking takes the last ones away.
  ModifyExtentsEh(A, std::min(A[0], NewTotal), NewTotal - A[0], Default);
}

// Moves the entry at From to To; entries in between shift by one.
void MoveExtent(TIntegerArray& A, Integer From, Integer To) {
  if (A.empty()) return;
  Integer n = A[0];
  if (From < 0 || To < 0 || From >= n || To >= n) return;
  Integer v = A[size_t(From) + 1];
  A.erase(A.begin() + 1 + From);
  A.insert(A.begin() + 1 + To, v);
}

// An index after a move of From to To.
Integer MovedIndex(Integer v, Integer From, Integer To) {
  if (v == From) return To;
  if (From < To && v > From && v <= To) return v - 1;
  if (From > To && v >= To && v < From) return v + 1;
  return v;
}
}  // namespace

// ---------------------------------------------------------------------------
// Counts

void TCustomGridEh::UpdateExtentArrays(Integer, Integer) {
  ResizeExtents(FColWidths, FColCount + FContraColCount, FDefaultColWidth);
  ResizeExtents(FTabStops, FColCount + FContraColCount, 1);
  ResizeExtents(FRowHeights, FRowCount + FContraRowCount, FDefaultRowHeight);
}

void TCustomGridEh::ChangeGridSize(Integer NewColCount, Integer NewRowCount) {
  TGridLayoutEh oldLayout;
  bool hadWindow = HandleAllocated();
  if (hadWindow) CalcDrawInfo(oldLayout);
  Integer oldCols = FColCount, oldRows = FRowCount;
  Integer oldFixedCols = FFixedCols, oldFixedRows = FFixedRows;
  TGridCoord oldTopLeft = FTopLeft;
  auto apply = [&](Integer cols, Integer rows) {
    FColCount = cols;
    FRowCount = rows;
    if (FFixedCols > cols - 1) FFixedCols = cols - 1;
    if (FFixedRows > rows - 1) FFixedRows = rows - 1;
    UpdateExtentArrays(oldCols, oldRows);
    TGridCoord c{std::min(FCurrent.X, cols - 1), std::min(FCurrent.Y, rows - 1)};
    if (!(c == FCurrent)) MoveCurrent(c.X, c.Y, true, true);
    if (!(c == FAnchor)) MoveAnchor(c);
    if (hadWindow && HandleAllocated()) {
      if (FFullRepaintOnResize || !(FTopLeft == oldTopLeft)) {
        Invalidate();
      } else {
        TGridLayoutEh L;
        CalcDrawInfo(L);
        RECT cr;
        GetClientRect(FHandle, &cr);
        Integer x = std::min(oldLayout.Horz.CellsEnd, L.Horz.CellsEnd);
        Integer y = std::min(oldLayout.Vert.CellsEnd, L.Vert.CellsEnd);
        InvalidateRectOf({x, 0, cr.right, cr.bottom});
        InvalidateRectOf({0, y, cr.right, cr.bottom});
      }
    }
    UpdateScrollRange();
    SizeChanged(oldCols, oldRows);
  };
  try {
    apply(NewColCount, NewRowCount);
  } catch (...) {
    // The grid goes back to its counts before the change.
    FFixedCols = oldFixedCols;
    FFixedRows = oldFixedRows;
    try {
      apply(oldCols, oldRows);
    } catch (...) {
    }
    Invalidate();
    throw;
  }
}

void TCustomGridEh::ChangeSizeAt(Integer Index, Integer Amount, bool IsRow) {
  if (Amount == 0) return;
  Integer oldCols = FColCount, oldRows = FRowCount;
  Integer& count = IsRow ? FRowCount : FColCount;
  if (Index < 0 || Index > count) GridError(SGridIndexOutOfRangeEh);
  if (count + Amount < Index) GridError(SGridTooManyDeletedEh);
  TIntegerArray& extents = IsRow ? FRowHeights : FColWidths;
  Integer contra = IsRow ? FContraRowCount : FContraColCount;
  if (Int64(count) + Amount + contra > 134217725) GridError(SGridTooLargeEh);
  // Arrays first, so that a failure leaves the counts alone.
  TIntegerArray newExtents = extents, newTabStops = FTabStops;
  if (!newExtents.empty()) ModifyExtentsEh(newExtents, Index, Amount, IsRow ? FDefaultRowHeight : FDefaultColWidth);
  if (!IsRow && !newTabStops.empty()) ModifyExtentsEh(newTabStops, Index, Amount, 1);
  extents.swap(newExtents);
  if (!IsRow) FTabStops.swap(newTabStops);
  count += Amount;
  Integer cur = IsRow ? FCurrent.Y : FCurrent.X;
  Integer adjusted = cur;
  if (cur >= Index) {
    if (Amount < 0 && cur < Index - Amount) adjusted = Index;
    else adjusted = cur + Amount;
  }
  adjusted = std::max(0, std::min(adjusted, count - 1));
  Integer& fixed = IsRow ? FFixedRows : FFixedCols;
  if (fixed > count - 1) fixed = count - 1;
  Invalidate();
  SizeChanged(oldCols, oldRows);
  if (adjusted != cur) {
    if (IsRow) MoveCurrent(FCurrent.X, adjusted, true, true);
    else MoveCurrent(adjusted, FCurrent.Y, true, true);
  }
  UpdateScrollRange();
}

void TCustomGridEh::ChangeContraCounts(Integer NewContraCols, Integer NewContraRows) {
  Integer oldCols = FContraColCount, oldRows = FContraRowCount;
  TIntegerArray widths = FColWidths, tabs = FTabStops, heights = FRowHeights;
  FContraColCount = NewContraCols;
  FContraRowCount = NewContraRows;
  try {
    if (Int64(FColCount) + NewContraCols > 134217725 || Int64(FRowCount) + NewContraRows > 134217725)
      GridError(SGridTooLargeEh);
    UpdateExtentArrays(FColCount, FRowCount);
  } catch (...) {
    // Nothing of the change stays, and the caller hears why.
    FContraColCount = oldCols;
    FContraRowCount = oldRows;
    FColWidths.swap(widths);
    FTabStops.swap(tabs);
    FRowHeights.swap(heights);
    Invalidate();
    throw;
  }
  Invalidate();
  UpdateScrollRange();
}

// ---------------------------------------------------------------------------
// Moves

void TCustomGridEh::MoveColumn(Integer FromIndex, Integer ToIndex) {
  if (FromIndex == ToIndex) return;
  if (FromIndex < 0 || ToIndex < 0 || FromIndex >= FColCount || ToIndex >= FColCount)
    GridError(SGridIndexOutOfRangeEh);
  MoveExtent(FColWidths, FromIndex, ToIndex);
  MoveExtent(FTabStops, FromIndex, ToIndex);
  FCurrent.X = MovedIndex(FCurrent.X, FromIndex, ToIndex);
  FAnchor.X = MovedIndex(FAnchor.X, FromIndex, ToIndex);
  if (FInplaceCol >= 0) FInplaceCol = MovedIndex(FInplaceCol, FromIndex, ToIndex);
  InvalidateBlock({std::min(FromIndex, ToIndex), 0, std::max(FromIndex, ToIndex), VisibleRowCount()});
  ColumnMoved(FromIndex, ToIndex);
  if (!FColWidths.empty()) ColWidthsChanged();
  UpdateEditor();
}

void TCustomGridEh::MoveRow(Integer FromIndex, Integer ToIndex) {
  if (FromIndex == ToIndex) return;
  if (FromIndex < 0 || ToIndex < 0 || FromIndex >= FRowCount || ToIndex >= FRowCount)
    GridError(SGridIndexOutOfRangeEh);
  MoveExtent(FRowHeights, FromIndex, ToIndex);
  FCurrent.Y = MovedIndex(FCurrent.Y, FromIndex, ToIndex);
  FAnchor.Y = MovedIndex(FAnchor.Y, FromIndex, ToIndex);
  if (FInplaceRow >= 0) FInplaceRow = MovedIndex(FInplaceRow, FromIndex, ToIndex);
  InvalidateBlock({0, std::min(FromIndex, ToIndex), VisibleColCount(), std::max(FromIndex, ToIndex)});
  RowMoved(FromIndex, ToIndex);
  if (!FRowHeights.empty()) RowHeightsChanged();
  UpdateEditor();
}

// ---------------------------------------------------------------------------
// Editor hosting

TInplaceEdit* TCustomGridEh::CreateInplaceEditor() { return new TInplaceEdit(this); }

bool TCustomGridEh::EditorCanShow() {
  return FGridOptions.Contains(geoEditing) && !FGridOptions.Contains(geoRowSelect) && FEditorMode && !IsDesigning() &&
         HandleAllocated() && (FGridOptions.Contains(geoAlwaysShowEditor) || IsActiveControl());
}

void TCustomGridEh::UpdateEditor() {
  if (!EditorCanShow()) return;
  if (!FInplaceEdit) {
    FInplaceEdit = CreateInplaceEditor();
    FInplaceEdit->SetGrid(this);
    FInplaceEdit->SetParent(this);
    FInplaceEdit->HandleNeeded();
    UpdateEditorContents();
  } else if (FInplaceCol != FCurrent.X || FInplaceRow != FCurrent.Y) {
    HideEditorWindow();
    UpdateEditorContents();
  }
  if (EditorCanShow()) FInplaceEdit->ShowAt(CellClientRect(FCurrent.X, FCurrent.Y));
}

void TCustomGridEh::UpdateEditorContents() {
  FInplaceCol = FCurrent.X;
  FInplaceRow = FCurrent.Y;
  // Loading the cell's text is no edit of it: the change notifications it
  // causes are not written back to the cell.
  FLoadingEditor = true;
  try {
    FInplaceEdit->LoadCellContents();
  } catch (...) {
    FLoadingEditor = false;
    throw;
  }
  FLoadingEditor = false;
  FCanEditModify = FInplaceEdit->MaxLength() != -1;
  if (FInplaceEdit->HandleAllocated()) FInplaceEdit->SelectAll();
}

void TCustomGridEh::HideEditorWindow() {
  if (!FInplaceEdit) return;
  struct THide {
    TCustomGridEh* G;
    ~THide() {
      G->FInplaceCol = -1;
      G->FInplaceRow = -1;
      G->FInplaceEdit->HideWindow();
    }
  } hide{this};
  StoreEditorText();
}

void TCustomGridEh::StoreEditorText() {
  if (FInplaceEdit && FInplaceCol != -1 && FInplaceRow != -1)
    SetCellEditText(FInplaceCol, FInplaceRow, FInplaceEdit->Text());
}

// ---------------------------------------------------------------------------
// Streaming of the column widths and row heights

void TCustomGridEh::DefineProperties(TFiler* Filer) {
  TCustomControl::DefineProperties(Filer);
  if (!FStoreCellExtents) return;
  auto* ancestor = dynamic_cast<TCustomGridEh*>(Filer->Ancestor());
  auto hasData = [&](const TIntegerArray& mine, const TIntegerArray TCustomGridEh::*field) {
    if (mine.empty()) return false;
    if (!ancestor) return true;
    return !(mine == ancestor->*field);
  };
  auto reader = [this](bool rows) {
    return [this, rows](TReader* R) {
      R->ReadListBegin();
      for (Integer i = 0; !R->EndOfList(); ++i) {
        Integer v = R->ReadInteger();
        // Values beyond the grid's cells are read and dropped.
        if (rows ? i < FRowCount : i < FColCount) {
          if (rows) SetRowHeights(i, v);
          else SetColWidths(i, v);
        }
      }
      R->ReadListEnd();
    };
  };
  auto writer = [this](bool rows) {
    return [this, rows](TWriter* W) {
      W->WriteListBegin();
      Integer n = rows ? FRowCount : FColCount;
      for (Integer i = 0; i < n; ++i) W->WriteInteger(rows ? RowHeights(i) : ColWidths(i));
      W->WriteListEnd();
    };
  };
  Filer->DefineProperty("ColWidths", reader(false), writer(false), hasData(FColWidths, &TCustomGridEh::FColWidths));
  Filer->DefineProperty("RowHeights", reader(true), writer(true), hasData(FRowHeights, &TCustomGridEh::FRowHeights));
}

// ---------------------------------------------------------------------------
// TInplaceEdit

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  SetParentCtl3D(false);
  SetCtl3D(false);
  FTabStop = false;
  SetBorderStyle(bsNone);
  SetDoubleBuffered(false);
  FAutoSize = false;
  SetAutoSelect(false);
}

void TInplaceEdit::CreateParams(TCreateParams& Params) {
  TCustomMaskEdit::CreateParams(Params);
  Params.Style |= ES_MULTILINE;
}

void TInplaceEdit::ApplyTextMargins() {
  if (!HandleAllocated()) return;
  RECT r{2, 2, Width() - 2, Height()};
  SendMessageW(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
  SendMessageW(Handle(), EM_SCROLLCARET, 0, 0);
}

void TInplaceEdit::LoadCellContents() {
  SetText("");
  SetEditMask(FGrid->GetCellEditMask(FGrid->Col(), FGrid->Row()));
  SetText(FGrid->GetCellEditText(FGrid->Col(), FGrid->Row()));
  SetMaxLength(FGrid->GetEditorMaxLength());
}

void TInplaceEdit::InvalidateWithGrid() {
  if (!HandleAllocated()) return;
  ValidateRect(FHandle, nullptr);
  InvalidateRect(FHandle, nullptr, TRUE);
  if (FGrid && FGrid->HandleAllocated()) {
    RECT r;
    GetWindowRect(FHandle, &r);
    MapWindowPoints(nullptr, FGrid->Handle(), reinterpret_cast<POINT*>(&r), 2);
    ValidateRect(FGrid->Handle(), &r);
    InvalidateRect(FGrid->Handle(), &r, FALSE);
  }
}

bool TInplaceEdit::IsWindowShown() { return HandleAllocated() && IsWindowVisible(FHandle); }

void TInplaceEdit::FocusIfShown() {
  if (IsWindowShown()) ::SetFocus(FHandle);
}

void TInplaceEdit::HideWindow() {
  if (!IsWindowShown()) return;
  InvalidateWithGrid();
  bool hadFocus = GetFocus() == FHandle;
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
               SWP_HIDEWINDOW | SWP_NOREDRAW | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (hadFocus && FGrid && FGrid->HandleAllocated()) ::SetFocus(FGrid->Handle());
}

void TInplaceEdit::MoveWindowTo(const TRect& R, bool Redraw) {
  if (R.IsEmpty()) {
    HideWindow();
    return;
  }
  HandleNeeded();
  bool wasHidden = !IsWindowVisible(FHandle);
  InvalidateWithGrid();
  SetWindowPos(FHandle, nullptr, R.Left, R.Top, R.Width(), R.Height(),
               SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyTextMargins();
  if (Redraw || wasHidden) InvalidateWithGrid();
  if (FGrid && FGrid->Focused()) ::SetFocus(FHandle);
}

void TInplaceEdit::UnselectAll() {
  if (HandleAllocated()) SendMessageW(FHandle, EM_SETSEL, WPARAM(0x7FFFFFFF), LPARAM(-1));
}

void TInplaceEdit::DblClick() {
  if (FGrid) FGrid->DblClick();
}

bool TInplaceEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  return FGrid ? FGrid->DoMouseWheel(Shift, WheelDelta, MousePos) : false;
}

bool TInplaceEdit::EditCanModify() { return FGrid ? FGrid->EditorCanModify() : true; }

void TInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
  auto toGrid = [&] {
    FGrid->KeyDown(Key, Shift);
    Key = 0;
  };
  auto selection = [&](DWORD& s, DWORD& e) {
    SendMessageW(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  };
  auto caret = [&]() -> DWORD {
    POINT p;
    if (!GetCaretPos(&p)) return 0;
    return LOWORD(SendMessageW(FHandle, EM_CHARFROMPOS, 0, MAKELPARAM(p.x, p.y)));
  };
  if (!FGrid) {
    TCustomMaskEdit::KeyDown(Key, Shift);
    return;
  }
  bool ctrl = Shift.Contains(ssCtrl);
  bool always = FGrid->GridOptions().Contains(geoAlwaysShowEditor);
  DWORD len = HandleAllocated() ? DWORD(GetWindowTextLengthW(FHandle)) : 0;
  switch (Key) {
    case VK_TAB:
      if (!Shift.Contains(ssAlt)) toGrid();
      break;
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN: toGrid(); break;
    case VK_HOME:
    case VK_LEFT:
      if (always) {
        DWORD s = 0, e = 0;
        if (!ctrl && HandleAllocated()) selection(s, e);
        if (ctrl || (caret() == 0 && s == 0 && (e == 0 || e == len))) toGrid();
      }
      break;
    case VK_END:
    case VK_RIGHT:
      if (always) {
        DWORD s = 0, e = 0;
        if (!ctrl && HandleAllocated()) selection(s, e);
        if (ctrl || (caret() == len && (s == 0 || s == e) && e == len)) toGrid();
      }
      break;
    case VK_INSERT:
      if (!Shift.Contains(ssShift)) toGrid();
      else if (!FGrid->EditorCanModify()) Key = 0;
      break;
    case VK_DELETE:
      if (ctrl) toGrid();
      else if (!FGrid->EditorCanModify()) Key = 0;
      break;
    case VK_F2:
      if (FGrid->OnKeyDown) FGrid->OnKeyDown(FGrid, Key, Shift);
      if (Key == VK_F2) {
        UnselectAll();
        Key = 0;
      }
      return;
  }
  if (Key == 0) return;
  if (FGrid->OnKeyDown) FGrid->OnKeyDown(FGrid, Key, Shift);
  if (Key != 0) TCustomMaskEdit::KeyDown(Key, Shift);
}

void TInplaceEdit::KeyPress(char32_t& Key) {
  if (!FGrid) {
    TCustomMaskEdit::KeyPress(Key);
    return;
  }
  FGrid->KeyPress(Key);
  if (Key > 31 && !FGrid->EditorAcceptsKey(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  if ((Key == 8 || Key == 22 || Key == 24 || Key >= 32) && !FGrid->EditorCanModify()) Key = 0;
  if (Key == 13) {
    DWORD s = 0, e = 0;
    if (HandleAllocated()) SendMessageW(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    DWORD len = HandleAllocated() ? DWORD(GetWindowTextLengthW(FHandle)) : 0;
    if (s > 0) SelectAll();
    else if (e == len) UnselectAll();
    else SelectAll();
  }
  if (Key == 13 || Key == 9 || Key == 27) Key = 0;
  if (Key != 0) TCustomMaskEdit::KeyPress(Key);
}

void TInplaceEdit::KeyUp(Word& Key, TShiftState Shift) {
  if (FGrid) FGrid->KeyUp(Key, Shift);
  else TCustomMaskEdit::KeyUp(Key, Shift);
}

void TInplaceEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      // The form keeps the grid as its focused control while its editor types.
      TCustomForm* form = GetParentForm(this);
      if (form && FGrid && !form->SetFocusedControl(FGrid)) return;
      Dispatch(Message);
      return;
    }
    case WM_LBUTTONDOWN:
      if (LONG(GetMessageTime()) - FClickTime < LONG(GetDoubleClickTime())) Message.Msg = WM_LBUTTONDBLCLK;
      FClickTime = 0;
      break;
  }
  TCustomMaskEdit::WndProc(Message);
}

void TInplaceEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      TCustomMaskEdit::Dispatch(Message);
      if (FGrid && FGrid->GridOptions().Contains(geoTabs)) Message.Result |= DLGC_WANTTAB;
      return;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
      if (FGrid && !FGrid->EditorCanModify()) return;
      break;
    case CM_SHOWINGCHANGED:
      // Shown and hidden only by the grid (ShowAt, HideWindow).
      return;
  }
  TCustomMaskEdit::Dispatch(Message);
}
