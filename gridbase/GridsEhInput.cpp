// Keyboard, mouse wheel, scroll bars and mouse handling of the base grid:
// moving the current cell, scrolling the view, drag-selecting, sizing and
// moving columns and rows, the auto-scroll timer and the window messages
// that carry all of it.
#include <algorithm>
#include <cstdlib>
#include "Forms.h"
#include "GridsEh.h"

namespace {
constexpr UINT kScrollTimer = 1;
constexpr UINT kScrollTimerPeriod = 60;   // ms between auto-scroll steps
constexpr Integer kScrollRange = 127;     // logical range of a scroll bar that can scroll

Integer Clamp(Integer v, Integer lo, Integer hi) { return v > hi ? hi : v < lo ? lo : v; }

Integer SumExtents(const TGridAxisLayoutEh& A, Integer From, Integer To, Integer Limit) {
  Integer s = 0;
  for (Integer i = From; i < To; ++i) {
    s += A.ExtentOf(i) + A.LineWidth;
    if (s > Limit) break;
  }
  return s;
}
}  // namespace

// ---------------------------------------------------------------------------
// Keyboard

void TCustomGridEh::KeyDown(Word& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  if (!GridAcceptsKey(Key, Shift)) Key = 0;
  if (Key == 0) return;
  TGridLayoutEh L = Layout();
  TGridCoord nc = FCurrent, nt = FTopLeft;
  Integer pageWidth = std::max(1, L.Horz.LastWholeVisibleCell - FTopLeft.X);
  Integer pageHeight = std::max(1, L.Vert.LastWholeVisibleCell - FTopLeft.Y);
  bool rowSelect = FGridOptions.Contains(geoRowSelect);
  bool ctrl = Shift.Contains(ssCtrl);
  switch (Key) {
    case VK_TAB:
      if (!Shift.Contains(ssAlt) && !ctrl) {
        bool back = Shift.Contains(ssShift);
        // Steps until a tab stop, or until it is back where it started.
        do {
          if (back) {
            if (nc.X > FFixedCols) {
              --nc.X;
            } else {
              nc.X = FColCount - 1;
              nc.Y = nc.Y > FFixedRows ? nc.Y - 1 : FRowCount - 1;
            }
          } else {
            if (nc.X < FColCount - 1) {
              ++nc.X;
            } else {
              nc.X = FFixedCols;
              nc.Y = nc.Y < FRowCount - 1 ? nc.Y + 1 : FFixedRows;
            }
          }
        } while (!TabStops(nc.X) && nc.X != FCurrent.X);
        if (!TabStops(nc.X)) nc = FCurrent;
        Shift -= ssShift;   // the anchor follows
      }
      break;
    case VK_PRIOR:
      if (ctrl) nc.Y = FTopLeft.Y;
      else nc.Y -= pageHeight, nt.Y -= pageHeight;
      break;
    case VK_NEXT:
      if (ctrl) nc.Y = L.Vert.LastWholeVisibleCell;
      else nc.Y += pageHeight, nt.Y += pageHeight;
      break;
    case VK_END:
      if (ctrl) nc = {FColCount - 1, FRowCount - 1};
      else if (rowSelect) nc.Y = FRowCount - 1;
      else nc.X = FColCount - 1;
      break;
    case VK_HOME:
      if (ctrl) nc = {FFixedCols, FFixedRows};
      else if (rowSelect) nc.Y = FFixedRows;
      else nc.X = FFixedCols;
      break;
    case VK_LEFT:
      if (ctrl) {
        if (!rowSelect) nc.X -= pageWidth, nt.X -= pageWidth;
      } else if (rowSelect) {
        nc.Y -= 1;
      } else {
        nc.X -= 1;
      }
      break;
    case VK_RIGHT:
      if (ctrl) {
        if (!rowSelect) nc.X += pageWidth, nt.X += pageWidth;
      } else if (rowSelect) {
        nc.Y += 1;
      } else {
        nc.X += 1;
      }
      break;
    case VK_UP:
      if (ctrl) nt.Y -= 1;
      else nc.Y -= 1;
      break;
    case VK_DOWN:
      if (ctrl) nt.Y += 1;
      else nc.Y += 1;
      break;
    case VK_F2:
      if (!ctrl) SetEditorMode(true);
      break;
  }
  TGridCoord maxTL{AxisMaxTopLeftOf(L.Horz, FColCount - 1), AxisMaxTopLeftOf(L.Vert, FRowCount - 1)};
  nt.X = Clamp(nt.X, FFixedCols, std::max(FFixedCols, maxTL.X));
  nt.Y = Clamp(nt.Y, FFixedRows, std::max(FFixedRows, maxTL.Y));
  if (!(nt == FTopLeft)) MoveTopLeft(nt.X, nt.Y);
  nc.X = Clamp(nc.X, FFixedCols - EffectiveFrozenCols(), FColCount - 1);
  nc.Y = Clamp(nc.Y, FFixedRows - EffectiveFrozenRows(), FRowCount - 1);
  if (!(nc == FCurrent)) FocusCell(nc.X, nc.Y, !Shift.Contains(ssShift));
}

