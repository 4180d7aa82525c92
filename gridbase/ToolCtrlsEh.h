// Non-visual pieces shared by the grid library's edits, lookup lists and
// the data grid: the special first row of drop-down lists, the ordered
// bookmark list behind a multi-record selection, the sorted distinct texts
// of a field, a data link that reports its events, and the free routines
// for Variant equality, cell texts and field lists.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "Controls.h"
#include "DB.h"
#include "BasicActions.h"
#include "ComCtrls.h"
#include "Buttons.h"
#include "Graphics.h"
#include "StdCtrls.h"
#include "Strings.h"
#include "Variant.h"

using TFieldsArrEh = std::vector<TField*>;

// A dataset that the grid can read directly offers this interface.
class IMemTableEh {
 public:
  static constexpr const char* IID = "{C235A5F5-9504-4208-8812-091F25DEDC8B}";
  virtual ~IMemTableEh() = default;
};

// The sorted distinct values of a field.
class IMemTableDataFieldValueListEh {
 public:
  static constexpr const char* IID = "{53FED44F-D470-4E9D-B286-C5DE50729B9B}";
  virtual ~IMemTableDataFieldValueListEh() = default;
  virtual TStrings* GetValues() = 0;
};

// The library's own string list class.
class TStringListEh : public TStringList {
  TOVANI_CLASS(TStringListEh, TStringList)
 public:
  TStringListEh() = default;
};

// A data link that hands each data event on to OnDataEvent.
class TDataLinkEh : public TDataLink {
  TOVANI_CLASS(TDataLinkEh, TDataLink)
 public:
  std::function<void(TDataEvent Event, NativeInt Info)> OnDataEvent;

 protected:
  void DataEvent(TDataEvent Event, NativeInt Info) override;
};

// ---------------------------------------------------------------------------

// The optional special first row of a drop-down list or lookup grid (for
// example an entry that stands for an empty key).
class TSpecRowEh : public TPersistent {
  TOVANI_CLASS(TSpecRowEh, TPersistent)
 public:
  explicit TSpecRowEh(TPersistent* AOwner = nullptr);
  ~TSpecRowEh() override;
  void Assign(TPersistent* Source) override;

  const String& CellsText() const { return FCellsText; }
  void SetCellsText(const String& v);
  TStrings* CellsStrings() { return FCellsStrings.get(); }
  TColor Color();
  void SetColor(TColor v);
  TFont* Font();
  void SetFont(TFont* v);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut v) { FShortCut = v; }
  bool ShowIfNotInKeyList() const { return FShowIfNotInKeyList; }
  void SetShowIfNotInKeyList(bool v);
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  bool Selected() const { return FSelected; }
  void SetSelected(bool v) { FSelected = v; }
  bool ColorAssigned() const { return FColorAssigned; }
  bool FontAssigned() const { return FFontAssigned; }

  String CellTextAt(Integer Index) const;
  bool MatchesKeyValue(const Variant& KeyValue) const;
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();

  TNotifyEvent OnChanged;

 protected:
  TPersistent* GetOwner() override { return FOwner; }
  void Changed();
  TColor InheritedColor();
  TFont* InheritedFont();

 private:
  void SpecRowFontChanged();
  std::unique_ptr<TStringList> FCellsStrings;
  String FCellsText;
  TColor FColor = clWindow;
  std::unique_ptr<TFont> FFont;
  TPersistent* FOwner;
  bool FSelected = false;
  TShortCut FShortCut = scAlt | VK_DELETE;
  bool FShowIfNotInKeyList = true;
  Integer FUpdateCount = 0;
  Variant FValue;
  bool FVisible = false;
  bool FColorAssigned = false;
  bool FFontAssigned = false;
  bool FCopyingFont = false;
};

// ---------------------------------------------------------------------------

// The selected records of a grid as bookmarks in the dataset's order, with
// a one-entry cache of the last search.
class TBMListEh : public TObject {
  TOVANI_CLASS(TBMListEh, TObject)
 public:
  TBMListEh();
  ~TBMListEh() override;

