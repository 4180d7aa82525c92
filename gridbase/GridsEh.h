// The grid library's base grid: a window of cells in four groups per axis
// (fixed, frozen, scrollable and contra cells), a current cell with a
// selection anchor, its own scroll bars, mouse selection, sizing and moving,
// and one in-place editor over the current cell. The cells' contents are the
// descendants' (DrawCell and the editor hooks); the data grid is built on it.
//
// Sources: GridsEh.cpp (model, geometry, current cell), GridsEhPaint.cpp
// (painting), GridsEhInput.cpp (keyboard, scrolling, mouse),
// GridsEhEditor.cpp (counts, moves, in-place editor, streaming).
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "Controls.h"
#include "Mask.h"
#include "StdCtrls.h"

class TCustomGridEh;
class TInplaceEdit;

struct TGridCoord {
  Integer X = 0;   // column
  Integer Y = 0;   // row
  friend constexpr bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// A block of cells, inclusive on every side.
struct TCellBlockEh {
  Integer Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend constexpr bool operator==(const TCellBlockEh&, const TCellBlockEh&) = default;
};

using TIntegerArray = std::vector<Integer>;
using TPointArray = std::vector<TPoint>;
using TDWORDArray = std::vector<DWORD>;

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

enum TGridEhOption {
  geoFixedVertLine, geoFixedHorzLine, geoVertLine, geoHorzLine, geoRangeSelect, geoDrawFocusSelected,
  geoRowSizing, geoColSizing, geoRowMoving, geoColMoving, geoEditing, geoTabs, geoRowSelect,
  geoAlwaysShowEditor, geoThumbTracking
};
TOVANI_ENUM_INFO(TGridEhOption)
using TGridEhOptions = TSet<TGridEhOption>;

enum TGridStateEh { gsNormalEh, gsSelectingEh, gsRowSizingEh, gsColSizingEh, gsRowMovingEh, gsColMovingEh };

// Directions of StepAnchor (auto-scroll while selecting).
constexpr Integer sdLeftEh = 1, sdRightEh = 2, sdUpEh = 4, sdDownEh = 8;

using TGridEhCellMouseEvent = std::function<void(TCustomGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                                 TShiftState Shift, Integer X, Integer Y)>;
using TMovedEvent = std::function<void(TObject* Sender, Integer FromIndex, Integer ToIndex)>;

TOVANI_EXCEPTION(EInvalidGridOperationEh, Exception)

// Texts of the grid errors.
extern const char* const SGridIndexOutOfRangeEh;
extern const char* const SGridFixedColsTooBigEh;
extern const char* const SGridFixedRowsTooBigEh;
extern const char* const SGridTooManyDeletedEh;
extern const char* const SGridTooLargeEh;
extern const char* const SGridContraColNegativeEh;
extern const char* const SGridContraRowNegativeEh;

// Resizes an extent array (element 0 the count, entry i at i + 1): Amount
// entries are inserted (filled with Default) or removed at Index.
void ModifyExtentsEh(TIntegerArray& Extents, Integer Index, Integer Amount, Integer Default);

// Geometry of one axis, computed afresh before each geometric decision.
struct TGridAxisLayoutEh {
  Integer LineWidth = 0;
  Integer FixedEnd = 0;
  Integer CellsEnd = 0;
  Integer DataExtent = 0;
  Integer LastWholeVisibleCell = 0;
  Integer WholeVisibleEnd = 0;
  Integer AxisFixedCount = 0;
  Integer FirstScrollCell = 0;
  Integer AxisCellCount = 0;
  Integer FrozenStart = 0;
  Integer FrozenCellCount = 0;
  Integer ContraCellCount = 0;
  Integer ContraStart = 0;
  Integer ClientExtent = 0;
  Integer FullCellsEnd = 0;
  Integer FullCellCount = 0;
  // The extent function of the axis: column widths or row heights.
  const TCustomGridEh* Grid = nullptr;
  bool Vertical = false;
  Integer ExtentOf(Integer Index) const;
};

struct TGridLayoutEh {
  TGridAxisLayoutEh Horz, Vert;
};

// Line colours of the grid's areas; every colour left at clDefault follows
// the grid's look.
class TGridLineColorsEh : public TPersistent {
  TOVANI_CLASS(TGridLineColorsEh, TPersistent)
 public:
  explicit TGridLineColorsEh(TCustomGridEh* AGrid = nullptr) : FGrid(AGrid) {}
  void Assign(TPersistent* Source) override;

