// The lookup grid: a small read-only grid that shows the records of a data
// controller in columns, one row per record, with an optional header row,
// grid lines, one focused row (and column), column-click sorting, keyboard
// and mouse navigation and a vertical scroll bar.
//
// The lookup editors make one per properties object and show it inside their
// drop-down window, where it works as a popup list: it never takes the
// keyboard focus from the editor (the editor's navigation keys move the list
// through its data controller), its focused row follows the mouse, and a
// press and release on a row asks its owner to close the drop-down with
// acceptance. Cells are drawn through the editor framework: each column has a
// repository item whose properties draw a value as that editor would show it
// read-only.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "cxControls.h"
#include "cxData.h"
#include "cxEdit.h"

class TcxCustomLookupGrid;
class TcxLookupGridColumn;
class TcxLookupGridPainter;
class TcxLookupGridViewInfo;

// ---------------------------------------------------------------------------
// Data controller and default values

class TcxLookupGridDataController : public TcxDataController {
  TOVANI_CLASS(TcxLookupGridDataController, TcxDataController)
 public:
  explicit TcxLookupGridDataController(TComponent* AOwner) : TcxDataController(AOwner) {}
  // The column of that index in the owning grid.
  TObject* GetItem(Integer Index) const override;
  TcxCustomLookupGrid* Grid() const;
};

class TcxLookupGridDefaultValuesProvider : public TcxCustomEditDefaultValuesProvider {
  TOVANI_CLASS(TcxLookupGridDefaultValuesProvider, TcxCustomEditDefaultValuesProvider)
 public:
  explicit TcxLookupGridDefaultValuesProvider(TPersistent* AOwner = nullptr)
      : TcxCustomEditDefaultValuesProvider(AOwner) {}
  // The column's item stores display texts.
  bool IsDisplayFormatDefined(bool AIsCurrencyValueAccepted) override;
};

// ---------------------------------------------------------------------------
// Columns

enum TcxGridLines { glBoth, glNone, glVertical, glHorizontal };
TOVANI_ENUM_INFO(TcxGridLines)
TOVANI_ENUM_INFO(TcxDataSortOrder)

class TcxLookupGridColumn : public TCollectionItem, public IcxEditRepositoryItemListener {
  TOVANI_CLASS(TcxLookupGridColumn, TCollectionItem)
 public:
  explicit TcxLookupGridColumn(TCollection* ACollection = nullptr);
  ~TcxLookupGridColumn() override;
  void Assign(TPersistent* Source) override;
  void SetIndex(Integer Value) override;
  void SetCollection(TCollection* Value) override;

  String Caption();
  void SetCaption(const String& Value);
  bool IsCaptionStored() const { return FIsCaptionAssigned; }
  bool Fixed() const { return FFixed; }
  void SetFixed(bool Value);
  TAlignment HeaderAlignment() const { return FHeaderAlignment; }
  void SetHeaderAlignment(TAlignment Value);
  Integer MinWidth() const { return FMinWidth; }
  void SetMinWidth(Integer Value);
  bool Sorting() const { return FSorting; }
  void SetSorting(bool Value);
  TcxDataSortOrder SortOrder();
  void SetSortOrder(TcxDataSortOrder Value);
  TcxEditRepositoryItem* RepositoryItem() const { return FRepositoryItem; }
  void SetRepositoryItem(TcxEditRepositoryItem* Value);
  Integer Width();
  void SetWidth(Integer Value);
  bool IsWidthStored() const { return FIsWidthAssigned; }

  TcxCustomLookupGrid* Grid() const;
  TcxCustomEditDefaultValuesProvider* DefaultValuesProvider() const { return FDefaultValuesProvider.get(); }
  // The properties of the actual repository item: what draws the values.
  TcxCustomEditProperties* Properties();

  virtual void CheckWidth(Integer& AWidth);
  virtual TcxCustomEditDefaultValuesProvider* CreateDefaultValuesProvider();
  virtual TcxValueTypeClass GetValueTypeClass();
  virtual void SetValueTypeClass(TcxValueTypeClass Value);
  virtual void GetDefaultCaption(String& ACaption) { ACaption = String(); }
  virtual TcxEditRepositoryItem* GetDefaultRepositoryItem();
  virtual Integer GetDefaultWidth() { return 64; }
  virtual TFont* GetFont();
  virtual TcxEditRepositoryItem* GetFallbackRepositoryItem();
  virtual TcxEditRepositoryItem* GetActualRepositoryItem();
  virtual bool IsFirst() { return Index() == 0; }
  virtual bool IsLast() { return Collection() && Index() == Collection()->Count() - 1; }
  virtual void RestoreDefaults();

