// The data-aware grid: shows the records of a dataset (through a data source
// and the grid's own data link) as rows and its columns as grid columns, on
// top of the base grid.
//
// Sources: DBGridEh.cpp (columns, titles, data link, model and layout),
// DBGridEhPaint.cpp (cell, title and indicator drawing, text writers),
// DBGridEhSelection.cpp (selection and bookmarks),
// DBGridEhEdit.cpp (cell values, cell editing and the in-cell editor),
// DBGridEhInput.cpp (keyboard, mouse, scrolling, timers, incremental search,
// focus and window messages), DBGridEhMove.cpp (record moving, tree rows),
// DBGridEhProps.cpp (published properties, fitting and sizing of columns and
// rows), DBGridEhFilter.cpp (the filter row).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include "Contnrs.h"
#include "DB.h"
#include "DBCtrlsEh.h"
#include "DBSumLst.h"
#include "DbUtilsEh.h"
#include "GridsEh.h"
#include "PropFilerEh.h"
#include "StdCtrls.h"
#include "ToolCtrlsEh.h"

class TCustomDBGridEh;
class TColumnEh;
class TDBGridColumnsEh;
class TColumnFooterEh;
class TColumnFootersEh;
class TDBGridEhSumList;
class TDBGridInplaceEdit;
class TPopupDataGridEh;
class TColumnDropDownBoxEh;
class TPopupCalculatorEh;
class TColCellParamsEh;
class TSTColumnFilterEh;
class TSTDBGridEhFilter;
class TInplaceFilterEditEh;
struct TSTFilterExpressionEh;
class TCustomImageList;
class TChangeLink;
class TPopupMenu;

// Private window messages of the data grid. The deferred layout and the
// drop-down grid's size-grip corner must never share a number.
constexpr UINT WM_DEFERLAYOUT_EH = WM_USER + 100;   // 0x464
constexpr UINT WM_SIZEGRIPCORNER_EH = WM_USER + 101;

// Copies Source into Dest only when they differ: every copy makes a new font
// handle, which is costly when it happens for every painted cell.
void AssignFontEh(TFont* Dest, TFont* Source);
// The font of the sort-order numbers beside the title sort markers.
TFont* SortIndexFontEh();

extern const char* const SFieldNameNotFoundEh;
extern const char* const STooManyColumnsEh;
extern const char* const SGetCellTypeErrorEh;

enum TDBGridOption {
  dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
  dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgMultiSelect
};
using TDBGridOptions = TSet<TDBGridOption>;

enum TDBGridEhOption {
  dghFixed3D, dghFrozen3D, dghFooter3D, dghData3D, dghResizeWholeRightPart, dghHighlightFocus,
  dghClearSelection, dghFitRowHeightToText, dghAutoSortMarking, dghMultiSortMarking, dghEnterAsTab,
  dghTraceColSizing, dghIncSearch, dghPreferIncSearch, dghRowHighlight, dghDblClickOptimizeColWidth,
  dghDialogFind, dghRecordMoving
};
using TDBGridEhOptions = TSet<TDBGridEhOption>;

enum TSortMarkerEh { smNoneEh, smDownEh, smUpEh };
enum TTextOrientationEh { tohHorizontal, tohVertical };
TOVANI_ENUM_INFO(TDBGridOption)
TOVANI_ENUM_INFO(TDBGridEhOption)
TOVANI_ENUM_INFO(TSortMarkerEh)
TOVANI_ENUM_INFO(TTextOrientationEh)

// What a cell shows and how it is edited (the column's GetCellKind).
enum TColumnCellKindEh { cckText, cckPickList, cckLookup, cckKeyPickList, cckImage, cckCheckBox };
enum TColumnButtonStyleEh { cbsAuto, cbsEllipsis, cbsNone, cbsUpDown, cbsDropDown };
TOVANI_ENUM_INFO(TColumnButtonStyleEh)

// What the grid lets its user do to the dataset's records.
enum TDBGridEhAllowedOperation { alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh };
using TDBGridEhAllowedOperations = TSet<TDBGridEhAllowedOperation>;
TOVANI_ENUM_INFO(TDBGridEhAllowedOperation)

// The edit commands the grid answers as actions and keys.
enum TDBGridEhEditAction { geaCutEh, geaCopyEh, geaPasteEh, geaDeleteEh, geaSelectAllEh };
using TDBGridEhEditActions = TSet<TDBGridEhEditAction>;
TOVANI_ENUM_INFO(TDBGridEhEditAction)

// The library-wide keys of the data grids.
extern TShortCut IncSearchStartShortCut;     // Ctrl+F
extern TShortCut FindDialogShortCut;         // Ctrl+F
extern TShortCut SearchNextShortCut;         // Ctrl+Enter
extern TShortCut SearchPriorShortCut;        // Ctrl+Shift+Enter
extern TShortCut CopyPriorValueShortCut;     // Ctrl+'
extern Integer IncSearchTimeout;             // ms

// The question of the delete keys.
extern const char* const SDeleteRecordQuestionEh;
extern const char* const SDeleteMultipleRecordsQuestionEh;
extern const char* const SNotInListEh;

using TColumnNotInListEventEh = std::function<void(TObject* Sender, const String& NewText, bool& RecheckInList)>;
using TColumnUpdateDataEventEh =
    std::function<void(TObject* Sender, String& Text, Variant& Value, bool& UseText, bool& Handled)>;
using TCheckTitleBtnEventEh = std::function<void(TObject* Sender, Integer ACol, TColumnEh* Column, bool& Enabled)>;
using TTitleClickEventEh = std::function<void(TObject* Sender, Integer ACol, TColumnEh* Column)>;
using TDBGridClickEventEh = std::function<void(TColumnEh* Column)>;
using TMoveRecordsEventEh =
    std::function<bool(TObject* Sender, TStrings* BookmarkList, Integer ToRecNo, Integer TreeLevel, bool CheckOnly)>;

using TGetCellEhParamsEvent =
    std::function<void(TObject* Sender, TColumnEh* Column, TFont* AFont, TColor& Background, TGridDrawState State)>;
using TDrawColumnEhCellEvent = std::function<void(TObject* Sender, const TRect& Rect, Integer DataCol,
                                                  TColumnEh* Column, TGridDrawState State)>;

// What a column's drop-down box reaches through its owner: the drop-down
// grid and its options.
class IDropDownGridHostEh {
 public:
  static constexpr const char* IID = "{F2518FE3-6D4A-4D7F-A142-DA12053AE93A}";
  virtual ~IDropDownGridHostEh() = default;
  virtual void NotifyListSource(TComponent* Component) = 0;
  virtual TPopupDataGridEh* GetDropDownGrid() = 0;
  virtual Byte GetDropDownGridOptions() = 0;   // a TDBLookupGridEhOptions mask
  virtual void SetDropDownGridOptions(Byte Options) = 0;

  // The drop-down grid's own events, reached through its host (the grid is
  // made on first access); the host keeps none of them itself.
  TCheckTitleBtnEventEh OnDropDownBoxCheckButton();
  void SetOnDropDownBoxCheckButton(TCheckTitleBtnEventEh Value);
  TDrawColumnEhCellEvent OnDropDownBoxDrawColumnCell();
  void SetOnDropDownBoxDrawColumnCell(TDrawColumnEhCellEvent Value);
  TGetCellEhParamsEvent OnDropDownBoxGetCellParams();
  void SetOnDropDownBoxGetCellParams(TGetCellEhParamsEvent Value);
  TNotifyEvent OnDropDownBoxSortMarkingChanged();
  void SetOnDropDownBoxSortMarkingChanged(TNotifyEvent Value);
  TTitleClickEventEh OnDropDownBoxTitleBtnClick();
  void SetOnDropDownBoxTitleBtnClick(TTitleClickEventEh Value);
};

// Publishes the drop-down grid's five events on a host class C (a column,
// the lookup combo box) so that form files can name their handlers.
template <class C, class P>
void PublishDropDownBoxEventsEh(P& Publisher) {
  Publisher.template Property<TCheckTitleBtnEventEh>(
      "OnDropDownBoxCheckButton", [](C* c) { return c->OnDropDownBoxCheckButton(); },
      [](C* c, const TCheckTitleBtnEventEh& v) { c->SetOnDropDownBoxCheckButton(v); });
  Publisher.template Property<TDrawColumnEhCellEvent>(
      "OnDropDownBoxDrawColumnCell", [](C* c) { return c->OnDropDownBoxDrawColumnCell(); },
      [](C* c, const TDrawColumnEhCellEvent& v) { c->SetOnDropDownBoxDrawColumnCell(v); });
  Publisher.template Property<TGetCellEhParamsEvent>(
      "OnDropDownBoxGetCellParams", [](C* c) { return c->OnDropDownBoxGetCellParams(); },
      [](C* c, const TGetCellEhParamsEvent& v) { c->SetOnDropDownBoxGetCellParams(v); });
  Publisher.template Property<TNotifyEvent>(
      "OnDropDownBoxSortMarkingChanged", [](C* c) { return c->OnDropDownBoxSortMarkingChanged(); },
      [](C* c, const TNotifyEvent& v) { c->SetOnDropDownBoxSortMarkingChanged(v); });
  Publisher.template Property<TTitleClickEventEh>(
      "OnDropDownBoxTitleBtnClick", [](C* c) { return c->OnDropDownBoxTitleBtnClick(); },
      [](C* c, const TTitleClickEventEh& v) { c->SetOnDropDownBoxTitleBtnClick(v); });
}

// Bits of a column's assigned-values set.
enum TColumnEhValue : uint32_t {
  cvColor = 1u << 0, cvWidth = 1u << 1, cvFont = 1u << 2, cvAlignment = 1u << 3, cvReadOnly = 1u << 4,
  cvTitleColor = 1u << 5, cvTitleCaption = 1u << 6, cvTitleAlignment = 1u << 7, cvTitleFont = 1u << 8,
  cvTitleButton = 1u << 9, cvTitleEndEllipsis = 1u << 10, cvTitleToolTips = 1u << 11,
  cvTitleOrientation = 1u << 12, cvLookupDisplayFields = 1u << 16, cvEndEllipsis = 1u << 19,
  cvAutoDropDown = 1u << 20, cvDropDownSizing = 1u << 23, cvDropDownShowTitles = 1u << 24, cvLayout = 1u << 25
};

// ---------------------------------------------------------------------------
// Column titles.

class TColumnTitleEh : public TPersistent {
  TOVANI_CLASS(TColumnTitleEh, TPersistent)
 public:
  explicit TColumnTitleEh(TColumnEh* AColumn = nullptr);
  ~TColumnTitleEh() override;
  void Assign(TPersistent* Source) override;
  void RestoreDefaults();
  TColumnEh* Column() const { return FColumn; }

  TAlignment Alignment() const;
  void SetAlignment(TAlignment v);
  String Caption() const;
  void SetCaption(const String& v);
  TColor Color() const;
  void SetColor(TColor v);
  TFont* Font();
  void SetFont(TFont* v);
  bool EndEllipsis() const;
  void SetEndEllipsis(bool v);
  TTextOrientationEh Orientation() const;
  void SetOrientation(TTextOrientationEh v);
  String Hint() const { return FHint; }
  void SetHint(const String& v) { FHint = v; }
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer v);
  Integer SortIndex() const { return FSortIndex; }
  void SetSortIndex(Integer v);
  TSortMarkerEh SortMarker() const { return FSortMarker; }
  void SetSortMarker(TSortMarkerEh v);
  void ToggleSortMarker(bool Multi);
  // The title works as a button (pressed look, title-button click, sorting).
  // Both read the grid's title defaults until the column sets its own.
  bool TitleButton() const;
  void SetTitleButton(bool v);
  // A title cut short shows its whole text as a tool tip.
  bool ToolTips() const;
  void SetToolTips(bool v);

  // The title font as inherited (grid's TitleFont, else the column's font).
  TFont* DefaultFont() const;

 protected:
  TPersistent* GetOwner() override;

 private:
  friend class TColumnEh;
  void FontChanged();
  void Changed(bool All);
  bool Assigned(uint32_t bit) const;
  void Assign(uint32_t bit);
  TColumnEh* FColumn;
  TAlignment FAlignment = taLeftJustify;
  String FCaption;
  TColor FColor = clBtnFace;
  bool FEndEllipsis = false;
  std::unique_ptr<TFont> FFont;
  String FHint;
  Integer FImageIndex = -1;
  TTextOrientationEh FOrientation = tohHorizontal;
  Integer FSortIndex = 0;
  TSortMarkerEh FSortMarker = smNoneEh;
  bool FSettingFont = false;
  bool FTitleButton = false;
  bool FTitleToolTips = false;
};

// ---------------------------------------------------------------------------
// Columns.

class TColumnEh : public TCollectionItem, public IDropDownGridHostEh {
  TOVANI_CLASS(TColumnEh, TCollectionItem)
 public:
  explicit TColumnEh(TCollection* ACollection = nullptr);
  ~TColumnEh() override;
  void Assign(TPersistent* Source) override;

