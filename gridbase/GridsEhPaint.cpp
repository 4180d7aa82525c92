// Painting of the base grid: grid lines region by region, the cells of each
// area through DrawCell, the 3D edges of fixed cells, the focus rectangle,
// the empty background and the contra rows and columns.
#include <algorithm>
#include "GridsEh.h"

namespace {

// Lines of one direction collected for a single PolyPolyline call.
struct TDrawLinesInfoEh {
  TPointArray Points;
  TDWORDArray Counts;
  void Add(Integer x1, Integer y1, Integer x2, Integer y2) {
    Points.push_back({x1, y1});
    Points.push_back({x2, y2});
    Counts.push_back(2);
  }
};

// A pen of the grid's line width: cosmetic for one pixel, geometric with
// flat ends and mitred joins for wider lines.
HPEN MakeLinePen(Integer Width, TColor Color) {
  COLORREF rgb = ColorToRGB(Color);
  if (Width <= 1) return CreatePen(PS_SOLID, 1, rgb);
  LOGBRUSH lb{BS_SOLID, rgb, 0};
  return ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_MITER | PS_SOLID, DWORD(Width), &lb, 0, nullptr);
}

}  // namespace

void TCustomGridEh::DrawSeparator(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Width, TColor Color) {
  if (Width <= 0) return;
  HDC dc = Canvas()->Handle();
  HPEN pen = MakeLinePen(Width, Color);
  HGDIOBJ old = SelectObject(dc, pen);
  POINT pts[2] = {{X1, Y1}, {X2, Y2}};
  Polyline(dc, pts, 2);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void TCustomGridEh::DrawPolyline(const TPoint* Points, Integer Count) {
  std::vector<TPoint> copy(Points, Points + Count);
  Canvas()->Polyline(copy);
}

// One direction of the lines of a region: Vertical draws the lines between
// columns, otherwise the lines between rows.
void TCustomGridEh::DrawLineDirection(const TGridLayoutEh& L, const TRect& Region, TGridCoord Start, TColor PenColor,
                                      bool Vertical) {
  const TGridAxisLayoutEh& A = Vertical ? L.Horz : L.Vert;
  if (A.LineWidth == 0) return;
  Integer index = Vertical ? Start.X : Start.Y;
  Integer regionStart = Vertical ? Region.Left : Region.Top;
  Integer regionEnd = Vertical ? Region.Right : Region.Bottom;
  // A region walks its own kind of cells: fixed, scrollable or contra.
  Integer limit = index >= A.AxisCellCount ? A.FullCellCount : index >= A.AxisFixedCount ? A.AxisCellCount : A.AxisFixedCount;
  TDrawLinesInfoEh info;
  Integer pos = regionStart + A.ExtentOf(index) + A.LineWidth / 2;
  while (index < limit && pos <= regionEnd + A.LineWidth) {
    if (Vertical) info.Add(pos, Region.Top, pos, Region.Bottom);
    else info.Add(Region.Left, pos, Region.Right, pos);
    // Next cell with room on screen.
    do {
      ++index;
    } while (index < limit && A.ExtentOf(index) + A.LineWidth <= 0);
    if (index >= limit) break;
    pos += A.ExtentOf(index) + A.LineWidth;
  }
  if (info.Counts.empty()) return;
  HDC dc = Canvas()->Handle();
  HPEN pen = MakeLinePen(FGridLineWidth, PenColor);
  HGDIOBJ old = SelectObject(dc, pen);
  PolyPolyline(dc, reinterpret_cast<const POINT*>(info.Points.data()), info.Counts.data(), DWORD(info.Counts.size()));
  SelectObject(dc, old);
  DeleteObject(pen);
}

void TCustomGridEh::DrawLinesRegion(const TGridLayoutEh& L, const TRect& Region, TGridCoord Start, TColor Background,
                                    TColor LineColor, bool DataLines) {
  if (Region.IsEmpty()) return;
  bool vertOn = FGridOptions.Contains(DataLines ? geoVertLine : geoFixedVertLine);
  bool horzOn = FGridOptions.Contains(DataLines ? geoHorzLine : geoFixedHorzLine);
  // Room for a line is kept whenever the axis has lines at all; where this
  // region's own lines are off it is painted in the background.
  TColor vertColor = vertOn ? LineColor : Background;
  TColor horzColor = horzOn ? LineColor : Background;
  if (horzOn) {
    DrawLineDirection(L, Region, Start, vertColor, true);
    DrawLineDirection(L, Region, Start, horzColor, false);
  } else {
    DrawLineDirection(L, Region, Start, horzColor, false);
    DrawLineDirection(L, Region, Start, vertColor, true);
  }
}

void TCustomGridEh::DrawFixedEdge(TRect R, const TGridLayoutEh& L) {
  if (!FGridOptions.Contains(geoFixedVertLine)) R.Right += L.Horz.LineWidth;
  else if (!FGridOptions.Contains(geoFixedHorzLine)) R.Bottom += L.Vert.LineWidth;
  HDC dc = Canvas()->Handle();
  RECT rc{R.Left, R.Top, R.Right, R.Bottom};
  if (!FFlat) {
    DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
    return;
  }
  // Flat: the bottom and right borders take the cell's colour, only the top
  // and left highlight stay.
  Canvas()->Pen()->SetColor(Canvas()->Brush()->Color());
  Canvas()->Pen()->SetWidth(1);
  Canvas()->Polyline({TPoint(R.Left, R.Bottom - 1), TPoint(R.Right - 1, R.Bottom - 1), TPoint(R.Right - 1, R.Top - 1)});
  DrawEdge(Canvas()->Handle(), &rc, BDR_RAISEDINNER, BF_TOPLEFT);
}

void TCustomGridEh::DrawCells(const TGridLayoutEh& L, TGridCoord Start, Integer Left, Integer Top,
                              TGridDrawState BaseState, TColor AColor, Integer RightLimit, Integer BottomLimit,
                              Integer ColLimit, Integer RowLimit, bool ContraCells) {
  bool designing = IsDesigning();
  bool active = !ContraCells && IsActiveControl();
  TCellBlockEh sel = Selection();
  HDC dc = Canvas()->Handle();
  Integer y = Top;
  for (Integer row = Start.Y; y < BottomLimit && row < RowLimit; ++row) {
    Integer h = L.Vert.ExtentOf(row);
    Integer x = Left;
    for (Integer col = Start.X; x < RightLimit && col < ColLimit; ++col) {
      Integer w = L.Horz.ExtentOf(col);
      TRect r(x, y, x + w, y + h);
      x = r.Right + L.Horz.LineWidth;
      if (w <= 0 || !RectVisible(dc, r.AsRECT())) continue;
      TGridDrawState state = BaseState;
      if (!ContraCells) {
        if (active && col == FCurrent.X && row == FCurrent.Y) state += gdFocused;
        if (col >= sel.Left && col <= sel.Right && row >= sel.Top && row <= sel.Bottom) state += gdSelected;
      }
      bool focused = state.Contains(gdFocused);
      if (focused && !designing && FGridOptions.Contains(geoEditing) && FEditorMode) continue;
      if (FDefaultDrawing || designing) {
        // Only a font that differs is assigned: an assignment makes the
        // canvas create and select its font anew, for every cell.
        TFont* cf = Canvas()->Font();
        if (!cf->Equals(*Font()) || cf->Quality() != Font()->Quality() ||
            cf->PixelsPerInch() != Font()->PixelsPerInch())
          cf->Assign(Font());
        if (state.Contains(gdSelected) &&
            (!focused || FGridOptions.Contains(geoDrawFocusSelected) || FGridOptions.Contains(geoRowSelect))) {
          Canvas()->Brush()->SetColor(clHighlight);
          Canvas()->Font()->SetColor(clHighlightText);
        } else {
          Canvas()->Brush()->SetColor(AColor);
        }
        Canvas()->FillRect(r);
      }
      DrawCell(col, row, r, state);
      if (FDefaultDrawing && state.Contains(gdFixed) && Ctl3D() &&
          (FGridOptions.Contains(geoFixedVertLine) || FGridOptions.Contains(geoFixedHorzLine)))
        DrawFixedEdge(r, L);
      if (FDefaultDrawing && !designing && focused &&
          !(FGridOptions.Contains(geoEditing) && FGridOptions.Contains(geoAlwaysShowEditor)) &&
          !FGridOptions.Contains(geoRowSelect))
        Canvas()->DrawFocusRect(r);
    }
    y += h + L.Vert.LineWidth;
  }
}

void TCustomGridEh::Paint() {
  if (IsPaintLocked()) return;
  TGridLayoutEh L = Layout();
  const TGridAxisLayoutEh& H = L.Horz;
  const TGridAxisLayoutEh& V = L.Vert;
  HDC dc = Canvas()->Handle();
  bool contra = H.ContraCellCount > 0 || V.ContraCellCount > 0;
  HRGN savedClip = nullptr;
  bool hadClip = false;
  if (contra) {
    savedClip = CreateRectRgn(0, 0, 0, 0);
    hadClip = GetClipRgn(dc, savedClip) == 1;
    IntersectClipRect(dc, 0, 0, H.ContraStart, V.ContraStart);
  }
  Integer fixedCols = FFixedCols, fixedRows = FFixedRows;
  Integer frozenCols = EffectiveFrozenCols(), frozenRows = EffectiveFrozenRows();
  Integer fc0 = fixedCols - frozenCols, fr0 = fixedRows - frozenRows;
  TGridLineColorsEh* lc = FGridLineColors.get();
  if (H.LineWidth > 0 || V.LineWidth > 0) {
    auto region = [&](TRect r, TGridCoord start, bool data) {
      DrawLinesRegion(L, r, start, data ? Color() : FFixedColor, lc->GetCellLineColor(start.X, start.Y), data);
    };
    region({0, 0, H.FixedEnd, V.FrozenStart}, {0, 0}, false);
    region({0, V.FrozenStart, H.FrozenStart, V.FixedEnd}, {0, fr0}, false);
    region({H.FrozenStart, V.FrozenStart, H.FixedEnd - 1, V.FixedEnd - 1}, {fc0, fr0}, false);
    if (frozenRows > 0)
      DrawSeparator(H.FrozenStart, V.FixedEnd - 1, H.FixedEnd, V.FixedEnd - 1, V.LineWidth,
                    lc->GetFrozenHorzLineColor(fixedCols - 1, fixedRows - 1));
    if (frozenCols > 0)
      DrawSeparator(H.FixedEnd - 1, V.FrozenStart, H.FixedEnd - 1, V.FixedEnd, H.LineWidth,
                    lc->GetFrozenVertLineColor(fixedCols - 1, fixedRows - 1));
    region({H.FixedEnd, 0, H.CellsEnd, V.FrozenStart}, {FTopLeft.X, 0}, false);
    region({H.FixedEnd, V.FrozenStart, H.CellsEnd, V.FixedEnd}, {FTopLeft.X, fr0}, false);
    if (frozenRows > 0)
      DrawSeparator(H.FixedEnd, V.FixedEnd - 1, H.CellsEnd, V.FixedEnd - 1, V.LineWidth,
                    lc->GetFrozenHorzLineColor(FTopLeft.X, fixedRows - 1));
    region({0, V.FixedEnd, H.FrozenStart, V.CellsEnd}, {0, FTopLeft.Y}, false);
    region({H.FrozenStart, V.FixedEnd, H.FixedEnd - 1, V.CellsEnd}, {fc0, FTopLeft.Y}, false);
    if (frozenCols > 0)
      DrawSeparator(H.FixedEnd - 1, V.FixedEnd, H.FixedEnd - 1, V.CellsEnd, H.LineWidth,
                    lc->GetFrozenVertLineColor(fixedCols - 1, FTopLeft.Y));
    region({H.FixedEnd, V.FixedEnd, H.CellsEnd, V.CellsEnd}, {FTopLeft.X, FTopLeft.Y}, true);
  }

  Integer scrollLeft = H.FixedEnd - FHorzPixelOffset;
  // The eight areas of cells.
  DrawCells(L, {0, 0}, 0, 0, {gdFixed}, FFixedColor, H.FixedEnd, V.FrozenStart, fixedCols, fr0, false);
  DrawCells(L, {0, fr0}, 0, V.FrozenStart, {gdFixed}, FFixedColor, H.FrozenStart, V.FixedEnd, fc0, fixedRows, false);
  DrawCells(L, {fc0, fr0}, H.FrozenStart, V.FrozenStart, {}, Color(), H.FixedEnd, V.FixedEnd, fixedCols, fixedRows,
            false);
  DrawCells(L, {FTopLeft.X, 0}, scrollLeft, 0, {gdFixed}, FFixedColor, H.CellsEnd, V.FrozenStart, FColCount, fr0, false);
  DrawCells(L, {FTopLeft.X, fr0}, scrollLeft, V.FrozenStart, {}, Color(), H.CellsEnd, V.FixedEnd, FColCount, fixedRows,
            false);
  DrawCells(L, {0, FTopLeft.Y}, 0, V.FixedEnd, {gdFixed}, FFixedColor, H.FrozenStart, V.CellsEnd, fc0, FRowCount,
            false);
  DrawCells(L, {fc0, FTopLeft.Y}, H.FrozenStart, V.FixedEnd, {}, Color(), H.FixedEnd, V.CellsEnd, fixedCols, FRowCount,
            false);
  DrawCells(L, {FTopLeft.X, FTopLeft.Y}, scrollLeft, V.FixedEnd, {}, Color(), H.CellsEnd, V.CellsEnd, FColCount,
            FRowCount, false);

  if (FGridOptions.Contains(geoRowSelect) && FDefaultDrawing && !IsDesigning() && HandleAllocated() &&
      GetFocus() == FHandle) {
    TCellBlockEh s = Selection();
    TRect r = BoxRect(s.Left, s.Top, s.Right, s.Bottom, false);
    if (!r.IsEmpty()) Canvas()->DrawFocusRect(r);
  }

  // The room beyond the cells.
  Canvas()->Brush()->SetColor(Color());
  if (H.CellsEnd < H.DataExtent) Canvas()->FillRect({H.CellsEnd, 0, H.DataExtent, V.CellsEnd});
  if (V.CellsEnd < V.DataExtent) Canvas()->FillRect({0, V.CellsEnd, H.DataExtent, V.DataExtent});

  if (contra) {
    SelectClipRgn(dc, hadClip ? savedClip : nullptr);
    DeleteObject(savedClip);
    PaintContraAreas(L);
  }
}

// The contra rows (glued to the bottom) and contra columns (glued to the
// right), painted after the main area so that they cover what scrolled
// under them.
void TCustomGridEh::PaintContraAreas(const TGridLayoutEh& L) {
  const TGridAxisLayoutEh& H = L.Horz;
  const TGridAxisLayoutEh& V = L.Vert;
  HDC dc = Canvas()->Handle();
  TGridLineColorsEh* lc = FGridLineColors.get();
  Integer frozenCols = EffectiveFrozenCols(), frozenRows = EffectiveFrozenRows();
  Integer fc0 = FFixedCols - frozenCols, fr0 = FFixedRows - frozenRows;
  Integer scrollLeft = H.FixedEnd - FHorzPixelOffset;
  Integer rowsTop = V.ContraStart + V.LineWidth;
  Integer colsLeft = H.ContraStart + H.LineWidth;
  Integer fullRows = FRowCount + V.ContraCellCount, fullCols = FColCount + H.ContraCellCount;
  auto clipped = [&](const TRect& clip, auto&& draw) {
    SaveDC(dc);
    IntersectClipRect(dc, clip.Left, clip.Top, clip.Right, clip.Bottom);
    draw();
    RestoreDC(dc, -1);
  };
  auto lines = [&](TRect r, TGridCoord start, bool fixed) {
    DrawLinesRegion(L, r, start, fixed ? FFixedColor : Color(), lc->GetCellLineColor(start.X, start.Y), !fixed);
  };

  if (V.ContraCellCount > 0) {
    clipped({0, V.ContraStart, H.ContraStart, V.ClientExtent}, [&] {
      lines({0, rowsTop, H.FrozenStart, V.ClientExtent}, {0, FRowCount}, true);
      lines({H.FrozenStart, rowsTop, H.FixedEnd - 1, V.ClientExtent}, {fc0, FRowCount}, false);
      lines({H.FixedEnd, rowsTop, H.CellsEnd, V.ClientExtent}, {FTopLeft.X, FRowCount}, false);
      if (frozenCols > 0)
        DrawSeparator(H.FixedEnd - 1, rowsTop, H.FixedEnd - 1, V.ClientExtent, H.LineWidth,
                      lc->GetFrozenVertLineColor(FFixedCols - 1, FRowCount));
      DrawSeparator(0, V.ContraStart + V.LineWidth / 2, H.ContraStart, V.ContraStart + V.LineWidth / 2, V.LineWidth,
                    lc->GetHorzLineColor(0, FRowCount));
      DrawCells(L, {0, FRowCount}, 0, rowsTop, {gdFixed}, FFixedColor, H.FrozenStart, V.ClientExtent, fc0, fullRows,
                true);
      DrawCells(L, {fc0, FRowCount}, H.FrozenStart, rowsTop, {}, Color(), H.FixedEnd, V.ClientExtent, FFixedCols,
                fullRows, true);
      DrawCells(L, {FTopLeft.X, FRowCount}, scrollLeft, rowsTop, {}, Color(), H.CellsEnd, V.ClientExtent, FColCount,
                fullRows, true);
      Canvas()->Brush()->SetColor(Color());
      if (H.CellsEnd < H.ContraStart) Canvas()->FillRect({H.CellsEnd, rowsTop, H.ContraStart, V.ClientExtent});
    });
  }
  if (H.ContraCellCount > 0) {
    clipped({H.ContraStart, 0, H.ClientExtent, V.ContraStart}, [&] {
      lines({colsLeft, 0, H.ClientExtent, V.FrozenStart}, {FColCount, 0}, true);
      lines({colsLeft, V.FrozenStart, H.ClientExtent, V.FixedEnd - 1}, {FColCount, fr0}, false);
      lines({colsLeft, V.FixedEnd, H.ClientExtent, V.CellsEnd}, {FColCount, FTopLeft.Y}, false);
      if (frozenRows > 0)
        DrawSeparator(colsLeft, V.FixedEnd - 1, H.ClientExtent, V.FixedEnd - 1, V.LineWidth,
                      lc->GetFrozenHorzLineColor(FColCount, FFixedRows - 1));
      DrawSeparator(H.ContraStart + H.LineWidth / 2, 0, H.ContraStart + H.LineWidth / 2, V.ContraStart, H.LineWidth,
                    lc->GetVertLineColor(FColCount));
      DrawCells(L, {FColCount, 0}, colsLeft, 0, {gdFixed}, FFixedColor, H.ClientExtent, V.FrozenStart, fullCols, fr0,
                true);
      DrawCells(L, {FColCount, fr0}, colsLeft, V.FrozenStart, {}, Color(), H.ClientExtent, V.FixedEnd, fullCols,
                FFixedRows, true);
      DrawCells(L, {FColCount, FTopLeft.Y}, colsLeft, V.FixedEnd, {}, Color(), H.ClientExtent, V.CellsEnd, fullCols,
                FRowCount, true);
      Canvas()->Brush()->SetColor(Color());
      if (V.CellsEnd < V.ContraStart) Canvas()->FillRect({colsLeft, V.CellsEnd, H.ClientExtent, V.ContraStart});
    });
  }
  if (H.ContraCellCount > 0 && V.ContraCellCount > 0) {
    clipped({H.ContraStart, V.ContraStart, H.ClientExtent, V.ClientExtent}, [&] {
      lines({colsLeft, rowsTop, H.ClientExtent, V.ClientExtent}, {FColCount, FRowCount}, false);
      DrawSeparator(H.ContraStart, V.ContraStart + V.LineWidth / 2, H.ClientExtent, V.ContraStart + V.LineWidth / 2,
                    V.LineWidth, lc->GetHorzLineColor(FColCount, FRowCount));
      DrawSeparator(H.ContraStart + H.LineWidth / 2, V.ContraStart, H.ContraStart + H.LineWidth / 2, V.ClientExtent,
                    H.LineWidth, lc->GetVertLineColor(FColCount));
      DrawCells(L, {FColCount, FRowCount}, colsLeft, rowsTop, {}, Color(), H.ClientExtent, V.ClientExtent, fullCols,
                fullRows, true);
    });
  }
}