void TCustomGridEh::KeyPress(char32_t& Key) {
  TCustomControl::KeyPress(Key);
  if (Key == 13 && !FGridOptions.Contains(geoAlwaysShowEditor)) {
    if (FEditorMode) HideEditor();
    else ShowEditor();
    Key = 0;
  }
}

bool TCustomGridEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (!TCustomControl::DoMouseWheelDown(Shift, MousePos) && FCurrent.Y < FRowCount - 1)
    FocusCell(FCurrent.X, FCurrent.Y + 1, true);
  return true;
}

bool TCustomGridEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (!TCustomControl::DoMouseWheelUp(Shift, MousePos) && FCurrent.Y > FFixedRows)
    FocusCell(FCurrent.X, FCurrent.Y - 1, true);
  return true;
}

// ---------------------------------------------------------------------------
// Scroll bars

Integer TCustomGridEh::AxisMaxTopLeftOf(const TGridAxisLayoutEh& A, Integer Target) {
  Integer i = std::max(Target, A.AxisFixedCount);
  Integer result = i;
  Integer budget = A.DataExtent + A.LineWidth;
  for (Integer j = i; j >= A.AxisFixedCount; --j) {
    Integer ext = A.ExtentOf(j);
    if (ext <= 0) continue;
    budget -= ext + A.LineWidth;
    if (budget < A.FixedEnd) break;
    result = j;
  }
  return result;
}

void TCustomGridEh::ScrollOneColumnByPixels(UINT Code, UINT Pos) {
  TGridLayoutEh L = Layout();
  Integer clientW = L.Horz.ClientExtent;
  Integer maxOffset = std::max(0, ColWidths(0) - (clientW - L.Horz.FixedEnd));
  Integer offset = FHorzPixelOffset;
  // A line step is the width of a digit in the grid's font.
  TBitmap scratch(1, 1);
  scratch.Canvas()->Font()->Assign(Font());
  Integer lineStep = std::max(1, scratch.Canvas()->TextWidth("0"));
  switch (Code) {
    case SB_LINELEFT: offset -= lineStep; break;
    case SB_LINERIGHT: offset += lineStep; break;
    case SB_PAGELEFT: offset -= clientW - L.Horz.FixedEnd; break;
    case SB_PAGERIGHT: offset += clientW - L.Horz.FixedEnd; break;
    case SB_LEFT: offset = 0; break;
    case SB_RIGHT: offset = maxOffset; break;
    case SB_THUMBPOSITION: offset = Integer(Pos); break;
    case SB_THUMBTRACK:
      if (FGridOptions.Contains(geoThumbTracking)) offset = Integer(Pos);
      break;
    default: return;
  }
  offset = Clamp(offset, 0, maxOffset);
  if (offset == FHorzPixelOffset) return;
  Integer dx = FHorzPixelOffset - offset;
  FHorzPixelOffset = offset;
  RECT scroll{L.Horz.FixedEnd, 0, L.Horz.DataExtent, L.Vert.ClientExtent};
  ScrollWindowEx(FHandle, dx, 0, &scroll, &scroll, nullptr, nullptr, SW_INVALIDATE);
  InvalidateBlock({0, 0, 0, FFixedRows});
  UpdateWindow(FHandle);
  UpdateScrollPos();
}

void TCustomGridEh::ModifyScrollBar(UINT ScrollBar, UINT ScrollCode, UINT Pos) {
  if (Visible() && CanFocus() && TabStop() && !IsDesigning() && !Focused()) SetFocus();
  if (ScrollBar == SB_HORZ && FColCount == 1) {
    ScrollOneColumnByPixels(ScrollCode, Pos);
    return;
  }
  TGridLayoutEh L = Layout();
  bool horz = ScrollBar == SB_HORZ;
  const TGridAxisLayoutEh& A = horz ? L.Horz : L.Vert;
  Integer fixed = A.AxisFixedCount;
  Integer maxCell = std::max(fixed, AxisMaxTopLeftOf(A, A.AxisCellCount - 1));
  Integer cur = A.FirstScrollCell;
  Integer target = cur;
  bool step = false;
  switch (ScrollCode) {
    case SB_LINEUP: target = cur - 1, step = true; break;
    case SB_LINEDOWN: target = cur + 1, step = true; break;
    case SB_PAGEUP: target = cur - std::max(1, cur - AxisMaxTopLeftOf(A, cur)), step = true; break;
    case SB_PAGEDOWN: target = cur + std::max(1, A.LastWholeVisibleCell - cur), step = true; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      if (ScrollCode == SB_THUMBTRACK && !FGridOptions.Contains(geoThumbTracking)) return;
      target = fixed + MulDiv(Integer(Pos), maxCell - fixed, kScrollRange);
      break;
    case SB_TOP: target = fixed; break;
    case SB_BOTTOM: target = maxCell; break;
    default: return;
  }
  if (step) {
    // Cells of zero extent between the first and the last top-left are skipped.
    Integer dir = target > cur ? 1 : -1;
    while (target > fixed && target < maxCell && A.ExtentOf(target) <= 0) target += dir;
  }
  target = Clamp(target, fixed, maxCell);
  if (horz) MoveTopLeft(target, FTopLeft.Y);
  else MoveTopLeft(FTopLeft.X, target);
}