  TCustomDBGridEh* Grid() const;
  // The field bound by FieldName, looked up on first use after a change.
  TField* Field();
  void SetField(TField* v);
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& v);
  // Forgets the cached field so that the next read finds it by name again.
  void DropFieldState();

  TAlignment Alignment();
  void SetAlignment(TAlignment v);
  TColor Color() const;
  void SetColor(TColor v);
  TFont* Font();
  void SetFont(TFont* v);
  bool ReadOnly();
  void SetReadOnly(bool v);
  // A default column over an active data link moves its field first (the
  // field at the target position of the link's map gives its index), then
  // itself.
  void SetIndex(Integer Value) override;
  Integer Width();
  virtual void SetWidth(Integer v);
  // The width the column asks for while the grid fits its columns.
  Integer PreFitWidth() const { return FPreFitWidth; }
  Integer MinWidth() const { return FMinWidth; }
  void SetMinWidth(Integer v) { FMinWidth = v; }
  Integer MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(Integer v) { FMaxWidth = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  bool EndEllipsis() const;
  void SetEndEllipsis(bool v);
  TTextLayout Layout() const;
  void SetLayout(TTextLayout v);
  bool WordWrap();
  void SetWordWrap(bool v);
  String DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& v);
  Integer Tag() const { return FTag; }
  void SetTag(Integer v) { FTag = v; }
  TColumnTitleEh* Title() const { return FTitle.get(); }
  void SetTitle(TColumnTitleEh* v) { FTitle->Assign(v); }

  uint32_t AssignedValues() const { return FAssignedValues; }
  // Streaming compares an assigned value with the inherited one by reading
  // the property once with its bit cleared.
  void SetAssignedValuesRaw(uint32_t v) { FAssignedValues = v; }
  bool Stored() const { return FStored; }
  // The column takes a share when the grid fits its columns to its width.
  bool AutoFitColWidth() const { return FAutoFitColWidth; }
  void SetAutoFitColWidth(bool v);
  // Rows of the column's drop-down list and its width (0: the cell's).
  Integer DropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(Integer v) { FDropDownRows = v; }
  Integer DropDownWidth() const { return FDropDownWidth; }
  void SetDropDownWidth(Integer v) { FDropDownWidth = v; }
  // Drop-down settings; unassigned ones follow the grid's column defaults.
  bool AutoDropDown() const;
  void SetAutoDropDown(bool v);
  bool DropDownShowTitles() const;
  void SetDropDownShowTitles(bool v);
  bool DropDownSizing() const;
  void SetDropDownSizing(bool v);
  // The special row of the drop-down list.
  TSpecRowEh* DropDownSpecRow() const { return FDropDownSpecRow.get(); }
  void SetDropDownSpecRow(TSpecRowEh* v);
  // The fields a lookup column's drop-down lists (the lookup field's result
  // field unless set).
  String LookupDisplayFields();
  void SetLookupDisplayFields(const String& v);
  bool LookupDisplayFieldsAssigned() const { return FAssignedValues & cvLookupDisplayFields; }
  // Recently typed texts offered under the editor.
  TMRUListEh* MRUList() const { return FMRUList.get(); }
  void SetMRUList(TMRUListEh* v);
  // The design face of the drop-down grid, and the grid itself (made on
  // first use, named "DataList").
  TColumnDropDownBoxEh* DropDownBox() const { return FDropDownBox.get(); }
  void SetDropDownBox(TColumnDropDownBoxEh* v);
  TPopupDataGridEh* GetDropDownGrid() override;
  bool DropDownGridMade() const { return FDropDownGrid != nullptr; }
  void NotifyListSource(TComponent* Component) override;
  Byte GetDropDownGridOptions() override;
  void SetDropDownGridOptions(Byte Options) override;
  // A cell whose text equals the one above it is drawn empty.
  bool HideDuplicates() const { return FHideDuplicates; }
  void SetHideDuplicates(bool v);
  // Image cells also show the key's text beside the image.
  bool ShowImageAndText() const { return FShowImageAndText; }
  void SetShowImageAndText(bool v);
  // The step of the up-down buttons and of Ctrl+Up/Down in number cells.
  double Increment() const { return FIncrement; }
  void SetIncrement(double v) { FIncrement = v; }
  // The images of image cells (not owned).
  TCustomImageList* ImageList() const { return FImageList; }
  void SetImageList(TCustomImageList* v);
  // The column's filter-row condition.
  TSTColumnFilterEh* STFilter();
  void SetSTFilter(TSTColumnFilterEh* v);
  // The menu a right click on the column's cells pops up (not owned).
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* v);
  virtual bool IsDefaultColumn() const { return !FStored; }
  // A default column over an active data link hands its alignment, read-only
  // flag, title caption and position to its field instead of keeping them.
  bool PassesToField();
  // Room the sort marker takes in the title.
  Integer SortMarkerAreaWidth();
  // The text shown in a cell of the current record.
  String DisplayText();
  // A field's text in a display format (the field's own display text
  // without one; empty for a null field).
  static String FieldTextWithFormat(TField* Field, const String& Format);
  // Width limits applied to a proposed width.
  Integer ClampToWidthLimits(Integer w) const;
  void RestoreDefaults();
  Integer DefaultWidth();
  bool UseRightToLeftAlignment() const { return false; }

  // Footers: footer row i shows item i of Footers, rows beyond them Footer.
  TColumnFooterEh* Footer() const { return FFooter.get(); }
  void SetFooter(TColumnFooterEh* v);
  TColumnFootersEh* Footers() const { return FFooters.get(); }
  void SetFooters(TColumnFootersEh* v);
  TColumnFooterEh* GetFooterForRow(Integer Row) const;
  // Every footer of the column binds its aggregate again (after the field
  // binding changed).
  void BindFooterSums();
  // ---- Editing: pick and key lists, check boxes, edit buttons and the one
  // gate every value the grid stores passes through (DBGridEhEdit.cpp).
  TStrings* PickList() { return FPickList.get(); }
  void SetPickList(TStrings* v) { FPickList->Assign(v); }
  TStrings* KeyList() { return FKeyList.get(); }
  void SetKeyList(TStrings* v) { FKeyList->Assign(v); }
  Integer NotInKeyListIndex() const { return FNotInKeyListIndex; }
  void SetNotInKeyListIndex(Integer v) { FNotInKeyListIndex = v; }
  // On when set, else for Boolean fields.
  bool Checkboxes();
  void SetCheckboxes(bool v);
  TColumnButtonStyleEh ButtonStyle() const { return FButtonStyle; }
  void SetButtonStyle(TColumnButtonStyleEh v) { FButtonStyle = v; }
  TEditButtonsEh* EditButtons() { return FEditButtons.get(); }
  const String& EditMask() const { return FEditMask; }
  void SetEditMask(const String& v) { FEditMask = v; }
  // These four read the grid's column defaults until the column sets its own.
  bool DblClickNextVal() const;
  void SetDblClickNextVal(bool v);
  bool ToolTips() const;
  void SetToolTips(bool v);
  bool AlwaysShowEditButton() const;
  void SetAlwaysShowEditButton(bool v);
  bool HighlightRequired() const;
  void SetHighlightRequired(bool v);
  // The column's own read-only value was set to True (an inherited one
  // does not count).
  bool ReadOnlyAssignedTrue() const { return (FAssignedValues & cvReadOnly) && FReadOnly; }

  TColumnCellKindEh GetCellKind();
  Integer CellImageIndex();
  // The text of the current record's cell, key lists translated.
  String CellDisplayText();
  TCheckBoxState CellCheckState();
  void SetCellCheckState(TCheckBoxState State);
  static bool KeyEntryMatches(const String& Entry, const String& Value);
  // Whether the current record's cell may be changed; StartEdit also puts
  // the dataset in edit state.
  bool CanModifyCell(bool StartEdit);
  void WriteCellValue(String Text, Variant Value, bool UseText);
  void StepCellValue(double Step);
  // The width the edit buttons take in a cell.
  Integer EditButtonsAreaWidth();
  // The cell parameters of the current record, before and through the
  // column's own event (EditMode: for the in-cell editor).
  void FillCellParams(TColCellParamsEh* Params);
  void DoGetCellParams(bool EditMode, TColCellParamsEh* Params);
  std::function<void(TObject* Sender, bool EditMode, TColCellParamsEh* Params)> OnGetCellParams;

  // May change whether the required-field mark is drawn (Text: the cell's).
  std::function<void(TObject* Sender, const String& Text, bool& DrawState)> OnCheckDrawRequiredState;

  // The input method of the column's cells; the grid's own where the column
  // sets none.
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode v) {
    FImeMode = v;
    FImeModeAssigned = true;
  }
  const String& ImeName() const { return FImeName; }
  void SetImeName(const String& v) {
    FImeName = v;
    FImeNameAssigned = true;
  }
  bool ImeModeAssigned() const { return FImeModeAssigned; }
  bool ImeNameAssigned() const { return FImeNameAssigned; }

  TColumnNotInListEventEh OnNotInList;
  TColumnUpdateDataEventEh OnUpdateData;
  TButtonClickEventEh OnEditButtonClick;
  TButtonDownEventEh OnEditButtonDown;

 protected:
  String GetDisplayName() const override;
  // Runs Change with the column counted as persistent: a default column's
  // own width and position then apply as a persistent column's do, without
  // passing through to its field. The collection holds its notifications
  // until the column is a default one again.
  void AsPersistent(const std::function<void()>& Change);

 private:
  friend class TColumnTitleEh;
  friend class TColumnFooterEh;
  friend class TColumnEhPropertyInterceptor;
  friend class TDBGridColumnsEh;
  friend class TSTColumnFilterEh;
  friend class TCustomDBGridEh;
  void FontChanged();
  void ColumnChanged(bool All) { Changed(All); }
  TAlignment FAlignment = taLeftJustify;
  uint32_t FAssignedValues = 0;
  TColor FColor = clWindow;
  String FDisplayFormat;
  bool FEndEllipsis = false;
  TField* FField = nullptr;
  bool FFieldLooked = false;
  String FFieldName;
  std::unique_ptr<TFont> FFont;
  TTextLayout FLayout = tlTop;
  Integer FMaxWidth = 0, FMinWidth = 0;
  bool FReadOnly = false;
  bool FStored = true;
  Integer FTag = 0;
  std::unique_ptr<TColumnTitleEh> FTitle;
  bool FVisible = true;
  Integer FWidth = 0;
  bool FWordWrap = false;
  bool FSettingFont = false;
  std::unique_ptr<TColumnFooterEh> FFooter;
  std::unique_ptr<TColumnFootersEh> FFooters;
  // Editing (DBGridEhEdit.cpp).
  std::unique_ptr<TStringList> FPickList = std::make_unique<TStringList>();
  std::unique_ptr<TStringList> FKeyList = std::make_unique<TStringList>();
  std::unique_ptr<TEditButtonsEh> FEditButtons =
      std::make_unique<TEditButtonsEh>(this, TVisibleEditButtonEh::StaticClass());
  Integer FNotInKeyListIndex = -1;
  bool FCheckboxes = false, FCheckboxesAssigned = false;
  TColumnButtonStyleEh FButtonStyle = cbsAuto;
  String FEditMask;
  bool FDblClickNextVal = false, FToolTips = false, FAlwaysShowEditButton = false, FHighlightRequired = false;
  TImeMode FImeMode = imDontCare;
  String FImeName;
  bool FImeModeAssigned = false, FImeNameAssigned = false;
  bool FAutoFitColWidth = true;
  Integer FDropDownRows = 7, FDropDownWidth = 0;
  bool FHideDuplicates = false, FShowImageAndText = false;
  double FIncrement = 1;
  TCustomImageList* FImageList = nullptr;
  std::unique_ptr<TChangeLink> FImageChangeLink;
  TPopupMenu* FPopupMenu = nullptr;
  std::unique_ptr<TSTColumnFilterEh> FSTFilter;
  // The width before the grid's automatic fit scaled it.
  Integer FPreFitWidth = 0;
  bool FAutoDropDown = false, FDropDownShowTitles = false, FDropDownSizing = false;
  String FLookupDisplayFields;
  std::unique_ptr<TSpecRowEh> FDropDownSpecRow;
  std::unique_ptr<TMRUListEh> FMRUList;
  std::unique_ptr<TColumnDropDownBoxEh> FDropDownBox;
  TPopupDataGridEh* FDropDownGrid = nullptr;
  void DropDownSpecRowChanged();
  bool FFitLimited = false;
};

class TDBGridColumnEh : public TColumnEh {
  TOVANI_CLASS(TDBGridColumnEh, TColumnEh)
 public:
  explicit TDBGridColumnEh(TCollection* ACollection = nullptr) : TColumnEh(ACollection) {}
};

class TDBGridColumnsEh : public TCollection {
  TOVANI_CLASS(TDBGridColumnsEh, TCollection)
 public:
  explicit TDBGridColumnsEh(TCustomDBGridEh* AGrid = nullptr, TClass AColumnClass = TDBGridColumnEh::StaticClass());
  TColumnEh* Add() { return static_cast<TColumnEh*>(TCollection::Add()); }
  TColumnEh* AddDefaultColumn(TField* Field);
  TColumnEh* Item(Integer i) const { return static_cast<TColumnEh*>(Items(i)); }
  TCustomDBGridEh* Grid() const { return FGrid; }
  // Customised: the columns are persistent (the first one was stored).
  bool IsCustomized() const;
  void RebuildColumns();
  void RestoreDefaults();
  void DropFieldState();

 protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

 private:
  TCustomDBGridEh* FGrid;
};

// A typed, non-owning list of columns.
class TColumnsEhList {
 public:
  Integer Count() const { return Integer(FItems.size()); }
  TColumnEh* Items(Integer i) const { return FItems.at(size_t(i)); }
  TColumnEh* operator[](Integer i) const { return Items(i); }
  void Add(TColumnEh* c) { FItems.push_back(c); }
  void Clear() { FItems.clear(); }
  Integer IndexOf(const TColumnEh* c) const;
  void Remove(const TColumnEh* c);
  void Exchange(Integer a, Integer b) { std::swap(FItems.at(size_t(a)), FItems.at(size_t(b))); }

 private:
  std::vector<TColumnEh*> FItems;
};