  Integer Count() const { return FList->Count(); }
  String Items(Integer Index) const { return FList->Strings(Index); }
  TStringList* List() { return FList.get(); }
  Integer IndexOfBookmark(const TBookmark& Bookmark);
  bool CurrentRowSelected();
  TBookmark CurrentBookmark();
  Integer CompareBookmarks(const TBookmark& A, const TBookmark& B);
  // Where Bookmark is (true) or belongs (false) in the list.
  bool FindBookmark(const TBookmark& Bookmark, Integer& Index);
  void DeleteMarkedRecords();
  bool LinkActive() const { return FLinkActive; }
  void SetLinkActive(bool v);

  virtual TDataSet* GetDataSet() = 0;
  virtual void Invalidate() {}
  [[noreturn]] virtual void RaiseError(const String& Msg);
  virtual void SetCurrentRowSelected(bool Value);
  virtual void StringsChanged();
  virtual void SelectionChanged() {}
  virtual void RemoveAll();

 private:
  std::unique_ptr<TStringList> FList;
  String FCache;
  Integer FCachedIndex = -1;
  bool FCacheFound = false;
  bool FLinkActive = false;
};

// ---------------------------------------------------------------------------

// The sorted distinct texts of one field of a dataset, refilled on demand
// after the dataset, its data, its properties or its fields changed.
class TDatasetFieldValueListEh : public TObject, public IMemTableDataFieldValueListEh {
  TOVANI_CLASS(TDatasetFieldValueListEh, TObject)
 public:
  TDatasetFieldValueListEh();
  ~TDatasetFieldValueListEh() override;
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& v);
  TDataSet* DataSet() const;
  void SetDataSet(TDataSet* v);
  bool DataObsolete() const { return FDataObsolete; }
  TStrings* GetValues() override;
  void RefreshValues();

 protected:
  virtual void DataEvent(TDataEvent Event);

 private:
  std::unique_ptr<TStringList> FValues;
  bool FDataObsolete = true;
  String FFieldName;
  std::unique_ptr<TDataSource> FDataSource;
  std::unique_ptr<TDataLinkEh> FDataLink;
};

// ---------------------------------------------------------------------------
// Free routines

// The Variant equality of the grid library: arrays element by element (by
// their first dimension), Empty equal only to Empty, comparison errors unequal.
bool VariantsEqualEh(const Variant& A, const Variant& B);
// Splits "a;b;"c;d"" into cells: ";" and control characters separate,
// double quotes keep a part whole.
void SplitCellsTextEh(TStrings* Strings, const String& Text);
// The fields named in a ";"-separated list, in order; a missing name raises
// "Field '%s' not found" naming Component.
void CollectFieldsEh(std::vector<TField*>* List, TDataSet* DataSet, TComponent* Component, const String& FieldNames);
void GetFieldsArrayEh(TDataSet* DataSet, TComponent* Component, const String& FieldNames, TFieldsArrEh& Fields);
// Null clears every field of the list; anything else goes to FieldValues.
void SetDataSetFieldValuesEh(TDataSet* DataSet, const String& FieldNames, const Variant& Value);

// ---------------------------------------------------------------------------
// Button faces, check boxes, clipped images and tree elements. The edits and
// grids draw these small controls themselves; each distinct face is rendered
// once into a cached bitmap and then only stretched onto the target.

class TCustomImageList;

enum TButtonFaceKindEh : uint8_t { bfkDropDown, bfkEllipsis, bfkUpDown, bfkCheckBox, bfkPlus, bfkMinus };

// The key of one cached face; equal keys are the same face.
struct TButtonBitmapKeyEh {
  Integer Width = 0;
  Integer Height = 0;
  TButtonFaceKindEh Kind = bfkDropDown;
  bool Flat = false;
  bool Pressed = false;
  bool Active = false;
  bool Enabled = true;
  uint8_t Half = 0;    // bfkUpDown: 0 upper half, 1 lower half
  uint8_t State = 0;   // bfkCheckBox: a TCheckBoxState
  bool operator==(const TButtonBitmapKeyEh&) const = default;
};

class TButtonBitmapInfoBitmapEh : public TObject {
  TOVANI_CLASS(TButtonBitmapInfoBitmapEh, TObject)
 public:
  TButtonBitmapKeyEh Key;
  std::unique_ptr<TBitmap> Bitmap;
};

