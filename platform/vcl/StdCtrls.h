// Standard controls over the Windows controls: label, edit, memo, button,
// check box, radio button, combo box, list box, group box, scroll bar.
#pragma once
#include <functional>
#include <memory>
#include "Controls.h"
#include "Strings.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };
TOVANI_ENUM_INFO(TTextLayout)
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
TOVANI_ENUM_INFO(TEditCharCase)
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
TOVANI_ENUM_INFO(TScrollStyle)
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
TOVANI_ENUM_INFO(TCheckBoxState)
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
TOVANI_ENUM_INFO(TComboBoxStyle)
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };
TOVANI_ENUM_INFO(TListBoxStyle)
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
TOVANI_ENUM_INFO(TScrollCode)

// State of an owner-drawn item.
enum TOwnerDrawItemState { odsSelected, odsGrayed, odsDisabled, odsChecked, odsFocused, odsDefault, odsComboBoxEdit };
using TItemDrawState = TSet<TOwnerDrawItemState>;

using TDrawItemEvent = std::function<void(TWinControl* Control, Integer Index, TRect Rect, TItemDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, Integer Index, Integer& Height)>;
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos)>;

// ---------------------------------------------------------------------------

class TCustomLabel : public TGraphicControl {
  TOVANI_CLASS(TCustomLabel, TGraphicControl)
 public:
  explicit TCustomLabel(TComponent* AOwner = nullptr);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout v);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool v);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* v);
  void SetAutoSize(bool v) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void AdjustBounds();
  void Loaded() override;
  // Draws (or with DT_CALCRECT measures) the caption.
  void DoDrawText(TRect& Rect, UINT Flags);

 private:
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FTransparent = false;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
  TOVANI_CLASS(TLabel, TCustomLabel)
 public:
  explicit TLabel(TComponent* AOwner = nullptr) : TCustomLabel(AOwner) {}
};

// ---------------------------------------------------------------------------

class TCustomEdit : public TWinControl {
  TOVANI_CLASS(TCustomEdit, TWinControl)
 public:
  explicit TCustomEdit(TComponent* AOwner = nullptr);

  Integer MaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer v);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  char32_t PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char32_t v);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase v);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool v) { FAutoSelect = v; }
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool v);
  bool OEMConvert() const { return false; }
  void SetOEMConvert(bool) {}
  bool Modified();
  void SetModified(bool v);
  // Selection in characters (UTF-16 units of the window).
  Integer SelStart();
  void SetSelStart(Integer v);
  Integer SelLength();
  void SetSelLength(Integer v);
  String SelText();
  void SetSelText(const String& v);
  void SelectAll();
  void Clear();
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void Undo();
  bool CanUndo();

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void Change();
  void DoEnter() override;
  bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;

 private:
  Integer FMaxLength = 0;
  bool FReadOnly = false;
  char32_t FPasswordChar = 0;
  TEditCharCase FCharCase = ecNormal;
  TBorderStyle FBorderStyle = bsSingle;
  bool FAutoSelect = true;
  bool FHideSelection = true;
  bool FModified = false;
  bool FCreating = false;
};

class TEdit : public TCustomEdit {
  TOVANI_CLASS(TEdit, TCustomEdit)
 public:
  explicit TEdit(TComponent* AOwner = nullptr) : TCustomEdit(AOwner) {}
};

// The lines of a text kept elsewhere (a memo's): read by splitting the text
// at CR LF, CR or LF; each change writes the whole text back with CR LF.
std::unique_ptr<TStrings> NewTextLines(std::function<String()> AGetText, std::function<void(const String&)> ASetText);

class TCustomMemo : public TCustomEdit {
  TOVANI_CLASS(TCustomMemo, TCustomEdit)
 public:
  explicit TCustomMemo(TComponent* AOwner = nullptr);
  ~TCustomMemo() override;
  TStrings* Lines() { return FLines.get(); }
  void SetLines(TStrings* v) { FLines->Assign(v); }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle v);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool v) { FWantReturns = v; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool v) { FWantTabs = v; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  // Caret position: X the column, Y the line.
  TPoint CaretPos();
  void SetCaretPos(TPoint p);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void KeyPress(char32_t& Key) override;

 private:
  std::unique_ptr<TStrings> FLines;
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
  bool FWantReturns = true;
  bool FWantTabs = false;
  TAlignment FAlignment = taLeftJustify;
};

class TMemo : public TCustomMemo {
  TOVANI_CLASS(TMemo, TCustomMemo)
 public:
  explicit TMemo(TComponent* AOwner = nullptr) : TCustomMemo(AOwner) {}
};

// ---------------------------------------------------------------------------

class TButtonControl;