// ---------------------------------------------------------------------------
// Footers and the grid's sum list.

enum TFooterValueType { fvtNon, fvtSum, fvtAvg, fvtCount, fvtFieldValue, fvtStaticText };
TOVANI_ENUM_INFO(TFooterValueType)

// Bits of a footer's assigned-values set.
enum TColumnFooterEhValue : uint8_t { fvAlignment = 1u << 0, fvFont = 1u << 1, fvColor = 1u << 2, fvToolTips = 1u << 3 };

// One footer cell of a column: a sum, average or count over the dataset
// (kept by an aggregate of the grid's sum list), a field of the current
// record or a fixed text.
class TColumnFooterEh : public TCollectionItem {
  TOVANI_CLASS(TColumnFooterEh, TCollectionItem)
 public:
  // In a column's Footers collection, or (null) the column's single Footer.
  explicit TColumnFooterEh(TCollection* ACollection = nullptr);
  ~TColumnFooterEh() override;
  void Assign(TPersistent* Source) override;
  void ResetFooterDefaults();
  TColumnEh* Column() const { return FColumn; }
  // A footer made by class (as form files do) learns its column when it
  // enters a column's Footers.
  void SetCollection(TCollection* Value) override;

  TAlignment Alignment();
  void SetAlignment(TAlignment v);
  TColor Color() const;
  void SetColor(TColor v);
  TFont* Font();
  void SetFont(TFont* v) { FFont->Assign(v); }
  bool ToolTips() const;
  void SetToolTips(bool v);
  String DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& v);
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool v);
  String FieldName() const { return FFieldName; }
  void SetFieldName(const String& v);
  String Value() const { return FValue; }
  void SetValue(const String& v);
  TFooterValueType ValueType() const { return FValueType; }
  void SetValueType(TFooterValueType v);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  uint8_t AssignedValues() const { return FAssignedValues; }
  void SetAssignedValuesRaw(uint8_t v) { FAssignedValues = v; }

  // The footer's aggregate in the grid's sum list, made, set up or freed to
  // match the value type.
  void BindSum();
  TDBSum* SumItem() const;
  // The font as inherited (the grid's FooterFont, else the column's font).
  TFont* DefaultFont() const;

 private:
  friend class TColumnEh;
  void FontChanged();
  void ColumnChanged(bool All);
  void FreeSumItem();
  TAlignment FAlignment = taLeftJustify;
  uint8_t FAssignedValues = 0;
  TColor FColor = clWindow;
  TColumnEh* FColumn = nullptr;
  String FDisplayFormat;
  bool FEndEllipsis = false;
  String FFieldName;
  std::unique_ptr<TFont> FFont;
  bool FToolTips = false;
  String FValue;
  TFooterValueType FValueType = fvtNon;
  bool FWordWrap = false;
  bool FSettingFont = false;
  // The aggregate is found again by its id, so a sum list that was cleared
  // or assigned meanwhile leaves no dangling pointer here.
  TDBSumListProducer* FSumList = nullptr;
  Integer FSumItemID = -1;
};

class TColumnFootersEh : public TCollection {
  TOVANI_CLASS(TColumnFootersEh, TCollection)
 public:
  explicit TColumnFootersEh(TColumnEh* AColumn = nullptr,
                            TClass AItemClass = TColumnFooterEh::StaticClass());
  TColumnEh* Column() const { return FColumn; }
  TColumnFooterEh* Add() { return static_cast<TColumnFooterEh*>(TCollection::Add()); }
  TColumnFooterEh* Item(Integer i) const { return static_cast<TColumnFooterEh*>(Items(i)); }

 protected:
  TPersistent* GetOwner() override;

 private:
  TColumnEh* FColumn;
};

// The text of a footer's sum, average or count: the footer's display
// format, else the field's, else by the field's type.
String FooterAggregateText(TColumnFooterEh* Footer, TField* Field, Currency Value);

// The aggregates behind the footers of one grid.
class TDBGridEhSumList : public TDBSumListProducer {
  TOVANI_CLASS(TDBGridEhSumList, TDBSumListProducer)
 public:
  explicit TDBGridEhSumList(TCustomDBGridEh* AGrid = nullptr);
};

// ---------------------------------------------------------------------------
// Column default values: what every column, title and footer of a grid
// inherits while it has not assigned its own value.

class TColumnDefValuesEh;

class TColumnTitleDefValuesEh : public TPersistent {
  TOVANI_CLASS(TColumnTitleDefValuesEh, TPersistent)
 public:
  explicit TColumnTitleDefValuesEh(TColumnDefValuesEh* AOwner = nullptr) : FOwner(AOwner) {}
  TColumnDefValuesEh* Owner() const { return FOwner; }
  void Assign(TPersistent* Source) override;
  // Centred under multi-line titles, else left-justified, until assigned.
  TAlignment Alignment() const;
  void SetAlignment(TAlignment v);
  TColor Color() const;
  void SetColor(TColor v);
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool v);
  TTextOrientationEh Orientation() const { return FOrientation; }
  void SetOrientation(TTextOrientationEh v);
  bool TitleButton() const { return FTitleButton; }
  void SetTitleButton(bool v) { FTitleButton = v; }
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool v) { FToolTips = v; }
  bool ColorAssigned() const { return FAssigned & 1; }
  bool AlignmentAssigned() const { return FAssigned & 2; }

 protected:
  TPersistent* GetOwner() override;

 private:
  TCustomDBGridEh* Grid() const;
  TAlignment FAlignment = taLeftJustify;
  uint8_t FAssigned = 0;   // bit 0 Color, bit 1 Alignment
  TColor FColor = clBtnFace;
  TColumnDefValuesEh* FOwner;
  bool FEndEllipsis = false;
  TTextOrientationEh FOrientation = tohHorizontal;
  bool FTitleButton = false;
  bool FToolTips = false;
};

class TColumnFooterDefValuesEh : public TPersistent {
  TOVANI_CLASS(TColumnFooterDefValuesEh, TPersistent)
 public:
  void Assign(TPersistent* Source) override;
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool v) { FToolTips = v; }

 private:
  bool FToolTips = false;
};

class TColumnDefValuesEh : public TPersistent {
  TOVANI_CLASS(TColumnDefValuesEh, TPersistent)
 public:
  explicit TColumnDefValuesEh(TCustomDBGridEh* AGrid = nullptr);
  ~TColumnDefValuesEh() override;
  void Assign(TPersistent* Source) override;
  TCustomDBGridEh* Grid() const { return FGrid; }

  bool AlwaysShowEditButton() const { return FAlwaysShowEditButton; }
  void SetAlwaysShowEditButton(bool v);
  bool AutoDropDown() const { return FAutoDropDown; }
  void SetAutoDropDown(bool v) { FAutoDropDown = v; }
  bool DblClickNextVal() const { return FDblClickNextVal; }
  void SetDblClickNextVal(bool v) { FDblClickNextVal = v; }
  bool DropDownShowTitles() const { return FDropDownShowTitles; }
  void SetDropDownShowTitles(bool v) { FDropDownShowTitles = v; }
  bool DropDownSizing() const { return FDropDownSizing; }
  void SetDropDownSizing(bool v) { FDropDownSizing = v; }
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool v);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout v);
  bool HighlightRequired() const { return FHighlightRequired; }
  void SetHighlightRequired(bool v);
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool v) { FToolTips = v; }
  TColumnTitleDefValuesEh* Title() const { return FTitle.get(); }
  void SetTitle(TColumnTitleDefValuesEh* v) { FTitle->Assign(v); }
  TColumnFooterDefValuesEh* Footer() const { return FFooter.get(); }
  void SetFooter(TColumnFooterDefValuesEh* v) { FFooter->Assign(v); }

 protected:
  TPersistent* GetOwner() override;

 private:
  void RepaintGrid();
  bool FAlwaysShowEditButton = false;
  bool FAutoDropDown = false;
  bool FDblClickNextVal = false;
  bool FDropDownShowTitles = false;
  bool FDropDownSizing = false;
  bool FEndEllipsis = false;
  TTextLayout FLayout = tlTop;
  bool FHighlightRequired = false;
  TCustomDBGridEh* FGrid;
  std::unique_ptr<TColumnTitleDefValuesEh> FTitle;
  std::unique_ptr<TColumnFooterDefValuesEh> FFooter;
  bool FToolTips = false;
};

class TDBGridEhColumnDefValuesEh : public TColumnDefValuesEh {
  TOVANI_CLASS(TDBGridEhColumnDefValuesEh, TColumnDefValuesEh)
 public:
  explicit TDBGridEhColumnDefValuesEh(TCustomDBGridEh* AGrid = nullptr) : TColumnDefValuesEh(AGrid) {}
};

// ---------------------------------------------------------------------------
// Multi-line titles (DBGridEhMultiTitle.cpp): with UseMultiTitle a title
// caption "Price|Net" names group headers above the column's own cell. The
// headers form a tree: the root ("Root") holds the top-level headers, inner
// nodes are groups, leaves are columns. Children form a ring through
// NextSibling (a lone node points to itself).

extern const char* const SNodeNotInTreeEh;
extern const char* const SToNotInLevelEh;

class THeadTreeNode : public TObject {
  TOVANI_CLASS(THeadTreeNode, TObject)
 public:
  THeadTreeNode();
  THeadTreeNode(const String& AText, Integer AHeight, Integer AWidth);
  // The root frees the whole tree; other nodes are freed by their root.
  ~THeadTreeNode() override;

  THeadTreeNode* FirstChild = nullptr;
  TColumnEh* Column = nullptr;
  bool Drawn = false;
  Integer Height = 0;
  THeadTreeNode* Parent = nullptr;
  THeadTreeNode* NextSibling = this;
  String Text;
  Integer VLineWidth = 0;
  Integer Width = 0;
  Integer WIndent = 0;   // room of a sort marker beside a leaf's text

  void FreeAllChildren();
  bool Find(const THeadTreeNode* Node) const;
  static Integer Level(const THeadTreeNode* Node);
  THeadTreeNode* AddChild(THeadTreeNode* Node, const String& AText, Integer AHeight, Integer AWidth);
  THeadTreeNode* AddSibling(THeadTreeNode* Node, const String& AText, Integer AHeight, Integer AWidth);
  // A group header over the sibling run From .. To.
  THeadTreeNode* Union(THeadTreeNode* From, THeadTreeNode* To, const String& AText, Integer AHeight);
  // Rebuilds the tree below this root from the grid's columns and captions.
  void BuildFromColumns(TCustomDBGridEh* Grid, std::vector<THeadTreeNode*>* Leaves = nullptr);
};

// Words of a caption separated by any character of Delims (1-based).
Integer NthWordStart(Integer N, const String& S, const String& Delims);
String NthWord(Integer N, const String& S, const String& Delims);
String NthWordWithPos(Integer N, const String& S, const String& Delims, Integer& Pos);

// ---------------------------------------------------------------------------
// Scroll-bar settings and the indicator title (DBGridEhScrollBars.cpp).

class TScrollBar;
class TPopupMenu;

enum TScrollBarVisibleModeEh { sbAlwaysShowEh, sbNeverShowEh, sbAutoShowEh };
TOVANI_ENUM_INFO(TScrollBarVisibleModeEh)

extern const char* const SScrollBarAttachedEh;

// Whether the grid shows a scroll bar, or moves an external TScrollBar of
// the form instead (whose messages then scroll the grid).
class TDBGridEhScrollBar : public TPersistent {
  TOVANI_CLASS(TDBGridEhScrollBar, TPersistent)
 public:
  explicit TDBGridEhScrollBar(TCustomDBGridEh* AGrid = nullptr, TScrollBarKind AKind = sbHorizontal);
  ~TDBGridEhScrollBar() override;
  void Assign(TPersistent* Source) override;
  TCustomDBGridEh* Grid() const { return FGrid; }
  TScrollBarKind Kind() const { return FKind; }
  TScrollBar* ExtScrollBar() const { return FExtScrollBar; }
  void SetExtScrollBar(TScrollBar* v);
  bool Tracking() const { return FTracking; }
  void SetTracking(bool v) { FTracking = v; }
  bool Visible() const { return FVisibleMode != sbNeverShowEh; }
  void SetVisible(bool v);
  TScrollBarVisibleModeEh VisibleMode() const { return FVisibleMode; }
  void SetVisibleMode(TScrollBarVisibleModeEh v);
  bool IsShowing() const;
  void SyncExternalVisible();
  bool GetScrollInfo(SCROLLINFO& Info) const;
  // The external bar is being destroyed.
  void ExtScrollBarDestroyed(TComponent* Bar);

 protected:
  TPersistent* GetOwner() override;

 private:
  void BarWndProc(TMessage& Message);
  TCustomDBGridEh* FGrid;
  TScrollBar* FExtScrollBar = nullptr;
  TScrollBarKind FKind;
  bool FTracking = false;
  TScrollBarVisibleModeEh FVisibleMode = sbAutoShowEh;
  std::function<void(TMessage&)> FSavedBarProc;
};

class TVertDBGridEhScrollBar : public TDBGridEhScrollBar {
  TOVANI_CLASS(TVertDBGridEhScrollBar, TDBGridEhScrollBar)
 public:
  explicit TVertDBGridEhScrollBar(TCustomDBGridEh* AGrid = nullptr) : TDBGridEhScrollBar(AGrid, sbVertical) {}
};