  TColor DataLineColor() const { return FDataLineColor; }
  void SetDataLineColor(TColor v);
  TColor FixedLineColor() const { return FFixedLineColor; }
  void SetFixedLineColor(TColor v);
  TColor ContraColLineColor() const { return FContraColLineColor; }
  void SetContraColLineColor(TColor v);
  TColor ContraRowLineColor() const { return FContraRowLineColor; }
  void SetContraRowLineColor(TColor v);
  TColor FrozenColLineColor() const { return FFrozenColLineColor; }
  void SetFrozenColLineColor(TColor v);

  virtual TColor GetFixedLineColor();
  virtual TColor GetDataLineColor();
  virtual TColor GetCellLineColor(Integer ACol, Integer ARow);
  virtual TColor GetVertLineColor(Integer ACol);
  virtual TColor GetHorzLineColor(Integer ACol, Integer ARow);
  virtual TColor GetFrozenVertLineColor(Integer ACol, Integer ARow);
  virtual TColor GetFrozenHorzLineColor(Integer ACol, Integer ARow);
  TColor GetContraColLineColor();
  TColor GetContraRowLineColor();
  TColor GetFrozenColLineColor();

 protected:
  TPersistent* GetOwner() override;
  TCustomGridEh* FGrid;

 private:
  void Changed();
  TColor FDataLineColor = clDefault;
  TColor FFixedLineColor = clDefault;
  TColor FContraColLineColor = clDefault;
  TColor FContraRowLineColor = clDefault;
  TColor FFrozenColLineColor = clDefault;
};

// ---------------------------------------------------------------------------

class TCustomGridEh : public TCustomControl {
  TOVANI_CLASS(TCustomGridEh, TCustomControl)
 public:
  explicit TCustomGridEh(TComponent* AOwner = nullptr);
  ~TCustomGridEh() override;

  // Counts.
  Integer ColCount() const { return FColCount; }
  void SetColCount(Integer v);
  Integer RowCount() const { return FRowCount; }
  void SetRowCount(Integer v);
  Integer FixedCols() const { return FFixedCols; }
  void SetFixedCols(Integer v);
  Integer FixedRows() const { return FFixedRows; }
  void SetFixedRows(Integer v);
  Integer FrozenCols() const { return FFrozenCols; }
  void SetFrozenCols(Integer v);
  Integer FrozenRows() const { return FFrozenRows; }
  Integer ContraColCount() const { return FContraColCount; }
  void SetContraColCount(Integer v);
  Integer ContraRowCount() const { return FContraRowCount; }
  void SetContraRowCount(Integer v);
  // The frozen counts the layout uses: never more than the fixed cells
  // (and than the cells less one), whatever the properties hold.
  Integer EffectiveFrozenCols() const;
  Integer EffectiveFrozenRows() const;

  // Extents.
  Integer ColWidths(Integer Index) const;
  void SetColWidths(Integer Index, Integer Value);
  Integer RowHeights(Integer Index) const;
  void SetRowHeights(Integer Index, Integer Value);
  bool TabStops(Integer Index) const;
  void SetTabStops(Integer Index, bool Value);
  Integer DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(Integer v);
  Integer DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(Integer v);
  Integer GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(Integer v);
  const TIntegerArray& ColWidthsArray() const { return FColWidths; }
  const TIntegerArray& RowHeightsArray() const { return FRowHeights; }

  // Current cell, selection, view.
  Integer Col() const { return FCurrent.X; }
  void SetCol(Integer v);
  Integer Row() const { return FCurrent.Y; }
  void SetRow(Integer v);
  TGridCoord Current() const { return FCurrent; }
  TGridCoord Anchor() const { return FAnchor; }
  Integer LeftCol() const { return FTopLeft.X; }
  void SetLeftCol(Integer v);
  Integer TopRow() const { return FTopLeft.Y; }
  void SetTopRow(Integer v);
  TGridCoord TopLeft() const { return FTopLeft; }
  Integer HorzPixelOffset() const { return FHorzPixelOffset; }
  TCellBlockEh Selection() const;
  Integer VisibleColCount() const;
  Integer VisibleRowCount() const;
  Integer GridWidth() const;
  Integer GridHeight() const;