// The link of a button, check box or radio button: the checked state also
// follows the action.
class TButtonActionLink : public TWinControlActionLink {
  TOVANI_CLASS(TButtonActionLink, TWinControlActionLink)
 public:
  explicit TButtonActionLink(TButtonControl* AClient);
  bool IsCheckedLinked() override;
  void SetChecked(bool Value) override;

 protected:
  TButtonControl* FClient;
};

class TButtonControl : public TWinControl {
  TOVANI_CLASS(TButtonControl, TWinControl)
 public:
  explicit TButtonControl(TComponent* AOwner = nullptr);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  std::unique_ptr<TControlActionLink> CreateActionLink() override;

 protected:
  friend class TButtonActionLink;
  void Dispatch(TMessage& Message) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  virtual bool GetChecked() const { return false; }
  virtual void SetChecked(bool) {}
  bool FClicksDisabled = false;

 private:
  bool FWordWrap = false;
};

class TButton : public TButtonControl {
  TOVANI_CLASS(TButton, TButtonControl)
 public:
  explicit TButton(TComponent* AOwner = nullptr);
  // Clicking sets the parent form's ModalResult (closing a modal form).
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult v) { FModalResult = v; }
  // Enter (Default) or Escape (Cancel) anywhere on the form clicks it.
  bool Default() const { return FDefault; }
  void SetDefault(bool v);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool v) { FCancel = v; }
  void Click() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void SetButtonStyle(bool ADefault);
  bool FActive = false;   // the button drawn as default now
  TModalResult FModalResult = mrNone;
  bool FDefault = false;
  bool FCancel = false;
};

class TCustomCheckBox : public TButtonControl {
  TOVANI_CLASS(TCustomCheckBox, TButtonControl)
 public:
  explicit TCustomCheckBox(TComponent* AOwner = nullptr);
  bool Checked() const { return FState == cbChecked; }
  void SetCheckedValue(bool v) { SetState(v ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState v);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool v);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;
  void Dispatch(TMessage& Message) override;
  bool GetChecked() const override { return Checked(); }
  void SetChecked(bool v) override { SetCheckedValue(v); }
  virtual void Toggle();

 private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
  TAlignment FAlignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
  TOVANI_CLASS(TCheckBox, TCustomCheckBox)
 public:
  explicit TCheckBox(TComponent* AOwner = nullptr) : TCustomCheckBox(AOwner) {}
};

class TRadioButton : public TButtonControl {
  TOVANI_CLASS(TRadioButton, TButtonControl)
 public:
  explicit TRadioButton(TComponent* AOwner = nullptr);
  bool Checked() const { return FChecked; }
  // Checking one unchecks the other radio buttons of the same parent.
  void SetCheckedValue(bool v);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;
  void Dispatch(TMessage& Message) override;
  bool GetChecked() const override { return FChecked; }
  void SetChecked(bool v) override { SetCheckedValue(v); }

 private:
  bool FChecked = false;
  TAlignment FAlignment = taRightJustify;
};

// ---------------------------------------------------------------------------

// Items of a list box or combo box: kept here and mirrored into the window.
class TControlItems;

class TCustomListControl : public TWinControl {
  TOVANI_CLASS(TCustomListControl, TWinControl)
 public:
  using TWinControl::TWinControl;
};

class TCustomComboBox : public TCustomListControl {
  TOVANI_CLASS(TCustomComboBox, TCustomListControl)
 public:
  explicit TCustomComboBox(TComponent* AOwner = nullptr);
  ~TCustomComboBox() override;

  TStrings* Items();
  void SetItems(TStrings* v);
  Integer ItemIndex();
  void SetItemIndex(Integer v);
  // A drop-down list shows the item whose text is set.
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle v);
  Integer DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(Integer v);
  Integer ItemHeight();
  void SetItemHeight(Integer v);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool v);
  Integer MaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer v);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase v) { FCharCase = v; RecreateWnd(); }
  bool DroppedDown();
  void SetDroppedDown(bool v);
  bool AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool v) { FAutoComplete = v; }
  Integer SelStart();
  void SetSelStart(Integer v);
  Integer SelLength();
  void SetSelLength(Integer v);
  void SelectAll();
  void Clear();
  TCanvas* Canvas() { return FCanvas.get(); }
  // The edit window inside a drop-down combo box (null for a drop-down list).
  HWND EditHandle();
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  bool Focused() override;

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  friend class TControlItems;
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;
  void DestroyWnd() override;
  void Loaded() override;
  void Dispatch(TMessage& Message) override;
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  virtual void DrawItem(Integer Index, TRect Rect, TItemDrawState State);
  virtual void MeasureItem(Integer Index, Integer& Height);
  void SetTextValue(const String& v) override;

 private:
  std::unique_ptr<TControlItems> FItems;
  std::unique_ptr<TControlCanvas> FCanvas;
  TComboBoxStyle FStyle = csDropDown;
  Integer FDropDownCount = 8;
  Integer FItemHeight = 16;
  bool FSorted = false;
  Integer FMaxLength = 0;
  TEditCharCase FCharCase = ecNormal;
  bool FAutoComplete = true;
  Integer FSavedIndex = -1;
  HWND FEditHandle = nullptr;
  WNDPROC FEditDefProc = nullptr;
  static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
};

