// The grid library's data-aware edit controls: the field data link that
// binds a control to one field (or a ';' list of fields) or lets it keep its
// own value, the single-line edit base with its edit buttons, image, list of
// recent texts, flat border and required-field highlight, the date-time
// edit with its calendar, the combo box with key items, and the check box.
#pragma once
#include <array>
#include <functional>
#include <memory>
#include <vector>
#include "Mask.h"
#include "ToolCtrlsEh.h"

class TCustomImageList;
class TShape;

// ---------------------------------------------------------------------------
// The field data link

class TFieldDataLinkEh : public TDataLink {
  TOVANI_CLASS(TFieldDataLinkEh, TDataLink)
 public:
  TFieldDataLinkEh();

  TComponent* Control() const { return FControl; }
  void SetControl(TComponent* v) { FControl = v; }
  const String& FieldName() const { return FFieldName; }
  void ChangeFieldName(const String& Name);
  const TFieldsArrEh& Fields() const { return FFields; }
  bool MultiFields() const { return FMultiFields; }
  void SetMultiFields(bool v);
  // No data source and no field name: the control keeps IndependentValue.
  bool DataIndependent() const { return FDataIndependent; }
  const Variant& IndependentValue() const { return FIndependentValue; }
  // The link's own editing state (the dataset's while bound).
  bool Editing() const { return FEditing; }
  bool Modified() const { return FModified; }
  void SetModified(bool v) { FModified = v; }
  void SetDataSource(TDataSource* ds);

  TField* GetMainField() const { return FFields.empty() ? nullptr : FFields[0]; }
  Integer BoundFieldCount() const { return Integer(FFields.size()); }
  TField* BoundFieldAt(Integer Index) const { return FFields.at(size_t(Index)); }
  bool IsBoundField(TField* Field) const;
  bool IsLinkActive() const;
  bool IsDataSetOpen() const;
  bool LinkCanModify() const;
  // Puts the dataset (or the own value) in edit state; answers Editing.
  bool StartEdit();
  void ReloadValue() { RecordChanged(nullptr); }
  void SetText(const String& Text);
  void AssignValue(const Variant& Value);

  TNotifyEvent OnDataChange, OnEditingChange, OnUpdateData, OnActiveChange;

 protected:
  void ActiveChanged() override;
  void LayoutChanged() override;
  void EditingChanged() override;
  void RecordChanged(TField* Field) override;
  void FocusControl(TField** Field) override;
  void UpdateData() override;
  void DataEvent(TDataEvent Event, NativeInt Info) override;
  virtual void UpdateFields();
  void SetFields(const TFieldsArrEh& List);
  void SetEditing(bool v);
  void UpdateDataIndependent();

 private:
  TComponent* FControl = nullptr;
  String FFieldName;
  TFieldsArrEh FFields;
  bool FMultiFields = false;
  bool FDataIndependent = true;
  Variant FIndependentValue = Variant::Null();
  bool FEditing = false;
  bool FModified = false;
};

// ---------------------------------------------------------------------------
// In-place editing: a holder (the data grid for its filter row) sees the
// edit's messages and keys first.

class TCustomDBEditEh;

class IInplaceEditHolderEh {
 public:
  static constexpr const char* IID = "{4BE7C5F4-6D0C-4B8C-9E0D-6C1E8E0B3A21}";
  virtual ~IInplaceEditHolderEh() = default;
  virtual bool InplaceEditCanModify(TControl* Edit) = 0;
  virtual void GetMouseDownInfo(TPoint& Pos, Integer& Time) = 0;
  virtual void InplaceEditWndProc(TControl* Edit, TMessage& Message) = 0;
  virtual void InplaceEditKeyDown(TControl* Edit, Word& Key, TShiftState Shift) = 0;
  virtual void InplaceEditKeyPress(TControl* Edit, char32_t& Key) = 0;
  virtual void InplaceEditKeyUp(TControl* Edit, Word& Key, TShiftState Shift) = 0;
};

class IInplaceEditEh {
 public:
  static constexpr const char* IID = "{81F0C559-2D8B-4E4E-9C5D-7A6B3C9F1E02}";
  virtual ~IInplaceEditEh() = default;
  virtual TFont* GetFont() = 0;
  virtual void SetInplaceEditHolder(TObject* Holder) = 0;
  virtual void SetBorderStyle(TBorderStyle Value) = 0;
  virtual void SetFont(TFont* Value) = 0;
  virtual void SetColor(TColor Value) = 0;
  virtual void SetOnKeyPress(const TKeyPressEvent& Handler) = 0;
  virtual void SetOnExit(const TNotifyEvent& Handler) = 0;
};