void TCustomGridEh::UpdateScrollPos() {
  if (!HandleAllocated() || FScrollBars == ssNone || FUpdatingScrollRange) return;
  TGridLayoutEh L = Layout();
  auto setPos = [&](int bar, Integer pos) {
    if (GetScrollPos(FHandle, bar) != pos) SetScrollPos(FHandle, bar, pos, TRUE);
  };
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) {
    if (FColCount == 1) {
      Integer maxOffset = std::max(0, ColWidths(0) - (L.Horz.ClientExtent - L.Horz.FixedEnd));
      if (FHorzPixelOffset > maxOffset) FHorzPixelOffset = maxOffset;
      setPos(SB_HORZ, FHorzPixelOffset);
    } else {
      Integer maxLeft = AxisMaxTopLeftOf(L.Horz, FColCount - 1);
      setPos(SB_HORZ, maxLeft > FFixedCols ? MulDiv(FTopLeft.X - FFixedCols, kScrollRange, maxLeft - FFixedCols) : 0);
    }
  }
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) {
    Integer maxTop = AxisMaxTopLeftOf(L.Vert, FRowCount - 1);
    setPos(SB_VERT, maxTop > FFixedRows ? MulDiv(FTopLeft.Y - FFixedRows, kScrollRange, maxTop - FFixedRows) : 0);
  }
}

void TCustomGridEh::UpdateScrollRange() {
  if (!HandleAllocated() || FScrollBars == ssNone || FUpdatingScrollRange || !Showing()) return;
  struct TGuard {
    bool& Flag;
    explicit TGuard(bool& f) : Flag(f) { Flag = true; }
    ~TGuard() { Flag = false; }
  };
  TGridCoord oldTopLeft = FTopLeft;
  {
    TGuard guard(FUpdatingScrollRange);
    auto clientSize = [&](Integer& w, Integer& h) {
      RECT r;
      GetClientRect(FHandle, &r);
      w = r.right - r.left;
      h = r.bottom - r.top;
    };
    auto barShown = [&](int bar) {
      int lo = 0, hi = 0;
      GetScrollRange(FHandle, bar, &lo, &hi);
      return hi > lo;
    };
    Integer cw, ch;
    clientSize(cw, ch);
    if (barShown(SB_HORZ)) ch += GetSystemMetrics(SM_CYHSCROLL);
    if (barShown(SB_VERT)) cw += GetSystemMetrics(SM_CXVSCROLL);
    bool flushed = false;
    auto horz = [&](Integer trialW, Integer trialH) {
      if (FScrollBars != ssHorizontal && FScrollBars != ssBoth) return;
      if (FColCount == 1) {
        SetScrollRange(FHandle, SB_HORZ, 0, std::max(0, ColWidths(0) - trialW), TRUE);
        return;
      }
      TGridLayoutEh L;
      CalcDrawInfoXY(L, trialW, trialH);
      Integer maxLeft = AxisMaxTopLeftOf(L.Horz, FColCount - 1);
      SetScrollRange(FHandle, SB_HORZ, 0, FFixedCols < maxLeft ? kScrollRange : 0, TRUE);
      if (FTopLeft.X > maxLeft) {
        if (!flushed) Update(), flushed = true;
        FTopLeft.X = std::max(FFixedCols, maxLeft);
      }
    };
    horz(cw, ch);
    Integer realW, realH;
    clientSize(realW, realH);
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) {
      TGridLayoutEh L;
      CalcDrawInfoXY(L, cw, realH);
      Integer maxTop = AxisMaxTopLeftOf(L.Vert, FRowCount - 1);
      SetScrollRange(FHandle, SB_VERT, 0, FFixedRows < maxTop ? kScrollRange : 0, TRUE);
      if (FTopLeft.Y > maxTop) {
        if (!flushed) Update(), flushed = true;
        FTopLeft.Y = std::max(FFixedRows, maxTop);
      }
    }
    Integer afterW, afterH;
    clientSize(afterW, afterH);
    if (afterW != realW) horz(afterW, afterH);
  }
  UpdateScrollPos();
  if (!(FTopLeft == oldTopLeft)) TopLeftMoved(oldTopLeft);
}