  // Listener of the repository item.
  void ItemRemoved(TcxEditRepositoryItem* Sender) override;
  void PropertiesChanged(TcxEditRepositoryItem* Sender) override;

 protected:
  void ChangedColumn() { Changed(false); }

 private:
  String FCaption;
  bool FIsCaptionAssigned = false;
  std::unique_ptr<TcxCustomEditDefaultValuesProvider> FDefaultValuesProvider;
  TAlignment FHeaderAlignment = taLeftJustify;
  std::unique_ptr<TcxEditRepositoryItem> FInternalRepositoryItem;
  Integer FWidth = 0;
  bool FIsWidthAssigned = false;
  Integer FMinWidth = 20;
  bool FFixed = false;
  bool FSorting = true;
  TcxEditRepositoryItem* FRepositoryItem = nullptr;
  bool FJoined = false;
};

class TcxLookupGridColumns : public TCollection {
  TOVANI_CLASS(TcxLookupGridColumns, TCollection)
 public:
  TcxLookupGridColumns(TcxCustomLookupGrid* AGrid, TClass AItemClass);
  TcxLookupGridColumn* Add() { return static_cast<TcxLookupGridColumn*>(TCollection::Add()); }
  TcxLookupGridColumn* Items(Integer Index) const {
    return static_cast<TcxLookupGridColumn*>(TCollection::Items(Index));
  }
  TcxCustomLookupGrid* Grid() const { return FGrid; }
  void RestoreDefaults();
  void BeginUpdate() override;
  void EndUpdate() override;

 protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

 private:
  TcxCustomLookupGrid* FGrid;
};

// ---------------------------------------------------------------------------
// Options

class TcxLookupGridOptions : public TPersistent {
  TOVANI_CLASS(TcxLookupGridOptions, TPersistent)
 public:
  explicit TcxLookupGridOptions(TcxCustomLookupGrid* AGrid = nullptr) : FGrid(AGrid) {}
  void Assign(TPersistent* Source) override;

  bool AnsiSort() const;
  void SetAnsiSort(bool Value);
  bool CaseInsensitive() const;
  void SetCaseInsensitive(bool Value);
  bool ColumnSorting() const { return FColumnSorting; }
  void SetColumnSorting(bool Value) { FColumnSorting = Value; }
  bool FocusRowOnMouseMove() const { return FFocusRowOnMouseMove; }
  void SetFocusRowOnMouseMove(bool Value) { FFocusRowOnMouseMove = Value; }
  TcxGridLines GridLines() const { return FGridLines; }
  void SetGridLines(TcxGridLines Value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool Value);
  bool ShowHeader() const { return FShowHeader; }
  void SetShowHeader(bool Value);
  TcxCustomLookupGrid* Grid() const { return FGrid; }

  // Told after every change that affects the layout (the lookup combo box
  // properties pass it on to their editors).
  TNotifyEvent OnChanged;

  virtual void Changed();

 protected:
  TPersistent* GetOwner() override;

 private:
  void SetControllerOption(TcxDataControllerOptions ABit, bool Value);
  bool FColumnSorting = true;
  bool FFocusRowOnMouseMove = true;
  TcxGridLines FGridLines = glBoth;
  bool FRowSelect = true;
  bool FShowHeader = true;
  TcxCustomLookupGrid* FGrid;
};

// ---------------------------------------------------------------------------
// Layout

class TcxLookupGridColumnViewInfo : public TObject {
  TOVANI_CLASS(TcxLookupGridColumnViewInfo, TObject)
 public:
  ~TcxLookupGridColumnViewInfo() override;
  TcxLookupGridColumn* Column = nullptr;
  TAlignment HeaderAlignment = taLeftJustify;
  TcxBorders Neighbors;
  TcxBorders HeaderBorders;
  TcxDataSortOrder SortOrder = soNone;
  String Caption;
  TRect Bounds;       // the header rectangle
  TRect TextBounds;   // its content rectangle
  std::unique_ptr<TcxCustomEditStyle> Style;
  std::unique_ptr<TcxCustomEditViewData> EditViewData;
};