// ---------------------------------------------------------------------------
// The image at the left edge of an edit

class TEditImageEh : public TPersistent {
  TOVANI_CLASS(TEditImageEh, TPersistent)
 public:
  explicit TEditImageEh(TWinControl* AEditControl = nullptr);
  void Assign(TPersistent* Source) override;
  TWinControl* EditControl() const { return FEditControl; }
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer v);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* v);
  bool UseImageHeight() const { return FUseImageHeight; }
  void SetUseImageHeight(bool v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer v);

 protected:
  TPersistent* GetOwner() override { return FEditControl; }
  void RecreateEdit();

 private:
  TWinControl* FEditControl;
  Integer FImageIndex = -1;
  TCustomImageList* FImages = nullptr;
  bool FUseImageHeight = true;
  bool FVisible = false;
  Integer FWidth = 0;
};

// The tool tip of a clipped edit text, in the edit's own font (passed as
// the hint data).
class TToolTipsWindow : public THintWindow {
  TOVANI_CLASS(TToolTipsWindow, THintWindow)
 public:
  explicit TToolTipsWindow(TComponent* AOwner = nullptr) : THintWindow(AOwner) {}
  TRect CalcHintRect(Integer MaxWidth, const String& AHint, void* AData) override;
};

// ---------------------------------------------------------------------------
// The data-aware edit base

using TOnCheckDrawRequiredStateEventEh = std::function<void(TObject* Sender, bool& DrawState)>;
using TGetImageIndexEventEh = std::function<void(TObject* Sender, Integer& ImageIndex)>;
using TUpdateDataEventEh = std::function<void(TObject* Sender, bool& Handled)>;
using TCloseUpEventEh = std::function<void(TObject* Sender, bool Accept)>;

// Sent by the edit image to rebuild the edit's window; posted by the
// date-time edit after its calendar closed.
constexpr UINT CM_EDITIMAGECHANGED_EH = WM_USER + 101;
constexpr UINT CM_CALENDARCLOSED_EH = WM_USER + 102;

class TCustomDBEditEh : public TCustomMaskEdit, public IPopupOwnerEh, public IInplaceEditEh {
  TOVANI_CLASS(TCustomDBEditEh, TCustomMaskEdit)
 public:
  explicit TCustomDBEditEh(TComponent* AOwner = nullptr);
  ~TCustomDBEditEh() override;