  // Options and look.
  TGridEhOptions GridOptions() const { return FGridOptions; }
  void SetGridOptions(TGridEhOptions v);
  TGridEhOptions DesignSizingOptions() const { return FDesignSizingOptions; }
  void SetDesignSizingOptions(TGridEhOptions v) { FDesignSizingOptions = v; }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle v);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor v);
  bool Flat() const { return FFlat; }
  void SetFlat(bool v);
  TColor FlatLineColor() const { return FFlatLineColor; }
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool v) { FDefaultDrawing = v; }
  TGridLineColorsEh* GridLineColors() { return FGridLineColors.get(); }
  bool StoreCellExtents() const { return FStoreCellExtents; }
  void SetStoreCellExtents(bool v) { FStoreCellExtents = v; }
  bool FullRepaintOnResize() const { return FFullRepaintOnResize; }
  void SetFullRepaintOnResize(bool v) { FFullRepaintOnResize = v; }
  TGridStateEh GridState() const { return FGridState; }

  // Editing.
  bool EditorMode() const { return FEditorMode; }
  void SetEditorMode(bool v);
  TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
  Integer InplaceCol() const { return FInplaceCol; }
  Integer InplaceRow() const { return FInplaceRow; }
  bool CanEditModify() const { return FCanEditModify; }
  void ShowEditor();
  void HideEditor();
  void ResetEditorPlacement();

  // Geometry.
  void CalcDrawInfo(TGridLayoutEh& Layout) const;
  // The layout for a given client size (scroll-bar trials).
  void CalcDrawInfoXY(TGridLayoutEh& Layout, Integer ClientW, Integer ClientH) const;
  TGridLayoutEh Layout() const {
    TGridLayoutEh l;
    CalcDrawInfo(l);
    return l;
  }
  TRect CellClientRect(Integer ACol, Integer ARow) const;
  TRect CellBlockRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom) const;
  TGridCoord CellAtPoint(Integer X, Integer Y) const;
  TGridCoord MaxTopLeftCell(Integer ACol, Integer ARow) const;
  // The smallest first cell of an axis that still shows Target whole.
  static Integer AxisMaxTopLeftOf(const TGridAxisLayoutEh& A, Integer Target);

  // Painting.
  void InvalidateCell(Integer ACol, Integer ARow);
  void InvalidateCol(Integer ACol);
  void InvalidateRow(Integer ARow);
  void InvalidateBlock(const TCellBlockEh& Block);
  void InvalidateGrid() { Invalidate(); }
  void LockPaint() { ++FPaintLockCount; }
  void UnlockPaint() {
    if (FPaintLockCount > 0) --FPaintLockCount;
  }
  bool IsPaintLocked() const { return FPaintLockCount > 0; }

  // Structure.
  virtual void DeleteColumn(Integer ACol);
  virtual void DeleteRow(Integer ARow);
  void MoveColumn(Integer FromIndex, Integer ToIndex);
  void MoveRow(Integer FromIndex, Integer ToIndex);
  bool IsActiveControl();

  TGridEhCellMouseEvent OnCellMouseClick;

 protected:
  friend class TInplaceEdit;
  friend class TGridLineColorsEh;

  // Virtual operations.
  virtual TInplaceEdit* CreateInplaceEditor();
  virtual void DetectSizingState(Integer X, Integer Y, const TGridLayoutEh& Layout, TGridStateEh& State,
                                 Integer& Index, Integer& SizingPos, Integer& SizingOfs);
  virtual void CellMouseClick(TGridCoord Cell, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual bool EditorCanShow();
  virtual bool IsCellClick(const TMessage& Message);
  virtual void FlatChanged() {}
  virtual void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState AState) = 0;
  virtual bool CellSelectable(Integer ACol, Integer ARow) { return true; }
  virtual void ApplyFlatLineColor();
  virtual TGridLineColorsEh* CreateGridLineColors();
  virtual void ChangeContraCounts(Integer NewContraCols, Integer NewContraRows);
  virtual void DefaultCellMouseClick(TGridCoord Cell, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {}

  // Dynamic operations.
  virtual void ChangeSizeAt(Integer Index, Integer Amount, bool IsRow);
  virtual bool EditorAcceptsKey(char32_t Key) { return true; }
  virtual bool GridAcceptsKey(Word Key, TShiftState Shift) { return true; }
  virtual bool EditorCanModify() { return FCanEditModify; }
  virtual String GetCellEditText(Integer ACol, Integer ARow) { return String(); }
  virtual void SetCellEditText(Integer ACol, Integer ARow, const String& Value) {}
  virtual Integer GetEditorMaxLength() { return 0; }
  virtual String GetCellEditMask(Integer ACol, Integer ARow) { return String(); }
  virtual void ColumnMoved(Integer FromIndex, Integer ToIndex) {}
  virtual void RowMoved(Integer FromIndex, Integer ToIndex) {}
  virtual void SizeChanged(Integer OldColCount, Integer OldRowCount) {}
  virtual void TopLeftChanged();
  virtual void StepAnchor(Integer Directions);
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  virtual bool BeginColumnDrag(Integer& Origin, Integer& Destination, TPoint MousePt) { return true; }
  virtual bool BeginRowDrag(Integer& Origin, Integer& Destination, TPoint MousePt) { return true; }
  virtual bool CheckColumnDrag(Integer& Origin, Integer& Destination, TPoint MousePt) { return true; }
  virtual bool CheckRowDrag(Integer& Origin, Integer& Destination, TPoint MousePt) { return true; }
  virtual bool EndColumnDrag(Integer& Origin, Integer& Destination, TPoint MousePt) { return true; }
  virtual bool EndRowDrag(Integer& Origin, Integer& Destination, TPoint MousePt) { return true; }

  // Where the mouse stands in client coordinates, for the auto-scroll timer.
  virtual TPoint CursorClientPos();
  // Starts (Period in ms) or stops the auto-scroll timer 1; its ticks arrive
  // as WM_TIMER. A test can take the timer's place and send the ticks itself.
  virtual void SetScrollTimer(bool Run, UINT Period);
  bool ScrollTimerRunning() const { return FTimerActive; }

  // Class library overrides.
  void DefineProperties(TFiler* Filer) override;
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoExit() override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void Dispatch(TMessage& Message) override;
  void CreateWnd() override;

  // Operations of the model for descendants.
  void MoveCurrent(Integer ACol, Integer ARow, bool MoveAnchor, bool Show);
  void FocusCell(Integer ACol, Integer ARow, bool MoveAnchor);
  void MoveAnchor(TGridCoord NewAnchor);
  void MoveTopLeft(Integer ALeft, Integer ATop);
  void ScrollCellIntoView(TGridCoord Coord);
  void InitializeOrigin();
  void InvalidateSelectionChange(const TCellBlockEh& OldSel);
  void TopLeftMoved(TGridCoord OldTopLeft);
  void ScrollData(Integer DX, Integer DY);
  void UpdateScrollPos();
  void UpdateScrollRange();
  void ModifyScrollBar(UINT ScrollBar, UINT ScrollCode, UINT Pos);
  void ChangeGridSize(Integer NewColCount, Integer NewRowCount);
  void UpdateEditor();
  void UpdateEditorContents();
  void HideEditorWindow();
  void StoreEditorText();
  void NotifyDesignerModified();
  TRect BoxRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom, bool IncludeLine) const;
  void InvalidateRectOf(const TRect& R);
  bool IsDesigning() const { return ComponentState().Contains(csDesigning); }
  void DrawPolyline(const TPoint* Points, Integer Count);

  TGridStateEh FGridState = gsNormalEh;
  Integer FSizingIndex = 0, FSizingPos = 0, FSizingOfs = 0;
  Integer FMoveIndex = 0, FMovePos = 0;
  TGridCoord FMouseDownCell{-1, -1};
  TPoint FHitTestPoint;

  // The raised edge of a fixed cell; a descendant that frames its fixed
  // cells itself (pressed, selected or themed) replaces it.
  virtual void DrawFixedEdge(TRect R, const TGridLayoutEh& L);
 private:
  // Painting pieces (GridsEhPaint.cpp).
  struct TLineRegion;
  void DrawLinesRegion(const TGridLayoutEh& L, const TRect& Region, TGridCoord Start, TColor Background,
                       TColor LineColor, bool DataLines);
  void DrawLineDirection(const TGridLayoutEh& L, const TRect& Region, TGridCoord Start, TColor PenColor,
                         bool Vertical);
  void DrawSeparator(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Width, TColor Color);
  void DrawCells(const TGridLayoutEh& L, TGridCoord Start, Integer Left, Integer Top, TGridDrawState BaseState,
                 TColor AColor, Integer RightLimit, Integer BottomLimit, Integer ColLimit, Integer RowLimit,
                 bool ContraCells);
  void PaintContraAreas(const TGridLayoutEh& L);
  // Mouse pieces (GridsEhInput.cpp).
  void DrawSizingLine(const TGridLayoutEh& L);
  void DrawMoveLine(const TGridLayoutEh& L);
  void TrackMove(Integer Pos, TGridCoord Cell, TPoint MousePt, bool IsRow);
  Integer SizingNewExtent(const TGridLayoutEh& L, bool IsRow) const;
  void CancelMode();
  void StartTimer();
  void StopTimer();
  void TimerTick();
  Integer AxisScrollTarget(const TGridAxisLayoutEh& A, UINT Code, UINT Pos, Integer Max);
  void ScrollOneColumnByPixels(UINT Code, UINT Pos);
  // Counts (GridsEhEditor.cpp).
  void UpdateExtentArrays(Integer OldColTotal, Integer OldRowTotal);
  void SetInplaceEditorCell(Integer ACol, Integer ARow) {
    FInplaceCol = ACol;
    FInplaceRow = ARow;
  }

  TGridCoord FAnchor;
  TBorderStyle FBorderStyle = bsSingle;
  bool FCanEditModify = true;
  Integer FColCount = 5;
  Integer FHorzPixelOffset = 0;
  TIntegerArray FColWidths;
  Integer FContraColCount = 0, FContraRowCount = 0;
  TGridCoord FCurrent;
  Integer FDefaultColWidth = 64;
  bool FDefaultDrawing = true;
  Integer FDefaultRowHeight = 24;
  bool FEditorMode = false;
  TColor FFixedColor = clBtnFace;
  Integer FFixedCols = 1, FFixedRows = 1;
  bool FFlat = false;
  Integer FFrozenCols = 0;
  std::unique_ptr<TGridLineColorsEh> FGridLineColors;
  Integer FGridLineWidth = 1;
  Integer FInplaceCol = 0, FInplaceRow = 0;
  TInplaceEdit* FInplaceEdit = nullptr;
  TGridEhOptions FGridOptions{geoFixedVertLine, geoFixedHorzLine, geoVertLine, geoHorzLine, geoRangeSelect};
  Integer FRowCount = 5;
  TIntegerArray FRowHeights;
  TScrollStyle FScrollBars = ssBoth;
  TIntegerArray FTabStops;
  TGridCoord FTopLeft;
  TGridEhOptions FDesignSizingOptions{geoRowSizing, geoColSizing};
  TColor FFlatLineColor = clBlack;
  Integer FPaintLockCount = 0;
  bool FStoreCellExtents = true;
  bool FFullRepaintOnResize = false;
  bool FUpdatingScrollRange = false;
  bool FLoadingEditor = false;
  bool FTimerActive = false;

 protected:
  Integer FFrozenRows = 0;
};

// ---------------------------------------------------------------------------
// The borderless editor the grid lays over its current cell.

class TInplaceEdit : public TCustomMaskEdit {
  TOVANI_CLASS(TInplaceEdit, TCustomMaskEdit)
 public:
  explicit TInplaceEdit(TComponent* AOwner = nullptr);
  TCustomGridEh* Grid() const { return FGrid; }
  void SetGrid(TCustomGridEh* v) { FGrid = v; }
  Integer ClickTime() const { return FClickTime; }
  void SetClickTime(Integer v) { FClickTime = v; }

  virtual void ApplyTextMargins();
  virtual void LoadCellContents();
  void InvalidateWithGrid();
  void HideWindow();
  void MoveWindowTo(const TRect& R, bool Redraw);
  void MoveTo(const TRect& R) { MoveWindowTo(R, false); }
  void ShowAt(const TRect& R) { MoveWindowTo(R, true); }
  void UnselectAll();
  bool IsWindowShown();
  void FocusIfShown();
  void DblClick() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  bool EditCanModify() override;

 private:
  TCustomGridEh* FGrid = nullptr;
  Integer FClickTime = 0;
};