class TcxLookupGridCellViewInfo : public TObject {
  TOVANI_CLASS(TcxLookupGridCellViewInfo, TObject)
 public:
  ~TcxLookupGridCellViewInfo() override;
  Integer ColumnIndex = -1;
  bool Focused = false;
  TRect Bounds;
  TRect TextBounds;
  TcxBorders Borders;
  TColor Color = clWindow;
  TColor TextColor = clWindowText;
  std::unique_ptr<TcxCustomEditViewInfo> EditViewInfo;
};

class TcxLookupGridRowViewInfo : public TObject {
  TOVANI_CLASS(TcxLookupGridRowViewInfo, TObject)
 public:
  ~TcxLookupGridRowViewInfo() override;
  Integer RowIndex = -1;
  Integer RecordIndex = -1;
  bool Focused = false;
  TRect Bounds;
  TRect TextBounds;
  TcxBorders Borders;
  std::vector<std::unique_ptr<TcxLookupGridCellViewInfo>> Cells;
};

class TcxLookupGridViewInfo : public TObject {
  TOVANI_CLASS(TcxLookupGridViewInfo, TObject)
 public:
  explicit TcxLookupGridViewInfo(TcxCustomLookupGrid* AGrid);
  ~TcxLookupGridViewInfo() override;

  virtual Integer HeaderHeight();
  virtual void ComputeHeaderBand();
  virtual void ComputeBlankAreas();
  virtual void ComputeColumns();
  virtual void ComputeRows();
  virtual void Recompute();
  // The top row index that fits Index: the rows from it down, or (when they
  // end above the client bottom) the first row that lets the last row end
  // the view.
  virtual Integer FitTopRowIndex(Integer Index);
  virtual void SetupColumnStyle(TcxLookupGridColumnViewInfo* AColumnInfo, TcxLookupGridColumn* AColumn);
  virtual void AcquireEditViewData(TcxLookupGridColumnViewInfo* AColumnInfo, TcxLookupGridColumn* AColumn);
  virtual void ReleaseEditViewData(TcxLookupGridColumnViewInfo* AColumnInfo, TcxLookupGridColumn* AColumn);
  virtual TColor ContentColor();
  virtual TFont* ContentFont();
  virtual TColor ContentTextColor();
  virtual TColor LineColor() { return clBtnFace; }
  virtual Integer LineWidth() { return 1; }
  virtual TColor HeaderColor();
  virtual TFont* HeaderFont();
  virtual TColor HeaderTextColor();
  virtual TColor SelectionColor();
  virtual TColor SelectionTextColor();

  TcxCustomLookupGrid* Grid() const { return FGrid; }
  Integer RowMinHeight() const { return FRowMinHeight; }
  Integer RowPitch() const;
  Integer BorderSize() const { return FBorderSize; }
  const TRect& HeaderBand() const { return FHeaderBand; }
  const TRect& BottomBlank() const { return FBottomBlank; }
  const TRect& RightBlank() const { return FRightBlank; }
  const TRect& RowsRect() const { return FRowsRect; }
  const TRect& FullyVisibleRowsRect() const { return FFullyVisibleRowsRect; }
  Integer PartVisibleRowCount() const { return FPartVisibleRowCount; }
  Integer VisibleRowCount() const { return FVisibleRowCount; }
  Integer ColumnCount() const { return Integer(FColumns.size()); }
  TcxLookupGridColumnViewInfo* Columns(Integer Index) const { return FColumns.at(size_t(Index)).get(); }
  Integer RowCount() const { return Integer(FRows.size()); }
  TcxLookupGridRowViewInfo* Rows(Integer Index) const { return FRows.at(size_t(Index)).get(); }
  TcxLookupGridRowViewInfo* FindRow(Integer ARowIndex) const;
  // Sets the row's focused flag anew and recomputes its cells.
  void RecomputeRow(TcxLookupGridRowViewInfo* ARow);

 private:
  void ComputeRowMinHeight();
  void LayoutRows(Integer AFrom, bool ABackward);
  void AddRow(Integer ARowIndex, Integer ATop);
  void PrepareCell(TcxLookupGridRowViewInfo* ARow, TcxLookupGridCellViewInfo* ACell);
  void RowLines(TcxLookupGridRowViewInfo* ARow, bool ALastDataRow);