  // Properties.
  TAlignment Alignment();
  void SetAlignment(TAlignment v);
  bool IsAlignmentStored() const { return FAlignmentStored; }
  bool AlwaysShowBorder() const { return FAlwaysShowBorder; }
  void SetAlwaysShowBorder(bool v);
  String DataField() const { return GetDataField(); }
  TDataSource* DataSource() const { return GetDataSource(); }
  TEditButtonEh* EditButton() const { return FEditButton.get(); }
  void SetEditButton(TEditButtonEh* v) { FEditButton->Assign(v); }
  TEditButtonsEh* EditButtons() const { return FEditButtons.get(); }
  void SetEditButtons(TEditButtonsEh* v) { FEditButtons->Assign(v); }
  const String& EditMask() const { return TCustomMaskEdit::EditMask(); }
  void SetEditMask(const String& v);
  bool IsEditMaskStored() const { return FEditMaskStored; }
  bool Flat() const { return FFlat; }
  void SetFlat(bool v);
  bool HighlightRequired() const { return FHighlightRequired; }
  void SetHighlightRequired(bool v);
  TCustomImageList* Images() const;
  void SetImages(TCustomImageList* v);
  TEditImageEh* EditImage() const { return FEditImage.get(); }
  TMRUListEh* MRUList() const { return FMRUList.get(); }
  void SetMRUList(TMRUListEh* v) { FMRUList->Assign(v); }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v);
  bool Tooltips() const { return FTooltips; }
  void SetTooltips(bool v);
  bool WantReturns() const { return FWantReturns; }
  bool WantTabs() const { return FWantTabs; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  bool DroppedDown() const { return FDroppedDown; }
  bool IsFocused() const { return FFocused; }
  bool InplaceMode() const { return FInplaceMode; }

  // The posting setters: Text and Value put a bound dataset in edit state,
  // set the content and write it into the link (unless inside OnUpdateData).
  String Text() { return TCustomMaskEdit::GetText(); }
  void SetText(const String& v);
  bool IsTextStored();
  Variant Value() { return GetVariantValue(); }
  void SetValue(const Variant& v) { SetVariantValue(v); }
  bool IsValueStored();
  void Clear();
  void Reset() override;
  TFieldDataLinkEh* DataLink() const { return FDataLink.get(); }
  TField* Field() const { return FDataLink->GetMainField(); }
  // The text typed by the character message being handled.
  const String& GetTypedText() const { return FTypedText; }

  virtual void SetDataField(const String& Value);
  virtual void SetDataSource(TDataSource* Value);

  // In-place mode.
  void ShowAtRect(const TRect& Rect);
  void HideEdit();
  bool GetVisible();
  void SetVisible(bool v);
  void SetFocus() override;

  // IPopupOwnerEh
  void CloseUp(bool Accept) override;
  // IInplaceEditEh
  TFont* GetFont() override { return Font(); }
  void SetInplaceEditHolder(TObject* Holder) override;
  void SetBorderStyle(TBorderStyle Value) override { TCustomMaskEdit::SetBorderStyle(Value); }
  void SetFont(TFont* Value) override { TControl::SetFont(Value); }
  void SetColor(TColor Value) override { TControl::SetColor(Value); }
  void SetOnKeyPress(const TKeyPressEvent& Handler) override { OnKeyPress = Handler; }
  void SetOnExit(const TNotifyEvent& Handler) override { OnExit = Handler; }

  // Geometry of the buttons, the image and the text (client coordinates).
  TRect GetButtonsRect();
  TRect GetImageRect();
  TRect GetPaintTextRect();
  Integer ButtonsWidth() const { return FButtonsWidth; }
  Integer ImageWidth() const { return FImageWidth; }
  const TEditButtonControlList& ButtonControls() const { return FButtonControlList; }
  bool ActiveState() const { return FActive; }
  TMRUListboxEh* MRUListbox() const { return FMRUListbox; }
  bool IsTextClipped();
  virtual String GetDisplayText();

  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void SetAutoSize(bool v) override;
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  TButtonClickEventEh OnButtonClick;
  TButtonDownEventEh OnButtonDown;
  TOnCheckDrawRequiredStateEventEh OnCheckDrawRequiredState;
  TGetImageIndexEventEh OnGetImageIndex;
  TUpdateDataEventEh OnUpdateData;
  void SetOnGetImageIndex(const TGetImageIndexEventEh& v);

 protected:
  // Virtual operations of the edit family.
  virtual bool IsDataLinkUsable();
  virtual TFieldDataLinkEh* CreateDataLink();
  virtual TEditButtonEh* CreateEditButton();
  virtual TEditButtonControlEh* CreateEditButtonControl();
  virtual TEditButtonsEh* CreateEditButtons();
  virtual TEditImageEh* CreateEditImage();
  virtual TMRUListboxEh* CreateMRUListbox();
  virtual bool IsDataIndependent();
  virtual TAlignment GetFieldAlignment();
  virtual String GetFieldEditMask();
  virtual Integer GetDefaultImageIndex() { return -1; }
  virtual String GetDataField() const;
  virtual TDataSource* GetDataSource() const;
  virtual Variant GetVariantValue();
  virtual bool IsValidChar(char32_t Key);
  virtual void ActiveChanged();
  virtual void AdjustHeight();
  virtual void EditButtonDefaultAction(bool Down);
  virtual void CalcTextAreaRect(TRect& Rect);
  virtual void DataChanged();
  virtual void DropDown();
  virtual void EditButtonClick(TObject* Sender);
  virtual void EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
  virtual void EditButtonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  virtual void EditButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void EditingChanged();
  virtual void FilterMRUItem(const String& AItem, bool& Accept);
  virtual void InternalSetText(const String& AText);
  virtual void InternalSetValue(const Variant& AValue);
  virtual void InternalUpdatePostData();
  virtual void MRUListboxResized();
  virtual void PaintRequiredHighlight(TCanvas* Canvas);
  virtual void ResetMaxLength();
  virtual void SetFocused(bool Value);
  virtual void SetVariantValue(const Variant& Value);
  virtual void UpdateReadOnlyState();
  virtual void UpdateHeight();
  virtual void UpdateHintState();
  virtual void UpdateImageIndex();
  virtual void UpdateMRUList();
  virtual void UpdateData();

  // Class library overrides.
  void DefineProperties(TFiler* Filer) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void PaintWindow(HDC DC) override;
  void Dispatch(TMessage& Message) override;
  bool EditCanModify() override;
  void Change() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;

  // Helpers.
  bool Designing() const { return ComponentState().Contains(csDesigning); }
  // A descendant that makes its own link or main button installs it from
  // its constructor (virtual calls do not reach it from the base's).
  void InstallDataLink(TFieldDataLinkEh* Link);
  void InstallEditButton(TEditButtonEh* Button);
  void DataLinkDataChange();
  // Shows a text loaded from the source: marks nothing as modified.
  void SetLoadedText(const String& Text, bool AsEditText);
  void SetMaskUnlessExplicit(const String& Mask);
  // The painting, mouse, hint and list messages; true when handled.
  bool DispatchVisual(TMessage& Message);
  void InternalSetEditMask(const String& Mask) { TCustomMaskEdit::SetEditMask(Mask); }
  bool CallOnUpdateData();
  bool InUpdateData() const { return FInUpdateData; }
  // Posts after a setter changed the content; reloads on failure.
  void PostAfterSet();
  void BeginBoundEdit();
  TEditButtonEh* FindButtonByShortCut(TShortCut Short, TEditButtonControlEh*& Control);
  void ApplyTextAreaRect();
  void GetTextMargins(Integer& LeftMargin, Integer& TopOffset);
  void UpdateButtonsLayout();
  void LayoutButtonControl(size_t Index, TEditButtonEh* Button, Integer Height, Integer& CommonHeight);
  void UpdateEditButtonControlsState();
  void ButtonsChanged();
  void UpdateActiveState();
  void PaintFlatBorder(HDC DC, bool Active);
  void PaintEditImage(HDC DC);
  TControlCanvas* GetPaintCanvas();
  TMRUListboxEh* GetMRUListbox();
  void MRUListDropDown();
  void MRUListCloseUp(bool Accept);
  void MRUListboxMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  bool MRUListOpen() const;
  // The edit, a child of it, or the window of one of Controls.
  bool IsOwnWindow(HWND Wnd, std::initializer_list<TWinControl*> Controls);
  void AdjustMaskCursor();
  TEditButtonControlEh* MainButtonControl() const;
  IInplaceEditHolderEh* InplaceHolder() const { return FInplaceEditHolderIntf; }

  bool FDroppedDown = false;
  bool FDropDownClick = false;
  bool FFocused = false;
  bool FLoadingText = false;

 private:
  bool FAlwaysShowBorder = false;
  bool FAlignmentStored = false;
  bool FEditMaskStored = false;
  std::unique_ptr<TControlCanvas> FPaintCanvas;
  String FTypedText;
  std::unique_ptr<TEditButtonEh> FEditButton;
  std::unique_ptr<TEditButtonsEh> FEditButtons;
  std::unique_ptr<TEditImageEh> FEditImage;
  bool FFlat = false;
  bool FHighlightRequired = false;
  std::unique_ptr<TMRUListEh> FMRUList;
  TMRUListboxEh* FMRUListbox = nullptr;
  bool FReadOnly = false;
  bool FShowHint = false;
  bool FTooltips = false;
  bool FWantReturns = false;
  bool FWantTabs = false;
  bool FWordWrap = false;
  TAlignment FAlignment = taLeftJustify;
  bool FActive = false;
  Integer FButtonHeight = 0;
  Integer FButtonsWidth = 0;
  std::unique_ptr<TFieldDataLinkEh> FDataLink;
  bool FInUpdateData = false;
  TEditButtonControlList FButtonControlList;
  Integer FImageWidth = 0;
  TObject* FInplaceEditHolder = nullptr;
  bool FInplaceMode = false;
  IInplaceEditHolderEh* FInplaceEditHolderIntf = nullptr;
  bool FMouseAboveControl = false;
  bool FMRUUpdatePending = false;
  unsigned FChangeCount = 0;
};