class TComboBox : public TCustomComboBox {
  TOVANI_CLASS(TComboBox, TCustomComboBox)
 public:
  explicit TComboBox(TComponent* AOwner = nullptr) : TCustomComboBox(AOwner) {}
};

class TCustomListBox : public TCustomListControl {
  TOVANI_CLASS(TCustomListBox, TCustomListControl)
 public:
  explicit TCustomListBox(TComponent* AOwner = nullptr);
  ~TCustomListBox() override;

  TStrings* Items();
  void SetItems(TStrings* v);
  Integer Count() { return Items()->Count(); }
  Integer ItemIndex();
  void SetItemIndex(Integer v);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool v);
  bool ExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(bool v);
  bool Selected(Integer Index);
  void SetSelected(Integer Index, bool v);
  Integer SelCount();
  bool Sorted() const { return FSorted; }
  void SetSorted(bool v);
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle v);
  Integer ItemHeight();
  void SetItemHeight(Integer v);
  Integer Columns() const { return FColumns; }
  void SetColumns(Integer v);
  Integer TopIndex();
  void SetTopIndex(Integer v);
  bool IntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(bool v);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  // The item under a client point; -1 (or the count with Existing false) when none.
  Integer ItemAtPos(TPoint Pos, bool Existing);
  TRect ItemRect(Integer Index);
  void Clear();
  void ClearSelection();
  void SelectAll();
  TCanvas* Canvas() { return FCanvas.get(); }

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  friend class TControlItems;
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void DrawItem(Integer Index, TRect Rect, TItemDrawState State);
  virtual void MeasureItem(Integer Index, Integer& Height);

 private:
  std::unique_ptr<TControlItems> FItems;
  std::unique_ptr<TControlCanvas> FCanvas;
  bool FMultiSelect = false;
  bool FExtendedSelect = true;
  bool FSorted = false;
  TListBoxStyle FStyle = lbStandard;
  Integer FItemHeight = 16;
  Integer FColumns = 0;
  bool FIntegralHeight = false;
  TBorderStyle FBorderStyle = bsSingle;
  Integer FSavedIndex = -1;
  std::vector<bool> FSavedSelection;
  Integer FSavedTop = 0;
};

class TListBox : public TCustomListBox {
  TOVANI_CLASS(TListBox, TCustomListBox)
 public:
  explicit TListBox(TComponent* AOwner = nullptr) : TCustomListBox(AOwner) {}
};

// ---------------------------------------------------------------------------

class TCustomGroupBox : public TCustomControl {
  TOVANI_CLASS(TCustomGroupBox, TCustomControl)
 public:
  explicit TCustomGroupBox(TComponent* AOwner = nullptr);

 protected:
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
};

class TGroupBox : public TCustomGroupBox {
  TOVANI_CLASS(TGroupBox, TCustomGroupBox)
 public:
  explicit TGroupBox(TComponent* AOwner = nullptr) : TCustomGroupBox(AOwner) {}
};

class TScrollBar : public TWinControl {
  TOVANI_CLASS(TScrollBar, TWinControl)
 public:
  explicit TScrollBar(TComponent* AOwner = nullptr);
  TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind v);
  Integer Min() const { return FMin; }
  void SetMin(Integer v) { SetParams(FPosition, v, FMax); }
  Integer Max() const { return FMax; }
  void SetMax(Integer v) { SetParams(FPosition, FMin, v); }
  Integer Position() const { return FPosition; }
  void SetPosition(Integer v) { SetParams(v, FMin, FMax); }
  Integer PageSize() const { return FPageSize; }
  void SetPageSize(Integer v);
  Integer SmallChange() const { return FSmallChange; }
  void SetSmallChange(Integer v) { FSmallChange = v; }
  Integer LargeChange() const { return FLargeChange; }
  void SetLargeChange(Integer v) { FLargeChange = v; }
  // EInvalidOperation "Property value out of range" when min > max.
  void SetParams(Integer APosition, Integer AMin, Integer AMax);
  TNotifyEvent OnChange;
  TScrollEvent OnScroll;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;
  void Dispatch(TMessage& Message) override;
  virtual void Change();
  virtual void Scroll(TScrollCode ScrollCode, Integer& ScrollPos);
  void UpdateScrollInfo();

 private:
  TScrollBarKind FKind = sbHorizontal;
  Integer FMin = 0, FMax = 100, FPosition = 0, FPageSize = 0, FSmallChange = 1, FLargeChange = 1;
};