// The process-wide cache of rendered faces, in the order of creation; it
// only grows until it is cleared (a few sizes times the flag combinations).
class TButtonsBitmapCache : public TObject {
  TOVANI_CLASS(TButtonsBitmapCache, TObject)
 public:
  TBitmap* GetButtonBitmap(TButtonBitmapKeyEh Key);
  void Clear() { FItems.clear(); }
  Integer Count() const { return Integer(FItems.size()); }

 private:
  std::vector<std::unique_ptr<TButtonBitmapInfoBitmapEh>> FItems;
  bool FThemed = false;
};

// Default width of a flat edit button and the system check-box size, set
// when the library starts.
extern Integer FlatButtonWidthEh;
extern Integer CheckBoxWidthEh;
extern Integer CheckBoxHeightEh;
TButtonsBitmapCache* ButtonBitmapCacheEh();

// DownButton: 0 nothing pressed, 1 pressed (or the upper spin half), 2 the
// lower spin half. Color frames and divides flat buttons so that they blend
// into their surroundings.
void PaintButtonFaceEh(HDC DC, TRect Rect, TColor Color, TButtonFaceKindEh Kind, Integer DownButton, bool Flat,
                       bool Active, bool Enabled, TCheckBoxState State = cbUnchecked);
void DrawButtonKindEh(HDC DC, TButtonFaceKindEh Kind, TRect Rect, bool Enabled, bool Flat, bool Active, bool Pressed,
                      uint8_t Half);
void DrawDropDownFaceEh(HDC DC, const TRect& Rect, bool Enabled, bool Flat, bool Active, bool Pressed);
void DrawEllipsisFaceEh(HDC DC, const TRect& Rect, bool Enabled, bool Active, bool Flat, bool Pressed);
void DrawUpDownFaceEh(HDC DC, const TRect& Rect, bool Enabled, bool Flat, bool Active, bool Pressed, uint8_t Half);
void DrawPlusMinusFaceEh(HDC DC, const TRect& Rect, bool Enabled, bool Active, bool Flat, bool Pressed, bool IsPlus);
void DrawCheckBoxFaceEh(HDC DC, TRect Rect, TCheckBoxState State, bool Enabled, bool Flat, bool Pressed, bool Active);
// Empties the face cache (system colours or the theme changed).
void ResetButtonBitmapCacheEh();
Integer CalcFlatButtonWidthEh();
Integer DefaultEditButtonHeightEh(Integer ButtonWidth, bool Flat);
void MeasureCheckBoxEh();
TRect AlignCheckBoxRectEh(const TRect& Rect, TAlignment Alignment, TTextLayout Layout);
// One image of the list centred in Rect and clipped to it.
void DrawClippedImageEh(HDC DC, const TRect& Rect, TCustomImageList* Images, Integer ImageIndex, bool Selected);
// One element of a tree-shaped row: kinds 0-5 an expand box (minus or plus)
// with lines up and/or down, 6-9 connector lines only.
void DrawTreeNodeGlyphEh(TCanvas* Canvas, const TRect& Rect, Integer Kind, bool DotParity, double ScaleX = 1.0,
                         double ScaleY = 1.0, bool RightToLeft = false);
// A dotted line whose dots fall on pixels of one coordinate-sum parity, so
// that lines of neighbouring cells join into one pattern.
void DrawDottedLineEh(TCanvas* Canvas, TPoint Start, Integer Length, bool Horizontal, bool Parity);
// The desktop draws themed faces (the class library's one theme switch).
bool ThemesEnabledEh();

// ---------------------------------------------------------------------------
// Edit buttons: the buttons at the right edge of the library's edits and of
// grid columns (drop-down, ellipsis, spin, plus, minus or a free glyph). A
// TEditButtonEh is the streamed description; the edit creates one live
// TEditButtonControlEh for each visible button.

class TPopupMenu;
class TTimer;
class TEditButtonEh;

enum TEditButtonStyleEh : uint8_t { ebsDropDownEh, ebsEllipsisEh, ebsGlyphEh, ebsUpDownEh, ebsPlusEh, ebsMinusEh };
TOVANI_ENUM_INFO(TEditButtonStyleEh)