// The plain data-aware edit with the published properties.
class TDBEditEh : public TCustomDBEditEh {
  TOVANI_CLASS(TDBEditEh, TCustomDBEditEh)
 public:
  explicit TDBEditEh(TComponent* AOwner = nullptr) : TCustomDBEditEh(AOwner) {}
};

// ---------------------------------------------------------------------------
// The date-time edit

enum TDateTimeKindEh : uint8_t { dtkDateEh, dtkTimeEh, dtkDateTimeEh, dtkCustomEh };
TOVANI_ENUM_INFO(TDateTimeKindEh)

// Where each element (year, month, day, hour, minute, second) stands in
// the shown text: 1-based position and length, -1 when absent.
struct TDateTimeElementEh {
  Integer Pos = -1;
  Integer Length = -1;
  bool Present = false;
};
using TDateTimeElementMapEh = std::array<TDateTimeElementEh, 6>;
// Year, month, day, hour, minute, second; -1 absent or unreadable.
using TDateTimePartsEh = std::array<Integer, 6>;

// The routines behind the edit, for its tests and its descendants.
String GetDefaultDateFormatEh(bool FourDigitYear);
String EditFormatToMaskEh(const String& Format, TDateTimeElementMapEh& Map);
String EditFormatToDisplayFormatEh(const String& Format);
String EditFormatToElementMapEh(const String& Format);
TDateTimePartsEh TextToPartsEh(const String& Text, const TDateTimeElementMapEh& Map);
bool PartsToVariantEh(TDateTimePartsEh Parts, const TDateTimeElementMapEh& Map, Variant& Value, bool Normalize);
Integer ExpandTwoDigitYearEh(Integer Year);
// Steps the element of ElementMap at the 1-based position Pos of Text;
// gives the new text and the element's start (1-based) and length.
String StepFormatElementEh(const String& Text, const String& ElementMap, bool Up, Integer Pos, Integer& ElementStart,
                           Integer& ElementLength);