// The top-left cell above the row indicator.
class TDBGridEhIndicatorTitle : public TPersistent {
  TOVANI_CLASS(TDBGridEhIndicatorTitle, TPersistent)
 public:
  explicit TDBGridEhIndicatorTitle(TCustomDBGridEh* AGrid = nullptr) : FGrid(AGrid) {}
  void Assign(TPersistent* Source) override;
  TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  void SetDropdownMenu(TPopupMenu* v) { FDropdownMenu = v; }
  bool ShowDropDownSign() const { return FShowDropDownSign; }
  void SetShowDropDownSign(bool v);
  bool TitleButton() const { return FTitleButton; }
  void SetTitleButton(bool v) { FTitleButton = v; }
  bool UseGlobalMenu() const { return FUseGlobalMenu; }
  void SetUseGlobalMenu(bool v) { FUseGlobalMenu = v; }
  // Set while the indicator title is held down.
  bool Pressed() const { return FPressed; }
  void SetPressed(bool v) { FPressed = v; }

 protected:
  TPersistent* GetOwner() override;

 private:
  TPopupMenu* FDropdownMenu = nullptr;
  bool FShowDropDownSign = false;
  bool FTitleButton = false;
  bool FUseGlobalMenu = true;
  bool FPressed = false;
  TCustomDBGridEh* FGrid;
};

// ---------------------------------------------------------------------------
// The grid style (DBGridEhStyle.cpp): colours of selected and highlighted
// cells, shared by every grid that uses it (one global style).

class TDBGridEhStyle : public TPersistent {
  TOVANI_CLASS(TDBGridEhStyle, TPersistent)
 public:
  TDBGridEhStyle();
  ~TDBGridEhStyle() override;
  void AddGrid(TCustomDBGridEh* Grid);
  bool HasGrid(TCustomDBGridEh* Grid) const;
  void RemoveGrid(TCustomDBGridEh* Grid);
  // Selected cells mixed from their own colour and the highlight colour.
  bool SoftSelection() const { return FSoftSelection; }
  void SetSoftSelection(bool v) { FSoftSelection = v; }
  bool ShowFocusRect() const { return FShowFocusRect; }
  void SetShowFocusRect(bool v) { FShowFocusRect = v; }
  // The display's colour count; -1 for more than 256 colours.
  Integer ScreenColors() const { return FScreenColors; }
  void SetScreenColors(Integer v) { FScreenColors = v; }

  virtual bool HighlightDataCellColor(TCustomDBGridEh* Grid, Integer ACol, TFont* AFont, TColor& Background,
                                      TGridDrawState& State, Integer DataRow, Integer DataCol);
  virtual bool HighlightNoDataCellColor(TCustomDBGridEh* Grid, TFont* AFont, TColor& Background, bool Highlight,
                                        Integer HorzKind, Integer VertKind);
  virtual void ColorDepthChanged();
  static TColor MixHighlightColor(TColor Color, TColor MixColor, bool Contrast);
  // The hidden window that receives the desktop's colour changes
  // (WM_SYSCOLORCHANGE reads the colour depth again).
  HWND UtilityWindow() const { return FUtilityWindow; }
  virtual void UtilityWndProc(TMessage& Message);

 private:
  static LRESULT CALLBACK UtilityWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  HWND FUtilityWindow = nullptr;
  std::vector<TCustomDBGridEh*> FGridList;
  bool FSoftSelection = true;
  Integer FScreenColors = -1;
  bool FShowFocusRect = true;
};

// The library-wide style every grid takes unless given another one.
TDBGridEhStyle* GetGlobalGridStyle();

// ---------------------------------------------------------------------------
// Unit helpers and images (DBGridEhUtils.cpp).

class TImageList;

// Background of matched text during incremental search; the light indicator
// arrow is rendered on it for the searching glyph (one value for both).
extern TColor IncSearchColor;
extern TColor IncSearchTextColor;
// When set, no grid paints through an off-screen bitmap.
extern bool DisableGridBufferedPaint;

TCellBlockEh MakeGridRect(Integer Left, Integer Top, Integer Right, Integer Bottom);
[[noreturn]] void RaiseInvalidGridOperation(const String& Msg);
// Removes one queued message of that number for the window; a quit request
// taken out that way is posted again.
void RemoveQueuedMessage(HWND Wnd, UINT Msg);
inline Integer MaxOf(Integer a, Integer b) { return a > b ? a : b; }
inline Integer MinOf(Integer a, Integer b) { return a < b ? a : b; }
inline Integer ChooseInt(bool Cond, Integer IfTrue, Integer IfFalse) { return Cond ? IfTrue : IfFalse; }
// Nested hourglass: the outermost pair saves and restores the screen cursor.
void BeginWaitCursor();
void EndWaitCursor();
Integer WaitCursorDepth();
void RepaintGridRow(TCustomGridEh* Grid, Integer Row);
// Keeps the top-left corner and swaps width and height.
void TransposeRectSize(TRect& R);
// Right-to-left: the canvas's x axis runs from right to left over Width.
void MirrorCanvas(TCanvas* Canvas, bool RightToLeft, Integer Width, Integer Height);
// Measures Text in a cell; True when it does not fit (a tool tip is needed).
bool MeasureCellText(UINT Flags, TCanvas* Canvas, Integer HorzMargin, Integer& TextWidth, Integer& TextHeight,
                     bool WordWrap, const TRect& Cell, const String& Text, Integer VertMargin);
Integer PlainTextWidth(TCanvas* Canvas, const String& Text);
// 'a','b' for an array of a and b; the text of any other value.
String VariantToQuotedList(const Variant& V);
// The row-indicator glyphs (0 arrow, 1 edit, 2 insert, 3 selected dot,
// 4 selected arrow, 5 light arrow, 6 the arrow in IncSearchColor) and the
// sort-marker glyphs (0 down, 1 up, 2 drop-down sign), made on first use.
TImageList* IndicatorImagesEh();
TImageList* SortMarkerImagesEh();
// Makes the searching arrow again after IncSearchColor changed.
void AddHighlightArrow();
// The cursor over the foot of a title where a press selects the column, and
// the one over the indicator where a press selects records (pointing left
// for right-to-left grids); none before the grid unit's start-up or after
// its finalisation.
HCURSOR ColumnSelectCursorEh();
HCURSOR RowSelectCursorEh(bool RightToLeft);
// The grid unit's start-up, which Application->Initialize runs: the three
// selection cursors are drawn (EOutOfResources "Cannot load cursor resource"
// when one cannot be made; the ones after it are not tried). Nothing when
// started already; a grid made without it (tools, tests) starts the unit.
void DBGridEhStartup();
bool DBGridEhStarted();
// Destroys the cursors; runs when the program ends.
void DBGridEhFinalization();

// ---------------------------------------------------------------------------
// The grid center (DBGridEhCenter.cpp): the dispatcher the grids ask for
// cell clicks and the indicator title's press and menu; each request goes to
// an event when one is assigned, else to the default.

class TMenuItem;

enum TDBGridEhIndicatorMenuItem { gimiVisibleColumns, gimiCut, gimiCopy, gimiPaste, gimiDelete, gimiSelectAll };
using TDBGridEhIndicatorMenuItems = TSet<TDBGridEhIndicatorMenuItem>;

using TDBGridEhBuildIndicatorTitleMenu = std::function<void(TCustomDBGridEh* Grid, TPopupMenu*& PopupMenu)>;
using TDBGridEhCenterCellMouseEvent = std::function<void(TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                                         TShiftState Shift, Integer X, Integer Y)>;

extern const char* const SVisibleColumnsEh;
extern const char* const SCutEh;
extern const char* const SCopyEh;
extern const char* const SPasteEh;
extern const char* const SDeleteEh;
extern const char* const SSelectAllEh;

class TDBGridEhCenter : public TPersistent {
  TOVANI_CLASS(TDBGridEhCenter, TPersistent)
 public:
  TDBGridEhCenter() = default;
  ~TDBGridEhCenter() override;
  void RegisterGrid(TCustomDBGridEh* Grid);
  void UnregisterGrid(TCustomDBGridEh* Grid);
  bool IsGridRegistered(TCustomDBGridEh* Grid) const;
  bool ApplyFilterOnCloseUp() const { return FApplyFilterOnCloseUp; }
  void SetApplyFilterOnCloseUp(bool v) { FApplyFilterOnCloseUp = v; }
  TDBGridEhIndicatorMenuItems IndicatorMenuItems() const { return FIndicatorMenuItems; }
  void SetIndicatorMenuItems(TDBGridEhIndicatorMenuItems v) { FIndicatorMenuItems = v; }

  void BuildIndicatorTitleMenu(TCustomDBGridEh* Grid, TPopupMenu*& PopupMenu);
  void CellMouseClick(TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button, TShiftState Shift, Integer X,
                      Integer Y);
  void IndicatorTitleMouseDown(TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button, TShiftState Shift,
                               Integer X, Integer Y);
  virtual void DefaultBuildIndicatorTitleMenu(TCustomDBGridEh* Grid, TPopupMenu*& PopupMenu);
  virtual void DefaultCellMouseClick(TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button, TShiftState Shift,
                                     Integer X, Integer Y) {}
  virtual void DefaultIndicatorTitleMouseDown(TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                              TShiftState Shift, Integer X, Integer Y);

  TDBGridEhBuildIndicatorTitleMenu OnBuildIndicatorTitleMenu;
  TDBGridEhCenterCellMouseEvent OnCellMouseClick;
  TDBGridEhCenterCellMouseEvent OnIndicatorTitleMouseDown;

  // Sorting, filtering, text search, record moving and the find dialog go
  // to the features object registered for the grid's dataset (DbUtilsEh.cpp).
  virtual bool DefaultLocateText(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                                 TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                                 TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh TreeFindRange);
  virtual bool DefaultMoveRecords(TCustomDBGridEh* Grid, TStrings* BookmarkList, Integer ToRecNo, bool CheckOnly);
  virtual bool LocateText(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                          TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                          TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh TreeFindRange);
  virtual bool MoveRecords(TCustomDBGridEh* Grid, TStrings* BookmarkList, Integer ToRecNo, bool CheckOnly);
  virtual void ApplyFilter(TCustomDBGridEh* Grid);
  virtual void ApplySorting(TCustomDBGridEh* Grid);
  virtual void ExecuteFindDialog(TCustomDBGridEh* Grid, const String& Text, const String& FieldName, bool Modal);
  virtual void DefaultApplyFilter(TCustomDBGridEh* Grid);
  virtual void DefaultApplySorting(TCustomDBGridEh* Grid);
  // Whether sorting the grid goes anywhere: an event, or a features object
  // for its dataset.
  bool HandlesSorting(TCustomDBGridEh* Grid);
  std::function<void(TCustomDBGridEh* Grid)> OnApplyFilter, OnApplySorting;
  std::function<bool(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                     TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction, TLocateTextMatchingEh Matching,
                     TLocateTextTreeFindRangeEh TreeFindRange)>
      OnLocateText;

 private:
  std::vector<TCustomDBGridEh*> FGridList;
  bool FApplyFilterOnCloseUp = false;
  TDBGridEhIndicatorMenuItems FIndicatorMenuItems{gimiVisibleColumns, gimiCut, gimiCopy, gimiPaste, gimiDelete,
                                                  gimiSelectAll};
};

TDBGridEhCenter* GetGridEhCenter();

// ---------------------------------------------------------------------------
// The grid's data link: field map and data notifications.

class TGridDataLinkEh : public TDataLink {
  TOVANI_CLASS(TGridDataLinkEh, TDataLink)
 public:
  static constexpr Integer MaxMapSize = 0x0FFFFFFF;
  explicit TGridDataLinkEh(TCustomDBGridEh* AGrid = nullptr);
  ~TGridDataLinkEh() override;
  bool AddFieldMapping(const String& FieldName);
  void ClearFieldMapping();
  TField* Fields(Integer i) const;
  Integer FieldCount() const { return FMapCount; }
  Integer MapCapacity() const { return Integer(FFieldMap.size()); }
  bool SparseMap() const { return FSparseMap; }
  void SetSparseMap(bool v) { FSparseMap = v; }
  bool DefaultFields() const;
  void Modified() { FModified = true; }
  bool IsModified() const { return FModified; }
  void Reset();

 protected:
  void ActiveChanged() override;
  void DataEvent(TDataEvent Event, NativeInt Info) override;
  void DataSetChanged() override;
  void DataSetScrolled(Integer Distance) override;
  void EditingChanged() override;
  void FocusControl(TField** Field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  void UpdateData() override;

 private:
  friend class TCustomDBGridEh;
  TCustomDBGridEh* FGrid;
  Integer FMapCount = 0;
  std::vector<Integer> FFieldMap;
  bool FInUpdateData = false;
  bool FModified = false;
  bool FSparseMap = false;
};

// ---------------------------------------------------------------------------
// Selection (DBGridEhSelection.cpp): records by bookmark, a rectangle of
// cells between two records and two columns, a set of columns, or all.
// Records are held as dataset bookmarks, so a selection survives scrolling;
// rows are ordered by the dataset's bookmark comparison (view order).

enum TDBGridEhSelectionType { gstNon, gstRecordBookmarks, gstRectangle, gstColumns, gstAll };
using TDBGridEhAllowedSelections = TSet<TDBGridEhSelectionType>;
TOVANI_ENUM_INFO(TDBGridEhSelectionType)

extern const char* const SSelectionRectErrorEh;
extern const char* const SSelectionRectCellErrorEh;

// One cell of a selection: a data-column index (-1 = none) and a record.
struct TDBCell {
  Integer Col = -1;
  TBookmark Row;
};

class TDBGridEhSelection;

// The grid's selected records, in the dataset's order.
class TBookmarkListEh : public TBMListEh {
  TOVANI_CLASS(TBookmarkListEh, TBMListEh)
 public:
  explicit TBookmarkListEh(TCustomDBGridEh* AGrid = nullptr) : FGrid(AGrid) {}
  TCustomDBGridEh* Grid() const { return FGrid; }
  TDataSet* GetDataSet() override;
  void Invalidate() override;
  void SetCurrentRowSelected(bool Value) override;
  void SelectionChanged() override;
  void RemoveAll() override;
  // Grid coordinates (0, first row, ColCount - 1, last row) of the selected
  // records in view; (-1, -1, -1, -1) when none is in view.
  TRect SelectedRowsRect();
  // After the dataset changed its order or filter: bookmarks of records that
  // are gone are dropped and the rest is sorted into the new order, so the
  // binary search of the list stays right.
  void DataSetChanged();