using TButtonClickEventEh = std::function<void(TObject* Sender, bool& Handled)>;
using TButtonDownEventEh = std::function<void(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)>;

// The face painted for a button style (the glyph style is painted as a
// speed button instead).
TButtonFaceKindEh ButtonFaceKindOfStyleEh(TEditButtonStyleEh Style);

// Links a button to an action: the action's Enabled, Hint, ShortCut and
// Visible pass to the button while the button's values follow the action.
class TEditButtonActionLinkEh : public TBasicActionLink {
  TOVANI_CLASS(TEditButtonActionLinkEh, TBasicActionLink)
 public:
  explicit TEditButtonActionLinkEh(TEditButtonEh* AClient);
  TEditButtonEh* Client() const { return FButton; }
  virtual bool IsEnabledLinked();
  virtual bool IsHintLinked();
  virtual bool IsShortCutLinked();
  virtual bool IsVisibleLinked();
  virtual void SetEnabled(bool Value);
  virtual void SetHint(const String& Value);
  virtual void SetShortCut(TShortCut Value);
  virtual void SetVisible(bool Value);

 private:
  TEditButtonEh* FButton;
};

class TEditButtonControlEh;

class TEditButtonEh : public TCollectionItem {
  TOVANI_CLASS(TEditButtonEh, TCollectionItem)
 public:
  explicit TEditButtonEh(TCollection* ACollection = nullptr);
  // The default button of an edit (no collection).
  explicit TEditButtonEh(TWinControl* AOwnerEdit);
  ~TEditButtonEh() override;
  void Assign(TPersistent* Source) override;

  TBasicAction* Action() const;
  void SetAction(TBasicAction* v);
  TEditButtonActionLinkEh* ActionLink() const { return FActionLink.get(); }
  TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  void SetDropdownMenu(TPopupMenu* v) { FDropdownMenu = v; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);
  TBitmap* Glyph() { return FGlyph.get(); }
  void SetGlyph(TBitmap* v);
  const String& Hint() const { return FHint; }
  void SetHint(const String& v);
  Integer NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(Integer v);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut v) { FShortCut = v; }
  TEditButtonStyleEh Style() const { return FStyle; }
  void SetStyle(TEditButtonStyleEh v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer v);
  TWinControl* OwnerEdit() const { return FOwnerEdit; }

  TButtonClickEventEh OnClick;
  TButtonDownEventEh OnDown;
  // Set by an owning edit for its default button; replaces the collection
  // notification.
  TNotifyEvent ChangeHandler;

  virtual TEditButtonControlEh* CreateEditButtonControl();
  virtual void Click(TObject* Sender, bool& Handled);
  virtual void RefreshActionState();

  // Streaming predicates: values taken from a linked action are not written.
  bool IsEnabledStored() const;
  bool IsHintStored() const;
  bool IsShortCutStored() const;
  bool IsVisibleStored() const;

 protected:
  virtual void TakeActionProperties(TBasicAction* Action, bool CheckDefaults);
  virtual TEditButtonActionLinkEh* CreateActionLink();
  void NotifyChanged();
  void ActionChanged(TObject* Sender);
  friend class TEditButtonActionLinkEh;

  std::unique_ptr<TEditButtonActionLinkEh> FActionLink;
  TPopupMenu* FDropdownMenu = nullptr;
  TWinControl* FOwnerEdit = nullptr;
  bool FEnabled = true;
  std::unique_ptr<TBitmap> FGlyph;
  String FHint;
  Integer FNumGlyphs = 1;
  TShortCut FShortCut = 0;
  TEditButtonStyleEh FStyle = ebsDropDownEh;
  bool FVisible = false;
  Integer FWidth = 0;

 private:
  void Init();
};

// The default button of the date and combo edits and the item of extra-
// button collections: visible, dropped down by Alt+Down.
class TVisibleEditButtonEh : public TEditButtonEh {
  TOVANI_CLASS(TVisibleEditButtonEh, TEditButtonEh)
 public:
  explicit TVisibleEditButtonEh(TCollection* ACollection = nullptr);
  explicit TVisibleEditButtonEh(TWinControl* AOwnerEdit);
};