// The element of Format at the 1-based position Pos: its start (0-based) and length.
bool SelectFormatElementEh(const String& Format, Integer Pos, Integer& Start, Integer& Length);

class TCustomDBDateTimeEditEh : public TCustomDBEditEh {
  TOVANI_CLASS(TCustomDBDateTimeEditEh, TCustomDBEditEh)
 public:
  explicit TCustomDBDateTimeEditEh(TComponent* AOwner = nullptr);
  ~TCustomDBDateTimeEditEh() override;
  TDateTimeKindEh Kind() const { return FKind; }
  void SetKind(TDateTimeKindEh v);
  const String& EditFormat() const { return FEditFormat; }
  void SetEditFormat(const String& v);
  const String& GetDisplayFormat() const { return FDisplayFormat; }
  bool FourDigitYear() const { return FFourDigitYear; }
  const TDateTimeElementMapEh& ElementMap() const { return FElementMap; }
  TPopupMonthCalendarEh* GetCalendar();
  bool CalendarOpen() const { return FCalendarVisible; }
  void ValidateEdit() override;
  String GetDisplayText() override;
  void WndProc(TMessage& Message) override;
  void CloseUp(bool Accept) override;

  TCloseUpEventEh OnCloseUp;
  TNotifyEvent OnDropDown;

 protected:
  virtual void UpdateFourDigitYear();
  virtual void UpdateEditFormat();
  TEditButtonEh* CreateEditButton() override;
  Variant GetVariantValue() override { return FValue; }
  void EditButtonDefaultAction(bool Down) override;
  void DataChanged() override;
  void DropDown() override;
  void EditButtonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y) override;
  void FilterMRUItem(const String& AItem, bool& Accept) override;
  void InternalSetText(const String& AText) override;
  void InternalSetValue(const Variant& AValue) override;
  void InternalUpdatePostData() override;
  void DefineProperties(TFiler* Filer) override;
  void Dispatch(TMessage& Message) override;
  void Change() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

  void SetDisplayText(const String& Text);
  void ParseEditText();
  void IncrementElement(bool Up);
  String FormatValue(const Variant& V);

 private:
  bool FCalendarVisible = false;
  TPopupMonthCalendarEh* FCalendar = nullptr;
  bool FInValidate = false;
  bool FInDisplay = false;
  TDateTimeKindEh FKind = dtkDateEh;
  Variant FValue = Variant::Null();
  String FEditFormat;
  String FDisplayFormat;
  TDateTimeElementMapEh FElementMap;
  bool FFourDigitYear = false;
};

class TDBDateTimeEditEh : public TCustomDBDateTimeEditEh {
  TOVANI_CLASS(TDBDateTimeEditEh, TCustomDBDateTimeEditEh)
 public:
  explicit TDBDateTimeEditEh(TComponent* AOwner = nullptr) : TCustomDBDateTimeEditEh(AOwner) {}
};