void TCustomGridEh::TopLeftMoved(TGridCoord Old) {
  UpdateScrollPos();
  if (!HandleAllocated()) {
    TopLeftChanged();
    return;
  }
  TGridLayoutEh L = Layout();
  auto distance = [&](const TGridAxisLayoutEh& A, Integer from, Integer to, bool& tooFar) {
    Integer limit = A.CellsEnd - A.FixedEnd;
    Integer d = from < to ? -SumExtents(A, from, to, limit) : SumExtents(A, to, from, limit);
    if (std::abs(d) > limit) tooFar = true;
    return d;
  };
  bool tooFar = false;
  Integer dx = distance(L.Horz, Old.X, FTopLeft.X, tooFar);
  Integer dy = distance(L.Vert, Old.Y, FTopLeft.Y, tooFar);
  if (tooFar) Invalidate();
  else if (dx != 0 || dy != 0) ScrollData(dx, dy);
  if (FGridOptions.Contains(geoRowSelect)) {
    TCellBlockEh s = Selection();
    InvalidateBlock(s);
  }
  TopLeftChanged();
}

void TCustomGridEh::ScrollData(Integer DX, Integer DY) {
  if (!HandleAllocated()) return;
  TGridLayoutEh L = Layout();
  const TGridAxisLayoutEh& H = L.Horz;
  const TGridAxisLayoutEh& V = L.Vert;
  UINT flags = SW_INVALIDATE | (FDefaultDrawing ? 0 : SW_ERASE);
  auto scroll = [&](TRect r, Integer dx, Integer dy) {
    if (r.IsEmpty()) return;
    ScrollWindowEx(FHandle, dx, dy, r.AsRECT(), r.AsRECT(), nullptr, nullptr, flags);
  };
  if (DX != 0 && DY != 0) {
    scroll({H.FixedEnd, 0, H.DataExtent, V.FixedEnd}, DX, 0);
    scroll({0, V.FixedEnd, H.FixedEnd, V.DataExtent}, 0, DY);
    scroll({H.FixedEnd, V.FixedEnd, H.DataExtent, V.DataExtent}, DX, DY);
    scroll({H.FixedEnd, V.DataExtent, H.DataExtent, V.ClientExtent}, DX, 0);
    scroll({H.DataExtent, V.FixedEnd, H.ClientExtent, V.DataExtent}, 0, DY);
  } else if (DY != 0) {
    scroll({0, V.FixedEnd, H.ClientExtent, V.DataExtent}, 0, DY);
  } else {
    scroll({H.FixedEnd, 0, H.DataExtent, V.ClientExtent}, DX, 0);
  }
}

// ---------------------------------------------------------------------------
// Mouse

void TCustomGridEh::DetectSizingState(Integer X, Integer Y, const TGridLayoutEh& L, TGridStateEh& State,
                                      Integer& Index, Integer& SizingPos, Integer& SizingOfs) {
  State = gsNormalEh;
  Index = -1;
  TGridEhOptions opts = FGridOptions;
  if (IsDesigning()) opts += FDesignSizingOptions;
  if (!opts.Contains(geoRowSizing) && !opts.Contains(geoColSizing)) return;
  bool vertical;
  Integer p;
  if (opts.Contains(geoColSizing) && X > L.Horz.FrozenStart && Y < L.Vert.FrozenStart) {
    vertical = false;
    p = X;
  } else if (opts.Contains(geoRowSizing) && Y > L.Vert.FrozenStart && X < L.Horz.FrozenStart) {
    vertical = true;
    p = Y;
  } else {
    return;
  }
  const TGridAxisLayoutEh& A = vertical ? L.Vert : L.Horz;
  Integer zone = std::max(A.LineWidth, 7);
  Integer offset = A.LineWidth < 7 ? (7 - A.LineWidth) / 2 : 0;
  auto hit = [&](Integer lineStart) { return p >= lineStart - offset && p < lineStart - offset + zone; };
  auto found = [&](Integer index, Integer linePos) {
    State = vertical ? gsRowSizingEh : gsColSizingEh;
    Index = index;
    SizingPos = linePos;
    SizingOfs = linePos - p;
  };
  // Frozen cells.
  Integer pos = A.FrozenStart;
  for (Integer i = A.AxisFixedCount - A.FrozenCellCount; i < A.AxisFixedCount; ++i) {
    pos += A.ExtentOf(i);
    if (hit(pos)) return found(i, pos);
    pos += A.LineWidth;
  }
  // Scrollable cells on screen.
  pos = A.FixedEnd;
  for (Integer i = A.FirstScrollCell; i < A.AxisCellCount; ++i) {
    pos += A.ExtentOf(i);
    if (pos > A.CellsEnd) break;
    if (hit(pos)) return found(i, pos);
    pos += A.LineWidth;
  }
  // The last cell, cut off at the data edge.
  if (A.CellsEnd == A.DataExtent && p >= A.DataExtent - offset && p <= A.DataExtent) {
    Integer cut = A.LastWholeVisibleCell;
    if (A.WholeVisibleEnd == A.FixedEnd) cut = A.FirstScrollCell;
    else if (cut + 1 < A.AxisCellCount) cut = cut + 1;
    return found(cut, A.DataExtent);
  }
  // Contra cells are sized at their left (top) edge.
  if (A.ContraCellCount > 0) {
    if (p >= A.ContraStart && p <= A.DataExtent + offset) return found(A.AxisCellCount, A.DataExtent);
    pos = A.ContraStart + A.LineWidth;
    for (Integer i = A.AxisCellCount; i < A.FullCellCount - 1; ++i) {
      pos += A.ExtentOf(i);
      if (pos > A.FullCellsEnd) break;
      if (hit(pos)) return found(i + 1, pos);
      pos += A.LineWidth;
    }
  }
}