 private:
  TCustomDBGridEh* FGrid;
};

// The rectangle between a fixed corner (anchor) and a moving one.
class TDBGridEhSelectionRect : public TObject {
  TOVANI_CLASS(TDBGridEhSelectionRect, TObject)
 public:
  explicit TDBGridEhSelectionRect(TCustomDBGridEh* AGrid = nullptr) : FGrid(AGrid) {}
  const TDBCell& AnchorCell() const { return FAnchor; }
  const TDBCell& ShiftCell() const { return FShiftCell; }
  void Clear();
  bool IsUsable() const;
  TBookmark TopRow() const;
  TBookmark BottomRow() const;
  Integer LeftCol() const;
  Integer RightCol() const;
  bool CellSelected(Integer DataCol, const TBookmark& Bookmark) const;
  // Anchors (unless Extend with an anchor set) and moves the shift cell.
  void Select(Integer DataCol, const TBookmark& Bookmark, bool Extend);
  // Pixel rectangle of the visible part of the box between two cells.
  TRect CellsBox(Integer Col1, const TBookmark& Row1, Integer Col2, const TBookmark& Row2);
  // Grid coordinates of the rectangle's visible part, (-1, -1, -1, -1) when
  // none of its rows is in view.
  TRect VisibleGridRect();

 private:
  void CheckUsable(const char* Msg) const;
  Integer Compare(const TBookmark& A, const TBookmark& B) const;
  TDBCell FAnchor;
  TCustomDBGridEh* FGrid;
  TDBCell FShiftCell;
};

// The selected columns, kept in ascending Index order.
class TDBGridEhSelectionCols : public TColumnsEhList {
 public:
  explicit TDBGridEhSelectionCols(TCustomDBGridEh* AGrid = nullptr) : FGrid(AGrid) {}
  TColumnEh* AnchorColumn() const { return FAnchor; }
  TColumnEh* ShiftColumn() const { return FShiftCol; }
  void AddSorted(TColumnEh* Column);
  void Clear();
  void InvertColumn(TColumnEh* Column);
  void SelectColumn(TColumnEh* Column, bool Keep);
  void ExtendTo(TColumnEh* Column);
  void Refresh();
  TRect GetGridRect() const;

 private:
  TDBGridEhSelection* Selection() const;
  void InvalidateColumn(TColumnEh* Column);
  TColumnEh* FAnchor = nullptr;
  TCustomDBGridEh* FGrid;
  TColumnEh* FShiftCol = nullptr;
  TColumnsEhList FShiftSelectedCols;
};

class TDBGridEhSelection : public TObject {
  TOVANI_CLASS(TDBGridEhSelection, TObject)
 public:
  explicit TDBGridEhSelection(TCustomDBGridEh* AGrid = nullptr);
  ~TDBGridEhSelection() override;
  TDBGridEhSelectionCols* Columns() const { return FColumns.get(); }
  TDBGridEhSelectionRect* Rect() const { return FRect.get(); }
  TBookmarkListEh* Rows() const;
  TCustomDBGridEh* Grid() const { return FGrid; }
  TDBGridEhSelectionType SelectionType() const { return FSelectionType; }
  void SetSelectionType(TDBGridEhSelectionType Value);
  virtual void SelectionChanged();
  void Clear();
  void SelectAll();
  void UpdateState();
  void LinkActiveChanged(bool Active);
  bool IsCellSelected(Integer DataCol, const TBookmark& Bookmark);
  TRect GetGridRect();

 private:
  std::unique_ptr<TDBGridEhSelectionCols> FColumns;
  TCustomDBGridEh* FGrid;
  std::unique_ptr<TDBGridEhSelectionRect> FRect;
  TDBGridEhSelectionType FSelectionType = gstNon;
};

// ---------------------------------------------------------------------------
// What a dataset answers when it shows its records as a tree. The queries
// are about the dataset's active record (the grid makes each row active in
// turn); levels start at 1.

class IMemTableTreeEh {
 public:
  virtual ~IMemTableTreeEh() = default;
  virtual bool TreeViewActive() = 0;
  virtual Integer NodeLevel() = 0;
  virtual bool NodeHasChildren() = 0;
  virtual bool NodeExpanded() = 0;
  // A later node of this level follows under the same parent.
  virtual bool LevelContinuesBelow(Integer Level) = 0;
  // Expands or collapses the node; the record number to go to, <= 0 none.
  virtual Integer SetNodeExpanded(bool Expand) = 0;
  // Moves the records (or only answers whether it could).
  virtual bool MoveRecords(TStrings* BookmarkList, Integer ToRecNo, Integer TreeLevel, bool CheckOnly) = 0;
};

constexpr Integer TreeLevelWidthEh = 18;

// ---------------------------------------------------------------------------
// The grid.

using TGetBtnEhParamsEvent = std::function<void(TObject* Sender, TColumnEh* Column, TFont* AFont,
                                                TColor& Background, TSortMarkerEh& SortMarker, bool IsDown)>;
// The parameters of one data cell, filled per cell and handed to the
// cell-parameter events, which may change what the cell shows.
class TColCellParamsEh : public TObject {
  TOVANI_CLASS(TColCellParamsEh, TObject)
 public:
  TAlignment Alignment = taLeftJustify;
  TColor Background = clWindow;
  TCheckBoxState CheckState = cbUnchecked;
  Integer Col = -1;
  TFont* Font = nullptr;   // not owned
  Integer ImageIndex = -1;
  bool ReadOnly = false;
  Integer Row = -1;
  TGridDrawState State;
  String Text;
};

using TDrawDataCellEvent =
    std::function<void(TObject* Sender, const TRect& Rect, TField* Field, TGridDrawState State)>;
using TGetFooterParamsEvent =
    std::function<void(TObject* Sender, Integer DataCol, Integer Row, TColumnEh* Column, TFont* AFont,
                       TColor& Background, TAlignment& Alignment, TGridDrawState State, String& Text)>;
using TDrawFooterCellEvent = std::function<void(TObject* Sender, Integer DataCol, Integer Row, TColumnEh* Column,
                                                const TRect& Rect, TGridDrawState State)>;


class TCustomDBGridEh : public TCustomGridEh {
  TOVANI_CLASS(TCustomDBGridEh, TCustomGridEh)
 public:
  explicit TCustomDBGridEh(TComponent* AOwner = nullptr);
  ~TCustomDBGridEh() override;

  // Data.
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* v);
  TGridDataLinkEh* DataLink() const { return FDataLink.get(); }
  TDBGridColumnsEh* Columns() const { return FColumns.get(); }
  void SetColumns(TDBGridColumnsEh* v) { FColumns->Assign(v); }
  const TColumnsEhList& VisibleColumns() const { return FVisibleColumns; }
  const TColumnsEhList& SortMarkedColumns() const { return FSortMarkedColumns; }
  TColumnsEhList& SortMarkedColumnsRef() { return FSortMarkedColumns; }
  void RebuildSortMarkedColumns();
  TColumnEh* ColumnByFieldName(const String& Name) const;