// ---------------------------------------------------------------------------
// The combo box

// Where a drop-down list stands under its edit.
enum TDropDownAlign : uint8_t { daLeft, daRight, daCenter };
TOVANI_ENUM_INFO(TDropDownAlign)

class TDropDownBoxEh : public TPersistent {
  TOVANI_CLASS(TDropDownBoxEh, TPersistent)
 public:
  explicit TDropDownBoxEh(TPersistent* AOwner = nullptr) : FOwner(AOwner) {}
  void Assign(TPersistent* Source) override;
  TDropDownAlign Align() const { return FAlign; }
  void SetAlign(TDropDownAlign v) { FAlign = v; }
  bool AutoDrop() const { return FAutoDrop; }
  void SetAutoDrop(bool v) { FAutoDrop = v; }
  Integer Rows() const { return FRows; }
  void SetRows(Integer v) { FRows = v; }
  bool Sizable() const { return FSizable; }
  void SetSizable(bool v) { FSizable = v; }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer v) { FWidth = v; }

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner;
  TDropDownAlign FAlign = daLeft;
  bool FAutoDrop = false;
  Integer FRows = 7;
  bool FSizable = false;
  Integer FWidth = 0;
};

using TNotInListEventEh = std::function<void(TObject* Sender, const String& NewText, bool& RecheckInList)>;

class TCustomDBComboBoxEh : public TCustomDBEditEh {
  TOVANI_CLASS(TCustomDBComboBoxEh, TCustomDBEditEh)
 public:
  explicit TCustomDBComboBoxEh(TComponent* AOwner = nullptr);
  ~TCustomDBComboBoxEh() override;

  TDropDownBoxEh* DropDownBox() const { return FDropDownBox.get(); }
  void SetDropDownBox(TDropDownBoxEh* v) { FDropDownBox->Assign(v); }
  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* v) { FItems->Assign(v); }
  TStrings* KeyItems() const { return FKeyItems.get(); }
  void SetKeyItems(TStrings* v) { FKeyItems->Assign(v); }
  Integer ItemIndex() const { return FItemIndex; }
  void SetItemIndex(Integer v);
  bool KeyItemsMode() const { return FKeyItemsMode; }
  bool ListVisible() const { return FListVisible; }
  TPopupListboxEh* GetPopupListbox();
  void Clear();
  void CloseUp(bool Accept) override;
  String GetDisplayText() override;
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  virtual bool LocateItemText(const String& S, bool Partial);
  virtual bool IncrementalSearch(const String& S);
  virtual Integer GetItemsCount();
  virtual void InternalSetItemIndex(Integer Index);

  TNotInListEventEh OnNotInList;
  TCloseUpEventEh OnCloseUp;
  TNotifyEvent OnDropDown;
  TListGetImageIndexEventEh OnGetItemImageIndex;
  // Set by the data grid for its filter row.
  std::function<void(TObject* Sender, bool& Accept)> OnListSelection;
  std::function<Integer(TObject* Sender)> OnFillItems;

 protected:
  TEditButtonEh* CreateEditButton() override;
  TAlignment GetFieldAlignment() override;
  Integer GetDefaultImageIndex() override { return FItemImageIndex; }
  Variant GetVariantValue() override;
  bool IsValidChar(char32_t Key) override;
  void EditButtonDefaultAction(bool Down) override;
  void DataChanged() override;
  void DropDown() override;
  void EditButtonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y) override;
  void InternalSetText(const String& AText) override;
  void InternalSetValue(const Variant& AValue) override;
  void InternalUpdatePostData() override;
  void ResetMaxLength() override;
  void UpdateReadOnlyState() override;
  void UpdateImageIndex() override;
  void UpdateData() override;
  void Dispatch(TMessage& Message) override;
  void Change() override;
  void Click() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

  void ItemsChanged();
  void KeyItemsChanged();
  void UpdateItemsState();
  void SyncItemIndex();
  void SelectNextItem(bool Up);
  Integer CalcItemsWidth();
  bool ForwardDragToList(TControl* Sender, Integer X, Integer Y);
  void ListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void ListFollows();
  // Selects the text from the caret back to the start of the typed part.
  void SelectBackwards(Integer Start, Integer End);

 private:
  std::unique_ptr<TDropDownBoxEh> FDropDownBox;
  Integer FItemIndex = -1;
  std::unique_ptr<TStringList> FItems;
  std::unique_ptr<TStringListEh> FKeyItems;
  bool FListVisible = false;
  TPopupListboxEh* FPopupListbox = nullptr;
  Integer FItemsCount = 0;
  bool FKeyItemsMode = false;
  Variant FKeyValue = Variant::Null();
  Integer FItemImageIndex = -1;
  // The backwards selection of key-items mode: anchor and caret (characters).
  Integer FSelAnchor = 0, FSelCaret = 0;
};