void TCustomGridEh::SetScrollTimer(bool Run, UINT Period) {
  if (!HandleAllocated()) return;
  if (Run) SetTimer(FHandle, kScrollTimer, Period, nullptr);
  else KillTimer(FHandle, kScrollTimer);
}

void TCustomGridEh::StartTimer() {
  if (!HandleAllocated()) return;
  SetScrollTimer(true, kScrollTimerPeriod);
  FTimerActive = true;
}

void TCustomGridEh::StopTimer() {
  if (FTimerActive) SetScrollTimer(false, 0);
  FTimerActive = false;
}

void TCustomGridEh::DrawSizingLine(const TGridLayoutEh& L) {
  TCanvas* c = Canvas();
  TPen saved;
  saved.Assign(c->Pen());
  c->Pen()->SetStyle(psDot);
  c->Pen()->SetMode(pmXor);
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(clWhite);
  if (FGridState == gsRowSizingEh) {
    c->MoveTo(0, FSizingPos);
    c->LineTo(L.Horz.FullCellsEnd, FSizingPos);
  } else {
    c->MoveTo(FSizingPos, 0);
    c->LineTo(FSizingPos, L.Vert.FullCellsEnd);
  }
  c->Pen()->Assign(&saved);
}

void TCustomGridEh::DrawMoveLine(const TGridLayoutEh& L) {
  TCanvas* c = Canvas();
  TPen saved;
  saved.Assign(c->Pen());
  c->Pen()->SetStyle(psDot);
  c->Pen()->SetMode(pmXor);
  c->Pen()->SetWidth(5);
  c->Pen()->SetColor(clWhite);
  if (FGridState == gsRowMovingEh) {
    TRect r = BoxRect(0, FMovePos, 0, FMovePos, false);
    Integer y = FMoveIndex < FMovePos ? r.Bottom : r.Top;
    c->MoveTo(0, y);
    c->LineTo(L.Horz.ClientExtent, y);
  } else {
    TRect r = BoxRect(FMovePos, 0, FMovePos, 0, false);
    Integer x = FMoveIndex < FMovePos ? r.Right : r.Left;
    c->MoveTo(x, 0);
    c->LineTo(x, L.Vert.ClientExtent);
  }
  c->Pen()->Assign(&saved);
}

void TCustomGridEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  HideEditorWindow();
  if (!IsDesigning()) {
    TCustomForm* form = GetParentForm(this);
    if (!form) {
      if (HandleAllocated()) ::SetFocus(FHandle);
    } else if (CanFocus()) {
      SetFocus();
    }
    if (!IsActiveControl()) {
      SetMouseCapture(false);
      return;
    }
  }
  bool moveLineDrawn = false;
  if (Button == mbLeft && !Shift.Contains(ssDouble)) {
    TGridLayoutEh L = Layout();
    TGridStateEh state;
    Integer index, pos, ofs;
    DetectSizingState(X, Y, L, state, index, pos, ofs);
    if (state != gsNormalEh) {
      FGridState = state;
      FSizingIndex = index;
      FSizingPos = pos;
      FSizingOfs = ofs;
      DrawSizingLine(L);
      return;
    }
    TGridCoord cell = CellAtPoint(X, Y);
    bool outside = cell.X < FFixedCols - EffectiveFrozenCols() || cell.Y < FFixedRows - EffectiveFrozenRows() ||
                   cell.X < 0 || cell.Y < 0 || cell.X >= FColCount || cell.Y >= FRowCount;
    if (outside) {
      TPoint pt(X, Y);
      if (FGridOptions.Contains(geoRowMoving) && cell.X >= 0 && cell.X < FFixedCols && cell.Y >= FFixedRows &&
          cell.Y < FRowCount) {
        FMoveIndex = FMovePos = cell.Y;
        if (BeginRowDrag(FMoveIndex, FMovePos, pt)) {
          FGridState = gsRowMovingEh;
          Update();
          DrawMoveLine(Layout());
          moveLineDrawn = true;
          StartTimer();
        }
      } else if (FGridOptions.Contains(geoColMoving) && cell.Y >= 0 && cell.Y < FFixedRows &&
                 cell.X >= FFixedCols && cell.X < FColCount) {
        FMoveIndex = FMovePos = cell.X;
        if (BeginColumnDrag(FMoveIndex, FMovePos, pt)) {
          FGridState = gsColMovingEh;
          Update();
          DrawMoveLine(Layout());
          moveLineDrawn = true;
          StartTimer();
        }
      }
    } else if (FGridOptions.Contains(geoEditing)) {
      if (cell == FCurrent) {
        ShowEditor();
      } else {
        MoveCurrent(cell.X, cell.Y, true, true);
        UpdateEditor();
      }
      Click();
    } else {
      FGridState = gsSelectingEh;
      StartTimer();
      if (Shift.Contains(ssShift)) MoveAnchor(cell);
      else MoveCurrent(cell.X, cell.Y, true, true);
    }
  }
  // The OnMouseDown handler runs last; what it raises does not stop the grid.
  try {
    TCustomControl::MouseDown(Button, Shift, X, Y);
  } catch (...) {
    if (moveLineDrawn && (FGridState == gsRowMovingEh || FGridState == gsColMovingEh)) DrawMoveLine(Layout());
  }
}