  TcxCustomLookupGrid* FGrid;
  std::vector<std::unique_ptr<TcxLookupGridColumnViewInfo>> FColumns;
  Integer FInternalTopRowIndex = 0;
  Integer FTopRowMode = 0;   // 0 none, 1 forward, 2 backward (while fitting)
  Integer FRowMinHeight = 0;
  std::vector<std::unique_ptr<TcxLookupGridRowViewInfo>> FRows;
  Integer FBorderSize = 0;
  TRect FHeaderBand, FBottomBlank, FRightBlank, FRowsRect, FFullyVisibleRowsRect;
  Integer FPartVisibleRowCount = 0, FVisibleRowCount = 0;
};

// ---------------------------------------------------------------------------
// Painting

class TcxLookupGridPainter : public TObject {
  TOVANI_CLASS(TcxLookupGridPainter, TObject)
 public:
  explicit TcxLookupGridPainter(TcxCustomLookupGrid* AGrid);
  ~TcxLookupGridPainter() override;
  virtual void DrawFrame();
  virtual void DrawCell(TcxLookupGridCellViewInfo* ACell);
  virtual void DrawContent();
  virtual void DrawBlankAreas();
  virtual void DrawHeaders();
  virtual void DrawRow(TcxLookupGridRowViewInfo* ARow);
  virtual void DrawRows();
  void Paint();

  // The grid's canvas once its window exists, else a screen canvas of its
  // own (measuring works before the window exists).
  TcxCanvas* Canvas();
  TcxLookAndFeelPainterClass LookAndFeelPainter() const { return FLookAndFeelPainter; }
  void SetLookAndFeelPainter(TcxLookAndFeelPainterClass Value) { FLookAndFeelPainter = Value; }

 private:
  TcxCustomLookupGrid* FGrid;
  std::unique_ptr<TcxScreenCanvas> FScreenCanvas;
  TcxLookAndFeelPainterClass FLookAndFeelPainter = nullptr;
};

// ---------------------------------------------------------------------------
// The grid

using TcxLookupGridCloseRequestEvent = std::function<void(TObject* Sender, bool AAccept)>;

enum TcxLookupGridHitKind { lghtNone, lghtHeader, lghtCell };
struct TcxLookupGridHitTest {
  TcxLookupGridHitKind Kind = lghtNone;
  Integer RowIndex = -1;
  Integer ColumnIndex = -1;
};

class TcxCustomLookupGrid : public TcxControl {
  TOVANI_CLASS(TcxCustomLookupGrid, TcxControl)
 public:
  explicit TcxCustomLookupGrid(TComponent* AOwner = nullptr);
  ~TcxCustomLookupGrid() override;

  void BeginUpdate();
  void EndUpdate();
  void CheckChanges();
  virtual void AddChanges(Byte AChanges);
  bool IsUpdateLocked() const { return FLockCount > 0; }

  TcxLookupGridColumns* Columns() const { return FColumns.get(); }
  void AssignColumns(TcxLookupGridColumns* Value) { FColumns->Assign(Value); }
  TcxLookupGridOptions* Options() const { return FOptions.get(); }
  void AssignOptions(TcxLookupGridOptions* Value) { FOptions->Assign(Value); }
  TcxCustomDataController* DataController() const { return FDataController.get(); }
  TcxLookupGridViewInfo* ViewInfo() const { return FViewInfo.get(); }
  TcxLookupGridPainter* Painter() const { return FPainter.get(); }

  bool InPopup() const { return FInPopup; }
  void SetInPopup(bool Value);
  Integer FocusedRowIndex() const;
  void SetFocusedRowIndex(Integer Value);
  TcxLookupGridColumn* CurrentColumn() const { return FFocusedColumn; }
  void SetCurrentColumn(TcxLookupGridColumn* Value);
  Integer CurrentColumnIndex() const { return FFocusedColumn ? FFocusedColumn->Index() : -1; }
  void SetCurrentColumnIndex(Integer Value);
  Integer TopRow() const { return FTopRow; }
  void SetTopRowIndex(Integer Value);
  Integer RowCount() const;

  void MakeRowVisible(Integer ARowIndex);
  void MakeFocusedRowVisible();
  bool IsRowVisible(Integer ARowIndex) const;
  TcxLookupGridHitTest HitTest(TPoint P) const;
  bool RowAtPoint(TPoint P) const { return HitTest(P).RowIndex != -1; }
  Integer GetHeightForRows(Integer ARowCount);
  Integer SnapHeightToRows(Integer AHeight);
  // Stores the cursor position as the last one the lists saw: a mouse that
  // rests over a list that opens under it focuses no row until it moves.
  void SaveCursorPos();
  void ScrollPageUp();
  void ScrollPageDown();
  void PageUpFocus();
  void PageDownFocus();
  void MoveFocus(bool AForward);
  Byte ScrollMode() const { return FScrollMode; }
  TcxTimer* ScrollTimer() const { return FScrollTimer.get(); }