// The extra buttons of an edit or a grid column.
class TEditButtonsEh : public TCollection {
  TOVANI_CLASS(TEditButtonsEh, TCollection)
 public:
  TEditButtonsEh(TPersistent* AOwner, TClass AItemClass);
  TEditButtonEh* Items(Integer Index) const { return static_cast<TEditButtonEh*>(TCollection::Items(Index)); }
  TEditButtonEh* Add() { return static_cast<TEditButtonEh*>(TCollection::Add()); }
  TPersistent* Owner() const { return FOwner; }
  std::function<void(TCollectionItem* Item)> ChangeHandler;

 protected:
  TPersistent* GetOwner() override { return FOwner; }
  void Update(TCollectionItem* Item) override;

 private:
  TPersistent* FOwner;
};

// The live button: paints the face, knows which spin half is pressed and
// fires the button-down event at the press and then with auto-repeat
// (400 ms, then every 100 ms) while the mouse is held.
class TEditButtonControlEh : public TSpeedButton {
  TOVANI_CLASS(TEditButtonControlEh, TSpeedButton)
 public:
  explicit TEditButtonControlEh(TComponent* AOwner = nullptr);
  ~TEditButtonControlEh() override;
  bool Active() const { return FActive; }
  void SetActive(bool v);
  TEditButtonStyleEh Style() const { return FStyle; }
  void SetStyle(TEditButtonStyleEh v);
  bool HeldDown() const { return FHeldDown; }
  void SetHeldDown(bool v);
  // 0 nothing pressed, 1 the button or the upper spin half, 2 the lower half.
  Integer DownButton() const { return FDownButton; }
  // The speed-button state is down or exclusive.
  bool IsPressedState() const { return FPressed || Down(); }
  TButtonDownEventEh OnButtonDown;
  void Click() override;

  // The auto-repeat timer (null until the first repeat starts).
  TTimer* RepeatTimer() const { return FRepeatTimer; }
  // One tick of the auto-repeat timer.
  void RepeatTimerTick();

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void NotifyButtonDown(bool TopButton, bool& AutoRepeat);
  void UpdateDownButton(Integer X, Integer Y);
  void StartRepeatTimer(Cardinal Interval);
  void StopRepeatTimer();

 private:
  bool FActive = false;
  bool FHeldDown = false;
  Integer FDownButton = 0;
  bool FSuppressClick = false;
  TEditButtonStyleEh FStyle = ebsDropDownEh;
  TTimer* FRepeatTimer = nullptr;
  bool FTracking = false;   // the left button went down on this control
  bool FPressed = false;    // drawn pressed while tracking
};

// The same control for forms (the calculator's keys).
class TSpeedButtonEh : public TEditButtonControlEh {
  TOVANI_CLASS(TSpeedButtonEh, TEditButtonControlEh)
 public:
  explicit TSpeedButtonEh(TComponent* AOwner = nullptr) : TEditButtonControlEh(AOwner) {}
};

// The live buttons of an edit: a divider and the button control each.
class TShape;
struct TEditButtonControlLineRecEh {
  TShape* ButtonLine = nullptr;
  TEditButtonControlEh* EditButtonControl = nullptr;
};
using TEditButtonControlList = std::vector<TEditButtonControlLineRecEh>;

// ---------------------------------------------------------------------------
// Drop-downs and their owners. A drop-down (calendar, calculator, list)
// closes through its owner, which accepts or drops the choice.

class IPopupOwnerEh {
 public:
  static constexpr const char* IID = "{F38B7C9F-A6ED-4349-98CD-4112D351F4DC}";
  virtual ~IPopupOwnerEh() = default;
  virtual void CloseUp(bool Accept) = 0;
};

// A drop-down that exchanges a value with its owner.
class IPopupValueEh {
 public:
  static constexpr const char* IID = "{DD0C20ED-AB32-4CB7-89B6-E6EDE9A194CD}";
  virtual ~IPopupValueEh() = default;
  virtual bool ResultReady() = 0;
  virtual bool GetFlat() = 0;
  virtual Variant GetValue() = 0;
  virtual void SetFlat(bool Value) = 0;
  virtual void SetValue(const Variant& Value) = 0;
};