  // Options.
  TDBGridOptions Options() const { return FOptions; }
  void SetOptions(TDBGridOptions v);
  TDBGridEhOptions OptionsEh() const { return FOptionsEh; }
  void SetOptionsEh(TDBGridEhOptions v);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);

  // Look.
  TFont* TitleFont() { return FTitleFont.get(); }
  void SetTitleFont(TFont* v) { FTitleFont->Assign(v); }
  // The images the titles show by their ImageIndex (not owned).
  TCustomImageList* TitleImages() const { return FTitleImages; }
  void SetTitleImages(TCustomImageList* v);
  // The columns are sized to fill the grid's width (never below
  // MinAutoFitWidth in all).
  bool AutoFitColWidths() const { return FAutoFitColWidths; }
  void SetAutoFitColWidths(bool v);
  Integer MinAutoFitWidth() const { return FMinAutoFitWidth; }
  void SetMinAutoFitWidth(Integer v);
  // The user may drag row heights.
  bool RowSizingAllowed() const { return FRowSizingAllowed; }
  void SetRowSizingAllowed(bool v);
  bool EvenRowColorAssigned() const { return FEvenRowColorAssigned; }
  bool OddRowColorAssigned() const { return FOddRowColorAssigned; }
  TNotifyEvent OnColWidthsChanged;
  TMovedEvent OnColumnMoved;
  // Makes grid column ACol current: a frozen one without scrolling or moving
  // the anchor.
  void SetCurrentColumn(Integer ACol);
  // The in-cell editor exists and shows.
  bool EditorShown();
  // Scrollable rows fully in view.
  Integer VisibleDataRowCount() const { return VisibleRowCount(); }
  // Overridable queries of descendants (the grid itself asks neither).
  virtual bool CanDrawRowFocusRect();
  virtual void CollectDataSetFields(TList* List);
  // Dataset actions without a data source of their own act on the grid's.
  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;
  // The filter row (DBGridEhFilter.cpp): its settings, the cells the user
  // types conditions into, and applying them through the grid center.
  TSTDBGridEhFilter* STFilter() const { return FSTFilter.get(); }
  void SetSTFilter(TSTDBGridEhFilter* v);
  bool FilterEditing() const { return FFilterEditing; }
  Integer FilterCol() const { return FFilterCol; }
  TInplaceFilterEditEh* FilterEdit() const { return FFilterEdit; }
  bool IsColumnFilterable(Integer DataCol);
  void EditFilterCell(Integer DataCol);
  void PlaceFilterEditor(bool Load);
  void HideFilterEditor();
  void LeaveFilterRow();
  void ShowFilterRowEditor(bool Show);
  void StoreFilterText(Integer DataCol);
  void LoadFilterEditor(Integer DataCol);
  void FillFilterList();
  void FilterListSelected(TObject* Sender, bool& Accept);
  void ApplyFilterNow();
  virtual void ApplyFilter();
  void ClearFilter();
  void MoveFilterCell(bool Forward, bool FromEnd);
  TNotifyEvent OnApplyFilter;
  // Fits the column (and, with columns or all selected, the selected ones)
  // to the widest of its title, its cells over all records and its footers.
  void OptimizeColumnWidth(TColumnEh* Column);
  void OptimizeColumnsWidth(const TColumnsEhList& List);
  TColor EvenRowColor() const { return FEvenRowColorAssigned ? FEvenRowColor : Color(); }
  void SetEvenRowColor(TColor v);
  TColor OddRowColor() const { return FOddRowColorAssigned ? FOddRowColor : Color(); }
  void SetOddRowColor(TColor v);
  Integer RowHeight() const { return FRowHeight; }
  void SetRowHeight(Integer v);
  Integer RowLines() const { return FRowLines; }
  void SetRowLines(Integer v);
  Integer TitleHeight() const { return FTitleHeight; }
  void SetTitleHeight(Integer v);
  Integer TitleLines() const { return FTitleLines; }
  void SetTitleLines(Integer v);
  Integer FrozenCols() const { return FFrozenColsProp; }
  void SetFrozenCols(Integer v);
  // Trailing columns kept at the right edge; the base grid's count is what
  // the layout could grant of it.
  Integer ContraColCount() const { return FContraColCountProp; }
  void SetContraColCount(Integer v);
  // Grid columns including the trailing ones.
  Integer FullColCount() const { return ColCount() + TCustomGridEh::ContraColCount(); }
  Integer FooterRowCount() const { return FFooterRowCount; }
  void SetFooterRowCount(Integer v);
  bool UseMultiTitle() const { return FUseMultiTitle; }
  void SetUseMultiTitle(bool v);
  Integer VTitleMargin() const { return FVTitleMargin; }
  void SetVTitleMargin(Integer v);
  // The center the grid hands requests to (the global one; none once unset).
  TDBGridEhCenter* Center() const { return FCenter; }
  void SetCenter(TDBGridEhCenter* v);
  // The indicator title: its press, and the menu it pops up.
  void IndicatorTitleMouseDown(TGridCoord Cell, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void DoIndicatorTitleMouseDown(TGridCoord Cell, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void IndicatorTitleAction(TPopupMenu*& PopupMenu);
  void DoBuildIndicatorTitleMenu(TPopupMenu*& PopupMenu);
  TDBGridEhBuildIndicatorTitleMenu OnBuildIndicatorTitleMenu;
  TGridEhCellMouseEvent OnIndicatorTitleMouseDown;
  // The style deciding selection colours (the global one unless set).
  TDBGridEhStyle* Style() const { return FStyle; }
  void SetStyle(TDBGridEhStyle* v);
  // Scroll bars and the indicator title.
  TDBGridEhScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
  void SetHorzScrollBar(TDBGridEhScrollBar* v) { FHorzScrollBar->Assign(v); }
  TDBGridEhScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }
  void SetVertScrollBar(TDBGridEhScrollBar* v) { FVertScrollBar->Assign(v); }
  TDBGridEhIndicatorTitle* IndicatorTitle() const { return FIndicatorTitle.get(); }
  virtual void UpdateHorzExtScrollBar();
  // Whether record numbers are known (exact scroll-bar positions) or only
  // the first and last record (a three-position bar).
  virtual bool SequencedDataSet();
  // The multi-line title tree and each column's leaf in it.
  THeadTreeNode* HeadTree() const { return FHeadTree.get(); }
  THeadTreeNode* LeafOfColumn(Integer DataCol) const;
  // Heights of the levels below Node from the texts they show; the total.
  Integer HeadTreeHeight(THeadTreeNode* Node);
  bool WordWrapAllowed() const { return FWordWrapAllowed; }
  Integer TitleRowHeight() const { return FTitleRowHeight; }
  Integer IndicatorOffset() const { return FIndicatorOffset; }
  Integer TitleOffset() const { return FTitleOffset; }
  bool DataLinkLayoutChanging() const { return FDataLinkLayoutFlag; }

  // Current cell.
  Integer SelectedIndex() const { return Col() - FIndicatorOffset; }
  void SetSelectedIndex(Integer v);
  TField* SelectedField();
  Integer RawToDataColumn(Integer ACol) const { return ACol - FIndicatorOffset; }
  Integer DataToRawColumn(Integer ACol) const { return ACol + FIndicatorOffset; }

  // Locks and layout.
  void BeginUpdate() { ++FUpdateLock; }
  void EndUpdate() {
    if (FUpdateLock > 0) --FUpdateLock;
    if (FUpdateLock == 0 && FResizePending) ApplyDeferredResize();
  }
  Integer UpdateLock() const { return FUpdateLock; }
  void BeginLayout();
  void EndLayout();
  void CancelLayout();
  bool TryBeginLayout();
  void DeferLayout();
  Integer LayoutLock() const { return FLayoutLock; }
  virtual void LayoutChanged();

  // Cell geometry.
  enum TCellAreaEh { caIndicatorEh = 0, caDataColEh = 1 };
  enum TRowAreaEh { raTitleEh = 0, raFilterEh = 1, raDataEh = 2, raFooterEh = 4 };
  void GetCellType(Integer ACol, Integer ARow, Integer& HorzKind, Integer& VertKind, Integer& AreaCol,
                   Integer& AreaRow) const;
  virtual Integer TitleRowCount() const { return FOptions.Contains(dgTitles) ? 1 : 0; }
  virtual Integer IsFilterRowVisible() const;
  TRect GetCellBlockRect(Integer L, Integer T, Integer R, Integer B) const { return CellBlockRect(L, T, R, B); }
  Integer RecordCountInView() const;
  bool IsCurrentRecord(Integer Row) const;
  void SetDrawRecord(Integer Row);
  void RestoreDrawRecord();

  // Notifications of the data link.
  virtual void DataLinkActiveChanged(bool Active);
  virtual void DataChanged();
  virtual void ScrollData(Integer Distance);
  virtual void EditingChanged();
  virtual void RecordChanged(TField* Field);
  virtual void UpdateData();
  virtual void UpdateRowCount();
  virtual void UpdateActiveRow();
  virtual void UpdateVertScrollBar();
  virtual void RebuildFieldMap();
  virtual void UpdateColWidthsAndTabStops();

  // Selection colours.
  virtual bool HasFocus();
  virtual bool IsCell3D(Integer ACol, Integer ARow, TGridDrawState State, const TRect& R);
  virtual bool HighlightDataCell(Integer DataCol, Integer DataRow, TFont* AFont, TColor& Background,
                                 TGridDrawState& State);
  virtual bool HighlightFixedCell(bool Selected, TFont* AFont, TColor& Background, Integer HorzKind,
                                  Integer VertKind);

  // Draws image Index of Images in R (left, right or centred by Alignment,
  // moved by XOffset, centred vertically), clipped to R when it does not fit.
  static void DrawImageEh(TCustomImageList* Images, TCanvas* ACanvas, TAlignment Alignment, Integer XOffset,
                          Integer Index, const TRect& R);
  // The text a data row shows in a column after both cell-parameter events
  // (used to compare neighbouring rows of columns that hide duplicates).
  // False for a row outside the record buffer.
  bool CellTextOfRow(TColumnEh* Column, Integer DataRow, String& Text);
  // Runs the cell-parameter pipeline of a data cell of the drawing record:
  // the column's values, then the grid's and the column's events.
  void FillDataCellParams(TColumnEh* Column, Integer DataCol, Integer DataRow, TGridDrawState State,
                          TColCellParamsEh& Params);
  // Text writer shared by every cell painter.
  static void WriteTextEh(TCanvas* ACanvas, TRect ARect, bool FillRect, Integer DX, Integer DY,
                          const String& Text, TAlignment Alignment, TTextLayout Layout, bool MultiLine,
                          bool EndEllipsis, Integer LeftMarg, Integer RightMarg, bool RightToLeft);
  // Text shortened to fit MaxWidth with a trailing "...", cut between whole
  // characters.
  static String EllipsisText(TCanvas* ACanvas, const String& Text, Integer MaxWidth);
  // Writes Text turned by 90 degrees, reading bottom-up, and answers its
  // length along the turned line (width plus overhang); MeasureOnly draws
  // nothing.
  static Integer WriteTextVerticalEh(TCanvas* ACanvas, TRect ARect, bool FillRect, Integer DX, Integer DY,
                                     const String& Text, TAlignment Alignment, TTextLayout Layout,
                                     bool EndEllipsis, bool MeasureOnly);

  // Selection (DBGridEhSelection.cpp). Selection() is the data grid's
  // selection object; the base grid's cell block stays TCustomGridEh::Selection().
  TDBGridEhSelection* Selection() const { return FSelection.get(); }
  TBookmarkListEh* SelectedRows() const { return FBookmarks.get(); }
  TDBGridEhAllowedSelections AllowedSelections() const { return FAllowedSelections; }
  void SetAllowedSelections(TDBGridEhAllowedSelections v);
  // Whether the user may create a selection of this kind now.
  bool CanSelectType(TDBGridEhSelectionType Type) const;
  // Whether the grid cell (grid coordinates) belongs to the selection.
  virtual bool CellInSelection(Integer ACol, Integer ARow);
  // Repaints the selected area and the current row.
  virtual void InvalidateSelection();
  TNotifyEvent OnSelectionChanged;

  // Cell parameters of data cells (colours and font per record).
  virtual void GetCellParams(TColumnEh* Column, TFont* AFont, TColor& Background, TGridDrawState State);
  TGetCellEhParamsEvent OnGetCellParams;

  TNotifyEvent OnColEnter, OnColExit;

  TColumnDefValuesEh* ColumnDefValues() const { return FColumnDefValues.get(); }
  void SetColumnDefValues(TColumnDefValuesEh* v) { FColumnDefValues->Assign(v); }

  // Footers and their sums.
  TFont* FooterFont() { return FFooterFont.get(); }
  void SetFooterFont(TFont* v) { FFooterFont->Assign(v); }
  TColor FooterColor() const { return FFooterColor; }
  void SetFooterColor(TColor v);
  TDBGridEhSumList* SumList() const { return FSumList.get(); }
  void SetSumList(TDBGridEhSumList* v);
  // The text footer row Row shows for Column.
  virtual String GetFooterValue(Integer Row, TColumnEh* Column);
  void InvalidateFooter();
  TGetFooterParamsEvent OnGetFooterParams;
  TDrawFooterCellEvent OnDrawFooterCell;
  TNotifyEvent OnSumListRecalcAll, OnSumListAfterRecalcAll;
  // ---- Interaction: cell editing (DBGridEhEdit.cpp), keyboard, mouse,
  // scrolling, timers, incremental search, focus and window messages
  // (DBGridEhInput.cpp), record moving (DBGridEhMove.cpp).
  TDBGridEhAllowedOperations AllowedOperations() const { return FAllowedOperations; }
  void SetAllowedOperations(TDBGridEhAllowedOperations v) { FAllowedOperations = v; }
  bool DrawMemoText() const { return FDrawMemoText; }
  void SetDrawMemoText(bool v);
  TDBGridInplaceEdit* InplaceEdit() const;
  // The column under the current cell, null past the last one.
  TColumnEh* CurrentColumn() const;
  // The grid may change the current record at all.
  bool DataEditable();
  bool IsColumnEditable(Integer DataCol);
  bool IsEditorAlwaysShown() const;
  bool AcquireFocus();
  void RefreshEditorPlacement();
  void CopyFromPreviousRecord();
  void SetCellToNull();
  void FocusField(TField* Field);
  // The grid's and its editor's input method follow the current column.
  void UpdateColumnIme();
  void ApplyColumnIme();
  // The text the editor gets for a cell before the cell-parameter events
  // (key lists translated, memo lines as CR LF); sets the key value.
  String RawCellEditText(Integer ACol);
  const String& EditText() const { return FEditText; }
  void SetEditText(const String& v) { FEditText = v; }
  const Variant& EditKeyValue() const { return FEditKeyValue; }
  void SetEditKeyValue(const Variant& v) { FEditKeyValue = v; }

  void MoveCol(Integer GridCol, Integer Direction, bool Select);
  void NextRow(bool Select);
  void PriorRow(bool Select);
  void TabMove(bool Forward);
  void SelectionMoveBy(bool Select, Integer Distance, bool RowsMode, bool ToEnd);
  virtual bool ConfirmDelete();
  virtual void ClearSelection();

  // Edit actions and the availability tests of the clipboard and selection
  // commands.
  TDBGridEhEditActions EditActions() const { return FEditActions; }
  void SetEditActions(TDBGridEhEditActions v) { FEditActions = v; }
  bool CanCopySelection();
  bool CanDeleteSelection();
  bool CanCutSelection();
  bool CanPasteSelection();
  bool CanSelectAll();
  // The text a tool tip of a data cell shows (the current record's).
  void CellToolTipText(TColumnEh* Column, String& Text);
  // Fills a hint request for the cell under the last mouse position: a
  // title hint, or a tool tip laid over a cell whose text does not fit.
  void FillHintInfo(THintInfo& Info);
  // The delay before a hint shows over the cell under the mouse.
  Integer HintPauseAt(Integer DefaultPause);
  // The font the tool tips are drawn with (their hint data).
  TFont* HintFont();

  // Incremental search.
  bool IncSearching() const { return FIncSearching; }
  const String& IncSearchText() const { return FIncSearchText; }
  void IncSearch(const String& Text, Integer Timeout, Integer Direction);
  void StopIncSearch();
  // Text search through the grid's centre (and so the dataset's features),
  // with the hourglass shown meanwhile.
  bool LocateText(const String& FieldName, const String& Text, TLocateTextOptionsEh Options,
                  TLocateTextDirectionEh Direction, TLocateTextMatchingEh Matching,
                  TLocateTextTreeFindRangeEh TreeFindRange = lttInAllNodesEh);

  // Scrolling and timers.
  Integer AutoScrollInterval() const { return FAutoScrollInterval; }
  bool AutoScrollTimerOn() const { return FAutoScrollTimerOn; }
  bool IncSearchTimerOn() const { return FIncSearchTimerOn; }
  void SaveViewPosition();
  void RestoreViewPosition();
  TRect GetDataBox();
  void AutoScrollStep();

  // Mouse state: 0 none, 1 selecting records, 2 selecting columns,
  // 3 selecting a rectangle, 5 indicator title pressed, 6 sizing a frozen
  // column, 7 moving records.
  Integer GridEhState() const { return FDBGridEhState; }
  bool SortMarkingPending() const { return FSortMarkingPending; }
  bool TitlePressed() const { return FTitlePressed; }
  void CancelMouseTracking();
  // The frozen-column sizing zone of the point: State 6 when over one.
  void SizingHitTest(Integer X, Integer Y, Integer& Offset, Integer& Position, Integer& Column, Integer& State);
  bool IsOverSizingZone(Integer X, Integer Y);
  virtual void SortMarkingChanged();
  // Sorts the dataset by the sort-marked columns.
  virtual void ApplySorting();
  // Sorting is handed to the dataset features as local sorting (the
  // dataset's own Sort) rather than a rewrite of its SQL text.
  // Opens the find dialog for this grid (through the center).
  void ExecuteFindDialog(const String& Text, bool Modal);
  bool SortLocal() const { return FSortLocal; }
  void SetSortLocal(bool v) { FSortLocal = v; }

  // Record moving.
  bool CheckBeginRecordMoving(Integer X, Integer Y, bool TestOnly);
  bool MoveRecords(TStrings* BookmarkList, Integer ToRow, bool CheckOnly, Integer TreeLevel);
  virtual bool MoveRecordsInDataSet(TStrings* BookmarkList, Integer ToRecNo, Integer TreeLevel, bool CheckOnly);
  bool MoveRecordsThroughCenter(TStrings* BookmarkList, Integer ToRecNo, bool CheckOnly);
  Integer RecNoOfRow(Integer Row);

  // Tree rows (datasets that answer IMemTableTreeEh).
  IMemTableTreeEh* TreeOfDataSet() const;
  bool IsTreeColumn(Integer DataCol) const;
  // The tree area of the active record: its level times 18 pixels.
  Integer TreeAreaWidth() const;
  // Draws the tree area of the active record at the left of R; its width.
  Integer DrawTreeArea(TCanvas* ACanvas, const TRect& R, bool Selected);
  // A press on the tree area of a row; unless TestOnly the node's own box
  // expands or collapses it.
  bool CheckTreeNodeClick(Integer X, Integer Y, bool TestOnly);
  void ToggleCurrentNode(Integer Mode);   // 0 toggle, 1 expand, -1 collapse

  TTitleClickEventEh OnTitleBtnClick, OnTitleClick;
  TCheckTitleBtnEventEh OnCheckButton;
  TDBGridClickEventEh OnCellClick;
  TNotifyEvent OnSortMarkingChanged;
  TNotifyEvent OnEditButtonClick;
  TMoveRecordsEventEh OnMoveRecords;
  // Told when the view's top-left cell moved (the library's own listeners,
  // such as a drop-down grid following its owner).
  TNotifyEvent OnTopLeftChangedInternal;
  // Title buttons: called twice per title cell (only the font of the second
  // call counts).
  TGetBtnEhParamsEvent OnGetBtnParams;
  // Data cells: colours and font per cell, then drawing of one's own.
  TDrawDataCellEvent OnDrawDataCell;   // with default columns only
  TDrawColumnEhCellEvent OnDrawColumnCell;

 protected:
  // Cell editing.
  TInplaceEdit* CreateInplaceEditor() override;
  bool EditorAcceptsKey(char32_t Key) override;
  bool EditorCanModify() override;
  String GetCellEditText(Integer ACol, Integer ARow) override;
  String GetCellEditMask(Integer ACol, Integer ARow) override;
  Integer GetEditorMaxLength() override;
  void SetCellEditText(Integer ACol, Integer ARow, const String& Value) override;
  bool EditorCanShow() override;
  void DoExit() override;
  void ShowEditorEh();
  // The record changed under the editor: a text that no longer matches the
  // field is loaded again.
  void RecordChangedInEditor(TField* Field);
  // A size change that came while the update lock was held.
  void ApplyDeferredResize();
  void CreateParams(TCreateParams& Params) override;
  void FlatChanged() override;
  void WndProc(TMessage& Message) override;
  // The grid's own one-pixel frame of the flat look.
  void PaintFlatFrame();
  // Keyboard, mouse and scrolling.
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void StepAnchor(Integer Directions) override;
  void DetectSizingState(Integer X, Integer Y, const TGridLayoutEh& Layout, TGridStateEh& State, Integer& Index,
                         Integer& SizingPos, Integer& SizingOfs) override;
  // Starts, re-times or stops timer 1 (auto-scroll, record moving) and
  // timer 2 (the incremental-search time-out); a test may take their place.
  virtual void StartTimer(Integer Interval);
  virtual void StopTimer();
  virtual void StartIncSearchTimer();
  virtual void StopIncSearchTimer();
  // Dispatch of the interaction messages; true when handled.
  bool DispatchInput(TMessage& Message);
  void UpdateTitlePressed(Integer X, Integer Y);
  // The record- or column-select cursor for a client point, or none.
  HCURSOR SelectCursorAt(Integer X, Integer Y);
  bool IsColumnSelectZone(Integer X, Integer Y);
  bool CheckTitleButton(Integer DataCol);
  void DrawGridSizingLine();
  // Record moving.
  Integer CalcRecordMoveLevel(Integer Row, TPoint Point, Integer& Level);
  void TrackRecordMoving(TPoint Point, bool FromTimer);
  void EndRecordMoving(bool Drop);
  void DrawMoveLine(Integer X1, Integer X2);
  void EraseMoveLine();
  bool MoveSelectedRecords(Integer ToRow, Integer TreeLevel, bool CheckOnly);
  void DrawSizingLineEh();

  // Interaction state.
  String FEditText;
  Variant FEditKeyValue = Variant::Null();
  TDBGridEhAllowedOperations FAllowedOperations{alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh};
  bool FDrawMemoText = false;
  bool FInLocate = false;
  bool FRowsSelectToggle = false;
  bool FIncSearching = false;
  String FIncSearchText;
  Integer FIncSearchInterval = -1;
  bool FIncSearchTimerOn = false;
  String FWMCharText;
  Integer FDBGridEhState = 0;
  bool FTrackingMouse = false;
  Integer FPressedTitleCol = -1;
  bool FTitlePressed = false;
  bool FSortMarkingPending = false;
  bool FRowSelecting = false, FRectSelecting = false, FRightAsLeft = false;
  bool FDragPending = false, FDragSelectedRows = false;
  Integer FCheckPressCol = -1, FCheckPressRow = -1;
  TPoint FPressPoint, FMousePos;
  TShiftState FLastShift, FKeyShift;
  // The multi-select anchor of record selection: the record, whether it
  // was selected, and whether it is set.
  TBookmark FSelAnchor;
  bool FSelAnchorState = false, FSelAnchorSet = false;
  TDBGridEhEditActions FEditActions;
  std::unique_ptr<TFont> FHintFont;
  bool FAutoScrollTimerOn = false;
  Integer FAutoScrollInterval = -1;
  bool FThumbTracked = false;
  TBookmark FSavedPositionBookmark;
  Integer FSavedPositionOffset = 0;
  // Record moving.
  Integer FMoveStartRow = -1, FMoveTargetRow = -1;
  TBookmark FMoveBookmark;
  Integer FMoveSourceLevel = -1, FMoveTargetLevel = -1, FMoveLineX = 0;
  Integer FMoveLineX1 = 0, FMoveLineX2 = 0;
  bool FMoveLineDrawn = false;
  // Frozen-column sizing (state 6).
  Integer FFrozenSizingCol = -1, FFrozenSizingPos = 0, FFrozenSizingOfs = 0;
  bool FFocusTaking = true;
  bool FResizePending = false;
  bool FNumPadStarDown = false;
  bool FSortLocal = false;
  bool FLeftColIsFirst = true;
  // The grid's own input method, as it was when its window was made.
  TImeMode FOwnImeMode = imDontCare;
  String FOwnImeName;
  bool FOwnImeTaken = false;
  // 1 when the grid draws its own one-pixel frame instead of the window's
  // border (flat look).
  Integer FFrameWidth = 0;

  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState AState) override;
  void Dispatch(TMessage& Message) override;
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void Resize() override;
  void ColWidthsChanged() override;
  void ColumnMoved(Integer FromIndex, Integer ToIndex) override;
  void RowHeightsChanged() override;
  void DefaultHandler(TMessage& Message) override;
  void TopLeftChanged() override;
  virtual void InternalLayout();
  virtual TDBGridColumnsEh* CreateColumns();
  // Makes the column collection again through CreateColumns (a descendant's
  // constructor, whose CreateColumns the base constructor cannot reach).
  void RecreateColumns() { FColumns.reset(CreateColumns()); }
  void RecreateColumnDefValues() { FColumnDefValues.reset(CreateColumnDefValues()); }
  virtual TColumnDefValuesEh* CreateColumnDefValues();
  virtual TDBGridEhScrollBar* CreateScrollBar(TScrollBarKind Kind);

  // Painters of the fixed areas.
  void DrawIndicatorCell(Integer DataRow, TRect R, Integer DX, Integer DY);
  // Draws a column title; tells whether it came out highlighted and pressed
  // (the frame around it follows both).
  void DrawTitle(Integer DataCol, TRect R, TGridDrawState State, Integer DX, Integer DY, bool& Highlighted,
                 bool& Pressed);
  void DrawDataCell(Integer DataCol, Integer DataRow, TRect R, TGridDrawState State, Integer DX, Integer DY);
  // The edge of a fixed cell: raised, or sunken while selected or pressed.
  // FarSide and NearSide ask for the right and left edges (a multi-line
  // title band leaves them out where a neighbour continues it).
  void Paint3DFrame(TCanvas* ACanvas, TRect R, bool FarSide, bool NearSide, bool Selected, bool Pressed);
  // A fixed cell that DrawCell framed itself (raised, pressed, selected or
  // themed) gets no second edge from the base grid.
  void DrawFixedEdge(TRect R, const TGridLayoutEh& L) override {
    if (!FCellFramed) TCustomGridEh::DrawFixedEdge(R, L);
  }
  bool FCellFramed = false;
  // The matched start of the current cell's text during incremental search.
  void DrawIncSearchText(TCanvas* ACanvas, TRect R, Integer DX, Integer DY, const String& Text,
                         TAlignment Alignment, bool WordWrap);
  // How far a pressed title's text moves: 2 pixels for multi-line titles.
  Integer TitlePressOffset() const;
  // Titles, indicator and footer take the desktop theme's face: themes on,
  // not flat, raised fixed cells and both kinds of grid lines.
  bool UseThemesForTitles() const;
  void DrawThemedFixedBackground(TCanvas* ACanvas, const TRect& Cell, bool Pressed);
  // Whether the grid paints through an off-screen bitmap.
  virtual bool NeedsBufferedPaint();
  bool PaintBuffered(TMessage& Message);
  bool BufferedPaint() const { return FBufferedPaint; }
  // The cell being painted is a themed fixed cell.
  bool FPaintThemed = false;
  bool FBufferedPaint = false;
  void UpdateRowHeights();
  void SetGridColCount(Integer v);
  void SetGridRowCount(Integer v);
  Integer LineWidth() const;
  // Footers.
  virtual void GetFooterParams(Integer DataCol, Integer Row, TColumnEh* Column, TFont* AFont, TColor& Background,
                               TAlignment& Alignment, TGridDrawState State, String& Text);
  void DrawFooterCell(Integer DataCol, Integer Row, TRect R, TGridDrawState State, Integer DX, Integer DY);
  void ChangeScale(Integer M, Integer D) override;
  // Cell clicks go to the grid center.
  void DefaultCellMouseClick(TGridCoord Cell, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  // The group bands above a multi-line title cell.
  void DrawTitleBands(THeadTreeNode* Node, TRect Cell, TRect Clip, bool Highlighted, Integer DY);
  void Paint() override;

 private:
  friend class TGridDataLinkEh;
  friend class TDBGridColumnsEh;
  friend class TColumnEh;
  // Selection.
  friend class TBookmarkListEh;
  friend class TDBGridEhSelectionRect;
  friend class TDBGridEhSelectionCols;
  friend class TDBGridEhSelection;
  TDBGridEhAllowedSelections FAllowedSelections{gstRecordBookmarks, gstRectangle, gstColumns, gstAll};
  std::unique_ptr<TBookmarkListEh> FBookmarks{std::make_unique<TBookmarkListEh>(this)};
  std::unique_ptr<TDBGridEhSelection> FSelection{std::make_unique<TDBGridEhSelection>(this)};
  friend class TDBGridInplaceEdit;
  void TitleFontChanged();
  void MoveColIfNeeded();
  std::unique_ptr<TDBGridColumnsEh> FColumns;
  std::unique_ptr<TGridDataLinkEh> FDataLink;
  std::unique_ptr<TFont> FTitleFont;
  TColumnsEhList FVisibleColumns;
  TColumnsEhList FSortMarkedColumns;
  TDBGridOptions FOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                          dgConfirmDelete, dgCancelOnExit};
  TDBGridEhOptions FOptionsEh{dghFixed3D, dghHighlightFocus, dghClearSelection, dghDialogFind};
  bool FReadOnly = false;
  TColor FEvenRowColor = clWindow, FOddRowColor = clWindow;
  bool FEvenRowColorAssigned = false, FOddRowColorAssigned = false;
  Integer FRowHeight = 0, FRowLines = 0, FTitleHeight = 0, FTitleLines = 0;
  Integer FTitleRowHeight = 0;
  Integer FFrozenColsProp = 0;
  Integer FContraColCountProp = 0;
  Integer FFooterRowCount = 0;
  Integer FIndicatorOffset = 1;
  Integer FTitleOffset = 0;
  Integer FUpdateLock = 0, FLayoutLock = 0;
  Integer FDrawRecordSaved = -1;
  Integer FTitleTextInset = 4;
  bool FWordWrapAllowed = false;
  bool FDataLinkLayoutFlag = false;
  bool FSelfChangingTitleFont = false;
  bool FInDataChanged = false;
  Integer FLastIndicatorRow = -1;
  // Whether the grid has the focus, asked once per paint (-1: not painting):
  // every cell asks, and each question is a round trip to the Wine server.
  Integer FFocusWhilePainting = -1;
  std::unique_ptr<TColumnDefValuesEh> FColumnDefValues;
  // Footers.
  std::unique_ptr<TFont> FFooterFont;
  TColor FFooterColor = clWindow;
  std::unique_ptr<TDBGridEhSumList> FSumList;
  bool FSelfChangingFooterFont = false;
  void FooterFontChanged();
  TDBGridEhStyle* FStyle = nullptr;
  friend class TDBGridEhStyle;
  TDBGridEhCenter* FCenter = nullptr;
  friend class TDBGridEhCenter;
  // Scroll bars and the indicator title.
  std::unique_ptr<TDBGridEhScrollBar> FHorzScrollBar;
  std::unique_ptr<TDBGridEhScrollBar> FVertScrollBar;
  std::unique_ptr<TDBGridEhIndicatorTitle> FIndicatorTitle;
  TScrollBarVisibleModeEh FLastVertVisibleMode = sbAutoShowEh;
  bool FVertBarShown = false;
  // Multi-line titles.
  bool FUseMultiTitle = false;
  Integer FVTitleMargin = 10;
  std::unique_ptr<THeadTreeNode> FHeadTree{std::make_unique<THeadTreeNode>("Root", 10, 0)};
  std::vector<THeadTreeNode*> FLeafCols;
  // Title images, automatic fitting, row sizing.
  TCustomImageList* FTitleImages = nullptr;
  std::unique_ptr<TChangeLink> FTitleImageChangeLink;
  bool FAutoFitColWidths = false;
  Integer FMinAutoFitWidth = 0;
  bool FRowSizingAllowed = false;
  bool FFitting = false;
  bool FRowSizingDone = false;
  // The filter row.
  std::unique_ptr<TSTDBGridEhFilter> FSTFilter;
  Integer FFilterCol = -1;
  bool FFilterEditing = false;
  TInplaceFilterEditEh* FFilterEdit = nullptr;   // owned as a component
  void FilterEditKeyDown(Word& Key, TShiftState Shift);
  void DrawFilterCell(Integer DataCol, TRect R, TGridDrawState State);
  // Scales the columns' pre-fit widths to the width the grid offers.
  void FitColumnsToWidth();
};