void TCustomGridEh::TrackMove(Integer Pos, TGridCoord Cell, TPoint MousePt, bool IsRow) {
  TGridLayoutEh L = Layout();
  const TGridAxisLayoutEh& A = IsRow ? L.Vert : L.Horz;
  Integer c = IsRow ? Cell.Y : Cell.X;
  if (c == FMovePos) return;
  if (FMovePos == A.AxisFixedCount && Pos < A.FixedEnd) return;
  if (FMovePos == A.AxisCellCount - 1 && Pos > A.CellsEnd) return;
  DrawMoveLine(L);
  Integer target = c;
  if (Pos < A.FixedEnd) {
    if (FMovePos > A.AxisFixedCount && A.FirstScrollCell > A.AxisFixedCount) {
      if (IsRow) MoveTopLeft(FTopLeft.X, FTopLeft.Y - 1);
      else MoveTopLeft(FTopLeft.X - 1, FTopLeft.Y);
      L = Layout();
    }
    target = (IsRow ? L.Vert : L.Horz).FirstScrollCell;
  } else if (Pos >= A.WholeVisibleEnd) {
    if (FMovePos == A.LastWholeVisibleCell && FMovePos < A.AxisCellCount - 1) {
      if (IsRow) MoveTopLeft(FTopLeft.X, FTopLeft.Y + 1);
      else MoveTopLeft(FTopLeft.X + 1, FTopLeft.Y);
      L = Layout();
    }
    target = (IsRow ? L.Vert : L.Horz).LastWholeVisibleCell;
  } else if (c < 0) {
    target = FMovePos;
  }
  Integer origin = FMoveIndex;
  bool ok = IsRow ? CheckRowDrag(origin, target, MousePt) : CheckColumnDrag(origin, target, MousePt);
  if (ok) FMovePos = target;
  DrawMoveLine(L);
}