// Library messages sent to drop-down windows.
constexpr UINT CM_CHANGEGRIPCORNER_EH = WM_USER + 100;   // wParam: 0 left, 1 right, 2 top, 3 bottom
constexpr UINT CM_CLOSEUP_EH = WM_USER + 101;            // the owner's CloseUp(False)

// ---------------------------------------------------------------------------
// Drop-down windows: placement, the size grip, the drop-down list box, the
// most-recently-used list and the drop-down month calendar. None takes the
// keyboard focus but the calendar; the owning edit keeps it and forwards
// keys.

// The top-left screen point for a drop-down under (or above) a field within
// the work area of the field's monitor; may shrink the drop-down and tells
// it where its size grip goes (CM_CHANGEGRIPCORNER_EH, vertical then
// horizontal). Align: 0 left, 1 right, 2 centre.
TPoint FitDropDownToRectEh(const TRect& MasterAbsRect, TWinControl* DropDownWin, Integer Align);
// The same within a given work area.
TPoint FitDropDownToWorkAreaEh(const TRect& MasterAbsRect, const TRect& WorkArea, TWinControl* DropDownWin,
                               Integer Align);
TPoint FitDropDownToControlEh(TControl* MasterWin, TWinControl* DropDownWin, Integer Align);
// A pending left click on Control is taken from the queue (so that the
// click that closed a drop-down does not act twice).
bool ClickIsOnControlEh(TControl* Control);
bool ClickIsOnButtonEh(TControl* Control);
bool IsWithinDoubleClickEh(TPoint OldPos, TPoint NewPos, Integer Interval);

// The grip in one corner of a drop-down that resizes it; it moves to the
// corner opposite the field when the drop-down opens above or to the left.
class TSizeGripEh : public TCustomControl {
  TOVANI_CLASS(TSizeGripEh, TCustomControl)
 public:
  explicit TSizeGripEh(TComponent* AOwner = nullptr);
  // 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left.
  uint8_t Position() const { return FPosition; }
  void SetPosition(uint8_t v);
  bool Triangular() const { return FTriangular; }
  void SetTriangular(bool v);
  // The corner-change rule: Where 0 left, 1 right, 2 top, 3 bottom.
  void ChangePosition(Integer Where);
  void UpdatePosition();
  void SetGripVisible(bool v);
  TNotifyEvent OnParentResized;
  // The work area the drag keeps the parent in.
  std::function<TRect()> WorkAreaSource;

 protected:
  void CreateWnd() override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void Dispatch(TMessage& Message) override;
  virtual void ParentResized();
  void UpdateRegion();
  TRect WorkArea();

 private:
  TPoint FInitScreenMousePos;
  Integer FParentWidth = 0, FParentHeight = 0, FParentClientWidth = 0, FParentClientHeight = 0;
  TPoint FOldMouseMovePos;
  bool FPositioning = false;
  uint8_t FPosition = 2;
  bool FTriangular = true;
};

using TListGetImageIndexEventEh = std::function<void(TObject* Sender, Integer ItemIndex, Integer& ImageIndex)>;

// The drop-down list of pick lists, key lists and filter values: whole rows,
// hot tracking, incremental search and a size grip.
class TPopupListboxEh : public TCustomListBox {
  TOVANI_CLASS(TPopupListboxEh, TCustomListBox)
 public:
  explicit TPopupListboxEh(TComponent* AOwner = nullptr);
  bool CanFocus() override { return false; }
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  TCustomImageList* Images() const { return FImages; }
  void SetImageList(TCustomImageList* v);
  Integer RowCount() const { return FRowCount; }
  void SetRowCount(Integer N);
  // The frame height plus the border on both sides.
  Integer BorderHeight();
  Integer GetFontTextHeight();
  TSizeGripEh* SizeGrip() const { return FSizeGrip; }
  bool SizeChanged() const { return FSizeChanged; }
  void SetSizeChanged(bool v) { FSizeChanged = v; }
  const String& SearchText() const { return FSearchText; }
  TStrings* VirtualItems() const { return FVirtualItems; }
  void SetVirtualItems(TStrings* v);
  virtual String GetVirtualItemText(Integer Index);
  TListGetImageIndexEventEh OnGetImageIndex;
  // The clock of the incremental search (milliseconds).
  std::function<DWORD()> TickSource;