  TNotifyEvent OnItemClick;
  TcxLookupGridCloseRequestEvent OnCloseRequest;
  TNotifyEvent OnListDataChanged;
  TNotifyEvent OnFocusMoved;

  // Dispatched to by the columns and options.
  virtual void ColumnAdded(TcxLookupGridColumn* AColumn);
  virtual void ColumnRemoved(TcxLookupGridColumn* AColumn);
  virtual TcxLookAndFeelPainterClass GetLookAndFeelPainterClass();
  virtual Integer RowsBeforeBuffer();
  virtual Integer RowsAfterBuffer();
  virtual bool TracksMouse();
  void InvalidateFocusedRow();
  void InvalidateRow(Integer ARowIndex, bool ARecalculate);
  void RefreshLayout();
  void RebuildLayout();
  Integer GetBorderSize() override;
  bool IsGridDestroying() const { return FDestroying; }

  // The process-wide last cursor position the lists compare moves with.
  static TPoint LastCursorPos();

 protected:
  // For descendants with parts of their own classes: they create the parts
  // themselves (CreateParts) at the end of their constructor.
  struct TDeferParts {};
  TcxCustomLookupGrid(TComponent* AOwner, TDeferParts);
  void CreateParts();

  virtual void CreateViewObjects();
  virtual void CreateDataController();
  virtual void DestroyViewObjects();
  virtual void DestroyDataController();
  virtual void RowMouseDown(Integer ARowIndex, Integer AColumnIndex, TShiftState Shift);
  virtual void HeaderMouseDown(Integer AColumnIndex, TShiftState Shift);
  virtual TClass GetColumnClass();
  virtual TcxLookupGridColumns* CreateColumns();
  virtual TcxCustomDataController* CreateDataControllerObject();
  virtual TcxLookupGridOptions* CreateOptions();
  virtual TcxLookupGridPainter* CreatePainter();
  virtual TcxLookupGridViewInfo* CreateViewInfo();
  virtual void SetScrollMode(Byte AMode);
  virtual void HandleDataChange();
  virtual void HandleControllerLayout() { RebuildLayout(); }
  virtual void FireItemClick() { cxCallNotifyEvent(this, OnItemClick); }
  virtual void FireCloseRequest(bool AAccept);
  virtual void FireFocusMoved() { cxCallNotifyEvent(this, OnFocusMoved); }
  virtual void HandleFocusMove(Integer APrevRowIndex, Integer ARowIndex);
  virtual void HandleSelectionChange(TcxSelectionChangedInfo* AInfo);
  virtual void HandleControllerNotice(TcxUpdateControlInfo* AInfo);
  virtual void SetFocusedRowSelected(bool Value);

  // TcxControl.
  void Loaded() override;
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void InitializeControl() override;
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
  void DefineScrollBars() override;
  void ScrollContent(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& APosition) override;
  void DoColorChanged() override;
  bool MayProcessUnfocusedMouseDown() override { return true; }
  // A list inside a drop-down leaves the focus with its editor.
  bool CanFocusOnClick() override { return !FInPopup && TcxControl::CanFocusOnClick(); }
  void DoBoundsChanged() override;
  void DoCancelMode() override;
  void DoFocusChanged() override;
  void DoFontChanged() override;

 private:
  void ScrollTimerTick(TObject* Sender);
  void FocusRow(Integer ARowIndex, bool ASelected);

  Byte FChanges = 0;
  std::unique_ptr<TcxLookupGridColumns> FColumns;
  TcxLookupGridColumn* FFocusedColumn = nullptr;
  bool FInPopup = false;
  Integer FLockCount = 0;
  std::unique_ptr<TcxLookupGridPainter> FPainter;
  bool FRowPressed = false;
  Byte FScrollMode = 0;
  std::unique_ptr<TcxTimer> FScrollTimer;
  Integer FTopRow = 0;
  std::unique_ptr<TcxLookupGridViewInfo> FViewInfo;
  std::unique_ptr<TcxCustomDataController> FDataController;
  std::unique_ptr<TcxLookupGridOptions> FOptions;
  bool FDestroying = false;
};

// Change bits of the grid.
constexpr Byte cxLookupGridLayoutChange = 1;