// ---------------------------------------------------------------------------
// The in-cell editor: an edit style and a row of edit buttons per column,
// the required-value mark, and the keys it passes on to the grid.

class TDBGridInplaceEdit : public TInplaceEdit, public IPopupOwnerEh {
  TOVANI_CLASS(TDBGridInplaceEdit, TInplaceEdit)
 public:
  // 0 plain text, 1 ellipsis, 2 pick list, 3 lookup list, 4 date,
  // 5 up-down, 6 drop-down (calculator for numbers).
  enum : Byte { esText, esEllipsis, esPickList, esLookup, esDate, esUpDown, esDropDown };

  explicit TDBGridInplaceEdit(TComponent* AOwner = nullptr);
  ~TDBGridInplaceEdit() override;
  TCustomDBGridEh* DBGrid() const { return static_cast<TCustomDBGridEh*>(Grid()); }
  TColumnEh* Column() const;
  Byte EditStyle() const { return FEditStyle; }
  void SetEditStyle(Byte v);
  // The style a column's cells get (also for cells not being edited).
  static Byte ColumnEditStyle(TColumnEh* Column);
  Integer ButtonsWidth() const { return FButtonsWidth; }
  const TEditButtonControlList& ButtonControls() const { return FButtonControls; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  bool ReadOnlyByParams() const { return FReadOnlyByParams; }
  bool ListVisible() const { return FListVisible; }
  // The drop-down window of the current style: the pick list box, the
  // column's drop-down grid, the calendar or the calculator; null when the
  // style has none.
  TWinControl* ActiveList() const { return FActiveList; }
  TPopupListboxEh* PickListBox() const { return FPickListBox; }
  TPopupMonthCalendarEh* Calendar() const { return FCalendar; }
  TPopupCalculatorEh* GetCalculator();
  TPopupDataGridEh* LookupGrid() const { return FLookupGrid; }
  TMRUListboxEh* GetMRUListBox();
  TMRUListboxEh* MRUListBox() const { return FMRUListBox; }
  void DropDown();
  void CloseUp(bool Accept) override;
  void UpdateGridEditValue();
  void StepValue(bool Down);
  void UpdateMRUList();
  void MRUCloseUp(bool Accept);
  // The first of Strings equal to Text ignoring case; with Options 2 only
  // the first Length(Text) characters of each are compared. -1 when none.
  static Integer FindListItem(TStrings* Strings, const String& Text, Integer Options);
  // The required-value mark is drawn now.
  bool RequiredStateDrawn();
  // The image of the edited value in the column's image list (-1 none).
  Integer ImageIndex() const { return FImageIndex; }
  // Finds the image again from the text (pick lists) or the field's value.
  virtual void UpdateImageIndex();

  void ApplyTextMargins() override;
  void LoadCellContents() override;
  void UpdateEditButtons();
  virtual TRect GetEditRect();

 protected:
  virtual TEditButtonControlEh* CreateEditButtonControl();
  virtual void ButtonDown(bool TopButton);
  virtual void EditButtonClick(TObject* Sender);
  virtual void EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
  virtual void DrawRequiredState(TCanvas* ACanvas);
  void Change() override;
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void WndProc(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void DropDownKeys(Word& Key, TShiftState Shift);
  // Completes typed text against the lookup dataset or the pick list; an
  // emptied Text means the character was used up.
  virtual void ProcessTypedText(String& Text);
  virtual void FilterMRUItem(const String& Item, bool& Accept);

 private:
  bool IsControlText(const String& Text) const;
  void ShowListText();
  void PasteIntoList();
  void MRUListBoxResized();
  TEditButtonControlList FButtonControls;
  TWinControl* FActiveList = nullptr;
  TPopupListboxEh* FPickListBox = nullptr;
  TPopupMonthCalendarEh* FCalendar = nullptr;
  TPopupCalculatorEh* FCalculator = nullptr;
  TPopupDataGridEh* FLookupGrid = nullptr;
  TMRUListboxEh* FMRUListBox = nullptr;
  std::unique_ptr<TDataSource> FLookupSource;
  bool FSpecRowChosen = false;
  bool FButtonPressedForList = false;
  Integer FButtonsWidth = 0;
  Byte FEditStyle = esText;
  bool FWordWrap = false;
  bool FReadOnlyByParams = false;
  bool FListVisible = false;
  bool FTextChanged = false;
  bool FLoadingContents = false;
  Integer FImageIndex = -1;
  // Draws what the edit control does not: the tree lines of the current
  // row, the required-value mark and the value's image.
  void PaintAdditions(HDC DC);
};

// The design face of a lookup column's drop-down grid: its columns, column
// defaults, options and local sorting live in the grid itself; the list
// source and a few layout values in the box.
class TColumnDropDownBoxEh : public TPersistent {
  TOVANI_CLASS(TColumnDropDownBoxEh, TPersistent)
 public:
  explicit TColumnDropDownBoxEh(TPersistent* AOwner = nullptr);
  ~TColumnDropDownBoxEh() override;
  void Assign(TPersistent* Source) override;

  bool AutoFitColWidths() const { return FAutoFitColWidths; }
  void SetAutoFitColWidths(bool v) { FAutoFitColWidths = v; }
  TDBGridColumnsEh* Columns() const;
  void SetColumns(TDBGridColumnsEh* v);
  bool ColumnsStored() const;
  TColumnDefValuesEh* ColumnDefValues() const;
  void SetColumnDefValues(TColumnDefValuesEh* v);
  TDataSource* ListSource() const { return FListSource; }
  void SetListSource(TDataSource* v);
  Byte Options() const;
  void SetOptions(Byte v);
  bool SortLocal() const;
  void SetSortLocal(bool v);
  bool UseMultiTitle() const { return FUseMultiTitle; }
  void SetUseMultiTitle(bool v) { FUseMultiTitle = v; }
  // Kept for the descendant that publishes them.
  TDropDownAlign Align() const { return FAlign; }
  void SetAlign(TDropDownAlign v) { FAlign = v; }
  bool AutoDrop() const { return FAutoDrop; }
  void SetAutoDrop(bool v) { FAutoDrop = v; }
  Integer Rows() const { return FRows; }
  void SetRows(Integer v) { FRows = v; }
  bool ShowTitles() const { return FShowTitles; }
  void SetShowTitles(bool v) { FShowTitles = v; }
  bool Sizable() const { return FSizable; }
  void SetSizable(bool v) { FSizable = v; }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer v) { FWidth = v; }
  TSpecRowEh* SpecRow() const { return FSpecRow.get(); }

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  IDropDownGridHostEh* Host() const;
  TDropDownAlign FAlign = daLeft;
  bool FAutoDrop = false;
  bool FAutoFitColWidths = true;
  TDataSource* FListSource = nullptr;
  TPersistent* FOwner;
  Integer FRows = 7;
  bool FShowTitles = false, FSizable = false;
  std::unique_ptr<TSpecRowEh> FSpecRow;
  bool FUseMultiTitle = false;
  Integer FWidth = 0;
};

// The hint window of the grid's tool tips (named apart from the edits'
// TToolTipsWindow, which draws in the edit's colours): the text in the cell's font
// (passed as hint data), in the window text colour.
class TDBGridEhToolTipsWindow : public THintWindow {
  TOVANI_CLASS(TDBGridEhToolTipsWindow, THintWindow)
 public:
  explicit TDBGridEhToolTipsWindow(TComponent* AOwner = nullptr) : THintWindow(AOwner) {}
  TRect CalcHintRect(Integer MaxWidth, const String& AHint, void* AData) override;
};

// ---------------------------------------------------------------------------
// The filter row (DBGridEhFilter.cpp).

// The settings of a grid's filter row.
class TSTDBGridEhFilter : public TPersistent {
  TOVANI_CLASS(TSTDBGridEhFilter, TPersistent)
 public:
  explicit TSTDBGridEhFilter(TCustomDBGridEh* AGrid = nullptr) : FGrid(AGrid) {}
  void Assign(TPersistent* Source) override;
  TCustomDBGridEh* OwnerGrid() const { return FGrid; }
  // The filter goes into the dataset's own Filter instead of its SQL.
  bool Local() const { return FLocal; }
  void SetLocal(bool v) { FLocal = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  // While held, moving or sizing columns leaves the filter editor alone.
  void BeginUpdate() { ++FEditorLockCount; }
  void EndUpdate() {
    if (FEditorLockCount > 0) --FEditorLockCount;
  }
  Integer EditorLockCount() const { return FEditorLockCount; }

 protected:
  TPersistent* GetOwner() override;

 private:
  TCustomDBGridEh* FGrid;
  bool FLocal = false;
  Integer FEditorLockCount = 0;
  bool FVisible = false;
};

// The condition typed into one column's filter cell.
class TSTColumnFilterEh : public TPersistent {
  TOVANI_CLASS(TSTColumnFilterEh, TPersistent)
 public:
  explicit TSTColumnFilterEh(TColumnEh* AColumn = nullptr);
  ~TSTColumnFilterEh() override;
  void Assign(TPersistent* Source) override;
  TColumnEh* OwnerColumn() const { return FColumn; }
  TCustomDBGridEh* Grid() const;
  const String& DataField() const { return FDataField; }
  void SetDataField(const String& v) { FDataField = v; }
  const String& KeyField() const { return FKeyField; }
  void SetKeyField(const String& v) { FKeyField = v; }
  const String& ListField() const { return FListField; }
  void SetListField(const String& v) { FListField = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  const String& EnteredText() const { return FEnteredText; }
  // Parses Text (a parse error propagates and the old text stays) and
  // repaints the grid.
  void SetEnteredText(const String& Text);
  void Clear();
  const TSTFilterExpressionEh& Expression() const { return *FExpression; }
  // The text the filter cell shows, built from the parsed expression.
  virtual String GetFilterText();
  virtual String GetFilterFieldName();
  virtual Variant GetFirstValue();
  // Texts of a key-list column's pick list stand for their keys.
  virtual void MapListTextsToKeys(TSTFilterExpressionEh& Expression);
  // The value list offered in the filter cell's drop-down.
  TDataSource* ListSource() const;
  void SetListSource(TDataSource* v);
  virtual bool HasValueList();
  // The list dataset's values of ListField (or of the column's field); null
  // without an active list; the column keeps it.
  TDatasetFieldValueListEh* GetValueList();
  String GetKeyField();
  String GetListField();
  TDataSet* GetListDataSet();
  const Variant& MatchedKeyValue() const { return FMatchedKeyValue; }
  TStrings* ListTexts() const { return FListTexts.get(); }
  TStrings* ListKeys() const { return FListKeys.get(); }
  // The drop-down's size as the user left it (0: not yet).
  Integer DropDownWidth() const { return FDropDownWidth; }
  void SetDropDownWidth(Integer v) { FDropDownWidth = v; }
  Integer DropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(Integer v) { FDropDownRows = v; }

 protected:
  TPersistent* GetOwner() override;

 private:
  void ParseText(const String& Text);
  void ParseEnteredText(const String& Text);
  void FillValueLists();
  TColumnEh* FColumn;
  String FDataField, FKeyField, FListField, FEnteredText;
  bool FVisible = true;
  std::unique_ptr<TSTFilterExpressionEh> FExpression;
  std::unique_ptr<TFieldDataLink> FValueSourceLink;
  std::unique_ptr<TStringList> FListTexts, FListKeys;
  std::unique_ptr<TDatasetFieldValueListEh> FValueList;
  Variant FMatchedKeyValue = Variant::Null();
  Integer FDropDownWidth = 0, FDropDownRows = 0;
};

// The editor of the filter cells: a combo box whose text area starts one
// pixel lower.
class TInplaceFilterEditEh : public TDBComboBoxEh {
  TOVANI_CLASS(TInplaceFilterEditEh, TDBComboBoxEh)
 public:
  explicit TInplaceFilterEditEh(TComponent* AOwner = nullptr);
  void SetValueAndText(const Variant& AValue, const String& AText);
  std::function<void(Word& Key, TShiftState Shift)> OnGridKeyDown;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void Dispatch(TMessage& Message) override;
};

class TDBGridEh : public TCustomDBGridEh {
  TOVANI_CLASS(TDBGridEh, TCustomDBGridEh)
 public:
  explicit TDBGridEh(TComponent* AOwner = nullptr) : TCustomDBGridEh(AOwner) {}
};

// Stand-ins for the property storage: a column's stored width goes to its
// pre-fit width when the grid fits columns automatically; the column order
// is kept as one text of quoted field names.
class TColumnEhPropertyInterceptor : public TStoragePropertyInterceptor {
  TOVANI_CLASS(TColumnEhPropertyInterceptor, TStoragePropertyInterceptor)
 public:
  explicit TColumnEhPropertyInterceptor(TObject* ATarget = nullptr) : TStoragePropertyInterceptor(ATarget) {}
  void SetWidth(Integer V);
};

class TColumnsEhPropertyInterceptor : public TStoragePropertyInterceptor {
  TOVANI_CLASS(TColumnsEhPropertyInterceptor, TStoragePropertyInterceptor)
 public:
  explicit TColumnsEhPropertyInterceptor(TObject* ATarget = nullptr) : TStoragePropertyInterceptor(ATarget) {}
  String ColumnsIndex() const;
  void SetColumnsIndex(const String& T);

 private:
  String FColumnsIndex;
};