  void KeyPress(char32_t& Key) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DrawItem(Integer Index, TRect Rect, TItemDrawState State) override;
  void Dispatch(TMessage& Message) override;
  virtual void DrawBorder();
  Integer RowHeight();
  Integer FBorderWidth = 2;

 private:
  TCustomImageList* FImages = nullptr;
  TPoint FMousePos{-1, -1};
  Integer FRowCount = 0;
  String FSearchText;
  DWORD FSearchTickCount = 0;
  TSizeGripEh* FSizeGrip = nullptr;
  bool FSizeChanged = false;
  TStrings* FVirtualItems = nullptr;
};

// The list box of recent texts, with a scroll bar of its own beside the grip.
class TMRUListboxEh : public TPopupListboxEh {
  TOVANI_CLASS(TMRUListboxEh, TPopupListboxEh)
 public:
  explicit TMRUListboxEh(TComponent* AOwner = nullptr);
  TScrollBar* ScrollBar() const { return FScrollBar; }
  void UpdateScrollBar();
  void RepositionScrollBar();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

 private:
  TRect ScrollBarRect();
  TScrollBar* FScrollBar = nullptr;
  bool FPositioning = false;
};

// The most-recently-used texts of an edit, the oldest first.
class TMRUListEh : public TPersistent {
  TOVANI_CLASS(TMRUListEh, TPersistent)
 public:
  explicit TMRUListEh(TPersistent* AOwner = nullptr);
  ~TMRUListEh() override;
  void Assign(TPersistent* Source) override;

  bool Active() const { return FActive; }
  void SetActive(bool v);
  bool AutoAdd() const { return FAutoAdd; }
  void SetAutoAdd(bool v) { FAutoAdd = v; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool v) { FCaseSensitive = v; }
  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* v) { FItems->Assign(v); }
  Integer Limit() const { return FLimit; }
  void SetLimit(Integer v);
  Integer Rows() const { return FRows; }
  void SetRows(Integer v) { FRows = v; }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer v) { FWidth = v; }
  bool CancelIfKeyInQueue() const { return FCancelIfKeyInQueue; }
  void SetCancelIfKeyInQueue(bool v) { FCancelIfKeyInQueue = v; }
  bool DroppedDown() const { return FDroppedDown; }
  void SetDroppedDown(bool v) { FDroppedDown = v; }

  // Moves an equal text to the end, or appends it and drops the oldest
  // beyond Limit.
  void AddText(const String& Text);
  // The items beginning with Text into Strings; False when a waiting key
  // press cut the filtering short (the caller drops the list).
  bool FilterItems(TStrings* Strings, const String& Text);
  virtual void CloseUp(bool Accept);
  virtual void DropDown();

  TNotifyEvent OnActiveChanged;
  std::function<void(TObject* Sender, bool& Accept)> OnFilterItem;
  std::function<void(TObject* Sender, bool Accept)> CloseUpHandler;
  TNotifyEvent DropDownHandler;

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  void TrimToLimit();
  bool FActive = false;
  bool FAutoAdd = true;
  bool FCaseSensitive = false;
  std::unique_ptr<TStringList> FItems;
  Integer FLimit = 100;
  TPersistent* FOwner;
  Integer FRows = 7;
  Integer FWidth = 0;
  bool FCancelIfKeyInQueue = true;
  bool FDroppedDown = false;
};

// The drop-down month calendar of date edits: it takes the focus while it
// is open and closes through its owner on Enter, Escape, a date click, a
// click outside or losing the focus.
class TPopupMonthCalendarEh : public TMonthCalendar {
  TOVANI_CLASS(TPopupMonthCalendarEh, TMonthCalendar)
 public:
  explicit TPopupMonthCalendarEh(TComponent* AOwner = nullptr);
  void KeyDown(Word& Key, TShiftState Shift) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  // What a mouse release at a client point does: closes accepting when it
  // hit a date.
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void DrawBorder();
  void CloseOwner(bool Accept);

 private:
  Integer FBorderWidth = 2;
};