void TCustomGridEh::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (FGridState == gsRowSizingEh || FGridState == gsColSizingEh) {
    TGridLayoutEh L = Layout();
    DrawSizingLine(L);
    FSizingPos = (FGridState == gsRowSizingEh ? Y : X) + FSizingOfs;
    DrawSizingLine(L);
  } else if (FGridState == gsSelectingEh || FGridState == gsRowMovingEh || FGridState == gsColMovingEh) {
    TGridLayoutEh L = Layout();
    TGridCoord cell = CellAtPoint(X, Y);
    bool inData = cell.X >= FFixedCols - EffectiveFrozenCols() &&
                  cell.X <= std::min(L.Horz.LastWholeVisibleCell + 1, FColCount - 1) &&
                  cell.Y >= FFixedRows - EffectiveFrozenRows() &&
                  cell.Y <= std::min(L.Vert.LastWholeVisibleCell + 1, FRowCount - 1);
    if (FGridState == gsSelectingEh) {
      if (inData && !(cell == FAnchor)) MoveAnchor(cell);
    } else if (FGridState == gsRowMovingEh) {
      TrackMove(Y, cell, {X, Y}, true);
    } else {
      TrackMove(X, cell, {X, Y}, false);
    }
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

Integer TCustomGridEh::SizingNewExtent(const TGridLayoutEh& L, bool IsRow) const {
  const TGridAxisLayoutEh& A = IsRow ? L.Vert : L.Horz;
  Integer i = FSizingIndex;
  if (i >= A.AxisCellCount) {
    Integer end = A.ContraStart - A.LineWidth;
    for (Integer j = A.AxisCellCount; j <= i; ++j) end += A.ExtentOf(j) + A.LineWidth;
    return end - FSizingPos;
  }
  if (i < A.AxisFixedCount) {
    Integer start = A.FrozenStart;
    for (Integer j = A.AxisFixedCount - A.FrozenCellCount; j < i; ++j) start += A.ExtentOf(j) + A.LineWidth;
    return FSizingPos - start;
  }
  Integer start = A.FixedEnd;
  for (Integer j = A.FirstScrollCell; j < i; ++j) start += A.ExtentOf(j) + A.LineWidth;
  return FSizingPos - start;
}

void TCustomGridEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  struct TReset {
    TGridStateEh& State;
    ~TReset() { State = gsNormalEh; }
  };
  {
    TReset reset{FGridState};
    switch (FGridState) {
      case gsSelectingEh:
        MouseMove(Shift, X, Y);
        StopTimer();
        UpdateEditor();
        Click();
        break;
      case gsRowSizingEh:
      case gsColSizingEh: {
        TGridLayoutEh L = Layout();
        DrawSizingLine(L);
        bool isRow = FGridState == gsRowSizingEh;
        Integer extent = SizingNewExtent(L, isRow);
        if (extent > 1) {
          if (isRow) SetRowHeights(FSizingIndex, extent);
          else SetColWidths(FSizingIndex, extent);
          NotifyDesignerModified();
        }
        break;
      }
      case gsRowMovingEh:
      case gsColMovingEh: {
        DrawMoveLine(Layout());
        StopTimer();
        bool isRow = FGridState == gsRowMovingEh;
        Integer from = FMoveIndex, to = FMovePos;
        TPoint pt(X, Y);
        bool ok = isRow ? EndRowDrag(from, to, pt) : EndColumnDrag(from, to, pt);
        if (ok && FMoveIndex != FMovePos) {
          FGridState = gsNormalEh;
          if (isRow) MoveRow(FMoveIndex, FMovePos);
          else MoveColumn(FMoveIndex, FMovePos);
          NotifyDesignerModified();
        }
        UpdateEditor();
        break;
      }
      default: UpdateEditor(); break;
    }
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomGridEh::StepAnchor(Integer Directions) {
  TGridCoord a = FAnchor;
  if (FGridOptions.Contains(geoRowSelect)) a.X = FCurrent.X;
  if ((Directions & sdLeftEh) && a.X > FFixedCols) --a.X;
  if ((Directions & sdRightEh) && a.X < FColCount - 1) ++a.X;
  if ((Directions & sdUpEh) && a.Y > FFixedRows) --a.Y;
  if ((Directions & sdDownEh) && a.Y < FRowCount - 1) ++a.Y;
  if (!(a == FAnchor)) MoveAnchor(a);
}

TPoint TCustomGridEh::CursorClientPos() {
  POINT p;
  GetCursorPos(&p);
  if (HandleAllocated()) ::ScreenToClient(FHandle, &p);
  return {p.x, p.y};
}

void TCustomGridEh::TimerTick() {
  if (FGridState != gsSelectingEh && FGridState != gsRowMovingEh && FGridState != gsColMovingEh) return;
  TPoint pt = CursorClientPos();
  TGridLayoutEh L = Layout();
  if (FGridState == gsSelectingEh) {
    Integer dirs = 0;
    if (pt.X < L.Horz.FixedEnd) dirs |= sdLeftEh;
    else if (pt.X > L.Horz.WholeVisibleEnd) dirs |= sdRightEh;
    if (pt.Y < L.Vert.FixedEnd) dirs |= sdUpEh;
    else if (pt.Y > L.Vert.WholeVisibleEnd) dirs |= sdDownEh;
    if (dirs) StepAnchor(dirs);
  } else {
    TGridCoord cell = CellAtPoint(pt.X, pt.Y);
    if (FGridState == gsRowMovingEh) TrackMove(pt.Y, cell, pt, true);
    else TrackMove(pt.X, cell, pt, false);
  }
}

void TCustomGridEh::CancelMode() {
  switch (FGridState) {
    case gsSelectingEh: StopTimer(); break;
    case gsRowSizingEh:
    case gsColSizingEh: DrawSizingLine(Layout()); break;
    case gsRowMovingEh:
    case gsColMovingEh:
      DrawMoveLine(Layout());
      StopTimer();
      break;
    default: break;
  }
  FGridState = gsNormalEh;
}

bool TCustomGridEh::IsCellClick(const TMessage& Message) {
  return FGridState == gsNormalEh && Message.XPos() >= 0 && Message.YPos() >= 0;
}

void TCustomGridEh::CellMouseClick(TGridCoord Cell, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (OnCellMouseClick) OnCellMouseClick(this, Cell, Button, Shift, X, Y);
  else DefaultCellMouseClick(Cell, Button, Shift, X, Y);
}

void TCustomGridEh::DoExit() {
  TCustomControl::DoExit();
  if (!FGridOptions.Contains(geoAlwaysShowEditor)) HideEditor();
}

// ---------------------------------------------------------------------------
// Messages

void TCustomGridEh::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CHAR:
      if (FGridOptions.Contains(geoEditing) && (Message.WParam == 8 || Message.WParam >= 32)) {
        ShowEditor();
        if (FInplaceEdit && FInplaceEdit->HandleAllocated())
          PostMessageW(FInplaceEdit->Handle(), WM_CHAR, Message.WParam, Message.LParam);
        return;
      }
      break;
    case WM_COMMAND:
      if (FInplaceEdit && FInplaceEdit->HandleAllocated() &&
          reinterpret_cast<HWND>(Message.LParam) == FInplaceEdit->Handle() && HIWORD(Message.WParam) == EN_CHANGE &&
          !FLoadingEditor)
        StoreEditorText();
      break;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      if (!FGridOptions.Contains(geoRowSelect)) {
        if (FGridOptions.Contains(geoTabs)) Message.Result |= DLGC_WANTTAB;
        if (FGridOptions.Contains(geoEditing)) Message.Result |= DLGC_WANTCHARS;
      }
      return;
    case CM_WANTSPECIALKEY:
      if (FGridOptions.Contains(geoEditing) && LOWORD(Message.WParam) == VK_RETURN) {
        Message.Result = 1;
        return;
      }
      break;
    case WM_SETFOCUS: {
      TCustomControl::Dispatch(Message);
      HWND from = reinterpret_cast<HWND>(Message.WParam);
      if (!FInplaceEdit || !FInplaceEdit->HandleAllocated() || from != FInplaceEdit->Handle()) {
        InvalidateBlock(Selection());
        UpdateEditor();
      }
      return;
    }
    case WM_KILLFOCUS: {
      TCustomControl::Dispatch(Message);
      InvalidateBlock(Selection());
      HWND to = reinterpret_cast<HWND>(Message.WParam);
      if (!FInplaceEdit || !FInplaceEdit->HandleAllocated() || to != FInplaceEdit->Handle()) HideEditorWindow();
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (FInplaceEdit) FInplaceEdit->SetClickTime(GetMessageTime());
      FMouseDownCell = CellAtPoint(Message.XPos(), Message.YPos());
      break;
    case WM_LBUTTONUP: {
      bool click = IsCellClick(Message);
      TCustomControl::Dispatch(Message);
      if (click) {
        TGridCoord cell = CellAtPoint(Message.XPos(), Message.YPos());
        if (cell.X >= 0 && cell == FMouseDownCell) {
          TRect r = CellClientRect(cell.X, cell.Y);
          CellMouseClick(cell, mbLeft, KeysToShiftState(Word(Message.WParam)), Message.XPos() - r.Left,
                         Message.YPos() - r.Top);
        }
      }
      return;
    }
    case WM_NCHITTEST: {
      TCustomControl::Dispatch(Message);
      POINT p{Message.XPos(), Message.YPos()};
      if (HandleAllocated()) ::ScreenToClient(FHandle, &p);
      FHitTestPoint = {p.x, p.y};
      return;
    }
    case WM_SETCURSOR:
      if (LOWORD(Message.LParam) == HTCLIENT && reinterpret_cast<HWND>(Message.WParam) == FHandle) {
        TGridStateEh state = FGridState;
        if (state == gsNormalEh) {
          Integer index, pos, ofs;
          DetectSizingState(FHitTestPoint.X, FHitTestPoint.Y, Layout(), state, index, pos, ofs);
        }
        if ((state == gsRowSizingEh || state == gsColSizingEh) && Screen) {
          ::SetCursor(Screen->Cursors(state == gsRowSizingEh ? crVSplit : crHSplit));
          Message.Result = 1;
          return;
        }
      }
      break;
    case WM_SIZE:
      TCustomControl::Dispatch(Message);
      UpdateScrollRange();
      if (FContraColCount > 0 || FContraRowCount > 0) Invalidate();
      return;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (Message.LParam == 0) {
        ModifyScrollBar(Message.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(Message.WParam),
                        HIWORD(Message.WParam));
        Message.Result = 0;
        return;
      }
      break;
    case WM_TIMER:
      if (Message.WParam == kScrollTimer) {
        TimerTick();
        return;
      }
      break;
    case WM_CANCELMODE:
      CancelMode();
      break;
    case CM_CANCELMODE:
      if (FInplaceEdit) FInplaceEdit->Perform(CM_CANCELMODE, Message.WParam, Message.LParam);
      CancelMode();
      break;
    case CM_FONTCHANGED:
      TCustomControl::Dispatch(Message);
      if (FInplaceEdit) FInplaceEdit->SetFont(Font());
      return;
    case CM_CTL3DCHANGED:
      if (HandleAllocated()) RecreateWnd();
      break;
    case CM_DESIGNHITTEST: {
      Integer index, pos, ofs;
      TGridStateEh state = gsNormalEh;
      DetectSizingState(Message.XPos(), Message.YPos(), Layout(), state, index, pos, ofs);
      Message.Result = FGridState != gsNormalEh || state != gsNormalEh ? 1 : 0;
      return;
    }
    case CM_SHOWINGCHANGED:
      TCustomControl::Dispatch(Message);
      UpdateScrollRange();
      return;
  }
  TCustomControl::Dispatch(Message);
}