class TDBComboBoxEh : public TCustomDBComboBoxEh {
  TOVANI_CLASS(TDBComboBoxEh, TCustomDBComboBoxEh)
 public:
  explicit TDBComboBoxEh(TComponent* AOwner = nullptr) : TCustomDBComboBoxEh(AOwner) {}
};

// ---------------------------------------------------------------------------
// The check box

class TCustomDBCheckBoxEh : public TButtonControl {
  TOVANI_CLASS(TCustomDBCheckBoxEh, TButtonControl)
 public:
  explicit TCustomDBCheckBoxEh(TComponent* AOwner = nullptr);
  ~TCustomDBCheckBoxEh() override;

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool v) { FAllowGrayed = v; }
  bool AlwaysShowBorder() const { return FAlwaysShowBorder; }
  void SetAlwaysShowBorder(bool v);
  bool Flat() const { return FFlat; }
  void SetFlat(bool v);
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState v);
  bool IsStateStored() { return IsDataIndependent() && FState != cbUnchecked; }
  bool Checked() const { return FState == cbChecked; }
  void SetCheckedValue(bool v) { SetState(v ? cbChecked : cbUnchecked); }
  const String& ValueChecked() const { return FValueChecked; }
  void SetValueChecked(const String& v);
  const String& ValueUnchecked() const { return FValueUnchecked; }
  void SetValueUnchecked(const String& v);
  String DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const String& v) { FDataLink->ChangeFieldName(v); }
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* v);
  bool ReadOnly() const { return FDataLink->ReadOnly(); }
  void SetReadOnly(bool v);
  TFieldDataLinkEh* DataLink() const { return FDataLink.get(); }
  bool Modified() const { return FModified; }
  bool MouseOver() const { return FMouseOver; }
  TCheckBoxState GetFieldState();
  static bool MatchValue(const String& Values, const String& Text);

  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Click() override;
  void WndProc(TMessage& Message) override;

  TUpdateDataEventEh OnUpdateData;

 protected:
  bool GetChecked() const override { return Checked(); }
  void SetChecked(bool v) override { SetCheckedValue(v); }
  virtual void PaintControl();
  virtual bool IsDataIndependent() { return FDataLink->DataIndependent(); }
  virtual void DrawCaption(TRect Rect, bool Focused, bool MouseOver, bool Pressed);
  virtual void DrawCheckBox(TRect Rect, TCheckBoxState AState, bool Focused, bool MouseOver, bool Pressed);
  virtual void DrawState(TCheckBoxState AState, bool Focused, bool MouseOver, bool Pressed);
  virtual void InternalSetState(TCheckBoxState Value);
  virtual void InternalUpdatePostData();
  virtual void Toggle();
  virtual void UpdateData();

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void PaintWindow(HDC DC) override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DataChange();
  bool CallOnUpdateData();

 private:
  TAlignment FAlignment = taRightJustify;
  bool FAllowGrayed = false;
  bool FAlwaysShowBorder = false;
  bool FClicksDisabledByMouse = false;
  std::unique_ptr<TFieldDataLinkEh> FDataLink;
  bool FFlat = false;
  bool FModified = false;
  bool FMouseOver = false;
  TCheckBoxState FState = cbUnchecked;
  String FValueChecked;
  String FValueUnchecked;
  std::unique_ptr<TControlCanvas> FPaintCanvas;
  bool FInUpdateData = false;
  bool FSpacePressed = false;
  bool FMouseDownInside = false;
};

class TDBCheckBoxEh : public TCustomDBCheckBoxEh {
  TOVANI_CLASS(TDBCheckBoxEh, TCustomDBCheckBoxEh)
 public:
  explicit TDBCheckBoxEh(TComponent* AOwner = nullptr) : TCustomDBCheckBoxEh(AOwner) {}
};
